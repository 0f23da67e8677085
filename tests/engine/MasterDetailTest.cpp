// The master-detail shop report run by `qor run`: each customer is followed by exactly its own
// orders (a sub-data band over a query that follows the customers), their count and total, and a
// count and total of all orders, checked against sqlite3's own answers in the page file and in the
// PDF, with the queries read all at once or row by row.

#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"
#include "printing/PrintTestSupport.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace qor;
using namespace qor::test;

namespace {

const std::string ShopDir = std::string(QOR_SOURCE_DIR) + "/examples/masterdetail";

// What a report shows of one customer: its order ids in order, the count and total under them.
struct TCustomerShown {
    std::string Orders;
    std::string Count;
    long long Total = -1;
    bool operator==(const TCustomerShown&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TCustomerShown& C)
{
    return Out << "{" << C.Orders << "| " << C.Count << " | " << C.Total << "}";
}

// "1,234.56" as hundredths.
long long Cents(const std::string& Text)
{
    std::string Digits;
    for (char C : Text)
        if (std::isdigit(static_cast<unsigned char>(C)) || C == '-')
            Digits += C;
    return Digits.empty() ? -1 : std::stoll(Digits);
}

bool IsOrderId(const std::string& Word)
{
    return Word.size() == 4 && Word[0] == '1' && Word.find_first_not_of("0123456789") == std::string::npos;
}

class ShopReport : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("qor-shop-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        RunCommand("sqlite3 '" + Path("shop.db") + "' < '" + ShopDir + "/shop.sql'");
        std::filesystem::copy_file(ShopDir + "/shop.qfm", Path("shop.qfm"));
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }
    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    std::string Sql(const std::string& Query) const
    {
        return RunCommand("sqlite3 '" + Path("shop.db") + "' \"" + Query + "\"");
    }
    // Runs the form into Output (a name in the folder); false with the tool's words when it fails.
    ::testing::AssertionResult Run(const std::string& Output)
    {
        const TToolRun R = RunQorTool("run '" + Path("shop.qfm") + "' --to '" + Path(Output) + "'", Dir,
                                      "QT_QPA_PLATFORM=offscreen");
        if (R.Exit != 0)
            return ::testing::AssertionFailure() << R.Err;
        return ::testing::AssertionSuccess();
    }
    // Every customer with what sqlite3 says of its orders; "" for a customer that has none.
    std::map<std::string, TCustomerShown> Expected() const
    {
        std::map<std::string, TCustomerShown> Result;
        std::istringstream Customers(Sql("SELECT name FROM customers"));
        for (std::string Name; std::getline(Customers, Name);)
            Result[Name] = TCustomerShown();
        std::istringstream Rows(
            Sql("SELECT c.name, o.order_id FROM customers c JOIN orders o USING (customer_id) "
                "ORDER BY c.customer_id, o.order_id"));
        for (std::string Line; std::getline(Rows, Line);)
            Result[Line.substr(0, Line.find('|'))].Orders += Line.substr(Line.find('|') + 1) + " ";
        std::istringstream Sums(
            Sql("SELECT c.name, count(*), CAST(round(sum(o.amount) * 100) AS INTEGER) FROM customers c "
                "JOIN orders o USING (customer_id) GROUP BY c.customer_id"));
        for (std::string Line; std::getline(Sums, Line);) {
            const std::size_t A = Line.find('|'), B = Line.rfind('|');
            TCustomerShown& C = Result[Line.substr(0, A)];
            C.Count = "Orders: " + Line.substr(A + 1, B - A - 1);
            C.Total = std::stoll(Line.substr(B + 1));
        }
        return Result;
    }
    // Reads the texts of a report in reading order into what each customer shows; a customer
    // named again (at the top of a new page) goes on where it was. The count before "All orders"
    // and the total after it are those of all orders.
    static std::map<std::string, TCustomerShown> Shown(const std::vector<std::string>& Words, std::string& AllCount,
                                                       long long& AllTotal)
    {
        std::map<std::string, TCustomerShown> Result;
        std::string Customer;
        for (std::size_t I = 0; I < Words.size(); ++I) {
            const std::string& W = Words[I];
            const std::string Next = I + 1 < Words.size() ? Words[I + 1] : "";
            if (W.rfind("Customer ", 0) == 0) {
                Customer = W;
                Result[Customer];
            } else if (W.rfind("Orders: ", 0) == 0 && Next == "All orders") {
                AllCount = W;
            } else if (W == "All orders") {
                AllTotal = Cents(Next);
            } else if (Customer.empty()) {
                continue;
            } else if (IsOrderId(W)) {
                Result[Customer].Orders += W + " ";
            } else if (W.rfind("Orders: ", 0) == 0) {
                Result[Customer].Count = W;
            } else if (W == "Total") {
                Result[Customer].Total = Cents(Next);
            }
        }
        return Result;
    }
    void ExpectAllOrders(const std::string& AllCount, long long AllTotal) const
    {
        EXPECT_EQ(AllCount, "Orders: " + Trimmed(Sql("SELECT count(*) FROM orders")));
        EXPECT_EQ(AllTotal, std::stoll(Sql("SELECT CAST(round(sum(amount) * 100) AS INTEGER) FROM orders")));
    }
    static std::string Trimmed(std::string S)
    {
        while (!S.empty() && (S.back() == '\n' || S.back() == ' '))
            S.pop_back();
        return S;
    }
    // The texts of a page-file dump, in drawing order.
    std::vector<std::string> PageFileTexts(const std::string& Name) const
    {
        TQorQorFile File;
        File.LoadFromFile(Path(Name));
        std::vector<std::string> Out;
        std::istringstream In(QorDumpQorFile(File));
        for (std::string Line; std::getline(In, Line);)
            if (Line.rfind("  TextOut ", 0) == 0)
                Out.push_back(Line.substr(Line.find('"') + 1, Line.rfind('"') - Line.find('"') - 1));
        return Out;
    }
    // The texts of a PDF as pdftotext lays them out, split where two or more blanks part them (the
    // file passing qpdf's check).
    std::vector<std::string> PdfTexts(const std::string& Name) const
    {
        ExpectSoundPdf(Path(Name));
        std::vector<std::string> Out;
        std::istringstream In(RunCommand("pdftotext -layout '" + Path(Name) + "' -"));
        for (std::string Line; std::getline(In, Line);) {
            std::size_t At = 0;
            while ((At = Line.find_first_not_of(" \f", At)) != std::string::npos) {
                std::size_t End = Line.find("  ", At);
                End = End == std::string::npos ? Line.size() : End;
                Out.push_back(Line.substr(At, End - At));
                At = End;
            }
        }
        return Out;
    }
    void MakeQueriesForwardOnly()
    {
        std::string Form = ReadWholeFile(Path("shop.qfm"));
        for (const char* Query : {"object Customers: TQuery\n", "object Orders: TQuery\n"}) {
            const std::size_t At = Form.find(Query);
            ASSERT_NE(At, std::string::npos) << Query;
            Form.insert(At + std::string(Query).size(), "    ForwardOnly = True\n");
        }
        std::ofstream(Path("shop.qfm"), std::ios::trunc) << Form;
    }

