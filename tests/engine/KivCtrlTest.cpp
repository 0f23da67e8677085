// The label base: its defaults and parent rule, the print protocol on a recording device context
// and into a page file, alignment anchors, clipping, background, borders (pixels, design-time
// outlines), RTF output, and what it tells the designer.

#include "output/PageFileTestSupport.h"
#include "common/Golden.h"
#include "engine/RtfScratch.h"
#include "engine/StandInBand.h"
#include "output/OutputTestSupport.h"
#include "platform/graphics/Gdi.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace qor;
using namespace qor::test;

namespace {

// A label on a band on a page whose output canvas draws on a recording context.
class LabelPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Label.SetParent(&Band);
        Label.SetBounds(10, 5, 100, 20);
        Label.SetCaption("Total");
        Page.X = 50;
        Page.Y = 200;
    }
    std::vector<std::string> Calls() { return Rec.Calls(); }
    std::vector<std::string> Drawn() { return Rec.Drawn(); }

    TRecordingCanvas Rec;
    TStandInPrintPage Page{&Rec.Canvas};
    TStandInBand Band;
    TKivLabel Label{nullptr};
};

bool Contains(const std::vector<std::string>& Calls, const std::string& Call)
{
    return std::find(Calls.begin(), Calls.end(), Call) != Calls.end();
}

TEST(Label, ANewLabelIsASmallTransparentBottomLeftLabelThatKeepsItsCaption)
{
    TComponent Owner(nullptr);
    auto* L = new TKivLabel(&Owner);
    L->SetName("Label1");
    EXPECT_EQ(L->Width(), 65);
    EXPECT_EQ(L->Height(), 17);
    EXPECT_EQ(L->AlignVertical(), laBottom);
    EXPECT_EQ(L->AlignHorizontal(), laLeft);
    EXPECT_EQ(L->BorderMargin(), 2);
    EXPECT_TRUE(L->RtfPrint());
    EXPECT_EQ(L->Row(), 0);
    EXPECT_TRUE(L->Transparent());
    EXPECT_EQ(L->Caption(), "") << "the caption does not take the component's name";
    EXPECT_EQ(L->GetDataNow(), "");
    EXPECT_EQ(L->GetPPI(), 96) << "without a band, the screen's resolution";
}

TEST(Label, OnlyABandIsAcceptedAsParentAndItsListFollowsTheLabel)
{
    TStandInPrintPage Page;
    TStandInBand First, Second;
    First.SetParent(&Page);
    TKivLabel L(nullptr);

    EXPECT_THROW(L.SetParent(&Page), EAbort) << "a page is refused silently";
    EXPECT_EQ(L.Parent(), nullptr);
    TWinControl Form(nullptr);
    EXPECT_THROW(L.SetParent(&Form), EAbort);

    L.SetParent(&First);
    EXPECT_EQ(First.Labels, std::vector<TKivLabel*>{&L});
    EXPECT_EQ(L.Page(), &Page);
    EXPECT_THROW(L.SetParent(&Form), EAbort);
    EXPECT_EQ(L.Parent(), &First) << "a refused drop leaves the label where it was";
    L.SetParent(&First);
    EXPECT_EQ(First.Labels.size(), 1u) << "the same parent again changes nothing";

    // Moved to another band, the label leaves the first band's list.
    L.SetParent(&Second);
    EXPECT_TRUE(First.Labels.empty());
    EXPECT_EQ(Second.Labels, std::vector<TKivLabel*>{&L});
    EXPECT_EQ(L.Page(), nullptr);

    L.SetParent(nullptr);
    EXPECT_TRUE(Second.Labels.empty());

    // A label freed on its band leaves the list.
    auto* Gone = new TKivLabel(nullptr);
    Gone->SetParent(&Second);
    Free(Gone);
    EXPECT_TRUE(Second.Labels.empty());
}

