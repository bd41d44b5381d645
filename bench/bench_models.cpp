// A Run of the 2-allele selection window over 300 generations: from the click
// to the grid and the four charts refilled (goal: under 16 ms, one frame),
// and the same with the repaint that follows.

#include "controls/KesSpinEdits1.h"
#include "models/windows/SelDi2.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

namespace {

struct Window : morva::test::ModelHarness<TSelDi2Form> {
    explicit Window(int generations)
    {
        main.show();
        QApplication::processEvents();
        form->SelNgKesSpinEdit->setValue(generations);
    }
};

void runClickToRefilled(benchmark::State &state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state)
        window.form->SelRunBtn->click();
    state.counters["messages"] = static_cast<double>(window.fixture.desktop.messages.size());
}

void runClickToRepainted(benchmark::State &state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.form->SelRunBtn->click();
        QApplication::processEvents();
    }
    state.counters["messages"] = static_cast<double>(window.fixture.desktop.messages.size());
}

} // namespace

BENCHMARK(runClickToRefilled)->Arg(30)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(runClickToRepainted)->Arg(300)->Unit(benchmark::kMillisecond);

MORVA_BENCH_MAIN()
