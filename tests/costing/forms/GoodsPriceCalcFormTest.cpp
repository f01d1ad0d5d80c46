// The cost budget screen offscreen: the product chosen in its combo, the basis and depth buttons,
// lines edited in the grid, added with a component picked and deleted, the quantity edit, the
// export and the print through the base form, and opening through SHOWMNFFORM.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>

#include "CostingFactory.h"
#include "DbGrid.h"
#include "GridExport.h"
#include "LookupCombo.h"
#include "Manufacture.h"
#include "ReportDesign.h"
#include "ScreenTest.h"
#include "SpinEditFloat.h"
#include "TGoodsPriceCalcForm.h"
#include "host/Format.h"
#include "host/Registry.h"

namespace mfg {
namespace {

class GoodsPriceCalcFormTest : public test::ScreenTest {
protected:
    GoodsPriceCalcFormTest() { test::AddCostingFactory(host); }
    ~GoodsPriceCalcFormTest() override
    {
        ReportDesign::SetOutputHandler({});
        SetExportFileChooser({});
    }

    std::string Cell(int row, const char* field)
    {
        auto& grid = Control<DbGrid>(form, "dgListGoodsBom");
        return grid.Model().CellText(row, grid.Model().ColumnIndexOf(field)).toStdString();
    }
    //! Types a value into a cell as the grid's editor would.
    void Type(int row, const char* field, double value)
    {
        auto& grid = Control<DbGrid>(form, "dgListGoodsBom");
        ASSERT_TRUE(grid.Model().setData(grid.Model().index(row, grid.Model().ColumnIndexOf(field)), value));
    }
    std::string Text(const char* edit) { return Control<QLineEdit>(form, edit).text().toStdString(); }
    double ProductField(const char* field) { return form.GoodsInfo().FieldByName(field).AsFloat(); }

    TGoodsPriceCalcForm form;
};

TEST_F(GoodsPriceCalcFormTest, TheStyleButtonOpensTheDesignerOnTheCostBudgetStyle)
{
    auto& design = Control<QPushButton>(form, "btnDesign");
    ASSERT_TRUE(design.isEnabled());
    QString opened;
    bool landscape = false;
    QTimer::singleShot(0, [&] {
        QWidget& designer = Control<QWidget>(form, "TReportStyleForm");
        opened = Control<QLineEdit>(designer, "edtName").text();
        landscape = Control<QRadioButton>(designer, "rbLandscape").isChecked();
        Control<QPushButton>(designer, "btnCancel").click();
    });
    design.click();
    EXPECT_EQ(opened, "产品成本预算 (标准样式)");
    EXPECT_TRUE(landscape);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_EQ(Control<LookupCombo>(form, "RptStyleCB").Value().AsInteger(), 7008);
}

TEST_F(GoodsPriceCalcFormTest, OpensEmptyWithTheDefaultBasisDepthAndStyle)
{
    EXPECT_TRUE(Control<QRadioButton>(form, "rb1").isChecked());
    EXPECT_TRUE(Control<QRadioButton>(form, "rb5").isChecked());
    EXPECT_EQ(Control<QRadioButton>(form, "rb3").text().toStdString(), "按当前库存成本价计算");
    EXPECT_EQ(Control<QRadioButton>(form, "rb6").text().toStdString(), "按末级BOM计算");
    EXPECT_EQ(Control<LookupCombo>(form, "RptStyleCB").Value().AsInteger(), 7008);
    EXPECT_EQ(Control<LookupCombo>(form, "cmbSelGoods").DropDownFilter(),
              "(Kind = 2 and  Closed = 0) or (Kind = 3 and  Closed = 0) ");
    EXPECT_EQ(Control<LookupCombo>(form, "dlgcGoods").DropDownFilter(), "Closed = 0 and  Kind >= 1 and Kind <= 3");
    auto& grid = Control<DbGrid>(form, "dgListGoodsBom");
    ASSERT_EQ(grid.ColumnCount(), 12);
    EXPECT_EQ(grid.Column(0).fieldName, "GoodsName");
    EXPECT_EQ(grid.Column(6).title, "需求量");
    EXPECT_EQ(grid.Column(9).title, "间接费用");
    EXPECT_EQ(Control<QPushButton>(form, "Button1").text().toStdString(), "增加明细");
    EXPECT_EQ(Control<QToolButton>(form, "btnPrint").text().toStdString(), " 打印");
    EXPECT_TRUE(Control<QLabel>(form, "lblFooter").text().startsWith("合  计"));

    // Nothing chosen: the depth, the export and the print each say so, and no line can be added.
    Control<QRadioButton>(form, "rb6").setChecked(true);
    Control<QPushButton>(form, "btnExcel").click();
    form.PrintPMItem->trigger();
    Control<QPushButton>(form, "Button1").click();
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"请选择货品名称!", "请先选择产品!", "请先选择须打印的产品!"}));
    EXPECT_EQ(grid.Model().rowCount(), 0);
}

