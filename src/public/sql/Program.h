#pragma once

#include <memory>
#include <string>
#include <vector>

#include "types/Variant.h"

namespace mfg::sql {

//! One statement in the backend's own SQL, with the names of its parameters in placeholder order.
struct NativeStatement {
    std::string sql;
    std::vector<std::string> params;  //!< lower-case names; "__v_x" for the T-SQL variable @x
    bool isDdl = false;                //!< changes the schema (create, drop, alter)
};

//! A table function used in a FROM clause, materialized into a temporary table before the statement runs.
struct TableCall {
    std::string function;       //!< lower-case routine name
    NativeStatement arguments;  //!< "select <arg>, <arg>" evaluated with the statement's parameters; empty for none
    std::string tempTable;      //!< the name the statement refers to
};

//! An argument of EXEC.
struct ExecArg {
    enum class Kind { Literal, Variable, Parameter };
    Kind kind = Kind::Literal;
    Variant value;     //!< the literal
    std::string name;  //!< variable ("__v_x") or parameter name, lower case
    bool output = false;
};

//! A step of a translated batch.
struct Step {
    enum class Kind { Statement, If, Declare, Set, Exec };
    Kind kind = Kind::Statement;
    NativeStatement statement;           //!< Statement; the condition of If (one row, one 0/1 column); the value of Set
    std::vector<TableCall> tableCalls;   //!< Statement, If, Set
    std::vector<Step> thenSteps;         //!< If
    std::vector<Step> elseSteps;         //!< If
    std::vector<std::string> variables;  //!< Declare: names; Set: the one target
    std::string procedure;               //!< Exec: lower-case name without "dbo."
    std::vector<ExecArg> args;           //!< Exec
    std::string insertTable;             //!< Exec as "insert into T [(cols)] exec ...": T, as native SQL
    std::vector<std::string> insertColumns;
};

//! A T-SQL batch translated for one backend.
struct Program {
    std::vector<Step> steps;
};

using ProgramPtr = std::shared_ptr<const Program>;

}  // namespace mfg::sql
