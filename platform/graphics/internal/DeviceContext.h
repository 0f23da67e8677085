#pragma once
// Private to the graphics sources: the device context behind an HDC.
//
// A context (TDc) keeps the state and the coordinate mapping every backend shares. What it draws
// on is its surface (TSurface): a raster bitmap, a PDF document, or nothing at all. The calls that
// change or use the state go through its call interface (IDeviceCalls); the direct implementation
// (TDirectCalls) does the work, and a recording context wraps it in a decorator that logs each call
// before forwarding it. Public functions in Gdi.h look the context up, reject bad arguments and
// hand the call on.
//
// Threads: device contexts, like the font instances they share, belong to the thread that draws.
// Neither the context table nor a context is locked; contexts are created, used and deleted on
// one thread (the report engine's, or a test's).

#include "platform/graphics/Gdi.h"
#include "platform/graphics/internal/GdiObjects.h"
#include "platform/graphics/internal/PrinterDriverSink.h"

#include <array>
#include <cstdint>
#include <map>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace qor::gdi {

// Device coordinates are kept well inside 32 bits, so sums and sizes of them cannot overflow.
Integer ClampCoord(Double V);

std::uint32_t ToPixel(COLORREF C);
COLORREF ToColorRef(std::uint32_t P);

// The plain values of a context's state, set and read through one pair of helpers.
enum class TAttribute { TextColor, BkColor, BkMode, TextAlign, Rop2, StretchMode, CharExtra, DCBrushColor, DCPenColor };
constexpr std::size_t AttributeCount = std::size_t(TAttribute::DCPenColor) + 1;

struct TDcState {
    std::shared_ptr<TFontObject> Font;
    std::shared_ptr<TPenObject> Pen;
    std::shared_ptr<TBrushObject> Brush;
    std::shared_ptr<TBitmapObject> Bitmap; // raster contexts only
    std::shared_ptr<TPaletteObject> Palette;
    std::uintptr_t FontHandle = 0, PenHandle = 0, BrushHandle = 0, BitmapHandle = 0, PaletteHandle = 0;
    std::array<Cardinal, AttributeCount> Attributes{
        RGB(0, 0, 0), RGB(255, 255, 255), Cardinal(OPAQUE), TA_LEFT | TA_TOP, Cardinal(R2_COPYPEN),
        Cardinal(BLACKONWHITE), 0, RGB(255, 255, 255), RGB(0, 0, 0)};
    TPoint Pos; // logical
    Integer MapMode = MM_TEXT;
    TPoint WinOrg, VpOrg;
    TSize WinExt{1, 1}, VpExt{1, 1};
    bool HasClip = false;

    // The clip region in device units. Saved states share it until it changes.
    const std::vector<TRect>& Clip() const { return ClipRects ? *ClipRects : NoRects(); }
    void SetClip(std::vector<TRect> Rects)
    {
        ClipRects = std::make_shared<const std::vector<TRect>>(std::move(Rects));
    }
    std::shared_ptr<const std::vector<TRect>> ClipRects;
    static const std::vector<TRect>& NoRects()
    {
        static const std::vector<TRect> None;
        return None;
    }

    Cardinal& Attribute(TAttribute A) { return Attributes[std::size_t(A)]; }
    Cardinal Attribute(TAttribute A) const { return Attributes[std::size_t(A)]; }
    COLORREF TextColor() const { return Attribute(TAttribute::TextColor); }
    COLORREF BkColor() const { return Attribute(TAttribute::BkColor); }
    Integer BkMode() const { return Integer(Attribute(TAttribute::BkMode)); }
    Cardinal TextAlign() const { return Attribute(TAttribute::TextAlign); }
    Integer Rop2() const { return Integer(Attribute(TAttribute::Rop2)); }
    Integer CharExtra() const { return Integer(Attribute(TAttribute::CharExtra)); }
    COLORREF DCBrushColor() const { return Attribute(TAttribute::DCBrushColor); }
    COLORREF DCPenColor() const { return Attribute(TAttribute::DCPenColor); }
};

