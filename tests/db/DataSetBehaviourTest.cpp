// One set of behaviour tests run against every data set kind over the same rows.

#include "platform/db/CsvDataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace qor;

namespace {

// Id, Name, Amount, Price, Born, Stamp, Active, Notes; row 3 is null in every field but Id.
const char* const GDeclarations[] = {"Id:Integer", "Name:String:30", "Amount:Float", "Price:BCD:2:10",
                                     "Born:Date",  "Stamp:DateTime", "Active:Boolean", "Notes:Memo"};

struct TRowText {
    const char* Values[8];
};

const TRowText GRows[] = {
    {{"1", "Alice", "12.5", "3.25", "1990-05-17", "2020-01-02 10:11:12", "True", "line one\nline two"}},
    {{"2", "Bob, Jr.", "-3", "100", "1985-12-01", "2021-06-30 23:59:59", "False", "He said \"hi\""}},
    {{"3", "", "", "", "", "", "", ""}},
    {{"4", "Dora", "1234.5", "0.1", "2000-02-29", "1999-12-31 00:00:00", "True", "x"}},
};

String CsvQuote(const String& S)
{
    if (S.find_first_of(",\"\n") == String::npos)
        return S;
    String R = "\"";
    for (char c : S)
        R += c == '"' ? String("\"\"") : String(1, c);
    return R + "\"";
}

using TMaker = std::function<TDataSet*(TComponent* Owner, bool WithRows)>;

TDataSet* MakeMemory(TComponent* Owner, bool WithRows)
{
    auto* D = new TMemoryDataSet(Owner);
    D->SetName("Mem1");
    for (const char* Decl : GDeclarations)
        D->Columns()->Add(Decl);
    D->Open();
    if (WithRows)
        for (const TRowText& R : GRows) {
            D->Append();
            for (Integer i = 0; i < 8; ++i)
                D->Fields()->Fields(i)->SetAsString(R.Values[i]);
            D->Post();
        }
    D->Close();
    return D;
}

TDataSet* MakeCsv(TComponent* Owner, bool WithRows)
{
    auto* D = new TCsvDataSet(Owner);
    D->SetName("Csv1");
    for (const char* Decl : GDeclarations)
        D->Columns()->Add(Decl);
    String Text = "Id,Name,Amount,Price,Born,Stamp,Active,Notes\r\n";
    if (WithRows)
        for (const TRowText& R : GRows) {
            for (Integer i = 0; i < 8; ++i)
                Text += (i ? "," : "") + CsvQuote(R.Values[i]);
            Text += "\r\n";
        }
    D->SetCsvText(Text);
    return D;
}

TDataSet* MakeSqlite(TComponent* Owner, bool WithRows)
{
    auto* Db = new TDatabase(Owner);
    Db->SetName("Db1");
    Db->SetDatabaseName(":memory:");
    Db->ExecSQL("CREATE TABLE t (Id INTEGER, Name VARCHAR(30), Amount REAL, Price DECIMAL(10,2), Born DATE, "
                "Stamp DATETIME, Active BOOLEAN, Notes CLOB)");
    auto* Q = new TQuery(Owner);
    Q->SetName("Query1");
    Q->SetDatabase(Db);
    if (WithRows) {
        Q->SQL()->SetText("INSERT INTO t VALUES (:Id, :Name, :Amount, :Price, :Born, :Stamp, :Active, :Notes)");
        for (const TRowText& R : GRows) {
            for (Integer i = 0; i < 8; ++i) {
                TParam* P = Q->Params()->Items(i);
                const String V = R.Values[i];
                if (V.empty())
                    P->Clear();
                else if (i == 0)
                    P->SetAsInteger(StrToInt(V));
                else if (i == 2)
                    P->SetAsFloat(StrToFloat(V));
                else if (i == 6)
                    P->SetAsBoolean(V == "True");
                else
                    P->SetAsString(V);
            }
            Q->ExecSQL();
        }
    }
    Q->SQL()->SetText("SELECT * FROM t ORDER BY Id");
    return Q;
}

struct TKind {
    const char* Name;
    TMaker Make;
};

// Test names and failure messages show the kind by name.
void PrintTo(const TKind& Kind, std::ostream* Out) { *Out << Kind.Name; }

class DataSetBehaviour : public ::testing::TestWithParam<TKind> {
protected:
    void SetUp() override
    {
        Owner = std::make_unique<TComponent>(nullptr);
        DS = GetParam().Make(Owner.get(), true);
        DS->Open();
    }
    TField* F(const char* Name) { return DS->FieldByName(Name); }