TEST(Label, SettersRepaintOnChangeWithTheirSideEffects)
{
    TKivLabel L(nullptr);
    L.SetShade(spMedium);
    EXPECT_FALSE(L.Transparent()) << "a shade makes the label opaque";
    L.SetTransparent(true);
    EXPECT_EQ(L.Shade(), spMedium);

    L.SetWrapText(true);
    EXPECT_TRUE(L.Stretch()) << "wrapping lets the label stretch";
    L.SetWrapText(false);
    EXPECT_TRUE(L.Stretch());
    TKivLabel Read(nullptr);
    Read.SetComponentStateFlag(csLoading, true);
    Read.SetWrapText(true);
    EXPECT_FALSE(Read.Stretch()) << "a label read from a stream keeps the stretch it was stored with";

    L.SetRotateFont(360);
    EXPECT_THROW(L.SetRotateFont(361), EInvalidOperation);
    EXPECT_EQ(L.RotateFont(), 360);
}

TEST_F(LabelPrint, PlainPrintDrawsAtTheBandsPositionAndFinishes)
{
    Label.Print(&Page, 100);
    EXPECT_EQ(Drawn(), std::vector<std::string>{"TextOut(62,223,\"Total\")"})
        << "transparent: no background; bottom-left anchor inside the border margin";
    EXPECT_TRUE(Label.EndPrint());
    EXPECT_FALSE(Label.PrintOk()) << "a finished label is skipped until the next band print";
    Label.Print(&Page, 100);
    EXPECT_EQ(Drawn().size(), 1u) << "Print starts a new band print";
    EXPECT_THROW(Label.Print(&Band, 100), EInvalidOperation) << "a band is no page";
}

TEST_F(LabelPrint, StretchingSequenceMeasuresDrawsOnceAndFinishes)
{
    Label.StartPrint();
    EXPECT_FALSE(Label.EndPrint());
    EXPECT_EQ(Label.SpendHeight(&Page, 100), 25) << "top + height";
    EXPECT_TRUE(Drawn().empty()) << "measuring draws nothing";
    EXPECT_EQ(Label.PrintHeight(&Page, 100, 0), 25);
    EXPECT_EQ(Drawn(), std::vector<std::string>{"TextOut(62,223,\"Total\")"});
    EXPECT_TRUE(Label.EndPrint()) << "the base finishes in one piece";
    EXPECT_EQ(Label.SpendHeight(&Page, 100), 0);
    EXPECT_EQ(Label.PrintHeight(&Page, 100, 0), 0);
    EXPECT_TRUE(Drawn().empty());

    Label.SetIsVisible(false);
    Label.StartPrint();
    EXPECT_TRUE(Label.EndPrint());
    Label.SetEndPrint(false);
    EXPECT_EQ(Label.SpendHeight(&Page, 100), 0);
    EXPECT_EQ(Label.PrintHeight(&Page, 100, 0), 0);
    EXPECT_TRUE(Label.EndPrint());
    Label.Print(&Page, 100);
    EXPECT_TRUE(Drawn().empty()) << "an invisible label prints nothing";
}

TEST_F(LabelPrint, PrintWhenDecidesAndAFailingHandlerRefusesSilently)
{
    Label.LabelPrintWhen = [](TKivLabel*, bool&) {};
    Label.Print(&Page, 100);
    EXPECT_TRUE(Drawn().empty()) << "Result starts false";

    Label.LabelPrintWhen = [](TKivLabel* L, bool& Result) { Result = L->Caption() == "Total"; };
    Label.Print(&Page, 100);
    EXPECT_EQ(Drawn().size(), 1u);

    Integer Shown = 0;
    Application()->OnException = [&](TObject*, const Exception&) { ++Shown; };
    Label.LabelPrintWhen = [](TKivLabel*, bool& Result) {
        Result = true;
        throw Exception("no data");
    };
    Label.StartPrint();
    EXPECT_TRUE(Label.EndPrint());
    Label.Print(&Page, 100);
    EXPECT_TRUE(Drawn().empty());
    EXPECT_EQ(Shown, 0) << "nothing is shown";
    Application()->OnException = nullptr;
}

