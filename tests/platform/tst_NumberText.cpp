// Numbers as text: fixed and exponent notation, axis pictures, integer and
// real conversion, each with the point and with the comma as separator.

#include "arith/Errors.h"
#include "platform/NumberText.h"

#include <QTest>

#include <limits>

using namespace morva::text;

namespace {

// Every expected text is written with '.'; the comma rows swap it in.
QString withSeparator(QString text, QChar separator)
{
    return text.replace(QLatin1Char('.'), separator);
}

void addSeparatorColumn()
{
    QTest::addColumn<QChar>("separator");
}

} // namespace

class TestNumberText : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setDecimalSeparatorOverride(std::nullopt); }

    void fixed_data();
    void fixed();
    void exponent_data();
    void exponent();
    void picture_data();
    void picture();
    void integerRoundTrip_data();
    void integerRoundTrip();
    void integerRejects_data();
    void integerRejects();
    void real_data();
    void real();
    void separatorFromLocaleByDefault();
};

void TestNumberText::fixed_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("precision");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("expected");

    // Spin edits (3, 3): the decimals are always written, padded with zeros.
    QTest::newRow("0.6 (3,3)") << 0.6L << 3 << 3 << "0.600";
    QTest::newRow("1.2345 (3,3) keeps 3 significant") << 1.2345L << 3 << 3 << "1.230";
    QTest::newRow("10 (3,3) pads past the precision") << 10.0L << 3 << 3 << "10.000";
    QTest::newRow("0.25 (3,3)") << 0.25L << 3 << 3 << "0.250";
    QTest::newRow("0.0456 (3,3) to 3 decimals") << 0.0456L << 3 << 3 << "0.046";
    // Selection grids (4, 3).
    QTest::newRow("0.59375 (4,3) tie away from zero") << 0.59375L << 4 << 3 << "0.594";
    QTest::newRow("0.1 (4,3)") << 0.1L << 4 << 3 << "0.100";
    QTest::newRow("1.05 (4,3)") << 1.05L << 4 << 3 << "1.050";
    QTest::newRow("-0.59375 (4,3) tie away from zero") << -0.59375L << 4 << 3 << "-0.594";
    QTest::newRow("0.0005 (4,3) rounds up to the last decimal") << 0.0005L << 4 << 3 << "0.001";
    QTest::newRow("-0.0004 (4,3) rounds to an unsigned zero") << -0.0004L << 4 << 3 << "0.000";
    QTest::newRow("0.9996 (4,3) carries into the units") << 0.9996L << 4 << 3 << "1.000";
    QTest::newRow("9.9996 (4,3) carries to 10") << 9.9996L << 4 << 3 << "10.000";
    QTest::newRow("0 (4,3)") << 0.0L << 4 << 3 << "0.000";
    QTest::newRow("-0 (4,3)") << -0.0L << 4 << 3 << "0.000";
    // The rounding reads the 18-digit decimal form: 0.15 as a long double is
    // 0.150000000000000000, as a double 0.149999999999999994.
    QTest::newRow("extended 0.15 (2,1)") << 0.15L << 2 << 1 << "0.2";
    QTest::newRow("double 0.15 (2,1)") << (long double)(0.15) << 2 << 1 << "0.1";
    // Just below a tie, so near it that the 18-digit form is the tie itself.
    QTest::newRow("0.12349999999999999999 (4,3) rounds its 18-digit form")
        << 0.12349999999999999999L << 4 << 3 << "0.124";
    QTest::newRow("-0.12349999999999999999 (4,3)") << -0.12349999999999999999L << 4 << 3 << "-0.124";
    QTest::newRow("0.1234999999999999 (4,3) stays below the tie")
        << 0.1234999999999999L << 4 << 3 << "0.123";
    QTest::newRow("1e-30 (6,5) rounds to zero") << 1e-30L << 6 << 5 << "0.00000";
    // Mutation grid (6, 5) and readouts (5, 3), (6, 4).
    QTest::newRow("0.6 (6,5)") << 0.6L << 6 << 5 << "0.60000";
    QTest::newRow("1 (6,5)") << 1.0L << 6 << 5 << "1.00000";
    QTest::newRow("0.5 (5,3)") << 0.5L << 5 << 3 << "0.500";
    QTest::newRow("-0.0123 (5,3)") << -0.0123L << 5 << 3 << "-0.012";
    QTest::newRow("0.5 (6,4)") << 0.5L << 6 << 4 << "0.5000";
    QTest::newRow("123.456789 (6,4) precision wins") << 123.456789L << 6 << 4 << "123.4570";
    QTest::newRow("no decimals, no separator") << 2.5L << 4 << 0 << "3";
    // More digits before the separator than the precision: exponent form.
    QTest::newRow("1000 (3,3)") << 1000.0L << 3 << 3 << "1E3";
    QTest::newRow("-12345.6 (4,2)") << -12345.6L << 4 << 2 << "-1.235E4";
    QTest::newRow("999.6 (3,3) rounds over the precision") << 999.6L << 3 << 3 << "1E3";
    QTest::newRow("999.4 (3,3) stays fixed") << 999.4L << 3 << 3 << "999.000";
    QTest::newRow("infinity") << std::numeric_limits<long double>::infinity() << 4 << 3 << "INF";
    QTest::newRow("nan") << std::numeric_limits<long double>::quiet_NaN() << 4 << 3 << "NAN";
}

