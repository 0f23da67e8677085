// Text and variable labels: where their text comes from, memo text split over pieces and pages,
// repeated values left out, RTF rows and tabs, blobs and pictures, and loading from a form file.

#include "runtime/engine/KivText.h"
#include "common/Golden.h"
#include "engine/PageTestSupport.h"
#include "engine/RtfScratch.h"
#include "engine/StandInBandPage.h"
#include "platform/rtl/Filer.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/output/QorMemoU.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <utility>

#include <algorithm>

using namespace qor;
using namespace qor::test;

namespace {

using TTexts = std::vector<std::vector<std::string>>;

std::string Golden(const char* Name) { return std::string(QOR_TEST_DATA_DIR) + "/engine/text/" + Name; }

// Numbered lines "Line 001" to "Line <N>".
std::vector<String> NumberedLines(Integer N)
{
    std::vector<String> Out;
    for (Integer I = 1; I <= N; ++I) {
        char Buf[16];
        std::snprintf(Buf, sizeof Buf, "Line %03d", I);
        Out.push_back(Buf);
    }
    return Out;
}

class TextPage : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        // The detail band shows only what a test puts on it.
        Free(Page->Detail()->Labels()[0]);
    }

    template <class L>
    L* Add(TKivBand* Band, Integer Left, Integer Top = 2, Integer Width = 120, Integer Height = 16)
    {
        auto* Label = new L(&Root);
        Label->SetParent(Band);
        Label->SetBounds(Left, Top, Width, Height);
        return Label;
    }
    TKivvarlabel* VarLabel(TKivBand* Band, TKivVar* Var, Integer Left)
    {
        auto* L = Add<TKivvarlabel>(Band, Left);
        L->SetVariable(Var);
        return L;
    }
    TKivTextLabel* TextLabel(TKivBand* Band, const String& Caption, Integer Left)
    {
        auto* L = Add<TKivTextLabel>(Band, Left);
        L->SetCaption(Caption);
        return L;
    }
    TDataSource* UseData(std::initializer_list<const char*> Columns, std::initializer_list<const char*> Rows)
    {
        TDataSource* S = Data(Columns, Rows);
        Page->SetDataSource(S);
        return S;
    }
    TKivLevel* DetailLevel() { return Page->Detail()->UpdateLevel(); }
};

TEST_F(TextPage, EachLabelTakesItsTextFromTheFirstSourceItHas)
{
    TDataSource* S = UseData({"Name:String", "Amount:Currency"}, {"Ann,1234.5", "Bob,7"});
    TKivDBVar* Name = Field(S, "Name", DetailLevel());
    TKivDBVar* Amount = Field(S, "Amount", DetailLevel());
    TKivBand* D = Page->Detail();
    VarLabel(D, Name, 0);
    VarLabel(D, Name, 100)->SetCaption("a caption loses to the variable");
    VarLabel(D, Amount, 200)->DataFormat()->SetDisplayFormat("#,##0.00");
    TextLabel(D, "Caption", 300)->Lines()->Add("a line loses to the caption");
    auto* Lines = TextLabel(D, "", 400);
    Lines->Lines()->Add("First line");
    Lines->Lines()->Add("Second line");
    auto* Nothing = Add<TKivvarlabel>(D, 500);

    const std::string Dump = Run();
    EXPECT_EQ(TextsOf(PagesOf(Dump)), (TTexts{{"PH", "Ann", "Ann", "1,234.50", "Caption", "First line", "", "Bob",
                                               "Bob", "7.00", "Caption", "First line", "", "RF", "PF"}}))
        << "without wrapping only the first line shows; no variable and no caption prints an empty text";
    ExpectGoldenFile(Golden("sources.dump"), Dump);

    EXPECT_EQ(Nothing->GetDisplayText(), "") << "the placeholder shows only in the designer";
    EXPECT_EQ(TextLabel(D, "", 0)->GetDisplayText(), "");
    Nothing->SetVariable(Name);
    EXPECT_EQ(Nothing->GetDisplayText(), Name->Name());
    Free(Name);
    EXPECT_EQ(Nothing->Variable(), nullptr) << "a variable that goes is let go";
}

