// Levels and variables on a page: the lazy update protocol with one record of look-back over
// memory, CSV and SQLite data sets; self-reference; database variables for every field type;
// expression, date-time and page variables; placement and form-file properties.

#include "StandInPage.h"

#include "platform/db/CsvDataSet.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"

#include <gtest/gtest.h>

#include <functional>

using namespace qor;
using qor::test::TStandInPage;

namespace {

// ---- the same three rows in each kind of data set ---------------------------------------------

const char* const GRows[3][3] = {{"1", "Ann", "10.5"}, {"2", "Bob", "-3"}, {"3", "Cy", "7.25"}};

TDataSet* MakeMemory(TComponent* Owner)
{
    auto* D = new TMemoryDataSet(Owner);
    D->SetName("Mem1");
    D->Columns()->SetText("Id:Integer\nName:String:20\nAmount:Float\n");
    for (const auto& R : GRows)
        D->Rows()->Add(String(R[0]) + "," + R[1] + "," + R[2]);
    return D;
}

TDataSet* MakeCsv(TComponent* Owner)
{
    auto* D = new TCsvDataSet(Owner);
    D->SetName("Csv1");
    String Text = "Id,Name,Amount\n";
    for (const auto& R : GRows)
        Text += String(R[0]) + "," + R[1] + "," + R[2] + "\n";
    D->SetCsvText(Text);
    return D;
}

TDataSet* MakeSqlite(TComponent* Owner)
{
    auto* Db = new TDatabase(Owner);
    Db->SetName("Db1");
    Db->SetDatabaseName(":memory:");
    Db->ExecSQL("CREATE TABLE t (Id INTEGER, Name VARCHAR(20), Amount REAL)");
    for (const auto& R : GRows)
        Db->ExecSQL(String("INSERT INTO t VALUES (") + R[0] + ", '" + R[1] + "', " + R[2] + ")");
    auto* Q = new TQuery(Owner);
    Q->SetName("Query1");
    Q->SetDatabase(Db);
    Q->SQL()->SetText("SELECT Id, Name, Amount FROM t ORDER BY Id");
    return Q;
}

struct TKind {
    const char* Name;
    std::function<TDataSet*(TComponent*)> Make;
};
void PrintTo(const TKind& Kind, std::ostream* Out) { *Out << Kind.Name; }

// A group page with a group level and a detail level; variables Id, Name, Amount read the data
// set and Twice (listed first) reads Id through OnGetData.
class KivUpdateProtocol : public ::testing::TestWithParam<TKind> {
protected:
    void SetUp() override
    {
        Data = GetParam().Make(&Root);
        Source = new TDataSource(&Root);
        Source->SetDataSet(Data);
        Page = new TStandInPage(&Root);
        Group = NewLevel();
        Detail = NewLevel();
        Page->Detail = Detail;
        Twice = new TKivExprVar(&Root);
        Twice->SetName("Twice");
        Twice->SetDataType(dtypeInteger);
        Twice->SetParent(Page);
        Twice->SetUpdateLevel(Detail);
        Twice->OnGetData = [this](TKivVar* V) {
            ++TwiceRefreshes;
            V->SetAsInteger(Id->AsInteger() * 2);
        };
        Id = NewField("Id", Detail);
        Name = NewField("Name", Detail);
        Amount = NewField("Amount", Detail);
        GroupName = NewField("Name", Group);
    }
    TKivLevel* NewLevel()
    {
        auto* L = new TKivLevel(&Root);
        L->SetParent(Page);
        return L;
    }
    TKivDBVar* NewField(const char* Field, TKivLevel* Level)
    {
        auto* V = new TKivDBVar(&Root);
        V->SetDataSource(Source);
        V->SetDataField(Field);
        V->SetParent(Page);
        V->SetUpdateLevel(Level);
        return V;
    }

