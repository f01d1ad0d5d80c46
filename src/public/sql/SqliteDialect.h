#pragma once

#include <functional>
#include <set>
#include <string>

#include "sql/Dialect.h"
#include "types/TextUtil.h"

namespace mfg::sql {

//! SQLite as the module's embedded database: dates are REAL day numbers of the host's calendar,
//! text columns compare without case as the server's collation does.
class SqliteDialect : public Dialect {
public:
    std::string Name() const override { return "sqlite"; }
    std::string DateLiteral(DateTime value) const override;
    //! Literals compare without case too, also against expressions that carry no column collation.
    std::string TextValue(std::string_view text) const override { return StringLiteral(text) + " collate nocase"; }
    std::string Placeholder(std::string_view name, size_t index) const override;
    std::optional<std::string> FunctionName(std::string_view lowerName) const override;
    std::string ColumnType(std::string_view lowerType, const std::vector<std::string>& args) const override;
    std::string CastType(std::string_view lowerType) const override;
    std::string DefaultNow() const override;
    std::string CreateTempTable() const override { return "create temp table"; }

    bool IsScalarRoutine(std::string_view lowerName) const override { return scalars.count(std::string(lowerName)) > 0; }
    bool IsTableRoutine(std::string_view lowerName) const override { return tables.count(std::string(lowerName)) > 0; }
    bool IsProcedure(std::string_view lowerName) const override { return procedures.count(std::string(lowerName)) > 0; }
    bool IsTextColumn(std::string_view name) const override { return textColumn && textColumn(name); }

    std::set<std::string> scalars;
    std::set<std::string> tables;
    std::set<std::string> procedures;
    std::function<bool(std::string_view)> textColumn;
};

}  // namespace mfg::sql
