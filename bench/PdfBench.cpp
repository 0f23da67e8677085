// The grouped sales report against the same report in KDE KReport 3 (../shared/peer/kreport), on the
// same SQLite rows, in one interleaved run (each round runs every program once; 3 rounds; medians):
//   - into a page file: one pass (the form as it is: "Page N") and both passes ("Page N of M", the
//     C++ example), against KReport's document;
//   - to PDF (`qor run --to x.pdf`), against KReport to PDF; `qor print` of the page file to the
//     PDF printer, against the time of writing the page file; the PDF's size.
// Every figure is a child process's wall time, its start included, its processor time (user and
// system, all threads: the fairer figure on a busy machine) and its peak resident memory.
//
// Usage: bench_PdfBench [ROWS] [--baseline QOR]   (default 100000 rows)
//   --baseline QOR   another build's qor program, measured in the same rounds (before and after)
// The peer (../shared/peer/kreport, or QOR_PEER_KREPORT) is built with its build.sh; when its packages (libkreport3-dev qtbase5-dev) are not
// installed its columns are left out with a line that says so. Missed targets are reported, not failed.

#include "ChildRun.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string Source = QOR_SOURCE_DIR;
const std::string Binary = QOR_BINARY_DIR;
const int Rounds = 3;

qor::bench::TChild Run(const std::string& Command) { return qor::bench::ForkAndWait(Command + " >/dev/null 2>&1"); }

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

void Line(const char* What, const TFigure& F)
{
    if (F.Seconds.empty())
        return;
    std::printf("%-52s %8.2f s %8.2f s cpu %8.1f MB%s\n", What, F.Median(), F.Median(true), F.PeakKb / 1024.0,
                F.Failed ? "  (FAILED)" : "");
}

