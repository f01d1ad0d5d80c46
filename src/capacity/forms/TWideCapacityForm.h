#pragma once

#include <vector>

#include "CapacityPlanner.h"
#include "TManuRootForm.h"
#include "data/DataSet.h"

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QRadioButton;

namespace mfg {

class CapacityChart;
class DbGrid;
class LookupCombo;

//! "粗能力计算": planned products against the working hours of the chosen workshops, by day, week
//! or month over the work calendar, with the load drawn against the capacity per workshop. The
//! screen binds the CapacityPlanner core to three in-memory datasets; nothing is written.
class TWideCapacityForm : public TManuRootForm {
public:
    explicit TWideCapacityForm(QWidget* parent = nullptr);
    ~TWideCapacityForm() override;

    CapacityPlanner& Planner() { return planner; }
    DataSet& WorkShops() { return cqWorkShop; }
    DataSet& Goods() { return cdsGoods; }
    DataSet& Capacity() { return cdsCapacity; }
    //! The product rows as the core takes them, in grid order.
    std::vector<PlannedGoods> Products();

    void btnCalcClick();
    void btnRefreshClick();
    void btnImportSOrderClick();
    void N2Click();
    void rbDayClick();
    void btnExcelClick();
    //! Draws the chart of the workshop chosen in cmbChartShop (0: the selected workshops together).
    void cmbChartShopChange();
    void cdsGoodsgoodsidChange();
    void cdsGoodsquantityChange();
    //! Which cells of the current product row can be edited.
    void ItemGridGoodsSelectCell();
    //! Appends a product row typed in by hand (Insert, or Down on the last row).
    void AppendGoodsRow();

    QPushButton* btnCalc;
    QPushButton* btnExcel;
    QPushButton* btnRefresh;
    QPushButton* btnExit;
    DbGrid* ItemGridWorkShop;
    QPushButton* btAllSelect;
    QPushButton* btNotSelect;
    QPushButton* btAllClear;
    DbGrid* ItemGridGoods;
    LookupCombo* cmbGoods;
    QPushButton* btnSel;
    QPushButton* btnNot;
    QPushButton* btnClear;
    QPushButton* btnImportSOrder;
    QMenu* GoodsMenu;
    QAction* N1;
    QAction* N2;
    DbGrid* ItemGridCapacity;
    QRadioButton* rbDay;
    QRadioButton* rbWeek;
    QRadioButton* rbMonth;
    QComboBox* cmbChartShop;
    CapacityChart* chtCapacity;

protected:
    bool FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildDataSets();
    void BuildGrids();
    QWidget* WorkshopPanel();
    QWidget* GoodsPanel();
    QWidget* ResultPanel();
    void ShowWorkshops();
    void ShowResult();
    void ShowIssue(const CapacityIssue& issue);
    CapacityPeriod Period() const;
    void cmbGoodsChange();
    void TotalUseTime(bool tell);

    CapacityPlanner planner;
    DataSet cqWorkShop{"cqWorkShop"};
    DataSet cdsGoods{"cdsGoods"};
    DataSet cdsCapacity{"cdsCapacity"};
    std::vector<PlannedGoods> calculated;  // the products of the last calculation, for the chart
    bool showing = false;                  // the screen writes a row itself: no change to react to
};

}  // namespace mfg
