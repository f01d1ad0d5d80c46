// One purchase suggestion split into lines of its own units, suppliers and prices.
#include <gtest/gtest.h>

#include "ReleaseFixture.h"
#include "SinglePurchaseRelease.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

class SinglePurchaseReleaseTest : public ReleaseTest {
protected:
    void SetUp() override
    {
        // A bundle of twelve metres beside the metre of the steel tube.
        SqlExecute(
            "insert into L_GoodsUnit (UnitID, GoodsID, UnitName, Rate, IsBase, UnitType, Sequence, PPrice) values "
            "(9101, 101, '捆', 12, 0, 0, 2, 140)");
        host.LookupDB().RefreshLookupDataSet("qryGoodsUnit");
        SinglePurchaseRelease::DefineLines(cdsMake);
    }

    void NewLine(SinglePurchaseRelease& release)
    {
        const double before = SinglePurchaseRelease::BaseQuantity(cdsMake);
        cdsMake.Append();
        release.NewLine(cdsMake, before);
        cdsMake.Post();
    }

    void Set(SinglePurchaseRelease& release, std::string_view field, Variant value)
    {
        cdsMake.Edit();
        const auto previousUnit = static_cast<std::int32_t>(cdsMake.FieldByName("unitid").AsInteger());
        cdsMake.FieldByName(field).SetValue(std::move(value));
        if (field == "unitid") release.UnitChanged(cdsMake, previousUnit);
        if (field == "traderid") release.SupplierChanged(cdsMake);
        if (field == "price") release.PriceChanged(cdsMake);
        if (field == "quantity") SinglePurchaseRelease::AmountChanged(cdsMake);
        cdsMake.Post();
    }

    SinglePurchaseRelease::Suggestion suggestion{101, DateTime::FromYmd(2026, 12, 20), 11.8, 100};
    DataSet cdsMake;
};

TEST_F(SinglePurchaseReleaseTest, LinesInTheirOwnUnitsAndSuppliersBecomeOneOrderEach)
{
    SinglePurchaseRelease release(2, suggestion);
    NewLine(release);
    EXPECT_EQ(cdsMake.FieldByName("traderid").AsInteger(), 1);
    EXPECT_DOUBLE_EQ(cdsMake.FieldByName("quantity").AsFloat(), 100);
    Set(release, "unitid", 9101);
    EXPECT_DOUBLE_EQ(cdsMake.FieldByName("quantity").AsFloat(), 8.3333);
    EXPECT_DOUBLE_EQ(cdsMake.FieldByName("price").AsFloat(), 140);
    Set(release, "quantity", 2.0);
    Set(release, "price", 24.0);
    EXPECT_DOUBLE_EQ(cdsMake.FieldByName("amount").AsFloat(), 48);
    // The second line starts with what is left in base units, in the goods' own unit.
    NewLine(release);
    EXPECT_DOUBLE_EQ(cdsMake.FieldByName("quantity").AsFloat(), 76);
    Set(release, "traderid", 2);
    EXPECT_EQ(cdsMake.FieldByName("tradername").AsString(), "宁波顺达车轮配件厂");
    cdsMake.Edit();
    cdsMake.FieldByName("brief").SetValue("急用");
    cdsMake.Post();

    ASSERT_FALSE(release.Check(cdsMake));
    const auto before = Count("select max(BillID) from P_ORDER");
    EXPECT_DOUBLE_EQ(release.Release(cdsMake), 100);
    EXPECT_TRUE(dialogs.WasShown("采购订单已下达成功!"));
    const std::string mine = " from P_ORDERDETAIL where BillID > " + std::to_string(before);
    EXPECT_EQ(Rows("select ItemNo, Quantity, UnitQuantity, UnitPrice, Price, UnitID, UnitQty1, UnitQty2" + mine +
                   " order by BillID"),
              (std::vector<std::string>{"1|24|2|24|2|9101|0|2", "1|76|76|11.8|11.8|1011|76|0"}));
    EXPECT_EQ(
        Rows("select TraderID, Remark, Contactor, Linkman from P_ORDER where BillID > " + std::to_string(before) +
             " order by BillID"),
        (std::vector<std::string>{"1|(MRP采购建议下达的采购订单)|张伟|", "2|急用(MRP采购建议下达的采购订单)|陈海|"}));
}

