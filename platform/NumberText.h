#ifndef MORVA_PLATFORM_NUMBERTEXT_H
#define MORVA_PLATFORM_NUMBERTEXT_H

// Numbers as the user reads and types them, with the decimal separator of the
// system locale (tests may override it).

#include <QChar>
#include <QString>

#include <cstdint>
#include <optional>

namespace morva::text {

// The decimal separator in use: the override when one is set, else the
// system locale's.
QChar decimalSeparator();
// Tests set a separator ('.' or ','); std::nullopt returns to the locale's.
void setDecimalSeparatorOverride(std::optional<QChar> separator);

// Fixed notation: round the value's 18-significant-digit decimal form half away
// from zero to `precision` significant digits or to `digits` decimals,
// whichever keeps fewer digits, and write exactly `digits` decimals. A value
// with more than `precision` digits before the separator (after rounding) is
// written in the shortest exponent notation instead: "1E3", "-1.235E4". A
// value that rounds to zero carries no minus sign. NaN and infinities read
// "NAN", "INF", "-INF".
QString formatFixed(long double value, int precision, int digits);

// Exponent notation: one digit, the separator, precision - 1 digits, "E", the
// exponent's sign (always), at least `exponentDigits` exponent digits.
QString formatExponent(long double value, int precision, int exponentDigits);

// Plain decimal integer text, "-" for negatives.
QString formatInteger(std::int64_t value);

// Axis label pictures: "##0", "0.00", "0.000" and "0.00E-00" ('#' optional
// digit, '0' required digit, "E-" shows the exponent's sign only when it is
// negative, "E+" always, "00" at least two exponent digits). Rounding is half
// away from zero; a value that rounds to zero carries no minus sign.
QString formatPicture(double value, const QString &picture);

// Decimal integer (leading blanks, optional sign, digits, nothing after) in
// the signed 32-bit range; throws morva::EConvertError with the text
// otherwise.
std::int32_t textToInteger(const QString &text);
// The same without the error: std::nullopt when the text is not an integer.
std::optional<std::int32_t> tryTextToInteger(const QString &text);

// Decimal real with the decimal separator in use (exponent notation accepted,
// blanks around it tolerated); std::nullopt when the text is not a number or
// lies beyond the extended range. Never throws.
std::optional<long double> textToReal(const QString &text);

} // namespace morva::text

#endif
