// The report page in the form designer: the main bands a new page gets, the caption strips and the
// layout of bands and strips, names, the delete guard, parents refused, the variable and
// data-source lists, what the designer object and the band and group manager hear, and designs
// that survive their form files.

#include "common/TestErrors.h"
#include "engine/StandInReport.h"
#include "output/OutputTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
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
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVar.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

// The messages waiting, handled; also those the handled ones post.
void Pump()
{
    for (int I = 0; I < 3; ++I)
        Application()->ProcessMessages();
}

// A form in the designer with a report dropped on it: the report has its first page and the page
// its main bands once the posted messages are handled.
class DesignTime : public DescribedPrinterTest {
protected:
    void SetUp() override
    {
        DescribedPrinterTest::SetUp();
        Select("Plain Printer");
        RegisterClasses({TKivReport::StaticClass(), TKivGrouppage::StaticClass(), TKivBand::StaticClass(),
                         TKivLevel::StaticClass(), TKivGroup::StaticClass(), TKivSubBand::StaticClass(),
                         TKivSubDataBand::StaticClass(), TKivDataHeadBand::StaticClass(),
                         TKivDataFootBand::StaticClass(), TKivOverlayBand::StaticClass(), TKivTextLabel::StaticClass(),
                         TKivvarlabel::StaticClass(), TKivDBVar::StaticClass(), TKivDateTimeVar::StaticClass(),
                         TKivPageVar::StaticClass(), TKivDataSourceGuide::StaticClass(), TMemoryDataSet::StaticClass(),
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
        DescribedPrinterTest::TearDown();
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

    // A band given another height, or the page scrolled sideways: the layout follows.
    auto* Divider = Create<TKivVerticalDivider>(Form);
    Divider->SetParent(Page->Detail());
    Page->Detail()->SetHeight(44);
    ExpectStacked();
    EXPECT_EQ(Divider->Height(), 43) << "a divider runs the band's height";
    Page->HorzScrollBar()->SetRange(2000);
    Page->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30));
    EXPECT_EQ(Page->HorzScrollBar()->Position(), 30);
    for (TKivBand* B : Page->BandList())
        EXPECT_EQ(B->Left(), -30);
    EXPECT_EQ(Page->BandHeads()[2]->Left(), -30);
    // Bands reach 50 pixels past the printable width, or past what is in view when that is wider.
    const Integer InView = 30 + Page->Width();
    EXPECT_EQ(Page->Detail()->Width(), (Page->PageWidth() < InView ? InView : Page->PageWidth()) + 50);
    ExpectStacked();

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
                                   "OrderNoFooter", "CustomerFooter", "PageFooterBand", "ReportFooterBand", "Stamp"}));
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

// ---- Names, deletion, parents --------------------------------------------------------------------

// The form's designer, counting the changes it is told of.
class TCountingFormDesigner : public TFormDesigner {
public:
    bool IsDesignMsg(TControl*, TMessage&) override { return false; }
    void Modified() override { ++Changes; }
    int Changes = 0;
};

TEST_F(DesignTime, TheFormsDesignerHearsOfChangesMadeOnTheStripsAndOfTheMinimisedBox)
{
    TCountingFormDesigner Designer;
    Form->SetDesigner(&Designer);
    StripOf(Page->Detail())->StretchCheck()->Click();
    EXPECT_TRUE(Page->Detail()->Stretch());
    EXPECT_EQ(Designer.Changes, 1);
    StripOf(Page->Detail())->StretchCheck()->SetChecked(true); // already the band's: no change
    Page->FlipStretch(StripOf(Page->Detail())->StretchCheck());
    EXPECT_EQ(Designer.Changes, 1);
    Report->SetMinimized(true);
    Report->SetMinimized(false);
    EXPECT_EQ(Designer.Changes, 3);
    Form->SetDesigner(nullptr);
}

