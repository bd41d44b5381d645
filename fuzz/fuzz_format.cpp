// Fixed and exponent notation and the axis label pictures: every text written
// for a finite value reads back within half a unit of its last significant
// digit.

#include "FuzzCommon.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

struct Input {
    long double value = 0;
    int precision = 1;
    int digits = 0;
    int exponentDigits = 1;
    int picture = 0;
};

// Layout: selector byte, 10 bytes of an x87 extended value, precision,
// digits, exponent digits, picture.
bool decode(const std::uint8_t *data, std::size_t size, Input &in)
{
    if (size < 15)
        return false;
    morva::fuzz::pickSeparator(data[0]);
    // Build the value from a 64-bit mantissa and a 15-bit exponent with
    // ldexpl, so only canonical encodings reach the formatter (a raw copy
    // could make pseudo-denormals and unnormals, which arithmetic never does).
    std::uint64_t mantissa = 0;
    std::uint16_t signAndExponent = 0;
    std::memcpy(&mantissa, data + 1, 8);
    std::memcpy(&signAndExponent, data + 9, 2);
    const int exponent = (signAndExponent & 0x7fff) - 16383 - 63;
    in.value = std::ldexp(static_cast<long double>(mantissa), exponent);
    if (signAndExponent & 0x8000)
        in.value = -in.value;
    in.precision = 1 + data[11] % 18;
    in.digits = data[12] % 19;
    in.exponentDigits = 1 + data[13] % 4;
    in.picture = data[14] % 4;
    // Near the top of the range a rounded text can name a number beyond it
    // (1.19E4932 for 1.1897E4932), which no reader can take back.
    return std::isfinite(in.value) && std::fabs(in.value) < 1e4930L;
}

void checkFixed(const Input &in)
{
    const QString text = morva::text::formatFixed(in.value, in.precision, in.digits);
    const long double unit = std::fmax(std::pow(10.0L, -in.digits),
                                       morva::fuzz::significantUnit(in.value, in.precision));
    if (!morva::fuzz::readsBackNear(text, in.value, unit))
        morva::fuzz::fail("fixed text does not read back", text);
}

void checkExponent(const Input &in)
{
    const QString text = morva::text::formatExponent(in.value, in.precision, in.exponentDigits);
    if (!morva::fuzz::readsBackNear(text, in.value,
                                    morva::fuzz::significantUnit(in.value, in.precision)))
        morva::fuzz::fail("exponent text does not read back", text);
}

void checkPicture(const Input &in)
{
    static const char *const pictures[] = {"##0", "0.00", "0.000", "0.00E-00"};
    static const double units[] = {1, 0.01, 0.001, 0};
    const double value = static_cast<double>(in.value);
    if (!std::isfinite(value))
        return;
    const QString text = morva::text::formatPicture(value, QString::fromLatin1(pictures[in.picture]));
    const long double unit = in.picture == 3 ? morva::fuzz::significantUnit(value, 3)
                                             : std::fmax(units[in.picture],
                                                         morva::fuzz::significantUnit(value, 18));
    if (!morva::fuzz::readsBackNear(text, value, unit))
        morva::fuzz::fail("label text does not read back", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in;
    if (!decode(data, size, in))
        return 0;
    checkFixed(in);
    checkExponent(in);
    checkPicture(in);
    return 0;
}
