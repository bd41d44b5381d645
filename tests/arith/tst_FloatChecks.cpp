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
