// A Run of the selection windows with mutation and with migration over
// 1,000,000 generations: from the click to the grid (2003 rows) and the three
// charts refilled (goal: under 50 ms), and the same with the repaint that
// follows; the arithmetic alone beside them.

#include "arith/SelectionMutation.h"
#include "controls/KesSpinEdits1.h"
#include "models/windows/SelMig2.h"
#include "models/windows/SelMut2.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

namespace {

template <class Form>
struct Window : morva::test::ModelHarness<Form> {
    explicit Window(int generations)
    {
        this->main.show();
        QApplication::processEvents();
        this->form->intField(QStringLiteral("SelNgKesSpinEdit"))
            ->setText(QString::number(generations));
    }

    void run() const { this->form->runButton()->click(); }

    void count(benchmark::State &state) const
    {
        state.counters["rows"] = this->form->grid()->rowCount();
        state.counters["messages"] = static_cast<double>(this->fixture.desktop.messages.size());
    }
};

template <class Form>
void runToRefilled(benchmark::State &state)
{
    Window<Form> window(static_cast<int>(state.range(0)));
    for (auto _ : state)
        window.run();
    window.count(state);
}

template <class Form>
void runToRepainted(benchmark::State &state)
{
    Window<Form> window(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        window.run();
        QApplication::processEvents();
    }
    window.count(state);
}

// The selection-with-mutation trajectory alone, the window's defaults.
void selMutArithmetic(benchmark::State &state)
{
    morva::SelMutParams in;
    in.p0[1] = 0.6L;
    in.p0[2] = 0.4L;
    in.w[1] = 1;
    in.w[2] = 1;
    in.w[3] = 0.8L;
    in.u = 5e-3L;
    in.ng = static_cast<std::int32_t>(state.range(0));
    morva::SelMutTrajectory out;
    for (auto _ : state) {
        morva::runSelMut(in, out);
        benchmark::DoNotOptimize(out.p1.back());
    }
}

} // namespace

BENCHMARK(runToRefilled<TSelMut2Form>)->Arg(500)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(runToRefilled<TSelMig2Form>)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(runToRepainted<TSelMut2Form>)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(selMutArithmetic)->Arg(1000000)->Unit(benchmark::kMillisecond);

MORVA_BENCH_MAIN()
