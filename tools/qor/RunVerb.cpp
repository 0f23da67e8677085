#include "tools/qor/RunVerb.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorView.h"
#include "tools/qor/Args.h"
#include "tools/qor/Delivery.h"
#include "tools/qor/RenderVerb.h"
#include "tools/qor/Usage.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace qor::tool {

namespace {

// "1 page", "2 pages".
std::string PagesText(Integer Count) { return std::to_string(Count) + (Count == 1 ? " page" : " pages"); }

// Where the run goes.
enum class TTarget { PageFile, Pdf, Rtf, Printer, Screen };

struct TRunOptions {
    std::string Form;
    std::string To;
    std::string PngDir;
    std::string PrinterName; // empty: no printer named
    bool View = false;
    bool Quiet = false;
    int First = 0;
    int Last = 0;
    int Copies = 0;
    TTarget Target = TTarget::PageFile;
};

int Usage(const std::string& Why) { return UsageError("run", Why); }

std::string Extension(const std::string& File)
{
    std::string Ext = std::filesystem::path(File).extension().string();
    for (char& C : Ext)
        C = char(std::tolower(static_cast<unsigned char>(C)));
    return Ext;
}

// The two names are one file (the same path, or links to one file).
bool SameFile(const std::string& A, const std::string& B)
{
    std::error_code Ec;
    if (std::filesystem::equivalent(A, B, Ec))
        return true;
    return std::filesystem::weakly_canonical(A, Ec) == std::filesystem::weakly_canonical(B, Ec);
}

// The run writes into a new file beside its destination, which takes the destination's place only
// once the run succeeded: a failed or stopped run leaves an earlier file of that name as it was.
class TPendingOutput {
public:
    explicit TPendingOutput(const std::string& To) : FTo(To), FTemp(CreateSiblingTempFile(To)) {}
    ~TPendingOutput()
    {
        if (!FTemp.empty())
            DeleteFile(FTemp);
    }
    TPendingOutput(const TPendingOutput&) = delete;
    TPendingOutput& operator=(const TPendingOutput&) = delete;

