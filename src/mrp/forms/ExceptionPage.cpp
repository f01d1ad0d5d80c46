#include "ExceptionPage.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <map>

#include <fmt/format.h>

#include "DbGrid.h"
#include "MrpEngine.h"
#include "NamedControl.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

constexpr const char* kCaption = "异常信息";
constexpr const char* kAllKinds = "全部";
constexpr int kMaxThresholdDays = 250;

QString Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QSpinBox* NewDays(QWidget* parent, const char* name)
{
    auto* box = Named(new QSpinBox(parent), name);
    box->setRange(0, kMaxThresholdDays);
    return box;
}

bool Contains(const Variant& value, const std::string& fragment)
{
    return !value.IsNull() && value.AsString().find(fragment) != std::string::npos;
}

}  // namespace

ExceptionPage::ExceptionPage(QTabWidget& tabs, const MrpEngine& engine) : QWidget(&tabs), tabs(tabs), engine(engine)
{
    setObjectName("tsException");
    tabs.addTab(this, Text(kCaption));
    cmbExceptionKind = Named(new QComboBox(this), "cmbExceptionKind");
    cmbExceptionKind->addItem(Text(kAllKinds));
    for (MrpExceptionKind kind : MrpExceptionKinds()) cmbExceptionKind->addItem(Text(MrpExceptionCaption(kind)));
    edtExceptionGoods = Named(new QLineEdit(this), "edtExceptionGoods");
    edtExceptionGoods->setPlaceholderText(Text("编号或名称"));
    edtEarlyDays = NewDays(this, "edtEarlyDays");
    edtLateDays = NewDays(this, "edtLateDays");
    btnExceptionExcel = Named(new QPushButton(Text("导出Excel"), this), "btnExceptionExcel");

    FillMrpExceptionTable(cdsException, {});
    DBGrid6 = Named(new DbGrid(this), "DBGrid6");
    DBGrid6->SetDataSet(&cdsException);
    DBGrid6->SetSortOnTitleClick(false);
    DBGrid6->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid6->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const auto& [field, label] : {std::pair{"kind", "类型"},
                                       {"goodscode", "货品编号"},
                                       {"goodsname", "货品名称"},
                                       {"needdate", "日期"},
                                       {"quantity", "数量"},
                                       {"billname", "单据"},
                                       {"billcode", "单据编号"},
                                       {"itemno", "行号"},
                                       {"text", "说明"}})
        DBGrid6->AddColumn(field, label, std::string_view(field) == "text" ? 320 : 0).readOnly = true;
    DBGrid6->SetColumnFormat(4, NumberFormat::Quantity);

    auto* filter = new QHBoxLayout;
    filter->addWidget(new QLabel(Text("类型:"), this));
    filter->addWidget(cmbExceptionKind);
    filter->addWidget(new QLabel(Text("货品:"), this));
    filter->addWidget(edtExceptionGoods);
    filter->addWidget(new QLabel(Text("到货晚于需要超过(工作日):"), this));
    filter->addWidget(edtEarlyDays);
    filter->addWidget(new QLabel(Text("早于需要超过(工作日):"), this));
    filter->addWidget(edtLateDays);
    filter->addStretch();
    filter->addWidget(btnExceptionExcel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(DBGrid6);

    connect(cmbExceptionKind, &QComboBox::currentIndexChanged, this, [this] { ShowFiltered(); });
    connect(edtExceptionGoods, &QLineEdit::textChanged, this, [this] { ShowFiltered(); });
    for (QSpinBox* box : {edtEarlyDays, edtLateDays})
        connect(box, &QSpinBox::valueChanged, this, [this] { FindMessages(); });
    auto choose = [this] {
        if (const int goods = CurrentGoods(); goods != 0 && goodsChosen) goodsChosen(goods);
    };
    connect(DBGrid6, &QAbstractItemView::doubleClicked, this, choose);
    connect(DBGrid6, &QAbstractItemView::activated, this, choose);
}

ExceptionPage::~ExceptionPage()
{
    DBGrid6->SetDataSet(nullptr);
}

void ExceptionPage::Refresh()
{
    receipts = engine.ReadReceiptDocuments();
    FindMessages();
}

void ExceptionPage::FindMessages()
{
    messages = FindMrpExceptions(engine, receipts, Thresholds());
    UpdateTabText();
    ShowFiltered();
}

MrpExceptionThresholds ExceptionPage::Thresholds() const
{
    return {edtEarlyDays->value(), edtLateDays->value()};
}

void ExceptionPage::SetThresholds(const MrpExceptionThresholds& thresholds)
{
    for (QSpinBox* box : {edtEarlyDays, edtLateDays}) box->blockSignals(true);
    edtEarlyDays->setValue(thresholds.earlyDays);
    edtLateDays->setValue(thresholds.lateDays);
    for (QSpinBox* box : {edtEarlyDays, edtLateDays}) box->blockSignals(false);
}

int ExceptionPage::CurrentGoods()
{
    if (cdsException.IsEmpty()) return 0;
    const Field& goods = cdsException.FieldByName("goodsid");
    return goods.IsNull() ? 0 : static_cast<int>(goods.AsInteger());
}

void ExceptionPage::ShowFiltered()
{
    const std::string kind = cmbExceptionKind->currentIndex() > 0 ? cmbExceptionKind->currentText().toStdString() : "";
    const std::string goods = edtExceptionGoods->text().trimmed().toStdString();
    std::vector<MrpException> shown;
    for (const auto& m : messages) {
        if (!kind.empty() && MrpExceptionCaption(m.kind) != kind) continue;
        if (!goods.empty() && !Contains(LookupData(3, m.goodsid, "code"), goods) &&
            !Contains(LookupData(3, m.goodsid, "name"), goods))
            continue;
        shown.push_back(m);
    }
    cdsException.DisableControls();
    cdsException.EmptyDataSet();
    FillMrpExceptionTable(cdsException, shown);
    cdsException.First();
    cdsException.EnableControls();
}

void ExceptionPage::UpdateTabText()
{
    std::map<MrpExceptionKind, int> counts;
    for (const auto& m : messages) ++counts[m.kind];
    std::string text = kCaption;
    std::string parts;
    for (MrpExceptionKind kind : MrpExceptionKinds())
        if (counts[kind] > 0)
            parts += fmt::format("{}{} {}", parts.empty() ? "" : ", ", MrpExceptionCaption(kind), counts[kind]);
    if (!parts.empty()) text += " (" + parts + ")";
    tabs.setTabText(tabs.indexOf(this), Text(text));
}

}  // namespace mfg
