// The PDF surface: a context writing a PDF document, one page at a time, each page with the paper
// format in force when it begins. Pages are content streams in device pixels (one transformation
// to points at the start of each): shapes as paths, text as runs of positioned glyphs, pictures
// stored once per document. The graphics state is written only where it changes.

#include "platform/graphics/internal/PainterSurface.h"
#include "platform/graphics/internal/PdfDocument.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/QtHost.h"

#include <QImage>
#include <QPainterPath>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace qor {

namespace gdi {

Integer PaperPixels(Double Points, Integer Res) { return Integer(std::floor(Points * Res / 72.0 + 0.5)); }

namespace {

using pdf::AppendInteger;
using pdf::AppendNumber;

struct TPointF {
    Double X = 0, Y = 0;
};

Integer PrintableWidth(const TPdfPageFormat& F)
{
    return F.PrintableWidth > 0 ? F.PrintableWidth
                                : std::max<Integer>(0, PaperPixels(F.PaperWidthPoints, F.Resolution) - 2 * F.OffsetX);
}

Integer PrintableHeight(const TPdfPageFormat& F)
{
    return F.PrintableHeight > 0 ? F.PrintableHeight
                                 : std::max<Integer>(0, PaperPixels(F.PaperHeightPoints, F.Resolution) - 2 * F.OffsetY);
}

// A page's content stream with the graphics state it has set, so each part of the state is written
// only when it changes. The clip is the one state kept inside a saved state (q ... Q): a new clip
// restores the page's state first, which forgets the colours and line style set since.
class TContent {
public:
    std::string S;

    void Clear()
    {
        S.clear();
        Forget();
        FClip.clear();
        FClipped = false;
    }
    // Sets the clip to Rects (device pixels); false when nothing is visible.
    bool Clip(const std::vector<TRect>& Rects)
    {
        if (Rects.empty())
            return false;
        if (FClipped && Rects == FClip)
            return true;
        if (FClipped)
            S += "Q\n";
        Forget();
        S += "q\n";
        for (const TRect& r : Rects)
            Rect(r.Left, r.Top, r.Width(), r.Height());
        S += "W n\n";
        FClip = Rects;
        FClipped = true;
        return true;
    }
    void End()
    {
        if (FClipped)
            S += "Q\n";
        FClipped = false;
    }
    void FillColor(COLORREF C)
    {
        C &= 0xFFFFFF;
        if (FFill == Int64(C))
            return;
        FFill = C;
        AppendColor(C);
        S += " rg\n";
    }
    void FillPattern(const std::string& Name)
    {
        FFill = -2;
        S += "/Pattern cs /" + Name + " scn\n";
    }
    void StrokeColor(COLORREF C)
    {
        C &= 0xFFFFFF;
        if (FStroke == Int64(C))
            return;
        FStroke = C;
        AppendColor(C);
        S += " RG\n";
    }
    // Line width, dashes, caps and joins as one key.
    void LineStyle(Double Width, const std::vector<Integer>& Dashes, Integer DashScale, bool Round)
    {
        std::string key;
        AppendNumber(key, Width);
        key += " w [";
        for (Integer d : Dashes) {
            AppendInteger(key, d * DashScale);
            key += ' ';
        }
        key += Round ? "] 0 d 1 J 1 j\n" : "] 0 d 0 J 0 j\n";
        if (key == FLine)
            return;
        FLine = key;
        S += key;
    }
    void Font(const std::string& Name, Double Size)
    {
        if (Name == FFont && Size == FFontSize)
            return;
        FFont = Name;
        FFontSize = Size;
        S += '/';
        S += Name;
        S += ' ';
        AppendNumber(S, Size);
        S += " Tf\n";
    }
    void Rect(Double X, Double Y, Double W, Double H)
    {
        Numbers({X, Y, W, H});
        S += " re\n";
    }
    void Numbers(std::initializer_list<Double> V)
    {
        bool first = true;
        for (Double v : V) {
            if (!first)
                S += ' ';
            first = false;
            AppendNumber(S, v);
        }
    }
    void Path(const QPainterPath& P)
    {
        QPointF start, last;
        for (int i = 0; i < P.elementCount(); ++i) {
            const QPainterPath::Element e = P.elementAt(i);
            switch (e.type) {
            case QPainterPath::MoveToElement:
                if (i > 0 && last == start)
                    S += "h\n";
                Numbers({e.x, e.y});
                S += " m\n";
                start = last = QPointF(e.x, e.y);
                break;
            case QPainterPath::LineToElement:
                Numbers({e.x, e.y});
                S += " l\n";
                last = QPointF(e.x, e.y);
                break;
            case QPainterPath::CurveToElement: {
                const QPainterPath::Element c2 = P.elementAt(i + 1), to = P.elementAt(i + 2);
                Numbers({e.x, e.y, c2.x, c2.y, to.x, to.y});
                S += " c\n";
                last = QPointF(to.x, to.y);
                i += 2;
                break;
            }
            default: break;
            }
        }
        if (P.elementCount() > 1 && last == start)
            S += "h\n";
    }
    // After a nested q ... Q the state is as before; a page's start forgets everything.
    void Forget()
    {
        FFill = FStroke = -1;
        FLine.clear();
        FFont.clear();
        FFontSize = 0;
    }

private:
    void AppendColor(COLORREF C)
    {
        Numbers({GetRValue(C) / 255.0, GetGValue(C) / 255.0, GetBValue(C) / 255.0});
    }

