// The master production schedule: open sales-order lines into schedule lines, the list of the
// schedule and its audit.
#include <cstdint>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>

#include <fmt/format.h>

#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "ManuPlanBill.h"
#include "RowSelection.h"
#include "SorderToMps.h"
#include "host/Users.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

constexpr int kMpsPrivilege = 2048;

struct FromSalesOptions {
    bool all = false;
    std::vector<std::string> lines;  // BILLCODE or BILLCODE:ITEMNO
    std::string from, to, finish;
};

//! An order line as the command line names it: the order code, and the line number after the
//! last ':' when one follows (order codes may hold ':' themselves only before it).
std::pair<std::string, std::optional<int>> ParseLine(const std::string& text)
{
    auto colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 == text.size()) return {text, std::nullopt};
    std::string item = text.substr(colon + 1);
    if (item.find_first_not_of("0123456789") != std::string::npos) return {text, std::nullopt};
    return {text.substr(0, colon),
            static_cast<int>(ParseUserInteger(item, ArgumentCaption("订单行号", text), 1, std::numeric_limits<int>::max()))};
}

//! Ticks the order lines named; prints those the list does not hold and returns false then.
bool TickNamedLines(SorderToMps& mps, const std::vector<std::string>& names, const std::string& range)
{
    DataSet& lines = mps.Lines();
    bool allFound = true;
    for (const auto& name : names) {
        auto [billCode, itemNo] = ParseLine(name);
        if (!mps.Locate(billCode, itemNo)) {
            std::cerr << fmt::format("{} 不在可转入的销售订单记录中: 订单须已审核、未关闭, 货品为产成品, 尚有未转数量且未转入"
                                     "主生产计划, 交货日期 (无交货日期时为订货日期) 在 {} 内。\n",
                                     name, range);
            allFound = false;
            continue;
        }
        // An order code alone stands for every listed line of the order.
        for (; !lines.Eof() && lines.FieldByName("BillCode").AsString() == billCode; lines.Next()) {
            if (itemNo && lines.FieldByName("ItemNO").AsInteger() != *itemNo) break;
            lines.Edit();
            lines.FieldByName("Selected").SetValue(1);
            lines.Post();
        }
    }
    return allFound;
}

void SetFinishDate(DataSet& lines, DateTime finish)
{
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (lines.FieldByName("Selected").AsInteger() == 0) continue;
        lines.Edit();
        lines.FieldByName("MNEndDate").SetValue(finish);
        lines.Post();
    }
}

//! The check stops on the line it refused: name it, since the console has no grid to show it in.
void PrintRefusedLine(DataSet& lines)
{
    if (lines.IsEmpty() || lines.FieldByName("Selected").AsInteger() == 0) return;
    const Field& finish = lines.FieldByName("MNEndDate");
    std::cerr << fmt::format("  订单 {} 第 {} 行: 完工日期 {}, 数量 {} (完工日期可用 --finish 指定)\n",
                             lines.FieldByName("BillCode").AsString(), lines.FieldByName("ItemNO").AsString(),
                             finish.IsNull() ? std::string("空") : finish.AsDateTime().Format("yyyy-mm-dd"),
                             lines.FieldByName("MnQty").AsString());
}

