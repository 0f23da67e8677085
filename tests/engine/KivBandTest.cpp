// The band: its parent rule and lists, the print-when test, whole and stretching prints on a
// recording device context and into a page file, RTF output order, reserve space, the deletion
// guard, the font after loading, its published print flag, and pasting a copied text label.

#include "output/PageFileTestSupport.h"
#include "common/Golden.h"
#include "engine/RtfScratch.h"
#include "engine/StandInBandPage.h"
#include "output/OutputTestSupport.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Pen.h"
#include "platform/graphics/Screen.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace qor;
using namespace qor::test;

namespace {

// A label that needs Total pixels and prints them in pieces as large as the room allows.
class TPieceLabel : public TKivLabel {
public:
    using TKivLabel::TKivLabel;
    void StartPrint() override
    {
        TKivLabel::StartPrint();
        Remaining = Total;
    }
    Integer SpendHeight(TComponent*, Integer Space) override
    {
        return Space < 0 ? Remaining : std::min(Remaining, Space);
    }
    Integer PrintHeight(TComponent* oPage, Integer Space, Integer Taking) override
    {
        if (EndPrint())
            return 0;
        const Integer H = SpendHeight(oPage, Space);
        Remaining -= H;
        Pieces.push_back({H, Taking});
        SetEndPrint(Remaining == 0);
        return H;
    }
    Integer Total = 0;
    Integer Remaining = 0;
    std::vector<std::pair<Integer, Integer>> Pieces; // (height printed, height the band takes so far)
};

// A band on a page whose output canvas draws on a recording context.
class BandPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Band.SetBounds(0, 0, 700, 40);
        Label.SetParent(&Band);
        Label.SetBounds(10, 5, 100, 20);
        Label.SetCaption("Total");
        Page.X = 50;
        Page.Y = 200;
    }
    std::vector<std::string> Drawn() { return Rec.Drawn(); }
    bool Drew(const std::string& Prefix)
    {
        const auto D = Drawn();
        return std::any_of(D.begin(), D.end(), [&](const std::string& S) { return S.rfind(Prefix, 0) == 0; });
    }

    TRecordingCanvas Rec;
    TStandInBandPage Page{&Rec.Canvas};
    TKivBand Band{nullptr};
    TKivLabel Label{nullptr};
};

TEST(Band, OnlyAPageIsAcceptedAsParentAndTheListsFollowTheBand)
{
    TStandInBandPage First, Second;
    TStandInPrintPage NotABandPage;
    TWinControl Form(nullptr);
    TKivBand B(nullptr);
    EXPECT_EQ(B.Caption(), " ");
    EXPECT_TRUE(B.PrintVisible());

    EXPECT_THROW(B.SetParent(&Form), EAbort) << "refused silently";
    EXPECT_THROW(B.SetParent(&NotABandPage), EAbort);
    EXPECT_EQ(B.Parent(), nullptr);
    B.SetParent(&First);
    EXPECT_EQ(First.Bands, std::vector<TKivBand*>{&B});
    EXPECT_EQ(B.Page(), &First);
    EXPECT_THROW(B.SetParent(&Form), EAbort);
    EXPECT_EQ(B.Parent(), &First) << "a refused move leaves the band where it was";
    B.SetParent(&First);
    EXPECT_EQ(First.Bands.size(), 1u) << "the same parent again changes nothing";

    // Labels dropped on the band join its list and the page's.
    TKivLabel L(nullptr);
    L.SetParent(&B);
    EXPECT_EQ(B.Labels(), std::vector<TKivLabel*>{&L});
    EXPECT_EQ(First.PageLabels, std::vector<TKivLabel*>{&L});
    EXPECT_EQ(L.Page(), &First);
    L.SetParent(nullptr);
    EXPECT_TRUE(B.Labels().empty());
    EXPECT_TRUE(First.PageLabels.empty());

    // Moved to another page, the band leaves the first page's list.
    B.SetParent(&Second);
    EXPECT_TRUE(First.Bands.empty());
    EXPECT_EQ(Second.Bands, std::vector<TKivBand*>{&B});
    B.SetParent(nullptr);
    EXPECT_TRUE(Second.Bands.empty());
    EXPECT_EQ(B.Page(), nullptr);

    // Resizing asks the page to lay its bands out again, unless the page is doing so.
    B.SetParent(&First);
    First.ArrangeCount = 0;
    B.SetBounds(0, 0, 700, 50);
    EXPECT_EQ(First.ArrangeCount, 1);
    First.Arranging = true;
    B.SetBounds(0, 10, 700, 50);
    EXPECT_EQ(First.ArrangeCount, 1);

    // A new order re-sorts the page's bands in the designer only, and never while reading.
    First.Arranging = false;
    First.ArrangeCount = 0;
    B.SetOrder(3);
    EXPECT_EQ(First.OrderCount, 0);
    B.SetDesigning(true);
    B.SetOrder(4);
    EXPECT_EQ(First.OrderCount, 1);
    EXPECT_EQ(First.ArrangeCount, 1);
    B.SetComponentStateFlag(csReading, true);
    B.SetOrder(5);
    B.SetComponentStateFlag(csReading, false);
    B.SetOrderDirect(6);
    EXPECT_EQ(First.OrderCount, 1);
    EXPECT_EQ(B.Order(), 6);
    B.SetDesigning(false);

    // A band freed on its page, with its labels, leaves the lists.
    auto* Gone = new TKivBand(nullptr);
    Gone->SetParent(&Second);
    auto* OnIt = new TKivLabel(Gone);
    OnIt->SetParent(Gone);
    Free(Gone);
    EXPECT_TRUE(Second.Bands.empty());
}

