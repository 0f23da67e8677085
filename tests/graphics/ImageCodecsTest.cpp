#include "ByteTestSupport.h"

#include "platform/graphics/ImageCodecs.h"

#include <gtest/gtest.h>

#include <random>

using namespace qor;

namespace {

TDibImage Gradient(Integer W, Integer H, bool Alpha = false)
{
    TDibImage I;
    I.Width = W;
    I.Height = H;
    I.HasAlpha = Alpha;
    for (Integer Y = 0; Y < H; ++Y)
        for (Integer X = 0; X < W; ++X)
            I.Pixels.push_back((Alpha ? Cardinal(X * 40) << 24 : 0xFF000000u) | Cardinal(X * 30) << 16 |
                               Cardinal(Y * 30) << 8 | 0x40);
    return I;
}

// One white pixel.
const std::vector<Byte> TinyGif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,
                                   0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};

} // namespace

TEST(ImageCodecs, FormatsAreRecognisedBySignature)
{
    EXPECT_EQ(DetectImageFormat(EncodeCodecImage(Gradient(2, 2), TImageFormat::Png)), TImageFormat::Png);
    EXPECT_EQ(DetectImageFormat(EncodeCodecImage(Gradient(2, 2), TImageFormat::Jpeg)), TImageFormat::Jpeg);
    EXPECT_EQ(DetectImageFormat(TinyGif), TImageFormat::Gif);
    EXPECT_EQ(DetectImageFormat(std::vector<Byte>{'B', 'M', 0, 0}), TImageFormat::Bmp);
    EXPECT_EQ(DetectImageFormat(std::vector<Byte>{0, 0, 1, 0, 1, 0}), TImageFormat::Ico);
    EXPECT_EQ(DetectImageFormat(std::vector<Byte>{0xD7, 0xCD, 0xC6, 0x9A}), TImageFormat::Wmf);
    EXPECT_EQ(DetectImageFormat(std::vector<Byte>{1, 0, 9, 0, 0, 3}), TImageFormat::Wmf);
    EXPECT_EQ(DetectImageFormat(std::vector<Byte>{'h', 'e', 'l', 'l', 'o', '!'}), TImageFormat::Unknown);
    EXPECT_EQ(DetectImageFormat({}), TImageFormat::Unknown);
}

TEST(ImageCodecs, PngKeepsPixelsAndAlphaExactly)
{
    const TDibImage Src = Gradient(5, 3, true);
    const auto Png = EncodeCodecImage(Src, TImageFormat::Png);
    TDibImage Back;
    String Err;
    ASSERT_TRUE(DecodeCodecImage(Png, TImageFormat::Png, Back, &Err)) << Err;
    EXPECT_EQ(Back.Width, 5);
    EXPECT_EQ(Back.Height, 3);
    EXPECT_TRUE(Back.HasAlpha);
    EXPECT_EQ(Back.Pixels, Src.Pixels);
}

TEST(ImageCodecs, JpegIsCloseAndGifDecodes)
{
    TDibImage Flat;
    Flat.Width = Flat.Height = 8;
    Flat.Pixels.assign(64, 0xFF3080C0u);
    TDibImage Back;
    ASSERT_TRUE(DecodeCodecImage(EncodeCodecImage(Flat, TImageFormat::Jpeg, 95), TImageFormat::Jpeg, Back));
    ASSERT_EQ(Back.Pixels.size(), 64u);
    for (int Shift : {0, 8, 16})
        EXPECT_NEAR(int((Back.Pixels[27] >> Shift) & 0xFF), int((Flat.Pixels[27] >> Shift) & 0xFF), 4);

    TDibImage Gif;
    ASSERT_TRUE(DecodeCodecImage(TinyGif, TImageFormat::Gif, Gif));
    EXPECT_EQ(Gif.Width, 1);
    EXPECT_EQ(Gif.Pixels[0] | 0xFF000000u, 0xFFFFFFFFu);
    // GIF cannot be written.
    EXPECT_TRUE(EncodeCodecImage(Gif, TImageFormat::Gif).empty());
}

TEST(ImageCodecs, TruncatedOrMislabelledDataIsRefused)
{
    const auto Png = EncodeCodecImage(Gradient(16, 16), TImageFormat::Png);
    const auto Jpeg = EncodeCodecImage(Gradient(16, 16), TImageFormat::Jpeg);
    TDibImage Out;
    String Err;
    for (std::size_t Cut : {Png.size() - 1, Png.size() - 12, std::size_t(40), std::size_t(9)}) {
        EXPECT_FALSE(DecodeCodecImage(std::vector<Byte>(Png.begin(), Png.begin() + Cut), TImageFormat::Png, Out, &Err));
        EXPECT_TRUE(Out.Empty());
        EXPECT_FALSE(Err.empty());
    }
    EXPECT_FALSE(DecodeCodecImage(std::vector<Byte>(Jpeg.begin(), Jpeg.end() - 2), TImageFormat::Jpeg, Out));
    EXPECT_FALSE(DecodeCodecImage(std::vector<Byte>(TinyGif.begin(), TinyGif.end() - 3), TImageFormat::Gif, Out));
    EXPECT_FALSE(DecodeCodecImage(Png, TImageFormat::Jpeg, Out)); // PNG data where JPEG is expected
    EXPECT_TRUE(DecodeCodecImage(Png, TImageFormat::Unknown, Out));
}

TEST(ImageCodecs, HugeDeclaredSizeIsRefusedBeforeDecoding)
{
    auto Png = EncodeCodecImage(Gradient(2, 2), TImageFormat::Png);
    // IHDR width at bytes 16..19 (big-endian): 100000 pixels wide.
    Png[16] = 0; Png[17] = 0x01; Png[18] = 0x86; Png[19] = 0xA0;
    TDibImage Out;
    String Err;
    EXPECT_FALSE(DecodeCodecImage(Png, TImageFormat::Png, Out, &Err));
    EXPECT_TRUE(Out.Empty());
}

TEST(ImageCodecsFuzz, MutatedSeedsNeverCrash)
{
    const std::vector<std::vector<Byte>> Seeds = {EncodeCodecImage(Gradient(6, 5, true), TImageFormat::Png),
                                                  EncodeCodecImage(Gradient(9, 7), TImageFormat::Jpeg), TinyGif};
    std::mt19937 Rng(777);
    for (int Iter = 0; Iter < 1500; ++Iter) {
        std::vector<Byte> D = Seeds[Iter % Seeds.size()];
        test::MutateBytes(D, Rng, 3);
        TDibImage Img;
        if (DecodeCodecImage(D, TImageFormat::Unknown, Img)) {
            ASSERT_EQ(Img.Pixels.size(), std::size_t(Img.Width) * std::size_t(Img.Height));
            ASSERT_LE(Img.Width, MaxDibDimension);
        }
    }
}
