// The calendar screen and the quick-setting dialog offscreen: the month sheet and its colours,
// toggling by double click and space, moving between months, the dialog's refusals with scripted
// answers, the quick setting through the modal dialog, and opening through SHOWMNFFORM.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "CalendarFixture.h"
#include "CalendarSettings.h"
#include "DatePicker.h"
#include "DbGrid.h"
#include "GridInput.h"
#include "Manufacture.h"
#include "ScreenTest.h"
#include "TWorkCalendarForm.h"
#include "TWorkCalendar_SetForm.h"
#include "host/Registry.h"
#include "host/Users.h"

namespace mfg {
namespace {

using CalendarScreenTest = test::CalendarTestOn<test::ScreenTest>;

DateTime Day(int year, int month, int day)
{
    return DateTime::FromYmd(year, month, day);
}

std::string CellText(QTableWidget& grid, int row, int column)
{
    return grid.item(row, column)->text().toStdString();
}
QColor CellColour(QTableWidget& grid, int row, int column)
{
    return grid.item(row, column)->background().color();
}

class WorkCalendarFormTest : public CalendarScreenTest {};

TEST_F(WorkCalendarFormTest, OpensOnTheExtendedCalendarWithRestDaysInYellow)
{
    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE > '2028-12-20'");
    TWorkCalendarForm form;
    EXPECT_EQ(host.GetValueOfSql("select count(*) from MNF_CALENDAR where WORKDATE > '2028-12-20'").AsInteger(), 11);
    auto& grid = Control<QTableWidget>(form, "StringGrid1");
    EXPECT_EQ(Control<QLabel>(form, "lblYear").text(), "2026");
    EXPECT_EQ(Control<QLabel>(form, "lblMonth").text(), "12");
    EXPECT_EQ(CellText(grid, 0, 0), "星期日");
    EXPECT_EQ(CellText(grid, 0, 6), "星期六");
    EXPECT_EQ(grid.item(0, 3)->font().family().toStdString(), "宋体");
    EXPECT_EQ(CellText(grid, 1, 1), "");
    EXPECT_EQ(CellText(grid, 1, 2), "1");
    EXPECT_EQ(CellText(grid, 1, 6), "5");
    EXPECT_EQ(CellColour(grid, 1, 6), QColor(Qt::yellow));
    EXPECT_EQ(CellColour(grid, 1, 2), QColor(Qt::white));
    EXPECT_EQ(CellColour(grid, 1, 1), QColor(Qt::white));
    EXPECT_EQ(grid.item(2, 3)->textAlignment(), Qt::AlignCenter);
}

TEST_F(WorkCalendarFormTest, DoubleClickAndSpaceToggleTheSelectedDayOnly)
{
    TWorkCalendarForm form;
    form.show();
    auto& grid = Control<QTableWidget>(form, "StringGrid1");
    grid.setCurrentCell(0, 3);
    form.StringGrid1DblClick();  // a header
    grid.setCurrentCell(1, 0);
    form.StringGrid1DblClick();  // an empty cell
    EXPECT_TRUE(dialogs.Messages().empty());

    QRect wednesday = grid.visualRect(grid.model()->index(2, 3));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, wednesday.center());
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, wednesday.center());
    EXPECT_EQ(Mark(2026, 12, 9), 1);
    EXPECT_EQ(Sequence(2026, 12, 10), 240);
    EXPECT_EQ(CellColour(grid, 2, 3), QColor(Qt::yellow));

    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_EQ(Mark(2026, 12, 9), 0);
    EXPECT_EQ(Sequence(2026, 12, 10), 241);
    EXPECT_EQ(CellColour(grid, 2, 3), QColor(Qt::white));
}

TEST_F(WorkCalendarFormTest, AFailedToggleShowsTheErrorAndTheStoredDay)
{
    TWorkCalendarForm form;
    test::RefuseWrites(host.DBStartup(), "MNF_CALENDAR", "update of SEQUENCE", "", "shift refused");
    auto& grid = Control<QTableWidget>(form, "StringGrid1");
    grid.setCurrentCell(2, 3);
    form.StringGrid1DblClick();
    ASSERT_EQ(dialogs.Texts(MessageKind::Error).size(), 1u);
    EXPECT_EQ(CellColour(grid, 2, 3), QColor(Qt::white));
    EXPECT_EQ(Mark(2026, 12, 9), 0);
}

