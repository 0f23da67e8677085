// The report-to-RTF writer: whole documents against golden files under tests/data/engine, each
// read back by the platform's RTF reader and by unrtf with the same text; the font table; the
// escaping of text; and files that cannot be written.

#include "common/Golden.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/StrUtils.h"
#include "platform/ui/RichDocument.h"
#include "platform/ui/RtfReader.h"
#include "printing/PrintTestSupport.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorSetup.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace qor;
using qor::test::ExpectGoldenFile;

namespace {

namespace fs = std::filesystem;

std::string EngineDataFile(const std::string& Name) { return std::string(QOR_TEST_DATA_DIR) + "/engine/" + Name; }

int OpenFileCount()
{
    int N = 0;
    for ([[maybe_unused]] const auto& E : fs::directory_iterator("/proc/self/fd"))
        ++N;
    return N;
}

// Without printers, so the paper the page setup copies does not depend on the machine.
class RtfWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = fs::temp_directory_path() / ("qor-rtf-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        setenv("QOR_NO_PRINTERS", "1", 1);
        RefreshPrinterDrivers();
        delete ::qor::SetPrinter(nullptr);
    }
    void TearDown() override
    {
        unsetenv("QOR_NO_PRINTERS");
        RefreshPrinterDrivers();
        delete ::qor::SetPrinter(nullptr);
        std::error_code Ec;
        fs::remove_all(Dir, Ec);
    }
    std::string File(const std::string& Name) const { return (Dir / Name).string(); }
    // Every name in the folder, for leftovers.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> N;
        for (const auto& E : fs::directory_iterator(Dir))
            N.push_back(E.path().filename().string());
        return N;
    }
    fs::path Dir;
};

// A letter page with margins of 0.5, 0.75, 1 and 0.25 inches.
void LetterPage(TKivPageSetup& S)
{
    S.SetOrientation(poPortrait);
    S.SetSize(psLetter);
    S.SetLeftMargin(0.5);
    S.SetRightMargin(0.75);
    S.SetTopMargin(1.0);
    S.SetBottomMargin(0.25);
    S.QorPrinterSetup()->SetPaperSize(1);
}

std::unique_ptr<TFont> MakeFont(const String& Name, Integer Size, TFontStyles Style = {},
                                TFontCharset Charset = DEFAULT_CHARSET)
{
    auto F = std::make_unique<TFont>();
    F->SetName(Name);
    F->SetSize(Size);
    F->SetStyle(Style);
    F->SetPitch(fpVariable);
    F->SetCharset(Charset);
    return F;
}

// A small report as the band driver writes it: a boxed title, column heads with a bottom border,
// rows at tab stops, a row on a new page and a total.
void WriteReport(TKivRtfFile& R)
{
    const auto Title = MakeFont("Arial", 14, TFontStyles{fsBold});
    const auto Head = MakeFont("Arial", 10, TFontStyles{fsBold, fsUnderline});
    const auto Body = MakeFont("Arial", 10);
    const auto Greek = MakeFont("Arial", 10, {}, GREEK_CHARSET);
    const auto Mono = MakeFont("Courier New", 9, TFontStyles{fsItalic});

    R.SetBorderType(rbtBox);
    R.StartBorder();
    R.ParagraphDefault();
    R.DefineTab(4320, TKivTabAlignment::taCenter);
    R.Tab();
    R.SetFont(Title.get());
    R.Write("Sales {2024} \\ Q1");
    R.NewParagraph();
    R.EndBorder();

    R.SetBorderType(rbtBottom);
    R.StartBorder();
    R.ParagraphDefault();
    R.DefineTab(360, TKivTabAlignment::taLeft);
    R.DefineTab(8640, TKivTabAlignment::taRight);
    R.Tab();
    R.SetFont(Head.get());
    R.Write("Customer");
    R.Tab();
    R.Write("Amount");
    R.NewParagraph();
    R.EndBorder();

    const std::pair<const char*, const char*> Rows[] = {
        {"Café Müller", "1.250,00 €"}, {"Ωmega Ltd", "99,50 €"}, {"Łódź Sp. z o.o. 😀", "7,00 €"}};
    for (const auto& [Customer, Amount] : Rows) {
        R.ParagraphDefault();
        R.DefineTab(360, TKivTabAlignment::taLeft);
        R.DefineTab(8640, TKivTabAlignment::taRight);
        R.Tab();
        R.SetFont(Body.get());
        R.Write(Customer);
        R.Tab();
        R.Write(Amount);
        R.NewParagraph();
    }
    R.ParagraphDefault();
    R.Tab();
    R.SetFont(Greek.get());
    R.Write("Σύνολο Ωmega");
    R.NewParagraph();

    R.SetPageBreak(true);
    R.ParagraphDefault();
    R.SetPageBreak(false);
    R.Tab();
    R.SetFont(Mono.get());
    R.Write("Total");
    R.SetFont(Body.get());
    R.Tab();
    R.Write("1.356,50 €");
    R.NewParagraph();
}

