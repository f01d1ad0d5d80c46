#include "MrpWorkbench.h"

#include <initializer_list>
#include <utility>

#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/Users.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

using Columns = std::initializer_list<std::pair<const char*, FieldType>>;

constexpr FieldType Int = FieldType::Integer;
constexpr FieldType Num = FieldType::Float;
constexpr FieldType Str = FieldType::Text;
constexpr FieldType Day = FieldType::DateTime;

constexpr Columns GoodsColumns{
    {"goodsid", Int}, {"goodscode", Str}, {"goodsname", Str}, {"specs", Str}, {"unitname", Str}};

void Create(DataSet& data, std::initializer_list<Columns> groups)
{
    for (const Columns& group : groups)
        for (const auto& [name, type] : group) data.AddField(name, type);
    data.CreateDataSet();
}

//! The goods texts of a row follow its goods id, from the host's goods and unit caches.
void FillGoodsTexts(Field& goodsid)
{
    DataSet& row = goodsid.Owner();
    auto set = [&row](const char* name, const Variant& value) {
        if (Field* field = row.FindField(name)) field->SetValue(value);
    };
    const Variant id = goodsid.Value();
    set("goodscode", LookupData(3, id, "code"));
    set("goodsname", LookupData(3, id, "name"));
    set("specs", LookupData(3, id, "specs"));
    set("unitname", LookupDataEx(40, "UnitID", LookupData(3, id, "UnitID"), "UnitName"));
}

const char* BillKindName(int billtype)
{
    return billtype == MrpSalesOrderBill ? "销售订单" : "主生产计划单";
}

//! Copies the listed fields of the dialog's current row into the same fields of the demand line.
void CopyFields(DataSet& from, DataSet& to, std::initializer_list<const char*> names)
{
    for (const char* name : names) to.FieldByName(name).SetValue(from.FieldByName(name).Value());
}

std::int32_t Id(const DataSet& data, const char* field)
{
    return static_cast<std::int32_t>(data.FieldByName(field).AsInteger());
}

//! The dataset's views held back for a pass over its rows.
class ControlsHeld {
public:
    explicit ControlsHeld(std::initializer_list<DataSet*> held) : sets(held)
    {
        for (DataSet* data : sets) data->DisableControls();
    }
    ~ControlsHeld()
    {
        for (DataSet* data : sets) data->EnableControls();
    }
    ControlsHeld(const ControlsHeld&) = delete;
    ControlsHeld& operator=(const ControlsHeld&) = delete;

private:
    std::vector<DataSet*> sets;
};

//! A suggestion list's own rules: a correction reprices its row, goods texts follow the goods.
void KeepSuggestionRules(DataSet& suggestions)
{
    suggestions.SetNumberRange("fixqty", NumberRange::NonNegative());
    suggestions.OnFieldChange("goodsid", [](Field& goodsid) { FillGoodsTexts(goodsid); });
    suggestions.OnFieldChange("fixqty", [](Field& fixqty) {
        DataSet& row = fixqty.Owner();
        row.FieldByName("amount").SetValue(fixqty.AsFloat() * row.FieldByName("price").AsFloat());
    });
}

}  // namespace

void CreateManufactureSuggestions(DataSet& cdsManuSug)
{
    Create(cdsManuSug, {{{"selected", Int}},
                        GoodsColumns,
                        {{"sugqty", Num},
                         {"fixqty", Num},
                         {"released", Str},
                         {"releasedqty", Num},
                         {"price", Num},
                         {"amount", Num},
                         {"startdate", Day},
                         {"finisheddate", Day},
                         {"manufacture", Str},
                         {"consign", Str}}});
    cdsManuSug.OnNewRecord([](DataSet& row) { row.FieldByName("selected").SetValue(1); });
    KeepSuggestionRules(cdsManuSug);
}

