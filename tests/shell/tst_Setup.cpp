// Setup files and the command line, over every model of the catalogue.
//
// - saveThenOpen: State: a model run from the tree and kept, run again, its
//   last chart page in view, a note written. Action: File > Save, Cancel, open the file.
//   Expected: the same grid texts, every series point and table value bit
//   for bit (the kept run's lines too), the page and the note back; the file is in Recent setups.
// - batchMatches: Action: --model ID to a setup, --batch of that setup to
//   CSV, --model ID to CSV. Expected: both CSVs byte for byte alike, their
//   values those Edit > Copy gives for the same run in the window.
// - badInput: a whole process with no display for each bad option or bad
//   file: exit status 2 (1 for an output that cannot be written), one line
//   on standard error with the problem, no output file.
// - badSetupChangesNothing: opening a bad setup in the program shows one
//   error box naming the file; the window open before stays as it was.
// - noteDropAndRecent: File > Edit note... takes at most 4,000 characters
//   and shows the note above the inputs; a setup dropped onto the frame
//   opens; Recent setups opens the newest first.
// - commaSeparator: with "," as the decimal separator a setup's "0.25"
//   reads into the field as "0,25" and is saved as "0.25" again.
// - informationOptions: --help, --version and --list-models print and exit 0.

#include "controls/Aligrid.h"
#include "controls/Chart.h"
#include "models/Catalogue.h"
#include "models/frame/RunTable.h"
#include "models/frame/Setup.h"
#include "models/frame/SetupNote.h"
#include "platform/NumberText.h"
#include "platform/SetupFile.h"
#include "shell/CommandLine.h"
#include "shell/SetupCommands.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/ModelDriver.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

using namespace morva;

namespace {

struct Snapshot {
    QStringList grid;
    QList<QList<QPointF>> points;
    std::vector<long double> values;
    QString page;
};

Snapshot snapshotOf(ModelForm *window)
{
    Snapshot s{test::gridTexts(window->grid()), {}, window->results().values,
               window->pageControl()->currentWidget()->objectName()};
    for (const chart::Chart *chart : window->findChildren<chart::Chart *>()) {
        for (int i = 0; i < chart->seriesCount(); ++i)
            s.points.append(chart->series(i)->points());
    }
    return s;
}

bool sameBits(const std::vector<long double> &a, const std::vector<long double> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], 10) != 0)
            return false;
    }
    return true;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The value rows of a CSV and of the clipboard's text, as lists of texts.
QList<QStringList> csvValues(const QByteArray &csv)
{
    QList<QStringList> rows;
    const QList<QByteArray> lines = csv.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            rows.append(line.split(QLatin1Char(',')));
    }
    return rows.mid(1); // less the header
}

QList<QStringList> tsvValues(const QString &tsv)
{
    const QString table = tsv.section(QStringLiteral("\n\n"), 1);
    QList<QStringList> rows;
    for (const QString &line : table.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        rows.append(line.split(QLatin1Char('\t')));
    return rows.mid(1);
}

int batch(const QStringList &arguments, QString *error = nullptr)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QString setup;
    const int status = shell::runCommandLine(QStringList{QStringLiteral("morva99")} + arguments,
                                             outStream, errStream, setup);
    if (error)
        *error = err;
    return status;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray setupWith(const QByteArray &inner)
{
    return R"({"format": "MORVA 99 setup", "version": 1, "model": "selection-2-alleles", )"
           + inner + "}";
}

} // namespace

class TestSetup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveThenOpen_data() { test::addRowPerModel(); }
    void saveThenOpen();
    void batchMatches_data() { test::addRowPerModel(); }
    void batchMatches();
    void badInput_data();
    void badInput();
    void badSetupChangesNothing();
    void noteDropAndRecent();
    void commaSeparator();
    void informationOptions();

private:
    QTemporaryDir m_dir;
    test::ModelSession m_session;
};

void TestSetup::initTestCase()
{
    QVERIFY(m_dir.isValid());
    shell::setRecentSetupsFile(m_dir.filePath(QStringLiteral("recent.ini")));
}

void TestSetup::init()
{
    QVERIFY(m_session.start());
}

void TestSetup::cleanup()
{
    const QStringList left = m_session.finish();
    QVERIFY2(left.isEmpty(), qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(u'|')));
}

