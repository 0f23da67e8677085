#include "runtime/engine/PSetup.h"

#include "platform/printing/DevMode.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Filer.h"
#include "runtime/output/QorSetup.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qor {

QOR_PUBLISH(TKivPreviewSettings)
{
    using S = TKivPreviewSettings;
    b.Property("ModalPreview", &S::ModalPreview, &S::SetModalPreview).Default(mpDefault);
    b.Property("PreviewOwner", &S::PreviewOwner, &S::SetPreviewOwner).Default(TKivPreviewOwner::poDefault);
    b.Property("FormStyle", &S::FormStyle, &S::SetFormStyle).Default(pfsDefault);
    b.Property("WindowState", &S::WindowState, &S::SetWindowState).Default(wsMaximized);
    b.Property("Zoom", &S::Zoom, &S::SetZoom).Default(qz100);
}

QOR_PUBLISH(TKivPageSetup)
{
    using P = TKivPageSetup;
    b.Property("Orientation", &P::Orientation, &P::SetOrientation).Default(poUseCurrent);
    b.Property("Size", &P::Size, &P::SetSize).Default(psUseCurrent);
    b.Property("Source", &P::Source, &P::SetSource).Default(ppsUseCurrent);
    b.Property("SourceNum", &P::SourceNum, &P::SetSourceNum).Default(0);
    b.Property("Duplex", &P::Duplex, &P::SetDuplex).Default(pdUseCurrent);
    b.Property("Copies", &P::Copies, &P::SetCopies).Default(1);
    b.Property("Height", &P::Height, &P::SetHeight).NoDefault();
    b.Property("Width", &P::Width, &P::SetWidth).NoDefault();
    b.Property("PrintQuality", &P::PrintQuality, &P::SetPrintQuality).Default(pqUseCurrent);
    b.Property("TrueTypeOption", &P::TrueTypeOption, &P::SetTrueTypeOption).Default(ttUseCurrent);
    // The margins are stored by DefineProperties.
    b.Property("LeftMargin", &P::LeftMargin, &P::SetLeftMargin).Stored(false);
    b.Property("RightMargin", &P::RightMargin, &P::SetRightMargin).Stored(false);
    b.Property("TopMargin", &P::TopMargin, &P::SetTopMargin).Stored(false);
    b.Property("BottomMargin", &P::BottomMargin, &P::SetBottomMargin).Stored(false);
    b.Property("Color", &P::Color, &P::SetColor).Default(true);
    b.Property("Units", &P::Units, &P::SetUnits).Default(unitInches);
    b.Property("RangeStart", &P::RangeStart, &P::SetRangeStart).Default(0);
    b.Property("RangeEnd", &P::RangeEnd, &P::SetRangeEnd).Default(0);
    b.Property("Destination", &P::Destination, &P::SetDestination).Default(destScreen);
    b.Property("AdjustMargin", &P::AdjustMargin, &P::SetAdjustMargin).Default(true);
    b.SubObject("PreviewSettings", &P::PreviewSettings);
    b.Property("TextDriverCompatibility", &P::TextDriverCompatibility, &P::SetTextDriverCompatibility).Default(false);
    b.Property("DirectPrinter", &P::DirectPrinter, &P::SetDirectPrinter).Default(false);
    b.Property("CollatedCopies", &P::CollatedCopies, &P::SetCollatedCopies).Default(true);
    b.Property("FormName", &P::FormName, &P::SetFormName).Default("");
}

// ---- maps between the enumerations and the printer's codes -----------------------------------------

