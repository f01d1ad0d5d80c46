// What every screen inherits: Escape closes, combos reach the base form's action handler, the
// modal result comes back, host messages arrive, and registration puts the screen in ModuleScreens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "ScreenTest.h"
#include "TManuRootForm.h"
#include "host/LookupCache.h"

namespace mfg {

class TSampleForm : public TManuRootForm {
public:
    explicit TSampleForm(QWidget* parent) : TManuRootForm("TSampleForm", parent)
    {
        cmbGoods = new LookupCombo(this);
        cmbGoods->setObjectName("cmbGoods");
        cmbGoods->SetLookupDataSet(&OpenLookupDataSet("qryGoods"));
        cmbGoods->SetKeyField("GoodsID");
        cmbGoods->SetListField("Name");
        cmbGoods->AddDropDownColumn("Code", "编码");
        cmbGoods->AddDropDownColumn("Name", "名称");
        cmbGoods->SetTag(4);
        edtMemo = new QLineEdit(this);
        edtMemo->setObjectName("edtMemo");
    }
    std::vector<unsigned> messages;
    int shows = 0;
    LookupCombo* cmbGoods;
    QLineEdit* edtMemo;

protected:
    void FormShow() override
    {
        TManuRootForm::FormShow();
        ++shows;
    }
    void ScreenMessage(unsigned message, std::intptr_t, std::intptr_t) override { messages.push_back(message); }
};

MFG_REGISTER_SCREEN(TSampleForm);

namespace {

class TManuRootFormTest : public test::ScreenTest {
protected:
    void TearDown() override
    {
        TManuRootForm::SetGoodsPicker({});
        HostRegistry().Clear();
    }
};

//! A screen with a default size and a grid of two columns.
class TLayoutForm : public TManuRootForm {
public:
    TLayoutForm() : TManuRootForm("TLayoutForm")
    {
        grdLines = new DbGrid(this);
        grdLines->setObjectName("grdLines");
        grdLines->AddColumn("code", "编码");
        grdLines->AddColumn("name", "名称");
        SetDefaultSize(600, 400);
    }
    DbGrid* grdLines;
};

TEST_F(TManuRootFormTest, AScreenOpensAtTheSizeAndColumnWidthsItsOperatorLeft)
{
    {
        TLayoutForm form;
        EXPECT_EQ(form.size(), QSize(600, 400));
        EXPECT_EQ(form.sizeHint(), QSize(600, 400)) << "what an MDI frame opens at";
        form.show();
        form.resize(700, 450);
        form.grdLines->horizontalHeader()->resizeSection(1, 222);  // the user drags the title's edge
        form.close();
    }
    {
        TLayoutForm form;
        EXPECT_EQ(form.size(), QSize(700, 450));
        form.show();
        EXPECT_EQ(form.grdLines->columnWidth(1), 222);
        form.close();
    }
    host.SetUser(2, "计划员");
    TLayoutForm form;
    EXPECT_EQ(form.size(), QSize(600, 400)) << "another operator keeps his own";
    host.SetUser(1, "管理员");
}

TEST_F(TManuRootFormTest, EscapeClosesTheScreenFromTheFormAndFromAnEdit)
{
    TSampleForm form(nullptr);
    form.show();
    EXPECT_EQ(form.shows, 1);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    form.show();
    QTest::keyClick(form.edtMemo, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.shows, 2);
}

TEST_F(TManuRootFormTest, EscapeInACellEditorCancelsTheEditAndKeepsTheScreen)
{
    TSampleForm form(nullptr);
    DataSet rows;
    rows.AddField("Code", FieldType::Text);
    rows.CreateDataSet();
    rows.AppendRecord({"A"});
    auto* grid = new DbGrid(&form);
    grid->SetDataSet(&rows);
    grid->AddColumn("Code");
    form.show();
    QApplication::setActiveWindow(&form);
    grid->setFocus();
    grid->setCurrentIndex(grid->Model().index(0, 0));
    grid->edit(grid->currentIndex());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, grid);
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(TManuRootFormTest, GoodsComboFindOpensThePickerOtherActionsGoToTheHost)
{
    std::vector<std::string> filters;
    TManuRootForm::SetGoodsPicker([&](TManuRootForm&, const std::string& filter) -> std::optional<PickedGoods> {
        filters.push_back(filter);
        return PickedGoods{3, 0};
    });
    TSampleForm form(nullptr);
    form.show();
    EXPECT_EQ(form.cmbGoods->ColumnNames(), (std::vector<std::string>{"Code*", "Name*", "Name#"}));
    form.cmbGoods->DoAction("查找#");
    EXPECT_EQ(filters, std::vector<std::string>{" "});
    EXPECT_EQ(form.cmbGoods->Value().AsInteger(), 3);
    EXPECT_EQ(form.cmbGoods->Text(), "儿童自行车");
    form.cmbGoods->DoAction("置空");
    EXPECT_TRUE(form.cmbGoods->Value().IsNull());
    // A combo that is not a goods combo searches in its own list instead.
    form.cmbGoods->SetTag(0);
    form.cmbGoods->DoAction("查找");
    EXPECT_EQ(filters.size(), 1u);
    EXPECT_TRUE(form.cmbGoods->DroppedDown());
    form.cmbGoods->CloseUp();
}

TEST_F(TManuRootFormTest, ModalRunReturnsTheResultSetAndCancelWhenSimplyClosed)
{
    TSampleForm form(nullptr);
    QTimer::singleShot(0, [&] { form.SetModalResult(mrOk); });
    EXPECT_EQ(form.ShowModal(), mrOk);
    QTimer::singleShot(0, [&] { form.close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}

TEST_F(TManuRootFormTest, RegisteredScreenTakesItsPrivilegeAndReceivesTheOpenedMessage)
{
    auto factory = FindModuleScreen("TSampleForm");
    ASSERT_TRUE(factory);
    HostRegistry().RegisterPrivilegedForm("SampleForm", 2047, factory, "TSampleForm");
    auto screen = factory();
    auto* formScreen = dynamic_cast<FormScreen*>(screen.get());
    ASSERT_NE(formScreen, nullptr);
    QPointer<TManuRootForm> form = formScreen->Form();
    EXPECT_EQ(form->objectName(), "TSampleForm");
    EXPECT_EQ(form->PrivilegeID(), 2047);
    screen->Perform(ScreenOpenedMessage, 0, 0);
    EXPECT_EQ(static_cast<TSampleForm*>(form.data())->messages, std::vector<unsigned>{0x0B84});
    screen->Show();
    screen.reset();  // a shown screen outlives its handle ...
    ASSERT_TRUE(form);
    EXPECT_TRUE(form->isVisible());
    form->close();  // ... and frees itself on close
    ProcessEvents();
    EXPECT_FALSE(form);
}

TEST_F(TManuRootFormTest, FillGoodsFieldsFillsOnlyTheFieldsTheDataSetHas)
{
    DataSet lines;
    lines.AddField("GoodsID", FieldType::Integer);
    lines.AddField("goodsname", FieldType::Text);
    lines.AddField("Specs", FieldType::Text);
    lines.AddField("StoreID", FieldType::Integer);
    lines.AddField("storename", FieldType::Text);
    lines.AddCalcField("UnitName", FieldType::Text);
    TSampleForm form(nullptr);
    lines.OnCalcFields([&form](DataSet& d) { form.FillGoodsFields(d); });
    lines.CreateDataSet();
    lines.AppendRecord({1, Variant(), Variant(), 2, Variant()});
    lines.Edit();
    form.FillGoodsFields(lines);
    lines.Post();
    EXPECT_EQ(lines.FieldByName("goodsname").AsString(), "山地自行车");
    EXPECT_EQ(lines.FieldByName("Specs").AsString(), "26寸 21速 黑色");
    EXPECT_FALSE(lines.FieldByName("storename").AsString().empty());
    EXPECT_FALSE(lines.FieldByName("UnitName").AsString().empty());
}

}  // namespace
}  // namespace mfg
