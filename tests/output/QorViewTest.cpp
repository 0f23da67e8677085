// The viewer window and its dialogs, driven headless through the dialog service: the page
// counter, generation, saving and exporting, printing with ranges and copies, the abort question,
// going to a page, keys and closing.

#include "common/SoundPdf.h"
#include "output/OutputTestSupport.h"

#include "platform/graphics/Font.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorDest.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorGoto.h"
#include "runtime/output/QorMeter.h"
#include "runtime/output/QorPStat.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorView.h"
#include "runtime/output/QorXport.h"

#include <gtest/gtest.h>

namespace qor {
namespace {

// Pages reading "Page i", A4.
TQorQorFile* NumberedPages(int Count, const String& Description = "Numbers")
{
    auto* F = new TQorQorFile;
    TQorPrinterSetup Setup;
    Setup.SetPaperSize(9);
    F->SetQorPrinterSetup(&Setup);
    F->SetDescription(Description);
    F->BeginDoc();
    TFont Font;
    Font.SetName("Arial");
    Font.SetSize(12);
    for (int Page = 1; Page <= Count; ++Page) {
        if (Page > 1)
            F->NewPage();
        F->SetFont(&Font);
        F->Textout(96, 96, "Page " + std::to_string(Page));
    }
    F->EndDoc();
    return F;
}

class ViewerTest : public test::DescribedPrinterTest {
protected:
    void SetUp() override
    {
        DescribedPrinterTest::SetUp();
        DialogService().Reset();
        Viewer = new TQorViewer(nullptr);
    }
    void TearDown() override
    {
        delete Viewer;
        DialogService().Reset();
        DescribedPrinterTest::TearDown();
    }
    void Load(TQorQorFile* F)
    {
        Viewer->LeftPreview->LoadFromQorFile(std::unique_ptr<TQorFile>(F));
        Viewer->UpdatePage();
    }
    String Counter() const { return Viewer->PageNum->Caption(); }
    TQorViewer* Viewer = nullptr;
};

TEST_F(ViewerTest, CaptionsCounterAndNavigation)
{
    EXPECT_EQ(Viewer->Caption(), "Qor Viewer");
    EXPECT_EQ(Viewer->btnClose->Caption(), "&Close");
    EXPECT_EQ(Viewer->sendprinter->Hint(), "Send To Printer, Right-Click to skip prompt");
    EXPECT_EQ(Counter(), "Page: 0/0");
    Load(NumberedPages(12));
    EXPECT_EQ(Counter(), "Page: 1/12");
    EXPECT_EQ(Viewer->Caption(), "Numbers");
    Viewer->NextPageClick(nullptr);
    Viewer->NextPageClick(nullptr);
    EXPECT_EQ(Counter(), "Page: 3/12");
    // Keys: Page Down, Ctrl+Page Up, Ctrl+Page Down; Home with Shift is not taken.
    auto Key = [&](Word K, TShiftState Shift) {
        Viewer->FormKeyDown(Viewer, K, Shift);
        return K;
    };
    EXPECT_EQ(Key(VK_NEXT, {}), 0);
    EXPECT_EQ(Counter(), "Page: 4/12");
    Key(VK_PRIOR, TShiftState{ssCtrl});
    EXPECT_EQ(Counter(), "Page: 1/12");
    Key(VK_NEXT, TShiftState{ssCtrl});
    EXPECT_EQ(Counter(), "Page: 12/12");
    EXPECT_EQ(Key(VK_HOME, TShiftState{ssShift}), VK_HOME);
    EXPECT_EQ(Key(VK_HOME, {}), 0);
}

TEST_F(ViewerTest, TheFormVariablesNameTheApplicationsFormsUntilTheyAreFreed)
{
    EXPECT_EQ(QorViewer, nullptr);
    EXPECT_EQ(QorPreviewStatus, nullptr);
    EXPECT_EQ(QorGotoPage, nullptr);
    QorViewer = Application()->CreateForm<TQorViewer>();
    QorPreviewStatus = Application()->CreateForm<TQorPreviewStatus>();
    QorGotoPage = Application()->CreateForm<TQorGotoPage>();
    delete new TQorGotoPage(nullptr);
    EXPECT_NE(QorGotoPage, nullptr) << "another form of the class leaves it";
    for (TObject* Form : std::initializer_list<TObject*>{QorViewer, QorPreviewStatus, QorGotoPage})
        Free(Form);
    EXPECT_EQ(QorViewer, nullptr);
    EXPECT_EQ(QorPreviewStatus, nullptr);
    EXPECT_EQ(QorGotoPage, nullptr);
}

TEST_F(ViewerTest, GoToPageIsClampedToTheFile)
{
    Load(NumberedPages(5));
    auto GoTo = [&](const String& Text) {
        DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest& R) {
            auto* Goto = static_cast<TQorGotoPage*>(R.Form);
            EXPECT_EQ(Goto->Caption(), "Page Movement");
            EXPECT_EQ(Goto->Label1->Caption(), "GoTo Page:");
            Goto->PageNum->SetText(Text);
            return mrOk;
        });
        Viewer->GotoPage1Click(nullptr);
        return Viewer->CurrentPreview()->Page();
    };
    EXPECT_EQ(GoTo("3"), 3);
    EXPECT_EQ(GoTo("99"), 5);
    EXPECT_EQ(GoTo("0"), 1);
    EXPECT_THROW(GoTo(""), EConvertError) << "an empty entry is no number";
    EXPECT_EQ(Viewer->CurrentPreview()->Page(), 1);
}

