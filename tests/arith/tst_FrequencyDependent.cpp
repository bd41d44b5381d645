// Frequency-dependent selection. Each case: State / Action / Expected.
// Checked against the selection model's step with each generation's
// fitnesses, equilibria worked out by hand, and stopping generations from an
// independent double-precision run.

#include "arith/Errors.h"
#include "arith/FrequencyDependent.h"
#include "arith/PgMathSe.h"
#include "arith/StoredGenerations.h"
#include "tests/arith/ExtendedTest.h"

#include <QList>
#include <QTest>

#include <algorithm>
#include <cfloat>
#include <cmath>

using namespace morva;
using morva::test::opaque;

namespace {

using Six = QList<long double>;   // a11, a12, a22, b11, b12, b22

FreqDepParams params(const Six &ab, long double p1, std::int32_t ng)
{
    FreqDepParams in;
    in.a = {opaque(ab[0]), opaque(ab[1]), opaque(ab[2])};
    in.b = {opaque(ab[3]), opaque(ab[4]), opaque(ab[5])};
    in.p0 = {opaque(p1), 1 - opaque(p1)};
    in.ng = ng;
    return in;
}

} // namespace

class TestFrequencyDependent : public QObject {
    Q_OBJECT

private slots:
    // Action: a run. Expected: each stored generation is the selection
    // model's step (SelStep) with that generation's fitnesses, to the bit,
    // sampled in long runs; with b = 0 those are a, and the expected curve
    // is SelExpectedLine's. A fitness below 0 or a mean fitness of 0 stops
    // the run at the generation an independent double-precision run finds,
    // naming the fitness, with the rows before it kept.
    void runs_data()
    {
        QTest::addColumn<Six>("ab");
        QTest::addColumn<long double>("p1");
        QTest::addColumn<int>("ng");
        QTest::addColumn<int>("stopAt");     // -1: none
        QTest::addColumn<int>("genotype");   // 0: mean fitness 0
        QTest::newRow("b = 0, selection window defaults")
            << Six{0.8L, 0.7L, 0.9L, 0, 0, 0} << 0.6L << 1000 << -1 << 0;
        QTest::newRow("b = 0 and -0, heterozygote advantage")
            << Six{0.8L, 1, 0.7L, 0, -0.0L, 0} << 0.05L << 1000 << -1 << 0;
        QTest::newRow("b = 0, long, sampled")
            << Six{0.31L, 0.97L, 0.05L, 0, 0, 0} << 0.123456789L << 1000000 << -1 << 0;
        QTest::newRow("rare favoured, long") << Six{1, 0.9L, 1, -0.3L, 0.2L, -0.5L} << 0.01L
                                             << 5000 << -1 << 0;
        QTest::newRow("A1A1 at once") << Six{1, 1, 1, -2, 0, 0} << 0.9L << 10 << 0 << 1;
        QTest::newRow("A2A2 at once") << Six{1, 1, 1, 0, 0, -2} << 0.1L << 10 << 0 << 3;
        QTest::newRow("A1A2 in generation 5") << Six{2, 1, 0.5L, 0, -2.1L, 0} << 0.1L << 1000
                                              << 5 << 2;
        // Past the flip at b = -3.2 the equilibrium 1/2 is unstable: the
        // swings grow from 1e-7 until A1A1 turns negative, between stored
        // generations of a long run.
        QTest::newRow("growing swings, unstored generation")
            << Six{1, 1, 1, -3.21L, 0, -3.21L} << 0.5000001L << 1000000 << 1170 << 1;
        QTest::newRow("mean fitness 0 at once") << Six{0, 0.5L, 0.9L, 0, 0, 0} << 1.0L << 10
                                                << 0 << 0;
        // Generation 0 turns every A1 into A2 (W1 = 0), whose fitness
        // 1 - q^2 then is 0.
        QTest::newRow("mean fitness 0 in generation 1")
            << Six{0, 0, 1, 0, 0, -1} << 0.5L << 10 << 1 << 0;
    }
    void runs()
    {
        QFETCH(Six, ab);
        QFETCH(long double, p1);
        QFETCH(int, ng);
        QFETCH(int, stopAt);
        QFETCH(int, genotype);
        const FreqDepParams in = params(ab, p1, ng);
        FreqDepTrajectory out;
        runFreqDep(in, out);
        QCOMPARE(out.stop ? out.stop->generation : -1, stopAt);
        if (out.stop) {
            QCOMPARE(out.stop->genotype, genotype);
            QCOMPARE(out.stop->reason, genotype == 0 ? FreqDepStopReason::ZeroMeanFitness
                                                     : FreqDepStopReason::NegativeFitness);
            QVERIFY(out.t.empty() || out.t.back() < stopAt);
        } else {
            QCOMPARE(out.t, storedGenerations(ng));
        }
        QCOMPARE(out.deltaP.size(), out.t.size());
        TAlleleVector p = in.p0;
        for (std::size_t g = 0, k = 0; k < out.t.size(); ++g) {
            const TGenotypeFitness w = {in.a[1] + in.b[1] * (p[1] * p[1]),
                                        in.a[2] + in.b[2] * (2 * p[1] * p[2]),
                                        in.a[3] + in.b[3] * (p[2] * p[2])};
            TAlleleVector W, next;
            long double wm = 0;
            SelStep(2, w, p, wm, W, next);
            if (int(g) == out.t[k]) {
                MORVA_COMPARE_EXACT(out.p1[k], p[1]);
                MORVA_COMPARE_EXACT(out.p2[k], p[2]);
                MORVA_COMPARE_EXACT(out.w11[k], w[1]);
                MORVA_COMPARE_EXACT(out.w12[k], w[2]);
                MORVA_COMPARE_EXACT(out.w22[k], w[3]);
                MORVA_COMPARE_EXACT(out.W1[k], W[1]);
                MORVA_COMPARE_EXACT(out.W2[k], W[2]);
                MORVA_COMPARE_EXACT(out.wmed[k], wm);
                MORVA_COMPARE_EXACT(out.deltaP[k], next[1] - p[1]);
                ++k;
            }
            p = next;
        }
        if (ab[3] != 0 || ab[4] != 0 || ab[5] != 0)
            return;
        FreqDepCurve c;
        computeFreqDepCurve(in, 500, c);
        SelExpectedLine(500, in.a, SelLineP, SelLineWmed, SelLineDelta);
        for (int i = 0; i <= 500; ++i) {
            MORVA_COMPARE_EXACT(c.p[i], SelLineP[i]);
            MORVA_COMPARE_EXACT(c.delta[i], SelLineDelta[i]);
        }
    }