TEST_F(TextPage, AMemoSplitsOverPagesWithoutLosingOrRepeatingALine)
{
    UseData({"N:Integer"}, {"1"});
    TKivBand* D = Page->Detail();
    D->SetStretch(true);
    auto* Memo = TextLabel(D, "", 10);
    for (const String& L : NumberedLines(200))
        Memo->Lines()->Add(L);
    Memo->SetWrapText(true);
    ASSERT_TRUE(Memo->Stretch()) << "wrapping turns stretching on outside of loading";
    Memo->SetBorderType(btSingle);
    TextLabel(D, "beside", 300);

    const std::string Dump = Run();
    ExpectGoldenFile(Golden("memo-split.dump"), Dump);
    const auto Pages = PagesOf(Dump);
    ASSERT_GE(Pages.size(), 3u);
    std::vector<String> Printed;
    for (const auto& P : Pages) {
        Integer LastY = -1;
        for (const TShown& S : P) {
            if (S.Text.rfind("Line ", 0) != 0)
                continue;
            EXPECT_GT(S.Y, LastY) << "lines go down the page: " << S.Text;
            LastY = S.Y;
            Printed.push_back(S.Text);
        }
    }
    EXPECT_EQ(Printed, NumberedLines(200));
    // A continued piece starts one pixel below the band's top on the fresh page, under the head.
    EXPECT_EQ(Pages[1][0].Text, "PH");
    EXPECT_EQ(std::count_if(Pages[0].begin(), Pages[0].end(), [](const TShown& S) { return S.Text == "beside"; }), 1);
    EXPECT_EQ(Pages.back()[Pages.back().size() - 2].Text, "RF");
}

TEST_F(TextPage, LabelsAtTheEndsOfTheCoordinateRangeLieOffThePage)
{
    UseData({"N:Integer"}, {"1"});
    TKivBand* D = Page->Detail();
    D->SetStretch(true);
    const Integer Max = std::numeric_limits<Integer>::max(), Min = std::numeric_limits<Integer>::min();
    for (const auto& [Left, Top] : {std::pair{Max, Max}, std::pair{Min, Min}, std::pair{Max, 2}, std::pair{2, Max}}) {
        auto* Far = Add<TKivTextLabel>(D, Left, Top, Max, Max);
        Far->SetCaption("far");
        if (Left != 2) {
            auto* Memo = Add<TKivTextLabel>(D, Left, 2, Max);
            Memo->Lines()->Add("far memo");
            Memo->SetWrapText(true);
        }
        EXPECT_LE(std::abs(Int64(Far->Left())) + Far->Width(), Int64(1) << 25) << "held far off any page";
    }
    TextLabel(D, "near", 10);
    const std::string Dump = Run();
    EXPECT_NE(Dump.find("\"near\""), std::string::npos);
    for (const auto& P : PagesOf(Dump))
        for (const TShown& S : P)
            EXPECT_TRUE(S.Text.find("far") == std::string::npos || std::abs(S.X) >= 32767 || S.Y >= 32767)
                << S.Text << " at " << S.X << "," << S.Y << " (page files hold 16-bit coordinates)";
}

TEST_F(TextPage, AHugeCaptionIsStoredOnlyAsFarAsAPageCanShowIt)
{
    UseData({"N:Integer"}, {"1", "2"});
    const String Huge = "begin" + String(4 << 20, 'x') + "end";
    TextLabel(Page->Detail(), Huge, 10);
    TextLabel(Page->Detail(), Huge, 300)->SetHorizontalAlign(laRight);
    const std::string Dump = Run();
    EXPECT_LT(Dump.size(), std::size_t(4) << 20) << "each row stores a bounded part of the caption";
    const auto Pages = PagesOf(Dump);
    ASSERT_FALSE(Pages.empty());
    int Left = 0, Right = 0;
    for (const TShown& S : Pages[0]) {
        Left += S.Text.rfind("beginxxx", 0) == 0;
        Right += S.Text.size() > 3 && S.Text.compare(S.Text.size() - 6, 6, "xxxend") == 0;
    }
    EXPECT_EQ(Left, 2) << "a left-aligned caption keeps its start";
    EXPECT_EQ(Right, 2) << "a right-aligned one its end";
}

