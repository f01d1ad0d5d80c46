// Every option bit switched off once, in a factory where each one shows.
#include <gtest/gtest.h>

#include <functional>

#include "MrpFactory.h"

namespace mfg::test {
namespace {

const DateTime Today = DateTime::FromYmd(2026, 12, 6);

struct OptionCase {
    std::uint32_t bit;
    std::function<double(const MrpFactoryTest&)> probe;  //!< non-zero with the bit, zero without it
};

class MrpOptionTest : public MrpFactoryTest, public ::testing::WithParamInterface<OptionCase> {
protected:
    //! Finished goods 1 (stock 5, two days' lead) of purchased goods 2 with 10% waste, substitute 4,
    //! and an open document of every kind for goods 2.
    void SetUp() override
    {
        Goods({.id = 1, .kind = 3, .leadTime = 2, .stock = 5});
        Goods({.id = 2, .kind = 1, .stock = 3, .safety = 1, .used = 1});
        Goods({.id = 4, .kind = 1, .stock = 100});
        Bom(1, 2, 1, 10);
        Substitute(1, 2, 4, 1);
        PurchaseOrder(2, 4, Day(2026, 12, 9));
        PurchaseOrder(2, 2, Day(2026, 12, 3));
        SalesOrder(2, 3, Day(2026, 12, 9));
        SalesOrder(2, 1, Day(2026, 12, 2));
        ManufactureOrder(1, 2, Day(2026, 12, 9));
        SqlExecute("insert into mnf_manuorderdetail (BillID, ItemNo, GoodsID, Quantity, ReferQty) values (" +
                   std::to_string(billId) + ", 1, 2, 6, 0)");
        SqlExecute("insert into d_request (BillID, BillDate, BillState, ShopID, ArriveDate, Closed) values "
                   "(1, '2026-12-01', 1, 1, '2026-12-08', 0)");
        SqlExecute("insert into d_requestdetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, ReferQty, "
                   "Closed) values (1, 1, 2, 2, 1.5, 1.5, 0, 0)");
        SqlExecute("insert into d_distribute (BillID, BillDate, BillState, SrcShopID, DstShopID, ArriveDate, Closed) "
                   "values (1, '2026-12-01', 1, 2, 1, '2026-12-08', 0)");
        SqlExecute("insert into d_distributedetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, "
                   "ReferQty, Closed) values (1, 1, 2, 2, 2.5, 2.5, 0, 0)");
        SqlExecute("insert into p_request (BillID, BillDate, BillState, ShopID, Closed) values (1, '2026-12-01', 1, 1, 0)");
        SqlExecute("insert into p_requestdetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, ReferQty, "
                   "Closed, ChargeDate) values (1, 1, 2, 2, 3.5, 3.5, 0, 0, '2026-12-08')");
    }
};

double Sum(const MrpFactoryTest& test, int goods, double MrpBucket::*field)
{
    double total = 0;
    for (const auto& [date, bucket] : test.engine.FindNetRecord(goods)->buckets) total += bucket.*field;
    return total;
}

TEST_P(MrpOptionTest, SwitchingTheOptionOffRemovesItsEffect)
{
    const std::uint32_t all = 0xFFFF;
    ASSERT_TRUE(Run({Plan(1, 20, Day(2026, 12, 10))}, all));
    EXPECT_NE(GetParam().probe(*this), 0);
    const auto plan = engine.planLines;
    ASSERT_TRUE(engine.Calculate(plan, {}, all & ~GetParam().bit));
    EXPECT_EQ(GetParam().probe(*this), 0);
}

double At(const MrpFactoryTest& test, int goods, DateTime date, double MrpBucket::*field)
{
    auto record = test.engine.FindNetRecord(goods);
    auto it = record->buckets.find(date);
    return it == record->buckets.end() ? 0 : it->second.*field;
}

INSTANTIATE_TEST_SUITE_P(
    EveryBit, MrpOptionTest,
    ::testing::Values(
        OptionCase{optOnhand, [](auto& t) { return At(t, 2, Today, &MrpBucket::onhand); }},
        OptionCase{optSafeQty, [](auto& t) { return At(t, 2, Today, &MrpBucket::safeqty); }},
        OptionCase{optWasteQty, [](auto& t) { return Sum(t, 2, &MrpBucket::wasteqty); }},
        OptionCase{optUsedQty, [](auto& t) { return At(t, 2, Today, &MrpBucket::usedqty); }},
        OptionCase{optSaleQty, [](auto& t) { return At(t, 2, DateTime::FromYmd(2026, 12, 9), &MrpBucket::saleqty); }},
        OptionCase{optPurchaseQty, [](auto& t) { return At(t, 2, DateTime::FromYmd(2026, 12, 9), &MrpBucket::purchaseqty); }},
        OptionCase{optManufactureQty,
                   [](auto& t) { return At(t, 1, DateTime::FromYmd(2026, 12, 9), &MrpBucket::manufactureqty); }},
        // Without the lead-time offset the component is due on the finish date itself.
        OptionCase{optAhead, [](auto& t) { return At(t, 2, DateTime::FromYmd(2026, 12, 8), &MrpBucket::gross); }},
        OptionCase{optSub, [](auto& t) { return Sum(t, 2, &MrpBucket::subqty); }},
        OptionCase{optManuOrder, [](auto& t) { return At(t, 2, Today, &MrpBucket::manuorderqty); }},
        OptionCase{optRequest, [](auto& t) { return At(t, 2, DateTime::FromYmd(2026, 12, 8), &MrpBucket::requestqty); }},
        OptionCase{optDistribute,
                   [](auto& t) { return At(t, 2, DateTime::FromYmd(2026, 12, 8), &MrpBucket::distributeqty); }},
        OptionCase{optOverSOrder, [](auto& t) { return At(t, 2, Today, &MrpBucket::oversaleqty); }},
        OptionCase{optOverPOrder, [](auto& t) { return At(t, 2, Today, &MrpBucket::overpurchaseqty); }},
        OptionCase{optProductQty, [](auto& t) { return At(t, 1, Today, &MrpBucket::onhand); }},
        OptionCase{optPrequest, [](auto& t) { return At(t, 2, DateTime::FromYmd(2026, 12, 8), &MrpBucket::prequestqty); }}));

TEST(MrpOptionNames, EveryBitHasItsName)
{
    std::uint32_t all = 0;
    for (auto name : MrpOptionNames()) all |= MrpOptionByName(name);
    EXPECT_EQ(all, 0xFFFFu);
    EXPECT_EQ(MrpOptionByName("optSub"), 0x100u);
    EXPECT_EQ(MrpOptionByName("optNothing"), 0u);
}

}  // namespace
}  // namespace mfg::test
