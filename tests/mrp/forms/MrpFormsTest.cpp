// The MRP workbench offscreen: demand gathered through the selection dialog, options ticked, a
// run calculated and its pages switched, compared with the console's run of the same demand.
#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <tuple>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "DatePicker.h"
#include "DbGrid.h"
#include "ExceptionPage.h"
#include "FundsChart.h"
#include "GridInput.h"

#include <QtCharts/QDateTimeAxis>
#include "LookupCombo.h"
#include "Manufacture.h"
#include "ScreenTest.h"
#include "TMRPForm.h"
#include "TMakePurchaseForm.h"
#include "TMakeSorderForm.h"
#include "TSelectListForm.h"
#include "TestDatabase.h"
#include "TreeItemsModel.h"
#include "host/Format.h"
#include "host/IniFile.h"
#include "host/Registry.h"

namespace mfg {
namespace {

const std::array<const char*, 2> kSchedules{"JH-2026-12-0001", "JH-2026-12-0002"};

//! The rows of a dataset as (goodsid, a date or class, a quantity) for comparing runs whatever
//! the order of their rows.
using Row = std::tuple<std::int64_t, std::string, double>;

std::multiset<Row> RowsOf(DataSet& data, const char* key, const char* quantity)
{
    std::multiset<Row> rows;
    for (data.First(); !data.Eof(); data.Next()) {
        const Field& k = data.FieldByName(key);
        std::string keyText = k.IsNull()                            ? ""
                              : k.DataType() == FieldType::DateTime ? k.AsDateTime().ToIsoString()
                                                                    : k.AsString();
        rows.emplace(data.FieldByName("goodsid").AsInteger(), keyText, data.FieldByName(quantity).AsFloat());
    }
    return rows;
}

std::multiset<Row> RowsOf(const nlohmann::json& rows, const char* key, const char* quantity)
{
    std::multiset<Row> result;
    for (const auto& row : rows) {
        const auto& k = row.at(key);
        std::string keyText = k.is_null()     ? ""
                              : k.is_string() ? k.get<std::string>().substr(0, 10)
                                              : std::to_string(k.get<std::int64_t>());
        result.emplace(row.at("goodsid").get<std::int64_t>(), keyText,
                       row.at(quantity).is_null() ? 0 : row.at(quantity).get<double>());
    }
    return result;
}

//! `mfg mrp --json` on a fresh copy of the demo factory, as a user would run it in a terminal.
nlohmann::json ConsoleRun(const std::string& arguments)
{
    const std::string url = test::CopyOfDemoDatabase("console-" + test::TestBackend());
    const std::string command =
        fmt::format("'{}' --db '{}' --today 2026-12-06 mrp {} --json 2>/dev/null", MFG_CONSOLE_PATH, url, arguments);
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    std::array<char, 4096> buffer{};
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe.get())) out.append(buffer.data(), n);
    return nlohmann::json::parse(out);
}

class MrpFormsTest : public test::ScreenTest {
protected:
    MrpFormsTest()
    {
        folder = std::filesystem::path(::testing::TempDir()) / ("mrp-" + test::TestBackend() + "-" + DatabaseName());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        host.SetCurrDirectory(folder);
    }

    //! Imports the two open December schedules through the selection dialog.
    void ImportSchedules(TMRPForm& form)
    {
        WhenShown("TSelectPlanForm", [](QWidget& shown) {
            auto& dialog = dynamic_cast<TSelectPlanForm&>(shown);
            ExpectOnScreen(dialog);
            dialog.DateTimePicker1->SetDate(DateTime::FromYmd(2026, 12, 1));
            dialog.DateTimePicker2->SetDate(DateTime::FromYmd(2026, 12, 31));
            dialog.btnFilter->click();
            dialog.btn1->click();
            dialog.btnOK->click();
        });
        form.btnImportMP->click();
    }

    void Calculate(TMRPForm& form)
    {
        ImportSchedules(form);
        form.cbSaleQty->click();
        form.cbSub->click();
        form.btnCalculate->click();
    }

    std::filesystem::path folder;
};

