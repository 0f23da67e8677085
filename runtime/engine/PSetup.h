#pragma once
// A report page's paper: size, orientation, margins and units as the designer sets them, the
// printer options a run forces (source, duplex, copies, quality, colour, TrueType handling,
// collation, form name) and how the preview window is shown. The page setup owns a printer setup:
// LoadSettings pushes the page setup onto the printer, CopySettings takes over what the printer
// has. Most printer options have a "UseCurrent" value that leaves the printer's own setting alone.

#include "platform/rtl/Persistent.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/WindowState.h"
#include "runtime/engine/KivUnits.h"
#include "runtime/output/QorZoom.h"

#include <memory>

namespace qor {

class TComponent;
class TQorPrinterSetup;

enum TKivPaperOrientation : Byte { poPortrait, poLandscape, poUseCurrent };
QOR_ENUM_NAMES(TKivPaperOrientation, "poPortrait", "poLandscape", "poUseCurrent");

// Sizes up to psUseCurrent first, then the further sheets and envelopes of the printers' table.
// clang-format off
enum TKivPaperSize : Byte {
    psLetter, psExecutive, psLegal, psA4, psCustom, psLetterSmall, psTabloid, psLedger, psStatement, psA3,
    psA4Small, psA5, psB4, psB5, psFolio, psQuarto, ps10x14, ps11x17, psNote, psEnv_9, psEnv_10, psEnv_11, psEnv_12,
    psEnv_14, psCSheet, psDSheet, psESheet, psUseCurrent, psENV_DL, psENV_C5, psENV_C3, psENV_C4, psENV_C6,
    psENV_C65, psENV_B4, psENV_B5, psENV_B6, psENV_ITALY, psENV_MONARCH, psENV_PERSONAL, psFANFOLD_US,
    psFANFOLD_STD_GERMAN, psFANFOLD_LGL_GERMAN, psISO_B4, psJAPANESE_POSTCARD, ps9X11, ps10X11, ps15X11,
    psENV_INVITE, psLETTER_EXTRA, psLEGAL_EXTRA, psTABLOID_EXTRA, psA4_EXTRA, psLETTER_TRANSVERSE, psA4_TRANSVERSE,
    psLETTER_EXTRA_TRANSVERSE, psA_PLUS, psB_PLUS, psLETTER_PLUS, psA4_PLUS, psA5_TRANSVERSE, psB5_TRANSVERSE,
    psA3_EXTRA, psA5_EXTRA, psB5_EXTRA, psA2, psA3_TRANSVERSE, psA3_EXTRA_TRANSVERSE, psDBL_JAPANESE_POSTCARD, psA6,
    psLETTER_ROTATED, psA3_ROTATED, psA4_ROTATED, psA5_ROTATED, psB4_JIS_ROTATED, psB5_JIS_ROTATED,
    psJAPANESE_POSTCARD_ROTATED, psDBL_JAPANESE_POSTCARD_ROTATED, psA6_ROTATED, psB6_JIS, psB6_JIS_ROTATED, ps12X11,
    psP16K, psP32K, psP32KBIG, psPENV_1, psPENV_2, psPENV_3, psPENV_4, psPENV_5, psPENV_6, psPENV_7, psPENV_8,
    psPENV_9, psPENV_10, psPENV_1_ROTATED, psPENV_2_ROTATED, psPENV_3_ROTATED, psPENV_4_ROTATED, psPENV_5_ROTATED,
    psPENV_6_ROTATED, psPENV_7_ROTATED, psPENV_8_ROTATED, psPENV_9_ROTATED, psPENV_10_ROTATED
};
// clang-format on
QOR_ENUM_NAMES(TKivPaperSize, "psLetter", "psExecutive", "psLegal", "psA4", "psCustom", "psLetterSmall", "psTabloid",
               "psLedger", "psStatement", "psA3", "psA4Small", "psA5", "psB4", "psB5", "psFolio", "psQuarto", "ps10x14",
               "ps11x17", "psNote", "psEnv_9", "psEnv_10", "psEnv_11", "psEnv_12", "psEnv_14", "psCSheet", "psDSheet",
               "psESheet", "psUseCurrent", "psENV_DL", "psENV_C5", "psENV_C3", "psENV_C4", "psENV_C6", "psENV_C65",
               "psENV_B4", "psENV_B5", "psENV_B6", "psENV_ITALY", "psENV_MONARCH", "psENV_PERSONAL", "psFANFOLD_US",
               "psFANFOLD_STD_GERMAN", "psFANFOLD_LGL_GERMAN", "psISO_B4", "psJAPANESE_POSTCARD", "ps9X11", "ps10X11",
               "ps15X11", "psENV_INVITE", "psLETTER_EXTRA", "psLEGAL_EXTRA", "psTABLOID_EXTRA", "psA4_EXTRA",
               "psLETTER_TRANSVERSE", "psA4_TRANSVERSE", "psLETTER_EXTRA_TRANSVERSE", "psA_PLUS", "psB_PLUS",
               "psLETTER_PLUS", "psA4_PLUS", "psA5_TRANSVERSE", "psB5_TRANSVERSE", "psA3_EXTRA", "psA5_EXTRA",
               "psB5_EXTRA", "psA2", "psA3_TRANSVERSE", "psA3_EXTRA_TRANSVERSE", "psDBL_JAPANESE_POSTCARD", "psA6",
               "psLETTER_ROTATED", "psA3_ROTATED", "psA4_ROTATED", "psA5_ROTATED", "psB4_JIS_ROTATED",
               "psB5_JIS_ROTATED", "psJAPANESE_POSTCARD_ROTATED", "psDBL_JAPANESE_POSTCARD_ROTATED", "psA6_ROTATED",
               "psB6_JIS", "psB6_JIS_ROTATED", "ps12X11", "psP16K", "psP32K", "psP32KBIG", "psPENV_1", "psPENV_2",
               "psPENV_3", "psPENV_4", "psPENV_5", "psPENV_6", "psPENV_7", "psPENV_8", "psPENV_9", "psPENV_10",
               "psPENV_1_ROTATED", "psPENV_2_ROTATED", "psPENV_3_ROTATED", "psPENV_4_ROTATED", "psPENV_5_ROTATED",
               "psPENV_6_ROTATED", "psPENV_7_ROTATED", "psPENV_8_ROTATED", "psPENV_9_ROTATED", "psPENV_10_ROTATED");

enum TKivPaperSource : Byte {
    psUpper,
    psLower,
    psAuto,
    psManual,
    psEnvelope,
    psEnvelopeManual,
    psCassette,
    psMiddle,
    psSmallFmt,
    psLargeCapacity,
    psTractor,
    psLargeFmt,
    ppsUseCurrent,
    psOverride
};
QOR_ENUM_NAMES(TKivPaperSource, "psUpper", "psLower", "psAuto", "psManual", "psEnvelope", "psEnvelopeManual",
               "psCassette", "psMiddle", "psSmallFmt", "psLargeCapacity", "psTractor", "psLargeFmt", "ppsUseCurrent",
               "psOverride");

enum TKivPaperDuplex : Byte { pdSimplex, pdDuplexLongEdge, pdDuplexShortEdge, pdUseCurrent };
QOR_ENUM_NAMES(TKivPaperDuplex, "pdSimplex", "pdDuplexLongEdge", "pdDuplexShortEdge", "pdUseCurrent");

// A number of copies: 0 (leave the printer's number alone) to 9999.
using TKivPaperCopies = Word;
inline constexpr TKivPaperCopies KivMaxCopies = 9999;

enum TKivPrintQuality : Byte { pqHigh, pqMedium, pqLow, pqDraft, pqCustom, pqUseCurrent };
QOR_ENUM_NAMES(TKivPrintQuality, "pqHigh", "pqMedium", "pqLow", "pqDraft", "pqCustom", "pqUseCurrent");

enum TKivTrueTypeOption : Byte { ttBitmap, ttDownLoad, ttSubDev, ttDownLoadOutline, ttUseCurrent };
QOR_ENUM_NAMES(TKivTrueTypeOption, "ttBitmap", "ttDownLoad", "ttSubDev", "ttDownLoadOutline", "ttUseCurrent");

enum TKivDestination : Byte { destPrinter, destScreen, destFile };
QOR_ENUM_NAMES(TKivDestination, "destPrinter", "destScreen", "destFile");

enum TKivPreviewStream : Byte { psFile, psMemory };
QOR_ENUM_NAMES(TKivPreviewStream, "psFile", "psMemory");

enum TKivModalPreview : Byte { mpModal, mpNonModal, mpDefault };
QOR_ENUM_NAMES(TKivModalPreview, "mpModal", "mpNonModal", "mpDefault");

// Scoped: poDefault is also a form position.
enum class TKivPreviewOwner : Byte { poFormOwned, poAppOwned, poDefault };
QOR_ENUM_NAMES(TKivPreviewOwner, "poFormOwned", "poAppOwned", "poDefault");

enum TKivFormStyle : Byte { pfsNormal, pfsMDIChild, pfsStayOnTop, pfsDefault };
QOR_ENUM_NAMES(TKivFormStyle, "pfsNormal", "pfsMDIChild", "pfsStayOnTop", "pfsDefault");

// How the report's preview window is shown.
class TKivPreviewSettings : public TPersistent {
    QOR_CLASS(TKivPreviewSettings, TPersistent)
public:
    TKivPreviewSettings() = default;

