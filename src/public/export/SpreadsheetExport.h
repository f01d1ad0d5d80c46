#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/DataSet.h"

struct lxw_workbook;

namespace mfg {

//! An export that could not be written; the text names the file (and the field, when one is wrong).
class ExportError : public std::runtime_error {
public:
    ExportError(const std::string& message, std::filesystem::path target)
        : std::runtime_error(message), file(std::move(target))
    {
    }
    const std::filesystem::path& File() const { return file; }

private:
    std::filesystem::path file;
};

//! One column of an export, as the grid shows it.
struct ExportColumn {
    ExportColumn(std::string field, std::string caption = {}, bool visible = true, std::optional<int> decimals = {})
        : fieldName(std::move(field)), caption(std::move(caption)), visible(visible), decimals(decimals)
    {
    }

    std::string fieldName;
    std::string caption;  //!< the field name when empty
    bool visible = true;  //!< hidden columns of the grid are left out
    std::optional<int> decimals;  //!< numbers shown with that many decimals; none: as they are
};

//! The export of a dataset to an .xlsx workbook, the way OutToExcelFun exports a grid: a title row
//! merged across the columns, an optional subtitle, the captions, then the visible rows in the
//! dataset's order (filter and sort applied). Numbers stay numbers, dates become Excel dates, text
//! stays text, nulls stay empty; each column is as wide as its widest text.
struct SpreadsheetExport {
    std::string title;
    std::string subtitle;
    std::string sheetName = "Sheet1";
    //! The columns in order; empty: every field of the dataset under its own name.
    std::vector<ExportColumn> columns;
    //! Decimals of number columns that do not set their own; none: as they are.
    std::optional<int> decimals;
    std::string dateFormat = "yyyy-mm-dd";
    //! For dates that carry a time of day.
    std::string dateTimeFormat = "yyyy-mm-dd hh:mm:ss";

    //! Writes the workbook. It is written beside `file` under a temporary name and renamed when
    //! complete, so a failed export leaves no broken file and an older file stays as it was.
    //! Throws ExportError naming the file: unwritable folder, a column naming no field, a closed
    //! dataset, more rows or columns than a worksheet holds.
    void Write(const DataSet& data, const std::filesystem::path& file) const;
    //! Writes one workbook with a sheet per dataset, each under its own settings (sheet names must
    //! differ), with the same guarantees as Write.
    static void WriteWorkbook(const std::vector<std::pair<SpreadsheetExport, const DataSet*>>& sheets,
                              const std::filesystem::path& file);

private:
    void WriteSheet(const DataSet& data, lxw_workbook* book, const std::filesystem::path& file) const;
};

//! Exports the visible columns of a dataset with their captions under a title; `columns` empty
//! exports every field under its name.
void OutToExcelFun(const DataSet& data, std::string_view title, const std::filesystem::path& fileName,
                   std::vector<ExportColumn> columns = {});

}  // namespace mfg
