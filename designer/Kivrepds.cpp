#include "designer/Kivrepds.h"

#include "designer/PAGEMAN.h"
#include "platform/ide/DesignIntf.h"
#include "designer/QorAlign.h"
#include "designer/QorDrop.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/Resources.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivStrIds.h"

namespace qor {

// Frees the designer object while its report is still whole (the report never frees it, and its
// window frees the buttons and rulers parented to it); forgets a control that went first.
class TKivDesignKeeper : public TComponent {
    QOR_CLASS(TKivDesignKeeper, TComponent)
public:
    explicit TKivDesignKeeper(TKivReportDesign* Design) : TComponent(nullptr), FDesign(Design) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove)
            return;
        if (AComponent == FDesign->FRep) {
            FDesign->FRep->SetRepDesign(nullptr);
            delete FDesign; // and this keeper with it: nothing here is touched after
            return;
        }
        FDesign->Forget(AComponent);
    }

private:
    TKivReportDesign* FDesign;
};

QOR_PUBLISH(TKivDesignKeeper) {}

void KivRepDesign(TKivReport* R) { R->SetRepDesign(new TKivReportDesign(R)); }

namespace {

// Installed once when the library is loaded; nothing clears it.
const bool Installed = (KivDesignCreate = &KivRepDesign, true);

} // namespace

TKivReportDesign::TKivReportDesign(TKivReport* R) : FRep(R), FKeeper(std::make_unique<TKivDesignKeeper>(this))
{
    (void)Installed;
    FRep->FreeNotification(FKeeper.get());
    const Integer w = ScreenPixelsPerInch() / 2 + 2;
    FMinMaxButton = NewButton("Min", "", "Minimize/Maximize Report", 0, 0, 35, 35);
    FSelectButton = NewButton("", "KIVGLASSES", "Select GroupPage", 35, 0, 35, 35);
    FSelectButton->SetMargin(5);
    FPageManButton = NewButton("Band", "", "Band Manager", 70, 0, 35, 35);
    FDataButton = NewButton("Data", "", "Data Control", 105, 0, 35, 35);
    FAutoLabelButton = NewButton("Fast", "", "Fast Label Placement", 140, 0, 35, 35);
    FRunButton = NewButton("Run", "", "Run Report", 175, 0, 35, 35);
    FRep1Button = NewButton("Overview", "", "Run Overview Report", 291, 0, w, 17);
    FRep2Button = NewButton("Diagnostic", "", "Run Diagnostic Report", 291, 17, w, 17);
    FLeftAlignButton = NewButton("", "KIVLEFTALIGN", "Align left Edges", 225, 0, 17, 17);
    FCenterAlignButton = NewButton("", "KIVCENTERALIGN", "Align horizontal centers", 242, 0, 17, 17);
    FRightAlignButton = NewButton("", "KIVRIGHTALIGN", "Align right edges", 259, 0, 17, 17);
    FPageCenterButton = NewButton("", "KIVPAGECENTER", "Horizontal page center", 242, 17, 17, 17);

    FMinMaxButton->OnClick = [this](TObject* S) { MinMaxClick(S); };
    FSelectButton->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        SelectButtonMouseUp(S, B, Sh, X, Y);
    };
    FPageManButton->OnClick = [this](TObject* S) { PageManClick(S); };
    FDataButton->OnClick = [this](TObject* S) { DataClick(S); };
    FAutoLabelButton->OnClick = [this](TObject* S) { AutoLabelClick(S); };
    FRunButton->OnMouseUp = [this](TObject* S, TMouseButton B, TShiftState Sh, Integer X, Integer Y) {
        RunButtonMouseUp(S, B, Sh, X, Y);
    };
    for (TKivNoScaleBtn* b : {FRep1Button, FRep2Button})
        b->OnClick = [this](TObject* S) { ReportClick(S); };
    Integer tag = 0;
    for (TKivNoScaleBtn* b : {FLeftAlignButton, FCenterAlignButton, FRightAlignButton, FPageCenterButton}) {
        b->SetTag(tag++);
        b->OnClick = [this](TObject* S) { AlignClick(S); };
    }

    FTopRuler = new TKivRuler(nullptr);
    FTopRuler->SetVertical(false);
    FTopRuler->SetBounds(35, 50, 400, 20);
    FTopRuler->SetParent(FRep);
    FTopRuler->FreeNotification(FKeeper.get());
    FLeftRuler = new TKivRulerContainer(nullptr);
    FLeftRuler->SetBounds(15, 70, 20, 100);
    FLeftRuler->SetParent(FRep);
    FLeftRuler->FreeNotification(FKeeper.get());
}

