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
    chart()->legend()->setAlignment(Qt::AlignBottom);
    setMinimumHeight(220);
}

void FundsChart::Show(DataSet& budget)
{
    QChart& drawn = *chart();
    drawn.removeAllSeries();
    for (QAbstractAxis* axis : drawn.axes()) drawn.removeAxis(axis);
    QLineSeries* balance = NewSeries(drawn, "结存资金");
    QLineSeries* margin = NewSeries(drawn, "充足+短缺-");
    double low = 0, high = 0;
    for (budget.First(); !budget.Eof(); budget.Next()) {
        const qint64 x = Milliseconds(budget.FieldByName("Date").AsDateTime());
        const double onhand = budget.FieldByName("Onhand").AsFloat();
        const double hardup = budget.FieldByName("Hardup").AsFloat();
        balance->append(static_cast<qreal>(x), onhand);
        margin->append(static_cast<qreal>(x), hardup);
        low = std::min({low, onhand, hardup});
        high = std::max({high, onhand, hardup});
    }
    budget.First();
    auto* dates = new QDateTimeAxis(&drawn);
    dates->setFormat("yyyy-MM-dd");
    auto* amounts = new QValueAxis(&drawn);
    if (balance->count() > 0)
        dates->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(balance->at(0).x())),
                        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(balance->at(balance->count() - 1).x())));
    amounts->setLabelFormat("%.0f");
    amounts->setRange(low, high > low ? high : low + 1);
    amounts->applyNiceNumbers();
    drawn.addAxis(dates, Qt::AlignBottom);
    drawn.addAxis(amounts, Qt::AlignLeft);
    for (QLineSeries* series : {balance, margin}) {
        series->attachAxis(dates);
        series->attachAxis(amounts);
    }
}

int FundsChart::PointCount() const
{
    const auto series = chart()->series();
    return series.isEmpty() ? 0 : static_cast<int>(static_cast<QLineSeries*>(series.front())->count());
}

}  // namespace mfg
