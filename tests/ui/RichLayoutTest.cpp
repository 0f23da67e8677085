#include "platform/graphics/Gdi.h"
#include "platform/ui/RichLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qor;

namespace {

// The recording context's fonts: every character half the em wide, ascent 0.8 em, descent 0.2 em.
// With the default 10-point font a character is 100 twips wide and a line 200 twips high.
class RichLayout : public ::testing::Test {
protected:
    void SetUp() override { FDC = CreateRecordingDC(816, 1056, 96, true); }
    void TearDown() override { DeleteDC(FDC); }

    void Load(const std::string& Text)
    {
        FEngine.LoadRtf(std::span<const Byte>(reinterpret_cast<const Byte*>(Text.data()), Text.size()));
    }

    // Lays out from CpMin into a column Width x Height twips at (0, 0); Bottom gets the bottom used.
    Integer Format(Integer CpMin, Integer Width, Integer Height, Integer* Bottom = nullptr, Integer CpMax = -1,
                   bool Render = false)
    {
        TFormatRange R{FDC, FDC, TRect(0, 0, Width, Height), TRect(0, 0, 12240, 15840), CpMin, CpMax};
        const Integer Next = FEngine.FormatRange(&R, Render);
        if (Bottom)
            *Bottom = R.rc.Bottom;
        return Next;
    }

    // Height of the whole text in a column Width twips wide.
    Integer Height(Integer Width)
    {
        Integer Bottom = 0;
        EXPECT_EQ(Format(0, Width, 1 << 28, &Bottom), FEngine.TextLength());
        return Bottom;
    }

    HDC FDC;
    TRichTextEngine FEngine;
};

} // namespace

TEST_F(RichLayout, BreaksAtBlanksAndInsideWordsWiderThanTheLine)
{
    Load("aaaa bbbb cccc");
    EXPECT_EQ(Height(1000), 400);
    EXPECT_EQ(Format(0, 1000, 200), 10);   // "aaaa bbbb " on the first line
    EXPECT_EQ(Format(10, 1000, 200), 14);
    // Trailing blanks hang past the edge instead of wrapping alone.
    Load("aaaa     bbbb");
    EXPECT_EQ(Format(0, 500, 200), 9);
    // A word wider than the line is broken between characters.
    Load("abcdefghijklmnop");
    EXPECT_EQ(Height(500), 800);
    EXPECT_EQ(Format(0, 500, 200), 5);
    // Even a column narrower than one character takes one per line.
    Load("abc");
    EXPECT_EQ(Height(10), 600);
}

TEST_F(RichLayout, ACharacterAboveTheBasicPlaneIsNeverSplitBetweenLines)
{
    // "ab", U+1F600 as a surrogate pair, "cd".
    Load("{\\rtf1 ab\\u-10179?\\u-8704?cd}");
    ASSERT_EQ(FEngine.TextLength(), 6);
    for (Integer Width = 50; Width <= 700; Width += 50) {
        for (Integer Cp = 0; Cp < FEngine.TextLength();) {
            const Integer Next = Format(Cp, Width, 200);
            ASSERT_GT(Next, Cp) << Width;
            EXPECT_NE(Next, 3) << "the pair split in a column " << Width << " twips wide";
            Cp = Next;
        }
    }
    // A long paragraph is measured in parts as its lines need them (the measurements dropped
    // between calls, as a label over pages does): each pair is one character wherever a part ends.
    std::string Rtf = "{\\rtf1 a";
    for (int I = 0; I < 600; ++I)
        Rtf += "\\u-10179?\\u-8704?";
    Load(Rtf + "}");
    for (Integer Cp = 0, Line = 0; Cp < FEngine.TextLength(); ++Line) {
        FEngine.FormatRange(nullptr, false);
        Cp = Format(Cp, 1000, 200);
        ASSERT_EQ(Cp, std::min(19 + 20 * Line, FEngine.TextLength())) << "ten characters a line";
    }
}

TEST_F(RichLayout, SuccessiveCallsCoverEveryCharacterOnceAndHeightsAddUp)
{
    std::string Rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}\\f0 ";
    for (int I = 0; I < 40; ++I) {
        Rtf += I % 3 == 0 ? "\\pard\\sb120\\sa60\\fs" + std::to_string(16 + I % 20) : "\\pard\\qj\\fs20";
        Rtf += " Paragraph " + std::to_string(I) + " has {\\f1\\b some words} that wrap over a few lines of the column\\par ";
    }
    Rtf += "end}";
    Load(Rtf);
    const Integer Total = Height(3000);
    const Integer Length = FEngine.TextLength();
    Integer Pos = 0;
    Integer Sum = 0;
    int Pages = 0;
    while (Pos < Length) {
        Integer Bottom = 0;
        const Integer Next = Format(Pos, 3000, 2000, &Bottom);
        ASSERT_GT(Next, Pos);
        EXPECT_LE(Bottom, 2000);
        Sum += Bottom;
        Pos = Next;
        ++Pages;
    }
    EXPECT_EQ(Pos, Length);
    EXPECT_EQ(Sum, Total);
    EXPECT_GT(Pages, 3);
}