TEST_F(BandPrint, PrintWhenVisibleAndRepeatDecideWhetherTheBandPrints)
{
    EXPECT_TRUE(Band.PrintOk());
    EXPECT_EQ(Band.PHeight(), 40);
    Band.SetPrintVisible(false);
    EXPECT_FALSE(Band.PrintOk());
    EXPECT_EQ(Band.PHeight(), 0);
    Band.SetPrintVisible(true);

    Band.SetContinued(true);
    EXPECT_FALSE(Band.PrintOk()) << "a band repeated at a page top prints only when it asks to";
    Band.SetNewPageRepeat(true);
    EXPECT_TRUE(Band.PrintOk());
    Band.SetContinued(false);

    Band.OnPrintWhen = [](TKivBand*, bool&) {};
    Band.Print(&Page);
    EXPECT_TRUE(Drawn().empty()) << "Result starts false";
    Band.OnPrintWhen = [](TKivBand* B, bool& Result) { Result = B->Height() == 40; };
    Band.Print(&Page);
    EXPECT_TRUE(Drew("TextOut(62,223,\"Total\")"));

    Integer Shown = 0;
    Application()->OnException = [&](TObject*, const Exception&) { ++Shown; };
    Band.OnPrintWhen = [](TKivBand*, bool& Result) {
        Result = true;
        throw Exception("no data");
    };
    EXPECT_FALSE(Band.PrintOk()) << "a failing handler refuses";
    Band.Print(&Page);
    Band.StartPrint();
    EXPECT_TRUE(Band.EndPrint());
    EXPECT_EQ(Band.SpendHeight(&Page, 100), 0);
    EXPECT_EQ(Band.PrintHeight(&Page, 100), 0);
    EXPECT_TRUE(Drawn().empty());
    EXPECT_EQ(Shown, 0) << "nothing is shown";
    Application()->OnException = nullptr;
}

TEST_F(BandPrint, WholePrintFillsFramesAndPrintsItsLabelsInsideThePrintRange)
{
    Band.SetColor(0x00FF00);
    Band.SetBorderType(btSingle);
    std::vector<bool> PrintingInEvents;
    Band.OnBeforePrint = [&](TObject*) { PrintingInEvents.push_back(Band.BandState().Contains(bsPrinting)); };
    Label.OnBeforePrint = [&](TKivLabel*) { PrintingInEvents.push_back(Band.BandState().Contains(bsPrinting)); };
    Band.OnAfterPrint = [&](TObject*) { PrintingInEvents.push_back(Band.BandState().Contains(bsPrinting)); };
    Band.Print(&Page);
    EXPECT_EQ(PrintingInEvents, (std::vector<bool>{false, true, false}));
    // Width: page width 700 + half an inch of margin at 96 - x 50 - 1 = 697.
    const auto D = Drawn();
    EXPECT_EQ(D.front(), "FillRect(50,201,747,241,Brush style=0 color=$00FF00 hatch=0)") << D.front();
    EXPECT_NE(std::find(D.begin(), D.end(), "TextOut(62,223,\"Total\")"), D.end());
    EXPECT_GT(D.size(), 2u) << "the border";

    Band.SetColor(0xFFFFFF);
    Band.SetBorderType(btNone);
    Band.Print(&Page);
    EXPECT_EQ(Drawn(), std::vector<std::string>{"TextOut(62,223,\"Total\")"}) << "white is not filled";

    Page.InRange = false;
    Band.Print(&Page);
    EXPECT_TRUE(Drawn().empty()) << "a page outside the print range is not drawn";

    TStandInPrintPage NotABandPage(&Rec.Canvas);
    EXPECT_THROW(Band.Print(&NotABandPage), EInvalidOperation);
}

