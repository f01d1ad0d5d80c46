#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "db/Connection.h"

namespace mfg::test {

//! Today in every test: the demo factory's dates are laid around it.
DateTime TestToday();

//! The backend the tests of this run use: "sqlite" or "postgresql", from MFG_TEST_DB (ctest
//! registers every database test program once for each); the server is the one of MFG_PG_URL.
std::string TestBackend();
bool OnPostgres();

//! A private database with the schema (and the demo factory when asked), today fixed: in memory
//! on SQLite, a fresh schema of its own on PostgreSQL.
std::unique_ptr<Connection> OpenTestDatabase(bool withDemo);

//! The URL of a database with the schema and the demo factory, built once (per test program on
//! SQLite, per server on PostgreSQL) and copied for each caller, so that tests start from the same
//! data without paying for the load each time. Each call gives a copy of its own.
std::string CopyOfDemoDatabase(const std::string& name);

//! Makes every write of `event` ("insert", "update of SEQUENCE") on `table` fail with `message`,
//! or only those where `condition` holds (a trigger condition over old and new, in the backend's
//! own SQL), so that a test can see what a failure in the middle of a run leaves behind.
void RefuseWrites(Connection& db, std::string_view table, std::string_view event, std::string_view condition,
                  std::string_view message);

//! The URL of a fresh, empty database of its own (a new SQLite file, or a new PostgreSQL schema).
std::string FreshDatabaseUrl(const std::string& name);

}  // namespace mfg::test
