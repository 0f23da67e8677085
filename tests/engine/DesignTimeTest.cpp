// The report page in the form designer: the main bands a new page gets, the caption strips and the
// layout of bands and strips, names, the delete guard, parents refused, the variable and
// data-source lists, what the designer object and the band and group manager hear, and designs
// that survive their form files.

#include "engine/StandInReport.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Forms.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVar.h"
#include "runtime/output/QorDump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace qor;
using namespace qor::test;

namespace {

std::vector<std::string> gHeard;

void Hear(const std::string& What) { gHeard.push_back(What); }

// The band and group manager as the page sees it: a form that hears the page's messages. On
// "refill the data-source lists" it gives the page the data sources it was handed.
class TRecordingManager : public TForm {
public:
    TRecordingManager(TKivPage* APage) : TForm(nullptr), Page(APage) {}
    void WndProc(TMessage& M) override
    {
        switch (M.Msg) {
        case KIV_PM_REFRESH: Hear("manager refresh"); return;
        case KIV_PM_VARLIST: Hear("manager variable list"); return;
        case KIV_PM_VARCHANGED: Hear("manager variable changed"); return;
        case KIV_PM_FILLDSLISTS:
            Hear("manager fill data-source lists");
            for (const auto& [Source, Name] : Sources) {
                Page->FullDSList().push_back(Source);
                Page->FullDSNames()->Add(Name);
            }
            return;
        default: TForm::WndProc(M);
        }
    }
    TKivPage* Page;
    std::vector<std::pair<TDataSource*, String>> Sources;
};

// The designer object the design-time package would make, recording what the engine tells it.
class TRecordingDesign : public TKivRptDsgn {
public:
    explicit TRecordingDesign(TKivReport* AReport) : Report(AReport) {}
    void RepositionButtons() override { Hear("RepositionButtons"); }
    void SetMinMax() override { Hear("SetMinMax"); }
    void CreatePageManager() override
    {
        Hear("CreatePageManager");
        TKivPage* Page = Report->Page() ? Report->Page()->AsPage() : nullptr;
        if (Page && !Page->PageManager())
            Page->SetPageManager(Manager = new TRecordingManager(Page));
    }
    void RulerXY(Integer X, Integer Y) override { Hear("RulerXY " + std::to_string(X) + "," + std::to_string(Y)); }
    void RulerUpdate() override { Hear("RulerUpdate"); }
    void RulerInvalid() override { Hear("RulerInvalid"); }
    bool KivDropOK(TObject* Source) override
    {
        Hear("KivDropOK");
        return Source == Droppable;
    }
    void KivDroplabels(TObject* Source, TObject* Target, Integer X, Integer Y) override
    {
        Hear(std::string("KivDroplabels ") + (Source == Droppable ? "field" : "?") + " on " +
             static_cast<TComponent*>(Target)->Name() + " at " + std::to_string(X) + "," + std::to_string(Y));
    }
    TKivReport* Report;
    TRecordingManager* Manager = nullptr;
    TObject* Droppable = nullptr;
};

std::vector<std::unique_ptr<TRecordingDesign>> gDesigns;

void MakeRecordingDesign(TKivReport* Report)
{
    gDesigns.push_back(std::make_unique<TRecordingDesign>(Report));
    Report->SetRepDesign(gDesigns.back().get());
}

// The messages heard, each run of the same one counted once.
std::vector<std::string> Collapsed(const std::vector<std::string>& Heard)
{
    std::vector<std::string> Out;
    for (const std::string& H : Heard)
        if (Out.empty() || Out.back() != H)
            Out.push_back(H);
    return Out;
}

std::vector<String> Names(const std::vector<TKivBand*>& Bands)
{
    std::vector<String> Out;
    for (TKivBand* B : Bands)
        Out.push_back(B->Name());
    return Out;
}

String ErrorOf(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const Exception& E) {
        return E.Message();
    }
    return {};
}

