// The label base: its defaults and parent rule, the print protocol on a recording device context
// and into a page file, alignment anchors, clipping, background, borders (pixels, design-time
// outlines), RTF output, and what it tells the designer.

#include "engine/StandInBand.h"
#include "platform/graphics/Gdi.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/output/QorOut.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace qor;
using namespace qor::test;

namespace {

// A label on a band on a page whose output canvas draws on a recording context.
class LabelPrint : public ::testing::Test {
protected:
    void SetUp() override
    {
        DC = CreateRecordingDC(816, 1056, 96);
        Canvas.SetPixelsPerInchX(96);
        Canvas.SetPixelsPerInchY(96);
        Canvas.SetHandle(DC);
        Band.SetParent(&Page);
        Label.SetParent(&Band);
        Label.SetBounds(10, 5, 100, 20);
        Label.SetCaption("Total");
        Page.X = 50;
        Page.Y = 200;
    }
    void TearDown() override
    {
        Canvas.SetHandle(HDC());
        DeleteDC(DC);
    }
    std::vector<std::string> Calls()
    {
        std::vector<std::string> Out;
        for (const String& S : GetRecordedCalls(DC))
            Out.push_back(S);
        ClearRecordedCalls(DC);
        return Out;
    }
    // The calls that draw (not those that select objects or set attributes).
    std::vector<std::string> Drawn()
    {
        std::vector<std::string> Out;
        for (const std::string& S : Calls())
            for (const char* Kind : {"TextOut", "ExtTextOut", "FillRect", "PatBlt", "MoveTo", "LineTo", "Rectangle"})
                if (S.rfind(Kind, 0) == 0)
                    Out.push_back(S);
        return Out;
    }

    HDC DC;
    TQorCanvas Canvas;
    TStandInPrintPage Page{&Canvas};
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
    EXPECT_TRUE(L->IsVisible());
    EXPECT_EQ(L->Caption(), "") << "the caption does not take the component's name";
    EXPECT_EQ(L->GetDataNow(), "");
    EXPECT_EQ(L->Page(), nullptr);
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
        Calls();
        Label.Print(&Page, 100);
        const auto L = Calls();
        EXPECT_TRUE(Contains(L, "SetTextAlign(" + std::to_string(C.Flags) + ")") || C.Flags == 0);
        EXPECT_TRUE(Contains(L, "TextOut(" + std::to_string(C.X) + "," + std::to_string(C.Y) + ",\"Total\")"))
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

TEST_F(LabelPrint, BackgroundIsTheColourTheShadeOrNothing)
{
    Label.SetTransparent(false);
    Label.SetColor(0x00FF00);
    Label.Print(&Page, 100);
    auto L = Calls();
    EXPECT_TRUE(Contains(L, "SelectObject(Brush style=0 color=$00FF00 hatch=0)"));
    EXPECT_TRUE(Contains(L, "FillRect(60,205,160,225,Brush style=0 color=$00FF00 hatch=0)"));

    Label.SetShade(spMedium);
    Label.Print(&Page, 100);
    L = Calls();
    EXPECT_FALSE(Contains(L, "FillRect(60,205,160,225,Brush style=0 color=$00FF00 hatch=0)"));
    EXPECT_TRUE(std::any_of(L.begin(), L.end(),
                            [](const std::string& S) { return S.find("PatBlt") == 0 || S.find("FillRect") == 0; }));

    Label.SetTransparent(true);
    Label.Print(&Page, 100);
    EXPECT_EQ(Drawn().size(), 1u) << "transparency wins over the shade";
}

} // namespace
