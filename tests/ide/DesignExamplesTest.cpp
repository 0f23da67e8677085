// The examples in the designer: written back by `qor design --save-as` as they run, the sales title
// edited by mouse and inspector in process, and pictures of the designer's windows.

#include "common/PngColours.h"
#include "output/OutputTestSupport.h"
#include "printing/PrintTestSupport.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Picture.h"
#include "platform/ide/DesignWindows.h"
#include "runtime/engine/KivBand.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>

using namespace qor;
using namespace qor::test;

namespace {

const std::string Examples = std::string(QOR_SOURCE_DIR) + "/examples";

class DesignExamples : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "ide-out" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        RunCommand("sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT 60 AS n\" '" + Path("sales.db") + "' < '" +
                   Examples + "/sales/sales.sql'");
        RunCommand("sqlite3 '" + Path("shop.db") + "' < '" + Examples + "/masterdetail/shop.sql'");
        for (const char* f : {"sales/sales.qfm", "masterdetail/shop.qfm", "invoice/invoice.qfm"})
            std::filesystem::copy_file(Examples + "/" + f, Dir / std::filesystem::path(f).filename());
    }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    // with the PDF printer there, as on a user's machine (the invoice's page setup asks for it)
    TToolRun Qor(const std::string& Args) { return RunQorTool(Args, Dir, "QT_QPA_PLATFORM=offscreen"); }
    // The dump of the page file the form runs into.
    std::string RunAndDump(const std::string& Form)
    {
        const std::string out = Path(Form + ".qor");
        const TToolRun run = Qor("run '" + Path(Form) + "' --to '" + out + "'");
        EXPECT_EQ(run.Exit, 0) << run.Err;
        return Qor("dump '" + out + "'").Out;
    }

    std::filesystem::path Dir;
};

TEST_F(DesignExamples, EveryExampleIsWrittenBackAsItRuns)
{
    for (const std::string form : {"sales", "shop", "invoice"}) {
        SCOPED_TRACE(form);
        const TToolRun a = Qor("design '" + Path(form + ".qfm") + "' --save-as '" + Path(form + "-a.qfm") + "'");
        ASSERT_EQ(a.Exit, 0) << a.Err;
        EXPECT_EQ(a.Out, "Written: " + Path(form + "-a.qfm") + "\n");
        ASSERT_EQ(Qor("design '" + Path(form + "-a.qfm") + "' --save-as '" + Path(form + "-b.qfm") + "'").Exit, 0);
        EXPECT_EQ(ReadWholeFile(Path(form + "-a.qfm")), ReadWholeFile(Path(form + "-b.qfm")));
        EXPECT_EQ(RunAndDump(form + "-a.qfm"), RunAndDump(form + ".qfm"));
    }
}

TEST_F(DesignExamples, BadInputIsOneLineAndExitOne)
{
    std::ofstream(Path("broken.qfm")) << "object F: TForm\n  Caption = 'x\nend\n";
    std::ofstream(Path("unknown.qfm")) << "object F: TForm\n  object R: TNoSuchReport\n  end\nend\n";
    const struct {
        std::string Args;
        int Exit;
        std::string Err;
    } rows[] = {
        {"design '" + Path("missing.qfm") + "'", 1, "qor: design: " + Path("missing.qfm") + ": no such file\n"},
        {"design '" + Path("broken.qfm") + "' --save-as x.qfm", 1, "Line 2: "},
        {"design '" + Path("unknown.qfm") + "' --png pics", 1, "Line 2: Class TNoSuchReport not found\n"},
        {"design '" + Path("sales.qfm") + "'", 1, "qor: design: there is no display to show the designer on"},
        {"design '" + Path("sales.qfm") + "' --new", 1, "exists already"},
        {"design", 2, "which form file?"},
    };
    for (const auto& r : rows) {
        const TToolRun run = Qor(r.Args);
        EXPECT_EQ(run.Exit, r.Exit) << r.Args;
        EXPECT_NE(run.Err.find(r.Err), std::string::npos) << r.Args << ": " << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("x.qfm")));
    // a new form is written as a form of its own
    ASSERT_EQ(Qor("design '" + Path("new.qfm") + "' --new --save-as '" + Path("new.qfm") + "'").Exit, 0);
    EXPECT_EQ(ReadWholeFile(Path("new.qfm")).rfind("object Form1: TForm\n", 0), 0u);
}

// The title selected by a mouse-down, its caption set in the inspector, dragged 40 pixels right:
// the saved form runs into the same pages but for that one text.
TEST_F(DesignExamples, TheSalesTitleEditedByMouseAndInspectorRunsWithNothingElseChanged)
{
    const std::string original = RunAndDump("sales.qfm");
    {
        TDesignEnvironment env;
        env.Open(Path("sales.qfm"));
        TDesignHost& host = env.Host();
        auto* head = dynamic_cast<TKivBand*>(host.Root()->FindComponent("PageHead"));
        ASSERT_NE(head, nullptr);
        TComponent* title = host.Root()->FindComponent("Title");
        head->Perform(WM_LBUTTONDOWN, 0, MAKELPARAM(10, 10));
        ASSERT_EQ(host.Selection(), std::vector<TPersistent*>{title});
        head->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 12));
        head->Perform(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 10));
        head->Perform(WM_LBUTTONUP, 0, MAKELPARAM(50, 10));
        ASSERT_TRUE(env.Inspector()->SetValue("Caption", "Sales by area"));
        EXPECT_TRUE(host.IsDirty());
        host.SaveAs(Path("edited.qfm"));
    }
    const std::string edited = RunAndDump("edited.qfm");
    std::istringstream a(original), b(edited);
    std::string la, lb;
    int differing = 0, pages = 0;
    const std::regex text(R"(\s*TextOut (\d+) (\d+) "(.*)\")");
    while (std::getline(a, la) && std::getline(b, lb)) {
        pages += std::regex_match(la, std::regex(R"(page \d+)"));
        if (la == lb || (la.rfind("page ", 0) == 0 && lb.rfind("page ", 0) == 0))
            continue; // a shorter text moves the pages after it in the file
        ++differing;
        std::smatch ma, mb;
        ASSERT_TRUE(std::regex_match(la, ma, text)) << la;
        ASSERT_TRUE(std::regex_match(lb, mb, text)) << lb;
        EXPECT_EQ(ma[3], "Sales by region");
        EXPECT_EQ(mb[3], "Sales by area");
        EXPECT_EQ(std::stoi(mb[1]) - std::stoi(ma[1]), 40);
        EXPECT_EQ(ma[2], mb[2]);
    }
    EXPECT_FALSE(std::getline(a, la) || std::getline(b, lb)) << "as many records";
    EXPECT_GT(pages, 1);
    EXPECT_EQ(differing, pages) << "the title on each page";
}

// A picture that is not one colour only.
bool NotBlank(const std::string& Png)
{
    TPicture picture;
    picture.LoadFromFile(Png);
    return picture.Width() >= 50 && picture.Height() >= 50 && PngColours(Png) > 1;
}

TEST_F(DesignExamples, PicturesOfTheDesignersWindowsAreNotBlank)
{
    const TToolRun run = Qor("design '" + Path("shop.qfm") + "' --png '" + Path("pics") + "'");
    ASSERT_EQ(run.Exit, 0) << run.Err;
    for (const char* png : {"designer.png", "inspector.png", "form.png"}) {
        EXPECT_NE(run.Out.find(Path("pics/") + png), std::string::npos) << run.Out;
        EXPECT_TRUE(NotBlank(Path("pics/") + png)) << png;
    }
}

} // namespace
