#include "GoodsBom.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <fmt/format.h>

#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "types/TextUtil.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr int GoodsKind = 3;
constexpr int WorkShopKind = 28;
constexpr int WorkCenterKind = 47;
constexpr int ProcessKind = 48;

constexpr const char* LineSql =
    "select m.*, m.memo as inputgoods,g.code GoodsCode,g.name GoodsName,g.specs,g.kind,u.unitname,p.name procname,\n"
    "g.guserdef1, g.guserdef2, g.guserdef3, g.guserdef4, g.guserdef5,\n"
    "op.opname as opname,o.opname as checkor\n"
    "  from L_GoodsBom m\n"
    "  left  join l_goods g on m.elemgid = g.goodsid\n"
    "    left join m_operator op on op.opid=m.opid\n"
    "    left join m_operator o on o.opid = m.checkorid\n"
    "  Left Join L_GoodsUnit u On (g.GoodsID = u.GoodsID and u.isbase = 1)\n"
    "  Left Join al_wgcountitem  p On m.COUNTWAGEITEMID = p.COUNTWAGEITEMID\n"
    "  where m.GoodsID =:GoodsID\n"
    "  order by m.orderno, g.code";

constexpr const char* ProcessSql =
    "select m.*,wp.code,wp.name,ws.name shopname,wc.name centername\n"
    "  from L_GoodsBomProc m\n"
    "  left  join al_wgcountitem wp on m.COUNTWAGEITEMID = wp.COUNTWAGEITEMID\n"
    "   left  join mnf_workshop ws on m.workshopid=ws.workshopid\n"
    "  left join mnf_workcenter wc on wc.workcenterid=m.workcenterid\n"
    "    where m.GoodsID =:GoodsID\n"
    "  order by m.orderno";

constexpr const char* SubstituteSql =
    "select m.*,g.code as goodscode,g.name as goodsname,\n"
    "g.specs as specs,u.unitname,\n"
    "b.mnfqty*(1+b.wasterate/100)*m.rate as quantity\n"
    "from L_GoodsBomsub m\n"
    "left join l_goods g on (m.subgoodsid=g.goodsid)\n"
    "left join l_goodsunit u on (u.goodsid=g.goodsid and isbase=1)\n"
    "left join l_goodsbom b on (m.goodsid=b.goodsid  and m.goodsitemno=b.itemno)\n"
    "where m.GoodsID = :GoodsID\n"
    "order by m.itemno,m.subgoodsid";

UpdateSql LineStatements()
{
    const std::string key = " where goodsid=:OLD_goodsid and elemgid=:OLD_elemgid and itemno=:old_itemno";
    return {
        "insert into L_GoodsBom (goodsid, elemgid, itemno, quantity, mnfqty, masterqty, usetime, wasterate, memo, "
        "orderno, pretime, worklineid, COUNTWAGEITEMID, userdef1, userdef2, userdef3, userdef4, userdef5, opid, "
        "checkorid) values (:goodsid, :elemgid, :itemno, :quantity, :mnfqty, :masterqty, :usetime, :wasterate, "
        ":memo, :orderno, :pretime, :worklineid, :COUNTWAGEITEMID, :userdef1, :userdef2, :userdef3, :userdef4, "
        ":userdef5, :opid, :checkorid)",
        "update L_GoodsBom set goodsid=:goodsid, elemgid=:elemgid, itemno=:itemno, quantity=:quantity, "
        "mnfqty=:mnfqty, masterqty=:masterqty, usetime=:usetime, wasterate=:wasterate, memo=:memo, "
        "orderno=:orderno, pretime=:pretime, worklineid=:worklineid, COUNTWAGEITEMID=:COUNTWAGEITEMID, "
        "userdef1=:userdef1, userdef2=:userdef2, userdef3=:userdef3, userdef4=:userdef4, userdef5=:userdef5, "
        "opid=:opid, checkorid=:checkorid" + key,
        "delete from L_GoodsBom" + key,
    };
}

