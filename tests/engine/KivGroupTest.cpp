// The group: its parent rule, header and footer bands with their levels, breaking on the text of
// its variable, printing its bands, the deletion guard and its streamed level.

#include "engine/StandInBandPage.h"
#include "engine/StandInGroupPage.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivGroup.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace qor;
using namespace qor::test;

namespace {

// A group page owned by Root, with a group named Group1 on it.
struct GroupOnPage : ::testing::Test {
    GroupOnPage()
    {
        Page = new TStandInGroupPage(&Root);
        Page->SetName("Page1");
        Group = new TKivGroup(&Root);
        Group->SetName("Group1");
        Group->SetParent(Page);
    }
    TComponent Root{nullptr};
    TStandInGroupPage* Page = nullptr;
    TKivGroup* Group = nullptr;
};

} // namespace

TEST_F(GroupOnPage, OnlyAGroupPageTakesAGroupItsListFollowsAndItTakesNoRoom)
{
    EXPECT_EQ(Page->Groups, std::vector<TKivGroup*>{Group});
    EXPECT_EQ(Group->Page(), Page);

    TStandInBandPage Plain; // takes bands, not groups
    EXPECT_THROW(Group->SetParent(&Plain), EAbort);
    EXPECT_EQ(Group->Parent(), Page) << "a refused parent leaves the group where it was";

    // Moved to another group page, the group leaves the first page's list.
    auto* Other = new TStandInGroupPage(&Root);
    Group->SetParent(Other);
    EXPECT_TRUE(Page->Groups.empty());
    EXPECT_EQ(Other->Groups, std::vector<TKivGroup*>{Group});
    Group->SetParent(nullptr);
    EXPECT_TRUE(Other->Groups.empty());

    Group->SetParent(Page);
    Group->SetBounds(10, 20, 30, 40);
    EXPECT_EQ(Group->BoundsRect(), TRect(0, 0, 0, 0)) << "a group takes no room";
    Free(Group);
    EXPECT_TRUE(Page->Groups.empty()) << "a freed group leaves its page";
}

TEST_F(GroupOnPage, BandsAndTheGroupItselfAreNamedFromItsNameAndLevel)
{
    const Integer ManagerBefore = Page->PageManagerCount;
    Group->AddBands(Page);
    TKivBand* Head = Group->Header();
    TKivBand* Foot = Group->Footer();
    ASSERT_TRUE(Head && Foot);
    EXPECT_EQ(Page->PageBands, (std::vector<TKivBand*>{Head, Foot}));
    EXPECT_EQ(Head->Owner(), &Root);
    EXPECT_EQ(Head->Height(), 20);
    EXPECT_EQ(Head->Caption(), " ");
    EXPECT_EQ(Head->Name(), "Group1Header");
    EXPECT_EQ(Foot->Name(), "Group1Footer");
    EXPECT_EQ(Head->BandName(), "Group1 Header");
    EXPECT_EQ(Foot->BandName(), "Group1 Footer");
    EXPECT_GT(Page->PageManagerCount, ManagerBefore);

    ASSERT_TRUE(Head->UpdateLevel() && Foot->UpdateLevel());
    EXPECT_EQ(Head->UpdateLevel()->Name(), "Group1HeaderLevel");
    EXPECT_EQ(Foot->UpdateLevel()->Name(), "Group1FooterLevel");
    EXPECT_TRUE(Head->UpdateLevel()->IsHeader());
    EXPECT_FALSE(Foot->UpdateLevel()->IsHeader());
    EXPECT_EQ(Page->Levels_, (std::vector<TKivLevel*>{Head->UpdateLevel(), Foot->UpdateLevel()}));

    Group->SetName("Customer");
    EXPECT_EQ(Head->BandName(), "Customer Header");
    EXPECT_EQ(Foot->BandName(), "Customer Footer");
    EXPECT_EQ(Head->Name(), "Group1Header") << "renaming titles the bands, it does not rename them";

    Group->SetLevel(2);
    EXPECT_EQ(Group->GroupName(), "Group: 2");
    Group->SetLevelDirect(0); // the page's ordering: the name stays
    EXPECT_EQ(Group->GroupName(), "Group: 2");
}