    // From another preview settings object every value, the zoom too.
    void Assign(TPersistent* Source) override;

    TKivModalPreview ModalPreview() const { return FModalPreview; }
    void SetModalPreview(TKivModalPreview Value) { FModalPreview = Value; }
    TKivPreviewOwner PreviewOwner() const { return FPreviewOwner; }
    void SetPreviewOwner(TKivPreviewOwner Value) { FPreviewOwner = Value; }
    TKivFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TKivFormStyle Value) { FFormStyle = Value; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value) { FWindowState = Value; }
    TQorZoom Zoom() const { return FZoom; }
    void SetZoom(TQorZoom Value) { FZoom = Value; }

private:
    TKivModalPreview FModalPreview = mpDefault;
    TKivPreviewOwner FPreviewOwner = TKivPreviewOwner::poDefault;
    TKivFormStyle FFormStyle = pfsDefault;
    TWindowState FWindowState = wsMaximized;
    TQorZoom FZoom = qz100;
};

// What a page setup asks of the page that owns it: after a change made while the page is being
// designed, the page lays out and repaints its bands, rulers and buttons.
class IKivPageSetupHost {
public:
    virtual ~IKivPageSetupHost() = default;
    virtual void PageSetupChanged() = 0;
};

class TKivPageSetup : public TPersistent {
    QOR_CLASS(TKivPageSetup, TPersistent)
public:
    // Fills the owned printer setup from the selected printer.
    TKivPageSetup();
    ~TKivPageSetup() override;

