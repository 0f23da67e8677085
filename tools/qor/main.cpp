// qor: runs report forms, opens, prints and renders page files, and lists the printers.
#include "runtime/Version.h"
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

using TVerbMain = int (*)(int, char**);

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

bool IsHelp(const std::string& Arg) { return Arg == "--help" || Arg == "-h"; }

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
    if ((argc == 2 && IsHelp(First)) || (First == "help" && argc == 2)) {
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
    // The verb's arguments, each --name=value written as --name value.
    std::vector<std::string> Args;
    for (int I = 2; I < argc; ++I) {
        const std::string Arg = argv[I];
        if (IsHelp(Arg)) {
            PrintVerbHelp(stdout, *FindVerbHelp(First));
            return 0;
        }
        const size_t Equals = Arg.find('=');
        if (Arg.rfind("--", 0) == 0 && Equals != std::string::npos && Equals > 2) {
            Args.push_back(Arg.substr(0, Equals));
            Args.push_back(Arg.substr(Equals + 1));
        } else {
            Args.push_back(Arg);
        }
    }
    std::vector<char*> Pointers;
    for (std::string& Arg : Args)
        Pointers.push_back(Arg.data());
    Pointers.push_back(nullptr);
    return Main(int(Args.size()), Pointers.data());
}
