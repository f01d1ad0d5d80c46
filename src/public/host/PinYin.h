#pragma once

#include <string>
#include <string_view>

namespace mfg {

//! The phonetic initials of UTF-8 text, as the goods finders match them: one upper-case letter per
//! Chinese character, ASCII letters (upper-cased) and digits kept, full-width ones made ASCII, every
//! other character dropped. "山地自行车" gives "SDZXC", "M8螺栓" gives "M8LS".
//!
//! Readings come from ICU's "Han-Latin; Latin-ASCII" transliteration, except for a small table of
//! words whose characters read otherwise in goods names (银行 YH, 长度 CD, 弹簧 TH, 调节 TJ, ...);
//! the longest word of the table that starts at a character wins over the character's own reading.
//! Meant for the user-interface thread; calls from other threads are serialised.
std::string GetPYIndexChar(std::string_view text);

//! The initial of one character (a code point): its letter for a Chinese character, the character
//! itself upper-cased for an ASCII letter or digit, 0 for anything else.
char PYInitialOf(char32_t character);

}  // namespace mfg
