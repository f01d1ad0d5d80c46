#include <gtest/gtest.h>

#include "CalendarFixture.h"
#include "QuickSetting.h"
#include "data/DataSet.h"

namespace mfg {
namespace {

class QuickSettingCheckTest : public test::CalendarTest {
protected:
    QuickSetting December()
    {
        return {DateTime::FromYmd(2026, 12, 7), DateTime::FromYmd(2026, 12, 31), DefaultRestWeekdays()};
    }
    QuickSettingCheck Check(const std::vector<std::pair<Variant, Variant>>& holidays, QuickSetting setting)
    {
        for (const auto& [month, day] : holidays) rows->AppendRecord({month, day});
        return CheckQuickSetting(setting, *rows);
    }
    QuickSettingCheck Check(const std::vector<std::pair<Variant, Variant>>& holidays) { return Check(holidays, December()); }

    std::unique_ptr<DataSet> rows = CreateHolidayRows();
};

TEST_F(QuickSettingCheckTest, TheRangeMustNotEndBeforeItStarts)
{
    auto setting = December();
    setting.end = setting.begin.AddDays(-1);
    EXPECT_EQ(Check({}, setting), QuickSettingCheck::EndBeforeStart);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].text, "结束日期应大于开始日期!");
    EXPECT_EQ(dialogs.Messages()[0].title, "提示");

    setting.end = setting.begin;
    EXPECT_EQ(Check({}, setting), QuickSettingCheck::Accepted);
}

TEST_F(QuickSettingCheckTest, AllSevenRestDaysAskFirst)
{
    auto setting = December();
    setting.restDays.fill(true);
    dialogs.Answer({AnswerNo, AnswerYes});
    EXPECT_EQ(Check({}, setting), QuickSettingCheck::AllRestDeclined);
    EXPECT_EQ(Check({}, setting), QuickSettingCheck::Accepted);
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Messages()[0].text, "你现在设置全部的天数为公休日,请确认是否继续?");
    EXPECT_EQ(dialogs.Messages()[0].kind, MessageKind::MessageBox);
}

TEST_F(QuickSettingCheckTest, BadMonthsAndDaysAreRefusedOnTheirRow)
{
    EXPECT_EQ(Check({{1, 1}, {13, 1}, {2, 30}}), QuickSettingCheck::BadMonth);
    EXPECT_EQ(rows->FieldByName("Month").AsInteger(), 13);  // the grid gets the focus on that row
    rows->EmptyDataSet();
    EXPECT_EQ(Check({{0, 5}}), QuickSettingCheck::BadMonth);
    rows->EmptyDataSet();
    EXPECT_EQ(Check({{2, 30}}), QuickSettingCheck::BadDay);
    rows->EmptyDataSet();
    EXPECT_EQ(Check({{4, 31}}), QuickSettingCheck::BadDay);
    rows->EmptyDataSet();
    EXPECT_EQ(Check({{6, 0}}), QuickSettingCheck::BadDay);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"请输入正确的月份!", "请输入正确的月份!", "请输入正确的日数!",
                                                         "请输入正确的日数!", "请输入正确的日数!"}));
}

TEST_F(QuickSettingCheckTest, RowsMissingAPartAreDroppedSilently)
{
    EXPECT_EQ(Check({{5, Variant()}, {2, 29}, {Variant(), 3}, {Variant(), Variant()}, {12, 31}}), QuickSettingCheck::Accepted);
    EXPECT_TRUE(dialogs.Messages().empty());
    ASSERT_EQ(rows->RecordCount(), 2);
    rows->First();
    EXPECT_EQ(rows->FieldByName("Day").AsInteger(), 29);
    rows->Last();
    EXPECT_EQ(rows->FieldByName("Month").AsInteger(), 12);
}

class QuickSettingPresetTest : public test::CalendarTest {};

TEST_F(QuickSettingPresetTest, WithoutAFileTheDefaultsFromTheReferenceDayToTheYearEnd)
{
    auto rows = CreateHolidayRows();
    auto preset = PrepareQuickSetting(*rows);
    ASSERT_TRUE(preset.calendarRange);
    EXPECT_EQ(preset.calendarRange->first, DateTime::FromYmd(2026, 1, 1));
    EXPECT_EQ(preset.calendarRange->second, DateTime::FromYmd(2028, 12, 31));
    EXPECT_EQ(preset.begin, DateTime::FromYmd(2026, 12, 6));
    EXPECT_EQ(preset.end, DateTime::FromYmd(2026, 12, 31));
    EXPECT_EQ(preset.restDays, DefaultRestWeekdays());
    EXPECT_EQ(rows->RecordCount(), 8);
    EXPECT_EQ(rows->RecNo(), 1);
}

TEST_F(QuickSettingPresetTest, TheFileGivesTheFlagsAndExactlyCountRowsAndTheEndStaysInTheCalendar)
{
    CalendarSettings settings;
    settings.restDays = {false, false, false, false, false, false, true};
    settings.holidays.Load(std::vector<MonthDay>{{8, 15}, {9, 9}});
    WriteCalendarSettings(settings);
    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE > '2026-12-20'");

    auto rows = CreateHolidayRows();
    auto preset = PrepareQuickSetting(*rows);
    EXPECT_EQ(preset.restDays, settings.restDays);
    EXPECT_EQ(rows->RecordCount(), 2);
    EXPECT_EQ(rows->FieldByName("Month").AsInteger(), 8);
    EXPECT_EQ(preset.end, DateTime::FromYmd(2026, 12, 20));

    host.SqlExecute("delete from MNF_CALENDAR where WORKDATE > '2026-12-01'");
    rows->EmptyDataSet();
    preset = PrepareQuickSetting(*rows);
    EXPECT_FALSE(preset.begin);  // the reference day lies past the calendar's end
    EXPECT_FALSE(preset.end);
}

}  // namespace
}  // namespace mfg
