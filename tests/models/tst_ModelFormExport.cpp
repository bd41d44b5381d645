// Results leaving a model window: Copy, Ctrl+C in the grid, the grid's and
// the charts' context menus, Save As through the save dialog, and what a
// failed save leaves. The largest run of each model goes out on the
// clipboard and into CSV and reads back equal to the arithmetic state bit
// for bit; a long run of each window that shows a sample of its
// generations goes out with every generation, holding the sample's rows to
// the bit. State / Action / Expected in each test's comment.

#include "arith/PgMathMu.h"
#include "arith/PgMathSe.h"
#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "controls/KesSpinEdits1.h"
#include "models/frame/ModelForm.h"
#include "models/windows/Drift2.h"
#include "models/windows/Mut2.h"
#include "models/frame/RunExport.h"
#include "models/frame/RunTable.h"
#include "models/windows/SelDi2.h"
#include "models/windows/SelDi3.h"
#include "models/windows/SelMig2.h"
#include "models/windows/SelMut2.h"
#include "platform/SaveFile.h"
#include "tests/support/ExportReader.h"
#include "tests/support/GuiFixture.h"

#include <QAction>
#include <QChartView>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using morva::ModelForm;
using morva::test::ReadTable;

namespace {

enum class Model { Selection2, Selection3, Mutation, SelectionMutation, SelectionMigration, Drift };

struct Harness {
    morva::test::GuiFixture fixture;
    QMainWindow main;
    QMdiArea *area = new QMdiArea;
    QPointer<ModelForm> form;

    Harness()
    {
        main.setCentralWidget(area);
        main.resize(1000, 760);
    }
    ModelForm *open(Model model)
    {
        switch (model) {
        case Model::Selection2: form = new TSelDi2Form([] {}); break;
        case Model::Selection3: form = new TSelDi3Form([] {}); break;
        case Model::Mutation: form = new TMut2Form([] {}); break;
        case Model::SelectionMutation: form = new TSelMut2Form([] {}); break;
        case Model::SelectionMigration: form = new TSelMig2Form([] {}); break;
        case Model::Drift: form = new TDrift2Form([] {}); break;
        }
        area->addSubWindow(form);
        form->show();
        return form;
    }
    // Runs the largest number of generations each window takes: 1000 typed
    // into the 3-allele window and run with Enter (Run would clamp it).
    void runLargest() const
    {
        if (auto *w3 = qobject_cast<TSelDi3Form *>(form)) {
            w3->SelNgKesSpinEdit->setFocus();
            w3->SelNgKesSpinEdit->setText(QString::number(TSelDi3Form::kMaxGenerations));
            QTest::keyClick(w3->SelNgKesSpinEdit, Qt::Key_Return);
            return;
        }
        if (auto *w = qobject_cast<TSelDi2Form *>(form)) {
            w->SelNgKesSpinEdit->setValue(300);
        } else if (auto *m = qobject_cast<TMut2Form *>(form)) {
            m->NgKesSpinEdit->setValue(21);
            m->NgPowerSpinEdit->setValue(8);
        }
        run();
    }
    void run() const { QTest::mouseClick(form->runButton(), Qt::LeftButton); }
    // Runs `generations`: the mutation window's "5x10^3" as its two fields,
    // the others typed into their generations field and run with Enter.
    void runFor(const QString &generations) const
    {
        if (auto *m = qobject_cast<TMut2Form *>(form)) {
            const QStringList parts = generations.split(QStringLiteral("x10^"));
            m->NgKesSpinEdit->setValue(parts.at(0).toInt());
            m->NgPowerSpinEdit->setValue(parts.at(1).toInt());
            run();
            return;
        }
        auto *field = form->findChild<QLineEdit *>(QStringLiteral("SelNgKesSpinEdit"));
        field->setFocus();
        field->setText(generations);
        QTest::keyClick(field, Qt::Key_Return);
    }
};

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

// The arithmetic state of the last run, row by row as the window's table
// has it.
QList<QList<long double>> stateRows(Model model)
{
    using namespace morva;
    QList<QList<long double>> rows;
    if (model == Model::Mutation) {
        for (int j = 0; j <= MutSamples; ++j)
            rows.append({static_cast<long double>(MutTimes[j]), MutFreqs[j][1], MutFreqs[j][2]});
        return rows;
    }
    for (int g = 0; g <= SelNg; ++g) {
        QList<long double> row{static_cast<long double>(SelTimes[g])};
        const int alleles = model == Model::Selection2 ? 2 : 3;
        for (int i = 1; i <= alleles; ++i)
            row.append(SelFreqs[g][i]);
        for (int i = 1; i <= alleles; ++i)
            row.append(SelAlleleFit[g][i]);
        row.append(SelWmed[g]);
        rows.append(row);
    }
    return rows;
}

// Compares a table read back with the state, value by value, bit for bit.
QByteArray stateMismatch(const ReadTable &read, const QList<QList<long double>> &state)
{
    if (read.rows.size() != state.size())
        return "rows: " + QByteArray::number(read.rows.size()) + " instead of "
               + QByteArray::number(state.size());
    for (qsizetype r = 0; r < state.size(); ++r) {
        if (read.rows.at(r).size() != state.at(r).size())
            return "columns in row " + QByteArray::number(r);
        for (qsizetype c = 0; c < state.at(r).size(); ++c) {
            const std::optional<long double> value = morva::test::readNumber(read.rows.at(r).at(c));
            if (!value || !morva::test::sameBits80(*value, state.at(r).at(c)))
                return "row " + QByteArray::number(r) + " column " + QByteArray::number(c) + ": "
                       + read.rows.at(r).at(c).toUtf8();
        }
    }
    return {};
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Right-clicks `widget` in its middle and returns the menu that pops up.
QMenu *contextMenuOf(QWidget *widget)
{
    const QPoint pos = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &event);
    if (!QTest::qWaitFor([] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()); },
                         5000))
        return nullptr;
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

