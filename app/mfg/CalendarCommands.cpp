// The work calendar from the console: extension, quick setting, toggling a day, a month, and the
// numbering check.
#include <algorithm>
#include <array>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>

#include <unistd.h>

#include <fmt/format.h>

#include "CalendarCheck.h"
#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "MonthSheet.h"
#include "QuickSetting.h"
#include "WorkCalendar.h"
#include "data/DataSet.h"
#include "host/ConsoleDialogs.h"
#include "host/Users.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

constexpr std::array<const char*, 7> WeekdayCodes{"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

std::string DayText(DateTime day)
{
    return day.Format("yyyy-mm-dd");
}

//! The month as the calendar screen lays it out, rest days in brackets.
void PrintSheet(std::ostream& out, const std::vector<CalendarDay>& days)
{
    for (std::string_view name : MonthSheet::WeekdayNames()) out << name << "  ";
    out << '\n';
    auto grid = MonthSheet::LayOut(days);
    for (std::size_t row = 1; row < grid.size(); ++row) {
        if (grid[row][0].day == 0 && grid[row][MonthSheet::ColumnCount - 1].day == 0) continue;
        for (const auto& cell : grid[row]) {
            if (cell.day == 0)
                out << "        ";
            else
                out << (cell.isHoliday ? fmt::format("  [{:>2}]  ", cell.day) : fmt::format("   {:>2}   ", cell.day));
        }
        out << '\n';
    }
    out << "(休息日以 [ ] 标出)\n\n";
}

//! A whole number of an option; empty text is an empty field, as a grid cell left blank.
Variant ParsePart(std::string_view text, const std::string& caption)
{
    if (Trim(text).empty()) return {};
    return ParseUserInteger(text, caption, 0, 9999);
}

RestWeekdays ParseRestDays(const std::string& text)
{
    RestWeekdays rest{};
    if (EqualsNoCase(Trim(text), "none")) return rest;
    for (const std::string& part : Split(text, ',')) {
        auto name = ToLowerAscii(Trim(part));
        if (name.empty()) continue;
        auto found = std::find(WeekdayCodes.begin(), WeekdayCodes.end(), name);
        if (found == WeekdayCodes.end())
            throw InputError("--rest", "--rest 只认 sun,mon,tue,wed,thu,fri,sat 或 none: " + part);
        rest[static_cast<std::size_t>(found - WeekdayCodes.begin())] = true;
    }
    return rest;
}

//! "YYYY-MM" of --month.
std::pair<int, int> ParseMonth(const std::string& text)
{
    auto parts = Split(text, '-');
    const std::string caption = ArgumentCaption("月份", "--month");
    if (parts.size() == 2) {
        Variant year = ParsePart(parts[0], caption), month = ParsePart(parts[1], caption);
        if (!year.IsNull() && !month.IsNull() && month.AsInteger() >= 1 && month.AsInteger() <= 12 &&
            year.AsInteger() >= 1900 && year.AsInteger() <= 9999)
            return {static_cast<int>(year.AsInteger()), static_cast<int>(month.AsInteger())};
    }
    throw InputError(caption, "--month 应为 yyyy-mm, 月份 1 到 12: " + text);
}

bool MayChangeCalendar()
{
    return HasNewPrivilege2(WorkCalendarPrivilege, static_cast<int>(PrivKind::Append), true);
}

int RunExtend(const Session& session, bool yes)
{
    ConsoleHost console(session);
    if (yes) console.host.SetDialogs(std::make_unique<ConsoleDialogs>(AnswerYes));
    // The calendar screen extends the calendar as it opens: opening it is the right.
    if (!console.Permitted(WorkCalendarPrivilege, PrivKind::Browse)) return 2;
    ExtendOptions options;
    if (::isatty(STDERR_FILENO))
        options.progress = [](int done, int total) {
            std::cerr << fmt::format("\r  [{}/{}]", done, total) << (done == total ? "\n" : "") << std::flush;
        };
    auto result = ExtendCalendar(options);
    if (result.allRestDeclined) {
        std::cerr << "未延长工厂日历: 设置文件把每个星期几都设为公休日 (确认请加 --yes)。\n";
        return 2;
    }
    if (result.daysAdded == 0)
        std::cout << fmt::format("工厂日历已到 {}, 无需延长。\n", DayText(result.endDay));
    else
        std::cout << fmt::format("工厂日历已延长 {} 天: {} 至 {}。\n", result.daysAdded, DayText(*result.firstAdded),
                                 DayText(result.endDay));
    return 0;
}

struct SetOptions {
    std::string from, to;
    std::optional<std::string> rest;
    std::vector<std::string> holidays;
    bool yes = false;
};

int RunSet(const Session& session, const SetOptions& options)
{
    ConsoleHost console(session);
    if (options.yes) console.host.SetDialogs(std::make_unique<ConsoleDialogs>(AnswerYes));
    if (!MayChangeCalendar()) return 2;
    QuickSetting setting{ParseDateOption(options.from, "--from"), ParseDateOption(options.to, "--to"), {}};

    // As the dialog opens: the range the calendar allows, the rest days and holidays of the file.
    auto rows = CreateHolidayRows();
    auto preset = PrepareQuickSetting(*rows);
    if (!preset.calendarRange) {
        std::cerr << "工厂日历是空的, 请先执行 calendar extend。\n";
        return 2;
    }
    auto [first, last] = *preset.calendarRange;
    for (DateTime day : {setting.begin, setting.end})
        if (day < first || day > last) {
            std::cerr << fmt::format("日期 {} 不在工厂日历内 ({} 至 {})。\n", DayText(day), DayText(first),
                                     DayText(last));
            return 2;
        }
    setting.restDays = options.rest ? ParseRestDays(*options.rest) : preset.restDays;
    if (!options.holidays.empty()) {
        rows->EmptyDataSet();
        for (const std::string& text : options.holidays) {
            auto dash = text.find('-');
            std::string_view whole(text);
            const std::string caption = ArgumentCaption("节假日", "--holiday " + text);
            rows->AppendRecord({ParsePart(whole.substr(0, dash), caption),
                                dash == std::string::npos ? Variant() : ParsePart(whole.substr(dash + 1), caption)});
        }
    }

    if (CheckQuickSetting(setting, *rows) != QuickSettingCheck::Accepted) return 2;
    auto result = ApplyQuickSetting(setting, *rows);
    std::cout << fmt::format(
        "已按快速设置重排 {} 至 {} 的 {} 天 ({} 天有变化), 之后的编号{}。\n", DayText(setting.begin),
        DayText(setting.end), result.daysInRange, result.daysChanged,
        result.shiftAfterRange == 0 ? std::string("不变") : fmt::format("移动 {:+}", result.shiftAfterRange));
    return 0;
}

int RunToggle(const Session& session, const std::string& dateText)
{
    ConsoleHost console(session);
    DateTime date = ParseDateOption(dateText, "DATE");
    if (!MayChangeCalendar()) return 2;
    auto day = ReadCalendarDay(date);
    if (!day) {
        std::cerr << fmt::format("工厂日历中没有 {} 这一天。\n", DayText(date));
        return 2;
    }
    SetCalendarDay(date, !day->isHoliday);
    std::cout << fmt::format("{} 已设为{} (SEQUENCE {})。\n", DayText(date), day->isHoliday ? "工作日" : "休息日",
                             day->sequence);
    return 0;
}

int RunShow(const Session& session, const std::string& monthText, bool json)
{
    ConsoleHost console(session);
    if (!console.Permitted(WorkCalendarPrivilege, PrivKind::Browse)) return 2;
    auto [year, month] = ParseMonth(monthText);
    auto days = ReadCalendarMonth(year, month);
    ResultSet rows;
    rows.columns = {{"WORKDATE", FieldType::DateTime},
                    {"WEEKDAY", FieldType::Text},
                    {"ISHOLIDAY", FieldType::Integer},
                    {"SEQUENCE", FieldType::Integer}};
    for (const CalendarDay& day : days)
        rows.rows.push_back({day.date, MonthSheet::WeekdayNames()[static_cast<std::size_t>(day.date.DayOfWeek() - 1)],
                             day.isHoliday ? 1 : 0, day.sequence});
    if (json) {
        std::cout << JsonText(ToJson(rows), 2) << '\n';
    } else if (rows.rows.empty()) {
        std::cerr << fmt::format("工厂日历中没有 {} 年 {} 月。\n", year, month);
    } else {
        PrintSheet(std::cout, days);
        PrintTable(std::cout, rows);
    }
    return rows.rows.empty() ? 2 : 0;
}

int RunCheck(const Session& session)
{
    ConsoleHost console(session);
    if (!console.Permitted(WorkCalendarPrivilege, PrivKind::Browse)) return 2;
    auto problems = CheckCalendar();
    for (const CalendarProblem& problem : problems) std::cout << problem.Describe() << '\n';
    if (!problems.empty()) {
        std::cout << fmt::format("工厂日历有 {} 处问题。\n", problems.size());
        return 3;
    }
    auto range = CalendarRange();
    if (!range)
        std::cout << "工厂日历是空的。\n";
    else
        std::cout << fmt::format("工厂日历完好: {} 至 {}, 编号连续。\n", DayText(range->first), DayText(range->second));
    return 0;
}

struct CalendarOptions {
    bool extendYes = false;
    SetOptions set;
    std::string rest;
    std::string date;
    std::string month;
    bool json = false;
};

}  // namespace

