#include "ByteTestSupport.h"

#include "platform/graphics/Dib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

using namespace qor;

namespace {

struct TDibBuilder : test::TBytes {
    void Header(Integer W, Integer H, Word Bpp, Cardinal Comp = 0, Cardinal ClrUsed = 0, Cardinal Size = 40)
    {
        U32(Size); U32(Cardinal(W)); U32(Cardinal(H)); U16(1); U16(Bpp); U32(Comp); U32(0); U32(0); U32(0);
        U32(ClrUsed); U32(0);
        while (D.size() < Size) D.push_back(0);
    }
    void Rgbq(std::uint32_t C) { D.push_back(Byte(C)); D.push_back(Byte(C >> 8)); D.push_back(Byte(C >> 16)); D.push_back(0); }
    void Bytes(std::initializer_list<int> L) { for (int b : L) D.push_back(Byte(b)); }
};

TDibImage Decode(const std::vector<Byte>& D, Cardinal Use = DibRgbColors)
{
    TDibImage Img;
    String Err;
    EXPECT_TRUE(DecodeDib(D, {}, Use, Img, &Err)) << Err;
    return Img;
}

} // namespace

TEST(DibDecode, MonochromeBottomUpKeepsIndicesAndColourTable)
{
    TDibBuilder B;
    B.Header(3, 2, 1);
    B.Rgbq(0x112233); B.Rgbq(0xAABBCC);
    B.Bytes({0b10100000, 0, 0, 0});  // bottom row: 1 0 1
    B.Bytes({0b01000000, 0, 0, 0});  // top row:    0 1 0
    TDibImage Img = Decode(B.D);
    ASSERT_EQ(Img.Width, 3);
    ASSERT_EQ(Img.Height, 2);
    EXPECT_TRUE(Img.Monochrome);
    EXPECT_EQ(Img.Indices, (std::vector<Byte>{0, 1, 0, 1, 0, 1}));
    EXPECT_EQ(Img.Pixel(0, 0), 0xFF112233u);
    EXPECT_EQ(Img.Pixel(1, 0), 0xFFAABBCCu);
    EXPECT_EQ(Img.Pixel(0, 1), 0xFFAABBCCu);
}

