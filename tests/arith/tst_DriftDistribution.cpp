// The exact distribution of drift with every force, checked against closed
// forms and against the simulation. Each case: State / Action / Expected.

#include "arith/Drift.h"
#include "arith/DriftDistribution.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cmath>

using namespace morva;

namespace {

struct Forces {
    long double m = 0, pc = 0.5L, u = 0, v = 0, w11 = 1, w12 = 1, w22 = 1;
};

DriftInput input(long double p0, int ne, int generations, const Forces &f = {}, int reps = 1,
                 DriftSource source = DriftSource::Continent)
{
    DriftInput in;
    in.p0 = p0;
    in.ne = ne;
    in.replicates = reps;
    in.generations = generations;
    in.fitness = {f.w11, f.w12, f.w22};
    in.seed = 20240516;
    in.m = f.m;
    in.pc = f.pc;
    in.u = f.u;
    in.v = f.v;
    in.source = source;
    return in;
}

// Binomial(n, p) over every count, by the same recurrence from the mode,
// nothing left out.
std::vector<long double> fullRow(int n, long double p)
{
    std::vector<long double> row(std::size_t(n) + 1);
    const int mode = int(std::floor((n + 1) * p));
    row[std::size_t(mode)] = 1;
    for (int j = mode; j < n; ++j)
        row[std::size_t(j + 1)] = row[std::size_t(j)] * (n - j) / (j + 1) * p / (1 - p);
    for (int j = mode; j > 0; --j)
        row[std::size_t(j - 1)] = row[std::size_t(j)] * j / (n - j + 1) * (1 - p) / p;
    long double sum = 0;
    for (const long double x : row)
        sum += x;
    for (long double &x : row)
        x /= sum;
    return row;
}

} // namespace

Q_DECLARE_METATYPE(Forces)

