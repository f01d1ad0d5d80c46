#include <gtest/gtest.h>

#include "BillCode.h"
#include "Calculations.h"
#include "MrpDB.h"
#include "RowSelection.h"
#include "data/DataSet.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

class BillCodeTest : public test::DemoHostTest {
protected:
    void Rule(const std::string& head, const std::string& sepa, const std::string& mode, const std::string& code)
    {
        host.SqlExecute("delete from L_BillType where id = 99");
        host.SqlExecute("insert into L_BillType (id, Name, Head, Sepa, Mode, Code) values (99, '测试', :h, :s, :m, :c)",
                        {{"h", head}, {"s", sepa}, {"m", mode}, {"c", code}});
    }
    std::string Next(DateTime date, const std::string& table = "P_ORDER")
    {
        int serial = -1;
        return GetBillCode(date, serial, 99, table);
    }
};

TEST_F(BillCodeTest, ModesWidthsAndSerials)
{
    auto march = DateTime::FromYmd(2026, 3, 5);
    Rule("CG", "-", "年月", "0000");
    EXPECT_EQ(Next(march), "CG-2026-03-0001");  // no bill of that month yet
    Rule("CG", "-", "", "0000");
    EXPECT_EQ(Next(DateTime::FromYmd(2026, 12, 6)), "CG-0004");  // the highest serial of any month is 3
    Rule("", "-", "", "0000");
    EXPECT_EQ(Next(march), "0004");
    Rule("SC", "/", "月日年", "000000");
    EXPECT_EQ(Next(DateTime::FromYmd(2026, 12, 1), "MNF_MANUORDER"), "SC/12/01/2026/000001");
    Rule("CG", "-", "年", "0000");
    int serial = 9999;
    EXPECT_EQ(GetBillCode(march, serial, 99, "P_ORDER"), "CG-2026-9999");
    serial = 12345;
    try {
        GetBillCode(march, serial, 99, "P_ORDER");
        ADD_FAILURE() << "a serial cut to the rule's four digits";
    } catch (const BillCodeError& error) {
        EXPECT_NE(std::string(error.what()).find("单据类型 99 的编号规则 CG-年-0000"), std::string::npos) << error.what();
    }
    serial = 7;
    Rule("CG", "", "年月日", "0000000000000000");
    EXPECT_EQ(GetBillCode(march, serial, 99, "P_ORDER"), "CG20260305000000000000007");
}

TEST_F(BillCodeTest, TheNextSerialOfTheDemoMonth)
{
    int serial = -1;
    EXPECT_EQ(GetBillCode(DateTime::FromYmd(2026, 12, 6), serial, 2, "P_ORDER"), "CG-2026-12-0004");
    EXPECT_EQ(serial, 4);
    serial = -1;
    EXPECT_EQ(GetBillCode(DateTime::FromYmd(2026, 12, 6), serial, 43, "MNF_ManuPlan"), "JH-2026-12-0004");
}

TEST_F(BillCodeTest, ABillTypeWithoutARuleIsRefusedBeforeAnyBillIsWritten)
{
    host.SqlExecute("delete from L_BillType where id = 2");
    int serial = -1;
    try {
        GetBillCode(DateTime::FromYmd(2026, 12, 6), serial, 2, "P_ORDER");
        ADD_FAILURE() << "a code without a rule";
    } catch (const BillCodeError& error) {
        EXPECT_NE(std::string(error.what()).find("单据类型 2 没有编号规则"), std::string::npos) << error.what();
    }
    bool written = false;
    EXPECT_THROW(WriteNewBill(DateTime::FromYmd(2026, 12, 6), 2, "P_ORDER", [&](const std::string&) { written = true; }),
                 BillCodeError);
    EXPECT_FALSE(written);
}

TEST_F(BillCodeTest, ALongBranchCodeIsRefusedWithTheMessage)
{
    host.SqlExecute("update L_SysParam set ParamValue = '1' where ParamName = 'ShopBillCode'");
    host.SqlExecute("update d_shop set Code = '" + std::string(30, '9') + "' where ShopID = 1");
    host.LookupDB().RefreshLookupDataSet("qryShop");
    Rule("CG", "-", "年月", "0000");
    EXPECT_EQ(Next(DateTime::FromYmd(2026, 3, 5)), "");
    ASSERT_EQ(dialogs.Texts().size(), 1u);
    EXPECT_EQ(dialogs.Texts().front(), "分支机构编号过长，无法生成单据编号，请重新设定分支机构编码！");
}

