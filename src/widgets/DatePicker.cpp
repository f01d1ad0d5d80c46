#include "DatePicker.h"

#include <QCalendarWidget>

namespace mfg {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDisplayFormat("yyyy-MM-dd");
    calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    calendarWidget()->setLocale(QLocale(QLocale::Chinese, QLocale::China));
}

DateTime DatePicker::Date() const { return FromQDate(date()); }

void DatePicker::SetDate(DateTime value) { setDate(ToQDate(value)); }

QDate ToQDate(DateTime value)
{
    DateTime day = value.Date();
    return QDate(day.Year(), day.Month(), day.Day());
}

DateTime FromQDate(const QDate& value) { return DateTime::FromYmd(value.year(), value.month(), value.day()); }

}  // namespace mfg
