// The examples a user copies: the grouped sales report form run by `qor run` over a database built
// from the example's SQL script, and the C++ program that runs it with handlers of its own. Sums are
// checked against the database's own, page numbers and texts against pdftotext.

#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "printing/PrintTestSupport.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace qor;
using namespace qor::test;

namespace {

const std::string SalesDir = std::string(QOR_SOURCE_DIR) + "/examples/sales";

class SalesExample : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("qor-example-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        // 1,000 sales, one of them of nothing (left out by the C++ program's OnPrintWhen).
        RunCommand("sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT 1000 AS n\" '" + Path("sales.db") + "' < '" +
                   SalesDir + "/sales.sql' && sqlite3 '" + Path("sales.db") +
                   "' \"UPDATE sales SET amount = 0 WHERE id = 7\"");
        std::filesystem::copy_file(SalesDir + "/sales.qfm", Path("sales.qfm"));
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    std::string Sql(const std::string& Query) const
    {
        return RunCommand("sqlite3 '" + Path("sales.db") + "' \"" + Query + "\"");
    }
    TToolRun SalesReport(const std::string& Output)
    {
        TToolRun R;
        const std::string Out = Path("stdout.txt"), Err = Path("stderr.txt");
        const int Status = std::system(("env QT_QPA_PLATFORM=offscreen '" + std::string(QOR_BINARY_DIR) +
                                        "/examples/sales_report' '" + Path("sales.qfm") + "' '" + Output + "' >'" +
                                        Out + "' 2>'" + Err + "'")
                                           .c_str());
        R.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
        R.Out = ReadWholeFile(Out);
        R.Err = ReadWholeFile(Err);
        return R;
    }

    std::filesystem::path Dir;
};

// The texts of a page-file dump, in drawing order.
std::vector<std::string> Texts(const std::string& Dump)
{
    std::vector<std::string> Out;
    std::istringstream In(Dump);
    for (std::string Line; std::getline(In, Line);)
        if (Line.rfind("  TextOut ", 0) == 0)
            Out.push_back(Line.substr(Line.find('"') + 1, Line.rfind('"') - Line.find('"') - 1));
    return Out;
}

// "1,234.56" as hundredths.
long long Cents(std::string Text)
{
    std::string Digits;
    for (char C : Text)
        if (C != ',' && C != '.')
            Digits += C;
    return std::stoll(Digits);
}

TEST_F(SalesExample, TheFormRunsOverTheDatabaseWithEveryGroupSumAndTheGrandTotalRight)
{
    TToolRun R = RunQorTool("run '" + Path("sales.qfm") + "' --to '" + Path("sales.qor") + "'", Dir,
                            "QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    TQorQorFile File;
    File.LoadFromFile(Path("sales.qor"));
    const std::vector<std::string> T = Texts(QorDumpQorFile(File));

    // "Total for" is followed by the region's name and its sum; "Grand total" by the sum of all.
    std::map<std::string, long long> Printed;
    long long Grand = -1;
    int Pages = 0, Rows = 0;
    for (std::size_t I = 0; I < T.size(); ++I) {
        if (T[I] == "Total for" && I + 2 < T.size())
            Printed[T[I + 1]] = Cents(T[I + 2]);
        if (T[I] == "Grand total" && I + 1 < T.size())
            Grand = Cents(T[I + 1]);
        if (T[I] == "Page " + std::to_string(Pages + 1))
            ++Pages;
        if (T[I].rfind("Customer ", 0) == 0)
            ++Rows;
    }
    EXPECT_EQ(Pages, File.PageCount()) << "every page numbered, in order";
    // The form prints no page total, so it runs in one pass: no pass only counts the pages.
    const std::string Made = "made " + std::to_string(Pages) + " pages";
    EXPECT_EQ(R.Err.find("counted "), std::string::npos) << R.Err;
    EXPECT_NE(R.Err.find(Made), std::string::npos) << R.Err;
    EXPECT_EQ(R.Err.find(Made), R.Err.rfind(Made)) << "made once\n" << R.Err;
    EXPECT_EQ(Rows, 1000);
    std::istringstream Sums(Sql("SELECT region, CAST(round(sum(amount) * 100) AS INTEGER) FROM sales GROUP BY region"));
    std::map<std::string, long long> Expected;
    for (std::string Line; std::getline(Sums, Line);)
        Expected[Line.substr(0, Line.find('|'))] = std::stoll(Line.substr(Line.find('|') + 1));
    EXPECT_EQ(Expected.size(), 20u);
    EXPECT_EQ(Printed, Expected);
    EXPECT_EQ(Grand, std::stoll(Sql("SELECT CAST(round(sum(amount) * 100) AS INTEGER) FROM sales")));
}

// A region's head keeps room for two of its rows below it: a page never ends with a head. At these
// sizes a head without that room would fall last on a page.
TEST_F(SalesExample, ARegionHeadNeverEndsAPage)
{
    for (const int Rows : {1013, 1133, 1280}) {
        std::filesystem::remove(Path("sales.db"));
        RunCommand("sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT " + std::to_string(Rows) + " AS n\" '" +
                   Path("sales.db") + "' < '" + SalesDir + "/sales.sql'");
        TToolRun R = RunQorTool("run '" + Path("sales.qfm") + "' --to '" + Path("sales.qor") + "'", Dir,
                                "QT_QPA_PLATFORM=offscreen");
        ASSERT_EQ(R.Exit, 0) << R.Err;
        TQorQorFile File;
        File.LoadFromFile(Path("sales.qor"));
        int Heads = 0, Listed = 0;
        for (int P = 1; P <= File.PageCount(); ++P) {
            const std::vector<std::string> T = Texts(QorDumpQorFile(File, P, P));
            Heads += int(std::count(T.begin(), T.end(), "Region:"));
            Listed += int(std::count_if(T.begin(), T.end(), [](const std::string& X) { return X.rfind("Customer ", 0) == 0; }));
            // The last texts of a page are a row or a foot, never a head's "Region:" and its name.
            ASSERT_GE(T.size(), 2u);
            EXPECT_NE(T[T.size() - 2], "Region:") << Rows << " rows, page " << P;
        }
        EXPECT_EQ(Heads, 20) << Rows << " rows";
        EXPECT_EQ(Listed, Rows);
    }
}

TEST_F(SalesExample, TheCppProgramPrintsPageNOfMOnEveryPageAndLeavesOutSalesOfNothing)
{
    TToolRun R = SalesReport(Path("sales.pdf"));
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const int Pages = PdfPageCount(Path("sales.pdf"));
    ASSERT_GT(Pages, 10);
    ExpectSoundPdf(Path("sales.pdf"));
    EXPECT_NE(R.Out.find("(" + std::to_string(Pages) + " pages)"), std::string::npos) << R.Out;
    for (int P = 1; P <= Pages; ++P) {
        const std::string Text = RunCommand("pdftotext -f " + std::to_string(P) + " -l " + std::to_string(P) + " '" +
                                            Path("sales.pdf") + "' -");
        ASSERT_NE(Text.find("Page " + std::to_string(P) + " of " + std::to_string(Pages)), std::string::npos)
            << "page " << P;
    }
    // Every sale is listed once but the one of nothing (id 7), which the handler leaves out.
    const std::string All = RunCommand("pdftotext -layout '" + Path("sales.pdf") + "' -");
    const std::regex Row(R"(^\s*(\d+)\s+Region \d\d\s+Customer \d{4}\s+([\d,.]+)\s)");
    std::vector<int> Ids;
    std::istringstream Lines(All);
    for (std::string Line; std::getline(Lines, Line);)
        if (std::smatch M; std::regex_search(Line, M, Row))
            Ids.push_back(std::stoi(M[1]));
    std::vector<int> Expected;
    for (int Id = 1; Id <= 1000; ++Id)
        if (Id != 7)
            Expected.push_back(Id);
    EXPECT_EQ(Ids, Expected);
    EXPECT_EQ(All.find(" 0.00 "), std::string::npos) << "the sale of nothing is left out";
    EXPECT_NE(All.find("Sales by region"), std::string::npos);

    R = SalesReport(Path("missing-folder/none.qor"));
    EXPECT_NE(R.Exit, 0);
    R = SalesReport(Path("sales.rtf"));
    EXPECT_NE(R.Exit, 0) << "it writes page files and PDFs only";
    EXPECT_FALSE(std::filesystem::exists(Path("sales.rtf"))) << "not a page file under another name";
    std::filesystem::remove(Path("sales.db"));
    R = SalesReport(Path("sales.qor"));
    EXPECT_NE(R.Exit, 0) << "a missing database fails the run";
    EXPECT_NE(R.Err.find("sales_report: "), std::string::npos) << R.Err;
    EXPECT_FALSE(std::filesystem::exists(Path("sales.qor"))) << "and leaves no page file of no data";
}

// The script builds the rows asked for, none when asked for none, with the regions in sorted
// blocks of ids.
TEST(SalesScript, BuildsExactlyTheRowsAskedForInSortedRegionBlocks)
{
    const std::string Db = (std::filesystem::temp_directory_path() /
                            ("qor-sales-script-" + std::to_string(::getpid()) + ".db"))
                               .string();
    const auto Build = [&](int Rows) {
        std::filesystem::remove(Db);
        RunCommand("sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT " + std::to_string(Rows) + " AS n\" '" + Db +
                   "' < '" + SalesDir + "/sales.sql'");
        return RunCommand("sqlite3 '" + Db + "' \"SELECT count(*), count(DISTINCT region) FROM sales\"");
    };
    EXPECT_EQ(Build(0), "0|0\n");
    EXPECT_EQ(Build(1), "1|1\n");
    EXPECT_EQ(Build(1000), "1000|20\n");
    // Ordered by id, the region never goes back.
    EXPECT_EQ(RunCommand("sqlite3 '" + Db +
                         "' \"SELECT count(*) FROM sales a JOIN sales b ON b.id = a.id + 1 WHERE b.region < a.region\""),
              "0\n");
    std::filesystem::remove(Db);
}

} // namespace
