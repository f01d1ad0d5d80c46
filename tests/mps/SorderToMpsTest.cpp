#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "ManuPlanBill.h"
#include "RowSelection.h"
#include "SorderToMps.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

const DateTime kDecember1 = DateTime::FromYmd(2026, 12, 1);
const DateTime kDecember31 = DateTime::FromYmd(2026, 12, 31);
const DateTime kJanuary31 = DateTime::FromYmd(2027, 1, 31);

class SorderToMpsTest : public test::DemoHostTest {
protected:
    std::vector<std::string> ListedLines()
    {
        std::vector<std::string> lines;
        DataSet& list = mps.Lines();
        for (list.First(); !list.Eof(); list.Next())
            lines.push_back(list.FieldByName("BillCode").AsString() + ":" + list.FieldByName("ItemNO").AsString());
        return lines;
    }
    void Tick(const std::string& billCode, int itemNo)
    {
        ASSERT_TRUE(mps.Locate(billCode, itemNo)) << billCode << ":" << itemNo;
        mps.Lines().Edit();
        mps.Lines().FieldByName("Selected").SetValue(1);
        mps.Lines().Post();
    }
    void SetCurrent(const std::string& field, const Variant& value)
    {
        mps.Lines().Edit();
        mps.Lines().FieldByName(field).SetValue(value);
        mps.Lines().Post();
    }
    ResultSet NewPlans()
    {
        return host.DBStartup().Query(
            "select BillCode, BillDate, GoodsID, Quantity, FinishDate, ReferBillID, ReferItemNo, BillState, OPID, "
            "ReMark, BillID from MNF_ManuPlan where BillID > 4 order by BillCode");
    }

    //! Ticks every listed line, gives the one due too early a later finish, converts expecting a
    //! failure, and returns the one error shown.
    std::string FailedConversionError()
    {
        mps.Reload(kDecember1, kJanuary31);
        SelectAllRows(mps.Lines());
        EXPECT_TRUE(mps.Locate("XS-2026-12-04-0001", 1));
        SetCurrent("MNEndDate", DateTime::FromYmd(2027, 1, 12));
        EXPECT_EQ(mps.Convert(), ConvertResult::Failed);
        auto errors = dialogs.Texts(MessageKind::Error);
        EXPECT_EQ(errors.size(), 1u);
        return errors.empty() ? std::string() : errors[0];
    }

    SorderToMps mps;
};

TEST_F(SorderToMpsTest, ListsOpenLinesOfManufacturedGoodsByDeliveryOrOrderDate)
{
    mps.Reload(kDecember1, kDecember31);
    // Order 2 was placed in December but is due in January; 1:2 is already in the schedule;
    // order 3 is delivered, 4 not audited, 6 of another branch.
    EXPECT_EQ(ListedLines(), (std::vector<std::string>{"XS-2026-12-01-0001:1", "XS-2026-12-04-0001:1"}));
    mps.Reload(kDecember1, kJanuary31);
    // Line 2:3 is a purchased material, not a manufactured goods.
    EXPECT_EQ(ListedLines(), (std::vector<std::string>{"XS-2026-12-01-0001:1", "XS-2026-12-03-0001:1",
                                                       "XS-2026-12-03-0001:2", "XS-2026-12-04-0001:1"}));
    host.SetShopID(2);
    mps.Reload(kDecember1, kDecember31);
    EXPECT_EQ(ListedLines(), std::vector<std::string>{"XS-2026-12-02-0001:1"});
}

