// The BOM cycle search on a deep BOM whose every level is shared: two goods per level, both used by
// both goods of the level above. The plain depth-first search expands a goods once per path that
// reaches it (2^levels paths; at 25 levels 67 million expansions, close to a minute), the linear one
// once; over the database the plain search also asks one query per expanded goods where the linear
// one reads the stored BOM once.
#include <benchmark/benchmark.h>

#include <deque>
#include <memory>

#include "BomCycleSearch.h"
#include "Database.h"
#include "host/Host.h"

namespace {

constexpr int kDeepest = 25;

int GoodsOf(int level, int which) { return level * 10 + which; }

mfg::StoredBomGraph SharedLevels(int levels)
{
    mfg::StoredBomGraph graph;
    for (int level = 1; level < levels; ++level)
        for (int parent : {GoodsOf(level, 0), GoodsOf(level, 1)})
            for (int child : {GoodsOf(level + 1, 0), GoodsOf(level + 1, 1)}) graph.Add(parent, {child, std::to_string(child)});
    return graph;
}

const mfg::BomChildren& TopChildren()
{
    static const mfg::BomChildren top{{GoodsOf(1, 0), "10"}, {GoodsOf(1, 1), "11"}};
    return top;
}

//! A database holding the shared levels as stored BOM lines, current as the session's host.
mfg::Host& StoredLevels(int levels)
{
    static std::unique_ptr<mfg::Host> host;
    static int built = 0;
    if (built != levels) {
        host.reset();
        auto db = mfg::OpenDatabase(":memory:");
        mfg::InstallSchema(*db);
        db->BeginTran();
        for (int level = 1; level <= levels; ++level)
            for (int which : {0, 1})
                db->Execute("insert into L_Goods (GoodsID, Code, Name, Kind) values (:id, :code, :code, 2)",
                            {{"id", GoodsOf(level, which)}, {"code", std::to_string(GoodsOf(level, which))}});
        for (int level = 1; level < levels; ++level)
            for (int which : {0, 1})
                for (int child : {0, 1})
                    db->Execute("insert into L_GoodsBom (GoodsID, ElemGID, ItemNo) values (:p, :c, :i)",
                                {{"p", GoodsOf(level, which)}, {"c", GoodsOf(level + 1, child)}, {"i", child + 1}});
        db->CommitTran();
        host = std::make_unique<mfg::Host>(std::move(db));
        mfg::SetCurrentHost(host.get());
        built = levels;
    }
    return *host;
}

void BM_CycleSearchPlainInMemory(benchmark::State& state)
{
    auto graph = SharedLevels(static_cast<int>(state.range(0)));
    std::size_t expanded = 0;
    for (auto _ : state) {
        mfg::BomCycleSearch search([&graph](int id) -> const mfg::BomChildren& { return graph.ChildrenOf(id); }, false);
        std::string path = "P";
        benchmark::DoNotOptimize(search.Find(1, TopChildren(), path));
        expanded = search.ExpandedCount();
    }
    state.counters["expanded"] = static_cast<double>(expanded);
}
BENCHMARK(BM_CycleSearchPlainInMemory)->Arg(10)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_CycleSearchLinearInMemory(benchmark::State& state)
{
    auto graph = SharedLevels(static_cast<int>(state.range(0)));
    std::size_t expanded = 0;
    for (auto _ : state) {
        mfg::BomCycleSearch search([&graph](int id) -> const mfg::BomChildren& { return graph.ChildrenOf(id); });
        std::string path = "P";
        benchmark::DoNotOptimize(search.Find(1, TopChildren(), path));
        expanded = search.ExpandedCount();
    }
    state.counters["expanded"] = static_cast<double>(expanded);
}
BENCHMARK(BM_CycleSearchLinearInMemory)->Arg(10)->Arg(15)->Arg(20)->Arg(kDeepest)->Unit(benchmark::kMicrosecond);

//! The search as it was: one query per expanded goods, no goods remembered.
void BM_CycleSearchPlainPerGoodsQuery(benchmark::State& state)
{
    StoredLevels(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::deque<mfg::BomChildren> read;  // each expansion's children live until the search ends
        mfg::BomCycleSearch search(
            [&read](int id) -> const mfg::BomChildren& {
                auto rows = mfg::CreateAutoQuery(
                    "Select a.GoodsID, a.ElemGID, b.Code As GoodsCode, b.Kind From  L_GoodsBom a, L_Goods b Where "
                    "a.ElemGID = b.GoodsID and a.GoodsID = " + std::to_string(id) +
                        " union Select c.GoodsID,c.SubGoodsID,d.Code as GoodsCode,d.Kind From l_GoodsBomSub c,L_Goods d "
                        "Where c.SubGoodsID = d.GoodsID and c.GoodsID = " + std::to_string(id),
                    true);
                auto& children = read.emplace_back();
                for (rows->First(); !rows->Eof(); rows->Next())
                    children.push_back({static_cast<int>(rows->FieldByName("ElemGID").AsInteger()),
                                        rows->FieldByName("GoodsCode").AsString()});
                return children;
            },
            false);
        std::string path = "P";
        benchmark::DoNotOptimize(search.Find(1, TopChildren(), path));
        state.counters["queries"] = static_cast<double>(read.size());
    }
}
BENCHMARK(BM_CycleSearchPlainPerGoodsQuery)->Arg(6)->Arg(9)->Arg(12)->Unit(benchmark::kMillisecond);

//! FindBomCycle: the stored BOM read once, each goods expanded once.
void BM_FindBomCycleStored(benchmark::State& state)
{
    StoredLevels(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string path = "P";
        benchmark::DoNotOptimize(mfg::FindBomCycle(1, TopChildren(), path));
    }
}
BENCHMARK(BM_FindBomCycleStored)->Arg(6)->Arg(9)->Arg(12)->Arg(kDeepest)->Unit(benchmark::kMillisecond);

}  // namespace
