// Two users at once on one database: each test opens two connections to the same copy of the demo
// factory and lets them write side by side, in two threads where they would wait for each other.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include <fmt/format.h>

#include "BillCode.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg {
namespace {

constexpr int kRounds = 25;

class TwoUsers : public ::testing::Test {
protected:
    TwoUsers() : url(test::CopyOfDemoDatabase(Name())), first(Open()), second(Open()) {}

    std::unique_ptr<Connection> Open() const
    {
        auto db = OpenDatabase(url);
        db->SetClock(test::TestToday);
        return db;
    }

    static std::string Name() { return std::string("two-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

    //! Runs both users' work at once and waits for both; a failure in either is rethrown here.
    void Concurrently(const std::function<void(Connection&)>& work)
    {
        std::exception_ptr failures[2];
        auto run = [&](Connection& db, std::exception_ptr& failure) {
            try {
                work(db);
            } catch (...) {
                failure = std::current_exception();
            }
        };
        std::thread a(run, std::ref(*first), std::ref(failures[0]));
        std::thread b(run, std::ref(*second), std::ref(failures[1]));
        a.join();
        b.join();
        for (const auto& failure : failures)
            if (failure) std::rethrow_exception(failure);
    }

    std::string url;
    std::unique_ptr<Connection> first;
    std::unique_ptr<Connection> second;
};

std::int64_t NewKey(Connection& db, std::string_view table)
{
    return db.Query(fmt::format("declare @k integer exec AG_GETNEWKEY '{}', @k output select @k", table)).FirstValue().AsInteger();
}

//! A schedule bill of 2026-12, the way GetBillCode numbers it, read on this connection.
std::string PlanCode(Connection& db, int& serialNo)
{
    if (serialNo == -1)
        serialNo = static_cast<int>(db.Query("select Max(dbo.fn_codetoserialno(BillCode,4)) as SerialNo From MNF_ManuPlan "
                                             "Where Year(BillDate)=2026 and Month(BillDate)=12")
                                        .FirstValue()
                                        .AsInteger()) +
                   1;
    return fmt::format("JH-2026-12-{:04}", serialNo);
}

void WritePlan(Connection& db, const std::string& code)
{
    db.Execute("insert into MNF_ManuPlan (BillID, ItemNo, BillDate, BillCode, GoodsID, Quantity) values (:id, 1, :date, :code, 1, 5)",
               {{"id", NewKey(db, "MNF_MANUPLAN")}, {"date", test::TestToday()}, {"code", code}});
}

TEST_F(TwoUsers, NewKeysNeverRepeatUnderConcurrentCallers)
{
    std::vector<std::int64_t> keys[2];
    std::mutex mutex;
    Concurrently([&](Connection& db) {
        std::vector<std::int64_t> mine;
        for (int i = 0; i < kRounds; ++i) {
            // Inside a save as the screens take them: the key is held until the bill is written.
            TransactionGuard save(db);
            mine.push_back(NewKey(db, "P_ORDER"));
            db.Query("select count(*) from P_ORDERDETAIL");
            save.Commit();
        }
        std::lock_guard lock(mutex);
        keys[&db == first.get() ? 0 : 1] = mine;
    });
    std::set<std::int64_t> all(keys[0].begin(), keys[0].end());
    all.insert(keys[1].begin(), keys[1].end());
    EXPECT_EQ(all.size(), static_cast<size_t>(2 * kRounds));
    EXPECT_GT(*all.begin(), first->Query("select max(BillID) from P_ORDER").FirstValue().AsInteger() - 1);
    EXPECT_EQ(NewKey(*first, "P_ORDER"), *all.rbegin() + 1);
}

TEST_F(TwoUsers, BillCodesStayUniqueUnderConcurrentWriters)
{
    std::vector<std::string> codes[2];
    Concurrently([&](Connection& db) {
        auto& mine = codes[&db == first.get() ? 0 : 1];
        for (int i = 0; i < kRounds; ++i)
            mine.push_back(WriteWithFreshCode(
                db, [&](int& serialNo) { return PlanCode(db, serialNo); }, [&](const std::string& code) { WritePlan(db, code); }));
    });
    std::set<std::string> all(codes[0].begin(), codes[0].end());
    all.insert(codes[1].begin(), codes[1].end());
    EXPECT_EQ(all.size(), static_cast<size_t>(2 * kRounds));
    // The demo's three bills of the month come first; the writers share the serials after them without a gap.
    EXPECT_EQ(*all.begin(), "JH-2026-12-0004");
    EXPECT_EQ(*all.rbegin(), fmt::format("JH-2026-12-{:04}", 3 + 2 * kRounds));
    EXPECT_EQ(second->Query("select count(distinct BillCode) from MNF_ManuPlan").FirstValue().AsInteger(),
              second->Query("select count(*) from MNF_ManuPlan").FirstValue().AsInteger());
}

TEST_F(TwoUsers, ACodeTakenMeanwhileIsSkippedAndATakenOneNeverWritten)
{
    // This user's idea of the next serial is stale: 1 to 3 are taken already.
    int asked = 0;
    auto stale = [&](int& serialNo) {
        ++asked;
        if (serialNo == -1) serialNo = 1;
        return fmt::format("JH-2026-12-{:04}", serialNo);
    };
    EXPECT_EQ(WriteWithFreshCode(*first, stale, [&](const std::string& code) { WritePlan(*first, code); }), "JH-2026-12-0004");
    EXPECT_EQ(asked, 7) << "the first code, then for each refused one the next free serial read again and the code taken";
    EXPECT_EQ(first->Query("select count(*) from MNF_ManuPlan where BillCode = 'JH-2026-12-0001'").FirstValue().AsInteger(), 1);
    // The refused attempts left nothing behind, not even their keys' rows.
    EXPECT_EQ(first->Query("select count(*) from MNF_ManuPlan").FirstValue().AsInteger(), 5);

    // Another failure than a taken code is not retried.
    int calls = 0;
    EXPECT_THROW(WriteWithFreshCode(
                     *first, [&](int& serialNo) { serialNo = 99; return std::string("JH-2026-12-0099"); },
                     [&](const std::string&) {
                         ++calls;
                         first->Execute("insert into no_such_table values (1)");
                     }),
                 DbError);
    EXPECT_EQ(calls, 1);
}

TEST_F(TwoUsers, EachConnectionHasAGoodsScopeOfItsOwn)
{
    auto scope = [](Connection& db, std::string_view goods) {
        db.Execute(fmt::format("if exists(select * from sysobjects where name = 't_goodsid') delete t_goodsid\n"
                               " else Create table t_goodsid (goodsid int,elemgid int)\n"
                               " insert into t_goodsid exec dbo.getmrpgoodsid '{}'",
                               goods));
        return db.Query("select count(*) from t_goodsid").FirstValue().AsInteger();
    };
    std::int64_t bicycle = scope(*first, "1");
    std::int64_t frame = scope(*second, "11");
    ASSERT_GT(bicycle, frame);
    EXPECT_EQ(first->Query("select count(*) from t_goodsid").FirstValue().AsInteger(), bicycle);
    EXPECT_EQ(second->Query("select count(*) from t_goodsid").FirstValue().AsInteger(), frame);
    EXPECT_EQ(first->Query("select count(*) from t_goodsid where goodsid = 11").FirstValue().AsInteger() > 0, true);
    EXPECT_EQ(second->Query("select count(*) from t_goodsid where goodsid = 1").FirstValue().AsInteger(), 0);
    // A new run of the same user starts from its own scope again; the other user's scope stays.
    EXPECT_EQ(scope(*first, "11"), frame);
    EXPECT_EQ(second->Query("select count(*) from t_goodsid").FirstValue().AsInteger(), frame);
    // A third user sees no scope table at all until it makes its own.
    EXPECT_FALSE(Open()->TableExists("t_goodsid"));
}

}  // namespace
}  // namespace mfg
