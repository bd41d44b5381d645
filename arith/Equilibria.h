#ifndef MORVA_ARITH_EQUILIBRIA_H
#define MORVA_ARITH_EQUILIBRIA_H

// Equilibria: the allele frequencies a model's map leaves unchanged, and
// whether populations near each one approach it or move away.
//
// The stability of an equilibrium comes from the eigenvalues ("multipliers")
// of the map's Jacobian there, restricted to the simplex of frequencies: a
// small displacement along an eigenvector is multiplied by the eigenvalue
// every generation. Modulus below 1: stable; above 1: unstable. Where the
// modulus is 1 the linear terms cannot tell, and where the mean fitness is
// 0 the map has no derivative (it keeps the point, while populations beside
// it jump): there the map itself decides, stepped two generations from
// populations just beside the point (approached slowly, left, approached
// from one side and left on the other, or neither). With 2 alleles the one
// multiplier is the slope of the map p -> p'.
//
// A population in which an allele is absent never gains it under selection,
// so an equilibrium on a face of the simplex (some alleles absent) has two
// kinds of multiplier: those along its face, and for each absent allele k the
// factor W[k] / Wmed by which a rare k would grow or shrink ("against" k).
//
// Degenerate systems have equilibria that are not isolated points: every
// point of a face (all fitnesses of the face equal, or no mutation), a line
// of them (3 alleles, when two alleles' fitness differences are
// proportional), none inside a face (the linear system has no solution), or
// a two-cycle around the only equilibrium (mutation with u + v = 2). Each
// face of dimension 1 or more gets a note that says which.
//
// Fitnesses are finite and non-negative. Floating-point errors throw (only
// other inputs can raise them).

#include "arith/Extended.h"
#include "arith/PgMathSe.h"

#include <array>
#include <complex>
#include <vector>

namespace morva {

// How populations beside an equilibrium move.
enum class Stability {
    Stable,    // approached, geometrically
    Unstable,  // left
    Neutral,   // neither: they stay beside it (or alternate around it)
    Slow,      // approached more slowly than geometrically (a multiplier of 1)
    OneSided,  // approached from one side, left on the other
};

// Stable or Slow: populations beside it come to it.
inline bool isApproached(Stability kind)
{
    return kind == Stability::Stable || kind == Stability::Slow;
}

// A modulus within this of 1 counts as 1: exact ties among the parameters
// give multipliers of exactly 1, which the rounding of the formulas can move
// by a few units in the last place; real ones lie much farther from 1.
inline constexpr Extended kNeutralBand = 1e-12L;

// Stable below 1, unstable above 1, neutral at 1 (within kNeutralBand).
Stability stabilityOf(Extended modulus);

// The kind that moves the fewest populations to the point, in the order
// Unstable, OneSided, Neutral, Slow, Stable.
Stability worstOf(Stability a, Stability b);

// The step of a population just beside an equilibrium: its distance from
// the equilibrium before and two generations later.
struct BesideRun {
    Extended before = 0;
    Extended after = 0;
};

// How populations beside an equilibrium move, from the runs on each side
// that has populations (one or two): each comes closer, moves away or stays
// (within 1e-11 of its distance). Every run closer: `approached` (Slow where
// the slope is 1, Stable where the mean fitness is 0); some closer and some
// away: OneSided; any away otherwise: Unstable; otherwise Neutral.
Stability motionBeside(const std::vector<BesideRun> &runs, Stability approached);

// The distance from an equilibrium at which motionBeside starts its runs.
inline constexpr Extended kBesideDistance = 1.0L / 16384;

// One eigenvalue of the restricted Jacobian.
struct Multiplier {
    // Real for selection (the Jacobian is self-adjoint in a suitable inner
    // product); complex values are allowed for other maps. An infinite value
    // marks a population whose mean fitness is 0: the map holds it still,
    // while populations beside it jump.
    std::complex<Extended> value;
    // 0 for a direction along the equilibrium's face, otherwise the absent
    // allele whose invasion the multiplier measures.
    int against = 0;
    // How populations beside the point in this direction move: from the
    // modulus, or where it is 1 or infinite from the map itself.
    Stability kind = Stability::Neutral;