TEST_F(BillCodeTest, NewKeysAndCurrencies)
{
    int first = GetNewKey("mnf_manuplan");
    EXPECT_GT(first, host.GetValueOfSql("select max(BillID) from MNF_ManuPlan").AsInteger());
    EXPECT_EQ(GetNewKey("MNF_MANUPLAN"), first + 1);

    host.SqlExecute("update L_Money set Calctype = 2 where MoneyID = 2");
    host.LookupDB().RefreshLookupDataSet("qryMoney");
    EXPECT_EQ(ConvertByRate(2, 7.2, 100), 0);
    EXPECT_EQ(ConvertByRate(1, 0, 100), 0);
    host.SqlExecute("update L_Money set Calctype = 1 where MoneyID = 2");
    host.LookupDB().RefreshLookupDataSet("qryMoney");
    EXPECT_DOUBLE_EQ(ConvertByRate(2, 7.2, 100), 720);
    host.SqlExecute("update L_Money set Calctype = 0 where MoneyID = 2");
    host.LookupDB().RefreshLookupDataSet("qryMoney");
    EXPECT_DOUBLE_EQ(ConvertByRate(2, 3, 100), 33.33333333);
    EXPECT_EQ(Today(), DateTime::FromYmd(2026, 12, 6));
}

TEST(RoundHalfUp, OnlyTheNextDigitDecides)
{
    EXPECT_DOUBLE_EQ(RoundHalfUp(-1.25, 1), -1.3);
    EXPECT_DOUBLE_EQ(RoundHalfUp(1.24999, 1), 1.2);
    EXPECT_DOUBLE_EQ(RoundHalfUp(2.67499, 2), 2.67);
    EXPECT_DOUBLE_EQ(RoundHalfUp(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(RoundHalfUp(0.5, 0), 1);
    EXPECT_DOUBLE_EQ(RoundHalfUp(-0.5, 0), -1);
    EXPECT_DOUBLE_EQ(RoundHalfUp(1234.5678, 3), 1234.568);
}

TEST(RowSelection, TickClearAndInvertEveryRow)
{
    DataSet lines("cdsMP");
    lines.AddField("selected", FieldType::Integer);
    lines.AddField("code", FieldType::Text);
    lines.CreateDataSet();
    for (auto code : {"a", "b", "c"}) {
        lines.Append();
        lines.FieldByName("selected").SetValue(code == std::string("b") ? 1 : 0);
        lines.FieldByName("code").SetValue(code);
        lines.Post();
    }
    auto ticks = [&] {
        std::string out;
        for (lines.First(); !lines.Eof(); lines.Next()) out += lines.FieldByName("selected").AsString();
        return out;
    };
    lines.Last();
    InvertRows(lines);
    EXPECT_EQ(lines.RecNo(), 1);
    EXPECT_EQ(ticks(), "101");
    SelectAllRows(lines);
    EXPECT_EQ(ticks(), "111");
    ClearAllRows(lines);
    EXPECT_EQ(ticks(), "000");
    EXPECT_FALSE(lines.ControlsDisabled());
    SetAllRows(lines, 1);
    EXPECT_EQ(ticks(), "111");
}

TEST_F(BillCodeTest, ResultTablesTakeTheirUpdateStatements)
{
    TMrpDB mrpDB;
    EXPECT_EQ(mrpDB.dbMRPTMPPath, host.TempDirectory());
    mrpDB.qryMRPPurchase.Open(host.DBStartup());
    EXPECT_EQ(mrpDB.qryMRPPurchase.RecordCount(), 0);
    EXPECT_EQ(mrpDB.qryMRPPurchase.FieldCount(), 25);
    mrpDB.qryMRPPurchase.Append();
    mrpDB.qryMRPPurchase.FieldByName("BILLID").SetValue(1);
    mrpDB.qryMRPPurchase.FieldByName("ITEMNO").SetValue(1);
    mrpDB.qryMRPPurchase.FieldByName("QUANTITY").SetValue(12.5);
    mrpDB.qryMRPPurchase.Post();
    mrpDB.qryMRPPurchase.UpdateBatch(host.DBStartup());
    mrpDB.qryMRPPurchase.Edit();
    mrpDB.qryMRPPurchase.FieldByName("ITEMNO").SetValue(2);
    mrpDB.qryMRPPurchase.Post();
    mrpDB.qryMRPPurchase.UpdateBatch(host.DBStartup());
    EXPECT_EQ(host.GetValueOfSql("select ITEMNO from MNF_MRPPURCHASE where BILLID = 1").AsInteger(), 2);
    mrpDB.qryMRPPurchase.Delete();
    mrpDB.qryMRPPurchase.UpdateBatch(host.DBStartup());
    EXPECT_EQ(host.GetValueOfSql("select count(*) from MNF_MRPPURCHASE").AsInteger(), 0);
}

}  // namespace
}  // namespace mfg
