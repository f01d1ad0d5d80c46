#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "types/DateTime.h"

namespace mfg::sql {

//! What the translator needs to know of the database it writes for: the pieces of SQL that
//! differ between backends, and the routines the connection has registered.
class Dialect {
public:
    virtual ~Dialect() = default;

    virtual std::string Name() const = 0;
    virtual std::string QuoteName(std::string_view name) const;
    virtual std::string StringLiteral(std::string_view text) const;
    //! A text literal inside a query or data statement, compared the way the server compares text.
    virtual std::string TextValue(std::string_view text) const { return StringLiteral(text); }
    //! A text literal compared with another literal, where no column gives the comparison its rule.
    virtual std::string PairedTextValue(std::string_view text) const { return TextValue(text); }
    //! A date literal of the module's text ('2026-12-06', '12/06/2026').
    virtual std::string DateLiteral(DateTime value) const = 0;
    //! The placeholder of the index-th (0-based) parameter named `name`.
    virtual std::string Placeholder(std::string_view name, size_t index) const = 0;
    //! The backend's name for a T-SQL function, or nullopt when the backend has no equivalent.
    virtual std::optional<std::string> FunctionName(std::string_view lowerName) const = 0;
    //! The backend's column type for a T-SQL column type with its size arguments ("varchar", {"20"}).
    virtual std::string ColumnType(std::string_view lowerType, const std::vector<std::string>& args) const = 0;
    //! The backend's type for CAST/CONVERT targets.
    virtual std::string CastType(std::string_view lowerType) const = 0;
    //! The current server date-time as a DEFAULT expression.
    virtual std::string DefaultNow() const = 0;
    //! "create temp table" or the backend's words for it.
    virtual std::string CreateTempTable() const = 0;
    //! The backend's name of a temporary table "#name".
    virtual std::string TempTableName(std::string_view name) const;
    //! True for a work table that each connection keeps to itself, created as a temporary table:
    //! the MRP's goods scope, so that two users running the MRP at once never see each other's goods.
    virtual bool IsSessionTable(std::string_view lowerName) const { return lowerName == "t_goodsid"; }

    //! Routines registered on the connection (lower-case names without "dbo.").
    virtual bool IsScalarRoutine(std::string_view lowerName) const = 0;
    virtual bool IsTableRoutine(std::string_view lowerName) const = 0;
    virtual bool IsProcedure(std::string_view lowerName) const = 0;
    //! True when every table that has a column of this name keeps text in it; used to read "+" as concatenation.
    virtual bool IsTextColumn(std::string_view name) const = 0;
};

}  // namespace mfg::sql
