// Hand-checked runs on small factories: every figure below was worked out on paper.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "MrpFactory.h"

namespace mfg::test {
namespace {

const DateTime Today = DateTime::FromYmd(2026, 12, 6);  // a Sunday

using MrpEngineTest = MrpFactoryTest;

TEST_F(MrpEngineTest, StockAboveSafetyStockCoversPartOfTheDemand)
{
    TwoLevels({.kind = 2, .stock = 10, .safety = 2});
    ASSERT_TRUE(Run({Plan(1, 15, Day(2026, 12, 10))}));
    EXPECT_DOUBLE_EQ(Bucket(1, Today).netqty, -8);
    EXPECT_DOUBLE_EQ(Bucket(1, Day(2026, 12, 10)).netqty, 7);
    DataSet suggestions;
    engine.FillManufactureSuggestions(suggestions);
    ASSERT_EQ(suggestions.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(suggestions.FieldByName("sugqty").AsFloat(), 7);
    EXPECT_EQ(suggestions.FieldByName("finisheddate").AsDateTime(), Day(2026, 12, 10));
    // The planned order of 7, not the gross 15, is what the component needs.
    EXPECT_DOUBLE_EQ(Bucket(2, Day(2026, 12, 10)).gross, 7);
}

TEST_F(MrpEngineTest, ASurplusCarriesIntoTheNextNeedAndOnlyTheRiseIsSuggested)
{
    TwoLevels({.kind = 2, .stock = 8});
    ASSERT_TRUE(Run({Plan(1, 5, Day(2026, 12, 8)), Plan(1, 5, Day(2026, 12, 11), "MPS1", 2)}));
    EXPECT_DOUBLE_EQ(Bucket(1, Day(2026, 12, 8)).netqty, -3);
    EXPECT_DOUBLE_EQ(Bucket(1, Day(2026, 12, 11)).netqty, 2);
    DataSet suggestions;
    engine.FillManufactureSuggestions(suggestions);
    ASSERT_EQ(suggestions.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(suggestions.FieldByName("sugqty").AsFloat(), 2);
    EXPECT_EQ(suggestions.FieldByName("finisheddate").AsDateTime(), Day(2026, 12, 11));
}

TEST_F(MrpEngineTest, AComponentAtTwoDepthsIsNettedOnceAfterBothParents)
{
    Goods({.id = 1, .kind = 3});
    Goods({.id = 2, .kind = 2});
    Goods({.id = 3, .kind = 1});
    Bom(1, 2, 1);
    Bom(2, 3, 2);
    Bom(1, 3, 1);
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 18))}));
    DataSet gross;
    engine.FillGrossTable(gross);
    std::vector<std::tuple<int, int, double>> rows;
    for (gross.First(); !gross.Eof(); gross.Next())
        rows.emplace_back(gross.FieldByName("class").AsInteger(), gross.FieldByName("goodsid").AsInteger(),
                          gross.FieldByName("quantity").AsFloat());
    EXPECT_EQ(rows, (std::vector<std::tuple<int, int, double>>{{0, 1, 10}, {1, 2, 10}, {2, 3, 30}}));
    EXPECT_EQ(engine.FindNetRecord(3)->level, 2);
    EXPECT_DOUBLE_EQ(Bucket(3, Day(2026, 12, 18)).gross, 30);
    ASSERT_EQ(engine.FindNetRecord(3)->sources.at(Day(2026, 12, 18)).size(), 2u);
}

TEST_F(MrpEngineTest, LeadTimeSkipsWeekendsAndHolidaysAndNeverFallsBeforeToday)
{
    WorkCalendar(Day(2026, 11, 1), Day(2027, 3, 31), {Day(2026, 12, 25)});
    Goods({.id = 1, .kind = 2, .leadTime = 5});
    Goods({.id = 2, .kind = 1});
    Goods({.id = 3, .kind = 2});
    Goods({.id = 4, .kind = 1});
    Bom(1, 2, 1);
    Bom(3, 4, 1);
    ASSERT_TRUE(Run({Plan(1, 1, Day(2026, 12, 14)), Plan(3, 1, Day(2026, 12, 25)), Plan(1, 1, Day(2026, 12, 8))}));
    std::vector<DateTime> componentDates;
    for (const auto& node : engine.grossNodes)
        if (node.level == 1) componentDates.push_back(node.needDate);
    EXPECT_EQ(componentDates, (std::vector<DateTime>{Day(2026, 12, 7), Day(2026, 12, 24), Today}));
    EXPECT_EQ(engine.OffsetWorkDays(Day(2027, 6, 1), 0, false), Day(2027, 3, 31));
    EXPECT_EQ(engine.OffsetWorkDays(Day(2026, 1, 1), 3, false), Day(2026, 11, 2));
}

