#pragma once
// Page containers and the page file in memory.
//
// Pages move between containers through one protocol: a source sends pages to a target, and the
// target's load decides what loading means (a page file takes nothing, a device context draws the
// page it is given). TQorQorFile records canvas calls as page-file records, shares fonts, pens and
// brushes in an object table, keeps a page index, and saves and loads ".qor" files. TQorFiler
// holds one container.

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Streams.h"
#include "runtime/output/QorDraw.h"
#include "runtime/output/QorFormat.h"
#include "runtime/output/QorUtil.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace qor {

class TBrush;
class TFont;
class TGraphic;
class TPen;
class TQorExportFilter;
class TQorPrinterSetup;
class TQorQorFile;
class TQorStream;

// The offset of one page in the record stream.
class TQorPagePosition : public TObject {
    QOR_CLASS(TQorPagePosition, TObject)
public:
    explicit TQorPagePosition(Integer APosition = 0) : Position(APosition) {}
    Integer Position;
};

// The abstract page container: a record stream, a page index and a printer setup.
class TQorFile : public TPersistent {
    QOR_CLASS(TQorFile, TPersistent)
public:
    TQorFile();
    ~TQorFile() override;

    // Abstract here: each raises EAbstractError.
    virtual void LoadQorFile(TQorFile* QorFile);
    virtual void LoadPage(TQorFile* QorFile, Integer Page);
    virtual void LoadPages(TQorFile* QorFile, Integer StartPage, Integer EndPage);
    virtual void LoadFromFile(const String& FileName);
    virtual void LoadFromStream(TStream* LoadStream);
    virtual void Send(TQorFile* QorFile);
    virtual void SendPage(TQorFile* QorFile, Integer Page);
    virtual void SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage);
    virtual void SaveToFile(const String& FileName);
    virtual void SaveToStream(TStream* SaveStream);
    virtual void PlayPage(HDC DC, Integer Page);
    // Frees the record stream and empties the page index.
    virtual void Clear();

    // True while the last page is still being recorded (page files only).
    virtual bool IsRunning() const { return false; }

    TQorStream* Stream() const { return FStream.get(); }
    TQorList* Pages() const { return FPages.get(); }
    Integer PageCount() const { return FPages->Count(); }
    // The record-stream offset of page Page (1-based); EListError outside the index.
    Integer PagePosition(Integer Page) const;
    TQorPrinterSetup* QorPrinterSetup() const { return FQorPrinterSetup.get(); }
    // Copies Value into the container's own setup.
    void SetQorPrinterSetup(const TQorPrinterSetup* Value);

    Integer HorzScale() const { return FHorzScale; }
    void SetHorzScale(Integer Value) { FHorzScale = Value; }
    Integer VertScale() const { return FVertScale; }
    void SetVertScale(Integer Value) { FVertScale = Value; }
    Integer OrgX() const { return FOrgX; }
    void SetOrgX(Integer Value) { FOrgX = Value; }
    Integer OrgY() const { return FOrgY; }
    void SetOrgY(Integer Value) { FOrgY = Value; }
    bool SetOrigin() const { return FSetOrigin; }
    void SetSetOrigin(bool Value) { FSetOrigin = Value; }
    bool IgnorePrinterSettings() const { return FIgnorePrinterSettings; }
    void SetIgnorePrinterSettings(bool Value) { FIgnorePrinterSettings = Value; }
    const String& ExceptionText() const { return FExceptionText; }

protected:
    [[noreturn]] void AbstractError() const;
    // Appends a page at Position to the index.
    void AddPage(Integer Position);
    // Frees every page-index entry and empties the index.
    void ClearPages();
    // Exchanges the record stream, the page index and the printer setup with Other's (the
    // container's contents; its settings stay).
    void SwapPages(TQorFile& Other);
    // The page a printer or device context takes for a request of Page from QorFile: while it is
    // still recording, at most its last complete page; otherwise at most its last page; at least 1.
    static Integer PageInRange(const TQorFile* QorFile, Integer Page);

    // The contents (SwapPages exchanges these four).
    std::unique_ptr<TQorStream> FStream;
    std::unique_ptr<TQorList> FPages; // the index: pointers to the entries below (they go together)
    std::vector<std::unique_ptr<TQorPagePosition>> FPagePositions;
    std::unique_ptr<TQorPrinterSetup> FQorPrinterSetup;
    Integer FHorzScale = 100;
    Integer FVertScale = 100;
    Integer FOrgX = 0;
    Integer FOrgY = 0;
    bool FSetOrigin = false;
    bool FIgnorePrinterSettings = false;
    String FExceptionText;
};

