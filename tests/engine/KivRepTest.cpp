// The report component: its run through one or two passes, the destination prompt, the status
// window, the end of a run whatever happened, and the design-time box (first page, minimising,
// the copy guard, the delete guard, the form-file properties).

#include "runtime/engine/KivRep.h"
#include "engine/StandInRunPage.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DialogService.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivStat.h"

#include <gtest/gtest.h>

namespace qor::test {

QOR_PUBLISH(TStandInRunPage) { b.Property("Order", &TStandInRunPage::Order, &TStandInRunPage::SetOrder).Default(0); }

namespace {

TWinControl* NewStandInPage(TComponent* Owner) { return Create<TStandInRunPage>(Owner); }

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DialogService().Reset();
        TKivReport::PageFactory = &NewStandInPage;
        Report = Create<TKivReport>(&Form);
        Report->SetPrompt(false);
        Report->SetSuppressStatus(true);
        Page = Create<TStandInRunPage>(&Form);
        Page->SetParent(Report);
        Page->Setup.SetDestination(destPrinter);
    }
    void TearDown() override
    {
        TKivReport::PageFactory = SavedFactory;
        CustomPrompt = nullptr;
        KivDesignCreate = nullptr;
        DialogService().Reset();
    }
    // A report being designed, on a designed form.
    TKivReport* DesignedReport()
    {
        Form.SetDesigning(true);
        return Create<TKivReport>(&Form);
    }

    TKivReport::TKivPageFactory SavedFactory = TKivReport::PageFactory;
    TForm Form{nullptr};
    TKivReport* Report = nullptr;
    TStandInRunPage* Page = nullptr;
};

TEST_F(ReportTest, OnePassTwoPassesAndRichTextDriveThePageInOrder)
{
    Integer Before = 0, After = 0;
    Report->OnBeforePrint = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Report);
        ++Before;
    };
    Report->OnAfterPrint = [&](TObject*) { ++After; };
    Report->Run();
    const std::vector<String> OnePass{"PageStart", "InitReport", "BeginDoc", "StartReport", "Process",     "Process",
                                      "Process",   "EndReport",  "EndDoc",   "PageEnd",     "UnInitReport"};
    EXPECT_EQ(Page->Calls, OnePass);
    EXPECT_EQ(Page->Dests, std::vector<TQorDestination>{qdQorFile}) << "printer output is recorded first";
    EXPECT_EQ(Before, 1);
    EXPECT_EQ(After, 1);
    EXPECT_FALSE(Report->Printing());
    EXPECT_EQ(Page->PrintTo(), nullptr);

    Page->Calls.clear();
    Page->Dests.clear();
    Page->TwoPassRun = true;
    Report->Run();
    EXPECT_EQ(Page->Dests, (std::vector<TQorDestination>{qdNoWhere, qdQorFile})) << "the first pass only counts";
    EXPECT_EQ(Page->Count("EndDoc"), 2);
    EXPECT_EQ(Page->Count("UnInitReport"), 1) << "the run ends once";
    EXPECT_EQ(Before, 3);

    Page->Calls.clear();
    Page->Dests.clear();
    Page->Output = otRichText;
    Report->Run();
    EXPECT_EQ(Page->Dests, std::vector<TQorDestination>{qdPrinter}) << "one pass, and no output job for RTF";
}

TEST_F(ReportTest, ARunWhileRunningDoesNothingAndNoDataEndsTheRun)
{
    // The nested run leaves alone the error the printer replay left for the run under way.
    Page->OnProcess = [&] {
        Report->SetExceptionText("Printer out of paper");
        Report->Run();
    };
    try {
        Report->Run();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Printer out of paper");
    }
    EXPECT_EQ(Page->Count("InitReport"), 1);
    EXPECT_EQ(Page->Count("Process"), 3);

    Page->OnProcess = nullptr;
    Page->Calls.clear();
    Page->HasData = false;
    Report->Run();
    const std::vector<String> NoData{"PageStart", "InitReport", "PageEnd", "UnInitReport"};
    EXPECT_EQ(Page->Calls, NoData);
    EXPECT_FALSE(Report->Printing());
}

