#pragma once
// What the workbench released from each suggestion row: the quantity and the bill codes, kept in
// the row's "releasedqty" and "released" fields (lists without them keep nothing).

#include <cstdint>
#include <string>
#include <vector>

#include "data/DataSet.h"

namespace mfg {

//! An order written for a goods by a manufacture release.
struct ReleasedOrder {
    std::int32_t goodsid = 0;
    double quantity = 0;
    std::string billCode;
};

//! Asks before the current suggestion is released again ("货品 X 已经下达过 N\n是否再次下达?");
//! true when it has no release yet or the user answers yes.
bool ConfirmReleaseAgain(const DataSet& suggestions);
//! The same, once, for every ticked suggestion with something to release: one question lists each
//! goods released before with the quantity released from its ticked rows; false on no.
bool ConfirmReleaseOfTicked(DataSet& suggestions);
//! Adds a release of the current suggestion: its quantity and bill code.
void RecordRelease(DataSet& suggestions, double quantity, const std::string& billCode);
//! Spreads the orders of a manufacture release over the ticked suggestions of their goods, each
//! row taking at most its corrected quantity (the last row of a goods whatever is left).
void RecordManufactureRelease(DataSet& cdsManuSug, const std::vector<ReleasedOrder>& orders);

}  // namespace mfg