    // From another page setup: its printer setup, then its design values and printer options
    // (the source's bin number too), its preview settings and its page. The print-area margins
    // are those of the copied printer setup.
    void Assign(TPersistent* Source) override;
    // The four margins, each only when it is not 0.5, and the legacy "PixelsPerUnit" (read and
    // dropped).
    void DefineProperties(TFiler& Filer) override;

    // Applies the page setup to the printer and reads back what the printer took.
    virtual void LoadSettings();
    // Takes over the printer's current settings.
    virtual void CopySettings();

    // The page (a component that is a IKivPageSetupHost) that owns the setup; null for none.
    TComponent* Page() const { return FPage; }
    void SetPage(TComponent* Value) { FPage = Value; }

    TKivPaperOrientation Orientation() const { return FOrientation; }
    virtual void SetOrientation(TKivPaperOrientation Value);
    TKivPaperSize Size() const { return FSize; }
    virtual void SetSize(TKivPaperSize Value);
    TKivPaperSource Source() const { return FSource; }
    virtual void SetSource(TKivPaperSource Value);
    Integer SourceNum() const { return FSourceNum; }
    void SetSourceNum(Integer Value) { FSourceNum = Value; }
    TKivPaperDuplex Duplex() const { return FDuplex; }
    virtual void SetDuplex(TKivPaperDuplex Value);
    Integer Copies() const { return FCopies; }
    // EConvertError for a number outside 0..9999.
    virtual void SetCopies(Integer Value);
    Double Height() const { return FHeight; }
    virtual void SetHeight(Double Value);
    Double Width() const { return FWidth; }
    virtual void SetWidth(Double Value);
    // Printer pixels per one of Units.
    Double PixelsPerUnit() const { return FPixelsPerUnit; }
    virtual void SetPixelsPerUnit(Double Value);
    TKivPrintQuality PrintQuality() const { return FPrintQuality; }
    virtual void SetPrintQuality(TKivPrintQuality Value);
    TKivTrueTypeOption TrueTypeOption() const { return FTrueTypeOption; }
    virtual void SetTrueTypeOption(TKivTrueTypeOption Value);
    Double LeftMargin() const { return FLeftMargin; }
    virtual void SetLeftMargin(Double Value);
    Double RightMargin() const { return FRightMargin; }
    virtual void SetRightMargin(Double Value);
    Double TopMargin() const { return FTopMargin; }
    virtual void SetTopMargin(Double Value);
    Double BottomMargin() const { return FBottomMargin; }
    virtual void SetBottomMargin(Double Value);
    bool Color() const { return FColor; }
    virtual void SetColor(bool Value);
    TKivUnits Units() const { return FUnits; }
    virtual void SetUnits(TKivUnits Value);
    Integer RangeStart() const { return FRangeStart; }
    void SetRangeStart(Integer Value) { FRangeStart = Value; }
    Integer RangeEnd() const { return FRangeEnd; }
    void SetRangeEnd(Integer Value) { FRangeEnd = Value; }
    TKivDestination Destination() const { return FDestination; }
    void SetDestination(TKivDestination Value) { FDestination = Value; }
    bool AdjustMargin() const { return FAdjustMargin; }
    void SetAdjustMargin(bool Value) { FAdjustMargin = Value; }
    TKivPreviewSettings* PreviewSettings() const { return FPreviewSettings.get(); }
    bool TextDriverCompatibility() const { return FTextDriverCompatibility; }
    void SetTextDriverCompatibility(bool Value) { FTextDriverCompatibility = Value; }
    bool DirectPrinter() const { return FDirectPrinter; }
    void SetDirectPrinter(bool Value) { FDirectPrinter = Value; }
    bool CollatedCopies() const { return FCollatedCopies; }
    void SetCollatedCopies(bool Value) { FCollatedCopies = Value; }
    const String& FormName() const { return FFormName; }
    void SetFormName(const String& Value) { FFormName = Value; }