namespace {

constexpr Double DefaultMargin = 0.5;

// The printer's paper codes of the sizes in declaration order; 0 for the two that have none.
constexpr std::array<SmallInt, psPENV_10_ROTATED + 1> PaperCodes = [] {
    std::array<SmallInt, psPENV_10_ROTATED + 1> Codes{};
    // psLetter .. psESheet, in the order of the enumeration
    constexpr SmallInt First[] = {
        DMPAPER_LETTER,      DMPAPER_EXECUTIVE, DMPAPER_LEGAL,  DMPAPER_A4,        0,
        DMPAPER_LETTERSMALL, DMPAPER_TABLOID,   DMPAPER_LEDGER, DMPAPER_STATEMENT, DMPAPER_A3,
        DMPAPER_A4SMALL,     DMPAPER_A5,        DMPAPER_B4,     DMPAPER_B5,        DMPAPER_FOLIO,
        DMPAPER_QUARTO,      DMPAPER_10X14,     DMPAPER_11X17,  DMPAPER_NOTE,      DMPAPER_ENV_9,
        DMPAPER_ENV_10,      DMPAPER_ENV_11,    DMPAPER_ENV_12, DMPAPER_ENV_14,    DMPAPER_CSHEET,
        DMPAPER_DSHEET,      DMPAPER_ESHEET};
    for (size_t I = 0; I < std::size(First); ++I)
        Codes[I] = First[I];
    // psENV_DL onwards: the codes from 27 up, without those no size stands for.
    SmallInt Code = DMPAPER_ENV_DL;
    for (int I = psENV_DL; I <= psPENV_10_ROTATED; ++I) {
        while (Code == 48 || Code == 49 || (Code >= 71 && Code <= 74) || (Code >= 84 && Code <= 87) || Code == 91 ||
               Code == 92 || (Code >= 106 && Code <= 108))
            ++Code;
        Codes[I] = Code++;
    }
    return Codes;
}();
static_assert(PaperCodes[psPENV_10_ROTATED] == 118);
static_assert(PaperCodes[psA6] == 70 && PaperCodes[psLETTER_ROTATED] == 75 && PaperCodes[psP16K] == 93);

// The sheets SetSize knows, as they lie in portrait; the others keep the page's width and height.
struct TSheet {
    TKivPaperSize Size;
    Double Width, Height;
    bool Metric; // millimetres, else inches
};
constexpr TSheet Sheets[] = {
    {psLetter, 8.5, 11, false},     {psExecutive, 7.25, 10.5, false}, {psLegal, 8.5, 14, false},
    {psA4, 210, 297, true},         {psLetterSmall, 8.5, 11, false},  {psTabloid, 11, 17, false},
    {psLedger, 17, 11, false},      {psStatement, 5.5, 8.5, false},   {psA3, 297, 420, true},
    {psA4Small, 210, 297, true},    {psA5, 148, 210, true},           {psB4, 250, 354, true},
    {psB5, 182, 257, true},         {psFolio, 8.5, 13, false},        {psQuarto, 215, 275, true},
    {ps10x14, 10, 14, false},       {ps11x17, 11, 17, false},         {psNote, 8.5, 11, false},
    {psEnv_9, 3.875, 8.875, false}, {psEnv_10, 4.125, 9.5, false},    {psEnv_11, 4.5, 10.375, false},
    {psEnv_12, 4.75, 11, false},    {psEnv_14, 5, 11.5, false},       {psCSheet, 17, 22, false},
    {psDSheet, 22, 34, false},      {psESheet, 34, 44, false},
};

// Bin codes of the sources psUpper .. psLargeFmt.
constexpr SmallInt BinCodes[] = {DMBIN_UPPER,    DMBIN_LOWER,         DMBIN_AUTO,     DMBIN_MANUAL,
                                 DMBIN_ENVELOPE, DMBIN_ENVMANUAL,     DMBIN_CASSETTE, DMBIN_MIDDLE,
                                 DMBIN_SMALLFMT, DMBIN_LARGECAPACITY, DMBIN_TRACTOR,  DMBIN_LARGEFMT};

Integer OrientationCode(TKivPaperOrientation O) { return O == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT; }

Integer DuplexCode(TKivPaperDuplex D)
{
    switch (D) {
    case pdDuplexLongEdge: return DMDUP_VERTICAL;
    case pdDuplexShortEdge: return DMDUP_HORIZONTAL;
    default: return DMDUP_SIMPLEX;
    }
}

TKivPaperDuplex DuplexOfCode(Integer Code)
{
    return Code == DMDUP_VERTICAL ? pdDuplexLongEdge : Code == DMDUP_HORIZONTAL ? pdDuplexShortEdge : pdSimplex;
}

Integer QualityCode(TKivPrintQuality Q)
{
    switch (Q) {
    case pqMedium: return DMRES_MEDIUM;
    case pqLow: return DMRES_LOW;
    case pqDraft: return DMRES_DRAFT;
    case pqCustom: return 0;
    default: return DMRES_HIGH;
    }
}

TKivPrintQuality QualityOfCode(Integer Code)
{
    switch (Code) {
    case DMRES_HIGH: return pqHigh;
    case DMRES_MEDIUM: return pqMedium;
    case DMRES_LOW: return pqLow;
    case DMRES_DRAFT: return pqDraft;
    default: return pqCustom;
    }
}

Integer TrueTypeCode(TKivTrueTypeOption T)
{
    switch (T) {
    case ttBitmap: return DMTT_BITMAP;
    case ttSubDev: return DMTT_SUBDEV;
    case ttDownLoadOutline: return DMTT_DOWNLOAD_OUTLINE;
    default: return DMTT_DOWNLOAD;
    }
}

TKivTrueTypeOption TrueTypeOfCode(Integer Code)
{
    switch (Code) {
    case DMTT_BITMAP: return ttBitmap;
    case DMTT_SUBDEV: return ttSubDev;
    case DMTT_DOWNLOAD_OUTLINE: return ttDownLoadOutline;
    default: return ttDownLoad;
    }
}

} // namespace

