// Rich text on real fonts: device independence of the layout and drawing on raster contexts.

#include "common/TestOutput.h"
#include "platform/graphics/Gdi.h"
#include "platform/ui/RichLayout.h"
#include "platform/ui/RtfWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace qor;

namespace {

const char* const MixedPage =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}{\\f2\\fmodern Courier New;}}"
    "{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green0\\blue200;\\red255\\green255\\blue0;\\red0\\green128\\blue0;}"
    "\\pard\\qc\\sa200\\f0\\fs48\\b Quarterly Report\\b0\\par"
    "\\pard\\qj\\sa120\\f1\\fs24 This paragraph is justified. It mixes {\\b bold}, {\\i italic}, {\\ul underlined} and "
    "{\\strike struck} words, {\\cf1 red text}, {\\cf2 blue text} and {\\highlight3 highlighted text}, and it runs long "
    "enough to wrap over several lines so that the justification shows on every line but the last one.\\par"
    "\\pard\\qr\\sa120\\f0\\fs20\\cf4 Right-aligned green line\\par"
    "\\pard\\qc\\f2\\fs28\\cf0 Centred Courier\\par"
    "\\pard\\li720\\fi-360\\tx720\\f0\\fs20\\bullet\\tab A bulleted item with a hanging indent that wraps onto a "
    "second line under its own text.\\par"
    "\\pard\\tx2880\\tx5040 Name\\tab Amount\\tab Date\\par"
    "\\pard\\f1\\fs16 Small print: \\u8364? 12,50 \\endash\\ caf\\'e9 \\emdash\\ done.\\par}";

std::span<const Byte> Bytes(const char* S)
{
    return std::span<const Byte>(reinterpret_cast<const Byte*>(S), std::char_traits<char>::length(S));
}

struct TInk {
    Integer Left = INT32_MAX, Top = INT32_MAX, Right = -1, Bottom = -1;
    Integer Count = 0;
};

// Bounding box of the pixels that match; colours as 0xRRGGBB. Reads in device units.
template <class Pred>
TInk Ink(HDC DC, Pred Match)
{
    SetMapMode(DC, MM_TEXT);
    SetWindowOrgEx(DC, 0, 0);
    SetViewportOrgEx(DC, 0, 0);
    const TSize Size = GetDCBitmapSize(DC);
    TInk R;
    for (Integer Y = 0; Y < Size.cy; ++Y)
        for (Integer X = 0; X < Size.cx; ++X) {
            const COLORREF C = GetPixel(DC, X, Y);
            if (Match((std::uint32_t(GetRValue(C)) << 16) | (std::uint32_t(GetGValue(C)) << 8) | GetBValue(C))) {
                R.Left = std::min(R.Left, X);
                R.Right = std::max(R.Right, X);
                R.Top = std::min(R.Top, Y);
                R.Bottom = std::max(R.Bottom, Y);
                ++R.Count;
            }
        }
    return R;
}

bool NotWhite(std::uint32_t C) { return C != 0xFFFFFF; }

// Breaks of the whole text over pages of PageHeight twips, measured on Target.
std::vector<Integer> Breaks(TRichTextEngine& Engine, HDC Target, Integer Width, Integer PageHeight, Integer& Total)
{
    std::vector<Integer> Result;
    Integer Pos = 0;
    Total = 0;
    while (Pos < Engine.TextLength()) {
        TFormatRange R{Target, Target, TRect(0, 0, Width, PageHeight), TRect(0, 0, Width, PageHeight), Pos, -1};
        Pos = Engine.FormatRange(&R, false);
        Total += R.rc.Bottom;
        Result.push_back(Pos);
    }
    return Result;
}

} // namespace

