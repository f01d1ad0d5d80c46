// Opening a large result: 100,000 goods rows read from SQLite, raw and into a dataset.
#include <benchmark/benchmark.h>

#include "db/SqliteConnection.h"
#include "data/DataSet.h"

namespace {

constexpr int kRows = 100000;

mfg::SqliteConnection& LargeDatabase()
{
    static mfg::SqliteConnection db(":memory:");
    static bool filled = [] {
        db.Execute("create table L_Goods (GoodsID int primary key, Code varchar(20), Name varchar(40), Specs varchar(40), "
                   "Kind int, APrice numeric(18,4), CreateDate datetime)");
        db.BeginTran();
        for (int i = 1; i <= kRows; ++i)
            db.Execute("insert into L_Goods (GoodsID, Code, Name, Specs, Kind, APrice, CreateDate) values "
                       "(:id, :code, :name, 'M8x40', :kind, :price, '2026-12-06')",
                       {{"id", i}, {"code", "G" + std::to_string(100000 + i)}, {"name", "物料" + std::to_string(i)},
                        {"kind", i % 4}, {"price", i * 0.25}});
        db.CommitTran();
        return true;
    }();
    (void)filled;
    return db;
}

void BM_QueryRows(benchmark::State& state)
{
    auto& db = LargeDatabase();
    for (auto _ : state) {
        auto rows = db.Query("select * from L_Goods");
        benchmark::DoNotOptimize(rows.rows.size());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_QueryRows)->Unit(benchmark::kMillisecond);

void BM_OpenDataSet(benchmark::State& state)
{
    auto& db = LargeDatabase();
    for (auto _ : state) {
        mfg::DataSet dataSet;
        dataSet.SetSql("select * from L_Goods");
        dataSet.Open(db);
        benchmark::DoNotOptimize(dataSet.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_OpenDataSet)->Unit(benchmark::kMillisecond);

}  // namespace
