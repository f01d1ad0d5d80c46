#include "TMRPForm.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <initializer_list>

#include "DbGrid.h"
#include "ExceptionPage.h"
#include "FormControls.h"
#include "FundsChart.h"
#include "LookupCombo.h"
#include "ProgressDialog.h"
#include "ReleaseScreens.h"
#include "RowSelection.h"
#include "TMakePurchaseForm.h"
#include "TSelectListForm.h"
#include "TreeItemsModel.h"
#include "export/SpreadsheetExport.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/IniFile.h"
#include "host/Users.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr const char* kCaption = "MRP II 运算";
constexpr int kMrpPrivilege = 2044;
// Bill types the suggestions are released as.
constexpr int kPurchaseOrder = 2;
constexpr int kPurchaseRequest = 5;
constexpr int kManufactureOrder = 42;
constexpr int kOutsourcingOrder = 54;

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

//! Runs a selection dialog and hands its rows on when it closes with OK.
template <typename Dialog, typename Take>
void RunSelection(Take take)
{
    Dialog dialog;
    if (dialog.ShowModal() == mrOk && dialog.cdsList().Active()) take(dialog.cdsList());
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption)
{
    return Named(new QPushButton(Text(caption), parent), name);
}

QCheckBox* NewBox(QWidget* parent, const char* name, const char* caption, bool checked)
{
    auto* box = Named(new QCheckBox(Text(caption), parent), name);
    box->setChecked(checked);
    return box;
}

QAction* NewAction(QMenu* menu, const char* name, const char* caption)
{
    auto* action = menu->addAction(Text(caption));
    action->setObjectName(name);
    return action;
}

QLineEdit* NewLabelEdit(QWidget* parent, const char* name)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

//! The period radio buttons "日", "周", "月" of a page, month chosen, after the label "工作历: ".
void AddPeriodButtons(QHBoxLayout& row, QWidget* page, QRadioButton*& day, QRadioButton*& week, QRadioButton*& month,
                      const char* dayName, const char* weekName, const char* monthName)
{
    auto* group = new QButtonGroup(page);
    row.addWidget(new QLabel("工作历: ", page));
    day = Named(new QRadioButton("日", page), dayName);
    week = Named(new QRadioButton("周", page), weekName);
    month = Named(new QRadioButton("月", page), monthName);
    for (QRadioButton* button : {day, week, month}) {
        group->addButton(button);
        row.addWidget(button);
    }
    month->setChecked(true);
}

int PeriodOf(const QRadioButton& day, const QRadioButton& week)
{
    return day.isChecked() ? MrpPeriodDay : week.isChecked() ? MrpPeriodWeek : MrpPeriodMonth;
}

//! The stages of a run as the progress dialog names them.
std::string_view StageCaption(std::string_view stage)
{
    if (stage == "load") return "正在读取库存、物料清单与单据...";
    if (stage == "explode") return "正在展开毛需求...";
    if (stage == "net" || stage == "substitute") return "正在计算净需求...";
    return "正在生成运算结果...";
}

//! Hides grid columns for the time of an export and shows them again whatever happens.
class HiddenColumns {
public:
    HiddenColumns(DbGrid& shown, std::initializer_list<const char*> fields) : grid(shown)
    {
        for (const char* field : fields) {
            int index = grid.Model().ColumnIndexOf(field);
            if (index < 0 || !grid.Column(index).visible) continue;
            grid.SetColumnVisible(index, false);
            hidden.push_back(index);
        }
    }
    ~HiddenColumns()
    {
        for (int index : hidden) grid.SetColumnVisible(index, true);
    }
    HiddenColumns(const HiddenColumns&) = delete;
    HiddenColumns& operator=(const HiddenColumns&) = delete;

private:
    DbGrid& grid;
    std::vector<int> hidden;
};

using ColumnList = std::vector<std::pair<const char*, const char*>>;

const ColumnList kDemandColumns{{"billdate", "单据日期"},    {"billcode", "单据编号"},  {"finishdate", "完工日期"},
                                {"goodscode", "货品编号"},   {"goodsname", "货品名称"}, {"specs", "规格"},
                                {"unitname", "单位"},        {"planqty", "计划数量"},   {"finishedqty", "已下达数量"},
                                {"quantity", "本次计算数量"}};
const ColumnList kGoodsColumns{
    {"goodscode", "货品编号"}, {"goodsname", "货品名称"}, {"specs", "规格"}, {"unitname", "单位"}};

ColumnList GoodsAnd(std::initializer_list<std::pair<const char*, const char*>> after, const char* first = nullptr,
                    const char* firstLabel = nullptr)
{
    ColumnList columns;
    if (first) columns.emplace_back(first, firstLabel);
    columns.insert(columns.end(), kGoodsColumns.begin(), kGoodsColumns.end());
    columns.insert(columns.end(), after.begin(), after.end());
    return columns;
}

}  // namespace

