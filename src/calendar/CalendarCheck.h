#pragma once
// The consistency check of the factory calendar, for "mfg calendar check" and for tests: every
// row that breaks the numbering invariant and every run of missing days.

#include <cstdint>
#include <string>
#include <vector>

#include "types/DateTime.h"

namespace mfg {

//! What is wrong with a row.
enum class CalendarProblemKind {
    Gap,        //!< days missing before this row
    Numbering,  //!< SEQUENCE is not the number the invariant gives
    Mark,       //!< ISHOLIDAY is neither 0 nor 1
};

//! One problem found, at the row where it shows.
struct CalendarProblem {
    CalendarProblemKind kind = CalendarProblemKind::Numbering;
    DateTime date;
    std::int64_t expected = 0;  //!< Numbering: the number due; Gap: the days missing
    std::int64_t found = 0;     //!< Numbering: the number held; Mark: the ISHOLIDAY held
    //! The problem as the console reports it.
    std::string Describe() const;
};

//! Walks the calendar in date order. A working day is due the number after the previous working
//! day's (1 for the first), a rest day the number of the next working day. After a working day with
//! a wrong number the walk goes on from the number it holds, so one fault is reported once, not
//! again at every later day.
std::vector<CalendarProblem> CheckCalendar();

}  // namespace mfg
