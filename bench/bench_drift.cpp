// The drift window, offscreen. Goal: the largest run it allows (200
// replicates x 10,000 generations, Ne = 10^6) from the click on Run to the
// grid (1002 rows) and the four charts refilled under 300 ms; the same with
// the repaint that follows, and the default run. Beside them: the chart with
// 20 or 200 lines of 1001 points, drawn by Qt Charts (0) or as the adapter's
// plain lines (1), refilled and committed, and with a full repaint; and
// opening the window.

#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/windows/Drift2.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

#include <QApplication>

#include <cmath>
#include <utility>

using namespace morva::chart;

namespace {

constexpr int kPoints = 1001;

struct Window : morva::test::ModelHarness<TDrift2Form> {
    // largest: 0 the defaults, 1 the largest run, 2 the largest with every
    // force (weak selection, continent migration, mutation both ways).
    explicit Window(long largest)
    {
        main.show();
        QApplication::processEvents();
        if (largest == 0)
            return;
        form->intField(QStringLiteral("DriftNeKesSpinEdit"))->setText(QStringLiteral("1000000"));
        form->intField(QStringLiteral("DriftReplicatesKesSpinEdit"))->setText(QStringLiteral("200"));
        form->intField(QStringLiteral("SelNgKesSpinEdit"))->setText(QStringLiteral("10000"));
        if (largest < 2)
            return;
        for (const auto &[name, text] :
             {std::pair{"DriftFit11RealSpinEdit", "1.0001"}, {"DriftFit12RealSpinEdit", "1.00005"},
              {"DriftMRealSpinEdit", "0.0001"}, {"DriftPcRealSpinEdit", "0.3"},
              {"DriftURealSpinEdit", "1"}, {"DriftVRealSpinEdit", "2"}})
            form->realField(QLatin1String(name))->setText(QLatin1String(text));
    }
    void run() const { form->runButton()->click(); }
    void count(benchmark::State &state) const
    {
        state.counters["rows"] = grid()->rowCount();
        state.counters["replicates"] = form->driftResult().input.replicates;
        state.counters["messages"] = static_cast<double>(fixture.desktop.messages.size());
    }
};

// Arg: the largest run (1), with every force (2), or the defaults (0).
// Goal for the largest with every force: under 400 ms.
void BM_DriftRunToRefilled(benchmark::State &state)
{
    Window window(state.range(0));
    for (auto _ : state)
        window.run();
    window.count(state);
    state.counters["mutation"] = static_cast<double>(window.form->driftResult().input.u);
}
BENCHMARK(BM_DriftRunToRefilled)->Arg(1)->Arg(2)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_DriftRunToRepainted(benchmark::State &state)
{
    Window window(state.range(0));
    for (auto _ : state) {
        window.run();
        QApplication::processEvents();
    }
    window.count(state);
}
BENCHMARK(BM_DriftRunToRepainted)->Arg(1)->Unit(benchmark::kMillisecond);

// From the window's construction to its first paint, then closed.
void BM_DriftWindowOpen(benchmark::State &state)
{
    morva::test::GuiFixture fixture;
    QMainWindow main;
    auto *area = new QMdiArea;
    main.setCentralWidget(area);
    main.resize(1000, 760);
    main.show();
    QApplication::processEvents();
    for (auto _ : state) {
        auto *form = new TDrift2Form([] {});
        area->addSubWindow(form);
        form->show();
        QApplication::processEvents();
        delete form;
    }
}
BENCHMARK(BM_DriftWindowOpen)->Unit(benchmark::kMillisecond);

// Args: lines, plain (1) or Qt Charts (0).
void chartRefill(benchmark::State &state, bool paint)
{
    const int count = static_cast<int>(state.range(0));
    const bool plain = state.range(1) != 0;
    Chart chart;
    for (int s = 0; s < count; ++s) {
        const QString name = QStringLiteral("Replicate%1").arg(s + 1);
        const QColor color = QColor::fromHsv(s * 37 % 360, 200, 200);
        if (plain)
            chart.addPlainLineSeries(name, QStringLiteral("r"), color, s == 0);
        else
            chart.addLineSeries(name, QStringLiteral("r"), color, PenStyle::Solid, s == 0);
    }
    chart.resize(900, 500);
    chart.show();
    QApplication::processEvents();
    double shift = 0;
    for (auto _ : state) {
        shift = shift == 0 ? 0.01 : 0; // every refill changes the numbers
        for (int s = 0; s < count; ++s) {
            Series *series = chart.series(s);
            series->clear();
            for (int g = 0; g < kPoints; ++g)
                series->addPoint(g, 0.5 + 0.4 * std::sin(g * 0.01 + s) + shift);
        }
        chart.commit();
        if (paint)
            benchmark::DoNotOptimize(chart.grab());
    }
}

void BM_ChartRefill(benchmark::State &state) { chartRefill(state, false); }
void BM_ChartRefillAndPaint(benchmark::State &state) { chartRefill(state, true); }
BENCHMARK(BM_ChartRefill)->ArgsProduct({{20, 200}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChartRefillAndPaint)->ArgsProduct({{20, 200}, {0, 1}})->Unit(benchmark::kMillisecond);

} // namespace

MORVA_BENCH_MAIN()
