// Equilibria and their stability. Exact cases (State: fitnesses or rates /
// Expected: the points, multipliers and notes known in closed form), then
// properties on random fitnesses from a fixed seed: every listed point is a
// fixed point of the map, its multipliers are the eigenvalues of the map's
// numerical Jacobian, and a trajectory of 1000 generations that has settled
// lies within 1e-6 of a listed equilibrium that is stable for the alleles it
// started with, unless it started on that equilibrium.

#include "arith/Equilibria.h"
#include "arith/Errors.h"
#include "arith/PgMathSe.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace morva;

namespace {

constexpr long double Tight = 8 * std::numeric_limits<long double>::epsilon();
constexpr long double None = -1;  // no such point
constexpr long double Inf = std::numeric_limits<long double>::infinity();

const char *text(Stability s)
{
    switch (s) {
    case Stability::Stable:
        return "stable";
    case Stability::Unstable:
        return "unstable";
    case Stability::Slow:
        return "slow";
    case Stability::OneSided:
        return "one-sided";
    case Stability::Neutral:
        break;
    }
    return "neutral";
}

const char *text(FaceStatus s)
{
    switch (s) {
    case FaceStatus::Point:
        return "point";
    case FaceStatus::None:
        return "none";
    case FaceStatus::EveryPoint:
        return "every point";
    case FaceStatus::Segment:
        return "segment";
    case FaceStatus::TwoCycle:
        break;
    }
    return "two-cycle";
}

TGenotypeFitness fitness3(long double w11, long double w12, long double w13, long double w22,
                          long double w23, long double w33)
{
    return {w11, w12, w13, w22, w23, w33};
}

const Equilibrium *find(const EquilibriumSet &set, long double p1, long double p2,
                        long double p3 = 0)
{
    for (const Equilibrium &e : set.points) {
        if (std::fabs(e.p[1] - p1) < 1e-15L && std::fabs(e.p[2] - p2) < 1e-15L
            && std::fabs(e.p[3] - p3) < 1e-15L)
            return &e;
    }
    return nullptr;
}

// The restricted Jacobian's eigenvalues by central differences of SelStep,
// ascending; for 3 alleles in the basis e1 - e3, e2 - e3.
std::vector<long double> numericalMultipliers(int n, const TGenotypeFitness &w,
                                              const TAlleleVector &p)
{
    constexpr long double h = 1e-7L;
    const auto step = [&](const TAlleleVector &x) {
        Extended wm = 0;
        TAlleleVector W{}, next{};
        SelStep(static_cast<std::uint16_t>(n), w, x, wm, W, next);
        return next;
    };
    long double a[2][2]{};
    for (int b = 1; b < n; ++b) {
        TAlleleVector plus = p, minus = p;
        plus[b] += h;
        plus[n] -= h;
        minus[b] -= h;
        minus[n] += h;
        const TAlleleVector fp = step(plus), fm = step(minus);
        for (int r = 1; r < n; ++r)
            a[r - 1][b - 1] = (fp[r] - fm[r]) / (2 * h);
    }
    if (n == 2)
        return {a[0][0]};
    const long double half = (a[0][0] + a[1][1]) / 2, gap = (a[0][0] - a[1][1]) / 2;
    const long double root = std::sqrt(std::max(0.0L, gap * gap + a[0][1] * a[1][0]));
    return {half - root, half + root};
}

std::vector<long double> multipliersOf(const Equilibrium &e)
{
    std::vector<long double> m;
    for (int k = 0; k < e.multiplierCount; ++k)
        m.push_back(e.multipliers[static_cast<std::size_t>(k)].value.real());
    std::sort(m.begin(), m.end());
    return m;
}

long double distance(const TAlleleVector &a, const TAlleleVector &b, int n)
{
    long double d = 0;
    for (int i = 1; i <= n; ++i)
        d = std::max(d, std::fabs(a[i] - b[i]));
    return d;
}

// Distance from p to the segment a..b (max norm along the closest point of
// the Euclidean projection; enough to recognise points on it).
long double distanceToSegment(const TAlleleVector &p, const TAlleleVector &a,
                              const TAlleleVector &b, int n)
{
    long double num = 0, den = 0;
    for (int i = 1; i <= n; ++i) {
        num += (p[i] - a[i]) * (b[i] - a[i]);
        den += (b[i] - a[i]) * (b[i] - a[i]);
    }
    const long double t = den > 0 ? std::clamp(num / den, 0.0L, 1.0L) : 0.0L;
    TAlleleVector q{};
    for (int i = 1; i <= n; ++i)
        q[i] = a[i] + t * (b[i] - a[i]);
    return distance(p, q, n);
}

} // namespace

