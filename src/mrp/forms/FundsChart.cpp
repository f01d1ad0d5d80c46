#include "FundsChart.h"

#include <QDateTime>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

#include "data/DataSet.h"

namespace mfg {
namespace {

qint64 Milliseconds(DateTime date)
{
    return QDateTime(QDate(date.Year(), date.Month(), date.Day()), QTime()).toMSecsSinceEpoch();
}

QLineSeries* NewSeries(QChart& chart, const char* name)
{
    auto* series = new QLineSeries(&chart);
    series->setName(QString::fromUtf8(name));
    series->setPointsVisible(true);
    chart.addSeries(series);
    return series;
}

}  // namespace

FundsChart::FundsChart(QWidget* parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    QChart& drawn = *chart();
    drawn.legend()->setAlignment(Qt::AlignBottom);
    setMinimumHeight(220);
    balance = NewSeries(drawn, "结存资金");
    margin = NewSeries(drawn, "充足+短缺-");
    dates = new QDateTimeAxis(&drawn);
    dates->setFormat("yyyy-MM-dd");
    amounts = new QValueAxis(&drawn);
    amounts->setLabelFormat("%.0f");
    drawn.addAxis(dates, Qt::AlignBottom);
    drawn.addAxis(amounts, Qt::AlignLeft);
    for (QLineSeries* series : {balance, margin}) {
        series->attachAxis(dates);
        series->attachAxis(amounts);
    }
    // Without a projection there are no dates to show.
    dates->setVisible(false);
    amounts->setVisible(false);
}

void FundsChart::Show(DataSet& budget)
{
    QList<QPointF> onhandPoints, hardupPoints;
    double low = 0, high = 0;
    for (budget.First(); !budget.Eof(); budget.Next()) {
        const auto x = static_cast<qreal>(Milliseconds(budget.FieldByName("Date").AsDateTime()));
        const double onhand = budget.FieldByName("Onhand").AsFloat();
        const double hardup = budget.FieldByName("Hardup").AsFloat();
        onhandPoints.append({x, onhand});
        hardupPoints.append({x, hardup});
        low = std::min({low, onhand, hardup});
        high = std::max({high, onhand, hardup});
    }
    budget.First();
    balance->replace(onhandPoints);
    margin->replace(hardupPoints);
    dates->setVisible(!onhandPoints.isEmpty());
    amounts->setVisible(!onhandPoints.isEmpty());
    if (onhandPoints.isEmpty()) return;
    dates->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(onhandPoints.front().x())),
                    QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(onhandPoints.back().x())));
    dates->setTickCount(std::clamp(static_cast<int>(onhandPoints.size()), 2, 8));
    amounts->setRange(low, high > low ? high : low + 1);
    amounts->applyNiceNumbers();
}

int FundsChart::PointCount() const
{
    return static_cast<int>(balance->count());
}

}  // namespace mfg
