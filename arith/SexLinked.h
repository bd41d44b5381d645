#ifndef MORVA_ARITH_SEXLINKED_H
#define MORVA_ARITH_SEXLINKED_H

// A sex-linked (X-linked) locus with alleles A1 and A2: pf and pm are the
// A1 frequencies in females and males. Males take their X from their
// mothers, females one X from each parent.

#include "arith/Extended.h"

#include <cstdint>
#include <vector>

namespace morva {

inline constexpr std::int32_t SexLinkedMaxGenerations = 1000;

struct SexLinkedParams {
    Extended pf = 0;       // females, generation 0
    Extended pm = 0;       // males, generation 0
    std::int32_t ng = 0;   // generations, 0..SexLinkedMaxGenerations
};

// Entry k holds generation t[k] (every generation 0..ng).
struct SexLinkedTrajectory {
    std::vector<std::int32_t> t;
    std::vector<Extended> pf, pm;
    std::vector<Extended> difference;   // pf - pm
    std::vector<Extended> population;   // (2 pf + pm) / 3, the same every generation
};

// (2 pf + pm) / 3: the population's A1 frequency, which every generation
// keeps and both sexes approach. Floating-point errors throw.
Extended sexLinkedLimit(Extended pf, Extended pm);

// The trajectory: generation 0 holds the entered pf, pm; per generation
// pf' = (pf + pm) / 2 and pm' = pf, both from the previous generation. Each
// stored generation also gets pf - pm and (2 pf + pm) / 3 of its own
// frequencies. ng outside 0..SexLinkedMaxGenerations is a range error.
// Floating-point errors throw once the generation that raised them is
// stored.
void runSexLinked(const SexLinkedParams &in, SexLinkedTrajectory &out);

} // namespace morva

#endif