class TestEquilibria : public QObject {
    Q_OBJECT
private slots:
    void twoAlleles_data();
    void twoAlleles();
    void threeAllelesSymmetric_data();
    void threeAllelesSymmetric();
    void threeAllelesDegenerate();
    void mutation_data();
    void mutation();
    void floatingPointErrors();
    void randomFitnesses();
};

void TestEquilibria::twoAlleles_data()
{
    QTest::addColumn<long double>("w11");
    QTest::addColumn<long double>("w12");
    QTest::addColumn<long double>("w22");
    QTest::addColumn<int>("status");
    QTest::addColumn<long double>("inside");       // p[1] inside, or None
    QTest::addColumn<long double>("insideSlope");
    QTest::addColumn<long double>("slopeAt1");     // at p[1] = 1
    QTest::addColumn<long double>("slopeAt0");     // at p[1] = 0
    const int point = int(FaceStatus::Point);
    QTest::newRow("heterozygote advantage") << 0.7L << 1.0L << 0.5L << point << 0.625L
                                            << 10.0L / 13 << 1 / 0.7L << 2.0L;
    QTest::newRow("underdominance") << 1.2L << 1.0L << 1.1L << point << 1.0L / 3 << 17.0L / 16
                                    << 1 / 1.2L << 1 / 1.1L;
    QTest::newRow("lethal A2A2 with heterozygote advantage")
        << 0.8L << 1.0L << 0.0L << point << 5.0L / 6 << 0.8L << 1.25L << Inf;
    QTest::newRow("A1 dominant: fixation of A1 neutral") << 1.0L << 1.0L << 0.5L << point << None
                                                         << 0.0L << 1.0L << 2.0L;
    QTest::newRow("additive: denominator 0") << 1.0L << 0.75L << 0.5L << int(FaceStatus::None)
                                             << None << 0.0L << 0.75L << 1.5L;
    QTest::newRow("additive in decimals") << 1.0L << 0.9L << 0.8L << int(FaceStatus::None) << None
                                          << 0.0L << 0.9L << 1.125L;
    QTest::newRow("all equal: every point") << 0.6L << 0.6L << 0.6L
                                            << int(FaceStatus::EveryPoint) << None << 0.0L
                                            << 0.0L << 0.0L;
    QTest::newRow("all 0: every point") << 0.0L << 0.0L << 0.0L << int(FaceStatus::EveryPoint)
                                        << None << 0.0L << 0.0L << 0.0L;
}

void TestEquilibria::twoAlleles()
{
    QFETCH(long double, w11);
    QFETCH(long double, w12);
    QFETCH(long double, w22);
    QFETCH(int, status);
    QFETCH(long double, inside);
    QFETCH(long double, insideSlope);
    QFETCH(long double, slopeAt1);
    QFETCH(long double, slopeAt0);
    const TGenotypeFitness w{w11, w12, w22};
    const EquilibriumSet set = selectionEquilibria2(w);

    QCOMPARE(set.faces.size(), std::size_t(1));
    QCOMPARE(text(set.whole().status), text(FaceStatus(status)));
    if (FaceStatus(status) == FaceStatus::EveryPoint) {
        QVERIFY(set.points.empty());
        QCOMPARE(distance(set.whole().from, {1, 0}, 2) + distance(set.whole().to, {0, 1}, 2),
                 0.0L);
        return;
    }
    QCOMPARE(set.points.size(), std::size_t(inside == None ? 2 : 3));
    const Equilibrium &at1 = set.points[0];
    const Equilibrium &at0 = set.points[1];
    QCOMPARE(at1.p, (TAlleleVector{1, 0}));
    QCOMPARE(at0.p, (TAlleleVector{0, 1}));
    MORVA_COMPARE_NEAR(at1.slope(), slopeAt1, Tight);
    if (std::isinf(slopeAt0))
        MORVA_COMPARE_EXACT(at0.slope(), slopeAt0);
    else
        MORVA_COMPARE_NEAR(at0.slope(), slopeAt0, Tight);
    QCOMPARE(at1.multipliers[0].against, 2);
    QCOMPARE(at0.multipliers[0].against, 1);
    // A slope of 1: the dominant allele's fixation, approached slowly.
    QCOMPARE(text(at1.kind), slopeAt1 == 1 ? "slow" : text(stabilityOf(std::fabs(slopeAt1))));
    QCOMPARE(text(at0.kind), text(stabilityOf(std::fabs(slopeAt0))));
    if (inside == None)
        return;
    const Equilibrium &e = set.points[2];
    MORVA_COMPARE_NEAR(e.p[1], inside, Tight);
    MORVA_COMPARE_NEAR(e.p[2], 1 - inside, Tight);
    MORVA_COMPARE_NEAR(e.slope(), insideSlope, Tight);
    QCOMPARE(e.multipliers[0].against, 0);
    QCOMPARE(text(e.kind), text(insideSlope < 1 ? Stability::Stable : Stability::Unstable));
    MORVA_COMPARE_EXACT(e.meanFitness, SelMeanFitness2(e.p, w));
}