TEST_F(MrpFormsTest, ARunThroughTheControlsGivesTheNumbersOfTheConsole)
{
    TMRPForm form;
    Screenshot(form, "mrp-options");
    ImportSchedules(form);
    ASSERT_EQ(form.Workbench().cdsMP.RecordCount(), 2);
    Screenshot(form, "mrp-demand");
    form.cbSaleQty->click();
    EXPECT_TRUE(form.cbOverSOrder->isEnabled());
    form.cbSub->click();
    form.rbDay->click();
    form.rbBudgetDay->click();
    form.btnCalculate->click();
    ASSERT_TRUE(dialogs.WasShown("计算完成！"));
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet2);
    EXPECT_EQ(form.OptionMask(), MrpRunParams::ReadFile(host.SystemIniPath()).Options(true));

    std::string arguments = fmt::format("--mps {} {} --options-from '{}' --period day", kSchedules[0], kSchedules[1],
                                        host.SystemIniPath().string());
    nlohmann::json console = ConsoleRun(arguments);
    MrpWorkbench& bench = form.Workbench();
    EXPECT_EQ(RowsOf(bench.cdsGross, "class", "quantity"), RowsOf(console["gross"], "class", "quantity"));
    EXPECT_EQ(RowsOf(bench.cdsNet, "needdate", "netqty"), RowsOf(console["net"], "needdate", "netqty"));
    EXPECT_EQ(RowsOf(bench.cdsManuSug, "finisheddate", "sugqty"),
              RowsOf(console["manufacture"], "finisheddate", "sugqty"));
    EXPECT_EQ(RowsOf(bench.cdsPurSug, "revdate", "sugqty"), RowsOf(console["purchase"], "revdate", "sugqty"));
    EXPECT_EQ(bench.cdsBudget.RecordCount(), static_cast<int>(console["funds"].size()));
    EXPECT_FALSE(bench.cdsManuSug.IsEmpty());
    EXPECT_FALSE(bench.cdsPurSug.IsEmpty());
    EXPECT_EQ(form.TreeView1->Model().rowCount(), static_cast<int>(console["tree"].size()));
    EXPECT_EQ(RowsOf(form.tsException->cdsException, "needdate", "quantity"),
              RowsOf(console["exceptions"], "needdate", "quantity"));

    for (QWidget* page : {form.TabSheet2, form.TabSheet3, form.TabSheet4, form.TabSheet5, form.TabSheet6, form.tsBudget,
                          static_cast<QWidget*>(form.tsException)}) {
        form.PageControl1->setCurrentWidget(page);
        if (page == form.TabSheet2) form.N1->trigger();
        Screenshot(form, "mrp-" + page->objectName().toLower().toStdString());
    }
    EXPECT_EQ(form.chtBudget->PointCount(), bench.cdsBudget.RecordCount());
}

TEST_F(MrpFormsTest, OpensShowingEveryOptionAndTheDemandColumns)
{
    TMRPForm form;
    ImportSchedules(form);
    ShowAtDefaultSize(form);
    for (const char* control :
         {"btnImportMP", "btnImportSOrder", "btAllSelect", "btAllClear", "QxDBGrid1", "cbOnhand", "chkProductQty",
          "RadioButton1", "RadioButton2", "cbUsedQty", "cbSafeQty", "cbManuOrder", "cbOverSOrder", "cbOverPOrder",
          "cbPrequest", "cbUnCheck", "btnCalculate", "cbRunParam", "btnExit"})
        ExpectInside(form, Control<QWidget>(form, control));
    for (const char* title :
         {"选择", "单据编号", "完工日期", "货品编号", "货品名称", "规格", "计划数量", "已下达数量", "本次计算数量"})
        ExpectColumnShown(*form.QxDBGrid1, title);
}