// Each line of a file in turn; false when it cannot be read.
template <class Each>
bool forEachLine(const QString &path, Each each)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    while (!file.atEnd())
        each(file.readLine());
    return true;
}

QStringList actionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(Model)

class TestModelFormExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void largestRunReadsBackBitForBit_data();
    void largestRunReadsBackBitForBit();
    void resultsFollowPassedRuns();
    void ctrlCInGridCopiesBeforeAnyShortcut();
    void contextMenus();
    void saveAsOffersEveryType_data();
    void saveAsOffersEveryType();
    void failedSaveKeepsEverything();
    void sampledRunsGiveEveryGeneration_data();
    void sampledRunsGiveEveryGeneration();

private:
    std::unique_ptr<Harness> h;
};

void TestModelFormExport::init()
{
    h = std::make_unique<Harness>();
    MORVA_SHOW_ACTIVE(&h->main);
}

void TestModelFormExport::cleanup()
{
    if (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
    const QStringList left = h ? h->fixture.desktop.messageTexts() : QStringList();
    h.reset();
    QVERIFY2(left.isEmpty(),
             qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(" | ")));
}

void TestModelFormExport::largestRunReadsBackBitForBit_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<int>("rows");
    QTest::newRow("2 alleles, 300 generations")
        << Model::Selection2
        << QStringList{"A1 frequency", "0.600", "A2 frequency", "0.400", "A1A1 fitness", "0.800",
                       "A1A2 fitness", "0.700", "A2A2 fitness", "0.900", "generations", "300"}
        << QStringList{"time", "p[1]", "p[2]", "W[1]", "W[2]", "Wmed"} << 301;
    QTest::newRow("3 alleles, 1000 generations")
        << Model::Selection3
        << QStringList{"A1 frequency", "0.100", "A2 frequency", "0.400", "A3 frequency", "0.500",
                       "A1A1 fitness", "0.800", "A1A2 fitness", "1.000", "A1A3 fitness", "1.200",
                       "A2A2 fitness", "0.700", "A2A3 fitness", "1.000", "A3A3 fitness", "0.900",
                       "generations", "1000"}
        << QStringList{"time", "p[1]", "p[2]", "p[3]", "W[1]", "W[2]", "W[3]", "Wmed"} << 1001;
    QTest::newRow("mutation, 21x10^8 generations")
        << Model::Mutation
        << QStringList{"A1 frequency", "0.600", "A2 frequency", "0.400", "A1->A2 rate",
                       "1.000x10^-6", "A2->A1 rate", "5.000x10^-7", "generations", "21x10^8"}
        << QStringList{"time", "p[1]", "p[2]"} << 51;
}

