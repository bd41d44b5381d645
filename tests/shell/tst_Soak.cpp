// Soak: each model window opened from the choice tree, run and cancelled
// many times in a row, with its defaults and with its largest number of
// generations.
//
// State: the shell running, one warm-up cycle done (it creates what Qt and
// the program build once and keep). Action: N cycles of open, set up, run,
// check, Cancel; N is MORVA_SOAK_CYCLES (100 when unset). Expected: after
// every cycle no message box was shown, the window and its global are gone,
// the choice window is enabled again, and the number of live QObjects is back
// at its value before the first counted cycle: nothing leaks, nothing
// dangles, no grid keeps a stale size.

#include "controls/Aligrid.h"
#include "controls/KesSpinEdits1.h"
#include "models/Catalogue.h"
#include "tests/support/GuiFixture.h"
#include "tests/support/LiveObjects.h"
#include "tests/support/ModelDriver.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace morva;
using morva::test::LiveObjects;

namespace {

// Counting starts before main(), so that the counts cover the whole process.
const bool g_counting = LiveObjects::install();

enum class Setup {
    Defaults,
    TwoAllelesMax,
    ThreeAllelesMax,
    MutationMax,
    TypedMillion,
    TypedThousand
};

int soakCycles()
{
    bool ok = false;
    const int cycles = qEnvironmentVariableIntValue("MORVA_SOAK_CYCLES", &ok);
    return ok && cycles > 0 ? cycles : 100;
}

template <class Edit>
Edit *field(ModelForm *window, const char *name)
{
    return window->findChild<Edit *>(QLatin1String(name));
}

void clickInto(QWidget *edit)
{
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(4, edit->height() / 2));
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openRunCancel_data();
    void openRunCancel();

private:
    // One cycle; false (after the failure) when a step went wrong.
    // Rows below 0: the grid of the first cycle is the one every later
    // cycle must show.
    bool cycle(const QString &leaf, Setup setup, int &rows, QString &lastTime);
    bool setUp(ModelForm *window, Setup setup);
    static QString leakAfter(qsizetype start, std::uint64_t mark);

    std::unique_ptr<test::GuiFixture> m_fixture;
    qsizetype m_beforeShell = 0;
    qsizetype m_windowOpen = 0;
};

void TestSoak::initTestCase()
{
    QVERIFY2(g_counting && LiveObjects::installed(), "the QObject hooks could not be installed");
    QVERIFY(LiveObjects::count() > 0);
}

void TestSoak::init()
{
    m_fixture = std::make_unique<test::GuiFixture>();
    m_beforeShell = LiveObjects::count();
    QVERIFY(test::startShell());
}

void TestSoak::cleanup()
{
    test::stopShell();
    const QStringList left = m_fixture->desktop.messageTexts();
    m_fixture.reset();
    QVERIFY2(left.isEmpty(),
             qPrintable(QStringLiteral("unexpected message box(es): ") + left.join(" | ")));
}

void TestSoak::openRunCancel_data()
{
    QTest::addColumn<QString>("leaf");
    QTest::addColumn<int>("setup");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("lastTime");
    // Every model of the catalogue with its defaults (the grid as its first
    // run shows it), then the largest runs the windows take.
    for (const CatalogueRow &row : modelCatalogue())
        QTest::newRow(qPrintable(row.id + QStringLiteral(", defaults")))
            << row.leaf() << int(Setup::Defaults) << -1 << QString();
    QTest::newRow("2 alleles, 300 generations by the field's limit")
        << test::kTwoAllelesLeaf << int(Setup::TwoAllelesMax) << 302 << "300";
    QTest::newRow("3 alleles, 1000 generations typed, Enter")
        << test::kThreeAllelesLeaf << int(Setup::ThreeAllelesMax) << 1002 << "1000";
    QTest::newRow("mutation, 20 x 10^8 generations")
        << test::kMutationLeaf << int(Setup::MutationMax) << 52 << "2000000000";
    QTest::newRow("selection with mutation, 1000000 generations typed, Enter")
        << test::kSelectionMutationLeaf << int(Setup::TypedMillion) << 2003 << "1000000";
    QTest::newRow("selection with migration, 1000000 generations typed, Enter")
        << test::kSelectionMigrationLeaf << int(Setup::TypedMillion) << 2003 << "1000000";
    QTest::newRow("linkage, 1000 generations typed, Enter")
        << test::kLinkageLeaf << int(Setup::TypedThousand) << 1002 << "1000";
}

