#pragma once
// Basic types and the arithmetic every part of the system shares.

#include <cstdint>
#include <string>

namespace qor {

using String = std::string;      // UTF-8 text
using WideString = std::u16string; // UTF-16, only at boundaries that need it

using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using Word = std::uint16_t;
using SmallInt = std::int16_t;
using ShortInt = std::int8_t;
using Byte = std::uint8_t;
using LongWord = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using Single = float;
using Double = double;
using Extended = double;
using WideChar = char16_t;

// Rounds to the nearest integer; halves go to the even neighbour (Round(2.5) = 2, Round(3.5) = 4).
Int64 Round(Double X);
// Drops the fraction, toward zero.
Int64 Trunc(Double X);
// The fraction, with the sign of X: Frac(-1.25) = -0.25.
Double Frac(Double X);
// Number * Numerator / Denominator with a 64-bit intermediate, rounded half away from zero;
// -1 when Denominator is zero or the result does not fit in 32 bits.
Integer MulDiv(Integer Number, Integer Numerator, Integer Denominator);

} // namespace qor
