#include "platform/graphics/Dib.h"

#include "platform/rtl/Endian.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace qor {

namespace {

// The default logical palette of a device context: what DibPalColors indices resolve to.
constexpr std::uint32_t DefaultPalette[20] = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080,
    0xFFC0C0C0, 0xFFC0DCC0, 0xFFA6CAF0, 0xFFFFFBF0, 0xFFA0A0A4, 0xFF808080, 0xFFFF0000,
    0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
};

constexpr std::uint32_t OpaqueBlack = 0xFF000000;

bool Fail(String* Error, const char* Why)
{
    if (Error)
        *Error = Why;
    return false;
}

// One channel of a bitfields mask: where it starts and how wide it is.
struct TChannel {
    Cardinal Mask = 0;
    int Shift = 0;
    int Bits = 0;

    explicit TChannel(Cardinal M) : Mask(M)
    {
        if (M != 0) {
            Shift = std::countr_zero(M);
            Bits = 32 - std::countl_zero(M) - Shift;
        }
    }

    // The channel's value scaled to 0..255; Absent when the mask is empty.
    std::uint32_t Get(Cardinal Pixel, std::uint32_t Absent) const
    {
        if (Bits == 0)
            return Absent;
        const std::uint64_t V = (Pixel & Mask) >> Shift;
        const std::uint64_t Max = (std::uint64_t(1) << Bits) - 1;
        return std::uint32_t((V * 255 + Max / 2) / Max);
    }
};

std::vector<std::uint32_t> ReadPalette(std::span<const Byte> Info, const TDibHeader& H, Cardinal ColorUse)
{
    std::vector<std::uint32_t> Pal;
    if (H.BitCount > 8)
        return Pal;
    const std::size_t Size = std::size_t(1) << H.BitCount;
    Pal.assign(Size, OpaqueBlack);
    const std::size_t N = std::min(Size, H.ColorTableEntries);
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t At = H.ColorTableOffset + i * H.ColorEntrySize;
        if (ColorUse == DibPalColors && H.HeaderSize != DibCoreHeaderSize) {
            const Word Index = GetLE16(Info, At);
            Pal[i] = Index < 20 ? DefaultPalette[Index] : OpaqueBlack;
        } else {
            // Stored blue, green, red (and a reserved byte).
            Pal[i] = 0xFF000000u | (Cardinal(Info[At + 2]) << 16) | (Cardinal(Info[At + 1]) << 8) | Info[At];
        }
    }
    return Pal;
}

// Output row for the n-th row of the data.
std::size_t TargetRow(const TDibHeader& H, Int64 DataRow)
{
    return H.TopDown ? std::size_t(DataRow) : std::size_t(H.Height - 1 - DataRow);
}

