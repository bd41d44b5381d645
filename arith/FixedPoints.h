#ifndef MORVA_ARITH_FIXEDPOINTS_H
#define MORVA_ARITH_FIXEDPOINTS_H

// Equilibria of a one-generation map of an allele frequency on [0, 1] whose
// fixed-point equation is a polynomial of degree at most 3, and their
// stability from the slope of the map.

#include "arith/Equilibria.h"
#include "arith/Extended.h"

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace morva {

// One equilibrium: the frequency the map keeps, the map's slope there (none
// where the map has no derivative: a mean fitness of 0), how populations
// beside it move (Equilibria.h), and whether they come to it.
struct FixedPoint {
    Extended value = 0;
    std::optional<Extended> slope;
    Stability kind = Stability::Neutral;
    bool stable = false;  // isApproached(kind)
};

// The equilibria on [0, 1] in ascending order, the ends included when they
// are fixed. everyPoint: the map keeps every frequency (a neutral model);
// points is then empty.
struct FixedPoints {
    std::vector<FixedPoint> points;
    bool everyPoint = false;
};

// c[0] + c[1] x + c[2] x^2 + c[3] x^3, for building fixed-point equations
// out of linear factors.
struct Cubic {
    std::array<Extended, 4> c{};

    static Cubic linear(Extended c0, Extended c1) { return Cubic{{c0, c1, 0, 0}}; }
    // Horner: ((c3 x + c2) x + c1) x + c0.
    Extended operator()(Extended x) const { return ((c[3] * x + c[2]) * x + c[1]) * x + c[0]; }
    bool isZero() const { return c[0] == 0 && c[1] == 0 && c[2] == 0 && c[3] == 0; }
};

// Term by term. A product of degree above 3 is a range error.
Cubic operator+(const Cubic &a, const Cubic &b);
Cubic operator-(const Cubic &a, const Cubic &b);
Cubic operator*(const Cubic &a, const Cubic &b);
Cubic operator*(Extended k, const Cubic &a);

// The roots on [0, 1] of a polynomial given twice: expanded (used only to
// place its turning points, the real roots of its derivative, so that it is
// monotone between them) and as residual(x), the same polynomial in a
// factored form that keeps its precision near the roots. Order: the
// turning points inside (0, 1) from the derivative's quadratic (the
// cancellation-free form); residual at 0, each turning point and 1; a point
// where residual is 0 is a root; a sign change between neighbours is
// bisected down to adjacent numbers (the one with the smaller |residual|
// wins); a turning point whose residual is within rounding of 0 (16 ulps of
// the sum of the expanded terms' magnitudes there) and not of opposite sign
// to a neighbour's counts as 0, a double root, and starts no bisection.
// Ascending. The caller checks the flags.
std::vector<Extended> rootsOnUnitInterval(const Cubic &expanded,
                                          const std::function<Extended(Extended)> &residual);

// FixedPoints of a map from its fixed-point equation (as above), its slope
// and the map itself, step(p) = p' (one generation as the model's run takes
// it, with p[2] = 1 - p): everyPoint when every expanded coefficient is 0,
// else each root of rootsOnUnitInterval that step keeps (of two within 64
// ulps, the one step moves less), within 16 ulps
// times max(1, |1 - slope|) (a root of the equation where the mean fitness
// is 0 need not be one of the map). Its kind from |slope| below or above 1;
// where the slope is 1 (within kNeutralBand) or missing, from runs of step
// started kBesideDistance from it (or a quarter of the way to the next
// root, when that is nearer). Each root inside (0, 1) is first polished by
// Newton steps on `wide`, the residual evaluated in WideReal, while they
// lower its size. The caller checks the flags.
FixedPoints fixedPointsOnUnitInterval(
    const Cubic &expanded, const std::function<Extended(Extended)> &residual,
    const std::function<std::optional<Extended>(Extended)> &slopeAt,
    const std::function<Extended(Extended)> &step,
    const std::function<WideReal(WideReal)> &wide);

} // namespace morva

#endif
