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

    // A turning point within rounding of 0 counts as 0: a double root there,
    // never split into two roots a rounding error apart.
    const std::size_t last = xs.size() - 1;
    std::vector<int> signs(xs.size());
    for (std::size_t i = 0; i <= last; ++i) {
        signs[i] = signOf(fs[i]);
        if (i > 0 && i < last && std::fabs(fs[i]) <= roundingBound(expanded, xs[i]))
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
    const std::function<std::optional<Extended>(Extended)> &slopeAt)
{
    FixedPoints result;
    if (expanded.isZero()) {
        result.everyPoint = true;
        return result;
    }
    for (const Extended x : rootsOnUnitInterval(expanded, residual)) {
        FixedPoint point;
        point.value = x;
        point.slope = slopeAt(x);
        point.stable = point.slope && std::fabs(*point.slope) < 1;
        result.points.push_back(point);
    }
    return result;
}

} // namespace morva
