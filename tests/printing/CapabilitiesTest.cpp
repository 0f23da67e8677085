#include "PrintTestSupport.h"

#include "platform/printing/Capabilities.h"
#include "platform/rtl/Exceptions.h"

#include <cstring>

namespace qor {
namespace {

using test::PrintingTest;

String Name(const WideChar* Entry, int Width)
{
    String S;
    for (int I = 0; I < Width && Entry[I] != 0; ++I)
        S += static_cast<char>(Entry[I]);
    return S;
}

using CapabilitiesTest = PrintingTest;

TEST_F(CapabilitiesTest, DescribedPrinterAnswersFromItsDescription)
{
    const String Dev = "Office Laser";
    EXPECT_EQ(DeviceCapabilities(Dev, "FILE:", DC_COPIES, nullptr, nullptr), 99);
    EXPECT_EQ(DeviceCapabilities(Dev, "FILE:", DC_DUPLEX, nullptr, nullptr), 1);

    ASSERT_EQ(DeviceCapabilities(Dev, "", DC_PAPERS, nullptr, nullptr), 4);
    Word Papers[4] = {};
    EXPECT_EQ(DeviceCapabilities(Dev, "", DC_PAPERS, Papers, nullptr), 4);
    EXPECT_EQ(Papers[0], DMPAPER_A4);
    EXPECT_EQ(Papers[1], DMPAPER_LETTER);
    EXPECT_EQ(Papers[2], DMPAPER_A5);
    EXPECT_EQ(Papers[3], 300);

    ASSERT_EQ(DeviceCapabilities(Dev, "", DC_PAPERNAMES, nullptr, nullptr), 4);
    WideChar PaperNames[4][CCHPAPERNAME];
    std::memset(PaperNames, 0xFF, sizeof PaperNames);
    DeviceCapabilities(Dev, "", DC_PAPERNAMES, PaperNames, nullptr);
    EXPECT_EQ(Name(PaperNames[0], CCHPAPERNAME), "A4");                 // the standard name
    EXPECT_EQ(Name(PaperNames[1], CCHPAPERNAME), "Letter 8.5 x 11 in"); // the printer's own
    EXPECT_EQ(Name(PaperNames[3], CCHPAPERNAME), "Label 100 x 150 mm");
    EXPECT_EQ(PaperNames[3][CCHPAPERNAME - 1], 0); // padded, not left as it was

    TPoint Sizes[4];
    EXPECT_EQ(DeviceCapabilities(Dev, "", DC_PAPERSIZE, Sizes, nullptr), 4);
    EXPECT_EQ(Sizes[0], TPoint(2100, 2970));
    EXPECT_EQ(Sizes[1], TPoint(2159, 2794));
    EXPECT_EQ(Sizes[3], TPoint(1000, 1500));

    ASSERT_EQ(DeviceCapabilities(Dev, "", DC_BINS, nullptr, nullptr), 5);
    Word Bins[5] = {};
    DeviceCapabilities(Dev, "", DC_BINS, Bins, nullptr);
    EXPECT_EQ(Bins[0], DMBIN_AUTO);
    EXPECT_EQ(Bins[1], DMBIN_UPPER);
    EXPECT_EQ(Bins[4], 260);

    WideChar BinNames[5][CCHBINNAME];
    EXPECT_EQ(DeviceCapabilities(Dev, "", DC_BINNAMES, BinNames, nullptr), 5);
    EXPECT_EQ(Name(BinNames[1], CCHBINNAME), "Tray 1");
    EXPECT_EQ(Name(BinNames[3], CCHBINNAME), "Manual");
    // Exactly 24 units: the entry is full, without NUL, and the next entry is not touched.
    EXPECT_EQ(Name(BinNames[4], CCHBINNAME), "High Capacity Feeder #24");
    EXPECT_EQ(Name(BinNames[0], CCHBINNAME), "Automatically Select");

    ASSERT_EQ(DeviceCapabilities(Dev, "", DC_ENUMRESOLUTIONS, nullptr, nullptr), 3);
    Integer Res[3][2];
    DeviceCapabilities(Dev, "", DC_ENUMRESOLUTIONS, Res, nullptr);
    EXPECT_EQ(Res[0][0], 600);
    EXPECT_EQ(Res[2][0], 1200);
    EXPECT_EQ(Res[2][1], 600);
}

TEST_F(CapabilitiesTest, SecondDescribedPrinterAndDefaults)
{
    EXPECT_EQ(DeviceCapabilities("Label Printer", "", DC_BINS, nullptr, nullptr), 0);
    EXPECT_EQ(DeviceCapabilities("Label Printer", "", DC_DUPLEX, nullptr, nullptr), 0);
    EXPECT_EQ(DeviceCapabilities("Label Printer", "", DC_COPIES, nullptr, nullptr), 1);
    Integer Res[2];
    ASSERT_EQ(DeviceCapabilities("Label Printer", "", DC_ENUMRESOLUTIONS, Res, nullptr), 1);
    EXPECT_EQ(Res[0], 203); // a single number means the same in both directions
    EXPECT_EQ(Res[1], 203);
}

TEST_F(CapabilitiesTest, UnknownDeviceOrCapabilityGivesMinusOne)
{
    EXPECT_EQ(DeviceCapabilities("No Such Printer", "", DC_PAPERS, nullptr, nullptr), -1);
    EXPECT_EQ(DeviceCapabilities("office laser", "", DC_PAPERS, nullptr, nullptr), -1); // names are exact
    EXPECT_EQ(DeviceCapabilities("Office Laser", "", DC_MINEXTENT, nullptr, nullptr), -1);
}

TEST_F(CapabilitiesTest, PdfPrinterIsAlwaysThereAndDefault)
{
    EXPECT_TRUE(DefaultPrinterConfigured());
    EXPECT_EQ(DefaultPrinterName(), "PDF");
    EXPECT_EQ(DeviceCapabilities("PDF", "", DC_COPIES, nullptr, nullptr), 1);
    EXPECT_EQ(DeviceCapabilities("PDF", "", DC_DUPLEX, nullptr, nullptr), 0);
    const Integer N = DeviceCapabilities("PDF", "", DC_PAPERS, nullptr, nullptr);
    EXPECT_EQ(N, 103);
    std::vector<Word> Papers(static_cast<size_t>(N));
    DeviceCapabilities("PDF", "", DC_PAPERS, Papers.data(), nullptr);
    EXPECT_EQ(Papers[0], DMPAPER_A4);

    setenv("QOR_NO_PRINTERS", "1", 1);
    RefreshPrinterDrivers();
    EXPECT_FALSE(DefaultPrinterConfigured());
    EXPECT_EQ(DefaultPrinterName(), "");
    EXPECT_EQ(DeviceCapabilities("PDF", "", DC_PAPERS, nullptr, nullptr), -1);
    unsetenv("QOR_NO_PRINTERS");
    RefreshPrinterDrivers();
}

TEST_F(CapabilitiesTest, DefaultMarkedInTheDescription)
{
    const String File = (Dir / "default.json").string();
    test::WriteWholeFile(File, R"({"printers": [{"name": "Desk", "papers": [{"code": 1}], "bins": [],
        "resolutions": [300], "copies": 5, "default": true}]})");
    setenv("QOR_PRINTERS", File.c_str(), 1);
    RefreshPrinterDrivers();
    EXPECT_EQ(DefaultPrinterName(), "Desk");
}

