#pragma once
// The output of a child process, read through a pipe on a thread of its own, so that a test can
// wait for the line that says a server is ready. The wait ends when that text arrives or when the
// output ends (the child stopped); only a long safety limit bounds it otherwise, so a loaded
// machine makes it slower, never failed.

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace qor::test {

class TChildOutput {
public:
    TChildOutput()
    {
        if (pipe2(FPipe, O_CLOEXEC) != 0)
            FPipe[0] = FPipe[1] = -1;
    }
    ~TChildOutput()
    {
        FStop = true;
        if (FReader.joinable())
            FReader.join();
        for (int Fd : FPipe)
            if (Fd >= 0)
                close(Fd);
    }
    TChildOutput(const TChildOutput&) = delete;
    TChildOutput& operator=(const TChildOutput&) = delete;

    bool Valid() const { return FPipe[0] >= 0; }

    // In the child, before exec: its standard output and error go into the pipe.
    void RedirectChild() const
    {
        dup2(FPipe[1], 1);
        dup2(FPipe[1], 2);
    }

    // In the parent, once the child runs.
    void StartReading()
    {
        close(FPipe[1]);
        FPipe[1] = -1;
        FReader = std::thread([this] { Read(); });
    }

    // True once Text has appeared; false when the output ended without it or Limit passed.
    bool WaitFor(const std::string& Text, std::chrono::seconds Limit = std::chrono::seconds(120))
    {
        std::unique_lock Lock(FLock);
        FChanged.wait_for(Lock, Limit, [&] { return FText.find(Text) != std::string::npos || FEnded; });
        return FText.find(Text) != std::string::npos;
    }

    std::string Text() const
    {
        std::lock_guard Lock(FLock);
        return FText;
    }

private:
    void Read()
    {
        pollfd P{FPipe[0], POLLIN, 0};
        char Buffer[4096];
        while (!FStop) {
            if (poll(&P, 1, 100) <= 0)
                continue; // nothing yet: look at FStop again
            const ssize_t N = read(FPipe[0], Buffer, sizeof Buffer);
            if (N < 0 && errno == EINTR)
                continue;
            std::lock_guard Lock(FLock);
            if (N <= 0) {
                FEnded = true;
                FChanged.notify_all();
                return;
            }
            FText.append(Buffer, static_cast<std::size_t>(N));
            FChanged.notify_all();
        }
    }

    int FPipe[2];
    std::thread FReader;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    std::string FText;
    bool FEnded = false;
    std::atomic<bool> FStop = false;
};

} // namespace qor::test
