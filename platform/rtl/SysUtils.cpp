#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>
#include <limits>

namespace qor {

// ---- Format settings ----------------------------------------------------------------------------

TFormatSettings DefaultFormatSettings() { return TFormatSettings(); }

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

// ---- Integers -----------------------------------------------------------------------------------

String IntToStr(Int64 Value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value);
    return String(buf, r.ptr);
}

String UIntToStr(UInt64 Value)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, Value);
    return String(buf, r.ptr);
}

String IntToHexBits(UInt64 Value, Integer Digits)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    char buf[16];
    int n = 0;
    do {
        buf[n++] = Hex[Value & 0xF];
        Value >>= 4;
    } while (Value != 0);
    String out;
    if (Digits > n)
        out.assign(static_cast<std::size_t>(std::min(Digits, 64) - n), '0');
    while (n > 0)
        out += buf[--n];
    return out;
}

namespace {

[[noreturn]] void RaiseInvalidInteger(std::string_view S)
{
    throw EConvertError("'" + String(S) + "' is not a valid integer value");
}

// Leading blanks, a sign, then decimal digits or "$"/"0x" and hex digits. Nothing may follow.
template <typename T>
bool ParseInteger(std::string_view S, T& Value)
{
    std::size_t i = 0;
    while (i < S.size() && (S[i] == ' ' || S[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) {
        negative = S[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < S.size() && S[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= S.size())
        return false;
    UInt64 magnitude = 0;
    const auto first = S.data() + i;
    const auto last = S.data() + S.size();
    const auto r = std::from_chars(first, last, magnitude, base);
    if (r.ec != std::errc() || r.ptr != last)
        return false;
    using Limits = std::numeric_limits<T>;
    if (base == 16 && !negative) {
        // Hex text may spell out the two's complement of a negative value ($FFFFFFFF = -1).
        using U = std::make_unsigned_t<T>;
        if (magnitude > std::numeric_limits<U>::max())
            return false;
        Value = static_cast<T>(static_cast<U>(magnitude));
        return true;
    }
    if (negative) {
        if (magnitude > static_cast<UInt64>(Limits::max()) + 1)
            return false;
        Value = static_cast<T>(0 - magnitude);
    } else {
        if (magnitude > static_cast<UInt64>(Limits::max()))
            return false;
        Value = static_cast<T>(magnitude);
    }
    return true;
}

} // namespace

bool TryStrToInt(std::string_view S, Integer& Value) { return ParseInteger(S, Value); }
bool TryStrToInt64(std::string_view S, Int64& Value) { return ParseInteger(S, Value); }

Integer StrToInt(std::string_view S)
{
    Integer v;
    if (!ParseInteger(S, v))
        RaiseInvalidInteger(S);
    return v;
}

Int64 StrToInt64(std::string_view S)
{
    Int64 v;
    if (!ParseInteger(S, v))
        RaiseInvalidInteger(S);
    return v;
}

Integer StrToIntDef(std::string_view S, Integer Default)
{
    Integer v;
    return ParseInteger(S, v) ? v : Default;
}

Int64 StrToInt64Def(std::string_view S, Int64 Default)
{
    Int64 v;
    return ParseInteger(S, v) ? v : Default;
}

// ---- Decimal expansion --------------------------------------------------------------------------
//
// Every number is formatted from a decimal digit string: Value = 0.D1 D2 ... Dn * 10^Exponent,
// without trailing zeros (no digits at all for zero). Doubles contribute their 15 significant
// digits (more only when more precision is asked for), which hides binary noise: 1.005 is
// 1.00500000000000, so rounding it to two decimals gives 1.01. Rounding of that digit string is
// decimal, halves away from zero.

namespace {

struct TDecimal {
    bool Negative = false;
    int Exponent = 0;
    int Count = 0;
    char Digits[40] = {};
};

enum class TSpecial { None, NaN, PosInf, NegInf };

TSpecial SpecialOf(double V)
{
    if (std::isnan(V))
        return TSpecial::NaN;
    if (std::isinf(V))
        return V > 0 ? TSpecial::PosInf : TSpecial::NegInf;
    return TSpecial::None;
}

const char* SpecialText(TSpecial S)
{
    switch (S) {
    case TSpecial::NaN: return "NAN";
    case TSpecial::PosInf: return "INF";
    case TSpecial::NegInf: return "-INF";
    default: return "";
    }
}

void TrimZeros(TDecimal& D)
{
    while (D.Count > 0 && D.Digits[D.Count - 1] == '0')
        --D.Count;
    if (D.Count == 0)
        D.Exponent = 0;
}

// A normal double that is the nearest to c / 10^m for a whole c of at most Significant (<= 15)
// digits: that decimal is its correctly rounded one, for it lies within half a unit of the double's
// last bit, closer than half a unit of the 15th digit. Answers false for any other.
bool ShortDecimal(double A, int Significant, TDecimal& D)
{
    if (Significant > 15 || !(A >= std::numeric_limits<double>::min()))
        return false;
    double Scale = 1;
    for (int m = 0; m <= 8; ++m, Scale *= 10) {
        const double S = A * Scale;
        if (!(S < 1e15))
            return false;
        // nearbyint(S): 0 <= S < 2^52, where adding 2^52 leaves no fraction, rounded the same way
        const double C = (S + 0x1p52) - 0x1p52;
        // C / Scale can be A only when C is within two units of S's last binary place (of A x Scale
        // and of its rounding): a scale further off is passed over without the division.
        if (std::fabs(S - C) > S * 0x1p-40 || C / Scale != A)
            continue;
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<Int64>(C));
        const int n = static_cast<int>(r.ptr - buf);
        int Kept = n;
        while (Kept > 0 && buf[Kept - 1] == '0')
            --Kept;
        if (Kept > Significant)
            return false;
        std::memcpy(D.Digits, buf, static_cast<std::size_t>(Kept));
        D.Count = Kept;
        D.Exponent = n - m;
        return true;
    }
    return false;
}

// Significant: 1..17 digits of the double's value, correctly rounded from its binary value.
void DecimalFromDouble(double V, int Significant, TDecimal& D)
{
    D = TDecimal();
    D.Negative = std::signbit(V);
    if (V == 0)
        return;
    Significant = std::clamp(Significant, 1, 17);
    // Amounts, counts and the like are quick.
    if (ShortDecimal(std::fabs(V), Significant, D))
        return;
    char buf[48];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(V), std::chars_format::scientific, Significant - 1);
    const char* p = buf;
    for (; p < r.ptr && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            D.Digits[D.Count++] = *p;
    int exp = 0;
    if (p < r.ptr)
        std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), r.ptr, exp);
    D.Exponent = exp + 1;
    TrimZeros(D);
}

void DecimalFromCurrency(Currency C, TDecimal& D)
{
    D = TDecimal();
    Int64 raw = C.Raw();
    D.Negative = raw < 0;
    UInt64 mag = raw < 0 ? 0 - static_cast<UInt64>(raw) : static_cast<UInt64>(raw);
    if (mag == 0)
        return;
    char buf[24] = {};
    const auto r = std::to_chars(buf, buf + sizeof buf, mag);
    const int n = static_cast<int>(r.ptr - buf);
    std::memcpy(D.Digits, buf, static_cast<std::size_t>(n));
    D.Count = n;
    D.Exponent = n - 4;
    TrimZeros(D);
}

// Keeps the first Keep digits, rounding half away from zero on the next one.
void RoundAt(TDecimal& D, int Keep)
{
    if (Keep >= D.Count)
        return;
    if (Keep < 0) {
        D.Count = 0;
        D.Exponent = 0;
        return;
    }
    const bool up = D.Digits[Keep] >= '5';
    D.Count = Keep;
    if (up) {
        int i = Keep - 1;
        while (i >= 0 && D.Digits[i] == '9')
            --i;
        if (i < 0) {
            // 999.. rounds up to 1000..
            D.Digits[0] = '1';
            D.Count = 1;
            ++D.Exponent;
            return;
        }
        ++D.Digits[i];
        D.Count = i + 1;
    }
    TrimZeros(D);
}

void RoundToDecimals(TDecimal& D, int Decimals) { RoundAt(D, D.Exponent + Decimals); }

inline int DigitAt(const TDecimal& D, int Index) { return Index >= 0 && Index < D.Count ? D.Digits[Index] : '0'; }

// The integer digits ("" for none), optionally grouped in threes.
void AppendIntegerPart(String& Out, const TDecimal& D, char Thousands, bool Group)
{
    if (D.Exponent <= 0 || D.Count == 0) {
        Out += '0';
        return;
    }
    for (int i = 0; i < D.Exponent; ++i) {
        Out += static_cast<char>(DigitAt(D, i));
        const int left = D.Exponent - 1 - i;
        if (Group && left > 0 && left % 3 == 0 && Thousands != '\0')
            Out += Thousands;
    }
}

void AppendFractionPart(String& Out, const TDecimal& D, int Decimals, char DecimalSep)
{
    if (Decimals <= 0)
        return;
    Out += DecimalSep;
    for (int i = 0; i < Decimals; ++i)
        Out += static_cast<char>(DigitAt(D, D.Exponent + i));
}

void AppendExponent(String& Out, int Exp, bool AlwaysSign, int MinDigits)
{
    if (Exp < 0)
        Out += '-';
    else if (AlwaysSign)
        Out += '+';
    char buf[12];
    const auto r = std::to_chars(buf, buf + sizeof buf, Exp < 0 ? -Exp : Exp);
    const int n = static_cast<int>(r.ptr - buf);
    for (int i = n; i < MinDigits; ++i)
        Out += '0';
    Out.append(buf, r.ptr);
}

// General form of a decimal already rounded to Precision significant digits.
void AppendGeneral(String& Out, const TDecimal& D, int Precision, int ExpDigits, char DecimalSep)
{
    if (D.Count == 0) {
        Out += '0';
        return;
    }
    if (D.Negative)
        Out += '-';
    if (D.Exponent > Precision || D.Exponent < -3) {
        Out += D.Digits[0];
        if (D.Count > 1) {
            Out += DecimalSep;
            Out.append(D.Digits + 1, static_cast<std::size_t>(D.Count - 1));
        }
        Out += 'E';
        AppendExponent(Out, D.Exponent - 1, false, ExpDigits);
        return;
    }
    AppendIntegerPart(Out, D, '\0', false);
    const int decimals = D.Count - D.Exponent;
    AppendFractionPart(Out, D, decimals, DecimalSep);
}

// Currency placement of an unsigned amount text.
String ApplyCurrencyFormat(const String& Amount, bool Negative, const TFormatSettings& S)
{
    const String& c = S.CurrencyString;
    if (!Negative) {
        switch (S.CurrencyFormat) {
        case 1: return Amount + c;
        case 2: return c + " " + Amount;
        case 3: return Amount + " " + c;
        default: return c + Amount;
        }
    }
    switch (S.NegCurrFormat) {
    case 1: return "-" + c + Amount;
    case 2: return c + "-" + Amount;
    case 3: return c + Amount + "-";
    case 4: return "(" + Amount + c + ")";
    case 5: return "-" + Amount + c;
    case 6: return Amount + "-" + c;
    case 7: return Amount + c + "-";
    case 8: return "-" + Amount + " " + c;
    case 9: return "-" + c + " " + Amount;
    case 10: return Amount + " " + c + "-";
    case 11: return c + " " + Amount + "-";
    case 12: return c + " -" + Amount;
    case 13: return Amount + "- " + c;
    case 14: return "(" + c + " " + Amount + ")";
    case 15: return "(" + Amount + " " + c + ")";
    default: return "(" + c + Amount + ")";
    }
}

// Formats a decimal (at Precision significant digits) in one of the float formats.
String FormatDecimal(TDecimal D, TFloatFormat Format, int Precision, int Digits, const TFormatSettings& S)
{
    String out;
    switch (Format) {
    case ffExponent: {
        Digits = std::clamp(Digits, 0, 4);
        if (D.Negative && D.Count > 0)
            out += '-';
        out += static_cast<char>(DigitAt(D, 0));
        if (Precision > 1) {
            out += S.DecimalSeparator;
            for (int i = 1; i < Precision; ++i)
                out += static_cast<char>(DigitAt(D, i));
        }
        out += 'E';
        AppendExponent(out, D.Count == 0 ? 0 : D.Exponent - 1, true, Digits);
        return out;
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
        Digits = std::clamp(Digits, 0, 18);
        if (D.Exponent > Precision) {
            AppendGeneral(out, D, Precision, 0, S.DecimalSeparator);
            return out;
        }
        RoundToDecimals(D, Digits);
        String amount;
        AppendIntegerPart(amount, D, S.ThousandSeparator, Format != ffFixed);
        AppendFractionPart(amount, D, Digits, S.DecimalSeparator);
        const bool negative = D.Negative && D.Count > 0;
        if (Format == ffCurrency)
            return ApplyCurrencyFormat(amount, negative, S);
        return negative ? "-" + amount : amount;
    }
    default:
        AppendGeneral(out, D, Precision, std::clamp(Digits, 0, 4), S.DecimalSeparator);
        return out;
    }
}

// 15 significant digits, or more when asked for more; then rounded decimally to Precision.
void DecimalForPrecision(double V, int Precision, TDecimal& D)
{
    DecimalFromDouble(V, std::max(15, Precision), D);
    RoundAt(D, Precision);
}

} // namespace

// ---- Floating point -----------------------------------------------------------------------------

String FloatToStr(Extended Value) { return FloatToStrF(Value, ffGeneral, 15, 0, FormatSettings()); }

String FloatToStr(Extended Value, const TFormatSettings& Settings)
{
    return FloatToStrF(Value, ffGeneral, 15, 0, Settings);
}

String FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits)
{
    return FloatToStrF(Value, Format, Precision, Digits, FormatSettings());
}

String FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits,
                   const TFormatSettings& Settings)
{
    if (const TSpecial s = SpecialOf(Value); s != TSpecial::None)
        return SpecialText(s);
    Precision = std::clamp(Precision, 1, 18);
    TDecimal d;
    DecimalForPrecision(Value, Precision, d);
    return FormatDecimal(d, Format, Precision, Digits, Settings);
}

namespace {

// Blanks, sign, digits with the decimal separator, optional exponent, blanks. Fills a plain
// C-locale text for from_chars.
bool NormalizeFloatText(std::string_view S, char DecimalSep, String& Out)
{
    std::size_t b = 0, e = S.size();
    while (b < e && static_cast<unsigned char>(S[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(S[e - 1]) <= ' ')
        --e;
    Out.clear();
    std::size_t i = b;
    if (i < e && (S[i] == '+' || S[i] == '-')) {
        if (S[i] == '-')
            Out += '-';
        ++i;
    }
    int digits = 0;
    bool point = false;
    for (; i < e; ++i) {
        const char c = S[i];
        if (c >= '0' && c <= '9') {
            Out += c;
            ++digits;
        } else if (c == DecimalSep && !point) {
            Out += '.';
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0)
        return false;
    if (i < e && (S[i] == 'e' || S[i] == 'E')) {
        Out += 'e';
        ++i;
        if (i < e && (S[i] == '+' || S[i] == '-'))
            Out += S[i++];
        int expDigits = 0;
        for (; i < e && S[i] >= '0' && S[i] <= '9'; ++i, ++expDigits)
            Out += S[i];
        if (expDigits == 0)
            return false;
    }
    return i == e;
}

// The exponent digits of a normalized float text (after 'e', with an optional sign). Exponents
// too large for a long long are clamped: far beyond any double or currency either way.
long long ReadExponent(const char* First, const char* Last)
{
    const bool negative = First < Last && *First == '-';
    if (First < Last && (*First == '+' || *First == '-'))
        ++First;
    constexpr long long Far = 1000000000;
    long long exp = 0;
    const auto r = std::from_chars(First, Last, exp);
    if (r.ec == std::errc::result_out_of_range || exp > Far)
        exp = Far;
    return negative ? -exp : exp;
}

[[noreturn]] void RaiseInvalidFloat(std::string_view S)
{
    throw EConvertError("'" + String(S) + "' is not a valid floating point value");
}

} // namespace

bool TryStrToFloat(std::string_view S, Extended& Value, const TFormatSettings& Settings)
{
    String text;
    if (!NormalizeFloatText(S, Settings.DecimalSeparator, text))
        return false;
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Underflow is zero; overflow is an error. Which one it is shows in the decimal
        // exponent of the first significant digit.
        const std::size_t ePos = text.find('e');
        const long long exp10 =
            ePos == String::npos ? 0 : ReadExponent(text.data() + ePos + 1, text.data() + text.size());
        long long lead = 0; // decimal exponent contributed by the digits themselves
        bool seenPoint = false, seenDigit = false;
        for (std::size_t k = 0; k < std::min(ePos, text.size()); ++k) {
            const char ch = text[k];
            if (ch == '.')
                seenPoint = true;
            else if (ch >= '1' && ch <= '9')
                seenDigit = true;
            if (ch >= '0' && ch <= '9') {
                if (!seenPoint && seenDigit)
                    ++lead;
                else if (seenPoint && !seenDigit)
                    --lead;
            }
        }
        if (exp10 + lead > 0)
            return false;
        v = 0;
    } else if (r.ec != std::errc() || r.ptr != text.data() + text.size()) {
        return false;
    }
    if (!std::isfinite(v))
        return false;
    Value = v;
    return true;
}

bool TryStrToFloat(std::string_view S, Extended& Value) { return TryStrToFloat(S, Value, FormatSettings()); }

Extended StrToFloat(std::string_view S, const TFormatSettings& Settings)
{
    Extended v;
    if (!TryStrToFloat(S, v, Settings))
        RaiseInvalidFloat(S);
    return v;
}

Extended StrToFloat(std::string_view S) { return StrToFloat(S, FormatSettings()); }

Extended StrToFloatDef(std::string_view S, Extended Default, const TFormatSettings& Settings)
{
    Extended v;
    return TryStrToFloat(S, v, Settings) ? v : Default;
}

Extended StrToFloatDef(std::string_view S, Extended Default)
{
    return StrToFloatDef(S, Default, FormatSettings());
}

// ---- Numeric masks ------------------------------------------------------------------------------

namespace {

// One section of a numeric mask, scanned.
struct TMaskSection {
    std::string_view Text;
    int IntPlaces = 0;     // '0'/'#' before the decimal point (or all of them without one)
    int MinInt = 0;        // integer digits always shown (from the first '0')
    int DecPlaces = 0;     // '0'/'#' after the decimal point
    int MinDec = 0;        // decimals always shown (up to the last '0')
    bool HasPoint = false;
    bool Thousands = false;
    bool Scientific = false;
    int ExpDigits = 0;
    bool HasPlaces() const { return IntPlaces + DecPlaces > 0; }
};

// Splits a mask into up to three sections at ';' outside quotes.
int SplitSections(std::string_view Format, std::string_view (&Sections)[3])
{
    int n = 0;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < Format.size(); ++i) {
        const char c = Format[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            Sections[n++] = Format.substr(start, i - start);
            start = i + 1;
            if (n == 2)
                break;
        }
    }
    Sections[n++] = Format.substr(start);
    if (n == 3) {
        // Anything after a third ';' is ignored.
        const std::string_view third = Sections[2];
        char q = 0;
        for (std::size_t i = 0; i < third.size(); ++i) {
            if (q) {
                if (third[i] == q)
                    q = 0;
            } else if (third[i] == '\'' || third[i] == '"') {
                q = third[i];
            } else if (third[i] == ';') {
                Sections[2] = third.substr(0, i);
                break;
            }
        }
    }
    return n;
}

bool IsExponentAt(std::string_view T, std::size_t i)
{
    return (T[i] == 'E' || T[i] == 'e') && i + 1 < T.size() && (T[i + 1] == '+' || T[i + 1] == '-');
}

// Walks a section's text: Quoted(c) for each character between quotes, Outside(c, i) for each
// other one but the quotes themselves (Outside may move i on past what it reads).
template <class TOutside, class TQuoted>
void WalkSection(std::string_view Text, TOutside&& Outside, TQuoted&& Quoted)
{
    char quote = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                Quoted(c);
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else {
            Outside(c, i);
        }
    }
}

TMaskSection ScanSection(std::string_view Text)
{
    TMaskSection s;
    s.Text = Text;
    int firstZero = -1; // index among integer places
    const auto Outside = [&](char c, std::size_t& i) {
        switch (c) {
        case '0':
        case '#':
            if (s.HasPoint) {
                ++s.DecPlaces;
                if (c == '0')
                    s.MinDec = s.DecPlaces;
            } else {
                if (c == '0' && firstZero < 0)
                    firstZero = s.IntPlaces;
                ++s.IntPlaces;
            }
            break;
        case '.':
            s.HasPoint = true;
            break;
        case ',':
            s.Thousands = true;
            break;
        case 'E':
        case 'e':
            if (IsExponentAt(Text, i) && !s.Scientific) {
                s.Scientific = true;
                i += 2;
                while (i < Text.size() && Text[i] == '0') {
                    ++s.ExpDigits;
                    ++i;
                }
                --i;
            }
            break;
        default:
            break;
        }
    };
    WalkSection(Text, Outside, [](char) {});
    s.MinInt = firstZero < 0 ? 0 : s.IntPlaces - firstZero;
    return s;
}

// Text of a bounded length on the stack: what a short mask makes of a number.
template <std::size_t N>
class TShortText {
public:
    std::size_t size() const { return FSize; }
    bool empty() const { return FSize == 0; }
    const char* data() const { return FText; }
    char operator[](std::size_t I) const { return FText[I]; }
    char back() const { return FText[FSize - 1]; }
    void pop_back() { --FSize; }
    void clear() { FSize = 0; }
    TShortText& operator+=(char C)
    {
        FText[FSize++] = C;
        return *this;
    }
    void insert(std::size_t, std::size_t Count, char C)
    {
        std::memmove(FText + Count, FText, FSize);
        std::memset(FText, C, Count);
        FSize += Count;
    }

private:
    char FText[N];
    std::size_t FSize = 0;
};

// Lays the digits of D (already rounded for the section) into the section's placeholders. TText is
// String, or for a short mask without an exponent TShortText.
template <class TText>
String LaySection(const TMaskSection& Sec, TDecimal D, bool Negative, const TFormatSettings& S)
{
    TText out;
    if (Negative)
        out += '-';
    int exponent = 0;
    if (Sec.Scientific && D.Count > 0) {
        exponent = D.Exponent - Sec.IntPlaces;
        D.Exponent = Sec.IntPlaces;
    }
    // Integer digits, with leading zeros up to MinInt.
    TText intDigits;
    for (int i = 0; i < D.Exponent; ++i)
        intDigits += static_cast<char>(DigitAt(D, i));
    if (D.Count == 0 || D.Exponent <= 0)
        intDigits.clear();
    if (static_cast<int>(intDigits.size()) < Sec.MinInt)
        intDigits.insert(0, static_cast<std::size_t>(Sec.MinInt) - intDigits.size(), '0');
    // Decimal digits, trailing zeros dropped down to MinDec.
    TText decDigits;
    for (int i = 0; i < Sec.DecPlaces; ++i)
        decDigits += static_cast<char>(DigitAt(D, D.Exponent + i));
    while (static_cast<int>(decDigits.size()) > Sec.MinDec && decDigits.back() == '0')
        decDigits.pop_back();

    const int intCount = static_cast<int>(intDigits.size());
    int intPlace = 0; // integer placeholders seen so far
    int decPlace = 0;
    bool afterPoint = false;
    int nextInt = 0;  // index into intDigits
    auto emitInt = [&](int Count) {
        for (int k = 0; k < Count && nextInt < intCount; ++k, ++nextInt) {
            out += intDigits[static_cast<std::size_t>(nextInt)];
            const int left = intCount - 1 - nextInt;
            if (Sec.Thousands && left > 0 && left % 3 == 0 && S.ThousandSeparator != '\0')
                out += S.ThousandSeparator;
        }
    };
    const std::string_view T = Sec.Text;
    char quote = 0;
    bool expDone = false;
    for (std::size_t i = 0; i < T.size(); ++i) {
        const char c = T[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                out += c;
            continue;
        }
        switch (c) {
        case '\'':
        case '"':
            quote = c;
            break;
        case '0':
        case '#':
            if (!afterPoint) {
                // Placeholder k of IntPlaces takes the digit aligned to it from the right; the
                // first one also takes every digit that has no placeholder of its own.
                const int remainingPlaces = Sec.IntPlaces - intPlace;
                if (intPlace == 0 && intCount > Sec.IntPlaces)
                    emitInt(intCount - Sec.IntPlaces + 1);
                else if (intCount - nextInt >= remainingPlaces)
                    emitInt(1);
                ++intPlace;
            } else {
                if (decPlace < static_cast<int>(decDigits.size()))
                    out += decDigits[static_cast<std::size_t>(decPlace)];
                ++decPlace;
            }
            break;
        case '.':
            if (!afterPoint) {
                emitInt(intCount); // digits not yet placed (a mask with no integer places)
                afterPoint = true;
                if (!decDigits.empty())
                    out += S.DecimalSeparator;
            }
            break;
        case ',':
            break;
        case 'E':
        case 'e':
            if (!expDone && IsExponentAt(T, i)) {
                expDone = true;
                emitInt(intCount);
                afterPoint = true;
                out += c;
                const bool always = T[i + 1] == '+';
                i += 2;
                int zeros = 0;
                while (i < T.size() && T[i] == '0') {
                    ++zeros;
                    ++i;
                }
                --i;
                if constexpr (std::is_same_v<TText, String>)
                    AppendExponent(out, exponent, always, zeros);
            } else {
                out += c;
            }
            break;
        default:
            out += c;
            break;
        }
    }
    if (!afterPoint && Sec.HasPlaces())
        emitInt(intCount);
    if constexpr (std::is_same_v<TText, String>)
        return out;
    else
        return String(out.data(), out.size());
}

// Masks of up to 40 characters without an exponent fit the stack: digits at most 40 (or 19 when
// the value is larger), and their text at most 1 + 2 × 40 + 40 + 40.
String ApplySection(const TMaskSection& Sec, const TDecimal& D, bool Negative, const TFormatSettings& S)
{
    if (Sec.Text.size() <= 40 && !Sec.Scientific)
        return LaySection<TShortText<256>>(Sec, D, Negative, S);
    return LaySection<String>(Sec, D, Negative, S);
}

// Rounds D for the section: to its decimals, or to its significant digits when scientific.
void RoundForSection(const TMaskSection& Sec, TDecimal& D)
{
    if (Sec.Scientific)
        RoundAt(D, std::max(1, Sec.IntPlaces + Sec.DecPlaces));
    else
        RoundToDecimals(D, Sec.DecPlaces);
}

// A mask split into its sections, each scanned; its views are into the mask's text.
struct TScannedMask {
    std::string_view Parts[3];
    TMaskSection Sections[3];
    int Count = 0;
};

TScannedMask ScanMask(std::string_view Format)
{
    TScannedMask M;
    M.Count = SplitSections(Format, M.Parts);
    for (int i = 0; i < M.Count; ++i)
        M.Sections[i] = ScanSection(M.Parts[i]);
    return M;
}

// The text of Value through M: Apply(Section, Digits, Negative) lays the digits into section
// Section (0 positive, 1 negative, 2 zero) of M.
template <class TApply>
String ApplyMaskWith(const TScannedMask& M, const TDecimal& Value, const TFormatSettings& S, TApply&& Apply)
{
    const int n = M.Count;
    const std::string_view(&parts)[3] = M.Parts;
    const TMaskSection(&secs)[3] = M.Sections;
    const bool negative = Value.Negative && Value.Count > 0;
    const bool useNegative = negative && n >= 2 && !parts[1].empty();
    if (Value.Exponent > 18 && !secs[useNegative ? 1 : 0].Scientific) {
        // Too large for digit placeholders to mean anything: the general form.
        String out;
        AppendGeneral(out, Value, 15, 0, S.DecimalSeparator);
        return out;
    }
    TDecimal d = Value;
    RoundForSection(secs[0], d);
    const bool zero = d.Count == 0;
    if (zero && n == 3 && !parts[2].empty()) {
        TDecimal z;
        return Apply(2, z, false);
    }
    if (!zero && useNegative) {
        TDecimal m = Value;
        m.Negative = false;
        RoundForSection(secs[1], m);
        return Apply(1, m, false);
    }
    d.Negative = false;
    return Apply(0, d, negative && !zero);
}

String ApplyMask(const TScannedMask& M, const TDecimal& Value, const TFormatSettings& S)
{
    return ApplyMaskWith(M, Value, S, [&](int Section, const TDecimal& D, bool Negative) {
        return ApplySection(M.Sections[Section], D, Negative, S);
    });
}

// A section without an exponent laid out once into steps: the placeholders, the decimal point and
// the literal text that LaySection finds in the section's text for every value.
struct TSectionPlan {
    enum TKind : Byte { Literal, IntPlace, DecPlace, Point };
    struct TStep {
        TKind Kind;
        std::uint32_t Offset; // Literal: its bytes in Literals
        std::uint32_t Length;
    };
    bool Planned = false;
    std::vector<TStep> Steps;
    String Literals;
};

TSectionPlan PlanSection(const TMaskSection& Sec)
{
    TSectionPlan P;
    if (Sec.Scientific)
        return P;
    const auto Literal = [&P](char C) {
        if (!P.Steps.empty() && P.Steps.back().Kind == TSectionPlan::Literal)
            ++P.Steps.back().Length;
        else
            P.Steps.push_back({TSectionPlan::Literal, static_cast<std::uint32_t>(P.Literals.size()), 1});
        P.Literals += C;
    };
    bool afterPoint = false;
    const auto Outside = [&](char c, std::size_t&) {
        switch (c) {
        case '0':
        case '#':
            P.Steps.push_back({afterPoint ? TSectionPlan::DecPlace : TSectionPlan::IntPlace, 0, 0});
            break;
        case '.':
            if (!afterPoint)
                P.Steps.push_back({TSectionPlan::Point, 0, 0});
            afterPoint = true;
            break;
        case ',':
            break;
        default:
            Literal(c); // an 'E' or 'e' here starts no exponent: the section has none
            break;
        }
    };
    WalkSection(Sec.Text, Outside, Literal);
    P.Planned = true;
    return P;
}

// What LaySection makes of D with section Sec, from the section's plan.
String LayPlan(const TSectionPlan& P, const TMaskSection& Sec, const TDecimal& D, bool Negative,
               const TFormatSettings& S)
{
    // Integer digits: D's own, behind leading zeros up to MinInt.
    const int own = D.Count == 0 || D.Exponent <= 0 ? 0 : D.Exponent;
    const int pad = std::max(0, Sec.MinInt - own);
    const int intCount = own + pad;
    // Decimal digits, trailing zeros dropped down to MinDec.
    int decCount = Sec.DecPlaces;
    while (decCount > Sec.MinDec && DigitAt(D, D.Exponent + decCount - 1) == '0')
        --decCount;
    const std::size_t room = 2 + 2 * static_cast<std::size_t>(intCount) + static_cast<std::size_t>(decCount) +
                             P.Literals.size();
    if (room > 256)
        return LaySection<String>(Sec, D, Negative, S);
    char buf[256];
    char* out = buf;
    if (Negative)
        *out++ = '-';
    const bool group = Sec.Thousands && S.ThousandSeparator != '\0';
    int nextInt = 0;
    const auto emitInt = [&](int Count) {
        for (int k = 0; k < Count && nextInt < intCount; ++k, ++nextInt) {
            *out++ = nextInt < pad ? '0' : static_cast<char>(DigitAt(D, nextInt - pad));
            const int left = intCount - 1 - nextInt;
            if (group && left > 0 && left % 3 == 0)
                *out++ = S.ThousandSeparator;
        }
    };
    int intPlace = 0;
    int decPlace = 0;
    bool afterPoint = false;
    for (const TSectionPlan::TStep& Step : P.Steps) {
        switch (Step.Kind) {
        case TSectionPlan::Literal:
            std::memcpy(out, P.Literals.data() + Step.Offset, Step.Length);
            out += Step.Length;
            break;
        case TSectionPlan::IntPlace:
            // As LaySection: the first placeholder also takes every digit without one of its own.
            if (intPlace == 0 && intCount > Sec.IntPlaces)
                emitInt(intCount - Sec.IntPlaces + 1);
            else if (intCount - nextInt >= Sec.IntPlaces - intPlace)
                emitInt(1);
            ++intPlace;
            break;
        case TSectionPlan::DecPlace:
            if (decPlace < decCount)
                *out++ = static_cast<char>(DigitAt(D, D.Exponent + decPlace));
            ++decPlace;
            break;
        case TSectionPlan::Point:
            emitInt(intCount);
            afterPoint = true;
            if (decCount > 0)
                *out++ = S.DecimalSeparator;
            break;
        }
    }
    if (!afterPoint && Sec.HasPlaces())
        emitInt(intCount);
    return String(buf, static_cast<std::size_t>(out - buf));
}

String FormatWithMask(std::string_view Format, const TDecimal& Value, const TFormatSettings& S)
{
    return ApplyMask(ScanMask(Format), Value, S);
}

} // namespace

