#include "TGoodsUsedBomForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "BomTree.h"
#include "BomTreeExport.h"
#include "DbGrid.h"
#include "LookupCombo.h"
#include "ToolButton.h"

namespace mfg {
namespace {

//! The standard style of the where-used list, among the BOM prints: each line's own quantity.
constexpr int StandardWhereUsedTemplate = 7002;

}  // namespace

TGoodsUsedBomForm::TGoodsUsedBomForm(QWidget* parent)
    : TBomBrowserForm("TGoodsUsedBomForm", "产品结构逆向展开",
                      "kind<>4 and kind<>5 and kind <>6 and kind<>7 and kind<>8 and closed=0", parent)
{
    setWindowFlag(Qt::Dialog);
    btnPrint->SetCaption(" 打印");
    RptStyleCB->SetTag(StandardWhereUsedTemplate);
    lblSpecs->setText("规格:");
    Button1 = WithName(new QPushButton("清单维护(&E)", this), "Button1");
    buttonRow->insertWidget(0, Button1);
    for (const ExportColumn& column : WhereUsedExportColumns()) dbgExport->AddColumn(column.fieldName, column.caption);
    dbgExport->SetDataSet(&printRows);
    FillWhereUsedHeaderRecord(headerRecord, nullptr);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void TGoodsUsedBomForm::GoodsChosen(std::optional<int> goodsID)
{
    goods = goodsID ? ReadBomGoods(*goodsID) : std::nullopt;
    FillWhereUsedHeaderRecord(headerRecord, goods ? &*goods : nullptr);
    if (!goods) {
        ClearTree();
        return;
    }
    BuildTree();
}

void TGoodsUsedBomForm::BuildTree()
{
    BomIndex index;
    index.Read(goods->goodsID, BomReach::Parents);
    ShowTree(BuildWhereUsedTree(index, *goods));
}

void TGoodsUsedBomForm::Button1Click()
{
    if (EditSelectedBom({2, 3}, "当前货品不属于产成品或半成品，不能进行结构清单维护!") && goods) BuildTree();
}

void TGoodsUsedBomForm::FillPrintRows()
{
    BomIndex index;
    index.Read(goods->goodsID, BomReach::Parents);
    FillWhereUsedRows(index, goods->goodsID, printRows);
}

std::string TGoodsUsedBomForm::ExportTitle() const
{
    return goods ? WhereUsedExportTitle(*goods) : std::string();
}

MFG_REGISTER_SCREEN(TGoodsUsedBomForm);

}  // namespace mfg
