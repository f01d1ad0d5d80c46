#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MrpRunParams.h"
#include "MrpWorkbench.h"
#include "TManuRootForm.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace mfg {

class DbGrid;
class ExceptionPage;
class LookupCombo;
class FundsChart;
class TreeItemsView;

//! "MRP II 运算": demand gathered from schedule lines, sales orders or typed goods, the run's options,
//! and the results of one calculation on the pages after the first. Opened modally by "RUNMRP".
class TMRPForm : public TManuRootForm {
public:
    //! Chooses the workbook an export writes to; an empty path cancels the export.
    using ExportFileChooser = std::function<std::filesystem::path(const std::string& title)>;

    explicit TMRPForm(QWidget* parent = nullptr);
    ~TMRPForm() override;

    //! The workbench behind the screen: demand lines, engine and result datasets.
    MrpWorkbench& Workbench() { return workbench; }
    //! The options as the boxes hold them.
    MrpRunParams RunParams() const;
    //! The engine option mask: the ticked boxes that are enabled.
    std::uint32_t OptionMask() const;
    //! Replaces the save dialog of the exports (tests).
    void SetExportFileChooser(ExportFileChooser chooser) { chooseExportFile = std::move(chooser); }

    // ---- the demand page ----
    void btnImportMPClick();
    void btnImportSOrderClick();
    void btAllSelectClick();
    void btNotSelectClick();
    void btAllClearClick();
    void N4Click();
    void N5Click();
    void QxDBGrid1TitleClick(int column);
    void btnCalculateClick();
    void cbOnhandClick();
    void RadioButton1Click();
    void cbSaleQtyClick();
    void cbPurchaseQtyClick();
    // ---- the result pages ----
    void N1Click();
    void N2Click();
    void cmbGoods2OrientationChange();
    void cmbGoods3OrientationChange();
    void rbDayClick();
    void cbMinOrderClick();
    void rbBudgetDayClick();
    void edtDailyExpenseExit();
    void tsBudgetShow();
    void DBGrid5CellClick(DbGrid& grid, int column);
    void btnNetRequireExcelClick();
    void btnMnfExcelClick();
    void btnPurExcelClick();
    void btnMakeManuClick();
    void btnMakeConsignClick();
    void btnMakePurchaseClick();
    void btnMakePRequestClick();

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    QWidget* TabSheet4;
    QWidget* TabSheet5;
    QWidget* TabSheet6;
    QWidget* tsBudget;
    QPushButton* btnExit;
    QCheckBox* cbRunParam;
    LookupCombo* dlgcMrpGoods;
    DbGrid* QxDBGrid1;
    QMenu* pm2;
    QAction* N4;
    QAction* N5;
    QPushButton* btnImportMP;
    QPushButton* btnImportSOrder;
    QPushButton* btAllSelect;
    QPushButton* btNotSelect;
    QPushButton* btAllClear;
    QPushButton* btnCalculate;
    QCheckBox* cbOnhand;
    QCheckBox* chkProductQty;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QCheckBox* cbUsedQty;
    QCheckBox* cbSafeQty;
    QCheckBox* cbAhead;
    QCheckBox* cbWasteQty;
    QCheckBox* cbSub;
    QCheckBox* cbManufactureQty;
    QCheckBox* cbManuOrder;
    QCheckBox* cbSaleQty;
    QCheckBox* cbOverSOrder;
    QCheckBox* cbPurchaseQty;
    QCheckBox* cbOverPOrder;
    QCheckBox* cbRequest;
    QCheckBox* cbDistribute;
    QCheckBox* cbPrequest;
    QCheckBox* cbUnCheck;

    TreeItemsView* TreeView1;
    QMenu* pm1;
    QAction* N1;
    QAction* N2;
    LookupCombo* cmbGoods2;
    QLineEdit* edtGoodsName2;
    QLineEdit* edtSpecs2;
    DbGrid* DBGrid2;
    LookupCombo* cmbGoods3;
    QLineEdit* edtGoodsName3;
    QLineEdit* edtSpecs3;
    QRadioButton* rbDay;
    QRadioButton* rbWeek;
    QRadioButton* rbMonth;
    QPushButton* btnNetRequireExcel;
    DbGrid* DBGrid3;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;
    QPushButton* btnMakeManu;
    QPushButton* btnMakeConsign;
    QPushButton* btnMnfExcel;
    DbGrid* DBGrid4;
    QPushButton* BitBtn4;
    QPushButton* BitBtn5;
    QPushButton* BitBtn6;
    QCheckBox* cbMinOrder;
    QCheckBox* cbIncOrder;
    QPushButton* btnMakePurchase;
    QPushButton* btnMakePRequest;
    QPushButton* btnPurExcel;
    DbGrid* DBGrid5;
    QRadioButton* rbBudgetDay;
    QRadioButton* rbBudgetWeek;
    QRadioButton* rbBudgetMonth;
    QLineEdit* edtDailyExpense;
    DbGrid* ItemGridBudget;
    FundsChart* chtBudget;
    ExceptionPage* tsException;

protected:
    void FormShow() override;
    //! A computed run is kept nowhere but here: closing asks before it goes.
    UnsavedWork PendingWork() override;
    std::string PendingWorkQuestion() const override { return "是否放弃本次MRP运算结果?"; }

private:
    void BuildDemandPage();
    void BuildOptions(QWidget& page);
    void BuildTreePage();
    void BuildGrossPage();
    void BuildNetPage();
    void BuildManufacturePage();
    void BuildPurchasePage();
    void BuildBudgetPage();
    void ConnectHandlers();

    //! The control of each key of the settings file, in MrpParamKeys order.
    std::vector<std::pair<std::string_view, QAbstractButton*>> OptionControls() const;
    void LoadOptions();
    void SaveOptions() const;
    void SetOptions(const MrpRunParams& params);
    void Import(int billtype);
    //! The rows the select, invert and clear buttons act on: those of the page shown.
    DataSet* PageRows();
    void DemandLineChanged();
    void MrpGoodsChanged();
    void ShowGoodsFilter(LookupCombo& combo, QLineEdit& name, QLineEdit& specs, DataSet& view);
    int NetPeriodChosen() const;
    int FundsPeriodChosen() const;
    std::optional<double> DailyExpense() const;
    //! Recomputes the funds for the period chosen; false, after the error, when the daily expense is refused.
    bool ShowFunds();
    //! Exports a grid's visible columns under a title, with export privilege 2044 only.
    void ExportGrid(DbGrid& grid, const std::string& title);
    void ResetTitles();

    MrpWorkbench workbench;
    ExportFileChooser chooseExportFile;
    bool upgraded340 = false;
    bool fundsShown = false;
    bool followingLine = false;
    std::vector<std::string> demandLabels;
};

}  // namespace mfg
