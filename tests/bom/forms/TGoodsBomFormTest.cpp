// The BOM browser offscreen: the goods' figures and tree, the editor opened from a node, printing
// through the base form, the export read back, and the assembly table.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <fmt/format.h>

#include "BrowserTest.h"
#include "LookupCombo.h"
#include "host/Format.h"
#include "ModuleScreens.h"
#include "Person.h"
#include "TGoodsBomEditForm.h"
#include "TGoodsBomForm.h"
#include "ToolButton.h"
#include "TreeItemsModel.h"

namespace mfg {
namespace {

class TGoodsBomFormTest : public test::BrowserTest {
protected:
    //! The index of the first node of a goods in the tree.
    int NodeOf(int goodsID)
    {
        const auto& nodes = form.Tree().nodes;
        for (std::size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].goodsID == goodsID) return static_cast<int>(i);
        ADD_FAILURE() << "no node of goods " << goodsID;
        return 0;
    }
    TGoodsBomForm form;
};

TEST_F(TGoodsBomFormTest, ChoosingGoodsShowsTheFiguresOfItsBomAndTheWholeTree)
{
    form.cmbSelGoods->SetValue(1);
    EXPECT_EQ(form.dbtGoodsName->text(), "山地自行车");
    EXPECT_EQ(form.dbtUnitName->text(), "辆");
    EXPECT_EQ(form.lbQuantity->text(), "1");
    EXPECT_EQ(form.lbUseTime->text(), "2.5");
    EXPECT_EQ(form.lbPreTime->text(), "0.5");
    EXPECT_EQ(form.lbCheck->text(), "已审核");
    EXPECT_EQ(form.Tree().nodes.size(), 46u);
    EXPECT_EQ(form.Items().Count(), 46);
    ASSERT_NE(form.SelectedNode(), nullptr);
    EXPECT_EQ(form.SelectedNode()->goodsID, 1);
    EXPECT_EQ(form.TreeView1->Model().data(form.TreeView1->Model().index(0, 0)).toString(),
              "3001 山地自行车 26寸 21速 黑色 [ 1 ] 辆");
    EXPECT_TRUE(dialogs.Texts().empty());

    form.cmbSelGoods->SetValue({});
    EXPECT_EQ(form.lbQuantity->text(), "");
    EXPECT_EQ(form.lbCheck->text(), "未审核");
    EXPECT_EQ(form.dbtGoodsName->text(), "");
    EXPECT_EQ(form.Items().Count(), 0);
}

TEST_F(TGoodsBomFormTest, AStoredCycleShowsTheLevelMessageAndKeepsTheNodesBuilt)
{
    host.SqlExecute("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, MnfQty, MasterQty) values (21, 11, 9, 1, 1)");
    form.cmbSelGoods->SetValue(11);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"BOM嵌套清单超过30层或存在循环调用!"});
    EXPECT_GT(form.Items().Count(), 30);
}

