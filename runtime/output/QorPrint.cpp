// Printing a page file: page ranges, copies made by sending pages again, collation, duplex jobs and
// the printer setup stored with each page.

#include "platform/printing/Printers.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorSetup.h"

#include <cmath>

namespace qor {

QOR_PUBLISH(TQorPrinter) {}

bool DuplexNewJob = false;

// A printer takes pages; it is not a container of its own.
void TQorPrinter::LoadQorFile(TQorFile*) {}
void TQorPrinter::LoadFromFile(const String&) {}
void TQorPrinter::LoadFromStream(TStream*) {}
void TQorPrinter::Send(TQorFile*) {}
void TQorPrinter::SendPage(TQorFile*, Integer) {}
void TQorPrinter::SendPages(TQorFile*, Integer, Integer) {}
void TQorPrinter::SaveToFile(const String&) {}
void TQorPrinter::SaveToStream(TStream*) {}
void TQorPrinter::PlayPage(HDC, Integer) {}

void TQorPrinter::LoadPage(TQorFile* QorFile, Integer Page)
{
    const Integer P = PageInRange(QorFile, Page);
    LoadPages(QorFile, P, P);
}

namespace {

// One run of TQorPrinter::LoadPages.
class TPrintRun {
public:
    TPrintRun(TQorPrinter& Printer, TQorQorFile& File, String& ExceptionText)
        : Printer(Printer), F(File), Setup(*File.QorPrinterSetup()), ExceptionText(ExceptionText)
    {
    }

    void Print(Integer StartPage, Integer EndPage, bool IgnoreSettings);

private:
    void Status() { Printer.OnStatus(&Printer); }
    // Ends the job and begins another with the current setup, one copy.
    void NewJob();
    // Keeps the output's error text of a job that has ended before the output forgets it.
    void KeepError()
    {
        if (!Output.ExceptionText().empty())
            ExceptionText = Output.ExceptionText();
    }
    // Applies the setup stored with page P (unless it is the one in force) before P is begun again.
    void ApplyPageSetup(Integer P, Integer StartPage, Integer& Copies, bool Collate);
    void PrintPage(Integer P, bool First);

