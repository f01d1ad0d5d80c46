// mfg cost: a product's material cost rolled up from its BOM, as the cost budget screen shows it.
#include <iostream>
#include <map>
#include <memory>

#include <fmt/format.h>

#include "ConsoleSession.h"
#include "ConsoleTable.h"
#include "CostBudget.h"
#include "host/Format.h"

namespace mfg {
namespace {

constexpr int CostBudgetPrivilege = 2049;

struct CostOptions {
    std::string code;
    std::string basis = "reference";
    std::string depth = "first";
    std::optional<double> qty;
    bool json = false;
};

ResultSet LineRows(const CostBudget& budget)
{
    ResultSet rows;
    for (const char* name : {"goodscode", "goodsname", "specs", "unitname"})
        rows.columns.push_back({name, FieldType::Text});
    for (const char* name : {"quantity", "wasterate", "actqty", "price", "amount", "amt", "sumamt"})
        rows.columns.push_back({name, FieldType::Float});
    for (const auto& line : budget.Lines())
        rows.rows.push_back({line.goodsCode, line.goodsName, line.specs, line.unitName, line.quantity,
                             RoundToEx(line.wasteRate, 4), line.actQty, line.price, line.amount, line.amt.value_or(0),
                             line.sumAmt});
    return rows;
}

int RunCost(const Session& session, const CostOptions& options)
{
    static const std::map<std::string, PriceBasis> bases{{"reference", PriceBasis::ReferencePurchase},
                                                         {"last", PriceBasis::LastPurchase},
                                                         {"stock", PriceBasis::StockCost}};
    static const std::map<std::string, BomDepth> depths{{"first", BomDepth::FirstLevel}, {"last", BomDepth::LastLevel}};
    ConsoleHost console(session);
    if (!console.users.HasPrivilege(console.host.UserID(), CostBudgetPrivilege, PrivKind::Browse)) {
        std::cerr << "没有产品成本预算的权限 (2049)。\n";
        return 2;
    }
    auto goodsId =
        console.host.GetValueOfSql("select goodsid from l_goods where code = :code", {}, {{"code", options.code}});
    if (goodsId.IsNull()) {
        std::cerr << fmt::format("没有这个货品: {}\n", options.code);
        return 2;
    }
    CostBudget budget;
    budget.SetBasis(bases.at(options.basis));
    budget.SelectProduct(static_cast<int>(goodsId.AsInteger()));
    if (depths.at(options.depth) != budget.Depth()) budget.SetDepth(depths.at(options.depth));
    if (options.qty) budget.SetQty(*options.qty);

    const auto& product = budget.Product();
    auto lines = LineRows(budget);
    if (options.json) {
        nlohmann::json out{{"goodscode", product.goodsCode},
                           {"goodsname", product.goodsName},
                           {"specs", product.specs},
                           {"unitname", product.unitName},
                           {"qty", product.qty},
                           {"price", product.price},
                           {"amount", product.amount},
                           {"lines", ToJson(lines)}};
        std::cout << JsonText(out, 2) << '\n';
        return 0;
    }
    std::cout << fmt::format("产品成本预算  {} {} {}  单位:{}\n", product.goodsCode, product.goodsName, product.specs,
                             product.unitName);
    PrintTable(std::cout, lines);
    std::cout << fmt::format("数量:{}  单价:{}  金额:{}\n", FormatQuantityText(product.qty),
                             FormatPriceText(product.price), FormatAmountText(product.amount));
    return 0;
}

}  // namespace

void AddCostingCommands(const CommandLine& line)
{
    auto options = std::make_shared<CostOptions>();
    const Session& session = line.session;
    auto* cost = line.app.add_subcommand("cost", "产品成本预算: 按 BOM 汇总材料成本");
    cost->add_option("code", options->code, "产品编码")->required();
    cost->add_option("--basis", options->basis, "价格依据: reference 参考进价 (默认), last 最近进价, stock 库存成本价")
        ->check(CLI::IsMember({"reference", "last", "stock"}));
    cost->add_option("--depth", options->depth, "BOM 层次: first 一级 (默认), last 末级")
        ->check(CLI::IsMember({"first", "last"}));
    AddNumberOption(cost, "--qty", options->qty, ArgumentCaption("预算数量", "--qty"), NumberRange::NonNegative(),
                    "预算数量 (默认 BOM 的母件数量)");
    cost->add_flag("--json", options->json, "以 JSON 输出");
    line.OnChosen(cost, [&session, options] { return RunCost(session, *options); });
}

}  // namespace mfg
