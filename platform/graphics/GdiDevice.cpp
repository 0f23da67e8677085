// Device contexts: state, coordinate mapping, clipping and the drawing calls, over three backends
// (raster bitmap, PDF document, recording log).

#include "platform/graphics/Dib.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/internal/GdiObjects.h"
#include "platform/graphics/internal/PrinterDriverSink.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/QtHost.h"

#include <QFile>
#include <QGlyphRun>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QRawFont>
#include <QRegion>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <numbers>

// Logs a call on recording contexts; the text is only built for them.
#define QOR_REC(dc, ...)                        \
    do {                                        \
        if ((dc)->Recording())                  \
            (dc)->Log.push_back(__VA_ARGS__);   \
    } while (0)

namespace qor {

using namespace gdi;

namespace {

enum class TDcKind { Raster, Pdf, Recording };

// Device coordinates are kept well inside 32 bits, so sums and sizes of them cannot overflow.
constexpr Double CoordLimit = 1 << 28;
Integer ClampCoord(Double V) { return Integer(std::floor(std::clamp(V, -CoordLimit, CoordLimit) + 0.5)); }

constexpr Integer PdfWriterResolution = 1200;

std::uint32_t ToPixel(COLORREF C)
{
    return 0xFF000000u | (std::uint32_t(GetRValue(C)) << 16) | (std::uint32_t(GetGValue(C)) << 8) | GetBValue(C);
}
COLORREF ToColorRef(std::uint32_t P) { return RGB(Byte(P >> 16), Byte(P >> 8), Byte(P)); }
QColor ToQColor(COLORREF C) { return QColor(GetRValue(C), GetGValue(C), GetBValue(C)); }

String Fmt(const char* F, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, F);
    std::vsnprintf(buf, sizeof buf, F, ap);
    va_end(ap);
    return buf;
}

String Quote(const std::u32string& Cps)
{
    String s = "\"";
    for (char32_t c : Cps) {
        if (c == '"' || c == '\\') {
            s += '\\';
            s += char(c);
        } else if (c < 0x20)
            s += Fmt("\\x%02X", unsigned(c));
        else
            s += FromCodePoints(std::u32string(1, c));
    }
    return s + "\"";
}

String RectText(const TRect& R) { return Fmt("%d,%d,%d,%d", R.Left, R.Top, R.Right, R.Bottom); }

String DescribeObject(const TObjectBase& O)
{
    switch (O.Type) {
    case OBJ_FONT: {
        const LOGFONT& l = static_cast<const TFontObject&>(O).Log;
        return Fmt("Font \"%s\" h=%d w=%d esc=%d i=%d u=%d s=%d", FaceNameOf(l).c_str(), l.lfHeight, l.lfWeight,
                   l.lfEscapement, l.lfItalic, l.lfUnderline, l.lfStrikeOut);
    }
    case OBJ_PEN: {
        const LOGPEN& l = static_cast<const TPenObject&>(O).Log;
        return Fmt("Pen style=%u width=%d color=$%06X", l.lopnStyle, l.lopnWidth.X, l.lopnColor);
    }
    case OBJ_BRUSH: {
        const LOGBRUSH& l = static_cast<const TBrushObject&>(O).Log;
        return Fmt("Brush style=%u color=$%06X hatch=%u", l.lbStyle, l.lbColor,
                   l.lbStyle == BS_HATCHED ? l.lbHatch : 0u);
    }
    case OBJ_BITMAP: {
        const auto& b = static_cast<const TBitmapObject&>(O);
        return Fmt("Bitmap %dx%d%s", b.Width, b.Height, b.Monochrome ? " mono" : "");
    }
    case OBJ_PAL: return "Palette";
    case OBJ_REGION: return "Region";
    default: return "Object";
    }
}

struct TDcState {
    std::shared_ptr<TFontObject> Font;
    std::shared_ptr<TPenObject> Pen;
    std::shared_ptr<TBrushObject> Brush;
    std::shared_ptr<TBitmapObject> Bitmap;
    std::shared_ptr<TPaletteObject> Palette;
    std::uintptr_t FontHandle = 0, PenHandle = 0, BrushHandle = 0, BitmapHandle = 0, PaletteHandle = 0;
    COLORREF TextColor = RGB(0, 0, 0);
    COLORREF BkColor = RGB(255, 255, 255);
    Integer BkMode = OPAQUE;
    Cardinal TextAlign = TA_LEFT | TA_TOP;
    Integer Rop2 = R2_COPYPEN;
    Integer StretchMode = BLACKONWHITE;
    Integer CharExtra = 0;
    COLORREF DCBrushColor = RGB(255, 255, 255);
    COLORREF DCPenColor = RGB(0, 0, 0);
    TPoint Pos; // logical
    Integer MapMode = MM_TEXT;
    TPoint WinOrg, VpOrg;
    TSize WinExt{1, 1}, VpExt{1, 1};
    bool HasClip = false;
    std::vector<TRect> Clip; // device units
};

std::atomic<Integer> NextJobId{1};

struct TDc {
    TDcKind Kind = TDcKind::Raster;
    bool Memory = false;
    bool Printer = false;
    Integer Ppi = 96;
    Integer Width = 0, Height = 0; // device size of recording and screen contexts
    TDcState S;
    std::vector<TDcState> Saved;
    std::map<Integer, Integer> Caps;
    std::shared_ptr<IPrinterDriverSink> Sink;
    std::vector<String> Log;
    // font realized for the current font and mapping
    // Held, not just pointed at: a font freed and another made at its address must not pass for it.
    std::shared_ptr<const TFontObject> RealizedFor;
    Integer RealizedHeight = 0;
    std::shared_ptr<TFontInstance> Realized;
    // raster
    std::unique_ptr<QImage> Image;
    std::unique_ptr<QPainter> Painter;
    std::shared_ptr<TBitmapObject> PainterBitmap; // kept alive while the painter draws into it
    // pdf
    String FileName;
    TPdfPageFormat NextFormat, PageFormat;
    std::unique_ptr<QPdfWriter> Writer;
    bool PageOpen = false;
    bool PdfBegun = false;

    ~TDc()
    {
        if (Painter && Painter->isActive())
            Painter->end();
    }

    bool Recording() const { return Kind == TDcKind::Recording; }

    // ---- coordinates ----
    Double ScaleX() const { return Double(S.VpExt.cx) / Double(S.WinExt.cx); }
    Double ScaleY() const { return Double(S.VpExt.cy) / Double(S.WinExt.cy); }
    bool Identity() const { return S.MapMode == MM_TEXT || (S.VpExt.cx == S.WinExt.cx && S.VpExt.cy == S.WinExt.cy); }
    TPoint ToDevice(Integer X, Integer Y) const
    {
        if (Identity())
            return {ClampCoord(Double(X) - S.WinOrg.X + S.VpOrg.X), ClampCoord(Double(Y) - S.WinOrg.Y + S.VpOrg.Y)};
        return {ClampCoord((Double(X) - S.WinOrg.X) * ScaleX() + S.VpOrg.X),
                ClampCoord((Double(Y) - S.WinOrg.Y) * ScaleY() + S.VpOrg.Y)};
    }
    TPoint ToLogical(Integer X, Integer Y) const
    {
        if (Identity())
            return {ClampCoord(Double(X) - S.VpOrg.X + S.WinOrg.X), ClampCoord(Double(Y) - S.VpOrg.Y + S.WinOrg.Y)};
        return {ClampCoord((Double(X) - S.VpOrg.X) / ScaleX() + S.WinOrg.X),
                ClampCoord((Double(Y) - S.VpOrg.Y) / ScaleY() + S.WinOrg.Y)};
    }
    TRect ToDevice(const TRect& R) const
    {
        TPoint a = ToDevice(R.Left, R.Top), b = ToDevice(R.Right, R.Bottom);
        return TRect(a, b).Normalized();
    }
    Integer LengthX(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L * ScaleX())); }
    Integer LengthY(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L * ScaleY())); }
    Integer ToLogicalX(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L / ScaleX())); }
    Integer ToLogicalY(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L / ScaleY())); }

    void SetFixedMapping()
    {
        // Metric and English modes: window units of a fixed size, y upwards.
        Integer units = 0;
        switch (S.MapMode) {
        case MM_LOMETRIC: units = 254; break;
        case MM_HIMETRIC: units = 2540; break;
        case MM_LOENGLISH: units = 100; break;
        case MM_HIENGLISH: units = 1000; break;
        case MM_TWIPS: units = 1440; break;
        default: return;
        }
        S.WinExt = TSize(units, units);
        S.VpExt = TSize(Ppi, -Ppi);
    }
    void AdjustIsotropic()
    {
        if (S.MapMode != MM_ISOTROPIC)
            return;
        Double sx = std::abs(ScaleX()), sy = std::abs(ScaleY());
        if (sx == sy)
            return;
        if (sx > sy)
            S.VpExt.cx = Integer(std::copysign(std::floor(std::abs(Double(S.WinExt.cx)) * sy + 0.5), S.VpExt.cx));
        else
            S.VpExt.cy = Integer(std::copysign(std::floor(std::abs(Double(S.WinExt.cy)) * sx + 0.5), S.VpExt.cy));
        if (S.VpExt.cx == 0)
            S.VpExt.cx = 1;
        if (S.VpExt.cy == 0)
            S.VpExt.cy = 1;
    }

    // ---- device ----
    TSize DeviceSize() const
    {
        if (Kind == TDcKind::Raster && S.Bitmap)
            return {S.Bitmap->Width, S.Bitmap->Height};
        if (Kind == TDcKind::Pdf) {
            const TPdfPageFormat& f = PageOpen ? PageFormat : NextFormat;
            return {PrintableWidth(f), PrintableHeight(f)};
        }
        return {Width, Height};
    }
    static Integer PaperPixels(Double Points, Integer Res) { return Integer(std::floor(Points * Res / 72.0 + 0.5)); }
    static Integer PrintableWidth(const TPdfPageFormat& F)
    {
        return F.PrintableWidth > 0 ? F.PrintableWidth
                                    : std::max<Integer>(0, PaperPixels(F.PaperWidthPoints, F.Resolution) - 2 * F.OffsetX);
    }
    static Integer PrintableHeight(const TPdfPageFormat& F)
    {
        return F.PrintableHeight > 0
                   ? F.PrintableHeight
                   : std::max<Integer>(0, PaperPixels(F.PaperHeightPoints, F.Resolution) - 2 * F.OffsetY);
    }

    // The visible area in device pixels: the device bounds and the clip region.
    std::vector<TRect> VisibleRects() const
    {
        TSize sz = DeviceSize();
        TRect bounds(0, 0, sz.cx, sz.cy);
        if (!S.HasClip)
            return {bounds};
        std::vector<TRect> out;
        for (const TRect& r : S.Clip) {
            TRect x;
            if (IntersectRect(x, r, bounds))
                out.push_back(x);
        }
        return out;
    }

    // ---- fonts ----
    TFontInstance& Font()
    {
        const TFontObject* f = S.Font.get();
        Integer h = f->Log.lfHeight;
        Integer devH = Identity() ? h : (h < 0 ? -LengthY(-h) : LengthY(h));
        if (!Realized || RealizedFor.get() != f || RealizedHeight != devH) {
            Integer em = EmPixelsFor(f->Log, devH, Recording());
            Realized = RealizeFont(f->Log, em, Recording());
            RealizedFor = S.Font;
            RealizedHeight = devH;
        }
        return *Realized;
    }

    // ---- painting ----
    QPainter* Paint();
    void ApplyClip(QPainter& P, const TRect* Extra = nullptr);
    bool BeginPdfPage();
    void EndPdfPage();
};

struct TDcTable {
    std::mutex Lock;
    std::unordered_map<std::uintptr_t, std::unique_ptr<TDc>> Dcs;
};

TDcTable& Dcs()
{
    static TDcTable* t = new TDcTable;
    return *t;
}

