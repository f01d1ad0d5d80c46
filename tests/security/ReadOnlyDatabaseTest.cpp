// A database file the user may only read opens for reading: queries answer, operators with a
// password log in, writes are refused with a message that says why.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <fmt/format.h>

#include "ConsoleRun.h"
#include "Database.h"
#include "TestDatabase.h"
#include "host/Users.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;

//! Runs `check` in a child process; as root the child first becomes "nobody", for whom the file's
//! mode counts (root may write any file). Returns the child's exit code.
int AsReader(const std::function<int()>& check)
{
    pid_t child = ::fork();
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(90);
        int code = 91;
        try {
            code = check();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ReadOnlyDatabase : public ::testing::TestWithParam<bool> {};

//! In a folder the reader may write (the WAL's shared memory is made there) and in one it may not.
INSTANTIATE_TEST_SUITE_P(Folder, ReadOnlyDatabase, ::testing::Values(true, false));

TEST_P(ReadOnlyDatabase, ReadsWorkAndWritesAreRefusedWithAMessage)
{
    const bool folderWritable = GetParam();
    const fs::path folder =
        fs::temp_directory_path() / fmt::format("readonly-{}-{}", folderWritable ? "open" : "closed", ::getpid());
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path file = folder / "demo.db";
    fs::copy_file(CopyOfDemoDatabase(fmt::format("readonly-{}", folderWritable)), file);
    {
        auto db = OpenDatabase(file.string());
        Users(*db).AddUser({"zhao", "赵工", "Zhao#Pw1", 1});
    }
    fs::permissions(folder, folderWritable ? fs::perms::all
                                           : fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                                 fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    EXPECT_EQ(AsReader([&] {
                  auto db = OpenDatabase(file.string());
                  return db->Query("select count(*) from L_Goods").FirstValue().AsInteger() > 0 ? 0 : 1;
              }),
              0)
        << "a read-only file cannot even be read";
    EXPECT_EQ(AsReader([&] {
                  auto db = OpenDatabase(file.string());
                  try {
                      db->Execute("update L_Goods set Name = 'x'");
                  } catch (const DbError& error) {
                      return std::string(error.what()).find("只读") != std::string::npos ? 0 : 2;
                  }
                  return 3;
              }),
              0)
        << "a write must be refused with the reason";

    auto console = AsReader([&] {
        auto shown = RunConsole({"--db", file.string(), "sql", "select count(*) as n from L_Goods"});
        return shown.exitCode == 0 ? 0 : 4;
    });
    EXPECT_EQ(console, 0) << "the console reads a read-only file";
    auto proven = AsReader([&] {
        auto shown = RunConsole({"--db", file.string(), "--user", "zhao", "sql", "select count(*) as n from L_Goods"},
                                "", {"MFG_PASSWORD=Zhao#Pw1"});
        return shown.exitCode == 0 ? 0 : 5;
    });
    EXPECT_EQ(proven, 0) << "an operator with a password logs in on a read-only file";
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace mfg::test