TEST_F(RichLayout, RangeLimitsAndEmptyRanges)
{
    Load("aaaa bbbb cccc");
    Integer Bottom = -1;
    EXPECT_EQ(Format(0, 1000, 5000, &Bottom, 7), 7);
    EXPECT_EQ(Bottom, 200);
    EXPECT_EQ(Format(14, 1000, 5000, &Bottom), 14);
    EXPECT_EQ(Bottom, 0);
    EXPECT_EQ(Format(99, 1000, 5000, &Bottom), 14);
}

TEST_F(RichLayout, NothingIsLaidOutWhenTheFirstLineDoesNotFit)
{
    Load("aaaa bbbb cccc");
    Integer Bottom = -1;
    EXPECT_EQ(Format(0, 1000, 150, &Bottom), 0);
    EXPECT_EQ(Bottom, 0);
    EXPECT_EQ(Format(10, 1000, 199, &Bottom), 10);
    EXPECT_EQ(Bottom, 0);
    // A rectangle whose bottom is above its top: nothing, and the bottom written back stays inside.
    TFormatRange R{FDC, FDC, TRect(0, 500, 1000, 300), TRect(0, 0, 12240, 15840), 0, -1};
    EXPECT_EQ(FEngine.FormatRange(&R, true), 0);
    EXPECT_EQ(R.rc.Bottom, 300);
    // Nothing is drawn either.
    ClearRecordedCalls(FDC);
    Format(0, 1000, 150, nullptr, -1, true);
    for (const String& C : GetRecordedCalls(FDC))
        EXPECT_NE(C.rfind("ExtTextOut", 0), 0u) << C;
}

// How a rich-text label splits a document over pages: each page is measured into its rectangle,
// stepping the bottom up by 140 twips while the answer reaches below the available bottom, then
// exactly the measured range is drawn into the rectangle made 5000 twips taller.
TEST_F(RichLayout, LabelStyleMeasureThenDrawCoversTheDocument)
{
    std::string Rtf = "{\\rtf1 ";
    for (int I = 0; I < 12; ++I)
        Rtf += "\\pard" + std::string(I % 2 ? "\\qc\\sa100" : "\\qj") + (I == 5 ? "\\fs60" : "\\fs20") +
               " words in paragraph " + std::to_string(I) + " that wrap over lines\\par ";
    Rtf += "tail}";
    Load(Rtf);
    const Integer Length = FEngine.TextLength();
    // The first piece has room for less than one line (the big line cannot fit 150 twips), then pages.
    const Integer Rooms[] = {150, 900, 700, 1300};
    Integer Pos = 0;
    int Page = 0;
    int Empty = 0;
    while (Pos < Length) {
        ASSERT_LT(Page, 200);
        const Integer Top = 100;
        const Integer A = Top + Rooms[std::min(Page, 3)] - 1;
        TFormatRange R{FDC, FDC, TRect(0, Top, 2500, A), TRect(0, Top, 2500, A), Pos, -1};
        Integer Next = FEngine.FormatRange(&R, false);
        Integer B = R.rc.Bottom;
        int Steps = 0;
        while (B > A) {
            ASSERT_LT(++Steps, 100) << "the bottom never came inside the rectangle";
            B -= 140;
            R.rc.Bottom = B;
            Next = FEngine.FormatRange(&R, false);
            B = R.rc.Bottom;
        }
        EXPECT_EQ(Steps, 0);
        EXPECT_GE(B, Top);
        const Integer Count = Next - Pos;
        ASSERT_GE(Count, 0);
        if (Count == 0)
            ++Empty;
        // Drawing exactly the measured range answers its end and stays above the measured bottom.
        TFormatRange D{FDC, FDC, TRect(0, Top, 2500, A + 5000), TRect(0, Top, 2500, A), Pos, Pos + Count};
        EXPECT_EQ(FEngine.FormatRange(&D, true), Pos + Count);
        EXPECT_EQ(D.rc.Bottom, B);
        Pos += Count;
        ++Page;
    }
    EXPECT_EQ(Pos, Length);
    EXPECT_EQ(Empty, 1);
}

TEST_F(RichLayout, PageBreakEndsTheCall)
{
    Load("{\\rtf1 one\\page two\\par three}");
    Integer Bottom = 0;
    EXPECT_EQ(Format(0, 5000, 5000, &Bottom), 4);
    EXPECT_EQ(Bottom, 200);
    EXPECT_EQ(Format(4, 5000, 5000, &Bottom), FEngine.TextLength());
    EXPECT_EQ(Bottom, 400);
    // A line break at a paragraph's end opens an empty line that holds the paragraph mark.
    Load("{\\rtf1 a\\line\\par b}");
    EXPECT_EQ(Height(5000), 600);
    EXPECT_EQ(Format(0, 5000, 200), 2);
}

