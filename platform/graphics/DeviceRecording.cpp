// Recording contexts: a decorator around the context's calls that logs each one as a readable
// line before forwarding it, over a surface that draws nothing and measures text with fixed, fake
// metrics. Tests and the golden files of the output tests compare these lines, so their text is
// fixed: change it only together with every expectation that holds it.

#include "platform/graphics/internal/DeviceContext.h"

#include <cstdarg>
#include <cstdio>

namespace qor {

namespace gdi {

namespace {

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

String PointsText(const TPoint* Pts, Integer Count)
{
    String s;
    for (Integer i = 0; i < Count; ++i)
        s += Fmt("%s%d,%d", i ? ";" : "", Pts[i].X, Pts[i].Y);
    return s;
}

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

// The line of a state change (empty for those not logged).
String AttributeText(TAttribute A, Cardinal Value)
{
    switch (A) {
    case TAttribute::TextColor: return Fmt("SetTextColor($%06X)", Value);
    case TAttribute::BkColor: return Fmt("SetBkColor($%06X)", Value);
    case TAttribute::BkMode: return Fmt("SetBkMode(%s)", Integer(Value) == TRANSPARENT ? "TRANSPARENT" : "OPAQUE");
    case TAttribute::TextAlign: return Fmt("SetTextAlign(%u)", Value);
    case TAttribute::Rop2: return Fmt("SetROP2(%d)", Integer(Value));
    case TAttribute::StretchMode: return Fmt("SetStretchBltMode(%d)", Integer(Value));
    case TAttribute::CharExtra: return Fmt("SetTextCharacterExtra(%d)", Integer(Value));
    case TAttribute::DCBrushColor:
    case TAttribute::DCPenColor: return String();
    }
    return String();
}

String ShapeText(TShapeKind Kind, const TRect& R, TSize Corner, TPoint Start, TPoint End)
{
    switch (Kind) {
    case TShapeKind::Rectangle: return Fmt("Rectangle(%d,%d,%d,%d)", R.Left, R.Top, R.Right, R.Bottom);
    case TShapeKind::RoundRect:
        return Fmt("RoundRect(%d,%d,%d,%d,%d,%d)", R.Left, R.Top, R.Right, R.Bottom, Corner.cx, Corner.cy);
    case TShapeKind::Ellipse: return Fmt("Ellipse(%d,%d,%d,%d)", R.Left, R.Top, R.Right, R.Bottom);
    case TShapeKind::Arc:
    case TShapeKind::Chord:
    case TShapeKind::Pie: break;
    }
    static const char* names[] = {"Arc", "Chord", "Pie"};
    return Fmt("%s(%d,%d,%d,%d,%d,%d,%d,%d)", names[int(Kind) - int(TShapeKind::Arc)], R.Left, R.Top, R.Right, R.Bottom,
               Start.X, Start.Y, End.X, End.Y);
}

String TextCallText(const TTextCall& C)
{
    if (!C.Extended)
        return Fmt("TextOut(%d,%d,", C.X, C.Y) + Quote(C.Cps) + ")";
    String line = Fmt("ExtTextOut(%d,%d,%u,", C.X, C.Y, C.Options) + (C.Rect ? RectText(*C.Rect) : String("nil")) +
                  "," + Quote(C.Cps);
    if (C.Dx) {
        line += ",dx=";
        for (Integer i = 0; i < C.UnitCount; ++i)
            line += Fmt("%s%d", i ? ";" : "", C.Dx[i]);
    }
    return line + ")";
}

class TRecorder final : public IDeviceCalls {
public:
    explicit TRecorder(std::unique_ptr<IDeviceCalls> Inner) : FInner(std::move(Inner)) {}

    std::vector<String> Log;

