// Code 39 and interleaved 2 of 5: element patterns, lengths, drawing across and down, and an
// independent reader decoding what is drawn.

#include "platform/graphics/Gdi.h"
#include "printing/PrintTestSupport.h"
#include "runtime/output/QorCtrl.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace qor {
namespace {

class BarCodeDc {
public:
    BarCodeDc(Integer W, Integer H, Integer Ppi) : DC(CreateRasterDC(W, H, Ppi)), Width(W), Height(H)
    {
        PatBlt(DC, 0, 0, W, H, WHITENESS);
        Black = CreateSolidBrush(RGB(0, 0, 0));
    }
    ~BarCodeDc()
    {
        DeleteObject(Black);
        DeleteDC(DC);
    }
    bool Ink(Integer X, Integer Y) const { return GetPixel(DC, X, Y) == RGB(0, 0, 0); }
    // The run of bars and spaces along a row (or a column) as widths, starting at the first bar.
    std::vector<Integer> Runs(Integer At, bool Down) const
    {
        std::vector<Integer> Out;
        const Integer End = Down ? Height : Width;
        Integer I = 0;
        while (I < End && !Ink(Down ? At : I, Down ? I : At))
            ++I;
        if (I == End)
            return Out;
        Integer LastInk = I;
        for (Integer J = I; J < End; ++J)
            if (Ink(Down ? At : J, Down ? J : At))
                LastInk = J;
        bool Bar = true;
        Integer Run = 0;
        for (; I <= LastInk; ++I) {
            if (Ink(Down ? At : I, Down ? I : At) == Bar) {
                ++Run;
            } else {
                Out.push_back(Run);
                Run = 1;
                Bar = !Bar;
            }
        }
        if (Run)
            Out.push_back(Run);
        return Out;
    }
    HDC DC;
    HBRUSH Black;
    Integer Width, Height;
};

// The widths an element string should draw with narrow N and wide W (a final narrow gap of Code 39
// is not ink and does not show).
std::vector<Integer> ExpectedRuns(const String& Elements, bool Code39, Integer N, Integer W)
{
    std::vector<Integer> Out;
    for (char E : Elements)
        Out.push_back((Code39 ? E == '1' : (E == '2' || E == '3')) ? W : N);
    if (Code39)
        Out.pop_back();
    return Out;
}

TEST(BarCodePatterns, Code39CharactersAreTheirPublishedPatterns)
{
    // Framed by '*', each character nine elements (three wide) and a narrow gap.
    EXPECT_EQ(TQor3of9BarCode::Elements("A"), "0100101000" "1000010010" "0100101000");
    EXPECT_EQ(TQor3of9BarCode::Elements("a"), TQor3of9BarCode::Elements("A"));
    EXPECT_EQ(TQor3of9BarCode::Elements("0"), "0100101000" "0001101000" "0100101000");
    EXPECT_EQ(TQor3of9BarCode::Elements("$"), "0100101000" "0101010000" "0100101000");
    EXPECT_EQ(TQor3of9BarCode::Elements(""), "");
    // Characters without a pattern are skipped.
    EXPECT_EQ(TQor3of9BarCode::Elements("A%B"), TQor3of9BarCode::Elements("AB"));
    const String All = TQor3of9BarCode::Elements(TQor3of9BarCode::Characters);
    ASSERT_EQ(All.size(), 45u * 10);
    for (std::size_t C = 0; C < 45; ++C) {
        const String Char = All.substr(C * 10, 9);
        const auto Wide = std::count(Char.begin(), Char.end(), '1');
        const char Ch = C == 0 || C == 44 ? '*' : TQor3of9BarCode::Characters[C - 1];
        EXPECT_EQ(Wide, 3) << Ch << " " << Char;
        EXPECT_EQ(All[C * 10 + 9], '0');
    }
}

TEST(BarCodePatterns, TwoOfFiveInterleavesPairs)
{
    // 123 has an odd count: drawn as the pairs (0, 1) and (2, 3).
    // 0 = nnwwn, 1 = wnnnw, 2 = nwnnw, 3 = wwnnn; bars from the first digit, spaces from the second.
    EXPECT_EQ(TQor2of5BarCode::Elements("123"), "0101" "0301212103" "0323010121" "210");
    EXPECT_EQ(TQor2of5BarCode::Elements("0123"), TQor2of5BarCode::Elements("123"));
    EXPECT_EQ(TQor2of5BarCode::Elements("12A4"), "");
    EXPECT_EQ(TQor2of5BarCode::Elements(""), "");
}

TEST(BarCodeLength, IsTheLengthOfWhatIsDrawn)
{
    BarCodeDc Dc(10, 10, 96);
    TQor3of9BarCode C39;
    EXPECT_EQ(C39.BarCodeLength(Dc.DC, "a"), 3 * (3 * 3 + 7 * 1));
    EXPECT_EQ(C39.BarCodeLength(Dc.DC, "a"), C39.BarCodeLength(Dc.DC, "A"));
    // The percent sign has no pattern and is not drawn, so it takes no room either.
    EXPECT_EQ(C39.BarCodeLength(Dc.DC, "A%B"), 4 * (3 * 3 + 7 * 1));
    EXPECT_EQ(C39.BarCodeLength(Dc.DC, ""), 0);
    TQor2of5BarCode I25;
    EXPECT_EQ(I25.BarCodeLength(Dc.DC, "123"), 45);
    EXPECT_EQ(I25.BarCodeLength(Dc.DC, "1234"), 45);
    EXPECT_EQ(I25.BarCodeLength(Dc.DC, "12X"), 0);
}

TEST(BarCodeDrawing, AcrossWithPixelWidths)
{
    BarCodeDc Dc(400, 40, 96);
    TQor2of5BarCode Code;
    Code.NarrowWidth = 2;
    Code.WideWidth = 5;
    Code.Height = 20;
    Code.PrintDC(Dc.DC, Dc.Black, 10, 5, "123");
    EXPECT_EQ(Dc.Runs(10, false), ExpectedRuns(TQor2of5BarCode::Elements("123"), false, 2, 5));
    EXPECT_TRUE(Dc.Ink(10, 5));
    EXPECT_TRUE(Dc.Ink(10, 24));
    EXPECT_FALSE(Dc.Ink(10, 25)) << "bars are Height pixels long";
    EXPECT_FALSE(Dc.Ink(9, 10));
    EXPECT_FALSE(Dc.Ink(10 + Code.BarCodeLength(Dc.DC, "123"), 10));
    // A letter in an interleaved 2 of 5 code draws nothing.
    BarCodeDc Empty(100, 40, 96);
    Code.PrintDC(Empty.DC, Empty.Black, 0, 0, "12A");
    EXPECT_TRUE(Empty.Runs(10, false).empty());
}

TEST(BarCodeDrawing, DownWithThousandthsOfAnInch)
{
    // 10 and 30 thousandths at 300 pixels per inch: 3 and 9 pixels.
    BarCodeDc Dc(60, 900, 300);
    TQor3of9BarCode Code;
    Code.NarrowWidth = 10;
    Code.WideWidth = 30;
    Code.WidthInInches_1000 = true;
    Code.Vertical = true;
    Code.Width = 40;
    Code.PrintDC(Dc.DC, Dc.Black, 5, 10, "QOR");
    EXPECT_EQ(Dc.Runs(20, true), ExpectedRuns(TQor3of9BarCode::Elements("QOR"), true, 3, 9));
    EXPECT_TRUE(Dc.Ink(5, 10));
    EXPECT_TRUE(Dc.Ink(44, 10));
    EXPECT_FALSE(Dc.Ink(45, 10)) << "strips are Width pixels across";
    EXPECT_EQ(Code.BarCodeLength(Dc.DC, "QOR"), 5 * (3 * 9 + 7 * 3));
}

// Runs zbarimg on a PNG; its decoded lines ("CODE-39:...", "I2/5:...").
std::string Decode(const std::string& Png)
{
    return test::RunCommand("zbarimg --quiet --raw -Sdisable -Scode39.enable -Si25.enable '" + Png +
                            "' 2>/dev/null");
}

TEST(BarCodeReader, CodesDrawnAt300PpiDecodeToTheirData)
{
    if (!test::HaveProgram("zbarimg"))
        QOR_SKIP_WITHOUT_TOOL("zbarimg (zbar-tools) is not installed");
    const auto Dir = std::filesystem::temp_directory_path() / ("qor-bars-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Dir);
    struct TCase {
        bool Code39;
        bool Vertical;
        String Data;
    };
    for (const TCase& Case : {TCase{true, false, "QOR-123 $/+."}, TCase{false, false, "0123456789"},
                              TCase{true, true, "VERTICAL"}, TCase{false, false, "98765"}}) {
        SCOPED_TRACE(Case.Data);
        std::unique_ptr<TQorBarCode> Code;
        if (Case.Code39)
            Code = std::make_unique<TQor3of9BarCode>();
        else
            Code = std::make_unique<TQor2of5BarCode>();
        Code->NarrowWidth = 10;
        Code->WideWidth = 30;
        Code->WidthInInches_1000 = true;
        Code->Vertical = Case.Vertical;
        Code->Height = Code->Width = 150; // half an inch
        BarCodeDc Dc(Case.Vertical ? 300 : 1800, Case.Vertical ? 1800 : 300, 300);
        Code->PrintDC(Dc.DC, Dc.Black, 75, 75, Case.Data); // a quarter-inch quiet zone
        const std::string Png = (Dir / "code.png").string();
        ASSERT_TRUE(SaveDCToPng(Dc.DC, Png));
        // An odd count of digits is drawn with a leading zero.
        const String Expected = !Case.Code39 && Case.Data.size() % 2 ? "0" + Case.Data : Case.Data;
        EXPECT_EQ(Decode(Png), Expected + "\n");
    }
    std::filesystem::remove_all(Dir);
}

} // namespace
} // namespace qor
