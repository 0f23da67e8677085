// The CSV reader, type inference, value texts, and the errors every kind of data set gives for bad input.

#include "common/TestErrors.h"
#include "platform/db/Csv.h"
#include "platform/db/CsvDataSet.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/db/ValueText.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace qor;
using test::ErrorOf;

namespace {

std::vector<std::vector<String>> ReadAll(const String& Text, TCsvOptions Options = {})
{
    TCsvReader R(Text, Options);
    std::vector<std::vector<String>> Rows;
    std::vector<String> Fields;
    while (R.ReadRecord(Fields))
        Rows.push_back(Fields);
    return Rows;
}

String DataFile(const char* Name) { return String(QOR_TEST_DATA_DIR) + "/db/" + Name; }

} // namespace

TEST(CsvReader, QuotedFieldsSeparatorsQuotesAndLineBreaks)
{
    const auto Rows = ReadAll("a,\"b,c\",\"say \"\"hi\"\"\"\r\n\"two\r\nlines\",,x\n");
    ASSERT_EQ(Rows.size(), 2u);
    EXPECT_EQ(Rows[0], (std::vector<String>{"a", "b,c", "say \"hi\""}));
    EXPECT_EQ(Rows[1], (std::vector<String>{"two\r\nlines", "", "x"}));
}

TEST(CsvReader, LineEndingsBlankLinesTrailingSeparatorAndBom)
{
    const auto Rows = ReadAll("\xEF\xBB\xBFx;y;\r\r\n\n1;2;3\r4;5;6");
    ASSERT_EQ(Rows.size(), 3u);
    EXPECT_EQ(Rows[0], (std::vector<String>{"x;y;"}));
    const auto Semi = ReadAll("x;y;\n1;2;3", TCsvOptions{';', '"'});
    EXPECT_EQ(Semi[0], (std::vector<String>{"x", "y", ""}));
    EXPECT_EQ(ReadAll("").size(), 0u);
    EXPECT_EQ(ReadAll("\n\n").size(), 0u);
}

TEST(CsvReader, ErrorsCarryTheLineNumber)
{
    TCsvReader R("a,b\nc,\"d\ne\nf");
    std::vector<String> Fields;
    EXPECT_TRUE(R.ReadRecord(Fields));
    try {
        R.ReadRecord(Fields);
        FAIL();
    } catch (const ECsvError& E) {
        EXPECT_EQ(E.Line(), 2);
    }
    TCsvReader R2("a\n\n\"x\"y,z");
    EXPECT_TRUE(R2.ReadRecord(Fields));
    try {
        R2.ReadRecord(Fields);
        FAIL();
    } catch (const ECsvError& E) {
        EXPECT_EQ(E.Line(), 3);
        EXPECT_EQ(E.Cause(), "unexpected text after a closing quote");
    }
}

TEST(ValueText, InvariantParsing)
{
    Int64 I;
    Double D;
    bool B;
    EXPECT_TRUE(ParseInvariantInt(" +42 ", I));
    EXPECT_EQ(I, 42);
    EXPECT_FALSE(ParseInvariantInt("4x", I));
    EXPECT_FALSE(ParseInvariantInt("99999999999999999999", I));
    EXPECT_TRUE(ParseInvariantFloat("-1.5e3", D));
    EXPECT_EQ(D, -1500);
    EXPECT_FALSE(ParseInvariantFloat("inf", D));
    EXPECT_FALSE(ParseInvariantFloat("1,5", D));
    EXPECT_TRUE(ParseInvariantBoolean("YES", B) && B);
    EXPECT_TRUE(ParseInvariantBoolean("f", B) && !B);
    EXPECT_FALSE(ParseInvariantBoolean("maybe", B));
    EXPECT_TRUE(ParseIsoDate("2024-02-29", D));
    EXPECT_EQ(D, EncodeDate(2024, 2, 29));
    EXPECT_FALSE(ParseIsoDate("2023-02-29", D));
    EXPECT_FALSE(ParseIsoDate("2023-1-2", D));
    EXPECT_TRUE(ParseIsoDateTime("2024-01-02T03:04:05.5", D));
    EXPECT_DOUBLE_EQ(D, EncodeDate(2024, 1, 2) + EncodeTime(3, 4, 5, 500));
    EXPECT_FALSE(ParseIsoTime("25:00", D));
    String S;
    EXPECT_TRUE(NormaliseDecimal("-000123.4500", S));
    EXPECT_EQ(S, "-123.45");
    EXPECT_TRUE(NormaliseDecimal("-0.000", S));
    EXPECT_EQ(S, "0");
    EXPECT_FALSE(NormaliseDecimal("1.2.3", S));
    EXPECT_TRUE(ParseInvariantCurrency("1.00005", I));
    EXPECT_EQ(I, 10000); // half to even
    EXPECT_TRUE(ParseInvariantCurrency("1.00015", I));
    EXPECT_EQ(I, 10002);
    EXPECT_TRUE(ParseInvariantCurrency("-2.5", I));
    EXPECT_EQ(I, -25000);
    EXPECT_EQ(FormatInvariantCurrency(-25000), "-2.5");
    EXPECT_EQ(FormatIsoDateTime(ComposeDateTime(EncodeDate(1899, 12, 29), 0.25)), "1899-12-29 06:00:00");
}