    TComponent Root{nullptr};
    TDataSet* Data = nullptr;
    TDataSource* Source = nullptr;
    TStandInPage* Page = nullptr;
    TKivLevel* Group = nullptr;
    TKivLevel* Detail = nullptr;
    TKivExprVar* Twice = nullptr;
    TKivDBVar *Id = nullptr, *Name = nullptr, *Amount = nullptr, *GroupName = nullptr;
    int TwiceRefreshes = 0;
};

TEST_P(KivUpdateProtocol, EachStepKeepsOneRecordOfLookBack)
{
    ASSERT_FALSE(Data->Active());
    Page->StartRun(); // the database variables open the data set through the page's manager
    ASSERT_TRUE(Data->Active());
    EXPECT_TRUE(Id->Active());
    EXPECT_EQ(Id->DataType(), dtypeInteger);
    EXPECT_EQ(Name->DataType(), dtypeString);
    EXPECT_EQ(Amount->DataType(), dtypeFloat);
    EXPECT_EQ(Id->DataNow()->ClassName(), "TKivInteger");
    EXPECT_EQ(Amount->DataLast()->ClassName(), "TKivFloat");

    Data->First();
    Page->UpdateDataLevel(Detail);
    EXPECT_EQ(Id->AsInteger(), 1);
    EXPECT_EQ(Name->AsString(), "Ann");
    EXPECT_EQ(Amount->AsFloat(), 10.5);
    EXPECT_EQ(Twice->AsInteger(), 2);
    EXPECT_EQ(Name->DataLast()->AsString(), ""); // nothing before the first record

    // The detail level moves on; the group level does not.
    Data->Next();
    Page->UpdateDataLevel(Detail);
    EXPECT_EQ(Name->AsString(), "Bob");
    EXPECT_EQ(Name->DataLast()->AsString(), "Ann");
    EXPECT_EQ(Twice->AsInteger(), 4);
    EXPECT_EQ(Twice->DataLast()->AsInteger(), 2);
    EXPECT_EQ(Amount->DataLast()->AsFloat(), 10.5);
    EXPECT_EQ(GroupName->UpdateMode(), umNoUpdate);
    EXPECT_EQ(GroupName->DataNow()->AsString(), "");

    // A group break: the group's variables move on; then the page looks back for the footers.
    Page->UpdateDataLevel(Group);
    EXPECT_EQ(GroupName->AsString(), "Bob");
    Page->ReverseUpdateDataLevel(Detail);
    EXPECT_EQ(Name->AsString(), "Ann");
    EXPECT_EQ(Twice->AsInteger(), 2);
    EXPECT_EQ(GroupName->AsString(), "Bob"); // other levels are not turned back

    // The next refresh reads the current record again.
    Data->Next();
    Page->UpdateDataLevel(Detail);
    EXPECT_EQ(Name->AsString(), "Cy");
    EXPECT_EQ(Name->DataLast()->AsString(), "Ann");
    EXPECT_EQ(Amount->AsFloat(), 7.25);

    // A reset at a level leaves the values reset and null.
    Page->ResetDataLevel(Detail);
    EXPECT_TRUE(Name->IsNull());
    EXPECT_EQ(Name->AsString(), "");
    EXPECT_EQ(Name->DataLast()->AsString(), "Cy");
    EXPECT_EQ(Amount->DataLast()->AsFloat(), 7.25);

    Page->EndRun();
    EXPECT_FALSE(Data->Active()); // the run opened it, the run closed it
}

TEST_P(KivUpdateProtocol, StaleVariablesRefreshOnceWhenRead)
{
    Page->StartRun();
    Data->First();
    for (TKivVar* V : Page->Vars)
        if (V->UpdateLevel() == Detail)
            V->SetUpdateMode(umNeedUpdate);
    EXPECT_EQ(Id->UpdateMode(), umNeedUpdate);
    EXPECT_EQ(TwiceRefreshes, 0);
    EXPECT_EQ(Twice->AsString(), "2"); // reads Id, which refreshes itself first
    EXPECT_EQ(Twice->AsString(), "2");
    EXPECT_EQ(TwiceRefreshes, 1);
    EXPECT_EQ(Id->UpdateMode(), umNoUpdate);

    // UpdateLast of a stale variable refreshes it first: DataLast gets the new record.
    Data->Next();
    Name->SetUpdateMode(umNeedUpdate);
    Name->UpdateLast();
    EXPECT_EQ(Name->DataLast()->AsString(), "Bob");

    // ResetData of a variable that is not stale does nothing.
    Name->ResetData();
    EXPECT_EQ(Name->AsString(), "Bob");
    EXPECT_FALSE(Name->IsNull());
}

TEST_P(KivUpdateProtocol, AFieldThatIsMissingPrintsAsUnknown)
{
    auto* Missing = NewField("Nope", Detail);
    Page->StartRun();
    Data->First();
    Page->UpdateDataLevel(Detail);
    EXPECT_EQ(Missing->Field(), nullptr);
    EXPECT_FALSE(Missing->Initialized());
    EXPECT_EQ(Missing->DataType(), dtypeUnknown);
    EXPECT_EQ(Missing->AsString(), "Unknown type, check to see if field exists.");
    EXPECT_EQ(Missing->FieldDataType(), ftUnknown);
    EXPECT_EQ(Id->FieldDataType(), ftInteger);
}

INSTANTIATE_TEST_SUITE_P(DataSets, KivUpdateProtocol,
                         ::testing::Values(TKind{"Memory", MakeMemory}, TKind{"Csv", MakeCsv},
                                           TKind{"Sqlite", MakeSqlite}),
                         [](const auto& Info) { return String(Info.param.Name); });

// ---- active state follows the data link ---------------------------------------------------------

TEST(KivDBVar, ActiveFollowsTheDataSetInsteadOfToggling)
{
    TComponent Root(nullptr);
    TDataSet* Data = MakeMemory(&Root);
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(Data);
    auto* V = new TKivDBVar(&Root);
    V->SetDataSource(Source);
    V->SetDataField("Name");
    EXPECT_FALSE(V->Active());
    Data->Open();
    EXPECT_TRUE(V->Active());
    EXPECT_EQ(V->DataType(), dtypeString);
    EXPECT_EQ(V->FieldNo(), 1);
    // the variable was made active by hand: opening must not turn it off
    Data->Close();
    EXPECT_FALSE(V->Active());
    V->SetActive(true);
    Data->Open();
    EXPECT_TRUE(V->Active());
    EXPECT_NE(V->Field(), nullptr);
    V->SetActive(false);
    Data->Close();
    EXPECT_FALSE(V->Active());
    EXPECT_EQ(V->Field(), nullptr);
    EXPECT_EQ(V->FieldNo(), -1);
    // a freed data source is let go
    Free(Source);
    EXPECT_EQ(V->DataSource(), nullptr);
    V->Initialize();
    EXPECT_FALSE(V->Active());
}

// ---- self-reference ------------------------------------------------------------------------------

TEST(KivExprVar, SelfReferenceIsReportedNotRecursed)
{
    TComponent Root(nullptr);
    auto* Page = new TStandInPage(&Root);
    auto* Level = new TKivLevel(&Root);
    Level->SetParent(Page);
    auto Make = [&](const char* Name) {
        auto* V = new TKivExprVar(&Root);
        V->SetName(Name);
        V->SetDataType(dtypeFloat);
        V->SetParent(Page);
        V->SetUpdateLevel(Level);
        return V;
    };
    TKivExprVar* A = Make("A");
    TKivExprVar* B = Make("B");
    TKivExprVar* C = Make("C");
    A->OnGetData = [&](TKivVar* V) { V->SetAsFloat(B->AsFloat() + 1); };
    B->OnGetData = [&](TKivVar* V) { V->SetAsFloat(C->AsFloat() + 1); };
    C->OnGetData = [&](TKivVar* V) { V->SetAsFloat(A->AsFloat() + 1); };
    Page->StartRun();
    try {
        Page->UpdateDataLevel(Level);
        FAIL() << "a circle of three variables was not reported";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Circular variable reference for variable: A");
    }
    for (TKivVar* V : {static_cast<TKivVar*>(A), static_cast<TKivVar*>(B), static_cast<TKivVar*>(C)})
        EXPECT_EQ(V->UpdateMode(), umNoUpdate) << V->Name();

    // a handler reading its own variable is the shortest circle
    C->OnGetData = [&](TKivVar* V) { V->SetAsFloat(V->AsFloat() + 1); };
    C->SetUpdateMode(umNeedUpdate);
    EXPECT_THROW(C->AsFloat(), Exception);
    // a handler that only sets its value is fine, and reads others freely
    C->OnGetData = [&](TKivVar* V) { V->SetAsFloat(5); };
    B->SetUpdateMode(umNeedUpdate);
    C->SetUpdateMode(umNeedUpdate);
    EXPECT_EQ(B->AsFloat(), 6);
}

TEST(KivExprVar, ValueKindFollowsDataTypeAndUninitialisedIsReported)
{
    TComponent Root(nullptr);
    auto* V = new TKivExprVar(&Root);
    V->SetName("Expr1");
    EXPECT_EQ(V->Id(), vidExprVar);
    EXPECT_TRUE(V->Active());
    V->SetUpdateMode(umNeedUpdate);
    try {
        V->AsString();
        FAIL();
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Datatype is bad for variable: Expr1");
    }
    EXPECT_EQ(V->UpdateMode(), umNoUpdate);
    const std::pair<TKivDataTypes, const char*> Kinds[] = {
        {dtypeString, "TKivString"},   {dtypeFloat, "TKivFloat"},   {dtypeInteger, "TKivInteger"},
        {dtypeBoolean, "TKivBoolean"}, {dtypeDateTime, "TKivDateTime"}, {dtypeBlob, "TKivBlob"},
        {dtypeMemo, "TKivMemo"},       {dtypeGraphic, "TKivGraphic"}, {dtypeCurrency, "TKivCurrency"},
        {dtypeUnknown, "TKivUnknown"}};
    for (auto [Type, Class] : Kinds) {
        V->SetDataType(Type);
        V->Initialize();
        EXPECT_EQ(V->DataNow()->ClassName(), Class);
        EXPECT_EQ(V->DataLast()->ClassName(), Class);
        EXPECT_EQ(V->Initialized(), Type != dtypeUnknown);
    }
    EXPECT_EQ(V->AsString(), "Unknown type, check to see if field exists.");
    V->SetDataType(dtypeString);
    V->Initialize();
    V->OnGetData = [](TKivVar* Var) { Var->SetAsString("from the handler"); };
    V->SetUpdateMode(umNeedUpdate);
    EXPECT_EQ(V->AsString(), "from the handler");
}

TEST(KivExprVar, DesignTimeVariablesAreInactiveAndReadFresh)
{
    TComponent Root(nullptr);
    Root.SetDesigning(true);
    auto* V = new TKivExprVar(&Root);
    EXPECT_FALSE(V->Active());
    V->SetDataType(dtypeInteger);
    V->Initialize();
    EXPECT_EQ(V->UpdateMode(), umNeedUpdate); // designer previews read live values
    V->SetRunning(true);
    V->Initialize();
    EXPECT_EQ(V->UpdateMode(), umNeedUpdate); // unchanged: running does not mark
    V->SetUpdateMode(umNoUpdate);
    V->Initialize();
    EXPECT_EQ(V->UpdateMode(), umNoUpdate);
}

// ---- date-time and page variables ----------------------------------------------------------------

TEST(KivDateTimeAndPageVars, TheMomentStaysAndPagesCount)
{
    TComponent Root(nullptr);
    auto* Page = new TStandInPage(&Root);
    auto* Head = new TKivLevel(&Root);
    Head->SetParent(Page);
    auto* PageHead = new TKivLevel(&Root);
    PageHead->SetParent(Page);
    auto* Detail = new TKivLevel(&Root);
    Detail->SetParent(Page);
    Page->Head = Head;
    Page->PageHead = PageHead;
    Page->Detail = Detail;
    auto* When = new TKivDateTimeVar(&Root);
    When->SetParent(Page);
    auto* Number = new TKivPageVar(&Root);
    Number->SetParent(Page);
    auto* Plain = new TKivExprVar(&Root);
    Plain->SetParent(Page);
    for (TControl* C : {static_cast<TControl*>(When), static_cast<TControl*>(Number), static_cast<TControl*>(Plain)})
        C->Loaded();
    EXPECT_EQ(When->UpdateLevel(), Head);
    EXPECT_EQ(Number->UpdateLevel(), PageHead);
    EXPECT_EQ(Plain->UpdateLevel(), Detail);
    EXPECT_EQ(When->DataType(), dtypeDateTime);
    EXPECT_EQ(Number->DataType(), dtypeInteger);

    const TDateTime Before = Now();
    Page->StartRun();
    const TDateTime After = Now();
    const TDateTime Moment = When->AsDateTime();
    EXPECT_GE(Moment, Before);
    EXPECT_LE(Moment, After);
    EXPECT_EQ(When->DataLast()->AsDateTime(), Moment);
    EXPECT_EQ(Number->AsInteger(), 0);
    for (int P = 1; P <= 3; ++P) {
        Page->UpdateDataLevel(PageHead); // a page starts
        Page->UpdateDataLevel(Detail);
        EXPECT_EQ(Number->AsInteger(), P);
        EXPECT_EQ(When->AsDateTime(), Moment);
    }
    EXPECT_EQ(Number->DataLast()->AsInteger(), 2);
}

// ---- placement, names and form files -------------------------------------------------------------

TEST(KivPlacement, LevelsGoOnPagesOnlyAndVariablesRegister)
{
    TComponent Root(nullptr);
    auto* Page = new TStandInPage(&Root);
    auto* Other = new TWinControl(&Root);
    auto* L = new TKivLevel(&Root);
    EXPECT_THROW(L->SetParent(Other), EAbort);
    EXPECT_EQ(L->Parent(), nullptr);
    L->SetParent(Page);
    EXPECT_EQ(Page->LevelCount(), 1);
    EXPECT_EQ(L->GetPage(), Page);

    auto* V = new TKivExprVar(&Root);
    V->SetParent(Other); // accepted, not registered
    EXPECT_TRUE(Page->Vars.empty());
    V->SetParent(Page);
    ASSERT_EQ(Page->Vars.size(), 1u);
    EXPECT_FALSE(V->Visible());
    auto* T = new TKivTotalvar(&Root);
    T->SetParent(Page);
    EXPECT_EQ(Page->Totals.size(), 1u);

    const Integer Changes = Page->VarChangedCount;
    V->SetUpdateLevel(L);
    V->SetUpdateLevel(L);
    V->SetDataType(dtypeFloat);
    EXPECT_EQ(Page->VarChangedCount, Changes + 2);
    V->SetName("Renamed");
    EXPECT_EQ(Page->PageManagerCount, 1);

    Free(L); // a deleted level is forgotten
    EXPECT_EQ(V->UpdateLevel(), nullptr);
    EXPECT_EQ(Page->LevelCount(), 0);
    Free(T);
    EXPECT_TRUE(Page->Totals.empty());
    V->SetParent(nullptr);
    EXPECT_TRUE(Page->Vars.empty());
}

TEST(KivPlacement, AVariableAndItsTotalFollowTheirPageWhenMoved)
{
    TComponent Root(nullptr);
    auto* First = new TStandInPage(&Root);
    auto* Second = new TStandInPage(&Root);
    auto* NoPage = new TWinControl(&Root);
    auto* V = new TKivExprVar(&Root);
    V->SetParent(First);
    EXPECT_EQ(V->Page(), First);
    V->SetParent(Second);
    EXPECT_EQ(V->Page(), Second);
    V->SetParent(NoPage);
    EXPECT_EQ(V->Page(), nullptr);
    V->SetParent(nullptr);
    EXPECT_EQ(V->Page(), nullptr);

    // A total takes in at every level but the header levels of the page it is on now.
    auto* Head = new TKivLevel(&Root);
    Head->SetIsHeader(true);
    Head->SetParent(Second);
    auto* Detail = new TKivLevel(&Root);
    Detail->SetParent(Second);
    auto* Total = new TKivTotalvar(&Root);
    Total->SetParent(First);
    V->SetParent(Second);
    V->SetDataType(dtypeFloat);
    V->OnGetData = [](TKivVar* Var) { Var->SetAsFloat(2.5); };
    Total->SetVariable(V);
    Total->SetUpdateLevel(Detail);
    Total->SetParent(Second);
    V->SetUpdateLevel(Detail);
    Second->StartRun();
    Second->UpdateDataLevel(Detail);
    EXPECT_EQ(Total->GetLevelNow(0, ttSum)->AsFloat(), 0.0) << "nothing at the header level";
    EXPECT_EQ(Total->GetLevelNow(1, ttSum)->AsFloat(), 2.5);
    Second->EndRun();
}

} // namespace