TEST_F(ViewerTest, ZoomChoicesAndTheToolbarToggle)
{
    Load(NumberedPages(1));
    Viewer->SetZoom(qz50);
    EXPECT_EQ(Viewer->CurrentPreview()->Zoom(), 50);
    Viewer->ToolBarDblClick(nullptr);
    EXPECT_EQ(Viewer->CurrentPreview()->QorZoom(), qzPage);
    Viewer->ToolBarDblClick(nullptr);
    EXPECT_EQ(Viewer->CurrentPreview()->Zoom(), 100);
    for (Integer Z = qz200; Z <= qzPage; ++Z) {
        Viewer->SetZoom(static_cast<TQorZoom>(Z));
        EXPECT_GE(Viewer->CurrentPreview()->Zoom(), 1);
    }
}

class TTextFilter : public TQorExportFilter {
public:
    TTextFilter()
    {
        SetDisplayName("Text");
        SetFileExtension("*.txt;*.text");
    }
    void GenerateToFile(TStream* Stream, const String& FileName, Integer CurrentPage) override
    {
        Pages = 0;
        TQorQorFile F;
        F.LoadFromStream(Stream);
        Pages = F.PageCount();
        Name = FileName;
        Page = CurrentPage;
    }
    Integer Pages = -1, Page = 0;
    String Name;
};

TEST_F(ViewerTest, SaveFilterExtensionsAndExport)
{
    EXPECT_EQ(TQorViewer::SaveFilter(), "Qor File (*.qor)|*.qor");
    EXPECT_EQ(TQorViewer::NameForFilter("/tmp/report.txt", 1), "/tmp/report.qor");
    TTextFilter Filter;
    EXPECT_EQ(TQorViewer::SaveFilter(), "Qor File (*.qor)|*.qor|Text|*.txt;*.text");
    EXPECT_EQ(TQorViewer::NameForFilter("a.text", 2), "a.text") << "an extension of the filter stays";
    EXPECT_EQ(TQorViewer::NameForFilter("a.qor", 2), "a.txt") << "else the filter's first one";

    Load(NumberedPages(3));
    Viewer->NextPageClick(nullptr);
    const std::string Txt = (Dir / "report.txt").string();
    auto SaveAs = [&](Integer Index) {
        DialogService().Expect(TDialogKind::dkSaveFile, [&](const TDialogRequest& R) {
            auto* D = static_cast<TSaveDialog*>(R.Dialog);
            EXPECT_EQ(D->Filter(), "Qor File (*.qor)|*.qor|Text|*.txt;*.text");
            D->SetFileName(Txt);
            D->SetFilterIndex(Index);
            return 1;
        });
        Viewer->Save1Click(nullptr);
    };
    SaveAs(1);
    EXPECT_TRUE(std::filesystem::exists(Dir / "report.qor")) << "the page file takes its own extension";
    EXPECT_FALSE(std::filesystem::exists(Txt));
    SaveAs(2);
    EXPECT_EQ(Filter.Pages, 3);
    EXPECT_EQ(Filter.Name, Txt);
    EXPECT_EQ(Filter.Page, 2);
}

