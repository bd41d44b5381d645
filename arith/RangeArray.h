#ifndef MORVA_ARITH_RANGEARRAY_H
#define MORVA_ARITH_RANGEARRAY_H

// A fixed-size array indexed from Low to High (both included). Every access
// checks its index and throws ERangeError outside the bounds; nothing is
// allocated. A default-constructed array holds zeros (value-initialised
// elements), so arrays with static storage start at zero.

#include "arith/Errors.h"

#include <algorithm>
#include <array>
#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <utility>

namespace morva {

template <typename T, std::ptrdiff_t Low, std::ptrdiff_t High>
class RangeArray {
    static_assert(Low <= High, "RangeArray needs Low <= High");

public:
    using value_type = T;

    static constexpr std::ptrdiff_t low() { return Low; }
    static constexpr std::ptrdiff_t high() { return High; }
    static constexpr std::size_t size() { return static_cast<std::size_t>(High - Low + 1); }

    constexpr RangeArray() = default;

    // Fills elements Low, Low + 1, ... from the list; the rest stay zero.
    // A list longer than the array is a range error.
    constexpr RangeArray(std::initializer_list<T> values)
    {
        if (values.size() > size())
            throw ERangeError();
        std::copy(values.begin(), values.end(), m_data.begin());
    }

    template <std::integral I>
    constexpr T &operator[](I index) { return m_data[offset(index)]; }
    template <std::integral I>
    constexpr const T &operator[](I index) const { return m_data[offset(index)]; }

    constexpr void fill(const T &value) { m_data.fill(value); }

    constexpr bool operator==(const RangeArray &) const = default;

private:
    template <std::integral I>
    static constexpr std::size_t offset(I index)
    {
        if (std::cmp_less(index, Low) || std::cmp_greater(index, High))
            throw ERangeError();
        return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) - Low);
    }

    std::array<T, size()> m_data{};
};

} // namespace morva

#endif
