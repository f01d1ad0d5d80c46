#include "WorkCalendar.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

#include "Calculations.h"
#include "data/DataSet.h"
#include "host/Host.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr int LastDefaultStartYear = 2002;

CalendarDay DayOfRow(const std::vector<Variant>& row)
{
    return {row[0].AsDateTime().Date(), row[1].AsInteger() != 0, static_cast<int>(row[2].AsInteger())};
}

std::string InsertText(DateTime day, std::int64_t sequence, bool isHoliday)
{
    return "Insert Into MNF_CALENDAR (WORKDATE,SEQUENCE,ISHOLIDAY)  Values ('" + day.Format("yyyy-mm-dd") + "'," +
           std::to_string(sequence) + (isHoliday ? ",1) " : ",0) ");
}

void InsertDays(DateTime first, DateTime last, std::int64_t sequence, const RestWeekdays& restDays,
                const ExtendOptions& options)
{
    const int total = static_cast<int>(last.DayNumber() - first.DayNumber()) + 1;
    int done = 0;
    for (DateTime day = first; day <= last; day = day.AddDays(1)) {
        bool rest = IsRestDay(day, restDays);
        SqlExecute(InsertText(day, sequence, rest));
        if (!rest) ++sequence;
        if (options.progress && (++done % 30 == 0 || done == total)) options.progress(done, total);
    }
}

UpdateSql CalendarModifySql()
{
    UpdateSql statements;
    statements.ModifySQL =
        "Update MNF_CALENDAR set\n"
        "workdate=:workdate,\n"
        "isholiday=:isholiday,\n"
        "sequence=:sequence\n"
        " where workdate=:OLD_workdate";
    return statements;
}

//! Renumbers the rows of the open calendar dataset from its first row's number; returns the number
//! the first working day after the range must get, and counts the rows it changed.
std::int64_t RemarkRange(DataSet& calendar, const RestWeekdays& restDays, int& changed)
{
    calendar.First();
    std::int64_t sequence = calendar.FieldByName("SEQUENCE").AsInteger();
    for (; !calendar.Eof(); calendar.Next()) {
        bool rest = IsRestDay(calendar.FieldByName("WORKDATE").AsDateTime(), restDays);
        Field& mark = calendar.FieldByName("ISHOLIDAY");
        Field& number = calendar.FieldByName("SEQUENCE");
        if (number.AsInteger() != sequence || (mark.AsInteger() != 0) != rest) {
            calendar.Edit();
            number.SetValue(sequence);
            mark.SetValue(rest ? 1 : 0);
            calendar.Post();
            ++changed;
        }
        if (!rest) ++sequence;
    }
    return sequence;
}

//! The day after the calendar's last day and the number its first working day gets; on an empty
//! calendar 1 January of the start year and 1.
std::pair<DateTime, std::int64_t> NextCalendarDay()
{
    auto last = CurrentHost().DBStartup().Query(
        "select max(SEQUENCE) as MaxSEQUENCE, max(WORKDATE) As MaxWORKDATE From MNF_CALENDAR ");
    const Variant& maxSequence = last.rows.at(0).at(0);
    const Variant& maxDate = last.rows.at(0).at(1);
    std::int64_t sequence = maxSequence.IsNull() ? 1 : maxSequence.AsInteger();
    if (maxDate.IsNull()) return {DateTime::FromYmd(CalendarStartYear(), 1, 1), sequence};
    DateTime lastDay = maxDate.AsDateTime().Date();
    auto row = CreateAutoQuery("select * from MNF_CALENDAR where WORKDATE=:WORKDATE", true, {{"WORKDATE", lastDay}});
    if (!row->IsEmpty() && row->FieldByName("ISHOLIDAY").AsInteger() == 0) ++sequence;
    return {lastDay.AddDays(1), sequence};
}

//! A transaction holding the calendar's lock. Extension, toggle and quick setting each read numbers
//! and write numbers derived from them: under the lock they run one after the other, on every backend.
class CalendarTransaction {
public:
    CalendarTransaction() : transaction(CurrentHost().DBStartup()) { SqlExecute("exec sp_getapplock 'MNF_CALENDAR', 'Exclusive'"); }
    void Commit() { transaction.Commit(); }

private:
    TransactionGuard transaction;
};

}  // namespace

DateTime CalendarReferenceDay()
{
    return std::max(Today(), GetFirstDayOfPosMonth().Date());
}

int CalendarStartYear()
{
    std::string text(Trim(LookupSysParam("StartYear")));
    int year = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), year);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || year < 1900)
        return LastDefaultStartYear;
    return std::min(year, LastDefaultStartYear);
}

ExtendResult ExtendCalendar(const ExtendOptions& options)
{
    auto loaded = ReadCalendarSettings();
    ModuleHolidayList() = loaded.settings.holidays;
    const RestWeekdays restDays = loaded.settings.restDays;

    ExtendResult result;
    result.endDay = DateTime::FromYmd(CalendarReferenceDay().Year() + 2, 12, 31);
    // Looked at first without the lock: opening the calendar screen on a calendar that reaches far
    // enough waits for nobody, and the question is never asked while others wait.
    if (NextCalendarDay().first > result.endDay) return result;
    if (!ConfirmRestWeekdays(restDays)) {
        result.allRestDeclined = true;
        return result;
    }
    CalendarTransaction transaction;
    // Another extension may have written the days meanwhile: the calendar is read again under the lock.
    auto [first, sequence] = NextCalendarDay();
    if (first <= result.endDay) {
        InsertDays(first, result.endDay, sequence, restDays, options);
        result.firstAdded = first;
        result.daysAdded = static_cast<int>(result.endDay.DayNumber() - first.DayNumber()) + 1;
    }
    transaction.Commit();
    return result;
}