TEST_F(LabelPrint, FailingPrintEventsAreShownAndThePrintGoesOn)
{
    std::vector<std::string> Shown;
    Application()->OnException = [&](TObject*, const Exception& E) { Shown.push_back(E.Message()); };
    Label.OnBeforePrint = [](TKivLabel*) { throw Exception("before"); };
    Label.OnAfterPrint = [](TKivLabel*) { throw Exception("after"); };
    Label.Print(&Page, 100);
    Application()->OnException = nullptr;
    EXPECT_EQ(Shown, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(Drawn().size(), 1u);
    EXPECT_TRUE(Label.EndPrint());
}

TEST_F(LabelPrint, AnchorsAndAlignmentFlagsFollowTheAlignment)
{
    Label.Font()->SetHeight(-12);
    struct TCase {
        TKivHorizontalAlign H;
        TKivVerticalAlign V;
        Word Flags;
        Integer X, Y;
    };
    // Rectangle: left 60, top 205, 100 x 20, border margin 2.
    for (const TCase& C : {TCase{laLeft, laTop, 0, 62, 207}, TCase{laCenter, laMiddle, 30, 110, 215},
                           TCase{laRight, laBottom, 10, 158, 223}, TCase{laLeft, laCenterVert, 0, 62, 207}}) {
        Label.SetHorizontalAlign(C.H);
        Label.SetVerticalAlign(C.V);
        EXPECT_EQ(Label.AlignFlags(), C.Flags);
        Label.Print(&Page, 100);
        EXPECT_TRUE(Contains(Calls(), "TextOut(" + std::to_string(C.X) + "," + std::to_string(C.Y) + ",\"Total\")"))
            << C.H << " " << C.V;
    }
    // laCenterVert centres a line of four-thirds of the font height: (20 - 16) / 2.
    Label.SetBounds(10, 5, 100, 30);
    Label.Print(&Page, 100);
    EXPECT_TRUE(Contains(Calls(), "TextOut(62,212,\"Total\")"));

    // Positions inside the band, for the tabs of memo lines.
    Label.SetVerticalAlign(laBottom);
    for (auto [H, X] : {std::pair{laLeft, 11}, std::pair{laCenter, 60}, std::pair{laRight, 109}}) {
        Label.SetHorizontalAlign(H);
        EXPECT_EQ(Label.XPos(), X);
    }
    EXPECT_EQ(Label.YPos(), 34);
    Label.SetVerticalAlign(laTop);
    EXPECT_EQ(Label.YPos(), 6);
    Label.SetVerticalAlign(laMiddle);
    EXPECT_EQ(Label.YPos(), 20);
}

TEST_F(LabelPrint, ClippingByLabelOrByThePagesSetting)
{
    const auto Clipped = [&] {
        Label.Print(&Page, 100);
        const auto D = Drawn();
        EXPECT_EQ(D.size(), 1u);
        return !D.empty() && D[0].rfind("ExtTextOut", 0) == 0 && D[0].find("60,205,160,225") != std::string::npos;
    };
    EXPECT_FALSE(Clipped()) << "default, and the page does not clip";
    Page.Clip = true;
    EXPECT_TRUE(Label.ClipRect());
    EXPECT_TRUE(Clipped());
    Label.SetClipType(ctNoClip);
    EXPECT_FALSE(Clipped());
    Page.Clip = false;
    Label.SetClipType(ctClip);
    EXPECT_TRUE(Clipped());
}

TEST_F(LabelPrint, AMovedLabelClipsByItsNewPagesSetting)
{
    Page.Clip = true;
    EXPECT_TRUE(Label.ClipRect());
    TStandInPrintPage Other;
    TStandInBand OtherBand;
    OtherBand.SetParent(&Other);
    Label.SetParent(&OtherBand);
    EXPECT_FALSE(Label.ClipRect()) << "the new page does not clip";
    EXPECT_EQ(Label.Page(), &Other);
    // The band moves, the label stays on it.
    OtherBand.SetParent(&Page);
    EXPECT_TRUE(Label.ClipRect());
    EXPECT_EQ(Label.Page(), &Page);
    OtherBand.SetParent(nullptr);
    EXPECT_EQ(Label.Page(), nullptr);
    EXPECT_FALSE(Label.ClipRect());
    Label.SetParent(&Band);
}

TEST_F(LabelPrint, BackgroundIsTheColourTheShadeOrNothing)
{
    Label.SetTransparent(false);
    Label.SetColor(0x00FF00);
    Label.Print(&Page, 100);
    EXPECT_TRUE(Contains(Calls(), "FillRect(60,205,160,225,Brush style=0 color=$00FF00 hatch=0)"));

    Label.SetShade(spMedium); // a shade is drawn as the page file shows
    Label.SetTransparent(true);
    Label.Print(&Page, 100);
    EXPECT_EQ(Drawn().size(), 1u) << "transparency wins over the shade";
}

// Borders drawn on a raster context, checked pixel by pixel.
class LabelBorder : public ::testing::Test {
protected:
    void SetUp() override
    {
        DC = CreateRasterDC(200, 100);
        Canvas.SetPixelsPerInchX(96);
        Canvas.SetPixelsPerInchY(96);
        Canvas.SetHandle(DC);
        Canvas.Brush()->SetColor(0xFFFFFF);
        Canvas.FillRect(TRect(0, 0, 200, 100));
    }
    void TearDown() override
    {
        Canvas.SetHandle(HDC());
        DeleteDC(DC);
    }
    COLORREF At(Integer X, Integer Y) { return GetPixel(DC, X, Y) & 0xFFFFFF; }
    // The pixels of row Y (or column X) from A to B inclusive all have Colour.
    bool Row(Integer Y, Integer A, Integer B, COLORREF Colour)
    {
        for (Integer X = A; X <= B; ++X)
            if (At(X, Y) != Colour)
                return false;
        return true;
    }
    bool Column(Integer X, Integer A, Integer B, COLORREF Colour)
    {
        for (Integer Y = A; Y <= B; ++Y)
            if (At(X, Y) != Colour)
                return false;
        return true;
    }

    static constexpr COLORREF Black = 0, White = 0xFFFFFF, Silver = 0xC0C0C0;
    HDC DC;
    TQorCanvas Canvas;
};

TEST_F(LabelBorder, UnderLineAndSingleCoverTheEdgesInclusively)
{
    const TRect R(10, 20, 110, 40);
    KivDrawBorder(&Canvas, R, btUnderLine, false);
    EXPECT_TRUE(Row(40, 10, 110, Black));
    EXPECT_EQ(At(9, 40), White);
    EXPECT_EQ(At(111, 40), White);
    EXPECT_TRUE(Row(39, 0, 199, White));
    EXPECT_TRUE(Column(10, 20, 39, White)) << "no sides";
    EXPECT_EQ(Canvas.Brush()->Style(), bsClear) << "text drawn after the border has no box";

    KivDrawBorder(&Canvas, R, btSingle, true);
    EXPECT_TRUE(Row(20, 10, 110, Black));
    EXPECT_TRUE(Column(10, 20, 40, Black));
    EXPECT_TRUE(Column(110, 20, 40, Black));
    EXPECT_TRUE(Row(21, 11, 109, White)) << "the inside stays empty";
    EXPECT_TRUE(Row(19, 0, 199, White));
    EXPECT_TRUE(Column(111, 0, 99, White));
}

TEST_F(LabelBorder, SmallIsASilverFrameAndNoneDrawsNothingOutsideTheDesigner)
{
    const TRect R(10, 20, 110, 40);
    KivDrawBorder(&Canvas, R, btNone, false);
    EXPECT_TRUE(Row(20, 0, 199, White));
    EXPECT_TRUE(Row(40, 0, 199, White));

    KivDrawBorder(&Canvas, R, btSmall, false);
    EXPECT_TRUE(Row(20, 10, 109, Silver));
    EXPECT_TRUE(Row(40, 10, 109, Silver));
    EXPECT_TRUE(Column(10, 20, 39, Silver));
    EXPECT_TRUE(Column(109, 20, 39, Silver));
    EXPECT_TRUE(Column(110, 0, 99, White));
}

TEST_F(LabelBorder, DesignOutlinesShowTheLabelsExtent)
{
    const TRect R(10, 20, 110, 40);
    KivDrawBorder(&Canvas, R, btNone, true);
    // Dotted: black and white pixels take turns along each edge, the corners closed.
    Integer Dots = 0;
    for (Integer X = 10; X <= 110; ++X)
        Dots += At(X, 20) == Black;
    EXPECT_GT(Dots, 30);
    EXPECT_LT(Dots, 70);
    EXPECT_FALSE(Row(40, 10, 110, White));
    EXPECT_FALSE(Column(10, 20, 40, White));
    EXPECT_FALSE(Column(110, 20, 40, White));
    EXPECT_TRUE(Row(30, 11, 109, White));
}

// A kind whose text depends on whether the designer paints it, as the text labels do.
class TPlaceholderLabel : public TKivLabel {
public:
    using TKivLabel::TKivLabel;
    String GetDisplayText() override
    {
        if (!Caption().empty())
            return Caption();
        return Painting() ? "Fill in caption." : "";
    }
};

TEST(LabelDesign, TheDesignerPaintShowsOutlinesAndPlaceholders)
{
    const char* Png = std::getenv("QOR_LABEL_PNG");
    HDC DC = CreateRasterDC(240, 110);
    TCanvas Back;
    Back.SetHandle(DC);
    Back.Brush()->SetColor(clWhite);
    Back.FillRect(TRect(0, 0, 240, 110));

    TComponent Owner(nullptr);
    std::vector<TPlaceholderLabel*> Labels;
    const TKivBorderType Kinds[] = {btNone, btSmall, btSingle, btUnderLine};
    for (Integer I = 0; I < 4; ++I) {
        auto* L = new TPlaceholderLabel(&Owner);
        L->SetBounds(10, 5 + I * 26, 120, 20);
        L->SetBorderType(Kinds[I]);
        L->SetVerticalAlign(laMiddle);
        if (I == 2)
            L->SetCaption("Single");
        L->PaintTo(DC, L->Left(), L->Top());
        Labels.push_back(L);
    }
    if (Png)
        SaveDCToPng(DC, Png);

    const auto At = [&](Integer X, Integer Y) { return GetPixel(DC, X, Y) & 0xFFFFFF; };
    // btNone: dotted black outline on the label's edges.
    Integer Dots = 0;
    for (Integer X = 10; X < 130; ++X)
        Dots += At(X, 5) == 0;
    EXPECT_GT(Dots, 40);
    EXPECT_LT(Dots, 80);
    // btSmall: a silver frame.
    EXPECT_EQ(At(60, 31), 0xC0C0C0u);
    EXPECT_EQ(At(10, 40), 0xC0C0C0u);
    // btSingle: only the black frame, solid.
    for (Integer X = 10; X < 130; ++X)
        ASSERT_EQ(At(X, 57), 0u) << X;
    // The placeholder shows only while the designer paints; some of its text is black inside
    // the first label.
    Integer Ink = 0;
    for (Integer Y = 7; Y < 24; ++Y)
        for (Integer X = 12; X < 128; ++X)
            Ink += (At(X, Y) & 0xFF) < 0x80; // anti-aliased text
    EXPECT_GT(Ink, 20);
    EXPECT_EQ(Labels[0]->GetDataNow(), "");
    Back.SetHandle(HDC());
    DeleteDC(DC);
}

// RTF output of labels.
class LabelRtf : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Label.SetParent(&Band);
        Label.SetBounds(96, 0, 192, 20);
        Label.SetCaption("Amount");
    }
    std::string Written() { return Doc.Written(); }

    TRtfScratch Doc{"label"};
    std::unique_ptr<TKivRtfFile>& Rtf = Doc.Rtf;
    TStandInPrintPage Page;
    TStandInBand Band;
    TKivLabel Label{nullptr};
};

