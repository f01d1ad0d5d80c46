// The net requirement page of the workbench, grouped by the period chosen.
#include "TMRPForm.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "NamedControl.h"
#include "ResultPageControls.h"

namespace mfg {

void TMRPForm::BuildNetPage()
{
    TabSheet4 = Named(new QWidget(PageControl1), "TabSheet4");
    PageControl1->addTab(TabSheet4, "净 需 求");
    QWidget* page = TabSheet4;
    cmbGoods3 = NewGoodsFilter(page, "cmbGoods3", workbench.cdsGoods);
    edtGoodsName3 = NewLabelEdit(page, "edtGoodsName3");
    edtSpecs3 = NewLabelEdit(page, "edtSpecs3");
    btnNetRequireExcel = NewButton(page, "btnNetRequireExcel", "导出Excel");
    DBGrid3 = NewResultGrid(page, "DBGrid3", workbench.cdsNet,
                            GoodsAnd({{"needdate", "日期"},
                                      {"gross", "毛需求量"},
                                      {"onhand", "当前库存"},
                                      {"safeqty", "安全库存"},
                                      {"wasteqty", "损耗量"},
                                      {"usedqty", "已占用量"},
                                      {"saleqty", "销售在订"},
                                      {"oversaleqty", "超期销售在订"},
                                      {"prequestqty", "已请待订"},
                                      {"purchaseqty", "采购在订"},
                                      {"overpurchaseqty", "超期采购在订"},
                                      {"requestqty", "已请待配"},
                                      {"distributeqty", "已配待调"},
                                      {"manufactureqty", "在加工量"},
                                      {"manuorderqty", "加工预约量"},
                                      {"subqty", "使用替代品"},
                                      {"netqty", "净需求量"}},
                                     "class", "级次"));
    DBGrid3->SetFrozenColumns(5);
    auto* filter = new QHBoxLayout;
    AddGoodsFilter(*filter, page, cmbGoods3, edtGoodsName3, edtSpecs3);
    AddPeriodButtons(*filter, page, rbDay, rbWeek, rbMonth, "rbDay", "rbWeek", "rbMonth");
    filter->addStretch();
    filter->addWidget(btnNetRequireExcel);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(filter);
    layout->addWidget(DBGrid3);
}

}  // namespace mfg
