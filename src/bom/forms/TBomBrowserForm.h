#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "BomTree.h"
#include "TManuRootForm.h"
#include "data/DataSet.h"
#include "data/TreeItems.h"
#include "export/SpreadsheetExport.h"

class QAction;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace mfg {

class DbGrid;
class LookupCombo;
class TGoodsBomEditForm;
class ToolButton;
class TreeItemsView;

//! What the two BOM browsers share: the goods combo with the goods' name, specs and unit, the
//! read-only tree over a BomTree (the node records), printing and previewing through the base
//! form with a 7001 template, the export through a hidden grid, and opening the BOM editor for the
//! selected node. The BOM browser and the where-used browser differ in how they fill the tree and
//! the print rows.
class TBomBrowserForm : public TManuRootForm {
public:
    //! Chooses the file an export goes to; an empty answer cancels the export.
    using ExportFileChooser = std::function<std::string(QWidget& parent, const std::string& suggested)>;

    TBomBrowserForm(std::string_view formName, const char* caption, std::string goodsFilter, QWidget* parent);
    ~TBomBrowserForm() override;

    //! The menu items of btnPrint: print directly or preview, and remember which for the button.
    void PrintClick(bool printDirectly);
    //! The button itself repeats what its caption names: " 打印" prints, anything else previews.
    void btnPrintClick();
    void btnExcelClick();
    //! "样式设计" of RptStyleCB designs the print over the print rows; other actions as the base form.
    void LookupComboAction(LookupCombo& combo, const std::string& action) override;

    //! The node records in tree order; the root first.
    const BomTree& Tree() const { return tree; }
    //! The record of the selected node; null when none is selected.
    const BomTreeNode* SelectedNode() const;
    //! Selects the node at `index` of Tree(), making the items on its path when they are not yet.
    void SelectNode(int index);
    //! The items the tree view shows, one per node record made so far: a node's items are made when
    //! it is first expanded.
    TreeItems& Items() { return items; }
    DataSet& HeaderRecord() { return headerRecord; }
    DataSet& PrintRows() { return printRows; }
    //! The BOM editor while it is open from this screen (tests answer it); null otherwise.
    TGoodsBomEditForm* Editor() const { return editor; }

    static void SetExportFileChooser(ExportFileChooser chooser);

    LookupCombo* cmbSelGoods;
    QLabel* dbtGoodsName;
    QLabel* dbtSpecs;
    QLabel* dbtUnitName;
    QLabel* lblSpecs;  //!< the caption of dbtSpecs
    TreeItemsView* TreeView1;
    ToolButton* btnPrint;
    QAction* miPrint;
    QAction* miPreview;
    LookupCombo* RptStyleCB;
    QPushButton* btnExcel;
    DbGrid* dbgExport;

protected:
    //! The goods of the combo changed (none when cleared).
    virtual void GoodsChosen(std::optional<int> goodsID) = 0;
    //! Fills PrintRows for the goods chosen.
    virtual void FillPrintRows() = 0;
    virtual std::string ExportTitle() const = 0;
    //! The message of an export without goods.
    virtual std::string_view NoGoodsForExport() const = 0;

    //! Shows a tree: the level-limit message when it overflowed, the root selected, the root's
    //! components and as many further levels expanded as OpenedItemLimit items allow (a BOM of
    //! ordinary size opens whole); the items of deeper levels are made when their parent is expanded.
    void ShowTree(BomTree built);
    void ClearTree();
    //! True when goods are chosen (the header record has a name).
    bool HasGoods();
    //! Opens the editor for the selected node when the user may append and its kind is one of
    //! `kinds`, else shows `refusal`; true when the editor saved or audited.
    bool EditSelectedBom(std::initializer_list<int> kinds, std::string_view refusal);
    //! The header row (goods, name, specs, unit) and the button row, for the screen's own controls.
    QHBoxLayout* headerRow;
    QHBoxLayout* figuresRow;
    QHBoxLayout* buttonRow;
    DataSet headerRecord{"cdsHeader"};
    DataSet printRows{"cdsPrint"};

private:
    void ShowGoodsLabels();
    //! Adds the item of node `index` under `parent`; its children are made on its first expansion.
    TreeNode& MakeItem(TreeNode& parent, int index);
    //! Expands whole levels from the root while the items made stay within OpenedItemLimit.
    void ExpandOpeningLevels(TreeNode& root);

    BomTree tree;
    std::vector<std::vector<int>> childNodes;  //!< the indexes in `tree` of each node's children
    TreeItems items{{"Node"}};
    std::unique_ptr<DataSet> templates;
    TGoodsBomEditForm* editor = nullptr;
};

//! The most items a browser makes when it opens a tree: the rest waits for the user to expand.
inline constexpr std::size_t OpenedItemLimit = 500;

//! Gives a new control its name, by which tests and the screenshot tool find it.
template <typename T>
T* WithName(T* control, const char* name)
{
    control->setObjectName(name);
    return control;
}

}  // namespace mfg