// A form in the designer with a report dropped on it: the report has its first page and the page
// its main bands once the posted messages are handled.
class DesignTime : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterClasses({TKivReport::StaticClass(), TKivGrouppage::StaticClass(), TKivBand::StaticClass(),
                         TKivLevel::StaticClass(), TKivGroup::StaticClass(), TKivSubBand::StaticClass(),
                         TKivSubDataBand::StaticClass(), TKivDataHeadBand::StaticClass(),
                         TKivDataFootBand::StaticClass(), TKivOverlayBand::StaticClass(),
                         TKivTextLabel::StaticClass(), TKivvarlabel::StaticClass(), TKivDBVar::StaticClass(),
                         TKivDateTimeVar::StaticClass(), TKivPageVar::StaticClass(),
                         TKivDataSourceGuide::StaticClass(), TMemoryDataSet::StaticClass(),
                         TDataSource::StaticClass(), TForm::StaticClass()});
        gHeard.clear();
        KivDesignCreate = &MakeRecordingDesign;
        Form = Create<TForm>(nullptr);
        Form->SetName("DesignForm");
        Form->SetBounds(0, 0, 900, 700);
        Form->SetDesigning(true);
        Report = Create<TKivReport>(Form);
        Report->SetName("Report1");
        Report->SetParent(Form);
        Report->SetBounds(0, 0, 800, 600);
        Pump();
        ASSERT_EQ(Report->PageCount(), 1);
        Page = Report->Pages(0)->AsPage();
        Design = gDesigns.back().get();
    }
    void TearDown() override
    {
        KivDesignCreate = nullptr;
        Form->SetDesigning(false);
        Free(Form);
        gDesigns.clear();
    }
    static void Pump()
    {
        for (int I = 0; I < 3; ++I)
            Application()->ProcessMessages();
    }
    TKivBandHead* StripOf(TKivBand* Band) const
    {
        const auto& Bands = Page->BandList();
        const auto It = std::find(Bands.begin(), Bands.end(), Band);
        return Page->BandHeads().at(static_cast<std::size_t>(It - Bands.begin()));
    }
    // Which check boxes the band's strip shows, as "VNRS" with "-" for a hidden one.
    std::string ShownChecks(TKivBand* Band) const
    {
        TKivBandHead* S = StripOf(Band);
        std::string Out;
        Out += S->VisibleCheck()->Visible() ? 'V' : '-';
        Out += S->NewPageCheck()->Visible() ? 'N' : '-';
        Out += S->NewPageRepeatCheck()->Visible() ? 'R' : '-';
        Out += S->StretchCheck()->Visible() ? 'S' : '-';
        return Out;
    }
    // Every band directly under the strip before it, every strip directly under its band.
    void ExpectStacked() const
    {
        const auto& Bands = Page->BandList();
        ASSERT_EQ(Page->BandHeads().size(), Bands.size());
        Integer Y = 0;
        for (std::size_t I = 0; I < Bands.size(); ++I) {
            EXPECT_EQ(Bands[I]->Top(), Y) << Bands[I]->Name();
            Y += Bands[I]->Height();
            EXPECT_EQ(Page->BandHeads()[I]->Top(), Y) << Bands[I]->Name();
            EXPECT_EQ(Page->BandHeads()[I]->Height(), 15);
            EXPECT_EQ(Page->BandHeads()[I]->NameLabel()->Caption(), Bands[I]->BandName());
            Y += 15;
        }
    }
    template <class Kind>
    Kind* Attach(TKivBand* To, const String& Name)
    {
        auto* B = Create<Kind>(Form);
        B->SetParent(Page);
        B->SetName(Name);
        B->SetBandName(Name);
        B->SetAttachedBand(To);
        B->SetHeight(20);
        return B;
    }
    TKivGroup* AddGroup(const String& Name)
    {
        auto* G = Create<TKivGroup>(Form);
        G->SetParent(Page);
        G->SetName(Name);
        G->AddBands(Page);
        Page->OrderBands();
        Page->ArrangeBands();
        return G;
    }

    TForm* Form = nullptr;
    TKivReport* Report = nullptr;
    TKivPage* Page = nullptr;
    TRecordingDesign* Design = nullptr;
};

// ---- Main bands, strips, order -------------------------------------------------------------------

TEST_F(DesignTime, ANewPageGetsTheFiveMainBandsStackedWithTheirStrips)
{
    EXPECT_EQ(Page->Name(), "ReportPage");
    EXPECT_EQ(Page->PageName(), "Page: 1");
    EXPECT_EQ(Page->BoundsRect(), Bounds(35, 55, 800 - 55, 600 - 75)) << "the page sits inside its report";
    EXPECT_EQ(Names(Page->BandList()), (std::vector<String>{"ReportHeaderBand", "PageHeaderBand", "DetailBand",
                                                            "PageFooterBand", "ReportFooterBand"}));
    EXPECT_EQ(Page->Head()->Name(), "ReportHeaderBand");
    EXPECT_EQ(Page->PageHead()->Name(), "PageHeaderBand");
    EXPECT_EQ(Page->Detail()->Name(), "DetailBand");
    EXPECT_EQ(Page->PageFoot()->Name(), "PageFooterBand");
    EXPECT_EQ(Page->Foot()->Name(), "ReportFooterBand");
    std::vector<String> BandNames, LevelNames;
    std::vector<Integer> Heights;
    for (TKivBand* B : Page->BandList()) {
        BandNames.push_back(B->BandName());
        Heights.push_back(B->Height());
        ASSERT_NE(B->UpdateLevel(), nullptr);
        LevelNames.push_back(B->UpdateLevel()->Name());
        EXPECT_EQ(B->Owner(), Form) << "owned by the form being designed";
        EXPECT_EQ(B->Caption(), " ");
    }
    EXPECT_EQ(BandNames,
              (std::vector<String>{"Report Header", "Page Header", "Detail", "Page Footer", "Report Footer"}));
    EXPECT_EQ(Heights, (std::vector<Integer>{5, 20, 20, 20, 20}));
    EXPECT_EQ(LevelNames, (std::vector<String>{"ReportHeaderBandlevel", "PageHeaderBandlevel", "DetailBandlevel",
                                               "PageFooterBandlevel", "ReportFooterBandlevel"}));
    EXPECT_EQ(Page->LevelCount(), 5);
    EXPECT_FALSE(Page->Head()->PrintVisible());
    EXPECT_FALSE(StripOf(Page->Head())->VisibleCheck()->Checked()) << "the strip shows the hidden report head";
    EXPECT_TRUE(StripOf(Page->Detail())->VisibleCheck()->Checked());
    ExpectStacked();

    // Only the boxes that apply to each kind.
    EXPECT_EQ(ShownChecks(Page->Head()), "V-RS");
    EXPECT_EQ(ShownChecks(Page->PageHead()), "V--S");
    EXPECT_EQ(ShownChecks(Page->Detail()), "VNRS");
    EXPECT_EQ(ShownChecks(Page->PageFoot()), "V---");
    EXPECT_EQ(ShownChecks(Page->Foot()), "VNRS");

    // The message that gives a page its bands does nothing for a page that has them.
    Page->Perform(KIV_ADDBANDS);
    EXPECT_EQ(Page->BandList().size(), 5u);

    // A strip and its band follow each other: a click sets the band, the band sets the box.
    TKivBandHead* DetailStrip = StripOf(Page->Detail());
    DetailStrip->NewPageCheck()->Click();
    EXPECT_TRUE(Page->Detail()->NewPage());
    Page->Detail()->SetStretch(true);
    EXPECT_TRUE(DetailStrip->StretchCheck()->Checked());
    Page->Detail()->SetBandName("Orders");
    EXPECT_EQ(DetailStrip->NameLabel()->Caption(), "Orders");
}

