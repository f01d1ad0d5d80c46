#pragma once

#include <QtCharts/QChartView>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace mfg {

class DataSet;

//! The funds projection drawn over its periods: the balance ("结存资金") and the margin over the
//! reserve ("充足+短缺-") as lines, so a shortage shows where the second line drops below zero.
class FundsChart : public QChartView {
public:
    explicit FundsChart(QWidget* parent = nullptr);

    //! Redraws from the rows of cdsBudget (fields Date, Onhand, Hardup).
    void Show(DataSet& budget);
    //! The number of points of the balance line.
    int PointCount() const;

private:
    // Made once and refilled: axes removed and added on every redraw left their old labels behind.
    QLineSeries* balance;
    QLineSeries* margin;
    QDateTimeAxis* dates;
    QValueAxis* amounts;
};

}  // namespace mfg
