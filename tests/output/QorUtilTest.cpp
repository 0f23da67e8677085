// The drawing routines of the page output: call sequences on the recording context (fixed
// metrics: every character 8 pixels wide at the default font) and pixels on the raster context.

#include "common/TestOutput.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/FileUtils.h"
#include "runtime/output/QorUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace qor;

namespace {

constexpr COLORREF White = RGB(255, 255, 255);
constexpr COLORREF Black = RGB(0, 0, 0);

class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override { DC = CreateRecordingDC(); }
    void TearDown() override { DeleteDC(DC); }

    std::vector<String> Calls()
    {
        std::vector<String> C = GetRecordedCalls(DC);
        ClearRecordedCalls(DC);
        return C;
    }
    // The recorded calls of one kind, e.g. "MoveToEx".
    std::vector<String> CallsOf(const std::vector<String>& All, const String& Name)
    {
        std::vector<String> C;
        for (const String& S : All)
            if (S.rfind(Name + "(", 0) == 0)
                C.push_back(S);
        return C;
    }

    HDC DC;
};

// ---- check boxes ----------------------------------------------------------------------------------

TEST_F(RecordingTest, CheckBoxInTenPixelsUsesMarginsOfTwo)
{
    QorDrawCheckBox(DC, TRect(0, 0, 9, 9), qcsCheck, clRed, 1);
    EXPECT_EQ(Calls(), (std::vector<String>{"SelectObject(Pen style=0 width=1 color=$0000FF)", "SetROP2(13)",
                                            "MoveToEx(8,2)", "LineTo(6,8)", "LineTo(4,5)",
                                            "SelectObject(Pen style=0 width=0 color=$000000)"}));
    QorDrawCheckBox(DC, TRect(0, 0, 9, 9), qcsCross, clRed, 1);
    EXPECT_EQ(CallsOf(GetRecordedCalls(DC), "MoveToEx"), (std::vector<String>{"MoveToEx(2,2)", "MoveToEx(8,2)"}));
    EXPECT_EQ(CallsOf(Calls(), "LineTo"), (std::vector<String>{"LineTo(8,8)", "LineTo(2,8)"}));
}

TEST_F(RecordingTest, CheckBoxMarginsFollowTheRectangle)
{
    // 50 x 40: f = 5, g = 4, k = 10.
    QorDrawCheckBox(DC, TRect(100, 200, 149, 239), qcsCheck, clBlack, 3);
    const auto C = Calls();
    EXPECT_EQ(C[0], "SelectObject(Pen style=0 width=3 color=$000000)");
    EXPECT_EQ(CallsOf(C, "MoveToEx"), std::vector<String>{"MoveToEx(140,204)"});
    EXPECT_EQ(CallsOf(C, "LineTo"), (std::vector<String>{"LineTo(125,236)", "LineTo(115,220)"}));
}

TEST_F(RecordingTest, CheckBoxTakesSystemColoursAsRgbAndDrawsNoMarkForUnknownStyles)
{
    QorDrawCheckBox(DC, TRect(0, 0, 9, 9), qcsCross, clBtnFace, 1);
    char Expected[64];
    std::snprintf(Expected, sizeof Expected, "SelectObject(Pen style=0 width=1 color=$%06X)",
                  unsigned(ColorToRGB(clBtnFace)));
    EXPECT_EQ(Calls()[0], Expected);
    QorDrawCheckBox(DC, TRect(0, 0, 9, 9), static_cast<TQorCheckStyle>(7), clBlack, 1);
    const auto C = Calls();
    EXPECT_TRUE(CallsOf(C, "MoveToEx").empty());
    EXPECT_TRUE(CallsOf(C, "LineTo").empty());
}

// ---- justified text ------------------------------------------------------------------------------

