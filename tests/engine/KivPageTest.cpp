// The page engine: page breaks, groups, progress, page ranges, report head and page foot, filters,
// the ends of a pass, and the page's place on a report.

#include "engine/PageTestSupport.h"

#include "common/Golden.h"
#include "common/SoundPdf.h"
#include "common/TestErrors.h"
#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"

#include "platform/ui/DialogService.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/output/QorView.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qor;
using namespace qor::test;

namespace {

using TTexts = std::vector<std::vector<std::string>>;

// Page 1 at 96 pixels per inch: page head 48..68, the page foot line at 1008 - 20.
class PageBreak : public PageFixture {};

TEST_F(PageBreak, ABandEndingExactlyOnThePageFootLineStartsANewPage)
{
    Records(4);
    // 68 + 3 * 230 = 758, and 758 + 230 + 20 = 1008: the fourth record would end on the line.
    Page->Detail()->SetHeight(230);
    Page->Detail()->SetBorderType(btSingle);
    Page->SetBorderType(btSingle);
    const std::string Dump = Run();
    EXPECT_EQ(TextsOf(PagesOf(Dump)), (TTexts{{"PH", "D1", "D2", "D3", "PF"}, {"PH", "D4", "RF", "PF"}}));
    ExpectGoldenFile(std::string(QOR_TEST_DATA_DIR) + "/engine/page/exact-fit.dump", Dump);

    Page->Detail()->SetHeight(229);
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D1", "D2", "D3", "D4", "PF"}, {"PH", "RF", "PF"}}))
        << "one pixel less and the fourth fits";
}

TEST_F(PageBreak, ABreakRightAfterABreakAndARefusalThatDoesNotMoveChangeNothingAndProgressFollows)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    TQorOutput Job;
    ASSERT_TRUE(BeginPagePass(Page, Job));
    Page->NewPage();
    EXPECT_EQ(Page->PageNumber(), 1) << "nothing printed since the page head";
    Page->Process();
    Page->NewPage();
    EXPECT_EQ(Page->PageNumber(), 2);
    Page->NewPage();
    EXPECT_EQ(Page->PageNumber(), 2) << "a break right after a break";
    // Progress follows the records: 25 after the first, then 50, 75, and 99 until the end.
    std::vector<Double> Seen{Page->PercentDone()};
    while (Page->Printing()) {
        Page->Process();
        Seen.push_back(Page->PercentDone());
    }
    EndPagePass(Page, true);
    EXPECT_EQ(Page->PageCount(), 2);
    EXPECT_EQ(Seen, (std::vector<Double>{25, 50, 75, 99}));
    EXPECT_EQ(Page->PercentDone(), 100) << "at the end of the document";

    // Refusing without making room does not keep the band on the page; moving up does.
    Integer Asked = 0;
    Page->OnBeforeNewPage = [&Asked](TKivPage*, bool& Allow) {
        ++Asked;
        Allow = false;
    };
    EXPECT_EQ(RunTexts().size(), 2u);
    EXPECT_GT(Asked, 0);
    Page->OnBeforeNewPage = [](TKivPage* P, bool& Allow) {
        Allow = false;
        P->SetYPos(P->YPos() - 300);
    };
    EXPECT_EQ(RunTexts().size(), 1u);
}

TEST_F(PageBreak, ABandTallerThanThePageIsPlacedOnAFreshPageAndTheRunGoesOn)
{
    Records(3);
    Page->Detail()->SetHeight(2000);
    const TTexts Pages = RunTexts();
    ASSERT_EQ(Pages.size(), 4u) << "one record a page, no endless pages";
    EXPECT_EQ(Pages[0], (std::vector<std::string>{"PH", "D1", "PF"}));
    EXPECT_EQ(Pages[3], (std::vector<std::string>{"PH", "RF", "PF"}));

    // A stretching band whose piece never fits ends instead of asking for pages for ever.
    Page->Detail()->SetHeight(20);
    Page->Detail()->SetStretch(true);
    auto* Tall = new TKivBand(&Root);
    Place(Tall, "T", 2000)->SetStretch(true);
    Page->SetFoot(Tall);
    const TTexts Stretched = RunTexts();
    EXPECT_LE(Stretched.size(), 3u);
    EXPECT_EQ(Stretched.front().front(), "PH");
}