String FormatFloat(std::string_view Format, Extended Value) { return FormatFloat(Format, Value, FormatSettings()); }

String FormatFloat(std::string_view Format, Extended Value, const TFormatSettings& Settings)
{
    if (const TSpecial s = SpecialOf(Value); s != TSpecial::None)
        return SpecialText(s);
    if (Format.empty())
        return FloatToStr(Value, Settings);
    TDecimal d;
    DecimalFromDouble(Value, 15, d);
    return FormatWithMask(Format, d, Settings);
}

// ---- Currency -----------------------------------------------------------------------------------

String CurrToStr(Currency Value) { return CurrToStrF(Value, ffGeneral, 0, FormatSettings()); }

String CurrToStr(Currency Value, const TFormatSettings& Settings)
{
    return CurrToStrF(Value, ffGeneral, 0, Settings);
}

String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits)
{
    return CurrToStrF(Value, Format, Digits, FormatSettings());
}

String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits, const TFormatSettings& Settings)
{
    TDecimal d;
    DecimalFromCurrency(Value, d);
    // Every digit of a currency value is significant: at most 19.
    return FormatDecimal(d, Format, 19, Digits, Settings);
}

String FormatCurr(std::string_view Format, Currency Value) { return FormatCurr(Format, Value, FormatSettings()); }