void AddCalendarCommands(const CommandLine& line)
{
    auto options = std::make_shared<CalendarOptions>();
    auto& o = *options;
    const Session& session = line.session;

    auto* calendar = line.app.add_subcommand("calendar", "工厂日历");
    calendar->require_subcommand(1);

    auto* extend = calendar->add_subcommand("extend", "把工厂日历延长到参考年度后两年的年底");
    extend->add_flag("--yes", o.extendYes, "设置文件把每天都设为公休日时不再询问");
    line.OnChosen(extend, [&session, options] { return RunExtend(session, options->extendYes); });

    auto* set = calendar->add_subcommand("set", "快速设置: 按公休日和节假日重排一段日期");
    set->add_option("--from", o.set.from, "开始日期 yyyy-mm-dd")->required();
    set->add_option("--to", o.set.to, "结束日期 yyyy-mm-dd")->required();
    auto* rest = set->add_option("--rest", o.rest, "公休日, 如 sun,sat; none 为没有 (默认取上次的设置)");
    set->add_option("--holiday", o.set.holidays, "节假日 月-日, 可多个 (默认取上次的设置)");
    set->add_flag("--yes", o.set.yes, "全部设为公休日时不再询问");
    line.OnChosen(set, [&session, options, rest] {
        if (rest->count() > 0) options->set.rest = options->rest;
        return RunSet(session, options->set);
    });

    auto* toggle = calendar->add_subcommand("toggle", "把一天在工作日和休息日之间切换");
    toggle->add_option("date", o.date, "日期 yyyy-mm-dd")->required();
    line.OnChosen(toggle, [&session, options] { return RunToggle(session, options->date); });

    auto* show = calendar->add_subcommand("show", "显示一个月的工厂日历");
    show->add_option("--month", o.month, "月份 yyyy-mm")->required();
    show->add_flag("--json", o.json, "以 JSON 数组输出");
    line.OnChosen(show, [&session, options] { return RunShow(session, options->month, options->json); });

    auto* check = calendar->add_subcommand("check", "检查工厂日历的编号与缺漏的日子");
    line.OnChosen(check, [&session] { return RunCheck(session); });
}

}  // namespace mfg
