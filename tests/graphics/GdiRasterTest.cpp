// Pixel rules of the raster device context.

#include "platform/graphics/Dib.h"
#include "platform/graphics/Gdi.h"

#include <gtest/gtest.h>

#include <limits>

#include <set>
#include <utility>

using namespace qor;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);

class RasterTest : public ::testing::Test {
protected:
    void SetUp() override { DC = CreateRasterDC(64, 64, 96); }
    void TearDown() override { DeleteDC(DC); }

    bool Ink(Integer X, Integer Y) { return GetPixel(DC, X, Y) != White; }
    std::set<std::pair<Integer, Integer>> InkSet(const TRect& Area)
    {
        std::set<std::pair<Integer, Integer>> s;
        for (Integer y = Area.Top; y < Area.Bottom; ++y)
            for (Integer x = Area.Left; x < Area.Right; ++x)
                if (Ink(x, y))
                    s.insert({x, y});
        return s;
    }
    TRect InkBox(const TRect& Area)
    {
        TRect box(1000, 1000, -1000, -1000);
        for (auto [x, y] : InkSet(Area)) {
            box.Left = std::min(box.Left, x);
            box.Top = std::min(box.Top, y);
            box.Right = std::max(box.Right, x + 1);
            box.Bottom = std::max(box.Bottom, y + 1);
        }
        return box;
    }
    void UsePen(Cardinal Style, Integer Width, COLORREF Color = Black)
    {
        HGDIOBJ old = SelectObject(DC, CreatePen(Style, Width, Color));
        if (old && old != GetStockObject(BLACK_PEN))
            DeleteObject(old);
    }

    HDC DC;
};

TEST_F(RasterTest, RectangleCoversLeftTopInclusiveRightBottomExclusive)
{
    SelectObject(DC, GetStockObject(NULL_BRUSH));
    Rectangle(DC, 0, 0, 10, 10);
    EXPECT_TRUE(Ink(0, 0));
    EXPECT_TRUE(Ink(9, 9));
    EXPECT_TRUE(Ink(9, 0));
    EXPECT_FALSE(Ink(10, 5));
    EXPECT_FALSE(Ink(5, 10));
    EXPECT_FALSE(Ink(5, 5)); // hollow brush
    EXPECT_EQ(InkBox(TRect(0, 0, 30, 30)), TRect(0, 0, 10, 10));
}

TEST_F(RasterTest, FilledShapesWithoutPenOrWithBrushOnly)
{
    SelectObject(DC, GetStockObject(BLACK_BRUSH));
    SelectObject(DC, GetStockObject(NULL_PEN));
    Rectangle(DC, 0, 0, 10, 10); // without a pen the fill is one pixel smaller
    EXPECT_EQ(InkBox(TRect(0, 0, 30, 30)), TRect(0, 0, 9, 9));
    EXPECT_EQ(FillRect(DC, TRect(20, 20, 25, 23), HBRUSH(GetStockObject(BLACK_BRUSH))), 1);
    EXPECT_EQ(InkBox(TRect(15, 15, 40, 40)), TRect(20, 20, 25, 23));
    Ellipse(DC, 40, 40, 50, 50);
    TRect e = InkBox(TRect(35, 35, 60, 60));
    EXPECT_GE(e.Left, 40);
    EXPECT_LE(e.Right, 50);
    EXPECT_LE(e.Bottom, 50);
    EXPECT_TRUE(Ink(45, 45));
}

TEST_F(RasterTest, LineToLeavesOutItsEndPointInEveryDirection)
{
    const TPoint c(32, 32);
    const TPoint ends[] = {{42, 32}, {22, 32}, {32, 42}, {32, 22}, {40, 40}, {24, 24}, {40, 24}, {24, 40}, {42, 36}};
    for (TPoint e : ends) {
        PatBlt(DC, 0, 0, 64, 64, WHITENESS);
        MoveToEx(DC, c.X, c.Y);
        LineTo(DC, e.X, e.Y);
        EXPECT_TRUE(Ink(c.X, c.Y)) << e.X << "," << e.Y;
        EXPECT_FALSE(Ink(e.X, e.Y)) << e.X << "," << e.Y;
        Integer n = std::max(std::abs(e.X - c.X), std::abs(e.Y - c.Y));
        EXPECT_EQ(Integer(InkSet(TRect(0, 0, 64, 64)).size()), n) << e.X << "," << e.Y;
        TPoint p;
        GetCurrentPositionEx(DC, p);
        EXPECT_EQ(p, e);
    }
}