    std::vector<TRect> FClip;
    bool FClipped = false;
    Int64 FFill = -1, FStroke = -1; // -1: unknown, -2: a pattern
    std::string FLine, FFont;
    Double FFontSize = 0;
};

class TPdfSurface final : public TPainterSurface {
public:
    // The document is written into a new file beside FileName, which takes FileName's place only
    // when the document ends complete: a failed or stopped job leaves an earlier file as it was.
    TPdfSurface(const String& FileName, const TPdfPageFormat& Format)
        : FFileName(FileName), FTempName(CreateSiblingTempFile(FileName)), FNextFormat(Format), FPageFormat(Format)
    {
        std::FILE* file = std::fopen(FTempName.c_str(), "wb");
        if (!file) {
            const String Why = std::strerror(errno);
            DeleteFile(FTempName);
            throw EFCreateError("Cannot create file \"" + FileName + "\". " + Why);
        }
        std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
        FDoc = std::make_unique<pdf::TPdfDocument>(file);
    }
    // A context deleted before its document ended completes it.
    ~TPdfSurface() override
    {
        if (FDoc)
            EndDocument(false);
    }

    const String& WriteError() const { return FWriteError; }

    // The format of the open page, or of the next one to begin.
    const TPdfPageFormat* PageFormat() const override { return FPageOpen ? &FPageFormat : &FNextFormat; }
    void SetNextFormat(TDc& Dc, const TPdfPageFormat& Format)
    {
        FNextFormat = Format;
        if (!FPageOpen)
            Dc.Ppi = Format.Resolution;
    }

    TSize Size(const TDc& Dc) const override
    {
        (void)Dc;
        const TPdfPageFormat& f = *PageFormat();
        return {PrintableWidth(f), PrintableHeight(f)};
    }

    void BeginDocument(const DOCINFO& Info) override
    {
        if (FDoc)
            FDoc->SetTitle(Info.lpszDocName);
    }
    bool PageIsOpen() const override { return FPageOpen; }
    bool OpenPage() override;
    bool ClosePage() override;
    bool EndDocument(bool Discard) override;

    bool FillRect(TDc& Dc, const TRect& R, const TBrushObject* B) override;
    COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) override;
    bool Text(TDc& Dc, const TTextPlacement& At, const TTextRun& Run) override;

protected:
    QPainter* Painter(TDc& Dc) override
    {
        (void)Dc;
        return nullptr;
    }
    bool Ready(TDc& Dc) override
    {
        (void)Dc;
        return FPageOpen || OpenPage();
    }
    bool DrawShape(TDc& Dc, const TShape& Shape, bool UseBrush) override;
    bool DrawBlit(TDc& Dc, const TBlit& B) override;

private:
    // Sets the fill to brush B; false for a null brush.
    bool UseBrush(TDc& Dc, const TBrushObject* B);
    // Fills the quadrilateral of the rectangle (X, Y, W, H) turned by Turn about Origin.
    void FillTurned(TPointF Origin, Double Cos, Double Sin, Double X, Double Y, Double W, Double H);