TEST_F(PageBreak, OmitLastPgFtLeavesTheFootOffTheLastPageOnly)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    Page->SetOmitLastPgFt(true);
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D1", "D2", "D3", "PF"}, {"PH", "D4", "RF"}}));
}

// A label whose printing fails.
class TFailingLabel : public TKivLabel {
public:
    explicit TFailingLabel(TComponent* AOwner) : TKivLabel(AOwner) {}
    String GetDataNow() override { throw Exception("the label fails"); }
};

// Three nested groups over records that break the middle group in the second record.
class PageGroups : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        TDataSource* S = Data({"A:String", "B:String", "C:String"}, {"a,x,1", "a,y,2", "b,y,3"});
        Page->SetDataSource(S);
        TKivLevel* Detail = Page->Detail()->UpdateLevel();
        static_cast<TVarTextLabel*>(Page->Detail()->Labels()[0])->Var = Field(S, "C", Detail);
        const char* Names[] = {"G1", "G2", "G3"};
        const char* Columns[] = {"A", "B", "C"};
        for (Integer I = 0; I < 3; ++I) {
            auto* G = new TKivGroup(&Root);
            G->SetName(Names[I]);
            G->SetParent(Page);
            G->AddBands(Page);
            G->SetLevelDirect(I);
            G->SetVariable(Field(S, Columns[I], Detail));
            Label(G->Header(), String("H") + std::to_string(I + 1));
            Label(G->Footer(), String("F") + std::to_string(I + 1));
            Groups.push_back(G);
        }
    }
    std::vector<TKivGroup*> Groups;
};

TEST_F(PageGroups, AMiddleBreakPrintsFeetInnermostFirstThenHeadsOutermostFirst)
{
    const TTexts Pages = RunTexts();
    ASSERT_EQ(Pages.size(), 1u);
    const std::vector<std::string> Expected{"PH", "H1", "H2", "H3", "D1",             // first record
                                            "F3", "F2", "H2", "H3", "D2",             // B changes: middle break
                                            "F3", "F2", "F1", "H1", "H2", "H3", "D3", // A changes
                                            "F3", "F2", "F1", "RF", "PF"};
    EXPECT_EQ(Pages[0], Expected);

    // The innermost head asks for a new page: ignored when an outer group breaks, unless the page
    // keeps group page breaks.
    Groups[2]->Header()->SetNewPage(true);
    EXPECT_EQ(RunTexts().size(), 1u);
    Page->SetGroupPageBreaks(true);
    const TTexts Broken = RunTexts();
    ASSERT_EQ(Broken.size(), 4u) << "H3 starts a page at the start and at each break";
    EXPECT_EQ(Broken[1].at(1), "H3");

    // A head that fails while an outer break has turned its new-page setting off gets it back.
    Page->SetGroupPageBreaks(false);
    auto* Failing = new TFailingLabel(&Root);
    Failing->SetParent(Groups[2]->Header());
    EXPECT_THROW(Run(), Exception);
    EXPECT_TRUE(Groups[2]->Header()->NewPage());
    Free(Failing);

    // ShowHead and ShowFoot gate only the group's own PrintHead and PrintFoot: in a run its head
    // and foot band lists print all the same, as stored forms expect.
    Page->SetGroupPageBreaks(false);
    Groups[2]->Header()->SetNewPage(false);
    Groups[1]->SetShowHead(false);
    Groups[1]->SetShowFoot(false);
    EXPECT_EQ(RunTexts(), (TTexts{Expected}));
}

TEST_F(PageGroups, AHeadThatRepeatsOpensTheNextPageWithTheRecordsOfItsGroup)
{
    Page->Detail()->SetHeight(400);
    Groups[0]->Header()->SetNewPageRepeat(true);
    const TTexts Pages = RunTexts();
    EXPECT_EQ(Pages, (TTexts{{"PH", "H1", "H2", "H3", "D1", "F3", "F2", "H2", "H3", "PF"},
                             {"PH", "H1", "D2", "F3", "F2", "F1", "H1", "H2", "H3", "PF"},
                             {"PH", "H1", "D3", "F3", "F2", "F1", "RF", "PF"}}));
}

class PageRun : public PageFixture {};