TKivReportDesign::~TKivReportDesign()
{
    FRep->RemoveFreeNotification(FKeeper.get());
    for (TControl* c : std::initializer_list<TControl*>{
             FLeftAlignButton, FCenterAlignButton, FRightAlignButton, FPageCenterButton, FMinMaxButton,
             FPageManButton, FAutoLabelButton, FRunButton, FSelectButton, FDataButton, FRep1Button, FRep2Button,
             FTopRuler, FLeftRuler}) {
        if (!c)
            continue;
        c->RemoveFreeNotification(FKeeper.get());
        c->SetParent(nullptr);
        Free(c);
    }
    Free(FDropForm);
}

TKivNoScaleBtn* TKivReportDesign::NewButton(const String& Caption, const String& Glyph, const String& Hint,
                                            Integer Left, Integer Top, Integer Width, Integer Height)
{
    auto* b = new TKivNoScaleBtn(nullptr);
    b->SetBounds(Left, Top, Width, Height);
    b->Font()->SetName("Arial");
    b->Font()->SetSize(7);
    b->SetHint(Hint);
    b->SetShowHint(true);
    b->SetCaption(Caption);
    if (!Glyph.empty())
        if (auto data = FindResource("bitmaps/" + Glyph + ".bmp")) {
            TMemoryStream s;
            s.WriteBuffer(data->data(), static_cast<Int64>(data->size()));
            s.SetPosition(0);
            b->Glyph()->LoadFromStream(&s);
        }
    b->SetParent(FRep);
    b->FreeNotification(FKeeper.get());
    return b;
}

void TKivReportDesign::Forget(TComponent* Component)
{
    for (TKivNoScaleBtn** b : {&FLeftAlignButton, &FCenterAlignButton, &FRightAlignButton, &FPageCenterButton,
                               &FMinMaxButton, &FPageManButton, &FAutoLabelButton, &FRunButton, &FSelectButton,
                               &FDataButton, &FRep1Button, &FRep2Button})
        if (*b == Component)
            *b = nullptr;
    if (FTopRuler == Component)
        FTopRuler = nullptr;
    if (FLeftRuler == Component)
        FLeftRuler = nullptr;
    if (FDropForm == Component)
        FDropForm = nullptr;
}

TKivNoScaleBtn* TKivReportDesign::AlignButton(Integer Mode) const
{
    switch (Mode) {
    case QorAlignLeft: return FLeftAlignButton;
    case QorAlignCenter: return FCenterAlignButton;
    case QorAlignRight: return FRightAlignButton;
    case QorAlignPageCenter: return FPageCenterButton;
    default: return nullptr;
    }
}

namespace {

// A point of the page's client area that no control of it covers (as mouse-message parameters).
LPARAM BarePagePoint(TKivPage* Page)
{
    const Integer w = Page->ClientWidth(), h = Page->ClientHeight();
    for (Integer y = h - 1; y >= 0; y -= 4)
        for (Integer x = w - 1; x >= 0; x -= 8) {
            bool covered = false;
            for (Integer i = 0; i < Page->ControlCount() && !covered; ++i)
                covered = Page->Controls(i)->BoundsRect().Contains(TPoint(x, y));
            if (!covered)
                return MAKELPARAM(static_cast<Word>(x), static_cast<Word>(y));
        }
    return 0;
}

} // namespace

TKivPage* TKivReportDesign::Page() const { return FRep->Page() ? FRep->Page()->AsPage() : nullptr; }

TCustomForm* TKivReportDesign::Manager() const
{
    TKivPage* p = Page();
    return p ? p->PageManager() : nullptr;
}

// ---- The calls of the report, its page and its bands -------------------------------------------

void TKivReportDesign::RepositionButtons()
{
    if (TKivPage* p = Page()) {
        if (FTopRuler) {
            FTopRuler->SetLeft(p->Left() + (p->HasBorder() ? 2 : 0));
            FTopRuler->SetTop(p->Top() - FTopRuler->Height());
            FTopRuler->SetStartPixels(-p->HorzScrollBar()->Position());
            FTopRuler->SetWidth(p->Width());
            FTopRuler->SetUnits(p->Units());
            FTopRuler->Invalidate();
        }
        if (FLeftRuler) {
            FLeftRuler->SetUnits(p->Units());
            FLeftRuler->UpdateRulers();
            FLeftRuler->SetBounds(p->Left() - FLeftRuler->Width(), p->Top(), FLeftRuler->Width(),
                                  FLeftRuler->Height());
        }
    }
    Integer left = 0;
    for (TKivNoScaleBtn* b : {FMinMaxButton, FSelectButton, FPageManButton, FDataButton, FAutoLabelButton, FRunButton}) {
        if (b)
            b->SetBounds(left, 0, b->Width(), b->Height());
        left += 35;
    }
}

void TKivReportDesign::SetMinMax()
{
    if (FMinMaxButton)
        FMinMaxButton->SetCaption(LoadStr(FRep->Minimized() ? SKivMax : SKivMin));
}

