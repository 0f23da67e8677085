#pragma once
// Printer drivers: what a printer offers (papers, bins, resolutions, copies, duplex, margins),
// its default settings, and the jobs it runs. Three kinds exist: the PDF printer, printers of a
// CUPS server, and printers read from a description file (QOR_PRINTERS).

#include "platform/printing/DevMode.h"

#include <memory>
#include <vector>

namespace qor {

struct TPaperInfo {
    Integer Code = 0;
    String Name;
    Integer Width = 0;  // portrait sheet, tenths of a millimetre
    Integer Length = 0; // portrait sheet, tenths of a millimetre
    bool operator==(const TPaperInfo&) const = default;
};

struct TBinInfo {
    Integer Code = 0;
    String Name;
    bool operator==(const TBinInfo&) const = default;
};

struct TResolutionInfo {
    Integer X = 0; // dots per inch
    Integer Y = 0;
    bool operator==(const TResolutionInfo&) const = default;
};

// The unprintable border of a sheet, tenths of a millimetre, as the sheet lies in portrait.
struct TPrinterMargins {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    bool operator==(const TPrinterMargins&) const = default;
};

struct TPrinterCapabilities {
    std::vector<TPaperInfo> Papers;
    std::vector<TBinInfo> Bins;
    std::vector<TResolutionInfo> Resolutions;
    Integer MaxCopies = 1;
    bool Duplex = false;
    bool Color = true;
    TPrinterMargins Margins;
};

// The geometry of one page in device pixels, from a driver and the record in force.
struct TPageGeometry {
    Integer DpiX = 0;
    Integer DpiY = 0;
    Integer SheetWidth = 0;  // tenths of a millimetre, as the sheet lies (landscape swapped)
    Integer SheetLength = 0;
    Integer PhysicalWidth = 0;  // pixels
    Integer PhysicalHeight = 0;
    Integer OffsetX = 0; // pixels from the sheet's left edge to the printable area
    Integer OffsetY = 0;
    Integer HorzRes = 0; // printable area in pixels
    Integer VertRes = 0;
    bool Landscape = false;
};

// What one page of a job was printed with.
struct TJobPage {
    TDeviceMode DevMode;
    TPageGeometry Geometry;
};

class TPrinterDriver;

// Where a finished document went: a PDF file that stays, or a job on a print queue (whose PDF file
// was only the way there and is gone).
struct TJobDelivery {
    String File;      // the PDF file kept, when there is one
    String Queue;     // the print queue that took the job, when there is one
    Integer JobId = 0; // the queue's number for the job
    bool operator==(const TJobDelivery&) const = default;
};

// One document on a printer. The printer object makes it at BeginDoc, reports every page and
// ends it with Finish (the document is delivered) or Cancel (nothing is delivered).
class TPrintJob {
public:
    TPrintJob(const TPrinterDriver& Driver, String Title, String PdfFile, const TDeviceMode& DevMode);
    virtual ~TPrintJob();
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    const String& Title() const { return FTitle; }
    // The PDF file the pages are drawn into.
    const String& PdfFile() const { return FPdfFile; }
    // The record in force when the document began (copies and collation come from it).
    const TDeviceMode& JobDevMode() const { return FJobDevMode; }
    const std::vector<TJobPage>& Pages() const { return FPages; }

    void AddPage(const TDeviceMode& DevMode, const TPageGeometry& Geometry);
    // Delivers the finished PDF. Raises EPrinter when the printer refuses it.
    virtual void Finish();
    // Drops the document: files the job made for itself are removed, none it did not write.
    virtual void Cancel();
    // Where the document went, once Finish delivered it (by default: its PDF file stays).
    const TJobDelivery& Delivery() const { return FDelivery; }

protected:
    const TPrinterDriver& FDriver;
    TJobDelivery FDelivery;

private:
    String FTitle;
    String FPdfFile;
    TDeviceMode FJobDevMode;
    std::vector<TJobPage> FPages;
};

class TPrinterDriver {
public:
    virtual ~TPrinterDriver();

    const String& Name() const { return FName; }
    const String& DriverName() const { return FDriverName; }
    const String& Port() const { return FPort; }
    const TPrinterCapabilities& Capabilities() const { return FCaps; }
    // Lists the printer under another name (when its own is taken by another printer).
    void SetName(String Value) { FName = std::move(Value); }

    // The driver's default record, with the device name filled in.
    virtual TDeviceMode DefaultDevMode() const;
    // The dmFields bits this driver honours.
    virtual Cardinal SupportedFields() const;

    // The page geometry under a record: sheet from the paper code (looked up among this
    // printer's papers, then the standard ones) or the explicit length/width, orientation,
    // resolution from dmPrintQuality/dmYResolution.
    TPageGeometry Geometry(const TDeviceMode& DevMode) const;
    const TPaperInfo* FindPaper(Integer Code) const;
    const TBinInfo* FindBin(Integer Code) const;

    // Begins a document. OutputFile, when not empty, is where the PDF goes; otherwise the
    // driver chooses (see docs/printers.md).
    virtual std::unique_ptr<TPrintJob> CreateJob(const String& Title, const String& OutputFile,
                                                 const TDeviceMode& DevMode) const = 0;

protected:
    TPrinterDriver(String Name, String DriverName, String Port);
    String FName;
    String FDriverName;
    String FPort;
    TPrinterCapabilities FCaps;
};

// The folder PDF output goes to when no file is given: $QOR_PDF_DIR, else $HOME/qor-output;
// made when missing (EPrinter when it cannot be made).
String PdfOutputFolder();
// A file in Folder named after Title with extension Ext (".pdf"), never an existing file.
String UniqueOutputFile(const String& Folder, const String& Title, const String& Ext);

// ---- the drivers ----

// The PDF printer, always present, named "PDF".
std::unique_ptr<TPrinterDriver> CreatePdfPrinterDriver();

// Printers read from a description file (format in docs/printers.md). Raises EPrinter naming
// the file and the problem when the file cannot be read or is not a valid description.
std::vector<std::unique_ptr<TPrinterDriver>> LoadDescribedPrinters(const String& FileName);
// The same from text (FileName only names the source in messages).
std::vector<std::unique_ptr<TPrinterDriver>> ParseDescribedPrinters(const String& Json,
                                                                    const String& FileName);
// Whether a described printer in a description file is marked as the default.
bool IsDescribedDefault(const TPrinterDriver& Driver);

// The queues of the CUPS server in reach (CUPS_SERVER or the local one); empty when no server
// answers within a short time. DefaultName receives the server's default queue, if any.
std::vector<std::unique_ptr<TPrinterDriver>> EnumerateCupsPrinters(String& DefaultName);

// ---- the installed printers ----

// The printers of this process, enumerated on first use and by RefreshPrinterDrivers: the PDF
// printer, then the described printers ($QOR_PRINTERS), then the CUPS queues. With
// QOR_NO_PRINTERS=1 the list is empty. Raises EPrinter for a bad description file.
const std::vector<std::unique_ptr<TPrinterDriver>>& PrinterDrivers();
void RefreshPrinterDrivers();
// The index of the default printer in PrinterDrivers(), -1 when there is none.
Integer DefaultPrinterDriverIndex();
// The driver named Name (exactly), or nullptr.
const TPrinterDriver* FindPrinterDriver(const String& Name);

} // namespace qor
