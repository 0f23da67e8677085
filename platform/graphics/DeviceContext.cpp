// Device contexts: the table of contexts, their state, coordinate mapping and clipping, device
// capabilities and the document calls. What they draw on is in the surface files (RasterSurface,
// PdfSurface, PainterSurface), the drawing calls in DeviceDrawing and DeviceText, the call log in
// DeviceRecording.

#include "platform/graphics/internal/DeviceContext.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/Streams.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <unordered_map>

namespace qor {

namespace gdi {

Integer ClampCoord(Double V)
{
    constexpr Double Limit = 1 << 28;
    return Integer(std::floor(std::clamp(V, -Limit, Limit) + 0.5));
}

std::uint32_t ToPixel(COLORREF C)
{
    return 0xFF000000u | (std::uint32_t(GetRValue(C)) << 16) | (std::uint32_t(GetGValue(C)) << 8) | GetBValue(C);
}

COLORREF ToColorRef(std::uint32_t P) { return RGB(Byte(P >> 16), Byte(P >> 8), Byte(P)); }

// ---- the context ---------------------------------------------------------------------------------

TDc::TDc(std::unique_ptr<TSurface> ASurface, std::unique_ptr<IDeviceCalls> ACalls)
    : Surface(std::move(ASurface)), Calls(std::move(ACalls))
{
}

TDc::~TDc() { Surface->Release(); }

TPoint TDc::ToDevice(Integer X, Integer Y) const
{
    if (Identity())
        return {ClampCoord(Double(X) - S.WinOrg.X + S.VpOrg.X), ClampCoord(Double(Y) - S.WinOrg.Y + S.VpOrg.Y)};
    return {ClampCoord((Double(X) - S.WinOrg.X) * ScaleX() + S.VpOrg.X),
            ClampCoord((Double(Y) - S.WinOrg.Y) * ScaleY() + S.VpOrg.Y)};
}

TPoint TDc::ToLogical(Integer X, Integer Y) const
{
    if (Identity())
        return {ClampCoord(Double(X) - S.VpOrg.X + S.WinOrg.X), ClampCoord(Double(Y) - S.VpOrg.Y + S.WinOrg.Y)};
    return {ClampCoord((Double(X) - S.VpOrg.X) / ScaleX() + S.WinOrg.X),
            ClampCoord((Double(Y) - S.VpOrg.Y) / ScaleY() + S.WinOrg.Y)};
}

TRect TDc::ToDevice(const TRect& R) const
{
    TPoint a = ToDevice(R.Left, R.Top), b = ToDevice(R.Right, R.Bottom);
    return TRect(a, b).Normalized();
}

std::vector<TPoint> TDc::ToDevice(const TPoint* Points, Integer Count) const
{
    std::vector<TPoint> dev;
    dev.reserve(std::size_t(std::max<Integer>(Count, 0)));
    for (Integer i = 0; i < Count; ++i)
        dev.push_back(ToDevice(Points[i].X, Points[i].Y));
    return dev;
}

Integer TDc::LengthX(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L * ScaleX())); }
Integer TDc::LengthY(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L * ScaleY())); }
Integer TDc::ToLogicalX(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L / ScaleX())); }
Integer TDc::ToLogicalY(Integer L) const { return Identity() ? L : ClampCoord(std::abs(L / ScaleY())); }

void TDc::SetFixedMapping()
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

void TDc::AdjustIsotropic()
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

std::vector<TRect> TDc::VisibleRects() const
{
    TSize sz = DeviceSize();
    TRect bounds(0, 0, sz.cx, sz.cy);
    if (!S.HasClip)
        return {bounds};
    std::vector<TRect> out;
    for (const TRect& r : S.Clip()) {
        TRect x;
        if (IntersectRect(x, r, bounds))
            out.push_back(x);
    }
    return out;
}

TFontInstance& TDc::Font()
{
    const TFontObject* f = S.Font.get();
    // Heights from files may be anything: held to what a font can be, and never negated past range.
    const Integer h = std::clamp<Integer>(f->Log.lfHeight, -MaxFontHeight, MaxFontHeight);
    const Integer devH = Identity() ? h : (h < 0 ? -LengthY(-h) : LengthY(h));
    if (!FRealized || FRealizedFor.get() != f || FRealizedHeight != devH) {
        const bool fake = Surface->FakeMetrics();
        FRealized = RealizeFont(f->Log, EmPixelsFor(f->Log, devH, fake), fake);
        FRealizedFor = S.Font;
        FRealizedHeight = devH;
    }
    return *FRealized;
}

