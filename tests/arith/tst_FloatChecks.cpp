// Floating-point error checks through the status flags. State: flags
// cleared. Action: one operation. Expected: its error, or none for
// underflow and inexact.

#include "arith/Errors.h"
#include "arith/FloatChecks.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <cfloat>
#include <cmath>
#include <stdexcept>

using namespace morva;
using morva::test::opaque;

namespace {

enum Op { DivideByZero, ZeroByZero, InfMinusInf, SqrtNegative, Overflow, Underflow, Inexact };

void perform(Op op)
{
    volatile long double r = 0;
    switch (op) {
    case DivideByZero: r = opaque(1) / opaque(0); break;
    case ZeroByZero: r = opaque(0) / opaque(0); break;
    case InfMinusInf: r = opaque(INFINITY) - opaque(INFINITY); break;
    case SqrtNegative: r = std::sqrt(opaque(-1)); break;
    case Overflow: r = opaque(LDBL_MAX) * opaque(2); break;
    case Underflow: r = opaque(LDBL_MIN) / opaque(1e100L); break;
    case Inexact: r = opaque(1) / opaque(3); break;
    }
    (void)r;
}

} // namespace

Q_DECLARE_METATYPE(Op)

class TestFloatChecks : public QObject {
    Q_OBJECT

private slots:
    void errors_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 / 0") << DivideByZero << "Floating point division by zero";
        QTest::newRow("0 / 0") << ZeroByZero << "Invalid floating point operation";
        QTest::newRow("inf - inf") << InfMinusInf << "Invalid floating point operation";
        QTest::newRow("sqrt(-1)") << SqrtNegative << "Invalid floating point operation";
        QTest::newRow("max * 2") << Overflow << "Floating point overflow";
        QTest::newRow("underflow") << Underflow << "";
        QTest::newRow("inexact") << Inexact << "";
    }
    void errors()
    {
        QFETCH(Op, op);
        QFETCH(QString, text);
        fpClear();
        perform(op);
        if (text.isEmpty()) {
            fpCheck();
            return;
        }
        try {
            fpCheck();
            QFAIL("no error thrown");
        } catch (const MorvaError &e) {
            QCOMPARE(QString::fromUtf8(e.what()), text);
        }
    }

    // The error classes: their texts and one common base.
    void errorClasses()
    {
        MORVA_EXPECT_ERROR(throw EInvalidOp(), MorvaError, "Invalid floating point operation");
        MORVA_EXPECT_ERROR(throw EZeroDivide(), MorvaError, "Floating point division by zero");
        MORVA_EXPECT_ERROR(throw EOverflow(), std::runtime_error, "Floating point overflow");
        MORVA_EXPECT_ERROR(throw ERangeError(), MorvaError, "Range check error");
        MORVA_EXPECT_ERROR(throw EIntOverflow(), MorvaError, "Integer overflow");
    }

    // State: a flag left raised. Action: fpClear. Expected: fpCheck is quiet.
    void clearForgetsEarlierFlags()
    {
        perform(DivideByZero);
        fpClear();
        fpCheck();
    }

    // storedFinite reads the stored bits: finite values pass, infinities and
    // NaNs do not, and the test raises no flag.
    void storedFinite_data()
    {
        QTest::addColumn<long double>("value");
        QTest::addColumn<bool>("finite");
        QTest::newRow("0") << 0.0L << true;
        QTest::newRow("-0") << -0.0L << true;
        QTest::newRow("1") << 1.0L << true;
        QTest::newRow("max") << LDBL_MAX << true;
        QTest::newRow("-max") << -LDBL_MAX << true;
        QTest::newRow("subnormal") << LDBL_TRUE_MIN << true;
        QTest::newRow("inf") << static_cast<long double>(INFINITY) << false;
        QTest::newRow("-inf") << -static_cast<long double>(INFINITY) << false;
        QTest::newRow("nan") << static_cast<long double>(NAN) << false;
    }
    void storedFinite()
    {
        QFETCH(long double, value);
        QFETCH(bool, finite);
        fpClear();
        const long double stored = opaque(value);
        QCOMPARE(morva::storedFinite(stored), finite);
        QCOMPARE(morva::storedFinite(stored), bool(std::isfinite(value)));
        fpCheck();
    }

    // The prefilter consults the flags only for a non-finite value, and
    // then the flags decide.
    void checkIfNotFinite()
    {
        const long double one = opaque(1), inf = opaque(INFINITY);
        fpClear();
        fpCheckIfNotFinite(one, one);
        fpCheckIfNotFinite(one, inf);
        perform(Overflow);
        fpCheckIfNotFinite(one, one);
        MORVA_EXPECT_ERROR(fpCheckIfNotFinite(one, inf), EOverflow, "Floating point overflow");
        fpClear();
    }

    // Several flags: division by zero, then overflow, then invalid
    // operation (which can result from the infinities of the other two).
    void precedence()
    {
        fpClear();
        perform(ZeroByZero);
        perform(Overflow);
        MORVA_EXPECT_ERROR(fpCheck(), EOverflow, "Floating point overflow");
        perform(DivideByZero);
        MORVA_EXPECT_ERROR(fpCheck(), EZeroDivide, "Floating point division by zero");
        fpClear();
        perform(InfMinusInf);
        MORVA_EXPECT_ERROR(fpCheck(), EInvalidOp, "Invalid floating point operation");
        fpClear();
    }
};

QTEST_APPLESS_MAIN(TestFloatChecks)
#include "tst_FloatChecks.moc"
