// Inbreeding by partial selfing. Each case: State / Action / Expected.
// Checked against the closed form of the heterozygote frequency and the
// exact limits s = 0 (Hardy-Weinberg at once) and s = 1 (H halves).

#include "arith/Errors.h"
#include "arith/Selfing.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>

using namespace morva;
using morva::test::opaque;

namespace {

SelfingParams params(long double P, long double H, long double Q, long double s,
                     std::int32_t ng)
{
    SelfingParams in;
    in.P = opaque(P);
    in.H = opaque(H);
    in.Q = opaque(Q);
    in.s = opaque(s);
    in.ng = ng;
    return in;
}

} // namespace

class TestSelfing : public QObject {
    Q_OBJECT

private slots:
    // Action: 1000 generations. Expected: H_t = H^ + (H0 - H^)(s / 2)^t
    // within a few ulps at every generation; P + H + Q stays 1 and p stays
    // P0 + H0 / 2; F approaches s / (2 - s).
    void closedForm_data()
    {
        QTest::addColumn<long double>("P");
        QTest::addColumn<long double>("H");
        QTest::addColumn<long double>("Q");
        QTest::addColumn<long double>("s");
        QTest::newRow("Hardy-Weinberg start, s = 0.5") << 0.36L << 0.48L << 0.16L << 0.5L;
        QTest::newRow("all heterozygotes, s = 0.9") << 0.0L << 1.0L << 0.0L << 0.9L;
        QTest::newRow("no heterozygotes, s = 0.1") << 0.3L << 0.0L << 0.7L << 0.1L;
        QTest::newRow("odd, s = 0.123") << 0.111L << 0.333L << 0.556L << 0.123L;
        QTest::newRow("s = 1") << 0.2L << 0.6L << 0.2L << 1.0L;
    }
    void closedForm()
    {
        QFETCH(long double, P);
        QFETCH(long double, H);
        QFETCH(long double, Q);
        QFETCH(long double, s);
        const SelfingParams in = params(P, H, Q, s, SelfingMaxGenerations);
        SelfingTrajectory out;
        runSelfing(in, out);
        const SelfingEquilibrium e = selfingEquilibrium(in);
        QCOMPARE(int(out.t.size()), 1001);
        QVERIFY(out.inbreedingDefined);
        QCOMPARE(int(out.F.size()), 1001);
        for (int g = 0; g <= 1000; ++g) {
            QCOMPARE(out.t[g], g);
            MORVA_COMPARE_NEAR(out.H[g], selfingHeterozygosity(in.H, e.H, in.s, g),
                               4 * LDBL_EPSILON);
            MORVA_COMPARE_NEAR(out.P[g] + out.H[g] + out.Q[g], 1.0L, 4 * LDBL_EPSILON);
            MORVA_COMPARE_NEAR(out.P[g] + out.H[g] / 2, e.p, 4 * LDBL_EPSILON);
        }
        MORVA_COMPARE_NEAR(out.F[1000], e.F, 8 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(e.F, in.s / (2 - in.s), LDBL_EPSILON);
        MORVA_COMPARE_NEAR(out.P[1000], e.P, 4 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(out.Q[1000], e.Q, 4 * LDBL_EPSILON);
        if (s == 1)
            for (int g = 1; g <= 1000; ++g)
                MORVA_COMPARE_EXACT(out.H[g], out.H[g - 1] / 2);
    }

    // State: s = 0 (random mating). Expected: from generation 1 on P, H, Q
    // are p^2, 2pq, q^2 exactly and F is 0 exactly.
    void randomMatingReachesHardyWeinbergAtOnce_data()
    {
        QTest::addColumn<long double>("P");
        QTest::addColumn<long double>("H");
        QTest::addColumn<long double>("Q");
        QTest::newRow("no heterozygotes") << 0.3L << 0.0L << 0.7L;
        QTest::newRow("excess heterozygotes") << 0.1L << 0.8L << 0.1L;
        QTest::newRow("odd") << 0.123456789L << 0.5L << 0.376543211L;
    }
    void randomMatingReachesHardyWeinbergAtOnce()
    {
        QFETCH(long double, P);
        QFETCH(long double, H);
        QFETCH(long double, Q);
        const SelfingParams in = params(P, H, Q, 0, 20);
        SelfingTrajectory out;
        runSelfing(in, out);
        const SelfingEquilibrium e = selfingEquilibrium(in);
        MORVA_COMPARE_EXACT(out.P[0], in.P);
        for (int g = 1; g <= 20; ++g) {
            MORVA_COMPARE_EXACT(out.P[g], e.hwP);
            MORVA_COMPARE_EXACT(out.H[g], e.hwH);
            MORVA_COMPARE_EXACT(out.Q[g], e.hwQ);
            MORVA_COMPARE_EXACT(out.F[g], 0.0L);
        }
        MORVA_COMPARE_EXACT(e.hwP, e.p * e.p);
    }

    // State: one allele absent, so 2pq = 0. Expected: F undefined (no
    // values, no division), the genotypes unchanged.
    void inbreedingUndefinedWithoutBothAlleles_data()
    {
        QTest::addColumn<long double>("P");
        QTest::addColumn<long double>("Q");
        QTest::newRow("only A1A1") << 1.0L << 0.0L;
        QTest::newRow("only A2A2") << 0.0L << 1.0L;
    }
    void inbreedingUndefinedWithoutBothAlleles()
    {
        QFETCH(long double, P);
        QFETCH(long double, Q);
        SelfingTrajectory out;
        out.F = {1, 2, 3};
        runSelfing(params(P, 0, Q, 0.5L, 10), out);
        QVERIFY(!out.inbreedingDefined);
        QVERIFY(out.F.empty());
        QCOMPARE(int(out.P.size()), 11);
        for (int g = 0; g <= 10; ++g) {
            MORVA_COMPARE_EXACT(out.P[g], P);
            MORVA_COMPARE_EXACT(out.H[g], 0.0L);
            MORVA_COMPARE_EXACT(out.Q[g], Q);
        }
    }

    // Errors: generations outside 0..1000 are range errors; s = 2 divides
    // by 0 in F^.
    void errors()
    {
        SelfingTrajectory out;
        MORVA_EXPECT_ERROR(runSelfing(params(0.25L, 0.5L, 0.25L, 0.5L, -1), out), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(runSelfing(params(0.25L, 0.5L, 0.25L, 0.5L, 1001), out),
                           ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(selfingEquilibrium(params(0.25L, 0.5L, 0.25L, 2, 0)), EZeroDivide,
                           "Floating point division by zero");
    }
};

QTEST_APPLESS_MAIN(TestSelfing)
#include "tst_Selfing.moc"
