// Real windows: these tests need a display. Without one they skip; XvfbRun runs them under a
// virtual X server when xvfb-run is installed (scripts/xvfb-ui-tests.sh does the same by hand).
#include "DemoForm.h"
#include "common/XvfbRun.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Render.h"
#include "platform/ui/internal/NativeBridge.h"
#include "common/RealWindows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>
#include <unistd.h>

using namespace qor;
using namespace qor::test;

namespace {

// A demo form that clicks its own OK button natively when it gets WM_USER + 5.
class TSelfClosing : public TForm {
public:
    using TForm::TForm;
    TButton* Target = nullptr;
    void ClickTarget(TMessage&) { NativeClick(Target); }
};

// Paints itself in one colour, and notes what was under a point when each paint began.
class TSwatch : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TColor Fill = clRed;
    std::vector<TColor> Under;
    std::vector<TRect> Clips;

protected:
    void Paint() override
    {
        Under.push_back(Canvas()->Pixel(15, 15));
        Clips.push_back(Canvas()->ClipRect());
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(ClientRect());
    }
};

} // namespace

QOR_MESSAGE(WM_USER + 5, &TSelfClosing::ClickTarget);

TEST(NativeWindow, DemoFormOpensAsARealWindowMirroringItsControls)
{
    REQUIRE_DISPLAY();
    TDemoForm demo;
    std::unique_ptr<TForm> owner(demo.Form);
    bool cancelled = false;
    demo.Cancel->OnClick = [&](TObject*) { cancelled = true; };
    Integer changes = 0;
    demo.Edit->OnChange = [&](TObject*) { ++changes; };

    demo.Form->Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(demo.Form).Visible; }));
    const TNativeState window = NativeStateOf(demo.Form);
    EXPECT_EQ(window.Kind, "window");
    EXPECT_EQ(window.Text, "Demo");
    EXPECT_EQ(window.MenuItems, (std::vector<String>{"&File", "&Edit", "&Help"}));

    const TNativeState ok = NativeStateOf(demo.Ok);
    EXPECT_EQ(ok.Kind, "button");
    EXPECT_EQ(ok.Text, "&OK");
    EXPECT_EQ(ok.Bounds, Rect(8, 8, 83, 33));
    EXPECT_TRUE(ok.Visible);
    EXPECT_EQ(NativeStateOf(demo.Edit).Text, "Edit text");
    EXPECT_EQ(NativeStateOf(demo.Panel).Kind, "painted");
    EXPECT_EQ(NativeStateOf(demo.Grid).Kind, "painted");
    EXPECT_EQ(NativeStateOf(demo.List).Kind, "painted"); // owner-drawn
    // owner drawing happens when the window paints
    EXPECT_TRUE(PumpUntil([&] { return !demo.DrawnItems.empty(); }));

    // the control's changes show in the widget ...
    demo.Edit->SetText("changed");
    demo.Ok->SetEnabled(false);
    demo.Cancel->SetCaption("Stop");
    EXPECT_EQ(NativeStateOf(demo.Edit).Text, "changed");
    EXPECT_FALSE(NativeStateOf(demo.Ok).Enabled);
    EXPECT_EQ(NativeStateOf(demo.Cancel).Text, "Stop");
    // ... and what the user does reaches the control
    changes = 0;
    NativeSetText(demo.Edit, "typed");
    EXPECT_EQ(demo.Edit->Text(), "typed");
    EXPECT_EQ(changes, 1);
    NativeClick(demo.Cancel);
    EXPECT_TRUE(cancelled);
    // focus moved on screen becomes the form's active control
    NativeSetFocus(demo.Edit);
    EXPECT_TRUE(PumpUntil([&] { return demo.Form->ActiveControl() == demo.Edit; }));
    // a key pressed in an edit reaches its OnKeyDown (the inspector takes a value on Return)
    Word pressed = 0;
    demo.Edit->OnKeyDown = [&pressed](TObject*, Word& Key, TShiftState) {
        pressed = Key;
        Key = 0;
    };
    NativeKey(demo.Form, VK_RETURN);
    EXPECT_EQ(pressed, VK_RETURN);
    demo.Edit->OnKeyDown = nullptr;

    const char* keep = std::getenv("QOR_KEEP_GRAB");
    const String path = keep && *keep ? String(keep) : CreateTempFile("qor-grab") + ".png";
    EXPECT_TRUE(NativeGrabToPng(demo.Form, path));
    EXPECT_TRUE(FileExists(path));
    if (!(keep && *keep))
        std::remove(path.c_str());

    // the menu bar follows its items; a freed item leaves the bar
    demo.Menu->Items()->Items(1)->SetCaption("&Change");
    EXPECT_EQ(NativeStateOf(demo.Form).MenuItems, (std::vector<String>{"&File", "&Change", "&Help"}));
    Free(demo.Menu->Items()->Items(2));
    EXPECT_EQ(NativeStateOf(demo.Form).MenuItems, (std::vector<String>{"&File", "&Change"}));
    // staying on top does not lose the window
    demo.Form->SetFormStyle(fsStayOnTop);
    EXPECT_TRUE(PumpUntil([&] { return NativeStateOf(demo.Form).Visible; }));

    demo.Form->Hide();
    EXPECT_FALSE(NativeStateOf(demo.Form).Visible);
}

