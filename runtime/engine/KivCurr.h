#pragma once
// TKivCurrency: an exact currency accumulator of a total, counting ten-thousandths, so sums of
// money never drift.

#include "runtime/engine/KivFloat.h"

namespace qor {

class TKivCurrency;
using TKivCurrencyAccumulator = TKivAccumulator<TKivCurrency, TKivCurrCalc, Currency>;

class TKivCurrency : public TKivCurrencyAccumulator {
    QOR_CLASS(TKivCurrency, TKivCurrencyAccumulator)
public:
    TKivCurrency();

    Currency ValueCurrency() const { return GetValueCurrency(); }

    // The count is the plain count here.
    Double GetValueFloat() const override;
    // Takes round(X × 10000) ten-thousandths in.
    void SetValueFloat(Double X) override { FCalc.NewVal(Currency(X)); }
    // The count is a currency amount of that many units.
    virtual Currency GetValueCurrency() const;
    virtual void SetValueCurrency(Currency C) { FCalc.NewVal(C); }

    Currency GetAsCurrency() const override { return GetValueCurrency(); }
    void SetAsCurrency(Currency Value) override { SetValueCurrency(Value); }
};

} // namespace qor
