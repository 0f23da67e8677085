#include "platform/ui/RtfReader.h"
#include "platform/ui/RtfWriter.h"

#include <gtest/gtest.h>

#include <string>

using namespace qor;

namespace {

TRichDocument Read(const std::string& Rtf)
{
    TRichDocument Doc;
    ReadRichText(std::span<const Byte>(reinterpret_cast<const Byte*>(Rtf.data()), Rtf.size()), Doc);
    return Doc;
}

WideString Text(const std::string& Rtf)
{
    return Read(Rtf).Text();
}

// The run holding the first occurrence of Needle.
const TRichRun* RunWith(const TRichDocument& Doc, std::u16string_view Needle)
{
    for (Integer P = 0; P < Doc.ParagraphCount(); ++P)
        for (const TRichRun& R : Doc.Paragraph(P).Runs)
            if (R.Text.find(Needle) != WideString::npos)
                return &R;
    return nullptr;
}

} // namespace

TEST(RtfReader, TextLengthCountsParagraphEndsButNotTheLastParagraph)
{
    EXPECT_EQ(Read("{\\rtf1 Hello\\par World}").TextLength(), 11);
    EXPECT_EQ(Read("{\\rtf1 Hello\\par}").TextLength(), 6);
    EXPECT_EQ(Read("{\\rtf1 }").TextLength(), 0);
    EXPECT_EQ(Text("{\\rtf1 a\\par b\\par\\par c}"), u"a\rb\r\rc");
    // A character outside the basic plane is two UTF-16 units.
    EXPECT_EQ(Read("{\\rtf1 \\u-10179?\\u-8704?x}").TextLength(), 3);
}

TEST(RtfReader, PlainTextSplitsLinesIntoParagraphs)
{
    EXPECT_EQ(Text("one\r\ntwo\nthree\rfour"), u"one\rtwo\rthree\rfour");
    EXPECT_EQ(Read("line\n").TextLength(), 5);
    EXPECT_EQ(Text("\xEF\xBB\xBFgr\xC3\xBC\xC3\x9F"), u"grüß");
    // Not UTF-8: read as Windows-1252.
    EXPECT_EQ(Text("caf\xE9 \x80"), u"café €");
    EXPECT_FALSE(IsRtf(std::span<const Byte>()));
}

TEST(RtfReader, EscapesAndSpecialCharacters)
{
    EXPECT_EQ(Text("{\\rtf1 a\\\\b\\{c\\}d}"), u"a\\b{c}d");
    EXPECT_EQ(Text("{\\rtf1 a\\~b\\-c\\_d}"), u"a\u00A0b\u00ADc\u2011d");
    EXPECT_EQ(Text("{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}"),
              u"\u2014\u2013\u2022\u2018\u2019\u201C\u201D");
    EXPECT_EQ(Text("{\\rtf1 a\\tab b\\line c\\page d}"), u"a\tb\u000Bc\u000Cd");
    // The blank after a control word is its delimiter; a second blank is text.
    EXPECT_EQ(Text("{\\rtf1 \\b  x}"), u" x");
    // Line ends in the source are not text; an escaped one is a paragraph end.
    EXPECT_EQ(Text("{\\rtf1 a\r\nb\\\nc}"), u"ab\rc");
}

TEST(RtfReader, UnicodeEscapesSkipTheirFallback)
{
    EXPECT_EQ(Text("{\\rtf1 \\u8364?x}"), u"€x");
    EXPECT_EQ(Text("{\\rtf1\\uc2 \\u8364\\'80\\'80x}"), u"€x");
    EXPECT_EQ(Text("{\\rtf1\\uc0 \\u8364 x}"), u"€x");
    // \uc is scoped by groups; a group end stops the skipping.
    EXPECT_EQ(Text("{\\rtf1 {\\uc3 \\u8364 a}bc}"), u"€bc");
    EXPECT_EQ(Text("{\\rtf1 \\u-4064?}"), u"\uF020");
}

