#include "runtime/output/QorOut.h"

#include "platform/graphics/Brush.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/Pen.h"
#include "platform/graphics/Screen.h"
#include "platform/printing/Printers.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"

#include <utility>

namespace qor {

QOR_PUBLISH(TQorCanvas) {}
QOR_PUBLISH(TQorOutput) {}

std::function<IQorViewer*()> QorCreateViewer;
Integer PrintOffsetX = 0;
Integer PrintOffsetY = 0;
TQorPrintOffsetEvent OnPrintOffset;

// ---- TQorCanvas: attributes ------------------------------------------------------------------------

TQorCanvas::TQorCanvas()
    : FFont(std::make_unique<TFont>()), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()),
      FPixelsPerInchX(ScreenPixelsPerInch()), FPixelsPerInchY(ScreenPixelsPerInch()),
      FDevice(std::make_unique<TQorDeviceTarget>(*this))
{
    BindNotifications(true);
}

TQorCanvas::~TQorCanvas()
{
    SetHandle(HDC());
    BindNotifications(false);
    if (FSelectFont)
        DeleteObject(FSelectFont);
    if (FSelectBrush)
        DeleteObject(FSelectBrush);
    if (FSelectPen)
        DeleteObject(FSelectPen);
}

void TQorCanvas::BindNotifications(bool Bound)
{
    if (Bound) {
        FFont->OnChange = [this](TObject*) {
            FFontCopied = false;
            if (!FMuted)
                UpdateFont();
        };
        FPen->OnChange = [this](TObject*) {
            FPenCopied = false;
            if (!FMuted)
                UpdatePen();
        };
        FBrush->OnChange = [this](TObject*) {
            FBrushCopied = false;
            if (!FMuted)
                UpdateBrush();
        };
    } else {
        FFont->OnChange = nullptr;
        FPen->OnChange = nullptr;
        FBrush->OnChange = nullptr;
    }
}

// Inline: every drawing call asks it, and only this file does.
inline IQorDrawTarget* TQorCanvas::Target() const
{
    switch (FDestination) {
    case qdPrinter: return FDevice.get();
    case qdQorFile:
    case qdPreview: {
        TQorQorFile* File = FQorOutput ? FQorOutput->QorFile() : nullptr;
        if (!File || !File->Running())
            throw EInvalidOperation("The canvas has no open document to record into");
        return File;
    }
    case qdNoWhere: break;
    }
    return nullptr;
}

namespace {

// Two descriptions that make the same object: everything Assign copies is equal.
bool SameDescription(const TFont& A, const TFont& B)
{
    return A.Height() == B.Height() && A.PixelsPerInch() == B.PixelsPerInch() && A.Color() == B.Color() &&
           A.Style() == B.Style() && A.Pitch() == B.Pitch() && A.Charset() == B.Charset() &&
           A.Orientation() == B.Orientation() && A.Name() == B.Name();
}

bool SameDescription(const TPen& A, const TPen& B)
{
    return A.Color() == B.Color() && A.Width() == B.Width() && A.Style() == B.Style() && A.Mode() == B.Mode();
}

// A pattern bitmap may have changed under the same pointer: never the same.
bool SameDescription(const TBrush& A, const TBrush& B)
{
    return !A.Bitmap() && !B.Bitmap() && A.Color() == B.Color() && A.Style() == B.Style();
}

} // namespace

void TQorCanvas::SetFont(TFont* Value)
{
    // The same font again keeps the object made for it (copying would free it and make it anew).
    if (!FFontCopied || !SameDescription(*FFont, *Value)) {
        FMuted = true;
        FFont->Assign(Value);
        FMuted = false;
        FFontCopied = Value != FFont.get();
        FFontObjectRead = false;
    }
    UpdateFont();
}

void TQorCanvas::SetPen(TPen* Value)
{
    if (!FPenCopied || !SameDescription(*FPen, *Value)) {
        FMuted = true;
        FPen->Assign(Value);
        FMuted = false;
        FPenCopied = Value != FPen.get();
        FPenObjectRead = false;
    }
    UpdatePen();
}

void TQorCanvas::SetBrush(TBrush* Value)
{
    if (!FBrushCopied || !SameDescription(*FBrush, *Value)) {
        FMuted = true;
        FBrush->Assign(Value);
        FMuted = false;
        FBrushCopied = Value != FBrush.get();
        FBrushObjectRead = false;
    }
    UpdateBrush();
}