TEST(NativeWindow, PartOfAControlRepaintsWithOrWithoutErasing)
{
    REQUIRE_DISPLAY();
    TForm form(nullptr);
    form.SetBounds(100, 100, 200, 150);
    form.SetColor(clBlue);
    auto* swatch = new TSwatch(&form);
    swatch->SetBounds(0, 0, 100, 100);
    swatch->SetParent(&form);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return !swatch->Under.empty(); }));
    EXPECT_EQ(swatch->Under.back(), clBlue); // a whole repaint lays the background first

    swatch->Under.clear();
    swatch->Clips.clear();
    swatch->InvalidateRect(Rect(10, 10, 20, 20), false);
    ASSERT_TRUE(PumpUntil([&] { return !swatch->Under.empty(); }));
    EXPECT_EQ(swatch->Under.back(), clRed); // what it showed is still there
    EXPECT_EQ(swatch->Clips.back(), Rect(10, 10, 20, 20));

    swatch->Under.clear();
    swatch->InvalidateRect(Rect(10, 10, 20, 20), true);
    ASSERT_TRUE(PumpUntil([&] { return !swatch->Under.empty(); }));
    EXPECT_EQ(swatch->Under.back(), clBlue);

    // a change of the control (its caption) paints it again over the background
    swatch->Under.clear();
    swatch->SetCaption("changed");
    ASSERT_TRUE(PumpUntil([&] { return !swatch->Under.empty(); }));
    EXPECT_EQ(swatch->Under.back(), clBlue);
    form.Hide();
}

