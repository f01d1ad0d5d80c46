#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mfg {

//! A date-time as the host keeps it: days since 1899-12-30 with the time of day
//! as the fraction. Whole-day arithmetic is plain addition on the day number.
class DateTime {
public:
    constexpr DateTime() = default;
    constexpr explicit DateTime(double dayNumber) : value(dayNumber) {}

    //! The date of a calendar day; throws std::invalid_argument for a day that does not exist.
    static DateTime FromYmd(int year, int month, int day);
    static DateTime FromYmdHms(int year, int month, int day, int hour, int minute, double second);
    //! Parses "yyyy-mm-dd", "yyyy/mm/dd", "mm/dd/yyyy", each with an optional " hh:nn[:ss[.zzz]]" part.
    static std::optional<DateTime> Parse(std::string_view text);
    //! The current local time of this machine.
    static DateTime Now();

    constexpr double DayNumber() const { return value; }
    //! The whole day, the time part truncated toward zero as the host does.
    DateTime Date() const;
    double TimeOfDay() const;

    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;
    int Minute() const;
    int Second() const;
    //! 1 = Sunday ... 7 = Saturday.
    int DayOfWeek() const;
    static bool IsLeapYear(int year);
    static int DaysInMonth(int year, int month);

    DateTime AddDays(double days) const { return DateTime(value + days); }
    //! The same day of the month `months` later, clamped to the month's last day.
    DateTime AddMonths(int months) const;

    //! Formats with the host's pattern letters: yyyy yy mm m dd d hh nn ss; anything else is copied.
    std::string Format(std::string_view pattern) const;
    //! "yyyy-mm-dd", or "yyyy-mm-dd hh:nn:ss" when there is a time part.
    std::string ToIsoString() const;

    friend constexpr bool operator==(DateTime a, DateTime b) { return a.value == b.value; }
    friend constexpr auto operator<=>(DateTime a, DateTime b) { return a.value <=> b.value; }

private:
    void Split(int& year, int& month, int& day) const;
    double value = 0;
};

}  // namespace mfg
