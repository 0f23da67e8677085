#include "platform/printing/PrinterDriver.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qor {

namespace fs = std::filesystem;

namespace {

String EnvValue(const char* Name)
{
    const char* V = std::getenv(Name);
    return V ? String(V) : String();
}

Integer TenthsMMToPixels(Integer Tenths, Integer Dpi)
{
    return MulDiv(Tenths, Dpi, 254);
}

// dmPrintQuality names a quality; map it onto the driver's resolutions, coarsest first.
TResolutionInfo NamedQuality(const std::vector<TResolutionInfo>& List, SmallInt Quality)
{
    std::vector<TResolutionInfo> Sorted = List;
    std::stable_sort(Sorted.begin(), Sorted.end(),
                     [](const TResolutionInfo& A, const TResolutionInfo& B) { return A.X * A.Y < B.X * B.Y; });
    const size_t Last = Sorted.size() - 1;
    switch (Quality) {
    case DMRES_DRAFT: return Sorted.front();
    case DMRES_LOW: return Sorted[Last / 3];
    case DMRES_MEDIUM: return Sorted[(Last * 2) / 3];
    default: return Sorted.back();
    }
}

} // namespace

// ---- TPrintJob ----

TPrintJob::TPrintJob(const TPrinterDriver& Driver, String Title, String PdfFile, const TDeviceMode& DevMode)
    : FDriver(Driver), FTitle(std::move(Title)), FPdfFile(std::move(PdfFile)), FJobDevMode(DevMode)
{
}

TPrintJob::~TPrintJob() = default;

void TPrintJob::AddPage(const TDeviceMode& DevMode, const TPageGeometry& Geometry)
{
    FPages.push_back({DevMode, Geometry});
}

void TPrintJob::Finish()
{
    FDelivery.File = FPdfFile;
}

void TPrintJob::Cancel()
{
    // Nothing to remove: the PDF takes its file's place only when complete, and a file of that
    // name that was there before is not this job's.
}

// ---- TPrinterDriver ----

TPrinterDriver::TPrinterDriver(String Name, String DriverName, String Port)
    : FName(std::move(Name)), FDriverName(std::move(DriverName)), FPort(std::move(Port))
{
}

TPrinterDriver::~TPrinterDriver() = default;

Cardinal TPrinterDriver::SupportedFields() const
{
    Cardinal F = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE | DM_COPIES |
                 DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_YRESOLUTION | DM_TTOPTION | DM_COLLATE |
                 DM_FORMNAME;
    if (FCaps.Duplex)
        F |= DM_DUPLEX;
    return F;
}

TDeviceMode TPrinterDriver::DefaultDevMode() const
{
    TDeviceMode D;
    SetDevModeDeviceName(D, FName);
    D.dmFields = SupportedFields() & ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
    D.dmOrientation = DMORIENT_PORTRAIT;
    if (!FCaps.Papers.empty()) {
        D.dmPaperSize = static_cast<SmallInt>(FCaps.Papers.front().Code);
        SetDevModeFormName(D, FCaps.Papers.front().Name);
    } else {
        D.dmPaperSize = DMPAPER_A4;
        SetDevModeFormName(D, StandardPaperDisplayName(DMPAPER_A4));
    }
    D.dmScale = 100;
    D.dmCopies = 1;
    D.dmDefaultSource = FCaps.Bins.empty() ? DMBIN_AUTO : static_cast<SmallInt>(FCaps.Bins.front().Code);
    const TResolutionInfo R = FCaps.Resolutions.empty() ? TResolutionInfo{300, 300} : FCaps.Resolutions.front();
    D.dmPrintQuality = static_cast<SmallInt>(R.X);
    D.dmYResolution = static_cast<SmallInt>(R.Y);
    D.dmColor = FCaps.Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    D.dmDuplex = DMDUP_SIMPLEX;
    D.dmTTOption = DMTT_DOWNLOAD;
    D.dmCollate = DMCOLLATE_FALSE;
    return D;
}

const TPaperInfo* TPrinterDriver::FindPaper(Integer Code) const
{
    for (const auto& P : FCaps.Papers)
        if (P.Code == Code)
            return &P;
    return nullptr;
}

const TBinInfo* TPrinterDriver::FindBin(Integer Code) const
{
    for (const auto& B : FCaps.Bins)
        if (B.Code == Code)
            return &B;
    return nullptr;
}

