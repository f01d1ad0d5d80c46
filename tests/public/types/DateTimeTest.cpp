#include <gtest/gtest.h>

#include "types/DateTime.h"

using mfg::DateTime;

TEST(DateTime, DayNumbersMatchTheHostCalendar)
{
    EXPECT_EQ(DateTime::FromYmd(1899, 12, 30).DayNumber(), 0);
    EXPECT_EQ(DateTime::FromYmd(2024, 1, 1).DayNumber(), 45292);
    EXPECT_EQ(DateTime::FromYmd(2000, 2, 29).DayNumber(), 36585);
    auto d = DateTime(45292.75);
    EXPECT_EQ(d.Year(), 2024);
    EXPECT_EQ(d.Month(), 1);
    EXPECT_EQ(d.Day(), 1);
    EXPECT_EQ(d.Hour(), 18);
    EXPECT_EQ(DateTime::FromYmd(2024, 1, 1).DayOfWeek(), 2);  // a Monday
    EXPECT_EQ(DateTime::FromYmd(2026, 12, 6).DayOfWeek(), 1);  // a Sunday
    EXPECT_THROW(DateTime::FromYmd(2026, 2, 29), std::invalid_argument);
}

TEST(DateTime, WholeDayTruncatesTowardZero)
{
    EXPECT_EQ(DateTime(45292.99).Date().DayNumber(), 45292);
    EXPECT_EQ(DateTime(-1.5).Date().DayNumber(), -1);
    EXPECT_EQ(DateTime(45292.25).AddDays(30).Date(), DateTime::FromYmd(2024, 1, 31));
}

TEST(DateTime, AddMonthsClampsToTheLastDay)
{
    EXPECT_EQ(DateTime::FromYmd(2024, 1, 31).AddMonths(1), DateTime::FromYmd(2024, 2, 29));
    EXPECT_EQ(DateTime::FromYmd(2026, 12, 15).AddMonths(1), DateTime::FromYmd(2027, 1, 15));
    EXPECT_EQ(DateTime::FromYmd(2026, 1, 15).AddMonths(-1), DateTime::FromYmd(2025, 12, 15));
}

TEST(DateTime, FormatsTheModulePatterns)
{
    auto d = DateTime::FromYmdHms(2026, 3, 7, 8, 5, 9);
    EXPECT_EQ(d.Format("yyyy-mm-dd"), "2026-03-07");
    EXPECT_EQ(d.Format("mm/dd/yyyy"), "03/07/2026");
    EXPECT_EQ(d.Format("yyyy"), "2026");
    EXPECT_EQ(d.Format("mm"), "03");
    EXPECT_EQ(d.Format("dd"), "07");
    EXPECT_EQ(d.Format("yyyy-mm"), "2026-03");  // bill-code date part with its separator
    EXPECT_EQ(d.Format("mmddyyyy"), "03072026");
    EXPECT_EQ(d.Format("yyyy-mm-dd hh:nn:ss"), "2026-03-07 08:05:09");
    EXPECT_EQ(d.ToIsoString(), "2026-03-07 08:05:09");
    EXPECT_EQ(d.Date().ToIsoString(), "2026-03-07");
}

TEST(DateTime, ParsesOnlyRealDatesInBothLiteralForms)
{
    EXPECT_EQ(DateTime::Parse("2026-12-06"), DateTime::FromYmd(2026, 12, 6));
    EXPECT_EQ(DateTime::Parse("12/06/2026"), DateTime::FromYmd(2026, 12, 6));
    EXPECT_EQ(DateTime::Parse("2026/1/5"), DateTime::FromYmd(2026, 1, 5));
    EXPECT_EQ(DateTime::Parse("2026-12-06 12:00"), DateTime(DateTime::FromYmd(2026, 12, 6).DayNumber() + 0.5));
    EXPECT_FALSE(DateTime::Parse("2026-02-30"));
    EXPECT_FALSE(DateTime::Parse("13/01/2026"));
    EXPECT_FALSE(DateTime::Parse("2026-12-06x"));
    EXPECT_FALSE(DateTime::Parse("1,2,3"));
    EXPECT_FALSE(DateTime::Parse(""));
}
