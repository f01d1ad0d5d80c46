#include "db/PgConnection.h"

#include <mutex>
#include <unordered_set>

#include <libpq-fe.h>
#include <fmt/format.h>

#include "sql/Tokenizer.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

// Type ids of the server's built-in types (pg_type.oid), fixed across versions.
constexpr Oid kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700, kFloat8 = 701,
              kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184, kNumeric = 1700;

FieldType TypeOfOid(Oid type)
{
    switch (type) {
    case kBool:
    case kInt8:
    case kInt2:
    case kInt4:
    case kOid: return FieldType::Integer;
    case kFloat4:
    case kFloat8:
    case kNumeric: return FieldType::Float;
    case kDate:
    case kTimestamp:
    case kTimestampTz: return FieldType::DateTime;
    case kBytea: return FieldType::Blob;
    default: return FieldType::Text;
    }
}

Variant ReadValue(const PGresult* result, int row, int column, Oid type)
{
    if (PQgetisnull(result, row, column)) return {};
    std::string text(PQgetvalue(result, row, column), static_cast<size_t>(PQgetlength(result, row, column)));
    switch (type) {
    case kBool: return static_cast<std::int64_t>(text == "t" ? 1 : 0);
    case kInt8:
    case kInt2:
    case kInt4:
    case kOid: return static_cast<std::int64_t>(std::stoll(text));
    case kFloat4:
    case kFloat8:
    case kNumeric: return std::stod(text);
    case kDate:
    case kTimestamp:
    case kTimestampTz: {
        // Microseconds and a zone offset are more than the host's dates carry.
        auto dot = text.find('.');
        if (dot != std::string::npos) text = text.substr(0, std::min(text.size(), dot + 4));
        if (auto parsed = DateTime::Parse(text)) return *parsed;
        return text;
    }
    case kBytea: {
        size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text.c_str()), &length);
        Blob blob(bytes, bytes + length);
        PQfreemem(bytes);
        return blob;
    }
    default: return text;
    }
}

//! The server type a value is sent as; 0 lets the server infer it from where the parameter stands.
Oid OidOf(const Variant& value)
{
    switch (value.Type()) {
    case FieldType::Integer:
    case FieldType::Bool: return kInt8;
    case FieldType::Float: return kFloat8;
    case FieldType::DateTime: return kTimestamp;
    case FieldType::Blob: return kBytea;
    default: return 0;
    }
}

std::string TextOf(const Variant& value)
{
    switch (value.Type()) {
    case FieldType::Bool: return value.AsBool() ? "1" : "0";
    case FieldType::Float: return fmt::format("{:.17g}", value.AsFloat());
    case FieldType::DateTime: {
        DateTime d = value.AsDateTime();
        return fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", d.Year(), d.Month(), d.Day(), d.Hour(), d.Minute(),
                           d.Second());
    }
    case FieldType::Blob: {
        std::string hex = "\\x";
        for (auto byte : value.AsBlob()) hex += fmt::format("{:02x}", byte);
        return hex;
    }
    default: return value.AsString();
    }
}

//! Appends a row in COPY's text format: tab-separated, \N for null, backslash escapes.
void AppendCopyRow(const std::vector<Variant>& row, std::string& data)
{
    for (size_t i = 0; i < row.size(); ++i) {
        if (i) data += '\t';
        if (row[i].IsNull()) {
            data += "\\N";
            continue;
        }
        for (char c : TextOf(row[i])) {
            switch (c) {
            case '\\': data += "\\\\"; break;
            case '\t': data += "\\t"; break;
            case '\n': data += "\\n"; break;
            case '\r': data += "\\r"; break;
            default: data += c;
            }
        }
    }
    data += '\n';
}

//! Takes "schema=name" out of the URL's query, libpq refusing parameters it does not know.
std::string SplitSchema(const std::string& url, std::string& schema)
{
    auto query = url.find('?');
    if (query == std::string::npos) return url;
    std::string kept;
    for (const auto& part : Split(url.substr(query + 1), '&')) {
        if (StartsWithNoCase(part, "schema=")) schema = ToLowerAscii(part.substr(7));
        else if (!part.empty()) kept += (kept.empty() ? "" : "&") + std::string(part);
    }
    return url.substr(0, query) + (kept.empty() ? "" : "?" + kept);
}

