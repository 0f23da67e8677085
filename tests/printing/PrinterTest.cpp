#include "PrintTestSupport.h"
#include "common/SoundPdf.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/printing/Capabilities.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"

namespace qor {
namespace {

using PrinterTest = test::PrintingTest;

// Locks the selected printer's record, lets Edit change it, and unlocks it.
template <class F>
HDEVMODE EditDevMode(TPrinter* P, F Edit)
{
    String Device, Driver, Port;
    HDEVMODE H;
    P->GetPrinter(Device, Driver, Port, H);
    PDeviceMode D = GlobalLock(H);
    Edit(*D);
    GlobalUnlock(H);
    return H;
}

void Select(TPrinter* P, const String& Name)
{
    const Integer I = P->Printers()->IndexOf(Name);
    ASSERT_GE(I, 0) << Name;
    P->SetPrinterIndex(I);
}

TEST_F(PrinterTest, ListsPdfFirstAndTheDescribedPrintersWithoutAPrintServer)
{
    TStrings* List = Printer()->Printers();
    ASSERT_EQ(List->Count(), 3);
    EXPECT_EQ(List->Get(0), "PDF");
    EXPECT_EQ(List->Get(1), "Office Laser");
    EXPECT_EQ(List->Get(2), "Label Printer");
    EXPECT_EQ(Printer()->PrinterIndex(), 0); // the default: PDF
}

TEST_F(PrinterTest, SelectionErrors)
{
    TPrinter* P = Printer();
    try {
        P->SetPrinterIndex(3);
        FAIL();
    } catch (const EPrinter& E) {
        EXPECT_EQ(E.Message(), "Printer selected is not valid");
    }
    EXPECT_THROW(P->SetPrinterIndex(-2), EPrinter);
    EXPECT_THROW(P->SetPrinter("Nobody", "", "", HDEVMODE()), EPrinter);
    P->SetPrinterIndex(2);
    P->SetPrinterIndex(-1);
    EXPECT_EQ(P->PrinterIndex(), 0);
    P->SetPrinter("office laser", "", "", HDEVMODE()); // found ignoring case
    EXPECT_EQ(P->PrinterIndex(), 1);
}

TEST_F(PrinterTest, JobStateRules)
{
    TPrinter* P = Printer();
    EXPECT_THROW(P->NewPage(), EPrinter);
    EXPECT_THROW(P->EndDoc(), EPrinter);
    P->BeginDoc((Dir / "state.pdf").string());
    EXPECT_TRUE(P->Printing());
    EXPECT_EQ(P->PageNumber(), 1);
    try {
        P->BeginDoc();
        FAIL();
    } catch (const EPrinter& E) {
        EXPECT_EQ(E.Message(), "Printing in progress");
    }
    EXPECT_THROW(P->SetPrinterIndex(1), EPrinter);
    EXPECT_THROW(P->Refresh(), EPrinter);
    P->NewPage();
    EXPECT_EQ(P->PageNumber(), 2);
    P->EndDoc();
    EXPECT_FALSE(P->Printing());
    EXPECT_EQ(P->PageNumber(), 0);
    EXPECT_EQ(test::PdfPageCount((Dir / "state.pdf").string()), 2);
    test::ExpectSoundPdf((Dir / "state.pdf").string());
}

TEST_F(PrinterTest, ThreePagesWithPaperAndOrientationChangedOnPageTwo)
{
    TPrinter* P = Printer();
    Select(P, "PDF");
    HDEVMODE H = EditDevMode(P, [](TDeviceMode& D) {
        D.dmFields |= DM_PAPERSIZE | DM_ORIENTATION;
        D.dmPaperSize = DMPAPER_A4;
        D.dmOrientation = DMORIENT_PORTRAIT;
    });
    const String File = (Dir / "three.pdf").string();
    P->SetTitle("Three pages");
    P->BeginDoc(File);
    HDC DC = P->Handle();
    EXPECT_EQ(GetDeviceCaps(DC, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALWIDTH), MulDiv(2100, 600, 254));
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALHEIGHT), MulDiv(2970, 600, 254));
    Rectangle(DC, 100, 100, 1000, 1000);