// The text of the report as readers show it: one line per paragraph, fields split by tabs.
const std::vector<std::string> ReportLines = {
    "\tSales {2024} \\ Q1",  "",
    "\tCustomer\tAmount",    "\tCafé Müller\t1.250,00 €",
    "\tΩmega Ltd\t99,50 €",  "\tŁódź Sp. z o.o. 😀\t7,00 €",
    "\tΣύνολο Ωmega",
    "\f\tTotal\t1.356,50 €", // the page break reads as a form feed
};

// The paragraphs of an RTF file as the platform's reader reads them.
std::vector<std::string> ReadBack(const std::string& Path)
{
    const std::string Bytes = test::ReadWholeFile(Path);
    TRichDocument Doc;
    ReadRtf(std::span(reinterpret_cast<const Byte*>(Bytes.data()), Bytes.size()), Doc);
    std::vector<std::string> Lines;
    const WideString Text = Doc.Text();
    size_t At = 0;
    while (At <= Text.size()) {
        size_t End = Text.find(RichParagraphEnd, At);
        if (End == WideString::npos)
            End = Text.size();
        Lines.push_back(Utf16ToUtf8(Text.substr(At, End - At)));
        At = End + 1;
    }
    // The document's last end mark closes an empty paragraph.
    if (!Lines.empty() && Lines.back().empty())
        Lines.pop_back();
    return Lines;
}

// Tabs, page breaks and runs of blanks as one blank, none at either end: how the text of a
// paragraph compares between readers that show tabs differently.
std::string Words(const std::string& Line)
{
    std::string Out;
    for (char C : Line) {
        const bool Blank = C == ' ' || C == '\t' || C == '\f' || C == '\n';
        if (!Blank)
            Out += C;
        else if (!Out.empty() && Out.back() != ' ')
            Out += ' ';
    }
    if (!Out.empty() && Out.back() == ' ')
        Out.pop_back();
    return Out;
}

// The character an HTML entity of unrtf's output stands for (those the golden documents need).
std::string Entity(const std::string& Name)
{
    static const std::map<std::string, std::string> Named = {
        {"nbsp", " "},   {"amp", "&"},  {"lt", "<"},      {"gt", ">"},    {"quot", "\""},
        {"eacute", "é"}, {"uuml", "ü"}, {"oacute", "ó"},  {"euro", "€"},  {"Omega", "Ω"},
        {"Sigma", "Σ"},  {"nu", "ν"},   {"omicron", "ο"}, {"lambda", "λ"}};
    const auto It = Named.find(Name);
    return It == Named.end() ? "&" + Name + ";" : It->second;
}

// The paragraphs of unrtf's HTML for a file (each ends with <br>), tags dropped, entities
// decoded; numeric entities are UTF-16 units.
std::vector<std::string> UnrtfParagraphs(const std::string& Path)
{
    std::string Html = test::RunCommand("unrtf --html '" + Path + "' 2>/dev/null");
    const size_t Body = Html.find("<body>"), End = Html.find("</body>");
    if (Body == std::string::npos || End == std::string::npos)
        return {"(no body in unrtf's output)"};
    Html = Html.substr(Body + 6, End - Body - 6);
    std::vector<std::string> Paragraphs;
    std::string Text;
    WideString Units;
    const auto FlushUnits = [&] {
        Text += Utf16ToUtf8(Units);
        Units.clear();
    };
    for (size_t I = 0; I < Html.size();) {
        if (Html[I] == '<') {
            const size_t Close = Html.find('>', I);
            FlushUnits();
            if (Html.compare(I, Close - I + 1, "<br>") == 0) {
                Paragraphs.push_back(Words(Text));
                Text.clear();
            }
            I = Close + 1;
        } else if (Html[I] == '&') {
            const size_t Semi = Html.find(';', I);
            const std::string Name = Html.substr(I + 1, Semi - I - 1);
            if (Name[0] == '#') {
                Units.push_back(static_cast<char16_t>(std::stoi(Name.substr(1))));
            } else {
                FlushUnits();
                Text += Entity(Name);
            }
            I = Semi + 1;
        } else {
            FlushUnits();
            Text += Html[I++];
        }
    }
    FlushUnits();
    if (!Words(Text).empty())
        Paragraphs.push_back(Words(Text));
    return Paragraphs;
}


