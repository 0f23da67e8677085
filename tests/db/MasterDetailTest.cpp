// Detail queries following a master: parameters take the master's field values, the detail runs
// again when the master moves (also forward-only), the application's own values win, a closed or
// empty master gives no rows, a query is never its own master, and the link is read from a form.

#include "common/TestErrors.h"
#include "db/PostgresTest.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace qor;
using test::ErrorOf;

namespace {

class MasterDetail : public ::testing::Test {
protected:
    void SetUp() override
    {
        char Name[] = "/tmp/qor_master_XXXXXX";
        const int Fd = mkstemp(Name);
        ASSERT_GE(Fd, 0);
        close(Fd);
        FileName = Name;
        Db.SetDatabaseName(FileName);
        Db.ExecSQL("CREATE TABLE customers (customer_id INTEGER, name VARCHAR(20))");
        Db.ExecSQL("INSERT INTO customers VALUES (1, 'Ann'), (2, 'Bob'), (3, 'Cid')");
        Db.ExecSQL("CREATE TABLE orders (order_id INTEGER, customer_id INTEGER, total DECIMAL(8, 2))");
        Db.ExecSQL("INSERT INTO orders VALUES (10, 1, 5.5), (11, 1, 7), (12, 2, 1.25), (13, 1, 2)");
        Customers.SetDatabase(&Db);
        Customers.SQL()->SetText("SELECT customer_id, name FROM customers ORDER BY customer_id");
        CustomerSource.SetDataSet(&Customers);
        Orders.SetDatabase(&Db);
        Orders.SQL()->SetText("SELECT order_id, total FROM orders WHERE customer_id = :customer_id ORDER BY order_id");
        Orders.SetDataSource(&CustomerSource);
    }
    void TearDown() override
    {
        Orders.Close();
        Customers.Close();
        Db.Close();
        std::remove(FileName.c_str());
    }
    // The order ids the detail holds now, read from its first row.
    std::vector<Int64> OrderIds()
    {
        std::vector<Int64> Ids;
        for (Orders.First(); !Orders.Eof(); Orders.Next())
            Ids.push_back(Orders.FieldByName("order_id")->AsInteger());
        return Ids;
    }

    String FileName;
    TDatabase Db{nullptr};
    TQuery Customers{nullptr};
    TDataSource CustomerSource{nullptr};
    TQuery Orders{nullptr};
};

TEST_F(MasterDetail, TheDetailFollowsEveryMoveOfTheMaster)
{
    Customers.Open();
    Orders.Open();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13}));
    Customers.Next();
    EXPECT_EQ(Orders.FieldByName("order_id")->AsInteger(), 12) << "the detail stands on its first row at once";
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12}));
    Customers.Next();
    EXPECT_TRUE(Orders.Eof() && Orders.Bof()) << "a customer without orders";
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{}));
    Customers.First();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13}));
}

TEST_F(MasterDetail, AForwardOnlyDetailFollowsTooAndItsFirstStillStartsAgain)
{
    Orders.SetForwardOnly(true);
    Customers.Open();
    Orders.Open();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13}));
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13})) << "read twice for the same customer";
    Customers.Next();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12}));
}

TEST_F(MasterDetail, TheApplicationsValueWinsAndAClosedMasterGivesNoRows)
{
    Orders.Open();
    EXPECT_TRUE(Orders.Eof()) << "the master is closed: the parameter is null";
    Orders.Close();
    Orders.ParamByName("customer_id")->SetAsInteger(2);
    Customers.Open();
    Orders.Open();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12}));
    Customers.Next();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12})) << "a value of the application's stays";
    Orders.ParamByName("customer_id")->Clear();
    Orders.Close();
    Orders.Open();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12})) << "Bob is the master's current record";
    Customers.Close();
    EXPECT_TRUE(Orders.Eof()) << "the master closed: no rows";
}

TEST_F(MasterDetail, AQueryIsNeverItsOwnMasterAndALostMasterIsLetGo)
{
    TDataSource Own(nullptr);
    Own.SetDataSet(&Orders);
    EXPECT_NE(ErrorOf([&] { Orders.SetDataSource(&Own); }).find("own master"), std::string::npos);
    EXPECT_EQ(Orders.DataSource(), &CustomerSource);
    {
        TDataSource Gone(nullptr);
        Gone.SetDataSet(&Customers);
        Orders.SetDataSource(&Gone);
    }
    EXPECT_EQ(Orders.DataSource(), nullptr);
    Customers.Open();
    Orders.Open();
    EXPECT_TRUE(Orders.Eof());
}

