// GDI objects: the handle table, fonts, pens, brushes, bitmaps, regions, palettes, stock objects.

#include "platform/graphics/Gdi.h"
#include "platform/graphics/internal/GdiObjects.h"
#include "platform/rtl/Utf16.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace qor {

namespace gdi {

namespace {

constexpr std::uintptr_t StockCount = 22; // with the 1 x 1 monochrome bitmap of new memory contexts
constexpr std::uintptr_t FirstDynamicHandle = 0x1000;
// Stock handles stay clear of 1 .. 31, which brush arguments use for system colours.
constexpr std::uintptr_t StockBase = 0x100;

struct TTable {
    std::mutex Lock;
    std::unordered_map<std::uintptr_t, PObject> Objects;
    std::uintptr_t Next = FirstDynamicHandle;
};

std::shared_ptr<TFontObject> MakeFont(const char* Face, Integer Height, Integer Weight, Byte Pitch)
{
    auto f = std::make_shared<TFontObject>();
    f->Log.lfHeight = Height;
    f->Log.lfWeight = Weight;
    f->Log.lfPitchAndFamily = Pitch;
    SetFaceName(f->Log, Face);
    return f;
}

std::shared_ptr<TBrushObject> MakeBrush(Cardinal Style, COLORREF Color)
{
    auto b = std::make_shared<TBrushObject>();
    b->Log.lbStyle = Style;
    b->Log.lbColor = Color;
    return b;
}

std::shared_ptr<TPenObject> MakePen(Cardinal Style, COLORREF Color)
{
    auto p = std::make_shared<TPenObject>();
    p->Log.lopnStyle = Style;
    p->Log.lopnColor = Color;
    return p;
}

void AddStock(TTable& T)
{
    auto put = [&](Integer Index, PObject O) { T.Objects[StockHandle(Index)] = std::move(O); };
    put(WHITE_BRUSH, MakeBrush(BS_SOLID, RGB(255, 255, 255)));
    put(LTGRAY_BRUSH, MakeBrush(BS_SOLID, RGB(192, 192, 192)));
    put(GRAY_BRUSH, MakeBrush(BS_SOLID, RGB(128, 128, 128)));
    put(DKGRAY_BRUSH, MakeBrush(BS_SOLID, RGB(64, 64, 64)));
    put(BLACK_BRUSH, MakeBrush(BS_SOLID, RGB(0, 0, 0)));
    put(NULL_BRUSH, MakeBrush(BS_NULL, 0));
    put(WHITE_PEN, MakePen(PS_SOLID, RGB(255, 255, 255)));
    put(BLACK_PEN, MakePen(PS_SOLID, RGB(0, 0, 0)));
    put(NULL_PEN, MakePen(PS_NULL, 0));
    put(OEM_FIXED_FONT, MakeFont("Courier New", 12, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    put(ANSI_FIXED_FONT, MakeFont("Courier New", 13, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    put(ANSI_VAR_FONT, MakeFont("MS Sans Serif", 13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS));
    put(SYSTEM_FONT, MakeFont("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS));
    put(DEVICE_DEFAULT_FONT, MakeFont("System", 16, FW_BOLD, VARIABLE_PITCH | FF_SWISS));
    auto pal = std::make_shared<TPaletteObject>();
    const COLORREF defaults[20] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                                   0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
                                   0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (COLORREF c : defaults)
        pal->Entries.push_back(PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0});
    put(DEFAULT_PALETTE, pal);
    put(SYSTEM_FIXED_FONT, MakeFont("Courier New", 16, FW_NORMAL, FIXED_PITCH | FF_MODERN));
    put(DEFAULT_GUI_FONT, MakeFont("MS Shell Dlg", -11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS));
    auto dcBrush = MakeBrush(BS_SOLID, RGB(255, 255, 255));
    dcBrush->UsesDCColor = true;
    put(DC_BRUSH, dcBrush);
    auto dcPen = MakePen(PS_SOLID, 0);
    dcPen->UsesDCColor = true;
    put(DC_PEN, dcPen);
    auto mono = std::make_shared<TBitmapObject>();
    mono->Width = mono->Height = 1;
    mono->Monochrome = true;
    mono->Pixels.assign(1, 0xFF000000u);
    put(DEFAULT_BITMAP, mono);
}

TTable& Table()
{
    static TTable* t = [] {
        auto* table = new TTable; // lives for the process: handles may be used during exit
        AddStock(*table);
        return table;
    }();
    return *t;
}

} // namespace

std::uintptr_t NewHandleValue()
{
    TTable& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    return t.Next++;
}

std::uintptr_t AddObject(PObject Object)
{
    TTable& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    std::uintptr_t h = t.Next++;
    t.Objects.emplace(h, std::move(Object));
    return h;
}

PObject FindObject(std::uintptr_t Handle)
{
    if (Handle == 0)
        return nullptr;
    TTable& t = Table();
    std::lock_guard<std::mutex> g(t.Lock);
    auto it = t.Objects.find(Handle);
    return it == t.Objects.end() ? nullptr : it->second;
}

bool IsStockHandle(std::uintptr_t Handle) { return Handle >= StockBase && Handle < StockBase + StockCount; }

std::uintptr_t StockHandle(Integer Index) { return StockBase + std::uintptr_t(Index); }

bool RemoveObject(std::uintptr_t Handle)
{
    if (IsStockHandle(Handle))
        return false;
    TTable& t = Table();
    PObject keep; // released outside the lock
    std::lock_guard<std::mutex> g(t.Lock);
    auto it = t.Objects.find(Handle);
    if (it == t.Objects.end())
        return false;
    keep = std::move(it->second);
    t.Objects.erase(it);
    return true;
}

// ---- regions -----------------------------------------------------------------------------------

namespace {

using TSpans = std::vector<std::pair<Integer, Integer>>; // sorted, disjoint [left, right)

// The rectangles of a region that cross one horizontal band, swept from the top: rectangles are
// taken in when the band reaches their top and dropped once it is past their bottom.
class TBandSweep {
public:
    explicit TBandSweep(const std::vector<TRect>& Rects)
    {
        for (const TRect& r : Rects)
            if (!r.IsEmpty())
                FPending.push_back(r);
        std::sort(FPending.begin(), FPending.end(), [](const TRect& x, const TRect& y) { return x.Top < y.Top; });
    }
    // The spans covering the band starting at Y (bands are visited top to bottom).
    TSpans SpansAt(Integer Y)
    {
        while (FNext < FPending.size() && FPending[FNext].Top <= Y)
            FActive.push_back(FPending[FNext++]);
        std::erase_if(FActive, [Y](const TRect& r) { return r.Bottom <= Y; });
        TSpans spans;
        for (const TRect& r : FActive)
            spans.emplace_back(r.Left, r.Right);
        std::sort(spans.begin(), spans.end());
        TSpans merged;
        for (const auto& s : spans) {
            if (!merged.empty() && s.first <= merged.back().second)
                merged.back().second = std::max(merged.back().second, s.second);
            else
                merged.push_back(s);
        }
        return merged;
    }

private:
    std::vector<TRect> FPending;
    std::size_t FNext = 0;
    std::vector<TRect> FActive;
};

bool Combined(bool InA, bool InB, Integer Mode)
{
    switch (Mode) {
    case RGN_AND: return InA && InB;
    case RGN_OR: return InA || InB;
    case RGN_XOR: return InA != InB;
    case RGN_DIFF: return InA && !InB;
    default: return InA;
    }
}

// The spans of one band in the combination, walking the edges of both in order.
TSpans CombineSpans(const TSpans& A, const TSpans& B, Integer Mode)
{
    std::vector<Integer> edges;
    for (const TSpans* list : {&A, &B})
        for (const auto& s : *list) {
            edges.push_back(s.first);
            edges.push_back(s.second);
        }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    TSpans out;
    std::size_t ia = 0, ib = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const Integer x = edges[i];
        while (ia < A.size() && A[ia].second <= x)
            ++ia;
        while (ib < B.size() && B[ib].second <= x)
            ++ib;
        const bool inA = ia < A.size() && A[ia].first <= x;
        const bool inB = ib < B.size() && B[ib].first <= x;
        if (!Combined(inA, inB, Mode))
            continue;
        if (!out.empty() && out.back().second == x)
            out.back().second = edges[i + 1];
        else
            out.emplace_back(x, edges[i + 1]);
    }
    return out;
}

} // namespace

// Band by band from the top: each band's spans are combined in one walk over their edges, so the
// cost grows with the rectangles a band crosses, not with every pair of edges of both regions.
std::vector<TRect> RegionCombine(const std::vector<TRect>& A, const std::vector<TRect>& B, Integer Mode)
{
    std::vector<Integer> ys;
    for (const auto* list : {&A, &B})
        for (const TRect& r : *list) {
            if (r.IsEmpty())
                continue;
            ys.push_back(r.Top);
            ys.push_back(r.Bottom);
        }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    TBandSweep sweepA(A), sweepB(B);
    std::vector<TRect> out;
    TSpans prevRow;
    std::size_t prevStart = 0; // where the rectangles of the previous row begin in out
    for (std::size_t j = 0; j + 1 < ys.size(); ++j) {
        const TSpans row = CombineSpans(sweepA.SpansAt(ys[j]), sweepB.SpansAt(ys[j]), Mode);
        // A row with the same spans as the one just above extends it downwards.
        if (!row.empty() && row == prevRow && out.size() > prevStart && out.back().Bottom == ys[j]) {
            for (std::size_t k = prevStart; k < out.size(); ++k)
                out[k].Bottom = ys[j + 1];
            continue;
        }
        prevStart = out.size();
        for (const auto& s : row)
            out.push_back(TRect(s.first, ys[j], s.second, ys[j + 1]));
        prevRow = row;
    }
    return out;
}

TRect RegionBox(const std::vector<TRect>& Rects)
{
    TRect box;
    for (const TRect& r : Rects)
        UnionRect(box, box, r);
    return box;
}

Integer RegionComplexity(const std::vector<TRect>& Rects)
{
    if (Rects.empty())
        return NULLREGION;
    return Rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// ---- text helpers ------------------------------------------------------------------------------

String FromCodePoints(const std::u32string& Cps)
{
    String out;
    for (char32_t c : Cps) {
        if (c < 0x80)
            out += char(c);
        else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

LOGFONT LogFontOf(Integer Height, Integer Width, Integer Escapement, Integer Orientation, Integer Weight, Byte Italic,
                  Byte Underline, Byte StrikeOut, Byte CharSet, Byte OutPrecision, Byte ClipPrecision, Byte Quality,
                  Byte PitchAndFamily)
{
    LOGFONT lf;
    lf.lfHeight = Height;
    lf.lfWidth = Width;
    lf.lfEscapement = Escapement;
    lf.lfOrientation = Orientation;
    lf.lfWeight = Weight;
    lf.lfItalic = Italic;
    lf.lfUnderline = Underline;
    lf.lfStrikeOut = StrikeOut;
    lf.lfCharSet = CharSet;
    lf.lfOutPrecision = OutPrecision;
    lf.lfClipPrecision = ClipPrecision;
    lf.lfQuality = Quality;
    lf.lfPitchAndFamily = PitchAndFamily;
    return lf;
}

String FaceNameOf(const LOGFONT& Log)
{
    Integer n = 0;
    while (n < LF_FACESIZE && Log.lfFaceName[n])
        ++n;
    return FromCodePoints(ToCodePoints(Log.lfFaceName, n));
}

void SetFaceName(LOGFONT& Log, const String& Face)
{
    std::memset(Log.lfFaceName, 0, sizeof Log.lfFaceName);
    Integer n = 0;
    for (char32_t c : ToCodePoints(Face)) {
        std::u16string units;
        AppendUtf16(units, c);
        if (n + Integer(units.size()) > LF_FACESIZE - 1)
            break;
        for (char16_t u : units)
            Log.lfFaceName[n++] = WideChar(u);
    }
}

std::u32string ToCodePoints(const String& S)
{
    std::u32string out;
    out.reserve(S.size());
    const auto* p = reinterpret_cast<const unsigned char*>(S.data());
    std::size_t n = S.size(), i = 0;
    while (i < n) {
        unsigned char c = p[i];
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80)
            cp = c;
        else if ((c >> 5) == 6 && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            cp = char32_t((c & 0x1F) << 6 | (p[i + 1] & 0x3F));
            len = 2;
        } else if ((c >> 4) == 14 && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            cp = char32_t((c & 0x0F) << 12 | (p[i + 1] & 0x3F) << 6 | (p[i + 2] & 0x3F));
            len = 3;
        } else if ((c >> 3) == 30 && i + 3 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80 &&
                   (p[i + 3] & 0xC0) == 0x80) {
            cp = char32_t((c & 0x07) << 18 | (p[i + 1] & 0x3F) << 12 | (p[i + 2] & 0x3F) << 6 | (p[i + 3] & 0x3F));
            len = 4;
        }
        out.push_back(cp);
        i += len;
    }
    return out;
}

std::u32string ToCodePoints(const WideChar* S, Integer Count)
{
    std::u32string out;
    if (!S || Count <= 0)
        return out;
    out.reserve(std::size_t(Count));
    for (std::size_t i = 0; i < std::size_t(Count);)
        out.push_back(NextCodePoint(S, std::size_t(Count), i));
    return out;
}

} // namespace gdi

using namespace gdi;

// ---- creation ----------------------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONT& LogFont)
{
    auto f = std::make_shared<TFontObject>();
    f->Log = LogFont;
    f->Log.lfFaceName[LF_FACESIZE - 1] = 0;
    return HFONT(AddObject(f));
}

HFONT CreateFont(Integer Height, Integer Width, Integer Escapement, Integer Orientation, Integer Weight, Byte Italic,
                 Byte Underline, Byte StrikeOut, Byte CharSet, Byte OutPrecision, Byte ClipPrecision, Byte Quality,
                 Byte PitchAndFamily, const String& FaceName)
{
    LOGFONT lf = LogFontOf(Height, Width, Escapement, Orientation, Weight, Italic, Underline, StrikeOut, CharSet,
                           OutPrecision, ClipPrecision, Quality, PitchAndFamily);
    SetFaceName(lf, FaceName);
    return CreateFontIndirect(lf);
}

HPEN CreatePenIndirect(const LOGPEN& LogPen)
{
    Cardinal style = LogPen.lopnStyle & PS_STYLE_MASK;
    if (style > PS_INSIDEFRAME)
        return HPEN();
    auto p = std::make_shared<TPenObject>();
    p->Log = LogPen;
    p->Log.lopnStyle = style;
    p->Log.lopnWidth.X = std::max<Integer>(0, LogPen.lopnWidth.X);
    p->Log.lopnWidth.Y = 0;
    p->Log.lopnColor = LogPen.lopnColor & 0x00FFFFFF;
    return HPEN(AddObject(p));
}

HPEN CreatePen(Cardinal Style, Integer Width, COLORREF Color)
{
    LOGPEN lp;
    lp.lopnStyle = Style;
    lp.lopnWidth = TPoint(Width, 0);
    lp.lopnColor = Color;
    return CreatePenIndirect(lp);
}

HBRUSH CreateSolidBrush(COLORREF Color)
{
    return HBRUSH(AddObject(MakeBrush(BS_SOLID, Color & 0x00FFFFFF)));
}

HBRUSH CreateHatchBrush(Cardinal Hatch, COLORREF Color)
{
    if (Hatch > HS_DIAGCROSS)
        return HBRUSH();
    auto b = MakeBrush(BS_HATCHED, Color & 0x00FFFFFF);
    b->Log.lbHatch = Hatch;
    return HBRUSH(AddObject(b));
}

HBRUSH CreatePatternBrush(HBITMAP Bitmap)
{
    auto bmp = Find<TBitmapObject>(Bitmap.Value(), OBJ_BITMAP);
    if (!bmp || bmp->Width <= 0 || bmp->Height <= 0)
        return HBRUSH();
    auto copy = std::make_shared<TBitmapObject>();
    copy->Width = 8;
    copy->Height = 8;
    copy->Monochrome = bmp->Monochrome;
    copy->Pixels.resize(64);
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x)
            copy->Pixels[std::size_t(y * 8 + x)] =
                bmp->Pixels[std::size_t((y % bmp->Height) * bmp->Width + (x % bmp->Width))];
    auto b = MakeBrush(BS_PATTERN, 0);
    b->Log.lbHatch = Cardinal(Bitmap.Value());
    b->Pattern = copy;
    return HBRUSH(AddObject(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH& LogBrush)
{
    switch (LogBrush.lbStyle) {
    case BS_SOLID: return CreateSolidBrush(LogBrush.lbColor);
    case BS_NULL: return HBRUSH(AddObject(MakeBrush(BS_NULL, LogBrush.lbColor & 0x00FFFFFF)));
    case BS_HATCHED: return CreateHatchBrush(LogBrush.lbHatch, LogBrush.lbColor);
    case BS_PATTERN: return CreatePatternBrush(HBITMAP(std::uintptr_t(LogBrush.lbHatch)));
    default: return HBRUSH();
    }
}

HBITMAP CreateBitmap(Integer Width, Integer Height, Cardinal Planes, Cardinal BitsPerPixel, const void* Bits)
{
    if (Width < 0 || Height < 0 || Int64(Width) * Height > (Int64(1) << 28) || Planes != 1 ||
        (BitsPerPixel != 1 && BitsPerPixel != 32))
        return HBITMAP();
    auto b = std::make_shared<TBitmapObject>();
    b->Width = std::max<Integer>(Width, 1);
    b->Height = std::max<Integer>(Height, 1);
    b->Monochrome = BitsPerPixel == 1;
    b->Pixels.assign(std::size_t(b->Width) * std::size_t(b->Height), 0xFF000000u);
    if (Bits && Width > 0 && Height > 0) {
        const auto* p = static_cast<const Byte*>(Bits);
        if (b->Monochrome) {
            std::size_t stride = std::size_t((Width + 15) / 16) * 2;
            for (Integer y = 0; y < Height; ++y)
                for (Integer x = 0; x < Width; ++x) {
                    bool on = (p[std::size_t(y) * stride + std::size_t(x / 8)] >> (7 - x % 8)) & 1;
                    b->Pixels[std::size_t(y * Width + x)] = on ? 0xFFFFFFFFu : 0xFF000000u;
                }
        } else {
            for (std::size_t i = 0; i < b->Pixels.size(); ++i) {
                std::uint32_t v = std::uint32_t(p[i * 4]) | std::uint32_t(p[i * 4 + 1]) << 8 |
                                  std::uint32_t(p[i * 4 + 2]) << 16;
                b->Pixels[i] = 0xFF000000u | v;
            }
        }
    }
    return HBITMAP(AddObject(b));
}

HBITMAP CreateDIBSection32(Integer Width, Integer Height, std::uint32_t** Bits)
{
    if (Width <= 0 || Height <= 0 || Int64(Width) * Height > (Int64(1) << 28))
        return HBITMAP();
    auto b = std::make_shared<TBitmapObject>();
    b->Width = Width;
    b->Height = Height;
    b->DibSection = true;
    b->Pixels.assign(std::size_t(Width) * std::size_t(Height), 0xFF000000u);
    if (Bits)
        *Bits = b->Pixels.data();
    return HBITMAP(AddObject(b));
}

HRGN CreateRectRgn(Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    auto r = std::make_shared<TRegionObject>();
    TRect rc = TRect(Left, Top, Right, Bottom).Normalized();
    if (!rc.IsEmpty())
        r->Rects.push_back(rc);
    return HRGN(AddObject(r));
}

HRGN CreateRectRgnIndirect(const TRect& R) { return CreateRectRgn(R.Left, R.Top, R.Right, R.Bottom); }

Integer CombineRgn(HRGN Dest, HRGN Src1, HRGN Src2, Integer Mode)
{
    auto d = Find<TRegionObject>(Dest.Value(), OBJ_REGION);
    auto a = Find<TRegionObject>(Src1.Value(), OBJ_REGION);
    if (!d || !a || Mode < RGN_AND || Mode > RGN_COPY)
        return RGN_ERROR;
    std::vector<TRect> result;
    if (Mode == RGN_COPY)
        result = a->Rects;
    else {
        auto b = Find<TRegionObject>(Src2.Value(), OBJ_REGION);
        if (!b)
            return RGN_ERROR;
        result = RegionCombine(a->Rects, b->Rects, Mode);
    }
    d->Rects = std::move(result);
    return RegionComplexity(d->Rects);
}

bool SetRectRgn(HRGN Region, Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    if (!r)
        return false;
    r->Rects.clear();
    TRect rc = TRect(Left, Top, Right, Bottom).Normalized();
    if (!rc.IsEmpty())
        r->Rects.push_back(rc);
    return true;
}

bool PtInRegion(HRGN Region, Integer X, Integer Y)
{
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    if (!r)
        return false;
    for (const TRect& rc : r->Rects)
        if (rc.Contains({X, Y}))
            return true;
    return false;
}

Integer GetRgnBox(HRGN Region, TRect& R)
{
    auto r = Find<TRegionObject>(Region.Value(), OBJ_REGION);
    if (!r)
        return RGN_ERROR;
    R = RegionBox(r->Rects);
    return RegionComplexity(r->Rects);
}

HPALETTE CreatePalette(const LOGPALETTE& LogPalette)
{
    auto p = std::make_shared<TPaletteObject>();
    if (LogPalette.palPalEntry)
        p->Entries.assign(LogPalette.palPalEntry, LogPalette.palPalEntry + LogPalette.palNumEntries);
    return HPALETTE(AddObject(p));
}

HGDIOBJ GetStockObject(Integer Index)
{
    if (Index < 0 || Index >= Integer(StockCount) || Index == 9 || Index == 20)
        return HGDIOBJ();
    return HGDIOBJ(StockHandle(Index));
}

Integer GetObjectType(HGDIOBJ Object)
{
    PObject o = FindObject(Object.Value());
    return o ? o->Type : 0;
}

Integer GetObject(HGDIOBJ Object, Integer Size, void* Buffer)
{
    PObject o = FindObject(Object.Value());
    if (!o)
        return 0;
    auto put = [&](const auto& Record) -> Integer {
        Integer need = Integer(sizeof(Record));
        if (!Buffer)
            return need;
        if (Size < need)
            return 0;
        std::memcpy(Buffer, &Record, sizeof(Record));
        return need;
    };
    switch (o->Type) {
    case OBJ_FONT: return put(static_cast<TFontObject&>(*o).Log);
    case OBJ_PEN: return put(static_cast<TPenObject&>(*o).Log);
    case OBJ_BRUSH: return put(static_cast<TBrushObject&>(*o).Log);
    case OBJ_BITMAP: {
        auto& b = static_cast<TBitmapObject&>(*o);
        BITMAP bm;
        bm.bmWidth = b.Width;
        bm.bmHeight = b.Height;
        bm.bmBitsPixel = b.Monochrome ? 1 : 32;
        bm.bmWidthBytes = b.Monochrome ? ((b.Width + 15) / 16) * 2 : b.Width * 4;
        bm.bmBits = b.DibSection ? b.Pixels.data() : nullptr;
        return put(bm);
    }
    case OBJ_PAL: {
        Word n = Word(static_cast<TPaletteObject&>(*o).Entries.size());
        return put(n);
    }
    default: return 0;
    }
}

bool GetObject(HFONT Font, LOGFONT& Out)
{
    auto f = Find<TFontObject>(Font.Value(), OBJ_FONT);
    if (!f)
        return false;
    Out = f->Log;
    return true;
}

bool GetObject(HPEN Pen, LOGPEN& Out)
{
    auto p = Find<TPenObject>(Pen.Value(), OBJ_PEN);
    if (!p)
        return false;
    Out = p->Log;
    return true;
}

bool GetObject(HBRUSH Brush, LOGBRUSH& Out)
{
    auto b = Find<TBrushObject>(Brush.Value(), OBJ_BRUSH);
    if (!b)
        return false;
    Out = b->Log;
    return true;
}

bool GetObject(HBITMAP Bitmap, BITMAP& Out)
{
    return GetObject(HGDIOBJ(Bitmap), Integer(sizeof(BITMAP)), &Out) == Integer(sizeof(BITMAP));
}

bool DeleteObject(HGDIOBJ Object)
{
    if (IsStockHandle(Object.Value()))
        return FindObject(Object.Value()) != nullptr; // stock objects stay
    return RemoveObject(Object.Value());
}

bool GetBitmapPixels(HBITMAP Bitmap, TSize& Size, std::vector<std::uint32_t>& Pixels)
{
    auto b = Find<TBitmapObject>(Bitmap.Value(), OBJ_BITMAP);
    if (!b)
        return false;
    Size = TSize(b->Width, b->Height);
    Pixels = b->Pixels;
    return true;
}

bool SetBitmapPixels(HBITMAP Bitmap, const std::vector<std::uint32_t>& Pixels)
{
    auto b = Find<TBitmapObject>(Bitmap.Value(), OBJ_BITMAP);
    if (!b || Pixels.size() != b->Pixels.size())
        return false;
    for (std::size_t i = 0; i < Pixels.size(); ++i) {
        std::uint32_t v = Pixels[i];
        if (b->Monochrome) {
            Integer lum = Integer((v >> 16) & 0xFF) + Integer((v >> 8) & 0xFF) + Integer(v & 0xFF);
            v = lum >= 384 ? 0xFFFFFFFFu : 0xFF000000u;
        }
        b->Pixels[i] = v;
    }
    return true;
}

} // namespace qor
