// The chart adapter: axis label pictures, automatic ranges, labels thinned to
// keep their separation, pixel-to-value at the plotting rectangle, refills
// through commit(), legend flags, point order, the mouse-move signal and the
// zoom gestures. Each case reads State / Action / Expected in its
// row or function name.

#include "controls/Chart.h"
#include "tests/support/ChartItems.h"
#include "tests/support/GuiFixture.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QWheelEvent>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QXYSeries>

#include <algorithm>
#include <memory>

using morva::test::GuiFixture;
using namespace morva::chart;

namespace {

QXYSeries *qseriesOf(const Chart &chart, const QString &name)
{
    for (QAbstractSeries *series : chart.qchart()->series()) {
        if (series->objectName() == name)
            return qobject_cast<QXYSeries *>(series);
    }
    return nullptr;
}

// A wheel turned by `notches` over `pos` of the chart.
void turnWheel(Chart &chart, QPoint pos, int notches)
{
    QWidget *viewport = chart.view()->viewport();
    const QPointF at = viewport->mapFrom(&chart, pos);
    QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
}

QCategoryAxis *qaxis(const Chart &chart, Qt::Alignment alignment)
{
    const QList<QAbstractAxis *> axes = chart.qchart()->axes(
        alignment == Qt::AlignBottom ? Qt::Horizontal : Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis *>(axes.first());
}

} // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture = std::make_unique<GuiFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void axisLabelPictures_data();
    void axisLabelPictures();
    void automaticRangeFollowsCommittedData_data();
    void automaticRangeFollowsCommittedData();
    void automaticLabelsAtRoundStepsInsideTheData_data();
    void automaticLabelsAtRoundStepsInsideTheData();
    void labelsKeepTheirSeparation_data();
    void labelsKeepTheirSeparation();
    void labelsFollowTheChartsSize();
    void pixelToValueAtThePlotCorners();
    void noPlotExtentGivesZero();
    void refillFourSeriesOf1001Points();
    void seriesOutOfLegendHasNoVisibleEntry();
    void pointsKeepAscendingX_data();
    void pointsKeepAscendingX();
    void mouseMoveInChartCoordinates();
    void plainLinesDrawnLikeQtChartsLines();
    void bandFilledBetweenItsEdgesUnderThePlainLines();
    void legendTooWideForTheSideWrapsAcrossTheTop();
    void wheelZoomsAroundThePointerAndGesturesReturn_data();
    void wheelZoomsAroundThePointerAndGesturesReturn();

private:
    std::unique_ptr<GuiFixture> m_fixture;
};

void TestChart::axisLabelPictures_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<double>("increment");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("##0, 0..1000 by 250")
        << "##0" << 0.0 << 1000.0 << 250.0 << QChar(u'.')
        << QStringList{"0", "250", "500", "750", "1000"};
    QTest::newRow("0.00, 0..1 by 0.25") << "0.00" << 0.0 << 1.0 << 0.25 << QChar(u'.')
                                        << QStringList{"0.00", "0.25", "0.50", "0.75", "1.00"};
    QTest::newRow("0.00, 0..1 by 0.25, comma")
        << "0.00" << 0.0 << 1.0 << 0.25 << QChar(u',')
        << QStringList{"0,00", "0,25", "0,50", "0,75", "1,00"};
    QTest::newRow("0.00, 0..1 by 0.2 without drift")
        << "0.00" << 0.0 << 1.0 << 0.2 << QChar(u'.')
        << QStringList{"0.00", "0.20", "0.40", "0.60", "0.80", "1.00"};
    QTest::newRow("0.000 repeats stay distinct")
        << "0.000" << 0.0 << 0.002 << 0.0005 << QChar(u'.')
        << QStringList{"0.000", "0.001", "0.001", "0.002", "0.002"};
    QTest::newRow("0.00E-00 around 0")
        << "0.00E-00" << -5e-7 << 1e-6 << 5e-7 << QChar(u'.')
        << QStringList{"-5.00E-07", "0.00E00", "5.00E-07", "1.00E-06"};
    QTest::newRow("0.00E-00 around 0, comma")
        << "0.00E-00" << -5e-7 << 1e-6 << 5e-7 << QChar(u',')
        << QStringList{"-5,00E-07", "0,00E00", "5,00E-07", "1,00E-06"};
    QTest::newRow("##0 without increment: steps of at least 1")
        << "##0" << 0.0 << 2.0 << 0.0 << QChar(u'.') << QStringList{"0", "1", "2"};
    QTest::newRow("0.000 without increment: no 0.0025 steps")
        << "0.000" << 0.0 << 0.012 << 0.0 << QChar(u'.')
        << QStringList{"0.000", "0.005", "0.010"};
    QTest::newRow("0.00E-00 without increment")
        << "0.00E-00" << 0.0 << 1e-5 << 0.0 << QChar(u'.')
        << QStringList{"0.00E00", "2.00E-06", "4.00E-06", "6.00E-06", "8.00E-06", "1.00E-05"};
}

