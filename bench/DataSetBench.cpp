// Opening a large result: 100,000 goods rows read, raw and into a dataset, from an in-memory
// SQLite database or from the database of MFG_BENCH_DB (a file, or "postgresql://...?schema=bench").
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "data/DataSet.h"
#include "db/Connection.h"

namespace {

constexpr int kRows = 100000;

mfg::Connection& LargeDatabase()
{
    static const std::unique_ptr<mfg::Connection> db = [] {
        const char* url = std::getenv("MFG_BENCH_DB");
        auto connection = mfg::OpenConnection(url && *url ? url : ":memory:");
        for (const char* table : {"L_Goods", "Digits"})
            if (connection->TableExists(table)) connection->Execute(std::string("drop table ") + table);
        connection->Execute("create table L_Goods (GoodsID int primary key, Code varchar(20), Name varchar(40), "
                            "Specs varchar(40), Kind int, APrice numeric(18,4), CreateDate datetime)");
        connection->Execute("create table Digits (d int)");
        for (int d = 0; d < 10; ++d) connection->Execute("insert into Digits (d) values (:d)", {{"d", d}});
        // One statement fills the table, so that a server pays no round trip per row.
        connection->Execute("insert into L_Goods (GoodsID, Code, Name, Specs, Kind, APrice, CreateDate) "
                            "select n, 'G' + cast(100000 + n as varchar(10)), '物料' + cast(n as varchar(10)), 'M8x40', "
                            "n % 4, n * 0.25, '2026-12-06' from (select a.d + 10 * b.d + 100 * c.d + 1000 * e.d + "
                            "10000 * f.d + 1 as n from Digits a cross join Digits b cross join Digits c "
                            "cross join Digits e cross join Digits f) x");
        return connection;
    }();
    return *db;
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