TEST_F(ReportTest, TheDestinationPromptDecides)
{
    Report->SetPrompt(true);
    Page->Setup.SetCopies(2);
    // A refusal ends the run quietly, with the page setup as it was and no output job left.
    Report->OnPromptPrint = [&](TKivPage*, bool& Result) {
        Page->Setup.SetCopies(7);
        EXPECT_NE(Report->PrintTo(), nullptr);
        Result = false;
    };
    Report->Run();
    EXPECT_FALSE(Report->Printing());
    EXPECT_EQ(Page->Setup.Copies(), 2);
    EXPECT_EQ(Report->PrintTo(), nullptr);
    EXPECT_EQ(Page->Count("PageStart"), 0);
    EXPECT_EQ(Page->Count("UnInitReport"), 1);

    // An exception in the handler is a refusal too.
    Report->OnPromptPrint = [](TKivPage*, bool&) { throw Exception("no"); };
    EXPECT_NO_THROW(Report->Run());
    EXPECT_EQ(Page->Count("PageStart"), 0);

    // Without a handler the hook asks, and without either the destination dialog does.
    Report->OnPromptPrint = nullptr;
    CustomPrompt = [](TKivPage*, bool& Result) { Result = true; };
    Report->Run();
    EXPECT_EQ(Page->Count("PageStart"), 1);
    CustomPrompt = nullptr;
    DialogService().Expect(TDialogKind::dkModalForm, [](const TDialogRequest& R) {
        EXPECT_EQ(R.ClassName, "TKivReportDestination");
        return mrCancel;
    });
    Report->Run();
    EXPECT_EQ(Page->Count("PageStart"), 1);
    DialogService().Expect(TDialogKind::dkModalForm, mrOk);
    Report->Run();
    EXPECT_EQ(Page->Count("PageStart"), 2);
}

TEST_F(ReportTest, ACustomPaperKeepsItsSizeWhenThePrinterSettingsAreTaken)
{
    Page->Setup.SetSize(psCustom);
    Page->Setup.SetWidth(5.25);
    Page->Setup.SetHeight(7.5);
    bool Seen = false;
    Page->OnBeginDoc = [&] {
        Seen = true;
        EXPECT_EQ(Page->Setup.Size(), psCustom);
        EXPECT_DOUBLE_EQ(Page->Setup.Width(), 5.25);
        EXPECT_DOUBLE_EQ(Page->Setup.Height(), 7.5);
    };
    Report->Run();
    EXPECT_TRUE(Seen);
}

TEST_F(ReportTest, DesignTimePreviewAndTheDesignerHook)
{
    Integer Created = 0;
    static Integer* Count = nullptr;
    Count = &Created;
    KivDesignCreate = [](TKivReport*) { ++*Count; };
    TKivReport RunTime(nullptr);
    EXPECT_EQ(Created, 0) << "never at run time";
    EXPECT_EQ(RunTime.RepDesign(), nullptr);

    TKivReport* Designed = DesignedReport();
    EXPECT_EQ(Created, 1);
    Page->SetParent(Designed);
    Designed->SetSuppressStatus(true);
    Designed->SetDesignPreview(true);
    TKivDestination During = destFile;
    Page->OnBeginDoc = [&] { During = Page->Setup.Destination(); };
    Designed->Run();
    EXPECT_EQ(During, destScreen);
    EXPECT_TRUE(DialogService().History().empty()) << "no prompt";
    EXPECT_TRUE(Designed->Prompt()) << "restored";
    EXPECT_EQ(Page->Setup.Destination(), destPrinter);
}

TEST_F(ReportTest, AutoRunRunsOnceAtLoadNeverWhileDesigning)
{
    Report->SetAutoRun(true);
    Report->Loaded();
    EXPECT_EQ(Page->Count("InitReport"), 1);
    Report->SetDesigning(true);
    Report->Loaded();
    EXPECT_EQ(Page->Count("InitReport"), 1);
}

