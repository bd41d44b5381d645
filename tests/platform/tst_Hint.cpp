// The application hint: the statusTip of the widget under the pointer or of
// its nearest ancestor that has one, or of the highlighted menu action.

#include "platform/Hint.h"
#include "tests/support/GuiFixture.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using namespace morva;
using morva::test::hover;
using morva::test::hoverAt;

namespace {

// outer (hint "Outer") holds inner (no hint) and own (hint "Own"); plain has
// no hint and no hinted ancestor.
struct HintWindow {
    QWidget window;
    QWidget *outer = new QWidget;
    QWidget *inner = new QWidget;
    QWidget *own = new QWidget;
    QWidget *plain = new QWidget;

    HintWindow()
    {
        window.setObjectName(QStringLiteral("window"));
        outer->setObjectName(QStringLiteral("outer"));
        inner->setObjectName(QStringLiteral("inner"));
        own->setObjectName(QStringLiteral("own"));
        plain->setObjectName(QStringLiteral("plain"));
        auto *outerLayout = new QVBoxLayout(outer);
        outerLayout->setContentsMargins(20, 20, 20, 20);
        outerLayout->addWidget(inner);
        outerLayout->addWidget(own);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(outer);
        layout->addWidget(plain);
        for (QWidget *w : {inner, own, plain})
            w->setMinimumSize(120, 40);
        outer->setStatusTip(QStringLiteral("Outer"));
        own->setStatusTip(QStringLiteral("Own"));
        window.move(50, 50);
    }

    QWidget *byName(const QString &name)
    {
        return name == QLatin1String("window") ? &window : window.findChild<QWidget *>(name);
    }
};

} // namespace

class TestHint : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void hintOfWidgetUnderPointer_data();
    void hintOfWidgetUnderPointer();
    void announcesEachChangeOnce();
    void setHintAnnouncesOnlyUnderPointer_data();
    void setHintAnnouncesOnlyUnderPointer();
    void followsPointerDuringMouseGrab();
    void leavingAllWindowsClearsHint();
    void highlightedMenuActionGivesHint();
    void noTooltipPopsUp();

private:
    std::unique_ptr<test::GuiFixture> m_fixture;
    std::unique_ptr<HintWindow> m_ui;
};

void TestHint::init()
{
    m_fixture = std::make_unique<test::GuiFixture>();
    m_ui = std::make_unique<HintWindow>();
    MORVA_SHOW_ACTIVE(&m_ui->window);
}

void TestHint::cleanup()
{
    m_ui.reset();
    MORVA_VERIFY_NO_MESSAGE(m_fixture->desktop);
    m_fixture.reset();
}

void TestHint::hintOfWidgetUnderPointer_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("expected");
    QTest::newRow("own hint") << "own" << "Own";
    QTest::newRow("no hint: nearest ancestor's") << "inner" << "Outer";
    QTest::newRow("margin of the hinted panel") << "outer" << "Outer";
    QTest::newRow("no hint anywhere up") << "plain" << "";
}

void TestHint::hintOfWidgetUnderPointer()
{
    // State: pointer elsewhere. Action: hover the widget. Expected: its hint.
    QFETCH(QString, widget);
    QFETCH(QString, expected);
    QWidget *target = m_ui->byName(widget);
    QVERIFY(target);
    hover(m_ui->own);
    hoverAt(target, QPoint(5, 5));
    QCOMPARE(HintTracker::instance()->currentHint(), expected);
    QCOMPARE(effectiveHint(target), expected);
}

void TestHint::announcesEachChangeOnce()
{
    // State: pointer over "own". Action: move inside inner, to outer's margin
    // (same hint), to plain. Expected: "Outer" once, then "" once.
    hover(m_ui->own);
    QSignalSpy spy(HintTracker::instance(), &HintTracker::hintChanged);
    hoverAt(m_ui->inner, QPoint(3, 3));
    hoverAt(m_ui->inner, QPoint(10, 10));
    hoverAt(m_ui->outer, QPoint(2, 2));
    hover(m_ui->plain);
    hover(m_ui->plain);
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("Outer"));
    QCOMPARE(spy.at(1).at(0).toString(), QString());
}

