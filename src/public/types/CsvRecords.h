#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace mfg {

//! The fields of each record of a CSV text (RFC 4180: quoted fields may hold commas, quotes
//! doubled and line breaks; a UTF-8 byte-order mark is passed over; blank lines are skipped), each
//! as the text CsvField was given. Throws std::invalid_argument naming the line when the text is
//! no UTF-8: nothing of such a file is taken.
std::vector<std::vector<std::string>> ReadCsvRecords(std::istream& in);
//! A text field written for CSV, quoted when it needs it. Text that a spreadsheet would take for a
//! formula (starting with "=", "+", "-" or "@") is written behind an apostrophe, which spreadsheets
//! show as text and ReadCsvRecords takes away; numbers are written as numbers, not through here.
std::string CsvField(const std::string& text);

}  // namespace mfg