TEST_F(LabelRtf, TabStopsAtTheAlignmentPointInTwipsOfThePagesResolution)
{
    Written();
    for (auto [Align, Tab] : {std::pair{laLeft, "\\tx1440 "}, std::pair{laCenter, "\\tqc\\tx2880 "},
                              std::pair{laRight, "\\tqr\\tx4320 "}}) {
        Label.SetHorizontalAlign(Align);
        Label.PrintTab(&Page, Rtf.get(), 0);
        EXPECT_EQ(Written(), Tab);
    }
    Page.PPI = 300;
    Label.SetHorizontalAlign(laLeft);
    Label.SetLeft(101);
    Label.PrintTab(&Page, Rtf.get(), 0);
    EXPECT_EQ(Written(), "\\tx485 ") << "101 / 300 inch, rounded";

    Label.PrintTab(&Page, Rtf.get(), 1);
    Label.SetRtfPrint(false);
    Label.PrintTab(&Page, Rtf.get(), 0);
    EXPECT_EQ(Written(), "") << "another row, or a label left out of RTF output";

    Page.PPI = 0;
    Label.SetRtfPrint(true);
    EXPECT_THROW(Label.PrintTab(&Page, Rtf.get(), 0), EInvalidOperation);
}

TEST_F(LabelRtf, TextFollowsAnUnderlinedTabOnlyInItsRowAndFinishesTheLabel)
{
    Label.Font()->SetStyle(TFontStyles{fsUnderline});
    Label.SetRow(1);
    Written();
    Label.PrintRtf(&Page, Rtf.get(), 0);
    EXPECT_EQ(Written(), "");
    EXPECT_FALSE(Label.EndPrint());

    Label.PrintRtf(&Page, Rtf.get(), 1);
    const std::string Out = Written();
    const auto Tab = Out.find("\\tab "), Text = Out.find("Amount"), Underline = Out.find("\\ul");
    ASSERT_NE(Tab, std::string::npos) << Out;
    ASSERT_NE(Text, std::string::npos) << Out;
    ASSERT_NE(Underline, std::string::npos) << Out;
    EXPECT_GT(Underline, Tab) << "the tab is not underlined: " << Out;
    EXPECT_LT(Underline, Text) << Out;
    EXPECT_TRUE(Label.EndPrint());
    Label.PrintRtf(&Page, Rtf.get(), 1);
    EXPECT_EQ(Written(), "") << "a finished label writes nothing more";

    Label.SetEndPrint(false);
    Label.SetRtfPrint(false);
    Label.PrintRtf(&Page, Rtf.get(), 0);
    EXPECT_EQ(Written(), "");
    EXPECT_TRUE(Label.EndPrint()) << "a label left out of RTF output finishes at once";
}

