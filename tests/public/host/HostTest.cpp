#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include <fmt/format.h>

#include "HostFixture.h"
#include "host/Host.h"

namespace mfg {
namespace {

using test::DemoHostTest;

class HostSql : public DemoHostTest {
protected:
    std::int64_t DepartmentCount()
    {
        return host.GetValueOfSql("select count(*) from l_department where DepartmentID >= 90").AsInteger();
    }
    static std::string AddDepartment(int id)
    {
        return fmt::format("insert into l_department (DepartmentID, Code, Name) values ({}, 'T{}', '测试部')", id, id);
    }
};

TEST_F(HostSql, GetValueOfSqlGivesTheFirstColumnOrTheDefaultForNoRowAndNull)
{
    EXPECT_EQ(host.GetValueOfSql("select Name, Code from d_shop where ShopID = 2").AsString(), "二分厂");
    EXPECT_EQ(host.GetValueOfSql("select Name from d_shop where ShopID = 99", "无").AsString(), "无");
    EXPECT_EQ(host.GetValueOfSql("select max(ShopID) from d_shop where ShopID > 99", 0).AsInteger(), 0);
    EXPECT_TRUE(host.GetValueOfSql("select Name from d_shop where ShopID = 99").IsNull());
    EXPECT_EQ(GetValueOfSql("select Code from d_shop where ShopID = :id", {}, {{"id", 1}}).AsString(), "001");
}

TEST_F(HostSql, CreateAutoQueryOpensOnlyWhenAsked)
{
    auto open = CreateAutoQuery("select * from d_shop where ShopID = :ShopID", true, {{"ShopID", 1}});
    ASSERT_TRUE(open->Active());
    EXPECT_EQ(open->RecordCount(), 1);
    EXPECT_EQ(open->FieldByName("Name").AsString(), "总厂");

    auto closed = host.CreateAutoQuery("select * from d_shop where ShopID = :ShopID", false);
    EXPECT_FALSE(closed->Active());
    closed->SetParam("ShopID", 2);
    closed->Open(host.DBStartup());
    EXPECT_EQ(closed->FieldByName("Name").AsString(), "二分厂");

    EXPECT_THROW(host.CreateAutoQuery("select * from d_shop", true, {{"NoSuchParam", 1}}), DataSetError);
}

TEST_F(HostSql, RollbackTranUndoesAndCommitTranKeepsWhatWasExecutedInBetween)
{
    BeginTran();
    SqlExecute(AddDepartment(90));
    EXPECT_TRUE(host.InTransaction());
    RollbackTran();
    EXPECT_FALSE(host.InTransaction());
    EXPECT_EQ(DepartmentCount(), 0);

    host.BeginTran();
    host.SqlExecute(AddDepartment(91));
    host.CommitTran();
    EXPECT_EQ(DepartmentCount(), 1);
}

TEST_F(HostSql, AFailingSqlExecuteUndoesItsWholeBatchButLeavesTheCallersTransactionAlive)
{
    host.BeginTran();
    host.SqlExecute(AddDepartment(90));
    EXPECT_THROW(host.SqlExecute(AddDepartment(91) + "\n" + AddDepartment(90)), DbError);
    EXPECT_EQ(DepartmentCount(), 1) << "the batch's first insert is undone, the earlier one stays";
    host.CommitTran();
    EXPECT_EQ(DepartmentCount(), 1);

    EXPECT_THROW(host.SqlExecute(AddDepartment(92) + "\n" + AddDepartment(90)), DbError);
    EXPECT_EQ(DepartmentCount(), 1) << "outside a transaction too";
}

TEST_F(HostSql, SqlExecuteNoTranLeavesTheStatementsBeforeAFailure)
{
    EXPECT_THROW(SqlExecuteNoTran(AddDepartment(93) + "\n" + AddDepartment(93)), DbError);
    EXPECT_EQ(DepartmentCount(), 1);
    EXPECT_EQ(host.SqlExecuteNoTran("update l_department set Name = '改' where DepartmentID >= 90"), 1);
}

TEST_F(DemoHostTest, TheClockFixesGetSystemTimeAndGetdateAlike)
{
    EXPECT_EQ(GetSystemTime(), test::TestToday());
    auto day = DateTime::FromYmd(2027, 3, 15);
    host.SetToday(day);
    EXPECT_EQ(host.GetSystemTime(), day);
    EXPECT_EQ(host.GetValueOfSql("select getdate()").AsDateTime(), day);
    host.SetClock({});
    EXPECT_GT(host.GetSystemTime(), DateTime::FromYmd(2020, 1, 1)) << "no clock: the machine's time";
}

TEST_F(DemoHostTest, DirectoriesEndInTheSeparatorAndTheTemporaryOneIsCreated)
{
    EXPECT_EQ(host.TempDirectory().back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(host.TempDirectory()));
    auto folder = std::filesystem::temp_directory_path() / fmt::format("mfg-host-temp-{}", ::getpid()) / "sub";
    host.SetTempDirectory(folder);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(host.TempDirectory(), folder.string() + "/");
    host.SetCurrDirectory("/work/settings/");
    EXPECT_EQ(host.SystemIniPath(), std::filesystem::path("/work/settings/System.ini"));
    std::filesystem::remove_all(folder.parent_path());
}

TEST_F(DemoHostTest, LookupSysParamReadsTheParameterTableAndGivesEmptyTextForAMissingOne)
{
    EXPECT_EQ(LookupSysParam("CompanyName"), "自行车厂");
    EXPECT_EQ(LookupSysParam("isband"), "1");
    EXPECT_EQ(LookupSysParam("NoSuchParam"), "");
    host.SqlExecute("update L_SysParam set ParamValue = ' 1 ' where ParamName = 'ShopBillCode'");
    EXPECT_EQ(LookupSysParam("ShopBillCode"), "1") << "read each call, blanks trimmed";
    host.SqlExecute("update L_SysParam set ParamValue = null where ParamName = 'Tel'");
    EXPECT_EQ(LookupSysParam("Tel"), "");
}

TEST_F(DemoHostTest, DecimalsComeFromTheParametersWithDefaultsForMissingOrBadValues)
{
    EXPECT_EQ(host.GetDecimals().quantity, 4);
    EXPECT_EQ(host.GetDecimals().amount, 2);
    host.SqlExecute("update L_SysParam set ParamValue = '2' where ParamName = 'QuantityDecimals'");
    host.SqlExecute("update L_SysParam set ParamValue = 'abc' where ParamName = 'AmountDecimals'");
    host.SqlExecute("delete from L_SysParam where ParamName = 'PriceDecimals'");
    EXPECT_EQ(host.GetDecimals().quantity, 4) << "read once per session";
    host.RefreshDecimals();
    EXPECT_EQ(host.GetDecimals().quantity, 2);
    EXPECT_EQ(host.GetDecimals().amount, 2);
    EXPECT_EQ(host.GetDecimals().price, 4);
}

TEST_F(DemoHostTest, ThePostingMonthIsTheEarliestOpenOneOrElseTheMonthOfToday)
{
    EXPECT_EQ(GetFirstDayOfPosMonth(), DateTime::FromYmd(2026, 12, 1));
    EXPECT_EQ(GetLastDayOfPosMonth(), DateTime::FromYmd(2026, 12, 31));

    host.SqlExecute("update AG_ACCPERIOD set Closed = 1 where PeriodYear = 2026 and PeriodMonth = 12");
    EXPECT_EQ(host.GetFirstDayOfPosMonth(), DateTime::FromYmd(2027, 1, 1));
    EXPECT_EQ(host.GetLastDayOfPosMonth(), DateTime::FromYmd(2027, 1, 31));

    host.SqlExecute("update AG_ACCPERIOD set Closed = 1");
    host.SetToday(DateTime::FromYmdHms(2028, 2, 10, 15, 0, 0));
    EXPECT_EQ(host.GetFirstDayOfPosMonth(), DateTime::FromYmd(2028, 2, 1));
    EXPECT_EQ(host.GetLastDayOfPosMonth(), DateTime::FromYmd(2028, 2, 29));
}

TEST_F(DemoHostTest, WriteLogAddsOneEntryPerCallForTheCurrentUserAtTheServerTime)
{
    host.SetUser(2, "计划员");
    host.SetShopID(2);
    WriteLog('T', 200, 'T', "MRP运算", "", 1, 0);
    host.WriteLog('T', 201, 'T', "MRP运算");
    auto log = host.CreateAutoQuery("select * from m_oplog order by LogID", true);
    ASSERT_EQ(log->RecordCount(), 2);
    EXPECT_EQ(log->FieldByName("OPID").AsInteger(), 2);
    EXPECT_EQ(log->FieldByName("ShopID").AsInteger(), 2);
    EXPECT_EQ(log->FieldByName("LogType").AsString(), "T");
    EXPECT_EQ(log->FieldByName("EventID").AsInteger(), 200);
    EXPECT_EQ(log->FieldByName("Caption").AsString(), "MRP运算");
    EXPECT_EQ(log->FieldByName("Flag1").AsInteger(), 1);
    EXPECT_EQ(log->FieldByName("LogTime").AsDateTime(), test::TestToday());
    auto firstKey = log->FieldByName("LogID").AsInteger();
    log->Next();
    EXPECT_EQ(log->FieldByName("EventID").AsInteger(), 201);
    EXPECT_GT(log->FieldByName("LogID").AsInteger(), firstKey);
}

TEST_F(DemoHostTest, HadUpgradeToFindsTheVersionOrALaterOne)
{
    EXPECT_TRUE(HadUpgradeTo("3.40"));
    EXPECT_TRUE(host.HadUpgradeTo("3.30"));
    EXPECT_FALSE(host.HadUpgradeTo("3.50"));
    host.SqlExecute("delete from AG_VERSION");
    EXPECT_FALSE(host.HadUpgradeTo("3.40"));
    host.SqlExecute("insert into AG_VERSION (Version) values ('3.5')");
    EXPECT_TRUE(host.HadUpgradeTo("3.40")) << "3.5 is later than 3.40";
}

}  // namespace
}  // namespace mfg
