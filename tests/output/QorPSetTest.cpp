// Printer capabilities and printer settings against described printers.

#include "output/OutputTestSupport.h"
#include "platform/printing/Capabilities.h"
#include "runtime/output/QorPSet.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace qor;

namespace {

class CapabilitiesTest : public test::DescribedPrinterTest {};

TEST_F(CapabilitiesTest, DescribedPrinterIsReadWhole)
{
    Select("Works Laser");
    TQorPrinterInfo Info;
    EXPECT_EQ(Info.PrinterName(), "Works Laser");
    EXPECT_EQ(Info.Copies(), 50);
    EXPECT_TRUE(Info.Duplex());
    EXPECT_EQ(Info.TrueType(), 0);
    ASSERT_EQ(Info.PaperList().size(), 5u);
    const TQorPaper& A4 = *Info.PaperList()[0];
    EXPECT_EQ(A4.PaperNum, 9);
    EXPECT_EQ(A4.PaperName, "A4");
    EXPECT_EQ(A4.PaperSize, TPoint(2100, 2970));
    EXPECT_EQ(Info.PaperList()[3]->PaperName, "Label 100 x 150 mm");
    EXPECT_EQ(Info.PaperList()[3]->PaperSize, TPoint(1000, 1500));
    ASSERT_EQ(Info.BinList().size(), 4u);
    EXPECT_EQ(Info.BinList()[1]->binNumber, 1);
    EXPECT_EQ(Info.BinList()[1]->binName, "Tray 1");
    // A bin name of exactly 24 units has no NUL in its entry and is taken whole.
    EXPECT_EQ(Info.BinList()[3]->binName, "High Capacity Feeder #24");
    EXPECT_EQ(Info.BinList()[2]->binName, "Manual Feed");
    ASSERT_EQ(Info.Resolutions().size(), 3u);
    EXPECT_EQ(Info.Resolutions()[2]->HorzRes, 1200);
    // The defaults captured at first use are the printer's settings record.
    const TQorPrinterSettings& Defaults = *Info.PrinterSettings();
    EXPECT_EQ(Defaults.GetPSProperty(qpsPaperSize), 9);
    EXPECT_EQ(Defaults.GetPSProperty(qpsCopies), 1);
    EXPECT_EQ(Defaults.GetPSProperty(qpsDefaultSource), 7);
    EXPECT_EQ(Defaults.FormName(), "A4");
    EXPECT_TRUE(Defaults.PrintSet(qpsOrientation));
    // Looked up through an info object made during the fill, which is empty: no length or width.
    EXPECT_FALSE(Defaults.PrintSet(qpsPaperLength));
    EXPECT_FALSE(Defaults.CustomPaperSize());
}

TEST_F(CapabilitiesTest, SecondInfoCopiesTheCachedOneIntoItsOwnObjects)
{
    Select("Works Laser");
    TQorPrinterInfo First;
    TQorPrinterInfo Second;
    ASSERT_EQ(First.PaperList().size(), Second.PaperList().size());
    for (size_t I = 0; I < First.PaperList().size(); ++I) {
        EXPECT_NE(First.PaperList()[I].get(), Second.PaperList()[I].get());
        EXPECT_EQ(First.PaperList()[I]->PaperName, Second.PaperList()[I]->PaperName);
        EXPECT_EQ(First.PaperList()[I]->PaperSize, Second.PaperList()[I]->PaperSize);
    }
    EXPECT_NE(First.BinList()[0].get(), Second.BinList()[0].get());
    EXPECT_NE(First.PrinterSettings(), Second.PrinterSettings());
    Second.PaperList()[0]->PaperName = "changed";
    TQorPrinterInfo Third;
    EXPECT_EQ(Third.PaperList()[0]->PaperName, "A4");
}

// The cache asks a printer once per process: a printer whose description changes under the same
// name keeps the answers it gave first, while the driver already answers differently.
TEST_F(CapabilitiesTest, PrinterIsAskedOncePerProcess)
{
    const std::string File = (Dir / "probe.json").string();
    const auto Describe = [&](const char* Papers) {
        std::ofstream(File) << R"({"printers": [{"name": "Cache Probe", "papers": [)" << Papers
                            << R"(], "bins": [], "resolutions": [300], "copies": 3}]})";
        setenv("QOR_PRINTERS", File.c_str(), 1);
        RefreshPrinterDrivers();
        delete ::qor::SetPrinter(nullptr);
        Select("Cache Probe");
    };
    Describe(R"({"code": 9}, {"code": 11})");
    {
        TQorPrinterInfo Info;
        ASSERT_EQ(Info.PaperList().size(), 2u);
        EXPECT_EQ(Info.Copies(), 3);
    }
    Describe(R"({"code": 1})");
    EXPECT_EQ(DeviceCapabilities("Cache Probe", "", DC_PAPERS, nullptr, nullptr), 1);
    TQorPrinterInfo Again;
    ASSERT_EQ(Again.PaperList().size(), 2u);
    EXPECT_EQ(Again.PaperList()[1]->PaperNum, 11);
}

TEST_F(CapabilitiesTest, PrinterChangedComparesTheSelectedEntry)
{
    Select("Works Laser");
    TQorPrinterInfo Info;
    EXPECT_FALSE(Info.PrinterChanged());
    Select("Plain Printer");
    EXPECT_TRUE(Info.PrinterChanged());
    TQorPrinterInfo Plain;
    EXPECT_EQ(Plain.PrinterName(), "Plain Printer");
    EXPECT_FALSE(Plain.Duplex());
    EXPECT_TRUE(Plain.BinList().empty());
}

TEST_F(CapabilitiesTest, NoPrinterLeavesTheObjectEmpty)
{
    setenv("QOR_NO_PRINTERS", "1", 1);
    RefreshPrinterDrivers();
    delete ::qor::SetPrinter(nullptr);
    EXPECT_EQ(QorGetPrinterCount(), 0);
    TQorPrinterInfo Info;
    EXPECT_TRUE(Info.PaperList().empty());
    EXPECT_EQ(Info.GetPaperByNum(9), nullptr);
    EXPECT_EQ(Info.GetResolution(300, 300), nullptr);
    EXPECT_FALSE(Info.PrinterChanged());
    Info.GetDeviceMode(false);
    EXPECT_EQ(Info.DeviceMode, nullptr);
    TQorPrinterSettings S;
    S.GetValues();
    EXPECT_FALSE(S.PrintSet(qpsOrientation));
    S.SetPSProperty(qpsCopies, 2);
    S.SetValues(false); // writes nothing, raises nothing
    unsetenv("QOR_NO_PRINTERS");
}

TEST_F(CapabilitiesTest, PaperAndBinLookups)
{
    Select("Works Laser");
    TQorPrinterInfo Info;
    EXPECT_EQ(Info.GetPaperByNum(1)->PaperName, "Letter 8.5 x 11 in");
    EXPECT_EQ(Info.GetPaperByNum(5), nullptr);
    EXPECT_EQ(Info.GetPaperByName("a4")->PaperNum, 9);
    EXPECT_EQ(Info.GetPaperByName("Letter"), nullptr); // whole names only
    EXPECT_EQ(Info.FindPaperByName(TQorPrinterInfo::GetPaperName(1))->PaperNum, 1);
    // "ENV 10" against Envelope #10: both words occur.
    EXPECT_EQ(Info.FindPaperByName(TQorPrinterInfo::GetPaperName(20))->PaperName, "Envelope #10");
    EXPECT_EQ(Info.FindPaperByName(""), nullptr);
    EXPECT_EQ(Info.GetBinByNum(257)->binName, "Manual Feed");
    EXPECT_EQ(Info.GetBinByNum(4), nullptr);
    // Code 4 is not listed; its standard name "Manual" is found in "Manual Feed".
    EXPECT_EQ(Info.FindBinByNum(4)->binNumber, 257);
    EXPECT_EQ(Info.FindBinByNum(1)->binName, "Tray 1");
    EXPECT_EQ(Info.FindBinByNum(3), nullptr); // "Middle"
    EXPECT_EQ(Info.FindBinByName("capacity FEEDER")->binNumber, 258);
}

TEST_F(CapabilitiesTest, ResolutionIsTheLastOneAtLeastAsFine)
{
    Select("Works Laser");
    TQorPrinterInfo Info; // 600, 300, 1200
    EXPECT_EQ(Info.GetResolution(300, 300)->HorzRes, 1200);
    EXPECT_EQ(Info.GetResolution(2400, 2400)->HorzRes, 600); // none: the first
    const auto Use = [&](std::initializer_list<std::pair<Integer, Integer>> List) {
        Info.Resolutions().clear();
        for (auto [X, Y] : List) {
            auto R = std::make_unique<TQorResolution>();
            R->HorzRes = X;
            R->VertRes = Y;
            Info.Resolutions().push_back(std::move(R));
        }
    };
    Use({{600, 600}, {300, 300}, {150, 150}});
    EXPECT_EQ(Info.GetResolution(300, 300)->HorzRes, 300);
    Use({{150, 150}, {600, 600}});
    EXPECT_EQ(Info.GetResolution(300, 300)->HorzRes, 600);
    Use({{150, 150}, {200, 200}});
    EXPECT_EQ(Info.GetResolution(300, 300)->HorzRes, 150);
    Use({{150, 150}, {600, 200}, {300, 600}});
    EXPECT_EQ(Info.GetResolution(300, 300)->HorzRes, 300); // both directions must reach
}

// ---- settings --------------------------------------------------------------------------------------

class SettingsTest : public test::DescribedPrinterTest {};

TEST_F(SettingsTest, OnlyFlaggedCopiesChangeTheRecord)
{
    Select("Works Laser");
    TQorPrinterSettings S;
    S.SetPSProperty(qpsCopies, 3);
    S.SetValues(false);
    TDeviceMode Expected = DefaultDevMode();
    Expected.dmCopies = 3;
    // Unflagged properties get the printer's captured defaults; the paper is not touched.
    EXPECT_EQ(CurrentDevMode(), Expected);
}

TEST_F(SettingsTest, SetFlagsEvenForUnchangedValues)
{
    TQorPrinterSettings S;
    EXPECT_EQ(S.PropCount(), 14);
    EXPECT_FALSE(S.PrintSet(qpsScale));
    S.SetPSProperty(qpsScale, 0);
    EXPECT_TRUE(S.PrintSet(qpsScale));
    S.SetFormName("");
    EXPECT_TRUE(S.PrintSet(qpsFormName));
    TQorPrinterSettings Copy;
    S.SetCustomPaperSize(true);
    Copy.Assign(S);
    EXPECT_TRUE(Copy.PrintSet(qpsScale));
    EXPECT_TRUE(Copy.PrintSet(qpsFormName));
    EXPECT_TRUE(Copy.CustomPaperSize());
    EXPECT_FALSE(Copy.PrintSet(qpsCopies));
}

TEST_F(SettingsTest, OrientationQualityAndColourOutsideTheirSetsAreNotWritten)
{
    Select("Works Laser");
    TQorPrinterSettings S;
    for (Integer Bad : {0, 3}) {
        S.SetPSProperty(qpsOrientation, Bad);
        S.SetPSProperty(qpsPrintQuality, 600);
        S.SetPSProperty(qpsColor, 5);
        S.SetValues(false);
        const TDeviceMode D = CurrentDevMode();
        EXPECT_EQ(D.dmOrientation, DMORIENT_PORTRAIT);
        EXPECT_EQ(D.dmPrintQuality, DefaultDevMode().dmPrintQuality);
        EXPECT_EQ(D.dmColor, DMCOLOR_COLOR);
    }
    S.SetPSProperty(qpsOrientation, 2);
    S.SetPSProperty(qpsPrintQuality, -1);
    S.SetPSProperty(qpsColor, 1);
    S.SetValues(false);
    const TDeviceMode D = CurrentDevMode();
    EXPECT_EQ(D.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(D.dmPrintQuality, DMRES_DRAFT);
    EXPECT_EQ(D.dmColor, DMCOLOR_MONOCHROME);
}

TEST_F(SettingsTest, PaperByCodeByStandardNameAndByFormName)
{
    Select("Plain Printer");
    TQorPrinterSettings S;
    // Code 9 is not listed; its standard name "A4" occurs in "iso a4 sheet".
    S.SetPSProperty(qpsPaperSize, 9);
    S.SetValues(false);
    TDeviceMode D = CurrentDevMode();
    EXPECT_EQ(D.dmPaperSize, 270);
    EXPECT_TRUE(D.dmFields & DM_PAPERSIZE);
    EXPECT_FALSE(D.dmFields & DM_FORMNAME); // the form name was not chosen

    Select("Works Laser");
    TQorPrinterSettings N;
    N.SetPSProperty(qpsPaperSize, 1);
    N.SetFormName("envelope #10"); // the chosen form name wins over the code
    N.SetValues(false);
    D = CurrentDevMode();
    EXPECT_EQ(D.dmPaperSize, 20);
    EXPECT_TRUE(D.dmFields & DM_FORMNAME);
    EXPECT_EQ(DevModeFormName(D), "Envelope #10"); // the printer's spelling

    TQorPrinterSettings Unknown;
    Unknown.SetPSProperty(qpsPaperSize, 66); // A2: neither listed nor matched by name ...
    Unknown.SetValues(false);
    D = CurrentDevMode();
    EXPECT_EQ(D.dmPaperSize, 9); // ... so the printer's default form (A4) is taken
    EXPECT_FALSE(D.dmFields & DM_FORMNAME);
}

TEST_F(SettingsTest, CustomPaperWritesItsLengthAndWidthAndAStandardPaperDropsThem)
{
    Select("Works Laser");
    TQorPrinterSettings S;
    S.SetPSProperty(qpsPaperSize, 256);
    S.SetPSProperty(qpsPaperLength, 2794);
    S.SetPSProperty(qpsPaperWidth, 2159);
    S.SetValues(false);
    TDeviceMode D = CurrentDevMode();
    EXPECT_EQ(D.dmPaperSize, 256);
    EXPECT_TRUE(D.dmFields & DM_PAPERLENGTH);
    EXPECT_TRUE(D.dmFields & DM_PAPERWIDTH);
    EXPECT_EQ(D.dmPaperLength, 2794);
    EXPECT_EQ(D.dmPaperWidth, 2159);
    // Reading back marks the custom size and takes the explicit length and width.
    TQorPrinterSettings Back;
    Back.GetValues();
    EXPECT_TRUE(Back.CustomPaperSize());
    EXPECT_EQ(Back.GetPSProperty(qpsPaperLength), 2794);

    // A standard paper afterwards: the old length and width must not size the sheet any more.
    TQorPrinterSettings A4;
    A4.SetPSProperty(qpsPaperSize, 9);
    A4.SetValues(false);
    D = CurrentDevMode();
    EXPECT_EQ(D.dmPaperSize, 9);
    EXPECT_FALSE(D.dmFields & (DM_PAPERLENGTH | DM_PAPERWIDTH));
    const TPageGeometry G = FindPrinterDriver("Works Laser")->Geometry(D);
    EXPECT_EQ(G.SheetWidth, 2100);
    EXPECT_EQ(G.SheetLength, 2970);
}

TEST_F(SettingsTest, SourcesAreLookedUpAmongTheBins)
{
    Select("Works Laser");
    TQorPrinterSettings S;
    S.SetPSProperty(qpsDefaultSource, 4); // "Manual" -> Manual Feed
    S.SetValues(false);
    EXPECT_EQ(CurrentDevMode().dmDefaultSource, 257);
    S.SetPSProperty(qpsDefaultSource, 3); // "Middle": no such bin, nothing written
    S.SetValues(false);
    EXPECT_EQ(CurrentDevMode().dmDefaultSource, 257);
}

TEST_F(SettingsTest, GetValuesTakesLengthAndWidthFromThePaperAsItLies)
{
    Select("Works Laser");
    TQorPrinterSettings S;
    S.GetValues();
    EXPECT_EQ(S.GetPSProperty(qpsPaperSize), 9);
    EXPECT_EQ(S.GetPSProperty(qpsPaperLength), 2970);
    EXPECT_EQ(S.GetPSProperty(qpsPaperWidth), 2100);
    EXPECT_EQ(S.FormName(), "A4");
    EXPECT_FALSE(S.PrintSet(qpsFormName));
    EXPECT_EQ(S.GetPSProperty(qpsPrintQuality), 600);
    EXPECT_EQ(S.GetPSProperty(qpsYResolution), 600);
    TQorPrinterSettings L;
    L.SetPSProperty(qpsOrientation, 2);
    L.SetValues(false);
    TQorPrinterSettings Back;
    Back.GetValues();
    EXPECT_EQ(Back.GetPSProperty(qpsPaperLength), 2100);
    EXPECT_EQ(Back.GetPSProperty(qpsPaperWidth), 2970);
}

TEST_F(SettingsTest, ResetReloadsTheDefaultRecord)
{
    Select("Works Laser");
    TQorPrinterSettings S;
    S.SetPSProperty(qpsCopies, 7);
    S.SetPSProperty(qpsOrientation, 2);
    S.SetValues(false);
    EXPECT_EQ(CurrentDevMode().dmCopies, 7);
    QorResetPrinter();
    EXPECT_EQ(CurrentDevMode(), DefaultDevMode());
    EXPECT_EQ(Printer()->Printers()->Get(Printer()->PrinterIndex()), "Works Laser");
    // SetValues(true) starts from the defaults: only what this object flags is changed.
    S.SetValues(false);
    TQorPrinterSettings Only;
    Only.SetPSProperty(qpsDuplex, 2);
    Only.SetValues(true);
    TDeviceMode Expected = DefaultDevMode();
    Expected.dmDuplex = 2;
    EXPECT_EQ(CurrentDevMode(), Expected);
}

TEST_F(SettingsTest, ARunningJobTakesTheEditedRecordForItsNextPage)
{
    Select("Works Laser");
    const std::string File = (Dir / "running.pdf").string();
    PrintJob(File, 2, [](int) {
        TQorPrinterSettings S;
        S.SetPSProperty(qpsOrientation, 2);
        S.SetPSProperty(qpsPaperSize, 1);
        S.SetValues(false);
    });
    const test::TJobLog Log = test::ReadJobLog((Dir / "running.json").string());
    ASSERT_EQ(Log.Pages.size(), 2u);
    EXPECT_EQ(Log.Pages[0].at("orientation"), "1");
    EXPECT_EQ(Log.Pages[0].at("paper"), "9");
    EXPECT_EQ(Log.Pages[1].at("orientation"), "2");
    EXPECT_EQ(Log.Pages[1].at("paper"), "1");
    const auto Sizes = test::PdfPageSizes(File, 2);
    ASSERT_EQ(Sizes.size(), 2u);
    EXPECT_NEAR(Sizes[0].Width, 595.3, 0.5);
    EXPECT_NEAR(Sizes[1].Width, 792, 0.5);
    EXPECT_NEAR(Sizes[1].Height, 612, 0.5);
}

} // namespace
