#include "platform/ui/MemoWrap.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

// Every byte 10 pixels wide, a simple fixed-pitch face.
Integer Fixed10(std::string_view S) { return static_cast<Integer>(S.size()) * 10; }

using Lines = std::vector<String>;

} // namespace

TEST(MemoWrap, BreaksAtBlanksKeepingThemOnTheLine)
{
    // 100 pixels hold ten characters; the blank after "quick" hangs past the edge
    EXPECT_EQ(WrapText("the quick brown fox", 100, Fixed10), (Lines{"the quick ", "brown fox"}));
    EXPECT_EQ(WrapText("the quick brown fox", 90, Fixed10), (Lines{"the quick ", "brown fox"}));
    EXPECT_EQ(WrapText("the quick brown fox", 80, Fixed10), (Lines{"the ", "quick ", "brown ", "fox"}));
    // runs of blanks stay together at the end of the line
    EXPECT_EQ(WrapText("aaaa     bbbb", 60, Fixed10), (Lines{"aaaa     ", "bbbb"}));
    EXPECT_EQ(WrapText("one two", 1000, Fixed10), (Lines{"one two"}));
}

TEST(MemoWrap, LongWordsBreakBetweenCharacters)
{
    EXPECT_EQ(WrapText("abcdefghij", 40, Fixed10), (Lines{"abcd", "efgh", "ij"}));
    EXPECT_EQ(WrapText("hi abcdefghij yo", 40, Fixed10), (Lines{"hi ", "abcd", "efgh", "ij ", "yo"}));
    // no width at all still makes progress, one character a line
    EXPECT_EQ(WrapText("abc", 0, Fixed10), (Lines{"a", "b", "c"}));
}

TEST(MemoWrap, MultiByteCharactersAreNotSplit)
{
    // measure by code points: "é" is two bytes but one 10-pixel character
    auto byChars = [](std::string_view S) {
        Integer n = 0;
        for (unsigned char c : S)
            if ((c & 0xC0) != 0x80)
                n += 10;
        return n;
    };
    const Lines got = WrapText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 30, byChars);
    EXPECT_EQ(got, (Lines{"\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9"}));
}

TEST(MemoWrap, LineBreaksAreKeptAndTheFinalOneAddsNoLine)
{
    EXPECT_EQ(WrapText("", 100, Fixed10), Lines{});
    EXPECT_EQ(WrapText("a\n", 100, Fixed10), Lines{"a"});
    EXPECT_EQ(WrapText("a\r\n\r\nb", 100, Fixed10), (Lines{"a", "", "b"}));
    EXPECT_EQ(WrapText("a\rb\n\n", 100, Fixed10), (Lines{"a", "b", ""}));
    EXPECT_EQ(WrapText("\n", 100, Fixed10), Lines{""});
    // a line of blanks is a line, not an empty one
    EXPECT_EQ(WrapText("x\n   \ny", 100, Fixed10), (Lines{"x", "   ", "y"}));
}

TEST(MemoWrap, ProportionalWidthsDecideTheBreak)
{
    // 'i' is narrow, 'm' wide: the same character count fits or not by measured width
    auto widths = [](std::string_view S) {
        Integer w = 0;
        for (char c : S)
            w += c == 'm' ? 12 : c == 'i' ? 3 : 6;
        return w;
    };
    EXPECT_EQ(WrapText("iiii iiii mmmm", 50, widths), (Lines{"iiii iiii ", "mmmm"}));
    EXPECT_EQ(WrapText("mmmm iiii", 50, widths), (Lines{"mmmm ", "iiii"}));
}

TEST(MemoWrap, AVeryLongWordCostsAboutItsLengthToBreak)
{
    // an unbroken run of 20000 characters at ten a line: the measuring must not go over the
    // whole rest of the word for every line it takes off
    const String word(20000, 'x');
    Int64 measured = 0;
    auto counting = [&](std::string_view S) {
        measured += static_cast<Int64>(S.size());
        return static_cast<Integer>(S.size()) * 10;
    };
    const Lines got = WrapText("ab " + word + " cd", 100, counting);
    ASSERT_EQ(got.size(), 2002u);
    EXPECT_EQ(got.front(), "ab ");
    EXPECT_EQ(got[1], String(10, 'x'));
    EXPECT_EQ(got[2000], String(10, 'x') + " ");
    EXPECT_EQ(got.back(), "cd");
    EXPECT_LT(measured, 1000000);
}

TEST(MemoWrap, ParagraphLinesPutTogetherGiveTheParagraph)
{
    const String p = "  lead blanks, a verylongwordthatbreaks and   runs   of blanks";
    String joined;
    for (const String& l : WrapParagraph(p, 70, Fixed10))
        joined += l;
    EXPECT_EQ(joined, p);
    EXPECT_EQ(WrapParagraph("", 70, Fixed10), Lines{""});
}