    std::filesystem::path Dir;
};

TEST_F(ShopReport, ThePageFileShowsEachCustomerWithItsOwnOrdersCountAndTotal)
{
    ASSERT_TRUE(Run("shop.qor"));
    std::string AllCount;
    long long AllTotal = -1;
    const std::map<std::string, TCustomerShown> Got = Shown(PageFileTexts("shop.qor"), AllCount, AllTotal);
    const std::map<std::string, TCustomerShown> Want = Expected();
    EXPECT_EQ(Got, Want);
    ASSERT_TRUE(Want.count("Customer 07") && Want.at("Customer 07").Orders.empty())
        << "the data keep a customer without orders";
    ExpectAllOrders(AllCount, AllTotal);
}

TEST_F(ShopReport, ThePdfReadsTheSameAndRepeatsTheCustomerAndCaptionsOnTheNextPage)
{
    ASSERT_TRUE(Run("shop.pdf"));
    EXPECT_EQ(PdfPageCount(Path("shop.pdf")), 2);
    const std::vector<std::string> Words = PdfTexts("shop.pdf");
    std::string AllCount;
    long long AllTotal = -1;
    EXPECT_EQ(Shown(Words, AllCount, AllTotal), Expected());
    ExpectAllOrders(AllCount, AllTotal);

    // The second page starts with its head, the customer whose orders go on and the captions.
    const std::string Page2 = RunCommand("pdftotext -layout -f 2 -l 2 '" + Path("shop.pdf") + "' -");
    std::istringstream In(Page2);
    std::vector<std::string> Lines;
    for (std::string Line; std::getline(In, Line);)
        if (Line.find_first_not_of(" \f") != std::string::npos)
            Lines.push_back(Line);
    ASSERT_GE(Lines.size(), 4u);
    EXPECT_NE(Lines[0].find("Page 2"), std::string::npos) << Lines[0];
    EXPECT_EQ(Lines[1].find("Customer "), 0u) << Lines[1];
    EXPECT_NE(Lines[2].find("Order"), std::string::npos) << Lines[2];
    EXPECT_TRUE(IsOrderId(Lines[3].substr(Lines[3].find_first_not_of(' '), 4))) << Lines[3];
}

// Each customer runs the orders' statement again; read row by row, First on the detail must run it
// again for the next customer, and the master is read once through.
TEST_F(ShopReport, QueriesReadRowByRowGiveTheSameReport)
{
    ASSERT_TRUE(Run("whole.pdf"));
    MakeQueriesForwardOnly();
    ASSERT_TRUE(Run("rows.pdf"));
    const std::vector<std::string> Rows = PdfTexts("rows.pdf");
    EXPECT_EQ(Rows, PdfTexts("whole.pdf"));
    std::string AllCount;
    long long AllTotal = -1;
    EXPECT_EQ(Shown(Rows, AllCount, AllTotal), Expected());
}

} // namespace