bool DecodeUncompressed(std::span<const Byte> Bits, const TDibHeader& H, TDibImage& Out, String* Error)
{
    const std::size_t Need = H.RowStride * std::size_t(H.Height);
    if (Bits.size() < Need)
        return Fail(Error, "Bitmap data is truncated");

    const bool Indexed = H.BitCount <= 8;
    Cardinal Masks[4] = {H.Masks[0], H.Masks[1], H.Masks[2], H.Masks[3]};
    const bool Fields = H.Compression == DibCompressionBitfields || H.Compression == DibCompressionAlphaBitfields;
    if (!Fields) {
        if (H.BitCount == 16) {
            Masks[0] = 0x7C00; Masks[1] = 0x03E0; Masks[2] = 0x001F; Masks[3] = 0;
        } else {
            Masks[0] = 0x00FF0000; Masks[1] = 0x0000FF00; Masks[2] = 0x000000FF; Masks[3] = 0;
        }
    }
    const TChannel R(Masks[0]), G(Masks[1]), B(Masks[2]), A(Masks[3]);
    Out.HasAlpha = Fields && Masks[3] != 0;

    const std::size_t W = std::size_t(H.Width);
    for (Int64 Row = 0; Row < H.Height; ++Row) {
        const Byte* Src = Bits.data() + std::size_t(Row) * H.RowStride;
        const std::size_t Y = TargetRow(H, Row);
        std::uint32_t* Dst = Out.Pixels.data() + Y * W;
        if (Indexed) {
            Byte* Idx = Out.Indices.data() + Y * W;
            const int Bpp = H.BitCount;
            const int PerByte = 8 / Bpp;
            const Byte Mask = Byte((1 << Bpp) - 1);
            for (std::size_t X = 0; X < W; ++X) {
                const Byte B8 = Src[X / PerByte];
                const int Shift = 8 - Bpp * int(X % PerByte + 1);
                const Byte I = Byte((B8 >> Shift) & Mask);
                Idx[X] = I;
                Dst[X] = Out.Palette[I];
            }
            continue;
        }
        for (std::size_t X = 0; X < W; ++X) {
            Cardinal P = 0;
            switch (H.BitCount) {
            case 16: P = Cardinal(Src[2 * X]) | (Cardinal(Src[2 * X + 1]) << 8); break;
            case 24: P = Cardinal(Src[3 * X]) | (Cardinal(Src[3 * X + 1]) << 8) | (Cardinal(Src[3 * X + 2]) << 16); break;
            default: P = Cardinal(Src[4 * X]) | (Cardinal(Src[4 * X + 1]) << 8) | (Cardinal(Src[4 * X + 2]) << 16) |
                         (Cardinal(Src[4 * X + 3]) << 24);
            }
            Dst[X] = (A.Get(P, 255) << 24) | (R.Get(P, 0) << 16) | (G.Get(P, 0) << 8) | B.Get(P, 0);
        }
    }
    return true;
}

// Run-length encoded 4- and 8-bit data. Pixels the data skips keep colour index 0.
bool DecodeRle(std::span<const Byte> Bits, const TDibHeader& H, TDibImage& Out, String* Error)
{
    const bool Four = H.Compression == DibCompressionRle4;
    const Int64 W = H.Width, Ht = H.Height;
    Int64 X = 0, Row = 0;
    std::size_t At = 0;

    auto Put = [&](Byte Index) {
        if (X < W && Row < Ht) {
            const std::size_t Pos = TargetRow(H, Row) * std::size_t(W) + std::size_t(X);
            Out.Indices[Pos] = Index;
            Out.Pixels[Pos] = Out.Palette[Index];
        }
        ++X;
    };

    while (true) {
        if (Row >= Ht)
            return true; // every row is filled: a missing end marker loses nothing
        if (At + 2 > Bits.size())
            return Fail(Error, "Compressed bitmap data is truncated");
        const Byte Count = Bits[At], Value = Bits[At + 1];
        At += 2;
        if (Count > 0) {
            for (int i = 0; i < Count; ++i)
                Put(Four ? Byte((i % 2 == 0) ? (Value >> 4) : (Value & 0x0F)) : Value);
            continue;
        }
        switch (Value) {
        case 0: // end of line
            X = 0;
            ++Row;
            break;
        case 1: // end of bitmap
            return true;
        case 2: // delta
            if (At + 2 > Bits.size())
                return Fail(Error, "Compressed bitmap data is truncated");
            X += Bits[At];
            Row += Bits[At + 1];
            At += 2;
            break;
        default: { // absolute run of Value pixels, padded to a 16-bit boundary
            const std::size_t Bytes = Four ? (std::size_t(Value) + 1) / 2 : Value;
            const std::size_t Padded = (Bytes + 1) & ~std::size_t(1);
            if (At + Bytes > Bits.size())
                return Fail(Error, "Compressed bitmap data is truncated");
            for (int i = 0; i < Value; ++i) {
                if (Four) {
                    const Byte B8 = Bits[At + std::size_t(i / 2)];
                    Put(Byte((i % 2 == 0) ? (B8 >> 4) : (B8 & 0x0F)));
                } else {
                    Put(Bits[At + std::size_t(i)]);
                }
            }
            At = std::min(Bits.size(), At + Padded);
            break;
        }
        }
    }
}

} // namespace

std::size_t DibRowStride(Integer Width, Word BitCount)
{
    return std::size_t((Int64(Width) * BitCount + 31) / 32) * 4;
}

