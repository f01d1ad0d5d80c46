// Purchase suggestions released as orders and requests, read back from the documents.
#include <gtest/gtest.h>

#include "PurchaseRelease.h"
#include "ReleaseFixture.h"
#include "TestDatabase.h"
#include "host/Format.h"

namespace mfg::test {
namespace {

class PurchaseReleaseTest : public ReleaseTest {
protected:
    void SetUp() override { PurchaseSuggestions(cdsPurSug); }

    std::vector<std::string> Release(int billType)
    {
        PurchaseRelease release(billType);
        return release.Release(cdsPurSug, [&](std::int32_t goodsid, const std::string& text) {
            asked.push_back(text);
            return chooser(goodsid);
        });
    }

    DataSet cdsPurSug;
    std::vector<std::string> asked;
    std::function<std::int32_t(std::int32_t)> chooser = [](std::int32_t) { return 0; };
};

TEST_F(PurchaseReleaseTest, OrdersAreSplitBySupplierAndDateOfReceiptInTheOrderTheyFirstOccur)
{
    const DateTime may = Day(2026, 12, 20);
    AddPurchase(cdsPurSug, 101, 100, 11.8, may);   // supplier 1
    AddPurchase(cdsPurSug, 104, 1000, 0.44, may);  // supplier 2
    AddPurchase(cdsPurSug, 102, 50, 14.8, may);    // supplier 1
    AddPurchase(cdsPurSug, 103, 0, 31.5, may);     // nothing to buy: unticked, never a document
    const auto codes = Release(2);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_TRUE(dialogs.WasShown("采购订单已下达成功!"));
    EXPECT_TRUE(asked.empty());

    EXPECT_EQ(Rows("select TraderID, cTraderID, BillState, BillKind, OPID, ShopID, Remark, ShipType, Linkman, "
                   "ContactPhone, BillTo, MoneyID, ExRate, Amount, lcAmount from P_ORDER where BillCode = '" +
                   codes[0] + "'"),
              (std::vector<std::string>{fmt::format("1|1|0|1|1|1|MRP采购建议下达的采购订单|汽运|张伟|022-23456789|"
                                                    "天津市西青区工业园自行车路8号 原料仓|1|1|{0}|{0}",
                                                    Variant(FormatAmount(1180 * 1.17)).AsString())}));
    EXPECT_EQ(Rows("select d.ItemNo, d.GoodsID, d.Quantity, d.UnitQuantity, d.Price, d.TaxRate, d.Amount, d.GoodsAmt, "
                   "d.UnitID, d.UnitQty1 from P_ORDERDETAIL d join P_ORDER m on m.BillID = d.BillID where "
                   "m.BillCode = '" +
                   codes[0] + "' order by d.ItemNo"),
              (std::vector<std::string>{
                  fmt::format("1|101|100|100|11.8|17|{}|1180|1011|100", Variant(FormatAmount(1180 * 1.17)).AsString()),
                  fmt::format("2|102|50|50|14.8|17|{}|740|1021|50", Variant(FormatAmount(740 * 1.17)).AsString())}));
    EXPECT_EQ(GetValueOfSql("select max(ChargeDate) from P_ORDERDETAIL where GoodsID = 102").AsDateTime(), may);
    EXPECT_EQ(Count("select count(*) from P_ORDERDETAIL d join P_ORDER m on m.BillID = d.BillID where m.TraderID = 2 "
                    "and m.BillCode = '" +
                    codes[1] + "'"),
              1);
    // Numbered consecutively, each recorded for printing under its own code.
    EXPECT_EQ(std::stoi(codes[1].substr(codes[1].size() - 4)), std::stoi(codes[0].substr(codes[0].size() - 4)) + 1);
    EXPECT_EQ(Count("select count(*) from AB_BILLPRINT where BillType = 2 and BillCode in " + InList(codes)), 2);
    for (cdsPurSug.First(); !cdsPurSug.Eof(); cdsPurSug.Next())
        EXPECT_EQ(cdsPurSug.FieldByName("selected").AsInteger(), 0);
}

TEST_F(PurchaseReleaseTest, RequestsGatherEveryTickedRowInOneDocumentWithoutSupplier)
{
    AddPurchase(cdsPurSug, 101, 100, 11.8, Day(2026, 12, 20));
    AddPurchase(cdsPurSug, 104, 1000, 0.44, Day(2026, 12, 22));
    AddPurchase(cdsPurSug, 102, 50, 14.8, Day(2026, 12, 20), 0);
    const auto codes = Release(5);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_EQ(codes[0].substr(0, 11), "QG-2026-12-");
    EXPECT_EQ(Rows("select d.ItemNo, d.GoodsID, d.Price, d.Amount, m.Remark from P_REQUESTDETAIL d join P_REQUEST m on "
                   "m.BillID = d.BillID where m.BillCode = '" +
                   codes[0] + "' order by d.ItemNo"),
              (std::vector<std::string>{"1|101|11.8|1180|MRP采购建议下达的请购单",
                                        "2|104|0.44|440|MRP采购建议下达的请购单"}));
    EXPECT_EQ(Count("select count(*) from P_REQUESTDETAIL where GoodsID = 102"), 0);
}

TEST_F(PurchaseReleaseTest, ASupplierOfAnotherShopIsAskedForOncePerGoodsAndCancelWritesNothing)
{
    SqlExecute("update l_trader set ShopID = 2 where TraderID = 1");
    host.LookupDB().RefreshLookupDataSet("qryTrader");
    AddPurchase(cdsPurSug, 101, 100, 11.8, Day(2026, 12, 20));
    AddPurchase(cdsPurSug, 101, 20, 11.8, Day(2026, 12, 21));
    const auto before = Count("select count(*) from P_ORDER");
    EXPECT_TRUE(Release(2).empty());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].substr(0, asked[0].find('\n')), "提示: 请选择货品的往来单位!");
    EXPECT_EQ(Count("select count(*) from P_ORDER"), before);

