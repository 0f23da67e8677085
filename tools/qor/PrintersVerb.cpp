#include "tools/qor/PrintersVerb.h"

#include "platform/printing/Capabilities.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "runtime/output/QorPSet.h"
#include "tools/qor/Usage.h"

#include <cstdio>
#include <exception>
#include <string>

namespace qor::tool {

namespace {

String Millimetres(Integer TenthsMM)
{
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, "%.1f", TenthsMM / 10.0);
    return Buf;
}

void ListPrinter(TPrinter& P, Integer Index, const String& DefaultName)
{
    P.SetPrinterIndex(Index);
    const String Name = P.Printers()->Get(Index);
    String Device, Driver, Port;
    HDEVMODE Mode;
    P.GetPrinter(Device, Driver, Port, Mode);
    const TQorPrinterInfo Info;

    std::printf("%s%s\n", Name.c_str(), Name == DefaultName ? "  (default)" : "");
    std::printf("  driver: %s", Driver.c_str());
    if (!Port.empty())
        std::printf(", port: %s", Port.c_str());
    std::printf("\n  copies: up to %d\n  duplex: %s\n", int(Info.Copies()), Info.Duplex() ? "yes" : "no");

    std::printf("  resolutions:");
    if (Info.Resolutions().empty())
        std::printf(" none");
    for (size_t I = 0; I < Info.Resolutions().size(); ++I)
        std::printf("%s %d x %d", I ? "," : "", int(Info.Resolutions()[I]->HorzRes),
                    int(Info.Resolutions()[I]->VertRes));
    std::printf("%s\n", Info.Resolutions().empty() ? "" : " dpi");

    std::printf("  papers:%s\n", Info.PaperList().empty() ? " none" : "");
    for (const auto& Paper : Info.PaperList())
        std::printf("    %5d  %-32s %s x %s mm\n", int(Paper->PaperNum), Paper->PaperName.c_str(),
                    Millimetres(Paper->PaperSize.X).c_str(), Millimetres(Paper->PaperSize.Y).c_str());

    std::printf("  bins:%s\n", Info.BinList().empty() ? " none" : "");
    for (const auto& Bin : Info.BinList())
        std::printf("    %5d  %s\n", int(Bin->binNumber), Bin->binName.c_str());
}

} // namespace

int RunPrinters(const std::vector<std::string>& Args)
{
    if (!Args.empty())
        return UsageError("printers", "it takes no arguments, got '" + Args[0] + "'");
    try {
        TPrinter& P = *Printer();
        const Integer Count = P.Printers()->Count();
        if (Count == 0) {
            std::printf("No printers are installed.\n");
            return 0;
        }
        const String DefaultName = DefaultPrinterName();
        for (Integer I = 0; I < Count; ++I) {
            if (I)
                std::printf("\n");
            ListPrinter(P, I, DefaultName);
        }
        std::fflush(stdout);
        return 0;
    } catch (const std::exception& E) {
        std::fflush(stdout);
        std::fprintf(stderr, "qor: printers: %s\n", E.what());
        return 1;
    }
}

} // namespace qor::tool
