#include "runtime/engine/KivCtrl.h"

#include "platform/graphics/Gdi.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/Filer.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/output/QorOut.h"

#include <algorithm>
#include <cstdlib>

namespace qor {

QOR_MESSAGE(CM_DESIGNHITTEST, &TKivLabel::MouseMovement);
QOR_MESSAGE(CM_TEXTCHANGED, &TKivLabel::CMTextChanged);
QOR_MESSAGE(CM_FONTCHANGED, &TKivLabel::CMFontChanged);

namespace {

constexpr TColor Silver = 0xC0C0C0;
constexpr TColor White = 0xFFFFFF;

// Fills the rectangle with left X, top Y, width W and height H with the canvas brush.
void Bar(TQorCanvas* C, Integer X, Integer Y, Integer W, Integer H) { C->FillRect(TRect(X, Y, X + W, Y + H)); }

// The outline that shows a label's extent in the designer.
void DrawDesignOutline(TQorCanvas* C, const TRect& R, TKivBorderType BorderType)
{
    C->Pen()->SetWidth(1);
    C->Pen()->SetMode(pmBlack);
    C->Pen()->SetStyle(BorderType == btSmall ? psSolid : psDot);
    if (BorderType == btSmall) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Silver);
        Bar(C, R.Left, R.Top, R.Right - R.Left, 1);
        Bar(C, R.Right - 1, R.Top, 1, R.Bottom - R.Top);
        Bar(C, R.Left, R.Bottom, R.Right - R.Left, 1);
        Bar(C, R.Left, R.Top, 1, R.Bottom - R.Top);
    } else {
        C->Brush()->SetStyle(bsClear);
        C->MoveTo(R.Left, R.Top);
        C->LineTo(R.Right, R.Top);
        C->LineTo(R.Right, R.Bottom);
        C->LineTo(R.Left, R.Bottom);
        C->LineTo(R.Left, R.Top);
    }
}

} // namespace

void KivDrawBorder(TQorCanvas* QorCanvas, const TRect& Rect, TKivBorderType BorderType, bool Design)
{
    TQorCanvas* C = QorCanvas;
    const TRect& R = Rect;
    if (Design && BorderType != btSingle)
        DrawDesignOutline(C, R, BorderType);
    if (BorderType == btSingle || BorderType == btUnderLine) {
        // One pixel wide, covering the rectangle's edges inclusively.
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(0);
        if (BorderType == btSingle) {
            Bar(C, R.Left, R.Top, R.Right - R.Left + 1, 1);
            Bar(C, R.Right, R.Top, 1, R.Bottom - R.Top);
            Bar(C, R.Left, R.Top, 1, R.Bottom - R.Top);
        }
        Bar(C, R.Left, R.Bottom, R.Right - R.Left + 1, 1);
        C->Brush()->SetStyle(bsClear);
    } else if (BorderType == btSmall) {
        const Integer W = R.Right - R.Left, H = R.Bottom - R.Top;
        C->Pen()->SetStyle(psSolid);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Silver);
        Bar(C, R.Left, R.Top, W, 1);
        Bar(C, R.Left + W - 1, R.Top, 1, H);
        Bar(C, R.Left, R.Top + H, W, 1);
        Bar(C, R.Left, R.Top, 1, H);
    }
}

TKivLabel::TKivLabel(TComponent* AOwner)
    : TGraphicControl(AOwner), FBrush(std::make_unique<TBrush>()), FBrushSet(std::make_unique<TBrush>()),
      FPen(std::make_unique<TPen>()), FPenSet(std::make_unique<TPen>()), FBorderPen(std::make_unique<TPen>())
{
    const auto Changed = [this](TObject* Sender) { LabelChanged(Sender); };
    FBrush->OnChange = Changed;
    FPen->OnChange = Changed;
    FBorderPen->OnChange = Changed;
    FControlStyle.Exclude(csSetCaption);
    FControlStyle.Exclude(csOpaque);
    SetBounds(Left(), Top(), 65, 17);
}

TKivLabel::~TKivLabel()
{
    // The band must not keep a label that is gone (the class library's own parent change cannot
    // reach this class's override any more).
    if (IKivBand* B = Band())
        B->RemoveLabel(this);
}

