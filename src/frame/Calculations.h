#pragma once

#include <string_view>

#include "types/DateTime.h"

namespace mfg {

//! An amount in another currency by its rate: divided (calculation type 0) or multiplied (1),
//! rounded to 8 decimals; 0 for a rate of 0 or any other calculation type.
double ConvertByRate(int currencyId, double rate, double amount);
//! A new key of a table, one that no row of the table holds (procedure AG_GETNEWKEY).
int GetNewKey(std::string_view tableName);
//! Half-up rounding where only the digit right after the kept ones decides: digits beyond it are
//! cut first, so 2.67499 to 2 digits gives 2.67; negative values round away from zero.
double RoundHalfUp(double value, int digits);
//! The date part of the server time.
DateTime Today();

}  // namespace mfg
