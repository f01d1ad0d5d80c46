#include "TWideCapacityForm.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <initializer_list>

#include "Calculations.h"
#include "CapacityChart.h"
#include "DbGrid.h"
#include "GridExport.h"
#include "LookupCombo.h"
#include "NamedControl.h"
#include "RowSelection.h"
#include "TSelectListForm.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

constexpr const char* kCaption = "粗能力计算";
constexpr const char* kAllShops = "所选车间合计";

std::optional<DateTime> OptionalDate(const DataSet& data, const char* field)
{
    const Field& value = data.FieldByName(field);
    if (value.IsNull()) return std::nullopt;
    return value.AsDateTime();
}

Variant DateOrNull(const std::optional<DateTime>& date)
{
    return date ? Variant(*date) : Variant();
}

//! The product of the dataset's current row.
PlannedGoods RowGoods(const DataSet& data)
{
    auto number = [&](const char* field) { return static_cast<int>(data.FieldByName(field).AsInteger()); };
    PlannedGoods goods;
    goods.selected = number("selected") == 1;
    goods.billId = number("billid");
    goods.itemNo = number("itemno");
    goods.billCode = data.FieldByName("billcode").AsString();
    goods.billDate = OptionalDate(data, "billdate");
    goods.revDate = OptionalDate(data, "revdate");
    goods.startWorkDate = OptionalDate(data, "startworkdate");
    goods.goodsId = number("goodsid");
    goods.goodsCode = data.FieldByName("goodscode").AsString();
    goods.goodsName = data.FieldByName("goodsname").AsString();
    goods.specs = data.FieldByName("specs").AsString();
    goods.unitName = data.FieldByName("unitname").AsString();
    goods.quantity = data.FieldByName("quantity").AsFloat();
    return goods;
}

QPushButton* Button(QWidget* parent, const char* caption, const char* name)
{
    return Named(new QPushButton(caption, parent), name);
}

QWidget* Panel(QWidget* parent, const char* caption, std::initializer_list<QWidget*> tools, QWidget* body)
{
    auto* panel = new QWidget(parent);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(caption, panel));
    top->addStretch();
    for (QWidget* tool : tools) top->addWidget(tool);
    layout->addLayout(top);
    layout->addWidget(body, 1);
    return panel;
}

}  // namespace

TWideCapacityForm::TWideCapacityForm(QWidget* parent) : TManuRootForm("TWideCapacityForm", parent)
{
    setWindowTitle(kCaption);
    SetDefaultSize(1340, 620);
    BuildDataSets();
    btnCalc = Button(this, "计算", "btnCalc");
    btnExcel = Button(this, "导出Excel", "btnExcel");
    btnRefresh = Button(this, "刷新基础资料", "btnRefresh");
    btnExit = Button(this, "退出", "btnExit");
    BuildGrids();

    auto* top = new QHBoxLayout;
    for (QPushButton* button : {btnCalc, btnExcel, btnRefresh, btnExit}) top->addWidget(button);
    top->addStretch();
    auto* inputs = new QSplitter(Qt::Horizontal, this);
    inputs->addWidget(WorkshopPanel());
    inputs->addWidget(GoodsPanel());
    inputs->setStretchFactor(1, 2);
    inputs->setSizes({560, 780});  // every workshop figure in sight beside the products
    auto* panels = new QSplitter(Qt::Vertical, this);
    panels->addWidget(inputs);
    panels->addWidget(ResultPanel());
    panels->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(panels, 1);

    connect(btnCalc, &QPushButton::clicked, this, [this] { btnCalcClick(); });
    connect(btnExcel, &QPushButton::clicked, this, [this] { btnExcelClick(); });
    connect(btnRefresh, &QPushButton::clicked, this, [this] { btnRefreshClick(); });
    connect(btnExit, &QPushButton::clicked, this, [this] { close(); });

    OpenLookupDataSet("qryGoods");
    planner.LoadMasterData();
    ShowWorkshops();
}

