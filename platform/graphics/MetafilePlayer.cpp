// Playing metafile records onto a device context.
//
// The records' own mapping (map mode, window and viewport) is combined with the mapping of the
// picture onto the destination rectangle and handed to the context as one anisotropic mapping,
// so coordinates, font heights and pen widths scale the way the context scales them.

#include "platform/graphics/Dib.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/internal/GdiObjects.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/StrUtils.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace qor {

namespace {

// Bounds-checked little-endian reads inside one record.
class TRecord {
public:
    TRecord(std::span<const Byte> Bytes) : FBytes(Bytes) {}
    std::size_t Size() const { return FBytes.size(); }
    bool Has(std::size_t At, std::size_t Count) const { return At <= FBytes.size() && Count <= FBytes.size() - At; }
    Cardinal U32(std::size_t At) const { return Has(At, 4) ? GetLE32(FBytes, At) : 0; }
    Integer I32(std::size_t At) const { return Has(At, 4) ? GetLE32s(FBytes, At) : 0; }
    Word U16(std::size_t At) const { return Has(At, 2) ? GetLE16(FBytes, At) : 0; }
    SmallInt I16(std::size_t At) const { return Has(At, 2) ? GetLE16s(FBytes, At) : 0; }
    Byte U8(std::size_t At) const { return Has(At, 1) ? FBytes[At] : 0; }
    std::span<const Byte> Bytes(std::size_t At, std::size_t Count) const
    {
        return Has(At, Count) ? FBytes.subspan(At, Count) : std::span<const Byte>();
    }

private:
    std::span<const Byte> FBytes;
};

struct TMapping {
    Integer Mode = MM_TEXT;
    double WOx = 0, WOy = 0, WEx = 1, WEy = 1;
    double VOx = 0, VOy = 0, VEx = 1, VEy = 1;
};

// Logical units of the records -> device units of the context.
class TPlayer {
public:
    explicit TPlayer(HDC DC) : FDC(DC) {}

    // Device = Offset + Scale * Reference.
    double ScaleX = 1, ScaleY = 1, OffsetX = 0, OffsetY = 0;
    // Reference device pixels per millimetre (enhanced metafiles).
    double PixPerMMX = 96 / 25.4, PixPerMMY = 96 / 25.4;
    bool Enhanced = true;
    TMapping Map;
    std::vector<TMapping> Saved;
    std::vector<HGDIOBJ> Objects;
    std::vector<bool> Used;
    std::size_t FirstFree = 0;

    void Apply()
    {
        double Sx = 1, Sy = 1;
        const double Fixed = FixedUnitMM(Map.Mode);
        if (Enhanced && Fixed > 0) {
            Sx = Fixed * PixPerMMX;
            Sy = -Fixed * PixPerMMY;
        } else if (Enhanced && Map.Mode == MM_TEXT) {
            Sx = Sy = 1;
        } else {
            Sx = Map.WEx != 0 ? Map.VEx / Map.WEx : 1;
            Sy = Map.WEy != 0 ? Map.VEy / Map.WEy : 1;
            if (Enhanced && Map.Mode == MM_ISOTROPIC) {
                const double M = std::min(std::fabs(Sx), std::fabs(Sy));
                Sx = std::copysign(M, Sx);
                Sy = std::copysign(M, Sy);
            }
        }
        const double Ox = Map.VOx, Oy = Map.VOy;
        const double Tx = ScaleX * Sx, Ty = ScaleY * Sy;
        const double Dx = OffsetX + ScaleX * (Ox - Map.WOx * Sx);
        const double Dy = OffsetY + ScaleY * (Oy - Map.WOy * Sy);
        const double Big = std::max({std::fabs(Tx), std::fabs(Ty), 1e-9});
        const double K = std::clamp(std::floor(1e7 / Big), 1.0, double(1 << 24));
        auto Ext = [&](double S) {
            const double V = std::round(S * K);
            return Integer(V == 0 ? (S < 0 ? -1 : 1) : std::clamp(V, -2e9, 2e9));
        };
        SetMapMode(FDC, MM_ANISOTROPIC);
        SetWindowOrgEx(FDC, 0, 0);
        SetWindowExtEx(FDC, Integer(K), Integer(K));
        SetViewportOrgEx(FDC, Integer(std::lround(std::clamp(Dx, -2e9, 2e9))), Integer(std::lround(std::clamp(Dy, -2e9, 2e9))));
        SetViewportExtEx(FDC, Ext(Tx), Ext(Ty));
    }

    static double FixedUnitMM(Integer Mode)
    {
        switch (Mode) {
        case MM_LOMETRIC: return 0.1;
        case MM_HIMETRIC: return 0.01;
        case MM_LOENGLISH: return 0.254;
        case MM_HIENGLISH: return 0.0254;
        case MM_TWIPS: return 25.4 / 1440;
        default: return 0;
        }
    }

    void Save()
    {
        SaveDC(FDC);
        Saved.push_back(Map);
    }

    void Restore(Integer Relative)
    {
        if (Relative >= 0 || Saved.empty())
            return;
        const std::size_t N = std::min<std::size_t>(Saved.size(), std::size_t(-Int64(Relative)));
        RestoreDC(FDC, -Integer(N));
        Map = Saved[Saved.size() - N];
        Saved.resize(Saved.size() - N);
        Apply();
    }

