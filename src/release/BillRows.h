#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "types/Variant.h"

namespace mfg {

//! The rows of one document table as a release writes them: every row inserts exactly the table's
//! column list, in its order, and a column given no value is written empty. Names match the list
//! without regard to case; a value for a name outside the list is not stored.
class BillRows {
public:
    BillRows(std::string table, std::vector<std::string> columns);
    //! The columns of a list written "a, b, c".
    static std::vector<std::string> ColumnList(std::string_view list);

    //! Starts a row; the values set next go to it.
    void Append();
    void Set(std::string_view column, Variant value);
    //! Sets a column of an earlier row (0 the first).
    void SetAt(std::size_t row, std::string_view column, Variant value);
    //! The value of a column of the current row (null when unset or outside the list).
    Variant Get(std::string_view column) const;
    std::size_t Count() const { return rows.size(); }
    //! Inserts the rows on the host connection and forgets them.
    void Write();
    //! Forgets the rows without writing them.
    void Clear() { rows.clear(); }

private:
    int ColumnOf(std::string_view column) const;

    std::string table;
    std::vector<std::string> columns;
    std::string insertSql;
    std::vector<std::vector<Variant>> rows;
};

}  // namespace mfg