    PDeviceMode D = GlobalLock(H);
    D->dmPaperSize = DMPAPER_LETTER;
    D->dmOrientation = DMORIENT_LANDSCAPE;
    EXPECT_EQ(ResetDC(DC, D), DC);
    GlobalUnlock(H);
    P->NewPage();
    EXPECT_EQ(P->Handle(), DC);
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALWIDTH), MulDiv(2794, 600, 254));
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALHEIGHT), MulDiv(2159, 600, 254));
    EXPECT_EQ(P->PageWidth(), MulDiv(2794, 600, 254)); // no unprintable border on PDF
    Rectangle(DC, 100, 100, 1000, 1000);

    D = GlobalLock(H);
    D->dmPaperSize = DMPAPER_A4;
    D->dmOrientation = DMORIENT_PORTRAIT;
    ResetDC(DC, D);
    GlobalUnlock(H);
    P->NewPage();
    P->EndDoc();

    test::ExpectSoundPdf(File);
    const auto Sizes = test::PdfPageSizes(File, 3);
    ASSERT_EQ(Sizes.size(), 3u) << "pdfinfo could not read " << File;
    EXPECT_NEAR(Sizes[0].Width, 595.28, 1.0);
    EXPECT_NEAR(Sizes[0].Height, 841.89, 1.0);
    EXPECT_NEAR(Sizes[1].Width, 792.0, 1.0);
    EXPECT_NEAR(Sizes[1].Height, 612.0, 1.0);
    EXPECT_NEAR(Sizes[2].Width, 595.28, 1.0);
    EXPECT_NEAR(Sizes[2].Height, 841.89, 1.0);
}

TEST_F(PrinterTest, DescribedPrinterLogsBinChangeAndDuplex)
{
    TPrinter* P = Printer();
    Select(P, "Office Laser");
    HDEVMODE H = EditDevMode(P, [](TDeviceMode& D) {
        D.dmFields |= DM_DUPLEX | DM_COPIES | DM_COLLATE;
        D.dmDuplex = DMDUP_VERTICAL;
        D.dmCopies = 3;
        D.dmCollate = DMCOLLATE_TRUE;
    });
    const String File = (Dir / "duplex.pdf").string();
    P->SetTitle("Duplex job");
    P->BeginDoc(File);
    HDC DC = P->Handle();
    // The printable area leaves the described border.
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALOFFSETX), MulDiv(50, 600, 254));
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALOFFSETY), MulDiv(40, 600, 254));
    EXPECT_EQ(GetDeviceCaps(DC, HORZRES), MulDiv(2100, 600, 254) - MulDiv(50, 600, 254) - MulDiv(30, 600, 254));
    PDeviceMode D = GlobalLock(H);
    D->dmFields |= DM_DEFAULTSOURCE;
    D->dmDefaultSource = DMBIN_LOWER;
    ResetDC(DC, D);
    GlobalUnlock(H);
    P->NewPage();
    P->EndDoc();

    EXPECT_EQ(test::PdfPageCount(File), 2);
    test::ExpectSoundPdf(File);
    const test::TJobLog Log = test::ReadJobLog((Dir / "duplex.json").string());
    ASSERT_EQ(Log.Pages.size(), 2u);
    EXPECT_EQ(Log.Top.at("printer"), "\"Office Laser\"");
    EXPECT_EQ(Log.Top.at("copies"), "3");
    EXPECT_EQ(Log.Top.at("collate"), "true");
    EXPECT_EQ(Log.Top.at("pageCount"), "2");
    EXPECT_EQ(Log.Pages[0].at("source"), "7");
    EXPECT_EQ(Log.Pages[1].at("source"), "2");
    EXPECT_EQ(Log.Pages[1].at("sourceName"), "\"Tray 2\"");
    EXPECT_EQ(Log.Pages[0].at("duplex"), "2");
    EXPECT_EQ(Log.Pages[1].at("duplex"), "2");
    EXPECT_EQ(Log.Pages[0].at("paper"), "9");
    EXPECT_EQ(Log.Pages[0].at("orientation"), "1");
    EXPECT_EQ(Log.Pages[0].at("color"), "false");
}

