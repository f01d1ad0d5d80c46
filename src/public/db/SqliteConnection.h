#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/BatchRunner.h"
#include "db/Connection.h"
#include "sql/SqliteDialect.h"
#include "sql/Translator.h"

struct sqlite3;
struct sqlite3_stmt;

namespace mfg {

//! The embedded database: one SQLite file (WAL, foreign keys on), with the schema's routines
//! registered as C++ functions on this connection.
class SqliteConnection : public Connection, private NativeBackend {
public:
    using ScalarFunction = std::function<Variant(const std::vector<Variant>& args)>;
    using Procedure = std::function<ResultSet(SqliteConnection& db, std::vector<Variant>& args)>;
    using TableFunction = std::function<ResultSet(SqliteConnection& db, const std::vector<Variant>& args)>;

    //! Opens (and creates) the file; ":memory:" gives a private in-memory database.
    explicit SqliteConnection(const std::string& path);
    ~SqliteConnection() override;
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    ResultSet Query(std::string_view tsql, const Params& params = {}) override;
    std::int64_t Execute(std::string_view tsql, const Params& params = {}) override;
    void ExecuteNative(std::string_view sql) override;
    //! Runs one native statement with named parameters and returns its rows.
    ResultSet QueryNative(std::string_view sql, const Params& params = {});

    void BeginTran() override;
    void CommitTran() override;
    void RollbackTran() override;
    int TransactionDepth() const override { return depth; }

    DateTime ServerTime() override;
    void SetClock(Clock newClock) override { clock = std::move(newClock); }

    std::string BackendName() const override { return "sqlite"; }
    bool TableExists(std::string_view table) override;
    std::vector<std::string> TableNames() override;

    //! A scalar function callable from the module's SQL; nArgs -1 takes any number.
    void RegisterScalar(const std::string& name, int nArgs, ScalarFunction function);
    //! A procedure for EXEC; output arguments are written back into `args`.
    void RegisterProcedure(const std::string& name, Procedure procedure);
    //! A table function for FROM name(args).
    void RegisterTableFunction(const std::string& name, TableFunction function);

    sql::Translator& Translator() { return translator; }
    const std::string& Path() const { return path; }

private:
    ResultSet RunNative(const sql::NativeStatement& statement, const std::vector<Variant>& values,
                        std::int64_t& changes) override;
    ResultSet CallProcedure(const std::string& name, std::vector<Variant>& args) override;
    ResultSet CallTableFunction(const std::string& name, const std::vector<Variant>& args) override;
    void CreateTempTable(const std::string& name, const ResultSet& rows) override;
    void DropTempTable(const std::string& name) override;
    void InsertRows(const std::string& table, const std::vector<std::string>& columns, const ResultSet& rows) override;
    void SchemaChanged() override;

    BatchResult RunBatch(std::string_view tsql, const Params& params);
    sqlite3_stmt* Prepare(const std::string& sql);
    //! The number of a named parameter (":name") of a prepared statement, 0 when it has none.
    int ParameterIndex(sqlite3_stmt* statement, const std::string& placeholder);
    ResultSet Step(sqlite3_stmt* statement, const std::string& sql, std::int64_t& changes);
    void Exec(const std::string& sql);
    void RegisterBuiltins();
    void CreateFunction(const std::string& lowerName, int nArgs, ScalarFunction function);
    bool IsTextColumn(std::string_view name);
    [[noreturn]] void Fail(const std::string& sql);

    std::string path;
    bool readOnly = false;  // the file was opened for reading only
    sqlite3* handle = nullptr;
    int depth = 0;
    Clock clock;
    sql::SqliteDialect dialect;
    sql::Translator translator{dialect};
    std::unordered_map<std::string, sqlite3_stmt*> statements;
    //! The parameter numbers of a cached statement by name, made on its first binding: SQLite finds
    //! a name by comparing it with every name of the statement, which costs an insert of a few
    //! thousand values seconds.
    std::unordered_map<sqlite3_stmt*, std::unordered_map<std::string, int>> parameterIndexes;
    std::vector<std::unique_ptr<ScalarFunction>> scalarFunctions;
    std::unordered_map<std::string, Procedure> procedures;
    std::unordered_map<std::string, TableFunction> tableFunctions;
    //! Column name (lower case) → true while every table with that column keeps text in it.
    std::unordered_map<std::string, bool> textColumns;
    bool textColumnsLoaded = false;
};

}  // namespace mfg
