#include "export/SpreadsheetExport.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>

#include <fmt/format.h>

#include "host/FileReplace.h"
#include "types/Utf8.h"

namespace mfg {
namespace {

constexpr double MinWidth = 6;
// Excel's limit is 32767 characters per cell; counting bytes stays within it for any text.
constexpr size_t CellMaxBytes = 32767;
constexpr double MaxWidth = 60;
// Excel counts 1900-02-29, a day that never was: its serial numbers match the host's day numbers
// only from 1900-03-01 on. Earlier dates go out as text rather than one day off.
constexpr double FirstTrueExcelDay = 61;

struct WorkbookCloser {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};

//! The width of text in Excel's character units: Chinese characters take two.
double DisplayWidth(std::string_view text)
{
    double width = 0;
    for (size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t length = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        width += length == 1 ? 1 : 2;
        i += length;
    }
    return width;
}

//! Text cut to what a cell holds, at a character boundary, as well-formed UTF-8: the workbook is
//! XML, which a stray byte of old text would make unreadable.
std::string CellText(std::string_view text)
{
    std::string cell = ReplaceInvalidUtf8(text);
    if (cell.size() <= CellMaxBytes) return cell;
    size_t end = CellMaxBytes;
    while (end > 0 && (static_cast<unsigned char>(cell[end]) & 0xC0) == 0x80) --end;
    cell.resize(end);
    return cell;
}

std::string NumberFormat(int decimals)
{
    return decimals <= 0 ? std::string("0") : "0." + std::string(static_cast<size_t>(decimals), '0');
}

struct ColumnPlan {
    int field = 0;
    std::string caption;
    std::optional<int> decimals;
    double width = MinWidth;
};

class SheetWriter {
public:
    SheetWriter(const SpreadsheetExport& settings, lxw_workbook* book, lxw_worksheet* sheet)
        : settings(settings), book(book), sheet(sheet)
    {
    }

    lxw_format* Format(const std::string& numberFormat)
    {
        auto found = numberFormats.find(numberFormat);
        if (found != numberFormats.end()) return found->second;
        lxw_format* format = workbook_add_format(book);
        format_set_num_format(format, numberFormat.c_str());
        return numberFormats.emplace(numberFormat, format).first->second;
    }

    void WriteBanner(lxw_row_t row, lxw_col_t lastColumn, const std::string& text, lxw_format* format)
    {
        // Excel refuses a merge of a single cell; one column needs no merge.
        if (lastColumn == 0)
            worksheet_write_string(sheet, row, 0, CellText(text).c_str(), format);
        else
            worksheet_merge_range(sheet, row, 0, row, lastColumn, CellText(text).c_str(), format);
    }

    //! Writes one value and returns its width.
    double WriteValue(lxw_row_t row, lxw_col_t column, const Field& field, const Variant& value,
                      const ColumnPlan& plan)
    {
        if (value.IsNull()) return 0;
        bool isDate = field.DataType() == FieldType::DateTime || value.Type() == FieldType::DateTime;
        if (isDate) {
            try {
                DateTime date = value.AsDateTime();
                if (date.DayNumber() >= FirstTrueExcelDay) {
                    bool withTime = date.TimeOfDay() != 0;
                    worksheet_write_number(sheet, row, column, date.DayNumber(),
                                           Format(withTime ? settings.dateTimeFormat : settings.dateFormat));
                    return static_cast<double>(withTime ? settings.dateTimeFormat.size() : settings.dateFormat.size());
                }
            } catch (const ConversionError&) {
                // Text that is no date goes out as the text it is.
            }
            return WriteText(row, column, value.AsString());
        }
        switch (value.Type()) {
            case FieldType::Integer:
            case FieldType::Float: {
                double number = value.AsFloat();
                std::optional<int> decimals = plan.decimals ? plan.decimals : settings.decimals;
                worksheet_write_number(sheet, row, column, number,
                                       decimals ? Format(NumberFormat(*decimals)) : nullptr);
                return DisplayWidth(decimals ? fmt::format("{:.{}f}", number, *decimals) : fmt::format("{}", number));
            }
            case FieldType::Bool:
                worksheet_write_boolean(sheet, row, column, value.AsBool(), nullptr);
                return 5;
            case FieldType::Blob:
                return 0;
            default:
                return WriteText(row, column, value.AsString());
        }
    }

private:
    double WriteText(lxw_row_t row, lxw_col_t column, const std::string& text)
    {
        // A string cell is never evaluated, whatever it starts with ("=", "+", "-", "@").
        std::string cell = CellText(text);
        worksheet_write_string(sheet, row, column, cell.c_str(), nullptr);
        return DisplayWidth(cell);
    }