Integer KivPaperSizeCode(TKivPaperSize Size)
{
    if (Size == psCustom)
        return DMPAPER_USER;
    if (Size == psUseCurrent || Size > psPENV_10_ROTATED)
        return DMPAPER_LETTER;
    return PaperCodes[Size];
}

TKivPaperSize KivPaperSizeOfCode(Integer Code)
{
    if (Code == DMPAPER_USER)
        return psCustom;
    for (size_t I = 0; I < PaperCodes.size(); ++I)
        if (PaperCodes[I] != 0 && PaperCodes[I] == Code)
            return static_cast<TKivPaperSize>(I);
    return psUseCurrent;
}

namespace {

// The bin of Source; psOverride feeds from bin SourceNum when that is above 0.
Integer BinOfSource(TKivPaperSource Source, Integer SourceNum)
{
    if (Source == psOverride)
        return SourceNum > 0 ? SourceNum : DMBIN_AUTO;
    if (Source < std::size(BinCodes))
        return BinCodes[Source];
    return DMBIN_AUTO;
}

// The source of Bin; a bin of the printer's own goes into SourceNum (a standard one leaves it).
TKivPaperSource SourceOfBin(Integer Bin, Integer& SourceNum)
{
    if (Bin <= 0)
        return ppsUseCurrent;
    for (size_t I = 0; I < std::size(BinCodes); ++I)
        if (BinCodes[I] == Bin)
            return static_cast<TKivPaperSource>(I);
    SourceNum = Bin;
    return psOverride;
}

} // namespace

Integer SourceDtoW(TKivPaperSource Source) { return BinOfSource(Source, 0); }

TKivPaperSource SourceWtoD(Integer Bin)
{
    Integer Unused = 0;
    return SourceOfBin(Bin, Unused);
}

// ---- TKivPreviewSettings ----------------------------------------------------------------------------

void TKivPreviewSettings::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TKivPreviewSettings*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    FModalPreview = S->FModalPreview;
    FPreviewOwner = S->FPreviewOwner;
    FFormStyle = S->FFormStyle;
    FWindowState = S->FWindowState;
    FZoom = S->FZoom;
}

