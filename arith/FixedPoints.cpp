#include "arith/FixedPoints.h"

#include "arith/Errors.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace morva {

namespace {

int signOf(Extended x)
{
    return x > 0 ? 1 : (x < 0 ? -1 : 0);
}

// The turning points inside (0, 1): real roots of c1 + 2 c2 x + 3 c3 x^2,
// ascending, without repeats.
std::vector<Extended> turningPoints(const Cubic &f)
{
    const Extended a = 3 * f.c[3];
    const Extended b = 2 * f.c[2];
    const Extended c = f.c[1];
    std::vector<Extended> xs;
    if (a == 0) {
        if (b != 0)
            xs.push_back(-c / b);
    } else {
        const Extended disc = b * b - 4 * a * c;
        if (disc >= 0) {
            const Extended root = std::sqrt(disc);
            const Extended h = -(b + std::copysign(root, b)) / 2;
            if (h != 0) {
                xs.push_back(h / a);
                xs.push_back(c / h);
            } else {
                xs.push_back(0);
            }
        }
    }
    std::erase_if(xs, [](Extended x) { return !(x > 0 && x < 1); });
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    return xs;
}

// Rounding bound of the polynomial's value at x.
Extended roundingBound(const Cubic &f, Extended x)
{
    const Extended size = ((std::fabs(f.c[3]) * x + std::fabs(f.c[2])) * x + std::fabs(f.c[1])) * x
        + std::fabs(f.c[0]);
    return 16 * LDBL_EPSILON * size;
}

// A root in (lo, hi), where residual has the nonzero signs fLo and fHi of
// opposite sign and is monotone.
Extended bisect(const std::function<Extended(Extended)> &residual, Extended lo, Extended fLo,
                Extended hi, Extended fHi)
{
    const int sLo = signOf(fLo);
    for (int i = 0; i < 256; ++i) {
        const Extended mid = lo + (hi - lo) / 2;
        if (!(mid > lo && mid < hi))
            break;
        const Extended fMid = residual(mid);
        if (fMid == 0 || std::isnan(fMid))
            return mid;
        if (signOf(fMid) == sLo) {
            lo = mid;
            fLo = fMid;
        } else {
            hi = mid;
            fHi = fMid;
        }
    }
    return std::fabs(fLo) <= std::fabs(fHi) ? lo : hi;
}

// Newton steps on the wide residual from x (its derivative by a central
// difference), each kept while it lowers the residual's size: x rounded
// from a root of the wide residual, whatever the cancellation in the
// Extended one.
Extended polish(const std::function<WideReal(WideReal)> &wide, Extended x)
{
    WideReal at = x;
    WideReal size = wide(at);
    for (int i = 0; i < 6 && size != 0; ++i) {
        const WideReal h = 1e-12L * std::max<Extended>(std::fabs(x), LDBL_MIN);
        const WideReal slope = (wide(at + h) - wide(at - h)) / (2 * h);
        if (slope == 0)
            break;
        const WideReal next = at - size / slope;
        const WideReal nextSize = wide(next);
        if (!(next > 0 && next < 1) || !(nextSize * nextSize < size * size))
            break;
        at = next;
        size = nextSize;
    }
    return static_cast<Extended>(at);
}

// Whether step keeps x: |step(x) - x| within 16 ulps of x, times the
// factor `gain` = |1 - slope| by which the map magnifies the rounding of x.
bool keeps(const std::function<Extended(Extended)> &step, Extended x, Extended gain)
{
    const Extended moved = std::fabs(step(x) - x);
    return moved <= 16 * LDBL_EPSILON * std::fabs(x) * std::max<Extended>(1, gain);
}

// How populations beside x move: from |slope| when it is clearly below or
// above 1, otherwise from two generations of step started `distance` from x
// on each side inside [0, 1].
Stability kindOf(const std::function<Extended(Extended)> &step, Extended x,
                 std::optional<Extended> slope, Extended distance)
{
    if (slope) {
        const Stability linear = stabilityOf(std::fabs(*slope));
        if (linear != Stability::Neutral)
            return linear;
    }
    std::vector<BesideRun> runs;
    for (const Extended start : {x - distance, x + distance}) {
        if (start < 0 || start > 1 || start == x)
            continue;
        runs.push_back({std::fabs(start - x), std::fabs(step(step(start)) - x)});
    }
    return motionBeside(runs, slope ? Stability::Slow : Stability::Stable);
}

} // namespace