TEST_F(RasterTest, DashedPensForThinLinesOnly)
{
    UsePen(PS_DOT, 1);
    SetBkMode(DC, TRANSPARENT);
    MoveToEx(DC, 0, 5);
    LineTo(DC, 30, 5);
    // three on, three off
    for (Integer x = 0; x < 12; ++x)
        EXPECT_EQ(Ink(x, 5), (x % 6) < 3) << x;
    // opaque gaps take the background colour
    SetBkMode(DC, OPAQUE);
    SetBkColor(DC, RGB(255, 0, 0));
    MoveToEx(DC, 0, 8);
    LineTo(DC, 30, 8);
    EXPECT_EQ(GetPixel(DC, 4, 8), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 1, 8), Black);
    // wider than one pixel: solid
    UsePen(PS_DASH, 3);
    MoveToEx(DC, 0, 20);
    LineTo(DC, 60, 20);
    for (Integer x = 2; x < 58; ++x) {
        EXPECT_TRUE(Ink(x, 19)) << x;
        EXPECT_TRUE(Ink(x, 21)) << x;
    }
    EXPECT_FALSE(Ink(30, 23));
}

TEST_F(RasterTest, InsideFramePenStaysInsideTheBox)
{
    SelectObject(DC, GetStockObject(NULL_BRUSH));
    UsePen(PS_INSIDEFRAME, 4);
    Rectangle(DC, 10, 10, 30, 30);
    EXPECT_EQ(InkBox(TRect(0, 0, 64, 64)), TRect(10, 10, 30, 30));
    EXPECT_TRUE(Ink(13, 20));
    EXPECT_FALSE(Ink(14, 20));
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);
    UsePen(PS_SOLID, 4);
    Rectangle(DC, 10, 10, 30, 30);
    TRect box = InkBox(TRect(0, 0, 64, 64));
    EXPECT_LT(box.Left, 10); // a centred wide pen reaches outside
    EXPECT_GT(box.Right, 30);
}

TEST_F(RasterTest, HatchBrushesAreAlignedToTheDeviceOrigin)
{
    HBRUSH hatch = CreateHatchBrush(HS_VERTICAL, Black);
    SetBkMode(DC, TRANSPARENT);
    FillRect(DC, TRect(3, 3, 30, 30), hatch);
    for (Integer x = 3; x < 30; ++x)
        EXPECT_EQ(Ink(x, 10), x % 8 == 0) << x;
    SetBkMode(DC, OPAQUE);
    SetBkColor(DC, RGB(0, 0, 255));
    FillRect(DC, TRect(40, 40, 50, 50), hatch);
    EXPECT_EQ(GetPixel(DC, 41, 41), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(DC, 48, 41), Black);
    DeleteObject(hatch);
}

