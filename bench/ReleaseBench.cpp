// Releasing suggestions on the demo factory (SQLite file): a purchase request of N lines and N
// manufacture orders of the bicycle, each with its BOM's component lines, substitutes and steps.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "Database.h"
#include "ManufactureRelease.h"
#include "MrpEngine.h"
#include "PurchaseRelease.h"
#include "host/Host.h"
#include "host/LookupCache.h"
#include "host/ScriptedDialogs.h"

namespace {

using mfg::DataSet;
using mfg::DateTime;
using mfg::FieldType;

struct DemoFactory {
    DemoFactory()
    {
        path = (std::filesystem::temp_directory_path() / "mfg-release-bench.db").string();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
        {
            auto db = mfg::OpenDatabase(path);
            mfg::InstallSchema(*db);
            mfg::LoadDemoFactory(*db);
        }
        host = std::make_unique<mfg::Host>(mfg::OpenDatabase(path));
        host->SetToday(DateTime::FromYmd(2026, 12, 6));
        host->SetShopID(1);
        host->SetUser(1, "管理员");
        host->SetDialogs(std::make_unique<mfg::ScriptedDialogs>());
        scope = std::make_unique<mfg::CurrentHostScope>(*host);
    }
    ~DemoFactory()
    {
        scope.reset();
        host.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    }

    //! A date no release has used yet: a released suggestion is never released again.
    DateTime NextDate() { return DateTime::FromYmd(2027, 1, 1).AddDays(++released); }

    std::string path;
    std::unique_ptr<mfg::Host> host;
    std::unique_ptr<mfg::CurrentHostScope> scope;
    int released = 0;
};

DemoFactory& Demo()
{
    static DemoFactory demo;
    return demo;
}

void BM_ReleasePurchaseRequest(benchmark::State& state)
{
    DemoFactory& demo = Demo();
    const auto lines = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        DataSet cdsPurSug;
        for (auto name : {"selected", "goodsid"}) cdsPurSug.AddField(name, FieldType::Integer);
        for (auto name : {"goodscode", "goodsname", "specs"}) cdsPurSug.AddField(name, FieldType::Text);
        for (auto name : {"sugqty", "fixqty", "price", "amount"}) cdsPurSug.AddField(name, FieldType::Float);
        cdsPurSug.AddField("revdate", FieldType::DateTime);
        cdsPurSug.CreateDataSet();
        for (int line = 0; line < lines; ++line)
            cdsPurSug.AppendRecord({1, 101 + line % 20, {}, {}, {}, 10.0, 10.0, 1.5, 15.0, demo.NextDate()});
        state.ResumeTiming();
        benchmark::DoNotOptimize(mfg::PurchaseRelease(5).Release(cdsPurSug, {}));
    }
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_ReleasePurchaseRequest)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_ReleaseManufactureOrders(benchmark::State& state)
{
    DemoFactory& demo = Demo();
    const auto orders = static_cast<int>(state.range(0));
    mfg::MrpEngine engine;
    for (auto _ : state) {
        state.PauseTiming();
        DataSet cdsManu;
        for (auto name : {"goodsid", "empid", "workid", "traderid", "billid", "itemno"})
            cdsManu.AddField(name, FieldType::Integer);
        for (auto name : {"goodscode", "billtype", "billcode"}) cdsManu.AddField(name, FieldType::Text);
        for (auto name : {"fixqty", "manuqty"}) cdsManu.AddField(name, FieldType::Float);
        for (auto name : {"finishdate", "startdate", "manufinishdate"}) cdsManu.AddField(name, FieldType::DateTime);
        cdsManu.CreateDataSet();
        for (int order = 0; order < orders; ++order) {
            const DateTime date = demo.NextDate();
            cdsManu.AppendRecord({1, 4, 4, {}, {}, {}, {}, {}, {}, {}, 5.0, date, date, date});
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(mfg::ManufactureRelease(42).Release(cdsManu, engine));
    }
    state.SetItemsProcessed(state.iterations() * orders);
}
BENCHMARK(BM_ReleaseManufactureOrders)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
