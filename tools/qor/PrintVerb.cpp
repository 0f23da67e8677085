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

int Usage(const std::string& Why) { return UsageError("print", Why); }

int ParseOptions(int argc, char** argv, TPrintOptions& O)
{
    for (int I = 0; I < argc; ++I) {
        const std::string Arg = argv[I];
        const std::string Value = I + 1 < argc ? argv[I + 1] : "";
        if (Arg == "--printer") {
            if (Value.empty())
                return Usage("--printer wants a printer's name (qor printers lists them)");
            O.PrinterName = Value;
            ++I;
        } else if (Arg == "--pages") {
            if (!ParseRange(Value, O.First, O.Last))
                return Usage("--pages wants a range A-B of pages from 1 on, as in --pages 2-5");
            ++I;
        } else if (Arg == "--copies") {
            if (!ParseNumber(Value, 1, 9999, O.Copies))
                return Usage("--copies wants a number from 1 to 9999");
            ++I;
        } else if (Arg == "--to") {
            if (Value.empty())
                return Usage("--to wants the PDF file to write, as in --to out.pdf");
            O.To = Value;
            ++I;
        } else if (Arg == "--collate" || Arg == "--no-collate") {
            if (O.Collate && *O.Collate != (Arg == "--collate"))
                return Usage("choose one of --collate and --no-collate");
            O.Collate = Arg == "--collate";
        } else if (Arg == "--duplex") {
            O.Duplex = true;
        } else if (Arg == "--quiet" || Arg == "-q") {
            O.Quiet = true;
        } else if (!Arg.empty() && Arg[0] == '-') {
            return Usage("unknown option '" + Arg + "'");
        } else if (O.File.empty()) {
            O.File = Arg;
        } else {
            return Usage("one page file only, got '" + Arg + "' as well");
        }
    }
    if (O.File.empty())
        return Usage("which page file?");
    if (!O.To.empty()) {
        if (!O.PrinterName.empty() && O.PrinterName != "PDF")
            return Usage("--to names the file of the PDF printer, not of printer \"" + O.PrinterName + "\"");
        O.PrinterName = "PDF";
    }
    return 0;
}

void SelectPrinter(const std::string& Name)
{
    TPrinter* P = Printer();
    if (Name.empty()) {
        if (P->Printers()->Count() == 0)
            throw EPrinter("there is no printer");
        P->SetPrinterIndex(-1);
        return;
    }
    const Integer Index = P->Printers()->IndexOf(Name);
    if (Index < 0)
        throw EPrinter("there is no printer named \"" + Name + "\" (qor printers lists them)");
    P->SetPrinterIndex(Index);
}

} // namespace

int RunPrint(int argc, char** argv)
{
    TPrintOptions O;
    if (const int Code = ParseOptions(argc, argv, O))
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
