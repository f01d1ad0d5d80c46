#pragma once

#include <string>
#include <vector>

#include "PrintTemplates.h"
#include "ReportDesign.h"
#include "TManuRootForm.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTextBrowser;

namespace mfg {

//! "样式设计": edits one print template (title, orientation, header and footer lines, the detail
//! columns offered by the screen's detail dataset) with a preview over the screen's own data, and
//! writes it back ("保存") or as a new template of the same type ("另存为"). A standard style is
//! never written over: "保存" offers to store the edits as a new style instead.
class TReportStyleForm : public TManuRootForm {
public:
    //! `sample` carries the screen's datasets and variables; it is only read, for the preview and
    //! for the fields the columns may show. Throws ReportTemplateError when `record` holds no template.
    TReportStyleForm(const ReportDesign& sample, PrintTemplateRecord record, QWidget* parent = nullptr);

    //! The template id written by the last save; 0 before any.
    int SavedID() const { return savedID; }
    //! The template as the controls hold it now.
    ReportTemplate EditedTemplate() const;

    void btnSaveClick();
    void btnSaveAsClick();
    void btnUpClick();
    void btnDownClick();

    QLineEdit* edtName;
    QLineEdit* edtTitle;
    QRadioButton* rbPortrait;
    QRadioButton* rbLandscape;
    QPlainTextEdit* memHeader;
    QPlainTextEdit* memFooter;
    //! One row per column: 显示, 字段, 标题, 宽度%, 格式 (a combo), 合计.
    QTableWidget* grdColumns;
    QPushButton* btnUp;
    QPushButton* btnDown;
    QLabel* lblWidth;
    QTextBrowser* txtPreview;
    QPushButton* btnSave;
    QPushButton* btnSaveAs;
    QPushButton* btnCancel;

private:
    struct StyleColumn {
        ReportColumn column;
        bool visible = true;
    };

    void BuildControls();
    //! The template's columns first, in its order, then the detail fields it does not show.
    void OfferColumns(const ReportTemplate& layout);
    void ShowTemplate(const ReportTemplate& layout);
    void FillColumnRows();
    void ReadColumnRow(int row);
    void MoveColumn(int step);
    //! Redraws the preview and the width total after any edit.
    void Refresh();
    std::vector<int> VisibleWidths() const;
    //! Checks the style and its name; shows the refusal and answers false when it may not be written.
    bool MayWrite(int exceptID);
    void WriteAsNew();
    void Written(int id);

    const ReportDesign& sample;
    PrintTemplateRecord record;
    std::vector<StyleColumn> columns;
    int savedID = 0;
    bool filling = false;  // the table is being filled from `columns`: no edit to read back
};

}  // namespace mfg
