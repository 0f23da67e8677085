#include "tools/qor/PrintVerb.h"

#include "platform/printing/Printers.h"
#include "platform/rtl/StringList.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "tools/qor/Args.h"
#include "tools/qor/Delivery.h"
#include "tools/qor/PageRange.h"
#include "tools/qor/Usage.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qor::tool {

namespace {

struct TPrintOptions {
    std::string File;
    std::string PrinterName;
    int First = 0;
    int Last = 0;
    std::string To; // the PDF printer's file
    int Copies = 0; // 0: as stored with the pages
    std::optional<bool> Collate; // none: as stored with the pages
    bool Duplex = false;
    bool Quiet = false;
};

const TOptionTable<TPrintOptions>& PrintOptions()
{
    using O = TPrintOptions;
    const auto Collate = [](O& Options, const std::string&, bool Value) -> std::string {
        if (Options.Collate && *Options.Collate != Value)
            return "choose one of --collate and --no-collate";
        Options.Collate = Value;
        return {};
    };
    static const TOptionTable<O> Table{
        {
            {"--printer", "NAME", "the printer (qor printers lists them); PDF writes a PDF file",
             TakeText(&O::PrinterName, "--printer wants a printer's name (qor printers lists them)")},
            {"--pages", "A-B", "only pages A to B", TakeRange(&O::First, &O::Last)},
            {"--copies", "N", "N copies instead of the copies stored with the pages",
             TakeNumber(&O::Copies, 1, 9999, "--copies wants a number from 1 to 9999")},
            {"--collate", nullptr, "print the copies one whole set after the other",
             [Collate](O& Options, const std::string& V) { return Collate(Options, V, true); }},
            {"--no-collate", nullptr, "print each page's copies together; without either the stored setting holds",
             [Collate](O& Options, const std::string& V) { return Collate(Options, V, false); }},
            {"--duplex", nullptr, "print on both sides", TakeFlag(&O::Duplex)},
            {"--to", "FILE.pdf", "the file the PDF printer writes (else a new file in $QOR_PDF_DIR or ~/qor-output)",
             TakeText(&O::To, "--to wants the PDF file to write, as in --to out.pdf")},
            {"--quiet", nullptr, "no progress on stderr", TakeFlag(&O::Quiet), "-q"},
        },
        TakeOneFile(&O::File, "one page file only"),
    };
    return Table;
}

int Usage(const std::string& Why) { return UsageError("print", Why); }

int ParseOptions(const std::vector<std::string>& Args, TPrintOptions& O)
{
    if (const std::string Why = ReadArgs(Args, PrintOptions(), O); !Why.empty())
        return Usage(Why);
    if (O.File.empty())
        return Usage("which page file?");
    if (!O.To.empty()) {
        if (!O.PrinterName.empty() && O.PrinterName != "PDF")
            return Usage("--to names the file of the PDF printer, not of printer \"" + O.PrinterName + "\"");
        O.PrinterName = "PDF";
    }
    return 0;
}

} // namespace

std::string PrintOptionHelp() { return OptionHelp(PrintOptions()); }

int RunPrint(const std::vector<std::string>& Args)
{
    TPrintOptions O;
    if (const int Code = ParseOptions(Args, O))
        return Code;
    try {
        TQorQorFile F;
        const TPageRange Range = LoadPageFile(F, O.File, O.First, O.Last);
        const int First = Range.First, Last = Range.Last;
        SelectPrinter(O.PrinterName);

        TQorPrinter Printer;
        // Collation from the command line replaces the stored one; so do copies and sides: the first
        // page's setup goes to the printer with them, and every page prints that way.
        Printer.CollateCopies = O.Collate;
        if (O.Copies || O.Duplex) {
            TQorPrinterSetup Setup;
            F.GetPagePrinterInfo(&Setup, First);
            if (O.Copies)
                Setup.SetCopies(O.Copies);
            if (O.Duplex)
                Setup.SetDuplex(2);
            Setup.SetData();
            Printer.SetIgnorePrinterSettings(true);
        }
        // Where the jobs went (a run may be several jobs), as each job ends.
        TPrinter& Device = *::qor::Printer();
        Printer.SetPrintFileName(O.To.empty() ? String() : std::filesystem::absolute(O.To).string());
        TJobDelivery Seen = Device.LastDelivery();
        std::vector<std::string> Deliveries;
        const auto NoteOutput = [&] {
            if (Device.LastDelivery() == Seen)
                return;
            Seen = Device.LastDelivery();
            if (const std::string Line = DeliveryLine(Seen); !Line.empty())
                Deliveries.push_back(Line);
        };
        Printer.OnStatus = [&](TObject*) {
            NoteOutput();
            if (Device.Printing() && !O.Quiet)
                std::fprintf(stderr, "qor: print: page %d of %d\n", int(Printer.PageNumber()), Last);
        };
        Printer.LoadPages(&F, First, Last);
        NoteOutput();
        if (!Printer.ExceptionText().empty())
            throw EPrinter(Printer.ExceptionText());
        std::printf("Printed pages %d-%d of %s on %s\n", First, Last, O.File.c_str(),
                    Device.Printers()->Get(Device.PrinterIndex()).c_str());
        for (const std::string& Line : Deliveries)
            std::printf("%s\n", Line.c_str());
        return 0;
    } catch (const std::exception& E) {
        FileError("print", O.File, E.what());
        return 1;
    }
}

} // namespace qor::tool
