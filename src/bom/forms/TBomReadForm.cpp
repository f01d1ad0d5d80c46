#include "TBomReadForm.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "LookupCombo.h"
#include "host/Dialogs.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {

TBomReadForm::TBomReadForm(QWidget* parent) : TManuRootForm("TBomReadForm", parent)
{
    setWindowTitle("读入");
    setFixedSize(420, 200);
    row.AddField("GoodsID", FieldType::Integer);
    row.AddField("GoodsCode", FieldType::Text);
    row.AddField("GoodsName", FieldType::Text);
    row.AddField("Specs", FieldType::Text);
    row.CreateDataSet();
    // -1 matches no goods: the dialog opens with none chosen.
    row.AppendRecord({-1, "", "", ""});

    cmbGoodsID = new LookupCombo(this);
    cmbGoodsID->setObjectName("cmbGoodsID");
    cmbGoodsID->SetLookupDataSet(&OpenLookupDataSet("qryGoods"));
    cmbGoodsID->SetKeyField("GoodsID");
    cmbGoodsID->SetListField("Code");
    cmbGoodsID->AddDropDownColumn("Code", "编码");
    cmbGoodsID->AddDropDownColumn("Name", "名称");
    cmbGoodsID->SetDropDownFilter("(Kind = 2 and  Closed = 0) or (Kind = 3 and  Closed = 0) ");
    cmbGoodsID->SetActionButtons({"新增#", "置空"});
    dbtGoodsName = new QLabel(this);
    dbtGoodsName->setObjectName("dbtGoodsName");
    dbtSpecs = new QLabel(this);
    dbtSpecs->setObjectName("dbtSpecs");
    cbProc = new QCheckBox("读入工序", this);
    cbProc->setObjectName("cbProc");
    cbSub = new QCheckBox("读入替代物料", this);
    cbSub->setObjectName("cbSub");
    btnOk = new QPushButton("确定(&A)", this);
    btnOk->setObjectName("btnOk");
    btnCancel = new QPushButton("取消(&C)", this);
    btnCancel->setObjectName("btnCancel");

    auto* fields = new QFormLayout;
    fields->addRow("产品编码：", cmbGoodsID);
    fields->addRow("产品名称：", dbtGoodsName);
    fields->addRow("规格：", dbtSpecs);
    auto* checks = new QHBoxLayout;
    checks->addWidget(cbProc);
    checks->addWidget(cbSub);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(checks);
    layout->addLayout(buttons);

    connect(cmbGoodsID, &LookupCombo::Changed, this, [this] { cmbGoodsIDChange(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

int TBomReadForm::GoodsID() const { return static_cast<int>(row.FieldByName("GoodsID").AsInteger()); }
bool TBomReadForm::ReadProcesses() const { return cbProc->isChecked(); }
bool TBomReadForm::ReadSubstitutes() const { return cbSub->isChecked(); }

void TBomReadForm::FormShow()
{
    TManuRootForm::FormShow();
    cmbGoodsID->setFocus();
}

void TBomReadForm::cmbGoodsIDChange()
{
    const Variant id = cmbGoodsID->Value();
    row.Edit();
    row.FieldByName("GoodsID").SetValue(id.IsNull() ? Variant(-1) : id);
    auto goods = CreateAutoQuery("Select g.Code As GoodsCode,g.Name As GoodsName,g.Specs,  u.Name As UnitName From L_Goods g "
                                 "Left Join L_Unit  u On g.UnitID = u.UnitID  Where g.GoodsID = " +
                                     std::to_string(id.IsNull() ? -1 : id.AsInteger()),
                                 true);
    for (const char* field : {"GoodsCode", "GoodsName", "Specs"})
        row.FieldByName(field).SetValue(goods->IsEmpty() ? Variant("") : goods->FieldByName(field).Value());
    row.Post();
    dbtGoodsName->setText(QString::fromStdString(row.FieldByName("GoodsName").AsString()));
    dbtSpecs->setText(QString::fromStdString(row.FieldByName("Specs").AsString()));
}

void TBomReadForm::btnOkClick()
{
    if (row.FieldByName("GoodsName").AsString().empty()) {
        ShowInformation("请选择货品!");
        return;
    }
    SetModalResult(mrOk);
}

}  // namespace mfg
