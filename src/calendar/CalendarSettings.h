#pragma once
// The rest weekdays and the yearly holidays that decide which days of the factory calendar are
// rest days, and the settings file "ShopCalendar.dat" that remembers them between runs.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "types/DateTime.h"

namespace mfg {

class DataSet;

//! Entries of the holiday table, used or not.
inline constexpr int HolidayCapacity = 365;
//! Bytes of "ShopCalendar.dat": 7 flags, the count, the whole holiday table.
inline constexpr std::size_t CalendarSettingsFileSize = 7 + 4 + HolidayCapacity * 8;

//! A yearly holiday. Rows of the dialog may leave either part empty (0 here).
struct MonthDay {
    std::int32_t month = 0;
    std::int32_t day = 0;
    friend bool operator==(const MonthDay&, const MonthDay&) = default;
};

//! Rest-weekday flags, Sunday first (index = DayOfWeek() - 1).
using RestWeekdays = std::array<bool, 7>;

//! Sunday and Saturday.
RestWeekdays DefaultRestWeekdays();

//! The fixed holiday table: 365 (month, day) entries, of which the first Count() are in use.
class HolidayList {
public:
    //! The default list: New Year (1-1, 1-2), Labour Day (5-1..5-3), National Day (10-1..10-3).
    HolidayList();

    //! True when (month, day) is among the entries in use.
    bool IsListed(int month, int day) const;
    //! Clears every entry and takes `holidays` in order, stopping after the table is full.
    void Load(std::span<const MonthDay> holidays);
    //! Replaces the whole table and the count as stored; the count is trusted to be 0..365.
    void Assign(const std::array<MonthDay, HolidayCapacity>& table, int count);

    int Count() const { return count; }
    const std::array<MonthDay, HolidayCapacity>& Table() const { return entries; }
    //! The entries in use, in order.
    std::vector<MonthDay> InUse() const;

private:
    std::array<MonthDay, HolidayCapacity> entries{};
    std::int32_t count = 0;
};

//! What the settings file holds.
struct CalendarSettings {
    RestWeekdays restDays = DefaultRestWeekdays();
    HolidayList holidays;
};

//! The file image, little-endian whatever the machine: flags, count, the whole table.
std::array<std::uint8_t, CalendarSettingsFileSize> EncodeCalendarSettings(const CalendarSettings& settings);
//! The settings of a file image; none when it is shorter than the layout or its count is not 0..365.
std::optional<CalendarSettings> DecodeCalendarSettings(std::span<const std::uint8_t> bytes);

//! Where the settings live: "ShopCalendar.dat" in the host's temporary directory.
std::filesystem::path CalendarSettingsPath();

//! The settings to start from and whether they came from the file.
struct LoadedCalendarSettings {
    CalendarSettings settings;
    bool fromFile = false;
};

//! Reads the settings file. Without one, the defaults. A file that is too short or cannot be read
//! also gives the defaults, and the user is told, so a damaged file is not mistaken for a choice.
LoadedCalendarSettings ReadCalendarSettings();
//! Writes the settings file whole, created anew; throws std::runtime_error when it cannot.
void WriteCalendarSettings(const CalendarSettings& settings);

//! The module's holiday list, shared by the extension and the quick setting for the life of the
//! module.
HolidayList& ModuleHolidayList();
//! True when the pair is among the entries in use of the module's holiday list.
bool IsListedHoliday(int month, int day);
//! Replaces the module's holiday list from the dialog's rows (fields Month and Day), in order;
//! an empty field reads as 0.
void LoadHolidayList(DataSet& holidays);

//! True unless every weekday is a rest day and the user, asked whether to go on, says No.
bool ConfirmRestWeekdays(const RestWeekdays& restDays);

//! A rest day: its weekday is flagged or its month and day are a listed holiday.
bool IsRestDay(DateTime day, const RestWeekdays& restDays);

}  // namespace mfg
