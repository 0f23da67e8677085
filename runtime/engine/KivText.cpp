#include "runtime/engine/KivText.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StringList.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorMemoU.h"
#include "runtime/output/QorOut.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace qor {

namespace {

// Values that have no text to show: a blob prints through the memo, a picture not at all.
bool Textless(TKivDataTypes Type) { return Type == dtypeBlob || Type == dtypeMemo || Type == dtypeGraphic; }

TQorMemoAlignment MemoAlignmentOf(TKivHorizontalAlign Align)
{
    switch (Align) {
    case laCenter: return maCenter;
    case laRight: return maRight;
    case laLeft: break;
    }
    return maLeft;
}

TKivTabAlignment TabKindOf(TKivHorizontalAlign Align)
{
    switch (Align) {
    case laCenter: return TKivTabAlignment::taCenter;
    case laRight: return TKivTabAlignment::taRight;
    case laLeft: break;
    }
    return TKivTabAlignment::taLeft;
}

} // namespace

TKivTVLabel::TKivTVLabel(TComponent* AOwner)
    : TKivLabel(AOwner), FQorMemo(std::make_unique<TQorMemo>()), FDataFormat(std::make_unique<TKivFormat>()),
      FLines(std::make_unique<TStringList>())
{
    FDataFormat->SetKivLabel(this);
}

TKivTVLabel::~TKivTVLabel() = default;

// ---- Properties ------------------------------------------------------------------------------

void TKivTVLabel::SetVariable(TKivVar* Value)
{
    if (!KivSetReference(this, FVariable, Value))
        return;
    Invalidate();
}

void TKivTVLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TKivLabel::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FVariable)
        SetVariable(nullptr);
}

TStrings* TKivTVLabel::Lines() const { return FLines.get(); }

void TKivTVLabel::SetLines(TStrings* Value)
{
    FLines->Assign(Value);
    Invalidate();
}

void TKivTVLabel::SetWrapHeightPercent(TKivWrapHeightPercent Value)
{
    if (Value != FWrapHeightPercent) {
        FWrapHeightPercent = Value;
        Invalidate();
    }
}

void TKivTVLabel::SetJustifyMemo(bool Value)
{
    if (Value != FJustifyMemo) {
        FJustifyMemo = Value;
        Invalidate();
    }
}

void TKivTVLabel::SetSuppressRepeats(bool Value) { FSuppressRepeats = Value; }

void TKivTVLabel::SetSuppressBlankLines(bool Value)
{
    if (Value != FSuppressBlankLines) {
        FSuppressBlankLines = Value;
        Invalidate();
    }
}

void TKivTVLabel::SetSuppressWhiteSpace(bool Value)
{
    if (Value != FSuppressWhiteSpace) {
        FSuppressWhiteSpace = Value;
        Invalidate();
    }
}

void TKivTVLabel::SetUseDisplayText(bool Value)
{
    if (Value != FUseDisplayText) {
        FUseDisplayText = Value;
        Invalidate();
    }
}

bool TKivTVLabel::IsMemo() const
{
    if (!FVariable || !FShowsVariable)
        return WrapText();
    const TKivDataTypes Type = FVariable->DataType();
    return Type == dtypeMemo || Type == dtypeBlob || WrapText();
}

// ---- Text ------------------------------------------------------------------------------------

TKivDBVar* TKivTVLabel::DisplayTextVar() const
{
    return FUseDisplayText ? dynamic_cast<TKivDBVar*>(FVariable) : nullptr;
}

TKivVar* TKivTVLabel::ActiveVar()
{
    if (!FVariable)
        return nullptr;
    if (Painting() && !FVariable->Initialized())
        FVariable->Initialize();
    return FVariable->Active() ? FVariable : nullptr;
}

String TKivTVLabel::VarText()
{
    if (TKivDBVar* DB = DisplayTextVar())
        return DB->DisplayText();
    return GetDataNow();
}