// ---- TKivPageSetup ----------------------------------------------------------------------------------

TKivPageSetup::TKivPageSetup()
    : FUM(std::make_unique<TKivUnitMaster>()), FPreviewSettings(std::make_unique<TKivPreviewSettings>()),
      FQorPrinterSetup(std::make_unique<TQorPrinterSetup>())
{
    FQorPrinterSetup->GetData();
}

TKivPageSetup::~TKivPageSetup() = default;

void TKivPageSetup::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TKivPageSetup*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    if (S == this)
        return;
    SetQorPrinterSetup(*S->FQorPrinterSetup);
    // Fields, not setters: a setter would convert or recompute what is copied next.
    FOrientation = S->FOrientation;
    FSize = S->FSize;
    FSource = S->FSource;
    FSourceNum = S->FSourceNum; // the bin psOverride sends
    FCopies = S->FCopies;
    FDuplex = S->FDuplex;
    FHeight = S->FHeight;
    FWidth = S->FWidth;
    FPrintQuality = S->FPrintQuality;
    FColor = S->FColor;
    FPixelsPerUnit = S->FPixelsPerUnit;
    FLeftMargin = S->FLeftMargin;
    FTopMargin = S->FTopMargin;
    FBottomMargin = S->FBottomMargin;
    FRightMargin = S->FRightMargin;
    FUnits = S->FUnits;
    FRangeStart = S->FRangeStart;
    FRangeEnd = S->FRangeEnd;
    FDestination = S->FDestination;
    FCollatedCopies = S->FCollatedCopies;
    FDirectPrinter = S->FDirectPrinter;
    FFormName = S->FFormName;
    FPreviewSettings->Assign(S->FPreviewSettings.get());
    FPage = S->FPage;
    // The print-area margins were read in the units this setup had before.
    ReadMarginsFromQPS();
    PageRefresh();
}

void TKivPageSetup::DefineMargin(TFiler& Filer, const char* Name, Double& Field)
{
    Filer.DefineProperty(
        Name, [&Field](TReader& R) { Field = R.ReadFloat(); }, [&Field](TWriter& W) { W.WriteFloat(Field); },
        Field != DefaultMargin);
}

void TKivPageSetup::DefineProperties(TFiler& Filer)
{
    TPersistent::DefineProperties(Filer);
    DefineMargin(Filer, "LeftMargin", FLeftMargin);
    DefineMargin(Filer, "RightMargin", FRightMargin);
    DefineMargin(Filer, "TopMargin", FTopMargin);
    DefineMargin(Filer, "BottomMargin", FBottomMargin);
    // Older designs stored the resolution; it is taken from the printer now.
    Filer.DefineProperty(
        "PixelsPerUnit", [](TReader& R) { R.ReadFloat(); }, [](TWriter&) {}, false);
}

void TKivPageSetup::LoadSettings()
{
    WriteToQPS();
    FQorPrinterSetup->SetData();
}

void TKivPageSetup::CopySettings()
{
    FQorPrinterSetup->GetData();
    ReadFromQPS();
}

void TKivPageSetup::SetQorPrinterSetup(const TQorPrinterSetup& Ps)
{
    FQorPrinterSetup->Assign(Ps);
    ReadFromQPS();
}

void TKivPageSetup::GetQorPrinterSetup(TQorPrinterSetup& Ps) const { Ps.Assign(*FQorPrinterSetup); }

bool TKivPageSetup::AnyPrinters() const { return FQorPrinterSetup->PrinterCount() > 0; }

Integer TKivPageSetup::GetPixelsPerInch() const
{
    return static_cast<Integer>(Round(FPixelsPerUnit * FUM->InTo(FUnits, 1.0)));
}

bool TKivPageSetup::PageReading() const
{
    return FPage && (FPage->ComponentState().Contains(csReading) || FPage->ComponentState().Contains(csLoading));
}

