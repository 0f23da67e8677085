// The column store, fields made before opening, field definitions of closed data sets, CSV type
// inference corners, query parameters of every kind, and notifications while editing.

#include "common/TestErrors.h"
#include "platform/db/CsvDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/RecordStore.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

using namespace qor;
using test::ErrorOf;

namespace {

} // namespace

TEST(RecordStore, RowsMoveTogetherAcrossColumnsAndKeepNulls)
{
    TRecordStore S;
    S.Reset({ftInteger, ftFloat, ftString, ftBCD});
    for (Int64 i = 0; i < 3; ++i) {
        const Int64 R = S.AppendRow();
        S.SetInt(R, 0, i);
        S.SetFloat(R, 1, i + 0.5);
        S.SetText(R, 2, "row" + std::to_string(i));
    }
    EXPECT_TRUE(S.IsNull(0, 3));
    S.InsertRow(1);
    EXPECT_EQ(S.RowCount(), 4);
    for (Integer c = 0; c < 4; ++c)
        EXPECT_TRUE(S.IsNull(1, c));
    EXPECT_EQ(S.Text(2, 2), "row1");
    EXPECT_EQ(S.Float(2, 1), 1.5);
    S.DeleteRow(0);
    EXPECT_EQ(S.Int(0, 0), 0);
    EXPECT_TRUE(S.IsNull(0, 0));
    EXPECT_EQ(S.Int(1, 0), 1);
    S.SetNull(1, 2);
    EXPECT_TRUE(S.IsNull(1, 2));
    EXPECT_EQ(S.Text(1, 2), "");
    TRecordStore Copy;
    Copy.ResetColumnsFrom(S);
    EXPECT_EQ(Copy.ColumnCount(), 4);
    EXPECT_EQ(Copy.RowCount(), 0);
    Copy.AppendRow();
    Copy.CopyRow(S, 2, 0);
    EXPECT_EQ(Copy.Text(0, 2), "row2");
    EXPECT_EQ(Copy.Kind(3), TStorageKind::Currency);
    EXPECT_EQ(StorageKindOf(ftFMTBcd), TStorageKind::Text);
    EXPECT_EQ(StorageKindOf(ftDate), TStorageKind::Float);
}

TEST(FieldBinding, FieldsMadeBeforeOpeningAreBoundByName)
{
    TCsvDataSet DS(nullptr);
    DS.SetName("People");
    DS.SetCsvText("Id,Name,Age\n1,Ann,30\n2,Ben,40\n");
    // Field definitions of a closed data set come from its source without opening it.
    DS.FieldDefs()->Update();
    EXPECT_FALSE(DS.Active());
    ASSERT_EQ(DS.FieldDefs()->Count(), 3);
    TStringList Names;
    DS.GetFieldNames(&Names);
    EXPECT_EQ(Names.CommaText(), "Id,Name,Age");
    // Only the fields made are visible once open, in the order they were made.
    TField* Age = DS.FieldDefs()->Find("Age")->CreateField(&DS);
    TField* Name = DS.FieldDefs()->Find("name")->CreateField(&DS);
    DS.Open();
    EXPECT_EQ(DS.FieldCount(), 2);
    EXPECT_EQ(DS.Fields()->Fields(0), Age);
    EXPECT_EQ(Age->FieldNo(), 3);
    DS.Last();
    EXPECT_EQ(Name->AsString(), "Ben");
    EXPECT_EQ(Age->AsInteger(), 40);
    EXPECT_THROW(Age->SetDataSet(nullptr), EDatabaseError);
    DS.Close();
    // Persistent fields stay after closing, unbound.
    EXPECT_EQ(DS.FieldCount(), 2);
    EXPECT_TRUE(Age->IsNull());
    // Freeing a field takes it out of the list.
    Free(Name);
    EXPECT_EQ(DS.FieldCount(), 1);
    // A field the source does not have keeps the data set closed.
    auto* Ghost = new TIntegerField(&DS);
    Ghost->SetFieldName("Ghost");
    Ghost->SetDataSet(&DS);
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "People: Field 'Ghost' not found");
    EXPECT_FALSE(DS.Active());
    Free(Ghost);
    auto* Wrong = new TStringField(&DS);
    Wrong->SetFieldName("Id");
    Wrong->SetDataSet(&DS);
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "People: Type mismatch for field 'Id', expecting: String actual: Integer");
}

TEST(CsvInference, MixedColumnsTakeTheWidestType)
{
    TCsvDataSet DS(nullptr);
    DS.SetHasHeader(false);
    DS.SetCsvText("1,1,0,2024-01-01,x,,5000000000,true\n"
                  "2.5,a,1,2024-01-02 03:04,,,1,no\n");
    DS.Open();
    const TFieldType Expected[] = {ftFloat, ftString, ftInteger, ftDateTime, ftString, ftString, ftLargeint, ftBoolean};
    ASSERT_EQ(DS.FieldCount(), 8);
    for (Integer i = 0; i < 8; ++i) {
        EXPECT_EQ(DS.Fields()->Fields(i)->DataType(), Expected[i]) << i;
        EXPECT_EQ(DS.Fields()->Fields(i)->FieldName(), "Field" + std::to_string(i + 1));
    }
    EXPECT_EQ(DS.FieldByName("Field6")->Size(), 1);
    EXPECT_EQ(DS.FieldByName("Field4")->AsDateTime(), EncodeDate(2024, 1, 1));
    EXPECT_EQ(DS.FieldByName("Field2")->AsString(), "1");
}

