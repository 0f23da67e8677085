#include "runtime/engine/KivCalc.h"

#include "platform/rtl/TypeInfo.h"

namespace qor {

void TKivCalc::Update()
{
    FSum += FValue;
    if (FCount == 0)
        FMin = FMax = FValue;
    if (!(FMax >= FValue))
        FMax = FValue;
    if (!(FMin <= FValue))
        FMin = FValue;
    ++FCount;
}

void TKivCalc::Reset()
{
    FValue = FSum = FMin = FMax = 0;
    FCount = 0;
}

void TKivCalc::Assign(const TKivCalc& Source)
{
    FValue = Source.FValue;
    FSum = Source.FSum;
    FMin = Source.FMin;
    FMax = Source.FMax;
    FCount = Source.FCount;
}

void TKivCurrCalc::Update()
{
    FSum += FValue;
    if (FCount == 0)
        FMin = FMax = FValue;
    if (FMax < FValue)
        FMax = FValue;
    if (FMin > FValue)
        FMin = FValue;
    ++FCount;
}

void TKivCurrCalc::Reset()
{
    FValue = FSum = FMin = FMax = Currency();
    FCount = 0;
}

void TKivCurrCalc::Assign(const TKivCurrCalc& Source)
{
    FValue = Source.FValue;
    FSum = Source.FSum;
    FMin = Source.FMin;
    FMax = Source.FMax;
    FCount = Source.FCount;
}

QOR_PUBLISH(TKivCalc) {}
QOR_PUBLISH(TKivCurrCalc) {}

} // namespace qor
