#pragma once

#include <string>
#include <string_view>

#include "data/DataSet.h"

namespace mfg {

//! The list of a selection dialog: rows of a remembered base statement narrowed by appended
//! " and ..." conditions, each with an integer "selected" tick, sortable by a column title.
class SelectionList {
public:
    //! Remembers the base statement; nothing is read yet.
    explicit SelectionList(std::string baseSql);

    //! The rows, cdsList.
    DataSet& List() { return cdsList; }
    //! The statement the filters are appended to.
    const std::string& BaseSql() const { return baseSql; }
    //! Reads the base statement followed by `conditions`; ticks start cleared, the sort stays.
    void Reload(std::string_view conditions);
    //! Ticks the current row, or unticks it when ticked, at once; nothing on an empty list.
    void ToggleSelected();
    //! "√" for a ticked row, else empty.
    static std::string SelectedText(const Field& selected);

    //! Sorts by the column of a clicked title: ascending first, descending on the next click of
    //! the same column.
    void SortBy(std::string_view fieldName);
    //! The title of a column: its label, followed by "  ▲" or "  ▼" when the list is sorted by it.
    std::string TitleText(std::string_view fieldName, std::string_view label) const;

private:
    std::string baseSql;
    DataSet cdsList{"cdsList"};
    std::string sortField;
    bool descending = false;
};

}  // namespace mfg
