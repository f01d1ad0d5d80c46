#include "host/Format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include <fmt/format.h>

#include "host/Host.h"

namespace mfg {

double RoundToEx(double value, int digits)
{
    if (!std::isfinite(value) || value == 0) return value;
    digits = std::clamp(digits, -400, 400);
    // Fifteen significant digits are what a double holds exactly as decimal text; the binary noise
    // beyond them (2.675 is stored as 2.67499999...) must not decide the rounding.
    // Written into buffers on the stack: every quantity of a run passes here.
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific, 14).ptr;
    char mantissa[15];
    mantissa[0] = text[0];
    std::copy(text + 2, text + 16, mantissa + 1);
    int exponent = 0;
    std::from_chars(text + 17 + (text[17] == '+'), written, exponent);
    const int keep = exponent + 1 + digits;
    if (keep >= static_cast<int>(sizeof mantissa)) return value;
    if (keep < 0) return 0.0;
    std::int64_t kept = 0;
    if (keep > 0) std::from_chars(mantissa, mantissa + keep, kept);
    if (mantissa[keep] >= '5') ++kept;
    if (kept == 0) return 0.0;
    // Read back from decimal text: the nearest double to the rounded decimal, not kept / 10^digits.
    char rounded[48];
    char* end = std::to_chars(rounded, rounded + sizeof rounded, kept).ptr;
    *end++ = 'e';
    end = std::to_chars(end, rounded + sizeof rounded, -digits).ptr;
    double result = 0;
    std::from_chars(rounded, end, result);
    return value < 0 ? -result : result;
}

std::string FixedText(double value, int decimals)
{
    if (decimals < 0) decimals = 0;
    double rounded = RoundToEx(value, decimals);
    if (rounded == 0) rounded = 0.0;
    return fmt::format("{:.{}f}", rounded, decimals);
}

std::string FormatFloat(std::string_view pattern, double value)
{
    auto point = pattern.find('.');
    std::string_view decimals = point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
    auto fixed = static_cast<std::size_t>(std::count(decimals.begin(), decimals.end(), '0'));
    std::string text = FixedText(value, static_cast<int>(decimals.size()));
    std::size_t keep = text.find('.') == std::string::npos ? text.size() : text.find('.') + 1 + fixed;
    while (text.size() > keep && text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

double FormatQuantity(double value) { return RoundToEx(value, CurrentHost().GetDecimals().quantity); }

double FormatPrice(double value) { return RoundToEx(value, CurrentHost().GetDecimals().price); }

double FormatAmount(double value) { return RoundToEx(value, CurrentHost().GetDecimals().amount); }

std::string FormatQuantityText(double value)
{
    auto text = FixedText(value, CurrentHost().GetDecimals().quantity);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string FormatPriceText(double value) { return FixedText(value, CurrentHost().GetDecimals().price); }

std::string FormatAmountText(double value) { return FixedText(value, CurrentHost().GetDecimals().amount); }

}  // namespace mfg
