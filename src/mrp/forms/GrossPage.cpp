// The gross requirement pages of the workbench: the goods tree and the table filtered by goods.
#include "TMRPForm.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "NamedControl.h"
#include "ResultPageControls.h"
#include "TreeItemsModel.h"

namespace mfg {

void TMRPForm::BuildTreePage()
{
    TabSheet2 = Named(new QWidget(PageControl1), "TabSheet2");
    PageControl1->addTab(TabSheet2, "毛需求-树");
    TreeView1 = Named(new TreeItemsView(TabSheet2), "TreeView1");
    TreeView1->SetTree(&workbench.goodsTree, "货品");
    TreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    pm1 = Named(new QMenu(TabSheet2), "pm1");
    N1 = NewAction(pm1, "N1", "全部展开");
    N2 = NewAction(pm1, "N2", "全部收拢");
    (new QVBoxLayout(TabSheet2))->addWidget(TreeView1);
}

void TMRPForm::BuildGrossPage()
{
    TabSheet3 = Named(new QWidget(PageControl1), "TabSheet3");
    PageControl1->addTab(TabSheet3, "毛需求-表");
    cmbGoods2 = NewGoodsFilter(TabSheet3, "cmbGoods2", workbench.cdsGoods);
    edtGoodsName2 = NewLabelEdit(TabSheet3, "edtGoodsName2");
    edtSpecs2 = NewLabelEdit(TabSheet3, "edtSpecs2");
    DBGrid2 =
        NewResultGrid(TabSheet3, "DBGrid2", workbench.cdsGross, GoodsAnd({{"quantity", "数量"}}, "class", "级次"));
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto* filter = new QHBoxLayout;
    AddGoodsFilter(*filter, TabSheet3, cmbGoods2, edtGoodsName2, edtSpecs2);
    auto* layout = new QVBoxLayout(TabSheet3);
    layout->addLayout(filter);
    layout->addWidget(DBGrid2);
}

}  // namespace mfg
