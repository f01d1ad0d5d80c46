// The look-up combo over the goods cache: typing narrows the list without touching what other
// screens look up, the value is the key of the chosen row, and its buttons reach the handler.
#include <gtest/gtest.h>

#include <QPushButton>

#include "LookupCombo.h"
#include "ScreenTest.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

class LookupComboTest : public test::ScreenTest {
protected:
    void SetUp() override
    {
        goods = &OpenLookupDataSet("qryGoods");
        combo.SetLookupDataSet(goods);
        combo.SetKeyField("GoodsID");
        combo.SetListField("Name");
        combo.AddDropDownColumn("Code", "编码");
        combo.AddDropDownColumn("Name", "品名");
        combo.SetDropDownFilter("Kind = 3");
        combo.SetActionButtons({"新增#", "查找#", "置空"});
        QObject::connect(&combo, &LookupCombo::Changed, [this] { ++changes; });
    }

    DataSet* goods = nullptr;
    LookupCombo combo;
    int changes = 0;
};

TEST_F(LookupComboTest, TypingFiltersByPrefixOnTopOfTheComboFilterAndClosingRestoresTheCache)
{
    int all = goods->RecordCount();
    combo.DropDown();
    EXPECT_EQ(goods->RecordCount(), 3);  // the three finished bicycles
    combo.DropDown("300");
    EXPECT_EQ(goods->RecordCount(), 3);
    combo.DropDown("城市");
    ASSERT_EQ(goods->RecordCount(), 1);
    EXPECT_EQ(combo.DropDownGrid().Model().rowCount(), 1);
    // A quote typed by the user stays text inside the filter.
    combo.DropDown("it's");
    EXPECT_EQ(goods->RecordCount(), 0);
    combo.CloseUp();
    EXPECT_EQ(goods->RecordCount(), all);
    EXPECT_FALSE(goods->Filtered());
}

TEST_F(LookupComboTest, ChoosingARowSetsItsKeyAndShowsItsName)
{
    combo.DropDown("3002");
    combo.ChooseCurrentRow();
    EXPECT_EQ(combo.Value().AsInteger(), 2);
    EXPECT_EQ(combo.Text(), "城市自行车");
    EXPECT_FALSE(combo.DroppedDown());
    EXPECT_EQ(changes, 1);
    combo.SetValue(2);
    EXPECT_EQ(changes, 1);  // the same value is no change
    combo.SetValue(11);
    EXPECT_EQ(combo.Text(), "车架组件");
}

TEST_F(LookupComboTest, ButtonsGoToTheHandlerWithoutTheirMarkAndClearWorksWithoutOne)
{
    std::vector<std::string> actions;
    combo.SetValue(1);
    combo.DoAction("置空");  // no handler: the host's utility clears
    EXPECT_TRUE(combo.Value().IsNull());
    EXPECT_TRUE(combo.Text().isEmpty());
    EXPECT_EQ(changes, 2);

    combo.SetActionHandler([&](LookupCombo& sender, const std::string& action) {
        EXPECT_EQ(&sender, &combo);
        actions.push_back(action);
    });
    combo.DropDown();
    ScreenTest::Control<QPushButton>(*combo.DropDownGrid().parentWidget(), "新增").click();
    combo.DoAction("查找#");
    EXPECT_EQ(actions, (std::vector<std::string>{"新增", "查找"}));
}

}  // namespace
}  // namespace mfg
