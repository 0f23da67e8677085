// The band and group manager on the master-detail example: adding, deleting and moving bands
// and groups, what a drop may re-hang, and which menu items are offered.

#include "designer/DesignerSupport.h"
#include "designer/PAGEMAN.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivVarBase.h"

using namespace qor;
using namespace qor::test;

namespace {

class PageManagerTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        GetComponentEditor(Page(), &Host)->Edit();
        Manager = dynamic_cast<TKivPageManager*>(Page()->PageManager());
        ASSERT_NE(Manager, nullptr);
        Manager->UpdateLists();
    }
    TKivBand* Band(const char* Name) { return Find<TKivBand>(Name); }
    std::vector<String> Rows() const
    {
        std::vector<String> v;
        for (Integer i = 0; i < Manager->BandList->Count(); ++i)
            v.push_back(Manager->BandList->Items()->Strings(i));
        return v;
    }
    Integer Row(const TKivBand* B) const { return Manager->BandList->Items()->IndexOfObject(const_cast<TKivBand*>(B)); }

    TKivPageManager* Manager = nullptr;
};

} // namespace

TEST_F(PageManagerTest, SubBandsAreNamedAfterTheirTargetShareItsLevelAndFlipAcrossIt)
{
    TKivBand* onDetail = Manager->AddSubBand(Band("CustomerBand"), true);
    EXPECT_EQ(onDetail->Name(), "CustomerBandSub");
    EXPECT_EQ(onDetail->UpdateLevel(), Band("CustomerBand")->UpdateLevel());
    EXPECT_EQ(Manager->AddSubBand(Band("CustomerBand"), true)->Name(), "CustomerBandSub1");

    TKivBand* detail = Band("PageHead"); // nothing else hangs on it
    TKivBand* above = Manager->AddSubBand(detail, true);
    TKivBand* below = Manager->AddSubBand(detail, false);
    EXPECT_EQ(Row(above) + 1, Row(detail));
    EXPECT_EQ(Row(below), Row(detail) + 1);
    EXPECT_EQ(Manager->BandList->ItemIndex(), Row(below)); // the new band is selected

    // Move Down on the lowest band above flips it below, as the first band there
    Manager->MoveBand(above, false);
    EXPECT_FALSE(dynamic_cast<TKivSubBand*>(above)->Above());
    EXPECT_EQ(Row(above), Row(detail) + 1);
    EXPECT_EQ(Row(below), Row(detail) + 2);
    // Move Up on the first band below flips it back above, as the last band there
    Manager->MoveBand(above, true);
    EXPECT_TRUE(dynamic_cast<TKivSubBand*>(above)->Above());
    EXPECT_EQ(Row(above) + 1, Row(detail));
}

TEST_F(PageManagerTest, DeletingASubDataBandTakesWhatHangsOnItAndTheirLevels)
{
    TKivBand* detail = Band("CustomerBand");
    TKivBand* data = Manager->AddSubDataBand(detail, 0);
    const String levelName = data->UpdateLevel()->Name();
    TKivBand* head = Manager->AddHeadFootBand(data, true);
    TKivBand* sub = Manager->AddSubBand(data, false);
    TKivBand* inner = Manager->AddSubDataBand(sub, 0);
    EXPECT_TRUE(head->UpdateLevel()->IsHeader());
    EXPECT_EQ(KivBandMenuState(Page(), data).Header, false); // it has its header now
    EXPECT_EQ(KivBandMenuState(Page(), data).Footer, true);
    const size_t before = Page()->BandList().size();

    // a band with bands on it asks first; No changes nothing
    DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
    EXPECT_FALSE(Manager->DeleteBand(data));
    EXPECT_EQ(DialogService().History().back().Text, "This band contains labels or child bands.  Delete Anyway?");
    EXPECT_EQ(DialogService().History().back().Caption, "Confirm Delete");
    EXPECT_EQ(Page()->BandList().size(), before);

    DialogService().Expect(TDialogKind::dkMessageBox, IDYES);
    EXPECT_TRUE(Manager->DeleteBand(data));
    EXPECT_EQ(Page()->BandList().size(), before - 4);
    for (const char* gone : {"Data", "DataHeader", "DataSub", "Data1"})
        EXPECT_EQ(Host.Root()->FindComponent(gone), nullptr) << gone;
    EXPECT_EQ(Host.Root()->FindComponent(levelName), nullptr);
    EXPECT_EQ(Host.Root()->FindComponent(inner ? "Data1Level" : ""), nullptr);
    EXPECT_EQ(Rows().size(), Page()->BandList().size());
}

