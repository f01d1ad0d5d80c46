#pragma once
// Schedule lines (MNF_ManuPlan, bill type 43) as bills: their codes, their audit and their list.

#include <string>
#include <string_view>

#include "BillCode.h"
#include "types/DateTime.h"

namespace mfg {

//! The bill type of schedule lines in L_BillType.
constexpr int kManuPlanBillType = 43;

//! The code of a new schedule bill dated `billDate`: head, the date part when the rule has both,
//! the separator, and the serial. A serial of -1 asks for the one after the highest of the branch
//! in the rule's period, which is written back. Unlike other bills no branch code goes in and a
//! rule without head gets no date part.
std::string GetManuPlanBillCode(DateTime billDate, int& serialNo);

//! Writes a new schedule bill dated `billDate` under a code no other bill holds (WriteWithFreshCode
//! with the codes of GetManuPlanBillCode); returns the code written.
std::string WriteNewManuPlanBill(DateTime billDate, const BillWriter& write);

//! What auditing a schedule bill found.
enum class ManuPlanAuditResult { Audited, AlreadyAudited, NotFound };

//! Audits the lines of the bill `billCode` of the current branch (BillState 1, the operator as
//! checker), so the plan selection offers them as demand.
ManuPlanAuditResult AuditManuPlan(std::string_view billCode);

//! The schedule lines of the current branch with their goods, by bill code, for listing.
std::string ManuPlanListSql();

}  // namespace mfg