    Integer StartDoc(TDc& Dc, const DOCINFO& Info) override
    {
        Note("StartDoc(" + Quote(ToCodePoints(Info.lpszDocName)) + ")");
        return FInner->StartDoc(Dc, Info);
    }
    Integer StartPage(TDc& Dc) override
    {
        Note("StartPage()");
        return FInner->StartPage(Dc);
    }
    Integer EndPage(TDc& Dc) override
    {
        Note("EndPage()");
        return FInner->EndPage(Dc);
    }
    Integer EndDoc(TDc& Dc, bool Abort) override
    {
        Note(Abort ? "AbortDoc()" : "EndDoc()");
        return FInner->EndDoc(Dc, Abort);
    }
    bool ResetDC(TDc& Dc, const TDeviceMode* DevMode) override
    {
        Note("ResetDC()");
        return FInner->ResetDC(Dc, DevMode);
    }
    Cardinal SetAttribute(TDc& Dc, TAttribute A, Cardinal Value) override
    {
        Note(AttributeText(A, Value));
        return FInner->SetAttribute(Dc, A, Value);
    }
    Integer SaveDC(TDc& Dc) override
    {
        Note("SaveDC()");
        return FInner->SaveDC(Dc);
    }
    bool RestoreDC(TDc& Dc, Integer Level) override
    {
        Note(Fmt("RestoreDC(%d)", Level));
        return FInner->RestoreDC(Dc, Level);
    }
    HGDIOBJ SelectObject(TDc& Dc, const PObject& Object, std::uintptr_t Handle) override
    {
        Note("SelectObject(" + DescribeObject(*Object) + ")");
        return FInner->SelectObject(Dc, Object, Handle);
    }
    HPALETTE SelectPalette(TDc& Dc, const std::shared_ptr<TPaletteObject>& Palette, std::uintptr_t Handle) override
    {
        Note("SelectPalette()");
        return FInner->SelectPalette(Dc, Palette, Handle);
    }
    Cardinal RealizePalette(TDc& Dc) override
    {
        Note("RealizePalette()");
        return FInner->RealizePalette(Dc);
    }
    Integer SetMapMode(TDc& Dc, Integer Mode) override
    {
        Note(Fmt("SetMapMode(%d)", Mode));
        return FInner->SetMapMode(Dc, Mode);
    }
    void SetWindowOrg(TDc& Dc, TPoint P) override
    {
        Note(Fmt("SetWindowOrgEx(%d,%d)", P.X, P.Y));
        FInner->SetWindowOrg(Dc, P);
    }
    void SetViewportOrg(TDc& Dc, TPoint P) override
    {
        Note(Fmt("SetViewportOrgEx(%d,%d)", P.X, P.Y));
        FInner->SetViewportOrg(Dc, P);
    }
    void SetWindowExt(TDc& Dc, TSize S) override
    {
        Note(Fmt("SetWindowExtEx(%d,%d)", S.cx, S.cy));
        FInner->SetWindowExt(Dc, S);
    }
    void SetViewportExt(TDc& Dc, TSize S) override
    {
        Note(Fmt("SetViewportExtEx(%d,%d)", S.cx, S.cy));
        FInner->SetViewportExt(Dc, S);
    }
    Integer SelectClip(TDc& Dc, const std::vector<TRect>* Rects, Integer Mode) override
    {
        if (!Rects)
            Note("SelectClipRgn(0)");
        else {
            String s;
            for (const TRect& rc : *Rects)
                s += (s.empty() ? "" : ";") + RectText(rc);
            Note("SelectClipRgn(" + s + Fmt(",%d)", Mode));
        }
        return FInner->SelectClip(Dc, Rects, Mode);
    }
    Integer CombineClipRect(TDc& Dc, const TRect& R, Integer Mode) override
    {
        Note(Fmt("%s(%d,%d,%d,%d)", Mode == RGN_AND ? "IntersectClipRect" : "ExcludeClipRect", R.Left, R.Top, R.Right,
                 R.Bottom));
        return FInner->CombineClipRect(Dc, R, Mode);
    }
    void MoveTo(TDc& Dc, TPoint P) override
    {
        Note(Fmt("MoveToEx(%d,%d)", P.X, P.Y));
        FInner->MoveTo(Dc, P);
    }
    bool LineTo(TDc& Dc, TPoint P) override
    {
        Note(Fmt("LineTo(%d,%d)", P.X, P.Y));
        return FInner->LineTo(Dc, P);
    }
    bool Polyline(TDc& Dc, const TPoint* Points, Integer Count) override
    {
        Note("Polyline(" + PointsText(Points, Count) + ")");
        return FInner->Polyline(Dc, Points, Count);
    }
    bool PolylineTo(TDc& Dc, const TPoint* Points, Integer Count) override
    {
        Note("PolylineTo(" + PointsText(Points, Count) + ")");
        return FInner->PolylineTo(Dc, Points, Count);
    }
    bool Polygon(TDc& Dc, const TPoint* Points, Integer Count) override
    {
        Note("Polygon(" + PointsText(Points, Count) + ")");
        return FInner->Polygon(Dc, Points, Count);
    }
    bool PolyPolygon(TDc& Dc, const TPoint* Points, const Integer* Counts, Integer PolygonCount) override
    {
        Integer total = 0;
        for (Integer i = 0; i < PolygonCount; ++i)
            total += Counts[i];
        Note(Fmt("PolyPolygon(%d,", PolygonCount) + PointsText(Points, total) + ")");
        return FInner->PolyPolygon(Dc, Points, Counts, PolygonCount);
    }
    bool Shape(TDc& Dc, TShapeKind Kind, const TRect& R, TSize Corner, TPoint Start, TPoint End) override
    {
        Note(ShapeText(Kind, R, Corner, Start, End));
        return FInner->Shape(Dc, Kind, R, Corner, Start, End);
    }
    Integer FillRect(TDc& Dc, const TRect& R, const TBrushObject& B) override
    {
        Note("FillRect(" + RectText(R) + "," + DescribeObject(B) + ")");
        return FInner->FillRect(Dc, R, B);
    }
    Integer FrameRect(TDc& Dc, const TRect& R, const TBrushObject& B) override
    {
        Note("FrameRect(" + RectText(R) + "," + DescribeObject(B) + ")");
        return FInner->FrameRect(Dc, R, B);
    }
    bool InvertRect(TDc& Dc, const TRect& R) override
    {
        Note("InvertRect(" + RectText(R) + ")");
        return FInner->InvertRect(Dc, R);
    }
    bool FillRgn(TDc& Dc, const TRegionObject& Region, const TBrushObject& B) override
    {
        Note("FillRgn()");
        return FInner->FillRgn(Dc, Region, B);
    }
    bool PatBlt(TDc& Dc, const TArea& A, Cardinal Rop) override
    {
        Note(Fmt("PatBlt(%d,%d,%d,%d,$%08X)", A.X, A.Y, A.Width, A.Height, Rop));
        return FInner->PatBlt(Dc, A, Rop);
    }
    COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) override
    {
        Note(Fmt("SetPixel(%d,%d,$%06X)", P.X, P.Y, Color & 0xFFFFFF));
        return FInner->SetPixel(Dc, P, Color);
    }
    bool TextOut(TDc& Dc, const TTextCall& Call) override
    {
        Note(TextCallText(Call));
        return FInner->TextOut(Dc, Call);
    }
    bool StretchBlt(TDc& Dc, const TArea& Dest, TDc* Src, const TArea& Source, Cardinal Rop) override
    {
        Note(Fmt("StretchBlt(%d,%d,%d,%d,src,%d,%d,%d,%d,$%08X)", Dest.X, Dest.Y, Dest.Width, Dest.Height, Source.X,
                 Source.Y, Source.Width, Source.Height, Rop));
        return FInner->StretchBlt(Dc, Dest, Src, Source, Rop);
    }
    bool StretchDIBits(TDc& Dc, const TArea& Dest, const TArea& Source, const TSourcePixels& Pixels,
                       Cardinal Rop) override
    {
        Note(Fmt("StretchDIBits(%d,%d,%d,%d,%d,%d,%d,%d,%dx%d,$%08X)", Dest.X, Dest.Y, Dest.Width, Dest.Height,
                 Source.X, Source.Y, Source.Width, Source.Height, Pixels.Width, Pixels.Height, Rop));
        return FInner->StretchDIBits(Dc, Dest, Source, Pixels, Rop);
    }
    bool DrawPixels(TDc& Dc, const TArea& Dest, const TSourcePixels& Pixels) override
    {
        Note(
            Fmt("DrawPixels(%d,%d,%d,%d,%dx%d)", Dest.X, Dest.Y, Dest.Width, Dest.Height, Pixels.Width, Pixels.Height));
        return FInner->DrawPixels(Dc, Dest, Pixels);
    }

private:
    void Note(String Line)
    {
        if (!Line.empty())
            Log.push_back(std::move(Line));
    }

