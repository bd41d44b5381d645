#ifndef MORVA_ARITH_FREQUENCYDEPENDENT_H
#define MORVA_ARITH_FREQUENCYDEPENDENT_H

// Frequency-dependent selection: one locus, alleles A1 and A2, each
// genotype's fitness a straight line in its own frequency before selection,
// w11 = a11 + b11 p^2, w12 = a12 + b12 2 p q, w22 = a22 + b22 q^2 (a: base
// fitness, b: slope; a negative slope favours the rare genotype). Then
// selection as with constant fitnesses, p' = p W1 / Wmed.

#include "arith/Extended.h"
#include "arith/FixedPoints.h"
#include "arith/PgMathSe.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace morva {

inline constexpr std::int32_t FreqDepMaxGenerations = 1000000;

struct FreqDepParams {
    TAlleleVector p0;      // p[1], p[2] of generation 0 (element 3 unused)
    TGenotypeFitness a;    // base fitnesses a11, a12, a22 in elements 1..3
    TGenotypeFitness b;    // slopes b11, b12, b22 in elements 1..3
    std::int32_t ng = 0;   // generations, 0..FreqDepMaxGenerations
};

enum class FreqDepStopReason {
    NegativeFitness,   // a genotype's fitness is below 0
    ZeroMeanFitness,   // Wmed is 0: p' is not defined
};

// Why and where a run stopped before its last generation.
struct FreqDepStop {
    std::int32_t generation = 0;   // the first generation that cannot be selected
    FreqDepStopReason reason = FreqDepStopReason::NegativeFitness;
    int genotype = 0;              // NegativeFitness: the first of 1 (A1A1),
                                   // 2 (A1A2), 3 (A2A2) below 0; otherwise 0
};

// The stored generations of a run. Entry k holds generation t[k]; every
// vector has the same length. The fitnesses are those of generation t[k]'s
// selection, formed from its frequencies.
struct FreqDepTrajectory {
    std::vector<std::int32_t> t;   // generation numbers (storedGenerations)
    std::vector<Extended> p1;      // frequency of A1 at the start of generation t[k]
    std::vector<Extended> p2;      // frequency of A2 at the start of generation t[k]
    std::vector<Extended> w11, w12, w22;   // genotype fitnesses
    std::vector<Extended> W1, W2;  // allele fitnesses
    std::vector<Extended> wmed;    // mean fitness
    std::vector<Extended> deltaP;  // p1' - p1 of generation t[k]'s selection
    std::optional<FreqDepStop> stop;   // set when the run stopped early
};

// The trajectory. Per generation g, from (p1, p2) as carried (p2 standing
// for q): w11 = a11 + b11 (p1 p1); w12 = a12 + b12 (2 p1 p2); w22 = a22 +
// b22 (p2 p2); then the selection model's step with these fitnesses, term
// by term: W1 = p1 w11 + p2 w12; W2 = p1 w12 + p2 w22; Wmed = p1 p1 w11 +
// 2 p1 p2 w12 + p2 p2 w22; p1' = (p1 W1) / Wmed, p2' = (p2 W2) / Wmed.
// With b = 0 every fitness is its a to the bit (a + 0 = a), so the run is
// the selection model's to the bit. A generation with a fitness below 0,
// or else with Wmed = 0, stops the run: out keeps the stored generations
// before it and out.stop says which and why. The last generation's p1' is
// formed too, for its deltaP. ng outside 0..FreqDepMaxGenerations is a range
// error. Floating-point errors throw at the first stored generation (or
// the stop) at or after the one that raised them; out keeps the
// generations stored until then.
void runFreqDep(const FreqDepParams &in, FreqDepTrajectory &out);

// delta-p against p = i / intervals, i = 0..intervals.
struct FreqDepCurve {
    std::vector<Extended> p;
    std::vector<Extended> delta;   // expected delta-p of one generation; 0 where undefined
    std::vector<bool> defined;     // false where a fitness is below 0 or Wmed is 0
};

// The expected curve at p = i / intervals (q = 1 - p): the fitnesses at
// (p, q) as in the run, then (p q)(p d1 - q d2) / wm with d1 = w11 - w12,
// d2 = w22 - w12, wm = p p w11 + 2 w12 p q + q q w22: the selection
// model's expected curve, to the bit when b = 0. intervals < 1 is a range
// error. Floating-point errors throw.
void computeFreqDepCurve(const FreqDepParams &in, std::int32_t intervals, FreqDepCurve &out);

// The equilibria on [0, 1]: the ends 0 and 1, and the roots of W1 - W2 =
// p (w11 - w12) + q (w12 - w22), a cubic in p, found by rootsOnUnitInterval
// (FixedPoints.h); a point where a fitness is below 0 is left out (the run
// stops there). The slope is the map's derivative written out in closed
// form (FrequencyDependent.cpp), none where Wmed is 0; the kind from |slope|
// (stabilityOf), unstable where there is no slope. everyPoint when W1 -
// W2 is 0 for every p. Floating-point errors throw.
FixedPoints freqDepFixedPoints(const FreqDepParams &in);

} // namespace morva

#endif
