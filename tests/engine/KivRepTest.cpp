// The report component: its run through one or two passes, the destination prompt, the status
// window, the end of a run whatever happened, and the design-time box.

#include "runtime/engine/KivRep.h"
#include "engine/StandInRunPage.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivRptDsgn.h"

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
        Page->Setup.SetCopies(2);
    }
    void TearDown() override
    {
        TKivReport::PageFactory = SavedFactory;
        CustomPrompt = nullptr;
        KivDesignCreate = nullptr;
        DialogService().Reset();
    }
    TKivReport* DesignedReport()
    {
        Form.SetDesigning(true);
        return Create<TKivReport>(&Form);
    }
    // The message of the exception Run raises; empty when it raises none.
    String RunError(TKivReport* R)
    {
        try {
            R->Run();
        } catch (const Exception& E) {
            return E.Message();
        }
        return {};
    }

    TKivReport::TKivPageFactory SavedFactory = TKivReport::PageFactory;
    TForm Form{nullptr};
    TKivReport* Report = nullptr;
    TStandInRunPage* Page = nullptr;
};

TEST_F(ReportTest, OnePassTwoPassesAndRichText)
{
    Integer Before = 0;
    Report->OnBeforePrint = [&](TObject*) { ++Before; };
    Report->Run();
    const std::vector<String> OnePass{"PageStart", "InitReport", "BeginDoc", "StartReport", "Process",     "Process",
                                      "Process",   "EndReport",  "EndDoc",   "PageEnd",     "UnInitReport"};
    EXPECT_EQ(Page->Calls, OnePass);
    EXPECT_EQ(Page->Dests, std::vector<TQorDestination>{qdQorFile}) << "printer output is recorded first";
    EXPECT_FALSE(Report->Printing());
    EXPECT_EQ(Page->PrintTo(), nullptr);

    Page->Dests.clear();
    Page->TwoPassRun = true;
    Report->Run();
    EXPECT_EQ(Page->Dests, (std::vector<TQorDestination>{qdNoWhere, qdQorFile})) << "the first pass only counts";
    EXPECT_EQ(Before, 3);

    Page->Dests.clear();
    Page->Output = otRichText;
    Report->Run();
    EXPECT_EQ(Page->Dests, std::vector<TQorDestination>{qdPrinter}) << "one pass, and no output job for RTF";
}

TEST_F(ReportTest, ARunWhileRunningDoesNothingNotEvenForgetTheRunsError)
{
    Page->OnProcess = [&] {
        Report->SetExceptionText("Printer out of paper");
        Report->Run();
    };
    EXPECT_EQ(RunError(Report), "Printer out of paper");
    EXPECT_EQ(Page->Count("InitReport"), 1);
    EXPECT_EQ(Page->Count("Process"), 3);
}

TEST_F(ReportTest, TheDestinationPromptDecides)
{
    Report->SetPrompt(true);
    Report->OnPromptPrint = [&](TKivPage*, bool& Result) {
        Page->Setup.SetCopies(7);
        Result = false;
    };
    Report->Run();
    EXPECT_FALSE(Report->Printing());
    EXPECT_EQ(Page->Setup.Copies(), 2) << "the setup is restored";
    EXPECT_EQ(Report->PrintTo(), nullptr);
    EXPECT_EQ(Page->Count("PageStart"), 0);

    Report->OnPromptPrint = nullptr;
    CustomPrompt = [](TKivPage*, bool&) { throw Exception("no"); };
    EXPECT_EQ(RunError(Report), "") << "a failing prompt refuses";
    CustomPrompt = nullptr;
    DialogService().Expect(TDialogKind::dkModalForm, mrCancel);
    DialogService().Expect(TDialogKind::dkModalForm, mrOk);
    Report->Run();
    Report->Run();
    EXPECT_EQ(DialogService().History().at(0).ClassName, "TKivReportDestination");
    EXPECT_EQ(Page->Count("PageStart"), 1);
}

TEST_F(ReportTest, ACustomPaperKeepsItsSize)
{
    Page->Setup.SetSize(psCustom);
    Page->Setup.SetWidth(5.25);
    Page->Setup.SetHeight(7.5);
    Page->OnBeginDoc = [&] {
        EXPECT_EQ(Page->Setup.Size(), psCustom);
        EXPECT_DOUBLE_EQ(Page->Setup.Width(), 5.25);
        EXPECT_DOUBLE_EQ(Page->Setup.Height(), 7.5);
    };
    Report->Run();
    EXPECT_EQ(Page->Count("BeginDoc"), 1);
}

