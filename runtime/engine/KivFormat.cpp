#include "runtime/engine/KivFormat.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Controls.h"
#include "runtime/engine/KivData.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace qor {

namespace {

const char* const HoursFormat = "HH:MM";

// At most Count characters (not bytes) from the start of Text.
String Utf8Prefix(std::string_view Text, std::size_t Count)
{
    std::size_t I = 0;
    for (std::size_t N = 0; I < Text.size() && N < Count; ++N) {
        ++I;
        while (I < Text.size() && (static_cast<Byte>(Text[I]) & 0xC0) == 0x80)
            ++I;
    }
    return String(Text.substr(0, I));
}

// Whole minutes as hours and minutes, "###00:00", with one sign in front of a negative count.
String HoursText(Int64 Minutes, bool AsCurrency)
{
    const bool Negative = Minutes < 0;
    const UInt64 M = Negative ? 0 - static_cast<UInt64>(Minutes) : static_cast<UInt64>(Minutes);
    const UInt64 Hours = M / 60;
    const UInt64 Rest = M % 60;
    String Text;
    if (AsCurrency)
        Text = FormatCurr("###00", Currency::FromRaw(static_cast<Int64>(Hours) * Currency::Scale)) + ":" +
               FormatCurr("00", Currency::FromRaw(static_cast<Int64>(Rest) * Currency::Scale));
    else
        Text = FormatFloat("###00", static_cast<Extended>(Hours)) + ":" + FormatFloat("00", static_cast<Extended>(Rest));
    return Negative ? "-" + Text : Text;
}

// round(Days × 1440) as whole minutes, halves to even; out-of-range values raise EConvertError.
Int64 MinutesOfDays(Double Days)
{
    const Double M = std::nearbyint(Days * 1440.0);
    if (!(M >= -9223372036854775808.0 && M < 9223372036854775808.0))
        throw EConvertError(FloatToStr(Days) + " is not a valid number of days");
    return static_cast<Int64>(M);
}

// round(Raw × 1440 / 10000) for a count of ten-thousandths of days, halves to even.
Int64 MinutesOfCurrency(Int64 Raw)
{
    const __int128 N = static_cast<__int128>(Raw) * 36;
    const __int128 D = 250;
    __int128 Q = N / D;
    const __int128 R = N % D;
    const __int128 Twice = (R < 0 ? -R : R) * 2;
    if (Twice > D || (Twice == D && (Q % 2 != 0)))
        Q += (N < 0) ? -1 : 1;
    return static_cast<Int64>(Q);
}

} // namespace

TKivRootFormat::TKivRootFormat() = default;
TKivRootFormat::~TKivRootFormat() = default;

void TKivRootFormat::Changed()
{
    if (FKivLabel)
        FKivLabel->Invalidate();
}

template <class T>
static bool Store(T& Field, const T& Value)
{
    if (Field == Value)
        return false;
    Field = Value;
    return true;
}

void TKivRootFormat::SetDisplayFormat(const String& Value)
{
    if (Store(FDisplayFormat, Value)) {
        FPlanned = false;
        Changed();
    }
}

void TKivRootFormat::SetTextCase(TKivTextCase Value)
{
    if (Store(FTextCase, Value))
        Changed();
}

void TKivRootFormat::SetFloatFormat(TFloatFormat Value)
{
    if (Store(FFloatFormat, Value))
        Changed();
}

void TKivRootFormat::SetWidth(Integer Value)
{
    if (Store(FWidth, Value))
        Changed();
}

void TKivRootFormat::SetDigits(Integer Value)
{
    if (Store(FDigits, Value))
        Changed();
}

void TKivRootFormat::SetSuppressNulls(bool Value)
{
    if (Store(FSuppressNulls, Value))
        Changed();
}

void TKivRootFormat::SetUseCurrencyDecimals(bool Value)
{
    if (Store(FUseCurrencyDecimals, Value))
        Changed();
}

const TNumberMask& TKivRootFormat::NumberMask() const
{
    if (!FNumberMaskMade) {
        FNumberMask = TNumberMask(FDisplayFormat);
        FNumberMaskMade = true;
    }
    return FNumberMask;
}

const TDateTimeMask& TKivRootFormat::DateTimeMask() const
{
    if (!FDateTimeMaskMade) {
        FDateTimeMask = TDateTimeMask(FDisplayFormat);
        FDateTimeMaskMade = true;
    }
    return FDateTimeMask;
}

namespace {

// FloatToStrF(Value, ffGeneral, Precision, ...) of a whole number of at most Precision digits
// (below 10^15, so exact in a Double): its digits, Size of them in Text.
bool WholeNumberText(Double Value, Integer Precision, char (&Text)[24], std::size_t& Size)
{
    if (!(Value > -1e15 && Value < 1e15) || Value != std::trunc(Value))
        return false;
    const Int64 I = static_cast<Int64>(Value);
    const auto End = std::to_chars(Text, Text + sizeof Text, I).ptr;
    const auto Digits = End - Text - (I < 0 ? 1 : 0);
    if (Digits > std::clamp<Integer>(Precision, 1, 18))
        return false;
    Size = static_cast<std::size_t>(End - Text);
    return true;
}

} // namespace

String TKivData::AsFormat(TKivRootFormat* Format) { return Format->FormatAsString(this); }

