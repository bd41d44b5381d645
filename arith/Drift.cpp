#include "arith/Drift.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"

#include <boost/random/binomial_distribution.hpp>
#include <boost/random/seed_seq.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace morva {

namespace {

constexpr Extended Two = 2;

// Fitnesses of one run and the selection step on scalars; driftSelected and
// the simulation evaluate exactly these expressions.
struct Selection {
    Extended w11, w12, w22;
    bool neutral;

    explicit Selection(const TGenotypeFitness &w)
        : w11(w[1]), w12(w[2]), w22(w[3]), neutral(w11 == w12 && w12 == w22)
    {
    }

    // Every intermediate reaches ps by + - * or as its dividend, and the one
    // divisor is wmed, so the finiteness prefilter on wmed and ps sees any
    // error (FloatChecks.h). The caller has cleared the flags; whatever the
    // binomial draws in between raise is read only when this step's own
    // values are not finite.
    Extended selected(Extended p, Extended q) const
    {
        if (neutral)
            return p;
        const Extended W1 = p * w11 + q * w12;
        const Extended wmed = p * p * w11 + Two * p * q * w12 + q * q * w22;
        const Extended ps = wmed == 0 ? p : (p * W1) / wmed;
        fpCheckIfNotFinite(wmed, ps);
        return ps;
    }
};

// The probability handed to the binomial distribution.
double toProbability(Extended ps)
{
    return std::min(1.0, static_cast<double>(ps));
}

void checkInput(const DriftInput &in, std::int32_t maxReplicates)
{
    bool fitnessOk = true;
    for (int i = 1; i <= 3; ++i)
        fitnessOk = fitnessOk && std::isfinite(in.fitness[i]) && in.fitness[i] >= 0;
    const bool allZero = in.fitness[1] == 0 && in.fitness[2] == 0 && in.fitness[3] == 0;
    if (!(in.p0 >= 0 && in.p0 <= 1) || in.ne < 1 || in.ne > DriftMaxNe || in.replicates < 1
        || in.replicates > maxReplicates || in.generations < 1
        || in.generations > DriftMaxGenerations || !fitnessOk || allZero)
        throw ERangeError();
}

// Per stored generation (rows 1 on), over all replicates so far. A replicate
// fixed or lost before a row is counted once, in fixedFrom or lostFrom of
// the first row it did not draw for; statistics() carries those counts on to
// every later row.
struct Tally {
    std::vector<std::uint64_t> sumK, sumKQ, fixed, lost, fixedFrom, lostFrom;

    explicit Tally(std::size_t rows)
        : sumK(rows), sumKQ(rows), fixed(rows), lost(rows), fixedFrom(rows), lostFrom(rows)
    {
    }

    void add(std::size_t row, std::int32_t k, std::int32_t twoN)
    {
        sumK[row] += static_cast<std::uint64_t>(k);
        sumKQ[row] += static_cast<std::uint64_t>(k) * static_cast<std::uint64_t>(twoN - k);
        fixed[row] += k == twoN;
        lost[row] += k == 0;
    }

    void addFrom(std::size_t row, bool isFixed) { ++(isFixed ? fixedFrom : lostFrom)[row]; }
};

// One replicate through all generations: adds its counts at the stored
// generations to the tally, writes its p there to trajectory (when not
// null, row 0 included) and returns its final count.
class Replicate {
public:
    Replicate(const DriftInput &in, const Selection &selection, const std::vector<std::int32_t> &times)
        : m_in(in), m_selection(selection), m_times(times), m_twoN(2 * in.ne),
          m_twoNExt(static_cast<Extended>(m_twoN))
    {
    }

