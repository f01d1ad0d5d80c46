#include "db/ResultSet.h"

#include "types/TextUtil.h"

namespace mfg {

int ResultSet::ColumnIndex(std::string_view name) const
{
    for (size_t i = 0; i < columns.size(); ++i)
        if (EqualsNoCase(columns[i].name, name)) return static_cast<int>(i);
    return -1;
}

Variant ResultSet::FirstValue() const
{
    if (rows.empty() || rows.front().empty()) return {};
    return rows.front().front();
}

}  // namespace mfg
