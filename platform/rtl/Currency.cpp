#include "platform/rtl/Currency.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qor {

namespace {

using Int128 = __int128;

constexpr Int128 Pow10(int n)
{
    Int128 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

// Num / Den rounded to the nearest integer, halves to even. Den > 0.
Int128 DivRoundEven(Int128 Num, Int128 Den)
{
    Int128 q = Num / Den;
    Int128 r = Num % Den;
    if (r < 0)
        r = -r;
    const Int128 twice = 2 * r;
    if (twice > Den || (twice == Den && (q % 2 != 0)))
        q += Num < 0 ? -1 : 1;
    return q;
}

Int64 Checked(Int128 Value)
{
    if (Value > std::numeric_limits<Int64>::max() || Value < std::numeric_limits<Int64>::min())
        throw ECurrencyError("Currency value out of range");
    return static_cast<Int64>(Value);
}

} // namespace

Currency::Currency(Double Value)
{
    if (!std::isfinite(Value))
        throw ECurrencyError("Invalid currency value");
    if (Value == 0) {
        FValue = 0;
        return;
    }
    // Quick way for values that are whole ten-thousandths once scaled (most amounts): below 10^15
    // the scaled Double is then the 15-digit decimal value, so the result is the same.
    const Double Scaled = Value * Scale;
    if (std::fabs(Scaled) < 1e15 && std::nearbyint(Scaled) == Scaled) {
        FValue = static_cast<Int64>(Scaled);
        return;
    }
    // The decimal expansion to 15 significant digits: Value = Digits * 10^(Exp - 14).
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::scientific, 14);
    Int128 digits = 0;
    const char* p = buf;
    for (; p < res.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits = digits * 10 + (*p - '0');
    int exp = 0;
    std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), res.ptr, exp);
    // Ten-thousandths = Digits * 10^(Exp - 10).
    const int shift = exp - 10;
    Int128 scaled;
    if (shift >= 0) {
        if (shift > 10)
            throw ECurrencyError("Currency value out of range");
        scaled = digits * Pow10(shift);
    } else if (-shift > 30) {
        scaled = 0;
    } else {
        scaled = DivRoundEven(digits, Pow10(-shift));
    }
    FValue = Checked(Value < 0 ? -scaled : scaled);
}

Currency Currency::FromInt64(Int64 Units) { return FromRaw(Checked(static_cast<Int128>(Units) * Scale)); }

Currency Currency::operator-() const { return FromRaw(Checked(-static_cast<Int128>(FValue))); }

Currency Currency::operator+(Currency Other) const
{
    return FromRaw(Checked(static_cast<Int128>(FValue) + Other.FValue));
}

Currency Currency::operator-(Currency Other) const
{
    return FromRaw(Checked(static_cast<Int128>(FValue) - Other.FValue));
}

Currency Currency::operator*(Currency Other) const
{
    return FromRaw(Checked(DivRoundEven(static_cast<Int128>(FValue) * Other.FValue, Scale)));
}

Currency Currency::operator/(Currency Other) const
{
    if (Other.FValue == 0)
        throw ECurrencyError("Division by zero");
    Int128 num = static_cast<Int128>(FValue) * Scale;
    Int128 den = Other.FValue;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return FromRaw(Checked(DivRoundEven(num, den)));
}

Currency Currency::operator*(Int64 Factor) const
{
    return FromRaw(Checked(static_cast<Int128>(FValue) * Factor));
}

Currency Currency::operator/(Int64 Divisor) const
{
    if (Divisor == 0)
        throw ECurrencyError("Division by zero");
    Int128 num = FValue;
    Int128 den = Divisor;
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return FromRaw(Checked(DivRoundEven(num, den)));
}

} // namespace qor
