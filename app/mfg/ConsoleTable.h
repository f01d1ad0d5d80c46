#pragma once

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "db/ResultSet.h"

namespace mfg {

//! Columns the width of a terminal cell: Chinese characters take two.
size_t DisplayWidth(std::string_view text);
//! Writes rows as an aligned text table with a header and a row count.
void PrintTable(std::ostream& out, const ResultSet& rows);
//! Rows as a JSON array of objects keyed by column name; dates as "yyyy-mm-dd[ hh:nn:ss]".
nlohmann::json ToJson(const ResultSet& rows);
//! One value as ToJson writes it.
nlohmann::json JsonValue(const Variant& value);

}  // namespace mfg
