#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "BillRows.h"
#include "ReleaseTransaction.h"
#include "data/DataSet.h"
#include "types/DateTime.h"

namespace mfg {

//! A kind of purchase document a suggestion is released as: orders (bill type 2) or requests (5).
struct PurchaseKind {
    int billType;
    std::string_view docName;
    std::string_view keyTable;
    std::string_view headerTable;
    std::string_view lineTable;
    int privilege;
    std::string_view refused;

    bool IsOrder() const { return billType == 2; }
};

//! The header total of a released purchase document carries a flat 17 % on the goods amount,
//! whatever the supplier's own tax rate.
inline constexpr double kHeaderTaxFactor = 1.17;

//! The kind of bill type 2 or 5; throws std::invalid_argument for another.
const PurchaseKind& PurchaseKindOf(int billType);

//! The goods' default supplier when it serves the current shop; 0 when there is none to use.
std::int32_t UsableDefaultSupplier(std::int32_t goodsid);
//! The filter of the supplier drop-downs: the current shop's suppliers, or all of them when the
//! system parameters share suppliers between shops.
std::string SupplierFilter();

//! The figures of a supplier a purchase order takes over.
struct SupplierTerms {
    std::int32_t traderid = 0;
    Variant shiptype, contactor, tel1, fax, shipto, paymethodid;
    std::int32_t moneyid = 0;
    double rate = 1;     //!< the currency's "Rate"
    double taxRate = 0;  //!< "taxrate" of the trader cache
};
SupplierTerms ReadSupplierTerms(std::int32_t traderid);
//! A price or amount in the supplier's currency (unchanged for the local currency).
double InSupplierCurrency(const SupplierTerms& terms, double value);

//! Sets unitqty1..3 of a line: the quantity in the one whose number is the unit's sequence.
void SetUnitQuantities(BillRows& lines, std::int32_t unitid, double quantity);
//! The rate of the goods' auxiliary unit (unit type 1); 0 when it has none.
double AuxiliaryUnitRate(std::int32_t goodsid);
//! extqty of a line: the base quantity in the auxiliary unit, 0 without one.
double AuxiliaryQuantity(std::int32_t goodsid, double quantity);

//! The header fields every released purchase document carries, orders' supplier fields included.
void SetPurchaseHeader(BillRows& header, const PurchaseKind& kind, int billId, const std::string& billCode,
                       DateTime billDate, const std::string& remark);

//! The batch release of the ticked purchase suggestions (cdsPurSug: selected, goodsid, goodscode,
//! goodsname, specs, sugqty, fixqty, price, amount, revdate). Requests gather every ticked row in
//! one document; orders are split by supplier and date of receipt.
class PurchaseRelease {
public:
    //! Asks for the supplier of a goods whose default one cannot be used (text: the prompt); 0 when
    //! the user cancels, which ends the release before anything is written.
    using SupplierChooser = std::function<std::int32_t(std::int32_t goodsid, const std::string& text)>;

    explicit PurchaseRelease(int billType);

    //! Releases, tells the user the outcome and returns the codes written (none after a failure,
    //! a refusal or a cancel). Rows that joined a document are unticked and keep what they released;
    //! a ticked row that released before is asked about first, and a no writes nothing.
    std::vector<std::string> Release(DataSet& cdsPurSug, const SupplierChooser& choose);
    //! Who hears each code before the documents are committed.
    void OnCode(ReleasedCodeListener listener) { told = std::move(listener); }

private:
    struct Document {
        std::int32_t traderid = 0;
        DateTime revdate;
        std::vector<int> rows;  //!< record numbers of the joined suggestions
    };

    bool ChooseSuppliers(DataSet& cdsPurSug, const SupplierChooser& choose);
    std::int32_t SupplierOf(std::int32_t goodsid) const;
    std::vector<Document> Group(DataSet& cdsPurSug);
    void WriteDocument(DataSet& cdsPurSug, const Document& document, int billId, const std::string& billCode,
                       DateTime billDate);

    const PurchaseKind& kind;
    std::map<std::int32_t, std::int32_t> chosenSuppliers;
    BillRows header;
    BillRows lines;
    ReleasedCodeListener told;
};

}  // namespace mfg