TEST_F(MrpFormsTest, SuggestionsFreezeTheGoodsAndShowPricesAndAmountsAsTheirPatterns)
{
    TMRPForm form;
    Calculate(form);
    for (DbGrid* grid : {form.DBGrid3, form.DBGrid4, form.DBGrid5}) EXPECT_EQ(grid->FrozenColumns(), 5);
    for (DbGrid* grid : {form.DBGrid4, form.DBGrid5}) {
        DataSetModel& model = grid->Model();
        ASSERT_GT(model.rowCount(), 0);
        for (int row = 0; row < model.rowCount(); ++row) {
            std::string price = model.CellText(row, model.ColumnIndexOf("price")).toStdString();
            std::string amount = model.CellText(row, model.ColumnIndexOf("amount")).toStdString();
            DataSet& data = *grid->GetDataSet();
            data.SetRecNo(row + 1);
            EXPECT_EQ(price, FormatFloat("0.########", data.FieldByName("price").AsFloat()));
            EXPECT_EQ(amount, FormatFloat("0.##", data.FieldByName("amount").AsFloat()));
            EXPECT_FALSE(price.find('.') != std::string::npos && price.back() == '0') << price;
        }
    }
    EXPECT_EQ(FormatFloat("0.########", 650), "650");
    EXPECT_EQ(FormatFloat("0.##", 20150.004), "20150");
    EXPECT_EQ(FormatFloat("0.##", 3.14159), "3.14");
    for (DbGrid* grid : {form.DBGrid2, form.DBGrid3}) {
        QVariant alignment =
            grid->Model().data(grid->Model().index(0, grid->Model().ColumnIndexOf("class")), Qt::TextAlignmentRole);
        EXPECT_TRUE(alignment.value<Qt::Alignment>() & Qt::AlignHCenter) << grid->objectName().toStdString();
    }
}

TEST_F(MrpFormsTest, PeriodsRegroupTheNetTableAndKeepItsGoodsFilter)
{
    TMRPForm form;
    Calculate(form);
    MrpWorkbench& bench = form.Workbench();
    DataSet byWeek;
    bench.engine.FillNetTable(byWeek, MrpPeriodWeek);
    form.rbWeek->click();
    EXPECT_EQ(bench.cdsNet.RecordCount(), byWeek.RecordCount());

    form.cmbGoods3->SetValue(1);
    EXPECT_EQ(form.edtGoodsName3->text(), "山地自行车");
    EXPECT_EQ(bench.cdsNet.Filter(), "goodsid=1");
    const int filtered = bench.cdsNet.RecordCount();
    form.rbDay->click();
    EXPECT_EQ(bench.cdsNet.Filter(), "goodsid=1");
    EXPECT_GE(bench.cdsNet.RecordCount(), filtered) << "days never fewer than weeks";
    for (bench.cdsNet.First(); !bench.cdsNet.Eof(); bench.cdsNet.Next())
        EXPECT_EQ(bench.cdsNet.FieldByName("goodsid").AsInteger(), 1);
    form.cmbGoods3->SetValue(Variant());
    EXPECT_EQ(form.edtGoodsName3->text(), "");
    EXPECT_EQ(bench.cdsNet.Filter(), "");

    form.cmbGoods2->SetValue(1);
    EXPECT_EQ(bench.cdsGross.RecordCount(), 1);
    EXPECT_EQ(form.edtSpecs2->text(), "26寸 21速 黑色");
}

TEST_F(MrpFormsTest, SuggestionsAreTickedByClickAndCorrectedOnlyInTheirQuantity)
{
    TMRPForm form;
    Calculate(form);
    DbGrid& grid = *form.DBGrid4;
    DataSet& rows = form.Workbench().cdsManuSug;
    ASSERT_FALSE(rows.IsEmpty());
    rows.First();
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 1);
    emit grid.clicked(grid.Model().index(0, 0));
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 0);
    emit grid.clicked(grid.Model().index(0, 0));
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 1);
    emit grid.clicked(grid.Model().index(0, 2));
    EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 1) << "only the 选择 column ticks";

    const int fix = grid.Model().ColumnIndexOf("fixqty");
    EXPECT_TRUE(grid.Model().flags(grid.Model().index(0, fix)) & Qt::ItemIsEditable);
    EXPECT_FALSE(grid.Model().flags(grid.Model().index(0, grid.Model().ColumnIndexOf("sugqty"))) & Qt::ItemIsEditable);
    ASSERT_TRUE(grid.Model().setData(grid.Model().index(0, fix), 3.0));
    EXPECT_DOUBLE_EQ(rows.FieldByName("amount").AsFloat(), 3 * rows.FieldByName("price").AsFloat());

    form.PageControl1->setCurrentWidget(form.TabSheet5);
    form.BitBtn3->click();
    for (rows.First(); !rows.Eof(); rows.Next()) EXPECT_EQ(rows.FieldByName("selected").AsInteger(), 0);
    EXPECT_EQ(form.Workbench().cdsMP.FieldByName("selected").AsInteger(), 1) << "全清 acts on the page shown";
}

