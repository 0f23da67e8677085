// The band and group manager on the master-detail example: adding, deleting and moving bands
// and groups, what a drop may re-hang, and which menu items are offered.

#include "designer/DesignerSupport.h"
#include "designer/PAGEMAN.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gdi.h"
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
    // a drag from another control is refused; one of the list's rows goes by the table
    Manager->SelectBand(inner);
    bool accept = true;
    Manager->BandListDragOver(Manager->BandList, Manager->grouplist, 5, 5, dsDragMove, accept);
    EXPECT_FALSE(accept);
    const Integer y = Row(detail) * Manager->BandList->ItemHeight() + 2;
    Manager->BandListDragOver(Manager->BandList, Manager->BandList, 5, y, dsDragMove, accept);
    EXPECT_TRUE(accept);
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

TEST_F(PageManagerTest, TheTreeIndentsBandsByTheirDepthAndDrawsTheirConnectors)
{
    Manager->AddGroup();
    Manager->AddGroup();
    TKivBand* detail = Band("CustomerBand");
    TKivBand* sub = Manager->AddSubBand(detail, false);
    std::vector<TKivBand*> rows(Page()->BandList().begin(), Page()->BandList().end());
    const auto at = [&](const TKivBand* B) { return static_cast<Integer>(std::find(rows.begin(), rows.end(), B) - rows.begin()); };
    const TRect rect = Bounds(0, 140, 300, 14);
    const TKivTreeRow row = KivBandTreeRow(Page(), rows, at(sub), rect);
    EXPECT_EQ(row.Depth, 4); // 1 step to the detail band, which stands 1 + 2 groups deep
    EXPECT_EQ(row.Colour, clBlack);
    ASSERT_FALSE(row.Lines.empty());
    EXPECT_EQ(row.Lines[0], (TKivTreeLine{35, 147, 39, 147})); // the stub left of the 40 pixel indent
    // the last band below the detail: its segment goes up from mid-row only
    EXPECT_EQ(row.Lines[1], (TKivTreeLine{35, 140, 35, 147}));
    EXPECT_EQ(KivBandTreeRow(Page(), rows, at(detail), rect).Depth, 3);
    EXPECT_EQ(KivBandTreeRow(Page(), rows, at(detail), rect).Colour, clBlue);
    EXPECT_EQ(KivBandTreeRow(Page(), rows, at(Band("OrderLines")), rect).Colour, clMaroon);
    EXPECT_EQ(KivBandTreeRow(Page(), rows, at(Page()->GroupList()[0]->Header()), rect).Depth, 1);
    EXPECT_EQ(KivBandTreeRow(Page(), rows, at(Page()->GroupList()[1]->Footer()), rect).Colour, clGreen);

    // attached bands in a loop (a hand-edited file) end the walk
    auto* a = dynamic_cast<TKivAttachedBand*>(Band("OrderLines"));
    auto* b = dynamic_cast<TKivAttachedBand*>(Band("OrderHead"));
    a->SetBand(b);
    b->SetBand(a);
    EXPECT_GT(KivBandTreeRow(Page(), rows, at(a), rect).Depth, 100);
    EXPECT_TRUE(KivValidMove(Page(), sub, a)); // the loop does not hang the drop test either
    a->SetBand(detail);
    b->SetBand(a);
}

TEST_F(PageManagerTest, RowsTellWhatIsMissingAndMismatchedLevels)
{
    bool mismatch = false;
    // the example's sources have no guides, so their levels cannot match
    EXPECT_EQ(KivBandSourceText(Page(), Band("OrderLines"), mismatch), "OrderSource (UpdateLevels do not match)");
    EXPECT_TRUE(mismatch);
    EXPECT_EQ(KivBandSourceText(Page(), Band("CustomerBand"), mismatch), "CustomerSource (UpdateLevels do not match)");
    TKivBand* data = Manager->AddSubDataBand(Band("CustomerBand"), 0);
    EXPECT_EQ(KivBandSourceText(Page(), data, mismatch), "Fill in DataSource.");
    EXPECT_FALSE(mismatch);
    EXPECT_EQ(KivBandSourceText(Page(), Manager->AddOverlayBand(false), mismatch), "PrintLast at Offset: 0");

    TKivGroup* g = Manager->AddGroup();
    String variable, event;
    KivGroupRowTexts(g, &Host, variable, event);
    EXPECT_EQ(variable, "Fill in Variable");
    EXPECT_EQ(event, "Fill in OnCheckBroken event.");
    g->SetVariable(Find<TKivVar>("OrderIdVar"));
    KivGroupRowTexts(g, &Host, variable, event);
    EXPECT_EQ(variable, "OrderIdVar");
    EXPECT_EQ(event, "Not assigned.");

    // a mismatch marks the caption once, however often the rows are drawn
    Manager->UpdateLists();
    Manager->Show();
    HDC dc = CreateRasterDC(500, 450);
    for (int i = 0; i < 3; ++i)
        Manager->PaintTo(dc, 0, 0);
    DeleteDC(dc);
    EXPECT_EQ(Manager->Caption(), "* Band Manager for ShopPage");
    Manager->Hide();
}

TEST_F(PageManagerTest, MenusOfferWhatFitsAndRefusalsChangeNothing)
{
    TKivBand* lines = Band("OrderLines");
    Manager->SelectBand(lines);
    Manager->BandListPopup->Popup(0, 0);
    EXPECT_TRUE(Manager->MoveUp1->Enabled());
    EXPECT_FALSE(Manager->DataHeader1->Enabled()); // it has its head band
    ASSERT_EQ(Manager->AddDataBand1->Count(), 1);  // no guides: only "No DataSource"
    EXPECT_EQ(Manager->AddDataBand1->Items(0)->Caption(), "No DataSource");
    Manager->BandListPopup->Popup(0, 0); // made again, not added to
    ASSERT_EQ(Manager->AddDataBand1->Count(), 1);
    const size_t bands = Page()->BandList().size();
    Manager->AddDataBand1->Items(0)->Click();
    EXPECT_EQ(Page()->BandList().size(), bands + 1);
    EXPECT_EQ(dynamic_cast<TKivBand*>(Manager->SelectedBand())->Band(), lines);

    // an ancestor's band is refused with a message, and stays
    TKivBand* sub = Manager->AddSubBand(lines, true);
    sub->SetAncestor(true);
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    EXPECT_FALSE(Manager->DeleteBand(sub));
    EXPECT_EQ(DialogService().History().back().Text,
              "Selection contains a component introduced in an ancestor form which cannot be deleted");
    sub->SetAncestor(false);
    // main bands are not deleted here
    EXPECT_FALSE(Manager->DeleteBand(Band("PageFoot")));

    // a band that cannot be placed is not kept half made (a plain page takes no attached bands)
    auto* plain = new TKivPage(Host.Root());
    const Integer components = Host.Root()->ComponentCount();
    Manager->SetPage(plain);
    EXPECT_THROW(Manager->AddSubDataBand(lines, 0), EAbort);
    EXPECT_THROW(Manager->AddOverlayBand(true), EAbort);
    EXPECT_EQ(Host.Root()->ComponentCount(), components);
    Manager->SetPage(Page());
    Free(plain);

    Manager->GroupListPopup->Popup(0, 0);
    EXPECT_FALSE(Manager->GroupDelete->Enabled());
    Manager->GroupListPopup->Items()->Items(0)->Click(); // "&Add"
    EXPECT_EQ(Manager->grouplist->Count(), 1);
}