struct Spellings {
    std::mutex mutex;
    std::unordered_map<std::string, std::string> byLowerName;
    std::unordered_set<std::string> texts;  //!< texts already learned from
};

Spellings& NameSpellings()
{
    static Spellings spellings;
    return spellings;
}

struct ResultHolder {
    PGresult* result;
    ~ResultHolder() { PQclear(result); }
};

}  // namespace

PgConnection::PgConnection(const std::string& url) : conninfo(SplitSchema(url, schema))
{
    Connect();
}

PgConnection::~PgConnection() { PQfinish(handle); }

void PgConnection::Connect()
{
    handle = PQconnectdb(conninfo.c_str());
    if (PQstatus(handle) != CONNECTION_OK) {
        std::string message = PQerrorMessage(handle);
        PQfinish(handle);
        handle = nullptr;
        throw DbError(fmt::format("无法连接数据库 {}: {}", UrlWithoutPassword(conninfo), Trim(message)), "");
    }
    StartSession();
}

void PgConnection::StartSession()
{
    prepared.clear();
    clockSent.clear();
    PQsetClientEncoding(handle, "UTF8");
    std::string quoted = dialect.QuoteName(schema);
    // Sessions opening a new database together race to create its schemas; the loser finds them made.
    std::string setup = "set client_min_messages = warning; set datestyle = 'ISO, YMD'; ";
    for (const auto& name : {std::string("dbo"), quoted})
        setup += fmt::format("do $$ begin create schema if not exists {}; "
                             "exception when unique_violation or duplicate_schema then null; end $$; ",
                             name);
    Exec(setup + fmt::format("set search_path = {}, dbo", quoted));
    LoadRoutines();
    textColumnsLoaded = false;
}

void PgConnection::EnsureConnected()
{
    // A connection lost between statements comes back; inside a transaction its work is gone, so that fails.
    if (PQstatus(handle) == CONNECTION_OK) return;
    if (depth > 0) throw DbError("数据库连接已断开, 事务已丢失", "");
    PQreset(handle);
    if (PQstatus(handle) != CONNECTION_OK)
        throw DbError(fmt::format("数据库连接已断开: {}", Trim(PQerrorMessage(handle))), "");
    StartSession();
    SendClock();
}

void PgConnection::Fail(PGresult* result, const std::string& sql)
{
    std::string message = result ? PQresultErrorMessage(result) : PQerrorMessage(handle);
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    bool duplicate = state && std::string_view(state) == "23505";
    PQclear(result);
    throw DbError(std::string(Trim(message)), sql, duplicate ? DbFailure::DuplicateKey : DbFailure::Other);
}

void PgConnection::Exec(const std::string& sql)
{
    PGresult* result = PQexec(handle, sql.c_str());
    auto status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) Fail(result, sql);
    PQclear(result);
}

ResultSet PgConnection::RunPrepared(const std::string& sql, const std::vector<Variant>& values, std::int64_t& changes)
{
    std::vector<Oid> types;
    std::vector<std::string> texts;
    std::vector<const char*> pointers;
    std::string key = sql;
    for (const auto& value : values) {
        types.push_back(OidOf(value));
        key += fmt::format("\x1f{}", types.back());
        texts.push_back(TextOf(value));
    }
    for (size_t i = 0; i < values.size(); ++i) pointers.push_back(values[i].IsNull() ? nullptr : texts[i].c_str());
    auto it = prepared.find(key);
    if (it == prepared.end()) {
        std::string name = fmt::format("mfg{}", prepared.size() + 1);
        PGresult* made = PQprepare(handle, name.c_str(), sql.c_str(), static_cast<int>(types.size()), types.data());
        if (PQresultStatus(made) != PGRES_COMMAND_OK) Fail(made, sql);
        PQclear(made);
        it = prepared.emplace(key, name).first;
    }
    ResultHolder holder{PQexecPrepared(handle, it->second.c_str(), static_cast<int>(values.size()), pointers.data(),
                                       nullptr, nullptr, 0)};
    auto status = PQresultStatus(holder.result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        PGresult* failed = holder.result;
        holder.result = nullptr;
        Fail(failed, sql);
    }
    ResultSet rows;
    int columns = PQnfields(holder.result);
    std::vector<Oid> oids;
    for (int c = 0; c < columns; ++c) {
        oids.push_back(PQftype(holder.result, c));
        rows.columns.push_back({PQfname(holder.result, c), TypeOfOid(oids.back())});
    }
    int count = PQntuples(holder.result);
    rows.rows.reserve(static_cast<size_t>(count));
    for (int r = 0; r < count; ++r) {
        std::vector<Variant> row;
        row.reserve(static_cast<size_t>(columns));
        for (int c = 0; c < columns; ++c) row.push_back(ReadValue(holder.result, r, c, oids[static_cast<size_t>(c)]));
        rows.rows.push_back(std::move(row));
    }
    const char* tuples = PQcmdTuples(holder.result);
    changes = tuples && *tuples ? std::stoll(tuples) : 0;
    return rows;
}