TEST_F(MrpFormsTest, TheSuggestionPagesReleaseThroughTheReleaseDialogs)
{
    TMRPForm form;
    Calculate(form);
    MrpWorkbench& bench = form.Workbench();
    const auto count = [](const char* table) {
        return GetValueOfSql(std::string("select count(*) from ") + table).AsInteger();
    };
    const auto requests = count("P_REQUEST");
    const auto orders = count("MNF_MANUORDER");

    // The cell "<单击下达>" opens the single release on that suggestion; a cancel changes nothing.
    form.PageControl1->setCurrentWidget(form.TabSheet6);
    bench.cdsPurSug.First();
    const double fixqty = bench.cdsPurSug.FieldByName("fixqty").AsFloat();
    WhenShown("TMakePurchaseForm", [](QWidget& dialog) {
        ExpectOnScreen(dialog);
        dynamic_cast<TMakePurchaseForm&>(dialog).SetModalResult(mrCancel);
    });
    emit form.DBGrid5->clicked(form.DBGrid5->Model().index(0, form.DBGrid5->Model().ColumnIndexOf("purchase")));
    EXPECT_DOUBLE_EQ(bench.cdsPurSug.FieldByName("fixqty").AsFloat(), fixqty);

    // The batch buttons release every ticked suggestion.
    form.btnMakePRequest->click();
    EXPECT_TRUE(dialogs.WasShown("请购单已下达成功!"));
    EXPECT_GT(count("P_REQUEST"), requests);

    WhenShown("TMakeSorderForm", [](QWidget& dialog) {
        ExpectOnScreen(dialog);
        dynamic_cast<TMakeSorderForm&>(dialog).btCancel->click();
    });
    form.PageControl1->setCurrentWidget(form.TabSheet5);
    form.btnMakeManu->click();
    EXPECT_EQ(count("MNF_MANUORDER"), orders) << "a cancelled release writes nothing";
}

TEST_F(MrpFormsTest, TheSameSuggestionsReleaseTwiceAndEachRowShowsWhatItReleasedAndAsksFirst)
{
    TMRPForm form;
    Calculate(form);
    DataSet& rows = form.Workbench().cdsPurSug;
    const auto requests = [] { return GetValueOfSql("select count(*) from P_REQUEST").AsInteger(); };
    const auto before = requests();
    EXPECT_EQ(form.DBGrid5->Model().ColumnIndexOf("released"), form.DBGrid5->Model().ColumnIndexOf("fixqty") + 1);
    form.PageControl1->setCurrentWidget(form.TabSheet6);
    form.btnMakePRequest->click();
    ASSERT_EQ(requests(), before + 1);
    const std::string first =
        GetValueOfSql("select max(BillCode) from P_REQUEST where Remark = 'MRP采购建议下达的请购单'").AsString();
    rows.First();
    const std::string shown = rows.FieldByName("released").AsString();
    EXPECT_EQ(shown, FormatQuantityText(rows.FieldByName("fixqty").AsFloat()) + " " + first);
    EXPECT_EQ(form.DBGrid5->Model()
                  .data(form.DBGrid5->Model().index(0, form.DBGrid5->Model().ColumnIndexOf("released")))
                  .toString()
                  .toStdString(),
              shown);

    // Ticked again, one question lists every goods that released with its quantity; a no writes nothing.
    ASSERT_GT(rows.RecordCount(), 1);
    form.BitBtn4->click();
    dialogs.Clear();
    dialogs.Answer({7});
    form.btnMakePRequest->click();
    EXPECT_EQ(requests(), before + 1);
    std::string question;
    std::vector<std::string> listed;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        const std::string goods = rows.FieldByName("goodscode").AsString();
        if (std::find(listed.begin(), listed.end(), goods) != listed.end()) continue;
        listed.push_back(goods);
        double released = 0;
        for (int row = 0; row < rows.RecordCount(); ++row)
            if (rows.ValueAt(row, rows.FieldByName("goodscode").Index()).AsString() == goods)
                released += rows.ValueAt(row, rows.FieldByName("releasedqty").Index()).AsFloat();
        question += "货品 " + goods + " 已经下达过 " + FormatQuantityText(released) + "\n";
    }
    EXPECT_EQ(dialogs.Texts(MessageKind::YesNoQuestion), (std::vector<std::string>{question + "是否再次下达?"}));

    // One yes: a second request under a code of its own.
    form.BitBtn4->click();
    dialogs.Clear();
    dialogs.Answer({6});
    form.btnMakePRequest->click();
    EXPECT_EQ(requests(), before + 2);
    EXPECT_EQ(dialogs.PendingAnswers(), 0u);
    const std::string second =
        GetValueOfSql("select max(BillCode) from P_REQUEST where Remark = 'MRP采购建议下达的请购单'").AsString();
    EXPECT_NE(second, first);
    rows.First();
    EXPECT_NE(rows.FieldByName("released").AsString().find(first + " " + second), std::string::npos);

    // The single release of a row that released asks too; a no opens no dialog.
    dialogs.Clear();
    dialogs.Answer({7});
    emit form.DBGrid5->clicked(form.DBGrid5->Model().index(0, form.DBGrid5->Model().ColumnIndexOf("purchase")));
    EXPECT_EQ(dialogs.Texts(MessageKind::YesNoQuestion).size(), 1u);
    EXPECT_EQ(GetValueOfSql("select count(*) from P_ORDER where Remark like '%MRP采购建议%'").AsInteger(), 0);
}

