// The five newer models' arithmetic: long runs of the two balances
// (selection with mutation, selection with migration) against bare
// long-double loops of the same recurrences, and full runs of the
// inbreeding, sex-linked and linkage models. Goal: ours <= 1.5 x bare.

#include "arith/Linkage.h"
#include "arith/SelectionMigration.h"
#include "arith/SelectionMutation.h"
#include "arith/Selfing.h"
#include "arith/SexLinked.h"

#include <benchmark/benchmark.h>

using namespace morva;

namespace {

long double opaque(long double x)
{
    volatile long double v = x;
    return v;
}

// --- Selection with mutation, 1,000,000 generations ---------------------------

SelMutParams selMutParams()
{
    SelMutParams in;
    in.p0 = {opaque(0.5L), opaque(0.5L)};
    in.w = {opaque(1.0L), opaque(0.98L), opaque(0.9L)};
    in.u = opaque(1e-5L);
    in.v = opaque(1e-6L);
    in.ng = SelMutMaxGenerations;
    return in;
}

void BM_SelMut1M(benchmark::State &state)
{
    const SelMutParams in = selMutParams();
    SelMutTrajectory out;
    for (auto _ : state) {
        runSelMut(in, out);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelMut1M)->Unit(benchmark::kMillisecond);

void BM_SelMut1MBare(benchmark::State &state)
{
    const SelMutParams in = selMutParams();
    for (auto _ : state) {
        long double w11 = in.w[1], w12 = in.w[2], w22 = in.w[3], u = in.u, v = in.v;
        long double p1 = in.p0[1], p2 = in.p0[2];
        benchmark::DoNotOptimize(w11);
        benchmark::DoNotOptimize(u);
        const long double keep1 = 1 - u, keep2 = 1 - v;
        for (int g = 0; g < SelMutMaxGenerations; ++g) {
            const long double W1 = p1 * w11 + p2 * w12;
            const long double W2 = p1 * w12 + p2 * w22;
            const long double wm = p1 * p1 * w11 + 2.0L * p1 * p2 * w12 + p2 * p2 * w22;
            long double s1 = p1, s2 = p2;
            if (wm != 0) {
                s1 = (p1 * W1) / wm;
                s2 = (p2 * W2) / wm;
            }
            p1 = s1 * keep1 + s2 * v;
            p2 = s2 * keep2 + s1 * u;
        }
        benchmark::DoNotOptimize(p1);
        benchmark::DoNotOptimize(p2);
    }
}
BENCHMARK(BM_SelMut1MBare)->Unit(benchmark::kMillisecond);

// --- Selection with migration, 1,000,000 generations --------------------------

SelMigParams selMigParams()
{
    SelMigParams in;
    in.p0 = {opaque(0.5L), opaque(0.5L)};
    in.pc = opaque(0.5L);
    in.m = opaque(0.01L);
    in.w = {opaque(1.0L), opaque(0.8L), opaque(1.0L)};
    in.ng = SelMigMaxGenerations;
    return in;
}

void BM_SelMig1M(benchmark::State &state)
{
    const SelMigParams in = selMigParams();
    SelMigTrajectory out;
    for (auto _ : state) {
        runSelMig(in, out);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelMig1M)->Unit(benchmark::kMillisecond);

void BM_SelMig1MBare(benchmark::State &state)
{
    const SelMigParams in = selMigParams();
    for (auto _ : state) {
        long double w11 = in.w[1], w12 = in.w[2], w22 = in.w[3], m = in.m, pc = in.pc;
        long double p1 = in.p0[1], p2 = in.p0[2];
        benchmark::DoNotOptimize(w11);
        benchmark::DoNotOptimize(m);
        const long double keep = 1 - m, in1 = m * pc, in2 = m * (1 - pc);
        for (int g = 0; g < SelMigMaxGenerations; ++g) {
            const long double pm1 = keep * p1 + in1, pm2 = keep * p2 + in2;
            const long double W1 = pm1 * w11 + pm2 * w12;
            const long double W2 = pm1 * w12 + pm2 * w22;
            const long double wm = pm1 * pm1 * w11 + 2.0L * pm1 * pm2 * w12 + pm2 * pm2 * w22;
            if (wm != 0) {
                p1 = (pm1 * W1) / wm;
                p2 = (pm2 * W2) / wm;
            } else {
                p1 = pm1;
                p2 = pm2;
            }
        }
        benchmark::DoNotOptimize(p1);
        benchmark::DoNotOptimize(p2);
    }
}
BENCHMARK(BM_SelMig1MBare)->Unit(benchmark::kMillisecond);

// --- Equilibria and expected curves of both ------------------------------------

void BM_SelMutFixedPointsAndCurves(benchmark::State &state)
{
    const SelMutParams in = selMutParams();
    SelMutCurves curves;
    for (auto _ : state) {
        benchmark::DoNotOptimize(selMutFixedPoints(in));
        computeSelMutCurves(in, 500, curves);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelMutFixedPointsAndCurves)->Unit(benchmark::kMicrosecond);

void BM_SelMigFixedPointsAndCurves(benchmark::State &state)
{
    const SelMigParams in = selMigParams();
    SelMigCurves curves;
    for (auto _ : state) {
        benchmark::DoNotOptimize(selMigFixedPoints(in));
        computeSelMigCurves(in, 500, curves);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelMigFixedPointsAndCurves)->Unit(benchmark::kMicrosecond);

// --- Inbreeding, sex-linked locus, linkage: 1000 generations ------------------

void BM_Selfing1000(benchmark::State &state)
{
    SelfingParams in;
    in.P = opaque(0.2L);
    in.H = opaque(0.6L);
    in.Q = opaque(0.2L);
    in.s = opaque(0.5L);
    in.ng = SelfingMaxGenerations;
    SelfingTrajectory out;
    for (auto _ : state) {
        runSelfing(in, out);
        benchmark::DoNotOptimize(selfingEquilibrium(in));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Selfing1000)->Unit(benchmark::kMicrosecond);

void BM_SexLinked1000(benchmark::State &state)
{
    SexLinkedParams in;
    in.pf = opaque(1.0L);
    in.pm = opaque(0.0L);
    in.ng = SexLinkedMaxGenerations;
    SexLinkedTrajectory out;
    for (auto _ : state) {
        runSexLinked(in, out);
        benchmark::DoNotOptimize(sexLinkedLimit(in.pf, in.pm));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SexLinked1000)->Unit(benchmark::kMicrosecond);

void BM_Linkage1000(benchmark::State &state)
{
    LinkageParams in;
    in.x0 = {opaque(0.1L), opaque(0.4L), opaque(0.3L), opaque(0.2L)};
    in.r = opaque(0.01L);
    in.ng = LinkageMaxGenerations;
    LinkageTrajectory out;
    for (auto _ : state) {
        runLinkage(in, out);
        benchmark::DoNotOptimize(linkageAlleles(in.x0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Linkage1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
