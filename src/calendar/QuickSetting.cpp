#include "QuickSetting.h"

#include <algorithm>
#include <array>

#include "WorkCalendar.h"
#include "data/DataSet.h"
#include "host/Dialogs.h"

namespace mfg {
namespace {

// February counts 29 days in every year: a holiday list is the same for every year.
constexpr std::array<int, 12> MaxDays{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

void Tell(std::string_view text)
{
    ShowMessageBox(text, "提示", MessageButtons::Ok, MessageIcon::Information);
}

}  // namespace

std::unique_ptr<DataSet> CreateHolidayRows()
{
    auto rows = std::make_unique<DataSet>("IBCDSTmp");
    rows->AddField("Month", FieldType::Integer);
    rows->AddField("Day", FieldType::Integer);
    rows->CreateDataSet();
    return rows;
}

void AppendHolidayRows(DataSet& rows, const std::vector<MonthDay>& holidays)
{
    for (const MonthDay& holiday : holidays) rows.AppendRecord({holiday.month, holiday.day});
}

QuickSettingPreset PrepareQuickSetting(DataSet& rows)
{
    QuickSettingPreset preset;
    preset.calendarRange = CalendarRange();
    DateTime reference = CalendarReferenceDay();
    if (preset.calendarRange && reference < preset.calendarRange->second) {
        preset.begin = reference;
        preset.end = std::min(DateTime::FromYmd(reference.Year(), 12, 31), preset.calendarRange->second);
    }
    auto loaded = ReadCalendarSettings();
    preset.restDays = loaded.settings.restDays;
    AppendHolidayRows(rows, loaded.settings.holidays.InUse());
    rows.First();
    return preset;
}

QuickSettingCheck CheckQuickSetting(const QuickSetting& setting, DataSet& rows)
{
    if (setting.end.Date() < setting.begin.Date()) {
        Tell("结束日期应大于开始日期!");
        return QuickSettingCheck::EndBeforeStart;
    }
    if (!ConfirmRestWeekdays(setting.restDays)) return QuickSettingCheck::AllRestDeclined;
    rows.First();
    while (!rows.Eof()) {
        const Field& month = rows.FieldByName("Month");
        const Field& day = rows.FieldByName("Day");
        if (month.IsNull() || day.IsNull()) {
            rows.Delete();
            continue;
        }
        if (month.AsInteger() < 1 || month.AsInteger() > 12) {
            Tell("请输入正确的月份!");
            return QuickSettingCheck::BadMonth;
        }
        if (day.AsInteger() < 1 || day.AsInteger() > MaxDays[static_cast<std::size_t>(month.AsInteger() - 1)]) {
            Tell("请输入正确的日数!");
            return QuickSettingCheck::BadDay;
        }
        rows.Next();
    }
    return QuickSettingCheck::Accepted;
}

}  // namespace mfg
