// libFuzzer target: printer description files (the JSON named by QOR_PRINTERS). Every input gives
// printers with usable capabilities or raises EPrinter naming the file.

#include "platform/printing/PrinterDriver.h"
#include "platform/rtl/Exceptions.h"

#include <cstdint>
#include <cstdlib>

using namespace qor;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    const String Json(reinterpret_cast<const char*>(Data), Size);
    try {
        for (const auto& D : ParseDescribedPrinters(Json, "fuzz.json")) {
            const TPrinterCapabilities& C = D->Capabilities();
            if (C.Papers.empty() || C.Resolutions.empty() || C.MaxCopies < 1)
                std::abort();
        }
    } catch (const EPrinter& E) {
        if (E.Message().find("fuzz.json") == String::npos)
            std::abort();
    }
    return 0;
}
