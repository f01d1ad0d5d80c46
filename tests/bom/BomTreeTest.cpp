// The explosions of the BOM browser and the where-used browser from the in-memory index: scaled
// quantities, the level limit on stored cycles, shared components and the print rows.
#include <gtest/gtest.h>

#include <algorithm>

#include "BomTree.h"
#include "BomTreeFixture.h"

namespace mfg {
namespace {

class BomExplosionTest : public test::BomTreeTest {
protected:
    //! 900 (finished) -> 901 x2 -> 902 x3 per 2 -> 903 (virtual) x4 -> 904 x0.5 per 4 -> 905 (purchased) x10.
    void FiveLevels()
    {
        for (auto [id, kind] : {std::pair{900, 3}, {901, 2}, {902, 2}, {903, 9}, {904, 2}, {905, 1}}) Goods(id, kind);
        Line(900, 901, 1, 2);
        Line(901, 902, 1, 3, 2, 5, "焊接");
        Line(902, 903, 1, 4);
        Line(903, 904, 1, 0.5, 4);
        Line(904, 905, 1, 10);
    }
    BomTree Explode(int root, bool scaledTo10 = false)
    {
        auto header = ReadBomBrowseHeader(root);
        EXPECT_TRUE(header);
        if (scaledTo10) return BuildBomTree(Index(root, BomReach::Components), header->goods, 10, "10", true);
        return BuildBomTree(Index(root, BomReach::Components), header->goods, header->RootQuantity(),
                            header->MasterQtyText());
    }
    static std::vector<double> Quantities(const BomTree& tree)
    {
        std::vector<double> result;
        for (const auto& node : tree.nodes) result.push_back(node.mnfQty);
        return result;
    }
    static int Deepest(const BomTree& tree)
    {
        int deepest = 0;
        for (const auto& node : tree.nodes) deepest = std::max(deepest, node.level);
        return deepest;
    }
};

TEST_F(BomExplosionTest, QuantitiesFollowEachLevelsMasterQtyDownToTheLeaf)
{
    FiveLevels();
    BomTree tree = Explode(900);
    ASSERT_EQ(tree.nodes.size(), 6u);
    EXPECT_FALSE(tree.overflow);
    EXPECT_EQ(Quantities(tree), (std::vector<double>{1, 2, 3, 12, 1.5, 15}));
    for (int level = 0; level < 6; ++level) {
        EXPECT_EQ(tree.nodes[level].level, level);
        EXPECT_EQ(tree.nodes[level].parent, level - 1);
    }
    EXPECT_EQ(tree.nodes[0].text, "T900 T900名  [ 1 ] 个");
    EXPECT_EQ(tree.nodes[2].text, "T902 T902名  [ 3 ] 个 5% 焊接");
    EXPECT_EQ(tree.nodes[4].text, "T904 T904名  [ 1.5 ] 个 0% ");

    BomTree ordered = Explode(900, true);
    EXPECT_EQ(Quantities(ordered), (std::vector<double>{10, 20, 30, 120, 15, 150}));
    EXPECT_EQ(ordered.nodes[0].text, "T900 T900名  [ 10 ] 个");
}

TEST_F(BomExplosionTest, AGoodsWithoutBomShowsOnlyItsRootWithEmptyFigures)
{
    FiveLevels();
    auto header = ReadBomBrowseHeader(905);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->MasterQtyText(), "");
    EXPECT_EQ(header->StateText(), "未审核");
    BomTree tree =
        BuildBomTree(Index(905, BomReach::Components), header->goods, header->RootQuantity(), header->MasterQtyText());
    ASSERT_EQ(tree.nodes.size(), 1u);
    EXPECT_EQ(tree.nodes[0].text, "T905 T905名  [  ] 个");
    EXPECT_FALSE(ReadBomBrowseHeader(99999));
}

TEST_F(BomExplosionTest, APurchasedComponentWithLinesOfItsOwnIsNotExpanded)
{
    FiveLevels();
    Goods(906, 1);
    Goods(907, 1);
    Line(900, 906, 2, 1);
    Line(906, 907, 1, 1);
    BomTree tree = Explode(900);
    ASSERT_EQ(tree.nodes.size(), 7u);
    EXPECT_EQ(tree.nodes[6].goodsID, 906);
    EXPECT_EQ(tree.nodes[6].level, 1);
}

TEST_F(BomExplosionTest, AStoredCycleStopsAtLevelThirtyKeepingTheSiblingsOnItsPath)
{
    Goods(910, 2);
    Goods(911, 2);
    Goods(912, 1);
    Line(910, 911, 1, 1);
    Line(911, 910, 1, 1);
    Line(911, 912, 2, 1);
    BomTree tree = Explode(910);
    EXPECT_TRUE(tree.overflow);
    EXPECT_EQ(Deepest(tree), BomLevelLimit);
    // 910 and 911 alternate on levels 0 to 30; the 911 on level 29 stops, but every 911 above it
    // still lists 912 after the branch came back: levels 1, 3, ..., 27.
    EXPECT_EQ(tree.nodes.size(), 31u + 14u);
    EXPECT_EQ(std::count_if(tree.nodes.begin(), tree.nodes.end(), [](const auto& node) { return node.goodsID == 912; }),
              14);
}

TEST_F(BomExplosionTest, PrintRowsCarryTheGradeAndTheScaledQuantityInTreeOrder)
{
    FiveLevels();
    DataSet rows;
    FlattenBomTree(Explode(900), rows);
    ASSERT_EQ(rows.RecordCount(), 6);
    std::vector<std::string> grades;
    for (rows.First(); !rows.Eof(); rows.Next()) grades.push_back(rows.FieldByName("Grade").AsString());
    EXPECT_EQ(grades, (std::vector<std::string>{"0", ".1", "..2", "...3", "....4", ".....5"}));
    rows.SetRecNo(3);
    EXPECT_EQ(rows.FieldByName("GoodsCode").AsString(), "T902");
    EXPECT_DOUBLE_EQ(rows.FieldByName("mnfQty").AsFloat(), 3);
    EXPECT_DOUBLE_EQ(rows.FieldByName("Quantity").AsFloat(), 1.5);
    EXPECT_DOUBLE_EQ(rows.FieldByName("MasterQty").AsFloat(), 2);
    EXPECT_EQ(rows.FieldByName("Memo").AsString(), "焊接");
}

TEST_F(BomExplosionTest, TheDemoWheelSetStatedForTwoGivesHalfItsLineQuantityPerWheel)
{
    auto header = ReadBomBrowseHeader(1);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->StateText(), "已审核");
    BomTree tree =
        BuildBomTree(Index(1, BomReach::Components), header->goods, header->RootQuantity(), header->MasterQtyText());
    EXPECT_FALSE(tree.overflow);
    int spokes = 0;
    for (const auto& node : tree.nodes) {
        if (node.goodsID != 104) continue;
        ++spokes;
        EXPECT_EQ(node.level, 3);
        EXPECT_DOUBLE_EQ(node.mnfQty, 36) << node.text;  // 72 for a parent quantity of 2, one wheel set per wheel
    }
    EXPECT_EQ(spokes, 2);  // front and rear wheel
}