TEST_F(MrpFormsTest, TheLotFlagsRebuildThePurchaseSuggestions)
{
    TMRPForm form;
    Calculate(form);
    DataSet& rows = form.Workbench().cdsPurSug;
    DataSet minimum;
    form.Workbench().engine.FillPurchaseSuggestions(minimum, MrpLotMinimum);
    EXPECT_FALSE(form.cbIncOrder->isEnabled());
    form.cbMinOrder->click();
    EXPECT_TRUE(form.cbIncOrder->isEnabled());
    EXPECT_EQ(RowsOf(rows, "revdate", "sugqty"), RowsOf(minimum, "revdate", "sugqty"));
    form.cbIncOrder->click();
    EXPECT_EQ(form.Workbench().lotFlags, MrpLotMinimum | MrpLotIncrement);
    form.cbMinOrder->click();
    EXPECT_FALSE(form.cbIncOrder->isEnabled());
    EXPECT_FALSE(form.cbIncOrder->isChecked());
    EXPECT_EQ(form.Workbench().lotFlags, 0u);
}

TEST_F(MrpFormsTest, TheExceptionPageFiltersByKindAndGoodsAndJumpsToTheGoodsOnTheNetPage)
{
    TMRPForm form;
    Calculate(form);
    ExceptionPage& page = *form.tsException;
    DataSet& rows = page.cdsException;
    const int all = rows.RecordCount();
    ASSERT_GT(all, 0);
    const QString tab = form.PageControl1->tabText(form.PageControl1->indexOf(&page));
    EXPECT_TRUE(tab.startsWith("异常信息 (提前 ")) << tab.toStdString();

    form.PageControl1->setCurrentWidget(&page);
    page.cmbExceptionKind->setFocus();
    QTest::keyClick(page.cmbExceptionKind, Qt::Key_Down);
    EXPECT_EQ(page.cmbExceptionKind->currentText(), "提前");
    ASSERT_GT(rows.RecordCount(), 0);
    EXPECT_LT(rows.RecordCount(), all);
    for (rows.First(); !rows.Eof(); rows.Next()) EXPECT_EQ(rows.FieldByName("kind").AsString(), "提前");
    EXPECT_NE(tab.toStdString().find(fmt::format("提前 {}", rows.RecordCount())), std::string::npos);

    QTest::keyClicks(page.edtExceptionGoods, "1025");
    ASSERT_EQ(rows.RecordCount(), 1);
    const int goods = static_cast<int>(rows.FieldByName("goodsid").AsInteger());
    EXPECT_EQ(rows.FieldByName("goodscode").AsString(), "1025");

    DbGrid& grid = *page.DBGrid6;
    const QPoint cell = grid.visualRect(grid.Model().index(0, 1)).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet4);
    EXPECT_EQ(form.cmbGoods3->Value().AsInteger(), goods);
    EXPECT_EQ(form.Workbench().cdsNet.Filter(), fmt::format("goodsid={}", goods));

    form.cmbGoods3->SetValue(Variant());
    form.PageControl1->setCurrentWidget(&page);
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet4);
    EXPECT_EQ(form.cmbGoods3->Value().AsInteger(), goods);

    // A receipt late by more working days than the threshold allows is no longer named.
    form.PageControl1->setCurrentWidget(&page);
    page.edtEarlyDays->setFocus();
    QTest::keyClicks(page.edtEarlyDays, "250");
    EXPECT_TRUE(rows.IsEmpty());
    EXPECT_EQ(form.RunParams().thresholds.earlyDays, 250);

    std::vector<std::string> titles;
    form.SetExportFileChooser([&](const std::string& title) {
        titles.push_back(title);
        return folder / (title + ".xlsx");
    });
    page.edtEarlyDays->setValue(0);
    QTest::mouseClick(page.btnExceptionExcel, Qt::LeftButton);
    EXPECT_EQ(titles, std::vector<std::string>{"MRP异常信息"});
    EXPECT_TRUE(std::filesystem::exists(folder / "MRP异常信息.xlsx"));
}

