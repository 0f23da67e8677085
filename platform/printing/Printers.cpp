#include "platform/printing/Printers.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/internal/PrinterDriverSink.h"
#include "platform/printing/PrinterDriver.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"

#include <algorithm>
#include <utility>

namespace qor {

namespace {

const char* const SPrinting = "Printing in progress";
const char* const SNotPrinting = "Printer is not currently printing";
const char* const SPrinterIndexError = "Printer selected is not valid";
const char* const SNoDefaultPrinter = "There is no default printer currently selected";

TPdfPageFormat PdfFormat(const TPageGeometry& G)
{
    TPdfPageFormat F;
    F.PaperWidthPoints = G.SheetWidth * 72.0 / 254.0;
    F.PaperHeightPoints = G.SheetLength * 72.0 / 254.0;
    F.Resolution = G.DpiX;
    F.OffsetX = G.OffsetX;
    F.OffsetY = G.OffsetY;
    F.PrintableWidth = G.HorzRes;
    F.PrintableHeight = G.VertRes;
    return F;
}

// Makes a context answer the device questions for a page geometry.
void DescribeDevice(HDC DC, const TPageGeometry& G)
{
    SetDeviceCaps(DC, LOGPIXELSX, G.DpiX);
    SetDeviceCaps(DC, LOGPIXELSY, G.DpiY);
    SetDeviceCaps(DC, HORZRES, G.HorzRes);
    SetDeviceCaps(DC, VERTRES, G.VertRes);
    SetDeviceCaps(DC, PHYSICALWIDTH, G.PhysicalWidth);
    SetDeviceCaps(DC, PHYSICALHEIGHT, G.PhysicalHeight);
    SetDeviceCaps(DC, PHYSICALOFFSETX, G.OffsetX);
    SetDeviceCaps(DC, PHYSICALOFFSETY, G.OffsetY);
    SetDeviceCaps(DC, HORZSIZE, G.DpiX > 0 ? MulDiv(G.HorzRes, 254, G.DpiX * 10) : 0);
    SetDeviceCaps(DC, VERTSIZE, G.DpiY > 0 ? MulDiv(G.VertRes, 254, G.DpiY * 10) : 0);
    SetDeviceCaps(DC, TECHNOLOGY, DT_RASPRINTER);
}

// Follows the pages of a job on its context: each page takes the settings in force when it
// begins; ResetDC changes them for the pages that follow.
class TPrinterSink : public IPrinterDriverSink {
public:
    TPrinterSink(const TPrinterDriver& Driver, TPrintJob& Job, const TDeviceMode& DevMode)
        : FDriver(Driver), FJob(Job), FDevMode(DevMode)
    {
    }

    bool StartPage(HDC DC) override
    {
        // A page is already open: the second begin is refused and leaves the open page alone.
        if (FPageOpen)
            return false;
        const TPageGeometry G = FDriver.Geometry(FDevMode);
        SetPdfPageFormat(DC, PdfFormat(G));
        DescribeDevice(DC, G);
        FJob.AddPage(FDevMode, G);
        FPageOpen = true;
        return true;
    }

    bool EndPage(HDC) override
    {
        FPageOpen = false;
        return true;
    }

    bool ResetDC(HDC DC, const TDeviceMode* DevMode) override
    {
        if (DevMode)
            FDevMode = *DevMode;
        const TPageGeometry G = FDriver.Geometry(FDevMode);
        SetPdfPageFormat(DC, PdfFormat(G));
        if (!FPageOpen)
            DescribeDevice(DC, G);
        return true;
    }

    bool PageOpen() const { return FPageOpen; }

private:
    const TPrinterDriver& FDriver;
    TPrintJob& FJob;
    TDeviceMode FDevMode;
    bool FPageOpen = false;
};

// A canvas on the printer's context; fonts keep their point size at the printer's resolution.
class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter* Printer) : FPrinter(Printer) {}

protected:
    void CreateHandle() override
    {
        HDC DC = FPrinter->Handle();
        const Integer Size = Font()->Size();
        Font()->SetPixelsPerInch(GetDeviceCaps(DC, LOGPIXELSY));
        Font()->SetSize(Size);
        SetHandle(DC);
    }

private:
    TPrinter* FPrinter;
};

