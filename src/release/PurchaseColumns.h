#pragma once
// The column lists of the purchase documents, shared by the batch and the single release.

#include <string>
#include <vector>

namespace mfg::purchase {

//! Purchase order headers; the single release writes the list without linkman.
std::vector<std::string> OrderColumns(bool withLinkman);
std::vector<std::string> OrderLineColumns();
std::vector<std::string> RequestColumns();
std::vector<std::string> RequestLineColumns();

}  // namespace mfg::purchase