TEST_F(ViewerTest, PrintWithRangeAndCopiesThroughTheDestinationDialog)
{
    Select("Works Laser");
    Load(NumberedPages(4));
    DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest& R) {
        auto* D = static_cast<TQorPrintDestination*>(R.Form);
        EXPECT_EQ(D->Caption(), "Report Destination");
        EXPECT_TRUE(D->rangeAll->Checked());
        EXPECT_FALSE(D->StartRange->Enabled());
        D->rangePages->SetChecked(true);
        D->rangePagesClick(D->rangePages);
        EXPECT_EQ(D->EndRange->Text(), "4");
        D->StartRange->SetText("2");
        D->EndRange->SetText("3");
        D->Copies->SetText("2 ");
        D->CollatedCopies->SetChecked(false);
        D->btnPrintClick(D->btnPrint);
        EXPECT_EQ(D->StartPage, 2);
        EXPECT_EQ(D->EndPage, 3);
        return D->ModalResult();
    });
    bool ToolbarOff = false;
    Viewer->CurrentPreview()->PrintStatus = nullptr;
    String Told; // the viewer says where the pages went
    DialogService().Expect(TDialogKind::dkMessageBox, [&](const TDialogRequest& R) {
        Told = R.Text;
        return IDOK;
    });
    Viewer->sendprinterClick(nullptr);
    (void)ToolbarOff;
    const auto Pdf = Dir / "Numbers.pdf";
    ASSERT_TRUE(std::filesystem::exists(Pdf));
    test::ExpectSoundPdf(Pdf.string());
    EXPECT_EQ(Told, "The pages were written to " + Pdf.string());
    const std::string Text = test::RunCommand("pdftotext '" + Pdf.string() + "' -");
    std::string Printed;
    for (size_t At = Text.find("Page "); At != std::string::npos; At = Text.find("Page ", At + 1))
        Printed += Text.substr(At + 5, 1);
    EXPECT_EQ(Printed, "2233") << "pages 2 and 3, two copies each, not collated";
    EXPECT_TRUE(Viewer->ViewerMode().Empty());
    EXPECT_TRUE(Viewer->ToolBar->Enabled());
}

TEST_F(ViewerTest, ANonNumericCopiesTextKeepsTheDialogOpen)
{
    TQorPrintDestination D(nullptr);
    TQorPrinterSetup Setup;
    D.QorPrinterSetup = &Setup;
    D.FormShow(&D);
    D.Copies->SetText("two");
    EXPECT_THROW(D.btnPrintClick(D.btnPrint), EConvertError);
    EXPECT_EQ(D.ModalResult(), mrNone);
    // Pages with both ends empty is every page; the current page without a preview is 0 to 0.
    D.Copies->SetText("1");
    D.rangePages->SetChecked(true);
    D.rangePagesClick(D.rangePages);
    D.btnPrintClick(D.btnPrint);
    EXPECT_EQ(D.StartPage, 0);
    EXPECT_EQ(D.EndPage, 0);
    D.rangeCurrent->SetChecked(true);
    D.btnPrintClick(D.btnPrint);
    EXPECT_EQ(D.StartPage, 0);
}