void TestEquilibria::threeAllelesSymmetric_data()
{
    QTest::addColumn<long double>("homozygote");
    QTest::addColumn<long double>("heterozygote");
    QTest::addColumn<long double>("interiorEigen");
    QTest::addColumn<long double>("edgeAlong");
    QTest::addColumn<long double>("edgeAgainst");
    // w = h / H: interior eigenvalues 1 + (h - H) / (h + 2 H), edges
    // 1 + (h - H) / (h + H) along and 2 H / (h + H) against.
    QTest::newRow("overdominance: 1/3 each, stable") << 0.5L << 1.0L << 0.8L << 2.0L / 3
                                                     << 4.0L / 3;
    QTest::newRow("underdominance: 1/3 each, unstable") << 1.0L << 0.5L << 1.25L << 4.0L / 3
                                                        << 2.0L / 3;
}

// State: wii = h, wij = H for all i != j. Expected: vertices with both
// invasion factors H / h, each edge's midpoint, the centre.
void TestEquilibria::threeAllelesSymmetric()
{
    QFETCH(long double, homozygote);
    QFETCH(long double, heterozygote);
    QFETCH(long double, interiorEigen);
    QFETCH(long double, edgeAlong);
    QFETCH(long double, edgeAgainst);
    const long double h = homozygote, H = heterozygote;
    const EquilibriumSet set = selectionEquilibria3(fitness3(h, H, H, h, H, h));

    QCOMPARE(set.points.size(), std::size_t(7));
    QCOMPARE(set.faces.size(), std::size_t(4));
    for (const FaceNote &note : set.faces)
        QCOMPARE(text(note.status), text(FaceStatus::Point));
    const bool over = H > h;
    for (int i = 0; i < 3; ++i) {
        const Equilibrium &v = set.points[std::size_t(i)];
        QCOMPARE(v.p[i + 1], 1.0L);
        MORVA_COMPARE_NEAR(v.multipliers[0].value.real(), H / h, Tight);
        MORVA_COMPARE_NEAR(v.multipliers[1].value.real(), H / h, Tight);
        QCOMPARE(text(v.kind), text(over ? Stability::Unstable : Stability::Stable));
    }
    const int absent[3] = {3, 2, 1};
    for (int k = 0; k < 3; ++k) {
        const Equilibrium &e = set.points[std::size_t(3 + k)];
        QCOMPARE(e.p[absent[k]], 0.0L);
        QCOMPARE(e.present(), AlleleSet(7) & ~alleleBit(absent[k]));
        MORVA_COMPARE_NEAR(e.multipliers[0].value.real(), edgeAlong, Tight);
        MORVA_COMPARE_NEAR(e.multipliers[1].value.real(), edgeAgainst, Tight);
        QCOMPARE(e.multipliers[1].against, absent[k]);
        QCOMPARE(text(e.alongFace()), text(over ? Stability::Stable : Stability::Unstable));
        QCOMPARE(text(e.againstAbsent()), text(over ? Stability::Unstable : Stability::Stable));
        QCOMPARE(text(e.kind), text(Stability::Unstable));
    }
    const Equilibrium &centre = set.points[6];
    QCOMPARE(set.interior().size(), std::size_t(1));
    for (int i = 1; i <= 3; ++i)
        MORVA_COMPARE_NEAR(centre.p[i], 1.0L / 3, Tight);
    MORVA_COMPARE_NEAR(centre.multipliers[0].value.real(), interiorEigen, Tight);
    MORVA_COMPARE_NEAR(centre.multipliers[1].value.real(), interiorEigen, Tight);
    QCOMPARE(text(centre.kind), text(over ? Stability::Stable : Stability::Unstable));
}

