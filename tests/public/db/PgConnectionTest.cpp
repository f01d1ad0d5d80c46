// The server backend's own behaviour: errors, lost connections, transactions that survive a failed
// statement, names without case, the server's clock, rows of routines taken into tables.
#include <gtest/gtest.h>

#include "Database.h"
#include "TestDatabase.h"
#include "db/PgConnection.h"

namespace mfg {
namespace {

class PgConnectionTest : public ::testing::Test {
protected:
    PgConnectionTest() : url(test::FreshDatabaseUrl("pg")), owned(OpenDatabase(url)), db(dynamic_cast<PgConnection&>(*owned))
    {
        db.Execute("create table [Parts] (PartID int primary key, Code varchar(10), MadeOn datetime)");
    }

    //! Ends this test's session from another one, as a server restart or a network cut would.
    void CutConnection()
    {
        auto other = OpenConnection(url);
        dynamic_cast<PgConnection&>(*other).QueryNative("select pg_terminate_backend($1::integer)", {db.BackendPid()});
    }

    std::int64_t Count() { return db.Query("select count(*) from PARTS").FirstValue().AsInteger(); }

    std::string url;
    std::unique_ptr<Connection> owned;
    PgConnection& db;
};

TEST_F(PgConnectionTest, ErrorsCarryTheServersMessageAndTheStatement)
{
    const std::string sql = "select Code from Parts where PartID = 'x'";
    try {
        db.Query(sql);
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("invalid input syntax for type integer"), std::string::npos) << e.what();
        EXPECT_EQ(e.Statement(), sql);
        EXPECT_EQ(e.Failure(), DbFailure::Other);
    }
    db.Execute("insert into Parts (PartID, Code) values (1, 'A')");
    try {
        db.Execute("insert into Parts (PartID, Code) values (1, 'B')");
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_EQ(e.Failure(), DbFailure::DuplicateKey);
        EXPECT_NE(std::string(e.what()).find("parts_pkey"), std::string::npos) << e.what();
    }
}

TEST_F(PgConnectionTest, ALostConnectionComesBackBetweenStatementsButNotInsideATransaction)
{
    db.Execute("insert into Parts (PartID, Code) values (1, 'A')");
    int before = db.BackendPid();
    CutConnection();
    EXPECT_EQ(Count(), 1);
    EXPECT_NE(db.BackendPid(), before);

    db.BeginTran();
    db.Execute("insert into Parts (PartID, Code) values (2, 'B')");
    CutConnection();
    EXPECT_THROW(db.Execute("insert into Parts (PartID, Code) values (3, 'C')"), DbError);
    EXPECT_THROW(db.Query("select 1"), DbError);
    db.RollbackTran();
    EXPECT_EQ(Count(), 1);
}

TEST_F(PgConnectionTest, AFailedStatementLeavesTheTransactionUsable)
{
    db.BeginTran();
    db.Execute("insert into Parts (PartID, Code) values (1, 'A')");
    EXPECT_THROW(db.Execute("insert into Parts (PartID, Code) values (1, 'again')"), DbError);
    db.Execute("insert into Parts (PartID, Code) values (2, 'B')");
    db.BeginTran();
    db.Execute("insert into Parts (PartID, Code) values (3, 'C')");
    db.RollbackTran();
    db.CommitTran();
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(db.TransactionDepth(), 0);
}

TEST_F(PgConnectionTest, NamesAndTextIgnoreCaseAndColumnsKeepTheModulesSpelling)
{
    db.Execute("insert into PARTS (partid, code) values (:ID, :code)", {{"id", 7}, {"CODE", "Bolt-M8"}});
    auto rows = db.Query("select [partID], CODE from [parts] where code = 'BOLT-m8' and Code like 'bolt%'");
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(rows.columns[0].name, "PartID");
    EXPECT_EQ(rows.columns[1].name, "Code");
    EXPECT_EQ(rows.rows[0][1].AsString(), "Bolt-M8");
    EXPECT_TRUE(db.TableExists("PARTS"));
    EXPECT_EQ(db.TableNames(), std::vector<std::string>{"parts"});
}

TEST_F(PgConnectionTest, DatesAddDaysAndGetdateFollowsAFixedClockOrTheServer)
{
    db.Execute("insert into Parts (PartID, MadeOn) values (1, '2026-12-06')");
    EXPECT_EQ(db.Query("select MadeOn + 2 from Parts").FirstValue().AsDateTime(), DateTime::FromYmdHms(2026, 12, 8, 0, 0, 0));
    EXPECT_EQ(db.Query("select count(*) from Parts where MadeOn - 1.5 < '12/05/2026'").FirstValue().AsInteger(), 1);

    auto serverNow = db.Query("select getdate()").FirstValue().AsDateTime();
    EXPECT_LT(std::abs(serverNow.DayNumber() - DateTime::Now().DayNumber()), 1.0);
    db.SetClock(test::TestToday);
    EXPECT_EQ(db.Query("select getdate()").FirstValue().AsDateTime(), test::TestToday());
    EXPECT_EQ(db.ServerTime(), test::TestToday());
    // A new session after a lost connection keeps the fixed clock.
    CutConnection();
    EXPECT_EQ(db.Query("select getdate()").FirstValue().AsDateTime(), test::TestToday());
}

TEST_F(PgConnectionTest, RowsOfAProcedureAndOfATableFunctionArriveWhole)
{
    db.Execute("create table Serials (Serial int)");
    db.Execute("insert into Serials (Serial) exec dbo.fn_codetoserialno 'AB0012', 4");
    db.Execute("insert into Serials (Serial) exec dbo.fn_codetoserialno 'ABCD', 4");
    auto serials = db.Query("select Serial from Serials order by Serial");
    ASSERT_EQ(serials.rows.size(), 2u);
    EXPECT_EQ(serials.rows[0][0].AsInteger(), 12);
    EXPECT_TRUE(serials.rows[1][0].IsNull());

    db.Execute("create table AC_DueCharge (ShopID int, Closed int, Amount float, PaidAmt float, PayDate datetime)");
    db.Execute("insert into AC_DueCharge values (1, 0, 100.25, 0.125, '2026-12-10')");
    db.Execute("insert into AC_DueCharge values (1, 0, 7, 0, '2026-11-10')");
    auto due = db.Query("select paydate, amount from getduecharge(:ShopID) where paydate >= :PayDate",
                        {{"ShopID", 1}, {"PayDate", DateTime::FromYmd(2026, 12, 6)}});
    ASSERT_EQ(due.rows.size(), 1u);
    EXPECT_EQ(due.rows[0][0].AsDateTime(), DateTime::FromYmd(2026, 12, 10));
    EXPECT_EQ(due.rows[0][1].AsFloat(), 100.125);
    EXPECT_TRUE(db.Query("select paydate from getduecharge(2)").rows.empty());
}

TEST_F(PgConnectionTest, SchemasOfOneServerKeepTheirTablesApartAndShareTheRoutines)
{
    auto other = OpenDatabase(test::FreshDatabaseUrl("pg-other"));
    EXPECT_FALSE(other->TableExists("Parts"));
    EXPECT_EQ(other->Query("select dbo.fn_codetoserialno('CG-2026-12-0042', 4)").FirstValue().AsInteger(), 42);
    EXPECT_TRUE(other->Query("select dbo.fn_codetoserialno('CG-2026-12-00x2', 4)").FirstValue().IsNull());
}

}  // namespace
}  // namespace mfg
