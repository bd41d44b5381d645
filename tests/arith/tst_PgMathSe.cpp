// Selection arithmetic. Each case: State / Action / Expected.
// Exact results are checked against a reference written in this file from
// the model's formulas in the same order, in long double; hand-known values
// are checked within a few units of the last place.

#include "arith/CheckedInt.h"
#include "arith/Errors.h"
#include "arith/PgMathSe.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <array>
#include <cfloat>
#include <cmath>
#include <vector>

using namespace morva;
using morva::test::opaque;

namespace {

constexpr long double Sentinel = -12345.678L;

// Plain reference: p and W indexed 1..3, w indexed 1..6 (element 0 unused).
using V = std::array<long double, 4>;
using G = std::array<long double, 7>;

long double refMean(int n, const V &p, const G &w)
{
    if (n == 2)
        return p[1] * p[1] * w[1] + 2.0L * p[1] * p[2] * w[2] + p[2] * p[2] * w[3];
    if (n == 3)
        return p[1] * p[1] * w[1] + 2.0L * p[1] * p[2] * w[2] + 2.0L * p[1] * p[3] * w[3]
            + p[2] * p[2] * w[4] + 2.0L * p[2] * p[3] * w[5] + p[3] * p[3] * w[6];
    return 0;
}

V refAllele(int n, const V &p, const G &w, V W)
{
    if (n == 2) {
        W[1] = p[1] * w[1] + p[2] * w[2];
        W[2] = p[1] * w[2] + p[2] * w[3];
    } else if (n == 3) {
        W[1] = p[1] * w[1] + p[2] * w[2] + p[3] * w[3];
        W[2] = p[1] * w[2] + p[2] * w[4] + p[3] * w[5];
        W[3] = p[1] * w[3] + p[2] * w[5] + p[3] * w[6];
    }
    return W;
}

struct RefTrajectory {
    std::vector<V> freqs, fit;
    std::vector<long double> wmed;
};

RefTrajectory refTrajectory(int n, const G &w, int ng, const V &p0)
{
    RefTrajectory r;
    r.freqs.assign(ng + 1, V{});
    r.fit.assign(ng + 1, V{});
    r.wmed.assign(ng + 1, 0);
    r.freqs[0] = p0;
    for (int g = 1; g <= ng; ++g) {
        const V &p = r.freqs[g - 1];
        r.wmed[g - 1] = refMean(n, p, w);
        r.fit[g - 1] = refAllele(n, p, w, V{});
        V next = p;
        if (r.wmed[g - 1] != 0)
            for (int i = 1; i <= n; ++i)
                next[i] = (p[i] * r.fit[g - 1][i]) / r.wmed[g - 1];
        r.freqs[g] = next;
    }
    r.fit[ng] = refAllele(n, r.freqs[ng], w, V{});
    r.wmed[ng] = refMean(n, r.freqs[ng], w);
    return r;
}

TAlleleVector toVector(const V &v) { return {v[1], v[2], v[3]}; }
TGenotypeFitness toFitness(const G &w) { return {w[1], w[2], w[3], w[4], w[5], w[6]}; }

V opaqueV(long double a, long double b, long double c = 0)
{
    return {0, opaque(a), opaque(b), opaque(c)};
}

G opaqueG(long double a, long double b, long double c, long double d = 0, long double e = 0,
          long double f = 0)
{
    return {0, opaque(a), opaque(b), opaque(c), opaque(d), opaque(e), opaque(f)};
}

void fillSentinels()
{
    for (int g = 0; g <= 1000; ++g) {
        SelTimes[g] = 7;
        SelFreqs[g].fill(Sentinel);
        SelAlleleFit[g].fill(Sentinel);
        SelWmed[g] = Sentinel;
        SelLineP[g] = Sentinel;
        SelLineWmed[g] = Sentinel;
        SelLineDelta[g] = Sentinel;
    }
}

void run(std::uint16_t n, const G &w, std::uint16_t ng, const V &p0)
{
    SelFit = toFitness(w);
    SelInitFreqs = toVector(p0);
    SelTrajectory(n, SelFit, ng, SelInitFreqs, SelTimes, SelFreqs, SelAlleleFit, SelWmed);
}

} // namespace

