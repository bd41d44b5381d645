// Mutation arithmetic. Each case: State / Action / Expected.
// Exact results are checked against the closed form written in this file in
// the same operation order, in long double; u + v >= 1 is checked against
// the recurrence q' = q (1 - v) + (1 - q) u iterated directly.

#include "arith/Errors.h"
#include "arith/PgMathMu.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <climits>
#include <cmath>
#include <vector>

using namespace morva;
using morva::test::opaque;

namespace {

constexpr long double Sentinel = -12345.678L;
constexpr long double Ln2 = 0.693147180559945309417232121458176568L;

// Power as it is defined: (ln 2 * log2 x) * y, then exp.
long double refPower(long double x, long double y)
{
    return std::exp(Ln2 * std::log2(opaque(x)) * opaque(y));
}

int kOf(int n) { return n <= 50 ? n : 50; }

void fillSentinels()
{
    for (int i = 0; i <= 50; ++i) {
        MutTimes[i] = -7;
        MutFreqs[i] = {Sentinel, Sentinel};
        MutLineP[i] = Sentinel;
        MutLineDelta[i] = Sentinel;
    }
}

void run(std::int32_t n, long double u, long double v, long double q1, long double q2)
{
    MutRate12 = opaque(u);
    MutRate21 = opaque(v);
    MutNg = n;
    MutInitFreqs = {opaque(q1), opaque(q2)};
    MutFreqs[0] = MutInitFreqs;
    MutTrajectory(MutNg, MutTimes, MutFreqs, MutRate12, MutRate21);
}

std::vector<long double> iterateRecurrence(long double u, long double v, long double q0, int upTo)
{
    std::vector<long double> q(upTo + 1);
    q[0] = q0;
    for (int t = 1; t <= upTo; ++t)
        q[t] = q[t - 1] * (1 - v) + (1 - q[t - 1]) * u;
    return q;
}

} // namespace

class TestPgMathMu : public QObject {
    Q_OBJECT

private slots:
    // State: program start. Expected: every state variable is zero.
    void initTestCase()
    {
        QVERIFY(MutInitFreqs == TFreqPair{});
        MORVA_COMPARE_EXACT(MutRate12, 0.0L);
        MORVA_COMPARE_EXACT(MutRate21, 0.0L);
        QCOMPARE(MutNg, 0);
        for (int i = 0; i <= 50; ++i) {
            QVERIFY(MutFreqs[i] == TFreqPair{});
            QCOMPARE(MutTimes[i], 0);
            MORVA_COMPARE_EXACT(MutLineP[i], 0.0L);
            MORVA_COMPARE_EXACT(MutLineDelta[i], 0.0L);
            MORVA_COMPARE_EXACT(MutDeltaObs[i], 0.0L);
        }
    }