TMRPForm::TMRPForm(QWidget* parent) : TManuRootForm("TMRPForm", parent)
{
    setWindowTitle(kCaption);
    SetDefaultSize(1320, 640);
    upgraded340 = HadUpgradeTo("3.40");
    PageControl1 = Named(new QTabWidget(this), "PageControl1");
    btnExit = NewButton(this, "btnExit", "退出");
    cbRunParam = NewBox(this, "cbRunParam", "保存(&P)运算参数", true);
    BuildDemandPage();
    BuildTreePage();
    BuildGrossPage();
    BuildNetPage();
    BuildManufacturePage();
    BuildPurchasePage();
    BuildBudgetPage();
    tsException = new ExceptionPage(*PageControl1, workbench.engine);
    tsException->goodsChosen = [this](int goodsid) {
        cmbGoods3->SetValue(goodsid);
        PageControl1->setCurrentWidget(TabSheet4);
    };

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(cbRunParam);
    bottom->addStretch();
    bottom->addWidget(btnExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(bottom);

    fundsShown = MrpWorkbench::FundsOffered();
    PageControl1->setTabVisible(PageControl1->indexOf(tsBudget), fundsShown);
    PageControl1->setCurrentWidget(TabSheet1);
    OpenLookupDataSet("qryGoods");
    OpenLookupDataSet("qryGoodsUnit");
    QxDBGrid1->SetCurrentColumn(1);
    if (!upgraded340) {
        for (QCheckBox* box : {cbOverSOrder, cbOverPOrder}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
    }
    LoadOptions();
    ConnectHandlers();
    DemandLineChanged();
    chooseExportFile = [this](const std::string& title) {
        QString file = QFileDialog::getSaveFileName(
            this, Text(title), Text(CurrentHost().CurrDirectory() + title + ".xlsx"), "Excel (*.xlsx)");
        return std::filesystem::path(file.toStdString());
    };
    WriteLog('T', 200, 'T', kCaption);
}

TMRPForm::~TMRPForm()
{
    for (DbGrid* grid : {QxDBGrid1, DBGrid2, DBGrid3, DBGrid4, DBGrid5, ItemGridBudget}) grid->SetDataSet(nullptr);
    for (LookupCombo* combo : {cmbGoods2, cmbGoods3}) combo->SetLookupDataSet(nullptr);
    TreeView1->SetTree(nullptr);
    workbench.cdsMP.AfterScroll({});
    WriteLog('T', 201, 'T', kCaption);
}

void TMRPForm::BuildDemandPage()
{
    TabSheet1 = Named(new QWidget(PageControl1), "TabSheet1");
    PageControl1->addTab(TabSheet1, "生产计划");
    QWidget* page = TabSheet1;
    btnImportMP = NewButton(page, "btnImportMP", "选择主生产计划单...");
    btnImportSOrder = NewButton(page, "btnImportSOrder", "选择销售订单...");
    btAllSelect = NewButton(page, "btAllSelect", "全选");
    btNotSelect = NewButton(page, "btNotSelect", "反选");
    btAllClear = NewButton(page, "btAllClear", "全清");
    btnCalculate = NewButton(page, "btnCalculate", "计算");
    dlgcMrpGoods = Named(new LookupCombo(page), "dlgcMrpGoods");
    dlgcMrpGoods->SetLookupDataSet(&FindLookupDataSource("dsGoods"));
    dlgcMrpGoods->SetKeyField("GoodsID");
    dlgcMrpGoods->SetListField("Code");
    dlgcMrpGoods->AddDropDownColumn("CODE", "货品编号");
    dlgcMrpGoods->AddDropDownColumn("Name", "货品名称");
    dlgcMrpGoods->AddDropDownColumn("SPECS", "规格");
    dlgcMrpGoods->SetDropDownFilter("Closed = 0 and  Kind >= 2 and Kind <= 3");
    QxDBGrid1 = Named(new DbGrid(page), "QxDBGrid1");
    QxDBGrid1->SetDataSet(&workbench.cdsMP);
    QxDBGrid1->SetSortOnTitleClick(false);
    QxDBGrid1->AddColumn("selected", "选择", 40).checkBox = true;
    demandLabels.emplace_back("选择");
    for (const auto& [field, label] : kDemandColumns) {
        QxDBGrid1->AddColumn(field, label).readOnly = !workbench.CanEdit(field);
        demandLabels.emplace_back(label);
    }
    QxDBGrid1->SetFrozenColumns(1);
    QxDBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    QxDBGrid1->SetAllowAppend(true);
    pm2 = Named(new QMenu(page), "pm2");
    N4 = NewAction(pm2, "N4", "删除记录");
    N5 = NewAction(pm2, "N5", "删除全部");

    auto* top = new QHBoxLayout;
    for (QPushButton* button : {btnImportMP, btnImportSOrder}) top->addWidget(button);
    top->addWidget(new QLabel("货品编号:", page));
    top->addWidget(dlgcMrpGoods, 1);
    top->addStretch();
    for (QPushButton* button : {btAllSelect, btNotSelect, btAllClear}) top->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(QxDBGrid1, 1);
    BuildOptions(*page);
}

void TMRPForm::BuildOptions(QWidget& page)
{
    auto* group = new QGroupBox("运算参数", &page);
    auto* grid = new QGridLayout(group);
    cbOnhand = NewBox(group, "cbOnhand", "当前库存量", true);
    chkProductQty = NewBox(group, "chkProductQty", "产成品库存量", true);
    auto* stock = new QButtonGroup(group);
    RadioButton1 = Named(new QRadioButton("库存指帐面库存", group), "RadioButton1");
    RadioButton2 = Named(new QRadioButton("库存指实际库存", group), "RadioButton2");
    stock->addButton(RadioButton1);
    stock->addButton(RadioButton2);
    RadioButton2->setChecked(true);
    cbUsedQty = NewBox(group, "cbUsedQty", "已占用量", true);
    cbSafeQty = NewBox(group, "cbSafeQty", "安全库存量", true);
    cbAhead = NewBox(group, "cbAhead", "提前期(天)", true);
    cbWasteQty = NewBox(group, "cbWasteQty", "损耗量", true);
    cbSub = NewBox(group, "cbSub", "替代品", true);
    cbManufactureQty = NewBox(group, "cbManufactureQty", "在加工量", true);
    cbManuOrder = NewBox(group, "cbManuOrder", "加工预约量", true);
    cbSaleQty = NewBox(group, "cbSaleQty", "销售在订量", false);
    cbOverSOrder = NewBox(group, "cbOverSOrder", "超期销售订单", true);
    cbOverSOrder->setEnabled(false);
    cbPurchaseQty = NewBox(group, "cbPurchaseQty", "采购在订量", true);
    cbOverPOrder = NewBox(group, "cbOverPOrder", "超期采购订单", false);
    cbRequest = NewBox(group, "cbRequest", "请配单", false);
    cbDistribute = NewBox(group, "cbDistribute", "配送单", false);
    cbPrequest = NewBox(group, "cbPrequest", "请购单", false);
    cbUnCheck = NewBox(group, "cbUnCheck", "计算包含未审核单据", false);
    const std::vector<std::vector<QWidget*>> rows{
        {cbOnhand, chkProductQty, RadioButton1, RadioButton2, cbUsedQty},
        {cbSafeQty, cbAhead, cbWasteQty, cbSub, cbManufactureQty, cbManuOrder},
        {cbSaleQty, cbOverSOrder, cbPurchaseQty, cbOverPOrder},
        {cbRequest, cbDistribute, cbPrequest, cbUnCheck}};
    for (int row = 0; row < static_cast<int>(rows.size()); ++row)
        for (int column = 0; column < static_cast<int>(rows[row].size()); ++column)
            grid->addWidget(rows[row][column], row, column);
    grid->addWidget(btnCalculate, 3, 5);
    page.layout()->addWidget(group);
}

namespace {

//! Results are shown as the host formats them: the engine's fractions of a unit are no reading.
NumberFormat ResultFormat(std::string_view field)
{
    if (EqualsNoCase(field, "price")) return NumberFormat::Price;
    if (EqualsNoCase(field, "amount")) return NumberFormat::Amount;
    return NumberFormat::Quantity;
}

}  // namespace

DbGrid* TMRPForm::NewResultGrid(QWidget* page, const char* name, DataSet& data, const ColumnList& columns)
{
    auto* grid = Named(new DbGrid(page), name);
    grid->SetDataSet(&data);
    grid->SetSortOnTitleClick(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const auto& [field, label] : columns) {
        DbGridColumn& column = grid->AddColumn(field, label);
        column.readOnly = true;
        column.checkBox = EqualsNoCase(field, "selected");
        if (data.FieldByName(field).DataType() == FieldType::Float)
            grid->SetColumnFormat(grid->ColumnCount() - 1, ResultFormat(field));
        if (EqualsNoCase(field, "price")) column.displayFormat = "0.########";
        if (EqualsNoCase(field, "amount")) column.displayFormat = "0.##";
        if (EqualsNoCase(field, "class")) column.alignment = Qt::AlignHCenter;
    }
    return grid;
}

LookupCombo* TMRPForm::NewGoodsFilter(QWidget* page, const char* name)
{
    auto* combo = Named(new LookupCombo(page), name);
    combo->SetLookupDataSet(&workbench.cdsGoods);
    combo->SetKeyField("goodsid");
    combo->SetListField("goodscode");
    combo->AddDropDownColumn("goodscode", "货品编号");
    combo->AddDropDownColumn("goodsname", "货品名称");
    combo->AddDropDownColumn("specs", "规格");
    combo->SetTag(4);
    combo->SetActionButtons({"查找#", "置空"});
    return combo;
}

void TMRPForm::BuildTreePage()
{
    TabSheet2 = Named(new QWidget(PageControl1), "TabSheet2");
    PageControl1->addTab(TabSheet2, "毛需求-树");
    TreeView1 = Named(new TreeItemsView(TabSheet2), "TreeView1");
    TreeView1->SetTree(&workbench.goodsTree, "货品");
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    pm1 = Named(new QMenu(TabSheet2), "pm1");
    N1 = NewAction(pm1, "N1", "全部展开");
    N2 = NewAction(pm1, "N2", "全部收拢");
    (new QVBoxLayout(TabSheet2))->addWidget(TreeView1);
}

void TMRPForm::BuildGrossPage()
{
    TabSheet3 = Named(new QWidget(PageControl1), "TabSheet3");
    PageControl1->addTab(TabSheet3, "毛需求-表");
    cmbGoods2 = NewGoodsFilter(TabSheet3, "cmbGoods2");
    edtGoodsName2 = NewLabelEdit(TabSheet3, "edtGoodsName2");
    edtSpecs2 = NewLabelEdit(TabSheet3, "edtSpecs2");
    DBGrid2 =
        NewResultGrid(TabSheet3, "DBGrid2", workbench.cdsGross, GoodsAnd({{"quantity", "数量"}}, "class", "级次"));
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel("货品:", TabSheet3));
    filter->addWidget(cmbGoods2);
    filter->addWidget(new QLabel("货品名称:", TabSheet3));
    filter->addWidget(edtGoodsName2);
    filter->addWidget(new QLabel("规格:", TabSheet3));
    filter->addWidget(edtSpecs2);
    auto* layout = new QVBoxLayout(TabSheet3);
    layout->addLayout(filter);
    layout->addWidget(DBGrid2);
}

void TMRPForm::BuildNetPage()
{
    TabSheet4 = Named(new QWidget(PageControl1), "TabSheet4");
    PageControl1->addTab(TabSheet4, "净 需 求");
    QWidget* page = TabSheet4;
    cmbGoods3 = NewGoodsFilter(page, "cmbGoods3");
    edtGoodsName3 = NewLabelEdit(page, "edtGoodsName3");
    edtSpecs3 = NewLabelEdit(page, "edtSpecs3");
    btnNetRequireExcel = NewButton(page, "btnNetRequireExcel", "导出Excel");
    DBGrid3 = NewResultGrid(page, "DBGrid3", workbench.cdsNet,
                            GoodsAnd({{"needdate", "日期"},
                                      {"gross", "毛需求量"},
                                      {"onhand", "当前库存"},
                                      {"safeqty", "安全库存"},
                                      {"wasteqty", "损耗量"},
                                      {"usedqty", "已占用量"},
                                      {"saleqty", "销售在订"},
                                      {"oversaleqty", "超期销售在订"},
                                      {"prequestqty", "已请待订"},
                                      {"purchaseqty", "采购在订"},
                                      {"overpurchaseqty", "超期采购在订"},
                                      {"requestqty", "已请待配"},
                                      {"distributeqty", "已配待调"},
                                      {"manufactureqty", "在加工量"},
                                      {"manuorderqty", "加工预约量"},
                                      {"subqty", "使用替代品"},
                                      {"netqty", "净需求量"}},
                                     "class", "级次"));
    DBGrid3->SetFrozenColumns(5);
    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel("货品:", page));
    filter->addWidget(cmbGoods3);
    filter->addWidget(new QLabel("货品名称:", page));
    filter->addWidget(edtGoodsName3);
    filter->addWidget(new QLabel("规格:", page));
    filter->addWidget(edtSpecs3);
    AddPeriodButtons(*filter, page, rbDay, rbWeek, rbMonth, "rbDay", "rbWeek", "rbMonth");
    filter->addStretch();
    filter->addWidget(btnNetRequireExcel);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(filter);
    layout->addWidget(DBGrid3);
}

