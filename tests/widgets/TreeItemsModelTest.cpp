// The tree view over result trees: nodes with pending children load them only when opened, and
// the view's expansion is written back to the nodes the screens read; the small editors keep the
// host's values.
#include <gtest/gtest.h>

#include "DatePicker.h"
#include "ProgressDialog.h"
#include "ScreenTest.h"
#include "SpinEditFloat.h"
#include "TreeItemsModel.h"

namespace mfg {
namespace {

TEST(TreeItemsModelTest, PendingChildrenLoadOnExpansionAndExpansionReachesTheNodes)
{
    TreeItems tree({"Quantity"});
    TreeNode& bike = tree.Add("3001 山地自行车");
    bike.SetValue("Quantity", 1.0);
    int loads = 0;
    bike.SetChildLoader([&loads](TreeNode& node) {
        ++loads;
        node.AddChild("2001 车架组件").SetValue("Quantity", 1.0);
        node.AddChild("2003 前轮组件").SetValue("Quantity", 2.0);
    });
    TreeItemsView view;
    view.SetTree(&tree, "物料", {"Quantity"});
    auto& model = view.Model();
    QModelIndex root = model.index(0, 0);
    EXPECT_EQ(model.data(root).toString(), "3001 山地自行车");
    EXPECT_EQ(model.data(model.index(0, 1)).toString(), "1");
    EXPECT_TRUE(model.hasChildren(root));
    EXPECT_EQ(model.rowCount(root), 0);
    EXPECT_EQ(loads, 0);

    view.expand(root);
    EXPECT_EQ(loads, 1);
    ASSERT_EQ(model.rowCount(root), 2);
    EXPECT_TRUE(bike.Expanded());
    QModelIndex wheel = model.index(1, 0, root);
    EXPECT_EQ(model.parent(wheel), root);
    EXPECT_EQ(model.NodeOf(wheel)->Text(), "2003 前轮组件");
    view.Select(*model.NodeOf(wheel));
    EXPECT_EQ(view.Selected(), model.NodeOf(wheel));
    view.collapse(root);
    EXPECT_FALSE(bike.Expanded());
}

TEST(EditorsTest, DatePickerAndSpinEditKeepTheHostValues)
{
    DatePicker picker;
    picker.SetDate(DateTime::FromYmdHms(2026, 2, 28, 15, 30, 0));
    EXPECT_EQ(picker.Date().DayNumber(), DateTime::FromYmd(2026, 2, 28).DayNumber());
    SpinEditFloat spin;
    spin.SetValue(-12.3456);
    EXPECT_DOUBLE_EQ(spin.Value(), -12.3456);
    spin.SetValue(1e9);
    EXPECT_DOUBLE_EQ(spin.Value(), 1e9);
}

TEST(EditorsTest, ProgressDialogShowsTheStageAndClampsTheFraction)
{
    ProgressDialog progress("MRP II 运算");
    auto report = progress.Callback();
    report("展开毛需求", 0.25);
    EXPECT_EQ(progress.labelText(), "展开毛需求");
    EXPECT_EQ(progress.value(), 250);
    report("计算净需求", 1.7);
    EXPECT_EQ(progress.labelText(), "计算净需求");
}

}  // namespace
}  // namespace mfg