TEST_F(PageRun, APageRangeDrawsOnlyItsPagesAndStopsAfterIt)
{
    Records(20);
    Integer Moved = 0;
    Page->OnAfterDataSkip = [&Moved](TKivPage*) { ++Moved; };
    Page->Detail()->SetHeight(230); // three records a page
    Page->PageSetup()->SetRangeStart(3);
    Page->PageSetup()->SetRangeEnd(4);
    const TTexts Pages = RunTexts();
    ASSERT_EQ(Pages.size(), 2u) << "no blank page in front of page 3";
    EXPECT_EQ(Pages[0], (std::vector<std::string>{"PH", "D7", "D8", "D9", "PF"}));
    EXPECT_EQ(Pages[1], (std::vector<std::string>{"PH", "D10", "D11", "D12", "PF"}));
    EXPECT_EQ(Page->PagesPrinted(), 2);
    EXPECT_EQ(Page->PageCount(), 4) << "generation stops on reaching page 5";
    EXPECT_EQ(Moved, 13) << "the data loop ended with the first record of page 5";
}

TEST_F(PageRun, APrintingReportHeadEndsItsOwnPageWithoutFootOrOverlays)
{
    Records(2);
    Page->Head()->SetPrintVisible(true);
    auto* Over = new TKivOverlayBand(&Root);
    Place(Over, "OV", 20);
    EXPECT_EQ(RunTexts(), (TTexts{{"RH"}, {"OV", "PH", "D1", "D2", "RF", "PF"}}));
    Page->Head()->SetPrintVisible(false);
    EXPECT_EQ(RunTexts(), (TTexts{{"OV", "PH", "D1", "D2", "RF", "PF"}}));
}

TEST_F(PageRun, RecordsTheFilterRefusesDoNotPrint)
{
    Records(3);
    Page->OnDataFilter = [](TKivPage*, bool&) {};
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "RF", "PF"}}));
    Page->OnDataFilter = [](TKivPage* P, bool& Accept) { Accept = P->DataSet()->FieldByName("N")->AsInteger() != 2; };
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D1", "D3", "RF", "PF"}}));
}

TEST_F(PageRun, SingleRecordPrintsTheCurrentRecordOnceAndCloseDataSetYieldsToOnDataFinish)
{
    Records(3);
    TDataSet* DS = Page->DataSource()->DataSet();
    DS->Open();
    DS->Next();
    Page->SetDataRange(drSingleRecord);
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D2", "RF", "PF"}}));
    EXPECT_EQ(DS->FieldByName("N")->AsInteger(), 2) << "the data set was not moved";

    Page->SetDataRange(drAllRecords);
    Page->SetCloseDataSet(true);
    Integer Finished = 0;
    Page->OnDataFinish = [&Finished](TKivPage*) { ++Finished; };
    Run();
    EXPECT_TRUE(DS->Active()) << "OnDataFinish replaces closing";
    EXPECT_GT(Finished, 0);
    Page->OnDataFinish = nullptr;
    Run();
    EXPECT_FALSE(DS->Active());
}

TEST_F(PageRun, ApplicationStatusHandlersSurviveAViewerStop)
{
    Records(6);
    Integer Statuses = 0, Updates = 0;
    Page->OnUpdateStatus = [&Statuses](TKivPage*, TKivStatus) { ++Statuses; };
    Page->OnUpdate = [&Updates](TKivPage*) { ++Updates; };
    Integer Moved = 0;
    Page->OnAfterDataSkip = [&Moved](TKivPage* P) {
        if (++Moved == 2)
            P->AbortGeneration(nullptr);
    };
    Run();
    EXPECT_EQ(Moved, 2) << "the stop ended generation";
    ASSERT_TRUE(static_cast<bool>(Page->OnUpdateStatus));
    ASSERT_TRUE(static_cast<bool>(Page->OnUpdate));
    Page->OnAfterDataSkip = nullptr;
    const Integer Before = Statuses;
    Run();
    EXPECT_GT(Statuses, Before) << "the next run tells the application again";
    EXPECT_GT(Updates, 0);
}

TEST_F(PageRun, AFailingEndOfDocumentLeavesThePageReadyForTheReportToEndTheRun)
{
    Records(2);
    Page->PageSetup()->SetDestination(destFile);
    Page->SetQorFileName((Dir / "no-such-dir" / "out.qor").string());
    TQorOutput Job;
    EXPECT_THROW(RunPagePass(Page, Job), Exception);
    EXPECT_EQ(Page->Canvas(), nullptr);
    EXPECT_EQ(Job.QorFile(), nullptr) << "the page file was let go";
    EXPECT_FALSE(Page->Printing());

    // The same page runs again into a file that can be written.
    Page->SetQorFileName((Dir / "out.qor").string());
    TQorOutput Again;
    RunPagePass(Page, Again);
    EXPECT_EQ(TextsOf(PagesOf(QorDumpPageFile((Dir / "out.qor").string()))), (TTexts{{"PH", "D1", "D2", "RF", "PF"}}));
}

