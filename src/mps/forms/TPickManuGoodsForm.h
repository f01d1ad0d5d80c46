#pragma once

#include <string>

#include "PickManuGoods.h"
#include "TManuRootForm.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace mfg {

class DbGrid;

//! "选择货品": the module's goods finder behind the "查找" action of goods combos, and, in add mode,
//! the way material lists take several goods with a quantity at once.
class TPickManuGoodsForm : public TManuRootForm {
public:
    //! `extraCondition` narrows every list (T-SQL of the caller, appended with " And ").
    explicit TPickManuGoodsForm(QWidget* parent = nullptr, std::string extraCondition = {});
    ~TPickManuGoodsForm() override;

    //! The goods of the current row; 0 when the list is empty.
    int GoodsID() const { return picker.GoodsID(); }
    PickManuGoods& Picker() { return picker; }
    //! Add mode: shows "添加" and the quantity, which put goods into `target` (not owned).
    void SetAddTarget(DataSet* target, PickTarget kind);
    //! The quantity typed in add mode ("数量"); 0 outside add mode or when it is no number.
    double AddQuantity() const;
    //! Makes this picker the one the base form opens for goods combos.
    static void InstallAsGoodsPicker();

    //! Reads the list for the filter group.
    void Reload();
    void btnOkClick();
    void btnSelClick();

    QLineEdit* GoodsCodeED;
    QLineEdit* GoodsNameED;
    QLineEdit* SpecsED;
    QComboBox* GoodsType;
    QLineEdit* PYFindGoodsEdit;
    DbGrid* QxDBGrid1;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QPushButton* btnSel;
    QLabel* lblQty;
    QLineEdit* edQty;

private:
    PickManuGoods picker;
    DataSet* addTarget = nullptr;
    PickTarget addKind = PickTarget::BomLines;
};

}  // namespace mfg
