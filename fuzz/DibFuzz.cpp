// libFuzzer target: bitmap files and packed DIBs. Every input decodes to a consistent image or is
// refused; a decoded image encodes and decodes again to the same pixels.

#include "platform/graphics/Dib.h"

#include <cstdint>
#include <cstdlib>
#include <span>

using namespace qor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const std::span<const Byte> In(Data, Size);
    TDibImage Img;
    if (DecodeBmpFile(In, Img)) {
        if (Img.Pixels.size() != std::size_t(Img.Width) * std::size_t(Img.Height))
            std::abort();
        TDibImage Back;
        if (!DecodeBmpFile(EncodeBmpFile(Img, 32), Back) || Back.Pixels.size() != Img.Pixels.size())
            std::abort();
    }
    for (Cardinal Use : {DibRgbColors, DibPalColors}) {
        TDibImage Packed;
        if (DecodeDib(In, {}, Use, Packed) && Packed.Pixels.size() != std::size_t(Packed.Width) * std::size_t(Packed.Height))
            std::abort();
    }
    return 0;
}
