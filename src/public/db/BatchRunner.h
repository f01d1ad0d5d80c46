#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "sql/Program.h"
#include "sql/Translator.h"

namespace mfg {

//! What a backend does for the batch runner: run one native statement, call a routine,
//! and hold the rows of a table function in a temporary table.
class NativeBackend {
public:
    virtual ~NativeBackend() = default;
    //! Runs one statement with its parameter values in placeholder order; `changes` gets the rows changed.
    virtual ResultSet RunNative(const sql::NativeStatement& statement, const std::vector<Variant>& values,
                                std::int64_t& changes) = 0;
    virtual ResultSet CallProcedure(const std::string& name, std::vector<Variant>& args) = 0;
    virtual ResultSet CallTableFunction(const std::string& name, const std::vector<Variant>& args) = 0;
    virtual void CreateTempTable(const std::string& name, const ResultSet& rows) = 0;
    virtual void DropTempTable(const std::string& name) = 0;
    //! Appends rows to a table, into the named columns or all of them in order.
    virtual void InsertRows(const std::string& table, const std::vector<std::string>& columns, const ResultSet& rows) = 0;
    //! Called after a statement that changed the schema.
    virtual void SchemaChanged() = 0;
};

//! What a batch gave back: the rows of its last statement that produced rows, and the rows changed.
struct BatchResult {
    ResultSet rows;
    bool hasRows = false;
    std::int64_t changes = 0;
};

//! Runs a translated batch on a backend: IF/ELSE, variables, EXEC with OUTPUT, table functions.
BatchResult RunProgram(const sql::Program& program, const Params& params, NativeBackend& backend);

//! Translates a batch (cached) and runs it on a backend; an error names the batch as the module wrote it.
BatchResult TranslateAndRun(sql::Translator& translator, std::string_view tsql, const Params& params, NativeBackend& backend);

}  // namespace mfg
