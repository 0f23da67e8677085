#pragma once
// The printer object: the installed printers, the selected one with its settings record, and
// print jobs on it. One global instance, Printer().

#include "platform/graphics/GdiTypes.h"
#include "platform/printing/DevMode.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/rtl/Object.h"

#include <memory>

namespace qor {

class TStrings;
class TCanvas;
class TPrinterDriver;

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;

    // The names of the installed printers (the PDF printer first). Enumerated on first use;
    // raises EPrinter when a printer description file is bad.
    TStrings* Printers();
    // The selected printer; reading selects the default printer when none is selected yet
    // (-1 only when no printer is installed). Setting -1 selects the default printer; an index
    // outside the list raises EPrinter "Printer selected is not valid".
    Integer PrinterIndex();
    void SetPrinterIndex(Integer Value);

    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }

    // The printer's device context: while printing the job's context, otherwise an information
    // context describing the selected printer under its current settings record.
    HDC Handle();
    // A canvas on Handle().
    TCanvas* Canvas();
    // The printable area of the page in pixels (HORZRES, VERTRES of Handle()).
    Integer PageWidth();
    Integer PageHeight();
    // 1-based while printing, 0 otherwise.
    Integer PageNumber() const { return FPageNumber; }

    // Starts a job on the selected printer under its settings record and begins page 1.
    // EPrinter "Printing in progress" when a job is running.
    void BeginDoc();
    // The same, the job of a PDF or described printer writing OutputFile (empty: as BeginDoc()).
    void BeginDoc(const String& OutputFile);
    // Ends the current page and begins the next one.
    void NewPage();
    // Ends the job and delivers it; EPrinter when the printer refuses it (the job is over anyway).
    void EndDoc();
    // Drops the job: nothing is delivered.
    void Abort();

    // The selected printer's device, driver and port names and its settings record. The record
    // is shared: edits through GlobalLock are honoured by the next job or by ResetDC.
    void GetPrinter(String& Device, String& Driver, String& Port, HDEVMODE& DeviceMode);
    // Selects the printer named Device (Driver and Port are informative). With a record handle the
    // printer takes that record; with none it reloads the driver's default settings.
    // EPrinter "Printer selected is not valid" when no printer has that name.
    void SetPrinter(const String& Device, const String& Driver, const String& Port, HDEVMODE DeviceMode);
    // Enumerates the printers again, keeping the selected printer when it is still there.
    void Refresh();

    // The PDF file of the last job that was started (for users and tests).
    const String& LastOutputFile() const { return FLastOutputFile; }
    // Where the last job that ended went: its PDF file, or the print queue and job number.
    const TJobDelivery& LastDelivery() const { return FLastDelivery; }

private:
    struct TJobState;
    const TPrinterDriver& SelectedDriver();
    void EnsureDevMode();
    void FreeInfoContext();
    void DetachCanvas();
    void CheckPrinting(bool Value) const;

    std::unique_ptr<TStrings> FPrinters;
    bool FEnumerated = false;
    Integer FPrinterIndex = -1;
    HDEVMODE FDevMode;
    bool FPrinting = false;
    bool FAborted = false;
    String FTitle;
    Integer FPageNumber = 0;
    HDC FInfoDC;
    std::unique_ptr<TJobState> FJob;
    std::unique_ptr<TCanvas> FCanvas;
    String FLastOutputFile;
    TJobDelivery FLastDelivery;
};

// The global printer object, made on first use.
TPrinter* Printer();
// Replaces the global printer object and returns the previous one (the caller owns it; nullptr
// when none was made). With nullptr a fresh printer object is made on the next Printer() call.
TPrinter* SetPrinter(TPrinter* NewPrinter);

} // namespace qor