class LabelPageFile : public DescribedPrinterTest {};

// Labels of each look printed by a band at two positions of a page, as the page file records
// them.
TEST_F(LabelPageFile, LabelsPrintIntoThePageFileAsTheGoldenDumpShows)
{
    Select("Plain Printer");
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.BeginDoc();
    TStandInPrintPage Page(Job.QorCanvas());
    TStandInBand Band;
    Band.SetParent(&Page);
    TComponent Owner(nullptr);
    const auto Add = [&](const char* Caption, Integer Left, Integer Top) {
        auto* L = new TKivLabel(&Owner);
        L->SetParent(&Band);
        L->SetBounds(Left, Top, 150, 24);
        L->SetCaption(Caption);
        return L;
    };
    Add("Plain", 0, 0);
    TKivLabel* Boxed = Add("Boxed", 160, 0);
    Boxed->SetTransparent(false);
    Boxed->SetColor(0xE0FFFF);
    Boxed->SetBorderType(btSingle);
    Boxed->SetHorizontalAlign(laCenter);
    Boxed->SetVerticalAlign(laMiddle);
    TKivLabel* Shaded = Add("Shaded and clipped to its box", 320, 0);
    Shaded->SetShade(spLight);
    Shaded->SetClipType(ctClip);
    Shaded->SetBorderType(btUnderLine);
    Shaded->SetHorizontalAlign(laRight);
    TKivLabel* Turned = Add("Up", 480, 0);
    Turned->SetRotateFont(90);
    Turned->Font()->SetStyle(TFontStyles{fsBold});

    for (Integer Y : {96, 130}) {
        Page.X = 48;
        Page.Y = Y;
        for (TKivLabel* L : Band.Labels)
            L->Print(&Page, 1000);
    }
    Job.EndDoc();
    ExpectGoldenPageFile(std::string(QOR_TEST_DATA_DIR) + "/engine/label-print.dump", *Job.QorFile());
}

