#include "data/UpdateSql.h"

#include <stdexcept>

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg {
namespace {

bool IsNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80; }

bool IsNameChar(unsigned char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// Skips a quoted run that starts at text[pos] and ends with `close`; a doubled close stays inside.
size_t SkipQuoted(std::string_view text, size_t pos, char close)
{
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == close) {
            if (pos + 1 < text.size() && text[pos + 1] == close) {
                pos += 2;
                continue;
            }
            return pos + 1;
        }
        ++pos;
    }
    return pos;
}

bool IsPlainName(std::string_view name)
{
    if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!IsNameChar(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string SqlName(std::string_view name)
{
    if (IsPlainName(name)) return std::string(name);
    std::string quoted = "[";
    for (char c : name) {
        quoted += c;
        if (c == ']') quoted += ']';
    }
    return quoted + "]";
}

}  // namespace

std::vector<std::string> SqlParamNames(std::string_view sql)
{
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < sql.size()) {
        char c = sql[pos];
        if (c == '\'' || c == '"') {
            pos = SkipQuoted(sql, pos, c);
        } else if (c == '[') {
            pos = SkipQuoted(sql, pos, ']');
        } else if (c == '-' && pos + 1 < sql.size() && sql[pos + 1] == '-') {
            pos = sql.find('\n', pos);
            if (pos == std::string_view::npos) pos = sql.size();
        } else if (c == '/' && pos + 1 < sql.size() && sql[pos + 1] == '*') {
            pos = sql.find("*/", pos + 2);
            pos = pos == std::string_view::npos ? sql.size() : pos + 2;
        } else if (c == ':' && pos + 1 < sql.size() && sql[pos + 1] == ':') {
            pos += 2;
        } else if (c == ':' && pos + 1 < sql.size() && IsNameStart(static_cast<unsigned char>(sql[pos + 1]))) {
            size_t end = pos + 1;
            while (end < sql.size() && IsNameChar(static_cast<unsigned char>(sql[end]))) ++end;
            std::string_view name = sql.substr(pos + 1, end - pos - 1);
            bool known = false;
            for (const auto& n : names) known = known || EqualsNoCase(n, name);
            if (!known) names.emplace_back(name);
            pos = end;
        } else {
            ++pos;
        }
    }
    return names;
}

UpdateSql UpdateSql::ForTable(std::string_view table, std::string_view keyFields, std::span<const std::string> columns)
{
    std::vector<std::string> keys;
    for (const auto& key : Split(keyFields, ';'))
        if (!Trim(key).empty()) keys.emplace_back(Trim(key));
    if (table.empty() || keys.empty() || columns.empty())
        throw std::invalid_argument(fmt::format("生成更新语句需要表名、关键字段和字段列表 (表 '{}')", table));
    // The names also become parameter names, which must be plain words to be found again.
    for (const auto& name : keys)
        if (!IsPlainName(name)) throw std::invalid_argument(fmt::format("关键字段名 '{}' 不能用作参数名", name));
    for (const auto& name : columns)
        if (!IsPlainName(name)) throw std::invalid_argument(fmt::format("字段名 '{}' 不能用作参数名", name));

    std::string where;
    for (const auto& key : keys) {
        where += where.empty() ? " where " : " and ";
        where += fmt::format("{} = :OLD_{}", key, key);
    }
    std::string names, values, sets;
    for (const auto& column : columns) {
        if (!names.empty()) {
            names += ", ";
            values += ", ";
            sets += ", ";
        }
        names += column;
        values += ":" + column;
        sets += fmt::format("{} = :{}", column, column);
    }
    UpdateSql sql;
    sql.InsertSQL = fmt::format("insert into {} ({}) values ({})", SqlName(table), names, values);
    sql.ModifySQL = fmt::format("update {} set {}{}", SqlName(table), sets, where);
    sql.DeleteSQL = fmt::format("delete from {}{}", SqlName(table), where);
    return sql;
}

}  // namespace mfg