TEST(CsvDataSet, InfersTypesFromAFile)
{
    TCsvDataSet DS(nullptr);
    DS.SetFileName(DataFile("items.csv"));
    DS.Open();
    ASSERT_EQ(DS.FieldCount(), 6);
    EXPECT_EQ(DS.FieldByName("Name")->DataType(), ftString);
    EXPECT_EQ(DS.FieldByName("Name")->Size(), 13);
    EXPECT_EQ(DS.FieldByName("Qty")->DataType(), ftInteger);
    EXPECT_EQ(DS.FieldByName("Price")->DataType(), ftFloat);
    EXPECT_EQ(DS.FieldByName("Day")->DataType(), ftDate);
    EXPECT_EQ(DS.FieldByName("Paid")->DataType(), ftBoolean);
    EXPECT_EQ(DS.RecordCount(), 3);
    DS.Next();
    EXPECT_EQ(DS.FieldByName("Name")->AsString(), "Gadget, large");
    EXPECT_EQ(DS.FieldByName("Note")->AsString(), "multi\nline, with \"quotes\"");
    DS.Next();
    EXPECT_TRUE(DS.FieldByName("Qty")->IsNull());
    EXPECT_TRUE(DS.FieldByName("Paid")->AsBoolean());
    EXPECT_EQ(DS.FieldByName("Price")->AsFloat(), 0.125);
}

TEST(CsvDataSet, DeclaredColumnsWithoutHeader)
{
    TCsvDataSet DS(nullptr);
    DS.SetHasHeader(false);
    DS.SetSeparator(';');
    DS.Columns()->SetText("Code:String:4\nWhen:DateTime\nBig:Largeint\n");
    DS.SetCsvText("AB;2024-01-02 10:00;9000000000\n");
    DS.Open();
    EXPECT_EQ(DS.FieldByName("Code")->Size(), 4);
    EXPECT_EQ(DS.FieldByName("Big")->AsLargeInt(), 9000000000LL);
    EXPECT_THROW(DS.FieldByName("Big")->AsInteger(), EDatabaseError);
    EXPECT_EQ(DS.FieldByName("When")->DisplayText(), "1/2/2024 10:00:00 AM");
}

TEST(CsvDataSet, LongWholeNumbersStayText)
{
    TCsvDataSet DS(nullptr);
    DS.SetCsvText("Long,Wide,Fraction\n12345678901234567890123,-99999999999999999999,1.5\n7,1,12345678901234567890123\n");
    DS.Open();
    EXPECT_EQ(DS.FieldByName("Long")->DataType(), ftString);
    EXPECT_EQ(DS.FieldByName("Long")->AsString(), "12345678901234567890123");
    EXPECT_EQ(DS.FieldByName("Wide")->AsString(), "-99999999999999999999");
    EXPECT_EQ(DS.FieldByName("Fraction")->DataType(), ftString);   // its long number is not a float
    DS.Close();
    // Declared as a float, the column still reads them as floats; in range they are integers.
    DS.Columns()->SetText("Long:Float");
    DS.Open();
    EXPECT_DOUBLE_EQ(DS.FieldByName("Long")->AsFloat(), 1.2345678901234568e22);
    TCsvDataSet Fits(nullptr);
    Fits.SetCsvText("N\n9223372036854775807\n-9223372036854775808\n");
    Fits.Open();
    EXPECT_EQ(Fits.FieldByName("N")->DataType(), ftLargeint);
}

