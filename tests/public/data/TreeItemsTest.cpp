#include "data/TreeItems.h"

#include <gtest/gtest.h>

namespace mfg {
namespace {

std::vector<std::string> WalkTexts(TreeItems& tree)
{
    std::vector<std::string> texts;
    tree.Walk([&](TreeNode& node) {
        texts.push_back(node.Text());
        return true;
    });
    return texts;
}

// A BOM: P made of A (made of A1, A2) and B.
struct BomTree : ::testing::Test {
    BomTree()
    {
        TreeNode& p = tree.Add("P");
        a = &p.AddChild("A");
        a->AddChild("A1");
        a->AddChild("A2");
        p.AddChild("B");
    }
    TreeItems tree{{"goodsid", "qty"}};
    TreeNode* a = nullptr;
};

TEST_F(BomTree, NodesKeepOrderParentsAndLevels)
{
    EXPECT_EQ(WalkTexts(tree), (std::vector<std::string>{"P", "A", "A1", "A2", "B"}));
    EXPECT_EQ(tree.Count(), 5);
    EXPECT_EQ(a->Parent()->Text(), "P");
    EXPECT_EQ(a->Child(1).Level(), 2);
    EXPECT_EQ(a->Child(1).Index(), 1);
    a->InsertChild(1, "A1b");
    EXPECT_EQ(a->Child(2).Text(), "A2");
    EXPECT_THROW(a->InsertChild(9, "x"), std::out_of_range);
    EXPECT_THROW(a->Child(9), std::out_of_range);
}

TEST_F(BomTree, IdsStayWithTheirNodesAndGoWithARemovedSubtree)
{
    TreeNode& a2 = a->Child(1);
    std::int64_t a2Id = a2.Id();
    std::int64_t aId = a->Id();
    a->InsertChild(0, "A0");
    EXPECT_EQ(tree.FindById(a2Id), &a2);
    TreeNode& p = *a->Parent();
    p.RemoveChild(0);  // A with its children
    EXPECT_EQ(tree.FindById(aId), nullptr);
    EXPECT_EQ(tree.FindById(a2Id), nullptr);
    EXPECT_EQ(tree.Count(), 2);
    TreeNode& c = p.AddChild("C");
    EXPECT_GT(c.Id(), a2Id);  // ids are never reused
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.TopLevelCount(), 0);
}

TEST_F(BomTree, WalkStopsWhenAskedAndFindReturnsTheFirstMatch)
{
    int visited = 0;
    tree.Walk([&](TreeNode& node) {
        ++visited;
        return node.Text() != "A1";
    });
    EXPECT_EQ(visited, 3);
    a->Child(1).SetValue("goodsid", 7);
    a->Parent()->Child(1).SetValue("GOODSID", 7);
    TreeNode* found = tree.Find([](const TreeNode& n) { return n.Value("goodsid") == Variant(7); });
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Text(), "A2");
    EXPECT_EQ(tree.Find([](const TreeNode&) { return false; }), nullptr);
}

TEST_F(BomTree, ValuesUseTheTreesColumns)
{
    a->SetValue("qty", 2.5);
    EXPECT_DOUBLE_EQ(a->Value("QTY").AsFloat(), 2.5);
    EXPECT_TRUE(a->Value("goodsid").IsNull());
    EXPECT_THROW(a->SetValue("nosuch", 1), std::invalid_argument);
    EXPECT_THROW(a->Value("nosuch"), std::invalid_argument);
    int level = tree.AddColumn("level");
    EXPECT_EQ(tree.AddColumn("LEVEL"), level);
    EXPECT_TRUE(a->Value(level).IsNull());  // made before the column
    a->SetValue(level, 1);
    EXPECT_EQ(a->Value("level").AsInteger(), 1);
}

TEST_F(BomTree, LazyChildrenLoadOnceWhenExpandedAndStayPendingAfterAFailure)
{
    TreeNode& b = a->Parent()->Child(1);
    int loads = 0;
    bool fail = true;
    b.SetChildLoader([&](TreeNode& node) {
        ++loads;
        node.AddChild("B1");
        if (fail) throw std::runtime_error("数据库连接已断开");
        node.AddChild("B2");
    });
    EXPECT_TRUE(b.HasChildren());
    EXPECT_EQ(b.ChildCount(), 0);
    EXPECT_EQ(WalkTexts(tree).size(), 5u);  // the walk does not load

    EXPECT_THROW(b.SetExpanded(true), std::runtime_error);
    EXPECT_FALSE(b.Expanded());
    EXPECT_TRUE(b.ChildrenPending());
    EXPECT_EQ(b.ChildCount(), 0);
    EXPECT_EQ(tree.Count(), 5);

    fail = false;
    b.SetExpanded(true);
    b.SetExpanded(false);
    b.SetExpanded(true);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(b.ChildCount(), 2);
    EXPECT_FALSE(b.ChildrenPending());
    EXPECT_EQ(tree.Count(), 7);
}

}  // namespace
}  // namespace mfg