TDc* FindDc(HDC DC)
{
    if (!DC)
        return nullptr;
    TDcTable& t = Dcs();
    std::lock_guard<std::mutex> g(t.Lock);
    auto it = t.Dcs.find(DC.Value());
    return it == t.Dcs.end() ? nullptr : it->second.get();
}

std::shared_ptr<TBitmapObject> OneByOneMono()
{
    return Find<TBitmapObject>(StockHandle(DEFAULT_BITMAP), OBJ_BITMAP);
}

HDC AddDc(std::unique_ptr<TDc> Dc)
{
    TDcState& s = Dc->S;
    s.Font = Find<TFontObject>(StockHandle(SYSTEM_FONT), OBJ_FONT);
    s.FontHandle = StockHandle(SYSTEM_FONT);
    s.Pen = Find<TPenObject>(StockHandle(BLACK_PEN), OBJ_PEN);
    s.PenHandle = StockHandle(BLACK_PEN);
    s.Brush = Find<TBrushObject>(StockHandle(WHITE_BRUSH), OBJ_BRUSH);
    s.BrushHandle = StockHandle(WHITE_BRUSH);
    s.Palette = Find<TPaletteObject>(StockHandle(DEFAULT_PALETTE), OBJ_PAL);
    s.PaletteHandle = StockHandle(DEFAULT_PALETTE);
    std::uintptr_t h = NewHandleValue();
    TDcTable& t = Dcs();
    std::lock_guard<std::mutex> g(t.Lock);
    t.Dcs.emplace(h, std::move(Dc));
    return HDC(h);
}

QPainter* TDc::Paint()
{
    if (Kind == TDcKind::Raster) {
        TBitmapObject* bmp = S.Bitmap.get();
        if (!bmp || bmp->Pixels.empty())
            return nullptr;
        if (Painter && PainterBitmap.get() == bmp && Painter->isActive())
            return Painter.get();
        if (Painter && Painter->isActive())
            Painter->end();
        EnsureQtApplication();
        Image = std::make_unique<QImage>(reinterpret_cast<uchar*>(bmp->Pixels.data()), bmp->Width, bmp->Height,
                                         bmp->Width * 4, QImage::Format_RGB32);
        if (!Painter)
            Painter = std::make_unique<QPainter>();
        Painter->begin(Image.get());
        Painter->setRenderHint(QPainter::Antialiasing, false);
        Painter->setRenderHint(QPainter::TextAntialiasing, true);
        PainterBitmap = S.Bitmap;
        return Painter.get();
    }
    if (Kind == TDcKind::Pdf) {
        if (!PageOpen && !BeginPdfPage())
            return nullptr;
        return Painter.get();
    }
    return nullptr;
}

void TDc::ApplyClip(QPainter& P, const TRect* Extra)
{
    std::vector<TRect> rects = VisibleRects();
    if (Extra) {
        rects = RegionCombine(rects, {*Extra}, RGN_AND);
    }
    QRegion region;
    for (const TRect& r : rects)
        region += QRect(r.Left, r.Top, r.Width(), r.Height());
    P.setClipRegion(region);
}

bool TDc::BeginPdfPage()
{
    if (!Writer)
        return false;
    PageFormat = NextFormat;
    QPageSize size(QSizeF(PageFormat.PaperWidthPoints, PageFormat.PaperHeightPoints), QPageSize::Point, QString(),
                   QPageSize::ExactMatch);
    Writer->setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    if (!PdfBegun) {
        if (!Painter)
            Painter = std::make_unique<QPainter>();
        if (!Painter->begin(Writer.get()))
            return false;
        PdfBegun = true;
    } else if (!Writer->newPage())
        return false;
    Painter->resetTransform();
    Double scale = Double(PdfWriterResolution) / Double(std::max<Integer>(1, PageFormat.Resolution));
    Painter->scale(scale, scale);
    Painter->translate(PageFormat.OffsetX, PageFormat.OffsetY);
    Painter->setRenderHint(QPainter::Antialiasing, true);
    PageOpen = true;
    return true;
}

void TDc::EndPdfPage() { PageOpen = false; }

// ---- raster pixel operations -------------------------------------------------------------------

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

// Writes pixels of a raster context honouring the visible area.
class TPixelWriter {
public:
    explicit TPixelWriter(TDc& Dc) : FBmp(Dc.S.Bitmap.get()), FRects(Dc.VisibleRects())
    {
        for (const TRect& r : FRects)
            UnionRect(FBox, FBox, r);
    }
    bool Valid() const { return FBmp && !FBmp->Pixels.empty(); }
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
    const std::vector<TRect>& Rects() const { return FRects; }
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

// The classic dash patterns of one-pixel pens, in pixels (on, off, ...).
const std::vector<Integer>& DashPattern(Cardinal Style)
{
    static const std::vector<Integer> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3}, none;
    switch (Style) {
    case PS_DASH: return dash;
    case PS_DOT: return dot;
    case PS_DASHDOT: return dashDot;
    case PS_DASHDOTDOT: return dashDotDot;
    default: return none;
    }
}

// A one-pixel line from A to B in device pixels, without B.
void RasterLine(TDc& Dc, TPixelWriter& W, TPoint A, TPoint B, COLORREF Color, Cardinal Style, Integer& DashPos)
{
    const std::vector<Integer>& pattern = DashPattern(Style);
    Integer period = 0;
    for (Integer v : pattern)
        period += v;
    const std::uint32_t pen = ToPixel(Color), bk = ToPixel(Dc.S.BkColor);
    const bool opaqueGaps = Dc.S.BkMode == OPAQUE;
    const Integer rop = Dc.S.Rop2;
    if (std::max<Int64>(std::abs(Int64(B.X) - A.X), std::abs(Int64(B.Y) - A.Y)) > 4096) {
        // A very long line: walk only the part near the visible area.
        TRect box = W.Box();
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
            return;
        const TPoint a0 = A;
        A = TPoint(ClampCoord(a0.X + t0 * dx), ClampCoord(a0.Y + t0 * dy));
        B = TPoint(ClampCoord(a0.X + t1 * dx), ClampCoord(a0.Y + t1 * dy));
        if (A == B)
            return;
    }
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

// ---- pens and brushes for the painter ------------------------------------------------------------

struct TPenInfo {
    bool Null = true;
    Integer Width = 1; // device pixels
    Cardinal Style = PS_SOLID;
    COLORREF Color = 0;
    bool Cosmetic = true; // one pixel wide
};

TPenInfo PenInfo(TDc& Dc)
{
    TPenInfo info;
    const TPenObject* p = Dc.S.Pen.get();
    if (!p || p->Log.lopnStyle == PS_NULL)
        return info;
    info.Null = false;
    info.Color = p->UsesDCColor ? Dc.S.DCPenColor : p->Log.lopnColor;
    info.Width = std::max<Integer>(1, Dc.LengthX(p->Log.lopnWidth.X));
    info.Cosmetic = info.Width <= 1;
    info.Style = p->Log.lopnStyle;
    if (!info.Cosmetic && info.Style != PS_INSIDEFRAME)
        info.Style = PS_SOLID; // styled pens are solid when wider than one pixel
    return info;
}

QImage PatternImage(TDc& Dc, const TBrushObject& B)
{
    QImage img(8, 8, QImage::Format_ARGB32);
    if (B.Log.lbStyle == BS_HATCHED) {
        img.fill(Dc.S.BkMode == OPAQUE ? ToPixel(Dc.S.BkColor) : 0u);
        const std::uint32_t c = ToPixel(B.Log.lbColor);
        for (Integer i = 0; i < 8; ++i) {
            switch (B.Log.lbHatch) {
            case HS_HORIZONTAL: img.setPixel(i, 0, c); break;
            case HS_VERTICAL: img.setPixel(0, i, c); break;
            case HS_FDIAGONAL: img.setPixel(i, i, c); break;
            case HS_BDIAGONAL: img.setPixel(7 - i, i, c); break;
            case HS_CROSS:
                img.setPixel(i, 0, c);
                img.setPixel(0, i, c);
                break;
            case HS_DIAGCROSS:
                img.setPixel(i, i, c);
                img.setPixel(7 - i, i, c);
                break;
            default: break;
            }
        }
    } else if (B.Pattern) {
        for (Integer y = 0; y < 8; ++y)
            for (Integer x = 0; x < 8; ++x) {
                std::uint32_t v = B.Pattern->Pixels[std::size_t(y * 8 + x)];
                if (B.Pattern->Monochrome)
                    v = (v & 0xFFFFFF) ? ToPixel(Dc.S.BkColor) : ToPixel(Dc.S.TextColor);
                img.setPixel(x, y, 0xFF000000u | v);
            }
    }
    return img;
}

QBrush MakeBrush(TDc& Dc, const TBrushObject* B)
{
    if (!B || B->Log.lbStyle == BS_NULL)
        return Qt::NoBrush;
    if (B->Log.lbStyle == BS_SOLID)
        return QBrush(ToQColor(B->UsesDCColor ? Dc.S.DCBrushColor : B->Log.lbColor));
    return QBrush(PatternImage(Dc, *B));
}

// Colour of a brush at a device pixel (for raster blits); false for a null brush.
bool BrushPixel(TDc& Dc, const TBrushObject* B, const QImage* Pattern, Integer X, Integer Y, std::uint32_t& Out)
{
    if (!B || B->Log.lbStyle == BS_NULL)
        return false;
    if (B->Log.lbStyle == BS_SOLID) {
        Out = ToPixel(B->UsesDCColor ? Dc.S.DCBrushColor : B->Log.lbColor);
        return true;
    }
    QRgb v = Pattern->pixel(((X % 8) + 8) % 8, ((Y % 8) + 8) % 8);
    if (qAlpha(v) == 0)
        return false;
    Out = 0xFF000000u | v;
    return true;
}

// Draws a shape: Fill (device coordinates, edges as given) with the brush, then Outline with the pen.
// Outline coordinates are pixel-centre paths. Raster one-pixel outlines of polygons go through
// RasterLine for exact pixels (OutlinePoints, closed or open).
struct TShape {
    QPainterPath Fill;
    QPainterPath Outline;
    std::vector<TPoint> OutlinePoints; // raster one-pixel outline, when set
    bool ClosedOutline = true;
};

bool DrawShape(TDc& Dc, const TShape& Shape, bool UseBrush)
{
    if (Dc.Recording())
        return true;
    QPainter* p = Dc.Paint();
    if (!p)
        return false;
    if (Dc.S.Rop2 == R2_NOP)
        return true;
    TPenInfo pen = PenInfo(Dc);
    Dc.ApplyClip(*p);
    const bool raster = Dc.Kind == TDcKind::Raster;
    p->setCompositionMode(raster ? Rop2Mode(Dc.S.Rop2) : QPainter::CompositionMode_SourceOver);
    if (UseBrush && !Shape.Fill.isEmpty()) {
        QBrush b = MakeBrush(Dc, Dc.S.Brush.get());
        if (b.style() != Qt::NoBrush) {
            p->setBrushOrigin(0, 0);
            p->fillPath(Shape.Fill, b);
        }
    }
    if (pen.Null)
        return true;
    if (raster && pen.Cosmetic && !Shape.OutlinePoints.empty()) {
        TPixelWriter w(Dc);
        Integer dash = 0;
        const auto& pts = Shape.OutlinePoints;
        for (std::size_t i = 0; i + 1 < pts.size(); ++i)
            RasterLine(Dc, w, pts[i], pts[i + 1], pen.Color, pen.Style, dash);
        if (Shape.ClosedOutline && pts.size() > 1)
            RasterLine(Dc, w, pts.back(), pts.front(), pen.Color, pen.Style, dash);
        return true;
    }
    QPen qp(ToQColor(pen.Color));
    qp.setWidthF(pen.Width);
    qp.setCosmetic(false);
    if (pen.Cosmetic) {
        qp.setCapStyle(Qt::FlatCap);
        qp.setJoinStyle(Qt::MiterJoin);
        if (!DashPattern(pen.Style).empty()) {
            QList<qreal> dashes;
            for (Integer v : DashPattern(pen.Style))
                dashes << qreal(v);
            qp.setDashPattern(dashes);
        }
    } else {
        qp.setCapStyle(Qt::RoundCap);
        qp.setJoinStyle(Qt::RoundJoin);
    }
    p->strokePath(Shape.Outline, qp);
    return true;
}

QPainterPath PolyPath(const TPoint* Pts, Integer Count, Double Offset, bool Close)
{
    QPainterPath path;
    for (Integer i = 0; i < Count; ++i) {
        QPointF q(Pts[i].X + Offset, Pts[i].Y + Offset);
        if (i == 0)
            path.moveTo(q);
        else
            path.lineTo(q);
    }
    if (Close && Count > 0)
        path.closeSubpath();
    return path;
}

// The outline rectangle of a shape drawn in the device box B (pen centred, or inside for PS_INSIDEFRAME).
QRectF OutlineRect(const TRect& B, const TPenInfo& Pen)
{
    Double inset = Pen.Style == PS_INSIDEFRAME ? Pen.Width / 2.0 : 0.5;
    return QRectF(B.Left + inset, B.Top + inset, std::max(0.0, B.Width() - 2 * inset),
                  std::max(0.0, B.Height() - 2 * inset));
}

// Angle in degrees (counter-clockwise, y up) of P around the centre of R.
Double RadialAngle(const QRectF& R, Double X, Double Y)
{
    Double cx = R.center().x(), cy = R.center().y();
    if (X == cx && Y == cy)
        return 0;
    // Stretch to a circle so the angle is the ellipse's parameter angle along that ray.
    Double w = std::max(R.width(), 1e-9), h = std::max(R.height(), 1e-9);
    return std::atan2(-(Y - cy) / h, (X - cx) / w) * 180.0 / std::numbers::pi;
}

enum class TArcKind { Arc, Chord, Pie };

bool DrawArcShape(HDC DC, TArcKind Kind, Integer L, Integer T, Integer R, Integer B, Integer X1, Integer Y1,
                  Integer X2, Integer Y2)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return false;
    static const char* names[] = {"Arc", "Chord", "Pie"};
    QOR_REC(dc, Fmt("%s(%d,%d,%d,%d,%d,%d,%d,%d)", names[int(Kind)], L, T, R, B, X1, Y1, X2, Y2));
    if (dc->Recording())
        return true;
    TRect box = dc->ToDevice(TRect(L, T, R, B));
    TPoint s = dc->ToDevice(X1, Y1), e = dc->ToDevice(X2, Y2);
    TPenInfo pen = PenInfo(*dc);
    QRectF fillR(box.Left, box.Top, box.Width(), box.Height());
    QRectF lineR = OutlineRect(box, pen);
    Double a1 = RadialAngle(fillR, s.X, s.Y), a2 = RadialAngle(fillR, e.X, e.Y);
    Double span = a2 - a1;
    if (span <= 0)
        span += 360;
    auto build = [&](const QRectF& r) {
        QPainterPath path;
        if (Kind == TArcKind::Pie) {
            path.moveTo(r.center());
            path.arcTo(r, a1, span);
            path.closeSubpath();
        } else {
            path.arcMoveTo(r, a1);
            path.arcTo(r, a1, span);
            if (Kind == TArcKind::Chord)
                path.closeSubpath();
        }
        return path;
    };
    TShape shape;
    if (Kind != TArcKind::Arc)
        shape.Fill = build(fillR);
    shape.Outline = build(lineR);
    return DrawShape(*dc, shape, Kind != TArcKind::Arc);
}