// One object-table entry. Only the record of its type is meaningful. Font, Pen, Brush and the
// Select handles are the objects playback makes from it.
class TQorQorFileObject : public TObject {
    QOR_CLASS(TQorQorFileObject, TObject)
public:
    TQorQorFileObject() = default;
    explicit TQorQorFileObject(const TQorObjectRecord& Record);
    ~TQorQorFileObject() override;

    TQorQorFileObjectTypes ObjectType = qotNone;
    TQorLogFont LogFont;
    TQorLogPen LogPen;
    TQorLogBrush LogBrush;

    std::unique_ptr<TFont> Font;
    std::unique_ptr<TPen> Pen;
    std::unique_ptr<TBrush> Brush;
    HFONT SelectFont;
    HPEN SelectPen;
    HBRUSH SelectBrush;
    // The description of SelectFont as the device gives it back, read once when it is made.
    LOGFONT SelectLogFont{};

    // Same type and the same record (font names compared exactly).
    bool FontSame(const TQorLogFont& Value) const { return ObjectType == qotFont && LogFont == Value; }
    bool PenSame(const TQorLogPen& Value) const { return ObjectType == qotPen && LogPen == Value; }
    bool BrushSame(const TQorLogBrush& Value) const { return ObjectType == qotBrush && LogBrush == Value; }

    TQorObjectRecord Record() const;
    void Write(TStream& Stream) const;
    void Read(TQorReader& Reader);
    // Makes the play-time objects of the entry for a device of PixelsPerInchY (fonts take their
    // height from it); objects already made are kept.
    void CreateObject(Integer PixelsPerInchY);
    // Frees the play-time objects of the entry and deletes its handles.
    void DeleteObject();
};

// Plays a record of an application's own kind: reads its payload with QorFile's Reader() and
// draws on Handle.
using TQorRecordPrintEvent = std::function<void(HDC Handle, TQorQorFile& QorFile)>;

// Registers a handler for records of code RecordType and answers its place in the registry. The
// same code may be registered more than once: the first registration is the one played.
Integer QorAddRecordType(SmallInt RecordType, TQorRecordPrintEvent RecordPrintEvent);

// The page file in memory: recorder (a drawing target: each call becomes a record), loader and
// saver.
class TQorQorFile : public TQorFile, public IQorDrawTarget {
    QOR_CLASS(TQorQorFile, TQorFile)
public:
    TQorQorFile();
    ~TQorQorFile() override;

    // ---- recording ----
    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Ends the document like EndDoc, but writes no file whatever CreateFile says.
    void AbortDoc();

    void SetFont(TFont* Font);
    void SetLogFont(TFont* Font, const LOGFONT& LogFont) override;
    void SetPen(TPen* Pen) override;
    void SetBrush(TBrush* Brush) override;