// ---- the table -----------------------------------------------------------------------------------

namespace {

std::unordered_map<std::uintptr_t, std::unique_ptr<TDc>>& Dcs()
{
    static auto* t = new std::unordered_map<std::uintptr_t, std::unique_ptr<TDc>>;
    return *t;
}

} // namespace

TDc* FindDc(HDC DC)
{
    if (!DC)
        return nullptr;
    auto it = Dcs().find(DC.Value());
    return it == Dcs().end() ? nullptr : it->second.get();
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
    const HDC h(NewHandleValue());
    Dc->Handle = h;
    Dcs().emplace(h.Value(), std::move(Dc));
    return h;
}

} // namespace gdi

using namespace gdi;

bool DeleteDC(HDC DC)
{
    auto it = Dcs().find(DC.Value());
    if (it == Dcs().end())
        return false;
    std::unique_ptr<TDc> dc = std::move(it->second);
    Dcs().erase(it);
    dc->Surface->Release();
    if (dc->Sink)
        dc->Sink->Detached(DC);
    return true;
}

Integer GetObjectTypeOfDC(HDC DC)
{
    QOR_DC_OR(0);
    return dc->Memory ? OBJ_MEMDC : OBJ_DC;
}

TSize GetDCBitmapSize(HDC DC)
{
    TDc* dc = FindDc(DC);
    if (!dc || !dc->S.Bitmap)
        return {};
    return {dc->S.Bitmap->Width, dc->S.Bitmap->Height};
}

namespace {

bool SavePixelsPng(const TBitmapObject& B, const String& FileName)
{
    EnsureQtApplication();
    QImage img(reinterpret_cast<const uchar*>(B.Pixels.data()), B.Width, B.Height, B.Width * 4, QImage::Format_RGB32);
    QByteArray Png;
    QBuffer Buffer(&Png);
    if (!Buffer.open(QIODevice::WriteOnly) || !img.save(&Buffer, "PNG"))
        return false;
    // Written beside the file and renamed over it when complete: a full disk leaves no cut picture.
    try {
        SaveFileSafely(FileName, [&](TStream& Out) { Out.WriteBuffer(Png.constData(), Png.size()); });
    } catch (const Exception&) {
        return false;
    }
    return true;
}

} // namespace

bool SaveDCToPng(HDC DC, const String& FileName)
{
    TDc* dc = FindDc(DC);
    return dc && dc->S.Bitmap && SavePixelsPng(*dc->S.Bitmap, FileName);
}

bool SaveBitmapToPng(HBITMAP Bitmap, const String& FileName)
{
    auto b = Find<TBitmapObject>(Bitmap.Value(), OBJ_BITMAP);
    return b && SavePixelsPng(*b, FileName);
}

HBITMAP CreateCompatibleBitmap(HDC DC, Integer Width, Integer Height)
{
    TDc* dc = FindDc(DC);
    if (!dc || Width < 0 || Height < 0 || Int64(Width) * Height > (Int64(1) << 28))
        return HBITMAP();
    if (dc->S.Bitmap && dc->S.Bitmap->Monochrome)
        return CreateBitmap(Width, Height, 1, 1, nullptr);
    std::uint32_t* bits = nullptr;
    HBITMAP b = CreateDIBSection32(std::max<Integer>(Width, 1), std::max<Integer>(Height, 1), &bits);
    if (auto obj = Find<TBitmapObject>(b.Value(), OBJ_BITMAP))
        obj->DibSection = false;
    return b;
}

// ---- capabilities and pages ----------------------------------------------------------------------

