// Deterministic mutation fuzzing of the RTF reader and the layout engine: fixed seeds, fixed
// documents, a few thousand mutants. Every mutant must be read (and laid out) without a crash, a
// hang or memory out of proportion to the input, and the document must stay self-consistent.

#include "platform/graphics/Gdi.h"
#include "platform/rtl/Utf16.h"
#include "platform/ui/RichLayout.h"
#include "platform/ui/RtfReader.h"

#include "TextMutator.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace qor;

namespace {

const char* const Seeds[] = {
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\froman\\fcharset204 Times New Roman;}"
    "{\\f2\\fnil\\fcharset128 MS Mincho;}}{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
    "{\\*\\generator Writer 5.1;}\\viewkind4\\uc1\\pard\\qc\\sb120\\sa120\\f0\\fs32\\b Title\\b0\\par"
    "\\pard\\qj\\li360\\ri360\\fi-360\\sl276\\slmult1\\tx720 \\bullet\\tab Item with \\cf1 red\\cf0 and "
    "\\highlight2 green\\highlight0  text, \\f1\\'c0\\'c1\\f2\\'82\\'a0\\f0 , \\u8364?, \\emdash\\par"
    "\\pard\\qr\\fs18\\i right \\ul under\\ulnone\\line next\\tab x\\page after\\par}",
    "{\\rtf1{\\info{\\title t}{\\author a}}{\\stylesheet{\\s0 Normal;}{\\s1\\b heading 1;}}"
    "\\pard\\intbl a\\cell b\\cell\\row {\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}"
    "{\\pict\\wmetafile8\\picw100\\pich100 0100090000}{\\*\\shppict{\\pict\\pngblip 89504e}}"
    "\\uc2\\u26085\\'93\\'fa\\u26412\\'96\\'7b\\par\\pard\\ql\\strike gone\\strike0\\~\\-\\_\\{\\}\\\\}",
    "plain text\r\nwith lines\tand tabs\nand caf\xE9",
    "{\\rtf1 {{{{{\\b deep}}}}} \\bin3 abc tail \\'4",
};

// Pieces that tend to reach unusual paths of the reader.
const char* const Tokens[] = {
    "{", "}", "\\", "\\'", "\\'f", "\\u-", "\\u65535 ", "\\uc99999 ", "\\uc0 ", "\\fs999999999 ", "\\fs0 ",
    "\\bin", "\\bin2147483647 ", "\\*", "\\par", "\\pard", "\\plain", "\\f99 ", "\\cf-5 ", "\\li-999999 ",
    "\\fi-40000 ", "\\sl-99999 ", "\\slmult1 ", "\\tx0 ", "\\page", "\\line", "\\tab", "\\qj ", "\\qc ",
    "{\\fonttbl", "{\\colortbl;", "\\red999", ";", "\\fcharset128 ", "\\'82", "\\ri99999 ", "\\sb99999 ",
    "\\ansicpg932 ", "\\deff7 ", "\r\n", " ", "\xFF", "\\u-10179?", "{\\*\\x ", "\\rtf1",
};

using TMutator = test::TTextMutator;

void CheckConsistent(const TRichDocument& Doc, std::size_t InputSize)
{
    const WideString Text = Doc.Text();
    ASSERT_EQ(static_cast<Integer>(Text.size()), Doc.TextLength());
    // Every character needs at least one byte of input.
    ASSERT_LE(static_cast<std::size_t>(Doc.TextLength()), InputSize);
    Integer Sum = 0;
    for (Integer P = 0; P < Doc.ParagraphCount(); ++P) {
        ASSERT_EQ(Doc.ParagraphStart(P), Sum);
        Sum += Doc.Paragraph(P).Length();
        ASSERT_EQ(Doc.Paragraph(P).HasEnd, P + 1 < Doc.ParagraphCount());
    }
    ASSERT_EQ(Sum, Doc.TextLength());
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I];
        if (IsHighSurrogate(C)) {
            ASSERT_TRUE(I + 1 < Text.size() && IsLowSurrogate(Text[I + 1]));
            ++I;
        } else {
            ASSERT_FALSE(IsLowSurrogate(C));
        }
    }
}

} // namespace

TEST(RtfFuzz, MutatedDocumentsReadConsistently)
{
    TMutator M(20240611, Tokens);
    for (int Iteration = 0; Iteration < 3000; ++Iteration) {
        const std::string Input = M.Mutate(Seeds[Iteration % std::size(Seeds)]);
        TRichDocument Doc;
        ReadRichText(std::span<const Byte>(reinterpret_cast<const Byte*>(Input.data()), Input.size()), Doc);
        CheckConsistent(Doc, Input.size());
        if (HasFatalFailure()) {
            ADD_FAILURE() << "iteration " << Iteration << ", input: " << Input;
            return;
        }
    }
}

TEST(RtfFuzz, MutatedDocumentsLayOutCoveringEveryCharacter)
{
    const HDC DC = CreateRecordingDC(816, 1056, 96, true);
    TMutator M(77, Tokens);
    for (int Iteration = 0; Iteration < 300; ++Iteration) {
        const std::string Input = M.Mutate(Seeds[Iteration % std::size(Seeds)]);
        TRichTextEngine Engine;
        Engine.LoadRtf(std::span<const Byte>(reinterpret_cast<const Byte*>(Input.data()), Input.size()));
        const Integer Length = Engine.TextLength();
        Integer Pos = 0;
        int Pages = 0;
        while (Pos < Length) {
            TFormatRange R{DC, DC, TRect(720, 720, 720 + 4 * 1440, 720 + 3 * 1440), TRect(0, 0, 12240, 15840), Pos, -1};
            Integer Next = Engine.FormatRange(&R, Iteration % 4 == 0);
            ASSERT_GE(R.rc.Bottom, 720);
            ASSERT_LE(R.rc.Bottom, 720 + 3 * 1440);
            if (Next == Pos) {
                // A line taller than the page (absurd sizes or spacing): it goes on a taller one.
                ASSERT_EQ(R.rc.Bottom, 720);
                R.rc.Bottom = INT32_MAX;
                Next = Engine.FormatRange(&R, Iteration % 4 == 0);
            }
            ASSERT_GT(Next, Pos) << "no progress at " << Pos << " in iteration " << Iteration << ": " << Input;
            Pos = Next;
            ASSERT_LT(++Pages, 100000);
        }
        ASSERT_EQ(Pos, Length);
        ClearRecordedCalls(DC);
    }
    DeleteDC(DC);
}
