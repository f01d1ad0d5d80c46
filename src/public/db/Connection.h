#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "db/ResultSet.h"
#include "types/DateTime.h"
#include "types/Variant.h"

namespace mfg {

//! Named parameters of a statement: ":name" in the text binds the value of "name" (case ignored).
using Params = std::vector<std::pair<std::string, Variant>>;

//! What kind of failure a DbError is, where a caller can do something about it.
enum class DbFailure {
    Other,
    DuplicateKey,  //!< a unique index or primary key refused the row
};

//! A database failure. The text names the statement that failed.
class DbError : public std::runtime_error {
public:
    DbError(const std::string& message, std::string statement, DbFailure kind = DbFailure::Other)
        : std::runtime_error(message), statementText(std::move(statement)), failure(kind)
    {
    }
    const std::string& Statement() const { return statementText; }
    DbFailure Failure() const { return failure; }

private:
    std::string statementText;
    DbFailure failure;
};

//! The source of "now" for getdate() and the host's server time; tests and `mfg --today` fix it.
using Clock = std::function<DateTime()>;

//! A connection to the module's database. Statements are the module's T-SQL text; the
//! backend translates it through the dialect layer and runs the result.
class Connection {
public:
    virtual ~Connection() = default;

    //! Runs a T-SQL batch and returns the rows of its last statement that produced rows.
    virtual ResultSet Query(std::string_view tsql, const Params& params = {}) = 0;
    //! Runs a T-SQL batch; returns the rows changed by its last data statement.
    virtual std::int64_t Execute(std::string_view tsql, const Params& params = {}) = 0;
    //! Runs native SQL of the backend without translation (schema set-up, tests).
    virtual void ExecuteNative(std::string_view sql) = 0;

    //! Starts a transaction; inside one, a nested call opens a savepoint.
    virtual void BeginTran() = 0;
    virtual void CommitTran() = 0;
    virtual void RollbackTran() = 0;
    virtual int TransactionDepth() const = 0;

    //! The server's current date and time.
    virtual DateTime ServerTime() = 0;
    virtual void SetClock(Clock clock) = 0;

    //! "sqlite" or "postgresql".
    virtual std::string BackendName() const = 0;
    //! True when the table exists (case ignored).
    virtual bool TableExists(std::string_view table) = 0;
    //! Names of the user tables, in no set order.
    virtual std::vector<std::string> TableNames() = 0;
};

//! Opens a connection from a URL: a file path (SQLite, created when missing), ":memory:",
//! or "postgresql://user@host:port/db".
std::unique_ptr<Connection> OpenConnection(const std::string& url);

//! The URL as messages, logs and saved settings may show it: the password of a server URL (after
//! the user name, or as a "password=" parameter) left out.
std::string UrlWithoutPassword(std::string_view url);

//! Rolls back on scope exit unless committed: a save or release either lands whole or not at all.
class TransactionGuard {
public:
    explicit TransactionGuard(Connection& connection) : db(connection) { db.BeginTran(); }
    ~TransactionGuard()
    {
        if (!done) {
            try {
                db.RollbackTran();
            } catch (...) {
            }
        }
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void Commit()
    {
        db.CommitTran();
        done = true;
    }

private:
    Connection& db;
    bool done = false;
};

}  // namespace mfg
