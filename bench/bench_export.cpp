// A run leaving the program: the 3-allele window after 1000 generations
// (1001 rows of 8 values), copied to the clipboard as tab-separated text and
// saved as CSV through the save that replaces a file only when complete
// (goal: each under 10 ms); the text alone beside each, the fixed cost of a
// save, and the PNG, SVG and PDF for scale.

#include "controls/KesSpinEdits1.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "models/windows/SelDi3.h"
#include "platform/SaveFile.h"
#include "tests/support/FakeDesktop.h"

#include <QApplication>
#include <QClipboard>
#include <QMainWindow>
#include <QMdiArea>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

struct Window {
    QMainWindow main;
    TSelDi3Form *form = nullptr;

    Window()
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
        form->SelNgKesSpinEdit->setText(QStringLiteral("1000"));
        form->SelRunBtn->click();
        QApplication::processEvents();
    }
    void count(benchmark::State &state) const
    {
        state.counters["rows"] = form->results().rowCount();
        state.counters["columns"] = form->results().columnCount();
    }
};

void exportCopy(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window;
    for (auto _ : state)
        window.form->copyResults();
    window.count(state);
    state.counters["chars"] = static_cast<double>(QGuiApplication::clipboard()->text().size());
}

void exportTsvText(benchmark::State &state)
{
    Window window;
    for (auto _ : state)
        benchmark::DoNotOptimize(morva::tableTsv(window.form->results()));
}

void exportSaveCsv(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    Window window;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    for (auto _ : state)
        window.form->saveResults(path, morva::ExportFormat::Table);
    window.count(state);
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

// What a save costs whatever it writes: the temporary file, the flush to
// the disk and the rename.
void exportSaveFixedCost(benchmark::State &state)
{
    morva::test::FakeDesktop desktop;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tiny.csv"));
    const auto write = [](QIODevice &device, QString &) { return device.write("0\r\n") == 3; };
    for (auto _ : state)
        morva::saveFile(nullptr, path, write);
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

void exportCsvText(benchmark::State &state)
{
    Window window;
    for (auto _ : state)
        benchmark::DoNotOptimize(morva::tableCsv(window.form->results()));
}

void exportSave(benchmark::State &state, morva::ExportFormat format, const char *name)
{
    morva::test::FakeDesktop desktop;
    Window window;
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    for (auto _ : state)
        window.form->saveResults(path, format);
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["messages"] = static_cast<double>(desktop.messages.size());
}

void exportSavePng(benchmark::State &state) { exportSave(state, morva::ExportFormat::Picture, "c.png"); }
void exportSaveSvg(benchmark::State &state) { exportSave(state, morva::ExportFormat::Drawing, "c.svg"); }
void exportSavePdf(benchmark::State &state) { exportSave(state, morva::ExportFormat::Report, "r.pdf"); }

} // namespace

BENCHMARK(exportCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exportTsvText)->Unit(benchmark::kMillisecond);
BENCHMARK(exportSaveCsv)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exportSaveFixedCost)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exportCsvText)->Unit(benchmark::kMillisecond);
BENCHMARK(exportSavePng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exportSaveSvg)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(exportSavePdf)->Unit(benchmark::kMillisecond)->UseRealTime();

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