TEST_F(PageManagerTest, GroupsAreAddedDeletedAndMovedWithTheirBands)
{
    TKivGroup* a = Manager->AddGroup();
    TKivGroup* b = Manager->AddGroup();
    ASSERT_NE(a->Header(), nullptr);
    EXPECT_EQ(Manager->grouplist->Count(), 2);
    EXPECT_NE(Row(a->Header()), -1);
    EXPECT_LT(Row(a->Header()), Row(b->Header()));

    Manager->MoveGroup(1, true); // Move&Up on the second puts it first
    ASSERT_EQ(Manager->GroupPosList().size(), 2u);
    EXPECT_EQ(Manager->GroupPosList()[0], b);
    EXPECT_LT(Row(b->Header()), Row(a->Header()));

    // a group goes with the bands hanging on its header; the rest are renumbered
    TKivGroup* c = Manager->AddGroup();
    Manager->AddSubBand(b->Header(), false);
    const size_t bands = Page()->BandList().size();
    Manager->DeleteGroup(0);
    EXPECT_EQ(Page()->BandList().size(), bands - 3);
    EXPECT_EQ(Manager->GroupPosList(), (std::vector<TKivGroup*>{a, c}));
    EXPECT_EQ(a->GroupName(), "Group: 1");
    EXPECT_EQ(c->GroupName(), "Group: 2");
    EXPECT_EQ(KivGroupOfBand(Page(), c->Footer()), c);
}

TEST_F(PageManagerTest, DropsAndMenusFollowTheBandKinds)
{
    TKivBand* detail = Band("CustomerBand");
    TKivBand* foot = Band("PageFoot");
    TKivBand* lines = Band("OrderLines");
    TKivBand* head = Band("OrderHead");
    TKivBand* sub = Manager->AddSubBand(detail, false);
    TKivBand* overlay = Manager->AddOverlayBand(true);
    TKivBand* inner = Manager->AddSubDataBand(lines, 0);
    struct Move {
        TKivBand* Dragged;
        TKivBand* Target;
        bool Valid;
    };
    const Move moves[] = {
        {sub, foot, true},      // a sub band may hang on the page foot
        {lines, foot, false},   // a sub-data band may not
        {lines, inner, false},  // not onto its own descendant
        {inner, detail, true},  {lines, lines, false}, {detail, lines, false}, // a main band never moves
        {head, detail, false},  // head and foot bands stay on their data band
        {overlay, detail, false}, {lines, overlay, false}, {sub, sub, false}, {sub, nullptr, false},
    };
    for (const Move& m : moves)
        EXPECT_EQ(KivValidMove(Page(), m.Dragged, m.Target), m.Valid)
            << m.Dragged->Name() << " onto " << (m.Target ? m.Target->Name() : String("nothing"));
    EXPECT_FALSE(Manager->DropBand(lines, foot));
    EXPECT_TRUE(Manager->DropBand(inner, detail));
    EXPECT_EQ(inner->Band(), detail);

    using S = TKivBandMenuState;
    struct Menu {
        TKivBand* Band;
        S State;
    };
    const Menu menus[] = {
        {nullptr, S{}},
        {lines, S{true, true, true, true, false, false, true, true}}, // it has a head and a foot
        {sub, S{true, false, true, false, false, false, true, true}},
        {head, S{false, true, true, false, false, false, true, true}},
        {overlay, S{true, false, false, false, false, false, true, true}},
        {detail, S{false, true, true, false, false, false, false, true}},
        {foot, S{false, true, false, false, false, false, false, true}},
    };
    for (const Menu& m : menus)
        EXPECT_EQ(KivBandMenuState(Page(), m.Band), m.State) << (m.Band ? m.Band->Name() : String("none"));
    Manager->DropBand(sub, foot);
    EXPECT_FALSE(KivBandMenuState(Page(), sub).AddDataBand); // a sub band on the page foot

    using G = TKivGroupMenuState;
    EXPECT_EQ(KivGroupMenuState(-1, 2), (G{true, false, false, false}));
    EXPECT_EQ(KivGroupMenuState(0, 1), (G{true, true, false, false}));
    EXPECT_EQ(KivGroupMenuState(0, 2), (G{true, true, false, true}));
    EXPECT_EQ(KivGroupMenuState(1, 2), (G{true, true, true, false}));
}

TEST_F(PageManagerTest, LevelsOfDataSourcesAreCompared)
{
    TKivBand* lines = Band("OrderLines");
    auto* source = dynamic_cast<TKivSubDataBand*>(lines)->DataSource();
    // the example has no data-source guides
    EXPECT_FALSE(KivIsSameLevel(Page(), source, lines));
    EXPECT_FALSE(KivIsSameLevel(Page(), nullptr, lines));
}
