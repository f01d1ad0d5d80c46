// Planners extending and editing the factory calendar at the same moment, each through a console
// of its own: whatever the order in which they meet, the numbering stays whole and nobody sees a
// database's refusal instead of an answer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <fmt/format.h>

#include "AtOnce.h"
#include "Database.h"
#include "TestDatabase.h"

namespace mfg::test {
namespace {

constexpr const char* kToday = "2026-12-06";

class CalendarRace : public ::testing::Test {
protected:
    CalendarRace() : url(CopyOfDemoDatabase(Name())), db(OpenDatabase(url)), environment{PrivateTemporaryFolder(Name())}
    {
        // The calendar ends with this year: an extension then has two years of days to write.
        db->Execute("delete from MNF_CALENDAR where WORKDATE > '2026-12-31'");
    }

    static std::string Name()
    {
        return std::string("race-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    std::vector<std::string> Command(std::vector<std::string> words) const
    {
        words.insert(words.begin(), {"--db", url, "--today", kToday, "calendar"});
        return words;
    }

    std::int64_t DaysAfterThisYear() const
    {
        return db->Query("select count(*) from MNF_CALENDAR where WORKDATE > '2026-12-31'").FirstValue().AsInteger();
    }

    void ExpectWholeCalendar()
    {
        auto check = RunConsole(Command({"check"}), {}, environment);
        EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
        EXPECT_EQ(DaysAfterThisYear(), 731) << "2027-01-01 to 2028-12-31, each day once";
    }

    static void ExpectAnsweredInWords(const ConsoleResult& result)
    {
        EXPECT_EQ(result.exitCode, 0) << result.err;
        for (const char* refusal : {"UNIQUE", "duplicate key", "constraint", "locked"})
            EXPECT_EQ(result.err.find(refusal), std::string::npos) << result.err;
    }

    std::string url;
    std::unique_ptr<Connection> db;
    std::vector<std::string> environment;
};

TEST_F(CalendarRace, FourExtensionsAtOnceWriteEachDayOnceAndAllSucceed)
{
    auto results = RunAtOnce(std::vector<std::vector<std::string>>(4, Command({"extend"})), environment);
    int extended = 0;
    for (const auto& result : results) {
        ExpectAnsweredInWords(result);
        extended += result.out.find("工厂日历已延长 731 天") != std::string::npos;
    }
    EXPECT_EQ(extended, 1) << "one of them writes the days, the others find them written";
    ExpectWholeCalendar();
}

TEST_F(CalendarRace, ToggleAndQuickSettingDuringAnExtensionKeepTheNumbering)
{
    // The edits start as soon as the extension's first days can be seen, or when it has ended.
    std::atomic<bool> extensionDone{false};
    auto waitForExtension = [&](size_t command) {
        if (command == 0) return;
        auto watcher = OpenDatabase(url);
        auto daysSeen = [&] {
            return watcher->Query("select count(*) from MNF_CALENDAR where WORKDATE > '2026-12-31'").FirstValue().AsInteger();
        };
        while (!extensionDone && daysSeen() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    std::vector<std::vector<std::string>> commands{
        Command({"extend"}), Command({"toggle", "2026-12-09"}),
        Command({"set", "--from", "2026-12-14", "--to", "2026-12-20", "--rest", "sun,sat", "--holiday", "12-15"})};
    std::vector<ConsoleResult> results(commands.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < commands.size(); ++i)
        threads.emplace_back([&, i] {
            waitForExtension(i);
            results[i] = RunConsole(commands[i], {}, environment);
            if (i == 0) extensionDone = true;
        });
    for (auto& thread : threads) thread.join();
    for (const auto& result : results) ExpectAnsweredInWords(result);
    ExpectWholeCalendar();
}

}  // namespace
}  // namespace mfg::test