const TKivLabel::TPlacement& TKivLabel::Placement() const
{
    TWinControl* P = Parent();
    TWinControl* G = P ? P->Parent() : nullptr;
    const std::type_info* PType = P ? &typeid(*P) : nullptr;
    const std::type_info* GType = G ? &typeid(*G) : nullptr;
    TPlacement& C = FPlacement;
    if (P == C.Parent && G == C.Grand && PType == C.ParentType && GType == C.GrandType)
        return C;
    C = TPlacement{P, G, PType, GType};
    C.Band = dynamic_cast<IKivBand*>(P);
    if (dynamic_cast<IKivPrintPage*>(P))
        C.Page = P;
    else if (C.Band)
        C.Page = G;
    C.PrintPage = dynamic_cast<IKivPrintPage*>(C.Page);
    return C;
}

IKivBand* TKivLabel::Band() const { return Placement().Band; }

TWinControl* TKivLabel::Page() const { return Placement().Page; }

IKivPrintPage* TKivLabel::PrintPage(TComponent* oPage)
{
    const std::type_info* Type = oPage ? &typeid(*oPage) : nullptr;
    if (oPage != FPrintPageOf || Type != FPrintPageType) {
        FPrintPageOf = oPage;
        FPrintPageType = Type;
        FPrintPage = dynamic_cast<IKivPrintPage*>(oPage);
    }
    if (!FPrintPage)
        throw EInvalidOperation("A label prints only on a report page");
    return FPrintPage;
}

Integer TKivLabel::GetPPI() const
{
    if (IKivBand* B = Band())
        return B->GetPPI();
    return ScreenPixelsPerInch();
}

// ---- Setters ---------------------------------------------------------------------------------

void TKivLabel::SetClipType(TKivClipTypes Value)
{
    if (Value != FClipType) {
        FClipType = Value;
        Invalidate();
    }
}

void TKivLabel::SetVerticalAlign(TKivVerticalAlign Value)
{
    if (Value != FVerticalAlign) {
        FVerticalAlign = Value;
        Invalidate();
    }
}

void TKivLabel::SetHorizontalAlign(TKivHorizontalAlign Value)
{
    if (Value != FHorizontalAlign) {
        FHorizontalAlign = Value;
        Invalidate();
    }
}

void TKivLabel::SetBorderType(TKivBorderType Value)
{
    if (Value != FBorderType) {
        FBorderType = Value;
        Invalidate();
    }
}

void TKivLabel::SetWrapText(bool Value)
{
    if (Value == FWrapText)
        return;
    FWrapText = Value;
    if (Value && !ComponentState().Contains(csLoading) && !ComponentState().Contains(csReading))
        SetStretch(true);
    Invalidate();
}

void TKivLabel::SetStretch(bool Value)
{
    if (Value != FStretch) {
        FStretch = Value;
        Invalidate();
    }
}

void TKivLabel::SetRotateFont(TKivRotateFont Value)
{
    if (Value > 360)
        throw EInvalidOperation("The text angle must be 0 to 360 degrees, not " + std::to_string(Value));
    if (Value != FRotateFont) {
        FRotateFont = Value;
        Invalidate();
    }
}

void TKivLabel::SetShade(TQorShadePercent Value)
{
    if (Value == FShade)
        return;
    FShade = Value;
    if (Value != spNone)
        SetTransparent(false);
    Invalidate();
}

bool TKivLabel::Transparent() const { return !ControlStyle().Contains(csOpaque); }

void TKivLabel::SetTransparent(bool Value)
{
    if (Value)
        FControlStyle.Exclude(csOpaque);
    else
        FControlStyle.Include(csOpaque);
    Invalidate();
}

void TKivLabel::SetBrush(TBrush* Value) { FBrush->Assign(Value); }

void TKivLabel::SetPen(TPen* Value) { FPen->Assign(Value); }

void TKivLabel::SetBorderMargin(Integer Value)
{
    if (Value == FBorderMargin)
        return;
    FBorderMargin = Value;
    if (FAutoSize)
        AdjustBounds();
    else
        Invalidate();
}

void TKivLabel::SetAutoSize(bool Value)
{
    if (Value == FAutoSize)
        return;
    FAutoSize = Value;
    AdjustBounds();
}

void TKivLabel::LabelChanged(TObject*) { Invalidate(); }

// ---- Placement -------------------------------------------------------------------------------

void TKivLabel::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    const auto Held = [](Integer V) { return std::clamp(V, -MaxLabelExtent, MaxLabelExtent); };
    TGraphicControl::SetBounds(Held(ALeft), Held(ATop), Held(AWidth), Held(AHeight));
}

