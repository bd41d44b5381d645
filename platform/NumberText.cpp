#include "platform/NumberText.h"

#include "arith/Errors.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <locale.h>
#include <stdlib.h>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace morva::text {

namespace {

constexpr int kMaxSignificant = 18;

std::optional<QChar> g_separatorOverride;

// A real as decimal digits: value = 0.d1 d2 d3 ... x 10^exponent, so that
// `exponent` counts the digits before the separator. Zero has no digits.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;

    bool isZero() const { return digits.empty(); }
    // Written with a minus: negative and not rounded to zero.
    bool showsMinus() const { return negative && !isZero(); }
    // The digit at `index` (0 = the first significant one); '0' past the end
    // and before the start.
    char digitAt(int index) const
    {
        return index >= 0 && index < int(digits.size()) ? digits[std::size_t(index)] : '0';
    }
};

void trimTrailingZeros(Decimal &d)
{
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

// The value's 18-significant-digit decimal form.
Decimal decompose(long double value)
{
    Decimal d;
    d.negative = std::signbit(value);
    if (value == 0)
        return d;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", std::fabs(value));
    // buffer: "d.ddddddddddddddddde+XX", the point being the C library's
    // locale separator, which may be a multi-byte character.
    d.digits += buffer[0];
    const char *p = buffer + 1;
    while (*p != '\0' && (*p < '0' || *p > '9'))
        ++p;
    while (*p >= '0' && *p <= '9')
        d.digits += *p++;
    d.exponent = std::atoi(p + 1) + 1;
    trimTrailingZeros(d);
    return d;
}

// Keeps the first `keep` significant digits, rounding the decimal digit
// string half away from zero.
void roundDigits(Decimal &d, int keep)
{
    if (d.isZero() || keep >= int(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    const bool up = d.digits[std::size_t(keep)] >= '5';
    d.digits.resize(std::size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[std::size_t(i)] == '9')
            d.digits[std::size_t(i--)] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[std::size_t(i)];
        }
    }
    trimTrailingZeros(d);
}

QString sign(const Decimal &d)
{
    return d.showsMinus() ? QStringLiteral("-") : QString();
}

QString exponentText(int exponent, bool alwaysSign, int minDigits)
{
    QString text = QString::number(std::abs(exponent));
    if (text.size() < minDigits)
        text.prepend(QString(minDigits - text.size(), QLatin1Char('0')));
    if (exponent < 0)
        return QLatin1Char('-') + text;
    return alwaysSign ? QLatin1Char('+') + text : text;
}

// `count` digits starting at significant position `from`.
QString digitRun(const Decimal &d, int from, int count)
{
    QString run(std::max(count, 0), Qt::Uninitialized);
    for (int i = 0; i < count; ++i)
        run[i] = QLatin1Char(d.digitAt(from + i));
    return run;
}

// Appends `count` digits starting at significant position `from`.
void appendDigits(QString &text, const Decimal &d, int from, int count)
{
    for (int i = 0; i < count; ++i)
        text += QLatin1Char(d.digitAt(from + i));
}

std::optional<QString> nonFinite(long double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return std::nullopt;
}

// The shortest scientific form of an already rounded decimal: "1.234E5",
// "-5E-7".
QString generalExponent(const Decimal &d)
{
    QString text = sign(d) + QLatin1Char(d.digitAt(0));
    if (d.digits.size() > 1)
        text += decimalSeparator() + QString::fromLatin1(d.digits.c_str() + 1);
    return text + QLatin1Char('E') + exponentText(d.exponent - 1, false, 0);
}

// Digits after the separator from `digits` placeholders, with trailing zeros
// dropped down to the `required` ones.
QString fraction(const Decimal &d, int intDigits, int digits, int required)
{
    QString text = digitRun(d, intDigits, digits);
    while (text.size() > required && text.endsWith(QLatin1Char('0')))
        text.chop(1);
    return text;
}

struct Picture {
    int intRequired = 0;   // '0' before the separator
    int intPlaces = 0;     // '0' and '#' before the separator
    int fracRequired = 0;  // up to the last '0' after the separator
    int fracPlaces = 0;    // '0' and '#' after the separator
    bool scientific = false;
    bool exponentPlus = false;
    int exponentDigits = 0;
};

Picture parsePicture(const QString &picture)
{
    Picture pic;
    bool afterPoint = false;
    for (int i = 0; i < picture.size(); ++i) {
        const QChar c = picture[i];
        if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < picture.size()
            && (picture[i + 1] == QLatin1Char('+') || picture[i + 1] == QLatin1Char('-'))) {
            pic.scientific = true;
            pic.exponentPlus = picture[i + 1] == QLatin1Char('+');
            for (int j = i + 2; j < picture.size() && picture[j] == QLatin1Char('0'); ++j)
                ++pic.exponentDigits;
            break;
        }
        if (c == QLatin1Char('.')) {
            afterPoint = true;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (afterPoint) {
                ++pic.fracPlaces;
                if (c == QLatin1Char('0'))
                    pic.fracRequired = pic.fracPlaces;
            } else {
                ++pic.intPlaces;
                if (c == QLatin1Char('0'))
                    ++pic.intRequired;
            }
        }
    }
    return pic;
}