TEST_F(MrpEngineTest, ANegativeLeadTimePlansAsNoneAndIsNamedInTheWarnings)
{
    Goods({.id = 1, .kind = 2, .leadTime = -100000});
    Goods({.id = 2, .kind = 1});
    Goods({.id = 3, .kind = 2, .leadTime = -5});
    Goods({.id = 4, .kind = 1});
    Bom(1, 2, 1);
    Bom(3, 4, 1);
    const DateTime due = Day(2026, 12, 16);  // a Wednesday
    ASSERT_TRUE(Run({Plan(1, 2, due), Plan(3, 3, due, "MPS1", 2)}));
    for (const auto& node : engine.grossNodes) EXPECT_EQ(node.needDate, due) << "goods " << node.goodsid;
    EXPECT_DOUBLE_EQ(Bucket(2, due).gross, 2);
    EXPECT_DOUBLE_EQ(Bucket(4, due).gross, 3);
    DataSet manufacture;
    engine.FillManufactureSuggestions(manufacture);
    ASSERT_EQ(manufacture.RecordCount(), 2);
    for (manufacture.First(); !manufacture.Eof(); manufacture.Next())
        EXPECT_EQ(manufacture.FieldByName("startdate").AsDateTime(), due);
    const std::vector<std::string> named{"货品 G1 的提前期 -100000 小于零, 按 0 天计算",
                                         "货品 G3 的提前期 -5 小于零, 按 0 天计算"};
    auto sorted = [](std::vector<std::string> texts) {
        std::sort(texts.begin(), texts.end());
        return texts;
    };
    EXPECT_EQ(sorted(engine.warnings), named);
    const auto plan = engine.planLines;
    ASSERT_TRUE(engine.Calculate(plan, {}, MrpDefaultOptions));
    EXPECT_EQ(sorted(engine.warnings), named) << "every run after the load names them";

    // Counts from anywhere stay on the calendar, whichever way they point.
    EXPECT_EQ(engine.OffsetWorkDays(due, -100000, false), Day(2027, 3, 31));
    EXPECT_EQ(engine.OffsetWorkDays(due, std::numeric_limits<int>::min(), false), Day(2027, 3, 31));
    EXPECT_EQ(engine.OffsetWorkDays(due, std::numeric_limits<int>::max(), false), Day(2026, 11, 2));
    EXPECT_EQ(engine.OffsetWorkDays(due, -2, false), Day(2026, 12, 18));
}

TEST_F(MrpEngineTest, ABoughtGoodsDemandedBesideAMadeOneIsPlannedWithItsStock)
{
    TwoLevels({.kind = 3});
    Goods({.id = 5, .kind = 1, .stock = 30});
    Goods({.id = 6, .kind = 9});  // a virtual item without a BOM: nothing to plan
    Goods({.id = 7, .kind = 1, .stock = 1});
    Goods({.id = 8, .kind = 9});  // a virtual item with a BOM passes its demand on
    Bom(8, 5, 1);
    SqlExecute("update l_goods set IsMrp = 0 where GoodsID = 7");
    const DateTime due = Day(2026, 12, 10);
    ASSERT_TRUE(Run({Plan(1, 10, due), Plan(5, 50, due, "MPS1", 2), Plan(6, 1, due, "MPS1", 3),
                     Plan(7, 4, due, "MPS1", 4), Plan(8, 5, due, "MPS1", 5)}));
    EXPECT_DOUBLE_EQ(Bucket(5, Today).onhand, 30);
    EXPECT_DOUBLE_EQ(Bucket(5, due).netqty, 25);
    EXPECT_DOUBLE_EQ(Bucket(7, Today).onhand, 1);
    EXPECT_EQ(PurchaseQuantities(0), (std::vector<std::pair<int, double>>{{2, 10}, {5, 25}}));
    EXPECT_EQ(engine.warnings,
              (std::vector<std::string>{
                  "需求货品 G6 没有可供MRP运算的货品资料 (类别为 1 至 3 且有基本计量单位), 其需求未能计算",
                  "需求货品 G7 不参与MRP运算, 其需求没有生成建议"}));
}