    String FFileName, FTempName, FWriteError;
    TPdfPageFormat FNextFormat, FPageFormat;
    std::unique_ptr<pdf::TPdfDocument> FDoc; // until the document ends
    TContent FContent;
    std::vector<pdf::TPlacedGlyph> FGlyphs;
    bool FPageOpen = false;
};

bool TPdfSurface::OpenPage()
{
    if (!FDoc)
        return false;
    if (FPageOpen)
        return true;
    FPageFormat = FNextFormat;
    FContent.Clear();
    // Device pixels, y down, from the printable area's corner; to points, y up.
    const Double s = 72.0 / Double(std::max<Integer>(1, FPageFormat.Resolution));
    FContent.Numbers({s, 0, 0, -s, FPageFormat.OffsetX * s, FPageFormat.PaperHeightPoints - FPageFormat.OffsetY * s});
    FContent.S += " cm\n";
    FPageOpen = true;
    return true;
}

bool TPdfSurface::ClosePage()
{
    if (!FPageOpen)
        return false;
    FPageOpen = false;
    FContent.End();
    FDoc->AddPage(std::move(FContent.S), FPageFormat.PaperWidthPoints, FPageFormat.PaperHeightPoints);
    FContent.Clear();
    return true;
}

bool TPdfSurface::EndDocument(bool Discard)
{
    if (FPageOpen && !Discard)
        ClosePage();
    FPageOpen = false;
    if (!FDoc)
        return Discard;
    bool Ok = false;
    if (Discard)
        FDoc.reset();
    else {
        // Every write was checked and the first failure kept: a full disk is seen here.
        Ok = FDoc->Finish();
        if (!Ok)
            FWriteError = FDoc->Failure();
        FDoc.reset();
    }
    if (Ok && std::rename(FTempName.c_str(), FFileName.c_str()) != 0) {
        Ok = false;
        FWriteError = std::strerror(errno);
    }
    if (!Ok)
        DeleteFile(FTempName);
    return Discard || Ok;
}

bool TPdfSurface::UseBrush(TDc& Dc, const TBrushObject* B)
{
    if (!B || B->Log.lbStyle == BS_NULL)
        return false;
    if (B->Log.lbStyle == BS_SOLID) {
        FContent.FillColor(B->UsesDCColor ? Dc.S.DCBrushColor() : B->Log.lbColor);
        return true;
    }
    // Hatches and patterns tile a picture of their cell from the device's origin.
    QImage cell = PatternImage(Dc, *B).convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> px(std::size_t(cell.width()) * std::size_t(cell.height()));
    for (int y = 0; y < cell.height(); ++y)
        std::memcpy(&px[std::size_t(y) * std::size_t(cell.width())], cell.constScanLine(y), std::size_t(cell.width()) * 4);
    const std::string image = FDoc->Image(px, cell.width(), cell.height());
    const Double s = 72.0 / Double(std::max<Integer>(1, FPageFormat.Resolution));
    std::string matrix;
    FContent.S.swap(matrix);
    FContent.Numbers({s, 0, 0, -s, FPageFormat.OffsetX * s, FPageFormat.PaperHeightPoints - FPageFormat.OffsetY * s});
    FContent.S.swap(matrix);
    FContent.FillPattern(FDoc->Pattern(image, cell.width(), cell.height(), matrix));
    return true;
}

bool TPdfSurface::DrawShape(TDc& Dc, const TShape& Shape, bool UseBrushFill)
{
    if (!Ready(Dc))
        return false;
    if (Dc.S.Rop2() == R2_NOP || !FContent.Clip(Dc.VisibleRects()))
        return true;
    if (UseBrushFill && !ShapeFill(Shape).isEmpty() && UseBrush(Dc, Dc.S.Brush.get())) {
        FContent.Path(ShapeFill(Shape));
        FContent.S += ShapeFill(Shape).fillRule() == Qt::OddEvenFill ? "f*\n" : "f\n";
    }
    const TPenInfo pen = PenInfo(Dc);
    if (pen.Null || ShapeOutline(Shape).isEmpty())
        return true;
    FContent.StrokeColor(pen.Color);
    if (pen.Cosmetic)
        FContent.LineStyle(pen.Width, DashPattern(pen.Style), DeviceStyleScale(Dc), false);
    else
        FContent.LineStyle(pen.Width, {}, 1, true);
    FContent.Path(ShapeOutline(Shape));
    FContent.S += "S\n";
    return true;
}

bool TPdfSurface::FillRect(TDc& Dc, const TRect& R, const TBrushObject* B)
{
    if (R.IsEmpty())
        return true;
    if (!Ready(Dc))
        return false;
    if (!FContent.Clip(Dc.VisibleRects()) || !UseBrush(Dc, B))
        return true;
    FContent.Rect(R.Left, R.Top, R.Width(), R.Height());
    FContent.S += "f\n";
    return true;
}

COLORREF TPdfSurface::SetPixel(TDc& Dc, TPoint P, COLORREF Color)
{
    if (!Ready(Dc))
        return CLR_INVALID;
    if (FContent.Clip(Dc.VisibleRects())) {
        FContent.FillColor(Color);
        FContent.Rect(P.X, P.Y, 1, 1);
        FContent.S += "f\n";
    }
    return Color & 0xFFFFFF;
}

void TPdfSurface::FillTurned(TPointF Origin, Double Cos, Double Sin, Double X, Double Y, Double W, Double H)
{
    if (Sin == 0 && Cos == 1) {
        FContent.Rect(Origin.X + X, Origin.Y + Y, W, H);
        FContent.S += "f\n";
        return;
    }
    const auto at = [&](Double U, Double V, const char* Op) {
        FContent.Numbers({Origin.X + U * Cos + V * Sin, Origin.Y - U * Sin + V * Cos});
        FContent.S += Op;
    };
    at(X, Y, " m\n");
    at(X + W, Y, " l\n");
    at(X + W, Y + H, " l\n");
    at(X, Y + H, " l\nh f\n");
}

bool TPdfSurface::Text(TDc& Dc, const TTextPlacement& At, const TTextRun& Run)
{
    if (!Ready(Dc))
        return false;
    TFontInstance& font = Dc.Font();
    const TEXTMETRIC& tm = font.Metrics();
    const LOGFONT& log = Dc.S.Font->Log;
    std::vector<TRect> visible = Dc.VisibleRects();
    if ((At.Options & ETO_CLIPPED) && At.Rect) {
        // A level run whose cell lies inside the rectangle needs no clip of its own (most labels):
        // the page keeps one clip instead of a new one for every text.
        const Integer left = At.Ref.X + At.StartX, top = At.Ref.Y + At.BaseY - tm.tmAscent;
        const TRect& r = *At.Rect;
        const bool inside = log.lfEscapement == 0 && left >= r.Left && top >= r.Top &&
                            left + Run.Width <= r.Right && top + tm.tmHeight <= r.Bottom;
        if (!inside)
            visible = RegionCombine(visible, {*At.Rect}, RGN_AND);
    }
    if (At.Options & ETO_OPAQUE && At.Rect) {
        // The rectangle is filled without the text clip of ETO_CLIPPED (it is the same rectangle).
        if (FContent.Clip(Dc.VisibleRects())) {
            const TRect& r = *At.Rect;
            FContent.FillColor(Dc.S.BkColor());
            FContent.Rect(r.Left, r.Top, r.Width(), r.Height());
            FContent.S += "f\n";
        }
    }
    if (!FContent.Clip(visible))
        return true;
    // Turned text: the run's frame turned about the reference point, counter-clockwise.
    const Double rad = log.lfEscapement / 10.0 * std::numbers::pi / 180.0;
    const Double cs = log.lfEscapement ? std::cos(rad) : 1.0, sn = log.lfEscapement ? std::sin(rad) : 0.0;
    const TPointF origin{Double(At.Ref.X), Double(At.Ref.Y)};
    if (Dc.S.BkMode() == OPAQUE && Run.Width > 0) {
        FContent.FillColor(Dc.S.BkColor());
        FillTurned(origin, cs, sn, At.StartX, At.BaseY - tm.tmAscent, Run.Width, tm.tmHeight);
    }
    FContent.FillColor(Dc.S.TextColor());
    const int face = Run.Cps.empty() ? -1 : FDoc->Fonts().FaceFor(font.Family(), tm.tmWeight, tm.tmItalic != 0);
    if (face >= 0) {
        pdf::TPdfFonts& fonts = FDoc->Fonts();
        FGlyphs.clear();
        fonts.Layout(face, font.Em(), Run.Cps, Run.Adv, FGlyphs);
        const Double em = font.Em();
        bool inText = false;
        std::size_t i = 0;
        while (i < FGlyphs.size()) {
            // A run of one face on one baseline: one text matrix, then one array of glyphs with
            // the corrections that place each where the line put it.
            const pdf::TPlacedGlyph& first = FGlyphs[i];
            if (!inText)
                FContent.S += "BT\n";
            inText = true;
            FContent.Font(fonts.Name(first.Face), em);
            const Double u = At.StartX + first.X, v = At.BaseY + first.Y;
            FContent.Numbers({cs, -sn, -sn, -cs, origin.X + u * cs + v * sn, origin.Y - u * sn + v * cs});
            FContent.S += " Tm\n[<";
            Double pos = 0; // along the run, thousandths of an em
            std::size_t j = i;
            for (; j < FGlyphs.size() && FGlyphs[j].Face == first.Face && FGlyphs[j].Y == first.Y; ++j) {
                const pdf::TPlacedGlyph& g = FGlyphs[j];
                if (j > i) {
                    const Double want = (g.X - first.X) * 1000.0 / em;
                    const long long adjust = std::llround(pos - want);
                    if (adjust != 0) {
                        FContent.S += "> ";
                        AppendInteger(FContent.S, adjust);
                        FContent.S += " <";
                        pos -= Double(adjust);
                    }
                }
                static const char Hex[] = "0123456789ABCDEF";
                const std::uint32_t gid = g.Glyph;
                const char hex[4] = {Hex[(gid >> 12) & 15], Hex[(gid >> 8) & 15], Hex[(gid >> 4) & 15], Hex[gid & 15]};
                FContent.S.append(hex, 4);
                pos += fonts.Width(g.Face, g.Glyph);
            }
            FContent.S += ">] TJ\n";
            i = j;
        }
        if (inText)
            FContent.S += "ET\n";
    }
    const Integer thick = font.LineThickness();
    if ((log.lfUnderline || log.lfStrikeOut) && Run.Width > 0)
        FContent.FillColor(Dc.S.TextColor());
    if (log.lfUnderline && Run.Width > 0)
        FillTurned(origin, cs, sn, At.StartX, At.BaseY + font.UnderlinePosition(), Run.Width, thick);
    if (log.lfStrikeOut && Run.Width > 0)
        FillTurned(origin, cs, sn, At.StartX, At.BaseY - font.StrikeOutPosition() - thick / 2, Run.Width, thick);
    return true;
}

bool TPdfSurface::DrawBlit(TDc& Dc, const TBlit& B)
{
    if (!Ready(Dc))
        return false;
    if (!FContent.Clip(Dc.VisibleRects()))
        return true;
    if (B.Rop == BLACKNESS || B.Rop == WHITENESS) {
        FContent.FillColor(B.Rop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255));
        FContent.Rect(B.DX, B.DY, B.DW, B.DH);
        FContent.S += "f\n";
        return true;
    }
    if (RopUsesPattern(B.Rop)) {
        if (UseBrush(Dc, Dc.S.Brush.get())) {
            FContent.Rect(B.DX, B.DY, B.DW, B.DH);
            FContent.S += "f\n";
        }
        return true;
    }
    if (!RopUsesSource(B.Rop))
        return true;
    // Only the visible part of the destination is made, and at no more pixels than the source
    // gives it: a picture stretched far past the page (a bitmap claiming a tiny resolution) costs
    // what the page shows of it. A picture shown whole keeps its own pixels.
    const TArea area{B.DX, B.DY, B.DW, B.DH};
    TRect shown;
    for (const TRect& vis : Dc.VisibleRects()) {
        TRect part;
        if (IntersectRect(part, vis, TRect(B.DX, B.DY, area.Right(), area.Bottom())))
            UnionRect(shown, shown, part);
    }
    if (shown.Width() <= 0 || shown.Height() <= 0)
        return true;
    const bool whole = shown == TRect(B.DX, B.DY, area.Right(), area.Bottom());
    const auto Pixels = [](Integer Shown, Integer Dest, Integer Source) {
        const Int64 spanned = Int64(Shown) * std::abs(Int64(Source)) / Dest + 2;
        return Integer(std::min<Int64>(Shown, spanned));
    };
    const Integer iw = whole ? std::abs(B.SW) : Pixels(shown.Width(), B.DW, B.SW);
    const Integer ih = whole ? std::abs(B.SH) : Pixels(shown.Height(), B.DH, B.SH);
    if (iw <= 0 || ih <= 0 || Int64(iw) * ih > (Int64(1) << 28))
        return false;
    std::vector<std::uint32_t> px(std::size_t(iw) * std::size_t(ih));
    const bool mono = B.Src.Monochrome && !(Dc.S.Bitmap && Dc.S.Bitmap->Monochrome);
    for (Integer y = 0; y < ih; ++y) {
        std::uint32_t* line = &px[std::size_t(y) * std::size_t(iw)];
        for (Integer x = 0; x < iw; ++x) {
            std::uint32_t s = 0;
            bool inside;
            if (whole) {
                // The source's own pixels, mirrored as the blit mirrors them.
                const Int64 sx = B.SW > 0 ? Int64(B.SX) + x : Int64(B.SX) - 1 - x;
                const Int64 sy = B.SH > 0 ? Int64(B.SY) + y : Int64(B.SY) - 1 - y;
                inside = sx >= 0 && sy >= 0 && sx < B.Src.Width && sy < B.Src.Height;
                if (inside) {
                    s = B.Src.Pixels[std::size_t(sy) * std::size_t(B.Src.Width) + std::size_t(sx)];
                    if (mono)
                        s = (s & 0xFFFFFF) ? ToPixel(Dc.S.BkColor()) : ToPixel(Dc.S.TextColor());
                }
            } else {
                const Integer dy = Integer(Int64(shown.Top - B.DY) + Int64(y) * shown.Height() / ih);
                const Integer dx = Integer(Int64(shown.Left - B.DX) + Int64(x) * shown.Width() / iw);
                inside = B.SourceAt(Dc, dx, dy, s);
            }
            if (!inside) {
                line[x] = 0;
                continue;
            }
            if (B.Rop == NOTSRCCOPY)
                s = 0xFF000000u | (~s & 0xFFFFFF);
            line[x] = B.Src.Alpha ? s : (0xFF000000u | s);
        }
    }
    const std::string image = FDoc->Image(px, iw, ih);
    FContent.S += "q\n";
    if (B.Rop == SRCAND || B.Rop == SRCPAINT)
        FContent.S += "/" + FDoc->BlendState(B.Rop == SRCAND ? "Multiply" : "Screen") + " gs\n";
    FContent.Numbers({Double(shown.Width()), 0, 0, -Double(shown.Height()), Double(shown.Left), Double(shown.Bottom)});
    FContent.S += " cm /" + image + " Do\nQ\n";
    return true;
}

