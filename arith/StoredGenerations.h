#ifndef MORVA_ARITH_STOREDGENERATIONS_H
#define MORVA_ARITH_STOREDGENERATIONS_H

// Which generations a long run keeps for its grid and charts: every
// generation up to 1000, and beyond that at most 1001 more, evenly spaced
// from generation 1000 to the last. A run steps through every generation
// and stores only these.

#include <cstdint>
#include <vector>

namespace morva {

// Generations 0..StoredEveryUpTo are all stored.
inline constexpr std::int32_t StoredEveryUpTo = 1000;
// At most this many generations after StoredEveryUpTo are stored.
inline constexpr std::int32_t StoredBeyondAtMost = 1001;

// The stored generations of a run of ng generations, ascending; the first is
// 0 and the last is ng. For ng <= 2001 that is 0..ng. For a longer run it is
// 0..1000 followed by 1000 + k (ng - 1000) / 1001 for k = 1..1001, each
// rounded to the nearest integer (exact integer arithmetic; 1001 is odd, so
// there are no ties); the spacing exceeds 1, so no generation repeats.
// ng < 0 is a range error.
std::vector<std::int32_t> storedGenerations(std::int32_t ng);

} // namespace morva

#endif