TEST(NativeWindow, AWindowGoesOnTopAndBackWithoutMovingOrTakingTheKeyboard)
{
    REQUIRE_DISPLAY();
    TForm viewer(nullptr);
    viewer.SetBounds(120, 110, 220, 140);
    viewer.SetFormStyle(fsStayOnTop);
    viewer.Show();
    TForm dialog(nullptr);
    dialog.SetBounds(200, 200, 150, 100);
    dialog.Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&viewer).Visible && NativeStateOf(&dialog).Visible; }));
    ASSERT_TRUE(NativeStateOf(&viewer).Topmost);
    // The window shown last takes the keyboard a moment after it shows; let that settle first.
    const auto Settle = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!NativeStateOf(&dialog).ActiveWindow && std::chrono::steady_clock::now() < Settle)
        PumpUntil([] { return true; });
    const TRect where = NativeStateOf(&viewer).Bounds;
    const bool viewerHadKeyboard = NativeStateOf(&viewer).ActiveWindow;

    viewer.SetTopmost(false);
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&viewer).Visible; }));
    EXPECT_FALSE(NativeStateOf(&viewer).Topmost);
    EXPECT_EQ(viewer.FormStyle(), fsStayOnTop);
    EXPECT_EQ(NativeStateOf(&viewer).Bounds, where);
    EXPECT_EQ(NativeStateOf(&viewer).ActiveWindow, viewerHadKeyboard);

    viewer.SetTopmost(true);
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&viewer).Visible; }));
    EXPECT_TRUE(NativeStateOf(&viewer).Topmost);
    EXPECT_EQ(NativeStateOf(&viewer).Bounds, where);
    EXPECT_EQ(NativeStateOf(&viewer).ActiveWindow, viewerHadKeyboard);
    // moved by the program, the shown window goes along
    viewer.SetBounds(where.Left + 30, where.Top + 20, 220, 140);
    EXPECT_EQ(NativeStateOf(&viewer).Bounds.TopLeft(), TPoint(where.Left + 30, where.Top + 20));
    dialog.Hide();
    viewer.Hide();
}

TEST(NativeWindow, TypingIntoAMaskedEditKeepsOnlyWhatTheMaskTakes)
{
    REQUIRE_DISPLAY();
    TForm form(nullptr);
    form.SetBounds(100, 100, 200, 80);
    auto* page = new TMaskEdit(&form);
    page->SetParent(&form);
    page->SetEditMask("999999;0");
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(page).Visible; }));
    NativeSetText(page, "4x2");
    EXPECT_EQ(page->Text(), "42");
    EXPECT_EQ(NativeStateOf(page).Text, "42");
    NativeSetText(page, "99999999");
    EXPECT_EQ(NativeStateOf(page).Text, "999999");
    form.Hide();
}

TEST(NativeWindow, ModalWindowEndsWithTheButtonsModalResult)
{
    REQUIRE_DISPLAY();
    DialogService().Reset();
    TSelfClosing form(nullptr);
    form.SetBounds(100, 100, 200, 100);
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetCaption("OK");
    ok->SetModalResult(mrOk);
    form.Target = ok;
    PostMessage(form.Handle(), WM_USER + 5);
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(NativeStateOf(&form).Visible);
}

TEST(NativeWindow, AnIdleModalWindowSleepsUntilSomethingHappens)
{
    REQUIRE_DISPLAY();
    DialogService().Reset();
    TSelfClosing form(nullptr);
    form.SetBounds(100, 100, 200, 100);
    auto* ok = new TButton(&form);
    ok->SetParent(&form);
    ok->SetModalResult(mrOk);
    form.Target = ok;
    // Nothing happens for 400 ms; then a message is posted from another thread.
    const HWND Handle = form.Handle();
    std::thread Later([Handle] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        PostMessage(Handle, WM_USER + 5);
    });
    const std::clock_t Before = std::clock();
    EXPECT_EQ(form.ShowModal(), mrOk);
    const double CpuSeconds = double(std::clock() - Before) / CLOCKS_PER_SEC;
    Later.join();
    EXPECT_LT(CpuSeconds, 0.2) << "the modal loop spins instead of waiting for events";
}

TEST(NativeWindow, ListAndCheckWidgetsFollowTheControls)
{
    REQUIRE_DISPLAY();
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 200);
    auto* list = new TListBox(&form);
    list->SetParent(&form);
    list->Items()->Add("one");
    list->Items()->Add("two");
    auto* check = new TCheckBox(&form);
    check->SetParent(&form);
    check->SetTop(120);
    check->SetCaption("Check");
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&form).Visible; }));
    EXPECT_EQ(NativeStateOf(list).Kind, "list");
    EXPECT_EQ(NativeStateOf(list).ItemCount, 2);
    list->Items()->Add("three");
    list->SetItemIndex(2);
    EXPECT_EQ(NativeStateOf(list).ItemCount, 3);
    EXPECT_EQ(NativeStateOf(list).ItemIndex, 2);
    NativeSelectItem(list, 0);
    EXPECT_EQ(list->ItemIndex(), 0);
    NativeClick(check);
    EXPECT_TRUE(check->Checked());
    EXPECT_TRUE(NativeStateOf(check).Checked);
    // switching to owner drawing swaps the widget for a painted one
    list->SetStyle(lbOwnerDrawFixed);
    form.Invalidate();
    EXPECT_EQ(NativeStateOf(list).Kind, "painted");
    form.Hide();
}

