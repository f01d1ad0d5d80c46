#include <gtest/gtest.h>

#include "CalendarCheck.h"
#include "CalendarFixture.h"
#include "QuickSetting.h"
#include "WorkCalendar.h"
#include "data/DataSet.h"

namespace mfg {
namespace {

using test::CalendarTest;

DateTime Day(int year, int month, int day)
{
    return DateTime::FromYmd(year, month, day);
}

//! The problems of the calendar as text, empty when the numbering holds and no day is missing.
std::vector<std::string> Problems()
{
    std::vector<std::string> texts;
    for (const auto& problem : CheckCalendar()) texts.push_back(problem.Describe());
    return texts;
}

class ExtendCalendarTest : public CalendarTest {
protected:
    static ExtendResult Extend() { return ExtendCalendar(); }
};

TEST_F(ExtendCalendarTest, AnEmptyCalendarStartsAtAStartYearBefore2002)
{
    EmptyCalendar("1999");
    auto result = Extend();
    EXPECT_EQ(result.firstAdded, Day(1999, 1, 1));
    EXPECT_EQ(result.endDay, Day(2028, 12, 31));
    EXPECT_EQ(result.daysAdded, Day(2028, 12, 31).DayNumber() - Day(1999, 1, 1).DayNumber() + 1);
    EXPECT_EQ(host.GetValueOfSql("select count(*) from MNF_CALENDAR").AsInteger(), result.daysAdded);
    // 1999-01-01 (New Year, a Friday) to 01-03 rest; Monday the 4th is working day 1.
    EXPECT_EQ(Mark(1999, 1, 1), 1);
    EXPECT_EQ(Sequence(1999, 1, 1), 1);
    EXPECT_EQ(Sequence(1999, 1, 3), 1);
    EXPECT_EQ(Mark(1999, 1, 4), 0);
    EXPECT_EQ(Sequence(1999, 1, 4), 1);
    EXPECT_EQ(Sequence(1999, 1, 5), 2);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
    EXPECT_EQ(Extend().daysAdded, 0);  // already reaches the end day
}

TEST_F(ExtendCalendarTest, AStartYearFrom2002OnStartsIn2002)
{
    EmptyCalendar("2010");
    EXPECT_EQ(Extend().firstAdded, Day(2002, 1, 1));
    EXPECT_EQ(Sequence(2002, 1, 3), 1);  // Thursday, the first working day
    EXPECT_EQ(Problems(), std::vector<std::string>{});
    for (const char* text : {"", "abc", "1850", "2001x"}) {
        EmptyCalendar(text);
        EXPECT_EQ(CalendarStartYear(), 2002) << text;
    }
    EmptyCalendar(" 2001 ");
    EXPECT_EQ(CalendarStartYear(), 2001);
}

TEST_F(ExtendCalendarTest, ContinuingAfterAWorkingDayOrARestDay)
{
    // The calendar ends on Wednesday 2026-12-23, a working day numbered 250 ...
    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE > '2026-12-23'");
    ASSERT_EQ(Sequence(2026, 12, 23), 250);
    EXPECT_EQ(Extend().firstAdded, Day(2026, 12, 24));
    EXPECT_EQ(Sequence(2026, 12, 24), 251);
    EXPECT_EQ(Problems(), std::vector<std::string>{});

    // ... or on a rest day numbered 251.
    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE > '2026-12-24'");
    host.SqlExecute("update MNF_CALENDAR set ISHOLIDAY = 1 where WORKDATE = '2026-12-24'");
    ASSERT_EQ(Sequence(2026, 12, 24), 251);
    Extend();
    EXPECT_EQ(Sequence(2026, 12, 25), 251);
    EXPECT_EQ(Sequence(2026, 12, 26), 252);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ExtendCalendarTest, EachRowByItselfNumbersTheSame)
{
    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE > '2028-12-20'");
    std::vector<std::pair<int, int>> progress;
    ExtendOptions options;
    options.progress = [&](int done, int total) { progress.emplace_back(done, total); };
    auto result = ExtendCalendar(options);
    EXPECT_EQ(result.daysAdded, 11);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{11, 11}}));
    EXPECT_EQ(Sequence(2028, 12, 29), 769);
    EXPECT_EQ(Sequence(2028, 12, 31), 770);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ExtendCalendarTest, TheReferenceDayIsTheLaterOfTodayAndThePostingMonth)
{
    host.SetToday(Day(2025, 6, 1));  // before the open posting month, December 2026
    EXPECT_EQ(CalendarReferenceDay(), Day(2026, 12, 1));
    EXPECT_EQ(Extend().daysAdded, 0);
    host.SetToday(Day(2027, 3, 1));
    EXPECT_EQ(CalendarReferenceDay(), Day(2027, 3, 1));
}

