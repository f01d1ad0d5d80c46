// The BOM browser on the large synthetic factory, offscreen: choosing the finished product with the
// largest tree in the goods box, as a planner does, until the tree is shown; and choosing a purchased
// material in the where-used browser. The factory is the file bench/large-factory.sh writes
// ($MFG_BENCH_DIR, default /tmp/mfg-bench, large.db), written here when it is not there yet.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "Database.h"
#include "GuardedApplication.h"
#include "LookupCombo.h"
#include "SyntheticFactory.h"
#include "TGoodsBomForm.h"
#include "TGoodsUsedBomForm.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace {

std::string FactoryFile()
{
    const char* dir = std::getenv("MFG_BENCH_DIR");
    std::filesystem::path folder = dir ? dir : "/tmp/mfg-bench";
    std::filesystem::create_directories(folder);
    auto file = folder / "large.db";
    if (!std::filesystem::exists(file)) {
        auto db = mfg::OpenDatabase(file.string());
        mfg::InstallSchema(*db);
        mfg::LoadSyntheticFactory(*db, *mfg::ParseSyntheticSize("large"), 1);
    }
    return file.string();
}

//! The goods whose tree below (or above) it has the most nodes, purchased goods not expanded, as
//! the browsers show them; and the number of nodes.
struct Widest {
    int goodsID = 0;
    long nodes = 0;
};

Widest WidestTree(mfg::Host& host, int kind, bool upwards)
{
    std::unordered_map<int, int> kinds;
    for (const auto& row : host.DBStartup().Query("select GoodsID, Kind from L_Goods").rows)
        kinds[static_cast<int>(row[0].AsInteger())] = static_cast<int>(row[1].AsInteger());
    std::unordered_map<int, std::vector<int>> links;
    for (const auto& row : host.DBStartup().Query("select GoodsID, ElemGID from L_GoodsBom").rows) {
        int parent = static_cast<int>(row[0].AsInteger()), component = static_cast<int>(row[1].AsInteger());
        links[upwards ? component : parent].push_back(upwards ? parent : component);
    }
    std::unordered_map<int, long> counted;
    std::function<long(int)> count = [&](int goods) -> long {
        if (auto known = counted.find(goods); known != counted.end()) return known->second;
        long nodes = 0;
        for (int next : links[goods]) nodes += 1 + (kinds[next] == 1 ? 0 : count(next));
        return counted[goods] = nodes;
    };
    Widest widest;
    for (const auto& [goods, goodsKind] : kinds)
        if (goodsKind == kind && links.count(goods) && count(goods) + 1 > widest.nodes) widest = {goods, count(goods) + 1};
    return widest;
}

struct Session {
    Session() : host(mfg::OpenDatabase(FactoryFile()))
    {
        host.SetShopID(1);
        host.SetUser(1, "管理员");
        host.SetDialogs(std::make_unique<mfg::ScriptedDialogs>());
        host.SetTempDirectory(std::filesystem::temp_directory_path() / "mfg-bench-screens");
        host.SetCurrDirectory(std::filesystem::temp_directory_path() / "mfg-bench-screens");
        mfg::SetCurrentHost(&host);
    }
    mfg::Host host;
};

Session& TheSession()
{
    static Session session;
    return session;
}

template <typename Form>
void ChooseGoods(benchmark::State& state, int kind, bool upwards)
{
    Session& session = TheSession();
    const Widest widest = WidestTree(session.host, kind, upwards);
    for (auto _ : state) {
        state.PauseTiming();
        Form form;
        state.ResumeTiming();
        form.cmbSelGoods->SetValue(widest.goodsID);
        QApplication::processEvents();
    }
    state.counters["nodes"] = static_cast<double>(widest.nodes);
}

void BM_BrowserOpensTheLargestProduct(benchmark::State& state)
{
    ChooseGoods<mfg::TGoodsBomForm>(state, 3, false);
}
BENCHMARK(BM_BrowserOpensTheLargestProduct)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WhereUsedOpensTheMostUsedMaterial(benchmark::State& state)
{
    ChooseGoods<mfg::TGoodsUsedBomForm>(state, 1, true);
}
BENCHMARK(BM_WhereUsedOpensTheMostUsedMaterial)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    mfg::GuardedApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
