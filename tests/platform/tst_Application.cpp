// The error report, the guard around event handlers and the application
// object's last-resort guard.

#include "arith/Errors.h"
#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "tests/support/FakeDesktop.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace morva;
using morva::test::FakeDesktop;

Q_DECLARE_METATYPE(morva::MessageIcon)

namespace {

// An object whose event handler fails, as a faulty handler would.
class FailingReceiver : public QObject {
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::User)
            throw ERangeError();
        return QObject::event(event);
    }
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void reportText_data();
    void reportText();
    void guardedHandlerReportsAndProgramGoesOn();
    void guardedHandlerWithoutErrorReportsNothing();
    void guardedSlotPassesArgumentsAndReports();
    void notifyReportsEscapingError();
    void notifyReportsErrorOfTimerSlot();
    void applicationTitleAndIcon();
    void realMessageBox_data();
    void realMessageBox();
    void realServicesOffscreen();
    void fakeServicesInstallAndRestore();
};

void TestApplication::reportText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("expected");
    QTest::newRow("letter: full stop added") << "Range check error" << "Range check error.";
    QTest::newRow("closing quote sorts before '.'") << "Bad 'x'" << "Bad 'x'";
    QTest::newRow("digit sorts after '.'") << "Error 5" << "Error 5.";
    QTest::newRow("'/' sorts after '.'") << "a/" << "a/.";
    QTest::newRow("'!' sorts before '.'") << "Stop!" << "Stop!";
    QTest::newRow("')' sorts before '.'") << "(x)" << "(x)";
    QTest::newRow("already a full stop") << "Done." << "Done.";
    QTest::newRow("empty stays empty") << "" << "";
}

void TestApplication::reportText()
{
    QFETCH(QString, message);
    QFETCH(QString, expected);
    QCOMPARE(errorReportText(message), expected);
}

void TestApplication::guardedHandlerReportsAndProgramGoesOn()
{
    // State: real report through a fake desktop. Action: a handler throws a
    // conversion error, then another handler runs. Expected: one stop box
    // titled "MORVA 99" with the full stop; the second handler still runs.
    FakeDesktop desktop;
    const bool ok = guarded([] { throw EConvertError("abc"); });
    QVERIFY(!ok);
    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages[0].icon, MessageIcon::Stop);
    QCOMPARE(desktop.messages[0].title, QStringLiteral("MORVA 99"));
    QCOMPARE(desktop.messages[0].text, QStringLiteral("'abc' is not a valid integer value."));

    bool ran = false;
    QVERIFY(guarded([&] { ran = true; }));
    QVERIFY(ran);
    QCOMPARE(desktop.messages.size(), 1);
}

void TestApplication::guardedHandlerWithoutErrorReportsNothing()
{
    FakeDesktop desktop;
    int calls = 0;
    QVERIFY(guarded([&] { ++calls; }));
    QCOMPARE(calls, 1);
    QVERIFY(desktop.messages.isEmpty());
}

void TestApplication::guardedSlotPassesArgumentsAndReports()
{
    // State: a slot made by guardedSlot on a signal with an argument. Action:
    // emit twice, the second time the handler throws. Expected: the handler
    // sees the argument; the error is reported by the guard itself (the
    // application's last resort stays unused) and the emitter carries on.
    FakeDesktop desktop;
    QTimer timer;
    QList<int> seen;
    QObject::connect(&timer, &QObject::objectNameChanged, &timer,
                     guardedSlot([&](const QString &name) {
                         seen.append(name.size());
                         if (name == QLatin1String("bad"))
                             throw ERangeError();
                     }));
    timer.setObjectName(QStringLiteral("good"));
    timer.setObjectName(QStringLiteral("bad"));
    QCOMPARE(seen, (QList<int>{4, 3}));
    QCOMPARE(desktop.messageTexts(), QStringList{QStringLiteral("Range check error.")});
}

void TestApplication::notifyReportsEscapingError()
{
    // Action: an event handler throws outside any guard. Expected: the
    // application object reports it; the caller carries on.
    FakeDesktop desktop;
    FailingReceiver receiver;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &event);
    QCOMPARE(desktop.messageTexts(), QStringList{QStringLiteral("Range check error.")});
}

void TestApplication::notifyReportsErrorOfTimerSlot()
{
    // Action: a slot run from the event loop throws. Expected: reported once,
    // and the event loop keeps running the next timer.
    FakeDesktop desktop;
    bool later = false;
    QTimer::singleShot(0, qApp, [] { throw EOverflow(); });
    QTimer::singleShot(0, qApp, [&] { later = true; });
    QTRY_VERIFY(later);
    QCOMPARE(desktop.messageTexts(), QStringList{QStringLiteral("Floating point overflow.")});
}

void TestApplication::applicationTitleAndIcon()
{
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("MORVA 99"));
    const QIcon icon = applicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : {16, 32, 48, 64})
        QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    QVERIFY(!QApplication::windowIcon().isNull());
}

void TestApplication::realMessageBox_data()
{
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("boxIcon");
    QTest::addColumn<QString>("shown");
    QTest::newRow("error") << MessageIcon::Error << "Sum MUST be 1" << int(QMessageBox::Critical)
                           << "Sum MUST be 1";
    QTest::newRow("stop") << MessageIcon::Stop << "Range check error." << int(QMessageBox::Critical)
                          << "Range check error.";
    QTest::newRow("information, carriage return breaks the line")
        << MessageIcon::Information << "  first \r  second" << int(QMessageBox::Information)
        << "  first \n  second";
    QTest::newRow("markup is shown as typed") << MessageIcon::Error << "<b>x</b>"
                                              << int(QMessageBox::Critical) << "<b>x</b>";
}

void TestApplication::realMessageBox()
{
    // Action: the real services show a box. Expected: a modal box with the
    // icon, title and text and exactly one OK button; it closes with OK.
    QFETCH(MessageIcon, icon);
    QFETCH(QString, text);
    QFETCH(int, boxIcon);
    QFETCH(QString, shown);
    bool seen = false;
    QTimer::singleShot(0, qApp, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = box->icon() == QMessageBox::Icon(boxIcon) && box->windowTitle() == "MORVA 99"
               && box->text() == shown && box->buttons().size() == 1
               && box->standardButtons() == QMessageBox::Ok;
        box->button(QMessageBox::Ok)->click();
    });
    desktop().showMessage(nullptr, icon, QStringLiteral("MORVA 99"), text);
    QVERIFY(seen);
}

void TestApplication::realServicesOffscreen()
{
    // Offscreen there is no X display: Num Lock reads off; the screen size is
    // the primary screen's.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("needs the offscreen platform");
    QVERIFY(!desktop().numLockOn());
    QCOMPARE(desktop().screenSize(), QGuiApplication::primaryScreen()->geometry().size());
}

void TestApplication::fakeServicesInstallAndRestore()
{
    DesktopServices *real = &desktop();
    {
        FakeDesktop fake;
        QCOMPARE(&desktop(), static_cast<DesktopServices *>(&fake));
        fake.numLock = true;
        QVERIFY(desktop().numLockOn());
    }
    QCOMPARE(&desktop(), real);
}

int main(int argc, char **argv)
{
    morva::MorvaApplication app(argc, argv);
    TestApplication test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Application.moc"
