#pragma once
// What must hold however many planners work at once, checked over the stored data for "mfg check":
// each sales-order line converted once, one audit state per BOM parent, one print record per bill
// code, every released order with its lines. (The calendar's numbering has a check of its own.)

#include <string>
#include <vector>

namespace mfg {

//! One broken rule, as a user reads it: what, where, and the rows concerned.
struct DataProblem {
    std::string rule;  //!< the rule broken, the same text for every problem of that rule
    std::string text;  //!< the rows that break it
};

//! Every broken rule found, read only, in the order of the rules above.
std::vector<DataProblem> CheckModuleData();

}  // namespace mfg