TEST_F(ViewerTest, ThePrinterSetupDialogOpensAboveTheViewerAndItsDialog)
{
    TQorPrintDestination D(nullptr);
    TForm Plain(nullptr);
    Viewer->SetFormStyle(fsStayOnTop);
    D.Viewer = Viewer;
    ASSERT_TRUE(D.Topmost());
    bool Below = false;
    DialogService().Expect(TDialogKind::dkPrinterSetup, [&](const TDialogRequest&) {
        Below = !D.Topmost() && !Viewer->Topmost();
        return 1;
    });
    D.printersetupClick(D.printersetup);
    EXPECT_TRUE(Below);
    EXPECT_TRUE(D.Topmost() && Viewer->Topmost()) << "both back on top";
    Viewer->SetFormStyle(fsNormal);
    // A form that never stayed on top is left as it is.
    DialogService().Expect(TDialogKind::dkPrinterSetup, 1);
    QorExecuteBelowTopmost(*D.Printsetup, {&Plain, nullptr});
    EXPECT_FALSE(Plain.Topmost());
}

TEST_F(ViewerTest, TheAbortQuestionsThreeAnswers)
{
    Select("Works Laser");
    Load(NumberedPages(4));
    for (Integer Answer : {IDCANCEL, IDNO, IDYES}) {
        SCOPED_TRACE(Answer);
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        TQorPreviewStatus Status(nullptr);
        Status.Preview = Viewer->CurrentPreview();
        Viewer->CurrentPreview()->PrintStatus = [&](TObject* Sender) {
            Status.UpdateStatus(Sender);
            if (Viewer->CurrentPreview()->QorPrinter()->PageNumber() == 2) {
                DialogService().Expect(TDialogKind::dkMessageBox, [&](const TDialogRequest& R) {
                    EXPECT_EQ(R.Caption, "Abort Report?");
                    return Answer;
                });
                Status.AbortButtonClick(&Status);
            }
        };
        Viewer->CurrentPreview()->SendPagesToPrinter(0, 0);
        const auto Pdf = Dir / "Numbers.pdf";
        if (Answer != IDYES)
            test::ExpectSoundPdf(Pdf.string());
        if (Answer == IDCANCEL)
            EXPECT_EQ(test::PdfPageCount(Pdf.string()), 4) << "printing goes on";
        else if (Answer == IDNO)
            EXPECT_EQ(test::PdfPageCount(Pdf.string()), 1) << "what is printed is kept";
        else
            EXPECT_FALSE(std::filesystem::exists(Pdf)) << "the job is discarded";
    }
}

TEST_F(ViewerTest, GeneratingThroughAPreviewJob)
{
    TQorOutput Job;
    Job.SetDestination(qdPreview);
    Job.SetDescription("Growing");
    Job.BeginDoc();
    auto* Shown = dynamic_cast<TQorViewer*>(Job.QorViewer());
    ASSERT_NE(Shown, nullptr);
    EXPECT_TRUE(Shown->Generating());
    EXPECT_FALSE(Shown->File1->Enabled()) << "no opening while a report is made";
    EXPECT_FALSE(Shown->btnSave->Enabled());
    EXPECT_TRUE(Shown->Stop->Enabled());
    Shown->UpdatePage();
    EXPECT_EQ(Shown->PageNum->Caption(), "Page: 1/1");
    Job.NewPage();
    Shown->UpdatePage();
    EXPECT_EQ(Shown->PageNum->Caption(), "Page: 1/2");
    Job.SetLoadPercent(99.6f);
    EXPECT_TRUE(Shown->Generating()) << "a percentage that rounds to 100 does not end it";
    Job.EndDoc();
    EXPECT_FALSE(Shown->Generating());
    EXPECT_TRUE(Shown->File1->Enabled());
    EXPECT_EQ(Shown->CurrentPreview()->PageCount(), 2);
    delete Shown; // the viewer owns the file now and frees it once
}

