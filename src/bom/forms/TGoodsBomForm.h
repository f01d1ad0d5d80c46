#pragma once

#include <optional>

#include "BomTree.h"
#include "TBomBrowserForm.h"

namespace mfg {

//! "产品结构清单": the complete multi-level BOM of one goods as a tree with every node's quantity for
//! the parent quantity of the goods' BOM; opens the editor for any node, prints, exports, and builds
//! the assembly/dismantling table.
class TGoodsBomForm : public TBomBrowserForm {
public:
    explicit TGoodsBomForm(QWidget* parent = nullptr);

    //! "清单维护(&E)": the editor for the selected node, then the root's figures and tree again.
    void btnEditBomClick();
    //! "创建单个货品": the table for the chosen goods.
    void miSingleClick();
    //! "创建所有货品", and the button itself: the table for every goods with lines.
    void btnCreCombinClick();

    QLabel* lbQuantity;
    QLabel* lbUseTime;
    QLabel* lbPreTime;
    QLabel* lbCheck;
    QPushButton* btnEditBom;
    ToolButton* btnCreCombin;
    QAction* miSingle;
    QAction* miAll;

protected:
    void GoodsChosen(std::optional<int> goodsID) override;
    void FillPrintRows() override;
    std::string ExportTitle() const override;
    std::string_view NoGoodsForExport() const override { return "请先选择产品!"; }

private:
    void ShowFigures();
    void BuildBomTree();

    std::optional<BomBrowseHeader> header;
    bool allChosen = false;  // "创建所有货品" was chosen once: later runs ask before overwriting
};

}  // namespace mfg
