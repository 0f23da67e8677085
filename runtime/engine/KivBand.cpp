#include "runtime/engine/KivBand.h"

#include "platform/graphics/Screen.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipboard.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivReference.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivStrIds.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"

#include <algorithm>

namespace qor {

QOR_MESSAGE(KIV_MODIFYLABEL, &TKivBand::ModifyLabel);
QOR_MESSAGE(WM_SIZE, &TKivBand::WMSize);
QOR_MESSAGE(WM_MOVE, &TKivBand::WMMove);
QOR_MESSAGE(CM_DESIGNHITTEST, &TKivBand::CMDesignHitTest);

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Black = 0x000000;

// Where a label's text is anchored in RTF output: its left edge, centre or right edge.
Integer RtfAnchor(const TKivLabel* L)
{
    switch (L->AlignHorizontal()) {
    case laCenter: return L->Left() + L->Width() / 2;
    case laRight: return L->Left() + L->Width();
    case laLeft: break;
    }
    return L->Left();
}

bool IsSpace(WideChar C) { return C == ' ' || C == '\t'; }

// Splits a form-text line "<indent><keyword> <name>: <class><rest>"; false when it is none.
struct TDeclaration {
    String Indent, Keyword, Name, Class, Rest;
};

bool ParseDeclaration(const String& Line, TDeclaration& D)
{
    std::size_t I = 0;
    while (I < Line.size() && IsSpace(Line[I]))
        ++I;
    D.Indent = Line.substr(0, I);
    std::size_t J = I;
    while (J < Line.size() && !IsSpace(Line[J]))
        ++J;
    D.Keyword = Line.substr(I, J - I);
    if (!SameText(D.Keyword, "object") && !SameText(D.Keyword, "inherited") && !SameText(D.Keyword, "inline"))
        return false;
    const std::size_t Colon = Line.find(':', J);
    if (Colon == String::npos)
        return false;
    D.Name = Trim(Line.substr(J, Colon - J));
    std::size_t K = Colon + 1;
    while (K < Line.size() && IsSpace(Line[K]))
        ++K;
    std::size_t E = K;
    while (E < Line.size() && !IsSpace(Line[E]))
        ++E;
    D.Class = Line.substr(K, E - K);
    D.Rest = Line.substr(E);
    return !D.Name.empty() && !D.Class.empty();
}

} // namespace

// ---- Reserve space -------------------------------------------------------------------------------

void TKivReserveSpace::SetBand(TKivBand* Value)
{
    if (Value == FBand)
        return;
    // A reserve made on its own (no owning band) hears of nothing.
    if (FOwner)
        KivSetReference<TKivBand>(FOwner, FBand, Value);
    else
        FBand = Value;
}

TPersistent* TKivReserveSpace::GetOwner() const { return FOwner; }

Integer TKivReserveSpace::GetReserve() const { return FBand ? FBand->Height() * FBandCount + FSpace : FSpace; }

// ---- Construction and deletion -----------------------------------------------------------------

TKivBand::TKivBand(TComponent* AOwner)
    : TCustomPanel(AOwner), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>()),
      FReserveSpace(std::make_unique<TKivReserveSpace>(this))
{
    SetCaption(" ");
    SetParentColor(true);
}

TKivBand::~TKivBand()
{
    // The labels are freed with the band's children; they no longer report to a band list.
    FLabels.clear();
    if (auto* P = dynamic_cast<IKivBandPage*>(FPage))
        P->RemoveBand(this);
    FPage = nullptr;
}

TKivReport* TKivBand::Report() const { return FPage ? dynamic_cast<TKivReport*>(FPage->Parent()) : nullptr; }

bool TKivBand::AllowDelete() const { return FDeleteGuard.Allows(this); }

void TKivBand::BeforeDestruction()
{
    FDeleteGuard.Check(this, SKivBandDelete);
    TCustomPanel::BeforeDestruction();
}

void TKivBand::SafeDelete() { FDeleteGuard.SafeDelete(this); }

void TKivBand::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (auto* L = dynamic_cast<TKivLabel*>(AComponent))
        RemoveLabel(L);
    if (AComponent == FUpdateLevel)
        FUpdateLevel = nullptr;
    if (AComponent == FReserveSpace->Band())
        FReserveSpace->SetBand(nullptr);
}

// ---- Setters -----------------------------------------------------------------------------------

void TKivBand::SetFlag(bool& Field, bool Value)
{
    if (Field == Value)
        return;
    Field = Value;
    const TComponentState& S = ComponentState();
    if (S.Contains(csDesigning) && !S.Contains(csLoading) && !S.Contains(csReading))
        if (auto* P = dynamic_cast<IKivBandPage*>(FPage))
            P->BandChanged(this);
}

