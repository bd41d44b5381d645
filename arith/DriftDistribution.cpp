#include "arith/DriftDistribution.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <tuple>

namespace morva {

DriftRow driftBinomialRow(std::int32_t n, Extended p)
{
    if (!(p > 0))
        return {0, {1}};
    if (!(p < 1))
        return {n, {1}};
    const Extended q = 1 - p;
    const Extended odds = p / q;
    const Extended inverseOdds = q / p;
    const auto mode = static_cast<std::int32_t>(
        std::clamp<Extended>(std::floor(static_cast<Extended>(n + 1) * p), 0, n));
    const Extended tailBound = DriftRowDropBound / 2;
    // Terms relative to the mode's, which is 1.
    Extended sum = 1;
    std::vector<Extended> above;
    Extended t = 1;
    for (std::int32_t j = mode; j < n; ++j) {
        const Extended r = static_cast<Extended>(n - j) / static_cast<Extended>(j + 1) * odds;
        if (r < 1 && t * r / (1 - r) < tailBound * sum)
            break;
        t *= r;
        above.push_back(t);
        sum += t;
    }
    std::vector<Extended> below;
    t = 1;
    for (std::int32_t j = mode; j > 0; --j) {
        const Extended s = static_cast<Extended>(j) / static_cast<Extended>(n - j + 1) * inverseOdds;
        if (s < 1 && t * s / (1 - s) < tailBound * sum)
            break;
        t *= s;
        below.push_back(t);
        sum += t;
    }
    DriftRow row;
    row.first = mode - static_cast<std::int32_t>(below.size());
    row.values.reserve(below.size() + 1 + above.size());
    row.values.assign(below.rbegin(), below.rend());
    row.values.push_back(1);
    row.values.insert(row.values.end(), above.begin(), above.end());
    for (Extended &v : row.values)
        v /= sum;
    return row;
}

namespace {

// An Extended held exactly as two doubles: the high 53 bits of its
// mantissa and the remaining 11 (a double holds them exactly), so that
// reading it back is two quick double loads and one exact addition in
// place of a slow 80-bit load.
struct Split {
    double high = 0;
    double low = 0;

    Extended value() const { return static_cast<Extended>(high) + low; }
};

Split split(Extended x)
{
    const auto high = static_cast<double>(x);
    return {high, static_cast<double>(x - high)};
}

// The transition matrix stored by blocks of kBlock neighbouring columns, for
// a step that sums into each new count in a register and loads each old
// count's probability once per block: block b holds, for each old count i
// from first[b] to last[b], the probabilities of moving from i to the
// block's kBlock counts (zero where a count is outside i's band).
class Chain {
public:
    static constexpr std::int32_t kBlock = 4;

    Chain(const DriftInput &in, const DriftForces &forces)
        : m_n(2 * in.ne), m_blocks((m_n + kBlock) / kBlock)
    {
        const auto nExt = static_cast<Extended>(m_n);
        std::vector<DriftRow> rows(std::size_t(m_n) + 1);
        const auto blocks = std::size_t(m_blocks);
        m_first.assign(blocks, m_n + 1);
        m_last.assign(blocks, -1);
        for (std::int32_t i = 0; i <= m_n; ++i) {
            const Extended p = static_cast<Extended>(i) / nExt;
            const Extended q = static_cast<Extended>(m_n - i) / nExt;
            DriftRow &row = rows[std::size_t(i)] = driftBinomialRow(m_n, forces.apply(p, q, in.pc));
            const std::int32_t lastCount = row.first + std::int32_t(row.values.size()) - 1;
            for (std::int32_t b = row.first / kBlock; b <= lastCount / kBlock; ++b) {
                m_first[std::size_t(b)] = std::min(m_first[std::size_t(b)], i);
                m_last[std::size_t(b)] = std::max(m_last[std::size_t(b)], i);
            }
        }
        m_offset.assign(blocks + 1, 0);
        for (std::size_t b = 0; b < blocks; ++b)
            m_offset[b + 1] = m_offset[b] + kBlock * std::size_t(std::max(0, m_last[b] - m_first[b] + 1));
        m_values.assign(m_offset[blocks], Split{});
        for (std::int32_t i = 0; i <= m_n; ++i) {
            const DriftRow &row = rows[std::size_t(i)];
            for (std::size_t k = 0; k < row.values.size(); ++k) {
                const auto j = std::size_t(row.first) + k;
                const std::size_t b = j / kBlock;
                m_values[m_offset[b] + kBlock * std::size_t(i - m_first[b]) + j % kBlock] =
                    split(row.values[k]);
            }
        }
    }

