#pragma once

#include <cstdint>
#include <string>

#include "TManuRootForm.h"
#include "data/DataSet.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QVBoxLayout;

namespace mfg {

class DbGrid;

//! The base of the release dialogs: the released goods in the header, the lines to release in
//! the grid QxDBGrid1 over cdsMake, OK and Cancel, and a popup that deletes the current line.
//! A derived dialog defines the lines' fields and gives OK its meaning.
class TMakeDownForm : public TManuRootForm {
public:
    explicit TMakeDownForm(std::string_view formName, QWidget* parent = nullptr);
    ~TMakeDownForm() override;

    //! The goods released: shown in the header, its id kept for the lines.
    void SetGoods(std::int32_t goodsid, const std::string& code, const std::string& name, const std::string& specs,
                  const std::string& unitName, const std::string& quantity);
    std::int32_t GoodsID() const { return goodsid; }
    DataSet& Lines() { return cdsMake; }

    //! Deletes the current line when there is one.
    void muDeleteDetailClick();
    //! Appends a line (the grid's Insert key); the derived dialog fills it.
    void muAddDetailClick();
    virtual void btOKClick() = 0;

protected:
    //! Fills a line just appended.
    virtual void NewLine() = 0;
    //! The layout between header and grid, for the dialog's own controls.
    QVBoxLayout& Body() { return *body; }

    DataSet cdsMake{"cdsMake"};
    QLabel* lbGoodsCode;
    QLabel* lbGoodsName;
    QLabel* lbSpecs;
    QLabel* lbUnitName;
    QLabel* lbQuantity;
    DbGrid* QxDBGrid1;
    QPushButton* btOK;
    QPushButton* btCancel;
    QMenu* pmDetail;
    QAction* muAddDetail;
    QAction* muDeleteDetail;

private:
    std::int32_t goodsid = 0;
    QVBoxLayout* body;
};

}  // namespace mfg