    void SetTextAlign(Word Flags) override;
    void Textout(Integer X, Integer Y, const String& Text) override;
    void MoveTo(Integer X, Integer Y) override;
    void LineTo(Integer X, Integer Y) override;
    void PTextout(Integer X, Integer Y, const WideChar* Text, Integer Count) override;
    void ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count) override;
    void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text) override;
    void FillRect(const TRect& Rect) override;
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3) override;
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2) override;
    void Draw(Integer X, Integer Y, TGraphic* Graphic) override;
    void StretchDraw(const TRect& Rect, TGraphic* Graphic) override;
    void ShadeRect(const TRect& Rect, TQorShadePercent Shade) override;
    void SetBkColor(Integer Color) override;
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override;
    void DrawBitmap(Integer X, Integer Y, TStream* Stream) override;
    void StretchDrawBitmap(const TRect& Rect, TStream* Stream) override;
    void RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont) override;
    void DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness) override;
    void DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3,
                       Integer X4, Integer Y4) override;
    // LastIndex + 1 points, as the canvas passes them.
    void PolyDrawType(TQorPolyType PolyType, const TPoint* Points, Integer LastIndex);
    void DrawPoly(TQorPolyType PolyType, const TPoint* Points, Integer Count) override
    {
        PolyDrawType(PolyType, Points, Count - 1);
    }
    void Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;
    void Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData) override;
    void WritePrinterInfo(const TQorFilePrinterInfo& Info);

    // Primitive encodings on the record stream (for records of an application's own kinds).
    // Reading follows the file's version.
    TQorWriter Writer() const;
    TQorReader Reader() const;

    // ---- containers ----
    void LoadQorFile(TQorFile* QorFile) override;
    void LoadPage(TQorFile* QorFile, Integer Page) override;
    void LoadPages(TQorFile* QorFile, Integer StartPage, Integer EndPage) override;
    // Loads a page file. A file that cannot be read raises and leaves this object as it was.
    void LoadFromFile(const String& FileName) override;
    // The page file starts at the stream's position.
    void LoadFromStream(TStream* LoadStream) override;
    void Send(TQorFile* QorFile) override;
    void SendPage(TQorFile* QorFile, Integer Page) override;
    void SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage) override;
    // Nothing while recording. Writes a temporary file next to FileName and renames it over
    // FileName only when complete, so a failed save leaves any earlier file as it was.
    void SaveToFile(const String& FileName) override;
    // Nothing while recording. Writes from the stream's position, leaving what lies before it.
    void SaveToStream(TStream* SaveStream) override;
    // Draws page Page (1-based) on DC, scaled from the file's resolution to the device's and by
    // HorzScale/VertScale percent. A page outside the file (or one still being recorded) draws
    // nothing. The record stream's position is kept, and no font, pen or brush of the file stays
    // selected in DC or alive afterwards. With Exporting on and an ExportFilter that is not a
    // graphic export, the records go to the filter's drawing operations instead, in DC's units.
    void PlayPage(HDC DC, Integer Page) override;
    // Plays one record whose code RecType was just read from the record stream.
    void PlayRecord(Word RecType, HDC DC);
    void Clear() override;
    bool IsRunning() const override { return FDoc.Running; }

    bool Exporting() const { return FExporting; }
    void SetExporting(bool Value) { FExporting = Value; }
    TQorExportFilter* ExportFilter() const { return FExportFilter; }
    void SetExportFilter(TQorExportFilter* Value) { FExportFilter = Value; }

    // Reads the printer setup stored at the start of Page into Setup.
    bool GetPagePrinterInfo(TQorPrinterSetup* Setup, Integer Page);
    // Empties UserStream and copies Value from its position to its end into it.
    void SetUserStream(TStream* Value);

    const std::vector<std::unique_ptr<TQorQorFileObject>>& Objects() const { return FDoc.Objects; }
    Integer ObjectCount() const { return static_cast<Integer>(FDoc.Objects.size()); }
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    const String& Description() const { return FDoc.Description; }
    void SetDescription(const String& Value) { FDoc.Description = Value; }
    bool CreateFile() const { return FCreateFile; }
    void SetCreateFile(bool Value) { FCreateFile = Value; }
    bool Running() const { return FDoc.Running; }
    Single PercentDone() const { return FDoc.PercentDone; }
    void SetPercentDone(Single Value) { FDoc.PercentDone = Value; }
    TMemoryStream* UserStream() const { return FDoc.UserStream.get(); }
    Integer LastFont() const { return FDoc.LastFont; }
    Integer LastPen() const { return FDoc.LastPen; }
    Integer LastBrush() const { return FDoc.LastBrush; }
    Integer CurrFont() const { return FDoc.CurrFont; }
    Integer CurrPen() const { return FDoc.CurrPen; }
    Integer CurrBrush() const { return FDoc.CurrBrush; }
    Word PixelsPerInchX() const { return QorFileInfo.PixelsPerInchX; }
    void SetPixelsPerInchX(Word Value) { QorFileInfo.PixelsPerInchX = Value; }
    Word PixelsPerInchY() const { return QorFileInfo.PixelsPerInchY; }
    void SetPixelsPerInchY(Word Value) { QorFileInfo.PixelsPerInchY = Value; }
    Integer PageWidth() const;
    Integer PageHeight() const;

    // What one document is: its records' objects, the recorder's state and the stored blocks.
    // Loading a file swaps the whole of it, so a field added here cannot be forgotten there.
    struct TDocument {
        std::vector<std::unique_ptr<TQorQorFileObject>> Objects;
        // Encoded entry -> its first index, so sharing costs no scan of the table.
        std::unordered_map<std::string, Integer> ObjectIndex;
        // The entries ShareObject answered last: a label selects the same few fonts, pens and
        // brushes over and over, and comparing records costs less than encoding one for the index.
        std::array<Integer, 8> RecentObjects{-1, -1, -1, -1, -1, -1, -1, -1};
        std::size_t NextRecent = 0;
        Integer LastFont = -1;
        Integer LastPen = -1;
        Integer LastBrush = -1;
        Integer CurrFont = -1;
        Integer CurrPen = -1;
        Integer CurrBrush = -1;
        bool Running = false;
        Single PercentDone = 0;
        String Description;
        std::unique_ptr<TMemoryStream> UserStream = std::make_unique<TMemoryStream>();
        TQorFileHeader QorFileHeader;
        TQorFileInfo QorFileInfo;
        TQorFilePrinterInfo QorFilePrinterInfo;
    };
    TDocument FDoc;

