// Band kinds: overlays, sub bands, sub-data bands with their data heads and feet, as a run of the
// page prints them.

#include "engine/PageTestSupport.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/DialogService.h"
#include "runtime/engine/KivPage.h"

#include <gtest/gtest.h>

using namespace qor;
using namespace qor::test;

namespace {

using TTexts = std::vector<std::vector<std::string>>;

class BandKinds : public PageFixture {};

TEST_F(BandKinds, OverlaysPrintOnEveryPageAtTheirOffsetsBeneathOrAboveTheOtherBands)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    auto* Under = Place(new TKivOverlayBand(&Root), "UNDER", 20);
    auto* Over = Place(new TKivOverlayBand(&Root), "OVER", 20);
    Over->SetFirst(false);
    Over->SetUseMargins(false);
    Over->SetTopOffset(10);
    Over->SetLeftOffset(20);
    Under->SetTopOffset(10);
    Under->SetLeftOffset(20);
    const auto Pages = PagesOf(Run());
    ASSERT_EQ(Pages.size(), 2u);
    for (const auto& P : Pages) {
        EXPECT_EQ(P.front().Text, "UNDER") << "first overlays come before anything else of the page";
        EXPECT_EQ(P.back().Text, "OVER") << "the others after the page foot";
        EXPECT_EQ(P.front().X - P.back().X, 48) << "margins counted only with UseMargins";
        EXPECT_EQ(P.front().Y - P.back().Y, 48);
        EXPECT_EQ(P[1].Text, "PH");
        EXPECT_EQ(P[1].X, P.front().X - 20) << "after an overlay the position is back at the margins";
    }
}

TEST_F(BandKinds, SubBandsPrintAboveAndBelowTheirBandInOrder)
{
    Records(1);
    auto Sub = [this](const char* Text, bool Above, Integer Order) {
        auto* S = Place(new TKivSubBand(&Root), Text, 20);
        S->SetAttachedBand(Page->Detail());
        S->SetAbove(Above);
        S->SetOrderDirect(Order);
        return S;
    };
    Sub("B1", false, 1);
    Sub("A1", true, 5);
    Sub("B0", false, 0);
    Sub("A0", true, 2);
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "A0", "A1", "D1", "B0", "B1", "RF", "PF"}}));
}

// Orders on the page, their items in a sub-data band with a data head and foot.
class MasterDetail : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        Records(3);
        Orders = Page->DataSource()->DataSet();
        TDataSource* ItemSource = Data({"Order:Integer", "Name:String"}, {"1,a", "1,b", "3,c"});
        Items = ItemSource->DataSet();
        Sub = Place(new TKivSubDataBand(&Root), "I", 20);
        Sub->SetAttachedBand(Page->Detail());
        Sub->SetDataSource(ItemSource);
        Name = Field(ItemSource, "Name", Sub->UpdateLevel());
        static_cast<TVarTextLabel*>(Sub->Labels()[0])->Var = Name;
        Sub->OnDataFilter = [this](TObject*, bool& Result) {
            Result = Items->FieldByName("Order")->AsInteger() == Orders->FieldByName("N")->AsInteger();
        };
        Head = Place(new TKivDataHeadBand(&Root), "IH", 20);
        Head->SetAttachedBand(Sub);
        Foot = Place(new TKivDataFootBand(&Root), "IF", 20);
        Foot->SetAttachedBand(Sub);
        // Below the order, the item variable as the loop left it.
        Below = Place(new TKivSubBand(&Root), "S", 20);
        Below->SetAttachedBand(Page->Detail());
        static_cast<TVarTextLabel*>(Below->Labels()[0])->Var = Name;
    }

    TDataSet* Orders = nullptr;
    TDataSet* Items = nullptr;
    TKivSubDataBand* Sub = nullptr;
    TKivDataHeadBand* Head = nullptr;
    TKivDataFootBand* Foot = nullptr;
    TKivSubBand* Below = nullptr;
    TKivDBVar* Name = nullptr;
};

TEST_F(MasterDetail, EachOrderPrintsItsItemsBetweenHeadAndFootAndAnEmptyOneNeither)
{
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D1", "IH", "Ia", "Ib", "IF", "Sb", // order 1
                                   "D2", "S",                                // no items: level reset
                                   "D3", "IH", "Ic", "IF", "Sc", "RF", "PF"}}));

    // A sub band on the sub-data band hangs from the detail.
    auto* OnSub = Place(new TKivSubBand(&Root), "X", 20);
    OnSub->SetAttachedBand(Sub);
    EXPECT_EQ(OnSub->GetMainBand(), Page->Detail());
    EXPECT_EQ(Head->GetMainBand(), Page->Detail());
    EXPECT_EQ(RunTexts()[0][4], "X") << "printed with each item";
}

