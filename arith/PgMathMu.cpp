#include "arith/PgMathMu.h"

#include "arith/CheckedInt.h"
#include "arith/Errors.h"
#include "arith/FloatChecks.h"

#include <cmath>

namespace morva {

TFreqPair MutInitFreqs;
TMutFreqArray MutFreqs;
TMutTimeArray MutTimes;
TMutRealArray MutLineP;
TMutRealArray MutLineDelta;
TMutRealArray MutDeltaObs;
Extended MutRate12 = 0;
Extended MutRate21 = 0;
std::int32_t MutNg = 0;

namespace {

// r^t for r <= 0 and t >= 0 by binary exponentiation. With -1 <= r <= 0 no
// step can overflow, and an underflow only raises flags that are never
// checked.
Extended integerPower(Extended r, std::int32_t t)
{
    Extended result = 1;
    Extended base = r;
    for (std::uint32_t k = static_cast<std::uint32_t>(t); k != 0; k >>= 1) {
        if (k & 1u)
            result *= base;
        if (k > 1)
            base *= base;
    }
    return result;
}

// r^t as the trajectories use it: the specified Power for r > 0, the exact
// integer power otherwise. Flags are checked by the caller.
Extended trajectoryPower(Extended r, std::int32_t t)
{
    if (r > 0)
        return powerUnchecked(r, static_cast<Extended>(t));
    return integerPower(r, t);
}

struct Constants {
    Extended e;
    Extended d0;
    Extended r;
};

// Steps 1 to 3 of the trajectory routines from q(0) = q0; clears the flags
// first.
Constants constantsOf(Extended q0, Extended u, Extended v)
{
    fpClear();
    fpBarrier(u, v);
    Constants c{};
    c.e = u / (u + v);
    c.d0 = q0 - c.e;
    c.r = (1 - u) - v;
    fpBarrier(c.e, c.d0, c.r);
    fpCheck();
    return c;
}

// An entry from r^t; the barrier makes both values exist before the flag
// check, wherever the entry lives.
void storeEntry(TFreqPair &entry, const Constants &c, Extended rt)
{
    Extended p2 = rt * c.d0 + c.e;
    Extended p1 = 1 - p2;
    fpBarrier(p2, p1);
    entry[2] = p2;
    entry[1] = p1;
    fpCheck();
}

} // namespace

void MutTrajectoryEvery(std::int32_t n, TMutTimeArray &times, TMutFreqArray &freqs, Extended u,
                        Extended v)
{
    const Constants c = constantsOf(freqs[0][2], u, v);
    for (std::int32_t i = 1; i <= n; ++i) {
        times[i] = i;
        storeEntry(freqs[i], c, trajectoryPower(c.r, i));
    }
}

void MutTrajectorySampled(std::int32_t n, TMutTimeArray &times, TMutFreqArray &freqs,
                          Extended u, Extended v)
{
    const Constants c = constantsOf(freqs[0][2], u, v);
    Extended s = static_cast<Extended>(n) / static_cast<Extended>(MutSamples);
    fpBarrier(s);
    for (std::int32_t i = 1; i <= MutSamples; ++i) {
        const std::int32_t t = toInt32Checked(std::llrint(static_cast<Extended>(i) * s));
        times[i] = t;
        storeEntry(freqs[i], c, trajectoryPower(c.r, t));
    }
}

void MutTrajectory(std::int32_t n, TMutTimeArray &times, TMutFreqArray &freqs, Extended u,
                   Extended v)
{
    if (n <= MutSamples)
        MutTrajectoryEvery(n, times, freqs, u, v);
    else
        MutTrajectorySampled(n, times, freqs, u, v);
}

void MutEveryGeneration(std::int32_t n, const TFreqPair &p0, Extended u, Extended v,
                        const std::function<void(std::int32_t, const TFreqPair &)> &visit)
{
    if (n < 0)
        throw ERangeError();
    visit(0, p0);
    const Constants c = constantsOf(p0[2], u, v);
    TFreqPair entry;
    for (std::int32_t t = 1; t <= n; ++t) {
        storeEntry(entry, c, trajectoryPower(c.r, t));
        visit(t, entry);
        // Flags the visitor raised are not the run's.
        fpClear();
    }
}

Extended MutDelta(Extended u, Extended v, Extended q)
{
    fpClear();
    fpBarrier(u, v, q);
    Extended delta = u - (u + v) * q;
    fpBarrier(delta);
    fpCheck();
    return delta;
}

void MutDeltaLine(std::uint16_t m, TMutRealArray &xs, TMutRealArray &ds, Extended u, Extended v)
{
    fpClear();
    fpBarrier(u, v);
    const Extended s = u + v;
    const Extended em = m;
    for (int i = 0; i <= m; ++i) {
        const Extended x = static_cast<Extended>(i) / em;
        const Extended d = u - s * x;
        xs[i] = x;
        ds[i] = d;
        fpCheck();
    }
}

} // namespace morva
