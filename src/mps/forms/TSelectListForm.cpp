#include "TSelectListForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DatePicker.h"
#include "DbGrid.h"
#include "FormControls.h"
#include "LookupCombo.h"
#include "RowSelection.h"
#include "SelectionFilters.h"
#include "host/Host.h"
#include "host/LookupCache.h"

namespace mfg {
namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

//! A look-up combo over a host data source, keyed by `keyField`, showing code and name.
LookupCombo* NewCombo(QWidget* parent, const char* name, const char* dataSource, const char* keyField)
{
    auto* combo = Named(new LookupCombo(parent), name);
    combo->SetLookupDataSet(&FindLookupDataSource(dataSource));
    combo->SetKeyField(keyField);
    combo->SetListField("Name");
    combo->AddDropDownColumn("Code", "编码");
    combo->AddDropDownColumn("Name", "名称");
    return combo;
}

std::optional<int> ComboKey(const LookupCombo& combo)
{
    if (combo.Value().IsNull() || combo.Value().AsInteger() < 0) return std::nullopt;
    return static_cast<int>(combo.Value().AsInteger());
}

}  // namespace

TSelectListForm::TSelectListForm(std::string_view formName, const char* caption, std::string baseSql,
                                 const char* goodsComboName, const char* releasedCaption, QWidget* parent)
    : TManuRootForm(formName, parent), list(std::move(baseSql))
{
    setWindowTitle(caption);
    SetDefaultSize(1180, 560);
    auto [first, last] = MonthRange(DateTime::Now());
    DateTimePicker1 = Named(new DatePicker(this), "DateTimePicker1");
    DateTimePicker2 = Named(new DatePicker(this), "DateTimePicker2");
    DateTimePicker1->SetDate(first);
    DateTimePicker2->SetDate(last);
    goodsCombo = NewCombo(this, goodsComboName, "dsGoods", "GoodsID");
    goodsCombo->SetDropDownFilter("Kind = 2 or Kind = 3");
    goodsCombo->SetTag(4);
    goodsCombo->SetActionButtons({"查找#", "置空"});
    // No goods chosen reads as every goods.
    if (auto* text = goodsCombo->findChild<QLineEdit*>()) text->setPlaceholderText("全部");
    OpenLookupDataSet("qryGoods");
    Edit1 = Named(new QLineEdit(this), "Edit1");
    Edit2 = Named(new QLineEdit(this), "Edit2");
    Edit1->setReadOnly(true);
    Edit2->setReadOnly(true);
    btnFilter = Named(new QPushButton("过滤", this), "btnFilter");
    chkReleased = Named(new QCheckBox(releasedCaption, this), "chkReleased");
    btnOK = Named(new QPushButton("确定", this), "btnOK");
    btnCancel = Named(new QPushButton("取消", this), "btnCancel");
    btn1 = Named(new QPushButton("全选", this), "btn1");
    btn2 = Named(new QPushButton("反选", this), "btn2");
    btn3 = Named(new QPushButton("全清", this), "btn3");
    DBGrid1 = Named(new DbGrid(this), "DBGrid1");

    auto* group = new QGroupBox("过滤", this);
    filterLayout = new QGridLayout(group);
    AddLabelled(*filterLayout, "起始日期:", DateTimePicker1, 0, 0);
    AddLabelled(*filterLayout, "终止日期:", DateTimePicker2, 0, 2);
    AddLabelled(*filterLayout, "货品编号:", goodsCombo, 1, 0);
    AddLabelled(*filterLayout, "货品名称:", Edit1, 1, 2);
    AddLabelled(*filterLayout, "规格:", Edit2, 1, 4);
    filterLayout->addWidget(chkReleased, 3, 0, 1, 3);
    filterLayout->addWidget(btnFilter, 3, 5);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {btn1, btn2, btn3}) buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(DBGrid1);
    layout->addLayout(buttons);

    DBGrid1->SetDataSet(&cdsList());
    DBGrid1->SetSortOnTitleClick(false);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto& tick = DBGrid1->AddColumn("selected", "选择", 40);
    tick.checkBox = true;
    tick.readOnly = true;
    titles.emplace_back("选择");
    GoodsChange();

    connect(btnFilter, &QPushButton::clicked, this, [this] { btnFilterClick(); });
    connect(goodsCombo, &LookupCombo::Changed, this, [this] { GoodsChange(); });
    connect(DBGrid1, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { DBGrid1CellClick(index.column()); });
    connect(DBGrid1, &DbGrid::TitleClick, this, [this](int column) { DBGrid1TitleClick(column); });
    connect(btnOK, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    connect(btn1, &QPushButton::clicked, this, [this] { SelectAllRows(cdsList()); });
    connect(btn2, &QPushButton::clicked, this, [this] { InvertRows(cdsList()); });
    connect(btn3, &QPushButton::clicked, this, [this] { ClearAllRows(cdsList()); });
}

