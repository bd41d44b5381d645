// The drift arithmetic. Goal: the largest run the window allows (200
// replicates x 10,000 generations, Ne = 10^6) well under 250 ms, so that the
// whole run with the window's refill stays under 300 ms. Also the parts of
// its cost: one binomial draw as the run makes it (a new distribution for
// each draw, since p changes every generation), the same draw from one
// distribution built once, and one replicate's engine seeding.

#include "arith/Drift.h"
#include "arith/DriftDistribution.h"

#include <boost/random/binomial_distribution.hpp>

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

using namespace morva;

namespace {

DriftInput largest(TGenotypeFitness w)
{
    DriftInput in;
    in.p0 = 0.5L;
    in.ne = DriftMaxNe;
    in.replicates = DriftMaxReplicates;
    in.generations = DriftMaxGenerations;
    in.fitness = w;
    in.seed = 20240516;
    return in;
}

void runAndCount(benchmark::State &state, const DriftInput &in)
{
    std::int64_t fixedOrLost = 0;
    for (auto _ : state) {
        const DriftResult r = driftRun(in);
        fixedOrLost = static_cast<std::int64_t>((r.rows.back().fixed + r.rows.back().lost) * in.replicates);
        benchmark::DoNotOptimize(r.rows.data());
    }
    state.counters["rows"] = static_cast<double>(driftStoredTimes(in.generations).size());
    state.counters["fixedOrLost"] = static_cast<double>(fixedOrLost);
}

// 200 x 10,000 x Ne 10^6, neutral: 2 x 10^6 draws, none absorbed.
void BM_DriftRunLargestNeutral(benchmark::State &state)
{
    runAndCount(state, largest(driftNeutralFitness()));
}
BENCHMARK(BM_DriftRunLargestNeutral)->Unit(benchmark::kMillisecond);

// The same with weak selection (s = 2.5 x 10^-5, 4 Ne s = 100): the 80-bit
// selection step every draw; A1 rises but is not fixed in 10,000 generations.
void BM_DriftRunLargestSelection(benchmark::State &state)
{
    TGenotypeFitness w;
    w[1] = 1.00005L;
    w[2] = 1.000025L;
    w[3] = 1;
    runAndCount(state, largest(w));
}
BENCHMARK(BM_DriftRunLargestSelection)->Unit(benchmark::kMillisecond);

// The same with every force: continent migration m = 10^-4 (pc = 0.3),
// the weak selection above, mutation u = 10^-6, v = 2 x 10^-6.
void BM_DriftRunLargestEveryForce(benchmark::State &state)
{
    DriftInput in = largest({1.00005L, 1.000025L, 1});
    in.m = 1e-4L;
    in.pc = 0.3L;
    in.u = 1e-6L;
    in.v = 2e-6L;
    runAndCount(state, in);
}
BENCHMARK(BM_DriftRunLargestEveryForce)->Unit(benchmark::kMillisecond);

// The exact distribution at the largest Ne it is drawn for, Ne = 500 over
// 1000 generations; neutral (Arg 0) or with every force (Arg 1). Goal:
// under 300 ms.
void BM_DriftExactDistribution(benchmark::State &state)
{
    DriftInput in;
    in.ne = DriftExactMaxNe;
    in.generations = 1000;
    in.p0 = 0.5L;
    if (state.range(0) != 0) {
        in.fitness = {1.002L, 1.001L, 1};
        in.m = 1e-3L;
        in.pc = 0.3L;
        in.u = 1e-4L;
        in.v = 1e-4L;
    }
    for (auto _ : state) {
        const DriftExact exact = driftExactDistribution(in);
        benchmark::DoNotOptimize(exact.final.data());
    }
}
BENCHMARK(BM_DriftExactDistribution)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The window's default run: 20 replicates x 200 generations, Ne 50.
void BM_DriftRunDefault(benchmark::State &state)
{
    DriftInput in;
    in.seed = 20240516;
    runAndCount(state, in);
}
BENCHMARK(BM_DriftRunDefault)->Unit(benchmark::kMicrosecond);

// One draw of Binomial(2 Ne, p) as the run makes it: the distribution is
// built for each draw. p alternates between two nearby values so that
// nothing of the set-up can be hoisted out of the loop. Args: Ne, p in 1/1000.
void BM_BinomialDraw(benchmark::State &state)
{
    const auto twoN = static_cast<std::int32_t>(2 * state.range(0));
    const double p[2] = {static_cast<double>(state.range(1)) / 1000,
                         static_cast<double>(state.range(1)) / 1000 + 1e-9};
    boost::random::mt19937_64 engine = driftReplicateEngine(1, 0);
    std::int64_t sum = 0;
    std::size_t i = 0;
    for (auto _ : state) {
        sum += boost::random::binomial_distribution<std::int32_t, double>(twoN, p[i & 1])(engine);
        ++i;
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_BinomialDraw)->Args({50, 500})->Args({50, 50})->Args({1000000, 500})->Args({1000000, 50});

// The same draws from one distribution built once.
void BM_BinomialDrawPrepared(benchmark::State &state)
{
    const auto twoN = static_cast<std::int32_t>(2 * state.range(0));
    const boost::random::binomial_distribution<std::int32_t, double> d(
        twoN, static_cast<double>(state.range(1)) / 1000);
    boost::random::mt19937_64 engine = driftReplicateEngine(1, 0);
    std::int64_t sum = 0;
    for (auto _ : state)
        sum += d(engine);
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_BinomialDrawPrepared)->Args({50, 500})->Args({50, 50})->Args({1000000, 500})->Args({1000000, 50});

// Seeding one replicate's engine from the seed sequence.
void BM_ReplicateEngine(benchmark::State &state)
{
    std::uint32_t r = 0;
    for (auto _ : state) {
        boost::random::mt19937_64 engine = driftReplicateEngine(20240516, r++);
        benchmark::DoNotOptimize(engine());
    }
}
BENCHMARK(BM_ReplicateEngine);

} // namespace

BENCHMARK_MAIN();