// Where each character of a line was drawn: TextOut runs at the current position, so the
// positions are replayed from the MoveToEx calls and the 8-pixel advance of each character.
std::vector<Integer> DrawnPositions(const std::vector<String>& Calls, bool Backward = false)
{
    std::vector<Integer> At;
    Integer Cp = 0;
    for (const String& S : Calls) {
        if (S.rfind("MoveToEx(", 0) == 0)
            Cp = std::stoi(S.substr(9));
        else if (S.rfind("TextOut(", 0) == 0) {
            if (Backward)
                Cp -= 8;
            At.push_back(Cp);
            if (!Backward)
                Cp += 8;
        }
    }
    return At;
}

TEST_F(RecordingTest, JustifiedLineSharesTheSlackOutLeftToRight)
{
    // "a b c" is 40 pixels wide. Width = extent + 11: 5 extra at each blank.
    QorSetTextJustify(DC, 10, 5, "a b c", 40 + 11);
    EXPECT_EQ(DrawnPositions(Calls()), (std::vector<Integer>{10, 18, 31, 39, 52}));
    // + 12: 5 at the first blank, 6 at the second.
    QorSetTextJustify(DC, 10, 5, "a b c", 40 + 12);
    EXPECT_EQ(DrawnPositions(Calls()), (std::vector<Integer>{10, 18, 31, 39, 53}));
    // + 1: none.
    QorSetTextJustify(DC, 10, 5, "a b c", 40 + 1);
    EXPECT_EQ(DrawnPositions(Calls()), (std::vector<Integer>{10, 18, 26, 34, 42}));
}

TEST_F(RecordingTest, JustifiedLineDrawsASurrogatePairAsOneCharacter)
{
    QorSetTextJustify(DC, 10, 5, "a \xF0\x9F\x98\x80", 40);
    EXPECT_EQ(CallsOf(Calls(), "TextOut").size(), 3u);
}

TEST_F(RecordingTest, JustifiedLineRunsFromXToTheRightOfItsRectangle)
{
    SetTextAlign(DC, TA_LEFT | TA_BASELINE);
    Calls();
    QorTextJustify(DC, TRect(0, 0, 100, 20), 10, 5, "a b c   ", false, TRect(0, 0, 100, 20));
    const auto C = Calls();
    EXPECT_EQ(DrawnPositions(C), (std::vector<Integer>{10, 18, 51, 59, 92}));
    // The last character ends on Rect.Right; trailing blanks are not drawn.
    EXPECT_EQ(CallsOf(C, "TextOut").size(), 5u);
    // The context's alignment is given back.
    EXPECT_EQ(C.front(), "SetTextAlign(25)");
    EXPECT_EQ(C.back(), "SetTextAlign(24)");
}

TEST_F(RecordingTest, LastLineOfAParagraphKeepsItsNaturalSpacing)
{
    QorTextJustify(DC, TRect(0, 0, 100, 20), 10, 5, "a b c", true, TRect(0, 0, 100, 20));
    EXPECT_EQ(DrawnPositions(Calls()), (std::vector<Integer>{10, 18, 26, 34, 42}));
    // A line without inner blanks is never spread.
    QorTextJustify(DC, TRect(0, 0, 100, 20), 10, 5, "  abc", false, TRect(0, 0, 100, 20));
    EXPECT_EQ(DrawnPositions(Calls()), (std::vector<Integer>{10, 18, 26, 34, 42}));
}

TEST_F(RecordingTest, RightAlignedLineIsDrawnBackwardFromX)
{
    SetTextAlign(DC, TA_RIGHT);
    Calls();
    QorTextJustify(DC, TRect(0, 0, 100, 20), 90, 5, "a b", true, TRect(0, 0, 100, 20));
    const auto C = Calls();
    // Right edges of "b", " ", "a" at 90, 82, 74.
    EXPECT_EQ(DrawnPositions(C, true), (std::vector<Integer>{82, 74, 66}));
    EXPECT_EQ(C.back(), "SetTextAlign(2)");
    // Justified backward: the slack goes before the blanks, counted from the right.
    QorSetTextJustify(DC, 90, 5, "a b c", 40 + 11);
    EXPECT_EQ(DrawnPositions(Calls(), true), (std::vector<Integer>{82, 74, 61, 53, 40}));
}

