#include "arith/Equilibria.h"

#include "arith/FloatChecks.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace morva {

namespace {

constexpr Extended Eps = std::numeric_limits<Extended>::epsilon();
constexpr Extended Infinity = std::numeric_limits<Extended>::infinity();
// Rounding allowance, in units of Eps times the size of the operands, for
// deciding that a difference of computed differences is 0. The inputs'
// differences are exact or off by one rounding; the checks below combine a
// few of them.
constexpr Extended Slack = 16;

// The genotype fitnesses of the 3-allele system as a symmetric matrix,
// indexed 1..3 (row and column 0 unused).
struct Matrix3 {
    Extended m[4][4]{};
    explicit Matrix3(const TGenotypeFitness &w)
    {
        m[1][1] = w[1];
        m[1][2] = m[2][1] = w[2];
        m[1][3] = m[3][1] = w[3];
        m[2][2] = w[4];
        m[2][3] = m[3][2] = w[5];
        m[3][3] = w[6];
    }
};

// The factor by which a rare allele j grows per generation in a population
// fixed for allele i: W[j] / Wmed = wij / wii. With wii = 0 the map holds
// the fixed population still (its mean fitness is 0), while any population
// with some j and some positive fitness along the edge jumps away in one
// generation: infinite. With the whole edge at 0 nothing moves: 1.
Extended invasionFactor(Extended wii, Extended wij, Extended wjj)
{
    if (wii != 0)
        return wij / wii;
    if (wij != 0 || wjj != 0)
        return Infinity;
    return 1;
}

// The 2-allele system of alleles i and j with fitnesses wii, wij, wjj.
struct PairSystem {
    FaceStatus status = FaceStatus::Point;
    bool inside = false;  // the point strictly inside is listed
    Extended pi = 0, pj = 0;
    Extended wmed = 0;    // mean fitness at the point
    Extended slope = 0;   // of the map along the edge
};

// With a = wii - wij and b = wjj - wij, the point inside is pi = b / (a + b),
// pj = a / (a + b); it exists exactly when a and b have the same strict
// sign (heterozygote advantage or disadvantage), so the sum has no
// cancellation there. With t = pi pj (a + b) = a b / (a + b), the mean
// fitness there is wij + t and the slope 1 + t / (wij + t).
PairSystem pairSystem(Extended wii, Extended wij, Extended wjj)
{
    PairSystem s;
    if (wii == wij && wij == wjj) {
        s.status = FaceStatus::EveryPoint;
        return s;
    }
    const Extended a = wii - wij;
    const Extended b = wjj - wij;
    const Extended d = a + b;
    if ((a > 0 && b > 0) || (a < 0 && b < 0)) {
        s.inside = true;
        s.pi = b / d;
        s.pj = a / d;
        const Extended t = (a * b) / d;
        s.wmed = wij + t;
        s.slope = 1 + t / s.wmed;
        return s;
    }
    const Extended size = std::max({std::fabs(wii), std::fabs(wij), std::fabs(wjj)});
    if (std::fabs(d) <= Slack * Eps * size)
        s.status = FaceStatus::None;
    return s;
}

AlleleSet allAlleles(int n)
{
    return (1u << n) - 1;
}

TAlleleVector vertex(int allele)
{
    TAlleleVector p{};
    p[allele] = 1;
    return p;
}

void combine(Equilibrium &e)
{
    Stability kind = Stability::Stable;
    for (int k = 0; k < e.multiplierCount; ++k)
        kind = worstOf(kind, e.multipliers[static_cast<std::size_t>(k)].stability());
    e.kind = kind;
}

void finish(Equilibrium &e)
{
    for (int k = 0; k < e.multiplierCount; ++k) {
        Multiplier &m = e.multipliers[static_cast<std::size_t>(k)];
        m.kind = stabilityOf(m.modulus());
    }
    combine(e);
}

// Two generations of selection from p.
TAlleleVector twoGenerations(int n, const TGenotypeFitness &w, TAlleleVector p)
{
    for (int g = 0; g < 2; ++g) {
        Extended wm = 0;
        TAlleleVector W{}, next{};
        SelStep(static_cast<std::uint16_t>(n), w, p, wm, W, next);
        p = next;
    }
    return p;
}

// How a rare absent allele k fares beside e: its frequency from h to two
// generations later, the others scaled down to make room.
BesideRun invasionRun(const Equilibrium &e, const TGenotypeFitness &w, int k)
{
    TAlleleVector start{};
    for (int i = 1; i <= e.alleles; ++i)
        start[i] = e.p[i] * (1 - kBesideDistance);
    start[k] = kBesideDistance;
    return {start[k], twoGenerations(e.alleles, w, start)[k]};
}

// The runs along the edge of alleles i and j from both sides of e (those
// inside the edge).
std::vector<BesideRun> edgeRuns(const Equilibrium &e, const TGenotypeFitness &w, int i, int j)
{
    std::vector<BesideRun> runs;
    for (const Extended side : {-kBesideDistance, kBesideDistance}) {
        TAlleleVector start = e.p;
        start[i] = e.p[i] + side;
        start[j] = e.p[j] - side;
        if (start[i] < 0 || start[j] < 0)
            continue;
        const TAlleleVector end = twoGenerations(e.alleles, w, start);
        runs.push_back({std::fabs(start[i] - e.p[i]), std::fabs(end[i] - e.p[i])});
    }
    return runs;
}

// The kind of one multiplier: its own where its modulus is clearly not 1,
// otherwise from runs beside the point in its direction where there is one.
Stability decided(const Equilibrium &e, const TGenotypeFitness &w, const Multiplier &m,
                  AlleleSet present)
{
    const bool infinite = std::isinf(m.modulus());
    if (!infinite && m.kind != Stability::Neutral)
        return m.kind;
    const Stability approached = infinite ? Stability::Stable : Stability::Slow;
    if (m.against != 0)
        return motionBeside({invasionRun(e, w, m.against)}, approached);
    if (std::popcount(present) != 2)
        return m.kind;
    const int i = std::countr_zero(present) + 1;
    const int j = 32 - std::countl_zero(present);
    return motionBeside(edgeRuns(e, w, i, j), approached);
}

// Where a multiplier's modulus is 1 or infinite (a mean fitness of 0), the
// map itself decides: along an edge from both sides, against an absent
// allele from its side. Against an absent allele only while populations
// come back along the face (otherwise a run beside the point drifts along
// the face and its rare allele with it); a multiplier along the inside of
// the triangle keeps its linear verdict.
void decideBeside(Equilibrium &e, const TGenotypeFitness &w)
{
    const AlleleSet present = e.present();
    for (int k = 0; k < e.multiplierCount; ++k) {
        Multiplier &m = e.multipliers[static_cast<std::size_t>(k)];
        if (m.against == 0)
            m.kind = decided(e, w, m, present);
    }
    const bool faceApproached = isApproached(e.alongFace());
    for (int k = 0; k < e.multiplierCount; ++k) {
        Multiplier &m = e.multipliers[static_cast<std::size_t>(k)];
        if (m.against != 0 && faceApproached)
            m.kind = decided(e, w, m, present);
    }
    combine(e);
}


Equilibrium vertexEquilibrium(int n, int allele, Extended wmed)
{
    Equilibrium e;
    e.alleles = n;
    e.p = vertex(allele);
    e.meanFitness = wmed;
    e.multiplierCount = n - 1;
    return e;
}

// --- 2 alleles --------------------------------------------------------------

void twoAlleles(const TGenotypeFitness &w, EquilibriumSet &set)
{
    const Extended w11 = w[1], w12 = w[2], w22 = w[3];
    const PairSystem s = pairSystem(w11, w12, w22);
    FaceNote note;
    note.alleles = allAlleles(2);
    note.status = s.status;
    if (s.status == FaceStatus::EveryPoint) {
        note.from = vertex(1);
        note.to = vertex(2);
        set.faces.push_back(note);
        return;
    }
    Equilibrium fixed1 = vertexEquilibrium(2, 1, w11);
    fixed1.multipliers[0] = {invasionFactor(w11, w12, w22), 2};
    finish(fixed1);
    set.points.push_back(fixed1);

    Equilibrium fixed2 = vertexEquilibrium(2, 2, w22);
    fixed2.multipliers[0] = {invasionFactor(w22, w12, w11), 1};
    finish(fixed2);
    set.points.push_back(fixed2);

    if (s.inside) {
        Equilibrium e;
        e.alleles = 2;
        e.p[1] = s.pi;
        e.p[2] = s.pj;
        e.meanFitness = SelMeanFitness2(e.p, w);
        e.multiplierCount = 1;
        e.multipliers[0] = {s.slope, 0};
        finish(e);
        set.points.push_back(e);
    }
    set.faces.push_back(note);
}

// --- 3 alleles --------------------------------------------------------------

constexpr int kEdges[3][3] = {{1, 2, 3}, {1, 3, 2}, {2, 3, 1}};  // i, j, absent k

void threeVertices(const Matrix3 &f, EquilibriumSet &set)
{
    const auto &m = f.m;
    for (int i = 1; i <= 3; ++i) {
        Equilibrium e = vertexEquilibrium(3, i, m[i][i]);
        std::size_t slot = 0;
        for (int j = 1; j <= 3; ++j) {
            if (j != i)
                e.multipliers[slot++] = {invasionFactor(m[i][i], m[i][j], m[j][j]), j};
        }
        finish(e);
        set.points.push_back(e);
    }
}

void threeEdges(const Matrix3 &f, const TGenotypeFitness &w, EquilibriumSet &set)
{
    const auto &m = f.m;
    for (const auto &edge : kEdges) {
        const int i = edge[0], j = edge[1], k = edge[2];
        const PairSystem s = pairSystem(m[i][i], m[i][j], m[j][j]);
        FaceNote note;
        note.alleles = alleleBit(i) | alleleBit(j);
        note.status = s.status;
        if (s.status == FaceStatus::EveryPoint) {
            note.from = vertex(i);
            note.to = vertex(j);
        }
        set.faces.push_back(note);
        if (!s.inside)
            continue;
        Equilibrium e;
        e.alleles = 3;
        e.p[i] = s.pi;
        e.p[j] = s.pj;
        e.meanFitness = SelMeanFitness3(e.p, w);
        e.multiplierCount = 2;
        const Extended Wk = s.pi * m[i][k] + s.pj * m[j][k];
        e.multipliers[0] = {s.slope, 0};
        e.multipliers[1] = {Wk / s.wmed, k};
        finish(e);
        set.points.push_back(e);
    }
}

// The eigenvalues of the Jacobian at a point p with every allele present,
// restricted to the plane sum p = 0. There J = I + D (w - 2 1 W^T) / Wmed,
// D = diag(p), and the second term vanishes on the plane; in the basis
// e1 - e3, e2 - e3 the map x -> D w x has the matrix
//   [ p1 (w11 - w13)  p1 (w12 - w13) ]
//   [ p2 (w21 - w23)  p2 (w22 - w23) ],
// whose eigenvalues mu give 1 + mu / Wmed. D w is self-adjoint for the inner
// product weighted by 1 / p, so mu is real: a negative discriminant is
// rounding and counts as 0.
void interiorMultipliers(const Matrix3 &f, Equilibrium &e)
{
    const auto &m = f.m;
    const Extended p1 = e.p[1], p2 = e.p[2];
    const Extended a = p1 * (m[1][1] - m[1][3]);
    const Extended b = p1 * (m[1][2] - m[1][3]);
    const Extended c = p2 * (m[2][1] - m[2][3]);
    const Extended d = p2 * (m[2][2] - m[2][3]);
    const Extended half = (a + d) / 2;
    const Extended gap = (a - d) / 2;
    const Extended disc = gap * gap + b * c;
    const Extended root = disc > 0 ? std::sqrt(disc) : Extended(0);
    const Extended wmed = e.meanFitness;
    e.multiplierCount = 2;
    e.multipliers[0] = {1 + (half + root) / wmed, 0};
    e.multipliers[1] = {1 + (half - root) / wmed, 0};
}

// The ends of the segment {b . p = 0} across the simplex, when b has
// components of both signs: vertices k with b[k] = 0 and the edge points
// where b changes sign.
void segmentEnds(const Extended (&b)[4], Extended zero, FaceNote &note)
{
    TAlleleVector ends[4]{};
    int count = 0;
    for (int k = 1; k <= 3; ++k) {
        if (std::fabs(b[k]) <= zero)
            ends[count++] = vertex(k);
    }
    for (const auto &edge : kEdges) {
        const int i = edge[0], j = edge[1];
        if ((b[i] > zero && b[j] < -zero) || (b[i] < -zero && b[j] > zero)) {
            TAlleleVector p{};
            p[i] = b[j] / (b[j] - b[i]);
            p[j] = b[i] / (b[i] - b[j]);
            ends[count++] = p;
        }
    }
    note.from = ends[0];
    note.to = ends[1];
}

// The point inside, p = d / sum d with d = b1 x b2 as below, formed in
// 113-bit arithmetic from the fitnesses themselves: the row differences are
// exact there and the cross product's cancellation leaves far more than 64
// bits, so each p[i] is rounded once from a near-exact value.
void widePoint(const Extended (&m)[4][4], TAlleleVector &p)
{
    using Wide = WideReal;
    Wide b1[4]{}, b2[4]{};
    for (int j = 1; j <= 3; ++j) {
        b1[j] = Wide(m[1][j]) - Wide(m[2][j]);
        b2[j] = Wide(m[2][j]) - Wide(m[3][j]);
    }
    const Wide d[4] = {0, b1[2] * b2[3] - b1[3] * b2[2], b1[3] * b2[1] - b1[1] * b2[3],
                       b1[1] * b2[2] - b1[2] * b2[1]};
    const Wide sum = d[1] + d[2] + d[3];
    for (int i = 1; i <= 3; ++i)
        p[i] = static_cast<Extended>(d[i] / sum);
}

// The whole simplex: its note, and the point inside when there is one.
struct Interior {
    FaceNote note;
    bool inside = false;
    Equilibrium point;
};

// The point inside: W[1] = W[2] = W[3] and sum p = 1. With the row
// differences b1 = w[1.] - w[2.] and b2 = w[2.] - w[3.], the conditions are
// b1 . p = 0, b2 . p = 0, so p is along d = b1 x b2, scaled to sum 1. When
// the sum of d is 0 the system is singular: if d is not 0 there is no
// solution; otherwise b1 and b2 are parallel and every p with b . p = 0 is
// an equilibrium (b the larger of them), a segment when b has components of
// both signs. All of b1 and b2 at 0 is all fitnesses equal.
Interior threeInterior(const Matrix3 &f, const TGenotypeFitness &w)
{
    const auto &m = f.m;
    Extended b1[4]{}, b2[4]{};
    Extended size = 0, bSize = 0;
    for (int j = 1; j <= 3; ++j) {
        b1[j] = m[1][j] - m[2][j];
        b2[j] = m[2][j] - m[3][j];
        for (int i = 1; i <= 3; ++i)
            size = std::max(size, std::fabs(m[i][j]));
        bSize = std::max({bSize, std::fabs(b1[j]), std::fabs(b2[j])});
    }
    Interior result;
    FaceNote &note = result.note;
    note.alleles = allAlleles(3);
    if (bSize == 0) {
        note.status = FaceStatus::EveryPoint;
        return result;
    }
    const Extended d[4] = {0, b1[2] * b2[3] - b1[3] * b2[2], b1[3] * b2[1] - b1[1] * b2[3],
                           b1[1] * b2[2] - b1[2] * b2[1]};
    const Extended sum = d[1] + d[2] + d[3];
    const Extended dZero = Slack * Eps * size * bSize;
    if (std::fabs(sum) > dZero) {
        Equilibrium &e = result.point;
        e.alleles = 3;
        widePoint(m, e.p);
        note.status = FaceStatus::Point;
        if (e.p[1] > 0 && e.p[2] > 0 && e.p[3] > 0) {
            e.meanFitness = SelMeanFitness3(e.p, w);
            interiorMultipliers(f, e);
            finish(e);
            result.inside = true;
        }
        return result;
    }
    note.status = FaceStatus::None;
    const bool parallel = std::max({std::fabs(d[1]), std::fabs(d[2]), std::fabs(d[3])}) <= dZero;
    if (!parallel)
        return result;
    const Extended size1 = std::max({std::fabs(b1[1]), std::fabs(b1[2]), std::fabs(b1[3])});
    const Extended(&b)[4] = size1 == bSize ? b1 : b2;
    const Extended zero = Slack * Eps * size;
    const Extended high = std::max({b[1], b[2], b[3]});
    const Extended low = std::min({b[1], b[2], b[3]});
    // Otherwise b is proportional to (1, 1, 1), where b . p = 0 contradicts
    // sum p = 1, or the line b . p = 0 meets the simplex on its boundary only
    // (where the edges' own systems find it).
    if (high > zero && low < -zero) {
        note.status = FaceStatus::Segment;
        segmentEnds(b, zero, note);
    }
    return result;
}

void threeAlleles(const TGenotypeFitness &w, EquilibriumSet &set)
{
    const Matrix3 f(w);
    const Interior interior = threeInterior(f, w);
    if (interior.note.status == FaceStatus::EveryPoint) {
        for (const auto &edge : kEdges) {
            FaceNote note;
            note.alleles = alleleBit(edge[0]) | alleleBit(edge[1]);
            note.status = FaceStatus::EveryPoint;
            note.from = vertex(edge[0]);
            note.to = vertex(edge[1]);
            set.faces.push_back(note);
        }
    } else {
        threeVertices(f, set);
        threeEdges(f, w, set);
        if (interior.inside)
            set.points.push_back(interior.point);
    }
    set.faces.push_back(interior.note);
}

} // namespace

