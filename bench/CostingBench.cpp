// A large synthetic factory: a deep BOM where every assembly shares its components with its
// neighbours, costed to the leaf materials; and a year of planned products against the work
// calendar for the rough-cut capacity. Then the same on the large synthetic factory (50,000 goods,
// 250,000 BOM links twelve deep): its deepest finished product costed to the leaves, and every
// audited schedule line planned against the demo's workshops.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "CapacityPlanner.h"
#include "CostBudget.h"
#include "Database.h"
#include "SyntheticFactory.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace {

constexpr int kLevels = 12;      // assemblies below the product
constexpr int kWidth = 100;      // goods per level
constexpr int kComponents = 5;   // lines per assembly, drawn from the next level
constexpr int kProducts = 2000;  // planned products of the capacity run

int GoodsId(int level, int index)
{
    return 100000 + level * 1000 + index;
}

//! A host over an in-memory factory. Walking every path of this BOM would visit 5^12 lines; rolled
//! up once per goods it is 6,000 lines.
mfg::Host& Factory()
{
    static mfg::Host host([] {
        auto db = mfg::OpenDatabase(":memory:");
        mfg::InstallSchema(*db);
        return db;
    }());
    static bool filled = [] {
        mfg::CurrentHostScope scope(host);
        host.BeginTran();
        for (int level = 0; level <= kLevels; ++level)
            for (int i = 0; i < kWidth; ++i) {
                int id = GoodsId(level, i);
                host.SqlExecute(
                    "insert into L_Goods (GoodsID, Code, Name, Kind, APrice) values (:id, :code, :name, :kind, :price)",
                    {{"id", id},
                     {"code", "B" + std::to_string(id)},
                     {"name", "件" + std::to_string(id)},
                     {"kind", level == kLevels ? 1 : 2},
                     {"price", 1 + i * 0.01}});
                host.SqlExecute(
                    "insert into L_GoodsUnit (UnitID, GoodsID, UnitName, IsBase, PPrice) values (:id, :id, '件', 1, "
                    ":price)",
                    {{"id", id}, {"price", 1.5 + i * 0.01}});
                if (level == kLevels) continue;
                for (int c = 0; c < kComponents; ++c)
                    host.SqlExecute(
                        "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, Quantity, MasterQty, UseTime, WasteRate, "
                        "State) "
                        "values (:p, :e, :n, 1.01, 1, 2, 1, 1)",
                        {{"p", id}, {"e", GoodsId(level + 1, (i * 7 + c * 13) % kWidth)}, {"n", c + 1}});
            }
        host.SqlExecute(
            "insert into mnf_workshop (WorkShopID, Code, Name, Machines, MacheHours, Workers, DayManHaur) "
            "values (1, 'W1', '车间', 40, 8, 200, 7.5)");
        for (int day = 0; day < 3 * 365; ++day) {
            auto date = mfg::DateTime::FromYmd(2026, 1, 1).AddDays(day);
            bool rest = date.DayOfWeek() == 1 || date.DayOfWeek() == 7;
            host.SqlExecute("insert into MNF_CALENDAR (WORKDATE, ISHOLIDAY, SEQUENCE) values (:d, :h, :s)",
                            {{"d", date}, {"h", rest ? 1 : 0}, {"s", day}});
        }
        host.CommitTran();
        host.SetToday(mfg::DateTime::FromYmd(2026, 12, 6));
        return true;
    }();
    (void)filled;
    return host;
}

void BM_CostRollUpLastLevel(benchmark::State& state)
{
    auto& host = Factory();
    mfg::CurrentHostScope scope(host);
    for (auto _ : state) {
        mfg::CostBudget budget;
        budget.SelectProduct(GoodsId(0, 0));
        budget.SetDepth(mfg::BomDepth::LastLevel);
        benchmark::DoNotOptimize(budget.Product().amount);
    }
    state.SetItemsProcessed(state.iterations() * kLevels * kWidth * kComponents);
}
BENCHMARK(BM_CostRollUpLastLevel)->Unit(benchmark::kMillisecond);

void BM_CostFirstLevel(benchmark::State& state)
{
    auto& host = Factory();
    mfg::CurrentHostScope scope(host);
    for (auto _ : state) {
        mfg::CostBudget budget;
        budget.SelectProduct(GoodsId(0, 0));
        benchmark::DoNotOptimize(budget.Product().amount);
    }
}
BENCHMARK(BM_CostFirstLevel)->Unit(benchmark::kMillisecond);

