#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Metafile.h"
#include "platform/rtl/Endian.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

TDibImage Image(Integer W, Integer H, std::vector<std::uint32_t> Pixels)
{
    TDibImage I;
    I.Width = W;
    I.Height = H;
    I.Pixels = std::move(Pixels);
    return I;
}

void LoadBmp(TBitmap& B, const std::vector<Byte>& File)
{
    TBytesStream S(File);
    B.LoadFromStream(&S);
}

std::vector<Byte> Saved(TBitmap& B)
{
    TBytesStream S;
    B.SaveToStream(&S);
    return S.Bytes();
}

// A 2 x 1 monochrome bitmap: 0 bit then 1 bit.
std::vector<Byte> MonoBmp()
{
    TDibImage I = Image(2, 1, {0xFF000000, 0xFFFFFFFF});
    return EncodeBmpFile(I, 1);
}

} // namespace

TEST(Bitmap, LoadsBmpAndReportsItsFormat)
{
    TBitmap B;
    LoadBmp(B, EncodeBmpFile(Image(3, 2, {1, 2, 3, 4, 5, 6}), 24));
    EXPECT_EQ(B.Width(), 3);
    EXPECT_EQ(B.Height(), 2);
    EXPECT_EQ(B.PixelFormat(), pf24bit);
    EXPECT_FALSE(B.Monochrome());
    EXPECT_EQ(B.Pixel(2, 0), TColor(0x030000));  // 0x000003 blue byte becomes the TColor's high byte
    EXPECT_EQ(B.Pixel(5, 5), clNone);

    LoadBmp(B, MonoBmp());
    EXPECT_TRUE(B.Monochrome());
    EXPECT_EQ(B.PixelFormat(), pf1bit);
}

TEST(Bitmap, BadDataRaisesAndEmpties)
{
    TBitmap B;
    LoadBmp(B, MonoBmp());
    auto Lie = EncodeBmpFile(Image(4, 4, std::vector<std::uint32_t>(16, 0xFF000000u)), 24);
    Lie[14 + 4] = 0xFF; Lie[14 + 5] = 0xFF; Lie[14 + 6] = 0x7F; // width 8 million
    for (const auto& D : {Lie, std::vector<Byte>{'B', 'M', 1, 2}, std::vector<Byte>(100, 'x')}) {
        TBytesStream S(D);
        EXPECT_THROW(B.LoadFromStream(&S), EInvalidGraphic);
        EXPECT_TRUE(B.Empty());
    }
}

TEST(Bitmap, ReadsOnlyItsOwnBytesFromALongerStream)
{
    auto File = EncodeBmpFile(Image(1, 1, {0xFF112233}), 24);
    auto Stream = File;
    Stream.insert(Stream.end(), {9, 9, 9});
    TBitmap B;
    TBytesStream S(Stream);
    B.LoadFromStream(&S);
    EXPECT_EQ(S.Position(), Int64(File.size()));
}

TEST(Bitmap, SavesMonochromeAsOneBitAndOthersAs24Or32)
{
    TBitmap B;
    LoadBmp(B, MonoBmp());
    EXPECT_EQ(Saved(B), MonoBmp());

    B.LoadFromImage(Image(2, 2, {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0}));
    auto Bytes = Saved(B);
    EXPECT_EQ(Bytes[28], 24);
    B.SetPixelFormat(pf32bit);
    Bytes = Saved(B);
    EXPECT_EQ(Bytes[28], 32);
    TBitmap Back;
    LoadBmp(Back, Bytes);
    EXPECT_EQ(Back.Image().Pixels, B.Image().Pixels);
}

TEST(Bitmap, MonochromeDrawsInTextAndBackgroundColours)
{
    TBitmap B;
    LoadBmp(B, MonoBmp());
    HDC DC = CreateRasterDC(4, 2);
    SetTextColor(DC, RGB(255, 0, 0));
    SetBkColor(DC, RGB(0, 0, 255));
    B.DrawTo(DC, TRect(0, 0, 4, 2));
    EXPECT_EQ(GetPixel(DC, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 3, 1), RGB(0, 0, 255));
    DeleteDC(DC);
}

