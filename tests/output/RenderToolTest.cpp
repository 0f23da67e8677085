// qor render: page files played into PNG files, and how bad arguments and bad files fail.

#include "output/OutputTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

using qor::test::RunQorTool;
using qor::test::TToolRun;

// Width and height from a PNG's header.
std::pair<int, int> PngSize(const std::string& File)
{
    const std::string B = qor::test::ReadWholeFile(File);
    if (B.size() < 24 || B.compare(1, 3, "PNG") != 0)
        return {0, 0};
    auto Be32 = [&](size_t At) {
        return int((unsigned char)B[At] << 24 | (unsigned char)B[At + 1] << 16 | (unsigned char)B[At + 2] << 8 |
                   (unsigned char)B[At + 3]);
    };
    return {Be32(16), Be32(20)};
}

int Lines(const std::string& Text) { return int(std::count(Text.begin(), Text.end(), '\n')); }

class RenderToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() / ("qor-render-" + std::to_string(::getpid()));
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::string Out() const { return (Dir / "png").string(); }
    TToolRun Render(const std::string& Args) { return RunQorTool("render " + Args, Dir); }
    static std::string Golden() { return "'" + qor::test::OutputDataFile("mixed-document.qor") + "'"; }
    std::filesystem::path Dir;
};

TEST_F(RenderToolTest, PlaysEveryPageIntoAPictureOfThePageSize)
{
    const TToolRun R = Render(Golden() + " --png '" + Out() + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
    EXPECT_EQ(R.Out, Out() + "/page-1.png\n" + Out() + "/page-2.png\n");
    // The file's pages are letter-sized: 8.5 x 11 inches at 96 pixels per inch.
    EXPECT_EQ(PngSize(Out() + "/page-1.png"), std::make_pair(816, 1056));
    const std::string Page2 = qor::test::ReadWholeFile(Out() + "/page-2.png");

    // Twice the resolution at half the zoom is the same picture size; a range picks pages.
    const TToolRun Half = Render(Golden() + " --png '" + Out() + "/half' --dpi 192 --zoom 50 --pages 2-9");
    ASSERT_EQ(Half.Exit, 0) << Half.Err;
    EXPECT_EQ(Half.Out, Out() + "/half/page-2.png\n");
    EXPECT_EQ(PngSize(Out() + "/half/page-2.png"), std::make_pair(816, 1056));
    EXPECT_FALSE(std::filesystem::exists(Out() + "/half/page-1.png"));
    const TToolRun Big = Render(Golden() + " --png '" + Out() + "/big' --zoom 200 --pages 1");
    ASSERT_EQ(Big.Exit, 0) << Big.Err;
    EXPECT_EQ(PngSize(Out() + "/big/page-1.png"), std::make_pair(1632, 2112));
}

TEST_F(RenderToolTest, BadArgumentsGiveOneLineAndExitTwo)
{
    for (const std::string& Args :
         {std::string(""), Golden(), Golden() + " --png", Golden() + " --png x --dpi 0", Golden() + " --png x --dpi 5000",
          Golden() + " --png x --zoom abc", Golden() + " --png x --pages 3-2", Golden() + " --png x --frobnicate",
          Golden() + " " + Golden() + " --png x"}) {
        SCOPED_TRACE(Args);
        const TToolRun R = Render(Args);
        EXPECT_EQ(R.Exit, 2);
        EXPECT_EQ(Lines(R.Err), 1) << R.Err;
        EXPECT_EQ(R.Err.rfind("qor: render: ", 0), 0u) << R.Err;
        EXPECT_EQ(R.Out, "");
    }
}

TEST_F(RenderToolTest, BadFilesGiveOneLineExitOneAndNoPictures)
{
    const std::string Damaged = (Dir / "damaged.qor").string(), Cut = (Dir / "cut.qor").string();
    qor::test::WriteWholeFile(Damaged, std::string(300, 'x'));
    const std::string Whole = qor::test::ReadWholeFile(qor::test::OutputDataFile("mixed-document.qor"));
    qor::test::WriteWholeFile(Cut, Whole.substr(0, Whole.size() / 2));
    for (const std::string& File : {(Dir / "missing.qor").string(), Damaged, Cut}) {
        SCOPED_TRACE(File);
        const TToolRun R = Render("'" + File + "' --png '" + Out() + "'");
        EXPECT_EQ(R.Exit, 1);
        EXPECT_EQ(Lines(R.Err), 1) << R.Err;
        EXPECT_NE(R.Err.find(File), std::string::npos) << R.Err;
        EXPECT_FALSE(std::filesystem::exists(Out() + "/page-1.png"));
    }
    const TToolRun Beyond = Render(Golden() + " --png '" + Out() + "' --pages 5");
    EXPECT_EQ(Beyond.Exit, 1);
    EXPECT_NE(Beyond.Err.find("has 2 pages, there is no page 5"), std::string::npos) << Beyond.Err;
}

TEST_F(RenderToolTest, PrintsOnlyItsOwnLinesWithoutADisplayOrRuntimeFolder)
{
    // No display, no platform named, no runtime folder: Qt would warn, and must not be heard.
    const TToolRun R = RunQorTool("render " + Golden() + " --png '" + Out() + "' --pages 1", Dir,
                                  "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR");
    EXPECT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
    EXPECT_EQ(R.Out, Out() + "/page-1.png\n");
}

} // namespace
