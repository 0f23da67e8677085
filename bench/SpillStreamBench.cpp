// 100 MB of page-file records appended through the record stream with its default memory limit,
// then read back front to back in record-sized pieces. Reports the rate and the peak resident
// memory of the process (which must stay under 32 MB).

#include "runtime/output/QorStr.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <array>
#include <memory>
#include <vector>

using namespace qor;

namespace {

constexpr Int64 Total = 100 * 1000 * 1000;
// Sizes of common records: a code and its coordinates, text and rectangles.
constexpr std::array<Int64, 8> RecordSizes = {4, 10, 12, 22, 40, 6, 18, 2};

double PeakResidentMB()
{
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return static_cast<double>(Usage.ru_maxrss) / 1024.0;
}

void Fill(TQorStream& S)
{
    std::array<Byte, 64> Record{};
    for (size_t i = 0; i < Record.size(); ++i)
        Record[i] = static_cast<Byte>(i);
    Int64 Written = 0;
    for (size_t i = 0; Written < Total; ++i) {
        const Int64 N = RecordSizes[i % RecordSizes.size()];
        S.WriteBuffer(Record.data(), N);
        Written += N;
    }
}

void BM_AppendRecords(benchmark::State& State)
{
    for (auto _ : State) {
        auto S = std::make_unique<TQorStream>();
        Fill(*S);
        benchmark::DoNotOptimize(S->Size());
        // Letting go of the temporary file is the end of the document, not part of appending.
        State.PauseTiming();
        S.reset();
        State.ResumeTiming();
    }
    State.SetBytesProcessed(State.iterations() * Total);
    State.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_AppendRecords)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_ReadRecordsBack(benchmark::State& State)
{
    TQorStream S;
    Fill(S);
    std::array<Byte, 64> Record{};
    for (auto _ : State) {
        S.SetPosition(0);
        Int64 Read = 0;
        for (size_t i = 0; Read < S.Size(); ++i)
            Read += S.Read(Record.data(), RecordSizes[i % RecordSizes.size()]);
        benchmark::DoNotOptimize(Read);
    }
    State.SetBytesProcessed(State.iterations() * S.Size());
    State.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_ReadRecordsBack)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