UpdateSql ProcessStatements()
{
    const std::string key = " where goodsid=:OLD_goodsid and itemno=:OLD_itemno";
    return {
        "insert into L_GoodsBomProc (goodsid, itemno, orderno, COUNTWAGEITEMID, workshopid, workcenterid, usetime, "
        "pretime, memo) values (:goodsid, :itemno, :orderno, :COUNTWAGEITEMID, :workshopid, :workcenterid, "
        ":usetime, :pretime, :memo)",
        "update L_GoodsBomProc set goodsid=:goodsid, itemno=:itemno, orderno=:orderno, "
        "COUNTWAGEITEMID=:COUNTWAGEITEMID, workshopid=:workshopid, workcenterid=:workcenterid, usetime=:usetime, "
        "pretime=:pretime, memo=:memo" + key,
        "delete from L_GoodsBomProc" + key,
    };
}

UpdateSql SubstituteStatements()
{
    const std::string key =
        "where goodsid=:OLD_goodsid\nand elemgid=:OLD_elemgid\nand subgoodsid=:OLD_subgoodsid\n"
        "and goodsitemno=:old_goodsitemno";
    return {
        "insert into L_GoodsBomsub (goodsid, elemgid, goodsitemno, itemno, subgoodsid, rate, memo) values "
        "(:goodsid, :elemgid, :goodsitemno, :itemno, :subgoodsid, :rate, :memo)",
        "update L_GoodsBomsub set goodsid=:goodsid, elemgid=:elemgid, goodsitemno=:goodsitemno, itemno=:itemno, "
        "subgoodsid=:subgoodsid, rate=:rate, memo=:memo\n" + key,
        "delete from L_GoodsBomsub\n" + key,
    };
}

//! Whole-number text as the numbering reads it: anything else counts as 0.
int IntegerOf(const Variant& value)
{
    if (value.IsNull()) return 0;
    if (value.Type() == FieldType::Integer || value.Type() == FieldType::Float) return static_cast<int>(value.AsInteger());
    auto number = TryParseUserNumber(value.AsString(), "", NumberRange::Signed(std::numeric_limits<int>::max()));
    return number && *number == std::trunc(*number) ? static_cast<int>(*number) : 0;
}

//! The rows of `set` whose `field` equals `value`, from the last to the first so deletes keep positions.
std::vector<int> RowsWith(const DataSet& set, std::string_view field, std::int64_t value)
{
    std::vector<int> rows;
    if (!set.Active()) return rows;
    int column = set.FieldByName(field).Index();
    for (int row = set.RecordCount() - 1; row >= 0; --row) {
        const Variant& v = set.ValueAt(row, column);
        if (!v.IsNull() && IntegerOf(v) == value) rows.push_back(row);
    }
    return rows;
}

//! A header field's value as the lines take it; none while the text is empty or no finite number.
std::optional<double> HeaderValue(const std::string& text, std::string_view caption)
{
    if (Trim(text).empty()) return std::nullopt;
    auto value = TryParseUserNumber(text, caption, NumberRange::Signed());
    if (!value) return std::nullopt;
    return FormatQuantity(*value);
}

}  // namespace

std::string NextOrderNo(const DataSet& set, std::string_view field)
{
    int largest = 0;
    if (set.Active()) {
        int column = set.FieldByName(field).Index();
        for (int row = 0; row < set.RecordCount(); ++row) {
            const Variant& v = set.ValueAt(row, column);
            if (!v.IsNull() && !Trim(v.AsString()).empty()) largest = std::max(largest, IntegerOf(v));
        }
    }
    return fmt::format("{:03d}", largest + 1);
}

int NextItemNo(const DataSet& set, std::string_view field)
{
    int largest = 0;
    if (set.Active()) {
        int column = set.FieldByName(field).Index();
        for (int row = 0; row < set.RecordCount(); ++row) largest = std::max(largest, IntegerOf(set.ValueAt(row, column)));
    }
    return largest + 1;
}

std::string HeaderNumberText(double value) { return fmt::format("{:.7g}", value); }

GoodsBom::GoodsBom() { PrepareSets(); }