    // Enhanced metafiles name their slots; Windows metafiles take the lowest free one.
    void Store(std::size_t Index, HGDIOBJ Obj)
    {
        if (Index >= 65536) {
            if (Obj)
                DeleteObject(Obj);
            return;
        }
        if (Index >= Objects.size()) {
            Objects.resize(Index + 1);
            Used.resize(Index + 1, false);
        }
        if (Objects[Index])
            DeleteObject(Objects[Index]);
        Objects[Index] = Obj;
        Used[Index] = true;
    }
    // Slots below FirstFree are all in use, so the search for the lowest free one starts there
    // (a metafile creating many objects never deleted stays linear).
    void StoreNext(HGDIOBJ Obj)
    {
        std::size_t I = FirstFree;
        while (I < Used.size() && Used[I])
            ++I;
        FirstFree = I + 1;
        Store(I, Obj);
    }
    void Select(std::size_t Index)
    {
        if (Index < Objects.size() && Objects[Index])
            SelectObject(FDC, Objects[Index]);
    }
    void Delete(std::size_t Index)
    {
        if (Index < Objects.size()) {
            if (Objects[Index])
                DeleteObject(Objects[Index]);
            Objects[Index] = HGDIOBJ();
            Used[Index] = false;
            FirstFree = std::min(FirstFree, Index);
        }
    }
    void Finish()
    {
        for (HGDIOBJ& O : Objects)
            if (O)
                DeleteObject(O);
        Objects.clear();
        Used.clear();
    }

    HDC FDC;
};

// A packed DIB inside a record: header and colour table, then the bits.
void DrawDib(HDC DC, std::span<const Byte> Info, std::span<const Byte> Bits, Integer X, Integer Y, Integer W, Integer H,
             Integer XSrc, Integer YSrc, Integer WSrc, Integer HSrc, Cardinal Usage, Cardinal Rop)
{
    if (Info.empty() || Bits.empty())
        return;
    TDibHeader Header;
    if (!ReadDibHeader(Info, Usage, Header))
        return;
    StretchDIBits(DC, X, Y, W, H, XSrc, YSrc, WSrc, HSrc, Bits.data(), Bits.size(), Info.data(), Info.size(), Usage, Rop);
}

void DrawPackedDib(HDC DC, std::span<const Byte> Packed, Integer X, Integer Y, Integer W, Integer H, Integer XSrc,
                   Integer YSrc, Integer WSrc, Integer HSrc, Cardinal Usage, Cardinal Rop)
{
    TDibHeader Header;
    if (Packed.empty() || !ReadDibHeader(Packed, Usage, Header))
        return;
    DrawDib(DC, Packed.first(Header.InfoSize), Packed.subspan(Header.InfoSize), X, Y, W, H, XSrc, YSrc, WSrc, HSrc, Usage,
            Rop);
}

// ANSI (Windows-1252) bytes of a text record as UTF-16.
WideString AnsiBytes(std::span<const Byte> B)
{
    return Utf8ToUtf16(AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(B.data()), B.size())));
}

// ---- enhanced metafiles ------------------------------------------------------------------------

std::vector<TPoint> EmfPoints(const TRecord& R, std::size_t At, std::size_t Count, bool Short)
{
    std::vector<TPoint> P;
    const std::size_t Each = Short ? 4 : 8;
    if (!R.Has(At, Count * Each) || Count > R.Size())
        return P;
    P.reserve(Count);
    for (std::size_t i = 0; i < Count; ++i) {
        const std::size_t A = At + i * Each;
        P.push_back(Short ? TPoint(R.I16(A), R.I16(A + 2)) : TPoint(R.I32(A), R.I32(A + 4)));
    }
    return P;
}

// Enhanced metafile record types.
enum : Cardinal {
    EMR_POLYGON = 3, EMR_POLYLINE = 4, EMR_POLYLINETO = 6, EMR_POLYPOLYLINE = 7, EMR_POLYPOLYGON = 8,
    EMR_SETWINDOWEXTEX = 9, EMR_SETWINDOWORGEX = 10, EMR_SETVIEWPORTEXTEX = 11, EMR_SETVIEWPORTORGEX = 12,
    EMR_SETMAPMODE = 17, EMR_SETBKMODE = 18, EMR_SETROP2 = 20, EMR_SETSTRETCHBLTMODE = 21, EMR_SETTEXTALIGN = 22,
    EMR_SETTEXTCOLOR = 24, EMR_SETBKCOLOR = 25, EMR_MOVETOEX = 27, EMR_EXCLUDECLIPRECT = 29,
    EMR_INTERSECTCLIPRECT = 30, EMR_SAVEDC = 33, EMR_RESTOREDC = 34, EMR_SELECTOBJECT = 37, EMR_CREATEPEN = 38,
    EMR_CREATEBRUSHINDIRECT = 39, EMR_DELETEOBJECT = 40, EMR_ELLIPSE = 42, EMR_RECTANGLE = 43, EMR_ROUNDRECT = 44,
    EMR_ARC = 45, EMR_CHORD = 46, EMR_PIE = 47, EMR_LINETO = 54, EMR_BITBLT = 76, EMR_STRETCHBLT = 77,
    EMR_STRETCHDIBITS = 81, EMR_EXTCREATEFONTINDIRECTW = 82, EMR_EXTTEXTOUTA = 83, EMR_EXTTEXTOUTW = 84,
    EMR_POLYGON16 = 86, EMR_POLYLINE16 = 87, EMR_POLYLINETO16 = 89, EMR_POLYPOLYLINE16 = 90,
    EMR_POLYPOLYGON16 = 91, EMR_EXTCREATEPEN = 95,
};

