// qor dump: the text of a page file as users and tests compare it, and how it fails.

#include "output/OutputTestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

qor::test::TToolRun RunDump(const std::string& Args, const std::filesystem::path& Dir)
{
    return qor::test::RunQorTool("dump " + Args, Dir);
}

class DumpToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() / ("qor-dump-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    static std::string Golden() { return "'" + qor::test::OutputDataFile("mixed-document.qor") + "'"; }
    qor::test::TToolRun Run(const std::string& Args) const { return qor::test::RunQorTool(Args, Dir); }
    std::filesystem::path Dir;
};

TEST_F(DumpToolTest, PrintsTheWholeFileOrARangeOfPages)
{
    const auto All = RunDump(Golden(), Dir);
    EXPECT_EQ(All.Exit, 0) << All.Err;
    EXPECT_EQ(All.Err, "");
    EXPECT_EQ(All.Out, qor::test::ReadWholeFile(qor::test::OutputDataFile("mixed-document.dump")));

    const auto Second = RunDump(Golden() + " --pages 2-2", Dir);
    EXPECT_EQ(Second.Exit, 0) << Second.Err;
    EXPECT_EQ(Second.Out.substr(0, All.Out.find("\npage 1\n") + 1), All.Out.substr(0, All.Out.find("\npage 1\n") + 1))
        << "the blocks before the records are always listed";
    EXPECT_EQ(Second.Out.find("\npage 1\n"), std::string::npos);
    EXPECT_NE(Second.Out.find("\npage 2\n  PrinterSetup"), std::string::npos);
    EXPECT_NE(Second.Out.find("TextOut 10 20 \"Second page\""), std::string::npos);
    EXPECT_EQ(Second.Out.find("First page"), std::string::npos);
    EXPECT_EQ(RunDump("--pages 1-9 " + Golden(), Dir).Out, All.Out) << "a range past the end stops at the end";
}

TEST_F(DumpToolTest, BadUsageIsOneLineAndExitTwo)
{
    for (const std::string& Args : {std::string(""), Golden() + " --pages 3-1", Golden() + " --pages",
                                   Golden() + " --pages x", Golden() + " --all", Golden() + " other.qor"}) {
        const auto R = RunDump(Args, Dir);
        EXPECT_EQ(R.Exit, 2) << Args;
        EXPECT_EQ(R.Out, "") << Args;
        EXPECT_EQ(std::count(R.Err.begin(), R.Err.end(), '\n'), 1) << Args << ": " << R.Err;
        EXPECT_EQ(R.Err.rfind("qor: dump: ", 0), 0u) << R.Err;
    }
}

TEST_F(DumpToolTest, ABadOrMissingFileIsOneLineAndExitOne)
{
    const std::string Text = (Dir / "notes.qor").string();
    qor::test::WriteWholeFile(Text, std::string(400, 'x'));
    const auto Bad = RunDump("'" + Text + "'", Dir);
    EXPECT_EQ(Bad.Exit, 1);
    EXPECT_EQ(Bad.Out, "");
    EXPECT_EQ(Bad.Err, "qor: dump: " + Text + ": ERROR: not an QOR file\n");

    const std::string Cut = (Dir / "cut.qor").string();
    const std::string Whole = qor::test::ReadWholeFile(qor::test::OutputDataFile("mixed-document.qor"));
    qor::test::WriteWholeFile(Cut, Whole.substr(0, 300));
    const auto Short = RunDump("'" + Cut + "'", Dir);
    EXPECT_EQ(Short.Exit, 1);
    EXPECT_EQ(std::count(Short.Err.begin(), Short.Err.end(), '\n'), 1) << Short.Err;
    EXPECT_NE(Short.Err.find("damaged"), std::string::npos) << Short.Err;

    const auto Missing = RunDump("'" + (Dir / "none.qor").string() + "'", Dir);
    EXPECT_EQ(Missing.Exit, 1);
    EXPECT_NE(Missing.Err.find("Cannot open file"), std::string::npos) << Missing.Err;
}

// Every verb answers --help (and qor help VERB) with its own usage on stdout and exit 0; options
// take their value after '='.
TEST_F(DumpToolTest, EveryVerbAnswersHelpAndTakesOptionEqualsValue)
{
    for (const std::string Verb : {"run", "dump", "view", "render", "print", "printers", "design"}) {
        SCOPED_TRACE(Verb);
        for (const std::string& Args : {Verb + " --help", Verb + " -h", "help " + Verb, Verb + " x.qor --help"}) {
            const qor::test::TToolRun R = Run(Args);
            EXPECT_EQ(R.Exit, 0) << Args << ": " << R.Err;
            EXPECT_EQ(R.Out.rfind("usage: qor " + Verb, 0), 0) << Args << ": " << R.Out;
            EXPECT_EQ(R.Err, "");
        }
    }
    for (const std::string Args : {"help", "--help"}) {
        const qor::test::TToolRun R = Run(Args);
        EXPECT_EQ(R.Exit, 0);
        EXPECT_NE(R.Out.find("  qor render FILE.qor --png DIR"), std::string::npos) << R.Out;
    }
    EXPECT_EQ(Run("help nothing").Exit, 2);
    EXPECT_EQ(Run("frobnicate").Exit, 2);
    EXPECT_EQ(Run("dump --pages=2 " + Golden()).Out, Run("dump --pages 2 " + Golden()).Out);
    const qor::test::TToolRun Bad = Run("dump --pages=x " + Golden());
    EXPECT_EQ(Bad.Exit, 2);
    EXPECT_NE(Bad.Err.find("qor dump --help"), std::string::npos) << Bad.Err;
}

} // namespace
