#pragma once
// Handles, records and constants of the device-context interface (Gdi.h).
//
// Handles are opaque numbers naming objects in a process-wide table. A handle that was deleted,
// or never existed, is simply invalid: every function given one fails quietly (0/false), nothing
// crashes. Typed handles (HFONT, HPEN, ...) convert implicitly to HGDIOBJ; the way back is an
// explicit conversion: HFONT(SelectObject(DC, NewFont)).

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <type_traits>

namespace qor {

// ---- handles -----------------------------------------------------------------------------------

struct TGdiObjectTag {};
struct TFontTag : TGdiObjectTag {};
struct TPenTag : TGdiObjectTag {};
struct TBrushTag : TGdiObjectTag {};
struct TBitmapTag : TGdiObjectTag {};
struct TRegionTag : TGdiObjectTag {};
struct TPaletteTag : TGdiObjectTag {};
struct TDeviceContextTag {};

template <class Tag>
class THandle {
public:
    constexpr THandle() noexcept = default;
    constexpr THandle(std::nullptr_t) noexcept {}
    constexpr explicit THandle(std::uintptr_t Value) noexcept : FValue(Value) {}
    // A typed handle is a handle of every kind it derives from ...
    template <class Other>
        requires(std::is_base_of_v<Tag, Other> && !std::is_same_v<Tag, Other>)
    constexpr THandle(THandle<Other> H) noexcept : FValue(H.Value()) {}
    // ... and a general handle can be taken as a typed one on request.
    template <class Other>
        requires(std::is_base_of_v<Other, Tag> && !std::is_same_v<Tag, Other>)
    constexpr explicit THandle(THandle<Other> H) noexcept : FValue(H.Value()) {}

    constexpr std::uintptr_t Value() const noexcept { return FValue; }
    constexpr explicit operator bool() const noexcept { return FValue != 0; }
    friend constexpr bool operator==(THandle, THandle) noexcept = default;

private:
    std::uintptr_t FValue = 0;
};

using HGDIOBJ = THandle<TGdiObjectTag>;
using HFONT = THandle<TFontTag>;
using HPEN = THandle<TPenTag>;
using HBRUSH = THandle<TBrushTag>;
using HBITMAP = THandle<TBitmapTag>;
using HRGN = THandle<TRegionTag>;
using HPALETTE = THandle<TPaletteTag>;
using HDC = THandle<TDeviceContextTag>;

// ---- records -----------------------------------------------------------------------------------

inline constexpr Integer LF_FACESIZE = 32;

// A logical font; the face name is UTF-16, zero-terminated. Height < 0: the em height in
// pixels; > 0: the cell height (em plus internal leading); 0: a default size.
// Escapement is in tenths of a degree, counter-clockwise.
struct LOGFONT {
    Integer lfHeight = 0;
    Integer lfWidth = 0;
    Integer lfEscapement = 0;
    Integer lfOrientation = 0;
    Integer lfWeight = 0;
    Byte lfItalic = 0;
    Byte lfUnderline = 0;
    Byte lfStrikeOut = 0;
    Byte lfCharSet = 0;
    Byte lfOutPrecision = 0;
    Byte lfClipPrecision = 0;
    Byte lfQuality = 0;
    Byte lfPitchAndFamily = 0;
    WideChar lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONT) == 92);

// lopnWidth.X is the width; lopnWidth.Y is unused.
struct LOGPEN {
    Cardinal lopnStyle = 0;
    TPoint lopnWidth;
    COLORREF lopnColor = 0;
};
static_assert(sizeof(LOGPEN) == 16);

// lbHatch: the hatch style for BS_HATCHED, the HBITMAP value (low 32 bits) for BS_PATTERN.
struct LOGBRUSH {
    Cardinal lbStyle = 0;
    COLORREF lbColor = 0;
    Cardinal lbHatch = 0;
};
static_assert(sizeof(LOGBRUSH) == 12);