TEST(Bitmap, TransparentColourIsLeftUndrawn)
{
    TBitmap B;
    // Bottom-left pixel (green) is the automatic transparent colour.
    B.LoadFromImage(Image(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF00FF00, 0xFF0000FF}));
    EXPECT_EQ(B.TransparentColor() & 0xFFFFFF, TColor(0x00FF00));
    B.SetTransparent(true);
    HDC DC = CreateRasterDC(2, 2);
    B.DrawTo(DC, TRect(0, 0, 2, 2));
    EXPECT_EQ(GetPixel(DC, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(DC, 1, 1), RGB(0, 0, 255));
    B.SetTransparentColor(clRed);
    EXPECT_EQ(B.TransparentMode(), tmFixed);
    DeleteDC(DC);
}

TEST(Bitmap, ResizingKeepsTheTopLeftAndRefusesHugeSizes)
{
    TBitmap B;
    B.LoadFromImage(Image(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}));
    B.SetSize(3, 1);
    EXPECT_EQ(B.Pixel(0, 0), clRed);
    EXPECT_EQ(B.Pixel(1, 0), clLime);
    EXPECT_EQ(B.Pixel(2, 0), clBlack);
    EXPECT_THROW(B.SetSize(40000, 40000), EInvalidGraphicOperation);
    EXPECT_EQ(B.Width(), 3);
}

TEST(Bitmap, HandleCarriesThePixelsAndChangesComeBack)
{
    TBitmap B;
    B.LoadFromImage(Image(2, 1, {0xFF0000FF, 0xFFFF0000}));
    HBITMAP H = B.Handle();
    ASSERT_TRUE(H);
    TSize Size;
    std::vector<std::uint32_t> Px;
    ASSERT_TRUE(GetBitmapPixels(H, Size, Px));
    EXPECT_EQ(Size, TSize(2, 1));
    EXPECT_EQ(Px[1] & 0xFFFFFF, 0xFF0000u);
    B.SetPixel(0, 0, clLime);
    ASSERT_TRUE(GetBitmapPixels(B.Handle(), Size, Px));
    EXPECT_EQ(Px[0] & 0xFFFFFF, 0x00FF00u);
}

TEST(Bitmap, FormDataIsCountedBmpAndAssignCopies)
{
    TBitmap A;
    A.LoadFromImage(Image(1, 2, {0xFF010203, 0xFF040506}));
    TBytesStream S;
    A.WriteData(&S);
    const auto Bytes = S.Bytes();
    EXPECT_EQ(Integer(Bytes[0] | Bytes[1] << 8), Integer(Bytes.size() - 4));
    S.SetPosition(0);
    TBitmap B;
    B.ReadData(&S);
    EXPECT_TRUE(A.Equals(&B));
    TBitmap C;
    C.Assign(&A);
    EXPECT_EQ(C.Image().Pixels, A.Image().Pixels);
    // A count larger than what follows is refused.
    std::vector<Byte> Bad = Bytes;
    Bad[2] = 0x10;
    TBytesStream BS(Bad);
    EXPECT_THROW(B.ReadData(&BS), EInvalidGraphic);
}

TEST(Bitmap, CanvasDrawsIntoThePixels)
{
    TBitmap B;
    B.SetSize(4, 4);
    HBRUSH Red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(B.Canvas()->Handle(), TRect(1, 1, 3, 3), Red);
    DeleteObject(Red);
    EXPECT_EQ(B.Pixel(1, 1), clRed);
    EXPECT_EQ(B.Pixel(3, 3), clBlack);
    TBytesStream S;
    B.SaveToStream(&S);
    TBitmap Back;
    S.SetPosition(0);
    Back.LoadFromStream(&S);
    EXPECT_EQ(Back.Pixel(2, 2), clRed);
    // Drawing the bitmap through another canvas.
    TCanvas Target;
    HDC DC = CreateRasterDC(8, 8);
    Target.SetHandle(DC);
    Target.StretchDraw(TRect(0, 0, 8, 8), &B);
    EXPECT_EQ(GetPixel(DC, 4, 4), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 7, 0), RGB(0, 0, 0));
    Target.SetHandle(HDC());
    DeleteDC(DC);
}