TSelectListForm::~TSelectListForm() { DBGrid1->SetDataSet(nullptr); }

void TSelectListForm::AddColumns(const std::vector<std::pair<const char*, const char*>>& columns)
{
    for (const auto& [field, title] : columns) {
        DBGrid1->AddColumn(field, title).readOnly = true;
        titles.emplace_back(title);
    }
}

std::optional<int> TSelectListForm::ChosenGoods() const { return ComboKey(*goodsCombo); }

bool TSelectListForm::DatesInOrder() const { return CheckFilterDates(DateTimePicker1->Date(), DateTimePicker2->Date()); }

void TSelectListForm::btnFilterClick()
{
    if (DatesInOrder()) Reload();
}

void TSelectListForm::DBGrid1CellClick(int column)
{
    if (column == 0) list.ToggleSelected();
}

void TSelectListForm::DBGrid1TitleClick(int column)
{
    if (column <= 0) return;
    list.SortBy(DBGrid1->Column(column).fieldName);
    ShowTitles();
}

void TSelectListForm::ShowTitles()
{
    for (int i = 1; i < DBGrid1->ColumnCount(); ++i) {
        DbGridColumn& column = DBGrid1->Column(i);
        column.title = list.TitleText(column.fieldName, titles[static_cast<size_t>(i)]);
        DBGrid1->Model().ColumnChanged(i);
    }
}

void TSelectListForm::GoodsChange()
{
    auto goods = ChosenGoods();
    Edit1->setText(goods ? Text(LookupData(3, *goods, "name").AsString()) : QString("全部货品"));
    Edit2->setText(goods ? Text(LookupData(3, *goods, "specs").AsString()) : QString("全部"));
}

TSelectPlanForm::TSelectPlanForm(QWidget* parent)
    : TSelectListForm("TSelectPlanForm", "选择主生产计划单", kPlanListSql, "QxDBLkupGridCombo1",
                      "包括计划数量已下达完成", parent)
{
    AddColumns({{"billdate", "单据日期"}, {"billcode", "单据编号"}, {"finishdate", "完工日期"},
                {"goodsname", "货品名称"}, {"goodscode", "货品编码"}, {"specs", "规格"}, {"unitname", "单位"},
                {"quantity", "计划数量"}, {"releasedqty", "已下达数量"}});
    Reload();
}

void TSelectListForm::FillFilter(PlanFilter& filter) const
{
    filter.begDate = DateTimePicker1->Date();
    filter.endDate = DateTimePicker2->Date();
    filter.goodsId = ChosenGoods();
    filter.includeReleased = chkReleased->isChecked();
}

void TSelectPlanForm::Reload()
{
    PlanFilter filter;
    FillFilter(filter);
    Selection().Reload(PlanListConditions(filter, CurrentHost().ShopID()));
}

TSelectSOrderForm::TSelectSOrderForm(QWidget* parent)
    : TSelectListForm("TSelectSOrderForm", "选择销售订单", kSalesOrderListSql, "cmdGoods", "包括数量已下达完成", parent)
{
    cmbTrade = NewCombo(this, "cmbTrade", "dsTrader", "TraderID");
    OpenLookupDataSet("qryTrader");
    Edit3 = Named(new QLineEdit(this), "Edit3");
    chkShopID = Named(new QCheckBox("显示全部分支机构", this), "chkShopID");
    AddLabelled(FilterLayout(), "客户:", cmbTrade, 2, 0);
    AddLabelled(FilterLayout(), "订单号:", Edit3, 2, 2);
    FilterLayout().addWidget(chkShopID, 3, 3);
    AddColumns({{"billdate", "单据日期"}, {"billcode", "单据编号"}, {"revdate", "交货日期"}, {"tradername", "客户"},
                {"goodsname", "货品名称"}, {"goodscode", "货品编码"}, {"specs", "规格"}, {"unitname", "单位"},
                {"quantity", "订单数量"}, {"refunitqty", "下达数量"}, {"canuseqty", "未下达数量"},
                {"shopname", "分支机构"}, {"remark", "备注"}});
    chkShopIDClick();
    connect(chkShopID, &QCheckBox::clicked, this, [this] { chkShopIDClick(); });
}

void TSelectSOrderForm::FormShow()
{
    TSelectListForm::FormShow();
    Reload();
}

void TSelectSOrderForm::Reload()
{
    SalesOrderFilter filter;
    FillFilter(filter);
    filter.traderId = ComboKey(*cmbTrade);
    filter.allShops = chkShopID->isChecked();
    filter.billCode = Edit3->text().toStdString();
    Selection().Reload(SalesOrderListConditions(filter, CurrentHost().ShopID()));
}

void TSelectSOrderForm::chkShopIDClick()
{
    cmbTrade->SetDropDownFilter(CustomerFilter(chkShopID->isChecked(), CurrentHost().ShopID()));
}

}  // namespace mfg