bool ReadDibHeader(std::span<const Byte> Info, Cardinal ColorUse, TDibHeader& Out, String* Error)
{
    Out = TDibHeader{};
    if (Info.size() < 4)
        return Fail(Error, "Bitmap header is truncated");
    const Cardinal Size = GetLE32(Info, 0);
    if (Size != DibCoreHeaderSize && Size < DibInfoHeaderSize)
        return Fail(Error, "Unknown bitmap header size");
    if (Size > 1024)
        return Fail(Error, "Unknown bitmap header size");
    if (Info.size() < Size)
        return Fail(Error, "Bitmap header is truncated");
    Out.HeaderSize = Size;

    Int64 Width = 0, Height = 0;
    if (Size == DibCoreHeaderSize) {
        Width = GetLE16(Info, 4);
        Height = GetLE16(Info, 6);
        Out.Planes = GetLE16(Info, 8);
        Out.BitCount = GetLE16(Info, 10);
        Out.ColorEntrySize = 3;
    } else {
        Width = GetLE32s(Info, 4);
        Height = GetLE32s(Info, 8);
        Out.Planes = GetLE16(Info, 12);
        Out.BitCount = GetLE16(Info, 14);
        Out.Compression = GetLE32(Info, 16);
        Out.SizeImage = GetLE32(Info, 20);
        Out.XPelsPerMeter = GetLE32s(Info, 24);
        Out.YPelsPerMeter = GetLE32s(Info, 28);
        Out.ClrUsed = GetLE32(Info, 32);
        Out.ColorEntrySize = ColorUse == DibPalColors ? 2 : 4;
    }
    Out.TopDown = Height < 0;
    if (Height < 0)
        Height = -Height;
    if (Width <= 0 || Height <= 0)
        return Fail(Error, "Bitmap has no pixels");
    if (Width > MaxDibDimension || Height > MaxDibDimension || Width * Height > MaxDibPixels)
        return Fail(Error, "Bitmap dimensions are too large");
    Out.Width = Integer(Width);
    Out.Height = Integer(Height);

    switch (Out.BitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return Fail(Error, "Unsupported bitmap bit count");
    }

    std::size_t Pos = Size;
    switch (Out.Compression) {
    case DibCompressionRgb:
        break;
    case DibCompressionRle8:
        if (Out.BitCount != 8)
            return Fail(Error, "RLE8 compression needs 8 bits per pixel");
        break;
    case DibCompressionRle4:
        if (Out.BitCount != 4)
            return Fail(Error, "RLE4 compression needs 4 bits per pixel");
        break;
    case DibCompressionBitfields:
    case DibCompressionAlphaBitfields: {
        if (Out.BitCount != 16 && Out.BitCount != 32)
            return Fail(Error, "Bitfields need 16 or 32 bits per pixel");
        const int Count = Out.Compression == DibCompressionAlphaBitfields ? 4 : 3;
        if (Size >= DibV4HeaderSize) {
            for (int i = 0; i < 4; ++i)
                Out.Masks[i] = GetLE32(Info, 40 + 4 * std::size_t(i));
        } else {
            // Masks follow a plain info header (the 52/56-byte variants hold them inside).
            for (int i = 0; i < Count; ++i) {
                const std::size_t At = 40 + 4 * std::size_t(i);
                if (At + 4 <= Size) {
                    Out.Masks[i] = GetLE32(Info, At);
                    continue;
                }
                if (Info.size() < Pos + 4)
                    return Fail(Error, "Bitmap colour masks are truncated");
                Out.Masks[i] = GetLE32(Info, Pos);
                Pos += 4;
            }
        }
        if (Out.Masks[0] == 0 && Out.Masks[1] == 0 && Out.Masks[2] == 0)
            return Fail(Error, "Bitmap colour masks are empty");
        break;
    }
    case DibCompressionJpeg:
    case DibCompressionPng:
        return Fail(Error, "Embedded JPEG or PNG bitmap data is not supported");
    default:
        return Fail(Error, "Unknown bitmap compression");
    }

    // Colour table: present for indexed images (the full size unless ClrUsed says fewer), and
    // optionally for others (ClrUsed entries, only to be skipped).
    std::size_t Entries = 0;
    if (Out.BitCount <= 8)
        Entries = (Out.ClrUsed != 0) ? Out.ClrUsed : (std::size_t(1) << Out.BitCount);
    else
        Entries = Out.ClrUsed;
    if (Entries > 65536)
        return Fail(Error, "Bitmap colour count is invalid");
    Out.ColorTableOffset = Pos;
    Out.ColorTableEntries = Entries;
    const std::size_t TableBytes = Entries * Out.ColorEntrySize;
    if (Info.size() < Pos || Info.size() - Pos < TableBytes)
        return Fail(Error, "Bitmap colour table is truncated");
    Out.InfoSize = Pos + TableBytes;
    Out.RowStride = DibRowStride(Out.Width, Out.BitCount);
    return true;
}