QuickSettingResult ApplyQuickSetting(const QuickSetting& setting, DataSet& holidays)
{
    LoadHolidayList(holidays);
    QuickSettingResult result;
    Connection& db = CurrentHost().DBStartup();
    DateTime end = setting.end.Date();
    {
        CalendarTransaction transaction;
        DataSet calendar("IBQryCalendar");
        calendar.SetSql("select * from MNF_CALENDAR where WORKDATE between :begdate and :enddate");
        calendar.SetParam("begdate", setting.begin.Date());
        calendar.SetParam("enddate", end);
        calendar.SetUpdateSql(CalendarModifySql());
        calendar.Open(db);
        calendar.SetIndexFieldNames("WORKDATE");
        result.daysInRange = calendar.RecordCount();
        if (result.daysInRange > 0) {
            std::int64_t next = RemarkRange(calendar, setting.restDays, result.daysChanged);
            calendar.UpdateBatch(db);
            Params after{{"WORKDATE", end.AddDays(1)}};
            Variant following = GetValueOfSql("select SEQUENCE from MNF_CALENDAR where WORKDATE=:WORKDATE", {}, after);
            if (!following.IsNull()) {
                result.shiftAfterRange = static_cast<int>(next - following.AsInteger());
                SqlExecute("Update MNF_CALENDAR Set SEQUENCE=SEQUENCE+(" + std::to_string(result.shiftAfterRange) +
                               ")" + "where WORKDATE>:WORKDATE",
                           {{"WORKDATE", end}});
            }
        }
        transaction.Commit();
    }
    WriteCalendarSettings({setting.restDays, ModuleHolidayList()});
    return result;
}

bool SetCalendarDay(DateTime day, bool isHoliday)
{
    day = day.Date();
    CalendarTransaction transaction;
    auto current = ReadCalendarDay(day);
    if (!current) throw std::invalid_argument("工厂日历中没有 " + day.Format("yyyy-mm-dd") + " 这一天");
    if (current->isHoliday == isHoliday) return false;
    Params params{{"WORKDATE", day}};
    if (isHoliday) {
        SqlExecute("Update MNF_CALENDAR set ISHOLIDAY=1 where WORKDATE=:WORKDATE", params);
        SqlExecute("Update MNF_CALENDAR set SEQUENCE=SEQUENCE-1 where WORKDATE>:WORKDATE", params);
    } else {
        SqlExecute("Update MNF_CALENDAR set ISHOLIDAY=0 where WORKDATE=:WORKDATE", params);
        SqlExecute("Update MNF_CALENDAR set SEQUENCE=SEQUENCE+1 where WORKDATE>:WORKDATE", params);
    }
    transaction.Commit();
    return true;
}

std::optional<CalendarDay> ReadCalendarDay(DateTime day)
{
    auto rows = CurrentHost().DBStartup().Query(
        "select WORKDATE,ISHOLIDAY,SEQUENCE from MNF_CALENDAR where WORKDATE=:WORKDATE", {{"WORKDATE", day.Date()}});
    if (rows.Empty()) return std::nullopt;
    return DayOfRow(rows.rows.front());
}

std::vector<CalendarDay> ReadCalendarMonth(int year, int month)
{
    auto rows = CurrentHost().DBStartup().Query(
        "select WORKDATE,ISHOLIDAY,SEQUENCE from MNF_CALENDAR where WORKDATE between :first and :last order by "
        "WORKDATE",
        {{"first", DateTime::FromYmd(year, month, 1)},
         {"last", DateTime::FromYmd(year, month, DateTime::DaysInMonth(year, month))}});
    std::vector<CalendarDay> days;
    days.reserve(rows.rows.size());
    for (const auto& row : rows.rows) days.push_back(DayOfRow(row));
    return days;
}

std::optional<std::pair<DateTime, DateTime>> CalendarRange()
{
    auto rows = CurrentHost().DBStartup().Query(
        "select min(WorkDate) as minWorkDate,max(WorkDate) as maxWorkDate from mnf_Calendar ");
    if (rows.Empty() || rows.rows[0][0].IsNull()) return std::nullopt;
    return std::pair{rows.rows[0][0].AsDateTime().Date(), rows.rows[0][1].AsDateTime().Date()};
}

std::vector<WorkingDay> ReadWorkingDays()
{
    auto rows = CurrentHost().DBStartup().Query(
        "select workdate,sequence from mnf_calendar where isholiday=0 order by sequence");
    std::vector<WorkingDay> days;
    days.reserve(rows.rows.size());
    for (const auto& row : rows.rows)
        days.push_back({row[0].AsDateTime().Date(), static_cast<int>(row[1].AsInteger())});
    return days;
}

}  // namespace mfg