TEST_F(RasterTest, PatternBrushUsesTextAndBackgroundColours)
{
    const Word rows[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
    HBITMAP bmp = CreateBitmap(8, 8, 1, 1, rows);
    HBRUSH brush = CreatePatternBrush(bmp);
    ASSERT_TRUE(brush);
    SetTextColor(DC, RGB(255, 0, 0));
    SetBkColor(DC, RGB(0, 255, 0));
    FillRect(DC, TRect(0, 0, 8, 8), brush);
    EXPECT_EQ(GetPixel(DC, 0, 0), RGB(0, 255, 0)); // bit 1: background colour
    EXPECT_EQ(GetPixel(DC, 1, 0), RGB(255, 0, 0)); // bit 0: text colour
    DeleteObject(brush);
    DeleteObject(bmp);
}

TEST_F(RasterTest, ClippingAndSavedStates)
{
    HBRUSH black = HBRUSH(GetStockObject(BLACK_BRUSH));
    Integer level = SaveDC(DC);
    EXPECT_EQ(level, 1);
    EXPECT_EQ(IntersectClipRect(DC, 10, 10, 20, 20), SIMPLEREGION);
    ExcludeClipRect(DC, 12, 12, 14, 14);
    TRect box;
    EXPECT_EQ(GetClipBox(DC, box), COMPLEXREGION);
    EXPECT_EQ(box, TRect(10, 10, 20, 20));
    FillRect(DC, TRect(0, 0, 64, 64), black);
    EXPECT_EQ(InkBox(TRect(0, 0, 64, 64)), TRect(10, 10, 20, 20));
    EXPECT_FALSE(Ink(12, 12));
    EXPECT_TRUE(Ink(14, 14));
    SaveDC(DC);
    SelectClipRgn(DC, HRGN());
    EXPECT_TRUE(RestoreDC(DC, -1));
    EXPECT_TRUE(RestoreDC(DC, level));
    EXPECT_FALSE(RestoreDC(DC, -1)); // nothing saved any more
    FillRect(DC, TRect(40, 40, 42, 42), black);
    EXPECT_TRUE(Ink(41, 41));

    HRGN rgn = CreateRectRgn(0, 0, 5, 5);
    SelectClipRgn(DC, rgn);
    DeleteObject(rgn); // the context keeps its own copy
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);
    SetPixel(DC, 3, 3, Black);
    EXPECT_EQ(SetPixel(DC, 30, 30, Black), CLR_INVALID);
    EXPECT_TRUE(Ink(3, 3));
    EXPECT_TRUE(Ink(40, 40)); // the whiteness was clipped away there
}

TEST_F(RasterTest, WindowAndViewportMapping)
{
    SetWindowOrgEx(DC, 10, 10);
    SelectObject(DC, GetStockObject(BLACK_BRUSH));
    Rectangle(DC, 10, 10, 14, 14);
    EXPECT_EQ(GetPixel(DC, 10, 10), RGB(0, 0, 0)); // GetPixel takes logical units too
    SetWindowOrgEx(DC, 0, 0);
    EXPECT_EQ(InkBox(TRect(0, 0, 64, 64)), TRect(0, 0, 4, 4));
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);

    SetMapMode(DC, MM_ANISOTROPIC);
    SetWindowExtEx(DC, 200, 200);
    SetViewportExtEx(DC, 100, 100);
    SetViewportOrgEx(DC, 5, 5);
    Rectangle(DC, 0, 0, 20, 20);
    TPoint pts[2] = {{20, 40}, {0, 0}};
    LPtoDP(DC, pts, 2);
    EXPECT_EQ(pts[0], TPoint(15, 25));
    EXPECT_EQ(pts[1], TPoint(5, 5));
    DPtoLP(DC, pts, 1);
    EXPECT_EQ(pts[0], TPoint(20, 40));

    SetMapMode(DC, MM_TEXT); // extents reset, origins stay
    TSize ext;
    GetWindowExtEx(DC, ext);
    EXPECT_EQ(ext, TSize(1, 1));
    TPoint p{0, 0};
    LPtoDP(DC, &p, 1);
    EXPECT_EQ(p, TPoint(5, 5));
    SetViewportOrgEx(DC, 0, 0);
    EXPECT_EQ(InkBox(TRect(0, 0, 64, 64)), TRect(5, 5, 15, 15));
}

