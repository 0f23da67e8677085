// Text output and measurement: alignment, backgrounds, clipping, rotation, metrics, fonts.

#include "common/SoundPdf.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DC = CreateRasterDC(300, 200, 96);
        Font = CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        SelectObject(DC, Font);
        SetBkMode(DC, TRANSPARENT);
    }
    void TearDown() override
    {
        DeleteDC(DC);
        DeleteObject(Font);
    }
    void Clear() { PatBlt(DC, 0, 0, 300, 200, WHITENESS); }
    TRect InkBox(COLORREF Except = White)
    {
        TRect box(10000, 10000, -10000, -10000);
        for (Integer y = 0; y < 200; ++y)
            for (Integer x = 0; x < 300; ++x)
                if (GetPixel(DC, x, y) != Except) {
                    box.Left = std::min(box.Left, x);
                    box.Top = std::min(box.Top, y);
                    box.Right = std::max(box.Right, x + 1);
                    box.Bottom = std::max(box.Bottom, y + 1);
                }
        return box;
    }
    TSize Extent(const String& S)
    {
        TSize sz;
        GetTextExtentPoint32(DC, S, sz);
        return sz;
    }

    HDC DC;
    HFONT Font;
};

TEST_F(TextTest, ExtentIsTheSumOfCharacterExtentsWithoutKerning)
{
    const String s = "AVATAR Wave To, yes. 12345";
    Integer sum = 0;
    for (char c : s)
        sum += Extent(String(1, c)).cx;
    EXPECT_EQ(Extent(s).cx, sum);
    EXPECT_EQ(Extent("AV").cx, Extent("A").cx + Extent("V").cx);
    Integer widths[26];
    ASSERT_TRUE(GetCharWidth32(DC, 'A', 'Z', widths));
    EXPECT_EQ(widths['V' - 'A'], Extent("V").cx);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(DC, tm));
    EXPECT_EQ(Extent(s).cy, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20); // a negative height is the em height
    EXPECT_EQ(tm.tmWeight, FW_NORMAL);

    const std::u16string w = u"Wave";
    Integer fit = 0;
    Integer dx[4];
    TSize sz;
    ASSERT_TRUE(GetTextExtentExPoint(DC, w.data(), 4, Extent("Wa").cx, &fit, dx, sz));
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(dx[3], Extent("Wave").cx);
    EXPECT_EQ(dx[0], Extent("W").cx);
}

