#include <gtest/gtest.h>

#include "BomFixture.h"
#include "BomSubstituteRows.h"

namespace mfg {
namespace {

class BomSubstituteRowsTest : public test::BomTest {
protected:
    //! The dialog over line 1 of 车架焊接件 (钢管, substitutes 铝合金管 and 粗管), as quantity 10 with 10% waste.
    void OpenLine()
    {
        Load(21);
        ASSERT_TRUE(rows.Load(bom, 101, 1, 10, 10));
    }
    BomSubstituteRows rows;
};

TEST_F(BomSubstituteRowsTest, RowsComeFromTheLineWithNamesAndQuantities)
{
    OpenLine();
    EXPECT_EQ(rows.ComponentCode(), "1001");
    ASSERT_EQ(rows.Rows().RecordCount(), 2);
    rows.Rows().First();
    EXPECT_EQ(rows.Rows().FieldByName("GOODSNAME").AsString(), "铝合金管");
    EXPECT_DOUBLE_EQ(rows.Rows().FieldByName("quantity").AsFloat(), 9.9);  // 10 x 1.1 x 0.9

    rows.AppendRow();
    EXPECT_EQ(rows.Rows().FieldByName("itemno").AsString(), "3");
    EXPECT_FALSE(rows.RateAndMemoEditable());
    rows.SetSubstitute(104);
    EXPECT_TRUE(rows.RateAndMemoEditable());
    rows.Rows().FieldByName("rate").SetValue(0.5);
    EXPECT_DOUBLE_EQ(rows.Rows().FieldByName("quantity").AsFloat(), 5.5);
    rows.Rows().Post();

    rows.AppendRow();
    rows.SetPickedSubstitute(105, 22);
    EXPECT_DOUBLE_EQ(rows.Rows().FieldByName("rate").AsFloat(), 2);
    ASSERT_TRUE(rows.Accept());
    EXPECT_EQ(bom.SubstituteText(1), "铝合金管;钢管;辐条;辐条;");
    EXPECT_EQ(bom.Substitutes().PendingInsertCount(), 4);  // the line's rows written back whole
}

TEST_F(BomSubstituteRowsTest, RefusalsNameTheRowAndTheFault)
{
    OpenLine();
    rows.AppendRow();
    rows.SetSubstitute(103);
    EXPECT_FALSE(rows.Accept());
    EXPECT_EQ(dialogs.Texts().back(), "替代件重复!");
    rows.SetSubstitute(101);
    EXPECT_FALSE(rows.Accept());
    EXPECT_EQ(dialogs.Texts().back(), "子件与替代件相同!");
    rows.Rows().Last();
    rows.SetSubstitute(130);
    rows.Rows().FieldByName("rate").SetValue(0.0);
    EXPECT_FALSE(rows.Accept());
    EXPECT_EQ(dialogs.Texts().back(), "第 3 行，替代品比率不能为0或小于0！");
    rows.Rows().Edit();
    rows.Rows().FieldByName("subgoodsid").Clear();
    EXPECT_FALSE(rows.Accept());
    EXPECT_EQ(dialogs.Texts().back(), "第 3 行，还没选择货品！");
    EXPECT_EQ(bom.Substitutes().PendingInsertCount(), 0);  // nothing reached the BOM
}

TEST_F(BomSubstituteRowsTest, OnlyChangesAreUnsaved)
{
    OpenLine();
    EXPECT_FALSE(rows.Unsaved());
    rows.DeleteRow();
    EXPECT_TRUE(rows.Unsaved());
    EXPECT_EQ(bom.Substitutes().RecordCount(), 2);  // the BOM keeps its rows until accepted
    ASSERT_TRUE(rows.Accept());
    EXPECT_FALSE(rows.Unsaved());
    EXPECT_EQ(bom.Substitutes().RecordCount(), 1);

    host.SqlExecute("delete from L_Goods where GoodsID = 130");
    EXPECT_FALSE(rows.Load(bom, 130, 3, 1, 0));
    EXPECT_EQ(dialogs.Texts().back(), "货品不存在");
}

}  // namespace
}  // namespace mfg