// Labels, check boxes and radio buttons stand on their parent's colour, on screen as offscreen.
TEST(NativeWindow, LabelsAndCheckBoxesShowTheirParentsColourAsOffscreen)
{
    REQUIRE_DISPLAY();
    TForm form(nullptr);
    form.SetBounds(0, 0, 240, 120);
    form.SetColor(clBtnFace);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 200, 20);
    label->SetCaption("Label");
    auto* check = new TCheckBox(&form);
    check->SetParent(&form);
    check->SetBounds(10, 40, 200, 20);
    check->SetCaption("Check");
    auto* radio = new TRadioButton(&form);
    radio->SetParent(&form);
    radio->SetBounds(10, 70, 200, 20);
    radio->SetCaption("Radio");
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&form).Visible; }));
    const String path = CreateTempFile("qor-grab") + ".png";
    ASSERT_TRUE(NativeGrabToPng(&form, path));
    TPngImage grab;
    grab.LoadFromFile(path);
    std::remove(path.c_str());
    HDC offscreen = RenderToDC(&form);
    const std::uint32_t face = 0xFF000000u | (ColorToRGB(clBtnFace) & 0xFF) << 16 |
                               (ColorToRGB(clBtnFace) & 0xFF00) | (ColorToRGB(clBtnFace) >> 16 & 0xFF);
    for (TControl* c : {static_cast<TControl*>(label), static_cast<TControl*>(check), static_cast<TControl*>(radio)}) {
        // Right of the caption, inside the control.
        const Integer x = c->Left() + 180, y = c->Top() + 10;
        EXPECT_EQ(GetPixel(offscreen, x, y), COLORREF(ColorToRGB(clBtnFace))) << c->Caption() << " offscreen";
        EXPECT_EQ(grab.Image().Pixel(x, y), face) << c->Caption() << " on screen";
    }
    DeleteDC(offscreen);
    form.Hide();
}

TEST(NativeWindow, ScrollBoxShowsScrollBarsThatScrollIt)
{
    REQUIRE_DISPLAY();
    TForm form(nullptr);
    form.SetBounds(0, 0, 300, 300);
    auto* box = new TScrollBox(&form);
    box->SetParent(&form);
    box->SetBounds(10, 10, 200, 200);
    auto* page = new TPanel(&form);
    page->SetParent(box);
    page->SetBounds(0, 0, 150, 600); // taller than the box only
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&form).Visible; }));
    TNativeState s = NativeStateOf(box);
    EXPECT_TRUE(s.VertBar);
    EXPECT_FALSE(s.HorzBar);
    NativeScroll(box, false, 100); // the user drags the thumb
    EXPECT_EQ(box->VertScrollBar()->Position(), 100);
    EXPECT_EQ(page->Top(), -100);
    EXPECT_EQ(NativeStateOf(page).Bounds.Top, -100);
    box->Perform(WM_VSCROLL, SB_TOP); // and the program scrolls back
    EXPECT_EQ(NativeStateOf(box).VertPos, 0);
    page->SetHeight(100); // fits now: the bar goes
    EXPECT_FALSE(NativeStateOf(box).VertBar);
    form.Hide();
}

// Runs the window tests above under a virtual X server, so plain ctest runs them too.
TEST(XvfbRun, WindowTestsPassUnderAVirtualDisplay) { ExpectSuitePassesUnderXvfb("NativeWindow"); }
