// Properties of runs on random small factories.
#include <gtest/gtest.h>
#include <rapidcheck.h>
#include <rapidcheck/gtest.h>

#include "Database.h"
#include "MrpFactory.h"

namespace mfg::test {
namespace {

//! A random factory: goods 1-3 made, 4-8 bought, links only from lower to higher ids (no cycle),
//! random stock, lots, lead times, substitutes and purchase orders, and a random plan.
struct RandomFactory {
    std::vector<GoodsSpec> goods;
    std::vector<std::tuple<int, int, double, double>> links;
    std::vector<std::tuple<int, int, int>> substitutes;
    std::vector<std::tuple<int, double, int>> purchases;
    std::vector<std::tuple<int, double, int>> plan;
};

//! What a factory holds besides goods and purchases: open sales orders, manufacture orders with a
//! component still to draw, cash accounts, and receivables and payables falling due. Dates are
//! days from today.
struct RandomDocuments {
    std::vector<std::tuple<int, double, int>> sales;
    std::vector<std::tuple<int, double, int, int, double>>
        manufacture;                                       // made goods, quantity, date, component, open qty
    std::vector<std::pair<double, double>> accounts;       // balance, least balance
    std::vector<std::tuple<int, double, double>> charges;  // date, amount, paid
    std::vector<std::tuple<int, double, double>> pays;
};

rc::Gen<RandomFactory> GenFactory()
{
    return rc::gen::exec([] {
        RandomFactory f;
        for (int id = 1; id <= 8; ++id) {
            GoodsSpec g;
            g.id = id;
            g.kind = id <= 3 ? 2 : 1;
            g.leadTime = *rc::gen::inRange(0, 4);
            g.stock = *rc::gen::inRange(0, 30);
            g.safety = *rc::gen::inRange(0, 5);
            g.minimum = *rc::gen::inRange(0, 40);
            g.increment = *rc::gen::inRange(0, 15);
            g.price = 1;
            f.goods.push_back(g);
        }
        for (int parent = 1; parent <= 3; ++parent)
            for (int child = parent + 1; child <= 8; ++child)
                if (*rc::gen::inRange(0, 3) == 0 || child == parent + 1)
                    f.links.emplace_back(parent, child, *rc::gen::inRange(1, 4), *rc::gen::element(0.0, 5.0, 10.0));
        auto [parent, child, q, w] = f.links.back();
        f.substitutes.emplace_back(parent, child, child < 8 ? child + 1 : 4);
        for (int i = *rc::gen::inRange(0, 4); i > 0; --i)
            f.purchases.emplace_back(*rc::gen::inRange(4, 9), *rc::gen::inRange(1, 20), *rc::gen::inRange(-3, 20));
        for (int i = *rc::gen::inRange(1, 5); i > 0; --i)
            f.plan.emplace_back(*rc::gen::inRange(1, 4), *rc::gen::inRange(1, 50), *rc::gen::inRange(0, 30));
        return f;
    });
}

rc::Gen<RandomDocuments> GenDocuments()
{
    return rc::gen::exec([] {
        RandomDocuments d;
        auto dues = [] {
            std::vector<std::tuple<int, double, double>> lines;
            for (int i = *rc::gen::inRange(0, 4); i > 0; --i) {
                const double amount = *rc::gen::inRange(1, 500);
                lines.emplace_back(*rc::gen::inRange(-5, 60), amount, *rc::gen::element(0.0, amount / 2, amount));
            }
            return lines;
        };
        for (int i = *rc::gen::inRange(0, 4); i > 0; --i)
            d.sales.emplace_back(*rc::gen::inRange(1, 9), *rc::gen::inRange(1, 20) * 0.5, *rc::gen::inRange(-3, 30));
        for (int i = *rc::gen::inRange(0, 3); i > 0; --i)
            d.manufacture.emplace_back(*rc::gen::inRange(1, 4), *rc::gen::inRange(1, 20), *rc::gen::inRange(-2, 20),
                                       *rc::gen::inRange(4, 9), *rc::gen::inRange(1, 10) * 0.25);
        for (int i = *rc::gen::inRange(1, 3); i > 0; --i)
            d.accounts.emplace_back(*rc::gen::inRange(0, 2000), *rc::gen::inRange(0, 200));
        d.charges = dues();
        d.pays = dues();
        return d;
    });
}

class MrpPropertyFactory : public MrpFactoryTest {
public:
    void TestBody() override {}

