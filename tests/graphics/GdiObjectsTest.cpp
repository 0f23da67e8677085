// GDI objects and handles; fonts, pens and brushes as persistent objects; colours.

#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

TEST(GdiObjects, DescriptionsReadBackThroughGetObject)
{
    HPEN pen = CreatePen(PS_DASHDOT, 3, RGB(1, 2, 3));
    LOGPEN lp;
    ASSERT_TRUE(GetObject(pen, lp));
    EXPECT_EQ(lp.lopnStyle, PS_DASHDOT);
    EXPECT_EQ(lp.lopnWidth.X, 3);
    EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
    EXPECT_EQ(GetObject(pen, 0, nullptr), 16);
    char small[8];
    EXPECT_EQ(GetObject(pen, sizeof small, small), 0);

    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(9, 9, 9));
    LOGBRUSH lb;
    ASSERT_TRUE(GetObject(hatch, lb));
    EXPECT_EQ(lb.lbStyle, BS_HATCHED);
    EXPECT_EQ(lb.lbHatch, HS_DIAGCROSS);
    EXPECT_EQ(GetObject(hatch, 0, nullptr), 12);

    LOGFONT in;
    in.lfHeight = -13;
    in.lfWeight = FW_BOLD;
    const char16_t face[] = u"A face name that is far longer than thirty-one units";
    std::copy(face, face + LF_FACESIZE, in.lfFaceName); // no terminator within 32 units
    HFONT font = CreateFontIndirect(in);
    LOGFONT out;
    ASSERT_TRUE(GetObject(font, out));
    EXPECT_EQ(out.lfHeight, -13);
    EXPECT_EQ(out.lfWeight, FW_BOLD);
    EXPECT_EQ(out.lfFaceName[LF_FACESIZE - 1], 0); // always terminated
    EXPECT_EQ(GetObject(font, 0, nullptr), 92);
    EXPECT_EQ(GetObjectType(font), OBJ_FONT);
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);

    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(hatch));
    EXPECT_TRUE(DeleteObject(font));
}

TEST(GdiObjects, DeletedAndUnknownHandlesFailQuietly)
{
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(DeleteObject(pen));
    LOGPEN lp;
    EXPECT_FALSE(GetObject(pen, lp));
    EXPECT_EQ(GetObjectType(pen), 0);
    HDC dc = CreateRasterDC(10, 10);
    EXPECT_FALSE(SelectObject(dc, pen));
    EXPECT_FALSE(SelectObject(dc, HGDIOBJ(std::uintptr_t(0xDEADBEEF))));
    EXPECT_FALSE(SelectObject(HDC(std::uintptr_t(0xDEADBEEF)), GetStockObject(BLACK_PEN)));
    EXPECT_EQ(FillRect(dc, TRect(0, 0, 5, 5), HBRUSH(std::uintptr_t(0xDEADBEEF))), 0);
    EXPECT_EQ(FillRect(dc, TRect(0, 0, 5, 5), HBRUSH(std::uintptr_t(COLOR_HIGHLIGHT + 1))), 1); // a system colour
    EXPECT_EQ(GetPixel(dc, 2, 2), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(GetStockObject(9), HGDIOBJ());
    EXPECT_EQ(GetStockObject(999), HGDIOBJ());
    // stock objects cannot be deleted
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), OBJ_BRUSH);
    DeleteDC(dc);
}

TEST(GdiObjects, ObjectsDeletedWhileSelectedStayUsable)
{
    HDC dc = CreateRasterDC(20, 20);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    HGDIOBJ previous = SelectObject(dc, red);
    EXPECT_EQ(previous, GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteObject(red)); // still selected: released once deselected
    EXPECT_TRUE(Rectangle(dc, 0, 0, 10, 10));
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
    HGDIOBJ back = SelectObject(dc, previous);
    EXPECT_EQ(HBRUSH(back), red); // the old handle value comes back, but is no longer valid
    EXPECT_EQ(GetObjectType(back), 0);
    DeleteDC(dc);
}