// Writes a document on the letter page: Body writes its paragraphs.
void WriteLetterDocument(const std::string& Path, const std::function<void(TKivRtfFile&)>& Body)
{
    TKivRtfFile R(Path);
    TKivPageSetup S;
    LetterPage(S);
    R.SetPageSetup(&S);
    Body(R);
    R.Finish();
}

// ---- golden documents --------------------------------------------------------------------------------

TEST_F(RtfWriterTest, AnEmptyReportIsAValidDocument)
{
    const std::string Path = File("empty.rtf");
    WriteLetterDocument(Path, [&](TKivRtfFile&) {
        EXPECT_FALSE(fs::exists(Path)); // nothing until the document is complete
    });
    ExpectGoldenFile(EngineDataFile("rtf-empty.rtf"), test::ReadWholeFile(Path));
    EXPECT_TRUE(ReadBack(Path).empty());
    EXPECT_EQ(Names(), std::vector<std::string>{"empty.rtf"}); // no temporary file left
}

TEST_F(RtfWriterTest, AReportMatchesItsGoldenFileAndReadsBackWithTheSameText)
{
    const std::string Path = File("report.rtf");
    WriteLetterDocument(Path, WriteReport);
    ExpectGoldenFile(EngineDataFile("rtf-report.rtf"), test::ReadWholeFile(Path));
    EXPECT_EQ(ReadBack(Path), ReportLines);
}

TEST_F(RtfWriterTest, CustomLandscapePaperInMillimetres)
{
    const std::string Path = File("custom.rtf");
    {
        TKivPageSetup S;
        S.SetUnits(unitMiliMeters);
        S.SetOrientation(poLandscape);
        S.SetSize(psCustom);
        S.SetWidth(200);
        S.SetHeight(100);
        S.SetTopMargin(0);
        S.SetLeftMargin(10);
        S.SetRightMargin(10);
        S.SetBottomMargin(0.1);
        S.QorPrinterSetup()->SetPaperSize(256);
        TKivRtfFile R(Path);
        R.SetPageSetup(&S);
        R.ParagraphDefault();
        R.Write("Label");
        R.NewParagraph();
    }
    const std::string Text = test::ReadWholeFile(Path);
    ExpectGoldenFile(EngineDataFile("rtf-custom.rtf"), Text);
    // Width before height; a zero margin keeps its number, so readers do not take their default.
    EXPECT_NE(Text.find("\\paperw11339\\paperh5669\\psz256\\margl567\\margr567\\margt0\\margb6\\landscape"),
              std::string::npos)
        << Text;
    EXPECT_EQ(ReadBack(Path), std::vector<std::string>{"Label"});

    // The printer's current paper: no size at all.
    const std::string Current = File("current.rtf");
    {
        TKivPageSetup S;
        TKivRtfFile R(Current);
        R.SetPageSetup(&S);
    }
    const std::string CurrentText = test::ReadWholeFile(Current);
    EXPECT_EQ(CurrentText.find("\\paper"), std::string::npos) << CurrentText;
    EXPECT_EQ(CurrentText.find("\\psz"), std::string::npos) << CurrentText;
    EXPECT_NE(CurrentText.find("}\\margl720\\margr720\\margt720\\margb720 \\pard"), std::string::npos) << CurrentText;
}

TEST_F(RtfWriterTest, EveryGoldenDocumentReadsTheSameInUnrtf)
{
    if (!test::HaveProgram("unrtf"))
        QOR_SKIP_WITHOUT_TOOL("unrtf is not installed");
    for (const char* Name : {"rtf-empty.rtf", "rtf-report.rtf", "rtf-custom.rtf"}) {
        const std::string Path = EngineDataFile(Name);
        std::vector<std::string> Expected;
        for (const std::string& Line : ReadBack(Path))
            Expected.push_back(Words(Line));
        EXPECT_EQ(UnrtfParagraphs(Path), Expected) << Name;
    }
}

// ---- fonts and text ----------------------------------------------------------------------------------

