#pragma once
// UTF-16 surrogate pairs, in one place: testing units, reading one code point from a run of units
// (an unpaired surrogate reads as U+FFFD) and appending a code point as one or two units.

#include <cstddef>
#include <string>

namespace qor {

constexpr char32_t ReplacementChar = 0xFFFD;

constexpr bool IsHighSurrogate(char32_t C) { return C >= 0xD800 && C <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t C) { return C >= 0xDC00 && C <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t C) { return C >= 0xD800 && C <= 0xDFFF; }

// The code point of a high and a low surrogate.
constexpr char32_t CombineSurrogates(char32_t High, char32_t Low)
{
    return 0x10000 + ((High - 0xD800) << 10) + (Low - 0xDC00);
}

// Reads the code point starting at Units[I] (of Count units) and moves I past it. A high surrogate
// followed by a low one reads as their pair; any other surrogate reads as U+FFFD.
template <typename Unit>
constexpr char32_t NextCodePoint(const Unit* Units, std::size_t Count, std::size_t& I)
{
    const char32_t C = static_cast<char16_t>(Units[I++]);
    if (IsHighSurrogate(C) && I < Count && IsLowSurrogate(static_cast<char16_t>(Units[I])))
        return CombineSurrogates(C, static_cast<char16_t>(Units[I++]));
    return IsSurrogate(C) ? ReplacementChar : C;
}

// Number of UTF-16 units C takes (1 or 2).
constexpr std::size_t Utf16Units(char32_t C) { return C >= 0x10000 ? 2 : 1; }

// Appends C as UTF-16 (a pair above U+FFFF).
template <typename Str>
void AppendUtf16(Str& Out, char32_t C)
{
    using Unit = typename Str::value_type;
    if (C >= 0x10000) {
        C -= 0x10000;
        Out.push_back(static_cast<Unit>(0xD800 + (C >> 10)));
        Out.push_back(static_cast<Unit>(0xDC00 + (C & 0x3FF)));
    } else {
        Out.push_back(static_cast<Unit>(C));
    }
}

} // namespace qor
