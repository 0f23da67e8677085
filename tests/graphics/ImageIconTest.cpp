#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <random>

using namespace qor;

namespace {

struct TIconBuilder {
    struct TImage { Byte W, H; Word Bits; std::vector<Byte> Data; };
    std::vector<TImage> Images;

    // A DIB entry: Colour (BGRA per pixel, bottom row first) and mask rows (bottom row first).
    void AddDib(Byte W, Byte H, Word Bits, const std::vector<Byte>& Pixels, const std::vector<Byte>& Mask)
    {
        std::vector<Byte> D;
        PutLE32(D, 40); PutLE32(D, W); PutLE32(D, Cardinal(H) * 2);
        PutLE16(D, 1); PutLE16(D, Bits);
        for (int i = 0; i < 6; ++i) PutLE32(D, 0);
        D.insert(D.end(), Pixels.begin(), Pixels.end());
        D.insert(D.end(), Mask.begin(), Mask.end());
        Images.push_back({W, H, Bits, D});
    }
    void AddPng(const std::vector<Byte>& Png, Byte W, Byte H) { Images.push_back({W, H, 32, Png}); }
    std::vector<Byte> File() const
    {
        std::vector<Byte> F = {0, 0, 1, 0, Byte(Images.size()), 0};
        std::size_t Offset = 6 + 16 * Images.size();
        for (const auto& I : Images) {
            const Cardinal Size = Cardinal(I.Data.size()), Off = Cardinal(Offset);
            F.insert(F.end(), {I.W, I.H, 0, 0, 1, 0, Byte(I.Bits), 0});
            PutLE32(F, Size);
            PutLE32(F, Off);
            Offset += I.Data.size();
        }
        for (const auto& I : Images)
            F.insert(F.end(), I.Data.begin(), I.Data.end());
        return F;
    }
};

// 2 x 2, 24 bits: bottom row blue, blue; top row red, green. Mask hides the top-left pixel.
void AddSmall(TIconBuilder& B)
{
    B.AddDib(2, 2, 24, {0xFF, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0, 0},
             {0, 0, 0, 0, 0x80, 0, 0, 0});
}

} // namespace