    // Goods 101 from supplier 2: two dates of receipt, two orders.
    chooser = [](std::int32_t) { return 2; };
    asked.clear();
    const auto codes = Release(2);
    EXPECT_EQ(asked.size(), 1u);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(Count("select count(*) from P_ORDER where TraderID = 2 and BillCode in " + InList(codes)), 2);
}

TEST_F(PurchaseReleaseTest, ReleasingTheSameSuggestionsTwiceWritesTwiceTheDocumentsUnderCodesOfTheirOwn)
{
    AddPurchase(cdsPurSug, 101, 100, 11.8, Day(2026, 12, 20));
    AddPurchase(cdsPurSug, 104, 1000, 0.44, Day(2026, 12, 20));
    const auto first = Release(2);
    ASSERT_EQ(first.size(), 2u);
    for (cdsPurSug.First(); !cdsPurSug.Eof(); cdsPurSug.Next()) {
        cdsPurSug.Edit();
        cdsPurSug.FieldByName("selected").SetValue(1);
        cdsPurSug.Post();
    }
    dialogs.Clear();
    const auto second = Release(2);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_TRUE(dialogs.Texts(MessageKind::Error).empty());
    EXPECT_TRUE(dialogs.WasShown("采购订单已下达成功!"));
    const std::vector<std::string> all{first[0], first[1], second[0], second[1]};
    EXPECT_EQ(Count("select count(distinct BillCode) from P_ORDER where BillCode in " + InList(all)), 4);
    EXPECT_EQ(Count("select count(distinct BillID) from P_ORDER where BillCode in " + InList(all)), 4);
    EXPECT_EQ(Count("select count(*) from P_ORDERDETAIL d join P_ORDER m on m.BillID = d.BillID where d.GoodsID = 101 "
                    "and m.BillCode in " +
                    InList(all)),
              2);
    EXPECT_EQ(Count("select count(*) from AB_BILLPRINT p join P_ORDER m on m.BillID = p.BillID and m.BillCode = "
                    "p.BillCode where p.BillType = 2 and m.BillCode in " +
                    InList(all)),
              4);
    // The same suggestions as purchase requests as well.
    cdsPurSug.First();
    cdsPurSug.Edit();
    cdsPurSug.FieldByName("selected").SetValue(1);
    cdsPurSug.Post();
    EXPECT_EQ(Release(5).size(), 1u);
}

TEST_F(PurchaseReleaseTest, AWorkbenchRowKeepsWhatItReleasedAndAsksBeforeReleasingAgain)
{
    DataSet rows;
    AddWorkbenchPurchase(rows, 101, 100, 11.8, Day(2026, 12, 20));
    PurchaseRelease release(2);
    const auto first = release.Release(rows, [](std::int32_t, const std::string&) { return 0; });
    ASSERT_EQ(first.size(), 1u);
    rows.First();
    EXPECT_DOUBLE_EQ(rows.FieldByName("releasedqty").AsFloat(), 100);
    EXPECT_EQ(rows.FieldByName("released").AsString(), "100 " + first[0]);

    // Ticked again: the question, answered no, writes nothing.
    const auto orders = Count("select count(*) from P_ORDER");
    rows.Edit();
    rows.FieldByName("selected").SetValue(1);
    rows.Post();
    dialogs.Answer({7});
    EXPECT_TRUE(release.Release(rows, [](std::int32_t, const std::string&) { return 0; }).empty());
    EXPECT_TRUE(dialogs.WasShown("货品 1001 已经下达过 100\n是否再次下达?"));
    EXPECT_EQ(Count("select count(*) from P_ORDER"), orders);

    // Answered yes, a second order.
    dialogs.Answer({6});
    const auto second = release.Release(rows, [](std::int32_t, const std::string&) { return 0; });
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(Count("select count(*) from P_ORDER"), orders + 1);
    rows.First();
    EXPECT_EQ(rows.FieldByName("released").AsString(), "200 " + first[0] + " " + second[0]);
}

