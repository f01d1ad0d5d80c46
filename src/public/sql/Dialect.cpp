#include "sql/Dialect.h"

#include "types/TextUtil.h"

namespace mfg::sql {

std::string Dialect::QuoteName(std::string_view name) const
{
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    return out + "\"";
}

std::string Dialect::StringLiteral(std::string_view text) const { return QuoteSql(text); }

std::string Dialect::TempTableName(std::string_view name) const { return QuoteName(name); }

}  // namespace mfg::sql
