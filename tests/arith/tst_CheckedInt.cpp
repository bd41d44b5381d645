// Checked integer conversions (range error) and steps (integer overflow).

#include "arith/CheckedInt.h"
#include "arith/Errors.h"
#include "tests/arith/ExtendedTest.h"

#include <QTest>

#include <climits>
#include <cstdint>

using namespace morva;

class TestCheckedInt : public QObject {
    Q_OBJECT

private slots:
    // Action: convert SelNg-like values to 16 bits. Expected: 0..65535 pass
    // unchanged, anything else is "Range check error".
    void toUInt16_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<bool>("fits");
        QTest::newRow("0") << qint64(0) << true;
        QTest::newRow("1000") << qint64(1000) << true;
        QTest::newRow("65535") << qint64(65535) << true;
        QTest::newRow("65536") << qint64(65536) << false;
        QTest::newRow("-1") << qint64(-1) << false;
        QTest::newRow("int32 max") << qint64(INT32_MAX) << false;
        QTest::newRow("int32 min") << qint64(INT32_MIN) << false;
    }
    void toUInt16()
    {
        QFETCH(qint64, value);
        QFETCH(bool, fits);
        if (fits)
            QCOMPARE(qint64(toUInt16Checked(value)), value);
        else
            MORVA_EXPECT_ERROR(toUInt16Checked(value), ERangeError, "Range check error");
    }

    void toInt32()
    {
        QCOMPARE(toInt32Checked(INT32_MAX), INT32_MAX);
        QCOMPARE(toInt32Checked(INT32_MIN), INT32_MIN);
        MORVA_EXPECT_ERROR(toInt32Checked(std::int64_t(INT32_MAX) + 1), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR(toInt32Checked(std::int64_t(INT32_MIN) - 1), ERangeError,
                           "Range check error");
        MORVA_EXPECT_ERROR((toChecked<std::uint16_t>(-1)), ERangeError, "Range check error");
    }

    // Action: steps at the edges of the type. Expected: "Integer overflow".
    void overflow()
    {
        QCOMPARE(checkedAdd(INT32_MAX - 1, 1), INT32_MAX);
        MORVA_EXPECT_ERROR(checkedAdd(INT32_MAX, 1), EIntOverflow, "Integer overflow");
        MORVA_EXPECT_ERROR(checkedSub(INT32_MIN, 1), EIntOverflow, "Integer overflow");
        MORVA_EXPECT_ERROR(checkedMul(65536, 32768), EIntOverflow, "Integer overflow");
        QCOMPARE(checkedMul(-65536, 32768), INT32_MIN);
        MORVA_EXPECT_ERROR(checkedAdd(std::uint16_t(65535), std::uint16_t(1)), EIntOverflow,
                           "Integer overflow");
    }
};

QTEST_APPLESS_MAIN(TestCheckedInt)
#include "tst_CheckedInt.moc"
