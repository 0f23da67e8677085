#include "runtime/output/QorPrev.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/TypeInfo.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TQorPreview)
{
    b.Event("OnVertScroll", &TQorPreview::OnVertScroll);
    b.Event("OnHorzScroll", &TQorPreview::OnHorzScroll);
}

QOR_MESSAGE(WM_HSCROLL, &TQorPreview::WMHScroll);
QOR_MESSAGE(WM_VSCROLL, &TQorPreview::WMVScroll);
QOR_MESSAGE(WM_GETDLGCODE, &TQorPreview::WMGetDlgCode);

TQorPreview::TQorPreview(TComponent* AOwner)
    : TScrollBox(AOwner), FQorPrinterSetup(std::make_unique<TQorPrinterSetup>()),
      FFiler(std::make_unique<TQorFiler>()), FQorDC(std::make_unique<TQorDeviceContext>())
{
    // The background box first, so that the page box lies above it.
    FPaintBox2 = MakePaintBox();
    if (!ComponentState().Contains(csDesigning))
        FPaintBox2->SetAlign(alClient);
    FPaintBox = MakePaintBox();
}

TQorPreview::~TQorPreview()
{
    // The paint boxes go first (unless they went with the preview's components already).
    delete FPaintBox;
    delete FPaintBox2;
    FreePagePicture();
}

void TQorPreview::Notification(TComponent* AComponent, TOperation Operation)
{
    TScrollBox::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FPaintBox)
        FPaintBox = nullptr;
    if (AComponent == FPaintBox2)
        FPaintBox2 = nullptr;
}

TPaintBox* TQorPreview::MakePaintBox()
{
    TPaintBox* Box = Create<TPaintBox>(this);
    Box->SetParent(this);
    Box->SetBounds(0, 0, 0, 0);
    Box->OnClick = [this](TObject* Sender) { ClickedMe(Sender); };
    Box->OnDblClick = [this](TObject* Sender) { DblClickedMe(Sender); };
    Box->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
        PrevMouseDown(Sender, Button, Shift, X, Y);
    };
    Box->OnMouseMove = [this](TObject* Sender, TShiftState Shift, Integer X, Integer Y) {
        PrevMouseMove(Sender, Shift, X, Y);
    };
    Box->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
        PrevMouseUp(Sender, Button, Shift, X, Y);
    };
    return Box;
}

void TQorPreview::AttachPainter()
{
    for (TPaintBox* Box : {FPaintBox, FPaintBox2})
        Box->OnPaint = [this](TObject* Sender) { PaintPage(Sender); };
}

Integer TQorPreview::ScreenPpi() const { return ScreenPixelsPerInch(); }

// ---- the page file ------------------------------------------------------------------------------

TQorQorFile* TQorPreview::QorFile() const { return dynamic_cast<TQorQorFile*>(FFiler->QorFile()); }

Integer TQorPreview::PageCount() const { return QorFile() ? QorFile()->PageCount() : 0; }

Double TQorPreview::LoadPercent() const { return QorFile() ? QorFile()->PercentDone() : 0; }

String TQorPreview::Description() const { return QorFile() ? QorFile()->Description() : String(); }

void TQorPreview::SetDescription(const String& Value)
{
    if (TQorQorFile* F = QorFile())
        F->SetDescription(Value);
}

void TQorPreview::SetQorPrinterSetup(const TQorPrinterSetup* Value)
{
    if (Value)
        FQorPrinterSetup->Assign(*Value);
}

void TQorPreview::LoadFromStream(TStream* Stream)
{
    FFiler->LoadFromStream(Stream);
    AttachPainter();
    FPage = -1;
    SetPage(1);
}

void TQorPreview::LoadFromFile(const String& FileName)
{
    FFiler->LoadFromFile(FileName);
    AttachPainter();
    FPage = -1;
    SetPage(1);
}

void TQorPreview::LoadFromQorFile(std::unique_ptr<TQorFile> AF)
{
    TQorFile* Shown = AF.get();
    if (!Shown)
        return;
    FFiler->SetQorFile(std::move(AF));
    ShowQorFile(Shown);
}

void TQorPreview::ShowQorFile(TQorFile* AF)
{
    if (!AF)
        return;
    FPage = 1;
    FFiler->ShowQorFile(AF);
    AttachPainter();
    LoadCurrentQPS();
    SizePage();
}

