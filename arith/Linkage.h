#ifndef MORVA_ARITH_LINKAGE_H
#define MORVA_ARITH_LINKAGE_H

// Linkage disequilibrium between two loci with alleles A, a and B, b:
// gamete frequencies AB, Ab, aB, ab; recombination fraction r. The allele
// frequencies never change; the disequilibrium D decays by the factor
// 1 - r each generation.

#include "arith/Extended.h"
#include "arith/RangeArray.h"

#include <cstdint>
#include <vector>

namespace morva {

inline constexpr std::int32_t LinkageMaxGenerations = 1000;

// Gamete frequencies: 1 AB, 2 Ab, 3 aB, 4 ab.
using GameteFrequencies = RangeArray<Extended, 1, 4>;

struct LinkageParams {
    GameteFrequencies x0;  // generation 0
    Extended r = 0;        // recombination fraction, 0..0.5
    std::int32_t ng = 0;   // generations, 0..LinkageMaxGenerations
};

// What never changes along a run, and where it goes.
struct LinkageAlleles {
    Extended pA = 0, pa = 0, pB = 0, pb = 0;  // pA = AB + Ab, pa = aB + ab, pB = AB + aB, pb = Ab + ab
    Extended D0 = 0;                          // AB ab - Ab aB
    GameteFrequencies equilibrium;            // pA pB, pA pb, pa pB, pa pb
};

// Entry k holds generation t[k] (every generation 0..ng).
struct LinkageTrajectory {
    std::vector<std::int32_t> t;
    std::vector<Extended> AB, Ab, aB, ab;
    std::vector<Extended> D;         // by the recurrence
    std::vector<Extended> Dclosed;   // D0 (1 - r)^t, the expected curve
    // r^2 = D^2 / (pA pa pB pb). The denominator is the same every
    // generation: when it is 0 (an allele absent) r^2 is undefined,
    // r2Defined is false and r2 stays empty.
    bool r2Defined = false;
    std::vector<Extended> r2;
};

// In the order of the fields above. Floating-point errors throw.
LinkageAlleles linkageAlleles(const GameteFrequencies &x);

// D0 (1 - r)^t, with 1 - r formed first and the power from the library's
// powl. Floating-point errors throw.
Extended linkageDisequilibriumAt(Extended D0, Extended r, std::int32_t t);

// The trajectory: generation 0 holds the entered gametes and D0; per
// generation D' = (1 - r) D (1 - r formed once), then AB = pA pB + D,
// Ab = pA pb - D, aB = pa pB - D, ab = pa pb + D with the allele
// frequencies of linkageAlleles. Each stored generation also gets
// Dclosed = linkageDisequilibriumAt(D0, r, t) and, when pA pa pB pb
// (formed in that order) is not 0, r^2 = (D D) / (pA pa pB pb). ng outside
// 0..LinkageMaxGenerations is a range error. Floating-point errors throw
// once the generation that raised them is stored.
void runLinkage(const LinkageParams &in, LinkageTrajectory &out);

} // namespace morva

#endif
