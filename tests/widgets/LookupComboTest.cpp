// The look-up combo over the goods cache: typing narrows the list without touching what other
// screens look up, the value is the key of the chosen row, and its buttons reach the handler.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "LookupCombo.h"
#include "Person.h"
#include "ScreenTest.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

class LookupComboTest : public test::ScreenTest {
protected:
    void SetUp() override
    {
        goods = &OpenLookupDataSet("qryGoods");
        Prepare(combo);
        QObject::connect(&combo, &LookupCombo::Changed, [this] { ++changes; });
    }
    void Prepare(LookupCombo& prepared)
    {
        prepared.SetLookupDataSet(goods);
        prepared.SetKeyField("GoodsID");
        prepared.SetListField("Name");
        prepared.AddDropDownColumn("Code", "编码");
        prepared.AddDropDownColumn("Name", "品名");
        prepared.SetDropDownFilter("Kind = 3");
        prepared.SetActionButtons({"新增#", "查找#", "置空"});
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

// A person at the keyboard: the keys stay in the edit while the list is open and narrow it, the
// arrows move within what is left, Return takes the highlighted row, Escape gives back the value.
TEST_F(LookupComboTest, TheKeyboardTypesFiltersMovesChoosesAndEscapes)
{
    struct Case {
        const char* typed;
        std::vector<Qt::Key> keys;
        int value;          // the value afterwards
        const char* shown;  // the text afterwards
    };
    const std::vector<Case> cases{
        {"300", {Qt::Key_Down, Qt::Key_Return}, 2, "城市自行车"},  // the second of the three left
        {"300", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Return}, 2, "城市自行车"},
        {"儿童", {Qt::Key_Return}, 3, "儿童自行车"},
        {"3003", {Qt::Key_Down, Qt::Key_Return}, 3, "儿童自行车"},  // Down stays within the one left
        {"城市", {Qt::Key_Escape}, 1, "山地自行车"},                // the value before, unchanged
    };
    QWidget window;
    auto& before = *new QLineEdit(&window);
    LookupCombo typed(&window);
    Prepare(typed);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(&before);
    layout->addWidget(&typed);
    window.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        typed.SetValue(1);
        test::ClickAt(before, before.rect().center());
        test::PressKey(Qt::Key_Tab);
        // What the field shows is replaced by what is typed, never appended to.
        test::TypeText(c.typed);
        EXPECT_EQ(typed.Text().toStdString(), c.typed);
        EXPECT_TRUE(typed.DroppedDown());
        for (Qt::Key key : c.keys) test::PressKey(key);
        EXPECT_FALSE(typed.DroppedDown());
        EXPECT_EQ(typed.Value().AsInteger(), c.value);
        EXPECT_EQ(typed.Text().toStdString(), c.shown);
        EXPECT_EQ(QApplication::focusWidget(), &Control<QLineEdit>(typed, "edit"));
        EXPECT_FALSE(goods->Filtered()) << "the shared list is whole again";
    }
}

}  // namespace
}  // namespace mfg
