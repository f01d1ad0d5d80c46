// The rough-cut capacity screen offscreen: workshops ticked by the selection buttons, a product
// typed in with the goods combo and edited in the grid, the validation that focuses the faulty
// cell, the result by day, week and month with its chart, overloaded days marked, the chart of one
// workshop alone, sales-order lines brought in through the selection dialog, the export, and
// opening through SHOWMNFFORM.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "CapacityChart.h"
#include "CostingFactory.h"
#include "DbGrid.h"
#include "GridExport.h"
#include "LookupCombo.h"
#include "Manufacture.h"
#include "ScreenTest.h"
#include "TSelectListForm.h"
#include "TWideCapacityForm.h"
#include "host/Registry.h"

namespace mfg {
namespace {

//! Workshop 99 of 8 hours a day instead of the demo's, and product 9001 of the costing factory:
//! 6 hours per 2 products plus 1 hour of preparation (today is Sunday 2026-12-06).
class WideCapacityFormTest : public test::ScreenTest {
protected:
    WideCapacityFormTest()
    {
        test::AddCostingFactory(host);
        host.SqlExecute("delete from mnf_workshop");
        AddWorkshop(99, "T99", "测试车间", 1, 8, 0, 0);
    }
    ~WideCapacityFormTest() override { SetExportFileChooser({}); }

    void AddWorkshop(int id, const char* code, const char* name, int machines, double hours, int workers,
                     double manHours)
    {
        host.SqlExecute(
            "insert into mnf_workshop (WorkShopID, Code, Name, DepartmentID, ShopID, Machines, MacheHours, "
            "Workers, DayManHaur, Closed) values (" +
            std::to_string(id) + ", '" + code + "', '" + name + "', null, 1, " + std::to_string(machines) + ", " +
            std::to_string(hours) + ", " + std::to_string(workers) + ", " + std::to_string(manHours) + ", 0)");
    }
    TWideCapacityForm& Form()
    {
        if (!form) form = std::make_unique<TWideCapacityForm>();
        return *form;
    }
    DbGrid& Grid(const char* name) { return Control<DbGrid>(Form(), name); }
    //! Types into a cell of the product grid as its editor would.
    void Type(int row, const char* field, const QVariant& value)
    {
        auto& model = Grid("ItemGridGoods").Model();
        ASSERT_TRUE(model.setData(model.index(row, model.ColumnIndexOf(field)), value));
    }
    //! A product typed in: a new row, the goods from the combo, then quantity and delivery date.
    void TypeProduct(int goodsId, double quantity, QDate revDate)
    {
        QTest::keyClick(&Grid("ItemGridGoods"), Qt::Key_Insert);
        Control<LookupCombo>(Form(), "cmbGoods").SetValue(goodsId);
        int row = Form().Goods().RecNo() - 1;
        Type(row, "quantity", quantity);
        Type(row, "revdate", revDate);
    }
    //! The result grid, a row per line: date, capacity, load, excess and the suggested dates.
    std::string Result()
    {
        auto& model = Grid("ItemGridCapacity").Model();
        std::string text;
        for (int row = 0; row < model.rowCount(); ++row) {
            for (const char* field :
                 {"billdate", "plancapacity", "factcapacity", "excess", "sugstartdate", "sugfinisheddate", "revdate"})
                text += model.CellText(row, model.ColumnIndexOf(field)).toStdString() + " ";
            text += "\n";
        }
        return text;
    }
    void Calculate() { Control<QPushButton>(Form(), "btnCalc").click(); }