String FormatCurr(std::string_view Format, Currency Value, const TFormatSettings& Settings)
{
    if (Format.empty())
        return CurrToStr(Value, Settings);
    TDecimal d;
    DecimalFromCurrency(Value, d);
    return FormatWithMask(Format, d, Settings);
}

// ---- Masks read once ------------------------------------------------------------------------------

struct TNumberMask::TImpl {
    explicit TImpl(std::string_view Format) : Text(Format), Scanned(ScanMask(Text))
    {
        for (int i = 0; i < Scanned.Count; ++i)
            Plans[i] = PlanSection(Scanned.Sections[i]);
    }
    String Apply(const TDecimal& Value, const TFormatSettings& S) const
    {
        return ApplyMaskWith(Scanned, Value, S, [&](int Section, const TDecimal& D, bool Negative) {
            const TMaskSection& Sec = Scanned.Sections[Section];
            const TSectionPlan& Plan = Plans[Section];
            return Plan.Planned ? LayPlan(Plan, Sec, D, Negative, S) : ApplySection(Sec, D, Negative, S);
        });
    }
    const String Text;
    const TScannedMask Scanned; // views into Text
    TSectionPlan Plans[3];
};

TNumberMask::TNumberMask(std::string_view Format) : FImpl(std::make_shared<const TImpl>(Format)) {}