void TQorPreview::SaveToFile(const String& FileName) { FFiler->SaveToFile(FileName); }

void TQorPreview::SaveToStream(TStream* Stream) { FFiler->SaveToStream(Stream); }

// ---- pages and zoom -----------------------------------------------------------------------------

void TQorPreview::SetPage(Integer Value)
{
    if (Value == FPage || !QorFile() || Value < 1 || Value > PageCount())
        return;
    FPage = Value;
    LoadCurrentQPS();
    SizePage();
}

void TQorPreview::LoadCurrentQPS()
{
    if (TQorQorFile* F = QorFile(); F && F->GetPagePrinterInfo(FQorPrinterSetup.get(), FPage))
        FQorPrinterSetup->SetDataReset();
}

TSize TQorPreview::PageSize() const
{
    Double W = 0, L = 0;
    FQorPrinterSetup->PageSizeInches(W, L);
    const Integer P = ScreenPpi();
    return TSize(Integer(Round(P * (FZoom * W / 100))), Integer(Round(P * (FZoom * L / 100))));
}

void TQorPreview::SizePage()
{
    if (FPrinting || !QorFile())
        return;
    const TSize Size = PageSize();
    if (FPaintBox->Width() != Size.cx || FPaintBox->Height() != Size.cy) {
        FPaintBox->SetHeight(Size.cy);
        FPaintBox->SetWidth(Size.cx);
    }
    // The page box has a widget of its own: repainting the preview around it leaves it as it was.
    FPaintBox->Invalidate();
    Invalidate();
}

void TQorPreview::SetZoom(Integer Value)
{
    Value = std::max(Value, 1);
    if (Value == FZoom)
        return;
    FZoom = Value;
    if (TQorQorFile* F = QorFile()) {
        F->SetHorzScale(Value);
        F->SetVertScale(Value);
    }
    SizePage();
}

void TQorPreview::SetQorZoom(TQorZoom Value)
{
    static constexpr Integer Percent[] = {200, 150, 100, 75, 50, 25, 10};
    FQorZoom = Value;
    switch (Value) {
    case qzWidth: ZoomWidth(); break;
    case qzHeight: ZoomHeight(); break;
    case qzPage: ZoomPage(); break;
    default: SetZoom(Percent[std::min<Integer>(Value, qz10)]); break;
    }
}

// A fit needs a control with some size; a hidden or empty one keeps the zoom it has.
void TQorPreview::ZoomWidth()
{
    Double W = 0, L = 0;
    FQorPrinterSetup->PageSizeInches(W, L);
    if (Width() <= 0 || !Visible())
        return;
    SetZoom(Integer(Round(Width() * 100.0 / (ScreenPpi() * W))) - 2);
}

void TQorPreview::ZoomHeight()
{
    Double W = 0, L = 0;
    FQorPrinterSetup->PageSizeInches(W, L);
    if (Height() <= 0 || !Visible())
        return;
    SetZoom(Integer(Round(Height() * 100.0 / (ScreenPpi() * L))) - 2);
}

void TQorPreview::ZoomPage()
{
    Double W = 0, L = 0;
    FQorPrinterSetup->PageSizeInches(W, L);
    if (Width() <= 0 || Height() <= 0 || !Visible())
        return;
    if (Double(Height()) / Width() * 100 > L / W * 100)
        ZoomWidth();
    else
        ZoomHeight();
}

void TQorPreview::Resize()
{
    if (FQorZoom == qzWidth || FQorZoom == qzHeight || FQorZoom == qzPage)
        SetQorZoom(FQorZoom);
    TScrollBox::Resize();
}

// ---- painting -----------------------------------------------------------------------------------

void TQorPreview::FreePagePicture()
{
    if (FPageDC)
        DeleteDC(FPageDC);
    FPageDC = HDC();
    FPictureFile = nullptr;
}

