// libFuzzer target: a whole page file loaded, every page played into a small raster, and the file
// saved again. Every input loads or is refused as damaged; what loads plays and saves.

#include "platform/graphics/Gdi.h"
#include "platform/rtl/QtHost.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorFormat.h"

#include <cstdint>
#include <cstdlib>

using namespace qor;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    EnsureQtApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    TMemoryStream In;
    In.WriteBuffer(Data, static_cast<Int64>(Size));
    In.SetPosition(0);
    TQorQorFile F;
    try {
        F.LoadFromStream(&In);
    } catch (const Exception&) {
        return 0; // refused as damaged
    }
    // A tenth of the size on a raster of a few pixels: every record plays, little is painted.
    F.SetHorzScale(10);
    F.SetVertScale(10);
    const HDC DC = CreateRasterDC(48, 64, 24);
    for (Integer Page = 1; Page <= F.PageCount(); ++Page) {
        try {
            F.PlayPage(DC, Page);
        } catch (const Exception&) {
            // a record that cannot be played is refused with a message, never a crash
        }
    }
    DeleteDC(DC);
    TMemoryStream Out;
    F.SaveToStream(&Out);
    return 0;
}
