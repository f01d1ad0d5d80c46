#pragma once

#include "SorderToMps.h"
#include "TManuRootForm.h"

class QLabel;
class QPushButton;

namespace mfg {

class DatePicker;
class DbGrid;

//! "销售订单直接转入主生产计划": open sales-order lines of finished products ticked and turned into
//! schedule lines; opened modally by the command "SORDERTOMPS".
class TSorderToMPSForm : public TManuRootForm {
public:
    explicit TSorderToMPSForm(QWidget* parent = nullptr);
    ~TSorderToMPSForm() override;

    //! The conversion behind the screen, with its list.
    SorderToMps& Conversion() { return conversion; }

    void dtpBegChange();
    void btnOKClick();

    DatePicker* dtpBeg;
    DatePicker* dtpEnd;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btn1;
    QPushButton* btn2;
    QPushButton* btn3;
    DbGrid* QxDBGrid1;

protected:
    void FormShow() override;

private:
    SorderToMps conversion;
};

}  // namespace mfg