TEST_F(MrpEngineTest, WasteIsCarriedBesideTheQuantityButPlannedOrdersIncludeIt)
{
    Goods({.id = 1, .kind = 3});
    Goods({.id = 2, .kind = 2});
    Goods({.id = 3, .kind = 1});
    Bom(1, 2, 2, 10);
    Bom(2, 3, 3);
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 18))}));
    ASSERT_EQ(engine.grossNodes.size(), 3u);
    EXPECT_DOUBLE_EQ(engine.grossNodes[1].quantity, 20);
    EXPECT_DOUBLE_EQ(engine.grossNodes[1].wasteQty, 2);
    EXPECT_DOUBLE_EQ(engine.grossNodes[2].quantity, 60);
    EXPECT_DOUBLE_EQ(engine.grossNodes[2].wasteQty, 0);
    EXPECT_DOUBLE_EQ(Bucket(2, Day(2026, 12, 18)).netqty, 22);
    EXPECT_DOUBLE_EQ(Bucket(3, Day(2026, 12, 18)).gross, 66);
}

TEST_F(MrpEngineTest, SafetyStockAndReservationsAreDemandOnToday)
{
    TwoLevels({.kind = 2}, {.stock = 20, .safety = 4, .used = 3});
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 9))}));
    MrpBucket today = Bucket(2, Today);
    EXPECT_DOUBLE_EQ(today.onhand, 20);
    EXPECT_DOUBLE_EQ(today.safeqty, 4);
    EXPECT_DOUBLE_EQ(today.usedqty, 3);
    EXPECT_DOUBLE_EQ(today.netqty, -13);
    EXPECT_DOUBLE_EQ(Bucket(2, Day(2026, 12, 9)).netqty, -3);
}

TEST_F(MrpEngineTest, OverdueOrdersCountOnTodayOnlyWithTheirOptions)
{
    TwoLevels({.kind = 2});
    PurchaseOrder(2, 5, Day(2026, 12, 4));
    PurchaseOrder(2, 7, Day(2026, 12, 8));
    SalesOrder(2, 2, Day(2026, 12, 3));
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 9))}));
    EXPECT_DOUBLE_EQ(Bucket(2, Today).overpurchaseqty, 0);
    EXPECT_DOUBLE_EQ(Bucket(2, Day(2026, 12, 8)).purchaseqty, 7);
    EXPECT_DOUBLE_EQ(Bucket(2, Today).oversaleqty, 0);

    const auto plan = engine.planLines;
    ASSERT_TRUE(engine.Calculate(plan, {}, MrpDefaultOptions | optOverPOrder | optSaleQty | optOverSOrder));
    EXPECT_DOUBLE_EQ(Bucket(2, Today).overpurchaseqty, 5);
    EXPECT_DOUBLE_EQ(Bucket(2, Today).oversaleqty, 2);
    EXPECT_DOUBLE_EQ(Bucket(2, Day(2026, 12, 9)).netqty, 10 - 5 - 7 + 2);
}

TEST_F(MrpEngineTest, ScheduleLinesFromSalesOrdersReplaceTheOpenOrderQuantity)
{
    TwoLevels({.kind = 2});
    SalesOrder(1, 6, Day(2026, 12, 9));
    MrpLine fromOrder = Plan(1, 4, Day(2026, 12, 9), "SO1");
    fromOrder.billtype = 12;
    fromOrder.shopid = 1;
    ASSERT_TRUE(Run({fromOrder}, MrpDefaultOptions | optSaleQty, {fromOrder}));
    EXPECT_DOUBLE_EQ(Bucket(1, Day(2026, 12, 9)).saleqty, 2);
    EXPECT_DOUBLE_EQ(Bucket(1, Day(2026, 12, 9)).netqty, 6);
}