String TKivTVLabel::GetDataNow()
{
    if (FVariable) {
        if (ComponentState().Contains(csDesigning) || !FVariable->Initialized()) {
            if (!FVariable->Initialized())
                FVariable->Initialize();
            if (FVariable->Active() && !Textless(FVariable->DataType())) {
                TKivData* Data = FVariable->GetDataNow();
                return Data ? FDataFormat->FormatAsString(Data) : String();
            }
        } else if (Textless(FVariable->DataType())) {
            // A blob or picture has no one-line text; the memo prints a blob's.
            return String();
        } else {
            return FDataFormat->FormatAsString(FVariable->GetData());
        }
    }
    if (!Caption().empty())
        return Caption();
    if (FLines->Count() > 0)
        return FLines->Get(0);
    return GetDisplayText();
}

String TKivTVLabel::GetDisplayText()
{
    if (FVariable)
        return FVariable->Name();
    return Painting() ? String("Fill in variable.") : String();
}

String TKivTextLabel::GetDisplayText()
{
    if (!Caption().empty())
        return Caption();
    return Painting() ? String("Fill in caption.") : String();
}

void TKivTextLabel::WriteState(TWriter& Writer)
{
    TKivTVLabel::WriteState(Writer);
    if (auto* B = dynamic_cast<TKivBand*>(Parent()); B && B->HandleAllocated())
        PostMessage(B->Handle(), KIV_MODIFYLABEL, 0, reinterpret_cast<LPARAM>(this));
}

// ---- The memo --------------------------------------------------------------------------------

void TKivTVLabel::LoadMemoString(const String& Text)
{
    TMemoryStream S;
    const Byte Bom[2] = {0xFF, 0xFE};
    S.WriteBuffer(Bom, 2);
    KivWriteUtf16(&S, Text);
    FQorMemo->SetMemoStream(&S);
}

void TKivTVLabel::LoadMemoText()
{
    if (FVariable && FVariable->Active()) {
        const TKivDataTypes Type = FVariable->DataType();
        if (TKivDBVar* DB = DisplayTextVar())
            LoadMemoString(DB->DisplayText());
        else if (Type == dtypeMemo || Type == dtypeBlob)
            FQorMemo->SetMemoStream(FVariable->AsStream());
        else if (Type != dtypeGraphic) {
            // A picture has no text: the memo stays empty.
            if (TKivData* Data = FVariable->GetDataNow())
                FQorMemo->SetMemoStream(FDataFormat->FormatAsStream(Data));
        }
        return;
    }
    if (!Caption().empty()) {
        LoadMemoString(Caption());
    } else if (FLines->Count() > 0) {
        TMemoryStream S;
        FLines->SaveToStream(&S);
        FQorMemo->SetMemoStream(&S);
    } else if (const String Text = GetDisplayText(); !Text.empty()) {
        LoadMemoString(Text);
    }
}

void TKivTVLabel::UpdateMemo()
{
    // The later pieces of one stretching print go on with the text the first piece laid out.
    if (FContinuing && FQorMemo->UpToDate())
        return;
    TQorMemo& Memo = *FQorMemo;
    Memo.SetMemoStream(nullptr);
    if (auto* RunPage = dynamic_cast<IKivRunPage*>(Page()))
        Memo.SetTextDriverCompatibility(RunPage->PageSetup()->TextDriverCompatibility());
    Memo.SetPixelsPerInch(GetPPI());
    Memo.SetFont(Font());
    Memo.SetWidth(Width() - 2 * BorderMargin());
    Memo.SetWrapText(WrapText());
    Memo.SetWrapHeightPercent(FWrapHeightPercent);
    Memo.SetSuppressBlankLines(FSuppressBlankLines);
    Memo.SetSuppressWhiteSpace(FSuppressWhiteSpace);
    Memo.SetMemoAlignment(FJustifyMemo ? maJustify : MemoAlignmentOf(AlignHorizontal()));
    LoadMemoText();
    Memo.UpdateMemo();
}