TEST(CsvInference, HeaderProblems)
{
    TCsvDataSet DS(nullptr);
    DS.SetCsvText("A,,C\n1,2,3\n");
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "TCsvDataSet: column 2 of the header in CSV text has no name");
    DS.SetCsvText("A,a\n1,2\n");
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "TCsvDataSet: the header in CSV text names column 'a' twice");
    DS.SetCsvText("Name\n\xC3\x84rger\n");
    DS.Open();
    EXPECT_EQ(DS.FieldByName("Name")->AsString(), "\xC3\x84rger");
}

TEST(SqlParameters, EveryKindRoundTrips)
{
    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (d DATE, ts DATETIME, tm TIME, c DECIMAL(12,4), b BLOB, s TEXT, f BOOLEAN)");
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("INSERT INTO t VALUES (:d, :ts, :tm, :c, :b, :s, :f)");
    ASSERT_EQ(Q.Params()->Count(), 7);
    Q.ParamByName("d")->SetAsDateTime(EncodeDate(2001, 2, 3));
    Q.ParamByName("ts")->SetAsDateTime(EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 7));
    Q.ParamByName("tm")->SetAsString("23:59:58");
    Q.ParamByName("c")->SetAsCurrency(Currency::FromRaw(-12345678));
    Q.ParamByName("b")->SetValue(TFieldValue::FromBytes(String("\0\1\2", 3)));
    Q.ParamByName("s")->SetAsString("\xE2\x82\xAC 5");
    Q.ParamByName("f")->SetAsBoolean(true);
    EXPECT_EQ(Q.ExecSQL(), 1);
    Q.SQL()->SetText("SELECT * FROM t WHERE s = :s OR s = :S");
    EXPECT_EQ(Q.Params()->Count(), 1);
    Q.ParamByName("s")->SetAsString("\xE2\x82\xAC 5"); // a repeated name binds every use
    Q.Open();
    ASSERT_EQ(Q.RecordCount(), 1);
    EXPECT_EQ(Q.FieldByName("d")->AsDateTime(), EncodeDate(2001, 2, 3));
    EXPECT_DOUBLE_EQ(Q.FieldByName("ts")->AsDateTime(), EncodeDate(2001, 2, 3) + EncodeTime(4, 5, 6, 7));
    EXPECT_EQ(Q.FieldByName("tm")->DataType(), ftTime);
    EXPECT_DOUBLE_EQ(Q.FieldByName("tm")->AsDateTime(), EncodeTime(23, 59, 58, 0));
    EXPECT_EQ(Q.FieldByName("c")->AsCurrency(), Currency::FromRaw(-12345678));
    EXPECT_EQ(Q.FieldByName("b")->AsString(), String("\0\1\2", 3));
    EXPECT_EQ(Q.FieldByName("s")->AsString(), "\xE2\x82\xAC 5");
    EXPECT_TRUE(Q.FieldByName("f")->AsBoolean());
    EXPECT_EQ(Q.FieldDefs()->Find("c")->SourceType(), "DECIMAL(12,4)");
    // Changing the statement closes the query and keeps values of names that stay.
    Q.SQL()->SetText("SELECT count(*) AS n FROM t WHERE s <> :s");
    EXPECT_FALSE(Q.Active());
    Q.Open();
    EXPECT_EQ(Q.FieldByName("n")->AsInteger(), 0);
}

// SQLite rows are read as the values the database holds: amounts kept as REAL in a DECIMAL column
// by their shortest text (rounded to four decimals, half to even), text as the driver hands it over
// (what is not UTF-8, and U+FFFF, as U+FFFD), in both reading modes.
TEST(SqliteValues, ReadAsTheDatabaseHoldsThem)
{
    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (n INTEGER, a DECIMAL(10,2), s TEXT)");
    Db.ExecSQL("INSERT INTO t VALUES (1, 0.1 + 0.2, CAST(x'efbfbf41' AS TEXT)), (2, 123.456789, CAST(x'41ff' AS TEXT)), "
               "(3, -0.0, 'caf\xC3\xA9'), (4, 100000.0, NULL), (5, -1234.05, ''), (6, 0.00005, 'x'), "
               "(7, 0, CAST(x'41424344454647484aefbfbf' AS TEXT))");
    const Int64 Raw[] = {3000, 1234568, 0, 1000000000, -12340500, 0, 0};
    const char* const Texts[] = {"\xEF\xBF\xBD" "A", "A\xEF\xBF\xBD", "caf\xC3\xA9", "", "", "x",
                                 "ABCDEFGHJ\xEF\xBF\xBD"};
    for (bool ForwardOnly : {true, false}) {
        TQuery Q(nullptr);
        Q.SetDatabase(&Db);
        Q.SetForwardOnly(ForwardOnly);
        // A colon word in a comment is no parameter.
        Q.SQL()->SetText("SELECT n, a, s FROM t -- read at 10:30\nORDER BY n /* n:1 */");
        Q.Open();
        for (std::size_t i = 0; i < 7; ++i, Q.Next()) {
            ASSERT_FALSE(Q.Eof());
            EXPECT_EQ(Q.FieldByName("a")->AsCurrency().Raw(), Raw[i]) << i;
            EXPECT_EQ(Q.FieldByName("s")->AsString(), Texts[i]) << i;
        }
        EXPECT_TRUE(Q.Eof());
    }
    // A column of no declared type takes the type of its first value.
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT a * 1e10 AS a FROM t WHERE n = 2");
    Q.Open();
    EXPECT_EQ(Q.FieldByName("a")->DataType(), ftFloat);
    Db.ExecSQL("UPDATE t SET a = 1e15 WHERE n = 2");
    Q.SQL()->SetText("SELECT a FROM t WHERE n = 2");
    EXPECT_EQ(ErrorOf([&] { Q.Open(); }), "TQuery: row 1: '1000000000000000' is not a valid BCD value for field 'a'");
}