    // to = from times the matrix; only counts lo..hi of `from` may be
    // nonzero (`from` and `to` hold a multiple of kBlock counts, the last
    // beyond 2 Ne zero). Returns the counts of `to` that may be nonzero.
    std::pair<std::int32_t, std::int32_t> step(const std::vector<Extended> &from, std::int32_t lo,
                                               std::int32_t hi, std::vector<Extended> &to) const
    {
        std::int32_t newLo = m_n + 1, newHi = -1;
        for (std::int32_t b = 0; b < m_blocks; ++b) {
            const std::int32_t first = std::max(m_first[std::size_t(b)], lo);
            const std::int32_t last = std::min(m_last[std::size_t(b)], hi);
            const Split *m = m_values.data() + m_offset[std::size_t(b)]
                                + kBlock * std::ptrdiff_t(first - m_first[std::size_t(b)]);
            Extended a0 = 0, a1 = 0, a2 = 0, a3 = 0;
            for (std::int32_t i = first; i <= last; ++i, m += kBlock) {
                const Extended x = from[std::size_t(i)];
                a0 += x * m[0].value();
                a1 += x * m[1].value();
                a2 += x * m[2].value();
                a3 += x * m[3].value();
            }
            const Extended sums[kBlock] = {a0, a1, a2, a3};
            for (std::int32_t c = 0; c < kBlock; ++c) {
                const std::int32_t j = b * kBlock + c;
                to[std::size_t(j)] = sums[c];
                if (sums[c] != 0) {
                    newLo = std::min(newLo, j);
                    newHi = j;
                }
            }
        }
        return {newLo, newHi};
    }

    // Counts the vectors of step() hold.
    std::size_t size() const { return std::size_t(m_blocks) * kBlock; }

private:
    std::int32_t m_n;
    std::int32_t m_blocks;
    std::vector<std::int32_t> m_first, m_last;
    std::vector<std::size_t> m_offset;
    std::vector<Split> m_values;
};

DriftExactGeneration summary(std::int32_t time, const std::vector<Extended> &prob, std::int32_t twoN)
{
    const auto n = std::size_t(twoN);
    const Extended nExt = static_cast<Extended>(n);
    DriftExactGeneration g;
    g.time = time;
    Extended mass = 0, first = 0, second = 0;
    for (std::size_t k = 0; k <= n; ++k) {
        const Extended p = static_cast<Extended>(k) / nExt;
        mass += prob[k];
        first += prob[k] * p;
        second += prob[k] * p * p;
    }
    g.mass = mass;
    g.mean = first / mass;
    g.variance = second / mass - g.mean * g.mean;
    g.fixed = prob[n];
    g.lost = prob[0];
    const Extended levels[] = {0.05L, 0.25L, 0.75L, 0.95L};
    Extended *quantiles[] = {&g.q05, &g.q25, &g.q75, &g.q95};
    Extended cumulative = 0;
    std::size_t level = 0;
    for (std::size_t k = 0; k <= n && level < 4; ++k) {
        cumulative += prob[k];
        while (level < 4 && cumulative >= levels[level] * mass)
            *quantiles[level++] = static_cast<Extended>(k) / nExt;
    }
    for (; level < 4; ++level)
        *quantiles[level] = 1;
    return g;
}

// Generation 0: p0 itself, which need not be a count's frequency.
DriftExactGeneration start(const DriftInput &in)
{
    DriftExactGeneration g;
    g.mass = 1;
    g.mean = in.p0;
    g.fixed = in.p0 == 1 ? 1 : 0;
    g.lost = in.p0 == 0 ? 1 : 0;
    g.q05 = g.q25 = g.q75 = g.q95 = in.p0;
    return g;
}

} // namespace

bool driftExactApplies(const DriftInput &input)
{
    return input.ne <= DriftExactMaxNe && !(input.source == DriftSource::Island && input.m != 0);
}

namespace {

DriftExact exactAt(const DriftInput &input, const std::vector<std::int32_t> &times)
{
    DriftInput in = input;
    in.replicates = 1;
    driftCheckInput(in);
    if (!driftExactApplies(in))
        throw ERangeError();
    fpClear();
    const DriftForces forces(in);
    const Chain chain(in, forces);
    const std::int32_t n = 2 * in.ne;
    std::vector<Extended> prob(chain.size(), 0), next(chain.size(), 0);
    const DriftRow firstRow = driftBinomialRow(n, forces.apply(in.p0, 1 - in.p0, in.pc));
    std::copy(firstRow.values.begin(), firstRow.values.end(), prob.begin() + firstRow.first);
    std::int32_t lo = firstRow.first;
    std::int32_t hi = firstRow.first + static_cast<std::int32_t>(firstRow.values.size()) - 1;

    DriftExact result;
    result.rows.reserve(times.size());
    result.rows.push_back(start(in));
    for (std::int32_t g = 1; result.rows.size() < times.size(); ++g) {
        if (g > 1) {
            std::tie(lo, hi) = chain.step(prob, lo, hi, next);
            prob.swap(next);
        }
        if (g == times[result.rows.size()])
            result.rows.push_back(summary(g, prob, n));
    }
    prob.resize(std::size_t(n) + 1);
    result.final = prob;
    return result;
}

} // namespace

DriftExact driftExactDistribution(const DriftInput &input)
{
    return exactAt(input, driftStoredTimes(input.generations));
}

DriftExact driftExactEveryGeneration(const DriftInput &input)
{
    std::vector<std::int32_t> times(std::size_t(std::max(0, input.generations)) + 1);
    for (std::size_t g = 0; g < times.size(); ++g)
        times[g] = static_cast<std::int32_t>(g);
    return exactAt(input, times);
}

} // namespace morva
