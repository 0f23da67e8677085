// The drawing calls of device contexts: lines, shapes, fills, pixels and blits. They map logical
// coordinates to device pixels and leave the drawing to the context's surface.

#include "platform/graphics/Dib.h"
#include "platform/graphics/internal/DeviceContext.h"

#include <algorithm>
#include <limits>
#include <cmath>

namespace qor {

namespace gdi {

bool RopUsesPattern(Cardinal Rop)
{
    return Rop == PATCOPY || Rop == PATPAINT || Rop == PATINVERT || Rop == MERGECOPY;
}

bool RopUsesSource(Cardinal Rop)
{
    return !(Rop == PATCOPY || Rop == PATINVERT || Rop == DSTINVERT || Rop == BLACKNESS || Rop == WHITENESS);
}

namespace {

// Sums and negations of sizes that come from files, held inside Integer's range.
Integer Saturated(Int64 V)
{
    return Integer(std::clamp<Int64>(V, std::numeric_limits<Integer>::min() + 1, std::numeric_limits<Integer>::max()));
}

// A mirrored extent becomes a positive one starting at its other end.
void Unmirror(Integer& At, Integer& Size, Integer& SourceAt, Integer& SourceSize)
{
    At = Saturated(Int64(At) + Size);
    Size = Saturated(-Int64(Size));
    SourceAt = Saturated(Int64(SourceAt) + SourceSize);
    SourceSize = Saturated(-Int64(SourceSize));
}

} // namespace

TBlitCheck PrepareBlit(TBlit& B)
{
    if (RopUsesSource(B.Rop) && (!B.Src.Pixels || B.SW == 0 || B.SH == 0))
        return TBlitCheck::Fail;
    if (B.DW == 0 || B.DH == 0)
        return TBlitCheck::Empty;
    if (B.DW < 0)
        Unmirror(B.DX, B.DW, B.SX, B.SW);
    if (B.DH < 0)
        Unmirror(B.DY, B.DH, B.SY, B.SH);
    return TBlitCheck::Draw;
}

bool TBlit::SourceAt(const TDc& Dc, Integer X, Integer Y, std::uint32_t& Out) const
{
    Int64 sx = SW > 0 ? SX + (Int64(X) * SW) / DW : SX + SW + (Int64(X) * -SW) / DW;
    Int64 sy = SH > 0 ? SY + (Int64(Y) * SH) / DH : SY + SH + (Int64(Y) * -SH) / DH;
    if (SW < 0)
        sx = SX - 1 - (Int64(X) * -SW) / DW;
    if (SH < 0)
        sy = SY - 1 - (Int64(Y) * -SH) / DH;
    if (sx < 0 || sy < 0 || sx >= Src.Width || sy >= Src.Height)
        return false;
    Out = Src.Pixels[std::size_t(sy) * std::size_t(Src.Width) + std::size_t(sx)];
    if (Src.Monochrome && !(Dc.S.Bitmap && Dc.S.Bitmap->Monochrome))
        Out = (Out & 0xFFFFFF) ? ToPixel(Dc.S.BkColor()) : ToPixel(Dc.S.TextColor());
    return true;
}

namespace {

// Blits Src (the sub-rectangle Source, in its own device pixels) into the logical rectangle Dest.
bool BlitTo(TDc& Dc, const TArea& Dest, const TSourcePixels& Src, TPoint SourceAt, TSize SourceSize, Cardinal Rop)
{
    TPoint a = Dc.ToDevice(Dest.X, Dest.Y), b = Dc.ToDevice(Dest.Right(), Dest.Bottom());
    TBlit blit;
    blit.DX = a.X;
    blit.DY = a.Y;
    blit.DW = b.X - a.X;
    blit.DH = b.Y - a.Y;
    blit.Src = Src;
    blit.SX = SourceAt.X;
    blit.SY = SourceAt.Y;
    blit.SW = SourceSize.cx;
    blit.SH = SourceSize.cy;
    blit.Rop = Rop;
    return Dc.Surface->Blit(Dc, blit);
}

} // namespace

// ---- lines and shapes ----------------------------------------------------------------------------

void TDirectCalls::MoveTo(TDc& Dc, TPoint P) { Dc.S.Pos = P; }

bool TDirectCalls::LineTo(TDc& Dc, TPoint P)
{
    std::vector<TPoint> dev{Dc.ToDevice(Dc.S.Pos.X, Dc.S.Pos.Y), Dc.ToDevice(P.X, P.Y)};
    Dc.S.Pos = P;
    if (dev[0] == dev[1])
        return true;
    return Dc.Surface->Polyline(Dc, dev, false);
}

bool TDirectCalls::Polyline(TDc& Dc, const TPoint* Points, Integer Count)
{
    return Dc.Surface->Polyline(Dc, Dc.ToDevice(Points, Count), false);
}

bool TDirectCalls::PolylineTo(TDc& Dc, const TPoint* Points, Integer Count)
{
    std::vector<TPoint> dev{Dc.ToDevice(Dc.S.Pos.X, Dc.S.Pos.Y)};
    for (const TPoint& p : Dc.ToDevice(Points, Count))
        dev.push_back(p);
    Dc.S.Pos = Points[Count - 1];
    return Dc.Surface->Polyline(Dc, dev, false);
}

bool TDirectCalls::Polygon(TDc& Dc, const TPoint* Points, Integer Count)
{
    return Dc.Surface->Polygons(Dc, Dc.ToDevice(Points, Count), &Count, 1);
}

bool TDirectCalls::PolyPolygon(TDc& Dc, const TPoint* Points, const Integer* Counts, Integer PolygonCount)
{
    Integer total = 0;
    for (Integer i = 0; i < PolygonCount; ++i)
        total += Counts[i];
    return Dc.Surface->Polygons(Dc, Dc.ToDevice(Points, total), Counts, PolygonCount);
}

bool TDirectCalls::Shape(TDc& Dc, TShapeKind Kind, const TRect& R, TSize Corner, TPoint Start, TPoint End)
{
    TShapeCall call;
    call.Kind = Kind;
    call.Box = Dc.ToDevice(R);
    call.RadiusX = Dc.LengthX(Corner.cx) / 2.0;
    call.RadiusY = Dc.LengthY(Corner.cy) / 2.0;
    call.Start = Dc.ToDevice(Start.X, Start.Y);
    call.End = Dc.ToDevice(End.X, End.Y);
    return Dc.Surface->Shape(Dc, call);
}

Integer TDirectCalls::FillRect(TDc& Dc, const TRect& R, const TBrushObject& B)
{
    return Dc.Surface->FillRect(Dc, Dc.ToDevice(R), &B) ? 1 : 0;
}

Integer TDirectCalls::FrameRect(TDc& Dc, const TRect& R, const TBrushObject& B)
{
    TRect d = Dc.ToDevice(R);
    if (d.IsEmpty())
        return 1;
    Integer w = std::max<Integer>(1, Dc.LengthX(1)), h = std::max<Integer>(1, Dc.LengthY(1));
    TSurface& s = *Dc.Surface;
    bool ok = s.FillRect(Dc, TRect(d.Left, d.Top, d.Right, std::min(d.Bottom, d.Top + h)), &B) &&
              s.FillRect(Dc, TRect(d.Left, std::max(d.Top, d.Bottom - h), d.Right, d.Bottom), &B) &&
              s.FillRect(Dc, TRect(d.Left, d.Top, std::min(d.Right, d.Left + w), d.Bottom), &B) &&
              s.FillRect(Dc, TRect(std::max(d.Left, d.Right - w), d.Top, d.Right, d.Bottom), &B);
    return ok ? 1 : 0;
}

namespace {

// A blit without a source over the logical rectangle R.
bool BlitWithoutSource(TDc& Dc, const TRect& R, Cardinal Rop)
{
    TRect d = Dc.ToDevice(R);
    TBlit blit;
    blit.DX = d.Left;
    blit.DY = d.Top;
    blit.DW = d.Width();
    blit.DH = d.Height();
    blit.Rop = Rop;
    return Dc.Surface->Blit(Dc, blit);
}

} // namespace

bool TDirectCalls::InvertRect(TDc& Dc, const TRect& R) { return BlitWithoutSource(Dc, R, DSTINVERT); }

bool TDirectCalls::FillRgn(TDc& Dc, const TRegionObject& Region, const TBrushObject& B)
{
    for (const TRect& rc : Region.Rects)
        if (!Dc.Surface->FillRect(Dc, rc, &B))
            return false;
    return true;
}

bool TDirectCalls::PatBlt(TDc& Dc, const TArea& A, Cardinal Rop)
{
    if (RopUsesSource(Rop))
        return false;
    return BlitWithoutSource(Dc, TRect(A.X, A.Y, A.Right(), A.Bottom()), Rop);
}

COLORREF TDirectCalls::SetPixel(TDc& Dc, TPoint P, COLORREF Color)
{
    return Dc.Surface->SetPixel(Dc, Dc.ToDevice(P.X, P.Y), Color);
}

// ---- images --------------------------------------------------------------------------------------

bool TDirectCalls::StretchBlt(TDc& Dc, const TArea& Dest, TDc* Src, const TArea& Source, Cardinal Rop)
{
    TSourcePixels src;
    std::vector<std::uint32_t> snapshot; // the source as it was, when it is also the destination
    TPoint at;
    TSize size;
    if (RopUsesSource(Rop)) {
        if (!Src)
            return false;
        // A source without pixels leaves src empty: the surface decides whether that fails.
        if (const TBitmapObject* bmp = Src->S.Bitmap.get()) {
            src.Pixels = bmp->Pixels.data();
            if (Src->S.Bitmap == Dc.S.Bitmap) {
                snapshot = bmp->Pixels;
                src.Pixels = snapshot.data();
            }
            src.Width = bmp->Width;
            src.Height = bmp->Height;
            src.Monochrome = bmp->Monochrome;
            TPoint a = Src->ToDevice(Source.X, Source.Y),
                   b = Src->ToDevice(Source.Right(), Source.Bottom());
            at = a;
            size = TSize(b.X - a.X, b.Y - a.Y);
        }
    }
    return BlitTo(Dc, Dest, src, at, size, Rop);
}

bool TDirectCalls::StretchDIBits(TDc& Dc, const TArea& Dest, const TArea& Source, const TSourcePixels& Pixels,
                                 Cardinal Rop)
{
    // Source rectangles of bottom-up DIBs count rows from the bottom; those of top-down DIBs from
    // the top. Worked out wide: the values come from files.
    const Int64 Top = Pixels.TopDown ? Int64(Source.Y) : Int64(Pixels.Height) - Source.Y - Source.Height;
    const Integer top = Integer(std::clamp<Int64>(Top, std::numeric_limits<Integer>::min() / 2,
                                                  std::numeric_limits<Integer>::max() / 2));
    return BlitTo(Dc, Dest, Pixels, TPoint(Source.X, top), TSize(Source.Width, Source.Height), Rop);
}

bool TDirectCalls::DrawPixels(TDc& Dc, const TArea& Dest, const TSourcePixels& Pixels)
{
    return BlitTo(Dc, Dest, Pixels, TPoint(0, 0), TSize(Pixels.Width, Pixels.Height), SRCCOPY);
}

} // namespace gdi

using namespace gdi;

bool LineTo(HDC DC, Integer X, Integer Y)
{
    QOR_DC_OR(false);
    return dc->Calls->LineTo(*dc, TPoint(X, Y));
}

bool Polyline(HDC DC, const TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    if (!Points || Count < 2)
        return false;
    return dc->Calls->Polyline(*dc, Points, Count);
}

bool PolylineTo(HDC DC, const TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    if (!Points || Count < 1)
        return false;
    return dc->Calls->PolylineTo(*dc, Points, Count);
}

bool PolyPolygon(HDC DC, const TPoint* Points, const Integer* Counts, Integer PolygonCount)
{
    QOR_DC_OR(false);
    if (!Points || !Counts || PolygonCount <= 0)
        return false;
    for (Integer i = 0; i < PolygonCount; ++i)
        if (Counts[i] < 2)
            return false;
    return dc->Calls->PolyPolygon(*dc, Points, Counts, PolygonCount);
}

bool Polygon(HDC DC, const TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    if (!Points || Count < 2)
        return false;
    return dc->Calls->Polygon(*dc, Points, Count);
}

namespace {

bool DrawShape(HDC DC, TShapeKind Kind, const TRect& R, TSize Corner = TSize(), TPoint Start = TPoint(),
               TPoint End = TPoint())
{
    QOR_DC_OR(false);
    return dc->Calls->Shape(*dc, Kind, R, Corner, Start, End);
}

} // namespace

bool Rectangle(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    return DrawShape(DC, TShapeKind::Rectangle, TRect(Left, Top, Right, Bottom));
}

bool RoundRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Width, Integer Height)
{
    return DrawShape(DC, TShapeKind::RoundRect, TRect(Left, Top, Right, Bottom), TSize(Width, Height));
}

