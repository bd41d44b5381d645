// A Run of every model window over 1000 generations, from the click to the
// grid and charts refilled and repainted (goal: under 8 ms of CPU time; read
// the CPU column, the machine may be shared). The 2-allele window's field
// stops at 300, its largest; the mutation window runs 1 x 10^3; drift keeps
// its default replicates. One row of the table per window; the counters say
// what the run left (rows, and messages, which must be 0). A zoom step of
// the first chart (a wheel notch in or back out around the plot's centre)
// to repainted, for each window after its run (goal: under 16 ms).

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/Catalogue.h"
#include "models/windows/Drift2.h"
#include "models/windows/Inbreed.h"
#include "models/windows/LinkDis.h"
#include "models/windows/Mut2.h"
#include "models/windows/SelDi2.h"
#include "models/windows/SelDi3.h"
#include "models/windows/SelMig2.h"
#include "models/windows/SelMut2.h"
#include "models/windows/SexLink.h"
#include "tests/support/BenchMain.h"
#include "tests/support/ModelHarness.h"

#include <QChartView>
#include <QPushButton>

#include <vector>

namespace {

using morva::ModelForm;

// A generation field and the value it is given.
struct Field {
    const char *name;
    int value;
};

struct WindowRow {
    const char *name;
    void (*open)(morva::test::ModelHarness<ModelForm> &);
    std::vector<Field> fields;
};

template <class Form>
void openWindow(morva::test::ModelHarness<ModelForm> &harness)
{
    harness.open<Form>();
}

// A window that only the catalogue knows.
void openFrequencyDependent(morva::test::ModelHarness<ModelForm> &harness)
{
    harness.form = qobject_cast<ModelForm *>(
        morva::catalogueRow(u"frequency-dependent")->create([] {}));
    harness.area->addSubWindow(harness.form);
    harness.form->show();
}

const std::vector<WindowRow> &windows()
{
    static const std::vector<WindowRow> rows = {
        {"2 alleles (300, the largest)", openWindow<TSelDi2Form>, {{"SelNgKesSpinEdit", 300}}},
        {"mutation (1 x 10^3)",
         openWindow<TMut2Form>,
         {{"NgKesSpinEdit", 1}, {"NgPowerSpinEdit", 3}}},
        {"3 alleles", openWindow<TSelDi3Form>, {{"SelNgKesSpinEdit", 1000}}},
        {"selection with mutation", openWindow<TSelMut2Form>, {{"SelNgKesSpinEdit", 1000}}},
        {"selection with migration", openWindow<TSelMig2Form>, {{"SelNgKesSpinEdit", 1000}}},
        {"frequency-dependent selection", openFrequencyDependent, {{"SelNgKesSpinEdit", 1000}}},
        {"partial selfing", openWindow<TInbreedForm>, {{"SelNgKesSpinEdit", 1000}}},
        {"sex-linked locus", openWindow<TSexLinkForm>, {{"SelNgKesSpinEdit", 1000}}},
        {"linkage", openWindow<TLinkDisForm>, {{"SelNgKesSpinEdit", 1000}}},
        {"drift (20 replicates)", openWindow<TDrift2Form>, {{"SelNgKesSpinEdit", 1000}}},
    };
    return rows;
}

struct Window : morva::test::ModelHarness<ModelForm> {
    explicit Window(const WindowRow &row)
    {
        row.open(*this);
        main.show();
        QApplication::processEvents();
        // A run reads the typed text; a read-only field is stepped, so it
        // gets its value.
        for (const Field &field : row.fields) {
            auto *edit = form->findChild<TKesSpinEdit *>(QLatin1String(field.name));
            if (edit->isReadOnly())
                edit->setValue(field.value);
            else
                edit->setText(QString::number(field.value));
        }
        // The first run also shows the grid and the charts; the runs timed
        // are the ones after it.
        form->runButton()->click();
        QApplication::processEvents();
    }

    void count(benchmark::State &state) const
    {
        state.counters["rows"] = form->grid()->rowCount();
        state.counters["messages"] = static_cast<double>(fixture.desktop.messages.size());
    }
};

// One Run to repainted, out of line so that a profiler can count it alone
// (valgrind --tool=callgrind --toggle-collect='*runAndRepaint*').
[[gnu::noinline]] void runAndRepaint(const Window &window)
{
    window.form->runButton()->click();
    QApplication::processEvents();
}

void runToRepainted(benchmark::State &state, const WindowRow *row)
{
    Window window(*row);
    for (auto _ : state)
        runAndRepaint(window);
    window.count(state);
}

void zoomStepToRepainted(benchmark::State &state, const WindowRow *row)
{
    Window window(*row);
    morva::chart::Chart *chart = window.form->visibleChart();
    const QPoint centre = chart->plotRect().center();
    double factor = 0.8;
    for (auto _ : state) {
        chart->zoomAround(centre, factor);
        factor = 1 / factor;
        chart->view()->viewport()->repaint();
    }
    window.count(state);
}

const bool registered = [] {
    for (const WindowRow &row : windows()) {
        benchmark::RegisterBenchmark((std::string("runToRepainted/") + row.name).c_str(),
                                     runToRepainted, &row)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("zoomStepToRepainted/") + row.name).c_str(),
                                     zoomStepToRepainted, &row)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

} // namespace

MORVA_BENCH_MAIN()
