// The destination dialog of a report run, driven headless: captions, the page setup's choices
// shown and taken back, ranges, copies refused outside 0 to 9999, the printer setup dialog opened
// above the dialog, and no printer at all.

#include "output/OutputTestSupport.h"

#include "platform/ui/DialogService.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivDest.h"
#include "runtime/engine/PSetup.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

class ReportDestinationTest : public test::DescribedPrinterTest {
protected:
    void SetUp() override
    {
        DescribedPrinterTest::SetUp();
        Select("Works Laser");
    }
};

TEST_F(ReportDestinationTest, ShowsThePageSetupAndTakesTheChoicesBack)
{
    TKivPageSetup Setup;
    Setup.SetRangeStart(3);
    Setup.SetDestination(destPrinter);
    Setup.SetCopies(2);
    TKivReportDestination D(nullptr);
    D.PageSetup = &Setup;
    D.FormShow(&D);
    EXPECT_EQ(D.Caption(), "Report Destination");
    EXPECT_EQ(D.goPrinter->Caption(), "P&rinter");
    EXPECT_EQ(D.destgroup->Caption(), "Destination");
    EXPECT_TRUE(D.goPrinter->Enabled());
    EXPECT_TRUE(D.goPrinter->Checked());
    EXPECT_TRUE(D.rangePages->Checked()) << "a range start opens the dialog on pages";
    EXPECT_EQ(D.StartRange->Text(), "3");
    EXPECT_EQ(D.EndRange->Text(), "0");
    EXPECT_EQ(D.Copies->Text(), "2");
    // The user asks for the screen, pages 2 to 5, three copies not collated.
    D.goScreen->SetChecked(true);
    D.StartRange->SetText("2");
    D.EndRange->SetText("5 ");
    D.Copies->SetText("3 ");
    D.CollatedCopies->SetChecked(false);
    D.btnPrintClick(&D);
    EXPECT_EQ(D.ModalResult(), mrOk);
    EXPECT_EQ(Setup.Destination(), destScreen);
    EXPECT_EQ(Setup.RangeStart(), 2);
    EXPECT_EQ(Setup.RangeEnd(), 5);
    EXPECT_EQ(Setup.Copies(), 3);
    EXPECT_FALSE(Setup.CollatedCopies());
}

TEST_F(ReportDestinationTest, CopiesOutsideTheRangeOrNoNumberKeepTheDialogOpen)
{
    TKivPageSetup Setup;
    TKivReportDestination D(nullptr);
    D.PageSetup = &Setup;
    D.FormShow(&D);
    for (const char* Text : {"10000", "-1", "two"}) {
        SCOPED_TRACE(Text);
        D.Copies->SetText(Text);
        D.goPrinter->SetChecked(true);
        EXPECT_THROW(D.btnPrintClick(&D), EConvertError);
        EXPECT_EQ(D.ModalResult(), mrNone);
        EXPECT_EQ(Setup.Destination(), destScreen) << "nothing is taken";
        EXPECT_EQ(Setup.Copies(), 1);
    }
    // 0 leaves the printer's copies alone, and a setup of 0 copies prints through the dialog.
    D.Copies->SetText("0");
    D.btnPrintClick(&D);
    EXPECT_EQ(D.ModalResult(), mrOk);
    EXPECT_EQ(Setup.Copies(), 0);
    D.SetModalResult(mrNone);
    D.FormShow(&D);
    EXPECT_EQ(D.Copies->Text(), "0");
    D.btnPrintClick(&D);
    EXPECT_EQ(D.ModalResult(), mrOk);
    // All pages after an empty range; the range edits empty and disabled.
    D.Copies->SetText("1");
    D.rangeAll->SetChecked(true);
    D.rangeAllClick(D.rangeAll);
    EXPECT_FALSE(D.StartRange->Enabled());
    D.btnPrintClick(&D);
    EXPECT_EQ(Setup.RangeStart(), 0);
    EXPECT_EQ(Setup.RangeEnd(), 0);
}

TEST_F(ReportDestinationTest, ThePrinterSetupDialogIsNotHiddenBehindTheDialog)
{
    TKivPageSetup Setup;
    TKivReportDestination D(nullptr);
    D.PageSetup = &Setup;
    D.FormShow(&D);
    ASSERT_TRUE(D.Topmost()) << "the dialog stays on top";
    bool Below = false;
    DialogService().Expect(TDialogKind::dkPrinterSetup, [&](const TDialogRequest&) {
        Below = !D.Topmost();
        return 1;
    });
    D.printersetupClick(D.printersetup);
    EXPECT_TRUE(Below) << "off the top while the printer dialog runs";
    EXPECT_TRUE(D.Topmost()) << "and back on top after it";
    DialogService().Reset();
}

TEST_F(ReportDestinationTest, WithoutPrintersOnlyTheScreenIsOffered)
{
    setenv("QOR_NO_PRINTERS", "1", 1);
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
    TKivPageSetup Setup;
    Setup.SetDestination(destPrinter);
    TKivReportDestination D(nullptr);
    D.PageSetup = &Setup;
    D.FormShow(&D);
    EXPECT_FALSE(D.goPrinter->Enabled());
    EXPECT_FALSE(D.printersetup->Enabled());
    D.goScreen->SetChecked(true);
    D.btnPrintClick(&D);
    EXPECT_EQ(Setup.Destination(), destScreen);
    unsetenv("QOR_NO_PRINTERS");
    RefreshPrinterDrivers();
}

} // namespace
} // namespace qor