TEST_F(BandPrint, FailingPrintEventsAreShownAndThePrintGoesOn)
{
    std::vector<std::string> Shown;
    Application()->OnException = [&](TObject*, const Exception& E) { Shown.push_back(E.Message()); };
    Band.OnBeforePrint = [](TObject*) { throw Exception("before"); };
    Band.OnAfterPrint = [](TObject*) { throw Exception("after"); };
    Band.Print(&Page);
    Application()->OnException = nullptr;
    EXPECT_EQ(Shown, (std::vector<std::string>{"before", "after"}));
    EXPECT_TRUE(Drew("TextOut(62,223,\"Total\")"));
    EXPECT_FALSE(Band.BandState().Contains(bsPrinting));
}

TEST_F(BandPrint, SpendHeightFollowsStretchRoomAndTheTopOfAPage)
{
    EXPECT_EQ(Band.SpendHeight(&Page, 40), 40);
    EXPECT_EQ(Band.SpendHeight(&Page, 39), 0) << "a band that does not stretch needs its height";

    Band.SetStretch(true);
    Band.StartPrint();
    EXPECT_EQ(Band.SpendHeight(&Page, 100), 25) << "what the labels need: top + height";
    EXPECT_EQ(Band.SpendHeight(&Page, -1), 25) << "unlimited room";
    EXPECT_EQ(Band.SpendHeight(&Page, 30), 0) << "less room than the band's height";
    Page.AtTop = true;
    EXPECT_EQ(Band.SpendHeight(&Page, 30), 25) << "at the top of a fresh page it goes anyway";

    TKivBand Empty(nullptr);
    Empty.SetParent(&Page);
    Empty.SetStretch(true);
    Empty.StartPrint();
    EXPECT_EQ(Empty.SpendHeight(&Page, 100), 0);
}

TEST_F(BandPrint, StretchingPrintTakesTheBandsHeightFirstThenWhatTheLabelsNeed)
{
    Label.SetParent(nullptr);
    TPieceLabel Piece(nullptr);
    Piece.SetParent(&Band);
    Piece.Total = 130;
    Band.SetStretch(true);
    Band.SetColor(0x00FF00);
    Integer After = 0;
    Band.OnAfterPrint = [&](TObject*) { ++After; };

    Band.StartPrint();
    EXPECT_TRUE(Band.FirstPass());
    EXPECT_TRUE(Band.BandState().Contains(bsPrinting));
    EXPECT_EQ(Band.PrintHeight(&Page, 30), 0) << "nothing fits below the band's height";
    EXPECT_TRUE(Drawn().empty());
    EXPECT_TRUE(Piece.Pieces.empty());

    // First piece with room for 100: the label fills it.
    Page.AtTop = true;
    EXPECT_EQ(Band.PrintHeight(&Page, 100), 100);
    EXPECT_TRUE(Drew("FillRect(50,201,749,301,")) << "page width 700 - 1, piece height";
    EXPECT_FALSE(Band.EndPrint());
    EXPECT_FALSE(Band.FirstPass());
    // Second piece: 30 left, less than the band's height, and it takes only that.
    EXPECT_EQ(Band.PrintHeight(&Page, 500), 30);
    EXPECT_TRUE(Band.EndPrint());
    EXPECT_EQ(After, 1);
    EXPECT_FALSE(Band.BandState().Contains(bsPrinting));
    EXPECT_EQ(Piece.Pieces, (std::vector<std::pair<Integer, Integer>>{{100, 100}, {30, 30}}));

    // A first piece shorter than the band still takes the band's height.
    Piece.Total = 12;
    Piece.Pieces.clear();
    Band.StartPrint();
    EXPECT_EQ(Band.PrintHeight(&Page, 500), 40);
    EXPECT_EQ(Piece.Pieces, (std::vector<std::pair<Integer, Integer>>{{12, 40}})) << "the label knows the room taken";
    Drawn();

    // Outside the print range the labels lay out to nowhere: same pieces, nothing drawn.
    Page.InRange = false;
    Piece.Total = 130;
    Piece.Pieces.clear();
    Page.Dests.clear();
    Band.StartPrint();
    EXPECT_EQ(Band.PrintHeight(&Page, 100), 100);
    EXPECT_EQ(Band.PrintHeight(&Page, 100), 30);
    EXPECT_TRUE(Drawn().empty());
    EXPECT_EQ(Page.Dests, (std::vector<TQorDestination>{qdNoWhere, qdQorFile, qdNoWhere, qdQorFile}));
    EXPECT_EQ(Page.Dest, qdQorFile) << "the destination comes back";

    // A plain label finished by one stretching print prints again in the next.
    Piece.SetParent(nullptr);
    Label.SetParent(&Band);
    Page.InRange = true;
    for (Integer Run = 0; Run < 2; ++Run) {
        Band.StartPrint();
        EXPECT_EQ(Band.PrintHeight(&Page, 500), 40);
        EXPECT_TRUE(Band.EndPrint());
        EXPECT_TRUE(Drew("TextOut(62,223,\"Total\")")) << "run " << Run;
    }
}