Integer TKivTVLabel::PrintMemo(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    QorCanvas->SetFontAngle(0);
    UpdateMemo();
    const Integer LH = std::max<Integer>(1, FQorMemo->LineHeight());
    const Integer M = FQorMemo->MemoLines();
    const Integer BM = BorderMargin();
    Integer N = 0;
    Integer H = 0;
    if (Stretch()) {
        N = (Space - 2 * BM) / LH;
        if (FirstTime())
            N = std::max<Integer>(N, 1);
        N = std::min(N, M - FDataRow);
        H = N * LH + 2 * BM;
        if (FirstTime())
            H = std::max(H, Height());
        SetEndPrint(M <= 0 || FDataRow + N >= M);
        if (N <= 0 && M > 0) {
            auto* BandPage = dynamic_cast<IKivBandPage*>(Page());
            if (!FirstTime() && BandPage && BandPage->AtPageTop()) {
                // Not even a fresh page holds the next line: place it there, cut off at the page's
                // end, rather than asking for new pages for ever.
                N = 1;
                SetEndPrint(FDataRow + N >= M);
            }
            H = Space;
            if (FirstTime())
                H = std::max(H, Height());
        }
    } else {
        H = Height();
        N = std::min(std::max<Integer>((Height() - 2 * BM) / LH, 1), M);
        SetEndPrint(true);
    }
    InitPrint(QorCanvas, Bounds(Rect.Left, Rect.Top, Width(), H - 1));
    if (N > 0) {
        FQorMemo->SetRangeBegin(FDataRow);
        FQorMemo->SetRangeEnd(FDataRow + N - 1);
        FQorMemo->Print(QorCanvas, Rect.Left + BM, Rect.Top + BM);
    }
    PrintBorder(QorCanvas, Painting() ? Rect : Bounds(Rect.Left, Rect.Top, Width(), H));
    FDataRow += std::max<Integer>(N, 0);
    return H;
}

Integer TKivTVLabel::SpendMemo(TComponent*, Integer Space)
{
    UpdateMemo();
    const Integer LH = std::max<Integer>(1, FQorMemo->LineHeight());
    const Integer M = FQorMemo->MemoLines();
    const Integer BM = BorderMargin();
    if (FSuppressWhiteSpace && !FirstTime())
        while (FDataRow < M && FQorMemo->MemoStrings()->Get(FDataRow).empty())
            ++FDataRow;
    if (!Stretch())
        return Top() + Height();
    if (FirstTime()) {
        // Too little room for the label at all: the band moves it to the next page.
        if (Space - Top() < Height())
            return Top() + Height();
        const Integer N = std::min(std::max<Integer>(0, (Space - Top() - 2 * BM) / LH), M - FDataRow);
        return std::max(Top() + N * LH + 2 * BM, Top() + Height());
    }
    const Integer N = std::min(std::max<Integer>(0, (Space - 2 * BM) / LH), M - FDataRow);
    return N * LH + 2 * BM + 1;
}

// ---- The print protocol ----------------------------------------------------------------------

void TKivTVLabel::PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space)
{
    TKivVar* Var = ActiveVar();
    if (IsMemo()) {
        PrintMemo(QorCanvas, Rect, Space);
        return;
    }
    if (Var && FSuppressRepeats) {
        // The same value as the previous record's: the label's area stays untouched.
        TKivData* Now = Var->GetDataNow();
        TKivData* Last = Var->DataLast();
        if (Now && Last && KivSameValue(Now, Last))
            return;
    }
    if (Var && QorCanvas->Destination() == qdNoWhere && ReadsOnlyNowhere()) {
        // Nothing is drawn (a counting pass, or a page outside the printed range): the variable is
        // read as GetDataNow reads it (reading may refresh it, through the application's handler)
        // and the canvas set as drawing sets it, but a text nobody sees is made only where making
        // it could fail, so that a failure comes where it would come.
        TKivData* Data = FVariable->GetData();
        const bool Unseen = Data && FDataFormat->FormatsEveryValue(Data->DataType());
        PrintTextLine(QorCanvas, Rect, Unseen ? String() : FDataFormat->FormatAsString(Data));
        return;
    }
    PrintTextLine(QorCanvas, Rect, Var ? VarText() : GetDataNow());
}

bool TKivTVLabel::ReadsOnlyNowhere() const
{
    // The text comes from GetDataNow of this class (not one of an application's), from the value,
    // not its field's display text; the value has a one-line text and is read at run time.
    const std::type_info& Type = typeid(*this);
    if (Type != typeid(TKivvarlabel) && Type != typeid(TKivTextLabel) && Type != typeid(TKivTVLabel))
        return false;
    return !DisplayTextVar() && !ComponentState().Contains(csDesigning) && FVariable->Initialized() &&
           !Textless(FVariable->DataType());
}