TEST_F(MrpFormsTest, ExportsNeedTheRightAndLeaveThePurchaseColumnsAsTheyWere)
{
    TMRPForm form;
    Calculate(form);
    std::vector<std::string> titles;
    form.SetExportFileChooser([&](const std::string& title) {
        titles.push_back(title);
        return folder / (title + ".xlsx");
    });
    form.btnNetRequireExcel->click();
    form.btnMnfExcel->click();
    form.btnPurExcel->click();
    EXPECT_EQ(titles, (std::vector<std::string>{"MRP净需求", "MRP生产建议", "MRP采购建议"}));
    for (const auto& title : titles) EXPECT_TRUE(std::filesystem::exists(folder / (title + ".xlsx"))) << title;
    const int revdate = form.DBGrid5->Model().ColumnIndexOf("revdate");
    EXPECT_TRUE(form.DBGrid5->Column(revdate).visible);

    host.SetUser(2, "计划员");  // may run MRP, but not export it
    std::filesystem::remove(folder / "MRP采购建议.xlsx");
    form.btnPurExcel->click();
    EXPECT_TRUE(dialogs.WasShown("对不起,你没有MRP运算导出的权限!"));
    EXPECT_FALSE(std::filesystem::exists(folder / "MRP采购建议.xlsx"));
    EXPECT_EQ(titles.size(), 3u);
    EXPECT_TRUE(form.DBGrid5->Column(revdate).visible);
}

