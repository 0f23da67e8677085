// Memo text layout: wrapping through the hidden memo, line height, suppression, paragraph ends
// under justification, tab stops, alignment and the drawing calls of each line.

#include "common/TestOutput.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorMemoU.h"
#include "runtime/output/QorUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace qor;

namespace {

// Logs what the memo asks of its canvas, one line per call.
class TLogCanvas : public IQorMemoCanvas {
public:
    std::vector<std::string> Calls;
    void SetFont(TFont* Font) override { Calls.push_back("SetFont(" + Font->Name() + ")"); }
    void SetTextAlign(Word Flags) override { Calls.push_back("SetTextAlign(" + std::to_string(Flags) + ")"); }
    void Textout(Integer X, Integer Y, const String& Text) override
    {
        Calls.push_back("Textout(" + std::to_string(X) + "," + std::to_string(Y) + "," + Text + ")");
    }
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override
    {
        Calls.push_back("TextJustify(" + Str(Rect) + "," + std::to_string(X) + "," + std::to_string(Y) + "," + Text +
                        "," + (EndParagraph ? "end" : "spread") + "," + Str(FullRect) + ")");
    }
    // Only the drawing calls.
    std::vector<std::string> Drawn() const
    {
        std::vector<std::string> R;
        for (const std::string& C : Calls)
            if (C.rfind("Text", 0) == 0)
                R.push_back(C);
        return R;
    }

private:
    static std::string Str(const TRect& R)
    {
        return "[" + std::to_string(R.Left) + " " + std::to_string(R.Top) + " " + std::to_string(R.Right) + " " +
               std::to_string(R.Bottom) + "]";
    }
};

// Draws on a device context the way the page canvas does on a printer.
class TDCCanvas : public IQorMemoCanvas {
public:
    explicit TDCCanvas(HDC ADC) : DC(ADC) {}
    ~TDCCanvas() override
    {
        if (Font)
            DeleteObject(SelectObject(DC, Old));
    }
    void SetFont(TFont* AFont) override
    {
        LOGFONT LF{};
        GetObject(AFont->Handle(), sizeof(LF), &LF);
        LF.lfHeight = -MulDiv(AFont->Size(), GetDeviceCaps(DC, LOGPIXELSY), 72);
        const HFONT New = CreateFontIndirect(LF);
        const HGDIOBJ Prev = SelectObject(DC, New);
        if (Font)
            DeleteObject(Prev);
        else
            Old = Prev;
        Font = New;
    }
    void SetTextAlign(Word Flags) override { qor::SetTextAlign(DC, Flags); }
    void Textout(Integer X, Integer Y, const String& Text) override { TextOut(DC, X, Y, Text); }
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override
    {
        QorTextJustify(DC, Rect, X, Y, Text, EndParagraph, FullRect);
    }

private:
    HDC DC;
    HFONT Font = 0;
    HGDIOBJ Old = 0;
};

void SetText(TQorMemo& Memo, const std::string& Utf8)
{
    TMemoryStream S;
    const WideString W = Utf8ToUtf16(Utf8);
    const unsigned char Bom[2] = {0xFF, 0xFE};
    S.Write(Bom, 2);
    for (char16_t C : W) {
        const unsigned char B[2] = {static_cast<unsigned char>(C & 0xFF), static_cast<unsigned char>(C >> 8)};
        S.Write(B, 2);
    }
    S.SetPosition(S.Size()); // the memo copies from the start whatever the position
    Memo.SetMemoStream(&S);
}

std::vector<std::string> Lines(const TQorMemo& Memo)
{
    std::vector<std::string> R;
    for (Integer I = 0; I < Memo.MemoStrings()->Count(); ++I)
        R.push_back(Memo.MemoStrings()->Get(I));
    return R;
}

class MemoLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        Memo.Font()->SetName("Arial");
        Memo.Font()->SetSize(10);
        Memo.SetPixelsPerInch(96);
        Memo.SetWidth(200);
    }
    TQorMemo Memo;
};

const char* const LongParagraph = "The quick brown fox jumps over the lazy dog and keeps running through the field "
                                  "until the sun goes down behind the hills.";

} // namespace

TEST(MemoHiddenControls, MadeOnFirstUseHiddenAndShared)
{
    TForm* Form = GForm();
    ASSERT_NE(Form, nullptr);
    EXPECT_EQ(Form, GForm());
    EXPECT_EQ(Form->Name(), "QOR_Invisible_Form");
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(Form->Width(), 1000);
    EXPECT_EQ(Form->Height(), 1000);
    TMemo* M = GMemo();
    EXPECT_EQ(M->Owner(), Form);
    EXPECT_EQ(M->Parent(), Form);
    EXPECT_EQ(M->BorderStyle(), bsNone);
    EXPECT_FALSE(M->Visible());
}

