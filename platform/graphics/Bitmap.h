#pragma once
// TBitmap: a device-independent bitmap of any bit depth, loaded from and saved as BMP, with a
// bitmap handle and a canvas that draws into it.

#include "platform/graphics/Color.h"
#include "platform/graphics/Dib.h"
#include "platform/graphics/Graphic.h"
#include "platform/rtl/TypeInfo.h"

#include <memory>

namespace qor {

enum TPixelFormat : Byte { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
QOR_ENUM_NAMES(TPixelFormat, "pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit",
               "pfCustom");

enum TTransparentMode : Byte { tmAuto, tmFixed };
QOR_ENUM_NAMES(TTransparentMode, "tmAuto", "tmFixed");

class TBitmap : public TGraphic {
    QOR_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    void Assign(TPersistent* Source) override;

    bool Empty() const override;
    Integer Width() const override;
    Integer Height() const override;
    // Keeps the pixels that still fit (top-left); new pixels are black (white for monochrome).
    void SetWidth(Integer Value) override;
    void SetHeight(Integer Value) override;
    void SetSize(Integer AWidth, Integer AHeight);

    // Reads a BMP file from the stream's position: as many bytes as its header gives when that
    // fits in the stream, else to the end of the stream.
    void LoadFromStream(TStream* Stream) override;
    // Writes a BMP file: 1 bit per pixel for monochrome bitmaps, 32 bits for pf32bit and bitmaps
    // with an alpha channel, 24 bits otherwise.
    void SaveToStream(TStream* Stream) override;
    // The bitmap as a decoded image, and replacing it (an empty image empties the bitmap).
    void LoadFromImage(const TDibImage& Image);
    const TDibImage& Image() const;

    void DrawTo(HDC DC, const TRect& Rect) override;

    // Form-file data: a 32-bit byte count, then the BMP file.
    void ReadData(TStream* Stream) override;
    void WriteData(TStream* Stream) override;

    // A bitmap object holding the pixels (made on first use; the bitmap keeps owning it).
    HBITMAP Handle();
    // Hands the bitmap object over to the caller; the bitmap keeps its pixels.
    HBITMAP ReleaseHandle();
    // A canvas drawing into the bitmap.
    TCanvas* Canvas();

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Changing to pf1bit makes the bitmap monochrome (pixels split at mid brightness).
    void SetPixelFormat(TPixelFormat Value);
    // One bit per pixel, 0 bits drawn in a device context's text colour and 1 bits in its
    // background colour.
    bool Monochrome() const { return FMonochrome; }
    void SetMonochrome(bool Value);

    // The colour not drawn when Transparent is set: under tmAuto the bottom-left pixel's colour.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // Pixel access (0x00BBGGRR colours as TColor); out of range reads give clNone.
    TColor Pixel(Integer X, Integer Y) const;
    void SetPixel(Integer X, Integer Y, TColor Color);

private:
    friend class TBitmapCanvas;

    void Clear();
    void FreeHandle();
    void SyncFromHandle() const;
    void SyncToHandle();
    void PixelsChanged();
    void UseImage(TDibImage&& Image);

    // The pixels live in FImage and, once a handle exists, in FHandle too; each side says when
    // it holds changes the other lacks, and they are copied across only when next needed.
    mutable TDibImage FImage;
    mutable HBITMAP FHandle;
    mutable bool FHandleDirty = false;  // FHandle may have been drawn into since FImage was synced
    bool FImageDirty = false;           // FImage has pixels set since FHandle was synced
    HDC FCanvasDC;
    std::unique_ptr<TCanvas, void (*)(TCanvas*)> FCanvas{nullptr, nullptr};
    TPixelFormat FPixelFormat = pfDevice;
    bool FMonochrome = false;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
};

} // namespace qor