void TKivTVLabel::Print(TComponent* oPage, Integer Space)
{
    FContinuing = false;
    SetEndPrint(false);
    if (PrintOk()) {
        IKivPrintPage* P = PrintPage(oPage);
        BeforePrint();
        const TRect R = Bounds(P->XPos() + Left(), P->YPos() + Top(), Width(), Height());
        FDataRow = 0;
        SetFirstTime(true);
        if (IsMemo())
            Space -= Top();
        PrintLabel(P->OutputCanvas(), R, Space);
        AfterPrint();
    }
    SetEndPrint(true);
}

void TKivTVLabel::StartPrint()
{
    FContinuing = false;
    if (!StartStretchPrint())
        return;
    FDataRow = 0;
    SetFirstTime(true);
    // A one-line label needs no layout: only a memo is measured in pieces.
    if (IsMemo()) {
        TFont* CanvasFont = Canvas()->Font();
        CanvasFont->Assign(Font());
        const Integer Size = CanvasFont->Size();
        CanvasFont->SetPixelsPerInch(GetPPI());
        CanvasFont->SetSize(Size);
        UpdateMemo();
    }
}

Integer TKivTVLabel::SpendHeight(TComponent* oPage, Integer Space)
{
    if (!PrintOk())
        return 0;
    if (IsMemo())
        return SpendMemo(oPage, Space);
    return Top() + Height();
}

Integer TKivTVLabel::PrintHeight(TComponent* oPage, Integer Space, Integer)
{
    if (!PrintOk()) {
        SetEndPrint(true);
        return 0;
    }
    Integer H = 0;
    if (IsMemo()) {
        IKivPrintPage* P = PrintPage(oPage);
        const bool First = FirstTime();
        if (First)
            BeforePrint();
        Integer RectTop = P->YPos() + 1;
        if (First) {
            RectTop = P->YPos() + Top();
            Space -= Top();
        }
        H = PrintMemo(P->OutputCanvas(), Bounds(P->XPos() + Left(), RectTop, Width(), Height()), Space);
        if (First)
            H += Top();
        if (EndPrint())
            AfterPrint();
    } else {
        Print(oPage, Space);
        SetEndPrint(true);
        H = Top() + Height();
    }
    SetFirstTime(false);
    FContinuing = !EndPrint();
    return H;
}

void TKivTVLabel::Paint()
{
    FContinuing = false;
    FDataRow = 0;
    SetFirstTime(true);
    TKivLabel::Paint();
}

// ---- RTF output ------------------------------------------------------------------------------

void TKivTVLabel::DefineMemoTabs(TKivRtfFile* Rtf, Integer Index)
{
    const Integer PPI = GetPPI();
    if (PPI <= 0)
        throw EInvalidOperation("The page has no resolution for RTF tab stops");
    const Integer BM = BorderMargin();
    FQorMemo->ParseString(FQorMemo->MemoStrings()->Get(Index));
    const auto& Parts = FQorMemo->Parts();
    const TKivTabAlignment Kind = TabKindOf(AlignHorizontal());
    for (std::size_t I = 0; I < Parts.size(); ++I) {
        const Integer P = Parts[I]->Position, W = Parts[I]->Width;
        Integer X = XPos() + BM + P;
        if (AlignHorizontal() == laCenter)
            X = Parts.size() == 1 ? Left() + Width() / 2 : Left() + BM + P + W / 2;
        else if (AlignHorizontal() == laRight)
            X = I + 1 == Parts.size() ? XPos() - BM : XPos() + P + W - BM - Width();
        Rtf->DefineTab(static_cast<Integer>(Round(static_cast<Double>(X) / PPI * 1440)), Kind);
    }
}

void TKivTVLabel::WriteMemoLine(TKivRtfFile* Rtf, Integer Index)
{
    FQorMemo->ParseString(FQorMemo->MemoStrings()->Get(Index));
    for (const auto& Part : FQorMemo->Parts())
        WriteRtfText(Rtf, Part->Text);
}

