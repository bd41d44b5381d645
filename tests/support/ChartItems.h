#ifndef MORVA_TESTS_SUPPORT_CHARTITEMS_H
#define MORVA_TESTS_SUPPORT_CHARTITEMS_H

// What a chart really draws as text, read from Qt Charts' own graphics items:
// every visible text item (axis labels, axis titles, legend entries) with its
// text's rectangle in the chart widget's pixels, and the axis labels sorted
// out by where they stand against the plotting area. legibilityFaults()
// lists what a reader would stumble over: axis labels or titles missing or
// elided, any text cut off by the chart's edge or overlapping another, and
// labels closer to a neighbour than their axis' label separation.

#include "controls/Chart.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QTextDocument>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace morva::test {

struct ShownText {
    QString text; // as drawn, without the invisible suffixes of repeated labels
    QRectF rect;  // chart widget pixels
};

struct ChartTexts {
    QRectF plot;
    QList<ShownText> all;
    QList<ShownText> bottomLabels; // left to right
    QList<ShownText> leftLabels;   // bottom to top
};

inline ChartTexts chartTexts(const chart::Chart &chart)
{
    QChartView *view = chart.view();
    const QTransform toViewport = view->viewportTransform();
    const QPointF offset = view->viewport()->mapTo(&chart, QPoint(0, 0));
    const auto toChart = [&](const QRectF &scene) {
        return toViewport.mapRect(scene).translated(offset);
    };
    ChartTexts texts;
    texts.plot = toChart(chart.qchart()->mapRectToScene(chart.qchart()->plotArea()));
    const QString bottomTitle = chart.bottomAxis()->title();
    const QString leftTitle = chart.leftAxis()->title();
    for (QGraphicsItem *item : view->scene()->items()) {
        if (item->type() != QGraphicsTextItem::Type || !item->isVisible())
            continue;
        auto *textItem = static_cast<QGraphicsTextItem *>(item);
        // The text's own rectangle: the item's less its document margins.
        const qreal margin = textItem->document()->documentMargin();
        const QRectF textRect = textItem->boundingRect().adjusted(margin, margin, -margin, -margin);
        ShownText shown{textItem->toPlainText().remove(QChar(0x200B)),
                        toChart(textItem->mapRectToScene(textRect))};
        if (shown.text.isEmpty())
            continue;
        texts.all.append(shown);
        const QPointF centre = shown.rect.center();
        const QRectF &plot = texts.plot;
        if (shown.text != bottomTitle && shown.rect.top() >= plot.bottom() - 1
            && centre.x() >= plot.left() - 1 && centre.x() <= plot.right() + 1)
            texts.bottomLabels.append(shown);
        else if (shown.text != leftTitle && shown.rect.right() <= plot.left() + 1
                 && centre.y() >= plot.top() - 1 && centre.y() <= plot.bottom() + 1)
            texts.leftLabels.append(shown);
    }
    std::sort(texts.bottomLabels.begin(), texts.bottomLabels.end(),
              [](const ShownText &a, const ShownText &b) { return a.rect.left() < b.rect.left(); });
    std::sort(texts.leftLabels.begin(), texts.leftLabels.end(),
              [](const ShownText &a, const ShownText &b) { return a.rect.top() > b.rect.top(); });
    return texts;
}

inline QStringList textsOf(const QList<ShownText> &shown)
{
    QStringList texts;
    for (const ShownText &s : shown)
        texts << s.text;
    return texts;
}

// Whether Qt Charts draws what the adapter chose (it lays the items out
// after a posted layout request).
inline bool labelsDrawn(const chart::Chart &chart)
{
    const ChartTexts texts = chartTexts(chart);
    return textsOf(texts.bottomLabels) == chart.bottomAxis()->labels()
           && textsOf(texts.leftLabels) == chart.leftAxis()->labels();
}

inline QString describe(const ShownText &shown)
{
    const QRectF &r = shown.rect;
    return QStringLiteral("\"%1\" [%2..%3 x %4..%5]")
        .arg(shown.text)
        .arg(r.left(), 0, 'f', 1)
        .arg(r.right(), 0, 'f', 1)
        .arg(r.top(), 0, 'f', 1)
        .arg(r.bottom(), 0, 'f', 1);
}

inline QStringList legibilityFaults(const chart::Chart &chart)
{
    QStringList faults;
    const ChartTexts texts = chartTexts(chart);
    const QString name = chart.objectName();
    if (textsOf(texts.bottomLabels) != chart.bottomAxis()->labels())
        faults << name + QStringLiteral(": bottom labels drawn ")
                      + textsOf(texts.bottomLabels).join(u' ') + QStringLiteral(", chosen ")
                      + chart.bottomAxis()->labels().join(u' ');
    if (textsOf(texts.leftLabels) != chart.leftAxis()->labels())
        faults << name + QStringLiteral(": left labels drawn ")
                      + textsOf(texts.leftLabels).join(u' ') + QStringLiteral(", chosen ")
                      + chart.leftAxis()->labels().join(u' ');
    // Labels drawn as chosen are whole; so must the titles be.
    for (const chart::Axis *axis : {chart.bottomAxis(), chart.leftAxis()}) {
        const QString title = axis->title();
        if (!title.isEmpty() && axis->titleShown() && !textsOf(texts.all).contains(title))
            faults << name + QStringLiteral(": title \"%1\" not drawn whole").arg(title);
    }
    const QRectF inside(QPointF(0, 0), QSizeF(chart.size()));
    for (qsizetype i = 0; i < texts.all.size(); ++i) {
        const ShownText &a = texts.all.at(i);
        if (!inside.contains(a.rect))
            faults << name + QStringLiteral(": cut off ") + describe(a);
        for (qsizetype j = i + 1; j < texts.all.size(); ++j) {
            const ShownText &b = texts.all.at(j);
            if (a.rect.intersected(b.rect).isValid())
                faults << name + QStringLiteral(": overlap ") + describe(a) + QStringLiteral(" ")
                              + describe(b);
        }
    }
    const auto gaps = [&](const QList<ShownText> &labels, int separation, bool across) {
        for (qsizetype i = 1; i < labels.size(); ++i) {
            const QRectF &before = labels.at(i - 1).rect;
            const QRectF &after = labels.at(i).rect;
            const double gap = across ? after.left() - before.right() : before.top() - after.bottom();
            if (gap < separation)
                faults << name + QStringLiteral(": gap %1 < %2 between ").arg(gap).arg(separation)
                              + describe(labels.at(i - 1)) + QStringLiteral(" ")
                              + describe(labels.at(i));
        }
    };
    gaps(texts.bottomLabels, chart.bottomAxis()->labelSeparation(), true);
    gaps(texts.leftLabels, chart.leftAxis()->labelSeparation(), false);
    return faults;
}

} // namespace morva::test

#endif
