#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "BillRows.h"
#include "PurchaseRelease.h"
#include "data/DataSet.h"
#include "types/DateTime.h"

namespace mfg {

//! One purchase suggestion split into lines of its own (cdsMake: revdate, traderid, tradername,
//! unitid, unitname, quantity, price, amount, brief, price2), each released as one purchase order
//! or request with its own date of receipt, supplier, unit, quantity and price.
class SinglePurchaseRelease {
public:
    //! The suggestion: its goods, its date of receipt and price, and its quantity in base units.
    struct Suggestion {
        std::int32_t goodsid = 0;
        DateTime revdate;
        double price = 0;
        double quantity = 0;
    };

    SinglePurchaseRelease(int billType, const Suggestion& suggestion);

    const PurchaseKind& Kind() const { return kind; }
    //! Defines the fields of the line dataset (before it is used).
    static void DefineLines(DataSet& cdsMake);
    //! The sum of the lines in base units.
    static double BaseQuantity(DataSet& cdsMake);

    //! Fills a line just appended: the goods' unit and supplier, what is left of the suggestion's
    //! quantity after `before` (the other lines in base units), its date and price.
    void NewLine(DataSet& cdsMake, double before);
    //! After a change of the line's supplier: its name, its currency and the price in it.
    void SupplierChanged(DataSet& cdsMake);
    //! After a change of the line's unit from `previousUnit`: quantity and price in the new unit.
    void UnitChanged(DataSet& cdsMake, std::int32_t previousUnit);
    //! After a change of the line's price: the price in the supplier's currency and the amount.
    void PriceChanged(DataSet& cdsMake) const;
    //! After a change of quantity.
    static void AmountChanged(DataSet& cdsMake);

    //! The reason the lines cannot be released yet, shown to the user; nothing when they can.
    std::optional<std::string> Check(DataSet& cdsMake) const;
    //! Writes one document per line in one transaction and tells the user; returns the released
    //! quantity in base units, 0 after a failure.
    double Release(DataSet& cdsMake);
    //! The codes of the last successful release.
    const std::vector<std::string>& Codes() const { return codes; }

private:
    void WriteDocument(DataSet& cdsMake, int billId, const std::string& billCode, DateTime billDate);
    void ConvertPrice(DataSet& cdsMake) const;

    const PurchaseKind& kind;
    Suggestion suggestion;
    std::int32_t moneyid = 0;
    BillRows header;
    BillRows lines;
    std::vector<std::string> codes;
};

}  // namespace mfg
