#pragma once
// The output job and its page canvas: the one drawing surface every printing part draws on. The
// job's destination decides where each drawing call goes: drawn at once on the printer, recorded
// into a page file (saved to disk, or shown in the viewer while it grows), or dropped.
//
// Coordinates are device units of the target: printer pixels, or pixels of the page file's
// resolution. The canvas does no scaling of its own.

#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Object.h"
#include "runtime/output/QorDraw.h"
#include "runtime/output/QorMemoU.h"
#include "runtime/output/QorUtil.h"

#include <functional>
#include <memory>

namespace qor {

class TBrush;
class TFont;
class TGraphic;
class TPen;
class TPrinter;
class TQorOutput;
class TQorPrinterSetup;
class TQorQorFile;
class TStream;

enum TQorDestination : Byte { qdPrinter, qdQorFile, qdPreview, qdNoWhere };

// The canvas keeps the state; each change and each drawing call goes to the target of its
// destination: the device target on the printer, the job's page-file recorder on a file route, none
// nowhere.
class TQorCanvas : public TObject, public IQorMemoCanvas, public IQorDeviceObjects {
    QOR_CLASS(TQorCanvas, TObject)
public:
    TQorCanvas();
    ~TQorCanvas() override;

    TQorOutput* QorOutput() const { return FQorOutput; }
    void SetQorOutput(TQorOutput* Value) { FQorOutput = Value; }
    TQorDestination Destination() const { return FDestination; }
    void SetDestination(TQorDestination Value) { FDestination = Value; }
    Integer PixelsPerInchX() const override { return FPixelsPerInchX; }
    void SetPixelsPerInchX(Integer Value) { FPixelsPerInchX = Value; }
    Integer PixelsPerInchY() const override { return FPixelsPerInchY; }
    void SetPixelsPerInchY(Integer Value) { FPixelsPerInchY = Value; }

    TFont* Font() const override { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const override { return FBrush.get(); }
    // Copy the given object into the canvas's own; the change then takes effect once.
    void SetFont(TFont* Value) override;
    void SetPen(TPen* Value);
    void SetBrush(TBrush* Value);

    const LOGFONT& LogFont() const { return FLogFont; }
    // Takes LogFont with its height replaced by the canvas font's size at PixelsPerInchY.
    void SetLogFont(const LOGFONT& Value);
    const LOGPEN& LogPen() const { return FLogPen; }
    void SetLogPen(const LOGPEN& Value);
    const LOGBRUSH& LogBrush() const override { return FLogBrush; }
    void SetLogBrush(const LOGBRUSH& Value);
    // Angle in degrees (counter-clockwise); the next font change returns to 0.
    void SetFontAngle(Integer Angle);

    HDC Handle() const override { return FHandle; }
    // Releases the selected objects, resets font, pen and brush to the stock ones and takes DC;
    // nothing is selected into DC or recorded until the next change.
    void SetHandle(HDC DC);

    // The GDI objects of the current descriptions, made on first reading.
    HFONT SelectFont() override;
    HBRUSH SelectBrush() override;
    HPEN SelectPen() override;
    // Replaces a selected object: the stock one is selected first and the old one deleted.
    void SetSelectFont(HFONT Value);
    void SetSelectBrush(HBRUSH Value);
    void SetSelectPen(HPEN Value);

    void UpdateFont();
    void UpdatePen();
    void UpdateBrush();
    void FontChanged();

    // ---- drawing ----
    void SetTextAlign(Word Flags) override;
    void Textout(Integer X, Integer Y, const String& Text) override;
    void MoveTo(Integer X, Integer Y);
    void LineTo(Integer X, Integer Y);
    void PTextOut(Integer X, Integer Y, const WideChar* Text, Integer Count);
    void ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count);
    void TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text);
    void FillRect(const TRect& Rect);
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Draw(Integer X, Integer Y, TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    void ShadeRect(const TRect& Rect, TQorShadePercent Shade);
    void SetBkColor(Integer Color);
    void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                     const TRect& FullRect) override;
    void DrawBitmap(Integer X, Integer Y, TStream* Stream);
    void StretchDrawBitmap(const TRect& Rect, TStream* Stream);
    void RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont);
    void DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness);
    void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3,
                       Integer X4, Integer Y4);
    void Polygon(const TPoint* Points, Integer LastIndex);
    void Polyline(const TPoint* Points, Integer LastIndex);
    // Draws LastIndex + 1 points.
    void PolyDrawType(TQorPolyType PolyType, const TPoint* Points, Integer LastIndex);
    void Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData);
    void Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                          Integer WideWidth, bool Inches, bool Vertical, const String& BarData);