TEST_F(ReportTest, DesignPreviewAndTheDesignerHookBelongToDesignTime)
{
    static Integer Created;
    Created = 0;
    KivDesignCreate = [](TKivReport*) { ++Created; };
    Report->SetAutoRun(true);
    Report->Loaded();
    EXPECT_EQ(Page->Count("InitReport"), 1) << "AutoRun at run time";
    TKivReport* Designed = DesignedReport();
    EXPECT_EQ(Created, 1) << "only the designed report";
    Page->SetParent(Designed);
    Designed->SetAutoRun(true);
    Designed->Loaded();
    EXPECT_EQ(Page->Count("InitReport"), 1) << "no AutoRun while designing";

    Designed->SetSuppressStatus(true);
    Designed->SetDesignPreview(true);
    Page->OnBeginDoc = [&] { EXPECT_EQ(Page->Setup.Destination(), destScreen); };
    Designed->Run();
    EXPECT_EQ(Page->Count("BeginDoc"), 2);
    EXPECT_TRUE(DialogService().History().empty()) << "no prompt";
    EXPECT_TRUE(Designed->Prompt());
    EXPECT_EQ(Page->Setup.Destination(), destPrinter);
}

TEST_F(ReportTest, TheDesignedBoxGetsAPageMinimisesAndRestores)
{
    TKivReport* Designed = DesignedReport();
    Designed->SetParent(&Form);
    Application()->ProcessMessages();
    ASSERT_EQ(Designed->PageCount(), 1) << "a report dropped on a form gets its first page";
    EXPECT_EQ(dynamic_cast<TStandInRunPage*>(Designed->Pages(0))->Order(), 1);

    Designed->SetBounds(30, 40, 500, 300);
    Designed->SetMLeft(5);
    Designed->SetMTop(6);
    Designed->SetMinimized(true);
    EXPECT_EQ(Designed->BoundsRect(), Bounds(5, 6, 82, 44));
    Designed->SetMinimized(false);
    EXPECT_EQ(Designed->BoundsRect(), Bounds(30, 40, 500, 300));
    Designed->SetAlign(alTop);
    const TRect Aligned = Designed->BoundsRect();
    Designed->SetMinimized(true);
    EXPECT_EQ(Designed->Align(), alNone);
    Designed->SetMinimized(false);
    EXPECT_EQ(Designed->Align(), alTop);
    EXPECT_EQ(Designed->BoundsRect(), Aligned);

    DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
    EXPECT_THROW(Free(Designed), EAbort) << "deleting asks first";
    EXPECT_EQ(Designed->Parent(), &Form);
}

TEST_F(ReportTest, ACopiedReportIsTakenOffTheClipboardACopiedButtonIsNot)
{
    Clipboard()->SetAsText("object Button1: TKivReportButton\n  Report = Report1\nend\n");
    Report->Perform(KIV_NOCOPYREPORT);
    EXPECT_TRUE(Clipboard()->HasText());
    Clipboard()->SetAsText("object Button1: TKivReportButton\nend\nobject Report1: TKivReport\nend\n");
    EXPECT_THROW(Report->Perform(KIV_NOCOPYREPORT), Exception);
    EXPECT_FALSE(Clipboard()->HasText());
}

TEST_F(ReportTest, TheBoxGeometryAndVersionGoIntoTheFormFile)
{
    Report->SetName("Report1");
    String Text = WriteComponentToText(Report);
    EXPECT_NE(Text.find("Version = vQor1_0"), String::npos) << Text;
    Text.replace(Text.find("SAlign = alNone"), 15, "SAlign = ALCLIENT");
    Text.replace(Text.find("MLeft = 0"), 9, "MLeft = 17");
    std::unique_ptr<TComponent> Read(ReadComponentFromText(Text));
    auto* R = dynamic_cast<TKivReport*>(Read.get());
    EXPECT_EQ(R->SAlign(), alClient);
    EXPECT_EQ(R->MLeft(), 17);
}

// A form stored at 120 pixels per inch is fitted to the 96 of the screen, all but its report,
// which keeps the pixel geometry its pages are laid out in.
TEST_F(ReportTest, AFormStoredAtAnotherResolutionScalesAroundTheReport)
{
    const auto ReadAt = [](Integer Ppi, bool Scaled) {
        const String Text =
            "object ScaledForm: TForm\n  PixelsPerInch = " + std::to_string(Ppi) +
            "\n  Scaled = " + (Scaled ? "True" : "False") +
            "\n  ClientWidth = 600\n  ClientHeight = 400\n"
            "  object Go: TButton\n    Left = 120\n    Top = 60\n    Width = 240\n    Height = 30\n  end\n"
            "  object Report1: TKivReport\n    Left = 10\n    Top = 100\n    Width = 500\n"
            "    Height = 250\n  end\nend\n";
        return std::unique_ptr<TComponent>(ReadComponentFromText(Text));
    };
    const auto Geometry = [](TComponent* Root, const char* Name) {
        return static_cast<TControl*>(Root->FindComponent(Name))->BoundsRect();
    };
    std::unique_ptr<TComponent> At96 = ReadAt(96, true), At120 = ReadAt(120, true), Fixed = ReadAt(120, false);
    auto* Form = static_cast<TForm*>(At120.get());
    EXPECT_EQ(Form->PixelsPerInch(), 96);
    EXPECT_EQ(Form->ClientWidth(), 480);
    EXPECT_EQ(Geometry(Form, "Go"), Bounds(96, 48, 192, 24));
    EXPECT_EQ(Geometry(Form, "Report1"), Geometry(At96.get(), "Report1")) << "the report opts out";
    EXPECT_EQ(Geometry(Fixed.get(), "Go"), Bounds(120, 60, 240, 30)) << "an unscaled form stays as stored";
    EXPECT_EQ(static_cast<TForm*>(Fixed.get())->PixelsPerInch(), 120);
}

