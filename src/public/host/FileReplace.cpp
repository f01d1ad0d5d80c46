#include "host/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
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
    return 0;
}

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

//! A name beside `path` that no one is likely to have taken; linkat refuses one that exists.
std::string FreshName(const std::filesystem::path& path)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    return fmt::format("{}.{:016x}", path.string(), random());
}

}  // namespace

void CheckOutputFile(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        throw FileReplaceError(fmt::format("无法写入文件 {}: 这是一个文件夹, 不能作为输出文件", path.string()));
}

ReplacingFile::ReplacingFile(std::filesystem::path target) : path(std::move(target))
{
    CheckOutputFile(path);
    fd = ::open(FolderOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return;
    // mkostemp opens with O_CREAT | O_EXCL and mode 0600: a name someone else placed is never opened.
    temporary = path.string() + ".XXXXXX";
    fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) Fail(errno);
}

ReplacingFile::~ReplacingFile()
{
    if (fd >= 0) ::close(fd);
    if (!temporary.empty()) ::unlink(temporary.c_str());
}

std::string ReplacingFile::OpenName() const { return fmt::format("/proc/self/fd/{}", fd); }

void ReplacingFile::Fail(int error) const { Failed(path, error); }

void ReplacingFile::Write(std::string_view bytes)
{
    if (int error = WriteAll(fd, bytes)) Fail(error);
}

void ReplacingFile::Commit()
{
    if (::fsync(fd) != 0) Fail(errno);
    if (temporary.empty()) {
        // An unnamed file gets its name only now, complete; linkat never follows nor replaces a
        // name. A new file takes its own name at once; an old one is replaced through a fresh name.
        if (::linkat(AT_FDCWD, OpenName().c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0) return SyncFolder();
        if (errno != EEXIST) Fail(errno);
        for (;;) {
            std::string name = FreshName(path);
            if (::linkat(AT_FDCWD, OpenName().c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                temporary = std::move(name);
                break;
            }
            if (errno != EEXIST) Fail(errno);
        }
    }
    // rename replaces the name itself: a symbolic link there is swapped out, its target untouched.
    if (::rename(temporary.c_str(), path.c_str()) != 0) Fail(errno);
    temporary.clear();
    SyncFolder();
}

void ReplacingFile::SyncFolder() const
{
    // The new name must reach the disk too, or a crash may bring back the old name's content.
    int dir = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void ReplaceFile(const std::filesystem::path& path, std::string_view bytes)
{
    ReplacingFile file(path);
    file.Write(bytes);
    file.Commit();
}

std::optional<std::string> ReadSettingsFile(const std::filesystem::path& path, std::size_t maxBytes)
{
    auto refused = [&](std::string_view reason) {
        return FileReplaceError(fmt::format("设置文件 {} {}, 不予读取", path.string(), reason));
    };
    // Without O_NONBLOCK the open of a pipe would wait for a writer that never comes.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return std::nullopt;
    if (fd < 0) throw refused(std::strerror(errno));
    struct stat info {};
    std::string content;
    int error = ::fstat(fd, &info) == 0 ? 0 : errno;
    if (error == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= maxBytes) {
        // The file may grow while it is read: never more than the limit and one byte.
        content.resize(maxBytes + 1);
        std::size_t got = 0;
        while (got < content.size()) {
            auto n = ::read(fd, content.data() + got, content.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error = errno;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        content.resize(got);
    }
    ::close(fd);
    if (error != 0) throw refused(std::strerror(error));
    if (!S_ISREG(info.st_mode)) throw refused("不是普通文件");
    if (static_cast<std::size_t>(info.st_size) > maxBytes || content.size() > maxBytes)
        throw refused(fmt::format("大于 {} 字节", maxBytes));
    return content;
}

}  // namespace mfg
