// Text to real: never throws, never yields a non-finite value, and every value
// read survives exponent notation with 18 significant digits.

#include "FuzzCommon.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    morva::fuzz::pickSeparator(data[0]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1),
                                           static_cast<qsizetype>(size - 1));
    const std::optional<long double> value = morva::text::textToReal(text);
    if (!value)
        return 0;
    if (!std::isfinite(*value))
        morva::fuzz::fail("non-finite value read", text);
    const QString written = morva::text::formatExponent(*value, 18, 4);
    if (!morva::fuzz::readsBackNear(written, *value, morva::fuzz::significantUnit(*value, 18)))
        morva::fuzz::fail("exponent text does not read back", written);
    return 0;
}
