#include <gtest/gtest.h>

#include <random>

#include "BomCycleSearch.h"
#include "BomFixture.h"
#include "BomValidator.h"

namespace mfg {
namespace {

using test::BomTest;

//! `levels` levels of two goods each, both of a level using both of the next: every goods below the
//! first level is shared by two parents. Goods 1 is the parent; the levels start at 10.
StoredBomGraph SharedLevels(int levels)
{
    StoredBomGraph graph;
    for (int level = 1; level < levels; ++level)
        for (int parent : {level * 10, level * 10 + 1})
            for (int child : {(level + 1) * 10, (level + 1) * 10 + 1}) graph.Add(parent, {child, std::to_string(child)});
    return graph;
}

BomChildren FirstLevel() { return {{10, "10"}, {11, "11"}}; }

struct Outcome {
    bool found;
    std::string path;
    size_t expanded;
};

Outcome Search(const StoredBomGraph& graph, const BomChildren& top, bool remember)
{
    BomCycleSearch search([&graph](int id) -> const BomChildren& { return graph.ChildrenOf(id); }, remember);
    std::string path = "P";
    bool found = search.Find(1, top, path);
    return {found, path, search.ExpandedCount()};
}

TEST(BomCycleSearch, SharedSubAssembliesAreSearchedOnce)
{
    auto deep = SharedLevels(25);
    auto linear = Search(deep, FirstLevel(), true);
    EXPECT_FALSE(linear.found);
    EXPECT_EQ(linear.expanded, 1u + 2 * 25);  // the parent and every goods once

    auto shallow = SharedLevels(10);
    EXPECT_EQ(Search(shallow, FirstLevel(), false).expanded, (1u << 11) - 1);  // once per path
    EXPECT_EQ(Search(shallow, FirstLevel(), true).expanded, 1u + 2 * 10);
}

TEST(BomCycleSearch, FindsTheSameFirstCycleAsThePlainSearch)
{
    auto graph = SharedLevels(8);
    graph.Add(81, {30, "30"});  // the deepest level leads back up to the third
    auto plain = Search(graph, FirstLevel(), false);
    auto linear = Search(graph, FirstLevel(), true);
    ASSERT_TRUE(linear.found);
    EXPECT_EQ(linear.path, plain.path);
    EXPECT_EQ(linear.path, "P->10->20->30->40->50->60->70->81->30");

    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        StoredBomGraph sparse;
        BomChildren top;
        for (int edge = 0; edge < 14; ++edge) {
            int from = static_cast<int>(random() % 9) + 1, to = static_cast<int>(random() % 9) + 1;
            if (from == 1) top.push_back({to, std::to_string(to)});
            else sparse.Add(from, {to, std::to_string(to)});
        }
        auto a = Search(sparse, top, false);
        auto b = Search(sparse, top, true);
        ASSERT_EQ(a.found, b.found) << "round " << round;
        ASSERT_EQ(a.path, b.path) << "round " << round;
        ASSERT_LE(b.expanded, a.expanded);
    }
}

TEST_F(BomTest, CyclesThroughLinesSubstitutesAndStoredBoms)
{
    Load(3);
    AddLine(3);
    std::string path = "3003";
    auto children = [this] {
        BomChildren result;
        for (bom.Lines().First(); !bom.Lines().Eof(); bom.Lines().Next())
            result.push_back({static_cast<int>(bom.Lines().FieldByName("ElemGID").AsInteger()),
                              bom.Lines().FieldByName("GoodsCode").AsString()});
        for (bom.Substitutes().First(); !bom.Substitutes().Eof(); bom.Substitutes().Next())
            result.push_back({static_cast<int>(bom.Substitutes().FieldByName("SubGoodsID").AsInteger()),
                              bom.Substitutes().FieldByName("goodscode").AsString()});
        return result;
    };
    EXPECT_TRUE(FindBomCycle(3, children(), path));
    EXPECT_EQ(path, "3003->3003");

    // 车架焊接件 2011 naming 车架组件 2001, whose stored BOM uses 2011.
    Load(21);
    AddLine(11);
    path = "2011";
    EXPECT_TRUE(FindBomCycle(21, children(), path));
    EXPECT_EQ(path, "2011->2001->2011");

    // The same through a substitute of a line.
    Load(21);
    bom.Substitutes().Append();
    for (auto [field, value] : {std::pair<const char*, Variant>{"GoodsID", 21}, {"ElemGID", 101}, {"GoodsItemNO", 1},
                                {"ItemNo", "3"}, {"SubGoodsID", 11}, {"Rate", 1.0}})
        bom.Substitutes().FieldByName(field).SetValue(value);
    bom.Substitutes().Post();
    dialogs.Clear();
    EXPECT_FALSE(ValidateBom(bom));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"物料清单产生循环引用:\r\n2011->2001->2011"});
}

TEST_F(BomTest, ACycleStoredByHandBelowTheParentEndsTheSearch)
{
    host.SqlExecute("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, State) values (101, 102, 1, 1)");
    host.SqlExecute("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, State) values (102, 101, 1, 1)");
    Load(21);  // 钢管 1001 and 粗管 1002, which now use each other
    auto problems = CheckBom(bom);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].message, "物料清单产生循环引用:\r\n2011->1001->1002->1001");
}

}  // namespace
}  // namespace mfg
