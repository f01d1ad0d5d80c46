#pragma once

#include <string_view>
#include <vector>

namespace mfg {

//! A SQL file compiled into the program.
struct EmbeddedSql {
    std::string_view name;
    std::string_view text;
};

//! schema/tables/*.sql in name order.
const std::vector<EmbeddedSql>& TableSql();
//! schema/demo/*.sql in name order.
const std::vector<EmbeddedSql>& DemoSql();
//! schema/postgres/*.sql in name order: the routines of the server database.
const std::vector<EmbeddedSql>& PgRoutineSql();

}  // namespace mfg