// ---- text ----------------------------------------------------------------------------------------

struct TTextRun {
    std::u32string Cps;
    std::vector<Integer> Adv; // device pixels
    Integer Width = 0;
};

TTextRun MeasureRun(TDc& Dc, std::u32string Cps, const Integer* Dx, const WideChar* Units, Integer UnitCount)
{
    TTextRun run;
    run.Cps = std::move(Cps);
    TFontInstance& f = Dc.Font();
    Integer extra = Dc.S.CharExtra ? Dc.LengthX(Dc.S.CharExtra) : 0;
    run.Adv.reserve(run.Cps.size());
    Integer unit = 0;
    for (char32_t c : run.Cps) {
        Integer a;
        Integer units = c >= 0x10000 ? 2 : 1;
        if (Dx) {
            a = 0;
            for (Integer k = 0; k < units && unit + k < UnitCount; ++k)
                a += Dc.LengthX(Dx[unit + k]);
        } else
            a = f.Advance(c) + extra;
        unit += units;
        run.Adv.push_back(a);
        run.Width += a;
    }
    (void)Units;
    return run;
}

bool DrawTextRun(TDc& Dc, Integer X, Integer Y, Cardinal Options, const TRect* Rect, TTextRun& Run,
                 const String& Logged)
{
    QOR_REC(&Dc, Logged);
    TFontInstance& font = Dc.Font();
    const TEXTMETRIC& tm = font.Metrics();
    const Cardinal align = Dc.S.TextAlign;
    const bool updateCp = (align & TA_UPDATECP) != 0;
    TPoint refLogical = updateCp ? Dc.S.Pos : TPoint(X, Y);
    TPoint ref = Dc.ToDevice(refLogical.X, refLogical.Y);
    const Integer esc = Dc.S.Font->Log.lfEscapement;
    const Double angle = esc / 10.0;
    const Double rad = angle * std::numbers::pi / 180.0;

    Integer startX; // along the baseline, relative to ref
    switch (align & TA_CENTER) {
    case TA_RIGHT: startX = -Run.Width; break;
    case TA_CENTER: startX = -(Run.Width / 2); break;
    default: startX = 0; break;
    }
    Integer baseY; // relative to ref, downwards
    switch (align & TA_BASELINE) {
    case TA_BASELINE: baseY = 0; break;
    case TA_BOTTOM: baseY = -tm.tmDescent; break;
    default: baseY = tm.tmAscent; break;
    }
    if (updateCp) {
        Integer move = 0;
        if ((align & TA_CENTER) == TA_LEFT)
            move = Run.Width;
        else if ((align & TA_CENTER) == TA_RIGHT)
            move = -Run.Width;
        Integer mx = Integer(std::lround(move * std::cos(rad))), my = Integer(std::lround(-move * std::sin(rad)));
        TPoint np = Dc.ToLogical(ref.X + mx, ref.Y + my);
        Dc.S.Pos = np;
    }
    if (Dc.Recording())
        return true;
    QPainter* p = Dc.Paint();
    if (!p)
        return false;
    TRect clipRect;
    bool clipped = false;
    if (Rect)
        clipRect = Dc.ToDevice(*Rect);
    if ((Options & ETO_CLIPPED) && Rect)
        clipped = true;
    Dc.ApplyClip(*p, clipped ? &clipRect : nullptr);
    p->setCompositionMode(Dc.Kind == TDcKind::Raster ? Rop2Mode(R2_COPYPEN) : QPainter::CompositionMode_SourceOver);
    if ((Options & ETO_OPAQUE) && Rect) {
        // The rectangle is filled without the text clip of ETO_CLIPPED (it is the same rectangle).
        p->fillRect(QRect(clipRect.Left, clipRect.Top, clipRect.Width(), clipRect.Height()), ToQColor(Dc.S.BkColor));
    }
    p->save();
    p->setRenderHint(QPainter::TextAntialiasing, Dc.S.Font->Log.lfQuality != NONANTIALIASED_QUALITY);
    p->translate(ref.X, ref.Y);
    if (esc != 0)
        p->rotate(-angle);
    if (Dc.S.BkMode == OPAQUE && Run.Width > 0)
        p->fillRect(QRect(startX, baseY - tm.tmAscent, Run.Width, tm.tmHeight), ToQColor(Dc.S.BkColor));
    if (!Run.Cps.empty() && font.Raw()) {
        // One run per face: the font's own and the fallback for characters it lacks.
        QList<quint32> glyphs[2];
        QList<QPointF> positions[2];
        Integer x = startX;
        for (std::size_t i = 0; i < Run.Cps.size(); ++i) {
            char32_t c = Run.Cps[i];
            if (c != U' ' && c != U'\t' && c >= 0x20) {
                bool fallback = false;
                std::uint32_t g = font.Glyph(c, &fallback);
                glyphs[fallback].push_back(g);
                positions[fallback].push_back(QPointF(x, baseY));
            }
            x += Run.Adv[i];
        }
        p->setPen(ToQColor(Dc.S.TextColor));
        for (int k = 0; k < 2; ++k) {
            QRawFont* face = k == 0 ? font.Raw() : font.Fallback();
            if (glyphs[k].isEmpty() || !face)
                continue;
            QGlyphRun gr;
            gr.setRawFont(*face);
            gr.setGlyphIndexes(glyphs[k]);
            gr.setPositions(positions[k]);
            p->drawGlyphRun(QPointF(0, 0), gr);
        }
    }
    const QColor tc = ToQColor(Dc.S.TextColor);
    const Integer thick = font.LineThickness();
    if (Dc.S.Font->Log.lfUnderline && Run.Width > 0)
        p->fillRect(QRect(startX, baseY + font.UnderlinePosition(), Run.Width, thick), tc);
    if (Dc.S.Font->Log.lfStrikeOut && Run.Width > 0)
        p->fillRect(QRect(startX, baseY - font.StrikeOutPosition() - thick / 2, Run.Width, thick), tc);
    p->restore();
    return true;
}

// ---- blits ---------------------------------------------------------------------------------------

struct TSourcePixels {
    const std::uint32_t* Pixels = nullptr;
    Integer Width = 0, Height = 0;
    bool Monochrome = false;
    bool Alpha = false;
};

// Combines source, pattern and destination for the raster operations we support.
bool RopApply(Cardinal Rop, bool HasSrc, std::uint32_t S, bool HasPat, std::uint32_t P, std::uint32_t D,
              std::uint32_t& Out)
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
    (void)HasSrc;
    (void)HasPat;
    Out = 0xFF000000u | (r & 0xFFFFFF);
    return true;
}

bool RopUsesPattern(Cardinal Rop)
{
    return Rop == PATCOPY || Rop == PATPAINT || Rop == PATINVERT || Rop == MERGECOPY;
}
bool RopUsesSource(Cardinal Rop)
{
    return !(Rop == PATCOPY || Rop == PATINVERT || Rop == DSTINVERT || Rop == BLACKNESS || Rop == WHITENESS);
}