void TKivBand::SetPrintVisible(bool Value) { SetFlag(FVisible, Value); }
void TKivBand::SetStretch(bool Value) { SetFlag(FStretch, Value); }
void TKivBand::SetNewPage(bool Value) { SetFlag(FNewPage, Value); }
void TKivBand::SetNewPageRepeat(bool Value) { SetFlag(FNewPageRepeat, Value); }

void TKivBand::SetUpdateLevel(TKivLevel* Value) { KivSetReference(this, FUpdateLevel, Value); }

void TKivBand::SetBandName(const String& Value)
{
    if (Value == FBandName)
        return;
    FBandName = Value;
    if (auto* P = dynamic_cast<IKivPage*>(Parent()))
        P->UpdatePageManager();
    if (ComponentState().Contains(csDesigning))
        if (auto* P = dynamic_cast<IKivBandPage*>(FPage))
            P->BandChanged(this);
}

void TKivBand::SetBorderType(TKivBorderType Value)
{
    if (Value == FBorderType)
        return;
    FBorderType = Value;
    Invalidate();
}

void TKivBand::SetShade(TQorShadePercent Value)
{
    if (Value == FShade)
        return;
    FShade = Value;
    Invalidate();
}

void TKivBand::SetOrder(Integer Value)
{
    if (Value == FOrder)
        return;
    FOrder = Value;
    auto* P = dynamic_cast<IKivBandPage*>(FPage);
    if (P && ComponentState().Contains(csDesigning) && !ComponentState().Contains(csReading)) {
        P->OrderBands();
        P->ArrangeBands();
    }
}

void TKivBand::SetName(const String& NewName)
{
    TCustomPanel::SetName(NewName);
    if (auto* P = dynamic_cast<IKivPage*>(Parent()))
        P->UpdatePageManager();
}

void TKivBand::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
    auto* P = dynamic_cast<IKivBandPage*>(FPage);
    if (P && !P->ArrangingBands())
        P->ArrangeBands();
}

// ---- Page and labels ---------------------------------------------------------------------------

void TKivBand::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    auto* NewPage = dynamic_cast<IKivBandPage*>(AParent);
    if (AParent && !NewPage)
        Abort();
    // A band moved from one page to another leaves the first page's list too.
    if (auto* Old = dynamic_cast<IKivBandPage*>(FPage))
        Old->RemoveBand(this);
    FPage = AParent;
    if (NewPage)
        NewPage->InsertBand(this);
    TCustomPanel::SetParent(AParent);
}

void TKivBand::InsertLabel(TKivLabel* Label)
{
    if (std::find(FLabels.begin(), FLabels.end(), Label) != FLabels.end())
        return;
    FLabels.push_back(Label);
    if (auto* P = dynamic_cast<IKivBandPage*>(FPage))
        P->InsertPageLabel(Label);
}

void TKivBand::RemoveLabel(TKivLabel* Label)
{
    const auto It = std::find(FLabels.rbegin(), FLabels.rend(), Label); // freed last first
    if (It == FLabels.rend())
        return;
    FLabels.erase(std::next(It).base());
    if (auto* P = dynamic_cast<IKivBandPage*>(FPage))
        P->RemovePageLabel(Label);
}

Integer TKivBand::GetPPI() const
{
    if (auto* P = dynamic_cast<IKivPrintPage*>(FPage))
        return P->GetPPI();
    return ScreenPixelsPerInch();
}

void TKivBand::Loaded()
{
    TCustomPanel::Loaded();
    KivFontToPPI(this, GetPPI());
}

// ---- Design time ---------------------------------------------------------------------------------

IKivReport* TKivBand::ReportOf() const { return FPage ? dynamic_cast<IKivReport*>(FPage->Parent()) : nullptr; }

TKivRptDsgn* TKivBand::Designer() const
{
    if (!ComponentState().Contains(csDesigning))
        return nullptr;
    IKivReport* R = ReportOf();
    return R ? R->RepDesign() : nullptr;
}

void TKivBand::WMSize(TMessage& M)
{
    // (Sizes change through SetBounds, which has the page lay its bands out again.)
    InheritedMessage<TKivBand>(M);
    // Dividers run from the band's top to its bottom.
    for (TKivLabel* L : std::vector<TKivLabel*>(FLabels))
        if (dynamic_cast<TKivVerticalDivider*>(L))
            L->SetBounds(L->Left(), L->Top(), L->Width(), L->Height());
    if (IKivReport* R = ReportOf())
        R->PositionButtons();
}

