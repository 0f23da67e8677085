#pragma once
// One-dimensional bar codes drawn as filled rectangles on a device context: Code 39 and interleaved
// 2 of 5, running across or down, with element widths in device pixels or thousandths of an inch.
//
// A code is first turned into its element string and then drawn element by element. Code 39 uses
// '1' (wide) and '0' (narrow), bars and spaces alternating within each character, a bar first;
// interleaved 2 of 5 uses '0' narrow bar, '1' narrow space, '2' wide bar, '3' wide space.

#include <memory>

#include "platform/graphics/GdiTypes.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace qor {

class TQorCanvas;

class TQorBarCode : public TObject {
    QOR_CLASS(TQorBarCode, TObject)
public:
    TQorBarCode() = default;

    // The length of the drawn code along its direction, in device pixels.
    virtual Integer BarCodeLength(HDC Handle, const String& Code) = 0;
    // Draws the code on the canvas with its selected brush.
    virtual void Print(TQorCanvas& Canvas, Integer X, Integer Y, const String& Code);
    // Draws the code with its top-left corner at (X, Y), bars filled with Brush.
    virtual void PrintDC(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Code) = 0;

    Integer NarrowWidth = 1;
    Integer WideWidth = 3;
    // True: the code runs downwards and its bars are horizontal strips Width pixels long.
    bool Vertical = false;
    Integer Height = 0; // bar length of a horizontal code, device pixels
    Integer Width = 0;  // bar length of a vertical code, device pixels
    // True: NarrowWidth and WideWidth are thousandths of an inch.
    bool WidthInInches_1000 = false;

protected:
    struct TElementWidths {
        Integer Narrow;
        Integer Wide;
    };
    // Narrow and wide widths in device pixels along the code's direction.
    TElementWidths ElementWidths(HDC Handle) const;
    // Draws an element string; Bar tells which elements are bars, Wide which are wide.
    void DrawElements(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Elements,
                      bool (*Bar)(char, std::size_t), bool (*Wide)(char)) const;
};

class TQor3of9BarCode : public TQorBarCode {
    QOR_CLASS(TQor3of9BarCode, TQorBarCode)
public:
    // The code's characters that have a Code 39 pattern (the others are skipped when drawing).
    static constexpr const char* Characters = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ-. *$/+";

    Integer BarCodeLength(HDC Handle, const String& Code) override;
    void PrintDC(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Code) override;
    // The element string of Code: upper-cased, framed by '*', each drawable character's nine
    // elements and a narrow gap. Empty for an empty code.
    static String Elements(const String& Code);
};

class TQor2of5BarCode : public TQorBarCode {
    QOR_CLASS(TQor2of5BarCode, TQorBarCode)
public:
    Integer BarCodeLength(HDC Handle, const String& Code) override;
    void PrintDC(HDC Handle, HBRUSH Brush, Integer X, Integer Y, const String& Code) override;
    // The element string of Code: start "0101", pairs of digits (a leading '0' when the count is
    // odd), stop "210". Empty when the code is empty or holds anything but the digits 0 to 9.
    static String Elements(const String& Code);
};

// A new bar code of the given kind: 3 of 9 when ThreeOfNine, else 2 of 5 interleaved.
std::unique_ptr<TQorBarCode> QorNewBarCode(bool ThreeOfNine);

} // namespace qor
