// The workbench without its screen on the demo factory: demand gathered and checked, views
// re-derived from one run.
#include <gtest/gtest.h>

#include "MrpWorkbench.h"
#include "host/HostFixture.h"

namespace mfg::test {
namespace {

const DateTime kDue = DateTime::FromYmd(2026, 12, 28);

class MrpWorkbenchTest : public DemoHostTest {
protected:
    //! A typed demand line; goods 0 leaves the goods empty.
    void Line(int goodsid, double quantity, std::optional<DateTime> finish = kDue, int selected = 1)
    {
        DataSet& lines = bench.cdsMP;
        lines.Append();
        if (goodsid != 0) lines.FieldByName("goodsid").SetValue(goodsid);
        lines.FieldByName("quantity").SetValue(quantity);
        if (finish) lines.FieldByName("finishdate").SetValue(*finish);
        lines.FieldByName("selected").SetValue(selected);
        lines.Post();
    }

    //! The rows the schedule selection dialog lists for December.
    std::unique_ptr<DataSet> ScheduleList()
    {
        auto list = host.CreateAutoQuery(
            "select 1 as selected, m.billid, m.billdate, m.billcode, m.finishdate, m.goodsid, g.code as goodscode, "
            "g.name as goodsname, g.specs, '' as unitname, m.quantity, m.releasedqty, m.referbillid from mnf_manuplan "
            "m "
            "join l_goods g on g.goodsid = m.goodsid where m.billstate = 1 and m.releasedqty < m.quantity "
            "order by m.billid",
            true);
        return list;
    }

