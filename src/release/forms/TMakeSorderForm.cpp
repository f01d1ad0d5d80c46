#include "TMakeSorderForm.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <fmt/format.h>

#include "DbGrid.h"
#include "MrpEngine.h"
#include "ReleaseControls.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {

TMakeSorderForm::TMakeSorderForm(int kind, const MrpEngine& engine, DataSet& cdsManuSug, QWidget* parent)
    : TManuRootForm("TMakeSorderForm", parent), release(kind)
{
    setWindowTitle(QString::fromUtf8(release.Kind().caption.data(), static_cast<int>(release.Kind().caption.size())));
    SetDefaultSize(1100, 500);
    for (auto cache : {"qryWorkShop", "qryEmploy", "qryTrader"}) OpenLookupDataSet(cache);
    const int shop = CurrentHost().ShopID();
    cmbWorkShop = NewLookupCombo(this, "cmbWorkShop", FindLookupDataSource("dsWorkShop"), "WorkShopID", "Name");
    cmbEmpName = NewLookupCombo(this, "cmbEmpName", FindLookupDataSource("dsEmploy"), "EmpID", "Name");
    cmbEmpName->SetDropDownFilter("Closed = 0 and ShopID = " + std::to_string(shop));
    cmbTrade = NewLookupCombo(this, "cmbTrade", FindLookupDataSource("dsTrader"), "TraderID", "Name");
    cmbTrade->SetDropDownFilter(
        fmt::format("(IsVendor = 1  and Closed = 0 and TraderID > 0 and ShopID = {0}) or (acctrader "
                    "= 1 and Closed = 0 and TraderID > 0 and ShopID = {0})",
                    shop));
    for (LookupCombo* combo : {cmbWorkShop, cmbEmpName, cmbTrade}) {
        combo->AddDropDownColumn("Code", "编号", 70);
        combo->AddDropDownColumn("Name", "名称", 160);
    }
    ItemGrid = Named(new DbGrid(this), "ItemGrid");
    btOK = Named(new QPushButton("确定执行", this), "btOK");
    btCancel = Named(new QPushButton("取消执行", this), "btCancel");
    btnSplit = Named(new QPushButton("拆分计划单", this), "btnSplit");
    pmManuOrder = Named(new QMenu(this), "pmManuOrder");
    mnuSplit = Named(pmManuOrder->addAction("拆分计划单"), "mnuSplit");
    mnuDelete = Named(pmManuOrder->addAction("删除"), "mnuDelete");
    ItemGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ItemGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pmManuOrderPopup();
        pmManuOrder->popup(ItemGrid->viewport()->mapToGlobal(at));
    });

    const bool outsourcing = release.Kind().IsOutsourcing();
    auto* choosers = new QHBoxLayout;
    auto add = [&](const char* caption, LookupCombo* combo, bool shown) {
        auto* label = new QLabel(caption, this);
        label->setVisible(shown);
        combo->setVisible(shown);
        choosers->addWidget(label);
        choosers->addWidget(combo, 1);
    };
    add("生产车间", cmbWorkShop, !outsourcing);
    add("生产工人", cmbEmpName, !outsourcing);
    add("加工单位", cmbTrade, outsourcing);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSplit);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choosers);
    layout->addWidget(ItemGrid);
    layout->addLayout(buttons);

    DefineRows();
    engine.BuildManufactureRelease(cdsManu, cdsManuSug);
    cdsManu.SetIndexFieldNames("goodsid");
    cdsManu.First();

    cdsManu.SetNumberRange("manuqty", NumberRange::NonNegative());
    ItemGrid->SetDataSet(&cdsManu);
    struct Column {
        const char* field;
        const char* title;
        int width;
        bool editable;
    };
    for (const Column& column : {Column{"goodscode", "货品编号", 80, false},
                                 {"goodsname", "货品名称", 110, false},
                                 {"specs", "规格", 100, false},
                                 {"unitname", "单位", 40, false},
                                 {"fixqty", "修正数量", 70, false},
                                 {"billtype", "单据类型", 80, false},
                                 {"billdate", "开单日期", 85, false},
                                 {"billcode", "单据号", 120, false},
                                 {"finishdate", "完工交货日期", 90, false},
                                 {"quantity", "订单数量", 70, false},
                                 {"releasedqty", "已下达数量", 75, false},
                                 {"manuqty", "本次下达", 70, true},
                                 {"workname", "生产车间", 90, false},
                                 {"empname", "生产工人", 80, false},
                                 {"tradername", "加工单位", 150, false},
                                 {"startdate", "开工日期", 85, true},
                                 {"manufinishdate", "完工日期", 85, true}}) {
        auto& added = ItemGrid->AddColumn(column.field, column.title, column.width);
        added.readOnly = !column.editable;
    }
    for (int column = 0; column < ItemGrid->ColumnCount(); ++column) {
        const std::string& field = ItemGrid->Column(column).fieldName;
        if (field == (outsourcing ? "workname" : "tradername") || (outsourcing && field == "empname"))
            ItemGrid->SetColumnVisible(column, false);
    }
    ItemGrid->SetFrozenColumns(5);

    cdsManu.AfterScroll([this](DataSet&) { ShowRow(); });
    connect(cmbWorkShop, &LookupCombo::Changed, this, [this] { ComboChanged(*cmbWorkShop, "workid"); });
    connect(cmbEmpName, &LookupCombo::Changed, this, [this] { ComboChanged(*cmbEmpName, "empid"); });
    connect(cmbTrade, &LookupCombo::Changed, this, [this] { ComboChanged(*cmbTrade, "traderid"); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    connect(btnSplit, &QPushButton::clicked, this, [this] { btnSplitClick(); });
    connect(mnuSplit, &QAction::triggered, this, [this] { btnSplitClick(); });
    connect(mnuDelete, &QAction::triggered, this, [this] { mnuDeleteClick(); });
    ShowRow();
}

TMakeSorderForm::~TMakeSorderForm()
{
    ItemGrid->SetDataSet(nullptr);
}

void TMakeSorderForm::DefineRows()
{
    for (auto name : {"goodsid", "empid", "workid", "traderid", "billid", "itemno"})
        cdsManu.AddField(name, FieldType::Integer);
    for (auto name :
         {"goodscode", "goodsname", "specs", "unitname", "billtype", "billcode", "workname", "empname", "tradername"})
        cdsManu.AddField(name, FieldType::Text);
    for (auto name : {"fixqty", "releasedqty", "manuqty", "quantity"}) cdsManu.AddField(name, FieldType::Float);
    for (auto name : {"billdate", "finishdate", "startdate", "manufinishdate"})
        cdsManu.AddField(name, FieldType::DateTime);
    cdsManu.CreateDataSet();
    cdsManu.OnFieldChange("workid", [](Field& field) {
        field.Owner().FieldByName("workname").SetValue(LookupData(28, field.Value(), "name"));
    });
    cdsManu.OnFieldChange("empid", [](Field& field) {
        field.Owner().FieldByName("empname").SetValue(LookupData(18, field.Value(), "name"));
    });
    cdsManu.OnFieldChange("traderid", [](Field& field) {
        field.Owner().FieldByName("tradername").SetValue(LookupData(19, field.Value(), "name"));
    });
}

bool TMakeSorderForm::OnReleaseRow() const
{
    return !cdsManu.IsEmpty() && cdsManu.FieldByName("goodscode").AsString().empty();
}

void TMakeSorderForm::cdsManutraderidChange()
{
    if (OnReleaseRow()) return;
    // A processor chosen for the goods serves every demand of it.
    const Variant goodsid = cdsManu.FieldByName("goodsid").Value();
    const Variant trader = cdsManu.FieldByName("traderid").Value();
    const Bookmark here = cdsManu.GetBookmark();
    for (cdsManu.First(); !cdsManu.Eof(); cdsManu.Next()) {
        if (cdsManu.FieldByName("goodsid").Value() != goodsid || !OnReleaseRow()) continue;
        cdsManu.Edit();
        cdsManu.FieldByName("traderid").SetValue(trader);
        cdsManu.Post();
    }
    cdsManu.GotoBookmark(here);
}

void TMakeSorderForm::ShowRow()
{
    const QSignalBlocker work(cmbWorkShop), emp(cmbEmpName), trade(cmbTrade);
    const bool any = !cdsManu.IsEmpty();
    cmbWorkShop->SetValue(any ? cdsManu.FieldByName("workid").Value() : Variant());
    cmbEmpName->SetValue(any ? cdsManu.FieldByName("empid").Value() : Variant());
    cmbTrade->SetValue(any ? cdsManu.FieldByName("traderid").Value() : Variant());
}

void TMakeSorderForm::ComboChanged(LookupCombo& combo, const char* field)
{
    if (cdsManu.IsEmpty()) return;
    cdsManu.Edit();
    cdsManu.FieldByName(field).SetValue(combo.Value());
    cdsManu.Post();
    if (std::string_view(field) == "traderid") cdsManutraderidChange();
}

void TMakeSorderForm::btnSplitClick()
{
    if (!OnReleaseRow()) {
        ShowInformation("请选择要拆分的明细！");
        return;
    }
    std::vector<std::pair<std::string, Variant>> copied;
    for (auto name : {"goodsid", "releasedqty", "billid", "billtype", "billcode", "billdate", "itemno", "startdate",
                      "manufinishdate", "finishdate", "quantity", "empid", "empname", "workid", "workname"})
        copied.emplace_back(name, cdsManu.FieldByName(name).Value());
    cdsManu.Append();
    for (const auto& [name, value] : copied) cdsManu.FieldByName(name).SetValue(value);
    cdsManu.Post();
}

void TMakeSorderForm::mnuDeleteClick()
{
    if (OnReleaseRow()) cdsManu.Delete();
}

void TMakeSorderForm::pmManuOrderPopup()
{
    const bool releaseRow = OnReleaseRow();
    mnuSplit->setEnabled(releaseRow);
    mnuDelete->setEnabled(releaseRow);
}

void TMakeSorderForm::btOKClick()
{
    if (auto problem = release.Check(cdsManu)) {
        ShowInformation(problem->message);
        for (int column = 0; column < ItemGrid->ColumnCount(); ++column) {
            const std::string& field = ItemGrid->Column(column).fieldName;
            const std::string shown = problem->field == "workid"     ? "workname"
                                      : problem->field == "traderid" ? "tradername"
                                                                     : problem->field;
            if (field == shown) ItemGrid->SetCurrentColumn(column);
        }
        ItemGrid->setFocus();
        return;
    }
    SetModalResult(mrOk);
}

}  // namespace mfg
