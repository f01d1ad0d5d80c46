#include <gtest/gtest.h>

#include "BomFixture.h"
#include "BomStore.h"
#include "BomTree.h"
#include "CostBudget.h"

namespace mfg {
namespace {

using test::BomTest;

TEST_F(BomTest, SavingWritesTheThreeSetsAndMarksTheParent)
{
    host.SqlExecute("update L_Goods set CANCMB = 0 where GoodsID = 101");
    Load(101);
    AddLine(127, "4");
    bom.AppendProcess();
    bom.Processes().FieldByName("COUNTWAGEITEMID").SetValue(1);
    bom.Processes().FieldByName("UseTime").SetValue(1.0);
    bom.Processes().Post();
    ASSERT_TRUE(SaveBom(bom));
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 101 and ElemGID = 127 and MnfQty = 4 and "
                     "Orderno = '001' and ItemNo = 1 and State = 0 and OPID = 1")
                  .AsInteger(),
              1);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBomProc where GoodsID = 101").AsInteger(), 1);
    EXPECT_EQ(Stored("select SubGoodsID from L_GoodsBomsub where GoodsID = 101 and GoodsItemNO = 1").AsInteger(), 136);
    EXPECT_EQ(Stored("select CANCMB from L_Goods where GoodsID = 101").AsInteger(), 1);
    EXPECT_FALSE(bom.Lines().UpdatesPending());

    // Deleting every line writes the deletes and leaves the mark.
    bom.Lines().First();
    bom.DeleteLine();
    ASSERT_TRUE(SaveBom(bom));
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 101").AsInteger(), 0);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBomsub where GoodsID = 101").AsInteger(), 0);
    EXPECT_EQ(Stored("select CANCMB from L_Goods where GoodsID = 101").AsInteger(), 1);
}

TEST_F(BomTest, EverySavePathKeepsQuantityTheRatioOfMnfQtyToMasterQty)
{
    Load(3);  // 儿童自行车 3003: line 1 is 车轮组件 2007 with MnfQty 2 for one parent, Quantity 2
    DataSet& lines = bom.Lines();
    lines.First();
    lines.Edit();
    lines.FieldByName("MnfQty").SetValue(1.0);
    lines.Post();
    ASSERT_TRUE(SaveBom(bom));
    EXPECT_DOUBLE_EQ(Stored("select Quantity from L_GoodsBom where GoodsID = 3 and ElemGID = 17").AsFloat(), 1);

    // A new parent quantity, a line read from 轮辋辐条组 2008 (stated for two) and a new line.
    Load(3);
    bom.header.masterQty = "2";
    bom.CopyFrom(18, false, false);
    AddLine(101, "3");
    ASSERT_TRUE(SaveBom(bom));
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3 and abs(Quantity - MnfQty / MasterQty) > 1e-9")
                  .AsInteger(),
              0);
    EXPECT_DOUBLE_EQ(Stored("select Quantity from L_GoodsBom where GoodsID = 3 and ElemGID = 17").AsFloat(), 0.5);
    EXPECT_DOUBLE_EQ(Stored("select Quantity from L_GoodsBom where GoodsID = 3 and ElemGID = 104").AsFloat(), 36);
    EXPECT_DOUBLE_EQ(Stored("select Quantity from L_GoodsBom where GoodsID = 3 and ElemGID = 101").AsFloat(), 1.5);

    // The cost budget reads Quantity, the tree MnfQty / MasterQty: for the BOM's two parents they agree.
    CostBudget budget;
    budget.SelectProduct(3);
    BomIndex index;
    index.Read(3, BomReach::Components);
    auto header = ReadBomBrowseHeader(3);
    ASSERT_TRUE(header);
    BomTree tree = BuildBomTree(index, header->goods, header->RootQuantity(), header->MasterQtyText());
    ASSERT_EQ(budget.Lines().size(), 12u);
    for (const auto& line : budget.Lines()) {
        auto node = std::find_if(tree.nodes.begin(), tree.nodes.end(),
                                 [&](const BomTreeNode& n) { return n.level == 1 && n.goodsID == line.elemGid; });
        ASSERT_NE(node, tree.nodes.end()) << line.goodsCode;
        EXPECT_DOUBLE_EQ(line.quantity, node->mnfQty) << line.goodsCode;
    }
}