TEST(RtfReader, HexBytesUseTheFontsCodePage)
{
    const std::string Fonts = "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fcharset204 Times;}"
                              "{\\f2\\fcharset128 MS Mincho;}{\\f3\\fcharset238 Arial CE;}}";
    EXPECT_EQ(Text("{\\rtf1\\ansi\\deff0" + Fonts + "\\f0 \\'e9\\f1 \\'c0\\f3 \\'b9}"), u"éАą");
    // A double-byte character made of two escapes.
    EXPECT_EQ(Text("{\\rtf1\\ansi" + Fonts + "\\f2 \\'82\\'a0}"), u"あ");
    // \ansicpg is the code page of text without a font.
    EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1251 \\'c0}"), u"А");
    // Raw 8-bit bytes are read like escapes.
    EXPECT_EQ(Text("{\\rtf1 caf\xE9}"), u"café");
}

TEST(RtfReader, FontAndColourTablesGiveRunFormats)
{
    const TRichDocument Doc = Read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss "
                                   "Arial{\\*\\panose 020b0604020202020204};}}"
                                   "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                                   "plain \\f1\\fs30\\b\\i\\ul\\strike\\cf1\\highlight2 fancy\\plain  back}");
    const TRichRun* Plain = RunWith(Doc, u"plain");
    ASSERT_NE(Plain, nullptr);
    EXPECT_EQ(Plain->Format.FontName, "Times New Roman");   // the \deff font
    EXPECT_EQ(Plain->Format.Size, 0);
    EXPECT_EQ(Plain->Format.Color, clDefault);
    EXPECT_EQ(Plain->Format.StylesSet, 0);

    const TRichRun* Fancy = RunWith(Doc, u"fancy");
    ASSERT_NE(Fancy, nullptr);
    EXPECT_EQ(Fancy->Format.FontName, "Arial");
    EXPECT_EQ(Fancy->Format.Size, 300);
    EXPECT_EQ(Fancy->Format.Styles, rsBold | rsItalic | rsUnderline | rsStrikeOut);
    EXPECT_EQ(Fancy->Format.Color, TColor(RGB(255, 0, 0)));
    EXPECT_EQ(Fancy->Format.BackColor, TColor(RGB(0, 0, 255)));

    const TRichRun* Back = RunWith(Doc, u"back");
    ASSERT_NE(Back, nullptr);
    EXPECT_EQ(Back->Format.FontName, "Times New Roman");
    EXPECT_EQ(Back->Format.BackColor, clNone);
}

TEST(RtfReader, StylesAreScopedByGroupsAndSwitchedOff)
{
    const TRichDocument Doc = Read("{\\rtf1 {\\b bold}{\\i it\\i0 up}\\ul under\\ulnone none\\cf9 nocolour}");
    EXPECT_TRUE(RunWith(Doc, u"bold")->Format.Style(rsBold, false));
    EXPECT_FALSE(RunWith(Doc, u"it")->Format.Style(rsBold, false));
    EXPECT_TRUE(RunWith(Doc, u"it")->Format.Style(rsItalic, false));
    const TRichCharFormat Up = RunWith(Doc, u"up")->Format;
    EXPECT_FALSE(Up.Style(rsItalic, true));   // set off explicitly beats a default
    EXPECT_TRUE(RunWith(Doc, u"under")->Format.Style(rsUnderline, false));
    EXPECT_FALSE(RunWith(Doc, u"none")->Format.Style(rsUnderline, true));
    // A colour index beyond the table is the automatic colour.
    EXPECT_EQ(RunWith(Doc, u"nocolour")->Format.Color, clDefault);
}

TEST(RtfReader, ParagraphFormats)
{
    const TRichDocument Doc = Read("{\\rtf1\\deftab360 \\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240\\sl-300\\tx1440\\tx720 "
                                   "one\\par\\pard\\qj\\sl360\\slmult1 two\\par\\qr three\\par\\pard four}");
    ASSERT_EQ(Doc.ParagraphCount(), 4);
    const TRichParaFormat& One = Doc.Paragraph(0).Format;
    EXPECT_EQ(One.Alignment, TRichAlignment::Center);
    EXPECT_EQ(One.LeftIndent, 720);
    EXPECT_EQ(One.RightIndent, 360);
    EXPECT_EQ(One.FirstIndent, -360);
    EXPECT_EQ(One.SpaceBefore, 120);
    EXPECT_EQ(One.SpaceAfter, 240);
    EXPECT_EQ(One.LineSpacing, -300);
    EXPECT_FALSE(One.LineSpacingMultiple);
    EXPECT_EQ(One.Tabs, (std::vector<Integer>{720, 1440}));
    EXPECT_EQ(Doc.Paragraph(1).Format.Alignment, TRichAlignment::Justify);
    EXPECT_TRUE(Doc.Paragraph(1).Format.LineSpacingMultiple);
    EXPECT_EQ(Doc.Paragraph(1).Format.LeftIndent, 0);   // \pard reset
    EXPECT_EQ(Doc.Paragraph(2).Format.Alignment, TRichAlignment::Right);   // carried over, then changed
    EXPECT_EQ(Doc.Paragraph(3).Format.Alignment, TRichAlignment::Left);
    EXPECT_EQ(Doc.DefaultTab(), 360);
}

