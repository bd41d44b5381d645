#ifndef MORVA_TESTS_SUPPORT_BENCHMAIN_H
#define MORVA_TESTS_SUPPORT_BENCHMAIN_H

// The main() of a benchmark that builds widgets: the offscreen platform
// unless QT_QPA_PLATFORM is set, an application object, then the registered
// benchmarks.

#include <QApplication>

#include <benchmark/benchmark.h>

#define MORVA_BENCH_MAIN()                                                                   \
    int main(int argc, char **argv)                                                           \
    {                                                                                         \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                   \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                          \
        QApplication app(argc, argv);                                                         \
        benchmark::Initialize(&argc, argv);                                                   \
        if (benchmark::ReportUnrecognizedArguments(argc, argv))                               \
            return 1;                                                                         \
        benchmark::RunSpecifiedBenchmarks();                                                  \
        benchmark::Shutdown();                                                                \
        return 0;                                                                             \
    }

#endif
