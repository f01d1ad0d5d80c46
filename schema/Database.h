#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/Connection.h"

namespace mfg {

//! Opens the module's database from a URL with the schema's routines in place. A SQLite file that
//! does not exist is created: for `mfg init` and the tests that build databases.
std::unique_ptr<Connection> OpenDatabase(const std::string& url);
//! OpenDatabase for a session: a SQLite file that does not exist is refused with its path, so a
//! mistyped path never leaves an empty database behind.
std::unique_ptr<Connection> OpenExistingDatabase(const std::string& url);

//! The columns of m_operator that only the accounts service reads: what a guess could be checked
//! against offline, and how near an account is to its lock.
inline constexpr std::string_view SecretOperatorColumns[] = {"Password", "PasswordHash", "LoginFailures",
                                                              "LockedUntil"};
//! On PostgreSQL, the role a non-administrator's own statements run under (SET ROLE): it reads
//! every table of the module but those columns. Every operator connects through the same role,
//! which the login itself needs to read them.
inline constexpr std::string_view PgReaderRole = "mfg_reader";

//! Reports the file being loaded and how many of all files are done.
using LoadProgress = std::function<void(std::string_view file, size_t done, size_t total)>;

//! Creates every table of the module and of the host tables it uses, and the schema's triggers, in
//! one transaction; on PostgreSQL also the reader role's rights on them (PgReaderRole), when the
//! connection may give them.
void InstallSchema(Connection& db, const LoadProgress& progress = {});
//! Loads the demo factory, in one transaction.
void LoadDemoFactory(Connection& db, const LoadProgress& progress = {});
//! True when the database holds no user table.
bool IsEmptyDatabase(Connection& db);
//! Drops every user table (for `init --force`).
void DropAllTables(Connection& db);

//! Splits a SQL file into the batches between lines holding only "GO".
std::vector<std::string_view> SplitBatches(std::string_view text);

}  // namespace mfg