void TKivPageSetup::PageRefresh()
{
    if (!FPage || !FPage->ComponentState().Contains(csDesigning) || FPage->ComponentState().Contains(csLoading))
        return;
    if (auto* Host = dynamic_cast<IKivPageSetupHost*>(FPage))
        Host->PageSetupChanged();
}

// ---- setters ------------------------------------------------------------------------------------------

void TKivPageSetup::SetOrientation(TKivPaperOrientation Value)
{
    if (Value == FOrientation)
        return;
    if (FSize != psCustom) {
        FHeight = FUM->InTo(FUnits, FQorPrinterSetup->Length());
        FWidth = FUM->InTo(FUnits, FQorPrinterSetup->Width());
        const TKivPaperOrientation PrinterOrientation = FQorPrinterSetup->Orientation() == DMORIENT_LANDSCAPE
                                                            ? poLandscape
                                                            : poPortrait;
        if (Value != poUseCurrent && Value != PrinterOrientation)
            std::swap(FWidth, FHeight);
    }
    FOrientation = Value;
    PageRefresh();
}

void TKivPageSetup::SetSize(TKivPaperSize Value)
{
    if (Value == FSize)
        return;
    FSize = Value;
    FSheetFromSize = TakeSheetSize() && PageReading();
    PageRefresh();
}

bool TKivPageSetup::TakeSheetSize()
{
    const auto It = std::find_if(std::begin(Sheets), std::end(Sheets),
                                 [&](const TSheet& S) { return S.Size == FSize; });
    if (It == std::end(Sheets))
        return false;
    FWidth = It->Metric ? FUM->MMTo(FUnits, It->Width) : FUM->InTo(FUnits, It->Width);
    FHeight = It->Metric ? FUM->MMTo(FUnits, It->Height) : FUM->InTo(FUnits, It->Height);
    if (FOrientation == poLandscape)
        std::swap(FWidth, FHeight);
    return true;
}

void TKivPageSetup::SetSource(TKivPaperSource Value)
{
    if (Value == FSource)
        return;
    FSource = Value;
    PageRefresh();
}

void TKivPageSetup::SetDuplex(TKivPaperDuplex Value)
{
    if (Value == FDuplex)
        return;
    FDuplex = Value;
    PageRefresh();
}

void TKivPageSetup::SetCopies(Integer Value)
{
    if (Value < 0 || Value > KivMaxCopies)
        throw EConvertError("The number of copies must be between 0 and " + std::to_string(KivMaxCopies) + ", not " +
                            std::to_string(Value));
    if (Value == FCopies)
        return;
    FCopies = static_cast<TKivPaperCopies>(Value);
    PageRefresh();
}

void TKivPageSetup::ChangeLength(Double& Field, Double Value)
{
    if (Value == Field)
        return;
    Field = Value;
    PageRefresh();
}

void TKivPageSetup::SetHeight(Double Value)
{
    FSheetFromSize = false;
    ChangeLength(FHeight, Value);
}
void TKivPageSetup::SetWidth(Double Value)
{
    FSheetFromSize = false;
    ChangeLength(FWidth, Value);
}
void TKivPageSetup::SetPixelsPerUnit(Double Value) { ChangeLength(FPixelsPerUnit, Value); }
void TKivPageSetup::SetLeftMargin(Double Value) { ChangeLength(FLeftMargin, Value); }
void TKivPageSetup::SetTopMargin(Double Value) { ChangeLength(FTopMargin, Value); }
void TKivPageSetup::SetBottomMargin(Double Value) { ChangeLength(FBottomMargin, Value); }
void TKivPageSetup::SetRightMargin(Double Value) { ChangeLength(FRightMargin, Value); }

void TKivPageSetup::SetPrintQuality(TKivPrintQuality Value)
{
    if (Value == FPrintQuality)
        return;
    FPrintQuality = Value;
    PageRefresh();
}

