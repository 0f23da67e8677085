#pragma once
// Calculators: running value, sum, minimum, maximum and count of the numbers a total takes in,
// in floating point (TKivCalc) or exact currency (TKivCurrCalc).

#include "platform/rtl/Currency.h"
#include "platform/rtl/Object.h"
#include "runtime/engine/KivData.h"

namespace qor {

// What both calculators keep; T is Double or Currency.
template <class T>
class TKivCalcOf : public TObject {
public:
    T Value() const { return FValue; }
    T Sum() const { return FSum; }
    T Min() const { return FMin; }
    T Max() const { return FMax; }
    Integer Count() const { return FCount; }

    void NewVal(T V)
    {
        FValue = V;
        Update();
    }
    // Adds Value in. A value that compares with nothing (NaN) becomes the minimum and maximum.
    virtual void Update()
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
    void Reset()
    {
        FValue = FSum = FMin = FMax = T();
        FCount = 0;
    }
    // Takes over every field of Source.
    void Assign(const TKivCalcOf& Source)
    {
        FValue = Source.FValue;
        FSum = Source.FSum;
        FMin = Source.FMin;
        FMax = Source.FMax;
        FCount = Source.FCount;
    }

protected:
    T FValue{};
    T FSum{};
    T FMin{};
    T FMax{};
    Integer FCount = 0;
};

class TKivCalc final : public TKivCalcOf<Double> {
    QOR_CLASS(TKivCalc, TObject)
public:
    TKivCalc() = default;
    // 0 when nothing was taken in.
    Double Average() const { return FCount == 0 ? 0.0 : FSum / FCount; }
};

// A sum leaving the currency range raises ECurrencyError.
class TKivCurrCalc final : public TKivCalcOf<Currency> {
    QOR_CLASS(TKivCurrCalc, TObject)
public:
    TKivCurrCalc() = default;
    // Rounded to a whole ten-thousandth, halves to even; 0 when nothing was taken in.
    Currency Average() const { return FCount == 0 ? Currency() : FSum / static_cast<Int64>(FCount); }
};

// What a total type reads from a calculator; Count is the count in the result's terms.
template <class C, class T>
T KivPickTotal(const C& Calc, TKivTotalType TotalType, T Count)
{
    switch (TotalType) {
    case ttSum:
        return Calc.Sum();
    case ttCount:
        return Count;
    case ttMax:
        return Calc.Max();
    case ttMin:
        return Calc.Min();
    case ttAverage:
        return Calc.Average();
    case ttValue:
        return Calc.Value();
    }
    return T();
}

} // namespace qor
