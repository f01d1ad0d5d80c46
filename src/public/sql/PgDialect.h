#pragma once

#include <set>
#include <string>

#include "sql/Dialect.h"
#include "types/TextUtil.h"

namespace mfg::sql {

//! PostgreSQL as the server database: dates are timestamps, text is citext so that it compares
//! without case as the server's collation does, names fold to lower case, routines live in "dbo".
class PgDialect : public Dialect {
public:
    std::string Name() const override { return "postgresql"; }
    //! Names are kept in lower case, so that [Name] and Name are the same object.
    std::string QuoteName(std::string_view name) const override;
    //! Untyped, so that the column or value it meets decides its type (citext for text columns).
    std::string TextValue(std::string_view text) const override { return StringLiteral(text); }
    std::string PairedTextValue(std::string_view text) const override { return StringLiteral(text) + "::citext"; }
    std::string DateLiteral(DateTime value) const override;
    std::string Placeholder(std::string_view name, size_t index) const override;
    std::optional<std::string> FunctionName(std::string_view lowerName) const override;
    std::string ColumnType(std::string_view lowerType, const std::vector<std::string>& args) const override;
    std::string CastType(std::string_view lowerType) const override;
    std::string DefaultNow() const override { return "dbo.getdate()"; }
    std::string CreateTempTable() const override { return "create temp table"; }

    bool IsScalarRoutine(std::string_view lowerName) const override { return scalars.count(std::string(lowerName)) > 0; }
    bool IsTableRoutine(std::string_view lowerName) const override { return tables.count(std::string(lowerName)) > 0; }
    bool IsProcedure(std::string_view lowerName) const override { return procedures.count(std::string(lowerName)) > 0; }
    bool IsTextColumn(std::string_view name) const override { return textColumns.count(ToLowerAscii(name)) > 0; }

    std::set<std::string> scalars;
    std::set<std::string> tables;
    std::set<std::string> procedures;
    //! Lower-case names of the columns that hold text in every table that has them.
    std::set<std::string> textColumns;
};

}  // namespace mfg::sql
