#include "types/DateTime.h"

#include <chrono>
#include <cmath>
#include <ctime>
#include <stdexcept>

#include <date/date.h>
#include <fmt/compile.h>
#include <fmt/format.h>

namespace mfg {
namespace {

// The host's day 0 is 1899-12-30; date's day 0 is 1970-01-01.
constexpr int kEpochOffset = 25569;

date::year_month_day ToYmd(double dayNumber)
{
    auto whole = static_cast<int>(std::trunc(dayNumber));
    return date::year_month_day{date::sys_days{date::days{whole - kEpochOffset}}};
}

bool ReadNumber(std::string_view text, size_t& pos, int digitsMin, int digitsMax, int& out)
{
    size_t start = pos;
    out = 0;
    while (pos < text.size() && pos - start < static_cast<size_t>(digitsMax) && text[pos] >= '0' &&
           text[pos] <= '9') {
        out = out * 10 + (text[pos] - '0');
        ++pos;
    }
    return pos - start >= static_cast<size_t>(digitsMin);
}

bool Expect(std::string_view text, size_t& pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

bool ParseTime(std::string_view text, size_t& pos, int& hour, int& minute, double& second)
{
    hour = minute = 0;
    second = 0;
    if (pos == text.size()) return true;
    if (text[pos] != ' ' && text[pos] != 'T') return false;
    ++pos;
    if (!ReadNumber(text, pos, 1, 2, hour) || !Expect(text, pos, ':') || !ReadNumber(text, pos, 2, 2, minute))
        return false;
    if (Expect(text, pos, ':')) {
        int whole = 0;
        if (!ReadNumber(text, pos, 2, 2, whole)) return false;
        second = whole;
        if (Expect(text, pos, '.')) {
            int fraction = 0;
            size_t start = pos;
            if (!ReadNumber(text, pos, 1, 3, fraction)) return false;
            second += fraction / std::pow(10.0, static_cast<double>(pos - start));
        }
    }
    return pos == text.size() && hour < 24 && minute < 60 && second < 60;
}

}  // namespace

DateTime DateTime::FromYmd(int year, int month, int day)
{
    date::year_month_day ymd{date::year{year}, date::month{static_cast<unsigned>(month)},
                             date::day{static_cast<unsigned>(day)}};
    if (!ymd.ok() || month < 1 || day < 1) throw std::invalid_argument(fmt::format("无效日期: {}-{}-{}", year, month, day));
    return DateTime(date::sys_days{ymd}.time_since_epoch().count() + kEpochOffset);
}

DateTime DateTime::FromYmdHms(int year, int month, int day, int hour, int minute, double second)
{
    double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    double whole = FromYmd(year, month, day).value;
    // Before day 0 the host counts the time part away from zero.
    return DateTime(whole >= 0 ? whole + fraction : whole - fraction);
}

std::optional<DateTime> DateTime::Parse(std::string_view text)
{
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    size_t pos = 0;
    bool isoOrder = text.size() >= 5 && (text[4] == '-' || text[4] == '/');
    if (isoOrder) {
        char sep = text[4];
        if (!ReadNumber(text, pos, 4, 4, year) || !Expect(text, pos, sep) || !ReadNumber(text, pos, 1, 2, month) ||
            !Expect(text, pos, sep) || !ReadNumber(text, pos, 1, 2, day))
            return std::nullopt;
    } else {
        if (!ReadNumber(text, pos, 1, 2, month) || !Expect(text, pos, '/') || !ReadNumber(text, pos, 1, 2, day) ||
            !Expect(text, pos, '/') || !ReadNumber(text, pos, 4, 4, year))
            return std::nullopt;
    }
    if (!ParseTime(text, pos, hour, minute, second)) return std::nullopt;
    date::year_month_day ymd{date::year{year}, date::month{static_cast<unsigned>(month)},
                             date::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) return std::nullopt;
    return FromYmdHms(year, month, day, hour, minute, second);
}

DateTime DateTime::Now()
{
    auto now = std::chrono::system_clock::now();
    std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return FromYmdHms(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                      local.tm_sec + ms / 1000.0);
}

DateTime DateTime::Date() const { return DateTime(std::trunc(value)); }

double DateTime::TimeOfDay() const { return std::fabs(value - std::trunc(value)); }

void DateTime::Split(int& year, int& month, int& day) const
{
    auto ymd = ToYmd(value);
    year = static_cast<int>(ymd.year());
    month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    day = static_cast<int>(static_cast<unsigned>(ymd.day()));
}

int DateTime::Year() const { return static_cast<int>(ToYmd(value).year()); }
int DateTime::Month() const { return static_cast<int>(static_cast<unsigned>(ToYmd(value).month())); }
int DateTime::Day() const { return static_cast<int>(static_cast<unsigned>(ToYmd(value).day())); }

int DateTime::Hour() const { return static_cast<int>(std::lround(TimeOfDay() * 86400.0) / 3600 % 24); }
int DateTime::Minute() const { return static_cast<int>(std::lround(TimeOfDay() * 86400.0) / 60 % 60); }
int DateTime::Second() const { return static_cast<int>(std::lround(TimeOfDay() * 86400.0) % 60); }

int DateTime::DayOfWeek() const
{
    // Day 0 (1899-12-30) was a Saturday.
    auto whole = static_cast<long long>(std::trunc(value));
    return static_cast<int>(((whole + 6) % 7 + 7) % 7) + 1;
}

bool DateTime::IsLeapYear(int year) { return date::year{year}.is_leap(); }

int DateTime::DaysInMonth(int year, int month)
{
    auto last = date::year_month_day_last{date::year{year}, date::month_day_last{date::month{static_cast<unsigned>(month)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

DateTime DateTime::AddMonths(int months) const
{
    int year = 0, month = 0, day = 0;
    Split(year, month, day);
    int total = year * 12 + (month - 1) + months;
    int newYear = total / 12;
    int newMonth = total % 12 + 1;
    int newDay = std::min(day, DaysInMonth(newYear, newMonth));
    return DateTime(FromYmd(newYear, newMonth, newDay).value + (value - std::trunc(value)));
}

std::string DateTime::Format(std::string_view pattern) const
{
    int year = 0, month = 0, day = 0;
    Split(year, month, day);
    std::string out;
    size_t i = 0;
    auto starts = [&](std::string_view token) {
        if (pattern.size() - i < token.size()) return false;
        for (size_t k = 0; k < token.size(); ++k)
            if (std::tolower(static_cast<unsigned char>(pattern[i + k])) != token[k]) return false;
        return true;
    };
    while (i < pattern.size()) {
        if (starts("yyyy")) { out += fmt::format("{:04}", year); i += 4; }
        else if (starts("yy")) { out += fmt::format("{:02}", year % 100); i += 2; }
        else if (starts("mm")) { out += fmt::format("{:02}", month); i += 2; }
        else if (starts("m")) { out += std::to_string(month); i += 1; }
        else if (starts("dd")) { out += fmt::format("{:02}", day); i += 2; }
        else if (starts("d")) { out += std::to_string(day); i += 1; }
        else if (starts("hh")) { out += fmt::format("{:02}", Hour()); i += 2; }
        else if (starts("nn")) { out += fmt::format("{:02}", Minute()); i += 2; }
        else if (starts("ss")) { out += fmt::format("{:02}", Second()); i += 2; }
        else { out += pattern[i]; ++i; }
    }
    return out;
}

std::string DateTime::ToIsoString() const
{
    // Written directly rather than through Format: results name hundreds of thousands of dates.
    int year = 0, month = 0, day = 0;
    Split(year, month, day);
    if (std::lround(TimeOfDay() * 86400.0) == 0) return fmt::format(FMT_COMPILE("{:04}-{:02}-{:02}"), year, month, day);
    return fmt::format(FMT_COMPILE("{:04}-{:02}-{:02} {:02}:{:02}:{:02}"), year, month, day, Hour(), Minute(), Second());
}

}  // namespace mfg
