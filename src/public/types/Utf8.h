#pragma once
// Text is UTF-8 throughout: checked where it enters, and made well-formed where it goes out, for
// text stored before the checks.

#include <cstddef>
#include <string>
#include <string_view>

namespace mfg {

//! The bytes of the well-formed UTF-8 character at the start of `text` (no overlong forms, no
//! surrogates, nothing past U+10FFFF); 0 when none starts there.
size_t Utf8CharLength(std::string_view text);
//! True when the whole text is well-formed UTF-8.
bool ValidUtf8(std::string_view text);
//! The text with each byte that starts no well-formed character replaced by U+FFFD, so that a
//! writer of UTF-8 formats can pass on old text stored before input was checked.
std::string ReplaceInvalidUtf8(std::string_view text);

}  // namespace mfg