// State: the window's largest run. Action: Copy, then Save As CSV. Expected:
// clipboard and file read back to the inputs as the fields show them, the
// header, and every value equal to the arithmetic state bit for bit.
void TestModelFormExport::largestRunReadsBackBitForBit()
{
    QFETCH(Model, model);
    QFETCH(QStringList, inputs);
    QFETCH(QStringList, header);
    QFETCH(int, rows);
    h->open(model);
    h->runLargest();
    QVERIFY(h->form->hasResults());
    const QList<QList<long double>> state = stateRows(model);
    QCOMPARE(state.size(), rows);

    QGuiApplication::clipboard()->clear();
    h->form->copyResults();
    const ReadTable tsv = morva::test::readTsv(clipboardText());
    QStringList readInputs;
    for (const QStringList &pair : tsv.inputs)
        readInputs += pair;
    QCOMPARE(readInputs, inputs);
    QCOMPARE(tsv.header, header);
    QByteArray mismatch = stateMismatch(tsv, state);
    QVERIFY2(mismatch.isEmpty(), mismatch.constData());

    QTemporaryDir dir;
    h->fixture.desktop.saveAnswer = {dir.filePath(QStringLiteral("run.csv")),
                                     QStringLiteral("Table (*.csv)")};
    h->form->saveResultsAs();
    const std::optional<ReadTable> csv = morva::test::readCsv(fileContents(dir.filePath("run.csv")));
    QVERIFY(csv);
    readInputs.clear();
    for (const QStringList &pair : csv->inputs)
        readInputs += pair;
    QCOMPARE(readInputs, inputs);
    // The equilibria follow the inputs as comment lines, the same in both.
    QVERIFY(!tsv.notes.filter(QStringLiteral("stable")).isEmpty());
    QCOMPARE(csv->notes, tsv.notes);
    QCOMPARE(csv->header, header);
    mismatch = stateMismatch(*csv, state);
    QVERIFY2(mismatch.isEmpty(), mismatch.constData());
}

// State: two selection windows sharing one arithmetic state. Action: run
// the first, a failing run, then run the second. Expected: resultsChanged on
// each passed run; the failing run keeps the results; the first window's
// results stay its own run's after the second window overwrote the state.
void TestModelFormExport::resultsFollowPassedRuns()
{
    auto *two = qobject_cast<TSelDi2Form *>(h->open(Model::Selection2));
    QSignalSpy changes(two, &ModelForm::resultsChanged);
    QVERIFY(!two->hasResults());
    h->run();
    QCOMPARE(changes.size(), 1);
    const QString first = morva::tableTsv(two->results());
    QVERIFY(first.contains(QStringLiteral("\n30\t")));

    two->SelDi2Freq1RealSpinEdit->setValue(0.9L);
    h->run();
    MORVA_TAKE_MESSAGE(h->fixture.desktop, TSelDi2Form::kSumMessage);
    QCOMPARE(changes.size(), 1);
    QVERIFY(two->hasResults());

    h->open(Model::Selection3);
    h->run();
    QVERIFY(h->form->hasResults());
    QCOMPARE(morva::tableTsv(two->results()), first);
}

