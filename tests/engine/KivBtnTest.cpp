// The report button: overrides applied to the linked report, the last look before the run (an
// Abort silently stops it, other exceptions go to the application's handler), the link cleared when
// the report goes, and no place on a report.

#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Forms.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBtn.h"
#include "runtime/engine/PSetup.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

class TFakeRunReport : public TWinControl, public IKivRunReport {
public:
    using TWinControl::TWinControl;
    TKivPageSetup Setup;
    int Runs = 0;
    int Prompt = -1;
    int Range = -1;
    void SetCancelPrintJob(bool) override {}
    void AbortReport() override {}
    void SetPrompt(bool Value) override { Prompt = Value; }
    TKivPageSetup* RunPageSetup() override { return &Setup; }
    void SetRunDataRange(TKivDataRange Value) override { Range = Value; }
    void Run() override { ++Runs; }
};

class ReportButtonTest : public ::testing::Test {
protected:
    void SetUp() override { DialogService().Reset(); }
    void TearDown() override { DialogService().Reset(); }
};

TEST_F(ReportButtonTest, OverridesAreAppliedAndTheReportRuns)
{
    TForm Form(nullptr);
    auto* Report = new TFakeRunReport(&Form);
    auto* Button = new TKivReportButton(&Form);
    Button->SetReport(Report);
    Button->Click();
    EXPECT_EQ(Report->Runs, 1);
    EXPECT_EQ(Report->Prompt, -1) << "defaults leave the report alone";
    EXPECT_EQ(Report->Setup.Destination(), destScreen);
    Button->SetDestination(bdPrinter);
    Button->SetPrompt(bpNoPrompt);
    Button->SetDataRange(brSingleRecord);
    TObject* SeenSetup = nullptr;
    Button->OnBeforeRun = [&](TObject*, TObject* Setup) { SeenSetup = Setup; };
    Button->Click();
    EXPECT_EQ(Report->Runs, 2);
    EXPECT_EQ(Report->Setup.Destination(), destPrinter);
    EXPECT_EQ(Report->Prompt, 0);
    EXPECT_EQ(Report->Range, drSingleRecord);
    EXPECT_EQ(SeenSetup, &Report->Setup);
}

TEST_F(ReportButtonTest, ABeforeRunExceptionStopsTheRunAbortSilently)
{
    TForm Form(nullptr);
    auto* Report = new TFakeRunReport(&Form);
    auto* Button = new TKivReportButton(&Form);
    Button->SetReport(Report);
    Button->OnBeforeRun = [](TObject*, TObject*) { Abort(); };
    Button->Click();
    EXPECT_EQ(Report->Runs, 0);
    EXPECT_TRUE(DialogService().History().empty()) << "an Abort says nothing";
    Button->OnBeforeRun = [](TObject*, TObject*) { throw EConvertError("no date"); };
    DialogService().Expect(TDialogKind::dkMessageBox, [](const TDialogRequest& R) {
        EXPECT_NE(R.Text.find("no date"), String::npos);
        return IDOK;
    });
    Button->Click();
    EXPECT_EQ(Report->Runs, 0);
    EXPECT_EQ(DialogService().PendingAnswers(), 0) << "the application's handler showed it";
}

TEST_F(ReportButtonTest, TheLinkGoesWithTheReportAndAReportCannotHoldTheButton)
{
    TForm Form(nullptr);
    auto* Report = new TFakeRunReport(&Form);
    auto* Button = new TKivReportButton(&Form);
    Button->SetReport(Report);
    delete Report;
    EXPECT_EQ(Button->Report(), nullptr);
    Button->Click(); // nothing to run, no crash
    auto* Other = new TFakeRunReport(&Form);
    EXPECT_THROW(Button->SetParent(Other), EAbort);
    EXPECT_EQ(Button->Parent(), nullptr);
    auto* Band = new TKivBand(&Form);
    EXPECT_THROW(Button->SetParent(Band), EAbort) << "nor a band";
    EXPECT_EQ(Button->Parent(), nullptr);
    Button->SetParent(&Form);
    EXPECT_EQ(Button->Parent(), &Form);
}

} // namespace
} // namespace qor