void TestChart::axisLabelPictures()
{
    QFETCH(QString, picture);
    QFETCH(double, minimum);
    QFETCH(double, maximum);
    QFETCH(double, increment);
    QFETCH(QChar, separator);
    QFETCH(QStringList, expected);
    morva::text::setDecimalSeparatorOverride(separator);
    Chart chart;
    Axis *axis = chart.leftAxis();
    axis->setLabelPicture(picture);
    axis->setIncrement(increment);
    axis->setFixedRange(minimum, maximum);

    QCOMPARE(axis->labels(), expected);
    QCOMPARE(axis->minimum(), minimum);
    QCOMPARE(axis->maximum(), maximum);
    // Qt Charts shows them at their values, each label distinct.
    QCategoryAxis *shown = qaxis(chart, Qt::AlignLeft);
    QVERIFY(shown);
    QCOMPARE(shown->labelsPosition(), QCategoryAxis::AxisLabelsPositionOnValue);
    const QStringList categories = shown->categoriesLabels();
    QCOMPARE(QSet<QString>(categories.begin(), categories.end()).size(), expected.size());
    for (qsizetype i = 0; i < categories.size(); ++i)
        QCOMPARE(QString(categories.at(i)).remove(QChar(0x200B)), expected.at(i));
}

void TestChart::automaticRangeFollowsCommittedData_data()
{
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<double>("bottomMin");
    QTest::addColumn<double>("bottomMax");
    QTest::addColumn<double>("leftMin");
    QTest::addColumn<double>("leftMax");

    QTest::newRow("0..50 generations, 0.1..0.9")
        << QList<QPointF>{{0, 0.1}, {25, 0.9}, {50, 0.5}} << 0.0 << 50.0 << 0.1 << 0.9;
    QTest::newRow("small negative changes")
        << QList<QPointF>{{0, -0.012}, {1, 0.003}} << 0.0 << 1.0 << -0.012 << 0.003;
    QTest::newRow("37 generations end at 37")
        << QList<QPointF>{{0, 0.5}, {37, 0.6}} << 0.0 << 37.0 << 0.5 << 0.6;
    QTest::newRow("2147483647 generations end there")
        << QList<QPointF>{{0, 0.5}, {2147483647, 0.6}} << 0.0 << 2147483647.0 << 0.5 << 0.6;
    QTest::newRow("a span too narrow for the picture widens to whole steps")
        << QList<QPointF>{{0, 0.9991}, {1, 0.9999}} << 0.0 << 1.0 << 0.999 << 1.0;
    QTest::newRow("one point keeps a range around it")
        << QList<QPointF>{{3, 2}} << 2.0 << 4.0 << 1.8 << 2.2;
    QTest::newRow("no points") << QList<QPointF>{} << 0.0 << 1.0 << 0.0 << 1.0;
}

void TestChart::automaticRangeFollowsCommittedData()
{
    QFETCH(QList<QPointF>, points);
    QFETCH(double, bottomMin);
    QFETCH(double, bottomMax);
    QFETCH(double, leftMin);
    QFETCH(double, leftMax);
    Chart chart;
    chart.bottomAxis()->setLabelPicture(QStringLiteral("##0"));
    chart.leftAxis()->setLabelPicture(QStringLiteral("0.000"));
    Series *series = chart.addLineSeries(QStringLiteral("Series1"), QStringLiteral("p"),
                                         Qt::black, PenStyle::Solid);
    series->addPoint(100, 100); // an earlier refill, cleared below
    chart.commit();
    series->clear();
    for (const QPointF &p : points)
        series->addPoint(p.x(), p.y());
    chart.commit();

    QVERIFY(chart.bottomAxis()->isAutomatic());
    QCOMPARE(chart.bottomAxis()->minimum(), bottomMin);
    QCOMPARE(chart.bottomAxis()->maximum(), bottomMax);
    QVERIFY(qAbs(chart.leftAxis()->minimum() - leftMin) < 1e-12);
    QVERIFY(qAbs(chart.leftAxis()->maximum() - leftMax) < 1e-12);
    QVERIFY(!chart.leftAxis()->labels().isEmpty());
}

