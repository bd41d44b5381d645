// The arithmetic against bare long-double loops of the same recurrences
// (no range checks, no floating-point checks). Goal: ours <= 1.5 x bare.

#include "arith/PgMathMu.h"
#include "arith/PgMathSe.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

using namespace morva;

namespace {

long double opaque(long double x)
{
    volatile long double v = x;
    return v;
}

// Plain state for the bare loops.
long double bareFreqs[1001][4];
long double bareFit[1001][4];
long double bareWmed[1001];
std::uint16_t bareTimes[1001];
long double bareLineP[1001], bareLineW[1001], bareLineD[1001];
long double bareMutP[51][3];
std::int32_t bareMutT[51];

// --- Selection, 3 alleles, 1000 generations --------------------------------

void BM_SelTrajectory3(benchmark::State &state)
{
    const TGenotypeFitness w{opaque(0.9L), opaque(1.0L), opaque(0.8L),
                             opaque(0.7L), opaque(1.1L), opaque(0.6L)};
    const TAlleleVector p0{opaque(0.2L), opaque(0.3L), opaque(0.5L)};
    for (auto _ : state) {
        SelTrajectory(3, w, 1000, p0, SelTimes, SelFreqs, SelAlleleFit, SelWmed);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelTrajectory3);

long double bareMean3(const long double *p, const long double *w)
{
    return p[1] * p[1] * w[1] + 2.0L * p[1] * p[2] * w[2] + 2.0L * p[1] * p[3] * w[3]
        + p[2] * p[2] * w[4] + 2.0L * p[2] * p[3] * w[5] + p[3] * p[3] * w[6];
}

void bareAllele3(const long double *p, const long double *w, long double *W)
{
    W[1] = p[1] * w[1] + p[2] * w[2] + p[3] * w[3];
    W[2] = p[1] * w[2] + p[2] * w[4] + p[3] * w[5];
    W[3] = p[1] * w[3] + p[2] * w[5] + p[3] * w[6];
}

void BM_SelTrajectory3Bare(benchmark::State &state)
{
    long double w[7] = {0, opaque(0.9L), opaque(1.0L), opaque(0.8L),
                        opaque(0.7L), opaque(1.1L), opaque(0.6L)};
    long double p0[4] = {0, opaque(0.2L), opaque(0.3L), opaque(0.5L)};
    const int ng = 1000;
    for (auto _ : state) {
        benchmark::DoNotOptimize(w);
        benchmark::DoNotOptimize(p0);
        for (int i = 1; i <= 3; ++i)
            bareFreqs[0][i] = p0[i];
        for (int g = 1; g <= ng; ++g) {
            const long double *p = bareFreqs[g - 1];
            long double *W = bareFit[g - 1];
            const long double wm = bareMean3(p, w);
            bareWmed[g - 1] = wm;
            bareAllele3(p, w, W);
            for (int i = 1; i <= 3; ++i)
                bareFreqs[g][i] = wm == 0 ? p[i] : (p[i] * W[i]) / wm;
            bareTimes[g] = static_cast<std::uint16_t>(g);
        }
        bareAllele3(bareFreqs[ng], w, bareFit[ng]);
        bareWmed[ng] = bareMean3(bareFreqs[ng], w);
        benchmark::DoNotOptimize(bareFreqs);
        benchmark::DoNotOptimize(bareFit);
        benchmark::DoNotOptimize(bareWmed);
        benchmark::DoNotOptimize(bareTimes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelTrajectory3Bare);

// --- Selection, expected curves, 500 intervals ------------------------------

void BM_SelExpectedLine(benchmark::State &state)
{
    const TGenotypeFitness w{opaque(0.8L), opaque(0.7L), opaque(0.9L)};
    for (auto _ : state) {
        SelExpectedLine(500, w, SelLineP, SelLineWmed, SelLineDelta);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelExpectedLine);

void BM_SelExpectedLineBare(benchmark::State &state)
{
    long double w11 = opaque(0.8L), w12 = opaque(0.7L), w22 = opaque(0.9L);
    const int m = 500;
    for (auto _ : state) {
        benchmark::DoNotOptimize(w11);
        benchmark::DoNotOptimize(w12);
        benchmark::DoNotOptimize(w22);
        const long double d1 = w11 - w12, d2 = w22 - w12;
        const long double em = m;
        for (int i = 0; i <= m; ++i) {
            const long double p = static_cast<long double>(i) / em;
            const long double q = 1 - p;
            const long double wm = p * p * w11 + 2.0L * w12 * p * q + q * q * w22;
            bareLineP[i] = p;
            bareLineW[i] = wm;
            bareLineD[i] = wm != 0 ? (p * q) * (p * d1 - q * d2) / wm : 0;
        }
        benchmark::DoNotOptimize(bareLineP);
        benchmark::DoNotOptimize(bareLineW);
        benchmark::DoNotOptimize(bareLineD);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SelExpectedLineBare);

// --- Mutation, 2,147,483,647 generations (50 sampled entries) ---------------

void BM_MutTrajectory(benchmark::State &state)
{
    const long double u = opaque(1e-6L), v = opaque(1e-7L);
    MutFreqs[0] = {opaque(0.8L), opaque(0.2L)};
    for (auto _ : state) {
        MutTrajectory(2147483647, MutTimes, MutFreqs, u, v);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MutTrajectory);

void BM_MutTrajectoryBare(benchmark::State &state)
{
    long double u = opaque(1e-6L), v = opaque(1e-7L);
    const long double ln2 = 0.693147180559945309417232121458176568L;
    bareMutP[0][1] = opaque(0.8L);
    bareMutP[0][2] = opaque(0.2L);
    std::int32_t n = 2147483647;
    for (auto _ : state) {
        benchmark::DoNotOptimize(u);
        benchmark::DoNotOptimize(v);
        benchmark::DoNotOptimize(n);
        const long double e = u / (u + v);
        const long double d0 = bareMutP[0][2] - e;
        const long double r = (1 - u) - v;
        const long double s = static_cast<long double>(n) / 50.0L;
        for (int i = 1; i <= 50; ++i) {
            const auto t = static_cast<std::int32_t>(std::llrint(static_cast<long double>(i) * s));
            bareMutT[i] = t;
            const long double rt = std::exp(ln2 * std::log2(r) * static_cast<long double>(t));
            bareMutP[i][2] = rt * d0 + e;
            bareMutP[i][1] = 1 - bareMutP[i][2];
        }
        benchmark::DoNotOptimize(bareMutP);
        benchmark::DoNotOptimize(bareMutT);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MutTrajectoryBare);

} // namespace

BENCHMARK_MAIN();