Stability stabilityOf(Extended modulus)
{
    if (modulus > 1 + kNeutralBand)
        return Stability::Unstable;
    if (modulus < 1 - kNeutralBand)
        return Stability::Stable;
    return Stability::Neutral;
}

Stability worstOf(Stability a, Stability b)
{
    const auto rank = [](Stability s) {
        switch (s) {
        case Stability::Stable:
            return 0;
        case Stability::Slow:
            return 1;
        case Stability::Neutral:
            return 2;
        case Stability::OneSided:
            return 3;
        case Stability::Unstable:
            break;
        }
        return 4;
    };
    return rank(a) >= rank(b) ? a : b;
}

Stability motionBeside(const std::vector<BesideRun> &runs, Stability approached)
{
    constexpr Extended Still = 1e-11L;
    bool closer = false, away = false, stays = false;
    for (const BesideRun &run : runs) {
        if (run.after < run.before * (1 - Still))
            closer = true;
        else if (run.after > run.before * (1 + Still))
            away = true;
        else
            stays = true;
    }
    if (closer && away)
        return Stability::OneSided;
    if (away)
        return Stability::Unstable;
    if (closer)
        return stays ? Stability::Neutral : approached;
    return Stability::Neutral;
}

AlleleSet Equilibrium::present() const
{
    AlleleSet set = 0;
    for (int i = 1; i <= alleles; ++i) {
        if (p[i] > 0)
            set |= alleleBit(i);
    }
    return set;
}

