#pragma once
// Calculators: running value, sum, minimum, maximum and count of the numbers a total takes in,
// in floating point (TKivCalc) or exact currency (TKivCurrCalc).

#include "platform/rtl/Currency.h"
#include "platform/rtl/Object.h"

namespace qor {

class TKivCalc : public TObject {
    QOR_CLASS(TKivCalc, TObject)
public:
    TKivCalc() = default;

    Double Value() const { return FValue; }
    Double Sum() const { return FSum; }
    Double Min() const { return FMin; }
    Double Max() const { return FMax; }
    Integer Count() const { return FCount; }
    // 0 when nothing was taken in.
    Double Average() const { return FCount == 0 ? 0.0 : FSum / FCount; }

    void NewVal(Double V)
    {
        FValue = V;
        Update();
    }
    virtual void Update();
    void Reset();
    // Takes over every field of Source.
    void Assign(const TKivCalc& Source);

private:
    Double FValue = 0;
    Double FSum = 0;
    Double FMin = 0;
    Double FMax = 0;
    Integer FCount = 0;
};

class TKivCurrCalc : public TObject {
    QOR_CLASS(TKivCurrCalc, TObject)
public:
    TKivCurrCalc() = default;

    Currency Value() const { return FValue; }
    Currency Sum() const { return FSum; }
    Currency Min() const { return FMin; }
    Currency Max() const { return FMax; }
    Integer Count() const { return FCount; }
    // Rounded to a whole ten-thousandth, halves to even; 0 when nothing was taken in.
    Currency Average() const { return FCount == 0 ? Currency() : FSum / static_cast<Int64>(FCount); }

    void NewVal(Currency V)
    {
        FValue = V;
        Update();
    }
    // A sum leaving the currency range raises ECurrencyError.
    virtual void Update();
    void Reset();
    void Assign(const TKivCurrCalc& Source);

private:
    Currency FValue;
    Currency FSum;
    Currency FMin;
    Currency FMax;
    Integer FCount = 0;
};

} // namespace qor