TEST_F(PrinterTest, CustomPaperAndCopiesBeyondTheMaximum)
{
    TPrinter* P = Printer();
    Select(P, "Office Laser");
    EditDevMode(P, [](TDeviceMode& D) {
        D.dmFields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_ORIENTATION;
        D.dmPaperSize = DMPAPER_USER;
        D.dmPaperWidth = 1200;
        D.dmPaperLength = 1800;
        D.dmOrientation = DMORIENT_LANDSCAPE;
        D.dmCopies = 500;
    });
    P->BeginDoc((Dir / "custom.pdf").string());
    P->EndDoc();
    const test::TJobLog Log = test::ReadJobLog((Dir / "custom.json").string());
    ASSERT_EQ(Log.Pages.size(), 1u);
    EXPECT_EQ(Log.Top.at("copies"), "99"); // the printer makes at most 99
    EXPECT_EQ(Log.Pages[0].at("width"), "1800");
    EXPECT_EQ(Log.Pages[0].at("length"), "1200");
    EXPECT_EQ(Log.Pages[0].at("orientation"), "2");
    test::ExpectSoundPdf((Dir / "custom.pdf").string());
    const auto Sizes = test::PdfPageSizes((Dir / "custom.pdf").string(), 1);
    ASSERT_EQ(Sizes.size(), 1u);
    EXPECT_NEAR(Sizes[0].Width, 180 / 25.4 * 72, 1.0);
    EXPECT_NEAR(Sizes[0].Height, 120 / 25.4 * 72, 1.0);
}

TEST_F(PrinterTest, InformationContextFollowsTheRecordEditedInPlace)
{
    TPrinter* P = Printer();
    Select(P, "PDF");
    EXPECT_EQ(GetDeviceCaps(P->Handle(), PHYSICALWIDTH), MulDiv(2100, 600, 254));
    EXPECT_EQ(GetDeviceCaps(P->Handle(), TECHNOLOGY), DT_RASPRINTER);
    EditDevMode(P, [](TDeviceMode& D) {
        D.dmFields |= DM_PAPERSIZE | DM_PRINTQUALITY | DM_YRESOLUTION;
        D.dmPaperSize = DMPAPER_A5;
        D.dmPrintQuality = 300;
        D.dmYResolution = 300;
    });
    HDC DC = P->Handle();
    EXPECT_EQ(GetDeviceCaps(DC, LOGPIXELSY), 300);
    EXPECT_EQ(GetDeviceCaps(DC, PHYSICALWIDTH), MulDiv(1480, 300, 254));
    EXPECT_EQ(P->PageHeight(), MulDiv(2100, 300, 254));

    // A named quality picks among the printer's resolutions.
    EditDevMode(P, [](TDeviceMode& D) { D.dmPrintQuality = DMRES_DRAFT; });
    EXPECT_EQ(GetDeviceCaps(P->Handle(), LOGPIXELSX), 150);
    EditDevMode(P, [](TDeviceMode& D) { D.dmPrintQuality = DMRES_HIGH; });
    EXPECT_EQ(GetDeviceCaps(P->Handle(), LOGPIXELSX), 1200);
}

