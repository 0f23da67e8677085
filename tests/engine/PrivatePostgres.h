#pragma once
// A private PostgreSQL server for tests: a fresh cluster in a temporary folder, listening only on
// a Unix socket in that folder, run as an unprivileged user when the tests run as root (the server
// refuses to run as root). Stopped and removed when the object goes.

#include "common/ChildOutput.h"

#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <glob.h>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace qor::test {

class PrivatePostgres {
public:
    // Empty when the server runs; otherwise why it cannot. Absent programs are reported by
    // BinariesMissing so tests can tell "not installed" from "failed".
    std::string Start()
    {
        FBin = FindBinDir();
        if (FBin.empty()) {
            FMissing = true;
            return "PostgreSQL's initdb and postgres are not installed (Debian package postgresql)";
        }
        char Template[] = "/tmp/qor-pg-XXXXXX";
        if (!mkdtemp(Template))
            return "cannot make a temporary folder";
        FDir = Template;
        if (geteuid() == 0) {
            const passwd* Pw = getpwnam("nobody");
            if (!Pw)
                return "there is no user 'nobody' to run the server as";
            FUid = Pw->pw_uid;
            FGid = Pw->pw_gid;
            if (chown(FDir.c_str(), FUid, FGid) != 0)
                return "cannot hand the temporary folder to 'nobody'";
        }
        chmod(FDir.c_str(), 0700);
        const std::string Data = FDir + "/data";
        const std::string Log = FDir + "/initdb.log";
        int Status = Run({FBin + "/initdb", "-D", Data, "-U", "qor", "-A", "trust", "-E", "UTF8", "--no-sync",
                          "--locale=C"},
                         Log);
        if (Status != 0)
            return "initdb failed: " + ReadFile(Log);
        FServerOutput = std::make_unique<TChildOutput>();
        if (!FServerOutput->Valid())
            return "cannot make a pipe for the server's output";
        FPid = fork();
        if (FPid == 0) {
            FServerOutput->RedirectChild();
            Exec({FBin + "/postgres", "-D", Data, "-k", FDir, "-c", "listen_addresses=", "-c", "fsync=off", "-c",
                  "full_page_writes=off"});
        }
        if (FPid < 0)
            return "cannot start postgres";
        FServerOutput->StartReading();
        // The server says when it takes connections; its output ends if it stops first.
        if (FServerOutput->WaitFor("ready to accept connections"))
            return "";
        return "postgres did not come up: " + FServerOutput->Text();
    }

    ~PrivatePostgres()
    {
        if (FPid > 0) {
            kill(FPid, SIGINT); // fast shutdown
            int Status = 0;
            waitpid(FPid, &Status, 0);
        }
        if (!FDir.empty()) {
            std::error_code Ignored;
            std::filesystem::remove_all(FDir, Ignored);
        }
    }

    bool BinariesMissing() const { return FMissing; }
    // The host the client library takes for a socket folder.
    const std::string& SocketDir() const { return FDir; }
    static const char* User() { return "qor"; }

private:
    static std::string FindBinDir()
    {
        glob_t G{};
        std::string Found;
        if (glob("/usr/lib/postgresql/*/bin/postgres", 0, nullptr, &G) == 0 && G.gl_pathc > 0) {
            const std::string Path = G.gl_pathv[G.gl_pathc - 1]; // the newest version
            const std::string Dir = Path.substr(0, Path.rfind('/'));
            if (access((Dir + "/initdb").c_str(), X_OK) == 0 && access(Path.c_str(), X_OK) == 0)
                Found = Dir;
        }
        globfree(&G);
        return Found;
    }

    static std::string ReadFile(const std::string& Path)
    {
        std::ifstream In(Path);
        std::stringstream S;
        S << In.rdbuf();
        return S.str();
    }

    // In the child: drop to the server's user, send output to Log (when given), run Args.
    [[noreturn]] void Exec(const std::vector<std::string>& Args, const std::string& Log = {}) const
    {
        const int Fd = Log.empty() ? -1 : open(Log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (Fd >= 0) {
            if (geteuid() == 0 && fchown(Fd, FUid, FGid) != 0)
                _exit(126);
            dup2(Fd, 1);
            dup2(Fd, 2);
            close(Fd);
        }
        if (geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(FGid) != 0 || setuid(FUid) != 0)
                _exit(126);
        }
        std::vector<char*> Argv;
        for (const std::string& A : Args)
            Argv.push_back(const_cast<char*>(A.c_str()));
        Argv.push_back(nullptr);
        execv(Argv[0], Argv.data());
        _exit(127);
    }

    int Run(const std::vector<std::string>& Args, const std::string& Log) const
    {
        const pid_t Pid = fork();
        if (Pid == 0)
            Exec(Args, Log);
        if (Pid < 0)
            return -1;
        int Status = 0;
        waitpid(Pid, &Status, 0);
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    }

    std::string FBin;
    std::string FDir;
    pid_t FPid = -1;
    uid_t FUid = 0;
    gid_t FGid = 0;
    bool FMissing = false;
    std::unique_ptr<TChildOutput> FServerOutput; // goes after the server has stopped
};

} // namespace qor::test
