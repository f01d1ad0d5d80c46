#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "BillRows.h"
#include "ReleaseTransaction.h"
#include "SuggestionReleases.h"
#include "data/DataSet.h"
#include "types/DateTime.h"

namespace mfg {

class MrpEngine;

//! A kind of order a manufacture suggestion is released as: made in the user's own workshops
//! (bill type 42) or by an outside processor (54).
struct ManufactureKind {
    int billType;
    std::string_view keyTable;
    std::string_view headerTable;
    std::string_view lineTable;
    std::string_view subTable;
    int privilege;
    std::string_view refused;
    std::string_view remark;
    std::string_view caption;

    bool IsOutsourcing() const { return billType == 54; }
};

//! The kind of bill type 42 or 54; throws std::invalid_argument for another.
const ManufactureKind& ManufactureKindOf(int billType);

//! A release row the OK of the release dialog refuses: the message and the field to focus.
struct ReleaseRowProblem {
    int recNo = 0;
    std::string message;
    std::string field;
};

//! Writes the release rows of cdsManu (filled by MrpEngine::BuildManufactureRelease) as orders, one
//! per release row, with component lines, substitutes and, for kind 42, process steps from the
//! goods' audited BOM.
class ManufactureRelease {
public:
    explicit ManufactureRelease(int billType);

    const ManufactureKind& Kind() const { return kind; }
    //! True when the user may append orders of the kind; otherwise tells the user.
    bool Permitted() const;
    //! The first release row that may not be released (quantities against the corrected quantity,
    //! workshop or processor, dates), with cdsManu positioned on it.
    std::optional<ReleaseRowProblem> Check(DataSet& cdsManu) const;
    //! Writes the orders in one transaction, tells the user the outcome and returns the codes
    //! written (none after a failure).
    std::vector<std::string> Release(DataSet& cdsManu, const MrpEngine& engine);
    //! The orders of the last successful release: goods, quantity and code.
    const std::vector<ReleasedOrder>& Released() const { return released; }
    //! Who hears each code before the orders are committed.
    void OnCode(ReleasedCodeListener listener) { told = std::move(listener); }

private:
    struct BomFigures {
        double useTime = 0;
        double masterQty = 1;
    };

    void WriteOrder(DataSet& cdsManu, const MrpEngine& engine, const BomFigures& figures, int billId,
                    const std::string& billCode, DateTime billDate);
    void AppendComponents(std::int32_t parent, double quantity, int billId, int& itemNo, bool nested);
    void AppendSubstitutes(std::int32_t parent, std::int32_t component, int billId, int itemNo, double quantity);
    void AppendProcessSteps(std::int32_t goodsid, int billId);
    void Clear();

    const ManufactureKind& kind;
    BillRows header;
    BillRows lines;
    BillRows substitutes;
    BillRows steps;
    std::vector<ReleasedOrder> released;
    ReleasedCodeListener told;
};

}  // namespace mfg