bool Ellipse(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    return DrawShape(DC, TShapeKind::Ellipse, TRect(Left, Top, Right, Bottom));
}

bool Arc(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart, Integer XEnd,
         Integer YEnd)
{
    return DrawShape(DC, TShapeKind::Arc, TRect(Left, Top, Right, Bottom), TSize(), TPoint(XStart, YStart),
                     TPoint(XEnd, YEnd));
}

bool Chord(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart,
           Integer XEnd, Integer YEnd)
{
    return DrawShape(DC, TShapeKind::Chord, TRect(Left, Top, Right, Bottom), TSize(), TPoint(XStart, YStart),
                     TPoint(XEnd, YEnd));
}

bool Pie(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart, Integer XEnd,
         Integer YEnd)
{
    return DrawShape(DC, TShapeKind::Pie, TRect(Left, Top, Right, Bottom), TSize(), TPoint(XStart, YStart),
                     TPoint(XEnd, YEnd));
}

namespace {

std::shared_ptr<TBrushObject> BrushArg(HBRUSH Brush)
{
    // Besides brush handles, the classic interface takes a system colour index + 1.
    if (Brush.Value() >= 1 && Brush.Value() <= std::uintptr_t(COLOR_ENDCOLORS) + 1) {
        auto b = std::make_shared<TBrushObject>();
        b->Log.lbStyle = BS_SOLID;
        b->Log.lbColor = GetSysColor(Integer(Brush.Value()) - 1);
        return b;
    }
    return Find<TBrushObject>(Brush.Value(), OBJ_BRUSH);
}

} // namespace