// State: degenerate 3-allele fitnesses. Expected: every point (nothing
// listed), a segment of equilibria with its ends, no solution inside.
void TestEquilibria::threeAllelesDegenerate()
{
    const EquilibriumSet equal = selectionEquilibria3(fitness3(0.9L, 0.9L, 0.9L, 0.9L, 0.9L, 0.9L));
    QVERIFY(equal.points.empty());
    QCOMPARE(equal.faces.size(), std::size_t(4));
    for (const FaceNote &note : equal.faces)
        QCOMPARE(text(note.status), text(FaceStatus::EveryPoint));

    // A1 and A2 alike: W1 = W2 always, W2 = W3 where p3 = 1/2.
    const EquilibriumSet alike = selectionEquilibria3(fitness3(1, 1, 0, 1, 0, 1));
    QCOMPARE(text(alike.whole().status), text(FaceStatus::Segment));
    QCOMPARE(alike.whole().from, (TAlleleVector{0.5L, 0, 0.5L}));
    QCOMPARE(alike.whole().to, (TAlleleVector{0, 0.5L, 0.5L}));
    QCOMPARE(text(alike.faces[0].status), text(FaceStatus::EveryPoint));  // edge 1-2
    QVERIFY(alike.interior().empty());
    const Equilibrium *end = find(alike, 0.5L, 0, 0.5L);
    QVERIFY(end);
    QCOMPARE(text(end->alongFace()), text(Stability::Unstable));
    QCOMPARE(text(end->againstAbsent()), text(Stability::Neutral));

    // W1 - W2 = 1/4 everywhere: no point inside, although the edges have theirs.
    const EquilibriumSet none = selectionEquilibria3(fitness3(1.5L, 1.25L, 1, 1, 0.75L, 0.25L));
    QCOMPARE(text(none.whole().status), text(FaceStatus::None));
    QVERIFY(none.interior().empty());
}

void TestEquilibria::mutation_data()
{
    QTest::addColumn<long double>("u");
    QTest::addColumn<long double>("v");
    QTest::addColumn<int>("status");
    QTest::addColumn<long double>("q");
    QTest::addColumn<long double>("slope");
    QTest::addColumn<int>("against");
    QTest::addColumn<int>("kind");
    const int point = int(FaceStatus::Point);
    const int stable = int(Stability::Stable);
    QTest::newRow("default rates") << 1e-6L << 5e-7L << point << 2.0L / 3 << 1 - 1.5e-6L << 0
                                   << stable;
    QTest::newRow("fast, overshooting") << 0.75L << 0.5L << point << 0.6L << -0.25L << 0
                                        << stable;
    QTest::newRow("A1 -> A2 only") << 1e-3L << 0.0L << point << 1.0L << 0.999L << 1 << stable;
    QTest::newRow("u + v = 2: two-cycle") << 1.0L << 1.0L << int(FaceStatus::TwoCycle) << 0.5L
                                          << -1.0L << 0 << int(Stability::Neutral);
    QTest::newRow("no mutation: every point") << 0.0L << 0.0L << int(FaceStatus::EveryPoint)
                                              << None << 0.0L << 0 << 0;
}

void TestEquilibria::mutation()
{
    QFETCH(long double, u);
    QFETCH(long double, v);
    QFETCH(int, status);
    QFETCH(long double, q);
    QFETCH(long double, slope);
    QFETCH(int, against);
    QFETCH(int, kind);
    const EquilibriumSet set = mutationEquilibria(u, v);
    QCOMPARE(text(set.whole().status), text(FaceStatus(status)));
    if (q == None) {
        QVERIFY(set.points.empty());
        return;
    }
    QCOMPARE(set.points.size(), std::size_t(1));
    const Equilibrium &e = set.points[0];
    MORVA_COMPARE_NEAR(e.p[2], q, Tight);
    MORVA_COMPARE_NEAR(e.p[1], 1 - q, Tight);
    MORVA_COMPARE_NEAR(e.slope(), slope, Tight);
    MORVA_COMPARE_NEAR(e.rate(), std::fabs(slope), Tight);
    QCOMPARE(e.multipliers[0].against, against);
    QCOMPARE(text(e.kind), text(Stability(kind)));
}