TEST_F(WorkCalendarFormTest, MonthsMoveWithinTheCalendarYears)
{
    TWorkCalendarForm form;
    auto& year = Control<QSpinBox>(form, "UpDownYear");
    EXPECT_EQ(year.minimum(), 2026);
    EXPECT_EQ(year.maximum(), 2028);
    Control<QPushButton>(form, "NextMonthBtn").click();
    EXPECT_EQ(Control<QLabel>(form, "lblYear").text(), "2027");
    EXPECT_EQ(Control<QLabel>(form, "lblMonth").text(), "1");
    auto& grid = Control<QTableWidget>(form, "StringGrid1");
    EXPECT_EQ(CellText(grid, 1, 5), "1");  // 2027-01-01 is a Friday

    year.setValue(2026);
    Control<QSpinBox>(form, "UpDownMonth").setValue(1);
    EXPECT_EQ(form.Sheet().Month(), 1);
    Control<QPushButton>(form, "PrevMonthBtn").click();
    EXPECT_EQ(Control<QLabel>(form, "lblYear").text(), "2026");
    EXPECT_EQ(Control<QLabel>(form, "lblMonth").text(), "1");
    EXPECT_EQ(CellText(grid, 1, 4), "1");  // 2026-01-01, a Thursday
}

TEST_F(WorkCalendarFormTest, TheQuickSettingRunsThroughTheDialogAndTheMonthFollows)
{
    TWorkCalendarForm form;
    WhenShown("TWorkCalendar_SetForm", [](QWidget& dialog) {
        Control<QCheckBox>(dialog, "chkSat").setChecked(false);
        Control<QPushButton>(dialog, "btnOk").click();
    });
    Control<QPushButton>(form, "btnSetUp").click();
    EXPECT_EQ(Mark(2026, 12, 12), 0);  // Saturdays from the 6th to the 31st work
    EXPECT_EQ(Mark(2026, 12, 5), 1);   // before the range
    EXPECT_EQ(CellColour(Control<QTableWidget>(form, "StringGrid1"), 2, 6), QColor(Qt::white));
    EXPECT_TRUE(std::filesystem::exists(folder / "ShopCalendar.dat"));

    WhenShown("TWorkCalendar_SetForm", [](QWidget& dialog) { Control<QPushButton>(dialog, "btnCancel").click(); });
    host.SqlExecute("update MNF_CALENDAR set ISHOLIDAY = 1 where WORKDATE = '2026-12-19'");  // written elsewhere
    Control<QPushButton>(form, "btnSetUp").click();
    EXPECT_EQ(CellColour(Control<QTableWidget>(form, "StringGrid1"), 3, 6), QColor(Qt::yellow));  // reloaded anyway
}

