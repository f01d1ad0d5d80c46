// A fresh factory calendar: ExtendCalendar on an empty table with "StartYear" 1999 and today in
// December 2026, that is 1999-01-01 to 2028-12-31 (10,958 days), one insert per day, all in the
// one transaction that holds the calendar's lock.
// SQLite on a file in the temporary folder; PostgreSQL when MFG_BENCH_POSTGRES_URL names a scratch
// database (its calendar rows are deleted).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "Database.h"
#include "WorkCalendar.h"
#include "host/Host.h"
#include "host/ScriptedDialogs.h"

namespace {

std::string SqliteUrl()
{
    static const std::string path = [] {
        auto file =
            std::filesystem::temp_directory_path() / ("mfg-calendar-bench-" + std::to_string(::getpid()) + ".db");
        std::filesystem::remove(file);
        return file.string();
    }();
    return path;
}

//! A host over the database at `url`, its calendar empty and "StartYear" 1999, today fixed.
std::unique_ptr<mfg::Host> EmptyCalendarHost(const std::string& url)
{
    auto host = std::make_unique<mfg::Host>(mfg::OpenDatabase(url));
    auto& db = host->DBStartup();
    if (!db.TableExists("MNF_CALENDAR")) mfg::InstallSchema(db);
    host->SetDialogs(std::make_unique<mfg::ScriptedDialogs>());
    host->SetToday(mfg::DateTime::FromYmd(2026, 12, 6));
    host->SetTempDirectory(std::filesystem::temp_directory_path() /
                           ("mfg-calendar-bench-" + std::to_string(::getpid())));
    host->SqlExecute("delete from MNF_CALENDAR");
    host->SqlExecute("delete from L_SysParam where ParamName = 'StartYear'");
    host->SqlExecute("insert into L_SysParam (ParamName, ParamValue, Memo) values ('StartYear', '1999', '启用年度')");
    return host;
}

void FreshExtension(benchmark::State& state, const std::string& url)
{
    if (url.empty()) {
        state.SkipWithError("MFG_BENCH_POSTGRES_URL is not set");
        return;
    }
    std::int64_t days = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<mfg::Host> host;
        try {
            host = EmptyCalendarHost(url);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            return;
        }
        mfg::CurrentHostScope scope(*host);
        state.ResumeTiming();
        days += mfg::ExtendCalendar().daysAdded;
    }
    state.SetItemsProcessed(days);
}

std::string PostgresUrl()
{
    const char* url = std::getenv("MFG_BENCH_POSTGRES_URL");
    return url ? url : "";
}

void BM_ExtendCalendarSqlite(benchmark::State& state)
{
    FreshExtension(state, SqliteUrl());
}
void BM_ExtendCalendarPostgres(benchmark::State& state)
{
    FreshExtension(state, PostgresUrl());
}

BENCHMARK(BM_ExtendCalendarSqlite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExtendCalendarPostgres)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
