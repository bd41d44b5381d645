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
    const auto rate = [](Extended x) { return x >= 0 && x <= 1; };
    if (!rate(in.m) || !rate(in.pc) || !rate(in.u) || !rate(in.v)
        || (in.source == DriftSource::Island && in.replicates > DriftMaxReplicates))
        throw ERangeError();
}

// Per stored generation (rows 1 on), over all replicates so far. A replicate
// fixed or lost before a row is counted once, in fixedFrom or lostFrom of
// the first row it did not draw for; statistics() carries those counts on to
// every later row.
struct Tally {
    std::vector<std::uint64_t> sumK, sumKQ, fixed, lost, fixedFrom, lostFrom;
    // First generations at p = 1 and p = 0, summed over the demes that got there.
    std::int64_t fixations = 0, losses = 0, fixationTimes = 0, lossTimes = 0;

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

// The first generations one deme is fixed and lost (-1: not yet).
struct FirstHits {
    std::int32_t fixed = -1, lost = -1;

    void see(std::int32_t k, std::int32_t twoN, std::int32_t g)
    {
        if (k == twoN && fixed < 0)
            fixed = g;
        if (k == 0 && lost < 0)
            lost = g;
    }
    void addTo(Tally &tally) const
    {
        if (fixed >= 0) {
            ++tally.fixations;
            tally.fixationTimes += fixed;
        }
        if (lost >= 0) {
            ++tally.losses;
            tally.lossTimes += lost;
        }
    }
};

// Whether the forces keep a deme at p = 0 (at p = 1) when migrants come from
// `source`.
bool staysLost(const DriftForces &forces, Extended source) { return forces.apply(0, 1, source) == 0; }
bool staysFixed(const DriftForces &forces, Extended source) { return forces.apply(1, 0, source) == 1; }

// One replicate through all generations: adds its counts at the stored
// generations to the tally, writes its p there to trajectory (when not
// null, row 0 included) and returns its final count.
class Replicate {
public:
    Replicate(const DriftInput &in, const DriftForces &forces, const std::vector<std::int32_t> &times)
        : m_in(in), m_forces(forces), m_times(times), m_twoN(2 * in.ne),
          m_twoNExt(static_cast<Extended>(m_twoN)),
          m_trackQ(!Selection(in.fitness).neutral || forces.migration() || forces.mutation()),
          m_staysLost(staysLost(forces, in.pc)), m_staysFixed(staysFixed(forces, in.pc))
    {
    }

    std::int32_t run(std::uint32_t index, Tally &tally, Extended *trajectory) const
    {
        boost::random::mt19937_64 engine = driftReplicateEngine(m_in.seed, index);
        Extended p = m_in.p0;
        Extended q = 1 - m_in.p0;
        std::int32_t k = m_in.p0 == 1 ? m_twoN : 0;
        bool absorbed = (m_in.p0 == 0 && m_staysLost) || (m_in.p0 == 1 && m_staysFixed);
        FirstHits hits;
        if (m_in.p0 == 0 || m_in.p0 == 1)
            hits.see(k, m_twoN, 0);
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
            const double ps = toProbability(m_forces.apply(p, q, m_in.pc));
            k = boost::random::binomial_distribution<std::int32_t, double>(m_twoN, ps)(engine);
            p = static_cast<Extended>(k) / m_twoNExt;
            if (m_trackQ)
                q = static_cast<Extended>(m_twoN - k) / m_twoNExt;
            hits.see(k, m_twoN, g);
            absorbed = (k == 0 && m_staysLost) || (k == m_twoN && m_staysFixed);
            if (g == m_times[row]) {
                tally.add(row, k, m_twoN);
                if (trajectory)
                    trajectory[row] = p;
                ++row;
            }
        }
        hits.addTo(tally);
        return k;
    }

private:
    const DriftInput &m_in;
    const DriftForces &m_forces;
    const std::vector<std::int32_t> &m_times;
    const std::int32_t m_twoN;
    const Extended m_twoNExt;
    const bool m_trackQ;
    const bool m_staysLost;
    const bool m_staysFixed;
};

