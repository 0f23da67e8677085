// The examples a user copies: the grouped sales report form run by `qor run` over a database built
// from the example's SQL script, and the C++ program that runs it with handlers of its own. Sums are
// checked against the database's own, page numbers and texts against pdftotext.

#include "output/OutputTestSupport.h"
#include "printing/PrintTestSupport.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
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
    EXPECT_EQ(Rows, 1000);
    std::istringstream Sums(Sql("SELECT region, CAST(round(sum(amount) * 100) AS INTEGER) FROM sales GROUP BY region"));
    std::map<std::string, long long> Expected;
    for (std::string Line; std::getline(Sums, Line);)
        Expected[Line.substr(0, Line.find('|'))] = std::stoll(Line.substr(Line.find('|') + 1));
    EXPECT_EQ(Expected.size(), 20u);
    EXPECT_EQ(Printed, Expected);
    EXPECT_EQ(Grand, std::stoll(Sql("SELECT CAST(round(sum(amount) * 100) AS INTEGER) FROM sales")));
}

TEST_F(SalesExample, TheCppProgramPrintsPageNOfMOnEveryPageAndLeavesOutSalesOfNothing)
{
    TToolRun R = SalesReport(Path("sales.pdf"));
    ASSERT_EQ(R.Exit, 0) << R.Err;
    const int Pages = PdfPageCount(Path("sales.pdf"));
    ASSERT_GT(Pages, 10);
    EXPECT_NE(R.Out.find("(" + std::to_string(Pages) + " pages)"), std::string::npos) << R.Out;
    for (int P = 1; P <= Pages; ++P) {
        const std::string Text = RunCommand("pdftotext -f " + std::to_string(P) + " -l " + std::to_string(P) + " '" +
                                            Path("sales.pdf") + "' -");
        ASSERT_NE(Text.find("Page " + std::to_string(P) + " of " + std::to_string(Pages)), std::string::npos)
            << "page " << P;
    }
    const std::string All = RunCommand("pdftotext -layout '" + Path("sales.pdf") + "' -");
    EXPECT_EQ(All.find(" 0.00 "), std::string::npos) << "the sale of nothing is left out";
    EXPECT_NE(All.find("Sales by region"), std::string::npos);

    R = SalesReport(Path("missing-folder/none.qor"));
    EXPECT_NE(R.Exit, 0);
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

namespace {

// The master-detail example: each customer followed by exactly its own orders (a sub-data band over
// a query linked to the customers), a total per customer and one of all.
TEST(ShopExample, EachCustomerIsFollowedByItsOwnOrdersAndTheirTotal)
{
    const std::filesystem::path Dir = std::filesystem::temp_directory_path() /
                                      ("qor-example-shop-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir);
    const std::string Shop = std::string(QOR_SOURCE_DIR) + "/examples/masterdetail";
    const std::string Db = (Dir / "shop.db").string();
    RunCommand("sqlite3 '" + Db + "' < '" + Shop + "/shop.sql'");
    std::filesystem::copy_file(Shop + "/shop.qfm", Dir / "shop.qfm");
    const std::string Qor = (Dir / "shop.qor").string();
    TToolRun R = RunQorTool("run '" + (Dir / "shop.qfm").string() + "' --to '" + Qor + "'", Dir,
                            "QT_QPA_PLATFORM=offscreen");
    ASSERT_EQ(R.Exit, 0) << R.Err;
    TQorQorFile File;
    File.LoadFromFile(Qor);
    const std::vector<std::string> T = Texts(QorDumpQorFile(File));

    // What the report shows per customer: order ids (4 digits from 1000 on) and the total.
    std::map<std::string, std::string> Shown;
    std::map<std::string, long long> Totals;
    std::string Customer;
    long long All = -1;
    for (std::size_t I = 0; I < T.size(); ++I) {
        if (T[I].rfind("Customer ", 0) == 0)
            Customer = T[I];
        else if (T[I].size() == 4 && T[I][0] == '1' && !Customer.empty())
            Shown[Customer] += T[I] + " ";
        else if (T[I] == "Total" && I + 1 < T.size())
            Totals[Customer] = Cents(T[I + 1]);
        else if (T[I] == "All orders" && I + 1 < T.size())
            All = Cents(T[I + 1]);
    }
    std::map<std::string, std::string> Expected;
    std::map<std::string, long long> ExpectedTotals;
    std::istringstream Rows(RunCommand(
        "sqlite3 '" + Db +
        "' \"SELECT c.name, o.order_id, CAST(round(o.amount * 100) AS INTEGER) FROM customers c JOIN orders o "
        "USING (customer_id) ORDER BY c.customer_id, o.order_id\""));
    for (std::string Line; std::getline(Rows, Line);) {
        std::istringstream L(Line);
        std::string Name, Id, Amount;
        std::getline(L, Name, '|');
        std::getline(L, Id, '|');
        std::getline(L, Amount, '|');
        Expected[Name] += Id + " ";
        ExpectedTotals[Name] += std::stoll(Amount);
    }
    EXPECT_EQ(Shown, Expected);
    EXPECT_EQ(Totals, ExpectedTotals);
    EXPECT_EQ(Shown.count("Customer 07"), 0u) << "a customer without orders shows none";
    EXPECT_NE(std::find(T.begin(), T.end(), "Customer 07"), T.end());
    EXPECT_EQ(All, std::stoll(RunCommand("sqlite3 '" + Db +
                                         "' 'SELECT CAST(round(sum(amount) * 100) AS INTEGER) FROM orders'")));
    std::filesystem::remove_all(Dir);
}

} // namespace