bool DecodeDib(std::span<const Byte> Info, std::span<const Byte> Bits, Cardinal ColorUse, TDibImage& Out,
               String* Error)
{
    Out = TDibImage{};
    TDibHeader H;
    if (!ReadDibHeader(Info, ColorUse, H, Error))
        return false;
    if (Bits.empty())
        Bits = Info.subspan(H.InfoSize);
    const bool Rle = H.Compression == DibCompressionRle8 || H.Compression == DibCompressionRle4;
    // The data must be able to fill the image before anything of image size is allocated.
    if (!Rle && Bits.size() < H.RowStride * std::size_t(H.Height))
        return Fail(Error, "Bitmap data is truncated");
    if (Rle && Bits.size() < 2)
        return Fail(Error, "Compressed bitmap data is truncated");
    if (Rle && Int64(H.Width) * H.Height > std::max<Int64>(MaxUnbackedPixels, Int64(Bits.size()) * MaxRlePixelsPerByte))
        return Fail(Error, "Compressed bitmap is too large for its data");

    TDibImage Img;
    Img.Width = H.Width;
    Img.Height = H.Height;
    Img.BitCount = H.BitCount;
    Img.Monochrome = H.BitCount == 1;
    Img.XPelsPerMeter = H.XPelsPerMeter;
    Img.YPelsPerMeter = H.YPelsPerMeter;
    Img.Palette = ReadPalette(Info, H, ColorUse);
    const std::size_t Count = std::size_t(H.Width) * std::size_t(H.Height);
    try {
        if (H.BitCount <= 8) {
            Img.Indices.assign(Count, 0);
            Img.Pixels.assign(Count, Img.Palette[0]);
        } else {
            Img.Pixels.assign(Count, OpaqueBlack);
        }
    } catch (const std::bad_alloc&) {
        return Fail(Error, "Bitmap is too large for the memory available");
    }

    const bool Ok = Rle ? DecodeRle(Bits, H, Img, Error) : DecodeUncompressed(Bits, H, Img, Error);
    if (!Ok)
        return false;
    Out = std::move(Img);
    return true;
}

bool DecodeBmpFile(std::span<const Byte> Data, TDibImage& Out, String* Error)
{
    Out = TDibImage{};
    if (Data.size() < 14 + 4)
        return Fail(Error, "Bitmap file is truncated");
    if (Data[0] != 'B' || Data[1] != 'M')
        return Fail(Error, "Not a bitmap file");
    const Cardinal OffBits = GetLE32(Data, 10);
    const std::span<const Byte> Info = Data.subspan(14);
    TDibHeader H;
    if (!ReadDibHeader(Info, DibRgbColors, H, Error))
        return false;
    std::span<const Byte> Bits;
    if (OffBits == 0) {
        Bits = Info.subspan(H.InfoSize);
    } else {
        if (OffBits < 14 + H.HeaderSize || OffBits > Data.size())
            return Fail(Error, "Bitmap file's data offset is invalid");
        Bits = Data.subspan(OffBits);
    }
    if (Bits.empty())
        return Fail(Error, "Bitmap data is truncated");
    return DecodeDib(Info, Bits, DibRgbColors, Out, Error);
}

