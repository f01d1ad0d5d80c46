#pragma once
// A small factory written in the test, and one engine run over it.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <fmt/format.h>

#include "MrpEngine.h"
#include "TestDatabase.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace mfg::test {

//! Figures of one goods of a test factory.
struct GoodsSpec {
    int id = 0;
    int kind = 1;
    int leadTime = 0;
    double stock = 0;
    double safety = 0;
    double used = 0;
    double minimum = 0;
    double increment = 0;
    double price = 0;
};

//! An empty schema with today fixed (Sunday 2026-12-06), branch 1, one store the MRP may use and
//! a Monday-to-Friday calendar from November 2026 to March 2027, plus builders for goods, BOM
//! links, substitutes and open documents. Goods codes are "G" and the id.
class MrpFactoryTest : public ::testing::Test {
public:
    MrpFactoryTest() : MrpFactoryTest(OpenTestDatabase(false)) {}

    //! The same factory on a database of the caller's choice (an empty schema, today fixed).
    explicit MrpFactoryTest(std::unique_ptr<Connection> db)
        : host(std::move(db)), scope(host), dialogs(host.SetDialogs(std::make_unique<ScriptedDialogs>()))
    {
        host.SetToday(TestToday());
        host.SetShopID(1);
        host.SetUser(1, "管理员");
        SqlExecute("insert into l_store (StoreID, Code, Name, ShopID, mrpcanuse) values (1, '01', '原料仓', 1, 1)");
        WorkCalendar(DateTime::FromYmd(2026, 11, 1), DateTime::FromYmd(2027, 3, 31));
    }

    //! Writes the calendar between two dates, weekends and the given holidays off.
    void WorkCalendar(DateTime from, DateTime to, const std::vector<DateTime>& holidays = {})
    {
        SqlExecute("delete from mnf_calendar");
        int sequence = 0;
        std::string rows;
        for (DateTime day = from; day <= to; day = day.AddDays(1)) {
            bool off = day.DayOfWeek() == 1 || day.DayOfWeek() == 7 ||
                       std::find(holidays.begin(), holidays.end(), day) != holidays.end();
            if (!off) ++sequence;
            rows += fmt::format("{}('{}', {}, {})", rows.empty() ? "" : ",", day.ToIsoString(), off ? 1 : 0, sequence);
        }
        SqlExecute("insert into mnf_calendar (workdate, isholiday, sequence) values " + rows);
    }

    void Goods(const GoodsSpec& g)
    {
        SqlExecute(fmt::format("insert into l_goods (GoodsID, Code, Name, Kind, IsMrp, MinPurchaseQty, OrderAddQty, "
                               "LeadTime) values ({0}, 'G{0}', '货品{0}', {1}, 1, {2}, {3}, {4})",
                               g.id, g.kind, g.minimum, g.increment, g.leadTime));
        SqlExecute(fmt::format("insert into l_goodsunit (UnitID, GoodsID, UnitName, Rate, IsBase, PPrice) values "
                               "({0}, {0}, '个', 1, 1, {1})",
                               g.id, g.price));
        SqlExecute(fmt::format("insert into aa_onhand (StoreID, GoodsID, Quantity, RealQty, DownQty, UsedQty) values "
                               "(1, {}, {}, {}, {}, {})",
                               g.id, g.stock, g.stock, g.safety, g.used));
    }

    //! Made goods 1 of `made.kind` over purchased goods 2 (one per parent).
    void TwoLevels(GoodsSpec made, GoodsSpec bought = {})
    {
        made.id = 1;
        bought.id = 2;
        bought.kind = 1;
        Goods(made);
        Goods(bought);
        Bom(1, 2, 1);
    }

    //! An audited BOM line; waste in percent.
    void Bom(int parent, int component, double quantity, double wastePercent = 0, int state = 1)
    {
        SqlExecute(fmt::format("insert into l_goodsbom (GoodsID, ElemGID, ItemNo, Quantity, WasteRate, State) values "
                               "({}, {}, {}, {}, {}, {})",
                               parent, component, ++bomItem, quantity, wastePercent, state));
    }

    void Substitute(int parent, int component, int substitute, double rate)
    {
        SqlExecute(fmt::format("insert into l_goodsbomsub (GoodsID, ElemGID, GoodsItemNO, SubGoodsID, Rate) values "
                               "({}, {}, 1, {}, {})",
                               parent, component, substitute, rate));
    }

