#pragma once
// Files the program keeps for a user (settings, report templates) are written whole under a new
// name and renamed into place: a reader sees the old content or the new, never half of either,
// and a link planted under the name is replaced, never written through.

#include <filesystem>
#include <stdexcept>
#include <string_view>

namespace mfg {

//! A file that could not be written; the text names it and the reason.
class FileReplaceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Writes `bytes` to a new file beside `path` (created exclusively, readable by the owner only),
//! flushes it to the disk and renames it over `path`. Throws FileReplaceError with the old file
//! left as it was.
void ReplaceFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace mfg
