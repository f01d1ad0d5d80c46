// libFuzzer target: the one number parser never crashes on any text, and what it accepts is a
// finite number within the asked range (a whole one within its bounds for integers).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "types/UserNumber.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // The first byte chooses the range, the rest is the text.
    const std::uint8_t choice = data[0];
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const mfg::NumberRange ranges[] = {mfg::NumberRange::NonNegative(), mfg::NumberRange::Positive(),
                                       mfg::NumberRange::Percent(), mfg::NumberRange::Signed()};
    const mfg::NumberRange& range = ranges[choice % 4];
    auto value = mfg::TryParseUserNumber(text, "数量", range);
    if (value &&
        (!std::isfinite(*value) || *value < range.min || *value > range.max || (*value == 0 && !range.zeroAllowed)))
        __builtin_trap();
    const std::int64_t min = (choice & 4) ? -1000 : 0, max = (choice & 8) ? 0xffffffffLL : 2147483647LL;
    const int base = (choice & 16) ? 16 : 10;
    try {
        std::int64_t whole = mfg::ParseUserInteger(text, "行号", min, max, base);
        if (whole < min || whole > max) __builtin_trap();
    } catch (const mfg::InputError&) {
    }
    return 0;
}
