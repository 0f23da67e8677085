#pragma once
// Fixed-point money: a 64-bit count of ten-thousandths (four decimal places).

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <compare>

namespace qor {

// Raised when a currency value would leave the 64-bit range or is divided by zero.
QOR_DECLARE_EXCEPTION(ECurrencyError, Exception);

class Currency {
public:
    static constexpr Int64 Scale = 10000;

    constexpr Currency() = default;
    // Whole units: Currency(5) is 5.0000.
    constexpr Currency(Integer Units) : FValue(static_cast<Int64>(Units) * Scale) {}
    // From a Double, to the nearest ten-thousandth, halves to even (the decimal value of the
    // Double to 15 significant digits is what is rounded, so 0.00005 gives 0.0000 and 0.00015
    // 0.0002). Raises ECurrencyError for NaN, infinities or values out of range.
    explicit Currency(Double Value);
    // Whole units from a 64-bit integer; raises ECurrencyError when out of range.
    static Currency FromInt64(Int64 Units);
    // From the raw count of ten-thousandths.
    static constexpr Currency FromRaw(Int64 Raw)
    {
        Currency c;
        c.FValue = Raw;
        return c;
    }

    constexpr Int64 Raw() const { return FValue; }
    Double ToDouble() const { return static_cast<Double>(FValue) / Scale; }
    explicit operator Double() const { return ToDouble(); }

    // Arithmetic raises ECurrencyError on overflow and on division by zero. Products and
    // quotients are rounded to the nearest ten-thousandth, halves to even.
    Currency operator-() const;
    Currency operator+(Currency Other) const;
    Currency operator-(Currency Other) const;
    Currency operator*(Currency Other) const;
    Currency operator/(Currency Other) const;
    Currency operator*(Int64 Factor) const;
    Currency operator/(Int64 Divisor) const;
    Currency& operator+=(Currency Other) { return *this = *this + Other; }
    Currency& operator-=(Currency Other) { return *this = *this - Other; }
    Currency& operator*=(Currency Other) { return *this = *this * Other; }
    Currency& operator/=(Currency Other) { return *this = *this / Other; }

    constexpr auto operator<=>(const Currency&) const = default;
    constexpr bool operator==(const Currency&) const = default;

private:
    Int64 FValue = 0;
};

inline Currency operator*(Int64 Factor, Currency Value) { return Value * Factor; }

} // namespace qor