TEST_F(PageRun, NoDataQuitEndsTheRunAndAMissingDataSourceIsReported)
{
    Page->SetNoDataQuit(true);
    Integer NoData = 0;
    Page->OnNoData = [&NoData](TKivPage*) { ++NoData; };
    EXPECT_EQ(RunTexts(), TTexts{}) << "no data source: nothing generated";
    EXPECT_EQ(NoData, 1);
}

// ---- Where a pass goes ----

class PageOutput : public PageFixture {};

TEST_F(PageOutput, TheViewerKeepsThePagesAndAStopLeavesItWhatWasMade)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    Page->PageSetup()->PreviewSettings()->SetModalPreview(mpNonModal);
    TQorOutput Job;
    ASSERT_TRUE(BeginPagePass(Page, Job, false));
    TQorViewer* Viewer = Page->QorViewer();
    ASSERT_NE(Viewer, nullptr);
    EXPECT_TRUE(Viewer->Generating());
    while (Page->Printing())
        Page->Process();
    EndPagePass(Page, true);
    EXPECT_EQ(Page->QorViewer(), nullptr) << "the page forgets the viewer";
    EXPECT_EQ(Job.QorFile(), nullptr) << "the viewer has the page file";
    EXPECT_FALSE(Viewer->Generating());
    EXPECT_EQ(Viewer->CurrentPreview()->PageCount(), 2);
    Free(Viewer);

    // The viewer's stop: generation ends, the viewer keeps the pages made so far.
    TQorOutput Stopped;
    ASSERT_TRUE(BeginPagePass(Page, Stopped, false));
    Viewer = Page->QorViewer();
    ASSERT_NE(Viewer, nullptr);
    Page->Process();
    Viewer->OnAbort(Viewer);
    while (Page->Printing())
        Page->Process();
    EndPagePass(Page, true);
    EXPECT_EQ(Stopped.QorFile(), nullptr);
    EXPECT_EQ(Viewer->CurrentPreview()->PageCount(), 1);
    Free(Viewer);

    // A modal viewer shows once generation ends and goes when it closes.
    Page->PageSetup()->PreviewSettings()->SetModalPreview(mpModal);
    DialogService().Reset();
    DialogService().ScriptResult(mrOk);
    TQorOutput Modal;
    RunPagePass(Page, Modal, false);
    ASSERT_EQ(DialogService().History().size(), 1u);
    EXPECT_EQ(DialogService().History()[0].ClassName, "TQorViewer");
    EXPECT_EQ(Page->QorViewer(), nullptr);
    DialogService().Reset();
}

TEST_F(PageOutput, ARichTextPassWritesTheBandsAsParagraphs)
{
    Records(2);
    Page->SetOutputType(otRichText);
    const std::string File = (Dir / "page.rtf").string();
    Page->SetRtfFile(File);
    TQorOutput Job;
    RunPagePass(Page, Job);
    std::ifstream In(File);
    std::stringstream Rtf;
    Rtf << In.rdbuf();
    const std::string Text = Rtf.str();
    for (const char* Part : {"PH", "D1", "D2", "RF", "PF"})
        EXPECT_NE(Text.find(Part), std::string::npos) << Part;
    EXPECT_LT(Text.find("D1"), Text.find("D2"));

    // The RTF writer goes with the run: the next run draws pages again.
    EXPECT_EQ(Page->Rtf(), nullptr);
    Page->SetOutputType(otNormal);
    EXPECT_EQ(RunTexts(), (TTexts{{"PH", "D1", "D2", "RF", "PF"}}));
    EXPECT_FALSE(Page->Continuous());
}

TEST_F(PageOutput, APrinterPassPlaysThePagesOnThePrinter)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    Page->PageSetup()->SetDestination(destPrinter);
    std::vector<TKivStatus> Told;
    Page->OnUpdateStatus = [&Told](TKivPage*, TKivStatus S) { Told.push_back(S); };
    TQorOutput Job;
    RunPagePass(Page, Job);
    EXPECT_EQ(Report->ExceptionText, "");
    EXPECT_EQ(Job.QorFile(), nullptr) << "the page file was played and freed";
    EXPECT_NE(std::find(Told.begin(), Told.end(), ssPrinting), Told.end());
    EXPECT_EQ(Told.back(), ssEnd);
    Integer Pdfs = 0;
    for (const auto& E : std::filesystem::directory_iterator(Dir))
        if (E.path().extension() == ".pdf") {
            ++Pdfs;
            test::ExpectSoundPdf(E.path());
        }
    EXPECT_EQ(Pdfs, 1);
}

