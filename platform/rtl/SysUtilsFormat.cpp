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
    std::size_t argIndex = 0;
    std::size_t i = 0;
    auto nextArg = [&]() -> const TVarRec& {
        if (argIndex >= Args.size())
            RaiseNoArgument(Fmt);
        return Args[argIndex++];
    };
    // Widths and precisions beyond this are mistakes, not requests for gigabytes of padding.
    constexpr Int64 MaxNumber = 1000000;
    // A number or '*' (taken from the next argument, which must be an integer); false when absent.
    auto readNumber = [&](Int64& Value) -> bool {
        if (i < Fmt.size() && Fmt[i] == '*') {
            ++i;
            const TVarRec& a = nextArg();
            if (a.Kind() != TVarRec::vtInt64)
                RaiseInvalid(Fmt);
            Value = a.AsInt64();
            if (Value > MaxNumber || Value < -MaxNumber)
                RaiseInvalid(Fmt);
            return true;
        }
        const std::size_t start = i;
        Value = 0;
        while (i < Fmt.size() && Fmt[i] >= '0' && Fmt[i] <= '9') {
            Value = Value * 10 + (Fmt[i] - '0');
            if (Value > MaxNumber)
                RaiseInvalid(Fmt);
            ++i;
        }
        return i > start;
    };

    while (i < Fmt.size()) {
        const char c = Fmt[i];
        if (c != '%') {
            const std::size_t next = Fmt.find('%', i);
            const std::size_t end = next == std::string_view::npos ? Fmt.size() : next;
            out.append(Fmt.substr(i, end - i));
            i = end;
            continue;
        }
        ++i;
        if (i < Fmt.size() && Fmt[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        Int64 number = 0;
        bool left = false;
        Int64 width = -1, precision = -1;
        bool have = readNumber(number);
        if (have && i < Fmt.size() && Fmt[i] == ':') {
            if (number < 0)
                RaiseInvalid(Fmt);
            argIndex = static_cast<std::size_t>(number);
            ++i;
            have = false;
        }
        if (!have) {
            if (i < Fmt.size() && Fmt[i] == '-') {
                left = true;
                ++i;
            }
            have = readNumber(number);
        }
        if (have) {
            width = number;
            if (width < 0) {
                left = true;
                width = -width;
            }
        }
        if (i < Fmt.size() && Fmt[i] == '.') {
            ++i;
            if (!readNumber(precision))
                precision = 0;
            if (precision < 0)
                precision = -1;
        }
        if (i >= Fmt.size())
            RaiseInvalid(Fmt);
        const char type = static_cast<char>(Fmt[i] >= 'A' && Fmt[i] <= 'Z' ? Fmt[i] + 32 : Fmt[i]);
        ++i;
        const TVarRec& arg = nextArg();
        String text;
        switch (type) {
        case 'd':
            if (arg.Kind() == TVarRec::vtInt64) {
                const Int64 v = arg.AsInt64();
                const UInt64 mag = v < 0 ? 0 - static_cast<UInt64>(v) : static_cast<UInt64>(v);
                text = DigitsWithMinimum(mag, static_cast<int>(precision), v < 0);
            } else if (arg.Kind() == TVarRec::vtUInt64) {
                text = DigitsWithMinimum(arg.AsUInt64(), static_cast<int>(precision), false);
            } else {
                RaiseInvalid(Fmt);
            }
            break;
        case 'u':
        case 'x': {
            UInt64 v;
            if (arg.Kind() == TVarRec::vtInt64)
                v = arg.Is32Bit() ? static_cast<UInt64>(static_cast<Cardinal>(arg.AsInt64()))
                                  : static_cast<UInt64>(arg.AsInt64());
            else if (arg.Kind() == TVarRec::vtUInt64)
                v = arg.AsUInt64();
            else
                RaiseInvalid(Fmt);
            if (type == 'u') {
                text = DigitsWithMinimum(v, static_cast<int>(precision), false);
            } else {
                text = IntToHexBits(v, static_cast<Integer>(std::max<Int64>(precision, 0)));
            }
            break;
        }
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
            const bool isCurr = arg.Kind() == TVarRec::vtCurrency;
            if (!isCurr && arg.Kind() != TVarRec::vtExtended)
                RaiseInvalid(Fmt);
            const Integer prec = static_cast<Integer>(std::min<Int64>(precision, 18));
            // e and g: the precision is significant digits; f, n and m: it is decimals, shown
            // from 15 significant digits.
            TFloatFormat ff;
            Integer p = 15, d;
            switch (type) {
            case 'e': ff = ffExponent; p = prec < 0 ? 15 : prec; d = 3; break;
            case 'f': ff = ffFixed; d = prec < 0 ? 2 : prec; break;
            case 'g': ff = ffGeneral; p = prec < 0 ? 15 : prec; d = 0; break;
            case 'n': ff = ffNumber; d = prec < 0 ? 2 : prec; break;
            default: ff = ffCurrency; d = prec < 0 ? Settings.CurrencyDecimals : prec; break;
            }
            if (isCurr && ff != ffExponent && ff != ffGeneral)
                text = CurrToStrF(arg.AsCurrency(), ff, d, Settings);
            else
                text = FloatToStrF(isCurr ? arg.AsCurrency().ToDouble() : arg.AsExtended(), ff, p, d, Settings);
            break;
        }
        case 'p':
            if (arg.Kind() != TVarRec::vtPointer)
                RaiseInvalid(Fmt);
            text = IntToHexBits(reinterpret_cast<UInt64>(arg.AsPointer()), 16);
            break;
        case 's':
            if (arg.Kind() == TVarRec::vtString)
                text = arg.AsString();
            else if (arg.Kind() == TVarRec::vtChar)
                text = String(1, arg.AsChar());
            else
                RaiseInvalid(Fmt);
            if (precision >= 0)
                text.resize(Utf8Prefix(text, static_cast<std::size_t>(precision)));
            break;
        default:
            RaiseInvalid(Fmt);
        }
        const std::size_t len = type == 's' ? Utf8Count(text) : text.size();
        if (width > 0 && static_cast<std::size_t>(width) > len) {
            const std::size_t pad = static_cast<std::size_t>(width) - len;
            if (left)
                text.append(pad, ' ');
            else
                text.insert(0, pad, ' ');
        }
        out += text;
    }
    return out;
}

} // namespace qor
