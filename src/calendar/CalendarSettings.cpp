#include "CalendarSettings.h"

#include <algorithm>
#include <stdexcept>

#include "data/DataSet.h"
#include "host/Dialogs.h"
#include "host/FileReplace.h"
#include "host/Host.h"

namespace mfg {
namespace {

constexpr std::size_t CountOffset = 7;
constexpr std::size_t TableOffset = 11;
// A file of ours is CalendarSettingsFileSize bytes; one far larger is no settings file.
constexpr std::size_t MaxSettingsFileBytes = 64 * 1024;

constexpr std::array<MonthDay, 8> DefaultHolidays{{{1, 1}, {1, 2}, {5, 1}, {5, 2}, {5, 3}, {10, 1}, {10, 2}, {10, 3}}};

void PutInt32(std::uint8_t* at, std::int32_t value)
{
    auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t GetInt32(const std::uint8_t* at)
{
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

std::int32_t FieldInt(DataSet& rows, const char* name)
{
    const Field& field = rows.FieldByName(name);
    return field.IsNull() ? 0 : static_cast<std::int32_t>(field.AsInteger());
}

}  // namespace

RestWeekdays DefaultRestWeekdays()
{
    return {true, false, false, false, false, false, true};
}

HolidayList::HolidayList()
{
    Load(DefaultHolidays);
}

bool HolidayList::IsListed(int month, int day) const
{
    auto used = std::span(entries).first(static_cast<std::size_t>(count));
    return std::ranges::any_of(used, [&](const MonthDay& entry) { return entry.month == month && entry.day == day; });
}

void HolidayList::Load(std::span<const MonthDay> holidays)
{
    entries.fill({});
    auto taken = holidays.first(std::min<std::size_t>(holidays.size(), HolidayCapacity));
    std::ranges::copy(taken, entries.begin());
    count = static_cast<std::int32_t>(taken.size());
}

void HolidayList::Assign(const std::array<MonthDay, HolidayCapacity>& table, int used)
{
    entries = table;
    count = used;
}

std::vector<MonthDay> HolidayList::InUse() const
{
    return {entries.begin(), entries.begin() + count};
}

std::array<std::uint8_t, CalendarSettingsFileSize> EncodeCalendarSettings(const CalendarSettings& settings)
{
    std::array<std::uint8_t, CalendarSettingsFileSize> bytes{};
    for (std::size_t i = 0; i < settings.restDays.size(); ++i) bytes[i] = settings.restDays[i] ? 1 : 0;
    PutInt32(&bytes[CountOffset], settings.holidays.Count());
    std::uint8_t* at = &bytes[TableOffset];
    for (const MonthDay& entry : settings.holidays.Table()) {
        PutInt32(at, entry.month);
        PutInt32(at + 4, entry.day);
        at += 8;
    }
    return bytes;
}

std::optional<CalendarSettings> DecodeCalendarSettings(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < CalendarSettingsFileSize) return std::nullopt;
    std::int32_t count = GetInt32(&bytes[CountOffset]);
    if (count < 0 || count > HolidayCapacity) return std::nullopt;
    CalendarSettings settings;
    for (std::size_t i = 0; i < settings.restDays.size(); ++i) settings.restDays[i] = bytes[i] != 0;
    std::array<MonthDay, HolidayCapacity> table{};
    const std::uint8_t* at = &bytes[TableOffset];
    for (MonthDay& entry : table) {
        entry = {GetInt32(at), GetInt32(at + 4)};
        at += 8;
    }
    settings.holidays.Assign(table, count);
    return settings;
}

std::filesystem::path CalendarSettingsPath()
{
    return CurrentHost().TempDirectory() + "ShopCalendar.dat";
}

LoadedCalendarSettings ReadCalendarSettings()
{
    auto path = CalendarSettingsPath();
    std::optional<std::string> content;
    try {
        content = ReadSettingsFile(path, MaxSettingsFileBytes);
    } catch (const FileReplaceError& error) {
        ShowWarning(std::string(error.what()) + "。已按默认的公休日和节假日处理。");
        return {};
    }
    if (!content) return {};
    if (auto settings = DecodeCalendarSettings(
            std::span(reinterpret_cast<const std::uint8_t*>(content->data()), content->size()))) return {*settings, true};
    ShowWarning("工厂日历设置文件 " + path.string() + " 不完整或无法读取, 已按默认的公休日和节假日处理。");
    return {};
}

void WriteCalendarSettings(const CalendarSettings& settings)
{
    auto path = CalendarSettingsPath();
    auto bytes = EncodeCalendarSettings(settings);
    try {
        ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } catch (const FileReplaceError& error) {
        throw std::runtime_error("无法写入工厂日历设置文件 " + path.string() + ": " + error.what());
    }
}

bool ConfirmRestWeekdays(const RestWeekdays& restDays)
{
    if (!std::ranges::all_of(restDays, [](bool rest) { return rest; })) return true;
    return ShowMessageBox("你现在设置全部的天数为公休日,请确认是否继续?", "提示", MessageButtons::YesNo,
                          MessageIcon::Question) == AnswerYes;
}

HolidayList& ModuleHolidayList()
{
    static HolidayList list;
    return list;
}

bool IsListedHoliday(int month, int day)
{
    return ModuleHolidayList().IsListed(month, day);
}

void LoadHolidayList(DataSet& holidays)
{
    std::vector<MonthDay> rows;
    if (holidays.Active()) {
        auto place = holidays.GetBookmark();
        for (holidays.First(); !holidays.Eof(); holidays.Next())
            rows.push_back({FieldInt(holidays, "Month"), FieldInt(holidays, "Day")});
        if (holidays.BookmarkValid(place)) holidays.GotoBookmark(place);
    }
    ModuleHolidayList().Load(rows);
}

bool IsRestDay(DateTime day, const RestWeekdays& restDays)
{
    return restDays[static_cast<std::size_t>(day.DayOfWeek() - 1)] || IsListedHoliday(day.Month(), day.Day());
}

}  // namespace mfg