private:
    // The target of the destination: the device target on the printer, the recorder of a file
    // route, none nowhere. A file route with no page file (no document open) raises
    // EInvalidOperation.
    IQorDrawTarget* Target() const;
    void BindNotifications(bool Bound);
    // While set, changes to the canvas's font, pen and brush are not passed on (the canvas is
    // copying a whole object in, and passes it on once at the end).
    bool FMuted = false;
    // Set while the font, pen or brush is a copy SetFont, SetPen or SetBrush made, unchanged since:
    // its object was made from that description, so an equal description may keep it.
    bool FFontCopied = false;
    bool FPenCopied = false;
    bool FBrushCopied = false;
    // What the font's, the pen's and the brush's objects read, kept while they are such copies.
    LOGFONT FFontObject;
    bool FFontObjectRead = false;
    LOGPEN FPenObject;
    bool FPenObjectRead = false;
    LOGBRUSH FBrushObject;
    bool FBrushObjectRead = false;
    // The font's height in device pixels (its size at PixelsPerInchY), kept with the font height
    // and the resolutions it was worked out from.
    struct TDeviceHeight {
        bool Known = false;
        Integer Height = 0;
        Integer FontPPI = 0;
        Integer PPI = 0;
        Integer Value = 0;
    } FDeviceHeight;
    Integer DeviceFontHeight();

    TQorOutput* FQorOutput = nullptr;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TPen> FPen;
    HDC FHandle;
    TQorDestination FDestination = qdPrinter;
    Integer FPixelsPerInchX;
    Integer FPixelsPerInchY;
    LOGFONT FLogFont;
    LOGPEN FLogPen;
    LOGBRUSH FLogBrush;
    HFONT FSelectFont;
    HBRUSH FSelectBrush;
    HPEN FSelectPen;
    std::unique_ptr<TQorDeviceTarget> FDevice;
};

// What the output job needs of the viewer that shows a preview job while it grows.
// The job shows the page file it records; the file stays the job's until it hands it over with
// TakeQorFile (when its document ends, or when the job goes first). A viewer that goes first tells
// the job (ViewerGone); the file was never the viewer's to free.
class IQorViewer {
public:
    virtual ~IQorViewer() = default;
    // The job the viewer shows (none once the job has let go of it).
    virtual void SetOutput(TQorOutput* Output) = 0;
    virtual void SetGenerating(bool Value) = 0;
    virtual void SetQorFile(TQorQorFile* Value) = 0;
    // The page file the viewer shows is the viewer's from now on (one it no longer shows is freed).
    virtual void TakeQorFile(std::unique_ptr<TQorQorFile> File) = 0;
    virtual void Show() = 0;
};

// Makes the viewer of a preview job (owned by the application, not the job). Installed by the
// viewer; without one a preview job cannot begin.
extern std::function<IQorViewer*()> QorCreateViewer;

// Extra shift of the printed page in 1/300 inch (positive: right and down), and a hook called at
// every printer page set-up before they are read.
extern Integer PrintOffsetX;
extern Integer PrintOffsetY;
using TQorPrintOffsetEvent = std::function<void()>;
extern TQorPrintOffsetEvent OnPrintOffset;

class TQorOutput : public TObject {
    QOR_CLASS(TQorOutput, TObject)
public:
    TQorOutput();
    ~TQorOutput() override;

    TPrinter* Printer() const;
    TQorDestination Destination() const { return FDestination; }
    void SetDestination(TQorDestination Value);
    TQorCanvas* QorCanvas() const { return FQorCanvas.get(); }
    // The printer's device context for a printer job; none otherwise.
    HDC Handle() const;
    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value) { FFileName = Value; }
    // The file a printer job writes on a PDF or described printer (empty: the printer chooses).
    const String& PrintFileName() const { return FPrintFileName; }
    void SetPrintFileName(const String& Value) { FPrintFileName = Value; }
    TQorQorFile* QorFile() const { return FQorFile.get(); }
    // The job lets go of its page file: the caller owns it from now on (null when there is none).
    std::unique_ptr<TQorQorFile> DetachQorFile();
    TQorPrinterSetup* QorPrinterSetup() const { return FQorPrinterSetup.get(); }
    void SetQorPrinterSetup(const TQorPrinterSetup* Value);
    Integer PixelsPerInchX() const { return FPixelsPerInchX; }
    void SetPixelsPerInchX(Integer Value) { FPixelsPerInchX = Value; }
    Integer PixelsPerInchY() const { return FPixelsPerInchY; }
    void SetPixelsPerInchY(Integer Value) { FPixelsPerInchY = Value; }
    Single LoadPercent() const { return FLoadPercent; }
    void SetLoadPercent(Single Value) { FLoadPercent = Value; }
    IQorViewer* QorViewer() const { return FQorViewer; }
    const String& Description() const { return FDescription; }
    void SetDescription(const String& Value) { FDescription = Value; }
    bool CreateFile() const { return FCreateFile; }
    void SetCreateFile(bool Value) { FCreateFile = Value; }
    const String& ExceptionText() const { return FExceptionText; }

    // Begins the document and its first page.
    void BeginDoc();
    void StartPage();
    void EndPage();
    void NewPage();
    void EndDoc();
    // Ends the document without delivering it: nothing printed, no file written.
    void Abort();
    // The printer page set-up: resolution, mapping mode and the page origin with the print offset.
    void FixupPage();
    // Told by the viewer of a preview job when it goes before the job has ended.
    void ViewerGone(IQorViewer* Viewer);

private:
    bool FileRoute() const { return FDestination == qdQorFile || FDestination == qdPreview; }
    void BeginFileDoc();
    // Gives the page file to the preview's viewer, which keeps it from now on.
    void HandOverToViewer();

    TQorDestination FDestination = qdPrinter;
    std::unique_ptr<TQorCanvas> FQorCanvas;
    String FFileName;
    String FPrintFileName;
    std::unique_ptr<TQorQorFile> FQorFile;
    std::unique_ptr<TQorPrinterSetup> FQorPrinterSetup;
    Integer FPixelsPerInchX;
    Integer FPixelsPerInchY;
    Single FLoadPercent = 0;
    IQorViewer* FQorViewer = nullptr;
    String FDescription;
    bool FCreateFile = true;
    String FExceptionText;
};

} // namespace qor