Extended Equilibrium::rate() const
{
    Extended largest = 0;
    for (int k = 0; k < multiplierCount; ++k)
        largest = std::max(largest, multipliers[static_cast<std::size_t>(k)].modulus());
    return largest;
}

Stability Equilibrium::stabilityWithin(AlleleSet set) const
{
    Stability kind = Stability::Stable;
    for (int k = 0; k < multiplierCount; ++k) {
        const Multiplier &m = multipliers[static_cast<std::size_t>(k)];
        if (m.against == 0 || (set & alleleBit(m.against)) != 0)
            kind = worstOf(kind, m.stability());
    }
    return kind;
}

Stability Equilibrium::againstAbsent() const
{
    Stability kind = Stability::Stable;
    for (int k = 0; k < multiplierCount; ++k) {
        const Multiplier &m = multipliers[static_cast<std::size_t>(k)];
        if (m.against != 0)
            kind = worstOf(kind, m.stability());
    }
    return kind;
}

bool Equilibrium::inside() const
{
    return present() == allAlleles(alleles);
}

std::vector<Equilibrium> EquilibriumSet::interior() const
{
    std::vector<Equilibrium> inside;
    for (const Equilibrium &e : points) {
        if (e.inside())
            inside.push_back(e);
    }
    return inside;
}