TEST_F(GoodsPriceCalcFormTest, AProductRollsUpByEachBasisAndDepth)
{
    Control<LookupCombo>(form, "cmbSelGoods").SetValue(9001);
    EXPECT_EQ(Text("edtCode"), "T-P");
    EXPECT_EQ(Text("edtSpecs"), "三级");
    EXPECT_EQ(Text("edtUnit"), "台");
    EXPECT_DOUBLE_EQ(Control<SpinEditFloat>(form, "edtQty").Value(), 2);
    ASSERT_EQ(form.GoodsBom().RecordCount(), 2);
    EXPECT_EQ(Cell(0, "GoodsCode"), "T-A");
    EXPECT_EQ(Cell(1, "ActQty"), FormatQuantityText(8.4));
    EXPECT_EQ(Text("edtAmount"), FormatAmountText(87));
    EXPECT_EQ(Text("edtPrice"), FormatPriceText(43.5));

    Control<QRadioButton>(form, "rb3").setChecked(true);
    EXPECT_DOUBLE_EQ(ProductField("price"), 35.9);
    Control<QRadioButton>(form, "rb6").setChecked(true);
    ASSERT_EQ(form.GoodsBom().RecordCount(), 3);
    EXPECT_EQ(Cell(2, "GoodsCode"), "T-M3");
    EXPECT_DOUBLE_EQ(ProductField("Amount"), 58.78);
    Control<QRadioButton>(form, "rb2").setChecked(true);
    EXPECT_DOUBLE_EQ(ProductField("price"), 19.755);
    Control<QRadioButton>(form, "rb5").setChecked(true);
    EXPECT_DOUBLE_EQ(ProductField("Amount"), 81.76);
    EXPECT_TRUE(dialogs.Messages().empty());

    Control<LookupCombo>(form, "cmbSelGoods").SetValue(Variant());
    EXPECT_EQ(form.GoodsBom().RecordCount(), 0);
    EXPECT_EQ(Text("edtCode"), "");
    EXPECT_DOUBLE_EQ(ProductField("Amount"), 0);
}

TEST_F(GoodsPriceCalcFormTest, GridEditsAddedLinesAndTheQuantityRecomputeTheTotals)
{
    Control<LookupCombo>(form, "cmbSelGoods").SetValue(9001);
    Type(0, "Amt", 4);  // T-A: 66 + 4
    EXPECT_EQ(Cell(0, "SumAmt"), FormatAmountText(70));
    EXPECT_DOUBLE_EQ(ProductField("Amount"), 91);
    EXPECT_TRUE(Control<QLabel>(form, "lblFooter").text().contains(QString::fromStdString(FormatAmountText(91))));
    Type(1, "WasteRate", 10);  // T-M1: 8 x 1.1 x 2.5
    EXPECT_EQ(Cell(1, "ActQty"), FormatQuantityText(8.8));
    EXPECT_DOUBLE_EQ(form.Budget().Lines()[1].amount, 22);

    // The indirect cost stays with the first position when the depth changes.
    Control<QRadioButton>(form, "rb6").setChecked(true);
    EXPECT_EQ(Cell(0, "GoodsCode"), "T-M1");
    EXPECT_EQ(Cell(0, "Amt"), FormatAmountText(4));
    Control<QRadioButton>(form, "rb5").setChecked(true);

    Control<QPushButton>(form, "Button1").click();
    ASSERT_EQ(form.GoodsBom().RecordCount(), 3);
    EXPECT_EQ(form.GoodsBom().RecNo(), 3);
    Control<LookupCombo>(form, "dlgcGoods").SetValue(9006);  // outside the BOM: one per product
    EXPECT_EQ(Cell(2, "GoodsCode"), "T-M3");
    EXPECT_EQ(Cell(2, "Quantity"), FormatQuantityText(2));
    EXPECT_DOUBLE_EQ(form.Budget().Lines()[2].amount, 1.5);

    // Twice the quantity: the BOM lines double, the line typed in drops to nothing.
    Control<SpinEditFloat>(form, "edtQty").SetValue(4);
    EXPECT_EQ(Cell(0, "Quantity"), FormatQuantityText(4));
    EXPECT_EQ(Cell(2, "Quantity"), FormatQuantityText(0));
    EXPECT_DOUBLE_EQ(ProductField("Amount"), 178);  // 132 + 4 + 16.8 x 2.5

    form.GoodsBom().SetRecNo(1);
    Control<QPushButton>(form, "btnDelete").click();
    ASSERT_EQ(form.GoodsBom().RecordCount(), 2);
    EXPECT_EQ(Cell(0, "GoodsCode"), "T-M1");
    EXPECT_DOUBLE_EQ(ProductField("Amount"), 42);
    EXPECT_DOUBLE_EQ(ProductField("price"), 10.5);
}

