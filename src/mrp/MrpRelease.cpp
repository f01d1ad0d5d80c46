// Release lines: the selected manufacture suggestions with the demands each quantity serves.
#include <algorithm>
#include <optional>
#include <tuple>

#include "MrpEngine.h"
#include "MrpFields.h"
#include "host/Host.h"

namespace mfg {

namespace {

constexpr int SalesOrderType = 12;
constexpr int SchedulePlanType = 43;

std::string BillTypeText(int billtype)
{
    if (billtype == SalesOrderType) return "销售订单";
    if (billtype == SchedulePlanType) return "主生产计划";
    return {};
}

Variant Column(const DataSet& dataSet, std::string_view name)
{
    Field* field = dataSet.FindField(name);
    return field ? field->Value() : Variant();
}

}  // namespace

void MrpEngine::BuildManufactureRelease(DataSet& cdsManu, DataSet& cdsManuSug) const
{
    MrpRowWriter goodsLine(cdsManu, {{"goodsid", FieldType::Integer},   {"goodscode", FieldType::Text},
                                     {"goodsname", FieldType::Text},    {"specs", FieldType::Text},
                                     {"unitname", FieldType::Text},     {"fixqty", FieldType::Float},
                                     {"empid", FieldType::Integer},     {"workid", FieldType::Integer},
                                     {"traderid", FieldType::Integer},  {"releasedqty", FieldType::Float},
                                     {"manuqty", FieldType::Float},     {"billtype", FieldType::Text},
                                     {"billid", FieldType::Integer},    {"itemno", FieldType::Integer},
                                     {"billcode", FieldType::Text},     {"billdate", FieldType::DateTime},
                                     {"quantity", FieldType::Float},    {"finishdate", FieldType::DateTime},
                                     {"startdate", FieldType::DateTime}, {"manufinishdate", FieldType::DateTime}});
    const std::string shop = std::to_string(CurrentHost().ShopID());
    // The defaults of a goods are the same for each of its source lines: read them once.
    std::unordered_map<std::int32_t, std::optional<std::tuple<Variant, Variant, Variant>>> defaults;
    auto defaultsOf = [&](std::int32_t goodsid) -> const std::optional<std::tuple<Variant, Variant, Variant>>& {
        auto [it, added] = defaults.try_emplace(goodsid);
        if (!added) return it->second;
        auto query = CreateAutoQuery(
            "select e.empid,workshopid,t.traderid from l_goods g  left join l_employ e on g.empid=e.empid and "
            "e.closed =0 and e.shopid=" + shop + " left join l_trader t on t.traderid = g.traderid and t.shopid=" + shop +
                " and  ((t.IsVendor = 1 and t.Closed = 0 and t.TraderID > 0) or (t.acctrader = 1 and t.Closed = 0 and "
                "t.TraderID > 0)) where  g.goodsid=" + std::to_string(goodsid),
            true);
        if (!query->IsEmpty())
            it->second.emplace(query->FieldByName("empid").Value(), query->FieldByName("workshopid").Value(),
                               query->FieldByName("traderid").Value());
        return it->second;
    };

    std::int32_t previous = -99;
    for (cdsManuSug.First(); !cdsManuSug.Eof(); cdsManuSug.Next()) {
        const double fixqty = Column(cdsManuSug, "fixqty").AsFloat();
        if (Column(cdsManuSug, "selected").AsInteger() != 1 || fixqty <= 0) continue;
        const auto goodsid = static_cast<std::int32_t>(Column(cdsManuSug, "goodsid").AsInteger());
        if (goodsid != previous) {
            goodsLine.Write({goodsid, Column(cdsManuSug, "goodscode"), Column(cdsManuSug, "goodsname"),
                             Column(cdsManuSug, "specs"), Column(cdsManuSug, "unitname"), fixqty});
        } else if (cdsManu.Locate("goodsid", {goodsid})) {
            cdsManu.Edit();
            Field& total = cdsManu.FieldByName("fixqty");
            total.SetValue(total.AsFloat() + fixqty);
            cdsManu.Post();
        }
        previous = goodsid;

        const MrpNetRecord* record = FindNetRecord(goodsid);
        const DateTime pegDate = Column(cdsManuSug, "finisheddate").AsDateTime().Date();
        if (!record) continue;
        auto pegs = record->sources.find(pegDate);
        if (pegs == record->sources.end()) continue;
        const DateTime startDate = Has(optAhead) ? OffsetWorkDays(pegDate, LeadTime(goodsid), true) : pegDate;
        double assigned = 0;
        for (const MrpPegLine& peg : pegs->second) {
            const double open = peg.quantity - peg.substitutedQty;
            if (open <= 0) continue;
            Variant empid, workid, traderid;
            if (const auto& found = defaultsOf(goodsid)) std::tie(empid, workid, traderid) = *found;
            const bool withDocument = !peg.billcode.empty() && peg.billcode != "0";
            goodsLine.Write({goodsid, {}, {}, {}, {}, {}, empid, workid, traderid, peg.finishedqty,
                             std::min(fixqty - assigned, open), withDocument ? BillTypeText(peg.billtype) : "",
                             peg.billid, peg.itemno, peg.billcode, withDocument ? Variant(peg.billdate) : Variant(),
                             peg.planqty, pegDate, startDate, pegDate});
            assigned += open;
            if (assigned >= fixqty) break;
        }
    }
}

bool MrpEngine::IsPlanLineSource(const DataSet& cdsManu) const
{
    const std::string text = Column(cdsManu, "billtype").AsString();
    if (text.empty()) return false;
    const int billtype = text == "主生产计划" ? SchedulePlanType : text == "销售订单" ? SalesOrderType : 0;
    const auto goodsid = Column(cdsManu, "goodsid").AsInteger();
    const std::string billcode = Column(cdsManu, "billcode").AsString();
    const auto itemno = Column(cdsManu, "itemno").AsInteger();
    return std::any_of(planLines.begin(), planLines.end(), [&](const MrpLine& line) {
        return line.goodsid == goodsid && line.billtype == billtype && line.billcode == billcode && line.itemno == itemno;
    });
}

}  // namespace mfg
