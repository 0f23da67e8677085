// Pictures in streams: recognition by content, blob prefixes, the placeable metafile header, and
// TQorBitmap drawing DIBs at the device's resolution.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Dib.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorImg.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qor {
namespace {

constexpr std::uint32_t Red = 0xFFFF0000, Green = 0xFF00FF00, Blue = 0xFF0000FF, Yellow = 0xFFFFFF00;

// A W x H picture in four coloured quadrants: red top-left, green top-right, blue bottom-left,
// yellow bottom-right.
TDibImage Quadrants(Integer W, Integer H)
{
    TDibImage I;
    I.Width = W;
    I.Height = H;
    I.Pixels.resize(std::size_t(W) * std::size_t(H));
    for (Integer Y = 0; Y < H; ++Y)
        for (Integer X = 0; X < W; ++X)
            I.Pixels[std::size_t(Y) * std::size_t(W) + std::size_t(X)] =
                Y < H / 2 ? (X < W / 2 ? Red : Green) : (X < W / 2 ? Blue : Yellow);
    return I;
}

std::vector<Byte> DataFile(const std::string& Name)
{
    TFileStream F(std::string(QOR_TEST_DATA_DIR) + "/output/" + Name, fmOpenRead);
    return F.ReadBytes(F.Size());
}

std::unique_ptr<TMemoryStream> StreamOf(std::span<const Byte> Bytes)
{
    auto S = std::make_unique<TMemoryStream>();
    S->WriteBytes(Bytes);
    S->SetPosition(0);
    return S;
}

std::vector<Byte> BlobOf(std::vector<Byte> Picture)
{
    std::vector<Byte> Blob;
    PutLE16(Blob, 1);
    PutLE16(Blob, 256);
    PutLE32(Blob, Cardinal(Picture.size()));
    Blob.insert(Blob.end(), Picture.begin(), Picture.end());
    return Blob;
}

// A BMP file of a 4-bit, 2 x 2 DIB with a 16-entry colour table; ColorsUsed as given.
std::vector<Byte> FourBitBmp(Cardinal ColorsUsed, Integer PelsPerMeter = 0)
{
    std::vector<Byte> Dib;
    PutLE32(Dib, 40);
    PutLE32(Dib, 2);
    PutLE32(Dib, 2);
    PutLE16(Dib, 1);
    PutLE16(Dib, 4);
    PutLE32(Dib, 0);
    PutLE32(Dib, 8);
    PutLE32(Dib, Cardinal(PelsPerMeter));
    PutLE32(Dib, Cardinal(PelsPerMeter));
    PutLE32(Dib, ColorsUsed);
    PutLE32(Dib, 0);
    for (int I = 0; I < 16; ++I)
        PutLE32(Dib, I == 1 ? 0x00FF0000 : 0x000000FF); // index 1 red, the others blue
    for (Byte B : {0x10, 0, 0, 0, 0x01, 0, 0, 0})      // bottom row: red, blue; top row: blue, red
        Dib.push_back(B);
    std::vector<Byte> File = {'B', 'M'};
    PutLE32(File, Cardinal(14 + Dib.size()));
    PutLE32(File, 0);
    PutLE32(File, 14 + 40 + 64);
    File.insert(File.end(), Dib.begin(), Dib.end());
    return File;
}

// The BMP of Image with its 40-byte information header widened to HeaderSize bytes (108 or 124),
// the way newer writers store it.
std::vector<Byte> WithHeaderSize(const TDibImage& Image, Cardinal HeaderSize)
{
    std::vector<Byte> Bmp = EncodeBmpFile(Image, 24);
    const std::size_t Extra = HeaderSize - 40;
    Bmp.insert(Bmp.begin() + 14 + 40, Extra, Byte(0));
    SetLE32(Bmp, 2, Cardinal(Bmp.size()));
    SetLE32(Bmp, 10, GetLE32(Bmp, 10) + Cardinal(Extra));
    SetLE32(Bmp, 14, HeaderSize);
    return Bmp;
}

class RasterDc {
public:
    RasterDc(Integer W, Integer H, Integer Ppi) : DC(CreateRasterDC(W, H, Ppi)) {}
    ~RasterDc() { DeleteDC(DC); }
    operator HDC() const { return DC; }
    std::uint32_t At(Integer X, Integer Y) const { return 0xFF000000 | ColorRefToPixel(GetPixel(DC, X, Y)); }
    static std::uint32_t ColorRefToPixel(COLORREF C)
    {
        return (std::uint32_t(GetRValue(C)) << 16) | (std::uint32_t(GetGValue(C)) << 8) | GetBValue(C);
    }
    HDC DC;
};

// ---- recognition --------------------------------------------------------------------------------

TEST(PictureRecognition, EachFormatLoadsIntoItsClass)
{
    const TDibImage Image = Quadrants(8, 8);
    struct TCase {
        const char* Name;
        std::vector<Byte> Bytes;
        TClass Expected;
    };
    const std::vector<TCase> Cases = {
        {"bmp", EncodeBmpFile(Image, 24), TBitmap::StaticClass()},
        {"emf", DataFile("red.emf"), TMetafile::StaticClass()},
        {"placeable wmf", DataFile("blue.wmf"), TMetafile::StaticClass()},
        {"ico", DataFile("green.ico"), TIcon::StaticClass()},
        {"png", EncodeCodecImage(Image, TImageFormat::Png), TPngImage::StaticClass()},
        {"jpeg", EncodeCodecImage(Image, TImageFormat::Jpeg), TJPEGImage::StaticClass()},
        {"tiff", DataFile("quadrants.tiff"), TWICImage::StaticClass()},
        {"webp", DataFile("quadrants.webp"), TWICImage::StaticClass()},
        {"svg", DataFile("quadrants.svg"), TWICImage::StaticClass()},
    };
    for (const TCase& Case : Cases) {
        for (bool Blob : {false, true}) {
            SCOPED_TRACE(std::string(Case.Name) + (Blob ? " in a blob" : ""));
            auto S = StreamOf(Blob ? BlobOf(Case.Bytes) : Case.Bytes);
            std::unique_ptr<TGraphic> G = QorGetGraphic(*S);
            ASSERT_NE(G, nullptr);
            EXPECT_EQ(G->ClassType(), Case.Expected);
            EXPECT_EQ(G->Width(), Case.Expected == TMetafile::StaticClass() ? G->Width() : 8);
            EXPECT_FALSE(G->Empty());
        }
    }
}

TEST(PictureRecognition, GifIsTriedAfterPng)
{
    // The smallest GIF: one white pixel.
    const std::vector<Byte> Gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,
                                   0, 0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
    auto S = StreamOf(Gif);
    std::unique_ptr<TGraphic> G = QorGetGraphic(*S);
    ASSERT_NE(G, nullptr);
    EXPECT_EQ(G->ClassType(), TGIFImage::StaticClass());
}

TEST(PictureRecognition, DataNoClassLoadsGivesNullAtThePictureStart)
{
    const std::vector<Byte> Junk = {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    auto Plain = StreamOf(Junk);
    EXPECT_EQ(QorGetGraphic(*Plain), nullptr);
    EXPECT_EQ(Plain->Position(), 0);
    // Behind a blob prefix the search starts, and ends, after the prefix.
    auto Blob = StreamOf(BlobOf(Junk));
    EXPECT_EQ(QorGetGraphic(*Blob), nullptr);
    EXPECT_EQ(Blob->Position(), 8);
    // An icon-looking start (second word 0) that is no icon, and an empty stream.
    auto NotIcon = StreamOf(std::vector<Byte>{0, 0, 0, 0, 9, 9, 9, 9});
    EXPECT_EQ(QorGetGraphic(*NotIcon), nullptr);
    TMemoryStream Empty;
    EXPECT_EQ(QorGetGraphic(Empty), nullptr);
    // Text no image plugin knows, and a TIFF cut short, are no pictures either.
    const std::string Text = "Name;Amount\nSmith;12\n";
    auto NotAPicture = StreamOf(std::span(reinterpret_cast<const Byte*>(Text.data()), Text.size()));
    EXPECT_EQ(QorGetGraphic(*NotAPicture), nullptr);
    EXPECT_EQ(NotAPicture->Position(), 0);
    std::vector<Byte> Cut = DataFile("quadrants.tiff");
    Cut.resize(Cut.size() / 3);
    auto CutTiff = StreamOf(Cut);
    EXPECT_EQ(QorGetGraphic(*CutTiff), nullptr);
    // An SVG that would draw another file of the machine into the page is refused; one that
    // refers only inside itself is read.
    for (const char* Href : {"/tmp/x.png", "file:///tmp/x.png", "http://example.com/x.png", "#dot"}) {
        const std::string Svg = std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                            "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"8\" height=\"8\">"
                                            "<rect id=\"dot\" width=\"8\" height=\"8\" fill=\"red\"/>"
                                            "<image width=\"8\" height=\"8\" xlink:href = '") +
                                Href + "'/></svg>";
        auto S = StreamOf(std::span(reinterpret_cast<const Byte*>(Svg.data()), Svg.size()));
        EXPECT_EQ(QorGetGraphic(*S) != nullptr, Href[0] == '#') << Href;
    }
}

TEST(PictureRecognition, BlobPrefixNeedsTheExactSize)
{
    std::vector<Byte> Blob = BlobOf({1, 2, 3, 4});
    auto Right = StreamOf(Blob);
    Right->SetPosition(3);
    EXPECT_TRUE(QorIsBlob(*Right));
    EXPECT_EQ(Right->Position(), 8);
    SetLE32(Blob, 4, 5);
    auto Lying = StreamOf(Blob);
    EXPECT_FALSE(QorIsBlob(*Lying));
    EXPECT_EQ(Lying->Position(), 0);
    auto Short = StreamOf(std::vector<Byte>{1, 0, 0, 1});
    EXPECT_FALSE(QorIsBlob(*Short));
}

TEST(PictureRecognition, FormatTestsLookAheadWithoutMoving)
{
    auto S = StreamOf(EncodeBmpFile(Quadrants(2, 2), 24));
    S->SetPosition(0);
    EXPECT_TRUE(QorIsBitmap(*S));
    EXPECT_FALSE(QorIsEMF(*S));
    EXPECT_FALSE(QorIsPlaceWMF(*S));
    EXPECT_EQ(S->Position(), 0);
    // One byte left is not enough for the bitmap signature.
    auto One = StreamOf(std::vector<Byte>{'B'});
    EXPECT_FALSE(QorIsBitmap(*One));
}

// ---- placeable header ---------------------------------------------------------------------------

TEST(PlaceableHeader, GoldenBytesAndChecksum)
{
    TQorPlaceMetaHeader H;
    H.BBox[0] = 0;
    H.BBox[1] = 0;
    H.BBox[2] = 1440;
    H.BBox[3] = -720;
    H.Inch = 1440;
    H.Reserved = 0x12345678;
    QorFillPlaceHead(H);
    EXPECT_EQ(H.Key, QorPlaceHeadKey);
    EXPECT_EQ(H.Reserved, 0u);
    // the ten words before it: key, Hmf, box, units per inch, reserved
    EXPECT_EQ(H.CheckSum, Word(0xCDD7 ^ 0x9AC6 ^ 0xFD30));
    TMemoryStream S;
    WriteQorPlaceMetaHeader(S, H);
    const std::vector<Byte> Expected = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0xA0, 0x05, 0x30, 0xFD,
                                        0xA0, 0x05, 0, 0, 0, 0, 0x21, 0xAA};
    S.SetPosition(0);
    EXPECT_EQ(S.ReadBytes(S.Size()), Expected);
    S.SetPosition(0);
    TQorPlaceMetaHeader Back;
    ASSERT_TRUE(ReadQorPlaceMetaHeader(S, Back));
    EXPECT_EQ(Back, H);
    EXPECT_TRUE(QorIsPlaceableMetaFile(S)); // exactly 22 bytes
    EXPECT_FALSE(QorIsPlaceWMF(S));         // a placeable metafile needs records after its header
    S.SetPosition(S.Size());
    S.WriteWord(0);
    S.SetPosition(0);
    EXPECT_TRUE(QorIsPlaceWMF(S));
    // A wrong checksum still passes the plain key test, not the placeable-metafile one.
    S.SetPosition(20);
    S.WriteWord(0);
    S.SetPosition(0);
    EXPECT_FALSE(QorIsPlaceWMF(S));
    EXPECT_TRUE(QorIsPlaceableMetaFile(S));
    TMemoryStream Short;
    Short.WriteCardinal(QorPlaceHeadKey);
    EXPECT_FALSE(QorIsPlaceableMetaFile(Short));
    Short.SetPosition(0);
    EXPECT_FALSE(ReadQorPlaceMetaHeader(Short, Back));
}

