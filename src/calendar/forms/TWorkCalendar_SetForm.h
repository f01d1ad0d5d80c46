#pragma once

#include <memory>

#include "QuickSetting.h"
#include "TManuRootForm.h"

class QAction;
class QCheckBox;
class QPushButton;

namespace mfg {

class DatePicker;
class DbGrid;

//! "工厂日历 - 快速设置": the range, the rest weekdays and the yearly holidays of a quick setting.
//! Run modally; after mrOk the caller reads Setting() and the rows of IBCDSTmp.
class TWorkCalendar_SetForm : public TManuRootForm {
public:
    explicit TWorkCalendar_SetForm(QWidget* parent = nullptr);
    ~TWorkCalendar_SetForm() override;

    //! The range and the rest weekdays as the controls hold them.
    QuickSetting Setting() const;
    //! The holiday rows (fields Month and Day).
    DataSet& Holidays() { return *IBCDSTmp; }

    //! The controls, by the names the dialog gives them.
    DatePicker* dtpBeg;
    DatePicker* dtpEnd;
    std::array<QCheckBox*, 7> restDayBoxes{};  //!< chkSun .. chkSat
    DbGrid* QxDBGrid1;
    QAction* N1;
    QAction* N2;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    //! "新增记录": a new row at the end, unless the last row is still empty.
    void N1Click();
    //! "删除记录": deletes the current row.
    void N2Click();
    //! Closes with mrOk when CheckQuickSetting accepts; on a bad holiday row the grid gets the focus.
    void btnOKClick();
    //! Closes with mrCancel.
    void btnCancelClick();

private:
    void FormCreate();

    std::unique_ptr<DataSet> IBCDSTmp;
};

}  // namespace mfg
