#pragma once

#include "ManufactureRelease.h"
#include "TManuRootForm.h"
#include "data/DataSet.h"

class QAction;
class QMenu;
class QPushButton;

namespace mfg {

class DbGrid;
class LookupCombo;
class MrpEngine;

//! The manufacture release dialog: every ticked manufacture suggestion as a goods row followed by
//! a release row per demand it serves; the user sets quantities, workshop, worker or processor and
//! dates, splits or deletes release rows, and OK checks them before the orders are written.
class TMakeSorderForm : public TManuRootForm {
public:
    //! Kind 42 or 54; the rows come from the engine's release lines of `cdsManuSug`.
    TMakeSorderForm(int kind, const MrpEngine& engine, DataSet& cdsManuSug, QWidget* parent = nullptr);
    ~TMakeSorderForm() override;

    DataSet& ReleaseRows() { return cdsManu; }
    void btOKClick();
    void btnSplitClick();
    void mnuDeleteClick();
    //! Enables the popup's items on release rows only.
    void pmManuOrderPopup();

    DbGrid* ItemGrid;
    QPushButton* btOK;
    QPushButton* btCancel;
    QPushButton* btnSplit;
    QMenu* pmManuOrder;
    QAction* mnuSplit;
    QAction* mnuDelete;
    LookupCombo* cmbWorkShop;
    LookupCombo* cmbEmpName;
    LookupCombo* cmbTrade;

private:
    void DefineRows();
    void ShowRow();
    void ComboChanged(LookupCombo& combo, const char* field);
    //! A processor set on a goods row goes to every release row of the goods.
    void cdsManutraderidChange();
    bool OnReleaseRow() const;

    ManufactureRelease release;
    DataSet cdsManu{"cdsManu"};
};

}  // namespace mfg