TEST_F(DesignTime, WithFourBandsOrFewerNothingIsLaidOut)
{
    Page->SafeDelete();
    auto* Bare = Create<TKivGrouppage>(Form);
    std::vector<TKivBand*> Bands;
    for (Integer I = 0; I < 4; ++I) {
        auto* B = Create<TKivBand>(Form);
        B->SetParent(Bare);
        B->SetBounds(3, 100 - 20 * I, 200, 10);
        Bands.push_back(B);
    }
    Bare->ArrangeBands();
    EXPECT_EQ(Bands[3]->BoundsRect(), Bounds(3, 40, 200, 10)) << "left where it was put";
    EXPECT_EQ(Bare->BandHeads().size(), 4u);
    auto* Fifth = Create<TKivBand>(Form);
    Fifth->SetParent(Bare);
    Fifth->SetHeight(10);
    EXPECT_EQ(Bands[3]->Top(), 75) << "the fifth band lays them all out";
}

TEST_F(DesignTime, ASecondPageAndItsBandsTakeTheNextFreeNames)
{
    Report->ToolAddPage(Report);
    // Asked twice before the first is handled: the page still gets one set of bands.
    PostMessage(Report->Pages(1)->RunPageControl()->Handle(), KIV_ADDBANDS);
    Pump();
    ASSERT_EQ(Report->PageCount(), 2);
    TKivPage* Second = Report->Pages(1)->AsPage();
    EXPECT_EQ(Second->Name(), "ReportPage1");
    EXPECT_EQ(Second->PageName(), "Page: 2");
    EXPECT_EQ(Second->Order(), 2);
    EXPECT_EQ(Names(Second->BandList()), (std::vector<String>{"ReportHeaderBand1", "PageHeaderBand1", "DetailBand1",
                                                              "PageFooterBand1", "ReportFooterBand1"}));
    EXPECT_EQ(Second->Detail()->UpdateLevel()->Name(), "DetailBand1level");
    std::vector<String> Groups;
    for (int I = 0; I < 3; ++I) {
        auto* G = Create<TKivGroup>(Form);
        G->SetParent(Page);
        EXPECT_TRUE(KivAutoSetComponentName(G, "Customer", false));
        Groups.push_back(G->Name());
    }
    EXPECT_EQ(Groups, (std::vector<String>{"Customer", "Customer1", "Customer2"}));
}

TEST_F(DesignTime, OnlyThePageManagersSafeDeleteTakesAPartOffAndWrongParentsAreRefusedSilently)
{
    TKivBand* Detail = Page->Detail();
    EXPECT_EQ(ErrorOf([&] { Free(Detail); }), "You are not allowed to delete a band outside of the page manager.");
    EXPECT_EQ(Page->Detail(), Detail);
    EXPECT_EQ(Page->BandList().size(), 5u);
    TKivGroup* Customer = AddGroup("Customer");
    EXPECT_EQ(ErrorOf([&] { Free(Customer); }), "You are not allowed to delete a group outside of the page manager");
    EXPECT_EQ(ErrorOf([&] { Free(Page); }), "You cannot delete this Group Page");
    EXPECT_EQ(Page->BandList().size(), 7u) << "all stays";
    {
        SCOPED_TRACE("after the refusals");
        ExpectStacked();
    }

    // Parents of the wrong kind: a silent abort, the parent kept.
    EXPECT_THROW(Detail->SetParent(Report), EAbort);
    EXPECT_EQ(Detail->Parent(), Page);
    EXPECT_THROW(Customer->SetParent(Detail), EAbort);
    EXPECT_EQ(Customer->Parent(), Page);
    EXPECT_THROW(Page->SetParent(Form), EAbort);
    EXPECT_EQ(Page->Parent(), Report);
    EXPECT_THROW(Detail->UpdateLevel()->SetParent(Form), EAbort);
    auto* Guide = Create<TKivDataSourceGuide>(Form);
    EXPECT_THROW(Guide->SetParent(Detail), EAbort);
    EXPECT_EQ(Guide->Parent(), nullptr);

    // SafeDelete: a group takes its bands, their levels and strips along; a band its strip.
    const Integer Levels = Page->LevelCount();
    Customer->SafeDelete();
    EXPECT_EQ(Page->BandList().size(), 5u);
    EXPECT_EQ(Page->LevelCount(), Levels - 2);
    EXPECT_EQ(Form->FindComponent("CustomerHeader"), nullptr);
    Page->ArrangeBands(); // as the page manager does after a deletion
    ExpectStacked();
    auto* Sub = Attach<TKivSubBand>(Detail, "Sub");
    Page->OrderBands();
    Page->ArrangeBands();
    Sub->SafeDelete();
    EXPECT_EQ(Page->BandList().size(), 5u);
    Page->ArrangeBands();
    ExpectStacked();

    // The page goes with its groups.
    AddGroup("Region");
    Page->SafeDelete();
    EXPECT_EQ(Report->PageCount(), 0);
    EXPECT_EQ(Form->FindComponent("Region"), nullptr);
    EXPECT_EQ(Form->FindComponent("RegionHeader"), nullptr);
}