void TKivBand::WMMove(TMessage& M)
{
    InheritedMessage<TKivBand>(M);
    if (ComponentState().Contains(csDesigning))
        if (IKivReport* R = ReportOf())
            R->PositionButtons();
}

void TKivBand::CMDesignHitTest(TMessage& M)
{
    InheritedMessage<TKivBand>(M);
    if (TKivRptDsgn* D = Designer()) {
        const Integer X = static_cast<SmallInt>(LOWORD(static_cast<std::uintptr_t>(M.LParam)));
        const Integer Y = static_cast<SmallInt>(HIWORD(static_cast<std::uintptr_t>(M.LParam)));
        D->RulerXY(X, Top() + Y);
    }
}

void TKivBand::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
    if (!ComponentState().Contains(csDesigning)) {
        TCustomPanel::DragOver(Source, X, Y, State, Accept);
        return;
    }
    TKivRptDsgn* D = Designer();
    Accept = D && D->KivDropOK(Source);
    // The rulers follow the mouse over an accepting band.
    if (Accept)
        Perform(CM_DESIGNHITTEST, 0, MAKELPARAM(static_cast<Word>(X), static_cast<Word>(Y)));
}

void TKivBand::DragDrop(TObject* Source, Integer X, Integer Y)
{
    if (!ComponentState().Contains(csDesigning)) {
        TCustomPanel::DragDrop(Source, X, Y);
        return;
    }
    if (TKivRptDsgn* D = Designer())
        D->KivDroplabels(Source, this, X, Y);
}

void TKivBand::Paint()
{
    TCustomPanel::Paint();
    TCanvas* C = Canvas();
    const TRect Client(0, 0, Width() - 1, Height() - 1);
    if (FShade != spNone) {
        C->Brush()->SetColor(White);
        C->Brush()->SetStyle(bsSolid);
        QorShadeRect(C->Handle(), Client, FShade);
        C->Brush()->SetStyle(bsClear);
    }
    if (auto* P = dynamic_cast<IKivBandPage*>(FPage)) {
        const auto X = static_cast<Integer>(Round(GetPPI() * P->PrintWidthInches()));
        C->Pen()->SetColor(Black);
        C->Pen()->SetStyle(psDot);
        C->Pen()->SetWidth(1);
        C->MoveTo(X, 0);
        C->LineTo(X, Height());
    }
    TQorCanvas QorCanvas;
    QorCanvas.SetHandle(C->Handle());
    KivDrawBorder(&QorCanvas, Client, FBorderType, true);
    QorCanvas.SetHandle(HDC());
}

// ---- Print protocol ------------------------------------------------------------------------------

IKivBandPage* TKivBand::BandPage(TComponent* oPage)
{
    const std::type_info* Type = oPage ? &typeid(*oPage) : nullptr;
    if (oPage != FPageOf || Type != FPageType) {
        FPageOf = oPage;
        FPageType = Type;
        FBandPage = dynamic_cast<IKivBandPage*>(oPage);
        FPrintPage = dynamic_cast<IKivPrintPage*>(oPage);
    }
    if (!FBandPage || !FPrintPage)
        throw EInvalidOperation("A band prints on a report page only");
    return FBandPage;
}

IKivPrintPage* TKivBand::PrintPage(TComponent* oPage)
{
    BandPage(oPage);
    return FPrintPage;
}

bool TKivBand::PrintOk()
{
    if (!FVisible || (FContinued && !FNewPageRepeat))
        return false;
    return !OnPrintWhen || KivAskOrRefuse([this](bool& Result) { OnPrintWhen(this, Result); });
}

void TKivBand::BeforePrint()
{
    if (OnBeforePrint)
        KivReportAndGoOn(this, [this] { OnBeforePrint(this); });
}

void TKivBand::AfterPrint()
{
    if (OnAfterPrint)
        KivReportAndGoOn(this, [this] { OnAfterPrint(this); });
}

void TKivBand::PushDest(IKivBandPage* Page)
{
    FSaveOutputDest = Page->OutputDest();
    if (!Page->PageInRange())
        Page->SetOutputDest(qdNoWhere);
}

void TKivBand::PopDest(IKivBandPage* Page) { Page->SetOutputDest(FSaveOutputDest); }

void TKivBand::PrintBackground(TQorCanvas* Canvas, const TRect& ShadeRect, const TRect& Fill, const TRect& Border)
{
    if (FShade != spNone) {
        Canvas->SetFont(Font());
        Canvas->Brush()->SetColor(White);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->ShadeRect(ShadeRect, FShade);
        Canvas->Brush()->SetStyle(bsClear);
    }
    FPen->SetColor(Black);
    FPen->SetWidth(1);
    Canvas->SetPen(FPen.get());
    FBrush->SetColor(Color());
    Canvas->SetBrush(FBrush.get());
    if (Color() != White)
        Canvas->FillRect(Fill);
    KivDrawBorder(Canvas, Border, FBorderType, false);
}

