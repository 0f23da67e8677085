// Field conversions and limits, blob streams, and data sets read back from form files.

#include "common/TestErrors.h"
#include "platform/db/CsvDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace qor;
using test::ErrorOf;

namespace {

// A memory data set with one row being appended, so every field kind can be written and read back.
class FieldConversions : public ::testing::Test {
protected:
    void SetUp() override
    {
        DS.SetName("Kinds");
        DS.Columns()->SetText("S:String:5\nSm:Smallint\nW:Word\nI:Integer\nL:Largeint\nB:Boolean\nF:Float\n"
                              "Sg:Single\nC:Currency\nBcd:BCD\nFmt:FMTBcd\nD:Date\nT:Time\nDT:DateTime\n"
                              "M:Memo\nWM:WideMemo\nG:Graphic\nBl:Blob\nBy:Bytes\nWs:WideString\nFc:FixedChar:4");
        DS.Open();
        DS.Append();
    }
    TField* F(const char* Name) { return DS.FieldByName(Name); }

    TMemoryDataSet DS{nullptr};
};

} // namespace

TEST_F(FieldConversions, EachKindLaysOutAndKeepsItsValueAsItsTypeAsks)
{
    // Numbers line up right and text left; a string is as wide as its size.
    EXPECT_EQ(F("I")->Alignment(), taRightJustify);
    EXPECT_EQ(F("S")->Alignment(), taLeftJustify);
    EXPECT_EQ(F("S")->DisplayWidth(), 5);
    // Memos, graphics and blobs are read through streams; strings and fixed bytes are not.
    for (const char* N : {"M", "WM", "G", "Bl"})
        EXPECT_TRUE(F(N)->IsBlob()) << N;
    for (const char* N : {"S", "Ws", "Fc", "By"})
        EXPECT_FALSE(F(N)->IsBlob()) << N;
    // The wide kinds keep any character, line breaks too.
    F("Ws")->SetAsString("Gr\xC3\xB6\xC3\x9F" "e \xE2\x9C\x93");
    EXPECT_EQ(F("Ws")->AsString(), "Gr\xC3\xB6\xC3\x9F" "e \xE2\x9C\x93");
    F("WM")->SetAsString("one\r\ntwo \xE2\x9C\x93");
    EXPECT_EQ(F("WM")->AsString(), "one\r\ntwo \xE2\x9C\x93");
    // Types keep the ordinals and names files store; a type without a field kind is refused.
    EXPECT_EQ(static_cast<Integer>(ftFMTBcd), 37);
    EXPECT_EQ(static_cast<Integer>(ftSingle), 51);
    EXPECT_EQ(F("Fc")->DataType(), ftFixedChar);
    EXPECT_STREQ(FieldTypeName(ftWideMemo), "ftWideMemo");
    EXPECT_THROW(CreateFieldOfType(ftADT, nullptr), EDatabaseError);
}

TEST_F(FieldConversions, EveryKindStartsNull)
{
    ASSERT_EQ(DS.FieldCount(), 21);
    for (Integer i = 0; i < DS.FieldCount(); ++i) {
        TField* Fld = DS.Fields()->Fields(i);
        EXPECT_TRUE(Fld->IsNull()) << Fld->FieldName();
        EXPECT_EQ(Fld->AsString(), "") << Fld->FieldName();
        EXPECT_EQ(Fld->DisplayText(), "") << Fld->FieldName();
        EXPECT_TRUE(Fld->AsVariant().IsNull()) << Fld->FieldName();
    }
    // Numbers read from a null are zero.
    for (const char* N : {"Sm", "W", "I", "L", "F", "Sg", "C", "Bcd", "Fmt"})
        EXPECT_EQ(F(N)->AsFloat(), 0.0) << N;
    EXPECT_EQ(F("Fmt")->AsCurrency(), Currency());
    EXPECT_EQ(F("T")->AsDateTime(), 0.0);
    TMemoryStream Out;
    static_cast<TBlobField*>(F("G"))->SaveToStream(&Out);
    EXPECT_EQ(Out.Size(), 0);
}

