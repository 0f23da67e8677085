// The rich-text label: an RTF document of a variable (a memo field, or a value set from text)
// measured and drawn piece by piece over pages, every character exactly once; a line taller than
// a page placed cut off on a page of its own; a fixed label taking what fits; nothing for RTF
// output. And a report form run by the qor tool, read back from its PDF.

#include "runtime/engine/QorRtfC.h"

#include "common/Golden.h"
#include "common/SoundPdf.h"
#include "engine/PageTestSupport.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/RichLayout.h"
#include "runtime/engine/KivExprVar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

using namespace qor;
using namespace qor::test;

namespace {

// An RTF document of Count paragraphs, each with a bold number and some words.
std::string Document(int Count, const std::string& Title = "")
{
    std::string Rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs20 " + Title;
    for (int I = 1; I <= Count; ++I)
        Rtf += "{\\b Paragraph " + std::to_string(I) + "}: {\\i some words} that fill a line of the label.\\par ";
    return Rtf + "}";
}

// One rich-text record of a page-file dump.
struct TRtfPiece {
    int Top = 0, Bottom = 0;
    int Start = 0, End = 0;
    std::string Data;
};

// The dump's quoted text back to its bytes.
std::string Unquote(const std::string& Q)
{
    std::string Out;
    for (std::size_t I = 1; I + 1 < Q.size(); ++I) {
        if (Q[I] != '\\') {
            Out += Q[I];
            continue;
        }
        const char C = Q[++I];
        if (C == 'n')
            Out += '\n';
        else if (C == 'r')
            Out += '\r';
        else if (C == 't')
            Out += '\t';
        else if (C == 'x') {
            Out += static_cast<char>(std::stoi(Q.substr(I + 1, 2), nullptr, 16));
            I += 2;
        } else
            Out += C;
    }
    return Out;
}

// The rich-text records of a dump, page by page.
std::vector<std::vector<TRtfPiece>> Pieces(const std::string& Dump)
{
    std::vector<std::vector<TRtfPiece>> Pages;
    std::istringstream In(Dump);
    for (std::string Line; std::getline(In, Line);) {
        if (Line.rfind("page ", 0) == 0 && Line.find(" at ") == std::string::npos)
            Pages.emplace_back();
        if (Line.rfind("  RtfDraw rect (", 0) != 0 || Pages.empty())
            continue;
        TRtfPiece P;
        int Left = 0, Right = 0;
        char Sep = 0;
        std::istringstream R(Line.substr(Line.find('(') + 1));
        R >> Left >> Sep >> P.Top >> Sep >> Right >> Sep >> P.Bottom;
        std::istringstream S(Line.substr(Line.find(" start ") + 7));
        std::string Word;
        S >> P.Start >> Word >> P.End;
        P.Data = Unquote(Line.substr(Line.find(" text ") + 6));
        Pages.back().push_back(P);
    }
    return Pages;
}

// The text the rich-edit control reads from a document.
std::string PlainText(const std::string& Data)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(std::span(reinterpret_cast<const Byte*>(Data.data()), Data.size()));
    return Utf16ToUtf8(Engine.Text());
}

// The characters a piece draws: its range of the document it holds (each page holds only the part
// of a long document that it draws, the range moved onto it).
std::string DrawnText(const TRtfPiece& P)
{
    TRichTextEngine Engine;
    Engine.LoadRtf(std::span(reinterpret_cast<const Byte*>(P.Data.data()), P.Data.size()));
    const Integer End = P.End < 0 ? Engine.TextLength() : P.End;
    return Utf16ToUtf8(Engine.Document().TextRange(P.Start, End - P.Start));
}

std::string DrawnText(const std::vector<std::vector<TRtfPiece>>& Pages)
{
    std::string Text;
    for (const auto& Page : Pages)
        for (const TRtfPiece& P : Page) {
            EXPECT_GT(P.End, P.Start);
            Text += DrawnText(P);
        }
    return Text;
}

// The pieces in order draw the documents from their first character to their last, each once.
void ExpectEveryCharacterOnce(const std::vector<std::vector<TRtfPiece>>& Pages, const std::vector<std::string>& Documents)
{
    std::string Expected;
    for (const std::string& Doc : Documents)
        Expected += PlainText(Doc);
    EXPECT_EQ(DrawnText(Pages), Expected);
}

