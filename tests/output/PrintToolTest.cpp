// qor print: a page file printed from the command line, with progress on stderr and the files the
// printer wrote named on stdout.

#include "common/NeedTool.h"
#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "platform/graphics/Font.h"
#include "printing/CupsTestSupport.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using qor::test::RunQorTool;
using qor::test::TToolRun;

class PrintToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() / ("qor-print-" + std::to_string(::getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir / "out");
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    TToolRun Print(const std::string& Args, const std::string& Cups = "127.0.0.1:9")
    {
        return RunQorTool("print " + Args, Dir,
                          "QT_QPA_PLATFORM=offscreen CUPS_SERVER=" + Cups + " QOR_PDF_DIR='" + (Dir / "out").string() +
                              "' QOR_PRINTERS='" + qor::test::OutputDataFile("printers.json") + "'");
    }
    static std::string Golden() { return "'" + qor::test::OutputDataFile("mixed-document.qor") + "'"; }
    // Two pages reading "Page 1" and "Page 2", stored to print twice, collated or not.
    std::string TwoPagesTwice(bool Collated)
    {
        qor::TQorQorFile F;
        qor::TQorPrinterSetup Setup;
        Setup.SetCopies(2);
        Setup.SetCollatedCopies(Collated);
        F.SetQorPrinterSetup(&Setup);
        F.SetDescription("Twice");
        F.BeginDoc();
        qor::TFont Font;
        Font.SetName("Liberation Sans");
        for (int Page = 1; Page <= 2; ++Page) {
            if (Page > 1)
                F.NewPage();
            F.SetFont(&Font);
            F.Textout(96, 96, "Page " + std::to_string(Page));
        }
        F.EndDoc();
        const std::string File = (Dir / "twice.qor").string();
        F.SaveToFile(File);
        return "'" + File + "'";
    }
    // The file a "Written: FILE" line of the output names; empty when there is none.
    static std::string WrittenFile(const std::string& Out)
    {
        const size_t At = Out.find("Written: ");
        return At == std::string::npos ? std::string() : Out.substr(At + 9, Out.find('\n', At) - At - 9);
    }
    // The page numbers in the order a PDF prints them.
    static std::string PageOrder(const std::string& Pdf)
    {
        const std::string Text = qor::test::RunCommand("pdftotext '" + Pdf + "' -");
        std::string Order;
        for (size_t At = Text.find("Page "); At != std::string::npos; At = Text.find("Page ", At + 1))
            Order += Text.substr(At + 5, 1);
        return Order;
    }
    std::filesystem::path Dir;
};

TEST_F(PrintToolTest, PrintsOnThePdfPrinterAndSaysWhere)
{
    const TToolRun R = Print(Golden() + " --printer PDF");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Pdf = (Dir / "out" / "Mixed.pdf").string();
    EXPECT_EQ(R.Out, "Printed pages 1-2 of " + qor::test::OutputDataFile("mixed-document.qor") + " on PDF\nWritten: " +
                         Pdf + "\n");
    EXPECT_EQ(R.Err, "qor: print: page 1 of 2\nqor: print: page 2 of 2\n");
    EXPECT_EQ(qor::test::PdfPageCount(Pdf), 2);
    qor::test::ExpectSoundPdf(Pdf);
}

TEST_F(PrintToolTest, CopiesCollationAndSidesComeFromTheCommandLine)
{
    const TToolRun R = Print(Golden() + " --printer 'Works Laser' --pages 2 --copies 3");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const auto Log = qor::test::ReadJobLog((Dir / "out" / "Mixed.json").string());
    EXPECT_EQ(Log.Top.at("pageCount"), "3") << "page 2, three times";
    EXPECT_EQ(Log.Top.at("copies"), "1");

    // Collated two-sided copies are a job each.
    const TToolRun Duplex = Print(Golden() + " --printer 'Works Laser' --copies 2 --collate --duplex");
    ASSERT_EQ(Duplex.Exit, 0) << Duplex.Err;
    EXPECT_EQ(std::count(Duplex.Out.begin(), Duplex.Out.end(), '\n'), 3) << Duplex.Out;
    for (const char* Name : {"Mixed (2).json", "Mixed (3).json"}) {
        const auto Job = qor::test::ReadJobLog((Dir / "out" / Name).string());
        ASSERT_EQ(Job.Pages.size(), 2u) << Name;
        EXPECT_EQ(Job.Pages[0].at("duplex"), "2");
    }
}

