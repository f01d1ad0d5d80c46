#include "host/FileReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <fmt/format.h>

namespace mfg {
namespace {

[[noreturn]] void Failed(const std::filesystem::path& path, int error)
{
    throw FileReplaceError(fmt::format("无法写入文件 {}: {}", path.string(), std::strerror(error)));
}

//! Writes all of `bytes` to `fd`, or returns the error.
int WriteAll(int fd, std::string_view bytes)
{
    size_t written = 0;
    while (written < bytes.size()) {
        auto n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        written += static_cast<size_t>(n);
    }
    return ::fsync(fd) == 0 ? 0 : errno;
}

}  // namespace

void ReplaceFile(const std::filesystem::path& path, std::string_view bytes)
{
    // mkstemp opens with O_CREAT | O_EXCL and mode 0600: a name someone else placed is never opened.
    std::string temporary = path.string() + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) Failed(path, errno);
    int error = WriteAll(fd, bytes);
    if (::close(fd) != 0 && error == 0) error = errno;
    // rename replaces the name itself: a symbolic link there is swapped out, its target untouched.
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        Failed(path, error);
    }
    // The rename itself must reach the disk too, or a crash may bring back the old name's content.
    auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace mfg
