// The user's own folder of settings: a name another local user took first is passed by, and a
// settings file that is no regular file of a sane size is refused at once instead of read.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <regex>

#include "ConsoleFixture.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;

class SettingsFolder : public ConsoleTest {
protected:
    fs::path Own() const { return temporary / ("mfg-" + std::to_string(::getuid())); }

    //! The console with a watchdog: a command that waits on a file for a minute is stopped.
    ConsoleResult Guarded(const std::vector<std::string>& arguments)
    {
        std::vector<std::string> all{"--db", url, "--today", "2026-12-06"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return RunConsole(all, {}, {"TMPDIR=" + temporary.string()},
                          [](const std::string&, std::chrono::milliseconds elapsed) { return elapsed.count() > 60000; });
    }
};

TEST_F(SettingsFolder, ASettingsFileThatIsNoRegularFileOfSaneSizeIsRefused)
{
    fs::create_directory(Own());
    fs::permissions(Own(), fs::perms::owner_all);
    const fs::path settings = Own() / "ShopCalendar.dat";
    const std::vector<std::pair<std::string, std::function<void()>>> plants{
        {"不是普通文件", [&] { ASSERT_EQ(::mkfifo(settings.c_str(), 0600), 0); }},
        {"大于", [&] {
             std::ofstream(settings).put('x');
             fs::resize_file(settings, 3ull << 30);
         }}};
    for (const auto& [reason, plant] : plants) {
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"calendar", "extend"},
              {"calendar", "set", "--from", "2026-12-01", "--to", "2026-12-31"}}) {
            fs::remove_all(settings);
            plant();
            auto result = Guarded(command);
            SCOPED_TRACE(command[1] + " " + reason + "\n" + result.err);
            EXPECT_FALSE(result.killed) << "it waited on the file";
            EXPECT_EQ(result.exitCode, 0);
            EXPECT_NE(result.err.find(reason), std::string::npos);
        }
    }
}

TEST_F(SettingsFolder, AFolderNameTakenByAnotherIsPassedByAndTheNewFolderNamed)
{
    const fs::path elsewhere = temporary / "elsewhere";
    fs::create_directory(elsewhere);
    fs::create_directory_symlink(elsewhere, Own());
    std::vector<std::string> taken{"a link"};
    std::string named;
    for (int run = 0; run < 2; ++run) {
        auto result = Mfg({"calendar", "set", "--from", "2026-12-01", "--to", "2026-12-31", "--rest", "sun"});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        std::smatch found;
        ASSERT_TRUE(std::regex_search(result.err, found, std::regex("改用临时文件夹 (\\S+)。"))) << result.err;
        if (run == 1) EXPECT_EQ(found[1].str(), named) << "the folder made before is used again, settings and all";
        named = found[1].str();
    }
    EXPECT_TRUE(fs::is_empty(elsewhere)) << "nothing is written through the link";
    struct stat info {};
    ASSERT_EQ(::lstat(named.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, ::getuid());
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(fs::exists(fs::path(named) / "ShopCalendar.dat"));

    if (::getuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    fs::remove(Own());
    fs::create_directory(Own());
    ASSERT_EQ(::chown(Own().c_str(), 65534, 65534), 0);
    auto result = Mfg({"calendar", "check"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("属于另一个用户"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("改用临时文件夹 " + named), std::string::npos) << result.err;
}

}  // namespace
}  // namespace mfg::test
