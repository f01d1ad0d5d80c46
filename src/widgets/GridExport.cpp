#include "GridExport.h"

#include <QFileDialog>

#include "DbGrid.h"
#include "export/SpreadsheetExport.h"
#include "host/Dialogs.h"

namespace mfg {
namespace {

ExportFileChooser& Chooser()
{
    static ExportFileChooser chooser;
    return chooser;
}

std::string AskFileName(std::string_view title)
{
    if (Chooser()) return Chooser()(title);
    QString caption = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    return QFileDialog::getSaveFileName(nullptr, caption, caption + ".xlsx", "Excel (*.xlsx)").toStdString();
}

}  // namespace

void SetExportFileChooser(ExportFileChooser chooser)
{
    Chooser() = std::move(chooser);
}

bool OutToExcelFun(DbGrid& grid, std::string_view title, std::string_view subtitle)
{
    DataSet* data = grid.GetDataSet();
    if (!data || !data->Active()) return false;
    std::string fileName = AskFileName(title);
    if (fileName.empty()) return false;
    SpreadsheetExport sheet;
    sheet.title = title;
    sheet.subtitle = subtitle;
    for (int i = 0; i < grid.ColumnCount(); ++i) {
        const DbGridColumn& column = grid.Column(i);
        if (data->FindField(column.fieldName))
            sheet.columns.emplace_back(column.fieldName, column.title, column.visible);
    }
    try {
        sheet.Write(*data, fileName);
    } catch (const std::exception& error) {
        ShowError(error);
        return false;
    }
    return true;
}

}  // namespace mfg