Integer GetDeviceCaps(HDC DC, Integer Index)
{
    QOR_DC_OR(0);
    auto it = dc->Caps.find(Index);
    if (it != dc->Caps.end())
        return it->second;
    const bool printer = dc->Printer || dc->Sink;
    const TSize dev = dc->Surface->ReportedSize(*dc);
    const TPdfPageFormat* paper = dc->Surface->PageFormat();
    const Integer ppi = paper ? paper->Resolution : dc->Ppi;
    switch (Index) {
    case DRIVERVERSION: return 0x400;
    case TECHNOLOGY: return printer ? DT_RASPRINTER : DT_RASDISPLAY;
    case HORZSIZE: return MulDiv(dev.cx, 254, ppi * 10);
    case VERTSIZE: return MulDiv(dev.cy, 254, ppi * 10);
    case HORZRES: return dev.cx;
    case VERTRES: return dev.cy;
    case BITSPIXEL: return dc->S.Bitmap && dc->S.Bitmap->Monochrome ? 1 : 32;
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
        return paper ? PaperPixels(paper->PaperWidthPoints, paper->Resolution) : dev.cx;
    case PHYSICALHEIGHT:
        if (!printer)
            return 0;
        return paper ? PaperPixels(paper->PaperHeightPoints, paper->Resolution) : dev.cy;
    case PHYSICALOFFSETX: return paper ? paper->OffsetX : 0;
    case PHYSICALOFFSETY: return paper ? paper->OffsetY : 0;
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
    QOR_DC_OR(0);
    return dc->Calls->StartDoc(*dc, Info);
}

Integer StartPage(HDC DC)
{
    QOR_DC_OR(0);
    return dc->Calls->StartPage(*dc);
}

Integer EndPage(HDC DC)
{
    QOR_DC_OR(0);
    return dc->Calls->EndPage(*dc);
}

Integer EndDoc(HDC DC)
{
    QOR_DC_OR(0);
    return dc->Calls->EndDoc(*dc, false);
}

Integer AbortDoc(HDC DC)
{
    QOR_DC_OR(0);
    return dc->Calls->EndDoc(*dc, true);
}

HDC ResetDC(HDC DC, const TDeviceMode* DevMode)
{
    QOR_DC_OR(HDC());
    return dc->Calls->ResetDC(*dc, DevMode) ? DC : HDC();
}

namespace gdi {

namespace {
std::atomic<Integer> NextJobId{1};
}

Integer TDirectCalls::StartDoc(TDc& Dc, const DOCINFO& Info)
{
    if (Dc.Sink && !Dc.Sink->StartDoc(Dc.Handle, Info))
        return 0;
    Dc.Surface->BeginDocument(Info);
    return NextJobId++;
}

Integer TDirectCalls::StartPage(TDc& Dc)
{
    // A page context whose page is already open ignores a second begin.
    if (Dc.Surface->PageIsOpen())
        return 1;
    if (Dc.Sink && !Dc.Sink->StartPage(Dc.Handle))
        return 0;
    return Dc.Surface->OpenPage() ? 1 : 0;
}

Integer TDirectCalls::EndPage(TDc& Dc)
{
    if (!Dc.Surface->ClosePage())
        return 1; // no page to end: ignored
    if (Dc.Sink && !Dc.Sink->EndPage(Dc.Handle))
        return 0;
    return 1;
}

Integer TDirectCalls::EndDoc(TDc& Dc, bool Abort)
{
    const bool Written = Dc.Surface->EndDocument(Abort);
    if (!Written)
        return 0;
    if (Dc.Sink && !(Abort ? Dc.Sink->AbortDoc(Dc.Handle) : Dc.Sink->EndDoc(Dc.Handle)))
        return 0;
    return 1;
}

bool TDirectCalls::ResetDC(TDc& Dc, const TDeviceMode* DevMode)
{
    return !Dc.Sink || Dc.Sink->ResetDC(Dc.Handle, DevMode);
}

// ---- state ---------------------------------------------------------------------------------------

Cardinal TDirectCalls::SetAttribute(TDc& Dc, TAttribute A, Cardinal Value)
{
    Cardinal& slot = Dc.S.Attribute(A);
    const Cardinal old = slot;
    slot = A == TAttribute::TextAlign ? Value & TA_MASK : Value;
    return old;
}

Integer TDirectCalls::SaveDC(TDc& Dc)
{
    // Saved states share what has not changed (objects and the clip region); their number is held
    // to a bound, past which SaveDC fails as on any device that runs out of room.
    if (Dc.Saved.size() >= std::size_t(MaxSavedStates))
        return 0;
    Dc.Saved.push_back(Dc.S);
    return Integer(Dc.Saved.size());
}

bool TDirectCalls::RestoreDC(TDc& Dc, Integer Level)
{
    Integer n = Integer(Dc.Saved.size());
    Integer target = Level > 0 ? Level : n + Level + 1;
    if (Level == 0 || target < 1 || target > n)
        return false;
    Dc.S = Dc.Saved[std::size_t(target - 1)];
    Dc.Saved.resize(std::size_t(target - 1));
    return true;
}

} // namespace gdi

namespace {

// Sets one attribute of the state (Value already checked) and returns the old one, or Failure
// for an invalid context.
template <class T>
T SetAttribute(HDC DC, TAttribute A, T Value, T Failure)
{
    QOR_DC_OR(Failure);
    return T(dc->Calls->SetAttribute(*dc, A, Cardinal(Value)));
}

template <class T>
T GetAttribute(HDC DC, TAttribute A, T Failure)
{
    QOR_DC_OR(Failure);
    return T(dc->S.Attribute(A));
}

} // namespace

COLORREF SetTextColor(HDC DC, COLORREF Color)
{
    return SetAttribute<COLORREF>(DC, TAttribute::TextColor, Color & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetTextColor(HDC DC) { return GetAttribute<COLORREF>(DC, TAttribute::TextColor, CLR_INVALID); }
COLORREF SetBkColor(HDC DC, COLORREF Color)
{
    return SetAttribute<COLORREF>(DC, TAttribute::BkColor, Color & 0xFFFFFF, CLR_INVALID);
}
COLORREF GetBkColor(HDC DC) { return GetAttribute<COLORREF>(DC, TAttribute::BkColor, CLR_INVALID); }
Integer SetBkMode(HDC DC, Integer Mode)
{
    if (Mode != TRANSPARENT && Mode != OPAQUE)
        return 0;
    return SetAttribute<Integer>(DC, TAttribute::BkMode, Mode, 0);
}
Integer GetBkMode(HDC DC) { return GetAttribute<Integer>(DC, TAttribute::BkMode, 0); }
Cardinal SetTextAlign(HDC DC, Cardinal Flags) { return SetAttribute<Cardinal>(DC, TAttribute::TextAlign, Flags, GDI_ERROR); }
Cardinal GetTextAlign(HDC DC) { return GetAttribute<Cardinal>(DC, TAttribute::TextAlign, GDI_ERROR); }
Integer SetROP2(HDC DC, Integer Mode)
{
    if (Mode < R2_BLACK || Mode > R2_WHITE)
        return 0;
    return SetAttribute<Integer>(DC, TAttribute::Rop2, Mode, 0);
}
Integer GetROP2(HDC DC) { return GetAttribute<Integer>(DC, TAttribute::Rop2, 0); }
Integer SetStretchBltMode(HDC DC, Integer Mode)
{
    if (Mode < BLACKONWHITE || Mode > HALFTONE)
        return 0;
    return SetAttribute<Integer>(DC, TAttribute::StretchMode, Mode, 0);
}
Integer GetStretchBltMode(HDC DC) { return GetAttribute<Integer>(DC, TAttribute::StretchMode, 0); }
Integer SetTextCharacterExtra(HDC DC, Integer Extra)
{
    return SetAttribute<Integer>(DC, TAttribute::CharExtra, Extra, Integer(0x80000000));
}
Integer GetTextCharacterExtra(HDC DC) { return GetAttribute<Integer>(DC, TAttribute::CharExtra, Integer(0x80000000)); }
COLORREF SetDCBrushColor(HDC DC, COLORREF Color)
{
    return SetAttribute<COLORREF>(DC, TAttribute::DCBrushColor, Color & 0xFFFFFF, CLR_INVALID);
}
COLORREF SetDCPenColor(HDC DC, COLORREF Color)
{
    return SetAttribute<COLORREF>(DC, TAttribute::DCPenColor, Color & 0xFFFFFF, CLR_INVALID);
}

Integer SaveDC(HDC DC)
{
    QOR_DC_OR(0);
    return dc->Calls->SaveDC(*dc);
}

bool RestoreDC(HDC DC, Integer Level)
{
    QOR_DC_OR(false);
    return dc->Calls->RestoreDC(*dc, Level);
}

// ---- objects in contexts -------------------------------------------------------------------------

HGDIOBJ SelectObject(HDC DC, HGDIOBJ Object)
{
    QOR_DC_OR(HGDIOBJ());
    PObject o = FindObject(Object.Value());
    if (!o)
        return HGDIOBJ();
    return dc->Calls->SelectObject(*dc, o, Object.Value());
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
    return dc->Calls->SelectPalette(*dc, p, Palette.Value());
}

Cardinal RealizePalette(HDC DC)
{
    QOR_DC_OR(GDI_ERROR);
    return dc->Calls->RealizePalette(*dc);
}

Cardinal GetSystemPaletteEntries(HDC DC, Cardinal Start, Cardinal Count, PALETTEENTRY* Entries)
{
    (void)DC;
    (void)Start;
    (void)Count;
    (void)Entries;
    return 0; // not a palette device
}

namespace gdi {

namespace {

// Puts Object in Slot and Handle in HandleSlot; returns the handle it replaces.
template <class T>
std::uintptr_t Replace(std::shared_ptr<T>& Slot, std::uintptr_t& HandleSlot, const PObject& Object,
                       std::uintptr_t Handle)
{
    const std::uintptr_t old = HandleSlot;
    Slot = std::static_pointer_cast<T>(Object);
    HandleSlot = Handle;
    return old;
}

} // namespace

HGDIOBJ TDirectCalls::SelectObject(TDc& Dc, const PObject& Object, std::uintptr_t Handle)
{
    TDcState& s = Dc.S;
    switch (Object->Type) {
    case OBJ_FONT: return HGDIOBJ(Replace(s.Font, s.FontHandle, Object, Handle));
    case OBJ_PEN: return HGDIOBJ(Replace(s.Pen, s.PenHandle, Object, Handle));
    case OBJ_BRUSH: return HGDIOBJ(Replace(s.Brush, s.BrushHandle, Object, Handle));
    case OBJ_BITMAP: {
        if (!Dc.Memory)
            return HGDIOBJ();
        const std::uintptr_t old = Replace(s.Bitmap, s.BitmapHandle, Object, Handle);
        Dc.Width = s.Bitmap->Width;
        Dc.Height = s.Bitmap->Height;
        return HGDIOBJ(old);
    }
    // Through the public calls, so a recording context logs them as well.
    case OBJ_REGION: return HGDIOBJ(std::uintptr_t(SelectClipRgn(Dc.Handle, HRGN(Handle))));
    case OBJ_PAL: return HGDIOBJ(qor::SelectPalette(Dc.Handle, HPALETTE(Handle), false));
    default: return HGDIOBJ();
    }
}

HPALETTE TDirectCalls::SelectPalette(TDc& Dc, const std::shared_ptr<TPaletteObject>& Palette, std::uintptr_t Handle)
{
    HPALETTE old(Dc.S.PaletteHandle);
    Dc.S.Palette = Palette;
    Dc.S.PaletteHandle = Handle;
    return old;
}

Cardinal TDirectCalls::RealizePalette(TDc& Dc)
{
    (void)Dc;
    return 0;
}

// ---- coordinates ---------------------------------------------------------------------------------

Integer TDirectCalls::SetMapMode(TDc& Dc, Integer Mode)
{
    Integer old = Dc.S.MapMode;
    Dc.S.MapMode = Mode;
    if (Mode == MM_TEXT) {
        Dc.S.WinExt = TSize(1, 1);
        Dc.S.VpExt = TSize(1, 1);
    } else if (Mode == MM_ISOTROPIC || Mode == MM_ANISOTROPIC) {
        // The extents of the previous mode are kept.
        Dc.AdjustIsotropic();
    } else
        Dc.SetFixedMapping();
    return old;
}

void TDirectCalls::SetWindowOrg(TDc& Dc, TPoint P) { Dc.S.WinOrg = P; }
void TDirectCalls::SetViewportOrg(TDc& Dc, TPoint P) { Dc.S.VpOrg = P; }

void TDirectCalls::SetWindowExt(TDc& Dc, TSize S)
{
    Dc.S.WinExt = S;
    Dc.AdjustIsotropic();
}

void TDirectCalls::SetViewportExt(TDc& Dc, TSize S)
{
    Dc.S.VpExt = S;
    Dc.AdjustIsotropic();
}

// ---- clipping ------------------------------------------------------------------------------------

Integer TDirectCalls::SelectClip(TDc& Dc, const std::vector<TRect>* Rects, Integer Mode)
{
    if (!Rects) {
        Dc.S.HasClip = false;
        Dc.S.ClipRects.reset();
        return SIMPLEREGION;
    }
    if (Mode == RGN_COPY)
        Dc.S.SetClip(*Rects);
    else
        Dc.S.SetClip(RegionCombine(Dc.S.HasClip ? Dc.S.Clip() : Dc.VisibleRects(), *Rects, Mode));
    Dc.S.HasClip = true;
    return RegionComplexity(Dc.S.Clip());
}

Integer TDirectCalls::CombineClipRect(TDc& Dc, const TRect& R, Integer Mode)
{
    const TSize sz = Dc.DeviceSize();
    const std::vector<TRect> whole{TRect(0, 0, sz.cx, sz.cy)};
    Dc.S.SetClip(RegionCombine(Dc.S.HasClip ? Dc.S.Clip() : whole, {Dc.ToDevice(R)}, Mode));
    Dc.S.HasClip = true;
    return RegionComplexity(Dc.S.Clip());
}

} // namespace gdi

Integer SetMapMode(HDC DC, Integer Mode)
{
    QOR_DC_OR(0);
    if (Mode < MM_TEXT || Mode > MM_ANISOTROPIC)
        return 0;
    return dc->Calls->SetMapMode(*dc, Mode);
}
Integer GetMapMode(HDC DC)
{
    QOR_DC_OR(0);
    return dc->S.MapMode;
}
namespace {

// Moves one of the state's points (an origin, the current position) through Call; Old gets the
// point it replaces.
bool SetPoint(HDC DC, TPoint TDcState::*Field, void (IDeviceCalls::*Call)(TDc&, TPoint), TPoint P, TPoint* Old)
{
    QOR_DC_OR(false);
    const TPoint old = dc->S.*Field;
    (dc->Calls.get()->*Call)(*dc, P);
    if (Old)
        *Old = old;
    return true;
}

bool GetStatePoint(HDC DC, TPoint TDcState::*Field, TPoint& P)
{
    QOR_DC_OR(false);
    P = dc->S.*Field;
    return true;
}

} // namespace

bool SetWindowOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
    return SetPoint(DC, &TDcState::WinOrg, &IDeviceCalls::SetWindowOrg, TPoint(X, Y), Old);
}
bool GetWindowOrgEx(HDC DC, TPoint& P) { return GetStatePoint(DC, &TDcState::WinOrg, P); }
bool SetViewportOrgEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
    return SetPoint(DC, &TDcState::VpOrg, &IDeviceCalls::SetViewportOrg, TPoint(X, Y), Old);
}
bool GetViewportOrgEx(HDC DC, TPoint& P) { return GetStatePoint(DC, &TDcState::VpOrg, P); }
bool MoveToEx(HDC DC, Integer X, Integer Y, TPoint* Old)
{
    return SetPoint(DC, &TDcState::Pos, &IDeviceCalls::MoveTo, TPoint(X, Y), Old);
}
bool GetCurrentPositionEx(HDC DC, TPoint& P) { return GetStatePoint(DC, &TDcState::Pos, P); }
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

namespace {

// SetWindowExtEx and SetViewportExtEx: Old gets the extent in force; the fixed modes ignore the call.
bool SetExtent(HDC DC, bool Window, Integer X, Integer Y, TSize* Old)
{
    QOR_DC_OR(false);
    if (Old)
        *Old = Window ? dc->S.WinExt : dc->S.VpExt;
    if (dc->S.MapMode != MM_ISOTROPIC && dc->S.MapMode != MM_ANISOTROPIC)
        return true;
    if (X == 0 || Y == 0)
        return false;
    if (Window)
        dc->Calls->SetWindowExt(*dc, TSize(X, Y));
    else
        dc->Calls->SetViewportExt(*dc, TSize(X, Y));
    return true;
}

} // namespace

bool SetWindowExtEx(HDC DC, Integer X, Integer Y, TSize* Old) { return SetExtent(DC, true, X, Y, Old); }
bool GetWindowExtEx(HDC DC, TSize& S)
{
    QOR_DC_OR(false);
    S = dc->S.WinExt;
    return true;
}
bool SetViewportExtEx(HDC DC, Integer X, Integer Y, TSize* Old) { return SetExtent(DC, false, X, Y, Old); }
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
    if (!Region)
        return Mode == RGN_COPY ? dc->Calls->SelectClip(*dc, nullptr, Mode) : RGN_ERROR;
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    if (!r)
        return RGN_ERROR;
    return dc->Calls->SelectClip(*dc, &r->Rects, Mode);
}

Integer SelectClipRgn(HDC DC, HRGN Region) { return ExtSelectClipRgn(DC, Region, RGN_COPY); }

Integer IntersectClipRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    QOR_DC_OR(RGN_ERROR);
    return dc->Calls->CombineClipRect(*dc, TRect(Left, Top, Right, Bottom), RGN_AND);
}

Integer ExcludeClipRect(HDC DC, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    QOR_DC_OR(RGN_ERROR);
    return dc->Calls->CombineClipRect(*dc, TRect(Left, Top, Right, Bottom), RGN_DIFF);
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
    r->Rects = dc->S.Clip();
    return 1;
}

} // namespace qor
