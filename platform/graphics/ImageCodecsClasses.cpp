#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/rtl/Streams.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TCodecImage)
{
}

QOR_PUBLISH(TPngImage)
{
}

QOR_PUBLISH(TJPEGImage)
{
    b.Property("CompressionQuality", &TJPEGImage::CompressionQuality, &TJPEGImage::SetCompressionQuality).Default(90);
}

QOR_PUBLISH(TGIFImage)
{
}

QOR_PUBLISH(TWICImage) {}

void TCodecImage::LoadFromStream(TStream* Stream)
{
    const Int64 Left = Stream->Size() - Stream->Position();
    std::vector<Byte> Data = Stream->ReadBytes(std::max<Int64>(Left, 0));
    TDibImage Img;
    String Error;
    if (!DecodeCodecImage(Data, Format(), Img, &Error)) {
        FData.clear();
        FImage = TDibImage{};
        throw EInvalidGraphic(ClassName() + ": " + Error);
    }
    FData = std::move(Data);
    FImage = std::move(Img);
    Changed(this);
}

std::vector<Byte> TCodecImage::Encode() const
{
    return EncodeCodecImage(FImage, Format());
}

void TCodecImage::SaveToStream(TStream* Stream)
{
    if (FImage.Empty())
        return;
    if (FData.empty()) {
        FData = Encode();
        if (FData.empty())
            throw EInvalidGraphicOperation("Cannot save a " + ClassName() + " made from other pixels");
    }
    Stream->WriteBytes(FData);
}

void TCodecImage::LoadFromImage(const TDibImage& Image)
{
    FData.clear();
    FImage = Image.Empty() ? TDibImage{} : Image;
    FImage.Indices.clear();
    FImage.Monochrome = false;
    Changed(this);
}

void TCodecImage::Assign(TPersistent* Source)
{
    if (!Source) {
        FData.clear();
        FImage = TDibImage{};
        Changed(this);
        return;
    }
    if (auto* C = dynamic_cast<TCodecImage*>(Source)) {
        if (C == this)
            return;
        if (C->Format() == Format()) {
            FData = C->FData;
            FImage = C->FImage;
            Changed(this);
        } else {
            LoadFromImage(C->FImage);
        }
        return;
    }
    if (auto* B = dynamic_cast<TBitmap*>(Source)) {
        LoadFromImage(B->Image());
        return;
    }
    TGraphic::Assign(Source);
}

void TCodecImage::DrawTo(HDC DC, const TRect& Rect)
{
    if (FImage.Empty() || !DC)
        return;
    DrawPixels(DC, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, FImage.Pixels.data(),
               FImage.Width, FImage.Height);
}

void TJPEGImage::SetCompressionQuality(Integer Value)
{
    FQuality = std::clamp(Value, 1, 100);
}

std::vector<Byte> TJPEGImage::Encode() const
{
    return EncodeCodecImage(FImage, TImageFormat::Jpeg, FQuality);
}

std::vector<Byte> TWICImage::Encode() const { return EncodeCodecImage(FImage, TImageFormat::Png); }

} // namespace qor