TEST_F(MrpEngineTest, PurchaseLotsRoundToTheMinimumAndWholeIncrements)
{
    for (int id : {1, 2, 5}) Goods({.id = id, .kind = 3});
    for (int id : {11, 12, 13}) {
        Goods({.id = id, .kind = 1, .minimum = 100, .increment = 30, .price = 2});
        Bom(1, id, 1);
    }
    Bom(2, 12, 1);
    Bom(5, 13, 1);
    ASSERT_TRUE(Run({Plan(1, 40, Day(2026, 12, 8)), Plan(1, 30, Day(2026, 12, 10), "MPS1", 2),
                     Plan(2, 91, Day(2026, 12, 8)), Plan(5, 90, Day(2026, 12, 8))}));
    // 11 needs 40, then 70 by the 10th: the surplus 60 of the first lot covers the rise.
    using Rows = std::vector<std::pair<int, double>>;
    EXPECT_EQ(PurchaseQuantities(MrpLotMinimum | MrpLotIncrement),
              (Rows{{11, 100}, {12, 160}, {12, 100}, {13, 130}, {13, 100}}));
    EXPECT_EQ(PurchaseQuantities(MrpLotIncrement),
              (Rows{{11, 40}, {11, 30}, {12, 131}, {12, 30}, {13, 130}, {13, 30}}));
    EXPECT_EQ(PurchaseQuantities(MrpLotMinimum), (Rows{{11, 100}, {12, 131}, {12, 100}, {13, 130}, {13, 100}}));
    DataSet purchase;
    engine.FillPurchaseSuggestions(purchase, MrpLotMinimum | MrpLotIncrement);
    ASSERT_TRUE(purchase.Locate("goodsid", {12}));
    EXPECT_DOUBLE_EQ(purchase.FieldByName("netqty").AsFloat(), 131);
    EXPECT_DOUBLE_EQ(purchase.FieldByName("amount").AsFloat(), 320);
}

TEST_F(MrpEngineTest, ASubstituteCoversTheShortageAtItsRate)
{
    Goods({.id = 1, .kind = 2});
    Goods({.id = 3, .kind = 1});
    Goods({.id = 4, .kind = 1, .stock = 10});
    Bom(1, 3, 1);
    Substitute(1, 3, 4, 2);
    ASSERT_TRUE(Run({Plan(1, 8, Day(2026, 12, 10))}));
    MrpBucket component = Bucket(3, Day(2026, 12, 10));
    EXPECT_DOUBLE_EQ(component.subqty, 5);
    EXPECT_DOUBLE_EQ(component.netqty, 3);
    MrpBucket substitute = Bucket(4, Day(2026, 12, 10));
    EXPECT_DOUBLE_EQ(substitute.subqty, -10);
    EXPECT_DOUBLE_EQ(substitute.netqty, 0);
    EXPECT_DOUBLE_EQ(engine.FindNetRecord(3)->sources.at(Day(2026, 12, 10)).front().substitutedQty, 5);
    ASSERT_EQ(engine.substituteUse.at(4).size(), 1u);
    EXPECT_DOUBLE_EQ(engine.substituteUse.at(4).front().quantity, 10);
}

TEST_F(MrpEngineTest, PegLinesLeadBackToTheScheduleLine)
{
    Goods({.id = 1, .kind = 3});
    Goods({.id = 2, .kind = 2});
    Goods({.id = 3, .kind = 1});
    Bom(1, 2, 2);
    Bom(2, 3, 1);
    ASSERT_TRUE(Run({Plan(1, 5, Day(2026, 12, 10), "MPS7", 3)}));
    const auto& pegs = engine.FindNetRecord(3)->sources.at(Day(2026, 12, 10));
    ASSERT_EQ(pegs.size(), 1u);
    EXPECT_EQ(pegs[0].goodsid, 2);
    EXPECT_EQ(pegs[0].billcode, "MPS7");
    EXPECT_EQ(pegs[0].itemno, 3);
    EXPECT_DOUBLE_EQ(pegs[0].quantity, 10);
    EXPECT_DOUBLE_EQ(pegs[0].lineQty, 5);
}

TEST_F(MrpEngineTest, NetTableGroupsWeeksAndMonthsOnTheirLastWorkingDay)
{
    TwoLevels({.kind = 2, .stock = 3});
    ASSERT_TRUE(Run({Plan(1, 5, Day(2026, 12, 8)), Plan(1, 4, Day(2026, 12, 10), "MPS1", 2),
                     Plan(1, 2, Day(2027, 1, 5), "MPS1", 3)}));
    auto rows = [&](int period) {
        DataSet net;
        engine.FillNetTable(net, period);
        std::vector<std::tuple<int, std::string, double, double>> result;
        for (net.First(); !net.Eof(); net.Next())
            if (net.FieldByName("goodsid").AsInteger() == 1)
                result.emplace_back(net.FieldByName("class").AsInteger(), net.FieldByName("needdate").AsString(),
                                    net.FieldByName("gross").AsFloat(), net.FieldByName("netqty").AsFloat());
        return result;
    };
    using Rows = std::vector<std::tuple<int, std::string, double, double>>;
    EXPECT_EQ(rows(1), (Rows{{0, "", 0, 0},
                             {0, "2026-12-06", 0, -3},
                             {0, "2026-12-08", 5, 2},
                             {0, "2026-12-10", 4, 6},
                             {0, "2027-01-05", 2, 8}}));
    // Sunday the 6th belongs to the week that ends on Friday the 11th.
    EXPECT_EQ(rows(2), (Rows{{0, "", 0, 0}, {0, "2026-12-11", 9, 6}, {0, "2027-01-08", 2, 8}}));
    EXPECT_EQ(rows(4), (Rows{{0, "", 0, 0}, {0, "2026-12-31", 9, 6}, {0, "2027-01-29", 2, 8}}));
}