QString withFraction(QString text, const QString &frac)
{
    if (!frac.isEmpty())
        text += decimalSeparator() + frac;
    return text;
}

QString pictureFixed(long double value, const Picture &pic)
{
    Decimal d = decompose(value);
    roundDigits(d, d.exponent + pic.fracPlaces);
    const int intDigits = std::max(d.exponent, 0);
    QString whole = digitRun(d, 0, intDigits);
    if (whole.size() < pic.intRequired)
        whole.prepend(QString(pic.intRequired - whole.size(), QLatin1Char('0')));
    return sign(d) + withFraction(whole, fraction(d, d.exponent, pic.fracPlaces, pic.fracRequired));
}

QString pictureScientific(long double value, const Picture &pic)
{
    const int intDigits = std::max(pic.intPlaces, 1);
    Decimal d = decompose(value);
    roundDigits(d, intDigits + pic.fracPlaces);
    const int exponent = d.isZero() ? 0 : d.exponent - intDigits;
    const QString mantissa = withFraction(digitRun(d, 0, intDigits),
                                          fraction(d, intDigits, pic.fracPlaces, pic.fracRequired));
    return sign(d) + mantissa + QLatin1Char('E')
           + exponentText(exponent, pic.exponentPlus, pic.exponentDigits);
}

// Fixed notation straight from the binary value, the way the grids write
// thousands of cells a run without making the decimal form of each.
// |value| = m x 2^q exactly (m at most 64 bits); times 10^r it is
// m x 5^r x 2^(q + r), exact in 128 bits for r <= 18, so its integer part
// and remainder are exact. That rounds half away from zero the same as the
// 18-digit form does unless the remainder lies within half a unit of the
// 18th significant digit of one half (the 18-digit form may then stand on
// the other side of it); then, and for exponent notation, nothing is
// returned and the decimal form decides.
std::optional<QString> fixedFromBinary(long double value, int precision, int digits)
{
    static_assert(std::numeric_limits<long double>::radix == 2
                  && std::numeric_limits<long double>::digits <= 64);
    __extension__ using Wide = unsigned __int128;
    // 10^k for |k| <= kPowers, as near as the type holds them.
    constexpr int kPowers = 40;
    static const std::array<long double, 2 * kPowers + 1> powers = [] {
        std::array<long double, 2 * kPowers + 1> p{};
        for (int k = -kPowers; k <= kPowers; ++k)
            p[std::size_t(k + kPowers)] = std::pow(10.0L, k);
        return p;
    }();
    const auto powerOfTen = [](int k) { return powers[std::size_t(k + kPowers)]; };

    const long double magnitude = std::fabs(value);
    if (!(magnitude >= powerOfTen(-kPowers + 1) && magnitude < powerOfTen(precision)))
        return std::nullopt;
    int binaryExponent = 0;
    const long double mantissa = std::frexp(magnitude, &binaryExponent);
    const auto m = static_cast<std::uint64_t>(std::ldexp(mantissa, 64));
    const int q = binaryExponent - 64;
    // Digits before the separator: 10^(e-1) <= |value| < 10^e, from the
    // binary exponent and one comparison; checked exactly below where it
    // matters.
    int e = int(std::floor((binaryExponent - 1) * 0.30102999566398120)) + 1;
    if (magnitude >= powerOfTen(e))
        ++e;
    if (e > precision)
        return std::nullopt;
    const int keep = std::min(precision, e + digits);
    const int r = keep - e; // decimals rounded to, 0..digits
    Wide scaled = m;
    for (int i = 0; i < r; ++i)
        scaled *= 5;
    const int shift = q + r;
    Wide whole = 0;
    bool up = false;
    if (shift >= 0) {
        if (shift > 60)
            return std::nullopt;
        whole = scaled << shift;
    } else if (-shift < 128) {
        const int s = -shift;
        whole = scaled >> s;
        const Wide rest = scaled & ((Wide(1) << s) - 1);
        const Wide half = Wide(1) << (s - 1);
        // Ten times half a unit of the 18th digit, for an estimate of e one short.
        const long double margin = std::ldexp(5 * powerOfTen(std::max(keep - 18, -kPowers)), s);
        const long double distance =
            rest >= half ? static_cast<long double>(rest - half)
                         : static_cast<long double>(half - rest);
        if (distance <= margin)
            return std::nullopt;
        up = rest > half;
    }
    std::uint64_t power = 1;
    for (int i = 0; i < keep - 1 && keep > 0; ++i)
        power *= 10;
    // The estimate of e decides the rounding place where the precision
    // limits the digits: check it exactly there.
    if (keep > 0 && (whole < power || whole >= Wide(power) * 10))
        return std::nullopt;
    auto rounded = static_cast<std::uint64_t>(whole) + (up ? 1 : 0);
    if (keep > 0 && rounded == power * 10 && e + 1 > precision)
        return std::nullopt;
    // A value rounded to zero carries no minus.
    const bool negative = rounded != 0 && std::signbit(value);

    // Written back to front into one buffer: sign, units, separator, the r
    // decimals rounded to, zeros up to `digits` decimals.
    std::array<QChar, 64> buffer;
    std::size_t at = buffer.size();
    for (int i = r; i < digits; ++i)
        buffer[--at] = QLatin1Char('0');
    for (int i = 0; i < r; ++i, rounded /= 10)
        buffer[--at] = QLatin1Char(char('0' + rounded % 10));
    if (digits > 0)
        buffer[--at] = decimalSeparator();
    do {
        buffer[--at] = QLatin1Char(char('0' + rounded % 10));
        rounded /= 10;
    } while (rounded != 0);
    if (negative)
        buffer[--at] = QLatin1Char('-');
    return QString(buffer.data() + at, qsizetype(buffer.size() - at));
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ');
}

} // namespace