TEST_F(TGoodsBomFormTest, ALargeTreeOpensItsFirstLevelsAndMakesTheRestWhenExpanded)
{
    // 990 uses 991..998, each of them 1001..1008, each of those the purchased 1011..1018: 585 nodes.
    auto goods = [this](int id, int kind) {
        host.SqlExecute(
            fmt::format("insert into L_Goods (GoodsID, Code, Name, Kind) values ({0}, 'L{0}', 'L{0}', {1})", id, kind));
        host.SqlExecute(fmt::format(
            "insert into L_GoodsUnit (UnitID, GoodsID, UnitName, IsBase) values ({}, {}, '个', 1)", 90000 + id, id));
    };
    auto lines = [this](int parent, int firstComponent) {
        for (int item = 1; item <= 8; ++item)
            host.SqlExecute(
                fmt::format("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, MnfQty, MasterQty, Orderno) "
                            "values ({}, {}, {}, 2, 1, '00{}')",
                            parent, firstComponent + item - 1, item, item));
    };
    goods(990, 3);
    for (int id = 991; id <= 998; ++id) goods(id, 2), goods(id + 10, 2), goods(id + 20, 1);
    lines(990, 991);
    for (int id = 991; id <= 998; ++id) lines(id, 1001), lines(id + 10, 1011);

    form.cmbSelGoods->SetValue(990);
    ASSERT_EQ(form.Tree().nodes.size(), 585u);
    EXPECT_EQ(form.Items().Count(), 1 + 8 + 64);  // a third level would pass OpenedItemLimit
    EXPECT_TRUE(dialogs.Texts().empty());
    ASSERT_NE(form.SelectedNode(), nullptr);
    EXPECT_EQ(form.SelectedNode()->goodsID, 990);

    // The first 1001 under 991 is node 2; expanding it makes its eight materials, quantities scaled.
    form.SelectNode(2);
    ASSERT_EQ(form.SelectedNode()->goodsID, 1001);
    form.TreeView1->setFocus();
    QTest::keyClick(form.TreeView1, Qt::Key_Right);
    EXPECT_EQ(form.Items().Count(), 1 + 8 + 64 + 8);
    TreeItemsModel& model = form.TreeView1->Model();
    QModelIndex first = model.index(0, 0, form.TreeView1->currentIndex());
    EXPECT_EQ(model.data(first).toString(), "L1011 L1011  [ 8 ] 个 0% ");
    QTest::keyClick(form.TreeView1, Qt::Key_Down);
    EXPECT_EQ(form.SelectedNode()->goodsID, 1011);

    // A node whose items are not made yet is found all the same, its path made for it.
    form.SelectNode(584);
    ASSERT_NE(form.SelectedNode(), nullptr);
    EXPECT_EQ(form.SelectedNode()->goodsID, 1018);
    EXPECT_EQ(form.SelectedNode()->level, 3);

    // The print walks the whole tree, not the items made.
    form.RptStyleCB->SetValue(7001);
    form.miPreview->trigger();
    EXPECT_EQ(form.PrintRows().RecordCount(), 585);
}

TEST_F(TGoodsBomFormTest, TheEditorOpensForAllowedKindsAndTheFiguresAreReadAgainAfterOk)
{
    form.cmbSelGoods->SetValue(1);
    form.SelectNode(NodeOf(101));  // 钢管, purchased
    form.btnEditBomClick();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"当前货品不属于产成品、半成品或虚拟件，不能进行结构清单维护!"});

    form.SelectNode(NodeOf(31));  // a virtual item
    int opened = 0;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(form.Editor(), nullptr);
        opened = form.Editor()->Bom().ParentID();
        host.SqlExecute("update L_GoodsBom set MasterQty = 4, State = 0 where GoodsID = 1");
        form.Editor()->SetModalResult(mrOk);
    });
    form.btnEditBomClick();
    EXPECT_EQ(opened, 31);
    EXPECT_EQ(form.lbQuantity->text(), "4");
    EXPECT_EQ(form.lbCheck->text(), "未审核");
    EXPECT_DOUBLE_EQ(form.HeaderRecord().FieldByName("MasterQty").AsFloat(), 4);
    EXPECT_EQ(form.Tree().nodes[0].text, "3001 山地自行车 26寸 21速 黑色 [ 4 ] 辆");
}

TEST_F(TGoodsBomFormTest, TheStyleButtonDesignsOverThePrintRowsAndTheCopyPrints)
{
    form.cmbSelGoods->SetValue(1);
    form.RptStyleCB->SetValue(7001);
    int offered = 0;
    QString preview;
    QTimer::singleShot(0, [&] {
        QWidget& designer = Control<QWidget>(form, "TReportStyleForm");
        offered = Control<QTableWidget>(designer, "grdColumns").rowCount();
        preview = Control<QTextBrowser>(designer, "txtPreview").toPlainText();
        Control<QLineEdit>(designer, "edtName").setText("车间结构清单");
        Control<QLineEdit>(designer, "edtTitle").setText("[CompanyName] 车间结构清单");
        Control<QPushButton>(designer, "btnSaveAs").click();
    });
    form.PrepareLookupCombos();  // as when the screen first shows
    form.RptStyleCB->DoAction("样式设计");
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(offered, form.PrintRows().FieldCount());
    EXPECT_TRUE(preview.contains("轮辋辐条组"));
    EXPECT_EQ(form.RptStyleCB->Text(), "车间结构清单");

    form.miPreview->trigger();
    EXPECT_NE(printText.find("车间结构清单"), std::string::npos);
    EXPECT_NE(printText.find("轮辋辐条组"), std::string::npos);
}

