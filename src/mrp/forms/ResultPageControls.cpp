#include "ResultPageControls.h"

#include <QAbstractItemView>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>

#include "DbGrid.h"
#include "LookupCombo.h"
#include "MrpWorkbench.h"
#include "NamedControl.h"
#include "data/DataSet.h"
#include "host/Format.h"
#include "types/TextUtil.h"

namespace mfg {
namespace {

const ColumnList kGoodsColumns{
    {"goodscode", "货品编号"}, {"goodsname", "货品名称"}, {"specs", "规格"}, {"unitname", "单位"}};

//! Results are shown as the host formats them: the engine's fractions of a unit are no reading.
NumberFormat ResultFormat(std::string_view field)
{
    if (EqualsNoCase(field, "price")) return NumberFormat::Price;
    if (EqualsNoCase(field, "amount")) return NumberFormat::Amount;
    return NumberFormat::Quantity;
}

}  // namespace

QPushButton* NewButton(QWidget* parent, const char* name, const char* caption)
{
    return Named(new QPushButton(QString::fromUtf8(caption), parent), name);
}

QCheckBox* NewBox(QWidget* parent, const char* name, const char* caption, bool checked)
{
    auto* box = Named(new QCheckBox(QString::fromUtf8(caption), parent), name);
    box->setChecked(checked);
    return box;
}

QAction* NewAction(QMenu* menu, const char* name, const char* caption)
{
    auto* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    return action;
}

QLineEdit* NewLabelEdit(QWidget* parent, const char* name)
{
    auto* edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

// The period radio buttons "日", "周", "月" of a page, month chosen, after the label "工作历: ".
void AddGoodsFilter(QHBoxLayout& row, QWidget* page, LookupCombo* combo, QLineEdit* name, QLineEdit* specs)
{
    row.addWidget(new QLabel("货品:", page));
    row.addWidget(combo);
    row.addWidget(new QLabel("货品名称:", page));
    row.addWidget(name);
    row.addWidget(new QLabel("规格:", page));
    row.addWidget(specs);
}

void AddPeriodButtons(QHBoxLayout& row, QWidget* page, QRadioButton*& day, QRadioButton*& week, QRadioButton*& month,
                      const char* dayName, const char* weekName, const char* monthName)
{
    auto* group = new QButtonGroup(page);
    row.addWidget(new QLabel("工作历: ", page));
    day = Named(new QRadioButton("日", page), dayName);
    week = Named(new QRadioButton("周", page), weekName);
    month = Named(new QRadioButton("月", page), monthName);
    for (QRadioButton* button : {day, week, month}) {
        group->addButton(button);
        row.addWidget(button);
    }
    month->setChecked(true);
}

int PeriodOf(const QRadioButton& day, const QRadioButton& week)
{
    return day.isChecked() ? MrpPeriodDay : week.isChecked() ? MrpPeriodWeek : MrpPeriodMonth;
}

void CheckPeriod(QRadioButton& day, QRadioButton& week, QRadioButton& month, int period)
{
    (period == MrpPeriodDay ? day : period == MrpPeriodWeek ? week : month).setChecked(true);
}

ColumnList GoodsAnd(std::initializer_list<std::pair<const char*, const char*>> after, const char* first,
                    const char* firstLabel)
{
    ColumnList columns;
    if (first) columns.emplace_back(first, firstLabel);
    columns.insert(columns.end(), kGoodsColumns.begin(), kGoodsColumns.end());
    columns.insert(columns.end(), after.begin(), after.end());
    return columns;
}

DbGrid* NewResultGrid(QWidget* page, const char* name, DataSet& data, const ColumnList& columns)
{
    auto* grid = Named(new DbGrid(page), name);
    grid->SetDataSet(&data);
    grid->SetSortOnTitleClick(false);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const auto& [field, label] : columns) {
        DbGridColumn& column = grid->AddColumn(field, label);
        column.readOnly = true;
        column.checkBox = EqualsNoCase(field, "selected");
        if (data.FieldByName(field).DataType() == FieldType::Float)
            grid->SetColumnFormat(grid->ColumnCount() - 1, ResultFormat(field));
        if (EqualsNoCase(field, "price")) column.displayFormat = "0.########";
        if (EqualsNoCase(field, "amount")) column.displayFormat = "0.##";
        if (EqualsNoCase(field, "class")) column.alignment = Qt::AlignHCenter;
    }
    return grid;
}

LookupCombo* NewGoodsFilter(QWidget* page, const char* name, DataSet& goods)
{
    auto* combo = Named(new LookupCombo(page), name);
    combo->SetLookupDataSet(&goods);
    combo->SetKeyField("goodsid");
    combo->SetListField("goodscode");
    combo->AddDropDownColumn("goodscode", "货品编号");
    combo->AddDropDownColumn("goodsname", "货品名称");
    combo->AddDropDownColumn("specs", "规格");
    combo->SetTag(4);
    combo->SetActionButtons({"查找#", "置空"});
    return combo;
}

}  // namespace mfg
