#include "TMakeMachiningForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "PurchaseRelease.h"
#include "ReleaseControls.h"
#include "host/Dialogs.h"
#include "host/LookupCache.h"

namespace mfg {

TMakeMachiningForm::TMakeMachiningForm(QWidget* parent) : TManuRootForm("TMakeMachiningForm", parent)
{
    SetDefaultSize(460, 220);
    OpenLookupDataSet("qryTrader");
    Label13 = Named(new QLabel("加工单位:", this), "Label13");
    LabMsg = Named(new QLabel(this), "LabMsg");
    cmbTrade = NewLookupCombo(this, "cmbTrade", FindLookupDataSource("dsTrader"), "TraderID", "Name");
    cmbTrade->AddDropDownColumn("CODE", "编号", 80);
    cmbTrade->AddDropDownColumn("NAME", "名称", 200);
    cmbTrade->AddDropDownColumn("SHOPNAME", "分支机构", 120);
    cmbTrade->SetDropDownFilter(SupplierFilter());
    btOK = Named(new QPushButton("确定", this), "btOK");
    btCancel = Named(new QPushButton("取消", this), "btCancel");
    auto* choice = new QHBoxLayout;
    choice->addWidget(Label13);
    choice->addWidget(cmbTrade, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabMsg);
    layout->addLayout(choice);
    layout->addLayout(buttons);
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TMakeMachiningForm::Ask(const std::string& caption, const std::string& label, const std::string& message)
{
    setWindowTitle(QString::fromStdString(caption));
    Label13->setText(QString::fromStdString(label));
    LabMsg->setText(QString::fromStdString(message));
}

std::int32_t TMakeMachiningForm::TraderID() const
{
    return static_cast<std::int32_t>(cmbTrade->Value().AsInteger());
}

void TMakeMachiningForm::btOKClick()
{
    if (TraderID() <= 0) {
        ShowInformation("没有选择" + Label13->text().toStdString() + "或选择有误！");
        return;
    }
    SetModalResult(mrOk);
}

std::int32_t TMakeMachiningForm::ChooseSupplier(const std::string& message, QWidget* parent)
{
    TMakeMachiningForm form(parent);
    form.Ask("下达采购订单", "往来单位:", message);
    return form.ShowModal() == mrOk ? form.TraderID() : 0;
}

}  // namespace mfg