TWideCapacityForm::~TWideCapacityForm()
{
    for (DbGrid* grid : {ItemGridWorkShop, ItemGridGoods, ItemGridCapacity}) grid->SetDataSet(nullptr);
}

void TWideCapacityForm::BuildDataSets()
{
    cqWorkShop.AddField("selected", FieldType::Integer);
    cqWorkShop.AddField("workshopid", FieldType::Integer);
    for (const char* name : {"code", "name", "depname"}) cqWorkShop.AddField(name, FieldType::Text);
    for (const char* name : {"machines", "machehours", "workers", "daymanhaur"})
        cqWorkShop.AddField(name, FieldType::Float);
    cqWorkShop.CreateDataSet();

    for (const char* name : {"selected", "billid", "itemno"}) cdsGoods.AddField(name, FieldType::Integer);
    cdsGoods.AddField("billcode", FieldType::Text);
    for (const char* name : {"billdate", "revdate"}) cdsGoods.AddField(name, FieldType::DateTime);
    cdsGoods.AddField("goodsid", FieldType::Integer);
    for (const char* name : {"quantity", "totalusetime"}) cdsGoods.AddField(name, FieldType::Float);
    cdsGoods.AddField("startworkdate", FieldType::DateTime);
    for (const char* name : {"goodscode", "goodsname", "specs", "unitname"}) cdsGoods.AddField(name, FieldType::Text);
    cdsGoods.CreateDataSet();
    cdsGoods.OnFieldChange("goodsid", [this](Field&) { cdsGoodsgoodsidChange(); });
    cdsGoods.OnFieldChange("quantity", [this](Field&) { cdsGoodsquantityChange(); });
    cdsGoods.AfterScroll([this](DataSet&) { ItemGridGoodsSelectCell(); });
    cdsGoods.AfterPost([this](DataSet&) { ItemGridGoodsSelectCell(); });

    for (const auto& column : CapacityPlanner::ToResultSet({}).columns) cdsCapacity.AddField(column.name, column.type);
    cdsCapacity.CreateDataSet();
}

void TWideCapacityForm::BuildGrids()
{
    ItemGridWorkShop = Named(new DbGrid(this), "ItemGridWorkShop");
    ItemGridWorkShop->SetDataSet(&cqWorkShop);
    ItemGridWorkShop->AddColumn("selected", "选择", 40).checkBox = true;
    for (auto [field, title] : {std::pair{"code", "车间编码"},
                                {"name", "名称"},
                                {"depname", "所属部门"},
                                {"machines", "机台数"},
                                {"machehours", "日有效机时"},
                                {"workers", "工人数"},
                                {"daymanhaur", "日有效工时"}})
        ItemGridWorkShop->AddColumn(field, title).readOnly = true;

    ItemGridGoods = Named(new DbGrid(this), "ItemGridGoods");
    cdsGoods.SetNumberRange("quantity", NumberRange::NonNegative());
    ItemGridGoods->SetDataSet(&cdsGoods);
    ItemGridGoods->AddColumn("selected", "选择", 40).checkBox = true;
    for (auto [field, title] : {std::pair{"billdate", "开单日期"},
                                {"billcode", "单号"},
                                {"revdate", "发货日期"},
                                {"startworkdate", "开工日期"},
                                {"goodscode", "货品编码"},
                                {"goodsname", "名称"},
                                {"specs", "规格"},
                                {"unitname", "单位"},
                                {"quantity", "数量"},
                                {"totalusetime", "总工时"}}) {
        auto& column = ItemGridGoods->AddColumn(field, title);
        std::string_view name = field;
        column.readOnly = name != "revdate" && name != "startworkdate" && name != "quantity";
    }
    ItemGridGoods->ColumnByName("quantity").format = NumberFormat::Quantity;
    ItemGridGoods->ColumnByName("totalusetime").format = NumberFormat::Quantity;

    ItemGridCapacity = Named(new DbGrid(this), "ItemGridCapacity");
    ItemGridCapacity->SetDataSet(&cdsCapacity);
    ItemGridCapacity->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (auto [field, title] : {std::pair{"billdate", "日期"},
                                {"plancapacity", "计划产能"},
                                {"usedload", "已占负荷"},
                                {"load", "本次需负荷"},
                                {"factcapacity", "实际产能"},
                                {"overplus", "剩余能力"},
                                {"excess", "超负荷"},
                                {"sugstartdate", "建议开工日期"},
                                {"sugfinisheddate", "建议完工日期"},
                                {"revdate", "原发货日期"}}) {
        auto& column = ItemGridCapacity->AddColumn(field, title);
        column.readOnly = true;
        if (std::string_view(field).find("date") == std::string_view::npos) column.format = NumberFormat::Amount;
    }
    for (DbGrid* grid : {ItemGridWorkShop, ItemGridGoods, ItemGridCapacity}) {
        grid->SetSortOnTitleClick(false);
        // Tab leaves the grid for the next control instead of walking its cells.
        grid->setTabKeyNavigation(false);
    }
}