QChar decimalSeparator()
{
    if (g_separatorOverride)
        return *g_separatorOverride;
    // Read once, like the rest of the regional settings the program uses.
    static const QChar system = [] {
        const QString point = QLocale::system().decimalPoint();
        return point.isEmpty() ? QChar(QLatin1Char('.')) : point.front();
    }();
    return system;
}

void setDecimalSeparatorOverride(std::optional<QChar> separator)
{
    g_separatorOverride = separator;
}

QString formatFixed(long double value, int precision, int digits)
{
    if (auto special = nonFinite(value))
        return *special;
    precision = std::clamp(precision, 1, kMaxSignificant);
    digits = std::clamp(digits, 0, kMaxSignificant);
    if (auto text = fixedFromBinary(value, precision, digits))
        return *text;
    Decimal d = decompose(value);
    roundDigits(d, std::min(precision, d.exponent + digits));
    if (d.exponent > precision)
        return generalExponent(d);
    // One string, sized once: the grids format thousands of cells a run.
    QString text;
    text.reserve(3 + std::max(d.exponent, 1) + digits);
    if (d.showsMinus())
        text += QLatin1Char('-');
    if (d.exponent > 0)
        appendDigits(text, d, 0, d.exponent);
    else
        text += QLatin1Char('0');
    if (digits > 0) {
        text += decimalSeparator();
        appendDigits(text, d, d.exponent, digits);
    }
    return text;
}

QString formatExponent(long double value, int precision, int exponentDigits)
{
    if (auto special = nonFinite(value))
        return *special;
    precision = std::clamp(precision, 1, kMaxSignificant);
    Decimal d = decompose(value);
    roundDigits(d, precision);
    const int exponent = d.isZero() ? 0 : d.exponent - 1;
    QString text;
    text.reserve(8 + precision + std::max(exponentDigits, 0));
    if (d.showsMinus())
        text += QLatin1Char('-');
    text += QLatin1Char(d.digitAt(0));
    if (precision > 1) {
        text += decimalSeparator();
        appendDigits(text, d, 1, precision - 1);
    }
    return text + QLatin1Char('E') + exponentText(exponent, true, std::max(exponentDigits, 0));
}

QString formatInteger(std::int64_t value)
{
    return QString::number(value);
}

QString formatPicture(double value, const QString &picture)
{
    if (auto special = nonFinite(value))
        return *special;
    const Picture pic = parsePicture(picture);
    return pic.scientific ? pictureScientific(value, pic) : pictureFixed(value, pic);
}

std::optional<std::int32_t> tryTextToInteger(const QString &text)
{
    int i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        negative = text[i++] == QLatin1Char('-');
    if (i == text.size())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > std::int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return std::int32_t(value);
}

std::int32_t textToInteger(const QString &text)
{
    if (auto value = tryTextToInteger(text))
        return *value;
    throw EConvertError(text.toStdString());
}

std::optional<long double> textToReal(const QString &text)
{
    int begin = 0;
    int end = int(text.size());
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    const QChar separator = decimalSeparator();
    std::string ascii;
    int i = begin;
    auto digitsRun = [&] {
        int count = 0;
        while (i < end && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            ascii += char(text[i++].unicode());
            ++count;
        }
        return count;
    };
    auto optionalSign = [&] {
        if (i < end && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
            ascii += char(text[i++].unicode());
    };

    optionalSign();
    int mantissaDigits = digitsRun();
    if (i < end && text[i] == separator) {
        ascii += '.';
        ++i;
        mantissaDigits += digitsRun();
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        ascii += 'e';
        ++i;
        optionalSign();
        if (digitsRun() == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    // The text is plain ASCII with '.' by now; read it in the C locale, since
    // the application object switches the C library to the user's locale,
    // whose separator may be ','. Subnormal values read as they are.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const long double value = strtold_l(ascii.c_str(), nullptr, cLocale);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

} // namespace morva::text
