// libFuzzer target: a report form read and run into a page file against the memory data sets it
// holds. Every input is refused with a message or runs to pages; nothing crashes or hangs.

#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/PSetup.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace qor;

namespace {

std::string GPageFile;

// Data sets that read files or servers are left out: the run sees only what the form holds.
bool HoldsOnlyMemoryData(const String& Text)
{
    for (const char* Kind : {"TCsvDataSet", "TDatabase", "TQuery"})
        if (Text.find(Kind) != String::npos)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureQtApplication();
    GPageFile = (std::filesystem::temp_directory_path() / ("qor-formrun-" + std::to_string(getpid()) + ".qor")).string();
    Application()->OnException = [](TObject*, const Exception&) {};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const String Text(reinterpret_cast<const char*>(Data), Size);
    if (!HoldsOnlyMemoryData(Text))
        return 0;
    std::unique_ptr<TComponent> Root;
    try {
        Root.reset(ReadComponentFromText(Text, nullptr, "fuzz.qfm"));
    } catch (const Exception&) {
        return 0;
    }
    TKivReport* Report = KivFindReport(Root.get());
    if (!Report || Report->PageCount() == 0 || !Report->Pages(0)->AsPage())
        return 0;
    TKivPage* Page = Report->Pages(0)->AsPage();
    try {
        Report->SetPrompt(false);
        Report->SetSuppressStatus(true);
        // A bounded run: a form asking for endless pages stops at the range's end.
        Page->PageSetup()->SetRangeStart(1);
        Page->PageSetup()->SetRangeEnd(20);
        Page->PageSetup()->SetDestination(destFile);
        Page->SetOutputType(otNormal);
        Page->SetQorFileName(GPageFile);
        Report->Run();
    } catch (const Exception&) {
    }
    std::error_code Ignored;
    std::filesystem::remove(GPageFile, Ignored);
    return 0;
}
