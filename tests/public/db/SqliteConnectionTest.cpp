#include <gtest/gtest.h>

#include <filesystem>

#include "Database.h"
#include "db/SqliteConnection.h"
#include "sqlite/SqliteRoutines.h"

namespace mfg {
namespace {

class SqliteConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterSqliteRoutines(db);
        db.Execute("create table AG_KEYS (TableName varchar(64) primary key, LastKey int not null)");
        db.Execute("create table MNF_ManuPlan (BillID int, ItemNo int, BillCode varchar(32), BillDate datetime, "
                   "ShopID int, primary key (BillID, ItemNo))");
    }
    std::int64_t Count() { return db.Query("select count(*) from MNF_ManuPlan").FirstValue().AsInteger(); }
    std::int64_t NewKey()
    {
        return db.Query("declare @iNewKey integer exec AG_GETNEWKEY 'MNF_MANUPLAN',@iNewKey output select @iNewKey")
            .FirstValue()
            .AsInteger();
    }

    SqliteConnection db{":memory:"};
};

TEST_F(SqliteConnectionTest, NestedTransactionsRollBackOnlyTheirPart)
{
    db.BeginTran();
    db.Execute("insert into MNF_ManuPlan (BillID, ItemNo) values (1, 1)");
    db.BeginTran();
    db.Execute("insert into MNF_ManuPlan (BillID, ItemNo) values (2, 1)");
    db.RollbackTran();
    EXPECT_EQ(db.TransactionDepth(), 1);
    db.CommitTran();
    EXPECT_EQ(Count(), 1);

    {
        TransactionGuard guard(db);
        db.Execute("insert into MNF_ManuPlan (BillID, ItemNo) values (3, 1)");
    }  // left without Commit: nothing stays
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(db.TransactionDepth(), 0);
    EXPECT_THROW(db.CommitTran(), DbError);
}

TEST_F(SqliteConnectionTest, ErrorsNameTheStatement)
{
    try {
        db.Execute("insert into MNF_ManuPlan (BillID, ItemNo) values (1, 1) insert into MNF_ManuPlan (BillID, ItemNo) values (1, 1)");
        FAIL() << "duplicate key accepted";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("MNF_ManuPlan"), std::string::npos);
        EXPECT_NE(e.Statement().find("insert into MNF_ManuPlan"), std::string::npos);
    }
    EXPECT_THROW(db.Query("select * from no_such_table"), DbError);
}

TEST_F(SqliteConnectionTest, ParametersBindByNameWhateverTheCase)
{
    db.Execute("insert into MNF_ManuPlan (BillID, ItemNo, BillCode, BillDate) values (:BillID, :itemno, :Code, :Date)",
               {{"billid", 7}, {"ITEMNO", 1}, {"code", "JH-0001"}, {"Date", DateTime::FromYmd(2026, 12, 6)}});
    auto rows = db.Query("select BillCode, BillDate from MNF_ManuPlan where BillID = :id and BillID = :ID", {{"id", 7}});
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.rows[0][0].AsString(), "JH-0001");
    EXPECT_EQ(rows.rows[0][1].AsDateTime(), DateTime::FromYmd(2026, 12, 6));
}

TEST_F(SqliteConnectionTest, NewKeysNeverRepeatAKeyInTheTable)
{
    EXPECT_EQ(NewKey(), 1);
    EXPECT_EQ(NewKey(), 2);
    // Rows written by hand around the key table move the next key past them.
    db.Execute("insert into MNF_ManuPlan (BillID, ItemNo) values (40, 1)");
    EXPECT_EQ(NewKey(), 41);
    db.Execute("update AG_KEYS set LastKey = 3");
    EXPECT_EQ(NewKey(), 41);
    EXPECT_EQ(NewKey(), 42);
    // A key handed out inside a transaction that rolls back may be handed out again, as the rows went too.
    db.BeginTran();
    EXPECT_EQ(NewKey(), 43);
    db.RollbackTran();
    EXPECT_EQ(NewKey(), 43);
}

TEST_F(SqliteConnectionTest, SerialNumberOfABillCode)
{
    EXPECT_EQ(CodeToSerialNo("JH-202612-0007", 4).AsInteger(), 7);
    EXPECT_EQ(CodeToSerialNo("JH-202612-0007", 6).IsNull(), true);  // "2-0007" is not a number
    EXPECT_EQ(CodeToSerialNo("000000000000123", 20).AsInteger(), 123);
    EXPECT_TRUE(CodeToSerialNo("AB", 4).IsNull());
    EXPECT_TRUE(CodeToSerialNo(Variant(), 4).IsNull());
    db.Execute("insert into MNF_ManuPlan (BillID, ItemNo, BillCode, BillDate) values "
               "(1, 1, 'JH-202612-0003', '2026-12-01'), (2, 1, 'JH-202612-0011', '2026-12-02'), (3, 1, 'bad', '2026-12-02')");
    auto serial = db.Query("select Max(dbo.fn_codetoserialno(BillCode,4)) as SerialNo From MNF_ManuPlan Where 1=1  and "
                           "Year(BillDate)=2026 and Month(BillDate)=12");
    EXPECT_EQ(serial.FirstValue().AsInteger(), 11);
}

TEST(OpenConnection, RefusesWhatItCannotOpen)
{
    EXPECT_THROW(OpenConnection("postgresql://mfg@localhost:5432/mfg"), DbError);
    EXPECT_THROW(OpenConnection("/no/such/folder/x.db"), DbError);
    auto path = std::filesystem::temp_directory_path() / "mfg-open-test.db";
    std::filesystem::remove(path);
    auto db = OpenDatabase(path.string());
    EXPECT_EQ(dynamic_cast<SqliteConnection&>(*db).QueryNative("pragma journal_mode").FirstValue().AsString(), "wal");
    EXPECT_TRUE(IsEmptyDatabase(*db));
}

}  // namespace
}  // namespace mfg