Integer FillRect(HDC DC, const TRect& R, HBRUSH Brush)
{
    QOR_DC_OR(0);
    auto b = BrushArg(Brush);
    return b ? dc->Calls->FillRect(*dc, R, *b) : 0;
}

Integer FrameRect(HDC DC, const TRect& R, HBRUSH Brush)
{
    QOR_DC_OR(0);
    auto b = BrushArg(Brush);
    return b ? dc->Calls->FrameRect(*dc, R, *b) : 0;
}

bool InvertRect(HDC DC, const TRect& R)
{
    QOR_DC_OR(false);
    return dc->Calls->InvertRect(*dc, R);
}

bool FillRgn(HDC DC, HRGN Region, HBRUSH Brush)
{
    QOR_DC_OR(false);
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    auto b = BrushArg(Brush);
    if (!r || !b)
        return false;
    return dc->Calls->FillRgn(*dc, *r, *b);
}

bool PatBlt(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, Cardinal Rop)
{
    QOR_DC_OR(false);
    return dc->Calls->PatBlt(*dc, TArea{X, Y, Width, Height}, Rop);
}

COLORREF SetPixel(HDC DC, Integer X, Integer Y, COLORREF Color)
{
    QOR_DC_OR(CLR_INVALID);
    return dc->Calls->SetPixel(*dc, TPoint(X, Y), Color);
}

