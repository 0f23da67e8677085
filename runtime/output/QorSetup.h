#pragma once
// The page and printer settings of the whole system: orientation, paper, page size in inches,
// scale, copies, source, quality, colour, duplex, y-resolution, TrueType option, collation and
// form name, each flagged when it was chosen; moved to and from the printer and stored in page
// files as record 101.

#include "runtime/output/QorPSet.h"
#include "runtime/output/QorTypes.h"

#include <array>
#include <memory>

namespace qor {

class TStream;
class TQorQorFile;

// The record code of the printer setup in page files.
inline constexpr Word QorPrinterSetupRecord = 101;

class TQorPrinterSetup : public TObject {
    QOR_CLASS(TQorPrinterSetup, TObject)
public:
    TQorPrinterSetup();
    ~TQorPrinterSetup() override;

    // Copies the 14 values and their flags and the printer settings; the print-area margins stay.
    virtual void Assign(const TQorPrinterSetup& Source);

    Integer Orientation() const { return FOrientation; }
    Integer PaperSize() const { return FPaperSize; }
    Double Length() const { return FLength; }
    Double Width() const { return FWidth; }
    Integer Scale() const { return FScale; }
    Integer Copies() const { return FCopies; }
    Integer Source() const { return FSource; }
    Integer PrintQuality() const { return FPrintQuality; }
    Integer Color() const { return FColor; }
    Integer Duplex() const { return FDuplex; }
    Integer YResolution() const { return FYResolution; }
    Integer TTOption() const { return FTTOption; }
    bool CollatedCopies() const { return FCollatedCopies; }
    const String& FormName() const { return FFormName; }

    // Each setter stores a different value and flags it; an equal value changes nothing.
    void SetOrientation(Integer Value);
    void SetPaperSize(Integer Value);
    void SetLength(Double Value);
    void SetWidth(Double Value);
    void SetScale(Integer Value);
    void SetCopies(Integer Value);
    void SetSource(Integer Value);
    void SetPrintQuality(Integer Value);
    void SetColor(Integer Value);
    void SetDuplex(Integer Value);
    void SetYResolution(Integer Value);
    void SetTTOption(Integer Value);
    void SetCollatedCopies(bool Value);
    void SetFormName(const String& Value);

    // The page as it lies, in inches: the standard sheet of the paper code in the orientation, else
    // (custom papers) Width x Length; 8.5 x 11 when neither says.
    void PageSizeInches(Double& AWidth, Double& ALength) const;

    // The unprintable margins of the current printer, inches (filled by GetData).
    Double LeftPrintArea() const { return FLeftPrintArea; }
    Double RightPrintArea() const { return FRightPrintArea; }
    Double TopPrintArea() const { return FTopPrintArea; }
    Double BottomPrintArea() const { return FBottomPrintArea; }

    bool PrintSet(TQorPrintSettings Index) const { return FPrintSet[Index]; }
    void ClearSettings();
    TQorPrinterSettings* PrinterSettings() const { return FPrinterSettings.get(); }

    void CopyToPrinterSettings();
    void CopyFromPrinterSettings();
    // Applies the flagged values to the selected printer and reads back what it now uses.
    void SetData();
    // The same, starting from the printer's default settings.
    void SetDataReset();
    // Reads the selected printer's settings and printable margins (nothing with no printer).
    void GetData();

    // Equal in every value (flags and margins are not compared).
    bool IsEqual(const TQorPrinterSetup& Ps) const;
    // Equal in what changes a running print job: orientation, paper, length, width, copies,
    // source, duplex, collation and form name.
    bool IsRunningEqual(const TQorPrinterSetup& Ps) const;

    // The number of installed printers; 0 when no default printer is configured.
    Integer PrinterCount() const;
    Integer PixelsPerInchX() const;
    Integer PixelsPerInchY() const;

    // The legacy record: SetPrintInfo takes its 13 values and flags all 14 properties.
    void SetPrintInfo(const TQorFilePrinterInfo& Info);
    void GetPrintInfo(TQorFilePrinterInfo& Info) const;

    // Writes record 101 whole, code included.
    void WriteToStream(TStream& Stream) const;
    // Reads the body of record 101 after its code; false (nothing read beyond the length) for a
    // body length of 0 or less. Always leaves the stream at the end of the record; a body that
    // runs past the end of the stream raises EReadError before anything is taken.
    bool ReadFromStream(TStream& Stream);
    // The same on the record stream of a page file; EStreamError when it has none open.
    void WriteToQorFile(TQorQorFile& QorFile) const;
    bool ReadFromQorFile(TQorQorFile& QorFile);

private:
    template <class T>
    void Change(T& Field, const T& Value, TQorPrintSettings Flag);
    bool ReadItem(TStream& Stream, SmallInt Tag, Int64 End);

    Integer FOrientation = 1;
    Integer FPaperSize = 1;
    Double FLength = 11.0;
    Double FWidth = 8.5;
    Integer FScale = 100;
    Integer FCopies = 1;
    Integer FSource = 1;
    Integer FPrintQuality = -4;
    Integer FColor = 2;
    Integer FDuplex = 1;
    Integer FYResolution = 0;
    Integer FTTOption = 2;
    bool FCollatedCopies = true;
    String FFormName;
    Double FLeftPrintArea = 0;
    Double FRightPrintArea = 0;
    Double FTopPrintArea = 0;
    Double FBottomPrintArea = 0;
    std::unique_ptr<TQorPrinterSettings> FPrinterSettings;
    std::array<bool, QorPrintSettingsCount> FPrintSet{};
};

} // namespace qor
