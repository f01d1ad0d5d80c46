#include "sql/SqliteDialect.h"

#include <map>

#include <fmt/format.h>

#include "sql/Tokenizer.h"

namespace mfg::sql {

std::string SqliteDialect::DateLiteral(DateTime value) const
{
    double day = value.DayNumber();
    if (day == static_cast<double>(static_cast<long long>(day))) return fmt::format("{}", static_cast<long long>(day));
    return fmt::format("{:.10f}", day);
}

std::string SqliteDialect::Placeholder(std::string_view name, size_t) const { return fmt::format(":{}", name); }

std::optional<std::string> SqliteDialect::FunctionName(std::string_view lowerName) const
{
    // T-SQL built-ins the module uses, with SQLite's own names; year/month/day/getdate and the
    // math functions are registered on the connection under their T-SQL names.
    static const std::map<std::string, std::string, std::less<>> names = {
        {"count", "count"},   {"sum", "sum"},         {"avg", "avg"},         {"min", "min"},
        {"max", "max"},       {"isnull", "ifnull"},   {"coalesce", "coalesce"}, {"nullif", "nullif"},
        {"abs", "abs"},       {"round", "round"},     {"floor", "floor"},     {"ceiling", "ceiling"},
        {"upper", "upper"},   {"lower", "lower"},     {"ltrim", "ltrim"},     {"rtrim", "rtrim"},
        {"len", "length"},    {"substring", "substr"}, {"replace", "replace"}, {"getdate", "getdate"},
        {"year", "year"},     {"month", "month"},     {"day", "day"},         {"sign", "sign"},
        {"power", "power"},   {"sqrt", "sqrt"},       {"char", "char"},
    };
    auto it = names.find(lowerName);
    if (it == names.end()) return std::nullopt;
    return it->second;
}

std::string SqliteDialect::ColumnType(std::string_view lowerType, const std::vector<std::string>& args) const
{
    static const std::map<std::string, std::string, std::less<>> numeric = {
        {"int", "INTEGER"}, {"integer", "INTEGER"}, {"smallint", "INTEGER"}, {"tinyint", "INTEGER"},
        {"bigint", "INTEGER"}, {"bit", "BIT"}, {"float", "FLOAT"}, {"real", "FLOAT"},
        {"numeric", "NUMERIC"}, {"decimal", "NUMERIC"}, {"money", "NUMERIC"}, {"smallmoney", "NUMERIC"},
        {"datetime", "DATETIME"}, {"smalldatetime", "DATETIME"}, {"date", "DATETIME"},
        {"image", "BLOB"}, {"varbinary", "BLOB"}, {"binary", "BLOB"},
    };
    if (auto it = numeric.find(lowerType); it != numeric.end()) return it->second;
    static constexpr std::string_view text[] = {"varchar", "nvarchar", "char", "nchar", "text", "ntext"};
    for (auto t : text) {
        if (lowerType == t) {
            std::string size = args.empty() ? std::string() : "(" + args.front() + ")";
            // The server compares text without case; so must the embedded database.
            return fmt::format("{}{} COLLATE NOCASE", ToUpperAscii(lowerType), size);
        }
    }
    throw SqlError(fmt::format("不支持的列类型: {}", lowerType));
}

std::string SqliteDialect::CastType(std::string_view lowerType) const
{
    static const std::map<std::string, std::string, std::less<>> types = {
        {"int", "integer"}, {"integer", "integer"}, {"bigint", "integer"}, {"smallint", "integer"},
        {"tinyint", "integer"}, {"bit", "integer"}, {"float", "real"}, {"real", "real"},
        {"numeric", "numeric"}, {"decimal", "numeric"}, {"money", "numeric"}, {"datetime", "real"},
        {"smalldatetime", "real"}, {"date", "real"}, {"varchar", "text"}, {"nvarchar", "text"},
        {"char", "text"}, {"nchar", "text"}, {"text", "text"},
    };
    auto it = types.find(lowerType);
    if (it == types.end()) throw SqlError(fmt::format("不支持的类型转换: {}", lowerType));
    return it->second;
}

std::string SqliteDialect::DefaultNow() const { return "(julianday('now', 'localtime') - 2415018.5)"; }

}  // namespace mfg::sql
