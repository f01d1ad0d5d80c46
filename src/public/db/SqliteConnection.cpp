#include "db/SqliteConnection.h"

#include <unistd.h>

#include <cmath>
#include <filesystem>

#include <sqlite3.h>
#include <fmt/format.h>

#include "sql/Tokenizer.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

FieldType TypeOfDeclared(const char* declared)
{
    if (!declared) return FieldType::Unknown;
    std::string type = ToUpperAscii(declared);
    if (type.find("DATE") != std::string::npos || type.find("TIME") != std::string::npos) return FieldType::DateTime;
    if (type.find("CHAR") != std::string::npos || type.find("TEXT") != std::string::npos ||
        type.find("CLOB") != std::string::npos)
        return FieldType::Text;
    if (type.find("INT") != std::string::npos || type == "BIT") return FieldType::Integer;
    if (type.find("BLOB") != std::string::npos) return FieldType::Blob;
    if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
        type.find("DOUB") != std::string::npos || type.find("NUMERIC") != std::string::npos ||
        type.find("DECIMAL") != std::string::npos)
        return FieldType::Float;
    return FieldType::Unknown;
}

Variant ReadValue(sqlite3_stmt* statement, int column, FieldType type)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: {
        auto v = static_cast<std::int64_t>(sqlite3_column_int64(statement, column));
        if (type == FieldType::DateTime) return DateTime(static_cast<double>(v));
        if (type == FieldType::Float) return static_cast<double>(v);
        return v;
    }
    case SQLITE_FLOAT: {
        double v = sqlite3_column_double(statement, column);
        if (type == FieldType::DateTime) return DateTime(v);
        return v;
    }
    case SQLITE_TEXT: {
        std::string text(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                         static_cast<size_t>(sqlite3_column_bytes(statement, column)));
        if (type == FieldType::DateTime)
            if (auto parsed = DateTime::Parse(text)) return *parsed;
        return text;
    }
    default: {
        auto data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement, column));
        return Blob(data, data + sqlite3_column_bytes(statement, column));
    }
    }
}

