#ifndef MORVA_ARITH_SELECTIONMUTATION_H
#define MORVA_ARITH_SELECTIONMUTATION_H

// Selection with mutation: one locus, alleles A1 and A2, constant genotype
// fitnesses w11, w12, w22, mutation A1 -> A2 at rate u and A2 -> A1 at rate
// v per generation. Each generation selection acts on the zygotes, then
// mutation in the gametes.

#include "arith/Extended.h"
#include "arith/FixedPoints.h"
#include "arith/PgMathSe.h"
#include "arith/TwoAlleleSelection.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace morva {

inline constexpr std::int32_t SelMutMaxGenerations = 1000000;

struct SelMutParams {
    TAlleleVector p0;      // p[1], p[2] of generation 0 (element 3 unused)
    TGenotypeFitness w;    // w11, w12, w22 in elements 1..3
    Extended u = 0;        // rate A1 -> A2
    Extended v = 0;        // rate A2 -> A1
    std::int32_t ng = 0;   // generations, 0..SelMutMaxGenerations
};

using SelMutTrajectory = TwoAlleleTrajectory;

// delta-p[1] against p[1] = i / intervals, i = 0..intervals.
struct SelMutCurves {
    std::vector<Extended> p;
    std::vector<Extended> selection;   // selection alone
    std::vector<Extended> mutation;    // mutation alone
    std::vector<Extended> total;       // one generation of the model
};

// The textbook approximation of the balance for the deleterious allele.
enum class SelMutBalanceKind {
    Recessive,       // frequency sqrt(rate / s)
    PartlyDominant,  // frequency rate / (h s)
};

struct SelMutBalance {
    int allele = 2;                 // the deleterious allele: 1 or 2
    SelMutBalanceKind kind = SelMutBalanceKind::Recessive;
    Extended s = 0;                 // selection against its homozygote
    Extended h = 0;                 // dominance (0 when recessive)
    Extended frequency = 0;         // its approximate equilibrium frequency
};

// The trajectory. Per generation g, from (p1, p2): W1 = p1 w11 + p2 w12;
// W2 = p1 w12 + p2 w22; Wmed = p1 p1 w11 + 2 p1 p2 w12 + p2 p2 w22 (stored
// with p1 and p2 when g is a stored generation); selection ps1 = (p1 W1) /
// Wmed, ps2 = (p2 W2) / Wmed (ps = p when Wmed is 0); mutation p1' = ps1
// (1 - u) + ps2 v, p2' = ps2 (1 - v) + ps1 u, with 1 - u and 1 - v formed
// once. Both frequencies are carried, ps2 standing for 1 - ps1, exactly as
// the selection model carries them, so u = v = 0 gives its trajectory to
// the bit. ng outside 0..SelMutMaxGenerations is a range error.
// Floating-point errors throw at the first stored generation at or after
// the one that raised them; out keeps the generations stored until then.
void runSelMut(const SelMutParams &in, SelMutTrajectory &out);

// The same run with every generation 0..ng, each handed to visit in order
// and never stored: each one the same bits as runSelMut stores for it.
void visitSelMut(const SelMutParams &in, const TwoAlleleVisitor &visit);

// The expected curves at p = i / intervals (q = 1 - p): selection =
// (p q)(p d1 - q d2) / wm as in the selection model (0 where wm is 0);
// mutation = v - (u + v) p; total = selection + (v - (u + v) (p +
// selection)), the change of one whole generation, mutation acting on the
// selected frequency. intervals < 1 is a range error. Floating-point errors
// throw.
void computeSelMutCurves(const SelMutParams &in, std::int32_t intervals, SelMutCurves &out);

// The equilibria: roots on [0, 1] of p W1 (q - u) - q W2 (p - v) (with q =
// 1 - p, W1 = p w11 + q w12, W2 = p w12 + q w22: the numerator of p' - p,
// a cubic, evaluated as p q (W1 - W2) - u p W1 + v q W2 so that nothing
// cancels), with the slope (1 - u - v) S'(p) of the map, S the selection
// step (TwoAlleleSelection.h); only roots that runSelMut's generation keeps
// (FixedPoints.h). Floating-point errors throw.
FixedPoints selMutFixedPoints(const SelMutParams &in);

// sqrt(u / s): the balance of a recessive deleterious allele made at rate u
// whose homozygote has fitness 1 - s. Floating-point errors throw.
Extended recessiveBalance(Extended u, Extended s);

// u / (h s): the balance of a partly dominant deleterious allele made at
// rate u, heterozygote fitness 1 - h s. Floating-point errors throw.
Extended partlyDominantBalance(Extended u, Extended h, Extended s);

// The approximation that applies to (w11, w12, w22): the allele whose
// homozygote is less fit is deleterious; fitnesses relative to the other
// homozygote's, s = (w_other - w_del) / w_other and h s = (w_other -
// w12) / w_other. Recessive when w12 equals w_other; partly dominant when
// w_del <= w12 < w_other (h = h s / s); none otherwise (equal homozygotes,
// a zero reference fitness, over- or underdominance). The rate is u for A2
// and v for A1. Floating-point errors throw.
std::optional<SelMutBalance> selMutBalance(const TGenotypeFitness &w, Extended u, Extended v);

} // namespace morva

#endif
