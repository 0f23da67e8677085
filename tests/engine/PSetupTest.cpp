// The page setup: defaults, the paper table, orientation and units, the maps to the printer's
// codes, copying, the margins in form files, repaints of a designed page, and the transfer to and
// from a described printer down to the paper of the next print job.

#include "output/OutputTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Filer.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorSetup.h"

#include <gtest/gtest.h>

using namespace qor;

namespace qor {
// A page as far as its page setup sees it: the owner of the setup, told about changes.
class TSetupPage : public TComponent, public IKivPageSetupHost {
    QOR_CLASS(TSetupPage, TComponent)
public:
    explicit TSetupPage(TComponent* AOwner) : TComponent(AOwner), FPageSetup(std::make_unique<TKivPageSetup>())
    {
        FPageSetup->SetPage(this);
    }
    TKivPageSetup* PageSetup() const { return FPageSetup.get(); }
    void PageSetupChanged() override { ++Refreshes; }
    int Refreshes = 0;

private:
    std::unique_ptr<TKivPageSetup> FPageSetup;
};
QOR_PUBLISH(TSetupPage) { b.SubObject("PageSetup", &TSetupPage::PageSetup); }
} // namespace qor

namespace {

constexpr double MM = 1 / 25.4;

TEST(PageSetup, ANewSetupIsLetterWithHalfInchMarginsAndLeavesThePrinterAlone)
{
    TKivPageSetup S;
    EXPECT_EQ(S.Width(), 8.5);
    EXPECT_EQ(S.Height(), 11.0);
    EXPECT_EQ(S.LeftMargin(), 0.5);
    EXPECT_EQ(S.RightMargin(), 0.5);
    EXPECT_EQ(S.TopMargin(), 0.5);
    EXPECT_EQ(S.BottomMargin(), 0.5);
    EXPECT_EQ(S.PrintWidth(), 7.5);
    EXPECT_EQ(S.PrintHeight(), 10.0);
    EXPECT_EQ(S.Orientation(), poUseCurrent);
    EXPECT_EQ(S.Size(), psUseCurrent);
    EXPECT_EQ(S.Source(), ppsUseCurrent);
    EXPECT_EQ(S.Duplex(), pdUseCurrent);
    EXPECT_EQ(S.PrintQuality(), pqUseCurrent);
    EXPECT_EQ(S.TrueTypeOption(), ttUseCurrent);
    EXPECT_EQ(S.Copies(), 1);
    EXPECT_TRUE(S.Color());
    EXPECT_EQ(S.Units(), unitInches);
    EXPECT_EQ(S.Destination(), destScreen);
    EXPECT_TRUE(S.CollatedCopies());
    EXPECT_TRUE(S.AdjustMargin());
    EXPECT_EQ(S.PixelsPerUnit(), 300.0);
    EXPECT_EQ(S.GetPixelsPerInch(), 300);
    EXPECT_EQ(S.PreviewStream(), psFile);
    EXPECT_EQ(S.PreviewSettings()->ModalPreview(), mpDefault);
    EXPECT_EQ(S.PreviewSettings()->PreviewOwner(), TKivPreviewOwner::poDefault);
    EXPECT_EQ(S.PreviewSettings()->FormStyle(), pfsDefault);
    EXPECT_EQ(S.PreviewSettings()->WindowState(), wsMaximized);
    EXPECT_EQ(S.PreviewSettings()->Zoom(), qz100);
}

TEST(PageSetup, SizesSetTheSheetInTheSetupsUnitsAndOrientation)
{
    TKivPageSetup S;
    S.SetSize(psA4);
    EXPECT_NEAR(S.Width(), 8.27, 0.005);
    EXPECT_NEAR(S.Height(), 11.69, 0.005);
    S.SetSize(psLedger);
    EXPECT_EQ(S.Width(), 17.0);
    EXPECT_EQ(S.Height(), 11.0);
    S.SetSize(psEnv_11);
    EXPECT_EQ(S.Width(), 4.5);
    EXPECT_EQ(S.Height(), 10.375);
    // Sizes the table does not know keep the sheet.
    S.SetSize(psENV_DL);
    EXPECT_EQ(S.Width(), 4.5);
    EXPECT_EQ(S.Height(), 10.375);
    S.SetSize(psCustom);
    EXPECT_EQ(S.Width(), 4.5);

    TKivPageSetup M;
    M.SetUnits(unitMiliMeters);
    M.SetSize(psA4);
    EXPECT_EQ(M.Width(), 210.0); // exactly: millimetre sizes are not taken through inches
    EXPECT_EQ(M.Height(), 297.0);
    M.SetSize(psQuarto);
    EXPECT_EQ(M.Width(), 215.0);
    M.SetSize(psLetter);
    EXPECT_NEAR(M.Width(), 215.9, 1e-9);

    TKivPageSetup L;
    L.SetUnits(unitMiliMeters);
    L.SetOrientation(poLandscape);
    L.SetSize(psA4);
    EXPECT_EQ(L.Width(), 297.0);
    EXPECT_EQ(L.Height(), 210.0);
    TKivPageSetup C;
    C.SetUnits(unitCentiMeters);
    C.SetSize(psA5);
    EXPECT_NEAR(C.Width(), 14.8, 1e-12);
    EXPECT_NEAR(C.Height(), 21.0, 1e-12);
}

TEST(PageSetup, OrientationTakesThePrintersSheetAndTurnsIt)
{
    TKivPageSetup S;
    TQorPrinterSetup Ps; // portrait letter
    Ps.SetLength(11.0);
    Ps.SetWidth(8.5);
    S.QorPrinterSetup()->Assign(Ps);
    S.SetUnits(unitMiliMeters);
    S.SetOrientation(poLandscape);
    EXPECT_NEAR(S.Width(), 279.4, 1e-9);
    EXPECT_NEAR(S.Height(), 215.9, 1e-9);
    S.SetOrientation(poPortrait);
    EXPECT_NEAR(S.Width(), 215.9, 1e-9);
    S.SetOrientation(poUseCurrent); // as the printer has it
    EXPECT_NEAR(S.Width(), 215.9, 1e-9);
    // A landscape printer: landscape keeps its sheet, portrait turns it.
    S.QorPrinterSetup()->SetOrientation(2);
    S.QorPrinterSetup()->SetLength(8.5);
    S.QorPrinterSetup()->SetWidth(11.0);
    S.SetOrientation(poLandscape);
    EXPECT_NEAR(S.Width(), 279.4, 1e-9);
    S.SetOrientation(poPortrait);
    EXPECT_NEAR(S.Width(), 215.9, 1e-9);
    // A custom sheet stays as designed.
    TKivPageSetup C;
    C.SetSize(psCustom);
    C.SetWidth(3.0);
    C.SetHeight(5.0);
    C.SetOrientation(poLandscape);
    EXPECT_EQ(C.Width(), 3.0);
    EXPECT_EQ(C.Height(), 5.0);
    EXPECT_EQ(C.Orientation(), poLandscape);
}

TEST(PageSetup, UnitsConvertEveryLengthAndKeepTheResolution)
{
    TKivPageSetup S;
    S.SetLeftMargin(0.25);
    S.SetUnits(unitMiliMeters);
    EXPECT_NEAR(S.LeftMargin(), 6.35, 1e-9);
    EXPECT_NEAR(S.TopMargin(), 12.7, 1e-9);
    EXPECT_NEAR(S.RightMargin(), 12.7, 1e-9);
    EXPECT_NEAR(S.BottomMargin(), 12.7, 1e-9);
    EXPECT_NEAR(S.Width(), 215.9, 1e-9);
    EXPECT_NEAR(S.Height(), 279.4, 1e-9);
    EXPECT_NEAR(S.PixelsPerUnit(), 300 * MM, 1e-9); // pixels per millimetre
    EXPECT_EQ(S.GetPixelsPerInch(), 300);
    S.SetUnits(unitCentiMeters);
    EXPECT_NEAR(S.Width(), 21.59, 1e-9);
    EXPECT_NEAR(S.PixelsPerUnit(), 300 * MM * 10, 1e-9);
    EXPECT_EQ(S.GetPixelsPerInch(), 300);
    S.SetUnits(unitInches);
    EXPECT_NEAR(S.Width(), 8.5, 1e-9);
    EXPECT_NEAR(S.LeftMargin(), 0.25, 1e-9);
    EXPECT_NEAR(S.PixelsPerUnit(), 300, 1e-9);
}

TEST(PageSetupMaps, PaperCodesBothWays)
{
    // The first sizes in their own order, the further ones from 27 up around codes no size has.
    const std::pair<TKivPaperSize, Integer> Anchors[] = {
        {psLetter, 1},           {psExecutive, 7}, {psA4, 9},      {psCustom, 256},
        {psUseCurrent, 1},       {psESheet, 26},   {psENV_DL, 27}, {psLETTER_EXTRA, 50},
        {psLETTER_ROTATED, 75},  {psB6_JIS, 88},   {psP16K, 93},   {psPENV_1_ROTATED, 109},
        {psPENV_10_ROTATED, 118}};
    for (const auto& [Size, Code] : Anchors)
        EXPECT_EQ(KivPaperSizeCode(Size), Code) << EnumName(Size);
    for (int I = psLetter; I <= psPENV_10_ROTATED; ++I) {
        const auto Size = static_cast<TKivPaperSize>(I);
        if (Size != psUseCurrent) {
            EXPECT_EQ(KivPaperSizeOfCode(KivPaperSizeCode(Size)), Size) << EnumName(Size);
        }
    }
    for (int Code : {0, 48, 49, 71, 74, 84, 87, 91, 92, 106, 108, 119, 255, 257, -1})
        EXPECT_EQ(KivPaperSizeOfCode(Code), psUseCurrent) << Code;
}

TEST(PageSetupMaps, BinsBothWaysAndBinsOfThePrintersOwn)
{
    const std::pair<TKivPaperSource, Integer> Table[] = {
        {psUpper, 1},     {psLower, 2},  {psAuto, 7},     {psManual, 4},         {psEnvelope, 5}, {psEnvelopeManual, 6},
        {psCassette, 14}, {psMiddle, 3}, {psSmallFmt, 9}, {psLargeCapacity, 11}, {psTractor, 8},  {psLargeFmt, 10},
    };
    for (const auto& [Source, Bin] : Table) {
        EXPECT_EQ(SourceDtoW(Source), Bin) << EnumName(Source);
        EXPECT_EQ(SourceWtoD(Bin), Source) << Bin;
    }
    EXPECT_EQ(SourceDtoW(ppsUseCurrent), 7);
    EXPECT_EQ(SourceDtoW(psOverride), 7) << "no bin number outside a page setup";
    for (Integer Own : {12, 13, 15, 260})
        EXPECT_EQ(SourceWtoD(Own), psOverride) << Own;
    EXPECT_EQ(SourceWtoD(0), ppsUseCurrent);
    EXPECT_EQ(SourceWtoD(-3), ppsUseCurrent);
    // A page setup keeps the number of a bin of the printer's own (LoadSettingsThenCopySettings...).
}

TEST(PageSetup, AssignCopiesTheDesignTheBinAndThePreview)
{
    TKivPageSetup A;
    A.SetUnits(unitMiliMeters);
    A.SetOrientation(poLandscape);
    A.SetSize(psA5);
    A.SetSource(psOverride);
    A.SetSourceNum(258);
    A.SetCopies(4);
    A.SetLeftMargin(1);
    A.SetDestination(destFile);
    A.SetFormName("A5");
    A.SetTrueTypeOption(ttBitmap);
    A.SetAdjustMargin(false);
    A.PreviewSettings()->SetPreviewOwner(TKivPreviewOwner::poAppOwned);
    A.PreviewSettings()->SetZoom(qzPage);
    A.QorPrinterSetup()->SetScale(80);
    TSetupPage Page(nullptr);
    A.SetPage(&Page);

    TKivPageSetup B;
    B.Assign(&A);
    // Lengths are copied as they are, not converted again by the units.
    EXPECT_EQ(B.Units(), unitMiliMeters);
    EXPECT_EQ(B.Size(), psA5);
    EXPECT_EQ(B.Width(), 210.0);
    EXPECT_EQ(B.Height(), 148.0);
    EXPECT_EQ(B.LeftMargin(), 1.0);
    EXPECT_EQ(B.PixelsPerUnit(), A.PixelsPerUnit());
    EXPECT_EQ(B.Source(), psOverride); // the copy feeds from the same bin
    EXPECT_EQ(B.SourceNum(), 258);
    EXPECT_EQ(B.Copies(), 4);
    EXPECT_EQ(B.Destination(), destFile);
    EXPECT_EQ(B.FormName(), "A5");
    EXPECT_EQ(B.Page(), &Page);
    EXPECT_EQ(B.QorPrinterSetup()->Scale(), 80);
    EXPECT_EQ(B.PreviewSettings()->PreviewOwner(), TKivPreviewOwner::poAppOwned);
    EXPECT_EQ(B.PreviewSettings()->Zoom(), qzPage);
    // What belongs to the setup itself stays.
    EXPECT_EQ(B.TrueTypeOption(), ttUseCurrent);
    EXPECT_TRUE(B.AdjustMargin());

    TKivPreviewSettings P;
    EXPECT_THROW(B.Assign(&P), EConvertError);
    EXPECT_THROW(P.Assign(&B), EConvertError);
}

// ---- form files --------------------------------------------------------------------------------------

TEST(PageSetupForm, MarginsAreStoredOnlyWhenTheyDifferFromHalfAUnit)
{
    TSetupPage Page(nullptr);
    Page.SetName("Page1");
    const String Plain = WriteComponentToText(&Page);
    EXPECT_EQ(Plain.find("Margin"), String::npos) << Plain;
    EXPECT_NE(Plain.find("PageSetup.Height = 11"), String::npos) << Plain; // always stored
    EXPECT_NE(Plain.find("PageSetup.Width = 8.5"), String::npos) << Plain;
    EXPECT_EQ(Plain.find("PixelsPerUnit"), String::npos) << Plain;

    TKivPageSetup& S = *Page.PageSetup();
    S.SetUnits(unitMiliMeters);
    S.SetSize(psA4);
    S.SetLeftMargin(0.75);
    S.SetBottomMargin(20);
    S.SetTopMargin(0.5);
    S.SetRightMargin(0.5);
    S.SetSource(psOverride);
    S.SetSourceNum(260);
    S.SetCopies(0);
    S.PreviewSettings()->SetPreviewOwner(TKivPreviewOwner::poFormOwned);
    const String Text = WriteComponentToText(&Page);
    EXPECT_NE(Text.find("PageSetup.LeftMargin = 0.75"), String::npos) << Text;
    EXPECT_NE(Text.find("PageSetup.BottomMargin = 20"), String::npos) << Text;
    EXPECT_EQ(Text.find("TopMargin"), String::npos) << Text;
    EXPECT_EQ(Text.find("RightMargin"), String::npos) << Text;
    EXPECT_NE(Text.find("PageSetup.PreviewSettings.PreviewOwner = poFormOwned"), String::npos) << Text;

    // Read back: stored lengths are in the stored units and are not converted again.
    TSetupPage Back(nullptr);
    ReadComponentIntoRoot(&Back, Text);
    const TKivPageSetup& R = *Back.PageSetup();
    EXPECT_EQ(R.Units(), unitMiliMeters);
    EXPECT_EQ(R.Size(), psA4);
    EXPECT_EQ(R.Width(), 210.0);
    EXPECT_EQ(R.Height(), 297.0);
    EXPECT_EQ(R.LeftMargin(), 0.75);
    EXPECT_EQ(R.BottomMargin(), 20.0);
    EXPECT_EQ(R.TopMargin(), 0.5);
    EXPECT_EQ(R.Source(), psOverride);
    EXPECT_EQ(R.SourceNum(), 260);
    EXPECT_EQ(R.Copies(), 0);
    EXPECT_EQ(R.PreviewSettings()->PreviewOwner(), TKivPreviewOwner::poFormOwned);
    EXPECT_EQ(WriteComponentToText(&Back), Text);
}

TEST(PageSetupForm, TheLegacyResolutionIsReadAndDroppedAndBadCopiesAreRefused)
{
    const String Text = "object Page1: TSetupPage\n"
                        "  PageSetup.Height = 11\n"
                        "  PageSetup.Width = 8.5\n"
                        "  PageSetup.PixelsPerUnit = 600\n"
                        "  PageSetup.TopMargin = 1.25\n"
                        "end\n";
    TSetupPage Page(nullptr);
    ReadComponentIntoRoot(&Page, Text);
    EXPECT_EQ(Page.PageSetup()->PixelsPerUnit(), 300.0);
    EXPECT_EQ(Page.PageSetup()->TopMargin(), 1.25);

    Page.PageSetup()->SetCopies(9999);
    EXPECT_THROW(Page.PageSetup()->SetCopies(10000), EConvertError);
    EXPECT_THROW(Page.PageSetup()->SetCopies(-1), EConvertError);
    EXPECT_EQ(Page.PageSetup()->Copies(), 9999);
    String Bad = Text;
    Bad.replace(Bad.find("PageSetup.PixelsPerUnit = 600"), 29, "PageSetup.Copies = 70000");
    TSetupPage Refused(nullptr);
    try {
        ReadComponentIntoRoot(&Refused, Bad);
        FAIL() << "70000 copies were accepted";
    } catch (const EReadError& E) {
        EXPECT_NE(E.Message().find("between 0 and 9999"), String::npos) << E.Message();
    }
}

TEST(PageSetupForm, OnlyADesignedPageThatIsNotBeingReadIsRepainted)
{
    TKivPageSetup Alone;
    Alone.SetWidth(3); // no page: nothing to repaint, nothing fails

    TSetupPage Page(nullptr);
    TKivPageSetup& S = *Page.PageSetup();
    S.SetWidth(4);
    EXPECT_EQ(Page.Refreshes, 0); // a page that runs is not repainted
    Page.SetDesigning(true);
    S.SetWidth(5);
    S.SetWidth(5); // unchanged
    EXPECT_EQ(Page.Refreshes, 1);
    S.SetSize(psA4);
    S.SetUnits(unitCentiMeters);
    S.SetLeftMargin(2);
    S.SetCopies(3);
    EXPECT_EQ(Page.Refreshes, 5);
    S.SetColor(false); // only stored
    S.SetTrueTypeOption(ttBitmap);
    S.SetRangeStart(3);
    EXPECT_EQ(Page.Refreshes, 5);
    Page.SetComponentStateFlag(csLoading, true);
    S.SetHeight(20);
    EXPECT_EQ(Page.Refreshes, 5);
}

// ---- a described printer -----------------------------------------------------------------------------

class PageSetupPrinterTest : public test::DescribedPrinterTest {};

// A page setup whose every printer option is chosen, none at its UseCurrent value.
void ChooseAll(TKivPageSetup& S)
{
    S.SetOrientation(poPortrait);
    S.SetSize(psLetter);
    S.SetSource(psUpper);
    S.SetDuplex(pdSimplex);
    S.SetPrintQuality(pqHigh);
    S.SetTrueTypeOption(ttDownLoad);
}

// A setup with every option chosen away from its UseCurrent value and from the printer's defaults.
void ChooseOthers(TKivPageSetup& A)
{
    A.SetOrientation(poLandscape);
    A.SetSize(psEnv_10);
    A.SetSource(psOverride);
    A.SetSourceNum(257);
    A.SetDuplex(pdDuplexLongEdge);
    A.SetCopies(3);
    A.SetPrintQuality(pqDraft);
    A.SetColor(false);
    A.SetTrueTypeOption(ttDownLoad);
    A.SetCollatedCopies(false);
    A.SetFormName("Envelope #10");
}

TEST_F(PageSetupPrinterTest, LoadSettingsThenCopySettingsRoundTripsEverySetting)
{
    Select("Works Laser");
    TKivPageSetup A;
    ChooseOthers(A);
    A.LoadSettings();
    A.CopySettings();
    EXPECT_EQ(A.Orientation(), poLandscape);
    EXPECT_EQ(A.Size(), psEnv_10);
    EXPECT_NEAR(A.Width(), 9.5, 0.001);
    EXPECT_NEAR(A.Height(), 4.125, 0.001);
    EXPECT_EQ(A.Source(), psOverride);
    EXPECT_EQ(A.SourceNum(), 257);
    EXPECT_EQ(A.Duplex(), pdDuplexLongEdge);
    EXPECT_EQ(A.Copies(), 3);
    EXPECT_EQ(A.PrintQuality(), pqDraft);
    EXPECT_FALSE(A.Color());
    EXPECT_EQ(A.TrueTypeOption(), ttDownLoad);
    EXPECT_FALSE(A.CollatedCopies());
    EXPECT_EQ(A.FormName(), "Envelope #10");
    EXPECT_EQ(A.PixelsPerUnit(), 300.0); // draft: the printer's coarsest resolution
    EXPECT_TRUE(A.AnyPrinters());

    // Another setup that follows the printer finds what the first one gave it.
    TKivPageSetup B;
    ChooseAll(B);
    B.SetCopies(1);
    B.CopySettings();
    EXPECT_EQ(B.Orientation(), poLandscape);
    EXPECT_EQ(B.Size(), psEnv_10);
    EXPECT_NEAR(B.Width(), 9.5, 0.001);
    EXPECT_EQ(B.Source(), psOverride);
    EXPECT_EQ(B.SourceNum(), 257);
    EXPECT_EQ(B.Duplex(), pdDuplexLongEdge);
    EXPECT_EQ(B.Copies(), 3);
    EXPECT_EQ(B.PrintQuality(), pqDraft);
    EXPECT_FALSE(B.Color());

    // The next job is printed as the page setup says.
    const std::string File = (Dir / "setup.pdf").string();
    PrintJob(File, 1, [](int) {});
    const test::TJobLog Log = test::ReadJobLog((Dir / "setup.json").string());
    EXPECT_EQ(Log.Top.at("copies"), "3");
    ASSERT_EQ(Log.Pages.size(), 1u);
    EXPECT_EQ(Log.Pages[0].at("paper"), "20");
    EXPECT_EQ(Log.Pages[0].at("orientation"), "2");
    EXPECT_EQ(Log.Pages[0].at("duplex"), "2");
    EXPECT_EQ(Log.Pages[0].at("source"), "257");
    const auto Sizes = test::PdfPageSizes(File, 1);
    ASSERT_EQ(Sizes.size(), 1u);
    EXPECT_NEAR(Sizes[0].Width, 9.5 * 72, 1);
    EXPECT_NEAR(Sizes[0].Height, 4.125 * 72, 1);
}

TEST_F(PageSetupPrinterTest, UseCurrentValuesFollowThePrinterWithoutChangingIt)
{
    Select("Works Laser");
    TKivPageSetup S;
    S.SetCopies(0);
    S.LoadSettings();
    S.CopySettings();
    EXPECT_EQ(S.Orientation(), poUseCurrent);
    EXPECT_EQ(S.Size(), psUseCurrent);
    EXPECT_EQ(S.Source(), ppsUseCurrent);
    EXPECT_EQ(S.Copies(), 0);
    // The sheet is the printer's A4, in the setup's units.
    EXPECT_NEAR(S.Width(), 210 * MM, 1e-9);
    EXPECT_NEAR(S.Height(), 297 * MM, 1e-9);
    EXPECT_EQ(S.PixelsPerUnit(), 600.0);
    EXPECT_EQ(S.FormName(), "A4");
    const TDeviceMode Now = CurrentDevMode(), Default = DefaultDevMode();
    EXPECT_EQ(Now.dmPaperSize, Default.dmPaperSize);
    EXPECT_EQ(Now.dmOrientation, Default.dmOrientation);
    EXPECT_EQ(Now.dmDefaultSource, Default.dmDefaultSource);
    EXPECT_EQ(Now.dmCopies, Default.dmCopies);

    // Copies 0 leaves the printer's number alone, also when another setup set it.
    TKivPageSetup Three;
    Three.SetCopies(3);
    Three.LoadSettings();
    S.LoadSettings();
    S.CopySettings();
    EXPECT_EQ(S.Copies(), 0);
    EXPECT_EQ(S.QorPrinterSetup()->Copies(), 3);

    // In millimetres the resolution is per millimetre, and still 600 per inch.
    TKivPageSetup M;
    M.SetUnits(unitMiliMeters);
    M.CopySettings();
    EXPECT_NEAR(M.Width(), 210, 1e-9);
    EXPECT_NEAR(M.PixelsPerUnit(), 600 * MM, 1e-9);
    EXPECT_EQ(M.GetPixelsPerInch(), 600);
}

TEST_F(PageSetupPrinterTest, MarginsRiseToThePrintableAreaExceptOnCustomPaper)
{
    Select("Works Laser"); // unprintable: 5 mm left, 4 top, 3 right, 6 bottom
    TKivPageSetup S;
    S.SetLeftMargin(0.1);
    S.SetRightMargin(0.1);
    S.SetTopMargin(0.1);
    S.SetBottomMargin(1.0);
    S.CopySettings();
    EXPECT_NEAR(S.LeftPrint(), 5 * MM, 1.0 / 600);
    EXPECT_NEAR(S.LeftMargin(), 5 * MM, 1.0 / 600);
    EXPECT_NEAR(S.RightMargin(), 3 * MM, 1.0 / 600);
    EXPECT_NEAR(S.TopMargin(), 4 * MM, 1.0 / 600);
    EXPECT_EQ(S.BottomMargin(), 1.0);

    TKivPageSetup Off;
    Off.SetAdjustMargin(false);
    Off.SetLeftMargin(0.1);
    Off.CopySettings();
    EXPECT_EQ(Off.LeftMargin(), 0.1);

    TKivPageSetup Custom;
    Custom.SetSize(psCustom);
    Custom.SetWidth(4.0);
    Custom.SetHeight(6.0);
    Custom.SetLeftMargin(0.1);
    Custom.LoadSettings();
    Custom.CopySettings();
    EXPECT_EQ(Custom.Size(), psCustom);
    EXPECT_EQ(Custom.LeftMargin(), 0.1);
    EXPECT_EQ(Custom.Width(), 4.0);

    // A setup copied in other units gets the printable area in its new units.
    TKivPageSetup Metric;
    Metric.SetUnits(unitMiliMeters);
    Metric.CopySettings();
    TKivPageSetup Copy;
    Copy.Assign(&Metric);
    EXPECT_NEAR(Copy.LeftPrint(), 5, 25.4 / 600);
}

TEST_F(PageSetupPrinterTest, CustomPaperPrintsAsTheSheetLies)
{
    Select("Works Laser");
    TKivPageSetup S;
    S.SetSize(psCustom);
    S.SetWidth(6.0);
    S.SetHeight(4.0);
    S.SetOrientation(poLandscape);
    S.LoadSettings();
    const std::string File = (Dir / "custom.pdf").string();
    PrintJob(File, 1, [](int) {});
    const auto Sizes = test::PdfPageSizes(File, 1);
    ASSERT_EQ(Sizes.size(), 1u);
    EXPECT_NEAR(Sizes[0].Width, 6 * 72, 1);
    EXPECT_NEAR(Sizes[0].Height, 4 * 72, 1);

    S.SetOrientation(poPortrait);
    S.LoadSettings();
    const std::string Portrait = (Dir / "portrait.pdf").string();
    PrintJob(Portrait, 1, [](int) {});
    const auto P = test::PdfPageSizes(Portrait, 1);
    ASSERT_EQ(P.size(), 1u);
    EXPECT_NEAR(P[0].Width, 6 * 72, 1);
    EXPECT_NEAR(P[0].Height, 4 * 72, 1);
}

TEST_F(PageSetupPrinterTest, EachSetupForcesItsPaperWhateverTheLastJobUsed)
{
    Select("Works Laser");
    TKivPageSetup A4; // made while the printer has A4
    A4.SetSize(psA4);
    TKivPageSetup Letter;
    Letter.SetSize(psLetter);
    Letter.LoadSettings();
    A4.LoadSettings();
    const std::string File = (Dir / "a4.pdf").string();
    PrintJob(File, 1, [](int) {});
    const test::TJobLog Log = test::ReadJobLog((Dir / "a4.json").string());
    ASSERT_EQ(Log.Pages.size(), 1u);
    EXPECT_EQ(Log.Pages[0].at("paper"), "9");
    const auto Sizes = test::PdfPageSizes(File, 1);
    ASSERT_EQ(Sizes.size(), 1u);
    EXPECT_NEAR(Sizes[0].Width, 210 * MM * 72, 1);
}

TEST_F(PageSetupPrinterTest, WithoutPrintersTheSetupKeepsItsValuesAndBecomesLetter)
{
    setenv("QOR_NO_PRINTERS", "1", 1);
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
    TKivPageSetup S;
    EXPECT_FALSE(S.AnyPrinters());
    S.SetWidth(7.0);
    S.LoadSettings();
    EXPECT_EQ(S.Size(), psLetter);
    EXPECT_EQ(S.QorPrinterSetup()->PaperSize(), 1);
    EXPECT_EQ(S.QorPrinterSetup()->Width(), 7.0); // the sheet travels as it is
    EXPECT_TRUE(S.QorPrinterSetup()->PrintSet(qpsPaperWidth));
    S.CopySettings();
    EXPECT_EQ(S.PixelsPerUnit(), 300.0);
    EXPECT_EQ(S.Width(), 7.0);
    unsetenv("QOR_NO_PRINTERS");
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
}

} // namespace
