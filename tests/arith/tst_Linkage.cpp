// Linkage disequilibrium between two loci. Each case: State / Action /
// Expected. Checked against the closed form D0 (1 - r)^t and the exact
// limits r = 0.5 (D halves) and r = 0 (D stays).

#include "arith/Errors.h"
#include "arith/Linkage.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>

using namespace morva;
using morva::test::opaque;

namespace {

LinkageParams params(long double AB, long double Ab, long double aB, long double ab,
                     long double r, std::int32_t ng)
{
    LinkageParams in;
    in.x0 = {opaque(AB), opaque(Ab), opaque(aB), opaque(ab)};
    in.r = opaque(r);
    in.ng = ng;
    return in;
}

} // namespace

class TestLinkage : public QObject {
    Q_OBJECT

private slots:
    // Action: 1000 generations. Expected: D_t within t + 2 ulps (one
    // rounding per generation) of D0 (1 - r)^t, which Dclosed holds; the
    // gametes sum to 1 and keep the allele frequencies; r = 0.5 halves D
    // exactly, r = 0 keeps it exactly.
    void closedForm_data()
    {
        QTest::addColumn<long double>("AB");
        QTest::addColumn<long double>("Ab");
        QTest::addColumn<long double>("aB");
        QTest::addColumn<long double>("ab");
        QTest::addColumn<long double>("r");
        QTest::newRow("coupling only, r = 0.5") << 0.5L << 0.0L << 0.0L << 0.5L << 0.5L;
        QTest::newRow("repulsion, r = 0.1") << 0.1L << 0.4L << 0.3L << 0.2L << 0.1L;
        QTest::newRow("odd, r = 0.0123") << 0.41L << 0.09L << 0.17L << 0.33L << 0.0123L;
        QTest::newRow("tight linkage, r = 0.001") << 0.3L << 0.2L << 0.1L << 0.4L << 0.001L;
        QTest::newRow("no recombination") << 0.3L << 0.2L << 0.1L << 0.4L << 0.0L;
        QTest::newRow("equilibrium start") << 0.24L << 0.36L << 0.16L << 0.24L << 0.2L;
    }
    void closedForm()
    {
        QFETCH(long double, AB);
        QFETCH(long double, Ab);
        QFETCH(long double, aB);
        QFETCH(long double, ab);
        QFETCH(long double, r);
        const LinkageParams in = params(AB, Ab, aB, ab, r, LinkageMaxGenerations);
        LinkageTrajectory out;
        runLinkage(in, out);
        const LinkageAlleles a = linkageAlleles(in.x0);
        QCOMPARE(int(out.t.size()), 1001);
        QVERIFY(out.r2Defined);
        MORVA_COMPARE_EXACT(out.D[0], in.x0[1] * in.x0[4] - in.x0[2] * in.x0[3]);
        for (int g = 0; g <= 1000; ++g) {
            const long double closed = a.D0 * std::pow(1 - in.r, (long double)g);
            MORVA_COMPARE_EXACT(out.Dclosed[g], linkageDisequilibriumAt(a.D0, in.r, g));
            MORVA_COMPARE_NEAR(out.D[g], closed, (g + 2) * LDBL_EPSILON * std::fabs(closed));
            MORVA_COMPARE_NEAR(out.AB[g] + out.Ab[g] + out.aB[g] + out.ab[g], 1.0L,
                               4 * LDBL_EPSILON);
            MORVA_COMPARE_NEAR(out.AB[g] + out.Ab[g], a.pA, 2 * LDBL_EPSILON);
            MORVA_COMPARE_NEAR(out.AB[g] + out.aB[g], a.pB, 2 * LDBL_EPSILON);
            if (g > 0 && r == 0.5L)
                MORVA_COMPARE_EXACT(out.D[g], out.D[g - 1] / 2);
            if (r == 0)
                MORVA_COMPARE_EXACT(out.D[g], a.D0);
        }
        if (r >= 0.1L)
            for (int i = 1; i <= 4; ++i)
                MORVA_COMPARE_NEAR(i == 1 ? out.AB[1000] : i == 2 ? out.Ab[1000]
                                       : i == 3 ? out.aB[1000] : out.ab[1000],
                                   a.equilibrium[i], 2 * LDBL_EPSILON);
    }

    // Expected: r^2 = D^2 / (pA pa pB pb): 1 for complete coupling, 0 at
    // linkage equilibrium; undefined (no values) when an allele is absent.
    void rSquared_data()
    {
        QTest::addColumn<long double>("AB");
        QTest::addColumn<long double>("Ab");
        QTest::addColumn<long double>("aB");
        QTest::addColumn<long double>("ab");
        QTest::addColumn<bool>("defined");
        QTest::addColumn<long double>("r2");
        QTest::newRow("complete coupling") << 0.5L << 0.0L << 0.0L << 0.5L << true << 1.0L;
        QTest::newRow("linkage equilibrium") << 0.25L << 0.25L << 0.25L << 0.25L << true << 0.0L;
        QTest::newRow("allele a absent") << 0.6L << 0.4L << 0.0L << 0.0L << false << 0.0L;
        QTest::newRow("allele B absent") << 0.0L << 0.7L << 0.0L << 0.3L << false << 0.0L;
    }
    void rSquared()
    {
        QFETCH(long double, AB);
        QFETCH(long double, Ab);
        QFETCH(long double, aB);
        QFETCH(long double, ab);
        QFETCH(bool, defined);
        QFETCH(long double, r2);
        LinkageTrajectory out;
        out.r2 = {5};
        runLinkage(params(AB, Ab, aB, ab, 0.5L, 3), out);
        QCOMPARE(out.r2Defined, defined);
        QCOMPARE(int(out.r2.size()), defined ? 4 : 0);
        if (defined) {
            MORVA_COMPARE_EXACT(out.r2[0], r2);
            MORVA_COMPARE_EXACT(out.r2[1], r2 / 4);
        }
    }

    void errors()
    {
        LinkageTrajectory out;
        MORVA_EXPECT_ERROR(runLinkage(params(0.25L, 0.25L, 0.25L, 0.25L, 0.1L, 1001), out),
                           ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(runLinkage(params(0.25L, 0.25L, 0.25L, 0.25L, 0.1L, -1), out),
                           ERangeError, "Range check error");
    }
};

QTEST_APPLESS_MAIN(TestLinkage)
#include "tst_Linkage.moc"