TEST_F(ExtendCalendarTest, TheSettingsFileDecidesTheRestDaysAndReplacesTheHolidayList)
{
    CalendarSettings settings;
    settings.restDays = {};
    settings.holidays.Load(std::vector<MonthDay>{{1, 3}});
    WriteCalendarSettings(settings);
    host.SetToday(Day(2027, 3, 1));  // reaches to the end of 2029
    auto result = Extend();
    EXPECT_EQ(result.endDay, Day(2029, 12, 31));
    EXPECT_EQ(result.firstAdded, Day(2029, 1, 1));
    EXPECT_EQ(Mark(2029, 1, 1), 0);        // no longer a holiday
    EXPECT_EQ(Mark(2029, 1, 3), 1);        // listed in the file
    EXPECT_EQ(Mark(2029, 1, 6), 0);        // Saturday works
    EXPECT_EQ(Sequence(2029, 1, 1), 770);  // the calendar ended on a rest day numbered 770
    EXPECT_FALSE(IsListedHoliday(1, 1));
    EXPECT_EQ(Problems(), std::vector<std::string>{});
    ModuleHolidayList() = HolidayList();
}

class QuickSettingTest : public CalendarTest {
protected:
    // A quick setting replaces the module's holiday list; the next test starts from the file's.
    ~QuickSettingTest() override { ModuleHolidayList() = HolidayList(); }

    QuickSettingResult Apply(DateTime begin, DateTime end, RestWeekdays restDays,
                             const std::vector<MonthDay>& holidays = {})
    {
        auto rows = CreateHolidayRows();
        AppendHolidayRows(*rows, holidays);
        return ApplyQuickSetting({begin, end, restDays}, *rows);
    }
};

TEST_F(QuickSettingTest, ARestDayInsideTheRangeLowersEveryLaterNumber)
{
    auto before = Sequence(2027, 3, 1);
    auto result = Apply(Day(2026, 12, 7), Day(2026, 12, 31), DefaultRestWeekdays(), {{12, 9}, {1, 1}});
    EXPECT_EQ(result.daysInRange, 25);
    EXPECT_EQ(result.shiftAfterRange, -1);
    EXPECT_EQ(Mark(2026, 12, 9), 1);
    EXPECT_EQ(Sequence(2026, 12, 9), 240);
    EXPECT_EQ(Sequence(2026, 12, 10), 240);
    EXPECT_EQ(Sequence(2027, 3, 1), before - 1);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
    EXPECT_TRUE(IsListedHoliday(12, 9));
    auto saved = ReadCalendarSettings();
    ASSERT_TRUE(saved.fromFile);
    EXPECT_EQ(saved.settings.holidays.InUse(), (std::vector<MonthDay>{{12, 9}, {1, 1}}));
}

