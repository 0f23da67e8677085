#include "tools/qor/DesignVerb.h"

#include "designer/KIVREG.h"
#include "designer/KIVVREP.h"
#include "designer/QorOView.h"
#include "designer/qordiag.h"

#include "platform/ide/DesignWindows.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/PSetup.h"
#include "tools/qor/Args.h"
#include "tools/qor/RunVerb.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace qor::tool {

namespace {

int Usage(const std::string& Why)
{
    std::fprintf(stderr,
                 "qor: design: %s (usage: qor design FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR] "
                 "[--variables|--overview|--diagnostic OUT.qor|OUT.pdf])\n",
                 Why.c_str());
    return 2;
}

// Run > Run: the form as it stands, run into the viewer.
void RunDesignedForm(TDesignEnvironment& Env)
{
    const String file = Env.Host().FileName().empty() ? String("Unit1.qfm") : Env.Host().FileName();
    const String temp = CreateSiblingTempFile(std::filesystem::absolute(file).string());
    try {
        const String text = Env.Host().FormText();
        SaveFileSafely(temp, [&](TStream& S) { S.WriteBuffer(text.data(), static_cast<Int64>(text.size())); });
        RunReport({temp, "--view"});
    } catch (...) {
        DeleteFile(temp);
        throw;
    }
    DeleteFile(temp);
}

// The documentation reports qor design writes with no window.
enum class TDocReport { Variables, Overview, Diagnostic };

// --variables, --overview, --diagnostic: a report of the form's first page, with no window. A
// question asked on the way has no one to answer it: it is answered Cancel, and said so; a handler
// that raises during the run is shown by the application and the run goes on, and the verb fails
// with the first of them.
void WriteDocReport(TDesignEnvironment& Env, TDocReport Kind, const std::string& Out)
{
    TKivReport* report = KivFindReport(Env.Host().Root());
    TKivPage* page = report && report->PageCount() > 0 ? report->Pages(0)->AsPage() : nullptr;
    if (!page)
        throw Exception("the form holds no report page");
    DialogService().SetDriver([](const TDialogRequest& R) -> Integer {
        const String what = R.Text.empty() ? R.Caption : R.Text;
        std::fprintf(stderr, "qor: design: %s \"%s\" has no one to answer it: answered Cancel\n",
                     DialogKindName(R.Kind).c_str(), what.c_str());
        return R.Kind == TDialogKind::dkMessageBox ? IDCANCEL : R.Kind == TDialogKind::dkModalForm ? mrCancel : 0;
    });
    String error;
    Application()->OnException = [&error](TObject*, const Exception& E) {
        if (error.empty())
            error = E.Message();
    };
    const bool pdf = std::filesystem::path(Out).extension() == ".pdf";
    const String file = std::filesystem::absolute(Out).string();
    std::filesystem::remove(file);
    const TQorReportRoute route = [&](TKivReport* Run) {
        Run->SetPrompt(false);
        Run->SetSuppressStatus(true);
        TKivPage* p = Run->Pages(0)->AsPage();
        p->SetOutputType(otNormal);
        if (pdf) {
            TPrinter* device = Printer();
            const Integer index = device->Printers()->IndexOf("PDF");
            if (index < 0)
                throw Exception("there is no PDF printer");
            device->SetPrinterIndex(index);
            p->SetPrintFileName(file);
            p->PageSetup()->SetDestination(destPrinter);
        } else {
            p->PageSetup()->SetDestination(destFile);
            p->SetQorFileName(file);
        }
    };
    switch (Kind) {
    case TDocReport::Variables: RunVReportOfPage(page, route); break;
    case TDocReport::Overview: QorRunOverview(page, route); break;
    case TDocReport::Diagnostic: QorRunDiagnostic(report, &Env.Host(), route); break;
    }
    DialogService().SetDriver({});
    Application()->OnException = nullptr;
    if (!error.empty())
        throw Exception(error);
    if (!std::filesystem::exists(file))
        throw Exception(String(Kind == TDocReport::Variables  ? "the variable report"
                               : Kind == TDocReport::Overview ? "the overview"
                                                              : "the diagnostic report") +
                        " wrote no " + Out);
    std::printf("Written: %s\n", Out.c_str());
}

struct TDesignOptions {
    std::string File, SaveAs, PngDir, DocOut;
    TDocReport DocKind = TDocReport::Variables;
    bool MakeNew = false;
};

// --variables, --overview, --diagnostic OUT: the documentation report Kind, into OUT.
TTake<TDesignOptions> TakeDocReport(TDocReport Kind, const char* Option, const char* What)
{
    return [=](TDesignOptions& options, const std::string& out) -> std::string {
        const std::string ext = std::filesystem::path(out).extension().string();
        if (ext != ".qor" && ext != ".pdf")
            return std::string(Option) + " wants the file to write " + What + " into: OUT.qor or OUT.pdf";
        if (!options.DocOut.empty())
            return "one of --variables, --overview and --diagnostic at a time";
        options.DocKind = Kind;
        options.DocOut = out;
        return {};
    };
}

const TOptionTable<TDesignOptions>& DesignOptions()
{
    using O = TDesignOptions;
    static const TOptionTable<O> table{
        {
            {"--new", nullptr, "a new form, saved as FILE.qfm", TakeFlag(&O::MakeNew)},
            {"--save-as", "OUT", "write the form again, as OUT.qfm",
             TakeText(&O::SaveAs, "--save-as wants the form file to write")},
            {"--png", "DIR", "write pictures of the designer's windows into DIR",
             TakeText(&O::PngDir, "--png wants the folder to write the pictures into")},
            {"--variables", "OUT", "write the data control center's variable report (no window)",
             TakeDocReport(TDocReport::Variables, "--variables", "the variable report")},
            {"--overview", "OUT", "write the overview report of the form's design (no window)",
             TakeDocReport(TDocReport::Overview, "--overview", "the overview")},
            {"--diagnostic", "OUT", "write the diagnostic report of the form's design (no window)",
             TakeDocReport(TDocReport::Diagnostic, "--diagnostic", "the diagnostic report")},
        },
        [](O& options, const std::string& arg) -> std::string {
            if (!options.File.empty())
                return "one form file at a time";
            options.File = arg;
            return {};
        },
    };
    return table;
}

} // namespace