TEST_F(PrinterTest, SetPrinterWithoutRecordReloadsTheDefaults)
{
    TPrinter* P = Printer();
    Select(P, "Office Laser");
    HDEVMODE Edited = EditDevMode(P, [](TDeviceMode& D) { D.dmCopies = 7; });
    String Device, Driver, Port;
    HDEVMODE H;
    P->GetPrinter(Device, Driver, Port, H);
    EXPECT_EQ(Device, "Office Laser");
    EXPECT_EQ(Driver, "qor-described");
    EXPECT_EQ(Port, "FILE:");
    EXPECT_EQ(H, Edited);

    P->SetPrinter(Device, Driver, Port, HDEVMODE());
    P->GetPrinter(Device, Driver, Port, H);
    EXPECT_NE(H, Edited);
    PDeviceMode D = GlobalLock(H);
    EXPECT_EQ(D->dmCopies, 1);
    EXPECT_EQ(D->dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(D->dmDefaultSource, DMBIN_AUTO);
    EXPECT_EQ(DevModeDeviceName(*D), "Office Laser");
    EXPECT_EQ(DevModeFormName(*D), "A4");
    EXPECT_TRUE(D->dmFields & DM_DUPLEX);
    GlobalUnlock(H);

    // A record handed in is the one the printer uses from then on.
    TDeviceMode Mine = *GlobalLock(H);
    GlobalUnlock(H);
    Mine.dmCopies = 4;
    HDEVMODE MineH = HDEVMODE::Create(Mine);
    P->SetPrinter("Office Laser", "", "", MineH);
    P->GetPrinter(Device, Driver, Port, H);
    EXPECT_EQ(H, MineH);

    // Another printer brings its own defaults.
    Select(P, "Label Printer");
    P->GetPrinter(Device, Driver, Port, H);
    D = GlobalLock(H);
    EXPECT_EQ(D->dmPaperSize, 300);
    EXPECT_FALSE(D->dmFields & DM_DUPLEX);
    GlobalUnlock(H);
}

TEST_F(PrinterTest, OutputNamedAfterTheTitleInTheOutputFolder)
{
    TPrinter* P = Printer();
    P->SetTitle("Q3/Sales: \"final\"");
    P->BeginDoc();
    P->EndDoc();
    EXPECT_EQ(P->LastOutputFile(), (Dir / "Q3_Sales_ _final_.pdf").string());
    EXPECT_TRUE(std::filesystem::exists(P->LastOutputFile()));
    test::ExpectSoundPdf(P->LastOutputFile());
    P->BeginDoc();
    P->EndDoc();
    EXPECT_EQ(P->LastOutputFile(), (Dir / "Q3_Sales_ _final_ (2).pdf").string());

    P->SetTitle("");
    P->BeginDoc();
    P->EndDoc();
    EXPECT_EQ(P->LastOutputFile(), (Dir / "Untitled.pdf").string());

    // The folder is made when missing.
    const auto Sub = Dir / "made" / "here";
    setenv("QOR_PDF_DIR", Sub.c_str(), 1);
    P->BeginDoc();
    P->EndDoc();
    EXPECT_TRUE(std::filesystem::exists(Sub / "Untitled.pdf"));
}

TEST_F(PrinterTest, AbortDeliversNothing)
{
    TPrinter* P = Printer();
    Select(P, "Office Laser");
    const String File = (Dir / "aborted.pdf").string();
    P->BeginDoc(File);
    P->NewPage();
    P->Abort();
    EXPECT_TRUE(P->Aborted());
    EXPECT_FALSE(P->Printing());
    EXPECT_FALSE(std::filesystem::exists(File));
    EXPECT_FALSE(std::filesystem::exists(Dir / "aborted.json"));
    P->BeginDoc(File);
    EXPECT_FALSE(P->Aborted());
    P->EndDoc();
    EXPECT_TRUE(std::filesystem::exists(File));
}

TEST_F(PrinterTest, ExtraPageBeginsAndEndsAreIgnored)
{
    TPrinter* P = Printer();
    const String File = (Dir / "pages.pdf").string();
    P->BeginDoc(File);
    HDC DC = P->Handle();
    EXPECT_EQ(StartPage(DC), 1); // page 1 is already open: ignored, nothing changes
    Rectangle(DC, 0, 0, 10, 10);
    EndPage(DC);
    EXPECT_EQ(EndPage(DC), 1); // no page open: ignored
    StartPage(DC);
    Rectangle(DC, 0, 0, 10, 10);
    P->EndDoc();
    EXPECT_EQ(test::PdfPageCount(File), 2);
    test::ExpectSoundPdf(File);
}

TEST_F(PrinterTest, CanvasFollowsTheContextOfTheJob)
{
    TPrinter* P = Printer();
    TCanvas* C = P->Canvas();
    C->Font()->SetSize(12);
    EXPECT_EQ(C->Handle(), P->Handle()); // the information context outside a job
    const String File = (Dir / "canvas.pdf").string();
    P->BeginDoc(File);
    EXPECT_EQ(C->Handle(), P->Handle());
    EXPECT_EQ(C->Font()->PixelsPerInch(), 600);
    EXPECT_EQ(C->Font()->Size(), 12); // the point size is kept at the printer's resolution
    C->TextOut(100, 100, "Page one");
    P->NewPage();
    C->Rectangle(100, 100, 600, 600);
    P->EndDoc();
    EXPECT_EQ(test::PdfPageCount(File), 2);
    test::ExpectSoundPdf(File);
    EXPECT_NE(test::RunCommand("pdftotext -f 1 -l 1 '" + File + "' - 2>/dev/null").find("Page one"), std::string::npos);
    EXPECT_EQ(C->Handle(), P->Handle()); // back on the information context
}

TEST_F(PrinterTest, RefreshKeepsTheSelectedPrinter)
{
    TPrinter* P = Printer();
    Select(P, "Label Printer");
    P->Refresh();
    EXPECT_EQ(P->PrinterIndex(), 2);
    setenv("QOR_PRINTERS", "", 1);
    P->Refresh();
    EXPECT_EQ(P->Printers()->Count(), 1);
    EXPECT_EQ(P->PrinterIndex(), 0);
}

TEST_F(PrinterTest, NoPrintersInstalled)
{
    setenv("QOR_NO_PRINTERS", "1", 1);
    RefreshPrinterDrivers();
    TPrinter* P = Printer();
    EXPECT_EQ(P->Printers()->Count(), 0);
    EXPECT_EQ(P->PrinterIndex(), -1);
    EXPECT_THROW(P->BeginDoc(), EPrinter);
    unsetenv("QOR_NO_PRINTERS");
}

} // namespace
} // namespace qor