TEST_F(MrpFormsTest, TheFundsPageFollowsTheDailyExpenseAndNeedsItsRight)
{
    {
        TMRPForm form;
        ASSERT_TRUE(form.PageControl1->isTabVisible(form.PageControl1->indexOf(form.tsBudget)));
        EXPECT_EQ(form.edtDailyExpense->text(), "￥0.00");
        Calculate(form);
        DataSet& budget = form.Workbench().cdsBudget;
        ASSERT_FALSE(budget.IsEmpty());
        // Slips are refused by the field's caption, leaving the text to correct and the funds as they were.
        for (const char* slip : {"12元", "-5", "inf", "nan", "1e300"}) {
            dialogs.Clear();
            form.edtDailyExpense->setFocus();
            form.edtDailyExpense->selectAll();
            test::TypeKeys(form.edtDailyExpense, slip);
            QTest::keyClick(form.edtDailyExpense, Qt::Key_Return);
            ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u) << slip;
            EXPECT_EQ(dialogs.Texts(MessageKind::Error)[0].rfind("日常费用", 0), 0u) << slip;
            form.btnCalculate->click();
            EXPECT_EQ(dialogs.Texts(MessageKind::Error).size(), 2u) << "计算 refuses it too: " << slip;
            EXPECT_FALSE(dialogs.WasShown("计算完成！")) << "计算 ran with " << slip;
        }
        // 周 under a refused expense: the error, and the buttons stay on the period the rows show.
        dialogs.Clear();
        form.rbBudgetWeek->click();
        EXPECT_FALSE(dialogs.Texts(MessageKind::Error).empty());
        EXPECT_EQ(form.Workbench().fundsPeriod, MrpPeriodMonth);
        EXPECT_TRUE(form.rbBudgetMonth->isChecked());
        EXPECT_FALSE(form.rbBudgetWeek->isChecked());
        form.edtDailyExpense->setText("1234.567");
        emit form.edtDailyExpense->editingFinished();
        EXPECT_EQ(form.edtDailyExpense->text(), "￥1234.57");
        budget.First();
        EXPECT_GT(budget.FieldByName("DailyExpense").AsFloat(), 0);
        form.rbBudgetDay->click();
        EXPECT_EQ(form.Workbench().fundsPeriod, MrpPeriodDay);
        EXPECT_EQ(form.chtBudget->PointCount(), budget.RecordCount());
    }
    {
        // The page shown before any run, then after one: one date axis, over the run's dates.
        TMRPForm form;
        form.PageControl1->setCurrentWidget(form.tsBudget);
        ShowAtDefaultSize(form);
        Calculate(form);
        form.PageControl1->setCurrentWidget(form.tsBudget);
        form.rbBudgetWeek->click();
        form.rbBudgetMonth->click();
        form.grab();
        auto dates = form.chtBudget->chart()->axes(Qt::Horizontal);
        ASSERT_EQ(dates.size(), 1);
        EXPECT_EQ(qobject_cast<QDateTimeAxis*>(dates.front())->min().date().year(), 2026);
        EXPECT_EQ(form.chtBudget->chart()->axes(Qt::Vertical).size(), 1);
        EXPECT_FALSE(DrawnTexts(*form.chtBudget).join(" ").contains("1970"));
    }
    {
        host.SetUser(2, "计划员");  // without the right of the funds page
        TMRPForm form;
        EXPECT_FALSE(form.PageControl1->isTabVisible(form.PageControl1->indexOf(form.tsBudget)));
    }
    host.SetUser(1, "管理员");
    host.SqlExecute("update L_SysParam set ParamValue = '0' where ParamName = 'IsBand'");
    TMRPForm form;
    EXPECT_FALSE(form.PageControl1->isTabVisible(form.PageControl1->indexOf(form.tsBudget)));
}

// A computed run lives only in the screen: Escape and the close button ask before it goes.
TEST_F(MrpFormsTest, ClosingAsksBeforeAComputedRunIsDropped)
{
    TMRPForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    Calculate(form);
    QApplication::setActiveWindow(&form);
    dialogs.Clear();
    dialogs.Answer({AnswerNo, AnswerYes});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(dialogs.Texts(MessageKind::YesNoQuestion),
              std::vector<std::string>(2, "是否放弃本次MRP运算结果?"));

    TMRPForm idle;  // nothing computed, nothing to ask
    idle.show();
    idle.close();
    EXPECT_FALSE(idle.isVisible());
    EXPECT_EQ(dialogs.Messages().size(), 2u);
}

TEST_F(MrpFormsTest, ABoxDisabledByItsRuleNeverSetsItsBit)
{
    TMRPForm form;
    EXPECT_TRUE(form.cbOverSOrder->isChecked());
    EXPECT_FALSE(form.cbOverSOrder->isEnabled());
    EXPECT_EQ(form.OptionMask(), MrpDefaultOptions);
    form.RadioButton1->click();
    EXPECT_FALSE(form.cbUsedQty->isEnabled());
    EXPECT_EQ(form.OptionMask() & optUsedQty, 0u);
    form.RadioButton2->click();
    EXPECT_TRUE(form.cbUsedQty->isEnabled());
    form.cbOnhand->click();
    for (QWidget* control :
         std::initializer_list<QWidget*>{form.RadioButton1, form.RadioButton2, form.chkProductQty, form.cbUsedQty})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(form.OptionMask() & (optOnhand | optProductQty | optUsedQty), 0u);
    form.cbPurchaseQty->click();
    EXPECT_FALSE(form.cbOverPOrder->isEnabled());
}

