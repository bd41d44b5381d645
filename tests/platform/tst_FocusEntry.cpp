// "The focus entered this panel from outside": by a handler (synchronously,
// in order, also in an inactive window) and by the user (click, Tab), never
// twice for one entry.

#include "arith/Errors.h"
#include "platform/Application.h"
#include "platform/FocusEntry.h"
#include "tests/support/GuiFixture.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace morva;

namespace {

// A panel with a focus proxy (its first edit) and a second edit inside.
struct Panel {
    QWidget *panel = new QWidget;
    QLineEdit *proxy = new QLineEdit(panel);
    QLineEdit *second = new QLineEdit(panel);

    explicit Panel(const QString &name)
    {
        panel->setObjectName(name);
        auto *layout = new QVBoxLayout(panel);
        layout->addWidget(proxy);
        layout->addWidget(second);
        panel->setFocusProxy(proxy);
    }
};

// Panels A and B and an edit outside both, in one window; each entry logs
// its panel's name.
struct TwoPanels {
    QWidget window;
    QLineEdit *outside = new QLineEdit;
    Panel a{QStringLiteral("A")};
    Panel b{QStringLiteral("B")};
    QStringList log;
    FocusEntry *entryA;
    FocusEntry *entryB;

    TwoPanels()
    {
        auto *layout = new QHBoxLayout(&window);
        layout->addWidget(outside);
        layout->addWidget(a.panel);
        layout->addWidget(b.panel);
        entryA = new FocusEntry(a.panel, [this] { log << QStringLiteral("A"); });
        entryB = new FocusEntry(b.panel, [this] { log << QStringLiteral("B"); });
    }
};

} // namespace

class TestFocusEntry : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void handlerEntryFiresOnceInOrder();
    void handlerEntryWhenAlreadyInsideDoesNotFire();
    void handlerEntryInInactiveWindowFiresOnce();
    void userMoves_data();
    void userMoves();
    void unfocusablePanel_data();
    void unfocusablePanel();
    void childWindowBounceIsNoEntry();
    void otherWindowsDoNotCount();
    void handlerErrorReachesTheCaller();
    void userEntryErrorIsReported();
    void panelDeletedByAnotherHandler();

private:
    std::unique_ptr<test::GuiFixture> m_fixture;
    std::unique_ptr<TwoPanels> m_ui;
};

void TestFocusEntry::init()
{
    m_fixture = std::make_unique<test::GuiFixture>();
    m_ui = std::make_unique<TwoPanels>();
    MORVA_SHOW_ACTIVE(&m_ui->window);
    m_ui->outside->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_ui->outside);
    m_ui->log.clear();
}

void TestFocusEntry::cleanup()
{
    m_ui.reset();
    MORVA_VERIFY_NO_MESSAGE(m_fixture->desktop);
    m_fixture.reset();
}

void TestFocusEntry::handlerEntryFiresOnceInOrder()
{
    // State: focus outside. Action: a handler moves the focus into A, then
    // into B. Expected: A's handler before focusInto returns, then B's; the
    // event loop adds nothing.
    m_ui->entryA->focusInto();
    QCOMPARE(m_ui->log, QStringList{QStringLiteral("A")});
    m_ui->entryB->focusInto();
    QCOMPARE(m_ui->log, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    QCOMPARE(QApplication::focusWidget(), m_ui->b.proxy);
    QCoreApplication::processEvents();
    QCOMPARE(m_ui->log.size(), 2);
}

void TestFocusEntry::handlerEntryWhenAlreadyInsideDoesNotFire()
{
    // State: focus on A's second edit. Action: focusInto(A). Expected: the
    // focus goes to the proxy, no entry.
    m_ui->a.second->setFocus();
    m_ui->log.clear();
    m_ui->entryA->focusInto();
    QCOMPARE(QApplication::focusWidget(), m_ui->a.proxy);
    QVERIFY(m_ui->log.isEmpty());
}

void TestFocusEntry::handlerEntryInInactiveWindowFiresOnce()
{
    // State: another window is active. Action: focusInto(A), then the
    // window is activated. Expected: A's handler ran at once, and only once.
    QWidget other;
    MORVA_SHOW_ACTIVE(&other);
    QVERIFY(!m_ui->window.isActiveWindow());
    m_ui->entryA->focusInto();
    QCOMPARE(m_ui->log, QStringList{QStringLiteral("A")});
    m_ui->entryB->focusInto();
    QCOMPARE(m_ui->log, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));

    MORVA_SHOW_ACTIVE(&m_ui->window);
    QTRY_COMPARE(QApplication::focusWidget(), m_ui->b.proxy);
    QCOMPARE(m_ui->log.size(), 2);
}

void TestFocusEntry::userMoves_data()
{
    // Each step is "click:<widget>" or "tab"; widgets are outside, a1 (A's
    // proxy), a2, b1, b2.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("click into A") << QStringList{"click:a2"} << QStringList{"A"};
    QTest::newRow("click twice inside A") << QStringList{"click:a2", "click:a1"}
                                          << QStringList{"A"};
    QTest::newRow("click A, B, A") << QStringList{"click:a1", "click:b2", "click:a2"}
                                   << QStringList{"A", "B", "A"};
    QTest::newRow("tab into A, inside A, into B")
        << QStringList{"tab", "tab", "tab"} << QStringList{"A", "B"};
    QTest::newRow("leave and come back") << QStringList{"click:a1", "click:outside", "click:a1"}
                                         << QStringList{"A", "A"};
}

