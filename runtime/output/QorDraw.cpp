#include "runtime/output/QorDraw.h"

#include "platform/graphics/Brush.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphic.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorCtrl.h"
#include "runtime/output/QorImg.h"
#include "runtime/output/QorRtfP.h"

#include <memory>

namespace qor {

void TQorDeviceTarget::SetLogFont(TFont* Font, const LOGFONT&)
{
    SelectObject(O.Handle(), O.SelectFont());
    ::qor::SetTextColor(O.Handle(), static_cast<COLORREF>(ColorToRGB(Font->Color())));
}

void TQorDeviceTarget::SetPen(TPen*) { SelectObject(O.Handle(), O.SelectPen()); }

void TQorDeviceTarget::SetBrush(TBrush*)
{
    SelectObject(O.Handle(), O.SelectBrush());
    ::qor::SetBkColor(O.Handle(), O.LogBrush().lbColor);
    SetBkMode(O.Handle(), O.LogBrush().lbStyle == BS_SOLID ? OPAQUE : TRANSPARENT);
}

void TQorDeviceTarget::SetTextAlign(Word Flags) { ::qor::SetTextAlign(O.Handle(), Flags); }

void TQorDeviceTarget::SetBkColor(Integer Color) { ::qor::SetBkColor(O.Handle(), static_cast<COLORREF>(Color)); }

void TQorDeviceTarget::Textout(Integer X, Integer Y, const String& Text)
{
    if (!Text.empty())
        TextOut(O.Handle(), X, Y, Text);
}

void TQorDeviceTarget::MoveTo(Integer X, Integer Y) { MoveToEx(O.Handle(), X, Y); }

void TQorDeviceTarget::LineTo(Integer X, Integer Y) { ::qor::LineTo(O.Handle(), X, Y); }

void TQorDeviceTarget::PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count)
{
    TextOut(O.Handle(), X, Y, Text, Count);
}

void TQorDeviceTarget::ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text,
                                  Word Count)
{
    ExtTextOut(O.Handle(), X, Y, Options, &Rect, Text, Count);
}

void TQorDeviceTarget::TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text)
{
    const Cardinal Options = O.Brush()->Style() == bsClear ? ETO_CLIPPED : ETO_CLIPPED | ETO_OPAQUE;
    ExtTextOut(O.Handle(), X, Y, Options, &Rect, Text);
}

void TQorDeviceTarget::FillRect(const TRect& Rect) { ::qor::FillRect(O.Handle(), Rect, O.SelectBrush()); }

void TQorDeviceTarget::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    ::qor::Rectangle(O.Handle(), X1, Y1, X2, Y2);
}

void TQorDeviceTarget::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    ::qor::RoundRect(O.Handle(), X1, Y1, X2, Y2, X3, Y3);
}

void TQorDeviceTarget::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    ::qor::Ellipse(O.Handle(), X1, Y1, X2, Y2);
}

void TQorDeviceTarget::SetImageColors()
{
    ::qor::SetBkColor(O.Handle(), static_cast<COLORREF>(ColorToRGB(O.Brush()->Color())));
    ::qor::SetTextColor(O.Handle(), static_cast<COLORREF>(ColorToRGB(O.Font()->Color())));
}

void TQorDeviceTarget::Draw(Integer X, Integer Y, TGraphic* Graphic)
{
    SetImageColors();
    QorDrawBitMap(O.Handle(), X, Y, Graphic);
}

void TQorDeviceTarget::StretchDraw(const TRect& Rect, TGraphic* Graphic)
{
    SetImageColors();
    QorStretchDrawBitMap(O.Handle(), Rect, Graphic);
}

void TQorDeviceTarget::ShadeRect(const TRect& Rect, TQorShadePercent Shade) { QorShadeRect(O.Handle(), Rect, Shade); }

void TQorDeviceTarget::TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                                   const TRect& FullRect)
{
    QorTextJustify(O.Handle(), Rect, X, Y, Text, EndParagraph, FullRect);
}

void TQorDeviceTarget::DrawBitmap(Integer X, Integer Y, TStream* Stream)
{
    SetImageColors();
    TQorBitmap Bitmap;
    Stream->SetPosition(0);
    Bitmap.LoadFromStream(Stream);
    Bitmap.Draw(O.Handle(), X, Y);
}

void TQorDeviceTarget::StretchDrawBitmap(const TRect& Rect, TStream* Stream)
{
    SetImageColors();
    TQorBitmap Bitmap;
    Stream->SetPosition(0);
    Bitmap.LoadFromStream(Stream);
    Bitmap.StretchDraw(O.Handle(), Rect);
}

void TQorDeviceTarget::RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont)
{
    TQorRtfDraw Rtf;
    Rtf.SetFont(O.Font());
    Rtf.SetDefaultFont = SetDefFont;
    Rtf.SetRangeStart(StartPos);
    Rtf.SetRangeEnd(EndPos);
    Rtf.SetPixelsPerInchX(O.PixelsPerInchX());
    Rtf.SetPixelsPerInchY(O.PixelsPerInchY());
    Rtf.SetOutRect(Rect);
    Rtf.SetHandle(O.Handle());
    Stream->SetPosition(0);
    Rtf.LoadFromStream(Stream);
    SetImageColors();
    Rtf.Print();
}

void TQorDeviceTarget::DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness)
{
    QorDrawCheckBox(O.Handle(), Rect, CheckStyle, Color, Thickness);
}

void TQorDeviceTarget::DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                                     Integer Y3, Integer X4, Integer Y4)
{
    QorDrawShapeType(O.Handle(), DrawType, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TQorDeviceTarget::DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count)
{
    QorPolyDrawType(O.Handle(), PolyType, Points, Count);
}

void TQorDeviceTarget::PrintBarcode(bool ThreeOfNine, Integer Left, Integer Top, Integer Width, Integer Height,
                                    Integer NarrowWidth, Integer WideWidth, bool Inches, bool Vertical,
                                    const String& BarData)
{
    std::unique_ptr<TQorBarCode> Code = QorNewBarCode(ThreeOfNine);
    Code->NarrowWidth = NarrowWidth;
    Code->WideWidth = WideWidth;
    Code->Vertical = Vertical;
    Code->WidthInInches_1000 = Inches;
    Code->Width = Width;
    Code->Height = Height;
    Code->PrintDC(O.Handle(), O.SelectBrush(), Left, Top, BarData);
}

void TQorDeviceTarget::Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                        Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    PrintBarcode(true, Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

void TQorDeviceTarget::Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                        Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    PrintBarcode(false, Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

} // namespace qor
