#pragma once

#include "MonthSheet.h"
#include "TManuRootForm.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace mfg {

//! "工厂日历": the factory calendar a month at a time, rest days in yellow; a double click or the
//! space key turns the selected day into a rest day or back, "快速设置" re-marks a range.
class TWorkCalendarForm : public TManuRootForm {
public:
    //! Extends the calendar first, then shows the reference month.
    explicit TWorkCalendarForm(QWidget* parent = nullptr);

    //! The month shown, as stored.
    const MonthSheet& Sheet() const { return sheet; }

    //! The controls, by the names the screen gives them.
    QPushButton* PrevMonthBtn;
    QPushButton* NextMonthBtn;
    QLabel* lblYear;
    QSpinBox* UpDownYear;
    QLabel* lblMonth;
    QSpinBox* UpDownMonth;
    QTableWidget* StringGrid1;
    QLabel* Label1;
    QPushButton* btnSetUp;
    QPushButton* Button1;

    //! Shows the year or the month the up-down moved to.
    void UpDownYearClick();
    void UpDownMonthClick();
    //! One month back or on, across the year within the calendar's years.
    void PrevMonthBtnClick();
    void NextMonthBtnClick();
    //! Toggles the selected day.
    void StringGrid1DblClick();
    //! The quick setting (for users with the append right), then the month again whatever came of it.
    void btnSetupClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    //! Gives one cell its text, colour and font.
    void StringGrid1DrawCell(int row, int column);
    //! The labels, the up-downs and every cell after the month changed.
    void ShowMonth();

    MonthSheet sheet;
    bool showing = false;
};

}  // namespace mfg
