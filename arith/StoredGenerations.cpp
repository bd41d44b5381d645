#include "arith/StoredGenerations.h"

#include "arith/Errors.h"

namespace morva {

std::vector<std::int32_t> storedGenerations(std::int32_t ng)
{
    if (ng < 0)
        throw ERangeError();
    std::vector<std::int32_t> gens;
    const std::int32_t beyond = ng > StoredEveryUpTo ? ng - StoredEveryUpTo : 0;
    if (beyond <= StoredBeyondAtMost) {
        gens.reserve(static_cast<std::size_t>(ng) + 1);
        for (std::int32_t g = 0; g <= ng; ++g)
            gens.push_back(g);
        return gens;
    }
    gens.reserve(StoredEveryUpTo + 1 + StoredBeyondAtMost);
    for (std::int32_t g = 0; g <= StoredEveryUpTo; ++g)
        gens.push_back(g);
    for (std::int64_t k = 1; k <= StoredBeyondAtMost; ++k) {
        const std::int64_t scaled = k * beyond;
        std::int64_t offset = scaled / StoredBeyondAtMost;
        if (2 * (scaled % StoredBeyondAtMost) > StoredBeyondAtMost)
            ++offset;
        gens.push_back(StoredEveryUpTo + static_cast<std::int32_t>(offset));
    }
    return gens;
}

} // namespace morva