const String& TNumberMask::Format() const { return FImpl->Text; }

String TNumberMask::FormatFloat(Extended Value, const TFormatSettings& Settings) const
{
    if (const TSpecial s = SpecialOf(Value); s != TSpecial::None)
        return SpecialText(s);
    if (FImpl->Text.empty())
        return FloatToStr(Value, Settings);
    TDecimal d;
    DecimalFromDouble(Value, 15, d);
    return FImpl->Apply(d, Settings);
}

String TNumberMask::FormatCurr(Currency Value, const TFormatSettings& Settings) const
{
    if (FImpl->Text.empty())
        return CurrToStr(Value, Settings);
    TDecimal d;
    DecimalFromCurrency(Value, d);
    return FImpl->Apply(d, Settings);
}

bool TryStrToCurr(std::string_view S, Currency& Value, const TFormatSettings& Settings)
{
    String text;
    if (!NormalizeFloatText(S, Settings.DecimalSeparator, text))
        return false;
    // Exact decimal reading: digits, point, exponent.
    std::size_t i = 0;
    bool negative = false;
    if (text[i] == '-') {
        negative = true;
        ++i;
    }
    __int128 mantissa = 0;
    int scale = 0; // digits after the point
    bool point = false;
    int significant = 0;
    for (; i < text.size() && text[i] != 'e'; ++i) {
        if (text[i] == '.') {
            point = true;
            continue;
        }
        if (significant >= 30) {
            // Beyond 30 digits only the position matters (the value is out of range anyway,
            // or the digits are far below a ten-thousandth).
            if (!point)
                --scale;
            continue;
        }
        mantissa = mantissa * 10 + (text[i] - '0');
        if (mantissa != 0)
            ++significant;
        if (point)
            ++scale;
    }
    const long long exp = i < text.size() ? ReadExponent(text.data() + i + 1, text.data() + text.size()) : 0;
    // Value = mantissa * 10^(exp - scale); raw = mantissa * 10^(exp - scale + 4).
    const long long shift = exp - scale + 4;
    const __int128 limit = static_cast<__int128>(std::numeric_limits<Int64>::max()) + 1;
    __int128 raw;
    if (mantissa == 0) {
        raw = 0;
    } else if (shift >= 0) {
        if (shift > 19)
            return false;
        raw = mantissa;
        for (long long k = 0; k < shift; ++k) {
            raw *= 10;
            if (raw > limit)
                return false;
        }
    } else if (shift < -36) {
        raw = 0;
    } else {
        __int128 den = 1;
        for (long long k = 0; k < -shift; ++k)
            den *= 10;
        raw = mantissa / den;
        const __int128 r2 = 2 * (mantissa % den);
        if (r2 > den || (r2 == den && raw % 2 != 0))
            ++raw;
    }
    if (negative)
        raw = -raw;
    if (raw > std::numeric_limits<Int64>::max() || raw < std::numeric_limits<Int64>::min())
        return false;
    Value = Currency::FromRaw(static_cast<Int64>(raw));
    return true;
}

bool TryStrToCurr(std::string_view S, Currency& Value) { return TryStrToCurr(S, Value, FormatSettings()); }

Currency StrToCurr(std::string_view S, const TFormatSettings& Settings)
{
    Currency c;
    if (!TryStrToCurr(S, c, Settings))
        RaiseInvalidFloat(S);
    return c;
}

Currency StrToCurr(std::string_view S) { return StrToCurr(S, FormatSettings()); }

Currency StrToCurrDef(std::string_view S, Currency Default)
{
    Currency c;
    return TryStrToCurr(S, c) ? c : Default;
}

} // namespace qor
