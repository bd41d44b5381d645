#include "arith/Power.h"

#include "arith/FloatChecks.h"

namespace morva {

Extended Power(Extended x, Extended y)
{
    fpClear();
    fpBarrier(x, y);
    Extended result = powerUnchecked(x, y);
    fpBarrier(result);
    fpCheck();
    return result;
}

} // namespace morva
