#include "arith/SexLinked.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"
#include "arith/StoredGenerations.h"

namespace morva {

namespace {

constexpr Extended Two = 2;

inline Extended limitOf(Extended pf, Extended pm)
{
    return (Two * pf + pm) / 3;
}

} // namespace

Extended sexLinkedLimit(Extended pf, Extended pm)
{
    fpClear();
    fpBarrier(pf, pm);
    Extended limit = limitOf(pf, pm);
    fpBarrier(limit);
    fpCheck();
    return limit;
}

void runSexLinked(const SexLinkedParams &in, SexLinkedTrajectory &out)
{
    if (in.ng < 0 || in.ng > SexLinkedMaxGenerations)
        throw ERangeError();
    out.t = storedGenerations(in.ng);
    const std::size_t n = out.t.size();
    for (auto *series : {&out.pf, &out.pm, &out.difference, &out.population}) {
        series->clear();
        series->reserve(n);
    }
    Extended pf = in.pf;
    Extended pm = in.pm;
    fpClear();
    fpBarrier(pf, pm);
    for (std::int32_t g = 0;; ++g) {
        out.pf.push_back(pf);
        out.pm.push_back(pm);
        out.difference.push_back(pf - pm);
        out.population.push_back(limitOf(pf, pm));
        fpCheck();
        if (g == in.ng)
            break;
        const Extended nextF = (pf + pm) / 2;
        pm = pf;
        pf = nextF;
    }
}

} // namespace morva