TEST_F(RecordingTest, CentredLineWiderThanItsFrameIsClippedAndDrawnFromTheLeft)
{
    SetTextAlign(DC, TA_CENTER);
    Calls();
    // "abcdefghij" is 80 wide, centred on 50 would run 10 to 90; the frame is 30 to 70.
    QorTextJustify(DC, TRect(30, 0, 70, 20), 50, 5, "abcdefghij", false, TRect(30, 0, 70, 20));
    const auto C = Calls();
    const auto At = DrawnPositions(C);
    ASSERT_EQ(At.size(), 10u);
    EXPECT_EQ(At.front(), 30);
    EXPECT_EQ(C[0], "SetTextAlign(0)");     // centre taken off for drawing
    EXPECT_EQ(C.back(), "SetTextAlign(6)"); // and put back
    // A centred line that fits is centred on X.
    QorTextJustify(DC, TRect(0, 0, 100, 20), 50, 5, "abcd", false, TRect(0, 0, 100, 20));
    EXPECT_EQ(DrawnPositions(Calls()).front(), 34);
}

TEST_F(RecordingTest, LeftAlignedLineIsHeldInsideItsFrame)
{
    // 80 pixels of text from 50 in a frame ending at 100: the width is cut, the spacing shrinks.
    QorTextJustify(DC, TRect(0, 0, 100, 20), 50, 5, "abcd efgh", true, TRect(0, 0, 100, 20));
    EXPECT_EQ(DrawnPositions(Calls()), (std::vector<Integer>{50, 58, 66, 74, 82, 68, 76, 84, 92}));
}

// ---- shapes, polygons, scaling -------------------------------------------------------------------

TEST_F(RecordingTest, ShapeAndPolygonKindsCallTheirPrimitive)
{
    QorDrawShapeType(DC, dtArc, 0, 1, 2, 3, 4, 5, 6, 7);
    QorDrawShapeType(DC, dtChord, 0, 1, 2, 3, 4, 5, 6, 7);
    QorDrawShapeType(DC, dtPie, 0, 1, 2, 3, 4, 5, 6, 7);
    QorDrawShapeType(DC, static_cast<TQorDrawType>(3), 0, 1, 2, 3, 4, 5, 6, 7);
    const TPoint P[3] = {{0, 0}, {10, 0}, {5, 8}};
    QorPolyDrawType(DC, ptPolygon, P, 3);
    QorPolyDrawType(DC, ptPolyLine, P, 2);
    QorPolyDrawType(DC, static_cast<TQorPolyType>(2), P, 3);
    EXPECT_EQ(Calls(), (std::vector<String>{"Arc(0,1,2,3,4,5,6,7)", "Chord(0,1,2,3,4,5,6,7)", "Pie(0,1,2,3,4,5,6,7)",
                                            "Polygon(0,0;10,0;5,8)", "Polyline(0,0;10,0)"}));
}

TEST_F(RecordingTest, ScaleSetsExtentsRoundedHalvesToEven)
{
    QorScale(DC, 96, 96, 96, 96, 100, 100);
    EXPECT_EQ(Calls(), std::vector<String>{"SetMapMode(8)"});
    QorScale(DC, 96, 96, 5, 3, 50, 50); // 2.5 -> 2, 1.5 -> 2
    EXPECT_EQ(Calls(), (std::vector<String>{"SetMapMode(8)", "SetWindowExtEx(96,96)", "SetViewportExtEx(2,2)"}));
    QorScale(DC, 96, 96, 7, 96, 50, 100); // 3.5 -> 4
    EXPECT_EQ(Calls().back(), "SetViewportExtEx(4,96)");
}

