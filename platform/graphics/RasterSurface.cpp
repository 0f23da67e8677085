// The raster surface: contexts drawing into a bitmap (memory, screen and stand-alone raster
// contexts). One-pixel lines, blits and the raster operations work on the pixels themselves;
// shapes, fills and text go through a painter over the bitmap.

#include "platform/graphics/Screen.h"
#include "platform/graphics/internal/PainterSurface.h"
#include "platform/rtl/QtHost.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace qor {

namespace gdi {

namespace {

std::uint32_t Rop2Apply(Integer Rop, std::uint32_t Pen, std::uint32_t Dst)
{
    std::uint32_t p = Pen & 0xFFFFFF, d = Dst & 0xFFFFFF, r;
    switch (Rop) {
    case R2_BLACK: r = 0; break;
    case R2_NOTMERGEPEN: r = ~(p | d); break;
    case R2_MASKNOTPEN: r = ~p & d; break;
    case R2_NOTCOPYPEN: r = ~p; break;
    case R2_MASKPENNOT: r = p & ~d; break;
    case R2_NOT: r = ~d; break;
    case R2_XORPEN: r = p ^ d; break;
    case R2_NOTMASKPEN: r = ~(p & d); break;
    case R2_MASKPEN: r = p & d; break;
    case R2_NOTXORPEN: r = ~(p ^ d); break;
    case R2_NOP: r = d; break;
    case R2_MERGENOTPEN: r = ~p | d; break;
    case R2_MERGEPENNOT: r = p | ~d; break;
    case R2_MERGEPEN: r = p | d; break;
    case R2_WHITE: r = 0xFFFFFF; break;
    default: r = p; break;
    }
    return 0xFF000000u | (r & 0xFFFFFF);
}

QPainter::CompositionMode Rop2Mode(Integer Rop)
{
    switch (Rop) {
    case R2_BLACK: return QPainter::RasterOp_ClearDestination;
    case R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
    case R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
    case R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
    case R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
    case R2_NOT: return QPainter::RasterOp_NotDestination;
    case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
    case R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
    case R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
    case R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
    case R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
    case R2_MERGEPENNOT: return QPainter::RasterOp_SourceOrNotDestination;
    case R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
    case R2_WHITE: return QPainter::RasterOp_SetDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// Combines source, pattern and destination for the raster operations we support.
std::uint32_t RopApply(Cardinal Rop, std::uint32_t S, std::uint32_t P, std::uint32_t D)
{
    std::uint32_t s = S & 0xFFFFFF, p = P & 0xFFFFFF, d = D & 0xFFFFFF, r;
    switch (Rop) {
    case SRCCOPY: r = s; break;
    case SRCPAINT: r = s | d; break;
    case SRCAND: r = s & d; break;
    case SRCINVERT: r = s ^ d; break;
    case SRCERASE: r = s & ~d; break;
    case NOTSRCCOPY: r = ~s; break;
    case NOTSRCERASE: r = ~(s | d); break;
    case MERGECOPY: r = s & p; break;
    case MERGEPAINT: r = ~s | d; break;
    case PATCOPY: r = p; break;
    case PATPAINT: r = p | ~s | d; break;
    case PATINVERT: r = p ^ d; break;
    case DSTINVERT: r = ~d; break;
    case BLACKNESS: r = 0; break;
    case WHITENESS: r = 0xFFFFFF; break;
    default: r = s; break;
    }
    return 0xFF000000u | (r & 0xFFFFFF);
}

// Colour of a brush at a device pixel; false for a null brush or a transparent pattern pixel.
bool BrushPixel(const TDc& Dc, const TBrushObject* B, const QImage& Pattern, Integer X, Integer Y, std::uint32_t& Out)
{
    if (!B || B->Log.lbStyle == BS_NULL)
        return false;
    if (B->Log.lbStyle == BS_SOLID) {
        Out = ToPixel(B->UsesDCColor ? Dc.S.DCBrushColor() : B->Log.lbColor);
        return true;
    }
    QRgb v = Pattern.pixel(((X % 8) + 8) % 8, ((Y % 8) + 8) % 8);
    if (qAlpha(v) == 0)
        return false;
    Out = 0xFF000000u | v;
    return true;
}

// Writes pixels of a raster context honouring the visible area.
class TPixelWriter {
public:
    explicit TPixelWriter(const TDc& Dc) : FBmp(Dc.S.Bitmap.get()), FRects(Dc.VisibleRects())
    {
        for (const TRect& r : FRects)
            UnionRect(FBox, FBox, r);
    }
    bool Visible(Integer X, Integer Y) const
    {
        if (!FBox.Contains({X, Y}))
            return false;
        if (FRects.size() == 1)
            return true;
        for (const TRect& r : FRects)
            if (r.Contains({X, Y}))
                return true;
        return false;
    }
    std::uint32_t& At(Integer X, Integer Y) { return FBmp->Pixels[std::size_t(Y) * std::size_t(FBmp->Width) + X]; }
    const TRect& Box() const { return FBox; }
    // Fills the pixels of R that are visible.
    void Fill(const TRect& R, std::uint32_t Value)
    {
        for (const TRect& v : FRects) {
            TRect x;
            if (!IntersectRect(x, v, R))
                continue;
            for (Integer y = x.Top; y < x.Bottom; ++y)
                std::fill_n(&At(x.Left, y), x.Width(), Value);
        }
    }

private:
    TBitmapObject* FBmp;
    std::vector<TRect> FRects;
    TRect FBox;
};

// Cuts a very long line A-B down to the part near the box (Liang-Barsky); false when none is left.
bool ClipLongLine(const TRect& Box, TPoint& A, TPoint& B)
{
    TRect box = Box;
    InflateRect(box, 2, 2);
    Double t0 = 0, t1 = 1;
    const Double dx = Double(B.X) - A.X, dy = Double(B.Y) - A.Y;
    auto clip = [&](Double P, Double Q) {
        if (P == 0)
            return Q >= 0;
        Double r = Q / P;
        if (P < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!(clip(-dx, A.X - box.Left) && clip(dx, box.Right - A.X) && clip(-dy, A.Y - box.Top) &&
          clip(dy, box.Bottom - A.Y)))
        return false;
    const TPoint a0 = A;
    A = TPoint(ClampCoord(a0.X + t0 * dx), ClampCoord(a0.Y + t0 * dy));
    B = TPoint(ClampCoord(a0.X + t1 * dx), ClampCoord(a0.Y + t1 * dy));
    return A != B;
}

// A one-pixel line from A to B in device pixels, without B.
void RasterLine(const TDc& Dc, TPixelWriter& W, TPoint A, TPoint B, COLORREF Color, Cardinal Style, Integer& DashPos)
{
    const std::vector<Integer>& pattern = DashPattern(Style);
    Integer period = 0;
    for (Integer v : pattern)
        period += v;
    const std::uint32_t pen = ToPixel(Color), bk = ToPixel(Dc.S.BkColor());
    const bool opaqueGaps = Dc.S.BkMode() == OPAQUE;
    const Integer rop = Dc.S.Rop2();
    // A very long line: walk only the part near the visible area.
    if (std::max<Int64>(std::abs(Int64(B.X) - A.X), std::abs(Int64(B.Y) - A.Y)) > 4096 &&
        !ClipLongLine(W.Box(), A, B))
        return;
    if (period == 0 && rop == R2_COPYPEN && (A.X == B.X || A.Y == B.Y)) {
        // Solid horizontal and vertical lines: the start point in, the end point out.
        TRect span = A.Y == B.Y ? (A.X < B.X ? TRect(A.X, A.Y, B.X, A.Y + 1) : TRect(B.X + 1, A.Y, A.X + 1, A.Y + 1))
                                : (A.Y < B.Y ? TRect(A.X, A.Y, A.X + 1, B.Y) : TRect(A.X, B.Y + 1, A.X + 1, A.Y + 1));
        W.Fill(span, pen);
        return;
    }
    Integer dx = std::abs(B.X - A.X), dy = -std::abs(B.Y - A.Y);
    Integer sx = A.X < B.X ? 1 : -1, sy = A.Y < B.Y ? 1 : -1;
    Integer err = dx + dy;
    Integer x = A.X, y = A.Y;
    while (!(x == B.X && y == B.Y)) {
        bool on = true;
        if (period > 0) {
            Integer p = DashPos % period, acc = 0;
            for (std::size_t i = 0; i < pattern.size(); ++i) {
                acc += pattern[i];
                if (p < acc) {
                    on = (i % 2) == 0;
                    break;
                }
            }
            ++DashPos;
        }
        if ((on || opaqueGaps) && W.Visible(x, y)) {
            std::uint32_t& px = W.At(x, y);
            px = Rop2Apply(rop, on ? pen : bk, px);
        }
        Integer e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

// Alpha-blends a source pixel over a destination pixel.
std::uint32_t Blend(std::uint32_t S, std::uint32_t D)
{
    const std::uint32_t a = S >> 24;
    auto mix = [&](int Shift) {
        return ((((S >> Shift) & 0xFF) * a + ((D >> Shift) & 0xFF) * (255 - a) + 127) / 255) << Shift;
    };
    return mix(16) | mix(8) | mix(0);
}

class TRasterSurface final : public TPainterSurface {
public:
    ~TRasterSurface() override { Release(); }

    TSize Size(const TDc& Dc) const override
    {
        if (Dc.S.Bitmap)
            return {Dc.S.Bitmap->Width, Dc.S.Bitmap->Height};
        return {Dc.Width, Dc.Height};
    }
    TSize ReportedSize(const TDc& Dc) const override
    {
        // The screen context answers with the screen's size, not that of its 1 x 1 bitmap.
        if (!Dc.Memory && Dc.Width > 0 && Dc.S.Bitmap && Dc.S.Bitmap->Width == 1 && Dc.S.Bitmap->Height == 1)
            return {Dc.Width, Dc.Height};
        return Size(Dc);
    }
    void Release() override
    {
        if (FPainter && FPainter->isActive())
            FPainter->end();
    }

    COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) override;

protected:
    bool DrawBlit(TDc& Dc, const TBlit& B) override;
    QPainter* Painter(TDc& Dc) override;
    void SetMix(QPainter& P, Integer Rop2) override { P.setCompositionMode(Rop2Mode(Rop2)); }
    bool ExactOutline(TDc& Dc, const std::vector<TPoint>& Points, bool Closed, const TPenInfo& Pen) override;

private:
    std::unique_ptr<QImage> FImage;
    std::unique_ptr<QPainter> FPainter;
    std::shared_ptr<TBitmapObject> FPainterBitmap; // kept alive while the painter draws into it
};

QPainter* TRasterSurface::Painter(TDc& Dc)
{
    TBitmapObject* bmp = Dc.S.Bitmap.get();
    if (!bmp || bmp->Pixels.empty())
        return nullptr;
    if (FPainter && FPainterBitmap.get() == bmp && FPainter->isActive())
        return FPainter.get();
    if (FPainter && FPainter->isActive())
        FPainter->end();
    EnsureQtApplication();
    FImage = std::make_unique<QImage>(reinterpret_cast<uchar*>(bmp->Pixels.data()), bmp->Width, bmp->Height,
                                      bmp->Width * 4, QImage::Format_RGB32);
    if (!FPainter)
        FPainter = std::make_unique<QPainter>();
    FPainter->begin(FImage.get());
    FPainter->setRenderHint(QPainter::Antialiasing, false);
    FPainter->setRenderHint(QPainter::TextAntialiasing, true);
    FPainterBitmap = Dc.S.Bitmap;
    return FPainter.get();
}

bool TRasterSurface::ExactOutline(TDc& Dc, const std::vector<TPoint>& Points, bool Closed, const TPenInfo& Pen)
{
    if (!Pen.Cosmetic)
        return false;
    TPixelWriter w(Dc);
    Integer dash = 0;
    for (std::size_t i = 0; i + 1 < Points.size(); ++i)
        RasterLine(Dc, w, Points[i], Points[i + 1], Pen.Color, Pen.Style, dash);
    if (Closed && Points.size() > 1)
        RasterLine(Dc, w, Points.back(), Points.front(), Pen.Color, Pen.Style, dash);
    return true;
}

COLORREF TRasterSurface::SetPixel(TDc& Dc, TPoint P, COLORREF Color)
{
    if (!Painter(Dc))
        return CLR_INVALID;
    TPixelWriter w(Dc);
    if (!w.Visible(P.X, P.Y))
        return CLR_INVALID;
    w.At(P.X, P.Y) = ToPixel(Color);
    return Color & 0xFFFFFF;
}

bool TRasterSurface::DrawBlit(TDc& Dc, const TBlit& B)
{
    if (!Painter(Dc))
        return false;
    const Cardinal rop = B.Rop;
    const bool useSrc = RopUsesSource(rop), usePattern = RopUsesPattern(rop);
    const TBrushObject* brush = Dc.S.Brush.get();
    QImage pattern;
    if (usePattern && brush && brush->Log.lbStyle != BS_SOLID && brush->Log.lbStyle != BS_NULL)
        pattern = PatternImage(Dc, *brush);
    TBitmapObject& bmp = *Dc.S.Bitmap;
    const bool destMono = bmp.Monochrome;
    const std::uint32_t bkPx = ToPixel(Dc.S.BkColor());
    const TRect dest(B.DX, B.DY, B.DX + B.DW, B.DY + B.DH);
    // A constant result (solid fills, blackness, whiteness) fills whole rows.
    bool constant = false;
    std::uint32_t constValue = 0;
    if (rop == BLACKNESS || rop == WHITENESS) {
        constant = true;
        constValue = rop == BLACKNESS ? 0xFF000000u : 0xFFFFFFFFu;
    } else if (rop == PATCOPY && brush && brush->Log.lbStyle == BS_SOLID) {
        constant = true;
        constValue = ToPixel(brush->UsesDCColor ? Dc.S.DCBrushColor() : brush->Log.lbColor);
    }
    if (constant && destMono)
        constValue = (constValue & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFFu : 0xFF000000u;
    for (const TRect& vis : Dc.VisibleRects()) {
        TRect area;
        if (!IntersectRect(area, vis, dest))
            continue;
        for (Integer py = area.Top; py < area.Bottom; ++py) {
            std::uint32_t* row = bmp.Pixels.data() + std::size_t(py) * std::size_t(bmp.Width);
            if (constant) {
                if (constValue == 0xFFFFFFFFu)
                    std::memset(row + area.Left, 0xFF, std::size_t(area.Width()) * 4);
                else
                    std::fill(row + area.Left, row + area.Right, constValue);
                continue;
            }
            for (Integer px = area.Left; px < area.Right; ++px) {
                std::uint32_t s = 0, pat = 0;
                if (useSrc) {
                    if (!B.SourceAt(Dc, px - B.DX, py - B.DY, s))
                        continue;
                    if (B.Src.Alpha && rop == SRCCOPY) {
                        if ((s >> 24) == 0)
                            continue;
                        if ((s >> 24) != 255)
                            s = Blend(s, row[px]);
                    }
                }
                if (usePattern && !BrushPixel(Dc, brush, pattern, px, py, pat))
                    continue;
                std::uint32_t out = RopApply(rop, s, pat, row[px]);
                if (destMono)
                    out = (out & 0xFFFFFF) == (bkPx & 0xFFFFFF) || (out & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFFu
                                                                                              : 0xFF000000u;
                row[px] = out;
            }
        }
    }
    return true;
}

// A raster context: Bitmap is what it draws into (its device size is Width x Height).
std::unique_ptr<TDc> MakeRasterDc(Integer PixelsPerInch, std::shared_ptr<TBitmapObject> Bitmap, Integer Width,
                                  Integer Height)
{
    auto dc = std::make_unique<TDc>(std::make_unique<TRasterSurface>(), std::make_unique<TDirectCalls>());
    dc->Ppi = PixelsPerInch;
    dc->S.Bitmap = std::move(Bitmap);
    dc->Width = Width;
    dc->Height = Height;
    return dc;
}

std::shared_ptr<TBitmapObject> WhiteBitmap(Integer Width, Integer Height)
{
    auto bmp = std::make_shared<TBitmapObject>();
    bmp->Width = Width;
    bmp->Height = Height;
    bmp->Pixels.assign(std::size_t(Width) * std::size_t(Height), 0xFFFFFFFFu);
    return bmp;
}

} // namespace

} // namespace gdi

using namespace gdi;

HDC CreateRasterDC(Integer Width, Integer Height, Integer PixelsPerInch)
{
    if (Width <= 0 || Height <= 0 || Int64(Width) * Height > (Int64(1) << 28) || PixelsPerInch <= 0)
        return HDC();
    return AddDc(MakeRasterDc(PixelsPerInch, WhiteBitmap(Width, Height), Width, Height));
}

HDC CreateScreenDC()
{
    TSize sz = ScreenSizeInPixels();
    return AddDc(MakeRasterDc(ScreenPixelsPerInch(), WhiteBitmap(1, 1), sz.cx, sz.cy));
}

HDC CreateCompatibleDC(HDC DC)
{
    Integer ppi = DC ? GetDeviceCaps(DC, LOGPIXELSY) : ScreenPixelsPerInch();
    if (ppi <= 0)
        ppi = ScreenPixelsPerInch();
    auto dc = MakeRasterDc(ppi, Find<TBitmapObject>(StockHandle(DEFAULT_BITMAP), OBJ_BITMAP), 1, 1);
    dc->Memory = true;
    dc->S.BitmapHandle = StockHandle(DEFAULT_BITMAP);
    return AddDc(std::move(dc));
}

} // namespace qor