// The island model: every deme draws generation by generation, since each
// generation's migrants come from the mean of all demes. Fills the tally,
// the trajectories (when not null, replicate-major as DriftResult keeps
// them) and the final counts.
void runIslands(const DriftInput &in, const DriftForces &forces,
                const std::vector<std::int32_t> &times, Tally &tally, Extended *trajectories,
                std::vector<std::int32_t> &finalCounts)
{
    const auto demes = static_cast<std::size_t>(in.replicates);
    const std::int32_t twoN = 2 * in.ne;
    const auto twoNExt = static_cast<Extended>(twoN);
    const Extended all = twoNExt * static_cast<Extended>(in.replicates);
    std::vector<boost::random::mt19937_64> engines;
    engines.reserve(demes);
    for (std::size_t r = 0; r < demes; ++r)
        engines.push_back(driftReplicateEngine(in.seed, static_cast<std::uint32_t>(r)));
    std::vector<Extended> p(demes, in.p0), q(demes, 1 - in.p0);
    std::vector<std::int32_t> &k = finalCounts;
    k.assign(demes, in.p0 == 1 ? twoN : 0);
    std::vector<FirstHits> hits(demes);
    for (std::size_t r = 0; r < demes; ++r) {
        if (in.p0 == 0 || in.p0 == 1)
            hits[r].see(k[r], twoN, 0);
        if (trajectories)
            trajectories[r * times.size()] = in.p0;
    }
    Extended pool = in.p0;
    std::size_t row = 1;
    for (std::int32_t g = 1; row < times.size(); ++g) {
        const bool lostStays = staysLost(forces, pool);
        const bool fixedStays = staysFixed(forces, pool);
        std::uint64_t sumK = 0;
        for (std::size_t r = 0; r < demes; ++r) {
            const bool stuck = (k[r] == 0 && p[r] == 0 && lostStays)
                               || (k[r] == twoN && p[r] == 1 && fixedStays);
            if (!stuck) {
                const double ps = toProbability(forces.apply(p[r], q[r], pool));
                k[r] = boost::random::binomial_distribution<std::int32_t, double>(twoN, ps)(
                    engines[r]);
                p[r] = static_cast<Extended>(k[r]) / twoNExt;
                q[r] = static_cast<Extended>(twoN - k[r]) / twoNExt;
                hits[r].see(k[r], twoN, g);
            }
            sumK += static_cast<std::uint64_t>(k[r]);
        }
        pool = static_cast<Extended>(sumK) / all;
        if (g != times[row])
            continue;
        for (std::size_t r = 0; r < demes; ++r) {
            tally.add(row, k[r], twoN);
            if (trajectories)
                trajectories[r * times.size() + row] = p[r];
        }
        ++row;
    }
    for (const FirstHits &h : hits)
        h.addTo(tally);
}

// p of a population under the same forces without sampling at `times`: in
// the island model every deme has the same p, so migration changes nothing.
std::vector<Extended> noDriftTrajectory(const DriftInput &in, const DriftForces &forces,
                                        const std::vector<std::int32_t> &times)
{
    std::vector<Extended> stored(times.size());
    Extended p = in.p0;
    Extended q = 1 - in.p0;
    stored[0] = p;
    std::size_t row = 1;
    for (std::int32_t g = 1; row < times.size(); ++g) {
        const Extended source = in.source == DriftSource::Island ? p : in.pc;
        const Extended next = forces.apply(p, q, source);
        p = std::clamp<Extended>(next, 0, 1);
        q = 1 - p;
        if (g == times[row])
            stored[row++] = p;
    }
    return stored;
}

// F_ST = 1 - mean(2 p q) / (2 pbar (1 - pbar)) from the exact sums of k and of
// k (2 Ne - k) over R demes: 1 - R sumKQ / (S (2 Ne R - S)).
void setFst(DriftGeneration &row, std::uint64_t sumK, std::uint64_t sumKQ, Extended twoNR,
            Extended reps)
{
    const auto s = static_cast<Extended>(sumK);
    row.fstDefined = sumK != 0 && s != twoNR;
    row.fst = row.fstDefined ? 1 - (reps * static_cast<Extended>(sumKQ)) / (s * (twoNR - s)) : 0;
}

std::vector<DriftGeneration> statistics(const DriftInput &in, const std::vector<std::int32_t> &times,
                                        const Tally &tally, const std::vector<Extended> &noDrift)
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
    // Every deme starts at p0: no differences among them yet.
    rows[0].fstDefined = in.p0 != 0 && in.p0 != 1;
    rows[0].polymorphic = rows[0].fstDefined ? all : 0;
    rows[0].noDrift = noDrift[0];
    const Extended equilibriumFst = 1 / (1 + 4 * static_cast<Extended>(in.ne) * in.m);
    rows[0].expectedFst = in.m != 0 ? equilibriumFst : 0;
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
        setFst(r, sumK, tally.sumKQ[i], countDenominator, reps);
        r.polymorphic = all - r.fixedCount - r.lostCount;
        r.expectedFst = in.m != 0 ? equilibriumFst
                                  : -std::expm1(static_cast<Extended>(times[i])
                                                * std::log1p(-1 / twoN));
        r.noDrift = noDrift[i];
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

