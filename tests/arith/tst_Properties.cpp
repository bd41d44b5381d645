// Properties that must hold for every valid input, checked on thousands of
// random cases from a fixed seed (so a failure reproduces):
// - selection: the frequencies of every generation sum to 1 and lie in
//   [0, 1], and the mean fitness never falls along a trajectory (the
//   fundamental theorem of natural selection for constant fitnesses);
// - mutation: the trajectory never leaves [0, 1] and never moves away from
//   the equilibrium u / (u + v);
// - equilibria, for each model that lists them (ties, zeros and the ends of
//   every range drawn often): every listed point is a fixed point of the
//   model's own generation, within 16 ulps of the exact root (found in
//   128-bit arithmetic), and runs started just beside it move as its kind
//   says: closer for stable, away for unstable, one side each for
//   one-sided, neither for neutral.

#include "arith/Equilibria.h"
#include "arith/PgMathMu.h"
#include "arith/PgMathSe.h"
#include "arith/SelectionMigration.h"
#include "arith/SelectionMutation.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <functional>
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


constexpr int kEquilibriumCases = 3000;

// A value of a range, often one of its ends or a tie with another input.
long double edgy(Random &random, long double lo, long double hi, long double tie)
{
    switch (random.integer(0, 5)) {
    case 0:
        return lo;
    case 1:
        return hi;
    case 2:
        return tie;
    default:
        return random.uniform(lo, hi);
    }
}

void edgyFitnesses(Random &random, int count, TGenotypeFitness &w)
{
    bool any = false;
    for (int k = 1; k <= count; ++k) {
        w[k] = edgy(random, 0, 2, k > 1 ? w[k - 1] : 1);
        any = any || w[k] != 0;
    }
    if (!any)
        w[1] = 1;
}

// A rate as the windows form it: 0, 1, or a mantissa times a power of 10.
long double edgyRate(Random &random)
{
    if (random.integer(0, 4) == 0)
        return random.integer(0, 1);
    return random.uniform(0, 10) * std::pow(10.0L, random.integer(-9, -1));
}

// One listed equilibrium of a 2-allele map: p[1], its slope (none where
// the mean fitness is 0) and kind.
struct Listed {
    long double p;
    std::optional<long double> slope;
    Stability kind;
};

using Map = std::function<long double(long double)>;
using Quad = WideReal;

// Checks the listed points of a 2-allele map: fixed by the map within 16
// ulps times the slope's magnification, within 16 ulps of a root of the
// exact residual (a sign change of `exact` across that distance, none
// given: no check), and the runs of 200 generations started beside it
// closer, away or neither as its kind says.
QString checkListed(const std::vector<Listed> &points, const Map &step,
                    const std::function<Quad(Quad)> &exact)
{
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Listed &e = points[k];
        const long double x = e.p;
        const long double gain = e.slope ? std::max(1.0L, std::fabs(1 - *e.slope)) : 1;
        if (std::fabs(step(x) - x) > 16 * LDBL_EPSILON * x * gain)
            return QStringLiteral("p= %1 is moved to %2").arg(double(x), 0, 'g', 21)
                .arg(double(step(x)), 0, 'g', 21);
        const long double ulps = 16 * LDBL_EPSILON * x;
        if (exact && x > 0 && x < 1) {
            const Quad lo = exact(Quad(x - ulps)), hi = exact(Quad(x + ulps));
            if (exact(Quad(x)) != 0 && (lo < 0) == (hi < 0) && lo != 0 && hi != 0)
                return QString::asprintf("p= %.21Lg is no exact root", x);
        }
        // Runs from beside a point whose slope lies within 1e-6 of 1 but
        // outside the band that counts as 1 move too little to tell.
        const long double off = e.slope ? std::fabs(std::fabs(*e.slope) - 1) : 1;
        if (off < 1e-6L && off > kNeutralBand)
            continue;
        long double d = 1e-7L;
        if (off > 1e-6L)
            d = std::min(d, off * 1e-3L);
        for (std::size_t j = 0; j < points.size(); ++j) {
            if (j != k)
                d = std::min(d, std::fabs(points[j].p - x) / 8);
        }
        bool closer = false, away = false, neither = false;
        for (const long double start : {x - d, x + d}) {
            if (start < 0 || start > 1)
                continue;
            long double p = start;
            for (int g = 0; g < 200; ++g)
                p = step(p);
            const long double before = std::fabs(start - x), after = std::fabs(p - x);
            if (after < before * (1 - 1e-9L))
                closer = true;
            else if (after > before * (1 + 1e-9L))
                away = true;
            else
                neither = true;
        }
        bool agrees = false;
        switch (e.kind) {
        case Stability::Stable:
        case Stability::Slow:
            agrees = closer && !away && !neither;
            break;
        case Stability::Unstable:
            agrees = away && !closer;
            break;
        case Stability::OneSided:
            agrees = away && closer;
            break;
        case Stability::Neutral:
            agrees = !away || !closer;
            break;
        }
        if (!agrees)
            return QString::asprintf("p= %.21Lg kind %d, runs beside: closer %d away %d neither %d",
                                     x, int(e.kind), closer, away, neither);
    }
    return QString();
}

