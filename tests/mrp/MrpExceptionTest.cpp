// Exception messages on the smallest factory that shows each kind; every figure worked out on paper
// over a Monday-to-Friday calendar with today Sunday 2026-12-06.
#include <gtest/gtest.h>

#include "MrpExceptions.h"
#include "MrpFactory.h"

namespace mfg::test {
namespace {

const DateTime Today = DateTime::FromYmd(2026, 12, 6);

class MrpExceptionTest : public MrpFactoryTest {
protected:
    //! Made goods 1 over bought goods 2, which has stock enough for any case here unless told.
    void MadeOverBought(GoodsSpec made = {}, GoodsSpec bought = {.stock = 100})
    {
        made.kind = 2;
        TwoLevels(made, bought);
    }

    std::vector<MrpException> Messages(MrpExceptionThresholds thresholds = {}) const
    {
        return FindMrpExceptions(engine, engine.ReadReceiptDocuments(), thresholds);
    }

    //! kind, goods, date, quantity of each message.
    static std::vector<std::tuple<std::string_view, int, DateTime, double>> Summary(
        const std::vector<MrpException>& all)
    {
        std::vector<std::tuple<std::string_view, int, DateTime, double>> rows;
        for (const auto& m : all) rows.emplace_back(MrpExceptionCaption(m.kind), m.goodsid, m.date, m.quantity);
        return rows;
    }
};

using Rows = std::vector<std::tuple<std::string_view, int, DateTime, double>>;

TEST_F(MrpExceptionTest, ARunWithoutAnyConditionSaysNothing)
{
    MadeOverBought({.stock = 2, .safety = 1});
    ManufactureOrder(1, 4, Day(2026, 12, 10));
    ASSERT_TRUE(Run({Plan(1, 5, Day(2026, 12, 10))}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MrpExceptionTest, AReceiptAfterAShortageIsToComeEarlierUnlessWithinTheThreshold)
{
    MadeOverBought();
    ManufactureOrder(1, 10, Day(2026, 12, 14));  // Monday; the suggestion of 10 is on Thursday the 10th
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 10))}));
    const auto messages = Messages();
    EXPECT_EQ(Summary(messages), (Rows{{"提前", 1, Day(2026, 12, 10), 10}}));
    EXPECT_EQ(messages[0].billname, "生产加工单");
    EXPECT_EQ(messages[0].billcode, "MO1");
    // Two working days (Friday, Monday) early: named above one day, not above two.
    EXPECT_EQ(Messages({.earlyDays = 1}).size(), 1u);
    EXPECT_TRUE(Messages({.earlyDays = 2}).empty());
}

TEST_F(MrpExceptionTest, AReceiptBeforeItsNeedIsToComeLaterAndOneNeverNeededToBeCancelled)
{
    MadeOverBought({.stock = 0});
    ManufactureOrder(1, 10, Day(2026, 12, 8));  // needed on Friday the 11th: three working days later
    PurchaseOrder(2, 5, Day(2026, 12, 9));      // goods 2 has stock for everything
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 11))}));
    const auto messages = Messages();
    EXPECT_EQ(Summary(messages), (Rows{{"推迟", 1, Day(2026, 12, 11), 10}, {"取消", 2, Day(2026, 12, 9), 5}}));
    EXPECT_EQ(messages[1].billname, "采购订单");
    EXPECT_EQ(messages[1].billcode, "PO2");
    EXPECT_EQ(messages[1].itemno, 1);
    EXPECT_EQ(Summary(Messages({.lateDays = 3})), (Rows{{"取消", 2, Day(2026, 12, 9), 5}}));
}

TEST_F(MrpExceptionTest, OfTwoReceiptsWhereOneIsEnoughTheLaterIsCancelledAndEachNamesItsOrder)
{
    MadeOverBought({.stock = 0});
    ManufactureOrder(1, 10, Day(2026, 12, 9));
    ManufactureOrder(1, 10, Day(2026, 12, 10));
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 11))}));
    const auto messages = Messages();
    EXPECT_EQ(Summary(messages), (Rows{{"取消", 1, Day(2026, 12, 10), 10}, {"推迟", 1, Day(2026, 12, 11), 10}}));
    EXPECT_EQ(messages[0].billcode, "MO2");
    EXPECT_EQ(messages[1].billcode, "MO1");
}

TEST_F(MrpExceptionTest, DemandDatedBeforeTodayIsNamedWithItsDocumentAndItsLateStart)
{
    MadeOverBought();
    ASSERT_TRUE(Run({Plan(1, 5, Day(2026, 12, 1), "MPS7", 3)}));
    const auto messages = Messages();
    EXPECT_EQ(Summary(messages), (Rows{{"过期需求", 1, Day(2026, 12, 1), 5}, {"提前期不足", 1, Day(2026, 12, 1), 5}}));
    EXPECT_EQ(messages[0].billname, "主生产计划");
    EXPECT_EQ(messages[0].billcode, "MPS7");
    EXPECT_EQ(messages[0].itemno, 3);
}

TEST_F(MrpExceptionTest, ALeadTimeLongerThanTheTimeLeftIsNamedOnlyWhenLeadTimesCount)
{
    MadeOverBought({.leadTime = 5});
    // Five working days before Wednesday the 9th is Wednesday the 2nd, before today.
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 9), "MPS2", 1)}));
    const auto messages = Messages();
    EXPECT_EQ(Summary(messages), (Rows{{"提前期不足", 1, Day(2026, 12, 9), 10}}));
    EXPECT_EQ(messages[0].billcode, "MPS2");
    EXPECT_NE(messages[0].text.find("2026-12-02"), std::string::npos);
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 9))}, MrpDefaultOptions & ~optAhead));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MrpExceptionTest, StockLeftBelowSafetyStockWhenSafetyStockIsNotPlanned)
{
    MadeOverBought({}, {.stock = 3, .safety = 5});
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 10))}));
    EXPECT_TRUE(Messages().empty());  // the suggestion of 12 restores the safety stock
    ASSERT_TRUE(Run({Plan(1, 10, Day(2026, 12, 10))}, MrpDefaultOptions & ~optSafeQty));
    EXPECT_EQ(Summary(Messages()), (Rows{{"低于安全库存", 2, Today, 2}}));
}

TEST_F(MrpExceptionTest, DemandOfUnknownGoodsOrOfMadeGoodsWithoutBomIsUnplanned)
{
    MadeOverBought();
    Goods({.id = 3, .kind = 2});
    Bom(1, 3, 2);
    ASSERT_TRUE(Run({Plan(1, 4, Day(2026, 12, 10)), Plan(9, 1, Day(2026, 12, 11), "MPS9", 2)}));
    const auto messages = Messages();
    EXPECT_EQ(Summary(messages), (Rows{{"未计划", 3, Day(2026, 12, 10), 8}, {"未计划", 9, Day(2026, 12, 11), 1}}));
    EXPECT_EQ(messages[1].billcode, "MPS9");
}

}  // namespace
}  // namespace mfg::test
