#include "DemoForm.h"

#include "platform/graphics/Gdi.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Render.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace qor;
using namespace qor::test;

namespace {

struct DCDeleter {
    void operator()(void* P) const { DeleteDC(HDC(reinterpret_cast<std::uintptr_t>(P))); }
};

class Picture {
public:
    explicit Picture(TControl* C) : FDC(RenderToDC(C)) {}
    ~Picture() { DeleteDC(FDC); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    TColor At(Integer X, Integer Y) const { return TColor(GetPixel(FDC, X, Y)); }
    TSize Size() const { return GetDCBitmapSize(FDC); }
    // Pixels in R that are not Background.
    Integer CountOther(const TRect& R, TColor Background) const
    {
        Integer n = 0;
        for (Integer y = R.Top; y < R.Bottom; ++y)
            for (Integer x = R.Left; x < R.Right; ++x)
                if (At(x, y) != Background)
                    ++n;
        return n;
    }

private:
    HDC FDC;
};

TColor Rgb(TColor C) { return TColor(ColorToRGB(C)); }

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtApplication(); }
};

} // namespace

TEST_F(RenderTest, DemoFormShowsMenuPanelButtonsEditListAndGrid)
{
    TDemoForm demo;
    std::unique_ptr<TForm> owner(demo.Form);
    const Integer menu = MenuBarHeight(demo.Form);
    ASSERT_GT(menu, 10);
    Picture pic(demo.Form);
    EXPECT_EQ(pic.Size(), TSize(420, 300 + menu));

    // menu bar: captions drawn in the bar, its bottom line in the shadow colour
    EXPECT_GT(pic.CountOther(Rect(0, 0, 120, menu - 1), Rgb(clBtnFace)), 20);
    EXPECT_EQ(pic.At(200, menu - 1), Rgb(clBtnShadow));

    // panel: raised bevel (light top-left, shadow bottom-right), caption between the buttons' right
    const Integer py = menu;
    EXPECT_EQ(pic.At(200, py), Rgb(clBtnHighlight));
    EXPECT_EQ(pic.At(419, py + 20), Rgb(clBtnShadow));
    EXPECT_EQ(pic.At(200, py + 40), Rgb(clBtnShadow));
    EXPECT_GT(pic.CountOther(Rect(180, py + 10, 240, py + 30), Rgb(clBtnFace)), 10);

    // buttons: a default button gets a dark outline; both faces carry their captions
    EXPECT_EQ(pic.At(8 + 30, py + 8), Rgb(clWindowFrame));
    EXPECT_EQ(pic.At(90 + 30, py + 8), Rgb(clBtnHighlight));
    EXPECT_GT(pic.CountOther(Rect(20, py + 12, 75, py + 29), Rgb(clBtnFace)), 10);

    // edit: sunken frame, white field with its text
    const Integer ey = menu + 50;
    EXPECT_EQ(pic.At(50, ey), Rgb(clBtnShadow));
    EXPECT_EQ(pic.At(150, ey + 10), Rgb(clWindow));
    EXPECT_GT(pic.CountOther(Rect(10, ey + 2, 80, ey + 19), Rgb(clWindow)), 20);

    // owner-drawn list: every item drawn once, swatches where the handler put them, the
    // selected item's background in the highlight colour
    EXPECT_EQ(demo.DrawnItems, (std::vector<Integer>{0, 1, 2, 3}));
    const Integer lx = 8 + 2, ly = menu + 80 + 2; // client origin inside the frame
    EXPECT_EQ(pic.At(lx + 10, ly + 10), Rgb(clRed));
    EXPECT_EQ(pic.At(lx + 10, ly + 20 + 10), Rgb(clLime));
    EXPECT_EQ(pic.At(lx + 10, ly + 40 + 10), Rgb(clBlue));
    EXPECT_EQ(pic.At(lx + 140, ly + 20 + 10), Rgb(clHighlight));
    EXPECT_EQ(pic.At(lx + 140, ly + 10), Rgb(clWindow));

    // grid: fixed row in the fixed colour with its title text, the selected row highlighted,
    // other cells white with text only where cells hold some
    const Integer gx = 170, gy = menu + 50;
    EXPECT_EQ(pic.At(gx + 71 + 60, gy + 12), Rgb(clBtnFace));
    EXPECT_GT(pic.CountOther(Rect(gx + 71 + 2, gy + 2, gx + 71 + 60, gy + 20), Rgb(clBtnFace)), 10);
    EXPECT_EQ(pic.At(gx + 71 + 65, gy + 23 + 12), Rgb(clHighlight));
    EXPECT_GT(pic.CountOther(Rect(gx + 71 + 2, gy + 46 + 2, gx + 71 + 60, gy + 46 + 20), Rgb(clWindow)), 10);
    EXPECT_EQ(pic.CountOther(Rect(gx + 71 + 2, gy + 69 + 2, gx + 71 + 60, gy + 69 + 20), Rgb(clWindow)), 0);

    // the picture as a file, for a person to look at
    const char* keep = std::getenv("QOR_KEEP_RENDER");
    const String path = keep && *keep ? String(keep) : CreateTempFile("qor-render") + ".png";
    RenderToPng(demo.Form, path);
    EXPECT_TRUE(FileExists(path));
    if (!(keep && *keep))
        std::remove(path.c_str());
}