    MrpWorkbench bench;
};

TEST_F(MrpWorkbenchTest, ATypedGoodsFillsItsCodeNameAndUnit)
{
    Line(1, 5);
    EXPECT_EQ(bench.cdsMP.FieldByName("goodscode").AsString(), "3001");
    EXPECT_EQ(bench.cdsMP.FieldByName("goodsname").AsString(), "山地自行车");
    EXPECT_FALSE(bench.cdsMP.FieldByName("unitname").AsString().empty());
    EXPECT_TRUE(bench.CanEdit("goodscode"));
    EXPECT_TRUE(bench.CanEdit("finishdate"));
}

TEST_F(MrpWorkbenchTest, TheScopeKeepsEveryTickedGoodsInRowOrder)
{
    Line(12, 1);
    Line(13, 1, kDue, 0);
    Line(12, 1);
    Line(14, 1);
    EXPECT_EQ(bench.GoodsScope(), "'12,12,14'");
}

TEST_F(MrpWorkbenchTest, LinesThatCannotBePlannedAreLeftOutWithTheirMessage)
{
    Line(0, 3);                // no goods: deleted
    Line(1, 5, std::nullopt);  // no finish date
    Line(2, -1);               // negative quantity
    Line(3, 4);                // BOM not audited: yes leaves it out
    Line(2, 0);                // zero is planned
    dialogs.Answer({AnswerYes});
    auto demand = bench.GatherDemand(false);
    ASSERT_TRUE(demand);
    ASSERT_EQ(demand->planLines.size(), 1u);
    EXPECT_EQ(demand->planLines[0].goodsid, 2);
    EXPECT_EQ(demand->planLines[0].quantity, 0);
    EXPECT_EQ(bench.cdsMP.RecordCount(), 4);
    EXPECT_TRUE(dialogs.WasShown("货品名称为'山地自行车'的货品完工日期为空!"));
    EXPECT_TRUE(dialogs.WasShown("货品名称为'城市自行车'的货品计算数量小于零!"));
    EXPECT_TRUE(
        dialogs.WasShown("选择运算的货品 3003 <儿童自行车> 没有定义物料清单或者物料清单没有审核，"
                         "会导致无法计算此货品的物料需求。是否继续？"));
}

TEST_F(MrpWorkbenchTest, TheRunStopsOnNoOrWithoutPlanLinesOrWithOneGoodsWhenTwoAreAsked)
{
    Line(3, 4);
    dialogs.Answer({AnswerNo});
    EXPECT_FALSE(bench.GatherDemand(false));
    EXPECT_TRUE(dialogs.Texts(MessageKind::Error).empty()) << "no stops without another message";
    dialogs.Answer({AnswerYes});
    EXPECT_FALSE(bench.GatherDemand(false));
    EXPECT_TRUE(dialogs.WasShown("请正确选择需要计算的计划."));

    Line(1, 2);
    Line(1, 3);
    dialogs.Answer({AnswerYes});
    EXPECT_FALSE(bench.GatherDemand(true));
    EXPECT_TRUE(dialogs.WasShown("MRP运算时至少有两种产品."));
    Line(2, 3);
    dialogs.Answer({AnswerYes});
    EXPECT_TRUE(bench.GatherDemand(true));
}

TEST_F(MrpWorkbenchTest, ImportsAddEachLineOnceAndTheOtherKindOnlyAfterAskingToClearIt)
{
    auto list = ScheduleList();
    ASSERT_EQ(list->RecordCount(), 2);
    ASSERT_TRUE(bench.MakeRoomFor(MrpScheduleBill));
    bench.ImportPlanLines(*list);
    bench.ImportPlanLines(*list);
    Line(12, 1);
    ASSERT_EQ(bench.cdsMP.RecordCount(), 3);
    bench.cdsMP.First();
    EXPECT_EQ(bench.cdsMP.FieldByName("billtype").AsInteger(), MrpScheduleBill);
    EXPECT_EQ(bench.cdsMP.FieldByName("goodscode").AsString(), "3001");
    EXPECT_FALSE(bench.CanEdit("goodscode")) << "an imported line keeps its goods";
    EXPECT_FALSE(bench.CanEdit("finishdate"));

    dialogs.Answer({AnswerNo});
    EXPECT_FALSE(bench.MakeRoomFor(MrpSalesOrderBill));
    EXPECT_TRUE(dialogs.WasShown("已有 主生产计划单,是否清除再读取 销售订单"));
    EXPECT_EQ(bench.cdsMP.RecordCount(), 3);
    dialogs.Answer({AnswerYes});
    EXPECT_TRUE(bench.MakeRoomFor(MrpSalesOrderBill));
    ASSERT_EQ(bench.cdsMP.RecordCount(), 1) << "the typed line stays";
    EXPECT_TRUE(bench.cdsMP.FieldByName("billtype").IsNull());
}

TEST_F(MrpWorkbenchTest, PeriodsAndLotFlagsReDeriveOneViewFromTheSameRun)
{
    Line(1, 30);
    Line(2, 20);
    MrpRunChoice choice;
    choice.options = MrpDefaultOptions;
    choice.withFunds = true;
    ASSERT_TRUE(bench.Calculate(choice, false));
    EXPECT_FALSE(bench.cdsGross.IsEmpty());
    EXPECT_EQ(bench.cdsGoods.RecordCount(), bench.cdsGross.RecordCount());
    EXPECT_FALSE(bench.cdsBudget.IsEmpty());

    DataSet byDay;
    bench.engine.FillNetTable(byDay, MrpPeriodDay);
    EXPECT_FALSE(bench.RefillNet(MrpPeriodMonth)) << "the period shown";
    EXPECT_TRUE(bench.RefillNet(MrpPeriodDay));
    EXPECT_EQ(bench.cdsNet.RecordCount(), byDay.RecordCount());
    bench.cdsNet.First();
    EXPECT_FALSE(bench.cdsNet.FieldByName("goodscode").AsString().empty()) << "a header row names its goods";
    bench.cdsNet.Next();
    EXPECT_TRUE(bench.cdsNet.FieldByName("goodscode").AsString().empty()) << "a period row does not";

    bench.cdsPurSug.First();
    bench.cdsPurSug.Edit();
    bench.cdsPurSug.FieldByName("fixqty").SetValue(7.125);
    bench.cdsPurSug.Post();
    EXPECT_DOUBLE_EQ(bench.cdsPurSug.FieldByName("amount").AsFloat(),
                     7.125 * bench.cdsPurSug.FieldByName("price").AsFloat());
    EXPECT_FALSE(bench.RefillPurchase(0));
    EXPECT_TRUE(bench.RefillPurchase(MrpLotMinimum));
    bench.cdsPurSug.First();
    EXPECT_DOUBLE_EQ(bench.cdsPurSug.FieldByName("fixqty").AsFloat(), bench.cdsPurSug.FieldByName("sugqty").AsFloat())
        << "corrections go with a rebuild";
    EXPECT_EQ(bench.cdsPurSug.FieldByName("purchase").AsString(), "<单击下达>");

    MrpWorkbench::ApplyGoodsFilter(bench.cdsGross, 1);
    EXPECT_EQ(bench.cdsGross.RecordCount(), 1);
    MrpWorkbench::ApplyGoodsFilter(bench.cdsGross, std::nullopt);
    EXPECT_EQ(bench.cdsGross.RecordCount(), bench.cdsGoods.RecordCount());
}

}  // namespace
}  // namespace mfg::test