    TQorPrinter& Printer;
    TQorQorFile& F;
    TQorPrinterSetup& Setup;
    String& ExceptionText;
    TQorOutput Output;
    TQorPrinterSetup Scratch;
    TQorPrinterSetup PrinterSetup; // the printer's own settings, when they replace the stored ones
    bool IgnoreSettings = false;
};

void TPrintRun::NewJob()
{
    Output.EndDoc();
    KeepError();
    TQorPrinterSetup JobSetup;
    JobSetup.Assign(IgnoreSettings ? PrinterSetup : Setup);
    JobSetup.SetCopies(1);
    Output.SetQorPrinterSetup(&JobSetup);
    Output.SetPrintFileName(String());
    Output.BeginDoc();
}

void TPrintRun::ApplyPageSetup(Integer P, Integer StartPage, Integer& Copies, bool Collate)
{
    Setup.SetCopies(Copies);
    F.GetPagePrinterInfo(&Setup, P);
    bool Changed = true;
    if (P > StartPage) {
        F.GetPagePrinterInfo(&Scratch, P - 1);
        Scratch.SetCopies(1);
        Changed = !Scratch.IsRunningEqual(Setup);
    }
    if (Changed) {
        if (!Collate)
            Copies = Setup.Copies();
        Setup.SetCopies(1);
        Setup.SetData();
    }
}

void TPrintRun::PrintPage(Integer P, bool First)
{
    if (!First) {
        Setup.GetData();
        Output.StartPage();
    }
    F.SetOrgX(-static_cast<Integer>(std::lround(F.PixelsPerInchX() * Setup.LeftPrintArea())));
    F.SetOrgY(-static_cast<Integer>(std::lround(F.PixelsPerInchY() * Setup.TopPrintArea())));
    F.PlayPage(Output.Handle(), P);
    Output.EndPage();
}

void TPrintRun::Print(Integer StartPage, Integer EndPage, bool Ignore)
{
    IgnoreSettings = Ignore;
    // A file still being recorded has no description in its header yet: it keeps its own.
    if (!F.QorFileHeader.Description.empty())
        F.SetDescription(Utf16ToUtf8(F.QorFileHeader.Description));
    Output.SetDescription(F.Description());
    Output.SetDestination(qdPrinter);
    F.GetPagePrinterInfo(&Setup, StartPage);

    // The printer makes one copy; the copies are made here by sending pages again.
    Integer Copies;
    bool Collate;
    if (IgnoreSettings) {
        Setup.GetData();
        Copies = Setup.Copies();
        Collate = Setup.CollatedCopies();
        if (Copies > 1) {
            Setup.SetCopies(1);
            Setup.SetData();
        }
    } else {
        Copies = Setup.Copies();
        Collate = Setup.CollatedCopies();
        Setup.SetCopies(1);
        Setup.SetData();
        Setup.GetData();
    }
    if (Printer.CollateCopies)
        Collate = *Printer.CollateCopies;
    Output.SetQorPrinterSetup(&Setup);
    Scratch.Assign(Setup);
    PrinterSetup.Assign(Setup);

    Printer.SetPageNumber(StartPage);
    Status();
    Output.SetPrintFileName(Printer.PrintFileName());
    Output.BeginDoc();
    F.SetHorzScale(100);
    F.SetVertScale(100);
    F.SetSetOrigin(true);
    try {
        Integer P = StartPage, K = 0, LastDuplex = -1;
        bool Printed = false;
        while (P <= EndPage) {
            Printer.SetPageNumber(P);
            Status();
            if (!Printer.AbortPrinting() && !Printer.StopPrinting()) {
                if (DuplexNewJob && Printed) {
                    F.GetPagePrinterInfo(&Setup, P);
                    if (Setup.Duplex() != LastDuplex)
                        NewJob();
                }
                const bool First = P == StartPage && K == 0;
                if (!First && !IgnoreSettings && (K == 0 || Collate))
                    ApplyPageSetup(P, StartPage, Copies, Collate);
                PrintPage(P, First);
                Printed = true;
            }
            if (Application())
                Application()->ProcessMessages();
            // The next page: each page Copies times in a row, or the whole range Copies times.
            if (Copies > 1 && !Collate) {
                if (++K >= Copies) {
                    K = 0;
                    ++P;
                }
            } else if (Copies > 1 && Collate && P == EndPage && ++K < Copies) {
                P = StartPage;
                // Each collated copy of a two-sided document is a job of its own (a printer that
                // reports no duplex setting at all, 0, prints one side).
                // Playing a page takes its stored setup into the file; printing with the printer's
                // own settings, its sides are those read when the run began.
                const Integer Sides = IgnoreSettings ? PrinterSetup.Duplex() : Setup.Duplex();
                const bool TwoSided = Sides == 2 || Sides == 3;
                if (TwoSided && !Printer.AbortPrinting() && !Printer.StopPrinting())
                    NewJob();
            } else {
                ++P;
            }
            LastDuplex = Setup.Duplex();
        }
    } catch (...) {
        // The job is not left open on the printer.
        F.SetSetOrigin(false);
        if (Output.Printer()->Printing())
            Output.Abort();
        KeepError();
        throw;
    }
    F.SetSetOrigin(false);
    if (Printer.AbortPrinting())
        Output.Abort();
    else
        Output.EndDoc();
    KeepError();
    Status();
}

} // namespace

void TQorPrinter::LoadPages(TQorFile* QorFile, Integer StartPage, Integer EndPage)
{
    auto* F = dynamic_cast<TQorQorFile*>(QorFile);
    if (!F)
        return;
    FAbortPrinting = false;
    FStopPrinting = false;
    FExceptionText.clear();
    const Integer Count = F->PageCount();
    if (F->Running() && EndPage >= Count)
        EndPage = Count - 1;
    else if (EndPage > Count)
        EndPage = Count;
    if (StartPage < 1)
        StartPage = 1;
    if (EndPage < StartPage)
        return;
    TPrintRun(*this, *F, FExceptionText).Print(StartPage, EndPage, FIgnorePrinterSettings);
}

void QorFilePrint(const String& FileName)
{
    TQorQorFile F;
    F.LoadFromFile(FileName);
    TQorPrinter P;
    P.LoadPages(&F, 1, F.PageCount());
    if (!P.ExceptionText().empty())
        throw EPrinter(P.ExceptionText());
}

} // namespace qor
