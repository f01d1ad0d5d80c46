#include <gtest/gtest.h>

#include "CalendarFixture.h"
#include "MonthSheet.h"
#include "host/Users.h"

namespace mfg {
namespace {

class MonthSheetTest : public test::CalendarTest {};

TEST_F(MonthSheetTest, DaysSitInTheirWeekdayColumnsAndANewRowFollowsSaturday)
{
    MonthSheet sheet;
    EXPECT_EQ(sheet.Year(), 2026);
    EXPECT_EQ(sheet.Month(), 12);
    EXPECT_EQ(sheet.At(1, 0).day, 0);  // Sunday and Monday before the 1st stay empty
    EXPECT_EQ(sheet.At(1, 1).day, 0);
    EXPECT_EQ(sheet.At(1, 2).day, 1);  // a Tuesday
    EXPECT_FALSE(sheet.At(1, 2).isHoliday);
    EXPECT_EQ(sheet.At(1, 6).day, 5);
    EXPECT_TRUE(sheet.At(1, 6).isHoliday);
    EXPECT_EQ(sheet.At(2, 0).day, 6);
    EXPECT_EQ(sheet.At(5, 4).day, 31);
    EXPECT_EQ(sheet.At(6, 0).day, 0);
    EXPECT_THROW(sheet.At(0, 0), std::out_of_range);

    // May 2027 starts on a Saturday and needs the sixth row.
    sheet.ShowYear(2027);
    sheet.ShowMonth(5);
    EXPECT_EQ(sheet.At(1, 6).day, 1);
    EXPECT_EQ(sheet.At(6, 1).day, 31);
    EXPECT_EQ(MonthSheet::WeekdayNames().front(), "星期日");
}

TEST_F(MonthSheetTest, MovingStopsAtTheFirstAndTheLastYear)
{
    MonthSheet sheet;
    EXPECT_EQ(sheet.MinYear(), 2026);
    EXPECT_EQ(sheet.MaxYear(), 2028);
    EXPECT_TRUE(sheet.NextMonth());
    EXPECT_EQ(std::pair(sheet.Year(), sheet.Month()), std::pair(2027, 1));
    EXPECT_TRUE(sheet.PrevMonth());
    EXPECT_EQ(std::pair(sheet.Year(), sheet.Month()), std::pair(2026, 12));

    sheet.ShowYear(2020);  // kept within the years of the calendar
    EXPECT_EQ(sheet.Year(), 2026);
    sheet.ShowMonth(1);
    EXPECT_FALSE(sheet.PrevMonth());
    EXPECT_EQ(std::pair(sheet.Year(), sheet.Month()), std::pair(2026, 1));
    sheet.ShowYear(2028);
    sheet.ShowMonth(12);
    EXPECT_FALSE(sheet.NextMonth());
    EXPECT_EQ(std::pair(sheet.Year(), sheet.Month()), std::pair(2028, 12));
}

TEST_F(MonthSheetTest, TogglingIgnoresHeadersEmptyCellsAndUsersWithoutTheRight)
{
    MonthSheet sheet;
    EXPECT_FALSE(sheet.Toggle(0, 3));
    EXPECT_FALSE(sheet.Toggle(1, 0));
    EXPECT_EQ(Sequence(2027, 1, 4), 257);

    Users users(host.DBStartup());
    CurrentUsersScope usersScope(users);
    int clerk = users.AddUser({"clerk", "文员", "", 1});
    host.SetUser(clerk, "文员");
    EXPECT_FALSE(sheet.Toggle(2, 3));
    EXPECT_EQ(Mark(2026, 12, 9), 0);

    users.Grant(clerk, 2046, static_cast<int>(PrivKind::Append));
    EXPECT_TRUE(sheet.Toggle(2, 3));  // Wednesday the 9th
    EXPECT_TRUE(sheet.At(2, 3).isHoliday);
    EXPECT_EQ(Mark(2026, 12, 9), 1);
    EXPECT_EQ(Sequence(2026, 12, 10), 240);
}

TEST_F(MonthSheetTest, AfterAFailureOrAStaleCellTheSheetShowsWhatIsStored)
{
    MonthSheet sheet;
    SetCalendarDay(DateTime::FromYmd(2026, 12, 9), true);  // another user was quicker
    EXPECT_FALSE(sheet.Toggle(2, 3));
    EXPECT_TRUE(sheet.At(2, 3).isHoliday);
    EXPECT_EQ(Sequence(2026, 12, 10), 240);  // not shifted twice

    test::RefuseWrites(host.DBStartup(), "MNF_CALENDAR", "update of SEQUENCE", "", "shift refused");
    EXPECT_THROW(sheet.Toggle(2, 4), DbError);
    EXPECT_FALSE(sheet.At(2, 4).isHoliday);
    EXPECT_EQ(Mark(2026, 12, 10), 0);
}

}  // namespace
}  // namespace mfg
