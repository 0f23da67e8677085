#include "platform/printing/Printers.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Dialogs.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

class DialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        DialogService().Reset();
    }
    void TearDown() override { DialogService().Reset(); }
};

} // namespace

TEST_F(DialogsTest, FilterTextSplitsIntoEntries)
{
    const auto e = ParseFilter("Text files (*.txt)|*.txt;*.text|All files|*.*|Odd");
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].Description, "Text files (*.txt)");
    EXPECT_EQ(e[0].Masks, (std::vector<String>{"*.txt", "*.text"}));
    EXPECT_EQ(e[1].Masks, (std::vector<String>{"*.*"}));
    EXPECT_EQ(e[2].Masks, (std::vector<String>{"*"}));
    EXPECT_TRUE(ParseFilter("").empty());
}

TEST_F(DialogsTest, SaveDialogCompletesTheAnsweredNameAndReportsAnotherExtension)
{
    TSaveDialog dlg(nullptr);
    dlg.SetInitialDir("/tmp/reports");
    dlg.SetDefaultExt(".qor");
    DialogService().Expect(TDialogKind::dkSaveFile, [&](const TDialogRequest& R) {
        EXPECT_EQ(R.Dialog, &dlg);
        EXPECT_TRUE(dlg.Executing());
        dlg.SetFileName("sales");
        return 1;
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/tmp/reports/sales.qor");
    EXPECT_EQ(dlg.Files()->Count(), 1);
    EXPECT_FALSE(dlg.Options().Contains(ofExtensionDifferent));

    DialogService().Expect(TDialogKind::dkSaveFile, [&](const TDialogRequest&) {
        dlg.SetFileName("/home/u/out.PDF");
        return 1;
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/home/u/out.PDF");
    EXPECT_TRUE(dlg.Options().Contains(ofExtensionDifferent));
}

TEST_F(DialogsTest, TypeChangeHandlerCanRewriteTheNameBox)
{
    TSaveDialog dlg(nullptr);
    dlg.SetFilter("Page files (*.qor)|*.qor|Text (*.txt)|*.txt");
    dlg.SetFileName("/data/report.qor");
    const char* exts[] = {"", ".qor", ".txt"};
    dlg.OnTypeChange = [&](TObject*) {
        const String name = dlg.FileNameText();
        dlg.SetFileNameText(name.substr(0, name.rfind('.')) + exts[dlg.FilterIndex()]);
    };
    DialogService().Expect(TDialogKind::dkSaveFile, [&](const TDialogRequest&) {
        EXPECT_EQ(dlg.FileNameText(), "/data/report.qor");
        dlg.ChangeFilterIndex(2); // the user picks "Text"
        EXPECT_EQ(dlg.FileNameText(), "/data/report.txt");
        return 1; // and confirms the name box as it stands
    });
    ASSERT_TRUE(dlg.Execute());
    EXPECT_EQ(dlg.FilterIndex(), 2);
    EXPECT_EQ(dlg.FileName(), "/data/report.txt");
}

TEST_F(DialogsTest, CancelOrAnEmptyNameKeepsThePreviousFileName)
{
    TOpenDialog dlg(nullptr);
    dlg.SetFileName("/keep/me.txt");
    DialogService().Expect(TDialogKind::dkOpenFile, [&](const TDialogRequest&) {
        dlg.SetFileName("/other.txt");
        return 0;
    });
    EXPECT_FALSE(dlg.Execute());
    EXPECT_EQ(dlg.FileName(), "/keep/me.txt");
    DialogService().Expect(TDialogKind::dkOpenFile, [&](const TDialogRequest&) {
        dlg.SetFileNameText("  ");
        return 1;
    });
    EXPECT_FALSE(dlg.Execute()); // confirming no name is no file
    EXPECT_EQ(dlg.FileName(), "/keep/me.txt");
    // headless and unanswered: a clear error, nothing changed
    EXPECT_THROW(dlg.Execute(), EDialogUnanswered);
    EXPECT_FALSE(dlg.Executing());
    EXPECT_EQ(dlg.FileName(), "/keep/me.txt");
}

TEST_F(DialogsTest, PrintDialogPutsCopiesAndCollationIntoThePrintersSettings)
{
    TPrintDialog dlg(nullptr);
    dlg.SetOptions({poPageNums});
    dlg.SetMinPage(1);
    dlg.SetMaxPage(10);
    DialogService().Expect(TDialogKind::dkPrint, [&](const TDialogRequest&) {
        dlg.SetCopies(3);
        dlg.SetCollate(true);
        dlg.SetPrintRange(prPageNums);
        dlg.SetFromPage(2);
        dlg.SetToPage(4);
        return 1;
    });
    ASSERT_TRUE(dlg.Execute());
    String device, driver, port;
    HDEVMODE mode;
    Printer()->GetPrinter(device, driver, port, mode);
    PDeviceMode dm = GlobalLock(mode);
    ASSERT_NE(dm, nullptr);
    EXPECT_EQ(dm->dmCopies, 3);
    EXPECT_EQ(dm->dmCollate, DMCOLLATE_TRUE);
    EXPECT_TRUE(dm->dmFields & DM_COPIES);
    GlobalUnlock(mode);
    EXPECT_EQ(dlg.FromPage(), 2);
}

TEST_F(DialogsTest, PrintDialogRefusesARangeOutsideTheDocument)
{
    TPrintDialog dlg(nullptr);
    dlg.SetMinPage(1);
    dlg.SetMaxPage(5);
    DialogService().Expect(TDialogKind::dkPrint, [&](const TDialogRequest&) {
        dlg.SetPrintRange(prPageNums);
        dlg.SetFromPage(4);
        dlg.SetToPage(9);
        return 1;
    });
    EXPECT_THROW(dlg.Execute(), EInvalidOperation);
    EXPECT_EQ(dlg.PrintRange(), prAllPages); // nothing of the refused answer stays
    EXPECT_EQ(dlg.ToPage(), 0);
    DialogService().Expect(TDialogKind::dkPrinterSetup, 1);
    TPrinterSetupDialog setup(nullptr);
    EXPECT_TRUE(setup.Execute());
    EXPECT_EQ(DialogService().History().back().ClassName, "TPrinterSetupDialog");
}
