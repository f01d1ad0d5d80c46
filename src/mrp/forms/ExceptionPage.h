#pragma once

#include <functional>
#include <vector>

#include <QWidget>

#include "MrpExceptions.h"
#include "data/DataSet.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace mfg {

class DbGrid;
class MrpEngine;

//! The workbench page "异常信息": the exception messages of the engine's last run, filtered by kind
//! and goods, with the count per kind on the page's tab.
class ExceptionPage : public QWidget {
public:
    //! Adds itself as the last page of `tabs`; reads the engine's results on each Refresh.
    ExceptionPage(QTabWidget& tabs, const MrpEngine& engine);
    ~ExceptionPage() override;

    //! Reads the open orders of the engine's new results, finds their messages and shows them.
    void Refresh();
    MrpExceptionThresholds Thresholds() const;
    //! Sets the thresholds' boxes without finding the messages again.
    void SetThresholds(const MrpExceptionThresholds& thresholds);
    //! The goods id of the current row, 0 when there is none.
    int CurrentGoods();

    //! Called with the goods of a row that is double-clicked or entered.
    std::function<void(int goodsid)> goodsChosen;

    DataSet cdsException{"cdsException"};
    QComboBox* cmbExceptionKind;
    QLineEdit* edtExceptionGoods;
    QSpinBox* edtEarlyDays;
    QSpinBox* edtLateDays;
    QPushButton* btnExceptionExcel;
    DbGrid* DBGrid6;

private:
    //! Finds the messages again with the thresholds of the boxes and shows them.
    void FindMessages();
    //! Shows the messages that pass the kind and goods filters.
    void ShowFiltered();
    void UpdateTabText();

    QTabWidget& tabs;
    const MrpEngine& engine;
    std::vector<MrpReceiptDocument> receipts;
    std::vector<MrpException> messages;
};

}  // namespace mfg
