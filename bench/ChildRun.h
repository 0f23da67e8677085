#pragma once
// A command run in a child process of the benchmark: its exit status, wall time and peak resident
// memory.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

namespace qor::bench {

struct TChild {
    int Exit = -1;
    double Seconds = 0;
    double CpuSeconds = 0; // user and system, every thread
    long PeakKb = 0;
};

// Runs Command through sh in a child of this process and waits for it.
inline TChild ForkAndWait(const std::string& Command)
{
    const auto Start = std::chrono::steady_clock::now();
    const pid_t Pid = fork();
    if (Pid == 0) {
        execl("/bin/sh", "sh", "-c", Command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int Status = 0;
    rusage Usage{};
    wait4(Pid, &Status, 0, &Usage);
    TChild C;
    C.Exit = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
    C.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    C.PeakKb = Usage.ru_maxrss;
    C.CpuSeconds = double(Usage.ru_utime.tv_sec + Usage.ru_stime.tv_sec) +
                   double(Usage.ru_utime.tv_usec + Usage.ru_stime.tv_usec) / 1e6;
    return C;
}

} // namespace qor::bench
