// A Run of the 3-allele selection window over 1000 generations: from the
// click to the grid (1002 rows) and the seven series of both charts refilled
// (goal: under 16 ms, one frame), and the same with the repaint that follows.

#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "models/SelDi3.h"
#include "tests/support/FakeDesktop.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

struct Window {
    QMainWindow main;
    TSelDi3Form *form = nullptr;

    explicit Window(int generations)
    {
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(1000, 760);
        form = new TSelDi3Form([] {});
        area->addSubWindow(form);
        form->show();
        main.show();
        QApplication::processEvents();
        // The run reads the typed text, not the clamped value.
        form->SelNgKesSpinEdit->setText(QString::number(generations));
    }

    void run() const { form->SelRunBtn->click(); }

    // Rows and points a run must leave, counted as the user would see them.
    void count(benchmark::State &state) const
    {
        state.counters["rows"] = form->SelDi3StringAlignGrid->rowCount();
        state.counters["SelNg"] = morva::SelNg;
    }
};

void seldi3RunToRefilled(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state)
        window.run();
    window.count(state);
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

void seldi3RunToRepainted(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.run();
        QApplication::processEvents();
    }
    window.count(state);
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

} // namespace

BENCHMARK(seldi3RunToRefilled)->Arg(50)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(seldi3RunToRepainted)->Arg(1000)->Unit(benchmark::kMillisecond);

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