void TestNumberText::fixed()
{
    QFETCH(long double, value);
    QFETCH(int, precision);
    QFETCH(int, digits);
    QFETCH(QString, expected);
    for (QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
        setDecimalSeparatorOverride(separator);
        QCOMPARE(formatFixed(value, precision, digits), withSeparator(expected, separator));
    }
}

void TestNumberText::exponent_data()
{
    QTest::addColumn<long double>("value");
    QTest::addColumn<int>("precision");
    QTest::addColumn<int>("exponentDigits");
    QTest::addColumn<QString>("expected");

    QTest::newRow("-2.5e-7 (3,2)") << -2.5e-7L << 3 << 2 << "-2.50E-07";
    QTest::newRow("1.23e-6 (3,2)") << 1.23e-6L << 3 << 2 << "1.23E-06";
    QTest::newRow("positive exponent has its sign") << 12345.0L << 3 << 2 << "1.23E+04";
    QTest::newRow("tie away from zero") << 1.235L << 3 << 2 << "1.24E+00";
    QTest::newRow("rounding carries into the exponent") << 9.996e-5L << 3 << 2 << "1.00E-04";
    QTest::newRow("three-digit exponent over a minimum of 2") << 1.5e-300L << 3 << 2 << "1.50E-300";
    QTest::newRow("zero") << 0.0L << 3 << 2 << "0.00E+00";
    QTest::newRow("precision 1 has no separator") << 7.0L << 1 << 1 << "7E+0";
}

void TestNumberText::exponent()
{
    QFETCH(long double, value);
    QFETCH(int, precision);
    QFETCH(int, exponentDigits);
    QFETCH(QString, expected);
    for (QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
        setDecimalSeparatorOverride(separator);
        QCOMPARE(formatExponent(value, precision, exponentDigits),
                 withSeparator(expected, separator));
    }
}

void TestNumberText::picture_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QString>("expected");

    QTest::newRow("##0 of 0.25") << 0.25 << "##0" << "0";
    QTest::newRow("##0 of 1000") << 1000.0 << "##0" << "1000";
    QTest::newRow("##0 of 2.5 away from zero") << 2.5 << "##0" << "3";
    QTest::newRow("##0 of -0.4 has no sign") << -0.4 << "##0" << "0";
    QTest::newRow("##0 of -12") << -12.0 << "##0" << "-12";
    QTest::newRow("0.00 of 0.2") << 0.2 << "0.00" << "0.20";
    QTest::newRow("0.00 of 0.125") << 0.125 << "0.00" << "0.13";
    QTest::newRow("0.00 of 1") << 1.0 << "0.00" << "1.00";
    QTest::newRow("0.000 of 0.0125") << 0.0125 << "0.000" << "0.013";
    QTest::newRow("0.000 of -0.25") << -0.25 << "0.000" << "-0.250";
    QTest::newRow("0.00E-00 of 1e-6") << 1e-6 << "0.00E-00" << "1.00E-06";
    QTest::newRow("0.00E-00 of 1000") << 1000.0 << "0.00E-00" << "1.00E03";
    QTest::newRow("0.00E-00 of -5e-7") << -5e-7 << "0.00E-00" << "-5.00E-07";
    QTest::newRow("0.00E-00 of 0") << 0.0 << "0.00E-00" << "0.00E00";
    QTest::newRow("0.00E-00 of 9.999 carries") << 9.999 << "0.00E-00" << "1.00E01";
    QTest::newRow("0.00E-00 of 1.5e123") << 1.5e123 << "0.00E-00" << "1.50E123";
    QTest::newRow("0.0E+00 shows a plus") << 25.0 << "0.0E+00" << "2.5E+01";
}

