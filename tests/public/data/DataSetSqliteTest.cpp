// Cached updates against the real embedded database: the calendar's modify statement moves a
// key (WORKDATE) through :OLD_workdate, and a batch that fails half-way writes nothing.
#include <gtest/gtest.h>

#include "Database.h"
#include "TestDatabase.h"
#include "data/DataSet.h"

namespace mfg {
namespace {

class DataSetOnSqlite : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = OpenDatabase(test::CopyOfDemoDatabase("dataset-sqlite"));
        db->SetClock(test::TestToday);
        calendar.SetSql("select * from MNF_CALENDAR where WORKDATE between :begdate and :enddate order by WORKDATE");
        calendar.SetParam("begdate", DateTime::FromYmd(2026, 12, 7));
        calendar.SetParam("enddate", DateTime::FromYmd(2026, 12, 13));
        UpdateSql statements;
        statements.ModifySQL = "Update MNF_CALENDAR set workdate=:workdate, isholiday=:isholiday, sequence=:sequence "
                               " where workdate=:OLD_workdate";
        calendar.SetUpdateSql(statements);
        calendar.Open(*db);
    }
    Variant Value(const std::string& sql) { return db->Query(sql).FirstValue(); }

    std::unique_ptr<Connection> db;
    DataSet calendar{"IBQryCalendar"};
};

TEST_F(DataSetOnSqlite, ModifyThroughOldKeyMovesTheRow)
{
    ASSERT_EQ(calendar.RecordCount(), 7);
    EXPECT_EQ(calendar.FieldByName("WORKDATE").DataType(), FieldType::DateTime);
    calendar.Last();  // 2026-12-13, a Sunday
    calendar.Edit();
    calendar.FieldByName("workdate").SetValue(DateTime::FromYmd(2029, 6, 1));
    calendar.FieldByName("isholiday").SetValue(0);
    calendar.Post();
    calendar.UpdateBatch(*db);
    EXPECT_FALSE(calendar.UpdatesPending());
    EXPECT_EQ(Value("select count(*) from MNF_CALENDAR where WORKDATE = '2026-12-13'").AsInteger(), 0);
    EXPECT_EQ(Value("select ISHOLIDAY from MNF_CALENDAR where WORKDATE = '2029-06-01'").AsInteger(), 0);
}

TEST_F(DataSetOnSqlite, AFailedBatchWritesNothingAndKeepsTheChanges)
{
    auto before = Value("select sum(SEQUENCE) from MNF_CALENDAR").AsFloat();
    calendar.First();
    calendar.Edit();
    calendar.FieldByName("sequence").SetValue(calendar.FieldByName("sequence").AsInteger() + 100);
    calendar.Post();
    calendar.Next();
    calendar.Edit();
    // WORKDATE is unique: moving the second day onto the first one fails on the server.
    calendar.FieldByName("workdate").SetValue(DateTime::FromYmd(2026, 12, 7));
    calendar.Post();
    EXPECT_THROW(calendar.UpdateBatch(*db), DbError);
    EXPECT_EQ(Value("select sum(SEQUENCE) from MNF_CALENDAR").AsFloat(), before);
    EXPECT_EQ(db->TransactionDepth(), 0);
    EXPECT_EQ(calendar.PendingUpdateCount(), 2);

    calendar.CancelBatch();
    EXPECT_FALSE(calendar.UpdatesPending());
    calendar.First();
    EXPECT_EQ(calendar.FieldByName("workdate").AsDateTime(), DateTime::FromYmd(2026, 12, 7));
}

}  // namespace
}  // namespace mfg