// A holiday typed into a new row, by the row menu or by Down on the last row, is that row's and is
// saved as typed; the row above (10-3) stays, and a new row left empty is dropped.
TEST_F(WorkCalendarFormTest, HolidaysTypedIntoNewRowsAreSavedAsTyped)
{
    TWorkCalendarForm form;
    WhenShown("TWorkCalendar_SetForm", [](QWidget& dialog) {
        auto& grid = Control<DbGrid>(dialog, "QxDBGrid1");
        Control<QAction>(dialog, "N1").trigger();
        test::TypeIntoCell(grid, 8, "Month", "7");
        test::TypeIntoCell(grid, 8, "Day", "3");
        QTest::keyClick(&grid, Qt::Key_Down);
        test::TypeIntoCurrentCell(grid, "24");
        test::TypeIntoCell(grid, 9, "Month", "12");
        QTest::keyClick(&grid, Qt::Key_Down);
        QTest::keyClick(&grid, Qt::Key_Up);
        EXPECT_EQ(grid.Model().rowCount(), 10);
        EXPECT_EQ(grid.Model().CellText(7, 0).toStdString() + "-" + grid.Model().CellText(7, 1).toStdString(), "10-3");
        Control<QPushButton>(dialog, "btnOk").click();
    });
    Control<QPushButton>(form, "btnSetUp").click();
    std::vector<MonthDay> expected{{1, 1}, {1, 2}, {5, 1}, {5, 2}, {5, 3}, {10, 1}, {10, 2}, {10, 3}, {7, 3}, {12, 24}};
    EXPECT_EQ(ReadCalendarSettings().settings.holidays.InUse(), expected);
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(WorkCalendarFormTest, WithoutTheRightTheQuickSettingDoesNotOpen)
{
    Users users(host.DBStartup());
    CurrentUsersScope usersScope(users);
    int clerk = users.AddUser({"clerk", "文员", "", 1});
    users.Grant(clerk, 2046, static_cast<int>(PrivKind::Browse));
    host.SetUser(clerk, "文员");
    TWorkCalendarForm form;
    Control<QPushButton>(form, "btnSetUp").click();  // a dialog left open would block here
    EXPECT_FALSE(std::filesystem::exists(folder / "ShopCalendar.dat"));
}

TEST_F(WorkCalendarFormTest, ShowMnfFormOpensTheRegisteredScreen)
{
    ManufactureLoad();
    EXPECT_EQ(HostRegistry().GetPrivilegedFormID("TWorkCalendarForm"), 2046);
    Manufacture_Call("SHOWMNFFORM", "WorkCalendarForm", nullptr);
    QWidget* opened = ShownWindow("TWorkCalendarForm");
    ASSERT_NE(opened, nullptr);
    opened->close();
    ProcessEvents();
    ManufactureUnload();
    HostRegistry().Clear();
}

TEST_F(WorkCalendarFormTest, ASelectedRestDayStaysYellowAndTheSelectionStaysInItsMonth)
{
    TWorkCalendarForm form;
    form.show();
    auto& grid = Control<QTableWidget>(form, "StringGrid1");
    QRect saturday = grid.visualRect(grid.model()->index(1, 6));  // 2026-12-05, a rest day
    QPoint beside = saturday.center() - QPoint(saturday.width() / 4, 0);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, saturday.center());
    EXPECT_EQ(grid.viewport()->grab().toImage().pixelColor(beside), QColor(Qt::yellow));
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_EQ(Mark(2026, 12, 5), 0);
    EXPECT_EQ(grid.viewport()->grab().toImage().pixelColor(beside), QColor(Qt::white));

    std::int64_t january2 = Mark(2027, 1, 2);  // the Saturday in the same cell of the next month
    Control<QPushButton>(form, "NextMonthBtn").click();
    QTest::keyClick(&grid, Qt::Key_Space);
    EXPECT_EQ(Mark(2027, 1, 2), january2);
    EXPECT_EQ(grid.currentRow(), -1);
}

TEST_F(WorkCalendarFormTest, TheMonthViewPicture)
{
    TWorkCalendarForm form;
    ShowAtDefaultSize(form);
    for (const char* control : {"PrevMonthBtn", "NextMonthBtn", "lblYear", "UpDownYear", "lblMonth", "UpDownMonth",
                                "StringGrid1", "Label1", "btnSetUp", "Button1"})
        ExpectInside(form, Control<QWidget>(form, control));
    QImage picture = form.grab().toImage();
    auto& grid = Control<QTableWidget>(form, "StringGrid1");
    QRect saturday = grid.visualRect(grid.model()->index(1, 6));
    QPoint corner = grid.viewport()->mapTo(&form, saturday.topLeft() + QPoint(3, 3));
    EXPECT_EQ(picture.pixelColor(corner), QColor(Qt::yellow));
    if (const char* folder = std::getenv("MFG_SCREENSHOT_DIR"))
        EXPECT_TRUE(picture.save(QString(folder) + "/WorkCalendarForm.png"));
}

class WorkCalendarSetFormTest : public CalendarScreenTest {
protected:
    void SetRow(int month, Variant day)
    {
        DataSet& rows = dialog.Holidays();
        rows.Edit();
        rows.FieldByName("Month").SetValue(month);
        rows.FieldByName("Day").SetValue(day);
        rows.Post();
    }
    TWorkCalendar_SetForm dialog;
};