TEST_F(PrintToolTest, StoredCollationHoldsUnlessTheCommandLineTurnsItOnOrOff)
{
    const std::string Collated = TwoPagesTwice(true);
    const struct {
        std::string Args, Order;
    } Cases[] = {
        {"", "1212"},              // as stored
        {" --no-collate", "1122"}, // a collated file printed uncollated
        {" --copies=3", "121212"}, // more copies keep the stored collation
        {" --copies 3 --no-collate", "111222"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Args);
        const TToolRun R = Print(Collated + " --printer 'Works Laser' --quiet" + C.Args);
        ASSERT_EQ(R.Exit, 0) << R.Err;
        EXPECT_EQ(R.Err, "") << "--quiet";
        EXPECT_EQ(PageOrder(WrittenFile(R.Out)), C.Order) << R.Out;
    }
    const TToolRun Uncollated = Print(TwoPagesTwice(false) + " --printer='Works Laser' --collate");
    ASSERT_EQ(Uncollated.Exit, 0) << Uncollated.Err;
    EXPECT_EQ(PageOrder(WrittenFile(Uncollated.Out)), "1212") << Uncollated.Out;
    EXPECT_EQ(Print(Collated + " --collate --no-collate").Exit, 2);
    EXPECT_EQ(Print(Collated + " --printer 'Works Laser' --to x.pdf").Exit, 2) << "--to is the PDF printer's file";
}

TEST_F(PrintToolTest, ThePdfPrinterAndACupsQueueSayWhereThePagesWent)
{
    // Without --to the PDF printer writes into its folder, and says so.
    const TToolRun Pdf = Print(Golden() + " --printer=PDF");
    ASSERT_EQ(Pdf.Exit, 0) << Pdf.Err;
    const std::string File = WrittenFile(Pdf.Out);
    EXPECT_EQ(std::filesystem::path(File).parent_path(), Dir / "out");
    EXPECT_TRUE(std::filesystem::exists(File)) << File;
    // --to names the file (and means the PDF printer).
    const std::string Named = (Dir / "named.pdf").string();
    const TToolRun To = Print(Golden() + " --to=" + Named);
    ASSERT_EQ(To.Exit, 0) << To.Err;
    EXPECT_NE(To.Out.find(" on PDF\nWritten: " + Named + "\n"), std::string::npos) << To.Out;
    EXPECT_EQ(qor::test::PdfPageCount(Named), 2);
    qor::test::ExpectSoundPdf(Named);

    qor::test::PrivateCupsServer Server;
    if (const std::string Why = Server.Start(Dir / "cups"); !Why.empty())
        QOR_SKIP_WITHOUT_TOOL("No private CUPS server for this test: " + Why);
    const TToolRun Cups = Print(Golden() + " --printer QorTest", Server.Address());
    ASSERT_EQ(Cups.Exit, 0) << Cups.Err;
    EXPECT_EQ(Cups.Out.find("Written:"), std::string::npos) << "no temporary file is named: " << Cups.Out;
    int Job = 0;
    ASSERT_EQ(std::sscanf(Cups.Out.c_str() + Cups.Out.find("Sent to queue QorTest as job "),
                          "Sent to queue QorTest as job %d", &Job),
              1)
        << Cups.Out;
    char Control[16];
    std::snprintf(Control, sizeof Control, "c%05d", Job);
    EXPECT_TRUE(std::filesystem::exists(Server.Dir() / "spool" / Control)) << "the queue holds job " << Job;
}

TEST_F(PrintToolTest, BadUsageAndBadFilesAreOneLine)
{
    for (const std::string& Args : {std::string(""), Golden() + " --copies 0", Golden() + " --pages x",
                                    Golden() + " --printer", Golden() + " --sideways"}) {
        SCOPED_TRACE(Args);
        const TToolRun R = Print(Args);
        EXPECT_EQ(R.Exit, 2);
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
    }
    for (const std::string& Args : {Golden() + " --printer Nowhere", std::string("'") + (Dir / "none.qor").string() + "'",
                                    Golden() + " --pages 7"}) {
        SCOPED_TRACE(Args);
        const TToolRun R = Print(Args);
        EXPECT_EQ(R.Exit, 1);
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
        EXPECT_EQ(R.Out, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(Dir / "out"));
}

} // namespace