std::string DesignOptionHelp() { return OptionHelp(DesignOptions()); }

int RunDesign(const std::vector<std::string>& Args)
{
    TDesignOptions options;
    if (const std::string why = ReadArgs(Args, DesignOptions(), options); !why.empty())
        return Usage(why);
    const auto& [file, saveAs, pngDir, docOut, docKind, makeNew] = options;
    if (file.empty())
        return Usage("which form file?");
    try {
        if (makeNew && std::filesystem::exists(file))
            throw Exception(file + " exists already (open it without --new)");
        RegisterDesignPackage(); // the report designer
        TDesignEnvironment env;
        if (makeNew)
            env.New(file);
        else
            env.Open(file); // a bad file is told before anything else
        if (makeNew && !docOut.empty())
            throw Exception("a new form has no report to document (open an existing one)");
        if (!docOut.empty()) {
            WriteDocReport(env, docKind, docOut);
            return 0;
        }
        if (saveAs.empty() && pngDir.empty() && !QtCanShowWindows())
            throw Exception("there is no display to show the designer on (--png DIR writes its windows as "
                            "pictures, --save-as OUT.qfm saves the form)");
        if (!saveAs.empty()) {
            env.Host().SaveAs(saveAs);
            std::printf("Written: %s\n", saveAs.c_str());
        }
        if (!pngDir.empty())
            for (const String& png : env.RenderPictures(pngDir))
                std::printf("Written: %s\n", png.c_str());
        if (!saveAs.empty() || !pngDir.empty())
            return 0;
        env.OnRun = [&env](TComponent*) { RunDesignedForm(env); };
        env.ShowAll();
        Application()->SetMainForm(env.MainWindow());
        Application()->Run();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qor: design: %s\n", e.what());
        return 1;
    }
}

} // namespace qor::tool