// Header names are matched ignoring case, Unicode case too; bytes that are not UTF-8 are only the
// same name when they are the same bytes.
TEST(CsvDataSet, HeaderNamesAreComparedByTheirText)
{
    auto OpenError = [](const String& Text, const String& Columns = {}) {
        TCsvDataSet DS(nullptr);
        DS.SetName("T");
        DS.SetCsvText(Text);
        DS.Columns()->SetText(Columns);
        return ErrorOf([&] { DS.Open(); });
    };
    EXPECT_EQ(OpenError("A\xff,A\xfe\n1,2\n"), "(no error)");
    EXPECT_EQ(OpenError("A\xff,a\xff\n1,2\n"), "T: the header in CSV text names column 'a\xff' twice");
    EXPECT_EQ(OpenError("Ärger,Name,ÄRGER\n1,2,3\n"), "T: the header in CSV text names column 'ÄRGER' twice");
    EXPECT_EQ(OpenError("Ärger,Name\n1,2\n", "ÄRGER:Integer\nname:String"), "(no error)");
    EXPECT_EQ(OpenError("Ärger,Name\n1,2\n", "Arger:Integer"), "T: Field 'Arger' not found in the header of CSV text");
}

// bench_CsvHeaderBench shows that opening is linear in the number of columns; this checks what a
// wide header opens to, found by the hashed name lookups.
TEST(CsvDataSet, WideHeaderOpens)
{
    String Header, Row;
    for (int i = 0; i < 2000; ++i) {
        Header += (i ? "," : "") + std::string("Größe") + std::to_string(i);
        Row += (i ? "," : "") + std::to_string(i);
    }
    TCsvDataSet DS(nullptr);
    DS.SetCsvText(Header + "\n" + Row + "\n");
    DS.Open();
    ASSERT_EQ(DS.FieldCount(), 2000);
    EXPECT_EQ(DS.FieldByName("GRÖßE1999")->AsInteger(), 1999);
    EXPECT_EQ(DS.FieldDefs()->IndexOf("größe123"), 123);
    DS.Close();
    EXPECT_EQ(DS.FieldCount(), 0);
}

TEST(DataSetErrors, CsvInputProblemsNameTheDataSetAndTheCause)
{
    TCsvDataSet DS(nullptr);
    DS.SetName("Items");
    DS.SetFileName(DataFile("no-such-file.csv"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }).rfind("Items: Cannot open file '", 0), 0u);
    EXPECT_FALSE(DS.Active());

    DS.SetFileName(DataFile("unclosed.csv"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }),
              "Items: malformed CSV in '" + DataFile("unclosed.csv") + "', line 3: quoted field is not closed");
    DS.SetFileName(DataFile("ragged.csv"));
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }),
              "Items: malformed CSV in '" + DataFile("ragged.csv") + "', line 3: expected 2 fields, found 3");

    DS.Columns()->SetText("A:Integer\nB:Date");
    DS.SetCsvText("A,B\n1,2024-01-01\n2,yesterday\n");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }),
              "Items: bad value in CSV text, line 3: 'yesterday' is not a valid Date value for field 'B'");
    DS.Columns()->SetText("A:Integer\nC:String");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }), "Items: Field 'C' not found in the header of CSV text");
    DS.Columns()->SetText("A:Whatever");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }),
              "Items: field declaration 1 'A:Whatever': unknown field type 'Whatever'");
    DS.Columns()->Clear();
    DS.SetCsvText("");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }), "Items: CSV text is empty: the header line is missing");
    EXPECT_FALSE(DS.Active());
}