TEST(DeviceScaling, ScaleRectAndOriginGoFromPagePixelsToDevicePixels)
{
    HDC DC = CreateRasterDC(100, 100, 96);
    // A 300 dpi page rectangle of one inch, inclusive, on a 96 dpi device at 100 % and 50 %.
    EXPECT_EQ(QorScaleRect(DC, 300, 300, TRect(300, 600, 599, 899), 100, 100), TRect(96, 192, 191, 287));
    EXPECT_EQ(QorScaleRect(DC, 300, 300, TRect(300, 600, 599, 899), 50, 50), TRect(48, 96, 95, 143));
    QorSetOrigin(DC, 300, 300, -150, 300);
    TPoint Org;
    GetViewportOrgEx(DC, Org);
    EXPECT_EQ(Org, TPoint(-48, 96));
    EXPECT_EQ(QorGetResolution(DC), TPoint(96, 96));
    EXPECT_TRUE(QorIsScreen(DC));
    DeleteDC(DC);
    HDC Printer = CreateRecordingDC(816, 1056, 96, true);
    EXPECT_FALSE(QorIsScreen(Printer));
    DeleteDC(Printer);
}

TEST(DeviceScaling, PrintableAreaIsTheOffsetAndThePrintableSize)
{
    HDC DC = CreateRecordingDC(2550, 3300, 300, true);
    SetDeviceCaps(DC, PHYSICALOFFSETX, 75);
    SetDeviceCaps(DC, PHYSICALOFFSETY, 60);
    SetDeviceCaps(DC, HORZRES, 2400);
    SetDeviceCaps(DC, VERTRES, 3150);
    SetDeviceCaps(DC, PHYSICALWIDTH, 2550);
    SetDeviceCaps(DC, PHYSICALHEIGHT, 3300);
    EXPECT_EQ(QorGetPrintableArea(DC), TRect(75, 60, 2475, 3210));
    EXPECT_EQ(QorGetPhysicalSize(DC), TPoint(2550, 3300));
    EXPECT_EQ(QorGetPhysicalOffset(DC), TPoint(75, 60));
    EXPECT_EQ(QorGetPrintableSize(DC), TPoint(2400, 3150));
    DeleteDC(DC);
}

// ---- pixels --------------------------------------------------------------------------------------

class RasterUtilitiesTest : public ::testing::Test {
protected:
    void SetUp() override { DC = CreateRasterDC(200, 120, 96); }
    void TearDown() override { DeleteDC(DC); }
    bool Ink(Integer X, Integer Y) { return GetPixel(DC, X, Y) != White; }
    Integer InkCount(const TRect& R)
    {
        Integer N = 0;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X)
                N += Ink(X, Y) ? 1 : 0;
        return N;
    }
    HDC DC;
};

TEST_F(RasterUtilitiesTest, EveryShadePaintsItsPatternInTheTextColour)
{
    const TQorShadePercent Shades[] = {spVeryDark, spDark, spMedDark, spMedium, spMedLight, spLight};
    for (int I = 0; I < 6; ++I) {
        const TRect R(I * 32, 0, I * 32 + 16, 16);
        QorShadeRect(DC, R, Shades[I]);
        const Word* Rows = QorShadePattern(Shades[I]);
        for (Integer Y = 0; Y < 16; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X) {
                const bool Foreground = ((Rows[Y % 8] >> (7 - X % 8)) & 1) == 0;
                ASSERT_EQ(GetPixel(DC, X, Y), Foreground ? Black : White)
                    << "shade " << int(Shades[I]) << " at " << X << "," << Y;
            }
        EXPECT_EQ(GetPixel(DC, R.Right, 5), White); // right edge exclusive
    }
    EXPECT_EQ(GetBkMode(DC), TRANSPARENT);
    // Darker shades cover more.
    EXPECT_GT(InkCount(TRect(0, 0, 16, 16)), InkCount(TRect(64, 0, 80, 16)));
    EXPECT_GT(InkCount(TRect(96, 0, 112, 16)), InkCount(TRect(160, 0, 176, 16)));
}