// Draws Src (sub-rectangle SR, may be mirrored by negative sizes) into the device rectangle
// (DX, DY, DW, DH) of Dc with Rop.
bool BlitPixels(TDc& Dc, Integer DX, Integer DY, Integer DW, Integer DH, const TSourcePixels& Src, Integer SX,
                Integer SY, Integer SW, Integer SH, Cardinal Rop)
{
    if (Dc.Recording())
        return true;
    const bool useSrc = RopUsesSource(Rop);
    if (useSrc && (!Src.Pixels || SW == 0 || SH == 0))
        return false;
    if (DW == 0 || DH == 0)
        return true;
    // Normalize mirroring into the source direction.
    if (DW < 0) {
        DX += DW;
        DW = -DW;
        SX += SW;
        SW = -SW;
    }
    if (DH < 0) {
        DY += DH;
        DH = -DH;
        SY += SH;
        SH = -SH;
    }
    const std::uint32_t textPx = ToPixel(Dc.S.TextColor), bkPx = ToPixel(Dc.S.BkColor);
    auto srcAt = [&](Integer X, Integer Y, std::uint32_t& Out) {
        // Nearest source pixel for destination offset (X, Y).
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
            Out = (Out & 0xFFFFFF) ? bkPx : textPx;
        return true;
    };
    if (Dc.Kind == TDcKind::Raster) {
        QPainter* p = Dc.Paint();
        if (!p)
            return false;
        const TBrushObject* brush = Dc.S.Brush.get();
        QImage pattern;
        if (RopUsesPattern(Rop) && brush && brush->Log.lbStyle != BS_SOLID && brush->Log.lbStyle != BS_NULL)
            pattern = PatternImage(Dc, *brush);
        TBitmapObject& bmp = *Dc.S.Bitmap;
        const bool destMono = bmp.Monochrome;
        const TRect dest(DX, DY, DX + DW, DY + DH);
        // A constant result (solid fills, blackness, whiteness) fills whole rows.
        bool constant = false;
        std::uint32_t constValue = 0;
        if (Rop == BLACKNESS || Rop == WHITENESS) {
            constant = true;
            constValue = Rop == BLACKNESS ? 0xFF000000u : 0xFFFFFFFFu;
        } else if (Rop == PATCOPY && brush && brush->Log.lbStyle == BS_SOLID) {
            constant = true;
            constValue = ToPixel(brush->UsesDCColor ? Dc.S.DCBrushColor : brush->Log.lbColor);
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
                        if (!srcAt(px - DX, py - DY, s))
                            continue;
                        if (Src.Alpha && Rop == SRCCOPY) {
                            std::uint32_t a = s >> 24;
                            if (a == 0)
                                continue;
                            if (a != 255) {
                                std::uint32_t d = row[px];
                                auto mix = [&](int sh) {
                                    return ((((s >> sh) & 0xFF) * a + ((d >> sh) & 0xFF) * (255 - a) + 127) / 255)
                                           << sh;
                                };
                                s = mix(16) | mix(8) | mix(0);
                            }
                        }
                    }
                    bool hasPat = RopUsesPattern(Rop) && BrushPixel(Dc, brush, &pattern, px, py, pat);
                    if (RopUsesPattern(Rop) && !hasPat)
                        continue;
                    std::uint32_t out;
                    RopApply(Rop, useSrc, s, hasPat, pat, row[px], out);
                    if (destMono)
                        out = (out & 0xFFFFFF) == (bkPx & 0xFFFFFF) || (out & 0xFFFFFF) == 0xFFFFFF ? 0xFFFFFFFFu
                                                                                                  : 0xFF000000u;
                    row[px] = out;
                }
            }
        }
        return true;
    }
    // PDF: images and fills through the painter; logical raster operations fall back to copies.
    QPainter* p = Dc.Paint();
    if (!p)
        return false;
    Dc.ApplyClip(*p);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    QRect dest(DX, DY, DW, DH);
    if (Rop == BLACKNESS || Rop == WHITENESS) {
        p->fillRect(dest, Rop == BLACKNESS ? Qt::black : Qt::white);
        return true;
    }
    if (RopUsesPattern(Rop)) {
        QBrush b = MakeBrush(Dc, Dc.S.Brush.get());
        if (b.style() != Qt::NoBrush) {
            p->setBrushOrigin(0, 0);
            p->fillRect(dest, b);
        }
        return true;
    }
    if (!useSrc)
        return true;
    QImage img(DW, DH, QImage::Format_ARGB32);
    for (Integer y = 0; y < DH; ++y) {
        auto* line = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (Integer x = 0; x < DW; ++x) {
            std::uint32_t s;
            if (!srcAt(x, y, s)) {
                line[x] = 0;
                continue;
            }
            if (Rop == NOTSRCCOPY)
                s = 0xFF000000u | (~s & 0xFFFFFF);
            line[x] = Src.Alpha ? s : (0xFF000000u | s);
        }
    }
    if (Rop == SRCAND)
        p->setCompositionMode(QPainter::CompositionMode_Multiply);
    else if (Rop == SRCPAINT)
        p->setCompositionMode(QPainter::CompositionMode_Screen);
    p->drawImage(dest, img);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    return true;
}

} // namespace

// ---- device contexts -----------------------------------------------------------------------------

HDC CreateRasterDC(Integer Width, Integer Height, Integer PixelsPerInch)
{
    if (Width <= 0 || Height <= 0 || Int64(Width) * Height > (Int64(1) << 28) || PixelsPerInch <= 0)
        return HDC();
    auto dc = std::make_unique<TDc>();
    dc->Kind = TDcKind::Raster;
    dc->Ppi = PixelsPerInch;
    auto bmp = std::make_shared<TBitmapObject>();
    bmp->Width = Width;
    bmp->Height = Height;
    bmp->Pixels.assign(std::size_t(Width) * std::size_t(Height), 0xFFFFFFFFu);
    dc->S.Bitmap = bmp;
    dc->Width = Width;
    dc->Height = Height;
    return AddDc(std::move(dc));
}

HDC CreateScreenDC()
{
    auto dc = std::make_unique<TDc>();
    dc->Kind = TDcKind::Raster;
    dc->Ppi = ScreenPixelsPerInch();
    TSize sz = ScreenSizeInPixels();
    dc->Width = sz.cx;
    dc->Height = sz.cy;
    auto bmp = std::make_shared<TBitmapObject>();
    bmp->Width = bmp->Height = 1;
    bmp->Pixels.assign(1, 0xFFFFFFFFu);
    dc->S.Bitmap = bmp;
    return AddDc(std::move(dc));
}

HDC CreateCompatibleDC(HDC DC)
{
    auto dc = std::make_unique<TDc>();
    dc->Kind = TDcKind::Raster;
    dc->Memory = true;
    dc->Ppi = DC ? GetDeviceCaps(DC, LOGPIXELSY) : ScreenPixelsPerInch();
    if (dc->Ppi <= 0)
        dc->Ppi = ScreenPixelsPerInch();
    dc->S.Bitmap = OneByOneMono();
    dc->S.BitmapHandle = StockHandle(DEFAULT_BITMAP);
    dc->Width = dc->Height = 1;
    return AddDc(std::move(dc));
}

HDC CreatePdfDC(const String& FileName, const TPdfPageFormat& Format)
{
    if (FileName.empty() || Format.Resolution <= 0 || Format.PaperWidthPoints <= 0 || Format.PaperHeightPoints <= 0)
        return HDC();
    EnsureQtApplication();
    {
        QFile probe(QString::fromStdString(FileName));
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return HDC();
    }
    auto dc = std::make_unique<TDc>();
    dc->Kind = TDcKind::Pdf;
    dc->Printer = true;
    dc->FileName = FileName;
    dc->NextFormat = Format;
    dc->PageFormat = Format;
    dc->Ppi = Format.Resolution;
    dc->Writer = std::make_unique<QPdfWriter>(QString::fromStdString(FileName));
    dc->Writer->setResolution(PdfWriterResolution);
    dc->Writer->setCreator(QStringLiteral("qor"));
    return AddDc(std::move(dc));
}

void SetPdfPageFormat(HDC DC, const TPdfPageFormat& Format)
{
    TDc* dc = FindDc(DC);
    if (!dc || dc->Kind != TDcKind::Pdf || Format.Resolution <= 0)
        return;
    dc->NextFormat = Format;
    if (!dc->PageOpen)
        dc->Ppi = Format.Resolution;
}

bool GetPdfPageFormat(HDC DC, TPdfPageFormat& Format)
{
    TDc* dc = FindDc(DC);
    if (!dc || dc->Kind != TDcKind::Pdf)
        return false;
    Format = dc->PageOpen ? dc->PageFormat : dc->NextFormat;
    return true;
}

HDC CreateRecordingDC(Integer Width, Integer Height, Integer PixelsPerInch, bool Printer)
{
    if (PixelsPerInch <= 0)
        return HDC();
    auto dc = std::make_unique<TDc>();
    dc->Kind = TDcKind::Recording;
    dc->Ppi = PixelsPerInch;
    dc->Width = Width;
    dc->Height = Height;
    dc->Printer = Printer;
    return AddDc(std::move(dc));
}

std::vector<String> GetRecordedCalls(HDC DC)
{
    TDc* dc = FindDc(DC);
    return dc ? dc->Log : std::vector<String>();
}

void ClearRecordedCalls(HDC DC)
{
    if (TDc* dc = FindDc(DC))
        dc->Log.clear();
}

bool DeleteDC(HDC DC)
{
    std::unique_ptr<TDc> dc;
    {
        TDcTable& t = Dcs();
        std::lock_guard<std::mutex> g(t.Lock);
        auto it = t.Dcs.find(DC.Value());
        if (it == t.Dcs.end())
            return false;
        dc = std::move(it->second);
        t.Dcs.erase(it);
    }
    if (dc->Painter && dc->Painter->isActive())
        dc->Painter->end();
    if (dc->Sink)
        dc->Sink->Detached(DC);
    return true;
}

Integer GetObjectTypeOfDC(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    return dc->Memory ? OBJ_MEMDC : OBJ_DC;
}

TSize GetDCBitmapSize(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc || dc->Kind != TDcKind::Raster || !dc->S.Bitmap)
        return {};
    return {dc->S.Bitmap->Width, dc->S.Bitmap->Height};
}

namespace {
bool SavePixelsPng(const TBitmapObject& B, const String& FileName)
{
    EnsureQtApplication();
    QImage img(reinterpret_cast<const uchar*>(B.Pixels.data()), B.Width, B.Height, B.Width * 4, QImage::Format_RGB32);
    return img.save(QString::fromStdString(FileName), "PNG");
}
} // namespace

bool SaveDCToPng(HDC DC, const String& FileName)
{
    TDc* dc = FindDc(DC);
    if (!dc || dc->Kind != TDcKind::Raster || !dc->S.Bitmap)
        return false;
    return SavePixelsPng(*dc->S.Bitmap, FileName);
}

bool SaveBitmapToPng(HBITMAP Bitmap, const String& FileName)
{
    auto b = Find<TBitmapObject>(Bitmap.Value(), OBJ_BITMAP);
    return b && SavePixelsPng(*b, FileName);
}

// ---- capabilities and pages ----------------------------------------------------------------------

Integer GetDeviceCaps(HDC DC, Integer Index)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    auto it = dc->Caps.find(Index);
    if (it != dc->Caps.end())
        return it->second;
    const bool printer = dc->Printer || dc->Sink;
    TSize dev = dc->DeviceSize();
    if (dc->Kind == TDcKind::Raster && !dc->Memory && dc->Width > 0 && dc->S.Bitmap &&
        dc->S.Bitmap->Width == 1 && dc->S.Bitmap->Height == 1)
        dev = TSize(dc->Width, dc->Height); // the screen context
    const Integer ppi = dc->Kind == TDcKind::Pdf ? (dc->PageOpen ? dc->PageFormat : dc->NextFormat).Resolution : dc->Ppi;
    switch (Index) {
    case DRIVERVERSION: return 0x400;
    case TECHNOLOGY: return printer ? DT_RASPRINTER : DT_RASDISPLAY;
    case HORZSIZE: return MulDiv(dev.cx, 254, ppi * 10);
    case VERTSIZE: return MulDiv(dev.cy, 254, ppi * 10);
    case HORZRES: return dev.cx;
    case VERTRES: return dev.cy;
    case BITSPIXEL: return dc->Kind == TDcKind::Raster && dc->S.Bitmap && dc->S.Bitmap->Monochrome ? 1 : 32;
    case PLANES: return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS: return -1;
    case NUMFONTS: return 0;
    case CURVECAPS:
    case LINECAPS:
    case POLYGONALCAPS: return 0xFF;
    case TEXTCAPS: return 0x7FFF;
    case CLIPCAPS: return 1;
    case RASTERCAPS: return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY: return 36;
    case ASPECTXY: return 51;
    case LOGPIXELSX:
    case LOGPIXELSY: return ppi;
    case SIZEPALETTE:
    case NUMRESERVED: return 0;
    case COLORRES: return 24;
    case PHYSICALWIDTH:
        if (!printer)
            return 0;
        if (dc->Kind == TDcKind::Pdf) {
            const auto& f = dc->PageOpen ? dc->PageFormat : dc->NextFormat;
            return TDc::PaperPixels(f.PaperWidthPoints, f.Resolution);
        }
        return dev.cx;
    case PHYSICALHEIGHT:
        if (!printer)
            return 0;
        if (dc->Kind == TDcKind::Pdf) {
            const auto& f = dc->PageOpen ? dc->PageFormat : dc->NextFormat;
            return TDc::PaperPixels(f.PaperHeightPoints, f.Resolution);
        }
        return dev.cy;
    case PHYSICALOFFSETX:
        if (dc->Kind == TDcKind::Pdf)
            return (dc->PageOpen ? dc->PageFormat : dc->NextFormat).OffsetX;
        return 0;
    case PHYSICALOFFSETY:
        if (dc->Kind == TDcKind::Pdf)
            return (dc->PageOpen ? dc->PageFormat : dc->NextFormat).OffsetY;
        return 0;
    default: return 0;
    }
}