void TKivReportDesign::CreatePageManager()
{
    TKivPage* p = Page();
    if (!p || p->PageManager())
        return;
    // the designer answers a double click on the page with its component editor, which makes it;
    // the click goes where no band covers the page, as the designer hands it to what is under it
    SendMessage(p->Handle(), WM_LBUTTONDBLCLK, 0, BarePagePoint(p));
    if (!p->PageManager())
        if (auto* form = dynamic_cast<TCustomForm*>(p->Owner()))
            if (auto* designer = dynamic_cast<IDesigner*>(form->Designer()))
                GetComponentEditor(p, designer)->Edit();
    if (TCustomForm* m = p->PageManager())
        m->Close();
}

void TKivReportDesign::RedrawRuler()
{
    TKivPage* p = Page();
    if (!p)
        return;
    if (FTopRuler) {
        FTopRuler->SetPixelsPerInch(FRep->PixelsPerInch());
        FTopRuler->SetUnits(p->Units());
        FTopRuler->Invalidate();
    }
    if (FLeftRuler) {
        FLeftRuler->SetPixelsPerInch(FRep->PixelsPerInch());
        FLeftRuler->SetUnits(p->Units());
        FLeftRuler->Invalidate();
    }
}

void TKivReportDesign::RulerXY(Integer X, Integer Y)
{
    if (FTopRuler)
        FTopRuler->UpdateHair(X);
    if (FLeftRuler)
        FLeftRuler->UpdateHair(Y);
}

void TKivReportDesign::RulerUpdate()
{
    if (FLeftRuler)
        FLeftRuler->UpdateRulers();
}

void TKivReportDesign::RulerInvalid()
{
    if (FTopRuler)
        FTopRuler->Invalidate();
    if (FLeftRuler)
        FLeftRuler->Invalidate();
}

// Only the fast label tool's variable list is dragged onto bands.
bool TKivReportDesign::KivDropOK(TObject* Source)
{
    auto* tool = dynamic_cast<TQorDropLabels*>(FDropForm);
    return tool && Source && Source == tool->SList;
}

void TKivReportDesign::KivDroplabels(TObject* Source, TObject* Target, Integer X, Integer Y)
{
    if (KivDropOK(Source))
        static_cast<TQorDropLabels*>(FDropForm)->DropLabels(dynamic_cast<TKivBand*>(Target), X, Y);
}

// ---- The tool bar ------------------------------------------------------------------------------

void TKivReportDesign::MinMaxClick(TObject*)
{
    if (Page())
        FRep->SetMinimized(!FRep->Minimized());
}

void TKivReportDesign::SelectButtonMouseUp(TObject*, TMouseButton, TShiftState, Integer, Integer)
{
    if (!Page())
        return;
    CreatePageManager();
    if (TCustomForm* m = Manager()) {
        const HWND h = m->Handle();
        PostMessage(h, KIV_PM_SELECTPAGE, 0, 0);
        PostMessage(h, WM_LBUTTONDOWN, 0, 0);
        PostMessage(h, WM_LBUTTONUP, 0, 0);
        PostMessage(h, WM_KEYDOWN, 122, 0);
    }
}

void TKivReportDesign::PageManClick(TObject*)
{
    TKivPage* p = Page();
    if (!p)
        return;
    CreatePageManager();
    p->UpdateVarList();
    if (TCustomForm* m = Manager())
        m->Show();
}

void TKivReportDesign::DataClick(TObject*)
{
    if (!Page())
        return;
    CreatePageManager();
    if (TCustomForm* m = Manager())
        PostMessage(m->Handle(), KIV_PM_DATACONTROL, 0, 0);
}

void TKivReportDesign::AutoLabelClick(TObject*)
{
    TKivPage* p = Page();
    if (!p)
        return;
    CreatePageManager();
    p->UpdateVarList();
    if (!FDropForm) {
        auto* tool = Create<TQorDropLabels>(Application());
        tool->Page = p;
        tool->FreeNotification(FKeeper.get());
        FDropForm = tool;
    }
    auto* tool = static_cast<TQorDropLabels*>(FDropForm);
    tool->FillComboBoxes();
    tool->Show();
}

void TKivReportDesign::RunButtonMouseUp(TObject*, TMouseButton Button, TShiftState, Integer, Integer)
{
    if (!Page() || (Button != mbLeft && Button != mbRight))
        return;
    FRep->SetDesignPreview(Button == mbLeft);
    FRep->Run();
}

void TKivReportDesign::ReportClick(TObject* Sender)
{
    if (!Page())
        return;
    CreatePageManager();
    if (TCustomForm* m = Manager())
        PostMessage(m->Handle(), Sender == FRep1Button ? KIV_PM_OVERVIEW : KIV_PM_DIAGNOSTIC, 0, 0);
}

void TKivReportDesign::AlignClick(TObject* Sender)
{
    if (TKivPage* p = Page())
        QorAlignLabel(p, static_cast<Integer>(dynamic_cast<TComponent*>(Sender)->Tag()));
}

} // namespace qor
