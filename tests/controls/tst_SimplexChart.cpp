// The simplex chart: barycentric <-> pixel at several sizes, the pointer
// signal in and around the triangle, contour levels and isolines, the filled
// bands against the field, step markers that never crowd, and what render()
// and the widget paint. Each case reads State / Action / Expected in its row
// or function name.

#include "controls/SimplexChart.h"
#include "tests/support/GuiFixture.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <memory>

using morva::chart::Barycentric;
using morva::chart::SimplexChart;
using morva::test::GuiFixture;

namespace {

double distance(const QPointF &a, const QPointF &b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

double linearP0(double p0, double, double)
{
    return p0;
}

double overdominance(double p0, double p1, double p2)
{
    return 1.0 - 0.2 * (p0 * p0 + p1 * p1 + p2 * p2);
}

double saddle(double p0, double p1, double p2)
{
    return std::sin(6.0 * p0) * std::cos(5.0 * p1) + p2 * p2;
}

// Undefined along the lower left side: the chart counts such samples as the
// least value and still closes every region.
double withHoles(double p0, double p1, double p2)
{
    return p2 == 0.0 ? std::nan("") : p0 + 2 * p1;
}

using Field = double (*)(double, double, double);

void sendMove(QWidget *widget, const QPointF &pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QImage rendered(const SimplexChart &chart, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    chart.render(painter, size);
    return image;
}

} // namespace

class TestSimplexChart : public QObject {
    Q_OBJECT
private slots:
    void init() { m_fixture = std::make_unique<GuiFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void equilateralAndRoundTrip_data();
    void equilateralAndRoundTrip();
    void pointerMovesInsideTheTriangleOnly_data();
    void pointerMovesInsideTheTriangleOnly();
    void levelsAscendAndIsolinesStayInside_data();
    void levelsAscendAndIsolinesStayInside();
    void isolinesOfALinearFieldLieOnTheirLevel();
    void bandsFilledByTheField();
    void stepMarkersNeverCrowd();
    void renderAndPaintShowTheSameChart();
    void newFieldIsRepainted();

private:
    std::unique_ptr<GuiFixture> m_fixture;
};

// State: a chart of the given size. Expected: the three vertex pixels are
// equally far apart, the base is level, everything lies inside the widget;
// a point's pixel rounded to whole pixels maps back to barycentric
// coordinates whose pixel is that whole pixel, within half a pixel of the
// exact one.
void TestSimplexChart::equilateralAndRoundTrip_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("420 x 360") << QSize(420, 360);
    QTest::newRow("800 x 600") << QSize(800, 600);
    QTest::newRow("wide 1500 x 300") << QSize(1500, 300);
    QTest::newRow("tall 300 x 1000") << QSize(300, 1000);
    QTest::newRow("odd 977 x 641") << QSize(977, 641);
}

void TestSimplexChart::equilateralAndRoundTrip()
{
    QFETCH(QSize, size);
    SimplexChart chart;
    chart.setVertexLabels(QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"));
    chart.setField(overdominance, 21);
    chart.resize(size);

    const QPointF v0 = chart.vertexPixel(0);
    const QPointF v1 = chart.vertexPixel(1);
    const QPointF v2 = chart.vertexPixel(2);
    const double side = chart.triangleSide();
    QVERIFY(side > 50);
    QVERIFY(std::fabs(distance(v0, v1) - side) < 1e-9);
    QVERIFY(std::fabs(distance(v1, v2) - side) < 1e-9);
    QVERIFY(std::fabs(distance(v2, v0) - side) < 1e-9);
    QCOMPARE(v1.y(), v2.y());
    QVERIFY(v0.y() < v1.y());
    for (const QPointF &v : {v0, v1, v2})
        QVERIFY(QRectF(QPointF(0, 0), QSizeF(size)).contains(v));

    const QList<Barycentric> points{{1, 0, 0},       {0, 1, 0},         {0, 0, 1},
                                    {1. / 3, 1. / 3, 1. / 3}, {0.5, 0.5, 0}, {0.215, 0.330, 0.455},
                                    {0.001, 0.002, 0.997}};
    for (const Barycentric &p : points) {
        const QPointF exact = chart.toPixel(p);
        const QPointF whole(std::round(exact.x()), std::round(exact.y()));
        const Barycentric back = chart.toBarycentric(whole);
        QVERIFY(std::fabs(back[0] + back[1] + back[2] - 1.0) < 1e-12);
        const QPointF again = chart.toPixel(back);
        QVERIFY2(distance(again, whole) < 1e-9, qPrintable(QString::number(distance(again, whole))));
        QVERIFY(distance(whole, exact) <= 0.5 * std::sqrt(2.0));
        const Barycentric exactBack = chart.toBarycentric(exact);
        for (int i = 0; i < 3; ++i)
            QVERIFY(std::fabs(exactBack[i] - p[i]) < 1e-12);
    }
}

// State: an 800 x 600 chart. Action: the pointer moves to the point given
// in barycentric coordinates plus a pixel offset. Expected: the signal with
// the coordinates (a point less than a pixel outside pulled onto the border),
// or no signal farther out.
void TestSimplexChart::pointerMovesInsideTheTriangleOnly_data()
{
    QTest::addColumn<Barycentric>("at");
    QTest::addColumn<QPointF>("offset");
    QTest::addColumn<bool>("emitted");
    QTest::addColumn<Barycentric>("expected");

    const double third = 1.0 / 3;
    QTest::newRow("centroid") << Barycentric{third, third, third} << QPointF() << true
                              << Barycentric{third, third, third};
    QTest::newRow("vertex 1") << Barycentric{0, 1, 0} << QPointF() << true << Barycentric{0, 1, 0};
    QTest::newRow("half a pixel below the base")
        << Barycentric{0, 0.5, 0.5} << QPointF(0, 0.5) << true << Barycentric{0, 0.5, 0.5};
    QTest::newRow("half a pixel above the apex")
        << Barycentric{1, 0, 0} << QPointF(0, -0.5) << true << Barycentric{1, 0, 0};
    QTest::newRow("5 pixels below the base")
        << Barycentric{0, 0.5, 0.5} << QPointF(0, 5) << false << Barycentric{};
    QTest::newRow("left of the triangle")
        << Barycentric{0.5, 0.5, 0} << QPointF(-20, 0) << false << Barycentric{};
}

void TestSimplexChart::pointerMovesInsideTheTriangleOnly()
{
    QFETCH(Barycentric, at);
    QFETCH(QPointF, offset);
    QFETCH(bool, emitted);
    QFETCH(Barycentric, expected);

    SimplexChart chart;
    chart.resize(800, 600);
    QSignalSpy moves(&chart, &SimplexChart::pointerMoved);
    sendMove(&chart, chart.toPixel(at) + offset);
    QCOMPARE(moves.size(), emitted ? 1 : 0);
    if (!emitted)
        return;
    const QList<QVariant> args = moves.first();
    for (int i = 0; i < 3; ++i)
        QVERIFY2(std::fabs(args.at(i).toDouble() - expected[i]) < 1e-9,
                 qPrintable(QStringLiteral("p[%1] = %2").arg(i).arg(args.at(i).toDouble())));
}

// State: a field sampled on the lattice (one with undefined samples, one
// constant). Expected: levelCount() + 1 strictly ascending levels from the
// least to the greatest finite sample (one level for a constant field, no
// isolines then); every isoline end inside the triangle.
void TestSimplexChart::levelsAscendAndIsolinesStayInside_data()
{
    QTest::addColumn<quintptr>("field");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("bands");

    QTest::newRow("linear, 11 bands") << quintptr(&linearP0) << 61 << 11;
    QTest::newRow("overdominance, 12 bands") << quintptr(&overdominance) << 61 << 12;
    QTest::newRow("saddle, 10 bands, side 60") << quintptr(&saddle) << 60 << 10;
    QTest::newRow("undefined samples") << quintptr(&withHoles) << 31 << 11;
    QTest::newRow("constant") << quintptr(nullptr) << 61 << 11;
}

void TestSimplexChart::levelsAscendAndIsolinesStayInside()
{
    QFETCH(quintptr, field);
    QFETCH(int, side);
    QFETCH(int, bands);

    const auto value = [&](double p0, double p1, double p2) {
        return field ? reinterpret_cast<Field>(field)(p0, p1, p2) : 0.75;
    };
    SimplexChart chart;
    chart.resize(700, 560);
    chart.setLevelCount(bands);
    chart.setField(value, side);

    double least = INFINITY;
    double greatest = -INFINITY;
    const int m = side - 1;
    for (int i = 0; i <= m; ++i) {
        for (int j = 0; j <= m - i; ++j) {
            const double v = value(double(i) / m, double(j) / m, double(m - i - j) / m);
            if (std::isfinite(v)) {
                least = std::min(least, v);
                greatest = std::max(greatest, v);
            }
        }
    }
    const QList<double> levels = chart.levels();
    const bool constant = !field;
    QCOMPARE(levels.size(), constant ? 1 : bands + 1);
    QCOMPARE(levels.first(), least);
    QCOMPARE(levels.last(), greatest);
    for (qsizetype k = 1; k < levels.size(); ++k)
        QVERIFY2(levels.at(k - 1) < levels.at(k), qPrintable(QString::number(k)));

    int segments = 0;
    for (int level = 1; level < bands; ++level) {
        for (const QLineF &line : chart.isolineSegments(level)) {
            ++segments;
            for (const QPointF &end : {line.p1(), line.p2()}) {
                const Barycentric p = chart.toBarycentric(end);
                for (double c : p)
                    QVERIFY2(c >= -1e-9, qPrintable(QStringLiteral("level %1").arg(level)));
            }
        }
    }
    QCOMPARE(segments > 0, !constant);
}

// State: the field p[0] in 11 bands. Expected: every isoline of level l is
// horizontal at the height where p[0] = level l, and spans the triangle.
void TestSimplexChart::isolinesOfALinearFieldLieOnTheirLevel()
{
    SimplexChart chart;
    chart.resize(800, 600);
    chart.setField(linearP0, 61);
    const QList<double> levels = chart.levels();
    for (int level = 1; level < chart.levelCount(); ++level) {
        const QList<QLineF> lines = chart.isolineSegments(level);
        QVERIFY(!lines.isEmpty());
        const double y = chart.toPixel({levels.at(level), 1 - levels.at(level), 0}).y();
        double length = 0;
        for (const QLineF &line : lines) {
            QVERIFY(std::fabs(line.p1().y() - y) < 1e-6);
            QVERIFY(std::fabs(line.p2().y() - y) < 1e-6);
            length += line.length();
        }
        QVERIFY(std::fabs(length - chart.triangleSide() * (1 - levels.at(level))) < 1e-6);
    }
}

// State: a field with interior peaks and valleys. Action: render. Expected:
// at points clear of every isoline and grid line, the pixel has the colour of
// the band the field falls into there; colours rise with the level.
void TestSimplexChart::bandsFilledByTheField()
{
    SimplexChart chart;
    const QSize size(900, 700);
    chart.resize(size);
    chart.setField(saddle, 61);
    const QImage image = rendered(chart, size);
    const QList<double> levels = chart.levels();

    // The field between lattice points is linear on each cell; checking at
    // lattice points avoids interpolating it here.
    const int m = 60;
    int checked = 0;
    for (int i = 1; i < m; ++i) {
        for (int j = 1; j < m - i; ++j) {
            const Barycentric p{double(i) / m, double(j) / m, double(m - i - j) / m};
            const double v = saddle(p[0], p[1], p[2]);
            const double spread = levels.last() - levels.first();
            const double position = (v - levels.first()) / spread * chart.levelCount();
            const double fraction = position - std::floor(position);
            // Far from a band boundary (an isoline) and from a grid line.
            bool nearGrid = false;
            for (double c : p)
                nearGrid = nearGrid || std::fabs(c * 10 - std::round(c * 10)) < 0.08;
            if (fraction < 0.3 || fraction > 0.7 || nearGrid)
                continue;
            const QPointF at = chart.toPixel(p);
            const int band = std::clamp(int(std::floor(position)), 0, chart.levelCount() - 1);
            QCOMPARE(QColor(image.pixel(int(at.x()), int(at.y()))), chart.bandColor(band));
            ++checked;
        }
    }
    QVERIFY(checked > 200);
    const auto luminance = [](const QColor &c) {
        return 0.2126 * c.red() + 0.7152 * c.green() + 0.0722 * c.blue();
    };
    for (int band = 1; band < chart.levelCount(); ++band)
        QVERIFY(luminance(chart.bandColor(band)) > luminance(chart.bandColor(band - 1)));
}

// State: a polyline that slows down geometrically towards a point, a marker
// every 10 points with a 12-pixel gap. Expected: markers only on multiples
// of 10, consecutive ones (and the first from the start) at least 12 pixels
// apart, the early, well spaced ones all present.
void TestSimplexChart::stepMarkersNeverCrowd()
{
    SimplexChart chart;
    chart.resize(800, 600);
    SimplexChart::Polyline line;
    Barycentric p{0.9, 0.05, 0.05};
    for (int k = 0; k <= 1000; ++k) {
        line.points.append(p);
        for (int i = 0; i < 3; ++i)
            p[i] += (1.0 / 3 - p[i]) * 0.02;
    }
    line.markerStep = 10;
    line.markerGap = 12;
    chart.addPolyline(line);

    const QList<int> markers = chart.stepMarkerIndices(0);
    QVERIFY(!markers.isEmpty());
    QCOMPARE(markers.first(), 10);
    QPointF last = chart.toPixel(line.points.first());
    for (int k : markers) {
        QCOMPARE(k % 10, 0);
        const QPointF at = chart.toPixel(line.points.at(k));
        QVERIFY(distance(at, last) >= 12);
        last = at;
    }
    QVERIFY(markers.contains(20));
    QVERIFY(markers.size() < 100);
}

// State: a field, a dark polyline, a filled and a hollow marker on a white
// background. Action: render() into an image, and grab the shown widget.
// Expected: the polyline's middle dark, the filled marker's centre in its
// colour, the hollow one's centre in the band colour, outside the triangle
// the background; the widget's own paint (through its cached field layer)
// gives the same picture.
void TestSimplexChart::renderAndPaintShowTheSameChart()
{
    SimplexChart chart;
    const QSize size(640, 480);
    chart.resize(size);
    chart.setVertexLabels(QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"));
    chart.setFieldLabel(QStringLiteral("Wmed"));
    chart.setField([](double, double, double) { return 1.0; });
    SimplexChart::Polyline line;
    line.points = {{0.2, 0.4, 0.4}, {0.6, 0.2, 0.2}};
    line.color = QColor(20, 20, 20);
    line.width = 3;
    chart.addPolyline(line);
    const QColor red(200, 0, 0);
    // Both markers off the grid lines.
    const Barycentric filled{0.23, 0.21, 0.56};
    const Barycentric hollow{0.23, 0.56, 0.21};
    chart.addMarker({filled, {SimplexChart::Glyph::Circle, 6, red, red}, QString()});
    chart.addMarker({hollow, {SimplexChart::Glyph::Circle, 6, red, QColor()}, QString()});

    const QImage image = rendered(chart, size);
    const auto colourAt = [&](const QImage &picture, const Barycentric &p) {
        const QPointF at = chart.toPixel(p);
        return QColor(picture.pixel(int(std::floor(at.x())), int(std::floor(at.y()))));
    };
    QVERIFY(colourAt(image, {0.4, 0.3, 0.3}).lightness() < 60);
    QCOMPARE(colourAt(image, filled), red);
    QCOMPARE(colourAt(image, hollow), chart.bandColor(0));
    QCOMPARE(QColor(image.pixel(2, size.height() - 2)), QColor(Qt::white));

    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage painted = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(painted.size(), size);
    int differing = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QColor a(image.pixel(x, y));
            const QColor b(painted.pixel(x, y));
            if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()) > 6)
                ++differing;
        }
    }
    QVERIFY2(differing < size.width() * size.height() / 1000, qPrintable(QString::number(differing)));
}

// State: a shown chart painted with one field. Action: another field at the
// same size. Expected: the next paint shows the new field, not the cached
// picture of the old one.
void TestSimplexChart::newFieldIsRepainted()
{
    SimplexChart chart;
    chart.resize(500, 400);
    chart.setField(linearP0, 31);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const Barycentric nearA2{0.02, 0.96, 0.02};
    const auto shown = [&] {
        const QImage picture = chart.grab().toImage();
        const QPointF at = chart.toPixel(nearA2);
        return QColor(picture.pixel(int(at.x()), int(at.y())));
    };
    QCOMPARE(shown(), chart.bandColor(0));
    chart.setField([](double, double p1, double) { return p1; }, 31);
    QCOMPARE(shown(), chart.bandColor(chart.levelCount() - 1));
}

MORVA_GUI_TEST_MAIN(TestSimplexChart)

#include "tst_SimplexChart.moc"