TEST_F(TextPage, ALineTallerThanAPageIsPlacedOnAFreshPageAndTheMemoGoesOn)
{
    UseData({"N:Integer"}, {"1"});
    TKivBand* D = Page->Detail();
    D->SetStretch(true);
    auto* Memo = Add<TKivTextLabel>(D, 10, 2, 600);
    Memo->Lines()->SetText("S\nH\nA");
    Memo->SetWrapText(true);
    Memo->SetWrapHeightPercent(300);
    Memo->Font()->SetHeight(-400); // 1200 pixels a line, more than a page holds
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "S", "PF"}, {"PH", "H", "PF"}, {"PH", "A", "PF"}, {"PH", "RF", "PF"}}))
        << "each line on a page of its own, cut off at its end; nothing lost, nothing repeated, and the run ends";
}

TEST_F(TextPage, SuppressRepeatsLeavesARepeatedValuesAreaUntouched)
{
    TDataSource* S = UseData({"Region:String", "N:Integer"}, {"North,1", "North,2", "South,3", "South,4"});
    TKivBand* D = Page->Detail();
    auto* Region = VarLabel(D, Field(S, "Region", DetailLevel()), 0);
    Region->SetSuppressRepeats(true);
    Region->SetBorderType(btSingle);
    Region->SetTransparent(false);
    VarLabel(D, Field(S, "N", DetailLevel()), 200);
    const std::string Dump = Run();
    EXPECT_EQ(TextsOf(PagesOf(Dump)), (TTexts{{"PH", "North", "1", "2", "South", "3", "4", "RF", "PF"}}));
    ExpectGoldenFile(Golden("suppress-repeats.dump"), Dump);
}

TEST_F(TextPage, AGroupAndALabelOnAPictureDoNotEndTheRun)
{
    TDataSource* S = UseData({"Pic:Graphic", "N:Integer"}, {",1", ",2"});
    TKivDBVar* Pic = Field(S, "Pic", DetailLevel());
    VarLabel(Page->Detail(), Pic, 0)->SetSuppressRepeats(true);
    VarLabel(Page->Detail(), Field(S, "N", DetailLevel()), 200);
    auto* Group = new TKivGroup(&Root);
    Group->SetParent(Page);
    Group->SetVariable(Pic);
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "1", "2", "RF", "PF"}}))
        << "a picture has no text (and equal pictures are repeats); they do not break the group";
}

// A memo label on a band of a stand-in page, driven piece by piece.
class MemoPieces : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Label.SetParent(&Band);
        Label.SetBounds(10, 0, 200, 20);
        Label.Lines()->SetText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n");
        Label.SetWrapText(true);
        Page.X = 50;
        Page.Y = 100;
        Label.StartPrint();
        LH = Label.QorMemo()->LineHeight();
        ASSERT_GT(LH, 4);
        ASSERT_EQ(Label.QorMemo()->MemoLines(), 10);
    }
    // The top of each memo line drawn since the last look (lines are drawn from the current
    // position a MoveTo sets).
    std::vector<Integer> TextTops()
    {
        std::vector<Integer> Out;
        for (const std::string& S : Rec.Drawn())
            if (S.rfind("MoveTo", 0) == 0)
                Out.push_back(std::stoi(S.substr(S.find(',') + 1)));
        return Out;
    }

    TRecordingCanvas Rec;
    TStandInBandPage Page{&Rec.Canvas};
    TStandInBand Band;
    TKivTextLabel Label{nullptr};
    Integer LH = 0;
};

TEST_F(MemoPieces, AStretchingMemoTakesWhatFitsAndContinuesBelowTheBandsTopOnTheNextPage)
{
    const Integer BM = Label.BorderMargin();
    const Integer Space = 4 * LH + 2 * BM - 1; // three lines and a bit
    EXPECT_EQ(Label.SpendHeight(&Page, Space), std::max(3 * LH + 2 * BM, 20));
    EXPECT_EQ(Label.PrintHeight(&Page, Space, 0), std::max(3 * LH + 2 * BM, 20));
    EXPECT_EQ(TextTops().size(), 3u);
    EXPECT_EQ(Label.DataRow(), 3);
    EXPECT_FALSE(Label.EndPrint());

    Page.Y = 500;
    EXPECT_EQ(Label.SpendHeight(&Page, 1000), 7 * LH + 2 * BM + 1);
    EXPECT_EQ(Label.PrintHeight(&Page, 1000, 0), 7 * LH + 2 * BM);
    const auto Tops = TextTops();
    ASSERT_EQ(Tops.size(), 7u);
    EXPECT_EQ(Tops[0], 500 + 1 + BM) << "a continued piece starts one pixel below the band's top";
    EXPECT_EQ(Tops[1] - Tops[0], LH);
    EXPECT_TRUE(Label.EndPrint());
    EXPECT_EQ(Label.SpendHeight(&Page, 1000), 0) << "finished";
}