QWidget* TWideCapacityForm::WorkshopPanel()
{
    btAllSelect = Button(this, "全选", "btAllSelect");
    btNotSelect = Button(this, "反选", "btNotSelect");
    btAllClear = Button(this, "全清", "btAllClear");
    for (auto [button, mode] : {std::pair{btAllSelect, 1}, {btNotSelect, 2}, {btAllClear, 0}})
        connect(button, &QPushButton::clicked, this, [this, mode = mode] { SetAllRows(cqWorkShop, mode); });
    return Panel(this, "生产车间", {btAllSelect, btNotSelect, btAllClear}, ItemGridWorkShop);
}

QWidget* TWideCapacityForm::GoodsPanel()
{
    cmbGoods = Named(new LookupCombo(this), "cmbGoods");
    cmbGoods->SetLookupDataSet(&OpenLookupDataSet("qryGoods"));
    cmbGoods->SetKeyField("GoodsID");
    cmbGoods->SetListField("Code");
    cmbGoods->AddDropDownColumn("Code", "编码");
    cmbGoods->AddDropDownColumn("Name", "名称");
    cmbGoods->AddDropDownColumn("Specs", "规格");
    cmbGoods->SetDropDownFilter("(Kind = 2 and  Closed = 0) or (Kind = 3 and  Closed = 0) ");
    cmbGoods->SetActionButtons({"查找#", "置空"});
    cmbGoods->SetTag(4);
    btnSel = Button(this, "全选", "btnSel");
    btnNot = Button(this, "反选", "btnNot");
    btnClear = Button(this, "全清", "btnClear");
    btnImportSOrder = Button(this, "选择销售订单...", "btnImportSOrder");
    GoodsMenu = Named(new QMenu(this), "GoodsMenu");
    N1 = GoodsMenu->addAction("选择销售订单");
    N1->setObjectName("N1");
    N2 = GoodsMenu->addAction("删除");
    N2->setObjectName("N2");
    ItemGridGoods->setContextMenuPolicy(Qt::CustomContextMenu);
    ItemGridGoods->installEventFilter(this);

    connect(cmbGoods, &LookupCombo::Changed, this, [this] { cmbGoodsChange(); });
    for (auto [button, mode] : {std::pair{btnSel, 1}, {btnNot, 2}, {btnClear, 0}})
        connect(button, &QPushButton::clicked, this, [this, mode = mode] { SetAllRows(cdsGoods, mode); });
    connect(btnImportSOrder, &QPushButton::clicked, this, [this] { btnImportSOrderClick(); });
    connect(N1, &QAction::triggered, this, [this] { btnImportSOrderClick(); });
    connect(N2, &QAction::triggered, this, [this] { N2Click(); });
    connect(ItemGridGoods, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { GoodsMenu->popup(ItemGridGoods->viewport()->mapToGlobal(at)); });
    return Panel(this, "货品", {new QLabel("货品编码:", this), cmbGoods, btnSel, btnNot, btnClear, btnImportSOrder},
                 ItemGridGoods);
}

