#include "WorkDays.h"

#include <algorithm>

#include "host/Host.h"

namespace mfg {

WorkDays::WorkDays(std::vector<DateTime> days) : days(std::move(days)) {}

WorkDays WorkDays::Load()
{
    auto query = CreateAutoQuery("select workdate from mnf_calendar where isholiday=0 order by sequence", true);
    std::vector<DateTime> days;
    days.reserve(static_cast<size_t>(query->RecordCount()));
    for (query->First(); !query->Eof(); query->Next())
        days.push_back(query->FieldByName("workdate").AsDateTime().Date());
    return WorkDays(std::move(days));
}

size_t WorkDays::IndexOnOrAfter(DateTime day) const
{
    return static_cast<size_t>(std::lower_bound(days.begin(), days.end(), day) - days.begin());
}

bool WorkDays::IsWorkDay(DateTime day) const
{
    size_t index = IndexOnOrAfter(day);
    return index < days.size() && days[index] == day;
}

DateTime WorkDays::WorkDayOnOrBefore(DateTime day) const
{
    auto after = std::upper_bound(days.begin(), days.end(), day);
    if (after == days.begin()) return days.front();
    return *(after - 1);
}

int WorkDays::CountWorkDays(DateTime start, DateTime end, DateTime today) const
{
    DateTime from = std::max(start.Date(), today.Date());
    size_t first = IndexOnOrAfter(from);
    size_t last = std::max(first, IndexOnOrAfter(end.Date()));
    // With no working day on or after the end the walk runs out at the end of the calendar.
    size_t count = last < days.size() ? last - first + 1 : days.size() - first;
    return count == 0 ? 1 : static_cast<int>(count);
}

}  // namespace mfg
