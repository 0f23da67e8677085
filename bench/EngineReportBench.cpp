// The engine at size, with a report built in code rather than read from a form: a grouped sales
// report over a memory data set (page head with a title, "Page N of M" and five captions; a group on
// the region with a head and a foot total; a detail band of five fields; a report foot with the
// grand total), run through both passes into a page file, then the page file printed on the PDF
// printer in this process.
//
// Usage: bench_EngineReportBench [ROWS] [RUNS] [run|print]   (defaults 100000 and 3; both steps)
// With "run" only the report runs (RUNS times); with "print" the page file of one run is printed RUNS
// times: for a profiler.
// Prints the best and the median of the runs of each step; exits 1 when the pages are wrong.

#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivVar.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace qor;
namespace fs = std::filesystem;

namespace {

const char* const Regions[] = {"Central", "East", "North", "Northeast", "Northwest",
                               "South", "Southeast", "Southwest", "West"};
constexpr int RegionCount = sizeof Regions / sizeof Regions[0];

double Seconds(std::chrono::steady_clock::time_point Since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Since).count();
}

// This thread's processor time: on a busy machine, steadier than the wall clock.
double CpuSeconds()
{
    timespec T{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
    return static_cast<double>(T.tv_sec) + static_cast<double>(T.tv_nsec) * 1e-9;
}

// Wall and processor seconds of one step.
struct TTimes {
    double Wall = 0;
    double Cpu = 0;
};

// The sales report and its data, owned by Root.
class TSalesReport {
public:
    explicit TSalesReport(long Rows)
    {
        BuildData(Rows);
        Report = Create<TKivReport>(&Root);
        Report->SetPrompt(false);
        Report->SetSuppressStatus(true);
        Page = Create<TKivGrouppage>(&Root);
        Page->SetParent(Report);
        Page->SetDataSource(Source);
        Page->SetTwoPass(true);
        Page->Font()->SetName("DejaVu Sans");
        Page->Font()->SetSize(8);
        TKivPageSetup* Setup = Page->PageSetup();
        Setup->SetOrientation(poPortrait);
        Setup->SetSize(psA4);
        Setup->SetUnits(unitCentiMeters);
        Setup->SetLeftMargin(1);
        Setup->SetRightMargin(1);
        Setup->SetTopMargin(1);
        Setup->SetBottomMargin(1);
        Setup->SetDestination(destFile);

        TKivLevel* ReportHeadLevel = Level(true);
        TKivLevel* PageHeadLevel = Level(true);
        TKivLevel* RegionHeadLevel = Level(true);
        TKivLevel* DetailLevel = Level(false);
        TKivLevel* RegionFootLevel = Level(false);
        TKivLevel* PageFootLevel = Level(false);
        TKivLevel* ReportFootLevel = Level(false);

        TKivDBVar* Id = Field("id", DetailLevel);
        TKivDBVar* Region = Field("region", DetailLevel);
        TKivDBVar* Customer = Field("customer", DetailLevel);
        TKivDBVar* Amount = Field("amount", DetailLevel);
        TKivDBVar* Date = Field("date", DetailLevel);
        auto* AmountTotal = Create<TKivTotalvar>(&Root);
        AmountTotal->SetParent(Page);
        AmountTotal->SetVariable(Amount);
        AmountTotal->SetUpdateLevel(DetailLevel);
        auto* PageOf = Create<TKivExprVar>(&Root);
        PageOf->SetDataType(dtypeString);
        PageOf->SetParent(Page);
        PageOf->SetUpdateLevel(PageHeadLevel);
        TKivGrouppage* P = Page;
        PageOf->OnGetData = [P](TKivVar* Var) {
            Var->SetAsString("Page " + std::to_string(P->PageNumber()) +
                             (P->PageCount() > 0 ? " of " + std::to_string(P->PageCount()) : ""));
        };

        TKivBand* ReportHead = Band(10, ReportHeadLevel);
        ReportHead->SetPrintVisible(false);
        TKivBand* PageHead = Band(52, PageHeadLevel);
        PageHead->SetBorderType(btUnderLine);
        Text(PageHead, "Sales by region", 0, 2, 300, 24, 12);
        VarText(PageHead, PageOf, 560, 2, 150, 24, laRight);
        Text(PageHead, "Id", 0, 32, 60, 18, 8, laRight);
        Text(PageHead, "Region", 80, 32, 100, 18, 8);
        Text(PageHead, "Customer", 190, 32, 150, 18, 8);
        Text(PageHead, "Amount", 350, 32, 120, 18, 8, laRight);
        Text(PageHead, "Date", 500, 32, 100, 18, 8);

        TKivBand* RegionHead = Band(24, RegionHeadLevel);
        Text(RegionHead, "Region:", 0, 4, 60, 18, 8);
        Bold(VarText(RegionHead, Region, 60, 4, 200, 18), 8);

        TKivBand* Detail = Band(16, DetailLevel);
        VarText(Detail, Id, 0, 0, 60, 16, laRight);
        VarText(Detail, Region, 80, 0, 100, 16);
        VarText(Detail, Customer, 190, 0, 150, 16);
        VarText(Detail, Amount, 350, 0, 120, 16, laRight)->DataFormat()->SetDisplayFormat("#,##0.00");
        VarText(Detail, Date, 500, 0, 100, 16)->DataFormat()->SetDisplayFormat("yyyy-mm-dd");

        TKivBand* RegionFoot = Band(26, RegionFootLevel);
        Text(RegionFoot, "Total for", 190, 2, 60, 18, 8);
        Bold(VarText(RegionFoot, Region, 250, 2, 100, 18), 8);
        Bold(Total(RegionFoot, AmountTotal, 350, 2, 120, 18), 8)->SetBorderType(btUnderLine);

        TKivBand* PageFoot = Band(10, PageFootLevel);
        TKivBand* ReportFoot = Band(30, ReportFootLevel);
        Text(ReportFoot, "Grand total", 190, 6, 150, 20, 10);
        Bold(Total(ReportFoot, AmountTotal, 330, 6, 140, 20), 10);

        Page->SetHead(ReportHead);
        Page->SetPageHead(PageHead);
        Page->SetDetail(Detail);
        Page->SetPageFoot(PageFoot);
        Page->SetFoot(ReportFoot);
        auto* Group = Create<TKivGroup>(&Root);
        Group->SetParent(Page);
        Group->SetVariable(Region);
        Group->SetHeader(RegionHead);
        Group->SetFooter(RegionFoot);
    }

    // Both passes into PageFile: the seconds they took.
    TTimes Run(const std::string& PageFile)
    {
        Page->SetQorFileName(PageFile);
        String RunError;
        Application()->OnException = [&RunError](TObject*, const Exception& E) {
            if (RunError.empty())
                RunError = E.Message();
        };
        Data->First();
        const double Cpu = CpuSeconds();
        const auto Start = std::chrono::steady_clock::now();
        Report->Run();
        const TTimes Took{Seconds(Start), CpuSeconds() - Cpu};
        Application()->OnException = nullptr;
        if (!RunError.empty())
            throw Exception(RunError);
        return Took;
    }

    // The grand total of the amounts in cents.
    long long GrandCents = 0;

private:
    void BuildData(long Rows)
    {
        Data = Create<TMemoryDataSet>(&Root);
        Data->Columns()->SetText("id:Integer\nregion:String:9\ncustomer:String:13\namount:Currency\ndate:Date\n");
        Data->Open();
        for (long I = 0; I < Rows; ++I) {
            const long long Cents = 100 + (I * 7919) % 250000;
            GrandCents += Cents;
            Data->AppendRecord({Int64(I + 1), String(Regions[I * RegionCount / Rows]),
                                "Customer " + std::to_string(1 + I * 31 % 4000),
                                TFieldValue(Cents / 100.0),
                                TFieldValue::FromDateTime(45658 + I % 365)});
        }
        Data->First();
        Source = Create<TDataSource>(&Root);
        Source->SetDataSet(Data);
    }

    TKivLevel* Level(bool IsHeader)
    {
        auto* L = Create<TKivLevel>(&Root);
        L->SetIsHeader(IsHeader);
        L->SetParent(Page);
        return L;
    }

    TKivDBVar* Field(const char* Name, TKivLevel* UpdateLevel)
    {
        auto* V = Create<TKivDBVar>(&Root);
        V->SetDataSource(Source);
        V->SetDataField(Name);
        V->SetParent(Page);
        V->SetUpdateLevel(UpdateLevel);
        return V;
    }

    TKivBand* Band(Integer Height, TKivLevel* UpdateLevel)
    {
        auto* B = Create<TKivBand>(&Root);
        B->SetParent(Page);
        B->SetBounds(0, 0, 720, Height);
        B->SetUpdateLevel(UpdateLevel);
        return B;
    }

    template <class L>
    L* Place(L* Label, TKivBand* On, Integer X, Integer Y, Integer W, Integer H, TKivHorizontalAlign Align)
    {
        Label->SetParent(On);
        Label->SetBounds(X, Y, W, H);
        Label->SetHorizontalAlign(Align);
        return Label;
    }

    template <class L>
    L* Bold(L* Label, Integer Size)
    {
        Label->SetParentFont(false);
        Label->Font()->SetName("DejaVu Sans");
        Label->Font()->SetSize(Size);
        Label->Font()->SetStyle(TFontStyles{fsBold});
        return Label;
    }

    TKivTextLabel* Text(TKivBand* On, const char* Caption, Integer X, Integer Y, Integer W, Integer H, Integer Size,
                        TKivHorizontalAlign Align = laLeft)
    {
        auto* L = Place(Create<TKivTextLabel>(&Root), On, X, Y, W, H, Align);
        L->SetCaption(Caption);
        return Bold(L, Size);
    }

    TKivvarlabel* VarText(TKivBand* On, TKivVar* Var, Integer X, Integer Y, Integer W, Integer H,
                          TKivHorizontalAlign Align = laLeft)
    {
        auto* L = Place(Create<TKivvarlabel>(&Root), On, X, Y, W, H, Align);
        L->SetVariable(Var);
        return L;
    }

    TKivTotalvarLabel* Total(TKivBand* On, TKivTotalvar* Of, Integer X, Integer Y, Integer W, Integer H)
    {
        auto* L = Place(Create<TKivTotalvarLabel>(&Root), On, X, Y, W, H, laRight);
        L->SetTotalVariable(Of);
        return L;
    }

    TComponent Root{nullptr};
    TMemoryDataSet* Data = nullptr;
    TDataSource* Source = nullptr;
    TKivReport* Report = nullptr;
    TKivGrouppage* Page = nullptr;
};

// Checks the page file: "Page N of M" on each page, the grand total. Answers the page count.
int CheckPages(const std::string& PageFile, long long GrandCents, int& Failures)
{
    TQorQorFile File;
    File.LoadFromFile(PageFile);
    const int Pages = File.PageCount();
    std::istringstream In(QorDumpQorFile(File));
    int Numbered = 0;
    bool GrandNext = false;
    long long Grand = -1;
    const std::string Of = " of " + std::to_string(Pages) + "\"";
    for (std::string Line; std::getline(In, Line);) {
        if (Line.rfind("  TextOut ", 0) != 0)
            continue;
        if (Line.find("\"Page " + std::to_string(Numbered + 1) + Of) != std::string::npos)
            ++Numbered;
        if (GrandNext) {
            std::string Digits;
            for (char C : Line.substr(Line.find('"')))
                if (C >= '0' && C <= '9')
                    Digits += C;
            Grand = std::stoll(Digits);
            GrandNext = false;
        }
        GrandNext = Line.find("\"Grand total\"") != std::string::npos;
    }
    if (Numbered != Pages || Grand != GrandCents) {
        std::printf("  CHECK FAILED: %d of %d pages numbered, grand total %lld (expected %lld)\n", Numbered, Pages,
                    Grand, GrandCents);
        ++Failures;
    }
    return Pages;
}

// Prints every page of PageFile on the printer named "PDF": the seconds it took.
TTimes PrintToPdf(const std::string& PageFile, int& Failures)
{
    const double Cpu = CpuSeconds();
    const auto Start = std::chrono::steady_clock::now();
    TQorQorFile File;
    File.LoadFromFile(PageFile);
    TPrinter* Device = Printer();
    Device->SetPrinterIndex(Device->Printers()->IndexOf("PDF"));
    TQorPrinter Job;
    Job.LoadPages(&File, 1, File.PageCount());
    const TTimes Took{Seconds(Start), CpuSeconds() - Cpu};
    if (!Job.ExceptionText().empty()) {
        std::printf("  CHECK FAILED: printing: %s\n", Job.ExceptionText().c_str());
        ++Failures;
    }
    return Took;
}

void Line(const char* What, const std::vector<TTimes>& Times, double Target)
{
    std::vector<double> Wall, Cpu;
    for (const TTimes& T : Times) {
        Wall.push_back(T.Wall);
        Cpu.push_back(T.Cpu);
    }
    std::sort(Wall.begin(), Wall.end());
    std::sort(Cpu.begin(), Cpu.end());
    std::printf("%-42s best %6.3f s, median %6.3f s (target < %.1f s: %s); processor time best %6.3f s\n", What,
                Wall.front(), Wall[Wall.size() / 2], Target, Wall.front() < Target ? "met" : "MISSED", Cpu.front());
}

} // namespace