void TestHint::setHintAnnouncesOnlyUnderPointer_data()
{
    QTest::addColumn<QString>("under");
    QTest::addColumn<QString>("changed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pointer on the widget") << "own" << "own" << "Readout";
    QTest::newRow("pointer on an unhinted child") << "inner" << "outer" << "Readout";
    QTest::newRow("child with its own hint wins") << "own" << "outer" << "Own";
    QTest::newRow("pointer elsewhere") << "plain" << "own" << "";
}

void TestHint::setHintAnnouncesOnlyUnderPointer()
{
    // State: pointer over `under`. Action: setHint on `changed`. Expected:
    // the current hint reads `expected` at once.
    QFETCH(QString, under);
    QFETCH(QString, changed);
    QFETCH(QString, expected);
    hover(m_ui->byName(under));
    setHint(m_ui->byName(changed), QStringLiteral("Readout"));
    QCOMPARE(HintTracker::instance()->currentHint(), expected);
    QCOMPARE(m_ui->byName(changed)->statusTip(), QStringLiteral("Readout"));
}

void TestHint::followsPointerDuringMouseGrab()
{
    // State: button pressed on "own" (it grabs the mouse). Action: drag onto
    // "plain". Expected: the hint follows the pointer, not the grabber.
    hover(m_ui->own);
    QTest::mousePress(m_ui->own, Qt::LeftButton);
    const QPoint onPlain = m_ui->own->mapFromGlobal(
        m_ui->plain->mapToGlobal(m_ui->plain->rect().center()));
    QTest::mouseMove(m_ui->own, onPlain);
    QCOMPARE(HintTracker::instance()->currentHint(), QString());
    QTest::mouseRelease(m_ui->own, Qt::LeftButton, {}, onPlain);
}

void TestHint::leavingAllWindowsClearsHint()
{
    // State: pointer over "own". Action: the pointer leaves the window for
    // the bare desktop. Expected: no hint.
    hover(m_ui->own);
    QCOMPARE(HintTracker::instance()->currentHint(), QStringLiteral("Own"));
    QCursor::setPos(QPoint(2000, 2000));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&m_ui->window, &leave);
    QCOMPARE(HintTracker::instance()->currentHint(), QString());
    QVERIFY(!HintTracker::instance()->widgetUnderPointer());
}

void TestHint::highlightedMenuActionGivesHint()
{
    // State: pointer over "plain"; a menu opens. Action: highlight its
    // actions with the keyboard. Expected: each action's hint in turn (an
    // action without one gives none); the widget hints do not interfere.
    hover(m_ui->own);
    QMenu menu(&m_ui->window);
    QAction *first = menu.addAction(QStringLiteral("&First"));
    first->setStatusTip(QStringLiteral("First action"));
    menu.addAction(QStringLiteral("&Second"));
    menu.popup(m_ui->window.mapToGlobal(QPoint(10, 10)));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QTest::keyClick(&menu, Qt::Key_Down);
    QTRY_COMPARE(menu.activeAction(), first);
    QCOMPARE(HintTracker::instance()->currentHint(), QStringLiteral("First action"));
    hoverAt(&menu, menu.actionGeometry(first).center());
    QCOMPARE(HintTracker::instance()->currentHint(), QStringLiteral("First action"));
    QTest::keyClick(&menu, Qt::Key_Down);
    QCOMPARE(HintTracker::instance()->currentHint(), QString());
    menu.close();
}

void TestHint::noTooltipPopsUp()
{
    // State: a widget with a tooltip (as the toolkit's own buttons have).
    // Action: the tooltip request arrives. Expected: nothing pops up.
    m_ui->own->setToolTip(QStringLiteral("Pop-up"));
    const QPoint pos = m_ui->own->rect().center();
    QHelpEvent request(QEvent::ToolTip, pos, m_ui->own->mapToGlobal(pos));
    QApplication::sendEvent(m_ui->own, &request);
    QCoreApplication::processEvents();
    QVERIFY(!QToolTip::isVisible());
}

MORVA_GUI_TEST_MAIN(TestHint)
#include "tst_Hint.moc"
