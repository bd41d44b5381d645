// The error report, the guard around event handlers and the application
// object's last-resort guard.

#include "arith/Errors.h"
#include "platform/AppIcon.h"
#include "platform/Application.h"
#include "tests/support/FakeDesktop.h"

#include <QTest>
#include <QTimer>

using namespace morva;
using morva::test::FakeDesktop;

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
    void notifyReportsEscapingError();
    void notifyReportsErrorOfTimerSlot();
    void applicationTitleAndIcon();
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

int main(int argc, char **argv)
{
    morva::MorvaApplication app(argc, argv);
    TestApplication test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Application.moc"
