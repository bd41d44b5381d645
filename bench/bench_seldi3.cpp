// A Run of the 3-allele selection window over 1000 generations: from the
// click to the grid (1002 rows) and the seven series of both charts refilled
// (goal: under 16 ms, one frame), and the same with the repaint that follows.

#include "arith/PgMathSe.h"
#include "controls/KesSpinEdits1.h"
#include "models/windows/SelDi3.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

namespace {

struct Window : morva::test::ModelHarness<TSelDi3Form> {
    explicit Window(int generations)
    {
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
        state.counters["messages"] = static_cast<double>(fixture.desktop.messages.size());
    }
};

void seldi3RunToRefilled(benchmark::State &state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state)
        window.run();
    window.count(state);
}

void seldi3RunToRepainted(benchmark::State &state)
{
    Window window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.run();
        QApplication::processEvents();
    }
    window.count(state);
}

} // namespace

BENCHMARK(seldi3RunToRefilled)->Arg(50)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(seldi3RunToRepainted)->Arg(1000)->Unit(benchmark::kMillisecond);

MORVA_BENCH_MAIN()
