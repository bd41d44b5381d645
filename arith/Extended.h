#ifndef MORVA_ARITH_EXTENDED_H
#define MORVA_ARITH_EXTENDED_H

// The real type of all the arithmetic: 80-bit x87 extended precision with a
// 64-bit mantissa on x86, rounding to nearest.

#include <limits>

namespace morva {

using Extended = long double;

// A wider type (a 113-bit mantissa, GCC's software quadruple precision),
// used only to place an equilibrium whose Extended formula cancels: the
// value is formed in it and rounded to Extended once.
using WideReal = __float128;

#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
static_assert(std::numeric_limits<Extended>::digits == 64,
              "Extended must be the 80-bit x87 type with a 64-bit mantissa");
#endif

} // namespace morva

#endif
