#include "TReportStyleForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

#include "NamedControl.h"
#include "QtDialogs.h"
#include "host/Dialogs.h"

namespace mfg {
namespace {

enum ColumnCell { VisibleCell, FieldCell, TitleCell, WidthCell, FormatCell, SumCell };

// The format combo's entries, in NumberFormat order.
const QStringList FormatNames{"常规", "数量", "单价", "金额"};

std::vector<std::string> LinesOf(const QPlainTextEdit& edit)
{
    std::vector<std::string> lines;
    for (const QString& line : edit.toPlainText().split('\n'))
        if (!line.trimmed().isEmpty()) lines.push_back(line.toStdString());
    return lines;
}

QString JoinLines(const std::vector<std::string>& lines)
{
    QStringList joined;
    for (const auto& line : lines) joined << ToQString(line);
    return joined.join('\n');
}

QTableWidgetItem* CheckItem(bool checked)
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

}  // namespace

TReportStyleForm::TReportStyleForm(const ReportDesign& sample, PrintTemplateRecord record, QWidget* parent)
    : TManuRootForm("TReportStyleForm", parent), sample(sample), record(std::move(record))
{
    ReportTemplate layout = ReportTemplate::Parse(this->record.data, this->record.name);
    BuildControls();
    OfferColumns(layout);
    ShowTemplate(layout);
}

void TReportStyleForm::BuildControls()
{
    setWindowTitle("样式设计");
    SetDefaultSize(1100, 640);
    edtName = Named(new QLineEdit(this), "edtName");
    edtTitle = Named(new QLineEdit(this), "edtTitle");
    rbPortrait = Named(new QRadioButton("纵向", this), "rbPortrait");
    rbLandscape = Named(new QRadioButton("横向", this), "rbLandscape");
    memHeader = Named(new QPlainTextEdit(this), "memHeader");
    memFooter = Named(new QPlainTextEdit(this), "memFooter");
    for (QPlainTextEdit* memo : {memHeader, memFooter}) memo->setFixedHeight(64);
    grdColumns = Named(new QTableWidget(0, 6, this), "grdColumns");
    grdColumns->setHorizontalHeaderLabels({"显示", "字段", "标题", "宽度%", "格式", "合计"});
    grdColumns->verticalHeader()->hide();
    grdColumns->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdColumns->setSelectionMode(QAbstractItemView::SingleSelection);
    grdColumns->horizontalHeader()->setSectionResizeMode(TitleCell, QHeaderView::Stretch);
    for (int cell : {VisibleCell, WidthCell, SumCell}) grdColumns->setColumnWidth(cell, 56);
    grdColumns->setColumnWidth(FieldCell, 96);
    grdColumns->setColumnWidth(FormatCell, 76);
    btnUp = Named(new QPushButton("上移", this), "btnUp");
    btnDown = Named(new QPushButton("下移", this), "btnDown");
    lblWidth = Named(new QLabel(this), "lblWidth");
    txtPreview = Named(new QTextBrowser(this), "txtPreview");
    btnSave = Named(new QPushButton("保存", this), "btnSave");
    btnSaveAs = Named(new QPushButton("另存为", this), "btnSaveAs");
    btnCancel = Named(new QPushButton("取消", this), "btnCancel");

    auto* orientation = new QHBoxLayout;
    orientation->addWidget(rbPortrait);
    orientation->addWidget(rbLandscape);
    orientation->addStretch();
    auto* fields = new QFormLayout;
    fields->addRow("样式名称:", edtName);
    fields->addRow("标题:", edtTitle);
    fields->addRow("纸张方向:", orientation);
    fields->addRow("页眉:", memHeader);
    fields->addRow("页脚:", memFooter);
    auto* moves = new QHBoxLayout;
    moves->addWidget(btnUp);
    moves->addWidget(btnDown);
    moves->addStretch();
    moves->addWidget(lblWidth);
    auto* editor = new QWidget(this);
    auto* editorLayout = new QVBoxLayout(editor);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    editorLayout->addLayout(fields);
    editorLayout->addWidget(new QLabel("明细列 (变量如 [CompanyName]、[M.MGoodsName] 可用于标题、页眉和页脚):", this));
    editorLayout->addWidget(grdColumns, 1);
    editorLayout->addLayout(moves);
    auto* preview = new QWidget(this);
    auto* previewLayout = new QVBoxLayout(preview);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(new QLabel("预览 (按当前屏幕的数据):", this));
    previewLayout->addWidget(txtPreview, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(editor);
    splitter->addWidget(preview);
    splitter->setSizes({520, 580});
    auto* buttons = new QHBoxLayout;
    if (record.builtIn) buttons->addWidget(new QLabel("这是标准样式: “保存”时另存为新的样式, 标准样式保持不变。", this));
    buttons->addStretch();
    for (QPushButton* button : {btnSave, btnSaveAs, btnCancel}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);

    for (QLineEdit* edit : {edtName, edtTitle}) connect(edit, &QLineEdit::textChanged, this, [this] { Refresh(); });
    for (QPlainTextEdit* memo : {memHeader, memFooter})
        connect(memo, &QPlainTextEdit::textChanged, this, [this] { Refresh(); });
    connect(rbLandscape, &QRadioButton::toggled, this, [this] { Refresh(); });
    connect(grdColumns, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) { ReadColumnRow(item->row()); });
    connect(btnUp, &QPushButton::clicked, this, [this] { btnUpClick(); });
    connect(btnDown, &QPushButton::clicked, this, [this] { btnDownClick(); });
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnSaveAs, &QPushButton::clicked, this, [this] { btnSaveAsClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TReportStyleForm::OfferColumns(const ReportTemplate& layout)
{
    for (const ReportColumn& column : layout.columns) columns.push_back({column, true});
    DataSet* detail = sample.DataSource();
    for (int i = 0; detail && i < detail->FieldCount(); ++i) {
        const std::string& field = detail->FieldByIndex(i).Name();
        bool shown = std::any_of(columns.begin(), columns.end(),
                                 [&field](const StyleColumn& offered) { return offered.column.field == field; });
        if (!shown) columns.push_back({{field, field}, false});
    }
}

void TReportStyleForm::ShowTemplate(const ReportTemplate& layout)
{
    filling = true;
    edtName->setText(ToQString(record.name));
    edtTitle->setText(ToQString(layout.title));
    (layout.landscape ? rbLandscape : rbPortrait)->setChecked(true);
    memHeader->setPlainText(JoinLines(layout.header));
    memFooter->setPlainText(JoinLines(layout.footer));
    filling = false;
    FillColumnRows();
}

void TReportStyleForm::FillColumnRows()
{
    filling = true;
    grdColumns->setRowCount(static_cast<int>(columns.size()));
    for (int row = 0; row < grdColumns->rowCount(); ++row) {
        const StyleColumn& offered = columns[static_cast<size_t>(row)];
        grdColumns->setItem(row, VisibleCell, CheckItem(offered.visible));
        auto* field = new QTableWidgetItem(ToQString(offered.column.field));
        field->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grdColumns->setItem(row, FieldCell, field);
        grdColumns->setItem(row, TitleCell, new QTableWidgetItem(ToQString(offered.column.title)));
        auto* width = new QTableWidgetItem;
        width->setData(Qt::EditRole, offered.column.width);
        grdColumns->setItem(row, WidthCell, width);
        auto* format = new QComboBox(grdColumns);
        format->addItems(FormatNames);
        format->setCurrentIndex(static_cast<int>(offered.column.format));
        connect(format, &QComboBox::currentIndexChanged, this, [this, format] {
            for (int at = 0; at < grdColumns->rowCount(); ++at)
                if (grdColumns->cellWidget(at, FormatCell) == format) ReadColumnRow(at);
        });
        grdColumns->setCellWidget(row, FormatCell, format);
        grdColumns->setItem(row, SumCell, CheckItem(offered.column.sum));
    }
    filling = false;
    Refresh();
}

void TReportStyleForm::ReadColumnRow(int row)
{
    if (filling || row < 0 || row >= static_cast<int>(columns.size())) return;
    StyleColumn& offered = columns[static_cast<size_t>(row)];
    offered.visible = grdColumns->item(row, VisibleCell)->checkState() == Qt::Checked;
    offered.column.title = grdColumns->item(row, TitleCell)->text().toStdString();
    offered.column.width = std::max(0, grdColumns->item(row, WidthCell)->data(Qt::EditRole).toInt());
    auto* format = static_cast<QComboBox*>(grdColumns->cellWidget(row, FormatCell));
    offered.column.format = static_cast<NumberFormat>(std::max(0, format->currentIndex()));
    offered.column.sum = grdColumns->item(row, SumCell)->checkState() == Qt::Checked;
    Refresh();
}

void TReportStyleForm::btnUpClick()
{
    MoveColumn(-1);
}

void TReportStyleForm::btnDownClick()
{
    MoveColumn(1);
}

void TReportStyleForm::MoveColumn(int step)
{
    int row = grdColumns->currentRow();
    int target = row + step;
    if (row < 0 || target < 0 || target >= static_cast<int>(columns.size())) return;
    std::swap(columns[static_cast<size_t>(row)], columns[static_cast<size_t>(target)]);
    FillColumnRows();
    grdColumns->setCurrentCell(target, TitleCell);
}

ReportTemplate TReportStyleForm::EditedTemplate() const
{
    ReportTemplate layout;
    layout.title = edtTitle->text().toStdString();
    layout.landscape = rbLandscape->isChecked();
    layout.header = LinesOf(*memHeader);
    layout.footer = LinesOf(*memFooter);
    for (const StyleColumn& offered : columns)
        if (offered.visible) layout.columns.push_back(offered.column);
    return layout;
}

std::vector<int> TReportStyleForm::VisibleWidths() const
{
    std::vector<int> widths;
    for (const StyleColumn& offered : columns)
        if (offered.visible) widths.push_back(offered.column.width);
    return widths;
}

void TReportStyleForm::Refresh()
{
    if (filling) return;
    std::vector<int> widths = VisibleWidths();
    int total = std::accumulate(widths.begin(), widths.end(), 0);
    lblWidth->setText(QString("显示 %1 列, 宽度合计 %2%").arg(widths.size()).arg(total));
    lblWidth->setStyleSheet(total > 100 ? "color: #c00000;" : QString());
    sample.Render(*txtPreview->document(), EditedTemplate());
}

bool TReportStyleForm::MayWrite(int exceptID)
{
    std::string name = edtName->text().trimmed().toStdString();
    if (auto refusal = PrintStyleRefusal(name, VisibleWidths())) {
        ShowWarning(*refusal);
        return false;
    }
    if (PrintTemplateNameTaken(record.typeID, name, exceptID)) {
        ShowWarning("已有名为“" + name + "”的打印样式, 请换一个名称!");
        return false;
    }
    return true;
}

void TReportStyleForm::btnSaveClick()
{
    if (record.builtIn) {
        // Every screen falls back on its standard style, so it stays as installed.
        if (ShowYesNoQuestion("“" + record.name + "”是标准样式, 不能覆盖。是否另存为新的样式?") == AnswerYes)
            WriteAsNew();
        return;
    }
    if (!MayWrite(record.id)) return;
    try {
        OverwritePrintTemplate(record.id, edtName->text().trimmed().toStdString(), EditedTemplate().Text());
        Written(record.id);
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void TReportStyleForm::btnSaveAsClick()
{
    WriteAsNew();
}

void TReportStyleForm::WriteAsNew()
{
    if (!MayWrite(0)) return;
    try {
        Written(AddPrintTemplate(record.typeID, edtName->text().trimmed().toStdString(), EditedTemplate().Text()));
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void TReportStyleForm::Written(int id)
{
    savedID = id;
    SetModalResult(mrOk);
}

}  // namespace mfg