TEST_F(WorkCalendarSetFormTest, OpensWithTheDefaultsInsideTheCalendar)
{
    for (const char* name : {"chkMon", "chkTue", "chkWed", "chkThu", "chkFri"})
        EXPECT_FALSE(Control<QCheckBox>(dialog, name).isChecked());
    EXPECT_TRUE(Control<QCheckBox>(dialog, "chkSun").isChecked());
    EXPECT_EQ(dialog.Holidays().RecordCount(), 8);
    auto& begin = Control<DatePicker>(dialog, "dtpBeg");
    EXPECT_EQ(begin.Date(), Day(2026, 12, 6));
    EXPECT_EQ(Control<DatePicker>(dialog, "dtpEnd").Date(), Day(2026, 12, 31));
    begin.SetDate(Day(2025, 1, 1));
    EXPECT_EQ(begin.Date(), Day(2026, 1, 1));  // the pickers stay inside the calendar

    ShowAtDefaultSize(dialog);
    for (const char* control : {"dtpBeg", "dtpEnd", "chkSun", "chkSat", "QxDBGrid1", "btnOk", "btnCancel"})
        ExpectInside(dialog, Control<QWidget>(dialog, control));
    for (const char* title : {"月", "日"}) ExpectColumnShown(Control<QTableView>(dialog, "QxDBGrid1"), title);
}

TEST_F(WorkCalendarSetFormTest, RefusalsKeepTheDialogOpen)
{
    Control<DatePicker>(dialog, "dtpEnd").SetDate(Day(2026, 12, 5));
    dialog.btnOKClick();
    EXPECT_EQ(dialog.ModalResult(), mrNone);
    Control<DatePicker>(dialog, "dtpEnd").SetDate(Day(2026, 12, 31));

    dialog.N1Click();
    dialog.N1Click();  // the last row is still blank: no second one
    EXPECT_EQ(dialog.Holidays().RecordCount(), 9);
    SetRow(13, 1);
    dialog.btnOKClick();
    SetRow(2, 30);
    dialog.btnOKClick();
    EXPECT_EQ(dialog.ModalResult(), mrNone);
    EXPECT_EQ(dialogs.Texts(),
              (std::vector<std::string>{"结束日期应大于开始日期!", "请输入正确的月份!", "请输入正确的日数!"}));

    SetRow(2, Variant());  // only the month: dropped without a word
    dialog.btnOKClick();
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    EXPECT_EQ(dialog.Holidays().RecordCount(), 8);
    EXPECT_EQ(dialogs.Messages().size(), 3u);
}

// A month typed into the grid is taken as typed; 确定 tells what is wrong with it.
TEST_F(WorkCalendarSetFormTest, AMonthOutsideTheYearIsToldAtOk)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto& grid = Control<DbGrid>(dialog, "QxDBGrid1");
    test::TypeIntoCell(grid, 0, "Month", "13");
    EXPECT_TRUE(dialogs.Messages().empty()) << ::testing::PrintToString(dialogs.Texts());
    EXPECT_EQ(grid.Model().CellText(0, grid.Model().ColumnIndexOf("Month")), "13");
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    EXPECT_EQ(dialogs.Texts(), std::vector<std::string>{"请输入正确的月份!"});
    EXPECT_EQ(dialog.ModalResult(), mrNone);
}

TEST_F(WorkCalendarSetFormTest, AllRestDaysAskAndTheRowMenuAddsAndDeletes)
{
    for (const char* name : {"chkSun", "chkMon", "chkTue", "chkWed", "chkThu", "chkFri", "chkSat"})
        Control<QCheckBox>(dialog, name).setChecked(true);
    dialogs.Answer({AnswerNo, AnswerYes});
    dialog.btnOKClick();
    EXPECT_EQ(dialog.ModalResult(), mrNone);

    dialog.Holidays().First();
    Control<QAction>(dialog, "N2").trigger();
    EXPECT_EQ(dialog.Holidays().RecordCount(), 7);
    Control<QAction>(dialog, "N1").trigger();
    SetRow(12, 25);
    dialog.btnOKClick();
    EXPECT_EQ(dialog.ModalResult(), mrOk);
    auto setting = dialog.Setting();
    EXPECT_TRUE(std::ranges::all_of(setting.restDays, [](bool rest) { return rest; }));
    dialog.Holidays().Last();
    EXPECT_EQ(dialog.Holidays().FieldByName("Day").AsInteger(), 25);
    EXPECT_EQ(dialogs.PendingAnswers(), 0u);
}

}  // namespace
}  // namespace mfg