void GoodsBom::PrepareSets()
{
    lineSet.SetSql(LineSql);
    lineSet.SetUpdateSql(LineStatements());
    processSet.SetSql(ProcessSql);
    processSet.SetUpdateSql(ProcessStatements());
    substituteSet.SetSql(SubstituteSql);
    substituteSet.SetUpdateSql(SubstituteStatements());
    for (DataSet* set : {&lineSet, &processSet, &substituteSet}) set->SetUseTrans(false);

    lineSet.OnNewRecord([this](DataSet&) { LineNewRecord(); });
    // MRP, the cost budget and the prints read Quantity; whatever set the line, it is posted with
    // the ratio the tree and the editor show.
    lineSet.BeforePost([this](DataSet&) { KeepQuantityRatio(); });
    lineSet.AfterScroll([this](DataSet& set) {
        previousComponent.reset();
        if (set.IsEmpty() || set.FieldByName("ElemGID").IsNull()) return;
        previousComponent = static_cast<int>(set.FieldByName("ElemGID").AsInteger());
        lineItemOfPreviousComponent = static_cast<int>(set.FieldByName("ItemNo").AsInteger());
    });
    lineSet.OnFieldChange("ElemGID", [this](Field&) { ComponentChanged(); });
    lineSet.OnFieldChange("MnfQty", [this](Field&) { MnfQtyChanged(); });
    lineSet.OnFieldChange("WasteRate", [this](Field&) { WasteRateChanged(); });
    lineSet.OnFieldChange("COUNTWAGEITEMID", [this](Field& field) {
        SetIfDifferent(lineSet.FieldByName("procname"), LookupData(ProcessKind, field.Value(), "Name"));
    });

    processSet.OnNewRecord([this](DataSet& set) {
        set.FieldByName("GoodsID").SetValue(parentID);
        set.FieldByName("Orderno").SetValue(NextOrderNo(set));
        set.FieldByName("ItemNo").SetValue(NextItemNo(set));
        // A new step has no time yet; only times the user enters rewrite the header totals.
        fillingNewProcess = true;
        set.FieldByName("UseTime").SetValue(0.0);
        set.FieldByName("PreTime").SetValue(0.0);
        fillingNewProcess = false;
    });
    processSet.OnFieldChange("COUNTWAGEITEMID", [this](Field& field) {
        SetIfDifferent(processSet.FieldByName("code"), LookupData(ProcessKind, field.Value(), "Code"));
        SetIfDifferent(processSet.FieldByName("name"), LookupData(ProcessKind, field.Value(), "Name"));
    });
    processSet.OnFieldChange("WorkShopID", [this](Field& field) {
        SetIfDifferent(processSet.FieldByName("shopname"), LookupData(WorkShopKind, field.Value(), "Name"));
    });
    processSet.OnFieldChange("WorkCenterID", [this](Field& field) {
        SetIfDifferent(processSet.FieldByName("centername"), LookupData(WorkCenterKind, field.Value(), "Name"));
    });
    processSet.OnFieldChange("UseTime", [this](Field& field) { ProcessTimeChanged(field); });
    processSet.OnFieldChange("PreTime", [this](Field& field) { ProcessTimeChanged(field); });
    processSet.AfterDelete([this](DataSet&) { UpdateProcessTotals(); });

    substituteSet.OnFieldChange("SubGoodsID", [this](Field&) { FillSubstituteGoods(); });
}

bool GoodsBom::Load(int parent)
{
    auto head = CreateAutoQuery(
        "Select top 1  g.Code As GoodsCode,g.Name As GoodsName,g.Specs, b.Masterqty,b.UseTime,b.PreTime, u.UnitName "
        "As UnitName,l.worklineid,l.name linename,b.elemgid From L_Goods g  Left Join L_GoodsUnit u On (g.GoodsID = "
        "u.GoodsID and u.isbase = 1) Left Join L_GoodsBom b On (g.GoodsID =  b.GoodsId) Left Join mnf_workline  l On "
        "(b.worklineID = l.worklineid) Where g.GoodsID = " +
            std::to_string(parent),
        true);
    if (head->IsEmpty()) return false;
    parentID = parent;
    parentCode = head->FieldByName("GoodsCode").AsString();
    parentName = head->FieldByName("GoodsName").AsString();
    parentSpecs = head->FieldByName("Specs").AsString();
    parentUnitName = head->FieldByName("UnitName").AsString();
    double masterQty = head->FieldByName("Masterqty").AsFloat();
    double useTime = head->FieldByName("UseTime").AsFloat();
    double preTime = head->FieldByName("PreTime").AsFloat();
    bool hasLines = !head->FieldByName("elemgid").IsNull();
    // The stored figures as the default float-to-text conversion writes them (15 digits).
    auto text = [](double value) { return fmt::format("{:.15g}", value); };
    header.masterQty = text(masterQty > 0 ? masterQty : 1);
    header.useTime = text(useTime > 0 ? useTime : (hasLines ? 0 : 1));
    header.preTime = text(preTime > 0 ? preTime : 0);
    header.workLineID.reset();
    if (!head->FieldByName("worklineid").IsNull())
        header.workLineID = static_cast<int>(head->FieldByName("worklineid").AsInteger());
    header.workLineName = head->FieldByName("linename").AsString();
    storedHeader = header;
    Reload();
    return true;
}

