#include "CapacityChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

#include <algorithm>

namespace mfg {
namespace {

constexpr const char* kOverloadMark = "▲";

QString PeriodLabel(DateTime date, CapacityPeriod period)
{
    return QString::fromStdString(date.Format(period == CapacityPeriod::Month ? "yyyy-mm" : "mm-dd"));
}

}  // namespace

CapacityChart::CapacityChart(QWidget* parent) : QChartView(new QChart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    categories = new QBarCategoryAxis(chart());
    categories->setLabelsAngle(-90);
    // A period label is a date; cut to "…" it tells nothing.
    categories->setTruncateLabels(false);
    hours = new QValueAxis(chart());
    hours->setTitleText("小时");
    chart()->addAxis(categories, Qt::AlignBottom);
    chart()->addAxis(hours, Qt::AlignLeft);
    Clear();
}

void CapacityChart::Clear(const QString& title)
{
    chart()->removeAllSeries();
    categories->clear();
    hours->setRange(0, 1);
    chart()->setTitle(title);
    periods.clear();
    sets.clear();
}

void CapacityChart::SetRows(const std::vector<DayLoad>& rows, CapacityPeriod period, const QString& title)
{
    Clear(title);
    auto* series = new QBarSeries;
    for (auto [caption, colour] : {std::pair{"计划产能", QColor(70, 130, 180)},
                                   {"实际负荷", QColor(60, 160, 90)},
                                   {"超负荷", QColor(210, 40, 40)}}) {
        auto* set = new QBarSet(caption);
        set->setColor(colour);
        series->append(set);
        sets.push_back(set);
    }
    double top = 0;
    for (const DayLoad& row : rows) {
        sets[0]->append(row.planCapacity);
        sets[1]->append(row.factCapacity);
        sets[2]->append(row.excess);
        top = std::max({top, row.planCapacity, row.factCapacity});
        QString label = PeriodLabel(row.date, period);
        periods << (row.excess > 0 ? kOverloadMark + label : label);
    }
    chart()->addSeries(series);
    categories->append(periods);
    series->attachAxis(categories);
    hours->setRange(0, top > 0 ? top * 1.1 : 1);
    series->attachAxis(hours);
}

QStringList CapacityChart::OverloadedPeriods() const
{
    QStringList overloaded;
    for (const QString& label : periods)
        if (label.startsWith(kOverloadMark)) overloaded << label.mid(QString(kOverloadMark).size());
    return overloaded;
}

std::vector<double> CapacityChart::Values(int set) const
{
    std::vector<double> values;
    if (set < 0 || set >= static_cast<int>(sets.size())) return values;
    for (int i = 0; i < sets[static_cast<size_t>(set)]->count(); ++i)
        values.push_back(sets[static_cast<size_t>(set)]->at(i));
    return values;
}

}  // namespace mfg