int RunFromSales(const Session& session, const FromSalesOptions& options)
{
    if (options.all == !options.lines.empty()) {
        std::cerr << "请给出 --all, 或者要转入的订单行 BILLCODE[:ITEMNO] (二者取一)。\n";
        return 2;
    }
    ConsoleHost console(session);
    if (!HasNewPrivilege2(kMpsPrivilege, static_cast<int>(PrivKind::Run), true)) return 3;
    Host& host = console.host;
    DateTime from = options.from.empty() ? host.GetFirstDayOfPosMonth() : ParseDateOption(options.from, "--from");
    DateTime to = options.to.empty() ? host.GetLastDayOfPosMonth() : ParseDateOption(options.to, "--to");
    std::string range = fmt::format("{} 至 {}", from.Format("yyyy-mm-dd"), to.Format("yyyy-mm-dd"));

    SorderToMps mps;
    mps.Reload(from, to);
    if (options.all) SelectAllRows(mps.Lines());
    else if (!TickNamedLines(mps, options.lines, range)) return 2;
    if (!options.finish.empty()) SetFinishDate(mps.Lines(), ParseDateOption(options.finish, "--finish"));

    ConvertResult result = mps.Convert();
    for (const auto& code : mps.WrittenCodes()) std::cout << code << '\n';
    switch (result) {
    // Lines another user converted meanwhile were named: this run did not write all it was asked.
    case ConvertResult::Converted: return mps.TakenLines().empty() ? 0 : 1;
    case ConvertResult::Refused: PrintRefusedLine(mps.Lines()); return 2;
    case ConvertResult::Failed: break;
    }
    return 1;
}

int RunList(const Session& session, bool json)
{
    ConsoleHost console(session);
    if (!console.Permitted(kMpsPrivilege, PrivKind::Browse)) return 3;
    auto rows = console.host.DBStartup().Query(ManuPlanListSql());
    if (json) std::cout << JsonText(ToJson(rows), 2) << '\n';
    else PrintTable(std::cout, rows);
    return 0;
}

int RunAudit(const Session& session, const std::string& billCode)
{
    ConsoleHost console(session);
    if (!HasNewPrivilege2(kMpsPrivilege, static_cast<int>(PrivKind::Check), true)) return 3;
    switch (AuditManuPlan(billCode)) {
    case ManuPlanAuditResult::Audited: std::cout << fmt::format("主生产计划 {} 已审核。\n", billCode); return 0;
    case ManuPlanAuditResult::AlreadyAudited:
        std::cout << fmt::format("主生产计划 {} 早已审核, 未做修改。\n", billCode);
        return 0;
    case ManuPlanAuditResult::NotFound: break;
    }
    std::cerr << fmt::format("本分支机构没有主生产计划 {}。\n", billCode);
    return 2;
}

}  // namespace

void AddMpsCommands(const CommandLine& line)
{
    auto fromSales = std::make_shared<FromSalesOptions>();
    auto json = std::make_shared<bool>(false);
    auto billCode = std::make_shared<std::string>();
    const Session& session = line.session;

    auto* mps = line.app.add_subcommand("mps", "主生产计划: 销售订单转入、列表、审核");
    mps->require_subcommand(1);

    auto* convert = mps->add_subcommand("from-sales", "销售订单直接转入主生产计划 (每个订单行一张计划单)");
    convert->add_flag("--all", fromSales->all, "转入交货日期范围内全部可转入的订单行");
    convert->add_option("lines", fromSales->lines, "订单编号, 或 订单编号:行号");
    convert->add_option("--from", fromSales->from, "订单交货日期起 yyyy-mm-dd (默认当前会计期间第一天)");
    convert->add_option("--to", fromSales->to, "订单交货日期止 yyyy-mm-dd (默认当前会计期间最后一天)");
    convert->add_option("--finish", fromSales->finish, "所选各行的完工日期 yyyy-mm-dd (默认交货日期, 无则订货日期)");
    line.OnChosen(convert, [&session, fromSales] { return RunFromSales(session, *fromSales); });

    auto* list = mps->add_subcommand("list", "列出本分支机构的主生产计划");
    list->add_flag("--json", *json, "以 JSON 数组输出");
    line.OnChosen(list, [&session, json] { return RunList(session, *json); });

    auto* audit = mps->add_subcommand("audit", "审核主生产计划单, 供 MRP 选用");
    audit->add_option("billcode", *billCode, "计划单编号")->required();
    line.OnChosen(audit, [&session, billCode] { return RunAudit(session, *billCode); });
}

}  // namespace mfg
