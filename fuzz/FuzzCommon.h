#ifndef MORVA_FUZZ_FUZZCOMMON_H
#define MORVA_FUZZ_FUZZCOMMON_H

// Shared pieces of the number-text fuzz targets.

#include "platform/NumberText.h"

#include <QCoreApplication>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace morva::fuzz {

// Stops the run with a message that libFuzzer shows beside the input.
[[noreturn]] inline void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s: \"%s\"\n", what, qPrintable(text));
    std::abort();
}

// Uses the input's first byte to pick the decimal separator, so both
// separators are exercised.
inline void pickSeparator(unsigned char selector)
{
    text::setDecimalSeparatorOverride(QChar((selector & 1) ? ',' : '.'));
}

// Whether `text` reads back as a value within half a unit of `unit` of
// `value` (plus the error of an 18-digit decimal form).
inline bool readsBackNear(const QString &text, long double value, long double unit)
{
    const std::optional<long double> back = text::textToReal(text);
    if (!back)
        return false;
    const long double slack = 0.5L * unit * (1.0L + 1e-9L) + std::fabs(value) * 1e-17L;
    return std::fabs(*back - value) <= slack;
}

// The place value of the p-th significant digit of v (its last one when
// written with p significant digits); the rounding may carry into the next
// decade, so the larger of the two candidates is returned.
inline long double significantUnit(long double v, int precision)
{
    if (v == 0)
        return 0;
    const long double e = std::floor(std::log10(std::fabs(v)));
    return std::pow(10.0L, e + 2 - precision);
}

} // namespace morva::fuzz

#endif