// ---- TQorBitmap ---------------------------------------------------------------------------------

TEST(QorBitmap, FourBitDibGetsItsColourTableAndPalette)
{
    auto S = StreamOf(FourBitBmp(0));
    TQorBitmap B;
    B.LoadFromStream(S.get());
    ASSERT_EQ(B.BitmapType(), qbtWindows);
    EXPECT_EQ(B.ColorCount(), 16);
    EXPECT_EQ(B.Width(), 2);
    EXPECT_EQ(B.Height(), 2);
    EXPECT_FALSE(B.Monochrome());
    RasterDc Dc(20, 20, 96);
    HDC Rec = CreateRecordingDC(100, 100, 96, true);
    B.StretchDraw(Rec, TRect(0, 0, 9, 9));
    const std::vector<String> Calls = GetRecordedCalls(Rec);
    auto Has = [&](const char* Prefix) {
        return std::any_of(Calls.begin(), Calls.end(), [&](const String& C) { return C.rfind(Prefix, 0) == 0; });
    };
    EXPECT_TRUE(Has("SetStretchBltMode(3)"));
    EXPECT_TRUE(Has("SelectPalette"));
    EXPECT_TRUE(Has("StretchDIBits(0,0,10,10,0,0,2,2,2x2"));
    DeleteDC(Rec);
    // The pixels: top row blue, red; bottom row red, blue.
    B.StretchDraw(Dc, TRect(0, 0, 19, 19));
    EXPECT_EQ(Dc.At(4, 4), Blue);
    EXPECT_EQ(Dc.At(15, 4), Red);
    EXPECT_EQ(Dc.At(4, 15), Red);
    EXPECT_EQ(Dc.At(15, 15), Blue);
}