TEST_F(MasterDetail, FirstGivesTheCurrentMastersRowsWhenTheMoveWasNotHeard)
{
    for (const bool ForwardOnly : {false, true}) {
        SCOPED_TRACE(ForwardOnly ? "forward-only" : "bidirectional");
        Orders.Close();
        Customers.Close();
        Orders.SetForwardOnly(ForwardOnly);
        Customers.Open();
        Orders.Open();
        // The links hear nothing while the master's controls are disabled.
        Customers.DisableControls();
        Customers.Next();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{12}));
        Customers.Next();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{}));
        Customers.First();
        Orders.First();
        EXPECT_EQ(Orders.FieldByName("order_id")->AsInteger(), 10);
        Customers.EnableControls();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13}));
    }
}

TEST_F(MasterDetail, NoMasterRecordMeansNoRowsWhateverTheStatementSays)
{
    // A null customer would list every order.
    Orders.SQL()->SetText("SELECT order_id FROM orders WHERE customer_id = :customer_id OR :customer_id IS NULL "
                          "ORDER BY order_id");
    for (const bool ForwardOnly : {false, true}) {
        SCOPED_TRACE(ForwardOnly ? "forward-only" : "bidirectional");
        Customers.Close();
        Orders.Close();
        Customers.SQL()->SetText("SELECT customer_id FROM customers ORDER BY customer_id");
        Orders.SetForwardOnly(ForwardOnly);
        Orders.Open();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{})) << "the master is closed";
        EXPECT_EQ(Orders.FieldCount(), 1) << "the columns are known all the same";
        Customers.Open();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13})) << "the master opened";
        Customers.Close();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{}));
        Customers.SQL()->SetText("SELECT customer_id FROM customers WHERE customer_id > 100");
        Customers.Open();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{})) << "the master has no record";
        Orders.Close();
        Orders.Open();
        EXPECT_EQ(OrderIds(), (std::vector<Int64>{}));
    }
    // A value of the application's needs no master record.
    Orders.Close();
    Orders.ParamByName("customer_id")->SetAsInteger(2);
    Orders.Open();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12}));
}

TEST_F(MasterDetail, AMasterNeverFollowsItsOwnDetails)
{
    TDataSource OrderSource(nullptr);
    OrderSource.SetDataSet(&Orders);
    EXPECT_NE(ErrorOf([&] { Customers.SetDataSource(&OrderSource); }).find("own master"), std::string::npos);
    EXPECT_EQ(Customers.DataSource(), nullptr);
    TQuery Lines(nullptr);
    Lines.SetDatabase(&Db);
    Lines.SQL()->SetText("SELECT order_id FROM orders WHERE order_id = :order_id");
    Lines.SetDataSource(&OrderSource);
    TDataSource LineSource(nullptr);
    LineSource.SetDataSet(&Lines);
    EXPECT_NE(ErrorOf([&] { Customers.SetDataSource(&LineSource); }).find("own master"), std::string::npos)
        << "three queries round";

    // A ring closed afterwards through a source's data set runs to an end.
    TDataSource Later(nullptr);
    Customers.SQL()->SetText("SELECT customer_id FROM customers WHERE :order_id IS NOT NULL OR 1 = 1 "
                             "ORDER BY customer_id");
    Customers.SetDataSource(&Later);
    Later.SetDataSet(&Lines);
    Customers.Open();
    Orders.Open();
    Lines.Open();
    EXPECT_TRUE(Customers.Eof() && Orders.Eof() && Lines.Eof()) << "none of the ring has a record to start from";
    Customers.First();
    Orders.First();
    Lines.First();
    Lines.Close();
    EXPECT_TRUE(Customers.Eof());
}