    explicit MrpPropertyFactory(const RandomFactory& f) { Build(f); }

    MrpPropertyFactory(const RandomFactory& f, const RandomDocuments& d, std::unique_ptr<Connection> db)
        : MrpFactoryTest(std::move(db))
    {
        Build(f);
        for (const auto& [g, q, offset] : d.sales) SalesOrder(g, q, TestToday().Date().AddDays(offset));
        for (const auto& [g, q, offset, component, open] : d.manufacture) {
            ManufactureOrder(g, q, TestToday().Date().AddDays(offset));
            SqlExecute(
                fmt::format("insert into mnf_manuorderdetail (BillID, ItemNo, GoodsID, Quantity, ReferQty) values "
                            "({}, 1, {}, {}, 0)",
                            billId, component, open));
        }
        SqlExecute("insert into L_SysParam (ParamName, ParamValue) values ('IsBand', '1')");
        int account = 0;
        for (const auto& [balance, least] : d.accounts) {
            ++account;
            SqlExecute(
                fmt::format("insert into ac_account (AccountID, Code, Name, ShopID, IsCash, Balance, DownAmt) values "
                            "({0}, '0{0}', '账户{0}', 1, {1}, {2}, {3})",
                            account, account % 2, balance, least));
        }
        Dues("ac_duecharge", d.charges);
        Dues("ac_duepay", d.pays);
    }

    std::vector<MrpLine> lines;

private:
    void Build(const RandomFactory& f)
    {
        for (const auto& g : f.goods) Goods(g);
        for (const auto& [p, c, q, w] : f.links) Bom(p, c, q, w);
        for (const auto& [p, c, s] : f.substitutes) Substitute(p, c, s, 1.5);
        for (const auto& [g, q, offset] : f.purchases) PurchaseOrder(g, q, TestToday().Date().AddDays(offset));
        int item = 0;
        for (const auto& [g, q, offset] : f.plan)
            lines.push_back(Plan(g, q, TestToday().Date().AddDays(offset), "MPS", ++item));
    }

