#include "platform/graphics/Gdi.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Render.h"
#include "platform/ui/UiScreen.h"

#include <gtest/gtest.h>

#include <memory>

using namespace qor;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        form.SetBounds(0, 0, 300, 200);
    }
    TSpeedButton* Speed(Integer Group)
    {
        auto* b = new TSpeedButton(&form);
        b->SetParent(&form);
        b->SetGroupIndex(Group);
        return b;
    }
    TForm form{nullptr};
};

TColor Rgb(TColor C) { return TColor(ColorToRGB(C)); }

} // namespace

TEST_F(ControlsTest, SpeedButtonsOfAGroupKeepOneDown)
{
    TSpeedButton* a = Speed(1);
    TSpeedButton* b = Speed(1);
    TSpeedButton* other = Speed(2);
    TSpeedButton* plain = Speed(0);
    a->SetDown(true);
    other->SetDown(true);
    b->Click();
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(other->Down()); // another group
    b->Click();                 // no AllowAllUp: stays down
    EXPECT_TRUE(b->Down());
    b->SetDown(false);
    EXPECT_TRUE(b->Down());
    a->SetAllowAllUp(true); // for the whole group
    EXPECT_TRUE(b->AllowAllUp());
    b->Click();
    EXPECT_FALSE(b->Down());
    plain->SetDown(true); // ungrouped buttons never stay down
    EXPECT_FALSE(plain->Down());
    // a click by mouse reaches OnClick
    bool clicked = false;
    plain->SetBounds(0, 0, 23, 22);
    plain->OnClick = [&](TObject*) { clicked = true; };
    plain->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(plain->Pressed());
    plain->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(clicked);
    EXPECT_FALSE(plain->Pressed());
}

TEST_F(ControlsTest, BitBtnKindsSetCaptionResultAndRoles)
{
    auto* ok = new TBitBtn(&form);
    ok->SetParent(&form);
    ok->SetKind(bkOK);
    EXPECT_EQ(ok->Caption(), "OK");
    EXPECT_EQ(ok->ModalResult(), mrOk);
    EXPECT_TRUE(ok->Default());
    auto* no = new TBitBtn(&form);
    no->SetKind(bkNo);
    EXPECT_EQ(no->ModalResult(), mrNo);
    EXPECT_TRUE(no->Cancel());
    ok->Click();
    EXPECT_EQ(form.ModalResult(), mrOk);
    // a bkClose button closes its form
    form.Show();
    auto* close = new TBitBtn(&form);
    close->SetParent(&form);
    close->SetKind(bkClose);
    close->Click();
    EXPECT_FALSE(form.Visible());
}

TEST_F(ControlsTest, GlyphsAreDrawnWithoutTheirTransparentColour)
{
    TBitmap glyph;
    glyph.SetSize(8, 4); // two 4 x 4 glyphs
    for (Integer y = 0; y < 4; ++y)
        for (Integer x = 0; x < 8; ++x)
            glyph.SetPixel(x, y, clFuchsia);
    glyph.SetPixel(1, 1, clRed);  // first glyph
    glyph.SetPixel(5, 1, clBlue); // second glyph
    HDC dc = CreateRasterDC(20, 20);
    TCanvas c;
    c.SetHandle(dc);
    DrawGlyph(&c, &glyph, 2, 1, 10, 10);
    EXPECT_EQ(TColor(GetPixel(dc, 11, 11)), Rgb(clBlue));
    EXPECT_EQ(TColor(GetPixel(dc, 10, 10)), Rgb(clWhite)); // transparent: untouched
    DrawGlyph(&c, &glyph, 2, 0, 0, 0);
    EXPECT_EQ(TColor(GetPixel(dc, 1, 1)), Rgb(clRed));
    c.SetHandle(HDC());
    DeleteDC(dc);

    auto* btn = new TBitBtn(&form);
    btn->SetParent(&form);
    btn->SetBounds(0, 0, 75, 25);
    btn->SetCaption("Go");
    btn->SetNumGlyphs(2);
    btn->SetGlyph(&glyph);
    TPoint at;
    TRect text;
    TCanvas measure;
    measure.SetHandle(CreateScreenDC());
    LayoutGlyphAndCaption(&measure, Rect(0, 0, 75, 25), btn->Glyph(), 2, "Go", blGlyphLeft, -1, 4, at, text);
    DeleteDC(measure.Handle());
    measure.SetHandle(HDC());
    EXPECT_EQ(text.Left, at.X + 4 + 4);
    EXPECT_EQ((at.X + text.Right) / 2, 75 / 2); // glyph and caption centred together
    HDC pic = RenderToDC(&form);
    EXPECT_EQ(TColor(GetPixel(pic, at.X + 1, at.Y + 1)), Rgb(clRed));
    DeleteDC(pic);
}