void TKivBand::Print(TComponent* oPage)
{
    IKivBandPage* BP = BandPage(oPage);
    IKivPrintPage* PP = PrintPage(oPage);
    if (!PrintOk())
        return;
    BeforePrint();
    FBandState += bsPrinting;
    if (BP->PageInRange()) {
        const Integer X = PP->XPos();
        const Integer Y = PP->YPos();
        const Integer W = BP->PageWidth() + static_cast<Integer>(Round(PP->GetPPI() * BP->LeftMargin())) - X - 1;
        const TRect R = Bounds(X, Y, W, Height());
        TRect Inner = R;
        InflateRect(Inner, -1, -1);
        PrintBackground(PP->OutputCanvas(), Inner, Bounds(X, Y + 1, W, Height()), R);
        for (TKivLabel* L : std::vector<TKivLabel*>(FLabels))
            L->Print(oPage, Height());
    }
    FBandState -= bsPrinting;
    AfterPrint();
}

void TKivBand::StartPrint()
{
    if (!PrintOk()) {
        FEndPrint = true;
        return;
    }
    BeforePrint();
    FBandState += bsPrinting;
    for (TKivLabel* L : FLabels)
        if (OwnLabel(L))
            L->StartPrint();
    FEndPrint = false;
    FFirstPass = true;
}

bool TKivBand::LabelsPrinting() const
{
    return std::any_of(FLabels.begin(), FLabels.end(), [this](TKivLabel* L) { return OwnLabel(L) && !L->EndPrint(); });
}

Integer TKivBand::LabelsSpend(TComponent* oPage, Integer Space)
{
    Integer H = 0;
    for (TKivLabel* L : FLabels)
        if (OwnLabel(L) && !L->EndPrint())
            H = std::max(H, L->SpendHeight(oPage, Space));
    return H;
}

Integer TKivBand::SpendHeight(TComponent* oPage, Integer Space)
{
    IKivBandPage* BP = BandPage(oPage);
    if (!PrintOk())
        return 0;
    if (!FStretch)
        return Space >= Height() ? Height() : 0;
    if (Space >= Height() || Space == -1 || BP->AtPageTop())
        return LabelsSpend(oPage, Space);
    return 0;
}

Integer TKivBand::PrintHeight(TComponent* oPage, Integer Space)
{
    IKivBandPage* BP = BandPage(oPage);
    IKivPrintPage* PP = PrintPage(oPage);
    if (!PrintOk()) {
        FEndPrint = true;
        return 0;
    }
    Integer H = 0;
    if (BP->AtPageTop() || Space >= Height()) {
        H = LabelsSpend(oPage, Space);
        if (H > 0 && BP->PageInRange()) {
            if (H < Height() && FFirstPass)
                H = Height();
            const Integer X = PP->XPos();
            const Integer Y = PP->YPos();
            const Integer W = BP->PageWidth();
            PrintBackground(PP->OutputCanvas(), Bounds(X + 1, Y + 1, W - 2, H - 2), Bounds(X, Y + 1, W - 1, H),
                            Bounds(X, Y, W - 1, H));
        }
        PushDest(BP);
        try {
            for (TKivLabel* L : std::vector<TKivLabel*>(FLabels))
                if (OwnLabel(L))
                    H = std::max(H, L->PrintHeight(oPage, Space, H));
        } catch (...) {
            PopDest(BP);
            throw;
        }
        PopDest(BP);
        if (!LabelsPrinting())
            FEndPrint = true;
        if (H < Height() && FFirstPass)
            H = Height();
    }
    FFirstPass = false;
    if (FEndPrint) {
        FBandState -= bsPrinting;
        AfterPrint();
    }
    return H;
}

