// Numbers for export: the shortest text that reads back to the same 80-bit
// value, "." as the point, positional between 1e-7 and 1e21. Edge values by
// name (their texts are the shortest), then random bit patterns over the
// whole range and over the ranges the models produce (fixed seed).

#include "platform/ExportText.h"
#include "tests/support/ExportReader.h"

#include <QTest>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

using morva::text::exportNumber;
using morva::test::readNumber;
using morva::test::sameBits80;

Q_DECLARE_METATYPE(long double)

namespace {

using Limits = std::numeric_limits<long double>;

// A long double from its fields: a finite value, the integer bit set exactly
// when the exponent is not zero (the encodings the hardware produces).
long double fromFields(bool negative, std::uint16_t exponent, std::uint64_t mantissa)
{
    constexpr std::uint64_t integerBit = std::uint64_t(1) << 63;
    mantissa = exponent == 0 ? mantissa & ~integerBit : mantissa | integerBit;
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &mantissa, 8);
    const std::uint16_t top = static_cast<std::uint16_t>(exponent | (negative ? 0x8000 : 0));
    std::memcpy(bytes + 8, &top, 2);
    long double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

int significantDigits(const std::string &text)
{
    const std::string mantissa = text.substr(0, text.find('e'));
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string::npos)
        return 1;
    const std::size_t last = mantissa.find_last_of("123456789");
    int digits = 0;
    for (std::size_t i = first; i <= last; ++i)
        digits += mantissa[i] != '.';
    return digits;
}

// Reads back bit for bit, with at most 21 significant digits and nothing
// but digits, '.', '-', 'e' and '+'.
QByteArray roundTripFault(long double value)
{
    const std::string text = exportNumber(value);
    const std::optional<long double> back = readNumber(QString::fromStdString(text));
    if (!back || !sameBits80(*back, value))
        return "does not read back: " + QByteArray::fromStdString(text);
    if (significantDigits(text) > 21)
        return "more than 21 digits: " + QByteArray::fromStdString(text);
    if (text.find_first_not_of("0123456789.-e+") != std::string::npos)
        return "unexpected character: " + QByteArray::fromStdString(text);
    return {};
}

} // namespace

class TestExportText : public QObject {
    Q_OBJECT
private slots:
    void edgeValues_data();
    void edgeValues();
    void randomValuesRoundTrip_data();
    void randomValuesRoundTrip();
};

void TestExportText::edgeValues_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<QString>("expected");  // empty: round trip only

    QTest::newRow("zero") << 0.0L << "0";
    QTest::newRow("negative zero keeps its sign") << -0.0L << "-0";
    QTest::newRow("smallest subnormal") << Limits::denorm_min() << "4e-4951";
    QTest::newRow("largest subnormal") << fromFields(false, 0, ~std::uint64_t(0)) << "";
    QTest::newRow("smallest normal") << Limits::min() << "3.3621031431120935063e-4932";
    QTest::newRow("largest finite") << Limits::max() << "1.189731495357231765e+4932";
    QTest::newRow("1 - 2^-64") << 1.0L - 0x1p-64L << "0.99999999999999999995";
    QTest::newRow("1 + 2^-63") << 1.0L + 0x1p-63L << "1.0000000000000000001";
    QTest::newRow("0.6") << 0.6L << "0.6";
    QTest::newRow("0.1") << 0.1L << "0.1";
    QTest::newRow("-2.5") << -2.5L << "-2.5";
    QTest::newRow("1e-7 positional") << 1e-7L << "0.0000001";
    QTest::newRow("1e-8 exponent") << 1e-8L << "1e-08";
    QTest::newRow("1e20 positional") << 1e20L << "100000000000000000000";
    QTest::newRow("1e21 exponent") << 1e21L << "1e+21";
    QTest::newRow("largest selection generation") << 1000.0L << "1000";
    QTest::newRow("largest mutation generation") << 2147483647.0L << "2147483647";
    QTest::newRow("mutation generations 21x10^8") << 2100000000.0L << "2100000000";
    QTest::newRow("2^63") << 0x1p63L << "9223372036854775808";
    QTest::newRow("2^64 - 1") << 0x1p64L - 1.0L << "18446744073709551615";
    QTest::newRow("2^64 + 2^12") << 0x1p64L + 0x1p12L << "18446744073709555712";
}

// State: an edge value. Action: write it. Expected: the text, and it reads
// back bit for bit.
void TestExportText::edgeValues()
{
    QFETCH(long double, value);
    QFETCH(QString, expected);
    if (!expected.isEmpty())
        QCOMPARE(QString::fromStdString(exportNumber(value)), expected);
    const QByteArray fault = roundTripFault(value);
    QVERIFY2(fault.isEmpty(), fault.constData());
}

void TestExportText::randomValuesRoundTrip_data()
{
    QTest::addColumn<int>("lowestExponent");
    QTest::addColumn<int>("highestExponent");
    // Biased binary exponents: 16383 is 2^0.
    QTest::newRow("whole range, subnormals included") << 0 << 0x7FFE;
    QTest::newRow("frequencies and fitnesses, 2^-40..2^2") << 16383 - 40 << 16383 + 2;
    QTest::newRow("generation counts, 2^0..2^31") << 16383 << 16383 + 31;
}

// State: 20000 random finite bit patterns of a range (fixed seed). Action:
// write each. Expected: every one reads back bit for bit.
void TestExportText::randomValuesRoundTrip()
{
    QFETCH(int, lowestExponent);
    QFETCH(int, highestExponent);
    std::mt19937_64 bits(20261209);
    int faults = 0;
    QByteArray first;
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t word = bits();
        const auto exponent = static_cast<std::uint16_t>(
            lowestExponent + int(bits() % std::uint64_t(highestExponent - lowestExponent + 1)));
        const long double value = fromFields(word & 1, exponent, bits());
        const QByteArray fault = roundTripFault(value);
        if (!fault.isEmpty() && faults++ == 0)
            first = fault;
    }
    QVERIFY2(faults == 0, (QByteArray::number(faults) + " faults, first " + first).constData());
}

QTEST_GUILESS_MAIN(TestExportText)
#include "tst_ExportText.moc"
