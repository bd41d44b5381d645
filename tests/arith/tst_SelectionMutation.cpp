// Selection with mutation. Each case: State / Action / Expected.
// Checked against the selection model itself (u = v = 0), the mutation
// model's closed form (equal fitnesses) and the textbook balance.

#include "arith/Errors.h"
#include "arith/PgMathSe.h"
#include "arith/SelectionMutation.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>

using namespace morva;
using morva::test::opaque;

Q_DECLARE_METATYPE(QList<long double>)

namespace {

SelMutParams params(long double w11, long double w12, long double w22, long double u,
                    long double v, long double p1, std::int32_t ng)
{
    SelMutParams in;
    in.w = {opaque(w11), opaque(w12), opaque(w22)};
    in.u = opaque(u);
    in.v = opaque(v);
    in.p0 = {opaque(p1), 1 - opaque(p1)};
    in.ng = ng;
    return in;
}

} // namespace

class TestSelectionMutation : public QObject {
    Q_OBJECT

private slots:
    // State: a visitor that raises division by zero. Action: every generation
    // of a run. Expected: no error, every generation visited once; the
    // visitor's flags are not the run's.
    void visitorFlagsAreNotTheRuns()
    {
        const SelMutParams in = params(0.8L, 0.7L, 0.9L, 1e-3L, 1e-4L, 0.6L, 5);
        std::int32_t next = 0;
        visitSelMut(in, [&next](const TwoAlleleGeneration &now) {
            QCOMPARE(now.t, next++);
            volatile long double zero = 0;
            (void)(1 / zero);
        });
        QCOMPARE(next, 6);
    }

