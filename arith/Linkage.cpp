#include "arith/Linkage.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"
#include "arith/StoredGenerations.h"

#include <cmath>

namespace morva {

namespace {

LinkageAlleles allelesUnchecked(const GameteFrequencies &x)
{
    LinkageAlleles a;
    a.pA = x[1] + x[2];
    a.pa = x[3] + x[4];
    a.pB = x[1] + x[3];
    a.pb = x[2] + x[4];
    a.D0 = x[1] * x[4] - x[2] * x[3];
    a.equilibrium = {a.pA * a.pB, a.pA * a.pb, a.pa * a.pB, a.pa * a.pb};
    return a;
}

inline Extended closedForm(Extended D0, Extended keep, std::int32_t t)
{
    return D0 * std::pow(keep, static_cast<Extended>(t));
}

} // namespace

LinkageAlleles linkageAlleles(const GameteFrequencies &x)
{
    fpClear();
    LinkageAlleles a = allelesUnchecked(x);
    fpBarrier(a);
    fpCheck();
    return a;
}

Extended linkageDisequilibriumAt(Extended D0, Extended r, std::int32_t t)
{
    fpClear();
    fpBarrier(D0, r);
    Extended d = closedForm(D0, 1 - r, t);
    fpBarrier(d);
    fpCheck();
    return d;
}

void runLinkage(const LinkageParams &in, LinkageTrajectory &out)
{
    if (in.ng < 0 || in.ng > LinkageMaxGenerations)
        throw ERangeError();
    out.t = storedGenerations(in.ng);
    const std::size_t n = out.t.size();
    for (auto *series : {&out.AB, &out.Ab, &out.aB, &out.ab, &out.D, &out.Dclosed, &out.r2}) {
        series->clear();
        series->reserve(n);
    }
    fpClear();
    const LinkageAlleles a = allelesUnchecked(in.x0);
    Extended r = in.r;
    fpBarrier(r);
    const Extended keep = 1 - r;
    const Extended denominator = a.pA * a.pa * a.pB * a.pb;
    fpCheck();
    out.r2Defined = denominator != 0;
    Extended D = a.D0;
    Extended AB = in.x0[1], Ab = in.x0[2], aB = in.x0[3], ab = in.x0[4];
    for (std::int32_t g = 0;; ++g) {
        out.AB.push_back(AB);
        out.Ab.push_back(Ab);
        out.aB.push_back(aB);
        out.ab.push_back(ab);
        out.D.push_back(D);
        out.Dclosed.push_back(closedForm(a.D0, keep, g));
        if (out.r2Defined)
            out.r2.push_back((D * D) / denominator);
        fpCheck();
        if (g == in.ng)
            break;
        D = keep * D;
        AB = a.pA * a.pB + D;
        Ab = a.pA * a.pb - D;
        aB = a.pa * a.pB - D;
        ab = a.pa * a.pb + D;
    }
}

} // namespace morva
