// A Run of the mutation window with its defaults (5 x 10^6 generations, 51
// sampled entries): from the click to the grid and the seven series of both
// charts refilled (goal: under 16 ms, one frame), and the same with the
// repaint that follows.

#include "arith/PgMathMu.h"
#include "models/windows/Mut2.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

namespace {

struct Window : morva::test::ModelHarness<TMut2Form> {
    Window()
    {
        main.show();
        QApplication::processEvents();
    }

    void run() const { form->RunBtn->click(); }

    // What a run must leave, as the user would count it.
    void count(benchmark::State &state) const
    {
        state.counters["rows"] = form->StringAlignGrid->rowCount();
        state.counters["MutNg"] = morva::MutNg;
        state.counters["messages"] = static_cast<double>(fixture.desktop.messages.size());
    }
};

void mut2RunToRefilled(benchmark::State &state)
{
    Window window;
    for (auto _ : state)
        window.run();
    window.count(state);
}

void mut2RunToRepainted(benchmark::State &state)
{
    Window window;
    for (auto _ : state) {
        window.run();
        QApplication::processEvents();
    }
    window.count(state);
}

} // namespace

BENCHMARK(mut2RunToRefilled)->Unit(benchmark::kMillisecond);
BENCHMARK(mut2RunToRepainted)->Unit(benchmark::kMillisecond);

MORVA_BENCH_MAIN()