// ---- bad descriptions ----

class BadDescriptionTest : public PrintingTest {
protected:
    // The message of the EPrinter the description raises; "" when it is accepted.
    String ErrorOf(const String& Json)
    {
        const String File = (Dir / "bad.json").string();
        test::WriteWholeFile(File, Json);
        try {
            LoadDescribedPrinters(File);
        } catch (const EPrinter& E) {
            EXPECT_NE(E.Message().find(File), String::npos) << E.Message();
            return E.Message();
        }
        return "";
    }
    static String Printer(const String& Body)
    {
        return R"({"printers": [{"name": "P", )" + Body + "}]}";
    }
};

TEST_F(BadDescriptionTest, MissingFieldsAreNamed)
{
    EXPECT_NE(ErrorOf(Printer(R"("bins": [], "resolutions": [300], "copies": 1)")).find("missing field \"papers\""),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [], "resolutions": [300])"))
                  .find("printer 1 (\"P\"): missing field \"copies\""),
              String::npos);
    EXPECT_NE(ErrorOf(R"({"printers": [{"papers": []}]})").find("missing field \"name\""), String::npos);
    EXPECT_NE(ErrorOf(R"({})").find("missing field \"printers\""), String::npos);
    // A custom paper needs its size.
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 300, "name": "X", "width": 10}], "bins": [],
                                 "resolutions": [300], "copies": 1)"))
                  .find("paper 1: missing field \"length\""),
              String::npos);
}