Cubic operator+(const Cubic &a, const Cubic &b)
{
    Cubic r;
    for (int i = 0; i <= 3; ++i)
        r.c[i] = a.c[i] + b.c[i];
    return r;
}

Cubic operator-(const Cubic &a, const Cubic &b)
{
    Cubic r;
    for (int i = 0; i <= 3; ++i)
        r.c[i] = a.c[i] - b.c[i];
    return r;
}

Cubic operator*(const Cubic &a, const Cubic &b)
{
    Cubic r;
    for (int i = 0; i <= 3; ++i) {
        for (int j = 0; j <= 3; ++j) {
            if (i + j <= 3)
                r.c[i + j] += a.c[i] * b.c[j];
            else if (a.c[i] != 0 && b.c[j] != 0)
                throw ERangeError();
        }
    }
    return r;
}

Cubic operator*(Extended k, const Cubic &a)
{
    Cubic r;
    for (int i = 0; i <= 3; ++i)
        r.c[i] = k * a.c[i];
    return r;
}

std::vector<Extended> rootsOnUnitInterval(const Cubic &expanded,
                                          const std::function<Extended(Extended)> &residual)
{
    std::vector<Extended> xs{0};
    for (const Extended x : turningPoints(expanded))
        xs.push_back(x);
    xs.push_back(1);
    std::vector<Extended> fs;
    fs.reserve(xs.size());
    for (const Extended x : xs)
        fs.push_back(residual(x));

    // A turning point within rounding of 0 whose sign agrees with its
    // neighbours' counts as 0: a double root there, which no sign change
    // would find. One of opposite sign to a neighbour is a sign change that
    // the residual resolves.
    const std::size_t last = xs.size() - 1;
    std::vector<int> signs(xs.size());
    for (std::size_t i = 0; i <= last; ++i)
        signs[i] = signOf(fs[i]);
    for (std::size_t i = 1; i < last; ++i) {
        const bool opposite = signs[i] * signOf(fs[i - 1]) < 0 || signs[i] * signOf(fs[i + 1]) < 0;
        if (!opposite && std::fabs(fs[i]) <= roundingBound(expanded, xs[i]))
            signs[i] = 0;
    }
    std::vector<Extended> roots;
    for (std::size_t i = 0; i <= last; ++i) {
        if (signs[i] == 0)
            roots.push_back(xs[i]);
        if (i < last && signs[i] * signs[i + 1] < 0)
            roots.push_back(bisect(residual, xs[i], fs[i], xs[i + 1], fs[i + 1]));
    }
    return roots;
}

FixedPoints fixedPointsOnUnitInterval(
    const Cubic &expanded, const std::function<Extended(Extended)> &residual,
    const std::function<std::optional<Extended>(Extended)> &slopeAt,
    const std::function<Extended(Extended)> &step,
    const std::function<WideReal(WideReal)> &wide)
{
    FixedPoints result;
    if (expanded.isZero()) {
        result.everyPoint = true;
        return result;
    }
    for (const Extended root : rootsOnUnitInterval(expanded, residual)) {
        const Extended x = root > 0 && root < 1 ? polish(wide, root) : root;
        FixedPoint point;
        point.value = x;
        point.slope = slopeAt(x);
        const Extended gain = point.slope ? std::fabs(1 - *point.slope) : Extended(0);
        if (!keeps(step, x, gain))
            continue;
        // Two roots a rounding error apart are one: the one step moves less.
        if (!result.points.empty()) {
            const FixedPoint &before = result.points.back();
            if (x - before.value <= 64 * LDBL_EPSILON * x) {
                const Extended moved = std::fabs(step(x) - x);
                const Extended movedBefore = std::fabs(step(before.value) - before.value);
                if (moved > movedBefore || (moved == movedBefore && x != 1))
                    continue;
                result.points.pop_back();
            }
        }
        result.points.push_back(point);
    }
    std::vector<FixedPoint> &points = result.points;
    for (std::size_t k = 0; k < points.size(); ++k) {
        const Extended x = points[k].value;
        Extended distance = kBesideDistance;
        if (k > 0)
            distance = std::min(distance, (x - points[k - 1].value) / 4);
        if (k + 1 < points.size())
            distance = std::min(distance, (points[k + 1].value - x) / 4);
        points[k].kind = kindOf(step, x, points[k].slope, distance);
        points[k].stable = isApproached(points[k].kind);
    }
    return result;
}

} // namespace morva
