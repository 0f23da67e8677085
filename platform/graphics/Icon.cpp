#include "platform/graphics/Icon.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <map>

namespace qor {

QOR_PUBLISH(TIcon)
{
}

namespace {

bool Fail(String* Error, const char* Why)
{
    if (Error)
        *Error = Why;
    return false;
}

struct TEntry {
    Integer Width, Height, Bits;
    std::span<const Byte> Data;
};

// An icon image stored as a DIB: the colour image, then a 1-bit mask (1 = transparent), in a
// header whose height counts both.
bool DecodeIconDib(std::span<const Byte> D, TDibImage& Out, String* Error)
{
    TDibHeader H;
    if (!ReadDibHeader(D, DibRgbColors, H, Error))
        return false;
    if (H.Compression != DibCompressionRgb && H.Compression != DibCompressionBitfields)
        return Fail(Error, "Icon image compression is not supported");
    const Integer Rows = H.Height >= 2 ? H.Height / 2 : H.Height;
    std::vector<Byte> Info(D.begin(), D.begin() + std::ptrdiff_t(H.InfoSize));
    if (H.HeaderSize == DibCoreHeaderSize) {
        SetLE16(Info, 6, Word(Rows));
    } else {
        SetLE32(Info, 8, Cardinal(H.TopDown ? -Rows : Rows));
    }
    const std::span<const Byte> Bits = D.subspan(H.InfoSize);
    TDibImage Img;
    if (!DecodeDib(Info, Bits, DibRgbColors, Img, Error))
        return false;

    const std::size_t ColorBytes = H.RowStride * std::size_t(Rows);
    const std::size_t W = std::size_t(Img.Width);
    bool Alpha = false;
    if (H.BitCount == 32 && H.Compression == DibCompressionRgb) {
        for (Integer R = 0; R < Rows && !Alpha; ++R)
            for (std::size_t X = 0; X < W && !Alpha; ++X)
                Alpha = Bits[std::size_t(R) * H.RowStride + 4 * X + 3] != 0;
        if (Alpha)
            for (Integer R = 0; R < Rows; ++R) {
                const std::size_t Y = H.TopDown ? std::size_t(R) : std::size_t(Rows - 1 - R);
                for (std::size_t X = 0; X < W; ++X) {
                    const std::uint32_t A = Bits[std::size_t(R) * H.RowStride + 4 * X + 3];
                    auto& P = Img.Pixels[Y * W + X];
                    P = (P & 0x00FFFFFFu) | (A << 24);
                }
            }
    }
    const std::size_t MaskStride = DibRowStride(Img.Width, 1);
    if (!Alpha && Bits.size() - ColorBytes >= MaskStride * std::size_t(Rows)) {
        const std::span<const Byte> Mask = Bits.subspan(ColorBytes);
        for (Integer R = 0; R < Rows; ++R) {
            const std::size_t Y = H.TopDown ? std::size_t(R) : std::size_t(Rows - 1 - R);
            for (std::size_t X = 0; X < W; ++X)
                if (Mask[std::size_t(R) * MaskStride + X / 8] & (0x80 >> (X % 8)))
                    Img.Pixels[Y * W + X] &= 0x00FFFFFFu;
        }
        Alpha = true;
    }
    Img.HasAlpha = Alpha;
    Img.Monochrome = false;
    Img.Indices.clear();
    Out = std::move(Img);
    return true;
}

} // namespace

bool DecodeIconFile(std::span<const Byte> D, TDibImage& Out, String* Error)
{
    Out = TDibImage{};
    if (D.size() < 6 || GetLE16(D, 0) != 0 || (GetLE16(D, 2) != 1 && GetLE16(D, 2) != 2))
        return Fail(Error, "Not an icon file");
    const std::size_t Count = GetLE16(D, 4);
    if (Count == 0)
        return Fail(Error, "Icon file holds no images");
    if (D.size() < 6 + 16 * Count)
        return Fail(Error, "Icon directory is truncated");
    std::vector<TEntry> Entries;
    // A directory may point many entries at one image: it is tried once, with the most data.
    std::map<Cardinal, std::size_t> ByOffset;
    for (std::size_t i = 0; i < Count; ++i) {
        const std::size_t At = 6 + 16 * i;
        const Cardinal Size = GetLE32(D, At + 8), Offset = GetLE32(D, At + 12);
        if (Offset >= D.size() || Size == 0 || Size > D.size() - Offset)
            continue;
        if (const auto Seen = ByOffset.find(Offset); Seen != ByOffset.end()) {
            TEntry& Known = Entries[Seen->second];
            if (Size > Known.Data.size())
                Known.Data = D.subspan(Offset, Size);
            continue;
        }
        ByOffset.emplace(Offset, Entries.size());
        TEntry E;
        E.Width = D[At] ? D[At] : 256;
        E.Height = D[At + 1] ? D[At + 1] : 256;
        E.Bits = GetLE16(D, At + 6);
        E.Data = D.subspan(Offset, Size);
        Entries.push_back(E);
    }
    if (Entries.empty())
        return Fail(Error, "Icon images lie outside the file");
    std::stable_sort(Entries.begin(), Entries.end(), [](const TEntry& A, const TEntry& B) {
        const Int64 AreaA = Int64(A.Width) * A.Height, AreaB = Int64(B.Width) * B.Height;
        return AreaA != AreaB ? AreaA > AreaB : A.Bits > B.Bits;
    });
    String Why;
    for (const TEntry& E : Entries) {
        TDibImage Img;
        bool Ok = DetectImageFormat(E.Data) == TImageFormat::Png ? DecodeCodecImage(E.Data, TImageFormat::Png, Img, &Why)
                                                                : DecodeIconDib(E.Data, Img, &Why);
        if (Ok) {
            Img.HasAlpha = true;
            Out = std::move(Img);
            return true;
        }
    }
    if (Error)
        *Error = "Icon image is damaged: " + Why;
    return false;
}

void TIcon::Assign(TPersistent* Source)
{
    if (!Source) {
        FData.clear();
        FImage = TDibImage{};
        Changed(this);
        return;
    }
    if (auto* I = dynamic_cast<TIcon*>(Source)) {
        if (I != this) {
            FData = I->FData;
            FImage = I->FImage;
            Changed(this);
        }
        return;
    }
    TGraphic::Assign(Source);
}

void TIcon::LoadFromStream(TStream* Stream)
{
    const Int64 Left = Stream->Size() - Stream->Position();
    std::vector<Byte> Data = Stream->ReadBytes(std::max<Int64>(Left, 0));
    TDibImage Img;
    String Error;
    if (!DecodeIconFile(Data, Img, &Error)) {
        FData.clear();
        FImage = TDibImage{};
        throw EInvalidGraphic("Icon image is not valid: " + Error);
    }
    FData = std::move(Data);
    FImage = std::move(Img);
    Changed(this);
}

void TIcon::SaveToStream(TStream* Stream)
{
    if (!FData.empty())
        Stream->WriteBytes(FData);
}

void TIcon::DrawTo(HDC DC, const TRect& Rect)
{
    if (FImage.Empty() || !DC)
        return;
    DrawPixels(DC, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, FImage.Pixels.data(),
               FImage.Width, FImage.Height);
}

} // namespace qor