class RtfLabelPage : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        Free(Page->Detail()->Labels()[0]); // the detail shows only the rich text
        Page->SetDataSource(Data({"N:Integer"}, {"1"}));
        Label = new TKivRichTextLabel(&Root);
        Label->SetParent(Page->Detail());
        Label->SetBounds(4, 2, 400, 40);
        Doc = new TKivExprVar(&Root);
        Doc->SetName("Doc");
        Doc->SetParent(Page);
        Doc->SetDataType(dtypeMemo);
        Doc->SetUpdateLevel(Page->Detail()->UpdateLevel());
        Doc->OnGetData = [this](TKivVar* V) {
            if (FromText) {
                V->SetAsString(Text);
                return;
            }
            TMemoryStream S;
            S.WriteBuffer(Text.data(), Int64(Text.size()));
            V->SetAsStream(&S);
        };
        Label->SetVariable(Doc);
    }
    void Stretching()
    {
        Page->Detail()->SetStretch(true);
        Label->SetStretch(true);
    }
    TKivRichTextLabel* Label = nullptr;
    TKivExprVar* Doc = nullptr;
    std::string Text;
    bool FromText = false;
};

TEST_F(RtfLabelPage, ALongDocumentGoesOverPagesWithEveryCharacterDrawnOnce)
{
    Text = Document(160);
    Stretching();
    const std::string Dump = Run();
    ExpectGoldenFile(std::string(QOR_TEST_DATA_DIR) + "/engine/rtflabel/long.dump", Dump);
    const auto Pages = Pieces(Dump);
    ASSERT_GE(Pages.size(), 3u) << "three pages' worth";
    ExpectEveryCharacterOnce(Pages, {Text});
    std::size_t Stored = 0;
    for (const auto& Page : Pages)
        Stored += Page[0].Data.size();
    EXPECT_LT(Stored, 2 * Text.size()) << "each page holds the part it draws, not the whole document";
    for (std::size_t I = 1; I < Pages.size(); ++I) {
        ASSERT_EQ(Pages[I].size(), 1u);
        EXPECT_EQ(Pages[I][0].Top, Pages[1][0].Top) << "each continuation starts below the band's top";
    }
    EXPECT_EQ(TextsOf(PagesOf(Dump)).back().front(), "PH");
}

TEST_F(RtfLabelPage, AShortDocumentEndsOnItsPageAndAFixedLabelTakesWhatFits)
{
    Text = Document(2);
    Stretching();
    auto Pages = Pieces(Run());
    ASSERT_EQ(Pages.size(), 1u);
    ExpectEveryCharacterOnce(Pages, {Text});

    Text = Document(50);
    Label->SetStretch(false);
    Pages = Pieces(Run());
    ASSERT_EQ(Pages.size(), 1u) << "a fixed label never continues";
    ASSERT_EQ(Pages[0].size(), 1u);
    EXPECT_GT(Pages[0][0].End, 0);
    EXPECT_LT(Pages[0][0].End, 50 * 40) << "only what fits in its height";
    EXPECT_LE(Pages[0][0].Bottom - Pages[0][0].Top, 40 - 2 * 2 - 20) << "inside the margins";
}

// "First line" and its end are characters 0 to 11, the tall X 11 to 13, "Last line" 13 to 23.
TEST_F(RtfLabelPage, ALineTallerThanAPageIsPlacedCutOffOnAPageOfItsOwnAndTheRestGoesOn)
{
    Stretching();
    Text = "{\\rtf1\\ansi {\\fs20 First line\\par}{\\fs1400 X\\par}{\\fs20 Last line\\par}}";
    auto Pages = Pieces(Run());
    ASSERT_EQ(Pages.size(), 3u);
    ExpectEveryCharacterOnce(Pages, {Text});
    ASSERT_EQ(Pages[1].size(), 1u);
    EXPECT_EQ(DrawnText(Pages[1][0]), "X\r") << "the tall line alone";
    EXPECT_GT(Pages[1][0].Bottom, 1056) << "laid out at its own height, beyond the page";
    EXPECT_EQ(DrawnText(Pages[2][0]), "Last line\r");

    // The tall line first, at the top of the first page; and a document that ends with it.
    Text = "{\\rtf1\\ansi {\\fs1400 X\\par}{\\fs20 Last line\\par}}";
    Pages = Pieces(Run());
    ASSERT_EQ(Pages.size(), 2u);
    ExpectEveryCharacterOnce(Pages, {Text});
    EXPECT_EQ(DrawnText(Pages[0][0]), "X\r");

    Text = "{\\rtf1\\ansi {\\fs20 First line\\par}{\\fs1400 X}}";
    Pages = Pieces(Run());
    ASSERT_EQ(Pages.size(), 3u) << "the report's foot has no room left beside it";
    ExpectEveryCharacterOnce(Pages, {Text});
    EXPECT_TRUE(Pages[2].empty());
}

