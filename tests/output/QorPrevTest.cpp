// The preview control: pages, zoom and fitting, the kept page picture, scrolling and printing.

#include "output/OutputTestSupport.h"

#include "platform/graphics/Brush.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gdi.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Render.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorPrev.h"
#include "runtime/output/QorSetup.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

// A4 pages, each with a black square at one inch whose side is 10 pixels per page number.
std::unique_ptr<TQorFile> A4Pages(int Count)
{
    auto F = std::make_unique<TQorQorFile>();
    TQorPrinterSetup Setup;
    Setup.SetPaperSize(9);
    F->SetQorPrinterSetup(&Setup);
    F->BeginDoc();
    TBrush Black;
    Black.SetColor(clBlack);
    for (int Page = 1; Page <= Count; ++Page) {
        if (Page > 1)
            F->NewPage();
        F->SetBrush(&Black);
        F->FillRect(TRect(96, 96, 96 + 10 * Page, 96 + 10 * Page));
    }
    F->EndDoc();
    return F;
}

TColor Rgb(TColor C) { return TColor(ColorToRGB(C)); }

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest() : Form(nullptr)
    {
        Form.SetBounds(0, 0, 900, 700);
        Preview = Create<TQorPreview>(&Form);
        Preview->SetParent(&Form);
        Preview->SetBounds(0, 0, 850, 600);
        Preview->SetBorderStyle(bsNone);
    }
    TColor At(Integer X, Integer Y)
    {
        HDC Picture = RenderToDC(Preview);
        const TColor C = TColor(GetPixel(Picture, X, Y));
        DeleteDC(Picture);
        return C;
    }
    TForm Form;
    TQorPreview* Preview;
};

TEST_F(PreviewTest, PagesOutsideTheFileAndTheCurrentOneChangeNothing)
{
    Preview->LoadFromQorFile(A4Pages(3));
    EXPECT_EQ(Preview->Page(), 1);
    EXPECT_EQ(Preview->PageCount(), 3);
    Preview->QorPrinterSetup()->SetCopies(7); // would be replaced were the page's setup read again
    for (Integer Page : {0, 4, 1})
        Preview->SetPage(Page);
    EXPECT_EQ(Preview->Page(), 1);
    EXPECT_EQ(Preview->QorPrinterSetup()->Copies(), 7);
    Preview->LastPage();
    EXPECT_EQ(Preview->Page(), 3);
    Preview->PriorPage();
    EXPECT_EQ(Preview->Page(), 2);
    Preview->NextPage();
    Preview->NextPage();
    EXPECT_EQ(Preview->Page(), 3);
    Preview->FirstPage();
    EXPECT_EQ(Preview->Page(), 1);
}

TEST_F(PreviewTest, TheZoomSizesThePageAndFitsFollowTheControl)
{
    Preview->LoadFromQorFile(A4Pages(1));
    // A4, 210 x 297 mm, at 96 pixels per inch.
    EXPECT_EQ(Preview->PaintBox()->Width(), 794);
    EXPECT_EQ(Preview->PaintBox()->Height(), 1123);
    // Width: Round(850 x 100 / (96 x 8.27)) - 2 = 105.
    Preview->SetQorZoom(qzWidth);
    EXPECT_EQ(Preview->Zoom(), 105);
    Preview->SetQorZoom(qzHeight);
    EXPECT_EQ(Preview->Zoom(), 51); // Round(600 x 100 / (96 x 11.69)) - 2
    Preview->SetQorZoom(qzPage);
    EXPECT_EQ(Preview->Zoom(), 51) << "a wide control fits the height";
    Preview->SetBounds(0, 0, 400, 600);
    EXPECT_EQ(Preview->Zoom(), 48) << "the fit follows a resize: a narrow control fits the width";
    Preview->SetQorZoom(qz75);
    Preview->SetBounds(0, 0, 850, 600);
    EXPECT_EQ(Preview->Zoom(), 75);
    EXPECT_EQ(Preview->PaintBox()->Width(), 595);
    // A hidden or empty control keeps its zoom.
    Preview->SetBounds(0, 0, 0, 0);
    Preview->SetQorZoom(qzPage);
    EXPECT_EQ(Preview->Zoom(), 75);
    Preview->SetBounds(0, 0, 1, 1);
    Preview->SetQorZoom(qzWidth);
    EXPECT_GE(Preview->Zoom(), 1);
}

