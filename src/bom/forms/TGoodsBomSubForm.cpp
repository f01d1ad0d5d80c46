#include "TGoodsBomSubForm.h"

#include <QAction>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "host/Dialogs.h"
#include "host/Format.h"
#include "host/LookupCache.h"

namespace mfg {

TGoodsBomSubForm::TGoodsBomSubForm(QWidget* parent) : TManuRootForm("TGoodsBomSubForm", parent)
{
    setWindowTitle("替代品设置");
    SetDefaultSize(900, 420);
    auto label = [this](const char* name) {
        auto* result = new QLabel(this);
        result->setObjectName(name);
        return result;
    };
    lblGoodsCode = label("lblGoodsCode");
    lblGoodsName = label("lblGoodsName");
    lblSpecs = label("lblSpecs");
    lblUnitName = label("lblUnitName");
    lblQty = label("lblQty");

    dgListGoodsBom = new DbGrid(this);
    dgListGoodsBom->setObjectName("dgListGoodsBom");
    rows.Rows().SetNumberRange("rate", NumberRange::NonNegative());
    dgListGoodsBom->SetDataSet(&rows.Rows());
    dgListGoodsBom->AddColumn("itemno", "序号", 50);
    dgListGoodsBom->AddColumn("GOODSCODE", "替代品编号", 90).readOnly = true;
    for (auto [field, title] : {std::pair<const char*, const char*>{"GOODSNAME", "名称"}, {"SPECS", "规格"}, {"UNITNAME", "单位"}})
        dgListGoodsBom->AddColumn(field, title).readOnly = true;
    dgListGoodsBom->AddColumn("rate", "代替比率").format = NumberFormat::Quantity;
    auto& quantity = dgListGoodsBom->AddColumn("quantity", "数量");
    quantity.readOnly = true;
    quantity.format = NumberFormat::Quantity;
    dgListGoodsBom->AddColumn("memo", " 备注", 160);
    menuDle = new QAction("删除", this);
    menuDle->setObjectName("menuDle");
    dgListGoodsBom->setContextMenuPolicy(Qt::ActionsContextMenu);
    dgListGoodsBom->addAction(menuDle);

    dlgcGoods = new LookupCombo(this);
    dlgcGoods->setObjectName("dlgcGoods");
    dlgcGoods->SetLookupDataSet(&OpenLookupDataSet("qryGoods"));
    dlgcGoods->SetKeyField("GoodsID");
    dlgcGoods->SetListField("Code");
    for (auto [column, title] : {std::pair<const char*, const char*>{"CODE", "编码"}, {"Name", "名称"}, {"SPECS", "规格"}})
        dlgcGoods->AddDropDownColumn(column, title);
    dlgcGoods->SetDropDownFilter("Closed = 0 and  Kind >= 1 and Kind <= 3");
    dlgcGoods->SetActionButtons({"查找#", "置空"});
    dlgcGoods->SetTag(4);

    btnOk = new QPushButton("确定(&O)", this);
    btnOk->setObjectName("btnOk");
    btnCancel = new QPushButton("取消(&C)", this);
    btnCancel->setObjectName("btnCancel");

    auto* head = new QFormLayout;
    head->addRow("货品编码:", lblGoodsCode);
    head->addRow("名称", lblGoodsName);
    head->addRow("规格:", lblSpecs);
    head->addRow("单位:", lblUnitName);
    head->addRow("数量:", lblQty);
    dgListGoodsBom->SetColumnControl("GOODSCODE", dlgcGoods);
    dgListGoodsBom->SetAppendRow([this] { rows.AppendRow(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(dgListGoodsBom);
    layout->addLayout(buttons);

    connect(dlgcGoods, &LookupCombo::Changed, this, [this] { dlgcGoodsChange(); });
    connect(menuDle, &QAction::triggered, this, [this] { menuDleClick(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(&dgListGoodsBom->Model(), &DataSetModel::CursorMoved, this, [this] { RowMoved(); });
}

int TGoodsBomSubForm::Load(GoodsBom& bom, int componentID, int itemNo, double mnfQty, double wasteRate)
{
    return ShowComponent(rows.Load(bom, componentID, itemNo, mnfQty, wasteRate), mnfQty);
}

int TGoodsBomSubForm::LoadMerged(GoodsBom& bom, int componentID, double mergedQty)
{
    int loaded = ShowComponent(rows.LoadMerged(bom, componentID, mergedQty), mergedQty);
    SetReadOnly(true);
    return loaded;
}

int TGoodsBomSubForm::ShowComponent(bool loaded, double quantity)
{
    if (!loaded) return 0;
    lblGoodsCode->setText(QString::fromStdString(rows.ComponentCode()));
    lblGoodsName->setText(QString::fromStdString(rows.ComponentName()));
    lblSpecs->setText(QString::fromStdString(rows.ComponentSpecs()));
    lblUnitName->setText(QString::fromStdString(rows.ComponentUnitName()));
    lblQty->setText(QString::fromStdString(FormatQuantityText(quantity)));
    RowMoved();
    return 1;
}

void TGoodsBomSubForm::SetReadOnly(bool readOnly)
{
    // Typing or F2 opens a cell; an editor opened by every move would stand on the row Down appends.
    dgListGoodsBom->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                   QAbstractItemView::AnyKeyPressed);
    dlgcGoods->setEnabled(!readOnly);
    btnOk->setEnabled(!readOnly);
    menuDle->setEnabled(!readOnly);
}

void TGoodsBomSubForm::RowMoved()
{
    if (choosing) return;  // the row a chosen goods goes to: the combo keeps the choice
    DataSet& data = rows.Rows();
    showing = true;
    dlgcGoods->SetValue(data.Active() && !data.IsEmpty() ? data.FieldByName("subgoodsid").Value() : Variant());
    showing = false;
    dgListGoodsBomKeyPress();
}

void TGoodsBomSubForm::dlgcGoodsChange()
{
    if (showing) return;
    const Variant goods = dlgcGoods->Value();
    if (goods.IsNull()) {
        if (!rows.Rows().IsEmpty()) {
            rows.Rows().Edit();
            rows.Rows().FieldByName("subgoodsid").Clear();
        }
    } else {
        choosing = true;
        rows.SetSubstitute(static_cast<int>(goods.AsInteger()));
        choosing = false;
    }
    dgListGoodsBomKeyPress();
    dgListGoodsBom->CloseColumnControl();
}

void TGoodsBomSubForm::LookupComboAction(LookupCombo& combo, const std::string& action)
{
    const Variant before = combo.Value();
    TManuRootForm::LookupComboAction(combo, action);
    // A goods picked with "查找" comes with the quantity typed in the picker (1 when none was), which
    // the rate follows from.
    if (action == "查找" && !combo.Value().IsNull() && !(combo.Value() == before))
        rows.SetPickedSubstitute(static_cast<int>(combo.Value().AsInteger()), PickedQuantity());
}

void TGoodsBomSubForm::dgListGoodsBomKeyPress()
{
    bool editable = rows.RateAndMemoEditable();
    dgListGoodsBom->SetColumnReadOnly(dgListGoodsBom->Model().ColumnIndexOf("rate"), !editable);
    dgListGoodsBom->SetColumnReadOnly(dgListGoodsBom->Model().ColumnIndexOf("memo"), !editable);
}

void TGoodsBomSubForm::btnOkClick()
{
    if (rows.Accept()) SetModalResult(mrOk);
}

void TGoodsBomSubForm::btnCancelClick()
{
    SetModalResult(mrCancel);
}

}  // namespace mfg