TEST_F(MemoPieces, TheFirstPieceAlwaysTakesOneLineAndAFreshPageAlwaysTakesOne)
{
    EXPECT_EQ(Label.PrintHeight(&Page, 3, 0), std::max(LH + 4, 20)) << "no room, still one line";
    EXPECT_EQ(Label.DataRow(), 1);
    // A continuation with no room: the band goes to the next page...
    EXPECT_EQ(Label.PrintHeight(&Page, LH / 2, 0), LH / 2);
    EXPECT_EQ(Label.DataRow(), 1);
    // ...and on a fresh page too small for a line the line is placed anyway.
    Page.AtTop = true;
    EXPECT_EQ(Label.PrintHeight(&Page, LH / 2, 0), LH / 2);
    EXPECT_EQ(Label.DataRow(), 2);
}

TEST_F(MemoPieces, AFixedMemoPrintsWhatItsHeightHoldsAndAnEmptyOneOnlyItsFrame)
{
    Label.SetStretch(false);
    Label.SetHeight(3 * LH + 4);
    Label.StartPrint();
    EXPECT_EQ(Label.SpendHeight(&Page, 1000), 3 * LH + 4);
    EXPECT_EQ(Label.PrintHeight(&Page, 1000, 0), 3 * LH + 4);
    EXPECT_EQ(TextTops().size(), 3u);
    EXPECT_TRUE(Label.EndPrint());

    Label.Lines()->Clear();
    Label.SetStretch(true);
    Label.SetBorderType(btSingle);
    Label.StartPrint();
    Label.PrintHeight(&Page, 1000, 0);
    EXPECT_TRUE(Label.EndPrint()) << "an empty memo ends at once";
    EXPECT_TRUE(TextTops().empty());
}

TEST_F(MemoPieces, WhiteSpaceSuppressionSkipsBlankLinesAtTheTopOfAContinuedPiece)
{
    Label.Lines()->SetText("1\n2\n\n\n5\n");
    Label.SetSuppressWhiteSpace(true);
    Label.StartPrint();
    Label.PrintHeight(&Page, 2 * LH + 4, 0);
    EXPECT_EQ(Label.DataRow(), 2);
    Label.SpendHeight(&Page, 1000);
    EXPECT_EQ(Label.DataRow(), 4) << "the blank lines are skipped before the next piece";
}

TEST(TextLabel, WrapHeightPercentSetsTheLineHeightUnclamped)
{
    TKivTextLabel L(nullptr);
    EXPECT_EQ(L.WrapHeightPercent(), 100);
    L.SetCaption("x");
    L.SetWrapText(true);
    L.UpdateMemo();
    const Integer Normal = L.QorMemo()->LineHeight();
    L.SetWrapHeightPercent(150);
    L.UpdateMemo();
    EXPECT_NEAR(L.QorMemo()->LineHeight(), Normal * 3 / 2, 1);
    L.SetWrapHeightPercent(500);
    EXPECT_EQ(L.WrapHeightPercent(), 500);
}

// RTF rows of text labels.
class TextRtf : public ::testing::Test {
protected:
    void SetUp() override
    {
        Band.SetParent(&Page);
        Label.SetParent(&Band);
        Label.SetBounds(96, 0, 192, 20);
        Label.OnBeforePrint = [this](TKivLabel*) { ++Before; };
        Label.OnAfterPrint = [this](TKivLabel*) { ++After; };
    }
    TRtfScratch Doc{"text"};
    TStandInPrintPage Page;
    TStandInBand Band;
    TKivTextLabel Label{nullptr};
    Integer Before = 0, After = 0;
};