struct TEXTMETRIC {
    Integer tmHeight = 0;
    Integer tmAscent = 0;
    Integer tmDescent = 0;
    Integer tmInternalLeading = 0;
    Integer tmExternalLeading = 0;
    Integer tmAveCharWidth = 0;
    Integer tmMaxCharWidth = 0;
    Integer tmWeight = 0;
    Integer tmOverhang = 0;
    Integer tmDigitizedAspectX = 0;
    Integer tmDigitizedAspectY = 0;
    WideChar tmFirstChar = 0;
    WideChar tmLastChar = 0;
    WideChar tmDefaultChar = 0;
    WideChar tmBreakChar = 0;
    Byte tmItalic = 0;
    Byte tmUnderlined = 0;
    Byte tmStruckOut = 0;
    Byte tmPitchAndFamily = 0;
    Byte tmCharSet = 0;
};

// Describes a bitmap object (GetObject on an HBITMAP). bmBits is set for bitmaps made by
// CreateDIBSection: 32-bit pixels 0x00RRGGBB, top row first, bmWidthBytes per row.
struct BITMAP {
    Integer bmType = 0;
    Integer bmWidth = 0;
    Integer bmHeight = 0;
    Integer bmWidthBytes = 0;
    Word bmPlanes = 1;
    Word bmBitsPixel = 0;
    void* bmBits = nullptr;
};

struct PALETTEENTRY {
    Byte peRed = 0;
    Byte peGreen = 0;
    Byte peBlue = 0;
    Byte peFlags = 0;
};

struct LOGPALETTE {
    Word palVersion = 0x300;
    Word palNumEntries = 0;
    const PALETTEENTRY* palPalEntry = nullptr; // palNumEntries entries
};

struct DOCINFO {
    String lpszDocName;
    String lpszOutput;   // a file to print to, empty for the device itself
    String lpszDatatype;
    Cardinal fwType = 0;
};

// ---- constants ---------------------------------------------------------------------------------

// Stock objects
inline constexpr Integer WHITE_BRUSH = 0;
inline constexpr Integer LTGRAY_BRUSH = 1;
inline constexpr Integer GRAY_BRUSH = 2;
inline constexpr Integer DKGRAY_BRUSH = 3;
inline constexpr Integer BLACK_BRUSH = 4;
inline constexpr Integer NULL_BRUSH = 5;
inline constexpr Integer HOLLOW_BRUSH = NULL_BRUSH;
inline constexpr Integer WHITE_PEN = 6;
inline constexpr Integer BLACK_PEN = 7;
inline constexpr Integer NULL_PEN = 8;
inline constexpr Integer OEM_FIXED_FONT = 10;
inline constexpr Integer ANSI_FIXED_FONT = 11;
inline constexpr Integer ANSI_VAR_FONT = 12;
inline constexpr Integer SYSTEM_FONT = 13;
inline constexpr Integer DEVICE_DEFAULT_FONT = 14;
inline constexpr Integer DEFAULT_PALETTE = 15;
inline constexpr Integer SYSTEM_FIXED_FONT = 16;
inline constexpr Integer DEFAULT_GUI_FONT = 17;
inline constexpr Integer DC_BRUSH = 18;
inline constexpr Integer DC_PEN = 19;
inline constexpr Integer DEFAULT_BITMAP = 21; // the 1 x 1 monochrome bitmap of new memory contexts

// Object types (GetObjectType)
inline constexpr Integer OBJ_PEN = 1;
inline constexpr Integer OBJ_BRUSH = 2;
inline constexpr Integer OBJ_DC = 3;
inline constexpr Integer OBJ_PAL = 5;
inline constexpr Integer OBJ_FONT = 6;
inline constexpr Integer OBJ_BITMAP = 7;
inline constexpr Integer OBJ_REGION = 8;
inline constexpr Integer OBJ_MEMDC = 10;

// Pen styles
inline constexpr Cardinal PS_SOLID = 0;
inline constexpr Cardinal PS_DASH = 1;
inline constexpr Cardinal PS_DOT = 2;
inline constexpr Cardinal PS_DASHDOT = 3;
inline constexpr Cardinal PS_DASHDOTDOT = 4;
inline constexpr Cardinal PS_NULL = 5;
inline constexpr Cardinal PS_INSIDEFRAME = 6;
inline constexpr Cardinal PS_STYLE_MASK = 0x0F;