    const SpreadsheetExport& settings;
    lxw_workbook* book;
    lxw_worksheet* sheet;
    std::map<std::string, lxw_format*> numberFormats;
};

std::vector<ColumnPlan> PlanColumns(const SpreadsheetExport& settings, const DataSet& data,
                                    const std::filesystem::path& file)
{
    std::vector<ColumnPlan> plan;
    if (settings.columns.empty()) {
        for (int i = 0; i < data.FieldCount(); ++i) plan.push_back({i, data.FieldByIndex(i).Name(), std::nullopt});
        return plan;
    }
    for (const auto& column : settings.columns) {
        if (!column.visible) continue;
        Field* field = data.FindField(column.fieldName);
        if (!field)
            throw ExportError(fmt::format("导出到 {} 失败: 数据集 {} 没有字段 {}", file.string(), data.Name(),
                                          column.fieldName),
                              file);
        plan.push_back({field->Index(), column.caption.empty() ? field->Name() : column.caption, column.decimals});
    }
    return plan;
}

}  // namespace

void SpreadsheetExport::Write(const DataSet& data, const std::filesystem::path& file) const
{
    WriteWorkbook({{*this, &data}}, file);
}

void SpreadsheetExport::WriteWorkbook(const std::vector<std::pair<SpreadsheetExport, const DataSet*>>& sheets,
                                      const std::filesystem::path& file)
{
    auto fail = [&](std::string_view reason) {
        return ExportError(fmt::format("导出到 {} 失败: {}", file.string(), reason), file);
    };
    try {
        // Declared before the workbook so that an exception closes the workbook first and then
        // removes what closing it wrote. The library opens its output by name: the name given is
        // the one of this very file, so nothing planted beside the target is ever opened.
        ReplacingFile temporary(file);
        std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new(temporary.OpenName().c_str()));
        if (!book) throw fail("内存不足");
        for (const auto& [settings, data] : sheets) settings.WriteSheet(*data, book.get(), file);
        lxw_error closed = workbook_close(book.release());
        if (closed != LXW_NO_ERROR) throw fail(lxw_strerror(closed));
        temporary.Commit();
    } catch (const FileReplaceError& error) {
        throw ExportError(error.what(), file);
    }
}

void SpreadsheetExport::WriteSheet(const DataSet& data, lxw_workbook* book, const std::filesystem::path& file) const
{
    auto fail = [&](std::string_view reason) {
        return ExportError(fmt::format("导出到 {} 失败: {}", file.string(), reason), file);
    };
    if (!data.Active()) throw fail(fmt::format("数据集 {} 没有打开", data.Name()));
    std::vector<ColumnPlan> columns = PlanColumns(*this, data, file);
    if (columns.size() > LXW_COL_MAX) throw fail(fmt::format("{} 列超过工作表的列数上限", columns.size()));

    lxw_row_t row = 0;
    lxw_row_t titleRows = (title.empty() ? 0 : 1) + (subtitle.empty() ? 0 : 1);
    auto rowCount = static_cast<std::uint64_t>(data.RecordCount());
    if (titleRows + 1 + rowCount > LXW_ROW_MAX) throw fail(fmt::format("{} 行超过工作表的行数上限", rowCount));

    if (workbook_validate_sheet_name(book, sheetName.c_str()) != LXW_NO_ERROR)
        throw fail(fmt::format("工作表名称「{}」无效", sheetName));
    lxw_worksheet* sheet = workbook_add_worksheet(book, sheetName.c_str());
    if (!sheet) throw fail("无法建立工作表");
    SheetWriter writer(*this, book, sheet);

    lxw_col_t lastColumn = columns.empty() ? 0 : static_cast<lxw_col_t>(columns.size() - 1);
    if (!title.empty()) {
        lxw_format* format = workbook_add_format(book);
        format_set_bold(format);
        format_set_font_size(format, 14);
        format_set_align(format, LXW_ALIGN_CENTER);
        format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
        writer.WriteBanner(row++, lastColumn, title, format);
    }
    if (!subtitle.empty()) {
        lxw_format* format = workbook_add_format(book);
        format_set_align(format, LXW_ALIGN_CENTER);
        writer.WriteBanner(row++, lastColumn, subtitle, format);
    }

    lxw_format* headerFormat = workbook_add_format(book);
    format_set_bold(headerFormat);
    format_set_align(headerFormat, LXW_ALIGN_CENTER);
    format_set_border(headerFormat, LXW_BORDER_THIN);
    format_set_bg_color(headerFormat, 0xDDDDDD);
    for (size_t c = 0; c < columns.size(); ++c) {
        worksheet_write_string(sheet, row, static_cast<lxw_col_t>(c), CellText(columns[c].caption).c_str(),
                               headerFormat);
        columns[c].width = std::max(columns[c].width, DisplayWidth(columns[c].caption));
    }
    ++row;
    worksheet_freeze_panes(sheet, row, 0);

    for (int r = 0; r < data.RecordCount(); ++r, ++row) {
        for (size_t c = 0; c < columns.size(); ++c) {
            const Field& field = data.FieldByIndex(columns[c].field);
            double width = writer.WriteValue(row, static_cast<lxw_col_t>(c), field,
                                             data.ValueAt(r, columns[c].field), columns[c]);
            columns[c].width = std::max(columns[c].width, width);
        }
    }
    for (size_t c = 0; c < columns.size(); ++c)
        worksheet_set_column(sheet, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                             std::min(columns[c].width + 2, MaxWidth), nullptr);
}

void OutToExcelFun(const DataSet& data, std::string_view title, const std::filesystem::path& fileName,
                   std::vector<ExportColumn> columns)
{
    SpreadsheetExport settings;
    settings.title = std::string(title);
    settings.columns = std::move(columns);
    settings.Write(data, fileName);
}

}  // namespace mfg
