// A Run of the mutation window with its defaults (5 x 10^6 generations, 51
// sampled entries): from the click to the grid and the seven series of both
// charts refilled (goal: under 16 ms, one frame), and the same with the
// repaint that follows.

#include "arith/PgMathMu.h"
#include "controls/Aligrid.h"
#include "models/Mut2.h"
#include "tests/support/FakeDesktop.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>

#include <benchmark/benchmark.h>

namespace {

struct Window {
    QMainWindow main;
    TMut2Form *form = nullptr;

    Window()
    {
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(1000, 760);
        form = new TMut2Form([] {});
        area->addSubWindow(form);
        form->show();
        main.show();
        QApplication::processEvents();
    }

    void run() const { form->RunBtn->click(); }

    // What a run must leave, as the user would count it.
    void count(benchmark::State &state) const
    {
        state.counters["rows"] = form->StringAlignGrid->rowCount();
        state.counters["MutNg"] = morva::MutNg;
    }
};

void mut2RunToRefilled(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window;
    for (auto _ : state)
        window.run();
    window.count(state);
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

void mut2RunToRepainted(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window;
    for (auto _ : state) {
        window.run();
        QApplication::processEvents();
    }
    window.count(state);
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

} // namespace

BENCHMARK(mut2RunToRefilled)->Unit(benchmark::kMillisecond);
BENCHMARK(mut2RunToRepainted)->Unit(benchmark::kMillisecond);

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