void SetDeviceCaps(HDC DC, Integer Index, Integer Value)
{
    if (TDc* dc = FindDc(DC))
        dc->Caps[Index] = Value;
}

void SetPrinterDriverSink(HDC DC, std::shared_ptr<IPrinterDriverSink> Sink)
{
    if (TDc* dc = FindDc(DC))
        dc->Sink = std::move(Sink);
}

IPrinterDriverSink* GetPrinterDriverSink(HDC DC)
{
    TDc* dc = FindDc(DC);
    return dc ? dc->Sink.get() : nullptr;
}

Integer StartDoc(HDC DC, const DOCINFO& Info)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    QOR_REC(dc, "StartDoc(" + Quote(ToCodePoints(Info.lpszDocName)) + ")");
    if (dc->Sink && !dc->Sink->StartDoc(DC, Info))
        return 0;
    return NextJobId++;
}

Integer StartPage(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    QOR_REC(dc, "StartPage()");
    // A page context whose page is already open ignores a second begin.
    if (dc->Kind == TDcKind::Pdf && dc->PageOpen)
        return 1;
    if (dc->Sink && !dc->Sink->StartPage(DC))
        return 0;
    if (dc->Kind == TDcKind::Pdf && !dc->BeginPdfPage())
        return 0;
    return 1;
}

Integer EndPage(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    QOR_REC(dc, "EndPage()");
    if (dc->Kind == TDcKind::Pdf) {
        if (!dc->PageOpen)
            return 1; // no page to end: ignored
        dc->EndPdfPage();
    }
    if (dc->Sink && !dc->Sink->EndPage(DC))
        return 0;
    return 1;
}

Integer EndDoc(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    QOR_REC(dc, "EndDoc()");
    if (dc->Kind == TDcKind::Pdf) {
        dc->EndPdfPage();
        if (dc->PdfBegun && dc->Painter)
            dc->Painter->end();
        dc->PdfBegun = false;
        dc->Writer.reset();
    }
    if (dc->Sink && !dc->Sink->EndDoc(DC))
        return 0;
    return 1;
}

Integer AbortDoc(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return 0;
    QOR_REC(dc, "AbortDoc()");
    if (dc->Kind == TDcKind::Pdf) {
        dc->EndPdfPage();
        if (dc->PdfBegun && dc->Painter)
            dc->Painter->end();
        dc->PdfBegun = false;
        dc->Writer.reset();
        QFile::remove(QString::fromStdString(dc->FileName));
    }
    if (dc->Sink && !dc->Sink->AbortDoc(DC))
        return 0;
    return 1;
}

HDC ResetDC(HDC DC, const TDeviceMode* DevMode)
{
    TDc* dc = FindDc(DC);
    if (!dc)
        return HDC();
    QOR_REC(dc, "ResetDC()");
    if (dc->Sink && !dc->Sink->ResetDC(DC, DevMode))
        return HDC();
    return DC;
}

// ---- state ---------------------------------------------------------------------------------------

#define QOR_DC_OR(ret)      \
    TDc* dc = FindDc(DC);   \
    if (!dc)                \
    return ret

COLORREF SetTextColor(HDC DC, COLORREF Color)
{
    QOR_DC_OR(CLR_INVALID);
    QOR_REC(dc, Fmt("SetTextColor($%06X)", Color & 0xFFFFFF));
    COLORREF old = dc->S.TextColor;
    dc->S.TextColor = Color & 0xFFFFFF;
    return old;
}
COLORREF GetTextColor(HDC DC)
{
    QOR_DC_OR(CLR_INVALID);
    return dc->S.TextColor;
}
COLORREF SetBkColor(HDC DC, COLORREF Color)
{
    QOR_DC_OR(CLR_INVALID);
    QOR_REC(dc, Fmt("SetBkColor($%06X)", Color & 0xFFFFFF));
    COLORREF old = dc->S.BkColor;
    dc->S.BkColor = Color & 0xFFFFFF;
    return old;
}
COLORREF GetBkColor(HDC DC)
{
    QOR_DC_OR(CLR_INVALID);
    return dc->S.BkColor;
}
Integer SetBkMode(HDC DC, Integer Mode)
{
    QOR_DC_OR(0);
    if (Mode != TRANSPARENT && Mode != OPAQUE)
        return 0;
    QOR_REC(dc, Fmt("SetBkMode(%s)", Mode == TRANSPARENT ? "TRANSPARENT" : "OPAQUE"));
    Integer old = dc->S.BkMode;
    dc->S.BkMode = Mode;
    return old;
}
Integer GetBkMode(HDC DC)
{
    QOR_DC_OR(0);
    return dc->S.BkMode;
}
Cardinal SetTextAlign(HDC DC, Cardinal Flags)
{
    QOR_DC_OR(GDI_ERROR);
    QOR_REC(dc, Fmt("SetTextAlign(%u)", Flags));
    Cardinal old = dc->S.TextAlign;
    dc->S.TextAlign = Flags & TA_MASK;
    return old;
}
Cardinal GetTextAlign(HDC DC)
{
    QOR_DC_OR(GDI_ERROR);
    return dc->S.TextAlign;
}
Integer SetROP2(HDC DC, Integer Mode)
{
    QOR_DC_OR(0);
    if (Mode < R2_BLACK || Mode > R2_WHITE)
        return 0;
    QOR_REC(dc, Fmt("SetROP2(%d)", Mode));
    Integer old = dc->S.Rop2;
    dc->S.Rop2 = Mode;
    return old;
}
Integer GetROP2(HDC DC)
{
    QOR_DC_OR(0);
    return dc->S.Rop2;
}
Integer SetStretchBltMode(HDC DC, Integer Mode)
{
    QOR_DC_OR(0);
    if (Mode < BLACKONWHITE || Mode > HALFTONE)
        return 0;
    QOR_REC(dc, Fmt("SetStretchBltMode(%d)", Mode));
    Integer old = dc->S.StretchMode;
    dc->S.StretchMode = Mode;
    return old;
}
Integer GetStretchBltMode(HDC DC)
{
    QOR_DC_OR(0);
    return dc->S.StretchMode;
}
Integer SetTextCharacterExtra(HDC DC, Integer Extra)
{
    QOR_DC_OR(0x80000000);
    QOR_REC(dc, Fmt("SetTextCharacterExtra(%d)", Extra));
    Integer old = dc->S.CharExtra;
    dc->S.CharExtra = Extra;
    return old;
}
Integer GetTextCharacterExtra(HDC DC)
{
    QOR_DC_OR(0x80000000);
    return dc->S.CharExtra;
}
COLORREF SetDCBrushColor(HDC DC, COLORREF Color)
{
    QOR_DC_OR(CLR_INVALID);
    COLORREF old = dc->S.DCBrushColor;
    dc->S.DCBrushColor = Color & 0xFFFFFF;
    return old;
}
COLORREF SetDCPenColor(HDC DC, COLORREF Color)
{
    QOR_DC_OR(CLR_INVALID);
    COLORREF old = dc->S.DCPenColor;
    dc->S.DCPenColor = Color & 0xFFFFFF;
    return old;
}

Integer SaveDC(HDC DC)
{
    QOR_DC_OR(0);
    QOR_REC(dc, "SaveDC()");
    dc->Saved.push_back(dc->S);
    return Integer(dc->Saved.size());
}

bool RestoreDC(HDC DC, Integer Level)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("RestoreDC(%d)", Level));
    Integer n = Integer(dc->Saved.size());
    Integer target = Level > 0 ? Level : n + Level + 1;
    if (Level == 0 || target < 1 || target > n)
        return false;
    dc->S = dc->Saved[std::size_t(target - 1)];
    dc->Saved.resize(std::size_t(target - 1));
    return true;
}

// ---- objects in contexts -------------------------------------------------------------------------

HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object)
{
    QOR_DC_OR(HGDIOBJ());
    PObject o = FindObject(Object.Value());
    if (!o)
        return HGDIOBJ();
    QOR_REC(dc, "SelectObject(" + DescribeObject(*o) + ")");
    std::uintptr_t old = 0;
    switch (o->Type) {
    case OBJ_FONT:
        old = dc->S.FontHandle;
        dc->S.Font = std::static_pointer_cast<TFontObject>(o);
        dc->S.FontHandle = Object.Value();
        break;
    case OBJ_PEN:
        old = dc->S.PenHandle;
        dc->S.Pen = std::static_pointer_cast<TPenObject>(o);
        dc->S.PenHandle = Object.Value();
        break;
    case OBJ_BRUSH:
        old = dc->S.BrushHandle;
        dc->S.Brush = std::static_pointer_cast<TBrushObject>(o);
        dc->S.BrushHandle = Object.Value();
        break;
    case OBJ_BITMAP: {
        if (!dc->Memory)
            return HGDIOBJ();
        old = dc->S.BitmapHandle;
        dc->S.Bitmap = std::static_pointer_cast<TBitmapObject>(o);
        dc->S.BitmapHandle = Object.Value();
        dc->Width = dc->S.Bitmap->Width;
        dc->Height = dc->S.Bitmap->Height;
        break;
    }
    case OBJ_REGION: return HGDIOBJ(std::uintptr_t(SelectClipRgn(DC, HRGN(Object))));
    case OBJ_PAL: return HGDIOBJ(SelectPalette(DC, HPALETTE(Object), false));
    default: return HGDIOBJ();
    }
    return HGDIOBJ(old);
}

HGDIOBJ GetCurrentObject(HDC DC, Integer ObjectType)
{
    QOR_DC_OR(HGDIOBJ());
    switch (ObjectType) {
    case OBJ_FONT: return HGDIOBJ(dc->S.FontHandle);
    case OBJ_PEN: return HGDIOBJ(dc->S.PenHandle);
    case OBJ_BRUSH: return HGDIOBJ(dc->S.BrushHandle);
    case OBJ_BITMAP: return HGDIOBJ(dc->S.BitmapHandle);
    case OBJ_PAL: return HGDIOBJ(dc->S.PaletteHandle);
    default: return HGDIOBJ();
    }
}

HPALETTE SelectPalette(HDC DC, HPALETTE Palette, bool ForceBackground)
{
    (void)ForceBackground;
    QOR_DC_OR(HPALETTE());
    auto p = Find<TPaletteObject>(Palette.Value(), OBJ_PAL);
    if (!p)
        return HPALETTE();
    QOR_REC(dc, "SelectPalette()");
    HPALETTE old(dc->S.PaletteHandle);
    dc->S.Palette = p;
    dc->S.PaletteHandle = Palette.Value();
    return old;
}

Cardinal RealizePalette(HDC DC)
{
    QOR_DC_OR(GDI_ERROR);
    QOR_REC(dc, "RealizePalette()");
    return 0;
}

Cardinal GetSystemPaletteEntries(HDC DC, Cardinal Start, Cardinal Count, PALETTEENTRY* Entries)
{
    (void)DC;
    (void)Start;
    (void)Count;
    (void)Entries;
    return 0; // not a palette device
}

// ---- coordinates ---------------------------------------------------------------------------------