// State: a run shown, the window inside a main window whose own Ctrl+C item
// counts its uses. Action: Ctrl+C with the focus in the grid, then on Run.
// Expected: in the grid the window copies the run and the item stays
// untouched; elsewhere the key is the item's.
void TestModelFormExport::ctrlCInGridCopiesBeforeAnyShortcut()
{
    auto *frameCopy = new QAction(&h->main);
    frameCopy->setShortcut(QKeySequence::Copy);
    h->main.addAction(frameCopy);
    QSignalSpy frameCopies(frameCopy, &QAction::triggered);
    h->open(Model::Selection3);
    h->run();
    TStringAlignGrid *grid = h->form->grid();
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), morva::tableTsv(h->form->results()));
    QCOMPARE(frameCopies.size(), 0);

    h->form->runButton()->setFocus();
    QTest::keyClick(h->form->runButton(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(frameCopies.size(), 1);
}

// State: a run shown. Action: right click on the chart, then on the grid,
// and choose the items. Expected: "Copy picture" and "Save picture..." on the
// chart (the picture on the clipboard at the chart's size; the save dialog
// offering PNG and SVG), then the zoom's "Reset zoom" (only while zoomed)
// and "Keep zoom on Run" (a tick, off until set, kept by the chart);
// "Copy table" on the grid.
void TestModelFormExport::contextMenus()
{
    h->open(Model::Mutation);
    h->run();
    morva::chart::Chart *chart = h->form->visibleChart();
    QVERIFY(chart);
    QMenu *menu = contextMenuOf(chart->view()->viewport());
    QVERIFY(menu);
    const QStringList texts = actionTexts(menu);
    QCOMPARE(texts.mid(0, 2), (QStringList{"Copy picture", "Save picture..."}));
    QAction *reset = menu->actions().value(int(texts.indexOf("Reset zoom")));
    QAction *keep = menu->actions().value(int(texts.indexOf("Keep zoom on Run")));
    QVERIFY(reset && keep);
    QVERIFY(!reset->isEnabled() && keep->isCheckable() && !keep->isChecked());
    keep->trigger();
    QVERIFY(chart->keepsZoomOnRun());
    QGuiApplication::clipboard()->clear();
    menu->actions().at(0)->trigger();
    menu->close();
    QCOMPARE(QGuiApplication::clipboard()->image().size(),
             chart->size() * chart->devicePixelRatio());

    menu = contextMenuOf(chart->view()->viewport());
    QVERIFY(menu);
    menu->actions().at(1)->trigger();
    menu->close();
    QCOMPARE(h->fixture.desktop.saveDialogs.size(), 1);
    QCOMPARE(h->fixture.desktop.saveDialogs.first().filters,
             (QStringList{"Chart as picture (*.png)", "Chart as drawing (*.svg)"}));
    QCOMPARE(h->fixture.desktop.saveDialogs.first().fileName,
             QStringLiteral("mutation-2-alleles-2026-12-08-0930.png"));

    menu = contextMenuOf(h->form->grid()->viewport());
    QVERIFY(menu);
    QCOMPARE(actionTexts(menu), QStringList{"Copy table"});
    QGuiApplication::clipboard()->clear();
    menu->actions().at(0)->trigger();
    menu->close();
    QCOMPARE(clipboardText(), morva::tableTsv(h->form->results()));
}

void TestModelFormExport::saveAsOffersEveryType_data()
{
    QTest::addColumn<QString>("answer");   // the name typed, empty: cancelled
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("file");     // the file written, empty: none
    QTest::addColumn<QByteArray>("start"); // its first bytes
    QTest::newRow("table") << "run.csv" << "Table (*.csv)" << "run.csv" << QByteArray("# A1 frequency,");
    QTest::newRow("picture, extension from the type")
        << "run" << "Chart as picture (*.png)" << "run.png" << QByteArray("\x89PNG");
    QTest::newRow("drawing") << "run.svg" << "Chart as drawing (*.svg)" << "run.svg"
                             << QByteArray("<?xml");
    QTest::newRow("report") << "run" << "Report (*.pdf)" << "run.pdf" << QByteArray("%PDF-");
    QTest::newRow("typed extension wins") << "run.svg" << "Table (*.csv)" << "run.svg"
                                          << QByteArray("<?xml");
    QTest::newRow("setup") << "run" << "Setup (*.morva)" << "run.morva"
                           << QByteArray("{\n    \"format\": \"MORVA 99 setup\"");
    QTest::newRow("cancelled") << "" << "Table (*.csv)" << "" << QByteArray();
}

// State: a run shown, the clock at 2026-12-08 09:30. Action: Save As, answer
// the dialog. Expected: one dialog offering the five types with a name of
// the model and the time; the file of the type chosen; the next dialog opens
// in the folder of the last save.
void TestModelFormExport::saveAsOffersEveryType()
{
    QFETCH(QString, answer);
    QFETCH(QString, filter);
    QFETCH(QString, file);
    QFETCH(QByteArray, start);
    h->open(Model::Selection2);
    h->run();
    QTemporaryDir dir;
    morva::test::FakeDesktop &desktop = h->fixture.desktop;
    desktop.saveAnswer = {answer.isEmpty() ? QString() : dir.filePath(answer), filter};
    h->form->saveResultsAs();
    QCOMPARE(desktop.saveDialogs.size(), 1);
    const morva::SaveDialogRequest request = desktop.saveDialogs.first();
    QCOMPARE(request.fileName, QStringLiteral("selection-2-alleles-2026-12-08-0930.csv"));
    QCOMPARE(request.filters, (QStringList{"Table (*.csv)", "Chart as picture (*.png)",
                                           "Chart as drawing (*.svg)", "Report (*.pdf)",
                                           "Setup (*.morva)"}));
    QCOMPARE(request.filter, QStringLiteral("Table (*.csv)"));
    const QStringList written = QDir(dir.path()).entryList(QDir::Files);
    QCOMPARE(written, file.isEmpty() ? QStringList() : QStringList{file});
    if (!file.isEmpty())
        QVERIFY(fileContents(dir.filePath(file)).startsWith(start));
    MORVA_VERIFY_NO_MESSAGE(desktop);

    h->form->saveResultsAs();
    if (!file.isEmpty())
        QCOMPARE(desktop.saveDialogs.last().folder, dir.path());
}

// State: a run shown and an earlier CSV file. Action: Save As into a path
// under that file (a folder that cannot be). Expected: one error naming the
// file and the reason; the earlier file, the results and the grid as they
// were.
void TestModelFormExport::failedSaveKeepsEverything()
{
    h->open(Model::Selection2);
    h->run();
    const QString before = morva::tableTsv(h->form->results());
    const QString gridBefore = h->form->grid()->cell(3, 31);
    QTemporaryDir dir;
    const QString earlier = dir.filePath(QStringLiteral("run.csv"));
    {
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier\r\n");
    }
    const QString path = earlier + QStringLiteral("/new.csv");
    h->fixture.desktop.saveAnswer = {path, QStringLiteral("Table (*.csv)")};
    h->form->saveResultsAs();
    const QString error = morva::saveErrorText(path, QStringLiteral("Not a directory"));
    MORVA_TAKE_MESSAGE(h->fixture.desktop, error);
    QCOMPARE(fileContents(earlier), QByteArray("earlier\r\n"));
    QCOMPARE(morva::tableTsv(h->form->results()), before);
    QCOMPARE(h->form->grid()->cell(3, 31), gridBefore);
}

void TestModelFormExport::sampledRunsGiveEveryGeneration_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("generations");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("offered");
    QTest::newRow("selection with mutation, the longest run")
        << Model::SelectionMutation << "1000000"
        << "0 to 1000 every generation, then 1001 more to 1000000, 998 to 999 apart" << true;
    QTest::newRow("selection with migration")
        << Model::SelectionMigration << "3002"
        << "0 to 1000 every generation, then every 2nd to 3002" << true;
    QTest::newRow("mutation") << Model::Mutation << "5x10^3" << "0, then every 100th to 5000"
                              << true;
    QTest::newRow("mutation beyond a million generations")
        << Model::Mutation << "21x10^8" << "0, then every 42000000th to 2100000000" << false;
    QTest::newRow("drift") << Model::Drift << "10000" << "0, then every 10th to 10000" << true;
}

