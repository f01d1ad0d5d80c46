#include "MonthSheet.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "host/Host.h"
#include "host/Users.h"

namespace mfg {
namespace {

constexpr int CalendarPrivilege = 2046;

}  // namespace

const std::array<std::string_view, MonthSheet::ColumnCount>& MonthSheet::WeekdayNames()
{
    static const std::array<std::string_view, ColumnCount> names{"星期日", "星期一", "星期二", "星期三",
                                                                "星期四", "星期五", "星期六"};
    return names;
}

MonthSheet::MonthSheet()
{
    DateTime reference = CalendarReferenceDay();
    Variant first = GetValueOfSql("Select Min(WorkDate) As MinWorkDate from mnf_Calendar ");
    minYear = first.IsNull() ? reference.Year() : first.AsDateTime().Year();
    maxYear = reference.Year() + 2;
    year = reference.Year();
    month = reference.Month();
    Load();
}

const MonthSheet::Cell& MonthSheet::At(int row, int column) const
{
    if (row < 1 || row >= RowCount || column < 0 || column >= ColumnCount)
        throw std::out_of_range("月历没有第 " + std::to_string(row) + " 行第 " + std::to_string(column) + " 列");
    return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

MonthSheet::Grid MonthSheet::LayOut(const std::vector<CalendarDay>& days)
{
    Grid grid{};
    std::size_t row = 1;
    for (const CalendarDay& day : days) {
        if (row >= grid.size()) break;
        auto column = static_cast<std::size_t>(day.date.DayOfWeek() - 1);
        grid[row][column] = {day.date.Day(), day.isHoliday};
        if (column == ColumnCount - 1) ++row;
    }
    return grid;
}

void MonthSheet::Load()
{
    auto rows = CurrentHost().DBStartup().Query("Select WORKDATE,ISHOLIDAY from MNF_CALENDAR " +
                                                std::string(" Where Year(WORKDATE) =") + std::to_string(year) +
                                                " and Month(WORKDATE)=" + std::to_string(month) + " Order by WORKDATE ");
    std::vector<CalendarDay> days;
    days.reserve(rows.rows.size());
    for (const auto& values : rows.rows) days.push_back({values[0].AsDateTime().Date(), values[1].AsInteger() != 0, 0});
    cells = LayOut(days);
}

void MonthSheet::ShowYear(int value)
{
    year = std::clamp(value, minYear, maxYear);
    Load();
}

void MonthSheet::ShowMonth(int value)
{
    month = std::clamp(value, 1, 12);
    Load();
}

bool MonthSheet::PrevMonth()
{
    if (month == 1) {
        if (year <= minYear) return false;
        --year;
        month = 12;
    } else {
        --month;
    }
    Load();
    return true;
}

bool MonthSheet::NextMonth()
{
    if (month == 12) {
        if (year >= maxYear) return false;
        ++year;
        month = 1;
    } else {
        ++month;
    }
    Load();
    return true;
}

bool MonthSheet::Toggle(int row, int column)
{
    if (row < 1 || row >= RowCount || column < 0 || column >= ColumnCount) return false;
    Cell& cell = cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
    if (cell.day == 0 || !HasAppendPrivilege(CalendarPrivilege)) return false;
    cell.isHoliday = !cell.isHoliday;
    bool written = false;
    try {
        written = SetCalendarDay(DateTime::FromYmd(year, month, cell.day), cell.isHoliday);
    } catch (...) {
        Load();
        throw;
    }
    if (!written) Load();
    return written;
}

}  // namespace mfg
