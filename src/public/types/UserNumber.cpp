#include "types/UserNumber.h"

#include <charconv>
#include <cmath>

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg {
namespace {

//! Full-width forms of what a number may contain, as a Chinese input method types them, and the
//! ideographic space; each is three bytes in UTF-8 (U+FF10..U+FF19, U+FF0E, U+FF0B, U+FF0D, U+3000).
std::string AsciiDigits(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if (i + 2 < text.size() && byte(0) == 0xEF && byte(1) == 0xBC) {
            unsigned char third = byte(2);
            if (third >= 0x90 && third <= 0x99) { out += static_cast<char>('0' + third - 0x90); i += 2; continue; }
            if (third == 0x8E) { out += '.'; i += 2; continue; }
            if (third == 0x8B) { out += '+'; i += 2; continue; }
            if (third == 0x8D) { out += '-'; i += 2; continue; }
        }
        if (i + 2 < text.size() && byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80) { out += ' '; i += 2; continue; }
        out += text[i];
    }
    return out;
}

std::string NumberText(double value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e15) return fmt::format("{}", static_cast<long long>(value));
    return fmt::format("{:g}", value);
}

[[noreturn]] void Refuse(std::string_view caption, const std::string& message)
{
    throw InputError(std::string(caption), message);
}

//! The plain decimal text of a number: digits with at most one point, an optional sign and an
//! exponent. from_chars alone would also take "inf", "nan" and hexadecimal digits in some forms.
bool IsDecimalText(std::string_view text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    bool digits = false, point = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') digits = true;
        else if (c == '.' && !point) point = true;
        else break;
    }
    if (!digits) return false;
    if (i == text.size()) return true;
    if (text[i] != 'e' && text[i] != 'E') return false;
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

}  // namespace

double CheckUserNumber(double value, std::string_view caption, NumberRange range)
{
    if (!std::isfinite(value)) Refuse(caption, fmt::format("{}不是有效的数字", caption));
    if (value == 0 && !range.zeroAllowed) Refuse(caption, fmt::format("{}必须大于 0", caption));
    if (value < range.min || value > range.max)
        Refuse(caption, fmt::format("{}必须在 {} 到 {} 之间: {}", caption, NumberText(range.min), NumberText(range.max),
                                    NumberText(value)));
    return value;
}

double ParseUserNumber(std::string_view text, std::string_view caption, NumberRange range)
{
    std::string ascii = AsciiDigits(text);
    std::string_view trimmed = Trim(ascii);
    if (trimmed.empty()) Refuse(caption, fmt::format("请输入{}", caption));
    if (!IsDecimalText(trimmed)) Refuse(caption, fmt::format("{}不是有效的数字: {}", caption, trimmed));
    // from_chars takes no leading '+'.
    if (trimmed.front() == '+') trimmed.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (error == std::errc::result_out_of_range || !std::isfinite(value))
        Refuse(caption, fmt::format("{}超出范围: {}", caption, trimmed));
    if (error != std::errc() || end != trimmed.data() + trimmed.size())
        Refuse(caption, fmt::format("{}不是有效的数字: {}", caption, trimmed));
    return CheckUserNumber(value == 0 ? 0.0 : value, caption, range);
}

std::int64_t ParseUserInteger(std::string_view text, std::string_view caption, std::int64_t min, std::int64_t max,
                              int base)
{
    std::string ascii = AsciiDigits(text);
    std::string_view trimmed = Trim(ascii);
    if (trimmed.empty()) Refuse(caption, fmt::format("请输入{}", caption));
    if (trimmed.front() == '+') trimmed.remove_prefix(1);
    std::string_view digits = trimmed;
    if (base == 16 && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.remove_prefix(2);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    const bool whole = end == digits.data() + digits.size();
    if (error == std::errc::result_out_of_range || (error == std::errc() && whole && (value < min || value > max)))
        Refuse(caption, fmt::format("{}必须在 {} 到 {} 之间: {}", caption, min, max, trimmed));
    if (error != std::errc() || !whole)
        Refuse(caption, fmt::format("{}必须是整数: {}", caption, trimmed));
    return value;
}

std::optional<double> TryParseUserNumber(std::string_view text, std::string_view caption, NumberRange range,
                                         std::string* error)
{
    try {
        return ParseUserNumber(text, caption, range);
    } catch (const InputError& e) {
        if (error) *error = e.what();
        return std::nullopt;
    }
}

}  // namespace mfg