TEST_F(BomTest, AFailureInTheLastSetRollsBackTheWholeSave)
{
    host.SqlExecute("update L_GoodsBom set State = 0, Checkorid = null where GoodsID = 21");
    Load(21);
    bom.Lines().First();
    bom.Lines().Edit();
    bom.Lines().FieldByName("MnfQty").SetValue(3.0);
    bom.Lines().Post();
    AddLine(127);
    // A second 粗管 substitute on line 1 collides with the stored one when the substitutes are written.
    AddSubstituteToFirstLine(102);

    EXPECT_FALSE(SaveBom(bom));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].kind, MessageKind::Error);
    EXPECT_FALSE(host.InTransaction());
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 21").AsInteger(), 2);
    EXPECT_DOUBLE_EQ(Stored("select MnfQty from L_GoodsBom where GoodsID = 21 and ItemNo = 1").AsFloat(), 2.2);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBomsub where GoodsID = 21").AsInteger(), 2);
    // The sets are back as last read.
    EXPECT_EQ(bom.Lines().RecordCount(), 2);
    EXPECT_EQ(bom.Substitutes().RecordCount(), 2);
    EXPECT_FALSE(bom.Lines().UpdatesPending() || bom.Substitutes().UpdatesPending());
}

TEST_F(BomTest, AuditFollowsASuccessfulSaveAndNeedsTheRights)
{
    Load(3);
    EXPECT_EQ(ReadBomAuditState(3), 0);
    EXPECT_EQ(ReadBomAuditState(101), 0);  // no lines at all
    bom.header.masterQty = "0";
    EXPECT_FALSE(AuditBom(bom));
    EXPECT_EQ(ReadBomAuditState(3), 0);
    bom.header.masterQty = "1";
    ASSERT_TRUE(AuditBom(bom));
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3 and State = 1 and Checkorid = 1").AsInteger(), 9);

    host.SetUser(2, "计划员");  // may browse BOMs, not audit them
    dialogs.Clear();
    EXPECT_FALSE(UnauditBom(3));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"对不起,你没有物料清单的反审核权限!"});
    dialogs.Clear();
    EXPECT_FALSE(AuditBom(bom));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"对不起,你没有物料清单的审核权限!"});

    host.SetUser(1, "管理员");
    ASSERT_TRUE(UnauditBom(3));
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3 and State = 0 and Checkorid is null").AsInteger(),
              9);
}

TEST_F(BomTest, ASaveIsRefusedOnceAnotherUserAuditedTheBomAndCheckSeesMixedStates)
{
    Load(3);
    AddLine(101, "4");
    // Another user audits 3003 while it is open here.
    host.SqlExecute("update L_GoodsBom set State = 1, Checkorid = 1 where GoodsID = 3");
    EXPECT_FALSE(SaveBom(bom));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"物料清单已被其他用户审核, 不能保存!"});
    EXPECT_FALSE(host.InTransaction());
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3").AsInteger(), 9);
    EXPECT_EQ(Stored("select count(*) from L_GoodsBom where GoodsID = 3 and State = 0").AsInteger(), 0);
    EXPECT_EQ(MixedAuditProblem(3), std::nullopt);
    EXPECT_EQ(MixedAuditProblem(101), std::nullopt);  // no lines at all

    host.SqlExecute("update L_GoodsBom set State = 0, Checkorid = null where GoodsID = 3 and ElemGID = 17");
    EXPECT_EQ(MixedAuditProblem(3), "子件行的审核状态不一致: 已审核 8 行, 未审核 1 行");
    host.SqlExecute("update L_GoodsBom set State = 1, Checkorid = 2 where GoodsID = 3 and ElemGID = 17");
    EXPECT_EQ(MixedAuditProblem(3), "子件行的审核人不一致");
}

}  // namespace
}  // namespace mfg