void CreatePurchaseSuggestions(DataSet& cdsPurSug)
{
    Create(cdsPurSug, {{{"selected", Int}},
                       GoodsColumns,
                       {{"netqty", Num},
                        {"minOrderQty", Num},
                        {"incOrderQty", Num},
                        {"sugqty", Num},
                        {"fixqty", Num},
                        {"released", Str},
                        {"releasedqty", Num},
                        {"price", Num},
                        {"amount", Num},
                        {"orderdate", Day},
                        {"revdate", Day},
                        {"purchase", Str},
                        {"prequest", Str}}});
    cdsPurSug.OnNewRecord([](DataSet& row) {
        row.FieldByName("selected").SetValue(1);
        row.FieldByName("purchase").SetValue(std::string("<单击下达>"));
        row.FieldByName("prequest").SetValue(std::string("<单击下达>"));
    });
    KeepSuggestionRules(cdsPurSug);
}

MrpWorkbench::MrpWorkbench()
{
    Create(cdsMP, {{{"selected", Int},
                    {"billid", Int},
                    {"billtype", Int},
                    {"itemno", Int},
                    {"billdate", Day},
                    {"billcode", Str},
                    {"finishdate", Day}},
                   GoodsColumns,
                   {{"planqty", Num}, {"finishedqty", Num}, {"quantity", Num}, {"referbillid", Int}, {"shopid", Int}}});
    cdsMP.SetNumberRange("quantity", NumberRange::NonNegative());
    cdsMP.OnNewRecord([](DataSet& data) {
        data.FieldByName("selected").SetValue(1);
        data.FieldByName("quantity").SetValue(0.0);
    });
    Create(cdsGross, {{{"class", Int}}, GoodsColumns, {{"quantity", Num}}});
    Create(cdsNet, {{{"class", Int}},
                    GoodsColumns,
                    {{"needdate", Day},
                     {"gross", Num},
                     {"onhand", Num},
                     {"safeqty", Num},
                     {"wasteqty", Num},
                     {"usedqty", Num},
                     {"saleqty", Num},
                     {"oversaleqty", Num},
                     {"prequestqty", Num},
                     {"purchaseqty", Num},
                     {"overpurchaseqty", Num},
                     {"requestqty", Num},
                     {"distributeqty", Num},
                     {"manufactureqty", Num},
                     {"manuorderqty", Num},
                     {"subqty", Num},
                     {"netqty", Num}}});
    CreateManufactureSuggestions(cdsManuSug);
    CreatePurchaseSuggestions(cdsPurSug);
    Create(cdsBudget, {{{"Date", Day},
                        {"Stock", Num},
                        {"CalcCharge", Num},
                        {"CalcPay", Num},
                        {"MrpPurSug", Num},
                        {"DailyExpense", Num},
                        {"Laborage", Num},
                        {"Onhand", Num},
                        {"StoreLower", Num},
                        {"Hardup", Num}}});
    Create(cdsGoods, {{{"goodsid", Int}, {"goodscode", Str}, {"goodsname", Str}, {"specs", Str}}});

    for (DataSet* data : {&cdsMP, &cdsGross, &cdsGoods})
        data->OnFieldChange("goodsid", [](Field& goodsid) { FillGoodsTexts(goodsid); });
    // A code typed on a line names its goods.
    cdsMP.OnFieldChange("goodscode", [](Field& goodscode) {
        Field& goodsid = goodscode.Owner().FieldByName("goodsid");
        const Variant id = LookupDataEx(3, "code", goodscode.Value(), "goodsid");
        if (!id.IsNull() && (goodsid.IsNull() || goodsid.AsInteger() != id.AsInteger())) goodsid.SetValue(id);
    });
    // Period rows of the net table carry only dates and quantities under their goods' header row.
    cdsNet.OnFieldChange("goodsid", [](Field& goodsid) {
        if (!goodsid.Owner().FieldByName("class").IsNull()) FillGoodsTexts(goodsid);
    });
}

bool MrpWorkbench::HasLineOf(int billtype, std::int32_t billid, std::int32_t itemno) const
{
    for (int row = 0; row < cdsMP.RecordCount(); ++row) {
        auto value = [&](const char* field) {
            return cdsMP.ValueAt(row, cdsMP.FieldByName(field).Index()).AsInteger();
        };
        if (value("billtype") == billtype && value("billid") == billid && value("itemno") == itemno) return true;
    }
    return false;
}

