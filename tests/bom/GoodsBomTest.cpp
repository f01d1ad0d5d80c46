#include <gtest/gtest.h>

#include "BomFixture.h"
#include "BomSubstituteRows.h"
#include "BomSummary.h"

namespace mfg {
namespace {

using test::BomTest;

TEST(BomNumbering, OrderNumbersSkipTextAndKeepThreeDigits)
{
    DataSet set;
    set.AddField("Orderno", FieldType::Text);
    set.AddField("ItemNo", FieldType::Integer);
    set.CreateDataSet();
    EXPECT_EQ(NextOrderNo(set), "001");
    EXPECT_EQ(NextItemNo(set), 1);
    set.AppendRecord({"12a", 4});
    set.AppendRecord({"", 2});
    EXPECT_EQ(NextOrderNo(set), "001");  // neither "12a" nor "" is a number
    set.AppendRecord({"009", 1});
    EXPECT_EQ(NextOrderNo(set), "010");
    EXPECT_EQ(NextItemNo(set), 5);
    set.AppendRecord({"999", 3});
    EXPECT_EQ(NextOrderNo(set), "1000");
}

TEST_F(BomTest, AParentWithoutLinesOpensWithTheEditorDefaults)
{
    Load(101);  // a purchased material, no BOM of its own
    EXPECT_EQ(bom.header.masterQty, "1");
    EXPECT_EQ(bom.header.useTime, "1");
    EXPECT_EQ(bom.header.preTime, "0");
    EXPECT_FALSE(bom.header.workLineID);
    EXPECT_TRUE(bom.Lines().IsEmpty());
    EXPECT_FALSE(bom.Load(99999));
}

TEST_F(BomTest, NewLinesTakeDefaultsNumberingAndTheComponentsData)
{
    Load(3);  // nine lines, numbered 001 to 009
    bom.header.masterQty = "2";
    bom.AppendLine();
    DataSet& lines = bom.Lines();
    EXPECT_EQ(lines.FieldByName("Orderno").AsString(), "010");
    EXPECT_EQ(lines.FieldByName("ItemNo").AsInteger(), 10);
    EXPECT_DOUBLE_EQ(lines.FieldByName("MnfQty").AsFloat(), 2);
    EXPECT_DOUBLE_EQ(lines.FieldByName("Quantity").AsFloat(), 1);
    EXPECT_EQ(lines.FieldByName("OPID").AsInteger(), 1);
    EXPECT_EQ(lines.FieldByName("opname").AsString(), "管理员");
    bom.SetComponent(127);
    EXPECT_EQ(lines.FieldByName("GoodsCode").AsString(), "1027");
    EXPECT_EQ(lines.FieldByName("GoodsName").AsString(), "螺栓");
    EXPECT_DOUBLE_EQ(lines.FieldByName("MasterQty").AsFloat(), 2);
    lines.Post();
    // 螺栓 brings its default substitute 镀锌螺栓 with it, priced at the line's quantity.
    EXPECT_EQ(bom.SubstituteText(10), "螺栓;");
    ASSERT_TRUE(bom.Substitutes().Locate("GoodsItemNO", {10}));
    EXPECT_EQ(bom.Substitutes().FieldByName("SubGoodsID").AsInteger(), 136);
    EXPECT_EQ(bom.Substitutes().FieldByName("ItemNo").AsString(), "1");

    lines.Edit();
    lines.FieldByName("WasteRate").SetValue(10.0);
    lines.FieldByName("MnfQty").SetValue(10.0);
    lines.Post();
    ASSERT_TRUE(bom.Substitutes().Locate("GoodsItemNO", {10}));
    EXPECT_NEAR(bom.Substitutes().FieldByName("quantity").AsFloat(), 11, 1e-9);

    // Another component replaces the line's substitutes by its own defaults (钢管 -> 铝管).
    lines.Edit();
    bom.SetComponent(101);
    lines.Post();
    ASSERT_TRUE(bom.Substitutes().Locate("GoodsItemNO", {10}));
    EXPECT_EQ(bom.Substitutes().FieldByName("SubGoodsID").AsInteger(), 103);
    EXPECT_EQ(bom.SubstituteText(10), "铝合金管;");
    bom.DeleteLine();
    EXPECT_FALSE(bom.LineHasSubstitutes(10));
}

TEST_F(BomTest, QuantityAndWasteRulesSetBadValuesBackWithTheirMessages)
{
    Load(3);
    DataSet& lines = bom.Lines();
    lines.First();
    lines.Edit();
    lines.FieldByName("MnfQty").SetValue(-3.0);
    EXPECT_DOUBLE_EQ(lines.FieldByName("MnfQty").AsFloat(), 1);
    lines.FieldByName("WasteRate").SetValue(150.0);
    EXPECT_DOUBLE_EQ(lines.FieldByName("WasteRate").AsFloat(), 0);
    lines.FieldByName("WasteRate").SetValue(12.345678);
    EXPECT_DOUBLE_EQ(lines.FieldByName("WasteRate").AsFloat(), 12.3457);
    EXPECT_FALSE(bom.SetNumberText(lines, "MnfQty", "数量", "两个"));
    EXPECT_DOUBLE_EQ(lines.FieldByName("MnfQty").AsFloat(), 1);
    ASSERT_EQ(dialogs.Texts().size(), 3u);
    EXPECT_EQ(dialogs.Texts()[0], "数量应大于零");
    EXPECT_EQ(dialogs.Texts()[1], "损耗率应在0-100之间");
    EXPECT_EQ(dialogs.Messages()[2].kind, MessageKind::Error);
}

TEST_F(BomTest, ProcessTimesAndWorkLinesRewriteTheHeader)
{
    Load(18);  // one process line, 编圈 1.2 h / 0.1 h
    bom.AppendProcess();
    DataSet& processes = bom.Processes();
    EXPECT_EQ(processes.FieldByName("Orderno").AsString(), "002");
    processes.FieldByName("COUNTWAGEITEMID").SetValue(5);
    EXPECT_EQ(processes.FieldByName("name").AsString(), "装胎");
    processes.FieldByName("WorkCenterID").SetValue(4);
    EXPECT_EQ(processes.FieldByName("centername").AsString(), "编圈中心");
    processes.FieldByName("UseTime").SetValue(0.35);
    processes.FieldByName("PreTime").SetValue(-1.0);
    processes.Post();
    EXPECT_TRUE(dialogs.WasShown("数量应大于零"));
    EXPECT_EQ(bom.header.useTime, "1.55");
    EXPECT_EQ(bom.header.preTime, "-0.9");

    bom.DeleteProcess();
    EXPECT_EQ(bom.header.useTime, "1.2");

    bom.SetWorkLine(1);  // 总装, 检验, 包装
    ASSERT_EQ(processes.RecordCount(), 3);
    processes.First();
    EXPECT_EQ(processes.FieldByName("code").AsString(), "GX06");
    processes.Last();
    EXPECT_EQ(processes.FieldByName("Orderno").AsString(), "003");
    EXPECT_EQ(bom.header.workLineName, "整车装配流程");
}

TEST_F(BomTest, ReadingAnotherBomAddsOnlyMissingComponents)
{
    Load(13);  // 前轮组件: 18, 109, 111, 114
    bom.CopyFrom(14, true, true);  // 后轮组件 shares all but 110
    ASSERT_EQ(bom.Lines().RecordCount(), 5);
    ASSERT_TRUE(bom.Lines().Locate("ElemGID", {110}));
    EXPECT_EQ(bom.Lines().FieldByName("Orderno").AsString(), "005");
    EXPECT_EQ(bom.Lines().FieldByName("WorkLineID").AsInteger(), 3);
    EXPECT_EQ(bom.Processes().RecordCount(), 1);

    Load(13);
    bom.CopyFrom(3, true, false);  // 儿童自行车 has no process lines: the page ends up empty
    EXPECT_TRUE(bom.Processes().IsEmpty());
    EXPECT_FALSE(bom.header.workLineID);
}

TEST_F(BomTest, TheMergedViewAddsQuantitiesAndWeighsWasteRates)
{
    Load(21);  // 钢管 (substitutes 铝合金管, 粗管) and 粗管
    bom.Lines().First();
    bom.Lines().Edit();
    bom.Lines().FieldByName("WasteRate").SetValue(10.0);
    bom.Lines().FieldByName("MnfQty").SetValue(1.0);
    bom.Lines().Post();
    AddLine(101, "3");
    bom.Lines().Edit();
    bom.Lines().FieldByName("COUNTWAGEITEMID").SetValue(2);
    bom.Lines().FieldByName("WasteRate").SetValue(20.0);
    bom.Lines().Post();
    DataSet summary;
    BuildBomSummary(bom, summary);
    ASSERT_EQ(summary.RecordCount(), 2);
    ASSERT_TRUE(summary.Locate("ElemGID", {101}));
    EXPECT_DOUBLE_EQ(summary.FieldByName("mnfQty").AsFloat(), 4);
    EXPECT_DOUBLE_EQ(summary.FieldByName("wasterate").AsFloat(), 17.5);
    // The new line brought 铝合金管 again: listed once beside 粗管.
    EXPECT_EQ(summary.FieldByName("inputgoods").AsString(), "铝合金管,钢管");

    // The merged substitutes: 铝合金管 of both lines in one row, its rate over the merged quantity.
    BomSubstituteRows merged;
    ASSERT_TRUE(merged.LoadMerged(bom, 101, 4));
    ASSERT_EQ(merged.Rows().RecordCount(), 2);
    ASSERT_TRUE(merged.Rows().Locate("subgoodsid", {103}));
    EXPECT_NEAR(merged.Rows().FieldByName("quantity").AsFloat(), 1 * 1.1 * 0.9 + 3 * 1.2 * 0.9, 1e-9);
    EXPECT_NEAR(merged.Rows().FieldByName("rate").AsFloat(), 4.23 / 4, 1e-9);
}

}  // namespace
}  // namespace mfg
