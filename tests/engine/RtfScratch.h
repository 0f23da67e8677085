#pragma once
// An RTF document for tests, written without printers so the paper does not depend on the
// machine, into a temporary file that goes away with it.

#include "platform/printing/PrinterDriver.h"
#include "platform/printing/Printers.h"
#include "runtime/engine/KivRtf.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace qor::test {

class TRtfScratch {
public:
    explicit TRtfScratch(const std::string& Name)
    {
        setenv("QOR_NO_PRINTERS", "1", 1);
        RefreshPrinterDrivers();
        delete ::qor::SetPrinter(nullptr);
        Path = std::filesystem::temp_directory_path() / ("qor-" + Name + "-" + std::to_string(::getpid()) + ".rtf");
        Rtf = std::make_unique<TKivRtfFile>(Path.string());
    }
    ~TRtfScratch()
    {
        Rtf.reset();
        std::filesystem::remove(Path);
        unsetenv("QOR_NO_PRINTERS");
        RefreshPrinterDrivers();
    }
    TRtfScratch(const TRtfScratch&) = delete;
    TRtfScratch& operator=(const TRtfScratch&) = delete;

    // What the document gained since the last call.
    std::string Written()
    {
        TMemoryStream& S = Rtf->Stream();
        const std::string All(static_cast<const char*>(S.Memory()), static_cast<std::size_t>(S.Size()));
        std::string New = All.substr(Seen);
        Seen = All.size();
        return New;
    }

    std::filesystem::path Path;
    std::unique_ptr<TKivRtfFile> Rtf;
    std::size_t Seen = 0;
};

} // namespace qor::test
