#include "ByteTestSupport.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <random>

using namespace qor;

namespace {

using test::TBytes;

// An enhanced metafile whose reference device has 4 pixels per millimetre; its frame is
// Width x Height reference pixels.
struct TEmfBuilder {
    TBytes B;
    Cardinal Records = 0;
    explicit TEmfBuilder(Integer Width, Integer Height)
    {
        B.U32(1); B.U32(108);
        B.U32(0); B.U32(0); B.U32(Cardinal(Width - 1)); B.U32(Cardinal(Height - 1));  // bounds
        B.U32(0); B.U32(0); B.U32(Cardinal(Width * 25)); B.U32(Cardinal(Height * 25)); // frame, 0.01 mm
        B.U32(0x464D4520); B.U32(0x10000); B.U32(0); B.U32(0);
        B.U16(4); B.U16(0); B.U32(0); B.U32(0); B.U32(0);
        B.U32(1000); B.U32(1000); B.U32(250); B.U32(250);
        while (B.D.size() < 108) B.D.push_back(0);
        Records = 1;
    }
    void Record(Cardinal Type, std::initializer_list<Cardinal> Params)
    {
        B.U32(Type); B.U32(Cardinal(8 + 4 * Params.size()));
        for (Cardinal P : Params) B.U32(P);
        ++Records;
    }
    std::vector<Byte> Finish()
    {
        Record(14, {0, 16, 20});
        B.Put32(48, Cardinal(B.D.size()));
        B.Put32(52, Records);
        return B.D;
    }
};

// A placeable Windows metafile whose box is (0,0)-(W,H) logical units at Inch units per inch.
struct TWmfBuilder {
    TBytes B;
    explicit TWmfBuilder(SmallInt W, SmallInt H, Word Inch)
    {
        B.U32(PlaceableMetafileKey); B.U16(0);
        B.U16(0); B.U16(0); B.U16(Word(W)); B.U16(Word(H));
        B.U16(Inch); B.U32(0);
        Word Sum = 0;
        for (int i = 0; i < 10; ++i) Sum ^= GetLE16(B.D, 2 * i);
        B.U16(Sum);
        B.U16(1); B.U16(9); B.U16(0x300); B.U32(0); B.U16(2); B.U32(0); B.U16(0);
    }
    void Record(Word Function, std::initializer_list<Word> Params)
    {
        B.U32(Cardinal(3 + Params.size())); B.U16(Function);
        for (Word P : Params) B.U16(P);
    }
    std::vector<Byte> Finish()
    {
        Record(0, {});
        return B.D;
    }
};

std::vector<Byte> RedRectangleEmf()
{
    TEmfBuilder E(100, 50);
    E.Record(39, {1, 0 /*BS_SOLID*/, 0x0000FF, 0});   // CreateBrushIndirect red
    E.Record(37, {1});                                  // SelectObject
    E.Record(37, {0x80000000u | 8});                    // NULL_PEN
    E.Record(43, {10, 10, 30, 20});                     // Rectangle
    return E.Finish();
}

std::vector<Byte> BlueRectangleWmf()
{
    TWmfBuilder W(1000, 500, 1000);
    W.Record(0x02FC, {0, 0x0000, 0x00FF, 0});           // CreateBrushIndirect blue
    W.Record(0x012D, {0});                              // SelectObject 0
    W.Record(0x02FA, {5, 0, 0, 0, 0});                  // CreatePenIndirect PS_NULL
    W.Record(0x012D, {1});
    W.Record(0x041B, {300, 500, 100, 100});             // Rectangle(100,100,500,300)
    return W.Finish();
}

} // namespace

TEST(Metafile, EnhancedSizeComesFromTheFrame)
{
    TMetafile M;
    TBytesStream S(RedRectangleEmf());
    M.LoadFromStream(&S);
    EXPECT_TRUE(M.Enhanced());
    EXPECT_EQ(M.MMWidth(), 2500);
    EXPECT_EQ(M.MMHeight(), 1250);
    EXPECT_EQ(M.Width(), 94);   // 25 mm at 96 pixels per inch
}

TEST(Metafile, HeaderSizesAtTheEdgesOfTheirRangeStayInRange)
{
    // A frame from the most negative to the most positive coordinate, and, with no frame, bounds
    // and a reference device whose product does not fit in 32 bits.
    TEmfBuilder E(100, 50);
    E.B.Put32(24, 0x80000000u);
    E.B.Put32(32, 0x7FFFFFFFu);
    std::vector<Byte> wide = E.Finish();
    TMetafile M;
    TBytesStream S(wide);
    M.LoadFromStream(&S);
    EXPECT_EQ(M.MMWidth(), 0x7FFFFFFF);

    TEmfBuilder F(100, 50);
    for (std::size_t at : {24u, 28u, 32u, 36u})
        F.B.Put32(at, 0);                               // no frame
    F.B.Put32(8, 0x80000001u);                          // bounds left
    F.B.Put32(16, 0x7FFFFFFFu);                         // bounds right
    F.B.Put32(80, 0x7FFFFFFFu);                         // reference width in millimetres
    std::vector<Byte> huge = F.Finish();
    TMetafile N;
    TBytesStream T(huge);
    N.LoadFromStream(&T);
    EXPECT_EQ(N.MMWidth(), 0x7FFFFFFF);
    EXPECT_GE(N.MMHeight(), 0);
}

TEST(Metafile, PlaceableSizeComesFromBoxAndInch)
{
    TMetafile M;
    TBytesStream S(BlueRectangleWmf());
    M.LoadFromStream(&S);
    EXPECT_FALSE(M.Enhanced());
    EXPECT_EQ(M.Inch(), 1000);
    EXPECT_EQ(M.MMWidth(), 2540);
    EXPECT_EQ(M.Width(), 96);
    EXPECT_EQ(M.Height(), 48);
}