TEST_F(FieldConversions, BothDecimalKindsShowTextMoneyAndFormatsAlike)
{
    for (const char* N : {"Bcd", "Fmt"}) {
        auto* D = dynamic_cast<TDecimalField*>(F(N));
        ASSERT_NE(D, nullptr) << N;
        D->SetAsString(" 1234.5 ");
        EXPECT_EQ(D->Text(), "1234.5") << N;
        EXPECT_EQ(D->DisplayText(), "1234.5") << N;
        D->SetCurrency(true);
        EXPECT_EQ(D->DisplayText(), "$1,234.50") << N;   // money only on display
        EXPECT_EQ(D->Text(), "1234.5") << N;
        D->SetDisplayFormat("#,##0.000");                 // a format wins over money
        EXPECT_EQ(D->DisplayText(), "1,234.500") << N;
        D->SetAsString("  ");
        EXPECT_TRUE(D->IsNull()) << N;
        EXPECT_EQ(D->DisplayText(), "") << N;
        EXPECT_NE(ErrorOf([&] { D->SetAsString("12x"); }), "(no error)") << N;
        EXPECT_TRUE(D->IsNull()) << N;
    }
}

TEST_F(FieldConversions, IntegerRangesAndTextInput)
{
    F("Sm")->SetAsString(" -32768 ");
    EXPECT_EQ(F("Sm")->AsInteger(), -32768);
    EXPECT_EQ(ErrorOf([&] { F("Sm")->SetAsInteger(40000); }),
              "Kinds: 40000 is not a valid value for field 'Sm'. The allowed range is -32768 to 32767");
    EXPECT_EQ(ErrorOf([&] { F("W")->SetAsInteger(-1); }),
              "Kinds: -1 is not a valid value for field 'W'. The allowed range is 0 to 65535");
    EXPECT_EQ(ErrorOf([&] { F("I")->SetAsString("abc"); }), "'abc' is not a valid integer value");
    EXPECT_NE(ErrorOf([&] { F("I")->SetAsLargeInt(1LL << 40); }).find("is not a valid value for field 'I'"), String::npos);
    F("L")->SetAsLargeInt(1LL << 40);
    EXPECT_EQ(ErrorOf([&] { F("L")->AsInteger(); }), "Kinds: 1099511627776 is out of range for field 'L' read as Integer");
    F("I")->SetAsFloat(2.5);
    EXPECT_EQ(F("I")->AsInteger(), 2);
    F("I")->SetAsString("");
    EXPECT_TRUE(F("I")->IsNull());
    EXPECT_EQ(ErrorOf([&] { F("I")->AsDateTime(); }), "Kinds: Cannot access field 'I' as type DateTime");
    static_cast<TIntegerField*>(F("I"))->SetMaxValue(10);
    EXPECT_THROW(F("I")->SetAsInteger(11), EDatabaseError);
}

TEST_F(FieldConversions, FloatsDecimalsAndCurrency)
{
    F("F")->SetAsString("1e300");
    EXPECT_EQ(F("F")->AsFloat(), 1e300);
    EXPECT_EQ(ErrorOf([&] { F("F")->AsInteger(); }).rfind("Kinds: ", 0), 0u);
    EXPECT_THROW(F("F")->SetAsFloat(std::numeric_limits<double>::infinity()), EDatabaseError);
    F("Sg")->SetAsFloat(0.1);
    EXPECT_EQ(F("Sg")->AsString(), "0.1");
    EXPECT_THROW(F("Sg")->SetAsFloat(1e300), EDatabaseError);
    F("C")->SetAsFloat(-1234.5);
    EXPECT_EQ(F("C")->DisplayText(), "($1,234.50)");
    EXPECT_EQ(F("C")->Text(), "-1234.50");
    F("Bcd")->SetAsString("2.00005");
    EXPECT_EQ(F("Bcd")->AsCurrency().Raw(), 20000);
    F("Bcd")->SetAsCurrency(Currency::FromRaw(-25000));
    EXPECT_EQ(F("Bcd")->AsInteger(), -2); // halves to even
    F("Fmt")->SetAsString("123456789012345678.123456789");
    EXPECT_EQ(F("Fmt")->AsString(), "123456789012345678.123456789");
    F("Fmt")->SetAsFloat(0.5);
    EXPECT_EQ(F("Fmt")->AsString(), "0.5");
    F("Fmt")->SetAsCurrency(Currency::FromRaw(12345));
    EXPECT_EQ(F("Fmt")->AsFloat(), 1.2345);
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(F("Fmt")->AsString(), "1,2345");
    F("Fmt")->SetAsString("7,25");
    FormatSettings() = DefaultFormatSettings();
    EXPECT_EQ(F("Fmt")->AsString(), "7.25");
}

