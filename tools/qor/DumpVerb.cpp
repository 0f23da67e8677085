#include "tools/qor/DumpVerb.h"

#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "tools/qor/Args.h"
#include "tools/qor/PageRange.h"
#include "tools/qor/Usage.h"

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
            if (I + 1 >= argc || !ParseRange(argv[I + 1], First, Last))
                return UsageError("dump", "--pages wants a range A-B of pages from 1 on, as in --pages 2-5");
            ++I;
        } else if (!Arg.empty() && Arg[0] == '-') {
            return UsageError("dump", "unknown option '" + Arg + "'");
        } else if (File.empty()) {
            File = Arg;
        } else {
            return UsageError("dump", "one page file only, got '" + Arg + "' as well");
        }
    }
    if (File.empty())
        return UsageError("dump", "which page file?");
    try {
        TQorQorFile F;
        F.LoadFromFile(File);
        CheckFirstPage(F.PageCount(), First);
        const std::string Text = QorDumpQorFile(F, First, Last);
        std::fwrite(Text.data(), 1, Text.size(), stdout);
        std::fflush(stdout);
        return 0;
    } catch (const std::exception& E) {
        FileError("dump", File, E.what());
        return 1;
    }
}

} // namespace qor::tool
