#pragma once

#include <string>

#include "data/DataSet.h"

namespace mfg {

class GoodsBom;

//! The rows of the substitute dialog for one component line: a copy of the line's substitutes that
//! is edited apart from the BOM and written back into it only when accepted. Nothing here touches
//! the database; the BOM's save writes the rows.
class BomSubstituteRows {
public:
    BomSubstituteRows();
    BomSubstituteRows(const BomSubstituteRows&) = delete;
    BomSubstituteRows& operator=(const BomSubstituteRows&) = delete;

    //! Copies the substitutes of line `itemNo` of `bom` (component `componentID`, quantity and
    //! waste rate of the line) and reads the component. False, showing "货品不存在", when the
    //! component does not exist.
    bool Load(GoodsBom& bom, int componentID, int itemNo, double mnfQty, double wasteRate);

    //! The merged view of a component over all its lines (read only): one row per substitute goods
    //! with the quantities added and the rate as that sum over the merged quantity `mergedQty`.
    bool LoadMerged(GoodsBom& bom, int componentID, double mergedQty);

    //! The dialog's rows (goodsid, elemgid, itemno, goodsitemno, subgoodsid, rate, memo and the
    //! display fields GOODSCODE, GOODSNAME, SPECS, UNITNAME, quantity).
    DataSet& Rows() { return rows; }
    const std::string& ComponentCode() const { return componentCode; }
    const std::string& ComponentName() const { return componentName; }
    const std::string& ComponentSpecs() const { return componentSpecs; }
    const std::string& ComponentUnitName() const { return componentUnitName; }
    double LineQuantity() const { return mnfQty; }

    //! Appends a row with the next sequence and rate 1; left in Insert.
    void AppendRow();
    //! Sets the current row's substitute.
    void SetSubstitute(int goodsID);
    //! A goods picked with a quantity: the rate follows from the line's quantity with waste.
    void SetPickedSubstitute(int goodsID, double quantity);
    //! Deletes the current row.
    void DeleteRow();
    //! Rate and memo may be edited only on a row that names a substitute.
    bool RateAndMemoEditable() const;

    //! True when a row was edited since the load or the last accept.
    bool Modified() const { return modified; }
    //! Checks the rows in order, showing the first problem. True when all pass.
    bool Validate();
    //! Validates and, when valid, replaces the line's substitutes in the BOM by the rows.
    bool Accept();

    //! True when leaving now would lose rows edited, added or removed since the load or the last
    //! accept; a row being edited is posted first.
    bool Unsaved();

private:
    void Start(GoodsBom& owner, int component, int lineItemNo, double lineMnfQty, double lineWasteRate);
    bool ReadComponent();
    void AddRow(const DataSet& source);
    double Factor() const { return mnfQty * (1 + wasteRate * 0.01); }

    DataSet rows{"cdsSub"};
    GoodsBom* bom = nullptr;
    int parentID = 0;
    int componentID = 0;
    int itemNo = 0;
    double mnfQty = 0;
    double wasteRate = 0;
    int loadedCount = 0;
    std::string componentCode, componentName, componentSpecs, componentUnitName;
    bool modified = false;
};

}  // namespace mfg