TEST(RtfReader, IgnorableDestinationsAreSkipped)
{
    const std::string Rtf =
        "{\\rtf1{\\info{\\title Secret}{\\author Me}}{\\stylesheet{\\s0 Normal;}}"
        "{\\*\\generator Writer;}{\\*\\unknowndest hidden}{\\pict\\pngblip 89504e47}"
        "{\\header head}A{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}B"
        "{\\pict\\bin6 }}}{{ }C}";
    EXPECT_EQ(Text(Rtf), u"AlinkBC");
}

TEST(RtfReader, TablesKeepTheirCellsApart)
{
    EXPECT_EQ(Text("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell b\\cell\\row after}"), u"a\tb\t\rafter");
}

TEST(RtfReader, MalformedInputIsReadAsFarAsItGoes)
{
    // Unclosed groups, text after the document's group, truncated escapes.
    EXPECT_EQ(Text("{\\rtf1 {\\b open"), u"open");
    EXPECT_EQ(Text("{\\rtf1 done} trailing"), u"done");
    EXPECT_EQ(Text("{\\rtf1 x\\'4"), u"x\u0004");
    EXPECT_EQ(Text("{\\rtf1 x\\'zz}"), u"xzz");
    EXPECT_EQ(Text("{\\rtf1 x\\"), u"x");
    EXPECT_EQ(Text("{\\rtf1 x\\bin99999999"), u"x");
    // Absurd numbers are bounded.
    const TRichDocument Big = Read("{\\rtf1\\fs99999999999999999999 a\\li-99999999999 \\par b}");
    EXPECT_EQ(RunWith(Big, u"a")->Format.Size, RichMaxFontSize);
    EXPECT_EQ(Big.Paragraph(0).Format.LeftIndent, -RichMaxMeasure);
    EXPECT_EQ(Text("{\\rtf1\\uc2147483647 \\u65 skipped}after"), u"A");
    // A lone surrogate cannot stay in the text; the length does not change.
    EXPECT_EQ(Text("{\\rtf1 \\u-10179?x}"), u"\uFFFDx");
}

TEST(RtfReader, DeepNestingIsBalancedWithoutUnboundedState)
{
    std::string Rtf = "{\\rtf1 a";
    Rtf.append(100000, '{');
    Rtf += "\\b deep";
    Rtf.append(100000, '}');
    Rtf += "b}";
    const TRichDocument Doc = Read(Rtf);
    EXPECT_EQ(Doc.Text(), u"adeepb");
}

// A lead byte without its trail byte is a bad character, not nothing: at the end of the text,
// before a character that cannot follow it, and when a group splits it from its trail byte.
TEST(RtfReader, IncompleteMultibyteCharactersBecomeReplacementCharacters)
{
    struct TCase { const char* Charset; const char* Lead; };
    for (const TCase& C : {TCase{"128", "82"}, TCase{"134", "b0"}, TCase{"129", "b0"}, TCase{"136", "a4"}}) {
        const std::string Head = std::string("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset") + C.Charset + " X;}}\\f0 ";
        const std::string Lead = std::string("\\'") + C.Lead;
        EXPECT_EQ(Text(Head + "a" + Lead + "}"), u"a\uFFFD") << C.Charset;
        EXPECT_EQ(Text(Head + Lead + "{b}}"), u"\uFFFDb") << C.Charset;
        const WideString Split = Text(Head + Lead + "{\\'a0}}");
        ASSERT_FALSE(Split.empty()) << C.Charset;
        EXPECT_EQ(Split[0], u'\uFFFD') << C.Charset;
        EXPECT_EQ(Split.find(u'\x1A'), WideString::npos) << C.Charset;
    }
    // Complete characters are untouched, and so is a lead byte in a single-byte code page.
    EXPECT_EQ(Text("{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset128 X;}}\\f0 \\'82\\'a0}"), u"あ");
    EXPECT_EQ(Text("{\\rtf1\\ansi\\ansicpg1251 \\'c0}"), u"А");
}

