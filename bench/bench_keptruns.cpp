// The 3-allele window with eight kept runs: one Run over 1000 generations
// from the click to the grid, the charts and the simplex refilled and
// repainted (goal: under 16 ms; read the CPU column, the machine may be
// shared). Each kept run has another A1A3 fitness, so that every kept line
// has a course of its own. The counters say what the run left (kept runs,
// rows, and messages, which must be 0).

#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "models/windows/SelDi3.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

#include <QPushButton>
#include <QTabWidget>

namespace {

using morva::ModelForm;

struct Window : morva::test::ModelHarness<ModelForm> {
    explicit Window(int simplexPage)
    {
        open<TSelDi3Form>();
        main.show();
        QApplication::processEvents();
        auto *window = static_cast<TSelDi3Form *>(form.data());
        window->SelNgKesSpinEdit->setText(QStringLiteral("1000"));
        for (int k = 0; k < morva::KeptRuns::kMost; ++k) {
            window->SelDi3Fit13RealSpinEdit->setText(QString::number(0.9 + 0.05 * k, 'f', 3));
            form->runButton()->click();
            QApplication::processEvents();
            form->keepRun();
        }
        window->SelDi3Fit13RealSpinEdit->setText(QStringLiteral("1.200"));
        form->pageControl()->setCurrentIndex(simplexPage ? 2 : 0);
        form->runButton()->click();
        QApplication::processEvents();
    }

    void count(benchmark::State &state) const
    {
        state.counters["kept"] = form->keptRunCount();
        state.counters["rows"] = form->grid()->rowCount();
        state.counters["messages"] = static_cast<double>(fixture.desktop.messages.size());
    }
};

[[gnu::noinline]] void runAndRepaint(const Window &window)
{
    window.form->runButton()->click();
    QApplication::processEvents();
}

// Arg: 0 the frequencies page in front, 1 the simplex.
void runWithEightKept(benchmark::State &state)
{
    Window window(int(state.range(0)));
    for (auto _ : state)
        runAndRepaint(window);
    window.count(state);
}

BENCHMARK(runWithEightKept)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

MORVA_BENCH_MAIN()
