#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "types/CsvRecords.h"

namespace mfg {

//! The columns of the BOM exchange file, in order.
inline constexpr const char* BomCsvHeader = "parent,component,mnfqty,masterqty,wasterate,process";

//! What became of one parent of an import.
struct BomImportResult {
    std::string parentCode;
    int lines = 0;                     //!< component lines in the file
    bool saved = false;
    std::vector<std::string> reasons;  //!< why it was refused; notes of questions passed over when saved
};

//! True when a record names exactly the columns of BomCsvHeader (blanks and letter case aside).
bool IsBomCsvHeader(const std::vector<std::string>& record);

//! Imports component lines (parent code, component code, MnfQty, MasterQty, WasteRate, process
//! code; a first line naming the columns is skipped, any other first line is data). Each parent's
//! lines become its BOM: lines of the same component and process keep their substitutes and get
//! the new figures, new ones are appended, lines missing from the file go. Each parent is checked
//! like a save and written in a transaction of its own; a parent with any refused line leaves its
//! stored BOM untouched. Nothing is read without the append right of the BOMs (2047): the host
//! says so and the result is empty.
std::optional<std::vector<BomImportResult>> ImportBomCsv(std::istream& in);

//! Writes the stored component lines of a parent in the import format, with the header line.
void ExportBomCsv(int parentID, std::ostream& out);

}  // namespace mfg
