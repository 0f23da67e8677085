// The viewer in a real window: after each way of moving through the pages, what the screen shows of
// the page is the page the counter names, as qor render draws it.
#include "common/RealWindows.h"
#include "common/TestOutput.h"

#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/ImageCodecs.h"
#include "platform/graphics/Screen.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/internal/NativeBridge.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorGoto.h"
#include "runtime/output/QorPrev.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

using namespace qor;
using namespace qor::test;

namespace {

constexpr int PageCount = 12;

// Letter pages told apart at a glance: the number in large type, and black blocks whose places
// move with it near the top and near the foot of the page.
void WritePages(const std::string& File)
{
    TQorQorFile F;
    TQorPrinterSetup Setup;
    Setup.SetPaperSize(1);
    F.SetQorPrinterSetup(&Setup);
    F.SetDescription("Numbered");
    F.BeginDoc();
    TFont Font;
    Font.SetName("Liberation Sans");
    Font.SetSize(60);
    TBrush Ink, Paper;
    Ink.SetColor(clBlack);
    Paper.SetColor(clWhite);
    for (int Page = 1; Page <= PageCount; ++Page) {
        if (Page > 1)
            F.NewPage();
        F.SetBrush(&Paper);
        F.SetFont(&Font);
        F.Textout(96, 96, "Page " + std::to_string(Page));
        F.SetBrush(&Ink);
        const int X = 40 + Page * 50;
        F.Rectangle(X, 300, X + 40, 340);
        F.Rectangle(700 - X, 950, 740 - X, 990);
    }
    F.EndDoc();
    F.SaveToFile(File);
}

TDibImage LoadPng(const std::string& File)
{
    TPngImage Png;
    Png.LoadFromFile(File);
    return Png.Image();
}

bool Ink(std::uint32_t Pixel)
{
    return (Pixel & 0xFF) < 128 || ((Pixel >> 8) & 0xFF) < 128 || ((Pixel >> 16) & 0xFF) < 128;
}

// Of the pixels inked in the grab or in the page picture at Part, the share inked in both.
double Agreement(const TDibImage& Grab, const TDibImage& Page, const TRect& Part)
{
    long Both = 0, Either = 0;
    for (Integer Y = 0; Y < Grab.Height; ++Y)
        for (Integer X = 0; X < Grab.Width; ++X) {
            const Integer PX = Part.Left + X, PY = Part.Top + Y;
            if (PX < 0 || PY < 0 || PX >= Page.Width || PY >= Page.Height)
                continue;
            const bool A = Ink(Grab.Pixel(X, Y)), B = Ink(Page.Pixel(PX, PY));
            Either += A || B;
            Both += A && B;
        }
    return Either ? double(Both) / double(Either) : 0;
}

class ViewerWindow {
public:
    ViewerWindow()
    {
        Dir = std::filesystem::path(TestOutputFile("viewer-window"));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        File = (Dir / "numbered.qor").string();
        WritePages(File);
        // The pages as qor render draws them at the screen's resolution.
        const std::string Render = "QT_QPA_PLATFORM=offscreen '" + std::string(QOR_BINARY_DIR) +
                                   "/tools/qor' render '" + File + "' --png '" + (Dir / "render").string() +
                                   "' --dpi " + std::to_string(ScreenPixelsPerInch()) + " >/dev/null";
        Rendered = std::system(Render.c_str()) == 0;
    }
    ~ViewerWindow() { DialogService().Reset(); }

    const TDibImage& RenderedPage(int Page)
    {
        auto It = Pages.find(Page);
        if (It == Pages.end()) {
            const std::string Number = (Page < 10 ? "0" : "") + std::to_string(Page);
            It = Pages.emplace(Page, LoadPng((Dir / "render" / ("page-" + Number + ".png")).string())).first;
        }
        return It->second;
    }

    // The counter's page, "Page: 5/12" -> 5.
    int CountedPage() const
    {
        const String Text = Viewer->PageNum->Caption();
        const size_t Colon = Text.find(':'), Slash = Text.find('/');
        return Colon == String::npos || Slash == String::npos ? 0
                                                              : std::stoi(Text.substr(Colon + 1, Slash - Colon - 1));
    }