template <class Action>
auto PgConnection::Guarded(const Action& action) -> decltype(action())
{
    EnsureConnected();
    if (depth == 0) {
        try {
            return action();
        } catch (const DbError&) {
            // The server went away since the last statement: outside a transaction nothing is lost, so run it again.
            if (PQstatus(handle) == CONNECTION_OK) throw;
            EnsureConnected();
            return action();
        }
    }
    // A failed statement must not doom the whole transaction, as it does not on the server the module was written for.
    Exec("savepoint mfg_statement");
    try {
        auto result = action();
        Exec("release savepoint mfg_statement");
        return result;
    } catch (const DbError&) {
        if (PQstatus(handle) == CONNECTION_OK) Exec("rollback to savepoint mfg_statement; release savepoint mfg_statement");
        throw;
    }
}

ResultSet PgConnection::Run(const std::string& sql, const std::vector<Variant>& values, std::int64_t& changes)
{
    return Guarded([&] { return RunPrepared(sql, values, changes); });
}

ResultSet PgConnection::QueryNative(const std::string& sql, const std::vector<Variant>& values)
{
    std::int64_t changes = 0;
    return Run(sql, values, changes);
}

ResultSet PgConnection::RunNative(const sql::NativeStatement& statement, const std::vector<Variant>& values,
                                  std::int64_t& changes)
{
    return Run(statement.sql, values, changes);
}

void PgConnection::SetClock(Clock newClock)
{
    clock = std::move(newClock);
    clockSent.clear();
}

void PgConnection::SendClock()
{
    // dbo.getdate() reads the session's fixed "now" when the host fixed one (tests, mfg --today).
    std::string now = clock ? TextOf(clock()) : std::string();
    if (now == clockSent) return;
    QueryNative("select set_config('mfg.now', $1, false)", {now});
    clockSent = now;
}

void PgConnection::LearnSpellings(std::string_view tsql)
{
    auto& spellings = NameSpellings();
    std::lock_guard lock(spellings.mutex);
    // Texts with values pasted in are new each time; a bounded memory of texts still learns every name.
    if (spellings.texts.size() > 20000) spellings.texts.clear();
    if (!spellings.texts.emplace(tsql).second) return;
    std::vector<sql::Token> tokens;
    try {
        tokens = sql::Tokenize(tsql);
    } catch (const sql::SqlError&) {
        return;
    }
    for (const auto& token : tokens) {
        if (token.kind != sql::TokenKind::Word && token.kind != sql::TokenKind::QuotedName) continue;
        std::string lower = ToLowerAscii(token.text);
        if (lower != token.text) spellings.byLowerName.emplace(std::move(lower), token.text);
    }
}

void PgConnection::RestoreSpellings(ResultSet& rows) const
{
    auto& spellings = NameSpellings();
    std::lock_guard lock(spellings.mutex);
    for (auto& column : rows.columns)
        if (auto it = spellings.byLowerName.find(column.name); it != spellings.byLowerName.end()) column.name = it->second;
}

BatchResult PgConnection::RunBatch(std::string_view tsql, const Params& params)
{
    LearnSpellings(tsql);
    if (!textColumnsLoaded) LoadTextColumns();
    EnsureConnected();
    SendClock();
    auto result = TranslateAndRun(translator, tsql, params, *this);
    RestoreSpellings(result.rows);
    return result;
}

ResultSet PgConnection::Query(std::string_view tsql, const Params& params)
{
    return std::move(RunBatch(tsql, params).rows);
}

std::int64_t PgConnection::Execute(std::string_view tsql, const Params& params)
{
    return RunBatch(tsql, params).changes;
}

void PgConnection::ExecuteNative(std::string_view sql)
{
    EnsureConnected();
    Exec(std::string(sql));
    SchemaChanged();
}

