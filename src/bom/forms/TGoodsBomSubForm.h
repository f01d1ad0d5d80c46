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
    //! Takes the merged substitutes of a component (see BomSubstituteRows::LoadMerged), read only.
    int LoadMerged(GoodsBom& bom, int componentID, double mergedQty);
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

    //! The picker's add mode ("添加") appends substitutes.
    DataSet* AddModeTarget() override { return &rows.Rows(); }

protected:
    UnsavedWork PendingWork() override { return rows.Unsaved() ? UnsavedWork::Savable : UnsavedWork::None; }
    std::string PendingWorkQuestion() const override { return "取消操作,是否保存数据？"; }
    bool SaveWork() override { return rows.Accept(); }
    void LookupComboAction(LookupCombo& combo, const std::string& action) override;
    //! A virtual goods (kind 9) is never a substitute: the picker does not offer one.
    std::string PickerCondition(LookupCombo&) const override { return "g.kind <> 9"; }

private:
    int ShowComponent(bool loaded, double quantity);

    //! The combo shows the substitute of the current row.
    void RowMoved();

    BomSubstituteRows rows;
    bool showing = false;   // while the combo is set from the row, its change does nothing
    bool choosing = false;  // while a chosen goods goes into the rows, moving does not reset the combo
};

}  // namespace mfg