TEST_F(FieldConversions, BooleansDatesAndStrings)
{
    auto* B = static_cast<TBooleanField*>(F("B"));
    B->SetDisplayValues("Ja;Nein");
    B->SetAsString("nein");
    EXPECT_FALSE(B->AsBoolean());
    EXPECT_EQ(B->DisplayText(), "Nein");
    EXPECT_EQ(B->DisplayWidth(), 4);
    B->SetAsString("TRUE");
    EXPECT_TRUE(B->AsBoolean());
    EXPECT_EQ(ErrorOf([&] { B->SetAsString("vielleicht"); }),
              "Kinds: 'vielleicht' is not a valid boolean value for field 'B'");
    F("D")->SetAsDateTime(EncodeDate(2024, 2, 29) + 0.75);
    EXPECT_EQ(F("D")->AsDateTime(), EncodeDate(2024, 2, 29)); // a date keeps no time
    F("T")->SetAsString("13:45:10");
    EXPECT_EQ(F("T")->DisplayText(), "1:45:10 PM");
    F("DT")->SetAsString("3/4/2021 5:06 PM");
    EXPECT_EQ(F("DT")->AsString(), "3/4/2021 5:06:00 PM");
    EXPECT_THROW(F("DT")->SetAsString("31/31/2021"), EConvertError);
    F("S")->SetAsInteger(42);
    EXPECT_EQ(F("S")->AsFloat(), 42.0);
    F("S")->SetAsString("yes");
    EXPECT_TRUE(F("S")->AsBoolean());
    F("S")->SetAsString("2024-05-06");
    EXPECT_EQ(F("S")->AsDateTime(), EncodeDate(2024, 5, 6));
    F("Fc")->SetAsString("ab  ");
    EXPECT_EQ(F("Fc")->AsString(), "ab");
}

TEST_F(FieldConversions, BlobStreamsAndDisplayTexts)
{
    auto* G = static_cast<TBlobField*>(F("G"));
    const String Bytes("\x89PNG\x00\x01\xFF", 7);
    TMemoryStream In;
    In.WriteString("junk");
    In.WriteString(Bytes);
    In.SetPosition(4);
    G->LoadFromStream(&In);
    EXPECT_EQ(G->BlobSize(), 7);
    EXPECT_EQ(G->DisplayText(), "(GRAPHIC)");
    TMemoryStream Out;
    G->SaveToStream(&Out);
    EXPECT_EQ(Out.Size(), 7);
    EXPECT_EQ(String(static_cast<const char*>(Out.Memory()), 7), Bytes);
    F("M")->SetAsString("memo text");
    EXPECT_EQ(F("M")->DisplayText(), "memo text");
    F("Bl")->SetAsString("x");
    EXPECT_EQ(F("Bl")->DisplayText(), "(BLOB)");
    EXPECT_EQ(F("Bl")->AsVariant().Kind(), TValueKind::Bytes);
    // Fixed-size bytes are saved the way blobs are.
    F("By")->SetAsString(String("\x01\x00\x02", 3));
    TMemoryStream ByOut;
    static_cast<TBinaryField*>(F("By"))->SaveToStream(&ByOut);
    EXPECT_EQ(String(static_cast<const char*>(ByOut.Memory()), static_cast<std::size_t>(ByOut.Size())),
              String("\x01\x00\x02", 3));
    DS.Post();
    DS.First();
    TMemoryStream Again;
    static_cast<TBlobField*>(F("G"))->SaveToStream(&Again);
    EXPECT_EQ(Again.Size(), 7);
    EXPECT_EQ(F("M")->AsVariant(), TFieldValue("memo text"));
}