Integer SetMapMode(HDC DC, Integer Mode)
{
    QOR_DC_OR(0);
    if (Mode < MM_TEXT || Mode > MM_ANISOTROPIC)
        return 0;
    QOR_REC(dc, Fmt("SetMapMode(%d)", Mode));
    Integer old = dc->S.MapMode;
    dc->S.MapMode = Mode;
    if (Mode == MM_TEXT) {
        dc->S.WinExt = TSize(1, 1);
        dc->S.VpExt = TSize(1, 1);
    } else if (Mode == MM_ISOTROPIC || Mode == MM_ANISOTROPIC) {
        // The extents of the previous mode are kept.
        dc->AdjustIsotropic();
    } else
        dc->SetFixedMapping();
    return old;
}
Integer GetMapMode(HDC DC)
{
    QOR_DC_OR(0);
    return dc->S.MapMode;
}
bool SetWindowOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("SetWindowOrgEx(%d,%d)", X, Y));
    if (Old)
        *Old = dc->S.WinOrg;
    dc->S.WinOrg = TPoint(X, Y);
    return true;
}
bool GetWindowOrgEx(HDC DC, TPoint& P)
{
    QOR_DC_OR(false);
    P = dc->S.WinOrg;
    return true;
}
bool SetViewportOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("SetViewportOrgEx(%d,%d)", X, Y));
    if (Old)
        *Old = dc->S.VpOrg;
    dc->S.VpOrg = TPoint(X, Y);
    return true;
}
bool GetViewportOrgEx(HDC DC, TPoint& P)
{
    QOR_DC_OR(false);
    P = dc->S.VpOrg;
    return true;
}
bool OffsetViewportOrgEx(HDC DC, Integer DX, Integer DY, TPoint* Old)
{
    QOR_DC_OR(false);
    return SetViewportOrgEx(DC, dc->S.VpOrg.X + DX, dc->S.VpOrg.Y + DY, Old);
}
bool OffsetWindowOrgEx(HDC DC, Integer DX, Integer DY, TPoint* Old)
{
    QOR_DC_OR(false);
    return SetWindowOrgEx(DC, dc->S.WinOrg.X + DX, dc->S.WinOrg.Y + DY, Old);
}
bool SetWindowExtEx(HDC DC, Integer X, Integer Y, TSize* Old)
{
    QOR_DC_OR(false);
    if (Old)
        *Old = dc->S.WinExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return true; // ignored in the fixed modes
    if (X == 0 || Y == 0)
        return false;
    QOR_REC(dc, Fmt("SetWindowExtEx(%d,%d)", X, Y));
    dc->S.WinExt = TSize(X, Y);
    dc->AdjustIsotropic();
    return true;
}
bool GetWindowExtEx(HDC DC, TSize& S)
{
    QOR_DC_OR(false);
    S = dc->S.WinExt;
    return true;
}
bool SetViewportExtEx(HDC DC, Integer X, Integer Y, TSize* Old)
{
    QOR_DC_OR(false);
    if (Old)
        *Old = dc->S.VpExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return true;
    if (X == 0 || Y == 0)
        return false;
    QOR_REC(dc, Fmt("SetViewportExtEx(%d,%d)", X, Y));
    dc->S.VpExt = TSize(X, Y);
    dc->AdjustIsotropic();
    return true;
}
bool GetViewportExtEx(HDC DC, TSize& S)
{
    QOR_DC_OR(false);
    S = dc->S.VpExt;
    return true;
}
bool LPtoDP(HDC DC, TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    for (Integer i = 0; Points && i < Count; ++i)
        Points[i] = dc->ToDevice(Points[i].X, Points[i].Y);
    return true;
}
bool DPtoLP(HDC DC, TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    for (Integer i = 0; Points && i < Count; ++i)
        Points[i] = dc->ToLogical(Points[i].X, Points[i].Y);
    return true;
}

// ---- clipping ------------------------------------------------------------------------------------

Integer ExtSelectClipRgn(HDC DC, HRGN Region, Integer Mode)
{
    QOR_DC_OR(RGN_ERROR);
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    if (!Region) {
        if (Mode != RGN_COPY)
            return RGN_ERROR;
        QOR_REC(dc, "SelectClipRgn(0)");
        dc->S.HasClip = false;
        dc->S.Clip.clear();
        return SIMPLEREGION;
    }
    if (!r)
        return RGN_ERROR;
    QOR_REC(dc, "SelectClipRgn(" + [&] {
        String s;
        for (const TRect& rc : r->Rects)
            s += (s.empty() ? "" : ";") + RectText(rc);
        return s;
    }() + Fmt(",%d)", Mode));
    if (Mode == RGN_COPY)
        dc->S.Clip = r->Rects;
    else {
        std::vector<TRect> cur = dc->S.HasClip ? dc->S.Clip : dc->VisibleRects();
        dc->S.Clip = RegionCombine(cur, r->Rects, Mode);
    }
    dc->S.HasClip = true;
    return RegionComplexity(dc->S.Clip);
}

Integer SelectClipRgn(HDC DC, HRGN Region) { return ExtSelectClipRgn(DC, Region, RGN_COPY); }

Integer IntersectClipRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    QOR_DC_OR(RGN_ERROR);
    QOR_REC(dc, Fmt("IntersectClipRect(%d,%d,%d,%d)", Left, Top, Right, Bottom));
    TRect r = dc->ToDevice(TRect(Left, Top, Right, Bottom));
    std::vector<TRect> cur;
    if (dc->S.HasClip)
        cur = dc->S.Clip;
    else {
        TSize sz = dc->DeviceSize();
        cur = {TRect(0, 0, sz.cx, sz.cy)};
    }
    dc->S.Clip = RegionCombine(cur, {r}, RGN_AND);
    dc->S.HasClip = true;
    return RegionComplexity(dc->S.Clip);
}

Integer ExcludeClipRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    QOR_DC_OR(RGN_ERROR);
    QOR_REC(dc, Fmt("ExcludeClipRect(%d,%d,%d,%d)", Left, Top, Right, Bottom));
    TRect r = dc->ToDevice(TRect(Left, Top, Right, Bottom));
    std::vector<TRect> cur;
    if (dc->S.HasClip)
        cur = dc->S.Clip;
    else {
        TSize sz = dc->DeviceSize();
        cur = {TRect(0, 0, sz.cx, sz.cy)};
    }
    dc->S.Clip = RegionCombine(cur, {r}, RGN_DIFF);
    dc->S.HasClip = true;
    return RegionComplexity(dc->S.Clip);
}

Integer GetClipBox(HDC DC, TRect& R)
{
    QOR_DC_OR(RGN_ERROR);
    std::vector<TRect> vis = dc->VisibleRects();
    TRect box = RegionBox(vis);
    TPoint a = dc->ToLogical(box.Left, box.Top), b = dc->ToLogical(box.Right, box.Bottom);
    R = TRect(a, b).Normalized();
    return RegionComplexity(vis);
}

Integer GetClipRgn(HDC DC, HRGN Region)
{
    QOR_DC_OR(-1);
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    if (!r)
        return -1;
    if (!dc->S.HasClip)
        return 0;
    r->Rects = dc->S.Clip;
    return 1;
}

// ---- lines and shapes ----------------------------------------------------------------------------

bool MoveToEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("MoveToEx(%d,%d)", X, Y));
    if (Old)
        *Old = dc->S.Pos;
    dc->S.Pos = TPoint(X, Y);
    return true;
}

bool GetCurrentPositionEx(HDC DC, TPoint& P)
{
    QOR_DC_OR(false);
    P = dc->S.Pos;
    return true;
}

namespace {

// A polyline in device pixels with the current pen; Close joins the last point to the first.
bool StrokePolyline(TDc& Dc, const std::vector<TPoint>& Dev, bool Close)
{
    if (Dc.Recording() || Dev.size() < 2)
        return true;
    TPenInfo pen = PenInfo(Dc);
    if (pen.Null || Dc.S.Rop2 == R2_NOP)
        return true;
    QPainter* p = Dc.Paint();
    if (!p)
        return false;
    if (Dc.Kind == TDcKind::Raster && pen.Cosmetic) {
        TPixelWriter w(Dc);
        Integer dash = 0;
        for (std::size_t i = 0; i + 1 < Dev.size(); ++i)
            RasterLine(Dc, w, Dev[i], Dev[i + 1], pen.Color, pen.Style, dash);
        if (Close)
            RasterLine(Dc, w, Dev.back(), Dev.front(), pen.Color, pen.Style, dash);
        return true;
    }
    TShape shape;
    if (pen.Cosmetic && !Close) {
        // Pixel-centre path that leaves out the end point: shorten the last segment by half a pixel
        // and extend the first backwards by half a pixel.
        std::vector<QPointF> pts;
        for (const TPoint& q : Dev)
            pts.emplace_back(q.X + 0.5, q.Y + 0.5);
        auto shift = [](QPointF& A, const QPointF& Towards, Double D) {
            QPointF d = Towards - A;
            Double len = std::hypot(d.x(), d.y());
            if (len > 0)
                A += d * (D / len);
        };
        shift(pts.front(), pts[1], -0.5);
        shift(pts.back(), pts[pts.size() - 2], 0.5);
        shape.Outline.moveTo(pts.front());
        for (std::size_t i = 1; i < pts.size(); ++i)
            shape.Outline.lineTo(pts[i]);
    } else
        shape.Outline = PolyPath(Dev.data(), Integer(Dev.size()), 0.5, Close);
    return DrawShape(Dc, shape, false);
}

std::vector<TPoint> ToDevicePoints(TDc& Dc, const TPoint* Pts, Integer Count)
{
    std::vector<TPoint> dev;
    dev.reserve(std::size_t(std::max<Integer>(Count, 0)));
    for (Integer i = 0; i < Count; ++i)
        dev.push_back(Dc.ToDevice(Pts[i].X, Pts[i].Y));
    return dev;
}

String PointsText(const TPoint* Pts, Integer Count)
{
    String s;
    for (Integer i = 0; i < Count; ++i)
        s += Fmt("%s%d,%d", i ? ";" : "", Pts[i].X, Pts[i].Y);
    return s;
}

} // namespace

bool LineTo(HDC DC, Integer X, Integer Y)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("LineTo(%d,%d)", X, Y));
    std::vector<TPoint> dev{dc->ToDevice(dc->S.Pos.X, dc->S.Pos.Y), dc->ToDevice(X, Y)};
    dc->S.Pos = TPoint(X, Y);
    if (dev[0] == dev[1])
        return true;
    return StrokePolyline(*dc, dev, false);
}

bool Polyline(HDC DC, const TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    if (!Points || Count < 2)
        return false;
    QOR_REC(dc, "Polyline(" + PointsText(Points, Count) + ")");
    return StrokePolyline(*dc, ToDevicePoints(*dc, Points, Count), false);
}

bool PolylineTo(HDC DC, const TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    if (!Points || Count < 1)
        return false;
    QOR_REC(dc, "PolylineTo(" + PointsText(Points, Count) + ")");
    std::vector<TPoint> dev{dc->ToDevice(dc->S.Pos.X, dc->S.Pos.Y)};
    for (Integer i = 0; i < Count; ++i)
        dev.push_back(dc->ToDevice(Points[i].X, Points[i].Y));
    dc->S.Pos = Points[Count - 1];
    return StrokePolyline(*dc, dev, false);
}

bool PolyPolygon(HDC DC, const TPoint* Points, const Integer* Counts, Integer PolygonCount)
{
    QOR_DC_OR(false);
    if (!Points || !Counts || PolygonCount <= 0)
        return false;
    Integer total = 0;
    for (Integer i = 0; i < PolygonCount; ++i) {
        if (Counts[i] < 2)
            return false;
        total += Counts[i];
    }
    QOR_REC(dc, Fmt("PolyPolygon(%d,", PolygonCount) + PointsText(Points, total) + ")");
    if (dc->Recording())
        return true;
    std::vector<TPoint> dev = ToDevicePoints(*dc, Points, total);
    TShape shape;
    shape.Fill.setFillRule(Qt::OddEvenFill);
    Integer at = 0;
    for (Integer i = 0; i < PolygonCount; ++i) {
        shape.Fill.addPath(PolyPath(dev.data() + at, Counts[i], 0, true));
        at += Counts[i];
    }
    if (!DrawShape(*dc, shape, true))
        return false;
    at = 0;
    for (Integer i = 0; i < PolygonCount; ++i) {
        StrokePolyline(*dc, std::vector<TPoint>(dev.begin() + at, dev.begin() + at + Counts[i]), true);
        at += Counts[i];
    }
    return true;
}

