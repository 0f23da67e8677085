// Printing through a CUPS server: a private cupsd on a free local port with one queue whose
// device is a file.

#include "printing/CupsTestSupport.h"

#include "platform/graphics/Gdi.h"
#include "platform/printing/Capabilities.h"
#include "platform/rtl/StringList.h"
#include "common/NeedTool.h"


namespace qor {
namespace {

class CupsTest : public test::PrintingTest {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        const std::string Why = Server.Start(Dir);
        if (!Why.empty())
            QOR_SKIP_WITHOUT_TOOL("No private CUPS server for this test: " + Why);
        setenv("CUPS_SERVER", Server.Address().c_str(), 1);
        RefreshPrinterDrivers();
    }
    void TearDown() override
    {
        setenv("CUPS_SERVER", "127.0.0.1:9", 1);
        RefreshPrinterDrivers();
        PrintingTest::TearDown();
    }
    test::PrivateCupsServer Server;
};

TEST_F(CupsTest, QueuesAreListedWithTheirCapabilities)
{
    TStrings* List = Printer()->Printers();
    ASSERT_GE(List->IndexOf("QorTest"), 0);
    EXPECT_EQ(List->Get(0), "PDF");
    EXPECT_EQ(DefaultPrinterName(), "QorTest"); // the server's default queue

    const Integer NPapers = DeviceCapabilities("QorTest", "", DC_PAPERS, nullptr, nullptr);
    ASSERT_EQ(NPapers, 3);
    std::vector<Word> Papers(3);
    DeviceCapabilities("QorTest", "", DC_PAPERS, Papers.data(), nullptr);
    // In the order the server lists them.
    EXPECT_EQ(Papers, (std::vector<Word>{DMPAPER_LETTER, DMPAPER_A4, DMPAPER_A5}));

    EXPECT_EQ(DeviceCapabilities("QorTest", "", DC_DUPLEX, nullptr, nullptr), 1);
    const Integer NBins = DeviceCapabilities("QorTest", "", DC_BINS, nullptr, nullptr);
    ASSERT_EQ(NBins, 3);
    std::vector<Word> Bins(3);
    DeviceCapabilities("QorTest", "", DC_BINS, Bins.data(), nullptr);
    EXPECT_NE(std::find(Bins.begin(), Bins.end(), DMBIN_AUTO), Bins.end());
    EXPECT_NE(std::find(Bins.begin(), Bins.end(), DMBIN_MANUAL), Bins.end());

    const Integer NRes = DeviceCapabilities("QorTest", "", DC_ENUMRESOLUTIONS, nullptr, nullptr);
    ASSERT_GE(NRes, 2);
    std::vector<Integer> Res(static_cast<size_t>(NRes) * 2);
    DeviceCapabilities("QorTest", "", DC_ENUMRESOLUTIONS, Res.data(), nullptr);
    EXPECT_EQ(Res[0], 600); // the queue's default resolution comes first

    // The default record takes the queue's default paper.
    TPrinter* P = Printer();
    P->SetPrinterIndex(-1);
    String Device, Driver, Port;
    HDEVMODE H;
    P->GetPrinter(Device, Driver, Port, H);
    EXPECT_EQ(Device, "QorTest");
    EXPECT_EQ(GlobalLock(H)->dmPaperSize, DMPAPER_A4);
    GlobalUnlock(H);

    // The queue's unprintable border: 6.35 mm at the sides, 12.7 mm at top and bottom (at 600 dpi,
    // 150 and 300 pixels; margins are kept to a tenth of a millimetre, 2.4 pixels here).
    const HDC DC = P->Handle();
    EXPECT_EQ(GetDeviceCaps(DC, LOGPIXELSX), 600);
    EXPECT_NEAR(GetDeviceCaps(DC, PHYSICALOFFSETX), 150, 2);
    EXPECT_NEAR(GetDeviceCaps(DC, PHYSICALOFFSETY), 300, 2);
    EXPECT_NEAR(GetDeviceCaps(DC, HORZRES), GetDeviceCaps(DC, PHYSICALWIDTH) - 300, 4);
    EXPECT_NEAR(GetDeviceCaps(DC, VERTRES), GetDeviceCaps(DC, PHYSICALHEIGHT) - 600, 4);
}

TEST_F(CupsTest, JobsAreSentWithCopiesSidesAndSource)
{
    TPrinter* P = Printer();
    P->SetPrinterIndex(P->Printers()->IndexOf("QorTest"));
    String Device, Driver, Port;
    HDEVMODE H;
    P->GetPrinter(Device, Driver, Port, H);
    PDeviceMode D = GlobalLock(H);
    D->dmFields |= DM_COPIES | DM_DUPLEX | DM_DEFAULTSOURCE | DM_COLLATE;
    D->dmCopies = 2;
    D->dmDuplex = DMDUP_VERTICAL;
    D->dmDefaultSource = DMBIN_MANUAL;
    D->dmCollate = DMCOLLATE_TRUE;
    GlobalUnlock(H);
    P->SetTitle("Cups job");
    P->BeginDoc();
    Rectangle(P->Handle(), 10, 10, 100, 100);
    const String Temp = P->LastOutputFile();
    P->EndDoc();
    EXPECT_FALSE(std::filesystem::exists(Temp)); // the temporary PDF is gone

    const std::string Jobs = test::RunCommand("lpstat -h " + Server.Address() + " -o QorTest 2>&1");
    EXPECT_NE(Jobs.find("QorTest-1"), std::string::npos) << Jobs;
    // The job's attributes as the server stored them.
    std::string Control;
    for (const auto& E : std::filesystem::directory_iterator(Server.Dir() / "spool"))
        if (E.path().filename().string().rfind("c", 0) == 0)
            Control += test::ReadWholeFile(E.path().string());
    EXPECT_NE(Control.find("two-sided-long-edge"), std::string::npos);
    EXPECT_NE(Control.find("manual"), std::string::npos);
    EXPECT_NE(Control.find("Cups job"), std::string::npos);
    EXPECT_NE(Control.find("separate-documents-collated-copies"), std::string::npos);
}

} // namespace
} // namespace qor