// Brush styles and hatches
inline constexpr Cardinal BS_SOLID = 0;
inline constexpr Cardinal BS_NULL = 1;
inline constexpr Cardinal BS_HOLLOW = BS_NULL;
inline constexpr Cardinal BS_HATCHED = 2;
inline constexpr Cardinal BS_PATTERN = 3;
inline constexpr Cardinal HS_HORIZONTAL = 0;
inline constexpr Cardinal HS_VERTICAL = 1;
inline constexpr Cardinal HS_FDIAGONAL = 2;  // top left to bottom right
inline constexpr Cardinal HS_BDIAGONAL = 3;  // bottom left to top right
inline constexpr Cardinal HS_CROSS = 4;
inline constexpr Cardinal HS_DIAGCROSS = 5;

// Mix modes (SetROP2)
inline constexpr Integer R2_BLACK = 1;
inline constexpr Integer R2_NOTMERGEPEN = 2;
inline constexpr Integer R2_MASKNOTPEN = 3;
inline constexpr Integer R2_NOTCOPYPEN = 4;
inline constexpr Integer R2_MASKPENNOT = 5;
inline constexpr Integer R2_NOT = 6;
inline constexpr Integer R2_XORPEN = 7;
inline constexpr Integer R2_NOTMASKPEN = 8;
inline constexpr Integer R2_MASKPEN = 9;
inline constexpr Integer R2_NOTXORPEN = 10;
inline constexpr Integer R2_NOP = 11;
inline constexpr Integer R2_MERGENOTPEN = 12;
inline constexpr Integer R2_COPYPEN = 13;
inline constexpr Integer R2_MERGEPENNOT = 14;
inline constexpr Integer R2_MERGEPEN = 15;
inline constexpr Integer R2_WHITE = 16;

// Background modes
inline constexpr Integer TRANSPARENT = 1;
inline constexpr Integer OPAQUE = 2;

// Text alignment
inline constexpr Cardinal TA_NOUPDATECP = 0;
inline constexpr Cardinal TA_UPDATECP = 1;
inline constexpr Cardinal TA_LEFT = 0;
inline constexpr Cardinal TA_RIGHT = 2;
inline constexpr Cardinal TA_CENTER = 6;
inline constexpr Cardinal TA_TOP = 0;
inline constexpr Cardinal TA_BOTTOM = 8;
inline constexpr Cardinal TA_BASELINE = 24;
inline constexpr Cardinal TA_MASK = TA_BASELINE | TA_CENTER | TA_UPDATECP;
inline constexpr Cardinal GDI_ERROR = 0xFFFFFFFF;

// ExtTextOut options
inline constexpr Cardinal ETO_OPAQUE = 2;
inline constexpr Cardinal ETO_CLIPPED = 4;

// DrawText formats
inline constexpr Cardinal DT_TOP = 0x0;
inline constexpr Cardinal DT_LEFT = 0x0;
inline constexpr Cardinal DT_CENTER = 0x1;
inline constexpr Cardinal DT_RIGHT = 0x2;
inline constexpr Cardinal DT_VCENTER = 0x4;
inline constexpr Cardinal DT_BOTTOM = 0x8;
inline constexpr Cardinal DT_WORDBREAK = 0x10;
inline constexpr Cardinal DT_SINGLELINE = 0x20;
inline constexpr Cardinal DT_EXPANDTABS = 0x40;
inline constexpr Cardinal DT_NOCLIP = 0x100;
inline constexpr Cardinal DT_CALCRECT = 0x400;
inline constexpr Cardinal DT_NOPREFIX = 0x800;
inline constexpr Cardinal DT_END_ELLIPSIS = 0x8000;

// Mapping modes
inline constexpr Integer MM_TEXT = 1;
inline constexpr Integer MM_LOMETRIC = 2;
inline constexpr Integer MM_HIMETRIC = 3;
inline constexpr Integer MM_LOENGLISH = 4;
inline constexpr Integer MM_HIENGLISH = 5;
inline constexpr Integer MM_TWIPS = 6;
inline constexpr Integer MM_ISOTROPIC = 7;
inline constexpr Integer MM_ANISOTROPIC = 8;