bool Polygon(HDC DC, const TPoint* Points, Integer Count)
{
    QOR_DC_OR(false);
    if (!Points || Count < 2)
        return false;
    QOR_REC(dc, "Polygon(" + PointsText(Points, Count) + ")");
    if (dc->Recording())
        return true;
    std::vector<TPoint> dev = ToDevicePoints(*dc, Points, Count);
    TShape shape;
    shape.Fill = PolyPath(dev.data(), Count, 0, true);
    shape.Fill.setFillRule(Qt::OddEvenFill);
    if (!DrawShape(*dc, shape, true))
        return false;
    return StrokePolyline(*dc, dev, true);
}

bool Rectangle(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("Rectangle(%d,%d,%d,%d)", Left, Top, Right, Bottom));
    if (dc->Recording())
        return true;
    TRect r = dc->ToDevice(TRect(Left, Top, Right, Bottom));
    TPenInfo pen = PenInfo(*dc);
    TShape shape;
    if (pen.Null) {
        // Without a pen the filled area is one pixel smaller on the right and at the bottom.
        shape.Fill.addRect(QRectF(r.Left, r.Top, std::max(0, r.Width() - 1), std::max(0, r.Height() - 1)));
        return DrawShape(*dc, shape, true);
    }
    shape.Fill.addRect(QRectF(r.Left, r.Top, r.Width(), r.Height()));
    if (r.Width() <= 0 || r.Height() <= 0)
        return true;
    if (pen.Cosmetic)
        shape.OutlinePoints = {TPoint(r.Left, r.Top), TPoint(r.Right - 1, r.Top), TPoint(r.Right - 1, r.Bottom - 1),
                               TPoint(r.Left, r.Bottom - 1)};
    if (shape.OutlinePoints.size() == 4 && (r.Width() == 1 || r.Height() == 1))
        shape.OutlinePoints.clear(); // degenerate: just fill
    shape.Outline.addRect(OutlineRect(r, pen));
    return DrawShape(*dc, shape, true);
}

bool RoundRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer Width, Integer Height)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("RoundRect(%d,%d,%d,%d,%d,%d)", Left, Top, Right, Bottom, Width, Height));
    if (dc->Recording())
        return true;
    TRect r = dc->ToDevice(TRect(Left, Top, Right, Bottom));
    Double rx = dc->LengthX(Width) / 2.0, ry = dc->LengthY(Height) / 2.0;
    TPenInfo pen = PenInfo(*dc);
    TShape shape;
    shape.Fill.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), rx, ry);
    shape.Outline.addRoundedRect(OutlineRect(r, pen), rx, ry);
    return DrawShape(*dc, shape, true);
}

bool Ellipse(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("Ellipse(%d,%d,%d,%d)", Left, Top, Right, Bottom));
    if (dc->Recording())
        return true;
    TRect r = dc->ToDevice(TRect(Left, Top, Right, Bottom));
    TPenInfo pen = PenInfo(*dc);
    TShape shape;
    shape.Fill.addEllipse(QRectF(r.Left, r.Top, r.Width(), r.Height()));
    shape.Outline.addEllipse(OutlineRect(r, pen));
    return DrawShape(*dc, shape, true);
}

bool Arc(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart, Integer XEnd,
         Integer YEnd)
{
    return DrawArcShape(DC, TArcKind::Arc, Left, Top, Right, Bottom, XStart, YStart, XEnd, YEnd);
}
bool Chord(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart,
           Integer XEnd, Integer YEnd)
{
    return DrawArcShape(DC, TArcKind::Chord, Left, Top, Right, Bottom, XStart, YStart, XEnd, YEnd);
}
bool Pie(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom, Integer XStart, Integer YStart, Integer XEnd,
         Integer YEnd)
{
    return DrawArcShape(DC, TArcKind::Pie, Left, Top, Right, Bottom, XStart, YStart, XEnd, YEnd);
}

namespace {

// Fills device rectangle R with brush B (not the selected one), ignoring the mix mode.
bool FillDeviceRect(TDc& Dc, const TRect& R, const TBrushObject* B)
{
    if (Dc.Recording() || R.IsEmpty())
        return true;
    QPainter* p = Dc.Paint();
    if (!p)
        return false;
    QBrush qb = MakeBrush(Dc, B);
    if (qb.style() == Qt::NoBrush)
        return true;
    Dc.ApplyClip(*p);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->setBrushOrigin(0, 0);
    p->fillRect(QRect(R.Left, R.Top, R.Width(), R.Height()), qb);
    return true;
}

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
    if (!b)
        return 0;
    QOR_REC(dc, "FillRect(" + RectText(R) + "," + DescribeObject(*b) + ")");
    return FillDeviceRect(*dc, dc->ToDevice(R), b.get()) ? 1 : 0;
}

Integer FrameRect(HDC DC, const TRect& R, HBRUSH Brush)
{
    QOR_DC_OR(0);
    auto b = BrushArg(Brush);
    if (!b)
        return 0;
    QOR_REC(dc, "FrameRect(" + RectText(R) + "," + DescribeObject(*b) + ")");
    TRect d = dc->ToDevice(R);
    if (d.IsEmpty())
        return 1;
    Integer w = std::max<Integer>(1, dc->LengthX(1)), h = std::max<Integer>(1, dc->LengthY(1));
    bool ok = FillDeviceRect(*dc, TRect(d.Left, d.Top, d.Right, std::min(d.Bottom, d.Top + h)), b.get()) &&
              FillDeviceRect(*dc, TRect(d.Left, std::max(d.Top, d.Bottom - h), d.Right, d.Bottom), b.get()) &&
              FillDeviceRect(*dc, TRect(d.Left, d.Top, std::min(d.Right, d.Left + w), d.Bottom), b.get()) &&
              FillDeviceRect(*dc, TRect(std::max(d.Left, d.Right - w), d.Top, d.Right, d.Bottom), b.get());
    return ok ? 1 : 0;
}

bool InvertRect(HDC DC, const TRect& R)
{
    QOR_DC_OR(false);
    QOR_REC(dc, "InvertRect(" + RectText(R) + ")");
    TRect d = dc->ToDevice(R);
    return BlitPixels(*dc, d.Left, d.Top, d.Width(), d.Height(), TSourcePixels(), 0, 0, 0, 0, DSTINVERT);
}

bool FillRgn(HDC DC, HRGN Region, HBRUSH Brush)
{
    QOR_DC_OR(false);
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    auto b = BrushArg(Brush);
    if (!r || !b)
        return false;
    QOR_REC(dc, "FillRgn()");
    for (const TRect& rc : r->Rects)
        if (!FillDeviceRect(*dc, rc, b.get()))
            return false;
    return true;
}

bool PatBlt(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, Cardinal Rop)
{
    QOR_DC_OR(false);
    QOR_REC(dc, Fmt("PatBlt(%d,%d,%d,%d,$%08X)", X, Y, Width, Height, Rop));
    if (RopUsesSource(Rop))
        return false;
    TRect d = dc->ToDevice(TRect(X, Y, X + Width, Y + Height));
    return BlitPixels(*dc, d.Left, d.Top, d.Width(), d.Height(), TSourcePixels(), 0, 0, 0, 0, Rop);
}

COLORREF SetPixel(HDC DC, Integer X, Integer Y, COLORREF Color)
{
    QOR_DC_OR(CLR_INVALID);
    QOR_REC(dc, Fmt("SetPixel(%d,%d,$%06X)", X, Y, Color & 0xFFFFFF));
    if (dc->Recording())
        return Color & 0xFFFFFF;
    TPoint d = dc->ToDevice(X, Y);
    if (dc->Kind == TDcKind::Raster) {
        if (!dc->Paint())
            return CLR_INVALID;
        TPixelWriter w(*dc);
        if (!w.Visible(d.X, d.Y))
            return CLR_INVALID;
        w.At(d.X, d.Y) = ToPixel(Color);
        return Color & 0xFFFFFF;
    }
    QPainter* p = dc->Paint();
    if (!p)
        return CLR_INVALID;
    dc->ApplyClip(*p);
    p->fillRect(QRect(d.X, d.Y, 1, 1), ToQColor(Color));
    return Color & 0xFFFFFF;
}

COLORREF GetPixel(HDC DC, Integer X, Integer Y)
{
    QOR_DC_OR(CLR_INVALID);
    if (dc->Kind != TDcKind::Raster || !dc->S.Bitmap)
        return CLR_INVALID;
    TPoint d = dc->ToDevice(X, Y);
    TBitmapObject& b = *dc->S.Bitmap;
    if (d.X < 0 || d.Y < 0 || d.X >= b.Width || d.Y >= b.Height)
        return CLR_INVALID;
    return ToColorRef(b.Pixels[std::size_t(d.Y) * std::size_t(b.Width) + std::size_t(d.X)]);
}

// ---- text ----------------------------------------------------------------------------------------

bool ExtTextOut(HDC DC, Integer X, Integer Y, Cardinal Options, const TRect* Rect, const WideChar* Text, Integer Count,
                const Integer* Dx)
{
    QOR_DC_OR(false);
    if (Count < 0 || (Count > 0 && !Text))
        return false;
    std::u32string cps = ToCodePoints(Text, Count);
    String line;
    if (dc->Recording())
        line = Fmt("ExtTextOut(%d,%d,%u,", X, Y, Options) + (Rect ? RectText(*Rect) : String("nil")) + "," +
               Quote(cps);
    if (Dx && dc->Recording()) {
        line += ",dx=";
        for (Integer i = 0; i < Count; ++i)
            line += Fmt("%s%d", i ? ";" : "", Dx[i]);
    }
    if (dc->Recording())
        line += ")";
    TTextRun run = MeasureRun(*dc, std::move(cps), Dx, Text, Count);
    return DrawTextRun(*dc, X, Y, Options, Rect, run, line);
}

