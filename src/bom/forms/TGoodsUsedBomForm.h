#pragma once

#include <optional>

#include "BomIndex.h"
#include "TBomBrowserForm.h"

namespace mfg {

//! "产品结构逆向展开": in which parents, and recursively in which of their parents, a goods is used,
//! as a tree; opens the editor for a selected parent, prints and exports the where-used list.
class TGoodsUsedBomForm : public TBomBrowserForm {
public:
    explicit TGoodsUsedBomForm(QWidget* parent = nullptr);

    //! "清单维护(&E)": the editor for the selected parent, then the tree again.
    void Button1Click();

    QPushButton* Button1;

protected:
    void GoodsChosen(std::optional<int> goodsID) override;
    void FillPrintRows() override;
    std::string ExportTitle() const override;
    std::string_view NoGoodsForExport() const override { return "请先选择货品!"; }

private:
    void BuildTree();

    std::optional<BomGoods> goods;
};

}  // namespace mfg