TEST_F(QuickSettingTest, WorkingSaturdaysRaiseTheLaterNumbers)
{
    auto before = Sequence(2027, 6, 1);
    RestWeekdays sundayOnly{true, false, false, false, false, false, false};
    auto result = Apply(Day(2027, 1, 1), Day(2027, 1, 31), sundayOnly, {{1, 1}});
    EXPECT_EQ(result.shiftAfterRange, 5);  // the five Saturdays of January 2027
    EXPECT_EQ(Mark(2027, 1, 2), 0);
    EXPECT_EQ(Sequence(2027, 6, 1), before + 5);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(QuickSettingTest, AllRestDaysKeepOneNumberAndARangeToTheEndShiftsNothing)
{
    RestWeekdays all;
    all.fill(true);
    auto first = Sequence(2028, 12, 1);
    auto result = Apply(Day(2028, 12, 1), Day(2028, 12, 31), all);
    EXPECT_EQ(result.shiftAfterRange, 0);  // no day after the range
    EXPECT_EQ(host.GetValueOfSql("select count(distinct SEQUENCE) from MNF_CALENDAR where WORKDATE >= '2028-12-01'")
                  .AsInteger(),
              1);
    EXPECT_EQ(Sequence(2028, 12, 31), first);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(QuickSettingTest, AFailureLeavesTheCalendarAndTheFileAsTheyWere)
{
    // 2027-04-23 and after: the shift fails part way through.
    test::RefuseWrites(host.DBStartup(), "MNF_CALENDAR", "update of SEQUENCE",
                       test::OnPostgres() ? "old.WORKDATE > '2027-04-23'" : "old.WORKDATE > 46500", "shift refused");
    auto before = host.DBStartup().Query("select * from MNF_CALENDAR order by WORKDATE").rows;
    EXPECT_THROW(Apply(Day(2026, 12, 7), Day(2026, 12, 31), DefaultRestWeekdays(), {{12, 9}}), DbError);
    EXPECT_EQ(host.DBStartup().Query("select * from MNF_CALENDAR order by WORKDATE").rows, before);
    EXPECT_FALSE(std::filesystem::exists(CalendarSettingsPath()));
}

class ToggleDayTest : public CalendarTest {};

TEST_F(ToggleDayTest, AWednesdayRestDayTakesTheNumberOfThursdayAndBack)
{
    auto later = Sequence(2027, 5, 10);
    ASSERT_EQ(Sequence(2026, 12, 9), 240);
    EXPECT_TRUE(SetCalendarDay(Day(2026, 12, 9), true));
    EXPECT_EQ(Sequence(2026, 12, 9), 240);
    EXPECT_EQ(Sequence(2026, 12, 10), 240);
    EXPECT_EQ(Sequence(2027, 5, 10), later - 1);
    EXPECT_EQ(Problems(), std::vector<std::string>{});

    EXPECT_FALSE(SetCalendarDay(Day(2026, 12, 9), true));  // already a rest day: no second shift
    EXPECT_EQ(Sequence(2027, 5, 10), later - 1);

    EXPECT_TRUE(SetCalendarDay(Day(2026, 12, 12), false));  // a Saturday becomes a working day
    EXPECT_EQ(Sequence(2026, 12, 12), 243 - 1);
    EXPECT_EQ(Sequence(2026, 12, 14), 243);
    EXPECT_TRUE(SetCalendarDay(Day(2026, 12, 9), false));
    EXPECT_EQ(Sequence(2027, 5, 10), later + 1);
    EXPECT_EQ(Problems(), std::vector<std::string>{});

    EXPECT_THROW(SetCalendarDay(Day(2031, 1, 1), true), std::invalid_argument);
}

TEST_F(ToggleDayTest, AFailedShiftUndoesTheMark)
{
    test::RefuseWrites(host.DBStartup(), "MNF_CALENDAR", "update of SEQUENCE", "", "shift refused");
    EXPECT_THROW(SetCalendarDay(Day(2026, 12, 9), true), DbError);
    EXPECT_EQ(Mark(2026, 12, 9), 0);
}

class CalendarReadTest : public CalendarTest {};

TEST_F(CalendarReadTest, WorkingDaysComeInDateOrderWithConsecutiveNumbers)
{
    SetCalendarDay(Day(2027, 2, 3), true);
    auto days = ReadWorkingDays();
    ASSERT_FALSE(days.empty());
    EXPECT_EQ(days.front().sequence, 1);
    EXPECT_EQ(days.front().date, Day(2026, 1, 5));
    for (std::size_t i = 1; i < days.size(); ++i) {
        ASSERT_EQ(days[i].sequence, days[i - 1].sequence + 1) << days[i].date.ToIsoString();
        ASSERT_LT(days[i - 1].date, days[i].date);
    }
    auto december = ReadCalendarMonth(2026, 12);
    ASSERT_EQ(december.size(), 31u);
    EXPECT_TRUE(december[4].isHoliday);
    EXPECT_EQ(december[8].sequence, 240);
    EXPECT_EQ(ReadCalendarDay(Day(2026, 12, 9))->sequence, 240);
    EXPECT_FALSE(ReadCalendarDay(Day(2030, 1, 1)));
    EXPECT_EQ(CalendarReferenceDay(), Day(2026, 12, 6));
}

TEST_F(CalendarReadTest, TheCheckFindsGapsBrokenNumbersAndBadMarksOnce)
{
    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE between '2027-03-02' and '2027-03-04'");
    host.SqlExecute("update MNF_CALENDAR set SEQUENCE = SEQUENCE + 7 where WORKDATE = '2027-04-07'");
    host.SqlExecute("update MNF_CALENDAR set ISHOLIDAY = 2 where WORKDATE = '2027-05-01'");
    auto problems = CheckCalendar();
    ASSERT_EQ(problems.size(), 5u) << ::testing::PrintToString(Problems());
    EXPECT_EQ(problems[0].kind, CalendarProblemKind::Gap);
    EXPECT_EQ(problems[0].expected, 3);
    EXPECT_EQ(problems[1].kind, CalendarProblemKind::Numbering);  // 03-05 still counts the missing days
    EXPECT_EQ(problems[1].date, Day(2027, 3, 5));
    EXPECT_EQ(problems[2].date, Day(2027, 4, 7));  // the raised day,
    EXPECT_EQ(problems[3].date, Day(2027, 4, 8));  // and the next day is reported against it
    EXPECT_EQ(problems[4].kind, CalendarProblemKind::Mark);
    EXPECT_EQ(problems[4].Describe(), "2027-05-01 的 ISHOLIDAY 为 2, 应为 0 或 1");
}

}  // namespace
}  // namespace mfg
