#ifndef MORVA_TESTS_ARITH_EXTENDEDTEST_H
#define MORVA_TESTS_ARITH_EXTENDEDTEST_H

// Helpers for the arithmetic's tests: long double in data tables, exact and
// tolerant comparisons whose failure messages show all the digits, and a
// laundering step that keeps the compiler from folding a reference formula
// at compile time (GCC folds with correctly rounded MPFR, the library runs
// glibc's long double functions).

#include "arith/Extended.h"

#include <QMetaType>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <string>

Q_DECLARE_METATYPE(long double)

namespace morva::test {

inline std::string ldText(long double x)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.21Lg", x);
    return buf;
}

// x as a value the optimiser knows nothing about.
inline long double opaque(long double x)
{
    volatile long double v = x;
    return v;
}

inline bool sameBits(long double a, long double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace morva::test

// Exactly the same value (both NaN counts as the same).
#define MORVA_COMPARE_EXACT(actual, expected)                                              \
    do {                                                                                   \
        const long double a_ = (actual);                                                   \
        const long double e_ = (expected);                                                 \
        if (!morva::test::sameBits(a_, e_)) {                                              \
            const std::string m_ = std::string(#actual) + " = " + morva::test::ldText(a_)  \
                + ", expected " + #expected + " = " + morva::test::ldText(e_);             \
            QFAIL(m_.c_str());                                                             \
        }                                                                                  \
    } while (false)

// |actual - expected| <= tolerance.
#define MORVA_COMPARE_NEAR(actual, expected, tolerance)                                    \
    do {                                                                                   \
        const long double a_ = (actual);                                                   \
        const long double e_ = (expected);                                                 \
        if (!(std::fabs(a_ - e_) <= (tolerance))) {                                        \
            const std::string m_ = std::string(#actual) + " = " + morva::test::ldText(a_)  \
                + ", expected " + morva::test::ldText(e_) + " within "                     \
                + morva::test::ldText(tolerance);                                          \
            QFAIL(m_.c_str());                                                             \
        }                                                                                  \
    } while (false)

// The statement throws exactly ErrorType, whose message is text.
#define MORVA_EXPECT_ERROR(statement, ErrorType, text)                                     \
    do {                                                                                   \
        bool thrown_ = false;                                                              \
        try {                                                                              \
            statement;                                                                     \
        } catch (const ErrorType &e_) {                                                    \
            thrown_ = true;                                                                \
            QCOMPARE(std::string(e_.what()), std::string(text));                           \
        }                                                                                  \
        QVERIFY2(thrown_, #statement " did not throw " #ErrorType);                        \
    } while (false)

#endif