void TMRPForm::BuildManufacturePage()
{
    TabSheet5 = Named(new QWidget(PageControl1), "TabSheet5");
    PageControl1->addTab(TabSheet5, "生产建议");
    QWidget* page = TabSheet5;
    BitBtn1 = NewButton(page, "BitBtn1", "全选");
    BitBtn2 = NewButton(page, "BitBtn2", "反选");
    BitBtn3 = NewButton(page, "BitBtn3", "全清");
    btnMakeManu = NewButton(page, "btnMakeManu", "对选中的建议下达生产加工单");
    btnMakeConsign = NewButton(page, "btnMakeConsign", "对选中的建议下达委托加工单");
    btnMnfExcel = NewButton(page, "btnMnfExcel", "导出Excel");
    DBGrid4 = NewResultGrid(page, "DBGrid4", workbench.cdsManuSug,
                            GoodsAnd({{"sugqty", "数量"},
                                      {"fixqty", "修正数量"},
                                      {"released", "已下达"},
                                      {"price", "单价"},
                                      {"amount", "金额"},
                                      {"startdate", "生产日期"},
                                      {"finisheddate", "完工日期"},
                                      {"manufacture", "下达生产加工单"},
                                      {"consign", "下达委托加工单"}},
                                     "selected", "选择"));
    for (const char* hidden : {"manufacture", "consign"})
        DBGrid4->SetColumnVisible(DBGrid4->Model().ColumnIndexOf(hidden), false);
    DBGrid4->SetFrozenColumns(5);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3}) buttons->addWidget(button);
    buttons->addStretch();
    for (QPushButton* button : {btnMakeManu, btnMakeConsign, btnMnfExcel}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid4);
}