void TKivTVLabel::PrintTab(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow)
{
    if (!RtfPrint() || !PrintOk() || PrintRow < Row())
        return;
    if (!IsMemo()) {
        TKivLabel::PrintTab(oPage, Rtf, PrintRow);
        return;
    }
    UpdateMemo();
    const Integer I = PrintRow - Row();
    if (I < FQorMemo->MemoLines())
        DefineMemoTabs(Rtf, I);
}

void TKivTVLabel::PrintRtf(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow)
{
    if (!PrintOk())
        return;
    if (!RtfPrint()) {
        SetEndPrint(true);
        return;
    }
    if (!IsMemo()) {
        if (PrintRow != Row())
            return;
        BeforePrint();
        TKivVar* Var = ActiveVar();
        WriteRtfText(Rtf, Var ? VarText() : GetDataNow());
        AfterPrint();
        SetEndPrint(true);
        return;
    }
    (void)oPage;
    UpdateMemo();
    const Integer M = FQorMemo->MemoLines();
    const Integer I = PrintRow - Row();
    if (M <= 0) {
        SetEndPrint(true);
        return;
    }
    if (I < 0 || I >= M)
        return;
    // One before/after pair for each row the label writes.
    BeforePrint();
    WriteMemoLine(Rtf, I);
    AfterPrint();
    if (I >= M - 1)
        SetEndPrint(true);
}

void TKivTVLabel::DefineProperties(TFiler& Filer)
{
    TKivLabel::DefineProperties(Filer);
    DefineLegacyAutoSize(Filer);
}

void TKivTextLabel::DefineProperties(TFiler& Filer)
{
    // AutoSize is a published property here, not the legacy one the other labels drop.
    TKivLabel::DefineProperties(Filer);
}

QOR_PUBLISH(TKivTVLabel)
{
    using L = TKivTVLabel;
    b.Property("Transparent", &L::Transparent, &L::SetTransparent).Default(true);
    b.Property("ClipType", &L::ClipType, &L::SetClipType).Default(ctDefault);
    b.Property("AlignVertical", &L::AlignVertical, &L::SetVerticalAlign).Default(laBottom);
    b.Property("AlignHorizontal", &L::AlignHorizontal, &L::SetHorizontalAlign).Default(laLeft);
    b.Property("BorderType", &L::BorderType, &L::SetBorderType).Default(btNone);
    b.Property("RotateFont", &L::RotateFont, &L::SetRotateFont).Default(TKivRotateFont(0));
    b.Property("Shade", &L::Shade, &L::SetShade).Default(spNone);
    b.Property("BorderMargin", &L::BorderMargin, &L::SetBorderMargin).Default(2);
    b.Property("WrapText", &L::WrapText, &L::SetWrapText).Default(false);
    b.Property("Stretch", &L::Stretch, &L::SetStretch).Default(false);
    b.Property("WrapHeightPercent", &L::WrapHeightPercent, &L::SetWrapHeightPercent)
        .Default(TKivWrapHeightPercent(100));
    b.Property("JustifyMemo", &L::JustifyMemo, &L::SetJustifyMemo).Default(false);
    b.SubObject("Lines", &L::Lines);
    b.Property("SuppressBlankLines", &L::SuppressBlankLines, &L::SetSuppressBlankLines).Default(false);
    b.Property("SuppressWhiteSpace", &L::SuppressWhiteSpace, &L::SetSuppressWhiteSpace).Default(false);
}

QOR_PUBLISH(TKivvarlabel)
{
    using L = TKivvarlabel;
    b.Property("Variable", &L::Variable, &L::SetVariable).Default(nullptr);
    b.SubObject("DataFormat", &L::DataFormat);
    b.Property("SuppressRepeats", &L::SuppressRepeats, &L::SetSuppressRepeats).Default(false);
    b.Property("UseDisplayText", &L::UseDisplayText, &L::SetUseDisplayText).Default(false);
}

QOR_PUBLISH(TKivTextLabel)
{
    using L = TKivTextLabel;
    b.Property("AutoSize", &L::AutoSize, &L::SetAutoSize).Default(false);
}

} // namespace qor