TEST_F(TextTest, PositiveHeightIsTheCellHeight)
{
    HFONT cell = CreateFont(30, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(DC, cell);
    TEXTMETRIC tm;
    GetTextMetrics(DC, tm);
    EXPECT_NEAR(tm.tmHeight, 30, 1);
    EXPECT_GT(tm.tmInternalLeading, 0);
    SelectObject(DC, Font);
    DeleteObject(cell);
}

TEST_F(TextTest, AlignmentFlagsPlaceTheText)
{
    TEXTMETRIC tm;
    GetTextMetrics(DC, tm);
    const Integer w = Extent("HHH").cx;
    struct Case {
        Cardinal Align;
        Integer Left, Top; // expected cell position for reference (150, 100)
    } cases[] = {
        {TA_LEFT | TA_TOP, 150, 100},
        {TA_RIGHT | TA_TOP, 150 - w, 100},
        {TA_CENTER | TA_TOP, 150 - w / 2, 100},
        {TA_LEFT | TA_BOTTOM, 150, 100 - tm.tmHeight},
        {TA_LEFT | TA_BASELINE, 150, 100 - tm.tmAscent},
    };
    SetBkMode(DC, OPAQUE);
    SetBkColor(DC, RGB(0, 0, 255));
    for (const Case& c : cases) {
        Clear();
        SetTextAlign(DC, c.Align);
        TextOut(DC, 150, 100, "HHH");
        // the opaque background shows the text cell exactly
        EXPECT_EQ(InkBox(), TRect(c.Left, c.Top, c.Left + w, c.Top + tm.tmHeight)) << c.Align;
    }
}

TEST_F(TextTest, UpdateCurrentPositionMovesByTheTextWidth)
{
    SetTextAlign(DC, TA_UPDATECP);
    MoveToEx(DC, 10, 10);
    TextOut(DC, 999, 999, "Ab");
    TextOut(DC, 999, 999, "c");
    TPoint p;
    GetCurrentPositionEx(DC, p);
    EXPECT_EQ(p, TPoint(10 + Extent("Abc").cx, 10));
    TRect box = InkBox();
    EXPECT_GE(box.Left, 10);
    EXPECT_LE(box.Right, 10 + Extent("Abc").cx + 1);
    SetTextAlign(DC, TA_UPDATECP | TA_RIGHT);
    TextOut(DC, 0, 0, "Abc");
    GetCurrentPositionEx(DC, p);
    EXPECT_EQ(p, TPoint(10, 10));
}

TEST_F(TextTest, OpaqueAndTransparentBackgrounds)
{
    SetBkColor(DC, RGB(255, 0, 0));
    SetBkMode(DC, TRANSPARENT);
    TextOut(DC, 10, 10, "i i");
    EXPECT_EQ(GetPixel(DC, 10 + Extent("i").cx + 1, 12), White); // the blank stays white
    SetBkMode(DC, OPAQUE);
    TextOut(DC, 10, 60, "i i");
    EXPECT_EQ(GetPixel(DC, 10 + Extent("i").cx + 1, 62), RGB(255, 0, 0));
}

TEST_F(TextTest, ExtTextOutClipsAndFillsItsRectangle)
{
    TRect r(20, 20, 40, 35);
    SetBkColor(DC, RGB(0, 255, 0));
    ExtTextOut(DC, 10, 20, ETO_CLIPPED, &r, "WWWWWWWW");
    TRect box = InkBox();
    EXPECT_GE(box.Left, 20);
    EXPECT_LE(box.Right, 40);
    EXPECT_LE(box.Bottom, 35);
    Clear();
    ExtTextOut(DC, 10, 20, ETO_OPAQUE, &r, "");
    EXPECT_EQ(InkBox(), r);
    EXPECT_EQ(GetPixel(DC, 25, 25), RGB(0, 255, 0));
    Clear();
    // explicit advances
    const Integer dx[3] = {30, 30, 30};
    ExtTextOut(DC, 10, 100, 0, nullptr, "lll", dx);
    box = InkBox();
    EXPECT_GE(box.Width(), 60);
}

TEST_F(TextTest, EscapementTurnsCounterClockwiseAroundTheReferencePoint)
{
    HFONT up = CreateFont(-20, 0, 900, 900, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(DC, up);
    TextOut(DC, 100, 150, "HHHHH");
    TRect box = InkBox();
    const Integer w = Extent("HHHHH").cx; // extent is along the baseline
    EXPECT_GT(box.Height(), box.Width());
    EXPECT_GE(box.Left, 100);
    EXPECT_LE(box.Bottom, 150 + 1);
    EXPECT_GE(box.Top, 150 - w - 1);
    SelectObject(DC, Font);
    DeleteObject(up);
}

TEST_F(TextTest, UnderlineAndStrikeOut)
{
    HFONT u = CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 1, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(DC, u);
    TextOut(DC, 10, 10, "a a");
    TEXTMETRIC tm;
    GetTextMetrics(DC, tm);
    // the underline runs under the blank too
    bool under = false;
    const Integer blankX = 10 + Extent("a").cx + 1;
    for (Integer y = 10 + tm.tmAscent; y < 10 + tm.tmHeight; ++y)
        under = under || GetPixel(DC, blankX, y) != White;
    EXPECT_TRUE(under);
    SelectObject(DC, Font);
    DeleteObject(u);
}

TEST(Fonts, FacesAndPointSizes)
{
    EXPECT_EQ(ResolveFontFamily("Arial"), "Liberation Sans");
    EXPECT_EQ(ResolveFontFamily("times new roman"), "Liberation Serif");
    EXPECT_EQ(ResolveFontFamily("Courier New"), "Liberation Mono");
    EXPECT_EQ(ResolveFontFamily("No Such Face 123"), "DejaVu Sans");
    EXPECT_EQ(ResolveFontFamily("DejaVu Serif"), "DejaVu Serif");

    TFont f;
    f.SetName("Arial");
    f.SetPixelsPerInch(600);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -83);
    EXPECT_EQ(f.Size(), 10);
    f.SetPixelsPerInch(96); // pixel height stays, size follows
    EXPECT_EQ(f.Height(), -83);
    EXPECT_EQ(f.Size(), 62);
}

TEST(Fonts, SameMetricsOnRasterAndPdfAtTheSameResolution)
{
    String file = testing::TempDir() + "metrics.pdf";
    TPdfPageFormat fmt;
    fmt.Resolution = 300;
    HDC pdf = CreatePdfDC(file, fmt);
    ASSERT_TRUE(pdf);
    HDC ras = CreateRasterDC(100, 100, 300);
    HFONT f = CreateFont(-42, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, 0, 0, "Times New Roman");
    SelectObject(pdf, f);
    SelectObject(ras, f);
    TEXTMETRIC a, b;
    GetTextMetrics(pdf, a);
    GetTextMetrics(ras, b);
    EXPECT_EQ(a.tmHeight, b.tmHeight);
    EXPECT_EQ(a.tmAscent, b.tmAscent);
    EXPECT_EQ(a.tmAveCharWidth, b.tmAveCharWidth);
    TSize sa, sb;
    GetTextExtentPoint32(pdf, "Quarterly report 2024", sa);
    GetTextExtentPoint32(ras, "Quarterly report 2024", sb);
    EXPECT_EQ(sa, sb);
    DeleteDC(pdf);
    qor::test::ExpectSoundPdf(file);
    DeleteDC(ras);
    DeleteObject(f);
}

TEST(Fonts, RecordingContextHasFixedMetrics)
{
    HDC rec = CreateRecordingDC();
    HFONT f = CreateFont(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(rec, f);
    TSize sz;
    GetTextExtentPoint32(rec, "abcd", sz);
    EXPECT_EQ(sz, TSize(40, 20));
    TEXTMETRIC tm;
    GetTextMetrics(rec, tm);
    EXPECT_EQ(tm.tmAscent, 16);
    EXPECT_EQ(tm.tmDescent, 4);
    DeleteDC(rec);
    DeleteObject(f);
}

} // namespace

namespace {

TEST(Fonts, CharactersMissingFromTheFaceComeFromTheFallback)
{
    // U+2654 (a chess king) is not in the mono face but is in DejaVu Sans: both draw the same.
    const std::u16string king = u"\u2654";
    auto render = [&](const char* Face) {
        HDC dc = CreateRasterDC(80, 60);
        HFONT f = CreateFont(-30, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, Face);
        SelectObject(dc, f);
        SetBkMode(dc, TRANSPARENT);
        SetTextAlign(dc, TA_BASELINE); // the faces' ascents differ
        TextOut(dc, 10, 45, king.data(), 1);
        std::vector<COLORREF> px;
        Integer ink = 0;
        for (Integer y = 0; y < 60; ++y)
            for (Integer x = 0; x < 80; ++x) {
                px.push_back(GetPixel(dc, x, y));
                ink += px.back() != RGB(255, 255, 255);
            }
        EXPECT_GT(ink, 20) << Face;
        DeleteDC(dc);
        DeleteObject(f);
        return px;
    };
    EXPECT_EQ(render("Courier New"), render("DejaVu Sans"));
}

} // namespace
