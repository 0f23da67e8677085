#include "platform/ui/ControlPaint.h"

#include <algorithm>

namespace qor {

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopLeft, TColor BottomRight, Integer Width)
{
    TBrush* brush = Canvas->Brush();
    const TColor oldColor = brush->Color();
    const TBrushStyle oldStyle = brush->Style();
    brush->SetStyle(bsSolid);
    for (Integer i = 0; i < Width && Rect.Width() > 0 && Rect.Height() > 0; ++i) {
        brush->SetColor(TopLeft);
        Canvas->FillRect(qor::Rect(Rect.Left, Rect.Top, Rect.Right, Rect.Top + 1));
        Canvas->FillRect(qor::Rect(Rect.Left, Rect.Top, Rect.Left + 1, Rect.Bottom));
        brush->SetColor(BottomRight);
        Canvas->FillRect(qor::Rect(Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom));
        Canvas->FillRect(qor::Rect(Rect.Right - 1, Rect.Top, Rect.Right, Rect.Bottom));
        Rect.Left += 1;
        Rect.Top += 1;
        Rect.Right = std::max(Rect.Left, Rect.Right - 1);
        Rect.Bottom = std::max(Rect.Top, Rect.Bottom - 1);
    }
    brush->SetColor(oldColor);
    brush->SetStyle(oldStyle);
}

void DrawButtonFace(TCanvas* Canvas, TRect& Rect, bool Down, bool IsDefault)
{
    if (IsDefault)
        Frame3D(Canvas, Rect, clWindowFrame, clWindowFrame, 1);
    if (Down) {
        Frame3D(Canvas, Rect, clBtnShadow, clBtnShadow, 1);
    } else {
        Frame3D(Canvas, Rect, clBtnHighlight, cl3DDkShadow, 1);
        Frame3D(Canvas, Rect, clBtnFace, clBtnShadow, 1);
    }
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clBtnFace);
    Canvas->FillRect(Rect);
}

void DrawSunkenFrame(TCanvas* Canvas, TRect& Rect)
{
    Frame3D(Canvas, Rect, clBtnShadow, clBtnHighlight, 1);
    Frame3D(Canvas, Rect, cl3DDkShadow, clBtnFace, 1);
}

void DrawScrollBar(TCanvas* Canvas, const TRect& R, bool Horizontal, Integer Position, Integer Max, Integer Page)
{
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(cl3DLight);
    Canvas->FillRect(R);
    const Integer length = Horizontal ? R.Width() : R.Height();
    const Integer thick = Horizontal ? R.Height() : R.Width();
    const Integer button = std::min(thick, length / 2);
    auto part = [&](Integer From, Integer Size) {
        return Horizontal ? Bounds(R.Left + From, R.Top, Size, R.Height()) : Bounds(R.Left, R.Top + From, R.Width(), Size);
    };
    auto arrow = [&](TRect B, bool Forward) {
        DrawButtonFace(Canvas, B, false);
        const Integer cx = (B.Left + B.Right) / 2, cy = (B.Top + B.Bottom) / 2;
        Canvas->Pen()->SetColor(clBtnText);
        Canvas->Brush()->SetColor(clBtnText);
        if (Horizontal) {
            const Integer d = Forward ? 2 : -2;
            const TPoint p[] = {Point(cx - d, cy - 4), Point(cx - d, cy + 4), Point(cx + d, cy)};
            Canvas->Polygon(p);
        } else {
            const Integer d = Forward ? 2 : -2;
            const TPoint p[] = {Point(cx - 4, cy - d), Point(cx + 4, cy - d), Point(cx, cy + d)};
            Canvas->Polygon(p);
        }
    };
    arrow(part(0, button), false);
    arrow(part(length - button, button), true);
    const Integer track = length - 2 * button;
    if (track <= 0 || Max <= 0)
        return;
    const Integer thumb = std::clamp(static_cast<Integer>(static_cast<Int64>(track) * Page / (Max + Page)), 8, track);
    const Integer at = static_cast<Integer>(static_cast<Int64>(track - thumb) * std::clamp(Position, 0, Max) / Max);
    TRect t = part(button + at, thumb);
    DrawButtonFace(Canvas, t, false);
}

String StripAccelerator(const String& Caption)
{
    String out;
    out.reserve(Caption.size());
    for (size_t i = 0; i < Caption.size(); ++i) {
        if (Caption[i] == '&') {
            if (i + 1 < Caption.size() && Caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += Caption[i];
    }
    return out;
}

void DrawCaption(TCanvas* Canvas, const TRect& Rect, const String& Text, Cardinal Flags, bool NoPrefix)
{
    const String shown = NoPrefix ? Text : StripAccelerator(Text);
    if (shown.empty())
        return;
    const TSize size = Canvas->TextExtent(shown);
    Integer x = Rect.Left;
    if (Flags & DT_CENTER)
        x = Rect.Left + (Rect.Width() - size.cx) / 2;
    else if (Flags & DT_RIGHT)
        x = Rect.Right - size.cx;
    Integer y = Rect.Top;
    if (Flags & DT_VCENTER)
        y = Rect.Top + (Rect.Height() - size.cy) / 2;
    const TBrushStyle oldStyle = Canvas->Brush()->Style();
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextRect(Rect, x, y, shown);
    Canvas->Brush()->SetStyle(oldStyle);
}

} // namespace qor