int main(int argc, char** argv)
{
    const long Rows = argc > 1 ? std::atol(argv[1]) : 100000;
    const int Runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string Only = argc > 3 ? argv[3] : "";
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const fs::path Dir = fs::temp_directory_path() / ("qor-engine-report-bench-" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    setenv("QOR_PDF_DIR", Dir.c_str(), 1);
    int Failures = 0;
    try {
        TSalesReport Sales(Rows);
        const std::string Qor = (Dir / "sales.qor").string();
        std::vector<TTimes> RunTimes, PrintTimes;
        int Pages = 0;
        for (int I = 0; I < (Only == "print" ? 1 : Runs); ++I) {
            RunTimes.push_back(Sales.Run(Qor));
            if (I == 0)
                Pages = CheckPages(Qor, Sales.GrandCents, Failures);
        }
        for (int I = 0; I < (Only == "run" ? 0 : Runs); ++I) {
            PrintTimes.push_back(PrintToPdf(Qor, Failures));
            for (const auto& E : fs::directory_iterator(Dir))
                if (E.path().extension() == ".pdf")
                    fs::remove(E.path());
        }
        std::printf("%ld rows, %d pages, %lld kB page file\n", Rows, Pages,
                    static_cast<long long>(fs::file_size(Qor) / 1024));
        Line("both passes into a page file", RunTimes, 0.6);
        if (!PrintTimes.empty())
            Line("the page file printed on the PDF printer", PrintTimes, 1.2);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "bench_EngineReportBench: %s\n", E.what());
        ++Failures;
    }
    if (const char* Keep = std::getenv("QOR_KEEP_QOR"); Keep && fs::exists(Dir / "sales.qor")) // to look at
        fs::copy_file(Dir / "sales.qor", Keep, fs::copy_options::overwrite_existing);
    fs::remove_all(Dir);
    return Failures ? 1 : 0;
}
