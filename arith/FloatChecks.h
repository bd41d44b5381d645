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

namespace morva {

// Clears every floating-point status flag.
void fpClear();

// Throws EZeroDivide, EOverflow or EInvalidOp (in that order of precedence)
// when the matching flag has been raised since the last fpClear; otherwise
// does nothing.
void fpCheck();

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
