// The data sets of a run: opened once, and only those the run opened are closed again, over memory,
// CSV, SQLite and PostgreSQL data sets (a private server the test starts).

#include "PrivatePostgres.h"
#include "StandInPage.h"

#include "platform/db/CsvDataSet.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/db/SqlDataSet.h"
#include "platform/rtl/StringList.h"
#include "common/NeedTool.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace qor;
using qor::test::PrivatePostgres;
using qor::test::TStandInPage;

namespace {

// Makes a data set of one kind holding rows (1, 'a'), (2, 'b'), (3, 'c') in table Name.
using TMaker = std::function<TDataSet*(TComponent* Owner, const String& Name)>;

TDataSet* MakeMemory(TComponent* Owner, const String& Name)
{
    auto* D = new TMemoryDataSet(Owner);
    D->SetName(Name);
    D->Columns()->SetText("Id:Integer\nName:String:5\n");
    D->Rows()->SetText("1,a\n2,b\n3,c\n");
    return D;
}

TDataSet* MakeCsv(TComponent* Owner, const String& Name)
{
    auto* D = new TCsvDataSet(Owner);
    D->SetName(Name);
    D->SetCsvText("Id,Name\n1,a\n2,b\n3,c\n");
    return D;
}

TQuery* MakeQuery(TComponent* Owner, TDatabase* Db, const String& Name)
{
    Db->ExecSQL("CREATE TABLE " + Name + " (Id INTEGER, Name VARCHAR(5))");
    Db->ExecSQL("INSERT INTO " + Name + " VALUES (1, 'a'), (2, 'b'), (3, 'c')");
    auto* Q = new TQuery(Owner);
    Q->SetName(Name);
    Q->SetDatabase(Db);
    Q->SQL()->SetText("SELECT Id, Name FROM " + Name + " ORDER BY Id");
    return Q;
}

TDataSet* MakeSqlite(TComponent* Owner, const String& Name)
{
    auto* Db = dynamic_cast<TDatabase*>(Owner->FindComponent("Db"));
    if (!Db) {
        Db = new TDatabase(Owner);
        Db->SetName("Db");
        Db->SetDatabaseName(":memory:");
    }
    return MakeQuery(Owner, Db, Name);
}

// The PostgreSQL server of this test program, started on first use; null when it is not running
// (Why says why, Missing whether its programs are not installed).
PrivatePostgres* Server(std::string& Why, bool* Missing = nullptr)
{
    static std::unique_ptr<PrivatePostgres> S;
    static std::string Failure;
    if (!S) {
        S = std::make_unique<PrivatePostgres>();
        Failure = S->Start();
    }
    Why = Failure;
    if (Missing)
        *Missing = S->BinariesMissing();
    return Failure.empty() ? S.get() : nullptr;
}

TDataSet* MakePostgres(TComponent* Owner, const String& Name)
{
    std::string Why;
    PrivatePostgres* S = Server(Why);
    if (!S)
        throw Exception("no PostgreSQL server: " + Why);
    auto* Db = dynamic_cast<TDatabase*>(Owner->FindComponent("Db"));
    if (!Db) {
        Db = new TDatabase(Owner);
        Db->SetName("Db");
        Db->SetDriverName("QPSQL");
        Db->SetHostName(S->SocketDir());
        Db->SetUserName(PrivatePostgres::User());
        Db->SetDatabaseName("postgres");
        Db->ExecSQL("SET client_min_messages TO WARNING");
        Db->ExecSQL("DROP TABLE IF EXISTS Opened, Already, Twice");
    }
    return MakeQuery(Owner, Db, Name);
}

struct TKind {
    const char* Name;
    TMaker Make;
    bool Postgres = false;
};
void PrintTo(const TKind& Kind, std::ostream* Out) { *Out << Kind.Name; }

class QorDataSourceManager : public ::testing::TestWithParam<TKind> {
protected:
    void SetUp() override
    {
        if (GetParam().Postgres) {
            std::string Why;
            bool Missing = false;
            if (!Server(Why, &Missing)) {
                // skipped only when the server programs are not installed; a server that fails fails
                if (!Missing)
                    FAIL() << "the private PostgreSQL server did not start: " << Why;
                QOR_SKIP_WITHOUT_TOOL(Why);
            }
        }
    }
    TDataSource* SourceOf(TDataSet* D)
    {
        auto* S = new TDataSource(&Root);
        S->SetDataSet(D);
        return S;
    }
    TComponent Root{nullptr};
};

TEST_P(QorDataSourceManager, OpensOnceAndClosesOnlyWhatItOpened)
{
    TDataSet* Opened = GetParam().Make(&Root, "Opened");
    TDataSet* Already = GetParam().Make(&Root, "Already");
    TDataSet* Twice = GetParam().Make(&Root, "Twice");
    Already->Open();
    int Opens = 0;
    Opened->BeforeOpen = [&](TDataSet*) { ++Opens; };
    TDataSource* SOpened = SourceOf(Opened);
    TDataSource* SAlready = SourceOf(Already);
    TDataSource* STwice = SourceOf(Twice);

    TQorDataSourceManager M;
    EXPECT_TRUE(M.ActivateDataSource(SOpened));
    EXPECT_TRUE(Opened->Active());
    EXPECT_EQ(Opened->RecordCount(), 3);
    EXPECT_TRUE(M.ActivateDataSource(SAlready));
    EXPECT_TRUE(M.ActivateDataSource(SOpened));
    EXPECT_EQ(Opens, 1);
    ASSERT_EQ(M.DSList().size(), 2u);
    EXPECT_TRUE(M.DSList()[0]->CloseDataSource);
    EXPECT_FALSE(M.DSList()[1]->CloseDataSource);

    // a data set closed by someone else during the run is not opened again
    EXPECT_TRUE(M.ActivateDataSource(STwice));
    Twice->Close();
    EXPECT_FALSE(M.ActivateDataSource(STwice));
    EXPECT_FALSE(Twice->Active());

    M.CloseDataSources();
    EXPECT_FALSE(Opened->Active());
    EXPECT_TRUE(Already->Active());
    EXPECT_TRUE(M.DSList().empty());

    // a new run opens again
    EXPECT_TRUE(M.ActivateDataSource(SOpened));
    EXPECT_EQ(Opens, 2);
}

TEST_P(QorDataSourceManager, DatabaseVariablesOfARunShareTheManager)
{
    TDataSet* Data = GetParam().Make(&Root, "Opened");
    TDataSource* Source = SourceOf(Data);
    auto* Page = new TStandInPage(&Root);
    auto* Detail = new TKivLevel(&Root);
    Detail->SetParent(Page);
    std::vector<TKivDBVar*> Vars;
    for (const char* Field : {"Id", "Name", "Id"}) {
        auto* V = new TKivDBVar(&Root);
        V->SetDataSource(Source);
        V->SetDataField(Field);
        V->SetParent(Page);
        V->SetUpdateLevel(Detail);
        Vars.push_back(V);
    }
    Page->StartRun();
    EXPECT_TRUE(Data->Active());
    EXPECT_EQ(Page->Manager.DSList().size(), 1u);
    Data->First();
    Data->Next();
    Page->UpdateDataLevel(Detail);
    EXPECT_EQ(Vars[0]->AsInteger(), 2);
    EXPECT_EQ(Vars[1]->AsString(), "b");
    EXPECT_EQ(Vars[0]->DataLast()->AsInteger(), 0);
    Page->EndRun();
    EXPECT_FALSE(Data->Active());
}

INSTANTIATE_TEST_SUITE_P(DataSets, QorDataSourceManager,
                         ::testing::Values(TKind{"Memory", MakeMemory}, TKind{"Csv", MakeCsv},
                                           TKind{"Sqlite", MakeSqlite}, TKind{"Postgres", MakePostgres, true}),
                         [](const auto& Info) { return String(Info.param.Name); });

TEST(QorDataSource, AFailureToOpenIsRecordedNotRaised)
{
    TComponent Root(nullptr);
    auto* Csv = new TCsvDataSet(&Root);
    Csv->SetName("Missing");
    Csv->SetFileName("/nonexistent/folder/data.csv");
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(Csv);
    TQorDataSourceManager M;
    EXPECT_FALSE(M.ActivateDataSource(Source));
    ASSERT_EQ(M.DSList().size(), 1u);
    EXPECT_TRUE(M.DSList()[0]->UnableToActivate);
    EXPECT_FALSE(M.DSList()[0]->CloseDataSource);
    EXPECT_NE(M.DSList()[0]->ActivateError.find("Missing"), String::npos) << M.DSList()[0]->ActivateError;
    EXPECT_FALSE(M.ActivateDataSource(Source)); // not tried again in the same run
    M.CloseDataSources();

    EXPECT_FALSE(M.ActivateDataSource(nullptr));
    auto* Empty = new TDataSource(&Root);
    EXPECT_FALSE(M.ActivateDataSource(Empty));
}

TEST(QorDataSource, ARecordClosesWhatItOpenedWhenItGoes)
{
    TComponent Root(nullptr);
    TDataSet* D = MakeMemory(&Root, "Mem");
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(D);
    {
        TQorDataSource R(Source);
        EXPECT_TRUE(R.OpenSource());
        EXPECT_TRUE(R.CloseDataSource);
        EXPECT_FALSE(R.UnableToActivate);
    }
    EXPECT_FALSE(D->Active());
    TQorDataSource None(nullptr);
    EXPECT_FALSE(None.OpenSource());
}

TEST(QorDataSource, DataSetsAndSourcesFreedDuringARunAreForgotten)
{
    TComponent Root(nullptr);
    TDataSet* D = MakeMemory(&Root, "Mem");
    TDataSet* Other = MakeMemory(&Root, "Other");
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(D);
    auto* Gone = new TDataSource(&Root);
    Gone->SetDataSet(Other);
    TQorDataSourceManager M;
    EXPECT_TRUE(M.ActivateDataSource(Source));
    EXPECT_TRUE(M.ActivateDataSource(Gone));
    // the data source now shows another data set: the run still closes the one it opened
    TDataSet* Third = MakeMemory(&Root, "Third");
    Third->Open();
    Source->SetDataSet(Third);
    Free(Gone);
    Free(Other);
    M.CloseDataSources();
    EXPECT_FALSE(D->Active());
    EXPECT_TRUE(Third->Active());
}

TEST(KivDSGuide, GuidesGoOnGroupPagesAndFallBackToTheDetailLevel)
{
    TComponent Root(nullptr);
    Root.SetDesigning(true);
    auto* Page = new TStandInPage(&Root);
    auto* Plain = new TStandInPage(&Root, false);
    auto* Detail = new TKivLevel(&Root);
    Detail->SetParent(Page);
    auto* Group = new TKivLevel(&Root);
    Group->SetParent(Page);
    Page->Detail = Detail;
    auto* G = new TKivDataSourceGuide(&Root);
    EXPECT_TRUE(G->CreateVariables());
    EXPECT_THROW(G->SetParent(Plain), EAbort);
    EXPECT_EQ(G->Parent(), nullptr);
    G->SetParent(Page);
    ASSERT_EQ(Page->Guides.size(), 1u);

    G->SetUpdateLevel(Group);
    EXPECT_EQ(G->UpdateLevel(), Group);
    EXPECT_EQ(Page->PostUpdateCount, 1);
    Free(Group);
    EXPECT_EQ(G->UpdateLevel(), Detail);
    G->SetUpdateLevel(nullptr);
    EXPECT_EQ(G->UpdateLevel(), Detail);

    TDataSet* D = MakeMemory(&Root, "Mem");
    auto* Source = new TDataSource(&Root);
    Source->SetDataSet(D);
    G->SetDataSource(Source);
    EXPECT_EQ(G->DataSource(), Source);
    D->Open(); // the page repaints at design time
    EXPECT_EQ(Page->RedrawCount, 1);
    Free(Source);
    EXPECT_EQ(G->DataSource(), nullptr);

    const Integer Changes = Page->VarChangedCount;
    G->SetCreateVariables(false);
    G->SetCreateVariables(false);
    EXPECT_EQ(Page->VarChangedCount, Changes + 1);
    G->SetParent(nullptr);
    EXPECT_TRUE(Page->Guides.empty());
}

} // namespace
