#ifndef MORVA_ARITH_PGMATHMU_H
#define MORVA_ARITH_PGMATHMU_H

// PgMathMu: the two-way mutation arithmetic. Alleles A1 and
// A2, mutation A1 -> A2 at rate u and A2 -> A1 at rate v per generation. The
// frequency q of A2 follows q(t) = e + (q(0) - e) r^t with e = u / (u + v)
// and r = 1 - u - v, computed directly at each generation number. Free
// routines over the unit state below, which starts at zero and is
// overwritten by each run.

#include "arith/Extended.h"
#include "arith/Power.h"
#include "arith/RangeArray.h"

#include <cstdint>
#include <functional>

namespace morva {

// p[1], the frequency of A1, and p[2], the frequency of A2.
using TFreqPair = RangeArray<Extended, 1, 2>;

// The state arrays, indexed 0..50.
using TMutTimeArray = RangeArray<std::int32_t, 0, 50>;
using TMutFreqArray = RangeArray<TFreqPair, 0, 50>;
using TMutRealArray = RangeArray<Extended, 0, 50>;

// Number of trajectory entries after entry 0; also the threshold between
// stepping every generation (n <= 50) and sampling (n > 50).
inline constexpr std::int32_t MutSamples = 50;

// Unit state, shared with the mutation window.
extern TFreqPair MutInitFreqs;      // initial frequencies as entered
extern TMutFreqArray MutFreqs;      // trajectory; entry 0 is the initial pair
extern TMutTimeArray MutTimes;      // generation of each entry; entry 0 stays 0
extern TMutRealArray MutLineP;      // p[2] of the expected delta line
extern TMutRealArray MutLineDelta;  // expected delta-p[2] at MutLineP
extern TMutRealArray MutDeltaObs;   // delta-p[2] at each trajectory entry
extern Extended MutRate12;          // u, rate A1 -> A2
extern Extended MutRate21;          // v, rate A2 -> A1
extern std::int32_t MutNg;          // number of generations of the run

// Power (arith/Power.h) forms r^t.

// Entries 1..n (n <= 50): times[i] := i; p[2] := r^i * d0 + e; p[1] := 1 - p[2].
void MutTrajectoryEvery(std::int32_t n, TMutTimeArray &times, TMutFreqArray &freqs, Extended u,
                        Extended v);
// Entries 1..50 (n > 50): s := n / 50; times[i] := i * s rounded to nearest,
// ties to even; p[2] := r^times[i] * d0 + e; p[1] := 1 - p[2].
void MutTrajectorySampled(std::int32_t n, TMutTimeArray &times, TMutFreqArray &freqs,
                          Extended u, Extended v);
// MutTrajectoryEvery for n <= 50, MutTrajectorySampled otherwise (signed).
//
// In both, r^t is Power(r, t) for r > 0, and the exact integer power
// (binary exponentiation, quiet underflow) for r <= 0, that is u + v >= 1:
// there the entries follow the recurrence q' = q (1 - v) + (1 - q) u.
// freqs[0] must hold the initial pair; it is read, never written.
// Floating-point errors throw; entries already written stay written.
void MutTrajectory(std::int32_t n, TMutTimeArray &times, TMutFreqArray &freqs, Extended u,
                   Extended v);

// The same run with every generation 0..n (n >= 0, else a range error),
// never stored: generation 0 is p0 as given, generation t the pair that
// MutTrajectory stores for an entry of time t, to the bit. Each is handed to
// visit in order; floating-point errors throw.
void MutEveryGeneration(std::int32_t n, const TFreqPair &p0, Extended u, Extended v,
                        const std::function<void(std::int32_t, const TFreqPair &)> &visit);

// delta-p[2] at frequency q of A2: u - (u + v) * q.
Extended MutDelta(Extended u, Extended v, Extended q);

// xs[i] := i / m; ds[i] := u - (u + v) * xs[i], for i = 0..m.
void MutDeltaLine(std::uint16_t m, TMutRealArray &xs, TMutRealArray &ds, Extended u, Extended v);

} // namespace morva

#endif