std::unique_ptr<TPrinter>& GlobalPrinter()
{
    static std::unique_ptr<TPrinter> P;
    return P;
}

} // namespace

struct TPrinter::TJobState {
    std::unique_ptr<TPrintJob> Job;
    std::shared_ptr<TPrinterSink> Sink;
    HDC DC;
};

TPrinter::TPrinter() : FPrinters(std::make_unique<TStringList>()) {}

TPrinter::~TPrinter()
{
    DetachCanvas();
    if (FJob) {
        if (FJob->DC)
            DeleteDC(FJob->DC);
        FJob->Job->Cancel();
    }
    FreeInfoContext();
}

void TPrinter::DetachCanvas()
{
    if (FCanvas)
        FCanvas->SetHandle(HDC());
}

void TPrinter::CheckPrinting(bool Value) const
{
    if (FPrinting != Value)
        throw EPrinter(Value ? SNotPrinting : SPrinting);
}

TStrings* TPrinter::Printers()
{
    if (!FEnumerated) {
        FPrinters->Clear();
        for (const auto& D : PrinterDrivers())
            FPrinters->Add(D->Name());
        FEnumerated = true;
    }
    return FPrinters.get();
}

Integer TPrinter::PrinterIndex()
{
    if (FPrinterIndex == -1 && Printers()->Count() > 0)
        FPrinterIndex = DefaultPrinterDriverIndex();
    return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(Integer Value)
{
    CheckPrinting(false);
    const Integer Count = Printers()->Count();
    if (Value == -1)
        Value = DefaultPrinterDriverIndex();
    else if (Value < 0 || Value >= Count)
        throw EPrinter(SPrinterIndexError);
    if (Value != FPrinterIndex)
        FDevMode = HDEVMODE();
    FPrinterIndex = Value;
    FreeInfoContext();
}

const TPrinterDriver& TPrinter::SelectedDriver()
{
    const Integer Index = PrinterIndex();
    if (Index < 0)
        throw EPrinter(SNoDefaultPrinter);
    const auto& Drivers = PrinterDrivers();
    const String Name = FPrinters->Get(Index);
    if (static_cast<size_t>(Index) < Drivers.size() && Drivers[static_cast<size_t>(Index)]->Name() == Name)
        return *Drivers[static_cast<size_t>(Index)];
    // The installed printers were enumerated again behind our back: follow the name.
    if (const TPrinterDriver* D = FindPrinterDriver(Name))
        return *D;
    throw EPrinter(SPrinterIndexError);
}

void TPrinter::EnsureDevMode()
{
    if (!FDevMode)
        FDevMode = HDEVMODE::Create(SelectedDriver().DefaultDevMode());
}

void TPrinter::FreeInfoContext()
{
    if (FInfoDC) {
        DetachCanvas();
        DeleteDC(FInfoDC);
        FInfoDC = HDC();
    }
}

HDC TPrinter::Handle()
{
    if (FPrinting)
        return FJob->DC;
    const TPrinterDriver& D = SelectedDriver();
    EnsureDevMode();
    // Answers under the record as it is now, so edits made in place are seen.
    const TPageGeometry G = D.Geometry(FDevMode.block()->DevMode);
    if (!FInfoDC) {
        FInfoDC = CreateInformationDC(G.PhysicalWidth, G.PhysicalHeight, G.DpiX, true);
        if (!FInfoDC)
            throw EPrinter("Cannot create a device context for printer " + D.Name());
    }
    DescribeDevice(FInfoDC, G);
    return FInfoDC;
}

TCanvas* TPrinter::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TPrinterCanvas>(this);
    return FCanvas.get();
}

Integer TPrinter::PageWidth()
{
    return GetDeviceCaps(Handle(), HORZRES);
}

Integer TPrinter::PageHeight()
{
    return GetDeviceCaps(Handle(), VERTRES);
}

void TPrinter::BeginDoc() { BeginDoc(String()); }

