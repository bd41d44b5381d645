#ifndef MORVA_ARITH_DRIFT_H
#define MORVA_ARITH_DRIFT_H

// Drift: Wright-Fisher replicate populations (demes) of Ne diploids (2 Ne gene
// copies) at one locus with alleles A1 (frequency p) and A2 (frequency q).
//
// Each generation, in this order, in every deme that can still change:
//   0. migration at rate m from the source s: p_m = (1 - m) p + m s,
//      q_m = (1 - m) q + m (1 - s), where s is the continent's fixed
//      frequency pc, or in the island model the mean p over all demes at the
//      start of the generation (the demes are then one metapopulation);
//   1. selection, in Extended, with the selection unit's formulas:
//        W1 = p w11 + q w12,  Wmed = p p w11 + 2 p q w12 + q q w22,
//        p_s = (p W1) / Wmed  (p_s = p when Wmed is 0); when w11 = w12 = w22
//        there is no selection and p_s = p exactly;
//   1b. mutation A1 -> A2 at rate u and A2 -> A1 at rate v:
//        p_u = (1 - u) p_s + v q_s, q_u = u p_s + (1 - v) q_s;
//   Steps 0 and 1b are left out when their rates are 0, so that a run
//   without migration and mutation is the run of selection alone, bit for
//   bit. The probability below is then p_u in place of p_s.
//   2. p_s is converted once to double (round to nearest; a value an ulp
//      above 1 becomes 1), the probability the binomial distribution takes;
//   3. sampling: k = Binomial(2 Ne, p_s); the new p = k / (2 Ne) and
//      q = (2 Ne - k) / (2 Ne), each one correctly rounded Extended division.
// A deme whose count is 0 (lost) or 2 Ne (fixed) and which the forces leave
// there (p_u = p: no mutation into it, no migrants of the other allele)
// stays there and draws nothing more. Generation 0 holds p0 as given (it need not be a
// multiple of 1 / (2 Ne)); the first draw samples from it.
//
// Random numbers: Boost.Random, whose algorithms are fixed by its source.
// Each replicate r (0-based) has its own boost::random::mt19937_64, seeded by
// a boost::random::seed_seq of the three 32-bit words (seed mod 2^32,
// seed div 2^32, r); see driftReplicateEngine. Each draw is
// boost::random::binomial_distribution<std::int32_t, double>(2 Ne, p_s)
// applied to that engine, which takes as many engine outputs as the
// distribution's algorithm needs. So a replicate's trajectory depends only on
// the seed, its index r, p0, Ne and the fitnesses: a run with more replicates
// or more generations has the shorter run's frequencies, bit for bit, at
// every generation both store (in the island model a deme's trajectory also
// depends on the others', through the pool).
//
// Statistics over replicates are formed from exact integer sums of the counts
// (sum of k, sum of k (2 Ne - k)), then one Extended division each, so they do
// not depend on the order of summation.

#include "arith/Extended.h"
#include "arith/PgMathSe.h"

#include <boost/random/mersenne_twister.hpp>

#include <cstdint>
#include <vector>

namespace morva {

inline constexpr std::int32_t DriftMaxNe = 1000000;
inline constexpr std::int32_t DriftMaxGenerations = 10000;
// Replicates of driftRun (the window's run, trajectories kept).
inline constexpr std::int32_t DriftMaxReplicates = 200;
// Replicates of driftSimulate without trajectories. Bounded so that the sum
// of k (2 Ne - k), at most replicates * Ne^2, fits 64 bits and stays an
// exact Extended.
inline constexpr std::int32_t DriftMaxBulkReplicates = 1000000;
// Generations up to this one are all stored; beyond, DriftMaxStored evenly
// spaced ones are.
inline constexpr std::int32_t DriftEveryGeneration = 1000;
inline constexpr std::int32_t DriftMaxStored = 1001;

// Where migrants come from: a continent of fixed frequency pc, or the pool of
// all demes (the island model).
enum class DriftSource { Continent, Island };

// w11 = w12 = w22 = 1: no selection.
constexpr TGenotypeFitness driftNeutralFitness()
{
    TGenotypeFitness w;
    w[1] = w[2] = w[3] = 1;
    return w;
}

struct DriftInput {
    Extended p0 = 0.5L;              // 0..1
    std::int32_t ne = 50;            // 1..DriftMaxNe diploids
    std::int32_t replicates = 20;    // 1..DriftMaxReplicates (driftRun)
    std::int32_t generations = 200;  // 1..DriftMaxGenerations
    TGenotypeFitness fitness = driftNeutralFitness();  // w11, w12, w22 in elements 1..3: finite, >= 0, not all 0
    std::uint64_t seed = 0;
    Extended m = 0;                  // migration rate, 0..1
    DriftSource source = DriftSource::Continent;
    Extended pc = 0.5L;              // the continent's frequency of A1, 0..1
    Extended u = 0;                  // mutation rate A1 -> A2, 0..1
    Extended v = 0;                  // mutation rate A2 -> A1, 0..1

