#include "arith/FloatChecks.h"

#include "arith/Errors.h"

#include <cfenv>

namespace morva {

void fpClear()
{
    std::feclearexcept(FE_ALL_EXCEPT);
}

void fpCheck()
{
    const int raised = std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (raised == 0)
        return;
    if (raised & FE_DIVBYZERO)
        throw EZeroDivide();
    if (raised & FE_OVERFLOW)
        throw EOverflow();
    throw EInvalidOp();
}

} // namespace morva
