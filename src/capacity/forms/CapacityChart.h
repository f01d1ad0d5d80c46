#pragma once

#include <QChartView>
#include <QStringList>

#include <vector>

#include "CapacityPlanner.h"

class QBarCategoryAxis;
class QBarSet;
class QValueAxis;

namespace mfg {

//! The load of a result against its capacity, one group of bars per period: the planned capacity,
//! the load (open orders and planned products together) and, in red, what exceeds the capacity.
//! An overloaded period's label starts with "▲", so that it shows even where the bars are thin.
class CapacityChart : public QChartView {
public:
    explicit CapacityChart(QWidget* parent = nullptr);

    //! Draws the periods of a result under a title.
    void SetRows(const std::vector<DayLoad>& rows, CapacityPeriod period, const QString& title);
    //! Removes the bars, leaving the title (a reason, when there is nothing to draw).
    void Clear(const QString& title = {});

    //! The period labels as drawn, overloaded ones marked.
    const QStringList& Periods() const { return periods; }
    //! The labels of the periods whose load exceeds their capacity.
    QStringList OverloadedPeriods() const;
    //! The bars' values by set: 0 capacity, 1 load, 2 excess.
    std::vector<double> Values(int set) const;

private:
    QStringList periods;
    std::vector<QBarSet*> sets;
    // Made once: axes removed and added on every switch of the period left their labels behind.
    QBarCategoryAxis* categories;
    QValueAxis* hours;
};

}  // namespace mfg