void GoodsBom::Reload()
{
    for (DataSet* set : {&lineSet, &processSet, &substituteSet}) {
        set->Close();
        set->SetParam("GoodsID", parentID);
        set->Open(CurrentHost().DBStartup());
    }
    lineSet.First();
    processSet.First();
}

void GoodsBom::SetIfDifferent(Field& field, const Variant& value)
{
    if (field.Value() == value) return;
    if (field.Owner().State() == DataSetState::Browse) field.Owner().Edit();
    field.SetValue(value);
}

void GoodsBom::LineNewRecord()
{
    Host& host = CurrentHost();
    lineSet.FieldByName("GoodsID").SetValue(parentID);
    lineSet.FieldByName("Quantity").SetValue(1.0);
    if (auto masterQty = HeaderValue(header.masterQty, MasterQtyCaption)) lineSet.FieldByName("MnfQty").SetValue(*masterQty);
    lineSet.FieldByName("WasteRate").SetValue(0.0);
    lineSet.FieldByName("Orderno").SetValue(NextOrderNo(lineSet));
    lineSet.FieldByName("ItemNo").SetValue(NextItemNo(lineSet));
    lineSet.FieldByName("OPID").SetValue(host.UserID());
    lineSet.FieldByName("opname").SetValue(host.UserName());
    lineSet.FieldByName("State").SetValue(0);
    previousComponent.reset();
}

void GoodsBom::AppendLine() { lineSet.Append(); }

void GoodsBom::SetComponent(int goodsID)
{
    if (lineSet.IsEmpty()) lineSet.Append();
    else if (lineSet.State() == DataSetState::Browse) lineSet.Edit();
    lineSet.FieldByName("ElemGID").SetValue(goodsID);
}

void GoodsBom::ApplyHeaderToLine(bool clearWorkLine)
{
    struct HeaderField {
        const char* field;
        const std::string* text;
        std::string_view caption;
    };
    for (auto [field, text, caption] : {HeaderField{"MasterQty", &header.masterQty, MasterQtyCaption},
                                        HeaderField{"UseTime", &header.useTime, UseTimeCaption},
                                        HeaderField{"PreTime", &header.preTime, PreTimeCaption}})
        if (auto value = HeaderValue(*text, caption)) SetIfDifferent(lineSet.FieldByName(field), *value);
    bool chosen = header.workLineID && *header.workLineID > 0;
    if (chosen) SetIfDifferent(lineSet.FieldByName("WorkLineID"), *header.workLineID);
    else if (clearWorkLine) SetIfDifferent(lineSet.FieldByName("WorkLineID"), Variant());
}

void GoodsBom::CopyHeaderToCurrentLine()
{
    ApplyHeaderToLine(true);
    KeepQuantityRatio();
    lineSet.Post();
}

void GoodsBom::KeepQuantityRatio()
{
    double mnfQty = lineSet.FieldByName("MnfQty").AsFloat();
    double masterQty = lineSet.FieldByName("MasterQty").AsFloat();
    if (!(mnfQty > 0 && masterQty > 0 && std::isfinite(mnfQty) && std::isfinite(masterQty))) return;
    SetIfDifferent(lineSet.FieldByName("Quantity"), mnfQty / masterQty);
}