void TQorCanvas::UpdateFont()
{
    if (FDestination == qdNoWhere)
        return;
    // A copy kept since it was read keeps its object, and so what the object reads.
    if (!FFontCopied || !FFontObjectRead) {
        FFontObject = LOGFONT();
        QorGetObject(FFont->Handle(), sizeof(LOGFONT), &FFontObject);
        FFontObjectRead = FFontCopied;
    }
    SetLogFont(FFontObject);
}

Integer TQorCanvas::DeviceFontHeight()
{
    const Integer Height = FFont->Height(), FontPPI = FFont->PixelsPerInch();
    if (!FDeviceHeight.Known || Height != FDeviceHeight.Height || FontPPI != FDeviceHeight.FontPPI ||
        FPixelsPerInchY != FDeviceHeight.PPI)
        FDeviceHeight = {true, Height, FontPPI, FPixelsPerInchY, -MulDiv(FFont->Size(), FPixelsPerInchY, 72)};
    return FDeviceHeight.Value;
}

void TQorCanvas::SetLogFont(const LOGFONT& Value)
{
    FLogFont = Value;
    FLogFont.lfHeight = DeviceFontHeight();
    SetSelectFont(HFONT());
    FontChanged();
}

void TQorCanvas::FontChanged()
{
    if (IQorDrawTarget* T = Target())
        T->SetLogFont(FFont.get(), FLogFont);
}

void TQorCanvas::SetFontAngle(Integer Angle)
{
    FLogFont.lfEscapement = static_cast<Integer>(Round(Angle * 10.0));
    SetLogFont(FLogFont);
}

void TQorCanvas::SetLogPen(const LOGPEN& Value)
{
    FLogPen = Value;
    SetSelectPen(HPEN());
}

void TQorCanvas::UpdatePen()
{
    if (FDestination == qdNoWhere)
        return;
    if (!FPenCopied || !FPenObjectRead) {
        FPenObject = LOGPEN();
        QorGetObject(FPen->Handle(), sizeof(LOGPEN), &FPenObject);
        FPenObjectRead = FPenCopied;
    }
    SetLogPen(FPenObject);
    if (IQorDrawTarget* T = Target())
        T->SetPen(FPen.get());
}

void TQorCanvas::SetLogBrush(const LOGBRUSH& Value)
{
    FLogBrush = Value;
    SetSelectBrush(HBRUSH());
}

void TQorCanvas::UpdateBrush()
{
    if (FDestination == qdNoWhere)
        return;
    if (!FBrushCopied || !FBrushObjectRead) {
        // A brush of a colour and a style that has no object yet reads as the object it would
        // make: none is made only to be read.
        if (!FBrush->Bitmap() && !FBrush->HandleAllocated()) {
            FBrushObject = FBrush->LogBrush();
        } else {
            FBrushObject = LOGBRUSH();
            QorGetObject(FBrush->Handle(), sizeof(LOGBRUSH), &FBrushObject);
        }
        FBrushObjectRead = FBrushCopied;
    }
    SetLogBrush(FBrushObject);
    if (IQorDrawTarget* T = Target())
        T->SetBrush(FBrush.get());
}

void TQorCanvas::SetHandle(HDC DC)
{
    FMuted = true;
    SetSelectFont(HFONT());
    SetSelectPen(HPEN());
    SetSelectBrush(HBRUSH());
    FFont->SetHandle(HFONT(GetStockObject(SYSTEM_FONT)));
    FPen->SetHandle(HPEN(GetStockObject(BLACK_PEN)));
    FBrush->SetHandle(HBRUSH(GetStockObject(NULL_BRUSH)));
    FMuted = false;
    FHandle = DC;
}

HFONT TQorCanvas::SelectFont()
{
    if (!FSelectFont)
        FSelectFont = CreateFontIndirect(FLogFont);
    return FSelectFont;
}

HBRUSH TQorCanvas::SelectBrush()
{
    if (!FSelectBrush)
        FSelectBrush = CreateBrushIndirect(FLogBrush);
    return FSelectBrush;
}

HPEN TQorCanvas::SelectPen()
{
    if (!FSelectPen)
        FSelectPen = CreatePenIndirect(FLogPen);
    return FSelectPen;
}