TEST_F(RtfLabelPage, EachRecordPrintsTheDocumentOfItsMemoField)
{
    const std::string First = Document(60, "{\\b First record}\\par "), Second = Document(3, "{\\i Second record}\\par ");
    auto Csv = [](int N, const std::string& Rtf) { return std::to_string(N) + ",\"" + Rtf + "\""; };
    const std::string Row1 = Csv(1, First), Row2 = Csv(2, Second);
    TDataSource* Source = Data({"N:Integer", "Doc:Memo"}, {Row1.c_str(), Row2.c_str()});
    Page->SetDataSource(Source);
    Label->SetVariable(Field(Source, "Doc", Page->Detail()->UpdateLevel()));
    Stretching();
    const auto Pages = Pieces(Run());
    ASSERT_GE(Pages.size(), 2u);
    ExpectEveryCharacterOnce(Pages, {First, Second});
}

// A value set from text is UTF-16 inside the variable; the control reads RTF only as bytes.
TEST_F(RtfLabelPage, AValueSetFromTextPrintsAsRtfWithItsCharactersBeyondAscii)
{
    const std::string Rtf = "{\\rtf1\\ansi {\\b Caf\xC3\xA9} na\xC3\xAFve \xE2\x82\xAC 5\\par}";
    FromText = true;
    Text = Rtf;
    for (const TKivDataTypes Kind : {dtypeMemo, dtypeBlob, dtypeString}) {
        Doc->SetDataType(Kind);
        const auto Pages = Pieces(Run());
        ASSERT_EQ(Pages.size(), 1u) << int(Kind);
        ASSERT_EQ(Pages[0].size(), 1u) << int(Kind);
        EXPECT_EQ(Pages[0][0].Data.rfind("{\\rtf1", 0), 0u) << Pages[0][0].Data;
        EXPECT_EQ(PlainText(Pages[0][0].Data), "Caf\xC3\xA9 na\xC3\xAFve \xE2\x82\xAC 5\r") << int(Kind);
    }
}

TEST(RtfLabel, ABlobIsTakenAsItIsAndPlainTextStaysPlain)
{
    TKivExprVar V(nullptr);
    V.Initialize();
    TMemoryStream Out;
    auto Bytes = [&] { return std::string(static_cast<const char*>(Out.Memory()), std::size_t(Out.Size())); };

    V.SetDataType(dtypeBlob);
    V.Initialize();
    const std::string Raw = "{\\rtf1\\ansi Caf\\'e9 \xE9\x00\x01}";
    TMemoryStream In;
    In.WriteBuffer(Raw.data(), Int64(Raw.size()));
    V.SetAsStream(&In);
    KivRichDocument(&V, Out);
    EXPECT_EQ(Bytes(), Raw);

    V.SetDataType(dtypeMemo);
    V.Initialize();
    V.SetAsString("Plain text, caf\xC3\xA9");
    KivRichDocument(&V, Out);
    EXPECT_EQ(Bytes(), "Plain text, caf\xC3\xA9");

    V.SetActive(false);
    KivRichDocument(&V, Out);
    EXPECT_EQ(Out.Size(), 0);
}

TEST(RtfLabel, ANewLabelAndOneWithoutAVariable)
{
    TKivRichTextLabel L(nullptr);
    EXPECT_EQ(L.BottomMargin(), 20);
    EXPECT_FALSE(L.SetDefaultFont());
    L.SetVariable(nullptr);
    EXPECT_EQ(L.GetDataNow(), "Fill in variable.");
    EXPECT_EQ(L.Caption(), "Fill in variable.");
    EXPECT_EQ(L.SpendHeight(nullptr, 100), 0);
    EXPECT_EQ(L.PrintHeight(nullptr, 100, 0), 0);
    EXPECT_TRUE(L.EndPrint());
    L.SetEndPrint(false);
    L.PrintRtf(nullptr, nullptr, 0);
    EXPECT_TRUE(L.EndPrint()) << "nothing for RTF output";
}

