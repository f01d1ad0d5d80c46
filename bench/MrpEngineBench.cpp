// Calculate and the fills of the MRP engine on a factory made in memory: 50,000 goods, 250,000
// BOM links twelve levels deep with shared sub-assemblies, 100,000 open purchase lines and 2,000
// plan lines. Load is left to the benchmark over generated databases.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "Database.h"
#include "MrpEngine.h"
#include "host/Host.h"

namespace {

constexpr int MadeGoods = 10000;
constexpr int BoughtGoods = 40000;
constexpr int Depth = 12;

struct Factory {
    mfg::Host host{mfg::OpenDatabase(":memory:")};
    mfg::CurrentHostScope scope{host};
    mfg::MrpEngine engine;
    std::vector<mfg::MrpLine> plan;

    Factory()
    {
        mfg::InstallSchema(host.DBStartup());
        host.SetToday(mfg::DateTime::FromYmd(2026, 12, 6));
        host.SetShopID(1);
        std::mt19937 random(7);
        auto pick = [&](int from, int count) { return from + static_cast<int>(random() % static_cast<unsigned>(count)); };
        const mfg::DateTime start = mfg::DateTime::FromYmd(2026, 1, 1);
        for (int day = 0; day < 730; ++day)
            if (start.AddDays(day).DayOfWeek() != 1 && start.AddDays(day).DayOfWeek() != 7)
                engine.calendar.push_back(start.AddDays(day));
        // Made goods 1..MadeGoods lie on Depth levels by id; bought goods follow them.
        const int perLevel = MadeGoods / Depth;
        for (int id = 1; id <= MadeGoods + BoughtGoods; ++id) {
            mfg::MrpGoodsRecord goods;
            goods.goodsid = id;
            goods.kind = id <= perLevel ? 3 : id <= MadeGoods ? 2 : 1;
            goods.isMrp = true;
            goods.leadTime = pick(0, 4);
            goods.onhand = pick(0, 50);
            goods.safeQty = pick(0, 5);
            goods.minPurchaseQty = pick(0, 100);
            goods.orderAddQty = pick(0, 20);
            goods.pprice = 1.5;
            engine.goods[id] = goods;
        }
        for (int id = 1; id <= MadeGoods; ++id) {
            const int level = (id - 1) / perLevel;
            auto& links = engine.bom[id];
            if (level + 1 < Depth) {
                const int nextLevel = (level + 1) * perLevel + 1;
                links.push_back({pick(nextLevel, perLevel), 1, 0.02});
                if (random() % 10 == 0) links.push_back({pick(nextLevel, perLevel), 2, 0});
            }
            while (links.size() < 25) links.push_back({pick(MadeGoods + 1, BoughtGoods), 1.0 + random() % 3, 0.01});
            if (random() % 2 == 0)
                engine.substitutes[{id, links.back().elemgid}].push_back({pick(MadeGoods + 1, BoughtGoods), 1.2});
        }
        for (int i = 0; i < 100000; ++i) {
            mfg::MrpLine line;
            line.goodsid = pick(MadeGoods + 1, BoughtGoods);
            line.date = mfg::DateTime::FromYmd(2026, 12, 7).AddDays(pick(0, 90));
            line.quantity = pick(1, 40);
            engine.purchaseOrders.push_back(line);
        }
        for (int i = 0; i < 2000; ++i) {
            mfg::MrpLine line;
            line.goodsid = pick(1, perLevel);
            line.date = mfg::DateTime::FromYmd(2026, 12, 20).AddDays(pick(0, 90));
            line.quantity = pick(1, 100);
            line.billtype = 43;
            line.billcode = "MPS" + std::to_string(i);
            plan.push_back(line);
        }
        engine.loaded = true;
        engine.Calculate(plan, {}, mfg::MrpDefaultOptions);
    }
};

Factory& Large()
{
    static Factory factory;
    return factory;
}

void BM_MrpCalculate(benchmark::State& state)
{
    Factory& factory = Large();
    for (auto _ : state) factory.engine.Calculate(factory.plan, {}, mfg::MrpDefaultOptions);
    state.counters["grossNodes"] = static_cast<double>(factory.engine.grossNodes.size());
    state.counters["netRecords"] = static_cast<double>(factory.engine.netRecords.size());
}
BENCHMARK(BM_MrpCalculate)->Unit(benchmark::kMillisecond)->Iterations(2);

template <typename Fill>
void FillBench(benchmark::State& state, Fill fill)
{
    Factory& factory = Large();
    for (auto _ : state) {
        mfg::DataSet target;
        fill(factory.engine, target);
        benchmark::DoNotOptimize(target.RecordCount());
    }
}

void BM_MrpFillGrossTable(benchmark::State& state)
{
    FillBench(state, [](mfg::MrpEngine& e, mfg::DataSet& d) { e.FillGrossTable(d); });
}
BENCHMARK(BM_MrpFillGrossTable)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MrpFillNetTableByWeek(benchmark::State& state)
{
    FillBench(state, [](mfg::MrpEngine& e, mfg::DataSet& d) { e.FillNetTable(d, 2); });
}
BENCHMARK(BM_MrpFillNetTableByWeek)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_MrpFillSuggestions(benchmark::State& state)
{
    FillBench(state, [](mfg::MrpEngine& e, mfg::DataSet& d) {
        mfg::DataSet purchase;
        e.FillManufactureSuggestions(d);
        e.FillPurchaseSuggestions(purchase, mfg::MrpLotMinimum | mfg::MrpLotIncrement);
    });
}
BENCHMARK(BM_MrpFillSuggestions)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
