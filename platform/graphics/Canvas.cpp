#include "platform/graphics/Canvas.h"

#include "platform/graphics/Graphic.h"

namespace qor {

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    FFont->OnChange = [this](TObject*) { FFontValid = false; };
    FPen->OnChange = [this](TObject*) { FPenValid = false; };
    FBrush->OnChange = [this](TObject*) { FBrushValid = false; };
}

TCanvas::~TCanvas()
{
    FFont->OnChange = nullptr;
    FPen->OnChange = nullptr;
    FBrush->OnChange = nullptr;
    SetHandle(HDC());
}

void TCanvas::DeselectHandles()
{
    if (FHandle && (FFontValid || FPenValid || FBrushValid)) {
        SelectObject(FHandle, GetStockObject(SYSTEM_FONT));
        SelectObject(FHandle, GetStockObject(BLACK_PEN));
        SelectObject(FHandle, GetStockObject(HOLLOW_BRUSH));
    }
    FFontValid = FPenValid = FBrushValid = false;
}

void TCanvas::SetHandle(HDC Value)
{
    if (Value == FHandle)
        return;
    DeselectHandles();
    FHandle = Value;
}

HDC TCanvas::Handle()
{
    if (!FHandle)
        CreateHandle();
    if (!FHandle)
        throw EInvalidOperation("Canvas does not allow drawing");
    return FHandle;
}

void TCanvas::Refresh() { DeselectHandles(); }

void TCanvas::RequireFont()
{
    HDC dc = Handle();
    if (FFontValid)
        return;
    SelectObject(dc, FFont->Handle());
    SetTextColor(dc, COLORREF(ColorToRGB(FFont->Color())));
    FFontValid = true;
}

void TCanvas::RequirePen()
{
    HDC dc = Handle();
    if (FPenValid)
        return;
    SelectObject(dc, FPen->Handle());
    SetROP2(dc, PenModeToRop2(FPen->Mode()));
    FPenValid = true;
}

void TCanvas::RequireBrush()
{
    HDC dc = Handle();
    if (FBrushValid)
        return;
    SelectObject(dc, FBrush->Handle());
    SetBkColor(dc, COLORREF(ColorToRGB(FBrush->Color())));
    SetBkMode(dc, FBrush->Style() == bsSolid ? OPAQUE : TRANSPARENT);
    FBrushValid = true;
}

void TCanvas::StartShape()
{
    Changing();
    RequirePen();
    RequireBrush();
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

TPoint TCanvas::PenPos()
{
    TPoint p;
    GetCurrentPositionEx(Handle(), p);
    return p;
}

void TCanvas::MoveTo(Integer X, Integer Y) { MoveToEx(Handle(), X, Y, nullptr); }

void TCanvas::LineTo(Integer X, Integer Y)
{
    StartShape();
    qor::LineTo(Handle(), X, Y);
    Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    StartShape();
    qor::Rectangle(Handle(), X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    StartShape();
    qor::RoundRect(Handle(), X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    StartShape();
    qor::Ellipse(Handle(), X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    StartShape();
    qor::Arc(Handle(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    StartShape();
    qor::Chord(Handle(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    StartShape();
    qor::Pie(Handle(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> Points)
{
    StartShape();
    qor::Polygon(Handle(), Points.data(), Integer(Points.size()));
    Changed();
}

void TCanvas::Polyline(std::span<const TPoint> Points)
{
    StartShape();
    qor::Polyline(Handle(), Points.data(), Integer(Points.size()));
    Changed();
}

void TCanvas::FillRect(const TRect& R)
{
    Changing();
    RequireBrush();
    qor::FillRect(Handle(), R, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& R)
{
    Changing();
    RequireBrush();
    qor::FrameRect(Handle(), R, FBrush->Handle());
    Changed();
}

void TCanvas::TextOut(Integer X, Integer Y, const String& Text)
{
    Changing();
    RequireFont();
    RequireBrush();
    qor::TextOut(Handle(), X, Y, Text);
    Changed();
}

void TCanvas::TextRect(const TRect& R, Integer X, Integer Y, const String& Text)
{
    Changing();
    RequireFont();
    RequireBrush();
    Cardinal options = ETO_CLIPPED;
    if (FBrush->Style() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOut(Handle(), X, Y, options, &R, Text);
    Changed();
}

TSize TCanvas::TextExtent(const String& Text)
{
    RequireFont();
    TSize s;
    GetTextExtentPoint32(Handle(), Text, s);
    return s;
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    Changing();
    RequireFont();
    RequireBrush();
    Graphic->DrawTo(Handle(), Rect(X, Y, X + Graphic->Width(), Y + Graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    Changing();
    RequireFont();
    RequireBrush();
    Graphic->DrawTo(Handle(), R);
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect)
{
    if (!Source)
        return;
    Changing();
    RequireBrush();
    Source->RequireFont();
    Source->RequireBrush();
    StretchBlt(Handle(), Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Source->Handle(), SourceRect.Left,
               SourceRect.Top, SourceRect.Width(), SourceRect.Height(), FCopyMode);
    Changed();
}

TColor TCanvas::Pixel(Integer X, Integer Y)
{
    COLORREF c = GetPixel(Handle(), X, Y);
    return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixel(Integer X, Integer Y, TColor Color)
{
    Changing();
    qor::SetPixel(Handle(), X, Y, COLORREF(ColorToRGB(Color)));
    Changed();
}

TRect TCanvas::ClipRect()
{
    TRect r;
    GetClipBox(Handle(), r);
    return r;
}

QOR_PUBLISH(TCanvas) {}

} // namespace qor
