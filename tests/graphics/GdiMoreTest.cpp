// Further device-context behaviour: outlines, text layout, mapping modes, bitmaps, geometry,
// published properties of the graphics objects.

#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Pen.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);

TRect InkBox(HDC DC, const TRect& Area)
{
    TRect box(100000, 100000, -100000, -100000);
    for (Integer y = Area.Top; y < Area.Bottom; ++y)
        for (Integer x = Area.Left; x < Area.Right; ++x)
            if (GetPixel(DC, x, y) != White) {
                box.Left = std::min(box.Left, x);
                box.Top = std::min(box.Top, y);
                box.Right = std::max(box.Right, x + 1);
                box.Bottom = std::max(box.Bottom, y + 1);
            }
    return box;
}

TEST(Outlines, EllipseAndPolylineKeepToTheirPoints)
{
    HDC dc = CreateRasterDC(64, 64);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 10, 10, 30, 24);
    EXPECT_EQ(InkBox(dc, TRect(0, 0, 64, 64)), TRect(10, 10, 30, 24));
    EXPECT_EQ(GetPixel(dc, 20, 17), White); // hollow
    PatBlt(dc, 0, 0, 64, 64, WHITENESS);
    const TPoint pts[] = {{5, 5}, {20, 5}, {20, 20}};
    Polyline(dc, pts, 3);
    EXPECT_NE(GetPixel(dc, 5, 5), White);
    EXPECT_NE(GetPixel(dc, 20, 5), White); // inner corners are drawn
    EXPECT_EQ(GetPixel(dc, 20, 20), White); // the last point is left out
    EXPECT_NE(GetPixel(dc, 20, 19), White);
    PatBlt(dc, 0, 0, 64, 64, WHITENESS);
    // two squares, one inside the other: alternate filling leaves a hole
    const TPoint rings[] = {{10, 10}, {50, 10}, {50, 50}, {10, 50}, {20, 20}, {40, 20}, {40, 40}, {20, 40}};
    const Integer counts[] = {4, 4};
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(NULL_PEN));
    EXPECT_TRUE(PolyPolygon(dc, rings, counts, 2));
    EXPECT_NE(GetPixel(dc, 15, 15), White);
    EXPECT_EQ(GetPixel(dc, 30, 30), White);
    const Integer bad[] = {4, 1};
    EXPECT_FALSE(PolyPolygon(dc, rings, bad, 2));
    EXPECT_FALSE(Polygon(dc, nullptr, 3));
    DeleteDC(dc);
}

