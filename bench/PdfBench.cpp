// The grouped sales report against the same report in KDE KReport 3 (../shared/peer/kreport), on the
// same SQLite rows, at 100,000 and 1,000,000 rows, each size in one interleaved run (each round runs
// every program once; 3 rounds; medians):
//   - into a page file: one pass (the form as it is: "Page N") and both passes ("Page N of M", the
//     C++ example), against KReport's document;
//   - to PDF (`qor run --to x.pdf`), against KReport to PDF; `qor print` of the page file to the
//     PDF printer, against the time of writing the page file; the PDF's size;
//   - the peak memory of writing the page file and the PDF.
// Every figure is a child process's wall time, its start included, its processor time (user and
// system, all threads: the fairer figure on a busy machine) and its peak resident memory. KReport
// runs once a round, to PDF: its document is that run's time less its own PDF rendering time (it
// prints both), so the peer's rows are read and laid out once a round, not twice.
//
// Usage: bench_PdfBench [ROWS...] [--rounds N] [--baseline QOR]   (default 100000 1000000, 3 rounds)
//   --baseline QOR   another build's qor program, measured in the same rounds (before and after)
// The peer (../shared/peer/kreport, or QOR_PEER_KREPORT) is built with its build.sh; `make bench`
// installs its packages first (bench/install-peer.sh). Where it cannot be built its columns are
// left out with a line that says so. Missed targets are reported, not failed.

#include "ChildRun.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Source = QOR_SOURCE_DIR;
const std::string Binary = QOR_BINARY_DIR;

std::string Quote(const std::string& S) { return "'" + S + "'"; }

struct TFigure {
    std::vector<double> Seconds, Cpu;
    long PeakKb = 0;
    bool Failed = false;
    double Median(bool OfCpu = false) const
    {
        std::vector<double> v = OfCpu ? Cpu : Seconds;
        std::sort(v.begin(), v.end());
        return v.empty() ? 0 : v[v.size() / 2];
    }
};

// The peer's program, built into Dir ("" when it cannot be built here).
std::string BuildPeer(const fs::path& Dir)
{
    // The peer's folder beside the source tree (or a worktree's), or where QOR_PEER_KREPORT says.
    std::string Script = Source + "/../shared/peer/kreport/build.sh";
    if (const char* Env = std::getenv("QOR_PEER_KREPORT"))
        Script = std::string(Env) + "/build.sh";
    else if (!fs::exists(Script))
        Script = Source + "/../../shared/peer/kreport/build.sh";
    const std::string Peer = (Dir / "kreport" / "kreport_bench").string();
    if (!fs::exists(Script) ||
        std::system((Quote(Script) + " " + Quote((Dir / "kreport").string()) + " >/dev/null 2>&1").c_str()) != 0 ||
        !fs::exists(Peer))
        return "";
    return Peer;
}

// The number after "Key: " in Text (0 when it is not there).
double Reported(const std::string& Text, const std::string& Key)
{
    const std::size_t At = Text.find(Key + ": ");
    return At == std::string::npos ? 0 : std::atof(Text.c_str() + At + Key.size() + 2);
}

void Line(const std::string& What, const TFigure& F)
{
    if (F.Seconds.empty())
        return;
    char Cpu[32] = "-";
    if (!F.Cpu.empty())
        std::snprintf(Cpu, sizeof Cpu, "%.2f s", F.Median(true));
    std::string Each; // every round's wall time
    for (const double S : F.Seconds) {
        char One[32];
        std::snprintf(One, sizeof One, Each.empty() ? "%.2f" : " %.2f", S);
        Each += One;
    }
    std::printf("%-52s %8.2f s %8s cpu %8.1f MB  (%s)%s\n", What.c_str(), F.Median(), Cpu, F.PeakKb / 1024.0,
                Each.c_str(), F.Failed ? "  (FAILED)" : "");
}