// State: fitnesses outside the model's range. Expected: the floating-point
// error is reported, not a silent infinity.
void TestEquilibria::floatingPointErrors()
{
    // Inside point with Wmed = -1 + (2 * 2) / 4 = 0.
    MORVA_EXPECT_ERROR(selectionEquilibria2({1, -1, 1}), EZeroDivide,
                       "Floating point division by zero");
    MORVA_EXPECT_ERROR(selectionEquilibria3(fitness3(1e4000L, -1e4000L, 0, 1e4000L, 0, 1)),
                       EOverflow, "Floating point overflow");
}

// State: 3000 random fitness sets (zeros among them), 2 or 3 alleles, four
// random starts each, sometimes with an allele absent. Expected: as the file
// comment says.
void TestEquilibria::randomFitnesses()
{
    std::mt19937_64 engine(20260114);
    const auto uniform = [&engine](long double lo, long double hi) {
        return std::uniform_real_distribution<long double>(lo, hi)(engine);
    };
    const auto integer = [&engine](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(engine);
    };
    int settled = 0, trajectories = 0;
    for (int c = 0; c < 3000; ++c) {
        const int n = integer(2, 3);
        TGenotypeFitness w{};
        for (int k = 1; k <= (n == 2 ? 3 : 6); ++k)
            w[k] = integer(0, 7) == 0 ? 0.0L : uniform(0, 2);
        const EquilibriumSet set = n == 2 ? selectionEquilibria2(w) : selectionEquilibria3(w);
        const QString where = QStringLiteral("case %1").arg(c);

        for (const Equilibrium &e : set.points) {
            Extended wm = 0;
            TAlleleVector W{}, next{};
            SelStep(static_cast<std::uint16_t>(n), w, e.p, wm, W, next);
            QVERIFY2(distance(next, e.p, n) < 1e-15L, qPrintable(where + " not fixed"));
            if (e.meanFitness < 1e-2L || e.rate() > 1e3L)
                continue;
            const std::vector<long double> expected = numericalMultipliers(n, w, e.p);
            const std::vector<long double> actual = multipliersOf(e);
            for (std::size_t k = 0; k < actual.size(); ++k)
                QVERIFY2(std::fabs(actual[k] - expected[k])
                             < 1e-6L * std::max(1.0L, std::fabs(expected[k])),
                         qPrintable(where + QStringLiteral(" multiplier %1: %2 against %3")
                                                .arg(k).arg(double(actual[k]))
                                                .arg(double(expected[k]))));
        }

        for (int s = 0; s < 4; ++s) {
            TAlleleVector p0{};
            long double total = 0;
            for (int i = 1; i <= n; ++i)
                total += p0[i] = integer(0, 5) == 0 ? 0.0L : uniform(0, 1);
            if (total == 0)
                total = p0[1] = 1;
            for (int i = 1; i <= n; ++i)
                p0[i] /= total;
            SelTrajectory(static_cast<std::uint16_t>(n), w, 1000, p0, SelTimes, SelFreqs,
                          SelAlleleFit, SelWmed);
            ++trajectories;
            const TAlleleVector &end = SelFreqs[1000];
            if (distance(end, SelFreqs[999], n) > 1e-14L)
                continue;
            ++settled;
            bool onContinuum = false;
            for (const FaceNote &note : set.faces) {
                const bool line = note.status == FaceStatus::Segment
                    || (note.status == FaceStatus::EveryPoint && note.from != note.to);
                onContinuum = onContinuum
                    || (line && distanceToSegment(end, note.from, note.to, n) < 1e-6L)
                    || (note.status == FaceStatus::EveryPoint && note.from == note.to);
            }
            if (onContinuum)
                continue;
            AlleleSet present = 0;
            for (int i = 1; i <= n; ++i)
                present |= p0[i] > 0 ? alleleBit(i) : 0;
            const Equilibrium *nearest = nullptr;
            for (const Equilibrium &e : set.points) {
                if (!nearest || distance(end, e.p, n) < distance(end, nearest->p, n))
                    nearest = &e;
            }
            QVERIFY2(nearest && distance(end, nearest->p, n) < 1e-6L,
                     qPrintable(where + " settled away from every equilibrium"));
            QVERIFY2(nearest->stabilityWithin(present) != Stability::Unstable
                         || distance(p0, nearest->p, n) == 0,
                     qPrintable(where + " settled on an unstable equilibrium"));
        }
    }
    // Most runs settle; the check above must have had work to do.
    QVERIFY2(settled > trajectories / 2, qPrintable(QString::number(settled)));
}

QTEST_APPLESS_MAIN(TestEquilibria)
#include "tst_Equilibria.moc"
