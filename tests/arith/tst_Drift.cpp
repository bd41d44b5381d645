// Drift arithmetic. Each case: State / Action / Expected.
// Random runs are checked bit for bit against stored counts, and against the
// model's closed forms within stated multiples of the standard error; the
// seeds are fixed, so every check gives the same outcome on every run.

#include "arith/Drift.h"
#include "arith/Errors.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <limits>

using namespace morva;

namespace {

constexpr std::uint64_t Seed = 20240516;

DriftInput input(Extended p0, std::int32_t ne, std::int32_t replicates, std::int32_t generations,
                 TGenotypeFitness w = {1, 1, 1}, std::uint64_t seed = Seed)
{
    DriftInput in;
    in.p0 = p0;
    in.ne = ne;
    in.replicates = replicates;
    in.generations = generations;
    in.fitness = w;
    in.seed = seed;
    return in;
}

Extended freq(std::int32_t k, std::int32_t ne)
{
    return static_cast<Extended>(k) / (2 * static_cast<Extended>(ne));
}

} // namespace

Q_DECLARE_METATYPE(morva::DriftInput)

class TestDrift : public QObject {
    Q_OBJECT

private slots:
    // Action: the stored generations of a run. Expected: every generation
    // up to 1000; beyond, 1001 of them, i * g / 1000 rounded half to even,
    // from 0 to g, strictly increasing.
    void storedTimes_data()
    {
        QTest::addColumn<int>("generations");
        QTest::addColumn<QList<int>>("indexTime");  // pairs: row, generation
        QTest::newRow("1") << 1 << QList<int>{0, 0, 1, 1};
        QTest::newRow("1000") << 1000 << QList<int>{1, 1, 999, 999, 1000, 1000};
        QTest::newRow("1001: 500.5 to even") << 1001 << QList<int>{1, 1, 500, 500, 999, 1000, 1000, 1001};
        QTest::newRow("2500: 2.5 down, 7.5 up") << 2500 << QList<int>{1, 2, 3, 8, 1000, 2500};
        QTest::newRow("10000") << 10000 << QList<int>{1, 10, 999, 9990, 1000, 10000};
    }
    void storedTimes()
    {
        QFETCH(int, generations);
        QFETCH(QList<int>, indexTime);
        const std::vector<std::int32_t> times = driftStoredTimes(generations);
        QCOMPARE(int(times.size()), std::min(generations, 1000) + 1);
        for (qsizetype i = 0; i < indexTime.size(); i += 2)
            QCOMPARE(times.at(std::size_t(indexTime[i])), indexTime[i + 1]);
        for (std::size_t i = 1; i < times.size(); ++i)
            QVERIFY(times[i] > times[i - 1]);
    }

    // State: one input out of range. Action: a run. Expected: range error.
    void badInput_data()
    {
        QTest::addColumn<DriftInput>("in");
        const long double nan = std::numeric_limits<long double>::quiet_NaN();
        const auto with = [](auto change) {
            DriftInput in = input(0.5L, 10, 2, 5);
            change(in);
            return in;
        };
        QTest::newRow("p0 < 0") << with([](DriftInput &in) { in.p0 = -0.001L; });
        QTest::newRow("p0 > 1") << with([](DriftInput &in) { in.p0 = 1.001L; });
        QTest::newRow("p0 NaN") << with([nan](DriftInput &in) { in.p0 = nan; });
        QTest::newRow("Ne 0") << with([](DriftInput &in) { in.ne = 0; });
        QTest::newRow("Ne 1000001") << with([](DriftInput &in) { in.ne = 1000001; });
        QTest::newRow("replicates 0") << with([](DriftInput &in) { in.replicates = 0; });
        QTest::newRow("replicates 201") << with([](DriftInput &in) { in.replicates = 201; });
        QTest::newRow("generations 0") << with([](DriftInput &in) { in.generations = 0; });
        QTest::newRow("generations 10001") << with([](DriftInput &in) { in.generations = 10001; });
        QTest::newRow("w12 < 0") << with([](DriftInput &in) { in.fitness[2] = -0.5L; });
        QTest::newRow("w22 infinite") << with([](DriftInput &in) { in.fitness[3] = HUGE_VALL; });
        QTest::newRow("w11 NaN") << with([nan](DriftInput &in) { in.fitness[1] = nan; });
        QTest::newRow("all fitnesses 0") << with([](DriftInput &in) { in.fitness = {0, 0, 0}; });
    }
    void badInput()
    {
        QFETCH(DriftInput, in);
        MORVA_EXPECT_ERROR(driftRun(in), ERangeError, "Range check error");
    }

