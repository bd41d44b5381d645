// Refill costs of the output controls, offscreen: four chart series of 1001
// points (clear, add, commit) and a 1002 x 5 grid (fill, and the pass that
// fits the columns to their texts). Goal: each under 4 ms.

#include "controls/Aligrid.h"
#include "controls/Chart.h"

#include <QApplication>
#include <QString>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

using namespace morva::chart;

namespace {

constexpr int kPoints = 1001;
constexpr int kRows = 1002;
constexpr int kCols = 5;

void BM_ChartRefill4x1001(benchmark::State &state)
{
    Chart chart;
    chart.addLineSeries(QStringLiteral("Series1"), QStringLiteral("p[1]"), QColor(0, 128, 0),
                        PenStyle::Solid);
    chart.addLineSeries(QStringLiteral("Series2"), QStringLiteral("p[2]"), Qt::red,
                        PenStyle::Dashed);
    chart.addLineSeries(QStringLiteral("Series3"), QStringLiteral("Wmed"), Qt::black,
                        PenStyle::Solid);
    chart.addPointSeries(QStringLiteral("Series4"), QStringLiteral("obs"), Qt::black,
                         MarkerShape::Circle, 3, Qt::black);
    chart.leftAxis()->setLabelPicture(QStringLiteral("0.00"));
    chart.bottomAxis()->setLabelPicture(QStringLiteral("##0"));
    chart.resize(600, 400);
    chart.show();
    QApplication::processEvents();

    double shift = 0;
    for (auto _ : state) {
        shift = shift == 0 ? 0.01 : 0; // every refill changes the numbers
        for (int s = 0; s < chart.seriesCount(); ++s)
            chart.series(s)->clear();
        for (int s = 0; s < chart.seriesCount(); ++s) {
            Series *series = chart.series(s);
            for (int g = 0; g < kPoints; ++g)
                series->addPoint(g, 0.5 + 0.4 * std::sin(g * 0.01 + s) + shift);
        }
        chart.commit();
    }
    state.SetItemsProcessed(state.iterations() * 4 * kPoints);
}
BENCHMARK(BM_ChartRefill4x1001)->Unit(benchmark::kMillisecond);

// The same refill followed by the repaint it causes.
void BM_ChartRefillAndPaint(benchmark::State &state)
{
    Chart chart;
    for (int s = 0; s < 4; ++s)
        chart.addLineSeries(QStringLiteral("Series%1").arg(s + 1), QStringLiteral("s"),
                            Qt::black, PenStyle::Solid);
    chart.resize(600, 400);
    chart.show();
    QApplication::processEvents();
    for (auto _ : state) {
        for (int s = 0; s < chart.seriesCount(); ++s) {
            Series *series = chart.series(s);
            series->clear();
            for (int g = 0; g < kPoints; ++g)
                series->addPoint(g, std::sin(g * 0.01 + s));
        }
        chart.commit();
        chart.repaint();
    }
}
BENCHMARK(BM_ChartRefillAndPaint)->Unit(benchmark::kMillisecond);

QStringList gridTexts()
{
    QStringList texts;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kCols; ++col)
            texts.append(QStringLiteral(" %1.%2").arg(row).arg(col, 3, 10, QLatin1Char('0')));
    return texts;
}

void BM_GridFill1002x5(benchmark::State &state)
{
    const QStringList texts = gridTexts();
    TStringAlignGrid grid;
    grid.setColCount(kCols);
    grid.setFixedCols(0);
    grid.setFixedRows(1);
    grid.setDefaultColWidth(60);
    grid.setDefaultRowHeight(18);
    grid.setAlignment(alCenter);
    grid.columnFont(1)->setColor(QColor(0, 128, 0));
    grid.resize(325, 300);
    grid.show();
    QApplication::processEvents();

    for (auto _ : state) {
        grid.setRowCount(2); // as after an earlier short run
        grid.setRowCount(kRows);
        qsizetype i = 0;
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                grid.setCell(col, row, texts.at(i++));
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_GridFill1002x5)->Unit(benchmark::kMillisecond);

// The one pass after a refill that widens the columns to their texts.
void BM_GridFitColumns1002x5(benchmark::State &state)
{
    const QStringList texts = gridTexts();
    TStringAlignGrid grid;
    grid.setColCount(kCols);
    grid.setFixedCols(0);
    grid.setFixedRows(1);
    grid.setDefaultColWidth(60);
    grid.setRowCount(kRows);
    grid.columnFont(1)->setColor(QColor(0, 128, 0));
    grid.cellFont(1, 0)->setColor(Qt::black);
    qsizetype i = 0;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kCols; ++col)
            grid.setCell(col, row, texts.at(i++));
    for (auto _ : state)
        grid.fitColumnsToTexts();
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_GridFitColumns1002x5)->Unit(benchmark::kMillisecond);

void BM_GridFillAndPaint(benchmark::State &state)
{
    const QStringList texts = gridTexts();
    TStringAlignGrid grid;
    grid.setColCount(kCols);
    grid.setFixedCols(0);
    grid.resize(325, 300);
    grid.show();
    QApplication::processEvents();
    for (auto _ : state) {
        grid.setRowCount(2);
        grid.setRowCount(kRows);
        qsizetype i = 0;
        for (int row = 0; row < kRows; ++row)
            for (int col = 0; col < kCols; ++col)
                grid.setCell(col, row, texts.at(i++));
        grid.viewport()->repaint();
    }
}
BENCHMARK(BM_GridFillAndPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