void TMRPForm::BuildPurchasePage()
{
    TabSheet6 = Named(new QWidget(PageControl1), "TabSheet6");
    PageControl1->addTab(TabSheet6, "采购建议");
    QWidget* page = TabSheet6;
    BitBtn4 = NewButton(page, "BitBtn4", "全选");
    BitBtn5 = NewButton(page, "BitBtn5", "反选");
    BitBtn6 = NewButton(page, "BitBtn6", "全清");
    cbMinOrder = NewBox(page, "cbMinOrder", "参考最小订货批量", false);
    cbIncOrder = NewBox(page, "cbIncOrder", "参考订货批量增量", false);
    cbIncOrder->setEnabled(false);
    btnMakePurchase = NewButton(page, "btnMakePurchase", "对选中的建议下达采购订单");
    btnMakePRequest = NewButton(page, "btnMakePRequest", "对选中的建议下达请购单");
    btnPurExcel = NewButton(page, "btnPurExcel", "导出Excel");
    DBGrid5 = NewResultGrid(page, "DBGrid5", workbench.cdsPurSug,
                            GoodsAnd({{"netqty", "净需求量"},
                                      {"minOrderQty", "最小批量"},
                                      {"incOrderQty", "批量增量"},
                                      {"sugqty", "建议采购量"},
                                      {"fixqty", "修正数量"},
                                      {"released", "已下达"},
                                      {"price", "单价"},
                                      {"amount", "金额"},
                                      {"orderdate", "下单日期"},
                                      {"revdate", "收货日期"},
                                      {"purchase", "下达采购订单"},
                                      {"prequest", "下达请购单"}},
                                     "selected", "选择"));
    DBGrid5->SetFrozenColumns(5);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {BitBtn4, BitBtn5, BitBtn6}) buttons->addWidget(button);
    buttons->addWidget(cbMinOrder);
    buttons->addWidget(cbIncOrder);
    buttons->addStretch();
    for (QPushButton* button : {btnMakePurchase, btnMakePRequest, btnPurExcel}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid5);
}

