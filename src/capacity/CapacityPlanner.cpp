#include "CapacityPlanner.h"

#include <algorithm>
#include <cmath>

#include "host/Host.h"

namespace mfg {
namespace {

//! The products to plan, earliest start first, then earliest delivery; ties keep grid order.
std::vector<const PlannedGoods*> PlanningOrder(const std::vector<PlannedGoods>& products)
{
    std::vector<const PlannedGoods*> order;
    for (const auto& goods : products)
        if (goods.selected) order.push_back(&goods);
    std::stable_sort(order.begin(), order.end(), [](const PlannedGoods* a, const PlannedGoods* b) {
        if (a->startWorkDate->Date() != b->startWorkDate->Date())
            return a->startWorkDate->Date() < b->startWorkDate->Date();
        return a->revDate->Date() < b->revDate->Date();
    });
    return order;
}

DateTime LaterOf(const std::optional<DateTime>& date, DateTime today)
{
    return date && date->Date() > today ? date->Date() : today;
}

void Add(std::vector<Variant>& row, const std::optional<DateTime>& date)
{
    row.push_back(date ? Variant(*date) : Variant());
}

}  // namespace

void DayLoad::Balance()
{
    factCapacity = usedLoad + load;
    double d = planCapacity - factCapacity;
    overplus = d > 0 ? d : 0;
    excess = d > 0 ? 0 : std::abs(d);
}

void CapacityPlanner::LoadMasterData()
{
    std::vector<Workshop> shops;
    auto shopQuery = CreateAutoQuery(
        "select * from (select distinct 0 as selected, "
        "  w.workshopid,w.code,w.name,d.name as depname,"
        "  w.machines,w.machehours,w.workers,w.daymanhaur"
        "  from mnf_workshop w "
        "  left join l_department d on w.departmentid=d.departmentid) mnf_work",
        true);
    for (shopQuery->First(); !shopQuery->Eof(); shopQuery->Next())
        shops.push_back({static_cast<int>(shopQuery->FieldByName("workshopid").AsInteger()),
                         shopQuery->FieldByName("code").AsString(), shopQuery->FieldByName("name").AsString(),
                         shopQuery->FieldByName("depname").AsString(), shopQuery->FieldByName("machines").AsFloat(),
                         shopQuery->FieldByName("machehours").AsFloat(), shopQuery->FieldByName("workers").AsFloat(),
                         shopQuery->FieldByName("daymanhaur").AsFloat(), true});
    std::vector<BomTime> times;
    auto timeQuery = CreateAutoQuery(
        "select distinct goodsid,masterqty,usetime,pretime from l_goodsbom where state=1 order by goodsid", true);
    for (timeQuery->First(); !timeQuery->Eof(); timeQuery->Next())
        times.push_back({static_cast<int>(timeQuery->FieldByName("goodsid").AsInteger()),
                         timeQuery->FieldByName("masterqty").AsFloat(), timeQuery->FieldByName("usetime").AsFloat(),
                         timeQuery->FieldByName("pretime").AsFloat()});
    SetMasterData(std::move(shops), std::move(times), WorkDays::Load());
}

void CapacityPlanner::SetMasterData(std::vector<Workshop> shops, std::vector<BomTime> times, WorkDays calendar)
{
    workshops = std::move(shops);
    bomTimes = std::move(times);
    std::stable_sort(bomTimes.begin(), bomTimes.end(),
                     [](const BomTime& a, const BomTime& b) { return a.goodsId < b.goodsId; });
    workDays = std::move(calendar);
}

const BomTime* CapacityPlanner::FindBomTime(int goodsId) const
{
    // The list is kept in goods order: the first entry of a goods is the lower bound.
    auto it = std::lower_bound(bomTimes.begin(), bomTimes.end(), goodsId,
                               [](const BomTime& time, int id) { return time.goodsId < id; });
    return it != bomTimes.end() && it->goodsId == goodsId ? &*it : nullptr;
}

double CapacityPlanner::DailyCapacity() const
{
    double sum = 0;
    for (const auto& shop : workshops)
        if (shop.selected) sum += shop.machines * shop.macheHours + shop.workers * shop.dayManHaur;
    return sum;
}

std::optional<double> CapacityPlanner::TotalUseTime(const PlannedGoods& goods) const
{
    const BomTime* time = goods.goodsId ? FindBomTime(goods.goodsId) : nullptr;
    if (!time) return std::nullopt;
    return goods.quantity * time->useTime / time->masterQty + time->preTime;
}

std::string CapacityPlanner::NoBomMessage(const std::string& goodsName)
{
    return goodsName + " 货品没有设置BOM清单或BOM清单没有审核!";
}

std::vector<PlannedGoods> CapacityPlanner::SalesOrderLines(DateTime from, DateTime to, DateTime start)
{
    auto query = CreateAutoQuery(
        "select 0 as selected, m.billid, d.itemno, m.billdate, m.billcode, m.shopid, d.chargedate as revdate, s.name "
        "as shopname,"
        "d.goodsid, d.quantity, d.referqty, d.closed, d.remark, m.traderid, t.name as tradername,"
        "d.releasedqty,"
        "d.releasedqty as refunitqty,"
        "g.name as goodsname, g.code as goodscode, g.specs,u.unitname as unitname,"
        "d.quantity-d.releasedqty as canuseqty"
        " from s_orderdetail d"
        " join s_order m on d.billid=m.billid"
        " join l_goods g on d.goodsid=g.goodsid"
        " join l_trader t on m.traderid=t.traderid"
        " join l_goodsunit u on (d.goodsid=u.goodsid and u.isbase=1)"
        " join d_shop s on m.shopid=s.shopid"
        " where d.closed=0  and billstate = 1 "
        "and g.closed=0 and g.Kind>1 and g.Kind <4"
        " and d.quantity>d.releasedqty and d.chargedate>='" +
            from.Format("yyyy-mm-dd") + "' and d.chargedate<'" + to.AddDays(1).Format("yyyy-mm-dd") +
            "' order by d.chargedate, m.billcode, d.itemno",
        true);
    std::vector<PlannedGoods> lines;
    for (query->First(); !query->Eof(); query->Next()) {
        auto field = [&](const char* name) -> const Field& { return query->FieldByName(name); };
        PlannedGoods goods;
        goods.selected = true;
        goods.billId = static_cast<int>(field("billid").AsInteger());
        goods.itemNo = static_cast<int>(field("itemno").AsInteger());
        goods.billCode = field("billcode").AsString();
        if (!field("billdate").IsNull()) goods.billDate = field("billdate").AsDateTime();
        if (!field("revdate").IsNull()) goods.revDate = field("revdate").AsDateTime();
        goods.startWorkDate = start;
        goods.goodsId = static_cast<int>(field("goodsid").AsInteger());
        goods.goodsCode = field("goodscode").AsString();
        goods.goodsName = field("goodsname").AsString();
        goods.specs = field("specs").AsString();
        goods.unitName = field("unitname").AsString();
        goods.quantity = field("canuseqty").AsFloat();
        lines.push_back(std::move(goods));
    }
    return lines;
}

std::optional<CapacityIssue> CapacityPlanner::Validate(const std::vector<PlannedGoods>& products) const
{
    if (workshops.empty()) return CapacityIssue::Error("还没有定义生产车间! 无法进行粗能力计算.请定义生产车间资料.");
    if (workDays.Empty()) return CapacityIssue::Error("还没有定义工作日历! 无法进行粗能力计算. 请先定义工作日历.");
    if (bomTimes.empty()) return CapacityIssue::Error("没有已审核的BOM清单! 无法进行粗能力计算. 请先定义BOM清单.");
    bool anyShop = std::any_of(workshops.begin(), workshops.end(), [](const Workshop& shop) { return shop.selected; });
    if (!anyShop || DailyCapacity() == 0) {
        auto issue = CapacityIssue::Note("请选择生产车间或设定工人、机器数及其日有效工、机时!");
        issue.focusWorkshops = true;
        return issue;
    }
    bool anyGoods = false;
    for (size_t i = 0; i < products.size(); ++i) {
        const auto& goods = products[i];
        if (!goods.selected) continue;
        anyGoods = true;
        int row = static_cast<int>(i);
        if (!goods.revDate) return CapacityIssue::Note("发货日期不可为空!", row, "revdate");
        if (!goods.startWorkDate) return CapacityIssue::Note("开工日期不可为空!", row, "startworkdate");
        if (goods.startWorkDate->Date() > goods.revDate->Date())
            return CapacityIssue::Note("开工日期不可大于发货日期!", row, "startworkdate");
        if (goods.goodsId == 0 || goods.goodsCode.empty())
            return CapacityIssue::Note("货品编码不可为空!", row, "goodscode");
        if (goods.quantity <= 0) return CapacityIssue::Note("数量不可小于等于零!", row, "quantity");
        if (!FindBomTime(goods.goodsId)) return CapacityIssue::Note(NoBomMessage(goods.goodsName), row, "goodscode");
    }
    if (!anyGoods) return CapacityIssue::Note("请选择货品!");
    return std::nullopt;
}

DayLoad& CapacityPlanner::Day(DateTime date)
{
    auto [it, created] = days.try_emplace(date);
    if (created) {
        it->second.date = date;
        it->second.planCapacity = dailyCapacity;
        it->second.Balance();
    }
    return it->second;
}

std::optional<CapacityIssue> CapacityPlanner::Calculate(const std::vector<PlannedGoods>& products)
{
    days.clear();
    if (auto issue = Validate(products)) return issue;
    DateTime today = GetSystemTime().Date();
    auto order = PlanningOrder(products);
    dailyCapacity = DailyCapacity();
    AddUsedLoad(today);
    std::optional<CapacityIssue> issue;
    if (!AddPlanLoad(order, today, issue)) {
        days.clear();
        return issue;
    }
    Suggest(order, today);
    return std::nullopt;
}

void CapacityPlanner::AddUsedLoad(DateTime today)
{
    std::string ids;
    for (const auto& shop : workshops)
        if (shop.selected) ids += (ids.empty() ? "" : ",") + std::to_string(shop.workshopId);
    if (ids.empty()) return;
    auto orders = CreateAutoQuery(
        "select (quantity-finishedqty) as manuqty,* from mnf_manuorder   where closed=0 and "
        "billstate=1 and quantity>finishedqty     and workshopid in "
        " (" +
            ids + ") " + "  order by plandate",
        true);
    for (orders->First(); !orders->Eof(); orders->Next()) {
        auto date = [&](const char* field) {
            const auto& value = orders->FieldByName(field).Value();
            return value.IsNull() ? std::optional<DateTime>() : value.AsDateTime();
        };
        DateTime s = workDays.WorkDayOnOrBefore(LaterOf(date("plandate"), today));
        DateTime e = workDays.WorkDayOnOrBefore(LaterOf(date("finisheddate"), today));
        int n = workDays.CountWorkDays(s, e, today);
        double quantity = orders->FieldByName("quantity").AsFloat();
        double daily =
            (orders->FieldByName("manuqty").AsFloat() / n) * (orders->FieldByName("usetime").AsFloat() / quantity);
        for (size_t i = workDays.IndexOnOrAfter(s); i < workDays.Size() && workDays[i] <= e; ++i) {
            auto& day = Day(workDays[i]);
            day.usedLoad += daily;
            day.Balance();
        }
    }
}

bool CapacityPlanner::AddPlanLoad(const std::vector<const PlannedGoods*>& order, DateTime today,
                                  std::optional<CapacityIssue>& issue)
{
    loadCursor = today;
    for (const auto* goods : order) {
        const BomTime& time = *FindBomTime(goods->goodsId);
        DateTime s = goods->startWorkDate->Date();
        DateTime e = workDays.WorkDayOnOrBefore(LaterOf(goods->revDate, today));
        int n = workDays.CountWorkDays(s, e, today);
        double daily = (goods->quantity / n) * (time.useTime / time.masterQty) + time.preTime / n;
        double total = n * daily;
        if (std::trunc(total / dailyCapacity) > 365) {
            issue = CapacityIssue::Note("选择生产的货品[" + goods->goodsName + "]所需生产日大于365天，请减少生产数量!");
            return false;
        }
        for (size_t i = workDays.IndexOnOrAfter(s); i < workDays.Size() && workDays[i] <= e; ++i) {
            auto& day = Day(workDays[i]);
            day.load += daily;
            day.Balance();
            loadCursor = std::min(loadCursor, workDays[i]);
        }
    }
    return true;
}

void CapacityPlanner::Suggest(const std::vector<const PlannedGoods*>& order, DateTime today)
{
    for (const auto* goods : order) {
        const BomTime& time = *FindBomTime(goods->goodsId);
        DateTime e = workDays.WorkDayOnOrBefore(LaterOf(goods->revDate, today));
        int n = workDays.CountWorkDays(today, e, today);
        double daily = (goods->quantity / n) * (time.useTime / time.masterQty) + time.preTime / n;
        double total = n * daily;
        bool started = false;
        // Past the last working day of the calendar the walk ends: the product has no finish.
        for (size_t i = workDays.IndexOnOrAfter(loadCursor); i < workDays.Size() && total > 0; ++i) {
            auto& day = Day(workDays[i]);
            double free = day.planCapacity - day.usedLoad - day.suggestedLoad;
            if (free <= 0) continue;
            double take = std::min(free, total);
            day.suggestedLoad += take;
            total -= take;
            if (!started) {
                started = true;
                day.sugStartDate = day.date;
            }
            if (total <= 0) {
                day.sugFinishedDate = day.date;
                if (!day.revDate || *day.revDate > *goods->revDate) day.revDate = *goods->revDate;
            }
        }
    }
}

DateTime CapacityPlanner::GroupDate(DateTime date, CapacityPeriod period) const
{
    DateTime last =
        period == CapacityPeriod::Week
            ? date.AddDays(7 - date.DayOfWeek())
            : DateTime::FromYmd(date.Year(), date.Month(), DateTime::DaysInMonth(date.Year(), date.Month()));
    DateTime workDay = workDays.WorkDayOnOrBefore(last);
    return workDay > date && workDay <= last ? workDay : date;
}

std::vector<DayLoad> CapacityPlanner::Result(CapacityPeriod period) const
{
    std::vector<DayLoad> rows;
    if (period == CapacityPeriod::Day) {
        for (const auto& [date, day] : days) rows.push_back(day);
        return rows;
    }
    // Records come in date order and the group of a later record is never an earlier one, so a
    // group closes when the next record opens another.
    for (const auto& [date, day] : days) {
        DateTime group = GroupDate(date, period);
        if (rows.empty() || rows.back().date != group) {
            rows.push_back({});
            rows.back().date = group;
        }
        auto& sum = rows.back();
        sum.planCapacity += day.planCapacity;
        sum.usedLoad += day.usedLoad;
        sum.load += day.load;
        sum.suggestedLoad += day.suggestedLoad;
        if (day.sugStartDate) sum.sugStartDate = day.sugStartDate;
        if (day.sugFinishedDate) sum.sugFinishedDate = day.sugFinishedDate;
        if (day.revDate) sum.revDate = day.revDate;
    }
    for (auto& row : rows) row.Balance();
    return rows;
}

ResultSet CapacityPlanner::ToResultSet(const std::vector<DayLoad>& rows)
{
    ResultSet result;
    result.columns = {{"billdate", FieldType::DateTime},
                      {"plancapacity", FieldType::Float},
                      {"usedload", FieldType::Float},
                      {"load", FieldType::Float},
                      {"factcapacity", FieldType::Float},
                      {"overplus", FieldType::Float},
                      {"excess", FieldType::Float},
                      {"sugstartdate", FieldType::DateTime},
                      {"sugfinisheddate", FieldType::DateTime},
                      {"revdate", FieldType::DateTime}};
    for (const auto& day : rows) {
        std::vector<Variant> row{day.date,         day.planCapacity, day.usedLoad, day.load,
                                 day.factCapacity, day.overplus,     day.excess};
        Add(row, day.sugStartDate);
        Add(row, day.sugFinishedDate);
        Add(row, day.revDate);
        result.rows.push_back(std::move(row));
    }
    return result;
}

}  // namespace mfg