TEST_F(RenderTest, HiddenControlsAreNotDrawnAndChildrenAreClippedToTheirParent)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 10, 50, 50);
    panel->SetBevelOuter(bvNone);
    panel->SetColor(clBlue);
    auto* inner = new TPanel(&form);
    inner->SetParent(panel);
    inner->SetBounds(30, 30, 100, 100); // reaches past its parent
    inner->SetBevelOuter(bvNone);
    inner->SetColor(clRed);
    auto* hidden = new TPanel(&form);
    hidden->SetParent(&form);
    hidden->SetBounds(100, 10, 50, 50);
    hidden->SetColor(clLime);
    hidden->SetVisible(false);

    Picture pic(&form);
    EXPECT_EQ(pic.At(15, 15), Rgb(clBlue));
    EXPECT_EQ(pic.At(45, 45), Rgb(clRed));
    EXPECT_EQ(pic.At(65, 45), Rgb(clBtnFace)); // outside the blue panel: clipped
    EXPECT_EQ(pic.At(120, 30), Rgb(clBtnFace));
}

TEST_F(RenderTest, PaintBoxPaintsThroughItsCanvasAtItsPlace)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 100, 100);
    auto* box = new TPaintBox(&form);
    box->SetParent(&form);
    box->SetBounds(20, 30, 40, 40);
    TRect clip;
    box->OnPaint = [&](TObject*) {
        box->Canvas()->Brush()->SetColor(clRed);
        box->Canvas()->FillRect(Rect(0, 0, 200, 10)); // wider than the box: clipped
        clip = box->Canvas()->ClipRect();
    };
    Picture pic(&form);
    EXPECT_EQ(pic.At(20, 30), Rgb(clRed));
    EXPECT_EQ(pic.At(59, 39), Rgb(clRed));
    EXPECT_EQ(pic.At(60, 35), Rgb(clBtnFace));
    EXPECT_EQ(pic.At(20, 40), Rgb(clBtnFace));
    EXPECT_EQ(clip, Rect(0, 0, 40, 40));
    // outside painting the canvas still measures text
    EXPECT_GT(box->Canvas()->TextWidth("Hello"), 10);
}

TEST_F(RenderTest, UnwritablePngIsAnError)
{
    TForm form(nullptr);
    EXPECT_THROW(RenderToPng(&form, "/nonexistent-dir/x/form.png"), EFCreateError);
}

TEST_F(RenderTest, ScrollBoxChildrenSitInsideItsFrame)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 200);
    auto* box = new TScrollBox(&form);
    box->SetParent(&form);
    box->SetBounds(10, 10, 100, 100);
    auto* child = new TPanel(&form);
    child->SetParent(box);
    child->SetBounds(0, 0, 20, 20);
    child->SetBevelOuter(bvNone);
    child->SetColor(clRed);
    EXPECT_EQ(child->ClientToScreen(Point(0, 0)), Point(12, 12));
    Picture pic(&form);
    EXPECT_EQ(pic.At(10, 10), Rgb(clBtnShadow)); // the sunken frame
    EXPECT_EQ(pic.At(12, 12), Rgb(clRed));
    EXPECT_EQ(pic.At(31, 31), Rgb(clRed));
    EXPECT_NE(pic.At(32, 32), Rgb(clRed));
    box->SetBorderStyle(bsNone);
    EXPECT_EQ(child->ClientToScreen(Point(0, 0)), Point(10, 10));

    // content taller than the box: a vertical scroll bar along its right edge, thumb at the top
    box->SetBorderStyle(bsSingle);
    child->SetHeight(300);
    Picture scrolled(&form);
    const Integer barLeft = 10 + 2 + 96 - ScrollBarSize;
    EXPECT_EQ(scrolled.At(barLeft, 12 + ScrollBarSize), Rgb(clBtnHighlight)); // the thumb's light edge
    EXPECT_EQ(scrolled.At(barLeft + 8, 12 + 60), Rgb(cl3DLight));          // the track below it
    EXPECT_EQ(box->ClientRect(), Rect(0, 0, 96 - ScrollBarSize, 96));
}