void GoodsBom::ComponentChanged()
{
    Field& component = lineSet.FieldByName("ElemGID");
    const Variant id = component.Value();
    for (auto [field, source] : {std::pair<const char*, const char*>{"GoodsCode", "Code"},
                                 {"GoodsName", "Name"},
                                 {"Specs", "Specs"},
                                 {"Kind", "Kind"},
                                 {"UnitName", "UnitName"},
                                 {"guserdef1", "GUserDef1"},
                                 {"guserdef2", "GUserDef2"},
                                 {"guserdef3", "GUserDef3"},
                                 {"guserdef4", "GUserDef4"},
                                 {"guserdef5", "GUserDef5"}})
        SetIfDifferent(lineSet.FieldByName(field), LookupData(GoodsKind, id, source));
    ApplyHeaderToLine(false);

    std::optional<int> now;
    if (!id.IsNull()) now = static_cast<int>(id.AsInteger());
    int itemNo = static_cast<int>(lineSet.FieldByName("ItemNo").AsInteger());
    bool changed = now != previousComponent || itemNo != lineItemOfPreviousComponent;
    previousComponent = now;
    lineItemOfPreviousComponent = itemNo;
    if (!changed) return;
    DeleteSubstitutesOfLine(itemNo);
    if (!now || LineHasSubstitutes(itemNo)) return;
    try {
        CopyDefaultSubstitutes(*now, itemNo);
    } catch (const std::exception& e) {
        // The component stays chosen; only its defaults could not be brought in.
        ShowError(e);
    }
}

void GoodsBom::MnfQtyChanged()
{
    Field& field = lineSet.FieldByName("MnfQty");
    if (field.IsNull()) return;
    if (!(field.AsFloat() > 0) || !std::isfinite(field.AsFloat())) {
        ShowInformation("数量应大于零");
        field.SetValue(1.0);
        return;
    }
    SetIfDifferent(field, FormatQuantity(field.AsFloat()));
    UpdateSubstituteQuantities(static_cast<int>(lineSet.FieldByName("ItemNo").AsInteger()), field.AsFloat(),
                               lineSet.FieldByName("WasteRate").AsFloat());
}

void GoodsBom::WasteRateChanged()
{
    Field& field = lineSet.FieldByName("WasteRate");
    if (field.IsNull()) return;
    double rate = field.AsFloat();
    if (!(rate >= 0 && rate <= 100)) {
        ShowInformation("损耗率应在0-100之间");
        field.SetValue(0.0);
        return;
    }
    SetIfDifferent(field, RoundToEx(rate, 4));
    UpdateSubstituteQuantities(static_cast<int>(lineSet.FieldByName("ItemNo").AsInteger()),
                               lineSet.FieldByName("MnfQty").AsFloat(), field.AsFloat());
}

void GoodsBom::ProcessTimeChanged(Field& field)
{
    if (field.IsNull() || fillingNewProcess) return;
    if (field.AsFloat() < 0) ShowInformation("数量应大于零");
    SetIfDifferent(field, FormatQuantity(field.AsFloat()));
    // Only the total of the column typed into follows: the other keeps what the user gave it.
    if (EqualsNoCase(field.Name(), "UseTime")) header.useTime = ProcessTotal("UseTime");
    else header.preTime = ProcessTotal("PreTime");
}

std::string GoodsBom::ProcessTotal(std::string_view field) const
{
    // Summed in single precision, as the header always showed them.
    float total = 0;
    int column = processSet.FieldByName(field).Index();
    for (int row = 0; row < processSet.RecordCount(); ++row)
        total += static_cast<float>(processSet.ValueAt(row, column).AsFloat());
    return HeaderNumberText(FormatQuantity(total));
}

void GoodsBom::UpdateProcessTotals()
{
    if (!processSet.Active()) return;
    header.useTime = ProcessTotal("UseTime");
    header.preTime = ProcessTotal("PreTime");
}

bool GoodsBom::SetNumberText(DataSet& set, std::string_view field, std::string_view caption, std::string_view text)
{
    std::string error;
    auto value = Trim(text).empty() ? 0.0 : TryParseUserNumber(text, caption, NumberRange::Signed(), &error);
    if (!value) {
        ShowError(error);
        return false;
    }
    if (set.IsEmpty()) set.Append();
    else if (set.State() == DataSetState::Browse) set.Edit();
    if (Trim(text).empty()) set.FieldByName(field).Clear();
    else set.FieldByName(field).SetValue(*value);
    return true;
}

