#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "types/Variant.h"

namespace mfg {

//! One column of a result: its name as the statement gave it and its type.
struct ResultColumn {
    std::string name;
    FieldType type = FieldType::Unknown;
};

//! The rows a statement returned, read whole.
struct ResultSet {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Variant>> rows;

    bool Empty() const { return rows.empty(); }
    //! Index of a column by name, ignoring case; -1 when there is none.
    int ColumnIndex(std::string_view name) const;
    //! The first column of the first row; null when there is no row.
    Variant FirstValue() const;
};

}  // namespace mfg