// ---- Variables, data sources, what the designer hears --------------------------------------------

TEST_F(DesignTime, TheVariableAndDataSourceListsFollowTheForm)
{
    auto* Customers = Create<TMemoryDataSet>(Form);
    Customers->SetName("Customers");
    Customers->Columns()->Add("Name:String");
    auto* CustomerSource = Create<TDataSource>(Form);
    CustomerSource->SetName("CustomerSource");
    CustomerSource->SetDataSet(Customers);
    auto* Orders = Create<TDataSource>(Form);
    Orders->SetName("OrderSource");
    Page->NoDsgList()->Add("DesignForm.OrderSource");

    // The designer's manager hands the page both data sources; the one on NoDsgList gets no guide.
    Page->UpdateDataLists();
    ASSERT_NE(Design->Manager, nullptr);
    Design->Manager->Sources = {{CustomerSource, "DesignForm.CustomerSource"}, {Orders, "DesignForm.OrderSource"}};
    Page->UpdateVarList();
    Page->UpdateVarList();
    std::vector<String> Vars;
    for (TKivVar* V : Page->VarList())
        Vars.push_back(V->Name());
    EXPECT_EQ(Vars, (std::vector<String>{"svarDateTime", "svarPage"})) << "made once";
    auto* PageVar = dynamic_cast<TKivPageVar*>(Form->FindComponent("svarPage"));
    ASSERT_NE(PageVar, nullptr);
    EXPECT_TRUE(PageVar->AutoVar());
    EXPECT_EQ(PageVar->UpdateLevel(), Page->PageHeadLevel());
    ASSERT_EQ(Page->DataSourceList().size(), 1u);
    TKivDSGuide* Guide = Page->DataSourceList()[0];
    EXPECT_EQ(Guide->Name(), "DataSourceGuide");
    EXPECT_EQ(Guide->DataSource(), CustomerSource);
    EXPECT_EQ(Guide->UpdateLevel(), Page->DetailLevel());
    EXPECT_EQ(Page->GetDataSourceGuide("designform.customersource"), Guide);
    EXPECT_EQ(Page->GetDataSourceGuide("DesignForm.OrderSource"), nullptr);

    // Variables the designer made for fields go when their data set goes; so does the guide.
    auto* NameVar = Create<TKivDBVar>(Form);
    NameVar->SetName("CustomersName");
    NameVar->SetParent(Page);
    NameVar->SetDataSource(CustomerSource);
    NameVar->SetDataField("Name");
    NameVar->SetId(vidAutoDataVar);
    auto* Shown = Create<TKivvarlabel>(Form);
    Shown->SetParent(Page->Detail());
    EXPECT_FALSE(Page->VarUsed(NameVar));
    Shown->SetVariable(NameVar);
    EXPECT_TRUE(Page->VarUsed(NameVar));
    EXPECT_EQ(Page->LabelList().size(), 1u);
    Free(Shown);
    EXPECT_TRUE(Page->LabelList().empty());
    EXPECT_FALSE(Page->VarUsed(NameVar));
    TKivGroup* ByName = AddGroup("ByName");
    ByName->SetVariable(NameVar);
    EXPECT_TRUE(Page->VarUsed(NameVar));

    Design->Manager->Sources.clear();
    Free(CustomerSource);
    Page->UpdateVarList();
    EXPECT_TRUE(Page->DataSourceList().empty());
    EXPECT_EQ(Form->FindComponent("CustomersName"), nullptr);
    EXPECT_EQ(ByName->Variable(), nullptr);
    EXPECT_EQ(Page->VarList().size(), 2u);
}

