#include "runtime/engine/KivFloat.h"

#include <cmath>

#include <typeinfo>

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

String TKivFloat::GetAsString() const { return FloatToStr(GetValueFloat()); }

Int64 TKivFloat::GetAsInteger() const { return KivTruncToInt64(GetValueFloat()); }

TStream* TKivFloat::GetAsStream() { AbstractError(); }

TStrings* TKivFloat::GetAsStrings() { AbstractError(); }

void TKivFloat::SetAsString(const String& Value) { SetValueFloat(static_cast<Double>(StrToFloat(Value))); }

void TKivFloat::SetValue(const TKivRawValue& Raw)
{
    const Double* V = std::get_if<Double>(&Raw);
    if (!V)
        RawError();
    FCalc.NewVal(*V);
}

void TKivFloat::SetData(TKivData* D)
{
    // Values of one kind meet on every record: the exact class is the quick test.
    auto* Source = D && typeid(*D) == typeid(TKivFloat) ? static_cast<TKivFloat*>(D) : dynamic_cast<TKivFloat*>(D);
    if (!Source)
        throw EConvertError("Cannot take a " + D->ClassName() + " into a " + ClassName());
    FCalc.Assign(Source->FCalc);
    FIsNull = Source->IsNull();
}

void TKivFloat::Reset()
{
    TKivData::Reset();
    FCalc.Reset();
}

QOR_PUBLISH(TKivFloat) {}

} // namespace qor
