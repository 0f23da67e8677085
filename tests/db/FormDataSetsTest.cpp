// Data sets declared in a form file read from disk: relative file names are taken from the form
// file's folder whatever the current folder is, and what cannot be opened says which file or query.

#include "common/TestErrors.h"
#include "db/PostgresTest.h"
#include "platform/db/CsvDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace qor;
using test::ErrorOf;
namespace fs = std::filesystem;

namespace {

class FormDataSets : public ::testing::Test {
protected:
    void SetUp() override
    {
        char Template[] = "/tmp/qor_formdata_XXXXXX";
        ASSERT_NE(mkdtemp(Template), nullptr);
        Dir = Template;
        fs::create_directories(Dir / "data");
        Write("data/items.csv", "code,qty\nA1,3\nB2,5\n");
        std::ofstream(Dir / "data" / "sales.db").close();
        TDatabase Db(nullptr);
        Db.SetDatabaseName((Dir / "data" / "sales.db").string());
        Db.ExecSQL("CREATE TABLE sales (id INTEGER, amount DECIMAL(10,2))");
        Db.ExecSQL("INSERT INTO sales VALUES (1, 10.5), (2, 20.25), (3, 7)");
        OldCwd = fs::current_path();
        fs::current_path("/");
    }
    void TearDown() override
    {
        fs::current_path(OldCwd);
        fs::remove_all(Dir);
    }
    void Write(const String& Name, const String& Text) { std::ofstream(Dir / Name) << Text; }
    // A form holding a database and an open query over it.
    String QueryForm(const String& DatabaseName, const String& Sql) const
    {
        return "object Report: TComponent\n"
               "  object Db1: TDatabase\n"
               "    DatabaseName = '" + DatabaseName + "'\n"
               "  end\n"
               "  object Query1: TQuery\n"
               "    Database = Db1\n"
               "    SQL.Strings = ('" + Sql + "')\n"
               "    Active = True\n"
               "  end\n"
               "end\n";
    }

    fs::path Dir;
    fs::path OldCwd;
};

TEST_F(FormDataSets, EveryKindOpensWithNamesTakenFromTheFormsFolder)
{
    Write("report.qfm", "object Report: TComponent\n"
                        "  object Items: TCsvDataSet\n"
                        "    FileName = 'data/items.csv'\n"
                        "    Active = True\n"
                        "  end\n"
                        "  object Db1: TDatabase\n"
                        "    DatabaseName = 'data/sales.db'\n"
                        "  end\n"
                        "  object Sales: TQuery\n"
                        "    Database = Db1\n"
                        "    ForwardOnly = True\n"
                        "    SQL.Strings = ('SELECT id, amount FROM sales' 'ORDER BY id')\n"
                        "    Active = True\n"
                        "  end\n"
                        "  object Regions: TMemoryDataSet\n"
                        "    Columns.Strings = ('Name:String:10' 'Target:Currency')\n"
                        "    Rows.Strings = ('North,100.5' 'South,99')\n"
                        "    Active = True\n"
                        "  end\n"
                        "  object SalesSource: TDataSource\n"
                        "    DataSet = Sales\n"
                        "  end\n"
                        "end\n");
    std::unique_ptr<TComponent> Root(ReadComponentFromFile((Dir / "report.qfm").string()));
    auto* Items = dynamic_cast<TCsvDataSet*>(Root->FindComponent("Items"));
    auto* Sales = dynamic_cast<TQuery*>(Root->FindComponent("Sales"));
    auto* Regions = dynamic_cast<TMemoryDataSet*>(Root->FindComponent("Regions"));
    auto* Source = dynamic_cast<TDataSource*>(Root->FindComponent("SalesSource"));
    ASSERT_TRUE(Items && Sales && Regions && Source);
    EXPECT_EQ(Items->RecordCount(), 2);
    EXPECT_EQ(Items->FullFileName(), (Dir / "data/items.csv").string());
    ASSERT_TRUE(Sales->Active());
    EXPECT_TRUE(Sales->ForwardOnly());
    EXPECT_EQ(Source->DataSet(), Sales);
    Currency Total;
    for (; !Sales->Eof(); Sales->Next())
        Total += Sales->FieldByName("amount")->AsCurrency();
    EXPECT_EQ(Total, Currency::FromRaw(377500));
    Regions->Last();
    EXPECT_EQ(Regions->FieldByName("Name")->AsString(), "South");

    // Written back, the names stay as the form gave them, and so does the forward-only setting.
    const String Written = WriteComponentToText(Root.get());
    EXPECT_NE(Written.find("DatabaseName = 'data/sales.db'"), String::npos) << Written;
    EXPECT_NE(Written.find("FileName = 'data/items.csv'"), String::npos) << Written;
    EXPECT_NE(Written.find("ForwardOnly = True"), String::npos) << Written;

    // Read from text with no folder given, relative names are the current folder's.
    fs::current_path(Dir);
    std::unique_ptr<TComponent> FromText(ReadComponentFromText(QueryForm("data/sales.db", "SELECT 1"), nullptr, "t"));
    EXPECT_EQ(dynamic_cast<TQuery*>(FromText->FindComponent("Query1"))->RecordCount(), 1);
}

TEST_F(FormDataSets, MissingFilesAndFailingQueriesSayWhich)
{
    Write("nodb.qfm", QueryForm("data/missing.db", "SELECT 1"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ReadComponentFromFile((Dir / "nodb.qfm").string()); }),
              "Query1: Db1: Cannot connect to '" + (Dir / "data/missing.db").string() +
                  "': the database file does not exist");
    EXPECT_FALSE(fs::exists(Dir / "data/missing.db"));

