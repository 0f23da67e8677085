// The canvas over a device context, and the screen.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DC = CreateRasterDC(100, 100, 96);
        Canvas.SetHandle(DC);
    }
    void TearDown() override
    {
        Canvas.SetHandle(HDC());
        DeleteDC(DC);
    }
    HDC DC;
    TCanvas Canvas;
};

TEST_F(CanvasTest, SelectsItsObjectsBeforeDrawing)
{
    Canvas.Brush()->SetColor(clRed);
    Canvas.Pen()->SetColor(clBlue);
    Canvas.Rectangle(10, 10, 20, 20);
    EXPECT_EQ(Canvas.Pixel(15, 15), clRed);
    EXPECT_EQ(Canvas.Pixel(10, 15), clBlue);
    EXPECT_EQ(Canvas.Pixel(20, 15), clWhite);
    // a change after drawing is picked up by the next call
    Canvas.Brush()->SetColor(clLime);
    Canvas.FillRect(TRect(30, 30, 40, 40));
    EXPECT_EQ(Canvas.Pixel(35, 35), clLime);
    Canvas.Pen()->SetMode(pmNot);
    Canvas.MoveTo(0, 50);
    Canvas.LineTo(10, 50);
    EXPECT_EQ(Canvas.Pixel(5, 50), clBlack);
    EXPECT_EQ(Canvas.PenPos(), TPoint(10, 50));
    Canvas.SetPixel(1, 1, clBtnFace);
    EXPECT_EQ(Canvas.Pixel(1, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(Canvas.ClipRect(), TRect(0, 0, 100, 100));
}

TEST_F(CanvasTest, TheHandleCarriesTheCanvasObjectsForDirectCalls)
{
    Canvas.Font()->SetName("DejaVu Serif");
    Canvas.Font()->SetColor(clRed);
    Canvas.Pen()->SetColor(clBlue);
    Canvas.Brush()->SetColor(clLime);
    HDC dc = Canvas.Handle();
    String face;
    GetTextFace(dc, face);
    EXPECT_EQ(face, "DejaVu Serif");
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), Canvas.Font()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), Canvas.Pen()->Handle());
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), Canvas.Brush()->Handle());
    EXPECT_EQ(GetTextColor(dc), COLORREF(ColorToRGB(clRed)));

    // drawn straight on the context: in the canvas's font and brush
    TRect r(0, 0, 100, 100);
    DrawText(dc, "Wg", r, DT_LEFT | DT_TOP);
    bool red = false;
    for (Integer y = 0; y < 30 && !red; ++y)
        for (Integer x = 0; x < 40 && !red; ++x)
            red = Canvas.Pixel(x, y) == clRed;
    EXPECT_TRUE(red);
    qor::FillRect(dc, TRect(50, 50, 60, 60), HBRUSH(GetCurrentObject(dc, OBJ_BRUSH)));
    EXPECT_EQ(Canvas.Pixel(55, 55), clLime);
}

TEST_F(CanvasTest, TextRectFillsUnlessTheBrushIsClear)
{
    Canvas.Font()->SetName("Arial");
    Canvas.Font()->SetSize(10);
    Canvas.Brush()->SetColor(clYellow);
    Canvas.TextRect(TRect(10, 10, 60, 30), 12, 12, "Hi");
    EXPECT_EQ(Canvas.Pixel(55, 25), clYellow);
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.TextRect(TRect(10, 40, 60, 60), 12, 42, "Hi");
    EXPECT_EQ(Canvas.Pixel(55, 55), clWhite);
    EXPECT_EQ(Canvas.TextWidth("HiHi"), 2 * Canvas.TextWidth("Hi"));
    TEXTMETRIC tm;
    GetTextMetrics(DC, tm);
    EXPECT_EQ(Canvas.TextHeight("Hi"), tm.tmHeight);
}

TEST_F(CanvasTest, ChangeEventsAndCopyRect)
{
    Integer changing = 0, changed = 0;
    Canvas.OnChanging = [&](TObject*) { ++changing; };
    Canvas.OnChange = [&](TObject*) { ++changed; };
    Canvas.Brush()->SetColor(clRed);
    Canvas.FillRect(TRect(0, 0, 5, 5));
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);

    HDC other = CreateRasterDC(20, 20);
    TCanvas target;
    target.SetHandle(other);
    target.CopyRect(TRect(0, 0, 10, 10), &Canvas, TRect(0, 0, 5, 5));
    EXPECT_EQ(target.Pixel(9, 9), clRed);
    EXPECT_EQ(target.Pixel(10, 10), clWhite);
    target.SetHandle(HDC());
    DeleteDC(other);

    TCanvas none;
    EXPECT_THROW(none.FillRect(TRect(0, 0, 1, 1)), EInvalidOperation);
    none.Draw(0, 0, nullptr); // nothing to draw, no context needed
}

TEST(ScreenMetrics, ResolutionAndFonts)
{
    const Integer saved = ScreenPixelsPerInch();
    EXPECT_EQ(Screen()->PixelsPerInch(), saved);
    SetScreenPixelsPerInch(120);
    EXPECT_EQ(Screen()->PixelsPerInch(), 120);
    TFont f; // fonts take the screen resolution
    EXPECT_EQ(f.PixelsPerInch(), 120);
    SetScreenPixelsPerInch(saved);
    EXPECT_GT(Screen()->Width(), 0);
    EXPECT_GE(Screen()->Fonts()->IndexOf("Liberation Sans"), 0);
    HDC screen = CreateScreenDC();
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), saved);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), Screen()->Width());
    DeleteDC(screen);
}

} // namespace
