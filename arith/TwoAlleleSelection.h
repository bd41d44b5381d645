#ifndef MORVA_ARITH_TWOALLELESELECTION_H
#define MORVA_ARITH_TWOALLELESELECTION_H

// What the two-allele models with selection share: the selection terms on
// scalars and the trajectory they store. The terms are the selection
// model's expressions (PgMathSe) written in the same order, so a model that
// reduces to pure selection gives its results to the last bit.

#include "arith/Extended.h"
#include "arith/FloatChecks.h"
#include "arith/PgMathSe.h"
#include "arith/StoredGenerations.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace morva {

// The stored generations of a two-allele run with selection. Entry k holds
// generation t[k]; every vector has the same length.
struct TwoAlleleTrajectory {
    std::vector<std::int32_t> t;   // generation numbers (storedGenerations)
    std::vector<Extended> p1;      // frequency of A1 at the start of generation t[k]
    std::vector<Extended> p2;      // frequency of A2 at the start of generation t[k]
    std::vector<Extended> W1;      // fitness of A1 in the selection of generation t[k]
    std::vector<Extended> W2;      // fitness of A2 in the selection of generation t[k]
    std::vector<Extended> wmed;    // mean fitness in the selection of generation t[k]
};

// Empties `out` and sets its generation numbers for a run of ng
// generations.
inline void startTrajectory(std::int32_t ng, TwoAlleleTrajectory &out)
{
    out.t = storedGenerations(ng);
    for (auto *series : {&out.p1, &out.p2, &out.W1, &out.W2, &out.wmed}) {
        series->clear();
        series->reserve(out.t.size());
    }
}

// One stored generation of a two-allele run, as the trajectory holds it.
struct TwoAlleleGeneration {
    std::int32_t t = 0;
    Extended p1 = 0, p2 = 0, W1 = 0, W2 = 0, wmed = 0;
};

// Receives the generations of a run one by one, in order.
using TwoAlleleVisitor = std::function<void(const TwoAlleleGeneration &)>;

// Steps (p1, p2) through `generations` (ascending generation numbers, a
// vector or a range) and hands each one to visit: termsOf(p1, p2) forms a
// generation's terms (members W1, W2, wm) and advance(terms, p1, p2) moves
// the frequencies past that generation. Between visited generations a bare
// loop steps p1, p2 in registers; a visited generation's terms are formed
// again for it, by the same expressions, so they are the same bits. Every
// generation of one run is thus the same whichever generations are visited.
// Called after fpClear.
template <class Generations, class TermsOf, class Advance, class Visit>
void walkTrajectory(Extended p1, Extended p2, const Generations &generations, TermsOf termsOf,
                    Advance advance, Visit visit)
{
    std::int32_t g = 0;
    for (const std::int32_t stored : generations) {
        for (; g < stored; ++g)
            advance(termsOf(p1, p2), p1, p2);
        const auto now = termsOf(p1, p2);
        visit(TwoAlleleGeneration{stored, p1, p2, now.W1, now.W2, now.wm});
        fpCheck();
    }
}

// A visitor for walkTrajectory that runs outside code: the run's flags are
// checked before it, and whatever flags that code raises are cleared after
// it, so that they never count against the run.
inline auto checkedVisitor(const TwoAlleleVisitor &visit)
{
    return [&visit](const TwoAlleleGeneration &now) {
        fpCheck();
        visit(now);
        fpClear();
    };
}

// Generations 0..ng, every one, as walkTrajectory takes them. (A counting
// range of its own: clang's ranges do not accept libstdc++ 12's iota_view.)
struct EveryGeneration {
    struct Iterator {
        std::int32_t g;
        std::int32_t operator*() const { return g; }
        Iterator &operator++()
        {
            ++g;
            return *this;
        }
        bool operator!=(const Iterator &other) const { return g != other.g; }
    };
    std::int32_t last;
    Iterator begin() const { return {0}; }
    Iterator end() const { return {last + 1}; }
};

inline EveryGeneration everyGeneration(std::int32_t ng)
{
    return {ng};
}

// Appends one generation to a trajectory's series.
inline void appendGeneration(TwoAlleleTrajectory &out, const TwoAlleleGeneration &now)
{
    out.p1.push_back(now.p1);
    out.p2.push_back(now.p2);
    out.W1.push_back(now.W1);
    out.W2.push_back(now.W2);
    out.wmed.push_back(now.wmed);
}

namespace selection {

// Genotype fitnesses w11, w12, w22 (elements 1..3 of a TGenotypeFitness).
struct Fit2 {
    Extended w11, w12, w22;
    explicit Fit2(const TGenotypeFitness &w) : w11(w[1]), w12(w[2]), w22(w[3]) {}
};

inline constexpr Extended Two = 2;

// p1 p1 w11 + 2 p1 p2 w12 + p2 p2 w22.
inline Extended mean(const Fit2 &f, Extended p1, Extended p2)
{
    return p1 * p1 * f.w11 + Two * p1 * p2 * f.w12 + p2 * p2 * f.w22;
}

// W1 = p1 w11 + p2 w12.
inline Extended fitness1(const Fit2 &f, Extended p1, Extended p2)
{
    return p1 * f.w11 + p2 * f.w12;
}

// W2 = p1 w12 + p2 w22.
inline Extended fitness2(const Fit2 &f, Extended p1, Extended p2)
{
    return p1 * f.w12 + p2 * f.w22;
}

// Expected delta-p[1] of selection alone at p (q = 1 - p), with
// d1 = w11 - w12 and d2 = w22 - w12: (p q)(p d1 - q d2) / wm, where
// wm = p p w11 + 2 w12 p q + q q w22; 0 where wm is 0. The selection
// model's expected curve, to the bit.
inline Extended expectedDelta(const Fit2 &f, Extended d1, Extended d2, Extended p)
{
    const Extended q = 1 - p;
    const Extended wm = p * p * f.w11 + Two * f.w12 * p * q + q * q * f.w22;
    return wm != 0 ? (p * q) * (p * d1 - q * d2) / wm : Extended(0);
}

// The slope dS/dx of selection alone, S(x) = x W1 / Wm, at A1 frequency x
// and A2 frequency y (= 1 - x): ((W1 + x (w11 - w12)) Wm - 2 x W1 (W1 - W2))
// / Wm^2 with W1, W2 and Wm = x W1 + y W2 at (x, y); none where Wm is 0
// (there the map keeps the frequency but has no derivative).
inline std::optional<Extended> selectionSlope(const Fit2 &f, Extended x, Extended y)
{
    const Extended W1 = fitness1(f, x, y);
    const Extended W2 = fitness2(f, x, y);
    const Extended wm = x * W1 + y * W2;
    if (wm == 0)
        return std::nullopt;
    return ((W1 + x * (f.w11 - f.w12)) * wm - Two * x * W1 * (W1 - W2)) / (wm * wm);
}

} // namespace selection

} // namespace morva

#endif
