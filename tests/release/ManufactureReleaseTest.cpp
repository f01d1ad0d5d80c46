// Manufacture suggestions released as manufacture and outsourcing orders with the BOM's lines.
#include <gtest/gtest.h>

#include "ManufactureRelease.h"
#include "MrpEngine.h"
#include "ReleaseFixture.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

class ManufactureReleaseTest : public ReleaseTest {
protected:
    void SetUp() override
    {
        for (auto name : {"goodsid", "empid", "workid", "traderid", "billid", "itemno"})
            cdsManu.AddField(name, FieldType::Integer);
        for (auto name : {"goodscode", "goodsname", "specs", "unitname", "billtype", "billcode"})
            cdsManu.AddField(name, FieldType::Text);
        for (auto name : {"fixqty", "releasedqty", "manuqty", "quantity"}) cdsManu.AddField(name, FieldType::Float);
        for (auto name : {"billdate", "finishdate", "startdate", "manufinishdate"})
            cdsManu.AddField(name, FieldType::DateTime);
        cdsManu.CreateDataSet();
        MrpLine plan;
        plan.goodsid = 1;
        plan.billtype = 43;
        plan.billid = 7;
        plan.itemno = 2;
        plan.billcode = "JH-2026-12-0001";
        engine.planLines.push_back(plan);
    }

    void GoodsRow(int goodsid, double fixqty)
    {
        cdsManu.Append();
        cdsManu.FieldByName("goodsid").SetValue(goodsid);
        cdsManu.FieldByName("goodscode").SetValue(LookupData(3, goodsid, "Code"));
        cdsManu.FieldByName("fixqty").SetValue(fixqty);
        cdsManu.Post();
    }

    //! A release row for the run's schedule line, or for no document when `billcode` is empty.
    void ReleaseRow(int goodsid, double manuqty, std::string billcode = "JH-2026-12-0001",
                    DateTime finish = Day(2026, 12, 18))
    {
        cdsManu.Append();
        cdsManu.FieldByName("goodsid").SetValue(goodsid);
        cdsManu.FieldByName("manuqty").SetValue(manuqty);
        cdsManu.FieldByName("workid").SetValue(4);
        cdsManu.FieldByName("empid").SetValue(4);
        cdsManu.FieldByName("traderid").SetValue(3);
        if (!billcode.empty()) {
            cdsManu.FieldByName("billtype").SetValue("主生产计划");
            cdsManu.FieldByName("billid").SetValue(7);
            cdsManu.FieldByName("itemno").SetValue(2);
        }
        cdsManu.FieldByName("billcode").SetValue(billcode);
        cdsManu.FieldByName("finishdate").SetValue(finish);
        cdsManu.FieldByName("startdate").SetValue(Day(2026, 12, 14));
        cdsManu.FieldByName("manufinishdate").SetValue(finish);
        cdsManu.Post();
    }

    DataSet cdsManu;
    MrpEngine engine;
};

TEST_F(ManufactureReleaseTest, AnOrderCarriesTheBomWithVirtualItemsExpandedSubstitutesAndProcessSteps)
{
    GoodsRow(1, 5);
    ReleaseRow(1, 5);
    ManufactureRelease release(42);
    ASSERT_FALSE(release.Check(cdsManu));
    const auto codes = release.Release(cdsManu, engine);
    ASSERT_EQ(codes.size(), 1u);
    EXPECT_TRUE(dialogs.WasShown("生产建议已下达成功!"));
    const std::string bill = "(select BillID from MNF_MANUORDER where BillCode = '" + codes[0] + "')";
    EXPECT_EQ(Rows("select GoodsID, Quantity, WorkShopID, EmpID, UseTime, ReferBillType, ReferBillID, ReferItemNo, "
                   "BillState, Remark from MNF_MANUORDER where BillID = " +
                   bill),
              (std::vector<std::string>{"1|5|4|4|12.5|43|7|2|0|MRP生产建议下达的生产加工单"}));
    EXPECT_EQ(GetValueOfSql("select PlanDate from MNF_MANUORDER where BillID = " + bill).AsDateTime(),
              Day(2026, 12, 14));
    // Ten BOM lines of their own and the parts of the two virtual items in their place.
    EXPECT_EQ(Rows("select GoodsID, Quantity from MNF_MANUORDERDETAIL where BillID = " + bill + " order by ItemNo"),
              (std::vector<std::string>{"11|5", "13|5", "14|5", "19|5", "20|5", "124|10", "125|10", "126|10", "120|5",
                                        "121|5", "117|5.1", "127|50", "128|50", "129|100", "133|5", "134|20"}));
    // The substitutes of a virtual item's part are those of the virtual item's own BOM line.
    EXPECT_EQ(Rows("select d.GoodsID, s.SubGoodsID, s.Quantity from MNF_MANUORDERSUB s join MNF_MANUORDERDETAIL d on "
                   "d.BillID = s.BillID and d.ItemNo = s.ItemNo where s.BillID = " +
                   bill + " order by s.ItemNo"),
              (std::vector<std::string>{"117|140|5.1", "127|136|50"}));
    EXPECT_EQ(Count("select count(*) from MNF_MANUORDERPROC where BillID = " + bill), 3);
    EXPECT_EQ(Count("select count(*) from AB_BILLPRINT where BillType = 42 and BillCode = '" + codes[0] + "'"), 1);
}