void TestSetup::saveThenOpen()
{
    QFETCH(QString, id);
    const CatalogueRow *row = catalogueRow(id);
    ModelForm *window = test::openFromTree(row->leaf());
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    window->keepRun();
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    window->pageControl()->setCurrentIndex(window->pageControl()->count() - 1);
    const QString note = QStringLiteral("Exercise 3: what happens to p?\nCompare with day 2.");
    window->setSetupNote(note);
    const Snapshot before = snapshotOf(window);

    const QString path = m_dir.filePath(id + QStringLiteral(".morva"));
    m_session.desktop().saveAnswer = {path, {}};
    shell::PGMainFrameForm->FileSaveItem->trigger();
    QVERIFY(QFile::exists(path));
    QVERIFY(test::cancelAndWait(window));

    m_session.desktop().openAnswer = path;
    shell::PGMainFrameForm->FileOpenItem->trigger();
    ModelForm *opened = test::openModelWindow();
    QVERIFY(opened);
    QCOMPARE(opened->objectName(), row->windowName);
    const Snapshot after = snapshotOf(opened);
    QCOMPARE(after.grid, before.grid);
    QCOMPARE(after.points, before.points);
    QVERIFY(sameBits(after.values, before.values));
    QCOMPARE(after.page, before.page);
    QCOMPARE(opened->keptRunCount(), 1);
    auto *shown = opened->findChild<QLabel *>(QStringLiteral("SetupNoteLabel"));
    QVERIFY(shown && shown->isVisible());
    QCOMPARE(shown->text(), note);
    QTRY_COMPARE(shell::recentSetups().value(0), QFileInfo(path).absoluteFilePath());
}

void TestSetup::batchMatches()
{
    QFETCH(QString, id);
    const QString setup = m_dir.filePath(id + QStringLiteral("-batch.morva"));
    const QString fromSetup = m_dir.filePath(id + QStringLiteral("-setup.csv"));
    const QString fromModel = m_dir.filePath(id + QStringLiteral("-model.csv"));
    QString error;
    QCOMPARE(batch({QStringLiteral("--model"), id, QStringLiteral("--output"), setup}, &error), 0);
    QCOMPARE(batch({QStringLiteral("--batch"), setup, QStringLiteral("--output"), fromSetup}, &error), 0);
    QCOMPARE(batch({QStringLiteral("--model"), id, QStringLiteral("--output"), fromModel}, &error), 0);
    QCOMPARE(error, QString());
    const QByteArray csv = fileBytes(fromModel);
    QCOMPARE(fileBytes(fromSetup), csv);

    ModelForm *window = test::openFromTree(catalogueRow(id)->leaf());
    QVERIFY(window);
    QTest::mouseClick(window->runButton(), Qt::LeftButton);
    QGuiApplication::clipboard()->clear();
    shell::PGMainFrameForm->CopyItem->trigger();
    const QList<QStringList> copied = tsvValues(QGuiApplication::clipboard()->text());
    QVERIFY(!copied.isEmpty());
    QCOMPARE(csvValues(csv), copied);
}