    const std::string& File() const { return FTemp; }
    bool Written() const
    {
        std::error_code Ec;
        return std::filesystem::file_size(FTemp, Ec) > 0 && !Ec;
    }
    void Commit()
    {
        if (std::rename(FTemp.c_str(), FTo.c_str()) != 0)
            throw Exception("cannot write " + FTo + ": " + std::strerror(errno));
        FTemp.clear();
    }

private:
    std::string FTo, FTemp;
};

const TOptionTable<TRunOptions>& RunOptions()
{
    using O = TRunOptions;
    static const TOptionTable<O> Table{
        {
            {"--to", "FILE",
             "where the pages go: FILE.qor (a page file, the default is REPORT.qor in the current\n"
             "folder), FILE.pdf (printed on the PDF printer) or FILE.rtf (RTF text)",
             TakeText(&O::To, "--to wants a file: FILE.qor, FILE.pdf or FILE.rtf")},
            {"--png", "DIR", "also play the page file into pictures, DIR/page-N.png",
             TakeText(&O::PngDir, "--png wants the folder to write the pictures into")},
            {"--printer", "NAME", "print on a printer (qor printers lists them)",
             TakeText(&O::PrinterName, "--printer wants a printer's name (qor printers lists them)")},
            {"--view", nullptr, "show the pages in the viewer while they are made", TakeFlag(&O::View)},
            {"--pages", "A-B", "only pages A to B", TakeRange(&O::First, &O::Last)},
            {"--copies", "N", "print N copies",
             TakeNumber(&O::Copies, 1, 9999, "--copies wants a number from 1 to 9999")},
            {"--quiet", nullptr, "no progress on stderr", TakeFlag(&O::Quiet), "-q"},
        },
        TakeOneFile(&O::Form, "one report form only"),
    };
    return Table;
}

int ParseOptions(const std::vector<std::string>& Args, TRunOptions& O)
{
    if (const std::string Why = ReadArgs(Args, RunOptions(), O); !Why.empty())
        return Usage(Why);
    if (O.Form.empty())
        return Usage("which report form?");
    if (int(!O.To.empty()) + int(!O.PrinterName.empty()) + int(O.View) > 1)
        return Usage("choose one of --to, --printer and --view");
    if (O.View) {
        O.Target = TTarget::Screen;
    } else if (!O.PrinterName.empty()) {
        O.Target = TTarget::Printer;
    } else if (O.To.empty()) {
        // By default the pages go into a page file named after the report, in the current folder.
        O.To = std::filesystem::path(O.Form).stem().string() + ".qor";
    } else {
        const std::string Ext = Extension(O.To);
        if (Ext == ".pdf")
            O.Target = TTarget::Pdf;
        else if (Ext == ".rtf")
            O.Target = TTarget::Rtf;
        else if (Ext != ".qor")
            return Usage("--to wants FILE.qor, FILE.pdf or FILE.rtf, not '" + O.To + "'");
    }
    if (!O.PngDir.empty() && O.Target != TTarget::PageFile)
        return Usage("--png plays the page file into pictures: use it with --to FILE.qor (or no --to)");
    if (O.First && O.Target == TTarget::Rtf)
        return Usage("--pages does not apply to RTF output, which is one flowing document");
    if (!O.To.empty() && SameFile(O.To, O.Form))
        return Usage("the output '" + O.To + "' would overwrite the report form (name another with --to)");
    return 0;
}

String ReadText(const std::string& File)
{
    std::ifstream In(File, std::ios::binary);
    if (!In || std::filesystem::is_directory(File))
        throw Exception("cannot open the report form: " + OpenFailure(File));
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// Progress on stderr: each tenth of the way, and the page count at the end of a pass. The first
// pass of a two-pass run only counts the pages (its pages go nowhere).
class TProgress {
public:
    void Update(TKivPage* Page, TKivStatus Status, bool CountingPass)
    {
        const int Percent = int(Page->PercentDone());
        if (Status == ssBegin) {
            FStep = -1;
            FCounting = CountingPass;
            return;
        }
        // RTF text has no pages of its own: its reader lays them out.
        const bool Text = Page->OutputType() == otRichText;
        if (Status == ssEnd) {
            if (Text)
                std::fprintf(stderr, "qor: run: made the RTF text\n");
            else
                std::fprintf(stderr, "qor: run: %s %s\n", FCounting ? "counted" : "made",
                             PagesText(Page->PageCount()).c_str());
            return;
        }
        FCounting = CountingPass || Status == ssNoWhere;
        // Data that cannot tell its size (a forward-only query) gives no percent: every tenth page
        // is shown instead.
        const int Number = int(Page->PageNumber());
        const bool Known = Percent > 0 || Number <= 1;
        const int Step = Known ? Percent / 10 : -2 - Number / 10;
        if (Step == FStep)
            return;
        FStep = Step;
        if (Text) {
            std::fprintf(stderr, "qor: run: writing RTF, %d %%\n", Percent);
            return;
        }
        const char* Doing = Status == ssPrinting ? "printing" : FCounting ? "counting" : "generating";
        if (Known)
            std::fprintf(stderr, "qor: run: %s page %d, %d %%\n", Doing, Number, Percent);
        else
            std::fprintf(stderr, "qor: run: %s page %d\n", Doing, Number);
    }

private:
    int FStep = -1;
    bool FCounting = false;
};

// Fails at once when File cannot be written (a missing folder, no permission), before any page is
// made; a file that was not there before is not left behind.
void CheckWritable(const std::string& File)
{
    std::error_code Ignored;
    const bool Existed = std::filesystem::exists(File, Ignored);
    std::ofstream Probe(File, std::ios::binary | std::ios::app);
    if (!Probe)
        throw Exception("cannot write " + File + ": " + std::strerror(errno));
    Probe.close();
    if (!Existed)
        std::filesystem::remove(File, Ignored);
}

// Every component of Root and of the components it owns.
template <class F>
void ForEachComponent(TComponent* Root, const F& Visit)
{
    for (Integer I = 0; I < Root->ComponentCount(); ++I) {
        TComponent* C = Root->Components(I);
        Visit(C);
        ForEachComponent(C, Visit);
    }
}

// Opens the data the report reads (the page's, the sub-data bands' and the field variables'), so
// a missing database or a failing query stops the run before its first page. Fields the form asks
// for that the data does not hold are told once each: the report prints "Unknown type, check to
// see if field exists." in their place.
void OpenReportData(TComponent* Root, TKivPage* Page)
{
    std::vector<TDataSet*> Sets;
    const auto Use = [&Sets](TDataSource* Source) {
        TDataSet* DS = Source ? Source->DataSet() : nullptr;
        if (DS && std::find(Sets.begin(), Sets.end(), DS) == Sets.end())
            Sets.push_back(DS);
    };
    Use(Page->DataSource());
    ForEachComponent(Root, [&](TComponent* C) {
        if (auto* Band = dynamic_cast<TKivSubDataBand*>(C))
            Use(Band->DataSource());
        else if (auto* Var = dynamic_cast<TKivDBVar*>(C))
            Use(Var->DataSource());
    });
    for (TDataSet* DS : Sets)
        DS->SetActive(true);
    ForEachComponent(Root, [](TComponent* C) {
        auto* Var = dynamic_cast<TKivDBVar*>(C);
        TDataSet* DS = Var && Var->DataSource() ? Var->DataSource()->DataSet() : nullptr;
        if (DS && DS->Active() && !Var->DataField().empty() && !DS->FindField(Var->DataField()))
            std::fprintf(stderr,
                         "qor: run: variable %s: %s has no field \"%s\"; it prints \"Unknown type, check to "
                         "see if field exists.\"\n",
                         Var->Name().c_str(), DS->Name().c_str(), Var->DataField().c_str());
    });
}

// The pages a run put out: those of its page range (0 to 0: all) among the pages it made.
Integer PagesWritten(const TKivPage* Page)
{
    const TKivPageSetup* Setup = Page->PageSetup();
    const Integer Made = Page->PageCount();
    const Integer Last = Setup->RangeEnd() > 0 ? std::min(Setup->RangeEnd(), Made) : Made;
    return std::max(0, Last - std::max(Setup->RangeStart(), 1) + 1);
}

// Keeps the application running until no viewer window is left open.
void WaitForViewers()
{
    for (;;) {
        bool Open = false;
        for (Integer I = 0; I < Application()->ComponentCount(); ++I)
            if (auto* Viewer = dynamic_cast<TQorViewer*>(Application()->Components(I)))
                Open = Open || Viewer->Visible();
        if (!Open)
            return;
        Application()->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace

std::string RunOptionHelp() { return OptionHelp(RunOptions()); }

int RunReport(const std::vector<std::string>& Args)
{
    TRunOptions O;
    if (const int Code = ParseOptions(Args, O))
        return Code;
    std::unique_ptr<TPendingOutput> Output;
    try {
        if (O.Target == TTarget::Screen && !QtCanShowWindows())
            throw Exception("there is no display to show the viewer on (--to FILE.pdf or --png DIR make files)");
        const std::filesystem::path FormPath = std::filesystem::absolute(O.Form);
        // File names in the form (CSV files, SQLite databases) are taken from the form's folder.
        std::unique_ptr<TComponent> Root(
            ReadComponentFromText(ReadText(O.Form), nullptr, O.Form, FormPath.parent_path().string()));
        TKivReport* Report = KivFindReport(Root.get());
        if (!Report)
            throw Exception("the form holds no report");
        TKivPage* Page = Report->PageCount() > 0 ? Report->Pages(0)->AsPage() : nullptr;
        if (!Page)
            throw Exception("the report has no page");
        TKivPageSetup* Setup = Page->PageSetup();
        Report->SetPrompt(false);
        Report->SetSuppressStatus(true);
        if (O.First) {
            Setup->SetRangeStart(O.First);
            Setup->SetRangeEnd(O.Last);
        }
        if (O.Copies)
            Setup->SetCopies(O.Copies);
        TPrinter& Device = *Printer();
        if (O.Target == TTarget::PageFile || O.Target == TTarget::Pdf || O.Target == TTarget::Rtf) {
            CheckWritable(O.To);
            Output = std::make_unique<TPendingOutput>(O.To);
        }
        // The command line says where the pages go, whatever output the form names.
        if (O.Target != TTarget::Rtf)
            Page->SetOutputType(otNormal);
        switch (O.Target) {
        case TTarget::PageFile:
            Setup->SetDestination(destFile);
            Page->SetQorFileName(Output->File());
            break;
        case TTarget::Pdf:
            SelectPrinter("PDF");
            Page->SetPrintFileName(std::filesystem::absolute(Output->File()).string());
            Setup->SetDestination(destPrinter);
            break;
        case TTarget::Rtf:
            Page->SetOutputType(otRichText);
            Page->SetRtfFile(Output->File());
            break;
        case TTarget::Printer:
            SelectPrinter(O.PrinterName);
            Setup->SetDestination(destPrinter);
            break;
        case TTarget::Screen: Setup->SetDestination(destScreen); break;
        }
        OpenReportData(Root.get(), Page);
        // What goes wrong inside the run (a database that cannot be opened, a failing query, a
        // handler that raises) is shown by the application's handler while the run goes on; the
        // tool keeps the first of them and fails with it.
        String RunError;
        Application()->OnException = [&RunError](TObject*, const Exception& E) {
            if (RunError.empty())
                RunError = E.Message();
        };
        TProgress Progress;
        if (!O.Quiet)
            Page->OnUpdateStatus = [&Progress, Report](TKivPage* P, TKivStatus S) {
                Progress.Update(P, S, Report->PassCount() > 1 && Report->Pass() == 1);
            };

        Report->Run();
        if (!RunError.empty())
            throw Exception(RunError);

        switch (O.Target) {
        case TTarget::PageFile:
        case TTarget::Rtf:
        case TTarget::Pdf:
            if (!Output->Written())
                throw Exception("the report wrote no output (no data, or the run was stopped)");
            Output->Commit();
            // An RTF file holds text, not pages: its reader lays the pages out.
            if (O.Target == TTarget::Rtf)
                std::printf("Written: %s\n", O.To.c_str());
            else
                std::printf("Written: %s (%s)\n", O.To.c_str(), PagesText(PagesWritten(Page)).c_str());
            break;
        case TTarget::Printer:
            std::printf("Printed %s on %s\n", PagesText(PagesWritten(Page)).c_str(), O.PrinterName.c_str());
            if (const std::string Line = DeliveryLine(Device.LastDelivery()); !Line.empty())
                std::printf("%s\n", Line.c_str());
            break;
        case TTarget::Screen: WaitForViewers(); break;
        }
    } catch (const std::exception& E) {
        // A failed run leaves no file behind that looks like its report (pages of no data), and
        // removes none it did not write: what it wrote goes with Output. The reason names the
        // destination, not the file that stood in for it.
        std::string Why = E.what();
        if (Output) {
            const std::string Stands[] = {std::filesystem::absolute(Output->File()).string(), Output->File()};
            for (const std::string& Stand : Stands)
                for (std::size_t At = Why.find(Stand); At != std::string::npos; At = Why.find(Stand, At + O.To.size()))
                    Why.replace(At, Stand.size(), O.To);
        }
        Output.reset();
        FileError("run", O.Form, Why);
        return 1;
    }
    if (!O.PngDir.empty()) {
        TRenderJob Pictures;
        Pictures.File = O.To;
        Pictures.Dir = O.PngDir;
        return RenderPages(Pictures);
    }
    return 0;
}

} // namespace qor::tool
