#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "db/Connection.h"

namespace mfg::synthetic {

//! Appends rows to one table through a single parameterised insert: the text is translated and
//! prepared once, each row only binds its values. Every row counts into a total shared by the load.
class TableWriter {
public:
    //! `fixed` columns take the same value in every row (the load's own time stamps).
    TableWriter(Connection& db, std::int64_t& total, std::string_view table, std::initializer_list<std::string_view> columns,
                const Params& fixed = {});

    //! One row, the values in the order of the columns.
    void Add(std::initializer_list<Variant> values);

private:
    Connection& db;
    std::int64_t& rows;  //!< shared by the writers of one load
    std::string sql;
    Params params;
    size_t variable = 0;  //!< params before the fixed ones
};

}  // namespace mfg::synthetic
