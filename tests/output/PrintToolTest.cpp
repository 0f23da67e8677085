// qor print: a page file printed from the command line, with progress on stderr and the files the
// printer wrote named on stdout.

#include "output/OutputTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    TToolRun Print(const std::string& Args)
    {
        return RunQorTool("print " + Args, Dir,
                          "QT_QPA_PLATFORM=offscreen CUPS_SERVER=127.0.0.1:9 QOR_PDF_DIR='" + (Dir / "out").string() +
                              "' QOR_PRINTERS='" + qor::test::OutputDataFile("printers.json") + "'");
    }
    static std::string Golden() { return "'" + qor::test::OutputDataFile("mixed-document.qor") + "'"; }
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
