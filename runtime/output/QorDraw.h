#pragma once
// The drawing target: the one vocabulary of drawing calls that a page is made of. The canvas keeps
// the state (font, pen, brush, resolution) and hands each change and each drawing call to its
// target; playback reads a page's records and makes the same calls on any target. Targets are the
// page-file recorder (TQorQorFile), the export filters (TQorExportFilter), and a device context
// (TQorDeviceTarget here for the canvas on a printer; playback has its own for stored objects).
//
// Coordinates are device units of the target. A target that draws nothing for a call simply does
// nothing; it never sees calls with nothing to draw (an empty graphic or stream).

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "runtime/output/QorUtil.h"

namespace qor {

class TBrush;
class TFont;
class TGraphic;
class TPen;
class TStream;

class IQorDrawTarget {
public:
    virtual ~IQorDrawTarget() = default;

    // ---- state: the canvas's objects after a change ----
    // Font as the canvas holds it and LogFont its description at the canvas's resolution.
    virtual void SetLogFont(TFont* Font, const LOGFONT& LogFont) = 0;
    virtual void SetPen(TPen* Pen) = 0;
    virtual void SetBrush(TBrush* Brush) = 0;
    virtual void SetTextAlign(Word Flags) = 0;
    virtual void SetBkColor(Integer Color) = 0;

    // ---- drawing ----
    virtual void Textout(Integer X, Integer Y, const String& Text) = 0;
    virtual void MoveTo(Integer X, Integer Y) = 0;
    virtual void LineTo(Integer X, Integer Y) = 0;
    virtual void PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count) = 0;
    virtual void ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text,
                            Word Count) = 0;
    virtual void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text) = 0;
    virtual void FillRect(const TRect& Rect) = 0;
    virtual void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) = 0;
    virtual void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) = 0;
    virtual void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) = 0;
    virtual void Draw(Integer X, Integer Y, TGraphic* Graphic) = 0;
    virtual void StretchDraw(const TRect& Rect, TGraphic* Graphic) = 0;
    virtual void ShadeRect(const TRect& Rect, TQorShadePercent Shade) = 0;
    virtual void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                             const TRect& FullRect) = 0;
    virtual void DrawBitmap(Integer X, Integer Y, TStream* Stream) = 0;
    virtual void StretchDrawBitmap(const TRect& Rect, TStream* Stream) = 0;
    virtual void RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont) = 0;
    virtual void DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness) = 0;
    virtual void DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                               Integer Y3, Integer X4, Integer Y4) = 0;
    // Count points (the recorder's and the canvas's own PolyDrawType take the last index instead).
    virtual void DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count) = 0;
    virtual void Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                  Integer WideWidth, bool Inches, bool Vertical, const String& BarData) = 0;
    virtual void Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                  Integer WideWidth, bool Inches, bool Vertical, const String& BarData) = 0;
};

// What a device target draws with: the device context and the objects of the canvas's current
// descriptions (made on first reading).
class IQorDeviceObjects {
public:
    virtual ~IQorDeviceObjects() = default;
    virtual HDC Handle() const = 0;
    virtual TFont* Font() const = 0;
    virtual TBrush* Brush() const = 0;
    virtual const LOGBRUSH& LogBrush() const = 0;
    virtual Integer PixelsPerInchX() const = 0;
    virtual Integer PixelsPerInchY() const = 0;
    virtual HFONT SelectFont() = 0;
    virtual HPEN SelectPen() = 0;
    virtual HBRUSH SelectBrush() = 0;
};

// Draws each call at once on the device context of Objects, with Objects' font, pen and brush.
class TQorDeviceTarget final : public IQorDrawTarget {
public:
    explicit TQorDeviceTarget(IQorDeviceObjects& Objects) : O(Objects) {}

    void SetLogFont(TFont* Font, const LOGFONT& LogFont) override;
    void SetPen(TPen* Pen) override;
    void SetBrush(TBrush* Brush) override;
    void SetTextAlign(Word Flags) override;
    void SetBkColor(Integer Color) override;
    void Textout(Integer X, Integer Y, const String& Text) override;
    void MoveTo(Integer X, Integer Y) override;
    void LineTo(Integer X, Integer Y) override;
    void PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count) override;
    void ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count) override;
    void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text) override;
    void FillRect(const TRect& Rect) override;
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) override;
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
    void Draw(Integer X, Integer Y, TGraphic* Graphic) override;
    void StretchDraw(const TRect& Rect, TGraphic* Graphic) override;
    void ShadeRect(const TRect& Rect, TQorShadePercent Shade) override;
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override;
    void DrawBitmap(Integer X, Integer Y, TStream* Stream) override;
    void StretchDrawBitmap(const TRect& Rect, TStream* Stream) override;
    void RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont) override;
    void DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness) override;
    void DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3,
                       Integer X4, Integer Y4) override;
    void DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count) override;
    void Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;
    void Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;

private:
    // Background and text colours from brush and font, for images and rich text.
    void SetImageColors();
    void PrintBarcode(bool ThreeOfNine, Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                      Integer WideWidth, bool Inches, bool Vertical, const String& BarData);

    IQorDeviceObjects& O;
};

} // namespace qor