TEST_F(ManufactureReleaseTest, OutsourcingOrdersGoToTheProcessorAndADemandOutsideTheRunIsNoReference)
{
    GoodsRow(21, 100);
    ReleaseRow(21, 60, "JH-2026-12-0009");
    ReleaseRow(21, 40, "");
    ManufactureRelease release(54);
    const auto codes = release.Release(cdsManu, engine);
    ASSERT_EQ(codes.size(), 2u);
    EXPECT_EQ(
        Rows("select GoodsID, TraderID, Quantity, ReferBillType, ReferBillID, Remark from CM_MACHINING where "
             "BillCode in " +
             InList(codes) + " order by Quantity"),
        (std::vector<std::string>{"21|3|40|||MRP生产建议下达的委托加工单", "21|3|60|||MRP生产建议下达的委托加工单"}));
    // Two substitutes of rates 0.9 and 1 on the line of the 60 made.
    EXPECT_EQ(Rows("select s.SubGoodsID, s.Rate, s.Quantity from CM_MACHININGSUB s join CM_MACHINING m on m.BillID = "
                   "s.BillID where m.Quantity = 60 and m.BillCode in " +
                   InList(codes) + " order by s.Orderno"),
              (std::vector<std::string>{"103|0.9|122.364", "102|1|135.96"}));
}

TEST_F(ManufactureReleaseTest, TheDialogRefusesMoreThanTheCorrectedQuantityMissingWorkshopsAndBadDates)
{
    ManufactureRelease manufacture(42), outsourcing(54);
    GoodsRow(1, 100);
    ReleaseRow(1, 60);
    ReleaseRow(1, 50);
    auto problem = manufacture.Check(cdsManu);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->recNo, 3);
    EXPECT_EQ(problem->message, "本次下达数量不能大于修正数量！");
    EXPECT_EQ(problem->field, "manuqty");
    auto set = [&](int recNo, std::string_view field, Variant value) {
        cdsManu.SetRecNo(recNo);
        cdsManu.Edit();
        cdsManu.FieldByName(field).SetValue(std::move(value));
        cdsManu.Post();
    };
    set(3, "manuqty", 40.0);
    EXPECT_FALSE(manufacture.Check(cdsManu));
    set(3, "workid", Variant());
    EXPECT_EQ(manufacture.Check(cdsManu)->message, "没有选择生产车间或选择有误！");
    EXPECT_FALSE(outsourcing.Check(cdsManu));
    set(2, "traderid", 0);
    EXPECT_EQ(outsourcing.Check(cdsManu)->message, "没有选择加工单位或选择有误！");
    set(3, "workid", 4);
    set(3, "startdate", Day(2026, 12, 5));
    EXPECT_EQ(manufacture.Check(cdsManu)->message, "开工日期不得小于当前系统日期！");
    set(3, "startdate", Day(2026, 12, 19));
    EXPECT_EQ(manufacture.Check(cdsManu)->message, "完工日期不得小于开工日期！");
    set(3, "manufinishdate", Variant());
    EXPECT_EQ(manufacture.Check(cdsManu)->field, "manufinishdate");
    set(2, "manuqty", 0.0);
    EXPECT_EQ(manufacture.Check(cdsManu)->message, "本次下达数量必须大于0！");
}

TEST_F(ManufactureReleaseTest, AFailedBatchWritesNoOrderAndASecondReleaseWritesTheOrdersAgain)
{
    GoodsRow(11, 30);
    ReleaseRow(11, 10, "", Day(2026, 12, 15));
    ReleaseRow(11, 20.000000000000004, "", Day(2026, 12, 18));
    RefuseWrites(host.DBStartup(), "MNF_MANUORDER", "insert", OnPostgres() ? "new.quantity = 20" : "new.Quantity = 20",
                 "车间停产");
    const auto orders = Count("select count(*) from MNF_MANUORDER");
    ManufactureRelease release(42);
    EXPECT_TRUE(release.Release(cdsManu, engine).empty());
    EXPECT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u);
    EXPECT_EQ(dialogs.Texts(MessageKind::Error)[0].rfind("生产建议下达失败:", 0), 0u);
    EXPECT_EQ(Count("select count(*) from MNF_MANUORDER"), orders);
    EXPECT_EQ(Count("select count(*) from MNF_MANUORDERDETAIL where BillID not in (select BillID from MNF_MANUORDER)"),
              0);

    host.DBStartup().ExecuteNative(OnPostgres() ? "drop trigger refuse_writes on mnf_manuorder"
                                                : "drop trigger refuse_writes");
    const auto first = release.Release(cdsManu, engine);
    ASSERT_EQ(first.size(), 2u);
    dialogs.Clear();
    const auto second = release.Release(cdsManu, engine);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_TRUE(dialogs.Texts(MessageKind::Error).empty());
    EXPECT_EQ(Count("select count(*) from MNF_MANUORDER"), orders + 4);
    EXPECT_EQ(Count("select count(distinct BillCode) from MNF_MANUORDER where BillCode in " +
                    InList({first[0], first[1], second[0], second[1]})),
              4);
    EXPECT_EQ(Count("select count(*) from MNF_MANUORDER where Quantity = 20 and BillCode in " + InList(second)), 1);
    ASSERT_EQ(release.Released().size(), 2u);
    EXPECT_EQ(release.Released()[1].billCode, second[1]);
    EXPECT_DOUBLE_EQ(release.Released()[1].quantity, 20);
}

}  // namespace
}  // namespace mfg::test