void TestFocusEntry::userMoves()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    const QHash<QString, QWidget *> widgets{{"outside", m_ui->outside}, {"a1", m_ui->a.proxy},
                                            {"a2", m_ui->a.second},    {"b1", m_ui->b.proxy},
                                            {"b2", m_ui->b.second}};
    for (const QString &step : std::as_const(steps)) {
        if (step == QLatin1String("tab")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } else {
            QWidget *target = widgets.value(step.mid(6));
            QVERIFY(target);
            QTest::mouseClick(target, Qt::LeftButton);
            QTRY_COMPARE(QApplication::focusWidget(), target);
        }
    }
    QCOMPARE(m_ui->log, expected);
}

void TestFocusEntry::unfocusablePanel_data()
{
    QTest::addColumn<bool>("disabled");
    QTest::addColumn<int>("entriesAfterClick");
    // A hidden panel takes the focus on record: the later click is no entry.
    QTest::newRow("hidden") << false << 1;
    // A disabled panel refuses it: the click afterwards is a real entry.
    QTest::newRow("disabled") << true << 2;
}

void TestFocusEntry::unfocusablePanel()
{
    // State: panel A hidden or disabled. Action: a handler moves the focus
    // into it; then A is shown and enabled and the user clicks into it.
    // Expected: the handler-driven entry runs at once in both cases.
    QFETCH(bool, disabled);
    QFETCH(int, entriesAfterClick);
    if (disabled)
        m_ui->a.panel->setEnabled(false);
    else
        m_ui->a.panel->hide();
    m_ui->entryA->focusInto();
    QCOMPARE(m_ui->log, QStringList{QStringLiteral("A")});
    m_ui->a.panel->setEnabled(true);
    m_ui->a.panel->show();
    QTest::mouseClick(m_ui->a.second, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), m_ui->a.second);
    QCOMPARE(m_ui->log.size(), entriesAfterClick);
}

void TestFocusEntry::childWindowBounceIsNoEntry()
{
    // State: a panel inside a child window of a multiple-document area, the
    // focus in it. Action: the focus passes through the child window itself
    // and back (a click on a bare spot). Expected: no new entry.
    QMdiArea area;
    Panel panel(QStringLiteral("C"));
    QMdiSubWindow *child = area.addSubWindow(panel.panel);
    QStringList log;
    new FocusEntry(panel.panel, [&] { log << QStringLiteral("C"); });
    area.resize(400, 300);
    MORVA_SHOW_ACTIVE(&area);
    child->show();
    panel.proxy->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), panel.proxy);
    QCOMPARE(log, QStringList{QStringLiteral("C")});

    child->setFocus();
    QCoreApplication::processEvents();
    panel.proxy->setFocus();
    QCoreApplication::processEvents();
    QCOMPARE(log, QStringList{QStringLiteral("C")});
}

void TestFocusEntry::otherWindowsDoNotCount()
{
    // State: focus in A. Action: another window takes the focus, then the
    // first window is active again. Expected: no new entry into A.
    m_ui->entryA->focusInto();
    m_ui->log.clear();
    {
        QLineEdit other;
        MORVA_SHOW_ACTIVE(&other);
        other.setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), &other);
    }
    MORVA_SHOW_ACTIVE(&m_ui->window);
    QTRY_COMPARE(QApplication::focusWidget(), m_ui->a.proxy);
    QVERIFY(m_ui->log.isEmpty());
}

void TestFocusEntry::handlerErrorReachesTheCaller()
{
    // An enter handler that fails ends the handler that moved the focus,
    // which reports it once.
    auto *failing = new FocusEntry(m_ui->b.second, [] { throw ERangeError(); });
    bool after = false;
    const bool ok = guarded([&] {
        failing->focusInto();
        after = true;
    });
    QVERIFY(!ok);
    QVERIFY(!after);
    MORVA_TAKE_MESSAGE(m_fixture->desktop, QStringLiteral("Range check error."));
}

void TestFocusEntry::userEntryErrorIsReported()
{
    // A failing enter handler run by a click is reported; the click still
    // moves the focus.
    new FocusEntry(m_ui->b.second, [] { throw EIntOverflow(); });
    QTest::mouseClick(m_ui->b.second, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), m_ui->b.second);
    MORVA_TAKE_MESSAGE(m_fixture->desktop, QStringLiteral("Integer overflow."));
    QCOMPARE(m_ui->log, QStringList{QStringLiteral("B")});
}

void TestFocusEntry::panelDeletedByAnotherHandler()
{
    // A's enter handler frees panel B (a window closing itself); the entry
    // that follows must not touch it.
    QPointer<QWidget> panelB = m_ui->b.panel;
    new FocusEntry(m_ui->a.panel, [panelB] { delete panelB.data(); });
    m_ui->entryA->focusInto();
    QCOMPARE(m_ui->log, QStringList{QStringLiteral("A")});
    QTest::mouseClick(m_ui->outside, Qt::LeftButton);
    QTest::mouseClick(m_ui->a.second, Qt::LeftButton);
    QCOMPARE(m_ui->log, (QStringList{QStringLiteral("A"), QStringLiteral("A")}));
}

MORVA_GUI_TEST_MAIN(TestFocusEntry)
#include "tst_FocusEntry.moc"