TEST(Bitmap, PixelsAndCanvasDrawingStayInStepBothWays)
{
    TBitmap B;
    B.SetSize(64, 64);
    TCanvas* C = B.Canvas();
    C->Brush()->SetColor(clRed);
    C->FillRect(TRect(0, 0, 8, 8));
    EXPECT_EQ(B.Pixel(4, 4), clRed);
    // The canvas keeps drawing after a read, and the next read sees it.
    C->Brush()->SetColor(clBlue);
    C->FillRect(TRect(8, 8, 16, 16));
    EXPECT_EQ(B.Pixel(10, 10), clBlue);
    // A pixel set directly is under what the canvas draws next, and both show.
    B.SetPixel(40, 40, clLime);
    C->Brush()->SetColor(clYellow);
    C->FillRect(TRect(20, 20, 24, 24));
    EXPECT_EQ(B.Pixel(40, 40), clLime);
    EXPECT_EQ(B.Pixel(21, 21), clYellow);
    // The handle handed out carries pixels set directly.
    B.SetPixel(50, 50, clAqua);
    TSize Size;
    std::vector<std::uint32_t> Px;
    ASSERT_TRUE(GetBitmapPixels(B.Handle(), Size, Px));
    EXPECT_EQ(Px[50 * 64 + 50] & 0xFFFFFF, 0x00FFFFu);
    // Reading or writing every pixel of a bitmap with a canvas costs one copy, not one per pixel.
    B.SetSize(512, 512);
    B.Canvas()->FillRect(TRect(0, 0, 1, 1));
    Int64 Yellow = 0;
    for (Integer Y = 0; Y < 512; ++Y)
        for (Integer X = 0; X < 512; ++X) {
            Yellow += B.Pixel(X, Y) == clYellow;
            B.SetPixel(X, Y, clWhite);
        }
    EXPECT_EQ(Yellow, 16 + 1); // the square kept from before the resize, and the new pixel
    EXPECT_EQ(B.Pixel(0, 0), clWhite);
}

TEST(Bitmap, CanvasTakenBeforeTheBitmapHasASizeDrawsOnceItHasOne)
{
    TBitmap B;
    TCanvas* C = B.Canvas();
    B.SetSize(8, 8);
    C->Brush()->SetColor(clRed);
    C->FillRect(TRect(0, 0, 4, 4));
    EXPECT_EQ(B.Pixel(2, 2), clRed);
    EXPECT_EQ(B.Pixel(6, 6), clBlack);
}

TEST(Bitmap, AlphaMaskedBmpKeepsItsAlphaWhenSaved)
{
    TDibImage I = Image(2, 1, {0x40FF0000, 0xC000FF00});
    I.BitCount = 32;
    I.HasAlpha = true;
    TBitmap B;
    B.LoadFromImage(I);
    TBitmap Back;
    LoadBmp(Back, Saved(B));
    EXPECT_TRUE(Back.Image().HasAlpha);
    EXPECT_EQ(Back.Image().Pixels, I.Pixels);
}

// A metafile's size is only the number in its frame; converting it must not allocate what a
// frame of 16384 pixels asks for.
TEST(Bitmap, ConvertingAGraphicIsCappedInPixels)
{
    auto Emf = [](Cardinal FramePixels) {
        std::vector<Byte> D;
        const Cardinal Frame = Cardinal(std::int64_t(FramePixels) * 2540 / 96);   // 0.01 mm at 96 dpi
        for (Cardinal V : {1u, 108u, 0u, 0u, FramePixels - 1, FramePixels - 1, 0u, 0u, Frame, Frame,
                           0x464D4520u, 0x10000u, 128u, 2u, 0u, 0u, 0u, 1000u, 1000u, 250u, 250u})
            PutLE32(D, V);
        D.resize(108, 0);
        SetLE32(D, 48, 128);
        for (Cardinal V : {14u, 20u, 0u, 16u, 20u})  // end of file
            PutLE32(D, V);
        return D;
    };
    TMetafile Huge;
    TBytesStream S(Emf(16384));
    Huge.LoadFromStream(&S);
    ASSERT_GE(Huge.Width(), 16000);
    TBitmap B;
    EXPECT_THROW(B.Assign(&Huge), EInvalidGraphicOperation);
    TMetafile Small;
    TBytesStream T(Emf(64));
    Small.LoadFromStream(&T);
    B.Assign(&Small);
    EXPECT_EQ(B.Width(), Small.Width());
}
