#include "TGoodsPriceCalcForm.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include <fmt/format.h>

#include "Calculations.h"
#include "DatePicker.h"
#include "DbGrid.h"
#include "GridExport.h"
#include "LookupCombo.h"
#include "NamedControl.h"
#include "SpinEditFloat.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/Users.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr const char* kCaption = "产品成本预算";
constexpr int kPrivilege = 0x801;
constexpr int kStandardTemplate = 7008;

Variant Optional(const std::optional<double>& value)
{
    return value ? Variant(*value) : Variant();
}

QLineEdit* ReadOnlyEdit(QWidget* parent, const char* name)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

LookupCombo* GoodsCombo(QWidget* parent, const char* name, const char* listField, const char* filter)
{
    auto* combo = Named(new LookupCombo(parent), name);
    combo->SetLookupDataSet(&OpenLookupDataSet("qryGoods"));
    combo->SetKeyField("GoodsID");
    combo->SetListField(listField);
    combo->AddDropDownColumn("Code", "编码");
    combo->AddDropDownColumn("Name", "名称");
    combo->AddDropDownColumn("Specs", "规格");
    combo->SetDropDownFilter(filter);
    combo->SetActionButtons({"新增#", "查找#", "置空"});
    combo->SetTag(4);
    return combo;
}

}  // namespace

