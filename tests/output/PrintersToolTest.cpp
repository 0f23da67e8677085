// qor printers: what a user sees of the printers' capabilities, and how it fails.

#include "output/OutputTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct TRun {
    int Exit = -1;
    std::string Out, Err;
};

// Runs the qor tool with Args under the given environment settings ("NAME=value ...").
TRun RunQor(const std::string& Env, const std::string& Args, const std::filesystem::path& Dir)
{
    const std::string OutFile = (Dir / "stdout.txt").string(), ErrFile = (Dir / "stderr.txt").string();
    const std::string Command = "env QT_QPA_PLATFORM=offscreen CUPS_SERVER=127.0.0.1:9 QOR_NO_PRINTERS= " + Env +
                                " '" + std::string(QOR_BINARY_DIR) + "/tools/qor' " + Args + " >'" + OutFile +
                                "' 2>'" + ErrFile + "'";
    TRun R;
    const int Status = std::system(Command.c_str());
    R.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    R.Out = qor::test::ReadWholeFile(OutFile);
    R.Err = qor::test::ReadWholeFile(ErrFile);
    return R;
}

class PrintersToolTest : public qor::test::DescribedPrinterTest {
protected:
    std::string Described() { return "QOR_PRINTERS='" + qor::test::OutputDataFile("printers.json") + "'"; }
};

TEST_F(PrintersToolTest, ListsEveryPrinterWithItsCapabilities)
{
    const TRun R = RunQor(Described(), "printers", Dir);
    EXPECT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
    EXPECT_NE(R.Out.find("PDF  (default)\n"), std::string::npos);
    const size_t Works = R.Out.find("\nWorks Laser\n");
    ASSERT_NE(Works, std::string::npos) << R.Out;
    const std::string Laser = R.Out.substr(Works, R.Out.find("\nPlain Printer\n") - Works);
    EXPECT_NE(Laser.find("  copies: up to 50\n  duplex: yes\n"), std::string::npos) << Laser;
    EXPECT_NE(Laser.find("  resolutions: 600 x 600, 300 x 300, 1200 x 1200 dpi\n"), std::string::npos) << Laser;
    EXPECT_NE(Laser.find("      300  Label 100 x 150 mm               100.0 x 150.0 mm\n"), std::string::npos)
        << Laser;
    EXPECT_NE(Laser.find("      258  High Capacity Feeder #24\n"), std::string::npos) << Laser;
    const std::string Plain = R.Out.substr(R.Out.find("\nPlain Printer\n"));
    EXPECT_NE(Plain.find("  duplex: no\n"), std::string::npos);
    EXPECT_NE(Plain.find("  bins: none\n"), std::string::npos);
    EXPECT_NE(Plain.find("      270  iso a4 sheet                     210.0 x 297.0 mm\n"), std::string::npos);
}

TEST_F(PrintersToolTest, NoPrintersIsAnAnswerNotAFailure)
{
    const TRun R = RunQor("QOR_NO_PRINTERS=1", "printers", Dir);
    EXPECT_EQ(R.Exit, 0);
    EXPECT_EQ(R.Out, "No printers are installed.\n");
}

TEST_F(PrintersToolTest, ABadDescriptionFailsWithOneLine)
{
    const std::string Bad = (Dir / "bad.json").string();
    qor::test::WriteWholeFile(Bad, R"({"printers": [{"name": "X", "papers": [{"code": 48}], "bins": [],
        "resolutions": [300], "copies": 1}]})");
    const TRun R = RunQor("QOR_PRINTERS='" + Bad + "'", "printers", Dir);
    EXPECT_EQ(R.Exit, 1);
    EXPECT_EQ(R.Out, "");
    EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << R.Err;
    EXPECT_EQ(R.Err.rfind("qor: printers: Printer description " + Bad, 0), 0u) << R.Err;
    EXPECT_NE(R.Err.find("unknown paper code 48"), std::string::npos) << R.Err;
}

TEST_F(PrintersToolTest, BadUsageAndHelp)
{
    const TRun R = RunQor(Described(), "printers --all", Dir);
    EXPECT_EQ(R.Exit, 2);
    EXPECT_EQ(R.Out, "");
    EXPECT_NE(R.Err.find("qor: printers: it takes no arguments"), std::string::npos) << R.Err;
    const TRun Help = RunQor("", "--help", Dir);
    EXPECT_EQ(Help.Exit, 0);
    EXPECT_NE(Help.Out.find("qor printers"), std::string::npos);
    EXPECT_NE(Help.Out.find("papers, bins, resolutions, copies and duplex"), std::string::npos);
}

} // namespace

TEST_F(PrintersToolTest, PrintsNoLineOfQtsOwn)
{
    // With XDG_RUNTIME_DIR empty Qt warns as it starts; qor keeps that off the terminal.
    for (const char* Args : {"printers", "--version", "--help"}) {
        const TRun R = RunQor("XDG_RUNTIME_DIR= " + Described(), Args, Dir);
        EXPECT_EQ(R.Exit, 0) << Args;
        EXPECT_EQ(R.Err, "") << Args;
    }
}