TEST(BandReserve, ReserveSpaceIsSpacePlusCopiesOfItsBand)
{
    TStandInBandPage Page;
    TKivBand Main(nullptr);
    Main.SetParent(&Page);
    Main.ReserveSpace()->SetSpace(30);
    EXPECT_EQ(Main.ReserveSpace()->GetReserve(), 30);
    auto* Footer = new TKivBand(nullptr);
    Footer->SetParent(&Page);
    Footer->SetBounds(0, 0, 700, 20);
    Main.ReserveSpace()->SetBand(Footer);
    Main.ReserveSpace()->SetBandCount(2);
    EXPECT_EQ(Main.ReserveSpace()->GetReserve(), 70);
    auto* Level = new TKivLevel(nullptr);
    Main.SetUpdateLevel(Level);
    Free(Footer);
    EXPECT_EQ(Main.ReserveSpace()->Band(), nullptr) << "a freed band leaves the reserve";
    Free(Level);
    EXPECT_EQ(Main.UpdateLevel(), nullptr) << "a freed level leaves the band";
    EXPECT_EQ(Main.ReserveSpace()->GetReserve(), 30);
}

TEST(BandReserve, FromTheReserveToItsBandAndFromTheBandToItsReport)
{
    TComponent Root(nullptr);
    auto* Report = new TKivReport(&Root);
    auto* Page = new TKivGrouppage(&Root);
    auto* B = new TKivBand(&Root);
    B->SetParent(Page);
    EXPECT_EQ(B->ReserveSpace()->OwnerBand(), B);
    EXPECT_EQ(B->ReserveSpace()->GetOwner(), B);
    EXPECT_EQ(B->Report(), nullptr) << "a page off a report";
    Page->SetParent(Report);
    EXPECT_EQ(B->Report(), Report);
    EXPECT_TRUE(B->OkDelete());
    // The page's own resolution and pen.
    EXPECT_EQ(Page->PixelsPerInch(), Report->ReportPixelsPerInch());
    ASSERT_NE(Page->Pen(), nullptr);
    EXPECT_EQ(Page->Pen()->Color(), clBlack);
}

TEST(BandDelete, AtDesignTimeOnlyThePageManagerDeletesABand)
{
    TStandInBandPage Page;
    auto* B = new TKivBand(nullptr);
    B->SetParent(&Page);
    B->SetDesigning(true);
    try {
        Free(B);
        FAIL() << "deleted";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "You are not allowed to delete a band outside of the page manager.");
    }
    EXPECT_EQ(Page.Bands, std::vector<TKivBand*>{B}) << "the band stays, whole";
    EXPECT_FALSE(B->AllowDelete());
    B->SafeDelete();
    EXPECT_TRUE(Page.Bands.empty());

    // Run time, or no parent, or an owner freeing what it owns: allowed.
    auto* Free1 = new TKivBand(nullptr);
    Free1->SetDesigning(true);
    EXPECT_TRUE(Free1->AllowDelete());
    Free(Free1);
    auto* Owner = new TComponent(nullptr);
    auto* Owned = new TKivBand(Owner);
    Owned->SetParent(&Page);
    Owner->SetDesigning(true);
    Free(Owner);
    EXPECT_TRUE(Page.Bands.empty());
}

