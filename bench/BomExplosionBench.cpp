// Opening a factory BOM of 10,000 nodes in the browsers: a root with ten components per goods over
// four levels (11,111 goods, 11,110 lines). The browsers read the stored BOM with two queries and
// explode it from memory; the figures split the read from the explosion and the print rows, and
// the where-used list of a leaf shows what the index costs when only a few nodes are wanted.
#include <benchmark/benchmark.h>

#include <memory>

#include "BomIndex.h"
#include "BomTree.h"
#include "Database.h"
#include "host/Host.h"

namespace {

constexpr int kFanOut = 10;
constexpr int kLevels = 4;
constexpr int kRoot = 1;

//! A database holding the factory BOM, current as the session's host; the goods are numbered level
//! by level from the root (1) to the last leaf (11111).
mfg::Host& FactoryBom()
{
    static std::unique_ptr<mfg::Host> host;
    if (host) return *host;
    auto db = mfg::OpenDatabase(":memory:");
    mfg::InstallSchema(*db);
    db->BeginTran();
    int goods = 1, firstOfLevel = 1, levelSize = 1;
    auto addGoods = [&db](int id, int kind) {
        db->Execute("insert into L_Goods (GoodsID, Code, Name, Kind) values (:id, :code, :code, :kind)",
                    {{"id", id}, {"code", "G" + std::to_string(id)}, {"kind", kind}});
        db->Execute("insert into L_GoodsUnit (UnitID, GoodsID, UnitName, IsBase) values (:u, :id, '个', 1)",
                    {{"u", id}, {"id", id}});
    };
    addGoods(kRoot, 3);
    for (int level = 1; level <= kLevels; ++level) {
        int next = firstOfLevel + levelSize;
        for (int parent = firstOfLevel; parent < next; ++parent)
            for (int item = 1; item <= kFanOut; ++item) {
                ++goods;
                addGoods(goods, level == kLevels ? 1 : 2);
                db->Execute(
                    "insert into L_GoodsBom (GoodsID, ElemGID, ItemNo, Quantity, MnfQty, MasterQty, Orderno) "
                    "values (:p, :c, :i, 1.5, 3, 2, :o)",
                    {{"p", parent}, {"c", goods}, {"i", item}, {"o", std::to_string(item)}});
            }
        firstOfLevel = next;
        levelSize *= kFanOut;
    }
    db->CommitTran();
    host = std::make_unique<mfg::Host>(std::move(db));
    mfg::SetCurrentHost(host.get());
    return *host;
}

//! What the browser does when the goods is chosen: read the index, explode, keep the print rows.
void BM_OpenBomTree(benchmark::State& state)
{
    FactoryBom();
    auto root = mfg::ReadBomGoods(kRoot);
    std::size_t nodes = 0;
    for (auto _ : state) {
        mfg::BomIndex index;
        index.Read(kRoot, mfg::BomReach::Components);
        mfg::BomTree tree = mfg::BuildBomTree(index, *root, 2, "2");
        mfg::DataSet rows;
        mfg::FlattenBomTree(tree, rows);
        nodes = tree.nodes.size();
    }
    state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_OpenBomTree)->Unit(benchmark::kMillisecond);

void BM_ReadBomIndex(benchmark::State& state)
{
    FactoryBom();
    for (auto _ : state) {
        mfg::BomIndex index;
        index.Read(kRoot, mfg::BomReach::Components);
        benchmark::DoNotOptimize(index.LineCount());
    }
}
BENCHMARK(BM_ReadBomIndex)->Unit(benchmark::kMillisecond);

void BM_ExplodeFromIndex(benchmark::State& state)
{
    FactoryBom();
    auto root = mfg::ReadBomGoods(kRoot);
    mfg::BomIndex index;
    index.Read(kRoot, mfg::BomReach::Components);
    for (auto _ : state) benchmark::DoNotOptimize(mfg::BuildBomTree(index, *root, 2, "2").nodes.size());
}
BENCHMARK(BM_ExplodeFromIndex)->Unit(benchmark::kMillisecond);

void BM_WhereUsedOfALeaf(benchmark::State& state)
{
    FactoryBom();
    auto leaf = mfg::ReadBomGoods(11111);
    for (auto _ : state) {
        mfg::BomIndex index;
        index.Read(11111, mfg::BomReach::Parents);
        benchmark::DoNotOptimize(mfg::BuildWhereUsedTree(index, *leaf).nodes.size());
    }
}
BENCHMARK(BM_WhereUsedOfALeaf)->Unit(benchmark::kMillisecond);

}  // namespace