void TMRPForm::BuildBudgetPage()
{
    tsBudget = Named(new QWidget(PageControl1), "tsBudget");
    PageControl1->addTab(tsBudget, "资金预算");
    QWidget* page = tsBudget;
    edtDailyExpense = Named(new QLineEdit("￥0.00", page), "edtDailyExpense");
    ItemGridBudget = NewResultGrid(page, "ItemGridBudget", workbench.cdsBudget,
                                   {{"Date", "日期"},
                                    {"Stock", "当前库存"},
                                    {"CalcCharge", "预计收款"},
                                    {"CalcPay", "预计付款"},
                                    {"MrpPurSug", "MRP计划采购"},
                                    {"DailyExpense", "日常费用"},
                                    {"Laborage", "工资"},
                                    {"Onhand", "结存资金"},
                                    {"StoreLower", "储备下限"},
                                    {"Hardup", "充足+短缺-"}});
    for (int column = 1; column < ItemGridBudget->ColumnCount(); ++column)
        ItemGridBudget->SetColumnFormat(column, NumberFormat::Amount);
    ItemGridBudget->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    chtBudget = Named(new FundsChart(page), "chtBudget");
    auto* row = new QHBoxLayout;
    AddPeriodButtons(*row, page, rbBudgetDay, rbBudgetWeek, rbBudgetMonth, "rbBudgetDay", "rbBudgetWeek",
                     "rbBudgetMonth");
    row->addWidget(new QLabel("日常费用:", page));
    row->addWidget(edtDailyExpense);
    row->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(row);
    layout->addWidget(ItemGridBudget, 1);
    layout->addWidget(chtBudget, 1);
}

void TMRPForm::ConnectHandlers()
{
    connect(btnExit, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    connect(btnImportMP, &QPushButton::clicked, this, [this] { btnImportMPClick(); });
    connect(btnImportSOrder, &QPushButton::clicked, this, [this] { btnImportSOrderClick(); });
    for (QPushButton* button : {btAllSelect, BitBtn1, BitBtn4})
        connect(button, &QPushButton::clicked, this, [this] { btAllSelectClick(); });
    for (QPushButton* button : {btNotSelect, BitBtn2, BitBtn5})
        connect(button, &QPushButton::clicked, this, [this] { btNotSelectClick(); });
    for (QPushButton* button : {btAllClear, BitBtn3, BitBtn6})
        connect(button, &QPushButton::clicked, this, [this] { btAllClearClick(); });
    connect(N4, &QAction::triggered, this, [this] { N4Click(); });
    connect(N5, &QAction::triggered, this, [this] { N5Click(); });
    connect(QxDBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pm2->popup(QxDBGrid1->viewport()->mapToGlobal(at)); });
    connect(QxDBGrid1, &DbGrid::TitleClick, this, [this](int column) { QxDBGrid1TitleClick(column); });
    connect(btnCalculate, &QPushButton::clicked, this, [this] { btnCalculateClick(); });
    connect(cbOnhand, &QCheckBox::toggled, this, [this] { cbOnhandClick(); });
    for (QRadioButton* button : {RadioButton1, RadioButton2})
        connect(button, &QRadioButton::toggled, this, [this] { RadioButton1Click(); });
    connect(cbSaleQty, &QCheckBox::toggled, this, [this] { cbSaleQtyClick(); });
    connect(cbPurchaseQty, &QCheckBox::toggled, this, [this] { cbPurchaseQtyClick(); });
    connect(dlgcMrpGoods, &LookupCombo::Changed, this, [this] { MrpGoodsChanged(); });
    workbench.cdsMP.AfterScroll([this](DataSet&) { DemandLineChanged(); });

    connect(TreeView1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pm1->popup(TreeView1->viewport()->mapToGlobal(at)); });
    connect(N1, &QAction::triggered, this, [this] { N1Click(); });
    connect(N2, &QAction::triggered, this, [this] { N2Click(); });
    connect(cmbGoods2, &LookupCombo::Changed, this, [this] { cmbGoods2OrientationChange(); });
    connect(cmbGoods3, &LookupCombo::Changed, this, [this] { cmbGoods3OrientationChange(); });
    for (QRadioButton* button : {rbDay, rbWeek, rbMonth})
        connect(button, &QRadioButton::clicked, this, [this] { rbDayClick(); });
    for (QCheckBox* box : {cbMinOrder, cbIncOrder})
        connect(box, &QCheckBox::clicked, this, [this] { cbMinOrderClick(); });
    for (QRadioButton* button : {rbBudgetDay, rbBudgetWeek, rbBudgetMonth})
        connect(button, &QRadioButton::clicked, this, [this] { rbBudgetDayClick(); });
    connect(edtDailyExpense, &QLineEdit::editingFinished, this, [this] { edtDailyExpenseExit(); });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (PageControl1->currentWidget() == tsBudget) tsBudgetShow();
    });
    for (DbGrid* grid : {DBGrid4, DBGrid5, ItemGridBudget})
        connect(grid, &QAbstractItemView::clicked, this,
                [this, grid](const QModelIndex& index) { DBGrid5CellClick(*grid, index.column()); });
    // Corrections are typed into the suggestion grids; every other column stays as calculated.
    for (DbGrid* grid : {DBGrid4, DBGrid5}) {
        grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
        grid->SetColumnReadOnly(grid->Model().ColumnIndexOf("fixqty"), false);
    }
    connect(btnNetRequireExcel, &QPushButton::clicked, this, [this] { btnNetRequireExcelClick(); });
    connect(tsException->btnExceptionExcel, &QPushButton::clicked, this,
            [this] { ExportGrid(*tsException->DBGrid6, "MRP异常信息"); });
    connect(btnMnfExcel, &QPushButton::clicked, this, [this] { btnMnfExcelClick(); });
    connect(btnPurExcel, &QPushButton::clicked, this, [this] { btnPurExcelClick(); });
    connect(btnMakeManu, &QPushButton::clicked, this, [this] { btnMakeManuClick(); });
    connect(btnMakeConsign, &QPushButton::clicked, this, [this] { btnMakeConsignClick(); });
    connect(btnMakePurchase, &QPushButton::clicked, this, [this] { btnMakePurchaseClick(); });
    connect(btnMakePRequest, &QPushButton::clicked, this, [this] { btnMakePRequestClick(); });
}

