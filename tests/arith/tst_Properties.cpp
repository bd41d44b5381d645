// Properties that must hold for every valid input, checked on thousands of
// random cases from a fixed seed (so a failure reproduces):
// - selection: the frequencies of every generation sum to 1 and lie in
//   [0, 1], and the mean fitness never falls along a trajectory (the
//   fundamental theorem of natural selection for constant fitnesses);
// - mutation: the trajectory never leaves [0, 1] and never moves away from
//   the equilibrium u / (u + v).

#include "arith/PgMathMu.h"
#include "arith/PgMathSe.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace morva;

namespace {

constexpr int kSelectionCases = 3000;
constexpr int kMutationCases = 20000;

class Random {
public:
    explicit Random(std::uint64_t seed) : m_engine(seed) {}
    long double uniform(long double lo, long double hi)
    {
        return std::uniform_real_distribution<long double>(lo, hi)(m_engine);
    }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_engine); }
    // A point of the n-simplex; sometimes on its boundary (an absent allele).
    void simplex(int n, TAlleleVector &p)
    {
        long double total = 0;
        for (int i = 1; i <= n; ++i) {
            p[i] = integer(0, 9) == 0 ? 0.0L : uniform(0, 1);
            total += p[i];
        }
        if (total == 0) {
            p[1] = 1;
            total = 1;
        }
        long double rest = 1;
        for (int i = 1; i < n; ++i) {
            p[i] /= total;
            rest -= p[i];
        }
        p[n] = rest < 0 ? 0 : rest;
    }

private:
    std::mt19937_64 m_engine;
};

void randomFitnesses(Random &random, int n, TGenotypeFitness &w)
{
    const int count = n == 2 ? 3 : 6;
    bool any = false;
    for (int k = 1; k <= count; ++k) {
        w[k] = random.integer(0, 7) == 0 ? 0.0L : random.uniform(0, 2);
        any = any || w[k] != 0;
    }
    if (!any)
        w[1] = 1;
}

} // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void selectionKeepsTheSimplexAndNeverLowersMeanFitness();
    void mutationStaysInRangeAndApproachesTheEquilibrium();
};

void TestProperties::selectionKeepsTheSimplexAndNeverLowersMeanFitness()
{
    Random random(20261208);
    for (int c = 0; c < kSelectionCases; ++c) {
        const int n = random.integer(2, 3);
        TAlleleVector p0{};
        TGenotypeFitness w{};
        random.simplex(n, p0);
        randomFitnesses(random, n, w);
        const auto ng = static_cast<std::uint16_t>(random.integer(0, 1000));
        SelTrajectory(static_cast<std::uint16_t>(n), w, ng, p0, SelTimes, SelFreqs, SelAlleleFit,
                      SelWmed);
        for (int g = 0; g <= ng; ++g) {
            long double sum = 0;
            for (int i = 1; i <= n; ++i) {
                const long double x = SelFreqs[g][i];
                // Nothing is renormalised, so a frequency next to 1 may
                // round an ulp above it; it never goes below 0.
                if (!(x >= 0 && x <= 1 + 1e-15L))
                    QFAIL(qPrintable(QStringLiteral("case %1: p[%2](%3) = %4 out of [0, 1]")
                                         .arg(c).arg(i).arg(g).arg(double(x))));
                sum += x;
            }
            if (std::fabs(sum - 1) > 1e-15L)
                QFAIL(qPrintable(QStringLiteral("case %1: generation %2 sums to 1 %3 %4")
                                     .arg(c).arg(g).arg(sum > 1 ? '+' : '-')
                                     .arg(double(std::fabs(sum - 1)))));
            if (g > 0 && SelWmed[g] < SelWmed[g - 1] * (1 - 1e-15L))
                QFAIL(qPrintable(QStringLiteral("case %1: mean fitness falls at generation %2")
                                     .arg(c).arg(g)));
        }
    }
}

void TestProperties::mutationStaysInRangeAndApproachesTheEquilibrium()
{
    Random random(1999);
    for (int c = 0; c < kMutationCases; ++c) {
        // Rates as the window forms them: mantissa 0..10 times 10^-9..10^-1.
        long double u = random.uniform(0, 10) * Power(10, random.integer(-9, -1));
        long double v = random.uniform(0, 10) * Power(10, random.integer(-9, -1));
        if (random.integer(0, 9) == 0)
            (random.integer(0, 1) ? u : v) = 0;
        if (u == 0 && v == 0)
            u = 1e-6L;
        const std::int32_t n = random.integer(0, 3) == 0 ? random.integer(1, 50)
                                                         : random.integer(1, 2147483647);
        const long double q0 = random.uniform(0, 1);
        MutFreqs[0][1] = 1 - q0;
        MutFreqs[0][2] = q0;
        MutTrajectory(n, MutTimes, MutFreqs, u, v);

        const long double e = u / (u + v);
        const long double d0 = std::fabs(q0 - e);
        const int k = n <= 50 ? n : 50;
        for (int j = 1; j <= k; ++j) {
            const long double q = MutFreqs[j][2];
            if (!(q >= -1e-15L && q <= 1 + 1e-15L))
                QFAIL(qPrintable(QStringLiteral("case %1: p[2] leaves [0, 1] at entry %2: %3")
                                     .arg(c).arg(j).arg(double(q))));
            if (std::fabs(q - e) > d0 + 1e-15L)
                QFAIL(qPrintable(QStringLiteral("case %1: entry %2 moves away from u/(u+v)")
                                     .arg(c).arg(j)));
            QCOMPARE(MutFreqs[j][1], 1 - q);
        }
    }
}

QTEST_APPLESS_MAIN(TestProperties)
#include "tst_Properties.moc"
