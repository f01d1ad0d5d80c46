// The browsers, the check and the editor's cycle search read only what their goods reaches. These
// tests hold the reachable reads against the whole stored BOM: every tree, where-used tree, print
// list and cycle search of every goods is the one that the whole BOM gives, over shared
// sub-assemblies, substitutes, purchased goods with lines of their own and a cycle stored behind
// the editor's back, while a leaf's questions read no more than the few lines above it.
#include <gtest/gtest.h>

#include <set>

#include "BomCycleSearch.h"
#include "BomTree.h"
#include "BomTreeFixture.h"
#include "BomValidator.h"
#include "GoodsBom.h"

namespace mfg {
namespace {

class BomReachTest : public test::BomTreeTest {
protected:
    //! Beside the demo: 961 and 962 share the sub-assembly 963 (at levels 1 and 2 of 960), 963 uses
    //! the purchased 964, which has a line of its own to 965; 962's line to 963 may take 966, whose
    //! own BOM uses 967. 970 and 971 use each other (stored by hand) and 971 uses 964. 980 to 989 are
    //! a separate product line that no question above reaches.
    void Factory()
    {
        for (auto [id, kind] : {std::pair{960, 3},
                                {961, 2},
                                {962, 2},
                                {963, 2},
                                {964, 1},
                                {965, 1},
                                {966, 2},
                                {967, 1},
                                {970, 2},
                                {971, 2}})
            Goods(id, kind);
        Line(960, 961, 1, 2);
        Line(960, 962, 2, 1, 2);
        Line(961, 962, 1, 3);
        Line(961, 963, 2, 1);
        Line(962, 963, 1, 4, 1, 5, "共用");
        Line(962, 963, 2, 1);
        Line(963, 964, 1, 6);
        Line(964, 965, 1, 1);
        Line(966, 967, 1, 2);
        host.SqlExecute(
            "insert into L_GoodsBomsub (GoodsID, ElemGID, GoodsItemNO, ItemNo, SubGoodsID, Rate) values (962, 963, 1, "
            "'1', 966, 1)");
        Line(970, 971, 1, 1);
        Line(971, 970, 1, 1);
        Line(971, 964, 2, 1);
        for (int id = 980; id < 990; ++id) Goods(id, id == 989 ? 1 : 2);
        for (int id = 980; id < 989; ++id) Line(id, id + 1, 1, 2);
    }

    //! Every stored line and goods, as one index.
    BomIndex WholeIndex()
    {
        BomIndex whole;
        auto goods = CreateAutoQuery(
            "Select a.GoodsID, a.Code, a.Name, a.Specs, a.Kind, u.UnitName From L_Goods a Left Join L_GoodsUnit u on "
            "(a.GoodsID = u.GoodsID and u.isbase = 1)",
            true);
        for (goods->First(); !goods->Eof(); goods->Next())
            whole.AddGoods({static_cast<int>(goods->FieldByName("GoodsID").AsInteger()),
                            static_cast<int>(goods->FieldByName("Kind").AsInteger()),
                            goods->FieldByName("Code").AsString(),
                            goods->FieldByName("Name").AsString(),
                            goods->FieldByName("Specs").AsString(),
                            goods->FieldByName("UnitName").AsString(),
                            {}});
        auto lines = CreateAutoQuery("Select * From L_GoodsBom", true);
        for (lines->First(); !lines->Eof(); lines->Next()) {
            const Field& orderNo = lines->FieldByName("Orderno");
            const Field& masterQty = lines->FieldByName("MasterQty");
            whole.AddLine({static_cast<int>(lines->FieldByName("GoodsID").AsInteger()),
                           static_cast<int>(lines->FieldByName("ElemGID").AsInteger()),
                           static_cast<int>(lines->FieldByName("ItemNo").AsInteger()),
                           lines->FieldByName("Quantity").AsFloat(),
                           lines->FieldByName("MnfQty").AsFloat(),
                           masterQty.IsNull() ? 1.0 : masterQty.AsFloat(),
                           lines->FieldByName("UseTime").AsFloat(),
                           lines->FieldByName("WasteRate").AsFloat(),
                           orderNo.IsNull() ? std::nullopt : std::optional(orderNo.AsString()),
                           lines->FieldByName("Memo").AsString(),
                           {}});
        }
        whole.Sort();
        return whole;
    }

    //! Every stored component and substitute edge, as one graph.
    StoredBomGraph WholeGraph()
    {
        StoredBomGraph whole;
        auto rows = CreateAutoQuery(
            "Select a.GoodsID, a.ElemGID, b.Code As GoodsCode From L_GoodsBom a, L_Goods b Where a.ElemGID = b.GoodsID "
            "union Select c.GoodsID, c.SubGoodsID, d.Code From l_GoodsBomSub c, L_Goods d Where c.SubGoodsID = "
            "d.GoodsID order by 1, 2",
            true);
        for (rows->First(); !rows->Eof(); rows->Next())
            whole.Add(static_cast<int>(rows->FieldByName("GoodsID").AsInteger()),
                      {static_cast<int>(rows->FieldByName("ElemGID").AsInteger()),
                       rows->FieldByName("GoodsCode").AsString()});
        return whole;
    }

    //! Every goods that a BOM line names.
    std::set<int> BomGoods()
    {
        std::set<int> ids;
        auto rows = CreateAutoQuery("Select GoodsID From L_GoodsBom union Select ElemGID From L_GoodsBom", true);
        for (rows->First(); !rows->Eof(); rows->Next()) ids.insert(static_cast<int>(rows->FieldByIndex(0).AsInteger()));
        return ids;
    }