// ---- Run by the report ----

class PageOnReport : public PageFixture {
protected:
    // The fixture's page moved onto a real report, which runs it into a page file.
    std::string RunOnReport(bool SuppressStatus)
    {
        auto* R = new TKivReport(&Root);
        Page->SetParent(R);
        R->SetPrompt(false);
        R->SetSuppressStatus(SuppressStatus);
        Page->PageSetup()->SetDestination(destFile);
        const std::string File = (Dir / "report.qor").string();
        Page->SetQorFileName(File);
        R->Run();
        return QorDumpPageFile(File);
    }
};

TEST_F(PageOnReport, AReportRunsThePageInOneOrTwoPassesAndGivesItsSetupBack)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    std::vector<Integer> Counts;
    Page->OnAfterDataSkip = [&Counts](TKivPage* P) { Counts.push_back(P->PageCount()); };
    EXPECT_EQ(TextsOf(PagesOf(RunOnReport(true))), (TTexts{{"PH", "D1", "D2", "D3", "PF"}, {"PH", "D4", "RF", "PF"}}));

    // Two passes, with the status window: the window and the application's handler both hear the
    // run, and a setup changed page by page comes back as it was.
    Page->SetTwoPass(true);
    Counts.clear();
    std::vector<TKivStatus> Told;
    Page->OnUpdateStatus = [&Told](TKivPage*, TKivStatus S) { Told.push_back(S); };
    Page->PageSetup()->SetUnits(unitCentiMeters);
    const TKivPaperOrientation Before = Page->PageSetup()->Orientation();
    Page->OnNewPage = [](TKivPage* P, TQorOutput*, Integer) { P->PageSetup()->SetOrientation(poLandscape); };
    EXPECT_EQ(TextsOf(PagesOf(RunOnReport(false))).size(), 2u);
    ASSERT_EQ(Counts.size(), 8u);
    EXPECT_EQ(Counts.back(), 2) << "the second pass knows the page count";
    ASSERT_FALSE(Told.empty());
    EXPECT_EQ(Told.front(), ssBegin);
    EXPECT_EQ(Told.back(), ssEnd);
    EXPECT_EQ(Page->PageSetup()->Units(), unitCentiMeters);
    EXPECT_EQ(Page->PageSetup()->Orientation(), Before);
}

TEST_F(PageOnReport, ACountingPassReadsItsVariableLabelsAndFiresTheirEventsAsTheRecordingPass)
{
    Records(4);
    Page->Detail()->SetHeight(230);
    // A value of the application's, half the record's number, shown by two variable labels: in
    // text, and in hours (the one format that refuses some numbers, still made where nothing is
    // drawn).
    auto* Var = new TKivExprVar(&Root);
    Var->SetParent(Page);
    Var->SetDataType(dtypeFloat);
    Var->SetUpdateLevel(Page->Detail()->UpdateLevel());
    Integer Reads = 0;
    Var->OnGetData = [&](TKivVar* V) {
        ++Reads;
        V->SetAsFloat(0.5 * Page->DataSource()->DataSet()->FieldByName("N")->AsInteger());
    };
    Integer Events = 0;
    for (const char* Format : {"0.0", "HH:MM"}) {
        auto* L = new TKivvarlabel(&Root);
        L->SetParent(Page->Detail());
        L->SetBounds(300, String(Format) == "HH:MM" ? 40 : 20, 100, 16);
        L->SetVariable(Var);
        L->DataFormat()->SetDisplayFormat(Format);
        L->OnBeforePrint = [&Events](TKivLabel*) { ++Events; };
        L->OnAfterPrint = [&Events](TKivLabel*) { ++Events; };
    }
    const std::string OnePass = RunOnReport(true);
    const Integer OnePassReads = Reads;
    EXPECT_GE(Reads, 4);
    EXPECT_EQ(Events, 16);
    EXPECT_NE(OnePass.find("\"1.5\""), std::string::npos) << OnePass;
    EXPECT_NE(OnePass.find("\"36:00\""), std::string::npos) << OnePass;

    Reads = Events = 0;
    Page->SetTwoPass(true);
    EXPECT_EQ(RunOnReport(true), OnePass) << "the second pass records what one pass records";
    EXPECT_EQ(Reads, 2 * OnePassReads) << "the counting pass reads as often as the recording pass";
    EXPECT_EQ(Events, 32);
}