    std::unique_ptr<IDeviceCalls> FInner;
};

// Draws nothing; its device size is the context's Width x Height. Its text metrics are the fixed
// ones of recording contexts, or the real fonts' for an information context.
class TNullSurface final : public TSurface {
public:
    explicit TNullSurface(bool Fake = true) : FFake(Fake) {}
    bool FakeMetrics() const override { return FFake; }
    TSize Size(const TDc& Dc) const override { return {Dc.Width, Dc.Height}; }
    bool Shape(TDc&, const TShapeCall&) override { return true; }
    bool Polygons(TDc&, const std::vector<TPoint>&, const Integer*, Integer) override { return true; }
    bool Polyline(TDc&, const std::vector<TPoint>&, bool) override { return true; }
    bool FillRect(TDc&, const TRect&, const TBrushObject*) override { return true; }
    bool Blit(TDc&, const TBlit&) override { return true; }
    COLORREF SetPixel(TDc&, TPoint, COLORREF Color) override { return Color & 0xFFFFFF; }
    bool Text(TDc&, const TTextPlacement&, const TTextRun&) override { return true; }

private:
    bool FFake;
};

} // namespace

std::unique_ptr<TSurface> MakeNullSurface(bool FakeMetrics) { return std::make_unique<TNullSurface>(FakeMetrics); }

std::unique_ptr<IDeviceCalls> MakeRecorder(std::unique_ptr<IDeviceCalls> Inner)
{
    return std::make_unique<TRecorder>(std::move(Inner));
}

std::vector<String>* RecordedLog(IDeviceCalls& Calls)
{
    auto* recorder = dynamic_cast<TRecorder*>(&Calls);
    return recorder ? &recorder->Log : nullptr;
}

} // namespace gdi