void Ratio(const char* What, double Ours, double Theirs, double Target)
{
    if (Ours <= 0 || Theirs <= 0)
        return;
    const double R = Ours / Theirs;
    std::printf("%-52s %8.2f   (target <= %.2f: %s)\n", What, R, Target, R <= Target ? "met" : "MISSED");
}

void Memory(const std::string& What, const TFigure& F, double TargetMb)
{
    if (F.Seconds.empty())
        return;
    const double Mb = F.PeakKb / 1024.0;
    std::printf("%-52s %8.1f MB (target < %.0f: %s)\n", ("peak memory, " + What).c_str(), Mb, TargetMb,
                Mb < TargetMb && !F.Failed ? "met" : "MISSED");
}

void RunSize(long Rows, int Rounds, const std::string& Peer, const std::string& Baseline, const fs::path& Dir)
{
    const std::string Form = (Dir / "sales.qfm").string(), Db = (Dir / "sales.db").string();
    fs::remove(Db);
    std::printf("\n== %ld rows: building the sales database\n", Rows);
    if (std::system(("sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT " + std::to_string(Rows) + " AS n\" " +
                     Quote(Db) + " < " + Quote(Source + "/examples/sales/sales.sql"))
                        .c_str()) != 0) {
        std::printf("bench_PdfBench: sqlite3 could not build the database of %ld rows\n", Rows);
        return;
    }
    const std::string Env = "cd " + Quote(Dir.string()) + " && QT_QPA_PLATFORM=offscreen ";
    const std::string Qor = Quote(Binary + "/tools/qor");
    const std::string Print = Env + "QOR_PDF_DIR=" + Quote((Dir / "pdf").string()) + " ";
    const std::string OnePass = "page file, one pass (qor run --to x.qor)",
                      TwoPass = "page file, both passes, Page N of M (sales_report)",
                      ToPdf = "to PDF (qor run --to x.pdf)", Printed = "qor print of the page file to the PDF printer",
                      BasePdf = "baseline: to PDF (qor run --to x.pdf)",
                      BasePrint = "baseline: qor print to the PDF printer", PeerDoc = "KReport: document",
                      PeerPdf = "KReport: to PDF";
    // Each program, in the order a round runs them.
    std::vector<std::pair<std::string, std::string>> Programs = {
        {OnePass, Env + Qor + " run sales.qfm --to one.qor"},
        {TwoPass, Env + Quote(Binary + "/examples/sales_report") + " sales.qfm two.qor"},
        {ToPdf, Env + Qor + " run sales.qfm --to sales.pdf"},
        {Printed, Print + Qor + " print one.qor --printer PDF"},
    };
    if (!Baseline.empty()) {
        Programs.push_back({BasePdf, Env + Quote(Baseline) + " run sales.qfm --to base.pdf"});
        Programs.push_back({BasePrint, Print + Quote(Baseline) + " print one.qor --printer PDF"});
    }
    const std::string PeerOut = (Dir / "kreport.txt").string();
    if (!Peer.empty())
        Programs.push_back({PeerPdf, "QT_QPA_PLATFORM=offscreen " + Quote(Peer) + " " + std::to_string(Rows) + " --db " + Quote(Db) + " --pdf " +
                                         Quote((Dir / "kreport.pdf").string())});
    std::map<std::string, TFigure> Figures;
    for (int R = 0; R < Rounds; ++R)
        for (const auto& [Name, Command] : Programs) {
            const bool IsPeer = Name == PeerPdf;
            const qor::bench::TChild Once =
                qor::bench::ForkAndWait(Command + (IsPeer ? " >" + Quote(PeerOut) : " >/dev/null") + " 2>&1");
            TFigure& F = Figures[Name];
            F.Seconds.push_back(Once.Seconds);
            F.Cpu.push_back(Once.CpuSeconds);
            F.PeakKb = std::max(F.PeakKb, Once.PeakKb);
            F.Failed |= Once.Exit != 0;
            if (IsPeer) {
                // The document: the run but its PDF rendering; its memory when the document was made.
                std::stringstream Out;
                Out << std::ifstream(PeerOut).rdbuf();
                TFigure& D = Figures[PeerDoc];
                D.Seconds.push_back(Once.Seconds - Reported(Out.str(), "pdf_render_s"));
                D.PeakKb = std::max(D.PeakKb, long(Reported(Out.str(), "peak_rss_after_generate_kb")));
                D.Failed |= Once.Exit != 0;
            }
        }

    std::printf("Results (%ld rows; medians of %d interleaved rounds; wall time, process start included):\n", Rows,
                Rounds);
    for (const auto& P : Programs) {
        if (P.first == PeerPdf)
            Line(PeerDoc + " (its run but the PDF rendering)", Figures[PeerDoc]);
        Line(P.first, Figures[P.first]);
    }
    const auto Median = [&](const std::string& Name, bool OfCpu = false) {
        auto It = Figures.find(Name);
        return It == Figures.end() ? 0.0 : It->second.Median(OfCpu);
    };
    Ratio("both passes / KReport document", Median(TwoPass), Median(PeerDoc), 0.10);
    Ratio("one pass / KReport document", Median(OnePass), Median(PeerDoc), 0.07);
    Ratio("to PDF / KReport to PDF", Median(ToPdf), Median(PeerPdf), 0.20);
    Ratio("qor print / writing the page file (one pass)", Median(Printed), Median(OnePass), 3.0);
    Ratio("processor time: to PDF / KReport to PDF", Median(ToPdf, true), Median(PeerPdf, true), 0.20);
    if (!Baseline.empty()) {
        Ratio("to PDF / baseline to PDF", Median(ToPdf), Median(BasePdf), 1.0);
        Ratio("qor print / baseline qor print", Median(Printed), Median(BasePrint), 1.0);
    }
    Memory("page file, one pass", Figures[OnePass], 64);
    Memory("page file, both passes", Figures[TwoPass], 64);
    Memory("to PDF", Figures[ToPdf], 64);
    std::error_code Ec;
    const double Size = double(fs::file_size(Dir / "sales.pdf", Ec)) / 1e6;
    if (!Ec && Rows == 100000)
        std::printf("%-52s %8.2f MB (target <= 6.50: %s)\n", "PDF size", Size, Size <= 6.5 ? "met" : "MISSED");
    else if (!Ec)
        std::printf("%-52s %8.2f MB\n", "PDF size", Size);
    if (!Baseline.empty() && fs::exists(Dir / "base.pdf"))
        std::printf("%-52s %8.2f MB\n", "baseline PDF size", double(fs::file_size(Dir / "base.pdf", Ec)) / 1e6);
    const double PeerSize = double(fs::file_size(Dir / "kreport.pdf", Ec)) / 1e6;
    if (!Ec)
        std::printf("%-52s %8.2f MB\n", "KReport PDF size", PeerSize);
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<long> Sizes;
    int Rounds = 3;
    std::string Baseline;
    for (int I = 1; I < argc; ++I) {
        const std::string A = argv[I];
        if (A == "--baseline" && I + 1 < argc)
            Baseline = argv[++I];
        else if (A == "--rounds" && I + 1 < argc)
            Rounds = std::max(1, std::atoi(argv[++I]));
        else
            Sizes.push_back(std::atol(argv[I]));
    }
    if (Sizes.empty())
        Sizes = {100000, 1000000};
    const fs::path Dir = fs::temp_directory_path() / ("qor-pdf-bench-" + std::to_string(::getpid()));
    fs::create_directories(Dir / "pdf");
    fs::copy_file(Source + "/examples/sales/sales.qfm", Dir / "sales.qfm");
    const std::string Peer = BuildPeer(Dir);
    if (Peer.empty())
        std::printf("KReport peer: not built (it needs libkreport3-dev qtbase5-dev cmake g++, which `make bench` "
                    "installs; see ../shared/peer/kreport/README.md): its columns are left out\n");
    for (long Rows : Sizes)
        RunSize(Rows, Rounds, Peer, Baseline, Dir);
    fs::remove_all(Dir);
    return 0;
}
