#pragma once
// Private to the graphics sources: the objects behind GDI handles, the handle table and the font
// engine. Not for use outside platform/graphics/*.cpp. (Qt classes appear only as forward
// declarations; no Qt header is included here.)

#include "platform/graphics/GdiTypes.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class QRawFont;

namespace qor::gdi {

struct TObjectBase {
    explicit TObjectBase(Integer AType) : Type(AType) {}
    virtual ~TObjectBase() = default;
    Integer Type;
};

struct TFontObject final : TObjectBase {
    TFontObject() : TObjectBase(OBJ_FONT) {}
    LOGFONT Log;
};

struct TPenObject final : TObjectBase {
    TPenObject() : TObjectBase(OBJ_PEN) {}
    LOGPEN Log;
    bool UsesDCColor = false; // the DC_PEN stock object
};

struct TBitmapObject;

struct TBrushObject final : TObjectBase {
    TBrushObject() : TObjectBase(OBJ_BRUSH) {}
    LOGBRUSH Log;
    std::shared_ptr<TBitmapObject> Pattern; // BS_PATTERN: 8 x 8 copy of the bitmap
    bool UsesDCColor = false;              // the DC_BRUSH stock object
};

// Pixels 0xAARRGGBB (alpha 0xFF), top row first. A monochrome bitmap holds only black and white.
struct TBitmapObject final : TObjectBase {
    TBitmapObject() : TObjectBase(OBJ_BITMAP) {}
    Integer Width = 0;
    Integer Height = 0;
    bool Monochrome = false;
    bool DibSection = false;
    std::vector<std::uint32_t> Pixels;
    Integer SelectedIn = 0; // memory contexts holding it
};

// A union of rectangles in device units, kept as disjoint bands.
struct TRegionObject final : TObjectBase {
    TRegionObject() : TObjectBase(OBJ_REGION) {}
    std::vector<TRect> Rects;
};

struct TPaletteObject final : TObjectBase {
    TPaletteObject() : TObjectBase(OBJ_PAL) {}
    std::vector<PALETTEENTRY> Entries;
};

using PObject = std::shared_ptr<TObjectBase>;

// Handle table. Handles are never reused. Stock objects have fixed handles (StockHandle).
std::uintptr_t AddObject(PObject Object);
PObject FindObject(std::uintptr_t Handle);
template <class T>
std::shared_ptr<T> Find(std::uintptr_t Handle, Integer Type)
{
    PObject o = FindObject(Handle);
    if (!o || o->Type != Type)
        return nullptr;
    return std::static_pointer_cast<T>(o);
}
bool RemoveObject(std::uintptr_t Handle); // false for stock or unknown handles
bool IsStockHandle(std::uintptr_t Handle);
std::uintptr_t StockHandle(Integer Index);
std::uintptr_t NewHandleValue();

// Region helpers (device units).
std::vector<TRect> RegionCombine(const std::vector<TRect>& A, const std::vector<TRect>& B, Integer Mode);
TRect RegionBox(const std::vector<TRect>& Rects);
Integer RegionComplexity(const std::vector<TRect>& Rects);

// ---- fonts -------------------------------------------------------------------------------------

// A font realized at an em size in device pixels, with integer per-character advances.
class TFontInstance {
public:
    TFontInstance(const LOGFONT& Log, Integer EmPixels, bool FakeMetrics);
    ~TFontInstance();
    TFontInstance(const TFontInstance&) = delete;
    TFontInstance& operator=(const TFontInstance&) = delete;

    Integer Em() const { return FEm; }
    bool Fake() const { return FFake; }
    const String& Family() const { return FFamily; }
    const TEXTMETRIC& Metrics() const { return FMetrics; }
    Integer UnderlinePosition() const { return FUnderlinePos; } // below the baseline, pixels
    Integer StrikeOutPosition() const { return FStrikePos; }    // above the baseline
    Integer LineThickness() const { return FLineThickness; }

    // Advance of one code point, pixels.
    Integer Advance(char32_t C);
    // The glyph index of one code point, and the face it comes from (0: the font's own): characters
    // the font lacks are taken from DejaVu Sans, else from the face fontconfig names for them.
    std::uint32_t Glyph(char32_t C, int* FaceIndex = nullptr);
    QRawFont* Raw() { return FRaw.get(); }
    // The faces glyphs come from: 0 the font's own, then the fallbacks in the order first needed.
    int FaceCount() const { return 1 + int(FFallbacks.size()); }
    QRawFont* Face(int Index) { return Index == 0 ? FRaw.get() : FFallbacks[std::size_t(Index - 1)].get(); }

private:
    struct TCharInfo {
        Integer Advance = -1;
        std::uint32_t Glyph = 0;
        int Face = 0;
    };
    TCharInfo& Info(char32_t C);

    Integer FEm;
    bool FFake;
    String FFamily;
    TEXTMETRIC FMetrics;
    Integer FUnderlinePos = 1;
    Integer FStrikePos = 1;
    Integer FLineThickness = 1;
    std::unique_ptr<QRawFont> FRaw;
    std::vector<std::unique_ptr<QRawFont>> FFallbacks;
    std::vector<String> FFallbackFamilies;
    LOGFONT FLog;
    std::vector<TCharInfo> FLatin; // code points below 0x250
    std::unordered_map<char32_t, TCharInfo> FOther;
};

// The em height in device pixels for a LOGFONT height already in device pixels
// (< 0: em; > 0: cell; 0: the default size).
Integer EmPixelsFor(const LOGFONT& Log, Integer DeviceHeight, bool FakeMetrics);
// Shared, cached instances.
std::shared_ptr<TFontInstance> RealizeFont(const LOGFONT& Log, Integer EmPixels, bool FakeMetrics);

// A LOGFONT from its fields in record order, with an empty face name.
LOGFONT LogFontOf(Integer Height, Integer Width, Integer Escapement, Integer Orientation, Integer Weight, Byte Italic,
                  Byte Underline, Byte StrikeOut, Byte CharSet, Byte OutPrecision, Byte ClipPrecision, Byte Quality,
                  Byte PitchAndFamily);
String FaceNameOf(const LOGFONT& Log);
void SetFaceName(LOGFONT& Log, const String& Face);

// UTF-8 -> code points, UTF-16 -> code points (unpaired surrogates become U+FFFD).
std::u32string ToCodePoints(const String& S);
std::u32string ToCodePoints(const WideChar* S, Integer Count);
// Code points -> UTF-8.
String FromCodePoints(const std::u32string& Cps);

} // namespace qor::gdi