// Window, viewport and map mode: kept by the player and handed to the context as one mapping.
void EmfMapping(TPlayer& P, const TRecord& R, Cardinal Type)
{
    switch (Type) {
    case EMR_SETWINDOWEXTEX: P.Map.WEx = R.I32(8); P.Map.WEy = R.I32(12); break;
    case EMR_SETWINDOWORGEX: P.Map.WOx = R.I32(8); P.Map.WOy = R.I32(12); break;
    case EMR_SETVIEWPORTEXTEX: P.Map.VEx = R.I32(8); P.Map.VEy = R.I32(12); break;
    case EMR_SETVIEWPORTORGEX: P.Map.VOx = R.I32(8); P.Map.VOy = R.I32(12); break;
    default: P.Map.Mode = R.I32(8); break; // EMR_SETMAPMODE
    }
    P.Apply();
}

// Colours, modes and alignment; clipping rectangles; saving and restoring the state.
void EmfState(TPlayer& P, const TRecord& R, Cardinal Type)
{
    HDC DC = P.FDC;
    switch (Type) {
    case EMR_SETBKMODE: SetBkMode(DC, R.I32(8)); break;
    case EMR_SETROP2: SetROP2(DC, R.I32(8)); break;
    case EMR_SETSTRETCHBLTMODE: SetStretchBltMode(DC, R.I32(8)); break;
    case EMR_SETTEXTALIGN: SetTextAlign(DC, R.U32(8)); break;
    case EMR_SETTEXTCOLOR: SetTextColor(DC, R.U32(8)); break;
    case EMR_SETBKCOLOR: SetBkColor(DC, R.U32(8)); break;
    case EMR_EXCLUDECLIPRECT: ExcludeClipRect(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20)); break;
    case EMR_INTERSECTCLIPRECT: IntersectClipRect(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20)); break;
    case EMR_SAVEDC: P.Save(); break;
    case EMR_RESTOREDC: P.Restore(R.I32(8)); break;
    default: break;
    }
}

// Pens, brushes and fonts in the slots the records name; selecting and deleting them.
void EmfObject(TPlayer& P, const TRecord& R, Cardinal Type)
{
    switch (Type) {
    case EMR_SELECTOBJECT: {
        const Cardinal H = R.U32(8);
        if (H & 0x80000000u)
            SelectObject(P.FDC, GetStockObject(Integer(H & 0x7FFFFFFFu)));
        else
            P.Select(H);
        break;
    }
    case EMR_DELETEOBJECT: P.Delete(R.U32(8)); break;
    case EMR_CREATEPEN: {
        LOGPEN L;
        L.lopnStyle = R.U32(12);
        L.lopnWidth = TPoint(R.I32(16), 0);
        L.lopnColor = R.U32(24);
        P.Store(R.U32(8), CreatePenIndirect(L));
        break;
    }
    case EMR_EXTCREATEPEN: {
        // Slot, offset and size of a brush bitmap and of its bits, then the extended pen:
        // style 28, width 32, brush style 36, colour 40.
        LOGPEN L;
        L.lopnStyle = R.U32(36) == BS_NULL ? PS_NULL : (R.U32(28) & PS_STYLE_MASK);
        L.lopnWidth = TPoint(R.I32(32), 0);
        L.lopnColor = R.U32(40);
        P.Store(R.U32(8), CreatePenIndirect(L));
        break;
    }
    case EMR_CREATEBRUSHINDIRECT: {
        LOGBRUSH L;
        L.lbStyle = R.U32(12);
        L.lbColor = R.U32(16);
        L.lbHatch = R.U32(20);
        if (L.lbStyle != BS_SOLID && L.lbStyle != BS_NULL && L.lbStyle != BS_HATCHED)
            L.lbStyle = BS_SOLID;
        P.Store(R.U32(8), CreateBrushIndirect(L));
        break;
    }
    case EMR_EXTCREATEFONTINDIRECTW: {
        if (!R.Has(12, 92))
            break;
        LOGFONT F = gdi::LogFontOf(R.I32(12), R.I32(16), R.I32(20), R.I32(24), R.I32(28), R.U8(32), R.U8(33), R.U8(34),
                                   R.U8(35), R.U8(36), R.U8(37), R.U8(38), R.U8(39));
        for (Integer i = 0; i < LF_FACESIZE; ++i)
            F.lfFaceName[i] = WideChar(R.U16(40 + 2 * std::size_t(i)));
        F.lfFaceName[LF_FACESIZE - 1] = 0;
        P.Store(R.U32(8), CreateFontIndirect(F));
        break;
    }
    default: break;
    }
}

// Ellipses, rectangles and the arc shapes.
void EmfShape(HDC DC, const TRecord& R, Cardinal Type)
{
    const Integer L = R.I32(8), T = R.I32(12), Rt = R.I32(16), B = R.I32(20);
    switch (Type) {
    case EMR_ELLIPSE: Ellipse(DC, L, T, Rt, B); break;
    case EMR_RECTANGLE: Rectangle(DC, L, T, Rt, B); break;
    case EMR_ROUNDRECT: RoundRect(DC, L, T, Rt, B, R.I32(24), R.I32(28)); break;
    default: {
        auto F = Type == EMR_ARC ? &Arc : Type == EMR_CHORD ? &Chord : &Pie;
        F(DC, L, T, Rt, B, R.I32(24), R.I32(28), R.I32(32), R.I32(36));
        break;
    }
    }
}