bool MrpWorkbench::MakeRoomFor(int importing)
{
    const int other = importing == MrpScheduleBill ? MrpSalesOrderBill : MrpScheduleBill;
    const int billtype = cdsMP.FieldByName("billtype").Index();
    bool present = false;
    for (int row = 0; row < cdsMP.RecordCount() && !present; ++row)
        present = cdsMP.ValueAt(row, billtype).AsInteger() == other && !cdsMP.ValueAt(row, billtype).IsNull();
    if (!present) return true;
    const std::string question =
        std::string("已有 ") + BillKindName(other) + ",是否清除再读取 " + BillKindName(importing);
    if (ShowYesNoQuestion(question) != AnswerYes) return false;
    ControlsHeld held{&cdsMP};
    for (cdsMP.First(); !cdsMP.Eof();) {
        if (!cdsMP.FieldByName("billtype").IsNull() && cdsMP.FieldByName("billtype").AsInteger() == other)
            cdsMP.Delete();
        else
            cdsMP.Next();
    }
    return true;
}

void MrpWorkbench::ImportPlanLines(DataSet& cdsList)
{
    ControlsHeld held{&cdsMP, &cdsList};
    for (cdsList.First(); !cdsList.Eof(); cdsList.Next()) {
        if (cdsList.FieldByName("selected").AsInteger() != 1) continue;
        if (HasLineOf(MrpScheduleBill, Id(cdsList, "billid"), 0)) continue;
        cdsMP.Append();
        cdsMP.FieldByName("billtype").SetValue(MrpScheduleBill);
        cdsMP.FieldByName("itemno").SetValue(0);
        CopyFields(cdsList, cdsMP,
                   {"billid", "billdate", "billcode", "finishdate", "goodsid", "goodscode", "goodsname", "specs",
                    "unitname", "quantity", "referbillid"});
        cdsMP.FieldByName("planqty").SetValue(cdsList.FieldByName("quantity").Value());
        cdsMP.FieldByName("finishedqty").SetValue(cdsList.FieldByName("releasedqty").Value());
        cdsMP.Post();
    }
}

void MrpWorkbench::ImportSalesLines(DataSet& cdsList)
{
    ControlsHeld held{&cdsMP, &cdsList};
    for (cdsList.First(); !cdsList.Eof(); cdsList.Next()) {
        if (cdsList.FieldByName("selected").AsInteger() != 1) continue;
        if (HasLineOf(MrpSalesOrderBill, Id(cdsList, "billid"), Id(cdsList, "itemno"))) continue;
        cdsMP.Append();
        cdsMP.FieldByName("billtype").SetValue(MrpSalesOrderBill);
        CopyFields(cdsList, cdsMP,
                   {"billid", "shopid", "itemno", "billdate", "billcode", "goodsid", "goodscode", "goodsname", "specs",
                    "unitname", "quantity"});
        cdsMP.FieldByName("finishdate").SetValue(cdsList.FieldByName("revdate").Value());
        cdsMP.FieldByName("planqty").SetValue(cdsList.FieldByName("quantity").Value());
        cdsMP.FieldByName("finishedqty").SetValue(cdsList.FieldByName("refunitqty").Value());
        cdsMP.Post();
    }
}

void MrpWorkbench::DeleteCurrentLine()
{
    if (!cdsMP.IsEmpty()) cdsMP.Delete();
}

void MrpWorkbench::DeleteAllLines()
{
    ControlsHeld held{&cdsMP};
    while (!cdsMP.IsEmpty()) {
        cdsMP.First();
        cdsMP.Delete();
    }
}

void MrpWorkbench::SortLines(std::string_view fieldName)
{
    sortDescending = EqualsNoCase(sortField, fieldName) && !sortDescending;
    sortField = fieldName;
    cdsMP.SetIndexFieldNames(sortField + (sortDescending ? ":D" : ""));
}

std::string MrpWorkbench::TitleText(std::string_view fieldName, std::string_view label) const
{
    std::string text(label);
    if (!sortField.empty() && EqualsNoCase(sortField, fieldName)) text += sortDescending ? "  ▼" : "  ▲";
    return text;
}

