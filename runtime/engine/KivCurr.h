#pragma once
// TKivCurrency: an exact currency accumulator of a total, counting ten-thousandths, so sums of
// money never drift.

#include "runtime/engine/KivCalc.h"
#include "runtime/engine/KivData.h"

namespace qor {

class TKivCurrency : public TKivData {
    QOR_CLASS(TKivCurrency, TKivData)
public:
    TKivCurrency();

    TKivCurrCalc* Calc() { return &FCalc; }
    const TKivCurrCalc* Calc() const { return &FCalc; }
    TKivTotalType TotalType() const { return FTotalType; }
    void SetTotalType(TKivTotalType Value) { FTotalType = Value; }
    Double ValueFloat() const { return GetValueFloat(); }
    Currency ValueCurrency() const { return GetValueCurrency(); }

    // The count is the plain count here.
    virtual Double GetValueFloat() const;
    // Takes round(X × 10000) ten-thousandths in.
    virtual void SetValueFloat(Double X) { FCalc.NewVal(Currency(X)); }
    // The count is a currency amount of that many units.
    virtual Currency GetValueCurrency() const;
    virtual void SetValueCurrency(Currency C) { FCalc.NewVal(C); }

    String GetAsString() const override;
    Int64 GetAsInteger() const override;
    Double GetAsFloat() const override { return GetValueFloat(); }
    Currency GetAsCurrency() const override { return GetValueCurrency(); }
    bool GetAsBoolean() const override { return GetValueFloat() != 0; }
    TStream* GetAsStream() override;
    TStrings* GetAsStrings() override;
    void SetAsString(const String& Value) override;
    void SetAsInteger(Int64 Value) override { SetValueFloat(static_cast<Double>(Value)); }
    void SetAsFloat(Double Value) override { SetValueFloat(Value); }
    void SetAsCurrency(Currency Value) override { SetValueCurrency(Value); }
    void SetAsBoolean(bool Value) override { SetValueFloat(Value ? 1.0 : 0.0); }
    void SetValue(const TKivRawValue& Raw) override;
    void SetData(TKivData* D) override;
    void Reset() override;

private:
    TKivCurrCalc FCalc;
    TKivTotalType FTotalType = ttValue;
};

} // namespace qor