void BM_CapacityCalculate(benchmark::State& state)
{
    auto& host = Factory();
    mfg::CurrentHostScope scope(host);
    mfg::CapacityPlanner planner;
    planner.LoadMasterData();
    std::vector<mfg::PlannedGoods> products(kProducts);
    auto today = mfg::DateTime::FromYmd(2026, 12, 6);
    for (int i = 0; i < kProducts; ++i) {
        auto& goods = products[i];
        goods.selected = true;
        goods.goodsId = GoodsId(i % kLevels, i % kWidth);
        goods.goodsCode = "B" + std::to_string(goods.goodsId);
        goods.quantity = 10 + i % 50;
        goods.startWorkDate = today.AddDays(i % 300);
        goods.revDate = today.AddDays(i % 300 + 5 + i % 30);
    }
    for (auto _ : state) {
        planner.Calculate(products);
        auto weeks = planner.Result(mfg::CapacityPeriod::Week);
        benchmark::DoNotOptimize(weeks.size());
    }
    state.SetItemsProcessed(state.iterations() * kProducts);
}
BENCHMARK(BM_CapacityCalculate)->Unit(benchmark::kMillisecond);

//! The synthetic factory of a number of goods in a file database, written once per run.
struct SyntheticFactory {
    explicit SyntheticFactory(int goods)
    {
        path =
            (std::filesystem::temp_directory_path() / ("mfg-costing-bench-" + std::to_string(goods) + ".db")).string();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
        {
            auto db = mfg::OpenDatabase(path);
            db->SetClock([] { return kToday; });
            mfg::InstallSchema(*db);
            mfg::LoadSyntheticFactory(*db, mfg::SyntheticSizeOf(goods), 1);
        }
        host = std::make_unique<mfg::Host>(mfg::OpenDatabase(path));
        host->SetToday(kToday);
        host->SetDialogs(std::make_unique<mfg::ScriptedDialogs>());
    }
    ~SyntheticFactory()
    {
        host.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    }

    static inline const mfg::DateTime kToday = mfg::DateTime::FromYmd(2026, 12, 6);
    std::string path;
    std::unique_ptr<mfg::Host> host;
};

SyntheticFactory& Synthetic(int goods)
{
    static std::map<int, std::unique_ptr<SyntheticFactory>> factories;
    auto& factory = factories[goods];
    if (!factory) factory = std::make_unique<SyntheticFactory>(goods);
    return *factory;
}

void BM_CostSyntheticLastLevel(benchmark::State& state)
{
    auto& factory = Synthetic(static_cast<int>(state.range(0)));
    mfg::CurrentHostScope scope(*factory.host);
    // The finished product whose tree reaches the most goods.
    int product = static_cast<int>(
        factory.host
            ->GetValueOfSql("select top 1 b.GoodsID from L_GoodsBom b join L_Goods g on g.GoodsID = b.GoodsID "
                            "where g.Kind = 3 group by b.GoodsID order by count(*) desc, b.GoodsID")
            .AsInteger());
    size_t lines = 0;
    for (auto _ : state) {
        mfg::CostBudget budget;
        budget.SelectProduct(product);
        budget.SetDepth(mfg::BomDepth::LastLevel);
        lines = budget.Lines().size();
        benchmark::DoNotOptimize(budget.Product().amount);
    }
    state.counters["leaf_lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_CostSyntheticLastLevel)->Arg(50000)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_CapacitySynthetic(benchmark::State& state)
{
    auto& factory = Synthetic(static_cast<int>(state.range(0)));
    mfg::CurrentHostScope scope(*factory.host);
    mfg::CapacityPlanner planner;
    planner.LoadMasterData();
    std::vector<mfg::PlannedGoods> products;
    for (const auto& row : factory.host->DBStartup()
                               .Query("select p.GoodsID, g.Code, p.Quantity, p.FinishDate from MNF_ManuPlan p join "
                                      "L_Goods g on g.GoodsID = p.GoodsID where p.BillState = 1 and p.Closed = 0")
                               .rows) {
        mfg::PlannedGoods goods;
        goods.selected = true;
        goods.goodsId = static_cast<int>(row[0].AsInteger());
        goods.goodsCode = row[1].AsString();
        goods.quantity = row[2].AsFloat();
        goods.startWorkDate = SyntheticFactory::kToday;
        goods.revDate = std::max(row[3].AsDateTime(), SyntheticFactory::kToday);
        // Goods without audited BOM times cannot be planned; the screen would stop at them.
        if (planner.FindBomTime(goods.goodsId)) products.push_back(goods);
    }
    size_t days = 0;
    for (auto _ : state) {
        if (auto issue = planner.Calculate(products)) state.SkipWithError(issue->message.c_str());
        days = planner.DayRecords().size();
        benchmark::DoNotOptimize(planner.Result(mfg::CapacityPeriod::Week).size());
    }
    state.counters["products"] = static_cast<double>(products.size());
    state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(BM_CapacitySynthetic)->Arg(50000)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
