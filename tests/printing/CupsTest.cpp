// Printing through a CUPS server: a private cupsd on a free local port with one queue whose
// device is a file.

#include "PrintTestSupport.h"
#include "common/ChildOutput.h"

#include "platform/graphics/Gdi.h"
#include "platform/printing/Capabilities.h"
#include "platform/rtl/StringList.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qor {
namespace {

int FreeLocalPort()
{
    const int S = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t Len = sizeof A;
    int Port = 0;
    if (bind(S, reinterpret_cast<sockaddr*>(&A), sizeof A) == 0 &&
        getsockname(S, reinterpret_cast<sockaddr*>(&A), &Len) == 0)
        Port = ntohs(A.sin_port);
    close(S);
    return Port;
}

class PrivateCupsServer {
public:
    // Empty when the server runs; otherwise why it cannot.
    std::string Start(const std::filesystem::path& Dir)
    {
        if (geteuid() != 0)
            return "a private cupsd must run as root";
        if (access("/usr/sbin/cupsd", X_OK) != 0 || access("/usr/sbin/lpadmin", X_OK) != 0)
            return "cupsd or lpadmin is not installed";
        FPort = FreeLocalPort();
        if (FPort == 0)
            return "no free local port";
        FDir = Dir / "cups";
        for (const char* Sub : {"spool", "tmp", "cache", "state"})
            std::filesystem::create_directories(FDir / Sub);
        std::filesystem::permissions(FDir / "tmp", std::filesystem::perms::all);
        std::filesystem::permissions(FDir / "spool", std::filesystem::perms::all);
        test::WriteWholeFile((FDir / "cupsd.conf").string(),
                             "Listen 127.0.0.1:" + std::to_string(FPort) +
                                 "\nLogLevel info\nWebInterface No\nBrowsing Off\nDefaultAuthType None\nDirtyCleanInterval 0\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        const std::string D = FDir.string();
        test::WriteWholeFile((FDir / "cups-files.conf").string(),
                             "ServerRoot " + D + "\nRequestRoot " + D + "/spool\nTempDir " + D + "/tmp\nCacheDir " +
                                 D + "/cache\nStateDir " + D + "/state\nErrorLog stderr\nAccessLog " +
                                 D + "/access_log\nPageLog " + D + "/page_log\nFileDevice Yes\n");
        if (!FOutput.Valid())
            return "cannot make a pipe for cupsd's log";
        FPid = fork();
        if (FPid == 0) {
            FOutput.RedirectChild();
            const std::string Conf = D + "/cupsd.conf";
            const std::string Files = D + "/cups-files.conf";
            execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", Conf.c_str(), "-s", Files.c_str(), (char*)nullptr);
            _exit(127);
        }
        if (FPid < 0)
            return "cannot start cupsd";
        FOutput.StartReading();
        const std::string Host = "127.0.0.1:" + std::to_string(FPort);
        // The log says when the scheduler listens (connections wait for it from then on); it ends
        // if cupsd stops first.
        if (!FOutput.WaitFor("Listening to " + Host))
            return "cupsd did not come up: " + FOutput.Text();
        test::WriteWholeFile(D + "/out.prn", "");
        const std::string Admin = "lpadmin -h " + Host + " -p QorTest -E -v file://" + D + "/out.prn -P " +
                                  test::DataFile("test-queue.ppd") + " 2>&1 && lpadmin -h " + Host +
                                  " -d QorTest 2>&1 && cupsdisable -h " + Host + " QorTest 2>&1; echo rc=$?";
        const std::string Out = test::RunCommand(Admin);
        if (Out.find("rc=0") == std::string::npos)
            return "lpadmin failed: " + Out;
        return "";
    }

    ~PrivateCupsServer()
    {
        if (FPid > 0) {
            kill(FPid, SIGTERM);
            int Status = 0;
            waitpid(FPid, &Status, 0);
        }
    }

    std::string Address() const { return "127.0.0.1:" + std::to_string(FPort); }
    const std::filesystem::path& Dir() const { return FDir; }

private:
    test::TChildOutput FOutput; // cupsd's log; goes after cupsd has stopped
    pid_t FPid = -1;
    int FPort = 0;
    std::filesystem::path FDir;
};

class CupsTest : public test::PrintingTest {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        const std::string Why = Server.Start(Dir);
        if (!Why.empty())
            GTEST_SKIP() << "No private CUPS server for this test: " << Why;
        setenv("CUPS_SERVER", Server.Address().c_str(), 1);
        RefreshPrinterDrivers();
    }
    void TearDown() override
    {
        setenv("CUPS_SERVER", "127.0.0.1:9", 1);
        RefreshPrinterDrivers();
        PrintingTest::TearDown();
    }
    PrivateCupsServer Server;
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
    EXPECT_NE(std::find(Papers.begin(), Papers.end(), DMPAPER_A4), Papers.end());
    EXPECT_NE(std::find(Papers.begin(), Papers.end(), DMPAPER_LETTER), Papers.end());
    EXPECT_NE(std::find(Papers.begin(), Papers.end(), DMPAPER_A5), Papers.end());

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
