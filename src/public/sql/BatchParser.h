#pragma once

#include <string_view>

#include "sql/Dialect.h"
#include "sql/Program.h"

namespace mfg::sql {

//! Splits a T-SQL batch into its statements (T-SQL needs no semicolons between them) and
//! builds the program: IF/ELSE, BEGIN/END, DECLARE, SET, EXEC, INSERT ... EXEC and plain statements.
Program ParseBatch(std::string_view tsql, const Dialect& dialect);

}  // namespace mfg::sql