    // Waits until the screen shows the page the counter names (it repaints when the window system
    // gets to it); saves the last grab as Name for a person to look at.
    bool ShowsCountedPage(const std::string& Name)
    {
        const std::string Png = (Dir / (Name + ".png")).string();
        double Best = 0;
        const bool Shown = PumpUntil(
            [&] {
                TRect Part;
                if (!NativeGrabScreen(Viewer->LeftPreview->PaintBox(), Png, Part))
                    return false;
                Best = Agreement(LoadPng(Png), RenderedPage(CountedPage()), Part);
                LastPart = Part;
                return Best > 0.97;
            },
            std::chrono::milliseconds(100));
        if (!Shown)
            ADD_FAILURE() << Name << ": the screen does not show page " << CountedPage() << " (best agreement " << Best
                          << ", grab in " << Png << ")";
        return Shown;
    }

    std::filesystem::path Dir;
    std::string File;
    bool Rendered = false;
    std::unique_ptr<TQorViewer> Viewer;
    std::map<int, TDibImage> Pages;
    TRect LastPart;
};

TEST(NativeWindow, ViewerShowsThePageItCountsAfterEveryMove)
{
    REQUIRE_DISPLAY();
    ViewerWindow W;
    ASSERT_TRUE(W.Rendered);
    W.Viewer = std::make_unique<TQorViewer>(nullptr);
    TQorViewer& V = *W.Viewer;
    // Wide enough for the page at 100 % even without a window manager to size it.
    EXPECT_GE(V.Width(), ScreenPixelsPerInch() * 17 / 2 + 20);
    V.LeftPreview->LoadFromFile(W.File);
    V.SetZoom(qz100);
    V.UpdatePage();
    V.Show();
    ASSERT_TRUE(PumpUntil([&] { return NativeStateOf(&V).Visible; }));
    ASSERT_TRUE(W.ShowsCountedPage("1-first"));
    EXPECT_EQ(W.CountedPage(), 1);

    NativeClick(V.NextPage);
    EXPECT_EQ(W.CountedPage(), 2);
    EXPECT_TRUE(W.ShowsCountedPage("2-next-button"));

    NativeKey(&V, VK_NEXT);
    EXPECT_EQ(W.CountedPage(), 3);
    EXPECT_TRUE(W.ShowsCountedPage("3-page-down"));

    NativeClick(V.LastPage);
    EXPECT_EQ(W.CountedPage(), PageCount);
    EXPECT_TRUE(W.ShowsCountedPage("4-last-page"));

    DialogService().Expect(TDialogKind::dkModalForm, [](const TDialogRequest& R) {
        static_cast<TQorGotoPage*>(R.Form)->PageNum->SetText("5");
        return mrOk;
    });
    V.GotoPage1Click(nullptr);
    EXPECT_EQ(W.CountedPage(), 5);
    EXPECT_TRUE(W.ShowsCountedPage("5-jump-to-5"));

    // A notch of the wheel scrolls three lines down; Ctrl+Down a screenful (as far as the page goes).
    TControlScrollBar* Bar = V.LeftPreview->VertScrollBar();
    ASSERT_GT(Bar->MaxPosition(), 3 * Bar->Increment()) << "the page is taller than the window";
    NativeWheel(V.LeftPreview->PaintBox(), -120);
    EXPECT_EQ(Bar->Position(), 3 * Bar->Increment());
    EXPECT_TRUE(W.ShowsCountedPage("6-wheel"));
    EXPECT_EQ(W.LastPart.Top, Bar->Position()) << "the part shown is the part scrolled to";
    NativeKey(&V, VK_DOWN, TShiftState{ssCtrl});
    EXPECT_TRUE(PumpUntil([&] { return Bar->Position() > 3 * Bar->Increment(); }));
    EXPECT_TRUE(W.ShowsCountedPage("7-ctrl-down"));
    EXPECT_EQ(W.LastPart.Top, Bar->Position());
    NativeWheel(V.LeftPreview->PaintBox(), 10 * 120);
    EXPECT_EQ(Bar->Position(), 0);
    V.Hide();
}

} // namespace