public:
    // The stored blocks of the document (parts of FDoc, so they swap with it).
    TQorFileHeader& QorFileHeader = FDoc.QorFileHeader;
    TQorFileInfo& QorFileInfo = FDoc.QorFileInfo;
    TQorFilePrinterInfo& QorFilePrinterInfo = FDoc.QorFilePrinterInfo;

private:
    void CheckRecording() const;
    void Put(const TQorRecord& Record);
    // Writes the reused record as a record of code Code.
    template <Word Code>
    void Put();
    // Checks that a document is being recorded and starts the reused record at a point.
    void StartRecord(Word Code, Integer X, Integer Y);
    void PutSelect(Integer Index);
    void PutPageStart();
    void PutBarcode(Word Code, Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                    Integer WideWidth, bool Inches, bool Vertical, const String& BarData);
    void TakeStream(Word Code, TStream* Stream, Integer X, Integer Y, const TRect& Rect);
    void PutStream(Word Code, TStream* Stream, Integer X, Integer Y, const TRect& Rect);
    void PutGraphic(Word Code, TGraphic* Graphic, Integer X, Integer Y, const TRect& Rect);
    // The index of an entry equal to Record, appended when there is none.
    Integer ShareObject(const TQorObjectRecord& Record);
    // The entry of a pen or brush: Current (-1: none) when it is that one, so selecting the
    // current one again needs no record built and no look-up; else as ShareObject.
    template <class TLogObject>
    Integer ShareAgain(Integer Current, const TLogObject& Value);
    void IndexObject(Integer Index);
    void FinishDoc(bool WriteFile);
    // Blocks 1 to 7 from Stream's position; the header is rewritten at that position.
    void WriteDocument(TStream& Stream, const TQorPrinterSetup& Setup);
    // Writes the document through a temporary file beside FileName, renamed over it at the end.
    void WriteFileSafely(const String& FileName, const TQorPrinterSetup& Setup);
    void LoadDocument(TStream& Stream);
    // Raises EQorFileError unless every page's records read whole, select objects the file has,
    // and end with the page's end.
    void CheckRecords();
    void SwapDocument(TQorQorFile& Other);

    // The font SetLogFont shared last, the name it was given (its entry's name is converted), the
    // height and resolution its size came from, and its entry; no entry while FLastFontIndex is -1.
    Integer FLastFontIndex = -1;
    String FLastFontName;
    Integer FLastFontHeight = 0;
    Integer FLastFontPPI = 0;
    TQorLogFont FLastFontRecord;
    String FFileName;
    bool FCreateFile = false;
    std::unique_ptr<TQorPrinterSetup> FQorStartPrinterSetup;
    struct TRtfSource;
    std::unique_ptr<TRtfSource> FRtfSource; // the rich text recorded last, parsed
    TQorRecord FRecord;     // reused by the writers
    TQorRecord FPlayRecord; // reused by playback
    bool FExporting = false;
    TQorExportFilter* FExportFilter = nullptr;

    friend class TQorPlayer;
};

// A container that draws the one page it is given on a device context.
class TQorDeviceContext : public TQorFile {
    QOR_CLASS(TQorDeviceContext, TQorFile)
public:
    TQorDeviceContext() = default;

    HDC DC() const { return FDC; }
    void SetDC(HDC Value) { FDC = Value; }

    void LoadQorFile(TQorFile* QorFile) override;
    // Plays Page of QorFile on the device context, brought into QorFile's range first.
    void LoadPage(TQorFile* QorFile, Integer Page) override;
    void LoadPages(TQorFile* QorFile, Integer StartPage, Integer EndPage) override;
    void LoadFromFile(const String& FileName) override;
    void LoadFromStream(TStream* LoadStream) override;
    void Send(TQorFile* QorFile) override;
    void SendPage(TQorFile* QorFile, Integer Page) override;
    void SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage) override;
    void SaveToFile(const String& FileName) override;
    void SaveToStream(TStream* SaveStream) override;
    void PlayPage(HDC DC, Integer Page) override;