std::vector<Listed> listedOf(const FixedPoints &fixed)
{
    std::vector<Listed> points;
    for (const FixedPoint &f : fixed.points)
        points.push_back({f.value, f.slope, f.kind});
    return points;
}

std::vector<Listed> listedOf(const EquilibriumSet &set)
{
    std::vector<Listed> points;
    for (const Equilibrium &e : set.points)
        points.push_back({e.p[1], std::isinf(e.slope()) ? std::nullopt
                                                        : std::optional<long double>(e.slope()),
                          e.kind});
    std::sort(points.begin(), points.end(),
              [](const Listed &a, const Listed &b) { return a.p < b.p; });
    return points;
}

// p[1] of the point inside with 3 alleles: W1 = W2 = W3, sum p = 1, by
// Gaussian elimination in 128-bit arithmetic.
Quad interiorP1(const TGenotypeFitness &w)
{
    const Quad m[3][3] = {{w[1], w[2], w[3]}, {w[2], w[4], w[5]}, {w[3], w[5], w[6]}};
    Quad a[3][4] = {{m[0][0] - m[1][0], m[0][1] - m[1][1], m[0][2] - m[1][2], 0},
                    {m[1][0] - m[2][0], m[1][1] - m[2][1], m[1][2] - m[2][2], 0},
                    {1, 1, 1, 1}};
    const auto size = [](Quad x) { return x < 0 ? -x : x; };
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r) {
            if (size(a[r][col]) > size(a[pivot][col]))
                pivot = r;
        }
        for (int k = 0; k < 4; ++k)
            std::swap(a[col][k], a[pivot][k]);
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const Quad f = a[r][col] / a[col][col];
            for (int k = col; k < 4; ++k)
                a[r][k] -= f * a[col][k];
        }
    }
    return a[0][3] / a[0][0];
}

long double selectionStep(const TGenotypeFitness &w, long double x)
{
    Extended wm = 0;
    TAlleleVector W{}, next{};
    SelStep(2, w, {x, 1 - x}, wm, W, next);
    return next[1];
}

} // namespace

class TestProperties : public QObject {
    Q_OBJECT
private slots:
    void selectionKeepsTheSimplexAndNeverLowersMeanFitness();
    void mutationStaysInRangeAndApproachesTheEquilibrium();
    void equilibriaAreTrue_data();
    void equilibriaAreTrue();
    void threeAlleleEquilibriaAreTrue();
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

// One row per window with a 2-allele map: its inputs drawn at random, its
// listed equilibria and its own generation.
void TestProperties::equilibriaAreTrue_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("selection, 2 alleles") << 0;
    QTest::newRow("mutation") << 1;
    QTest::newRow("selection with mutation") << 2;
    QTest::newRow("selection with migration") << 3;
}

