// Roots of a cubic on [0, 1]. Each case: State / Action / Expected.
// State: a polynomial given by its linear factors. Action: its roots on
// [0, 1]. Expected: exactly the factors' roots there, a double root once.

#include "arith/Errors.h"
#include "arith/FixedPoints.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>

using namespace morva;

Q_DECLARE_METATYPE(QList<long double>)

class TestFixedPoints : public QObject {
    Q_OBJECT

private slots:
    void roots_data()
    {
        QTest::addColumn<long double>("lead");
        QTest::addColumn<QList<long double>>("factors");
        QTest::addColumn<QList<long double>>("expected");
        QTest::addColumn<long double>("tolerance");
        const long double ulps = 4 * LDBL_EPSILON;
        using L = QList<long double>;
        QTest::newRow("three inside") << 1.0L << L{0.2L, 0.5L, 0.7L} << L{0.2L, 0.5L, 0.7L} << ulps;
        QTest::newRow("both ends") << -2.0L << L{0.0L, 1.0L, 3.0L} << L{0.0L, 1.0L} << 0.0L;
        QTest::newRow("one inside") << 1.0L << L{-1.0L, 0.3L, 2.0L} << L{0.3L} << ulps;
        QTest::newRow("double root, exact") << 1.0L << L{0.25L, 0.25L, 2.0L} << L{0.25L} << 0.0L;
        // Rounding leaves the residual at the turning point a hair off 0,
        // on either side.
        QTest::newRow("double root, rounded") << 1.0L << L{0.3L, 0.3L, 2.0L} << L{0.3L}
                                              << 1e-15L;
        QTest::newRow("double root, from below")
            << -3.0L << L{0.123456789L, -1.0L, 0.123456789L} << L{0.123456789L} << 1e-15L;
        QTest::newRow("quadratic") << 0.5L << L{0.9L, 0.05L} << L{0.05L, 0.9L} << ulps;
        QTest::newRow("linear") << 7.0L << L{0.6L} << L{0.6L} << ulps;
        QTest::newRow("none") << 1.0L << L{-1.0L, 2.0L, 1.5L} << L{} << 0.0L;
        QTest::newRow("two close roots") << 1.0L << L{0.5L, 0.5L + 1e-6L, 5.0L}
                                         << L{0.5L, 0.5L + 1e-6L} << ulps;
    }
    void roots()
    {
        QFETCH(long double, lead);
        QFETCH(QList<long double>, factors);
        QFETCH(QList<long double>, expected);
        QFETCH(long double, tolerance);
        Cubic expanded = Cubic::linear(lead, 0);
        for (const long double r : factors)
            expanded = expanded * Cubic::linear(-r, 1);
        const auto residual = [&](long double x) {
            long double y = lead;
            for (const long double r : factors)
                y = y * (x - r);
            return y;
        };
        const std::vector<long double> roots = rootsOnUnitInterval(expanded, residual);
        QCOMPARE(int(roots.size()), int(expected.size()));
        for (int k = 0; k < expected.size(); ++k)
            MORVA_COMPARE_NEAR(roots[k], expected[k], tolerance);
    }

    // Expected: a product beyond degree 3 is a range error.
    void degreeFourIsARangeError()
    {
        const Cubic square = Cubic::linear(0, 1) * Cubic::linear(0, 1);
        MORVA_EXPECT_ERROR(square * square, ERangeError, "Range check error");
    }
};

QTEST_APPLESS_MAIN(TestFixedPoints)
#include "tst_FixedPoints.moc"
