#include "arith/SelectionMutation.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"

#include <cmath>

namespace morva {

using namespace selection;

namespace {

// One generation's selection terms.
struct Generation {
    Extended p1, p2, W1, W2, wm;

    // The frequencies after this generation's selection, then mutation.
    void advance(Extended keep1, Extended keep2, Extended u, Extended v, Extended &next1,
                 Extended &next2) const
    {
        Extended s1 = p1;
        Extended s2 = p2;
        if (wm != 0) {
            s1 = (p1 * W1) / wm;
            s2 = (p2 * W2) / wm;
        }
        next1 = s1 * keep1 + s2 * v;
        next2 = s2 * keep2 + s1 * u;
    }
};

inline Generation generationOf(const Fit2 &f, Extended p1, Extended p2)
{
    return {p1, p2, fitness1(f, p1, p2), fitness2(f, p1, p2), mean(f, p1, p2)};
}

} // namespace

namespace {

// The run through `generations`, each handed to visit.
template <class Generations, class Visit>
void walkSelMut(const SelMutParams &in, const Generations &generations, Visit visit)
{
    // Everything is read after fpClear (an opaque call, so the reads stay
    // after it) into locals that nothing else can reach.
    fpClear();
    const Fit2 f(in.w);
    const Extended u = in.u;
    const Extended v = in.v;
    const Extended keep1 = 1 - u;
    const Extended keep2 = 1 - v;
    walkTrajectory(
        in.p0[1], in.p0[2], generations,
        [&f](Extended p1, Extended p2) { return generationOf(f, p1, p2); },
        [&](const Generation &now, Extended &p1, Extended &p2) {
            now.advance(keep1, keep2, u, v, p1, p2);
        },
        visit);
}

void checkGenerations(std::int32_t ng)
{
    if (ng < 0 || ng > SelMutMaxGenerations)
        throw ERangeError();
}

} // namespace

void runSelMut(const SelMutParams &in, SelMutTrajectory &out)
{
    checkGenerations(in.ng);
    startTrajectory(in.ng, out);
    walkSelMut(in, out.t, [&out](const TwoAlleleGeneration &now) { appendGeneration(out, now); });
}

void visitSelMut(const SelMutParams &in, const TwoAlleleVisitor &visit)
{
    checkGenerations(in.ng);
    walkSelMut(in, everyGeneration(in.ng), checkedVisitor(visit));
}

void computeSelMutCurves(const SelMutParams &in, std::int32_t intervals, SelMutCurves &out)
{
    if (intervals < 1)
        throw ERangeError();
    const auto n = static_cast<std::size_t>(intervals) + 1;
    for (auto *series : {&out.p, &out.selection, &out.mutation, &out.total}) {
        series->clear();
        series->reserve(n);
    }
    const Fit2 f(in.w);
    Extended u = in.u;
    Extended v = in.v;
    fpClear();
    fpBarrier(u, v);
    const Extended d1 = f.w11 - f.w12;
    const Extended d2 = f.w22 - f.w12;
    const Extended uv = u + v;
    const Extended em = intervals;
    for (std::int32_t i = 0; i <= intervals; ++i) {
        const Extended p = static_cast<Extended>(i) / em;
        const Extended ds = expectedDelta(f, d1, d2, p);
        const Extended dm = v - uv * p;
        const Extended dt = ds + (v - uv * (p + ds));
        out.p.push_back(p);
        out.selection.push_back(ds);
        out.mutation.push_back(dm);
        out.total.push_back(dt);
    }
    fpCheck();
}

FixedPoints selMutFixedPoints(const SelMutParams &in)
{
    const Fit2 f(in.w);
    Extended u = in.u;
    Extended v = in.v;
    fpClear();
    fpBarrier(u, v);
    const Cubic p = Cubic::linear(0, 1);
    const Cubic q = Cubic::linear(1, -1);
    const Cubic W1 = Cubic::linear(f.w12, f.w11 - f.w12);
    const Cubic W2 = Cubic::linear(f.w22, f.w12 - f.w22);
    const Cubic expanded = p * Cubic::linear(1 - u, -1) * W1 - q * Cubic::linear(-v, 1) * W2;
    // The same cubic as p (q - u) W1 - q (p - v) W2, written so that its
    // p q terms do not cancel: p q (W1 - W2) - u p W1 + v q W2, with W1 - W2
    // = p d1 - q d2 exact where the fitnesses are equal.
    const Extended d1 = f.w11 - f.w12;
    const Extended d2 = f.w22 - f.w12;
    const auto residual = [&](Extended x) {
        const Extended y = 1 - x;
        return (x * y) * (x * d1 - y * d2) - u * (x * fitness1(f, x, y))
               + v * (y * fitness2(f, x, y));
    };
    const Extended scale = (1 - u) - v;
    const auto slopeAt = [&](Extended x) -> std::optional<Extended> {
        const std::optional<Extended> s = selectionSlope(f, x, 1 - x);
        if (!s)
            return std::nullopt;
        return scale * *s;
    };
    const Extended keep1 = 1 - u;
    const Extended keep2 = 1 - v;
    const auto step = [&](Extended x) {
        Extended next1 = 0, next2 = 0;
        generationOf(f, x, 1 - x).advance(keep1, keep2, u, v, next1, next2);
        return next1;
    };
    const auto wide = [&](WideReal x) {
        const WideReal y = 1 - x, w11 = f.w11, w12 = f.w12, w22 = f.w22;
        const WideReal W1 = x * w11 + y * w12, W2 = x * w12 + y * w22;
        return (x * y) * (W1 - W2) - WideReal(u) * (x * W1) + WideReal(v) * (y * W2);
    };
    FixedPoints result = fixedPointsOnUnitInterval(expanded, residual, slopeAt, step, wide);
    fpCheck();
    return result;
}

Extended recessiveBalance(Extended u, Extended s)
{
    fpClear();
    fpBarrier(u, s);
    Extended q = std::sqrt(u / s);
    fpBarrier(q);
    fpCheck();
    return q;
}

Extended partlyDominantBalance(Extended u, Extended h, Extended s)
{
    fpClear();
    fpBarrier(u, h, s);
    Extended q = u / (h * s);
    fpBarrier(q);
    fpCheck();
    return q;
}

std::optional<SelMutBalance> selMutBalance(const TGenotypeFitness &w, Extended u, Extended v)
{
    const Extended w11 = w[1], w12 = w[2], w22 = w[3];
    if (w11 == w22)
        return std::nullopt;
    SelMutBalance b;
    b.allele = w22 < w11 ? 2 : 1;
    const Extended other = b.allele == 2 ? w11 : w22;
    const Extended deleterious = b.allele == 2 ? w22 : w11;
    const Extended rate = b.allele == 2 ? u : v;
    if (!(other > 0) || w12 > other || w12 < deleterious)
        return std::nullopt;
    fpClear();
    Extended s = (other - deleterious) / other;
    Extended hs = (other - w12) / other;
    fpBarrier(s, hs);
    fpCheck();
    b.s = s;
    if (w12 == other) {
        b.kind = SelMutBalanceKind::Recessive;
        b.h = 0;
        b.frequency = recessiveBalance(rate, s);
    } else {
        b.kind = SelMutBalanceKind::PartlyDominant;
        fpClear();
        Extended h = hs / s;
        fpBarrier(h);
        fpCheck();
        b.h = h;
        b.frequency = partlyDominantBalance(rate, h, s);
    }
    return b;
}

} // namespace morva