TEST_F(TextRtf, AMemoWritesOneLineARowWithOnePairOfEventsEach)
{
    Label.Lines()->SetText("first\nsecond\n");
    Label.SetWrapText(true);
    Doc.Written();
    Label.StartPrint();
    Label.PrintRtf(&Page, Doc.Rtf.get(), 0);
    const std::string Row0 = Doc.Written();
    EXPECT_NE(Row0.find("first"), std::string::npos);
    EXPECT_EQ(Row0.find("second"), std::string::npos);
    EXPECT_FALSE(Label.EndPrint());
    Label.PrintRtf(&Page, Doc.Rtf.get(), 1);
    EXPECT_NE(Doc.Written().find("second"), std::string::npos);
    EXPECT_TRUE(Label.EndPrint());
    EXPECT_EQ(Before, 2);
    EXPECT_EQ(After, 2);

    Label.SetRow(1);
    Label.StartPrint();
    Label.PrintRtf(&Page, Doc.Rtf.get(), 0);
    EXPECT_TRUE(Doc.Written().empty()) << "before the label's row nothing is written";
    EXPECT_EQ(Before, 2) << "and no events fire";
}

TEST_F(TextRtf, TabsOfAMemoLineFollowItsPartsAndTheAlignment)
{
    Label.Lines()->SetText("a\tb\n");
    Label.SetWrapText(true);
    Label.SetBorderMargin(0);
    Label.StartPrint();
    Doc.Written();
    Label.PrintTab(&Page, Doc.Rtf.get(), 0);
    Label.PrintRtf(&Page, Doc.Rtf.get(), 0);
    const std::string Left = Doc.Written();
    // Left: the line's parts at the label's left (97 px = 1455 twips) and half an inch further.
    EXPECT_NE(Left.find("\\tx1455"), std::string::npos) << Left;
    EXPECT_NE(Left.find("\\tx2175"), std::string::npos) << Left;
    Label.SetHorizontalAlign(laCenter);
    Label.SetLines(Label.Lines());
    Label.Lines()->SetText("a\n");
    Label.StartPrint();
    Label.PrintTab(&Page, Doc.Rtf.get(), 0);
    EXPECT_NE(Doc.Written().find("\\tqc\\tx2880"), std::string::npos) << "one part centres on the label";
    ExpectGoldenFile(Golden("memo-tabs.rtf"), Left);
}

TEST(TextLabelForm, LabelsReadFromAFormFileKeepTheirTextAndSettings)
{
    const String Text = "object Band: TKivBand\n"
                        "  object Title: TKivTextLabel\n"
                        "    Caption = 'Sales'\n"
                        "    AutoSize = True\n"
                        "  end\n"
                        "  object Notes: TKivVarLabel\n"
                        "    WrapText = True\n"
                        "    Stretch = True\n"
                        "    WrapHeightPercent = 150\n"
                        "    JustifyMemo = True\n"
                        "    SuppressRepeats = True\n"
                        "    UseDisplayText = True\n"
                        "    DataFormat.DisplayFormat = '0.00'\n"
                        "    Lines.Strings = (\n"
                        "      'one'\n"
                        "      'two')\n"
                        "  end\n"
                        "end\n";
    TComponent Owner(nullptr);
    TComponent* Band = ReadComponentFromText(Text, &Owner);
    auto* Title = dynamic_cast<TKivTextLabel*>(Band->FindComponent("Title"));
    auto* Notes = dynamic_cast<TKivvarlabel*>(Band->FindComponent("Notes"));
    ASSERT_TRUE(Title && Notes);
    EXPECT_EQ(Title->Caption(), "Sales");
    EXPECT_TRUE(Title->AutoSize());
    EXPECT_TRUE(Notes->IsMemo());
    EXPECT_EQ(Notes->WrapHeightPercent(), 150);
    EXPECT_TRUE(Notes->JustifyMemo());
    EXPECT_TRUE(Notes->SuppressRepeats());
    EXPECT_TRUE(Notes->UseDisplayText());
    EXPECT_EQ(Notes->DataFormat()->DisplayFormat(), "0.00");
    EXPECT_EQ(Notes->Lines()->Count(), 2);
    EXPECT_EQ(Notes->GetDataNow(), "one");
    const String Written = WriteComponentToText(Band);
    EXPECT_NE(Written.find("WrapHeightPercent = 150"), String::npos);
    EXPECT_NE(Written.find("AutoSize = True"), String::npos);
}

} // namespace