// Font names are copied into every run and paragraph end: a huge one is capped, so memory stays
// in proportion to the input however many paragraphs use it.
TEST(RtfReader, FontNamesAreCapped)
{
    std::string Rtf = "{\\rtf1{\\fonttbl{\\f0 " + std::string(100000, 'N') + ";}{\\f1 Arial;}}\\f0 ";
    for (int i = 0; i < 20000; ++i)
        Rtf += "x\\par ";
    Rtf += "}";
    const TRichDocument Doc = Read(Rtf);
    ASSERT_EQ(Doc.ParagraphCount(), 20001);
    std::size_t NameBytes = 0;
    for (Integer P = 0; P < Doc.ParagraphCount(); ++P) {
        for (const TRichRun& R : Doc.Paragraph(P).Runs)
            NameBytes += R.Format.FontName.size();
        NameBytes += Doc.Paragraph(P).EndFormat.FontName.size();
    }
    EXPECT_LE(NameBytes, 10 * Rtf.size());   // whole names would be 20,000 times the input
    EXPECT_EQ(Doc.Paragraph(0).Runs.at(0).Format.FontName, std::string(31, 'N'));
    // An ordinary name is kept whole, and a name cut inside a surrogate pair loses the pair.
    EXPECT_EQ(RunWith(Read("{\\rtf1{\\fonttbl{\\f1 Arial Unicode MS;}}\\f1 y}"), u"y")->Format.FontName, "Arial Unicode MS");
    std::string Pair = "{\\rtf1{\\fonttbl{\\f0\\fcharset0 " + std::string(30, 'a') + "\\u55357?\\u56832?;}}\\f0 z}";
    const TRichDocument WithPair = Read(Pair);
    EXPECT_EQ(RunWith(WithPair, u"z")->Format.FontName.size(), 30u);
}

// What the writer makes reads back to the same document: every format of runs, paragraphs and
// their end marks, unset attributes left unset, and characters of every kind.
TEST(RtfWriter, WrittenRtfReadsBackToTheSameDocument)
{
    const std::string Sources[] = {
        "{\\rtf1\\ansi\\deff0\\deftab567{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset204 Times New Roman;}"
        "{\\f2 Caf\\'e9\\'3b Sans;}{\\f3\\fcharset128 ;}}{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue0;}"
        "\\pard\\qj\\li720\\ri360\\fi-360\\sb120\\sa240\\sl-300\\tx720\\tx2880 {\\b bold} {\\b0 not bold} {\\i\\ul it} "
        "{\\strike s}{\\ulnone u}\\tab t\\line l\\page p\\par"
        "\\pard\\qc\\sl360\\slmult1\\f1\\fs28\\cf1\\highlight2 \\'c4\\'e0 {\\f2 x} {\\f3 y} \\u8364? \\u-10179?\\u-8704? "
        "\\{\\}\\\\ \\u13?\\u0?\\u7?\\par"
        "\\pard\\par\\plain\\fs48\\qr last {\\cf1 red}\\fs10}",
        "plain text\nover\r\nthree lines \xe2\x82\xac"};
    for (const std::string& Source : Sources) {
        const TRichDocument A = Read(Source);
        const std::string Rtf = WriteRtf(A);
        const TRichDocument B = Read(Rtf);
        EXPECT_EQ(B.DefaultTab(), A.DefaultTab());
        ASSERT_EQ(B.ParagraphCount(), A.ParagraphCount()) << Rtf;
        for (Integer P = 0; P < A.ParagraphCount(); ++P) {
            const TRichParagraph &X = A.Paragraph(P), &Y = B.Paragraph(P);
            EXPECT_EQ(Y.Format, X.Format) << P;
            EXPECT_EQ(Y.EndFormat, X.EndFormat) << P;
            EXPECT_EQ(Y.HasEnd, X.HasEnd) << P;
            ASSERT_EQ(Y.Runs.size(), X.Runs.size()) << P << " " << Rtf;
            for (std::size_t R = 0; R < X.Runs.size(); ++R) {
                EXPECT_EQ(Y.Runs[R].Text, X.Runs[R].Text) << P << " " << R;
                EXPECT_EQ(Y.Runs[R].Format, X.Runs[R].Format) << P << " " << R << " " << Rtf;
            }
        }
    }
}
