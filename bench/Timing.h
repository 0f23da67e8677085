#pragma once
// Timing a piece of work in-process: its wall-clock seconds, and the median of several runs.

#include <algorithm>
#include <chrono>
#include <vector>

namespace qor::bench {

template <typename F>
double Seconds(F&& Run)
{
    const auto Start = std::chrono::steady_clock::now();
    Run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

inline double Median(std::vector<double> V)
{
    std::sort(V.begin(), V.end());
    return V[V.size() / 2];
}

} // namespace qor::bench