private:
    HDC FDC;
};

// When true, a change of the duplex setting between the stored pages of a page file being printed
// starts a new print job. Set by the application; false at start.
extern bool DuplexNewJob;

// Prints ranges of pages of a page file on the selected printer. Copies are made by sending pages
// again (the printer is asked for one copy), collated or not; the printer setup stored with each
// page is applied when it changes (unless IgnorePrinterSettings); stop and abort are honoured
// between pages.
class TQorPrinter : public TQorFile {
    QOR_CLASS(TQorPrinter, TQorFile)
public:
    TQorPrinter() = default;

    // Prints pages StartPage to EndPage of QorFile (a page file). A file still being recorded
    // prints at most its last complete page.
    void LoadPages(TQorFile* QorFile, Integer StartPage, Integer EndPage) override;
    void LoadPage(TQorFile* QorFile, Integer Page) override;
    void LoadQorFile(TQorFile* QorFile) override;
    void LoadFromFile(const String& FileName) override;
    void LoadFromStream(TStream* LoadStream) override;
    void Send(TQorFile* QorFile) override;
    void SendPage(TQorFile* QorFile, Integer Page) override;
    void SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage) override;
    void SaveToFile(const String& FileName) override;
    void SaveToStream(TStream* SaveStream) override;
    void PlayPage(HDC DC, Integer Page) override;

    // Set from a status handler while printing: abort discards the job, stop ends it after the
    // pages printed so far. Both are cleared when a run begins.
    bool AbortPrinting() const { return FAbortPrinting; }
    void SetAbortPrinting(bool Value) { FAbortPrinting = Value; }
    bool StopPrinting() const { return FStopPrinting; }
    void SetStopPrinting(bool Value) { FStopPrinting = Value; }
    // The page being printed, for a status display.
    Integer PageNumber() const { return FPageNumber; }
    void SetPageNumber(Integer Value) { FPageNumber = Value; }
    // Called with the printer at each page and at the start and end of a run.
    TNotifyEvent OnStatus;
    // Copies collated or not whatever the pages' setup says (as a command line asks); empty: as the
    // pages' setup says.
    std::optional<bool> CollateCopies;
    // The file the first job writes on a PDF or described printer (empty, and for any later job of
    // the run: the printer chooses).
    const String& PrintFileName() const { return FPrintFileName; }
    void SetPrintFileName(const String& Value) { FPrintFileName = Value; }

private:
    bool FAbortPrinting = false;
    bool FStopPrinting = false;
    Integer FPageNumber = 0;
    String FPrintFileName;
};

// Loads a saved page file and prints all its pages on the selected printer. A printer error at the
// end of the document is raised as EPrinter.
void QorFilePrint(const String& FileName);

// Holds one container, frees it when done with it, and forwards to it.
class TQorFiler : public TObject {
    QOR_CLASS(TQorFiler, TObject)
public:
    TQorFiler();
    ~TQorFiler() override;

    // The container shown: the held one, or one shown without being held.
    TQorFile* QorFile() const { return FQorFile; }
    // Holds Value from now on, freeing the container held before.
    virtual void SetQorFile(std::unique_ptr<TQorFile> Value);
    // Shows Value without holding it: its owner keeps it and frees it (a held one is freed first).
    void ShowQorFile(TQorFile* Value);
    // Lets go of the container: the held one is the caller's now (null when it was only shown).
    std::unique_ptr<TQorFile> TakeQorFile();
    // Whether the filer holds what it shows.
    bool HoldsQorFile() const { return FQorFile && FQorFile == FHeld.get(); }
    // Loads a page file into a new container, which replaces the held one only when it loaded.
    virtual void LoadFromStream(TStream* Stream);
    virtual void LoadFromFile(const String& FileName);
    virtual void SaveToFile(const String& FileName);
    virtual void SaveToStream(TStream* Stream);
    virtual void Send(TQorFile* QorFile);
    virtual void SendPage(TQorFile* QorFile, Integer Page);
    virtual void SendPages(TQorFile* QorFile, Integer StartPage, Integer EndPage);

private:
    std::unique_ptr<TQorFile> FHeld;
    TQorFile* FQorFile = nullptr;
};

} // namespace qor