COLORREF GetPixel(HDC DC, Integer X, Integer Y)
{
    QOR_DC_OR(CLR_INVALID);
    if (!dc->S.Bitmap)
        return CLR_INVALID;
    TPoint d = dc->ToDevice(X, Y);
    TBitmapObject& b = *dc->S.Bitmap;
    if (d.X < 0 || d.Y < 0 || d.X >= b.Width || d.Y >= b.Height)
        return CLR_INVALID;
    return ToColorRef(b.Pixels[std::size_t(d.Y) * std::size_t(b.Width) + std::size_t(d.X)]);
}

// ---- images --------------------------------------------------------------------------------------

bool StretchBlt(HDC Dest, Integer X, Integer Y, Integer Width, Integer Height, HDC Src, Integer XSrc, Integer YSrc,
                Integer WidthSrc, Integer HeightSrc, Cardinal Rop)
{
    TDc* dc = FindDc(Dest);
    if (!dc)
        return false;
    TDc* src = RopUsesSource(Rop) ? FindDc(Src) : nullptr;
    return dc->Calls->StretchBlt(*dc, TArea{X, Y, Width, Height}, src, TArea{XSrc, YSrc, WidthSrc, HeightSrc}, Rop);
}

bool BitBlt(HDC Dest, Integer X, Integer Y, Integer Width, Integer Height, HDC Src, Integer XSrc, Integer YSrc,
            Cardinal Rop)
{
    return StretchBlt(Dest, X, Y, Width, Height, Src, XSrc, YSrc, Width, Height, Rop);
}

