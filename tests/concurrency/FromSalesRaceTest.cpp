// Planners converting the same sales-order lines into the schedule at the same moment, each with a
// console of its own: every line becomes one schedule line, and a planner who comes second is told
// which line another converted.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include "AtOnce.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

constexpr int kRounds = 20;
constexpr int kExtraLines = 200;

class FromSalesRace : public ::testing::Test {
protected:
    FromSalesRace() : url(CopyOfDemoDatabase(Name())), db(OpenDatabase(url)) {}

    static std::string Name()
    {
        return std::string("race-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    std::vector<std::string> Convert(const std::string& what) const
    {
        return {"--db", url, "--today", "2026-12-06", "mps", "from-sales", what, "--finish", "2026-12-24"};
    }

    std::int64_t Count(const std::string& sql) const { return db->Query(sql).FirstValue().AsInteger(); }

    std::int64_t LinesConvertedTwice() const
    {
        return Count("select count(*) from (select ReferBillID, ReferItemNo from MNF_ManuPlan where ReferBillID is "
                     "not null group by ReferBillID, ReferItemNo having count(*) > 1) twice");
    }

    std::string url;
    std::unique_ptr<Connection> db;
};

TEST_F(FromSalesRace, TwoPlannersConvertingOneLineWriteOneScheduleLineAndTheSecondIsTold)
{
    for (int round = 0; round < kRounds; ++round) {
        db->Execute("delete from MNF_ManuPlan where ReferBillID = 1 and ReferItemNo = 1");
        auto results = RunAtOnce({Convert("XS-2026-12-01-0001:1"), Convert("XS-2026-12-01-0001:1")});
        ASSERT_EQ(Count("select count(*) from MNF_ManuPlan where ReferBillID = 1 and ReferItemNo = 1"), 1)
            << "round " << round << ": " << results[0].err << " | " << results[1].err;
        int winners = 0;
        for (const auto& result : results) {
            if (result.exitCode == 0) {
                ++winners;
                continue;
            }
            // The second either met the line being converted, or listed the orders after the first had.
            bool told = result.err.find("XS-2026-12-01-0001 第 1 行已由其他用户转入主生产计划") != std::string::npos ||
                        result.err.find("XS-2026-12-01-0001:1 不在可转入的销售订单记录中") != std::string::npos;
            EXPECT_TRUE(told) << result.err;
            EXPECT_TRUE(result.out.empty()) << result.out;
        }
        EXPECT_EQ(winners, 1) << "round " << round;
    }
}

TEST_F(FromSalesRace, FourPlannersConvertingEveryLineConvertEachOnce)
{
    for (int item = 10; item < 10 + kExtraLines; ++item)
        db->Execute(fmt::format("insert into S_OrderDetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, "
                                "ReferQty, Closed, MPSREFERED) values (1, {}, {}, 11, 5, 5, 0, 0, 0)",
                                item, item % 2 == 0 ? 1 : 2));
    auto results = RunAtOnce(std::vector<std::vector<std::string>>(4, Convert("--all")));
    for (const auto& result : results) {
        EXPECT_NE(result.exitCode, -1);
        EXPECT_EQ(result.err.find("错误"), std::string::npos) << result.err;
    }
    EXPECT_EQ(LinesConvertedTwice(), 0);
    EXPECT_EQ(Count("select count(*) from S_OrderDetail d where d.BillID = 1 and not exists (select 1 from MNF_ManuPlan "
                    "p where p.ReferBillID = d.BillID and p.ReferItemNo = d.ItemNo)"),
              0)
        << "every line of the order converted";
}

}  // namespace
}  // namespace mfg::test
