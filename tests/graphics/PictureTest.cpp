#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

TDibImage Dot(std::uint32_t Colour)
{
    TDibImage I;
    I.Width = I.Height = 2;
    I.Pixels.assign(4, Colour);
    return I;
}

} // namespace

TEST(Picture, StreamsPickTheClassBySignature)
{
    struct TCase { std::vector<Byte> Data; TClass Class; };
    const TCase Cases[] = {
        {EncodeBmpFile(Dot(0xFF112233), 24), TBitmap::StaticClass()},
        {EncodeCodecImage(Dot(0xFF112233), TImageFormat::Png), TPngImage::StaticClass()},
        {EncodeCodecImage(Dot(0xFF112233), TImageFormat::Jpeg), TJPEGImage::StaticClass()},
    };
    for (const auto& C : Cases) {
        TPicture P;
        TBytesStream S(C.Data);
        P.LoadFromStream(&S);
        ASSERT_NE(P.Graphic(), nullptr);
        EXPECT_EQ(P.Graphic()->ClassType(), C.Class);
        EXPECT_EQ(P.Width(), 2);
    }
    TPicture P;
    TBytesStream Junk(std::vector<Byte>(64, 'z'));
    EXPECT_THROW(P.LoadFromStream(&Junk), EInvalidGraphic);
    EXPECT_EQ(Junk.Position(), 0);
    auto Cut = EncodeCodecImage(Dot(0xFF112233), TImageFormat::Png);
    Cut.resize(Cut.size() / 2);
    TBytesStream CutStream(Cut);
    EXPECT_THROW(P.LoadFromStream(&CutStream), EInvalidGraphic);
}

TEST(Picture, FilesPickTheClassByExtension)
{
    const String Name = CreateTempFile("qorpic") + ".PNG";
    {
        TPngImage Png;
        Png.LoadFromImage(Dot(0xFF00FF00));
        Png.SaveToFile(Name);
    }
    TPicture P;
    P.LoadFromFile(Name);
    ASSERT_NE(P.Graphic(), nullptr);
    EXPECT_TRUE(P.Graphic()->Is<TPngImage>());
    DeleteFile(Name);
    EXPECT_THROW(P.LoadFromFile("picture.xyz"), EInvalidGraphic);
    EXPECT_EQ(GetGraphicClassForExtension(".Jpeg"), TJPEGImage::StaticClass());
    EXPECT_EQ(GetGraphicClassForExtension("wmf"), TMetafile::StaticClass());
    const String Filter = GraphicFilter(TGraphic::StaticClass());
    EXPECT_EQ(Filter.rfind("All (*.bmp;", 0), 0u) << Filter;
    EXPECT_NE(Filter.find("|Bitmaps (*.bmp)|*.bmp"), String::npos);
    EXPECT_EQ(GraphicFilter(TBitmap::StaticClass()), "Bitmaps (*.bmp)|*.bmp");
}

TEST(Picture, FormDataRoundTripsClassAndContent)
{
    TPicture A;
    A.Bitmap()->LoadFromImage(Dot(0xFF445566));
    TBytesStream S;
    A.WriteData(&S);
    const auto Bytes = S.Bytes();
    ASSERT_EQ(Bytes[0], 7);
    EXPECT_EQ(String(Bytes.begin() + 1, Bytes.begin() + 8), "TBitmap");
    S.SetPosition(0);
    TPicture B;
    B.ReadData(&S);
    ASSERT_NE(B.Graphic(), nullptr);
    EXPECT_TRUE(B.Graphic()->Equals(A.Graphic()));

    std::vector<Byte> Unknown = {4, 'T', 'F', 'o', 'o'};
    TBytesStream U(Unknown);
    EXPECT_THROW(B.ReadData(&U), EInvalidGraphic);
}

TEST(Picture, AssignCopiesAndAccessorsReplaceOtherClasses)
{
    TPicture A, B;
    int Changes = 0;
    B.OnChange = [&](TObject*) { ++Changes; };
    A.Bitmap()->LoadFromImage(Dot(0xFF000000));
    B.Assign(&A);
    ASSERT_NE(B.Graphic(), A.Graphic());
    EXPECT_TRUE(B.Graphic()->Equals(A.Graphic()));
    EXPECT_GT(Changes, 0);
    B.Icon();
    EXPECT_TRUE(B.Graphic()->Is<TIcon>());
    EXPECT_TRUE(B.Graphic()->Empty());
    B.Assign(nullptr);
    EXPECT_EQ(B.Graphic(), nullptr);
    EXPECT_EQ(B.Width(), 0);
}
