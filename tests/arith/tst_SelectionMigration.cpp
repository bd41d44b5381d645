// Selection with migration. Each case: State / Action / Expected.
// Checked against the selection model itself (m = 0), the closed form of
// migration alone (equal fitnesses), and the equilibria against the run:
// each a fixed point of one generation, its slope a difference quotient of
// the run, its stability what a run started next to it does.

#include "arith/Errors.h"
#include "arith/PgMathSe.h"
#include "arith/SelectionMigration.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>

using namespace morva;
using morva::test::opaque;

namespace {

SelMigParams params(long double w11, long double w12, long double w22, long double m,
                    long double pc, long double p1, std::int32_t ng)
{
    SelMigParams in;
    in.w = {opaque(w11), opaque(w12), opaque(w22)};
    in.m = opaque(m);
    in.pc = opaque(pc);
    in.p0 = {opaque(p1), 1 - opaque(p1)};
    in.ng = ng;
    return in;
}

// p1 after ng generations from p1 = x.
long double runFrom(SelMigParams in, long double x, std::int32_t ng)
{
    in.p0 = {x, 1 - x};
    in.ng = ng;
    SelMigTrajectory out;
    runSelMig(in, out);
    return out.p1.back();
}

} // namespace

class TestSelectionMigration : public QObject {
    Q_OBJECT

private slots:
    // State: m = 0 (pc whatever). Action: 1000 generations. Expected: p1,
    // p2, W1, W2 and Wmed of every generation are SelTrajectory's bits.
    void withoutMigrationIsSelection_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("pc");
        QTest::addColumn<long double>("p1");
        QTest::newRow("selection window defaults") << 0.8L << 0.7L << 0.9L << 0.3L << 0.6L;
        QTest::newRow("heterozygote advantage") << 0.8L << 1.0L << 0.7L << 1.0L << 0.95L;
        QTest::newRow("odd values") << 0.31L << 0.97L << 0.05L << 0.0L << 0.123456789L;
        QTest::newRow("mean fitness 0") << 0.0L << 0.5L << 0.9L << 0.5L << 1.0L;
    }
    void withoutMigrationIsSelection()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, pc);
        QFETCH(long double, p1);
        const SelMigParams in = params(w11, w12, w22, 0, pc, p1, 1000);
        SelMigTrajectory out;
        runSelMig(in, out);
        SelTrajectory(2, in.w, 1000, in.p0, SelTimes, SelFreqs, SelAlleleFit, SelWmed);
        QCOMPARE(int(out.t.size()), 1001);
        for (int g = 0; g <= 1000; ++g) {
            MORVA_COMPARE_EXACT(out.p1[g], SelFreqs[g][1]);
            MORVA_COMPARE_EXACT(out.p2[g], SelFreqs[g][2]);
            MORVA_COMPARE_EXACT(out.W1[g], SelAlleleFit[g][1]);
            MORVA_COMPARE_EXACT(out.W2[g], SelAlleleFit[g][2]);
            MORVA_COMPARE_EXACT(out.wmed[g], SelWmed[g]);
        }
    }

    // State: equal fitnesses. Expected: p_t = pc + (p0 - pc)(1 - m)^t within
    // a few ulps at every stored generation (rounding of each generation
    // fades by 1 - m, so a small m gathers a few more); the equilibrium is pc
    // with slope 1 - m.
    void equalFitnessesFollowMigration_data()
    {
        QTest::addColumn<long double>("m");
        QTest::addColumn<long double>("pc");
        QTest::addColumn<long double>("p1");
        QTest::addColumn<int>("ng");
        QTest::addColumn<int>("ulps");
        QTest::newRow("slow, sampled to 10^6") << 0.01L << 0.15L << 0.8L << 1000000 << 16;
        QTest::newRow("m = 0.1") << 0.1L << 0.9L << 0.0L << 1000 << 4;
        QTest::newRow("m = 0.5") << 0.5L << 0.0L << 1.0L << 200 << 2;
        QTest::newRow("complete replacement") << 1.0L << 0.3L << 0.7L << 10 << 2;
    }
    void equalFitnessesFollowMigration()
    {
        QFETCH(long double, m);
        QFETCH(long double, pc);
        QFETCH(long double, p1);
        QFETCH(int, ng);
        QFETCH(int, ulps);
        const SelMigParams in = params(0.6L, 0.6L, 0.6L, m, pc, p1, ng);
        SelMigTrajectory out;
        runSelMig(in, out);
        QCOMPARE(out.t.back(), ng);
        for (std::size_t k = 0; k < out.t.size(); ++k) {
            const long double closed = in.pc + (in.p0[1] - in.pc) * std::pow(1 - in.m,
                                                                             (long double)out.t[k]);
            MORVA_COMPARE_NEAR(out.p1[k], closed, ulps * LDBL_EPSILON);
        }
        const FixedPoints fp = selMigFixedPoints(in);
        QCOMPARE(int(fp.points.size()), 1);
        MORVA_COMPARE_NEAR(fp.points[0].value, in.pc, ulps * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(*fp.points[0].slope, 1 - in.m, 4 * LDBL_EPSILON);
        QVERIFY(fp.points[0].stable);
    }

    // Action: the equilibria. Expected: the given number inside (0, 1) and
    // at the ends; each kept by one generation of the run; its slope the
    // run's difference quotient; a run started next to a stable one returns
    // to it, next to an unstable one leaves it.
    void equilibria_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("m");
        QTest::addColumn<long double>("pc");
        QTest::addColumn<int>("inside");
        QTest::addColumn<int>("atEnds");
        QTest::newRow("underdominance, weak migration: 3")
            << 1.0L << 0.8L << 1.0L << 0.01L << 0.5L << 3 << 0;
        QTest::newRow("underdominance, skewed continent: 3")
            << 1.0L << 0.7L << 0.95L << 0.005L << 0.8L << 3 << 0;
        QTest::newRow("underdominance, strong migration: 1")
            << 1.0L << 0.8L << 1.0L << 0.2L << 0.5L << 1 << 0;
        QTest::newRow("migration against selection: 1")
            << 0.9L << 0.95L << 1.0L << 0.01L << 0.9L << 1 << 0;
        // The continent is all A1, so the island's fixation of A1 is kept,
        // but selection against A1 pushes away from it.
        QTest::newRow("pc = 1: 1 and the end") << 0.7L << 0.8L << 1.0L << 0.1L << 1.0L << 1 << 1;
        QTest::newRow("complete replacement: 1") << 0.7L << 0.8L << 1.0L << 1.0L << 0.3L << 1 << 0;
    }
    void equilibria()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, m);
        QFETCH(long double, pc);
        QFETCH(int, inside);
        QFETCH(int, atEnds);
        const SelMigParams in = params(w11, w12, w22, m, pc, 0.5L, 0);
        const FixedPoints fp = selMigFixedPoints(in);
        QVERIFY(!fp.everyPoint);
        int interior = 0;
        for (std::size_t k = 0; k < fp.points.size(); ++k) {
            const FixedPoint &point = fp.points[k];
            const long double x = point.value;
            interior += x > 0 && x < 1;
            if (k > 0)
                QVERIFY(x > fp.points[k - 1].value);
            MORVA_COMPARE_NEAR(runFrom(in, x, 1), x, 4 * LDBL_EPSILON);
            QVERIFY(point.slope);
            QCOMPARE(point.stable, std::fabs(*point.slope) < 1);
            const long double h = 1e-7L;
            const long double lo = std::fmax(x - h, 0.0L), hi = std::fmin(x + h, 1.0L);
            const long double quotient = (runFrom(in, hi, 1) - runFrom(in, lo, 1)) / (hi - lo);
            MORVA_COMPARE_NEAR(*point.slope, quotient, 1e-6L);
            // 200 generations from 1e-4 away (inwards at an end).
            const long double start = x < 1 ? x + 1e-4L : x - 1e-4L;
            const long double after = runFrom(in, start, 200);
            if (point.stable)
                QVERIFY(std::fabs(after - x) < 1e-5L);
            else
                QVERIFY(std::fabs(after - x) > 1e-3L);
        }
        QCOMPARE(interior, inside);
        QCOMPARE(int(fp.points.size()) - interior, atEnds);
        if (inside == 3) {
            QVERIFY(fp.points[0].stable);
            QVERIFY(!fp.points[1].stable);
            QVERIFY(fp.points[2].stable);
        }
    }


    // State: w = 0, 0, 1 (A1 lethal with any A1 beside it), the continent
    // all A1. Action: the equilibria. Expected: p = 0 (stable) and p = 1
    // (mean fitness 0, kept, populations beside it leave), and no point
    // beside 1.
    void meanFitnessZeroListsNoPointBesideIt()
    {
        const FixedPoints fp =
            selMigFixedPoints(params(0, 0, 1, 0.0597596117214512347147L, 1, 0.5L, 1));
        QCOMPARE(int(fp.points.size()), 2);
        MORVA_COMPARE_EXACT(fp.points[0].value, 0.0L);
        QCOMPARE(int(fp.points[0].kind), int(Stability::Stable));
        MORVA_COMPARE_EXACT(fp.points[1].value, 1.0L);
        QVERIFY(!fp.points[1].slope);
        QCOMPARE(int(fp.points[1].kind), int(Stability::Unstable));
    }
    // State: m = 0 and equal fitnesses. Expected: every frequency is kept.
    void neutralWithoutMigrationKeepsEveryPoint()
    {
        const FixedPoints fp = selMigFixedPoints(params(0.5L, 0.5L, 0.5L, 0, 0.2L, 0.5L, 0));
        QVERIFY(fp.everyPoint);
        QVERIFY(fp.points.empty());
    }

    // Action: the expected curves at 500 intervals. Expected: migration is
    // m (pc - p), selection the selection model's curve to the bit, and the
    // total the change of one generation of the run.
    void curves()
    {
        const SelMigParams in = params(1.0L, 0.8L, 1.0L, 0.01L, 0.5L, 0.5L, 0);
        SelMigCurves c;
        computeSelMigCurves(in, 500, c);
        SelExpectedLine(500, in.w, SelLineP, SelLineWmed, SelLineDelta);
        QCOMPARE(int(c.total.size()), 501);
        for (int i = 0; i <= 500; ++i) {
            MORVA_COMPARE_EXACT(c.p[i], SelLineP[i]);
            MORVA_COMPARE_EXACT(c.selection[i], SelLineDelta[i]);
            MORVA_COMPARE_EXACT(c.migration[i], in.m * (in.pc - c.p[i]));
            MORVA_COMPARE_NEAR(c.total[i], runFrom(in, c.p[i], 1) - c.p[i], 4 * LDBL_EPSILON);
        }
    }

    // Errors: generations outside 0..1,000,000 and no intervals are range
    // errors; an overflowing mean fitness throws with generation 0 stored.
    void errors()
    {
        SelMigTrajectory out;
        MORVA_EXPECT_ERROR(runSelMig(params(1, 1, 1, 0, 0, 0.5L, -1), out), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(runSelMig(params(1, 1, 1, 0, 0, 0.5L, 1000001), out), ERangeError,
                           "Range check error");
        SelMigCurves c;
        MORVA_EXPECT_ERROR(computeSelMigCurves(params(1, 1, 1, 0, 0, 0.5L, 0), 0, c),
                           ERangeError, "Range check error");
        SelMigParams huge = params(LDBL_MAX, LDBL_MAX, LDBL_MAX, 0, 0, 0.9L, 10);
        huge.p0 = {0.9L, 0.9L};
        MORVA_EXPECT_ERROR(runSelMig(huge, out), EOverflow, "Floating point overflow");
        QCOMPARE(int(out.p1.size()), 1);
        MORVA_EXPECT_ERROR(selMigFixedPoints(params(LDBL_MAX, 0, LDBL_MAX, 0.5L, 0.5L, 0.5L, 0)),
                           EOverflow, "Floating point overflow");
    }
};

QTEST_APPLESS_MAIN(TestSelectionMigration)
#include "tst_SelectionMigration.moc"
