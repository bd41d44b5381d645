#include "arith/Selfing.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"
#include "arith/StoredGenerations.h"

#include <cmath>

namespace morva {

namespace {

constexpr Extended Two = 2;

SelfingEquilibrium equilibriumUnchecked(Extended P, Extended H, Extended Q, Extended s)
{
    SelfingEquilibrium e;
    e.p = P + H / 2;
    e.q = Q + H / 2;
    e.hwP = e.p * e.p;
    e.hwH = Two * e.p * e.q;
    e.hwQ = e.q * e.q;
    e.F = s / (2 - s);
    e.H = ((1 - s) * e.hwH) / (1 - s / 2);
    e.P = e.p - e.H / 2;
    e.Q = e.q - e.H / 2;
    return e;
}

} // namespace

SelfingEquilibrium selfingEquilibrium(const SelfingParams &in)
{
    fpClear();
    SelfingEquilibrium e = equilibriumUnchecked(in.P, in.H, in.Q, in.s);
    fpBarrier(e);
    fpCheck();
    return e;
}

void runSelfing(const SelfingParams &in, SelfingTrajectory &out)
{
    if (in.ng < 0 || in.ng > SelfingMaxGenerations)
        throw ERangeError();
    out.t = storedGenerations(in.ng);
    const std::size_t n = out.t.size();
    for (auto *series : {&out.P, &out.H, &out.Q, &out.F}) {
        series->clear();
        series->reserve(n);
    }
    fpClear();
    const SelfingEquilibrium e = equilibriumUnchecked(in.P, in.H, in.Q, in.s);
    fpCheck();
    out.inbreedingDefined = e.hwH != 0;
    Extended s = in.s;
    Extended P = in.P, H = in.H, Q = in.Q;
    fpBarrier(s, P, H, Q);
    const Extended r = 1 - s;
    for (std::int32_t g = 0;; ++g) {
        out.P.push_back(P);
        out.H.push_back(H);
        out.Q.push_back(Q);
        if (out.inbreedingDefined)
            out.F.push_back(1 - H / e.hwH);
        fpCheck();
        if (g == in.ng)
            break;
        const Extended quarter = H / 4;
        const Extended nextP = r * e.hwP + s * (P + quarter);
        const Extended nextH = r * e.hwH + s * (H / 2);
        const Extended nextQ = r * e.hwQ + s * (Q + quarter);
        P = nextP;
        H = nextH;
        Q = nextQ;
    }
}

Extended selfingHeterozygosity(Extended H0, Extended Hhat, Extended s, std::int32_t t)
{
    fpClear();
    fpBarrier(H0, Hhat, s);
    Extended h = Hhat + (H0 - Hhat) * std::pow(s / 2, static_cast<Extended>(t));
    fpBarrier(h);
    fpCheck();
    return h;
}

} // namespace morva
