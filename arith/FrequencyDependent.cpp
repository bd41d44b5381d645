#include "arith/FrequencyDependent.h"

#include "arith/Errors.h"
#include "arith/FloatChecks.h"
#include "arith/StoredGenerations.h"
#include "arith/TwoAlleleSelection.h"

#include <algorithm>
#include <cmath>

namespace morva {

using namespace selection;

namespace {

// The three fitness lines.
struct Lines {
    Fit2 base;   // a11, a12, a22
    Extended b11, b12, b22;
    explicit Lines(const FreqDepParams &in) : base(in.a), b11(in.b[1]), b12(in.b[2]), b22(in.b[3])
    {
    }
};

// The genotype fitnesses at A1 frequency x, A2 frequency y: a + b times the
// genotype's frequency, which with b = 0 adds a zero and leaves a as it is.
inline Fit2 fitnessAt(const Lines &l, Extended x, Extended y)
{
    Fit2 f = l.base;
    f.w11 = l.base.w11 + l.b11 * (x * x);
    f.w12 = l.base.w12 + l.b12 * (Two * x * y);
    f.w22 = l.base.w22 + l.b22 * (y * y);
    return f;
}

// 1, 2 or 3 for the first genotype whose fitness is below 0; 0 when none is.
inline int firstNegative(const Fit2 &f)
{
    return f.w11 < 0 ? 1 : f.w12 < 0 ? 2 : f.w22 < 0 ? 3 : 0;
}

// Why generation g cannot be selected, if it cannot.
inline std::optional<FreqDepStop> stopOf(std::int32_t g, const Fit2 &f, Extended wm)
{
    if (const int genotype = firstNegative(f))
        return FreqDepStop{g, FreqDepStopReason::NegativeFitness, genotype};
    if (wm == 0)
        return FreqDepStop{g, FreqDepStopReason::ZeroMeanFitness, 0};
    return std::nullopt;
}

void startStored(std::int32_t ng, FreqDepTrajectory &out)
{
    out.t = storedGenerations(ng);
    for (auto *series : {&out.p1, &out.p2, &out.w11, &out.w12, &out.w22, &out.W1, &out.W2,
                         &out.wmed, &out.deltaP}) {
        series->clear();
        series->reserve(out.t.size());
    }
    out.stop.reset();
}

// The slope of the map F(x) = x W1 / Wm at A1 frequency x (y = 1 - x), its
// derivative written out: with ' for d/dx (dy/dx = -1), w11' = 2 b11 x,
// w12' = 2 b12 (y - x), w22' = -2 b22 y; W1' = w11 + x w11' - w12 + y w12';
// W2' = w12 + x w12' - w22 + y w22'; Wm' = W1 + x W1' - W2 + y W2'; F' =
// ((W1 + x W1') Wm - x W1 Wm') / Wm^2. At 0 that is w12 / w22, at 1 w12 /
// w11, and inside, where W1 = W2 = Wm, 1 + x y (W1' - W2') / Wm. None where
// Wm is 0.
std::optional<Extended> slopeAt(const Lines &l, Extended x)
{
    const Extended y = 1 - x;
    const Fit2 f = fitnessAt(l, x, y);
    const Extended d11 = Two * l.b11 * x;
    const Extended d12 = Two * l.b12 * (y - x);
    const Extended d22 = -Two * l.b22 * y;
    const Extended W1 = fitness1(f, x, y);
    const Extended W2 = fitness2(f, x, y);
    const Extended wm = x * W1 + y * W2;
    if (wm == 0)
        return std::nullopt;
    const Extended dW1 = f.w11 + x * d11 - f.w12 + y * d12;
    const Extended dW2 = f.w12 + x * d12 - f.w22 + y * d22;
    const Extended dWm = W1 + x * dW1 - W2 + y * dW2;
    return ((W1 + x * dW1) * wm - x * W1 * dWm) / (wm * wm);
}

} // namespace

void runFreqDep(const FreqDepParams &in, FreqDepTrajectory &out)
{
    if (in.ng < 0 || in.ng > FreqDepMaxGenerations)
        throw ERangeError();
    startStored(in.ng, out);
    // Everything is read after fpClear (an opaque call, so the reads stay
    // after it) into locals that nothing else can reach.
    fpClear();
    const Lines l(in);
    Extended p1 = in.p0[1];
    Extended p2 = in.p0[2];
    std::size_t k = 0;   // the next stored generation is out.t[k]
    for (std::int32_t g = 0; g <= in.ng; ++g) {
        const Fit2 f = fitnessAt(l, p1, p2);
        const Extended W1 = fitness1(f, p1, p2);
        const Extended W2 = fitness2(f, p1, p2);
        const Extended wm = mean(f, p1, p2);
        if (std::optional<FreqDepStop> stop = stopOf(g, f, wm)) {
            // An error raised on the way is what went wrong, not the stop.
            fpCheck();
            out.stop = stop;
            break;
        }
        const Extended next1 = (p1 * W1) / wm;
        const Extended next2 = (p2 * W2) / wm;
        if (g == out.t[k]) {
            out.p1.push_back(p1);
            out.p2.push_back(p2);
            out.w11.push_back(f.w11);
            out.w12.push_back(f.w12);
            out.w22.push_back(f.w22);
            out.W1.push_back(W1);
            out.W2.push_back(W2);
            out.wmed.push_back(wm);
            out.deltaP.push_back(next1 - p1);
            ++k;
            fpCheck();
        }
        p1 = next1;
        p2 = next2;
    }
    out.t.resize(k);
}

void computeFreqDepCurve(const FreqDepParams &in, std::int32_t intervals, FreqDepCurve &out)
{
    if (intervals < 1)
        throw ERangeError();
    const auto n = static_cast<std::size_t>(intervals) + 1;
    for (auto *series : {&out.p, &out.delta}) {
        series->clear();
        series->reserve(n);
    }
    out.defined.assign(n, false);
    fpClear();
    const Lines l(in);
    const Extended em = intervals;
    for (std::int32_t i = 0; i <= intervals; ++i) {
        const Extended p = static_cast<Extended>(i) / em;
        const Extended q = 1 - p;
        const Fit2 f = fitnessAt(l, p, q);
        const bool defined = firstNegative(f) == 0 && mean(f, p, q) != 0;
        const Extended d1 = f.w11 - f.w12;
        const Extended d2 = f.w22 - f.w12;
        out.p.push_back(p);
        out.delta.push_back(defined ? expectedDelta(f, d1, d2, p) : Extended(0));
        out.defined[static_cast<std::size_t>(i)] = defined;
    }
    fpCheck();
}

FixedPoints freqDepFixedPoints(const FreqDepParams &in)
{
    fpClear();
    const Lines l(in);
    const Cubic p = Cubic::linear(0, 1);
    const Cubic q = Cubic::linear(1, -1);
    const Cubic w11 = Cubic::linear(l.base.w11, 0) + l.b11 * (p * p);
    const Cubic w12 = Cubic::linear(l.base.w12, 0) + (Two * l.b12) * (p * q);
    const Cubic w22 = Cubic::linear(l.base.w22, 0) + l.b22 * (q * q);
    const Cubic expanded = p * (w11 - w12) + q * (w12 - w22);
    FixedPoints result;
    if (expanded.isZero()) {
        result.everyPoint = true;
        fpCheck();
        return result;
    }
    const auto residual = [&l](Extended x) {
        const Extended y = 1 - x;
        const Fit2 f = fitnessAt(l, x, y);
        return x * (f.w11 - f.w12) + y * (f.w12 - f.w22);
    };
    std::vector<Extended> xs = rootsOnUnitInterval(expanded, residual);
    xs.push_back(0);
    xs.push_back(1);
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    for (const Extended x : xs) {
        if (firstNegative(fitnessAt(l, x, 1 - x)) != 0)
            continue;
        FixedPoint point;
        point.value = x;
        point.slope = slopeAt(l, x);
        // Without a slope (Wmed = 0) populations beside it are left: the
        // run stops there.
        point.kind = point.slope ? stabilityOf(std::fabs(*point.slope)) : Stability::Unstable;
        point.stable = isApproached(point.kind);
        result.points.push_back(point);
    }
    fpCheck();
    return result;
}

} // namespace morva
