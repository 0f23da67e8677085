// libFuzzer target: form files, read into the platform's components (forms, grids, dialogs,
// menus, data sets). Every input builds components or raises EReadError with nothing left
// behind; what is read writes back to text that reads again.

#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace qor;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureQtApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const String Text(reinterpret_cast<const char*>(Data), Size);
    std::unique_ptr<TComponent> Root;
    try {
        Root.reset(ReadComponentFromText(Text, nullptr, "fuzz.qfm"));
    } catch (const EReadError&) {
        return 0;
    } catch (const Exception&) {
        return 0;   // a component that refused to load
    }
    try {
        std::unique_ptr<TComponent> Again(ReadComponentFromText(WriteComponentToText(Root.get())));
    } catch (const Exception&) {
    }
    return 0;
}
