#ifndef MORVA_ARITH_FLOATCHECKS_H
#define MORVA_ARITH_FLOATCHECKS_H

// Floating-point errors through the <cfenv> status flags: no traps, no signal
// handlers. A checked routine clears the flags before its arithmetic and tests
// them where its arithmetic can raise one: invalid operation throws
// EInvalidOp, division by zero EZeroDivide, overflow EOverflow. Underflow and
// inexact never throw.
//
// When one check finds several flags, it reports the one raised first as far
// as the flags can tell: division by zero, then overflow, then invalid
// operation. An invalid operation (inf - inf, 0 * inf, inf / inf) can follow
// from the infinity of a division by zero or an overflow, never the reverse,
// since quiet NaNs raise nothing further.
//
// Ordering: fpClear and fpCheck are opaque calls, so the compiler keeps
// stores to memory the caller can see, and library calls such as log2l, on
// their side of them. Values held only in locals or parameters are pinned
// with fpBarrier: it makes each value exist in memory at that point, so it is
// neither computed before an earlier fpClear nor after a later fpCheck.

#include "arith/Extended.h"

#include <cmath>
#include <cstring>

namespace morva {

// Clears every floating-point status flag.
void fpClear();

// Throws EZeroDivide, EOverflow or EInvalidOp (in that order of precedence)
// when the matching flag has been raised since the last fpClear; otherwise
// does nothing.
void fpCheck();

// Whether a value held in memory is finite, read from its stored bits: on
// x86 the 16 bits after the 64-bit mantissa hold the sign and the exponent,
// and an exponent of all ones is an infinity or a NaN. An integer load and
// no x87 work, so it neither raises a flag nor stalls the x87 pipeline.
inline bool storedFinite(const Extended &x)
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned short signExponent = 0;
    std::memcpy(&signExponent, reinterpret_cast<const unsigned char *>(&x) + 8,
                sizeof signExponent);
    return (signExponent & 0x7fff) != 0x7fff;
#else
    return std::isfinite(x);
#endif
}

// fpCheck, but only when one of the stored values is not finite: a cheap
// prefilter for an inner loop, where reading the status flags every time
// would stall the x87 pipeline. Pass the elements just stored.
//
// Why it misses nothing: with the flags masked, every operation that raises
// one of the three returns a non-finite result (invalid operation a NaN,
// division by zero and overflow, rounding to nearest, an infinity), and a
// non-finite operand of + - * or a non-finite dividend gives a non-finite
// result (0 * inf is a NaN). So when every intermediate reaches one of the
// values that way, and every divisor is itself one of the values (x / inf
// is 0), any raised flag leaves one of the values non-finite. The flags
// still decide what is thrown.
template <typename... T>
inline void fpCheckIfNotFinite(const T &...stored)
{
    if (!(storedFinite(stored) && ...))
        fpCheck();
}

template <typename T>
inline void fpBarrierOne(T &value)
{
    __asm__ __volatile__("" : "+m"(value) : : "memory");
}

template <typename... T>
inline void fpBarrier(T &...values)
{
    (fpBarrierOne(values), ...);
}

} // namespace morva

#endif
