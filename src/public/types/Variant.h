#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "types/DateTime.h"

namespace mfg {

//! The type of a field or a value.
enum class FieldType { Unknown, Integer, Float, Text, DateTime, Bool, Blob };

using Blob = std::vector<std::uint8_t>;

//! A value of a field or a parameter, converting the way the host's datasets do:
//! null reads as 0, "" or false; text reads as a number when it holds one.
class Variant {
public:
    Variant() = default;
    Variant(std::nullptr_t) {}
    Variant(int v) : value(static_cast<std::int64_t>(v)) {}
    Variant(std::int64_t v) : value(v) {}
    Variant(double v) : value(v) {}
    Variant(bool v) : value(v) {}
    Variant(const char* v) : value(std::string(v)) {}
    Variant(std::string v) : value(std::move(v)) {}
    Variant(std::string_view v) : value(std::string(v)) {}
    Variant(DateTime v) : value(v) {}
    Variant(Blob v) : value(std::move(v)) {}

    bool IsNull() const { return value.index() == 0; }
    FieldType Type() const;

    //! Text as the host shows it; dates as "yyyy-mm-dd" (with the time when there is one).
    std::string AsString() const;
    //! Integer value; floats are truncated toward zero; throws ConversionError for text that is no number.
    std::int64_t AsInteger() const;
    double AsFloat() const;
    //! Day number for numbers, parsed for text; throws ConversionError for text that is no date.
    DateTime AsDateTime() const;
    bool AsBool() const;
    const Blob& AsBlob() const;

    //! The value converted to a field type (Unknown keeps it as it is).
    Variant ConvertedTo(FieldType type) const;

    //! Equality as the datasets compare key values: numbers by value, text exactly, null only to null.
    friend bool operator==(const Variant& a, const Variant& b);
    //! Ordering for sorts: null first, then numbers and dates by value, then text, then blobs.
    static int Compare(const Variant& a, const Variant& b, bool caseInsensitive = false);

private:
    std::variant<std::monostate, std::int64_t, double, std::string, DateTime, bool, Blob> value;
};

//! A value that cannot be read as the asked type.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! The display name of a field type ("integer", "float", ...).
std::string_view FieldTypeName(FieldType type);

}  // namespace mfg
