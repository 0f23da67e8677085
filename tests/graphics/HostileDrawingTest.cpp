// Drawing calls fed values from files (metafile records): huge font heights, mirrored blits at the
// ends of the integer range, clip regions of many rectangles, and deep SaveDC nesting.

#include "platform/graphics/Gdi.h"

#include <gtest/gtest.h>

#include <limits>

using namespace qor;

namespace {

constexpr Integer Min = std::numeric_limits<Integer>::min();
constexpr Integer Max = std::numeric_limits<Integer>::max();

class HostileDrawing : public ::testing::Test {
protected:
    void SetUp() override
    {
        DC = CreateRasterDC(200, 200, 96);
        PatBlt(DC, 0, 0, 200, 200, WHITENESS);
    }
    void TearDown() override { DeleteDC(DC); }
    bool Ink(Integer X, Integer Y) const { return GetPixel(DC, X, Y) != RGB(255, 255, 255); }
    HDC DC;
};

TEST_F(HostileDrawing, FontHeightsAtTheEndsOfTheRangeDrawBounded)
{
    SetMapMode(DC, MM_ANISOTROPIC);
    SetWindowExtEx(DC, 2, 2);
    SetViewportExtEx(DC, 1, 1);
    for (Integer Height : {Min, Min + 1, Max}) {
        HFONT F = CreateFont(Height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
        HGDIOBJ Old = SelectObject(DC, F);
        TextOut(DC, 0, 0, "x");
        TSize Size;
        GetTextExtentPoint32(DC, "x", Size);
        EXPECT_LE(Size.cy, 1 << 17) << Height;
        SelectObject(DC, Old);
        DeleteObject(F);
    }
}

TEST_F(HostileDrawing, MirroredBlitsAtTheEndsOfTheRangeStayInside)
{
    HDC Src = CreateRasterDC(4, 4, 96);
    PatBlt(Src, 0, 0, 4, 4, BLACKNESS);
    for (auto [W, SX, SW] : {std::tuple{-5, Max, Max}, std::tuple{Min, 0, 4}, std::tuple{-5, Min + 1, Min + 1}}) {
        StretchBlt(DC, 10, 10, W, 5, Src, SX, 0, SW, 4, SRCCOPY);
        StretchBlt(DC, 10, 10, 5, W, Src, 0, SX, 4, SW, SRCCOPY);
    }
    // A plain mirrored copy still draws, flipped.
    PatBlt(Src, 0, 0, 2, 4, WHITENESS);
    StretchBlt(DC, 100, 100, -4, 4, Src, 0, 0, 4, 4, SRCCOPY);
    EXPECT_TRUE(Ink(96, 100));
    EXPECT_FALSE(Ink(99, 100));
    DeleteDC(Src);
}

TEST_F(HostileDrawing, AStaircaseOfExcludedRectanglesClipsExactly)
{
    // 600 steps: each combine used to cost the cube of the rectangles, which took minutes.
    for (Integer I = 0; I < 600; ++I)
        ExcludeClipRect(DC, I / 4, I / 4, I / 4 + 1, I / 4 + 1 + (I % 4));
    HBRUSH Black = CreateSolidBrush(RGB(0, 0, 0));
    SelectObject(DC, Black);
    PatBlt(DC, 0, 0, 200, 200, PATCOPY);
    for (Integer I = 0; I < 150; ++I) {
        EXPECT_FALSE(Ink(I, I)) << I; // excluded: the diagonal stays white
        EXPECT_TRUE(Ink(I, I + 5)) << I;
    }
    SelectObject(DC, GetStockObject(WHITE_BRUSH));
    DeleteObject(Black);
}

TEST_F(HostileDrawing, SaveDCIsBoundedAndSavedStatesRestore)
{
    for (Integer I = 0; I < 40; ++I)
        ExcludeClipRect(DC, I * 4, 0, I * 4 + 2, 2);
    Integer Last = 0, Refused = 0;
    for (Integer I = 0; I < 100000; ++I) {
        const Integer Level = SaveDC(DC);
        if (Level == 0)
            ++Refused;
        else
            Last = Level;
    }
    EXPECT_GT(Refused, 0) << "nesting is bounded";
    EXPECT_GE(Last, 1000);
    SetTextColor(DC, RGB(1, 2, 3));
    EXPECT_TRUE(RestoreDC(DC, 1));
    EXPECT_EQ(GetTextColor(DC), RGB(0, 0, 0));
    EXPECT_GT(SaveDC(DC), 0) << "room again once restored";
}

} // namespace
