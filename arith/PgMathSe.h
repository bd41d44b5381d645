#ifndef MORVA_ARITH_PGMATHSE_H
#define MORVA_ARITH_PGMATHSE_H

// PgMathSe: the selection arithmetic. One locus, 2 or 3
// alleles, constant genotype fitnesses, discrete generations. Free routines
// over the unit state below, which starts at zero and is overwritten by each
// run. Every operation is written term by term in the order the model's formulas give,
// so the results are the same to the last bit on every run.

#include "arith/Extended.h"
#include "arith/RangeArray.h"

#include <cstdint>

namespace morva {

// Allele frequencies p[1..3] or per-allele fitnesses W[1..3]; with 2 alleles
// element 3 is neither read nor written.
using TAlleleVector = RangeArray<Extended, 1, 3>;

// Genotype fitnesses in upper-triangle, row-major order:
// 2 alleles: 1 w11, 2 w12, 3 w22; 3 alleles: 1 w11, 2 w12, 3 w13, 4 w22,
// 5 w23, 6 w33.
using TGenotypeFitness = RangeArray<Extended, 1, 6>;

// The state arrays, indexed 0..1000 (entry g: generation g).
using TSelTimeArray = RangeArray<std::uint16_t, 0, 1000>;
using TSelVectorArray = RangeArray<TAlleleVector, 0, 1000>;
using TSelRealArray = RangeArray<Extended, 0, 1000>;

// Highest generation a trajectory stores.
inline constexpr std::uint16_t SelMaxGenerations = 1000;

// Unit state, shared by both selection windows.
extern std::int32_t SelNg;             // number of generations of the last run
extern TAlleleVector SelInitFreqs;     // initial frequencies as entered
extern TGenotypeFitness SelFit;        // genotype fitnesses as entered
extern TSelTimeArray SelTimes;         // entry g holds g; entry 0 stays 0
extern TSelVectorArray SelFreqs;       // p[i] of generation g
extern TSelVectorArray SelAlleleFit;   // W[i] of generation g
extern TSelRealArray SelWmed;          // Wmed of generation g
extern TSelRealArray SelLineP;         // p[1] of the expected curves
extern TSelRealArray SelLineDelta;     // expected delta-p[1]
extern TSelRealArray SelLineWmed;      // expected Wmed

// p1 p1 w11 + 2 p1 p2 w12 + p2 p2 w22.
Extended SelMeanFitness2(const TAlleleVector &p, const TGenotypeFitness &w);
// p1 p1 w11 + 2 p1 p2 w12 + 2 p1 p3 w13 + p2 p2 w22 + 2 p2 p3 w23 + p3 p3 w33.
Extended SelMeanFitness3(const TAlleleVector &p, const TGenotypeFitness &w);
// SelMeanFitness2 for n = 2, SelMeanFitness3 for n = 3, 0 otherwise.
Extended SelMeanFitness(std::uint16_t n, const TAlleleVector &p, const TGenotypeFitness &w);

// W[1] = p1 w11 + p2 w12; W[2] = p1 w12 + p2 w22 (W[3] untouched).
void SelAlleleFitness2(const TAlleleVector &p, const TGenotypeFitness &w, TAlleleVector &W);
// W[1] = p1 w11 + p2 w12 + p3 w13; W[2] = p1 w12 + p2 w22 + p3 w23;
// W[3] = p1 w13 + p2 w23 + p3 w33.
void SelAlleleFitness3(const TAlleleVector &p, const TGenotypeFitness &w, TAlleleVector &W);
// SelAlleleFitness2 / 3 for n = 2 / 3; writes nothing otherwise.
void SelAlleleFitness(std::uint16_t n, const TAlleleVector &p, const TGenotypeFitness &w,
                      TAlleleVector &W);

// One generation: Wmed := mean fitness of p; W := per-allele fitnesses of p
// (always, also when Wmed is 0); pNext[i] := (p[i] * W[i]) / Wmed, or p[i]
// when Wmed equals 0. Floating-point errors throw.
void SelStep(std::uint16_t n, const TGenotypeFitness &w, const TAlleleVector &p,
             Extended &Wmed, TAlleleVector &W, TAlleleVector &pNext);

// freqs[0] := p0 (elements 1..n); for ng <= 1000 steps generations 1..ng
// (times[g] := g) and computes alleleFit[ng] and wmed[ng] of the last one, so
// entries 0..ng of freqs, alleleFit and wmed and 1..ng of times are written.
// For ng > 1000 only freqs[0] is written. Floating-point errors throw; the
// generations already stored stay stored.
void SelTrajectory(std::uint16_t n, const TGenotypeFitness &w, std::uint16_t ng,
                   const TAlleleVector &p0, TSelTimeArray &times, TSelVectorArray &freqs,
                   TSelVectorArray &alleleFit, TSelRealArray &wmed);

// The 2-allele expected curves at p = i / m, i = 0..m: wm[i] := expected mean
// fitness, ds[i] := expected delta-p[1] (0 where wm[i] is 0).
// Floating-point errors throw.
void SelExpectedLine(std::uint16_t m, const TGenotypeFitness &w, TSelRealArray &xs,
                     TSelRealArray &wm, TSelRealArray &ds);

} // namespace morva

#endif