QWidget* TWideCapacityForm::ResultPanel()
{
    rbDay = Named(new QRadioButton("日", this), "rbDay");
    rbWeek = Named(new QRadioButton("周", this), "rbWeek");
    rbMonth = Named(new QRadioButton("月", this), "rbMonth");
    rbDay->setChecked(true);
    for (QRadioButton* button : {rbDay, rbWeek, rbMonth})
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbDayClick();
        });
    cmbChartShop = Named(new QComboBox(this), "cmbChartShop");
    cmbChartShop->setMinimumWidth(120);
    connect(cmbChartShop, &QComboBox::currentIndexChanged, this, [this] { cmbChartShopChange(); });
    chtCapacity = Named(new CapacityChart(this), "chtCapacity");
    chtCapacity->setMinimumWidth(360);

    auto* result = new QSplitter(Qt::Horizontal, this);
    result->addWidget(ItemGridCapacity);
    result->addWidget(chtCapacity);
    result->setStretchFactor(0, 3);
    result->setStretchFactor(1, 2);
    return Panel(this, "能力计算",
                 {new QLabel("工作历:", this), rbDay, rbWeek, rbMonth, new QLabel("负荷图:", this), cmbChartShop},
                 result);
}

void TWideCapacityForm::ShowWorkshops()
{
    cqWorkShop.EmptyDataSet();
    for (const Workshop& shop : planner.Workshops())
        cqWorkShop.AppendRecord({shop.selected ? 1 : 0, shop.workshopId, shop.code, shop.name, shop.depName,
                                 shop.machines, shop.macheHours, shop.workers, shop.dayManHaur});
    if (!cqWorkShop.IsEmpty()) cqWorkShop.First();
    ItemGridWorkShop->SetColumnReadOnly(0, cqWorkShop.IsEmpty());
}

std::vector<PlannedGoods> TWideCapacityForm::Products()
{
    std::vector<PlannedGoods> products;
    if (cdsGoods.IsEmpty()) return products;
    showing = true;
    int recNo = cdsGoods.RecNo();
    for (cdsGoods.First(); !cdsGoods.Eof(); cdsGoods.Next()) products.push_back(RowGoods(cdsGoods));
    cdsGoods.SetRecNo(recNo);
    showing = false;
    return products;
}

void TWideCapacityForm::btnCalcClick()
{
    cdsCapacity.EmptyDataSet();
    chtCapacity->Clear();
    for (QPushButton* button : {btnExcel, btnRefresh, btnExit}) button->setEnabled(false);
    try {
        auto& shops = planner.Workshops();
        for (int row = 0; row < cqWorkShop.RecordCount() && row < static_cast<int>(shops.size()); ++row)
            shops[static_cast<size_t>(row)].selected =
                cqWorkShop.ValueAt(row, cqWorkShop.FieldByName("selected").Index()).AsInteger() == 1;
        auto products = Products();
        if (auto issue = planner.Calculate(products))
            ShowIssue(*issue);
        else {
            calculated = std::move(products);
            ShowResult();
        }
    } catch (const std::exception& error) {
        ShowError(error);
    }
    for (QPushButton* button : {btnExcel, btnRefresh, btnExit}) button->setEnabled(true);
}

void TWideCapacityForm::ShowIssue(const CapacityIssue& issue)
{
    if (issue.error)
        ShowError(issue.message);
    else
        ShowInformation(issue.message);
    if (issue.focusWorkshops) ItemGridWorkShop->setFocus();
    if (issue.row < 0) return;
    cdsGoods.SetRecNo(issue.row + 1);
    int column = ItemGridGoods->Model().ColumnIndexOf(issue.field);
    if (column >= 0) ItemGridGoods->SetCurrentColumn(column);
    ItemGridGoods->setFocus();
}