namespace {

// Selects the stock object into DC (when there is one), deletes the held object and holds Value.
template <class THandleType>
void ReplaceSelected(HDC DC, Integer Stock, THandleType& Held, THandleType Value)
{
    if (DC)
        SelectObject(DC, GetStockObject(Stock));
    if (Held)
        DeleteObject(Held);
    Held = Value;
}

} // namespace

void TQorCanvas::SetSelectFont(HFONT Value) { ReplaceSelected(FHandle, SYSTEM_FONT, FSelectFont, Value); }
void TQorCanvas::SetSelectBrush(HBRUSH Value) { ReplaceSelected(FHandle, NULL_BRUSH, FSelectBrush, Value); }
void TQorCanvas::SetSelectPen(HPEN Value) { ReplaceSelected(FHandle, BLACK_PEN, FSelectPen, Value); }

// ---- TQorCanvas: drawing -----------------------------------------------------------------------------

void TQorCanvas::SetTextAlign(Word Flags)
{
    if (IQorDrawTarget* T = Target())
        T->SetTextAlign(Flags);
}

void TQorCanvas::Textout(Integer X, Integer Y, const String& Text)
{
    if (IQorDrawTarget* T = Target())
        T->Textout(X, Y, Text);
}

void TQorCanvas::MoveTo(Integer X, Integer Y)
{
    if (IQorDrawTarget* T = Target())
        T->MoveTo(X, Y);
}

void TQorCanvas::LineTo(Integer X, Integer Y)
{
    if (IQorDrawTarget* T = Target())
        T->LineTo(X, Y);
}

void TQorCanvas::PTextOut(Integer X, Integer Y, const WideChar* Text, Integer Count)
{
    if (IQorDrawTarget* T = Target())
        T->PTextout(X, Y, Text, Count);
}

void TQorCanvas::ExtTextout(Integer X, Integer Y, Word Options, const TRect& Rect, const WideChar* Text, Word Count)
{
    if (IQorDrawTarget* T = Target())
        T->ExtTextout(X, Y, Options, Rect, Text, Count);
}

void TQorCanvas::TextRect(const TRect& Rect, Integer X, Integer Y, const String& Text)
{
    if (IQorDrawTarget* T = Target())
        T->TextRect(Rect, X, Y, Text);
}

void TQorCanvas::FillRect(const TRect& Rect)
{
    if (IQorDrawTarget* T = Target())
        T->FillRect(Rect);
}

void TQorCanvas::Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    if (IQorDrawTarget* T = Target())
        T->Rectangle(X1, Y1, X2, Y2);
}

void TQorCanvas::RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3)
{
    if (IQorDrawTarget* T = Target())
        T->RoundRect(X1, Y1, X2, Y2, X3, Y3);
}

void TQorCanvas::Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    if (IQorDrawTarget* T = Target())
        T->Ellipse(X1, Y1, X2, Y2);
}

void TQorCanvas::Draw(Integer X, Integer Y, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    if (IQorDrawTarget* T = Target())
        T->Draw(X, Y, Graphic);
}

void TQorCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    if (IQorDrawTarget* T = Target())
        T->StretchDraw(Rect, Graphic);
}

void TQorCanvas::ShadeRect(const TRect& Rect, TQorShadePercent Shade)
{
    if (IQorDrawTarget* T = Target())
        T->ShadeRect(Rect, Shade);
}

void TQorCanvas::SetBkColor(Integer Color)
{
    if (IQorDrawTarget* T = Target())
        T->SetBkColor(Color);
}

void TQorCanvas::TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                             const TRect& FullRect)
{
    if (IQorDrawTarget* T = Target())
        T->TextJustify(Rect, X, Y, Text, EndParagraph, FullRect);
}

void TQorCanvas::DrawBitmap(Integer X, Integer Y, TStream* Stream)
{
    if (!Stream || Stream->Size() == 0)
        return;
    if (IQorDrawTarget* T = Target())
        T->DrawBitmap(X, Y, Stream);
}

void TQorCanvas::StretchDrawBitmap(const TRect& Rect, TStream* Stream)
{
    if (!Stream || Stream->Size() == 0)
        return;
    if (IQorDrawTarget* T = Target())
        T->StretchDrawBitmap(Rect, Stream);
}

