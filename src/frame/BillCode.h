#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "db/Connection.h"
#include "types/DateTime.h"

namespace mfg {

//! The numbering rule of a bill type (L_BillType) applied to one bill date.
struct BillCodeRule {
    int billType = 0;       //!< the rule's row of L_BillType
    std::string text;       //!< the rule as a user reads it: head, mode and serial pattern ("CG-年月-0000")
    std::string head;       //!< the fixed head (Head)
    std::string sepa;       //!< the separator (Sepa)
    int width = 0;          //!< the serial digits W, the character count of Code
    std::string datePart;   //!< the bill date as the mode F writes it, separators included
    std::string condition;  //!< the same period Q as " and ..." conditions on BillDate
};

//! A bill code that cannot be made: the message names the bill type and what is missing.
class BillCodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Reads the rule row of `billType` and applies it to `billDate`; throws BillCodeError when
//! L_BillType has no row for it, so that no bill is written without a code.
BillCodeRule ReadBillCodeRule(int billType, DateTime billDate);
//! The serial as the rule writes it: W digits with leading zeros (at most 15). Throws
//! BillCodeError, naming the bill type and its rule, when the serial needs more digits than that:
//! cutting it would hand out a code of the period's first bills again.
std::string SerialDigits(int serialNo, const BillCodeRule& rule);

//! The code of a new bill of `billType` in `table`, by the rule of L_BillType: head, branch code,
//! date part and the W digits of the serial. A serial of -1 asks for the next free one, which is
//! written back; `table` must then name a table of the schema. A serial is free when neither a bill
//! of the table nor a print record of the bill type (AB_BILLPRINT) holds it: a release killed
//! before its commit leaves print records of bills never written, whose codes stay spent. Throws
//! BillCodeError when the bill type has no rule or the serial outgrows its digits. Returns an empty code, after
//! telling the user, when the code would exceed 32 characters or the table is no table of the
//! schema; every caller treats that as failure.
std::string GetBillCode(DateTime billDate, int& serialNo, int billType, std::string_view table);

//! Makes the code of a serial; -1 asks for the next free serial, which is written back.
using CodeMaker = std::function<std::string(int& serialNo)>;
//! Writes a new bill with the given code.
using BillWriter = std::function<void(const std::string& code)>;

//! Writes a new bill under a code no other bill holds: another user may take the same serial at
//! the same moment, and then the table's unique index on BillCode refuses the second bill, which
//! is written again, in a savepoint, under the next serial. Returns the code written; an empty
//! code from `makeCode` is returned without writing.
std::string WriteWithFreshCode(Connection& db, const CodeMaker& makeCode, const BillWriter& write);

//! WriteWithFreshCode on the host's connection with the codes of GetBillCode.
std::string WriteNewBill(DateTime billDate, int billType, std::string_view table, const BillWriter& write);

}  // namespace mfg
