#include "tools/qor/DumpVerb.h"

#include "runtime/output/QorDump.h"
#include "runtime/output/QorFile.h"
#include "tools/qor/Args.h"
#include "tools/qor/PageRange.h"
#include "tools/qor/Usage.h"

#include <cstdio>
#include <exception>
#include <string>

namespace qor::tool {

namespace {

struct TDumpOptions {
    std::string File;
    int First = 0;
    int Last = 0;
};

const TOptionTable<TDumpOptions>& DumpOptions()
{
    using O = TDumpOptions;
    static const TOptionTable<O> Table{
        {{"--pages", "A-B", "only pages A to B", TakeRange(&O::First, &O::Last)}},
        TakeOneFile(&O::File, "one page file only"),
    };
    return Table;
}

} // namespace

std::string DumpOptionHelp() { return OptionHelp(DumpOptions()); }

int RunDump(const std::vector<std::string>& Args)
{
    TDumpOptions O;
    if (const std::string Why = ReadArgs(Args, DumpOptions(), O); !Why.empty())
        return UsageError("dump", Why);
    const std::string& File = O.File;
    if (File.empty())
        return UsageError("dump", "which page file?");
    try {
        TQorQorFile F;
        F.LoadFromFile(File);
        CheckFirstPage(F.PageCount(), O.First);
        const std::string Text = QorDumpQorFile(F, O.First, O.Last);
        std::fwrite(Text.data(), 1, Text.size(), stdout);
        std::fflush(stdout);
        return 0;
    } catch (const std::exception& E) {
        FileError("dump", File, E.what());
        return 1;
    }
}

} // namespace qor::tool