class TestDriftDistribution : public QObject {
    Q_OBJECT

private slots:
    // State: binomial rows from the middle to the edges. Action: the banded
    // row. Expected: the whole row's mass outside the band is below the
    // stated bound, and each kept term is the whole row's within it.
    void bandBound_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<long double>("p");
        QTest::newRow("1000, 0.5") << 1000 << 0.5L;
        QTest::newRow("1000, 0.013") << 1000 << 0.013L;
        QTest::newRow("1000, 1e-7") << 1000 << 1e-7L;
        QTest::newRow("1000, 0.9999") << 1000 << 0.9999L;
        QTest::newRow("2, 0.3") << 2 << 0.3L;
        QTest::newRow("41, 0.77") << 41 << 0.77L;
    }
    void bandBound()
    {
        QFETCH(int, n);
        QFETCH(long double, p);
        const DriftRow band = driftBinomialRow(n, p);
        const std::vector<long double> full = fullRow(n, p);
        long double dropped = 0;
        for (int j = 0; j <= n; ++j) {
            const int k = j - band.first;
            if (k < 0 || k >= int(band.values.size()))
                dropped += full[std::size_t(j)];
            else
                MORVA_COMPARE_NEAR(band.values[std::size_t(k)], full[std::size_t(j)],
                                   DriftRowDropBound);
        }
        QVERIFY2(dropped < DriftRowDropBound, test::ldText(dropped).c_str());
        QVERIFY(band.values.size() < std::size_t(n) / 2 || n < 100);
    }

    // State: neutral drift from p0 (also between counts). Action: the exact
    // chain. Expected: at every generation mass 1 within 1e-15, mean p0 and
    // variance p0 q0 (1 - (1 - 1/(2 Ne))^t) within 1e-12.
    void neutralMoments_data()
    {
        QTest::addColumn<long double>("p0");
        QTest::addColumn<int>("ne");
        QTest::addColumn<int>("generations");
        QTest::newRow("Ne 1") << 0.5L << 1 << 20;
        QTest::newRow("Ne 10, p0 0.3") << 0.3L << 10 << 300;
        QTest::newRow("Ne 50, p0 0.123 between counts") << 0.123L << 50 << 500;
        QTest::newRow("Ne 500, p0 0.9") << 0.9L << 500 << 200;
    }
    void neutralMoments()
    {
        QFETCH(long double, p0);
        QFETCH(int, ne);
        QFETCH(int, generations);
        const DriftExact exact = driftExactDistribution(input(p0, ne, generations));
        QCOMPARE(int(exact.rows.size()), generations + 1);
        for (const DriftExactGeneration &g : exact.rows) {
            const long double expected =
                p0 * (1 - p0) * -std::expm1(g.time * std::log1p(-1 / (2.0L * ne)));
            MORVA_COMPARE_NEAR(g.mass, 1.0L, 1e-15L);
            MORVA_COMPARE_NEAR(g.mean, p0, 1e-12L);
            MORVA_COMPARE_NEAR(g.variance, expected, 1e-12L);
            QVERIFY(g.q05 <= g.q25 && g.q25 <= g.q75 && g.q75 <= g.q95);
        }
    }

    // State: neutral Ne = 20 from 0.3, no mutation; then mutation u, v.
    // Action: the chain over 3000 generations. Expected: without mutation
    // fixed tends to p0 and lost to q0; with mutation the mean tends to
    // v / (u + v) and the distribution stands still.
    void longRun_data()
    {
        QTest::addColumn<Forces>("forces");
        QTest::addColumn<long double>("fixed");
        QTest::addColumn<long double>("mean");
        QTest::newRow("no mutation: fixed p0") << Forces{} << 0.3L << 0.3L;
        Forces mutation;
        mutation.u = 0.01L;
        mutation.v = 0.02L;
        QTest::newRow("mutation: mean v / (u + v)") << mutation << -1.0L << 2 / 3.0L;
    }
    void longRun()
    {
        QFETCH(Forces, forces);
        QFETCH(long double, fixed);
        QFETCH(long double, mean);
        const DriftExact exact = driftExactDistribution(input(0.3L, 20, 3000, forces));
        const DriftExactGeneration &end = exact.rows.back();
        MORVA_COMPARE_NEAR(end.mean, mean, 1e-12L);
        if (fixed >= 0) {
            MORVA_COMPARE_NEAR(end.fixed, fixed, 1e-12L);
            MORVA_COMPARE_NEAR(end.lost, 1 - fixed, 1e-12L);
            return;
        }
        const DriftExactGeneration &before = exact.rows[exact.rows.size() - 2];
        MORVA_COMPARE_NEAR(end.fixed, before.fixed, 1e-15L);
        MORVA_COMPARE_NEAR(end.variance, before.variance, 1e-15L);
    }

    // State: 10,000 simulated demes, neutral or with every force. Expected:
    // at several generations the fractions fixed and lost within 3 standard
    // errors of the exact probabilities.
    void simulationAgrees_data()
    {
        QTest::addColumn<Forces>("forces");
        QTest::newRow("neutral") << Forces{};
        QTest::newRow("selection") << Forces{0, 0.5L, 0, 0, 1.1L, 1.05L, 1};
        QTest::newRow("every force") << Forces{0.01L, 0.8L, 0.004L, 0.002L, 1, 1.02L, 1.01L};
    }
    void simulationAgrees()
    {
        QFETCH(Forces, forces);
        const int reps = 10000;
        const DriftInput in = input(0.25L, 8, 60, forces, reps);
        const DriftResult sim = driftSimulate(in, false);
        const DriftExact exact = driftExactDistribution(in);
        for (const int t : {5, 15, 30, 60}) {
            const DriftExactGeneration &e = exact.rows[std::size_t(t)];
            const DriftGeneration &s = sim.rows[std::size_t(t)];
            MORVA_COMPARE_NEAR(s.fixed, e.fixed, 3 * std::sqrt(e.fixed * (1 - e.fixed) / reps) + 1e-15L);
            MORVA_COMPARE_NEAR(s.lost, e.lost, 3 * std::sqrt(e.lost * (1 - e.lost) / reps) + 1e-15L);
        }
    }

    // State: the island model, 200 demes of Ne = 50, m = 0.01. Expected:
    // F_ST averaged over generations 1000..3000 within 0.03 (its sampling
    // error over 200 demes) of 1 / (1 + 4 Ne m); the exact distribution does
    // not apply.
    void islandFst()
    {
        Forces f;
        f.m = 0.01L;
        const DriftInput in = input(0.5L, 50, 3000, f, DriftMaxReplicates, DriftSource::Island);
        QVERIFY(!driftExactApplies(in));
        const DriftResult r = driftSimulate(in, false);
        long double sum = 0;
        int count = 0;
        for (const DriftGeneration &g : r.rows) {
            if (g.time < 1000)
                continue;
            QVERIFY(g.fstDefined);
            sum += g.fst;
            ++count;
        }
        MORVA_COMPARE_NEAR(sum / count, 1 / (1 + 4 * 50 * 0.01L), 0.03L);
        MORVA_COMPARE_NEAR(r.rows.back().expectedFst, 1 / 3.0L, 1e-18L);
    }
};

QTEST_APPLESS_MAIN(TestDriftDistribution)
#include "tst_DriftDistribution.moc"
