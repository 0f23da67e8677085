// qor: runs report forms, opens, prints and renders page files, and lists the printers.
#include "runtime/Version.h"
#include "tools/qor/Args.h"
#include "tools/qor/DesignVerb.h"
#include "tools/qor/DumpVerb.h"
#include "tools/qor/PrintVerb.h"
#include "tools/qor/PrintersVerb.h"
#include "tools/qor/RenderVerb.h"
#include "tools/qor/RunVerb.h"
#include "tools/qor/Usage.h"
#include "tools/qor/ViewVerb.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

using TVerbMain = int (*)(const std::vector<std::string>&);

TVerbMain VerbMain(const std::string& Name)
{
    using namespace qor::tool;
    static const std::pair<const char*, TVerbMain> Verbs[] = {
        {"run", RunReport},  {"dump", RunDump},     {"view", RunView},        {"render", RunRender},
        {"print", RunPrint}, {"design", RunDesign}, {"printers", RunPrinters}};
    for (const auto& [Verb, Main] : Verbs)
        if (Name == Verb)
            return Main;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace qor::tool;
    const std::string First = argc > 1 ? argv[1] : "";
    if (argc == 2 && First == "--version") {
        std::printf("qor %s\n", qor::QorLibraryVersion());
        return 0;
    }
    if (argc == 1) {
        PrintOverview(stderr);
        return 2;
    }
    if ((argc == 2 && IsHelpOption(First)) || (First == "help" && argc == 2)) {
        PrintOverview(stdout);
        return 0;
    }
    if (First == "help") {
        const TVerbHelp* Verb = argc == 3 ? FindVerbHelp(argv[2]) : nullptr;
        if (!Verb) {
            std::fprintf(stderr, "qor: help: no verb named '%s' (qor help lists them)\n", argc > 2 ? argv[2] : "");
            return 2;
        }
        PrintVerbHelp(stdout, *Verb);
        return 0;
    }
    const TVerbMain Main = VerbMain(First);
    if (!Main) {
        std::fprintf(stderr, "qor: there is no verb or option '%s' (qor help lists them)\n", First.c_str());
        return 2;
    }
    for (int I = 2; I < argc; ++I)
        if (IsHelpOption(argv[I])) {
            PrintVerbHelp(stdout, *FindVerbHelp(First));
            return 0;
        }
    return Main(SplitArgs(argc, argv, 2));
}
