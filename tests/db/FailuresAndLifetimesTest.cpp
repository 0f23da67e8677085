// Data sets after a failed open, fields freed while in use, emptying while editing, and values that
// do not fit their declared column.

#include "common/TestErrors.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

using namespace qor;
using test::ErrorOf;

namespace {

} // namespace

TEST(FailedOpen, LeavesNoFieldsBehind)
{
    TMemoryDataSet DS(nullptr);
    DS.SetName("Mem");
    DS.FieldDefs()->Add("A", ftInteger);
    DS.FieldDefs()->Add("X", ftADT);
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "Mem: Field type ftADT is not supported");
    EXPECT_FALSE(DS.Active());
    EXPECT_EQ(DS.FieldCount(), 0);
    // The next open makes the fields of the definitions as they are then.
    DS.FieldDefs()->Clear();
    DS.FieldDefs()->Add("B", ftInteger);
    DS.Open();
    ASSERT_EQ(DS.FieldCount(), 1);
    EXPECT_EQ(DS.Fields()->Fields(0)->FieldName(), "B");
}

TEST(FieldLifetime, FreeingAFieldOfAnOpenDataSetLetsGoOfItsLinks)
{
    TMemoryDataSet DS(nullptr);
    DS.FieldDefs()->Add("A", ftInteger);
    DS.FieldDefs()->Add("B", ftString, 10);
    auto* A = new TIntegerField(nullptr);
    A->SetFieldName("A");
    A->SetDataSet(&DS);
    DS.Open();
    DS.AppendRecord({Int64(5)});
    TDataSource Source(nullptr);
    Source.SetDataSet(&DS);
    TFieldDataLink Link;
    Link.SetFieldName("A");
    Link.SetDataSource(&Source);
    ASSERT_EQ(Link.Field(), A);
    Free(A);
    // As when a field is taken away: the data set closes, and nobody keeps the freed field.
    EXPECT_FALSE(DS.Active());
    EXPECT_EQ(Link.Field(), nullptr);
    EXPECT_EQ(DS.FieldCount(), 0);
    DS.Open();
    EXPECT_NE(Link.Field(), nullptr);
    EXPECT_EQ(Link.Field()->AsInteger(), 5);
}

TEST(FieldLifetime, ClosingWithControlsDisabledStillLetsGoOfTheFields)
{
    TMemoryDataSet DS(nullptr);
    DS.Columns()->SetText("A:Integer");
    DS.Open();
    DS.AppendRecord({Int64(5)});
    TDataSource Source(nullptr);
    Source.SetDataSet(&DS);
    TFieldDataLink Link;
    Link.SetFieldName("A");
    Link.SetDataSource(&Source);
    ASSERT_NE(Link.Field(), nullptr);
    DS.DisableControls();
    DS.Close();
    EXPECT_FALSE(Link.Active());
    EXPECT_EQ(Link.Field(), nullptr);
    DS.Open();
    DS.Next();
    EXPECT_EQ(Link.Field(), nullptr); // told when controls come back
    DS.EnableControls();
    EXPECT_TRUE(Link.Active());
    EXPECT_EQ(Link.Field(), DS.FieldByName("A"));
    EXPECT_EQ(Link.Field()->AsInteger(), 5);
}

TEST(MemoryDataSetEmptying, WhileEditingDropsTheEdit)
{
    TMemoryDataSet DS(nullptr);
    DS.Columns()->SetText("A:Integer");
    DS.Open();
    DS.AppendRecord({Int64(1)});
    DS.AppendRecord({Int64(2)});
    DS.Last();
    DS.Edit();
    DS.FieldByName("A")->SetAsInteger(3);
    DS.EmptyDataSet();
    EXPECT_EQ(DS.State(), dsBrowse);
    EXPECT_EQ(DS.RecordCount(), 0);
    EXPECT_TRUE(DS.Eof());
    EXPECT_TRUE(DS.FieldByName("A")->IsNull());
    DS.Append();
    DS.EmptyDataSet();
    EXPECT_EQ(DS.RecordCount(), 0);
    DS.AppendRecord({Int64(4)});
    EXPECT_EQ(DS.FieldByName("A")->AsInteger(), 4);
}

TEST(SqlValues, NumbersBeyondTheDeclaredIntegerAreRefused)
{
    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (n INTEGER)");
    Db.ExecSQL("INSERT INTO t VALUES (7.0), (1e30)");
    TQuery Q(nullptr);
    Q.SetName("Q");
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT n FROM t ORDER BY n");
    EXPECT_EQ(ErrorOf([&] { Q.Open(); }), "Q: row 2: '1e+30' is not a valid Integer value for field 'n'");
    Db.ExecSQL("DELETE FROM t WHERE n > 100");
    Q.Open();
    EXPECT_EQ(Q.FieldByName("n")->AsInteger(), 7);
}
