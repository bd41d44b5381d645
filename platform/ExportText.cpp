#include "platform/ExportText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace morva::text {

namespace {

// Decimal exponents written positionally; beyond them exponent notation is
// shorter and easier to read.
constexpr int kLowestPositional = -7;
constexpr int kFirstExponential = 21;

// A value with no fraction and |value| < 2^63 is its integer: the integer's
// digits are the shortest ones, since its neighbours lie at most 1 apart and
// a shorter decimal would be at least 1 away. Converting it as an integer
// costs a fraction of the floating conversion.
bool appendIntegral(std::string &out, long double value)
{
    if (value != std::trunc(value) || std::fabs(value) >= 0x1p63L
        || (value == 0.0L && std::signbit(value)))
        return false;
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer,
                                       static_cast<std::int64_t>(value));
    out.append(buffer, result.ptr);
    return true;
}

// Lays out "d.ddde±x" positionally: the digits with the point moved, zeros
// added where the point falls outside them.
void appendPositional(std::string &out, bool negative, std::string_view digits, int exponent)
{
    if (negative)
        out.push_back('-');
    const int count = static_cast<int>(digits.size());
    if (exponent < 0) {
        out.append("0.");
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out.append(digits);
        return;
    }
    if (count <= exponent + 1) {
        out.append(digits);
        out.append(static_cast<std::size_t>(exponent + 1 - count), '0');
        return;
    }
    out.append(digits.substr(0, static_cast<std::size_t>(exponent) + 1));
    out.push_back('.');
    out.append(digits.substr(static_cast<std::size_t>(exponent) + 1));
}

} // namespace

void appendExportNumber(std::string &out, long double value)
{
    if (appendIntegral(out, value))
        return;
    // Sign, 21 digits, point, "e", sign, 4 exponent digits: 30 characters.
    char buffer[48];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos) {  // nan, inf
        out.append(text);
        return;
    }
    // The exponent: a sign and at least two digits, up to the end of the text.
    const char *first = text.data() + e + 1;
    if (*first == '+')
        ++first;
    int exponent = 0;
    std::from_chars(first, text.data() + text.size(), exponent);
    if (exponent < kLowestPositional || exponent >= kFirstExponential) {
        out.append(text);
        return;
    }
    const bool negative = text.front() == '-';
    std::string_view mantissa = text.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
    char digits[32];
    std::size_t count = 0;
    for (const char c : mantissa) {
        if (c != '.')
            digits[count++] = c;
    }
    appendPositional(out, negative, std::string_view(digits, count), exponent);
}

std::string exportNumber(long double value)
{
    std::string out;
    appendExportNumber(out, value);
    return out;
}

} // namespace morva::text