TEST_F(GroupOnPage, DeletedBandsTakeTheirLevelsAlongAndFreedOnesClearTheReferences)
{
    Group->AddBands(Page);
    Group->DeleteBands();
    EXPECT_EQ(Group->Header(), nullptr);
    EXPECT_EQ(Group->Footer(), nullptr);
    EXPECT_TRUE(Page->PageBands.empty());
    EXPECT_TRUE(Page->Levels_.empty());
    EXPECT_EQ(Root.ComponentCount(), 2) << "only the page and the group are left";
    Group->DeleteBands(); // nothing left to delete

    // Bands freed elsewhere leave the group, and so does its variable.
    Group->AddBands(Page);
    auto* Var = new TKivExprVar(&Root);
    Group->SetVariable(Var);
    Free(Group->Header());
    EXPECT_EQ(Group->Header(), nullptr);
    EXPECT_NE(Group->Footer(), nullptr);
    Free(Group->Footer());
    EXPECT_EQ(Group->Footer(), nullptr);
    Free(Var);
    EXPECT_EQ(Group->Variable(), nullptr);
}

TEST_F(GroupOnPage, AtDesignTimeOnlyThePageManagerDeletesAGroupWithItsBands)
{
    Group->AddBands(Page);
    Root.SetDesigning(true);
    try {
        Free(Group);
        FAIL() << "deleted";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "You are not allowed to delete a group outside of the page manager");
    }
    EXPECT_EQ(Page->Groups, std::vector<TKivGroup*>{Group}) << "the group stays, whole";
    EXPECT_NE(Group->Header(), nullptr);
    EXPECT_FALSE(Group->OkDelete());

    Group->SafeDelete();
    EXPECT_TRUE(Page->Groups.empty());
    EXPECT_TRUE(Page->PageBands.empty()) << "the page manager's delete takes the bands along";
    EXPECT_TRUE(Page->Levels_.empty());

    // Without a parent, or at run time: allowed, and the bands stay on the page.
    auto* Loose = new TKivGroup(&Root);
    EXPECT_TRUE(Loose->AllowDelete());
    Free(Loose);
    Root.SetDesigning(false);
    auto* Running = new TKivGroup(&Root);
    Running->SetParent(Page);
    Running->AddBands(Page);
    Free(Running);
    EXPECT_EQ(Page->PageBands.size(), 2u);
}

namespace {

// A group on a variable whose value on each record is the next of Values (nullopt: no value).
struct GroupBreak : GroupOnPage {
    GroupBreak()
    {
        Detail = new TKivLevel(&Root);
        Detail->SetParent(Page);
        Var = new TKivExprVar(&Root);
        Var->SetName("Customer");
        Var->SetParent(Page);
        Var->SetDataType(dtypeString);
        Var->SetUpdateLevel(Detail);
        Var->OnGetData = [this](TKivVar* V) {
            if (Values.at(Record))
                V->SetAsString(*Values.at(Record));
        };
        Group->SetVariable(Var);
    }
    // Moves to record R as the page does, then asks the group.
    bool BreaksAt(std::size_t R)
    {
        Record = R;
        Page->UpdateDataLevel(Detail);
        return Group->CheckBroken();
    }
    TKivLevel* Detail = nullptr;
    TKivExprVar* Var = nullptr;
    std::vector<std::optional<String>> Values;
    std::size_t Record = 0;
};

} // namespace

TEST_F(GroupBreak, TheRunEndsWhenTheTextOfTheValueChangesCaseIncluded)
{
    Values = {String("Ann"), String("Ann"), String("ann"), String("Bob"), std::nullopt, std::nullopt, String("")};
    Page->StartRun();
    EXPECT_TRUE(BreaksAt(0)) << "the first record against the empty look-back";
    EXPECT_FALSE(BreaksAt(1));
    EXPECT_TRUE(BreaksAt(2)) << "values differing in case only break the group";
    EXPECT_TRUE(Group->Broken());
    EXPECT_TRUE(BreaksAt(3));
    EXPECT_TRUE(BreaksAt(4));
    EXPECT_FALSE(BreaksAt(5)) << "null twice in a row prints alike";
    EXPECT_FALSE(BreaksAt(6)) << "an empty text prints as null does";
    Page->EndRun();
}

