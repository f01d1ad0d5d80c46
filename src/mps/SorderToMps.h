#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "types/DateTime.h"

namespace mfg {

//! How a conversion ended.
enum class ConvertResult {
    Converted,  //!< every ticked line was written, or found converted by another user meanwhile
    Refused,    //!< the ticked lines failed a check and nothing was written
    Failed,     //!< the database refused a write; the bills written before it stay
};

//! Turns open sales-order lines of manufactured goods into schedule lines (MNF_ManuPlan), one per
//! ticked line: the work of the screen "销售订单直接转入主生产计划" without its controls.
//!
//! The list holds audited, open orders of the current branch whose delivery date (or, without one,
//! order date) lies in the range, lines of kind-3 goods with an open quantity that no schedule
//! line took yet (MPSREFERED). Its rows are edited in memory only: "Selected", "MnQty" and
//! "MNEndDate" say what to write.
class SorderToMps {
public:
    SorderToMps();

    //! The list, qrySorderDetail, ordered by order code.
    DataSet& Lines() { return qrySorderDetail; }
    //! Reads the list again for orders due from `begDate` to `endDate`.
    void Reload(DateTime begDate, DateTime endDate);
    //! Moves to the line `itemNo` of the order `billCode` (any line of it when empty); false when
    //! the list does not hold it.
    bool Locate(std::string_view billCode, std::optional<int> itemNo = std::nullopt);

    //! The earliest completion date and the date of every new bill: today, or the first day of the
    //! open posting month when that is later.
    DateTime EarliestFinishDate();
    //! Tells the user the first fault of the ticked lines and returns false; true when they can be
    //! written.
    bool Validate();
    //! Writes one schedule bill per ticked line, in list order, each with a new key and a code that
    //! no other bill holds. Each line stands alone, in a transaction that first claims the order line
    //! and then writes its bill: a line is converted once, and a line that another user converted
    //! since the list was read is skipped and named in TakenLines. A database error ends the walk and
    //! the bills written before it stay.
    void WriteSelected();
    //! Validate, WriteSelected and the note of success, or the lines other users converted; a
    //! database error is shown to the user.
    ConvertResult Convert();
    //! The codes of the bills the last write made, in order, also when it ended in an error.
    const std::vector<std::string>& WrittenCodes() const { return writtenCodes; }
    //! The ticked lines the last write found converted by another user, as the user is told them.
    const std::vector<std::string>& TakenLines() const { return takenLines; }

private:
    void SelectedChanged(Field& selected);

    DataSet qrySorderDetail{"qrySorderDetail"};
    std::vector<std::string> writtenCodes;
    std::vector<std::string> takenLines;
};

}  // namespace mfg