TEST(TextLayout, DrawTextAlignsWrapsAndMeasures)
{
    HDC dc = CreateRasterDC(300, 200);
    HFONT f = CreateFont(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(dc, f);
    TEXTMETRIC tm;
    GetTextMetrics(dc, tm);
    TSize one;
    GetTextExtentPoint32(dc, "alpha beta", one);

    TRect calc(0, 0, 0, 0);
    EXPECT_EQ(DrawText(dc, "alpha beta", calc, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    EXPECT_EQ(calc, TRect(0, 0, one.cx, tm.tmHeight));

    TRect narrow(0, 0, one.cx + 5, 0); // room for two words a line
    EXPECT_EQ(DrawText(dc, "alpha beta alpha beta", narrow, DT_CALCRECT | DT_WORDBREAK), 2 * tm.tmHeight);
    EXPECT_EQ(narrow.Right, one.cx);

    TRect calc2(0, 0, 0, 0);
    DrawText(dc, "a&&b &c", calc2, DT_CALCRECT | DT_SINGLELINE);
    TSize plain;
    GetTextExtentPoint32(dc, "a&b c", plain);
    EXPECT_EQ(calc2.Right, plain.cx); // prefix characters are not drawn

    TSize dots, al;
    GetTextExtentPoint32(dc, "...", dots);
    GetTextExtentPoint32(dc, "al", al);
    TRect shortBox(0, 0, al.cx + dots.cx, 0);
    DrawText(dc, "alpha beta", shortBox, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(shortBox.Right, al.cx + dots.cx); // "al..."

    TRect tabs(0, 0, 0, 0);
    DrawText(dc, "ab\tc", tabs, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    TSize spaced;
    GetTextExtentPoint32(dc, "ab      c", spaced);
    EXPECT_EQ(tabs.Right, spaced.cx);

    TRect box(0, 0, 300, 100);
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, "alpha beta", box, DT_RIGHT | DT_SINGLELINE | DT_BOTTOM);
    TRect ink = InkBox(dc, TRect(0, 0, 300, 200));
    EXPECT_LE(ink.Right, 300);
    EXPECT_GE(ink.Left, 300 - one.cx);
    EXPECT_GE(ink.Top, 100 - tm.tmHeight);
    EXPECT_LE(ink.Bottom, 100);
    DeleteDC(dc);
    DeleteObject(f);
}

TEST(Mapping, ScaledFontsAndFixedModes)
{
    HDC dc = CreateRasterDC(200, 200, 100);
    HFONT f = CreateFont(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(dc, f);
    TSize at1;
    GetTextExtentPoint32(dc, "Hello", at1);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 2, 2);
    SetViewportExtEx(dc, 1, 1);
    TEXTMETRIC tm;
    GetTextMetrics(dc, tm);
    EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, 40, 2); // logical units are unchanged for the caller
    TSize half;
    GetTextExtentPoint32(dc, "Hello", half);
    EXPECT_NEAR(half.cx, at1.cx, 6);

    SetMapMode(dc, MM_ISOTROPIC);
    SetWindowExtEx(dc, 100, 100);
    SetViewportExtEx(dc, 50, 200); // the smaller scale wins in both directions
    TSize vp;
    GetViewportExtEx(dc, vp);
    EXPECT_EQ(vp, TSize(50, 50));

    SetMapMode(dc, MM_LOENGLISH); // hundredths of an inch, y upwards
    TPoint p{100, -100};
    LPtoDP(dc, &p, 1);
    EXPECT_EQ(p, TPoint(100, 100));
    EXPECT_TRUE(SetWindowExtEx(dc, 5, 5)); // ignored in fixed modes
    TSize we;
    GetWindowExtEx(dc, we);
    EXPECT_EQ(we, TSize(100, 100));
    EXPECT_EQ(SetMapMode(dc, 99), 0);
    DeleteDC(dc);
    DeleteObject(f);
}

TEST(Bitmaps, SectionsMonochromeBitsAndAlphaPixels)
{
    std::uint32_t* bits = nullptr;
    HBITMAP sec = CreateDIBSection32(3, 2, &bits);
    ASSERT_TRUE(sec);
    ASSERT_NE(bits, nullptr);
    bits[1] = 0x00FF0000; // red at (1, 0), written directly
    BITMAP bm;
    ASSERT_TRUE(GetObject(sec, bm));
    EXPECT_EQ(bm.bmWidth, 3);
    EXPECT_EQ(bm.bmBits, bits);
    HDC mem = CreateCompatibleDC(HDC());
    SelectObject(mem, sec);
    EXPECT_EQ(GetPixel(mem, 1, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetDeviceCaps(mem, HORZRES), 3);

    const Word rows[2] = {0x0080, 0x0000}; // 16-bit rows, first byte leftmost: only the top-left pixel is set
    HBITMAP mono = CreateBitmap(9, 2, 1, 1, rows);
    ASSERT_TRUE(GetObject(mono, bm));
    EXPECT_EQ(bm.bmBitsPixel, 1);
    EXPECT_EQ(bm.bmWidthBytes, 2);
    TSize sz;
    std::vector<std::uint32_t> px;
    ASSERT_TRUE(GetBitmapPixels(mono, sz, px));
    EXPECT_EQ(px[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0u);
    EXPECT_FALSE(CreateBitmap(10, 10, 1, 8, nullptr)); // unsupported depth
    EXPECT_FALSE(CreateBitmap(-1, 10, 1, 1, nullptr));

    HDC dc = CreateRasterDC(10, 10);
    const std::uint32_t half[1] = {0x80000000u}; // black at half opacity
    EXPECT_TRUE(DrawPixels(dc, 0, 0, 2, 2, half, 1, 1));
    COLORREF c = GetPixel(dc, 1, 1);
    EXPECT_NEAR(GetRValue(c), 127, 1);
    EXPECT_EQ(GetPixel(dc, 2, 2), White);
    DeleteDC(dc);
    DeleteDC(mem);
    DeleteObject(sec);
    DeleteObject(mono);
}

TEST(Geometry, RectangleHelpers)
{
    TRect r;
    EXPECT_TRUE(IntersectRect(r, Rect(0, 0, 10, 10), Rect(5, 5, 20, 20)));
    EXPECT_EQ(r, Rect(5, 5, 10, 10));
    EXPECT_FALSE(IntersectRect(r, Rect(0, 0, 10, 10), Rect(10, 0, 20, 10))); // touching edges do not overlap
    EXPECT_EQ(r, TRect());
    EXPECT_TRUE(UnionRect(r, TRect(), Rect(1, 2, 3, 4)));
    EXPECT_EQ(r, Rect(1, 2, 3, 4));
    EXPECT_EQ(Bounds(10, 20, 5, 6), Rect(10, 20, 15, 26));
    EXPECT_TRUE(PtInRect(Rect(0, 0, 2, 2), Point(1, 1)));
    EXPECT_FALSE(PtInRect(Rect(0, 0, 2, 2), Point(2, 1)));
    EXPECT_EQ(Rect(5, 5, 1, 1).Normalized(), Rect(1, 1, 5, 5));
    r = Rect(0, 0, 4, 4);
    InflateRect(r, 1, 2);
    OffsetRect(r, 10, 10);
    EXPECT_EQ(r, Rect(9, 8, 15, 16));
}

TEST(PublishedProperties, FontAndPenStreamAsFormFilesExpect)
{
    TFont f;
    EXPECT_EQ(GetPropText(&f, "Color"), "clWindowText");
    SetPropText(&f, "Color", "clRed");
    EXPECT_EQ(f.Color(), clRed);
    SetPropText(&f, "Style", "[fsBold,fsItalic]");
    EXPECT_TRUE(f.Style().Contains(fsItalic));
    SetPropText(&f, "Height", "-16");
    EXPECT_EQ(GetPropText(&f, "Height"), "-16");
    const TPropInfo* size = FindPropInfo(&f, "Size");
    ASSERT_NE(size, nullptr);
    EXPECT_FALSE(size->StoredRule(&f)); // Height is what is stored
    TPen p;
    SetPropText(&p, "Style", "psInsideFrame");
    EXPECT_EQ(p.Style(), psInsideFrame);
    EXPECT_EQ(GetPropText(&p, "Mode"), "pmCopy");
}

} // namespace

namespace {

TEST(Robustness, HugeCoordinatesAreClippedNotWalked)
{
    HDC dc = CreateRasterDC(50, 50);
    MoveToEx(dc, -2000000000, 10);
    EXPECT_TRUE(LineTo(dc, 2000000000, 10)); // returns at once, draws the visible part
    EXPECT_NE(GetPixel(dc, 25, 10), White);
    MoveToEx(dc, -1000000000, -1000000000);
    EXPECT_TRUE(LineTo(dc, 1000000000, 1000000000));
    EXPECT_NE(GetPixel(dc, 30, 30), White);
    EXPECT_TRUE(Rectangle(dc, -2147483647, -2147483647, 2147483647, 2147483647));
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1);
    SetViewportExtEx(dc, 1000000, 1000000);
    EXPECT_TRUE(Ellipse(dc, -5000, -5000, 5000, 5000));
    DeleteDC(dc);
}

} // namespace

namespace {

// A page made at 600 pixels per inch played onto a 96 pixels-per-inch device through a window of
// 600 and a viewport of 96 units per inch draws exactly what the same calls give in device units:
// the font's em height, pen widths, text positions and per-character advances all scale.
TEST(Mapping, PageAtAnotherResolutionDrawsAsInDeviceUnits)
{
    struct TScene {
        Integer Unit;           // logical units per 4 device pixels
        Integer FontHeight;     // -em
        Integer WidePen, ThinPen;
    };
    auto render = [](const TScene& S, bool Scaled, TSize* Extent, TPoint* AfterText) {
        HDC dc = CreateRasterDC(160, 160, 96);
        if (Scaled) {
            SetMapMode(dc, MM_ANISOTROPIC);
            SetWindowExtEx(dc, 600, 600);
            SetViewportExtEx(dc, 96, 96);
        }
        auto u = [&](Integer DevicePixels) { return DevicePixels / 4 * S.Unit; };
        HFONT font = CreateFont(S.FontHeight, 0, 0, 0, FW_NORMAL, 0, 1, 0, 0, 0, 0, 0, 0, "Arial");
        SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        TextOut(dc, u(16), u(16), "Total 123");
        GetTextExtentPoint32(dc, "Total 123", *Extent);
        SetTextAlign(dc, TA_BASELINE | TA_UPDATECP);
        MoveToEx(dc, u(8), u(140));
        TextOut(dc, 0, 0, "Sum");
        GetCurrentPositionEx(dc, *AfterText);
        SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, RGB(200, 200, 200));
        const Integer dx[3] = {u(12), u(12), u(12)};
        TRect box(u(100), u(124), u(156), u(156));
        ExtTextOut(dc, u(128), u(152), ETO_OPAQUE | ETO_CLIPPED, &box, String("abc"), dx);
        HPEN wide = CreatePen(PS_SOLID, S.WidePen, RGB(0, 0, 255));
        HPEN dashed = CreatePen(PS_DASH, S.ThinPen, RGB(255, 0, 0));
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        SelectObject(dc, wide);
        MoveToEx(dc, u(12), u(60));
        LineTo(dc, u(152), u(60));
        Rectangle(dc, u(12), u(68), u(100), u(108));
        SelectObject(dc, dashed);
        MoveToEx(dc, u(12), u(116));
        LineTo(dc, u(152), u(116));
        SetMapMode(dc, MM_TEXT); // read back in device pixels
        std::vector<COLORREF> px;
        for (Integer y = 0; y < 160; ++y)
            for (Integer x = 0; x < 160; ++x)
                px.push_back(GetPixel(dc, x, y));
        DeleteDC(dc);
        DeleteObject(font);
        DeleteObject(wide);
        DeleteObject(dashed);
        return px;
    };
    TSize devExtent, pageExtent;
    TPoint devAfter, pageAfter;
    // 10 points: 13 pixels at 96 per inch, 83 at 600; pens of 2 and 1 pixels are 12 and 6 page units.
    auto direct = render({4, -13, 2, 1}, false, &devExtent, &devAfter);
    auto played = render({25, -83, 12, 6}, true, &pageExtent, &pageAfter);
    Integer differing = 0;
    for (std::size_t i = 0; i < direct.size(); ++i)
        differing += direct[i] != played[i];
    EXPECT_EQ(differing, 0);
    // Measurements come back in page units.
    EXPECT_NEAR(pageExtent.cx, MulDiv(devExtent.cx, 600, 96), 1);
    EXPECT_NEAR(pageExtent.cy, MulDiv(devExtent.cy, 600, 96), 1);
    EXPECT_NEAR(pageAfter.X, MulDiv(devAfter.X, 600, 96), 1);
    EXPECT_EQ(pageAfter.Y, 140 / 4 * 25);
}

} // namespace