// State: data over the row's span, "0.000" labels, no room known yet.
// Expected: labels at a round step inside the span, never beyond it; a step
// of a fifth of the span that leaves fewer than three labels inside gives
// way to the next smaller one.
void TestChart::automaticLabelsAtRoundStepsInsideTheData_data()
{
    QTest::addColumn<QPointF>("span");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("around zero") << QPointF(-0.0048, 0.0048)
                                 << QStringList{"-0.004", "-0.002", "0.000", "0.002", "0.004"};
    QTest::newRow("few steps of a fifth")
        << QPointF(0.768, 0.899) << QStringList{"0.775", "0.800", "0.825", "0.850", "0.875"};
}

void TestChart::automaticLabelsAtRoundStepsInsideTheData()
{
    QFETCH(QPointF, span);
    QFETCH(QStringList, expected);
    Chart chart;
    chart.leftAxis()->setLabelPicture(QStringLiteral("0.000"));
    Series *series = chart.addLineSeries(QStringLiteral("Series1"), QStringLiteral("d"),
                                         Qt::black, PenStyle::Solid);
    series->addPoint(0, span.x());
    series->addPoint(1, span.y());
    chart.commit();
    QCOMPARE(chart.leftAxis()->labels(), expected);
}

// State: a chart of the row's size, its axes as the model windows set them,
// data over the row's span. Action: show it. Expected: Qt Charts draws the
// labels chosen, at least two on each axis, none elided, cut off or
// overlapping, neighbours at least the axis' separation apart.
void TestChart::labelsKeepTheirSeparation_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("bottomPicture");
    QTest::addColumn<QPointF>("bottomSpan"); // data, or a fixed range with an increment
    QTest::addColumn<double>("bottomIncrement");
    QTest::addColumn<QString>("leftPicture");
    QTest::addColumn<QPointF>("leftSpan");
    QTest::addColumn<double>("leftIncrement");

    const QPointF frequencies(0, 1);
    QTest::newRow("2 x 10^9 generations, 300 pixels wide")
        << QSize(300, 220) << "##0" << QPointF(0, 2e9) << 0.0 << "0.00" << frequencies << 0.25;
    QTest::newRow("frequencies by 0.25 in a low chart")
        << QSize(400, 200) << "##0" << QPointF(0, 30) << 0.0 << "0.00" << frequencies << 0.25;
    QTest::newRow("exponent labels beside 0.00")
        << QSize(300, 220) << "0.00" << frequencies << 0.2 << "0.00E-00" << QPointF(-5e-7, 1e-6)
        << 0.0;
    QTest::newRow("small changes from a round minimum, corner with 0.00")
        << QSize(300, 220) << "0.00" << frequencies << 0.2 << "0.000" << QPointF(-0.02, 0.004)
        << 0.0;
}

void TestChart::labelsKeepTheirSeparation()
{
    QFETCH(QSize, size);
    QFETCH(QString, bottomPicture);
    QFETCH(QPointF, bottomSpan);
    QFETCH(double, bottomIncrement);
    QFETCH(QString, leftPicture);
    QFETCH(QPointF, leftSpan);
    QFETCH(double, leftIncrement);
    Chart chart;
    chart.setObjectName(QStringLiteral("Chart1"));
    Series *series = chart.addLineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"),
                                         Qt::black, PenStyle::Solid);
    const auto setUp = [](Axis *axis, const QString &picture, QPointF span, double increment,
                          int separation, const QString &title) {
        axis->setLabelPicture(picture);
        axis->setLabelSeparation(separation);
        axis->setTitle(title);
        if (increment > 0) {
            axis->setIncrement(increment);
            axis->setFixedRange(span.x(), span.y());
        }
    };
    setUp(chart.bottomAxis(), bottomPicture, bottomSpan, bottomIncrement, 35,
          QStringLiteral("time (generations)"));
    setUp(chart.leftAxis(), leftPicture, leftSpan, leftIncrement, 25,
          QStringLiteral("frequencies"));
    series->addPoint(bottomSpan.x(), leftSpan.x());
    series->addPoint(bottomSpan.y(), leftSpan.y());
    chart.commit();
    chart.resize(size);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    QTRY_VERIFY2(morva::test::labelsDrawn(chart) && morva::test::legibilityFaults(chart).isEmpty(),
                 qPrintable(morva::test::legibilityFaults(chart).join(QStringLiteral(" | "))));
    QVERIFY(chart.bottomAxis()->labels().size() >= 2);
    QVERIFY(chart.leftAxis()->labels().size() >= 2);
}