    // Action: the equilibria. Expected: the values and slopes worked out by
    // hand (NaN: no slope, the mean fitness is 0 there); each one is kept
    // by a generation of the run within a few ulps, and runs started beside
    // it approach it when it is stable and leave it otherwise. The expected
    // curve changes sign once beside each one inside (0, 1) and nowhere
    // else, and is undefined where the run would stop.
    void equilibria_data()
    {
        QTest::addColumn<Six>("ab");
        QTest::addColumn<QList<long double>>("values");
        QTest::addColumn<QList<long double>>("slopes");
        QTest::addColumn<int>("undefined");   // points of the curve at 1000 intervals
        const long double none = NAN;
        // b = 0: the selection model's (w22 - w12) / (w11 - 2 w12 + w22) =
        // 0.6, slope 1 + p q (w11 - 2 w12 + w22) / Wmed = 19/22; ends
        // w12 / w22 and w12 / w11.
        QTest::newRow("heterozygote advantage, b = 0")
            << Six{0.8L, 1, 0.7L, 0, 0, 0} << QList<long double>{0, 0.6L, 1}
            << QList<long double>{1 / 0.7L, 19 / 22.0L, 1.25L} << 0;
        // W1 - W2 = (q^3 - p^3) / 2: p^ = 1/2, Wmed 15/16, slope 1 + p q
        // D' / Wmed = 1 - (1/4)(3/4)/(15/16) = 4/5; ends 1 / (1 - 1/2).
        QTest::newRow("rare homozygotes favoured")
            << Six{1, 1, 1, -0.5L, 0, -0.5L} << QList<long double>{0, 0.5L, 1}
            << QList<long double>{2, 0.8L, 2} << 0;
        // As above with b = -1: slope 1 - (1/4)(3/2)/(7/8) = 4/7; each end
        // has a homozygote of fitness 0 alone, mean fitness 0.
        QTest::newRow("rare homozygotes favoured, lethal when fixed")
            << Six{1, 1, 1, -1, 0, -1} << QList<long double>{0, 0.5L, 1}
            << QList<long double>{none, 4 / 7.0L, none} << 2;
        // W1 - W2 = (q - p)(1/2 - 5 p q / 2): p q = 1/5 at p = (1 -+ 1/sqrt 5)
        // / 2, Wmed 7/10, slope 1 + (1/5)(-1/2)/(7/10) = 6/7; at 1/2 Wmed
        // 11/16 and slope 1 + (1/4)(1/4)/(11/16) = 12/11.
        const long double r = 1 / std::sqrt(5.0L);
        QTest::newRow("three inside")
            << Six{1, 1, 1, -0.5L, -1, -0.5L}
            << QList<long double>{0, (1 - r) / 2, 0.5L, (1 + r) / 2, 1}
            << QList<long double>{2, 6 / 7.0L, 12 / 11.0L, 6 / 7.0L, 2} << 0;
        // W1 - W2 = -2 p^3: only p = 0 (slope 1); at p = 1 w11 = -1, where
        // the run stops, so it is left out, as is the curve above 1 / sqrt 2.
        QTest::newRow("fixation has a negative fitness")
            << Six{1, 1, 1, -2, 0, 0} << QList<long double>{0} << QList<long double>{1}
            << 293;
    }
    void equilibria()
    {
        QFETCH(Six, ab);
        QFETCH(QList<long double>, values);
        QFETCH(QList<long double>, slopes);
        QFETCH(int, undefined);
        const FreqDepParams in = params(ab, 0.5L, 0);
        const FixedPoints fp = freqDepFixedPoints(in);
        QVERIFY(!fp.everyPoint);
        QCOMPARE(fp.points.size(), std::size_t(values.size()));
        for (std::size_t i = 0; i < fp.points.size(); ++i) {
            const FixedPoint &point = fp.points[i];
            MORVA_COMPARE_NEAR(point.value, values[i], 4 * LDBL_EPSILON);
            QCOMPARE(bool(point.slope), !std::isnan(slopes[i]));
            if (!point.slope)
                continue;
            MORVA_COMPARE_NEAR(*point.slope, slopes[i], 64 * LDBL_EPSILON);
            QCOMPARE(point.stable, std::fabs(slopes[i]) < 1);

            FreqDepTrajectory step;
            runFreqDep(params(ab, point.value, 1), step);
            QVERIFY(!step.stop);
            MORVA_COMPARE_NEAR(step.p1[1], point.value, 4 * LDBL_EPSILON);
            if (std::fabs(slopes[i]) == 1)
                continue;
            for (const long double d : {-1e-4L, 1e-4L}) {
                const long double start = point.value + d;
                if (start < 0 || start > 1)
                    continue;
                FreqDepTrajectory run;
                runFreqDep(params(ab, start, 20), run);
                const long double now = std::fabs(run.p1.back() - point.value);
                QCOMPARE(now < std::fabs(d), point.stable);
            }
        }

        FreqDepCurve c;
        computeFreqDepCurve(in, 1000, c);
        QCOMPARE(int(std::count(c.defined.begin(), c.defined.end(), false)), undefined);
        // Sign changes between points inside (0, 1), where delta-p is 0 only
        // at an equilibrium.
        int crossings = 0;
        for (int i = 1; i < 999; ++i) {
            if (!c.defined[i] || !c.defined[i + 1] || (c.delta[i] > 0) == (c.delta[i + 1] > 0))
                continue;
            ++crossings;
            QVERIFY(std::any_of(values.begin(), values.end(), [&](long double x) {
                return x >= c.p[i] && x <= c.p[i + 1];
            }));
        }
        QCOMPARE(crossings, int(std::count_if(values.begin(), values.end(),
                                              [](long double x) { return x > 0 && x < 1; })));
    }