TEST_F(RasterUtilitiesTest, NoShadeLeavesTheRectangleAndUnknownShadesPaintMedium)
{
    QorShadeRect(DC, TRect(0, 40, 16, 56), spNone);
    EXPECT_EQ(InkCount(TRect(0, 40, 16, 56)), 0);
    QorShadeRect(DC, TRect(0, 64, 16, 80), static_cast<TQorShadePercent>(9));
    QorShadeRect(DC, TRect(32, 64, 48, 80), spMedium);
    for (Integer Y = 64; Y < 80; ++Y)
        for (Integer X = 0; X < 16; ++X)
            ASSERT_EQ(GetPixel(DC, X, Y), GetPixel(DC, X + 32, Y));
    EXPECT_GT(InkCount(TRect(0, 64, 16, 80)), 0);
}

TEST_F(RasterUtilitiesTest, ShadingKeepsTheTextColourOfTheContext)
{
    SetTextColor(DC, RGB(0, 0, 255));
    QorShadeRect(DC, TRect(0, 0, 8, 8), spVeryDark);
    EXPECT_EQ(GetPixel(DC, 0, 0), RGB(0, 0, 255)); // row 0x55: first pixel is foreground
    EXPECT_EQ(GetPixel(DC, 1, 0), White);
}

TEST_F(RasterUtilitiesTest, CheckMarksAndCrossesInkTheirStrokes)
{
    QorDrawCheckBox(DC, TRect(10, 10, 49, 49), qcsCross, clBlack, 2);
    // The two diagonals: f = g = 4; they meet at the centre.
    EXPECT_TRUE(Ink(14, 14));
    EXPECT_TRUE(Ink(30, 30));
    EXPECT_TRUE(Ink(46, 15) || Ink(45, 15));
    EXPECT_FALSE(Ink(30, 14));
    EXPECT_FALSE(Ink(11, 11));
    QorDrawCheckBox(DC, TRect(60, 10, 99, 49), qcsCheck, clRed, 2);
    // Long stroke from (92, 14) down to (80, 46), short one back up to (72, 30).
    EXPECT_EQ(GetPixel(DC, 86, 30), RGB(255, 0, 0));
    EXPECT_TRUE(Ink(76, 38));
    EXPECT_FALSE(Ink(65, 14));
    EXPECT_FALSE(Ink(95, 45));
}

TEST_F(RasterUtilitiesTest, PiesChordsAndPolygonsFillWithTheBrush)
{
    SelectObject(DC, GetStockObject(BLACK_BRUSH));
    // Upper-right quarter of a circle: counter-clockwise from (right, centre) to (centre, top).
    QorDrawShapeType(DC, dtPie, 0, 0, 40, 40, 40, 20, 20, 0);
    EXPECT_TRUE(Ink(28, 12));
    EXPECT_FALSE(Ink(12, 28));
    EXPECT_FALSE(Ink(12, 12));
    QorDrawShapeType(DC, dtArc, 50, 0, 90, 40, 90, 20, 70, 0);
    EXPECT_FALSE(Ink(78, 12)); // an arc is not filled
    const TPoint Triangle[3] = {{100, 40}, {140, 40}, {120, 0}};
    QorPolyDrawType(DC, ptPolygon, Triangle, 3);
    EXPECT_TRUE(Ink(120, 30));
    EXPECT_FALSE(Ink(103, 5));
    const TPoint Open[3] = {{150, 40}, {190, 40}, {170, 0}};
    QorPolyDrawType(DC, ptPolyLine, Open, 3);
    EXPECT_FALSE(Ink(170, 30)); // a polyline is not closed or filled
    EXPECT_TRUE(Ink(170, 40));
}

