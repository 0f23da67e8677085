#pragma once
// Pictures held in streams: recognising their format by content (QorGetGraphic), the placeable
// metafile header, and TQorBitmap, which draws a device-independent bitmap straight onto a device
// context at the device's own resolution (the way bitmaps reach printers).

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <memory>
#include <vector>

namespace qor {

class TGraphic;
class TMemoryStream;
class TStream;

// ---- placeable metafile header ------------------------------------------------------------------

inline constexpr Cardinal QorPlaceHeadKey = 0x9AC6CDD7;
inline constexpr Integer QorPlaceMetaHeaderSize = 22;

// The 22-byte header in front of a placeable Windows metafile (little-endian, packed).
struct TQorPlaceMetaHeader {
    Cardinal Key = 0;
    Word Hmf = 0;
    SmallInt BBox[4] = {0, 0, 0, 0}; // left, top, right, bottom in metafile units
    Word Inch = 0;                   // metafile units per inch
    Cardinal Reserved = 0;
    Word CheckSum = 0;               // XOR of the ten 16-bit words before it

    bool operator==(const TQorPlaceMetaHeader&) const = default;
};

// Reads the 22 bytes; false (Header untouched) when fewer than 22 remain.
bool ReadQorPlaceMetaHeader(TStream& Stream, TQorPlaceMetaHeader& Header);
void WriteQorPlaceMetaHeader(TStream& Stream, const TQorPlaceMetaHeader& Header);
// The XOR of the header's first ten 16-bit words.
Word QorPlaceHeadCheckSum(const TQorPlaceMetaHeader& Header);
// Sets the key, clears Hmf and Reserved and computes the checksum (bounding box and units per
// inch are the caller's).
void QorFillPlaceHead(TQorPlaceMetaHeader& Header);

// ---- recognising pictures -----------------------------------------------------------------------

// A picture stored by a data set's blob field starts with an 8-byte prefix: the 16-bit values 1 and
// 256 and then the size of the rest. True (positioned after the prefix) when Stream holds one; else
// positioned at 0.
bool QorIsBlob(TStream& Stream);
// The tests below look at the bytes from the current position and leave it where it was.
bool QorIsBitmap(TStream& Stream);   // "BM"
bool QorIsEMF(TStream& Stream);      // an enhanced metafile header (type 1, " EMF" at byte 40)
bool QorIsPlaceWMF(TStream& Stream); // a placeable header with the right key and checksum
bool QorIsIcon(TStream& Stream);     // the second 16-bit value (the resource type) below 2
// From the start of the stream: the first 4 of 22 bytes are the placeable key (checksum not tested).
bool QorIsPlaceableMetaFile(TStream& Stream);

// The picture in Stream (after a blob prefix, if any) loaded into the graphic class of its format:
// a bitmap, a metafile, an icon, then PNG, GIF and JPEG tried by loading. Null when no class loads
// it; the stream is then back where the picture started.
std::unique_ptr<TGraphic> QorGetGraphic(TStream& Stream);

// ---- drawing graphics on a device context -------------------------------------------------------

// Draws a graphic at (X, Y) at its natural size (a metafile at its own width and height), and
// stretched into the inclusive rectangle Rect. The context's state is saved and restored around it.
void QorDrawBitMap(HDC DC, Integer X, Integer Y, TGraphic* Graphic);
void QorStretchDrawBitMap(HDC DC, const TRect& Rect, TGraphic* Graphic);
// Kept for callers of the old interface: metafiles reach a context through QorDrawBitMap; this
// draws nothing.
void QorDrawMetaFile(HDC DC, Integer X, Integer Y, TGraphic* Graphic);

// ---- device-independent bitmaps -----------------------------------------------------------------

enum TQorBitmapType : Byte { qbtNone, qbtWindows, qbtPresMan };

class TQorImage : public TObject {
    QOR_CLASS(TQorImage, TObject)
public:
    TQorImage() = default;
};

// A BMP held as it was read and handed to the device as a DIB, so a printer receives the pixels
// at its own resolution. Headers of 12 bytes (core) and 40, 108 or 124 bytes (information) are
// understood; anything else leaves the bitmap empty, and an empty bitmap draws nothing.
class TQorBitmap : public TQorImage {
    QOR_CLASS(TQorBitmap, TQorImage)
public:
    TQorBitmap();
    ~TQorBitmap() override;

    void Clear();
    // Reads a BMP file from the stream's position to its end.
    void LoadFromStream(TStream* Stream);

    // Stretches the whole bitmap into the inclusive rectangle Rect.
    void StretchDraw(HDC DC, const TRect& Rect);
    // Draws at (X, Y) at the size GetWidth x GetHeight.
    void Draw(HDC DC, Integer X, Integer Y);
    // The size on DC, from the bitmap's resolution (its pixels per metre, else PixelsPerInch) and
    // the device's; 0 for an empty bitmap.
    Integer GetWidth(HDC DC) const;
    Integer GetHeight(HDC DC) const;

    Integer Width() const { return FWidth; }
    Integer Height() const { return FHeight; }
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
    TQorBitmapType BitmapType() const { return FBitmapType; }
    bool Monochrome() const { return FMonochrome; }
    bool Empty() const { return FBitmapType == qbtNone; }
    // True when the header gives the bitmap's own resolution (pixels per metre across).
    bool HasResolution() const { return FBitmapType == qbtWindows && MulDiv(FXPelsPerMeter, 254, 10000) > 0; }
    // Entries of the colour table (0 for bitmaps without one).
    Integer ColorCount() const { return FColorCount; }

private:
    bool Interpret();
    void MakePalette(HDC DC);
    Integer DeviceSize(HDC DC, Integer Pixels, Integer PelsPerMeter, Integer DeviceCap) const;

    HPALETTE FPalette;
    bool FMonochrome = false;
    TQorBitmapType FBitmapType = qbtNone;
    std::unique_ptr<TMemoryStream> FBitmapStream; // header, colour table and bits
    std::vector<Byte> FBitmapInfo;                 // header (colours-used filled in) and colour table
    std::size_t FBitsOffset = 0;                   // where the pixel bits start in FBitmapStream
    Integer FColorSize = 0;                        // bytes of colour table (and masks)
    Integer FColorCount = 0;
    Integer FBitsSize = 0;
    Integer FWidth = 0;
    Integer FHeight = 0;
    Integer FXPelsPerMeter = 0;
    Integer FYPelsPerMeter = 0;
    Integer FPixelsPerInch = 96;
    HDC FDevice;
};

} // namespace qor