    std::unique_ptr<TComponent> Owner;
    TDataSet* DS = nullptr;
};

class Recorder : public TDataLink {
public:
    std::vector<String> Events;

protected:
    void ActiveChanged() override { Events.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { Events.push_back("changed"); }
    void DataSetScrolled(Integer Distance) override { Events.push_back("scrolled " + std::to_string(Distance)); }
};

} // namespace

TEST_P(DataSetBehaviour, FieldsAndTypes)
{
    ASSERT_EQ(DS->FieldCount(), 8);
    const TFieldType Expected[] = {ftInteger, ftString, ftFloat, ftBCD, ftDate, ftDateTime, ftBoolean, ftMemo};
    for (Integer i = 0; i < 8; ++i) {
        EXPECT_EQ(DS->Fields()->Fields(i)->DataType(), Expected[i]) << i;
        EXPECT_EQ(DS->Fields()->Fields(i)->FieldNo(), i + 1);
        EXPECT_EQ(DS->Fields()->Fields(i)->Index(), i);
    }
    EXPECT_EQ(F("name")->FieldName(), "Name");
    EXPECT_EQ(F("Name")->Size(), 30);
    EXPECT_EQ(DS->FindField("Missing"), nullptr);
    TStringList Names;
    DS->GetFieldNames(&Names);
    EXPECT_EQ(Names.CommaText(), "Id,Name,Amount,Price,Born,Stamp,Active,Notes");
    EXPECT_EQ(DS->FieldDefs()->Find("Price")->DataType(), ftBCD);
}

TEST_P(DataSetBehaviour, FieldDefinitionsOfAClosedDataSet)
{
    DS->Close();
    Integer Opened = 0;
    DS->AfterOpen = [&](TDataSet*) { ++Opened; };
    DS->FieldDefs()->Update();
    EXPECT_FALSE(DS->Active());
    EXPECT_EQ(Opened, 0);
    ASSERT_EQ(DS->FieldDefs()->Count(), 8);
    EXPECT_EQ(DS->FieldDefs()->Find("price")->DataType(), ftBCD);
    EXPECT_EQ(DS->FieldDefs()->Items(1)->Size(), 30);
    EXPECT_THROW(DS->FieldDefs()->Find("Nope"), EDatabaseError);
    TStringList Names;
    DS->GetFieldNames(&Names);
    EXPECT_EQ(Names.CommaText(), "Id,Name,Amount,Price,Born,Stamp,Active,Notes");
    EXPECT_FALSE(DS->Active());
}

TEST_P(DataSetBehaviour, NavigationAndEof)
{
    EXPECT_EQ(DS->State(), dsBrowse);
    EXPECT_EQ(DS->RecordCount(), 4);
    EXPECT_TRUE(DS->Bof());
    EXPECT_FALSE(DS->Eof());
    EXPECT_EQ(DS->RecNo(), 1);
    std::vector<Integer> Seen;
    for (DS->First(); !DS->Eof(); DS->Next())
        Seen.push_back(F("Id")->AsInteger());
    EXPECT_EQ(Seen, (std::vector<Integer>{1, 2, 3, 4}));
    EXPECT_EQ(DS->RecNo(), 4); // stays on the last record at Eof
    DS->Prior();
    EXPECT_FALSE(DS->Eof());
    EXPECT_EQ(F("Id")->AsInteger(), 3);
    DS->Last();
    EXPECT_TRUE(DS->Eof());
    EXPECT_EQ(F("Id")->AsInteger(), 4);
    EXPECT_EQ(DS->MoveBy(-10), -3);
    EXPECT_TRUE(DS->Bof());
    EXPECT_EQ(DS->MoveBy(2), 2);
    EXPECT_EQ(F("Name")->AsString(), "");
    DS->SetRecNo(2);
    EXPECT_EQ(F("Name")->AsString(), "Bob, Jr.");
    EXPECT_FALSE(DS->IsEmpty());
    // Reopening starts at the first record again.
    DS->Close();
    EXPECT_FALSE(DS->Active());
    EXPECT_TRUE(DS->Eof() && DS->Bof());
    DS->Open();
    EXPECT_EQ(F("Id")->AsInteger(), 1);
}

TEST_P(DataSetBehaviour, EmptyDataSet)
{
    auto Empty = std::unique_ptr<TComponent>(new TComponent(nullptr));
    TDataSet* E = GetParam().Make(Empty.get(), false);
    E->Open();
    EXPECT_TRUE(E->IsEmpty());
    EXPECT_TRUE(E->Eof());
    EXPECT_TRUE(E->Bof());
    EXPECT_EQ(E->RecordCount(), 0);
    EXPECT_EQ(E->RecNo(), 0);
    EXPECT_EQ(E->FieldCount(), 8);
    E->Next();
    E->Prior();
    E->Last();
    EXPECT_TRUE(E->Eof());
    EXPECT_TRUE(E->FieldByName("Id")->IsNull());
    EXPECT_EQ(E->FieldByName("Amount")->DisplayText(), "");
    E->Close();
    EXPECT_THROW(E->RecordCount(), EDatabaseError);
}

TEST_P(DataSetBehaviour, NullsInEveryKind)
{
    DS->SetRecNo(3);
    for (Integer i = 1; i < 8; ++i) {
        TField* Fld = DS->Fields()->Fields(i);
        EXPECT_TRUE(Fld->IsNull()) << Fld->FieldName();
        EXPECT_EQ(Fld->AsString(), "") << Fld->FieldName();
        EXPECT_EQ(Fld->DisplayText(), "") << Fld->FieldName();
        EXPECT_TRUE(Fld->AsVariant().IsNull()) << Fld->FieldName();
    }
    EXPECT_EQ(F("Amount")->AsFloat(), 0.0);
    EXPECT_EQ(F("Price")->AsCurrency(), Currency());
    EXPECT_EQ(F("Born")->AsDateTime(), 0.0);
    EXPECT_FALSE(F("Active")->AsBoolean());
    EXPECT_FALSE(F("Id")->IsNull());
}

TEST_P(DataSetBehaviour, ValuesAndConversions)
{
    EXPECT_EQ(F("Id")->AsString(), "1");
    EXPECT_EQ(F("Id")->AsFloat(), 1.0);
    EXPECT_EQ(F("Amount")->AsFloat(), 12.5);
    EXPECT_EQ(F("Amount")->AsString(), "12.5");
    EXPECT_EQ(F("Amount")->AsInteger(), 12); // halves to even
    EXPECT_EQ(F("Price")->AsCurrency(), Currency::FromRaw(32500));
    EXPECT_EQ(F("Price")->AsString(), "3.25");
    EXPECT_EQ(F("Born")->AsDateTime(), EncodeDate(1990, 5, 17));
    EXPECT_DOUBLE_EQ(F("Stamp")->AsDateTime(), EncodeDate(2020, 1, 2) + EncodeTime(10, 11, 12, 0));
    EXPECT_TRUE(F("Active")->AsBoolean());
    EXPECT_EQ(F("Active")->AsInteger(), 1);
    EXPECT_EQ(F("Notes")->AsString(), "line one\nline two");
    EXPECT_EQ(F("Name")->AsVariant(), TFieldValue("Alice"));
    EXPECT_EQ(F("Id")->AsVariant(), TFieldValue(Int64(1)));
    DS->Next();
    EXPECT_EQ(F("Name")->AsString(), "Bob, Jr.");
    EXPECT_EQ(F("Amount")->AsInteger(), -3);
    EXPECT_EQ(F("Price")->AsInteger(), 100);
    EXPECT_FALSE(F("Active")->AsBoolean());
    EXPECT_EQ(F("Notes")->AsString(), "He said \"hi\"");
    EXPECT_THROW(F("Name")->AsInteger(), EConvertError);
    EXPECT_THROW(F("Born")->AsBoolean(), EDatabaseError);
    // A closed data set is not read.
    DS->Close();
}

TEST_P(DataSetBehaviour, DisplayFormats)
{
    EXPECT_EQ(F("Born")->DisplayText(), "5/17/1990");
    EXPECT_EQ(F("Stamp")->DisplayText(), "1/2/2020 10:11:12 AM");
    EXPECT_EQ(F("Active")->DisplayText(), "True");
    EXPECT_EQ(F("Amount")->DisplayText(), "12.5");
    static_cast<TBooleanField*>(F("Active"))->SetDisplayValues("Yes;No");
    static_cast<TNumericField*>(F("Amount"))->SetDisplayFormat("#,##0.00");
    static_cast<TDateTimeField*>(F("Born"))->SetDisplayFormat("yyyy-mm-dd");
    static_cast<TBCDField*>(F("Price"))->SetCurrency(true);
    EXPECT_EQ(F("Active")->DisplayText(), "Yes");
    EXPECT_EQ(F("Born")->DisplayText(), "1990-05-17");
    EXPECT_EQ(F("Price")->DisplayText(), "$3.25");
    DS->Last();
    EXPECT_EQ(F("Amount")->DisplayText(), "1,234.50");
    EXPECT_EQ(F("Amount")->Text(), "1234.5");
    DS->Prior();
    DS->Prior();
    EXPECT_EQ(F("Active")->DisplayText(), "No");
}

TEST_P(DataSetBehaviour, DataLinkNotifications)
{
    DS->Close();
    TDataSource Source(nullptr);
    Recorder Link;
    Link.SetDataSource(&Source);
    Source.SetDataSet(DS);
    Integer StateChanges = 0, DataChanges = 0;
    Source.OnStateChange = [&](TObject*) { ++StateChanges; };
    Source.OnDataChange = [&](TObject*, TField*) { ++DataChanges; };
    DS->Open();
    DS->Next();
    DS->MoveBy(2);
    DS->Next(); // at the end already: no scroll
    DS->First();
    DS->DisableControls();
    EXPECT_TRUE(DS->ControlsDisabled());
    DS->Next();
    DS->Next();
    DS->EnableControls();
    DS->Close();
    EXPECT_EQ(Link.Events, (std::vector<String>{"active", "scrolled 1", "scrolled 2", "changed", "changed", "inactive"}));
    EXPECT_EQ(StateChanges, 2);
    EXPECT_EQ(DataChanges, 4);

    TFieldDataLink FieldLink;
    Integer FieldChanges = 0;
    FieldLink.OnDataChange = [&](TObject*) { ++FieldChanges; };
    FieldLink.SetFieldName("Name");
    FieldLink.SetDataSource(&Source);
    EXPECT_EQ(FieldLink.Field(), nullptr);
    DS->Open();
    ASSERT_NE(FieldLink.Field(), nullptr);
    EXPECT_EQ(FieldLink.Field()->AsString(), "Alice");
    FieldLink.SetFieldName("NoSuchField");
    EXPECT_EQ(FieldLink.Field(), nullptr);
    DS->Close();
    EXPECT_FALSE(FieldLink.Active());
    EXPECT_GE(FieldChanges, 2);
}

TEST_P(DataSetBehaviour, EventsAroundOpenCloseAndScroll)
{
    DS->Close();
    std::vector<String> Log;
    DS->BeforeOpen = [&](TDataSet*) { Log.push_back("BeforeOpen"); };
    DS->AfterOpen = [&](TDataSet* D) { Log.push_back("AfterOpen " + std::to_string(D->RecordCount())); };
    DS->AfterScroll = [&](TDataSet* D) { Log.push_back("AfterScroll " + std::to_string(D->RecNo())); };
    DS->BeforeClose = [&](TDataSet*) { Log.push_back("BeforeClose"); };
    DS->AfterClose = [&](TDataSet* D) { Log.push_back(D->Active() ? "AfterClose active" : "AfterClose"); };
    DS->SetActive(true);
    DS->Next();
    DS->SetActive(false);
    EXPECT_EQ(Log, (std::vector<String>{"BeforeOpen", "AfterOpen 4", "AfterScroll 1", "AfterScroll 2", "BeforeClose",
                                       "AfterClose"}));
}

TEST_P(DataSetBehaviour, UnknownFieldNamesTheDataSet)
{
    try {
        DS->FieldByName("Nope");
        FAIL();
    } catch (const EDatabaseError& E) {
        EXPECT_EQ(E.Message(), DS->Name() + ": Field 'Nope' not found");
    }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, DataSetBehaviour,
                         ::testing::Values(TKind{"Memory", MakeMemory}, TKind{"Csv", MakeCsv},
                                           TKind{"Sqlite", MakeSqlite}),
                         [](const ::testing::TestParamInfo<TKind>& Info) { return String(Info.param.Name); });