Integer StretchDIBits(HDC DC, Integer XDest, Integer YDest, Integer DestWidth, Integer DestHeight, Integer XSrc,
                      Integer YSrc, Integer SrcWidth, Integer SrcHeight, const void* Bits, std::size_t BitsSize,
                      const void* Info, std::size_t InfoSize, Cardinal ColorUse, Cardinal Rop)
{
    QOR_DC_OR(0);
    if (!Info || InfoSize == 0)
        return 0;
    TDibImage img;
    std::span<const Byte> info(static_cast<const Byte*>(Info), InfoSize);
    std::span<const Byte> bits;
    if (Bits)
        bits = std::span<const Byte>(static_cast<const Byte*>(Bits), BitsSize);
    TDibHeader header;
    if (!DecodeDib(info, bits, ColorUse, img) || img.Empty() || !ReadDibHeader(info, ColorUse, header))
        return 0;
    TSourcePixels src;
    src.Pixels = img.Pixels.data();
    src.Width = img.Width;
    src.Height = img.Height;
    src.TopDown = header.TopDown;
    if (!dc->Calls->StretchDIBits(*dc, TArea{XDest, YDest, DestWidth, DestHeight},
                                  TArea{XSrc, YSrc, SrcWidth, SrcHeight}, src, Rop))
        return 0;
    return std::abs(SrcHeight);
}

bool DrawPixels(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, const std::uint32_t* Pixels,
                Integer SrcWidth, Integer SrcHeight)
{
    QOR_DC_OR(false);
    if (!Pixels || SrcWidth <= 0 || SrcHeight <= 0)
        return false;
    TSourcePixels src;
    src.Pixels = Pixels;
    src.Width = SrcWidth;
    src.Height = SrcHeight;
    src.Alpha = true;
    return dc->Calls->DrawPixels(*dc, TArea{X, Y, Width, Height}, src);
}

} // namespace qor
