// mfg capacity: rough-cut capacity of the open sales-order lines due in a date range against the
// hours of every workshop.
#include <algorithm>
#include <iostream>
#include <map>
#include <memory>

#include <fmt/format.h>

#include "CapacityPlanner.h"
#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "host/Format.h"

namespace mfg {
namespace {

constexpr int CapacityPrivilege = 2059;

struct CapacityOptions {
    std::string from, to;
    std::string period = "day";
    std::vector<std::string> workshops;
    bool json = false;
};

int RunCapacity(const Session& session, const CapacityOptions& options)
{
    static const std::map<std::string, CapacityPeriod> periods{
        {"day", CapacityPeriod::Day}, {"week", CapacityPeriod::Week}, {"month", CapacityPeriod::Month}};
    ConsoleHost console(session);
    if (!console.users.HasPrivilege(console.host.UserID(), CapacityPrivilege, PrivKind::Run)) {
        std::cerr << "没有粗能力计算的权限 (2059)。\n";
        return 2;
    }
    DateTime from = ParseDateOption(options.from, "--from").Date();
    DateTime to = ParseDateOption(options.to, "--to").Date();
    DateTime today = console.host.GetSystemTime().Date();

    CapacityPlanner planner;
    planner.LoadMasterData();
    if (!options.workshops.empty())
        for (auto& shop : planner.Workshops())
            shop.selected =
                std::find(options.workshops.begin(), options.workshops.end(), shop.code) != options.workshops.end();
    auto products = CapacityPlanner::SalesOrderLines(from, to, std::max(from, today));
    // A line whose goods has no audited BOM cannot be timed; the screen stops at it, the console
    // plans the others and names it.
    for (auto& goods : products)
        if (!planner.TotalUseTime(goods)) {
            goods.selected = false;
            std::cerr << fmt::format("跳过 {} 第 {} 行: {}\n", goods.billCode, goods.itemNo,
                                     CapacityPlanner::NoBomMessage(goods.goodsName));
        }
    std::cerr << fmt::format("计划货品 {} 行, 日产能 {} 小时\n", products.size(), planner.DailyCapacity());
    if (auto issue = planner.Calculate(products)) {
        std::cerr << issue->message << '\n';
        if (issue->row >= 0)
            std::cerr << fmt::format("  (销售订单 {} 第 {} 行)\n", products[issue->row].billCode,
                                     products[issue->row].itemNo);
        return 2;
    }
    auto rows = CapacityPlanner::ToResultSet(planner.Result(periods.at(options.period)));
    // Hours to two decimals, as the result grid shows them.
    for (auto& row : rows.rows)
        for (auto& value : row)
            if (value.Type() == FieldType::Float) value = RoundToEx(value.AsFloat(), 2);
    if (options.json)
        std::cout << JsonText(ToJson(rows), 2) << '\n';
    else
        PrintTable(std::cout, rows);
    return 0;
}

}  // namespace

void AddCapacityCommands(const CommandLine& line)
{
    auto options = std::make_shared<CapacityOptions>();
    const Session& session = line.session;
    auto* capacity = line.app.add_subcommand("capacity", "粗能力计算: 销售订单的负荷对照车间产能");
    capacity->add_option("--from", options->from, "交货日期从 yyyy-mm-dd (也是开工日期, 不早于今天)")->required();
    capacity->add_option("--to", options->to, "交货日期到 yyyy-mm-dd")->required();
    capacity->add_option("--period", options->period, "按 day 日 (默认), week 周, month 月 汇总")
        ->check(CLI::IsMember({"day", "week", "month"}));
    capacity->add_option("--workshop", options->workshops, "只计算这些车间 (车间编码), 默认全部");
    capacity->add_flag("--json", options->json, "以 JSON 数组输出");
    line.OnChosen(capacity, [&session, options] { return RunCapacity(session, *options); });
}

}  // namespace mfg