bool ExtTextOut(HDC DC, Integer X, Integer Y, Cardinal Options, const TRect* Rect, const String& Text,
                const Integer* Dx)
{
    std::u32string cps = ToCodePoints(Text);
    std::u16string units;
    for (char32_t c : cps) {
        if (c >= 0x10000) {
            units += char16_t(0xD800 + ((c - 0x10000) >> 10));
            units += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else
            units += char16_t(c);
    }
    return ExtTextOut(DC, X, Y, Options, Rect, units.data(), Integer(units.size()), Dx);
}

bool TextOut(HDC DC, Integer X, Integer Y, const WideChar* Text, Integer Count)
{
    QOR_DC_OR(false);
    if (Count < 0 || (Count > 0 && !Text))
        return false;
    std::u32string cps = ToCodePoints(Text, Count);
    String line = dc->Recording() ? Fmt("TextOut(%d,%d,", X, Y) + Quote(cps) + ")" : String();
    TTextRun run = MeasureRun(*dc, std::move(cps), nullptr, Text, Count);
    return DrawTextRun(*dc, X, Y, 0, nullptr, run, line);
}

bool TextOut(HDC DC, Integer X, Integer Y, const String& Text)
{
    QOR_DC_OR(false);
    std::u32string cps = ToCodePoints(Text);
    String line = dc->Recording() ? Fmt("TextOut(%d,%d,", X, Y) + Quote(cps) + ")" : String();
    TTextRun run = MeasureRun(*dc, std::move(cps), nullptr, nullptr, 0);
    return DrawTextRun(*dc, X, Y, 0, nullptr, run, line);
}

namespace {

bool ExtentOf(TDc& Dc, const std::u32string& Cps, TSize& Size)
{
    TFontInstance& f = Dc.Font();
    Integer extra = Dc.S.CharExtra ? Dc.LengthX(Dc.S.CharExtra) : 0;
    Integer w = 0;
    for (char32_t c : Cps)
        w += f.Advance(c) + extra;
    Size = TSize(Dc.ToLogicalX(w), Dc.ToLogicalY(f.Metrics().tmHeight));
    return true;
}

} // namespace

bool GetTextExtentPoint32(HDC DC, const String& Text, TSize& Size)
{
    QOR_DC_OR(false);
    return ExtentOf(*dc, ToCodePoints(Text), Size);
}

bool GetTextExtentPoint32(HDC DC, const WideChar* Text, Integer Count, TSize& Size)
{
    QOR_DC_OR(false);
    if (Count < 0 || (Count > 0 && !Text))
        return false;
    return ExtentOf(*dc, ToCodePoints(Text, Count), Size);
}

bool GetTextExtentExPoint(HDC DC, const WideChar* Text, Integer Count, Integer MaxExtent, Integer* Fit, Integer* Dx,
                          TSize& Size)
{
    QOR_DC_OR(false);
    if (Count < 0 || (Count > 0 && !Text))
        return false;
    TFontInstance& f = dc->Font();
    Integer extra = dc->S.CharExtra ? dc->LengthX(dc->S.CharExtra) : 0;
    Integer w = 0, fit = 0;
    bool fitting = true;
    for (Integer i = 0; i < Count; ++i) {
        char32_t c = Text[i];
        bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < Count && Text[i + 1] >= 0xDC00 && Text[i + 1] < 0xE000;
        if (pair)
            c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(Text[i + 1]) - 0xDC00);
        w += f.Advance(c) + extra;
        Integer lw = dc->ToLogicalX(w);
        if (Dx) {
            Dx[i] = lw;
            if (pair)
                Dx[i + 1] = lw;
        }
        if (fitting && (MaxExtent < 0 || lw <= MaxExtent))
            fit = i + 1 + (pair ? 1 : 0);
        else
            fitting = false;
        if (pair)
            ++i;
    }
    if (Fit)
        *Fit = fit;
    Size = TSize(dc->ToLogicalX(w), dc->ToLogicalY(f.Metrics().tmHeight));
    return true;
}

bool GetCharWidth32(HDC DC, Cardinal First, Cardinal Last, Integer* Widths)
{
    QOR_DC_OR(false);
    if (!Widths || Last < First || Last > 0x10FFFF)
        return false;
    TFontInstance& f = dc->Font();
    for (Cardinal c = First; c <= Last; ++c)
        Widths[c - First] = dc->ToLogicalX(f.Advance(char32_t(c)));
    return true;
}

bool GetTextMetrics(HDC DC, TEXTMETRIC& Metrics)
{
    QOR_DC_OR(false);
    Metrics = dc->Font().Metrics();
    if (!dc->Identity()) {
        Metrics.tmHeight = dc->ToLogicalY(Metrics.tmHeight);
        Metrics.tmAscent = dc->ToLogicalY(Metrics.tmAscent);
        Metrics.tmDescent = dc->ToLogicalY(Metrics.tmDescent);
        Metrics.tmInternalLeading = dc->ToLogicalY(Metrics.tmInternalLeading);
        Metrics.tmExternalLeading = dc->ToLogicalY(Metrics.tmExternalLeading);
        Metrics.tmAveCharWidth = dc->ToLogicalX(Metrics.tmAveCharWidth);
        Metrics.tmMaxCharWidth = dc->ToLogicalX(Metrics.tmMaxCharWidth);
    }
    return true;
}

Integer GetTextFace(HDC DC, String& Face)
{
    QOR_DC_OR(0);
    Face = FaceNameOf(dc->S.Font->Log);
    return Integer(Face.size());
}

Integer DrawText(HDC DC, const String& Text, TRect& R, Cardinal Format)
{
    QOR_DC_OR(0);
    // Prefix characters: "&&" is "&", a single "&" is dropped.
    String text;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (!(Format & DT_NOPREFIX) && Text[i] == '&') {
            if (i + 1 < Text.size() && Text[i + 1] == '&')
                text += '&', ++i;
            continue;
        }
        if (Text[i] == '\t' && (Format & DT_EXPANDTABS))
            text += String(8 - text.size() % 8, ' '); // tab stops every eight characters
        else
            text += Text[i];
    }
    TEXTMETRIC tm;
    GetTextMetrics(DC, tm);
    const Integer lineHeight = tm.tmHeight;
    auto width = [&](const String& S) {
        TSize sz;
        GetTextExtentPoint32(DC, S, sz);
        return sz.cx;
    };
    std::vector<String> lines;
    if (Format & DT_SINGLELINE) {
        String s;
        for (char c : text)
            if (c != '\r' && c != '\n')
                s += c;
        lines.push_back(s);
    } else {
        String cur;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
                lines.push_back(cur);
                cur.clear();
                if (i < text.size() && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else
                cur += text[i];
        }
        if ((Format & DT_WORDBREAK) && R.Width() > 0) {
            std::vector<String> wrapped;
            for (const String& l : lines) {
                String line;
                std::size_t i = 0;
                while (i <= l.size()) {
                    std::size_t j = l.find(' ', i);
                    String word = l.substr(i, j == String::npos ? String::npos : j - i);
                    String candidate = line.empty() ? word : line + " " + word;
                    if (!line.empty() && width(candidate) > R.Width()) {
                        wrapped.push_back(line);
                        line = word;
                    } else
                        line = candidate;
                    if (j == String::npos)
                        break;
                    i = j + 1;
                }
                wrapped.push_back(line);
            }
            lines = std::move(wrapped);
        }
    }
    if (Format & DT_END_ELLIPSIS) {
        // Lines wider than the rectangle lose characters at the end for "...".
        for (String& l : lines) {
            if (width(l) <= R.Width())
                continue;
            std::u32string cps = ToCodePoints(l);
            String cut;
            while (!cps.empty()) {
                cps.pop_back();
                cut = FromCodePoints(cps);
                if (width(cut + "...") <= R.Width())
                    break;
            }
            l = cut + "...";
        }
    }
    const Integer total = lineHeight * Integer(lines.size());
    if (Format & DT_CALCRECT) {
        Integer maxW = 0;
        for (const String& l : lines)
            maxW = std::max(maxW, width(l));
        R.Right = R.Left + maxW;
        R.Bottom = R.Top + total;
        return total;
    }
    Integer y = R.Top;
    if (Format & DT_SINGLELINE) {
        if (Format & DT_VCENTER)
            y = R.Top + (R.Height() - lineHeight) / 2;
        else if (Format & DT_BOTTOM)
            y = R.Bottom - lineHeight;
    }
    Cardinal oldAlign = SetTextAlign(DC, TA_LEFT | TA_TOP);
    for (const String& l : lines) {
        Integer w = width(l);
        Integer x = R.Left;
        if (Format & DT_CENTER)
            x = R.Left + (R.Width() - w) / 2;
        else if (Format & DT_RIGHT)
            x = R.Right - w;
        ExtTextOut(DC, x, y, (Format & DT_NOCLIP) ? 0 : ETO_CLIPPED, &R, l);
        y += lineHeight;
    }
    SetTextAlign(DC, oldAlign);
    return total;
}

// ---- images --------------------------------------------------------------------------------------

bool StretchBlt(HDC Dest, Integer X, Integer Y, Integer Width, Integer Height, HDC Src, Integer XSrc, Integer YSrc,
                Integer WidthSrc, Integer HeightSrc, Cardinal Rop)
{
    TDc* dc = FindDc(Dest);
    if (!dc)
        return false;
    QOR_REC(dc, Fmt("StretchBlt(%d,%d,%d,%d,src,%d,%d,%d,%d,$%08X)", X, Y, Width, Height, XSrc, YSrc, WidthSrc, HeightSrc,
                Rop));
    TSourcePixels src;
    std::vector<std::uint32_t> snapshot; // the source as it was, when it is also the destination
    Integer sx = 0, sy = 0, sw = 0, sh = 0;
    if (RopUsesSource(Rop)) {
        TDc* s = FindDc(Src);
        if (!s)
            return false;
        if (s->Kind != TDcKind::Raster || !s->S.Bitmap)
            return dc->Recording();
        src.Pixels = s->S.Bitmap->Pixels.data();
        if (s->S.Bitmap == dc->S.Bitmap && !dc->Recording()) {
            snapshot = s->S.Bitmap->Pixels;
            src.Pixels = snapshot.data();
        }
        src.Width = s->S.Bitmap->Width;
        src.Height = s->S.Bitmap->Height;
        src.Monochrome = s->S.Bitmap->Monochrome;
        TPoint a = s->ToDevice(XSrc, YSrc), b = s->ToDevice(XSrc + WidthSrc, YSrc + HeightSrc);
        sx = a.X;
        sy = a.Y;
        sw = b.X - a.X;
        sh = b.Y - a.Y;
    }
    TPoint a = dc->ToDevice(X, Y), b = dc->ToDevice(X + Width, Y + Height);
    return BlitPixels(*dc, a.X, a.Y, b.X - a.X, b.Y - a.Y, src, sx, sy, sw, sh, Rop);
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
    if (!DecodeDib(info, bits, ColorUse, img) || img.Empty())
        return 0;
    QOR_REC(dc, Fmt("StretchDIBits(%d,%d,%d,%d,%d,%d,%d,%d,%dx%d,$%08X)", XDest, YDest, DestWidth, DestHeight, XSrc, YSrc,
                SrcWidth, SrcHeight, img.Width, img.Height, Rop));
    // Source rectangles of DIBs count rows from the bottom.
    Integer top = img.Height - YSrc - SrcHeight;
    TSourcePixels src;
    src.Pixels = img.Pixels.data();
    src.Width = img.Width;
    src.Height = img.Height;
    src.Alpha = false;
    TPoint a = dc->ToDevice(XDest, YDest), b = dc->ToDevice(XDest + DestWidth, YDest + DestHeight);
    if (!BlitPixels(*dc, a.X, a.Y, b.X - a.X, b.Y - a.Y, src, XSrc, top, SrcWidth, SrcHeight, Rop))
        return 0;
    return std::abs(SrcHeight);
}

bool DrawPixels(HDC DC, Integer X, Integer Y, Integer Width, Integer Height, const std::uint32_t* Pixels,
                Integer SrcWidth, Integer SrcHeight)
{
    QOR_DC_OR(false);
    if (!Pixels || SrcWidth <= 0 || SrcHeight <= 0)
        return false;
    QOR_REC(dc, Fmt("DrawPixels(%d,%d,%d,%d,%dx%d)", X, Y, Width, Height, SrcWidth, SrcHeight));
    TSourcePixels src;
    src.Pixels = Pixels;
    src.Width = SrcWidth;
    src.Height = SrcHeight;
    src.Alpha = true;
    TPoint a = dc->ToDevice(X, Y), b = dc->ToDevice(X + Width, Y + Height);
    return BlitPixels(*dc, a.X, a.Y, b.X - a.X, b.Y - a.Y, src, 0, 0, SrcWidth, SrcHeight, SRCCOPY);
}

} // namespace qor

namespace qor {

HBITMAP CreateCompatibleBitmap(HDC DC, Integer Width, Integer Height)
{
    TDc* dc = FindDc(DC);
    if (!dc || Width < 0 || Height < 0 || Int64(Width) * Height > (Int64(1) << 28))
        return HBITMAP();
    const bool mono = dc->Kind == TDcKind::Raster && dc->S.Bitmap && dc->S.Bitmap->Monochrome;
    std::uint32_t* bits = nullptr;
    if (mono)
        return CreateBitmap(Width, Height, 1, 1, nullptr);
    HBITMAP b = CreateDIBSection32(std::max<Integer>(Width, 1), std::max<Integer>(Height, 1), &bits);
    if (auto obj = Find<TBitmapObject>(b.Value(), OBJ_BITMAP))
        obj->DibSection = false;
    return b;
}

} // namespace qor