struct TDc;

// ---- what a context draws on -------------------------------------------------------------------

// Pixels a blit reads: 0xAARRGGBB (Alpha) or 0x00RRGGBB, top row first.
struct TSourcePixels {
    const std::uint32_t* Pixels = nullptr;
    Integer Width = 0, Height = 0;
    bool Monochrome = false;
    bool Alpha = false;
    bool TopDown = false; // a DIB whose rows are stored top first (its source rows count from the top)
};

// A blit in device pixels with a positive destination size (mirroring moved to the source sizes).
struct TBlit {
    Integer DX = 0, DY = 0, DW = 0, DH = 0;
    TSourcePixels Src;
    Integer SX = 0, SY = 0, SW = 0, SH = 0;
    Cardinal Rop = SRCCOPY;

    // The source pixel nearest to destination offset (X, Y); a monochrome source takes the text and
    // background colours of Dc unless Dc draws into a monochrome bitmap. False outside the source.
    bool SourceAt(const TDc& Dc, Integer X, Integer Y, std::uint32_t& Out) const;
};

// How a blit goes on: it fails (a source it needs is missing or empty), has nothing to draw, or
// draws; moves mirroring of the destination into the source first.
enum class TBlitCheck { Fail, Empty, Draw };
TBlitCheck PrepareBlit(TBlit& B);

// Paper points at a resolution, in whole pixels.
Integer PaperPixels(Double Points, Integer Res);

bool RopUsesPattern(Cardinal Rop);
bool RopUsesSource(Cardinal Rop);

// A blit's rectangle as the caller gives it: a corner and a size (negative sizes mirror).
struct TArea {
    Integer X = 0, Y = 0, Width = 0, Height = 0;
    // The far edges, held inside Integer's range (the values may come from files).
    Integer Right() const { return Edge(X, Width); }
    Integer Bottom() const { return Edge(Y, Height); }

private:
    static Integer Edge(Integer At, Integer Size)
    {
        const Int64 V = Int64(At) + Size;
        return V > std::numeric_limits<Integer>::max()   ? std::numeric_limits<Integer>::max()
               : V < std::numeric_limits<Integer>::min() ? std::numeric_limits<Integer>::min()
                                                         : Integer(V);
    }
};

// Filled and outlined shapes, in device pixels.
enum class TShapeKind { Rectangle, RoundRect, Ellipse, Arc, Chord, Pie };
struct TShapeCall {
    TShapeKind Kind = TShapeKind::Rectangle;
    TRect Box;
    Double RadiusX = 0, RadiusY = 0; // RoundRect
    TPoint Start, End;               // Arc, Chord, Pie
};

// Code points with their advances in device pixels.
struct TTextRun {
    std::u32string Cps;
    std::vector<Integer> Adv;
    Integer Width = 0;
};

// Where a run goes: the reference point in device pixels and the run's start along the baseline and
// baseline offset relative to it (unrotated), with ETO_ options and their rectangle (device pixels).
struct TTextPlacement {
    TPoint Ref;
    Integer StartX = 0, BaseY = 0;
    Cardinal Options = 0;
    const TRect* Rect = nullptr;
};

class TSurface {
public:
    virtual ~TSurface() = default;

    // Fixed, fake font metrics (every character half an em wide).
    virtual bool FakeMetrics() const { return false; }
    // The drawing area in device pixels, and the size GetDeviceCaps reports.
    virtual TSize Size(const TDc& Dc) const = 0;
    virtual TSize ReportedSize(const TDc& Dc) const { return Size(Dc); }
    // The paper of a paged surface (null for others).
    virtual const TPdfPageFormat* PageFormat() const { return nullptr; }

    // The document begins (StartDoc): its title names a written document.
    virtual void BeginDocument(const DOCINFO& Info) { (void)Info; }
    // Pages and documents. OpenPage: false on failure. PageIsOpen: a second begin is ignored.
    // ClosePage: false when the surface has pages and none is open (the end is then ignored).
    virtual bool PageIsOpen() const { return false; }
    virtual bool OpenPage() { return true; }
    virtual bool ClosePage() { return true; }
    // False when the document could not be written complete (never for a discarded one).
    virtual bool EndDocument(bool Discard)
    {
        (void)Discard;
        return true;
    }
    // Called when the context is deleted.
    virtual void Release() {}

