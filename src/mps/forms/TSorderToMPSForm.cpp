#include "TSorderToMPSForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "DatePicker.h"
#include "DbGrid.h"
#include "FormControls.h"
#include "RowSelection.h"
#include "host/Host.h"

namespace mfg {
namespace {

constexpr const char* kCaption = "销售订单直接转入主生产计划";

}  // namespace

TSorderToMPSForm::TSorderToMPSForm(QWidget* parent) : TManuRootForm("TSorderToMPSForm", parent)
{
    setWindowTitle(kCaption);
    SetDefaultSize(1000, 520);
    dtpBeg = Named(new DatePicker(this), "dtpBeg");
    dtpEnd = Named(new DatePicker(this), "dtpEnd");
    btnOK = Named(new QPushButton("转入主生产计划", this), "btnOK");
    btnCancel = Named(new QPushButton("取消(&C)", this), "btnCancel");
    btn1 = Named(new QPushButton("全选", this), "btn1");
    btn2 = Named(new QPushButton("反选", this), "btn2");
    btn3 = Named(new QPushButton("全清", this), "btn3");
    QxDBGrid1 = Named(new DbGrid(this), "QxDBGrid1");

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel("订单交货日期:", this));
    top->addWidget(dtpBeg);
    top->addWidget(new QLabel("至", this));
    top->addWidget(dtpEnd);
    top->addStretch();
    for (QPushButton* button : {btn1, btn2, btn3}) top->addWidget(button);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnOK);
    bottom->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(QxDBGrid1);
    layout->addLayout(bottom);

    DataSet& lines = conversion.Lines();
    lines.SetNumberRange("MnQty", NumberRange::NonNegative());
    QxDBGrid1->SetDataSet(&lines);
    QxDBGrid1->SetSortOnTitleClick(false);
    QxDBGrid1->AddColumn("SELECTED", "选择", 40).checkBox = true;
    for (auto [field, title] : {std::pair{"BILLDATE", "订货日期"},
                                {"REVDATE", "交货日期"},
                                {"BILLCODE", "订单编号"},
                                {"GOODSCODE", "产品编码"},
                                {"GOODSNAME", "产品名称"},
                                {"SPECS", "规格"},
                                {"UNITNAME", "单位"}})
        QxDBGrid1->AddColumn(field, title).readOnly = true;
    // An open quantity of 2/3 or an order of 1e20 is read at the host's quantity decimals.
    QxDBGrid1->AddColumn("MNQTY", "数量").format = NumberFormat::Quantity;
    QxDBGrid1->AddColumn("MNENDDATE", "完工日期");

    dtpBeg->SetDate(GetFirstDayOfPosMonth());
    dtpEnd->SetDate(GetLastDayOfPosMonth());
    WriteLog('T', 200, 'T', kCaption);

    connect(dtpBeg, &DatePicker::dateChanged, this, [this] { dtpBegChange(); });
    connect(dtpEnd, &DatePicker::dateChanged, this, [this] { dtpBegChange(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    connect(btn1, &QPushButton::clicked, this, [this] { SelectAllRows(conversion.Lines()); });
    connect(btn2, &QPushButton::clicked, this, [this] { InvertRows(conversion.Lines()); });
    connect(btn3, &QPushButton::clicked, this, [this] { ClearAllRows(conversion.Lines()); });
}

TSorderToMPSForm::~TSorderToMPSForm()
{
    QxDBGrid1->SetDataSet(nullptr);
    WriteLog('T', 201, 'T', kCaption);
}

void TSorderToMPSForm::FormShow()
{
    TManuRootForm::FormShow();
    dtpBegChange();
}

void TSorderToMPSForm::dtpBegChange()
{
    conversion.Reload(dtpBeg->Date(), dtpEnd->Date());
    // Nothing listed, nothing to tick or edit.
    QxDBGrid1->setEditTriggers(conversion.Lines().IsEmpty() ? QAbstractItemView::NoEditTriggers
                                                            : QAbstractItemView::AllEditTriggers);
}

void TSorderToMPSForm::btnOKClick()
{
    if (conversion.Convert() == ConvertResult::Converted) SetModalResult(mrOk);
}

MFG_REGISTER_SCREEN(TSorderToMPSForm);

}  // namespace mfg
