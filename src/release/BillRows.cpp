#include "BillRows.h"

#include <stdexcept>

#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {

BillRows::BillRows(std::string tableName, std::vector<std::string> columnNames)
    : table(std::move(tableName)), columns(std::move(columnNames))
{
    std::string names, values;
    for (auto& column : columns) {
        column = ToLowerAscii(column);
        names += (names.empty() ? "" : ", ") + column;
        values += (values.empty() ? ":" : ", :") + column;
    }
    insertSql = "insert into " + table + " (" + names + ") values (" + values + ")";
}

std::vector<std::string> BillRows::ColumnList(std::string_view list)
{
    std::vector<std::string> words;
    for (auto word : Split(list, ',')) words.emplace_back(Trim(word));
    return words;
}

void BillRows::Append()
{
    rows.emplace_back(columns.size());
}

int BillRows::ColumnOf(std::string_view column) const
{
    const std::string name = ToLowerAscii(column);
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i] == name) return static_cast<int>(i);
    return -1;
}

void BillRows::Set(std::string_view column, Variant value)
{
    if (rows.empty()) throw std::logic_error("BillRows::Set before Append on " + table);
    const int index = ColumnOf(column);
    if (index >= 0) rows.back()[static_cast<std::size_t>(index)] = std::move(value);
}

void BillRows::SetAt(std::size_t row, std::string_view column, Variant value)
{
    const int index = ColumnOf(column);
    if (row >= rows.size()) throw std::logic_error("BillRows::SetAt past the rows of " + table);
    if (index >= 0) rows[row][static_cast<std::size_t>(index)] = std::move(value);
}

Variant BillRows::Get(std::string_view column) const
{
    const int index = ColumnOf(column);
    if (rows.empty() || index < 0) return {};
    return rows.back()[static_cast<std::size_t>(index)];
}

void BillRows::Write()
{
    for (const auto& row : rows) {
        Params params;
        params.reserve(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i) params.emplace_back(columns[i], row[i]);
        SqlExecuteNoTran(insertSql, params);
    }
    rows.clear();
}

}  // namespace mfg
