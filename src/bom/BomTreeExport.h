#pragma once

#include <string>
#include <vector>

#include "BomTree.h"
#include "export/SpreadsheetExport.h"

namespace mfg {

//! The columns of the BOM browser's export grid over the rows of FlattenBomTree.
std::vector<ExportColumn> BomTreeExportColumns();
//! The export title: the goods, the parent-level values and the audit state as the browser shows them.
std::string BomTreeExportTitle(const BomBrowseHeader& header);

//! The columns of the where-used browser's export grid over the rows of FillWhereUsedRows.
std::vector<ExportColumn> WhereUsedExportColumns();
//! The where-used export title: the goods' code, name, specs and unit.
std::string WhereUsedExportTitle(const BomGoods& goods);

}  // namespace mfg