    // Drawing in device pixels with the context's selected objects; false when it cannot draw.
    virtual bool Shape(TDc& Dc, const TShapeCall& Call) = 0;
    // Polygons filled with the brush (alternate filling) and outlined with the pen.
    virtual bool Polygons(TDc& Dc, const std::vector<TPoint>& Points, const Integer* Counts, Integer Count) = 0;
    virtual bool Polyline(TDc& Dc, const std::vector<TPoint>& Points, bool Close) = 0;
    // Fills R with B (not necessarily the selected brush), ignoring the mix mode.
    virtual bool FillRect(TDc& Dc, const TRect& R, const TBrushObject* B) = 0;
    virtual bool Blit(TDc& Dc, const TBlit& B) = 0;
    virtual COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) = 0;
    virtual bool Text(TDc& Dc, const TTextPlacement& At, const TTextRun& Run) = 0;
};

std::unique_ptr<TSurface> MakeNullSurface(bool FakeMetrics = true);

// ---- the calls a context answers ---------------------------------------------------------------

// A text call: a run of code points at (X, Y); Extended for ExtTextOut with its options, rectangle
// and advances (Dx, one per UTF-16 unit, UnitCount of them).
struct TTextCall {
    bool Extended = false;
    Integer X = 0, Y = 0;
    Cardinal Options = 0;
    const TRect* Rect = nullptr;
    std::u32string Cps;
    const Integer* Dx = nullptr;
    Integer UnitCount = 0;
};

// Arguments are checked before a call reaches this interface.
class IDeviceCalls {
public:
    virtual ~IDeviceCalls() = default;

    // documents and pages
    virtual Integer StartDoc(TDc& Dc, const DOCINFO& Info) = 0;
    virtual Integer StartPage(TDc& Dc) = 0;
    virtual Integer EndPage(TDc& Dc) = 0;
    virtual Integer EndDoc(TDc& Dc, bool Abort) = 0;
    virtual bool ResetDC(TDc& Dc, const TDeviceMode* DevMode) = 0;
    // state
    virtual Cardinal SetAttribute(TDc& Dc, TAttribute A, Cardinal Value) = 0;
    virtual Integer SaveDC(TDc& Dc) = 0;
    virtual bool RestoreDC(TDc& Dc, Integer Level) = 0;
    virtual HGDIOBJ SelectObject(TDc& Dc, const PObject& Object, std::uintptr_t Handle) = 0;
    virtual HPALETTE SelectPalette(TDc& Dc, const std::shared_ptr<TPaletteObject>& Palette, std::uintptr_t Handle) = 0;
    virtual Cardinal RealizePalette(TDc& Dc) = 0;
    // coordinates
    virtual Integer SetMapMode(TDc& Dc, Integer Mode) = 0;
    virtual void SetWindowOrg(TDc& Dc, TPoint P) = 0;
    virtual void SetViewportOrg(TDc& Dc, TPoint P) = 0;
    virtual void SetWindowExt(TDc& Dc, TSize S) = 0;
    virtual void SetViewportExt(TDc& Dc, TSize S) = 0;
    // clipping; Rects null removes the clip region
    virtual Integer SelectClip(TDc& Dc, const std::vector<TRect>* Rects, Integer Mode) = 0;
    // IntersectClipRect (RGN_AND) and ExcludeClipRect (RGN_DIFF), logical units
    virtual Integer CombineClipRect(TDc& Dc, const TRect& R, Integer Mode) = 0;
    // lines and shapes, logical units
    virtual void MoveTo(TDc& Dc, TPoint P) = 0;
    virtual bool LineTo(TDc& Dc, TPoint P) = 0;
    virtual bool Polyline(TDc& Dc, const TPoint* Points, Integer Count) = 0;
    virtual bool PolylineTo(TDc& Dc, const TPoint* Points, Integer Count) = 0;
    virtual bool Polygon(TDc& Dc, const TPoint* Points, Integer Count) = 0;
    virtual bool PolyPolygon(TDc& Dc, const TPoint* Points, const Integer* Counts, Integer PolygonCount) = 0;
    // Rectangle, RoundRect (Corner: the ellipse's size), Ellipse; Arc, Chord and Pie (Start, End)
    virtual bool Shape(TDc& Dc, TShapeKind Kind, const TRect& R, TSize Corner, TPoint Start, TPoint End) = 0;
    virtual Integer FillRect(TDc& Dc, const TRect& R, const TBrushObject& B) = 0;
    virtual Integer FrameRect(TDc& Dc, const TRect& R, const TBrushObject& B) = 0;
    virtual bool InvertRect(TDc& Dc, const TRect& R) = 0;
    virtual bool FillRgn(TDc& Dc, const TRegionObject& Region, const TBrushObject& B) = 0;
    virtual bool PatBlt(TDc& Dc, const TArea& A, Cardinal Rop) = 0;
    virtual COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) = 0;
    // text
    virtual bool TextOut(TDc& Dc, const TTextCall& Call) = 0;
    // images; Src is null when the raster operation takes no source
    virtual bool StretchBlt(TDc& Dc, const TArea& Dest, TDc* Src, const TArea& Source, Cardinal Rop) = 0;
    virtual bool StretchDIBits(TDc& Dc, const TArea& Dest, const TArea& Source, const TSourcePixels& Pixels,
                               Cardinal Rop) = 0;
    virtual bool DrawPixels(TDc& Dc, const TArea& Dest, const TSourcePixels& Pixels) = 0;
};

