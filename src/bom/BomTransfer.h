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

//! What became of an import file.
struct BomImport {
    //! Why the file was refused whole, each naming its line and field; nothing was written then.
    std::vector<std::string> refusals;
    std::vector<BomImportResult> parents;  //!< each parent of the file, in the order of the file
};

//! True when a record names exactly the columns of BomCsvHeader (blanks and letter case aside).
bool IsBomCsvHeader(const std::vector<std::string>& record);

//! Imports component lines (parent code, component code, MnfQty, MasterQty, WasteRate, process
//! code; a first line naming the columns is skipped, any other first line is data). Each parent's
//! lines become its BOM: lines of the same component and process keep their substitutes and get
//! the new figures, new ones are appended, lines missing from the file go. A line whose parent is
//! no goods that may have a BOM refuses the whole file: a slip in a parent code would otherwise
//! take that line out of its real parent's BOM. Each parent is held, checked like a save and
//! written in a transaction of its own, so that concurrent imports and audits of one parent run one
//! after the other; a parent with any refused line leaves its stored BOM untouched. Nothing is read
//! without the append right of the BOMs (2047): the host says so and the result is empty.
std::optional<BomImport> ImportBomCsv(std::istream& in);

//! Writes the stored component lines of a parent in the import format, with the header line.
void ExportBomCsv(int parentID, std::ostream& out);

}  // namespace mfg