void BindValue(sqlite3_stmt* statement, int index, const Variant& value)
{
    switch (value.Type()) {
    case FieldType::Unknown: sqlite3_bind_null(statement, index); break;
    case FieldType::Integer: sqlite3_bind_int64(statement, index, value.AsInteger()); break;
    case FieldType::Bool: sqlite3_bind_int64(statement, index, value.AsBool() ? 1 : 0); break;
    case FieldType::Float: sqlite3_bind_double(statement, index, value.AsFloat()); break;
    case FieldType::DateTime: sqlite3_bind_double(statement, index, value.AsDateTime().DayNumber()); break;
    case FieldType::Text: {
        std::string text = value.AsString();
        sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
    }
    case FieldType::Blob: {
        const auto& blob = value.AsBlob();
        sqlite3_bind_blob(statement, index, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

Variant ArgValue(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return static_cast<std::int64_t>(sqlite3_value_int64(value));
    case SQLITE_FLOAT: return sqlite3_value_double(value);
    case SQLITE_TEXT:
        return std::string(reinterpret_cast<const char*>(sqlite3_value_text(value)),
                           static_cast<size_t>(sqlite3_value_bytes(value)));
    default: {
        auto data = static_cast<const std::uint8_t*>(sqlite3_value_blob(value));
        return Blob(data, data + sqlite3_value_bytes(value));
    }
    }
}

void SetResult(sqlite3_context* context, const Variant& value)
{
    switch (value.Type()) {
    case FieldType::Unknown: sqlite3_result_null(context); break;
    case FieldType::Integer:
    case FieldType::Bool: sqlite3_result_int64(context, value.AsInteger()); break;
    case FieldType::Float:
    case FieldType::DateTime: sqlite3_result_double(context, value.AsFloat()); break;
    case FieldType::Text: {
        std::string text = value.AsString();
        sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
    }
    case FieldType::Blob: {
        const auto& blob = value.AsBlob();
        sqlite3_result_blob(context, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

void CallScalar(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    auto* function = static_cast<SqliteConnection::ScalarFunction*>(sqlite3_user_data(context));
    std::vector<Variant> args;
    args.reserve(static_cast<size_t>(argc));
    for (int i = 0; i < argc; ++i) args.push_back(ArgValue(argv[i]));
    try {
        SetResult(context, (*function)(args));
    } catch (const std::exception& e) {
        sqlite3_result_error(context, e.what(), -1);
    }
}

//! year(), month(), day() of a day number or a date text; null stays null.
Variant DatePart(const Variant& value, int (DateTime::*part)() const)
{
    if (value.IsNull()) return {};
    return static_cast<std::int64_t>((value.AsDateTime().*part)());
}

//! A path as the text of a file: URI, with the characters a URI gives meaning escaped.
std::string UriText(const std::string& path)
{
    std::string text;
    for (char c : path) {
        if (c == '%' || c == '?' || c == '#') text += fmt::format("%{:02X}", static_cast<unsigned char>(c));
        else text += c;
    }
    return text;
}

//! The URI of a file opened for reading. In a folder we may not write either, the shared-memory
//! file a WAL database is read through cannot be made; the file is then read as immutable.
std::string ReadOnlyUri(const std::string& path)
{
    auto folder = std::filesystem::path(path).parent_path();
    bool folderWritable = ::access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
    return "file:" + UriText(path) + (folderWritable ? "?mode=ro" : "?immutable=1");
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& filePath) : path(filePath)
{
    // A file the user may not write is opened for reading: queries work, writes are refused.
    readOnly = path != ":memory:" && !path.empty() && ::access(path.c_str(), F_OK) == 0 &&
               ::access(path.c_str(), W_OK) != 0;
    int flags = (readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                SQLITE_OPEN_NOMUTEX;
    std::string name = readOnly ? ReadOnlyUri(path) : path;
    if (sqlite3_open_v2(name.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
        std::string message = handle ? sqlite3_errmsg(handle) : "out of memory";
        sqlite3_close(handle);
        handle = nullptr;
        throw DbError(fmt::format("无法打开数据库 {}: {}", path, message), "");
    }
    sqlite3_busy_timeout(handle, 5000);
    sqlite3_extended_result_codes(handle, 1);
    if (path != ":memory:" && !path.empty() && !readOnly) Exec("pragma journal_mode=wal");
    Exec("pragma foreign_keys=on");
    // sysobjects as the server has it, so that "if exists (select * from sysobjects where name = ...)" works.
    Exec("create temp view sysobjects as "
         "select name collate nocase as name, case type when 'table' then 'U' when 'view' then 'V' "
         "when 'index' then 'K' else 'TR' end as xtype from sqlite_master "
         "union all select name collate nocase, case type when 'table' then 'U' when 'view' then 'V' "
         "when 'index' then 'K' else 'TR' end from sqlite_temp_master");
    dialect.textColumn = [this](std::string_view name) { return IsTextColumn(name); };
    RegisterBuiltins();
}

SqliteConnection::~SqliteConnection()
{
    for (auto& [sql, statement] : statements) sqlite3_finalize(statement);
    sqlite3_close_v2(handle);
}

void SqliteConnection::RegisterBuiltins()
{
    // SQLite's own stand-ins for T-SQL built-ins: the dialect maps these names, they are no schema routines.
    auto datePart = [this](const char* name, int (DateTime::*part)() const) {
        CreateFunction(name, 1, [part](const std::vector<Variant>& a) { return DatePart(a[0], part); });
    };
    datePart("year", &DateTime::Year);
    datePart("month", &DateTime::Month);
    datePart("day", &DateTime::Day);
    CreateFunction("getdate", 0, [this](const std::vector<Variant>&) { return Variant(ServerTime().DayNumber()); });
    CreateFunction("floor", 1, [](const std::vector<Variant>& a) {
        return a[0].IsNull() ? Variant() : Variant(std::floor(a[0].AsFloat()));
    });
    CreateFunction("ceiling", 1, [](const std::vector<Variant>& a) {
        return a[0].IsNull() ? Variant() : Variant(std::ceil(a[0].AsFloat()));
    });
    CreateFunction("power", 2, [](const std::vector<Variant>& a) {
        return a[0].IsNull() || a[1].IsNull() ? Variant() : Variant(std::pow(a[0].AsFloat(), a[1].AsFloat()));
    });
    CreateFunction("sqrt", 1, [](const std::vector<Variant>& a) {
        return a[0].IsNull() ? Variant() : Variant(std::sqrt(a[0].AsFloat()));
    });
    CreateFunction("sign", 1, [](const std::vector<Variant>& a) {
        if (a[0].IsNull()) return Variant();
        double v = a[0].AsFloat();
        return Variant(static_cast<std::int64_t>(v > 0 ? 1 : (v < 0 ? -1 : 0)));
    });
}

void SqliteConnection::CreateFunction(const std::string& lowerName, int nArgs, ScalarFunction function)
{
    auto holder = std::make_unique<ScalarFunction>(std::move(function));
    int flags = SQLITE_UTF8 | (lowerName == "getdate" ? 0 : SQLITE_DETERMINISTIC);
    if (sqlite3_create_function_v2(handle, lowerName.c_str(), nArgs, flags, holder.get(), CallScalar, nullptr, nullptr,
                                   nullptr) != SQLITE_OK)
        Fail("register " + lowerName);
    scalarFunctions.push_back(std::move(holder));
}

void SqliteConnection::RegisterScalar(const std::string& name, int nArgs, ScalarFunction function)
{
    std::string lower = ToLowerAscii(name);
    CreateFunction(lower, nArgs, std::move(function));
    dialect.scalars.insert(lower);
    translator.ClearCache();
}

void SqliteConnection::RegisterProcedure(const std::string& name, Procedure procedure)
{
    std::string lower = ToLowerAscii(name);
    procedures[lower] = std::move(procedure);
    dialect.procedures.insert(lower);
    translator.ClearCache();
}

void SqliteConnection::RegisterTableFunction(const std::string& name, TableFunction function)
{
    std::string lower = ToLowerAscii(name);
    tableFunctions[lower] = std::move(function);
    dialect.tables.insert(lower);
    translator.ClearCache();
}

void SqliteConnection::Fail(const std::string& sql)
{
    int code = sqlite3_extended_errcode(handle);
    if ((code & 0xff) == SQLITE_READONLY)
        throw DbError(fmt::format("数据库文件 {} 是只读的: 只能查询, 不能写入。", path), sql);
    bool duplicate = code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY;
    throw DbError(sqlite3_errmsg(handle), sql,
                  duplicate ? DbFailure::DuplicateKey : DbFailure::Other);
}

void SqliteConnection::Exec(const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : sqlite3_errmsg(handle);
        sqlite3_free(error);
        throw DbError(message, sql);
    }
}

sqlite3_stmt* SqliteConnection::Prepare(const std::string& sql)
{
    if (auto it = statements.find(sql); it != statements.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        return it->second;
    }
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()), &statement, &tail) != SQLITE_OK) Fail(sql);
    if (tail && !Trim(tail).empty() && Trim(tail) != ";") {
        sqlite3_finalize(statement);
        throw DbError(fmt::format("一次只能执行一条语句: {}", sql), sql);
    }
    if (statements.size() > 2000) {
        for (auto& [text, cached] : statements) sqlite3_finalize(cached);
        statements.clear();
        parameterIndexes.clear();
    }
    statements.emplace(sql, statement);
    return statement;
}

int SqliteConnection::ParameterIndex(sqlite3_stmt* statement, const std::string& placeholder)
{
    auto [entry, made] = parameterIndexes.try_emplace(statement);
    if (made)
        for (int i = 1, count = sqlite3_bind_parameter_count(statement); i <= count; ++i)
            if (const char* name = sqlite3_bind_parameter_name(statement, i)) entry->second.emplace(name, i);
    auto found = entry->second.find(placeholder);
    return found == entry->second.end() ? 0 : found->second;
}

ResultSet SqliteConnection::Step(sqlite3_stmt* statement, const std::string& sql, std::int64_t& changes)
{
    ResultSet result;
    int count = sqlite3_column_count(statement);
    std::vector<FieldType> types;
    for (int i = 0; i < count; ++i) {
        FieldType type = TypeOfDeclared(sqlite3_column_decltype(statement, i));
        result.columns.push_back({sqlite3_column_name(statement, i), type});
        types.push_back(type);
    }
    while (true) {
        int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) {
            sqlite3_reset(statement);
            Fail(sql);
        }
        std::vector<Variant> row;
        row.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) row.push_back(ReadValue(statement, i, types[static_cast<size_t>(i)]));
        result.rows.push_back(std::move(row));
    }
    changes = sqlite3_changes64(handle);
    sqlite3_reset(statement);
    // A column without a declared type takes the type of its first value, as the datasets read it.
    for (size_t i = 0; i < result.columns.size(); ++i) {
        if (result.columns[i].type != FieldType::Unknown) continue;
        for (const auto& row : result.rows) {
            if (!row[i].IsNull()) {
                result.columns[i].type = row[i].Type();
                break;
            }
        }
    }
    return result;
}

ResultSet SqliteConnection::RunNative(const sql::NativeStatement& native, const std::vector<Variant>& values,
                                      std::int64_t& changes)
{
    sqlite3_stmt* statement = Prepare(native.sql);
    // Placeholders of the same name share one SQLite parameter; bind each name once.
    for (size_t i = 0; i < native.params.size(); ++i) {
        int index = ParameterIndex(statement, ":" + native.params[i]);
        if (index > 0) BindValue(statement, index, values[i]);
    }
    auto result = Step(statement, native.sql, changes);
    if (native.isDdl) {
        // A prepared statement over a dropped table must not linger in the cache.
        parameterIndexes.erase(statement);
        sqlite3_finalize(statement);
        statements.erase(native.sql);
    }
    return result;
}

ResultSet SqliteConnection::QueryNative(std::string_view sql, const Params& params)
{
    sqlite3_stmt* statement = Prepare(std::string(sql));
    for (const auto& [name, value] : params) {
        int index = ParameterIndex(statement, name.starts_with(":") ? name : ":" + name);
        if (index > 0) BindValue(statement, index, value);
    }
    std::int64_t changes = 0;
    return Step(statement, std::string(sql), changes);
}

BatchResult SqliteConnection::RunBatch(std::string_view tsql, const Params& params)
{
    return TranslateAndRun(translator, tsql, params, *this);
}

ResultSet SqliteConnection::Query(std::string_view tsql, const Params& params)
{
    return std::move(RunBatch(tsql, params).rows);
}

std::int64_t SqliteConnection::Execute(std::string_view tsql, const Params& params)
{
    return RunBatch(tsql, params).changes;
}

void SqliteConnection::ExecuteNative(std::string_view sql)
{
    Exec(std::string(sql));
    SchemaChanged();
}

ResultSet SqliteConnection::CallProcedure(const std::string& name, std::vector<Variant>& args)
{
    auto it = procedures.find(name);
    if (it == procedures.end()) throw DbError(fmt::format("存储过程不存在: {}", name), "exec " + name);
    return it->second(*this, args);
}

ResultSet SqliteConnection::CallTableFunction(const std::string& name, const std::vector<Variant>& args)
{
    auto it = tableFunctions.find(name);
    if (it == tableFunctions.end()) throw DbError(fmt::format("表函数不存在: {}", name), name);
    return it->second(*this, args);
}

void SqliteConnection::CreateTempTable(const std::string& name, const ResultSet& rows)
{
    std::string columns;
    for (const auto& column : rows.columns) {
        if (!columns.empty()) columns += ", ";
        columns += dialect.QuoteName(column.name);
        if (column.type == FieldType::Text) columns += " TEXT COLLATE NOCASE";
        else if (column.type == FieldType::DateTime) columns += " DATETIME";
        // Numeric affinity lets an index on the column serve a join with an integer column; the
        // type name is none the reader knows, so values are read as they come, an integer
        // column's fractions included.
        else if (column.type == FieldType::Integer) columns += " NUM";
    }
    Exec(fmt::format("create temp table {} ({})", dialect.QuoteName(name), columns));
    InsertRows(dialect.QuoteName(name), {}, rows);
    // A table function's rows are joined on their first column (the goods of getmanuorderqty):
    // without an index every row of the outer query would scan them all.
    if (!rows.columns.empty())
        Exec(fmt::format("create index temp.{} on {} ({})", dialect.QuoteName("IX_" + name), dialect.QuoteName(name),
                         dialect.QuoteName(rows.columns.front().name)));
}

void SqliteConnection::DropTempTable(const std::string& name)
{
    Exec(fmt::format("drop table if exists temp.{}", dialect.QuoteName(name)));
}

void SqliteConnection::InsertRows(const std::string& table, const std::vector<std::string>& columns, const ResultSet& rows)
{
    size_t width = columns.empty() ? rows.columns.size() : columns.size();
    if (width == 0) return;
    std::string names;
    for (const auto& c : columns) names += (names.empty() ? "" : ", ") + dialect.QuoteName(c);
    std::string marks;
    for (size_t i = 0; i < width; ++i) marks += i ? ", ?" : "?";
    std::string sql = columns.empty() ? fmt::format("insert into {} values ({})", table, marks)
                                      : fmt::format("insert into {} ({}) values ({})", table, names, marks);
    sqlite3_stmt* statement = Prepare(sql);
    for (const auto& row : rows.rows) {
        if (row.size() != width)
            throw DbError(fmt::format("插入 {} 的列数不符: 需要 {} 列, 得到 {} 列", table, width, row.size()), sql);
        for (size_t i = 0; i < width; ++i) BindValue(statement, static_cast<int>(i + 1), row[i]);
        if (sqlite3_step(statement) != SQLITE_DONE) {
            sqlite3_reset(statement);
            Fail(sql);
        }
        sqlite3_reset(statement);
    }
}

void SqliteConnection::SchemaChanged()
{
    textColumnsLoaded = false;
    translator.ClearCache();
}

bool SqliteConnection::IsTextColumn(std::string_view name)
{
    if (!textColumnsLoaded) {
        textColumns.clear();
        std::int64_t ignored = 0;
        auto tables = Step(Prepare("select name from sqlite_master where type='table' union all "
                                   "select name from sqlite_temp_master where type='table'"),
                           "tables", ignored);
        for (const auto& row : tables.rows) {
            auto info = QueryNative(fmt::format("select name, type from pragma_table_info({})", QuoteSql(row[0].AsString())));
            for (const auto& column : info.rows) {
                bool text = TypeOfDeclared(column[1].AsString().c_str()) == FieldType::Text;
                auto [it, inserted] = textColumns.emplace(ToLowerAscii(column[0].AsString()), text);
                if (!inserted) it->second = it->second && text;
            }
        }
        textColumnsLoaded = true;
    }
    auto it = textColumns.find(ToLowerAscii(name));
    return it != textColumns.end() && it->second;
}

void SqliteConnection::BeginTran()
{
    try {
        Exec(depth == 0 ? "begin immediate" : fmt::format("savepoint sp{}", depth));
    } catch (const DbError&) {
        // A transaction holds the file's write lock from its start; another writer kept it past the wait.
        if ((sqlite3_extended_errcode(handle) & 0xff) == SQLITE_BUSY)
            throw DbError("数据库正被其他用户写入, 等候 5 秒仍未轮到, 请稍后再试。", "begin immediate");
        throw;
    }
    ++depth;
}

void SqliteConnection::CommitTran()
{
    if (depth == 0) throw DbError("没有活动的事务可提交", "commit");
    --depth;
    Exec(depth == 0 ? "commit" : fmt::format("release sp{}", depth));
}

void SqliteConnection::RollbackTran()
{
    if (depth == 0) throw DbError("没有活动的事务可回滚", "rollback");
    --depth;
    if (depth == 0) Exec("rollback");
    else Exec(fmt::format("rollback to sp{}; release sp{}", depth, depth));
}

DateTime SqliteConnection::ServerTime() { return clock ? clock() : DateTime::Now(); }

bool SqliteConnection::TableExists(std::string_view table)
{
    auto rows = QueryNative("select 1 from sqlite_master where type='table' and name = :name collate nocase "
                            "union all select 1 from sqlite_temp_master where type='table' and name = :name collate nocase",
                            {{"name", std::string(table)}});
    return !rows.rows.empty();
}

std::vector<std::string> SqliteConnection::TableNames()
{
    auto rows = QueryNative("select name from sqlite_master where type='table' and name not like 'sqlite_%' order by name");
    std::vector<std::string> names;
    for (const auto& row : rows.rows) names.push_back(row[0].AsString());
    return names;
}

}  // namespace mfg