TEST_F(DesignTime, EveryKindOfBandTakesItsPlaceInTheOrderWithItsStrip)
{
    TKivGroup* Customer = AddGroup("Customer");
    EXPECT_EQ(Customer->Header()->Name(), "CustomerHeader");
    EXPECT_EQ(Customer->Header()->BandName(), "Customer Header");
    EXPECT_EQ(Customer->Footer()->BandName(), "Customer Footer");
    EXPECT_EQ(Customer->Header()->UpdateLevel()->Name(), "CustomerHeaderLevel");
    TKivGroup* Order = AddGroup("OrderNo");
    Order->SetLevel(1);
    Customer->SetLevel(0);

    TKivBand* Detail = Page->Detail();
    auto* Above = Attach<TKivSubBand>(Detail, "Above");
    Above->SetAbove(true);
    Attach<TKivSubBand>(Detail, "Below");
    auto* Lines = Attach<TKivSubDataBand>(Detail, "Lines");
    Attach<TKivDataHeadBand>(Lines, "LinesHead");
    Attach<TKivDataFootBand>(Lines, "LinesFoot");
    Attach<TKivSubBand>(Lines, "LinesSub");
    auto* Stamp = Attach<TKivOverlayBand>(Page->PageHead(), "Stamp");
    Page->OrderBands();
    Page->ArrangeBands();

    EXPECT_EQ(Names(Page->BandList()),
              (std::vector<String>{"ReportHeaderBand", "PageHeaderBand", "CustomerHeader", "OrderNoHeader", "Above",
                                   "DetailBand", "LinesHead", "Lines", "LinesSub", "LinesFoot", "Below",
                                   "OrderNoFooter", "CustomerFooter", "PageFooterBand", "ReportFooterBand",
                                   "Stamp"}));
    ExpectStacked();
    EXPECT_EQ(ShownChecks(Stamp), "V---");
    EXPECT_EQ(ShownChecks(Lines), "VN-S");
    EXPECT_EQ(ShownChecks(Page->PageFoot()), "V---") << "a strip that moved shows its new band's boxes";
    EXPECT_EQ(ShownChecks(Customer->Header()), "VNRS");

    // Groups in the other order: the bands follow.
    Order->SetLevel(-1);
    Page->OrderBands();
    Page->ArrangeBands();
    EXPECT_EQ(Names(Page->BandList())[2], "OrderNoHeader");
    EXPECT_EQ(Names(Page->BandList())[12], "OrderNoFooter");
    ExpectStacked();
    EXPECT_EQ(Order->Level(), 0);
    EXPECT_EQ(Order->GroupName(), "Group: -1") << "ordering renumbers without renaming";

    // A sub-data band does not repeat on a new page: its box stays clear.
    DialogService().Reset();
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    StripOf(Lines)->NewPageRepeatCheck()->SetVisible(true);
    StripOf(Lines)->NewPageRepeatCheck()->Click();
    EXPECT_FALSE(Lines->NewPageRepeat());
    EXPECT_FALSE(StripOf(Lines)->NewPageRepeatCheck()->Checked());
    ASSERT_EQ(DialogService().History().size(), 1u);
    EXPECT_EQ(DialogService().History()[0].Text, "Look in the help on how to set repeat on a subdata band.");
}

} // namespace
