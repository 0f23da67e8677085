// Format: printf-like formatting with the old library's specifiers.

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>

namespace qor {

namespace {

[[noreturn]] void RaiseInvalid(std::string_view Fmt)
{
    throw EConvertError("Format '" + String(Fmt) + "' invalid or incompatible with argument");
}

[[noreturn]] void RaiseNoArgument(std::string_view Fmt)
{
    throw EConvertError("No argument for format '" + String(Fmt) + "'");
}

// Number of bytes of the first Count code points of S.
std::size_t Utf8Prefix(std::string_view S, std::size_t Count)
{
    std::size_t i = 0;
    while (i < S.size() && Count > 0) {
        ++i;
        while (i < S.size() && (static_cast<unsigned char>(S[i]) & 0xC0) == 0x80)
            ++i;
        --Count;
    }
    return i;
}

std::size_t Utf8Count(std::string_view S)
{
    std::size_t n = 0;
    for (char c : S)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

String DigitsWithMinimum(UInt64 Magnitude, int MinDigits, bool Negative)
{
    String digits = UIntToStr(Magnitude);
    if (static_cast<int>(digits.size()) < MinDigits)
        digits.insert(0, static_cast<std::size_t>(MinDigits) - digits.size(), '0');
    return Negative ? "-" + digits : digits;
}

// One specifier: [index ":"] ["-"] [width] ["." precision] type.
struct TFormatSpec {
    bool Left = false;
    Int64 Width = -1;
    Int64 Precision = -1;
    char Type = 0; // in lower case
};

// Walks the format string and its arguments together.
class TFormatCursor {
public:
    TFormatCursor(std::string_view Fmt, std::span<const TVarRec> Args) : FFmt(Fmt), FArgs(Args) {}

    // Copies the literal text up to the next specifier to Out ("%%" as '%'); false at the end.
    bool CopyLiteral(String& Out)
    {
        while (FPos < FFmt.size()) {
            const std::size_t next = std::min(FFmt.find('%', FPos), FFmt.size());
            Out.append(FFmt.substr(FPos, next - FPos));
            FPos = next;
            if (FPos + 1 < FFmt.size() && FFmt[FPos + 1] == '%') {
                Out += '%';
                FPos += 2;
            } else if (FPos < FFmt.size()) {
                ++FPos;
                return true;
            }
        }
        return false;
    }

    // Reads the specifier after a '%' (an index moves the argument position).
    TFormatSpec ReadSpec()
    {
        TFormatSpec spec;
        Int64 number = 0;
        bool have = ReadNumber(number);
        if (have && Peek(':')) {
            if (number < 0)
                Invalid();
            FArg = static_cast<std::size_t>(number);
            ++FPos;
            have = false;
        }
        if (!have) {
            if (Peek('-')) {
                spec.Left = true;
                ++FPos;
            }
            have = ReadNumber(number);
        }
        if (have) {
            spec.Width = number;
            if (spec.Width < 0) {
                spec.Left = true;
                spec.Width = -spec.Width;
            }
        }
        if (Peek('.')) {
            ++FPos;
            if (!ReadNumber(spec.Precision))
                spec.Precision = 0;
            if (spec.Precision < 0)
                spec.Precision = -1;
        }
        if (FPos >= FFmt.size())
            Invalid();
        const char c = FFmt[FPos++];
        spec.Type = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
        return spec;
    }

    const TVarRec& NextArg()
    {
        if (FArg >= FArgs.size())
            RaiseNoArgument(FFmt);
        return FArgs[FArg++];
    }

    [[noreturn]] void Invalid() const { RaiseInvalid(FFmt); }

private:
    // Widths and precisions beyond this are mistakes, not requests for gigabytes of padding.
    static constexpr Int64 MaxNumber = 1000000;

    bool Peek(char C) const { return FPos < FFmt.size() && FFmt[FPos] == C; }

    // A number or '*' (taken from the next argument, which must be an integer); false when absent.
    bool ReadNumber(Int64& Value)
    {
        if (Peek('*')) {
            ++FPos;
            const TVarRec& arg = NextArg();
            if (arg.Kind() != TVarRec::vtInt64)
                Invalid();
            Value = arg.AsInt64();
            if (Value > MaxNumber || Value < -MaxNumber)
                Invalid();
            return true;
        }
        const std::size_t start = FPos;
        Value = 0;
        while (FPos < FFmt.size() && FFmt[FPos] >= '0' && FFmt[FPos] <= '9') {
            Value = Value * 10 + (FFmt[FPos] - '0');
            if (Value > MaxNumber)
                Invalid();
            ++FPos;
        }
        return FPos > start;
    }

    std::string_view FFmt;
    std::span<const TVarRec> FArgs;
    std::size_t FArg = 0;
    std::size_t FPos = 0;
};

// %d: a signed or unsigned integer with at least Precision digits.
String FormatDecimal(const TFormatSpec& Spec, const TVarRec& Arg, const TFormatCursor& Cursor)
{
    const int minDigits = static_cast<int>(Spec.Precision);
    if (Arg.Kind() == TVarRec::vtUInt64)
        return DigitsWithMinimum(Arg.AsUInt64(), minDigits, false);
    if (Arg.Kind() != TVarRec::vtInt64)
        Cursor.Invalid();
    const Int64 v = Arg.AsInt64();
    const UInt64 mag = v < 0 ? 0 - static_cast<UInt64>(v) : static_cast<UInt64>(v);
    return DigitsWithMinimum(mag, minDigits, v < 0);
}

// %u and %x: the argument's bits as an unsigned number (a 32-bit argument as 32 bits).
String FormatUnsigned(const TFormatSpec& Spec, const TVarRec& Arg, const TFormatCursor& Cursor)
{
    UInt64 v;
    if (Arg.Kind() == TVarRec::vtInt64)
        v = Arg.Is32Bit() ? static_cast<UInt64>(static_cast<Cardinal>(Arg.AsInt64()))
                          : static_cast<UInt64>(Arg.AsInt64());
    else if (Arg.Kind() == TVarRec::vtUInt64)
        v = Arg.AsUInt64();
    else
        Cursor.Invalid();
    if (Spec.Type == 'u')
        return DigitsWithMinimum(v, static_cast<int>(Spec.Precision), false);
    return IntToHexBits(v, static_cast<Integer>(std::max<Int64>(Spec.Precision, 0)));
}

// %e, %f, %g, %n and %m: a floating-point or currency argument. For e and g the precision is
// significant digits; for f, n and m it is decimals, shown from 15 significant digits.
String FormatFloating(const TFormatSpec& Spec, const TVarRec& Arg, const TFormatSettings& Settings,
                      const TFormatCursor& Cursor)
{
    const bool isCurr = Arg.Kind() == TVarRec::vtCurrency;
    if (!isCurr && Arg.Kind() != TVarRec::vtExtended)
        Cursor.Invalid();
    const Integer prec = static_cast<Integer>(std::min<Int64>(Spec.Precision, 18));
    TFloatFormat ff;
    Integer p = 15, d;
    switch (Spec.Type) {
    case 'e': ff = ffExponent; p = prec < 0 ? 15 : prec; d = 3; break;
    case 'f': ff = ffFixed; d = prec < 0 ? 2 : prec; break;
    case 'g': ff = ffGeneral; p = prec < 0 ? 15 : prec; d = 0; break;
    case 'n': ff = ffNumber; d = prec < 0 ? 2 : prec; break;
    default: ff = ffCurrency; d = prec < 0 ? Settings.CurrencyDecimals : prec; break;
    }
    if (isCurr && ff != ffExponent && ff != ffGeneral)
        return CurrToStrF(Arg.AsCurrency(), ff, d, Settings);
    return FloatToStrF(isCurr ? Arg.AsCurrency().ToDouble() : Arg.AsExtended(), ff, p, d, Settings);
}

// %s: a string or a character, cut to Precision code points.
String FormatText(const TFormatSpec& Spec, const TVarRec& Arg, const TFormatCursor& Cursor)
{
    String text;
    if (Arg.Kind() == TVarRec::vtString)
        text = Arg.AsString();
    else if (Arg.Kind() == TVarRec::vtChar)
        text = String(1, Arg.AsChar());
    else
        Cursor.Invalid();
    if (Spec.Precision >= 0)
        text.resize(Utf8Prefix(text, static_cast<std::size_t>(Spec.Precision)));
    return text;
}

// One argument as its specifier asks, before padding.
String FormatArgument(const TFormatSpec& Spec, const TVarRec& Arg, const TFormatSettings& Settings,
                      const TFormatCursor& Cursor)
{
    switch (Spec.Type) {
    case 'd':
        return FormatDecimal(Spec, Arg, Cursor);
    case 'u':
    case 'x':
        return FormatUnsigned(Spec, Arg, Cursor);
    case 'e':
    case 'f':
    case 'g':
    case 'n':
    case 'm':
        return FormatFloating(Spec, Arg, Settings, Cursor);
    case 'p':
        if (Arg.Kind() != TVarRec::vtPointer)
            Cursor.Invalid();
        return IntToHexBits(reinterpret_cast<UInt64>(Arg.AsPointer()), 16);
    case 's':
        return FormatText(Spec, Arg, Cursor);
    default:
        Cursor.Invalid();
    }
}

// Pads Text with blanks to the specifier's width (strings count code points).
void PadToWidth(String& Text, const TFormatSpec& Spec)
{
    const std::size_t len = Spec.Type == 's' ? Utf8Count(Text) : Text.size();
    if (Spec.Width <= 0 || static_cast<std::size_t>(Spec.Width) <= len)
        return;
    const std::size_t pad = static_cast<std::size_t>(Spec.Width) - len;
    if (Spec.Left)
        Text.append(pad, ' ');
    else
        Text.insert(0, pad, ' ');
}

} // namespace

String Format(std::string_view Fmt, std::initializer_list<TVarRec> Args)
{
    return Format(Fmt, std::span<const TVarRec>(Args.begin(), Args.size()), FormatSettings());
}

String Format(std::string_view Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings)
{
    return Format(Fmt, std::span<const TVarRec>(Args.begin(), Args.size()), Settings);
}

String Format(std::string_view Fmt, std::span<const TVarRec> Args)
{
    return Format(Fmt, Args, FormatSettings());
}

String Format(std::string_view Fmt, std::span<const TVarRec> Args, const TFormatSettings& Settings)
{
    String out;
    out.reserve(Fmt.size() + 16);
    TFormatCursor cursor(Fmt, Args);
    while (cursor.CopyLiteral(out)) {
        const TFormatSpec spec = cursor.ReadSpec();
        String text = FormatArgument(spec, cursor.NextArg(), Settings, cursor);
        PadToWidth(text, spec);
        out += text;
    }
    return out;
}

} // namespace qor