// The current position, lines and polygons (32- and 16-bit points).
void EmfLines(HDC DC, const TRecord& R, Cardinal Type)
{
    switch (Type) {
    case EMR_MOVETOEX: MoveToEx(DC, R.I32(8), R.I32(12)); break;
    case EMR_LINETO: LineTo(DC, R.I32(8), R.I32(12)); break;
    case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYLINETO:
    case EMR_POLYGON16: case EMR_POLYLINE16: case EMR_POLYLINETO16: {
        const bool Short = Type >= EMR_POLYGON16;
        const auto Pts = EmfPoints(R, 28, R.U32(24), Short);
        if (Pts.empty())
            break;
        if (Type == EMR_POLYGON || Type == EMR_POLYGON16)
            Polygon(DC, Pts.data(), Integer(Pts.size()));
        else if (Type == EMR_POLYLINE || Type == EMR_POLYLINE16)
            Polyline(DC, Pts.data(), Integer(Pts.size()));
        else
            PolylineTo(DC, Pts.data(), Integer(Pts.size()));
        break;
    }
    default: {                                                        // PolyPolyline, PolyPolygon
        const bool Short = Type >= EMR_POLYPOLYLINE16;
        const std::size_t Polys = R.U32(24), Count = R.U32(28);
        if (!R.Has(32, Polys * 4) || Polys > R.Size())
            break;
        std::vector<Integer> Counts(Polys);
        std::size_t Total = 0;
        for (std::size_t i = 0; i < Polys; ++i) {
            Counts[i] = R.I32(32 + 4 * i);
            if (Counts[i] < 0)
                return;
            Total += std::size_t(Counts[i]);
        }
        if (Total != Count)
            break;
        const auto Pts = EmfPoints(R, 32 + 4 * Polys, Count, Short);
        if (Pts.size() != Count)
            break;
        if (Type == EMR_POLYPOLYGON || Type == EMR_POLYPOLYGON16) {
            PolyPolygon(DC, Pts.data(), Counts.data(), Integer(Polys));
        } else {
            std::size_t At = 0;
            for (Integer C : Counts) {
                Polyline(DC, Pts.data() + At, C);
                At += std::size_t(C);
            }
        }
        break;
    }
    }
}

// ExtTextOutA (ANSI bytes) and ExtTextOutW (UTF-16).
void EmfText(HDC DC, const TRecord& R, Cardinal Type)
{
    const Integer X = R.I32(36), Y = R.I32(40);
    const std::size_t Chars = R.U32(44), Off = R.U32(48), DxOff = R.U32(72);
    const Cardinal Options = R.U32(52);
    const TRect Clip(R.I32(56), R.I32(60), R.I32(64), R.I32(68));
    WideString Text;
    if (Type == EMR_EXTTEXTOUTW) {
        if (!R.Has(Off, Chars * 2) || Chars > R.Size())
            return;
        for (std::size_t i = 0; i < Chars; ++i)
            Text.push_back(WideChar(R.U16(Off + 2 * i)));
    } else {
        const auto B = R.Bytes(Off, Chars);
        if (B.size() != Chars)
            return;
        Text = AnsiBytes(B);
    }
    std::vector<Integer> Dx;
    if (DxOff != 0 && R.Has(DxOff, Text.size() * 4))
        for (std::size_t i = 0; i < Text.size(); ++i)
            Dx.push_back(R.I32(DxOff + 4 * i));
    ExtTextOut(DC, X, Y, Options & (ETO_OPAQUE | ETO_CLIPPED), (Options & (ETO_OPAQUE | ETO_CLIPPED)) ? &Clip : nullptr,
               Text.data(), Integer(Text.size()), Dx.empty() ? nullptr : Dx.data());
}

// StretchDIBits, BitBlt and StretchBlt (a blit without a bitmap is a pattern fill).
void EmfImage(HDC DC, const TRecord& R, Cardinal Type)
{
    if (Type == EMR_STRETCHDIBITS) {
        DrawDib(DC, R.Bytes(R.U32(48), R.U32(52)), R.Bytes(R.U32(56), R.U32(60)), R.I32(24), R.I32(28), R.I32(72),
                R.I32(76), R.I32(32), R.I32(36), R.I32(40), R.I32(44), R.U32(64), R.U32(68));
        return;
    }
    const Integer X = R.I32(24), Y = R.I32(28), W = R.I32(32), H = R.I32(36);
    const Cardinal Rop = R.U32(40);
    if (R.U32(88) == 0) {
        PatBlt(DC, X, Y, W, H, Rop);
        return;
    }
    const bool Stretch = Type == EMR_STRETCHBLT;
    const Integer WSrc = Stretch ? R.I32(100) : W, HSrc = Stretch ? R.I32(104) : H;
    DrawDib(DC, R.Bytes(R.U32(84), R.U32(88)), R.Bytes(R.U32(92), R.U32(96)), X, Y, W, H, R.I32(44), R.I32(48), WSrc,
            HSrc, R.U32(80), Rop);
}

