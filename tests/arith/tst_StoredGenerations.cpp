// Which generations a run stores. Each case: State / Action / Expected.

#include "arith/Errors.h"
#include "arith/StoredGenerations.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

using namespace morva;

class TestStoredGenerations : public QObject {
    Q_OBJECT

private slots:
    // Action: runs of ng generations. Expected: 0..min(ng, 1000) all stored,
    // strictly ascending, last = ng, the given count and samples beyond 1000
    // spaced by (ng - 1000) / 1001 rounded to nearest.
    void rule_data()
    {
        QTest::addColumn<int>("ng");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("beyond");   // first stored generations after 1000
        QTest::newRow("0") << 0 << 1 << QList<int>{};
        QTest::newRow("1") << 1 << 2 << QList<int>{};
        QTest::newRow("1000") << 1000 << 1001 << QList<int>{};
        QTest::newRow("1001: all") << 1001 << 1002 << QList<int>{1001};
        QTest::newRow("2001: all") << 2001 << 2002 << QList<int>{1001, 1002, 1003};
        // Step 1002 / 1001: one generation is skipped, half way (k = 501).
        QTest::newRow("2002: one skipped") << 2002 << 2002 << QList<int>{1001, 1002};
        // Step 999000 / 1001 = 998.0...: 1998, 2996, ...
        QTest::newRow("1000000") << 1000000 << 2002 << QList<int>{1998, 2996, 3994};
        QTest::newRow("2147483647") << 2147483647 << 2002 << QList<int>{2146337};
    }
    void rule()
    {
        QFETCH(int, ng);
        QFETCH(int, count);
        QFETCH(QList<int>, beyond);
        const std::vector<std::int32_t> gens = storedGenerations(ng);
        QCOMPARE(int(gens.size()), count);
        QCOMPARE(gens.back(), ng);
        for (int g = 0; g <= std::min(ng, 1000); ++g)
            QCOMPARE(gens[g], g);
        for (std::size_t k = 1; k < gens.size(); ++k)
            QVERIFY(gens[k] > gens[k - 1]);
        for (int k = 0; k < beyond.size(); ++k)
            QCOMPARE(gens[1001 + k], beyond[k]);
        if (ng == 2002) {
            QCOMPARE(gens[1000 + 500], 1500);
            QCOMPARE(gens[1000 + 501], 1502);
        }
    }

    void negativeIsARangeError()
    {
        MORVA_EXPECT_ERROR(storedGenerations(-1), ERangeError, "Range check error");
    }
};

QTEST_APPLESS_MAIN(TestStoredGenerations)
#include "tst_StoredGenerations.moc"