TEST_F(MemoLayout, EmptyTextHasNoLinesDrawsNothingAndNoHeight)
{
    SetText(Memo, "");
    TLogCanvas C;
    Memo.Print(&C, 10, 10);
    EXPECT_EQ(Memo.MemoLines(), 0);
    EXPECT_TRUE(C.Drawn().empty());
    EXPECT_EQ(Memo.PrintHeight(), 0);
}

TEST_F(MemoLayout, WrapsAtTheWidthAndLineHeightFollowsTheFontAndPercent)
{
    SetText(Memo, LongParagraph);
    Memo.UpdateMemo();
    const std::vector<std::string> L = Lines(Memo);
    ASSERT_GE(L.size(), 3u);
    std::string Joined;
    for (const std::string& S : L)
        Joined += S;
    EXPECT_EQ(Joined, LongParagraph);
    for (const std::string& S : L)
        EXPECT_LE(GForm()->Canvas()->TextWidth(QorRightTrim(S)), 200) << S;

    const Integer Single = Memo.LineHeight();
    EXPECT_GT(Single, 10);
    Memo.SetWrapHeightPercent(150);
    Memo.UpdateMemo();
    EXPECT_EQ(Memo.LineHeight(), MulDiv(Single, 150, 100));
    EXPECT_EQ(Memo.PrintHeight(), static_cast<Integer>(L.size()) * Memo.LineHeight());

    // Twice the resolution: the font doubles, so the same width holds about half the text.
    Memo.SetWrapHeightPercent(100);
    Memo.SetPixelsPerInch(192);
    Memo.UpdateMemo();
    EXPECT_NEAR(Memo.LineHeight(), 2 * Single, 1);
    EXPECT_GT(Memo.MemoLines(), static_cast<Integer>(L.size()));
}

TEST_F(MemoLayout, FontTwentyPixelsHighAtOneHundredFiftyPercentGivesThirty)
{
    // Arial of 18 points at 72 pixels per inch: an em of 17 pixels in a cell 20 pixels high.
    Memo.Font()->SetSize(17);
    Memo.SetPixelsPerInch(72);
    SetText(Memo, "x");
    Memo.UpdateMemo();
    EXPECT_EQ(Memo.LineHeight(), 20);
    Memo.SetWrapHeightPercent(150);
    Memo.UpdateMemo();
    EXPECT_EQ(Memo.LineHeight(), 30);
}

TEST_F(MemoLayout, WithoutWrapOnlyTheFirstLineCountsAndPrints)
{
    SetText(Memo, LongParagraph);
    Memo.SetWrapText(false);
    Memo.UpdateMemo();
    ASSERT_GE(Memo.MemoStrings()->Count(), 3);
    EXPECT_EQ(Memo.MemoLines(), 1);
    TLogCanvas C;
    Memo.Print(&C, 0, 0);
    ASSERT_EQ(C.Drawn().size(), 1u);
    EXPECT_NE(C.Drawn()[0].find(Memo.MemoStrings()->Get(0)), std::string::npos);
}

TEST_F(MemoLayout, SuppressBlankLinesDropsEmptyLinesButKeepsBlanks)
{
    SetText(Memo, "a\r\n\r\n   \r\nb\r\n");
    Memo.UpdateMemo();
    EXPECT_EQ(Lines(Memo), (std::vector<std::string>{"a", "", "   ", "b"}));
    Memo.SetSuppressBlankLines(true);
    Memo.UpdateMemo();
    EXPECT_EQ(Lines(Memo), (std::vector<std::string>{"a", "   ", "b"}));
    EXPECT_EQ(Memo.MemoLines(), 3);
}

TEST_F(MemoLayout, SuppressWhiteSpaceDropsEmptyLinesAtBothEndsOnly)
{
    SetText(Memo, "\r\n\r\na\r\n\r\nb\r\n\r\n\r\n");
    Memo.SetSuppressWhiteSpace(true);
    Memo.UpdateMemo();
    EXPECT_EQ(Lines(Memo), (std::vector<std::string>{"a", "", "b"}));
    SetText(Memo, "\r\n\r\n");
    Memo.UpdateMemo();
    EXPECT_EQ(Memo.MemoLines(), 0);
    EXPECT_EQ(Memo.PrintHeight(), 0);
}