// State: 0 .. 2 x 10^9 generations in a wide chart. Action: narrow it, then
// widen it again. Expected: fewer labels at a larger step while narrow, each
// state legible, the first labels back once wide.
void TestChart::labelsFollowTheChartsSize()
{
    Chart chart;
    chart.bottomAxis()->setLabelPicture(QStringLiteral("##0"));
    chart.bottomAxis()->setLabelSeparation(35);
    Series *series = chart.addLineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"),
                                         Qt::black, PenStyle::Solid);
    series->addPoint(0, 0);
    series->addPoint(2e9, 1);
    chart.commit();
    chart.resize(1200, 400);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QTRY_VERIFY(morva::test::labelsDrawn(chart));
    const QStringList wide = chart.bottomAxis()->labels();

    chart.resize(300, 400);
    QTRY_VERIFY(chart.bottomAxis()->labels().size() < wide.size()
                && morva::test::labelsDrawn(chart));
    QCOMPARE(morva::test::legibilityFaults(chart), QStringList());

    chart.resize(1200, 400);
    QTRY_COMPARE(chart.bottomAxis()->labels(), wide);
    QTRY_VERIFY(morva::test::labelsDrawn(chart));
}

void TestChart::pixelToValueAtThePlotCorners()
{
    Chart chart;
    // Qt Charts maps pixels through a series on the axes.
    chart.addLineSeries("Series1", "p", Qt::black, PenStyle::Solid);
    chart.bottomAxis()->setFixedRange(0, 1);
    chart.leftAxis()->setFixedRange(-0.02, 0.03);
    chart.resize(500, 400);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QRect plot = chart.plotRect();
    QVERIFY(plot.width() > 100 && plot.height() > 100);
    QVERIFY(chart.rect().contains(plot));

    QCOMPARE(chart.bottomValueAt(plot.left()), 0.0);
    QCOMPARE(chart.bottomValueAt(plot.left() + plot.width()), 1.0);
    QCOMPARE(chart.leftValueAt(plot.top() + plot.height()), -0.02);
    QCOMPARE(chart.leftValueAt(plot.top()), 0.03);

    // The rectangle is where Qt Charts plots: its own mapping agrees within
    // a pixel.
    const QPoint middle = plot.center();
    const QPoint inView = chart.view()->viewport()->mapFrom(&chart, middle);
    const QPointF value = chart.qchart()->mapToValue(
        chart.qchart()->mapFromScene(chart.view()->mapToScene(inView)));
    QVERIFY(qAbs(value.x() - chart.bottomValueAt(middle.x())) < 1.5 / plot.width());
    QVERIFY(qAbs(value.y() - chart.leftValueAt(middle.y())) < 1.5 * 0.05 / plot.height());
}

// A chart that was never laid out has no plotting rectangle.
void TestChart::noPlotExtentGivesZero()
{
    Chart chart;
    chart.bottomAxis()->setFixedRange(5, 6);
    chart.leftAxis()->setFixedRange(5, 6);
    QVERIFY(chart.plotRect().isEmpty());
    QCOMPARE(chart.bottomValueAt(10), 0.0);
    QCOMPARE(chart.leftValueAt(10), 0.0);
}

