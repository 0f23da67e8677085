#include "runtime/output/QorCtrl.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "runtime/output/QorOut.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qor {

QOR_PUBLISH(TQorBarCode) {}
QOR_PUBLISH(TQor3of9BarCode) {}
QOR_PUBLISH(TQor2of5BarCode) {}

namespace {

// The first eight elements of each Code 39 character, bit 7 first (1 = wide), in the order of
// TQor3of9BarCode::Characters. The ninth element is narrow when three of these are wide.
constexpr Byte Code39Patterns[43] = {0x90, 0x30, 0xB0, 0x18, 0x98, 0x38, 0x12, 0x92, 0x32, 0x1A, 0x84,
                                     0x24, 0xA4, 0x0C, 0x8C, 0x2C, 0x06, 0x86, 0x26, 0x0E, 0x81, 0x21,
                                     0xA1, 0x09, 0x89, 0x29, 0x03, 0x83, 0x23, 0x0B, 0xC0, 0x60, 0xE0,
                                     0x48, 0xC8, 0x68, 0x42, 0xC2, 0x62, 0x4A, 0x54, 0x51, 0x45};

// The five elements of each digit 0 to 9, bit 7 down to bit 3 (1 = wide).
constexpr Byte TwoOfFivePatterns[10] = {0x30, 0x88, 0x48, 0xC0, 0x28, 0xA0, 0x60, 0x18, 0x90, 0x50};

bool Code39Bar(char, std::size_t Index) { return Index % 2 == 0; }
bool Code39Wide(char E) { return E == '1'; }
bool TwoOfFiveBar(char E, std::size_t) { return E == '0' || E == '2'; }
bool TwoOfFiveWide(char E) { return E == '2' || E == '3'; }

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

Integer ElementsLength(const String& Elements, bool (*Wide)(char), Integer Narrow, Integer WideWidth)
{
    Int64 Length = 0;
    for (char E : Elements)
        Length += Wide(E) ? WideWidth : Narrow;
    return Integer(std::clamp<Int64>(Length, std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max()));
}

} // namespace

// ---- TQorBarCode --------------------------------------------------------------------------------

void TQorBarCode::Print(TQorCanvas& Canvas, Integer X, Integer Y, const String& Code)
{
    PrintDC(Canvas.Handle(), Canvas.SelectBrush(), X, Y, Code);
}

TQorBarCode::TElementWidths TQorBarCode::ElementWidths(HDC Handle) const
{
    if (!WidthInInches_1000)
        return {NarrowWidth, WideWidth};
    const Integer Resolution = GetDeviceCaps(Handle, Vertical ? LOGPIXELSY : LOGPIXELSX);
    return {MulDiv(NarrowWidth, Resolution, 1000), MulDiv(WideWidth, Resolution, 1000)};
}

void TQorBarCode::DrawElements(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Elements,
                               bool (*Bar)(char, std::size_t), bool (*Wide)(char)) const
{
    const TElementWidths Widths = ElementWidths(Handle);
    for (std::size_t I = 0; I < Elements.size(); ++I) {
        const Integer Size = Wide(Elements[I]) ? Widths.Wide : Widths.Narrow;
        if (Bar(Elements[I], I)) {
            const TRect R = Vertical ? TRect(X, Y, X + Width, Y + Size) : TRect(X, Y, X + Size, Y + Height);
            FillRect(Handle, R, Brush);
        }
        (Vertical ? Y : X) += Size;
    }
}

// ---- Code 39 ------------------------------------------------------------------------------------

String TQor3of9BarCode::Elements(const String& Code)
{
    if (Code.empty())
        return {};
    String Result;
    for (char C : "*" + UpperCase(Code) + "*") {
        const char* Found = C ? std::strchr(Characters, C) : nullptr;
        if (!Found)
            continue; // no pattern: skipped
        const Byte Pattern = Code39Patterns[Found - Characters];
        Integer WideCount = 0;
        for (int Bit = 7; Bit >= 0; --Bit) {
            const bool IsWide = (Pattern >> Bit) & 1;
            WideCount += IsWide;
            Result += IsWide ? '1' : '0';
        }
        Result += WideCount == 3 ? '0' : '1';
        Result += '0'; // the gap between characters
    }
    return Result;
}

Integer TQor3of9BarCode::BarCodeLength(HDC Handle, const String& Code)
{
    const TElementWidths Widths = ElementWidths(Handle);
    return ElementsLength(Elements(Code), Code39Wide, Widths.Narrow, Widths.Wide);
}

void TQor3of9BarCode::PrintDC(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Code)
{
    DrawElements(Handle, Brush, X, Y, Elements(Code), Code39Bar, Code39Wide);
}

// ---- interleaved 2 of 5 -------------------------------------------------------------------------

String TQor2of5BarCode::Elements(const String& Code)
{
    if (Code.empty() || !std::all_of(Code.begin(), Code.end(), IsDigit))
        return {};
    const String Digits = Code.size() % 2 ? "0" + Code : Code;
    String Result = "0101";
    for (std::size_t I = 0; I < Digits.size(); I += 2) {
        const Byte First = TwoOfFivePatterns[Digits[I] - '0'];
        const Byte Second = TwoOfFivePatterns[Digits[I + 1] - '0'];
        for (int Bit = 7; Bit >= 3; --Bit) {
            Result += (First >> Bit) & 1 ? '2' : '0';
            Result += (Second >> Bit) & 1 ? '3' : '1';
        }
    }
    return Result + "210";
}

Integer TQor2of5BarCode::BarCodeLength(HDC Handle, const String& Code)
{
    const TElementWidths Widths = ElementWidths(Handle);
    return ElementsLength(Elements(Code), TwoOfFiveWide, Widths.Narrow, Widths.Wide);
}

void TQor2of5BarCode::PrintDC(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Code)
{
    DrawElements(Handle, Brush, X, Y, Elements(Code), TwoOfFiveBar, TwoOfFiveWide);
}

std::unique_ptr<TQorBarCode> QorNewBarCode(bool ThreeOfNine)
{
    if (ThreeOfNine)
        return std::make_unique<TQor3of9BarCode>();
    return std::make_unique<TQor2of5BarCode>();
}

} // namespace qor
