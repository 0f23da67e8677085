#pragma once
// Compressed image formats (PNG, JPEG, GIF, and any other format an installed image plugin reads,
// such as TIFF, WebP and SVG) decoded into and encoded from 32-bit pixels, and recognition of
// image data by its first bytes.

#include "platform/graphics/Dib.h"
#include "platform/graphics/Graphic.h"

#include <span>
#include <vector>

namespace qor {

// Other: any format an installed image plugin recognises by its content (never given by
// DetectImageFormat, which knows only the signatures of the formats above).
enum class TImageFormat : Byte { Unknown, Bmp, Png, Jpeg, Gif, Ico, Emf, Wmf, Other };

// The format the data's signature announces (placeable and plain WMF both give Wmf; icon and
// cursor files give Ico). Only the first bytes are looked at; the data may still be damaged.
TImageFormat DetectImageFormat(std::span<const Byte> Data);

// Decodes PNG, JPEG or GIF data (the first frame of an animation). Format says which of the
// three is expected; Unknown accepts any of them; Other accepts whatever an installed image plugin
// recognises by its content (SVG drawn at its own size). Damaged or truncated data, and images larger
// than the DIB limits, give false with a reason.
bool DecodeCodecImage(std::span<const Byte> Data, TImageFormat Format, TDibImage& Out, String* Error = nullptr);

// Encodes pixels as PNG (lossless, alpha kept) or JPEG (Quality 1..100, alpha dropped onto white).
// Other formats cannot be written: the result is empty.
std::vector<Byte> EncodeCodecImage(const TDibImage& Image, TImageFormat Format, Integer Quality = 90);

// A picture in a compressed format, kept as loaded (saving writes the same bytes) together with
// its decoded pixels. Pictures assigned from other graphics are encoded when saved.
class TCodecImage : public TGraphic {
    QOR_CLASS(TCodecImage, TGraphic)
public:
    TCodecImage() = default;

    virtual TImageFormat Format() const = 0;

    void Assign(TPersistent* Source) override;

    bool Empty() const override { return FImage.Empty(); }
    Integer Width() const override { return FImage.Width; }
    Integer Height() const override { return FImage.Height; }

    // Reads the picture from the stream's position to its end.
    void LoadFromStream(TStream* Stream) override;
    // The bytes as loaded; a picture made from pixels is encoded (EInvalidGraphicOperation for
    // formats that cannot be written).
    void SaveToStream(TStream* Stream) override;
    void DrawTo(HDC DC, const TRect& Rect) override;

    const TDibImage& Image() const { return FImage; }
    void LoadFromImage(const TDibImage& Image);

protected:
    virtual std::vector<Byte> Encode() const;

    std::vector<Byte> FData;
    TDibImage FImage;
};

class TPngImage : public TCodecImage {
    QOR_CLASS(TPngImage, TCodecImage)
public:
    TImageFormat Format() const override { return TImageFormat::Png; }
};

class TJPEGImage : public TCodecImage {
    QOR_CLASS(TJPEGImage, TCodecImage)
public:
    TImageFormat Format() const override { return TImageFormat::Jpeg; }
    // 1..100, used when the picture is encoded.
    Integer CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(Integer Value);

protected:
    std::vector<Byte> Encode() const override;

private:
    Integer FQuality = 90;
};

// GIF pictures show their first frame. Pictures made from pixels cannot be saved as GIF.
class TGIFImage : public TCodecImage {
    QOR_CLASS(TGIFImage, TCodecImage)
public:
    TImageFormat Format() const override { return TImageFormat::Gif; }
};

// The catch-all picture: whatever format an installed image plugin recognises by its content
// (TIFF, WebP, SVG, ...). Saved as loaded; a picture made from pixels is saved as PNG.
class TWICImage : public TCodecImage {
    QOR_CLASS(TWICImage, TCodecImage)
public:
    TImageFormat Format() const override { return TImageFormat::Other; }

protected:
    std::vector<Byte> Encode() const override;
};

} // namespace qor