TEST_F(ReportTest, TheDesignedBoxGetsAPageMinimisesAndRestores)
{
    TKivReport* Designed = DesignedReport();
    Designed->SetParent(&Form);
    Application()->ProcessMessages();
    ASSERT_EQ(Designed->PageCount(), 1) << "a report dropped on a form gets its first page";
    auto* First = dynamic_cast<TStandInRunPage*>(Designed->Pages(0));
    EXPECT_EQ(First->Name(), "ReportPage");
    EXPECT_EQ(First->Text(), " ");
    EXPECT_EQ(First->Order(), 1);

    Designed->SetBounds(30, 40, 500, 300);
    Designed->SetMLeft(5);
    Designed->SetMTop(6);
    Designed->SetMinimized(true);
    EXPECT_EQ(Designed->BoundsRect(), Bounds(5, 6, 82, 44));
    Designed->SetBounds(9, 8, 400, 400);
    EXPECT_EQ(Designed->BoundsRect(), Bounds(9, 8, 82, 44)) << "a minimised box only moves";
    EXPECT_EQ(Designed->MLeft(), 9);
    Designed->SetMinimized(false);
    EXPECT_EQ(Designed->BoundsRect(), Bounds(30, 40, 500, 300));

    Designed->SetAlign(alTop);
    const TRect Aligned = Designed->BoundsRect();
    Designed->SetMinimized(true);
    EXPECT_EQ(Designed->Align(), alNone);
    EXPECT_EQ(Designed->BoundsRect(), Bounds(9, 8, 82, 44));
    Designed->SetMinimized(false);
    EXPECT_EQ(Designed->Align(), alTop);
    EXPECT_EQ(Designed->BoundsRect(), Aligned);
}

TEST_F(ReportTest, ACopiedReportIsTakenOffTheClipboardACopiedButtonIsNot)
{
    Clipboard()->SetAsText("object Button1: TKivReportButton\n  Report = Report1\nend\n");
    Report->Perform(KIV_NOCOPYREPORT);
    EXPECT_TRUE(Clipboard()->HasText());
    Clipboard()->SetAsText("object Button1: TKivReportButton\nend\nobject Report1: TKivReport\nend\n");
    try {
        Report->Perform(KIV_NOCOPYREPORT);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "You cannot copy a report.");
    }
    EXPECT_FALSE(Clipboard()->HasText());
}

TEST_F(ReportTest, TheReportBoxNeverShowsAndADesignedOneAsksBeforeItGoes)
{
    Report->SetVisible(true);
    EXPECT_FALSE(Report->Visible());

    TKivReport* Designed = DesignedReport();
    Designed->SetParent(&Form);
    DialogService().Expect(TDialogKind::dkMessageBox, [](const TDialogRequest& R) {
        EXPECT_EQ(R.Text, "Are you sure you want to delete this report?");
        EXPECT_EQ(R.Caption, "Delete?");
        return IDNO;
    });
    EXPECT_THROW(Free(Designed), EAbort);
    EXPECT_EQ(Designed->Parent(), &Form) << "the report stays";
    DialogService().Expect(TDialogKind::dkMessageBox, IDYES);
    Free(Designed);
    EXPECT_EQ(DialogService().PendingAnswers(), 0);
}

TEST_F(ReportTest, TheBoxGeometryAndVersionGoIntoTheFormFile)
{
    Report->SetName("Report1");
    const String Text = WriteComponentToText(Report);
    for (const char* Line :
         {"PixelsPerInch = 96", "SWidth = 800", "SHeight = 400", "MLeft = 0", "SAlign = alNone", "Version = vQor1_0"})
        EXPECT_NE(Text.find(Line), String::npos) << Line << " in\n" << Text;

    String Changed = Text;
    Changed.replace(Changed.find("SAlign = alNone"), 15, "SAlign = ALCLIENT");
    Changed.replace(Changed.find("MLeft = 0"), 9, "MLeft = 17");
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Changed));
    auto* R = dynamic_cast<TKivReport*>(Read.get());
    ASSERT_NE(R, nullptr);
    EXPECT_EQ(R->SAlign(), alClient);
    EXPECT_EQ(R->MLeft(), 17);
    EXPECT_EQ(R->Tag(), 0);
}

// ---- A run ends whatever happens -----------------------------------------------------------------

