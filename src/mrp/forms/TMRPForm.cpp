#include "TMRPForm.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
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
#include "ResultPageControls.h"
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

const ColumnList kDemandColumns{{"billdate", "单据日期"},    {"billcode", "单据编号"},  {"finishdate", "完工日期"},
                                {"goodscode", "货品编号"},   {"goodsname", "货品名称"}, {"specs", "规格"},
                                {"unitname", "单位"},        {"planqty", "计划数量"},   {"finishedqty", "已下达数量"},
                                {"quantity", "本次计算数量"}};
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

TManuRootForm::UnsavedWork TMRPForm::PendingWork()
{
    const DataSet& gross = workbench.cdsGross;
    return gross.Active() && !gross.IsEmpty() ? UnsavedWork::Unsavable : UnsavedWork::None;
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

bool TMRPForm::ShowFunds()
{
    auto dailyExpense = DailyExpense();
    if (!dailyExpense) return false;
    workbench.RefillFunds(FundsPeriodChosen(), *dailyExpense);
    chtBudget->Show(workbench.cdsBudget);
    return true;
}

void TMRPForm::rbBudgetDayClick()
{
    // Refused, the rows stay those of the period shown, and so does the choice of the buttons.
    if (FundsPeriodChosen() != workbench.fundsPeriod && !ShowFunds())
        CheckPeriod(*rbBudgetDay, *rbBudgetWeek, *rbBudgetMonth, workbench.fundsPeriod);
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
