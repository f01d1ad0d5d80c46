#pragma once

#include "TManuRootForm.h"
#include "data/DataSet.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace mfg {

class LookupCombo;

//! The BOM pick dialog ("读入"): the goods whose stored BOM the editor copies, and whether its
//! process lines and its substitutes come too. It reads goods data only.
class TBomReadForm : public TManuRootForm {
public:
    explicit TBomReadForm(QWidget* parent = nullptr);

    //! The goods chosen; -1 while none is.
    int GoodsID() const;
    bool ReadProcesses() const;
    bool ReadSubstitutes() const;

    void cmbGoodsIDChange();
    void btnOkClick();
    void btnCancelClick() { SetModalResult(mrCancel); }

    LookupCombo* cmbGoodsID;
    QLabel* dbtGoodsName;
    QLabel* dbtSpecs;
    QCheckBox* cbProc;
    QCheckBox* cbSub;
    QPushButton* btnOk;
    QPushButton* btnCancel;

protected:
    void FormShow() override;

private:
    DataSet row{"cdsGoods"};
};

}  // namespace mfg