void TMRPForm::FormShow()
{
    TManuRootForm::FormShow();
    PrepareLookupCombos();
}

// ---- options ---------------------------------------------------------------------------------

std::vector<std::pair<std::string_view, QAbstractButton*>> TMRPForm::OptionControls() const
{
    return {{"Onhand", cbOnhand},
            {"ProductQty", chkProductQty},
            {"Store", RadioButton2},
            {"UsedQty", cbUsedQty},
            {"SafeQty", cbSafeQty},
            {"Ahead", cbAhead},
            {"WasteQty", cbWasteQty},
            {"Sub", cbSub},
            {"ManufactureQty", cbManufactureQty},
            {"ManuOrder", cbManuOrder},
            {"SaleQty", cbSaleQty},
            {"OverSOrder", cbOverSOrder},
            {"PurchaseQty", cbPurchaseQty},
            {"OverPOrder", cbOverPOrder},
            {"Request", cbRequest},
            {"Distribute", cbDistribute},
            {"Prequest", cbPrequest},
            {"UnCheckBill", cbUnCheck}};
}

MrpRunParams TMRPForm::RunParams() const
{
    MrpRunParams params;
    params.remember = cbRunParam->isChecked();
    for (const auto& [key, control] : OptionControls()) params.Set(key, control->isChecked());
    params.thresholds = tsException->Thresholds();
    return params;
}

std::uint32_t TMRPForm::OptionMask() const
{
    std::uint32_t mask = 0;
    for (const auto& [key, control] : OptionControls())
        for (const MrpParamKey& option : MrpParamKeys)
            if (option.key == key && control->isEnabled() && control->isChecked()) mask |= option.option;
    return mask;
}

void TMRPForm::SetOptions(const MrpRunParams& params)
{
    for (const auto& [key, control] : OptionControls()) {
        if (!upgraded340 && (control == cbOverSOrder || control == cbOverPOrder)) continue;
        if (control == RadioButton2 && !params.Get(key))
            RadioButton1->setChecked(true);
        else
            control->setChecked(params.Get(key));
    }
    tsException->SetThresholds(params.thresholds);
    // Setting a box from code runs its click rule, also when its state did not change.
    cbOnhandClick();
    cbSaleQtyClick();
    cbPurchaseQtyClick();
}

void TMRPForm::LoadOptions()
{
    MrpRunParams params = MrpRunParams::ReadFile(CurrentHost().SystemIniPath());
    cbRunParam->setChecked(params.remember);
    if (params.remember) SetOptions(params);
}

void TMRPForm::SaveOptions() const
{
    try {
        RunParams().WriteFile(CurrentHost().SystemIniPath());
    } catch (const IniError&) {
        // Remembering the options is a convenience; a settings file that cannot be written never
        // stops a run.
    }
}

void TMRPForm::cbOnhandClick()
{
    const bool onhand = cbOnhand->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{RadioButton1, RadioButton2, chkProductQty})
        control->setEnabled(onhand);
    cbUsedQty->setEnabled(onhand && RadioButton2->isChecked());
}

void TMRPForm::RadioButton1Click()
{
    cbUsedQty->setEnabled(cbOnhand->isChecked() && RadioButton2->isChecked());
}

void TMRPForm::cbSaleQtyClick()
{
    if (upgraded340) cbOverSOrder->setEnabled(cbSaleQty->isChecked());
}

void TMRPForm::cbPurchaseQtyClick()
{
    if (upgraded340) cbOverPOrder->setEnabled(cbPurchaseQty->isChecked());
}

// ---- demand ----------------------------------------------------------------------------------

void TMRPForm::Import(int billtype)
{
    if (!workbench.MakeRoomFor(billtype)) return;
    if (billtype == MrpScheduleBill)
        RunSelection<TSelectPlanForm>([this](DataSet& rows) { workbench.ImportPlanLines(rows); });
    else
        RunSelection<TSelectSOrderForm>([this](DataSet& rows) { workbench.ImportSalesLines(rows); });
    DemandLineChanged();
}