TEST(QorBitmap, MonochromeDrawsWithoutPaletteOrStretchMode)
{
    TDibImage Mono = Quadrants(8, 8);
    std::transform(Mono.Pixels.begin(), Mono.Pixels.end(), Mono.Pixels.begin(),
                   [](std::uint32_t P) { return P == Red || P == Yellow ? 0xFF000000 : 0xFFFFFFFF; });
    auto S = StreamOf(EncodeBmpFile(Mono, 1));
    TQorBitmap B;
    B.LoadFromStream(S.get());
    ASSERT_TRUE(B.Monochrome());
    HDC Rec = CreateRecordingDC(100, 100, 96, true);
    B.Draw(Rec, 5, 5);
    const std::vector<String> Calls = GetRecordedCalls(Rec);
    for (const String& C : Calls) {
        EXPECT_EQ(C.rfind("SetStretchBltMode", 0), String::npos) << C;
        EXPECT_EQ(C.rfind("SelectPalette", 0), String::npos) << C;
    }
    DeleteDC(Rec);
}

TEST(QorBitmap, SizeFollowsTheBitmapAndDeviceResolutions)
{
    // 3780 pixels per metre is 96.012 per inch, taken as 96.
    auto S = StreamOf(FourBitBmp(16, 3780));
    TQorBitmap B;
    B.LoadFromStream(S.get());
    RasterDc Screen(10, 10, 96), Printer(10, 10, 600);
    EXPECT_EQ(B.GetWidth(Screen), 2);
    EXPECT_EQ(B.GetWidth(Printer), 13); // 2 * 600 / 96 = 12.5
    EXPECT_EQ(B.GetHeight(Printer), 13);
    // Without a resolution in the header, PixelsPerInch is assumed.
    auto Plain = StreamOf(FourBitBmp(16, 0));
    TQorBitmap P;
    P.LoadFromStream(Plain.get());
    P.SetPixelsPerInch(300);
    EXPECT_EQ(P.GetWidth(Printer), 4);
    TQorBitmap Empty;
    EXPECT_EQ(Empty.GetWidth(Printer), 0);
}