    void Dues(const std::string& table, const std::vector<std::tuple<int, double, double>>& dues)
    {
        int item = 0;
        for (const auto& [offset, amount, paid] : dues)
            SqlExecute(
                fmt::format("insert into {} (BillID, ItemNo, ShopID, PayDate, Amount, PaidAmt, Closed) values "
                            "(1, {}, 1, '{}', {}, {}, 0)",
                            table, ++item, TestToday().Date().AddDays(offset).ToIsoString(), amount, paid));
    }
};

//! A float as two backends must agree on it: to nine significant digits, so that a sum taken in
//! another order is no difference.
std::string Agreed(double value)
{
    return fmt::format("{:.9g}", value);
}

//! The rows of a result as plain texts, for comparing runs; `agreed` shows floats as Agreed does.
std::vector<std::vector<std::string>> Rows(DataSet& dataSet, bool agreed = false)
{
    std::vector<std::vector<std::string>> rows;
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        auto& row = rows.emplace_back();
        for (int i = 0; i < dataSet.FieldCount(); ++i) {
            const Field& field = dataSet.FieldByIndex(i);
            const bool rounded = agreed && field.DataType() == FieldType::Float && !field.IsNull();
            row.push_back(rounded ? Agreed(field.AsFloat()) : field.AsString());
        }
    }
    return rows;
}

RC_GTEST_PROP(MrpProperties, SuggestionsArePositiveRespectLotsAndCoverEveryNetRequirement, ())
{
    const RandomFactory f = *GenFactory();
    MrpPropertyFactory factory(f);
    const unsigned lotFlags = *rc::gen::inRange(0u, 4u);
    RC_ASSERT(factory.Run(factory.lines));
    DataSet manufacture, purchase;
    factory.engine.FillManufactureSuggestions(manufacture);
    factory.engine.FillPurchaseSuggestions(purchase, lotFlags);
    std::map<int, double> suggested;
    for (DataSet* dataSet : {&manufacture, &purchase})
        for (dataSet->First(); !dataSet->Eof(); dataSet->Next()) {
            const double quantity = dataSet->FieldByName("sugqty").AsFloat();
            RC_ASSERT(quantity > 0);
            suggested[static_cast<int>(dataSet->FieldByName("goodsid").AsInteger())] += quantity;
        }
    for (purchase.First(); !purchase.Eof(); purchase.Next()) {
        const double quantity = purchase.FieldByName("sugqty").AsFloat();
        const double minimum = purchase.FieldByName("minOrderQty").AsFloat();
        if (lotFlags & MrpLotMinimum) RC_ASSERT(quantity >= minimum - 1e-9);
        const double increment = purchase.FieldByName("incOrderQty").AsFloat();
        if (lotFlags == (MrpLotMinimum | MrpLotIncrement) && increment > 0 && quantity > minimum + 1e-9) {
            const double steps = (quantity - minimum) / increment;
            RC_ASSERT(std::abs(steps - std::round(steps)) < 1e-6);
        }
    }
    // What is suggested over the horizon covers the largest net requirement of every goods.
    for (const auto& record : factory.engine.netRecords) {
        double peak = 0;
        for (const auto& [date, bucket] : record.buckets) peak = std::max(peak, bucket.netqty);
        RC_ASSERT(suggested[record.goodsid] >= peak - 1e-6);
    }
}

RC_GTEST_PROP(MrpProperties, TwoRunsOfOneFactoryGiveTheSameResults, ())
{
    const RandomFactory f = *GenFactory();
    const std::uint32_t options = *rc::gen::inRange(0u, 0x10000u);
    MrpPropertyFactory factory(f);
    auto results = [&] {
        RC_ASSERT(factory.Run(factory.lines, options));
        DataSet net, manufacture, purchase;
        factory.engine.FillNetTable(net, 1);
        factory.engine.FillManufactureSuggestions(manufacture);
        factory.engine.FillPurchaseSuggestions(purchase, MrpLotMinimum | MrpLotIncrement);
        return std::vector{Rows(net), Rows(manufacture), Rows(purchase)};
    };
    const auto first = results();
    RC_ASSERT(first == results());
}

//! What Load read, one text per record: goods by id, BOM links by parent in load order,
//! substitutes, open document lines and funds lines in load order.
std::vector<std::string> Loaded(const MrpEngine& engine)
{
    std::vector<std::string> lines;
    const std::map<std::int32_t, MrpGoodsRecord> goods(engine.goods.begin(), engine.goods.end());
    for (const auto& [id, g] : goods)
        lines.push_back(fmt::format("goods {} {} {} {} {} {} {} {} {} {} {} {}", id, Agreed(g.onhand),
                                    Agreed(g.safeQty), Agreed(g.usedQty), Agreed(g.manuOrderQty),
                                    Agreed(g.minPurchaseQty), Agreed(g.orderAddQty), g.leadTime, g.traderId, g.isMrp,
                                    g.kind, Agreed(g.pprice)));
    const std::map<std::int32_t, std::vector<MrpBomLink>> bom(engine.bom.begin(), engine.bom.end());
    for (const auto& [parent, links] : bom)
        for (const auto& link : links)
            lines.push_back(fmt::format("bom {} {} {} {}", parent, link.elemgid, Agreed(link.qty), Agreed(link.rate)));
    for (const auto& [key, substitutes] : engine.substitutes)
        for (const auto& substitute : substitutes)
            lines.push_back(
                fmt::format("sub {} {} {} {}", key.first, key.second, substitute.subgoodsid, Agreed(substitute.rate)));
    auto documents = [&](std::string_view kind, const std::vector<MrpLine>& documentLines) {
        for (const auto& line : documentLines)
            lines.push_back(
                fmt::format("{} {} {} {}", kind, line.goodsid, line.date.ToIsoString(), Agreed(line.quantity)));
    };
    documents("purchase", engine.purchaseOrders);
    documents("sales", engine.salesOrders);
    documents("manufacture", engine.manufactureOrders);
    documents("request", engine.distributionRequests);
    documents("distribution", engine.distributions);
    documents("prequest", engine.purchaseRequests);
    for (const auto& f : engine.fundsLines)
        lines.push_back(fmt::format("funds {} {} {} {} {}", f.date.ToIsoString(), Agreed(f.stock), Agreed(f.storelower),
                                    Agreed(f.calccharge), Agreed(f.calcpay)));
    return lines;
}

//! One run over a factory: what Load read, then every result of the workbench.
std::vector<std::vector<std::vector<std::string>>> RunAndFill(MrpPropertyFactory& factory, std::uint32_t options)
{
    RC_ASSERT(factory.Run(factory.lines, options));
    std::vector<std::vector<std::string>> loaded;
    for (auto& line : Loaded(factory.engine)) loaded.push_back({std::move(line)});
    DataSet gross, net, weekly, manufacture, purchase, budget;
    factory.engine.FillGrossTable(gross);
    factory.engine.FillNetTable(net, 1);
    factory.engine.FillNetTable(weekly, 2);
    factory.engine.FillManufactureSuggestions(manufacture);
    factory.engine.FillPurchaseSuggestions(purchase, MrpLotMinimum | MrpLotIncrement);
    factory.engine.FillFundsProjection(purchase, budget, 1, 10);
    return {loaded,
            Rows(gross, true),
            Rows(net, true),
            Rows(weekly, true),
            Rows(manufacture, true),
            Rows(purchase, true),
            Rows(budget, true)};
}

// The load's routines of PostgreSQL (scope, component quantities of manufacture orders, account
// balances, dues) against their SQLite counterparts: one random factory written to both.
TEST(MrpProperties, ResultsAreIdenticalOnSqliteAndPostgres)
{
    if (!OnPostgres()) GTEST_SKIP() << "needs the PostgreSQL server of the postgres run";
    EXPECT_TRUE(rc::check([] {
        const RandomFactory f = *GenFactory();
        const RandomDocuments d = *GenDocuments();
        const std::uint32_t options = *rc::gen::inRange(0u, 0x10000u);
        auto onSqlite = [&] {
            auto db = OpenDatabase(":memory:");
            db->SetClock(TestToday);
            InstallSchema(*db);
            MrpPropertyFactory factory(f, d, std::move(db));
            return RunAndFill(factory, options);
        }();
        MrpPropertyFactory onPostgres(f, d, OpenTestDatabase(false));
        RC_ASSERT(RunAndFill(onPostgres, options) == onSqlite);
    }));
}

}  // namespace
}  // namespace mfg::test

