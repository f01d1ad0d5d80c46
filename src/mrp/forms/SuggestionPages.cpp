// The manufacture and purchase suggestion pages of the workbench, from which suggestions are released.
#include "TMRPForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "NamedControl.h"
#include "ResultPageControls.h"

namespace mfg {

void TMRPForm::BuildManufacturePage()
{
    TabSheet5 = Named(new QWidget(PageControl1), "TabSheet5");
    PageControl1->addTab(TabSheet5, "生产建议");
    QWidget* page = TabSheet5;
    BitBtn1 = NewButton(page, "BitBtn1", "全选");
    BitBtn2 = NewButton(page, "BitBtn2", "反选");
    BitBtn3 = NewButton(page, "BitBtn3", "全清");
    btnMakeManu = NewButton(page, "btnMakeManu", "对选中的建议下达生产加工单");
    btnMakeConsign = NewButton(page, "btnMakeConsign", "对选中的建议下达委托加工单");
    btnMnfExcel = NewButton(page, "btnMnfExcel", "导出Excel");
    DBGrid4 = NewResultGrid(page, "DBGrid4", workbench.cdsManuSug,
                            GoodsAnd({{"sugqty", "数量"},
                                      {"fixqty", "修正数量"},
                                      {"released", "已下达"},
                                      {"price", "单价"},
                                      {"amount", "金额"},
                                      {"startdate", "生产日期"},
                                      {"finisheddate", "完工日期"},
                                      {"manufacture", "下达生产加工单"},
                                      {"consign", "下达委托加工单"}},
                                     "selected", "选择"));
    for (const char* hidden : {"manufacture", "consign"})
        DBGrid4->SetColumnVisible(DBGrid4->Model().ColumnIndexOf(hidden), false);
    DBGrid4->SetFrozenColumns(5);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn3}) buttons->addWidget(button);
    buttons->addStretch();
    for (QPushButton* button : {btnMakeManu, btnMakeConsign, btnMnfExcel}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid4);
}

void TMRPForm::BuildPurchasePage()
{
    TabSheet6 = Named(new QWidget(PageControl1), "TabSheet6");
    PageControl1->addTab(TabSheet6, "采购建议");
    QWidget* page = TabSheet6;
    BitBtn4 = NewButton(page, "BitBtn4", "全选");
    BitBtn5 = NewButton(page, "BitBtn5", "反选");
    BitBtn6 = NewButton(page, "BitBtn6", "全清");
    cbMinOrder = NewBox(page, "cbMinOrder", "参考最小订货批量", false);
    cbIncOrder = NewBox(page, "cbIncOrder", "参考订货批量增量", false);
    cbIncOrder->setEnabled(false);
    btnMakePurchase = NewButton(page, "btnMakePurchase", "对选中的建议下达采购订单");
    btnMakePRequest = NewButton(page, "btnMakePRequest", "对选中的建议下达请购单");
    btnPurExcel = NewButton(page, "btnPurExcel", "导出Excel");
    DBGrid5 = NewResultGrid(page, "DBGrid5", workbench.cdsPurSug,
                            GoodsAnd({{"netqty", "净需求量"},
                                      {"minOrderQty", "最小批量"},
                                      {"incOrderQty", "批量增量"},
                                      {"sugqty", "建议采购量"},
                                      {"fixqty", "修正数量"},
                                      {"released", "已下达"},
                                      {"price", "单价"},
                                      {"amount", "金额"},
                                      {"orderdate", "下单日期"},
                                      {"revdate", "收货日期"},
                                      {"purchase", "下达采购订单"},
                                      {"prequest", "下达请购单"}},
                                     "selected", "选择"));
    DBGrid5->SetFrozenColumns(5);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {BitBtn4, BitBtn5, BitBtn6}) buttons->addWidget(button);
    buttons->addWidget(cbMinOrder);
    buttons->addWidget(cbIncOrder);
    buttons->addStretch();
    for (QPushButton* button : {btnMakePurchase, btnMakePRequest, btnPurExcel}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(buttons);
    layout->addWidget(DBGrid5);
}

}  // namespace mfg