    //! An open purchase order line of branch 1.
    void PurchaseOrder(int goods, double quantity, DateTime date, int billState = 1)
    {
        int bill = ++billId;
        SqlExecute(fmt::format("insert into p_order (BillID, BillCode, BillDate, ShopID, BillState, Closed) values "
                               "({0}, 'PO{0}', '{1}', 1, {2}, 0)",
                               bill, date.ToIsoString(), billState));
        SqlExecute(fmt::format("insert into p_orderdetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, "
                               "ReferQty, Closed, ChargeDate) values ({}, 1, {}, {}, {}, {}, 0, 0, '{}')",
                               bill, goods, goods, quantity, quantity, date.ToIsoString()));
    }

    //! An open sales order line of branch 1.
    void SalesOrder(int goods, double quantity, DateTime date)
    {
        int bill = ++billId;
        SqlExecute(fmt::format("insert into s_order (BillID, BillCode, BillDate, ShopID, BillState, Closed) values "
                               "({0}, 'SO{0}', '{1}', 1, 1, 0)",
                               bill, date.ToIsoString()));
        SqlExecute(fmt::format("insert into s_orderdetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, "
                               "ReferQty, Closed, ChargeDate) values ({}, 1, {}, {}, {}, {}, 0, 0, '{}')",
                               bill, goods, goods, quantity, quantity, date.ToIsoString()));
    }

    //! An open audited manufacture order of branch 1.
    void ManufactureOrder(int goods, double quantity, DateTime date)
    {
        SqlExecute(fmt::format("insert into mnf_manuorder (BillID, BillCode, BillDate, GoodsID, ShopID, BillState, "
                               "BillKind, FinishedDate, Quantity, FinishedQty, Closed) values ({0}, 'MO{0}', '2026-12-01', "
                               "{1}, 1, 1, 1, '{2}', {3}, 0, 0)",
                               ++billId, goods, date.ToIsoString(), quantity));
    }

    //! A demand line of a schedule line (bill type 43).
    static MrpLine Plan(int goods, double quantity, DateTime date, std::string code = "MPS1", int itemno = 1)
    {
        MrpLine line;
        line.goodsid = goods;
        line.quantity = quantity;
        line.date = date;
        line.billtype = 43;
        line.billid = 1;
        line.itemno = itemno;
        line.billcode = std::move(code);
        line.planqty = quantity;
        return line;
    }

    //! Loads with real stock and audited documents and calculates; the scope is the plan's goods.
    bool Run(const std::vector<MrpLine>& plan, std::uint32_t options = MrpDefaultOptions,
             const std::vector<MrpLine>& orders = {})
    {
        std::string scope;
        for (const auto& line : plan) scope += (scope.empty() ? "" : ",") + std::to_string(line.goodsid);
        if (!engine.Load(true, false, "'" + scope + "'")) return false;
        return engine.Calculate(plan, orders, options);
    }

    //! The bucket of a goods at a date; a zero bucket when there is none.
    MrpBucket Bucket(int goods, DateTime date) const
    {
        const MrpNetRecord* record = engine.FindNetRecord(goods);
        if (!record) return {};
        auto it = record->buckets.find(date);
        return it == record->buckets.end() ? MrpBucket{} : it->second;
    }

    //! (goods, suggested quantity) of each purchase suggestion sized by `lotFlags`, in row order.
    std::vector<std::pair<int, double>> PurchaseQuantities(unsigned lotFlags)
    {
        DataSet purchase;
        engine.FillPurchaseSuggestions(purchase, lotFlags);
        std::vector<std::pair<int, double>> rows;
        for (purchase.First(); !purchase.Eof(); purchase.Next())
            rows.emplace_back(purchase.FieldByName("goodsid").AsInteger(), purchase.FieldByName("sugqty").AsFloat());
        return rows;
    }

    static DateTime Day(int year, int month, int day) { return DateTime::FromYmd(year, month, day); }

    Host host;
    CurrentHostScope scope;
    ScriptedDialogs& dialogs;
    MrpEngine engine;
    int bomItem = 0;
    int billId = 0;
};

}  // namespace mfg::test