TEST_F(MrpEngineTest, AComponentWithNothingBookedGetsNoNetRows)
{
    TwoLevels({.kind = 2, .stock = 100});
    ASSERT_TRUE(Run({Plan(1, 5, Day(2026, 12, 8))}));
    ASSERT_NE(engine.FindNetRecord(2), nullptr);
    DataSet net;
    engine.FillNetTable(net, 1);
    EXPECT_FALSE(net.Locate("goodsid", {2}));
    EXPECT_TRUE(net.Locate("goodsid", {1}));
}

TEST_F(MrpEngineTest, ACycleWrittenBehindTheEditorsBackStopsTheRunNamingThePath)
{
    Goods({.id = 1, .kind = 3});
    Goods({.id = 2, .kind = 2});
    Goods({.id = 3, .kind = 2});
    Bom(1, 2, 1);
    Bom(2, 3, 1);
    Bom(3, 2, 1);
    EXPECT_FALSE(Run({Plan(1, 5, Day(2026, 12, 10))}));
    ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u);
    EXPECT_NE(dialogs.Texts(MessageKind::Error)[0].find("G1 → G2 → G3 → G2"), std::string::npos);
    EXPECT_TRUE(engine.grossNodes.empty());
    EXPECT_TRUE(engine.netRecords.empty());
    TreeItems tree;
    engine.FillGoodsTree(tree);
    EXPECT_EQ(tree.TopLevelCount(), 0);
}

TEST_F(MrpEngineTest, LoadStopsWithoutCalendarOrAuditedBom)
{
    Goods({.id = 1, .kind = 3});
    Goods({.id = 2, .kind = 1});
    Bom(1, 2, 1, 0, 0);
    // An unaudited BOM reaches no component: only the demanded goods itself is loaded.
    EXPECT_FALSE(engine.Load(true, false, "'1'"));
    EXPECT_TRUE(dialogs.WasShown("没有已审核的BOM清单! 无法进行MRP运算. 请先定义BOM清单."));
    EXPECT_FALSE(engine.Load(true, false, "'99'"));
    EXPECT_TRUE(dialogs.WasShown("没有货品基本信息或者仓库信息! 无法进行MRP运算. 请先定义货品基本信息或者仓库信息."));
    SqlExecute("delete from mnf_calendar");
    EXPECT_FALSE(engine.Load(true, false, "'1'"));
    EXPECT_TRUE(dialogs.WasShown("还没有定义工作日历, 无法进行MRP运算. 请先定义工作日历."));
    EXPECT_FALSE(engine.loaded);
    EXPECT_FALSE(engine.Calculate({Plan(1, 1, Day(2026, 12, 10))}, {}, MrpDefaultOptions));
    EXPECT_TRUE(engine.grossNodes.empty());
}

TEST_F(MrpEngineTest, GoodsTreeShowsBomQuantitiesOfTheMergedDemand)
{
    Goods({.id = 1, .kind = 3});
    Goods({.id = 2, .kind = 2});
    Goods({.id = 3, .kind = 1});
    Bom(1, 2, 2, 50);
    Bom(2, 3, 1.5);
    ASSERT_TRUE(Run({Plan(1, 2, Day(2026, 12, 10)), Plan(1, 3, Day(2026, 12, 11), "MPS1", 2)}));
    TreeItems tree;
    engine.FillGoodsTree(tree);
    ASSERT_EQ(tree.TopLevelCount(), 1);
    EXPECT_EQ(tree.TopLevel(0).Text(), "货品编号:G1,货品名称:货品1,毛需求:5.0000");
    EXPECT_EQ(tree.TopLevel(0).Child(0).Child(0).Text(), "货品编号:G3,货品名称:货品3,毛需求:15.0000");
}

}  // namespace
}  // namespace mfg::test