void TKivRootFormat::Plan() const
{
    FNoFormat = TrimBlanks(FDisplayFormat).empty();
    FHoursFormat = FDisplayFormat == HoursFormat;
    FNumberMaskMade = FDateTimeMaskMade = false;
    FPlanned = true;
}

Integer TKivRootFormat::DecimalsShown() const
{
    return (FFloatFormat == ffCurrency && FUseCurrencyDecimals) ? static_cast<Integer>(FormatSettings().CurrencyDecimals)
                                                                : FDigits;
}

bool TKivRootFormat::FormatsEveryValue(TKivDataTypes Type) const
{
    switch (Type) {
    case dtypeString:
    case dtypeBoolean:
    case dtypeDateTime: return true;
    case dtypeFloat:
    case dtypeInteger:
    case dtypeCurrency:
        if (!FPlanned)
            Plan();
        return !FHoursFormat;
    default: return false;
    }
}

String TKivRootFormat::FormatAsString(TKivData* Value) const
{
    if (FSuppressNulls && Value->IsNull())
        return String();
    switch (FTextCase) {
    case tcUpper:
        return UpperCase(ValueText(Value));
    case tcLower:
        return LowerCase(ValueText(Value));
    default:
        return ValueText(Value);
    }
}

String TKivRootFormat::ValueText(TKivData* Value) const
{
    // Each kind's text is made where it is returned: a label asks on every record.
    if (!FPlanned)
        Plan();
    switch (Value->DataType()) {
    case dtypeString:
        return FNoFormat ? Value->AsString() : FormatMaskText(FDisplayFormat, Value->AsString());
    case dtypeFloat:
    case dtypeInteger:
        if (FNoFormat) {
            const Double F = Value->AsFloat();
            char Whole[24];
            std::size_t Size = 0;
            if (FFloatFormat == ffGeneral && WholeNumberText(F, FWidth, Whole, Size))
                return String(Whole, Size);
            return FloatToStrF(F, FFloatFormat, FWidth, DecimalsShown());
        }
        if (FHoursFormat)
            return HoursText(MinutesOfDays(Value->AsFloat()), false);
        return NumberMask().FormatFloat(Value->AsFloat(), FormatSettings());
    case dtypeCurrency:
        if (FNoFormat)
            return CurrToStrF(Value->AsCurrency(), FFloatFormat, DecimalsShown());
        if (FHoursFormat)
            return HoursText(MinutesOfCurrency(Value->AsCurrency().Raw()), true);
        return NumberMask().FormatCurr(Value->AsCurrency(), FormatSettings());
    case dtypeBoolean: {
        if (FNoFormat)
            return Value->AsString();
        const std::size_t P = FDisplayFormat.find(';');
        if (Value->AsBoolean())
            return Utf8Prefix(std::string_view(FDisplayFormat).substr(0, P), 255);
        if (P != String::npos)
            return Utf8Prefix(std::string_view(FDisplayFormat).substr(P + 1), 255);
        return String();
    }
    case dtypeDateTime:
        return FNoFormat ? Value->AsString() : DateTimeMask().FormatDateTime(Value->AsDateTime(), FormatSettings());
    default:
        return Value->AsString();
    }
}

TStream* TKivRootFormat::FormatAsStream(TKivData* Value)
{
    const String Text = FormatAsString(Value);
    if (!FReturnStream)
        FReturnStream = std::make_unique<TMemoryStream>();
    FReturnStream->Clear();
    const Byte Bom[2] = {0xFF, 0xFE};
    FReturnStream->WriteBuffer(Bom, 2);
    KivWriteUtf16(FReturnStream.get(), Text);
    FReturnStream->SetPosition(0);
    return FReturnStream.get();
}

TKivFloatFormat::TKivFloatFormat()
{
    FFloatFormat = ffNumber;
    FDigits = 2;
}

QOR_PUBLISH(TKivRootFormat)
{
    b.Property("DisplayFormat", &TKivRootFormat::DisplayFormat, &TKivRootFormat::SetDisplayFormat).Default("");
    b.Property("Width", &TKivRootFormat::Width, &TKivRootFormat::SetWidth).Default(15);
    b.Property("TextCase", &TKivRootFormat::TextCase, &TKivRootFormat::SetTextCase).Default(tcNone);
    b.Property("SuppressNulls", &TKivRootFormat::SuppressNulls, &TKivRootFormat::SetSuppressNulls).Default(false);
    b.Property("UseCurrencyDecimals", &TKivRootFormat::UseCurrencyDecimals, &TKivRootFormat::SetUseCurrencyDecimals)
        .Default(false);
}

QOR_PUBLISH(TKivFormat)
{
    b.Property("FloatFormat", &TKivFormat::FloatFormat, &TKivFormat::SetFloatFormat).Default(ffGeneral);
    b.Property("Digits", &TKivFormat::Digits, &TKivFormat::SetDigits).Default(0);
}

QOR_PUBLISH(TKivFloatFormat)
{
    b.Property("FloatFormat", &TKivFloatFormat::FloatFormat, &TKivFloatFormat::SetFloatFormat).Default(ffNumber);
    b.Property("Digits", &TKivFloatFormat::Digits, &TKivFloatFormat::SetDigits).Default(2);
}

} // namespace qor