EquilibriumSet selectionEquilibria2(const TGenotypeFitness &w)
{
    fpClear();
    EquilibriumSet set;
    set.alleles = 2;
    set.points.reserve(3);
    twoAlleles(w, set);
    fpCheck();
    for (Equilibrium &e : set.points) {
        e.zeroMeanFitness = e.meanFitness == 0;
        decideBeside(e, w);
    }
    return set;
}

EquilibriumSet selectionEquilibria3(const TGenotypeFitness &w)
{
    fpClear();
    EquilibriumSet set;
    set.alleles = 3;
    set.points.reserve(7);
    set.faces.reserve(4);
    threeAlleles(w, set);
    fpCheck();
    for (Equilibrium &e : set.points) {
        e.zeroMeanFitness = e.meanFitness == 0;
        decideBeside(e, w);
    }
    return set;
}

EquilibriumSet mutationEquilibria(Extended u, Extended v)
{
    fpClear();
    fpBarrier(u, v);
    EquilibriumSet set;
    set.alleles = 2;
    FaceNote note;
    note.alleles = allAlleles(2);
    if (u == 0 && v == 0) {
        note.status = FaceStatus::EveryPoint;
        note.from = vertex(1);
        note.to = vertex(2);
        set.faces.push_back(note);
        return set;
    }
    const Extended s = u + v;
    Equilibrium e;
    e.alleles = 2;
    e.p[1] = v / s;
    e.p[2] = u / s;
    e.multiplierCount = 1;
    // The same r as the trajectories: q(t) - q^ = r^t (q(0) - q^).
    const Extended r = (1 - u) - v;
    const int against = u == 0 ? 2 : v == 0 ? 1 : 0;
    e.multipliers[0] = {r, against};
    finish(e);
    set.points.push_back(e);
    note.status = s == 2 ? FaceStatus::TwoCycle : FaceStatus::Point;
    set.faces.push_back(note);
    fpCheck();
    return set;
}

} // namespace morva
