#include "arith/SelectionMigration.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"

namespace morva {

using namespace selection;

namespace {

// 1 - m, m pc and m qc, formed once.
struct Migration {
    Extended keep;
    Extended in1;
    Extended in2;
};

Migration migrationOf(Extended m, Extended pc)
{
    const Extended qc = 1 - pc;
    return {1 - m, m * pc, m * qc};
}

// One generation's migration and selection terms.
struct Generation {
    Extended pm1, pm2, W1, W2, wm;

    // The island's frequencies after this generation's selection.
    void advance(Extended &p1, Extended &p2) const
    {
        if (wm != 0) {
            p1 = (pm1 * W1) / wm;
            p2 = (pm2 * W2) / wm;
        } else {
            p1 = pm1;
            p2 = pm2;
        }
    }
};

inline Generation generationOf(const Fit2 &f, const Migration &mig, Extended p1, Extended p2)
{
    Generation now;
    now.pm1 = mig.keep * p1 + mig.in1;
    now.pm2 = mig.keep * p2 + mig.in2;
    now.W1 = fitness1(f, now.pm1, now.pm2);
    now.W2 = fitness2(f, now.pm1, now.pm2);
    now.wm = mean(f, now.pm1, now.pm2);
    return now;
}

} // namespace

namespace {

// The run through `generations`, each handed to visit.
template <class Generations, class Visit>
void walkSelMig(const SelMigParams &in, const Generations &generations, Visit visit)
{
    // Everything is read after fpClear (an opaque call, so the reads stay
    // after it) into locals that nothing else can reach.
    fpClear();
    const Fit2 f(in.w);
    const Migration mig = migrationOf(in.m, in.pc);
    walkTrajectory(
        in.p0[1], in.p0[2], generations,
        [&f, &mig](Extended p1, Extended p2) { return generationOf(f, mig, p1, p2); },
        [](const Generation &now, Extended &p1, Extended &p2) { now.advance(p1, p2); }, visit);
}

void checkGenerations(std::int32_t ng)
{
    if (ng < 0 || ng > SelMigMaxGenerations)
        throw ERangeError();
}

} // namespace

void runSelMig(const SelMigParams &in, SelMigTrajectory &out)
{
    checkGenerations(in.ng);
    startTrajectory(in.ng, out);
    walkSelMig(in, out.t, [&out](const TwoAlleleGeneration &now) { appendGeneration(out, now); });
}

void visitSelMig(const SelMigParams &in, const TwoAlleleVisitor &visit)
{
    checkGenerations(in.ng);
    walkSelMig(in, everyGeneration(in.ng), checkedVisitor(visit));
}

void computeSelMigCurves(const SelMigParams &in, std::int32_t intervals, SelMigCurves &out)
{
    if (intervals < 1)
        throw ERangeError();
    const auto n = static_cast<std::size_t>(intervals) + 1;
    for (auto *series : {&out.p, &out.migration, &out.selection, &out.total}) {
        series->clear();
        series->reserve(n);
    }
    const Fit2 f(in.w);
    Extended m = in.m;
    Extended pc = in.pc;
    fpClear();
    fpBarrier(m, pc);
    const Extended d1 = f.w11 - f.w12;
    const Extended d2 = f.w22 - f.w12;
    const Extended em = intervals;
    for (std::int32_t i = 0; i <= intervals; ++i) {
        const Extended p = static_cast<Extended>(i) / em;
        const Extended dm = m * (pc - p);
        const Extended ds = expectedDelta(f, d1, d2, p);
        const Extended dt = dm + expectedDelta(f, d1, d2, p + dm);
        out.p.push_back(p);
        out.migration.push_back(dm);
        out.selection.push_back(ds);
        out.total.push_back(dt);
    }
    fpCheck();
}

FixedPoints selMigFixedPoints(const SelMigParams &in)
{
    const Fit2 f(in.w);
    Extended m = in.m;
    Extended pc = in.pc;
    fpClear();
    fpBarrier(m, pc);
    const Migration mig = migrationOf(m, pc);
    const Cubic p = Cubic::linear(0, 1);
    const Cubic q = Cubic::linear(1, -1);
    const Cubic pm = Cubic::linear(mig.in1, mig.keep);
    const Cubic qm = Cubic::linear(mig.keep + mig.in2, -mig.keep);
    const Cubic W1 = f.w11 * pm + f.w12 * qm;
    const Cubic W2 = f.w12 * pm + f.w22 * qm;
    const Cubic expanded = q * pm * W1 - p * qm * W2;
    // The same cubic as q pm W1 - p qm W2, written as the numerator of
    // p' - p = m (pc - p) + pm qm (W1 - W2) / Wmed so that its terms do not
    // cancel where migration or selection is weak.
    const Extended d1 = f.w11 - f.w12;
    const Extended d2 = f.w22 - f.w12;
    const auto residual = [&](Extended x) {
        const Extended xm = mig.keep * x + mig.in1;
        const Extended ym = mig.keep * (1 - x) + mig.in2;
        return (m * (pc - x)) * mean(f, xm, ym) + (xm * ym) * (xm * d1 - ym * d2);
    };
    const auto slopeAt = [&](Extended x) -> std::optional<Extended> {
        const Extended xm = mig.keep * x + mig.in1;
        const Extended ym = mig.keep * (1 - x) + mig.in2;
        const std::optional<Extended> s = selectionSlope(f, xm, ym);
        if (!s)
            return std::nullopt;
        return mig.keep * *s;
    };
    const auto step = [&](Extended x) {
        Extended p1 = x, p2 = 1 - x;
        generationOf(f, mig, p1, p2).advance(p1, p2);
        return p1;
    };
    const auto wide = [&](WideReal x) {
        const WideReal w11 = f.w11, w12 = f.w12, w22 = f.w22, mw = m, pcw = pc;
        const WideReal xm = (1 - mw) * x + mw * pcw, ym = 1 - xm;
        const WideReal W1 = xm * w11 + ym * w12, W2 = xm * w12 + ym * w22;
        return (mw * (pcw - x)) * (xm * W1 + ym * W2) + (xm * ym) * (W1 - W2);
    };
    FixedPoints result = fixedPointsOnUnitInterval(expanded, residual, slopeAt, step, wide);
    fpCheck();
    return result;
}

} // namespace morva
