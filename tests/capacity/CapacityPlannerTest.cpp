#include <gtest/gtest.h>

#include <fmt/format.h>

#include "CapacityPlanner.h"
#include "host/Format.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

DateTime D(int y, int m, int d)
{
    return DateTime::FromYmd(y, m, d);
}

//! One workshop of 8 hours a day on the demo calendar (today Sunday 2026-12-06) and one audited
//! BOM of 10 hours per 2 products plus 2 hours of preparation.
class CapacityPlannerTest : public test::DemoHostTest {
protected:
    CapacityPlannerTest()
    {
        planner.SetMasterData({{99, "T99", "测试车间", "", 1, 8, 0, 0, true}}, {{501, 2, 10, 2}}, WorkDays::Load());
    }

    static PlannedGoods Goods(double quantity, DateTime start, DateTime revDate)
    {
        PlannedGoods goods;
        goods.selected = true;
        goods.goodsId = 501;
        goods.goodsCode = "T-501";
        goods.goodsName = "测试品";
        goods.quantity = quantity;
        goods.startWorkDate = start;
        goods.revDate = revDate;
        return goods;
    }

    void Order(int id, DateTime plan, DateTime finish, double quantity, double finished, double useTime)
    {
        host.SqlExecute(
            fmt::format("insert into MNF_MANUORDER (BillID, BillState, BillDate, WorkShopID, GoodsID, PlanDate, "
                        "FinishedDate, Quantity, FinishedQty, UseTime, Closed) values ({}, 1, '2026-11-01', 99, "
                        "501, '{}', '{}', {}, {}, {}, 0)",
                        id, plan.ToIsoString(), finish.ToIsoString(), quantity, finished, useTime));
    }

    //! date plan used load fact overplus excess [start finish rev] of each row, rounded for reading.
    static std::string Describe(const std::vector<DayLoad>& rows)
    {
        auto date = [](const std::optional<DateTime>& d) { return d ? d->Format(" mm-dd") : std::string(" -"); };
        std::string text;
        for (const auto& row : rows)
            text += fmt::format("{} {:g} {:g} {:g} {:g} {:g} {:g}{}{}{}\n", row.date.Format("mm-dd"), row.planCapacity,
                                RoundToEx(row.usedLoad, 4), RoundToEx(row.load, 4), RoundToEx(row.factCapacity, 4),
                                RoundToEx(row.overplus, 4), RoundToEx(row.excess, 4), date(row.sugStartDate),
                                date(row.sugFinishedDate), date(row.revDate));
        return text;
    }

    CapacityPlanner planner;
};

TEST_F(CapacityPlannerTest, LoadSpreadsOverWorkingDaysAcrossNewYearAndGroupsByWeekAndMonth)
{
    // 4 products: 4 / 2 x 10 + 2 = 22 hours over Dec 28..31, Jan 4, 5 (Jan 1 a holiday, then a weekend).
    ASSERT_FALSE(planner.Calculate({Goods(4, D(2026, 12, 28), D(2027, 1, 5))}));
    // The suggestion fills capacity forward from today: 8 + 8 + 6 hours.
    EXPECT_EQ(Describe(planner.Result(CapacityPeriod::Day)),
              "12-07 8 0 0 0 8 0 12-07 - -\n"
              "12-08 8 0 0 0 8 0 - - -\n"
              "12-09 8 0 0 0 8 0 - 12-09 01-05\n"
              "12-28 8 0 3.6667 3.6667 4.3333 0 - - -\n"
              "12-29 8 0 3.6667 3.6667 4.3333 0 - - -\n"
              "12-30 8 0 3.6667 3.6667 4.3333 0 - - -\n"
              "12-31 8 0 3.6667 3.6667 4.3333 0 - - -\n"
              "01-04 8 0 3.6667 3.6667 4.3333 0 - - -\n"
              "01-05 8 0 3.6667 3.6667 4.3333 0 - - -\n");
    EXPECT_NEAR(planner.DayRecords().at(D(2026, 12, 9)).suggestedLoad, 6, 1e-9);
    // Weeks run Sunday to Saturday and sit on their last working day: Friday 12-11, Thursday 12-31
    // (Friday is New Year), Friday 01-08.
    EXPECT_EQ(Describe(planner.Result(CapacityPeriod::Week)),
              "12-11 24 0 0 0 24 0 12-07 12-09 01-05\n"
              "12-31 32 0 14.6667 14.6667 17.3333 0 - - -\n"
              "01-08 16 0 7.3333 7.3333 8.6667 0 - - -\n");
    EXPECT_EQ(Describe(planner.Result(CapacityPeriod::Month)),
              "12-31 56 0 14.6667 14.6667 41.3333 0 12-07 12-09 01-05\n"
              "01-29 16 0 7.3333 7.3333 8.6667 0 - - -\n");
    // Regrouping leaves the day records as they were.
    EXPECT_EQ(planner.Result(CapacityPeriod::Day).size(), 9u);
}