TEST(DataSetErrors, SqlProblemsCarryTheDatabaseMessage)
{
    TDatabase Db(nullptr);
    Db.SetName("Db");
    Db.SetDatabaseName("/nonexistent-dir/x.db");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Db.Open(); }).rfind("Db: Cannot connect to '/nonexistent-dir/x.db': ", 0), 0u);
    EXPECT_FALSE(Db.Connected());

    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (a INTEGER, b TEXT)");
    Db.ExecSQL("INSERT INTO t VALUES (1, 'x'), (2, 'not a number')");
    TQuery Q(nullptr);
    Q.SetName("Q");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.Open(); }), "Q: No database given");
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELEKT * FROM t");
    const String Syntax = ErrorOf<EDatabaseError>([&] { Q.Open(); });
    EXPECT_EQ(Syntax.rfind("Q: SQL error: ", 0), 0u) << Syntax;
    EXPECT_NE(Syntax.find("syntax error"), String::npos) << Syntax;
    Q.SQL()->SetText("SELECT * FROM missing_table");
    EXPECT_NE(ErrorOf<EDatabaseError>([&] { Q.Open(); }).find("no such table"), String::npos);
    Q.SQL()->SetText("SELECT a FROM t WHERE a = :Wanted");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.ParamByName("Other"); }), "Q: Parameter 'Other' not found");
    Q.ParamByName("wanted")->SetAsInteger(2);
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), 1);
    Q.Close();
    // A text in a column declared INTEGER is refused with the row, not read as 0.
    Db.ExecSQL("CREATE TABLE u (n INTEGER)");
    Db.ExecSQL("INSERT INTO u VALUES (5), ('five')");
    Q.SQL()->SetText("SELECT n FROM u");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.Open(); }), "Q: row 2: 'five' is not a valid Integer value for field 'n'");
    // Opening a statement that returns no rows refuses it before it runs.
    Q.SQL()->SetText("DELETE FROM u");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.Open(); }), "Q: The statement returns no rows (use ExecSQL)");
    EXPECT_EQ(Q.ExecSQL(), 2);
}

TEST(DataSetErrors, AFailingQuerySaysOneThingAndNamesItsQuery)
{
    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (a INTEGER)");
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT nope FROM t");
    // the database's message alone, not run together with the driver's "Unable to execute statement"
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.Open(); }), "TQuery: SQL error: no such column: nope");
    Q.SetName("Orders");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.Open(); }), "Orders: SQL error: no such column: nope");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Q.ExecSQL(); }), "Orders: SQL error: no such column: nope");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Db.ExecSQL("UPDATE t SET nope = 1"); }), "TDatabase: SQL error: no such column: nope");
    TCsvDataSet Csv(nullptr);
    Csv.SetCsvText("");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { Csv.Open(); }), "TCsvDataSet: CSV text is empty: the header line is missing");
}

TEST(SqlQuery, DeclaredTypesAndParameters)
{
    Integer Size, Precision;
    EXPECT_EQ(FieldTypeOfDeclaredType("DECIMAL(10,2)", Size, Precision), ftBCD);
    EXPECT_EQ(Size, 2);
    EXPECT_EQ(Precision, 10);
    EXPECT_EQ(FieldTypeOfDeclaredType("numeric(30, 8)", Size, Precision), ftFMTBcd);
    EXPECT_EQ(FieldTypeOfDeclaredType("VARCHAR(40)", Size, Precision), ftString);
    EXPECT_EQ(Size, 40);
    EXPECT_EQ(FieldTypeOfDeclaredType("CHAR(3)", Size, Precision), ftFixedChar);
    EXPECT_EQ(FieldTypeOfDeclaredType("BIGINT", Size, Precision), ftLargeint);
    EXPECT_EQ(FieldTypeOfDeclaredType("TIMESTAMP", Size, Precision), ftDateTime);
    EXPECT_EQ(FieldTypeOfDeclaredType("", Size, Precision), ftUnknown);
    EXPECT_EQ(FindSqlParams("SELECT ':no', \"a:b\" FROM t WHERE x = :One -- :two\n AND y = :one::int AND z=:Three /* :four */"),
              (std::vector<String>{"One", "Three"}));

    TDatabase Db(nullptr);
    Db.SetDatabaseName(":memory:");
    Db.ExecSQL("CREATE TABLE t (d NUMERIC(30,8), c CHAR(4), g BLOB, s TEXT)");
    Db.ExecSQL("INSERT INTO t VALUES ('1234.12345678', 'ab  ', x'00FF10', 'hello'), (NULL, NULL, NULL, NULL)");
    TQuery Q(nullptr);
    Q.SetDatabase(&Db);
    Q.SQL()->SetText("SELECT d, c, g, s, length(s) AS n, s FROM t");
    Q.Open();
    EXPECT_EQ(Q.FieldByName("d")->DataType(), ftFMTBcd);
    EXPECT_EQ(Q.FieldByName("d")->AsString(), "1234.12345678");
    EXPECT_EQ(Q.FieldByName("c")->AsString(), "ab");
    EXPECT_EQ(Q.FieldByName("g")->DataType(), ftBlob);
    EXPECT_EQ(Q.FieldByName("g")->AsString(), String("\x00\xFF\x10", 3));
    EXPECT_EQ(Q.FieldByName("s")->Size(), 5); // width of an undeclared text is its longest value
    EXPECT_EQ(Q.FieldByName("n")->AsInteger(), 5);
    EXPECT_NE(Q.FindField("s_2"), nullptr); // repeated column names stay apart
    Q.Next();
    EXPECT_TRUE(Q.FieldByName("d")->IsNull());
    // Closing the database closes its queries.
    Db.Close();
    EXPECT_FALSE(Q.Active());
}

