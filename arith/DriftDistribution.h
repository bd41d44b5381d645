#ifndef MORVA_ARITH_DRIFTDISTRIBUTION_H
#define MORVA_ARITH_DRIFTDISTRIBUTION_H

// The exact distribution of the allele count of one deme under drift: the
// Wright-Fisher Markov chain over the counts 0..2 Ne with the forces of
// arith/Drift.h (migration from the continent, selection, mutation, then
// binomial sampling of 2 Ne gene copies), in Extended.
//
// The chain is time-homogeneous, so its transition rows are computed once:
// row i is Binomial(2 Ne, p_i) with p_i the frequency i / (2 Ne) after the
// forces. Generation 0 holds p0 as given; generation 1 is the binomial row of
// p0 after the forces, whether or not p0 is a multiple of 1 / (2 Ne).
//
// Truncation: a row keeps the band of counts around its mode outside which
// the rest of the row is provably below DriftRowDropBound. Beyond the mode
// the ratio of neighbouring terms, (n - j) / (j + 1) * p / q upwards and
// j / (n - j + 1) * q / p downwards, only falls, so the tail past a term t
// whose ratio to the next term is r < 1 is at most t r / (1 - r) (a
// geometric series); the band ends at the first term where that bound is
// below DriftRowDropBound / 2 of the row's sum so far. The kept terms are
// scaled to sum to 1, so the mass the band leaves out goes to the kept terms
// in proportion: each row, and hence each generation's distribution (a
// mixture of rows), differs from the untruncated chain's by less than
// DriftRowDropBound = 1e-17 in total variation, well below 1e-15 per
// generation, and its mass stays 1 up to rounding.

#include "arith/Drift.h"
#include "arith/Extended.h"

#include <cstdint>
#include <vector>

namespace morva {

// The largest Ne whose distribution is computed (2 Ne + 1 states).
inline constexpr std::int32_t DriftExactMaxNe = 500;
// The bound on each row's mass outside its band, stated above.
inline constexpr Extended DriftRowDropBound = 1e-17L;

// One binomial row kept as its band: probability of count first + k in
// values[k].
struct DriftRow {
    std::int32_t first = 0;
    std::vector<Extended> values;
};

// The band of Binomial(n, p) as stated above (p in [0, 1]; p = 0 and p = 1
// give the one count 0 or n).
DriftRow driftBinomialRow(std::int32_t n, Extended p);

// The distribution at one stored generation.
struct DriftExactGeneration {
    std::int32_t time = 0;
    Extended mass = 0;      // sum of the probabilities
    Extended mean = 0;      // of p
    Extended variance = 0;  // of p
    Extended fixed = 0;     // probability that p = 1
    Extended lost = 0;      // probability that p = 0
    // Quantiles of p: the least k / (2 Ne) whose cumulative probability
    // reaches 5 %, 25 %, 75 %, 95 %.
    Extended q05 = 0, q25 = 0, q75 = 0, q95 = 0;
};

struct DriftExact {
    // One row per stored generation (driftStoredTimes), row 0 generation 0.
    std::vector<DriftExactGeneration> rows;
    // The probability of each count 0..2 Ne after the last generation.
    std::vector<Extended> final;
};

// Whether the exact distribution applies: Ne <= DriftExactMaxNe and the
// demes independent (no island migration).
bool driftExactApplies(const DriftInput &input);

// The chain for the input's forces, Ne and generations (p0 and the seed
// aside). ERangeError when it does not apply or an input is out of range.
DriftExact driftExactDistribution(const DriftInput &input);
// The same with a row for every generation 0..generations.
DriftExact driftExactEveryGeneration(const DriftInput &input);

} // namespace morva

#endif
