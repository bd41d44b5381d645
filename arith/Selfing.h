#ifndef MORVA_ARITH_SELFING_H
#define MORVA_ARITH_SELFING_H

// Inbreeding by partial selfing: one locus, alleles A1 and A2, genotype
// frequencies P (A1A1), H (A1A2), Q (A2A2). Each generation a fraction s of
// the offspring comes from selfing and 1 - s from random mating; the allele
// frequencies never change.

#include "arith/Extended.h"

#include <cstdint>
#include <vector>

namespace morva {

inline constexpr std::int32_t SelfingMaxGenerations = 1000;

struct SelfingParams {
    Extended P = 0;        // A1A1 of generation 0
    Extended H = 0;        // A1A2 of generation 0
    Extended Q = 0;        // A2A2 of generation 0
    Extended s = 0;        // selfing rate, 0..1
    std::int32_t ng = 0;   // generations, 0..SelfingMaxGenerations
};

// What never changes along a run, and where it goes.
struct SelfingEquilibrium {
    Extended p = 0, q = 0;            // p = P + H / 2, q = Q + H / 2
    Extended hwP = 0, hwH = 0, hwQ = 0;  // Hardy-Weinberg: p p, 2 p q, q q
    Extended F = 0;                   // s / (2 - s)
    Extended P = 0, H = 0, Q = 0;     // H = (1 - s) 2 p q / (1 - s / 2), P = p - H / 2, Q = q - H / 2
};

// Entry k holds generation t[k] (every generation 0..ng).
struct SelfingTrajectory {
    std::vector<std::int32_t> t;
    std::vector<Extended> P, H, Q;
    // F = 1 - H / (2 p q). 2 p q is the same for every generation: when it is
    // 0 (one allele absent) F is undefined, inbreedingDefined is false and F
    // stays empty.
    bool inbreedingDefined = false;
    std::vector<Extended> F;
};

// In this order: p = P + H / 2 and q = Q + H / 2 of the entered
// frequencies; hwP = p p, hwH = (2 p) q, hwQ = q q; F = s / (2 - s);
// H = ((1 - s) hwH) / (1 - s / 2); P = p - H / 2; Q = q - H / 2.
// Floating-point errors throw.
SelfingEquilibrium selfingEquilibrium(const SelfingParams &in);

// The trajectory: generation 0 holds the entered P, H, Q; then per
// generation, with r = 1 - s and the Hardy-Weinberg values of
// selfingEquilibrium formed once: P' = r hwP + s (P + H / 4), H' = r hwH +
// s (H / 2), Q' = r hwQ + s (Q + H / 4). F = 1 - H / hwH per stored
// generation when hwH is not 0. So s = 0 gives the Hardy-Weinberg values
// from generation 1 on, exactly. ng outside 0..SelfingMaxGenerations is a
// range error. Floating-point errors throw once the generation that raised
// them is stored.
void runSelfing(const SelfingParams &in, SelfingTrajectory &out);

// The closed form H_t = Hhat + (H0 - Hhat) (s / 2)^t, with the power from
// the library's powl. Floating-point errors throw.
Extended selfingHeterozygosity(Extended H0, Extended Hhat, Extended s, std::int32_t t);

} // namespace morva

#endif
