#include "runtime/engine/KivCurr.h"

#include "runtime/engine/KivFloat.h"

#include <typeinfo>

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

String TKivCurrency::GetAsString() const { return FloatToStr(GetValueFloat()); }

Int64 TKivCurrency::GetAsInteger() const { return KivTruncToInt64(GetValueFloat()); }

TStream* TKivCurrency::GetAsStream() { AbstractError(); }

TStrings* TKivCurrency::GetAsStrings() { AbstractError(); }

void TKivCurrency::SetAsString(const String& Value) { SetValueFloat(static_cast<Double>(StrToFloat(Value))); }

void TKivCurrency::SetValue(const TKivRawValue& Raw)
{
    const Currency* V = std::get_if<Currency>(&Raw);
    if (!V)
        RawError();
    FCalc.NewVal(*V);
}

void TKivCurrency::SetData(TKivData* D)
{
    // Values of one kind meet on every record: the exact class is the quick test.
    auto* Source = D && typeid(*D) == typeid(TKivCurrency) ? static_cast<TKivCurrency*>(D) : dynamic_cast<TKivCurrency*>(D);
    if (!Source)
        throw EConvertError("Cannot take a " + D->ClassName() + " into a " + ClassName());
    FCalc.Assign(Source->FCalc);
    FIsNull = Source->IsNull();
}

void TKivCurrency::Reset()
{
    TKivData::Reset();
    FCalc.Reset();
}

QOR_PUBLISH(TKivCurrency) {}

} // namespace qor