TEST(BandLoading, AFontOfAnotherResolutionKeepsItsPixelHeightAtThePagesResolution)
{
    TStandInBandPage Page;
    Page.PPI = 300;
    TKivBand B(nullptr);
    B.SetParent(&Page);
    EXPECT_EQ(B.GetPPI(), 300);
    B.Font()->SetHeight(-16);
    B.SetComponentStateFlag(csLoading, true);
    B.Loaded();
    EXPECT_EQ(B.Font()->PixelsPerInch(), 300);
    EXPECT_EQ(B.Font()->Height(), -16);

    // Left alone: a font taken from the page, and any font while designing.
    TKivBand Parented(nullptr), Designed(nullptr);
    Parented.SetParentFont(true);
    Designed.SetDesigning(true);
    for (TKivBand* Other : {&Parented, &Designed}) {
        Other->SetParent(&Page);
        const Integer Before = Other->Font()->PixelsPerInch();
        Other->Loaded();
        EXPECT_EQ(Other->Font()->PixelsPerInch(), Before);
    }
    TKivBand Unparented(nullptr);
    EXPECT_EQ(Unparented.GetPPI(), ScreenPixelsPerInch()) << "without a page, the screen's";
}

TEST(BandStreaming, PrintFlagAndPropertiesRoundTripApartFromTheControlsVisibility)
{
    RegisterClass(TKivBand::StaticClass());
    RegisterClass(TKivLabel::StaticClass());
    TKivBand B(nullptr);
    B.SetName("Detail");
    B.SetPrintVisible(false);
    EXPECT_TRUE(B.Visible()) << "the print flag is not the control's visibility";
    B.SetVisible(false);
    B.SetVisible(true);
    EXPECT_FALSE(B.PrintVisible());
    B.SetStretch(true);
    B.SetKeepTogether(true);
    B.SetBandName("Details");
    B.SetNewPage(true);
    B.SetBorderType(btUnderLine);
    B.SetShade(spLight);
    B.ReserveSpace()->SetSpace(12);
    auto* L = new TKivLabel(&B);
    L->SetName("Label1");
    L->SetParent(&B);
    L->SetRow(2);

    const String Text = WriteComponentToText(&B);
    EXPECT_NE(Text.find("Visible = False"), String::npos) << Text;
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Text));
    auto* R = dynamic_cast<TKivBand*>(Read.get());
    ASSERT_NE(R, nullptr);
    EXPECT_FALSE(R->PrintVisible());
    EXPECT_TRUE(R->Visible()) << "the stream sets the print flag, not the control's visibility";
    EXPECT_EQ(R->ReserveSpace()->Space(), 12);
    ASSERT_EQ(R->Labels().size(), 1u);
    EXPECT_EQ(R->Labels()[0]->Row(), 2);
    EXPECT_EQ(WriteComponentToText(R), Text);

    // A hidden control that prints writes no "Visible" at all.
    R->SetPrintVisible(true);
    R->SetVisible(false);
    EXPECT_EQ(WriteComponentToText(R).find("Visible"), String::npos) << WriteComponentToText(R);
}

TEST(BandCopy, ACopiedTextLabelIsPastedAsAVariableLabelByItsExactName)
{
    const String Copied = "object Label1: TKivTextLabel\r\n"
                          "  Caption = 'object Label1: TKivTextLabel'\r\n"
                          "end\r\n"
                          "object XLabel1: TKivTextLabel\r\n"
                          "end\r\n"
                          "  inherited Label1: TKivTextLabel [2]\r\n"
                          "  end\r\n";
    EXPECT_EQ(KivTextLabelToVarLabel(Copied, "Label1"), "object Label1: TKivVarLabel\r\n"
                                                        "  Caption = 'object Label1: TKivTextLabel'\r\n"
                                                        "end\r\n"
                                                        "object XLabel1: TKivTextLabel\r\n"
                                                        "end\r\n"
                                                        "  inherited Label1: TKivVarLabel [2]\r\n"
                                                        "  end\r\n");
    EXPECT_EQ(KivTextLabelToVarLabel("object Label1: TKivLabel\n", "Label1"), "object Label1: TKivLabel\n");

    // Through the band's message, on the clipboard.
    TKivBand B(nullptr);
    TKivLabel L(nullptr);
    L.SetName("Label1");
    Clipboard()->SetAsText("object Label1: TKivTextLabel\nend\n");
    B.Perform(KIV_MODIFYLABEL, 0, reinterpret_cast<LPARAM>(&L));
    EXPECT_EQ(Clipboard()->AsText(), "object Label1: TKivTextLabel\nend\n")
        << "a label that is not (or no longer) on the band is left alone: the message may come late";
    L.SetParent(&B);
    Clipboard()->SetAsText("object XLabel1: TKivTextLabel\nend\n");
    B.Perform(KIV_MODIFYLABEL, 0, reinterpret_cast<LPARAM>(&L));
    EXPECT_EQ(Clipboard()->AsText(), "object XLabel1: TKivTextLabel\nend\n");
    Clipboard()->SetAsText("object Label1: TKivTextLabel\nend\n");
    B.Perform(KIV_MODIFYLABEL, 0, reinterpret_cast<LPARAM>(&L));
    EXPECT_EQ(Clipboard()->AsText(), "object Label1: TKivVarLabel\nend\n");
    L.SetParent(nullptr);
    Clipboard()->Clear();
}