void TestChart::refillFourSeriesOf1001Points()
{
    Chart chart;
    const QStringList names{"Series1", "Series2", "Series3", "Series4"};
    chart.addLineSeries(names[0], "p[1]", QColor(0, 128, 0), PenStyle::Solid);
    chart.addLineSeries(names[1], "p[2]", Qt::red, PenStyle::Dashed);
    chart.addLineSeries(names[2], "ref", Qt::black, PenStyle::Dotted, false);
    chart.addPointSeries(names[3], "obs", Qt::black, MarkerShape::Circle, 3, Qt::black);
    chart.resize(500, 400);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    for (const int points : {1001, 501}) {
        for (int i = 0; i < chart.seriesCount(); ++i)
            chart.series(i)->clear();
        for (int i = 0; i < chart.seriesCount(); ++i)
            for (int g = 0; g < points; ++g)
                chart.series(i)->addPoint(g, 0.001 * g + i);
        chart.commit();
        for (int i = 0; i < chart.seriesCount(); ++i) {
            QXYSeries *shown = qseriesOf(chart, names[i]);
            QVERIFY(shown);
            QCOMPARE(shown->count(), points);
            QCOMPARE(shown->points(), chart.series(i)->points());
            QCOMPARE(chart.seriesByName(names[i]), chart.series(i));
        }
        QCOMPARE(chart.bottomAxis()->maximum(), double(points - 1));
    }
    // A cleared series plots nothing after the commit.
    chart.series(0)->clear();
    chart.commit();
    QCOMPARE(qseriesOf(chart, names[0])->count(), 0);
    QCOMPARE(qseriesOf(chart, names[1])->count(), 501);
    QCOMPARE(chart.series(4), nullptr);
}

void TestChart::seriesOutOfLegendHasNoVisibleEntry()
{
    Chart chart;
    chart.addLineSeries("Series1", "p[1]", QColor(0, 128, 0), PenStyle::Solid);
    chart.addPointSeries("Series6", "FirstPoint", Qt::yellow, MarkerShape::Diamond, 2, Qt::white,
                         false);
    chart.addLineSeries("Series2", "p[2]", Qt::red, PenStyle::Dashed);
    chart.series(1)->addPoint(0, 0.5);
    chart.commit();
    chart.resize(400, 300);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    QLegend *legend = chart.qchart()->legend();
    QCOMPARE(legend->alignment(), Qt::AlignTop);
    for (const char *name : {"Series1", "Series6", "Series2"}) {
        const QList<QLegendMarker *> markers = legend->markers(qseriesOf(chart, name));
        QCOMPARE(markers.size(), 1);
        QCOMPARE(markers.first()->isVisible(), QByteArray(name) != "Series6");
        QCOMPARE(markers.first()->label(), chart.seriesByName(name)->title());
    }
}

void TestChart::pointsKeepAscendingX_data()
{
    QTest::addColumn<QList<QPointF>>("added");
    QTest::addColumn<QList<QPointF>>("expected");

    QTest::newRow("ascending stays")
        << QList<QPointF>{{0, 1}, {1, 2}, {2, 3}} << QList<QPointF>{{0, 1}, {1, 2}, {2, 3}};
    QTest::newRow("decreasing frequencies are sorted")
        << QList<QPointF>{{0.5, 1}, {0.4, 2}, {0.3, 3}}
        << QList<QPointF>{{0.3, 3}, {0.4, 2}, {0.5, 1}};
    QTest::newRow("equal x keep the order added")
        << QList<QPointF>{{1, 1}, {0, 0}, {1, 2}, {0, 5}}
        << QList<QPointF>{{0, 0}, {0, 5}, {1, 1}, {1, 2}};
}

void TestChart::pointsKeepAscendingX()
{
    QFETCH(QList<QPointF>, added);
    QFETCH(QList<QPointF>, expected);
    Chart chart;
    Series *series =
        chart.addPointSeries("Series5", "obs", Qt::green, MarkerShape::Circle, 3, Qt::green);
    for (const QPointF &p : added)
        series->addPoint(p.x(), p.y());
    QCOMPARE(series->points(), expected);
    QCOMPARE(series->count(), int(expected.size()));
    QCOMPARE(series->point(0), expected.first());
}

void TestChart::mouseMoveInChartCoordinates()
{
    Chart chart;
    chart.setCrossHairCursor(true);
    chart.resize(400, 300);
    MORVA_SHOW_ACTIVE(&chart);
    QSignalSpy moves(&chart, &Chart::OnMouseMove);

    morva::test::hoverAt(&chart, QPoint(150, 120));
    QVERIFY(!moves.isEmpty());
    QCOMPARE(moves.last().at(0).toPoint(), QPoint(150, 120));
    QCOMPARE(chart.view()->viewport()->cursor().shape(), Qt::CrossCursor);
}

