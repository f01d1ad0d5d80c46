#include "TWorkCalendarForm.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "NamedControl.h"
#include "QtDialogs.h"
#include "TWorkCalendar_SetForm.h"
#include "WorkCalendar.h"
#include "host/Dialogs.h"
#include "host/Users.h"

namespace mfg {
namespace {

//! The calendar reaches two years ahead before the first month is read.
MonthSheet ExtendedSheet()
{
    ExtendCalendar();
    return MonthSheet();
}

//! Draws the selected day with a frame over its own colour: a solid selection would hide the
//! yellow of a rest day, and a toggle would show no change.
class OutlinedSelection : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain(option);
        bool selected = plain.state & QStyle::State_Selected;
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        if (!selected) return;
        painter->save();
        painter->setPen(QPen(option.palette.highlight().color(), 3));
        painter->drawRect(option.rect.adjusted(2, 2, -2, -2));
        painter->restore();
    }
};

}  // namespace

TWorkCalendarForm::TWorkCalendarForm(QWidget* parent)
    : TManuRootForm("TWorkCalendarForm", parent), sheet(ExtendedSheet())
{
    setWindowTitle("工厂日历");
    SetDefaultSize(640, 500);
    auto* layout = new QVBoxLayout(this);

    PrevMonthBtn = Named(new QPushButton("上一月", this), "PrevMonthBtn");
    NextMonthBtn = Named(new QPushButton("下一月", this), "NextMonthBtn");
    lblYear = Named(new QLabel(this), "lblYear");
    UpDownYear = Named(new QSpinBox(this), "UpDownYear");
    lblMonth = Named(new QLabel(this), "lblMonth");
    UpDownMonth = Named(new QSpinBox(this), "UpDownMonth");
    // Their captions stand after them, beside the numbers they change.
    UpDownYear->setAccessibleName("年");
    UpDownMonth->setAccessibleName("月");
    UpDownYear->setRange(sheet.MinYear(), sheet.MaxYear());
    UpDownMonth->setRange(1, 12);
    for (QSpinBox* upDown : {UpDownYear, UpDownMonth}) {
        upDown->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
        upDown->setFixedWidth(22);
        upDown->setStyleSheet("QSpinBox { color: transparent; selection-color: transparent; }");
    }
    auto* bar = new QHBoxLayout;
    bar->addWidget(PrevMonthBtn);
    bar->addStretch();
    bar->addWidget(lblYear);
    bar->addWidget(UpDownYear);
    bar->addWidget(new QLabel("年", this));
    bar->addWidget(lblMonth);
    bar->addWidget(UpDownMonth);
    bar->addWidget(new QLabel("月", this));
    bar->addStretch();
    bar->addWidget(NextMonthBtn);
    layout->addLayout(bar);

    StringGrid1 = Named(new QTableWidget(MonthSheet::RowCount, MonthSheet::ColumnCount, this), "StringGrid1");
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setMinimumSize(7 * 64, 7 * 32);
    StringGrid1->setItemDelegate(new OutlinedSelection(StringGrid1));
    StringGrid1->installEventFilter(this);
    layout->addWidget(StringGrid1, 1);

    Label1 = Named(new QLabel("双击或空格键设置/取消休息状态", this), "Label1");
    btnSetUp = Named(new QPushButton("快速设置", this), "btnSetUp");
    Button1 = Named(new QPushButton("关闭(&C)", this), "Button1");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1);
    buttons->addStretch();
    buttons->addWidget(btnSetUp);
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    connect(PrevMonthBtn, &QPushButton::clicked, this, [this] { PrevMonthBtnClick(); });
    connect(NextMonthBtn, &QPushButton::clicked, this, [this] { NextMonthBtnClick(); });
    connect(UpDownYear, &QSpinBox::valueChanged, this, [this] { UpDownYearClick(); });
    connect(UpDownMonth, &QSpinBox::valueChanged, this, [this] { UpDownMonthClick(); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });
    connect(btnSetUp, &QPushButton::clicked, this, [this] { btnSetupClick(); });
    connect(Button1, &QPushButton::clicked, this, [this] { close(); });
    ShowMonth();
}

void TWorkCalendarForm::ShowMonth()
{
    showing = true;
    UpDownYear->setValue(sheet.Year());
    UpDownMonth->setValue(sheet.Month());
    showing = false;
    // The day selected in the last month is not a day of this one: a stray space must not
    // toggle a day nobody clicked.
    if (lblYear->text() != QString::number(sheet.Year()) || lblMonth->text() != QString::number(sheet.Month())) {
        StringGrid1->setCurrentCell(-1, -1);
        StringGrid1->clearSelection();
    }
    lblYear->setText(QString::number(sheet.Year()));
    lblMonth->setText(QString::number(sheet.Month()));
    for (int row = 0; row < MonthSheet::RowCount; ++row)
        for (int column = 0; column < MonthSheet::ColumnCount; ++column) StringGrid1DrawCell(row, column);
}

void TWorkCalendarForm::StringGrid1DrawCell(int row, int column)
{
    QTableWidgetItem* item = StringGrid1->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        StringGrid1->setItem(row, column, item);
    }
    if (row == 0) {
        item->setText(ToQString(MonthSheet::WeekdayNames()[static_cast<std::size_t>(column)]));
        item->setBackground(palette().button());
        item->setFont(QFont("宋体"));
        return;
    }
    const MonthSheet::Cell& cell = sheet.At(row, column);
    item->setText(cell.day == 0 ? QString() : QString::number(cell.day));
    item->setBackground(cell.day != 0 && cell.isHoliday ? QColor(Qt::yellow) : QColor(Qt::white));
}

void TWorkCalendarForm::UpDownYearClick()
{
    if (showing) return;
    sheet.ShowYear(UpDownYear->value());
    ShowMonth();
}

void TWorkCalendarForm::UpDownMonthClick()
{
    if (showing) return;
    sheet.ShowMonth(UpDownMonth->value());
    ShowMonth();
}

void TWorkCalendarForm::PrevMonthBtnClick()
{
    if (sheet.PrevMonth()) ShowMonth();
}

void TWorkCalendarForm::NextMonthBtnClick()
{
    if (sheet.NextMonth()) ShowMonth();
}

void TWorkCalendarForm::StringGrid1DblClick()
{
    int row = StringGrid1->currentRow(), column = StringGrid1->currentColumn();
    try {
        if (!sheet.Toggle(row, column)) return;
    } catch (const std::exception& error) {
        ShowMonth();
        ShowError(error);
        return;
    }
    StringGrid1DrawCell(row, column);
}

void TWorkCalendarForm::btnSetupClick()
{
    if (!HasAppendPrivilege(WorkCalendarPrivilege)) return;
    TWorkCalendar_SetForm dialog(this);
    try {
        if (dialog.ShowModal() == mrOk) ApplyQuickSetting(dialog.Setting(), dialog.Holidays());
    } catch (const std::exception& error) {
        ShowError(error);
    }
    sheet.Load();
    ShowMonth();
}

bool TWorkCalendarForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        StringGrid1DblClick();
        return true;
    }
    return TManuRootForm::eventFilter(watched, event);
}

MFG_REGISTER_SCREEN(TWorkCalendarForm);

}  // namespace mfg