TEST_F(PurchaseReleaseTest, QuantitiesAreWrittenInTheHostsDecimalsAndALineOfNothingIsNotWritten)
{
    AddPurchase(cdsPurSug, 101, 10.000000000000004, 11.8, Day(2026, 12, 20));
    AddPurchase(cdsPurSug, 104, 2.27e-13, 0.44, Day(2026, 12, 22));
    const auto codes = Release(5);
    ASSERT_EQ(codes.size(), 1u);
    auto quantities = CreateAutoQuery(
        "select d.Quantity from P_REQUESTDETAIL d join P_REQUEST m on m.BillID = d.BillID where m.BillCode = '" +
            codes[0] + "'",
        true);
    ASSERT_EQ(quantities->RecordCount(), 1);
    EXPECT_EQ(quantities->FieldByName("Quantity").AsFloat(), 10.0);
}

TEST_F(PurchaseReleaseTest, APrintRecordThatFailsReleasesNothingAndSaysSo)
{
    AddPurchase(cdsPurSug, 101, 100, 11.8, Day(2026, 12, 20));
    AddPurchase(cdsPurSug, 104, 1000, 0.44, Day(2026, 12, 20));
    RefuseWrites(host.DBStartup(), "AB_BILLPRINT", "insert", "", "打印记录已满");
    const auto orders = Count("select count(*) from P_ORDER");
    EXPECT_TRUE(Release(2).empty());
    ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u);
    EXPECT_EQ(dialogs.Texts(MessageKind::Error)[0].rfind("采购订单下达失败:", 0), 0u);
    EXPECT_NE(dialogs.Texts(MessageKind::Error)[0].find("打印记录已满"), std::string::npos);
    EXPECT_FALSE(dialogs.WasShown("采购订单已下达成功!"));
    EXPECT_EQ(Count("select count(*) from P_ORDER"), orders);
}

TEST_F(PurchaseReleaseTest, AFailureAfterTheFirstDocumentLeavesNoDocumentAndACleanMessage)
{
    AddPurchase(cdsPurSug, 101, 100, 11.8, Day(2026, 12, 20));
    AddPurchase(cdsPurSug, 104, 1000, 0.44, Day(2026, 12, 20));
    RefuseWrites(host.DBStartup(), "P_ORDER", "insert", OnPostgres() ? "new.traderid = 2" : "new.TraderID = 2",
                 "General SQL error.\r\nEXCEPTION 95\n供应商已停用");
    const auto orders = Count("select count(*) from P_ORDER");
    const auto lines = Count("select count(*) from P_ORDERDETAIL");
    EXPECT_TRUE(Release(2).empty());
    ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u);
    const std::string shown = dialogs.Texts(MessageKind::Error)[0];
    EXPECT_EQ(shown.rfind("采购订单下达失败:", 0), 0u);
    EXPECT_NE(shown.find("供应商已停用"), std::string::npos);
    EXPECT_EQ(shown.find("exception 95"), std::string::npos);
    EXPECT_EQ(shown.find("EXCEPTION 95"), std::string::npos);
    EXPECT_EQ(Count("select count(*) from P_ORDER"), orders);
    EXPECT_EQ(Count("select count(*) from P_ORDERDETAIL"), lines);
    // Recorded for printing as they were numbered, before the write failed.
    EXPECT_EQ(Count("select count(*) from AB_BILLPRINT where BillType = 2"), 2);
}

TEST_F(PurchaseReleaseTest, NothingTickedOrNoRightTellsTheUserAndWritesNothing)
{
    AddPurchase(cdsPurSug, 101, 100, 11.8, Day(2026, 12, 20), 0);
    EXPECT_TRUE(Release(5).empty());
    EXPECT_TRUE(dialogs.WasShown("请选择要下达请购单的货品。"));
    host.SetUser(2, "计划员");
    EXPECT_TRUE(Release(2).empty());
    EXPECT_TRUE(dialogs.WasShown("你没有采购订单的新增权限,不能下达采购订单!"));
}

}  // namespace
}  // namespace mfg::test
