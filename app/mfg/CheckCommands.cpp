// The check of what concurrent planners must never break, over every part of the module at once.
#include <iostream>

#include <fmt/format.h>

#include "CalendarCheck.h"
#include "ConsoleSession.h"
#include "DataCheck.h"

namespace mfg {
namespace {

int RunCheck(const Session& session)
{
    ConsoleHost console(session);
    // It reads every part of the module, whatever rights an operator holds for each.
    if (!console.users.IsAdmin(console.host.UserID())) {
        std::cerr << "只有管理员可以检查全部数据。\n";
        return 2;
    }
    std::vector<DataProblem> problems;
    for (const auto& problem : CheckCalendar()) problems.push_back({"工厂日历编号连续, 没有缺漏的日子", problem.Describe()});
    for (auto& problem : CheckModuleData()) problems.push_back(std::move(problem));
    for (const auto& problem : problems) std::cout << fmt::format("{}: {}\n", problem.rule, problem.text);
    if (!problems.empty()) {
        std::cerr << fmt::format("发现 {} 处问题。\n", problems.size());
        return 1;
    }
    std::cout << "数据完好: 销售订单行各转入一次, BOM 各行审核状态一致, 工厂日历编号连续, 单据编号各有一条打印记录, "
                 "下达的单据都有明细行。\n";
    return 0;
}

}  // namespace

void AddCheckCommands(const CommandLine& line)
{
    const Session& session = line.session;
    auto* check = line.app.add_subcommand("check", "检查多人同时操作不得破坏的数据规则 (只读)");
    line.OnChosen(check, [&session] { return RunCheck(session); });
}

}  // namespace mfg