    std::unique_ptr<TWideCapacityForm> form;
};

TEST_F(WideCapacityFormTest, OpensWithEveryWorkshopTickedAndRefusesWithoutProducts)
{
    AddWorkshop(98, "T98", "装配车间", 0, 0, 10, 7.5);
    auto& form = Form();
    auto& shops = Grid("ItemGridWorkShop");
    ASSERT_EQ(shops.Model().rowCount(), 2);
    EXPECT_EQ(shops.Model().headerData(5, Qt::Horizontal).toString().toStdString(), "日有效机时");
    EXPECT_EQ(shops.Model().data(shops.Model().index(0, 0), Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_DOUBLE_EQ(form.Planner().DailyCapacity(), 8 + 75);
    EXPECT_TRUE(Control<QRadioButton>(form, "rbDay").isChecked());
    EXPECT_FALSE(Grid("ItemGridGoods").tabKeyNavigation());

    Calculate();
    Control<QPushButton>(form, "btAllClear").click();
    Calculate();
    EXPECT_EQ(dialogs.Texts(MessageKind::Information),
              (std::vector<std::string>{"请选择货品!", "请选择生产车间或设定工人、机器数及其日有效工、机时!"}));
    EXPECT_TRUE(Control<QPushButton>(form, "btnExit").isEnabled());
    Control<QPushButton>(form, "btNotSelect").click();
    EXPECT_EQ(form.WorkShops().FieldByName("selected").AsInteger(), 1);
}

TEST_F(WideCapacityFormTest, ATypedProductIsCheckedThenLoadedByDayWeekAndMonth)
{
    auto& form = Form();
    TypeProduct(9001, 8, QDate(2026, 12, 5));
    DataSet& goods = form.Goods();
    EXPECT_EQ(goods.FieldByName("goodscode").AsString(), "T-P");
    EXPECT_EQ(goods.FieldByName("selected").AsInteger(), 1);
    EXPECT_EQ(goods.FieldByName("startworkdate").AsDateTime(), DateTime::FromYmd(2026, 12, 6));
    EXPECT_DOUBLE_EQ(goods.FieldByName("totalusetime").AsFloat(), 8.0 / 2 * 6 + 1);

    Calculate();  // delivery before the start
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"开工日期不可大于发货日期!"});
    EXPECT_EQ(Grid("ItemGridGoods").SelectedField(), "startworkdate");
    EXPECT_EQ(form.Capacity().RecordCount(), 0);

    // 25 hours over Monday and Tuesday: 12.5 a day against 8; the suggestion fills 8 a day from Monday.
    Type(0, "revdate", QDate(2026, 12, 8));
    Calculate();
    EXPECT_EQ(Result(),
              "2026-12-07 8.00 12.50 4.50 2026-12-07   \n"
              "2026-12-08 8.00 12.50 4.50    \n"
              "2026-12-09 8.00 0.00 0.00    \n"
              "2026-12-10 8.00 0.00 0.00  2026-12-10 2026-12-08 \n");
    auto& chart = Control<CapacityChart>(form, "chtCapacity");
    EXPECT_EQ(chart.OverloadedPeriods(), (QStringList{"12-07", "12-08"}));
    EXPECT_EQ(chart.Values(2), (std::vector<double>{4.5, 4.5, 0, 0}));

    // The week sums to 32 against 25: not overloaded as a whole.
    Control<QRadioButton>(form, "rbWeek").setChecked(true);
    EXPECT_EQ(Result(), "2026-12-11 32.00 25.00 0.00 2026-12-07 2026-12-10 2026-12-08 \n");
    EXPECT_TRUE(chart.OverloadedPeriods().isEmpty());
    Control<QRadioButton>(form, "rbMonth").setChecked(true);
    EXPECT_EQ(chart.Periods(), QStringList{"2026-12"});
    Control<QRadioButton>(form, "rbDay").setChecked(true);
    EXPECT_EQ(form.Capacity().RecordCount(), 4);
    EXPECT_EQ(chart.Values(1), (std::vector<double>{12.5, 12.5, 0, 0}));
}

TEST_F(WideCapacityFormTest, TheChartShowsEachWorkshopAloneAgainstTheSamePlan)
{
    AddWorkshop(98, "T98", "装配车间", 0, 0, 1, 4);
    auto& form = Form();
    TypeProduct(9001, 8, QDate(2026, 12, 8));
    Calculate();
    auto& chart = Control<CapacityChart>(form, "chtCapacity");
    auto& shops = Control<QComboBox>(form, "cmbChartShop");
    ASSERT_EQ(shops.count(), 3);
    EXPECT_EQ(shops.itemText(0).toStdString(), "所选车间合计");
    EXPECT_EQ(chart.Values(0).front(), 12);
    EXPECT_DOUBLE_EQ(chart.Values(2).front(), 0.5);
    shops.setCurrentIndex(shops.findText("装配车间"));
    EXPECT_EQ(chart.chart()->title().toStdString(), "装配车间");
    EXPECT_DOUBLE_EQ(chart.Values(2).front(), 8.5);
    // The grid keeps the result of the workshops together.
    EXPECT_EQ(Grid("ItemGridCapacity").Model().CellText(0, 1).toStdString(), "12.00");
    Control<QRadioButton>(form, "rbWeek").setChecked(true);
    EXPECT_EQ(shops.currentText().toStdString(), "装配车间");
}

TEST_F(WideCapacityFormTest, SwitchingPeriodsDrawsOneSetOfAxisLabelsWithWholeDates)
{
    auto& form = Form();
    TypeProduct(9001, 20, QDate(2026, 12, 30));
    Calculate();
    ShowAtDefaultSize(form);
    auto& chart = Control<CapacityChart>(form, "chtCapacity");
    form.grab();  // lays the chart out as a paint does
    QStringList byDay = DrawnTexts(chart);
    Control<QRadioButton>(form, "rbWeek").setChecked(true);
    form.grab();
    Control<QRadioButton>(form, "rbDay").setChecked(true);
    form.grab();
    QStringList again = DrawnTexts(chart);
    EXPECT_EQ(chart.chart()->axes(Qt::Vertical).size(), 1);
    EXPECT_EQ(chart.chart()->axes(Qt::Horizontal).size(), 1);
    EXPECT_EQ(again.count("小时"), 1) << again.join(" ").toStdString();
    EXPECT_EQ(again.count("0.0"), 1) << "one set of hour labels";
    for (const QString& text : byDay) EXPECT_FALSE(text.contains(QChar(0x2026))) << text.toStdString();
    EXPECT_TRUE(byDay.contains("12-08")) << byDay.join(" ").toStdString();
}

TEST_F(WideCapacityFormTest, GoodsWithoutAuditedBomAndTheProductMenu)
{
    host.SqlExecute("update L_GoodsBom set State = 0 where GoodsID = 9002");
    auto& form = Form();
    TypeProduct(9002, 1, QDate(2026, 12, 8));
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"测试部件A 货品没有设置BOM清单或BOM清单没有审核!"});
    EXPECT_DOUBLE_EQ(form.Goods().FieldByName("totalusetime").AsFloat(), 0);
    Calculate();
    EXPECT_EQ(dialogs.Texts().back(), "测试部件A 货品没有设置BOM清单或BOM清单没有审核!");
    EXPECT_EQ(Grid("ItemGridGoods").SelectedField(), "goodscode");
    form.N2->trigger();
    EXPECT_TRUE(form.Goods().IsEmpty());
}

