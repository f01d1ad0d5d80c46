#include "CalendarCheck.h"

#include <optional>

#include <fmt/format.h>

#include "host/Host.h"

namespace mfg {

std::string CalendarProblem::Describe() const
{
    std::string day = date.Format("yyyy-mm-dd");
    switch (kind) {
    case CalendarProblemKind::Gap: return fmt::format("{} 之前缺少 {} 天", day, expected);
    case CalendarProblemKind::Mark: return fmt::format("{} 的 ISHOLIDAY 为 {}, 应为 0 或 1", day, found);
    case CalendarProblemKind::Numbering: break;
    }
    return fmt::format("{} 的 SEQUENCE 为 {}, 应为 {}", day, found, expected);
}

std::vector<CalendarProblem> CheckCalendar()
{
    auto rows = CurrentHost().DBStartup().Query("select WORKDATE,ISHOLIDAY,SEQUENCE from MNF_CALENDAR order by WORKDATE");
    std::vector<CalendarProblem> problems;
    std::int64_t lastWorking = 0;
    std::optional<DateTime> previous;
    for (const auto& row : rows.rows) {
        DateTime date = row[0].AsDateTime();
        std::int64_t mark = row[1].AsInteger();
        std::int64_t sequence = row[2].AsInteger();
        if (previous && date.DayNumber() - previous->DayNumber() > 1)
            problems.push_back({CalendarProblemKind::Gap, date,
                                static_cast<std::int64_t>(date.DayNumber() - previous->DayNumber()) - 1, 0});
        previous = date;
        if (mark != 0 && mark != 1) problems.push_back({CalendarProblemKind::Mark, date, 0, mark});
        if (sequence != lastWorking + 1) problems.push_back({CalendarProblemKind::Numbering, date, lastWorking + 1, sequence});
        if (mark == 0) lastWorking = sequence;
    }
    return problems;
}

}  // namespace mfg