TEST_F(RasterTest, MixModesAndBlits)
{
    SetROP2(DC, R2_XORPEN);
    UsePen(PS_SOLID, 1, RGB(255, 255, 255));
    MoveToEx(DC, 0, 0);
    LineTo(DC, 10, 0);
    EXPECT_EQ(GetPixel(DC, 5, 0), Black);
    MoveToEx(DC, 0, 0);
    LineTo(DC, 10, 0);
    EXPECT_EQ(GetPixel(DC, 5, 0), White);
    SetROP2(DC, R2_COPYPEN);

    HDC mem = CreateCompatibleDC(DC);
    EXPECT_EQ(GetObjectTypeOfDC(mem), OBJ_MEMDC);
    HBITMAP bmp = CreateCompatibleBitmap(DC, 4, 4);
    HGDIOBJ old = SelectObject(mem, bmp);
    PatBlt(mem, 0, 0, 4, 4, WHITENESS);
    SetPixel(mem, 1, 1, RGB(255, 0, 0));
    EXPECT_TRUE(BitBlt(DC, 20, 20, 4, 4, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(GetPixel(DC, 21, 21), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 20, 20), White);
    // stretch doubles each pixel
    EXPECT_TRUE(StretchBlt(DC, 30, 30, 8, 8, mem, 0, 0, 4, 4, SRCCOPY));
    EXPECT_EQ(GetPixel(DC, 32, 32), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 33, 33), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 34, 34), White);
    // SRCAND onto blue keeps only what both have
    SelectObject(DC, CreateSolidBrush(RGB(0, 0, 255)));
    PatBlt(DC, 40, 0, 4, 4, PATCOPY);
    BitBlt(DC, 40, 0, 4, 4, mem, 0, 0, SRCAND);
    EXPECT_EQ(GetPixel(DC, 40, 0), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(DC, 41, 1), Black);
    BitBlt(DC, 40, 0, 4, 4, mem, 0, 0, SRCINVERT);
    EXPECT_EQ(GetPixel(DC, 40, 0), RGB(255, 255, 0));
    PatBlt(DC, 40, 0, 2, 2, BLACKNESS);
    EXPECT_EQ(GetPixel(DC, 41, 1), Black);
    DeleteObject(SelectObject(DC, GetStockObject(WHITE_BRUSH)));

    // monochrome source: black takes the text colour, white the background colour
    HDC mono = CreateCompatibleDC(DC);
    const Word rows[2] = {0x40, 0x00};
    HBITMAP mbmp = CreateBitmap(2, 2, 1, 1, rows);
    SelectObject(mono, mbmp);
    SetTextColor(DC, RGB(0, 128, 0));
    SetBkColor(DC, RGB(200, 200, 200));
    BitBlt(DC, 50, 50, 2, 2, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(DC, 50, 50), RGB(0, 128, 0));
    EXPECT_EQ(GetPixel(DC, 51, 50), RGB(200, 200, 200));

    EXPECT_EQ(old, GetStockObject(DEFAULT_BITMAP)); // a new memory context holds the 1 x 1 bitmap
    EXPECT_EQ(HBITMAP(SelectObject(mem, old)), bmp);
    DeleteDC(mono);
    DeleteDC(mem);
    DeleteObject(bmp);
    DeleteObject(mbmp);
}

