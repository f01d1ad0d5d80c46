#pragma once

#include <memory>
#include <string>
#include <vector>

#include "SinglePurchaseRelease.h"
#include "TMakeDownForm.h"

namespace mfg {

class LookupCombo;

//! The single purchase release: one suggestion split into lines, each with its own date of
//! receipt, supplier, unit, quantity and price, each line released as one purchase order (mode 2)
//! or purchase request (mode 5).
class TMakePurchaseForm : public TMakeDownForm {
public:
    TMakePurchaseForm(int mode, QWidget* parent = nullptr);
    ~TMakePurchaseForm() override;

    //! The suggestion at the current row of `cdsPurSug` (goodsid, goodscode, goodsname, specs,
    //! unitname, fixqty, price, revdate) becomes the dialog's goods and defaults.
    void SetSuggestion(const DataSet& cdsPurSug);
    //! The quantity released in base units: the lines' sum after a successful release, else 0.
    double ReleasedQty() const { return releasedQty; }
    void btOKClick() override;

    //! The cell "<单击下达>" of a suggestion: asks first when the row released before, runs the
    //! dialog on the current row of `cdsPurSug` and, after OK, takes the released quantity off its
    //! fixqty and keeps what was released on the row.
    static void ReleaseSuggestion(DataSet& cdsPurSug, int mode, QWidget* parent = nullptr);
    //! Takes a released quantity off the current suggestion's fixqty, never below 0.
    static void TakeReleased(DataSet& cdsPurSug, double released);

    LookupCombo* cmbTrade;
    LookupCombo* cmbUnit;

protected:
    void NewLine() override;
    void FormShow() override;

private:
    void cmbTradeChange();
    void cmbUnitChange();
    void ShowLine();

    int mode;
    double releasedQty = 0;
    std::vector<std::string> codes;
    std::unique_ptr<SinglePurchaseRelease> release;
};

}  // namespace mfg