TEST(DataSetLifetime, FreeingASourceOrDataSetLeavesNoDanglingLinks)
{
    auto* DS = new TMemoryDataSet(nullptr);
    DS->Columns()->SetText("A:Integer");
    auto* Source = new TDataSource(nullptr);
    Source->SetDataSet(DS);
    TFieldDataLink Link;
    Link.SetFieldName("A");
    Link.SetDataSource(Source);
    DS->Open();
    EXPECT_TRUE(Link.Active());
    ASSERT_NE(Link.Field(), nullptr);
    Free(DS);
    EXPECT_EQ(Source->DataSet(), nullptr);
    EXPECT_FALSE(Link.Active());
    EXPECT_EQ(Link.Field(), nullptr);
    Free(Source);
    EXPECT_EQ(Link.DataSource(), nullptr);
}

TEST(DataSetForms, CsvDataSetAndSqliteQueryReadBackFromAFormFile)
{
    char Name[] = "/tmp/qor_form_db_XXXXXX";
    const int Fd = mkstemp(Name);
    ASSERT_GE(Fd, 0);
    close(Fd);
    {
        TDatabase Db(nullptr);
        Db.SetDatabaseName(Name);
        Db.ExecSQL("CREATE TABLE people (id INTEGER, name VARCHAR(20), born DATE)");
        Db.ExecSQL("INSERT INTO people VALUES (1, 'Ann', '1970-01-02'), (2, 'Ben', '1980-03-04')");
    }
    const String Form = "object Form1: TComponent\n"
                        "  object Items: TCsvDataSet\n"
                        "    FileName = '" + String(QOR_TEST_DATA_DIR) + "/db/items.csv'\n"
                        "    Active = True\n"
                        "  end\n"
                        "  object Query1: TQuery\n"
                        "    Database = Db1\n"
                        "    SQL.Strings = ('SELECT * FROM people' 'WHERE id > :MinId')\n"
                        "  end\n"
                        "  object Db1: TDatabase\n"
                        "    DatabaseName = '" + String(Name) + "'\n"
                        "  end\n"
                        "  object Mem1: TMemoryDataSet\n"
                        "    Columns.Strings = ('Code:String:3' 'Qty:Integer')\n"
                        "    Rows.Strings = ('abc,1' '\"d,e\",2')\n"
                        "    Active = True\n"
                        "  end\n"
                        "  object Source1: TDataSource\n"
                        "    DataSet = Query1\n"
                        "  end\n"
                        "end\n";
    std::unique_ptr<TComponent> Root(ReadComponentFromText(Form, nullptr, "test form"));
    ASSERT_NE(Root, nullptr);
    auto* Items = dynamic_cast<TCsvDataSet*>(Root->FindComponent("Items"));
    auto* Query = dynamic_cast<TQuery*>(Root->FindComponent("Query1"));
    auto* Mem = dynamic_cast<TMemoryDataSet*>(Root->FindComponent("Mem1"));
    auto* Source = dynamic_cast<TDataSource*>(Root->FindComponent("Source1"));
    ASSERT_TRUE(Items && Query && Mem && Source);
    EXPECT_TRUE(Items->Active());
    EXPECT_EQ(Items->RecordCount(), 3);
    EXPECT_TRUE(Mem->Active());
    Mem->Last();
    EXPECT_EQ(Mem->FieldByName("Code")->AsString(), "d,e");
    EXPECT_EQ(Source->DataSet(), Query);
    ASSERT_NE(Query->Database(), nullptr);
    Query->ParamByName("MinId")->SetAsInteger(1);
    Query->Open();
    EXPECT_EQ(Query->RecordCount(), 1);
    EXPECT_EQ(Query->FieldByName("born")->DataType(), ftDate);
    EXPECT_EQ(Query->FieldByName("name")->AsString(), "Ben");

    // Written out and read again, the same data sets come back.
    Query->Close();
    const String Written = WriteComponentToText(Root.get());
    EXPECT_NE(Written.find("SQL.Strings"), String::npos);
    std::unique_ptr<TComponent> Again(ReadComponentFromText(Written, nullptr, "written form"));
    auto* Query2 = dynamic_cast<TQuery*>(Again->FindComponent("Query1"));
    ASSERT_NE(Query2, nullptr);
    Query2->ParamByName("MinId")->SetAsInteger(0);
    Query2->Open();
    EXPECT_EQ(Query2->RecordCount(), 2);
    std::remove(Name);
}
