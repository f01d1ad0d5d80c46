#pragma once
// Files the program writes for a user (settings, report templates, exports) are written whole
// under no name or a new one and renamed into place: a reader sees the old content or the new,
// never half of either, a link planted under any name is replaced, never written through, and a
// folder is never taken for a file. Settings files are read only when they are what the program
// wrote: a regular file of a sane size, never a pipe, a device or a huge file that would hang it.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mfg {

//! A file that could not be written or read; the text names it and the reason.
class FileReplaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Throws FileReplaceError when `path` names a folder (or a link to one): an output is a file.
void CheckOutputFile(const std::filesystem::path& path);

//! A new file that takes the place of `path` when Commit is called. It is made with no name in
//! the folder of `path` where the file system allows it, else exclusively under a fresh name
//! (never opening what someone placed there), readable by the owner only; until Commit it is
//! removed with the object, and a process killed meanwhile leaves nothing of it on a file system
//! that allows unnamed files.
class ReplacingFile {
public:
    //! Throws FileReplaceError naming `path` when it is a folder or the folder takes no new file.
    explicit ReplacingFile(std::filesystem::path path);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    int Descriptor() const { return fd; }
    //! A name that opens this very file, whatever is later put under any other name, for a
    //! library that opens its output by name.
    std::string OpenName() const;
    //! Writes all of `bytes` at the end; throws FileReplaceError naming the target.
    void Write(std::string_view bytes);
    //! Flushes the file to the disk and puts it in the place of the target; throws
    //! FileReplaceError with the old file left as it was.
    void Commit();

private:
    [[noreturn]] void Fail(int error) const;
    void SyncFolder() const;

    std::filesystem::path path;
    std::string temporary;  // the fresh name, when the file system gives no unnamed files
    int fd = -1;
};

//! Writes `bytes` as a ReplacingFile of `path`. Throws FileReplaceError with the old file left as
//! it was.
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

//! The content of a settings file, none when there is no such file. Throws FileReplaceError
//! naming it when it is not a regular file (a folder, a pipe, a device) or holds more than
//! `maxBytes`, without waiting on it.
std::optional<std::string> ReadSettingsFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace mfg