// RTF output of a band.
class BandRtf : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Band.SetBounds(0, 0, 700, 24);
    }
    // What the document gained since the last call.
    std::string Written() { return Doc.Written(); }
    TKivLabel* Add(const char* Caption, Integer Left, Integer Width, TKivHorizontalAlign Align)
    {
        auto* L = new TKivLabel(&Owner);
        L->SetParent(&Band);
        L->SetBounds(Left, 0, Width, 20);
        L->SetCaption(Caption);
        L->SetHorizontalAlign(Align);
        return L;
    }

    TRtfScratch Doc{"band"};
    std::unique_ptr<TKivRtfFile>& Rtf = Doc.Rtf;
    TStandInBandPage Page;
    TKivBand Band{nullptr};
    TComponent Owner{nullptr};
};

TEST_F(BandRtf, LabelsAreWrittenLeftToRightByTheirAnchorRowByRow)
{
    Add("Left", 100, 50, laLeft);
    Add("Centre", 0, 300, laCenter);
    Add("Right", 0, 120, laRight);
    Add("Second row", 0, 50, laLeft)->SetRow(1);
    Band.SetBorderType(btUnderLine);
    Band.PrintRtf(&Page, Rtf.get());
    const std::string Out = Written();
    // 96 pixels an inch: 100 -> 1500 twips, right edge 120 -> 1800, centre 150 -> 2250.
    const auto Left = Out.find("\\tx1500 "), Right = Out.find("\\tqr\\tx1800 "), Centre = Out.find("\\tqc\\tx2250 ");
    ASSERT_NE(Left, std::string::npos) << Out;
    ASSERT_NE(Right, std::string::npos) << Out;
    ASSERT_NE(Centre, std::string::npos) << Out;
    EXPECT_LT(Left, Right);
    EXPECT_LT(Right, Centre);
    const auto L = Out.find("Left"), R = Out.find("Right"), C = Out.find("Centre"), Next = Out.find("Second row");
    EXPECT_LT(L, R);
    EXPECT_LT(R, C);
    EXPECT_LT(C, Next) << "the second row follows in its own paragraph";
    EXPECT_NE(Out.find("\\brdrb"), std::string::npos) << "an underline is a bottom border: " << Out;
    EXPECT_TRUE(Band.EndPrint());

    // A label whose row is never reached ends the band's rows instead of looping for ever.
    Band.SetBorderType(btNone);
    Add("Never", 0, 50, laLeft)->SetRow(-1);
    Band.PrintRtf(&Page, Rtf.get());
    const std::string Rows = Written();
    EXPECT_NE(Rows.find("Second row"), std::string::npos);
    EXPECT_EQ(Rows.find("Never"), std::string::npos);
    EXPECT_TRUE(Band.EndPrint());

    Band.SetPrintVisible(false);
    Band.SetEndPrint(false);
    Band.PrintRtf(&Page, Rtf.get());
    EXPECT_EQ(Written(), "") << "a band that does not print writes nothing";
    EXPECT_TRUE(Band.EndPrint());
}

// A band printed whole and stretched over two pieces, as the page file records it.
class BandPageFile : public DescribedPrinterTest {};