CapacityPeriod TWideCapacityForm::Period() const
{
    if (rbWeek->isChecked()) return CapacityPeriod::Week;
    if (rbMonth->isChecked()) return CapacityPeriod::Month;
    return CapacityPeriod::Day;
}

void TWideCapacityForm::ShowResult()
{
    cdsCapacity.EmptyDataSet();
    for (auto& row : CapacityPlanner::ToResultSet(planner.Result(Period())).rows) cdsCapacity.AppendRecord(row);
    if (!cdsCapacity.IsEmpty()) cdsCapacity.First();
    // The chart offers the selected workshops together and each of them alone.
    int chosen = cmbChartShop->currentData().isValid() ? cmbChartShop->currentData().toInt() : -1;
    cmbChartShop->blockSignals(true);
    cmbChartShop->clear();
    cmbChartShop->addItem(kAllShops, -1);
    const auto& shops = planner.Workshops();
    for (size_t i = 0; i < shops.size(); ++i)
        if (shops[i].selected) cmbChartShop->addItem(QString::fromStdString(shops[i].name), static_cast<int>(i));
    cmbChartShop->setCurrentIndex(std::max(0, cmbChartShop->findData(chosen)));
    cmbChartShop->blockSignals(false);
    cmbChartShopChange();
}

void TWideCapacityForm::rbDayClick()
{
    if (planner.DayRecords().empty()) return;
    ShowResult();
}

void TWideCapacityForm::cmbChartShopChange()
{
    if (planner.DayRecords().empty()) {
        chtCapacity->Clear();
        return;
    }
    int index = cmbChartShop->currentData().isValid() ? cmbChartShop->currentData().toInt() : -1;
    if (index < 0) {
        chtCapacity->SetRows(planner.Result(Period()), Period(), kAllShops);
        return;
    }
    // One workshop alone against the same products: how its own hours would carry the plan.
    auto shops = planner.Workshops();
    for (size_t i = 0; i < shops.size(); ++i) shops[i].selected = static_cast<int>(i) == index;
    CapacityPlanner alone;
    alone.SetMasterData(shops, planner.BomTimes(), planner.GetWorkDays());
    QString name = QString::fromStdString(shops[static_cast<size_t>(index)].name);
    if (auto issue = alone.Calculate(calculated))
        chtCapacity->Clear(name + ": " + QString::fromStdString(issue->message));
    else
        chtCapacity->SetRows(alone.Result(Period()), Period(), name);
}

void TWideCapacityForm::btnRefreshClick()
{
    planner.LoadMasterData();
    ShowWorkshops();
}

void TWideCapacityForm::btnImportSOrderClick()
{
    TSelectSOrderForm dialog;
    dialog.chkShopID->setChecked(true);
    dialog.chkShopIDClick();
    if (dialog.ShowModal() != mrOk) return;
    DataSet& lines = dialog.cdsList();
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (lines.FieldByName("selected").AsInteger() != 1) continue;
        Variant billId = lines.FieldByName("billid").Value(), itemNo = lines.FieldByName("itemno").Value();
        if (!cdsGoods.Lookup("billid;itemno", {billId, itemNo}, "billid").IsNull()) continue;
        cdsGoods.Append();
        for (const char* field :
             {"billid", "itemno", "billdate", "revdate", "billcode", "goodscode", "goodsname", "specs", "unitname"})
            cdsGoods.FieldByName(field).SetValue(lines.FieldByName(field).Value());
        cdsGoods.FieldByName("quantity").SetValue(lines.FieldByName("canuseqty").Value());
        cdsGoods.FieldByName("goodsid").SetValue(lines.FieldByName("goodsid").Value());
        cdsGoods.Post();
    }
}

void TWideCapacityForm::N2Click()
{
    if (!cdsGoods.IsEmpty()) cdsGoods.Delete();
}

void TWideCapacityForm::btnExcelClick()
{
    OutToExcelFun(*ItemGridCapacity, kCaption);
}

