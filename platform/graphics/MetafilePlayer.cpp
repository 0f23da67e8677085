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

void PlayEmfRecord(TPlayer& P, const TRecord& R, Cardinal Type)
{
    HDC DC = P.FDC;
    switch (Type) {
    case 9: P.Map.WEx = R.I32(8); P.Map.WEy = R.I32(12); P.Apply(); break;          // SetWindowExtEx
    case 10: P.Map.WOx = R.I32(8); P.Map.WOy = R.I32(12); P.Apply(); break;         // SetWindowOrgEx
    case 11: P.Map.VEx = R.I32(8); P.Map.VEy = R.I32(12); P.Apply(); break;         // SetViewportExtEx
    case 12: P.Map.VOx = R.I32(8); P.Map.VOy = R.I32(12); P.Apply(); break;         // SetViewportOrgEx
    case 17: P.Map.Mode = R.I32(8); P.Apply(); break;                               // SetMapMode
    case 18: SetBkMode(DC, R.I32(8)); break;
    case 20: SetROP2(DC, R.I32(8)); break;
    case 21: SetStretchBltMode(DC, R.I32(8)); break;
    case 22: SetTextAlign(DC, R.U32(8)); break;
    case 24: SetTextColor(DC, R.U32(8)); break;
    case 25: SetBkColor(DC, R.U32(8)); break;
    case 27: MoveToEx(DC, R.I32(8), R.I32(12)); break;
    case 54: LineTo(DC, R.I32(8), R.I32(12)); break;
    case 29: ExcludeClipRect(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20)); break;
    case 30: IntersectClipRect(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20)); break;
    case 33: P.Save(); break;
    case 34: P.Restore(R.I32(8)); break;
    case 37: {                                                                       // SelectObject
        const Cardinal H = R.U32(8);
        if (H & 0x80000000u)
            SelectObject(DC, GetStockObject(Integer(H & 0x7FFFFFFFu)));
        else
            P.Select(H);
        break;
    }
    case 40: P.Delete(R.U32(8)); break;                                              // DeleteObject
    case 38: {                                                                       // CreatePen
        LOGPEN L;
        L.lopnStyle = R.U32(12);
        L.lopnWidth = TPoint(R.I32(16), 0);
        L.lopnColor = R.U32(24);
        P.Store(R.U32(8), CreatePenIndirect(L));
        break;
    }
    case 95: {                                                                       // ExtCreatePen: style, width, colour
        // Slot, offset and size of a brush bitmap and of its bits, then the extended pen:
        // style 28, width 32, brush style 36, colour 40.
        LOGPEN L;
        L.lopnStyle = R.U32(36) == BS_NULL ? PS_NULL : (R.U32(28) & PS_STYLE_MASK);
        L.lopnWidth = TPoint(R.I32(32), 0);
        L.lopnColor = R.U32(40);
        P.Store(R.U32(8), CreatePenIndirect(L));
        break;
    }
    case 39: {                                                                       // CreateBrushIndirect
        LOGBRUSH L;
        L.lbStyle = R.U32(12);
        L.lbColor = R.U32(16);
        L.lbHatch = R.U32(20);
        if (L.lbStyle != BS_SOLID && L.lbStyle != BS_NULL && L.lbStyle != BS_HATCHED)
            L.lbStyle = BS_SOLID;
        P.Store(R.U32(8), CreateBrushIndirect(L));
        break;
    }
    case 82: {                                                                       // ExtCreateFontIndirectW
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
    case 42: Ellipse(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20)); break;
    case 43: Rectangle(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20)); break;
    case 44: RoundRect(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20), R.I32(24), R.I32(28)); break;
    case 45: Arc(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20), R.I32(24), R.I32(28), R.I32(32), R.I32(36)); break;
    case 46: Chord(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20), R.I32(24), R.I32(28), R.I32(32), R.I32(36)); break;
    case 47: Pie(DC, R.I32(8), R.I32(12), R.I32(16), R.I32(20), R.I32(24), R.I32(28), R.I32(32), R.I32(36)); break;
    case 3: case 4: case 6: case 86: case 87: case 89: {                             // Polygon, Polyline(To), 16-bit forms
        const bool Short = Type >= 86;
        const auto Pts = EmfPoints(R, 28, R.U32(24), Short);
        if (Pts.empty())
            break;
        if (Type == 3 || Type == 86)
            Polygon(DC, Pts.data(), Integer(Pts.size()));
        else if (Type == 4 || Type == 87)
            Polyline(DC, Pts.data(), Integer(Pts.size()));
        else
            PolylineTo(DC, Pts.data(), Integer(Pts.size()));
        break;
    }
    case 7: case 8: case 90: case 91: {                                              // PolyPolyline, PolyPolygon
        const bool Short = Type >= 90;
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
        if (Type == 8 || Type == 91) {
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
    case 83: case 84: {                                                              // ExtTextOutA/W
        const Integer X = R.I32(36), Y = R.I32(40);
        const std::size_t Chars = R.U32(44), Off = R.U32(48), DxOff = R.U32(72);
        const Cardinal Options = R.U32(52);
        const TRect Clip(R.I32(56), R.I32(60), R.I32(64), R.I32(68));
        WideString Text;
        if (Type == 84) {
            if (!R.Has(Off, Chars * 2) || Chars > R.Size())
                break;
            for (std::size_t i = 0; i < Chars; ++i)
                Text.push_back(WideChar(R.U16(Off + 2 * i)));
        } else {
            const auto B = R.Bytes(Off, Chars);
            if (B.size() != Chars)
                break;
            Text = Utf8ToUtf16(AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(B.data()), B.size())));
        }
        std::vector<Integer> Dx;
        if (DxOff != 0 && R.Has(DxOff, Text.size() * 4))
            for (std::size_t i = 0; i < Text.size(); ++i)
                Dx.push_back(R.I32(DxOff + 4 * i));
        ExtTextOut(DC, X, Y, Options & (ETO_OPAQUE | ETO_CLIPPED), (Options & (ETO_OPAQUE | ETO_CLIPPED)) ? &Clip : nullptr,
                   Text.data(), Integer(Text.size()), Dx.empty() ? nullptr : Dx.data());
        break;
    }
    case 81: {                                                                       // StretchDIBits
        DrawDib(DC, R.Bytes(R.U32(48), R.U32(52)), R.Bytes(R.U32(56), R.U32(60)), R.I32(24), R.I32(28), R.I32(72),
                R.I32(76), R.I32(32), R.I32(36), R.I32(40), R.I32(44), R.U32(64), R.U32(68));
        break;
    }
    case 76: case 77: {                                                              // BitBlt, StretchBlt
        const Integer X = R.I32(24), Y = R.I32(28), W = R.I32(32), H = R.I32(36);
        const Cardinal Rop = R.U32(40);
        if (R.U32(88) == 0) {
            PatBlt(DC, X, Y, W, H, Rop);
            break;
        }
        const Integer WSrc = Type == 77 ? R.I32(100) : W, HSrc = Type == 77 ? R.I32(104) : H;
        DrawDib(DC, R.Bytes(R.U32(84), R.U32(88)), R.Bytes(R.U32(92), R.U32(96)), X, Y, W, H, R.I32(44), R.I32(48),
                WSrc, HSrc, R.U32(80), Rop);
        break;
    }
    default:
        break; // not drawn
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