TPageGeometry TPrinterDriver::Geometry(const TDeviceMode& DevMode) const
{
    TPageGeometry G;

    // Resolution
    TResolutionInfo R = FCaps.Resolutions.empty() ? TResolutionInfo{300, 300} : FCaps.Resolutions.front();
    if (DevMode.dmFields & DM_PRINTQUALITY) {
        if (DevMode.dmPrintQuality > 0) {
            R.X = DevMode.dmPrintQuality;
            R.Y = (DevMode.dmFields & DM_YRESOLUTION) && DevMode.dmYResolution > 0 ? DevMode.dmYResolution : R.X;
        } else if (DevMode.dmPrintQuality < 0 && !FCaps.Resolutions.empty()) {
            R = NamedQuality(FCaps.Resolutions, DevMode.dmPrintQuality);
        }
    }
    G.DpiX = R.X;
    G.DpiY = R.Y;

    // Sheet, as it lies in portrait
    TPaperSizeTenthsMM Sheet{2100, 2970};
    if (!FCaps.Papers.empty())
        Sheet = {FCaps.Papers.front().Width, FCaps.Papers.front().Length};
    if (DevMode.dmFields & DM_PAPERSIZE) {
        if (const TPaperInfo* P = FindPaper(DevMode.dmPaperSize); P && P->Width > 0 && P->Length > 0)
            Sheet = {P->Width, P->Length};
        else if (auto S = StandardPaperSize(DevMode.dmPaperSize); S && S->Width > 0 && S->Length > 0)
            Sheet = *S;
    }
    if ((DevMode.dmFields & DM_PAPERWIDTH) && DevMode.dmPaperWidth > 0)
        Sheet.Width = DevMode.dmPaperWidth;
    if ((DevMode.dmFields & DM_PAPERLENGTH) && DevMode.dmPaperLength > 0)
        Sheet.Length = DevMode.dmPaperLength;

    TPrinterMargins M = FCaps.Margins;
    G.Landscape = (DevMode.dmFields & DM_ORIENTATION) && DevMode.dmOrientation == DMORIENT_LANDSCAPE;
    if (G.Landscape) {
        // The portrait sheet turned a quarter counter-clockwise.
        std::swap(Sheet.Width, Sheet.Length);
        M = {FCaps.Margins.Top, FCaps.Margins.Right, FCaps.Margins.Bottom, FCaps.Margins.Left};
    }
    G.SheetWidth = Sheet.Width;
    G.SheetLength = Sheet.Length;
    G.PhysicalWidth = TenthsMMToPixels(Sheet.Width, G.DpiX);
    G.PhysicalHeight = TenthsMMToPixels(Sheet.Length, G.DpiY);
    G.OffsetX = TenthsMMToPixels(M.Left, G.DpiX);
    G.OffsetY = TenthsMMToPixels(M.Top, G.DpiY);
    G.HorzRes = std::max(0, G.PhysicalWidth - G.OffsetX - TenthsMMToPixels(M.Right, G.DpiX));
    G.VertRes = std::max(0, G.PhysicalHeight - G.OffsetY - TenthsMMToPixels(M.Bottom, G.DpiY));
    return G;
}

// ---- output files ----

String PdfOutputFolder()
{
    String Folder = EnvValue("QOR_PDF_DIR");
    if (Folder.empty()) {
        const String Home = EnvValue("HOME");
        Folder = (Home.empty() ? String(".") : Home) + "/qor-output";
    }
    std::error_code Ec;
    fs::create_directories(Folder, Ec);
    if (!fs::is_directory(Folder, Ec))
        throw EPrinter("Cannot create the PDF output folder " + Folder);
    return Folder;
}

String UniqueOutputFile(const String& Folder, const String& Title, const String& Ext)
{
    String Base;
    for (unsigned char C : Title) {
        if (C < 0x20 || C == 0x7F || String("/\\:*?\"<>|").find(static_cast<char>(C)) != String::npos)
            Base += '_';
        else
            Base += static_cast<char>(C);
    }
    while (!Base.empty() && (Base.back() == ' ' || Base.back() == '.'))
        Base.pop_back();
    while (!Base.empty() && (Base.front() == ' ' || Base.front() == '.'))
        Base.erase(Base.begin());
    if (Base.size() > 120) {
        size_t Cut = 120;
        while (Cut > 0 && (static_cast<unsigned char>(Base[Cut]) & 0xC0) == 0x80)
            --Cut; // keep UTF-8 sequences whole
        Base.resize(Cut);
    }
    if (Base.empty())
        Base = "Untitled";
    const fs::path Dir(Folder);
    fs::path Candidate = Dir / (Base + Ext);
    std::error_code Ec;
    for (int N = 2; fs::exists(Candidate, Ec); ++N)
        Candidate = Dir / (Base + " (" + std::to_string(N) + ")" + Ext);
    return Candidate.string();
}