// Raster operations (BitBlt, StretchBlt, StretchDIBits, PatBlt)
inline constexpr Cardinal SRCCOPY = 0x00CC0020;
inline constexpr Cardinal SRCPAINT = 0x00EE0086;
inline constexpr Cardinal SRCAND = 0x008800C6;
inline constexpr Cardinal SRCINVERT = 0x00660046;
inline constexpr Cardinal SRCERASE = 0x00440328;
inline constexpr Cardinal NOTSRCCOPY = 0x00330008;
inline constexpr Cardinal NOTSRCERASE = 0x001100A6;
inline constexpr Cardinal MERGECOPY = 0x00C000CA;
inline constexpr Cardinal MERGEPAINT = 0x00BB0226;
inline constexpr Cardinal PATCOPY = 0x00F00021;
inline constexpr Cardinal PATPAINT = 0x00FB0A09;
inline constexpr Cardinal PATINVERT = 0x005A0049;
inline constexpr Cardinal DSTINVERT = 0x00550009;
inline constexpr Cardinal BLACKNESS = 0x00000042;
inline constexpr Cardinal WHITENESS = 0x00FF0062;

// Stretch modes
inline constexpr Integer BLACKONWHITE = 1;
inline constexpr Integer WHITEONBLACK = 2;
inline constexpr Integer COLORONCOLOR = 3;
inline constexpr Integer HALFTONE = 4;
inline constexpr Integer STRETCH_ANDSCANS = BLACKONWHITE;
inline constexpr Integer STRETCH_ORSCANS = WHITEONBLACK;
inline constexpr Integer STRETCH_DELETESCANS = COLORONCOLOR;
inline constexpr Integer STRETCH_HALFTONE = HALFTONE;

// Colour use of DIB colour tables
inline constexpr Cardinal DIB_RGB_COLORS = 0;
inline constexpr Cardinal DIB_PAL_COLORS = 1;

// Regions
inline constexpr Integer RGN_AND = 1;
inline constexpr Integer RGN_OR = 2;
inline constexpr Integer RGN_XOR = 3;
inline constexpr Integer RGN_DIFF = 4;
inline constexpr Integer RGN_COPY = 5;
inline constexpr Integer RGN_ERROR = 0;
inline constexpr Integer NULLREGION = 1;
inline constexpr Integer SIMPLEREGION = 2;
inline constexpr Integer COMPLEXREGION = 3;

// GetDeviceCaps indices
inline constexpr Integer DRIVERVERSION = 0;
inline constexpr Integer TECHNOLOGY = 2;
inline constexpr Integer HORZSIZE = 4;
inline constexpr Integer VERTSIZE = 6;
inline constexpr Integer HORZRES = 8;
inline constexpr Integer VERTRES = 10;
inline constexpr Integer BITSPIXEL = 12;
inline constexpr Integer PLANES = 14;
inline constexpr Integer NUMBRUSHES = 16;
inline constexpr Integer NUMPENS = 18;
inline constexpr Integer NUMFONTS = 22;
inline constexpr Integer NUMCOLORS = 24;
inline constexpr Integer CURVECAPS = 28;
inline constexpr Integer LINECAPS = 30;
inline constexpr Integer POLYGONALCAPS = 32;
inline constexpr Integer TEXTCAPS = 34;
inline constexpr Integer CLIPCAPS = 36;
inline constexpr Integer RASTERCAPS = 38;
inline constexpr Integer ASPECTX = 40;
inline constexpr Integer ASPECTY = 42;
inline constexpr Integer ASPECTXY = 44;
inline constexpr Integer LOGPIXELSX = 88;
inline constexpr Integer LOGPIXELSY = 90;
inline constexpr Integer SIZEPALETTE = 104;
inline constexpr Integer NUMRESERVED = 106;
inline constexpr Integer COLORRES = 108;
inline constexpr Integer PHYSICALWIDTH = 110;
inline constexpr Integer PHYSICALHEIGHT = 111;
inline constexpr Integer PHYSICALOFFSETX = 112;
inline constexpr Integer PHYSICALOFFSETY = 113;
inline constexpr Integer SCALINGFACTORX = 114;
inline constexpr Integer SCALINGFACTORY = 115;

// TECHNOLOGY values
inline constexpr Integer DT_PLOTTER = 0;
inline constexpr Integer DT_RASDISPLAY = 1;
inline constexpr Integer DT_RASPRINTER = 2;
inline constexpr Integer DT_RASCAMERA = 3;
inline constexpr Integer DT_CHARSTREAM = 4;
inline constexpr Integer DT_METAFILE = 5;
inline constexpr Integer DT_DISPFILE = 6;