void PlayEmfRecord(TPlayer& P, const TRecord& R, Cardinal Type)
{
    switch (Type) {
    case EMR_SETWINDOWEXTEX: case EMR_SETWINDOWORGEX: case EMR_SETVIEWPORTEXTEX: case EMR_SETVIEWPORTORGEX:
    case EMR_SETMAPMODE:
        EmfMapping(P, R, Type);
        break;
    case EMR_SETBKMODE: case EMR_SETROP2: case EMR_SETSTRETCHBLTMODE: case EMR_SETTEXTALIGN: case EMR_SETTEXTCOLOR:
    case EMR_SETBKCOLOR: case EMR_EXCLUDECLIPRECT: case EMR_INTERSECTCLIPRECT: case EMR_SAVEDC: case EMR_RESTOREDC:
        EmfState(P, R, Type);
        break;
    case EMR_SELECTOBJECT: case EMR_DELETEOBJECT: case EMR_CREATEPEN: case EMR_EXTCREATEPEN:
    case EMR_CREATEBRUSHINDIRECT: case EMR_EXTCREATEFONTINDIRECTW:
        EmfObject(P, R, Type);
        break;
    case EMR_ELLIPSE: case EMR_RECTANGLE: case EMR_ROUNDRECT: case EMR_ARC: case EMR_CHORD: case EMR_PIE:
        EmfShape(P.FDC, R, Type);
        break;
    case EMR_MOVETOEX: case EMR_LINETO: case EMR_POLYGON: case EMR_POLYLINE: case EMR_POLYLINETO: case EMR_POLYGON16:
    case EMR_POLYLINE16: case EMR_POLYLINETO16: case EMR_POLYPOLYLINE: case EMR_POLYPOLYGON: case EMR_POLYPOLYLINE16:
    case EMR_POLYPOLYGON16:
        EmfLines(P.FDC, R, Type);
        break;
    case EMR_EXTTEXTOUTA: case EMR_EXTTEXTOUTW: EmfText(P.FDC, R, Type); break;
    case EMR_STRETCHDIBITS: case EMR_BITBLT: case EMR_STRETCHBLT: EmfImage(P.FDC, R, Type); break;
    default: break; // not drawn
    }
}

bool PlayEmf(HDC DC, std::span<const Byte> D, const TRect& Device)
{
    TRecord H(D);
    TPlayer P(DC);
    P.Enhanced = true;
    const Integer DevX = H.I32(72), DevY = H.I32(76), MmX = H.I32(80), MmY = H.I32(84);
    if (DevX > 0 && DevY > 0 && MmX > 0 && MmY > 0) {
        P.PixPerMMX = double(DevX) / MmX;
        P.PixPerMMY = double(DevY) / MmY;
    }
    // The frame (hundredths of a millimetre) in reference pixels is what fills the destination.
    double L = H.I32(24) * P.PixPerMMX / 100, T = H.I32(28) * P.PixPerMMY / 100;
    double R = H.I32(32) * P.PixPerMMX / 100, B = H.I32(36) * P.PixPerMMY / 100;
    if (R <= L || B <= T) {
        L = H.I32(8); T = H.I32(12); R = H.I32(16) + 1.0; B = H.I32(20) + 1.0;
    }
    if (R <= L || B <= T)
        return false;
    P.ScaleX = (Device.Right - Device.Left) / (R - L);
    P.ScaleY = (Device.Bottom - Device.Top) / (B - T);
    P.OffsetX = Device.Left - L * P.ScaleX;
    P.OffsetY = Device.Top - T * P.ScaleY;
    P.Apply();

    std::size_t At = 0;
    while (D.size() - At >= 8) {
        const Cardinal Type = TRecord(D.subspan(At)).U32(0), Size = TRecord(D.subspan(At)).U32(4);
        if (Size < 8 || Size > D.size() - At)
            break;
        if (Type == 14)
            break;
        if (Type != 1)
            PlayEmfRecord(P, TRecord(D.subspan(At, Size)), Type);
        At += Size;
    }
    P.Finish();
    return true;
}

// ---- Windows metafiles -------------------------------------------------------------------------

// Parameters of a record are 16-bit words after the 6-byte record header.
struct TWmfRecord {
    TRecord R;
    SmallInt W(std::size_t I) const { return R.I16(6 + 2 * I); }
    Word UW(std::size_t I) const { return R.U16(6 + 2 * I); }
    Cardinal Color(std::size_t I) const { return Cardinal(UW(I)) | (Cardinal(UW(I + 1)) << 16); }
    std::size_t Words() const { return (R.Size() - 6) / 2; }
};

std::vector<TPoint> WmfPoints(const TWmfRecord& W, std::size_t First, std::size_t Count)
{
    std::vector<TPoint> P;
    if (First + Count * 2 > W.Words())
        return P;
    P.reserve(Count);
    for (std::size_t i = 0; i < Count; ++i)
        P.push_back(TPoint(W.W(First + 2 * i), W.W(First + 2 * i + 1)));
    return P;
}

// Windows metafile record functions.
enum : Word {
    META_SAVEDC = 0x001E, META_CREATEPALETTE = 0x00F7, META_SETBKMODE = 0x0102, META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104, META_SETSTRETCHBLTMODE = 0x0107, META_RESTOREDC = 0x0127, META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E, META_CREATEREGION = 0x06FF, META_CREATEPATTERNBRUSH = 0x01F9,
    META_DIBCREATEPATTERNBRUSH = 0x0142, META_DELETEOBJECT = 0x01F0, META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209, META_SETWINDOWORG = 0x020B, META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D, META_SETVIEWPORTEXT = 0x020E, META_LINETO = 0x0213, META_MOVETO = 0x0214,
    META_CREATEPENINDIRECT = 0x02FA, META_CREATEFONTINDIRECT = 0x02FB, META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324, META_POLYLINE = 0x0325, META_EXCLUDECLIPRECT = 0x0415, META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418, META_RECTANGLE = 0x041B, META_TEXTOUT = 0x0521, META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C, META_PATBLT = 0x061D, META_ARC = 0x0817, META_PIE = 0x081A, META_CHORD = 0x0830,
    META_DIBBITBLT = 0x0940, META_EXTTEXTOUT = 0x0A32, META_DIBSTRETCHBLT = 0x0B41, META_STRETCHDIB = 0x0F43,
};

