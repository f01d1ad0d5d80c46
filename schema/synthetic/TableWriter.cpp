#include "TableWriter.h"

#include <stdexcept>

#include <fmt/format.h>

namespace mfg::synthetic {

TableWriter::TableWriter(Connection& connection, std::int64_t& total, std::string_view table,
                         std::initializer_list<std::string_view> columns, const Params& fixed)
    : db(connection), rows(total), variable(columns.size())
{
    for (auto column : columns) params.emplace_back(std::string(column), Variant());
    params.insert(params.end(), fixed.begin(), fixed.end());
    std::string names, values;
    for (const auto& [column, value] : params) {
        names += fmt::format("{}{}", names.empty() ? "" : ", ", column);
        values += fmt::format("{}:{}", values.empty() ? "" : ", ", column);
    }
    sql = fmt::format("insert into {} ({}) values ({})", table, names, values);
}

void TableWriter::Add(std::initializer_list<Variant> values)
{
    if (values.size() != variable)
        throw std::logic_error(fmt::format("{} 个值, 但语句有 {} 列: {}", values.size(), variable, sql));
    size_t i = 0;
    for (const auto& value : values) params[i++].second = value;
    db.Execute(sql, params);
    ++rows;
}

}  // namespace mfg::synthetic