TEST_F(BandPageFile, BandsPrintIntoThePageFileAsTheGoldenDumpShows)
{
    Select("Plain Printer");
    TQorOutput Job;
    Job.SetDestination(qdQorFile);
    Job.BeginDoc();
    TStandInBandPage Page(Job.QorCanvas());
    Page.SetColor(0xFFFFFF);
    Page.Width_ = 600;
    TKivBand Whole(nullptr);
    Whole.SetParent(&Page);
    Whole.SetBounds(0, 0, 600, 30);
    Whole.SetColor(0xE0FFFF);
    Whole.SetBorderType(btSingle);
    TKivLabel Title(nullptr);
    Title.SetParent(&Whole);
    Title.SetBounds(10, 4, 200, 22);
    Title.SetCaption("Whole band");
    Page.X = 48;
    Page.Y = 96;
    Whole.Print(&Page);

    TKivBand Stretching(nullptr);
    Stretching.SetParent(&Page);
    Stretching.SetBounds(0, 0, 600, 40);
    Stretching.SetStretch(true);
    Stretching.SetShade(spLight);
    Stretching.SetBorderType(btUnderLine);
    TPieceLabel Piece(nullptr);
    Piece.SetParent(&Stretching);
    Piece.Total = 90;
    Stretching.StartPrint();
    Page.Y = 130;
    EXPECT_EQ(Stretching.PrintHeight(&Page, 60), 60);
    // On a fresh page a piece prints even in less room than the band's height.
    Job.NewPage();
    Page.Y = 96;
    Page.AtTop = true;
    EXPECT_EQ(Stretching.PrintHeight(&Page, 20), 20);
    Page.Y = 116;
    Page.AtTop = false;
    EXPECT_EQ(Stretching.PrintHeight(&Page, 500), 10);
    EXPECT_TRUE(Stretching.EndPrint());
    Job.EndDoc();
    ExpectGoldenPageFile(std::string(QOR_TEST_DATA_DIR) + "/engine/band-print.dump", *Job.QorFile());
    if (const char* Keep = std::getenv("QOR_BAND_QOR")) // to look at it: qor render
        Job.QorFile()->SaveToFile(Keep);
}

TEST(BandDesign, TheDesignerSeesTheShadeThePrintableWidthAndTheBorder)
{
    const char* Png = std::getenv("QOR_BAND_PNG");
    HDC DC = CreateRasterDC(320, 100);
    TStandInBandPage Page;
    Page.PrintWidth = 2.5; // 240 pixels at 96
    TKivBand Plain(nullptr), Shaded(nullptr);
    for (TKivBand* B : {&Plain, &Shaded}) {
        B->SetColor(0xFFFFFF);
        B->SetBevelOuter(bvNone);
        B->SetParent(&Page);
    }
    Plain.SetBounds(0, 0, 300, 40);
    Shaded.SetBounds(0, 50, 300, 40);
    Shaded.SetShade(spMedium);
    Shaded.SetBorderType(btSingle);
    Plain.PaintTo(DC, 0, 0);
    Shaded.PaintTo(DC, 0, 50);
    if (Png)
        SaveDCToPng(DC, Png);

    const auto At = [&](Integer X, Integer Y) { return GetPixel(DC, X, Y) & 0xFFFFFF; };
    const auto Count = [&](Integer X0, Integer X1, Integer Y0, Integer Y1, auto Test) {
        Integer N = 0;
        for (Integer Y = Y0; Y < Y1; ++Y)
            for (Integer X = X0; X < X1; ++X)
                N += Test(At(X, Y));
        return N;
    };
    const auto Black = [](COLORREF C) { return C == 0; };
    // The dotted line where the printable width ends, on both bands.
    EXPECT_GT(Count(240, 241, 2, 38, Black), 10);
    EXPECT_LT(Count(240, 241, 2, 38, Black), 30);
    EXPECT_EQ(Count(230, 239, 2, 38, Black), 0);
    // btNone shows the dotted design outline; btSingle a solid frame.
    EXPECT_GT(Count(0, 300, 0, 1, Black), 100);
    EXPECT_LT(Count(0, 300, 0, 1, Black), 200);
    EXPECT_EQ(Count(0, 300, 50, 51, Black), 300);
    // The shade covers the inside of the shaded band only.
    EXPECT_GT(Count(10, 230, 55, 85, Black), 500);
    EXPECT_EQ(Count(10, 230, 5, 35, Black), 0);
    DeleteDC(DC);
}

} // namespace
