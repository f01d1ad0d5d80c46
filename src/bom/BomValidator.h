#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mfg {

class GoodsBom;

//! How a problem of a BOM is put to the user.
enum class BomProblemKind {
    Information,  //!< a note (ShowInformation)
    Error,        //!< an error (ShowError)
    Question,     //!< a Yes/No question titled "提示"; Yes goes on
};

//! One failed check of a BOM.
struct BomProblem {
    std::string rule;  //!< "V1" ... "V11"
    BomProblemKind kind = BomProblemKind::Information;
    std::string message;
};

//! Hears each problem as the checks find it; returns true to go on checking.
using BomProblemSink = std::function<bool(const BomProblem&)>;

//! Runs the checks V1 to V11 in order, giving each problem to `sink` and stopping when it says so.
//! Lines that pass get the header values (V6). True when no problem stopped the checks.
bool RunBomChecks(GoodsBom& bom, const BomProblemSink& sink);

//! The save check of the editor: the first problem is shown and ends it with false; a question
//! answered Yes lets it go on.
bool ValidateBom(GoodsBom& bom);

//! Every problem of the BOM, none stopping the others (questions included, unanswered).
std::vector<BomProblem> CheckBom(GoodsBom& bom);

}  // namespace mfg
