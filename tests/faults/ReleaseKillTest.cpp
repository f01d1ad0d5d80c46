// The console killed in the middle of a release: every document it committed was printed first,
// and every one of them has its print record.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ConsoleRun.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

//! A console release of every manufacture suggestion of the demo's schedule lines.
class ReleaseKill : public ::testing::Test {
protected:
    ReleaseKill() : url(CopyOfDemoDatabase(Name())), db(OpenDatabase(url)) {}

    static std::string Name()
    {
        return std::string("kill-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    std::int64_t Count(const std::string& sql) { return db->Query(sql).FirstValue().AsInteger(); }

    //! Starts the release, kills it with SIGKILL as soon as `due` holds (or lets it end), and
    //! returns the lines it printed.
    std::set<std::string> ReleaseUntil(const std::function<bool()>& due)
    {
        auto result = RunConsole({"--db", url, "--today", TestToday().ToIsoString(), "mrp", "--mps", "all",
                                  "--release", "manufacture", "--workshop", "CJ04"},
                                 {}, {}, [&](const std::string&, std::chrono::milliseconds) { return due(); });
        std::set<std::string> codes;
        std::istringstream lines(result.out);
        for (std::string line; std::getline(lines, line);) codes.insert(line);
        return codes;
    }

    //! The orders the release committed, by code.
    std::vector<std::string> Committed()
    {
        auto rows = db->Query("select BillCode from MNF_MANUORDER where Remark = 'MRP生产建议下达的生产加工单'");
        std::vector<std::string> codes;
        for (const auto& row : rows.rows) codes.push_back(row[0].AsString());
        return codes;
    }

    void ExpectEveryCommittedOrderPrintedAndRecorded(const std::set<std::string>& printed)
    {
        for (const auto& code : Committed()) {
            EXPECT_TRUE(printed.count(code)) << code << " was committed but never printed";
            EXPECT_EQ(Count("select count(*) from AB_BILLPRINT p join MNF_MANUORDER m on m.BillID = p.BillID and "
                            "p.BillType = 42 where m.BillCode = '" +
                            code + "'"),
                      1)
                << code << " has no print record";
        }
    }

    std::string url;
    std::unique_ptr<Connection> db;
};

TEST_F(ReleaseKill, KilledAsSoonAsTheOrdersAreCommittedItHasPrintedAndRecordedEachOfThem)
{
    const auto printed = ReleaseUntil([&] { return !Committed().empty(); });
    ASSERT_FALSE(Committed().empty()) << "the release never committed";
    ExpectEveryCommittedOrderPrintedAndRecorded(printed);
}

TEST_F(ReleaseKill, KilledWhileNumberingItLeavesNoOrderUntold)
{
    const auto printed =
        ReleaseUntil([&] { return Count("select count(*) from AB_BILLPRINT where BillType = 42") >= 2; });
    ExpectEveryCommittedOrderPrintedAndRecorded(printed);
    // Run to its end, the release prints exactly the orders it committed.
    const auto before = Committed();
    const auto complete = ReleaseUntil([] { return false; });
    std::set<std::string> all(before.begin(), before.end());
    all.insert(complete.begin(), complete.end());
    EXPECT_FALSE(complete.empty());
    const auto after = Committed();
    EXPECT_EQ(std::set<std::string>(after.begin(), after.end()), all);
}

TEST_F(ReleaseKill, KilledBeforeItsCommitItsCodesAreNeverGivenAgain)
{
    // Each release dies as soon as it has recorded a code for printing, before its orders are
    // committed; the codes it recorded are spent, and the releases after it take others.
    for (int kill = 0; kill < 3; ++kill) {
        const auto recorded = Count("select count(*) from AB_BILLPRINT where BillType = 42");
        const auto committed = Committed().size();
        ReleaseUntil([&] { return Count("select count(*) from AB_BILLPRINT where BillType = 42") > recorded; });
        if (Committed().size() != committed) continue;  // it got through before the kill
        EXPECT_GT(Count("select count(*) from AB_BILLPRINT where BillType = 42"), recorded);
    }
    const auto printed = ReleaseUntil([] { return false; });
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(Count("select count(*) from (select BillCode from AB_BILLPRINT where BillType = 42 group by BillCode "
                    "having count(*) > 1) twice"),
              0)
        << "a code given again after a killed release";
    ExpectEveryCommittedOrderPrintedAndRecorded(printed);
    auto check = RunConsole({"--db", url, "--today", TestToday().ToIsoString(), "check"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
}

}  // namespace
}  // namespace mfg::test