TEST_F(DesignTime, TheDesignerAndTheBandAndGroupManagerHearEveryNotificationInOrder)
{
    EXPECT_EQ(Collapsed(gHeard), std::vector<std::string>{"RepositionButtons"}) << "the report box was placed";
    gHeard.clear();

    // Lists: the designer makes the manager, which refills the lists; the variable list is sent.
    Page->UpdateVarList();
    Pump();
    EXPECT_EQ(Collapsed(gHeard), (std::vector<std::string>{"CreatePageManager", "manager fill data-source lists",
                                                           "manager variable list"}));
    gHeard.clear();

    // A field arriving on the form has the page rebuild its lists; names and settings a refresh.
    auto* Field = Create<TStringField>(Form);
    Field->SetFieldName("Name");
    Pump();
    Page->Detail()->SetBandName("Lines");
    Pump();
    auto* Var = Create<TKivExprVar>(Form);
    Var->SetParent(Page);
    Var->SetDataType(dtypeString);
    EXPECT_EQ(Collapsed(gHeard),
              (std::vector<std::string>{"CreatePageManager", "manager fill data-source lists", "manager variable list",
                                        "manager refresh", "manager variable changed"}));
    gHeard.clear();

    // The mouse over a band and over a label: the rulers follow, in page coordinates.
    TKivBand* Detail = Page->Detail();
    Detail->Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(7, 3));
    auto* Label = Create<TKivTextLabel>(Form);
    Label->SetParent(Detail);
    Label->SetBounds(40, 2, 100, 12);
    Label->Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(5, 4));
    const std::string DetailTop = std::to_string(Detail->Top());
    EXPECT_EQ(gHeard, (std::vector<std::string>{"RulerXY 7," + std::to_string(Detail->Top() + 3),
                                                "RulerXY 45," + std::to_string(Detail->Top() + 6)}));
    gHeard.clear();

    // A field dragged over a band: asked, then dropped; anything else is refused.
    TForm Source(nullptr);
    Design->Droppable = &Source;
    bool Accept = false;
    Detail->DragOver(&Source, 12, 8, dsDragMove, Accept);
    EXPECT_TRUE(Accept);
    Detail->DragDrop(&Source, 12, 8);
    TForm Other(nullptr);
    Detail->DragOver(&Other, 1, 1, dsDragMove, Accept);
    EXPECT_FALSE(Accept);
    EXPECT_EQ(gHeard, (std::vector<std::string>{"KivDropOK", "RulerXY 12," + std::to_string(Detail->Top() + 8),
                                                "KivDroplabels field on DetailBand at 12,8", "KivDropOK"}));
    gHeard.clear();

    // The page setup changed; the report box minimised and back; the page loaded.
    Page->PageSetup()->SetOrientation(poLandscape);
    Report->SetMinimized(true);
    Report->SetMinimized(false);
    Page->Loaded();
    EXPECT_EQ(Collapsed(gHeard),
              (std::vector<std::string>{"RepositionButtons", "RulerInvalid", "SetMinMax", "RepositionButtons",
                                        "SetMinMax", "RepositionButtons", "RulerUpdate"}));
}

