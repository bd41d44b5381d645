// Date and time pictures of the status bar, and the elapsed-time text.

#include "platform/DateTimeText.h"

#include <QTest>

using namespace morva::text;

class TestDateTimeText : public QObject {
    Q_OBJECT
private slots:
    void moment_data();
    void moment();
    void elapsed_data();
    void elapsed();
};

void TestDateTimeText::moment_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("expected");
    const QDateTime morning(QDate(2026, 12, 8), QTime(9, 30, 15));
    const QDateTime newYear(QDate(2000, 1, 1), QTime(0, 0, 0));
    QTest::newRow("date picture") << morning << "yy.mm.dd " << "26.12.08 ";
    QTest::newRow("date of year 2000") << newYear << "yy.mm.dd " << "00.01.01 ";
    QTest::newRow("clock picture") << morning << "  hh:nn:ss  " << "  09:30:15  ";
    QTest::newRow("midnight") << newYear << "  hh:nn:ss  " << "  00:00:00  ";
    QTest::newRow("late evening") << QDateTime(QDate(2026, 1, 2), QTime(23, 59, 59))
                                  << "hh:nn:ss" << "23:59:59";
    QTest::newRow("mm after hh is minutes") << morning << "hh:mm" << "09:30";
    QTest::newRow("single letters, four-digit year") << morning << "d.m.yyyy" << "8.12.2026";
}

void TestDateTimeText::moment()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, picture);
    QFETCH(QString, expected);
    QCOMPARE(formatDateTime(moment, picture), expected);
}

void TestDateTimeText::elapsed_data()
{
    QTest::addColumn<qint64>("milliseconds");
    QTest::addColumn<QString>("expected");
    QTest::newRow("start") << qint64(0) << "  00:00:00  ";
    QTest::newRow("one second") << qint64(1000) << "  00:00:01  ";
    QTest::newRow("part seconds are cut") << qint64(1999) << "  00:00:01  ";
    QTest::newRow("1 h 2 min 3 s") << qint64(3723000) << "  01:02:03  ";
    QTest::newRow("just under a day") << qint64(86399000) << "  23:59:59  ";
    QTest::newRow("a day wraps") << qint64(86400000) << "  00:00:00  ";
    QTest::newRow("a day and a second") << qint64(86401000) << "  00:00:01  ";
    QTest::newRow("many days") << qint64(86400000) * 400 + 61000 << "  00:01:01  ";
}

void TestDateTimeText::elapsed()
{
    QFETCH(qint64, milliseconds);
    QFETCH(QString, expected);
    QCOMPARE(formatElapsed(milliseconds, QStringLiteral("  hh:nn:ss  ")), expected);
}

int main(int argc, char **argv)
{
    // The time separator comes from the system locale; pin it.
    qputenv("LC_ALL", "C");
    qputenv("LANG", "C");
    TestDateTimeText test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_DateTimeText.moc"