    // Beyond the window's 200 replicates only a run without trajectories
    // goes; a trajectory outside the stored ones is a range error.
    void bulkLimits()
    {
        QCOMPARE(driftSimulate(input(0.5L, 2, 201, 3), false).finalCounts.size(), std::size_t(201));
        MORVA_EXPECT_ERROR(driftSimulate(input(0.5L, 2, 201, 3), true), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(driftSimulate(input(0.5L, 2, 1000001, 3), false), ERangeError,
                           "Range check error");
        const DriftResult r = driftRun(input(0.5L, 2, 3, 4));
        QCOMPARE(r.trajectory(2, 4), r.finalFreqs[2]);
        MORVA_EXPECT_ERROR(r.trajectory(3, 0), ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(r.trajectory(0, 5), ERangeError, "Range check error");
        MORVA_EXPECT_ERROR(driftSimulate(input(0.5L, 2, 3, 4), false).trajectory(0, 0), ERangeError,
                           "Range check error");
    }

    // State: fixed seeds. Action: runs of 3 replicates, 10 generations.
    // Expected: the stored counts of replicate 0 and the final counts of all
    // three, so a change in the engine, its seeding or the binomial
    // algorithm shows here.
    void storedSequence_data()
    {
        QTest::addColumn<long double>("p0");
        QTest::addColumn<int>("ne");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<qulonglong>("seed");
        QTest::addColumn<QList<int>>("replicate0");
        QTest::addColumn<QList<int>>("finals");
        QTest::newRow("Ne 50, neutral") << 0.5L << 50 << 1.0L << 1.0L << qulonglong(Seed)
            << QList<int>{53, 54, 50, 55, 62, 66, 60, 55, 59, 61} << QList<int>{61, 48, 26};
        QTest::newRow("Ne 1e6, neutral") << 0.5L << 1000000 << 1.0L << 1.0L << qulonglong(Seed)
            << QList<int>{1000587, 999808, 999375, 1000116, 999155, 999293, 1000020, 1000665,
                          999555, 999155}
            << QList<int>{999155, 997941, 1001239};
        QTest::newRow("Ne 50, w 1 0.9 0.8") << 0.3L << 50 << 0.9L << 0.8L << qulonglong(Seed)
            << QList<int>{35, 36, 42, 50, 59, 66, 62, 59, 66, 70} << QList<int>{70, 46, 78};
        QTest::newRow("Ne 1e6, w 1 0.9 0.8") << 0.3L << 1000000 << 0.9L << 0.8L << qulonglong(Seed)
            << QList<int>{649387, 700832, 752735, 807095, 862707, 918198, 974615, 1030936,
                          1085142, 1140174}
            << QList<int>{1140174, 1135917, 1137972};
        QTest::newRow("Ne 5, rare") << 0.05L << 5 << 1.0L << 1.0L << qulonglong(Seed)
            << QList<int>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0} << QList<int>{0, 0, 0};
        QTest::newRow("seed 2^64 - 1") << 0.5L << 50 << 1.0L << 1.0L << ~qulonglong(0)
            << QList<int>{47, 51, 42, 40, 43, 46, 49, 36, 37, 34} << QList<int>{34, 41, 87};
    }
    void storedSequence()
    {
        QFETCH(long double, p0);
        QFETCH(int, ne);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(qulonglong, seed);
        QFETCH(QList<int>, replicate0);
        QFETCH(QList<int>, finals);
        const DriftResult r = driftRun(input(p0, ne, 3, 10, {1, w12, w22}, seed));
        MORVA_COMPARE_EXACT(r.trajectory(0, 0), p0);
        for (int g = 1; g <= 10; ++g)
            MORVA_COMPARE_EXACT(r.trajectory(0, g), freq(replicate0[g - 1], ne));
        QCOMPARE(QList<int>(r.finalCounts.begin(), r.finalCounts.end()), finals);
    }

    // The seed's mapping to the replicates' engines: first outputs.
    void engineSeeding()
    {
        QCOMPARE(driftReplicateEngine(Seed, 0)(), 11846703777605457111ULL);
        QCOMPARE(driftReplicateEngine(Seed, 1)(), 9044903806200235057ULL);
        QCOMPARE(driftReplicateEngine(~std::uint64_t(0), 7)(), 16293063466343924607ULL);
    }

    // Action: the same input twice; then more replicates, more generations,
    // another seed. Expected: identical results; the shorter run's
    // trajectories repeated bit for bit inside the longer; another seed
    // differs. The statistics agree with the trajectories.
    void sameSeedSameBits()
    {
        const DriftInput in = input(0.4L, 30, 20, 300, {1.02L, 1.01L, 1});
        const DriftResult a = driftRun(in);
        QVERIFY(a == driftRun(in));

        DriftInput more = in;
        more.replicates = 50;
        more.generations = 600;
        const DriftResult b = driftRun(more);
        for (int r = 0; r < in.replicates; ++r)
            for (int g = 0; g <= in.generations; ++g)
                QCOMPARE(a.trajectory(r, g), b.trajectory(r, g));

        DriftInput other = in;
        other.seed = Seed + 1;
        QVERIFY(driftRun(other).finalCounts != a.finalCounts);

        long double sum = 0;
        for (int r = 0; r < in.replicates; ++r) {
            QCOMPARE(a.trajectory(r, in.generations), a.finalFreqs[std::size_t(r)]);
            sum += a.finalFreqs[std::size_t(r)];
        }
        MORVA_COMPARE_NEAR(a.rows.back().meanP, sum / in.replicates, 1e-17L);
    }

    // State: p0 = 0 or 1, also under selection against A1. Expected: nothing
    // moves; every row lost (or fixed) and H = 0.
    void absorbing_data()
    {
        QTest::addColumn<long double>("p0");
        QTest::addColumn<long double>("w11");
        QTest::newRow("lost") << 0.0L << 1.0L;
        QTest::newRow("fixed") << 1.0L << 1.0L;
        QTest::newRow("fixed against selection") << 1.0L << 0.5L;
    }
    void absorbing()
    {
        QFETCH(long double, p0);
        QFETCH(long double, w11);
        const DriftResult r = driftRun(input(p0, 50, 5, 1500, {w11, 1, 1}));
        for (const DriftGeneration &row : r.rows) {
            MORVA_COMPARE_EXACT(row.meanP, p0);
            MORVA_COMPARE_EXACT(row.fixed, p0);
            MORVA_COMPARE_EXACT(row.lost, 1 - p0);
            MORVA_COMPARE_EXACT(row.meanH, 0.0L);
        }
        QCOMPARE(r.rows.back().time, 1500);
    }

    // State: Ne = 10^6, 200 replicates, 10 generations. Expected: each
    // replicate within 5 standard deviations of p0 and their mean within 5
    // standard errors, Var p_t = p0 q0 (1 - (1 - 1 / (2 Ne))^t).
    void largeNeStaysNearP0_data()
    {
        QTest::addColumn<long double>("p0");
        QTest::newRow("0.5") << 0.5L;
        QTest::newRow("0.02") << 0.02L;
    }
    void largeNeStaysNearP0()
    {
        QFETCH(long double, p0);
        const std::int32_t ne = 1000000, reps = 200;
        const DriftResult r = driftRun(input(p0, ne, reps, 10));
        for (int g = 1; g <= 10; ++g) {
            const long double sd = std::sqrt(p0 * (1 - p0) * (1 - std::pow(1 - 0.5L / ne, g)));
            for (int i = 0; i < reps; ++i)
                MORVA_COMPARE_NEAR(r.trajectory(i, g), p0, 5 * sd);
            MORVA_COMPARE_NEAR(r.rows[std::size_t(g)].meanP, p0, 5 * sd / std::sqrt(reps));
        }
    }

    // State: 10,000 neutral replicates of Ne = 20, p0 = 0.3. Expected: after
    // 1000 generations all are fixed or lost, the fraction fixed within 3
    // standard errors of p0; at generation 20 the mean of 2 p q within 3
    // standard errors (from the replicates' spread) of H_0 (1 - 1/40)^20.
    void neutralFixationAndHeterozygosity()
    {
        const std::int32_t reps = 10000, ne = 20;
        const long double p0 = 0.3L;
        const DriftResult end = driftSimulate(input(p0, ne, reps, 1000), false);
        QCOMPARE(end.rows.back().fixed + end.rows.back().lost, 1.0L);
        MORVA_COMPARE_NEAR(end.rows.back().fixed, p0, 3 * std::sqrt(p0 * (1 - p0) / reps));
        MORVA_COMPARE_EXACT(end.fixationProbability, p0);
        QVERIFY(!end.fixationApproximate);

        const DriftResult early = driftSimulate(input(p0, ne, reps, 20), false);
        long double sum = 0, sumSquares = 0;
        for (const long double p : early.finalFreqs) {
            const long double h = 2 * p * (1 - p);
            sum += h;
            sumSquares += h * h;
        }
        const long double mean = sum / reps;
        const long double se = std::sqrt((sumSquares / reps - mean * mean) / (reps - 1));
        MORVA_COMPARE_NEAR(early.rows.back().meanH, mean, 1e-15L);
        MORVA_COMPARE_NEAR(mean, early.rows.back().expectedH, 3 * se);
    }

    // State: w = 1, 1, 0 (A2 recessive lethal), Ne = 10^6, 20 replicates.
    // Expected: the mean q_t within 5 standard errors of q0 / (1 + t q0) at
    // every generation; the sampling variance is bounded by the sum over
    // generations of q (1 - q) / (2 Ne), since selection shrinks earlier noise.
    void lethalRecessive_data()
    {
        QTest::addColumn<long double>("q0");
        QTest::newRow("q0 0.5") << 0.5L;
        QTest::newRow("q0 0.05") << 0.05L;
    }
    void lethalRecessive()
    {
        QFETCH(long double, q0);
        const std::int32_t ne = 1000000, reps = 20, ng = 100;
        const DriftResult r = driftRun(input(1 - q0, ne, reps, ng, {1, 1, 0}));
        long double variance = 0;
        for (int t = 1; t <= ng; ++t) {
            const long double q = q0 / (1 + t * q0);
            variance += q * (1 - q) / (2.0L * ne);
            MORVA_COMPARE_NEAR(1 - r.rows[std::size_t(t)].meanP, q, 5 * std::sqrt(variance / reps));
        }
        QVERIFY(r.fixationApproximate);
    }

    // Action: s from the fitnesses and u(p0) from it. Expected: the values of
    // the closed forms (to 25 digits): without cancellation as s -> 0, without
    // overflow where |4 Ne s| is large.
    void fixationProbability_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("p0");
        QTest::addColumn<int>("ne");
        QTest::addColumn<long double>("s");
        QTest::addColumn<long double>("u");
        QTest::newRow("neutral") << 1.0L << 1.0L << 1.0L << 0.3L << 50 << 0.0L << 0.3L;
        QTest::newRow("homozygotes 0: s = 0") << 0.0L << 1.0L << 0.0L << 0.3L << 50 << 0.0L << 0.3L;
        QTest::newRow("nearly neutral: s = 2^-40 / (2 + 2^-40)")
            << 1.0L + std::ldexp(1.0L, -40) << 1.0L << 1.0L << 0.3L << 50
            << 4.547473508862573238043814e-13L << 0.3000000000095496943686693L;
        QTest::newRow("favoured") << 1.1L << 1.05L << 1.0L << 0.1L << 50
                                  << 0.04761904761904761904761905L << 0.6142235871982628255478216L;
        QTest::newRow("disfavoured") << 0.8L << 0.9L << 1.0L << 0.1L << 50
                                     << -0.1111111111111111111111111L << 1.837790479228736051311677e-9L;
        QTest::newRow("lethal, Ne 1e6, p0 1e-6") << 1.0L << 1.0L << 0.0L << 1e-6L << 1000000 << 1.0L
                                                 << 0.981684361111265819706282L;
        QTest::newRow("disfavoured, Ne 1e6: underflow") << 0.8L << 0.9L << 1.0L << 0.5L << 1000000
                                                        << -0.1111111111111111111111111L << 0.0L;
        QTest::newRow("disfavoured, Ne 1e6, p0 1") << 0.8L << 0.9L << 1.0L << 1.0L << 1000000
                                                   << -0.1111111111111111111111111L << 1.0L;
    }
    void fixationProbability()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, p0);
        QFETCH(int, ne);
        QFETCH(long double, s);
        QFETCH(long double, u);
        const long double sGot = driftSelectionCoefficient({w11, w12, w22});
        MORVA_COMPARE_NEAR(sGot, s, 16 * LDBL_EPSILON * std::fabs(s));
        MORVA_COMPARE_NEAR(driftFixationProbability(p0, ne, sGot), u, 32 * LDBL_EPSILON * u);
    }

    // Expected H_t against its closed form (to 25 digits), within a few units
    // of the last place.
    void expectedHeterozygosity_data()
    {
        QTest::addColumn<long double>("p0");
        QTest::addColumn<int>("ne");
        QTest::addColumn<int>("t");
        QTest::addColumn<long double>("expected");
        QTest::newRow("t = 0") << 0.5L << 50 << 0 << 0.5L;
        QTest::newRow("Ne 1: halves") << 0.5L << 1 << 10 << std::ldexp(0.5L, -10);
        QTest::newRow("Ne 1, t 60") << 0.5L << 1 << 60 << std::ldexp(0.5L, -60);
        QTest::newRow("Ne 50, t 200") << 0.5L << 50 << 200 << 0.06698983742898097585735161L;
        QTest::newRow("Ne 1e6, t 10000") << 0.3L << 1000000 << 10000 << 0.4179052407385448462311583L;
    }
    void expectedHeterozygosity()
    {
        QFETCH(long double, p0);
        QFETCH(int, ne);
        QFETCH(int, t);
        QFETCH(long double, expected);
        MORVA_COMPARE_NEAR(driftExpectedH(p0, ne, t), expected, 8 * LDBL_EPSILON * expected);
    }

    // State: final counts 0, 1, 5, 9, 10 of 2 Ne = 10. Expected: bins by
    // floor(k bins / 10), p = 1 in the last bin.
    void histogram()
    {
        DriftResult r;
        r.input.ne = 5;
        r.finalCounts = {0, 1, 5, 9, 10};
        QCOMPARE(driftHistogram(r, 2), (std::vector<std::int32_t>{2, 3}));
        QCOMPARE(driftHistogram(r, 10), (std::vector<std::int32_t>{1, 1, 0, 0, 0, 1, 0, 0, 0, 2}));
        QCOMPARE(driftHistogram(r, 1), (std::vector<std::int32_t>{5}));
        MORVA_EXPECT_ERROR(driftHistogram(r, 0), ERangeError, "Range check error");
    }
};

QTEST_APPLESS_MAIN(TestDrift)
#include "tst_Drift.moc"
