#pragma once

#include <string>
#include <string_view>

namespace mfg {

//! `value` rounded half away from zero at `digits` decimals (negative digits round to tens,
//! hundreds, ...). The decision is taken on the value's 15 significant decimal digits, not on its
//! binary form, so 2.675 gives 2.68 and 1.005 gives 1.01 as a user reading the numbers expects.
double RoundToEx(double value, int digits);

//! The text of `value` rounded at `decimals`, every decimal written ("2.50"); no "-0".
std::string FixedText(double value, int decimals);

//! `value` written by a display pattern of the form "0.##", "#0.####" or "0.00": as many decimals
//! as the pattern has after the point, trailing zeros dropped down to the pattern's '0' places.
std::string FormatFloat(std::string_view pattern, double value);

//! A quantity at the current host's QuantityDecimals.
double FormatQuantity(double value);
//! A price at the current host's PriceDecimals.
double FormatPrice(double value);
//! An amount at the current host's AmountDecimals.
double FormatAmount(double value);

//! A quantity for display: at QuantityDecimals, trailing zeros dropped ("12.5", "100").
std::string FormatQuantityText(double value);
//! A price for display: every one of PriceDecimals written.
std::string FormatPriceText(double value);
//! An amount for display: every one of AmountDecimals written ("1280.00").
std::string FormatAmountText(double value);

}  // namespace mfg
