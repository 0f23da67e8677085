#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Utf16.h"

#include <QString>

#include <algorithm>
#include <cstring>

namespace qor {

namespace {

constexpr char32_t Replacement = 0xFFFD;

// Decodes one code point at p, advancing p. An invalid sequence yields U+FFFD and consumes its
// longest valid prefix (at least one byte), so a truncated sequence costs one replacement.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end)
{
    const unsigned char b0 = *p++;
    if (b0 < 0x80)
        return b0;
    int need;
    char32_t cp;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0; // no overlong forms
        else if (b0 == 0xED)
            hi = 0x9F; // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F; // nothing above U+10FFFF
    } else {
        return Replacement;
    }
    for (int i = 0; i < need; ++i) {
        if (p == end)
            return Replacement;
        const unsigned char b = *p;
        const unsigned char l = i == 0 ? lo : 0x80;
        const unsigned char h = i == 0 ? hi : 0xBF;
        if (b < l || b > h)
            return Replacement;
        cp = (cp << 6) | (b & 0x3F);
        ++p;
    }
    return cp;
}

void AppendUtf8(String& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Windows-1252 bytes 0x80..0x9F; the unassigned ones keep their C1 value.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

inline unsigned char AsciiLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
inline unsigned char AsciiUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

QString ToQ(std::string_view S) { return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())); }
String FromQ(const QString& S)
{
    const QByteArray b = S.toUtf8();
    return String(b.constData(), static_cast<std::size_t>(b.size()));
}

bool IsAscii(std::string_view S)
{
    return std::all_of(S.begin(), S.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

inline Integer Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

std::size_t FindIgnoreCase(std::string_view S, std::string_view Sub, std::size_t From)
{
    if (Sub.size() > S.size())
        return std::string_view::npos;
    for (std::size_t i = From; i + Sub.size() <= S.size(); ++i) {
        std::size_t k = 0;
        while (k < Sub.size() && AsciiLower(static_cast<unsigned char>(S[i + k])) ==
                                     AsciiLower(static_cast<unsigned char>(Sub[k])))
            ++k;
        if (k == Sub.size())
            return i;
    }
    return std::string_view::npos;
}

} // namespace

// ---- Encodings ---------------------------------------------------------------------------------

WideString Utf8ToUtf16(std::string_view S)
{
    WideString out;
    out.reserve(S.size());
    auto p = reinterpret_cast<const unsigned char*>(S.data());
    const auto end = p + S.size();
    while (p < end) {
        AppendUtf16(out, DecodeUtf8(p, end));
    }
    return out;
}

String Utf16ToUtf8(std::u16string_view S)
{
    String out;
    out.reserve(S.size());
    for (std::size_t i = 0; i < S.size();)
        AppendUtf8(out, NextCodePoint(S.data(), S.size(), i));
    return out;
}

String AnsiToUtf8(std::string_view S)
{
    String out;
    out.reserve(S.size());
    for (unsigned char c : S) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else if (c < 0xA0)
            AppendUtf8(out, Cp1252High[c - 0x80]);
        else
            AppendUtf8(out, c);
    }
    return out;
}

String Utf8ToAnsi(std::string_view S)
{
    String out;
    out.reserve(S.size());
    auto p = reinterpret_cast<const unsigned char*>(S.data());
    const auto end = p + S.size();
    while (p < end) {
        const char32_t cp = DecodeUtf8(p, end);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i)
            if (Cp1252High[i] == cp) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        out += mapped;
    }
    return out;
}

bool IsValidUtf8(std::string_view S)
{
    auto p = reinterpret_cast<const unsigned char*>(S.data());
    const auto end = p + S.size();
    while (p < end) {
        const unsigned char* start = p;
        if (DecodeUtf8(p, end) == Replacement) {
            // A genuine U+FFFD is three bytes EF BF BD.
            if (p - start != 3 || start[0] != 0xEF || start[1] != 0xBF || start[2] != 0xBD)
                return false;
        }
    }
    return true;
}

Integer Utf8Length(std::string_view S)
{
    Integer n = 0;
    auto p = reinterpret_cast<const unsigned char*>(S.data());
    const auto end = p + S.size();
    while (p < end) {
        DecodeUtf8(p, end);
        ++n;
    }
    return n;
}

// ---- Case ---------------------------------------------------------------------------------------

String UpperCase(std::string_view S)
{
    String out(S);
    for (char& c : out)
        c = static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
    return out;
}

String LowerCase(std::string_view S)
{
    String out(S);
    for (char& c : out)
        c = static_cast<char>(AsciiLower(static_cast<unsigned char>(c)));
    return out;
}

