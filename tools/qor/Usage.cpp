#include "tools/qor/Usage.h"

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
         "run a report form into a page file, a PDF or RTF file, onto a printer or into the viewer",
         "  --to FILE       where the pages go: FILE.qor (a page file, the default is REPORT.qor in the current\n"
         "                  folder), FILE.pdf (printed on the PDF printer) or FILE.rtf (RTF text)\n"
         "  --png DIR       also play the page file into pictures, DIR/page-N.png\n"
         "  --printer NAME  print on a printer (qor printers lists them)\n"
         "  --view          show the pages in the viewer while they are made\n"
         "  --pages A-B     only pages A to B\n"
         "  --copies N      print N copies\n"
         "  -q, --quiet     no progress on stderr\n"},
        {"dump", "FILE.qor [--pages A-B]", "print every block and record of a page file, one line each",
         "  --pages A-B     only pages A to B\n"},
        {"view", "FILE.qor", "show a page file in the viewer window", ""},
        {"render", "FILE.qor --png DIR [--dpi N] [--zoom P] [--pages A-B]",
         "play pages into PNG pictures, DIR/page-N.png",
         "  --png DIR       the folder for the pictures (made when missing)\n"
         "  --dpi N         pixels per inch, 10 to 2400 (96)\n"
         "  --zoom P        percent, 1 to 1000 (100)\n"
         "  --pages A-B     only pages A to B\n"},
        {"print",
         "FILE.qor [--printer NAME] [--pages A-B] [--copies N] [--collate | --no-collate] [--duplex] "
         "[--to FILE.pdf] [--quiet]",
         "print pages on a printer (the default one unless named) and say where they went",
         "  --printer NAME  the printer (qor printers lists them); PDF writes a PDF file\n"
         "  --pages A-B     only pages A to B\n"
         "  --copies N      N copies instead of the copies stored with the pages\n"
         "  --collate       print the copies one whole set after the other\n"
         "  --no-collate    print each page's copies together; without either the stored setting holds\n"
         "  --duplex        print on both sides\n"
         "  --to FILE.pdf   the file the PDF printer writes (else a new file in $QOR_PDF_DIR or ~/qor-output)\n"
         "  -q, --quiet     no progress on stderr\n"},
        {"printers", "", "list the printers with their papers, bins, resolutions, copies and duplex", ""},
        {"design", "FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR] [--variables OUT.qor|OUT.pdf]",
         "design a form in the designer",
         "  --new           a new form, saved as FILE.qfm\n"
         "  --save-as OUT   write the form again, as OUT.qfm\n"
         "  --png DIR       write pictures of the designer's windows into DIR\n"
         "  --variables OUT write the data control center's variable report (no window)\n"},
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
    if (*Verb.Options)
        std::fprintf(Out, "\n%s", Verb.Options);
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