    Extended modulus() const { return std::abs(value); }
    Stability stability() const { return kind; }
};

// Bit (i - 1) of an allele set stands for allele i.
using AlleleSet = unsigned;
inline constexpr AlleleSet alleleBit(int allele) { return 1u << (allele - 1); }

// One isolated equilibrium.
struct Equilibrium {
    int alleles = 0;              // coordinates p[1..alleles] are used
    TAlleleVector p{};            // the frequencies
    Extended meanFitness = 0;     // selection: Wmed at p by the model's own formula
    bool zeroMeanFitness = false; // the mean fitness is 0: the map has no slope here
    Stability kind = Stability::Neutral;
    int multiplierCount = 0;      // alleles - 1
    std::array<Multiplier, 2> multipliers{};

    // The alleles present (p[i] > 0).
    AlleleSet present() const;
    // Every allele present: the point lies inside the whole simplex.
    bool inside() const;
    // The multiplier of a 2-allele system: the slope of the map.
    Extended slope() const { return multipliers[0].value.real(); }
    // The largest modulus: the factor by which the distance to the
    // equilibrium shrinks (or grows) per generation near it.
    Extended rate() const;
    // Stability counting only the multipliers along the face and those
    // against the alleles in `alleles`: the stability for populations in
    // which only those alleles (and the present ones) occur.
    Stability stabilityWithin(AlleleSet alleles) const;
    // Along the face only / against the absent alleles only (Stable when
    // there is no such multiplier).
    Stability alongFace() const { return stabilityWithin(0); }
    Stability againstAbsent() const;
};

enum class FaceStatus {
    Point,       // the equations have one solution; it is listed when it
                 // lies inside the face, otherwise the face has none inside
    None,        // the equations have no solution: no equilibrium inside
    EveryPoint,  // every point of the face is an equilibrium
    Segment,     // the equilibria inside form the segment from..to
    TwoCycle,    // one equilibrium; every other point alternates between two
};

// What the equilibria inside one face of dimension 1 or more are.
struct FaceNote {
    AlleleSet alleles = 0;
    FaceStatus status = FaceStatus::Point;
    // The ends of the equilibria: a Segment's, and for an edge (or the whole
    // 2-allele system) with EveryPoint, its vertices.
    TAlleleVector from{};
    TAlleleVector to{};
};

struct EquilibriumSet {
    int alleles = 0;
    // Isolated equilibria: vertices (allele 1 first), then points inside the
    // edges (1-2, 1-3, 2-3), then the point inside the whole simplex.
    std::vector<Equilibrium> points;
    // One note per face of dimension 1 or more, edges first; the whole
    // simplex last.
    std::vector<FaceNote> faces;

    // The note on the whole simplex.
    const FaceNote &whole() const { return faces.back(); }
    // Copies of the isolated equilibria with every allele present (to keep
    // a reference to one, filter `points` with Equilibrium::inside()).
    std::vector<Equilibrium> interior() const;
};

// Selection with 2 alleles, p' = p W[1] / Wmed, fitnesses w[1..3] =
// (w11, w12, w22): the fixations p[1] = 1 (slope w12 / w11) and p[1] = 0
// (slope w12 / w22), and p[1] = (w22 - w12) / (w11 - 2 w12 + w22) when it
// lies strictly inside (slope 1 + p q (w11 - 2 w12 + w22) / Wmed). Every p is
// an equilibrium when w11 = w12 = w22; none is inside when the denominator
// is 0 otherwise.
EquilibriumSet selectionEquilibria2(const TGenotypeFitness &w);

// Selection with 3 alleles, fitnesses w[1..6] = (w11, w12, w13, w22, w23,
// w33): the 3 fixations, the inside point of each edge's 2-allele system,
// and the solution of W[i] = Wmed (i = 1..3), sum p = 1 when it is strictly
// positive.
EquilibriumSet selectionEquilibria3(const TGenotypeFitness &w);

// Mutation A1 -> A2 at rate u, A2 -> A1 at rate v: p[2] = u / (u + v),
// slope 1 - u - v (stable for 0 < u + v < 2). Every point is an equilibrium
// when u = v = 0; with u + v = 2 every other point alternates around it.
EquilibriumSet mutationEquilibria(Extended u, Extended v);

} // namespace morva

#endif
