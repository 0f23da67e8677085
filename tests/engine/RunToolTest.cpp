// qor run: a report form with its data set run into a page file, a PDF and an RTF file, a page
// range, and one clear line with a non-zero exit for each kind of bad input.

#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "platform/db/SqlDataSet.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace qor;
using namespace qor::test;

namespace {

// Twelve rows of 300 pixels, three to a page.
const std::string TallRows = std::string(QOR_TEST_DATA_DIR) + "/engine/run/tallrows.qfm";

class RunTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("qor-run-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Dir);
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    TToolRun Run(const std::string& Args) { return RunQorTool("run " + Args, Dir, "QT_QPA_PLATFORM=offscreen"); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    static int Count(const std::string& Text, const std::string& What)
    {
        int N = 0;
        for (auto At = Text.find(What); At != std::string::npos; At = Text.find(What, At + 1))
            ++N;
        return N;
    }

    std::filesystem::path Dir;
};

TEST_F(RunTool, RunsIntoAPageFileAPdfAndAnRtfFileSayingWhereEachWent)
{
    TToolRun R = Run("'" + TallRows + "' --to '" + Path("rows.qor") + "' --png '" + Path("png") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find("Written: " + Path("rows.qor") + " (4 pages)"), std::string::npos) << R.Out;
    EXPECT_NE(R.Err.find("made 4 pages"), std::string::npos) << R.Err;
    TQorQorFile F;
    F.LoadFromFile(Path("rows.qor"));
    EXPECT_EQ(F.PageCount(), 4);
    EXPECT_TRUE(std::filesystem::exists(Path("png/page-4.png")));

    R = Run("'" + TallRows + "' --to '" + Path("rows.pdf") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Pdf = RunCommand("pdftotext '" + Path("rows.pdf") + "' -");
    EXPECT_EQ(Count(Pdf, "A row"), 12);
    EXPECT_EQ(Count(Pdf, "Tall rows"), 4);
    EXPECT_EQ(Count(Pdf, "The end"), 1);
    ExpectSoundPdf(Path("rows.pdf"));

    R = Run("'" + TallRows + "' --to '" + Path("rows.rtf") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Rtf = RunCommand("unrtf --text '" + Path("rows.rtf") + "'");
    EXPECT_EQ(Count(Rtf, "A row"), 12) << Rtf;
    EXPECT_NE(R.Out.find("Written: " + Path("rows.rtf") + "\n"), std::string::npos)
        << "an RTF file's reader lays out its pages: no count of pages it does not hold " << R.Out;
    EXPECT_EQ(R.Err.find(" page"), std::string::npos) << R.Err;

    // A range says the pages it wrote, as the page file holds them.
    R = Run("'" + TallRows + "' --to '" + Path("range.qor") + "' --pages 3-4");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find("(2 pages)"), std::string::npos) << R.Out;
    const TToolRun Dump = RunQorTool("dump '" + Path("range.qor") + "'", Dir, "QT_QPA_PLATFORM=offscreen");
    EXPECT_NE(Dump.Out.find("info pages 2 "), std::string::npos) << Dump.Out;

    // Pages 2 to 3 only: six rows, and nothing of the first or last page.
    R = Run("'" + TallRows + "' --to '" + Path("range.pdf") + "' --pages 2-3");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const std::string Range = RunCommand("pdftotext '" + Path("range.pdf") + "' -");
    EXPECT_EQ(Count(Range, "A row"), 6);
    EXPECT_EQ(Count(Range, "The end"), 0);
    ExpectSoundPdf(Path("range.pdf"));
}

// The rows come from a forward-only query on a SQLite file named relative to the form, which sits
// in another folder than the one the tool runs in.
TEST_F(RunTool, ReadsAQueryOnADatabaseBesideTheForm)
{
    std::filesystem::create_directories(Dir / "forms");
    std::ofstream(Path("forms/rows.db")).close();
    {
        TDatabase Db(nullptr);
        Db.SetDatabaseName(Path("forms/rows.db"));
        Db.ExecSQL("CREATE TABLE t (n INTEGER)");
        Db.ExecSQL("WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < 12) "
                   "INSERT INTO t SELECT n FROM c");
    }
    std::ifstream In(TallRows);
    std::string Form((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    // The form's memory data set gives way to the query.
    const std::size_t From = Form.find("  object Orders"), To = Form.find("  object OrderSource");
    Form.replace(From, To - From,
                 "  object Db: TDatabase\n    DatabaseName = 'rows.db'\n  end\n"
                 "  object Orders: TQuery\n    Database = Db\n    ForwardOnly = True\n"
                 "    SQL.Strings = ('SELECT n FROM t ORDER BY n')\n  end\n");
    std::ofstream(Path("forms/rows.qfm")) << Form;

    TToolRun R = Run("'" + Path("forms/rows.qfm") + "' --to '" + Path("rows.pdf") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_NE(R.Out.find("(4 pages)"), std::string::npos) << R.Out;
    EXPECT_EQ(Count(RunCommand("pdftotext '" + Path("rows.pdf") + "' -"), "A row"), 12);
    ExpectSoundPdf(Path("rows.pdf"));
    EXPECT_NE(R.Err.find("generating page 2\n"), std::string::npos) << "progress without a record count: " << R.Err;

    // A query that fails and a database that is missing end the run with the reason, not with a
    // page of nothing reported as success, nor left behind in place of the report.
    const auto FailsWith = [&](const std::string& Says) {
        for (const char* To : {"rows.pdf", "rows.qor"}) {
            std::filesystem::remove(Path(To)); // (an earlier run's file would stay as it was)
            R = Run("'" + Path("forms/rows.qfm") + "' --to '" + Path(To) + "'");
            EXPECT_EQ(R.Exit, 1);
            const std::string Last = R.Err.substr(R.Err.rfind('\n', R.Err.size() - 2) + 1);
            EXPECT_NE(Last.find(Says), std::string::npos) << R.Err;
            EXPECT_EQ(R.Err.find("page"), std::string::npos) << "told before the first page: " << R.Err;
            EXPECT_FALSE(std::filesystem::exists(Path(To))) << To;
        }
    };
    const std::size_t Sql = Form.find("FROM t ORDER");
    std::ofstream(Path("forms/rows.qfm")) << Form.substr(0, Sql) + "FROM nosuchtable" + Form.substr(Sql + 6);
    FailsWith("no such table");
    std::filesystem::remove(Path("forms/rows.db"));
    FailsWith("does not exist");
}

TEST_F(RunTool, AnUnwritableFileFailsAtOnceAndAMisspeltFieldIsToldOnce)
{
    TToolRun R = Run("'" + TallRows + "' --to '" + Path("no/such/folder/rows.pdf") + "'");
    EXPECT_EQ(R.Exit, 1);
    EXPECT_NE(R.Err.find("cannot write " + Path("no/such/folder/rows.pdf")), std::string::npos) << R.Err;
    EXPECT_EQ(R.Err.find("page"), std::string::npos) << "before the first page: " << R.Err;

    std::ifstream In(TallRows);
    std::string Form((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    Form.replace(Form.find("      object DLevel"), 0,
                 "      object NVar: TKivDBVar\n        DataSource = OrderSource\n        DataField = 'Nmbr'\n"
                 "        UpdateLevel = DLevel\n      end\n");
    Form.replace(Form.find("        object DLabel"), 0,
                 "        object NText: TKivVarLabel\n          Left = 220\n          Width = 420\n"
                 "          Height = 20\n          Variable = NVar\n        end\n");
    std::ofstream(Path("typo.qfm")) << Form;
    R = Run("'" + Path("typo.qfm") + "' --to '" + Path("typo.pdf") + "'");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    EXPECT_EQ(Count(R.Err, "variable NVar: Orders has no field \"Nmbr\""), 1) << R.Err;
    EXPECT_EQ(Count(RunCommand("pdftotext '" + Path("typo.pdf") + "' -"), "Unknown type"), 12) << "the page text stays";
    ExpectSoundPdf(Path("typo.pdf"));
}

TEST_F(RunTool, BadInputGivesOneClearLineAndANonZeroExit)
{
    const auto OneLine = [](const TToolRun& R, const std::string& Says) {
        EXPECT_NE(R.Err.find(Says), std::string::npos) << R.Err;
        EXPECT_EQ(Count(R.Err, "\n"), 1) << R.Err;
    };
    TToolRun R = Run("'" + TallRows + "' --to '" + Path("out.txt") + "'");
    EXPECT_EQ(R.Exit, 2);
    OneLine(R, "--to wants FILE.qor, FILE.pdf or FILE.rtf");
    R = Run("'" + TallRows + "' --view --to '" + Path("x.qor") + "'");
    EXPECT_EQ(R.Exit, 2);
    OneLine(R, "choose one of --to, --printer and --view");

    // A form that cannot be read says why, and names the file once.
    R = Run("'" + Path("missing.qfm") + "'");
    EXPECT_EQ(R.Exit, 1);
    OneLine(R, "qor: run: " + Path("missing.qfm") + ": cannot open the report form: there is no such file\n");
    R = Run("'" + Dir.string() + "'");
    OneLine(R, "cannot open the report form: it is a folder, not a file");
    std::ofstream(Path("picture.qfm")) << "\x89PNG\r\n\x1a\n";
    R = Run("'" + Path("picture.qfm") + "'");
    EXPECT_EQ(R.Exit, 1);
    EXPECT_EQ(Count(R.Err, Path("picture.qfm")), 1) << R.Err;

    std::ofstream(Path("unknown.qfm")) << "object F: TForm\n  object R: TNoSuchReport\n  end\nend\n";
    R = Run("'" + Path("unknown.qfm") + "'");
    EXPECT_EQ(R.Exit, 1);
    OneLine(R, "TNoSuchReport");
    EXPECT_EQ(Count(R.Err, "unknown.qfm"), 1) << R.Err;

    std::ofstream(Path("empty.qfm")) << "object F: TForm\nend\n";
    R = Run("'" + Path("empty.qfm") + "'");
    EXPECT_EQ(R.Exit, 1);
    OneLine(R, "the form holds no report");

    R = Run("'" + TallRows + "' --printer 'No Such Printer'");
    EXPECT_EQ(R.Exit, 1);
    OneLine(R, "there is no printer named \"No Such Printer\"");
}

} // namespace