// ---- The page on its report ----------------------------------------------------------------------

TEST(PagePlace, OnlyAReportTakesAPageAndTheDeleteGuardHoldsAtDesignTime)
{
    TComponent Root(nullptr);
    auto* Report = new TStandInReport(&Root);
    auto* Other = new TWinControl(&Root);
    auto* Page = new TKivGrouppage(&Root);
    EXPECT_THROW(Page->SetParent(Other), EAbort);
    Page->SetParent(Report);
    ASSERT_EQ(Report->Pages.size(), 1u);
    EXPECT_EQ(Page->Report(), Report);
    Page->SetParent(nullptr);
    EXPECT_TRUE(Report->Pages.empty());
    EXPECT_EQ(Page->Report(), nullptr);

    Page->SetOrder(3);
    EXPECT_EQ(Page->PageName(), "Page: 3");

    Page->SetParent(Report);
    Page->SetDesigning(true);
    EXPECT_EQ(ErrorOf([&] { Free(Page); }), "You cannot delete this Group Page");
    ASSERT_EQ(Report->Pages.size(), 1u) << "the page stays";
    Page->SafeDelete();
    EXPECT_TRUE(Report->Pages.empty());
}

TEST(PageStream, OrderAlwaysNoDsgListWhenFilledAndAnOldDataSetIsDropped)
{
    RegisterClass(TKivGrouppage::StaticClass());
    TKivGrouppage Page(nullptr);
    Page.SetName("Grouppage1");
    String Text = WriteComponentToText(&Page);
    EXPECT_NE(Text.find("Order = 0"), String::npos) << Text;
    EXPECT_EQ(Text.find("NoDsgList"), String::npos);
    Page.NoDsgList()->Add("Form1.Source1");
    Page.SetOrder(2);
    Page.SetOmitLastPgFt(true);
    Text = WriteComponentToText(&Page);
    EXPECT_NE(Text.find("NoDsgList"), String::npos) << Text;

    const String Old = "object Grouppage1: TKivGrouppage\n  DataSet = Table1\n  Order = 2\nend\n";
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Old));
    auto* R = dynamic_cast<TKivGrouppage*>(Read.get());
    ASSERT_NE(R, nullptr);
    EXPECT_EQ(R->Order(), 2);
    EXPECT_EQ(R->PageName(), "") << "reading the order does not rebuild the name";
    std::unique_ptr<TComponent> Again(ReadComponentFromText(Text));
    auto* A = dynamic_cast<TKivGrouppage*>(Again.get());
    ASSERT_NE(A, nullptr);
    EXPECT_TRUE(A->OmitLastPgFt());
    EXPECT_EQ(A->NoDsgList()->Count(), 1);

    // A named sheet read before the units takes its size in those units; a size the form stores is kept.
    for (const auto& [Extra, Width] : std::vector<std::pair<String, Double>>{{"", 21.0}, {"  PageSetup.Width = 10\n", 10.0}}) {
        const String Sheet = "object Grouppage1: TKivGrouppage\n  PageSetup.Size = psA4\n" + Extra +
                             "  PageSetup.Units = unitCentiMeters\nend\n";
        std::unique_ptr<TComponent> Metric(ReadComponentFromText(Sheet));
        auto* M = dynamic_cast<TKivGrouppage*>(Metric.get());
        ASSERT_NE(M, nullptr);
        EXPECT_NEAR(M->PageSetup()->Width(), Width, 0.01) << Sheet;
        if (Extra.empty()) {
            EXPECT_NEAR(M->PageSetup()->Height(), 29.7, 0.01);
        }
    }
}

} // namespace

namespace {

// A report class a form file can name, standing in for the report component.
class TFormReport : public TStandInReport {
    QOR_CLASS(TFormReport, TStandInReport)
public:
    explicit TFormReport(TComponent* AOwner) : TStandInReport(AOwner) {}
};

} // namespace

QOR_PUBLISH(TFormReport) { (void)b; }

