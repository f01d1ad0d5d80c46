#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace mfg {

//! The fields of each record of a CSV text (RFC 4180: quoted fields may hold commas, quotes
//! doubled and line breaks; a UTF-8 byte-order mark is passed over; blank lines are skipped).
std::vector<std::vector<std::string>> ReadCsvRecords(std::istream& in);
//! A field written for CSV, quoted when it needs it.
std::string CsvField(const std::string& text);

}  // namespace mfg
