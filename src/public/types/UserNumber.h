#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mfg {

//! The numbers a field takes: inclusive bounds, and whether zero itself is refused (a quantity that
//! must be positive, a MasterQty that divides).
struct NumberRange {
    double min = 0;
    double max = 1e12;
    bool zeroAllowed = true;

    //! 0 up to `max`: quantities, prices, amounts, expenses.
    static NumberRange NonNegative(double max = 1e12) { return {0, max, true}; }
    //! Above 0 up to `max`: a quantity that is produced, ordered or divided by.
    static NumberRange Positive(double max = 1e12) { return {0, max, false}; }
    //! A rate in percent, 0 to 100.
    static NumberRange Percent() { return {0, 100, true}; }
    //! Either sign, for corrections and balances.
    static NumberRange Signed(double limit = 1e12) { return {-limit, limit, true}; }
};

//! A number a user typed, or a file or an argument carries, that is refused: the message names the
//! field by its caption and says why, ready to show as it is.
class InputError : public std::runtime_error {
public:
    InputError(std::string caption, const std::string& message) : std::runtime_error(message), caption(std::move(caption)) {}
    const std::string& Caption() const { return caption; }

private:
    std::string caption;
};

//! The one reading of a number from a person or a file: blanks around it are dropped, full-width
//! digits and signs (as a Chinese input method types them) are read as ASCII, and anything else
//! ("12元", "abc", "inf", "nan", "1e300", "0x10", an empty text) or a value outside `range` throws
//! InputError naming `caption`.
double ParseUserNumber(std::string_view text, std::string_view caption, NumberRange range = NumberRange::NonNegative());

//! The same for a value already held as a double (a spin box, a grid cell, a computed figure):
//! refuses what is not finite or lies outside `range`.
double CheckUserNumber(double value, std::string_view caption, NumberRange range = NumberRange::NonNegative());

//! A whole number from a person or a file, within [min, max]: "1.5", "12个", "99999999999" for an
//! int and anything that is no number throw InputError naming `caption`. With `base` 16 the digits
//! are hexadecimal, after an optional "0x".
std::int64_t ParseUserInteger(std::string_view text, std::string_view caption, std::int64_t min, std::int64_t max,
                              int base = 10);

//! ParseUserNumber without the throw: the message goes to `error` when given.
std::optional<double> TryParseUserNumber(std::string_view text, std::string_view caption, NumberRange range,
                                         std::string* error = nullptr);

}  // namespace mfg