void GoodsBom::DeleteLine()
{
    if (lineSet.IsEmpty()) return;
    DeleteSubstitutesOfLine(static_cast<int>(lineSet.FieldByName("ItemNo").AsInteger()));
    lineSet.Delete();
}

void GoodsBom::AppendProcess() { processSet.Append(); }

void GoodsBom::DeleteProcess()
{
    if (!processSet.IsEmpty()) processSet.Delete();
}

void GoodsBom::SetWorkLine(std::optional<int> workLineID)
{
    header.workLineID = workLineID;
    header.workLineName.clear();
    processSet.DisableControls();
    processSet.Post();
    while (!processSet.IsEmpty()) {
        processSet.First();
        processSet.Delete();
    }
    if (workLineID) {
        header.workLineName = GetValueOfSql("select name from mnf_workline where worklineid=" + std::to_string(*workLineID)).AsString();
        auto steps = CreateAutoQuery(
            "select COUNTWAGEITEMID from mnf_worklined where worklineid=" + std::to_string(*workLineID) + " order by orderno",
            true);
        for (steps->First(); !steps->Eof(); steps->Next()) {
            processSet.Append();
            processSet.FieldByName("COUNTWAGEITEMID").SetValue(steps->FieldByName("COUNTWAGEITEMID").Value());
            processSet.Post();
        }
    }
    processSet.EnableControls();
}

void GoodsBom::UpdateSubstituteQuantities(int itemNo, double mnfQty, double wasteRate)
{
    Field& quantity = substituteSet.FieldByName("quantity");
    for (int row : RowsWith(substituteSet, "GoodsItemNO", itemNo)) {
        substituteSet.SetRecNo(row + 1);
        SetIfDifferent(quantity, mnfQty * (1 + wasteRate * 0.01) * substituteSet.FieldByName("Rate").AsFloat());
        substituteSet.Post();
    }
}

void GoodsBom::FillSubstituteGoods()
{
    const Variant id = substituteSet.FieldByName("SubGoodsID").Value();
    SetIfDifferent(substituteSet.FieldByName("goodscode"), LookupData(GoodsKind, id, "Code"));
    SetIfDifferent(substituteSet.FieldByName("goodsname"), LookupData(GoodsKind, id, "Name"));
    SetIfDifferent(substituteSet.FieldByName("specs"), LookupData(GoodsKind, id, "Specs"));
    SetIfDifferent(substituteSet.FieldByName("unitname"), LookupData(GoodsKind, id, "UnitName"));
}

void GoodsBom::CopyDefaultSubstitutes(int componentID, int itemNo)
{
    auto defaults = CreateAutoQuery("Select * from l_goodssub Where goodsid =" + std::to_string(componentID), true);
    double mnfQty = lineSet.FieldByName("MnfQty").AsFloat();
    double wasteRate = lineSet.FieldByName("WasteRate").AsFloat();
    int sequence = 0;
    for (defaults->First(); !defaults->Eof(); defaults->Next()) {
        double rate = defaults->FieldByName("Rate").AsFloat();
        substituteSet.Append();
        substituteSet.FieldByName("GoodsID").SetValue(parentID);
        substituteSet.FieldByName("ElemGID").SetValue(componentID);
        substituteSet.FieldByName("GoodsItemNO").SetValue(itemNo);
        substituteSet.FieldByName("ItemNo").SetValue(std::to_string(++sequence));
        substituteSet.FieldByName("SubGoodsID").SetValue(defaults->FieldByName("SubGoodsID").Value());
        substituteSet.FieldByName("Rate").SetValue(rate);
        substituteSet.FieldByName("Memo").SetValue(defaults->FieldByName("Memo").Value());
        substituteSet.FieldByName("quantity").SetValue(mnfQty * (1 + wasteRate * 0.01) * rate);
        substituteSet.Post();
    }
}