TEST_F(SorderToMpsTest, TickingSetsTheCompletionDateAndUntickingClearsIt)
{
    mps.Reload(kDecember1, kDecember31);
    Tick("XS-2026-12-01-0001", 1);
    EXPECT_EQ(mps.Lines().FieldByName("MNEndDate").AsDateTime(), DateTime::FromYmd(2026, 12, 25));
    SetCurrent("Selected", 0);
    EXPECT_TRUE(mps.Lines().FieldByName("MNEndDate").IsNull());
    Tick("XS-2026-12-01-0001", 1);
    EXPECT_EQ(mps.Lines().FieldByName("MNEndDate").AsDateTime(), DateTime::FromYmd(2026, 12, 25));
    Tick("XS-2026-12-04-0001", 1);  // no delivery date: the order date
    EXPECT_EQ(mps.Lines().FieldByName("MNEndDate").AsDateTime(), DateTime::FromYmd(2026, 12, 4));

    ClearAllRows(mps.Lines());
    InvertRows(mps.Lines());
    EXPECT_EQ(mps.Lines().FieldByName("MNEndDate").AsDateTime(), DateTime::FromYmd(2026, 12, 25));
}

TEST_F(SorderToMpsTest, RefusesWithTheFirstFaultAndWritesNothing)
{
    mps.Reload(kDecember1, kDecember31);
    EXPECT_EQ(mps.Convert(), ConvertResult::Refused);
    Tick("XS-2026-12-04-0001", 1);  // completes on the order date, already past
    EXPECT_EQ(mps.Convert(), ConvertResult::Refused);
    SetCurrent("MNEndDate", Variant());
    EXPECT_EQ(mps.Convert(), ConvertResult::Refused);
    SetCurrent("MNEndDate", DateTime::FromYmd(2026, 12, 6));  // today is early enough
    SetCurrent("MnQty", 0);
    EXPECT_EQ(mps.Convert(), ConvertResult::Refused);
    SetCurrent("MnQty", -3);
    EXPECT_EQ(mps.Convert(), ConvertResult::Refused);
    EXPECT_EQ(dialogs.Texts(MessageKind::Information),
              (std::vector<std::string>{"没有选择要转入主生产计划的销售订单记录!", "生产完工日期不能小于今天!",
                                        "生产完工日期不能小于今天!", "数量应大于零!", "数量应大于零!"}));
    EXPECT_TRUE(NewPlans().Empty());
}

TEST_F(SorderToMpsTest, ThreeLinesBecomeThreeBillsWithConsecutiveCodes)
{
    mps.Reload(kDecember1, kJanuary31);
    Tick("XS-2026-12-01-0001", 1);
    Tick("XS-2026-12-03-0001", 2);
    Tick("XS-2026-12-04-0001", 1);
    SetCurrent("MNEndDate", DateTime::FromYmd(2027, 1, 12));
    SetCurrent("MnQty", 12.5);
    ASSERT_EQ(mps.Convert(), ConvertResult::Converted);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "已成功将所选的订单记录转入主生产计划!");
    EXPECT_EQ(dialogs.Messages()[0].title, "提示");

    auto plans = NewPlans();
    ASSERT_EQ(plans.rows.size(), 3u);
    const std::vector<std::string> codes{"JH-2026-12-0004", "JH-2026-12-0005", "JH-2026-12-0006"};
    EXPECT_EQ(mps.WrittenCodes(), codes);
    const std::vector<int> goods{1, 3, 2}, referBills{1, 2, 5}, referItems{1, 2, 1};
    const std::vector<double> quantities{100, 30, 12.5};
    const std::vector<DateTime> finishes{DateTime::FromYmd(2026, 12, 25), DateTime::FromYmd(2027, 1, 15),
                                         DateTime::FromYmd(2027, 1, 12)};
    for (size_t i = 0; i < 3; ++i) {
        const auto& row = plans.rows[i];
        EXPECT_EQ(row[0].AsString(), codes[i]);
        EXPECT_EQ(row[1].AsDateTime().Date(), DateTime::FromYmd(2026, 12, 6)) << "every bill is dated today";
        EXPECT_EQ(row[2].AsInteger(), goods[i]);
        EXPECT_DOUBLE_EQ(row[3].AsFloat(), quantities[i]);
        EXPECT_EQ(row[4].AsDateTime().Date(), finishes[i]);
        EXPECT_EQ(row[5].AsInteger(), referBills[i]);
        EXPECT_EQ(row[6].AsInteger(), referItems[i]);
        EXPECT_EQ(row[7].AsInteger(), 0) << "written not audited";
        EXPECT_EQ(row[8].AsInteger(), 1);
        EXPECT_EQ(row[9].AsString(), "销售订单直接下达");
    }
    EXPECT_NE(plans.rows[0][10].AsInteger(), plans.rows[1][10].AsInteger());
    EXPECT_NE(plans.rows[1][10].AsInteger(), plans.rows[2][10].AsInteger());
}

