#include "TableWriter.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include <fmt/format.h>

namespace mfg::synthetic {
namespace {

//! Values bound to one statement: a round trip carries some hundred rows, while SQLite, which
//! matches each parameter name against all the others when it prepares a statement, stays quick.
constexpr size_t ValuesPerStatement = 1000;

}  // namespace

TableWriter::TableWriter(Connection& connection, std::int64_t& total, std::string_view tableName,
                         std::initializer_list<std::string_view> columnNames, const Params& fixedValues)
    : db(connection), rows(total), table(tableName), columns(columnNames.begin(), columnNames.end()), fixed(fixedValues)
{
    batchRows = std::max<size_t>(1, ValuesPerStatement / std::max<size_t>(1, columns.size()));
    batchSql = InsertSql(batchRows);
    for (size_t row = 0; row < batchRows; ++row)
        for (const auto& column : columns) batch.emplace_back(fmt::format("{}_{}", column, row), Variant());
    batch.insert(batch.end(), fixed.begin(), fixed.end());
}

TableWriter::~TableWriter() noexcept(false)
{
    if (std::uncaught_exceptions() == 0) Flush();
}

std::string TableWriter::InsertSql(size_t rowCount) const
{
    std::string names;
    for (const auto& column : columns) names += fmt::format("{}{}", names.empty() ? "" : ", ", column);
    for (const auto& [column, value] : fixed) names += fmt::format("{}{}", names.empty() ? "" : ", ", column);
    std::string values;
    for (size_t row = 0; row < rowCount; ++row) {
        std::string one;
        for (const auto& column : columns) one += fmt::format("{}:{}_{}", one.empty() ? "" : ", ", column, row);
        for (const auto& [column, value] : fixed) one += fmt::format("{}:{}", one.empty() ? "" : ", ", column);
        values += fmt::format("{}({})", row == 0 ? "" : ",\n", one);
    }
    return fmt::format("insert into {} ({}) values {}", table, names, values);
}

void TableWriter::Add(std::initializer_list<Variant> values)
{
    if (values.size() != columns.size())
        throw std::logic_error(fmt::format("{} 个值, 但 {} 有 {} 列", values.size(), table, columns.size()));
    auto slot = batch.begin() + static_cast<std::ptrdiff_t>(pendingRows * columns.size());
    for (const auto& value : values) (slot++)->second = value;
    if (++pendingRows == batchRows) Flush();
}

void TableWriter::Flush()
{
    if (pendingRows == 0) return;
    if (pendingRows == batchRows) {
        db.Execute(batchSql, batch);
    } else {
        Params part(batch.begin(), batch.begin() + static_cast<std::ptrdiff_t>(pendingRows * columns.size()));
        part.insert(part.end(), fixed.begin(), fixed.end());
        db.Execute(InsertSql(pendingRows), part);
    }
    rows += static_cast<std::int64_t>(pendingRows);
    pendingRows = 0;
}

}  // namespace mfg::synthetic
