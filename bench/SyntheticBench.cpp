// Writing a synthetic factory into a fresh SQLite file: small, medium and large, rows per second.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "Database.h"
#include "SyntheticFactory.h"

namespace {

void BM_LoadSyntheticFactory(benchmark::State& state)
{
    const auto size = mfg::SyntheticSizeOf(static_cast<int>(state.range(0)));
    const auto path = std::filesystem::temp_directory_path() / "mfg-synthetic-bench.db";
    std::int64_t rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
        auto db = mfg::OpenDatabase(path.string());
        db->SetClock([] { return mfg::DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0); });
        mfg::InstallSchema(*db);
        state.ResumeTiming();
        rows = mfg::LoadSyntheticFactory(*db, size, 1).rows;
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["rows"] = static_cast<double>(rows);
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
}
BENCHMARK(BM_LoadSyntheticFactory)->Arg(500)->Arg(5000)->Arg(50000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