TEST(QorBitmap, DrawnAtSeveralResolutionsKeepsItsQuadrants)
{
    const TDibImage Image = Quadrants(16, 12);
    for (Integer Ppi : {96, 150, 300, 600}) {
        SCOPED_TRACE(Ppi);
        auto S = StreamOf(EncodeBmpFile(Image, 24));
        TQorBitmap B;
        B.SetPixelsPerInch(96);
        B.LoadFromStream(S.get());
        const Integer W = MulDiv(16, Ppi, 96), H = MulDiv(12, Ppi, 96);
        RasterDc Dc(W + 20, H + 20, Ppi);
        PatBlt(Dc, 0, 0, W + 20, H + 20, WHITENESS);
        B.Draw(Dc, 10, 10);
        EXPECT_EQ(Dc.At(10 + W / 4, 10 + H / 4), Red);
        EXPECT_EQ(Dc.At(10 + 3 * W / 4, 10 + H / 4), Green);
        EXPECT_EQ(Dc.At(10 + W / 4, 10 + 3 * H / 4), Blue);
        EXPECT_EQ(Dc.At(10 + 3 * W / 4, 10 + 3 * H / 4), Yellow);
        // Exactly W x H pixels are covered: the first pixel outside is untouched.
        EXPECT_EQ(Dc.At(10 + W - 1, 10 + H - 1), Yellow);
        EXPECT_EQ(Dc.At(10 + W, 10 + H / 4), 0xFFFFFFFFu);
        EXPECT_EQ(Dc.At(10 + W / 4, 10 + H), 0xFFFFFFFFu);
        EXPECT_EQ(Dc.At(9, 9), 0xFFFFFFFFu);
    }
}