TEST_F(SorderToMpsTest, AFailedInsertEndsTheWalkKeepsTheBillsBeforeAndTellsTheUser)
{
    test::RefuseWrites(host.DBStartup(), "MNF_ManuPlan", "insert", "new.GoodsID = 3", "schedule line refused");
    EXPECT_NE(FailedConversionError().find("schedule line refused"), std::string::npos);
    EXPECT_FALSE(dialogs.WasShown("已成功将所选的订单记录转入主生产计划!"));
    // Each insert stands alone, as the screen always did: the two lines before the refused one stay.
    auto plans = NewPlans();
    ASSERT_EQ(plans.rows.size(), 2u);
    EXPECT_EQ(mps.WrittenCodes(), (std::vector<std::string>{"JH-2026-12-0004", "JH-2026-12-0005"}));
    EXPECT_EQ(plans.rows[0][5].AsInteger() * 10 + plans.rows[0][6].AsInteger(), 11);
    EXPECT_EQ(plans.rows[1][5].AsInteger() * 10 + plans.rows[1][6].AsInteger(), 21);
}

TEST_F(SorderToMpsTest, WithoutARuleForBillType43NothingIsWrittenAndTheTypeIsNamed)
{
    host.SqlExecute("delete from L_BillType where id = 43");
    EXPECT_NE(FailedConversionError().find("单据类型 43 没有编号规则"), std::string::npos);
    EXPECT_TRUE(NewPlans().rows.empty());
    EXPECT_TRUE(mps.WrittenCodes().empty());
}

std::string NextManuPlanCode(DateTime billDate)
{
    int serialNo = -1;
    return GetManuPlanBillCode(billDate, serialNo);
}

TEST_F(SorderToMpsTest, BillCodesCountWithinTheBranchAndARuleWithoutHeadHasNoDatePart)
{
    auto today = DateTime::FromYmd(2026, 12, 6);
    EXPECT_EQ(NextManuPlanCode(today), "JH-2026-12-0004");
    EXPECT_EQ(NextManuPlanCode(DateTime::FromYmd(2027, 1, 4)), "JH-2027-01-0001");
    int serialNo = 7;
    EXPECT_EQ(GetManuPlanBillCode(today, serialNo), "JH-2026-12-0007") << "a serial given is taken as it is";
    host.SetShopID(2);
    EXPECT_EQ(NextManuPlanCode(today), "JH-2026-12-0001");
    host.SetShopID(1);
    host.SqlExecute("update L_BillType set Head = '' where id = 43");
    EXPECT_EQ(NextManuPlanCode(today), "0004");
    host.SqlExecute("update L_BillType set Head = 'MPS', Sepa = '/', Mode = '' where id = 43");
    EXPECT_EQ(NextManuPlanCode(DateTime::FromYmd(2027, 3, 1)), "MPS/0004")
        << "without a date part the serial runs over every month";
}

TEST_F(SorderToMpsTest, ACodeHeldOutsideTheBranchNumberingMovesTheLineToTheNextSerial)
{
    // Codes count within the branch, but no two bills may share one.
    host.SqlExecute(
        "insert into MNF_ManuPlan (BillID, ItemNo, BillDate, ShopID, BillCode, GoodsID, Quantity) values "
        "(95, 1, '2026-12-06', 2, 'JH-2026-12-0004', 1, 1)");
    mps.Reload(kDecember1, kDecember31);
    Tick("XS-2026-12-01-0001", 1);
    ASSERT_EQ(mps.Convert(), ConvertResult::Converted) << fmt::format("{}", fmt::join(dialogs.Texts(), " | "));
    EXPECT_EQ(mps.WrittenCodes(), std::vector<std::string>{"JH-2026-12-0005"});
    EXPECT_EQ(
        host.GetValueOfSql("select count(*) from MNF_ManuPlan where ReferBillID = 1 and ReferItemNo = 1").AsInteger(),
        1);
}

