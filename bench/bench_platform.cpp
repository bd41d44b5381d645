// Number text is written for every cell of the result grids (up to 1002 rows
// by 5 columns per run) and for every axis label: it must stay cheap.

#include "platform/NumberText.h"

#include <benchmark/benchmark.h>

namespace {

void formatFixedGridColumn(benchmark::State &state)
{
    long double value = 0.123456789L;
    for (auto _ : state) {
        for (int row = 0; row < 1002; ++row)
            benchmark::DoNotOptimize(morva::text::formatFixed(value + row * 1e-4L, 4, 3));
    }
    state.SetItemsProcessed(state.iterations() * 1002);
}
BENCHMARK(formatFixedGridColumn);

void formatExponentReadout(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(morva::text::formatExponent(-2.5e-7L, 3, 2));
}
BENCHMARK(formatExponentReadout);

void formatAxisPicture(benchmark::State &state)
{
    const QString picture = QStringLiteral("0.00E-00");
    for (auto _ : state)
        benchmark::DoNotOptimize(morva::text::formatPicture(1.5e-6, picture));
}
BENCHMARK(formatAxisPicture);

void realFromText(benchmark::State &state)
{
    const QString text = QStringLiteral(" 0.59375 ");
    for (auto _ : state)
        benchmark::DoNotOptimize(morva::text::textToReal(text));
}
BENCHMARK(realFromText);

} // namespace

BENCHMARK_MAIN();
