#include "platform/rtl/Types.h"

#include <cmath>
#include <limits>

namespace qor {

Int64 Round(Double X)
{
    return static_cast<Int64>(std::nearbyint(X)); // default rounding mode: to nearest, ties to even
}

Int64 Trunc(Double X) { return static_cast<Int64>(std::trunc(X)); }

Double Frac(Double X) { return X - std::trunc(X); }

Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator)
{
    if (Denominator == 0)
        return -1;
    const Int64 product = static_cast<Int64>(Number) * Numerator;
    Int64 q = product / Denominator;
    const Int64 r = product % Denominator;
    // Round half away from zero: compare twice the remainder with the divisor.
    if (r != 0 && 2 * (r < 0 ? -r : r) >= (Denominator < 0 ? -static_cast<Int64>(Denominator) : Denominator))
        q += ((product < 0) != (Denominator < 0)) ? -1 : 1;
    if (q > std::numeric_limits<Integer>::max() || q < std::numeric_limits<Integer>::min())
        return -1;
    return static_cast<Integer>(q);
}

} // namespace qor
