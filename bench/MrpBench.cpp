// The MRP engine on synthetic factories (small, medium, large and xlarge on SQLite, the first three
// on PostgreSQL when MFG_PG_URL names a server, as scripts/with-postgres sets it): Load, Calculate
// and the fills timed separately over every audited schedule line, then the exception messages of
// the run, with the peak memory of the process.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "Database.h"
#include "MrpEngine.h"
#include "MrpExceptions.h"
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

//! The server of the PostgreSQL runs, empty when there is none.
std::string ServerUrl()
{
    const char* url = std::getenv("MFG_PG_URL");
    return url ? url : "";
}

//! A factory of a number of goods in a file database or a schema of its own on the server, built
//! once per size and backend, with a host over it.
struct Factory {
    Factory(int goods, bool postgres) : postgres(postgres)
    {
        const std::string name = "mfg_mrp_bench_" + std::to_string(goods);
        path = (std::filesystem::temp_directory_path() / (name + ".db")).string();
        if (postgres) {
            url = ServerUrl() + (ServerUrl().find('?') == std::string::npos ? "?" : "&") + "schema=" + name;
            mfg::OpenDatabase(url)->ExecuteNative("drop schema if exists " + name + " cascade");
        } else {
            url = path;
            RemoveFile();
        }
        {
            auto db = mfg::OpenDatabase(url);
            db->SetClock(Today);
            mfg::InstallSchema(*db);
            mfg::LoadSyntheticFactory(*db, mfg::SyntheticSizeOf(goods), 1);
        }
        host = std::make_unique<mfg::Host>(mfg::OpenDatabase(url));
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
        if (!postgres) RemoveFile();
    }

    void RemoveFile() const
    {
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    }

    static DateTime Today() { return DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0); }

    bool postgres;
    std::string path;
    std::string url;
    std::unique_ptr<mfg::Host> host;
    std::unique_ptr<mfg::CurrentHostScope> scope;
    std::vector<mfg::MrpLine> plan;
    std::string goodsScope;
    int goodsCount = 0;
    mfg::MrpEngine engine;  //!< loaded by the first stage that needs it
};

//! Default options of the workbench.
constexpr std::uint32_t kOptions = 0x1 | 0x2 | 0x4 | 0x8 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x4000;

//! The factory of range(0) goods on range(1) (0 SQLite, 1 PostgreSQL); null, with the benchmark
//! skipped, for PostgreSQL without a server.
Factory* FactoryOf(benchmark::State& state)
{
    const int goods = static_cast<int>(state.range(0));
    const bool postgres = state.range(1) != 0;
    if (postgres && ServerUrl().empty()) {
        state.SkipWithError("MFG_PG_URL names no server");
        return nullptr;
    }
    // One factory at a time: a larger one replaces the smaller, so memory figures stay apart.
    static std::unique_ptr<Factory> current;
    if (!current || current->postgres != postgres || current->goodsCount != goods) {
        current.reset();
        current = std::make_unique<Factory>(goods, postgres);
        current->goodsCount = goods;
    }
    return current.get();
}

//! The factory's engine, loaded once: Calculate and the fills reuse it.
mfg::MrpEngine* LoadedEngine(Factory& factory)
{
    if (!factory.engine.loaded && !factory.engine.Load(true, false, factory.goodsScope)) return nullptr;
    return &factory.engine;
}

void Report(benchmark::State& state, const mfg::MrpEngine& engine)
{
    state.counters["gross_nodes"] = static_cast<double>(engine.grossNodes.size());
    state.counters["net_records"] = static_cast<double>(engine.netRecords.size());
    state.counters["peak_MiB"] = PeakMemoryMiB();
}

void BM_MrpLoad(benchmark::State& state)
{
    Factory* factory = FactoryOf(state);
    if (!factory) return;
    mfg::MrpEngine& engine = factory->engine;
    for (auto _ : state)
        if (!engine.Load(true, false, factory->goodsScope)) state.SkipWithError("Load failed");
    state.counters["goods"] = static_cast<double>(engine.goods.size());
    Report(state, engine);
}

void BM_MrpCalculate(benchmark::State& state)
{
    Factory* factory = FactoryOf(state);
    if (!factory) return;
    mfg::MrpEngine* engine = LoadedEngine(*factory);
    if (!engine) {
        state.SkipWithError("Load failed");
        return;
    }
    for (auto _ : state)
        if (!engine->Calculate(factory->plan, {}, kOptions)) state.SkipWithError("Calculate failed");
    Report(state, *engine);
}

//! The factory's engine after one Calculate, or null after skipping the benchmark.
mfg::MrpEngine* CalculatedEngine(benchmark::State& state)
{
    Factory* factory = FactoryOf(state);
    if (!factory) return nullptr;
    mfg::MrpEngine* loaded = LoadedEngine(*factory);
    if (!loaded || (loaded->grossNodes.empty() && !loaded->Calculate(factory->plan, {}, kOptions))) {
        state.SkipWithError("run failed");
        return nullptr;
    }
    return loaded;
}

void BM_MrpFills(benchmark::State& state)
{
    mfg::MrpEngine* calculated = CalculatedEngine(state);
    if (!calculated) return;
    mfg::MrpEngine& engine = *calculated;
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

// Reading the open orders line by line with their codes, which the exception messages name.
void BM_MrpReceiptDocuments(benchmark::State& state)
{
    mfg::MrpEngine* engine = CalculatedEngine(state);
    if (!engine) return;
    for (auto _ : state) state.counters["documents"] = static_cast<double>(engine->ReadReceiptDocuments().size());
}

// One pass over the netted records; compare with BM_MrpCalculate of the same factory.
void BM_MrpExceptions(benchmark::State& state)
{
    mfg::MrpEngine* engine = CalculatedEngine(state);
    if (!engine) return;
    const auto documents = engine->ReadReceiptDocuments();
    for (auto _ : state) {
        const auto messages = mfg::FindMrpExceptions(*engine, documents, {});
        state.counters["messages"] = static_cast<double>(messages.size());
    }
    Report(state, *engine);
}

void Once(benchmark::internal::Benchmark* benchmark) { benchmark->Iterations(1)->Unit(benchmark::kMillisecond); }

// Size by size and backend by backend, so that each factory is written once.
#define MRP_BENCH_SIZE(goods, backend)                                \
    BENCHMARK(BM_MrpLoad)->Args({goods, backend})->Apply(Once);      \
    BENCHMARK(BM_MrpCalculate)->Args({goods, backend})->Apply(Once); \
    BENCHMARK(BM_MrpFills)->Args({goods, backend})->Apply(Once);     \
    BENCHMARK(BM_MrpReceiptDocuments)->Args({goods, backend})->Apply(Once); \
    BENCHMARK(BM_MrpExceptions)->Args({goods, backend})->Apply(Once)
MRP_BENCH_SIZE(500, 0);
MRP_BENCH_SIZE(5000, 0);
MRP_BENCH_SIZE(50000, 0);
MRP_BENCH_SIZE(500, 1);
MRP_BENCH_SIZE(5000, 1);
MRP_BENCH_SIZE(50000, 1);
// Ten times the large factory, on SQLite only; writing it takes minutes, so it runs last and alone
// with --benchmark_filter=/500000/.
MRP_BENCH_SIZE(500000, 0);

}  // namespace
