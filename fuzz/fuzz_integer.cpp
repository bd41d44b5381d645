// Text to integer: the throwing and the non-throwing reader agree, and every
// integer read is written back to text that reads as the same integer.

#include "FuzzCommon.h"

#include "arith/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data),
                                           static_cast<qsizetype>(size));
    const std::optional<std::int32_t> quiet = morva::text::tryTextToInteger(text);
    bool threw = false;
    std::int32_t loud = 0;
    try {
        loud = morva::text::textToInteger(text);
    } catch (const morva::EConvertError &) {
        threw = true;
    }
    if (threw == quiet.has_value())
        morva::fuzz::fail("readers disagree", text);
    if (quiet) {
        if (loud != *quiet)
            morva::fuzz::fail("readers give different values", text);
        const QString written = morva::text::formatInteger(*quiet);
        if (morva::text::tryTextToInteger(written) != quiet)
            morva::fuzz::fail("integer text does not round-trip", written);
    }
    return 0;
}
