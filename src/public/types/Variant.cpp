#include "types/Variant.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include <fmt/format.h>

#include "types/TextUtil.h"

namespace mfg {
namespace {

bool ParseDouble(std::string_view text, double& out)
{
    text = Trim(text);
    if (text.empty()) return false;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && ptr == text.data() + text.size();
}

std::string FormatDouble(double v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15) return fmt::format("{}", static_cast<long long>(v));
    return fmt::format("{}", v);
}

}  // namespace

FieldType Variant::Type() const
{
    switch (value.index()) {
    case 1: return FieldType::Integer;
    case 2: return FieldType::Float;
    case 3: return FieldType::Text;
    case 4: return FieldType::DateTime;
    case 5: return FieldType::Bool;
    case 6: return FieldType::Blob;
    default: return FieldType::Unknown;
    }
}

std::string Variant::AsString() const
{
    switch (value.index()) {
    case 1: return std::to_string(std::get<1>(value));
    case 2: return FormatDouble(std::get<2>(value));
    case 3: return std::get<3>(value);
    case 4: return std::get<4>(value).ToIsoString();
    case 5: return std::get<5>(value) ? "True" : "False";
    case 6: return std::string(std::get<6>(value).begin(), std::get<6>(value).end());
    default: return {};
    }
}

std::int64_t Variant::AsInteger() const
{
    switch (value.index()) {
    case 1: return std::get<1>(value);
    case 2: return static_cast<std::int64_t>(std::trunc(std::get<2>(value)));
    case 3: {
        const auto& text = std::get<3>(value);
        if (Trim(text).empty()) return 0;
        double d = 0;
        if (!ParseDouble(text, d)) throw ConversionError(fmt::format("'{}' 不是有效的整数", text));
        return static_cast<std::int64_t>(std::trunc(d));
    }
    case 4: return static_cast<std::int64_t>(std::trunc(std::get<4>(value).DayNumber()));
    case 5: return std::get<5>(value) ? 1 : 0;
    case 6: throw ConversionError("二进制数据不能转换为整数");
    default: return 0;
    }
}

double Variant::AsFloat() const
{
    switch (value.index()) {
    case 1: return static_cast<double>(std::get<1>(value));
    case 2: return std::get<2>(value);
    case 3: {
        const auto& text = std::get<3>(value);
        if (Trim(text).empty()) return 0;
        double d = 0;
        if (!ParseDouble(text, d)) throw ConversionError(fmt::format("'{}' 不是有效的浮点数", text));
        return d;
    }
    case 4: return std::get<4>(value).DayNumber();
    case 5: return std::get<5>(value) ? 1 : 0;
    case 6: throw ConversionError("二进制数据不能转换为浮点数");
    default: return 0;
    }
}

DateTime Variant::AsDateTime() const
{
    switch (value.index()) {
    case 1: return DateTime(static_cast<double>(std::get<1>(value)));
    case 2: return DateTime(std::get<2>(value));
    case 3: {
        const auto& text = std::get<3>(value);
        if (auto parsed = DateTime::Parse(text)) return *parsed;
        double d = 0;
        if (ParseDouble(text, d)) return DateTime(d);
        throw ConversionError(fmt::format("'{}' 不是有效的日期", text));
    }
    case 4: return std::get<4>(value);
    case 6: throw ConversionError("二进制数据不能转换为日期");
    default: return DateTime();
    }
}

bool Variant::AsBool() const
{
    switch (value.index()) {
    case 1: return std::get<1>(value) != 0;
    case 2: return std::get<2>(value) != 0;
    case 3: {
        auto text = Trim(std::get<3>(value));
        if (EqualsNoCase(text, "true")) return true;
        if (EqualsNoCase(text, "false") || text.empty()) return false;
        double d = 0;
        if (!ParseDouble(text, d)) throw ConversionError(fmt::format("'{}' 不是有效的布尔值", text));
        return d != 0;
    }
    case 4: return std::get<4>(value).DayNumber() != 0;
    case 5: return std::get<5>(value);
    case 6: throw ConversionError("二进制数据不能转换为布尔值");
    default: return false;
    }
}

const Blob& Variant::AsBlob() const
{
    static const Blob empty;
    if (value.index() == 6) return std::get<6>(value);
    if (value.index() == 0) return empty;
    throw ConversionError("值不是二进制数据");
}

Variant Variant::ConvertedTo(FieldType type) const
{
    if (IsNull()) return {};
    switch (type) {
    case FieldType::Integer: return AsInteger();
    case FieldType::Float: return AsFloat();
    case FieldType::Text: return AsString();
    case FieldType::DateTime: return AsDateTime();
    case FieldType::Bool: return AsBool();
    case FieldType::Blob: {
        if (value.index() == 6) return *this;
        auto text = AsString();
        return Blob(text.begin(), text.end());
    }
    default: return *this;
    }
}

bool operator==(const Variant& a, const Variant& b) { return Variant::Compare(a, b) == 0 && a.IsNull() == b.IsNull(); }

int Variant::Compare(const Variant& a, const Variant& b, bool caseInsensitive)
{
    auto rank = [](const Variant& v) {
        switch (v.value.index()) {
        case 0: return 0;
        case 3: return 2;
        case 6: return 3;
        default: return 1;
        }
    };
    int ra = rank(a), rb = rank(b);
    if (ra != rb) {
        // A number stored as text compares as a number, as the host's datasets do for keys.
        if ((ra == 1 && rb == 2) || (ra == 2 && rb == 1)) {
            double x = 0;
            const Variant& text = ra == 2 ? a : b;
            if (ParseDouble(std::get<3>(text.value), x)) {
                double av = ra == 1 ? a.AsFloat() : x;
                double bv = rb == 1 ? b.AsFloat() : x;
                return av < bv ? -1 : (av > bv ? 1 : 0);
            }
        }
        return ra < rb ? -1 : 1;
    }
    switch (ra) {
    case 0: return 0;
    case 1: {
        if (a.value.index() == 1 && b.value.index() == 1) {
            auto x = std::get<1>(a.value), y = std::get<1>(b.value);
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        double x = a.AsFloat(), y = b.AsFloat();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    case 2: {
        const auto& x = std::get<3>(a.value);
        const auto& y = std::get<3>(b.value);
        int c = caseInsensitive ? CompareNoCase(x, y) : x.compare(y);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    default: {
        const auto& x = std::get<6>(a.value);
        const auto& y = std::get<6>(b.value);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    }
}

std::string_view FieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::Integer: return "integer";
    case FieldType::Float: return "float";
    case FieldType::Text: return "text";
    case FieldType::DateTime: return "datetime";
    case FieldType::Bool: return "bool";
    case FieldType::Blob: return "blob";
    default: return "unknown";
    }
}

}  // namespace mfg
