#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/BatchRunner.h"
#include "db/Connection.h"
#include "sql/PgDialect.h"
#include "sql/Translator.h"

struct pg_conn;
struct pg_result;

namespace mfg {

//! The server database over libpq. The URL is libpq's ("postgresql://user@host:port/db?...") with
//! one addition, "schema=name": the schema of the module's tables (default "dbo"); the routines
//! always live in "dbo", which stays on the search path.
class PgConnection : public Connection, private NativeBackend {
public:
    explicit PgConnection(const std::string& url);
    ~PgConnection() override;
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    ResultSet Query(std::string_view tsql, const Params& params = {}) override;
    std::int64_t Execute(std::string_view tsql, const Params& params = {}) override;
    void ExecuteNative(std::string_view sql) override;
    //! Runs one native statement with "$n" placeholders bound to `values` in order.
    ResultSet QueryNative(const std::string& sql, const std::vector<Variant>& values = {});

    void BeginTran() override;
    void CommitTran() override;
    void RollbackTran() override;
    int TransactionDepth() const override { return depth; }

    DateTime ServerTime() override;
    void SetClock(Clock newClock) override;

    std::string BackendName() const override { return "postgresql"; }
    bool TableExists(std::string_view table) override;
    std::vector<std::string> TableNames() override;

    //! The schema of the module's tables on this connection.
    const std::string& Schema() const { return schema; }
    //! The server's id of this session, to tell two connections apart.
    int BackendPid() const;
    //! Reads the routines of "dbo" again, after they were installed or replaced.
    void LoadRoutines();
    //! Learns how the module spells names in T-SQL text: the server folds them to lower case, and
    //! result columns get that spelling back (the first one learned wins).
    static void LearnSpellings(std::string_view tsql);

private:
    struct Routine {
        bool returnsSet = false;
        bool returnsVoid = false;
        std::vector<size_t> outputArgs;  //!< positions of INOUT parameters, whose values come back as the result row
    };

    ResultSet RunNative(const sql::NativeStatement& statement, const std::vector<Variant>& values,
                        std::int64_t& changes) override;
    ResultSet CallProcedure(const std::string& name, std::vector<Variant>& args) override;
    ResultSet CallTableFunction(const std::string& name, const std::vector<Variant>& args) override;
    void CreateTempTable(const std::string& name, const ResultSet& rows) override;
    void DropTempTable(const std::string& name) override;
    void InsertRows(const std::string& table, const std::vector<std::string>& columns, const ResultSet& rows) override;
    void SchemaChanged() override;

    void Connect();
    void StartSession();
    void EnsureConnected();
    BatchResult RunBatch(std::string_view tsql, const Params& params);
    ResultSet Run(const std::string& sql, const std::vector<Variant>& values, std::int64_t& changes);
    //! Runs an action under the statement rules: again after a lost connection outside a
    //! transaction, under a savepoint inside one.
    template <class Action>
    auto Guarded(const Action& action) -> decltype(action());
    //! Sends rows in COPY's text format through a "copy … from stdin" statement.
    bool CopyIn(const std::string& sql, const std::string& data);
    ResultSet RunPrepared(const std::string& sql, const std::vector<Variant>& values, std::int64_t& changes);
    void Exec(const std::string& sql);
    void SendClock();
    void LoadTextColumns();
    void RestoreSpellings(ResultSet& rows) const;
    const Routine& RoutineOf(const std::string& name);
    ResultSet CallRoutine(const std::string& name, const std::vector<Variant>& args);
    [[noreturn]] void Fail(pg_result* result, const std::string& sql);

    std::string schema = "dbo";  // before conninfo, which is made from the URL that names it
    std::string conninfo;
    pg_conn* handle = nullptr;
    int depth = 0;
    Clock clock;
    std::string clockSent;
    sql::PgDialect dialect;
    sql::Translator translator{dialect};
    std::unordered_map<std::string, std::string> prepared;  //!< statement text and types → server name
    std::map<std::string, Routine> routines;
    bool textColumnsLoaded = false;
};

}  // namespace mfg