TEST_F(WideCapacityFormTest, SalesOrderLinesComeInOnceEachAndExport)
{
    auto& form = Form();
    auto pick = [this] {
        WhenShown("TSelectSOrderForm", [](QWidget& shown) {
            auto& dialog = dynamic_cast<TSelectSOrderForm&>(shown);
            ExpectOnScreen(dialog);
            EXPECT_TRUE(dialog.chkShopID->isChecked());
            dialog.btn1->click();
            dialog.btnOK->click();
        });
    };
    pick();
    Control<QPushButton>(form, "btnImportSOrder").click();
    int lines = form.Goods().RecordCount();
    ASSERT_GT(lines, 0);
    EXPECT_FALSE(form.Goods().FieldByName("billcode").AsString().empty());
    EXPECT_FALSE(Control<LookupCombo>(form, "cmbGoods").isEnabled());
    pick();
    form.N1->trigger();
    EXPECT_EQ(form.Goods().RecordCount(), lines);

    // Lines whose goods has no audited BOM would stop the calculation: they are left out.
    DataSet& goods = form.Goods();
    for (goods.First(); !goods.Eof(); goods.Next())
        if (goods.FieldByName("totalusetime").AsFloat() == 0) {
            goods.Edit();
            goods.FieldByName("selected").SetValue(0);
            goods.Post();
        }
    AddWorkshop(97, "T97", "大车间", 10, 24, 0, 0);
    Control<QPushButton>(form, "btnRefresh").click();
    EXPECT_EQ(Grid("ItemGridWorkShop").Model().rowCount(), 2);
    Calculate();
    std::string file = host.TempDirectory() + "capacity.xlsx";
    SetExportFileChooser([&](std::string_view title) {
        EXPECT_EQ(title, "粗能力计算");
        return file;
    });
    Control<QPushButton>(form, "btnExcel").click();
    EXPECT_TRUE(std::filesystem::exists(file));
    if (form.Capacity().IsEmpty()) ADD_FAILURE() << dialogs.Texts().back();
}

TEST_F(WideCapacityFormTest, ShowMnfFormOpensTheRegisteredScreen)
{
    ManufactureLoad();
    EXPECT_EQ(HostRegistry().GetPrivilegedFormID("TWideCapacityForm"), 2059);
    Manufacture_Call("SHOWMNFFORM", "WideCapacityForm", nullptr);
    QWidget* opened = ShownWindow("TWideCapacityForm");
    ASSERT_NE(opened, nullptr);
    opened->close();
    ProcessEvents();
    ManufactureUnload();
    HostRegistry().Clear();
}

TEST_F(WideCapacityFormTest, OpensShowingEveryInputAndTheKeyColumns)
{
    AddWorkshop(98, "T98", "装配车间", 0, 0, 1, 4);
    auto& form = Form();
    TypeProduct(9001, 20, QDate(2026, 12, 11));
    TypeProduct(9001, 6, QDate(2026, 12, 16));
    Calculate();
    ShowAtDefaultSize(form);
    for (const char* control : {"btnCalc", "btnExcel", "btnRefresh", "btnExit", "ItemGridWorkShop", "btAllSelect",
                                "ItemGridGoods", "btnImportSOrder", "ItemGridCapacity", "rbDay", "rbMonth"})
        ExpectInside(form, Control<QWidget>(form, control));
    for (const char* title : {"选择", "车间编码", "名称", "机台数", "日有效机时", "工人数", "日有效工时"})
        ExpectColumnShown(Grid("ItemGridWorkShop"), title);
    for (const char* title : {"日期", "计划产能", "超负荷", "建议开工日期", "建议完工日期", "原发货日期"})
        ExpectColumnShown(Grid("ItemGridCapacity"), title);
    for (const char* title : {"发货日期", "货品编码", "数量", "总工时"})
        ExpectColumnShown(Grid("ItemGridGoods"), title);
    QImage shot = form.grab().toImage();
    EXPECT_GT(form.Capacity().RecordCount(), 0);
    if (const char* folder = std::getenv("MFG_SCREENSHOT_DIR"))
        EXPECT_TRUE(shot.save(QDir(folder).filePath("capacity.png")));
}

}  // namespace
}  // namespace mfg
