// Printing a page file on a described printer: ranges, copies with and without collation, duplex
// jobs, each page's own settings, stop and abort, read back from the printer's PDFs and job logs.

#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "printing/CupsTestSupport.h"

#include "platform/graphics/Font.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorSetup.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>

namespace qor {
namespace {

using test::ReadJobLog;
using test::TJobLog;

// N pages reading "Page i", recorded at 96 pixels per inch; PageSetup may give page i its own
// settings before it begins.
void RecordPages(TQorQorFile& F, int Count, const std::function<void(int, TQorPrinterSetup&)>& PageSetup = {},
                 bool Finish = true)
{
    F.SetDescription("Pages");
    TQorPrinterSetup Setup;
    Setup.SetPaperSize(9);
    if (PageSetup)
        PageSetup(1, Setup);
    F.SetQorPrinterSetup(&Setup);
    F.BeginDoc();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(12);
    for (int Page = 1; Page <= Count; ++Page) {
        if (Page > 1) {
            if (PageSetup)
                PageSetup(Page, Setup);
            F.SetQorPrinterSetup(&Setup);
            F.NewPage();
        }
        F.SetFont(&Font);
        F.Textout(96, 96, "Page " + std::to_string(Page));
    }
    if (Finish)
        F.EndDoc();
}

class PrintPageFileTest : public test::DescribedPrinterTest {
protected:
    void SetUp() override
    {
        DescribedPrinterTest::SetUp();
        Select("Works Laser");
    }
    void TearDown() override
    {
        DuplexNewJob = false;
        DescribedPrinterTest::TearDown();
    }
    // The PDFs the printer wrote, in the order of their jobs ("Pages.pdf", "Pages (2).pdf", ...);
    // each passes qpdf's check.
    std::vector<std::string> Jobs() const
    {
        std::vector<std::string> Out;
        for (int N = 1;; ++N) {
            const auto Pdf = Dir / (N == 1 ? "Pages.pdf" : "Pages (" + std::to_string(N) + ").pdf");
            if (!std::filesystem::exists(Pdf))
                return Out;
            Out.push_back(Pdf.string());
            test::ExpectSoundPdf(Out.back());
        }
    }
    // The page numbers printed in a job, in order.
    static std::string PrintedPages(const std::string& Pdf)
    {
        const std::string Text = test::RunCommand("pdftotext '" + Pdf + "' -");
        std::string Out;
        std::regex Re(R"(Page (\d+))");
        for (auto It = std::sregex_iterator(Text.begin(), Text.end(), Re); It != std::sregex_iterator(); ++It)
            Out += (Out.empty() ? "" : " ") + (*It)[1].str();
        return Out;
    }
    static TJobLog Log(const std::string& Pdf) { return ReadJobLog(Pdf.substr(0, Pdf.size() - 4) + ".json"); }
    std::string AllPrinted() const
    {
        std::string Out;
        for (const std::string& Job : Jobs())
            Out += "[" + PrintedPages(Job) + "]";
        return Out;
    }
};

TEST_F(PrintPageFileTest, CopiesUncollatedRepeatEachPageCollatedRepeatTheRange)
{
    for (bool Collate : {false, true}) {
        SCOPED_TRACE(Collate ? "collated" : "uncollated");
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        TQorQorFile F;
        RecordPages(F, 3, [&](int, TQorPrinterSetup& S) {
            S.SetCopies(2);
            S.SetCollatedCopies(Collate);
        });
        TQorPrinter P;
        P.LoadPages(&F, 1, 3);
        EXPECT_EQ(P.ExceptionText(), "");
        EXPECT_EQ(AllPrinted(), Collate ? "[1 2 3 1 2 3]" : "[1 1 2 2 3 3]");
        ASSERT_EQ(Jobs().size(), 1u);
        const TJobLog L = Log(Jobs()[0]);
        EXPECT_EQ(L.Top.at("copies"), "1") << "the printer is asked for one copy";
        EXPECT_EQ(L.Top.at("pageCount"), "6");
    }
}

TEST_F(PrintPageFileTest, CollatedCopiesOfATwoSidedDocumentAreJobsOfTheirOwn)
{
    TQorQorFile F;
    RecordPages(F, 3, [](int, TQorPrinterSetup& S) {
        S.SetCopies(2);
        S.SetCollatedCopies(true);
        S.SetDuplex(2);
    });
    TQorPrinter P;
    P.LoadPages(&F, 1, 3);
    EXPECT_EQ(AllPrinted(), "[1 2 3][1 2 3]");
    for (const std::string& Job : Jobs())
        for (const auto& Page : Log(Job).Pages)
            EXPECT_EQ(Page.at("duplex"), "2");
}

TEST_F(PrintPageFileTest, RangesAreHeldToTheFile)
{
    TQorQorFile Done;
    RecordPages(Done, 5);
    std::vector<Integer> Status;
    TQorPrinter P;
    P.OnStatus = [&](TObject*) { Status.push_back(P.PageNumber()); };
    P.LoadPages(&Done, 0, 99);
    EXPECT_EQ(AllPrinted(), "[1 2 3 4 5]");
    EXPECT_EQ(Status, (std::vector<Integer>{1, 1, 2, 3, 4, 5, 5}));

    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    TQorQorFile Running;
    RecordPages(Running, 5, {}, false);
    P.LoadPages(&Running, 1, 5);
    EXPECT_EQ(AllPrinted(), "[1 2 3 4]") << "the page still being recorded is left out";
    Running.AbortDoc();

    Status.clear();
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    P.LoadPages(&Done, 4, 2);
    EXPECT_TRUE(Status.empty());
    EXPECT_TRUE(Jobs().empty());
}

TEST_F(PrintPageFileTest, StopEndsTheDocumentAbortDiscardsIt)
{
    TQorQorFile F;
    RecordPages(F, 5);
    TQorPrinter P;
    // Set while page 2 prints: the status of page 3 is the first to see it.
    P.OnStatus = [&](TObject*) {
        if (P.PageNumber() == 3)
            P.SetStopPrinting(true);
    };
    P.LoadPages(&F, 1, 5);
    EXPECT_EQ(AllPrinted(), "[1 2]");

    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    P.OnStatus = [&](TObject*) {
        if (P.PageNumber() == 3)
            P.SetAbortPrinting(true);
    };
    P.LoadPages(&F, 1, 5);
    EXPECT_TRUE(Jobs().empty());
    EXPECT_TRUE(std::filesystem::is_empty(Dir)) << "an aborted job leaves nothing behind";
    EXPECT_FALSE(Printer()->Printing());
}

TEST_F(PrintPageFileTest, ADuplexChangeStartsANewJobWhenAsked)
{
    TQorQorFile F;
    RecordPages(F, 5, [](int Page, TQorPrinterSetup& S) { S.SetDuplex(Page >= 3 ? 2 : 1); });
    TQorPrinter P;
    P.LoadPages(&F, 1, 5);
    EXPECT_EQ(AllPrinted(), "[1 2 3 4 5]");
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    DuplexNewJob = true;
    P.LoadPages(&F, 1, 5);
    EXPECT_EQ(AllPrinted(), "[1 2][3 4 5]");
    ASSERT_EQ(Jobs().size(), 2u);
    EXPECT_EQ(Log(Jobs()[1]).Pages.at(0).at("duplex"), "2");
}

TEST_F(PrintPageFileTest, EachPagePrintsWithItsOwnPaperOrientationAndBin)
{
    TQorQorFile F;
    RecordPages(F, 3, [](int Page, TQorPrinterSetup& S) {
        S.SetPaperSize(Page == 2 ? 1 : 9);
        S.SetOrientation(Page == 3 ? 2 : 1);
        S.SetSource(Page == 3 ? 257 : 7);
    });
    TQorPrinter P;
    P.LoadPages(&F, 1, 3);
    ASSERT_EQ(Jobs().size(), 1u);
    const TJobLog L = Log(Jobs()[0]);
    ASSERT_EQ(L.Pages.size(), 3u);
    EXPECT_EQ(L.Pages[0].at("paper"), "9");
    EXPECT_EQ(L.Pages[1].at("paper"), "1");
    EXPECT_EQ(L.Pages[2].at("paper"), "9");
    EXPECT_EQ(L.Pages[2].at("orientation"), "2");
    EXPECT_EQ(L.Pages[2].at("width"), "2970");
    EXPECT_EQ(L.Pages[2].at("source"), "257");
    EXPECT_EQ(L.Pages[0].at("source"), "7");

    // Ignoring the stored settings, every page takes the printer's as they are.
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    P.SetIgnorePrinterSettings(true);
    P.LoadPages(&F, 1, 3);
    ASSERT_EQ(Jobs().size(), 1u);
    const TJobLog Ignored = Log(Jobs()[0]);
    for (const auto& Page : Ignored.Pages) {
        EXPECT_EQ(Page.at("paper"), Ignored.Pages[0].at("paper"));
        EXPECT_EQ(Page.at("orientation"), Ignored.Pages[0].at("orientation"));
    }
}

TEST_F(PrintPageFileTest, APrinterErrorAtTheEndIsReportedNotThrown)
{
    TQorQorFile F;
    RecordPages(F, 2);
    // A folder where the job log should go: the job fails as it ends.
    std::filesystem::create_directories(Dir / "x.json");
    TQorPrinter P;
    P.SetPrintFileName((Dir / "x.pdf").string());
    EXPECT_NO_THROW(P.LoadPages(&F, 1, 2));
    EXPECT_NE(P.ExceptionText().find("Cannot write the job log"), std::string::npos) << P.ExceptionText();
    EXPECT_FALSE(Printer()->Printing());
    // The one-call routine says so.
    const std::string Saved = (Dir / "saved.qor").string();
    F.SaveToFile(Saved);
    std::filesystem::create_directories(Dir / "Pages.json"); // the log of the job named after the pages
    EXPECT_THROW(QorFilePrint(Saved), EPrinter);
}

TEST_F(PrintPageFileTest, AnErrorWhilePlayingLeavesNoJobOpen)
{
    QorAddRecordType(701, [](HDC, TQorQorFile&) { throw EInvalidOperation("handler failed"); });
    TQorQorFile F;
    RecordPages(F, 2, {}, false);
    TQorWriter W = F.Writer();
    W.WriteType(701);
    F.NewPage();
    F.EndDoc();
    TQorPrinter P;
    EXPECT_THROW(P.LoadPages(&F, 1, 3), EInvalidOperation);
    EXPECT_FALSE(Printer()->Printing()) << "the next print can begin";
    EXPECT_TRUE(Jobs().empty());
}

TEST_F(PrintPageFileTest, APageBegunOrEndedTwiceGivesNoBlankPage)
{
    TQorOutput Out;
    Out.SetPrintFileName((Dir / "twice.pdf").string());
    Out.SetDescription("Twice");
    Out.BeginDoc();
    Out.StartPage(); // the first page is open already
    Out.QorCanvas()->Textout(100, 100, "one");
    Out.EndPage();
    Out.EndPage();
    Out.StartPage();
    Out.QorCanvas()->Textout(100, 100, "two");
    Out.EndDoc();
    EXPECT_EQ(test::PdfPageCount((Dir / "twice.pdf").string()), 2);
    test::ExpectSoundPdf((Dir / "twice.pdf").string());
    EXPECT_EQ(ReadJobLog((Dir / "twice.json").string()).Top.at("pageCount"), "2");
}

TEST_F(PrintPageFileTest, QorFilePrintPrintsASavedFile)
{
    TQorQorFile F;
    RecordPages(F, 2);
    const std::string Saved = (Dir / "saved.qor").string();
    F.SaveToFile(Saved);
    QorFilePrint(Saved);
    EXPECT_EQ(AllPrinted(), "[1 2]");
    EXPECT_THROW(QorFilePrint((Dir / "missing.qor").string()), Exception);
}

// The integer value of a job attribute in the server's control file (IPP encoding: value tag, name
// length, name, value length 4, big-endian value); -1 when absent.
int JobInteger(const std::string& Control, const std::string& Name)
{
    const std::string Key = std::string(1, char(Name.size() >> 8)) + char(Name.size() & 0xFF) + Name;
    const size_t At = Control.find(Key);
    if (At == std::string::npos || At + Key.size() + 6 > Control.size())
        return -1;
    const size_t V = At + Key.size() + 2;
    return int((unsigned char)Control[V] << 24 | (unsigned char)Control[V + 1] << 16 |
               (unsigned char)Control[V + 2] << 8 | (unsigned char)Control[V + 3]);
}

TEST_F(PrintPageFileTest, ThroughCupsTheJobArrivesWithItsCopiesSidesAndPages)
{
    test::PrivateCupsServer Server;
    if (const std::string Why = Server.Start(Dir); !Why.empty())
        QOR_SKIP_WITHOUT_TOOL("No private CUPS server for this test: " + Why);
    setenv("CUPS_SERVER", Server.Address().c_str(), 1);
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
    Select("QorTest");
    TQorQorFile F;
    RecordPages(F, 3, [](int, TQorPrinterSetup& S) {
        S.SetCopies(2);
        S.SetCollatedCopies(false);
        S.SetDuplex(2);
    });
    TQorPrinter P;
    P.LoadPages(&F, 1, 3);
    EXPECT_EQ(P.ExceptionText(), "");
    std::string Control, Document;
    for (const auto& E : std::filesystem::directory_iterator(Server.Dir() / "spool")) {
        const std::string Name = E.path().filename().string();
        if (Name.rfind("c", 0) == 0)
            Control += test::ReadWholeFile(E.path().string());
        else if (Name.rfind("d", 0) == 0)
            Document = E.path().string();
    }
    // The copies are made by sending the pages again: the queue is asked for one.
    EXPECT_EQ(JobInteger(Control, "copies"), 1);
    EXPECT_NE(Control.find("two-sided-long-edge"), std::string::npos);
    ASSERT_FALSE(Document.empty());
    EXPECT_EQ(test::PdfPageCount(Document), 6);
    EXPECT_EQ(PrintedPages(Document), "1 1 2 2 3 3");
    setenv("CUPS_SERVER", "127.0.0.1:9", 1);
    RefreshPrinterDrivers();
}

} // namespace
} // namespace qor