TPdfSurface* PdfSurfaceOf(HDC DC)
{
    TDc* dc = FindDc(DC);
    return dc ? dynamic_cast<TPdfSurface*>(dc->Surface.get()) : nullptr;
}

} // namespace

} // namespace gdi

using namespace gdi;

HDC CreatePdfDC(const String& FileName, const TPdfPageFormat& Format)
{
    if (FileName.empty() || Format.Resolution <= 0 || Format.PaperWidthPoints <= 0 || Format.PaperHeightPoints <= 0)
        return HDC();
    EnsureQtApplication(); // the fonts' metrics come from Qt
    std::unique_ptr<TPdfSurface> Surface;
    try {
        Surface = std::make_unique<TPdfSurface>(FileName, Format);
    } catch (const Exception&) {
        return HDC();
    }
    auto dc = std::make_unique<TDc>(std::move(Surface), std::make_unique<TDirectCalls>());
    dc->Printer = true;
    dc->Ppi = Format.Resolution;
    return AddDc(std::move(dc));
}

void SetPdfPageFormat(HDC DC, const TPdfPageFormat& Format)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    if (pdf && Format.Resolution > 0)
        pdf->SetNextFormat(*FindDc(DC), Format);
}

String GetPdfWriteError(HDC DC)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    return pdf ? pdf->WriteError() : String();
}

bool GetPdfPageFormat(HDC DC, TPdfPageFormat& Format)
{
    TPdfSurface* pdf = PdfSurfaceOf(DC);
    if (!pdf)
        return false;
    Format = *pdf->PageFormat();
    return true;
}

} // namespace qor