void TestSetup::badInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("setup");     // written to in.morva when not empty
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");

    const QString model = QStringLiteral("selection-2-alleles");
    const QStringList runModel{QStringLiteral("--model"), model, QStringLiteral("--output"),
                               QStringLiteral("OUT.csv")};
    const QStringList runSetup{QStringLiteral("--batch"), QStringLiteral("IN.morva"),
                               QStringLiteral("--output"), QStringLiteral("OUT.csv")};
    const auto set = [](const char *assignment) {
        return QStringList{QStringLiteral("--set"), QLatin1String(assignment)};
    };
    const QByteArray none;
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << none << 2 << "Unknown option 'frobnicate'";
    QTest::newRow("unknown model") << QStringList{"--model", "nope", "--output", "OUT.csv"} << none << 2 << "--model \"nope\": unknown model";
    QTest::newRow("no output") << QStringList{"--model", model} << none << 2 << "--output: missing";
    QTest::newRow("output type") << QStringList{"--model", model, "--output", "OUT.txt"} << none << 2 << "unknown file type";
    QTest::newRow("set without =") << runModel + set("A1 frequency") << none << 2 << "expected NAME=TEXT";
    QTest::newRow("set unknown field") << runModel + set("A9 frequency=0.5") << none << 2 << "the model has no field \"A9 frequency\"";
    QTest::newRow("set not a number") << runModel + set("A1 frequency=half") << none << 2 << "A1 frequency: \"half\" is not a number";
    QTest::newRow("set out of range") << runModel + set("A1 frequency=1.5") << none << 2 << "A1 frequency: \"1.5\" is out of range 0.000 to 1.000";
    QTest::newRow("run refused") << runModel + set("A1A1 fitness=0") + set("A1A2 fitness=0") + set("A2A2 fitness=0") << none << 2 << "Fitnesses CANNOT be all 0";
    QTest::newRow("field the model reads itself") << QStringList{"--model", "selection-3-alleles", "--output", "OUT.csv", "--set", "Number of generations=0"} << none << 2 << "Number of generations must be between 1 and 1000";
    QTest::newRow("cannot write") << QStringList{"--model", model, "--output", "no/such/folder/OUT.csv"} << none << 1 << "Could not save";

    QTest::newRow("file missing") << runSetup << none << 2 << "cannot read the file";
    QTest::newRow("file too large") << runSetup << QByteArray(kSetupMaxBytes + 1, ' ') << 2 << "the file is larger than 1 MB";
    QTest::newRow("JSON error") << runSetup << QByteArray("{\n  \"format\": \"MORVA 99 setup\",\n  \"version\" 1\n}") << 2 << "missing name separator at line 3, column 14";
    QTest::newRow("not a setup") << runSetup << QByteArray("[1, 2]") << 2 << "not a MORVA 99 setup";
    QTest::newRow("version") << runSetup << QByteArray(R"({"format": "MORVA 99 setup", "version": 2, "model": "x"})") << 2 << "format version 2; this program reads version 1";
    QTest::newRow("unknown model in file") << runSetup << QByteArray(R"({"format": "MORVA 99 setup", "version": 1, "model": "x", "inputs": {}})") << 2 << "unknown model \"x\"";
    QTest::newRow("unknown field in file") << runSetup << setupWith(R"("inputs": {"Nothing": "1"})") << 2 << "the model has no field \"Nothing\"";
    QTest::newRow("value not text") << runSetup << setupWith(R"("inputs": {"A1 frequency": 0.5})") << 2 << "is not a text in quotes";
    QTest::newRow("value out of range") << runSetup << setupWith(R"("inputs": {"SelDi2Freq1RealSpinEdit": "-1"})") << 2 << "is out of range";
    QTest::newRow("kept run not a number") << runSetup << setupWith(R"("inputs": {}, "keptRuns": [{"A1 frequency": "x"}])") << 2 << "kept run 1: A1 frequency: \"x\" is not a number";
    QTest::newRow("unknown page") << runSetup << setupWith(R"("inputs": {}, "page": "Nowhere")") << 2 << "no chart page \"Nowhere\"";
    QTest::newRow("note too long") << runSetup << setupWith(R"("inputs": {}, "note": ")" + QByteArray(4001, 'n') + "\"") << 2 << "the note has 4001 characters; at most 4000";
}

void TestSetup::badInput()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, setup);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("in.morva"));
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    if (!setup.isEmpty())
        writeFile(in, setup);
    for (QString &argument : arguments) {
        argument.replace(QStringLiteral("IN.morva"), in);
        argument.replace(QStringLiteral("OUT"), dir.filePath(QStringLiteral("out")));
    }
    // The program itself, with no display at all.
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(MORVA99_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(60000));
    const QString error = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitCode(), status);
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.startsWith(QStringLiteral("morva99: ")) && error.count(QLatin1Char('\n')) == 1,
             qPrintable(error));
    QVERIFY(program.readAllStandardOutput().isEmpty());
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("out*")}, QDir::Files), QStringList());
}