TEST(GdiObjects, RegionsCombine)
{
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(5, 5, 15, 15);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), SIMPLEREGION);
    TRect box;
    GetRgnBox(d, box);
    EXPECT_EQ(box, TRect(5, 5, 10, 10));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_OR), COMPLEXREGION);
    GetRgnBox(d, box);
    EXPECT_EQ(box, TRect(0, 0, 15, 15));
    EXPECT_TRUE(PtInRegion(d, 12, 12));
    EXPECT_FALSE(PtInRegion(d, 12, 2));
    EXPECT_EQ(CombineRgn(d, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(PtInRegion(d, 7, 7));
    EXPECT_TRUE(PtInRegion(d, 2, 7));
    EXPECT_EQ(CombineRgn(d, a, a, RGN_XOR), NULLREGION);
    for (HRGN r : {a, b, d})
        DeleteObject(r);
}

TEST(Colors, SystemColoursNamesAndConversions)
{
    EXPECT_EQ(clBtnFace, TColor(0x8000000F));
    EXPECT_EQ(ColorToRGB(clBtnFace), Integer(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201u);
    EXPECT_EQ(GetBValue(RGB(1, 2, 3)), 3);
    EXPECT_EQ(ColorToString(clBtnFace), "clBtnFace");
    EXPECT_EQ(ColorToString(0x123456), "$00123456");
    EXPECT_EQ(StringToColor("clwhite"), clWhite);
    EXPECT_EQ(StringToColor("$00FF0000"), clBlue);
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_THROW(StringToColor("clNoSuchColour"), EConvertError);
    EXPECT_THROW(StringToColor("$"), EConvertError);
}

TEST(GraphicsObjects, FontHandleFollowsTheDescription)
{
    TFont f;
    Integer changes = 0;
    f.OnChange = [&](TObject*) { ++changes; };
    f.SetName("Times New Roman");
    f.SetStyle(TFontStyles{fsBold, fsUnderline});
    f.SetOrientation(900);
    EXPECT_EQ(changes, 3);
    LOGFONT lf;
    ASSERT_TRUE(GetObject(f.Handle(), lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfEscapement, 900);
    EXPECT_EQ(lf.lfHeight, f.Height());
    EXPECT_EQ(std::u16string(lf.lfFaceName), u"Times New Roman");
    HFONT first = f.Handle();
    EXPECT_EQ(f.Handle(), first); // made once
    f.SetHeight(-30);
    EXPECT_EQ(GetObjectType(first), 0); // the old object is gone
    ASSERT_TRUE(GetObject(f.Handle(), lf));
    EXPECT_EQ(lf.lfHeight, -30);
    f.SetName(""); // refused
    EXPECT_EQ(f.Name(), "Times New Roman");

    TFont g;
    g.Assign(&f);
    EXPECT_EQ(g.Name(), f.Name());
    EXPECT_EQ(g.Style(), f.Style());
    EXPECT_EQ(g.Height(), -30);

    g.SetHandle(HFONT(GetStockObject(SYSTEM_FONT)));
    EXPECT_EQ(g.Name(), "System");
    EXPECT_TRUE(g.Style().Contains(fsBold));
    EXPECT_EQ(g.Handle(), HFONT(GetStockObject(SYSTEM_FONT)));
    g.SetSize(12); // leaves the stock object alone
    EXPECT_EQ(GetObjectType(GetStockObject(SYSTEM_FONT)), OBJ_FONT);

    TPen pen;
    EXPECT_THROW(g.Assign(&pen), EConvertError);
}

TEST(GraphicsObjects, PensAndBrushesKeepTheirOrdinals)
{
    EXPECT_EQ(int(psInsideFrame), 6);
    EXPECT_EQ(int(pmNotXor), 15);
    EXPECT_EQ(int(bsDiagCross), 7);
    EXPECT_EQ(PenModeToRop2(pmCopy), R2_COPYPEN);
    EXPECT_EQ(PenModeToRop2(pmXor), R2_XORPEN);
    EXPECT_EQ(PenModeToRop2(pmMergePenNot), R2_MERGEPENNOT);

    TPen pen;
    pen.SetColor(clBtnShadow);
    pen.SetWidth(4);
    pen.SetStyle(psDot);
    LOGPEN lp;
    ASSERT_TRUE(GetObject(pen.Handle(), lp));
    EXPECT_EQ(lp.lopnStyle, PS_DOT);
    EXPECT_EQ(lp.lopnWidth.X, 4);
    EXPECT_EQ(lp.lopnColor, GetSysColor(COLOR_BTNSHADOW)); // system colours resolved

    TBrush brush;
    brush.SetStyle(bsBDiagonal);
    brush.SetColor(clNavy);
    LOGBRUSH lb;
    ASSERT_TRUE(GetObject(brush.Handle(), lb));
    EXPECT_EQ(lb.lbStyle, BS_HATCHED);
    EXPECT_EQ(lb.lbHatch, HS_BDIAGONAL);
    EXPECT_EQ(lb.lbColor, COLORREF(clNavy));
    brush.SetStyle(bsClear);
    ASSERT_TRUE(GetObject(brush.Handle(), lb));
    EXPECT_EQ(lb.lbStyle, BS_NULL);
    TBrush copy;
    copy.SetHandle(brush.Handle());
    EXPECT_EQ(copy.Style(), bsClear);
}

} // namespace

namespace {

// A change handler that reads the handle (as a canvas does to learn the new description) must see
// the handle just given, not a fresh object made from the description and then dropped unowned.
TEST(GraphicsObjects, SetHandleAnnouncesTheGivenHandle)
{
    HFONT font = CreateFont(-40, 0, 0, 0, 550, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
    TFont f;
    HFONT seenFont;
    f.OnChange = [&](TObject*) { seenFont = f.Handle(); };
    f.SetHandle(font);
    EXPECT_EQ(seenFont, font);
    EXPECT_EQ(f.Handle(), font);
    LOGFONT lf;
    ASSERT_TRUE(GetObject(f.Handle(), lf));
    EXPECT_EQ(lf.lfWeight, 550); // the object's own description, not one rebuilt from the properties
    TFont g;
    HFONT own = g.Handle();
    g.SetHandle(own); // taking its own handle again keeps it alive
    EXPECT_EQ(GetObjectType(own), OBJ_FONT);
    EXPECT_EQ(g.Handle(), own);

    HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
    TPen p;
    HPEN seenPen;
    p.OnChange = [&](TObject*) { seenPen = p.Handle(); };
    p.SetHandle(pen);
    EXPECT_EQ(seenPen, pen);

    HBRUSH brush = CreateHatchBrush(HS_CROSS, RGB(4, 5, 6));
    TBrush b;
    HBRUSH seenBrush;
    b.OnChange = [&](TObject*) { seenBrush = b.Handle(); };
    b.SetHandle(brush);
    EXPECT_EQ(seenBrush, brush);

    f.OnChange = nullptr;
    p.OnChange = nullptr;
    b.OnChange = nullptr;
    f.SetSize(20); // the font lets go of the object it did not make without deleting it
    EXPECT_EQ(GetObjectType(font), OBJ_FONT);
    DeleteObject(font);
    DeleteObject(pen);
    DeleteObject(brush);
}

} // namespace