String AnsiUpperCase(std::string_view S)
{
    if (IsAscii(S))
        return UpperCase(S);
    return FromQ(ToQ(S).toUpper());
}

String AnsiLowerCase(std::string_view S)
{
    if (IsAscii(S))
        return LowerCase(S);
    return FromQ(ToQ(S).toLower());
}

// ---- Comparison ---------------------------------------------------------------------------------

Integer CompareStr(std::string_view S1, std::string_view S2) { return Sign(S1.compare(S2)); }

bool SameStr(std::string_view S1, std::string_view S2) { return S1 == S2; }

Integer CompareText(std::string_view S1, std::string_view S2)
{
    const std::size_t n = std::min(S1.size(), S2.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int a = AsciiLower(static_cast<unsigned char>(S1[i]));
        const int b = AsciiLower(static_cast<unsigned char>(S2[i]));
        if (a != b)
            return a < b ? -1 : 1;
    }
    return S1.size() == S2.size() ? 0 : (S1.size() < S2.size() ? -1 : 1);
}

bool SameText(std::string_view S1, std::string_view S2)
{
    return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

namespace {

// UTF-16 for comparing text: each byte of an invalid sequence becomes its own unit U+DC80..U+DCFF
// (which no valid text holds), so that different invalid text never compares equal, and all
// text still has one consistent order.
QString ToQForCompare(std::string_view S)
{
    if (IsValidUtf8(S))
        return ToQ(S);
    std::u16string Out;
    Out.reserve(S.size());
    auto p = reinterpret_cast<const unsigned char*>(S.data());
    const auto end = p + S.size();
    while (p < end) {
        const unsigned char* Start = p;
        const char32_t C = DecodeUtf8(p, end);
        const bool Literal = p - Start == 3 && Start[0] == 0xEF && Start[1] == 0xBF && Start[2] == 0xBD;
        if (C == Replacement && !Literal)
            for (const unsigned char* b = Start; b < p; ++b)
                Out.push_back(static_cast<char16_t>(0xDC00 + *b));
        else
            AppendUtf16(Out, C);
    }
    return QString::fromUtf16(Out.data(), static_cast<qsizetype>(Out.size()));
}

} // namespace

Integer AnsiCompareText(std::string_view S1, std::string_view S2)
{
    // Case folding of ASCII text is ASCII lower-casing: the same order without converting.
    if (IsAscii(S1) && IsAscii(S2))
        return CompareText(S1, S2);
    return Sign(QString::compare(ToQForCompare(S1), ToQForCompare(S2), Qt::CaseInsensitive));
}

bool AnsiSameText(std::string_view S1, std::string_view S2) { return AnsiCompareText(S1, S2) == 0; }

String AnsiSameTextKey(std::string_view S)
{
    // The case-folded UTF-16 units, two bytes each: ASCII text folds without Qt to the same units.
    String Key;
    Key.reserve(2 * S.size());
    if (IsAscii(S)) {
        for (char c : S) {
            Key.push_back(static_cast<char>(AsciiLower(static_cast<unsigned char>(c))));
            Key.push_back('\0');
        }
        return Key;
    }
    // Folded code point by code point, as QString::compare does; the units standing for invalid
    // bytes are kept (QString::toCaseFolded would replace them).
    const QString Q = ToQForCompare(S);
    std::u16string Folded;
    for (qsizetype i = 0; i < Q.size(); ++i) {
        char32_t C = Q[i].unicode();
        if (QChar::isHighSurrogate(C) && i + 1 < Q.size() && Q[i + 1].isLowSurrogate()) {
            C = QChar::surrogateToUcs4(Q[i].unicode(), Q[i + 1].unicode());
            ++i;
        }
        AppendUtf16(Folded, QChar::isSurrogate(C) ? C : QChar::toCaseFolded(C));
    }
    for (char16_t c : Folded) {
        Key.push_back(static_cast<char>(c & 0xFF));
        Key.push_back(static_cast<char>(c >> 8));
    }
    return Key;
}

Integer AnsiCompareStr(std::string_view S1, std::string_view S2)
{
    // UTF-8 byte order is code point order.
    return CompareStr(S1, S2);
}

// ---- Trimming -----------------------------------------------------------------------------------

String Trim(std::string_view S)
{
    std::size_t b = 0, e = S.size();
    while (b < e && static_cast<unsigned char>(S[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(S[e - 1]) <= ' ')
        --e;
    return String(S.substr(b, e - b));
}

String TrimLeft(std::string_view S)
{
    std::size_t b = 0;
    while (b < S.size() && static_cast<unsigned char>(S[b]) <= ' ')
        ++b;
    return String(S.substr(b));
}

String TrimRight(std::string_view S)
{
    std::size_t e = S.size();
    while (e > 0 && static_cast<unsigned char>(S[e - 1]) <= ' ')
        --e;
    return String(S.substr(0, e));
}

std::string_view TrimBlanks(std::string_view S)
{
    while (!S.empty() && (S.front() == ' ' || S.front() == '\t'))
        S.remove_prefix(1);
    while (!S.empty() && (S.back() == ' ' || S.back() == '\t'))
        S.remove_suffix(1);
    return S;
}

// ---- Positions and pieces -----------------------------------------------------------------------

Integer Pos(std::string_view SubStr, std::string_view S) { return PosEx(SubStr, S, 1); }

Integer PosEx(std::string_view SubStr, std::string_view S, Integer Offset)
{
    if (SubStr.empty() || Offset < 1 || static_cast<std::size_t>(Offset) > S.size())
        return 0;
    const std::size_t at = S.find(SubStr, static_cast<std::size_t>(Offset - 1));
    return at == std::string_view::npos ? 0 : static_cast<Integer>(at + 1);
}

String Copy(std::string_view S, Integer Index, Integer Count)
{
    Int64 start = Index < 1 ? 0 : static_cast<Int64>(Index) - 1;
    if (Count <= 0 || start >= static_cast<Int64>(S.size()))
        return String();
    return String(S.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(Count)));
}

void Delete(String& S, Integer Index, Integer Count)
{
    if (Index < 1 || Count <= 0 || static_cast<std::size_t>(Index) > S.size())
        return;
    S.erase(static_cast<std::size_t>(Index - 1), static_cast<std::size_t>(Count));
}

void Insert(std::string_view Source, String& S, Integer Index)
{
    std::size_t at = Index < 1 ? 0 : static_cast<std::size_t>(Index - 1);
    if (at > S.size())
        at = S.size();
    S.insert(at, Source);
}

String StringOfChar(char Ch, Integer Count)
{
    return Count > 0 ? String(static_cast<std::size_t>(Count), Ch) : String();
}

// ---- Replacing ----------------------------------------------------------------------------------

String StringReplace(std::string_view S, std::string_view OldPattern, std::string_view NewPattern,
                     TReplaceFlags Flags)
{
    if (OldPattern.empty())
        return String(S);
    const bool ignoreCase = Flags.Contains(rfIgnoreCase);
    const bool all = Flags.Contains(rfReplaceAll);
    String out;
    out.reserve(S.size());
    std::size_t from = 0;
    while (from <= S.size()) {
        const std::size_t at = ignoreCase ? FindIgnoreCase(S, OldPattern, from) : S.find(OldPattern, from);
        if (at == std::string_view::npos)
            break;
        out.append(S.substr(from, at - from));
        out.append(NewPattern);
        from = at + OldPattern.size();
        if (!all)
            break;
    }
    if (from < S.size())
        out.append(S.substr(from));
    return out;
}

// ---- Quoting ------------------------------------------------------------------------------------

String QuotedStr(std::string_view S) { return AnsiQuotedStr(S, '\''); }

String AnsiQuotedStr(std::string_view S, char Quote)
{
    String out;
    out.reserve(S.size() + 2);
    out += Quote;
    for (char c : S) {
        out += c;
        if (c == Quote)
            out += Quote;
    }
    out += Quote;
    return out;
}

String AnsiExtractQuotedStr(std::string_view S, std::size_t& Pos, char Quote)
{
    if (Pos >= S.size() || S[Pos] != Quote)
        return String();
    String out;
    std::size_t i = Pos + 1;
    while (i < S.size()) {
        if (S[i] == Quote) {
            if (i + 1 < S.size() && S[i + 1] == Quote) {
                out += Quote;
                i += 2;
                continue;
            }
            ++i; // closing quote
            Pos = i;
            return out;
        }
        out += S[i++];
    }
    Pos = i;
    return out;
}

String AnsiDequotedStr(std::string_view S, char Quote)
{
    if (S.empty() || S[0] != Quote)
        return String(S);
    std::size_t pos = 0;
    return AnsiExtractQuotedStr(S, pos, Quote);
}

// ---- Identifiers --------------------------------------------------------------------------------

bool IsValidIdent(std::string_view Ident, bool AllowDots)
{
    auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    auto isAlnum = [&](char c) { return isAlpha(c) || (c >= '0' && c <= '9'); };
    if (Ident.empty())
        return false;
    bool startOfPart = true;
    for (char c : Ident) {
        if (startOfPart) {
            if (!isAlpha(c))
                return false;
            startOfPart = false;
        } else if (c == '.' && AllowDots) {
            startOfPart = true;
        } else if (!isAlnum(c)) {
            return false;
        }
    }
    return !startOfPart;
}

} // namespace qor
