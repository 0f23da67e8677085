#pragma once
// TKivFloat: a floating-point accumulator of a total; its value is what TotalType picks from its
// calculator (sum, count, maximum, minimum, average or last value).

#include "runtime/engine/KivCalc.h"
#include "runtime/engine/KivData.h"

namespace qor {

class TKivFloat : public TKivData {
    QOR_CLASS(TKivFloat, TKivData)
public:
    TKivFloat();

    TKivCalc* Calc() { return &FCalc; }
    const TKivCalc* Calc() const { return &FCalc; }
    TKivTotalType TotalType() const { return FTotalType; }
    void SetTotalType(TKivTotalType Value) { FTotalType = Value; }
    Double ValueFloat() const { return GetValueFloat(); }

    virtual Double GetValueFloat() const;
    // Takes X in.
    virtual void SetValueFloat(Double X) { FCalc.NewVal(X); }

    String GetAsString() const override;
    // Truncated toward zero.
    Int64 GetAsInteger() const override;
    Double GetAsFloat() const override { return GetValueFloat(); }
    bool GetAsBoolean() const override { return GetValueFloat() != 0; }
    TStream* GetAsStream() override;
    TStrings* GetAsStrings() override;
    void SetAsString(const String& Value) override;
    void SetAsInteger(Int64 Value) override { SetValueFloat(static_cast<Double>(Value)); }
    void SetAsFloat(Double Value) override { SetValueFloat(Value); }
    void SetAsBoolean(bool Value) override { SetValueFloat(Value ? 1.0 : 0.0); }
    void SetValue(const TKivRawValue& Raw) override;
    // D is an accumulator of the same kind: its whole calculator and null flag are taken over.
    void SetData(TKivData* D) override;
    void Reset() override;

private:
    TKivCalc FCalc;
    TKivTotalType FTotalType = ttValue;
};

// A Double truncated toward zero; out of the 64-bit range raises EConvertError.
Int64 KivTruncToInt64(Double Value);

} // namespace qor