// State: fixed axes 0..1; a plain red line at 0.3 across, a Qt Charts blue
// line at 0.3 over the left half, a plain red line along the top edge, out
// of the legend. Expected: the plain line on the row Qt Charts draws its own
// on, and under the Qt Charts line where both pass; the edge line whole; the
// plain series in the legend with an empty Qt Charts series of its own, the
// other without one.
void TestChart::plainLinesDrawnLikeQtChartsLines()
{
    Chart chart;
    chart.bottomAxis()->setFixedRange(0, 1);
    chart.leftAxis()->setFixedRange(0, 1);
    Series *plain = chart.addPlainLineSeries("Plain", "plain", Qt::red);
    Series *edge = chart.addPlainLineSeries("Edge", "edge", Qt::red, false);
    Series *own = chart.addLineSeries("Own", "own", Qt::blue, PenStyle::Solid, true, 3);
    for (const double x : {0.0, 1.0}) {
        plain->addPoint(x, 0.3);
        edge->addPoint(x, 1.0);
    }
    own->addPoint(0, 0.3);
    own->addPoint(0.5, 0.3);
    chart.commit();
    chart.resize(400, 300);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    const QImage image = chart.grab().toImage();
    const QRect plot = chart.plotRect();
    // The rows of a column in `color`, top to bottom.
    const auto rows = [&](int x, const QColor &color) {
        QList<int> found;
        for (int y = plot.top() - 3; y <= plot.bottom() + 3; ++y) {
            if (image.pixelColor(x, y) == color)
                found << y;
        }
        return found;
    };
    const int left = plot.left() + plot.width() / 4;
    const int right = plot.left() + 3 * plot.width() / 4;
    const QList<int> plainRows = rows(right, Qt::red);
    const QList<int> ownRows = rows(left, Qt::blue);
    QCOMPARE(ownRows.size(), 3);
    QCOMPARE(plainRows.size(), 2);  // the line at 0.3 and the edge line
    QCOMPARE(plainRows.last(), ownRows.at(1));
    QVERIFY2(qAbs(plainRows.first() - plot.top()) <= 1, qPrintable(QString::number(plot.top())));
    QCOMPARE(rows(left, Qt::red), QList<int>{plainRows.first()});

    QVERIFY(plain->isPlain() && !own->isPlain());
    QCOMPARE(own->lineWidth(), 3);
    QCOMPARE(qseriesOf(chart, "Own")->pen().width(), 3);
    QCOMPARE(qseriesOf(chart, "Plain")->count(), 0);
    QCOMPARE(plain->count(), 2);
    QCOMPARE(qseriesOf(chart, "Edge"), nullptr);
    QLegend *legend = chart.qchart()->legend();
    QCOMPARE(legend->markers().size(), 2);
    QVERIFY(legend->markers(qseriesOf(chart, "Plain")).first()->isVisible());
}

// State: fixed axes 0..1; a green band from 0.2..0.4 at x = 0 to 0.6..0.8
// at x = 1, a plain red line at 0.5 across. Expected: in the middle column
// green from 0.4 to 0.6 and nowhere else, except that the red line stands
// over it; the band in the legend by an empty Qt Charts series.
void TestChart::bandFilledBetweenItsEdgesUnderThePlainLines()
{
    Chart chart;
    chart.bottomAxis()->setFixedRange(0, 1);
    chart.leftAxis()->setFixedRange(0, 1);
    Series *band = chart.addBandSeries("Band", "band", Qt::green);
    Series *line = chart.addPlainLineSeries("Line", "line", Qt::red, false);
    band->addPoint(0, 0.2);
    band->addPoint(0, 0.4);
    band->addPoint(1, 0.6);
    band->addPoint(1, 0.8);
    line->addPoint(0, 0.5);
    line->addPoint(1, 0.5);
    chart.commit();
    chart.resize(400, 300);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));

    const QImage image = chart.grab().toImage();
    const QRect plot = chart.plotRect();
    const int x = plot.left() + plot.width() / 2;
    const auto rowOf = [&](double value) { return plot.bottom() - int(value * plot.height()); };
    for (const double value : {0.1, 0.35, 0.65, 0.9})
        QVERIFY(image.pixelColor(x, rowOf(value)) != QColor(Qt::green));
    for (const double value : {0.42, 0.45, 0.55, 0.58})
        QCOMPARE(image.pixelColor(x, rowOf(value)), QColor(Qt::green));
    QCOMPARE(image.pixelColor(x, rowOf(0.5)), QColor(Qt::red));
    QVERIFY(band->isBand() && band->isPlain() && !line->isBand());
    QCOMPARE(qseriesOf(chart, "Band")->count(), 0);
    QVERIFY(chart.qchart()->legend()->markers(qseriesOf(chart, "Band")).first()->isVisible());
}

