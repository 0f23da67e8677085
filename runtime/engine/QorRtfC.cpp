#include "runtime/engine/QorRtfC.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorRtfP.h"

#include <algorithm>

namespace qor {

TKivRichTextLabel::TKivRichTextLabel(TComponent* AOwner) : TKivLabel(AOwner) { FreshMeasurer(); }

TKivRichTextLabel::~TKivRichTextLabel() = default;

void TKivRichTextLabel::SetVariable(TKivVar* Value)
{
    KivSetReference(this, FVariable, Value);
    SetCaption(GetDisplayText());
    Invalidate();
}

void TKivRichTextLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FVariable)
        SetVariable(nullptr);
}

void TKivRichTextLabel::SetBottomMargin(Integer Value)
{
    if (Value != FBottomMargin) {
        FBottomMargin = Value;
        Invalidate();
    }
}

void TKivRichTextLabel::SetSetDefaultFont(bool Value)
{
    if (Value != FSetDefaultFont) {
        FSetDefaultFont = Value;
        Invalidate();
    }
}

Integer TKivRichTextLabel::Position() const { return FRtfDraw->Position(); }

String TKivRichTextLabel::GetDisplayText() { return FVariable ? FVariable->Name() : String("Fill in variable."); }

// ---- Measuring ---------------------------------------------------------------------------------

void TKivRichTextLabel::FreshMeasurer()
{
    FRtfDraw = std::make_unique<TQorRtfDraw>();
    FRtfDraw->Reset();
    FRtfDraw->SetFont(Font());
    FRtfDraw->SetDefaultFont = FSetDefaultFont;
}

void TKivRichTextLabel::LoadDocument()
{
    const Integer PPI = GetPPI();
    FRtfDraw->SetPixelsPerInchX(PPI);
    FRtfDraw->SetPixelsPerInchY(PPI);
    FRtfDraw->SetOutRect(Bounds(100, 100, Width() - 2 * BorderMargin(), 2000));
    if (FVariable && FVariable->Active())
        if (TStream* S = FVariable->AsStream()) {
            S->SetPosition(0);
            FRtfDraw->LoadFromStream(S);
        }
}

void TKivRichTextLabel::Measure(Integer Height)
{
    FRtfDraw->SetFont(Font());
    FRtfDraw->SetDefaultFont = FSetDefaultFont;
    FRtfDraw->SetOutRect(Bounds(100, 100, Width() - 2 * BorderMargin(), std::max<Integer>(Height, 0)));
    // Setting the position again drops the last measurement.
    FRtfDraw->SetPosition(FRtfDraw->Position());
}

// ---- The print protocol ------------------------------------------------------------------------

void TKivRichTextLabel::StartPrint()
{
    if (!StartStretchPrint())
        return;
    SetFirstTime(true);
    if (!FVariable)
        return;
    FreshMeasurer();
    LoadDocument();
}

Integer TKivRichTextLabel::SpendHeight(TComponent*, Integer Space)
{
    if (!PrintOk() || !FVariable)
        return 0;
    if (!Stretch())
        return Top() + Height();
    const Integer BM = BorderMargin(), BoM = FBottomMargin;
    if (FirstTime()) {
        // Too little room for the label at all: the band moves it to the next page.
        if (Space - Top() < Height())
            return Top() + Height();
        Measure(Space - Top() - 2 * BM - BoM);
        FRtfDraw->PrintCount();
        return std::max(FRtfDraw->Height() + Top() + 2 * BM + BoM, Top() + Height());
    }
    Measure(Space - 2 * BM - BoM);
    FRtfDraw->PrintCount();
    return FRtfDraw->Height() + 2 * BM + BoM + 1;
}

Integer TKivRichTextLabel::PrintHeight(TComponent* oPage, Integer Space, Integer)
{
    if (!PrintOk() || !FVariable) {
        SetEndPrint(true);
        return 0;
    }
    TKivPrintPageIntf* P = PrintPage(oPage);
    const bool First = FirstTime();
    TRect R = Bounds(P->XPos() + Left(), P->YPos() + 1, Width(), Space);
    if (First) {
        BeforePrint();
        Space -= Top();
        R = Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Space);
    }
    Integer H = PrintMemo(P->OutputCanvas(), R, Space);
    if (First)
        H += Top();
    if (EndPrint())
        AfterPrint();
    SetFirstTime(false);
    return H;
}

void TKivRichTextLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    PrintMemo(QorCanvas, Rect, Space);
}

Integer TKivRichTextLabel::PrintMemo(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    const Integer PPI = GetPPI();
    FRtfDraw->SetPixelsPerInchX(PPI);
    FRtfDraw->SetPixelsPerInchY(PPI);
    const Integer BM = BorderMargin(), BoM = FBottomMargin;
    TRect Inner(Rect.Left + BM, Rect.Top + BM, Rect.Right - BM, Rect.Top + BM);
    Integer H = Height();
    if (Stretch()) {
        Inner.Bottom = Inner.Top + Space - 2 * BM - BoM;
        Measure(Inner.Bottom - Inner.Top);
    } else {
        Inner.Bottom = Inner.Top + Height() - 2 * BM - BoM;
        Measure(Inner.Bottom - Inner.Top);
    }
    const Integer N = FRtfDraw->PrintCount();
    if (Stretch()) {
        H = FRtfDraw->Height();
        SetEndPrint(FRtfDraw->Position() + N >= FRtfDraw->TextLength());
        auto* BandPage = dynamic_cast<TKivBandPageIntf*>(Page());
        if (N == 0 && !EndPrint() && !FirstTime() && BandPage && BandPage->AtPageTop())
            // Not even a fresh page holds the next line: the label ends rather than asking for
            // new pages for ever.
            SetEndPrint(true);
        H += 2 * BM + BoM;
        if (FirstTime())
            H = std::max(H, Height());
    } else {
        SetEndPrint(true);
    }
    InitPrint(QorCanvas, Bounds(Rect.Left, Rect.Top, Width(), H - 1));
    if (N > 0 && FVariable && FVariable->Active()) {
        QorCanvas->SetFont(Font());
        const Integer From = FRtfDraw->Position();
        QorCanvas->RtfDraw(Inner, FVariable->AsStream(), From, From + N, FSetDefaultFont);
        FRtfDraw->SetPosition(From + N);
    }
    PrintBorder(QorCanvas, Painting() ? Rect : Bounds(Rect.Left, Rect.Top, Width(), H));
    return H;
}

void TKivRichTextLabel::Print(TComponent* oPage, Integer Space)
{
    SetEndPrint(false);
    if (PrintOk()) {
        TKivPrintPageIntf* P = PrintPage(oPage);
        BeforePrint();
        SetFirstTime(true);
        FreshMeasurer();
        LoadDocument();
        PrintLabel(P->OutputCanvas(), Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Height()), Space - Top());
        AfterPrint();
    }
    SetEndPrint(true);
}

void TKivRichTextLabel::Paint()
{
    SetFirstTime(true);
    FreshMeasurer();
    if (FVariable && !FVariable->Initialized())
        FVariable->Initialize();
    LoadDocument();
    TKivLabel::Paint();
}

void TKivRichTextLabel::DefineProperties(TFiler& Filer)
{
    TKivLabel::DefineProperties(Filer);
    DefineLegacyAutoSize(Filer);
}

QOR_PUBLISH(TKivRichTextLabel)
{
    using L = TKivRichTextLabel;
    b.Property("Variable", &L::Variable, &L::SetVariable).Default(nullptr);
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.Property("ClipType", &L::ClipType, &L::SetClipType).Default(ctDefault);
    b.Property("AlignVertical", &L::AlignVertical, &L::SetVerticalAlign).Default(laBottom);
    b.Property("AlignHorizontal", &L::AlignHorizontal, &L::SetHorizontalAlign).Default(laLeft);
    b.Property("Stretch", &L::Stretch, &L::SetStretch).Default(false);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("Shade", &L::Shade, &L::SetShade).Default(spNone);
    b.Property("BorderMargin", &L::BorderMargin, &L::SetBorderMargin).Default(2);
    b.Property("BottomMargin", &L::BottomMargin, &L::SetBottomMargin).Default(20);
    b.Property("SetDefaultFont", &L::SetDefaultFont, &L::SetSetDefaultFont).Default(false);
}

} // namespace qor
