#pragma once
// Runs the console host `mfg` as a child process, the way a user or a script does: arguments,
// standard input and environment in, exit code and both output streams back. A test can stop the
// child with SIGKILL at a point of its choosing, as a power cut would. The test program defines
// MFG_CONSOLE as the path of the console program.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace mfg::test {

//! How a child ended and what it wrote.
struct ConsoleResult {
    int exitCode = -1;  //!< -1 when it was killed
    bool killed = false;
    std::string out;
    std::string err;
};

//! Decides, from the error stream so far and the time since the start, when to kill the child.
using KillWhen = std::function<bool(const std::string& err, std::chrono::milliseconds elapsed)>;

//! Runs `mfg` with `arguments`, `input` on standard input and `environment` ("NAME=value") added
//! to its own; MFG_PASSWORD is cleared unless `environment` sets it. When `killWhen` says so the
//! child is killed with SIGKILL.
inline ConsoleResult RunConsole(const std::vector<std::string>& arguments, const std::string& input = {},
                                const std::vector<std::string>& environment = {}, const KillWhen& killWhen = {})
{
    int in[2], out[2], err[2];
    // Closed on exec: a child started meanwhile by another thread must not hold this one's pipes open.
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork");
    if (child == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
        ::unsetenv("MFG_PASSWORD");
        for (const auto& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> argv{const_cast<char*>(MFG_CONSOLE)};
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(MFG_CONSOLE, argv.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    ::signal(SIGPIPE, SIG_IGN);
    // A child that stops early leaves its input unread; its exit code tells more than the write would.
    if (!input.empty()) (void)!::write(in[1], input.data(), input.size());
    ::close(in[1]);

    ConsoleResult result;
    const auto start = std::chrono::steady_clock::now();
    pollfd streams[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        ::poll(streams, 2, killWhen ? 2 : -1);
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0) continue;
            char buffer[4096];
            auto n = ::read(streams[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, static_cast<size_t>(n));
            } else {
                ::close(streams[i].fd);
                streams[i].fd = -1;
                --open;
            }
        }
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (killWhen && !result.killed && killWhen(result.err, elapsed)) {
            ::kill(child, SIGKILL);
            result.killed = true;
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    result.killed = result.killed && WIFSIGNALED(status);
    return result;
}

}  // namespace mfg::test
