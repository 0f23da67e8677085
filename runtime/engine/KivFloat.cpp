#include "runtime/engine/KivFloat.h"

#include <cmath>

namespace qor {

Int64 KivTruncToInt64(Double Value)
{
    const Double T = std::trunc(Value);
    if (!(T >= -9223372036854775808.0 && T < 9223372036854775808.0))
        throw EConvertError(FloatToStr(Value) + " is not a valid integer value");
    return static_cast<Int64>(T);
}

TKivFloat::TKivFloat() { FDataType = dtypeFloat; }

Double TKivFloat::GetValueFloat() const
{
    return KivPickTotal(FCalc, FTotalType, static_cast<Double>(FCalc.Count()));
}

QOR_PUBLISH(TKivFloat) {}

} // namespace qor
