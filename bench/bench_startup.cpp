// Start-up cost: from nothing to the frame's first paint, beside a bare
// QMainWindow with a QMdiArea measured in the same run; and the resident
// memory of a fresh process once each has painted (the benchmark runs itself
// as a probe for that, so neither side inherits the other's caches).
// Beside them, setups: a whole batch process that runs the 3-allele
// default from a setup to a CSV (goal: within 1.5 times the process to first
// paint), and opening a setup in the running program to its window painted
// (goal: under 50 ms).

#include "models/frame/ModelForm.h"
#include "platform/Application.h"
#include "shell/CommandLine.h"
#include "shell/PGFrame.h"
#include "shell/PGModelChoice.h"
#include "shell/SetupCommands.h"
#include "shell/Startup.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextStream>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

// Resident set size in kilobytes.
double residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0 : 0;
}

// Notes the first paint of any widget of a main window, watching the whole
// application so that a paint during show() is not missed.
class FirstPaint : public QObject {
public:
    FirstPaint() { qApp->installEventFilter(this); }
    ~FirstPaint() override { qApp->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType()
            && qobject_cast<QMainWindow *>(static_cast<QWidget *>(watched)->window()))
            painted = true;
        return false;
    }
};

void waitForPaint(const FirstPaint &watch)
{
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

const char *const kProbe = "--rss-probe";

std::unique_ptr<QMainWindow> showBareFrame()
{
    auto window = std::make_unique<QMainWindow>();
    window->setCentralWidget(new QMdiArea);
    window->resize(900, 675);
    window->show();
    return window;
}

// Starts this program as a probe of one kind and reads the resident size it
// reports after its first paint.
double probeResidentKb(const char *kind)
{
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(kProbe), QLatin1String(kind)});
    if (!probe.waitForFinished(60000))
        return 0;
    return probe.readAllStandardOutput().trimmed().toDouble();
}

// The 3-allele default as a setup file, written by a batch run.
QString threeAlleleSetup(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("three.morva"));
    QString error;
    morva::shell::runBatch({{}, QStringLiteral("selection-3-alleles"), {}, path}, error);
    return path;
}

// Notes the first paint inside a model window.
class ModelPaint : public QObject {
public:
    ModelPaint() { qApp->installEventFilter(this); }
    ~ModelPaint() override { qApp->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        for (auto *w = static_cast<QWidget *>(watched); w; w = w->parentWidget()) {
            if (qobject_cast<morva::ModelForm *>(w))
                painted = true;
        }
        return false;
    }
};

int runProbe(const QString &kind, const QStringList &rest)
{
    if (kind == QLatin1String("batch")) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        QString setup;
        return morva::shell::runCommandLine(QStringList{QStringLiteral("morva99")} + rest, out,
                                            err, setup);
    }
    FirstPaint watch;
    std::unique_ptr<QMainWindow> bare;
    if (kind == QLatin1String("bare")) {
        bare = showBareFrame();
    } else {
        morva::shell::startUp();
    }
    waitForPaint(watch);
    printf("%.0f\n", residentKb());
    return 0;
}

void BM_BareFrameToFirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        FirstPaint watch;
        auto window = showBareFrame();
        waitForPaint(watch);
        state.PauseTiming();
        window.reset();
        flushDeletes();
        state.ResumeTiming();
    }
    state.counters["process_rss_kB"] = probeResidentKb("bare");
}

void BM_MorvaStartUpToFirstPaint(benchmark::State &state)
{
    for (auto _ : state) {
        FirstPaint watch;
        morva::shell::startUp();
        waitForPaint(watch);
        state.PauseTiming();
        morva::shell::tearDown();
        flushDeletes();
        state.ResumeTiming();
    }
    state.counters["process_rss_kB"] = probeResidentKb("morva");
}

// A whole process: launch, application object, window, first paint, exit.
void runProbeProcess(benchmark::State &state, const char *kind)
{
    for (auto _ : state) {
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(kProbe), QLatin1String(kind)});
        if (!probe.waitForFinished(60000))
            state.SkipWithError("probe did not finish");
    }
}

void BM_BareProcessToFirstPaint(benchmark::State &state)
{
    runProbeProcess(state, "bare");
}

void BM_MorvaProcessToFirstPaint(benchmark::State &state)
{
    runProbeProcess(state, "morva");
}

// A whole batch process, as `morva99 --batch three.morva --output x.csv`.
void BM_BatchProcessToCsv(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString setup = threeAlleleSetup(dir);
    const QString csv = dir.filePath(QStringLiteral("three.csv"));
    for (auto _ : state) {
        QProcess probe;
        probe.start(QCoreApplication::applicationFilePath(),
                    {QLatin1String(kProbe), QStringLiteral("batch"), QStringLiteral("--batch"),
                     setup, QStringLiteral("--output"), csv});
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
            state.SkipWithError("batch did not finish");
    }
}

// The program running: File > Open of the 3-allele setup to its window
// painted, the model closed again between the rounds.
// Beside it, the same window opened from its leaf and run, without a file:
// what the setup adds is the difference.
void openToPainted(benchmark::State &state, bool fromSetup)
{
    QTemporaryDir dir;
    const QString setup = threeAlleleSetup(dir);
    morva::shell::setRecentSetupsFile(dir.filePath(QStringLiteral("recent.ini")));
    morva::shell::startUp();
    {
        FirstPaint frame;
        waitForPaint(frame);
    }
    for (auto _ : state) {
        ModelPaint watch;
        if (fromSetup) {
            morva::shell::openSetupFile(setup);
        } else {
            QMdiSubWindow *window = morva::shell::PGChoiceForm->createModel(QStringLiteral("3 alleles"));
            morva::shell::PGChoiceForm->presentModel(window);
            qobject_cast<morva::ModelForm *>(window)->pressRunButton();
        }
        while (!watch.painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        for (QMdiSubWindow *child : morva::shell::PGMainFrameForm->childWindows()) {
            if (auto *model = qobject_cast<morva::ModelForm *>(child))
                model->cancelButton()->click();
        }
        flushDeletes();
        state.ResumeTiming();
    }
    morva::shell::tearDown();
    flushDeletes();
    morva::shell::setRecentSetupsFile({});
}

void BM_OpenSetupToPainted(benchmark::State &state)
{
    openToPainted(state, true);
}

void BM_OpenLeafAndRunToPainted(benchmark::State &state)
{
    openToPainted(state, false);
}

BENCHMARK(BM_BareFrameToFirstPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MorvaStartUpToFirstPaint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareProcessToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_MorvaProcessToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_BatchProcessToCsv)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenSetupToPainted)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_OpenLeafAndRunToPainted)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
    morva::MorvaApplication app(argc, argv);
    if (argc >= 3 && qstrcmp(argv[1], kProbe) == 0)
        return runProbe(QString::fromLatin1(argv[2]), app.arguments().mid(3));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