DriftForces::DriftForces(const DriftInput &in)
    : m_w11(in.fitness[1]), m_w12(in.fitness[2]), m_w22(in.fitness[3]), m_m(in.m), m_u(in.u),
      m_v(in.v), m_neutral(Selection(in.fitness).neutral)
{
}

Extended DriftForces::apply(Extended p, Extended q, Extended source) const
{
    if (m_m != 0) {
        const Extended stay = 1 - m_m;
        const Extended pm = stay * p + m_m * source;
        q = stay * q + m_m * (1 - source);
        p = pm;
    }
    if (!m_neutral) {
        // Selection as Selection::selected; q's share only where mutation
        // needs it.
        const Extended W1 = p * m_w11 + q * m_w12;
        const Extended wmed = p * p * m_w11 + Two * p * q * m_w12 + q * q * m_w22;
        const Extended ps = wmed == 0 ? p : (p * W1) / wmed;
        fpCheckIfNotFinite(wmed, ps);
        if (m_u != 0 || m_v != 0) {
            const Extended W2 = p * m_w12 + q * m_w22;
            q = wmed == 0 ? q : (q * W2) / wmed;
        }
        p = ps;
    }
    if (m_u != 0 || m_v != 0)
        return (1 - m_u) * p + m_v * q;
    return p;
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

Extended driftKimuraFixationTime(Extended p0, std::int32_t ne)
{
    const Extended fourN = 4 * static_cast<Extended>(ne);
    if (p0 == 0)
        return fourN;
    if (p0 == 1)
        return 0;
    return -fourN * (1 - p0) * std::log1p(-p0) / p0;
}

Extended driftKimuraLossTime(Extended p0, std::int32_t ne)
{
    const Extended fourN = 4 * static_cast<Extended>(ne);
    if (p0 == 1)
        return fourN;
    if (p0 == 0)
        return 0;
    return -fourN * p0 * std::log(p0) / (1 - p0);
}

Extended driftExpectedH(Extended p0, std::int32_t ne, std::int32_t t)
{
    const Extended twoN = 2 * static_cast<Extended>(ne);
    return Two * p0 * (1 - p0) * std::exp(static_cast<Extended>(t) * std::log1p(-1 / twoN));
}

void driftCheckInput(const DriftInput &input)
{
    checkInput(input, DriftMaxBulkReplicates);
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
    const DriftForces forces(input);
    const auto replicates = static_cast<std::size_t>(input.replicates);
    DriftResult result;
    result.input = input;
    result.finalCounts.resize(replicates);
    result.finalFreqs.resize(replicates);
    if (keepTrajectories)
        result.trajectories.resize(replicates * times.size());
    Tally tally(times.size());
    const Extended twoN = 2 * static_cast<Extended>(input.ne);
    fpClear();
    if (input.source == DriftSource::Island && forces.migration()) {
        runIslands(input, forces, times, tally,
                   keepTrajectories ? result.trajectories.data() : nullptr, result.finalCounts);
    } else {
        const Replicate replicate(input, forces, times);
        for (std::size_t r = 0; r < replicates; ++r) {
            Extended *trajectory = keepTrajectories ? &result.trajectories[r * times.size()] : nullptr;
            result.finalCounts[r] = replicate.run(static_cast<std::uint32_t>(r), tally, trajectory);
        }
    }
    for (std::size_t r = 0; r < replicates; ++r)
        result.finalFreqs[r] = static_cast<Extended>(result.finalCounts[r]) / twoN;
    result.rows = statistics(input, times, tally, noDriftTrajectory(input, forces, times));
    result.fixations = static_cast<std::int32_t>(tally.fixations);
    result.losses = static_cast<std::int32_t>(tally.losses);
    if (tally.fixations > 0)
        result.meanFixationTime = static_cast<Extended>(tally.fixationTimes) / static_cast<Extended>(tally.fixations);
    if (tally.losses > 0)
        result.meanLossTime = static_cast<Extended>(tally.lossTimes) / static_cast<Extended>(tally.losses);
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