void TQorCanvas::RtfDraw(const TRect& Rect, TStream* Stream, Integer StartPos, Integer EndPos, bool SetDefFont)
{
    if (!Stream || Stream->Size() == 0)
        return;
    if (IQorDrawTarget* T = Target())
        T->RtfDraw(Rect, Stream, StartPos, EndPos, SetDefFont);
}

void TQorCanvas::DrawCheckBox(const TRect& Rect, TQorCheckStyle CheckStyle, TColor Color, Integer Thickness)
{
    if (IQorDrawTarget* T = Target())
        T->DrawCheckBox(Rect, CheckStyle, Color, Thickness);
}

void TQorCanvas::Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    DrawShapeType(dtArc, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TQorCanvas::Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    DrawShapeType(dtChord, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TQorCanvas::Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4)
{
    DrawShapeType(dtPie, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TQorCanvas::DrawShapeType(TQorDrawType DrawType, Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3,
                               Integer Y3, Integer X4, Integer Y4)
{
    if (IQorDrawTarget* T = Target())
        T->DrawShapeType(DrawType, X1, Y1, X2, Y2, X3, Y3, X4, Y4);
}

void TQorCanvas::Polygon(const TPoint* Points, Integer LastIndex) { PolyDrawType(ptPolygon, Points, LastIndex); }

void TQorCanvas::Polyline(const TPoint* Points, Integer LastIndex) { PolyDrawType(ptPolyLine, Points, LastIndex); }

void TQorCanvas::PolyDrawType(TQorPolyType PolyType, const TPoint* Points, Integer LastIndex)
{
    if (IQorDrawTarget* T = Target())
        T->DrawPoly(PolyType, Points, LastIndex + 1);
}

void TQorCanvas::Print3of9Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                  Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    if (IQorDrawTarget* T = Target())
        T->Print3of9Barcode(Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

void TQorCanvas::Print2of5Barcode(Integer Left, Integer Top, Integer Width, Integer Height, Integer NarrowWidth,
                                  Integer WideWidth, bool Inches, bool Vertical, const String& BarData)
{
    if (IQorDrawTarget* T = Target())
        T->Print2of5Barcode(Left, Top, Width, Height, NarrowWidth, WideWidth, Inches, Vertical, BarData);
}

// ---- TQorOutput ----------------------------------------------------------------------------------------

TQorOutput::TQorOutput()
    : FQorCanvas(std::make_unique<TQorCanvas>()), FQorPrinterSetup(std::make_unique<TQorPrinterSetup>()),
      FPixelsPerInchX(ScreenPixelsPerInch()), FPixelsPerInchY(ScreenPixelsPerInch())
{
}

TQorOutput::~TQorOutput()
{
    // A viewer still showing the file the job made keeps it.
    HandOverToViewer();
}

void TQorOutput::HandOverToViewer()
{
    IQorViewer* Viewer = std::exchange(FQorViewer, nullptr);
    if (!Viewer)
        return;
    Viewer->SetOutput(nullptr);
    if (FQorFile)
        Viewer->TakeQorFile(std::move(FQorFile));
    Viewer->SetGenerating(false);
}

std::unique_ptr<TQorQorFile> TQorOutput::DetachQorFile() { return std::move(FQorFile); }

void TQorOutput::ViewerGone(IQorViewer* Viewer)
{
    if (Viewer == FQorViewer)
        FQorViewer = nullptr;
}

TPrinter* TQorOutput::Printer() const { return ::qor::Printer(); }

void TQorOutput::SetDestination(TQorDestination Value)
{
    if (Value == FDestination)
        return;
    FDestination = Value;
    FQorCanvas->SetDestination(Value);
}

HDC TQorOutput::Handle() const
{
    if (FDestination == qdPrinter && Printer()->Printing())
        return Printer()->Handle();
    return HDC();
}

void TQorOutput::SetQorPrinterSetup(const TQorPrinterSetup* Value)
{
    if (Value && Value != FQorPrinterSetup.get())
        FQorPrinterSetup->Assign(*Value);
}

void TQorOutput::BeginFileDoc()
{
    if (FDestination == qdPreview && !QorCreateViewer)
        throw EInvalidOperation("No viewer is available to preview the report");
    FQorFile.reset();
    FQorFile = std::make_unique<TQorQorFile>();
    FQorFile->SetCreateFile(FDestination == qdQorFile && !FFileName.empty() ? FCreateFile : false);
    FQorFile->SetFileName(FFileName);
    FQorFile->SetDescription(FDescription);
    FQorPrinterSetup->SetData();
    FQorPrinterSetup->GetData();
    FQorFile->SetQorPrinterSetup(FQorPrinterSetup.get());
    FQorFile->SetPixelsPerInchX(static_cast<Word>(FPixelsPerInchX));
    FQorFile->SetPixelsPerInchY(static_cast<Word>(FPixelsPerInchY));
    FQorFile->BeginDoc();
    if (FDestination == qdPreview) {
        FQorViewer = QorCreateViewer();
        FQorViewer->SetOutput(this);
        FQorViewer->SetGenerating(true);
        FQorViewer->SetQorFile(FQorFile.get());
        FQorViewer->Show();
    }
}

void TQorOutput::BeginDoc()
{
    FLoadPercent = 0;
    FQorViewer = nullptr;
    FExceptionText.clear();
    switch (FDestination) {
    case qdPrinter:
        FQorPrinterSetup->SetData();
        FQorPrinterSetup->GetData();
        Printer()->SetTitle(FDescription.empty() ? String("Untitled Report") : FDescription);
        Printer()->BeginDoc(FPrintFileName);
        FixupPage();
        break;
    case qdQorFile:
    case qdPreview: BeginFileDoc(); break;
    case qdNoWhere: break;
    }
    FQorCanvas->SetQorOutput(this);
    FQorCanvas->SetDestination(FDestination);
    FQorCanvas->SetHandle(Handle());
    FQorCanvas->SetPixelsPerInchX(FPixelsPerInchX);
    FQorCanvas->SetPixelsPerInchY(FPixelsPerInchY);
}

void TQorOutput::FixupPage()
{
    if (FDestination != qdPrinter)
        return;
    const HDC DC = Handle();
    FPixelsPerInchX = GetDeviceCaps(DC, LOGPIXELSX);
    FPixelsPerInchY = GetDeviceCaps(DC, LOGPIXELSY);
    SetMapMode(DC, MM_ANISOTROPIC);
    if (OnPrintOffset)
        OnPrintOffset();
    const TPoint Res = QorGetResolution(DC);
    SetViewportOrgEx(DC,
                     MulDiv(PrintOffsetX, Res.X, 300) -
                         static_cast<Integer>(Round(FPixelsPerInchX * FQorPrinterSetup->LeftPrintArea())),
                     MulDiv(PrintOffsetY, Res.Y, 300) -
                         static_cast<Integer>(Round(FPixelsPerInchY * FQorPrinterSetup->TopPrintArea())));
}

void TQorOutput::StartPage()
{
    switch (FDestination) {
    case qdPrinter:
        ::qor::StartPage(Handle());
        FixupPage();
        FQorCanvas->FontChanged();
        break;
    case qdQorFile:
    case qdPreview:
        FQorFile->SetQorPrinterSetup(FQorPrinterSetup.get());
        FQorFile->NewPage();
        FQorFile->SetPercentDone(FLoadPercent);
        break;
    case qdNoWhere: break;
    }
}

void TQorOutput::EndPage()
{
    if (FDestination == qdPrinter)
        ::qor::EndPage(Handle());
}

void TQorOutput::NewPage()
{
    EndPage();
    StartPage();
}

void TQorOutput::EndDoc()
{
    FLoadPercent = 100.0f;
    FQorCanvas->SetHandle(HDC());
    switch (FDestination) {
    case qdPrinter: try { Printer()->EndDoc();
        } catch (const Exception& E) {
            FExceptionText = E.Message();
        }
        break;
    case qdQorFile:
    case qdPreview:
        if (FQorFile) {
            FQorFile->EndDoc();
            FQorFile->SetPercentDone(100.0f);
            if (FDestination == qdPreview)
                HandOverToViewer();
        }
        break;
    case qdNoWhere: break;
    }
}

void TQorOutput::Abort()
{
    FQorCanvas->SetHandle(HDC());
    switch (FDestination) {
    case qdPrinter:
        if (Printer()->Printing())
            Printer()->Abort();
        break;
    case qdQorFile:
        if (FQorFile)
            FQorFile->AbortDoc();
        break;
    case qdPreview: EndDoc(); break;
    case qdNoWhere: break;
    }
}

} // namespace qor