void TestSetup::badSetupChangesNothing()
{
    ModelForm *window = test::openFromTree(test::kTwoAllelesLeaf);
    QVERIFY(window);
    const QString path = m_dir.filePath(QStringLiteral("bad.morva"));
    writeFile(path, setupWith(R"("inputs": {"A1 frequency": "0.25", "A2 frequency": "7"})"));
    QVERIFY(!shell::openSetupFile(path));
    MORVA_TAKE_MESSAGE(m_session.desktop(),
                       QStringLiteral("\"%1\": A2 frequency: \"7\" is out of range 0.000 to 1.000")
                           .arg(QDir::toNativeSeparators(path)));
    QCOMPARE(test::openModelWindow(), window);
    QCOMPARE(window->findChild<QLineEdit *>(QStringLiteral("SelDi2Freq1RealSpinEdit"))->text(),
             QStringLiteral("0.600"));
}

void TestSetup::noteDropAndRecent()
{
    const QString path = m_dir.filePath(QStringLiteral("dropped.morva"));
    writeFile(path, setupWith(R"("inputs": {"A1 frequency": "0.3", "A2 frequency": "0.7"})"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(shell::PGMainFrameForm, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(shell::PGMainFrameForm, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_VERIFY2(test::openModelWindow(), test::describeMessages(m_session.desktop()));
    ModelForm *window = test::openModelWindow();
    QCOMPARE(window->findChild<QLineEdit *>(QStringLiteral("SelDi2Freq1RealSpinEdit"))->text(),
             QStringLiteral("0.3"));
    QVERIFY(window->hasResults());

    QAction *editNote = shell::PGMainFrameForm->setupCommands()->editNoteItem();
    QVERIFY(editNote->isEnabled());
    editNote->trigger();
    auto *editor = window->findChild<NoteEditor *>();
    QVERIFY(editor);
    QPushButton *ok = editor->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok);
    editor->editor()->setPlainText(QString(kSetupNoteMaxChars + 1, QLatin1Char('x')));
    QVERIFY(!ok->isEnabled());
    editor->editor()->setPlainText(QStringLiteral("Read p at generation 10."));
    QVERIFY(ok->isEnabled());
    ok->click();
    QCOMPARE(window->setupNote(), QStringLiteral("Read p at generation 10."));
    QVERIFY(window->findChild<NoteStrip *>()->isVisible());

    QVERIFY(test::cancelAndWait(window));
    QTRY_COMPARE(shell::recentSetups().value(0), QFileInfo(path).absoluteFilePath());
    QMenu *recent = shell::PGMainFrameForm->setupCommands()->recentMenu();
    emit recent->aboutToShow();
    recent->actions().value(0)->trigger();
    QVERIFY(test::openModelWindow());
}

void TestSetup::commaSeparator()
{
    text::setDecimalSeparatorOverride(QLatin1Char(','));
    const QString path = m_dir.filePath(QStringLiteral("comma.morva"));
    writeFile(path, setupWith(R"("inputs": {"A1 frequency": "0.25", "A2 frequency": "0.75"})"));
    QVERIFY(shell::openSetupFile(path));
    ModelForm *window = test::openModelWindow();
    QVERIFY(window);
    QCOMPARE(window->findChild<QLineEdit *>(QStringLiteral("SelDi2Freq1RealSpinEdit"))->text(),
             QStringLiteral("0,25"));
    const SetupInputs saved = captureSetup(window).inputs;
    QVERIFY(saved.contains({QStringLiteral("SelDi2Freq1RealSpinEdit"), QStringLiteral("0.25")}));
}

void TestSetup::informationOptions()
{
    QString out;
    QTextStream stream(&out);
    QString err;
    QTextStream errors(&err);
    QString setup;
    const auto run = [&](const QString &option) {
        out.clear();
        return shell::runCommandLine({QStringLiteral("morva99"), option}, stream, errors, setup);
    };
    QCOMPARE(run(QStringLiteral("--help")), 0);
    QVERIFY(out.contains(QStringLiteral("--batch <file>")));
    QCOMPARE(run(QStringLiteral("--version")), 0);
    QVERIFY(out.startsWith(QStringLiteral("morva99 ")));
    QCOMPARE(run(QStringLiteral("--list-models")), 0);
    QCOMPARE(out.count(QLatin1Char('\n')), qsizetype(modelCatalogue().size()));
    QVERIFY(out.contains(QStringLiteral("selection-3-alleles\tNatural selection > 3 alleles\n")));
    QCOMPARE(err, QString());
}

MORVA_GUI_TEST_MAIN(TestSetup)
#include "tst_Setup.moc"
