#pragma once

#include <memory>

#include "CostBudget.h"
#include "TManuRootForm.h"
#include "data/DataSet.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace mfg {

class DatePicker;
class DbGrid;
class LookupCombo;
class SpinEditFloat;

//! "产品成本预算": the material cost of a product rolled up from its BOM by a price basis and a
//! depth, with lines added, edited and deleted by hand. The screen shows the CostBudget core in
//! two in-memory datasets (the product and its lines), which the print and the export also use.
class TGoodsPriceCalcForm : public TManuRootForm {
public:
    explicit TGoodsPriceCalcForm(QWidget* parent = nullptr);
    ~TGoodsPriceCalcForm() override;

    const CostBudget& Budget() const { return budget; }
    DataSet& GoodsInfo() { return cdsGoodsInfo; }
    DataSet& GoodsBom() { return cdsGoodsBom; }

    void cmbSelGoodsChange();
    void rbBasisClick();
    void rbDepthClick();
    void edtQtyChange();
    void dlgcGoodsChange();
    void Button1Click();
    void btnDeleteClick();
    void btnExcelClick();
    //! Prints ("打印") or previews ("打印预览"); the print button then repeats that mode.
    void PrintClick(bool printDirectly);

    LookupCombo* cmbSelGoods;
    DatePicker* dtp1;
    QLineEdit* edtCode;
    QLineEdit* edtSpecs;
    QLineEdit* edtUnit;
    SpinEditFloat* edtQty;
    QLineEdit* edtPrice;
    QLineEdit* edtAmount;
    QRadioButton* rb1;
    QRadioButton* rb2;
    QRadioButton* rb3;
    QRadioButton* rb5;
    QRadioButton* rb6;
    LookupCombo* dlgcGoods;
    DbGrid* dgListGoodsBom;
    QLabel* lblFooter;
    QPushButton* Button1;
    QPushButton* btnDelete;
    QPushButton* btnExcel;
    QToolButton* btnPrint;
    QAction* PrintPMItem;
    QAction* PrintPreviewPMItem;
    LookupCombo* RptStyleCB;
    QPushButton* btnDesign;
    QPushButton* btn1;

private:
    void BuildDataSets();
    void BuildGrid();
    QLayout* BuildHeader();
    QLayout* BuildButtons();
    //! Rebuilds both datasets and the edits from the core, keeping the current line.
    void ShowBudget();
    void ShowProduct();
    //! Writes the core's line into its row of cdsGoodsBom.
    void ShowLine(size_t index);
    //! A line edited in the grid: its typed values go to the core, its computed ones come back.
    void cdsGoodsBomAfterPost();
    int CurrentLine() const;
    PriceBasis CheckedBasis() const;

    CostBudget budget;
    DataSet cdsGoodsInfo{"cdsGoodsInfo"};
    DataSet cdsGoodsBom{"cdsGoodsBom"};
    std::unique_ptr<DataSet> qryTemplates;
    bool showing = false;  // the screen writes the datasets itself: no edit to hand back to the core
    bool lastPrintDirect = true;
};

}  // namespace mfg