void TKivLabel::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    auto* NewBand = dynamic_cast<IKivBand*>(AParent);
    if (AParent && !NewBand)
        Abort();
    // A label moved from one band to another leaves the first band's list too.
    if (IKivBand* Old = Band())
        Old->RemoveLabel(this);
    if (NewBand)
        NewBand->InsertLabel(this);
    TGraphicControl::SetParent(AParent);
}

void KivFontToPPI(TControl* Control, Integer PPI)
{
    if (Control->ComponentState().Contains(csDesigning) || Control->ParentFont())
        return;
    TFont* Font = Control->Font();
    if (PPI == Font->PixelsPerInch())
        return;
    // The font keeps its pixel height: it is sized in pixels of the resolution it prints at.
    const Integer Height = Font->Height();
    Font->SetPixelsPerInch(PPI);
    Font->SetHeight(Height);
    Control->Perform(CM_FONTCHANGED);
}

void TKivLabel::Loaded()
{
    TGraphicControl::Loaded();
    KivFontToPPI(this, GetPPI());
}

// ---- Alignment ---------------------------------------------------------------------------------

bool TKivLabel::ClipRect() const
{
    switch (FClipType) {
    case ctClip: return true;
    case ctNoClip: return false;
    case ctDefault: break;
    }
    IKivPrintPage* P = Placement().PrintPage;
    return P && P->ClipLabels();
}

Word TKivLabel::AlignFlags() const
{
    Word Flags = TA_TOP;
    if (FVerticalAlign == laMiddle)
        Flags = TA_BASELINE;
    else if (FVerticalAlign == laBottom)
        Flags = TA_BOTTOM;
    if (FHorizontalAlign == laCenter)
        Flags |= TA_CENTER;
    else if (FHorizontalAlign == laRight)
        Flags |= TA_RIGHT;
    return Flags;
}

Integer TKivLabel::GetXSpot(Integer X) const
{
    switch (FHorizontalAlign) {
    case laCenter: return X + Width() / 2;
    case laRight: return X + Width() - FBorderMargin;
    case laLeft: break;
    }
    return X + FBorderMargin;
}

Integer TKivLabel::GetYSpot(Integer Y) const
{
    switch (FVerticalAlign) {
    case laTop: return Y + FBorderMargin;
    case laMiddle: return Y + Height() / 2;
    case laCenterVert:
        // A line of four-thirds of the font height, centred.
        return Y + (Height() - std::abs(Font()->Height()) * 4 / 3) / 2;
    case laBottom: break;
    }
    return Y + Height() - FBorderMargin;
}

Integer TKivLabel::XPos() const
{
    switch (FHorizontalAlign) {
    case laCenter: return Left() + Width() / 2;
    case laRight: return Left() + Width() - 1;
    case laLeft: break;
    }
    return Left() + 1;
}

Integer TKivLabel::YPos() const
{
    switch (FVerticalAlign) {
    case laTop: return Top() + 1;
    case laMiddle:
    case laCenterVert: return Top() + Height() / 2;
    case laBottom: break;
    }
    return Top() + Height() - 1;
}

// ---- The print protocol ----------------------------------------------------------------------

String TKivLabel::GetDataNow() { return GetDisplayText(); }

String TKivLabel::GetDisplayText() { return Caption(); }

bool TKivLabel::PrintOk()
{
    if (!FIsVisible || FEndPrint)
        return false;
    return !LabelPrintWhen || KivAskOrRefuse([this](bool& Result) { LabelPrintWhen(this, Result); });
}

void TKivLabel::BeforePrint()
{
    if (OnBeforePrint)
        KivReportAndGoOn(this, [this] { OnBeforePrint(this); });
}

void TKivLabel::AfterPrint()
{
    if (OnAfterPrint)
        KivReportAndGoOn(this, [this] { OnAfterPrint(this); });
}

void TKivLabel::StartPrint()
{
    // A label finished by the band's last print starts again: PrintOk refuses while EndPrint is set.
    FEndPrint = false;
    FEndPrint = !PrintOk();
}

bool TKivLabel::StartStretchPrint()
{
    FEndPrint = false;
    if (!PrintOk()) {
        FEndPrint = true;
        return false;
    }
    auto* RunPage = dynamic_cast<IKivRunPage*>(Page());
    if (!FRtfPrint && RunPage && RunPage->OutputType() == otRichText) {
        FEndPrint = true;
        return false;
    }
    return true;
}

