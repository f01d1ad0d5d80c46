#pragma once
// The calendar screen's month sheet without its widgets: seven weekday columns, a header row and
// up to six weeks, the rest-day flag of each cell, moving between months within the calendar's
// years, and toggling a day.

#include <array>
#include <string_view>
#include <vector>

#include "WorkCalendar.h"

namespace mfg {

//! One month of the factory calendar laid out as the calendar screen shows it.
class MonthSheet {
public:
    static constexpr int ColumnCount = 7;
    static constexpr int RowCount = 7;  //!< row 0 holds the weekday names

    //! A cell: its day of the month (0 when empty) and its rest-day flag.
    struct Cell {
        int day = 0;
        bool isHoliday = false;
    };

    //! Rows 1 to 6 of a month's cells (row 0 stays empty).
    using Grid = std::array<std::array<Cell, ColumnCount>, RowCount>;

    //! The weekday names of row 0, Sunday first.
    static const std::array<std::string_view, ColumnCount>& WeekdayNames();

    //! Lays out the days of one month in date order: each day in the column of its weekday,
    //! starting at row 1, a new row after each Saturday.
    static Grid LayOut(const std::vector<CalendarDay>& days);

    //! Years from that of the calendar's first day (the reference year when it is empty) to the
    //! reference year + 2; shows the reference month, loaded.
    MonthSheet();

    int Year() const { return year; }
    int Month() const { return month; }
    int MinYear() const { return minYear; }
    int MaxYear() const { return maxYear; }
    //! A cell of rows 1 to 6.
    const Cell& At(int row, int column) const;

    //! Reads the month again and lays it out.
    void Load();
    //! Shows a year (kept within the limits) or a month (1 to 12) and loads it.
    void ShowYear(int value);
    void ShowMonth(int value);
    //! One month back; from January of the first year nothing moves (false).
    bool PrevMonth();
    //! One month on; from December of the last year nothing moves (false).
    bool NextMonth();

    //! Toggles the day of a cell between working day and rest day. Ignores the header row, empty
    //! cells and users without the append right of the calendar (false). When writing fails, the
    //! month is read again, so the sheet shows what is stored, and the error is raised; so it is
    //! when the stored day was already in the new state.
    bool Toggle(int row, int column);

private:
    int year = 0;
    int month = 1;
    int minYear = 0;
    int maxYear = 0;
    Grid cells{};
};

}  // namespace mfg
