#pragma once
// Text helpers: encodings (UTF-8, UTF-16, Windows-1252), case mapping, comparison, trimming,
// 1-based positions and copies, replacing, quoting and identifiers.
//
// Strings are UTF-8. Positions and counts taken by Pos/Copy are in bytes and 1-based, the way the
// old library counted characters of its single-byte strings.

#include "platform/rtl/Types.h"

#include <initializer_list>
#include <string_view>

namespace qor {

// ---- Encodings ---------------------------------------------------------------------------------

// Invalid UTF-8 sequences (stray continuation bytes, truncated or overlong sequences, surrogates,
// code points above U+10FFFF) each become U+FFFD; never throws.
WideString Utf8ToUtf16(std::string_view S);
// Unpaired surrogates become U+FFFD.
String Utf16ToUtf8(std::u16string_view S);
// Windows-1252 bytes to UTF-8. The five unassigned bytes (0x81 0x8D 0x8F 0x90 0x9D) map to the
// C1 control characters of the same value, so every byte round-trips.
String AnsiToUtf8(std::string_view S);
// UTF-8 to Windows-1252; characters with no Windows-1252 byte become '?'.
String Utf8ToAnsi(std::string_view S);
// True when S is well-formed UTF-8.
bool IsValidUtf8(std::string_view S);
// Number of code points in S (invalid bytes count one each).
Integer Utf8Length(std::string_view S);

// ---- Case ---------------------------------------------------------------------------------------

// ASCII letters only; every other byte is left alone.
String UpperCase(std::string_view S);
String LowerCase(std::string_view S);
// Full Unicode case mapping.
String AnsiUpperCase(std::string_view S);
String AnsiLowerCase(std::string_view S);

// ---- Comparison ---------------------------------------------------------------------------------
// Results are < 0, 0 or > 0.

// Byte-wise, case-sensitive.
Integer CompareStr(std::string_view S1, std::string_view S2);
bool SameStr(std::string_view S1, std::string_view S2);
// ASCII letters compared ignoring case; other bytes by value.
Integer CompareText(std::string_view S1, std::string_view S2);
bool SameText(std::string_view S1, std::string_view S2);
// Unicode-aware, ignoring case (linguistic order of the C locale: by code point after case folding).
// Bytes that are not valid UTF-8 compare each as a character of its own, so that two different
// invalid strings never compare equal.
Integer AnsiCompareText(std::string_view S1, std::string_view S2);
bool AnsiSameText(std::string_view S1, std::string_view S2);
// A key that two strings share exactly when AnsiSameText calls them equal: for hashing names.
String AnsiSameTextKey(std::string_view S);
// Unicode-aware, case-sensitive.
Integer AnsiCompareStr(std::string_view S1, std::string_view S2);

// ---- Trimming -----------------------------------------------------------------------------------
// Removes spaces and control characters (every byte <= ' ').
String Trim(std::string_view S);
String TrimLeft(std::string_view S);
String TrimRight(std::string_view S);
// Removes only spaces and tabs at both ends (what line-oriented text files count as blanks);
// returns a view into S.
std::string_view TrimBlanks(std::string_view S);

// ---- Positions and pieces (1-based) -------------------------------------------------------------

// Position of the first occurrence of SubStr in S, 1-based; 0 when absent or SubStr is empty.
Integer Pos(std::string_view SubStr, std::string_view S);
// Like Pos, searching from byte Offset (1-based); 0 when Offset is out of range.
Integer PosEx(std::string_view SubStr, std::string_view S, Integer Offset = 1);
// Count bytes from Index (1-based). Index < 1 counts as 1; out-of-range parts are clipped.
String Copy(std::string_view S, Integer Index, Integer Count);
// Removes Count bytes from Index (1-based); out-of-range parts are clipped.
void Delete(String& S, Integer Index, Integer Count);
// Inserts Source before byte Index (1-based); Index beyond the end appends.
void Insert(std::string_view Source, String& S, Integer Index);
// Count copies of Ch.
String StringOfChar(char Ch, Integer Count);

// ---- Replacing ----------------------------------------------------------------------------------

enum TReplaceFlag : unsigned { rfReplaceAll = 1u, rfIgnoreCase = 2u };

class TReplaceFlags {
public:
    constexpr TReplaceFlags() = default;
    constexpr TReplaceFlags(TReplaceFlag Flag) : FBits(Flag) {}
    constexpr TReplaceFlags(std::initializer_list<TReplaceFlag> Flags)
    {
        for (TReplaceFlag f : Flags)
            FBits |= f;
    }
    constexpr bool Contains(TReplaceFlag Flag) const { return (FBits & Flag) != 0; }
    constexpr TReplaceFlags operator|(TReplaceFlags Other) const
    {
        TReplaceFlags r;
        r.FBits = FBits | Other.FBits;
        return r;
    }
    constexpr bool operator==(const TReplaceFlags&) const = default;

private:
    unsigned FBits = 0;
};

constexpr TReplaceFlags operator|(TReplaceFlag A, TReplaceFlag B)
{
    return TReplaceFlags(A) | TReplaceFlags(B);
}

// Replaces the first (or, with rfReplaceAll, every) occurrence of OldPattern. rfIgnoreCase
// matches ASCII letters ignoring case. An empty OldPattern changes nothing.
String StringReplace(std::string_view S, std::string_view OldPattern, std::string_view NewPattern,
                     TReplaceFlags Flags = {});

// ---- Quoting ------------------------------------------------------------------------------------

// 'text' with every ' doubled.
String QuotedStr(std::string_view S);
// Quote + S with every Quote doubled + Quote.
String AnsiQuotedStr(std::string_view S, char Quote);
// Reads a quoted string starting at S[Pos] (0-based, must be Quote), undoubling inner quotes.
// On return Pos is just past the closing quote (or at the end when it is missing). When S[Pos]
// is not Quote, returns an empty string and leaves Pos unchanged.
String AnsiExtractQuotedStr(std::string_view S, std::size_t& Pos, char Quote);
// When S begins with Quote, the quoted text undoubled (up to the closing quote); otherwise S.
String AnsiDequotedStr(std::string_view S, char Quote);

// ---- Identifiers --------------------------------------------------------------------------------

// A letter or '_' followed by letters, digits or '_' (ASCII). With AllowDots, dot-separated
// identifiers ("Form1.Button1") are accepted too.
bool IsValidIdent(std::string_view Ident, bool AllowDots = false);

} // namespace qor