void TestProperties::equilibriaAreTrue()
{
    QFETCH(int, model);
    Random random(20261210 + model);
    for (int c = 0; c < kEquilibriumCases; ++c) {
        TGenotypeFitness w{};
        edgyFitnesses(random, 3, w);
        const Quad w11 = w[1], w12 = w[2], w22 = w[3];
        std::vector<Listed> points;
        Map step;
        std::function<Quad(Quad)> exact;
        QString inputs;
        if (model == 0) {
            points = listedOf(selectionEquilibria2(w));
            step = [&w](long double x) { return selectionStep(w, x); };
            exact = [=](Quad x) {
                const Quad y = 1 - x;
                return x * y * (x * (w11 - w12) - y * (w22 - w12));
            };
        } else if (model == 1) {
            const long double u = edgyRate(random), v = edgyRate(random);
            if (u + v == 0)
                continue;
            points = listedOf(mutationEquilibria(u, v));
            inputs = QString::asprintf("u %.21Lg v %.21Lg", u, v);
            step = [u, v](long double x) { return x * (1 - u) + (1 - x) * v; };
            exact = [=](Quad x) { return Quad(v) * (1 - x) - Quad(u) * x; };
        } else if (model == 2) {
            SelMutParams in;
            in.w = w;
            in.u = edgyRate(random);
            in.v = random.integer(0, 3) == 0 ? in.u : edgyRate(random);
            in.p0 = {1, 0};
            const FixedPoints fixed = selMutFixedPoints(in);
            if (fixed.everyPoint)
                continue;
            points = listedOf(fixed);
            step = [in](long double x) mutable {
                in.p0 = {x, 1 - x};
                in.ng = 1;
                SelMutTrajectory out;
                runSelMut(in, out);
                return out.p1.back();
            };
            const Quad u = in.u, v = in.v;
            inputs = QString::asprintf("u %.21Lg v %.21Lg", in.u, in.v);
            exact = [=](Quad x) {
                const Quad y = 1 - x;
                return x * (x * w11 + y * w12) * (y - u) - y * (x * w12 + y * w22) * (x - v);
            };
        } else {
            SelMigParams in;
            in.w = w;
            in.m = edgy(random, 0, 1, random.uniform(0, 1e-3L));
            in.pc = edgy(random, 0, 1, 0.5L);
            in.p0 = {1, 0};
            const FixedPoints fixed = selMigFixedPoints(in);
            if (fixed.everyPoint)
                continue;
            points = listedOf(fixed);
            step = [in](long double x) mutable {
                in.p0 = {x, 1 - x};
                in.ng = 1;
                SelMigTrajectory out;
                runSelMig(in, out);
                return out.p1.back();
            };
            const Quad m = in.m, pc = in.pc;
            inputs = QString::asprintf("m %.21Lg pc %.21Lg", in.m, in.pc);
            exact = [=](Quad x) {
                const Quad y = 1 - x, xm = (1 - m) * x + m * pc, ym = 1 - xm;
                return y * xm * (xm * w11 + ym * w12) - x * ym * (xm * w12 + ym * w22);
            };
        }
        const QString failure = checkListed(points, step, exact);
        if (!failure.isEmpty())
            QFAIL(qPrintable(QStringLiteral("case %1 (w %2 %3 %4): ").arg(c)
                                 .arg(double(w[1]), 0, 'g', 21).arg(double(w[2]), 0, 'g', 21)
                                 .arg(double(w[3]), 0, 'g', 21)
                             + inputs + QStringLiteral(": ") + failure));
    }
}

// State: random 3-allele fitnesses, ties and zeros often. Expected: every
// listed point fixed by SelStep; from a stable one, runs started beside it
// (rare alleles added) come closer; from one with a multiplier above 1.01,
// some run moves away.
void TestProperties::threeAlleleEquilibriaAreTrue()
{
    Random random(20261211);
    const auto distance = [](const TAlleleVector &a, const TAlleleVector &b) {
        return std::max({std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2]), std::fabs(a[3] - b[3])});
    };
    for (int c = 0; c < kEquilibriumCases; ++c) {
        TGenotypeFitness w{};
        edgyFitnesses(random, 6, w);
        const EquilibriumSet set = selectionEquilibria3(w);
        for (const Equilibrium &e : set.points) {
            Extended wm = 0;
            TAlleleVector W{}, next{};
            SelStep(3, w, e.p, wm, W, next);
            QVERIFY2(distance(next, e.p) <= 16 * LDBL_EPSILON,
                     qPrintable(QStringLiteral("case %1: a listed point moves").arg(c)));
            if (e.inside()) {
                const Quad exact = interiorP1(w);
                QVERIFY2(std::fabs(static_cast<long double>(exact - Quad(e.p[1])))
                             <= 16 * LDBL_EPSILON * e.p[1],
                         qPrintable(QString::asprintf("case %d: p[1]= %.21Lg, exact %.21Lg", c,
                                                      e.p[1], static_cast<long double>(exact))));
            }
            if (e.kind != Stability::Stable && e.rate() < 1.01L)
                continue;
            bool away = false, closer = true;
            for (int s = 0; s < 4; ++s) {
                TAlleleVector p{};
                random.simplex(3, p);
                for (int i = 1; i <= 3; ++i)
                    p[i] = e.p[i] + (p[i] - e.p[i]) * 1e-6L;
                const long double before = distance(p, e.p);
                if (before == 0)
                    continue;
                SelTrajectory(3, w, 300, p, SelTimes, SelFreqs, SelAlleleFit, SelWmed);
                const long double after = distance(SelFreqs[300], e.p);
                away = away || after > before;
                closer = closer && after < before;
            }
            QVERIFY2(e.kind == Stability::Stable ? closer : away,
                     qPrintable(QStringLiteral("case %1: kind %2, closer %3 away %4")
                                    .arg(c).arg(int(e.kind)).arg(closer).arg(away)));
        }
    }
}

QTEST_APPLESS_MAIN(TestProperties)
#include "tst_Properties.moc"