namespace {

// The text metrics of a 10-point DejaVu Sans on DC.
qor::TEXTMETRIC TenPointMetrics(qor::HDC DC)
{
    using namespace qor;
    LOGFONT Lf{};
    Lf.lfHeight = -MulDiv(10, GetDeviceCaps(DC, LOGPIXELSY), 72);
    const char Face[] = "DejaVu Sans";
    for (std::size_t I = 0; I < sizeof Face; ++I)
        Lf.lfFaceName[I] = Face[I];
    const HFONT Font = CreateFontIndirect(Lf);
    const HGDIOBJ Old = SelectObject(DC, Font);
    TEXTMETRIC Tm{};
    GetTextMetrics(DC, Tm);
    SelectObject(DC, Old);
    DeleteObject(Font);
    return Tm;
}

using PrinterMetrics = qor::test::PrintingTest;

TEST_F(PrinterMetrics, ThePrintersContextOutsideAJobMeasuresWithTheRealFonts)
{
    using namespace qor;
    TPrinter* P = Printer();
    P->SetPrinterIndex(P->Printers()->IndexOf("PDF"));
    const Integer Ppi = GetDeviceCaps(P->Handle(), LOGPIXELSY);
    const TEXTMETRIC Info = TenPointMetrics(P->Handle());
    const Integer Em = MulDiv(10, Ppi, 72);
    // DejaVu Sans spans about 1.16 em from ascent to descent; the fixed metrics of a recording
    // context (ascent 0.8 em, descent 0.2 em) would make text measured here run short of what
    // the printer draws.
    EXPECT_GT(Info.tmHeight, Em * 11 / 10) << "em " << Em;
    const HDC Recording = CreateRecordingDC(816, 1056, Ppi, true);
    EXPECT_LE(TenPointMetrics(Recording).tmHeight, Em + 1);
    DeleteDC(Recording);
}

} // namespace