TEST_F(GoodsPriceCalcFormTest, ExportWritesTheGridUnderTheProductSubtitle)
{
    Control<LookupCombo>(form, "cmbSelGoods").SetValue(9001);
    std::string file = host.TempDirectory() + "cost.xlsx";
    std::string asked;
    SetExportFileChooser([&](std::string_view title) {
        asked = title;
        return file;
    });
    Control<QPushButton>(form, "btnExcel").click();
    EXPECT_EQ(asked, "产品成本预算");
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_GT(std::filesystem::file_size(file), 0u);
    EXPECT_TRUE(dialogs.Messages().empty());

    // A cancelled question writes nothing.
    std::filesystem::remove(file);
    SetExportFileChooser([](std::string_view) { return std::string(); });
    Control<QPushButton>(form, "btnExcel").click();
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(GoodsPriceCalcFormTest, PreviewPrintsTheLinesWithTheStandardTemplate)
{
    Control<LookupCombo>(form, "cmbSelGoods").SetValue(9001);
    Type(0, "Amt", 4);
    QString text;
    bool printed = true;
    ReportDesign::SetOutputHandler([&](ReportDesign& report, bool print) {
        printed = print;
        text = report.PlainText();
    });
    form.PrintPreviewPMItem->trigger();
    EXPECT_FALSE(printed);
    EXPECT_EQ(Control<QToolButton>(form, "btnPrint").text().toStdString(), " 预览");
    EXPECT_TRUE(text.contains("产品成本预算"));
    EXPECT_TRUE(text.contains("品名: 测试成品"));
    EXPECT_TRUE(text.contains("测试部件A"));
    EXPECT_TRUE(text.contains("合  计"));
    EXPECT_TRUE(text.contains("91.00"));
    // The button repeats the last mode.
    text.clear();
    Control<QToolButton>(form, "btnPrint").click();
    EXPECT_FALSE(printed);
    EXPECT_TRUE(text.contains("测试料一"));
    form.PrintPMItem->trigger();
    EXPECT_TRUE(printed);
    EXPECT_EQ(Control<QToolButton>(form, "btnPrint").text().toStdString(), " 打印");
}

TEST_F(GoodsPriceCalcFormTest, ShowMnfFormOpensTheRegisteredScreen)
{
    ManufactureLoad();
    EXPECT_EQ(HostRegistry().GetPrivilegedFormID("TGoodsPriceCalcForm"), 2049);
    Manufacture_Call("SHOWMNFFORM", "GoodsPriceCalcForm", nullptr);
    QWidget* opened = ShownWindow("TGoodsPriceCalcForm");
    ASSERT_NE(opened, nullptr);
    opened->close();
    ProcessEvents();
    ManufactureUnload();
    HostRegistry().Clear();
}

TEST_F(GoodsPriceCalcFormTest, OpensShowingEveryInputAndTheAmountColumns)
{
    Control<LookupCombo>(form, "cmbSelGoods").SetValue(1);  // the demo's mountain bike
    Type(0, "Amt", 12);
    ShowAtDefaultSize(form);
    for (const char* control :
         {"cmbSelGoods", "dtp1",      "edtCode",  "edtSpecs", "edtUnit",    "edtQty", "edtPrice",
          "edtAmount",   "rb1",       "rb2",      "rb3",      "rb5",        "rb6",    "dgListGoodsBom",
          "Button1",     "btnDelete", "btnExcel", "btnPrint", "RptStyleCB", "btn1"})
        ExpectInside(form, Control<QWidget>(form, control));
    for (const char* title : {"货品名称", "货品编码", "数量", "需求量", "单价", "金额", "间接费用", "合计"})
        ExpectColumnShown(Control<DbGrid>(form, "dgListGoodsBom"), title);
    QImage shot = form.grab().toImage();
    EXPECT_GT(form.GoodsBom().RecordCount(), 0);
    // Set to refresh the picture of the user guide.
    if (const char* folder = std::getenv("MFG_SCREENSHOT_DIR"))
        EXPECT_TRUE(shot.save(QDir(folder).filePath("cost-budget.png")));
}

}  // namespace
}  // namespace mfg
