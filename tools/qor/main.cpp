// qor: opens, prints and renders page files, and lists the printers.
#include "runtime/Version.h"
#include "tools/qor/DesignVerb.h"
#include "tools/qor/DumpVerb.h"
#include "tools/qor/PrintVerb.h"
#include "tools/qor/PrintersVerb.h"
#include "tools/qor/RenderVerb.h"
#include "tools/qor/RunVerb.h"
#include "tools/qor/ViewVerb.h"

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage(FILE* out)
{
    std::fprintf(out,
        "usage: qor run REPORT.qfm [--to FILE.qor | FILE.pdf | FILE.rtf] [--png DIR] [--printer NAME] [--view]\n"
        "                          [--pages A-B] [--copies N]\n"
        "       qor dump FILE.qor [--pages A-B]\n"
        "       qor view FILE.qor\n"
        "       qor render FILE.qor --png DIR [--dpi N] [--zoom P] [--pages A-B]\n"
        "       qor print FILE.qor [--printer NAME] [--pages A-B] [--copies N] [--collate] [--duplex]\n"
        "       qor printers\n"
        "       qor design FILE.qfm [--new] [--save-as OUT.qfm] [--png DIR]\n"
        "       qor [--version | --help]\n"
        "\n"
        "  run         run the report in a form file (with its data sets) into a page file (REPORT.qor by\n"
        "              default), a PDF or RTF file, onto a printer or into the viewer; progress on stderr\n"
        "  dump        print every block and record of a page file, one line each\n"
        "  view        show a page file in the viewer window\n"
        "  render      play pages into PNG files (page-N.png in DIR), by default at 96 dpi and 100 %%\n"
        "  print       print pages on a printer (the default one unless named), progress on stderr\n"
        "  printers    list the printers with their papers, bins, resolutions, copies and duplex\n"
        "  design      design a form in the designer (--new for a new one); --save-as writes it again,\n"
        "              --png writes pictures of the designer's windows\n"
        "  --version   print the library version\n"
        "  --help      print this text\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("qor %s\n", qor::QorLibraryVersion());
        return 0;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return 0;
    }
    if (argc == 1) {
        PrintUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "run") == 0)
        return qor::tool::RunReport(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "dump") == 0)
        return qor::tool::RunDump(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "view") == 0)
        return qor::tool::RunView(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "render") == 0)
        return qor::tool::RunRender(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "print") == 0)
        return qor::tool::RunPrint(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "design") == 0)
        return qor::tool::RunDesign(argc - 2, argv + 2);
    if (std::strcmp(argv[1], "printers") == 0)
        return qor::tool::RunPrinters(argc - 2, argv + 2);
    std::fprintf(stderr, "qor: unknown option '%s' (try --help)\n", argv[1]);
    return 2;
}
