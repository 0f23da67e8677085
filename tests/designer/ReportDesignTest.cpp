// The report designer's tool bar and rulers on the master-detail example: what the report gets
// when it is designed, where the buttons stand, what each does, and the way to the manager.

#include "designer/DesignerSupport.h"
#include "designer/Kivrepds.h"
#include "designer/PAGEMAN.h"
#include "platform/graphics/Screen.h"
#include "platform/ui/MessageQueue.h"
#include "runtime/engine/KivRep.h"

using namespace qor;
using namespace qor::test;

namespace {

class ReportDesignTest : public DesignerTest {
protected:
    TKivReport* Report() { return Find<TKivReport>("Report"); }
    TKivReportDesign* Design() { return dynamic_cast<TKivReportDesign*>(Report()->RepDesign()); }
};

int Previews = 0, Prompts = 0;
std::vector<String> Previewed;
void RecordPreview(TKivPage* P)
{
    ++Previews;
    Previewed.push_back(P->Description());
}
void RecordPrompt(TKivPage*, bool& Result)
{
    ++Prompts;
    Result = false;
}

} // namespace

TEST_F(ReportDesignTest, ADesignedReportGetsTheToolBarAndRulers)
{
    TKivReportDesign* d = Design();
    ASSERT_NE(d, nullptr);
    struct Row {
        TKivNoScaleBtn* Button;
        const char* Caption;
        const char* Hint;
        Integer Left, Top, Width, Height;
    };
    const Row rows[] = {
        {d->MinMaxButton(), "Min", "Minimize/Maximize Report", 0, 0, 35, 35},
        {d->SelectButton(), "", "Select GroupPage", 35, 0, 35, 35},
        {d->PageManButton(), "Band", "Band Manager", 70, 0, 35, 35},
        {d->DataButton(), "Data", "Data Control", 105, 0, 35, 35},
        {d->AutoLabelButton(), "Fast", "Fast Label Placement", 140, 0, 35, 35},
        {d->RunButton(), "Run", "Run Report", 175, 0, 35, 35},
        {d->Rep1Button(), "Overview", "Run Overview Report", 291, 0, 50, 17},
        {d->Rep2Button(), "Diagnostic", "Run Diagnostic Report", 291, 17, 50, 17},
        {d->AlignButton(0), "", "Align left Edges", 225, 0, 17, 17},
        {d->AlignButton(1), "", "Align horizontal centers", 242, 0, 17, 17},
        {d->AlignButton(2), "", "Align right edges", 259, 0, 17, 17},
        {d->AlignButton(3), "", "Horizontal page center", 242, 17, 17, 17},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Hint);
        EXPECT_EQ(r.Button->Parent(), Report());
        EXPECT_EQ(r.Button->Caption(), r.Caption);
        EXPECT_EQ(r.Button->Hint(), r.Hint);
        EXPECT_EQ(r.Button->BoundsRect(), Bounds(r.Left, r.Top, r.Width, r.Height));
        EXPECT_EQ(r.Button->Font()->Size(), 7);
        // glyph buttons carry their own bitmap
        EXPECT_EQ(r.Button->Glyph()->Empty(), r.Caption[0] != '\0');
    }
    EXPECT_EQ(d->SelectButton()->Glyph()->Width(), 24);
    d->RunButton()->ChangeScale(2, 1); // the form's rescaling leaves the tool bar as it is
    EXPECT_EQ(d->RunButton()->Width(), 35);
    EXPECT_EQ(d->AlignButton(3)->Glyph()->Width(), 14);
    // the rulers stand beside the page
    TKivPage* page = Page();
    EXPECT_FALSE(d->TopRuler()->Vertical());
    EXPECT_EQ(d->TopRuler()->Top(), page->Top() - d->TopRuler()->Height());
    EXPECT_EQ(d->TopRuler()->Width(), page->Width());
    EXPECT_EQ(d->LeftRuler()->Left(), page->Left() - d->LeftRuler()->Width());
    EXPECT_EQ(d->LeftRuler()->RulerCount(), static_cast<Integer>(page->BandList().size()));
    EXPECT_EQ(d->TopRuler()->Units(), unitCentiMeters);

    // at 120 pixels per inch the report buttons are 62 wide
    SetScreenPixelsPerInch(120);
    {
        TKivReportDesign wide(Report());
        EXPECT_EQ(wide.Rep1Button()->Width(), 62);
    }
    SetScreenPixelsPerInch(96);
}

