#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace mfg {

class DbGrid;

//! Asks where a spreadsheet goes, given the export's title; an empty answer cancels the export.
using ExportFileChooser = std::function<std::string(std::string_view title)>;

//! Replaces the question for a file name (tests answer with a path of their own); an empty chooser
//! restores the save dialog.
void SetExportFileChooser(ExportFileChooser chooser);

//! The host's OutToExcelFun over a grid: the visible columns under their titles, in the grid's
//! order, below a title row and an optional subtitle row. Export errors are shown; false when
//! nothing was written.
bool OutToExcelFun(DbGrid& grid, std::string_view title, std::string_view subtitle = {});

}  // namespace mfg
