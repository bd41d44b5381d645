#ifndef MORVA_ARITH_POWER_H
#define MORVA_ARITH_POWER_H

// x to the real power y as the program forms it everywhere: through log2
// and exp, so that every model and every field gets the same bits.

#include "arith/Extended.h"

#include <cmath>

namespace morva {

// ln 2 rounded to the 64-bit mantissa (the x87 FLDLN2 constant).
inline constexpr Extended Ln2 = 0.693147180559945309417232121458176568L;

// Power without touching the flags. A single check afterwards classifies its
// errors: log2 of 0 raises only division by zero and log2 of a negative only
// invalid operation; what follows (-inf * 0, exp of an infinity) adds at most
// an invalid operation, which fpCheck ranks after division by zero.
inline Extended powerUnchecked(Extended x, Extended y)
{
    const Extended log2x = std::log2(x);
    return std::exp(Ln2 * log2x * y);
}

// e^(y * ln x), ln x formed as ln 2 * log2 x, then times y, then exp.
// Defined for x > 0: x = 0 throws EZeroDivide, x < 0 throws EInvalidOp (both
// from log2); an overflowing result throws EOverflow; underflow gives 0 quietly.
Extended Power(Extended x, Extended y);

} // namespace morva

#endif
