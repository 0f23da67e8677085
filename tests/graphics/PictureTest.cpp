#include "ByteTestSupport.h"

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

    // A picture only an image plugin reads stays in its own format in the form.
    TPicture Tiff;
    Tiff.LoadFromFile(std::string(QOR_TEST_DATA_DIR) + "/output/quadrants.tiff");
    TBytesStream T;
    Tiff.WriteData(&T);
    T.SetPosition(0);
    B.ReadData(&T);
    ASSERT_NE(B.Graphic(), nullptr);
    EXPECT_TRUE(B.Graphic()->Is<TWICImage>());
    EXPECT_EQ(B.Width(), 8);

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

namespace {

// The smallest whole files of the formats that cannot be written from pixels.
std::vector<Byte> TinyEmf()
{
    test::TBytes B;
    B.U32(1); B.U32(108);
    for (Cardinal V : {0u, 0u, 9u, 9u, 0u, 0u, 254u, 254u}) B.U32(V); // bounds, frame (0.01 mm)
    B.U32(0x464D4520); B.U32(0x10000); B.U32(108 + 20); B.U32(2);
    B.U16(1); B.U16(0); B.U32(0); B.U32(0); B.U32(0);
    B.U32(960); B.U32(960); B.U32(254); B.U32(254);
    while (B.D.size() < 108) B.D.push_back(0);
    for (Cardinal V : {14u, 20u, 0u, 16u, 20u}) B.U32(V); // end record
    return B.D;
}

std::vector<Byte> TinyPlaceableWmf()
{
    test::TBytes B;
    B.U32(PlaceableMetafileKey); B.U16(0);
    B.U16(0); B.U16(0); B.U16(96); B.U16(48); B.U16(96); B.U32(0);
    Word Sum = 0;
    for (int i = 0; i < 10; ++i) Sum ^= GetLE16(B.D, 2 * std::size_t(i));
    B.U16(Sum);
    B.U16(1); B.U16(9); B.U16(0x300); B.U32(9 + 3); B.U16(0); B.U32(3); B.U16(0);
    B.U32(3); B.U16(0);                                   // end record
    return B.D;
}

std::vector<Byte> TinyIcon()
{
    test::TBytes B;
    B.U16(0); B.U16(1); B.U16(1);
    B.D.insert(B.D.end(), {1, 1, 0, 0, 1, 0, 24, 0});
    B.U32(40 + 4 + 4); B.U32(22);
    B.U32(40); B.U32(1); B.U32(2); B.U16(1); B.U16(24);
    for (int i = 0; i < 6; ++i) B.U32(0);
    B.D.insert(B.D.end(), {0x10, 0x20, 0x30, 0, 0, 0, 0, 0}); // one pixel, then its mask row
    return B.D;
}

} // namespace

TEST(Picture, EveryClassLoadsFromTheStreamPositionAfterAStoredBlobPrefix)
{
    // Pictures kept in data set fields start after an 8-byte prefix; each class, and the
    // recognition by signature, reads from where the stream stands to its end.
    struct TCase { std::vector<Byte> Data; TClass Class; Integer Width; };
    const TCase Cases[] = {
        {EncodeBmpFile(Dot(0xFF112233), 24), TBitmap::StaticClass(), 2},
        {EncodeCodecImage(Dot(0xFF112233), TImageFormat::Png), TPngImage::StaticClass(), 2},
        {EncodeCodecImage(Dot(0xFF112233), TImageFormat::Jpeg), TJPEGImage::StaticClass(), 2},
        {TinyEmf(), TMetafile::StaticClass(), 10},
        {TinyPlaceableWmf(), TMetafile::StaticClass(), 96},
        {TinyIcon(), TIcon::StaticClass(), 1},
    };
    for (const auto& C : Cases) {
        test::TBytes Blob;
        Blob.U16(1); Blob.U16(256); Blob.U32(Cardinal(C.Data.size()));
        Blob.D.insert(Blob.D.end(), C.Data.begin(), C.Data.end());
        TBytesStream S(Blob.D);
        S.SetPosition(8);
        std::unique_ptr<TGraphic> G = LoadGraphicFromStream(&S);
        ASSERT_NE(G, nullptr) << C.Class->Name;
        EXPECT_EQ(G->ClassType(), C.Class);
        EXPECT_EQ(G->Width(), C.Width) << C.Class->Name;
        // Saved as loaded (or, for bitmaps, as an equal BMP), so a page file can carry it.
        TBytesStream Out;
        G->SaveToStream(&Out);
        if (C.Class != TBitmap::StaticClass()) {
            EXPECT_EQ(Out.Bytes(), C.Data) << C.Class->Name;
        }
        // A class that is not the data's refuses it and leaves nothing loaded.
        for (TClass Other : {TBitmap::StaticClass(), TIcon::StaticClass(), TMetafile::StaticClass(),
                             TPngImage::StaticClass(), TJPEGImage::StaticClass(), TGIFImage::StaticClass()}) {
            if (Other == C.Class)
                continue;
            std::unique_ptr<TGraphic> Wrong = NewGraphic(Other);
            S.SetPosition(8);
            EXPECT_THROW(Wrong->LoadFromStream(&S), EInvalidGraphic) << Other->Name << " took " << C.Class->Name;
            EXPECT_TRUE(Wrong->Empty());
        }
    }
}