// ---- the PDF printer ----

namespace {

class TPdfPrinterDriver : public TPrinterDriver {
public:
    TPdfPrinterDriver() : TPrinterDriver("PDF", "qor-pdf", "PDF:")
    {
        for (Integer Code = DMPAPER_FIRST; Code <= DMPAPER_LAST; ++Code) {
            if (auto S = StandardPaperSize(Code))
                FCaps.Papers.push_back({Code, StandardPaperDisplayName(Code), S->Width, S->Length});
        }
        // A4 first: the default paper.
        auto A4 = std::find_if(FCaps.Papers.begin(), FCaps.Papers.end(),
                               [](const TPaperInfo& P) { return P.Code == DMPAPER_A4; });
        std::rotate(FCaps.Papers.begin(), A4, A4 + 1);
        FCaps.Bins = {{DMBIN_AUTO, StandardBinDisplayName(DMBIN_AUTO)}};
        FCaps.Resolutions = {{600, 600}, {300, 300}, {150, 150}, {1200, 1200}};
        FCaps.MaxCopies = 1;
        FCaps.Duplex = false;
        FCaps.Color = true;
    }

    std::unique_ptr<TPrintJob> CreateJob(const String& Title, const String& OutputFile,
                                         const TDeviceMode& DevMode) const override
    {
        String File = OutputFile.empty() ? UniqueOutputFile(PdfOutputFolder(), Title, ".pdf") : OutputFile;
        return std::make_unique<TPrintJob>(*this, Title, File, DevMode);
    }
};

} // namespace

std::unique_ptr<TPrinterDriver> CreatePdfPrinterDriver()
{
    return std::make_unique<TPdfPrinterDriver>();
}

// ---- the installed printers ----

namespace {

struct TDriverRegistry {
    bool Loaded = false;
    std::vector<std::unique_ptr<TPrinterDriver>> Drivers;
    Integer DefaultIndex = -1;
};

TDriverRegistry& Registry()
{
    static TDriverRegistry R;
    return R;
}

void LoadRegistry(TDriverRegistry& R)
{
    std::vector<std::unique_ptr<TPrinterDriver>> Drivers;
    Integer DefaultIndex = -1;
    if (EnvValue("QOR_NO_PRINTERS") != "1") {
        Drivers.push_back(CreatePdfPrinterDriver());
        const String Described = EnvValue("QOR_PRINTERS");
        if (!Described.empty()) {
            for (auto& D : LoadDescribedPrinters(Described)) {
                if (DefaultIndex < 0 && IsDescribedDefault(*D))
                    DefaultIndex = static_cast<Integer>(Drivers.size());
                Drivers.push_back(std::move(D));
            }
        }
        String CupsDefault;
        for (auto& D : EnumerateCupsPrinters(CupsDefault)) {
            auto Taken = [&](const String& Name) {
                return std::any_of(Drivers.begin(), Drivers.end(),
                                   [&](const auto& E) { return E->Name() == Name; });
            };
            if (Taken(D->Name())) {
                String Name = D->Name() + " (CUPS)";
                for (int N = 2; Taken(Name); ++N)
                    Name = D->Name() + " (CUPS " + std::to_string(N) + ")";
                D->SetName(Name);
            }
            if (DefaultIndex < 0 && !CupsDefault.empty() && D->Name() == CupsDefault)
                DefaultIndex = static_cast<Integer>(Drivers.size());
            Drivers.push_back(std::move(D));
        }
        if (DefaultIndex < 0)
            DefaultIndex = 0; // the PDF printer
    }
    R.Drivers = std::move(Drivers);
    R.DefaultIndex = DefaultIndex;
    R.Loaded = true;
}

} // namespace

const std::vector<std::unique_ptr<TPrinterDriver>>& PrinterDrivers()
{
    TDriverRegistry& R = Registry();
    if (!R.Loaded)
        LoadRegistry(R);
    return R.Drivers;
}

void RefreshPrinterDrivers()
{
    TDriverRegistry& R = Registry();
    R.Loaded = false;
    R.Drivers.clear();
    R.DefaultIndex = -1;
    LoadRegistry(R);
}

Integer DefaultPrinterDriverIndex()
{
    PrinterDrivers();
    return Registry().DefaultIndex;
}

const TPrinterDriver* FindPrinterDriver(const String& Name)
{
    for (const auto& D : PrinterDrivers())
        if (D->Name() == Name)
            return D.get();
    return nullptr;
}

} // namespace qor