Integer TKivLabel::SpendHeight(TComponent*, Integer) { return PrintOk() ? Top() + Height() : 0; }

Integer TKivLabel::PrintHeight(TComponent* oPage, Integer Space, Integer)
{
    Integer Used = 0;
    if (PrintOk()) {
        Print(oPage, Space);
        Used = Top() + Height();
    }
    FEndPrint = true;
    return Used;
}

void TKivLabel::Print(TComponent* oPage, Integer Space)
{
    FEndPrint = false;
    if (PrintOk()) {
        IKivPrintPage* P = PrintPage(oPage);
        BeforePrint();
        PrintLabel(P->OutputCanvas(), Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Height()), Space);
        AfterPrint();
    }
    FEndPrint = true;
}

void TKivLabel::PrintRtf(TWinControl*, TKivRtfFile* Rtf, Integer PrintRow)
{
    if (!PrintOk())
        return;
    if (!FRtfPrint) {
        FEndPrint = true;
        return;
    }
    if (PrintRow != FRow)
        return;
    BeforePrint();
    WriteRtfText(Rtf, GetDataNow());
    AfterPrint();
    FEndPrint = true;
}

void TKivLabel::WriteRtfText(TKivRtfFile* Rtf, const String& Text)
{
    // The tab that leads the text is never underlined.
    TFont Plain;
    Plain.Assign(Font());
    TFontStyles Style = Plain.Style();
    Style.Exclude(fsUnderline);
    Plain.SetStyle(Style);
    Rtf->SetFont(&Plain);
    Rtf->Tab();
    Rtf->SetFont(Font());
    Rtf->TextOut(Text);
}

void TKivLabel::PrintTab(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow)
{
    if (!PrintOk() || PrintRow != FRow || !FRtfPrint)
        return;
    const Integer PPI = PrintPage(oPage)->GetPPI();
    if (PPI <= 0)
        throw EInvalidOperation("The page has no resolution for RTF tab stops");
    Integer X = Left();
    TKivTabAlignment Kind = TKivTabAlignment::taLeft;
    if (FHorizontalAlign == laCenter) {
        X = Left() + Width() / 2;
        Kind = TKivTabAlignment::taCenter;
    } else if (FHorizontalAlign == laRight) {
        X = Left() + Width();
        Kind = TKivTabAlignment::taRight;
    }
    Rtf->DefineTab(static_cast<Integer>(Round(static_cast<Double>(X) / PPI * 1440)), Kind);
}

// ---- Drawing ---------------------------------------------------------------------------------

void TKivLabel::InitPrint(TQorCanvas* QorCanvas, const TRect& Rect)
{
    // The label's brush with the colour and style of this print: of the brush itself only its
    // pattern is taken (each branch sets colour and style).
    FBrushSet->SetBitmap(FBrush->Bitmap());
    if (Transparent()) {
        FBrushSet->SetColor(White);
        FBrushSet->SetStyle(bsClear);
        QorCanvas->SetBrush(FBrushSet.get());
        return;
    }
    if (FShade != spNone) {
        FBrushSet->SetColor(White);
        FBrushSet->SetStyle(bsSolid);
        QorCanvas->SetBrush(FBrushSet.get());
        QorCanvas->ShadeRect(Rect, FShade);
    } else {
        FBrushSet->SetColor(Color());
        FBrushSet->SetStyle(bsSolid);
        QorCanvas->SetBrush(FBrushSet.get());
        QorCanvas->FillRect(Rect);
    }
    // The text that follows has no background box.
    QorCanvas->Brush()->SetStyle(bsClear);
}

void TKivLabel::PrintBorder(TQorCanvas* QorCanvas, const TRect& Rect)
{
    KivDrawBorder(QorCanvas, Rect, FBorderType, FPainting);
}

void TKivLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer)
{
    PrintTextLine(QorCanvas, Rect, GetDataNow());
}