TEST_F(ControlsTest, RadioGroupMakesAButtonPerItemAndTracksTheChoice)
{
    auto* group = new TRadioGroup(&form);
    group->SetParent(&form);
    group->SetBounds(0, 0, 200, 100);
    group->SetColumns(2);
    for (const char* s : {"Printer", "Screen", "File"})
        group->Items()->Add(s);
    EXPECT_EQ(group->ControlCount(), 3);
    EXPECT_EQ(group->Buttons(2)->Caption(), "File");
    EXPECT_EQ(group->Buttons(2)->Left(), group->Buttons(0)->Left() + 94); // second column
    Integer clicks = 0;
    group->OnClick = [&](TObject*) { ++clicks; };
    group->Buttons(1)->Click();
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
    group->SetItemIndex(2);
    EXPECT_TRUE(group->Buttons(2)->Checked());
    EXPECT_FALSE(group->Buttons(1)->Checked());
    EXPECT_THROW(group->SetItemIndex(3), EListError);
    group->Items()->Delete(2);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_EQ(group->ControlCount(), 2);
    // its buttons are its own, not the form's: they are not written into form files
    EXPECT_EQ(WriteComponentToText(&form).find("TRadioButton"), String::npos);
    // a button freed on its own leaves the group; freeing the group frees the rest once
    Free(group->Buttons(0));
    EXPECT_EQ(group->ControlCount(), 1);
    group->SetItemIndex(0);
    Free(group);
    EXPECT_EQ(form.ControlCount(), 0);
}

TEST_F(ControlsTest, ChildrenFollowTheirParentsFontUntilGivenTheirOwn)
{
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    form.Font()->SetName("Arial");
    form.Font()->SetSize(14);
    EXPECT_EQ(panel->Font()->Name(), "Arial");
    EXPECT_EQ(label->Font()->Size(), 14);
    EXPECT_TRUE(label->ParentFont());
    label->Font()->SetStyle({fsBold});
    EXPECT_FALSE(label->ParentFont());
    form.Font()->SetSize(20);
    EXPECT_EQ(panel->Font()->Size(), 20);
    EXPECT_EQ(label->Font()->Size(), 14); // has its own now
    label->SetParentFont(true);
    EXPECT_EQ(label->Font()->Size(), 20);
    // a control's own font is written to the form file, an inherited one is not
    panel->Font()->SetColor(clRed);
    const String text = WriteComponentToText(&form);
    EXPECT_NE(text.find("Font.Color = clRed"), String::npos) << text;
    EXPECT_EQ(text.find("Font.Style"), String::npos) << text;
}

TEST_F(ControlsTest, RightClickPopsUpTheNearestPopupMenu)
{
    auto* menu = new TPopupMenu(&form);
    auto* item = new TMenuItem(&form);
    item->SetCaption("Copy");
    menu->Items()->Add(item);
    form.SetPopupMenu(menu);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(10, 10, 50, 50);
    Integer popups = 0;
    menu->OnPopup = [&](TObject*) { ++popups; };
    panel->Perform(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    panel->Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(menu->PopupComponent(), panel);
    menu->SetAutoPopup(false);
    panel->Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(popups, 1);
    // freeing the menu leaves no dangling reference
    Free(menu);
    EXPECT_EQ(form.PopupMenu(), nullptr);
    panel->Perform(WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    // a caption as it reads: hot-key markers go, "&&" is one "&"
    EXPECT_EQ(StripHotkey("Se&lect A&&B&"), "Select A&B");
}

TEST_F(ControlsTest, ScreenKnowsTheFormsTheActiveOneAndTheCursor)
{
    const Integer before = UiScreen()->FormCount();
    auto second = std::make_unique<TForm>(nullptr);
    EXPECT_EQ(UiScreen()->FormCount(), before + 1);
    form.Show();
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetFocus();
    EXPECT_EQ(UiScreen()->ActiveForm(), &form);
    EXPECT_EQ(UiScreen()->ActiveControl(), edit);
    second->Show();
    EXPECT_EQ(UiScreen()->ActiveForm(), second.get());
    second->Hide();
    EXPECT_EQ(UiScreen()->ActiveForm(), &form);
    UiScreen()->SetCursor(crHourGlass);
    EXPECT_EQ(UiScreen()->Cursor(), crHourGlass);
    UiScreen()->SetCursor(crDefault);
    EXPECT_EQ(UiScreen()->PixelsPerInch(), Screen()->PixelsPerInch());
    form.Hide();
}