void TestSoak::openRunCancel()
{
    QFETCH(QString, leaf);
    QFETCH(int, setup);
    QFETCH(int, rows);
    QFETCH(QString, lastTime);
    const qsizetype shellStarted = LiveObjects::count();

    // Warm-up: what is built once and kept (style data, the clipboard, the
    // hint tracker's state) is not a leak.
    QVERIFY(cycle(leaf, Setup(setup), rows, lastTime));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const qsizetype start = LiveObjects::count();
    const std::uint64_t mark = LiveObjects::mark();

    const int cycles = soakCycles();
    QElapsedTimer clock;
    clock.start();
    for (int i = 1; i <= cycles; ++i) {
        QVERIFY2(cycle(leaf, Setup(setup), rows, lastTime),
                 qPrintable(QStringLiteral("cycle %1 of %2").arg(i).arg(cycles)));
        const QString leak = leakAfter(start, mark);
        QVERIFY2(leak.isEmpty(), qPrintable(QStringLiteral("after cycle %1: ").arg(i) + leak));
    }
    const qint64 elapsed = clock.elapsed();
    qInfo("%s: %d cycles in %lld ms (%.1f ms each); live QObjects: %lld before start-up, "
          "%lld with the shell started, %lld after the warm-up, %lld with the window open "
          "after its run, %lld after the cycles",
          QTest::currentDataTag(), cycles, elapsed, double(elapsed) / cycles,
          qlonglong(m_beforeShell), qlonglong(shellStarted), qlonglong(start),
          qlonglong(m_windowOpen), qlonglong(LiveObjects::count()));
}

bool TestSoak::cycle(const QString &leaf, Setup setup, int &rows, QString &lastTime)
{
    test::FakeDesktop &desktop = m_fixture->desktop;
    ModelForm *window = test::openFromTree(leaf);
    [&] {
        QVERIFY2(window, qPrintable(leaf + QStringLiteral(" did not open")));
        QVERIFY(!shell::PGChoiceForm->isEnabled());
        // A new window shows no outputs until its own first run.
        TStringAlignGrid *grid = window->grid();
        QVERIFY(!grid->isVisible());
        QVERIFY(setUp(window, setup));
        QVERIFY2(desktop.messages.isEmpty(), test::describeMessages(desktop).constData());
        QVERIFY(grid->isVisible());
        if (rows < 0) {
            rows = grid->rowCount();
            lastTime = grid->cell(0, rows - 1).trimmed();
            QVERIFY(rows > 2);
        }
        QCOMPARE(grid->rowCount(), rows);
        QCOMPARE(grid->cell(0, rows - 1).trimmed(), lastTime);
        m_windowOpen = LiveObjects::count();
        QVERIFY2(test::cancelAndWait(window), "the window outlived Cancel");
    }();
    if (QTest::currentTestFailed())
        return false;
    [&] {
        QVERIFY2(desktop.messages.isEmpty(), test::describeMessages(desktop).constData());
        QVERIFY(!test::anyModelLeft());
        QVERIFY(shell::PGChoiceForm->isEnabled());
        QCOMPARE(shell::PGMainFrameForm->childWindowCount(), 1);
    }();
    desktop.clear();
    return !QTest::currentTestFailed();
}

bool TestSoak::setUp(ModelForm *window, Setup setup)
{
    [&] {
        switch (setup) {
        case Setup::Defaults:
            QTest::mouseClick(window->runButton(), Qt::LeftButton);
            return;
        case Setup::TwoAllelesMax: {
            // The field is read-only: Shift+Up steps it by 10 up to its limit.
            auto *ng = field<TKesSpinEdit>(window, "SelNgKesSpinEdit");
            QVERIFY(ng);
            clickInto(ng);
            for (int i = 0; i < 30; ++i)
                QTest::keyClick(ng, Qt::Key_Up, Qt::ShiftModifier);
            QCOMPARE(ng->text(), QStringLiteral("300"));
            QTest::mouseClick(window->runButton(), Qt::LeftButton);
            return;
        }
        case Setup::ThreeAllelesMax:
        case Setup::TypedThousand:
        case Setup::TypedMillion: {
            auto *ng = field<TKesSpinEdit>(window, "SelNgKesSpinEdit");
            QVERIFY(ng);
            clickInto(ng);
            QTest::keyClick(ng, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(ng, setup == Setup::TypedMillion ? QStringLiteral("1000000")
                                                              : QStringLiteral("1000"));
            QTest::keyClick(ng, Qt::Key_Return);
            return;
        }
        case Setup::MutationMax: {
            // The mantissa is read-only: Ctrl+Up steps it by 5, 5 -> 20.
            auto *mantissa = field<TKesSpinEdit>(window, "NgKesSpinEdit");
            auto *power = field<TKesSpinEdit>(window, "NgPowerSpinEdit");
            QVERIFY(mantissa && power);
            clickInto(mantissa);
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(mantissa, Qt::Key_Up, Qt::ControlModifier);
            QCOMPARE(mantissa->text(), QStringLiteral("20"));
            clickInto(power);
            QTest::keyClick(power, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(power, QStringLiteral("8"));
            QTest::keyClick(power, Qt::Key_Return);
            return;
        }
        }
    }();
    return !QTest::currentTestFailed();
}

// Waits until the live objects are back at `start` (deferred deletes
// included). Empty when they are; otherwise the counts and what was created
// since `mark` and still lives.
QString TestSoak::leakAfter(qsizetype start, std::uint64_t mark)
{
    if (LiveObjects::count() == start
        || QTest::qWaitFor([start] { return LiveObjects::count() == start; }, 5000))
        return {};
    return QStringLiteral("%1 live QObjects, %2 before the cycles; still alive from the "
                          "cycles: %3")
        .arg(LiveObjects::count())
        .arg(start)
        .arg(LiveObjects::aliveSince(mark).mid(0, 30).join(QStringLiteral(", ")));
}

MORVA_GUI_TEST_MAIN(TestSoak)
#include "tst_Soak.moc"