bool MrpWorkbench::CanEdit(std::string_view fieldName) const
{
    const bool line = !cdsMP.IsEmpty();
    if (EqualsNoCase(fieldName, "quantity")) return true;
    if (EqualsNoCase(fieldName, "goodscode")) return !line || cdsMP.FieldByName("billid").IsNull();
    if (EqualsNoCase(fieldName, "finishdate")) return !line || cdsMP.FieldByName("billcode").AsString().empty();
    if (EqualsNoCase(fieldName, "selected")) return !line || !cdsMP.FieldByName("goodsid").IsNull();
    return false;
}

bool MrpWorkbench::PlanLineOf(MrpDemand& demand)
{
    const std::string name = cdsMP.FieldByName("goodsname").AsString();
    const Variant goodsid = cdsMP.FieldByName("goodsid").Value();
    if (GetValueOfSql(
            "select count(*) from l_goodsbom where State = 1 and  goodsid=" + std::to_string(goodsid.AsInteger()), 0)
            .AsInteger() == 0) {
        const std::string question =
            "选择运算的货品 " + cdsMP.FieldByName("goodscode").AsString() + " <" + name +
            "> 没有定义物料清单或者物料清单没有审核，会导致无法计算此货品的物料需求。是否继续？";
        return ShowYesNoQuestion(question) == AnswerYes;
    }
    if (cdsMP.FieldByName("finishdate").IsNull()) {
        ShowInformation("货品名称为'" + name + "'的货品完工日期为空!");
        return true;
    }
    if (cdsMP.FieldByName("quantity").AsFloat() < 0) {
        ShowInformation("货品名称为'" + name + "'的货品计算数量小于零!");
        return true;
    }
    MrpLine line;
    line.goodsid = static_cast<std::int32_t>(goodsid.AsInteger());
    line.date = cdsMP.FieldByName("finishdate").AsDateTime().Date();
    line.quantity = cdsMP.FieldByName("quantity").AsFloat();
    line.billtype = Id(cdsMP, "billtype");
    line.billid = Id(cdsMP, "billid");
    line.itemno = Id(cdsMP, "itemno");
    line.billcode = cdsMP.FieldByName("billcode").AsString();
    line.billdate = cdsMP.FieldByName("billdate").AsDateTime();
    line.planqty = cdsMP.FieldByName("planqty").AsFloat();
    line.finishedqty = cdsMP.FieldByName("finishedqty").AsFloat();
    if (line.billtype == MrpSalesOrderBill) {
        MrpLine order;
        order.shopid = Id(cdsMP, "shopid");
        order.goodsid = line.goodsid;
        order.date = line.date;
        order.planqty = line.planqty;
        order.quantity = line.quantity;
        demand.orderLines.push_back(std::move(order));
    }
    demand.planLines.push_back(std::move(line));
    return true;
}

std::optional<MrpDemand> MrpWorkbench::GatherDemand(bool multiMrp)
{
    if (cdsMP.IsEmpty()) return std::nullopt;
    MrpDemand demand;
    cdsMP.First();
    while (!cdsMP.Eof()) {
        if (cdsMP.FieldByName("selected").AsInteger() != 1) {
            cdsMP.Next();
            continue;
        }
        if (cdsMP.FieldByName("goodscode").AsString().empty() || cdsMP.FieldByName("goodsid").IsNull()) {
            cdsMP.Delete();
            continue;
        }
        if (!PlanLineOf(demand)) return std::nullopt;
        cdsMP.Next();
    }
    if (demand.planLines.empty()) {
        ShowError("请正确选择需要计算的计划.");
        return std::nullopt;
    }
    if (multiMrp) {
        const std::int32_t first = demand.planLines.front().goodsid;
        bool another = false;
        for (const MrpLine& line : demand.planLines) another = another || line.goodsid != first;
        if (!another) {
            ShowError("MRP运算时至少有两种产品.");
            return std::nullopt;
        }
    }
    return demand;
}

std::string MrpWorkbench::GoodsScope() const
{
    const int selected = cdsMP.FieldByName("selected").Index();
    const int goodsid = cdsMP.FieldByName("goodsid").Index();
    std::string ids;
    for (int row = 0; row < cdsMP.RecordCount(); ++row) {
        if (cdsMP.ValueAt(row, selected).AsInteger() != 1) continue;
        ids += (ids.empty() ? "" : ",") + std::to_string(cdsMP.ValueAt(row, goodsid).AsInteger());
    }
    return "'" + ids + "'";
}

