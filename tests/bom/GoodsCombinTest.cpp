// The assembly/dismantling table built from the stored BOMs: what each mode copies and marks,
// the overwrite questions, and what a failure half-way leaves.
#include <gtest/gtest.h>

#include "BomTreeFixture.h"
#include "GoodsCombin.h"
#include "TestDatabase.h"
#include "host/Dialogs.h"

namespace mfg {
namespace {

class GoodsCombinTest : public test::BomTreeTest {
protected:
    //! 940 -> 941 -> 942 (purchased), 941 shared by 943; 944 has lines of its own, unrelated.
    GoodsCombinTest()
    {
        for (auto [id, kind] : {std::pair{940, 3}, {941, 2}, {942, 1}, {943, 3}, {944, 2}, {945, 1}}) Goods(id, kind);
        Line(940, 941, 1, 2);
        Line(941, 942, 1, 3);
        Line(943, 941, 1, 1);
        Line(944, 945, 1, 1);
    }
    int Rows(int goodsID)
    {
        return Count("select count(*) from l_goodscombin where GoodsID = " + std::to_string(goodsID));
    }
    int Combinable(int goodsID)
    {
        return Count("select CANCMB from L_Goods where GoodsID = " + std::to_string(goodsID));
    }
};

TEST_F(GoodsCombinTest, OneGoodsWithItsWholeTreeMarksItsLeafMaterialsToo)
{
    EXPECT_TRUE(CreateGoodsCombin(940, false));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"创建组装拆卸表成功!"});  // nothing to overwrite: no question
    EXPECT_EQ(Rows(940), 1);
    EXPECT_EQ(Rows(941), 1);
    EXPECT_EQ(Rows(943), 0);
    EXPECT_EQ(Count("select count(*) from l_goodscombin where GoodsID = 940 and ElemGID = 941 and Quantity = 2"), 1);
    for (int goods : {940, 941, 942}) EXPECT_EQ(Combinable(goods), 1) << goods;
    EXPECT_EQ(Combinable(943), 0);
}

TEST_F(GoodsCombinTest, AllGoodsCopiesEveryBomAndMarksOnlyGoodsWithLines)
{
    EXPECT_TRUE(CreateGoodsCombin(std::nullopt, false));
    EXPECT_EQ(Count("select count(*) from l_goodscombin"), Count("select count(*) from L_GoodsBom"));
    EXPECT_EQ(Combinable(944), 1);
    EXPECT_EQ(Combinable(945), 0);
    EXPECT_EQ(Combinable(942), 0);
}

TEST_F(GoodsCombinTest, ExistingRowsAreReplacedOnlyAsTheAnswerSays)
{
    ASSERT_TRUE(CreateGoodsCombin(940, false));
    host.SqlExecute("update L_GoodsBom set Quantity = 5 where GoodsID in (940, 941)");
    auto quantity = [this](int goods) {
        return Count("select Quantity from l_goodscombin where GoodsID = " + std::to_string(goods));
    };

    dialogs.Clear();
    dialogs.Answer({AnswerCancel});
    EXPECT_FALSE(CreateGoodsCombin(940, false));
    EXPECT_EQ(quantity(940), 2);
    EXPECT_EQ(dialogs.Texts().size(), 1u);  // the question only

    dialogs.Answer({AnswerNo});
    EXPECT_TRUE(CreateGoodsCombin(940, false));
    EXPECT_EQ(quantity(940), 5);
    EXPECT_EQ(quantity(941), 3);  // one level: the component keeps its rows

    dialogs.Answer({AnswerYes});
    EXPECT_TRUE(CreateGoodsCombin(940, false));
    EXPECT_EQ(quantity(941), 5);

    dialogs.Clear();
    dialogs.Answer({AnswerNo});
    EXPECT_FALSE(CreateGoodsCombin(std::nullopt, true));
    EXPECT_EQ(dialogs.Texts(),
              std::vector<std::string>{"组装拆卸表中已经有数据，如果重新创建，\n原来的数据将被覆盖，是否要重新创建?"});
    EXPECT_EQ(Rows(944), 0);
}

TEST_F(GoodsCombinTest, AFailureWarnsAndKeepsWhatWasWrittenBeforeIt)
{
    test::RefuseWrites(host.DBStartup(), "L_Goods", "update", "new.GoodsID = 941", "mark refused");
    EXPECT_FALSE(CreateGoodsCombin(940, false));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"创建组装拆卸表失败!"});
    EXPECT_EQ(Rows(940), 1);
    EXPECT_EQ(Combinable(940), 1);
    EXPECT_EQ(Rows(941), 1);  // copied just before its mark failed
    EXPECT_EQ(Rows(942), 0);
}

}  // namespace
}  // namespace mfg