TEST_F(BadDescriptionTest, UnknownCodesAndFields)
{
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}, {"code": 48}], "bins": [], "resolutions": [300],
                                 "copies": 1)"))
                  .find("paper 2: unknown paper code 48"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 0}], "bins": [], "resolutions": [300], "copies": 1)"))
                  .find("unknown paper code 0"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [{"code": 12}], "resolutions": [300],
                                 "copies": 1)"))
                  .find("bin 1: unknown bin code 12"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [], "resolutions": [300], "copies": 1,
                                 "dupelx": true)"))
                  .find("unknown field \"dupelx\""),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}, {"code": 9}], "bins": [], "resolutions": [300],
                                 "copies": 1)"))
                  .find("listed twice"),
              String::npos);
}

TEST_F(BadDescriptionTest, WrongValues)
{
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [], "resolutions": [300], "copies": 0)"))
                  .find("\"copies\" must be between 1"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [], "resolutions": [], "copies": 1)"))
                  .find("\"resolutions\" must not be empty"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [], "resolutions": [[300]], "copies": 1)"))
                  .find("resolution 1"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 9.5}], "bins": [], "resolutions": [300], "copies": 1)"))
                  .find("whole number"),
              String::npos);
    EXPECT_NE(ErrorOf(Printer(R"("papers": [{"code": 11}], "bins": [], "resolutions": [300], "copies": 1,
                                 "margins": {"left": 800, "right": 800})"))
                  .find("nothing printable"),
              String::npos);
    EXPECT_NE(ErrorOf(R"({"printers": [{"name": "PDF", "papers": [{"code": 9}], "bins": [],
                          "resolutions": [300], "copies": 1}]})")
                  .find("already taken"),
              String::npos);
    EXPECT_NE(ErrorOf("{\"printers\": [").find("not valid JSON"), String::npos);
    EXPECT_EQ(ErrorOf(Printer(R"("papers": [{"code": 9}], "bins": [], "resolutions": [300], "copies": 1)")), "");
}

// What a hostile description can hold: numbers no integer can carry, every code there is, and no
// end at all.
TEST_F(BadDescriptionTest, HostileDescriptionsAreRefusedInBoundedTime)
{
    for (const char* Number : {"1e300", "-1e300", "1e400", "9223372036854775808", "2147483648.5"}) {
        const String Error = ErrorOf(Printer(
            String(R"("papers": [{"code": 9}], "bins": [], "resolutions": [300], "copies": )") + Number));
        EXPECT_TRUE(Error.find("\"copies\" must be") != String::npos || Error.find("not valid JSON") != String::npos)
            << Number << ": " << Error;
    }
    // Every custom paper code once, then one twice: found by a lookup, not a scan of the list.
    String Papers;
    for (Integer Code = DMPAPER_USER; Code <= 32767; ++Code)
        Papers += "{\"code\": " + std::to_string(Code) + ", \"name\": \"C\", \"width\": 10, \"length\": 10},";
    EXPECT_EQ(ErrorOf(Printer(R"("papers": [)" + Papers + R"({"code": 9}], "bins": [], "resolutions": [300], "copies": 1)")), "");
    EXPECT_NE(ErrorOf(Printer(R"("papers": [)" + Papers + R"({"code": 300, "name": "C", "width": 10, "length": 10}],
                                 "bins": [], "resolutions": [300], "copies": 1)"))
                  .find("paper code 300 listed twice"),
              String::npos);
    // A source without an end is refused at the size limit.
    try {
        LoadDescribedPrinters("/dev/zero");
        FAIL() << "an endless description was accepted";
    } catch (const EPrinter& E) {
        EXPECT_NE(E.Message().find("is larger than"), String::npos) << E.Message();
    }
}

TEST_F(BadDescriptionTest, UnreadableFile)
{
    const String Missing = (Dir / "missing.json").string();
    try {
        LoadDescribedPrinters(Missing);
        FAIL() << "no error";
    } catch (const EPrinter& E) {
        EXPECT_NE(E.Message().find(Missing), String::npos);
        EXPECT_NE(E.Message().find("cannot be read"), String::npos);
    }
    // Through the environment the same error reaches whoever lists the printers.
    setenv("QOR_PRINTERS", Missing.c_str(), 1);
    EXPECT_THROW(RefreshPrinterDrivers(), EPrinter);
    EXPECT_THROW(::qor::Printer()->Printers(), EPrinter);
}

} // namespace
} // namespace qor