TEST(DibDecode, TopDownRowsAndFourBitNibbles)
{
    TDibBuilder B;
    B.Header(3, -2, 4, 0, 3);
    B.Rgbq(0x000000); B.Rgbq(0xFF0000); B.Rgbq(0x00FF00);
    B.Bytes({0x12, 0x00, 0, 0});  // top row: 1 2 0
    B.Bytes({0x21, 0x70, 0, 0});  // second:  2 1 7 (7 is past the table: black)
    TDibImage Img = Decode(B.D);
    EXPECT_EQ(Img.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Img.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(Img.Pixel(0, 1), 0xFF00FF00u);
    EXPECT_EQ(Img.Pixel(2, 1), 0xFF000000u);
    EXPECT_EQ(Img.Indices[5], 7);
}

TEST(DibDecode, TrueColourDepths)
{
    // 24-bit: blue, green, red per pixel; rows padded to 4 bytes.
    TDibBuilder B24;
    B24.Header(1, 1, 24);
    B24.Bytes({0x30, 0x20, 0x10, 0});
    EXPECT_EQ(Decode(B24.D).Pixel(0, 0), 0xFF102030u);

    // 16-bit without masks is 5-5-5.
    TDibBuilder B16;
    B16.Header(2, 1, 16);
    B16.U16(0x7C00); B16.U16(0x001F);
    TDibImage I16 = Decode(B16.D);
    EXPECT_EQ(I16.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(I16.Pixel(1, 0), 0xFF0000FFu);

    // 16-bit bitfields 5-6-5: full green is 0x07E0.
    TDibBuilder B565;
    B565.Header(1, 1, 16, DibCompressionBitfields);
    B565.U32(0xF800); B565.U32(0x07E0); B565.U32(0x001F);
    B565.U16(0x07E0); B565.U16(0);
    EXPECT_EQ(Decode(B565.D).Pixel(0, 0), 0xFF00FF00u);

    // 32-bit plain: the fourth byte is not alpha.
    TDibBuilder B32;
    B32.Header(1, 1, 32);
    B32.Bytes({1, 2, 3, 0});
    TDibImage I32 = Decode(B32.D);
    EXPECT_EQ(I32.Pixel(0, 0), 0xFF030201u);
    EXPECT_FALSE(I32.HasAlpha);

    // V5 header with an alpha mask.
    TDibBuilder B5;
    B5.Header(1, 1, 32, DibCompressionBitfields, 0, DibV5HeaderSize);
    const Cardinal Masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (int i = 0; i < 4; ++i)
        for (int b = 0; b < 4; ++b)
            B5.D[40 + 4 * i + b] = Byte(Masks[i] >> (8 * b));
    B5.Bytes({1, 2, 3, 0x80});
    TDibImage I5 = Decode(B5.D);
    EXPECT_TRUE(I5.HasAlpha);
    EXPECT_EQ(I5.Pixel(0, 0), 0x80030201u);
}

TEST(DibDecode, CoreHeaderWithTripleColourTable)
{
    TDibBuilder B;
    B.U32(12); B.U16(2); B.U16(1); B.U16(1); B.U16(8);
    for (int i = 0; i < 256; ++i) B.Bytes({i, 0, 255 - i});
    B.Bytes({5, 250, 0, 0});
    TDibImage Img = Decode(B.D);
    EXPECT_EQ(Img.Pixel(0, 0), 0xFFFA0005u);
    EXPECT_EQ(Img.Pixel(1, 0), 0xFF0500FAu);
}

TEST(DibDecode, PaletteIndexColourTable)
{
    TDibBuilder B;
    B.Header(2, 1, 1);
    B.U16(13); B.U16(19); // red, white in the default palette
    B.Bytes({0x40, 0, 0, 0});
    TDibImage Img = Decode(B.D, DibPalColors);
    EXPECT_EQ(Img.Pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Img.Pixel(1, 0), 0xFFFFFFFFu);
}

TEST(DibDecode, Rle8RunsAbsoluteDeltaAndEndOfLine)
{
    TDibBuilder B;
    B.Header(4, 2, 8, DibCompressionRle8, 3);
    B.Rgbq(0x000000); B.Rgbq(0x0000FF); B.Rgbq(0x00FF00);
    // bottom row: run of 2 x index 1, absolute 3 pixels (1 clipped past width), end of line
    B.Bytes({2, 1, 0, 3, 2, 2, 1, 0, 0, 0});
    // top row: delta +1 x, run of 1 x index 2, end of bitmap
    B.Bytes({0, 2, 1, 0, 1, 2, 0, 1});
    TDibImage Img = Decode(B.D);
    EXPECT_EQ(Img.Indices, (std::vector<Byte>{0, 2, 0, 0, 1, 1, 2, 2}));
}

TEST(DibDecode, Rle4AlternatesNibbles)
{
    TDibBuilder B;
    B.Header(5, 1, 4, DibCompressionRle4, 16);
    for (int i = 0; i < 16; ++i) B.Rgbq(Cardinal(i));
    B.Bytes({3, 0x12, 0, 3, 0x34, 0x50, 0, 1});
    // Run of 3 gives 1 2 1, absolute gives 3 4 (5 clipped).
    EXPECT_EQ(Decode(B.D).Indices, (std::vector<Byte>{1, 2, 1, 3, 4}));
}

TEST(DibDecode, RefusesLiesAndTruncation)
{
    auto Refused = [](const std::vector<Byte>& D) {
        TDibImage Img;
        String Err;
        bool Ok = DecodeDib(D, {}, DibRgbColors, Img, &Err);
        EXPECT_TRUE(Img.Empty());
        return !Ok && !Err.empty();
    };
    TDibBuilder Huge;
    Huge.Header(32768, 32768, 24);  // 2^30 pixels: over the cap, nothing allocated
    EXPECT_TRUE(Refused(Huge.D));
    TDibBuilder Wide;
    Wide.Header(40000, 1, 1);
    EXPECT_TRUE(Refused(Wide.D));
    TDibBuilder MinHeight;
    MinHeight.Header(1, INT32_MIN, 24);
    EXPECT_TRUE(Refused(MinHeight.D));
    TDibBuilder Colours;
    Colours.Header(1, 1, 8, 0, 200);  // says 200 colours, stores none
    EXPECT_TRUE(Refused(Colours.D));
    TDibBuilder Short;
    Short.Header(10, 10, 24);
    Short.Bytes({1, 2, 3});
    EXPECT_TRUE(Refused(Short.D));
    TDibBuilder Rle;
    Rle.Header(4, 4, 8, DibCompressionRle8, 1);
    Rle.Rgbq(0);
    Rle.Bytes({0, 5, 1, 2});  // absolute run of 5 with 2 bytes present
    EXPECT_TRUE(Refused(Rle.D));
    TDibBuilder Depth;
    Depth.Header(1, 1, 3);
    Depth.Bytes({0, 0, 0, 0});
    EXPECT_TRUE(Refused(Depth.D));
    TDibBuilder HeaderSize;
    HeaderSize.Header(1, 1, 24, 0, 0, 42);  // odd header size with masks half outside it
    HeaderSize.D[16] = 3;
    HeaderSize.D[14] = 16;
    EXPECT_TRUE(Refused(HeaderSize.D));
    EXPECT_TRUE(Refused({}));
}

TEST(DibEncode, BmpFileRoundTripsAtEveryOutputDepth)
{
    TDibImage Src;
    Src.Width = 3;
    Src.Height = 2;
    Src.Pixels = {0xFF102030, 0xFFFFFFFF, 0xFF000000, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    for (Word Bpp : {Word(24), Word(32)}) {
        std::vector<Byte> File = EncodeBmpFile(Src, Bpp);
        TDibImage Back;
        String Err;
        ASSERT_TRUE(DecodeBmpFile(File, Back, &Err)) << Err;
        EXPECT_EQ(Back.Pixels, Src.Pixels);
        EXPECT_EQ(Back.BitCount, Bpp);
    }
    TDibImage Mono;
    std::vector<Byte> File = EncodeBmpFile(Src, 1);
    ASSERT_TRUE(DecodeBmpFile(File, Mono));
    EXPECT_EQ(Mono.Indices, (std::vector<Byte>{0, 1, 0, 0, 0, 1}));  // split at mid brightness
}

TEST(DibDecode, BmpFileOffsetOutsideTheDataIsRefused)
{
    TDibImage Src;
    Src.Width = Src.Height = 1;
    Src.Pixels = {0xFF000000};
    std::vector<Byte> File = EncodeBmpFile(Src, 24);
    File[10] = 0xF0; File[11] = 0xFF;
    TDibImage Out;
    EXPECT_FALSE(DecodeBmpFile(File, Out));
}

// Mutates valid seeds (bit flips, truncation, corrupted length fields); decoding must
// either succeed with a consistent image or refuse, never read out of bounds.
TEST(DibFuzz, MutatedSeedsNeverCrash)
{
    std::vector<std::vector<Byte>> Seeds;
    TDibImage Src;
    Src.Width = 5;
    Src.Height = 3;
    for (int i = 0; i < 15; ++i) Src.Pixels.push_back(0xFF000000u | Cardinal(i * 0x111111));
    Seeds.push_back(EncodeBmpFile(Src, 24));
    Seeds.push_back(EncodeBmpFile(Src, 32));
    Seeds.push_back(EncodeBmpFile(Src, 1));
    TDibBuilder Rle;
    Rle.D = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Rle.Header(4, 2, 8, DibCompressionRle8, 2);
    Rle.Rgbq(0); Rle.Rgbq(0xFFFFFF);
    Rle.Bytes({2, 1, 0, 3, 1, 0, 1, 0, 0, 0, 0, 2, 1, 0, 1, 1, 0, 1});
    Seeds.push_back(Rle.D);
    // The other layouts: 4-bit RLE, 16-bit bit fields after an info header, a V5 header with
    // an alpha mask (top-down), and a core header with colour triples.
    const std::vector<Byte> FileHeader = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    TDibBuilder Rle4;
    Rle4.D = FileHeader;
    Rle4.Header(5, 2, 4, DibCompressionRle4, 3);
    Rle4.Rgbq(0); Rle4.Rgbq(0xFF0000); Rle4.Rgbq(0x00FF00);
    Rle4.Bytes({3, 0x12, 0, 3, 0x21, 0x20, 0, 0, 0, 2, 1, 0, 2, 0x11, 0, 1});
    Seeds.push_back(Rle4.D);
    TDibBuilder Fields16;
    Fields16.D = FileHeader;
    Fields16.Header(3, 2, 16, DibCompressionBitfields);
    Fields16.U32(0xF800); Fields16.U32(0x07E0); Fields16.U32(0x001F);
    Fields16.Bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0, 0xFF, 0xFF, 0x00, 0x00, 0x12, 0x34, 0, 0});
    Seeds.push_back(Fields16.D);
    TDibBuilder V5;
    V5.D = FileHeader;
    V5.Header(2, -2, 32, DibCompressionBitfields, 0, DibV5HeaderSize);
    V5.D.resize(14 + DibV5HeaderSize, 0);               // Header pads counting from the file header
    const Cardinal Masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    for (int i = 0; i < 4; ++i)
        V5.Put32(14 + 40 + 4 * std::size_t(i), Masks[i]);
    for (int i = 0; i < 4; ++i) V5.Bytes({i, 2 * i, 3 * i, 0x40 * i});
    Seeds.push_back(V5.D);
    TDibBuilder Core;
    Core.D = FileHeader;
    Core.U32(12); Core.U16(3); Core.U16(2); Core.U16(1); Core.U16(4);
    for (int i = 0; i < 16; ++i) Core.Bytes({i * 16, 255 - i * 16, i});
    Core.Bytes({0x01, 0x20, 0, 0, 0xFE, 0xD0, 0, 0});
    Seeds.push_back(Core.D);
    for (auto& Seed : Seeds) {
        TDibImage Check;
        String Why;
        ASSERT_TRUE(DecodeBmpFile(Seed, Check, &Why)) << Why; // every seed is valid before it is mutated
    }

    std::mt19937 Rng(12345);
    int Decoded = 0;
    for (int Iter = 0; Iter < 6000; ++Iter) {
        std::vector<Byte> D = Seeds[Iter % Seeds.size()];
        switch (Rng() % 4) {
        case 0:
            for (int k = 0, n = 1 + int(Rng() % 4); k < n; ++k)
                D[Rng() % D.size()] ^= Byte(1u << (Rng() % 8));
            break;
        case 1:
            D.resize(Rng() % D.size());
            break;
        case 2: { // corrupt a length/size field of the headers
            static const std::size_t Fields[] = {2, 10, 14, 18, 22, 28, 30, 34, 46};
            std::size_t At = Fields[Rng() % std::size(Fields)];
            if (At + 4 <= D.size())
                for (int b = 0; b < 4; ++b) D[At + b] = Byte(Rng());
            break;
        }
        default:
            D[Rng() % D.size()] = Byte(Rng());
            D.resize(D.size() - Rng() % 8 % D.size());
        }
        TDibImage Img;
        if (DecodeBmpFile(D, Img)) {
            ++Decoded;
            ASSERT_EQ(Img.Pixels.size(), std::size_t(Img.Width) * std::size_t(Img.Height));
            ASSERT_LE(Int64(Img.Width) * Img.Height, MaxDibPixels);
        }
        // The same bytes as a packed DIB whose colour table holds palette indices.
        if (D.size() > 14) {
            TDibImage Pal;
            if (DecodeDib(std::span<const Byte>(D).subspan(14), {}, DibPalColors, Pal)) {
                ASSERT_EQ(Pal.Pixels.size(), std::size_t(Pal.Width) * std::size_t(Pal.Height));
            }
        }
    }
    EXPECT_GT(Decoded, 1000);
}

// Run-length data fills whole rows with a couple of bytes, so a tiny file can declare an image
// of a gigabyte; the image must be paid for by its data or stay below the sparse cap.
TEST(DibDecode, RunLengthImagesAreBoundedByTheirData)
{
    auto RleFile = [](Integer W, Integer H, Word Bpp, std::size_t DataBytes) {
        TDibBuilder B;
        B.D = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        B.Header(W, H, Bpp, Bpp == 8 ? DibCompressionRle8 : DibCompressionRle4, 2);
        B.Rgbq(0); B.Rgbq(0xFFFFFF);
        for (std::size_t i = 0; i + 2 < DataBytes; i += 2) B.Bytes({0, 0});   // end of line
        B.Bytes({0, 1});                                                       // end of bitmap
        return B.D;
    };
    struct TCase { Integer W, H; Word Bpp; std::size_t Data; };
    for (const TCase& C : {TCase{21005, 2297, 8, 10}, TCase{32768, 8192, 8, 1000}, TCase{16384, 16384, 4, 12}}) {
        const auto File = RleFile(C.W, C.H, C.Bpp, C.Data);
        TDibImage Img;
        String Err;
        EXPECT_FALSE(DecodeBmpFile(File, Img, &Err)) << C.W << " x " << C.H;
        EXPECT_TRUE(Img.Pixels.empty());
    }
    // A blank image under the cap still decodes from an end marker alone, and a large one whose
    // data is long enough to paint it is not refused for its size.
    TDibImage Blank;
    ASSERT_TRUE(DecodeBmpFile(RleFile(2048, 2048, 8, 2), Blank));
    EXPECT_EQ(Blank.Pixels.size(), 2048u * 2048u);
    TDibImage Paid;
    String Err;
    EXPECT_TRUE(DecodeBmpFile(RleFile(8192, 4096, 8, 8192 * 4096 / MaxRlePixelsPerByte), Paid, &Err)) << Err;
}

TEST(DibEncode, AlphaSurvivesABmpRoundTrip)
{
    TDibImage Src;
    Src.Width = 2;
    Src.Height = 1;
    Src.BitCount = 32;
    Src.HasAlpha = true;
    Src.Pixels = {0x80102030, 0x00FFFFFF};
    TDibImage Back;
    String Err;
    ASSERT_TRUE(DecodeBmpFile(EncodeBmpFile(Src, 32), Back, &Err)) << Err;
    EXPECT_TRUE(Back.HasAlpha);
    EXPECT_EQ(Back.Pixels, Src.Pixels);
    // Without alpha the plain header stays, and the fourth byte is not read as alpha.
    Src.HasAlpha = false;
    const auto Plain = EncodeBmpFile(Src, 32);
    EXPECT_EQ(GetLE32(Plain, 14), DibInfoHeaderSize);
    ASSERT_TRUE(DecodeBmpFile(Plain, Back));
    EXPECT_FALSE(Back.HasAlpha);
}
