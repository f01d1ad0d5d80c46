#include "sql/PgDialect.h"

#include <map>

#include <fmt/format.h>

#include "sql/Tokenizer.h"

namespace mfg::sql {

std::string PgDialect::QuoteName(std::string_view name) const { return Dialect::QuoteName(ToLowerAscii(name)); }

std::string PgDialect::DateLiteral(DateTime value) const
{
    return fmt::format("timestamp '{:04}-{:02}-{:02} {:02}:{:02}:{:02}'", value.Year(), value.Month(), value.Day(),
                       value.Hour(), value.Minute(), value.Second());
}

std::string PgDialect::Placeholder(std::string_view, size_t index) const { return fmt::format("${}", index + 1); }

std::optional<std::string> PgDialect::FunctionName(std::string_view lowerName) const
{
    // T-SQL built-ins with PostgreSQL's names; the ones PostgreSQL lacks (year, month, day,
    // getdate, round of a float) are functions of the dbo schema under their T-SQL names.
    static const std::map<std::string, std::string, std::less<>> names = {
        {"count", "count"},     {"sum", "sum"},         {"avg", "avg"},           {"min", "min"},
        {"max", "max"},         {"isnull", "coalesce"}, {"coalesce", "coalesce"}, {"nullif", "nullif"},
        {"abs", "abs"},         {"round", "dbo.round"}, {"floor", "floor"},       {"ceiling", "ceiling"},
        {"upper", "upper"},     {"lower", "lower"},     {"ltrim", "ltrim"},       {"rtrim", "rtrim"},
        {"len", "dbo.len"},     {"substring", "substr"}, {"replace", "replace"},  {"getdate", "dbo.getdate"},
        {"year", "dbo.year"},   {"month", "dbo.month"}, {"day", "dbo.day"},       {"sign", "sign"},
        {"power", "power"},     {"sqrt", "sqrt"},       {"char", "chr"},
    };
    auto it = names.find(lowerName);
    if (it == names.end()) return std::nullopt;
    return it->second;
}

std::string PgDialect::ColumnType(std::string_view lowerType, const std::vector<std::string>& args) const
{
    static const std::map<std::string, std::string, std::less<>> types = {
        {"int", "integer"}, {"integer", "integer"}, {"smallint", "integer"}, {"tinyint", "integer"},
        {"bigint", "bigint"}, {"bit", "integer"}, {"float", "double precision"}, {"real", "double precision"},
        {"money", "numeric(19,4)"}, {"smallmoney", "numeric(10,4)"},
        {"datetime", "timestamp"}, {"smalldatetime", "timestamp"}, {"date", "timestamp"},
        {"image", "bytea"}, {"varbinary", "bytea"}, {"binary", "bytea"},
        // The server compares text without case; citext does the same here, LIKE included.
        {"varchar", "dbo.citext"}, {"nvarchar", "dbo.citext"}, {"char", "dbo.citext"}, {"nchar", "dbo.citext"},
        {"text", "dbo.citext"}, {"ntext", "dbo.citext"},
    };
    if (lowerType == "numeric" || lowerType == "decimal") {
        if (args.empty()) return "numeric";
        return fmt::format("numeric({})", fmt::join(args, ","));
    }
    if (auto it = types.find(lowerType); it != types.end()) return it->second;
    throw SqlError(fmt::format("不支持的列类型: {}", lowerType));
}

std::string PgDialect::CastType(std::string_view lowerType) const
{
    static const std::map<std::string, std::string, std::less<>> types = {
        {"int", "integer"}, {"integer", "integer"}, {"bigint", "bigint"}, {"smallint", "integer"},
        {"tinyint", "integer"}, {"bit", "integer"}, {"float", "double precision"}, {"real", "double precision"},
        {"numeric", "numeric"}, {"decimal", "numeric"}, {"money", "numeric"}, {"datetime", "timestamp"},
        {"smalldatetime", "timestamp"}, {"date", "timestamp"}, {"varchar", "dbo.citext"}, {"nvarchar", "dbo.citext"},
        {"char", "dbo.citext"}, {"nchar", "dbo.citext"}, {"text", "dbo.citext"},
    };
    auto it = types.find(lowerType);
    if (it == types.end()) throw SqlError(fmt::format("不支持的类型转换: {}", lowerType));
    return it->second;
}

}  // namespace mfg::sql