void TPrinter::BeginDoc(const String& OutputFile)
{
    CheckPrinting(false);
    const TPrinterDriver& D = SelectedDriver();
    EnsureDevMode();
    const TDeviceMode DevMode = FDevMode.block()->DevMode;
    auto State = std::make_unique<TJobState>();
    State->Job = D.CreateJob(FTitle, OutputFile, DevMode);
    FLastOutputFile = State->Job->PdfFile();
    const TPageGeometry G = D.Geometry(DevMode);
    State->DC = CreatePdfDC(State->Job->PdfFile(), PdfFormat(G));
    if (!State->DC) {
        State->Job->Cancel();
        throw EPrinter("Cannot create the print file " + State->Job->PdfFile());
    }
    State->Sink = std::make_shared<TPrinterSink>(D, *State->Job, DevMode);
    SetPrinterDriverSink(State->DC, State->Sink);
    DescribeDevice(State->DC, G);
    DOCINFO Info;
    Info.lpszDocName = FTitle;
    if (StartDoc(State->DC, Info) <= 0 || StartPage(State->DC) <= 0) {
        DeleteDC(State->DC);
        State->Job->Cancel();
        throw EPrinter("Printer " + D.Name() + " cannot start the job");
    }
    DetachCanvas();
    FJob = std::move(State);
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
}

void TPrinter::NewPage()
{
    CheckPrinting(true);
    EndPage(FJob->DC);
    StartPage(FJob->DC);
    if (FCanvas)
        FCanvas->Refresh(); // a new page starts with a fresh device state
    ++FPageNumber;
}

void TPrinter::EndDoc()
{
    CheckPrinting(true);
    DetachCanvas();
    std::unique_ptr<TJobState> State = std::move(FJob);
    if (State->Sink->PageOpen())
        ::qor::EndPage(State->DC);
    const bool Written = ::qor::EndDoc(State->DC) > 0;
    const String Why = GetPdfWriteError(State->DC);
    DeleteDC(State->DC);
    FPrinting = false;
    FAborted = false;
    FPageNumber = 0;
    if (!Written) {
        State->Job->Cancel();
        throw EPrinter("The print file " + State->Job->PdfFile() + " could not be written" +
                       (Why.empty() ? String() : ": " + Why));
    }
    State->Job->Finish();
    FLastDelivery = State->Job->Delivery();
}

void TPrinter::Abort()
{
    CheckPrinting(true);
    DetachCanvas();
    std::unique_ptr<TJobState> State = std::move(FJob);
    AbortDoc(State->DC);
    DeleteDC(State->DC);
    State->Job->Cancel();
    FPrinting = false;
    FAborted = true;
    FPageNumber = 0;
}

void TPrinter::GetPrinter(String& Device, String& Driver, String& Port, HDEVMODE& DeviceMode)
{
    const TPrinterDriver& D = SelectedDriver();
    EnsureDevMode();
    Device = D.Name();
    Driver = D.DriverName();
    Port = D.Port();
    DeviceMode = FDevMode;
}

void TPrinter::SetPrinter(const String& Device, const String& /*Driver*/, const String& /*Port*/,
                          HDEVMODE DeviceMode)
{
    CheckPrinting(false);
    TStrings* List = Printers();
    Integer Index = -1;
    for (Integer I = 0; I < List->Count() && Index < 0; ++I)
        if (List->Get(I) == Device)
            Index = I;
    if (Index < 0)
        Index = List->IndexOf(Device); // ignoring case
    if (Index < 0)
        throw EPrinter(SPrinterIndexError);
    FPrinterIndex = Index;
    FDevMode = DeviceMode ? DeviceMode : HDEVMODE::Create(SelectedDriver().DefaultDevMode());
    FreeInfoContext();
}

void TPrinter::Refresh()
{
    CheckPrinting(false);
    const String Selected = FEnumerated && FPrinterIndex >= 0 ? FPrinters->Get(FPrinterIndex) : String();
    FreeInfoContext();
    FEnumerated = false;
    FPrinterIndex = -1;
    FPrinters->Clear();
    RefreshPrinterDrivers();
    TStrings* List = Printers();
    for (Integer I = 0; I < List->Count(); ++I)
        if (!Selected.empty() && List->Get(I) == Selected)
            FPrinterIndex = I;
    if (FPrinterIndex < 0)
        FDevMode = HDEVMODE();
}

TPrinter* Printer()
{
    auto& P = GlobalPrinter();
    if (!P)
        P = std::make_unique<TPrinter>();
    return P.get();
}

TPrinter* SetPrinter(TPrinter* NewPrinter)
{
    auto& P = GlobalPrinter();
    TPrinter* Old = P.release();
    P.reset(NewPrinter);
    return Old;
}

} // namespace qor