void TWideCapacityForm::AppendGoodsRow()
{
    showing = true;
    cdsGoods.Append();
    cdsGoods.FieldByName("selected").SetValue(0);
    cdsGoods.FieldByName("quantity").SetValue(0.0);
    cdsGoods.FieldByName("totalusetime").SetValue(0.0);
    cdsGoods.Post();
    showing = false;
    ItemGridGoodsSelectCell();
}

void TWideCapacityForm::cmbGoodsChange()
{
    if (showing) return;
    if (cdsGoods.IsEmpty()) AppendGoodsRow();
    if (!cdsGoods.FieldByName("billcode").AsString().empty()) return;
    cdsGoods.Edit();
    cdsGoods.FieldByName("goodsid").SetValue(cmbGoods->Value());
    cdsGoods.Post();
}

void TWideCapacityForm::cdsGoodsgoodsidChange()
{
    if (showing) return;
    Variant goods = cdsGoods.FieldByName("goodsid").Value();
    bool chosen = !goods.IsNull() && goods.AsInteger() != 0;
    cdsGoods.FieldByName("startworkdate").SetValue(Today());
    cdsGoods.FieldByName("selected").SetValue(chosen ? 1 : 0);
    auto text = [&](std::string_view field) { return chosen ? LookupData(3, goods, field) : Variant(); };
    cdsGoods.FieldByName("goodscode").SetValue(text("Code"));
    cdsGoods.FieldByName("goodsname").SetValue(text("Name"));
    cdsGoods.FieldByName("specs").SetValue(text("Specs"));
    cdsGoods.FieldByName("unitname")
        .SetValue(chosen ? LookupDataEx(40, "UnitID", LookupData(3, goods, "UnitID"), "UnitName") : Variant());
    TotalUseTime(true);
}

void TWideCapacityForm::cdsGoodsquantityChange()
{
    if (!showing) TotalUseTime(false);
}

void TWideCapacityForm::TotalUseTime(bool tell)
{
    Field& total = cdsGoods.FieldByName("totalusetime");
    total.SetValue(0.0);
    PlannedGoods goods = RowGoods(cdsGoods);
    if (goods.goodsId == 0) return;
    if (auto hours = planner.TotalUseTime(goods))
        total.SetValue(*hours);
    else if (tell)
        ShowInformation(CapacityPlanner::NoBomMessage(goods.goodsName));
}

void TWideCapacityForm::ItemGridGoodsSelectCell()
{
    if (showing || cdsGoods.IsEmpty()) return;
    bool fromOrder = !cdsGoods.FieldByName("billcode").AsString().empty();
    Variant goods = cdsGoods.FieldByName("goodsid").Value();
    bool chosen = !goods.IsNull() && goods.AsInteger() != 0;
    auto& model = ItemGridGoods->Model();
    ItemGridGoods->SetColumnReadOnly(model.ColumnIndexOf("revdate"), fromOrder);
    ItemGridGoods->SetColumnReadOnly(model.ColumnIndexOf("selected"), !chosen);
    cmbGoods->setEnabled(!fromOrder);
    showing = true;
    cmbGoods->SetValue(chosen ? goods : Variant());
    showing = false;
}

bool TWideCapacityForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ItemGridGoods && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool lastRow = cdsGoods.IsEmpty() || cdsGoods.RecNo() == cdsGoods.RecordCount();
        if (key->key() == Qt::Key_Insert || (key->key() == Qt::Key_Down && lastRow)) {
            AppendGoodsRow();
            return true;
        }
    }
    return TManuRootForm::eventFilter(watched, event);
}

bool TWideCapacityForm::FormClose()
{
    for (DbGrid* grid : {ItemGridWorkShop, ItemGridGoods, ItemGridCapacity}) grid->SetDataSet(nullptr);
    for (DataSet* data : {&cqWorkShop, &cdsGoods, &cdsCapacity}) data->Close();
    return true;
}

MFG_REGISTER_SCREEN(TWideCapacityForm);

}  // namespace mfg