void TKivBand::PrintRtf(TComponent* oPage, TKivRtfFile* RtfFile)
{
    IKivBandPage* BP = BandPage(oPage);
    auto* Page = dynamic_cast<TWinControl*>(oPage);
    if (PrintOk()) {
        std::vector<TKivLabel*> Sorted;
        for (TKivLabel* L : FLabels) {
            L->StartPrint();
            Sorted.push_back(L);
        }
        // Left to right by anchor; equal anchors keep their list order.
        std::stable_sort(Sorted.begin(), Sorted.end(),
                         [](const TKivLabel* A, const TKivLabel* B) { return RtfAnchor(A) < RtfAnchor(B); });
        BeforePrint();
        FBandState += bsPrinting;
        RtfFile->SetBorderType(FBorderType == btUnderLine ? rbtBottom : rbtBox);
        if (FBorderType != btNone)
            RtfFile->StartBorder();
        Integer LastRow = 0;
        for (TKivLabel* L : Sorted)
            LastRow = std::max(LastRow, L->Row());
        for (Integer Row = 0;; ++Row) {
            RtfFile->SetPageBreak(FNewPage && !BP->FirstNewPage());
            RtfFile->ParagraphDefault();
            const Int64 Before = RtfFile->Stream().Size();
            for (TKivLabel* L : Sorted)
                L->PrintTab(Page, RtfFile, Row);
            for (TKivLabel* L : Sorted)
                L->PrintRtf(Page, RtfFile, Row);
            const bool Wrote = RtfFile->Stream().Size() != Before;
            if (Height() > 0)
                RtfFile->NewParagraph();
            if (std::all_of(Sorted.begin(), Sorted.end(), [](TKivLabel* L) { return L->EndPrint(); }))
                break;
            // Past every label's row with nothing written, the rest can never print (a negative
            // row): stop rather than write empty paragraphs for ever.
            if (Row >= LastRow && !Wrote)
                break;
        }
        if (FBorderType != btNone)
            RtfFile->EndBorder();
        FBandState -= bsPrinting;
        AfterPrint();
    }
    FEndPrint = true;
}

// ---- Copying labels ------------------------------------------------------------------------------

String KivTextLabelToVarLabel(const String& Text, const String& Name)
{
    String Out;
    bool Changed = false;
    std::size_t Start = 0;
    while (Start <= Text.size()) {
        std::size_t End = Text.find('\n', Start);
        const bool Last = End == String::npos;
        if (Last)
            End = Text.size();
        String Line = Text.substr(Start, End - Start);
        String Cr;
        if (!Line.empty() && Line.back() == '\r') {
            Line.pop_back();
            Cr = "\r";
        }
        TDeclaration D;
        if (ParseDeclaration(Line, D) && D.Name == Name && SameText(D.Class, "TKivTextLabel")) {
            Line = D.Indent + D.Keyword + " " + D.Name + ": TKivVarLabel" + D.Rest;
            Changed = true;
        }
        Out += Line + Cr;
        if (Last)
            break;
        Out += '\n';
        Start = End + 1;
    }
    return Changed ? Out : Text;
}

void TKivBand::ModifyLabel(TMessage& M)
{
    // The label may have gone since the message was posted: only one still on this band counts.
    auto* Label = reinterpret_cast<TKivLabel*>(M.LParam);
    if (!Label || std::find(FLabels.begin(), FLabels.end(), Label) == FLabels.end() || !Clipboard()->HasText())
        return;
    const String Text = Clipboard()->AsText();
    const String Modified = KivTextLabelToVarLabel(Text, Label->Name());
    if (Modified != Text)
        Clipboard()->SetAsText(Modified);
}

QOR_PUBLISH(TKivReserveSpace)
{
    using R = TKivReserveSpace;
    b.Property("Band", &R::Band, &R::SetBand).Default(nullptr);
    b.Property("BandCount", &R::BandCount, &R::SetBandCount).Default(1);
    b.Property("Space", &R::Space, &R::SetSpace).Default(0);
}

QOR_PUBLISH(TKivBand)
{
    using B = TKivBand;
    b.Property("Visible", &B::PrintVisible, &B::SetPrintVisible).Default(true);
    b.Property("Stretch", &B::Stretch, &B::SetStretch).Default(false);
    b.Property("BandName", &B::BandName, &B::SetBandName);
    b.Property("NewPage", &B::NewPage, &B::SetNewPage).Default(false);
    b.Property("NewPageRepeat", &B::NewPageRepeat, &B::SetNewPageRepeat).Default(false);
    b.Property("KeepTogether", &B::KeepTogether, &B::SetKeepTogether).Default(false);
    b.Property("BorderType", &B::BorderType, &B::SetBorderType).Default(btNone);
    b.Property("Shade", &B::Shade, &B::SetShade).Default(spNone);
    b.Property("Order", &B::Order, &B::SetOrder).Default(0);
    b.Property("Updatelevel", &B::UpdateLevel, &B::SetUpdateLevel).Default(nullptr);
    b.SubObject("ReserveSpace", &B::ReserveSpace);
    b.Event("OnPrintWhen", &B::OnPrintWhen);
    b.Event("OnBeforePrint", &B::OnBeforePrint);
    b.Event("OnAfterPrint", &B::OnAfterPrint);
}

} // namespace qor