TEST_F(MemoLayout, ParagraphEndsFollowDeletedLines)
{
    Memo.SetMemoAlignment(maJustify);
    SetText(Memo, std::string("\r\n") + LongParagraph + "\r\n\r\nshort\r\n\r\n");
    Memo.UpdateMemo();
    const Integer Wrapped = Memo.MemoLines() - 4; // lines of the long paragraph
    ASSERT_GE(Wrapped, 3);
    EXPECT_EQ(Memo.CarriageReturns(),
              (std::vector<Integer>{0, Wrapped, Wrapped + 1, Wrapped + 2, Wrapped + 3}));
    Memo.SetSuppressBlankLines(true);
    Memo.UpdateMemo();
    EXPECT_EQ(Memo.MemoLines(), Wrapped + 1);
    EXPECT_EQ(Memo.CarriageReturns(), (std::vector<Integer>{Wrapped - 1, Wrapped}));
}

TEST_F(MemoLayout, UtfSixteenTextSplitsIntoParagraphsOnlyBetweenCharacters)
{
    // U+010A is stored as the bytes 0A 01: a line-feed byte inside a character.
    Memo.SetMemoAlignment(maJustify);
    SetText(Memo, "\xC4\x8A" "a\xC4\x8A\r\nb \xE2\x82\xAC");
    Memo.UpdateMemo();
    EXPECT_EQ(Lines(Memo), (std::vector<std::string>{"\xC4\x8A" "a\xC4\x8A", "b \xE2\x82\xAC"}));
    EXPECT_EQ(Memo.CarriageReturns(), (std::vector<Integer>{0, 1}));
}

TEST_F(MemoLayout, TabsStopEveryHalfInch)
{
    Memo.UpdateMemo();
    Memo.ParseString("a\tb");
    ASSERT_EQ(Memo.Parts().size(), 2u);
    const Integer WA = GForm()->Canvas()->TextWidth("a");
    EXPECT_EQ(Memo.Parts()[0]->Position, 0);
    EXPECT_EQ(Memo.Parts()[0]->Width, WA);
    EXPECT_EQ(Memo.Parts()[1]->Position, (WA / 48) * 48 + 48);
    EXPECT_EQ(Memo.Parts()[1]->Text, "b");
    EXPECT_EQ(Memo.TextLen(), Memo.Parts()[1]->Position + GForm()->Canvas()->TextWidth("b"));

    // A line ending with a tab measures up to its text; an empty line has no parts.
    Memo.ParseString("abc\t");
    ASSERT_EQ(Memo.Parts().size(), 1u);
    EXPECT_EQ(Memo.TextLen(), GForm()->Canvas()->TextWidth("abc"));
    Memo.ParseString("");
    EXPECT_TRUE(Memo.Parts().empty());
    EXPECT_EQ(Memo.TextLen(), 0);
}

TEST_F(MemoLayout, AlignmentPlacesEachLineInTheWidth)
{
    SetText(Memo, "abc");
    Memo.UpdateMemo();
    const Integer W = GForm()->Canvas()->TextWidth("abc");
    const Integer H = Memo.LineHeight();
    auto Draw = [&](TQorMemoAlignment A) {
        Memo.SetMemoAlignment(A);
        TLogCanvas C;
        Memo.Print(&C, 10, 20);
        return C;
    };
    const std::string Line = "[10 20 210 " + std::to_string(20 + H) + "]";

    TLogCanvas L = Draw(maLeft);
    EXPECT_EQ(L.Calls, (std::vector<std::string>{"SetFont(Arial)", "SetFont(Arial)", "SetTextAlign(0)",
                                                 "TextJustify([10 20 " + std::to_string(10 + W) + " " +
                                                     std::to_string(20 + H) + "],10,20,abc,end," + Line + ")"}));
    TLogCanvas R = Draw(maRight);
    EXPECT_EQ(R.Calls[2], "SetTextAlign(2)");
    EXPECT_EQ(R.Calls[3], "TextJustify([10 20 210 " + std::to_string(20 + H) + "],210,20,abc,end," + Line + ")");
    TLogCanvas Cn = Draw(maCenter);
    EXPECT_EQ(Cn.Calls[2], "SetTextAlign(6)");
    const Integer X = W / 2 + 10 + (200 - W) / 2;
    EXPECT_EQ(Cn.Calls[3], "TextJustify([10 20 " + std::to_string(X + W / 2) + " " + std::to_string(20 + H) +
                               "]," + std::to_string(X) + ",20,abc,end," + Line + ")");

    Memo.SetTextDriverCompatibility(true);
    TLogCanvas T = Draw(maRight);
    EXPECT_EQ(T.Drawn(), (std::vector<std::string>{"Textout(210,20,abc)"}));
}

