// A sex-linked locus. Each case: State / Action / Expected.
// Checked against the closed form pf - pm = (-1/2)^t (pf0 - pm0) and the
// invariant (2 pf + pm) / 3.

#include "arith/Errors.h"
#include "arith/SexLinked.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>

using namespace morva;
using morva::test::opaque;

class TestSexLinked : public QObject {
    Q_OBJECT

private slots:
    // Action: 1000 generations. Expected: the difference halves and changes
    // sign each generation, within a few ulps of its closed form; the
    // population frequency stays the limit within a few ulps; males repeat
    // the females of the generation before exactly; both sexes end on the
    // limit.
    void closedForm_data()
    {
        QTest::addColumn<long double>("pf");
        QTest::addColumn<long double>("pm");
        QTest::newRow("all A1 in females only") << 1.0L << 0.0L;
        QTest::newRow("all A1 in males only") << 0.0L << 1.0L;
        QTest::newRow("odd") << 0.123456789L << 0.987654321L;
        QTest::newRow("equal") << 0.4L << 0.4L;
    }
    void closedForm()
    {
        QFETCH(long double, pf);
        QFETCH(long double, pm);
        SexLinkedParams in;
        in.pf = opaque(pf);
        in.pm = opaque(pm);
        in.ng = SexLinkedMaxGenerations;
        SexLinkedTrajectory out;
        runSexLinked(in, out);
        const long double limit = sexLinkedLimit(in.pf, in.pm);
        QCOMPARE(int(out.t.size()), 1001);
        for (int g = 0; g <= 1000; ++g) {
            const long double closed = std::pow(-0.5L, (long double)g) * (in.pf - in.pm);
            MORVA_COMPARE_NEAR(out.difference[g], closed, 4 * LDBL_EPSILON);
            MORVA_COMPARE_EXACT(out.difference[g], out.pf[g] - out.pm[g]);
            MORVA_COMPARE_NEAR(out.population[g], limit, 4 * LDBL_EPSILON);
            if (g > 0)
                MORVA_COMPARE_EXACT(out.pm[g], out.pf[g - 1]);
        }
        MORVA_COMPARE_NEAR(out.pf[1000], limit, 2 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(out.pm[1000], limit, 2 * LDBL_EPSILON);
        MORVA_COMPARE_EXACT(out.pf[1], (in.pf + in.pm) / 2);
    }

    void errors()
    {
        SexLinkedTrajectory out;
        SexLinkedParams in;
        in.ng = 1001;
        MORVA_EXPECT_ERROR(runSexLinked(in, out), ERangeError, "Range check error");
        in.ng = -1;
        MORVA_EXPECT_ERROR(runSexLinked(in, out), ERangeError, "Range check error");
        in.ng = 0;
        runSexLinked(in, out);
        QCOMPARE(int(out.pf.size()), 1);
    }
};

QTEST_APPLESS_MAIN(TestSexLinked)
#include "tst_SexLinked.moc"
