#include "TestDatabase.h"

#include <filesystem>
#include <mutex>

#include "Database.h"

namespace mfg::test {
namespace {

std::filesystem::path TempFolder()
{
    static const auto folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("mfg-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

}  // namespace

DateTime TestToday() { return DateTime::FromYmdHms(2026, 12, 6, 9, 30, 0); }

std::unique_ptr<Connection> OpenTestDatabase(bool withDemo)
{
    auto db = OpenDatabase(":memory:");
    db->SetClock(TestToday);
    InstallSchema(*db);
    if (withDemo) LoadDemoFactory(*db);
    return db;
}

std::string CopyOfDemoDatabase(const std::string& name)
{
    static std::once_flag built;
    static std::filesystem::path master;
    std::call_once(built, [] {
        master = TempFolder() / "demo-master.db";
        std::filesystem::remove(master);
        auto db = OpenDatabase(master.string());
        db->SetClock(TestToday);
        InstallSchema(*db);
        LoadDemoFactory(*db);
        db->ExecuteNative("pragma wal_checkpoint(truncate)");
    });
    auto copy = TempFolder() / (name + ".db");
    std::filesystem::remove(copy);
    std::filesystem::remove(copy.string() + "-wal");
    std::filesystem::remove(copy.string() + "-shm");
    std::filesystem::copy_file(master, copy);
    return copy.string();
}

}  // namespace mfg::test
