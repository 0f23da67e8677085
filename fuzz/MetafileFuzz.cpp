// libFuzzer target: enhanced and Windows metafiles, read and played onto a raster context. Every
// input is refused or plays in bounded time and memory.

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Metafile.h"

#include <cstdint>
#include <span>

using namespace qor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::span<const Byte> In(Data, Size);
    TMetafileInfo Info;
    if (!ReadMetafileInfo(In, Info))
        return 0;
    static HDC DC = CreateRasterDC(64, 64, 96);
    PatBlt(DC, 0, 0, 64, 64, WHITENESS);
    PlayMetafileData(DC, In, TRect(0, 0, 64, 64));
    return 0;
}
