// The temporary folder belongs to the user alone, and the files kept in it are replaced, never
// written through a link someone planted under their names.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "CalendarSettings.h"
#include "Database.h"
#include "TestDatabase.h"
#include "host/Host.h"
#include "host/IniFile.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;

std::string Content(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class PlantedFiles : public ::testing::Test {
protected:
    PlantedFiles() : root(fs::temp_directory_path() / ("planted-" + std::to_string(::getpid())))
    {
        fs::remove_all(root);
        fs::create_directories(root);
        std::ofstream(victim) << "another user's file";
    }
    ~PlantedFiles() override { fs::remove_all(root); }

    fs::path root;
    fs::path victim = root / "victim";
};

TEST_F(PlantedFiles, TheTemporaryFolderIsTheUsersOwnOrRefused)
{
    Host host(OpenTestDatabase(false));
    const fs::path own = root / "own";
    host.SetTempDirectory(own);
    struct stat info {};
    ASSERT_EQ(::lstat(own.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "no one else may list or swap the files in it";

    fs::create_directories(root / "open");
    fs::permissions(root / "open", fs::perms::all);
    host.SetTempDirectory(root / "open");
    ASSERT_EQ(::lstat((root / "open").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u) << "a folder open to others is closed";

    fs::create_directories(root / "elsewhere");
    fs::create_directory_symlink(root / "elsewhere", root / "linked");
    EXPECT_THROW(host.SetTempDirectory(root / "linked"), std::runtime_error);
    EXPECT_THROW(host.SetTempDirectory((root / "linked").string() + "/"), std::runtime_error);

    if (::getuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    fs::create_directories(root / "theirs");
    ASSERT_EQ(::chown((root / "theirs").c_str(), 65534, 65534), 0);
    EXPECT_THROW(host.SetTempDirectory(root / "theirs"), std::runtime_error);
}

TEST_F(PlantedFiles, SettingsAreRenamedIntoPlaceNeverWrittenThroughALink)
{
    Host host(OpenTestDatabase(false));
    CurrentHostScope scope(host);
    host.SetTempDirectory(root / "tmp");
    fs::create_symlink(victim, CalendarSettingsPath());

    CalendarSettings settings;
    settings.restDays = {true, false, false, false, false, false, false};
    WriteCalendarSettings(settings);
    EXPECT_EQ(Content(victim), "another user's file");
    EXPECT_FALSE(fs::is_symlink(CalendarSettingsPath()));
    EXPECT_EQ(fs::file_size(CalendarSettingsPath()), CalendarSettingsFileSize);
    EXPECT_EQ(ReadCalendarSettings().settings.restDays, settings.restDays);

    const fs::path ini = root / "tmp" / "System.ini";
    fs::create_symlink(victim, ini);
    IniFile file(ini);
    file.WriteString("MRParam", "Onhand", "1");
    file.UpdateFile();
    EXPECT_EQ(Content(victim), "another user's file");
    EXPECT_FALSE(fs::is_symlink(ini));
    EXPECT_EQ(IniFile(ini).ReadString("MRParam", "Onhand", ""), "1");
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(root / "tmp")) left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"ShopCalendar.dat", "System.ini"})) << "no new file is left behind";
}

}  // namespace
}  // namespace mfg::test
