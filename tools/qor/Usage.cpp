#include "tools/qor/Usage.h"

#include "tools/qor/DesignVerb.h"
#include "tools/qor/DumpVerb.h"
#include "tools/qor/PrintVerb.h"
#include "tools/qor/RenderVerb.h"
#include "tools/qor/RunVerb.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace qor::tool {

const std::vector<TVerbHelp>& VerbHelps()
{
    static const std::vector<TVerbHelp> Verbs = {
        {"run",
         "REPORT.qfm [--to FILE.qor | FILE.pdf | FILE.rtf] [--png DIR] [--printer NAME] [--view] [--pages A-B] "
         "[--copies N] [--quiet]",
         "run a report form into a page file, a PDF or RTF file, onto a printer or into the viewer", RunOptionHelp},
        {"dump", "FILE.qor [--pages A-B]", "print every block and record of a page file, one line each",
         DumpOptionHelp},
        {"view", "FILE.qor", "show a page file in the viewer window", nullptr},
        {"render", "FILE.qor --png DIR [--dpi N] [--zoom P] [--pages A-B]",
         "play pages into PNG pictures, DIR/page-N.png", RenderOptionHelp},
        {"print",
         "FILE.qor [--printer NAME] [--pages A-B] [--copies N] [--collate | --no-collate] [--duplex] "
         "[--to FILE.pdf] [--quiet]",
         "print pages on a printer (the default one unless named) and say where they went", PrintOptionHelp},
        {"printers", "", "list the printers with their papers, bins, resolutions, copies and duplex", nullptr},
        {"design", "FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR] [--variables|--overview|--diagnostic OUT.qor|OUT.pdf]",
         "design a form in the designer", DesignOptionHelp},
    };
    return Verbs;
}

const TVerbHelp* FindVerbHelp(const std::string& Name)
{
    for (const TVerbHelp& V : VerbHelps())
        if (Name == V.Name)
            return &V;
    return nullptr;
}

void PrintVerbHelp(FILE* Out, const TVerbHelp& Verb)
{
    std::fprintf(Out, "usage: qor %s%s%s\n\n%s\n", Verb.Name, *Verb.Synopsis ? " " : "", Verb.Synopsis, Verb.Summary);
    if (Verb.Options)
        std::fprintf(Out, "\n%s", Verb.Options().c_str());
    std::fprintf(Out, "\nOptions take their value as the next argument or after '=' (--pages=2-5).\n");
}

void PrintOverview(FILE* Out)
{
    std::fprintf(Out, "usage: qor VERB [ARGUMENTS]\n\n");
    for (const TVerbHelp& V : VerbHelps())
        std::fprintf(Out, "  qor %s %s\n      %s\n", V.Name, V.Synopsis, V.Summary);
    std::fprintf(Out, "\n  qor VERB --help, qor help VERB   the arguments of one verb\n"
                      "  qor --version                    the library version\n");
}

int UsageError(const char* Verb, const std::string& Why)
{
    const TVerbHelp* V = FindVerbHelp(Verb);
    std::fprintf(stderr, "qor: %s: %s (usage: qor %s%s%s; qor %s --help says more)\n", Verb, Why.c_str(), Verb,
                 V && *V->Synopsis ? " " : "", V ? V->Synopsis : "", Verb);
    return 2;
}

void FileError(const char* Verb, const std::string& File, const std::string& What)
{
    if (What.rfind(File + ":", 0) == 0)
        std::fprintf(stderr, "qor: %s: %s\n", Verb, What.c_str());
    else
        std::fprintf(stderr, "qor: %s: %s: %s\n", Verb, File.c_str(), What.c_str());
}

std::string OpenFailure(const std::string& File)
{
    const int Error = errno;
    std::error_code Ec;
    if (std::filesystem::is_directory(File, Ec))
        return "it is a folder, not a file";
    switch (Error) {
    case ENOENT: return "there is no such file";
    case EACCES: return "no permission to read it";
    default: return Error ? std::strerror(Error) : "it cannot be read";
    }
}

} // namespace qor::tool