class WhereUsedTest : public test::BomTreeTest {
protected:
    //! 920 (purchased) on two lines of 921 and one of 922; 921 and 922 both in 923.
    void SharedComponent()
    {
        for (auto [id, kind] : {std::pair{920, 1}, {921, 2}, {922, 2}, {923, 3}}) Goods(id, kind);
        Line(921, 920, 1, 2);
        Line(921, 920, 2, 1, 1, 3);
        Line(922, 920, 1, 4);
        Line(923, 921, 1, 1);
        Line(923, 922, 2, 1);
    }
    std::vector<std::string> Column(DataSet& rows, const char* field)
    {
        std::vector<std::string> values;
        for (rows.First(); !rows.Eof(); rows.Next()) values.push_back(rows.FieldByName(field).AsString());
        return values;
    }
};

TEST_F(WhereUsedTest, ASharedComponentListsEveryLineThatUsesItAndTheirParents)
{
    SharedComponent();
    auto goods = ReadBomGoods(920);
    ASSERT_TRUE(goods);
    BomTree tree = BuildWhereUsedTree(Index(goods->goodsID, BomReach::Parents), *goods);
    EXPECT_FALSE(tree.overflow);
    std::vector<std::string> texts;
    for (const auto& node : tree.nodes)
        texts.push_back(std::string(static_cast<std::size_t>(node.level), '-') + node.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"T920 T920名  个", "-T921 T921名  2 个 0% ", "--T923 T923名  1 个 0% ",
                                               "-T921 T921名  1 个 3% ", "--T923 T923名  1 个 0% ",
                                               "-T922 T922名  4 个 0% ", "--T923 T923名  1 个 0% "}));

    DataSet rows;
    FillWhereUsedRows(index, 920, rows);
    EXPECT_EQ(Column(rows, "Grade"), (std::vector<std::string>{"1", ".2", "1", ".2", "1", ".2"}));
    EXPECT_EQ(Column(rows, "GoodsCode"), (std::vector<std::string>{"T921", "T923", "T921", "T923", "T922", "T923"}));
    EXPECT_EQ(Column(rows, "Quantity"), (std::vector<std::string>{"2", "1", "1", "1", "4", "1"}));
}

TEST_F(WhereUsedTest, AGoodsUsedNowhereHasOnlyItsRootAndNoRows)
{
    SharedComponent();
    auto goods = ReadBomGoods(923);
    ASSERT_TRUE(goods);
    EXPECT_EQ(BuildWhereUsedTree(Index(goods->goodsID, BomReach::Parents), *goods).nodes.size(), 1u);
    DataSet rows;
    FillWhereUsedRows(index, 923, rows);
    EXPECT_EQ(rows.RecordCount(), 0);
}

TEST_F(WhereUsedTest, AStoredCycleStopsTheTreeAtLevelThirtyAndTheRowsAtTheRepeat)
{
    Goods(930, 2);
    Goods(931, 2);
    Line(930, 931, 1, 1);
    Line(931, 930, 1, 1);
    auto goods = ReadBomGoods(930);
    ASSERT_TRUE(goods);
    BomTree tree = BuildWhereUsedTree(Index(goods->goodsID, BomReach::Parents), *goods);
    EXPECT_TRUE(tree.overflow);
    EXPECT_EQ(tree.nodes.size(), 31u);
    DataSet rows;
    FillWhereUsedRows(index, 930, rows);
    EXPECT_EQ(Column(rows, "Grade"), (std::vector<std::string>{"1", ".2"}));
}

}  // namespace
}  // namespace mfg
