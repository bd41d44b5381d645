#ifndef MORVA_ARITH_CHECKEDINT_H
#define MORVA_ARITH_CHECKEDINT_H

// Range-checked integer conversions (ERangeError outside the target type) and
// overflow-checked integer steps (EIntOverflow), for the arithmetic and for
// the windows that hand it their numbers.

#include "arith/Errors.h"

#include <concepts>
#include <cstdint>
#include <limits>
#include <utility>

namespace morva {

// value converted to Target; a value Target cannot hold is a range error.
template <std::integral Target, std::integral Source>
constexpr Target toChecked(Source value)
{
    if (!std::in_range<Target>(value))
        throw ERangeError();
    return static_cast<Target>(value);
}

// The conversion the selection windows apply to SelNg before SelTrajectory:
// a value outside 0..65535 is a range error.
constexpr std::uint16_t toUInt16Checked(std::int64_t value) { return toChecked<std::uint16_t>(value); }
constexpr std::int32_t toInt32Checked(std::int64_t value) { return toChecked<std::int32_t>(value); }

// a + b, a - b, a * b; a result the type cannot hold is an integer overflow.
template <std::integral T>
constexpr T checkedAdd(T a, T b)
{
    T r{};
    if (__builtin_add_overflow(a, b, &r))
        throw EIntOverflow();
    return r;
}

template <std::integral T>
constexpr T checkedSub(T a, T b)
{
    T r{};
    if (__builtin_sub_overflow(a, b, &r))
        throw EIntOverflow();
    return r;
}

template <std::integral T>
constexpr T checkedMul(T a, T b)
{
    T r{};
    if (__builtin_mul_overflow(a, b, &r))
        throw EIntOverflow();
    return r;
}

} // namespace morva

#endif
