#include <gtest/gtest.h>

#include "WorkDays.h"
#include "host/HostFixture.h"

namespace mfg {
namespace {

DateTime D(int y, int m, int d)
{
    return DateTime::FromYmd(y, m, d);
}

TEST(WorkDaysTest, OnOrBeforeClampsToTheCalendarEnds)
{
    WorkDays days({D(2026, 12, 4), D(2026, 12, 7), D(2026, 12, 8)});
    EXPECT_EQ(days.WorkDayOnOrBefore(D(2026, 12, 6)), D(2026, 12, 4));  // a Sunday: the Friday before
    EXPECT_EQ(days.WorkDayOnOrBefore(D(2026, 12, 7)), D(2026, 12, 7));
    EXPECT_EQ(days.WorkDayOnOrBefore(D(2026, 1, 1)), D(2026, 12, 4));
    EXPECT_EQ(days.WorkDayOnOrBefore(D(2027, 1, 1)), D(2026, 12, 8));
    EXPECT_TRUE(days.IsWorkDay(D(2026, 12, 8)));
    EXPECT_FALSE(days.IsWorkDay(D(2026, 12, 5)));
}

TEST(WorkDaysTest, CountStartsNoEarlierThanTodayAndNeverGivesZero)
{
    WorkDays days({D(2026, 12, 4), D(2026, 12, 7), D(2026, 12, 8), D(2026, 12, 9), D(2026, 12, 14)});
    DateTime today = D(2026, 12, 6);
    EXPECT_EQ(days.CountWorkDays(D(2026, 12, 7), D(2026, 12, 9), today), 3);
    EXPECT_EQ(days.CountWorkDays(D(2026, 12, 1), D(2026, 12, 8), today), 2);   // counted from today on
    EXPECT_EQ(days.CountWorkDays(D(2026, 12, 7), D(2026, 12, 11), today), 4);  // up to the first day after the end
    EXPECT_EQ(days.CountWorkDays(D(2026, 12, 1), D(2026, 12, 4), today), 1);   // a window wholly past
    EXPECT_EQ(days.CountWorkDays(D(2026, 12, 9), D(2027, 3, 1), today), 2);    // runs out at the calendar's end
    EXPECT_EQ(days.CountWorkDays(D(2027, 1, 1), D(2027, 3, 1), today), 1);
}

class WorkDaysLoadTest : public test::DemoHostTest {};

TEST_F(WorkDaysLoadTest, TheDemoCalendarSkipsWeekendsAndHolidays)
{
    auto days = WorkDays::Load();
    EXPECT_TRUE(days.IsWorkDay(D(2026, 12, 31)));
    EXPECT_FALSE(days.IsWorkDay(D(2027, 1, 1)));  // New Year
    EXPECT_FALSE(days.IsWorkDay(D(2027, 1, 3)));  // Sunday
    EXPECT_EQ(days.WorkDayOnOrBefore(D(2027, 1, 3)), D(2026, 12, 31));
    EXPECT_EQ(days.CountWorkDays(D(2026, 12, 28), D(2027, 1, 5), D(2026, 12, 6)), 6);
}

}  // namespace
}  // namespace mfg