WideString AnsiBytes(std::span<const Byte> B)
{
    return Utf8ToUtf16(AnsiToUtf8(std::string_view(reinterpret_cast<const char*>(B.data()), B.size())));
}

void PlayWmfRecord(TPlayer& P, const TWmfRecord& W, Word Function)
{
    HDC DC = P.FDC;
    const std::size_t N = W.Words();
    auto Need = [&](std::size_t Count) { return N >= Count; };
    switch (Function) {
    case 0x0201: if (Need(2)) SetBkColor(DC, W.Color(0)); break;
    case 0x0209: if (Need(2)) SetTextColor(DC, W.Color(0)); break;
    case 0x0102: if (Need(1)) SetBkMode(DC, W.W(0)); break;
    case 0x0104: if (Need(1)) SetROP2(DC, W.W(0)); break;
    case 0x0107: if (Need(1)) SetStretchBltMode(DC, W.W(0)); break;
    case 0x012E: if (Need(1)) SetTextAlign(DC, W.UW(0)); break;
    case 0x0103: if (Need(1)) { P.Map.Mode = W.W(0); } break;
    case 0x020B: if (Need(2)) { P.Map.WOy = W.W(0); P.Map.WOx = W.W(1); P.Apply(); } break;
    case 0x020C: if (Need(2)) { P.Map.WEy = W.W(0); P.Map.WEx = W.W(1); P.Apply(); } break;
    case 0x020D: case 0x020E: break; // the viewport is the destination rectangle
    case 0x0213: if (Need(2)) LineTo(DC, W.W(1), W.W(0)); break;
    case 0x0214: if (Need(2)) MoveToEx(DC, W.W(1), W.W(0)); break;
    case 0x0415: if (Need(4)) ExcludeClipRect(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case 0x0416: if (Need(4)) IntersectClipRect(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case 0x0418: if (Need(4)) Ellipse(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case 0x041B: if (Need(4)) Rectangle(DC, W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case 0x061C: if (Need(6)) RoundRect(DC, W.W(5), W.W(4), W.W(3), W.W(2), W.W(1), W.W(0)); break;
    case 0x0817: case 0x081A: case 0x0830:
        if (Need(8)) {
            auto F = Function == 0x0817 ? &Arc : Function == 0x081A ? &Pie : &Chord;
            F(DC, W.W(7), W.W(6), W.W(5), W.W(4), W.W(3), W.W(2), W.W(1), W.W(0));
        }
        break;
    case 0x001E: P.Save(); break;
    case 0x0127: if (Need(1)) P.Restore(W.W(0)); break;
    case 0x0324: case 0x0325: {                                                       // Polygon, Polyline
        if (!Need(1))
            break;
        const auto Pts = WmfPoints(W, 1, std::size_t(std::max<SmallInt>(W.W(0), 0)));
        if (Pts.empty())
            break;
        if (Function == 0x0324)
            Polygon(DC, Pts.data(), Integer(Pts.size()));
        else
            Polyline(DC, Pts.data(), Integer(Pts.size()));
        break;
    }
    case 0x0538: {                                                                    // PolyPolygon
        if (!Need(1))
            break;
        const std::size_t Polys = W.UW(0);
        if (!Need(1 + Polys))
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
    case 0x012D: if (Need(1)) P.Select(W.UW(0)); break;
    case 0x01F0: if (Need(1)) P.Delete(W.UW(0)); break;
    case 0x02FA: {                                                                    // CreatePenIndirect
        LOGPEN L;
        L.lopnStyle = W.UW(0);
        L.lopnWidth = TPoint(W.W(1), 0);
        L.lopnColor = W.Color(3);
        P.StoreNext(Need(5) ? HGDIOBJ(CreatePenIndirect(L)) : HGDIOBJ());
        break;
    }
    case 0x02FC: {                                                                    // CreateBrushIndirect
        LOGBRUSH L;
        L.lbStyle = W.UW(0);
        L.lbColor = W.Color(1);
        L.lbHatch = W.UW(3);
        if (L.lbStyle != BS_SOLID && L.lbStyle != BS_NULL && L.lbStyle != BS_HATCHED)
            L.lbStyle = BS_SOLID;
        P.StoreNext(Need(4) ? HGDIOBJ(CreateBrushIndirect(L)) : HGDIOBJ());
        break;
    }
    case 0x02FB: {                                                                    // CreateFontIndirect
        if (!Need(9)) {
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
    case 0x00F7: case 0x01F9: case 0x0142: case 0x06FF:                               // objects not drawn with
        P.StoreNext(HGDIOBJ());
        break;
    case 0x0521: {                                                                    // TextOut
        if (!Need(1))
            break;
        const std::size_t Count = W.UW(0), Padded = (Count + 1) & ~std::size_t(1);
        const auto B = W.R.Bytes(8, Count);
        if (B.size() != Count || !Need(1 + Padded / 2 + 2))
            break;
        const std::size_t After = 1 + Padded / 2;
        const WideString Text = AnsiBytes(B);
        TextOut(DC, W.W(After + 1), W.W(After), Text.data(), Integer(Text.size()));
        break;
    }
    case 0x0A32: {                                                                    // ExtTextOut
        if (!Need(4))
            break;
        const Integer Y = W.W(0), X = W.W(1);
        const std::size_t Count = W.UW(2);
        const Cardinal Options = W.UW(3);
        std::size_t Next = 4;
        TRect Clip;
        const bool HasRect = (Options & (ETO_OPAQUE | ETO_CLIPPED)) != 0;
        if (HasRect) {
            if (!Need(8))
                break;
            Clip = TRect(W.W(4), W.W(5), W.W(6), W.W(7));
            Next = 8;
        }
        const auto B = W.R.Bytes(6 + 2 * Next, Count);
        if (B.size() != Count)
            break;
        const WideString Text = AnsiBytes(B);
        std::vector<Integer> Dx;
        const std::size_t DxAt = Next + (Count + 1) / 2;
        if (Need(DxAt + Count) && Text.size() == Count)
            for (std::size_t i = 0; i < Count; ++i)
                Dx.push_back(W.W(DxAt + i));
        ExtTextOut(DC, X, Y, Options & (ETO_OPAQUE | ETO_CLIPPED), HasRect ? &Clip : nullptr, Text.data(),
                   Integer(Text.size()), Dx.empty() ? nullptr : Dx.data());
        break;
    }
    case 0x061D:                                                                      // PatBlt
        if (Need(6))
            PatBlt(DC, W.W(5), W.W(4), W.W(3), W.W(2), W.Color(0));
        break;
    case 0x0F43:                                                                      // StretchDIB
        if (Need(11))
            DrawPackedDib(DC, W.R.Bytes(28, W.R.Size() - 28), W.W(10), W.W(9), W.W(8), W.W(7), W.W(6), W.W(5), W.W(4),
                          W.W(3), W.UW(2), W.Color(0));
        break;
    case 0x0B41:                                                                      // DibStretchBlt
        if (W.R.Size() <= 6 + 22) {
            if (Need(11))
                PatBlt(DC, W.W(10), W.W(9), W.W(8), W.W(7), W.Color(0));
        } else if (Need(10)) {
            DrawPackedDib(DC, W.R.Bytes(26, W.R.Size() - 26), W.W(9), W.W(8), W.W(7), W.W(6), W.W(5), W.W(4), W.W(3),
                          W.W(2), DIB_RGB_COLORS, W.Color(0));
        }
        break;
    case 0x0940:                                                                      // DibBitBlt
        if (W.R.Size() <= 6 + 18) {
            if (Need(9))
                PatBlt(DC, W.W(8), W.W(7), W.W(6), W.W(5), W.Color(0));
        } else if (Need(8)) {
            DrawPackedDib(DC, W.R.Bytes(22, W.R.Size() - 22), W.W(7), W.W(6), W.W(5), W.W(4), W.W(3), W.W(2), W.W(5),
                          W.W(4), DIB_RGB_COLORS, W.Color(0));
        }
        break;
    default:
        break; // not drawn
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
