// init killed with SIGKILL, after each file of statements it reports and at random moments: the
// database is left as init found it, empty or with its old tables, never half built.
#include <gtest/gtest.h>

#include <random>

#include <fmt/format.h>

#include "ConsoleRun.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

//! Lines of progress init has reported: one before each file of statements it runs.
int Reported(const std::string& err)
{
    int lines = 0;
    for (auto at = err.find("  ["); at != std::string::npos; at = err.find("  [", at + 1)) ++lines;
    return lines;
}

//! The operators of the demo, or -1 for a database without tables.
int Operators(const std::string& url)
{
    auto db = OpenDatabase(url);
    if (IsEmptyDatabase(*db)) return -1;
    return static_cast<int>(db->Query("select count(*) from m_operator").FirstValue().AsInteger());
}

//! Runs init on a fresh database, killed when `killWhen` says, and checks it left all or nothing.
void InitKilled(const std::string& name, const std::vector<std::string>& options, const KillWhen& killWhen)
{
    const std::string url = FreshDatabaseUrl(name);
    std::vector<std::string> arguments{"--db", url, "init"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    auto result = RunConsole(arguments, {}, {}, killWhen);
    int operators = Operators(url);
    if (result.killed)
        EXPECT_EQ(operators, -1) << name << ": a killed init left tables after\n" << result.err;
    else
        EXPECT_EQ(operators, 2) << name << ": " << result.err;
}

TEST(InitKilled, AfterEachFileLeavesNoTable)
{
    auto full = RunConsole({"--db", FreshDatabaseUrl("init-full"), "init", "--demo"});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    const int files = Reported(full.err);
    ASSERT_GT(files, 10);
    for (int n = 1; n <= files; n += 2)
        InitKilled(fmt::format("init-kill-{}", n), {"--demo"},
                   [n](const std::string& err, std::chrono::milliseconds) { return Reported(err) >= n; });
}

TEST(InitKilled, AtRandomMomentsLeavesNoTable)
{
    std::mt19937 random(25);
    for (int i = 0; i < 6; ++i) {
        auto moment = std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 1500)(random));
        InitKilled(fmt::format("init-random-{}", i), {i % 2 == 0 ? "--demo" : "--synthetic=small"},
                   [moment](const std::string&, std::chrono::milliseconds elapsed) { return elapsed >= moment; });
    }
}

TEST(InitKilled, ARebuildKilledKeepsTheOldDatabase)
{
    const std::string url = CopyOfDemoDatabase("init-rebuild");
    auto goods = [&] { return OpenDatabase(url)->Query("select count(*) from L_Goods").FirstValue().AsInteger(); };
    const auto before = goods();
    for (int n : {1, 5, 12}) {
        auto result = RunConsole({"--db", url, "init", "--force", "--synthetic", "small"}, {}, {},
                                 [n](const std::string& err, std::chrono::milliseconds) { return Reported(err) >= n; });
        ASSERT_TRUE(result.killed) << result.err;
        EXPECT_EQ(goods(), before) << "killed after " << n << " files, the old tables were lost";
        EXPECT_EQ(Operators(url), 2);
    }
}

}  // namespace
}  // namespace mfg::test
