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
    RequireFont();
    RequirePen();
    RequireBrush();
    return FHandle;
}

HDC TCanvas::RequireHandle()
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
    HDC dc = RequireHandle();
    if (FFontValid)
        return;
    SelectObject(dc, FFont->Handle());
    SetTextColor(dc, COLORREF(ColorToRGB(FFont->Color())));
    FFontValid = true;
}

void TCanvas::RequirePen()
{
    HDC dc = RequireHandle();
    if (FPenValid)
        return;
    SelectObject(dc, FPen->Handle());
    SetROP2(dc, PenModeToRop2(FPen->Mode()));
    FPenValid = true;
}

void TCanvas::RequireBrush()
{
    HDC dc = RequireHandle();
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
    GetCurrentPositionEx(RequireHandle(), p);
    return p;
}

void TCanvas::MoveTo(Integer X, Integer Y) { MoveToEx(RequireHandle(), X, Y, nullptr); }

void TCanvas::LineTo(Integer X, Integer Y)
{
    StartShape();
    qor::LineTo(RequireHandle(), X, Y);
    Changed();
}

void TCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    StartShape();
    qor::Rectangle(RequireHandle(), X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    StartShape();
    qor::RoundRect(RequireHandle(), X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    StartShape();
    qor::Ellipse(RequireHandle(), X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    StartShape();
    qor::Arc(RequireHandle(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    StartShape();
    qor::Chord(RequireHandle(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    StartShape();
    qor::Pie(RequireHandle(), X1, Y1, X2, Y2, X3, Y3, X4, Y4);
    Changed();
}

void TCanvas::Polygon(std::span<const TPoint> Points)
{
    StartShape();
    qor::Polygon(RequireHandle(), Points.data(), Integer(Points.size()));
    Changed();
}

void TCanvas::Polyline(std::span<const TPoint> Points)
{
    StartShape();
    qor::Polyline(RequireHandle(), Points.data(), Integer(Points.size()));
    Changed();
}

void TCanvas::FillRect(const TRect& R)
{
    Changing();
    RequireBrush();
    qor::FillRect(RequireHandle(), R, FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& R)
{
    Changing();
    RequireBrush();
    qor::FrameRect(RequireHandle(), R, FBrush->Handle());
    Changed();
}

void TCanvas::TextOut(Integer X, Integer Y, const String& Text)
{
    Changing();
    RequireFont();
    RequireBrush();
    qor::TextOut(RequireHandle(), X, Y, Text);
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
    ExtTextOut(RequireHandle(), X, Y, options, &R, Text);
    Changed();
}

TSize TCanvas::TextExtent(const String& Text)
{
    RequireFont();
    TSize s;
    GetTextExtentPoint32(RequireHandle(), Text, s);
    return s;
}

void TCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    Changing();
    RequireFont();
    RequireBrush();
    Graphic->DrawTo(RequireHandle(), Rect(X, Y, X + Graphic->Width(), Y + Graphic->Height()));
    Changed();
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    Changing();
    RequireFont();
    RequireBrush();
    Graphic->DrawTo(RequireHandle(), R);
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
    StretchBlt(RequireHandle(), Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Source->Handle(), SourceRect.Left,
               SourceRect.Top, SourceRect.Width(), SourceRect.Height(), FCopyMode);
    Changed();
}

TColor TCanvas::Pixel(Integer X, Integer Y)
{
    COLORREF c = GetPixel(RequireHandle(), X, Y);
    return c == CLR_INVALID ? clNone : TColor(c);
}

void TCanvas::SetPixel(Integer X, Integer Y, TColor Color)
{
    Changing();
    qor::SetPixel(RequireHandle(), X, Y, COLORREF(ColorToRGB(Color)));
    Changed();
}

TRect TCanvas::ClipRect()
{
    TRect r;
    GetClipBox(RequireHandle(), r);
    return r;
}

QOR_PUBLISH(TCanvas) {}

} // namespace qor