TEST_F(TGoodsBomFormTest, PreviewAndPrintGoThroughTheChosenTemplateAndTheButtonRepeatsTheLast)
{
    form.PrintClick(false);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"请先选择须打印的产品!"});
    form.cmbSelGoods->SetValue(1);
    form.RptStyleCB->SetValue(7001);
    form.miPreview->trigger();
    EXPECT_EQ(form.btnPrint->Caption(), " 预览");
    EXPECT_NE(printText.find("产品编码: 3001"), std::string::npos);
    EXPECT_NE(printText.find("..2"), std::string::npos);
    EXPECT_NE(printText.find("轮辋辐条组"), std::string::npos);
    EXPECT_EQ(form.PrintRows().RecordCount(), 46);
    form.btnPrintClick();
    form.miPrint->trigger();
    form.btnPrintClick();
    EXPECT_EQ(printed, (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(form.btnPrint->Caption(), " 打印");
    EXPECT_TRUE(std::filesystem::file_size(PdfFile()) > 1000);
}

// The standard print shows each node with the quantity the tree shows for the product quantity that
// its header gives, not the line's quantity for one parent (the root would print 0).
TEST_F(TGoodsBomFormTest, ThePrintShowsTheQuantitiesOfTheTreeForTheProductQuantity)
{
    form.cmbSelGoods->SetValue(1);
    form.RptStyleCB->SetValue(7001);
    form.miPreview->trigger();
    EXPECT_NE(printText.find("产品编码: 3001"), std::string::npos) << printText;
    EXPECT_NE(printText.find("产品数量: 1"), std::string::npos) << printText;
    const auto& nodes = form.Tree().nodes;
    EXPECT_NE(std::find_if(nodes.begin() + 1, nodes.end(), [](const BomTreeNode& node) { return node.quantity != node.mnfQty; }),
              nodes.end())
        << "every line's own quantity is the tree's: the print could not tell them apart";
    // Each row in tree order: grade, code, name, specs, unit, then the quantity shown.
    size_t at = printText.find("备注");
    for (const BomTreeNode& node : nodes) {
        const std::string row = "\n" + node.code + "\n" + node.name + "\n" + node.specs + "\n" + node.unitName + "\n" +
                                FormatQuantityText(node.mnfQty) + "\n";
        at = printText.find(row, at);
        ASSERT_NE(at, std::string::npos) << node.code << " at level " << node.level << " shows " << node.mnfQty;
    }
}

TEST_F(TGoodsBomFormTest, TheExportHoldsTheTitleTheCaptionsAndEveryNode)
{
    form.btnExcelClick();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"请先选择产品!"});
    form.cmbSelGoods->SetValue(1);
    form.btnExcelClick();
    EXPECT_EQ(suggestedFile, "3001.xlsx");
    std::string strings = Exported("xl/sharedStrings.xml");
    EXPECT_NE(
        strings.find("产品编码:3001 品名:山地自行车 规格:26寸 21速 黑色 单位:辆 产品数量:1 耗用工时:2.5 准备时间:0.5 "
                     "是否审核:已审核"),
        std::string::npos);
    for (const char* text : {"级次", "子件编码", "损耗率%", "用户自定义字段5", "...3", "每个轮辋36根"})
        EXPECT_NE(strings.find(text), std::string::npos) << text;
    std::string sheet = Exported("xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<row r=\"48\""), std::string::npos);  // title, captions, 46 nodes
    EXPECT_EQ(sheet.find("<row r=\"49\""), std::string::npos);
}