    // Errors: generations outside 0..1,000,000 and no intervals are range
    // errors; a fitness that overflows to -inf throws (not a stop), and so
    // do overflowing equilibria; the next run is clean.
    void errors()
    {
        const Six flat{1, 1, 1, 0, 0, 0};
        FreqDepTrajectory out;
        FreqDepCurve c;
        for (const int ng : {-1, 1000001})
            MORVA_EXPECT_ERROR(runFreqDep(params(flat, 0.5L, ng), out), ERangeError,
                               "Range check error");
        MORVA_EXPECT_ERROR(computeFreqDepCurve(params(flat, 0.5L, 0), 0, c), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(runFreqDep(params({-LDBL_MAX, 1, 1, -LDBL_MAX, 0, 0}, 0.5L, 9), out),
                           EOverflow, "Floating point overflow");
        QVERIFY(out.p1.empty() && !out.stop);
        MORVA_EXPECT_ERROR(freqDepFixedPoints(params({LDBL_MAX, 1, 1, LDBL_MAX, 0, 0}, 0.5L, 0)),
                           EOverflow, "Floating point overflow");
        runFreqDep(params(flat, 0.5L, 5), out);
        QVERIFY(out.p1.size() == 6 && !out.stop);
    }
};

QTEST_APPLESS_MAIN(TestFrequencyDependent)
#include "tst_FrequencyDependent.moc"
