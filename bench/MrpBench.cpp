// The MRP engine on synthetic factories (small, medium, large on SQLite): Load, Calculate and the
// fills timed separately over every audited schedule line, with the peak memory of the process.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "Database.h"
#include "MrpEngine.h"
#include "SyntheticFactory.h"
#include "data/TreeItems.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace {

using mfg::DateTime;

//! Peak resident memory of this process in MiB (VmHWM).
double PeakMemoryMiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    double kib = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kib;
            break;
        }
        status.ignore(1 << 10, '\n');
    }
    return kib / 1024;
}

//! A factory of a number of goods in a file database, built once per size, with a host over it.
struct Factory {
    explicit Factory(int goods)
    {
        path = (std::filesystem::temp_directory_path() / ("mfg-mrp-bench-" + std::to_string(goods) + ".db")).string();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
        {
            auto db = mfg::OpenDatabase(path);
            db->SetClock(Today);
            mfg::InstallSchema(*db);
            mfg::LoadSyntheticFactory(*db, mfg::SyntheticSizeOf(goods), 1);
        }
        host = std::make_unique<mfg::Host>(mfg::OpenDatabase(path));
        host->SetToday(Today());
        host->SetShopID(1);
        host->SetUser(1, "管理员");
        host->SetDialogs(std::make_unique<mfg::ScriptedDialogs>());
        scope = std::make_unique<mfg::CurrentHostScope>(*host);
        // Every audited, open schedule line is demand, as "--mps all" takes them.
        std::string ids;
        for (const auto& row : host->DBStartup()
                                   .Query("select BillID, ItemNo, BillCode, BillDate, GoodsID, Quantity, FinishDate, ReleasedQty "
                                          "from MNF_ManuPlan where BillState = 1 and Closed = 0 order by BillID, ItemNo")
                                   .rows) {
            mfg::MrpLine line;
            line.billid = static_cast<std::int32_t>(row[0].AsInteger());
            line.itemno = static_cast<std::int32_t>(row[1].AsInteger());
            line.billcode = row[2].AsString();
            line.billdate = row[3].AsDateTime();
            line.goodsid = static_cast<std::int32_t>(row[4].AsInteger());
            line.planqty = row[5].AsFloat();
            line.quantity = row[5].AsFloat() - row[7].AsFloat();
            line.date = row[6].AsDateTime();
            line.billtype = 43;
            plan.push_back(line);
            ids += (ids.empty() ? "" : ",") + std::to_string(line.goodsid);
        }
        goodsScope = "'" + ids + "'";
    }
    ~Factory()
    {
        scope.reset();
        host.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    }

    static DateTime Today() { return DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0); }

    std::string path;
    std::unique_ptr<mfg::Host> host;
    std::unique_ptr<mfg::CurrentHostScope> scope;
    std::vector<mfg::MrpLine> plan;
    std::string goodsScope;
};

//! Default options of the workbench.
constexpr std::uint32_t kOptions = 0x1 | 0x2 | 0x4 | 0x8 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x4000;

Factory& FactoryOf(int goods)
{
    // One factory at a time: a larger one replaces the smaller, so memory figures stay apart.
    static std::unique_ptr<Factory> current;
    static int currentGoods = 0;
    if (currentGoods != goods) {
        current.reset();
        current = std::make_unique<Factory>(goods);
        currentGoods = goods;
    }
    return *current;
}

void Report(benchmark::State& state, const mfg::MrpEngine& engine)
{
    state.counters["gross_nodes"] = static_cast<double>(engine.grossNodes.size());
    state.counters["net_records"] = static_cast<double>(engine.netRecords.size());
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

void BM_MrpLoad(benchmark::State& state)
{
    Factory& factory = FactoryOf(static_cast<int>(state.range(0)));
    mfg::MrpEngine engine;
    for (auto _ : state)
        if (!engine.Load(true, false, factory.goodsScope)) state.SkipWithError("Load failed");
    state.counters["goods"] = static_cast<double>(engine.goods.size());
    Report(state, engine);
}

void BM_MrpCalculate(benchmark::State& state)
{
    Factory& factory = FactoryOf(static_cast<int>(state.range(0)));
    mfg::MrpEngine engine;
    if (!engine.Load(true, false, factory.goodsScope)) state.SkipWithError("Load failed");
    for (auto _ : state)
        if (!engine.Calculate(factory.plan, {}, kOptions)) state.SkipWithError("Calculate failed");
    Report(state, engine);
}

void BM_MrpFills(benchmark::State& state)
{
    Factory& factory = FactoryOf(static_cast<int>(state.range(0)));
    mfg::MrpEngine engine;
    if (!engine.Load(true, false, factory.goodsScope) || !engine.Calculate(factory.plan, {}, kOptions))
        state.SkipWithError("run failed");
    for (auto _ : state) {
        mfg::TreeItems tree;
        mfg::DataSet gross, net, manufacture, purchase, budget;
        engine.FillGoodsTree(tree);
        engine.FillGrossTable(gross);
        engine.FillNetTable(net, 1);
        engine.FillManufactureSuggestions(manufacture);
        engine.FillPurchaseSuggestions(purchase, 3);
        engine.FillFundsProjection(purchase, budget, 1, 1000);
        state.counters["purchase_rows"] = static_cast<double>(purchase.RecordCount());
    }
    Report(state, engine);
}

// Size by size, so that each factory is written once.
#define MRP_BENCH_SIZE(goods)                                                             \
    BENCHMARK(BM_MrpLoad)->Arg(goods)->Iterations(1)->Unit(benchmark::kMillisecond);      \
    BENCHMARK(BM_MrpCalculate)->Arg(goods)->Iterations(1)->Unit(benchmark::kMillisecond); \
    BENCHMARK(BM_MrpFills)->Arg(goods)->Iterations(1)->Unit(benchmark::kMillisecond)
MRP_BENCH_SIZE(500);
MRP_BENCH_SIZE(5000);
MRP_BENCH_SIZE(50000);

}  // namespace
