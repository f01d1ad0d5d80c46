#pragma once

#include "BomSubstituteRows.h"
#include "TManuRootForm.h"

class QLabel;
class QPushButton;
class QAction;

namespace mfg {

class DbGrid;
class GoodsBom;
class LookupCombo;

//! "替代品设置": the substitutes of one component line, edited on a copy that is written back into
//! the BOM only when accepted.
class TGoodsBomSubForm : public TManuRootForm {
public:
    explicit TGoodsBomSubForm(QWidget* parent = nullptr);

    //! Takes the line (see BomSubstituteRows::Load); 1 when the component exists, else 0.
    int Load(GoodsBom& bom, int componentID, int itemNo, double mnfQty, double wasteRate);
    //! Read-only: for an audited BOM and for the merged view.
    void SetReadOnly(bool readOnly);
    BomSubstituteRows& Rows() { return rows; }

    void dlgcGoodsChange();
    void menuDleClick() { rows.DeleteRow(); }
    void btnOkClick();
    void btnCancelClick();
    //! The grid's key press: rate and memo are editable only on a row that names a substitute.
    void dgListGoodsBomKeyPress();

    QLabel* lblGoodsCode;
    QLabel* lblGoodsName;
    QLabel* lblSpecs;
    QLabel* lblUnitName;
    QLabel* lblQty;
    DbGrid* dgListGoodsBom;
    LookupCombo* dlgcGoods;
    QAction* menuDle;
    QPushButton* btnOk;
    QPushButton* btnCancel;

protected:
    bool FormClose() override;
    void LookupComboAction(LookupCombo& combo, const std::string& action) override;

private:
    BomSubstituteRows rows;
    bool leaving = false;
};

}  // namespace mfg