    bool operator==(const DriftInput &) const = default;
};

// Migration, selection and mutation (steps 0, 1 and 1b above) on one deme.
class DriftForces {
public:
    explicit DriftForces(const DriftInput &in);
    // The frequency of A1 after the forces, from p, q = 1 - p and the
    // migrants' source frequency (pc, or the island pool). Floating-point
    // errors throw (only overflow can occur, with huge fitnesses).
    Extended apply(Extended p, Extended q, Extended source) const;
    // Whether the forces can move a deme at all (some rate or fitness
    // difference).
    bool migration() const { return m_m != 0; }
    bool mutation() const { return m_u != 0 || m_v != 0; }

private:
    Extended m_w11, m_w12, m_w22, m_m, m_u, m_v;
    bool m_neutral;
};

// The statistics of one stored generation over all replicates.
struct DriftGeneration {
    std::int32_t time = 0;
    Extended meanP = 0;      // mean of p
    Extended fixed = 0;      // fraction of replicates with p = 1
    Extended lost = 0;       // fraction of replicates with p = 0
    std::int32_t fixedCount = 0;  // replicates with p = 1
    std::int32_t lostCount = 0;   // replicates with p = 0
    Extended meanH = 0;      // mean observed heterozygosity 2 p q
    Extended expectedH = 0;  // H_0 (1 - 1 / (2 Ne))^t with H_0 = 2 p0 (1 - p0)
    // F_ST among demes: the variance of p over pbar (1 - pbar), exactly
    // 1 - mean(2 p q) / (2 pbar (1 - pbar)); undefined (fstDefined false, fst
    // 0) when every deme is fixed or every deme lost.
    Extended fst = 0;
    bool fstDefined = false;
    // Its expectation: 1 - (1 - 1 / (2 Ne))^t without migration; with
    // migration the island model's equilibrium 1 / (1 + 4 Ne m), an
    // approximation for small m.
    Extended expectedFst = 0;
    std::int32_t polymorphic = 0;  // demes holding both alleles
    Extended noDrift = 0;    // p of a population under the same forces without sampling

    bool operator==(const DriftGeneration &) const = default;
};

struct DriftResult {
    DriftInput input;
    // One row per stored generation (driftStoredTimes), row 0 is generation 0.
    std::vector<DriftGeneration> rows;
    // Each replicate's count k and frequency k / (2 Ne) after the last generation.
    std::vector<std::int32_t> finalCounts;
    std::vector<Extended> finalFreqs;
    // p of replicate r at stored generation i in element r * rows.size() + i;
    // empty when the run kept no trajectories.
    std::vector<Extended> trajectories;
    // s of the fixation probability (driftSelectionCoefficient), the
    // probability (driftFixationProbability) and whether it is an
    // approximation (false only without selection, where it is p0 exactly).
    Extended selection = 0;
    Extended fixationProbability = 0;
    bool fixationApproximate = false;
    // Demes that reached p = 1 (p = 0) at some generation, and the mean of
    // the first such generation over them (0 when none did).
    std::int32_t fixations = 0;
    std::int32_t losses = 0;
    Extended meanFixationTime = 0;
    Extended meanLossTime = 0;

    // p of replicate r (0-based) at row i; ERangeError outside the stored
    // trajectories.
    Extended trajectory(std::int32_t replicate, std::int32_t row) const;

