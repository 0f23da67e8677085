// The demo database script: the row count it is given, regions in sorted blocks, values in their
// ranges with the declared types the reports read, and the same rows on every run.

#include "platform/db/SqlDataSet.h"
#include "platform/rtl/StringList.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

using namespace qor;

namespace {

// Builds the database with Rows rows through the sqlite3 program; false when it failed.
bool BuildSales(const String& File, int Rows)
{
    std::remove(File.c_str());
    const String Command = "sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT " + std::to_string(Rows) +
                           " AS n\" '" + File + "' < '" QOR_SOURCE_DIR "/examples/sales/sales.sql'";
    return std::system(Command.c_str()) == 0;
}

TEST(SalesScript, BuildsTheRowsItIsAskedForTheSameEveryTime)
{
    if (!test::HaveProgram("sqlite3"))
        QOR_SKIP_WITHOUT_TOOL("the sqlite3 program is not installed (Debian package sqlite3)");
    const String File = "/tmp/qor_sales_" + std::to_string(getpid()) + ".db";
    ASSERT_TRUE(BuildSales(File, 2000));
    TDatabase Db(nullptr);
    Db.SetDatabaseName(File);
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT count(*) AS n, min(id) AS lo, max(id) AS hi, count(DISTINCT region) AS regions, "
                     "min(customer) >= 'Customer 0000' AND max(customer) <= 'Customer 4999' AS customers, "
                     "min(amount) >= 0 AND max(amount) <= 9999.99 AS amounts, "
                     "min(date) >= '2024-01-01' AND max(date) <= '2024-12-31' AS dates, "
                     "sum(abs(amount * 100 - round(amount * 100)) > 1e-6) AS fractions FROM sales");
    Q.Open();
    EXPECT_EQ(Q.FieldByName("n")->AsInteger(), 2000);
    EXPECT_EQ(Q.FieldByName("lo")->AsInteger(), 1);
    EXPECT_EQ(Q.FieldByName("hi")->AsInteger(), 2000);
    EXPECT_EQ(Q.FieldByName("regions")->AsInteger(), 20);
    EXPECT_TRUE(Q.FieldByName("customers")->AsBoolean());
    EXPECT_TRUE(Q.FieldByName("amounts")->AsBoolean());
    EXPECT_TRUE(Q.FieldByName("dates")->AsBoolean());
    EXPECT_EQ(Q.FieldByName("fractions")->AsInteger(), 0);

    // Sorted blocks: every region's ids follow the previous region's.
    Q.Close();
    Q.SQL()->SetText("SELECT region, min(id) AS lo, max(id) AS hi FROM sales GROUP BY region ORDER BY region");
    Q.Open();
    for (int i = 1; !Q.Eof(); Q.Next(), ++i) {
        EXPECT_EQ(Q.FieldByName("region")->AsString(), (i < 10 ? "Region 0" : "Region ") + std::to_string(i));
        EXPECT_EQ(Q.FieldByName("lo")->AsInteger(), (i - 1) * 100 + 1);
        EXPECT_EQ(Q.FieldByName("hi")->AsInteger(), i * 100);
    }

    // Read as a report reads it: a date, two decimals.
    Q.Close();
    Q.SQL()->SetText("SELECT * FROM sales WHERE id = 1234");
    Q.Open();
    EXPECT_EQ(Q.FieldByName("date")->DataType(), ftDate);
    EXPECT_EQ(Q.FieldByName("amount")->DataType(), ftBCD);
    const String First = Q.FieldByName("customer")->AsString() + " " + Q.FieldByName("amount")->AsString() + " " +
                         Q.FieldByName("date")->AsString();
    Q.Close();
    Db.Close();

    ASSERT_TRUE(BuildSales(File, 2000));
    Q.Open();
    EXPECT_EQ(Q.FieldByName("customer")->AsString() + " " + Q.FieldByName("amount")->AsString() + " " +
                  Q.FieldByName("date")->AsString(),
              First);
    Q.Close();
    Db.Close();
    std::remove(File.c_str());
}

} // namespace