void TKivPageSetup::SetTrueTypeOption(TKivTrueTypeOption Value) { FTrueTypeOption = Value; }
void TKivPageSetup::SetColor(bool Value) { FColor = Value; }

void TKivPageSetup::SetUnits(TKivUnits Value)
{
    if (Value == FUnits)
        return;
    if (!PageReading()) {
        // Stored values are already in the stored units; anything else is converted.
        const TKivUnits Old = FUnits;
        const auto Convert = [&](Double X) {
            switch (Old) {
            case unitMiliMeters: return FUM->MMTo(Value, X);
            case unitCentiMeters: return FUM->CMTo(Value, X);
            default: return FUM->InTo(Value, X);
            }
        };
        for (Double* Length : {&FWidth, &FHeight, &FLeftMargin, &FTopMargin, &FBottomMargin, &FRightMargin, &FLeftPrint,
                               &FTopPrint, &FBottomPrint, &FRightPrint})
            *Length = Convert(*Length);
        // Pixels per unit: one new unit is this many old ones.
        const Double OneNew = Old == unitMiliMeters    ? FUM->ToMM(Value, 1.0)
                              : Old == unitCentiMeters ? FUM->ToCM(Value, 1.0)
                                                       : FUM->ToIn(Value, 1.0);
        FPixelsPerUnit *= OneNew;
    }
    FUnits = Value;
    // A form that names its sheet but not its size, with units read after the sheet: the sheet's
    // size is taken again in the units read.
    if (PageReading() && FSheetFromSize)
        TakeSheetSize();
    PageRefresh();
}

// ---- page setup to printer setup and back -----------------------------------------------------------

void TKivPageSetup::WritePaperToQPS()
{
    TQorPrinterSetup& Ps = *FQorPrinterSetup;
    Ps.SetPaperSize(KivPaperSizeCode(FSize));
    const Double WidthIn = FUM->ToIn(FUnits, FWidth);
    const Double HeightIn = FUM->ToIn(FUnits, FHeight);
    if (FSize == psCustom) {
        // The printer takes the sheet as it lies in portrait and turns it for landscape; the page's
        // width and height are as the page lies.
        if (Ps.Orientation() == DMORIENT_LANDSCAPE) {
            Ps.SetLength(WidthIn);
            Ps.SetWidth(HeightIn);
        } else {
            Ps.SetLength(HeightIn);
            Ps.SetWidth(WidthIn);
        }
    } else if (!AnyPrinters()) {
        // Twice, so the values are marked as chosen even when they equal the stored ones.
        Ps.SetLength(1.0);
        Ps.SetWidth(1.0);
        Ps.SetLength(HeightIn);
        Ps.SetWidth(WidthIn);
    }
}

void TKivPageSetup::TakeCurrentOptions()
{
    TQorPrinterSetup& Ps = *FQorPrinterSetup;
    TQorPrinterSetup Now;
    Now.GetData();
    if (FOrientation == poUseCurrent)
        Ps.SetOrientation(Now.Orientation());
    if (FSize == psUseCurrent) {
        Ps.SetPaperSize(Now.PaperSize());
        Ps.SetLength(Now.Length());
        Ps.SetWidth(Now.Width());
    }
    if (FCopies == 0)
        Ps.SetCopies(Now.Copies());
    if (FSource == ppsUseCurrent)
        Ps.SetSource(Now.Source());
    if (FTrueTypeOption == ttUseCurrent)
        Ps.SetTTOption(Now.TTOption());
    if (FPrintQuality == pqUseCurrent)
        Ps.SetPrintQuality(Now.PrintQuality());
    if (FDuplex == pdUseCurrent)
        Ps.SetDuplex(Now.Duplex());
}