TEST_F(RtfWriterTest, FontsShareAnEntryByFaceAndPitchAndEachChangeIsAGroup)
{
    TKivRtfFile R(File("fonts.rtf"));
    const Int64 Start = R.Stream().Size();
    const auto A10 = MakeFont("Arial", 10);
    const auto A12 = MakeFont("Arial", 12);
    const auto Bold = MakeFont("Arial", 10, TFontStyles{fsBold, fsUnderline});
    const auto Times = MakeFont("Times New Roman", 10, TFontStyles{fsItalic});
    const auto GreekArial = MakeFont("Arial", 10, {}, GREEK_CHARSET);
    R.SetFont(A10.get());
    R.SetFont(A10.get()); // the same font: nothing
    R.SetFont(A12.get());
    R.SetFont(Bold.get());
    R.SetFont(Times.get());
    R.SetFont(GreekArial.get());
    const std::string Body(static_cast<const char*>(R.Stream().Memory()) + Start,
                           static_cast<const char*>(R.Stream().Memory()) + R.Stream().Size());
    EXPECT_EQ(Body, "{\\f2\\fs20 }{\\f2\\fs24 }{\\f2\\fs20\\b\\ul }{\\f3\\fs20\\i }{\\f4\\fs20 ");
    ASSERT_EQ(R.FontCount(), 4);
    EXPECT_EQ(R.Fonts(1)->Name(), "Arial");
    EXPECT_EQ(R.Fonts(3)->CharSet(), GREEK_CHARSET);
    EXPECT_EQ(R.Fonts(3)->CodePage(), 1253);
    EXPECT_EQ(R.BraceCount(), 1);
    TBytesStream Header;
    R.Fonts(3)->WriteHeader(Header);
    const std::vector<Byte> H = Header.Bytes();
    EXPECT_EQ(std::string(H.begin(), H.end()), "{\\f4\\fnil\\fcharset161\\fprq2 Arial;}");
    R.ParagraphDefault(); // closes the group and selects font 1 outside any group
    EXPECT_EQ(R.BraceCount(), 0);
    EXPECT_EQ(R.RtfFont(), R.Fonts(0));
}

TEST(RtfEscape, BracesBackslashesAndCharactersOutsideTheCodePage)
{
    EXPECT_EQ(KivRtfEscape("a\\b{c}d", 1252), "a\\\\b\\{c\\}d");
    EXPECT_EQ(KivRtfEscape("Café €", 1252), "Caf\\'e9 \\'80");
    EXPECT_EQ(KivRtfEscape("Ωmega", 1252), "\\u937\\'3fmega");
    EXPECT_EQ(KivRtfEscape("Ω", 1253), "\\'d9");
    EXPECT_EQ(KivRtfEscape("é", 1253), "\\u233\\'3f");
    // Above U+FFFF: both surrogates, as signed numbers.
    EXPECT_EQ(KivRtfEscape("😀", 1252), "\\u-10179\\'3f\\u-8704\\'3f");
    EXPECT_EQ(KivRtfEscape("\\par", 1252), "\\\\par"); // label text cannot inject control words
    EXPECT_EQ(KivRtfEscape("", 1252), "");
}

// ---- failures ----------------------------------------------------------------------------------------

TEST_F(RtfWriterTest, AFileThatCannotBeWrittenLeavesNothingBehindAndNoOpenFile)
{
    // The name is taken by a folder: everything is written, then the file cannot take its place.
    const std::string Path = File("taken.rtf");
    fs::create_directory(Path);
    const int Before = OpenFileCount();
    {
        TKivRtfFile R(Path);
        R.Write("text");
        EXPECT_THROW(R.Finish(), EFCreateError);
        EXPECT_TRUE(R.Finished());
        EXPECT_NO_THROW(R.Finish()); // once only
    }
    EXPECT_EQ(OpenFileCount(), Before);
    EXPECT_TRUE(fs::is_directory(Path));
    EXPECT_EQ(Names(), std::vector<std::string>{"taken.rtf"});
    // Left to the destructor, the failure is dropped in the same way.
    {
        TKivRtfFile R(Path);
        R.Write("text");
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"taken.rtf"});
    // A folder that takes no file at all is reported before the report runs.
    EXPECT_THROW(TKivRtfFile(File("missing/report.rtf")), EFCreateError);
}

// Writes a report larger than the file size limit allows; exits with 0 when finishing it failed
// and left no file open.
[[noreturn]] void WriteBeyondTheSizeLimit(const std::string& Path)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit Limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &Limit);
    const int Before = OpenFileCount();
    bool Failed = false;
    {
        TKivRtfFile R(Path);
        for (int I = 0; I < 2000; ++I) {
            R.Write("A line of the report that will not fit");
            R.NewParagraph();
        }
        try {
            R.Finish();
        } catch (const EStreamError&) {
            Failed = true;
        }
    }
    std::exit(Failed && OpenFileCount() == Before ? 0 : 1);
}

TEST_F(RtfWriterTest, AWriteThatFailsHalfWayKeepsTheOldFile)
{
    const std::string Path = File("old.rtf");
    test::WriteWholeFile(Path, "old contents");
    // In a child process: the file size limit makes the write fail part of the way through.
    EXPECT_EXIT(WriteBeyondTheSizeLimit(Path), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(test::ReadWholeFile(Path), "old contents");
    EXPECT_EQ(Names(), std::vector<std::string>{"old.rtf"});
}

} // namespace
