// mps from-sales killed with SIGKILL at random moments: each schedule line it wrote marks its
// order line in the same statement, so the next run converts only what is left, and no order line
// ends up converted twice.
#include <gtest/gtest.h>

#include <random>

#include <fmt/format.h>

#include "ConsoleRun.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

constexpr int kExtraLines = 150;

std::int64_t Count(const std::string& url, const std::string& sql)
{
    return OpenDatabase(url)->Query(sql).FirstValue().AsInteger();
}

TEST(FromSalesKilled, ARerunConvertsWhatIsLeftAndNoLineTwice)
{
    const std::string url = CopyOfDemoDatabase("faults-from-sales-kill");
    {
        auto db = OpenDatabase(url);
        // Enough open lines of order 1 (due in December) that a kill lands in the middle of the walk.
        for (int item = 10; item < 10 + kExtraLines; ++item)
            db->Execute(fmt::format("insert into S_OrderDetail (BillID, ItemNo, GoodsID, UnitID, UnitQuantity, Quantity, "
                                    "ReferQty, Closed, MPSREFERED) values (1, {}, {}, 11, 5, 5, 0, 0, 0)",
                                    item, item % 2 == 0 ? 1 : 2));
    }
    const std::vector<std::string> convert{"--db",      url,   "--today",  "2026-12-06",
                                           "mps",       "from-sales", "--all", "--finish", "2027-01-12"};
    std::mt19937 random(43);
    int killed = 0;
    for (int i = 0; i < 4; ++i) {
        auto moment = std::chrono::milliseconds(std::uniform_int_distribution<int>(30, 600)(random));
        auto result = RunConsole(convert, {}, {},
                                 [moment](const std::string&, std::chrono::milliseconds elapsed) { return elapsed >= moment; });
        killed += result.killed;
    }
    ASSERT_GT(killed, 0) << "every conversion ended before its kill";
    auto last = RunConsole(convert);
    ASSERT_FALSE(last.killed);

    EXPECT_EQ(Count(url, "select count(*) from (select ReferBillID, ReferItemNo from MNF_ManuPlan where ReferBillID = 1 "
                         "group by ReferBillID, ReferItemNo having count(*) > 1) twice"),
              0)
        << "an order line converted twice after " << killed << " kills";
    EXPECT_EQ(Count(url, fmt::format("select count(*) from S_OrderDetail d where d.BillID = 1 and d.ItemNo >= 10 and not "
                                     "exists (select 1 from MNF_ManuPlan p where p.ReferBillID = 1 and p.ReferItemNo = "
                                     "d.ItemNo)")),
              0)
        << "an order line left unconverted";
    EXPECT_EQ(Count(url, "select count(*) from S_OrderDetail d where d.MPSREFERED = 1 and not exists (select 1 from "
                         "MNF_ManuPlan p where p.ReferBillID = d.BillID and p.ReferItemNo = d.ItemNo)"),
              0)
        << "an order line marked without its schedule line";
}

}  // namespace
}  // namespace mfg::test
