#pragma once

#include <string>
#include <string_view>

#include "types/DateTime.h"

namespace mfg {

//! The code of a new bill of `billType` in `table`, by the rule of L_BillType: head, branch code,
//! date part and the last W digits of the serial. A serial of -1 asks for the next free one, which
//! is written back. Returns an empty code, after telling the user, when the code would exceed 32
//! characters; every caller treats that as failure.
std::string GetBillCode(DateTime billDate, int& serialNo, int billType, std::string_view table);

}  // namespace mfg