// The calls done: state changes, and drawing through the context's surface.
class TDirectCalls final : public IDeviceCalls {
public:
    Integer StartDoc(TDc& Dc, const DOCINFO& Info) override;
    Integer StartPage(TDc& Dc) override;
    Integer EndPage(TDc& Dc) override;
    Integer EndDoc(TDc& Dc, bool Abort) override;
    bool ResetDC(TDc& Dc, const TDeviceMode* DevMode) override;
    Cardinal SetAttribute(TDc& Dc, TAttribute A, Cardinal Value) override;
    Integer SaveDC(TDc& Dc) override;
    bool RestoreDC(TDc& Dc, Integer Level) override;
    HGDIOBJ SelectObject(TDc& Dc, const PObject& Object, std::uintptr_t Handle) override;
    HPALETTE SelectPalette(TDc& Dc, const std::shared_ptr<TPaletteObject>& Palette, std::uintptr_t Handle) override;
    Cardinal RealizePalette(TDc& Dc) override;
    Integer SetMapMode(TDc& Dc, Integer Mode) override;
    void SetWindowOrg(TDc& Dc, TPoint P) override;
    void SetViewportOrg(TDc& Dc, TPoint P) override;
    void SetWindowExt(TDc& Dc, TSize S) override;
    void SetViewportExt(TDc& Dc, TSize S) override;
    Integer SelectClip(TDc& Dc, const std::vector<TRect>* Rects, Integer Mode) override;
    Integer CombineClipRect(TDc& Dc, const TRect& R, Integer Mode) override;
    void MoveTo(TDc& Dc, TPoint P) override;
    bool LineTo(TDc& Dc, TPoint P) override;
    bool Polyline(TDc& Dc, const TPoint* Points, Integer Count) override;
    bool PolylineTo(TDc& Dc, const TPoint* Points, Integer Count) override;
    bool Polygon(TDc& Dc, const TPoint* Points, Integer Count) override;
    bool PolyPolygon(TDc& Dc, const TPoint* Points, const Integer* Counts, Integer PolygonCount) override;
    bool Shape(TDc& Dc, TShapeKind Kind, const TRect& R, TSize Corner, TPoint Start, TPoint End) override;
    Integer FillRect(TDc& Dc, const TRect& R, const TBrushObject& B) override;
    Integer FrameRect(TDc& Dc, const TRect& R, const TBrushObject& B) override;
    bool InvertRect(TDc& Dc, const TRect& R) override;
    bool FillRgn(TDc& Dc, const TRegionObject& Region, const TBrushObject& B) override;
    bool PatBlt(TDc& Dc, const TArea& A, Cardinal Rop) override;
    COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) override;
    bool TextOut(TDc& Dc, const TTextCall& Call) override;
    bool StretchBlt(TDc& Dc, const TArea& Dest, TDc* Src, const TArea& Source, Cardinal Rop) override;
    bool StretchDIBits(TDc& Dc, const TArea& Dest, const TArea& Source, const TSourcePixels& Pixels,
                       Cardinal Rop) override;
    bool DrawPixels(TDc& Dc, const TArea& Dest, const TSourcePixels& Pixels) override;
};