void Ratio(const char* What, double Ours, double Theirs, double Target)
{
    if (Ours <= 0 || Theirs <= 0)
        return;
    const double R = Ours / Theirs;
    std::printf("%-52s %8.2f   (target <= %.2f: %s)\n", What, R, Target, R <= Target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    long Rows = 100000;
    std::string Baseline;
    for (int I = 1; I < argc; ++I) {
        const std::string A = argv[I];
        if (A == "--baseline" && I + 1 < argc)
            Baseline = argv[++I];
        else
            Rows = std::atol(argv[I]);
    }
    const fs::path Dir = fs::temp_directory_path() / ("qor-pdf-bench-" + std::to_string(::getpid()));
    fs::create_directories(Dir / "pdf");
    const std::string Form = (Dir / "sales.qfm").string(), Db = (Dir / "sales.db").string();
    fs::copy_file(Source + "/examples/sales/sales.qfm", Form);
    std::printf("Building the sales database: %ld rows\n", Rows);
    if (std::system(("sqlite3 -cmd \"CREATE TEMP TABLE sales_rows AS SELECT " + std::to_string(Rows) + " AS n\" " +
                     Quote(Db) + " < " + Quote(Source + "/examples/sales/sales.sql"))
                        .c_str()) != 0) {
        std::fprintf(stderr, "bench_PdfBench: sqlite3 could not build the database\n");
        return 1;
    }
    const std::string Peer = BuildPeer(Dir);
    if (Peer.empty())
        std::printf("KReport peer: not built (it needs libkreport3-dev qtbase5-dev cmake g++; see "
                    "../shared/peer/kreport/README.md): its columns are left out\n");

    const std::string Env = "cd " + Quote(Dir.string()) + " && QT_QPA_PLATFORM=offscreen ";
    const std::string Qor = Quote(Binary + "/tools/qor");
    const std::string PdfDir = (Dir / "pdf").string();
    // Each program, in the order a round runs them.
    std::vector<std::pair<std::string, std::string>> Programs = {
        {"page file, one pass (qor run --to x.qor)", Env + Qor + " run sales.qfm --to one.qor"},
        {"page file, both passes, Page N of M (sales_report)",
         Env + Quote(Binary + "/examples/sales_report") + " sales.qfm two.qor"},
        {"to PDF (qor run --to x.pdf)", Env + Qor + " run sales.qfm --to sales.pdf"},
        {"qor print of the page file to the PDF printer",
         Env + "QOR_PDF_DIR=" + Quote(PdfDir) + " " + Qor + " print one.qor --printer PDF"},
    };
    if (!Baseline.empty())
        Programs.push_back({"baseline: to PDF (qor run --to x.pdf)", Env + Quote(Baseline) + " run sales.qfm --to base.pdf"});
    if (!Baseline.empty())
        Programs.push_back({"baseline: qor print to the PDF printer",
                            Env + "QOR_PDF_DIR=" + Quote(PdfDir) + " " + Quote(Baseline) + " print one.qor --printer PDF"});
    if (!Peer.empty()) {
        Programs.push_back({"KReport: document", Quote(Peer) + " " + std::to_string(Rows) + " --db " + Quote(Db) + " --no-pdf"});
        Programs.push_back({"KReport: to PDF", Quote(Peer) + " " + std::to_string(Rows) + " --db " + Quote(Db) +
                                                   " --pdf " + Quote((Dir / "kreport.pdf").string())});
    }
    std::map<std::string, TFigure> Figures;
    for (int R = 0; R < Rounds; ++R)
        for (const auto& [Name, Command] : Programs) {
            const qor::bench::TChild Once = Run(Command);
            TFigure& F = Figures[Name];
            F.Seconds.push_back(Once.Seconds);
            F.Cpu.push_back(Once.CpuSeconds);
            F.PeakKb = std::max(F.PeakKb, Once.PeakKb);
            F.Failed |= Once.Exit != 0;
        }

    std::printf("\nResults (%ld rows; medians of %d interleaved rounds; wall time, process start included):\n", Rows,
                Rounds);
    for (const auto& P : Programs)
        Line(P.first.c_str(), Figures[P.first]);
    const auto Median = [&](const char* Name) {
        auto It = Figures.find(Name);
        return It == Figures.end() ? 0.0 : It->second.Median();
    };
    const auto Cpu = [&](const char* Name) {
        auto It = Figures.find(Name);
        return It == Figures.end() ? 0.0 : It->second.Median(true);
    };
    const double One = Median("page file, one pass (qor run --to x.qor)");
    const double Two = Median("page file, both passes, Page N of M (sales_report)");
    const double Pdf = Median("to PDF (qor run --to x.pdf)");
    const double Print = Median("qor print of the page file to the PDF printer");
    Ratio("both passes / KReport document", Two, Median("KReport: document"), 0.10);
    Ratio("one pass / KReport document", One, Median("KReport: document"), 0.07);
    Ratio("to PDF / KReport to PDF", Pdf, Median("KReport: to PDF"), 0.20);
    Ratio("qor print / writing the page file (one pass)", Print, One, 3.0);
    Ratio("processor time: both passes / KReport document", Cpu("page file, both passes, Page N of M (sales_report)"),
          Cpu("KReport: document"), 0.10);
    Ratio("processor time: to PDF / KReport to PDF", Cpu("to PDF (qor run --to x.pdf)"), Cpu("KReport: to PDF"), 0.20);
    if (!Baseline.empty()) {
        Ratio("to PDF / baseline to PDF", Pdf, Median("baseline: to PDF (qor run --to x.pdf)"), 1.0);
        Ratio("qor print / baseline qor print", Print, Median("baseline: qor print to the PDF printer"), 1.0);
    }
    std::error_code Ec;
    const double Size = double(fs::file_size(Dir / "sales.pdf", Ec)) / 1e6;
    if (!Ec)
        std::printf("%-52s %8.2f MB (target <= 6.50: %s)\n", "PDF size", Size, Size <= 6.5 ? "met" : "MISSED");
    if (!Baseline.empty() && fs::exists(Dir / "base.pdf"))
        std::printf("%-52s %8.2f MB\n", "baseline PDF size", double(fs::file_size(Dir / "base.pdf", Ec)) / 1e6);
    fs::remove_all(Dir);
    return 0;
}