TEST_F(SorderToMpsTest, AConvertedLineIsNotOfferedAgainUntilItsScheduleLineGoes)
{
    auto taken = [&](int billId, int itemNo) {
        return host
            .GetValueOfSql(
                fmt::format("select MPSREFERED from S_OrderDetail where BillID = {} and ItemNo = {}", billId, itemNo))
            .AsInteger();
    };
    mps.Reload(kDecember1, kDecember31);
    Tick("XS-2026-12-01-0001", 1);
    ASSERT_EQ(mps.Convert(), ConvertResult::Converted);
    EXPECT_EQ(taken(1, 1), 1);
    mps.Reload(kDecember1, kDecember31);
    EXPECT_EQ(ListedLines(), std::vector<std::string>{"XS-2026-12-04-0001:1"})
        << "converting it twice would double its demand";

    // The mark follows every schedule line that refers to the order line, whoever writes it.
    host.SqlExecute(
        "insert into MNF_ManuPlan (BillID, ItemNo, BillDate, BillCode, GoodsID, Quantity, ReferBillID, "
        "ReferItemNo) values (90, 1, '2026-12-06', 'JH-HAND-1', 2, 5, 5, 1)");
    EXPECT_EQ(taken(5, 1), 1);
    try {
        host.SqlExecute(
            "insert into MNF_ManuPlan (BillID, ItemNo, BillDate, BillCode, GoodsID, Quantity, ReferBillID, "
            "ReferItemNo) values (91, 1, '2026-12-06', 'JH-HAND-2', 2, 5, 5, 1)");
        ADD_FAILURE() << "a second schedule line for one order line was written";
    } catch (const DbError& error) {
        EXPECT_EQ(error.Failure(), DbFailure::DuplicateKey) << error.what();
    }
    host.SqlExecute("update MNF_ManuPlan set ReferBillID = 2, ReferItemNo = 2 where BillID = 90");
    EXPECT_EQ(taken(5, 1), 0);
    EXPECT_EQ(taken(2, 2), 1);
    host.SqlExecute("delete from MNF_ManuPlan where BillID = 90");
    EXPECT_EQ(taken(2, 2), 0);

    host.SqlExecute("delete from MNF_ManuPlan where BillCode = 'JH-2026-12-0004'");
    EXPECT_EQ(taken(1, 1), 0);
    mps.Reload(kDecember1, kDecember31);
    EXPECT_EQ(ListedLines(), (std::vector<std::string>{"XS-2026-12-01-0001:1", "XS-2026-12-04-0001:1"}));
}

TEST_F(SorderToMpsTest, AuditingABillOnceAndNotAgain)
{
    mps.Reload(kDecember1, kDecember31);
    Tick("XS-2026-12-01-0001", 1);
    ASSERT_EQ(mps.Convert(), ConvertResult::Converted);
    EXPECT_EQ(AuditManuPlan("JH-2026-12-0004"), ManuPlanAuditResult::Audited);
    EXPECT_EQ(host.GetValueOfSql("select BillState from MNF_ManuPlan where BillCode = 'JH-2026-12-0004'").AsInteger(), 1);
    EXPECT_EQ(AuditManuPlan("JH-2026-12-0004"), ManuPlanAuditResult::AlreadyAudited);
    EXPECT_EQ(AuditManuPlan("JH-2026-12-0099"), ManuPlanAuditResult::NotFound);
    EXPECT_EQ(AuditManuPlan("JH' or '1'='1"), ManuPlanAuditResult::NotFound);
    host.SetShopID(2);
    EXPECT_EQ(AuditManuPlan("JH-2026-12-0003"), ManuPlanAuditResult::NotFound) << "a bill of another branch";
}

}  // namespace
}  // namespace mfg
