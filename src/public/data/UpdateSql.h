#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mfg {

//! The update statements of a cached-update dataset, in T-SQL. A parameter ":FIELD" binds the
//! row's current value of FIELD, ":OLD_FIELD" its value as read (case ignored in both).
struct UpdateSql {
    std::string InsertSQL;  //!< run once per pending insert
    std::string ModifySQL;  //!< run once per pending update; its where clause uses :OLD_ keys
    std::string DeleteSQL;  //!< run once per pending delete; :OLD_ keys again

    bool Empty() const { return InsertSQL.empty() && ModifySQL.empty() && DeleteSQL.empty(); }

    //! Statements for a plain table: inserts and updates write `columns`, updates and deletes
    //! find the row by `keyFields` (names separated by ';') as read.
    static UpdateSql ForTable(std::string_view table, std::string_view keyFields,
                              std::span<const std::string> columns);
};

//! The names of the ":name" parameters of a T-SQL text in order of first use, each once (case
//! ignored); text in quotes, brackets and comments is passed over.
std::vector<std::string> SqlParamNames(std::string_view sql);

}  // namespace mfg
