#pragma once

#include <QString>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "DataSetModel.h"
#include "types/TextUtil.h"

class QTextDocument;

namespace mfg {

//! A print template that cannot be read; the text names the file and the problem.
class ReportTemplateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! One detail column of a template.
struct ReportColumn {
    std::string field;
    std::string title;
    int width = 0;  //!< share of the page width, in percent; 0 shares the rest evenly
    NumberFormat format = NumberFormat::Plain;
    bool sum = false;  //!< totalled in the row under the table, whose first cell reads "合  计"
};

//! A print template as stored in L_PRINTTMPLT.DATA: JSON with "format": "mfg-report 1", a
//! "title", an "orientation" ("portrait" or "landscape"), "header" and "footer" lines and the
//! detail "columns" (field, title, width, format "quantity"/"price"/"amount", sum). Lines and the
//! title may hold variables in brackets ("[CompanyName]", "[M.MGoodsName]").
struct ReportTemplate {
    std::string title;
    bool landscape = false;
    std::vector<std::string> header;
    std::vector<ReportColumn> columns;
    std::vector<std::string> footer;

    //! Reads a template; throws ReportTemplateError for text that is none.
    static ReportTemplate Parse(std::string_view text, std::string_view source);
    //! The template as L_PRINTTMPLT.DATA stores it, read back by Parse to the same template.
    std::string Text() const;
};

//! The report designer of the screens (TReportDesign): a template file, a master and a detail
//! dataset and named variables, printed, previewed or written to PDF. The datasets are not owned.
class ReportDesign {
public:
    //! Where Print and PrintPreview go instead of the printer and the screen: tests and unattended
    //! runs set it (`print` tells which was asked); empty restores the printer and the preview.
    using OutputHandler = std::function<void(ReportDesign& report, bool print)>;

    void SetMasterSource(DataSet* dataSet) { master = dataSet; }
    void SetDataSource(DataSet* dataSet) { detail = dataSet; }
    DataSet* MasterSource() const { return master; }
    DataSet* DataSource() const { return detail; }
    //! The template file the report prints.
    void SetRptFileName(std::string fileName) { rptFileName = std::move(fileName); }
    const std::string& RptFileName() const { return rptFileName; }
    //! Sets a variable the template names in brackets (case ignored).
    void SetVarValue(std::string_view name, std::string_view text);
    //! A variable's text; empty when it was never set.
    std::string VarValue(std::string_view name) const;

    //! Asks for a printer and prints.
    void Print();
    //! Shows the print preview.
    void PrintPreview();
    //! Writes the report to a PDF file; throws std::runtime_error when it cannot be written.
    void ExportPdf(const std::string& fileName);
    //! The text of the report as it prints, for checks.
    QString PlainText() const;

    static void SetOutputHandler(OutputHandler handler);

    //! Lays `layout` out over the datasets and variables, as Print would: the style designer's
    //! preview shows a template before it is stored anywhere.
    void Render(QTextDocument& document, const ReportTemplate& layout) const;

private:
    ReportTemplate LoadTemplate() const;
    QString Expand(const std::string& text) const;  // the text with its [variables] replaced

    DataSet* master = nullptr;
    DataSet* detail = nullptr;
    std::string rptFileName;
    std::map<std::string, std::string, NoCaseLess> variables;
};

}  // namespace mfg
