// A report of 10,000 pages, 100 drawing records each (1,000,000 records), recorded through the
// page canvas of an output job into a page file on disk; then that file loaded and its page index
// read. Reports the peak resident memory of the process (which must stay under 64 MB).

#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Pen.h"
#include "platform/rtl/FileUtils.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace qor;

namespace {

constexpr int Pages = 10000;
constexpr int RecordsPerPage = 100;

double PeakResidentMB()
{
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return static_cast<double>(Usage.ru_maxrss) / 1024.0;
}

std::string FileName()
{
    static const std::string Name = GetTempDir() + "qor-bench-" + std::to_string(::getpid()) + ".qor";
    return Name;
}

// One page: a font, a pen and a brush chosen, then text, lines and boxes (100 records with the
// page's own begin, end and setup records).
void DrawPage(TQorCanvas& C, TFont& Font, TPen& Pen, TBrush& Brush, int Page)
{
    C.SetFont(&Font);
    C.SetPen(&Pen);
    C.SetBrush(&Brush);
    for (int Row = 0; Row < 19; ++Row) {
        const Integer Y = 60 + Row * 40;
        C.Textout(40, Y, "Customer 10442, order 77310");
        C.MoveTo(40, Y + 30);
        C.LineTo(760, Y + 30);
        C.Rectangle(600, Y, 700, Y + 28);
        C.TextRect(TRect(600, Y, 700, Y + 28), 604, Y + 4, Page % 2 ? "1,204.50" : "88.00");
    }
}

void BM_RecordPageFile(benchmark::State& State)
{
    Int64 Records = 0;
    for (auto _ : State) {
        TQorOutput Job;
        Job.SetDestination(qdQorFile);
        Job.SetFileName(FileName());
        Job.SetDescription("Benchmark");
        TFont Font;
        Font.SetName("Arial");
        Font.SetSize(10);
        TPen Pen;
        TBrush Brush;
        Brush.SetStyle(bsClear);
        Job.BeginDoc();
        for (int P = 0; P < Pages; ++P) {
            if (P)
                Job.NewPage();
            DrawPage(*Job.QorCanvas(), Font, Pen, Brush, P);
        }
        Job.EndDoc();
        // Every page holds its setup, begin and end records besides the drawing ones.
        Records = static_cast<Int64>(Pages) * (3 + 3 + 19 * 5);
        benchmark::DoNotOptimize(Job.QorFile()->PageCount());
    }
    State.counters["records"] = static_cast<double>(Records);
    State.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(FileName())) / 1e6;
    State.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_RecordPageFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_LoadPageIndex(benchmark::State& State)
{
    Int64 Sum = 0;
    for (auto _ : State) {
        TQorQorFile F;
        F.LoadFromFile(FileName());
        for (Integer P = 1; P <= F.PageCount(); ++P)
            Sum += F.PagePosition(P);
        benchmark::DoNotOptimize(Sum);
    }
    State.counters["peak_rss_MB"] = PeakResidentMB();
}
BENCHMARK(BM_LoadPageIndex)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    // The page file records the selected printer's setup; no printer is needed for that.
    setenv("QOR_NO_PRINTERS", "1", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DeleteFile(FileName());
    return 0;
}
