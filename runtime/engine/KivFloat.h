#pragma once
// TKivFloat: a floating-point accumulator of a total; its value is what TotalType picks from its
// calculator (sum, count, maximum, minimum, average or last value). TKivAccumulator is what it
// shares with the currency accumulator (KivCurr).

#include "runtime/engine/KivCalc.h"
#include "runtime/engine/KivData.h"

#include <typeinfo>

namespace qor {

// A Double truncated toward zero; out of the 64-bit range raises EConvertError.
Int64 KivTruncToInt64(Double Value);

// An accumulator Self over a calculator C (TKivCalc or TKivCurrCalc) taking in values of T: its
// value is read as a float, the other kinds convert from that.
template <class Self, class C, class T>
class TKivAccumulator : public TKivData {
public:
    C* Calc() { return &FCalc; }
    const C* Calc() const { return &FCalc; }
    TKivTotalType TotalType() const { return FTotalType; }
    void SetTotalType(TKivTotalType Value) { FTotalType = Value; }
    Double ValueFloat() const { return GetValueFloat(); }

    virtual Double GetValueFloat() const = 0;
    virtual void SetValueFloat(Double X) = 0;

    String GetAsString() const override { return FloatToStr(GetValueFloat()); }
    // Truncated toward zero.
    Int64 GetAsInteger() const override { return KivTruncToInt64(GetValueFloat()); }
    Double GetAsFloat() const override { return GetValueFloat(); }
    bool GetAsBoolean() const override { return GetValueFloat() != 0; }
    TStream* GetAsStream() override { AbstractError(); }
    TStrings* GetAsStrings() override { AbstractError(); }
    void SetAsString(const String& Value) override { SetValueFloat(static_cast<Double>(StrToFloat(Value))); }
    void SetAsInteger(Int64 Value) override { SetValueFloat(static_cast<Double>(Value)); }
    void SetAsFloat(Double Value) override { SetValueFloat(Value); }
    void SetAsBoolean(bool Value) override { SetValueFloat(Value ? 1.0 : 0.0); }
    // A raw value of any other kind than T raises.
    void SetValue(const TKivRawValue& Raw) override
    {
        const T* V = std::get_if<T>(&Raw);
        if (!V)
            RawError();
        FCalc.NewVal(*V);
    }
    // D is an accumulator of the same kind: its whole calculator and null flag are taken over.
    void SetData(TKivData* D) override
    {
        // Values of one kind meet on every record: the exact class is the quick test.
        auto* Source = D && typeid(*D) == typeid(Self) ? static_cast<Self*>(D) : dynamic_cast<Self*>(D);
        if (!Source)
            throw EConvertError("Cannot take a " + D->ClassName() + " into a " + ClassName());
        FCalc.Assign(*Source->Calc());
        FIsNull = Source->IsNull();
    }
    void Reset() override
    {
        TKivData::Reset();
        FCalc.Reset();
    }

protected:
    C FCalc;
    TKivTotalType FTotalType = ttValue;
};

class TKivFloat;
using TKivFloatAccumulator = TKivAccumulator<TKivFloat, TKivCalc, Double>;

class TKivFloat : public TKivFloatAccumulator {
    QOR_CLASS(TKivFloat, TKivFloatAccumulator)
public:
    TKivFloat();

    Double GetValueFloat() const override;
    // Takes X in.
    void SetValueFloat(Double X) override { FCalc.NewVal(X); }
};

} // namespace qor
