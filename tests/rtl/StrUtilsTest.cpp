#include "platform/rtl/StrUtils.h"

#include <gtest/gtest.h>

using namespace qor;

TEST(StrUtils, Utf8Utf16RoundTrip)
{
    const String s = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // A é € 😀
    const WideString w = Utf8ToUtf16(s);
    EXPECT_EQ(w, (WideString{u'A', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
    EXPECT_EQ(Utf16ToUtf8(w), s);
    EXPECT_EQ(Utf8Length(s), 4);
    EXPECT_TRUE(IsValidUtf8(s));
}

TEST(StrUtils, InvalidUtf8BecomesReplacementCharacters)
{
    // Stray continuation byte, truncated sequence, overlong form, surrogate, above U+10FFFF.
    EXPECT_EQ(Utf8ToUtf16("a\x80" "b"), (WideString{u'a', 0xFFFD, u'b'}));
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), (WideString{0xFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82" "x"), (WideString{0xFFFD, u'x'}));
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), (WideString{0xFFFD, 0xFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), (WideString{0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), (WideString{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
    EXPECT_EQ(Utf8ToUtf16(String("\xF0", 1)), (WideString{0xFFFD}));
    EXPECT_FALSE(IsValidUtf8("a\x80"));
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD"));
    // Unpaired surrogates on the way back.
    EXPECT_EQ(Utf16ToUtf8(WideString{0xD800, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(Utf16ToUtf8(WideString{0xDC00}), "\xEF\xBF\xBD");
}

TEST(StrUtils, Windows1252)
{
    EXPECT_EQ(AnsiToUtf8("\x80 \xE9 \x9F"), "\xE2\x82\xAC \xC3\xA9 \xC5\xB8"); // € é Ÿ
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC \xC3\xA9 \xC5\xB8"), "\x80 \xE9 \x9F");
    EXPECT_EQ(Utf8ToAnsi("\xE4\xB8\xAD"), "?"); // no Windows-1252 byte
    // Every byte survives a round trip, the unassigned ones included.
    String all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(StrUtils, CaseMapping)
{
    EXPECT_EQ(UpperCase("abc\xC3\xA9z"), "ABC\xC3\xA9Z"); // é untouched
    EXPECT_EQ(LowerCase("ABC"), "abc");
    EXPECT_EQ(AnsiUpperCase("abc\xC3\xA9"), "ABC\xC3\x89");
    EXPECT_EQ(AnsiLowerCase("\xC3\x89T\xC3\x89"), "\xC3\xA9t\xC3\xA9");
}

TEST(StrUtils, Comparison)
{
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_LT(CompareText("abc", "abd"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_LT(CompareText("", "a"), 0);
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText("Hello", "Hell"));
    EXPECT_LT(CompareStr("ABC", "abc"), 0);
    EXPECT_FALSE(SameStr("a", "A"));
    EXPECT_EQ(AnsiCompareText("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"), 0);
    EXPECT_TRUE(AnsiSameText("Stra\xC3\x9F" "e", "STRA\xC3\x9F" "E"));
    EXPECT_NE(AnsiCompareStr("a", "b"), 0);
}

TEST(StrUtils, AnsiCompareTextOrdersAsciiAndOtherTextAlike)
{
    // Sorted lists mix pure ASCII comparisons with Unicode ones: both must agree on one order.
    for (char C1 = ' '; C1 < 0x7F; ++C1)
        for (char C2 = ' '; C2 < 0x7F; ++C2) {
            const String A(1, C1), B(1, C2);
            const String Suffix = "\xC3\xA9";
            ASSERT_EQ(AnsiCompareText(A, B), AnsiCompareText(A + Suffix, B + Suffix)) << A << " " << B;
        }
    EXPECT_LT(AnsiCompareText("abc", "abc\xC3\xA9"), 0);
    EXPECT_GT(AnsiCompareText("\xC3\xA9", "Z"), 0);
}

// Text that is not UTF-8 compares by its bytes: two different invalid names must not both read as
// U+FFFD and match. The hashing key agrees with AnsiSameText either way.
TEST(StrUtils, InvalidUtf8ComparesByItsBytesAndKeysAgree)
{
    EXPECT_FALSE(AnsiSameText("A\xff", "A\xfe"));
    EXPECT_TRUE(AnsiSameText("A\xff", "a\xff"));
    EXPECT_FALSE(AnsiSameText("\xff", "\xEF\xBF\xBD"));   // a bad byte is not the replacement character
    const char* const Names[] = {"Name", "NAME", "\xC3\x84rger", "\xC3\xA4RGER", "A\xff", "a\xff", "A\xfe",
                                 "\xEF\xBF\xBD", "\xff", "Stra\xC3\x9F" "e", "STRASSE", "k", "\xE2\x84\xAA" /* Kelvin sign */,
                                 "\xC3\x84\xff", "\xC3\xA4\xff"};
    for (const char* A : Names)
        for (const char* B : Names) {
            EXPECT_EQ(AnsiSameTextKey(A) == AnsiSameTextKey(B), AnsiSameText(A, B)) << A << " / " << B;
            EXPECT_EQ(AnsiCompareText(A, B), -AnsiCompareText(B, A)) << A << " / " << B;
            for (const char* C : Names) {   // one order: no cycles, equal is transitive
                if (AnsiCompareText(A, B) <= 0 && AnsiCompareText(B, C) <= 0) {
                    EXPECT_LE(AnsiCompareText(A, C), 0) << A << " / " << B << " / " << C;
                }
            }
        }
    EXPECT_TRUE(AnsiSameText("\xC3\x84\xff", "\xC3\xA4\xff"));   // case still folds around a bad byte
}

TEST(StrUtils, Trimming)
{
    EXPECT_EQ(Trim(" \t\r\n x y \x01"), "x y");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x \n"), "  x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
}

TEST(StrUtils, TrimBlanksKeepsOtherControlCharacters)
{
    EXPECT_EQ(TrimBlanks(" \t x y\t "), "x y");
    EXPECT_EQ(TrimBlanks("\r x \n"), "\r x \n");
    EXPECT_EQ(TrimBlanks(" \t "), "");
}

TEST(StrUtils, PositionsAreOneBasedAndClipped)
{
    EXPECT_EQ(Pos("lo", "hello"), 4);
    EXPECT_EQ(Pos("x", "hello"), 0);
    EXPECT_EQ(Pos("", "hello"), 0);
    EXPECT_EQ(PosEx("l", "hello", 4), 4);
    EXPECT_EQ(PosEx("l", "hello", 9), 0);
    EXPECT_EQ(Copy("hello", 2, 3), "ell");
    EXPECT_EQ(Copy("hello", 0, 2), "he");
    EXPECT_EQ(Copy("hello", 4, 100), "lo");
    EXPECT_EQ(Copy("hello", 6, 1), "");
    EXPECT_EQ(Copy("hello", 2, -1), "");
    EXPECT_EQ(Copy("hello", 2, 0x7FFFFFFF), "ello");
    String s = "hello";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "hlo");
    Delete(s, 10, 2);
    EXPECT_EQ(s, "hlo");
    Insert("XY", s, 2);
    EXPECT_EQ(s, "hXYlo");
    Insert("!", s, 100);
    EXPECT_EQ(s, "hXYlo!");
    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('-', -3), "");
}

TEST(StrUtils, StringReplace)
{
    EXPECT_EQ(StringReplace("a-b-c", "-", "+"), "a+b-c");
    EXPECT_EQ(StringReplace("a-b-c", "-", "+", rfReplaceAll), "a+b+c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "_", rfReplaceAll | rfIgnoreCase), "a_b_c");
    EXPECT_EQ(StringReplace("aXbxc", "x", "_", {rfReplaceAll}), "aXb_c");
    EXPECT_EQ(StringReplace("aaa", "a", "aa", rfReplaceAll), "aaaaaa");
    EXPECT_EQ(StringReplace("abc", "", "x", rfReplaceAll), "abc");
    EXPECT_EQ(StringReplace("abc", "abc", "", rfReplaceAll), "");
}

TEST(StrUtils, Quoting)
{
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(AnsiDequotedStr("'it''s'", '\''), "it's");
    EXPECT_EQ(AnsiDequotedStr("plain", '\''), "plain");
    EXPECT_EQ(AnsiDequotedStr("'unterminated", '\''), "unterminated");
    std::size_t pos = 2;
    EXPECT_EQ(AnsiExtractQuotedStr("x='a''b' rest", pos, '\''), "a'b");
    EXPECT_EQ(pos, 8u);
}

TEST(StrUtils, Identifiers)
{
    EXPECT_TRUE(IsValidIdent("Report1"));
    EXPECT_TRUE(IsValidIdent("_x9"));
    EXPECT_FALSE(IsValidIdent("9x"));
    EXPECT_FALSE(IsValidIdent(""));
    EXPECT_FALSE(IsValidIdent("a b"));
    EXPECT_FALSE(IsValidIdent("Form1.Button1"));
    EXPECT_TRUE(IsValidIdent("Form1.Button1", true));
    EXPECT_FALSE(IsValidIdent("Form1.", true));
    EXPECT_FALSE(IsValidIdent(".a", true));
    EXPECT_FALSE(IsValidIdent("\xC3\xA9t\xC3\xA9"));
}
