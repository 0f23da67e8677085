#include "ByteTestSupport.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
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

TEST(MetafilePlay, ExtendedPensTakeStyleWidthAndColourFromTheirLogPen)
{
    // ExtCreatePen: slot, the bitmap offsets and sizes (none), then the extended pen: style
    // (geometric, solid), width, brush style, colour, hatch, no style entries.
    TEmfBuilder E(100, 100);
    E.Record(95, {1, 0, 0, 0, 0, 0x00010000u, 3, 0 /*BS_SOLID*/, 0x0000FF, 0, 0});
    E.Record(37, {1});
    E.Record(27, {10, 50});                             // MoveToEx
    E.Record(54, {90, 50});                             // LineTo
    // A pen whose brush is hollow draws nothing.
    E.Record(95, {2, 0, 0, 0, 0, 0x00010000u, 3, 1 /*BS_NULL*/, 0x00FF00, 0, 0});
    E.Record(37, {2});
    E.Record(27, {10, 80});
    E.Record(54, {90, 80});
    TMetafile M;
    TBytesStream S(E.Finish());
    M.LoadFromStream(&S);
    HDC DC = CreateRasterDC(100, 100);
    M.DrawTo(DC, TRect(0, 0, 100, 100));
    EXPECT_EQ(GetPixel(DC, 50, 50), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 50, 45), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(DC, 50, 80), RGB(255, 255, 255));
    DeleteDC(DC);
}

TEST(MetafilePlay, WindowsObjectSlotsReuseTheLowestFreeOne)
{
    // Slots 0..2 filled, slot 1 freed: the next object takes slot 1, the one after slot 3.
    TWmfBuilder W(100, 100, 96);
    W.Record(0x02FC, {0, 0x0000, 0x00FF, 0});           // 0: blue brush
    W.Record(0x02FC, {0, 0x00FF, 0x0000, 0});           // 1: red brush
    W.Record(0x02FA, {5, 0, 0, 0, 0});                  // 2: null pen
    W.Record(0x01F0, {1});                              // DeleteObject 1
    W.Record(0x02FC, {0, 0xFF00, 0x0000, 0});           // 1: green brush
    W.Record(0x02FC, {0, 0x0000, 0x0000, 0});           // 3: black brush
    W.Record(0x012D, {2});
    W.Record(0x012D, {1});
    W.Record(0x041B, {50, 50, 0, 0});                   // Rectangle(0,0,50,50)
    W.Record(0x012D, {0});
    W.Record(0x041B, {100, 100, 50, 50});               // Rectangle(50,50,100,100)
    TMetafile M;
    TBytesStream S(W.Finish());
    M.LoadFromStream(&S);
    HDC DC = CreateRasterDC(100, 100);
    M.DrawTo(DC, TRect(0, 0, 100, 100));
    EXPECT_EQ(GetPixel(DC, 25, 25), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(DC, 75, 75), RGB(0, 0, 255));
    DeleteDC(DC);
}

namespace {

bool Logged(const std::vector<String>& Calls, const String& Call)
{
    return std::find(Calls.begin(), Calls.end(), Call) != Calls.end();
}

} // namespace