std::vector<Byte> EncodeDib(const TDibImage& Image, Word BitCount)
{
    if (BitCount != 1 && BitCount != 24 && BitCount != 32)
        BitCount = 24;
    const Integer W = std::max(Image.Width, 0), Ht = std::max(Image.Height, 0);
    const std::size_t Stride = DibRowStride(W, BitCount);
    std::vector<Byte> D;
    const std::size_t TableBytes = BitCount == 1 ? 8 : 0;
    const bool AlphaFields = BitCount == 32 && Image.HasAlpha;
    const Cardinal HeaderSize = AlphaFields ? DibV4HeaderSize : DibInfoHeaderSize;
    D.reserve(HeaderSize + TableBytes + Stride * std::size_t(Ht));

    PutLE32(D, HeaderSize);
    PutLE32(D, Cardinal(W));
    PutLE32(D, Cardinal(Ht));
    PutLE16(D, 1);
    PutLE16(D, BitCount);
    PutLE32(D, AlphaFields ? DibCompressionBitfields : DibCompressionRgb);
    PutLE32(D, Cardinal(Stride * std::size_t(Ht)));
    PutLE32(D, Cardinal(Image.XPelsPerMeter));
    PutLE32(D, Cardinal(Image.YPelsPerMeter));
    PutLE32(D, BitCount == 1 ? 2 : 0);
    PutLE32(D, 0);
    if (AlphaFields) {
        // Red, green, blue and alpha masks, then the colour space ("sRGB") and its unused
        // end points and gamma.
        for (Cardinal Mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
            PutLE32(D, Mask);
        PutLE32(D, 0x73524742u);
        D.resize(HeaderSize, 0);
    }

    const bool HaveIndices = Image.Indices.size() == Image.Pixels.size() && Image.Palette.size() >= 2 &&
                             Image.BitCount == 1;
    if (BitCount == 1) {
        const std::uint32_t Pal[2] = {HaveIndices ? Image.Palette[0] : OpaqueBlack,
                                      HaveIndices ? Image.Palette[1] : 0xFFFFFFFFu};
        for (std::uint32_t C : Pal)
            PutLE32(D, C & 0x00FFFFFFu); // blue, green, red, reserved
    }

    const std::size_t Base = D.size();
    D.resize(Base + Stride * std::size_t(Ht), 0);
    for (Integer Y = 0; Y < Ht; ++Y) {
        Byte* Row = D.data() + Base + std::size_t(Ht - 1 - Y) * Stride;
        for (Integer X = 0; X < W; ++X) {
            const std::size_t I = std::size_t(Y) * std::size_t(W) + std::size_t(X);
            const std::uint32_t P = Image.Pixels[I];
            switch (BitCount) {
            case 1: {
                bool One;
                if (HaveIndices) {
                    One = Image.Indices[I] != 0;
                } else {
                    const unsigned Lum = ((P >> 16) & 0xFF) * 30 + ((P >> 8) & 0xFF) * 59 + (P & 0xFF) * 11;
                    One = Lum >= 128 * 100;
                }
                if (One)
                    Row[X / 8] |= Byte(0x80 >> (X % 8));
                break;
            }
            case 24:
                Row[3 * X] = Byte(P);
                Row[3 * X + 1] = Byte(P >> 8);
                Row[3 * X + 2] = Byte(P >> 16);
                break;
            default:
                Row[4 * X] = Byte(P);
                Row[4 * X + 1] = Byte(P >> 8);
                Row[4 * X + 2] = Byte(P >> 16);
                Row[4 * X + 3] = Byte(P >> 24);
            }
        }
    }
    return D;
}

std::vector<Byte> EncodeBmpFile(const TDibImage& Image, Word BitCount)
{
    std::vector<Byte> Dib = EncodeDib(Image, BitCount);
    const Cardinal HeaderAndTable = GetLE32(Dib, 0) + (GetLE16(Dib, 14) == 1 ? 8 : 0);
    std::vector<Byte> F;
    F.reserve(14 + Dib.size());
    F.push_back('B');
    F.push_back('M');
    PutLE32(F, Cardinal(14 + Dib.size()));
    PutLE32(F, 0);
    PutLE32(F, 14 + HeaderAndTable);
    F.insert(F.end(), Dib.begin(), Dib.end());
    return F;
}

} // namespace qor
