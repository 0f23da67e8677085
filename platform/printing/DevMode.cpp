#include "platform/printing/DevMode.h"

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qor {

namespace {

struct TStandardPaper {
    Integer Code;
    Integer Width;  // tenths of a millimetre
    Integer Length; // tenths of a millimetre
    const char* Name;
};

// The portrait sheet of every standard paper code (inch sizes converted at 254 tenths of a
// millimetre per inch, halves up).
const TStandardPaper StandardPapers[] = {
    {1, 2159, 2794, "Letter"},
    {2, 2159, 2794, "Letter Small"},
    {3, 2794, 4318, "Tabloid"},
    {4, 4318, 2794, "Ledger"},
    {5, 2159, 3556, "Legal"},
    {6, 1397, 2159, "Statement"},
    {7, 1842, 2667, "Executive"},
    {8, 2970, 4200, "A3"},
    {9, 2100, 2970, "A4"},
    {10, 2100, 2970, "A4 Small"},
    {11, 1480, 2100, "A5"},
    {12, 2500, 3540, "B4 (JIS)"},
    {13, 1820, 2570, "B5 (JIS)"},
    {14, 2159, 3302, "Folio"},
    {15, 2150, 2750, "Quarto"},
    {16, 2540, 3556, "10x14"},
    {17, 2794, 4318, "11x17"},
    {18, 2159, 2794, "Note"},
    {19, 984, 2254, "Envelope #9"},
    {20, 1048, 2413, "Envelope #10"},
    {21, 1143, 2635, "Envelope #11"},
    {22, 1207, 2794, "Envelope #12"},
    {23, 1270, 2921, "Envelope #14"},
    {24, 4318, 5588, "C size sheet"},
    {25, 5588, 8636, "D size sheet"},
    {26, 8636, 11176, "E size sheet"},
    {27, 1100, 2200, "Envelope DL"},
    {28, 1620, 2290, "Envelope C5"},
    {29, 3240, 4580, "Envelope C3"},
    {30, 2290, 3240, "Envelope C4"},
    {31, 1140, 1620, "Envelope C6"},
    {32, 1140, 2290, "Envelope C65"},
    {33, 2500, 3530, "Envelope B4"},
    {34, 1760, 2500, "Envelope B5"},
    {35, 1760, 1250, "Envelope B6"},
    {36, 1100, 2300, "Envelope Italy"},
    {37, 984, 1905, "Envelope Monarch"},
    {38, 921, 1651, "6 3/4 Envelope"},
    {39, 3778, 2794, "US Std Fanfold"},
    {40, 2159, 3048, "German Std Fanfold"},
    {41, 2159, 3302, "German Legal Fanfold"},
    {42, 2500, 3530, "B4 (ISO)"},
    {43, 1000, 1480, "Japanese Postcard"},
    {44, 2286, 2794, "9x11"},
    {45, 2540, 2794, "10x11"},
    {46, 3810, 2794, "15x11"},
    {47, 2200, 2200, "Envelope Invite"},
    {50, 2413, 3048, "Letter Extra"},
    {51, 2413, 3810, "Legal Extra"},
    {52, 2969, 4572, "Tabloid Extra"},
    {53, 2355, 3223, "A4 Extra"},
    {54, 2159, 2794, "Letter Transverse"},
    {55, 2100, 2970, "A4 Transverse"},
    {56, 2413, 3048, "Letter Extra Transverse"},
    {57, 2270, 3560, "Super A"},
    {58, 3050, 4870, "Super B"},
    {59, 2159, 3223, "Letter Plus"},
    {60, 2100, 3300, "A4 Plus"},
    {61, 1480, 2100, "A5 Transverse"},
    {62, 1820, 2570, "B5 (JIS) Transverse"},
    {63, 3220, 4450, "A3 Extra"},
    {64, 1740, 2350, "A5 Extra"},
    {65, 2010, 2760, "B5 (ISO) Extra"},
    {66, 4200, 5940, "A2"},
    {67, 2970, 4200, "A3 Transverse"},
    {68, 3220, 4450, "A3 Extra Transverse"},
    {69, 2000, 1480, "Double Japanese Postcard"},
    {70, 1050, 1480, "A6"},
    {75, 2794, 2159, "Letter Rotated"},
    {76, 4200, 2970, "A3 Rotated"},
    {77, 2970, 2100, "A4 Rotated"},
    {78, 2100, 1480, "A5 Rotated"},
    {79, 3640, 2570, "B4 (JIS) Rotated"},
    {80, 2570, 1820, "B5 (JIS) Rotated"},
    {81, 1480, 1000, "Japanese Postcard Rotated"},
    {82, 1480, 2000, "Double Japanese Postcard Rotated"},
    {83, 1480, 1050, "A6 Rotated"},
    {88, 1280, 1820, "B6 (JIS)"},
    {89, 1820, 1280, "B6 (JIS) Rotated"},
    {90, 3048, 2794, "12x11"},
    {93, 1460, 2150, "PRC 16K"},
    {94, 970, 1510, "PRC 32K"},
    {95, 970, 1510, "PRC 32K(Big)"},
    {96, 1020, 1650, "PRC Envelope #1"},
    {97, 1020, 1760, "PRC Envelope #2"},
    {98, 1250, 1760, "PRC Envelope #3"},
    {99, 1100, 2080, "PRC Envelope #4"},
    {100, 1100, 2200, "PRC Envelope #5"},
    {101, 1200, 2300, "PRC Envelope #6"},
    {102, 1600, 2300, "PRC Envelope #7"},
    {103, 1200, 3090, "PRC Envelope #8"},
    {104, 2290, 3240, "PRC Envelope #9"},
    {105, 3240, 4580, "PRC Envelope #10"},
    {109, 1650, 1020, "PRC Envelope #1 Rotated"},
    {110, 1760, 1020, "PRC Envelope #2 Rotated"},
    {111, 1760, 1250, "PRC Envelope #3 Rotated"},
    {112, 2080, 1100, "PRC Envelope #4 Rotated"},
    {113, 2200, 1100, "PRC Envelope #5 Rotated"},
    {114, 2300, 1200, "PRC Envelope #6 Rotated"},
    {115, 2300, 1600, "PRC Envelope #7 Rotated"},
    {116, 3090, 1200, "PRC Envelope #8 Rotated"},
    {117, 3240, 2290, "PRC Envelope #9 Rotated"},
    {118, 4580, 3240, "PRC Envelope #10 Rotated"},
    {256, 0, 0, "Custom"},
};

const TStandardPaper* FindPaper(Integer Code)
{
    for (const auto& P : StandardPapers)
        if (P.Code == Code)
            return &P;
    return nullptr;
}

String NameFromBuffer(const WideChar* Buffer, int Capacity)
{
    int N = 0;
    while (N < Capacity && Buffer[N] != 0)
        ++N;
    return QString::fromUtf16(Buffer, N).toStdString();
}

void NameToBuffer(WideChar* Buffer, int Capacity, const String& Name)
{
    const QString Q = QString::fromStdString(Name);
    int N = std::min<int>(Q.size(), Capacity - 1);
    if (N > 0 && Q.at(N - 1).isHighSurrogate())
        --N;
    std::fill(Buffer, Buffer + Capacity, WideChar(0));
    for (int I = 0; I < N; ++I)
        Buffer[I] = static_cast<WideChar>(Q.at(I).unicode());
}

} // namespace

TDeviceMode::TDeviceMode()
{
    dmSize = 220;
}

String DevModeDeviceName(const TDeviceMode& DevMode)
{
    return NameFromBuffer(DevMode.dmDeviceName, CCHDEVICENAME);
}

String DevModeFormName(const TDeviceMode& DevMode)
{
    return NameFromBuffer(DevMode.dmFormName, CCHFORMNAME);
}

void SetDevModeDeviceName(TDeviceMode& DevMode, const String& Name)
{
    NameToBuffer(DevMode.dmDeviceName, CCHDEVICENAME, Name);
}

void SetDevModeFormName(TDeviceMode& DevMode, const String& Name)
{
    NameToBuffer(DevMode.dmFormName, CCHFORMNAME, Name);
}

HDEVMODE HDEVMODE::Create(const TDeviceMode& Initial)
{
    HDEVMODE H;
    H.FBlock = std::make_shared<Block>();
    H.FBlock->DevMode = Initial;
    return H;
}

PDeviceMode GlobalLock(const HDEVMODE& Handle)
{
    auto* B = Handle.block();
    if (!B)
        return nullptr;
    ++B->LockCount;
    return &B->DevMode;
}

bool GlobalUnlock(const HDEVMODE& Handle)
{
    auto* B = Handle.block();
    if (!B || B->LockCount == 0)
        return false;
    --B->LockCount;
    return true;
}

void GlobalFree(HDEVMODE& Handle)
{
    Handle = HDEVMODE();
}

bool IsStandardPaperCode(Integer Code)
{
    return FindPaper(Code) != nullptr;
}

std::optional<TPaperSizeTenthsMM> StandardPaperSize(Integer Code)
{
    const auto* P = FindPaper(Code);
    if (!P)
        return std::nullopt;
    return TPaperSizeTenthsMM{P->Width, P->Length};
}

String StandardPaperDisplayName(Integer Code)
{
    const auto* P = FindPaper(Code);
    return P ? String(P->Name) : String();
}

Integer FindStandardPaper(Integer Width, Integer Length, Integer Tolerance)
{
    auto Near = [Tolerance](Integer A, Integer B) { return std::abs(A - B) <= Tolerance; };
    for (const auto& P : StandardPapers)
        if (P.Code != DMPAPER_USER && Near(P.Width, Width) && Near(P.Length, Length))
            return P.Code;
    for (const auto& P : StandardPapers)
        if (P.Code != DMPAPER_USER && Near(P.Width, Length) && Near(P.Length, Width))
            return P.Code;
    return 0;
}

String StandardBinDisplayName(Integer Code)
{
    switch (Code) {
    case DMBIN_UPPER: return "Upper";
    case DMBIN_LOWER: return "Lower";
    case DMBIN_MIDDLE: return "Middle";
    case DMBIN_MANUAL: return "Manual";
    case DMBIN_ENVELOPE: return "Envelope";
    case DMBIN_ENVMANUAL: return "Envelope Manual";
    case DMBIN_AUTO: return "Automatically Select";
    case DMBIN_TRACTOR: return "Tractor";
    case DMBIN_SMALLFMT: return "Small Format";
    case DMBIN_LARGEFMT: return "Large Format";
    case DMBIN_LARGECAPACITY: return "Large Capacity";
    case DMBIN_CASSETTE: return "Cassette";
    case DMBIN_FORMSOURCE: return "Form Source";
    default: return String();
    }
}

TPaperSizeTenthsMM DevModeSheet(const TDeviceMode& DevMode, TPaperSizeTenthsMM Fallback)
{
    TPaperSizeTenthsMM Sheet = Fallback;
    if (DevMode.dmFields & DM_PAPERSIZE) {
        if (auto S = StandardPaperSize(DevMode.dmPaperSize); S && S->Width > 0 && S->Length > 0)
            Sheet = *S;
    }
    // An explicit length and width override the paper code, as they do on the spooler.
    if ((DevMode.dmFields & DM_PAPERWIDTH) && DevMode.dmPaperWidth > 0)
        Sheet.Width = DevMode.dmPaperWidth;
    if ((DevMode.dmFields & DM_PAPERLENGTH) && DevMode.dmPaperLength > 0)
        Sheet.Length = DevMode.dmPaperLength;
    if ((DevMode.dmFields & DM_ORIENTATION) && DevMode.dmOrientation == DMORIENT_LANDSCAPE)
        std::swap(Sheet.Width, Sheet.Length);
    return Sheet;
}

} // namespace qor