TEST_F(MrpFormsTest, OptionsComeBackOnTheNextOpeningUnlessNotRemembered)
{
    {
        TMRPForm form;
        form.RadioButton1->click();
        form.cbOnhand->click();
        form.cbRequest->click();
        form.btnCalculate->click();  // no demand: nothing runs, the options are saved
        EXPECT_TRUE(dialogs.Messages().empty());
    }
    {
        TMRPForm form;
        EXPECT_FALSE(form.cbOnhand->isChecked());
        EXPECT_TRUE(form.cbRequest->isChecked());
        EXPECT_TRUE(form.RadioButton1->isChecked());
        EXPECT_FALSE(form.chkProductQty->isEnabled()) << "the rule runs on values read from the file";
        form.cbRunParam->click();
        form.btnCalculate->click();
    }
    IniFile ini(host.SystemIniPath());
    EXPECT_EQ(ini.ReadString("MRParam", "RunParam"), "0");
    EXPECT_EQ(ini.ReadString("MRParam", "Request"), "1") << "keys stay as last remembered";
    TMRPForm form;
    EXPECT_FALSE(form.cbRunParam->isChecked());
    EXPECT_TRUE(form.cbOnhand->isChecked());
    EXPECT_FALSE(form.cbRequest->isChecked());
}

TEST_F(MrpFormsTest, DemandLinesSortByTitleAndTypedLinesKeepTheirGoodsEditable)
{
    TMRPForm form;
    ImportSchedules(form);
    DbGrid& grid = *form.QxDBGrid1;
    const int code = grid.Model().ColumnIndexOf("goodscode");
    EXPECT_TRUE(grid.Column(code).readOnly) << "an imported line keeps its goods";
    form.dlgcMrpGoods->SetValue(3);
    DataSet& lines = form.Workbench().cdsMP;
    ASSERT_EQ(lines.RecordCount(), 3) << "a goods chosen on an imported line starts a line of its own";
    EXPECT_EQ(lines.FieldByName("goodscode").AsString(), "3003");
    EXPECT_FALSE(grid.Column(code).readOnly);
    EXPECT_FALSE(grid.Column(grid.Model().ColumnIndexOf("finishdate")).readOnly);

    for (const char* title : {"货品编号  ▲", "货品编号  ▼", "货品编号  ▲"}) {
        emit grid.TitleClick(code);
        EXPECT_EQ(grid.Model().headerData(code, Qt::Horizontal).toString(), title);
    }
    lines.First();
    EXPECT_EQ(lines.FieldByName("goodscode").AsString(), "3001");
    form.N4->trigger();
    EXPECT_EQ(lines.RecordCount(), 2);
    form.N5->trigger();
    EXPECT_TRUE(lines.IsEmpty());
}

// Demand typed by hand: Down on the last line starts one, the goods chosen and the quantity typed
// are that line's, the line above keeps its own, and a line left empty goes.
TEST_F(MrpFormsTest, DemandLinesAppendedWithDownTakeWhatIsTypedIntoThem)
{
    TMRPForm form;
    form.resize(1100, 600);
    form.show();
    DbGrid& grid = *form.QxDBGrid1;
    DataSet& lines = form.Workbench().cdsMP;
    for (auto [goods, quantity] : {std::pair{3, "5"}, std::pair{1, "7"}}) {
        QTest::keyClick(&grid, Qt::Key_Down);
        form.dlgcMrpGoods->SetValue(goods);
        test::TypeIntoCell(grid, lines.RecordCount() - 1, "quantity", quantity);
    }
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_Up);
    ASSERT_EQ(lines.RecordCount(), 2);
    EXPECT_EQ(lines.RecNo(), 2);
    lines.First();
    EXPECT_EQ(lines.FieldByName("goodscode").AsString(), "3003");
    EXPECT_DOUBLE_EQ(lines.FieldByName("quantity").AsFloat(), 5);
    lines.Next();
    EXPECT_EQ(lines.FieldByName("goodsid").AsInteger(), 1);
    EXPECT_DOUBLE_EQ(lines.FieldByName("quantity").AsFloat(), 7);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(MrpFormsTest, TheCommandRUNMRPOpensTheWorkbenchModally)
{
    ManufactureLoad();
    bool opened = false;
    WhenShown("TMRPForm", [&opened](QWidget& screen) {
        opened = screen.isModal();
        dynamic_cast<TMRPForm&>(screen).btnExit->click();
    });
    HostRegistry().CallFunction("RUNMRP", "", nullptr);
    ManufactureUnload();
    HostRegistry().Clear();
    EXPECT_TRUE(opened);
}

}  // namespace
}  // namespace mfg