namespace {

// Page files hold coordinates of 16 bits: no page shows more than 65,536 pixels of a line from its
// anchor, and a character takes at least a pixel but for the marks it carries. A longer text (a
// caption of megabytes) is cut to a generous four times that, at its anchored end, rather than
// stored whole for every record.
constexpr std::size_t MaxShownBytes = std::size_t(4) << 16;

// The part of a text longer than MaxShownBytes that is kept.
String ShownPart(const String& Text, Word Align)
{
    const auto Boundary = [&](std::size_t At) {
        while (At > 0 && At < Text.size() && (static_cast<unsigned char>(Text[At]) & 0xC0) == 0x80)
            --At;
        return At;
    };
    std::size_t From = 0;
    if ((Align & TA_CENTER) == TA_RIGHT)
        From = Text.size() - MaxShownBytes;
    else if ((Align & TA_CENTER) == TA_CENTER)
        From = (Text.size() - MaxShownBytes) / 2;
    From = Boundary(From);
    return Text.substr(From, Boundary(std::min(Text.size(), From + MaxShownBytes)) - From);
}

} // namespace

void TKivLabel::PrintTextLine(TQorCanvas* QorCanvas, const TRect& Rect, const String& FullText)
{
    const Word Align = AlignFlags();
    String Cut; // only a text too long to store whole is copied
    const String& Text = FullText.size() > MaxShownBytes ? (Cut = ShownPart(FullText, Align)) : FullText;
    const Integer Xs = GetXSpot(Rect.Left), Ys = GetYSpot(Rect.Top);
    InitPrint(QorCanvas, Rect);
    QorCanvas->SetFont(Font());
    QorCanvas->SetTextAlign(Align);
    QorCanvas->SetFontAngle(FRotateFont);
    if (ClipRect())
        QorCanvas->TextRect(Rect, Xs, Ys, Text);
    else
        QorCanvas->Textout(Xs, Ys, Text);
    PrintBorder(QorCanvas, Rect);
}

void TKivLabel::Paint()
{
    struct TPaintingScope {
        bool& Flag;
        explicit TPaintingScope(bool& F) : Flag(F) { Flag = true; }
        ~TPaintingScope() { Flag = false; }
    } Scope(FPainting);
    TQorCanvas QorCanvas;
    QorCanvas.SetHandle(Canvas()->Handle());
    PrintLabel(&QorCanvas, TRect(0, 0, Width() - 1, Height() - 1), Height());
    QorCanvas.SetHandle(HDC());
}

void TKivLabel::AdjustBounds()
{
    const TComponentState& State = ComponentState();
    if (State.Contains(csReading) || State.Contains(csLoading) || !FAutoSize || !State.Contains(csDesigning))
        return;
    auto* P = dynamic_cast<IKivPrintPage*>(Page());
    if (!P || P->Printing())
        return;
    Canvas()->Font()->Assign(Font());
    TEXTMETRIC Metrics{};
    GetTextMetrics(Canvas()->Handle(), Metrics);
    SetBounds(Left(), Top(), Canvas()->TextWidth(Caption()) + 2 * FBorderMargin + Metrics.tmMaxCharWidth,
              std::abs(Metrics.tmHeight) + 2 * FBorderMargin);
}

void TKivLabel::DefineLegacyAutoSize(TFiler& Filer)
{
    Filer.DefineProperty(
        "AutoSize", [](TReader& Reader) { Reader.ReadBoolean(); }, nullptr, false);
}

// ---- Messages ----------------------------------------------------------------------------------

void TKivLabel::MouseMovement(TMessage& M)
{
    InheritedMessage<TKivLabel>(M);
    auto* P = dynamic_cast<IKivPrintPage*>(Page());
    if (!P)
        return;
    const Integer X = static_cast<SmallInt>(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
    const Integer Y = static_cast<SmallInt>(HIWORD(static_cast<std::uintptr_t>(M.LParam)));
    P->RulerXY(Left() + X, Parent()->Top() + Top() + Y);
}

void TKivLabel::CMTextChanged(TMessage& M)
{
    InheritedMessage<TKivLabel>(M);
    Invalidate();
    AdjustBounds();
}

void TKivLabel::CMFontChanged(TMessage& M)
{
    InheritedMessage<TKivLabel>(M);
    AdjustBounds();
}

QOR_PUBLISH(TKivLabel)
{
    b.Event("LabelPrintWhen", &TKivLabel::LabelPrintWhen);
    b.Event("OnBeforePrint", &TKivLabel::OnBeforePrint);
    b.Event("OnAfterPrint", &TKivLabel::OnAfterPrint);
    b.Property("Row", &TKivLabel::Row, &TKivLabel::SetRow).Default(0);
    b.Property("RtfPrint", &TKivLabel::RtfPrint, &TKivLabel::SetRtfPrint).Default(true);
}

} // namespace qor