TEST_F(CapacityPlannerTest, OpenOrdersTakeCapacityFirstAndTheEarlierProductGetsTheEarlierDays)
{
    Order(9101, D(2026, 12, 7), D(2026, 12, 9), 10, 4, 30);   // 6 left of 30 h per 10: 6 h a day for 3 days
    Order(9102, D(2026, 11, 20), D(2026, 11, 25), 5, 0, 10);  // wholly past: 10 h on the last working day before today
    host.SqlExecute(
        "insert into MNF_MANUORDER (BillID, BillState, BillDate, WorkShopID, GoodsID, PlanDate, FinishedDate, "
        "Quantity, FinishedQty, UseTime, Closed) values (9103, 1, '2026-11-01', 99, 501, '2026-12-07', "
        "'2026-12-09', 10, 10, 30, 0), (9104, 0, '2026-11-01', 99, 501, '2026-12-07', '2026-12-09', 10, 0, "
        "30, 0), (9105, 1, '2026-11-01', 1, 501, '2026-12-07', '2026-12-09', 10, 0, 30, 0)");
    auto first = Goods(2, D(2026, 12, 7), D(2026, 12, 8));   // 12 h, 6 a day
    auto second = Goods(1, D(2026, 12, 7), D(2026, 12, 8));  // 7 h
    ASSERT_FALSE(planner.Calculate({second, first}));        // same start and delivery: grid order decides
    EXPECT_EQ(Describe(planner.Result(CapacityPeriod::Day)),
              "12-04 8 10 0 10 0 2 - - -\n"
              "12-07 8 6 9.5 15.5 0 7.5 12-07 - -\n"
              "12-08 8 6 9.5 15.5 0 7.5 - - -\n"
              "12-09 8 6 0 6 2 0 - - -\n"
              "12-10 8 0 0 0 8 0 12-10 12-10 12-08\n"
              "12-11 8 0 0 0 8 0 - 12-11 12-08\n");
}

TEST_F(CapacityPlannerTest, ValidationStopsAtTheFirstFailureWithItsField)
{
    auto issue = planner.Calculate({});
    ASSERT_TRUE(issue);
    EXPECT_EQ(issue->message, "请选择货品!");

    auto noDate = Goods(1, D(2026, 12, 7), D(2026, 12, 8));
    noDate.revDate.reset();
    auto late = Goods(1, D(2026, 12, 9), D(2026, 12, 8));
    auto unknown = Goods(1, D(2026, 12, 7), D(2026, 12, 8));
    unknown.goodsId = 777;
    auto none = Goods(0, D(2026, 12, 7), D(2026, 12, 8));
    auto unticked = late;
    unticked.selected = false;
    issue = planner.Calculate({unticked, late, noDate});
    EXPECT_EQ(issue->message, "开工日期不可大于发货日期!");
    EXPECT_EQ(issue->row, 1);
    EXPECT_EQ(issue->field, "startworkdate");
    EXPECT_EQ(planner.Calculate({noDate})->field, "revdate");
    EXPECT_EQ(planner.Calculate({none})->message, "数量不可小于等于零!");
    EXPECT_EQ(planner.Calculate({unknown})->message, "测试品 货品没有设置BOM清单或BOM清单没有审核!");
    EXPECT_FALSE(planner.TotalUseTime(unknown));
    EXPECT_EQ(planner.TotalUseTime(Goods(3, D(2026, 12, 7), D(2026, 12, 8))), 17.0);

    // 640 products need 3202 hours: more than 365 days of 8 hours, and no result.
    issue = planner.Calculate({Goods(640, D(2026, 12, 7), D(2026, 12, 8))});
    EXPECT_EQ(issue->message, "选择生产的货品[测试品]所需生产日大于365天，请减少生产数量!");
    EXPECT_TRUE(planner.DayRecords().empty());

    planner.Workshops()[0].selected = false;
    issue = planner.Calculate({Goods(1, D(2026, 12, 7), D(2026, 12, 8))});
    EXPECT_TRUE(issue->focusWorkshops);
    EXPECT_FALSE(issue->error);
    planner.SetMasterData({}, {}, {});
    EXPECT_TRUE(planner.Calculate({})->error);
}

TEST_F(CapacityPlannerTest, TheDemoWorkshopsAndBomTimes)
{
    planner.LoadMasterData();
    EXPECT_EQ(planner.Workshops().size(), 5u);
    EXPECT_DOUBLE_EQ(planner.DailyCapacity(), 502);
    for (auto& shop : planner.Workshops()) shop.selected = shop.code == "CJ02";
    EXPECT_DOUBLE_EQ(planner.DailyCapacity(), 91);  // 2 machines x 8 h + 10 workers x 7.5 h
    const BomTime* time = planner.FindBomTime(1);
    ASSERT_NE(time, nullptr);
    EXPECT_DOUBLE_EQ(time->useTime, 2.5);
    EXPECT_EQ(planner.FindBomTime(3), nullptr);  // its BOM is not audited
    auto rows = CapacityPlanner::ToResultSet(planner.Result(CapacityPeriod::Day));
    EXPECT_EQ(rows.columns.size(), 10u);
    EXPECT_EQ(rows.columns[0].name, "billdate");
}

TEST_F(CapacityPlannerTest, SalesOrderLinesDueInTheRangeBothEndsIncluded)
{
    auto lines = CapacityPlanner::SalesOrderLines(D(2026, 12, 25), D(2026, 12, 28), D(2026, 12, 7));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].billCode, "XS-2026-12-01-0001");
    EXPECT_EQ(lines[1].itemNo, 2);
    EXPECT_EQ(lines[1].quantity, 50);
    EXPECT_EQ(*lines[1].revDate, D(2026, 12, 28));
    EXPECT_EQ(*lines[1].startWorkDate, D(2026, 12, 7));
    EXPECT_TRUE(lines[1].selected);
    // The unaudited order of 2027-01-20 is not offered.
    EXPECT_EQ(CapacityPlanner::SalesOrderLines(D(2027, 1, 16), D(2027, 1, 31), D(2026, 12, 7)).size(), 0u);
}

}  // namespace
}  // namespace mfg
