#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "types/DateTime.h"

namespace mfg {

//! Option bits of one run, one per check box of the workbench.
enum MrpOption : std::uint32_t {
    optOnhand = 0x1,
    optSafeQty = 0x2,
    optWasteQty = 0x4,
    optUsedQty = 0x8,
    optSaleQty = 0x10,
    optPurchaseQty = 0x20,
    optManufactureQty = 0x40,
    optAhead = 0x80,
    optSub = 0x100,
    optManuOrder = 0x200,
    optRequest = 0x400,
    optDistribute = 0x800,
    optOverSOrder = 0x1000,
    optOverPOrder = 0x2000,
    optProductQty = 0x4000,
    optPrequest = 0x8000,
};

//! The options ticked when the workbench opens for the first time.
inline constexpr std::uint32_t MrpDefaultOptions = optOnhand | optSafeQty | optWasteQty | optUsedQty | optPurchaseQty |
                                                   optManufactureQty | optAhead | optSub | optManuOrder | optProductQty;

//! Lot flags of the purchase suggestions.
inline constexpr unsigned MrpLotMinimum = 1;
inline constexpr unsigned MrpLotIncrement = 2;

//! Goods master and stock figures of one goods.
struct MrpGoodsRecord {
    std::int32_t goodsid = 0;
    double onhand = 0;
    double safeQty = 0;
    double usedQty = 0;
    double manuOrderQty = 0;
    double minPurchaseQty = 0;
    double orderAddQty = 0;
    std::int32_t leadTime = 0;
    std::int32_t traderId = 0;
    bool isMrp = false;
    std::int16_t kind = 0;
    double pprice = 0;
};

//! One audited BOM link, summed over the parent's rows for that component.
struct MrpBomLink {
    std::int32_t elemgid = 0;
    double qty = 0;
    double rate = 0;  //!< waste as a fraction
};

//! A substitute material of a BOM link.
struct MrpSubstitute {
    std::int32_t subgoodsid = 0;
    double rate = 0;  //!< substitute units per component unit
};

//! A demand line handed to the run, or one line of an open supply or demand document.
struct MrpLine {
    std::int32_t goodsid = 0;
    DateTime date;
    double quantity = 0;
    std::int32_t shopid = 0;
    std::int32_t billtype = 0;
    std::int32_t billid = 0;
    std::int32_t itemno = 0;
    std::string billcode;
    DateTime billdate;
    double planqty = 0;
    double finishedqty = 0;
};

//! One line of an open purchase, import, manufacture or outsourcing order, with its document.
struct MrpReceiptDocument {
    std::int32_t goodsid = 0;
    DateTime date;
    double quantity = 0;
    std::string billname;
    std::string billcode;
    std::int32_t itemno = 0;  //!< 0 for documents of one goods (manufacture and outsourcing orders)
    bool purchase = false;
};

//! One node of the exploded gross requirement tree.
struct MrpRequirementNode {
    std::int32_t goodsid = 0;
    DateTime needDate;
    double quantity = 0;
    std::int32_t level = 0;
    double wasteQty = 0;
    std::int32_t billtype = 0;
    std::int32_t billid = 0;
    std::int32_t itemno = 0;
    std::string billcode;
    DateTime billdate;
    double planqty = 0;
    double lineQty = 0;
    double finishedqty = 0;
};

//! Supply and demand of one goods booked on one date; the names are the columns of cdsNet.
struct MrpBucket {
    double onhand = 0;
    double safeqty = 0;
    double usedqty = 0;
    double gross = 0;
    double wasteqty = 0;
    double saleqty = 0;
    double oversaleqty = 0;
    double purchaseqty = 0;
    double overpurchaseqty = 0;
    double manufactureqty = 0;
    double manuorderqty = 0;
    double requestqty = 0;
    double distributeqty = 0;
    double netqty = 0;
    double subqty = 0;
    double prequestqty = 0;
};

//! The demand that a bucket's requirement comes from.
struct MrpPegLine {
    std::int32_t goodsid = 0;  //!< parent whose planned order caused it; 0 when tied to no demand
    double quantity = 0;
    double substitutedQty = 0;
    std::int32_t billtype = 0;
    std::int32_t billid = 0;
    std::int32_t itemno = 0;
    std::string billcode;
    DateTime billdate;
    double planqty = 0;
    double lineQty = 0;
    double finishedqty = 0;
};

//! The time-phased record of one goods.
struct MrpNetRecord {
    std::int32_t level = 0;
    std::int32_t goodsid = 0;
    std::map<DateTime, MrpBucket> buckets;
    std::map<DateTime, std::vector<MrpPegLine>> sources;
};

//! One dated cash record of the funds projection; the names are the columns of cdsBudget.
struct MrpFundsLine {
    DateTime date;
    double stock = 0;
    double calccharge = 0;
    double calcpay = 0;
    double mrppursug = 0;
    double dailyexpense = 0;
    double laborage = 0;
    double onhand = 0;
    double storelower = 0;
    double hardup = 0;
};

//! One allocation of a substitute to a component's requirement.
struct MrpSubstituteUse {
    std::int32_t component = 0;
    DateTime date;
    double quantity = 0;  //!< in substitute units
};

}  // namespace mfg