void PgConnection::LoadRoutines()
{
    // The schema's own routines, not the functions the citext extension put into dbo.
    auto rows = QueryNative("select lower(p.proname), p.proretset from pg_proc p where p.pronamespace = 'dbo'::regnamespace "
                            "and not exists (select 1 from pg_depend d where d.objid = p.oid and d.deptype = 'e')");
    dialect.scalars.clear();
    dialect.tables.clear();
    dialect.procedures.clear();
    routines.clear();
    static const std::set<std::string> builtIns = {"getdate", "year", "month", "day", "round", "len"};
    for (const auto& row : rows.rows) {
        std::string name = row[0].AsString();
        if (builtIns.count(name)) continue;
        dialect.procedures.insert(name);
        (row[1].AsInteger() ? dialect.tables : dialect.scalars).insert(name);
    }
    translator.ClearCache();
}

void PgConnection::LoadTextColumns()
{
    auto rows = QueryNative("select lower(a.attname), bool_and(t.typname in ('citext', 'text', 'varchar', 'bpchar')) "
                            "from pg_attribute a join pg_class c on c.oid = a.attrelid join pg_type t on t.oid = a.atttypid "
                            "where a.attnum > 0 and not a.attisdropped and c.relkind in ('r', 'v') "
                            "and (c.relnamespace = current_schema()::regnamespace or c.relnamespace = pg_my_temp_schema()) "
                            "group by lower(a.attname)");
    dialect.textColumns.clear();
    for (const auto& row : rows.rows)
        if (row[1].AsInteger()) dialect.textColumns.insert(row[0].AsString());
    textColumnsLoaded = true;
}

void PgConnection::SchemaChanged()
{
    textColumnsLoaded = false;
    translator.ClearCache();
    // A plan over a table dropped and made anew with other columns would fail; prepare afresh.
    if (!prepared.empty()) {
        Exec("deallocate all");
        prepared.clear();
    }
}

const PgConnection::Routine& PgConnection::RoutineOf(const std::string& name)
{
    if (auto it = routines.find(name); it != routines.end()) return it->second;
    auto rows = QueryNative("select p.proretset, p.prorettype = 'void'::regtype, coalesce(array_to_string(p.proargmodes, ''), '') "
                            "from pg_proc p where p.pronamespace = 'dbo'::regnamespace and lower(p.proname) = $1",
                            {name});
    if (rows.rows.empty()) throw DbError(fmt::format("存储过程不存在: {}", name), "exec " + name);
    Routine routine;
    routine.returnsSet = rows.rows[0][0].AsInteger() != 0;
    routine.returnsVoid = rows.rows[0][1].AsInteger() != 0;
    std::string modes = rows.rows[0][2].AsString();
    for (size_t i = 0; i < modes.size(); ++i)
        if (modes[i] == 'b') routine.outputArgs.push_back(i);
    return routines.emplace(name, routine).first->second;
}

ResultSet PgConnection::CallRoutine(const std::string& name, const std::vector<Variant>& args)
{
    std::string marks;
    for (size_t i = 0; i < args.size(); ++i) marks += fmt::format("{}${}", i ? ", " : "", i + 1);
    return QueryNative(fmt::format("select * from dbo.{}({})", name, marks), args);
}

ResultSet PgConnection::CallProcedure(const std::string& name, std::vector<Variant>& args)
{
    const Routine& routine = RoutineOf(name);
    ResultSet rows = CallRoutine(name, args);
    if (!routine.outputArgs.empty()) {
        for (size_t i = 0; i < routine.outputArgs.size() && !rows.rows.empty(); ++i)
            if (routine.outputArgs[i] < args.size()) args[routine.outputArgs[i]] = rows.rows.front()[i];
        return {};
    }
    if (routine.returnsVoid) return {};
    return rows;
}

ResultSet PgConnection::CallTableFunction(const std::string& name, const std::vector<Variant>& args)
{
    return CallRoutine(name, args);
}

