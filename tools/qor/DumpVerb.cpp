#include "tools/qor/DumpVerb.h"

#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "tools/qor/Args.h"
#include "tools/qor/PageRange.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace qor::tool {

int RunDump(int argc, char** argv)
{
    std::string File;
    int First = 0, Last = 0;
    for (int I = 0; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (Arg == "--pages") {
            if (I + 1 >= argc || !ParseRange(argv[I + 1], First, Last)) {
                std::fprintf(stderr, "qor: dump: --pages wants a range A-B of pages from 1 on, as in --pages 2-5\n");
                return 2;
            }
            ++I;
        } else if (!Arg.empty() && Arg[0] == '-') {
            std::fprintf(stderr, "qor: dump: unknown option '%s' (try --help)\n", Arg.c_str());
            return 2;
        } else if (File.empty()) {
            File = Arg;
        } else {
            std::fprintf(stderr, "qor: dump: one page file only, got '%s' as well (try --help)\n", Arg.c_str());
            return 2;
        }
    }
    if (File.empty()) {
        std::fprintf(stderr, "qor: dump: which page file? usage: qor dump FILE.qor [--pages A-B]\n");
        return 2;
    }
    try {
        TQorQorFile F;
        F.LoadFromFile(File);
        CheckFirstPage(F.PageCount(), First);
        const std::string Text = QorDumpQorFile(F, First, Last);
        std::fwrite(Text.data(), 1, Text.size(), stdout);
        std::fflush(stdout);
        return 0;
    } catch (const std::exception& E) {
        std::fprintf(stderr, "qor: dump: %s: %s\n", File.c_str(), E.what());
        return 1;
    }
}

} // namespace qor::tool
