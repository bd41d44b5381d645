#ifndef MORVA_TESTS_SUPPORT_CHARTPROBE_H
#define MORVA_TESTS_SUPPORT_CHARTPROBE_H

// What a user sees of a chart that the adapter does not say itself:
// - pixelOf(chart, value): the chart pixel of an axis value, by searching the
//   pixel columns and rows whose readout is nearest to it (so it goes through
//   the adapter's own pixel-to-value lookup);
// - legendShows(chart, series): whether the series has a visible legend
//   entry, and legendLabel(chart, series) its text.

#include "controls/Chart.h"

#include <QAbstractSeries>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QPoint>
#include <QPointF>

#include <cmath>

namespace morva::test {

inline QPoint pixelOf(const chart::Chart *chart, QPointF value)
{
    const QRect plot = chart->plotRect();
    QPoint best = plot.topLeft();
    for (int x = plot.left(); x <= plot.right(); ++x) {
        if (std::abs(chart->bottomValueAt(x) - value.x())
            < std::abs(chart->bottomValueAt(best.x()) - value.x()))
            best.setX(x);
    }
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        if (std::abs(chart->leftValueAt(y) - value.y())
            < std::abs(chart->leftValueAt(best.y()) - value.y()))
            best.setY(y);
    }
    return best;
}

inline QLegendMarker *legendMarkerOf(const chart::Chart *chart, const chart::Series *series)
{
    const QList<QAbstractSeries *> all = chart->qchart()->series();
    for (QAbstractSeries *candidate : all) {
        if (candidate->objectName() == series->name())
            return chart->qchart()->legend()->markers(candidate).value(0);
    }
    return nullptr;
}

inline bool legendShows(const chart::Chart *chart, const chart::Series *series)
{
    const QLegendMarker *marker = legendMarkerOf(chart, series);
    return marker && marker->isVisible();
}

inline QString legendLabel(const chart::Chart *chart, const chart::Series *series)
{
    const QLegendMarker *marker = legendMarkerOf(chart, series);
    return marker ? marker->label() : QString();
}

} // namespace morva::test

#endif
