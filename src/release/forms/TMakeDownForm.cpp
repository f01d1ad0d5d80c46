#include "TMakeDownForm.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "ReleaseControls.h"

namespace mfg {

TMakeDownForm::TMakeDownForm(std::string_view formName, QWidget* parent) : TManuRootForm(formName, parent)
{
    SetDefaultSize(860, 460);
    lbGoodsCode = Named(new QLabel("货品编号:", this), "lbGoodsCode");
    lbGoodsName = Named(new QLabel("货品名称:", this), "lbGoodsName");
    lbSpecs = Named(new QLabel("货品规格:", this), "lbSpecs");
    lbUnitName = Named(new QLabel("单位:", this), "lbUnitName");
    lbQuantity = Named(new QLabel("数量:", this), "lbQuantity");
    QxDBGrid1 = Named(new DbGrid(this), "QxDBGrid1");
    btOK = Named(new QPushButton("确定", this), "btOK");
    btCancel = Named(new QPushButton("取消", this), "btCancel");
    pmDetail = Named(new QMenu(this), "pmDetail");
    muAddDetail = Named(pmDetail->addAction("新增明细"), "muAddDetail");
    muAddDetail->setShortcut(QKeySequence(Qt::Key_Insert));
    muDeleteDetail = Named(pmDetail->addAction("删除明细"), "muDeleteDetail");
    muDeleteDetail->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    for (QAction* action : {muAddDetail, muDeleteDetail}) {
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        QxDBGrid1->addAction(action);
    }
    QxDBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(QxDBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmDetail->popup(QxDBGrid1->viewport()->mapToGlobal(at)); });

    auto* header = new QGridLayout;
    header->addWidget(lbGoodsCode, 0, 0);
    header->addWidget(lbGoodsName, 0, 1);
    header->addWidget(lbSpecs, 0, 2);
    header->addWidget(lbUnitName, 1, 0);
    header->addWidget(lbQuantity, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    body = new QVBoxLayout;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(body);
    layout->addWidget(QxDBGrid1);
    layout->addLayout(buttons);

    connect(muAddDetail, &QAction::triggered, this, [this] { muAddDetailClick(); });
    connect(muDeleteDetail, &QAction::triggered, this, [this] { muDeleteDetailClick(); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

TMakeDownForm::~TMakeDownForm()
{
    QxDBGrid1->SetDataSet(nullptr);
}

void TMakeDownForm::SetGoods(std::int32_t id, const std::string& code, const std::string& name,
                             const std::string& specs, const std::string& unitName, const std::string& quantity)
{
    goodsid = id;
    lbGoodsCode->setText(QString::fromStdString("货品编号:" + code));
    lbGoodsName->setText(QString::fromStdString("货品名称:" + name));
    lbSpecs->setText(QString::fromStdString("货品规格:" + specs));
    lbUnitName->setText(QString::fromStdString("单位:" + unitName));
    lbQuantity->setText(QString::fromStdString("数量:" + quantity));
}

void TMakeDownForm::muAddDetailClick()
{
    NewLine();
}

void TMakeDownForm::muDeleteDetailClick()
{
    if (!cdsMake.IsEmpty()) cdsMake.Delete();
}

}  // namespace mfg