    bool operator==(const DriftResult &) const = default;
};

// The stored generations of a run of g generations: 0, 1, ..., g when
// g <= DriftEveryGeneration; otherwise DriftMaxStored generations
// i * g / 1000 (i = 0..1000) rounded to nearest, ties to even, which start at
// 0, end at g and strictly increase. ERangeError for g outside
// 1..DriftMaxGenerations.
std::vector<std::int32_t> driftStoredTimes(std::int32_t generations);

// The engine of replicate r (0-based) for a seed, as described above.
boost::random::mt19937_64 driftReplicateEngine(std::uint64_t seed, std::uint32_t replicate);

// p_s of step 1 above for p, q and fitnesses w[1..3]. Floating-point errors
// throw (only overflow can occur, with huge fitnesses).
Extended driftSelected(Extended p, Extended q, const TGenotypeFitness &w);

// s = (w11 - w22) / (w11 + w22), 0 when w11 + w22 is 0. This is the
// coefficient of the additive model with relative fitnesses 1 + s, 1, 1 - s,
// whose expected change is s p q to first order: it keeps the homozygotes'
// difference and ignores dominance (w12 away from (w11 + w22) / 2), so for
// fitnesses that are not additive the fixation probability built on it is a
// rough guide only. Floating-point errors throw.
Extended driftSelectionCoefficient(const TGenotypeFitness &w);

// Kimura's diffusion approximation u(p0) = (1 - e^(-4 Ne s p0)) / (1 - e^(-4 Ne s)).
// With a = 4 Ne s: p0 when a is 0; expm1(-a p0) / expm1(-a) when a > 0; and,
// to avoid overflow for a < 0 with b = -a,
// e^(-b (1 - p0)) expm1(-b p0) / expm1(-b). Large |Ne s| underflows quietly
// towards 0 or 1. Floating-point errors throw.
Extended driftFixationProbability(Extended p0, std::int32_t ne, Extended s);

// H_0 (1 - 1 / (2 Ne))^t with H_0 = 2 p0 (1 - p0), the power taken as
// e^(t log1p(-1 / (2 Ne))): a rounded factor raised to the t-th power would
// lose about log2(t) bits.
Extended driftExpectedH(Extended p0, std::int32_t ne, std::int32_t t);

// Kimura's neutral mean times, in generations, from p0 to fixation given
// that A1 is fixed, -4 Ne (1 - p0) ln(1 - p0) / p0 (4 Ne at p0 = 0), and to
// loss given that it is lost, -4 Ne p0 ln(p0) / (1 - p0) (4 Ne at p0 = 1).
Extended driftKimuraFixationTime(Extended p0, std::int32_t ne);
Extended driftKimuraLossTime(Extended p0, std::int32_t ne);

// ERangeError when an input is outside DriftInput's ranges (replicates up to
// DriftMaxBulkReplicates, in the island model DriftMaxReplicates).
void driftCheckInput(const DriftInput &input);

// The window's run: DriftInput's ranges (ERangeError outside), trajectories
// kept. Floating-point errors throw.
DriftResult driftRun(const DriftInput &input);

// A run with up to DriftMaxBulkReplicates replicates; trajectories are kept
// only when asked, which needs replicates <= DriftMaxReplicates, as does the
// island model (ERangeError otherwise). driftRun(input) is driftSimulate(input, true).
DriftResult driftSimulate(const DriftInput &input, bool keepTrajectories);

// The statistics of every generation 0..generations of the run
// driftSimulate(input, false) makes, never its trajectories: each row the
// same bits as the row of its generation in that run's rows (the draws do
// not depend on which generations are stored). Same ranges and errors as
// driftSimulate.
std::vector<DriftGeneration> driftEveryGeneration(const DriftInput &input);

// The final counts binned: bin i holds the replicates with
// floor(k * bins / (2 Ne)) = i, that is p in [i / bins, (i + 1) / bins), and
// p = 1 falls into the last bin. ERangeError for bins < 1.
std::vector<std::int32_t> driftHistogram(const DriftResult &result, std::int32_t bins);

} // namespace morva

#endif
