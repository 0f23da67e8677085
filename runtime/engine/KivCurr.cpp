#include "runtime/engine/KivCurr.h"

namespace qor {

TKivCurrency::TKivCurrency() { FDataType = dtypeCurrency; }

Currency TKivCurrency::GetValueCurrency() const
{
    return KivPickTotal(FCalc, FTotalType, Currency(FCalc.Count()));
}

Double TKivCurrency::GetValueFloat() const
{
    if (FTotalType == ttCount)
        return FCalc.Count();
    return GetValueCurrency().ToDouble();
}

QOR_PUBLISH(TKivCurrency) {}

} // namespace qor