TEST_F(MemoLayout, JustifySpreadsAllButTheLastLineOfEachParagraph)
{
    Memo.SetMemoAlignment(maJustify);
    SetText(Memo, std::string(LongParagraph) + "\r\n" + LongParagraph);
    TLogCanvas C;
    Memo.Print(&C, 0, 0);
    const std::vector<std::string> D = C.Drawn();
    ASSERT_EQ(static_cast<Integer>(D.size()), Memo.MemoLines());
    const Integer End = Memo.CarriageReturns().at(0);
    for (Integer I = 0; I < Memo.MemoLines(); ++I) {
        const bool Ragged = I == End || I + 1 == Memo.MemoLines();
        EXPECT_NE(D[static_cast<size_t>(I)].find(Ragged ? ",end," : ",spread,"), std::string::npos)
            << I << ": " << D[static_cast<size_t>(I)];
    }
    Memo.SetJustifyLastLine(true);
    TLogCanvas J;
    Memo.Print(&J, 0, 0);
    EXPECT_NE(J.Drawn().back().find(",spread,"), std::string::npos);
    EXPECT_NE(J.Drawn()[static_cast<size_t>(End)].find(",end,"), std::string::npos);
}

TEST_F(MemoLayout, RangeChoosesTheLinesAndNeverGivesANegativeHeight)
{
    SetText(Memo, "one\r\ntwo\r\nthree\r\nfour");
    Memo.SetRangeBegin(1);
    Memo.SetRangeEnd(2);
    TLogCanvas C;
    Memo.Print(&C, 0, 100);
    const Integer H = Memo.LineHeight();
    ASSERT_EQ(C.Drawn().size(), 2u);
    EXPECT_NE(C.Drawn()[0].find(",100,two,"), std::string::npos) << C.Drawn()[0];
    EXPECT_NE(C.Drawn()[1].find("," + std::to_string(100 + H) + ",three,"), std::string::npos);
    EXPECT_EQ(Memo.PrintHeight(), 2 * H);
    // An end past the last line means the last line.
    Memo.SetRangeEnd(99);
    EXPECT_EQ(Memo.PrintHeight(), 3 * H);
    Memo.SetRangeBegin(3);
    Memo.SetRangeEnd(1);
    TLogCanvas None;
    Memo.Print(&None, 0, 0);
    EXPECT_TRUE(None.Drawn().empty());
    EXPECT_EQ(Memo.PrintHeight(), 0);
}

TEST_F(MemoLayout, JustifiedParagraphRendersToPng)
{
    const HDC DC = CreateRasterDC(300, 200, 96);
    Memo.SetMemoAlignment(maJustify);
    SetText(Memo, std::string(LongParagraph) + "\r\nEnd\tof\ttext.");
    {
        TDCCanvas C(DC);
        Memo.Print(&C, 20, 10);
    }
    const String File = test::TestOutputFile("memo_justified.png");
    ASSERT_TRUE(SaveDCToPng(DC, File));
    std::printf("memo page: %s\n", File.c_str());
    // Each spread line reaches the right edge (x = 219); the ragged last line of the paragraph
    // stops well short of it.
    auto RightmostInk = [&](Integer Top) {
        Integer R = -1;
        for (Integer Y = Top; Y < Top + Memo.LineHeight(); ++Y)
            for (Integer X = 0; X < 300; ++X)
                if (GetPixel(DC, X, Y) != RGB(255, 255, 255))
                    R = std::max(R, X);
        return R;
    };
    const Integer H = Memo.LineHeight();
    EXPECT_GE(RightmostInk(10), 214);
    EXPECT_LE(RightmostInk(10), 220);
    const Integer Last = Memo.CarriageReturns().at(0);
    EXPECT_LT(RightmostInk(10 + Last * H), 200);
    // Nothing left of the memo or right of its width.
    for (Integer Y = 0; Y < 200; ++Y) {
        for (Integer X = 0; X < 20; ++X)
            ASSERT_EQ(GetPixel(DC, X, Y), RGB(255, 255, 255)) << X << "," << Y;
        for (Integer X = 222; X < 300; ++X)
            ASSERT_EQ(GetPixel(DC, X, Y), RGB(255, 255, 255)) << X << "," << Y;
    }
    DeleteDC(DC);
}
