// The where-used browser offscreen: the tree of parents, the editor for allowed parents, the
// where-used print list and its export.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "BrowserTest.h"
#include "LookupCombo.h"
#include "TGoodsBomEditForm.h"
#include "TGoodsUsedBomForm.h"
#include "ToolButton.h"

namespace mfg {
namespace {

class TGoodsUsedBomFormTest : public test::BrowserTest {
protected:
    std::vector<std::string> Codes()
    {
        std::vector<std::string> codes;
        for (const auto& node : form.Tree().nodes) codes.push_back(std::string(node.level, '.') + node.code);
        return codes;
    }
    TGoodsUsedBomForm form;
};

TEST_F(TGoodsUsedBomFormTest, ASpokeShowsEveryParentUpToTheBicycles)
{
    EXPECT_EQ(form.btnPrint->Caption(), " 打印");
    form.cmbSelGoods->SetValue(104);
    EXPECT_EQ(form.dbtGoodsName->text(), "辐条");
    EXPECT_EQ(Codes(),
              (std::vector<std::string>{"1004", ".2007", "..3003", ".2008", "..2003", "...3001", "..2004", "...3001"}));
    EXPECT_EQ(form.Tree().nodes[3].text, "2008 轮辋辐条组 26寸 36孔 36 个 1% ");
    EXPECT_EQ(form.SelectedNode()->goodsID, 104);
    form.cmbSelGoods->SetValue({});
    EXPECT_EQ(form.Items().Count(), 0);
}

TEST_F(TGoodsUsedBomFormTest, OnlySemiFinishedAndFinishedParentsOpenTheEditor)
{
    form.cmbSelGoods->SetValue(104);
    form.Button1Click();  // the spoke itself
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"当前货品不属于产成品或半成品，不能进行结构清单维护!"});
    form.SelectNode(3);
    int opened = 0;
    QTimer::singleShot(0, [&] {
        ASSERT_NE(form.Editor(), nullptr);
        opened = form.Editor()->Bom().ParentID();
        host.SqlExecute("delete from L_GoodsBom where GoodsID = 13");
        form.Editor()->SetModalResult(mrOk);
    });
    form.Button1Click();
    EXPECT_EQ(opened, 18);
    EXPECT_EQ(Codes(), (std::vector<std::string>{"1004", ".2007", "..3003", ".2008", "..2004", "...3001"}));
}

TEST_F(TGoodsUsedBomFormTest, ThePrintListAndTheExportHoldEveryParentWithItsGrade)
{
    form.PrintClick(true);
    form.btnExcelClick();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"请先选择须打印的产品!", "请先选择货品!"}));
    form.cmbSelGoods->SetValue(104);
    form.RptStyleCB->SetValue(7001);
    form.btnPrintClick();
    EXPECT_EQ(printed, std::vector<bool>{true});
    DataSet& rows = form.PrintRows();
    std::vector<std::string> grades;
    for (rows.First(); !rows.Eof(); rows.Next()) grades.push_back(rows.FieldByName("Grade").AsString());
    EXPECT_EQ(grades, (std::vector<std::string>{"1", ".2", "1", ".2", "..3", ".2", "..3"}));
    EXPECT_NE(printText.find("儿童自行车"), std::string::npos);

    form.btnExcelClick();
    std::string strings = Exported("xl/sharedStrings.xml");
    for (const char* text : {"货品编码:1004  品名:辐条  规格:2.0×260mm 碳钢  单位:根", "父件编码", "损耗率%", "..3"})
        EXPECT_NE(strings.find(text), std::string::npos) << text;
}

TEST_F(TGoodsUsedBomFormTest, Screenshot)
{
    form.cmbSelGoods->SetValue(104);
    form.RptStyleCB->SetValue(7001);
    form.SelectNode(3);
    Screenshot(form, "bom-where-used.png");
}

}  // namespace
}  // namespace mfg