TEST(MemoryDataSet, RowsTextAndEditing)
{
    TMemoryDataSet DS(nullptr);
    DS.SetName("Mem");
    DS.Columns()->SetText("Id:AutoInc\nName:String:10\nWhen:Date\nPrice:Currency");
    DS.Rows()->Add("1,First,2024-03-01,9.99");
    DS.Rows()->Add("2,\"Se,cond\",,0");
    DS.Open();
    EXPECT_EQ(DS.RecordCount(), 2);
    EXPECT_EQ(DS.FieldByName("Price")->DisplayText(), "$9.99");
    DS.Last();
    EXPECT_EQ(DS.FieldByName("Name")->AsString(), "Se,cond");
    // Editing and posting, cancelling, deleting.
    DS.Edit();
    EXPECT_EQ(DS.State(), dsEdit);
    DS.FieldByName("Name")->SetAsString("Changed");
    DS.Post();
    EXPECT_EQ(DS.FieldByName("Name")->AsString(), "Changed");
    DS.Edit();
    DS.FieldByName("Name")->SetAsString("Dropped");
    DS.Cancel();
    EXPECT_EQ(DS.FieldByName("Name")->AsString(), "Changed");
    DS.InsertRecord({Int64(7), "Inserted"});
    EXPECT_EQ(DS.RecNo(), 2);
    EXPECT_EQ(DS.RecordCount(), 3);
    DS.First();
    DS.Delete();
    EXPECT_EQ(DS.FieldByName("Id")->AsInteger(), 7);
    // Values that do not fit leave the record unposted.
    EXPECT_THROW(DS.AppendRecord({Int64(8), "x", "not a date"}), EConvertError);
    EXPECT_EQ(DS.State(), dsBrowse);
    EXPECT_EQ(DS.RecordCount(), 2);
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.FieldByName("Name")->SetAsString("x"); }), "Mem: Dataset not in edit or insert mode");
    // Rows survive closing; changed row text is read again on the next open.
    DS.Close();
    DS.Open();
    EXPECT_EQ(DS.RecordCount(), 2);
    DS.Close();
    DS.Rows()->SetText("1,a,2024-13-01,1\n");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Open(); }),
              "Mem: Rows, line 1: '2024-13-01' is not a valid Date value for field 'When'");
}

TEST(DataSetErrors, ReadOnlyKindsRefuseEditing)
{
    TCsvDataSet DS(nullptr);
    DS.SetName("Csv");
    DS.SetCsvText("A\n1\n");
    DS.Open();
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.Edit(); }), "Csv: Cannot modify a read-only dataset");
    EXPECT_EQ(ErrorOf<EDatabaseError>([&] { DS.SetFileName("x"); }), "Csv: Cannot perform this operation on an open dataset");
}