void MrpWorkbench::ClearResults()
{
    goodsTree.Clear();
    for (DataSet* view : {&cdsGross, &cdsNet, &cdsManuSug, &cdsPurSug, &cdsBudget}) {
        view->SetFiltered(false);
        view->SetFilter({});
        view->EmptyDataSet();
    }
}

void MrpWorkbench::ReportStage(std::string_view stage, double fraction) const
{
    if (engine.progress) engine.progress(stage, fraction);
}

bool MrpWorkbench::Calculate(const MrpRunChoice& choice, bool multiMrp)
{
    auto demand = GatherDemand(multiMrp);
    return demand && Run(*demand, choice);
}

bool MrpWorkbench::Run(const MrpDemand& demand, const MrpRunChoice& choice)
{
    ClearResults();
    if (!engine.Load(choice.realStock, choice.includeUnaudited, GoodsScope())) return false;
    if (!engine.Calculate(demand.planLines, demand.orderLines, choice.options)) return false;

    ReportStage("fill", 0);
    engine.FillGoodsTree(goodsTree);
    engine.FillGrossTable(cdsGross);
    {
        ControlsHeld held{&cdsGoods};
        cdsGoods.EmptyDataSet();
        for (cdsGross.First(); !cdsGross.Eof(); cdsGross.Next())
            cdsGoods.AppendRecord({cdsGross.FieldByName("goodsid").Value()});
    }
    ReportStage("fill", 0.3);
    netPeriod = choice.netPeriod;
    engine.FillNetTable(cdsNet, netPeriod);
    ReportStage("fill", 0.6);
    engine.FillManufactureSuggestions(cdsManuSug);
    lotFlags = choice.lotFlags;
    engine.FillPurchaseSuggestions(cdsPurSug, lotFlags);
    if (choice.withFunds) {
        fundsPeriod = choice.fundsPeriod;
        cdsBudget.EmptyDataSet();
        engine.FillFundsProjection(cdsPurSug, cdsBudget, fundsPeriod, choice.dailyExpense);
    }
    for (DataSet* view : {&cdsGross, &cdsNet, &cdsManuSug, &cdsPurSug}) view->First();
    ReportStage("fill", 1);
    return true;
}

bool MrpWorkbench::RefillNet(int period)
{
    if (period == netPeriod) return false;
    netPeriod = period;
    ControlsHeld held{&cdsNet};
    cdsNet.EmptyDataSet();
    engine.FillNetTable(cdsNet, netPeriod);
    cdsNet.First();
    return true;
}

bool MrpWorkbench::RefillPurchase(unsigned flags)
{
    if (flags == lotFlags) return false;
    lotFlags = flags;
    ControlsHeld held{&cdsPurSug};
    cdsPurSug.EmptyDataSet();
    engine.FillPurchaseSuggestions(cdsPurSug, lotFlags);
    cdsPurSug.First();
    return true;
}

void MrpWorkbench::RefillFunds(int period, double dailyExpense)
{
    fundsPeriod = period;
    ControlsHeld held{&cdsBudget};
    cdsBudget.EmptyDataSet();
    engine.FillFundsProjection(cdsPurSug, cdsBudget, fundsPeriod, dailyExpense);
}

void MrpWorkbench::ApplyGoodsFilter(DataSet& view, std::optional<int> goodsid)
{
    const std::string text = goodsid ? "goodsid=" + std::to_string(*goodsid) : std::string();
    if (text == view.Filter()) return;
    view.SetFiltered(false);
    view.SetFilter(text);
    view.SetFiltered(true);
}

void MrpWorkbench::ToggleSelected(DataSet& rows)
{
    if (rows.IsEmpty()) return;
    Field& selected = rows.FieldByName("selected");
    rows.Edit();
    selected.SetValue(1 - selected.AsInteger());
    rows.Post();
}

bool MrpWorkbench::FundsOffered()
{
    return LookupSysParam("IsBand") == "1" && HasBrowsePrivilege(555);
}

}  // namespace mfg