    // Action: runs of n generations. Expected: times 1..n when n <= 50,
    // else 50 samples i * n / 50 rounded ties to even, the last being n;
    // entry 0 never written; entries above k untouched.
    void times_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("head");
        QTest::newRow("1") << 1 << QList<int>{1};
        QTest::newRow("50") << 50 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("51") << 51 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("75") << 75 << QList<int>{2, 3, 4, 6, 8, 9, 10, 12};
        QTest::newRow("100") << 100 << QList<int>{2, 4, 6, 8, 10};
        QTest::newRow("1000000") << 1000000 << QList<int>{20000, 40000};
        QTest::newRow("2147483647") << 2147483647 << QList<int>{42949673};
    }
    void times()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, head);
        fillSentinels();
        run(n, 1e-3L, 5e-4L, 0.9L, 0.1L);
        const int k = kOf(n);
        QCOMPARE(MutTimes[0], -7);
        for (int i = 0; i < head.size(); ++i)
            QCOMPARE(MutTimes[i + 1], head[i]);
        const long double s = opaque(n) / opaque(50);
        for (int i = 1; i <= k; ++i) {
            const int expected = n <= 50 ? i : int(std::llrint(opaque(i) * s));
            QCOMPARE(MutTimes[i], expected);
            QVERIFY(MutTimes[i] > MutTimes[i - 1] || i == 1);
        }
        QCOMPARE(MutTimes[k], n);
        for (int i = k + 1; i <= 50; ++i) {
            QCOMPARE(MutTimes[i], -7);
            MORVA_COMPARE_EXACT(MutFreqs[i][2], Sentinel);
        }
    }

    // Action: trajectories with 0 < r < 1. Expected: each entry the closed
    // form's bits, p[1] = 1 - p[2] exactly.
    void closedForm_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<long double>("q0");
        QTest::newRow("window defaults, 10^6") << 1000000 << 1e-6L << 1e-7L << 0.2L;
        QTest::newRow("fast, 50") << 50 << 0.05L << 0.02L << 0.9L;
        QTest::newRow("fast, 75") << 75 << 0.05L << 0.02L << 0.0L;
        QTest::newRow("slow, 2147483647") << 2147483647 << 3e-9L << 7e-9L << 1.0L;
        QTest::newRow("u + v just below 1") << 40 << 0.6L << 0.39L << 0.25L;
    }
    void closedForm()
    {
        QFETCH(int, n);
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(long double, q0);
        run(n, u, v, 1 - q0, q0);
        const long double e = opaque(u) / (opaque(u) + opaque(v));
        const long double d0 = opaque(q0) - e;
        const long double r = (1 - opaque(u)) - opaque(v);
        for (int i = 1; i <= kOf(n); ++i) {
            const long double t = MutTimes[i];
            const long double p2 = refPower(r, t) * d0 + e;
            MORVA_COMPARE_EXACT(MutFreqs[i][2], p2);
            MORVA_COMPARE_EXACT(MutFreqs[i][1], 1 - p2);
            MORVA_COMPARE_NEAR(MutFreqs[i][2], e + d0 * std::pow(r, t), 1e-15L);
        }
    }

    // State: u = v. Expected: equilibrium 0.5, reached exactly once r^t
    // underflows.
    void equalRates()
    {
        run(2147483647, 1e-3L, 1e-3L, 0.9L, 0.1L);
        MORVA_COMPARE_EXACT(MutFreqs[50][2], 0.5L);
        MORVA_COMPARE_EXACT(MutFreqs[50][1], 0.5L);
        run(50, 1e-2L, 1e-2L, 0.9L, 0.1L);
        for (int i = 1; i <= 50; ++i) {
            QVERIFY(MutFreqs[i][2] > MutFreqs[i - 1][2]);
            QVERIFY(MutFreqs[i][2] < 0.5L);
        }
    }

    // State: one rate 0. Expected: u = 0 gives p[2](t) = p[2](0) (1 - v)^t
    // falling to 0; v = 0 rises to 1.
    void oneRateZero_data()
    {
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<long double>("limit");
        QTest::newRow("u = 0") << 0.0L << 1e-2L << 0.0L;
        QTest::newRow("v = 0") << 1e-2L << 0.0L << 1.0L;
    }
    void oneRateZero()
    {
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(long double, limit);
        const long double q0 = 0.3L;
        run(50, u, v, 1 - q0, q0);
        for (int i = 1; i <= 50; ++i) {
            const long double hand = u == 0 ? q0 * std::pow(1 - v, (long double)i)
                                            : 1 - (1 - q0) * std::pow(1 - u, (long double)i);
            MORVA_COMPARE_NEAR(MutFreqs[i][2], hand, 1e-17L);
            if (u == 0)
                QVERIFY(MutFreqs[i][2] < MutFreqs[i - 1][2]);
            else
                QVERIFY(MutFreqs[i][2] > MutFreqs[i - 1][2]);
        }
        run(2147483647, u, v, 1 - q0, q0);
        MORVA_COMPARE_EXACT(MutFreqs[50][2], limit);
    }

    // State: p[2](0) = u / (u + v). Expected: a flat trajectory.
    void startAtEquilibrium()
    {
        const long double u = opaque(3e-3L), v = opaque(7e-3L);
        const long double e = u / (u + v);
        for (int n : {50, 2147483647}) {
            run(n, u, v, 1 - e, e);
            for (int i = 1; i <= 50; ++i)
                MORVA_COMPARE_EXACT(MutFreqs[i][2], e);
        }
    }

    // State: entry 0 a pair summing to 1 within 1e-6 but not exactly.
    // Expected: entry 0 kept as entered; every later p[1] = 1 - p[2].
    void entryZeroKept()
    {
        for (int n : {30, 5000}) {
            run(n, 1e-3L, 2e-3L, 0.6000004L, 0.4L);
            MORVA_COMPARE_EXACT(MutFreqs[0][1], 0.6000004L);
            MORVA_COMPARE_EXACT(MutFreqs[0][2], 0.4L);
            for (int i = 1; i <= kOf(n); ++i)
                MORVA_COMPARE_EXACT(MutFreqs[i][1], 1 - MutFreqs[i][2]);
        }
    }

    // State: n = 0 (the window never passes it). Expected: nothing written.
    void zeroGenerations()
    {
        fillSentinels();
        MutFreqs[0] = {0.5L, 0.5L};
        MutTrajectory(0, MutTimes, MutFreqs, 0.1L, 0.1L);
        for (int i = 1; i <= 50; ++i) {
            QCOMPARE(MutTimes[i], -7);
            MORVA_COMPARE_EXACT(MutFreqs[i][2], Sentinel);
        }
    }

    // State: u + v >= 1, r = 1 - u - v <= 0. Expected: the directly
    // iterated recurrence: the equilibrium from generation 1 on for
    // u + v = 1, an alternating approach for u + v > 1, a two-cycle for
    // u = v = 1; p[1] = 1 - p[2].
    void largeRates_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<long double>("q0");
        QTest::newRow("u + v = 1 (0.5, 0.5), 10") << 10 << 0.5L << 0.5L << 0.1L;
        QTest::newRow("u + v = 1 (0.5, 0.5), 1000") << 1000 << 0.5L << 0.5L << 0.8L;
        QTest::newRow("u + v = 1 (0.75, 0.25), 50") << 50 << 0.75L << 0.25L << 0.1L;
        QTest::newRow("u + v = 1 (1, 0), 60") << 60 << 1.0L << 0.0L << 0.3L;
        QTest::newRow("u = 1, v = 0.5, 50") << 50 << 1.0L << 0.5L << 0.1L;
        QTest::newRow("u = 1, v = 0.5, 999") << 999 << 1.0L << 0.5L << 0.1L;
        QTest::newRow("u = 0.7, v = 0.6, 77") << 77 << 0.7L << 0.6L << 0.95L;
        QTest::newRow("u = v = 1, 50") << 50 << 1.0L << 1.0L << 0.3L;
        QTest::newRow("u = v = 1, 51") << 51 << 1.0L << 1.0L << 0.3L;
        QTest::newRow("u = v = 1, 1000") << 1000 << 1.0L << 1.0L << 0.3L;
        QTest::newRow("u = v = 1, 999") << 999 << 1.0L << 1.0L << 0.3L;
    }
    void largeRates()
    {
        QFETCH(int, n);
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(long double, q0);
        run(n, u, v, 1 - q0, q0);
        const std::vector<long double> q = iterateRecurrence(u, v, q0, n);
        for (int i = 1; i <= kOf(n); ++i) {
            MORVA_COMPARE_NEAR(MutFreqs[i][2], q[MutTimes[i]], 1e-17L);
            MORVA_COMPARE_EXACT(MutFreqs[i][1], 1 - MutFreqs[i][2]);
        }
    }

    // The same for 2,147,483,647 generations, against the known limits.
    void largeRatesLongRun()
    {
        run(2147483647, 0.5L, 0.5L, 0.9L, 0.1L);
        for (int i = 1; i <= 50; ++i)
            MORVA_COMPARE_EXACT(MutFreqs[i][2], 0.5L);
        run(2147483647, 1.0L, 0.5L, 0.9L, 0.1L);
        for (int i = 1; i <= 50; ++i)
            MORVA_COMPARE_NEAR(MutFreqs[i][2], 1.0L / 1.5L, 1e-18L);
        run(2147483647, 1.0L, 1.0L, 0.7L, 0.3L);
        for (int i = 1; i <= 50; ++i)
            MORVA_COMPARE_NEAR(MutFreqs[i][2], MutTimes[i] % 2 == 0 ? 0.3L : 0.7L, 1e-18L);
    }

    // m = 20, u = 1e-6, v = 5e-7. Expected: xs[i] = i / 20, ds[0] = 1e-6,
    // ds[20] = -5e-7, zero crossing at 2/3 (positive up to 0.65, negative
    // from 0.7); the formula's bits; entries above m untouched.
    void deltaLine()
    {
        fillSentinels();
        const long double u = opaque(1e-6L), v = opaque(5e-7L);
        MutDeltaLine(20, MutLineP, MutLineDelta, u, v);
        MORVA_COMPARE_EXACT(MutLineDelta[0], 1e-6L);
        MORVA_COMPARE_NEAR(MutLineDelta[20], -5e-7L, 1e-24L);
        MORVA_COMPARE_EXACT(MutLineP[20], 1.0L);
        const long double s = u + v;
        for (int i = 0; i <= 20; ++i) {
            const long double x = opaque(i) / opaque(20);
            MORVA_COMPARE_EXACT(MutLineP[i], x);
            MORVA_COMPARE_EXACT(MutLineDelta[i], u - s * x);
            if (i <= 13)
                QVERIFY(MutLineDelta[i] > 0);
            else
                QVERIFY(MutLineDelta[i] < 0);
        }
        for (int i = 21; i <= 50; ++i) {
            MORVA_COMPARE_EXACT(MutLineP[i], Sentinel);
            MORVA_COMPARE_EXACT(MutLineDelta[i], Sentinel);
        }
    }

    // MutDelta: u - (u + v) * q, bit for bit; 0 at the equilibrium.
    void delta_data()
    {
        QTest::addColumn<long double>("u");
        QTest::addColumn<long double>("v");
        QTest::addColumn<long double>("q");
        QTest::newRow("q = 0") << 1e-6L << 5e-7L << 0.0L;
        QTest::newRow("q = 1") << 1e-6L << 5e-7L << 1.0L;
        QTest::newRow("q = 0.3") << 0.01L << 0.02L << 0.3L;
        QTest::newRow("equilibrium") << 0.5L << 0.5L << 0.5L;
    }
    void delta()
    {
        QFETCH(long double, u);
        QFETCH(long double, v);
        QFETCH(long double, q);
        MORVA_COMPARE_EXACT(MutDelta(u, v, q), opaque(u) - (opaque(u) + opaque(v)) * opaque(q));
    }

    // Power: its formula bit for bit, 1 for y = 0, the two errors
    // for x <= 0, overflow thrown, underflow quiet.
    void power_data()
    {
        QTest::addColumn<long double>("x");
        QTest::addColumn<long double>("y");
        QTest::newRow("10^-6") << 10.0L << -6.0L;
        QTest::newRow("10^9") << 10.0L << 9.0L;
        QTest::newRow("0.999^1000") << 0.999L << 1000.0L;
        QTest::newRow("(1 - 1e-9)^2147483647") << (1 - 1e-9L) << 2147483647.0L;
        QTest::newRow("2^0.5") << 2.0L << 0.5L;
        QTest::newRow("1e-300^0") << 1e-300L << 0.0L;
        QTest::newRow("1e300^0") << 1e300L << 0.0L;
    }
    void power()
    {
        QFETCH(long double, x);
        QFETCH(long double, y);
        MORVA_COMPARE_EXACT(Power(x, y), refPower(x, y));
        MORVA_COMPARE_NEAR(Power(x, y) / std::pow(x, y), 1.0L, 1e-15L);
        if (y == 0)
            MORVA_COMPARE_EXACT(Power(x, y), 1.0L);
    }

    void powerErrors()
    {
        for (long double y : {2.0L, 1.0L, 0.5L, 0.0L, -1.0L})
            MORVA_EXPECT_ERROR(Power(opaque(0), y), EZeroDivide, "Floating point division by zero");
        for (long double y : {2.0L, 1.0L, 0.0L})
            MORVA_EXPECT_ERROR(Power(opaque(-0.5L), y), EInvalidOp,
                               "Invalid floating point operation");
        MORVA_EXPECT_ERROR(Power(opaque(10), 1e6L), EOverflow, "Floating point overflow");
        MORVA_COMPARE_EXACT(Power(opaque(10), -1e6L), 0.0L);
        MORVA_COMPARE_EXACT(Power(opaque(0.5L), 2147483647.0L), 0.0L);
        // An error leaves no trace on the next call.
        MORVA_EXPECT_ERROR(Power(opaque(0), 1), EZeroDivide, "Floating point division by zero");
        MORVA_COMPARE_EXACT(Power(opaque(2), 1), refPower(2, 1));
    }

    // u + v = 0 (the window forbids it): 0 / 0 is an invalid operation and
    // nothing is written.
    void zeroRates()
    {
        fillSentinels();
        MutFreqs[0] = {0.5L, 0.5L};
        MORVA_EXPECT_ERROR(MutTrajectory(10, MutTimes, MutFreqs, opaque(0), opaque(0)), EInvalidOp,
                           "Invalid floating point operation");
        QCOMPARE(MutTimes[1], -7);
        MORVA_COMPARE_EXACT(MutFreqs[1][2], Sentinel);
    }
};

QTEST_APPLESS_MAIN(TestPgMathMu)
#include "tst_PgMathMu.moc"