TEST_F(RichLayout, ParagraphSpacingAndLineSpacing)
{
    Load("{\\rtf1\\sb100\\sa50 a\\par\\pard b}");
    EXPECT_EQ(Height(5000), 100 + 200 + 50 + 200);
    Load("{\\rtf1\\sl-300 a\\line b}");
    EXPECT_EQ(Height(5000), 600);
    Load("{\\rtf1\\sl360\\slmult1 a\\line b}");
    EXPECT_EQ(Height(5000), 600);
    Load("{\\rtf1\\sl100 a\\line b}");   // "at least" below the natural height
    EXPECT_EQ(Height(5000), 400);
    // The tallest font on a line sets its height; an empty paragraph takes its mark's font. The
    // empty paragraph after the last mark holds no character and takes no room.
    Load("{\\rtf1 a{\\fs40 b}c\\par\\fs60\\par}");
    EXPECT_EQ(Height(5000), 400 + 600);
}

// A caller that moves on to a fresh page whenever nothing fits must come to an end even when a
// paragraph's spacing is taller than the page; spacing that a page could hold still moves on.
TEST_F(RichLayout, SpacingTallerThanThePageStillMakesProgress)
{
    Load("{\\rtf1\\sb20000 a\\par\\pard\\sa99999 b\\par\\pard c}");
    Integer Pos = 0, Pages = 0, Bottom = 0;
    while (Pos < FEngine.TextLength()) {
        ASSERT_LT(++Pages, 10) << "no progress at " << Pos;
        Pos = Format(Pos, 5000, 15840, &Bottom);
        EXPECT_LE(Bottom, 15840);
    }
    EXPECT_EQ(Format(0, 5000, 15840, &Bottom), 2);   // "a" at the foot of its page
    EXPECT_EQ(Bottom, 15840);
    Load("{\\rtf1 x\\par\\sb5000 a}");
    EXPECT_EQ(Format(2, 5000, 1000, &Bottom), 2);    // a fresh page holds it: nothing here
    EXPECT_EQ(Bottom, 0);
    EXPECT_EQ(Format(2, 5000, 15840, &Bottom), 3);
    EXPECT_EQ(Bottom, 5200);
}

TEST_F(RichLayout, IndentsAndTabsNarrowTheLine)
{
    // 1000 twips less 200 left and 300 right leave five characters.
    Load("{\\rtf1\\li200\\ri300 abcdefghij}");
    EXPECT_EQ(Height(1000), 400);
    // A first-line indent only narrows the first line.
    Load("{\\rtf1\\fi400 abcdefghijklmn}");
    EXPECT_EQ(Format(0, 1000, 200), 6);
    EXPECT_EQ(Format(6, 1000, 200), 14);
    // A tab jumps to the next half inch (720 twips); "bcdefg" then no longer fits and moves on.
    Load("{\\rtf1 a\\tab bc}");
    EXPECT_EQ(Format(0, 1000, 200), 4);
    Load("{\\rtf1 a\\tab bcdefg}");
    EXPECT_EQ(Format(0, 1000, 200), 2);
    // A set stop replaces the default ones.
    Load("{\\rtf1\\tx300 a\\tab bcdefg}");
    EXPECT_EQ(Format(0, 1000, 200), 8);
}

TEST_F(RichLayout, DefaultFontAppliesWhereTextSetsNone)
{
    Load("{\\rtf1 abc\\par{\\fs40 def}}");
    EXPECT_EQ(Height(5000), 200 + 400);
    FEngine.SetDefaultFont("Arial", 20, 0, clBlack);
    EXPECT_EQ(Height(5000), 400 + 400);
    FEngine.SetDefaultFont("Arial", 5, 0, clBlack);
    EXPECT_EQ(Height(5000), 100 + 400);
    // Plain text is all default.
    FEngine.LoadText("x\ny");
    EXPECT_EQ(Height(5000), 200);
}

TEST_F(RichLayout, DrawingPlacesTextByTwipsAtTheDeviceResolution)
{
    Load("{\\rtf1\\qr ab}");
    ClearRecordedCalls(FDC);
    Format(0, 1440, 1440, nullptr, -1, true);
    const std::vector<String> Calls = GetRecordedCalls(FDC);
    String TextCall;
    for (const String& C : Calls)
        if (C.rfind("ExtTextOut", 0) == 0)
            TextCall = C;
    ASSERT_FALSE(TextCall.empty());
    // Right-aligned in one inch (96 pixels): "ab" is 200 twips, so it starts at 1240 twips, 83 pixels;
    // the baseline is 160 twips down, 11 pixels (rounded).
    EXPECT_NE(TextCall.find("(83,11,"), String::npos) << TextCall;
}
