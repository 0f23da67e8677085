#pragma once
// A private CUPS server for tests: cupsd on a free local port with one queue, "QorTest", whose
// device is a file. It runs only as root with cupsd and lpadmin installed.

#include "common/ChildOutput.h"
#include "printing/PrintTestSupport.h"

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace qor::test {

inline int FreeLocalPort()
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
        WriteWholeFile((FDir / "cupsd.conf").string(),
                             "Listen 127.0.0.1:" + std::to_string(FPort) +
                                 "\nLogLevel info\nWebInterface No\nBrowsing Off\nDefaultAuthType None\nDirtyCleanInterval 0\n"
                                 "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                 "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        const std::string D = FDir.string();
        WriteWholeFile((FDir / "cups-files.conf").string(),
                             "ServerRoot " + D + "\nRequestRoot " + D + "/spool\nTempDir " + D + "/tmp\nCacheDir " +
                                 D + "/cache\nStateDir " + D + "/state\nErrorLog stderr\nAccessLog " +
                                 D + "/access_log\nPageLog " + D + "/page_log\nFileDevice Yes\n");
        if (!FLog.Valid())
            return "cannot make a pipe for cupsd's log";
        FPid = fork();
        if (FPid == 0) {
            FLog.RedirectChild();
            const std::string Conf = D + "/cupsd.conf";
            const std::string Files = D + "/cups-files.conf";
            execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", Conf.c_str(), "-s", Files.c_str(), (char*)nullptr);
            _exit(127);
        }
        if (FPid < 0)
            return "cannot start cupsd";
        const std::string Host = "127.0.0.1:" + std::to_string(FPort);
        FLog.StartReading();
        // The log says when the scheduler listens (connections wait for it from then on); it ends
        // at once if cupsd stops first.
        if (!FLog.WaitFor("Listening to " + Host))
            return "cupsd did not come up: " + FLog.Text();
        WriteWholeFile(D + "/out.prn", "");
        const std::string Admin = "lpadmin -h " + Host + " -p QorTest -E -v file://" + D + "/out.prn -P " +
                                  DataFile("test-queue.ppd") + " 2>&1 && lpadmin -h " + Host +
                                  " -d QorTest 2>&1 && cupsdisable -h " + Host + " QorTest 2>&1; echo rc=$?";
        const std::string Out = RunCommand(Admin);
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
    TChildOutput FLog; // goes after cupsd has stopped
    pid_t FPid = -1;
    int FPort = 0;
    std::filesystem::path FDir;
};

} // namespace qor::test