TEST(RichRender, LayoutAgreesAt96And600PixelsPerInch)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes(MixedPage));
    const HDC Screen = CreateRasterDC(10, 10, 96);
    const HDC Printer = CreateRasterDC(10, 10, 600);
    Integer H96 = 0, H600 = 0;
    const std::vector<Integer> B96 = Breaks(Engine, Screen, 4 * 1440, 1440, H96);
    Engine.FormatRange(nullptr, false);
    const std::vector<Integer> B600 = Breaks(Engine, Printer, 4 * 1440, 1440, H600);
    EXPECT_EQ(B96, B600);
    // Within one line of the smallest font (8 points).
    EXPECT_NEAR(H96, H600, 160);
    EXPECT_GE(B96.size(), 3u);
    // A mapping on the target context does not change the measuring.
    SetMapMode(Printer, MM_ANISOTROPIC);
    SetWindowExtEx(Printer, 3, 3);
    SetViewportExtEx(Printer, 1, 1);
    Integer HMapped = 0;
    Engine.FormatRange(nullptr, false);
    EXPECT_EQ(Breaks(Engine, Printer, 4 * 1440, 1440, HMapped), B600);
    EXPECT_EQ(HMapped, H600);
    EXPECT_EQ(GetMapMode(Printer), MM_ANISOTROPIC);
    DeleteDC(Screen);
    DeleteDC(Printer);
}

TEST(RichRender, MixedPageRendersToPng)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes(MixedPage));
    const HDC DC = CreateRasterDC(816, 1056, 96);
    TFormatRange R{DC, DC, TRect(1440, 1440, 12240 - 1440, 10 * 1440), TRect(0, 0, 12240, 15840), 0, -1};
    EXPECT_EQ(Engine.FormatRange(&R, true), Engine.TextLength());
    const String File = test::TestOutputFile("rich_mixed_page.png");
    ASSERT_TRUE(SaveDCToPng(DC, File));
    std::printf("rendered page: %s\n", File.c_str());

    // Everything stays inside the rectangle (1 inch margins, 96 pixels per inch).
    const TInk All = Ink(DC, NotWhite);
    EXPECT_GE(All.Left, 96);
    EXPECT_GE(All.Top, 96);
    EXPECT_LT(All.Right, 816 - 96);
    EXPECT_LE(All.Bottom, R.rc.Bottom * 96 / 1440 + 1);
    // The colours of the text: red, blue, green, and the yellow highlight behind some of it.
    auto Near = [](std::uint32_t C, std::uint32_t Want) {
        for (int Shift : {0, 8, 16})
            if (std::abs(int((C >> Shift) & 0xFF) - int((Want >> Shift) & 0xFF)) > 40)
                return false;
        return true;
    };
    EXPECT_GT(Ink(DC, [&](std::uint32_t C) { return Near(C, 0xC80000); }).Count, 20);
    EXPECT_GT(Ink(DC, [&](std::uint32_t C) { return Near(C, 0x0000C8); }).Count, 20);
    EXPECT_GT(Ink(DC, [&](std::uint32_t C) { return Near(C, 0x008000); }).Count, 20);
    const TInk Yellow = Ink(DC, [](std::uint32_t C) { return C == 0xFFFF00; });
    EXPECT_GT(Yellow.Count, 300);
    DeleteDC(DC);
}

TEST(RichRender, CentredTitleIsCentred)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes("{\\rtf1\\qc\\fs40 Title}"));
    const HDC DC = CreateRasterDC(400, 100, 96);
    TFormatRange R{DC, DC, TRect(0, 0, 400 * 15, 100 * 15), TRect(0, 0, 400 * 15, 100 * 15), 0, -1};
    Engine.FormatRange(&R, true);
    const TInk Ink1 = Ink(DC, NotWhite);
    ASSERT_GT(Ink1.Count, 0);
    EXPECT_NEAR((Ink1.Left + Ink1.Right) / 2.0, 200, 4);
    DeleteDC(DC);
}

TEST(RichRender, DrawingIsClippedToTheRectangle)
{
    TRichTextEngine Engine;
    // Lines of exactly 200 twips in a 24-point font: the glyphs reach above their line's box.
    Engine.LoadRtf(Bytes("{\\rtf1\\sl-200\\fs48 Tall\\line Tall}"));
    const HDC DC = CreateRasterDC(200, 200, 96);
    // From 1500 twips (100 pixels) down, 300 twips high: the first line only.
    TFormatRange R{DC, DC, TRect(0, 1500, 3000, 1800), TRect(0, 0, 3000, 3000), 0, -1};
    EXPECT_EQ(Engine.FormatRange(&R, true), 5);
    EXPECT_EQ(R.rc.Bottom, 1700);
    const TInk Drawn = Ink(DC, NotWhite);
    ASSERT_GT(Drawn.Count, 0);
    EXPECT_GE(Drawn.Top, 100);
    EXPECT_LT(Drawn.Bottom, 120);
    DeleteDC(DC);
}

