#include "TPickManuGoodsForm.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DbGrid.h"
#include "FormControls.h"
#include "types/UserNumber.h"

namespace mfg {
namespace {

QLineEdit* NewEdit(QWidget* parent, const char* name, int maxLength)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setMaxLength(maxLength);
    return edit;
}

}  // namespace

TPickManuGoodsForm::TPickManuGoodsForm(QWidget* parent, std::string extraCondition)
    : TManuRootForm("TPickManuGoodsForm", parent), picker(std::move(extraCondition))
{
    setWindowTitle("选择货品");
    SetDefaultSize(760, 480);
    if (const QScreen* desktop = QGuiApplication::primaryScreen())
        move(desktop->availableGeometry().center() - rect().center());
    GoodsCodeED = NewEdit(this, "GoodsCodeED", 20);
    GoodsNameED = NewEdit(this, "GoodsNameED", 40);
    SpecsED = NewEdit(this, "SpecsED", 40);
    PYFindGoodsEdit = NewEdit(this, "PYFindGoodsEdit", 40);
    GoodsType = Named(new QComboBox(this), "GoodsType");
    QxDBGrid1 = Named(new DbGrid(this), "QxDBGrid1");
    btnOk = Named(new QPushButton("确定", this), "btnOk");
    btnOk->setDefault(true);
    btnCancel = Named(new QPushButton("取消", this), "btnCancel");
    btnSel = Named(new QPushButton("添加", this), "btnSel");
    lblQty = Named(new QLabel("数量:", this), "lblQty");
    edQty = Named(new QLineEdit("0", this), "edQty");

    auto* group = new QGroupBox("过滤", this);
    auto* filters = new QGridLayout(group);
    AddLabelled(*filters, "货品编码:", GoodsCodeED, 0, 0);
    AddLabelled(*filters, "货品名称:", GoodsNameED, 0, 2);
    AddLabelled(*filters, "货品规格:", SpecsED, 0, 4);
    AddLabelled(*filters, "货品类别:", GoodsType, 1, 0);
    AddLabelled(*filters, "货品首拼:", PYFindGoodsEdit, 1, 2);
    auto* buttons = new QHBoxLayout;
    for (QWidget* widget : std::initializer_list<QWidget*>{btnSel, lblQty, edQty}) {
        buttons->addWidget(widget);
        widget->hide();
    }
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(QxDBGrid1);
    layout->addLayout(buttons);

    QxDBGrid1->SetDataSet(&picker.Goods());
    QxDBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QxDBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    QxDBGrid1->AddColumn("GOODSCODE", "货品编码", 100).readOnly = true;
    QxDBGrid1->AddColumn("GOODSNAME", "货品名称", 200).readOnly = true;
    QxDBGrid1->AddColumn("SPECS", "规格", 220).readOnly = true;
    QxDBGrid1->AddColumn("UNITNAME", "单位", 60).readOnly = true;

    GoodsType->addItem("全部");
    for (const auto& [name, id] : PickManuGoods::GoodsTypes()) GoodsType->addItem(QString::fromStdString(name), id);
    GoodsType->setCurrentIndex(0);
    Reload();

    for (QLineEdit* edit : {GoodsCodeED, GoodsNameED, SpecsED, PYFindGoodsEdit})
        connect(edit, &QLineEdit::textChanged, this, [this] { Reload(); });
    connect(GoodsType, &QComboBox::currentIndexChanged, this, [this] { Reload(); });
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(QxDBGrid1, &QAbstractItemView::doubleClicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    connect(btnSel, &QPushButton::clicked, this, [this] { btnSelClick(); });
}

TPickManuGoodsForm::~TPickManuGoodsForm() { QxDBGrid1->SetDataSet(nullptr); }

void TPickManuGoodsForm::SetAddTarget(DataSet* target, PickTarget kind)
{
    addTarget = target;
    addKind = kind;
    for (QWidget* widget : std::initializer_list<QWidget*>{btnSel, lblQty, edQty}) widget->setVisible(target != nullptr);
}

void TPickManuGoodsForm::Reload()
{
    GoodsPickFilter filter;
    filter.code = GoodsCodeED->text().toStdString();
    filter.name = GoodsNameED->text().toStdString();
    filter.specs = SpecsED->text().toStdString();
    if (QVariant type = GoodsType->currentData(); type.isValid()) filter.goodsTypeId = type.toInt();
    filter.phonetic = PYFindGoodsEdit->text().toStdString();
    picker.Reload(filter);
}

void TPickManuGoodsForm::btnOkClick()
{
    if (picker.CanChoose()) SetModalResult(mrOk);
}

void TPickManuGoodsForm::btnSelClick()
{
    if (addTarget) picker.AddTo(*addTarget, addKind, edQty->text().toStdString());
}

double TPickManuGoodsForm::AddQuantity() const
{
    if (!addTarget) return 0;
    return TryParseUserNumber(edQty->text().toStdString(), "数量", NumberRange::NonNegative()).value_or(0);
}

void TPickManuGoodsForm::InstallAsGoodsPicker()
{
    TManuRootForm::SetGoodsPicker([](TManuRootForm& caller, const std::string& filter) -> std::optional<PickedGoods> {
        TPickManuGoodsForm form(nullptr, filter);
        if (DataSet* target = caller.AddModeTarget())
            form.SetAddTarget(target, caller.objectName().toUpper() == "TGOODSBOMSUBFORM" ? PickTarget::Substitutes
                                                                                          : PickTarget::BomLines);
        if (form.ShowModal() != mrOk) return std::nullopt;
        return PickedGoods{form.GoodsID(), form.AddQuantity()};
    });
}

namespace {

// Goods combos of every screen find goods through this picker from the moment the module loads.
const bool pickerInstalled = (TPickManuGoodsForm::InstallAsGoodsPicker(), true);

}  // namespace

}  // namespace mfg