TEST_F(ViewerTest, AViewerClosedWhileAReportRunsStopsItAndLeavesTheFileToTheJob)
{
    TQorOutput Job;
    Job.SetDestination(qdPreview);
    Job.BeginDoc();
    auto* Shown = dynamic_cast<TQorViewer*>(Job.QorViewer());
    ASSERT_NE(Shown, nullptr);
    int Aborts = 0;
    Shown->OnAbort = [&](TObject*) { ++Aborts; };
    Shown->Close();
    EXPECT_EQ(Aborts, 1);
    Application()->ProcessMessages(); // the release happens after the event
    EXPECT_EQ(Job.QorViewer(), nullptr);
    Job.QorCanvas()->Textout(1, 1, "the job goes on writing");
    Job.EndDoc();
}

TEST_F(ViewerTest, NoClosingWhilePrinting)
{
    bool CanClose = true;
    Viewer->FormCloseQuery(Viewer, CanClose);
    EXPECT_TRUE(CanClose);
    Select("Works Laser");
    // A record of the page asks, while it prints, whether the viewer may close.
    QorAddRecordType(702, [&](HDC, TQorQorFile&) { Viewer->FormCloseQuery(Viewer, CanClose); });
    auto* F = new TQorQorFile;
    F->SetDescription("Asking");
    F->BeginDoc();
    F->Writer().WriteType(702);
    F->EndDoc();
    Load(F);
    // Printing without the dialog (a right click on the print button).
    Viewer->sendprinterMouseDown(nullptr, mbRight, {}, 0, 0);
    EXPECT_FALSE(CanClose);
    CanClose = true;
    Viewer->FormCloseQuery(Viewer, CanClose);
    EXPECT_TRUE(CanClose) << "once printed it may close";
}

TEST_F(ViewerTest, DividerDragIsHeldInsideTheWindow)
{
    Viewer->TwoPagesClick(nullptr);
    EXPECT_TRUE(Viewer->RightPreview->Visible());
    Viewer->DividerMouseDown(nullptr, mbLeft, {}, 0, 0);
    Viewer->DividerMouseMove(nullptr, {}, -5000, 0);
    EXPECT_EQ(Viewer->CursorPosition->Left(), 20);
    Viewer->DividerMouseMove(nullptr, {}, 5000, 0);
    EXPECT_EQ(Viewer->CursorPosition->Left(), Viewer->ClientWidth() - 24);
    Viewer->DividerMouseUp(nullptr, mbLeft, {}, 0, 0);
    EXPECT_EQ(Viewer->RightPreview->Width(), 24);
}

TEST_F(ViewerTest, AModalViewerEndsItsLoopAndIsFreedByItsCaller)
{
    TQorQorFile* F = NumberedPages(2);
    const std::string Saved = (Dir / "view.qor").string();
    F->SaveToFile(Saved);
    delete F;
    String Counter;
    DialogService().Expect(TDialogKind::dkModalForm, [&](const TDialogRequest& R) {
        auto* Shown = static_cast<TQorViewer*>(R.Form);
        Counter = Shown->PageNum->Caption();
        Shown->btnCloseClick(nullptr); // closing ends the modal loop; it must not free the form itself
        return R.Form->ModalResult();
    });
    QorFileView(Saved);
    EXPECT_EQ(Counter, "Page: 1/2");
    Application()->ProcessMessages(); // nothing is left to release twice
}

TEST_F(ViewerTest, TwoPreviewsShareAFileThatIsFreedOnce)
{
    Load(NumberedPages(3));
    Viewer->TwoPagesClick(nullptr);
    EXPECT_EQ(Viewer->RightPreview->QorFile(), Viewer->LeftPreview->QorFile());
    Viewer->RightPreviewClick(nullptr);
    Viewer->Close1Click(nullptr);
    EXPECT_EQ(Viewer->RightPreview->QorFile(), nullptr);
    EXPECT_EQ(Viewer->LeftPreview->PageCount(), 3) << "the other preview keeps it";
}

} // namespace
} // namespace qor