    //! A tree as text: level, goods, shown text and the scaled quantity of every node in order.
    static std::vector<std::string> Shown(const BomTree& tree)
    {
        std::vector<std::string> result{tree.overflow ? "overflow" : "complete"};
        for (const BomTreeNode& node : tree.nodes)
            result.push_back(std::to_string(node.level) + "/" + std::to_string(node.parent) + " " +
                             std::to_string(node.goodsID) + " " + node.text + " " + FloatText(node.mnfQty));
        return result;
    }
    static std::vector<std::string> Rows(DataSet& rows)
    {
        std::vector<std::string> result;
        for (rows.First(); !rows.Eof(); rows.Next())
            result.push_back(rows.FieldByName("Grade").AsString() + " " + rows.FieldByName("GoodsCode").AsString() +
                             " " + rows.FieldByName("Quantity").AsString());
        return result;
    }
};

TEST_F(BomReachTest, TreesWhereUsedAndPrintRowsOfEveryGoodsAreThoseOfTheWholeBom)
{
    Factory();
    const BomIndex whole = WholeIndex();
    for (int id : BomGoods()) {
        auto goods = ReadBomGoods(id);
        if (!goods) continue;
        SCOPED_TRACE(goods->code);
        EXPECT_EQ(Shown(BuildBomTree(Index(id, BomReach::Components), *goods, 3, "3")),
                  Shown(BuildBomTree(whole, *goods, 3, "3")));
        EXPECT_EQ(Shown(BuildBomTree(index, *goods, 3, "3", true)), Shown(BuildBomTree(whole, *goods, 3, "3", true)));
        EXPECT_EQ(Shown(BuildWhereUsedTree(Index(id, BomReach::Parents), *goods)),
                  Shown(BuildWhereUsedTree(whole, *goods)));
        DataSet reached, all;
        FillWhereUsedRows(index, id, reached);
        FillWhereUsedRows(whole, id, all);
        EXPECT_EQ(Rows(reached), Rows(all));
    }
}

TEST_F(BomReachTest, ALeafReadsOnlyTheLinesAboveItAndAProductOnlyThoseBelow)
{
    Factory();
    EXPECT_EQ(Index(965, BomReach::Components).LineCount(), 0u);
    // The lines using 965 (1), 964 (2), 963 (3), 962 (2), 961 (1), 971 (1) and 970 (1).
    EXPECT_EQ(Index(965, BomReach::Parents).LineCount(), 11u);
    EXPECT_EQ(Index(988, BomReach::Components).LineCount(), 1u);
    EXPECT_EQ(Index(960, BomReach::Components).LineCount(), 8u);
    EXPECT_EQ(Index(970, BomReach::Components).LineCount(), 4u);  // the cycle and 964's own line
    EXPECT_TRUE(BuildBomTree(index, *ReadBomGoods(970), 1, "1").overflow);
}

TEST_F(BomReachTest, CycleSearchesOverTheReachableBomFindWhatTheWholeBomFinds)
{
    Factory();
    const StoredBomGraph whole = WholeGraph();
    // From every parent with its stored children on top, as the check of a stored BOM starts.
    int cycles = 0;
    for (int id : BomGoods()) {
        const BomChildren& top = whole.ChildrenOf(id);
        if (top.empty()) continue;
        BomCycleSearch search([&whole](int goodsID) -> const BomChildren& { return whole.ChildrenOf(goodsID); });
        std::string wholePath = "P", reachedPath = "P";
        const bool found = search.Find(id, top, wholePath);
        EXPECT_EQ(FindBomCycle(id, top, reachedPath), found) << id;
        EXPECT_EQ(reachedPath, wholePath);
        cycles += found;
    }
    EXPECT_EQ(cycles, 2);  // 970 and 971

    // Children as the editor holds them: 966 as a substitute leads to no cycle, 970 as a line does.
    std::string path = "T963";
    EXPECT_FALSE(FindBomCycle(963, {{964, "T964"}, {966, "T966"}}, path));
    path = "T964";
    EXPECT_TRUE(FindBomCycle(964, {{965, "T965"}, {970, "T970"}}, path));
    EXPECT_EQ(path, "T964->T970->T971->T964");
    // A substitute that leads back to the parent: 967 taking 960 in 966's BOM.
    host.SqlExecute(
        "insert into L_GoodsBomsub (GoodsID, ElemGID, GoodsItemNO, ItemNo, SubGoodsID, Rate) values (966, 967, 1, '1', "
        "960, 1)");
    path = "T960";
    EXPECT_TRUE(FindBomCycle(960, whole.ChildrenOf(960), path));
    EXPECT_EQ(path, "T960->T961->T962->T966->T960");
}

TEST_F(BomReachTest, TheCheckOfAStoredBomSeesTheCycleBehindIt)
{
    Factory();
    Line(963, 970, 2, 1);
    GoodsBom bom;
    ASSERT_TRUE(bom.Load(961));
    bool cycle = false;
    for (const BomProblem& problem : CheckBom(bom))
        cycle = cycle || problem.message == "物料清单产生循环引用:\r\nT961->T962->T963->T970->T971->T970";
    EXPECT_TRUE(cycle);
}

}  // namespace
}  // namespace mfg