void TKivPageSetup::WriteToQPS()
{
    TQorPrinterSetup& Ps = *FQorPrinterSetup;
    if (AnyPrinters())
        TakeCurrentOptions();
    else if (FSize == psUseCurrent)
        FSize = psLetter;
    if (FOrientation != poUseCurrent)
        Ps.SetOrientation(OrientationCode(FOrientation));
    if (FSize != psUseCurrent)
        WritePaperToQPS();
    if (FCopies != 0)
        Ps.SetCopies(FCopies);
    if (FSource != ppsUseCurrent)
        Ps.SetSource(BinOfSource(FSource, FSourceNum));
    if (FTrueTypeOption != ttUseCurrent)
        Ps.SetTTOption(TrueTypeCode(FTrueTypeOption));
    Ps.SetCollatedCopies(FCollatedCopies);
    if (!FFormName.empty())
        Ps.SetFormName(FFormName);
    if (FPrintQuality != pqUseCurrent)
        Ps.SetPrintQuality(QualityCode(FPrintQuality));
    Ps.SetColor(FColor ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME);
    if (FDuplex != pdUseCurrent)
        Ps.SetDuplex(DuplexCode(FDuplex));
}

void TKivPageSetup::ReadMarginsFromQPS()
{
    const TQorPrinterSetup& Ps = *FQorPrinterSetup;
    FLeftPrint = FUM->InTo(FUnits, Ps.LeftPrintArea());
    FTopPrint = FUM->InTo(FUnits, Ps.TopPrintArea());
    FRightPrint = FUM->InTo(FUnits, Ps.RightPrintArea());
    FBottomPrint = FUM->InTo(FUnits, Ps.BottomPrintArea());
}

void TKivPageSetup::ReadFromQPS()
{
    const TQorPrinterSetup& Ps = *FQorPrinterSetup;
    const bool Printers = AnyPrinters();
    if (!Printers && FSize == psUseCurrent)
        FSize = psLetter;
    if (FOrientation != poUseCurrent)
        FOrientation = Ps.Orientation() == DMORIENT_LANDSCAPE ? poLandscape : poPortrait;
    if (FSize != psUseCurrent) {
        const TKivPaperSize S = KivPaperSizeOfCode(Ps.PaperSize());
        if (S != psUseCurrent)
            FSize = S;
    }
    if (FSize != psCustom) {
        SetHeight(FUM->InTo(FUnits, Ps.Length()));
        SetWidth(FUM->InTo(FUnits, Ps.Width()));
    }
    if (FSource != ppsUseCurrent)
        SetSource(SourceOfBin(Ps.Source(), FSourceNum));
    if (FDuplex != pdUseCurrent)
        SetDuplex(DuplexOfCode(Ps.Duplex()));
    if (FPrintQuality != pqUseCurrent)
        SetPrintQuality(QualityOfCode(Ps.PrintQuality()));
    // Pixels per one of Units: the printer's pixels per inch times the inches in a unit.
    if (Printers && Ps.PixelsPerInchX() > 0)
        SetPixelsPerUnit(Ps.PixelsPerInchX() * FUM->ToIn(FUnits, 1.0));
    SetColor(Ps.Color() == DMCOLOR_COLOR);
    if (FCopies != 0)
        SetCopies(std::clamp<Integer>(Ps.Copies(), 1, KivMaxCopies));
    if (FTrueTypeOption != ttUseCurrent)
        SetTrueTypeOption(TrueTypeOfCode(Ps.TTOption()));
    FCollatedCopies = Ps.CollatedCopies();
    FFormName = Ps.FormName();
    ReadMarginsFromQPS();
    if (FAdjustMargin && FSize != psCustom) {
        if (FLeftMargin < FLeftPrint)
            SetLeftMargin(FLeftPrint);
        if (FRightMargin < FRightPrint)
            SetRightMargin(FRightPrint);
        if (FTopMargin < FTopPrint)
            SetTopMargin(FTopPrint);
        if (FBottomMargin < FBottomPrint)
            SetBottomMargin(FBottomPrint);
    }
}

} // namespace qor