// ---- The design view -----------------------------------------------------------------------------

TEST_F(DesignTime, ThePagePaintsItsBandsStripsAndPlaceholders)
{
    AddGroup("Customer");
    auto* Title = Create<TKivTextLabel>(Form);
    Title->SetParent(Page->PageHead());
    Title->SetBounds(10, 2, 200, 16);
    Title->SetCaption("Customer list");
    auto* Empty = Create<TKivTextLabel>(Form);
    Empty->SetParent(Page->Detail());
    Empty->SetBounds(10, 2, 150, 16);
    auto* Unbound = Create<TKivvarlabel>(Form);
    Unbound->SetParent(Page->Detail());
    Unbound->SetBounds(200, 2, 150, 16);
    Unbound->SetBorderType(btSingle);
    Page->PageFoot()->SetShade(spLight);
    Page->Detail()->SetStretch(true);

    const Integer W = Page->Width(), H = Page->Height();
    HDC DC = CreateRasterDC(W, H);
    Page->PaintTo(DC, 0, 0);
    if (const char* Png = std::getenv("QOR_DESIGN_PNG")) // to look at
        SaveDCToPng(DC, Png);
    const auto At = [&](Integer X, Integer Y) { return GetPixel(DC, X, Y) & 0xFFFFFF; };
    const auto Ink = [&](const TRect& R) {
        Integer N = 0;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X)
                N += At(X, Y) == 0;
        return N;
    };
    // Each strip: its own face, a black arrow at 25, the band's name from 50.
    for (TKivBandHead* Strip : Page->BandHeads()) {
        SCOPED_TRACE(Strip->NameLabel()->Caption());
        EXPECT_NE(At(170, Strip->Top() + 7), 0xFFFFFFu) << "the strip is not the page's white";
        EXPECT_GT(Ink(Bounds(25, Strip->Top(), 14, 14)), 20) << "arrow";
        EXPECT_GT(Ink(Bounds(50, Strip->Top(), 100, 14)), 10) << "name";
    }
    // The labels: a caption, the placeholders of an empty text label and of a variable label.
    const auto InBand = [&](TKivBand* B, TKivLabel* L) {
        return Bounds(L->Left() + 2, B->Top() + L->Top() + 2, L->Width() - 4, L->Height() - 4);
    };
    EXPECT_GT(Ink(InBand(Page->PageHead(), Title)), 30);
    EXPECT_GT(Ink(InBand(Page->Detail(), Empty)), 30) << "Fill in caption.";
    EXPECT_GT(Ink(InBand(Page->Detail(), Unbound)), 30) << "Fill in variable.";
    // A shaded band is dotted all over; a plain one is white inside its outline.
    EXPECT_GT(Ink(Bounds(300, Page->PageFoot()->Top() + 4, 100, 12)), 20);
    EXPECT_EQ(Ink(Bounds(300, Page->Foot()->Top() + 4, 100, 12)), 0);
    DeleteDC(DC);
}

// ---- Designs and their form files ----------------------------------------------------------------

const std::string InvoiceForm = std::string(QOR_SOURCE_DIR) + "/examples/invoice/invoice.qfm";

