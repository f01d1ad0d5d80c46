#pragma once

#include <cstddef>
#include <vector>

#include "types/DateTime.h"

namespace mfg {

//! The working days of the factory calendar in date order, the one list every window of the
//! rough-cut capacity calculation is counted on.
class WorkDays {
public:
    WorkDays() = default;
    //! A list of working days already in date order.
    explicit WorkDays(std::vector<DateTime> days);

    //! Reads the working days of MNF_CALENDAR in their sequence order.
    static WorkDays Load();

    bool Empty() const { return days.empty(); }
    size_t Size() const { return days.size(); }
    DateTime operator[](size_t index) const { return days[index]; }
    //! The index of the first working day on or after `day`; Size() when there is none.
    size_t IndexOnOrAfter(DateTime day) const;
    bool IsWorkDay(DateTime day) const;

    //! The latest working day not after `day`; the first one when `day` lies before all of them,
    //! the last one when it lies after all. Needs a list that is not empty.
    DateTime WorkDayOnOrBefore(DateTime day) const;
    //! The working days from the later of `start` and `today` up to the first one on or after `end`,
    //! both counted; never less than 1, so a window always spreads its load over some day.
    int CountWorkDays(DateTime start, DateTime end, DateTime today) const;

private:
    std::vector<DateTime> days;
};

}  // namespace mfg