namespace mfg::test {
namespace {

//! OffsetWorkDays as its steps read: a walk over the calendar from its first entry.
DateTime WalkWorkDays(const std::vector<DateTime>& calendar, DateTime today, DateTime date, int days,
                      bool notBeforeToday)
{
    std::size_t last = 0;
    for (std::size_t i = 0; i < calendar.size() && calendar[i] <= date; ++i) last = i;
    std::size_t index = last >= static_cast<std::size_t>(days) ? last - days : 0;
    return notBeforeToday ? std::max(calendar[index], today) : calendar[index];
}

RC_GTEST_PROP(MrpProperties, BisectedWorkDayOffsetAgreesWithTheWalkOverTheCalendar, ())
{
    MrpEngine engine;
    const auto gaps = *rc::gen::nonEmpty(rc::gen::container<std::vector<int>>(rc::gen::inRange(1, 5)));
    DateTime day = DateTime::FromYmd(2026, 11, 2);
    for (int gap : gaps) engine.calendar.push_back(day = day.AddDays(gap));
    engine.today = DateTime::FromYmd(2026, 11, 2).AddDays(*rc::gen::inRange(0, 60));
    const DateTime date = DateTime::FromYmd(2026, 11, 2).AddDays(*rc::gen::inRange(-5, 120) + 0.75);
    const int days = *rc::gen::inRange(0, 20);
    const bool notBeforeToday = *rc::gen::arbitrary<bool>();
    RC_ASSERT(engine.OffsetWorkDays(date, days, notBeforeToday) ==
              WalkWorkDays(engine.calendar, engine.today, date.Date(), days, notBeforeToday));
}

}  // namespace
}  // namespace mfg::test