// State: a run whose table holds a sample of its generations. Action: Save
// As the table, then Save As "CSV, every generation". Expected: the table
// says which generations it shows; the second file (offered up to a million
// generations) has the same inputs, notes and header without that line, a
// row for every generation, and the sampled rows, text for text, so bit for
// bit.
void TestModelFormExport::sampledRunsGiveEveryGeneration()
{
    QFETCH(Model, model);
    QFETCH(QString, generations);
    QFETCH(QString, shown);
    QFETCH(bool, offered);
    h->open(model);
    h->runFor(generations);
    QVERIFY(h->form->hasResults());
    QCOMPARE(h->form->results().generationsShown, shown);

    const QString every = QStringLiteral("CSV, every generation (*.csv)");
    QTemporaryDir dir;
    morva::test::FakeDesktop &desktop = h->fixture.desktop;
    desktop.saveAnswer = {dir.filePath(QStringLiteral("sample.csv")),
                          QStringLiteral("Table (*.csv)")};
    h->form->saveResultsAs();
    QCOMPARE(desktop.saveDialogs.last().filters.contains(every), offered);
    const std::optional<ReadTable> sample =
        morva::test::readCsv(fileContents(dir.filePath("sample.csv")));
    QVERIFY(sample);
    QCOMPARE(sample->notes.last(), QStringLiteral("generations shown: ") + shown);
    if (!offered)
        return;

    desktop.saveAnswer = {dir.filePath(QStringLiteral("every.csv")), every};
    h->form->saveResultsAs();
    MORVA_VERIFY_NO_MESSAGE(desktop);
    // Read line by line: a million rows never stand in memory.
    QByteArrayList head;
    QHash<qint64, QByteArray> sampled;
    qint64 last = -1;
    QVERIFY(forEachLine(dir.filePath("sample.csv"), [&](const QByteArray &line) {
        if (line.startsWith('#') || head.isEmpty() || head.last().startsWith('#')) {
            head.append(line);
            return;
        }
        last = line.left(line.indexOf(',')).toLongLong();
        sampled.insert(last, line);
    }));
    head.removeAt(head.size() - 2);  // the generations shown
    QByteArrayList everyHead;
    qint64 rows = 0;
    QList<qint64> mismatches;
    QVERIFY(forEachLine(dir.filePath("every.csv"), [&](const QByteArray &line) {
        if (everyHead.size() < head.size()) {
            everyHead.append(line);
            return;
        }
        const auto found = sampled.constFind(rows);
        if (!line.startsWith(QByteArray::number(rows) + ',')
            || (found != sampled.cend() && *found != line))
            mismatches.append(rows);
        ++rows;
    }));
    QCOMPARE(everyHead, head);
    QCOMPARE(mismatches, QList<qint64>());
    QCOMPARE(rows, last + 1);
}

MORVA_GUI_TEST_MAIN(TestModelFormExport)
#include "tst_ModelFormExport.moc"