TEST(EditingNotifications, FieldChangesReachOnlyTheirLinks)
{
    TMemoryDataSet DS(nullptr);
    DS.Columns()->SetText("A:Integer\nB:String");
    TDataSource Source(nullptr);
    Source.SetDataSet(&DS);
    TFieldDataLink LinkA, LinkB;
    Integer AChanges = 0, BChanges = 0, Editing = 0;
    LinkA.OnDataChange = [&](TObject*) { ++AChanges; };
    LinkB.OnDataChange = [&](TObject*) { ++BChanges; };
    LinkA.OnEditingChange = [&](TObject*) { ++Editing; };
    LinkA.SetFieldName("A");
    LinkB.SetFieldName("B");
    LinkA.SetDataSource(&Source);
    LinkB.SetDataSource(&Source);
    std::vector<TDataSetState> States;
    Source.OnStateChange = [&](TObject*) { States.push_back(Source.State()); };
    DS.Open();
    AChanges = BChanges = 0;
    DS.Append();
    EXPECT_TRUE(LinkA.Editing());
    DS.FieldByName("A")->SetAsInteger(1);
    EXPECT_EQ(AChanges, 1);
    EXPECT_EQ(BChanges, 0);
    DS.Post();
    EXPECT_FALSE(LinkA.Editing());
    EXPECT_EQ(Editing, 2);
    EXPECT_EQ(States, (std::vector<TDataSetState>{dsBrowse, dsInsert, dsBrowse}));
    // A disabled source tells nothing and reads inactive.
    Source.SetEnabled(false);
    EXPECT_FALSE(LinkA.Active());
    EXPECT_EQ(LinkA.Field(), nullptr);
    Source.SetEnabled(true);
    ASSERT_NE(LinkA.Field(), nullptr);
    EXPECT_EQ(LinkA.Field()->AsInteger(), 1);
    // Nested disabling holds the change back until the outermost enable.
    Integer Changes = 0;
    Source.OnDataChange = [&](TObject*, TField*) { ++Changes; };
    DS.DisableControls();
    DS.DisableControls();
    DS.AppendRecord({Int64(2), "b"});
    DS.EnableControls();
    EXPECT_EQ(Changes, 0);
    DS.EnableControls();
    EXPECT_EQ(Changes, 1);
    // Required fields are checked when posting.
    DS.FieldByName("B")->SetRequired(true);
    EXPECT_THROW(DS.AppendRecord({Int64(3)}), EDatabaseError);
    EXPECT_EQ(DS.RecordCount(), 2);
}

TEST(MemoryDataSetDefs, DefinitionsFromCodeAndErrors)
{
    TMemoryDataSet DS(nullptr);
    DS.SetName("M");
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "M: No fields defined");
    DS.FieldDefs()->Add("X", ftFloat);
    EXPECT_EQ(ErrorOf([&] { DS.FieldDefs()->Add("x", ftInteger); }), "M: Duplicate field name 'x'");
    DS.CreateDataSet();
    DS.AppendRecord({1.25});
    EXPECT_EQ(ErrorOf([&] { DS.AppendRecord({1.0, 2.0}); }), "M: Too many values: 2 for 1 fields");
    EXPECT_EQ(DS.RecordCount(), 1);
    DS.EmptyDataSet();
    EXPECT_TRUE(DS.IsEmpty());
    EXPECT_EQ(ErrorOf([&] { DS.Delete(); }), "M: Cannot perform this operation on an empty dataset");
    DS.Close();
    DS.Columns()->SetText("Y:Nonsense:3");
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "M: field declaration 1 'Y:Nonsense:3': unknown field type 'Nonsense'");
    DS.Columns()->SetText("Y:String:-3");
    EXPECT_EQ(ErrorOf([&] { DS.Open(); }), "M: field declaration 1 'Y:String:-3': bad size '-3'");
}
