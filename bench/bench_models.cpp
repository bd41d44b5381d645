// A Run of the 2-allele selection window over 300 generations: from the click
// to the grid and the four charts refilled (goal: under 16 ms, one frame),
// and the same with the repaint that follows.

#include "controls/KesSpinEdits1.h"
#include "models/SelDi2.h"
#include "tests/support/FakeDesktop.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

struct Window {
    QMainWindow main;
    TSelDi2Form *form = nullptr;

    explicit Window(int generations)
    {
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(1000, 760);
        form = new TSelDi2Form([] {});
        area->addSubWindow(form);
        form->show();
        main.show();
        QApplication::processEvents();
        form->SelNgKesSpinEdit->setValue(generations);
    }
};

void runClickToRefilled(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state)
        window.form->SelRunBtn->click();
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

void runClickToRepainted(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form->SelRunBtn->click();
        QApplication::processEvents();
    }
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

} // namespace

BENCHMARK(runClickToRefilled)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(runClickToRepainted)->Arg(300)->Unit(benchmark::kMillisecond);

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