TEST_F(RasterTest, StretchDIBitsDrawsBottomUpDibsTheRightWayUp)
{
    TDibImage img;
    img.Width = 2;
    img.Height = 2;
    img.Pixels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}; // top row red, green
    std::vector<Byte> dib = EncodeDib(img, 24);
    ASSERT_FALSE(dib.empty());
    Integer lines = StretchDIBits(DC, 10, 10, 4, 4, 0, 0, 2, 2, nullptr, 0, dib.data(), dib.size(), DIB_RGB_COLORS,
                                  SRCCOPY);
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(GetPixel(DC, 10, 10), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 11, 11), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 12, 10), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(DC, 10, 12), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(DC, 14, 14), White);
    // A source rectangle of one row: counted from the bottom in a bottom-up DIB (row 0 is the
    // bottom row: blue, white), from the top in a top-down one (row 0 is the top row: red, green).
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);
    StretchDIBits(DC, 20, 20, 2, 1, 0, 0, 2, 1, nullptr, 0, dib.data(), dib.size(), DIB_RGB_COLORS, SRCCOPY);
    EXPECT_EQ(GetPixel(DC, 20, 20), RGB(0, 0, 255));
    std::vector<Byte> topDown = dib;
    const std::vector<Byte> rowBottom(topDown.begin() + 40, topDown.begin() + 48);
    std::copy(topDown.begin() + 48, topDown.begin() + 56, topDown.begin() + 40); // rows swapped...
    std::copy(rowBottom.begin(), rowBottom.end(), topDown.begin() + 48);
    topDown[8] = 0xFE; // ...and the height made -2
    topDown[9] = topDown[10] = topDown[11] = 0xFF;
    StretchDIBits(DC, 30, 20, 2, 1, 0, 0, 2, 1, nullptr, 0, topDown.data(), topDown.size(), DIB_RGB_COLORS,
                  SRCCOPY);
    EXPECT_EQ(GetPixel(DC, 30, 20), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(DC, 31, 20), RGB(0, 255, 0));
    // Source rectangles from files may hold any values: no overflow, nothing outside drawn.
    StretchDIBits(DC, 0, 0, 4, 4, 0, std::numeric_limits<Integer>::min(), 2, std::numeric_limits<Integer>::max(),
                  nullptr, 0, dib.data(), dib.size(), DIB_RGB_COLORS, SRCCOPY);
    // damaged data draws nothing and fails
    std::vector<Byte> bad(dib.begin(), dib.begin() + 20);
    EXPECT_EQ(StretchDIBits(DC, 0, 0, 4, 4, 0, 0, 2, 2, nullptr, 0, bad.data(), bad.size(), DIB_RGB_COLORS, SRCCOPY),
              0);
}

TEST_F(RasterTest, ShapesStayInsideTheirBoxes)
{
    SelectObject(DC, GetStockObject(BLACK_BRUSH));
    RoundRect(DC, 2, 2, 22, 12, 6, 6);
    TRect r = InkBox(TRect(0, 0, 64, 64));
    EXPECT_EQ(r, TRect(2, 2, 22, 12));
    EXPECT_FALSE(Ink(2, 2)); // rounded corner
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);
    // quarter pie from 3 o'clock to 12 o'clock (counter-clockwise): the upper right quarter
    Pie(DC, 10, 10, 50, 50, 50, 30, 30, 10);
    EXPECT_TRUE(Ink(40, 20));
    EXPECT_FALSE(Ink(20, 40));
    EXPECT_FALSE(Ink(20, 20));
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);
    const TPoint tri[3] = {{10, 10}, {30, 10}, {10, 30}};
    Polygon(DC, tri, 3);
    EXPECT_TRUE(Ink(12, 12));
    EXPECT_FALSE(Ink(28, 28));
    EXPECT_TRUE(Ink(10, 10));
}

TEST(RasterDevice, CapsAndPng)
{
    HDC dc = CreateRasterDC(200, 100, 120);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 120);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 200);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 100);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), 0);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 0);
    SetDeviceCaps(dc, PHYSICALWIDTH, 777);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 777);
    String file = testing::TempDir() + "caps.png";
    EXPECT_TRUE(SaveDCToPng(dc, file));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 0);
    EXPECT_FALSE(Rectangle(dc, 0, 0, 1, 1));
    EXPECT_EQ(CreateRasterDC(0, 10), HDC());
}

} // namespace

namespace {

// Copying part of a context onto itself reads the source as it was before the copy began.
TEST_F(RasterTest, OverlappingBlitWithinOneContext)
{
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x)
            SetPixel(DC, x, y, RGB(Byte(x * 10), Byte(y * 10), 0));
    EXPECT_TRUE(BitBlt(DC, 1, 1, 8, 8, DC, 0, 0, SRCCOPY)); // down and right by one
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x)
            ASSERT_EQ(GetPixel(DC, x + 1, y + 1), RGB(Byte(x * 10), Byte(y * 10), 0)) << x << "," << y;
    EXPECT_TRUE(BitBlt(DC, 0, 0, 8, 8, DC, 1, 1, SRCCOPY)); // and back
    for (Integer y = 0; y < 8; ++y)
        for (Integer x = 0; x < 8; ++x)
            ASSERT_EQ(GetPixel(DC, x, y), RGB(Byte(x * 10), Byte(y * 10), 0)) << x << "," << y;
}

} // namespace