// State: six series with long names in a chart too narrow for them beside
// the plot even on two lines in the least text. Expected: every name drawn
// whole, in rows above the plot, none over it or beyond the chart.
void TestChart::legendTooWideForTheSideWrapsAcrossTheTop()
{
    Chart chart;
    QStringList names;
    for (int i = 0; i < 6; ++i) {
        names << QStringLiteral("expected change by force %1").arg(i);
        Series *series = chart.addLineSeries(QStringLiteral("Series%1").arg(i), names.last(),
                                             QColor::fromHsv(i * 60, 255, 200), PenStyle::Solid);
        series->addPoint(0, i);
        series->addPoint(1, i + 1);
    }
    chart.commit();
    chart.resize(300, 420);
    MORVA_SHOW_ACTIVE(&chart);
    // The legend settles over a few paints, and the chart's new top margin
    // takes one more layout pass: wait for the settled picture.
    const auto faults = [&] {
        const morva::test::ChartTexts texts = morva::test::chartTexts(chart);
        QStringList missing = names;
        QStringList misplaced;
        for (const morva::test::ShownText &shown : texts.all) {
            const QString text = shown.text.simplified();
            if (!names.contains(text))
                continue;
            missing.removeAll(text);
            if (shown.rect.bottom() > texts.plot.top() || !chart.rect().contains(shown.rect.toRect()))
                misplaced << text;
        }
        return QStringList{missing.join(u'|'), misplaced.join(u'|')};
    };
    QTRY_COMPARE(faults(), (QStringList{QString(), QString()}));
    QVERIFY(!chart.qchart()->legend()->isAttachedToChart());
    QCOMPARE(morva::test::legibilityFaults(chart), QStringList());
}

void TestChart::wheelZoomsAroundThePointerAndGesturesReturn_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::newRow("Esc") << "Esc";
    QTest::newRow("double-click") << "double-click";
    QTest::newRow("wheel back out") << "wheel";
}

// State: axes fixed at 0..1. Action: one wheel notch towards the plot over
// a point, then the row's gesture. Expected: the zoom shows 80 % of each
// span with the value under the pointer where it was; the gesture returns
// to 0..1.
void TestChart::wheelZoomsAroundThePointerAndGesturesReturn()
{
    QFETCH(QString, gesture);
    Chart chart;
    chart.addLineSeries("Series1", "p", Qt::black, PenStyle::Solid);
    chart.bottomAxis()->setFixedRange(0, 1);
    chart.leftAxis()->setFixedRange(0, 1);
    chart.resize(500, 400);
    MORVA_SHOW_ACTIVE(&chart);
    const QRect plot = chart.plotRect();
    const QPoint at = plot.topLeft() + QPoint(plot.width() / 3, plot.height() / 5);
    const QPointF value(chart.bottomValueAt(at.x()), chart.leftValueAt(at.y()));
    QSignalSpy zooms(&chart, &Chart::zoomChanged);

    turnWheel(chart, at, 1);
    QVERIFY(chart.isZoomed());
    QCOMPARE(zooms.size(), 1);
    QVERIFY(qAbs(chart.bottomAxis()->maximum() - chart.bottomAxis()->minimum() - 0.8) < 1e-9);
    QVERIFY(qAbs(chart.leftAxis()->maximum() - chart.leftAxis()->minimum() - 0.8) < 1e-9);
    QVERIFY(qAbs(chart.bottomValueAt(at.x()) - value.x()) < 1.0 / plot.width());
    QVERIFY(qAbs(chart.leftValueAt(at.y()) - value.y()) < 1.0 / plot.height());

    QWidget *viewport = chart.view()->viewport();
    if (gesture == "Esc") {
        chart.view()->setFocus();
        QTest::keyClick(chart.view(), Qt::Key_Escape);
    } else if (gesture == "double-click") {
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, viewport->mapFrom(&chart, at));
    } else {
        turnWheel(chart, at, -2);
    }
    QVERIFY(!chart.isZoomed());
    QCOMPARE(chart.bottomAxis()->minimum(), 0.0);
    QCOMPARE(chart.bottomAxis()->maximum(), 1.0);
    QCOMPARE(chart.leftAxis()->maximum(), 1.0);
}

QTEST_MAIN(TestChart)
#include "tst_Chart.moc"