TEST_F(PreviewTest, ThePageIsPlayedOnceAndScrollingMovesIt)
{
    Preview->LoadFromQorFile(A4Pages(2));
    bool Scrolled = false;
    Preview->OnVertScroll = [&](TObject*) { Scrolled = true; };
    // The page at 100 %: the square from (96, 96), the page white, the box's background beyond.
    EXPECT_EQ(At(100, 100), Rgb(clBlack));
    EXPECT_EQ(At(120, 120), Rgb(clWhite));
    EXPECT_EQ(Preview->PagePlays(), 1);
    At(10, 10);
    EXPECT_EQ(Preview->PagePlays(), 1) << "painting again copies the kept page";
    Preview->Perform(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_TRUE(Scrolled);
    const Integer Down = Preview->VertScrollBar()->Position();
    ASSERT_GT(Down, 0);
    EXPECT_EQ(At(100, 100 - Down), Rgb(clBlack));
    EXPECT_EQ(Preview->PagePlays(), 1) << "scrolling does not play the page again";
    Preview->SetZoom(100);
    EXPECT_EQ(Preview->PagePlays(), 1) << "the same zoom changes nothing";
    Preview->NextPage();
    EXPECT_EQ(At(110, 110 - Down), Rgb(clBlack)) << "page 2's square is larger";
    EXPECT_EQ(Preview->PagePlays(), 2);
    Preview->SetZoom(50);
    EXPECT_EQ(Preview->VertScrollBar()->Position(), 0) << "the half-size page fits";
    EXPECT_EQ(At(50, 50), Rgb(clBlack));
    EXPECT_EQ(Preview->PagePlays(), 3);
    EXPECT_EQ(At(500, 300), Rgb(clBtnFace)) << "beyond the page at 50 %";
}

TEST_F(PreviewTest, APageShownWhileItWasRecordedIsShownAgainOnceComplete)
{
    // A file still being recorded, as the viewer gets it while a report runs: page 2 is open.
    auto* F = new TQorQorFile;
    TQorPrinterSetup Setup;
    Setup.SetPaperSize(9);
    F->SetQorPrinterSetup(&Setup);
    F->BeginDoc();
    TBrush Black;
    Black.SetColor(clBlack);
    F->SetBrush(&Black);
    F->FillRect(TRect(96, 96, 106, 106));
    F->NewPage();
    F->SetBrush(&Black);
    F->FillRect(TRect(96, 96, 116, 116));
    Preview->LoadFromQorFile(std::unique_ptr<TQorFile>(F));
    Preview->SetPage(2);
    EXPECT_EQ(At(110, 110), Rgb(clWhite)) << "the page being recorded is not played yet";
    Preview->PagesChanged();
    F->EndDoc();
    Preview->PagesChanged();
    EXPECT_EQ(At(110, 110), Rgb(clBlack)) << "the finished file has the same page count, and its last page";
    const Integer Plays = Preview->PagePlays();
    Preview->PagesChanged();
    At(110, 110);
    EXPECT_EQ(Preview->PagePlays(), Plays) << "a complete page is not played again";
}

TEST_F(PreviewTest, WithoutAFileNothingHappens)
{
    Preview->SetPage(2);
    Preview->SetQorZoom(qzPage);
    Preview->SendPagesToPrinter(0, 0);
    EXPECT_EQ(Preview->PageCount(), 0);
    EXPECT_EQ(Preview->Description(), "");
    At(10, 10);
    EXPECT_EQ(Preview->PagePlays(), 0);
}

class PreviewPrintTest : public test::DescribedPrinterTest {};

TEST_F(PreviewPrintTest, ASecondPrintDuringAPrintIsRefused)
{
    Select("Works Laser");
    TForm Form(nullptr);
    auto* Preview = Create<TQorPreview>(&Form);
    Preview->LoadFromQorFile(A4Pages(3));
    std::string Second;
    std::vector<Integer> Pages;
    Preview->PrintStatus = [&](TObject*) {
        Pages.push_back(Preview->QorPrinter()->PageNumber());
        try {
            Preview->SendPagesToPrinter(1, 1);
        } catch (const Exception& E) {
            Second = E.Message();
        }
    };
    Preview->SendPagesToPrinter(2, 0);
    EXPECT_EQ(Second, "Printing in progress.");
    EXPECT_EQ(Pages, (std::vector<Integer>{2, 2, 3, 3}));
    EXPECT_FALSE(Preview->Printing());
    EXPECT_EQ(Preview->QorPrinter(), nullptr);
    EXPECT_FALSE(Preview->PrintStatus) << "the status event serves one run";
}

} // namespace
} // namespace qor