TEST(RichRender, DrawingScalesWithResolutionAndMapping)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(Bytes("{\\rtf1\\fs24 Hello world}"));
    auto Draw = [&](Integer Dpi, bool HalfMapping) {
        const HDC DC = CreateRasterDC(800, 200, Dpi);
        if (HalfMapping) {
            SetMapMode(DC, MM_ANISOTROPIC);
            SetWindowExtEx(DC, 2, 2);
            SetViewportExtEx(DC, 1, 1);
        }
        TFormatRange R{DC, DC, TRect(0, 0, 7200, 1440), TRect(0, 0, 7200, 1440), 0, -1};
        Engine.FormatRange(&R, true);
        const TInk I = Ink(DC, NotWhite);
        DeleteDC(DC);
        return I;
    };
    const TInk At96 = Draw(96, false);
    const TInk At192 = Draw(192, false);
    const TInk Mapped = Draw(192, true);
    const double W96 = At96.Right - At96.Left;
    ASSERT_GT(W96, 50);
    EXPECT_NEAR((At192.Right - At192.Left) / W96, 2.0, 0.1);
    EXPECT_NEAR((Mapped.Right - Mapped.Left) / W96, 1.0, 0.1);
}

// A part of a document (RichRangePart) draws its range as the whole document draws it, pixel for
// pixel: continued paragraphs, justified lines ending the range, spacing, hard breaks, a paragraph
// far longer than the range; also in a column a little narrower, as another zoom lays it out.
TEST(RichRender, APartDrawsItsRangeAsTheWholeDocumentDoes)
{
    std::string Rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}\\f0\\fs20 ";
    for (int I = 0; I < 40; ++I)
        Rtf += std::string(I % 3 ? "\\pard\\qj\\fi360\\sb120\\sa120 " : "\\pard\\qr ") + "Paragraph " +
               std::to_string(I) + " has {\\b bold} and {\\f1\\i italic} words that wrap over lines of the column." +
               (I % 7 == 0 ? "\\line after a break\\page on a new page" : "") + "\\par ";
    Rtf += "\\pard\\qj ";
    for (int I = 0; I < 3000; ++I)
        Rtf += "word" + std::to_string(I % 10) + " ";
    Rtf += "}";
    TRichTextEngine Whole;
    Whole.LoadRtf(Bytes(Rtf.c_str()));
    const HDC Target = CreateRasterDC(10, 10, 96);
    Integer Height = 0;
    const std::vector<Integer> Ends = Breaks(Whole, Target, 4 * 1440, 2 * 1440, Height);
    ASSERT_GT(Ends.size(), 20u);
    std::size_t Stored = 0;
    for (const Integer Width : {4 * 1440, 4 * 1440 - 40}) {
        Integer From = 0;
        for (const Integer To : Ends) {
            Integer Start = From, End = To;
            const std::string Part = WriteRtf(RichRangePart(Whole.Document(), Start, End));
            if (Width == 4 * 1440)
                Stored += Part.size();
            TRichTextEngine Piece;
            Piece.LoadRtf(Bytes(Part.c_str()));
            auto Draw = [&](TRichTextEngine& Engine, Integer A, Integer B) {
                const HDC DC = CreateRasterDC(400, 250, 96);
                TFormatRange R{DC, DC, TRect(0, 0, Width, 2 * 1440), TRect(0, 0, Width, 2 * 1440), A, B};
                Engine.FormatRange(nullptr, false);
                Engine.FormatRange(&R, true);
                return DC;
            };
            const HDC A = Draw(Whole, From, To), B = Draw(Piece, Start, End);
            bool Same = true;
            for (Integer Y = 0; Y < 250 && Same; ++Y)
                for (Integer X = 0; X < 400 && Same; ++X)
                    Same = GetPixel(A, X, Y) == GetPixel(B, X, Y);
            EXPECT_TRUE(Same) << "characters " << From << " to " << To << " in " << Width << " twips";
            DeleteDC(A);
            DeleteDC(B);
            From = To;
        }
    }
    EXPECT_LT(Stored, Rtf.size() * 3) << "the parts together a few times the document, not once a page";
    DeleteDC(Target);
}