TEST_F(TGoodsBomFormTest, TheAssemblyTableIsBuiltForTheChosenGoodsOrForAll)
{
    form.miSingleClick();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"请先选择货品!"});
    EXPECT_FALSE(form.miSingle->isChecked());
    form.cmbSelGoods->SetValue(3);
    dialogs.Clear();
    form.miSingleClick();
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"创建组装拆卸表成功!"});
    EXPECT_EQ(host.GetValueOfSql("select count(*) from l_goodscombin where GoodsID = 3").AsInteger(), 9);

    dialogs.Clear();
    form.btnCreCombin->click();  // all goods, not yet chosen from the menu: no question
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"创建组装拆卸表成功!"});
    dialogs.Clear();
    dialogs.Answer({AnswerNo});
    form.miAll->trigger();
    EXPECT_TRUE(form.miAll->isChecked());
    EXPECT_EQ(dialogs.Texts().size(), 1u);  // asked, and No stops
    EXPECT_EQ(host.GetValueOfSql("select count(*) from l_goodscombin").AsInteger(),
              host.GetValueOfSql("select count(*) from L_GoodsBom").AsInteger());
}

TEST_F(TGoodsBomFormTest, WithoutTheAppendAndExportRightsEditAndExportDoNothing)
{
    host.SetUser(2, "计划员");  // may browse and print bills of material, nothing else
    form.cmbSelGoods->SetValue(1);
    form.btnEditBomClick();  // the root, a finished product: an editor would block the test
    form.btnExcelClick();
    EXPECT_TRUE(suggestedFile.empty());
    EXPECT_FALSE(std::filesystem::exists(exportFile));
    form.RptStyleCB->SetValue(7001);
    form.PrintClick(true);
    EXPECT_EQ(printed, std::vector<bool>{true});
    EXPECT_TRUE(dialogs.Texts().empty());
}

TEST_F(TGoodsBomFormTest, BothBrowsersAreScreensTheModuleOffers)
{
    for (const char* name : {"TGoodsBomForm", "TGoodsUsedBomForm"}) {
        ScreenFactory factory = FindModuleScreen(name);
        ASSERT_TRUE(factory) << name;
        auto screen = factory();
        auto* form = dynamic_cast<FormScreen*>(screen.get());
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Form()->objectName().toStdString(), name);
    }
}

// The product field under a person's keys: a code typed over the one it shows narrows the list,
// Down moves within what is left and Return takes it; the browser then shows that goods.
TEST_F(TGoodsBomFormTest, TheProductFieldTakesACodeTypedOverTheOneItShows)
{
    form.cmbSelGoods->SetValue(1);
    ShowAtDefaultSize(form);
    auto& field = Control<QLineEdit>(*form.cmbSelGoods, "edit");
    test::ClickAt(field, field.rect().center());
    test::PressKey(Qt::Key_A, Qt::ControlModifier);
    test::TypeText("300");
    EXPECT_EQ(form.cmbSelGoods->Text(), "300");
    ExpectListOnScreen(*form.cmbSelGoods);
    test::PressKey(Qt::Key_Down);
    test::PressKey(Qt::Key_Return);
    EXPECT_EQ(form.cmbSelGoods->Value().AsInteger(), 2);
    EXPECT_EQ(form.cmbSelGoods->Text(), "3002");
    EXPECT_EQ(Control<QLabel>(form, "dbtGoodsName").text(), "城市自行车");
}

TEST_F(TGoodsBomFormTest, Screenshot)
{
    form.cmbSelGoods->SetValue(1);
    form.RptStyleCB->SetValue(7001);
    form.SelectNode(NodeOf(18));
    Screenshot(form, "bom-browser.png");
    for (const char* control : {"lbQuantity", "lbUseTime", "lbCheck", "btnEditBom", "btnCreCombin"})
        ExpectInside(form, Control<QWidget>(form, control));
}

}  // namespace
}  // namespace mfg