// ---- A run ends whatever happens -----------------------------------------------------------------

TEST_F(ReportTest, AFailureEndsTheRunBeforeTheCallerHearsOfIt)
{
    Page->OnBeginDoc = [&] { Page->Setup.SetCopies(9); };
    Page->FailEndDoc = true;
    EXPECT_EQ(RunError(Report), "Cannot create file out.qor");
    EXPECT_FALSE(Report->Printing());
    EXPECT_EQ(Page->Count("PageEnd"), 1);
    EXPECT_EQ(Page->Count("UnInitReport"), 1);
    EXPECT_EQ(Report->PrintTo(), nullptr);
    EXPECT_EQ(Page->Setup.Copies(), 2);
    Page->FailEndDoc = false;
    Report->Run();
    EXPECT_EQ(Page->Count("EndDoc"), 2) << "the next run works";

    Printer()->BeginDoc();
    EXPECT_EQ(RunError(Report), "The printer is busy, please wait.");
    Printer()->Abort();
    EXPECT_EQ(Page->Count("UnInitReport"), 3);
    TKivReport Empty(nullptr);
    EXPECT_NE(RunError(&Empty), "") << "a report without a page says so";
}

TEST_F(ReportTest, TheSetupIsRestoredIntoThePageTheRunDrove)
{
    auto* Second = Create<TStandInRunPage>(&Form);
    Second->SetParent(Report);
    ASSERT_EQ(Report->Page(), Second);
    Page->OnBeginDoc = [&] { Page->Setup.SetCopies(8); };
    Report->Run();
    EXPECT_EQ(Page->Count("EndDoc"), 1);
    EXPECT_TRUE(Second->Calls.empty()) << "only the first page runs";
    EXPECT_EQ(Page->Setup.Copies(), 2);
}

TEST_F(ReportTest, ThePageGetsItsOwnStatusHandlerBackAfterEveryPass)
{
    Report->SetSuppressStatus(false);
    Page->TwoPassRun = true;
    const Integer Forms = FormCount();
    Report->Run();
    Application()->ProcessMessages();
    EXPECT_EQ(FormCount(), Forms) << "each pass's status window went at its end";
    std::vector<bool> Shown;
    for (TFormPrintStatus* S : Page->StatusTo)
        Shown.push_back(S != nullptr);
    EXPECT_EQ(Shown, (std::vector<bool>{true, false, true, false})) << "null gives the page its own handler back";
}

TEST_F(ReportTest, AStopDuringTheCountingPassEndsTheRun)
{
    Page->TwoPassRun = true;
    Page->OnProcess = [&] { Report->AbortReport(); };
    Report->Run();
    EXPECT_TRUE(Page->Aborted);
    EXPECT_EQ(Page->Count("BeginDoc"), 1);

    // Answering No to the status window's abort question is the same stop.
    Page->Calls.clear();
    Report->SetSuppressStatus(false);
    bool Asked = false;
    Page->OnProcess = [&] {
        if (std::exchange(Asked, true) || !Page->StatusTo.back())
            return;
        DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
        Page->StatusTo.back()->AbortbuttonClick(nullptr);
    };
    Report->Run();
    Application()->ProcessMessages(); // the status window frees itself
    EXPECT_TRUE(Asked);
    EXPECT_EQ(Page->Count("BeginDoc"), 1) << "no second pass prints everything";
    Report->SetSuppressStatus(true);

    Page->Calls.clear();
    Page->OnProcess = [&] { Report->SetCancelPrintJob(true); };
    Report->Run();
    EXPECT_EQ(Page->Count("BeginDoc"), 1);
    EXPECT_EQ(Page->Count("EndDoc"), 0) << "a cancelled job is discarded";
    EXPECT_EQ(Page->Count("DropViewer"), 1);
    EXPECT_FALSE(Report->Printing());
}

} // namespace
} // namespace qor::test
