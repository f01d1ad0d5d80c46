// A generated factory of any size for benchmarks and load tests. It starts from the demo's
// system and production master files (parameters, numbering rules, branches, operators, work
// shops, processes, routings) and writes everything else from the seed.
#include "SyntheticFactory.h"

#include <charconv>
#include <stdexcept>

#include <fmt/format.h>

#include "EmbeddedSql.h"
#include "FactoryModel.h"
#include "types/TextUtil.h"

namespace mfg {
namespace synthetic {
namespace {

enum Stream : std::uint64_t { kTraderStream = 10, kFundsStream = 11 };

//! 基础资料, 货品, 物料清单, 库存, 工作日历, 销售订单, 主生产计划, 采购订单, 生产与委外加工单, 配送, 资金.
constexpr size_t kStageCount = 11;

void LoadSystemFiles(Connection& db)
{
    for (const auto& file : DemoSql()) {
        if (file.name.find("10_system") == std::string_view::npos && file.name.find("20_production") == std::string_view::npos)
            continue;
        for (auto batch : SplitBatches(file.text)) db.Execute(batch);
    }
}

void ReadRoutings(Connection& db, FactoryModel& model)
{
    auto rows = db.Query("select w.WorkLineID, d.COUNTWAGEITEMID, d.WorkShopID, d.WorkCenterID from mnf_workline w "
                         "join mnf_worklined d on w.WorkLineID = d.WorkLineID where w.Closed = 0 order by w.WorkLineID, d.ItemNo");
    for (const auto& row : rows.rows) {
        int id = static_cast<int>(row[0].AsInteger());
        if (model.routings.empty() || model.routings.back().id != id) model.routings.push_back({id, {}});
        model.routings.back().steps.push_back({static_cast<int>(row[1].AsInteger()), static_cast<int>(row[2].AsInteger()),
                                               row[3].IsNull() ? 0 : static_cast<int>(row[3].AsInteger())});
    }
    if (model.routings.empty()) throw std::runtime_error("合成工厂: 没有可用的工艺流程");
}

void WriteStoresAndTraders(Connection& db, FactoryModel& model, SyntheticSummary& summary)
{
    TableWriter stores(db, summary.rows, "l_store", {"StoreID", "Code", "Name", "ShopID", "mrpcanuse"});
    stores.Add({1, "01", "原料仓", 1, 1});
    stores.Add({2, "02", "成品仓", 1, 1});
    stores.Add({3, "03", "待检仓", 1, 0});
    stores.Add({4, "04", "二分厂仓库", 2, 1});

    SyntheticRandom random = model.Random(kTraderStream);
    TableWriter traders(db, summary.rows, "l_trader",
                        {"TraderID", "Code", "Name", "IsVendor", "isclient", "ShopID", "PayMethodID", "MoneyID", "TaxRate", "EmpID"});
    const int supplierCount = std::max(4, model.size.goods / 250), customerCount = std::max(3, model.size.goods / 500);
    for (int i = 1; i <= supplierCount + customerCount; ++i) {
        const bool supplier = i <= supplierCount;
        int number = supplier ? i : i - supplierCount;
        traders.Add({i, fmt::format("{}{:04d}", supplier ? "GY" : "KH", number),
                     fmt::format("{}{:04d}", supplier ? "供应商" : "客户", number), supplier ? 1 : 0, supplier ? 0 : 1, 1,
                     random.Between(1, 3), 1, 17.0, supplier ? 5 : 6});
        (supplier ? model.suppliers : model.customers).push_back(i);
    }
}

//! Saturdays, Sundays and the default holidays rest; numbered as the calendar screen numbers.
void WriteCalendar(Connection& db, const FactoryModel& model, SyntheticSummary& summary)
{
    static const std::pair<int, int> holidays[] = {{1, 1}, {1, 2}, {5, 1}, {5, 2}, {5, 3}, {10, 1}, {10, 2}, {10, 3}};
    TableWriter days(db, summary.rows, "MNF_CALENDAR", {"WORKDATE", "SEQUENCE", "ISHOLIDAY"});
    const DateTime end = DateTime::FromYmd(model.today.Year() + 2, 12, 31);
    int sequence = 1;
    for (DateTime day = DateTime::FromYmd(model.today.Year() - 1, 1, 1); day <= end; day = day.AddDays(1)) {
        bool rest = day.DayOfWeek() == 1 || day.DayOfWeek() == 7;
        for (auto [month, dayOfMonth] : holidays) rest = rest || (day.Month() == month && day.Day() == dayOfMonth);
        days.Add({day, sequence, rest ? 1 : 0});
        if (!rest) ++sequence;
    }
}

void WriteFunds(Connection& db, const FactoryModel& model, SyntheticSummary& summary)
{
    SyntheticRandom random = model.Random(kFundsStream);
    TableWriter accounts(db, summary.rows, "ac_account",
                         {"AccountID", "Code", "Name", "ShopID", "IsCash", "MoneyID", "InitAmt", "Balance", "DownAmt"});
    const struct {
        const char* code;
        const char* name;
        int shop, isCash;
    } accountList[] = {{"1001", "现金", 1, 1}, {"1002", "银行基本户", 1, 0}, {"1003", "应收票据", 1, 2}, {"2001", "二分厂现金", 2, 1}};
    int accountId = 0;
    for (const auto& account : accountList) {
        double balance = random.Between(1000, 20000) * 100.0;
        accounts.Add({++accountId, account.code, account.name, account.shop, account.isCash, 1, balance, balance,
                      random.Between(0, 100) * 100.0});
    }
    const int dueCount = std::max(5, model.size.documentLines / 200);
    for (const bool receivable : {true, false}) {
        TableWriter dues(db, summary.rows, receivable ? "ac_duecharge" : "ac_duepay",
                         {"BillID", "ItemNo", "ShopID", "TraderID", "BillType", "BillCode", "BillDate", "PayDate", "Amount",
                          "PaidAmt", "Closed"});
        for (int billId = 1; billId <= dueCount; ++billId) {
            DateTime billDate = model.today.AddDays(-random.Between(0, 60));
            double amount = random.Between(10, 2000) * 100.0;
            dues.Add({billId, 1, random.Chance(0.95) ? 1 : 2, random.Pick(receivable ? model.customers : model.suppliers),
                      receivable ? 12 : 2, BillCodeText(receivable ? "YS" : "YF", billDate, false, billId), billDate,
                      model.today.AddDays(random.Between(-10, 120)), amount, random.Chance(0.2) ? amount / 2 : 0.0,
                      random.Chance(0.05) ? 1 : 0});
        }
    }
    // Last month's wages, which the projection repeats month by month.
    TableWriter wageBills(db, summary.rows, "aw_monthwagedatam",
                          {"BillID", "BillCode", "BillDate", "BillState", "ShopID", "WageYear", "WageMonth", "Amount"}, {{"UpdateTime", model.today}});
    TableWriter wageLines(db, summary.rows, "aw_monthwagefix", {"BillID", "ItemNo", "EmpID", "BaseAmt", "PayAmt"});
    const DateTime lastMonthEnd = DateTime::FromYmd(model.today.Year(), model.today.Month(), 1).AddDays(-1);
    const DateTime payDays[] = {DateTime::FromYmd(lastMonthEnd.Year(), lastMonthEnd.Month(), 10), lastMonthEnd};
    int billId = 0;
    for (int shop : {1, 1, 2}) {
        DateTime date = payDays[billId % 2];
        ++billId;
        double total = 0;
        for (int employee = 1; employee <= 8; ++employee) {
            double pay = random.Between(40, 90) * 100.0;
            total += pay;
            wageLines.Add({billId, employee, employee, pay, pay});
        }
        wageBills.Add({billId, BillCodeText("GZ", date, false, billId), date, 1, shop, date.Year(), date.Month(), total});
    }
}

void WriteKeys(Connection& db)
{
    static const std::pair<const char*, const char*> keys[] = {
        {"L_Goods", "GoodsID"},        {"L_GoodsUnit", "UnitID"},        {"L_Unit", "UnitID"},
        {"L_GoodsType", "GdTypeID"},   {"l_store", "StoreID"},           {"l_trader", "TraderID"},
        {"P_ORDER", "BillID"},         {"f_importorder", "BillID"},      {"S_ORDER", "BillID"},
        {"f_exportorder", "BillID"},   {"MNF_MANUORDER", "BillID"},      {"CM_MACHINING", "BillID"},
        {"P_REQUEST", "BillID"},       {"d_request", "BillID"},          {"d_distribute", "BillID"},
        {"MNF_ManuPlan", "BillID"},    {"i_draw", "BillID"},             {"ac_account", "AccountID"},
        {"ac_duecharge", "BillID"},    {"ac_duepay", "BillID"},          {"aw_monthwagedatam", "BillID"},
        {"d_shop", "ShopID"},          {"l_department", "DepartmentID"}, {"l_employ", "EmpID"},
        {"m_operator", "OPID"},        {"al_wgcountitem", "COUNTWAGEITEMID"}, {"mnf_workcenter", "WorkCenterID"},
        {"mnf_workline", "WorkLineID"}, {"mnf_workshop", "WorkShopID"},  {"L_Money", "MoneyID"},
        {"L_PayMethod", "PayMethodID"}};
    for (auto [table, column] : keys)
        db.Execute(fmt::format("insert into AG_KEYS (TableName, LastKey) select '{}', isnull(max({}), 0) from {}",
                               ToUpperAscii(table), column, table));
    // Standard print templates keep the ids below 10000.
    db.Execute("insert into AG_KEYS (TableName, LastKey) values ('L_PRINTTMPLT', 10000)");
}

}  // namespace
}  // namespace synthetic

SyntheticSize SyntheticSizeOf(int goods)
{
    SyntheticSize size;
    size.goods = goods;
    size.bomLinks = goods * 5;
    size.depth = goods >= 50000 ? 12 : (goods >= 5000 ? 9 : 6);
    size.documentLines = goods * 2;
    size.mpsLines = std::max(20, goods / 25);
    return size;
}

std::optional<SyntheticSize> ParseSyntheticSize(std::string_view text)
{
    if (text == "small") return SyntheticSizeOf(500);
    if (text == "medium") return SyntheticSizeOf(5000);
    if (text == "large") return SyntheticSizeOf(50000);
    if (text == "xlarge") return SyntheticSizeOf(500000);
    int goods = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), goods);
    if (error != std::errc() || end != text.data() + text.size() || goods < 100 || goods > 2000000) return std::nullopt;
    return SyntheticSizeOf(goods);
}

SyntheticSummary LoadSyntheticFactory(Connection& db, const SyntheticSize& size, std::uint64_t seed, const LoadProgress& progress)
{
    using namespace synthetic;
    FactoryModel model;
    model.size = size;
    model.seed = seed;
    model.today = db.ServerTime().Date();
    SyntheticSummary summary;
    size_t done = 0;
    const StageReport stage = [&](std::string_view name) {
        if (progress) progress(name, done, kStageCount);
        ++done;
    };

    TransactionGuard transaction(db);
    stage("基础资料");
    LoadSystemFiles(db);
    ReadRoutings(db, model);
    WriteStoresAndTraders(db, model, summary);
    WriteGoodsAndBom(db, model, summary, stage);
    stage("工作日历");
    WriteCalendar(db, model, summary);
    WriteDocuments(db, model, summary, stage);
    stage("资金");
    WriteFunds(db, model, summary);
    WriteKeys(db);
    transaction.Commit();
    if (progress) progress("", kStageCount, kStageCount);
    return summary;
}

}  // namespace mfg
