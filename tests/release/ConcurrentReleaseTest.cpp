// Two users releasing at once, each with a session of its own on its own thread.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "Database.h"
#include "PurchaseRelease.h"
#include "ReleaseFixture.h"
#include "TestDatabase.h"
#include "host/ScriptedDialogs.h"

namespace mfg::test {
namespace {

constexpr int kRounds = 8;

class ConcurrentRelease : public ::testing::Test {
protected:
    //! Runs `work` for both users at once, each in a host of its own made current on its thread.
    void Concurrently(const std::function<void(int user, ScriptedDialogs&)>& work)
    {
        const std::string url = CopyOfDemoDatabase(std::string("release-") +
                                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::exception_ptr failures[2];
        auto run = [&](int user) {
            try {
                Host host(OpenDatabase(url));
                CurrentHostScope scope(host);
                auto& dialogs = host.SetDialogs(std::make_unique<ScriptedDialogs>());
                host.SetToday(TestToday());
                host.SetShopID(1);
                host.SetUser(1, "管理员");
                work(user, dialogs);
            } catch (...) {
                failures[user] = std::current_exception();
            }
        };
        std::thread a(run, 0), b(run, 1);
        a.join();
        b.join();
        for (const auto& failure : failures)
            if (failure) std::rethrow_exception(failure);
        reader = std::make_unique<Host>(OpenDatabase(url));
    }

    static std::vector<std::string> Release(DataSet& cdsPurSug)
    {
        PurchaseRelease release(2);
        return release.Release(cdsPurSug, [](std::int32_t, const std::string&) { return 0; });
    }

    std::int64_t Count(const std::string& sql) { return reader->GetValueOfSql(sql, 0).AsInteger(); }

    std::unique_ptr<Host> reader;
};

TEST_F(ConcurrentRelease, TheSameSuggestionsReleasedByTwoUsersAtOnceBecomeDocumentsOfEachWithCodesOfTheirOwn)
{
    std::vector<std::string> codes[2];
    std::vector<std::string> errors[2];
    Concurrently([&](int user, ScriptedDialogs& dialogs) {
        for (int round = 0; round < kRounds; ++round) {
            DataSet cdsPurSug;
            ReleaseTest::PurchaseSuggestions(cdsPurSug);
            ReleaseTest::AddPurchase(cdsPurSug, 101, 100, 11.8, DateTime::FromYmd(2026, 12, 10 + round));
            ReleaseTest::AddPurchase(cdsPurSug, 104, 1000, 0.44, DateTime::FromYmd(2026, 12, 10 + round));
            for (auto& code : Release(cdsPurSug)) codes[user].push_back(code);
        }
        errors[user] = dialogs.Texts(MessageKind::Error);
    });
    // Each user wrote an order per supplier in every round, none under a code or key of the other.
    EXPECT_EQ(codes[0].size(), static_cast<size_t>(2 * kRounds));
    EXPECT_EQ(codes[1].size(), static_cast<size_t>(2 * kRounds));
    EXPECT_TRUE(errors[0].empty() && errors[1].empty());
    std::set<std::string> all(codes[0].begin(), codes[0].end());
    all.insert(codes[1].begin(), codes[1].end());
    EXPECT_EQ(all.size(), static_cast<size_t>(4 * kRounds));
    const std::string released = "(select BillID from P_ORDER where Remark = 'MRP采购建议下达的采购订单')";
    EXPECT_EQ(Count("select count(*) from P_ORDER where BillID in " + released), 4 * kRounds);
    EXPECT_EQ(Count("select count(distinct BillCode) from P_ORDER where BillID in " + released), 4 * kRounds);
    EXPECT_EQ(Count("select count(*) from P_ORDERDETAIL where GoodsID in (101, 104) and BillID in " + released),
              4 * kRounds);
    // Each print record carries the code its order was written under.
    EXPECT_EQ(Count("select count(*) from AB_BILLPRINT p join P_ORDER m on m.BillID = p.BillID and m.BillCode = "
                    "p.BillCode where p.BillType = 2 and m.BillID in " +
                    released),
              4 * kRounds);
}

TEST_F(ConcurrentRelease, DifferentSuggestionsReleasedAtOnceNeverShareABillCode)
{
    std::vector<std::string> codes[2];
    Concurrently([&](int user, ScriptedDialogs&) {
        for (int round = 0; round < kRounds; ++round) {
            DataSet cdsPurSug;
            ReleaseTest::PurchaseSuggestions(cdsPurSug);
            ReleaseTest::AddPurchase(cdsPurSug, user == 0 ? 101 : 104, 10, 1, DateTime::FromYmd(2026, 12, 10 + round));
            for (auto& code : Release(cdsPurSug)) codes[user].push_back(code);
        }
    });
    std::set<std::string> all(codes[0].begin(), codes[0].end());
    all.insert(codes[1].begin(), codes[1].end());
    EXPECT_EQ(codes[0].size(), static_cast<size_t>(kRounds));
    EXPECT_EQ(codes[1].size(), static_cast<size_t>(kRounds));
    EXPECT_EQ(all.size(), static_cast<size_t>(2 * kRounds));
    EXPECT_EQ(Count("select count(distinct BillCode) from P_ORDER"), Count("select count(*) from P_ORDER"));
}

}  // namespace
}  // namespace mfg::test