// Colours, modes and alignment; clipping rectangles; saving and restoring the state.
void WmfState(TPlayer& P, const TWmfRecord& W, Word Function)
{
    HDC DC = P.FDC;
    const std::size_t N = W.Words();
    switch (Function) {
    case META_SETBKCOLOR: if (N >= 2) SetBkColor(DC, W.Color(0)); break;
    case META_SETTEXTCOLOR: if (N >= 2) SetTextColor(DC, W.Color(0)); break;
    case META_SETBKMODE: if (N >= 1) SetBkMode(DC, W.W(0)); break;
    case META_SETROP2: if (N >= 1) SetROP2(DC, W.W(0)); break;
    case META_SETSTRETCHBLTMODE: if (N >= 1) SetStretchBltMode(DC, W.W(0)); break;
    case META_SETTEXTALIGN: if (N >= 1) SetTextAlign(DC, W.UW(0)); break;
    case META_EXCLUDECLIPRECT: if (N >= 4) ExcludeClipRect(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case META_INTERSECTCLIPRECT: if (N >= 4) IntersectClipRect(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case META_SAVEDC: P.Save(); break;
    case META_RESTOREDC: if (N >= 1) P.Restore(W.W(0)); break;
    default: break;
    }
}

// The map mode and window (the viewport is the destination rectangle).
void WmfMapping(TPlayer& P, const TWmfRecord& W, Word Function)
{
    const std::size_t N = W.Words();
    switch (Function) {
    case META_SETMAPMODE: if (N >= 1) P.Map.Mode = W.W(0); break;
    case META_SETWINDOWORG: if (N >= 2) { P.Map.WOy = W.W(0); P.Map.WOx = W.W(1); P.Apply(); } break;
    case META_SETWINDOWEXT: if (N >= 2) { P.Map.WEy = W.W(0); P.Map.WEx = W.W(1); P.Apply(); } break;
    default: break;
    }
}

// Ellipses, rectangles and the arc shapes.
void WmfShape(HDC DC, const TWmfRecord& W, Word Function)
{
    const std::size_t N = W.Words();
    switch (Function) {
    case META_ELLIPSE: if (N >= 4) Ellipse(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case META_RECTANGLE: if (N >= 4) Rectangle(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case META_ROUNDRECT: if (N >= 6) RoundRect(DC, W.W(5), W.W(4), W.W(3), W.W(2), W.W(1), W.W(0)); break;
    default:
        if (N >= 8) {
            auto F = Function == META_ARC ? &Arc : Function == META_PIE ? &Pie : &Chord;
            F(DC, W.W(7), W.W(6), W.W(5), W.W(4), W.W(3), W.W(2), W.W(1), W.W(0));
        }
        break;
    }
}

// The current position, lines and polygons.
void WmfLines(HDC DC, const TWmfRecord& W, Word Function)
{
    const std::size_t N = W.Words();
    switch (Function) {
    case META_LINETO: if (N >= 2) LineTo(DC, W.W(1), W.W(0)); break;
    case META_MOVETO: if (N >= 2) MoveToEx(DC, W.W(1), W.W(0)); break;
    case META_POLYGON: case META_POLYLINE: {
        if (N < 1)
            break;
        const auto Pts = WmfPoints(W, 1, std::size_t(std::max<SmallInt>(W.W(0), 0)));
        if (Pts.empty())
            break;
        if (Function == META_POLYGON)
            Polygon(DC, Pts.data(), Integer(Pts.size()));
        else
            Polyline(DC, Pts.data(), Integer(Pts.size()));
        break;
    }
    default: {                                                        // PolyPolygon
        if (N < 1)
            break;
        const std::size_t Polys = W.UW(0);
        if (N < 1 + Polys)
            break;
        std::vector<Integer> Counts;
        std::size_t Total = 0;
        for (std::size_t i = 0; i < Polys; ++i) {
            Counts.push_back(W.UW(1 + i));
            Total += Counts.back();
        }
        const auto Pts = WmfPoints(W, 1 + Polys, Total);
        if (Pts.size() == Total && Total > 0)
            PolyPolygon(DC, Pts.data(), Counts.data(), Integer(Polys));
        break;
    }
    }
}

// Pens, brushes and fonts in the lowest free slot (objects not drawn with take a slot too);
// selecting and deleting them.
void WmfObject(TPlayer& P, const TWmfRecord& W, Word Function)
{
    const std::size_t N = W.Words();
    switch (Function) {
    case META_SELECTOBJECT: if (N >= 1) P.Select(W.UW(0)); break;
    case META_DELETEOBJECT: if (N >= 1) P.Delete(W.UW(0)); break;
    case META_CREATEPENINDIRECT: {
        LOGPEN L;
        L.lopnStyle = W.UW(0);
        L.lopnWidth = TPoint(W.W(1), 0);
        L.lopnColor = W.Color(3);
        P.StoreNext(N >= 5 ? HGDIOBJ(CreatePenIndirect(L)) : HGDIOBJ());
        break;
    }
    case META_CREATEBRUSHINDIRECT: {
        LOGBRUSH L;
        L.lbStyle = W.UW(0);
        L.lbColor = W.Color(1);
        L.lbHatch = W.UW(3);
        if (L.lbStyle != BS_SOLID && L.lbStyle != BS_NULL && L.lbStyle != BS_HATCHED)
            L.lbStyle = BS_SOLID;
        P.StoreNext(N >= 4 ? HGDIOBJ(CreateBrushIndirect(L)) : HGDIOBJ());
        break;
    }
    case META_CREATEFONTINDIRECT: {
        if (N < 9) {
            P.StoreNext(HGDIOBJ());
            break;
        }
        const TRecord& R = W.R;
        LOGFONT F = gdi::LogFontOf(W.W(0), W.W(1), W.W(2), W.W(3), W.W(4), R.U8(16), R.U8(17), R.U8(18), R.U8(19), R.U8(20),
                                   R.U8(21), R.U8(22), R.U8(23));
        std::string Face;
        for (std::size_t i = 24; i < R.Size() && i < 24 + 32 && R.U8(i) != 0; ++i)
            Face.push_back(char(R.U8(i)));
        const WideString WFace = Utf8ToUtf16(AnsiToUtf8(Face));
        for (std::size_t i = 0; i < WFace.size() && i + 1 < std::size_t(LF_FACESIZE); ++i)
            F.lfFaceName[i] = WFace[i];
        P.StoreNext(CreateFontIndirect(F));
        break;
    }
    default: P.StoreNext(HGDIOBJ()); break; // palettes, pattern brushes, regions
    }
}

// TextOut and ExtTextOut (ANSI bytes).
void WmfText(HDC DC, const TWmfRecord& W, Word Function)
{
    const std::size_t N = W.Words();
    if (Function == META_TEXTOUT) {
        if (N < 1)
            return;
        const std::size_t Count = W.UW(0), Padded = (Count + 1) & ~std::size_t(1);
        const auto B = W.R.Bytes(8, Count);
        if (B.size() != Count || N < 1 + Padded / 2 + 2)
            return;
        const std::size_t After = 1 + Padded / 2;
        const WideString Text = AnsiBytes(B);
        TextOut(DC, W.W(After + 1), W.W(After), Text.data(), Integer(Text.size()));
        return;
    }
    if (N < 4)
        return;
    const Integer Y = W.W(0), X = W.W(1);
    const std::size_t Count = W.UW(2);
    const Cardinal Options = W.UW(3);
    std::size_t Next = 4;
    TRect Clip;
    const bool HasRect = (Options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
    if (HasRect) {
        if (N < 8)
            return;
        Clip = TRect(W.W(4), W.W(5), W.W(6), W.W(7));
        Next = 8;
    }
    const auto B = W.R.Bytes(6 + 2 * Next, Count);
    if (B.size() != Count)
        return;
    const WideString Text = AnsiBytes(B);
    std::vector<Integer> Dx;
    const std::size_t DxAt = Next + (Count + 1) / 2;
    if (N >= DxAt + Count && Text.size() == Count)
        for (std::size_t i = 0; i < Count; ++i)
            Dx.push_back(W.W(DxAt + i));
    ExtTextOut(DC, X, Y, Options & (ETO_OPAQUE | ETO_CLIPPED), HasRect ? &Clip : nullptr, Text.data(),
               Integer(Text.size()), Dx.empty() ? nullptr : Dx.data());
}

// PatBlt and the DIB blits (a blit record without a bitmap is a pattern fill).
void WmfImage(HDC DC, const TWmfRecord& W, Word Function)
{
    const std::size_t N = W.Words();
    switch (Function) {
    case META_PATBLT:
        if (N >= 6)
            PatBlt(DC, W.W(5), W.W(4), W.W(3), W.W(2), W.Color(0));
        break;
    case META_STRETCHDIB:
        if (N >= 11)
            DrawPackedDib(DC, W.R.Bytes(28, W.R.Size() - 28), W.W(10), W.W(9), W.W(8), W.W(7), W.W(6), W.W(5), W.W(4),
                          W.W(3), W.UW(2), W.Color(0));
        break;
    case META_DIBSTRETCHBLT:
        if (W.R.Size() <= 6 + 22) {
            if (N >= 11)
                PatBlt(DC, W.W(10), W.W(9), W.W(8), W.W(7), W.Color(0));
        } else if (N >= 10) {
            DrawPackedDib(DC, W.R.Bytes(26, W.R.Size() - 26), W.W(9), W.W(8), W.W(7), W.W(6), W.W(5), W.W(4), W.W(3),
                          W.W(2), DIB_RGB_COLORS, W.Color(0));
        }
        break;
    default:                                                          // DibBitBlt
        if (W.R.Size() <= 6 + 18) {
            if (N >= 9)
                PatBlt(DC, W.W(8), W.W(7), W.W(6), W.W(5), W.Color(0));
        } else if (N >= 8) {
            DrawPackedDib(DC, W.R.Bytes(22, W.R.Size() - 22), W.W(7), W.W(6), W.W(5), W.W(4), W.W(3), W.W(2), W.W(5),
                          W.W(4), DIB_RGB_COLORS, W.Color(0));
        }
        break;
    }
}

void PlayWmfRecord(TPlayer& P, const TWmfRecord& W, Word Function)
{
    switch (Function) {
    case META_SETBKCOLOR: case META_SETTEXTCOLOR: case META_SETBKMODE: case META_SETROP2:
    case META_SETSTRETCHBLTMODE: case META_SETTEXTALIGN: case META_EXCLUDECLIPRECT: case META_INTERSECTCLIPRECT:
    case META_SAVEDC: case META_RESTOREDC:
        WmfState(P, W, Function);
        break;
    case META_SETMAPMODE: case META_SETWINDOWORG: case META_SETWINDOWEXT: WmfMapping(P, W, Function); break;
    case META_ELLIPSE: case META_RECTANGLE: case META_ROUNDRECT: case META_ARC: case META_PIE: case META_CHORD:
        WmfShape(P.FDC, W, Function);
        break;
    case META_LINETO: case META_MOVETO: case META_POLYGON: case META_POLYLINE: case META_POLYPOLYGON:
        WmfLines(P.FDC, W, Function);
        break;
    case META_SELECTOBJECT: case META_DELETEOBJECT: case META_CREATEPENINDIRECT: case META_CREATEBRUSHINDIRECT:
    case META_CREATEFONTINDIRECT: case META_CREATEPALETTE: case META_CREATEPATTERNBRUSH:
    case META_DIBCREATEPATTERNBRUSH: case META_CREATEREGION:
        WmfObject(P, W, Function);
        break;
    case META_TEXTOUT: case META_EXTTEXTOUT: WmfText(P.FDC, W, Function); break;
    case META_PATBLT: case META_STRETCHDIB: case META_DIBSTRETCHBLT: case META_DIBBITBLT:
        WmfImage(P.FDC, W, Function);
        break;
    default: break; // not drawn; the viewport records too, the viewport being the destination
    }
}

bool PlayWmf(HDC DC, std::span<const Byte> D, const TRect& Device)
{
    TRecord H(D);
    TPlayer P(DC);
    P.Enhanced = false;
    std::size_t At = 0;
    TRect Box;
    if (H.U32(0) == PlaceableMetafileKey) {
        Box = TRect(H.I16(6), H.I16(8), H.I16(10), H.I16(12));
        At = 22;
    }
    if (!H.Has(At, 18))
        return false;
    At += 18;
    // The picture's window (the placeable box, or the metafile's own window) fills the destination.
    if (Box.Right == Box.Left || Box.Bottom == Box.Top) {
        Box = TRect(0, 0, Device.Right - Device.Left, Device.Bottom - Device.Top);
        for (std::size_t A = At; D.size() - A >= 6;) {
            TRecord R(D.subspan(A));
            const std::size_t Size = std::size_t(R.U32(0)) * 2;
            if (Size < 6 || Size > D.size() - A || R.U16(4) == 0)
                break;
            if (R.U16(4) == 0x020C && Size >= 10) {
                Box.Right = Box.Left + R.I16(8);
                Box.Bottom = Box.Top + R.I16(6);
            } else if (R.U16(4) == 0x020B && Size >= 10) {
                const Integer Wd = Box.Right - Box.Left, Ht = Box.Bottom - Box.Top;
                Box = TRect(R.I16(8), R.I16(6), R.I16(8) + Wd, R.I16(6) + Ht);
            }
            A += Size;
        }
    }
    if (Box.Right == Box.Left || Box.Bottom == Box.Top)
        return false;
    P.Map.WOx = Box.Left;
    P.Map.WOy = Box.Top;
    P.Map.WEx = Box.Right - Box.Left;
    P.Map.WEy = Box.Bottom - Box.Top;
    P.Map.VOx = Device.Left;
    P.Map.VOy = Device.Top;
    P.Map.VEx = Device.Right - Device.Left;
    P.Map.VEy = Device.Bottom - Device.Top;
    P.ScaleX = P.ScaleY = 1;
    P.OffsetX = P.OffsetY = 0;
    // Windows metafile window records replace the window; the viewport stays the destination.
    P.Map.Mode = MM_ANISOTROPIC;
    P.Apply();

    while (D.size() - At >= 6) {
        TRecord R(D.subspan(At));
        const std::size_t Size = std::size_t(R.U32(0)) * 2;
        const Word Function = R.U16(4);
        if (Size < 6 || Size > D.size() - At || Function == 0)
            break;
        PlayWmfRecord(P, TWmfRecord{TRecord(D.subspan(At, Size))}, Function);
        At += Size;
    }
    P.Finish();
    return true;
}

} // namespace

bool PlayMetafileData(HDC DC, std::span<const Byte> Data, const TRect& Dest)
{
    TMetafileInfo Info;
    if (!DC || !ReadMetafileInfo(Data, Info))
        return false;
    TPoint Corners[2] = {Dest.TopLeft(), Dest.BottomRight()};
    LPtoDP(DC, Corners, 2);
    const TRect Device(Corners[0], Corners[1]);
    if (Device.Right == Device.Left || Device.Bottom == Device.Top)
        return false;
    const Integer Level = SaveDC(DC);
    const bool Ok = Info.Enhanced ? PlayEmf(DC, Data, Device) : PlayWmf(DC, Data, Device);
    if (Level > 0)
        RestoreDC(DC, Level);
    return Ok;
}

} // namespace qor