TEST_F(MasterDetail, TheSubDataLoopHonoursRangeFiltersAndItsDataSetEnd)
{
    Integer Skips = 0;
    Sub->OnAfterDataSkip = [&Skips](TKivSubDataBand*) { ++Skips; };
    Sub->OnDataFilter = [](TObject*, bool&) {};
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D1", "S", "D2", "S", "D3", "S", "RF", "PF"}}));
    EXPECT_EQ(Skips, 0) << "no record accepted, none positioned on";

    // A single record prints the current item once and leaves the data set where it was.
    Sub->OnDataFilter = nullptr;
    Sub->SetDataRange(drSingleRecord);
    Items->Open();
    Items->Next();
    EXPECT_EQ(RunTexts()[0][3], "Ib");
    EXPECT_EQ(Items->FieldByName("Name")->AsString(), "b");

    // CloseDataSet closes the items only when no OnDataFinish takes over.
    Sub->SetCloseDataSet(true);
    Integer Finished = 0;
    Sub->OnDataFinish = [&Finished](TKivSubDataBand*) { ++Finished; };
    Run();
    EXPECT_EQ(Finished, 3);
    EXPECT_TRUE(Items->Active());
    Sub->OnDataFinish = nullptr;
    Run();
    EXPECT_FALSE(Items->Active());
}

TEST(BandKindPlace, OnlyAGroupPageTakesABandKindIntoItsList)
{
    TComponent Root(nullptr);
    auto* Page = new TKivGrouppage(&Root);
    auto* Other = new TWinControl(&Root);
    auto* Sub = new TKivSubDataBand(&Root);
    EXPECT_THROW(Sub->SetParent(Other), EAbort);
    // A plain report page is no group page: it takes none of the attached kinds, nor a group.
    auto* Plain = new TKivPage(&Root);
    for (TControl* C : std::initializer_list<TControl*>{Sub, new TKivSubBand(&Root), new TKivOverlayBand(&Root),
                                                        new TKivDataHeadBand(&Root), new TKivGroup(&Root)}) {
        SCOPED_TRACE(C->ClassName());
        EXPECT_THROW(C->SetParent(Plain), EAbort);
        EXPECT_EQ(C->Parent(), nullptr);
    }
    Sub->SetParent(Page);
    EXPECT_EQ(Page->SubDataBandList().size(), 1u);
    EXPECT_EQ(Sub->Caption(), " ");
    EXPECT_EQ(Sub->GetMainBand(), Sub) << "unattached: the band itself";
    Sub->SetParent(nullptr);
    EXPECT_TRUE(Page->SubDataBandList().empty());

    // While designing, repeat is refused with a pointer to the help.
    Sub->SetDesigning(true);
    DialogService().Reset();
    DialogService().ScriptResult(mrOk);
    Sub->SetNewPageRepeat(true);
    EXPECT_FALSE(Sub->NewPageRepeat());
    ASSERT_EQ(DialogService().History().size(), 1u);
    EXPECT_EQ(DialogService().History()[0].Text, "Look in the help on how to set repeat on a subdata band.");
    DialogService().Reset();

    // An older form names the data set itself: read and dropped.
    RegisterClass(TKivSubDataBand::StaticClass());
    std::unique_ptr<TComponent> Read(
        ReadComponentFromText("object Items: TKivSubDataBand\n  DataSet = Table1\n  CloseDataSet = True\nend\n"));
    auto* R = dynamic_cast<TKivSubDataBand*>(Read.get());
    ASSERT_NE(R, nullptr);
    EXPECT_TRUE(R->CloseDataSet());
    EXPECT_EQ(WriteComponentToText(R).find(" DataSet ="), String::npos) << WriteComponentToText(R);
    // It stays published, as a data set reference, for the inspector of older forms.
    for (TClass C : {TKivSubDataBand::StaticClass(), TKivGrouppage::StaticClass()}) {
        const TPropInfo* P = C->FindProperty("DataSet");
        ASSERT_NE(P, nullptr) << C->Name;
        EXPECT_EQ(P->ObjectClass(), TDataSet::StaticClass());
        EXPECT_FALSE(P->IsStored(R));
    }
}

} // namespace