TEST(MetafilePlay, EnhancedRecordsReachTheContext)
{
    TEmfBuilder E(100, 100);
    E.Record(17, {8});                                  // SetMapMode MM_ANISOTROPIC
    E.Record(9, {200, 200});                            // SetWindowExtEx
    E.Record(11, {100, 100});                           // SetViewportExtEx
    // ExtCreateFontIndirectW: slot 1, height -20, weight 700, italic, face "Arial".
    {
        const std::size_t Start = E.B.D.size();
        E.B.U32(82); E.B.U32(8 + 4 + 92);
        E.B.U32(1);
        for (Cardinal V : {Cardinal(-20), 0u, 0u, 0u, 700u}) E.B.U32(V);
        E.B.D.insert(E.B.D.end(), {1, 0, 0, 0, 0, 0, 0, 0});
        for (char16_t Ch : std::u16string(u"Arial")) E.B.U16(Word(Ch));
        while (E.B.D.size() - Start < 8 + 4 + 92) E.B.D.push_back(0);
        ++E.Records;
    }
    E.Record(37, {1});
    E.Record(24, {0x0000FF});                           // SetTextColor
    E.Record(18, {1});                                  // SetBkMode TRANSPARENT
    E.Record(22, {24});                                 // SetTextAlign TA_BASELINE
    // ExtTextOutW "Hi" at (10, 20), no options, advances 7 and 3.
    {
        const std::size_t Start = E.B.D.size();
        E.B.U32(84); E.B.U32(88);
        for (int i = 0; i < 4; ++i) E.B.U32(0);         // bounds
        E.B.U32(1); E.B.U32(0); E.B.U32(0);             // graphics mode, scales
        E.B.U32(10); E.B.U32(20); E.B.U32(2); E.B.U32(76); E.B.U32(0);
        for (int i = 0; i < 4; ++i) E.B.U32(0);         // rectangle
        E.B.U32(80);                                    // advances
        E.B.U16('H'); E.B.U16('i');
        E.B.U32(7); E.B.U32(3);
        ASSERT_EQ(E.B.D.size() - Start, 88u);
        ++E.Records;
    }
    E.Record(87, {0, 0, 0, 0, 3, 0 | (0u << 16), 10 | (10u << 16), 20 | (0u << 16)});   // Polyline16
    E.Record(91, {0, 0, 0, 0, 2, 6, 3, 3, 0, 10 | (0u << 16), 0 | (10u << 16),
                  20, 30 | (0u << 16), 20 | (10u << 16)});                                // PolyPolygon16
    E.Record(33, {});                                   // SaveDC
    E.Record(30, {1, 2, 30, 40});                       // IntersectClipRect
    E.Record(34, {Cardinal(-1)});                       // RestoreDC
    E.Record(44, {0, 0, 40, 40, 6, 8});                 // RoundRect
    E.Record(42, {5, 5, 15, 25});                       // Ellipse
    E.Record(999, {1, 2, 3});                           // unknown: skipped
    TMetafile M;
    TBytesStream S(E.Finish());
    M.LoadFromStream(&S);
    HDC DC = CreateRecordingDC(200, 200);
    M.DrawTo(DC, TRect(0, 0, 100, 100));
    const auto Calls = GetRecordedCalls(DC);
    DeleteDC(DC);
    for (const char* Call : {"SelectObject(Font \"Arial\" h=-20 w=700 esc=0 i=1 u=0 s=0)", "SetTextColor($0000FF)",
                             "SetBkMode(TRANSPARENT)", "SetTextAlign(24)", "ExtTextOut(10,20,0,nil,\"Hi\",dx=7;3)",
                             "Polyline(0,0;10,10;20,0)", "PolyPolygon(2,0,0;10,0;0,10;20,0;30,0;20,10)",
                             "IntersectClipRect(1,2,30,40)", "RestoreDC(-1)", "RoundRect(0,0,40,40,6,8)"})
        EXPECT_TRUE(Logged(Calls, Call)) << Call;
    // The window of 200 units shows in a viewport of 100 reference pixels, and the picture of
    // 100 reference pixels fills the 100-pixel destination: half a pixel per unit.
    const auto Last = [&](const String& Start) {
        for (auto It = Calls.rbegin(); It != Calls.rend(); ++It)
            if (It->rfind(Start, 0) == 0)
                return *It;
        return String();
    };
    Integer WX = 0, WY = 0, VX = 0, VY = 0;
    ASSERT_EQ(std::sscanf(Last("SetWindowExtEx(").c_str(), "SetWindowExtEx(%d,%d)", &WX, &WY), 2);
    ASSERT_EQ(std::sscanf(Last("SetViewportExtEx(").c_str(), "SetViewportExtEx(%d,%d)", &VX, &VY), 2);
    EXPECT_NEAR(double(VX) / WX, 0.5, 1e-6);
    EXPECT_NEAR(double(VY) / WY, 0.5, 1e-6);
    // The unknown record draws nothing, and the context's own state comes back at the end.
    ASSERT_GE(Calls.size(), 2u);
    EXPECT_EQ(Calls[Calls.size() - 2], "Ellipse(5,5,15,25)");
    EXPECT_EQ(Calls.front(), "SaveDC()");
    EXPECT_EQ(Calls.back(), "RestoreDC(1)");
}