TEST_F(GroupBreak, TheHandlerHasTheLastWordAndItsFailureIsShown)
{
    Values = {String("A"), String("B")};
    Page->StartRun();
    BreaksAt(0);
    std::vector<bool> Seen;
    Group->OnCheckBroken = [&](TObject* Sender) {
        Seen.push_back(static_cast<TKivGroup*>(Sender)->Broken());
        static_cast<TKivGroup*>(Sender)->SetBroken(false);
    };
    EXPECT_FALSE(BreaksAt(1)) << "the handler overrules the built-in test";
    EXPECT_EQ(Seen, std::vector<bool>{true});

    // Without a variable only the handler breaks the group.
    const Integer ManagerBefore = Page->PageManagerCount;
    Group->SetVariable(nullptr);
    EXPECT_EQ(Page->PageManagerCount, ManagerBefore + 1) << "the page manager shows the new variable";
    Group->OnCheckBroken = nullptr;
    EXPECT_FALSE(Group->CheckBroken());
    Group->OnCheckBroken = [](TObject* Sender) { static_cast<TKivGroup*>(Sender)->SetBroken(true); };
    EXPECT_TRUE(Group->CheckBroken());

    std::vector<String> Shown;
    Application()->OnException = [&](TObject*, const Exception& E) { Shown.push_back(E.Message()); };
    Group->OnCheckBroken = [](TObject* Sender) {
        static_cast<TKivGroup*>(Sender)->SetBroken(true);
        throw Exception("no answer");
    };
    EXPECT_TRUE(Group->CheckBroken()) << "the test goes on with what the handler set";
    Application()->OnException = nullptr;
    EXPECT_EQ(Shown, std::vector<String>{"no answer"});
    Page->EndRun();
}

TEST_F(GroupBreak, AVariableWithoutValuesIsReportedNotRead)
{
    // Before a run the variable has no values to compare, stale or not.
    for (TKivUpdateMode Mode : {umNeedUpdate, umNoUpdate}) {
        Var->SetUpdateMode(Mode);
        try {
            Group->CheckBroken();
            ADD_FAILURE() << "compared nothing";
        } catch (const Exception& E) {
            EXPECT_EQ(E.Message(), "Datatype is bad for variable: Customer");
        }
    }
}

TEST_F(GroupOnPage, HeadAndFootPrintTheirBandsUnlessHiddenAndTheHeadEndsTheBreak)
{
    Group->AddBands(Page);
    TStandInBandPage Output; // the page the run prints on; outside the range nothing is drawn
    Output.InRange = false;
    std::vector<String> Printed;
    for (TKivBand* B : {Group->Header(), Group->Footer()})
        B->OnBeforePrint = [&Printed, B](TObject*) { Printed.push_back(B->BandName()); };

    Group->SetBroken(true);
    Group->PrintFoot(&Output);
    EXPECT_TRUE(Group->Broken()) << "only the head ends the break";
    Group->PrintHead(&Output);
    EXPECT_FALSE(Group->Broken());
    EXPECT_EQ(Printed, (std::vector<String>{"Group1 Footer", "Group1 Header"}));

    Printed.clear();
    Group->SetShowHead(false);
    Group->SetShowFoot(false);
    Group->SetBroken(true);
    Group->PrintFoot(&Output);
    Group->PrintHead(&Output);
    EXPECT_TRUE(Printed.empty());
    EXPECT_FALSE(Group->Broken()) << "a hidden head still ends the break";
}

TEST(GroupStreaming, TheLevelIsAlwaysWrittenAndReadBack)
{
    RegisterClass(TKivGroup::StaticClass());
    TKivGroup G(nullptr);
    G.SetName("Group1");
    const String Outermost = WriteComponentToText(&G);
    EXPECT_NE(Outermost.find("Level = 0"), String::npos) << Outermost;

    G.SetLevel(3);
    G.SetShowFoot(false);
    const String Text = WriteComponentToText(&G);
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Text));
    auto* R = dynamic_cast<TKivGroup*>(Read.get());
    ASSERT_NE(R, nullptr);
    EXPECT_EQ(R->Level(), 3);
    EXPECT_FALSE(R->ShowFoot());
    EXPECT_TRUE(R->ShowHead());
    EXPECT_EQ(R->BoundsRect(), TRect(0, 0, 0, 0));
    EXPECT_EQ(WriteComponentToText(R), Text);
}