TEST(QorBitmap, NewerHeadersCoreHeadersAndTopDownRowsLoad)
{
    const TDibImage Image = Quadrants(4, 4);
    for (Cardinal Size : {108u, 124u}) {
        SCOPED_TRACE(Size);
        auto S = StreamOf(WithHeaderSize(Image, Size));
        TQorBitmap B;
        B.LoadFromStream(S.get());
        ASSERT_EQ(B.BitmapType(), qbtWindows);
        RasterDc Dc(8, 8, 96);
        B.StretchDraw(Dc, TRect(0, 0, 7, 7));
        EXPECT_EQ(Dc.At(1, 1), Red);
        EXPECT_EQ(Dc.At(6, 6), Yellow);
    }
    // A core (12-byte) header with a 1-bit colour table of 3-byte triples.
    std::vector<Byte> Core = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 14 + 12 + 6, 0, 0, 0};
    PutLE32(Core, 12);
    PutLE16(Core, 2);
    PutLE16(Core, 2);
    PutLE16(Core, 1);
    PutLE16(Core, 1);
    for (Byte B : {0, 0, 0xFF, 0, 0xFF, 0}) // index 0 red, 1 green (blue, green, red)
        Core.push_back(B);
    for (Byte B : {0x40, 0, 0, 0, 0x80, 0, 0, 0}) // bottom row: red, green; top row: green, red
        Core.push_back(B);
    auto C = StreamOf(Core);
    TQorBitmap P;
    P.LoadFromStream(C.get());
    ASSERT_EQ(P.BitmapType(), qbtPresMan);
    RasterDc Dc(4, 4, 96);
    P.StretchDraw(Dc, TRect(0, 0, 3, 3));
    EXPECT_EQ(Dc.At(0, 0), Green);
    EXPECT_EQ(Dc.At(3, 0), Red);
    EXPECT_EQ(Dc.At(0, 3), Red);
    // Rows stored top first (a negative height) draw the same way up.
    std::vector<Byte> TopDown = EncodeBmpFile(Image, 32);
    const Integer Height = GetLE32s(TopDown, 22);
    SetLE32(TopDown, 22, Cardinal(-Height));
    const std::size_t Bits = GetLE32(TopDown, 10), Stride = 16;
    for (std::size_t Row = 0; Row < 2; ++Row)
        std::swap_ranges(TopDown.begin() + std::ptrdiff_t(Bits + Row * Stride),
                         TopDown.begin() + std::ptrdiff_t(Bits + (Row + 1) * Stride),
                         TopDown.begin() + std::ptrdiff_t(Bits + (3 - Row) * Stride));
    auto T = StreamOf(TopDown);
    TQorBitmap D;
    D.LoadFromStream(T.get());
    EXPECT_EQ(D.Height(), 4);
    RasterDc Dc2(4, 4, 96);
    D.StretchDraw(Dc2, TRect(0, 0, 3, 3));
    EXPECT_EQ(Dc2.At(0, 0), Red);
    EXPECT_EQ(Dc2.At(3, 3), Yellow);
}