TEST(Metafile, SavedByteForByte)
{
    for (const auto& Data : {RedRectangleEmf(), BlueRectangleWmf()}) {
        TMetafile M;
        TBytesStream In(Data);
        M.LoadFromStream(&In);
        M.SetMMWidth(999); // the size shown does not rewrite the data
        TBytesStream Out;
        M.SaveToStream(&Out);
        EXPECT_EQ(Out.Bytes(), Data);
    }
}

TEST(Metafile, GarbageAndTruncationRaiseAndLeaveItEmpty)
{
    const auto Emf = RedRectangleEmf();
    const auto Wmf = BlueRectangleWmf();
    const std::vector<std::vector<Byte>> Bad = {
        {}, {1, 2, 3}, std::vector<Byte>(200, 0x55),
        std::vector<Byte>(Emf.begin(), Emf.end() - 20),     // no end record
        std::vector<Byte>(Wmf.begin(), Wmf.end() - 6),
        std::vector<Byte>(Emf.begin(), Emf.begin() + 100),
    };
    for (const auto& D : Bad) {
        TMetafile M;
        TBytesStream S(D);
        EXPECT_THROW(M.LoadFromStream(&S), EInvalidGraphic);
        EXPECT_TRUE(M.Empty());
    }
    auto Lying = Emf;
    Lying[108 + 4] = 0xF0; // first record claims to be huge
    TMetafile M;
    TBytesStream S(Lying);
    EXPECT_THROW(M.LoadFromStream(&S), EInvalidGraphic);
}

TEST(MetafilePlay, EnhancedRecordsScaleIntoTheDestination)
{
    TMetafile M;
    TBytesStream S(RedRectangleEmf());
    M.LoadFromStream(&S);
    HDC DC = CreateRasterDC(300, 200);
    M.DrawTo(DC, TRect(100, 0, 300, 100)); // twice the picture's size
    // The rectangle (10,10)-(30,20) lands on (120,20)-(160,40).
    EXPECT_EQ(GetPixel(DC, 140, 30), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 121, 21), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 165, 30), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(DC, 140, 45), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(DC, 40, 30), RGB(255, 255, 255));
    // The context's own state is back as it was.
    EXPECT_EQ(GetMapMode(DC), MM_TEXT);
    DeleteDC(DC);
}

TEST(MetafilePlay, WindowsRecordsMapTheBoxOntoTheDestination)
{
    TMetafile M;
    TBytesStream S(BlueRectangleWmf());
    M.LoadFromStream(&S);
    HDC DC = CreateRasterDC(100, 100);
    M.DrawTo(DC, TRect(0, 0, 100, 50));
    // Box 1000 x 500 onto 100 x 50: (100,100)-(500,300) becomes (10,10)-(50,30).
    EXPECT_EQ(GetPixel(DC, 30, 20), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(DC, 55, 20), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(DC, 30, 35), RGB(255, 255, 255));
    DeleteDC(DC);
}

TEST(MetafilePlay, DibRecordsAndTextDraw)
{
    TEmfBuilder E(40, 40);
    // StretchDIBits of a 1 x 1 green 24-bit DIB onto (0,0)-(20,20).
    const std::size_t Start = E.B.D.size();
    E.B.U32(81); E.B.U32(80 + 40 + 4);
    for (Cardinal V : {0u, 0u, 19u, 19u, 0u, 0u, 0u, 0u, 1u, 1u, 80u, 40u, 120u, 4u, 0u, 0x00CC0020u, 20u, 20u})
        E.B.U32(V);
    for (Cardinal V : {40u, 1u, 1u}) E.B.U32(V);
    E.B.U16(1); E.B.U16(24);
    for (int i = 0; i < 6; ++i) E.B.U32(0);
    E.B.D.insert(E.B.D.end(), {0x00, 0xFF, 0x00, 0x00});
    ASSERT_EQ(E.B.D.size() - Start, 124u);
    ++E.Records;
    TMetafile M;
    TBytesStream S(E.Finish());
    M.LoadFromStream(&S);
    HDC DC = CreateRasterDC(40, 40);
    M.DrawTo(DC, TRect(0, 0, 40, 40));
    EXPECT_EQ(GetPixel(DC, 10, 10), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(DC, 30, 30), RGB(255, 255, 255));
    DeleteDC(DC);
}

TEST(MetafileFuzz, MutatedMetafilesLoadOrRaiseAndPlaySafely)
{
    const std::vector<std::vector<Byte>> Seeds = {RedRectangleEmf(), BlueRectangleWmf()};
    std::mt19937 Rng(4242);
    // Played onto a recording context: what is checked here is the reading of records, not how
    // long a raster context takes over shapes millions of pixels wide.
    HDC DC = CreateRecordingDC(64, 64);
    int Played = 0;
    for (int Iter = 0; Iter < 3000; ++Iter) {
        std::vector<Byte> D = Seeds[Iter % 2];
        test::MutateBytes(D, Rng, 4, 4);
        TMetafile M;
        TBytesStream S(D);
        try {
            M.LoadFromStream(&S);
        } catch (const EInvalidGraphic&) {
            ASSERT_TRUE(M.Empty());
            continue;
        }
        M.DrawTo(DC, TRect(0, 0, 64, 64));
        ClearRecordedCalls(DC);
        ++Played;
    }
    EXPECT_GT(Played, 100);
    DeleteDC(DC);
}