void TQorPreview::UpdatePagePicture()
{
    TQorQorFile* F = QorFile();
    const TSize Size = PageSize();
    const bool Current = FPageDC && FPictureFile == F && FPicturePage == FPage && FPictureZoom == FZoom &&
                         FPicturePageCount == PageCount() && FPictureRunning == (F && F->Running()) &&
                         GetDCBitmapSize(FPageDC) == Size;
    if (Current || !F || Size.cx <= 0 || Size.cy <= 0)
        return;
    FreePagePicture();
    FPageDC = CreateRasterDC(Size.cx, Size.cy, ScreenPpi());
    if (!FPageDC)
        return;
    PatBlt(FPageDC, 0, 0, Size.cx, Size.cy, WHITENESS);
    F->SetHorzScale(FZoom);
    F->SetVertScale(FZoom);
    FQorDC->SetDC(FPageDC);
    if (PageCount() >= 1)
        FFiler->SendPage(FQorDC.get(), FPage);
    FQorDC->SetDC(HDC());
    FPictureFile = F;
    FPicturePage = FPage;
    FPictureZoom = FZoom;
    FPicturePageCount = PageCount();
    FPictureRunning = F->Running();
    ++FPagePlays;
}

void TQorPreview::PagesChanged()
{
    const TQorQorFile* F = QorFile();
    if (!F)
        return;
    // The page last played was the one being recorded (played as far as it went, or not at all).
    const bool Partial = FPictureFile == F && FPictureRunning && FPicturePage >= FPicturePageCount;
    if (!FPageDC || (Partial && (PageCount() != FPicturePageCount || !F->Running())))
        FPaintBox->Invalidate();
}

void TQorPreview::PaintPage(TObject* Sender)
{
    if (FPainting)
        return;
    FPainting = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } Done{FPainting};
    if (FPrinting)
        return;
    auto* Box = static_cast<TPaintBox*>(Sender);
    TCanvas& C = *Box->Canvas();
    if (Box == FPaintBox2) {
        C.Brush()->SetColor(clBtnFace);
        C.Brush()->SetStyle(bsSolid);
        C.FillRect(Box->ClientRect());
        return;
    }
    UpdatePagePicture();
    if (FPageDC) {
        const TSize Size = GetDCBitmapSize(FPageDC);
        BitBlt(C.Handle(), 0, 0, Size.cx, Size.cy, FPageDC, 0, 0, SRCCOPY);
    }
}

// ---- events and messages ------------------------------------------------------------------------

void TQorPreview::ClickedMe(TObject*) { Click(); }

void TQorPreview::DblClickedMe(TObject*) { DblClick(); }

void TQorPreview::PrevMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (auto* C = dynamic_cast<TControl*>(Sender); C && C->Parent())
        C->Parent()->MouseDown(Button, Shift, X, Y);
}

void TQorPreview::PrevMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y)
{
    if (auto* C = dynamic_cast<TControl*>(Sender); C && C->Parent())
        C->Parent()->MouseMove(Shift, X, Y);
}

void TQorPreview::PrevMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (auto* C = dynamic_cast<TControl*>(Sender); C && C->Parent())
        C->Parent()->MouseUp(Button, Shift, X, Y);
}

void TQorPreview::WMHScroll(TMessage& M)
{
    InheritedMessage<TQorPreview>(M);
    OnHorzScroll(this);
}

void TQorPreview::WMVScroll(TMessage& M)
{
    InheritedMessage<TQorPreview>(M);
    OnVertScroll(this);
}

void TQorPreview::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS; }

// ---- printing -----------------------------------------------------------------------------------

void TQorPreview::SendPagesToPrinter(Integer StartPage, Integer EndPage)
{
    if (FPrinting)
        throw Exception("Printing in progress.");
    FPrinting = true;
    struct TDone {
        TQorPreview& Preview;
        ~TDone()
        {
            Preview.FPrinting = false;
            Preview.Invalidate();
            Preview.PrintStatus = nullptr;
        }
    } Done{*this};
    TQorQorFile* F = QorFile();
    if (!F)
        return;
    TQorPrinter Printer;
    FQorPrinter = &Printer;
    struct TForget {
        TQorPrinter*& Printer;
        ~TForget() { Printer = nullptr; }
    } Forget{FQorPrinter};
    Printer.SetIgnorePrinterSettings(FIgnorePrinterSettings);
    F->SetQorPrinterSetup(FQorPrinterSetup.get());
    if (EndPage <= 0)
        EndPage = PageCount();
    Printer.OnStatus = PrintStatus;
    FFiler->SendPages(&Printer, StartPage <= 0 ? 1 : StartPage, EndPage);
}

} // namespace qor