void TMRPForm::btnImportMPClick()
{
    Import(MrpScheduleBill);
}

void TMRPForm::btnImportSOrderClick()
{
    Import(MrpSalesOrderBill);
}

DataSet* TMRPForm::PageRows()
{
    QWidget* page = PageControl1->currentWidget();
    if (page == TabSheet1) return &workbench.cdsMP;
    if (page == TabSheet5) return &workbench.cdsManuSug;
    if (page == TabSheet6) return &workbench.cdsPurSug;
    return nullptr;
}

void TMRPForm::btAllSelectClick()
{
    if (DataSet* rows = PageRows()) SelectAllRows(*rows);
}

void TMRPForm::btNotSelectClick()
{
    if (DataSet* rows = PageRows()) InvertRows(*rows);
}

void TMRPForm::btAllClearClick()
{
    if (DataSet* rows = PageRows()) ClearAllRows(*rows);
}

void TMRPForm::N4Click()
{
    workbench.DeleteCurrentLine();
}

void TMRPForm::N5Click()
{
    workbench.DeleteAllLines();
}

void TMRPForm::ResetTitles()
{
    for (int i = 0; i < QxDBGrid1->ColumnCount(); ++i) {
        DbGridColumn& column = QxDBGrid1->Column(i);
        column.title = workbench.TitleText(column.fieldName, demandLabels[static_cast<std::size_t>(i)]);
        QxDBGrid1->Model().ColumnChanged(i);
    }
}

void TMRPForm::QxDBGrid1TitleClick(int column)
{
    if (column <= 0) return;
    workbench.SortLines(QxDBGrid1->Column(column).fieldName);
    ResetTitles();
}

void TMRPForm::DemandLineChanged()
{
    for (const char* field : {"selected", "goodscode", "finishdate"}) {
        int index = QxDBGrid1->Model().ColumnIndexOf(field);
        QxDBGrid1->SetColumnReadOnly(index, !workbench.CanEdit(field));
    }
    followingLine = true;
    DataSet& lines = workbench.cdsMP;
    dlgcMrpGoods->SetValue(lines.IsEmpty() ? Variant() : lines.FieldByName("goodsid").Value());
    followingLine = false;
}

void TMRPForm::MrpGoodsChanged()
{
    const Variant goods = dlgcMrpGoods->Value();
    if (followingLine || goods.IsNull()) return;
    // A goods chosen on an imported line starts a line of its own; a typed line takes it.
    DataSet& lines = workbench.cdsMP;
    if (lines.IsEmpty() || !workbench.CanEdit("goodscode"))
        lines.Append();
    else
        lines.Edit();
    lines.FieldByName("goodsid").SetValue(goods);
    lines.Post();
    DemandLineChanged();
}

// ---- calculation -----------------------------------------------------------------------------

void TMRPForm::btnCalculateClick()
{
    SaveOptions();
    MrpRunChoice choice;
    choice.options = OptionMask();
    choice.realStock = RadioButton2->isChecked();
    choice.includeUnaudited = cbUnCheck->isChecked();
    choice.netPeriod = NetPeriodChosen();
    choice.lotFlags = (cbMinOrder->isChecked() ? MrpLotMinimum : 0) + (cbIncOrder->isChecked() ? MrpLotIncrement : 0);
    choice.withFunds = LookupSysParam("IsBand") == "1";
    choice.fundsPeriod = FundsPeriodChosen();
    auto dailyExpense = DailyExpense();
    if (!dailyExpense) return;
    choice.dailyExpense = *dailyExpense;
    auto demand = workbench.GatherDemand(LookupSysParam("MultiMRP") == "1");
    if (!demand) return;
    for (LookupCombo* combo : {cmbGoods2, cmbGoods3}) combo->SetValue(Variant());

    // The dialog keeps the window painted while the run blocks it, so the tree must not be shown
    // while the run rebuilds it.
    TreeView1->SetTree(nullptr);
    ProgressDialog progress(kCaption, this);
    workbench.engine.progress = [&progress](std::string_view stage, double fraction) {
        progress.Report(StageCaption(stage), fraction);
    };
    const bool done = workbench.Run(*demand, choice);
    workbench.engine.progress = nullptr;
    progress.reset();
    TreeView1->SetTree(&workbench.goodsTree, "货品");
    tsException->Refresh();
    if (!done) return;
    if (fundsShown) chtBudget->Show(workbench.cdsBudget);
    // The results came in row by row: their columns fit the rows now.
    for (DbGrid* grid : {DBGrid2, DBGrid3, DBGrid4, DBGrid5, ItemGridBudget}) grid->FitColumns();
    PageControl1->setCurrentWidget(TabSheet2);
    ShowInformation("计算完成！");
}

// ---- result pages ----------------------------------------------------------------------------

void TMRPForm::N1Click()
{
    TreeView1->FullExpand();
}

void TMRPForm::N2Click()
{
    TreeView1->collapseAll();
}

void TMRPForm::ShowGoodsFilter(LookupCombo& combo, QLineEdit& name, QLineEdit& specs, DataSet& view)
{
    std::optional<int> goods;
    if (!combo.Value().IsNull()) goods = static_cast<int>(combo.Value().AsInteger());
    name.setText(goods ? Text(LookupData(3, *goods, "name").AsString()) : QString());
    specs.setText(goods ? Text(LookupData(3, *goods, "specs").AsString()) : QString());
    MrpWorkbench::ApplyGoodsFilter(view, goods);
}