    TKivPreviewStream PreviewStream() const { return FPreviewStream; }
    void SetPreviewStream(TKivPreviewStream Value) { FPreviewStream = Value; }
    // True when a printer is installed.
    bool AnyPrinters() const;
    // The unprintable margins of the printer, in Units.
    Double LeftPrint() const { return FLeftPrint; }
    Double TopPrint() const { return FTopPrint; }
    Double BottomPrint() const { return FBottomPrint; }
    Double RightPrint() const { return FRightPrint; }
    Double PrintHeight() const { return FHeight - FTopMargin - FBottomMargin; }
    Double PrintWidth() const { return FWidth - FLeftMargin - FRightMargin; }
    TKivUnitMaster* UM() const { return FUM.get(); }
    TQorPrinterSetup* QorPrinterSetup() const { return FQorPrinterSetup.get(); }

    // Copies Ps into the owned printer setup and takes its values over.
    void SetQorPrinterSetup(const TQorPrinterSetup& Ps);
    // Copies the owned printer setup into Ps.
    void GetQorPrinterSetup(TQorPrinterSetup& Ps) const;
    // Printer pixels per inch, from PixelsPerUnit.
    Integer GetPixelsPerInch() const;

    // A repaint of the page being designed after a change; nothing without a page, or while the
    // page is not designed or is being read.
    void PageRefresh();

private:
    void WriteToQPS();
    // The options left to the printer take what it has now: the printer setup would otherwise
    // send back what the printer had when the setup last read it.
    void TakeCurrentOptions();
    void ReadFromQPS();
    void WritePaperToQPS();
    void ReadMarginsFromQPS();
    // The page is being read from a form file.
    bool PageReading() const;
    // Width and height from the named sheet in the current units; false when Size names none.
    bool TakeSheetSize();
    // Sets a length field that changed and repaints.
    void ChangeLength(Double& Field, Double Value);
    void DefineMargin(TFiler& Filer, const char* Name, Double& Field);

    TComponent* FPage = nullptr;
    TKivPaperOrientation FOrientation = poUseCurrent;
    TKivPaperSize FSize = psUseCurrent;
    // Read: the width and height come from the named sheet, not from the form.
    bool FSheetFromSize = false;
    TKivPaperSource FSource = ppsUseCurrent;
    Integer FSourceNum = 0;
    TKivPaperDuplex FDuplex = pdUseCurrent;
    TKivPaperCopies FCopies = 1;
    Double FHeight = 11.0;
    Double FWidth = 8.5;
    Double FPixelsPerUnit = 300.0;
    Double FLeftMargin = 0.5;
    Double FTopMargin = 0.5;
    Double FBottomMargin = 0.5;
    Double FRightMargin = 0.5;
    bool FColor = true;
    TKivUnits FUnits = unitInches;
    std::unique_ptr<TKivUnitMaster> FUM;
    Integer FRangeStart = 0;
    Integer FRangeEnd = 0;
    TKivDestination FDestination = destScreen;
    TKivPreviewStream FPreviewStream = psFile;
    TKivPrintQuality FPrintQuality = pqUseCurrent;
    TKivTrueTypeOption FTrueTypeOption = ttUseCurrent;
    Double FLeftPrint = 0;
    Double FTopPrint = 0;
    Double FBottomPrint = 0;
    Double FRightPrint = 0;
    bool FAdjustMargin = true;
    std::unique_ptr<TKivPreviewSettings> FPreviewSettings;
    std::unique_ptr<TQorPrinterSetup> FQorPrinterSetup;
    bool FTextDriverCompatibility = false;
    bool FDirectPrinter = false;
    bool FCollatedCopies = true;
    String FFormName;
};

// The printer's bin code of a paper source (psOverride, which has no number here: automatic),
// and back; a bin of the printer's own (not one of the standard codes) gives psOverride. A page
// setup keeps the number of such a bin in its SourceNum.
Integer SourceDtoW(TKivPaperSource Source);
TKivPaperSource SourceWtoD(Integer Bin);

// The printer's paper code of a size (psCustom: 256, psUseCurrent: 1), and back (psUseCurrent
// for a code no size has).
Integer KivPaperSizeCode(TKivPaperSize Size);
TKivPaperSize KivPaperSizeOfCode(Integer Code);

} // namespace qor