    std::int32_t run(std::uint32_t index, Tally &tally, Extended *trajectory) const
    {
        boost::random::mt19937_64 engine = driftReplicateEngine(m_in.seed, index);
        Extended p = m_in.p0;
        Extended q = 1 - m_in.p0;
        std::int32_t k = m_in.p0 == 1 ? m_twoN : 0;
        bool absorbed = m_in.p0 == 0 || m_in.p0 == 1;
        if (trajectory)
            trajectory[0] = p;
        std::size_t row = 1;
        for (std::int32_t g = 1; row < m_times.size(); ++g) {
            if (absorbed) {
                // The count stays for every remaining stored generation.
                tally.addFrom(row, k == m_twoN);
                for (; trajectory && row < m_times.size(); ++row)
                    trajectory[row] = p;
                break;
            }
            const double ps = toProbability(m_selection.selected(p, q));
            k = boost::random::binomial_distribution<std::int32_t, double>(m_twoN, ps)(engine);
            p = static_cast<Extended>(k) / m_twoNExt;
            if (!m_selection.neutral)
                q = static_cast<Extended>(m_twoN - k) / m_twoNExt;
            absorbed = k == 0 || k == m_twoN;
            if (g == m_times[row]) {
                tally.add(row, k, m_twoN);
                if (trajectory)
                    trajectory[row] = p;
                ++row;
            }
        }
        return k;
    }

private:
    const DriftInput &m_in;
    const Selection &m_selection;
    const std::vector<std::int32_t> &m_times;
    const std::int32_t m_twoN;
    const Extended m_twoNExt;
};

std::vector<DriftGeneration> statistics(const DriftInput &in, const std::vector<std::int32_t> &times,
                                        const Tally &tally)
{
    const Extended reps = in.replicates;
    const Extended twoN = 2 * static_cast<Extended>(in.ne);
    // Exact integers in Extended: twoN * reps <= 2e12, twoN^2 * reps <= 4e18
    // and 2 sumKQ <= 2e18, all below 2^64.
    const Extended countDenominator = twoN * reps;
    const Extended hetDenominator = twoN * twoN * reps;
    std::vector<DriftGeneration> rows(times.size());
    const std::int32_t all = in.replicates;
    rows[0] = {0, in.p0, in.p0 == 1 ? Extended(1) : Extended(0),
               in.p0 == 0 ? Extended(1) : Extended(0), in.p0 == 1 ? all : 0,
               in.p0 == 0 ? all : 0, Two * in.p0 * (1 - in.p0), driftExpectedH(in.p0, in.ne, 0)};
    std::uint64_t fixedBefore = 0, lostBefore = 0;
    for (std::size_t i = 1; i < times.size(); ++i) {
        fixedBefore += tally.fixedFrom[i];
        lostBefore += tally.lostFrom[i];
        const std::uint64_t sumK = tally.sumK[i] + fixedBefore * static_cast<std::uint64_t>(2 * in.ne);
        DriftGeneration &r = rows[i];
        r.time = times[i];
        r.meanP = static_cast<Extended>(sumK) / countDenominator;
        r.fixedCount = static_cast<std::int32_t>(tally.fixed[i] + fixedBefore);
        r.lostCount = static_cast<std::int32_t>(tally.lost[i] + lostBefore);
        r.fixed = static_cast<Extended>(r.fixedCount) / reps;
        r.lost = static_cast<Extended>(r.lostCount) / reps;
        r.meanH = (Two * static_cast<Extended>(tally.sumKQ[i])) / hetDenominator;
        r.expectedH = driftExpectedH(in.p0, in.ne, times[i]);
    }
    return rows;
}

} // namespace

Extended DriftResult::trajectory(std::int32_t replicate, std::int32_t row) const
{
    const auto rowCount = static_cast<std::int64_t>(rows.size());
    const std::int64_t index = static_cast<std::int64_t>(replicate) * rowCount + row;
    if (replicate < 0 || row < 0 || row >= rowCount
        || index >= static_cast<std::int64_t>(trajectories.size()))
        throw ERangeError();
    return trajectories[static_cast<std::size_t>(index)];
}

std::vector<std::int32_t> driftStoredTimes(std::int32_t generations)
{
    if (generations < 1 || generations > DriftMaxGenerations)
        throw ERangeError();
    std::vector<std::int32_t> times;
    if (generations <= DriftEveryGeneration) {
        for (std::int32_t g = 0; g <= generations; ++g)
            times.push_back(g);
        return times;
    }
    const std::int32_t parts = DriftMaxStored - 1;
    for (std::int32_t i = 0; i <= parts; ++i) {
        const std::int32_t whole = i * generations / parts;
        const std::int32_t rest = i * generations % parts;
        const bool up = 2 * rest > parts || (2 * rest == parts && whole % 2 == 1);
        times.push_back(whole + (up ? 1 : 0));
    }
    return times;
}