void TMRPForm::cmbGoods2OrientationChange()
{
    ShowGoodsFilter(*cmbGoods2, *edtGoodsName2, *edtSpecs2, workbench.cdsGross);
}

void TMRPForm::cmbGoods3OrientationChange()
{
    workbench.cdsNet.DisableControls();
    workbench.RefillNet(NetPeriodChosen());
    ShowGoodsFilter(*cmbGoods3, *edtGoodsName3, *edtSpecs3, workbench.cdsNet);
    workbench.cdsNet.EnableControls();
}

void TMRPForm::rbDayClick()
{
    cmbGoods3OrientationChange();
}

int TMRPForm::NetPeriodChosen() const
{
    return PeriodOf(*rbDay, *rbWeek);
}

int TMRPForm::FundsPeriodChosen() const
{
    return PeriodOf(*rbBudgetDay, *rbBudgetWeek);
}

std::optional<double> TMRPForm::DailyExpense() const
{
    std::string text = edtDailyExpense->text().remove(QChar(0xFFE5)).remove(',').trimmed().toStdString();
    std::string error;
    auto value = TryParseUserNumber(text, "日常费用", NumberRange::NonNegative(), &error);
    if (!value) ShowError(error);
    return value;
}

void TMRPForm::cbMinOrderClick()
{
    cbIncOrder->setEnabled(cbMinOrder->isChecked());
    if (!cbMinOrder->isChecked()) cbIncOrder->setChecked(false);
    const unsigned flags =
        (cbMinOrder->isChecked() ? MrpLotMinimum : 0) + (cbIncOrder->isChecked() ? MrpLotIncrement : 0);
    workbench.RefillPurchase(flags);
}

void TMRPForm::ShowFunds()
{
    auto dailyExpense = DailyExpense();
    if (!dailyExpense) return;
    workbench.RefillFunds(FundsPeriodChosen(), *dailyExpense);
    chtBudget->Show(workbench.cdsBudget);
}

void TMRPForm::rbBudgetDayClick()
{
    if (FundsPeriodChosen() != workbench.fundsPeriod) ShowFunds();
}

void TMRPForm::edtDailyExpenseExit()
{
    // A refused text stays for the user to correct; the funds keep the last accepted expense.
    auto dailyExpense = DailyExpense();
    if (!dailyExpense) return;
    edtDailyExpense->setText(Text("￥" + FormatAmountText(FormatAmount(*dailyExpense))));
    ShowFunds();
}

void TMRPForm::tsBudgetShow()
{
    ShowFunds();
}

void TMRPForm::DBGrid5CellClick(DbGrid& grid, int column)
{
    DataSet* rows = grid.GetDataSet();
    if (!rows || rows->IsEmpty() || column < 0) return;
    const std::string& field = grid.Column(column).fieldName;
    if (EqualsNoCase(field, "SELECTED"))
        MrpWorkbench::ToggleSelected(*rows);
    else if (EqualsNoCase(field, "PURCHASE"))
        TMakePurchaseForm::ReleaseSuggestion(*rows, kPurchaseOrder, this);
    else if (EqualsNoCase(field, "PREQUEST"))
        TMakePurchaseForm::ReleaseSuggestion(*rows, kPurchaseRequest, this);
}

void TMRPForm::btnMakeManuClick()
{
    ReleaseManufactureSuggestions(workbench.engine, workbench.cdsManuSug, kManufactureOrder, this);
}

void TMRPForm::btnMakeConsignClick()
{
    ReleaseManufactureSuggestions(workbench.engine, workbench.cdsManuSug, kOutsourcingOrder, this);
}

void TMRPForm::btnMakePurchaseClick()
{
    ReleasePurchaseSuggestions(workbench.cdsPurSug, kPurchaseOrder, this);
}

void TMRPForm::btnMakePRequestClick()
{
    ReleasePurchaseSuggestions(workbench.cdsPurSug, kPurchaseRequest, this);
}

void TMRPForm::ExportGrid(DbGrid& grid, const std::string& title)
{
    if (!HasExportPrivilege(kMrpPrivilege)) {
        ShowError("对不起,你没有MRP运算导出的权限!");
        return;
    }
    std::vector<ExportColumn> columns;
    for (int i = 0; i < grid.ColumnCount(); ++i) {
        const DbGridColumn& column = grid.Column(i);
        columns.emplace_back(column.fieldName, column.title, column.visible && !grid.isColumnHidden(i));
    }
    const std::filesystem::path file = chooseExportFile(title);
    if (file.empty()) return;
    try {
        OutToExcelFun(*grid.GetDataSet(), title, file, std::move(columns));
    } catch (const std::exception& error) {
        ShowError(error);
    }
}

void TMRPForm::btnNetRequireExcelClick()
{
    ExportGrid(*DBGrid3, "MRP净需求");
}

void TMRPForm::btnMnfExcelClick()
{
    ExportGrid(*DBGrid4, "MRP生产建议");
}

void TMRPForm::btnPurExcelClick()
{
    HiddenColumns hidden(*DBGrid5, {"revdate", "purchase", "prequest"});
    ExportGrid(*DBGrid5, "MRP采购建议");
}

MFG_REGISTER_SCREEN(TMRPForm);

}  // namespace mfg