void GoodsBom::DeleteSubstitutesOfLine(int itemNo)
{
    for (int row : RowsWith(substituteSet, "GoodsItemNO", itemNo)) {
        substituteSet.SetRecNo(row + 1);
        substituteSet.Delete();
    }
}

bool GoodsBom::LineHasSubstitutes(int itemNo) const { return !RowsWith(substituteSet, "GoodsItemNO", itemNo).empty(); }

std::string GoodsBom::SubstituteText(int itemNo) const
{
    auto rows = RowsWith(substituteSet, "GoodsItemNO", itemNo);
    std::string text;
    int name = substituteSet.FieldByName("goodsname").Index();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) text += substituteSet.ValueAt(*row, name).AsString() + ";";
    return text;
}

void GoodsBom::CopyFrom(int sourceID, bool withProcesses, bool withSubstitutes)
{
    const std::string source = std::to_string(sourceID);
    auto lines = CreateAutoQuery(" select * from L_GoodsBom where GoodsID = " + source, true);
    if (withProcesses && !lines->IsEmpty()) {
        lines->First();
        header.workLineID.reset();
        if (!lines->FieldByName("worklineid").IsNull())
            header.workLineID = static_cast<int>(lines->FieldByName("worklineid").AsInteger());
    }
    for (lines->First(); !lines->Eof(); lines->Next()) {
        const Variant component = lines->FieldByName("ElemGID").Value();
        if (!lineSet.Lookup("ElemGID", {component}, "ElemGID").IsNull()) continue;
        lineSet.Append();
        lineSet.FieldByName("ElemGID").SetValue(component);
        for (const char* field : {"Quantity", "MnfQty", "WasteRate", "Memo", "COUNTWAGEITEMID"})
            lineSet.FieldByName(field).SetValue(lines->FieldByName(field).Value());
        int itemNo = static_cast<int>(lineSet.FieldByName("ItemNo").AsInteger());
        if (withSubstitutes) {
            DeleteSubstitutesOfLine(itemNo);
            auto subs = CreateAutoQuery("select * from l_goodsbomsub where goodsid=" + source + " and ElemGID=" +
                                            component.AsString() + " and GoodsItemno=" +
                                            lines->FieldByName("ItemNo").AsString(),
                                        true);
            for (subs->First(); !subs->Eof(); subs->Next()) {
                substituteSet.Append();
                substituteSet.FieldByName("GoodsID").SetValue(parentID);
                substituteSet.FieldByName("ElemGID").SetValue(component);
                substituteSet.FieldByName("GoodsItemNO").SetValue(itemNo);
                for (const char* field : {"ItemNo", "SubGoodsID", "Rate", "Memo"})
                    substituteSet.FieldByName(field).SetValue(subs->FieldByName(field).Value());
                substituteSet.Post();
            }
            UpdateSubstituteQuantities(itemNo, lineSet.FieldByName("MnfQty").AsFloat(),
                                       lineSet.FieldByName("WasteRate").AsFloat());
        }
        lineSet.Post();
    }
    if (!withProcesses) return;
    processSet.Post();
    while (!processSet.IsEmpty()) {
        processSet.First();
        processSet.Delete();
    }
    auto processes = CreateAutoQuery(" select * from L_GoodsBomProc where GoodsID = " + source, true);
    for (processes->First(); !processes->Eof(); processes->Next()) {
        processSet.Append();
        for (const auto& name : processes->FieldNames())
            if (Field* field = processSet.FindField(name)) field->SetValue(processes->FieldByName(name).Value());
        processSet.FieldByName("GoodsID").SetValue(parentID);
        processSet.Post();
    }
    UpdateProcessTotals();
}

bool GoodsBom::Modified() const
{
    auto edited = [](const DataSet& set) {
        bool editing = set.State() == DataSetState::Edit || set.State() == DataSetState::Insert;
        return set.Active() && (set.UpdatesPending() || (editing && set.Modified()));
    };
    return !(header == storedHeader) || edited(lineSet) || edited(processSet) || edited(substituteSet);
}

void GoodsBom::CancelUpdates()
{
    for (DataSet* set : {&lineSet, &processSet, &substituteSet}) {
        if (!set->Active()) continue;
        set->Cancel();
        set->CancelBatch();
    }
}

}  // namespace mfg
