#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sql/Dialect.h"
#include "sql/Program.h"

namespace mfg::sql {

//! Turns the module's T-SQL batches into programs for one backend, remembering each text's translation.
class Translator {
public:
    explicit Translator(const Dialect& dialect) : dialect(dialect) {}

    //! The program of a batch; throws SqlError naming the construct it cannot take.
    ProgramPtr Translate(std::string_view tsql);
    //! Translates without the cache.
    ProgramPtr TranslateUncached(std::string_view tsql) const;
    //! Forgets every translation, after the schema changed.
    void ClearCache();
    size_t CacheSize() const;

private:
    const Dialect& dialect;
    mutable std::mutex mutex;
    std::unordered_map<std::string, ProgramPtr> cache;
};

//! Renders a program readably, one step a line, for `mfg sql --explain` and error messages.
std::string DescribeProgram(const Program& program);

}  // namespace mfg::sql
