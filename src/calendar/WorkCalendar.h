#pragma once
// The factory calendar MNF_CALENDAR: one row per day (WORKDATE, ISHOLIDAY, SEQUENCE).
//
// Numbering invariant, which every operation here keeps: walking the rows in date order, each
// working day (ISHOLIDAY = 0) has the number of the previous working day plus 1, the first one 1;
// a rest day carries the number the next working day gets. The difference of two working days'
// numbers is therefore the number of working days between them.

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "CalendarSettings.h"
#include "QuickSetting.h"
#include "types/DateTime.h"

namespace mfg {

//! The privilege number of the work calendar; its append right (kind 2) lets a user change days.
inline constexpr int WorkCalendarPrivilege = 2046;

//! The later of today and the first day of the open posting month: the year the calendar reaches
//! two years beyond, and the month the calendar screen opens on.
DateTime CalendarReferenceDay();

//! The first year generated on an empty calendar: "StartYear" when it is below 2002, else 2002. A
//! parameter that is missing, no whole number or before 1900 reads as 2002.
int CalendarStartYear();

//! How ExtendCalendar reports its work.
struct ExtendOptions {
    //! Told the days written so far and the days to write, every month of days and at the end: a
    //! fresh calendar takes a while on a commit per row.
    std::function<void(int done, int total)> progress;
};

//! What an extension did.
struct ExtendResult {
    int daysAdded = 0;                   //!< rows inserted
    std::optional<DateTime> firstAdded;  //!< none when the calendar already reached the end day
    DateTime endDay;                     //!< 31 December two years after the reference year
    bool allRestDeclined = false;        //!< the settings make every day a rest day and the user said No
};

//! Extends the calendar to 31 December two years after the reference year, day by day, from the
//! day after its last day (on an empty calendar from 1 January of CalendarStartYear()). Loads the
//! settings file into the module's holiday list first; its rest weekdays are used for this run only.
//! When they make every weekday a rest day the user is asked first, as the quick setting asks, and
//! on No nothing is written. The days are written in one transaction under the calendar's lock,
//! which toggles and quick settings take too: a second extension at the same moment waits, then
//! finds the days written and adds none.
ExtendResult ExtendCalendar(const ExtendOptions& options = {});

//! What a quick setting changed.
struct QuickSettingResult {
    int daysInRange = 0;      //!< calendar rows between begin and end
    int daysChanged = 0;      //!< rows whose ISHOLIDAY or SEQUENCE was rewritten
    int shiftAfterRange = 0;  //!< added to the numbers of the days after the range
};

//! Re-marks the days from begin to end with the setting's rest weekdays and holidays, numbering
//! them from the first day's number, and moves the numbers after the range so that they continue
//! without a gap. `holidays` are the dialog's validated rows (fields Month and Day); they replace
//! the module's holiday list first. Both database steps run in one transaction under the calendar's
//! lock: on failure nothing is written, the settings file is left alone and the error is raised; on
//! success the settings file is written whole. A range without calendar rows changes no row.
QuickSettingResult ApplyQuickSetting(const QuickSetting& setting, DataSet& holidays);

//! Makes one day a rest day or a working day and moves the numbers of the later days with it. The
//! day keeps its own number. Runs in one transaction under the calendar's lock and reads the day's
//! state first, so a day already in that state changes nothing (false). Throws
//! std::invalid_argument for a day that is not in the calendar.
bool SetCalendarDay(DateTime day, bool isHoliday);

//! A day of the calendar with its mark and its number.
struct CalendarDay {
    DateTime date;
    bool isHoliday = false;  //!< ISHOLIDAY not 0
    int sequence = 0;
};

//! The row of one day; none when the calendar does not hold it.
std::optional<CalendarDay> ReadCalendarDay(DateTime day);
//! The days of one month in date order.
std::vector<CalendarDay> ReadCalendarMonth(int year, int month);
//! The first and last day of the calendar; none when it is empty.
std::optional<std::pair<DateTime, DateTime>> CalendarRange();

//! A working day and its number.
struct WorkingDay {
    DateTime date;
    int sequence = 0;
};

//! The working days in sequence order, for the MRP engine and rough-cut capacity. While the
//! numbering invariant holds, the dates ascend and the numbers are consecutive, so the working day
//! n days after days[i] is days[i + n]. Reads "select workdate,sequence from mnf_calendar where
//! isholiday=0 order by sequence" on the current host.
std::vector<WorkingDay> ReadWorkingDays();

}  // namespace mfg