TEST_F(RasterUtilitiesTest, JustifiedTextFillsItsLine)
{
    HFONT Font = CreateFont(-14, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ Old = SelectObject(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    QorTextJustify(DC, TRect(10, 60, 189, 80), 10, 60, "one two three", false, TRect(10, 60, 189, 80));
    QorTextJustify(DC, TRect(10, 90, 189, 110), 10, 90, "one two three", true, TRect(10, 90, 189, 110));
    // The spread line ends near the rectangle's right edge; the last line of a paragraph far from it.
    Integer SpreadRight = 0, NaturalRight = 0;
    for (Integer X = 0; X < 200; ++X) {
        if (InkCount(TRect(X, 60, X + 1, 80)) > 0)
            SpreadRight = X;
        if (InkCount(TRect(X, 90, X + 1, 110)) > 0)
            NaturalRight = X;
    }
    EXPECT_GE(SpreadRight, 180);
    EXPECT_LE(SpreadRight, 190);
    EXPECT_LT(NaturalRight, 120);
    SelectObject(DC, Old);
    DeleteObject(Font);
}

// A sheet of every drawing routine, written for people to look at; QOR_PNG_DIR names the folder.
TEST(DrawUtilitiesSheet, RendersEveryRoutine)
{
    HDC DC = CreateRasterDC(420, 260, 96);
    HFONT Font = CreateFont(-13, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    HGDIOBJ OldFont = SelectObject(DC, Font);
    SetBkMode(DC, TRANSPARENT);
    const TQorShadePercent Shades[] = {spVeryDark, spDark, spMedDark, spMedium, spMedLight, spLight};
    for (int I = 0; I < 6; ++I) {
        QorShadeRect(DC, TRect(10 + I * 66, 10, 66 + I * 66, 60), Shades[I]);
        FrameRect(DC, TRect(10 + I * 66, 10, 66 + I * 66, 60), HBRUSH(GetStockObject(BLACK_BRUSH)));
    }
    for (int I = 0; I < 4; ++I) {
        const TRect Box(10 + I * 40, 75, 39 + I * 40, 104);
        FrameRect(DC, TRect(Box.Left, Box.Top, Box.Right + 1, Box.Bottom + 1), HBRUSH(GetStockObject(BLACK_BRUSH)));
        QorDrawCheckBox(DC, Box, I % 2 ? qcsCheck : qcsCross, I < 2 ? clBlack : clBlue, I < 2 ? 1 : 3);
    }
    SelectObject(DC, GetStockObject(LTGRAY_BRUSH));
    QorDrawShapeType(DC, dtArc, 180, 70, 230, 120, 230, 95, 205, 70);
    QorDrawShapeType(DC, dtChord, 240, 70, 290, 120, 290, 95, 240, 95);
    QorDrawShapeType(DC, dtPie, 300, 70, 350, 120, 350, 95, 325, 70);
    const TPoint Star[5] = {{385, 70}, {400, 118}, {360, 88}, {410, 88}, {370, 118}};
    QorPolyDrawType(DC, ptPolygon, Star, 5);
    const TRect Para(10, 135, 409, 250);
    const char* Lines[] = {"Justified text spreads its inner blanks so that", "every line but the last runs from margin to",
                           "margin, the slack shared out blank by blank.", "The last line keeps its spacing."};
    for (int I = 0; I < 4; ++I)
        QorTextJustify(DC, Para, 10, 135 + I * 18, Lines[I], I == 3, Para);
    SetTextAlign(DC, TA_CENTER);
    QorTextJustify(DC, Para, 210, 215, "A centred line", true, Para);
    SetTextAlign(DC, TA_RIGHT);
    QorTextJustify(DC, Para, 409, 233, "A right-aligned line", true, Para);
    const String Dir = GetEnvironmentVariable("QOR_PNG_DIR");
    const String File = Dir.empty() ? test::TestOutputFile("qor-draw-utilities.png") : Dir + "/qor-draw-utilities.png";
    EXPECT_TRUE(SaveDCToPng(DC, File));
    EXPECT_TRUE(FileExists(File));
    SelectObject(DC, OldFont);
    DeleteObject(Font);
    DeleteDC(DC);
}

} // namespace