TEST(LabelDesign, AutoSizeFitsTheCaptionInTheDesignerButNotWhileThePagePrints)
{
    TStandInPrintPage Page;
    TStandInBand Band;
    Band.SetParent(&Page);
    TKivLabel L(nullptr);
    L.SetParent(&Band);
    L.SetBounds(10, 5, 65, 17);
    L.SetCaption("Wide caption here");
    L.SetAutoSize(true);
    EXPECT_EQ(L.Width(), 65) << "only while designed";
    L.SetAutoSize(false);

    L.SetDesigning(true);
    L.SetAutoSize(true);
    const Integer Wide = L.Width();
    EXPECT_GT(Wide, 65);
    EXPECT_EQ(L.Left(), 10);
    L.SetCaption("W");
    EXPECT_LT(L.Width(), Wide) << "a new caption re-sizes the label";
    const Integer Narrow = L.Width(), High = L.Height();
    L.SetBorderMargin(10);
    EXPECT_EQ(L.Width(), Narrow + 16);
    EXPECT_EQ(L.Height(), High + 16);
    Page.PrintingNow = true;
    L.SetCaption("Wide caption here");
    EXPECT_EQ(L.Width(), Narrow + 16) << "not while the page prints";
}

TEST(LabelDesign, TheMousePositionGoesToTheRulersInBandCoordinates)
{
    TStandInPrintPage Page;
    TStandInBand Band;
    Band.SetParent(&Page);
    Band.SetBounds(0, 40, 600, 60);
    TKivLabel L(nullptr);
    L.SetParent(&Band);
    L.SetBounds(10, 5, 65, 17);
    L.Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(7, 3));
    ASSERT_EQ(Page.Rulers.size(), 1u);
    EXPECT_EQ(Page.Rulers[0].X, 17);
    EXPECT_EQ(Page.Rulers[0].Y, 48);
}