    Write("badsql.qfm", QueryForm("data/sales.db", "SELECT nope FROM sales"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ReadComponentFromFile((Dir / "badsql.qfm").string()); }),
              "Query1: SQL error: no such column: nope");

    Write("nocsv.qfm", "object Report: TComponent\n  object Items: TCsvDataSet\n    FileName = 'gone.csv'\n"
                       "    Active = True\n  end\nend\n");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { ReadComponentFromFile((Dir / "nocsv.qfm").string()); }),
              "Items: Cannot open file '" + (Dir / "gone.csv").string() + "': No such file or directory");
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadComponentFromFile((Dir / "none.qfm").string()); }),
              "Cannot open file \"" + (Dir / "none.qfm").string() + "\"");
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { ReadComponentFromFile((Dir / "data").string()); }),
              "Cannot open file \"" + (Dir / "data").string() + "\"");
    // An empty form file is the reader's to refuse, as any other text that holds no form.
    Write("empty.qfm", "");
    EXPECT_NE(ErrorOf<EReadError>([&] { ReadComponentFromFile((Dir / "empty.qfm").string()); }), "(no error)");

    // A bad connection string names the setting, never its value (it may be a password).
    TDatabase Db(nullptr);
    Db.SetName("Server");
    Db.SetDriverName("QPSQL");
    Db.SetConnectionString("host=/tmp password='se cret");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Db.Open(); }),
              "Server: The connection string's value for 'password' has no closing quote");
    Db.SetConnectionString("host=/tmp port=54x");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Db.Open(); }), "Server: The connection string's port is not a port number");
    Db.SetConnectionString("host /tmp");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Db.Open(); }), "Server: The connection string has no value for 'host'");
}

using FormDataSetsPostgres = test::PostgresTest;

TEST_F(FormDataSetsPostgres, AConnectionStringReachesTheServer)
{
    const String Form = "object Report: TComponent\n"
                        "  object Db1: TDatabase\n"
                        "    DriverName = 'QPSQL'\n"
                        "    ConnectionString = 'host=" + Server.SocketDir() + " dbname=postgres user=" +
                        test::PrivatePostgres::User() + " application_name=''qor report'''\n"
                        "  end\n"
                        "  object Query1: TQuery\n"
                        "    Database = Db1\n"
                        "    ForwardOnly = True\n"
                        "    SQL.Strings = ('SELECT current_setting(''application_name'') AS app')\n"
                        "    Active = True\n"
                        "  end\n"
                        "end\n";
    std::unique_ptr<TComponent> Root(ReadComponentFromText(Form, nullptr, "pg form"));
    auto* Query = dynamic_cast<TQuery*>(Root->FindComponent("Query1"));
    ASSERT_TRUE(Query && Query->Active());
    EXPECT_EQ(Query->FieldByName("app")->AsString(), "qor report");
}

} // namespace