TEST(MetafilePlay, WindowsRecordsReachTheContext)
{
    TWmfBuilder W(100, 100, 96);
    W.Record(0x020B, {0, 0});                           // SetWindowOrg
    W.Record(0x020C, {100, 100});                       // SetWindowExt
    W.Record(0x0209, {0x00FF, 0});                      // SetTextColor red
    W.Record(0x0201, {0xFF00, 0});                      // SetBkColor green
    W.Record(0x0102, {1});                              // SetBkMode TRANSPARENT
    W.Record(0x012E, {6});                              // SetTextAlign TA_CENTER
    // CreateFontIndirect: height -12, weight 400, underline, face "Courier New".
    {
        TBytes F;
        for (Word V : {Word(-12), Word(0), Word(0), Word(0), Word(400)}) F.U16(V);
        F.D.insert(F.D.end(), {0, 1, 0, 0, 0, 0, 0, 0});
        for (char Ch : std::string("Courier New")) F.D.push_back(Byte(Ch));
        F.D.push_back(0);
        std::vector<Word> Words;
        for (std::size_t i = 0; i < F.D.size(); i += 2) Words.push_back(Word(F.D[i] | (F.D[i + 1] << 8)));
        W.B.U32(Cardinal(3 + Words.size())); W.B.U16(0x02FB);
        for (Word V : Words) W.B.U16(V);
    }
    W.Record(0x012D, {0});                              // SelectObject 0
    W.Record(0x0521, {2, 'A' | ('b' << 8), 7, 5});      // TextOut "Ab" at (5, 7)
    W.Record(0x0A32, {9, 8, 1, 0, 'Z', 3});             // ExtTextOut "Z" at (8, 9), advance 3
    W.Record(0x0324, {3, 0, 0, 10, 0, 0, 10});          // Polygon
    W.Record(0x0325, {2, 1, 2, 3, 4});                  // Polyline
    W.Record(0x0538, {2, 3, 3, 0, 0, 5, 0, 0, 5, 10, 10, 15, 10, 10, 15}); // PolyPolygon
    W.Record(0x001E, {});                               // SaveDC
    W.Record(0x0416, {40, 30, 20, 10});                 // IntersectClipRect(10,20,30,40)
    W.Record(0x0127, {Word(-1)});                       // RestoreDC
    W.Record(0x061C, {8, 6, 40, 40, 0, 0});             // RoundRect(0,0,40,40,6,8)
    W.Record(0x0418, {25, 15, 5, 5});                   // Ellipse(5,5,15,25)
    W.Record(0x0999, {1, 2});                           // unknown: skipped
    TMetafile M;
    TBytesStream S(W.Finish());
    M.LoadFromStream(&S);
    HDC DC = CreateRecordingDC(200, 200);
    M.DrawTo(DC, TRect(0, 0, 50, 50));
    const auto Calls = GetRecordedCalls(DC);
    DeleteDC(DC);
    for (const char* Call : {"SetTextColor($0000FF)", "SetBkColor($00FF00)", "SetBkMode(TRANSPARENT)", "SetTextAlign(6)",
                             "SelectObject(Font \"Courier New\" h=-12 w=400 esc=0 i=0 u=1 s=0)", "TextOut(5,7,\"Ab\")",
                             "ExtTextOut(8,9,0,nil,\"Z\",dx=3)", "Polygon(0,0;10,0;0,10)", "Polyline(1,2;3,4)",
                             "PolyPolygon(2,0,0;5,0;0,5;10,10;15,10;10,15)", "IntersectClipRect(10,20,30,40)",
                             "RestoreDC(-1)", "RoundRect(0,0,40,40,6,8)"})
        EXPECT_TRUE(Logged(Calls, Call)) << Call;
    ASSERT_GE(Calls.size(), 2u);
    EXPECT_EQ(Calls[Calls.size() - 2], "Ellipse(5,5,15,25)");
    EXPECT_EQ(Calls.back(), "RestoreDC(1)");
}
