#pragma once

#include <vector>

#include "sql/Dialect.h"
#include "sql/Program.h"
#include "sql/Tokenizer.h"

namespace mfg::sql {

//! The rewritten form of one T-SQL statement (or expression) for a backend.
struct Rewritten {
    NativeStatement statement;
    std::vector<TableCall> tableCalls;
};

//! Rewrites one T-SQL statement given as tokens; throws SqlError naming what it cannot take.
Rewritten RewriteStatement(std::vector<Token> tokens, const Dialect& dialect);
//! Rewrites an expression into "select <expression>" (conditions of IF, values of SET).
Rewritten RewriteExpression(std::vector<Token> tokens, const Dialect& dialect, bool asCondition);

}  // namespace mfg::sql
