// Output that cannot be written (a full disk, a device that takes nothing) ends a command with exit
// code 1 and a message naming the output, never with success and a cut result.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestDatabase.h"

namespace mfg::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string err;
};

class FailedWrites : public ::testing::Test {
protected:
    FailedWrites()
        : url(CopyOfDemoDatabase("failed-writes")),
          folder(fs::temp_directory_path() / ("failed-writes-" + std::to_string(::getpid())))
    {
        fs::create_directories(folder);
    }
    ~FailedWrites() override { fs::remove_all(folder); }

    //! Runs `mfg` with its standard output going to `output`; a file grows to `limit` bytes at
    //! most, as on a disk that fills up.
    Outcome Run(const std::vector<std::string>& arguments, const fs::path& output, rlim_t limit = RLIM_INFINITY)
    {
        const fs::path errors = folder / "stderr";
        pid_t child = ::fork();
        if (child == 0) {
            int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails as on a full disk
            rlimit size{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &size);
            ::setenv("TMPDIR", folder.c_str(), 1);
            std::vector<std::string> all{MFG_CONSOLE, "--db", url, "--today", TestToday().ToIsoString()};
            all.insert(all.end(), arguments.begin(), arguments.end());
            std::vector<char*> argv;
            for (auto& argument : all) argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(MFG_CONSOLE, argv.data());
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        std::ifstream in(errors);
        std::ostringstream text;
        text << in.rdbuf();
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
    }

    std::string url;
    fs::path folder;
};

TEST_F(FailedWrites, AFailedWriteExitsOneNamingTheOutput)
{
    const std::vector<std::vector<std::string>> commands{
        {"mps", "list"}, {"bom", "export", "3001", "--csv"}, {"mrp", "--mps", "all", "--json"}};
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0] + " " + command[1]);
        auto written = Run(command, folder / "out");
        EXPECT_EQ(written.exitCode, 0) << written.err;
        EXPECT_GT(fs::file_size(folder / "out"), 0u);

        auto full = Run(command, "/dev/full");
        EXPECT_EQ(full.exitCode, 1);
        EXPECT_NE(full.err.find("无法写入标准输出"), std::string::npos) << full.err;
    }
    // A disk that fills up in the middle of a run's JSON. The limit holds for every file of the
    // process: SQLite's own temporary files need some room below it.
    constexpr rlim_t Room = 48 * 1024;
    EXPECT_GT(fs::file_size(folder / "out"), Room) << "the run's JSON is larger than the room on the disk";
    auto cut = Run({"mrp", "--mps", "all", "--json"}, folder / "cut.json", Room);
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_NE(cut.err.find("无法写入标准输出"), std::string::npos) << cut.err;
    EXPECT_LE(fs::file_size(folder / "cut.json"), Room);
}

}  // namespace
}  // namespace mfg::test
