// Inputs that used to be taken silently or answered with a library's words: each is refused with
// a message that names what is wrong, and nothing is written.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include <fmt/format.h>

#include "CalendarSettings.h"
#include "ConsoleFixture.h"

namespace mfg::test {
namespace {

class BadInput : public ConsoleTest {};

TEST_F(BadInput, OptionsFromAMissingFileOrAFolderAreRefused)
{
    for (const std::string& from : {(temporary / "no-such.ini").string(), temporary.string()}) {
        auto run = Mfg({"mrp", "--goods", "3001:10:2026-12-20", "--options-from", from});
        EXPECT_EQ(run.exitCode, 2) << from;
        EXPECT_NE(run.err.find("--options-from"), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << "ran with the default options instead:\n" << run.out;
    }
}

TEST_F(BadInput, ASettingsFileOfRestDaysOnlyAsksBeforeTheCalendarIsExtended)
{
    const auto folder = temporary / fmt::format("mfg-{}", ::getuid());
    std::filesystem::create_directories(folder);
    CalendarSettings everyDayRest;
    everyDayRest.restDays.fill(true);
    auto bytes = EncodeCalendarSettings(everyDayRest);
    std::ofstream(folder / "ShopCalendar.dat", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Mfg({"sql", "delete from MNF_CALENDAR where WORKDATE > '2028-12-20'"});
    auto days = [&] { return Mfg({"sql", "select count(*) as n from MNF_CALENDAR", "--json"}).out; };
    const std::string before = days();

    auto asked = Mfg({"calendar", "extend"});
    EXPECT_NE(asked.exitCode, 0);
    EXPECT_NE(asked.err.find("你现在设置全部的天数为公休日,请确认是否继续?"), std::string::npos) << asked.err;
    EXPECT_EQ(days(), before) << "the rest days were written without the question";

    auto confirmed = Mfg({"calendar", "extend", "--yes"});
    EXPECT_EQ(confirmed.exitCode, 0) << confirmed.err;
    auto rest = Mfg(
        {"sql", "select count(*) as n from MNF_CALENDAR where WORKDATE > '2028-12-20' and ISHOLIDAY = 1", "--json"});
    EXPECT_NE(rest.out.find("\"n\": 11"), std::string::npos) << rest.out;
}

TEST_F(BadInput, NumbersTooBigForAnIntegerNameTheirOption)
{
    auto line = Mfg({"mps", "from-sales", "XS-2026-12-01-0001:99999999999"});
    EXPECT_NE(line.exitCode, 0);
    EXPECT_NE(line.err.find("订单行号"), std::string::npos) << line.err;
    EXPECT_EQ(line.err.find("stoi"), std::string::npos) << line.err;

    auto mask = Mfg({"mrp", "--goods", "3001:10:2026-12-20", "--options", "0x1ffffffff"});
    EXPECT_NE(mask.exitCode, 0);
    EXPECT_NE(mask.err.find("--options"), std::string::npos) << mask.err;
    EXPECT_EQ(mask.err.find("stoul"), std::string::npos) << mask.err;
}

TEST(EmptyDatabase, IsReportedAsNotInitialised)
{
    std::string url = FreshDatabaseUrl("empty-database");
    if (!OnPostgres()) std::ofstream(url).flush();
    auto run = RunConsole({"--db", url, "bom", "tree", "3001"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find("尚未初始化"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("PasswordHash"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace mfg::test
