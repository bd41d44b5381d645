// The equilibria of a model with their stability, as a window computes them
// on every refill. Goal: 3 alleles under 20 microseconds.

#include "arith/Equilibria.h"

#include <benchmark/benchmark.h>

using namespace morva;

namespace {

long double opaque(long double x)
{
    volatile long double v = x;
    return v;
}

// The 3-allele window's default fitnesses: vertices, edge points and an
// interior point to classify.
void BM_SelectionEquilibria3(benchmark::State &state)
{
    const TGenotypeFitness w{opaque(0.8L), opaque(1.0L), opaque(1.2L),
                             opaque(0.7L), opaque(1.0L), opaque(0.9L)};
    for (auto _ : state)
        benchmark::DoNotOptimize(selectionEquilibria3(w));
}
BENCHMARK(BM_SelectionEquilibria3);

// Symmetric overdominance: all seven equilibria listed.
void BM_SelectionEquilibria3AllSeven(benchmark::State &state)
{
    const long double h = opaque(0.5L), H = opaque(1.0L);
    const TGenotypeFitness w{h, H, H, h, H, h};
    for (auto _ : state)
        benchmark::DoNotOptimize(selectionEquilibria3(w));
}
BENCHMARK(BM_SelectionEquilibria3AllSeven);

void BM_SelectionEquilibria2(benchmark::State &state)
{
    const TGenotypeFitness w{opaque(0.7L), opaque(1.0L), opaque(0.5L)};
    for (auto _ : state)
        benchmark::DoNotOptimize(selectionEquilibria2(w));
}
BENCHMARK(BM_SelectionEquilibria2);

void BM_MutationEquilibria(benchmark::State &state)
{
    const long double u = opaque(1e-6L), v = opaque(5e-7L);
    for (auto _ : state)
        benchmark::DoNotOptimize(mutationEquilibria(u, v));
}
BENCHMARK(BM_MutationEquilibria);

} // namespace

BENCHMARK_MAIN();