TEST_F(MasterDetail, AnyKindOfDataSetCanBeTheMaster)
{
    TMemoryDataSet Master(nullptr);
    Master.Columns()->Add("CUSTOMER_ID:Integer");
    Master.Rows()->Add("2");
    Master.Rows()->Add("1");
    TDataSource Source(nullptr);
    Source.SetDataSet(&Master);
    Orders.SetDataSource(&Source);
    Master.Open();
    Orders.Open();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12})) << "the field's name matched whatever its case";
    Master.Next();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{10, 11, 13}));
    Master.Edit();
    Master.FieldByName("customer_id")->SetAsInteger(2);
    Master.Post();
    EXPECT_EQ(OrderIds(), (std::vector<Int64>{12})) << "the master's record changed in place";
}

TEST_F(MasterDetail, TheLinkIsReadFromAFormFile)
{
    Orders.SetDataSource(nullptr);
    const String Text = "object Form: TComponent\n"
                        "  object Lines: TQuery\n    Database = Db\n    DataSource = CustomerSource\n    Active = True\n"
                        "    SQL.Strings = ('SELECT order_id FROM orders WHERE customer_id = :customer_id')\n  end\n"
                        "  object Db: TDatabase\n    DatabaseName = '" +
                        FileName +
                        "'\n  end\n"
                        "  object Master: TQuery\n    Database = Db\n    Active = True\n"
                        "    SQL.Strings = ('SELECT customer_id FROM customers ORDER BY customer_id')\n  end\n"
                        "  object CustomerSource: TDataSource\n    DataSet = Master\n  end\n"
                        "end\n";
    std::unique_ptr<TComponent> Form(ReadComponentFromText(Text));
    auto* Lines = dynamic_cast<TQuery*>(Form->FindComponent("Lines"));
    auto* Master = dynamic_cast<TQuery*>(Form->FindComponent("Master"));
    ASSERT_TRUE(Lines && Master);
    EXPECT_EQ(Lines->DataSource(), Form->FindComponent("CustomerSource")) << "a reference to a later component";
    // The detail opens first, before its database is loaded too, with no master record yet.
    ASSERT_TRUE(Lines->Active() && Master->Active());
    EXPECT_EQ(Lines->FieldByName("order_id")->AsInteger(), 10);
    Master->Next();
    EXPECT_EQ(Lines->FieldByName("order_id")->AsInteger(), 12);
    EXPECT_NE(WriteComponentToText(Form.get()).find("DataSource = CustomerSource"), String::npos);
}

// On a server both may read row by row: the master's open result and each run of the detail
// each take a connection of their own.
using MasterDetailPostgres = test::PostgresTest;

TEST_F(MasterDetailPostgres, AForwardOnlyDetailFollowsAForwardOnlyMaster)
{
    Db.ExecSQL("CREATE TABLE customers (customer_id INTEGER, name VARCHAR(20))");
    Db.ExecSQL("INSERT INTO customers VALUES (1, 'Ann'), (2, 'Bob'), (3, 'Cid')");
    Db.ExecSQL("CREATE TABLE orders (order_id INTEGER, customer_id INTEGER)");
    Db.ExecSQL("INSERT INTO orders VALUES (10, 1), (11, 1), (12, 2), (13, 1)");
    TQuery Customers(nullptr), Orders(nullptr);
    TDataSource Source(nullptr);
    Customers.SetDatabase(&Db);
    Customers.SQL()->SetText("SELECT customer_id, name FROM customers ORDER BY customer_id");
    Source.SetDataSet(&Customers);
    Orders.SetDatabase(&Db);
    Orders.SQL()->SetText("SELECT order_id FROM orders WHERE customer_id = :customer_id ORDER BY order_id");
    Orders.SetDataSource(&Source);
    for (const bool ForwardOnly : {false, true}) {
        SCOPED_TRACE(ForwardOnly ? "forward-only" : "bidirectional");
        Orders.Close();
        Customers.Close();
        Customers.SetForwardOnly(ForwardOnly);
        Orders.SetForwardOnly(ForwardOnly);
        Customers.Open();
        Orders.Open();
        std::string Seen;
        for (; !Customers.Eof(); Customers.Next()) {
            Seen += Customers.FieldByName("name")->AsString() + ":";
            for (Orders.First(); !Orders.Eof(); Orders.Next())
                Seen += " " + Orders.FieldByName("order_id")->AsString();
            Seen += ";";
        }
        EXPECT_EQ(Seen, "Ann: 10 11 13;Bob: 12;Cid:;");
    }
}

} // namespace