TGoodsPriceCalcForm::TGoodsPriceCalcForm(QWidget* parent) : TManuRootForm("TGoodsPriceCalcForm", parent)
{
    setWindowTitle(kCaption);
    SetDefaultSize(1300, 600);
    BuildDataSets();

    cmbSelGoods = GoodsCombo(this, "cmbSelGoods", "Name", "(Kind = 2 and  Closed = 0) or (Kind = 3 and  Closed = 0) ");
    dtp1 = Named(new DatePicker(this), "dtp1");
    dtp1->SetDate(Today());
    edtCode = ReadOnlyEdit(this, "edtCode");
    edtSpecs = ReadOnlyEdit(this, "edtSpecs");
    edtUnit = ReadOnlyEdit(this, "edtUnit");
    edtQty = Named(new SpinEditFloat(this), "edtQty");
    edtQty->setRange(0, 1e9);
    edtQty->setDecimals(4);
    edtPrice = ReadOnlyEdit(this, "edtPrice");
    edtAmount = ReadOnlyEdit(this, "edtAmount");
    rb1 = Named(new QRadioButton("按参考进价计算", this), "rb1");
    rb2 = Named(new QRadioButton("按最近进价", this), "rb2");
    rb3 = Named(new QRadioButton("按当前库存成本价计算", this), "rb3");
    rb5 = Named(new QRadioButton("按一级BOM计算", this), "rb5");
    rb6 = Named(new QRadioButton("按末级BOM计算", this), "rb6");
    dlgcGoods = GoodsCombo(this, "dlgcGoods", "Code", "Closed = 0 and  Kind >= 1 and Kind <= 3");
    dgListGoodsBom = Named(new DbGrid(this), "dgListGoodsBom");
    lblFooter = Named(new QLabel(this), "lblFooter");
    BuildGrid();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(BuildHeader());
    auto* component = new QHBoxLayout;
    component->addWidget(new QLabel("子件:", this));
    component->addWidget(dlgcGoods);
    component->addStretch();
    layout->addLayout(component);
    layout->addWidget(dgListGoodsBom, 1);
    layout->addWidget(lblFooter);
    layout->addLayout(BuildButtons());

    connect(cmbSelGoods, &LookupCombo::Changed, this, [this] { cmbSelGoodsChange(); });
    for (QRadioButton* basis : {rb1, rb2, rb3})
        connect(basis, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbBasisClick();
        });
    for (QRadioButton* depth : {rb5, rb6})
        connect(depth, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbDepthClick();
        });
    connect(edtQty, &SpinEditFloat::valueChanged, this, [this] { edtQtyChange(); });
    connect(dlgcGoods, &LookupCombo::Changed, this, [this] { dlgcGoodsChange(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(btnDelete, &QPushButton::clicked, this, [this] { btnDeleteClick(); });
    connect(btnExcel, &QPushButton::clicked, this, [this] { btnExcelClick(); });
    connect(btnDesign, &QPushButton::clicked, this, [this] { DesignPrintStyle(*RptStyleCB, &cdsGoodsInfo, &cdsGoodsBom); });
    connect(btnPrint, &QToolButton::clicked, this, [this] { PrintClick(lastPrintDirect); });
    connect(PrintPMItem, &QAction::triggered, this, [this] { PrintClick(true); });
    connect(PrintPreviewPMItem, &QAction::triggered, this, [this] { PrintClick(false); });
    connect(btn1, &QPushButton::clicked, this, [this] { close(); });
    ShowBudget();
}

TGoodsPriceCalcForm::~TGoodsPriceCalcForm()
{
    dgListGoodsBom->SetDataSet(nullptr);
}

void TGoodsPriceCalcForm::BuildDataSets()
{
    cdsGoodsInfo.AddField("GoodsID", FieldType::Integer);
    for (const char* name : {"GoodsCode", "GoodsName", "UnitName", "Specs"})
        cdsGoodsInfo.AddField(name, FieldType::Text);
    for (const char* name : {"Qty", "price", "Amount"}) cdsGoodsInfo.AddField(name, FieldType::Float);
    cdsGoodsInfo.CreateDataSet();
    cdsGoodsInfo.AppendRecord({0, "", "", "", "", 0.0, 0.0, 0.0});

    cdsGoodsBom.AddField("ElemGID", FieldType::Integer);
    for (const char* name : {"GoodsCode", "GoodsName", "Specs", "UnitName"})
        cdsGoodsBom.AddField(name, FieldType::Text);
    for (const char* name : {"WasteRate", "Quantity", "ActQty", "Price", "Amount", "Amt", "SumAmt"})
        cdsGoodsBom.AddField(name, FieldType::Float);
    cdsGoodsBom.AddField("Memo", FieldType::Text);
    cdsGoodsBom.AddField("BaseQty", FieldType::Float);
    cdsGoodsBom.CreateDataSet();
    cdsGoodsBom.AfterPost([this](DataSet&) { cdsGoodsBomAfterPost(); });
    cdsGoodsBom.AfterScroll([this](DataSet&) {
        if (showing) return;
        // The component combo follows the current line without picking anything.
        showing = true;
        int line = CurrentLine();
        dlgcGoods->SetValue(line >= 0 ? cdsGoodsBom.FieldByName("ElemGID").Value() : Variant());
        showing = false;
    });
}

void TGoodsPriceCalcForm::BuildGrid()
{
    for (const char* field : {"Quantity", "Price", "Amt"}) cdsGoodsBom.SetNumberRange(field, NumberRange::NonNegative());
    cdsGoodsBom.SetNumberRange("WasteRate", NumberRange::Percent());
    dgListGoodsBom->SetDataSet(&cdsGoodsBom);
    dgListGoodsBom->SetSortOnTitleClick(false);
    struct Column {
        const char* field;
        const char* title;
        int width;
        NumberFormat format;
        bool readOnly;
    };
    for (auto [field, title, width, format, readOnly] :
         {Column{"GoodsName", "货品名称", 120, NumberFormat::Plain, true},
          {"GoodsCode", "货品编码", 80, NumberFormat::Plain, true},
          {"Specs", "规格", 110, NumberFormat::Plain, true},
          {"UnitName", "单位", 40, NumberFormat::Plain, true},
          {"Quantity", "数量", 70, NumberFormat::Quantity, false},
          {"WasteRate", "损耗率%", 60, NumberFormat::Plain, false},
          {"ActQty", "需求量", 70, NumberFormat::Quantity, true},
          {"Price", "单价", 70, NumberFormat::Price, false},
          {"Amount", "金额", 80, NumberFormat::Amount, true},
          {"Amt", "间接费用", 80, NumberFormat::Amount, false},
          {"SumAmt", "合计", 80, NumberFormat::Amount, true},
          {"Memo", "备注", 120, NumberFormat::Plain, false}}) {
        auto& column = dgListGoodsBom->AddColumn(field, title, width);
        column.format = format;
        column.readOnly = readOnly;
    }
}

QLayout* TGoodsPriceCalcForm::BuildHeader()
{
    auto* fields = new QGridLayout;
    auto add = [&](const char* caption, QWidget* control, int row, int column) {
        fields->addWidget(new QLabel(caption, this), row, column);
        fields->addWidget(control, row, column + 1);
    };
    add("产品名称:", cmbSelGoods, 0, 0);
    add("产品编码:", edtCode, 0, 2);
    add("规格:", edtSpecs, 0, 4);
    add("日期:", dtp1, 0, 6);
    add("单位:", edtUnit, 1, 0);
    add("数量:", edtQty, 1, 2);
    add("单价:", edtPrice, 1, 4);
    add("金额:", edtAmount, 1, 6);

    auto group = [this](const char* title, std::initializer_list<QRadioButton*> buttons) {
        auto* box = new QGroupBox(title, this);
        auto* row = new QHBoxLayout(box);
        for (QRadioButton* button : buttons) row->addWidget(button);
        return box;
    };
    auto* options = new QHBoxLayout;
    options->addWidget(group("价格依据", {rb1, rb2, rb3}));
    options->addWidget(group("BOM层次", {rb5, rb6}));
    // Checked once in their boxes: before, all five were siblings and so one exclusive group.
    rb1->setChecked(true);
    rb5->setChecked(true);
    options->addStretch();

    auto* header = new QVBoxLayout;
    header->addLayout(fields);
    header->addLayout(options);
    return header;
}

QLayout* TGoodsPriceCalcForm::BuildButtons()
{
    Button1 = Named(new QPushButton("增加明细", this), "Button1");
    btnDelete = Named(new QPushButton("删除明细", this), "btnDelete");
    btnExcel = Named(new QPushButton("导出Excel", this), "btnExcel");
    btnPrint = Named(new QToolButton(this), "btnPrint");
    btnPrint->setText(" 打印");
    btnPrint->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(btnPrint);
    PrintPMItem = menu->addAction("打印");
    PrintPMItem->setObjectName("PrintPMItem");
    PrintPreviewPMItem = menu->addAction("打印预览");
    PrintPreviewPMItem->setObjectName("PrintPreviewPMItem");
    btnPrint->setMenu(menu);

    RptStyleCB = Named(new LookupCombo(this), "RptStyleCB");
    RptStyleCB->SetTag(kStandardTemplate);
    qryTemplates = CreateAutoQuery(
        "Select TypeID, PrintTmpltID, Name from L_PrintTmplt where TypeID=7001 and PrintTmpltID>0", true);
    RptStyleCB->SetLookupDataSet(qryTemplates.get());
    RptStyleCB->SetKeyField("PrintTmpltID");
    RptStyleCB->SetListField("Name");
    RptStyleCB->AddDropDownColumn("Name", "样式");
    RptStyleCB->SetValue(kStandardTemplate);
    btnDesign = Named(new QPushButton("样式设计", this), "btnDesign");
    btn1 = Named(new QPushButton("退出", this), "btn1");

    auto* buttons = new QHBoxLayout;
    for (QWidget* button : std::initializer_list<QWidget*>{Button1, btnDelete, btnExcel, btnPrint})
        buttons->addWidget(button);
    buttons->addWidget(new QLabel("打印样式:", this));
    buttons->addWidget(RptStyleCB);
    buttons->addWidget(btnDesign);
    buttons->addStretch();
    buttons->addWidget(btn1);
    return buttons;
}

void TGoodsPriceCalcForm::cmbSelGoodsChange()
{
    const Variant& value = cmbSelGoods->Value();
    budget.SelectProduct(value.IsNull() ? 0 : static_cast<int>(value.AsInteger()));
    ShowBudget();
}

PriceBasis TGoodsPriceCalcForm::CheckedBasis() const
{
    if (rb2->isChecked()) return PriceBasis::LastPurchase;
    if (rb3->isChecked()) return PriceBasis::StockCost;
    return PriceBasis::ReferencePurchase;
}

void TGoodsPriceCalcForm::rbBasisClick()
{
    budget.SetBasis(CheckedBasis());
    ShowBudget();
}

void TGoodsPriceCalcForm::rbDepthClick()
{
    if (budget.SetDepth(rb6->isChecked() ? BomDepth::LastLevel : BomDepth::FirstLevel)) ShowBudget();
}

void TGoodsPriceCalcForm::edtQtyChange()
{
    if (showing || !budget.HasProduct()) return;
    budget.SetQty(edtQty->Value());
    ShowBudget();
}

void TGoodsPriceCalcForm::dlgcGoodsChange()
{
    int line = CurrentLine();
    if (showing || line < 0 || dlgcGoods->Value().IsNull()) return;
    int component = static_cast<int>(dlgcGoods->Value().AsInteger());
    if (component == budget.Lines()[static_cast<size_t>(line)].elemGid) return;
    budget.PickComponent(static_cast<size_t>(line), component);
    ShowLine(static_cast<size_t>(line));
    ShowProduct();
}

void TGoodsPriceCalcForm::Button1Click()
{
    if (!budget.HasProduct()) return;
    budget.AddLine();
    ShowBudget();
    cdsGoodsBom.Last();
    dgListGoodsBom->setFocus();
}

void TGoodsPriceCalcForm::btnDeleteClick()
{
    int line = CurrentLine();
    if (line < 0) return;
    budget.DeleteLine(static_cast<size_t>(line));
    ShowBudget();
}

void TGoodsPriceCalcForm::btnExcelClick()
{
    if (!HasExportPrivilege(kPrivilege)) return;
    if (!budget.HasProduct()) {
        ShowInformation("请先选择产品!");
        return;
    }
    const CostProduct& product = budget.Product();
    std::string subtitle = fmt::format("产品编码:{} 品名:{} 规格:{} 单位:{} 数量:{} 单价:{} 金额:{} 日期:{}",
                                       product.goodsCode, product.goodsName, product.specs, product.unitName,
                                       FormatQuantityText(product.qty), FormatPriceText(product.price),
                                       FormatAmountText(product.amount), dtp1->Date().Format("yyyy-mm-dd"));
    OutToExcelFun(*dgListGoodsBom, kCaption, subtitle);
}

void TGoodsPriceCalcForm::PrintClick(bool printDirectly)
{
    if (!HasPrintPrivilege(kPrivilege)) return;
    if (!budget.HasProduct()) {
        ShowInformation("请先选择须打印的产品!");
        return;
    }
    lastPrintDirect = printDirectly;
    btnPrint->setText(printDirectly ? " 打印" : " 预览");
    PrintReport(*RptStyleCB, &cdsGoodsInfo, &cdsGoodsBom, printDirectly);
}

int TGoodsPriceCalcForm::CurrentLine() const
{
    if (cdsGoodsBom.IsEmpty()) return -1;
    return cdsGoodsBom.RecNo() - 1;
}

void TGoodsPriceCalcForm::ShowBudget()
{
    showing = true;
    int recNo = cdsGoodsBom.RecNo();
    cdsGoodsBom.EmptyDataSet();
    for (const CostLine& line : budget.Lines())
        cdsGoodsBom.AppendRecord({line.elemGid, line.goodsCode, line.goodsName, line.specs, line.unitName,
                                  line.wasteRate, line.quantity, line.actQty, line.price, line.amount,
                                  Optional(line.amt), line.sumAmt, line.memo, Optional(line.baseQty)});
    if (!cdsGoodsBom.IsEmpty()) cdsGoodsBom.SetRecNo(std::clamp(recNo, 1, cdsGoodsBom.RecordCount()));
    int line = CurrentLine();
    dlgcGoods->SetValue(line >= 0 ? cdsGoodsBom.FieldByName("ElemGID").Value() : Variant());
    showing = false;
    ShowProduct();
}

void TGoodsPriceCalcForm::ShowLine(size_t index)
{
    const CostLine& line = budget.Lines()[index];
    showing = true;
    cdsGoodsBom.SetRecNo(static_cast<int>(index) + 1);
    cdsGoodsBom.Edit();
    cdsGoodsBom.FieldByName("ElemGID").SetValue(line.elemGid);
    for (auto [field, text] : {std::pair{"GoodsCode", &line.goodsCode},
                               {"GoodsName", &line.goodsName},
                               {"Specs", &line.specs},
                               {"UnitName", &line.unitName}})
        cdsGoodsBom.FieldByName(field).SetValue(*text);
    for (auto [field, number] : {std::pair{"WasteRate", line.wasteRate},
                                 {"Quantity", line.quantity},
                                 {"ActQty", line.actQty},
                                 {"Price", line.price},
                                 {"Amount", line.amount},
                                 {"SumAmt", line.sumAmt}})
        cdsGoodsBom.FieldByName(field).SetValue(number);
    cdsGoodsBom.Post();
    showing = false;
}

void TGoodsPriceCalcForm::ShowProduct()
{
    const CostProduct& product = budget.Product();
    showing = true;
    cdsGoodsInfo.Edit();
    cdsGoodsInfo.FieldByName("GoodsID").SetValue(product.goodsId);
    cdsGoodsInfo.FieldByName("GoodsCode").SetValue(product.goodsCode);
    cdsGoodsInfo.FieldByName("GoodsName").SetValue(product.goodsName);
    cdsGoodsInfo.FieldByName("UnitName").SetValue(product.unitName);
    cdsGoodsInfo.FieldByName("Specs").SetValue(product.specs);
    cdsGoodsInfo.FieldByName("Qty").SetValue(product.qty);
    cdsGoodsInfo.FieldByName("price").SetValue(product.price);
    cdsGoodsInfo.FieldByName("Amount").SetValue(product.amount);
    cdsGoodsInfo.Post();
    edtCode->setText(QString::fromStdString(product.goodsCode));
    edtSpecs->setText(QString::fromStdString(product.specs));
    edtUnit->setText(QString::fromStdString(product.unitName));
    edtQty->SetValue(product.qty);
    edtPrice->setText(QString::fromStdString(FormatPriceText(product.price)));
    edtAmount->setText(QString::fromStdString(FormatAmountText(product.amount)));
    showing = false;

    double amount = 0, amt = 0;
    for (const CostLine& line : budget.Lines()) {
        amount += line.amount;
        amt += line.amt.value_or(0);
    }
    lblFooter->setText(
        QString::fromStdString(fmt::format("合  计    金额: {}    间接费用: {}    合计: {}", FormatAmountText(amount),
                                           FormatAmountText(amt), FormatAmountText(product.amount))));
}

void TGoodsPriceCalcForm::cdsGoodsBomAfterPost()
{
    int index = CurrentLine();
    if (showing || index < 0) return;
    auto line = static_cast<size_t>(index);
    const CostLine& before = budget.Lines()[line];
    auto typed = [this](const char* field) { return cdsGoodsBom.FieldByName(field).AsFloat(); };
    // Only what the user typed goes to the core, so that an untouched indirect cost stays none.
    try {
        if (typed("Quantity") != before.quantity) budget.SetLineQuantity(line, typed("Quantity"));
        if (typed("WasteRate") != before.wasteRate) budget.SetLineWasteRate(line, typed("WasteRate"));
        if (typed("Price") != before.price) budget.SetLinePrice(line, typed("Price"));
        if (!cdsGoodsBom.FieldByName("Amt").IsNull() && typed("Amt") != before.amt.value_or(0))
            budget.SetLineAmt(line, typed("Amt"));
        budget.SetLineMemo(line, cdsGoodsBom.FieldByName("Memo").AsString());
    } catch (const InputError& error) {
        // The grid shows the line as the budget keeps it again.
        ShowError(error.what());
    }
    ShowLine(line);
    ShowProduct();
}

MFG_REGISTER_SCREEN(TGoodsPriceCalcForm);

}  // namespace mfg