void TestNumberText::picture()
{
    QFETCH(double, value);
    QFETCH(QString, picture);
    QFETCH(QString, expected);
    for (QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
        setDecimalSeparatorOverride(separator);
        QCOMPARE(formatPicture(value, picture), withSeparator(expected, separator));
    }
}

void TestNumberText::integerRoundTrip_data()
{
    QTest::addColumn<qint32>("value");
    QTest::newRow("zero") << 0;
    QTest::newRow("negative") << -17;
    QTest::newRow("largest") << std::numeric_limits<qint32>::max();
    QTest::newRow("smallest") << std::numeric_limits<qint32>::min();
}

void TestNumberText::integerRoundTrip()
{
    QFETCH(qint32, value);
    QCOMPARE(textToInteger(formatInteger(value)), value);
    QCOMPARE(tryTextToInteger(formatInteger(value)), std::optional<std::int32_t>(value));
}

void TestNumberText::integerRejects_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letter after digits") << "12a";
    QTest::newRow("empty") << "";
    QTest::newRow("sign alone") << "-";
    QTest::newRow("decimal") << "1.5";
    QTest::newRow("beyond 32 bits") << "99999999999";
    QTest::newRow("one past the largest") << "2147483648";
    QTest::newRow("one past the smallest") << "-2147483649";
    QTest::newRow("trailing blank") << "12 ";
    QTest::newRow("blank") << " ";
}

void TestNumberText::integerRejects()
{
    QFETCH(QString, text);
    QVERIFY(!tryTextToInteger(text));
    try {
        textToInteger(text);
        QFAIL("no error raised");
    } catch (const morva::EConvertError &error) {
        QCOMPARE(QString::fromUtf8(error.what()),
                 QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void TestNumberText::real_data()
{
    addSeparatorColumn();
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<long double>("value");

    const QChar point('.');
    const QChar comma(',');
    QTest::newRow("point: decimal") << point << "0.25" << true << 0.25L;
    QTest::newRow("point: surrounding blanks") << point << "  -1.5 " << true << -1.5L;
    QTest::newRow("point: exponent") << point << "2.5E-7" << true << 2.5e-7L;
    QTest::newRow("point: lower-case exponent with plus") << point << "+1e+3" << true << 1000.0L;
    QTest::newRow("point: leading separator") << point << ".5" << true << 0.5L;
    QTest::newRow("point: trailing separator") << point << "5." << true << 5.0L;
    QTest::newRow("point: integer") << point << "12" << true << 12.0L;
    QTest::newRow("point: comma refused") << point << "0,25" << false << 0.0L;
    QTest::newRow("point: empty") << point << "" << false << 0.0L;
    QTest::newRow("point: separator alone") << point << "." << false << 0.0L;
    QTest::newRow("point: exponent without digits") << point << "1e" << false << 0.0L;
    QTest::newRow("point: letters") << point << "abc" << false << 0.0L;
    QTest::newRow("point: inner blank") << point << "1 .5" << false << 0.0L;
    QTest::newRow("point: out of range") << point << "1e5000" << false << 0.0L;
    QTest::newRow("point: nan is no number") << point << "nan" << false << 0.0L;
    QTest::newRow("point: inf is no number") << point << "inf" << false << 0.0L;
    QTest::newRow("comma: decimal") << comma << "0,25" << true << 0.25L;
    QTest::newRow("comma: point refused") << comma << "0.25" << false << 0.0L;
}

void TestNumberText::real()
{
    QFETCH(QChar, separator);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(long double, value);
    setDecimalSeparatorOverride(separator);
    const std::optional<long double> parsed = textToReal(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(double(*parsed), double(value));
}

void TestNumberText::separatorFromLocaleByDefault()
{
    // State: no override. Expected: the system locale's separator.
    QCOMPARE(decimalSeparator(), QLocale::system().decimalPoint().front());
    setDecimalSeparatorOverride(QLatin1Char(','));
    QCOMPARE(decimalSeparator(), QLatin1Char(','));
}

QTEST_APPLESS_MAIN(TestNumberText)
#include "tst_NumberText.moc"
