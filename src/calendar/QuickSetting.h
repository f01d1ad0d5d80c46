#pragma once
// The quick-setting dialog's rules without its widgets: what it starts with and what its OK button
// accepts, shared by the dialog and the console's "calendar set".

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "CalendarSettings.h"
#include "types/DateTime.h"

namespace mfg {

class DataSet;

//! The range and rest weekdays of a quick setting as the dialog hands them over.
struct QuickSetting {
    DateTime begin;
    DateTime end;
    RestWeekdays restDays{};
};

//! The dialog's holiday rows (IBCDSTmp): an open, empty in-memory table of integer Month and Day.
std::unique_ptr<DataSet> CreateHolidayRows();
//! Appends one row per holiday.
void AppendHolidayRows(DataSet& rows, const std::vector<MonthDay>& holidays);

//! What the dialog opens with.
struct QuickSettingPreset {
    std::optional<std::pair<DateTime, DateTime>> calendarRange;  //!< the dates the pickers accept
    std::optional<DateTime> begin;  //!< the reference day, when it lies before the calendar's last day
    std::optional<DateTime> end;    //!< 31 December of its year, or the calendar's last day if earlier
    RestWeekdays restDays{};
};

//! The dialog's start: the calendar's range, the preset dates, and the rest weekdays and holiday
//! rows of the settings file (the defaults without one), appended to `rows`.
QuickSettingPreset PrepareQuickSetting(DataSet& rows);

//! The outcome of the OK button.
enum class QuickSettingCheck {
    Accepted,        //!< close with OK
    EndBeforeStart,  //!< told; stay open
    AllRestDeclined, //!< the user said No to a range of rest days only; stay open
    BadMonth,        //!< told; focus the grid
    BadDay,          //!< told; focus the grid
};

//! The OK button's checks in order: the range, the question when every weekday is a rest day, then
//! the rows from the first, where a row missing its month or day is deleted and a month outside
//! 1..12 or a day outside the month (February 29 in every year) is refused with a message.
QuickSettingCheck CheckQuickSetting(const QuickSetting& setting, DataSet& rows);

}  // namespace mfg
