// The simplex chart at 800 x 600 with a quadratic field contoured on a lattice
// of 60 points a side (11 bands), a trajectory of 1001 points with a marker
// every 10, and the change arrows shown. Goal: a full repaint under 8 ms.
//
// - simplexRenderAll: render() into an image, everything drawn as vectors,
//   nothing cached (the cost of an export);
// - simplexRepaintNewField: a new field sampled and contoured, then the
//   widget repainted (what a run costs the page);
// - simplexRepaintResized: the widget repainted after a resize, so the field
//   layer is rasterised again;
// - simplexRepaintCached: the widget repainted at the same size (the field
//   layer comes from its cache);
// - simplexSetField: sampling and contouring the field alone.
// The chart sits in a shown parent, as on its page, so a resize does not
// reallocate the window's backing store.

#include "controls/SimplexChart.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <array>

using morva::chart::Barycentric;
using morva::chart::SimplexChart;

namespace {

constexpr int kLattice = 60;
constexpr int kPoints = 1001;

// Genotype fitnesses of an interior peak off the centre.
constexpr double kW[3][3] = {{0.8, 1.0, 1.2}, {1.0, 0.7, 1.0}, {1.2, 1.0, 0.9}};

double meanFitness(double p0, double p1, double p2)
{
    const std::array<double, 3> p{p0, p1, p2};
    double sum = 0.0;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            sum += p[i] * p[j] * kW[i][j];
    return sum;
}

Barycentric step(const Barycentric &p)
{
    const double wmed = meanFitness(p[0], p[1], p[2]);
    Barycentric next{};
    for (int i = 0; i < 3; ++i) {
        double wi = 0.0;
        for (int j = 0; j < 3; ++j)
            wi += p[j] * kW[i][j];
        next[i] = p[i] * wi / wmed;
    }
    return next;
}

struct Fixture {
    QWidget page;
    SimplexChart &chart = *new SimplexChart(&page);

    Fixture()
    {
        page.resize(820, 620);
        chart.resize(800, 600);
        chart.setVertexLabels(QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3"));
        chart.setFieldLabel(QStringLiteral("Wmed"));
        chart.setField(meanFitness, kLattice);
        chart.setChangeField(
            [](double p0, double p1, double p2) {
                const Barycentric next = step({p0, p1, p2});
                return Barycentric{next[0] - p0, next[1] - p1, next[2] - p2};
            },
            15);
        chart.setArrowsVisible(true);
        SimplexChart::Polyline line;
        Barycentric p{0.05, 0.9, 0.05};
        for (int g = 0; g < kPoints; ++g) {
            line.points.append(p);
            p = step(p);
        }
        line.color = QColor(40, 40, 40);
        line.markerStep = 10;
        line.stepMarker.radius = 2.5;
        line.startMarker = SimplexChart::MarkerStyle{SimplexChart::Glyph::Diamond, 4.0,
                                                     QColor(40, 40, 40), Qt::yellow};
        line.legend = QStringLiteral("trajectory");
        line.startLegend = QStringLiteral("start");
        chart.addPolyline(line);
        page.show();
        QApplication::processEvents();
    }
};

void simplexRenderAll(benchmark::State &state)
{
    Fixture f;
    QImage image(f.chart.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        f.chart.render(painter, image.size());
    }
}

void simplexRepaintNewField(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.chart.setField(meanFitness, kLattice);
        f.chart.repaint();
    }
}

void simplexRepaintResized(benchmark::State &state)
{
    Fixture f;
    bool wide = false;
    for (auto _ : state) {
        f.chart.resize(wide ? 800 : 801, 600);
        wide = !wide;
        f.chart.repaint();
    }
}

void simplexRepaintCached(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state)
        f.chart.repaint();
}

void simplexSetField(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state)
        f.chart.setField(meanFitness, kLattice);
    state.counters["levels"] = f.chart.levels().size();
}

} // namespace

BENCHMARK(simplexRenderAll)->Unit(benchmark::kMillisecond);
BENCHMARK(simplexRepaintNewField)->Unit(benchmark::kMillisecond);
BENCHMARK(simplexRepaintResized)->Unit(benchmark::kMillisecond);
BENCHMARK(simplexRepaintCached)->Unit(benchmark::kMillisecond);
BENCHMARK(simplexSetField)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
