#ifndef MORVA_ARITH_SELECTIONMIGRATION_H
#define MORVA_ARITH_SELECTIONMIGRATION_H

// Selection with migration, continent to island: one locus, alleles A1 and
// A2, constant genotype fitnesses w11, w12, w22 on the island. Each
// generation a fraction m of the island's gene pool is replaced by migrants
// from a continent whose A1 frequency pc never changes, then selection acts
// on the island's zygotes.

#include "arith/Extended.h"
#include "arith/FixedPoints.h"
#include "arith/PgMathSe.h"
#include "arith/TwoAlleleSelection.h"

#include <cstdint>
#include <vector>

namespace morva {

inline constexpr std::int32_t SelMigMaxGenerations = 1000000;

struct SelMigParams {
    TAlleleVector p0;      // island p[1], p[2] of generation 0 (element 3 unused)
    Extended pc = 0;       // continent's A1 frequency
    Extended m = 0;        // migration rate, 0..1
    TGenotypeFitness w;    // w11, w12, w22 in elements 1..3
    std::int32_t ng = 0;   // generations, 0..SelMigMaxGenerations
};

// W1, W2 and wmed of a stored generation are those of its selection, which
// acts after the migrants have arrived.
using SelMigTrajectory = TwoAlleleTrajectory;

// delta-p[1] against p[1] = i / intervals, i = 0..intervals.
struct SelMigCurves {
    std::vector<Extended> p;
    std::vector<Extended> migration;   // migration alone
    std::vector<Extended> selection;   // selection alone
    std::vector<Extended> total;       // one generation of the model
};

// The trajectory. With 1 - m and qc = 1 - pc formed once, then m pc and
// m qc, per generation g from the island's (p1, p2): migration pm1 = (1 -
// m) p1 + m pc, pm2 = (1 - m) p2 + m qc; W1 = pm1 w11 + pm2 w12; W2 = pm1
// w12 + pm2 w22; Wmed = pm1 pm1 w11 + 2 pm1 pm2 w12 + pm2 pm2 w22 (stored
// with p1 and p2 when g is a stored generation); selection p1' = (pm1 W1) /
// Wmed, p2' = (pm2 W2) / Wmed (p' = pm when Wmed is 0). Both frequencies
// are carried as the selection model carries them, so m = 0 gives its
// trajectory to the bit. ng outside 0..SelMigMaxGenerations is a range
// error. Floating-point errors throw at the first stored generation at or
// after the one that raised them; out keeps the generations stored until
// then.
void runSelMig(const SelMigParams &in, SelMigTrajectory &out);

// The same run with every generation 0..ng, each handed to visit in order
// and never stored: each one the same bits as runSelMig stores for it.
void visitSelMig(const SelMigParams &in, const TwoAlleleVisitor &visit);

// The expected curves at p = i / intervals: migration = m (pc - p);
// selection = (p q)(p d1 - q d2) / wm at p as in the selection model (0
// where wm is 0); total = migration + selection at pm = p + migration, the
// change of one whole generation. intervals < 1 is a range error.
// Floating-point errors throw.
void computeSelMigCurves(const SelMigParams &in, std::int32_t intervals, SelMigCurves &out);

// The equilibria: roots on [0, 1] of q pm W1 - p qm W2 (q = 1 - p, pm =
// (1 - m) p + m pc, qm = (1 - m) q + m qc, W1 and W2 at (pm, qm): the
// numerator of p' - p, a cubic, evaluated as m (pc - p) Wmed + pm qm (W1 -
// W2) so that nothing cancels), with the slope (1 - m) S'(pm) of the map,
// S the selection step (TwoAlleleSelection.h); only roots that runSelMig's
// generation keeps (FixedPoints.h). Up to three inside (0, 1).
// Floating-point errors throw.
FixedPoints selMigFixedPoints(const SelMigParams &in);

} // namespace morva

#endif