TEST(LabelLoading, FontsAreSizedInPixelsOfTheBandsResolution)
{
    TStandInBand Band(nullptr, 300);
    TKivLabel L(nullptr);
    L.SetParent(&Band);
    EXPECT_EQ(L.GetPPI(), 300);
    L.Font()->SetHeight(-16);
    L.SetParentFont(false);
    L.Loaded();
    EXPECT_EQ(L.Font()->PixelsPerInch(), 300);
    EXPECT_EQ(L.Font()->Height(), -16);

    TKivLabel Parented(nullptr);
    Parented.SetParent(&Band);
    Parented.SetParentFont(true);
    const Integer PPI = Parented.Font()->PixelsPerInch();
    Parented.Loaded();
    EXPECT_EQ(Parented.Font()->PixelsPerInch(), PPI) << "a parent's font is left alone";

    TKivLabel Designed(nullptr);
    Designed.SetParent(&Band);
    Designed.SetParentFont(false);
    Designed.SetDesigning(true);
    Designed.Loaded();
    EXPECT_EQ(Designed.Font()->PixelsPerInch(), PPI) << "the designer shows screen fonts";
}

// A kind that reads the legacy "AutoSize" of older form files.
class TLegacyLabel : public TKivLabel {
    QOR_CLASS(TLegacyLabel, TKivLabel)
public:
    using TKivLabel::TKivLabel;

protected:
    void DefineProperties(TFiler& Filer) override
    {
        TKivLabel::DefineProperties(Filer);
        DefineLegacyAutoSize(Filer);
    }
};

TEST(LabelLoading, TheLegacyAutoSizeIsReadAndDroppedAndTheLabelsOwnPropertiesRoundTrip)
{
    RegisterClass(TLegacyLabel::StaticClass());
    const String Text = "object Label1: TLegacyLabel\n"
                        "  AutoSize = True\n"
                        "  Row = 2\n"
                        "  RtfPrint = False\n"
                        "end\n";
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Text));
    auto* L = dynamic_cast<TLegacyLabel*>(Read.get());
    ASSERT_NE(L, nullptr);
    EXPECT_FALSE(L->AutoSize());
    EXPECT_EQ(L->Row(), 2);
    EXPECT_FALSE(L->RtfPrint());
    const String Written = WriteComponentToText(L);
    EXPECT_EQ(Written.find("AutoSize"), String::npos) << Written;
    EXPECT_NE(Written.find("Row = 2"), String::npos) << Written;
    EXPECT_NE(Written.find("RtfPrint = False"), String::npos) << Written;
}

} // namespace

QOR_PUBLISH(TLegacyLabel) {}