TEST_F(ReportDesignTest, MainButtonsReturnAfterAMoveAndTheRulerFollowsTheScroll)
{
    TKivReportDesign* d = Design();
    d->MinMaxButton()->SetBounds(100, 100, 35, 35);
    d->RunButton()->SetBounds(5, 60, 35, 35);
    d->Rep1Button()->SetBounds(7, 90, 50, 17);
    Page()->HorzScrollBar()->SetRange(Page()->Width() * 3);
    Page()->HorzScrollBar()->SetPosition(40);
    d->RepositionButtons();
    EXPECT_EQ(d->MinMaxButton()->BoundsRect(), Bounds(0, 0, 35, 35));
    EXPECT_EQ(d->RunButton()->BoundsRect(), Bounds(175, 0, 35, 35));
    EXPECT_EQ(d->Rep1Button()->BoundsRect(), Bounds(7, 90, 50, 17)); // stays where it was put
    EXPECT_EQ(d->TopRuler()->StartPixels(), -Page()->HorzScrollBar()->Position());
    EXPECT_NE(d->TopRuler()->StartPixels(), 0);

    d->MinMaxButton()->Click();
    EXPECT_TRUE(Report()->Minimized());
    EXPECT_EQ(d->MinMaxButton()->Caption(), "Max");
    d->MinMaxButton()->Click();
    EXPECT_EQ(d->MinMaxButton()->Caption(), "Min");

    // the hair-lines follow the mouse; no drag is accepted from another control
    d->RulerXY(33, 44);
    EXPECT_EQ(d->TopRuler()->CrossHairPosition(), 33);
    EXPECT_EQ(d->LeftRuler()->CrossHairPosition(), 44);
    EXPECT_FALSE(d->KivDropOK(d->RunButton()));
    EXPECT_FALSE(d->KivDropOK(Page()));
}

TEST_F(ReportDesignTest, RunPreviewsOnTheLeftButtonAndAsksOnTheRight)
{
    TKivReportDesign* d = Design();
    CustomPreview = &RecordPreview;
    CustomPrompt = &RecordPrompt;
    Previews = Prompts = 0;
    d->RunButtonMouseUp(d->RunButton(), mbMiddle, {}, 0, 0);
    EXPECT_EQ(Previews + Prompts, 0);
    d->RunButtonMouseUp(d->RunButton(), mbRight, {}, 0, 0);
    EXPECT_EQ(Prompts, 1);
    EXPECT_EQ(Previews, 0);
    d->RunButtonMouseUp(d->RunButton(), mbLeft, {}, 0, 0);
    EXPECT_EQ(Prompts, 1);
    EXPECT_EQ(Previews, 1);
    CustomPreview = nullptr;
    CustomPrompt = nullptr;
}

TEST_F(ReportDesignTest, ButtonsMakeTheManagerThroughADoubleClickOnThePage)
{
    TKivReportDesign* d = Design();
    TKivPage* page = Page();
    ASSERT_EQ(page->PageManager(), nullptr);
    d->CreatePageManager();
    auto* manager = dynamic_cast<TKivPageManager*>(page->PageManager());
    ASSERT_NE(manager, nullptr);
    EXPECT_FALSE(manager->Visible());
    EXPECT_EQ(manager->PageDesigner(), static_cast<IDesigner*>(&Host));

    // the select button selects the page (after what the designer was asked)
    Host.SelectComponent(Find<TComponent>("OrderSource"));
    d->SelectButtonMouseUp(d->SelectButton(), mbLeft, {}, 0, 0);
    DeliverPostedMessages();
    ASSERT_EQ(Host.Selection().size(), 1u);
    EXPECT_EQ(Host.Selection()[0], page);

    // the two reports each run into the viewer
    CustomPreview = &RecordPreview;
    Previewed.clear();
    d->Rep1Button()->Click();
    d->Rep2Button()->Click();
    DeliverPostedMessages();
    CustomPreview = nullptr;
    EXPECT_EQ(Previewed, (std::vector<String>{"QOR Overview Report", "QOR Diagnostic Report"}));
    EXPECT_FALSE(manager->Visible());
    EXPECT_TRUE(DialogService().History().empty());

    d->PageManButton()->Click();
    EXPECT_TRUE(manager->Visible());
    manager->Hide();
}