std::string ReadText(const std::string& File)
{
    std::ifstream In(File);
    std::stringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// A form read the way the designer reads it: into a root being designed, its posted messages
// handled.
std::unique_ptr<TForm> DesignRead(const String& Text)
{
    auto Form = std::unique_ptr<TForm>(Create<TForm>(nullptr));
    Form->SetDesigning(true);
    ReadComponentIntoRoot(Form.get(), Text);
    Pump();
    return Form;
}

// Runs the report of Form into a page file and answers its dump.
std::string RunToDump(TComponent* Form, const std::filesystem::path& Qor)
{
    TKivReport* Report = nullptr;
    for (Integer I = 0; I < Form->ComponentCount() && !Report; ++I)
        Report = dynamic_cast<TKivReport*>(Form->Components(I));
    if (!Report || Report->PageCount() == 0)
        return "no report";
    TKivPage* Page = Report->Pages(0)->AsPage();
    Page->PageSetup()->SetDestination(destFile);
    Page->SetQorFileName(Qor.string());
    Report->SetPrompt(false);
    Report->SetSuppressStatus(true);
    Report->Run();
    TQorQorFile File;
    File.LoadFromFile(Qor.string());
    return QorDumpQorFile(File);
}

TEST_F(DesignTime, AWholeDesignReadInTheDesignerIsWrittenBackAsReadAndRunsAsBefore)
{
    const String Original = ReadText(InvoiceForm);
    const auto Designed = DesignRead(Original);
    const String Written = WriteComponentToText(Designed.get());
    auto* Page = dynamic_cast<TKivPage*>(Designed->FindComponent("InvoicePage"));
    ASSERT_NE(Page, nullptr);
    EXPECT_EQ(Page->BandHeads().size(), Page->BandList().size()) << "the designer shows the strips";
    EXPECT_EQ(WriteComponentToText(DesignRead(Written).get()), Written) << "read and written again, the same text";

    // The designer's layout of bands and strips changes nothing that prints.
    const std::unique_ptr<TComponent> Before(ReadComponentFromText(Original));
    const std::unique_ptr<TComponent> After(ReadComponentFromText(Written));
    const std::string Expected = RunToDump(Before.get(), Dir / "before.qor");
    EXPECT_NE(Expected.find("\"Toner cartridge\""), std::string::npos);
    EXPECT_EQ(RunToDump(After.get(), Dir / "after.qor"), Expected);
}

TEST_F(DesignTime, EveryExampleDesignIsWrittenBackAsTheDesignerReadIt)
{
    for (const char* Example : {"sales/sales.qfm", "masterdetail/shop.qfm"}) {
        SCOPED_TRACE(Example);
        const std::string File = std::string(QOR_SOURCE_DIR) + "/examples/" + Example;
        const String Written = WriteComponentToText(DesignRead(ReadText(File)).get());
        EXPECT_EQ(WriteComponentToText(DesignRead(Written).get()), Written);
    }
}

TEST_F(DesignTime, AReportBuiltInTheDesignerIsWrittenReadAndRunsTheSame)
{
    auto* Sales = Create<TMemoryDataSet>(Form);
    Sales->SetName("Sales");
    for (const char* C : {"Customer:String:20", "Item:String:20", "Amount:Integer"})
        Sales->Columns()->Add(C);
    for (const char* R : {"Ann,Tea,3", "Ann,Cups,12", "Bob,Kettle,30", "Cid,Tea,4", "Cid,Jam,5"})
        Sales->Rows()->Add(R);
    auto* Source = Create<TDataSource>(Form);
    Source->SetName("SalesSource");
    Source->SetDataSet(Sales);
    Page->SetDataSource(Source);
    Page->UpdateVarList();
    const auto Field = [&](const String& Name) {
        auto* V = Create<TKivDBVar>(Form);
        V->SetParent(Page);
        KivAutoSetComponentName(V, Name + "Var", false);
        V->SetDataSource(Source);
        V->SetDataField(Name);
        V->SetUpdateLevel(Page->DetailLevel());
        return V;
    };
    TKivDBVar* Customer = Field("Customer");
    TKivDBVar* Item = Field("Item");
    TKivDBVar* Amount = Field("Amount");
    auto* Total = Create<TKivTotalvar>(Form);
    Total->SetParent(Page);
    Total->SetName("AmountTotal");
    Total->SetVariable(Amount);
    Total->SetUpdateLevel(Page->DetailLevel());
    TKivGroup* ByCustomer = AddGroup("ByCustomer");
    ByCustomer->SetVariable(Customer);
    const auto Text = [&](TKivBand* Band, const String& Name, Integer Left, const String& Caption) {
        auto* L = Create<TKivTextLabel>(Form);
        L->SetParent(Band);
        L->SetName(Name);
        L->SetBounds(Left, 2, 150, 16);
        L->SetCaption(Caption);
    };
    const auto Shows = [&](TKivBand* Band, const String& Name, Integer Left, TKivVar* Var) {
        auto* L = Create<TKivvarlabel>(Form);
        L->SetParent(Band);
        L->SetName(Name);
        L->SetBounds(Left, 2, 150, 16);
        L->SetVariable(Var);
    };
    Text(Page->PageHead(), "Title", 10, "Sales by customer");
    Shows(ByCustomer->Header(), "CustomerText", 10, Customer);
    Shows(Page->Detail(), "ItemText", 40, Item);
    Shows(Page->Detail(), "AmountText", 300, Amount);
    Text(Page->Foot(), "TotalCaption", 10, "Total");
    auto* TotalText = Create<TKivTotalvarLabel>(Form);
    TotalText->SetParent(Page->Foot());
    TotalText->SetName("TotalText");
    TotalText->SetBounds(300, 2, 150, 16);
    TotalText->SetTotalVariable(Total);
    Shows(Page->PageFoot(), "PageText", 300, dynamic_cast<TKivVar*>(Form->FindComponent("svarPage")));
    Pump();
    const String Written = WriteComponentToText(Form);

    Form->SetDesigning(false);
    const std::string Expected = RunToDump(Form, Dir / "original.qor");
    for (const char* Shown : {"\"Sales by customer\"", "\"Kettle\"", "\"Cid\"", "\"54.00\""})
        EXPECT_NE(Expected.find(Shown), std::string::npos) << Shown << "\n" << Expected;
    const std::unique_ptr<TComponent> Read(ReadComponentFromText(Written));
    EXPECT_EQ(RunToDump(Read.get(), Dir / "read.qor"), Expected);
    EXPECT_EQ(WriteComponentToText(DesignRead(Written).get()), Written);
}

TEST(PageInCode, AddMainBandsGivesAPageMadeInCodeItsFiveBandsWithoutTheDesignersStrips)
{
    TComponent Root(nullptr);
    auto* Page = Create<TKivGrouppage>(&Root);
    Page->AddMainBands();
    ASSERT_EQ(Page->BandList().size(), 5u);
    EXPECT_TRUE(Page->BandHeads().empty());
    EXPECT_EQ(Page->Detail()->Name(), "DetailBand");
    EXPECT_NE(Page->DetailLevel(), nullptr);
    EXPECT_EQ(Page->LevelCount(), 5);
    Page->UpdateVarList();
    EXPECT_EQ(Page->VarList().size(), 2u) << "the page's own variables, made in code too";
}

TEST(DesignHook, AReportAtRunTimeHasNoDesignerAndABandWithTheBaseDesignerRefusesDrops)
{
    Integer Made = 0;
    static Integer* Count = &Made;
    KivDesignCreate = [](TKivReport*) { ++*Count; };
    TComponent Root(nullptr);
    auto* Running = Create<TKivReport>(&Root);
    EXPECT_EQ(Made, 0);
    EXPECT_EQ(Running->RepDesign(), nullptr);
    KivDesignCreate = nullptr;

    TForm Form(nullptr);
    Form.SetDesigning(true);
    auto* Designed = Create<TKivReport>(&Form);
    TKivRptDsgn Base;
    Designed->SetRepDesign(&Base);
    auto* Page = Create<TKivGrouppage>(&Form);
    Page->SetParent(Designed);
    auto* Band = Create<TKivBand>(&Form);
    Band->SetParent(Page);
    bool Accept = true;
    Band->DragOver(&Root, 1, 1, dsDragEnter, Accept);
    EXPECT_FALSE(Accept);
    Designed->SetRepDesign(nullptr);
}

} // namespace
