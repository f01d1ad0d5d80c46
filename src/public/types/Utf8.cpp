#include "types/Utf8.h"

namespace mfg {

size_t Utf8CharLength(std::string_view text)
{
    if (text.empty()) return 0;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    size_t length = lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || text.size() < length) return 0;
    // The second byte's range narrows where a lead alone would allow overlong forms, surrogates
    // or code points past U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    if (byte(1) < low || byte(1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    return length;
}

bool ValidUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8CharLength(text.substr(i));
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string ReplaceInvalidUtf8(std::string_view text)
{
    if (ValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8CharLength(text.substr(i));
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

}  // namespace mfg
