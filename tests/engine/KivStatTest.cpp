// The status window of a report run: texts, page and progress from the page's status, the abort
// question's three answers, closing refused while the run goes on, and freeing itself at the end.

#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivStat.h"
#include "runtime/output/QorMeter.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

struct TFakePage : IKivStatusPage {
    Integer Number = 3;
    Double Percent = 42.4;
    bool Abort = false;
    bool Cleared = false;
    Integer PageNumber() const override { return Number; }
    Double PercentDone() const override { return Percent; }
    void SetAbortPrinting(bool Value) override { Abort = Value; }
    void ClearUpdateStatus() override { Cleared = true; }
};

struct TFakeReport : IKivRunReport {
    bool Cancel = false;
    bool Stopped = false;
    void SetCancelPrintJob(bool Value) override { Cancel = Value; }
    void AbortReport() override { Stopped = true; }
    void SetPrompt(bool) override {}
    TKivPageSetup* RunPageSetup() override { return nullptr; }
    void SetRunDataRange(TKivDataRange) override {}
    void Run() override {}
};

class StatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override { DialogService().Reset(); }
    void TearDown() override { DialogService().Reset(); }
};

TEST_F(StatusWindowTest, ShowsWhatTheRunDoesAndWhereItIs)
{
    TFormPrintStatus Status(nullptr);
    Status.Show();
    EXPECT_EQ(Status.Caption(), "Print Status");
    EXPECT_EQ(Status.Abortbutton->Caption(), "Abort");
    TFakePage Page;
    Status.UpdateStatus(&Page, ssGenerating);
    EXPECT_EQ(Status.lbWait->Caption(), "Generating, Please Wait ...");
    EXPECT_EQ(Status.pagenumber->Caption(), "3");
    EXPECT_EQ(Status.LoadMeter->Progress(), 42);
    Status.UpdateStatus(&Page, ssPrinting);
    EXPECT_EQ(Status.lbWait->Caption(), "Printing, Please Wait...");
    Status.Hide();
}

TEST_F(StatusWindowTest, TheAbortQuestionsThreeAnswers)
{
    TFakeReport Report;
    for (Integer Answer : {IDCANCEL, IDNO, IDYES}) {
        SCOPED_TRACE(Answer);
        TFormPrintStatus Status(nullptr);
        Status.Report = &Report;
        TFakePage Page;
        Report.Cancel = Report.Stopped = false;
        Status.UpdateStatus(&Page, ssGenerating);
        DialogService().Expect(TDialogKind::dkMessageBox, [&](const TDialogRequest& R) {
            EXPECT_EQ(R.Caption, "Abort Report?");
            return Answer;
        });
        Status.AbortbuttonClick(nullptr);
        EXPECT_EQ(Page.Abort, Answer != IDCANCEL) << "no and yes stop the run";
        EXPECT_EQ(Report.Cancel, Answer == IDYES) << "yes discards what was made";
        EXPECT_EQ(Report.Stopped, Answer == IDNO) << "no stops the run, not only the pass";
    }
}

TEST_F(StatusWindowTest, ClosingAsksWhileTheRunGoesOnAndTheEndFreesTheWindow)
{
    auto* Status = new TFormPrintStatus(nullptr);
    Status->Show();
    TFakePage Page;
    Status->UpdateStatus(&Page, ssGenerating);
    DialogService().Expect(TDialogKind::dkMessageBox, IDCANCEL);
    Status->Close();
    EXPECT_TRUE(Status->Visible()) << "a close request while the run goes on only asks";
    EXPECT_EQ(DialogService().PendingAnswers(), 0);
    const Integer Forms = FormCount();
    Status->UpdateStatus(&Page, ssEnd);
    EXPECT_TRUE(Page.Cleared);
    Application()->ProcessMessages();
    EXPECT_EQ(FormCount(), Forms - 1) << "the window freed itself";
}

} // namespace
} // namespace qor