TEST(QorBitmap, LyingOrDamagedHeadersLeaveItEmpty)
{
    std::vector<std::vector<Byte>> Bad;
    Bad.push_back({});
    Bad.push_back({'B', 'M'});
    Bad.push_back(std::vector<Byte>(14, 'x'));
    std::vector<Byte> Odd = FourBitBmp(0);
    SetLE32(Odd, 14, 64); // an unknown header size
    Bad.push_back(Odd);
    std::vector<Byte> Colours = FourBitBmp(0);
    SetLE32(Colours, 14 + 32, 0x40000000); // a colour table larger than the file
    Bad.push_back(Colours);
    std::vector<Byte> Truncated = FourBitBmp(0);
    Truncated.resize(14 + 40 + 10); // the colour table cut off
    Bad.push_back(Truncated);
    std::vector<Byte> Wide = FourBitBmp(0);
    SetLE32(Wide, 14 + 4, 0x7FFFFFFF); // dimensions the bits cannot hold
    SetLE32(Wide, 14 + 8, 0x80000000);
    Bad.push_back(Wide);
    for (std::size_t I = 0; I < Bad.size(); ++I) {
        SCOPED_TRACE(I);
        auto S = StreamOf(Bad[I]);
        TQorBitmap B;
        B.LoadFromStream(S.get());
        RasterDc Dc(8, 8, 96);
        PatBlt(Dc, 0, 0, 8, 8, WHITENESS);
        B.Draw(Dc, 0, 0);
        B.StretchDraw(Dc, TRect(0, 0, 7, 7));
        EXPECT_EQ(Dc.At(3, 3), 0xFFFFFFFFu);
    }
    // Enough bits for the header's claim are not needed: what is there is drawn, the rest left.
    std::vector<Byte> Short = FourBitBmp(0);
    Short.resize(Short.size() - 4);
    auto S = StreamOf(Short);
    TQorBitmap B;
    B.LoadFromStream(S.get());
    RasterDc Dc(8, 8, 96);
    B.StretchDraw(Dc, TRect(0, 0, 7, 7)); // must not read past the data
}

// ---- drawing graphics ---------------------------------------------------------------------------

TEST(DrawGraphic, NaturalSizeStretchAndStateRestored)
{
    TBitmap Bitmap;
    Bitmap.LoadFromImage(Quadrants(10, 10));
    RasterDc Dc(60, 60, 96);
    PatBlt(Dc, 0, 0, 60, 60, WHITENESS);
    SetTextColor(Dc, RGB(1, 2, 3));
    QorDrawBitMap(Dc, 5, 5, &Bitmap);
    EXPECT_EQ(Dc.At(6, 6), Red);
    EXPECT_EQ(Dc.At(14, 14), Yellow);
    EXPECT_EQ(Dc.At(15, 15), 0xFFFFFFFFu);
    QorStretchDrawBitMap(Dc, TRect(20, 20, 39, 39), &Bitmap); // both edges included: 20 pixels
    EXPECT_EQ(Dc.At(21, 21), Red);
    EXPECT_EQ(Dc.At(39, 39), Yellow);
    EXPECT_EQ(Dc.At(40, 40), 0xFFFFFFFFu);
    EXPECT_EQ(GetTextColor(Dc), RGB(1, 2, 3));
    QorDrawBitMap(Dc, 0, 0, nullptr); // nothing, no crash
}

TEST(DrawGraphic, TheOldMetafileEntryDrawsNothing)
{
    TMetafile Meta;
    auto S = StreamOf(DataFile("red.emf"));
    Meta.LoadFromStream(S.get());
    RasterDc Dc(40, 40, 96);
    PatBlt(Dc, 0, 0, 40, 40, WHITENESS);
    QorDrawMetaFile(Dc, 0, 0, &Meta);
    EXPECT_EQ(Dc.At(10, 10), 0xFFFFFFFFu);
}

TEST(DrawGraphic, MetafileStretchesOverItsOwnSize)
{
    // A red rectangle over the whole frame, 10 x 7.5 mm.
    TMetafile Meta;
    auto S = StreamOf(DataFile("red.emf"));
    Meta.LoadFromStream(S.get());
    ASSERT_EQ(Meta.Width(), 38);
    ASSERT_EQ(Meta.Height(), 28);
    RasterDc Dc(80, 80, 96);
    PatBlt(Dc, 0, 0, 80, 80, WHITENESS);
    QorDrawBitMap(Dc, 10, 10, &Meta);
    EXPECT_EQ(Dc.At(12, 12), Red);
    EXPECT_EQ(Dc.At(10 + 36, 10 + 26), Red);
    EXPECT_EQ(Dc.At(10 + 40, 15), 0xFFFFFFFFu);
    EXPECT_EQ(Dc.At(15, 10 + 30), 0xFFFFFFFFu);
}

} // namespace
} // namespace qor
