#include "TGoodsBomForm.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "BomTreeExport.h"
#include "DbGrid.h"
#include "GoodsBom.h"
#include "GoodsCombin.h"
#include "LookupCombo.h"
#include "ToolButton.h"
#include "host/Dialogs.h"

namespace mfg {
namespace {

constexpr const char* BomGoodsFilter =
    "(Kind=1 and Closed = 0) or (Kind = 2 and  Closed = 0) or (Kind = 3 and  Closed = "
    "0)  or (kind=9 and  Closed = 0) ";

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

TGoodsBomForm::TGoodsBomForm(QWidget* parent) : TBomBrowserForm("TGoodsBomForm", "产品结构清单", BomGoodsFilter, parent)
{
    lbQuantity = WithName(new QLabel(this), "lbQuantity");
    lbUseTime = WithName(new QLabel(this), "lbUseTime");
    lbPreTime = WithName(new QLabel(this), "lbPreTime");
    lbCheck = WithName(new QLabel("未审核", this), "lbCheck");
    figuresRow->addWidget(new QLabel("产品数量：", this));
    figuresRow->addWidget(lbQuantity);
    for (auto [title, label] : {std::pair<const char*, QLabel*>{"耗用工时：", lbUseTime}, {"准备时间：", lbPreTime}}) {
        figuresRow->addSpacing(24);
        figuresRow->addWidget(new QLabel(title, this));
        figuresRow->addWidget(label);
        figuresRow->addWidget(new QLabel("小时", this));
    }
    figuresRow->addStretch();
    figuresRow->addWidget(lbCheck);

    btnEditBom = WithName(new QPushButton("清单维护(&E)", this), "btnEditBom");
    btnCreCombin = WithName(new ToolButton(this), "btnCreCombin");
    btnCreCombin->SetCaption("创建组装拆卸表");
    auto* combinMenu = new QMenu(btnCreCombin);
    miSingle = combinMenu->addAction("创建单个货品");
    miAll = combinMenu->addAction("创建所有货品");
    miSingle->setCheckable(true);
    miAll->setCheckable(true);
    btnCreCombin->setMenu(combinMenu);
    btnCreCombin->setPopupMode(QToolButton::MenuButtonPopup);
    buttonRow->insertWidget(0, btnEditBom);
    buttonRow->addWidget(btnCreCombin);

    for (const ExportColumn& column : BomTreeExportColumns()) dbgExport->AddColumn(column.fieldName, column.caption);
    dbgExport->SetDataSet(&printRows);
    FillBomHeaderRecord(headerRecord, nullptr);

    connect(btnEditBom, &QPushButton::clicked, this, [this] { btnEditBomClick(); });
    connect(miSingle, &QAction::triggered, this, [this] { miSingleClick(); });
    connect(miAll, &QAction::triggered, this, [this] {
        miAll->setChecked(true);
        allChosen = true;
        btnCreCombinClick();
    });
    connect(btnCreCombin, &QToolButton::clicked, this, [this] { btnCreCombinClick(); });
}

void TGoodsBomForm::GoodsChosen(std::optional<int> goodsID)
{
    header = goodsID ? ReadBomBrowseHeader(*goodsID) : std::nullopt;
    FillBomHeaderRecord(headerRecord, header ? &*header : nullptr);
    ShowFigures();
    if (!header) {
        ClearTree();
        return;
    }
    BuildBomTree();
}

void TGoodsBomForm::ShowFigures()
{
    lbQuantity->setText(header ? Text(header->MasterQtyText()) : QString());
    lbUseTime->setText(header ? Text(header->UseTimeText()) : QString());
    lbPreTime->setText(header ? Text(header->PreTimeText()) : QString());
    lbCheck->setText(header && header->state != 0 ? "已审核" : "未审核");
}

void TGoodsBomForm::BuildBomTree()
{
    BomIndex index;
    index.Read(header->goodsID, BomReach::Components);
    ShowTree(mfg::BuildBomTree(index, header->goods, header->RootQuantity(), lbQuantity->text().toStdString()));
}

void TGoodsBomForm::btnEditBomClick()
{
    if (!EditSelectedBom({2, 3, 9}, "当前货品不属于产成品、半成品或虚拟件，不能进行结构清单维护!") || !header) return;
    RefreshBomValues(*header);
    FillBomHeaderRecord(headerRecord, &*header);
    ShowFigures();
    BuildBomTree();
}

void TGoodsBomForm::FillPrintRows()
{
    FlattenBomTree(Tree(), printRows);
}

std::string TGoodsBomForm::ExportTitle() const
{
    return header ? BomTreeExportTitle(*header) : std::string();
}

void TGoodsBomForm::miSingleClick()
{
    miSingle->setChecked(true);
    if (!header) {
        ShowError("请先选择货品!");
        cmbSelGoods->setFocus();
    } else {
        CreateGoodsCombin(header->goodsID, false);
    }
    miSingle->setChecked(false);
}

void TGoodsBomForm::btnCreCombinClick()
{
    CreateGoodsCombin(std::nullopt, allChosen);
}

MFG_REGISTER_SCREEN(TGoodsBomForm);

}  // namespace mfg