class TestPgMathSe : public QObject {
    Q_OBJECT

private slots:
    // State: program start. Expected: every state variable is zero.
    void initTestCase()
    {
        QCOMPARE(SelNg, 0);
        QVERIFY(SelInitFreqs == TAlleleVector{});
        QVERIFY(SelFit == TGenotypeFitness{});
        for (int g = 0; g <= 1000; ++g) {
            QCOMPARE(int(SelTimes[g]), 0);
            QVERIFY(SelFreqs[g] == TAlleleVector{});
            QVERIFY(SelAlleleFit[g] == TAlleleVector{});
            MORVA_COMPARE_EXACT(SelWmed[g], 0.0L);
            MORVA_COMPARE_EXACT(SelLineP[g], 0.0L);
            MORVA_COMPARE_EXACT(SelLineDelta[g], 0.0L);
            MORVA_COMPARE_EXACT(SelLineWmed[g], 0.0L);
        }
    }

    // Action: the fitness functions on one state. Expected: the reference
    // formula's bits; n other than 2 or 3 gives 0 and writes nothing.
    void fitnessFunctions_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<long double>("p1");
        QTest::addColumn<long double>("p2");
        QTest::addColumn<long double>("p3");
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w13");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("w23");
        QTest::addColumn<long double>("w33");
        // 2 alleles: w = (w11, w12, w22) sits in elements 1..3.
        QTest::newRow("2 alleles, defaults") << 2 << 0.6L << 0.4L << 0.0L << 0.8L << 0.7L << 0.9L
                                             << 0.0L << 0.0L << 0.0L;
        QTest::newRow("2 alleles, odd") << 2 << 0.123456789L << 0.876543211L << 0.0L << 0.31L
                                        << 0.97L << 0.05L << 0.0L << 0.0L << 0.0L;
        QTest::newRow("3 alleles") << 3 << 0.2L << 0.3L << 0.5L << 0.9L << 0.8L << 0.7L << 0.6L
                                   << 0.5L << 0.4L;
        QTest::newRow("3 alleles, odd") << 3 << 0.111L << 0.333L << 0.556L << 0.13L << 0.71L
                                        << 0.29L << 0.99L << 0.07L << 0.61L;
        QTest::newRow("n = 1") << 1 << 0.5L << 0.5L << 0.0L << 1.0L << 1.0L << 1.0L << 0.0L
                               << 0.0L << 0.0L;
        QTest::newRow("n = 4") << 4 << 0.5L << 0.5L << 0.0L << 1.0L << 1.0L << 1.0L << 0.0L
                               << 0.0L << 0.0L;
    }
    void fitnessFunctions()
    {
        QFETCH(int, n);
        QFETCH(long double, p1);
        QFETCH(long double, p2);
        QFETCH(long double, p3);
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w13);
        QFETCH(long double, w22);
        QFETCH(long double, w23);
        QFETCH(long double, w33);
        const V p{0, p1, p2, p3};
        const G w{0, w11, w12, w13, w22, w23, w33};
        const auto un = static_cast<std::uint16_t>(n);

        MORVA_COMPARE_EXACT(SelMeanFitness(un, toVector(p), toFitness(w)), refMean(n, p, w));
        TAlleleVector W{Sentinel, Sentinel, Sentinel};
        SelAlleleFitness(un, toVector(p), toFitness(w), W);
        const V ref = refAllele(n, p, w, V{0, Sentinel, Sentinel, Sentinel});
        for (int i = 1; i <= 3; ++i)
            MORVA_COMPARE_EXACT(W[i], ref[i]);
        if (n == 2)
            MORVA_COMPARE_EXACT(W[3], Sentinel);
    }

    // State: 2-allele defaults p = (0.6, 0.4), w = (0.8, 0.7, 0.9).
    // Expected: Wmed(0) = 0.768, W(0) = (0.76, 0.78), p1(1) = 0.59375, p1
    // falling towards 0; every entry the reference's bits.
    void twoAlleleDefaults_data()
    {
        QTest::addColumn<int>("ng");
        QTest::newRow("30 generations") << 30;
        QTest::newRow("300 generations") << 300;
        QTest::newRow("1000 generations") << 1000;
    }
    void twoAlleleDefaults()
    {
        QFETCH(int, ng);
        fillSentinels();
        const V p0 = opaqueV(0.6L, 0.4L);
        const G w = opaqueG(0.8L, 0.7L, 0.9L);
        run(2, w, static_cast<std::uint16_t>(ng), p0);

        MORVA_COMPARE_NEAR(SelWmed[0], 0.768L, 2 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(SelAlleleFit[0][1], 0.76L, 2 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(SelAlleleFit[0][2], 0.78L, 2 * LDBL_EPSILON);
        MORVA_COMPARE_NEAR(SelFreqs[1][1], 0.59375L, 2 * LDBL_EPSILON);

        const RefTrajectory ref = refTrajectory(2, w, ng, p0);
        for (int g = 0; g <= ng; ++g) {
            QCOMPARE(int(SelTimes[g]), g == 0 ? 7 : g);
            for (int i = 1; i <= 2; ++i) {
                MORVA_COMPARE_EXACT(SelFreqs[g][i], ref.freqs[g][i]);
                MORVA_COMPARE_EXACT(SelAlleleFit[g][i], ref.fit[g][i]);
            }
            // Element 3 is never touched with 2 alleles.
            MORVA_COMPARE_EXACT(SelFreqs[g][3], Sentinel);
            MORVA_COMPARE_EXACT(SelAlleleFit[g][3], Sentinel);
            MORVA_COMPARE_EXACT(SelWmed[g], ref.wmed[g]);
            MORVA_COMPARE_NEAR(SelFreqs[g][1] + SelFreqs[g][2], 1.0L, 64 * LDBL_EPSILON);
            if (g > 0)
                QVERIFY(SelFreqs[g][1] < SelFreqs[g - 1][1]);
        }
        if (ng == 1000)
            QVERIFY(SelFreqs[1000][1] < 1e-20L);
        if (ng < 1000) {
            QCOMPARE(int(SelTimes[ng + 1]), 7);
            MORVA_COMPARE_EXACT(SelWmed[ng + 1], Sentinel);
        }
    }

    // State: heterozygote advantage w = (0.8, 1.0, 0.7), d1 = -0.2,
    // d2 = -0.3. Expected: p1 converges monotonically to 0.6 from either side.
    void heterozygoteAdvantage_data()
    {
        QTest::addColumn<long double>("p1");
        QTest::newRow("from below, 0.05") << 0.05L;
        QTest::newRow("from below, 0.4") << 0.4L;
        QTest::newRow("from above, 0.95") << 0.95L;
        QTest::newRow("from above, 0.7") << 0.7L;
    }
    void heterozygoteAdvantage()
    {
        QFETCH(long double, p1);
        const V p0 = opaqueV(p1, 1 - p1);
        const G w = opaqueG(0.8L, 1.0L, 0.7L);
        run(2, w, 1000, p0);
        const RefTrajectory ref = refTrajectory(2, w, 1000, p0);
        for (int g = 1; g <= 1000; ++g) {
            MORVA_COMPARE_EXACT(SelFreqs[g][1], ref.freqs[g][1]);
            if (p1 < 0.6L)
                QVERIFY(SelFreqs[g][1] >= SelFreqs[g - 1][1] && SelFreqs[g][1] <= 0.6L + 1e-15L);
            else
                QVERIFY(SelFreqs[g][1] <= SelFreqs[g - 1][1] && SelFreqs[g][1] >= 0.6L - 1e-15L);
        }
        MORVA_COMPARE_NEAR(SelFreqs[1000][1], 0.6L, 1e-15L);
        MORVA_COMPARE_NEAR(SelFreqs[1000][2], 0.4L, 1e-15L);
    }

    // State: p = (1, 0), w11 = 0; a previous run left other values.
    // Expected: flat frequencies, Wmed = 0 everywhere, every W = (0, w12)
    // (also the generations whose Wmed is 0), nothing left from before.
    void zeroMeanFitness()
    {
        fillSentinels();
        const V p0 = opaqueV(1, 0);
        const G w = opaqueG(0, 0.5L, 0.9L);
        run(2, w, 40, p0);
        for (int g = 0; g <= 40; ++g) {
            MORVA_COMPARE_EXACT(SelFreqs[g][1], 1.0L);
            MORVA_COMPARE_EXACT(SelFreqs[g][2], 0.0L);
            MORVA_COMPARE_EXACT(SelWmed[g], 0.0L);
            MORVA_COMPARE_EXACT(SelAlleleFit[g][1], 0.0L);
            MORVA_COMPARE_EXACT(SelAlleleFit[g][2], 0.5L);
        }
        MORVA_COMPARE_EXACT(SelWmed[41], Sentinel);
    }

    // Action: SelStep alone with Wmed = 0. Expected: W computed, pNext = p.
    void stepWithZeroMeanFitness()
    {
        TAlleleVector W{Sentinel, Sentinel, Sentinel};
        TAlleleVector next{Sentinel, Sentinel, Sentinel};
        Extended wmed = Sentinel;
        SelStep(2, TGenotypeFitness{0, 0.25L, 0.9L}, TAlleleVector{1, 0}, wmed, W, next);
        MORVA_COMPARE_EXACT(wmed, 0.0L);
        MORVA_COMPARE_EXACT(W[1], 0.0L);
        MORVA_COMPARE_EXACT(W[2], 0.25L);
        MORVA_COMPARE_EXACT(W[3], Sentinel);
        MORVA_COMPARE_EXACT(next[1], 1.0L);
        MORVA_COMPARE_EXACT(next[2], 0.0L);
        MORVA_COMPARE_EXACT(next[3], Sentinel);
    }

    // State: arrays full of an earlier run's values. Action: ng = 0, 1000,
    // 1001. Expected: ng = 0 writes entry 0 only (times[0] untouched); 1000
    // writes 0..1000; 1001 writes generation 0's frequencies only.
    void generationBounds_data()
    {
        QTest::addColumn<int>("ng");
        QTest::newRow("ng = 0") << 0;
        QTest::newRow("ng = 1") << 1;
        QTest::newRow("ng = 1000") << 1000;
        QTest::newRow("ng = 1001") << 1001;
        QTest::newRow("ng = 65535") << 65535;
    }
    void generationBounds()
    {
        QFETCH(int, ng);
        fillSentinels();
        const V p0 = opaqueV(0.3L, 0.7L);
        const G w = opaqueG(0.9L, 1.0L, 0.6L);
        run(2, w, static_cast<std::uint16_t>(ng), p0);
        MORVA_COMPARE_EXACT(SelFreqs[0][1], 0.3L);
        MORVA_COMPARE_EXACT(SelFreqs[0][2], 0.7L);
        QCOMPARE(int(SelTimes[0]), 7);
        if (ng > 1000) {
            MORVA_COMPARE_EXACT(SelWmed[0], Sentinel);
            MORVA_COMPARE_EXACT(SelAlleleFit[0][1], Sentinel);
            for (int g = 1; g <= 1000; ++g) {
                QCOMPARE(int(SelTimes[g]), 7);
                MORVA_COMPARE_EXACT(SelFreqs[g][1], Sentinel);
                MORVA_COMPARE_EXACT(SelWmed[g], Sentinel);
            }
            return;
        }
        const RefTrajectory ref = refTrajectory(2, w, ng, p0);
        for (int g = 0; g <= 1000; ++g) {
            if (g <= ng) {
                if (g > 0)
                    QCOMPARE(int(SelTimes[g]), g);
                MORVA_COMPARE_EXACT(SelFreqs[g][1], ref.freqs[g][1]);
                MORVA_COMPARE_EXACT(SelAlleleFit[g][2], ref.fit[g][2]);
                MORVA_COMPARE_EXACT(SelWmed[g], ref.wmed[g]);
            } else {
                QCOMPARE(int(SelTimes[g]), 7);
                MORVA_COMPARE_EXACT(SelFreqs[g][1], Sentinel);
                MORVA_COMPARE_EXACT(SelAlleleFit[g][2], Sentinel);
                MORVA_COMPARE_EXACT(SelWmed[g], Sentinel);
            }
        }
    }

    // State: fresh times. Action: ng = 0. Expected: times[0] stays 0.
    void timesEntryZeroStaysZero()
    {
        SelTimes.fill(0);
        run(2, opaqueG(0.8L, 0.7L, 0.9L), 0, opaqueV(0.6L, 0.4L));
        QCOMPARE(int(SelTimes[0]), 0);
        run(3, opaqueG(0.8L, 0.7L, 0.9L, 1, 1, 1), 5, opaqueV(0.2L, 0.3L, 0.5L));
        QCOMPARE(int(SelTimes[0]), 0);
    }

    // State: a 3-allele run of 500 generations. Action: a 2-allele run of
    // 100. Expected: entries 101..1000 are still the earlier run's.
    void entriesAboveNgKeepEarlierRun()
    {
        fillSentinels();
        run(3, opaqueG(0.9L, 1.0L, 0.8L, 0.7L, 1.0L, 0.6L), 500, opaqueV(0.2L, 0.3L, 0.5L));
        const TSelVectorArray freqs = SelFreqs;
        const TSelVectorArray fit = SelAlleleFit;
        const TSelRealArray wmed = SelWmed;
        const TSelTimeArray times = SelTimes;
        run(2, opaqueG(0.8L, 0.7L, 0.9L), 100, opaqueV(0.6L, 0.4L));
        for (int g = 101; g <= 1000; ++g) {
            QVERIFY(SelFreqs[g] == freqs[g]);
            QVERIFY(SelAlleleFit[g] == fit[g]);
            MORVA_COMPARE_EXACT(SelWmed[g], wmed[g]);
            QCOMPARE(int(SelTimes[g]), int(times[g]));
        }
        // Element 3 of the rewritten entries is the 3-allele run's too.
        for (int g = 1; g <= 100; ++g)
            MORVA_COMPARE_EXACT(SelFreqs[g][3], freqs[g][3]);
    }

    // 3 alleles. Expected: the reference's bits; an absent allele stays
    // absent; the symmetric case converges to 1/3 each.
    void threeAlleles_data()
    {
        QTest::addColumn<long double>("p1");
        QTest::addColumn<long double>("p2");
        QTest::addColumn<long double>("p3");
        QTest::addColumn<bool>("symmetric");
        QTest::newRow("A3 absent") << 0.5L << 0.5L << 0.0L << false;
        QTest::newRow("A1 absent") << 0.0L << 0.25L << 0.75L << false;
        QTest::newRow("symmetric, 0.7 0.2 0.1") << 0.7L << 0.2L << 0.1L << true;
        QTest::newRow("symmetric, 0.01 0.01 0.98") << 0.01L << 0.01L << 0.98L << true;
    }
    void threeAlleles()
    {
        QFETCH(long double, p1);
        QFETCH(long double, p2);
        QFETCH(long double, p3);
        QFETCH(bool, symmetric);
        const V p0 = opaqueV(p1, p2, p3);
        const G w = symmetric ? opaqueG(0.5L, 1, 1, 0.5L, 1, 0.5L)
                              : opaqueG(0.9L, 1.0L, 0.8L, 0.7L, 1.1L, 0.6L);
        run(3, w, 1000, p0);
        const RefTrajectory ref = refTrajectory(3, w, 1000, p0);
        for (int g = 0; g <= 1000; ++g) {
            for (int i = 1; i <= 3; ++i) {
                MORVA_COMPARE_EXACT(SelFreqs[g][i], ref.freqs[g][i]);
                MORVA_COMPARE_EXACT(SelAlleleFit[g][i], ref.fit[g][i]);
                if (p0[i] == 0)
                    MORVA_COMPARE_EXACT(SelFreqs[g][i], 0.0L);
            }
            MORVA_COMPARE_EXACT(SelWmed[g], ref.wmed[g]);
        }
        if (symmetric)
            for (int i = 1; i <= 3; ++i)
                MORVA_COMPARE_NEAR(SelFreqs[1000][i], 1.0L / 3, 1e-15L);
    }

    // State: m = 500, w = (0.8, 0.7, 0.9). Expected: xs[i] = i / 500, xs[500]
    // = 1 exactly, wm[0] = 0.9, wm[500] = 0.8, ds[0] = ds[500] = 0, ds < 0
    // up to i = 333 and > 0 from i = 334 (equilibrium 2/3); the reference's
    // bits; entries above m untouched.
    void expectedLine()
    {
        fillSentinels();
        const G w = opaqueG(0.8L, 0.7L, 0.9L);
        SelExpectedLine(500, toFitness(w), SelLineP, SelLineWmed, SelLineDelta);
        MORVA_COMPARE_EXACT(SelLineP[500], 1.0L);
        MORVA_COMPARE_EXACT(SelLineWmed[0], 0.9L);
        MORVA_COMPARE_EXACT(SelLineWmed[500], 0.8L);
        MORVA_COMPARE_EXACT(SelLineDelta[0], 0.0L);
        MORVA_COMPARE_EXACT(SelLineDelta[500], 0.0L);
        const long double d1 = w[1] - w[2], d2 = w[3] - w[2];
        for (int i = 0; i <= 500; ++i) {
            const long double p = opaque(i) / opaque(500);
            const long double q = 1 - p;
            const long double wm = p * p * w[1] + 2.0L * w[2] * p * q + q * q * w[3];
            MORVA_COMPARE_EXACT(SelLineP[i], p);
            MORVA_COMPARE_EXACT(SelLineWmed[i], wm);
            MORVA_COMPARE_EXACT(SelLineDelta[i], (p * q) * (p * d1 - q * d2) / wm);
            if (i >= 1 && i <= 333)
                QVERIFY(SelLineDelta[i] < 0);
            if (i >= 334 && i <= 499)
                QVERIFY(SelLineDelta[i] > 0);
        }
        MORVA_COMPARE_EXACT(SelLineP[501], Sentinel);
        MORVA_COMPARE_EXACT(SelLineWmed[501], Sentinel);
        MORVA_COMPARE_EXACT(SelLineDelta[501], Sentinel);
    }

    // State: an expected mean fitness of 0 at one end. Expected: ds = 0 there.
    void expectedLineZeroMean_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<int>("zeroAt");
        QTest::newRow("w22 = 0: p = 0") << 0.8L << 0.0L << 0;
        QTest::newRow("w11 = 0: p = 1") << 0.0L << 0.9L << 500;
    }
    void expectedLineZeroMean()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w22);
        QFETCH(int, zeroAt);
        fillSentinels();
        SelExpectedLine(500, TGenotypeFitness{w11, 0.7L, w22}, SelLineP, SelLineWmed,
                        SelLineDelta);
        MORVA_COMPARE_EXACT(SelLineWmed[zeroAt], 0.0L);
        MORVA_COMPARE_EXACT(SelLineDelta[zeroAt], 0.0L);
        for (int i = 1; i < 500; ++i)
            QVERIFY(SelLineWmed[i] > 0);
    }

    // State: arrays from an earlier run. Action: a run whose first step
    // overflows. Expected: "Floating point overflow", generation 0's results
    // and generation 1's frequencies stored, nothing after.
    void errorStopsTheRun_data()
    {
        QTest::addColumn<long double>("w11");
        QTest::addColumn<long double>("w12");
        QTest::addColumn<long double>("w22");
        QTest::addColumn<long double>("p1");
        QTest::addColumn<long double>("p2");
        // Wmed overflows, then W and p * W / Wmed give infinities and NaNs.
        QTest::newRow("mean fitness overflows") << LDBL_MAX << LDBL_MAX << LDBL_MAX << 0.9L << 0.9L;
        // Wmed = 0, so next = p is finite and only W[2] = 2 * max overflows.
        QTest::newRow("W overflows where Wmed = 0") << 0.0L << LDBL_MAX << 1.0L << 2.0L << 0.0L;
    }
    void errorStopsTheRun()
    {
        QFETCH(long double, w11);
        QFETCH(long double, w12);
        QFETCH(long double, w22);
        QFETCH(long double, p1);
        QFETCH(long double, p2);
        fillSentinels();
        MORVA_EXPECT_ERROR(run(2, opaqueG(w11, w12, w22), 5, opaqueV(p1, p2)), EOverflow,
                           "Floating point overflow");
        QVERIFY(SelWmed[0] != Sentinel);
        QVERIFY(SelAlleleFit[0][2] != Sentinel);
        QVERIFY(SelFreqs[1][1] != Sentinel);
        QCOMPARE(int(SelTimes[1]), 1);
        QCOMPARE(int(SelTimes[2]), 7);
        MORVA_COMPARE_EXACT(SelWmed[1], Sentinel);
        MORVA_COMPARE_EXACT(SelAlleleFit[1][1], Sentinel);
        MORVA_COMPARE_EXACT(SelFreqs[2][1], Sentinel);
    }

    // Action: expected curves whose first point overflows (2 * w12).
    // Expected: "Floating point overflow", that point stored, nothing after.
    void expectedLineErrorStops()
    {
        fillSentinels();
        MORVA_EXPECT_ERROR(SelExpectedLine(500, TGenotypeFitness{1, LDBL_MAX, 1}, SelLineP,
                                           SelLineWmed, SelLineDelta),
                           EOverflow, "Floating point overflow");
        MORVA_COMPARE_EXACT(SelLineP[0], 0.0L);
        MORVA_COMPARE_EXACT(SelLineP[1], Sentinel);
        MORVA_COMPARE_EXACT(SelLineWmed[1], Sentinel);
    }

    // Errors: an allele count beyond the vectors, a mean fitness that
    // overflows, m = 0, and SelNg outside 0..65535 in the windows' conversion.
    void errors()
    {
        MORVA_EXPECT_ERROR(run(4, opaqueG(1, 1, 1), 3, opaqueV(0.5L, 0.5L)), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(run(2, opaqueG(LDBL_MAX, LDBL_MAX, LDBL_MAX), 3, opaqueV(0.9L, 0.9L)),
                           EOverflow, "Floating point overflow");
        MORVA_EXPECT_ERROR(SelExpectedLine(0, TGenotypeFitness{0.8L, 0.7L, 0.9L}, SelLineP,
                                           SelLineWmed, SelLineDelta),
                           EInvalidOp, "Invalid floating point operation");
        MORVA_EXPECT_ERROR(SelExpectedLine(1001, TGenotypeFitness{0.8L, 0.7L, 0.9L}, SelLineP,
                                           SelLineWmed, SelLineDelta),
                           ERangeError, "Range check error");
        SelNg = 65536;
        MORVA_EXPECT_ERROR(toUInt16Checked(SelNg), ERangeError, "Range check error");
        SelNg = -1;
        MORVA_EXPECT_ERROR(toUInt16Checked(SelNg), ERangeError, "Range check error");
        SelNg = 65535;
        QCOMPARE(toUInt16Checked(SelNg), std::uint16_t(65535));
        // After an error the next run is clean.
        run(2, opaqueG(0.8L, 0.7L, 0.9L), 10, opaqueV(0.6L, 0.4L));
        MORVA_COMPARE_NEAR(SelFreqs[1][1], 0.59375L, 2 * LDBL_EPSILON);
    }
};

QTEST_APPLESS_MAIN(TestPgMathSe)
#include "tst_PgMathSe.moc"
