#pragma once

#include "GoodsBom.h"
#include "TManuRootForm.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace mfg {

class DbGrid;
class LookupCombo;

//! "物料清单维护": the whole BOM of one parent (component lines, process lines, the substitutes of
//! each line and the parent-level values), validated and saved through the BOM core, with audit
//! and un-audit, copying from another goods' BOM and the substitute dialog.
class TGoodsBomEditForm : public TManuRootForm {
public:
    explicit TGoodsBomEditForm(QWidget* parent = nullptr);

    //! Loads the BOM of `parentID`, shows the form modally and returns mrOk after a save or an
    //! audit, mrCancel otherwise; "货品不存在" and mrCancel for a goods that does not exist.
    int EditBom(int parentID);
    //! Loads without showing (what EditBom does before it shows); false for a missing goods.
    bool LoadBom(int parentID);
    GoodsBom& Bom() { return bom; }
    //! True while the loaded BOM is audited.
    bool Audited() const { return audited; }

    void btnOkClick();
    void btnCancelClick() { SetModalResult(mrCancel); }
    void btCheckClick();
    void btnReadClick();
    //! Copies a goods' BOM into this one (the work of "读入" after its dialog).
    void ReadBom(int sourceID, bool withProcesses, bool withSubstitutes);
    //! The ellipsis of the "替代品" column: the current line's substitutes in their dialog.
    void dgListGoodsBomEditButtonClick();
    //! The ellipsis of a merged row: the component's substitutes over all its lines, read only.
    void dbgProcEditButtonClick();
    void dlgcGoodsChange();
    void dlgcLineChange();
    void AddClick(DbGrid& grid);
    void DeleteClick(DbGrid& grid);
    void CopyClick(DbGrid& grid);
    void DeleteAllClick(DbGrid& grid);

    QLabel* lblGoodsCode;
    QLabel* lblGoodsName;
    QLabel* lblSpecs;
    QLabel* lblUnitName;
    QLineEdit* edMasterQty;
    QLineEdit* edUseTime;
    QLineEdit* edPreTime;
    LookupCombo* dlgcLine;
    QTabWidget* pgBom;
    QWidget* tsMaterial;
    QWidget* tsProc;
    QWidget* tsSum;
    DbGrid* dgListGoodsBom;
    DbGrid* dgProc;
    DbGrid* dbgProc;
    LookupCombo* dlgcGoods;
    LookupCombo* dlgcSpecs;
    LookupCombo* QxDBLkupGridCombo1;
    LookupCombo* dlgcProc;
    LookupCombo* dlgcShop;
    LookupCombo* dlgcCenter;
    QPushButton* btnRead;
    QLabel* lbAbate;
    QLabel* dbtOpName;
    QLabel* dbtCheckor;
    QPushButton* btCheck;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    //! The substitute dialog while it is open (tests answer it); null otherwise.
    class TGoodsBomSubForm* SubstituteDialog() const { return substituteDialog; }

    //! The picker's add mode ("添加") appends component lines.
    DataSet* AddModeTarget() override { return &bom.Lines(); }

protected:
    void LookupComboAction(LookupCombo& combo, const std::string& action) override;
    UnsavedWork PendingWork() override;
    bool SaveWork() override;

private:
    LookupCombo* NewCombo(const char* name, const char* cache, const char* key, std::vector<std::string> columns,
                          std::string filter, std::vector<std::string> buttons);
    QWidget* GridPage(DbGrid* grid);
    void AddMenu(DbGrid* grid);
    void ShowHeader();
    void TakeHeader();
    void ShowAuditState();
    void LineMoved();
    void ShowLineOperators();
    void ProcessMoved();

    GoodsBom bom;
    DataSet summarySet{"cdsSum"};
    bool audited = false;
    bool showing = false;  // while the controls are filled from the BOM, their change events do nothing
    class TGoodsBomSubForm* substituteDialog = nullptr;
    std::vector<QAction*> menuActions;
};

}  // namespace mfg
