// Reading what one run needs, one set-based query per kind of data.
#include <algorithm>
#include <exception>
#include <string>
#include <tuple>

#include <fmt/format.h>

#include "MrpEngine.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/Host.h"

namespace mfg {

namespace {

const char* const ScopeDropSql = "if exists(select * from sysobjects where name = 't_goodsid') drop table t_goodsid";

std::string GoodsSql(const std::string& stockColumn, const std::string& shop, bool includeUnaudited)
{
    const std::string columns = "g.minpurchaseqty, g.orderaddqty, g.leadtime,\ng.traderid, g.ismrp, g.kind, u.pprice\n";
    const std::string scope = "where g.kind <= 3\n"
                              "and (exists (select * from t_goodsid t where g.goodsid=t.goodsid)\n"
                              "or exists (select * from t_goodsid t1 where g.goodsid=t1.elemgid)) group by g.goodsid, "
                              "g.minpurchaseqty, g.orderaddqty, g.leadtime,\ng.traderid, g.ismrp, g.kind, u.pprice";
    return " if (exists(select 1 from l_store))\nselect m.*,o.manuorderqty from\n(select g.goodsid,\nisnull(sum(o." +
           stockColumn + "),0) qty,\nisnull(sum(o.downqty),0) downqty,\nisnull(sum(o.usedqty),0) usedqty,\n" + columns +
           "from l_goods g\nleft join aa_onhand o on g.goodsid=o.goodsid and exists (select *\nfrom l_store s where "
           "o.storeid = s.storeid and s.mrpcanuse = 1 and s.shopid = " +
           shop + ") join l_goodsunit u on (g.goodsid = u.goodsid and u.isbase = 1)\n" + scope +
           ") m\nleft join getmanuorderqty(:Date," + shop + "," + (includeUnaudited ? "1" : "0") +
           ") o on m.goodsid=o.goodsid\n else\nselect g.goodsid,\n0 qty,\n0 downqty,\n0 usedqty,\n0 manuorderqty,\n" +
           columns + "from l_goods g\njoin l_goodsunit u on (g.goodsid = u.goodsid and u.isbase = 1)\n" + scope;
}

//! Open order lines of a purchase or import order table; `extra` adds columns after the quantity.
std::string OrderSql(const std::string& head, const std::string& detail, const std::string& shop, const std::string& state,
                     const std::string& extra = {})
{
    return "select d.goodsid, d.chargedate as revdate, round((d.unitquantity-d.referqty)*u.rate, 4) quantity" + extra +
           " from " + head + " m join " + detail + " d on m.billid=d.billid\nand m.shopid = " + shop +
           " join l_goodsunit u on d.unitid=u.unitid\nwhere\nd.closed=0 and d.referqty<d.unitquantity and "
           "(m.validdate+1>= getdate() or m.validdate is null)" +
           state;
}

std::string SalesSql(const std::string& head, const std::string& detail, const std::string& shop, const std::string& state)
{
    return "select d.goodsid, d.chargedate as revdate, round((d.unitquantity-d.referqty)*u.rate, 4) quantity\nfrom " +
           head + " m join " + detail + " d on m.billid=d.billid\njoin l_goodsunit u on d.unitid=u.unitid\nwhere "
           "d.closed=0\nand m.shopid = " + shop +
           "and d.referqty<d.unitquantity and (m.validdate+1>= getdate() or m.validdate is null)" + state;
}

//! Open manufacture and outsourcing orders and drawings against manufacture orders, one row each;
//! `manufacture` and `outsourcing` add columns after the quantity of the orders of each table.
std::string ManufactureLinesSql(const std::string& shop, const std::string& state, bool includeUnaudited,
                                const std::string& manufacture = {}, const std::string& outsourcing = {})
{
    const std::string open = "\nand (m.referbilltype is null or (m.referbilltype is not null and m.referbilltype<>12))"
                             "\nand m.finishedqty<m.quantity";
    return "select m.goodsid, m.finisheddate, m.quantity-m.finishedqty as quantity" + manufacture +
           "\nfrom mnf_manuorder m\nwhere m.closed=0" + open + "\nand m.finisheddate>=:Date1\nand m.shopid = " + shop +
           state + " union all select m.goodsid, m.deliverydate as finisheddate, m.quantity-m.finishedqty as quantity" +
           outsourcing + "\nfrom cm_machining m\nwhere\nm.closed=0" + open +
           "\nand m.deliverydate>=:Date2\nand m.shopid = " + shop + state +
           " union all\nselect m.goodsid, m.finisheddate, r.quantity-m.finishedqty" + manufacture +
           " from mnf_manuorder m\njoin "
           "mnf_manuorderdetail d on m.billid=d.billid\njoin i_drawdetail r on (d.billid=r.referbillid and "
           "d.itemno=r.referitemno)\njoin i_draw rm on r.billid=rm.billid\nwhere r.goodsid=m.goodsid\nand "
           "m.billstate=1 and m.billkind=2\nand m.closed=0\nand m.referbillid is null\nand m.finisheddate>=:Date3\nand "
           "m.shopid = " +
           shop + (includeUnaudited ? " and rm.billstate<>2" : " and rm.billstate=1");
}

std::string ManufactureSql(const std::string& shop, const std::string& state, bool includeUnaudited)
{
    return " select u.goodsid, u.finisheddate, sum(quantity) as sumqty\nfrom\n(\n" +
           ManufactureLinesSql(shop, state, includeUnaudited) + " ) u  group by u.goodsid, u.finisheddate";
}

std::string DistributionSql(const std::string& shop, const std::string& state)
{
    const std::string from = "\nfrom d_distribute m, d_distributedetail d, l_goodsunit u\nwhere m.billid=d.billid\nand "
                             "m.closed=0 and d.closed=0\nand d.unitid=u.unitid\nand d.referqty<d.unitquantity and ";
    return "select d.goodsid, m.arrivedate, d.quantity-d.referqty*u.rate as quantity" + from + "m.dstshopid = " + shop +
           state + " union all select d.goodsid, m.arrivedate, -(d.quantity-d.referqty*u.rate) as quantity" + from +
           "m.srcshopid = " + shop + state;
}

//! Reads the rows of a query as document lines: goods, the date without its time, the quantity.
void ReadLines(const std::string& sql, const Params& params, std::string_view dateColumn, std::string_view quantityColumn,
               std::vector<MrpLine>& lines)
{
    lines.clear();
    auto query = CreateAutoQuery(sql, true, params);
    lines.reserve(static_cast<std::size_t>(query->RecordCount()));
    Field& goodsid = query->FieldByName("goodsid");
    Field& date = query->FieldByName(dateColumn);
    Field& quantity = query->FieldByName(quantityColumn);
    for (query->First(); !query->Eof(); query->Next()) {
        MrpLine line;
        line.goodsid = static_cast<std::int32_t>(goodsid.AsInteger());
        line.date = date.AsDateTime().Date();
        line.quantity = quantity.AsFloat();
        lines.push_back(std::move(line));
    }
    // A server returns rows in an order of its own, which a concurrent scan of the same table can
    // change from one run to the next; sums of fractions taken in another order differ in their last
    // digits, so the lines are put in one order whatever the server's.
    std::sort(lines.begin(), lines.end(), [](const MrpLine& a, const MrpLine& b) {
        return std::tie(a.goodsid, a.date, a.quantity) < std::tie(b.goodsid, b.date, b.quantity);
    });
}

}  // namespace

bool MrpEngine::Load(bool realStockArg, bool includeUnauditedArg, const std::string& goodsScope)
{
    includeUnaudited = includeUnauditedArg;
    realStock = realStockArg;
    const std::string state = includeUnaudited ? " and m.billstate<>2" : " and m.billstate=1";
    try {
        Report("load", 0);
        SqlExecute("if exists(select * from sysobjects where name = 't_goodsid') delete t_goodsid \r\n else Create "
                   "table t_goodsid (goodsid int,elemgid int) \r\n insert into t_goodsid exec dbo.getmrpgoodsid " +
                   goodsScope);
        // The goods query looks every goods up in the scope, by parent and by component: without
        // these indexes each lookup scans the whole scope, on either backend.
        SqlExecute("if not exists(select * from sysobjects where name = 'IX_t_goodsid_goodsid') create index "
                   "IX_t_goodsid_goodsid on t_goodsid (goodsid, elemgid)");
        SqlExecute("if not exists(select * from sysobjects where name = 'IX_t_goodsid_elemgid') create index "
                   "IX_t_goodsid_elemgid on t_goodsid (elemgid)");
        try {
            LoadGoods();
            LoadBom();
            LoadSubstitutes();
        } catch (...) {
            SqlExecute(ScopeDropSql);
            throw;
        }
        SqlExecute(ScopeDropSql);
        Report("load", 0.3);
        if (!LoadCalendar()) return false;
        LoadDocuments(state);
        Report("load", 0.8);
        if (LookupSysParam("IsBand") == "1") LoadFunds();
        ReadLines("select d.goodsid, d.ChargeDate, d.quantity-d.referqty*u.rate as quantity\nfrom p_request m, "
                  "p_requestdetail d, l_goodsunit u\nwhere m.billid=d.billid\nand m.closed=0 and d.closed=0\nand "
                  "d.unitid=u.unitid\nand d.referqty<d.unitquantity and m.shopid = " +
                      std::to_string(CurrentHost().ShopID()) + state,
                  {}, "ChargeDate", "quantity", purchaseRequests);
        Report("load", 1);
    } catch (const std::exception& error) {
        ShowError(error);
        return false;
    }
    if (goods.empty()) {
        ShowError("没有货品基本信息或者仓库信息! 无法进行MRP运算. 请先定义货品基本信息或者仓库信息.");
        return false;
    }
    if (bom.empty()) {
        ShowError("没有已审核的BOM清单! 无法进行MRP运算. 请先定义BOM清单.");
        return false;
    }
    loaded = true;
    return true;
}

void MrpEngine::LoadGoods()
{
    goods.clear();
    loadWarnings.clear();
    const std::string shop = std::to_string(CurrentHost().ShopID());
    auto query = CreateAutoQuery(GoodsSql(realStock ? "realqty" : "quantity", shop, includeUnaudited), true,
                                 {{"Date", GetSystemTime().Date()}});
    goods.reserve(static_cast<std::size_t>(query->RecordCount()));
    Field& goodsid = query->FieldByName("goodsid");
    Field& qty = query->FieldByName("qty");
    Field& downqty = query->FieldByName("downqty");
    Field& usedqty = query->FieldByName("usedqty");
    Field& manuorderqty = query->FieldByName("manuorderqty");
    Field& minpurchaseqty = query->FieldByName("minpurchaseqty");
    Field& orderaddqty = query->FieldByName("orderaddqty");
    Field& leadtime = query->FieldByName("leadtime");
    Field& traderid = query->FieldByName("traderid");
    Field& ismrp = query->FieldByName("ismrp");
    Field& kind = query->FieldByName("kind");
    Field& pprice = query->FieldByName("pprice");
    for (query->First(); !query->Eof(); query->Next()) {
        MrpGoodsRecord record;
        record.goodsid = static_cast<std::int32_t>(goodsid.AsInteger());
        record.onhand = qty.AsFloat();
        record.safeQty = downqty.AsFloat();
        record.usedQty = usedqty.AsFloat();
        record.manuOrderQty = manuorderqty.AsFloat();
        record.minPurchaseQty = minpurchaseqty.AsFloat();
        record.orderAddQty = orderaddqty.AsFloat();
        record.leadTime = static_cast<std::int32_t>(leadtime.AsInteger());
        // A lead time below zero would put components after their parent: it plans as none.
        if (record.leadTime < 0) {
            loadWarnings.push_back(
                fmt::format("货品 {} 的提前期 {} 小于零, 按 0 天计算", MrpGoodsCode(record.goodsid), record.leadTime));
            record.leadTime = 0;
        }
        record.traderId = static_cast<std::int32_t>(traderid.AsInteger());
        record.isMrp = ismrp.AsInteger() == 1;
        record.kind = static_cast<std::int16_t>(kind.AsInteger());
        record.pprice = pprice.AsFloat();
        goods[record.goodsid] = record;
    }
}

void MrpEngine::LoadBom()
{
    bom.clear();
    // The explosion walks a parent's components in this order; a grouping alone leaves it to the
    // server (PostgreSQL hashes).
    auto query = CreateAutoQuery("select b.goodsid,b.elemgid,  sum(b.quantity) as qty,sum(b.quantity*b.wasterate)/"
                                 "sum(b.quantity) as rate    from l_goodsbom b join t_goodsid t on (b.goodsid=t.goodsid "
                                 "and b.elemgid=t.elemgid)   where state=1 group by b.goodsid, b.elemgid order by b.goodsid, b.elemgid",
                                 true);
    Field& parent = query->FieldByName("goodsid");
    Field& elemgid = query->FieldByName("elemgid");
    Field& qty = query->FieldByName("qty");
    Field& rate = query->FieldByName("rate");
    for (query->First(); !query->Eof(); query->Next()) {
        auto parentId = static_cast<std::int32_t>(parent.AsInteger());
        MrpBomLink link{static_cast<std::int32_t>(elemgid.AsInteger()), qty.AsFloat(), rate.AsFloat() * 0.01};
        bom[parentId].push_back(link);
    }
}

void MrpEngine::LoadSubstitutes()
{
    substitutes.clear();
    auto query = CreateAutoQuery("select s.* from l_goodsbomsub s join t_goodsid t on s.goodsid=t.goodsid and "
                                 "s.elemgid=t.elemgid  order by s.goodsid, s.elemgid, s.subgoodsid",
                                 true);
    Field& parent = query->FieldByName("GoodsID");
    Field& elemgid = query->FieldByName("ElemgID");
    Field& subgoodsid = query->FieldByName("subgoodsid");
    Field& rate = query->FieldByName("rate");
    for (query->First(); !query->Eof(); query->Next()) {
        auto key = std::make_pair(static_cast<std::int32_t>(parent.AsInteger()), static_cast<std::int32_t>(elemgid.AsInteger()));
        substitutes[key].push_back({static_cast<std::int32_t>(subgoodsid.AsInteger()), rate.AsFloat()});
    }
}

bool MrpEngine::LoadCalendar()
{
    auto query = CreateAutoQuery("select workdate from mnf_calendar where isholiday=0 order by sequence", true);
    if (query->IsEmpty()) {
        ShowError("还没有定义工作日历, 无法进行MRP运算. 请先定义工作日历.");
        return false;
    }
    calendar.clear();
    calendar.reserve(std::max(1000, query->RecordCount()));
    Field& workdate = query->FieldByName("workdate");
    for (query->First(); !query->Eof(); query->Next()) calendar.push_back(workdate.AsDateTime().Date());
    return true;
}

void MrpEngine::LoadDocuments(const std::string& state)
{
    const std::string shop = std::to_string(CurrentHost().ShopID());
    const DateTime now = GetSystemTime().Date();
    ReadLines(OrderSql("p_order", "p_orderdetail", shop, state) + " union " +
                  OrderSql("f_importorder", "f_importorderdetail", shop, state),
              {}, "revdate", "quantity", purchaseOrders);
    ReadLines(SalesSql("s_order", "s_orderdetail", shop, state) + " union\n" +
                  SalesSql("f_exportorder", "f_exportorderdetail", shop, state),
              {}, "revdate", "quantity", salesOrders);
    ReadLines(ManufactureSql(shop, state, includeUnaudited), {{"Date1", now}, {"Date2", now}, {"Date3", now}},
              "finisheddate", "sumqty", manufactureOrders);
    ReadLines("select d.goodsid, m.arrivedate, d.quantity-d.referqty*u.rate as quantity\nfrom d_request m, "
              "d_requestdetail d, l_goodsunit u\nwhere m.billid=d.billid and m.closed=0 and d.closed=0\nand "
              "d.unitid=u.unitid\nand d.referqty<d.unitquantity and m.shopid = " +
                  shop + state,
              {}, "arrivedate", "quantity", distributionRequests);
    ReadLines(DistributionSql(shop, state), {}, "arrivedate", "quantity", distributions);
}

std::vector<MrpReceiptDocument> MrpEngine::ReadReceiptDocuments() const
{
    return ReadReceiptDocuments(CurrentHost().DBStartup(), CurrentHost().ShopID(), includeUnaudited,
                                GetSystemTime().Date());
}

std::vector<MrpReceiptDocument> MrpEngine::ReadReceiptDocuments(Connection& connection, int shopId,
                                                                bool includeUnaudited, DateTime now)
{
    const std::string shop = std::to_string(shopId);
    const std::string state = includeUnaudited ? " and m.billstate<>2" : " and m.billstate=1";
    auto columns = [](const char* name, const char* itemno) {
        return fmt::format(", m.billcode, {} as itemno, '{}' as billname", itemno, name);
    };
    std::vector<MrpReceiptDocument> documents;
    // The rows are read as they come, without a dataset: a large factory has a hundred thousand.
    auto read = [&](const std::string& sql, const Params& params, bool purchase) {
        for (const auto& row : connection.Query(sql, params).rows)
            documents.push_back({static_cast<std::int32_t>(row[0].AsInteger()), row[1].AsDateTime().Date(),
                                 row[2].AsFloat(), row[5].AsString(), row[3].AsString(),
                                 static_cast<std::int32_t>(row[4].AsInteger()), purchase});
    };
    // Columns: goods, date, quantity, then billcode, itemno, billname.
    read(OrderSql("p_order", "p_orderdetail", shop, state, columns("采购订单", "d.itemno")) + " union all " +
             OrderSql("f_importorder", "f_importorderdetail", shop, state, columns("进口订单", "d.itemno")),
         {}, true);
    read(ManufactureLinesSql(shop, state, includeUnaudited, columns("生产加工单", "0"), columns("委托加工单", "0")),
         {{"Date1", now}, {"Date2", now}, {"Date3", now}}, false);
    return documents;
}

void MrpEngine::LoadFunds()
{
    fundsLines.clear();
    wageLines.clear();
    const int shop = CurrentHost().ShopID();
    const DateTime now = GetSystemTime().Date();
    auto balance = CreateAutoQuery("select sum(balance) as amt,sum(downamt) as storelower from  (select "
                                   "dbo.getaccountbalance(accountid) as balance,isnull(downamt,0) downamt     from "
                                   "ac_account where shopid=:ShopID and (iscash=0 or iscash=1)  ) b ",
                                   true, {{"ShopID", shop}});
    for (balance->First(); !balance->Eof(); balance->Next()) {
        MrpFundsLine line;
        line.date = now;
        line.stock = FormatAmount(balance->FieldByName("amt").AsFloat());
        line.storelower = FormatAmount(balance->FieldByName("storelower").AsFloat());
        fundsLines.push_back(line);
    }
    auto readDue = [&](const std::string& function, double MrpFundsLine::*target) {
        auto due = CreateAutoQuery("select paydate as calcdate, amount as amt  from " + function +
                                       "(:ShopID) where paydate>=:PayDate",
                                   true, {{"ShopID", shop}, {"PayDate", now}});
        for (due->First(); !due->Eof(); due->Next()) {
            MrpFundsLine line;
            line.date = due->FieldByName("calcdate").AsDateTime().Date();
            line.*target = FormatAmount(due->FieldByName("amt").AsFloat());
            fundsLines.push_back(line);
        }
    };
    readDue("getduecharge", &MrpFundsLine::calccharge);
    readDue("getduepay", &MrpFundsLine::calcpay);
    const DateTime firstOfMonth = DateTime::FromYmd(now.Year(), now.Month(), 1);
    const DateTime begin = now.Month() == 1 ? DateTime::FromYmd(now.Year() - 1, 12, 1)
                                            : DateTime::FromYmd(now.Year(), now.Month() - 1, 1);
    const DateTime end = now.Month() == 1 ? DateTime::FromYmd(now.Year() - 1, 12, 31) : firstOfMonth.AddDays(-1);
    auto wages = CreateAutoQuery("select billdate,sum(d.payamt) as amt  from aw_monthwagedatam m, aw_monthwagefix d  "
                                 "where m.billid=d.billid and billdate>=:dtBegin and billdate<=:dtEnd and "
                                 "shopid=:ShopID  group by billdate",
                                 true, {{"dtBegin", begin}, {"dtEnd", end}, {"ShopID", shop}});
    for (wages->First(); !wages->Eof(); wages->Next()) {
        MrpFundsLine line;
        line.date = wages->FieldByName("billdate").AsDateTime().Date();
        line.laborage = FormatAmount(wages->FieldByName("amt").AsFloat());
        wageLines.push_back(line);
    }
}

void MrpEngine::Report(std::string_view stage, double fraction) const
{
    if (progress) progress(stage, fraction);
}

}  // namespace mfg