TEST_F(ReportTest, AFailureAtTheEndOfAPassEndsTheRunBeforeTheCallerHearsOfIt)
{
    Page->Setup.SetCopies(3);
    Page->OnBeginDoc = [&] { Page->Setup.SetCopies(9); };
    Page->FailEndDoc = true;
    try {
        Report->Run();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "Cannot create file out.qor");
        EXPECT_FALSE(Report->Printing());
    }
    EXPECT_EQ(Page->Count("PageEnd"), 1);
    EXPECT_EQ(Page->Count("UnInitReport"), 1);
    EXPECT_EQ(Page->PrintTo(), nullptr);
    EXPECT_EQ(Report->PrintTo(), nullptr);
    EXPECT_EQ(Page->Setup.Copies(), 3);

    Page->FailEndDoc = false;
    Report->Run();
    EXPECT_EQ(Page->Count("EndDoc"), 2) << "the next run works";
}

TEST_F(ReportTest, StartUpFailuresReachTheCallerAndHandlerFailuresDoNot)
{
    Page->Setup.SetCopies(2);
    Report->OnPromptPrint = [&](TKivPage*, bool& Result) { Result = true; };
    Report->SetPrompt(true);
    Printer()->BeginDoc();
    try {
        Report->Run();
        ADD_FAILURE() << "no exception";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), "The printer is busy, please wait.");
    }
    Printer()->Abort();
    EXPECT_FALSE(Report->Printing());
    EXPECT_EQ(Page->Count("UnInitReport"), 1);

    std::vector<String> Shown;
    Application()->OnException = [&](TObject*, const Exception& E) { Shown.push_back(E.Message()); };
    Report->OnBeforePrint = [](TObject*) { throw Exception("before"); };
    Report->OnAfterPrint = [](TObject*) { throw Exception("after"); };
    Report->Run();
    Application()->OnException = nullptr;
    EXPECT_EQ(Shown, (std::vector<String>{"before", "after"}));
    EXPECT_EQ(Page->Count("EndDoc"), 1) << "the run went on";

    TKivReport Empty(nullptr);
    EXPECT_THROW(Empty.Run(), Exception) << "a report without a page says so";
    EXPECT_FALSE(Empty.Printing());
}

TEST_F(ReportTest, TheSetupIsRestoredIntoThePageTheRunDrove)
{
    auto* Second = Create<TStandInRunPage>(&Form);
    Second->SetParent(Report);
    ASSERT_EQ(Report->Page(), Second);
    Page->Setup.SetCopies(4);
    Second->Setup.SetCopies(1);
    Page->OnBeginDoc = [&] { Page->Setup.SetCopies(8); };
    Report->Run();
    EXPECT_EQ(Page->Count("EndDoc"), 1);
    EXPECT_EQ(Second->Calls.size(), 0u) << "only the first page runs";
    EXPECT_EQ(Page->Setup.Copies(), 4);
    EXPECT_EQ(Second->Setup.Copies(), 1);
}

TEST_F(ReportTest, ThePageGetsItsOwnStatusHandlerBackAfterEveryPass)
{
    Report->SetSuppressStatus(false);
    Page->TwoPassRun = true;
    const Integer Forms = FormCount();
    Report->Run();
    Application()->ProcessMessages();
    EXPECT_EQ(FormCount(), Forms) << "each pass's status window went at its end";
    ASSERT_EQ(Page->StatusTo.size(), 4u);
    EXPECT_NE(Page->StatusTo[0], nullptr);
    EXPECT_EQ(Page->StatusTo[1], nullptr);
    EXPECT_NE(Page->StatusTo[2], nullptr);
    EXPECT_EQ(Page->StatusTo[3], nullptr);
}

TEST_F(ReportTest, AStopDuringTheCountingPassEndsTheRun)
{
    Page->TwoPassRun = true;
    Page->OnProcess = [&] { Report->AbortReport(); };
    Report->Run();
    EXPECT_TRUE(Page->Aborted);
    EXPECT_EQ(Page->Count("BeginDoc"), 1);
    EXPECT_EQ(Page->Count("UnInitReport"), 1);

    Page->Calls.clear();
    Page->Viewer = true;
    Page->OnProcess = [&] { Report->SetCancelPrintJob(true); };
    Report->Run();
    EXPECT_EQ(Page->Count("BeginDoc"), 1);
    EXPECT_EQ(Page->Count("EndDoc"), 0) << "a cancelled job is discarded";
    EXPECT_EQ(Page->Count("DropViewer"), 1);
    EXPECT_FALSE(Report->Printing());
}

} // namespace
} // namespace qor::test
