#pragma once

#include <QDateEdit>

#include "types/DateTime.h"

namespace mfg {

//! The date picker of the screens: a date edit with a drop-down calendar, read and set as the
//! host's whole-day DateTime.
class DatePicker : public QDateEdit {
    Q_OBJECT

public:
    explicit DatePicker(QWidget* parent = nullptr);

    DateTime Date() const;
    //! Sets the day; the time part is dropped.
    void SetDate(DateTime value);
};

//! A host date as a QDate.
QDate ToQDate(DateTime value);
//! A QDate as a host date.
DateTime FromQDate(const QDate& value);

}  // namespace mfg
