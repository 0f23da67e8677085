#include "runtime/output/QorPSet.h"

#include "platform/graphics/Gdi.h"
#include "platform/printing/Capabilities.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TypeInfo.h"

#include <algorithm>
#include <utility>

namespace qor {

QOR_PUBLISH(TQorBinInfo) {}
QOR_PUBLISH(TQorResolution) {}
QOR_PUBLISH(TQorPaper) {}
QOR_PUBLISH(TQorPrinterInfo) {}
QOR_PUBLISH(TQorPrinterSettings) {}

namespace {

struct TPaperName {
    Integer Code;
    const char* Name;
};

// The standard names of the paper codes, as the system matches them against a printer's papers.
constexpr TPaperName PaperNames[] = {
    {1, "Letter"}, {2, "LETTER SMALL"}, {3, "TABLOID"}, {4, "LEDGER"}, {5, "Legal"}, {6, "STATEMENT"},
    {7, "Executive"}, {8, "A3"}, {9, "A4"}, {10, "A4 SMALL"}, {11, "A5"}, {12, "B4"}, {13, "B5"},
    {14, "FOLIO"}, {15, "QUARTO"}, {16, "10 14"}, {17, "11 17"}, {18, "NOTE"}, {19, "ENV 9"}, {20, "ENV 10"},
    {21, "ENV 11"}, {22, "ENV 12"}, {23, "ENV 14"}, {24, "C SHEET"}, {25, "D SHEET"}, {26, "E SHEET"},
    {27, "ENV_DL"}, {28, "ENV_C5"}, {29, "ENV_C3"}, {30, "ENV_C4"}, {31, "ENV_C6"}, {32, "ENV_C65"},
    {33, "ENV_B4"}, {34, "ENV_B5"}, {35, "ENV_B6"}, {36, "ENV_ITALY"}, {37, "ENV_MONARCH"},
    {38, "ENV_PERSONAL"}, {39, "FANFOLD_US"}, {40, "FANFOLD_STD_GERMAN"}, {41, "FANFOLD_LGL_GERMAN"},
    {42, "ISO_B4"}, {43, "JAPANESE_POSTCARD"}, {44, "9X11"}, {45, "10X11"}, {46, "15X11"}, {47, "ENV_INVITE"},
    {50, "LETTER_EXTRA"}, {51, "LEGAL_EXTRA"}, {52, "TABLOID_EXTRA"}, {53, "A4_EXTRA"},
    {54, "LETTER_TRANSVERSE"}, {55, "A4_TRANSVERSE"}, {56, "LETTER_EXTRA_TRANSVERSE"}, {57, "A_PLUS"},
    {58, "B_PLUS"}, {59, "LETTER_PLUS"}, {60, "A4_PLUS"}, {61, "A5_TRANSVERSE"}, {62, "B5_TRANSVERSE"},
    {63, "A3_EXTRA"}, {64, "A5_EXTRA"}, {65, "B5_EXTRA"}, {66, "A2"}, {67, "A3_TRANSVERSE"},
    {68, "A3_EXTRA_TRANSVERSE"}, {69, "DBL_JAPANESE_POSTCARD"}, {70, "A6"}, {75, "LETTER_ROTATED"},
    {76, "A3_ROTATED"}, {77, "A4_ROTATED"}, {78, "A5_ROTATED"}, {79, "B4_JIS_ROTATED"},
    {80, "B5_JIS_ROTATED"}, {81, "JAPANESE_POSTCARD_ROTATED"}, {82, "DBL_JAPANESE_POSTCARD_ROTATED"},
    {83, "A6_ROTATED"}, {88, "B6_JIS"}, {89, "B6_JIS_ROTATED"}, {90, "12X11"}, {93, "P16K"}, {94, "P32K"},
    {95, "P32KBIG"}, {96, "PENV_1"}, {97, "PENV_2"}, {98, "PENV_3"}, {99, "PENV_4"}, {100, "PENV_5"},
    {101, "PENV_6"}, {102, "PENV_7"}, {103, "PENV_8"}, {104, "PENV_9"}, {105, "PENV_10"},
    {109, "PENV_1_ROTATED"}, {110, "PENV_2_ROTATED"}, {111, "PENV_3_ROTATED"}, {112, "PENV_4_ROTATED"},
    {113, "PENV_5_ROTATED"}, {114, "PENV_6_ROTATED"}, {115, "PENV_7_ROTATED"}, {116, "PENV_8_ROTATED"},
    {117, "PENV_9_ROTATED"}, {118, "PENV_10_ROTATED"}, {256, "Custom"},
};

// The capabilities of every printer asked so far, by printer list entry; kept for the life of
// the process. Filling is set while a new entry is being made, so that the objects made during
// the fill stay empty instead of recursing.
struct TCapabilityCache {
    std::vector<std::unique_ptr<TQorPrinterInfo>> Items;
    bool Filling = false;
};

TCapabilityCache& Cache()
{
    static TCapabilityCache C;
    return C;
}

// The selected printer's entry in the printer list; empty when there is no printer.
String SelectedPrinterName()
{
    TPrinter* P = Printer();
    const Integer Index = P->PrinterIndex();
    return Index >= 0 && Index < P->Printers()->Count() ? P->Printers()->Get(Index) : String();
}

// Releases the info object's settings record on every way out.
struct TDeviceModeHold {
    TQorPrinterInfo& Info;
    ~TDeviceModeHold() { Info.ReleaseDeviceMode(); }
};

// A name from a fixed-width UTF-16 buffer: up to the first NUL, at most Width units.
String NameFromBuffer(const WideChar* Entry, int Width)
{
    int N = 0;
    while (N < Width && Entry[N] != 0)
        ++N;
    return Utf16ToUtf8(std::u16string_view(Entry, size_t(N)));
}

template <class T>
void CopyItems(TQorOwnedList<T>& Dest, const TQorOwnedList<T>& Source)
{
    Dest.clear();
    for (const auto& Item : Source) {
        auto Copy = std::make_unique<T>();
        if constexpr (std::is_same_v<T, TQorBinInfo>) {
            Copy->binName = Item->binName;
            Copy->binNumber = Item->binNumber;
        } else if constexpr (std::is_same_v<T, TQorResolution>) {
            Copy->HorzRes = Item->HorzRes;
            Copy->VertRes = Item->VertRes;
        } else {
            Copy->PaperName = Item->PaperName;
            Copy->PaperNum = Item->PaperNum;
            Copy->PaperSize = Item->PaperSize;
        }
        Dest.push_back(std::move(Copy));
    }
}

} // namespace

// ---- TQorPrinterInfo ----------------------------------------------------------------------------

TQorPrinterInfo::TQorPrinterInfo() : FPrinterSettings(std::make_unique<TQorPrinterSettings>())
{
    FillFromCache();
}

TQorPrinterInfo::~TQorPrinterInfo() = default;

void TQorPrinterInfo::FillFromCache()
{
    TCapabilityCache& C = Cache();
    if (C.Filling)
        return;
    const String Key = SelectedPrinterName();
    if (Key.empty())
        return; // no printer: the object stays empty
    C.Filling = true;
    struct TClearFilling {
        ~TClearFilling() { Cache().Filling = false; }
    } Clear;
    TQorPrinterInfo* Cached = nullptr;
    for (const auto& Item : C.Items)
        if (Item->FPrinterName == Key) {
            Cached = Item.get();
            break;
        }
    if (!Cached) {
        auto Fresh = std::make_unique<TQorPrinterInfo>();
        Fresh->Update();
        Cached = Fresh.get();
        C.Items.push_back(std::move(Fresh));
        Cached->PrinterSettings()->GetValues();
    }
    Assign(*Cached);
}

void TQorPrinterInfo::Assign(const TQorPrinterInfo& Source)
{
    if (&Source == this)
        return;
    CopyItems(FBinList, Source.FBinList);
    CopyItems(FResolutions, Source.FResolutions);
    CopyItems(FPaperList, Source.FPaperList);
    FCopies = Source.FCopies;
    FDuplex = Source.FDuplex;
    FPrinterName = Source.FPrinterName;
    FTrueType = Source.FTrueType;
    FPrinterSettings->Assign(*Source.FPrinterSettings);
}

void TQorPrinterInfo::Update()
{
    TDeviceModeHold Hold{*this};
    GetDeviceMode(false);
    if (!DeviceMode)
        return;
    SetCopies();
    FillBinList();
    SetDuplex();
    SetResolutions();
    SetPapers();
    FPrinterName = SelectedPrinterName();
}

void TQorPrinterInfo::GetDeviceMode(bool Reset)
{
    if (DeviceMode || QorGetPrinterCount() <= 0)
        return;
    GetPrinter(Reset);
    if (DevHandle)
        DeviceMode = GlobalLock(DevHandle);
}

void TQorPrinterInfo::GetPrinter(bool Reset)
{
    if (Reset)
        QorResetPrinter();
    TPrinter* P = Printer();
    P->Handle();
    P->GetPrinter(Device, Driver, Port, DevHandle);
    if (!DevHandle) {
        P->SetPrinterIndex(P->PrinterIndex());
        P->GetPrinter(Device, Driver, Port, DevHandle);
    }
    if (DevHandle)
        Handle = P->Handle();
}

void TQorPrinterInfo::ReleaseDeviceMode()
{
    if (!DeviceMode)
        return;
    GlobalUnlock(DevHandle);
    DeviceMode = nullptr;
    Handle = HDC();
    DevHandle = HDEVMODE();
}

bool TQorPrinterInfo::PrinterChanged() const
{
    if (QorGetPrinterCount() <= 0)
        return false;
    return SelectedPrinterName() != FPrinterName;
}

void TQorPrinterInfo::SetCopies()
{
    try {
        FCopies = std::max(DeviceCapabilities(Device, Port, DC_COPIES, nullptr, DeviceMode), 0);
    } catch (const Exception&) {
        FCopies = 0;
    }
}

void TQorPrinterInfo::FillBinList()
{
    constexpr Integer MaxBins = 256;
    FBinList.clear();
    const Integer N = DeviceCapabilities(Device, Port, DC_BINS, nullptr, DeviceMode);
    if (N <= 0)
        return;
    // Room for every bin the driver has, so that it never writes past the buffers; the first
    // 256 are taken.
    const size_t Room = size_t(std::max(N, MaxBins));
    std::vector<Word> Numbers(Room);
    std::vector<WideChar> Names(Room * CCHBINNAME);
    DeviceCapabilities(Device, Port, DC_BINS, Numbers.data(), DeviceMode);
    DeviceCapabilities(Device, Port, DC_BINNAMES, Names.data(), DeviceMode);
    for (Integer I = 0; I < std::min(N, MaxBins); ++I) {
        auto Bin = std::make_unique<TQorBinInfo>();
        Bin->binNumber = Numbers[size_t(I)];
        Bin->binName = NameFromBuffer(Names.data() + size_t(I) * CCHBINNAME, CCHBINNAME);
        FBinList.push_back(std::move(Bin));
    }
}

void TQorPrinterInfo::SetDuplex()
{
    FDuplex = DeviceCapabilities(Device, Port, DC_DUPLEX, nullptr, DeviceMode) == 1;
}

void TQorPrinterInfo::SetResolutions()
{
    FResolutions.clear();
    const Integer N = DeviceCapabilities(Device, Port, DC_ENUMRESOLUTIONS, nullptr, DeviceMode);
    if (N <= 0)
        return;
    std::vector<Integer> Pairs(size_t(N) * 2);
    DeviceCapabilities(Device, Port, DC_ENUMRESOLUTIONS, Pairs.data(), DeviceMode);
    for (size_t I = 0; I < size_t(N); ++I) {
        auto R = std::make_unique<TQorResolution>();
        R->HorzRes = Pairs[I * 2];
        R->VertRes = Pairs[I * 2 + 1];
        FResolutions.push_back(std::move(R));
    }
}

void TQorPrinterInfo::SetPapers()
{
    FPaperList.clear();
    const Integer N = DeviceCapabilities(Device, Port, DC_PAPERNAMES, nullptr, DeviceMode);
    if (N < 1)
        return;
    std::vector<WideChar> Names(size_t(N) * CCHPAPERNAME);
    std::vector<Word> Numbers(static_cast<size_t>(N));
    std::vector<Integer> Sizes(size_t(N) * 2);
    DeviceCapabilities(Device, Port, DC_PAPERNAMES, Names.data(), DeviceMode);
    DeviceCapabilities(Device, Port, DC_PAPERS, Numbers.data(), DeviceMode);
    DeviceCapabilities(Device, Port, DC_PAPERSIZE, Sizes.data(), DeviceMode);
    for (size_t I = 0; I < size_t(N); ++I) {
        auto P = std::make_unique<TQorPaper>();
        P->PaperName = NameFromBuffer(Names.data() + I * CCHPAPERNAME, CCHPAPERNAME);
        P->PaperNum = Numbers[I];
        P->PaperSize = TPoint(Sizes[I * 2], Sizes[I * 2 + 1]);
        FPaperList.push_back(std::move(P));
    }
}

TQorPaper* TQorPrinterInfo::GetPaperByNum(Integer Value) const
{
    for (const auto& P : FPaperList)
        if (P->PaperNum == Value)
            return P.get();
    return nullptr;
}

TQorPaper* TQorPrinterInfo::GetPaperByName(const String& FormName) const
{
    const String Name = AnsiUpperCase(FormName);
    for (const auto& P : FPaperList)
        if (AnsiUpperCase(P->PaperName) == Name)
            return P.get();
    return nullptr;
}

TQorPaper* TQorPrinterInfo::FindPaperByName(const String& FormName) const
{
    for (const auto& P : FPaperList)
        if (CompareStrings(FormName, P->PaperName))
            return P.get();
    return nullptr;
}

TQorBinInfo* TQorPrinterInfo::GetBinByNum(Integer BinNum) const
{
    for (const auto& B : FBinList)
        if (B->binNumber == BinNum)
            return B.get();
    return nullptr;
}

TQorBinInfo* TQorPrinterInfo::FindBinByNum(Integer BinNum) const
{
    if (TQorBinInfo* B = GetBinByNum(BinNum))
        return B;
    return FindBinByName(GetBinName(BinNum));
}

TQorBinInfo* TQorPrinterInfo::FindBinByName(const String& BinName) const
{
    for (const auto& B : FBinList)
        if (CompareStrings(BinName, B->binName))
            return B.get();
    return nullptr;
}

TQorResolution* TQorPrinterInfo::GetResolution(Integer HorzRes, Integer VertRes) const
{
    if (FResolutions.empty())
        return nullptr;
    TQorResolution* Taken = FResolutions.front().get();
    for (size_t I = 1; I < FResolutions.size(); ++I)
        if (FResolutions[I]->HorzRes >= HorzRes && FResolutions[I]->VertRes >= VertRes)
            Taken = FResolutions[I].get();
    return Taken;
}

String TQorPrinterInfo::GetPaperName(Integer Value)
{
    for (const TPaperName& P : PaperNames)
        if (P.Code == Value)
            return P.Name;
    return "Letter";
}

String TQorPrinterInfo::GetBinName(Integer Value)
{
    switch (Value) {
    case 1: return "Upper";
    case 2: return "Lower";
    case 3: return "Middle";
    case 4: return "Manual";
    case 5: return "Envelope";
    case 6: return "Envelope Manual";
    case 7: return "Auto";
    case 8: return "Tractor";
    case 9: return "Small Format";
    case 10: return "Large Format";
    case 11: return "Large Capacity";
    case 14: return "Cassette";
    case 15: return "Form Source";
    default: return "Override Bin #" + std::to_string(Value);
    }
}

bool TQorPrinterInfo::CompareStrings(const String& S1, const String& S2)
{
    // Every word must occur; an empty word (S1 empty, two blanks in a row, a blank at either
    // end) never does.
    const String Words = AnsiUpperCase(S1);
    const String Within = AnsiUpperCase(S2);
    size_t Start = 0;
    for (;;) {
        const size_t Blank = Words.find(' ', Start);
        const std::string_view Part =
            std::string_view(Words).substr(Start, Blank == String::npos ? String::npos : Blank - Start);
        if (Part.empty() || Within.find(Part) == String::npos)
            return false;
        if (Blank == String::npos)
            return true;
        Start = Blank + 1;
    }
}

// ---- TQorPrinterSettings ------------------------------------------------------------------------

void TQorPrinterSettings::Assign(const TQorPrinterSettings& Source)
{
    FPSProperties = Source.FPSProperties;
    FPrintSet = Source.FPrintSet;
    FFormName = Source.FFormName;
    FCustomPaperSize = Source.FCustomPaperSize;
}

void TQorPrinterSettings::SetPSProperty(TQorPrintSettings Index, Integer Value)
{
    if (Index >= FPSProperties.size())
        return; // the form name goes through SetFormName
    FPSProperties[Index] = Value;
    FPrintSet[Index] = true;
}

void TQorPrinterSettings::SetFormName(const String& Value)
{
    FFormName = Value;
    FPrintSet[qpsFormName] = true;
}

void TQorPrinterSettings::GetValues()
{
    TQorPrinterInfo Info;
    TDeviceModeHold Hold{Info};
    Info.GetDeviceMode(false);
    const TDeviceMode* DM = Info.DeviceMode;
    if (!DM)
        return;
    const Cardinal F = DM->dmFields;
    TQorPaper* Paper = nullptr;
    if (F & DM_ORIENTATION)
        SetPSProperty(qpsOrientation, DM->dmOrientation);
    if (F & DM_PAPERSIZE) {
        SetPSProperty(qpsPaperSize, DM->dmPaperSize);
        Paper = Info.GetPaperByNum(DM->dmPaperSize);
    }
    if (F & DM_FORMNAME) {
        FFormName = DevModeFormName(*DM);
        Paper = Info.GetPaperByName(FFormName);
    }
    const std::pair<Cardinal, std::pair<TQorPrintSettings, SmallInt>> Plain[] = {
        {DM_SCALE, {qpsScale, DM->dmScale}},
        {DM_COPIES, {qpsCopies, DM->dmCopies}},
        {DM_DEFAULTSOURCE, {qpsDefaultSource, DM->dmDefaultSource}},
        {DM_PRINTQUALITY, {qpsPrintQuality, DM->dmPrintQuality}},
        {DM_COLOR, {qpsColor, DM->dmColor}},
        {DM_DUPLEX, {qpsDuplex, DM->dmDuplex}},
        {DM_YRESOLUTION, {qpsYResolution, DM->dmYResolution}},
        {DM_TTOPTION, {qpsTTOption, DM->dmTTOption}},
        {DM_COLLATE, {qpsCollate, DM->dmCollate}},
    };
    for (const auto& [Bit, Value] : Plain)
        if (F & Bit)
            SetPSProperty(Value.first, Value.second);
    if (!Paper)
        return;
    if (Paper->PaperNum == DMPAPER_USER) {
        FCustomPaperSize = true;
        if (F & DM_PAPERLENGTH)
            SetPSProperty(qpsPaperLength, DM->dmPaperLength);
        if (F & DM_PAPERWIDTH)
            SetPSProperty(qpsPaperWidth, DM->dmPaperWidth);
    } else if (FPSProperties[qpsOrientation] == DMORIENT_PORTRAIT) {
        SetPSProperty(qpsPaperLength, Paper->PaperSize.Y);
        SetPSProperty(qpsPaperWidth, Paper->PaperSize.X);
    } else {
        SetPSProperty(qpsPaperLength, Paper->PaperSize.X);
        SetPSProperty(qpsPaperWidth, Paper->PaperSize.Y);
    }
}

namespace {

// A property's value for SetValues: this object's own when flagged, else the printer's default
// when that is flagged; nothing otherwise.
struct TAvailable {
    const TQorPrinterSettings& Own;
    const TQorPrinterSettings& Defaults;
    bool operator()(TQorPrintSettings Index, Integer& Value) const
    {
        if (Own.PrintSet(Index)) {
            Value = Own.GetPSProperty(Index);
            return true;
        }
        if (Defaults.PrintSet(Index)) {
            Value = Defaults.GetPSProperty(Index);
            return true;
        }
        return false;
    }
};

} // namespace

void TQorPrinterSettings::SetPaper(TQorPrinterInfo& Info, const TQorPrinterSettings& Defaults)
{
    if (!FPrintSet[qpsFormName] && !FPrintSet[qpsPaperSize])
        return;
    const TAvailable Available{*this, Defaults};
    TDeviceMode* DM = Info.DeviceMode;
    String Name;
    TQorPaper* Paper = nullptr;
    if (FPrintSet[qpsFormName]) {
        Name = FFormName;
        if (!Name.empty())
            Paper = Info.GetPaperByName(Name);
    } else
        Name = Defaults.FormName();
    Integer Size = 0;
    const bool HaveSize = Available(qpsPaperSize, Size);
    if (!Paper && HaveSize)
        Paper = Info.GetPaperByNum(Size);
    if (!Paper && HaveSize)
        Paper = Info.FindPaperByName(TQorPrinterInfo::GetPaperName(Size));
    if (!Paper && !Name.empty())
        Paper = Info.GetPaperByName(Name);
    // The explicit length and width go too: left behind they would still size the sheet.
    DM->dmFields &= ~(DM_PAPERSIZE | DM_FORMNAME | DM_PAPERLENGTH | DM_PAPERWIDTH);
    if (!Paper)
        return;
    if (FPrintSet[qpsFormName] && QorWinVersion() == qwvWinNT) {
        DM->dmFields |= DM_FORMNAME;
        SetDevModeFormName(*DM, Paper->PaperName);
    }
    DM->dmFields |= DM_PAPERSIZE;
    DM->dmPaperSize = static_cast<SmallInt>(Paper->PaperNum);
    if (Paper->PaperNum == DMPAPER_USER || FCustomPaperSize) {
        Integer V = 0;
        if (Available(qpsPaperLength, V)) {
            DM->dmFields |= DM_PAPERLENGTH;
            DM->dmPaperLength = static_cast<SmallInt>(V);
        }
        if (Available(qpsPaperWidth, V)) {
            DM->dmFields |= DM_PAPERWIDTH;
            DM->dmPaperWidth = static_cast<SmallInt>(V);
        }
    }
}

void TQorPrinterSettings::SetValues(bool Reset)
{
    TQorPrinterInfo Info;
    TDeviceModeHold Hold{Info};
    Info.GetDeviceMode(Reset);
    if (TDeviceMode* DM = Info.DeviceMode) {
        const TAvailable Available{*this, *Info.PrinterSettings()};
        const auto Put = [DM](Cardinal Bit, SmallInt& Field, Integer Value) {
            DM->dmFields |= Bit;
            Field = static_cast<SmallInt>(Value);
        };
        Integer V = 0;
        if (Available(qpsOrientation, V) && (V == DMORIENT_PORTRAIT || V == DMORIENT_LANDSCAPE))
            Put(DM_ORIENTATION, DM->dmOrientation, V);
        SetPaper(Info, *Info.PrinterSettings());
        if (Available(qpsScale, V))
            Put(DM_SCALE, DM->dmScale, V);
        if (Available(qpsCopies, V))
            Put(DM_COPIES, DM->dmCopies, V);
        if (Available(qpsDefaultSource, V))
            if (const TQorBinInfo* Bin = Info.FindBinByNum(V))
                Put(DM_DEFAULTSOURCE, DM->dmDefaultSource, Bin->binNumber);
        if (Available(qpsPrintQuality, V) && V >= DMRES_HIGH && V <= DMRES_DRAFT)
            Put(DM_PRINTQUALITY, DM->dmPrintQuality, V);
        if (Available(qpsColor, V) && (V == DMCOLOR_MONOCHROME || V == DMCOLOR_COLOR))
            Put(DM_COLOR, DM->dmColor, V);
        if (Available(qpsDuplex, V))
            Put(DM_DUPLEX, DM->dmDuplex, V);
        if (Available(qpsTTOption, V) && Info.TrueType() > 0)
            Put(DM_TTOPTION, DM->dmTTOption, V);
        if (Available(qpsCollate, V))
            Put(DM_COLLATE, DM->dmCollate, V);
    }
    TPrinter* P = Printer();
    if (P->Printing() && Info.DeviceMode) {
        // A running job takes the edited record for its next page.
        HDC DC = P->Handle();
        HGDIOBJ OldPen = SelectObject(DC, GetStockObject(BLACK_PEN));
        HGDIOBJ OldBrush = SelectObject(DC, GetStockObject(NULL_BRUSH));
        HGDIOBJ OldFont = SelectObject(DC, GetStockObject(SYSTEM_FONT));
        ResetDC(DC, Info.DeviceMode);
        SelectObject(DC, OldPen);
        SelectObject(DC, OldBrush);
        SelectObject(DC, OldFont);
    }
}

// ---- printer helpers ----------------------------------------------------------------------------

void QorResetPrinter()
{
    TPrinter* P = Printer();
    if (P->Printers()->Count() == 0 || P->Printing())
        return;
    const Integer Noted = P->PrinterIndex();
    try {
        P->SetPrinterIndex(-1);
    } catch (const Exception&) {
        P->SetPrinterIndex(Noted);
    }
    P->SetPrinterIndex(Noted);
    String Device, Driver, Port;
    HDEVMODE Current;
    P->GetPrinter(Device, Driver, Port, Current);
    P->SetPrinter(Device, Driver, Port, HDEVMODE());
}

TQorWinVersion QorWinVersion()
{
    return qwvWinNT;
}

Integer QorGetPrinterCount()
{
    return Printer()->Printers()->Count();
}

} // namespace qor