// RASTERCAPS bits
inline constexpr Integer RC_BITBLT = 0x0001;
inline constexpr Integer RC_BANDING = 0x0002;
inline constexpr Integer RC_SCALING = 0x0004;
inline constexpr Integer RC_BITMAP64 = 0x0008;
inline constexpr Integer RC_DI_BITMAP = 0x0080;
inline constexpr Integer RC_PALETTE = 0x0100;
inline constexpr Integer RC_DIBTODEV = 0x0200;
inline constexpr Integer RC_STRETCHBLT = 0x0800;
inline constexpr Integer RC_STRETCHDIB = 0x2000;

// Font weights
inline constexpr Integer FW_DONTCARE = 0;
inline constexpr Integer FW_THIN = 100;
inline constexpr Integer FW_EXTRALIGHT = 200;
inline constexpr Integer FW_LIGHT = 300;
inline constexpr Integer FW_NORMAL = 400;
inline constexpr Integer FW_MEDIUM = 500;
inline constexpr Integer FW_SEMIBOLD = 600;
inline constexpr Integer FW_BOLD = 700;
inline constexpr Integer FW_EXTRABOLD = 800;
inline constexpr Integer FW_HEAVY = 900;

// Character sets
inline constexpr Byte ANSI_CHARSET = 0;
inline constexpr Byte DEFAULT_CHARSET = 1;
inline constexpr Byte SYMBOL_CHARSET = 2;
inline constexpr Byte SHIFTJIS_CHARSET = 128;
inline constexpr Byte HANGEUL_CHARSET = 129;
inline constexpr Byte GB2312_CHARSET = 134;
inline constexpr Byte CHINESEBIG5_CHARSET = 136;
inline constexpr Byte GREEK_CHARSET = 161;
inline constexpr Byte TURKISH_CHARSET = 162;
inline constexpr Byte HEBREW_CHARSET = 177;
inline constexpr Byte ARABIC_CHARSET = 178;
inline constexpr Byte BALTIC_CHARSET = 186;
inline constexpr Byte RUSSIAN_CHARSET = 204;
inline constexpr Byte THAI_CHARSET = 222;
inline constexpr Byte EASTEUROPE_CHARSET = 238;
inline constexpr Byte OEM_CHARSET = 255;

// Output and clipping precision, quality, pitch and family
inline constexpr Byte OUT_DEFAULT_PRECIS = 0;
inline constexpr Byte OUT_STRING_PRECIS = 1;
inline constexpr Byte OUT_CHARACTER_PRECIS = 2;
inline constexpr Byte OUT_STROKE_PRECIS = 3;
inline constexpr Byte OUT_TT_PRECIS = 4;
inline constexpr Byte OUT_DEVICE_PRECIS = 5;
inline constexpr Byte OUT_RASTER_PRECIS = 6;
inline constexpr Byte OUT_TT_ONLY_PRECIS = 7;
inline constexpr Byte CLIP_DEFAULT_PRECIS = 0;
inline constexpr Byte CLIP_CHARACTER_PRECIS = 1;
inline constexpr Byte CLIP_STROKE_PRECIS = 2;
inline constexpr Byte DEFAULT_QUALITY = 0;
inline constexpr Byte DRAFT_QUALITY = 1;
inline constexpr Byte PROOF_QUALITY = 2;
inline constexpr Byte NONANTIALIASED_QUALITY = 3;
inline constexpr Byte ANTIALIASED_QUALITY = 4;
inline constexpr Byte DEFAULT_PITCH = 0;
inline constexpr Byte FIXED_PITCH = 1;
inline constexpr Byte VARIABLE_PITCH = 2;
inline constexpr Byte FF_DONTCARE = 0x00;
inline constexpr Byte FF_ROMAN = 0x10;
inline constexpr Byte FF_SWISS = 0x20;
inline constexpr Byte FF_MODERN = 0x30;
inline constexpr Byte FF_SCRIPT = 0x40;
inline constexpr Byte FF_DECORATIVE = 0x50;

} // namespace qor

template <class Tag>
struct std::hash<qor::THandle<Tag>> {
    std::size_t operator()(qor::THandle<Tag> H) const noexcept { return std::hash<std::uintptr_t>()(H.Value()); }
};