    // State: u = v = 0. Action: 1000 generations. Expected: p1, p2, W1, W2
    // and Wmed of every generation are SelTrajectory's bits.
    void withoutMutationIsSelection_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("p1");
        QTest::newRow("selection window defaults") << 0.8L << 0.7L << 0.9L << 0.6L;
        QTest::newRow("heterozygote advantage") << 0.8L << 1.0L << 0.7L << 0.05L;
        QTest::newRow("odd values") << 0.31L << 0.97L << 0.05L << 0.123456789L;
        QTest::newRow("mean fitness 0") << 0.0L << 0.5L << 0.9L << 1.0L;
    }
    void withoutMutationIsSelection()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, p1);
        const SelMutParams in = params(w11, w12, w22, 0, 0, p1, 1000);
        SelMutTrajectory out;
        runSelMut(in, out);
        SelTrajectory(2, in.w, 1000, in.p0, SelTimes, SelFreqs, SelAlleleFit, SelWmed);
        QCOMPARE(int(out.t.size()), 1001);
        for (int g = 0; g <= 1000; ++g) {
            QCOMPARE(out.t[g], g);
            MORVA_COMPARE_EXACT(out.p1[g], SelFreqs[g][1]);
            MORVA_COMPARE_EXACT(out.p2[g], SelFreqs[g][2]);
            MORVA_COMPARE_EXACT(out.W1[g], SelAlleleFit[g][1]);
            MORVA_COMPARE_EXACT(out.W2[g], SelAlleleFit[g][2]);
            MORVA_COMPARE_EXACT(out.wmed[g], SelWmed[g]);
        }
    }

    // State: equal fitnesses, so selection changes nothing. Expected: p2
    // follows the mutation model's closed form e + (q0 - e)(1 - u - v)^t,
    // e = u / (u + v), within a few ulps, sampled beyond 1000 too.
    void equalFitnessesFollowMutation_data()
    {
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<long double>("p1");
        QTest::addColumn<int>("ng");
        QTest::newRow("fast") << 0.05L << 0.02L << 0.9L << 1000;
        QTest::newRow("one way, u only") << 0.01L << 0.0L << 0.999L << 3000;
        QTest::newRow("one way, v only") << 0.0L << 0.03L << 0.25L << 1000;
        QTest::newRow("u + v = 1") << 0.7L << 0.3L << 0.4L << 100;
    }
    void equalFitnessesFollowMutation()
    {
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(long double, p1);
        QFETCH(int, ng);
        SelMutTrajectory out;
        runSelMut(params(0.7L, 0.7L, 0.7L, u, v, p1, ng), out);
        const long double e = opaque(u) / (opaque(u) + opaque(v));
        const long double q0 = 1 - opaque(p1);
        const long double r = (1 - opaque(u)) - opaque(v);
        for (std::size_t k = 0; k < out.t.size(); ++k) {
            const long double closed = e + (q0 - e) * std::pow(r, (long double)out.t[k]);
            MORVA_COMPARE_NEAR(out.p2[k], closed, 8 * LDBL_EPSILON);
            MORVA_COMPARE_NEAR(out.p1[k] + out.p2[k], 1.0L, 4 * LDBL_EPSILON);
        }
    }

    // State: a recessive lethal (1, 1, 0), v = 0, u = 1e-5, A2 at 0.5.
    // Action: 1,000,000 generations. Expected: 2002 stored generations
    // ending at 1,000,000; q settles within 1 % of sqrt(u), on the stable
    // equilibrium found as a root; p = 0 (all A2A2, mean fitness 0) is an
    // equilibrium without a slope; the textbook balance is sqrt(u).
    // State: a mean fitness of 0 at p = 1, with and without mutation away
    // from it; equal fitnesses with slow mutation. Action: the equilibria.
    // Expected: exactly the points the generation keeps, the last within 16
    // ulps of its exact value (v / (u + v) with equal fitnesses), and how
    // populations beside them move.
    void listsWhatTheStepKeeps_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<QList<long double>>("points");
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<long double>("tolerance");  // relative
        const int stable = int(Stability::Stable), unstable = int(Stability::Unstable);
        using L = QList<long double>;
        // Only the balance inside, not p = 1.
        QTest::newRow("Wmed 0 at p = 1, mutation moves it")
            << 0.0L << 0.896L << 1.0L << 0.0108L << 0.0642L << L{0.2186947580206565L}
            << QList<int>{stable} << 1e-15L;
        // Every p below 1 goes to v in one generation; p = 1 stays.
        QTest::newRow("Wmed 0 at p = 1, kept") << 0.0L << 0.0L << 1.0L << 0.0L << 0.515L
                                             << L{0.515L, 1} << QList<int>{stable, unstable}
                                             << 0.0L;
        const long double w = 0.720445382102067449163L, u = 3.83e-8L, v = 6.8e-8L;
        QTest::newRow("equal fitnesses, slow mutation") << w << w << w << u << v << L{v / (u + v)}
                                                        << QList<int>{stable}
                                                        << 16 * LDBL_EPSILON;
    }
    void listsWhatTheStepKeeps()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(QList<long double>, points);
        QFETCH(QList<int>, kinds);
        QFETCH(long double, tolerance);
        const FixedPoints fp = selMutFixedPoints(params(w11, w12, w22, u, v, 0.5L, 1));
        QCOMPARE(int(fp.points.size()), int(points.size()));
        for (int k = 0; k < points.size(); ++k) {
            MORVA_COMPARE_NEAR(fp.points[k].value, points[k], tolerance * points[k]);
            QCOMPARE(int(fp.points[k].kind), kinds[k]);
        }
    }

    void recessiveLethalBalance()
    {
        const SelMutParams in = params(1, 1, 0, 1e-5L, 0, 0.5L, SelMutMaxGenerations);
        SelMutTrajectory out;
        runSelMut(in, out);
        QCOMPARE(int(out.t.size()), 2002);
        QCOMPARE(out.t.back(), 1000000);
        QCOMPARE(int(out.p2.size()), 2002);
        const long double q = out.p2.back();
        const long double root = std::sqrt(1e-5L);
        QVERIFY2(std::fabs(q - root) <= 0.01L * root, morva::test::ldText(q).c_str());

        const FixedPoints fp = selMutFixedPoints(in);
        QVERIFY(!fp.everyPoint);
        QCOMPARE(int(fp.points.size()), 2);
        MORVA_COMPARE_EXACT(fp.points[0].value, 0.0L);
        QVERIFY(!fp.points[0].slope);
        QVERIFY(!fp.points[0].stable);
        // The root is a frequency of A1 next to 1: its ulp bounds how well
        // 1 - root tells q.
        MORVA_COMPARE_NEAR(1 - fp.points[1].value, q, LDBL_EPSILON);
        QVERIFY(fp.points[1].stable);
        // Near q^ the map moves q by about 2 q^ of its distance per generation.
        MORVA_COMPARE_NEAR(*fp.points[1].slope, 1 - 2 * root, 1e-4L);

        const std::optional<SelMutBalance> b = selMutBalance(in.w, in.u, in.v);
        QVERIFY(b);
        QCOMPARE(b->allele, 2);
        QVERIFY(b->kind == SelMutBalanceKind::Recessive);
        MORVA_COMPARE_EXACT(b->s, 1.0L);
        MORVA_COMPARE_NEAR(b->frequency, root, LDBL_EPSILON * root);
    }

    // Action: the textbook balance for (w11, w12, w22). Expected: the kind,
    // the deleterious allele, s, h and frequency; none where neither
    // approximation applies.
    void textbookBalance_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<int>("allele");   // 0: no approximation
        QTest::addColumn<bool>("recessive");
        QTest::addColumn<long double>("s");
        QTest::addColumn<long double>("h");
        QTest::addColumn<long double>("frequency");
        // u = 1e-4, v = 4e-6.
        QTest::newRow("A2 recessive, s = 0.5") << 1.0L << 1.0L << 0.5L << 2 << true << 0.5L
                                               << 0.0L << std::sqrt(2e-4L);
        QTest::newRow("A2 partly dominant, h = 0.2") << 1.0L << 0.98L << 0.9L << 2 << false
                                                     << 0.1L << 0.2L << 0.005L;
        QTest::newRow("A2 dominant, h = 1") << 0.5L << 0.25L << 0.25L << 2 << false << 0.5L
                                            << 1.0L << 2e-4L;
        QTest::newRow("A1 recessive, rate v") << 0.8L << 1.0L << 1.0L << 1 << true << 0.2L
                                              << 0.0L << std::sqrt(2e-5L);
        QTest::newRow("overdominance") << 0.8L << 1.0L << 0.7L << 0 << false << 0.0L << 0.0L
                                       << 0.0L;
        QTest::newRow("underdominance") << 1.0L << 0.5L << 0.9L << 0 << false << 0.0L << 0.0L
                                        << 0.0L;
        QTest::newRow("neutral") << 0.7L << 0.7L << 0.7L << 0 << false << 0.0L << 0.0L << 0.0L;
        QTest::newRow("reference fitness 0") << 0.0L << 0.0L << -1.0L << 0 << false << 0.0L
                                             << 0.0L << 0.0L;
    }
    void textbookBalance()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(int, allele);
        QFETCH(bool, recessive);
        QFETCH(long double, s);
        QFETCH(long double, h);
        QFETCH(long double, frequency);
        const std::optional<SelMutBalance> b =
            selMutBalance(TGenotypeFitness{w11, w12, w22}, 1e-4L, 4e-6L);
        QCOMPARE(bool(b), allele != 0);
        if (!b)
            return;
        QCOMPARE(b->allele, allele);
        QCOMPARE(b->kind == SelMutBalanceKind::Recessive, recessive);
        MORVA_COMPARE_NEAR(b->s, s, 4 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(b->h, h, 16 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(b->frequency, frequency, 16 * LDBL_EPSILON * frequency);
    }

    // Action: the expected curves at 500 intervals. Expected: selection is
    // the selection model's curve to the bit, mutation v - (u + v) p, and
    // the total changes sign exactly in the intervals that hold an
    // equilibrium inside (0, 1), one each.
    void curvesCrossAtTheEquilibria_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<int>("inside");
        QTest::newRow("partly dominant") << 1.0L << 0.9L << 0.6L << 1e-2L << 1e-3L << 1;
        QTest::newRow("heterozygote advantage") << 0.8L << 1.0L << 0.7L << 1e-3L << 1e-3L << 1;
        // Underdominance: two stable balances and the threshold between them.
        QTest::newRow("underdominance") << 1.0L << 0.8L << 1.0L << 2e-3L << 2e-3L << 3;
    }
    void curvesCrossAtTheEquilibria()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(int, inside);
        const SelMutParams in = params(w11, w12, w22, u, v, 0.5L, 0);
        SelMutCurves c;
        computeSelMutCurves(in, 500, c);
        SelExpectedLine(500, in.w, SelLineP, SelLineWmed, SelLineDelta);
        QCOMPARE(int(c.p.size()), 501);
        for (int i = 0; i <= 500; ++i) {
            MORVA_COMPARE_EXACT(c.p[i], SelLineP[i]);
            MORVA_COMPARE_EXACT(c.selection[i], SelLineDelta[i]);
            MORVA_COMPARE_NEAR(c.mutation[i], in.v - (in.u + in.v) * c.p[i], LDBL_EPSILON);
        }
        const FixedPoints fp = selMutFixedPoints(in);
        QCOMPARE(int(fp.points.size()), inside);
        int crossings = 0;
        for (int i = 0; i < 500; ++i) {
            if ((c.total[i] > 0) == (c.total[i + 1] > 0))
                continue;
            ++crossings;
            int held = 0;
            for (const FixedPoint &point : fp.points)
                held += point.value >= c.p[i] && point.value <= c.p[i + 1];
            QCOMPARE(held, 1);
        }
        QCOMPARE(crossings, inside);
        for (const FixedPoint &point : fp.points) {
            // One generation of the run keeps each equilibrium.
            SelMutTrajectory step;
            SelMutParams near = in;
            near.ng = 1;
            near.p0 = {point.value, 1 - point.value};
            runSelMut(near, step);
            MORVA_COMPARE_NEAR(step.p1[1], point.value, 1e-17L);
        }
    }

    // Errors: generations outside 0..1,000,000 and no intervals are range
    // errors; an overflowing mean fitness throws with generation 0 stored.
    void errors()
    {
        SelMutTrajectory out;
        MORVA_EXPECT_ERROR(runSelMut(params(1, 1, 1, 0, 0, 0.5L, -1), out), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(runSelMut(params(1, 1, 1, 0, 0, 0.5L, 1000001), out), ERangeError,
                           "Range check error");
        SelMutCurves c;
        MORVA_EXPECT_ERROR(computeSelMutCurves(params(1, 1, 1, 0, 0, 0.5L, 0), 0, c),
                           ERangeError, "Range check error");
        SelMutParams huge = params(LDBL_MAX, LDBL_MAX, LDBL_MAX, 0, 0, 0.9L, 10);
        huge.p0 = {0.9L, 0.9L};
        MORVA_EXPECT_ERROR(runSelMut(huge, out), EOverflow, "Floating point overflow");
        QCOMPARE(int(out.p1.size()), 1);
        MORVA_EXPECT_ERROR(selMutFixedPoints(params(LDBL_MAX, 0, LDBL_MAX, 0, 0, 0.5L, 0)),
                           EOverflow, "Floating point overflow");
        MORVA_EXPECT_ERROR(recessiveBalance(1e-5L, 0), EZeroDivide,
                           "Floating point division by zero");
        // After an error the next run is clean.
        runSelMut(params(1, 1, 0, 1e-5L, 0, 0.5L, 5), out);
        QCOMPARE(int(out.p1.size()), 6);
    }
};

QTEST_APPLESS_MAIN(TestSelectionMutation)
#include "tst_SelectionMutation.moc"