boost::random::mt19937_64 driftReplicateEngine(std::uint64_t seed, std::uint32_t replicate)
{
    boost::random::seed_seq sequence{static_cast<std::uint32_t>(seed & 0xffffffffu),
                                     static_cast<std::uint32_t>(seed >> 32), replicate};
    return boost::random::mt19937_64(sequence);
}

Extended driftSelected(Extended p, Extended q, const TGenotypeFitness &w)
{
    fpClear();
    return Selection(w).selected(p, q);
}

Extended driftSelectionCoefficient(const TGenotypeFitness &w)
{
    fpClear();
    Extended difference = w[1] - w[3];
    Extended sum = w[1] + w[3];
    fpBarrier(difference, sum);
    fpCheck();
    if (sum == 0)
        return 0;
    Extended s = difference / sum;
    fpBarrier(s);
    fpCheck();
    return s;
}

Extended driftFixationProbability(Extended p0, std::int32_t ne, Extended s)
{
    fpClear();
    Extended a = 4 * static_cast<Extended>(ne) * s;
    fpBarrier(a);
    fpCheck();
    if (a == 0)
        return p0;
    Extended u = 0;
    if (a > 0) {
        u = std::expm1(-a * p0) / std::expm1(-a);
    } else {
        const Extended b = -a;
        u = std::exp(-b * (1 - p0)) * (std::expm1(-b * p0) / std::expm1(-b));
    }
    fpBarrier(u);
    fpCheck();
    return u;
}

Extended driftExpectedH(Extended p0, std::int32_t ne, std::int32_t t)
{
    const Extended twoN = 2 * static_cast<Extended>(ne);
    return Two * p0 * (1 - p0) * std::exp(static_cast<Extended>(t) * std::log1p(-1 / twoN));
}

DriftResult driftRun(const DriftInput &input)
{
    return driftSimulate(input, true);
}

namespace {

// The run with its statistics at `times` (row 0 first).
DriftResult simulate(const DriftInput &input, bool keepTrajectories,
                     const std::vector<std::int32_t> &times)
{
    const Selection selection(input.fitness);
    const auto replicates = static_cast<std::size_t>(input.replicates);
    DriftResult result;
    result.input = input;
    result.finalCounts.resize(replicates);
    result.finalFreqs.resize(replicates);
    if (keepTrajectories)
        result.trajectories.resize(replicates * times.size());
    Tally tally(times.size());
    const Replicate replicate(input, selection, times);
    const Extended twoN = 2 * static_cast<Extended>(input.ne);
    fpClear();
    for (std::size_t r = 0; r < replicates; ++r) {
        Extended *trajectory = keepTrajectories ? &result.trajectories[r * times.size()] : nullptr;
        const std::int32_t k = replicate.run(static_cast<std::uint32_t>(r), tally, trajectory);
        result.finalCounts[r] = k;
        result.finalFreqs[r] = static_cast<Extended>(k) / twoN;
    }
    result.rows = statistics(input, times, tally);
    result.selection = driftSelectionCoefficient(input.fitness);
    result.fixationProbability = driftFixationProbability(input.p0, input.ne, result.selection);
    result.fixationApproximate = !selection.neutral;
    return result;
}

} // namespace

DriftResult driftSimulate(const DriftInput &input, bool keepTrajectories)
{
    checkInput(input, keepTrajectories ? DriftMaxReplicates : DriftMaxBulkReplicates);
    return simulate(input, keepTrajectories, driftStoredTimes(input.generations));
}

std::vector<DriftGeneration> driftEveryGeneration(const DriftInput &input)
{
    checkInput(input, DriftMaxBulkReplicates);
    std::vector<std::int32_t> times(static_cast<std::size_t>(input.generations) + 1);
    for (std::size_t g = 0; g < times.size(); ++g)
        times[g] = static_cast<std::int32_t>(g);
    return simulate(input, false, times).rows;
}

std::vector<std::int32_t> driftHistogram(const DriftResult &result, std::int32_t bins)
{
    if (bins < 1)
        throw ERangeError();
    const std::int64_t twoN = 2 * static_cast<std::int64_t>(result.input.ne);
    std::vector<std::int32_t> counts(static_cast<std::size_t>(bins));
    for (const std::int32_t k : result.finalCounts) {
        const std::int64_t bin = std::min<std::int64_t>(bins - 1, k * static_cast<std::int64_t>(bins) / twoN);
        ++counts[static_cast<std::size_t>(bin)];
    }
    return counts;
}

} // namespace morva