void PgConnection::CreateTempTable(const std::string& name, const ResultSet& rows)
{
    std::string columns;
    for (const auto& column : rows.columns) {
        std::string_view type = "dbo.citext";
        switch (column.type) {
        case FieldType::Integer:
        case FieldType::Bool: type = "bigint"; break;
        case FieldType::Float: type = "double precision"; break;
        case FieldType::DateTime: type = "timestamp"; break;
        case FieldType::Blob: type = "bytea"; break;
        default: break;
        }
        columns += fmt::format("{}{} {}", columns.empty() ? "" : ", ", dialect.QuoteName(column.name), type);
    }
    Exec(fmt::format("create temp table {} ({})", dialect.QuoteName(name), columns));
    InsertRows(dialect.QuoteName(name), {}, rows);
}

void PgConnection::DropTempTable(const std::string& name)
{
    Exec(fmt::format("drop table if exists pg_temp.{}", dialect.QuoteName(name)));
}

void PgConnection::InsertRows(const std::string& table, const std::vector<std::string>& columns, const ResultSet& rows)
{
    size_t width = columns.empty() ? rows.columns.size() : columns.size();
    if (width == 0 || rows.rows.empty()) return;
    std::vector<std::string> quoted;
    for (const auto& c : columns) quoted.push_back(dialect.QuoteName(c));
    std::string sql = columns.empty() ? fmt::format("copy {} from stdin", table)
                                      : fmt::format("copy {} ({}) from stdin", table, fmt::join(quoted, ", "));
    std::string data;
    for (const auto& row : rows.rows) {
        if (row.size() != width)
            throw DbError(fmt::format("插入 {} 的列数不符: 需要 {} 列, 得到 {} 列", table, width, row.size()), sql);
        AppendCopyRow(row, data);
    }
    // One round trip for all the rows: a statement per row made the MRP's scope of a large factory
    // (a hundred thousand links) cost more than everything else its Load reads.
    Guarded([&] { return CopyIn(sql, data); });
    // The server keeps no statistics of a temporary table by itself: without them the next
    // statement is planned for a table of a few rows, whatever it holds.
    Exec("analyze " + table);
}

bool PgConnection::CopyIn(const std::string& sql, const std::string& data)
{
    PGresult* started = PQexec(handle, sql.c_str());
    if (PQresultStatus(started) != PGRES_COPY_IN) Fail(started, sql);
    PQclear(started);
    const bool sent = PQputCopyData(handle, data.data(), static_cast<int>(data.size())) == 1;
    if (PQputCopyEnd(handle, sent ? nullptr : "the rows could not be sent") != 1) Fail(nullptr, sql);
    PGresult* finished = PQgetResult(handle);
    for (PGresult* more = PQgetResult(handle); more; more = PQgetResult(handle)) PQclear(more);
    if (PQresultStatus(finished) != PGRES_COMMAND_OK) Fail(finished, sql);
    PQclear(finished);
    return true;
}

void PgConnection::BeginTran()
{
    EnsureConnected();
    Exec(depth == 0 ? "begin" : fmt::format("savepoint sp{}", depth));
    ++depth;
}

void PgConnection::CommitTran()
{
    if (depth == 0) throw DbError("没有活动的事务可提交", "commit");
    --depth;
    Exec(depth == 0 ? "commit" : fmt::format("release savepoint sp{}", depth));
}

void PgConnection::RollbackTran()
{
    if (depth == 0) throw DbError("没有活动的事务可回滚", "rollback");
    --depth;
    // With the connection gone the server has rolled the transaction back already.
    if (PQstatus(handle) != CONNECTION_OK) return;
    if (depth == 0) Exec("rollback");
    else Exec(fmt::format("rollback to savepoint sp{}; release savepoint sp{}", depth, depth));
}

DateTime PgConnection::ServerTime()
{
    if (clock) return clock();
    return QueryNative("select localtimestamp(3)").FirstValue().AsDateTime();
}

int PgConnection::BackendPid() const { return PQbackendPID(handle); }

bool PgConnection::TableExists(std::string_view table)
{
    return !QueryNative("select 1 from pg_class c where c.relkind in ('r', 'p') and c.relname = lower($1) "
                        "and (c.relnamespace = current_schema()::regnamespace or c.relnamespace = pg_my_temp_schema())",
                        {std::string(table)})
                .rows.empty();
}

std::vector<std::string> PgConnection::TableNames()
{
    auto rows = QueryNative("select c.relname from pg_class c where c.relkind in ('r', 'p') "
                            "and c.relnamespace = current_schema()::regnamespace order by c.relname");
    std::vector<std::string> names;
    for (const auto& row : rows.rows) names.push_back(row[0].AsString());
    return names;
}

}  // namespace mfg