// Wraps Inner in a decorator that logs each call, one readable line, before forwarding it.
std::unique_ptr<IDeviceCalls> MakeRecorder(std::unique_ptr<IDeviceCalls> Inner);
// The log of a recorder (null for other calls).
std::vector<String>* RecordedLog(IDeviceCalls& Calls);

// ---- the context ---------------------------------------------------------------------------------

// The largest font height (logical units, either sign) a context realizes; taller ones are held to it.
inline constexpr Integer MaxFontHeight = 1 << 16;

// How many states SaveDC keeps at most on one context.
inline constexpr Integer MaxSavedStates = 4096;

struct TDc {
    TDc(std::unique_ptr<TSurface> ASurface, std::unique_ptr<IDeviceCalls> ACalls);
    ~TDc();

    HDC Handle; // set when the context is added to the table
    bool Memory = false;
    bool Printer = false;
    Integer Ppi = 96;
    Integer Width = 0, Height = 0; // device size of recording and screen contexts
    TDcState S;
    std::vector<TDcState> Saved;
    std::map<Integer, Integer> Caps;
    std::shared_ptr<IPrinterDriverSink> Sink;
    std::unique_ptr<TSurface> Surface;
    std::unique_ptr<IDeviceCalls> Calls;

    // ---- coordinates ----
    Double ScaleX() const { return Double(S.VpExt.cx) / Double(S.WinExt.cx); }
    Double ScaleY() const { return Double(S.VpExt.cy) / Double(S.WinExt.cy); }
    bool Identity() const { return S.MapMode == MM_TEXT || (S.VpExt.cx == S.WinExt.cx && S.VpExt.cy == S.WinExt.cy); }
    TPoint ToDevice(Integer X, Integer Y) const;
    TPoint ToLogical(Integer X, Integer Y) const;
    TRect ToDevice(const TRect& R) const;
    std::vector<TPoint> ToDevice(const TPoint* Points, Integer Count) const;
    Integer LengthX(Integer L) const;
    Integer LengthY(Integer L) const;
    Integer ToLogicalX(Integer L) const;
    Integer ToLogicalY(Integer L) const;
    void SetFixedMapping();
    void AdjustIsotropic();

    TSize DeviceSize() const { return Surface->Size(*this); }
    // The visible area in device pixels: the device bounds and the clip region.
    std::vector<TRect> VisibleRects() const;

    // The font realized for the selected font and the current mapping.
    TFontInstance& Font();

private:
    // Held, not just pointed at: a font freed and another made at its address must not pass for it.
    std::shared_ptr<const TFontObject> FRealizedFor;
    Integer FRealizedHeight = 0;
    std::shared_ptr<TFontInstance> FRealized;
};

// For the public calls: looks up the context of DC as dc, or returns Failure from the calling function.
#define QOR_DC_OR(Failure)  \
    TDc* dc = FindDc(DC);   \
    if (!dc)                \
    return Failure

// Adds a context to the table with the stock objects selected.
HDC AddDc(std::unique_ptr<TDc> Dc);
TDc* FindDc(HDC DC);

} // namespace qor::gdi
