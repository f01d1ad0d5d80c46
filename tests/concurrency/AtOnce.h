#pragma once
// Several console commands started at the same moment, as several planners at their desks would.

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "ConsoleRun.h"

namespace mfg::test {

//! Runs each command line as a console process of its own, all at once, with `environment` added
//! to each; returns how each ended, in the order given.
inline std::vector<ConsoleResult> RunAtOnce(const std::vector<std::vector<std::string>>& commands,
                                            const std::vector<std::string>& environment = {})
{
    std::vector<ConsoleResult> results(commands.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < commands.size(); ++i)
        threads.emplace_back([&, i] { results[i] = RunConsole(commands[i], {}, environment); });
    for (auto& thread : threads) thread.join();
    return results;
}

//! A temporary folder of the test's own for the consoles it starts ("TMPDIR=..."), so that the
//! settings files they write reach no other test.
inline std::string PrivateTemporaryFolder(const std::string& name)
{
    auto folder = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return "TMPDIR=" + folder.string();
}

}  // namespace mfg::test