namespace qor {
// A stand-in page that form files know by name.
class TFormPage : public test::TStandInPage {
    QOR_CLASS(TFormPage, TWinControl)
public:
    explicit TFormPage(TComponent* AOwner) : TStandInPage(AOwner) {}
};
QOR_PUBLISH(TFormPage) {}
} // namespace qor

namespace {

TEST(KivFormFiles, LevelsAndVariablesKeepTheirStreamProperties)
{
    TForm Root(nullptr);
    Root.SetName("Form1");
    auto* Page = new TFormPage(&Root);
    Page->SetName("Page1");
    Page->SetParent(&Root);
    auto* L = new TKivLevel(&Root);
    L->SetName("Level1");
    L->SetParent(Page);
    L->SetIsHeader(true);
    auto* V = new TKivPageVar(&Root);
    V->SetName("PageNo");
    V->SetAutoVar(true);
    V->SetParent(Page);
    V->SetUpdateLevel(L);
    const String Text = WriteComponentToText(&Root);
    EXPECT_NE(Text.find("IsHeader = True"), String::npos) << Text;
    EXPECT_NE(Text.find("AutoVar = True"), String::npos) << Text;
    EXPECT_NE(Text.find("ID = vidPageVar"), String::npos) << Text;
    EXPECT_NE(Text.find("UpdateLevel = Level1"), String::npos) << Text;

    TForm Copy(nullptr);
    ReadComponentIntoRoot(&Copy, Text);
    auto* L2 = dynamic_cast<TKivLevel*>(Copy.FindComponent("Level1"));
    auto* V2 = dynamic_cast<TKivPageVar*>(Copy.FindComponent("PageNo"));
    ASSERT_TRUE(L2 && V2);
    EXPECT_TRUE(L2->IsHeader());
    EXPECT_TRUE(V2->AutoVar());
    EXPECT_EQ(V2->Id(), vidPageVar);
    EXPECT_EQ(V2->UpdateLevel(), L2);

    String Upper = Text;
    Upper.replace(Upper.find("vidPageVar"), 10, "VIDPAGEVAR");
    TForm Again(nullptr);
    EXPECT_NO_THROW(ReadComponentIntoRoot(&Again, Upper));
    String Bad = Text;
    Bad.replace(Bad.find("vidPageVar"), 10, "vidNothing");
    TForm Fails(nullptr);
    try {
        ReadComponentIntoRoot(&Fails, Bad);
        FAIL() << "an unknown ID was accepted";
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find("Cannot find vidNothing in TKivVarId"), String::npos) << E.Message();
    }
}

} // namespace