namespace {

class PageForm : public DescribedPrinterTest {};

TEST_F(PageForm, AReportFormWithBandsKindsLabelsVariablesAndDataLoadsAndRuns)
{
    Select("Plain Printer");
    for (TClass C :
         {TFormReport::StaticClass(), TKivGrouppage::StaticClass(), TKivBand::StaticClass(), TKivSubBand::StaticClass(),
          TKivSubDataBand::StaticClass(), TKivDataHeadBand::StaticClass(), TKivDataFootBand::StaticClass(),
          TKivOverlayBand::StaticClass(), TKivLabel::StaticClass(), TKivLevel::StaticClass(), TKivDBVar::StaticClass(),
          TMemoryDataSet::StaticClass(), TDataSource::StaticClass()})
        RegisterClass(C);
    auto Band = [](const char* Name, const char* Kind, const char* Extra, const char* Caption) {
        return std::string("    object ") + Name + ": " + Kind + "\n      Height = 20\n      Updatelevel = " + Name +
               "Level\n" + Extra + "      object " + Name +
               "Label: TKivLabel\n        Left = 4\n        Width = 100\n" +
               "        Height = 16\n        Caption = '" + Caption + "'\n      end\n    end\n    object " + Name +
               "Level: TKivLevel\n    end\n";
    };
    const std::string Text =
        "object Report1: TFormReport\n"
        "  object Orders: TMemoryDataSet\n    Columns.Strings = (\n      'N:Integer')\n"
        "    Rows.Strings = (\n      '1'\n      '2')\n  end\n"
        "  object OrderSource: TDataSource\n    DataSet = Orders\n  end\n"
        "  object Lines: TMemoryDataSet\n    Columns.Strings = (\n      'Name:String')\n"
        "    Rows.Strings = (\n      'a'\n      'b')\n  end\n"
        "  object LineSource: TDataSource\n    DataSet = Lines\n  end\n"
        "  object Grouppage1: TKivGrouppage\n    Head = RH\n    PageHead = PH\n    Detail = D\n    PageFoot = PF\n"
        "    Foot = RF\n    DataSource = OrderSource\n    Order = 0\n" +
        Band("RH", "TKivBand", "      Visible = False\n", "Head") + Band("PH", "TKivBand", "", "Page head") +
        Band("D", "TKivBand", "", "Order") + Band("PF", "TKivBand", "", "Page foot") +
        Band("RF", "TKivBand", "", "Report foot") + Band("Sub", "TKivSubBand", "      Band = D\n", "Under order") +
        Band("Items", "TKivSubDataBand", "      Band = D\n      DataSource = LineSource\n      DataSet = Old\n",
             "Item") +
        Band("ItemHead", "TKivDataHeadBand", "      Band = Items\n", "Items:") +
        Band("ItemFoot", "TKivDataFootBand", "      Band = Items\n", "End of items") +
        Band("Stamp", "TKivOverlayBand", "      First = False\n      TopOffset = 900\n", "Stamp") +
        "    object OrderN: TKivDBVar\n      DataSource = OrderSource\n      DataField = 'N'\n"
        "      Updatelevel = DLevel\n    end\n"
        "  end\nend\n";
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Text));
    auto* Report = dynamic_cast<TFormReport*>(Read.get());
    ASSERT_NE(Report, nullptr);
    ASSERT_EQ(Report->Pages.size(), 1u);
    TKivPage* Page = Report->Pages[0]->AsPage();
    EXPECT_EQ(Page->SubDataBandList().size(), 1u);
    EXPECT_EQ(Page->DataHFBandList().size(), 2u);
    EXPECT_EQ(Page->VarList().size(), 1u);
    TQorOutput Job;
    RunPagePass(Page, Job);
    ASSERT_NE(Job.QorFile(), nullptr);
    const std::vector<std::string> Once{"Order", "Items:", "Item", "Item", "End of items", "Under order"};
    std::vector<std::string> Expected{"Page head"};
    for (Integer I = 0; I < 2; ++I)
        Expected.insert(Expected.end(), Once.begin(), Once.end());
    Expected.insert(Expected.end(), {"Report foot", "Page foot", "Stamp"});
    EXPECT_EQ(TextsOf(PagesOf(QorDumpQorFile(*Job.QorFile()))), TTexts{Expected});
    if (const char* Keep = std::getenv("QOR_PAGE_FORM_QOR")) // to look at it: qor render
        Job.QorFile()->SaveToFile(Keep);
}

} // namespace
