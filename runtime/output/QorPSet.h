#pragma once
// What the selected printer can do (papers, bins, resolutions, copies, duplex), kept in a
// process-wide cache so each printer is asked once, and the printer properties the system
// controls, moved to and from the selected printer's settings record (DEVMODE).

#include "platform/graphics/GdiTypes.h"
#include "platform/printing/DevMode.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <array>
#include <memory>
#include <vector>

namespace qor {

class TQorPrinterSettings;

class TQorBinInfo : public TObject {
    QOR_CLASS(TQorBinInfo, TObject)
public:
    String binName;
    Word binNumber = 0;
};

class TQorResolution : public TObject {
    QOR_CLASS(TQorResolution, TObject)
public:
    Integer HorzRes = 0;
    Integer VertRes = 0;
};

class TQorPaper : public TObject {
    QOR_CLASS(TQorPaper, TObject)
public:
    String PaperName;
    Word PaperNum = 0;
    TPoint PaperSize; // X width, Y length of the portrait sheet, tenths of a millimetre
};

// A list that owns its items.
template <class T>
using TQorOwnedList = std::vector<std::unique_ptr<T>>;

// The capabilities of the selected printer. Creating one fills it from the cache; the first one
// made for a printer asks the printer and is kept for the life of the process.
class TQorPrinterInfo : public TObject {
    QOR_CLASS(TQorPrinterInfo, TObject)
public:
    TQorPrinterInfo();
    ~TQorPrinterInfo() override;

    virtual void Assign(const TQorPrinterInfo& Source);

    // Asks the selected printer what it can do.
    void Update();
    // Takes the selected printer's settings record (locked) into DeviceMode, reloading the
    // printer's defaults first when Reset; nothing when one is held or there is no printer.
    void GetDeviceMode(bool Reset);
    void GetPrinter(bool Reset);
    void ReleaseDeviceMode();
    // True when another printer than this one's is selected.
    bool PrinterChanged() const;

    TQorPaper* GetPaperByNum(Integer Value) const;
    TQorPaper* GetPaperByName(const String& FormName) const;
    TQorPaper* FindPaperByName(const String& FormName) const;
    TQorBinInfo* GetBinByNum(Integer BinNum) const;
    TQorBinInfo* FindBinByNum(Integer BinNum) const;
    TQorBinInfo* FindBinByName(const String& BinName) const;
    // The last resolution, in list order, at least as fine as asked; the first one when none is.
    TQorResolution* GetResolution(Integer HorzRes, Integer VertRes) const;

    // Standard names of paper and bin codes.
    static String GetPaperName(Integer Value);
    static String GetBinName(Integer Value);
    // True when every blank-separated word of S1 occurs in S2, both upper-cased.
    static bool CompareStrings(const String& S1, const String& S2);

    const TQorOwnedList<TQorBinInfo>& BinList() const { return FBinList; }
    TQorOwnedList<TQorBinInfo>& BinList() { return FBinList; }
    Integer Copies() const { return FCopies; }
    bool Duplex() const { return FDuplex; }
    const TQorOwnedList<TQorResolution>& Resolutions() const { return FResolutions; }
    TQorOwnedList<TQorResolution>& Resolutions() { return FResolutions; }
    const TQorOwnedList<TQorPaper>& PaperList() const { return FPaperList; }
    TQorOwnedList<TQorPaper>& PaperList() { return FPaperList; }
    Integer TrueType() const { return FTrueType; }
    TQorPrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }
    const String& PrinterName() const { return FPrinterName; }

    String Device, Driver, Port;
    HDC Handle;
    HDEVMODE DevHandle;
    PDeviceMode DeviceMode = nullptr;

private:
    void FillFromCache();
    void SetCopies();
    void FillBinList();
    void SetDuplex();
    void SetResolutions();
    void SetPapers();

    TQorOwnedList<TQorBinInfo> FBinList;
    Integer FCopies = 0;
    bool FDuplex = false;
    TQorOwnedList<TQorResolution> FResolutions;
    TQorOwnedList<TQorPaper> FPaperList;
    String FPrinterName;
    Integer FTrueType = 0;
    std::unique_ptr<TQorPrinterSettings> FPrinterSettings;
};

enum TQorPrintSettings : Byte {
    qpsOrientation, qpsPaperSize, qpsPaperLength, qpsPaperWidth, qpsScale, qpsCopies, qpsDefaultSource,
    qpsPrintQuality, qpsColor, qpsDuplex, qpsYResolution, qpsTTOption, qpsCollate, qpsFormName
};
inline constexpr Integer QorPrintSettingsCount = 14;

enum TQorWinVersion : Byte { qwvWin31, qwvWin95, qwvWinNT };

// The 14 printer properties the system controls, each with a "set" flag.
class TQorPrinterSettings : public TObject {
    QOR_CLASS(TQorPrinterSettings, TObject)
public:
    TQorPrinterSettings() = default;

    virtual void Assign(const TQorPrinterSettings& Source);

    // Properties 0 to 12 (qpsFormName is FormName).
    Integer GetPSProperty(TQorPrintSettings Index) const { return FPSProperties[Index]; }
    // Stores the value and sets its flag, also when the value is unchanged.
    void SetPSProperty(TQorPrintSettings Index, Integer Value);
    const String& FormName() const { return FFormName; }
    void SetFormName(const String& Value);
    bool PrintSet(TQorPrintSettings Index) const { return FPrintSet[Index]; }
    Integer PropCount() const { return FPropCount; }
    bool CustomPaperSize() const { return FCustomPaperSize; }
    void SetCustomPaperSize(bool Value) { FCustomPaperSize = Value; }

    // Reads the selected printer's settings record.
    void GetValues();
    // Writes the flagged values (or, for the others, the printer's defaults captured when it was
    // first used) into the selected printer's settings record; Reset reloads the printer's
    // default record first.
    void SetValues(bool Reset);

private:
    void SetPaper(TQorPrinterInfo& Info, const TQorPrinterSettings& Defaults);

    std::array<Integer, 13> FPSProperties{};
    String FFormName;
    std::array<bool, QorPrintSettingsCount> FPrintSet{};
    Integer FPropCount = QorPrintSettingsCount;
    bool FCustomPaperSize = false;
};

// Reloads the selected printer's default settings record (nothing with no printer or while a
// job is printing).
void QorResetPrinter();
// The platform family; this platform keeps form names in its settings records.
TQorWinVersion QorWinVersion();
// The number of installed printers.
Integer QorGetPrinterCount();

} // namespace qor