using namespace gdi;

namespace {

HDC CreateNullDC(Integer Width, Integer Height, Integer PixelsPerInch, bool Printer, bool FakeMetrics, bool Record)
{
    if (PixelsPerInch <= 0)
        return HDC();
    std::unique_ptr<IDeviceCalls> calls = std::make_unique<TDirectCalls>();
    if (Record)
        calls = MakeRecorder(std::move(calls));
    auto dc = std::make_unique<TDc>(MakeNullSurface(FakeMetrics), std::move(calls));
    dc->Ppi = PixelsPerInch;
    dc->Width = Width;
    dc->Height = Height;
    dc->Printer = Printer;
    return AddDc(std::move(dc));
}

} // namespace

HDC CreateRecordingDC(Integer Width, Integer Height, Integer PixelsPerInch, bool Printer)
{
    return CreateNullDC(Width, Height, PixelsPerInch, Printer, true, true);
}

HDC CreateInformationDC(Integer Width, Integer Height, Integer PixelsPerInch, bool Printer, bool Record)
{
    return CreateNullDC(Width, Height, PixelsPerInch, Printer, false, Record);
}

std::vector<String> GetRecordedCalls(HDC DC)
{
    TDc* dc = FindDc(DC);
    std::vector<String>* log = dc ? RecordedLog(*dc->Calls) : nullptr;
    return log ? *log : std::vector<String>();
}

void ClearRecordedCalls(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (std::vector<String>* log = dc ? RecordedLog(*dc->Calls) : nullptr)
        log->clear();
}

} // namespace qor