TEST_F(SinglePurchaseReleaseTest, LinesAreCheckedInOrderAndRequestsNeedNoSupplier)
{
    SinglePurchaseRelease order(2, suggestion), request(5, suggestion);
    EXPECT_EQ(order.Check(cdsMake), "没有输入要下达采购订单的信息！");
    NewLine(order);
    Set(order, "revdate", Variant());
    EXPECT_EQ(order.Check(cdsMake), "第[1]行，收货日期没有输入或输入有误！");
    Set(order, "revdate", DateTime::FromYmd(2026, 12, 21));
    Set(order, "traderid", 0);
    EXPECT_EQ(order.Check(cdsMake), "第[1]行，没有选择供应商或选择有误！");
    EXPECT_FALSE(request.Check(cdsMake));
    Set(order, "quantity", 0.0);
    EXPECT_EQ(request.Check(cdsMake), "第[1]行，没有输入数量或输入有误！");
}

TEST_F(SinglePurchaseReleaseTest, AFailedWriteReleasesNothingAndTheRemainderCanBeReleasedLater)
{
    SinglePurchaseRelease release(5, suggestion);
    NewLine(release);
    RefuseWrites(host.DBStartup(), "P_REQUESTDETAIL", "insert", "", "磁盘已满");
    EXPECT_DOUBLE_EQ(release.Release(cdsMake), 0);
    EXPECT_NE(dialogs.Texts(MessageKind::Error).at(0).find("请购单下达失败:"), std::string::npos);
    EXPECT_EQ(Count("select count(*) from P_REQUEST where Remark like '%MRP%'"), 0);

    host.DBStartup().ExecuteNative(OnPostgres() ? "drop trigger refuse_writes on p_requestdetail"
                                                : "drop trigger refuse_writes");
    // 200 of the suggestion first, then the 300 left of it: two requests.
    Set(release, "quantity", 200.0);
    EXPECT_DOUBLE_EQ(release.Release(cdsMake), 200);
    const std::vector<std::string> first = release.Codes();
    Set(release, "quantity", 300.0);
    EXPECT_DOUBLE_EQ(release.Release(cdsMake), 300);
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(release.Codes().size(), 1u);
    EXPECT_NE(first[0], release.Codes()[0]);
    EXPECT_EQ(Rows("select d.Quantity from P_REQUESTDETAIL d join P_REQUEST m on m.BillID = d.BillID where m.Remark "
                   "like '%MRP%' order by m.BillCode"),
              (std::vector<std::string>{"200", "300"}));
}

TEST_F(SinglePurchaseReleaseTest, APrintRecordThatFailsReleasesNothingAndSaysSo)
{
    SinglePurchaseRelease release(2, suggestion);
    NewLine(release);
    RefuseWrites(host.DBStartup(), "AB_BILLPRINT", "insert", "", "打印记录已满");
    const auto orders = Count("select count(*) from P_ORDER");
    EXPECT_DOUBLE_EQ(release.Release(cdsMake), 0);
    EXPECT_NE(dialogs.Texts(MessageKind::Error).at(0).find("采购订单下达失败:"), std::string::npos);
    EXPECT_NE(dialogs.Texts(MessageKind::Error).at(0).find("打印记录已满"), std::string::npos);
    EXPECT_EQ(Count("select count(*) from P_ORDER"), orders);
}

TEST_F(SinglePurchaseReleaseTest, QuantitiesAreWrittenInTheHostsDecimals)
{
    SinglePurchaseRelease release(5, suggestion);
    NewLine(release);
    Set(release, "quantity", 10.000000000000004);
    EXPECT_DOUBLE_EQ(release.Release(cdsMake), 10);
    EXPECT_EQ(GetValueOfSql("select d.Quantity from P_REQUESTDETAIL d join P_REQUEST m on m.BillID = d.BillID where "
                            "m.BillCode = '" +
                            release.Codes().at(0) + "'")
                  .AsFloat(),
              10.0);
    // A line that rounds to nothing is refused like an empty one.
    Set(release, "quantity", 2.27e-13);
    EXPECT_EQ(release.Check(cdsMake), "第[1]行，没有输入数量或输入有误！");
}

}  // namespace
}  // namespace mfg::test