TEST(ImageIcon, DibEntryUsesItsMaskForTransparency)
{
    TIconBuilder B;
    AddSmall(B);
    TDibImage I;
    String Err;
    ASSERT_TRUE(DecodeIconFile(B.File(), I, &Err)) << Err;
    ASSERT_EQ(I.Width, 2);
    ASSERT_EQ(I.Height, 2);
    EXPECT_EQ(I.Pixel(0, 0) >> 24, 0u);            // masked
    EXPECT_EQ(I.Pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(I.Pixel(0, 1), 0xFF0000FFu);
}

TEST(ImageIcon, TheLargestThenDeepestEntryIsShown)
{
    TIconBuilder B;
    AddSmall(B);
    TDibImage Big;
    Big.Width = Big.Height = 4;
    Big.HasAlpha = true;
    Big.Pixels.assign(16, 0x80FF0000u);
    B.AddPng(EncodeCodecImage(Big, TImageFormat::Png), 4, 4);
    TIcon Icon;
    TBytesStream S(B.File());
    Icon.LoadFromStream(&S);
    EXPECT_EQ(Icon.Width(), 4);
    EXPECT_EQ(Icon.Image().Pixel(2, 2), 0x80FF0000u);
    // Saved exactly as loaded.
    TBytesStream Out;
    Icon.SaveToStream(&Out);
    EXPECT_EQ(Out.Bytes(), B.File());
}

TEST(ImageIcon, DrawingBlendsOverTheBackground)
{
    TIconBuilder B;
    AddSmall(B);
    TIcon Icon;
    TBytesStream S(B.File());
    Icon.LoadFromStream(&S);
    HDC DC = CreateRasterDC(4, 4);
    Icon.DrawTo(DC, TRect(0, 0, 4, 4));
    EXPECT_EQ(GetPixel(DC, 0, 0), RGB(255, 255, 255)); // masked pixel leaves the page white
    EXPECT_EQ(GetPixel(DC, 3, 0), RGB(0, 255, 0));
    DeleteDC(DC);
}

TEST(ImageIcon, BrokenFilesRaise)
{
    TIconBuilder B;
    AddSmall(B);
    auto Good = B.File();
    auto Outside = Good;
    Outside[18] = 0xFF; Outside[19] = 0x7F; // image offset far past the end
    auto Short = std::vector<Byte>(Good.begin(), Good.begin() + 30);
    for (const auto& D : {Outside, Short, std::vector<Byte>{0, 0, 1, 0, 0, 0}}) {
        TIcon Icon;
        TBytesStream S(D);
        EXPECT_THROW(Icon.LoadFromStream(&S), EInvalidGraphic);
        EXPECT_TRUE(Icon.Empty());
    }
}

TEST(ImageIconFuzz, MutatedIconsNeverCrash)
{
    TIconBuilder B;
    AddSmall(B);
    TDibImage Big;
    Big.Width = Big.Height = 3;
    Big.Pixels.assign(9, 0xFF123456u);
    B.AddPng(EncodeCodecImage(Big, TImageFormat::Png), 3, 3);
    const auto Seed = B.File();
    std::mt19937 Rng(99);
    for (int Iter = 0; Iter < 3000; ++Iter) {
        auto D = Seed;
        if (Rng() % 3 == 0)
            D.resize(Rng() % D.size());
        else
            for (int k = 0, n = 1 + int(Rng() % 4); k < n; ++k)
                D[Rng() % std::min<std::size_t>(D.size(), Rng() % 2 ? 40 : D.size())] ^= Byte(1u << (Rng() % 8));
        TDibImage I;
        if (DecodeIconFile(D, I)) {
            ASSERT_EQ(I.Pixels.size(), std::size_t(I.Width) * std::size_t(I.Height));
        }
    }
}

TEST(ImageIcon, EntriesSharingOneImageTryItOnceWithTheMostData)
{
    // One 2 x 2 DIB behind two directory entries: the first is cut short, the second whole.
    TIconBuilder B;
    AddSmall(B);
    const auto One = B.File();
    const std::vector<Byte> Dib(One.begin() + 22, One.end());
    std::vector<Byte> F = {0, 0, 1, 0, 2, 0};
    for (Cardinal Size : {Cardinal(Dib.size() - 9), Cardinal(Dib.size())}) {
        F.insert(F.end(), {2, 2, 0, 0, 1, 0, 24, 0});
        PutLE32(F, Size);
        PutLE32(F, 38);
    }
    F.insert(F.end(), Dib.begin(), Dib.end());
    TDibImage I;
    String Why;
    ASSERT_TRUE(DecodeIconFile(F, I, &Why)) << Why;
    EXPECT_EQ(I.Width, 2);

    // A damaged PNG behind thousands of entries is decoded once, and the file is refused.
    TDibImage Big;
    Big.Width = Big.Height = 256;
    Big.Pixels.assign(std::size_t(256) * 256, 0xFF336699u);
    std::vector<Byte> Png = EncodeCodecImage(Big, TImageFormat::Png);
    ASSERT_GT(Png.size(), 60u);
    Png[Png.size() - 20] ^= 0xFF;                        // inside the last data chunk or its check
    const std::size_t Count = 4000;
    std::vector<Byte> G = {0, 0, 1, 0, Byte(Count & 0xFF), Byte(Count >> 8)};
    for (std::size_t i = 0; i < Count; ++i) {
        G.insert(G.end(), {0, 0, 0, 0, 1, 0, 32, 0});
        PutLE32(G, Cardinal(Png.size()));
        PutLE32(G, Cardinal(6 + 16 * Count));
    }
    G.insert(G.end(), Png.begin(), Png.end());
    TIcon Icon;
    TBytesStream S(G);
    EXPECT_THROW(Icon.LoadFromStream(&S), EInvalidGraphic);
}
