#ifndef MORVA_TESTS_SUPPORT_GUIFIXTURE_H
#define MORVA_TESTS_SUPPORT_GUIFIXTURE_H

// Helpers every GUI test uses.
//
// - MORVA_GUI_TEST_MAIN(TestClass): the main() of a GUI test. It forces the
//   offscreen platform unless QT_QPA_PLATFORM is set, and runs the test under
//   MorvaApplication, so an exception escaping an event handler is reported
//   through the desktop seam as in the program. Tests that need a real X
//   server (run under xvfb-run) use MORVA_GUI_TEST_MAIN_ON_DISPLAY instead.
// - GuiFixture: construct one per test function (or hold one as a member and
//   re-create it in init()). It installs a FakeDesktop, fixes the decimal
//   separator to '.' and starts the hint tracker; destroying it restores the
//   real services and the locale's separator.
// - MORVA_SHOW_ACTIVE(window): shows a top-level window and waits until it is
//   the active window (works offscreen and under Xvfb without a window
//   manager).
// - MORVA_VERIFY_NO_MESSAGE(desktop): fails when a message box was recorded,
//   naming its texts; MORVA_TAKE_MESSAGE(desktop, text) checks that exactly
//   one box with that text was recorded and forgets it.
// - hoverAt(widget, pos): how tests move the mouse. Synthetic QTest mouse
//   moves without a button only warp the cursor, and under X11 the motion
//   event arrives later or not at all; hoverAt warps the cursor and then
//   delivers a MouseMove to the deepest widget under the point, so the hint
//   tracker (and any mouse-tracking handler, such as a chart readout) sees
//   it before hoverAt returns. Pass a position in `widget`'s coordinates.
//   With a button held (drags), use QTest::mouseMove, which sends the event.

#include "platform/Application.h"
#include "platform/Hint.h"
#include "platform/NumberText.h"
#include "tests/support/FakeDesktop.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTest>
#include <QWidget>

namespace morva::test {

class GuiFixture {
public:
    GuiFixture()
    {
        text::setDecimalSeparatorOverride(QLatin1Char('.'));
        HintTracker::instance();
    }
    ~GuiFixture() { text::setDecimalSeparatorOverride(std::nullopt); }
    GuiFixture(const GuiFixture &) = delete;
    GuiFixture &operator=(const GuiFixture &) = delete;

    FakeDesktop desktop;
};

// Shows `window` and waits until it is active; false when it never became
// active.
inline bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The recorded message boxes as one readable line, for failure messages.
inline QByteArray describeMessages(const FakeDesktop &desktop)
{
    return "unexpected message box(es): "
           + desktop.messageTexts().join(QStringLiteral(" | ")).toUtf8();
}

// Warps the cursor to `pos` (in `widget`'s coordinates) and delivers a mouse
// move without buttons to the deepest widget under that point, as the
// window system would.
inline void hoverAt(QWidget *widget, QPoint pos)
{
    const QPoint global = widget->mapToGlobal(pos);
    QCursor::setPos(global);
    QWidget *top = widget->window();
    QWidget *target = top->childAt(top->mapFromGlobal(global));
    if (!target)
        target = top;
    const QPoint local = target->mapFromGlobal(global);
    const QPoint windowPos = target->window()->mapFromGlobal(global);
    QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(windowPos), QPointF(global),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier,
                     QPointingDevice::primaryPointingDevice());
    QApplication::sendEvent(target, &move);
}

// Hovers over the centre of `widget`.
inline void hover(QWidget *widget)
{
    hoverAt(widget, widget->rect().center());
}

} // namespace morva::test

#define MORVA_GUI_TEST_MAIN_ON_DISPLAY(TestClass)                                            \
    int main(int argc, char **argv)                                                           \
    {                                                                                         \
        ::morva::MorvaApplication app(argc, argv);                                            \
        TestClass test;                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                            \
        return QTest::qExec(&test, argc, argv);                                               \
    }

#define MORVA_GUI_TEST_MAIN(TestClass)                                                        \
    int main(int argc, char **argv)                                                           \
    {                                                                                         \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                   \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                          \
        ::morva::MorvaApplication app(argc, argv);                                            \
        TestClass test;                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                            \
        return QTest::qExec(&test, argc, argv);                                               \
    }

#define MORVA_SHOW_ACTIVE(window) QVERIFY(::morva::test::showActive(window))

#define MORVA_VERIFY_NO_MESSAGE(desktop)                                                      \
    QVERIFY2((desktop).messages.isEmpty(), ::morva::test::describeMessages(desktop).constData())

#define MORVA_TAKE_MESSAGE(desktop, expectedText)                                             \
    do {                                                                                      \
        QCOMPARE((desktop).messageTexts(), QStringList{expectedText});                        \
        (desktop).messages.clear();                                                           \
    } while (false)

#endif
