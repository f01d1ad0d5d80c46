#include "TWorkCalendar_SetForm.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "DatePicker.h"
#include "DbGrid.h"
#include "MonthSheet.h"
#include "NamedControl.h"
#include "QtDialogs.h"

namespace mfg {
namespace {

constexpr std::array<const char*, 7> BoxNames{"chkSun", "chkMon", "chkTue", "chkWed", "chkThu", "chkFri", "chkSat"};

}  // namespace

TWorkCalendar_SetForm::TWorkCalendar_SetForm(QWidget* parent)
    : TManuRootForm("TWorkCalendar_SetForm", parent), IBCDSTmp(CreateHolidayRows())
{
    setWindowTitle("工厂日历 - 快速设置");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    SetDefaultSize(420, 460);
    auto* layout = new QGridLayout(this);

    dtpBeg = Named(new DatePicker(this), "dtpBeg");
    dtpEnd = Named(new DatePicker(this), "dtpEnd");
    dtpBeg->setAccessibleName("起始日期");
    dtpEnd->setAccessibleName("终止日期");
    auto* dates = new QHBoxLayout;
    dates->addWidget(dtpBeg);
    dates->addWidget(new QLabel("-", this));
    dates->addWidget(dtpEnd);
    layout->addWidget(new QLabel("日期：", this), 0, 0);
    layout->addLayout(dates, 0, 1);

    auto* boxes = new QGridLayout;
    for (std::size_t i = 0; i < restDayBoxes.size(); ++i) {
        restDayBoxes[i] = Named(new QCheckBox(ToQString(MonthSheet::WeekdayNames()[i]), this), BoxNames[i]);
        boxes->addWidget(restDayBoxes[i], static_cast<int>(i / 4), static_cast<int>(i % 4));
    }
    layout->addWidget(new QLabel("公休日：", this), 1, 0, Qt::AlignTop);
    layout->addLayout(boxes, 1, 1);

    QxDBGrid1 = Named(new DbGrid(this), "QxDBGrid1");
    // A cell refuses only what is no whole number; a month or day outside the calendar is told at 确定.
    QxDBGrid1->SetDataSet(IBCDSTmp.get());
    QxDBGrid1->AddColumn("Month", "月", 60);
    QxDBGrid1->AddColumn("Day", "日", 60);
    QxDBGrid1->SetSortOnTitleClick(false);
    QxDBGrid1->SetAllowAppend(true);
    N1 = Named(new QAction("新增记录", QxDBGrid1), "N1");
    N2 = Named(new QAction("删除记录", QxDBGrid1), "N2");
    QxDBGrid1->addAction(N1);
    QxDBGrid1->addAction(N2);
    QxDBGrid1->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(N1, &QAction::triggered, this, [this] { N1Click(); });
    connect(N2, &QAction::triggered, this, [this] { N2Click(); });
    layout->addWidget(new QLabel("节假日：", this), 2, 0, Qt::AlignTop);
    layout->addWidget(QxDBGrid1, 2, 1);

    btnOk = Named(new QPushButton("确定(&A)", this), "btnOk");
    btnCancel = Named(new QPushButton("取消(&C)", this), "btnCancel");
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons, 3, 0, 1, 2);

    FormCreate();
}

TWorkCalendar_SetForm::~TWorkCalendar_SetForm()
{
    QxDBGrid1->SetDataSet(nullptr);
}

void TWorkCalendar_SetForm::FormCreate()
{
    auto preset = PrepareQuickSetting(*IBCDSTmp);
    if (preset.calendarRange) {
        for (DatePicker* picker : {dtpBeg, dtpEnd})
            picker->setDateRange(ToQDate(preset.calendarRange->first), ToQDate(preset.calendarRange->second));
    }
    if (preset.begin) dtpBeg->SetDate(*preset.begin);
    if (preset.end) dtpEnd->SetDate(*preset.end);
    for (std::size_t i = 0; i < restDayBoxes.size(); ++i) restDayBoxes[i]->setChecked(preset.restDays[i]);
}

QuickSetting TWorkCalendar_SetForm::Setting() const
{
    QuickSetting setting{dtpBeg->Date(), dtpEnd->Date(), {}};
    for (std::size_t i = 0; i < restDayBoxes.size(); ++i) setting.restDays[i] = restDayBoxes[i]->isChecked();
    return setting;
}

void TWorkCalendar_SetForm::N1Click()
{
    DataSet& rows = *IBCDSTmp;
    rows.Last();
    bool lastIsBlank = !rows.IsEmpty() && rows.FieldByName("Month").IsNull() && rows.FieldByName("Day").IsNull();
    if (!lastIsBlank) rows.Append();
    QxDBGrid1->setFocus();
}

void TWorkCalendar_SetForm::N2Click()
{
    if (!IBCDSTmp->IsEmpty()) IBCDSTmp->Delete();
}

void TWorkCalendar_SetForm::btnOKClick()
{
    IBCDSTmp->Post();
    switch (CheckQuickSetting(Setting(), *IBCDSTmp)) {
        case QuickSettingCheck::Accepted:
            SetModalResult(mrOk);
            break;
        case QuickSettingCheck::BadMonth:
        case QuickSettingCheck::BadDay:
            QxDBGrid1->setFocus();
            break;
        case QuickSettingCheck::EndBeforeStart:
        case QuickSettingCheck::AllRestDeclined:
            break;
    }
}

void TWorkCalendar_SetForm::btnCancelClick()
{
    SetModalResult(mrCancel);
}

}  // namespace mfg
