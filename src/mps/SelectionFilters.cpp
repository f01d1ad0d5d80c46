#include "SelectionFilters.h"

#include <fmt/format.h>

#include "host/Dialogs.h"
#include "types/TextUtil.h"

namespace mfg {

const char* const kPlanListSql =
    "select 0 as selected, m.billid, m.billdate, m.billcode, m.finishdate, \n"
    "m.goodsid, m.quantity, m.releasedqty, m.closed, m.frozen, m.referbillid,\n"
    "g.name as goodsname, g.code as goodscode, g.specs, \n"
    "u.unitname as unitname\n"
    "from mnf_manuplan m \n"
    "join l_goods g on m.goodsid=g.goodsid\n"
    "join l_goodsunit u on (m.goodsid=u.goodsid and u.isbase=1)\n"
    "where m.closed=0 and billstate = 1";

const char* const kUnreleasedPlanCondition = " and (m.quantity > m.releasedqty) and (m.frozen=0 or m.frozen is null)";

const char* const kSalesOrderListSql =
    "select 0 as selected, m.billid, d.itemno, m.billdate, m.billcode, m.shopid, d.chargedate as revdate, "
    "s.name as shopname,\n"
    "d.goodsid, d.quantity, d.referqty, d.closed, d.remark, m.traderid, t.name as tradername,\n"
    "d.releasedqty,\n"
    "d.releasedqty as refunitqty,\n"
    "g.name as goodsname, g.code as goodscode, g.specs,u.unitname as unitname,\n"
    "d.quantity-d.releasedqty as canuseqty\n"
    "from s_orderdetail d\n"
    "join s_order m on d.billid=m.billid\n"
    "join l_goods g on d.goodsid=g.goodsid\n"
    "join l_trader t on m.traderid=t.traderid\n"
    "join l_goodsunit u on (d.goodsid=u.goodsid and u.isbase=1)\n"
    "join d_shop s on m.shopid=s.shopid\n"
    "where d.closed=0  and billstate = 1 \n"
    "and g.closed=0 and g.Kind>1 and g.Kind <4";

namespace {

std::string DateConditions(DateTime begDate, DateTime endDate)
{
    return fmt::format(" and m.billdate>='{}' and m.billdate<='{}'", begDate.Format("yyyy-mm-dd"),
                       endDate.Format("yyyy-mm-dd"));
}

}  // namespace

std::pair<DateTime, DateTime> MonthRange(DateTime date)
{
    DateTime first = DateTime::FromYmd(date.Year(), date.Month(), 1);
    return {first, first.AddMonths(1).AddDays(-1)};
}

std::string PlanListConditions(const PlanFilter& filter, int shopId)
{
    std::string sql = DateConditions(filter.begDate, filter.endDate);
    if (!filter.includeReleased) sql += kUnreleasedPlanCondition;
    if (filter.goodsId && *filter.goodsId >= 0) sql += fmt::format(" and m.goodsid={}", *filter.goodsId);
    return sql + fmt::format(" and m.ShopID={}", shopId);
}

std::string SalesOrderListConditions(const SalesOrderFilter& filter, int shopId)
{
    std::string sql = DateConditions(filter.begDate, filter.endDate);
    if (filter.traderId) sql += fmt::format(" and m.traderID={}", *filter.traderId);
    if (filter.goodsId && *filter.goodsId >= 0) sql += fmt::format(" and d.goodsid={}", *filter.goodsId);
    if (!filter.allShops) sql += fmt::format(" and m.ShopID={}", shopId);
    if (!filter.includeReleased) sql += " and (d.quantity > d.releasedqty) and (d.frozen=0 or d.frozen is null)";
    std::string_view code = Trim(filter.billCode);
    if (!code.empty()) sql += " and m.BillCode like " + QuoteSql("%" + std::string(code) + "%");
    return sql;
}

std::string CustomerFilter(bool allShops, int shopId)
{
    std::string c = " and Closed = 0 and TraderID > 0";
    if (!allShops) c += fmt::format(" and ShopID = {}", shopId);
    return "(IsVendor = 0" + c + ") or (acctrader = 1" + c + ")";
}

bool CheckFilterDates(DateTime begDate, DateTime endDate)
{
    if (begDate.Date() <= endDate.Date()) return true;
    ShowMessageBox("起始日期不能大于终止日期!");
    return false;
}

}  // namespace mfg
