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
    mfg::MrpEngine engine;  //!< loaded by the first stage that needs it
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

//! The scope table as Load would make it, but with indexes on both columns. Load keeps a table
//! that exists (it only empties it), so its goods query looks goods up in the scope instead of
//! scanning the whole scope once per goods, which on SQLite grows with goods times links.
void PrepareIndexedScope(mfg::Host& host)
{
    auto& db = host.DBStartup();
    db.Execute("if exists(select * from sysobjects where name = 't_goodsid') drop table t_goodsid");
    db.Execute("create table t_goodsid (goodsid int, elemgid int)");
    db.Execute("create index IX_t_goodsid_goodsid on t_goodsid (goodsid)");
    db.Execute("create index IX_t_goodsid_elemgid on t_goodsid (elemgid)");
}

//! The factory's engine, loaded over the indexed scope once: Calculate and the fills reuse it.
mfg::MrpEngine* LoadedEngine(Factory& factory)
{
    if (!factory.engine.loaded) {
        PrepareIndexedScope(*factory.host);
        if (!factory.engine.Load(true, false, factory.goodsScope)) return nullptr;
    }
    return &factory.engine;
}

void Report(benchmark::State& state, const mfg::MrpEngine& engine)
{
    state.counters["gross_nodes"] = static_cast<double>(engine.grossNodes.size());
    state.counters["net_records"] = static_cast<double>(engine.netRecords.size());
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

//! range(1): 1 over the indexed scope table.
void BM_MrpLoad(benchmark::State& state)
{
    Factory& factory = FactoryOf(static_cast<int>(state.range(0)));
    mfg::MrpEngine plainEngine;
    mfg::MrpEngine& engine = state.range(1) ? factory.engine : plainEngine;
    for (auto _ : state) {
        state.PauseTiming();
        if (state.range(1)) PrepareIndexedScope(*factory.host);
        state.ResumeTiming();
        if (!engine.Load(true, false, factory.goodsScope)) state.SkipWithError("Load failed");
    }
    state.counters["goods"] = static_cast<double>(engine.goods.size());
    Report(state, engine);
}

void BM_MrpCalculate(benchmark::State& state)
{
    Factory& factory = FactoryOf(static_cast<int>(state.range(0)));
    mfg::MrpEngine* engine = LoadedEngine(factory);
    if (!engine) {
        state.SkipWithError("Load failed");
        return;
    }
    for (auto _ : state)
        if (!engine->Calculate(factory.plan, {}, kOptions)) state.SkipWithError("Calculate failed");
    Report(state, *engine);
}

void BM_MrpFills(benchmark::State& state)
{
    Factory& factory = FactoryOf(static_cast<int>(state.range(0)));
    mfg::MrpEngine* loaded = LoadedEngine(factory);
    if (!loaded || (loaded->grossNodes.empty() && !loaded->Calculate(factory.plan, {}, kOptions))) {
        state.SkipWithError("run failed");
        return;
    }
    mfg::MrpEngine& engine = *loaded;
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

void Once(benchmark::internal::Benchmark* benchmark) { benchmark->Iterations(1)->Unit(benchmark::kMillisecond); }

// Size by size, so that each factory is written once. Load as it is stands beside Load over the
// indexed scope; on large only the latter ends in reasonable time.
BENCHMARK(BM_MrpLoad)->Args({500, 0})->Args({500, 1})->Apply(Once);
BENCHMARK(BM_MrpCalculate)->Arg(500)->Apply(Once);
BENCHMARK(BM_MrpFills)->Arg(500)->Apply(Once);
BENCHMARK(BM_MrpLoad)->Args({5000, 0})->Args({5000, 1})->Apply(Once);
BENCHMARK(BM_MrpCalculate)->Arg(5000)->Apply(Once);
BENCHMARK(BM_MrpFills)->Arg(5000)->Apply(Once);
BENCHMARK(BM_MrpLoad)->Args({50000, 1})->Apply(Once);
BENCHMARK(BM_MrpCalculate)->Arg(50000)->Apply(Once);
BENCHMARK(BM_MrpFills)->Arg(50000)->Apply(Once);

}  // namespace
