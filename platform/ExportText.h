#ifndef MORVA_PLATFORM_EXPORTTEXT_H
#define MORVA_PLATFORM_EXPORTTEXT_H

// Numbers for other programs to read (clipboard, CSV): the shortest decimal
// text that reads back to the very same 80-bit value, with "." as the decimal
// point whatever the locale. Standard library only.
//
// The digits are those of std::to_chars (shortest round trip, at most 21
// significant digits for a 64-bit mantissa). They are laid out positionally
// ("0.6", "2100000000", "0.000001") when the decimal exponent lies in
// [-7, 21), and in exponent notation otherwise ("1.5e+25", "4e-4951").
// NaN and the infinities read "nan", "inf", "-inf"; negative zero "-0".

#include <string>

namespace morva::text {

// Appends the text of `value` to `out`.
void appendExportNumber(std::string &out, long double value);
// The text of `value`.
std::string exportNumber(long double value);

} // namespace morva::text

#endif