TEST(RtfLabel, AFormDropsTheOldAutoSizeAndAFreedVariableIsLetGo)
{
    std::unique_ptr<TComponent> Read(ReadComponentFromText("object Rich: TKivRichTextLabel\n"
                                                           "  AutoSize = True\n"
                                                           "  Stretch = True\n"
                                                           "  BottomMargin = 6\n"
                                                           "  SetDefaultFont = True\n"
                                                           "end\n"));
    auto* L = dynamic_cast<TKivRichTextLabel*>(Read.get());
    ASSERT_NE(L, nullptr);
    EXPECT_TRUE(L->Stretch());
    EXPECT_EQ(L->BottomMargin(), 6);
    EXPECT_TRUE(L->SetDefaultFont());
    const String Written = WriteComponentToText(L);
    EXPECT_EQ(Written.find("AutoSize"), String::npos) << Written;
    EXPECT_NE(Written.find("BottomMargin = 6"), String::npos) << Written;

    TComponent Owner(nullptr);
    auto* V = new TKivExprVar(&Owner);
    V->SetName("Notes");
    L->SetVariable(V);
    EXPECT_EQ(L->Caption(), "Notes");
    Free(V);
    EXPECT_EQ(L->Variable(), nullptr);
    EXPECT_EQ(L->Caption(), "Fill in variable.");
}

// ---- The qor tool runs a form -------------------------------------------------------------------

class RtfLabelRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() / ("qor-rtflabel-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    TToolRun Run(const std::string& Args) { return RunQorTool(Args, Dir, "QT_QPA_PLATFORM=offscreen"); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    static int Count(const std::string& Text, const std::string& What)
    {
        int N = 0;
        for (auto At = Text.find(What); At != std::string::npos; At = Text.find(What, At + 1))
            ++N;
        return N;
    }

    const std::string Form = std::string(QOR_TEST_DATA_DIR) + "/engine/rtflabel/richtext.qfm";
    std::filesystem::path Dir;
};

// Two records of a memo column: a document of 55 paragraphs in bold, italics and colours that
// takes more than a page, and a short one. The PDF shows every paragraph once.
TEST_F(RtfLabelRun, AFormPrintsItsMemoDocumentsOverPagesEveryParagraphOnce)
{
    TToolRun R = Run("run '" + Form + "' --to '" + Path("rich.qor") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    R = Run("dump '" + Path("rich.qor") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    ExpectGoldenFile(std::string(QOR_TEST_DATA_DIR) + "/engine/rtflabel/richtext.dump", R.Out);
    const auto Pages = Pieces(R.Out);
    ASSERT_GE(Pages.size(), 2u);
    const std::string Drawn = DrawnText(Pages);
    for (const char* Once : {"First document", "Second document", "Paragraph 01.", "Paragraph 56."})
        EXPECT_EQ(Count(Drawn, Once), 1) << Once;

    R = Run("run '" + Form + "' --to '" + Path("rich.pdf") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Pdf = RunCommand("pdftotext -layout '" + Path("rich.pdf") + "' -");
    ExpectSoundPdf(Path("rich.pdf"));
    EXPECT_GE(Count(Pdf, "\f"), 2) << "two pages or more";
    for (int I = 1; I <= 56; ++I) {
        const std::string Mark = (I < 10 ? "Paragraph 0" : "Paragraph ") + std::to_string(I) + ".";
        EXPECT_EQ(Count(Pdf, Mark), 1) << Mark << "\n" << Pdf;
    }
    EXPECT_EQ(Count(Pdf, "First document"), 1);
    EXPECT_EQ(Count(Pdf, "Second document"), 1);
    EXPECT_EQ(Count(Pdf, "The end"), 1);

    // RTF output of the report leaves the rich text out.
    R = Run("run '" + Form + "' --to '" + Path("rich.rtf") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Rtf = RunCommand("unrtf --text '" + Path("rich.rtf") + "'");
    EXPECT_EQ(Count(Rtf, "The end"), 1) << Rtf;
    EXPECT_EQ(Count(Rtf, "Paragraph"), 0) << Rtf;
}

} // namespace
