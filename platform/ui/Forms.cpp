#include "platform/ui/Forms.h"

#include "platform/graphics/Screen.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Menus.h"
#include "platform/ui/internal/ApplicationHooks.h"
#include "platform/ui/internal/FormHooks.h"
#include "platform/ui/internal/NativeBridge.h"
#include "platform/rtl/List.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/QtHost.h"

#include <algorithm>

namespace qor {

namespace {

// Set by the application object when the library is loaded.
constinit TApplicationHooks GApplication{};

} // namespace

void SetApplicationHooks(const TApplicationHooks& Hooks) { GApplication = Hooks; }

namespace {

// Controls reach the form they lie on through these.
const struct TFormHooksSet {
    TFormHooksSet()
    {
        TFormHooks h;
        h.AsForm = [](const TControl* C) { return dynamic_cast<TCustomForm*>(const_cast<TControl*>(C)); };
        h.FormAt = [](const TPoint& ScreenPos, TPoint& Local) -> TControl* {
            for (Integer i = FormCount() - 1; i >= 0; --i) {
                TCustomForm* f = Forms(i);
                if (!f->Visible())
                    continue;
                Local = ScreenPos - f->ClientOrigin();
                if (f->ClientRect().Contains(Local))
                    return f;
            }
            return nullptr;
        };
        h.ActiveControl = [](const TCustomForm* F) { return F->ActiveControl(); };
        h.SetActiveControl = [](TCustomForm* F, TWinControl* C) { F->SetActiveControl(C); };
        h.IsDesignMsg = [](TCustomForm* F, TControl* Sender, TMessage& Message) {
            TFormDesigner* d = F->Designer();
            return d && d->IsDesignMsg(Sender, Message);
        };
        h.PreviewKeyDown = [](TCustomForm* F, Word& Key, TShiftState Shift) {
            return F->KeyPreview() && F->PreviewKeyDown(Key, Shift);
        };
        h.PreviewKeyPress = [](TCustomForm* F, char& Key) { return F->KeyPreview() && F->PreviewKeyPress(Key); };
        h.PreviewKeyUp = [](TCustomForm* F, Word& Key, TShiftState Shift) {
            return F->KeyPreview() && F->PreviewKeyUp(Key, Shift);
        };
        h.DialogKey = [](TCustomForm* F, Word Key, TShiftState Shift, TWinControl* From) {
            return F->DialogKey(Key, Shift, From);
        };
        SetFormHooks(h);
    }
} GFormHooksSet;

} // namespace

QOR_PUBLISH(TControlScrollBar)
{
    b.Property("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement).Default(8);
    b.Property("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin).Default(0);
    b.Property("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition).Default(0);
    b.Property("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange).Default(0);
    b.Property("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking).Default(false);
    b.Property("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible).Default(true);
}

QOR_PUBLISH(TScrollingWinControl)
{
    b.SubObject("HorzScrollBar", &TScrollingWinControl::HorzScrollBar);
    b.SubObject("VertScrollBar", &TScrollingWinControl::VertScrollBar);
    b.Property("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll).Default(true);
}

QOR_PUBLISH(TScrollBox)
{
    b.Property("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle).Default(bsSingle);
}

QOR_PUBLISH(TCustomForm)
{
    b.Property("Visible", &TCustomForm::StoredVisible, &TCustomForm::SetStoredVisible).Default(true);
}

QOR_PUBLISH(TForm)
{
    b.Property("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth).Stored(false);
    b.Property("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight).Stored(false);
    b.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
    b.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
    b.Property("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
    b.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
    b.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    b.Property("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(false);
    b.Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
    b.Property("Menu", &TForm::Menu, &TForm::SetMenu);
    b.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch).NoDefault();
    b.Property("Scaled", &TForm::Scaled, &TForm::SetScaled).Default(true);
    b.Property("HelpContext", &TForm::HelpContext, &TForm::SetHelpContext).Default(0);
    b.Event("OnCreate", &TForm::OnCreate);
    b.Event("OnShow", &TForm::OnShow);
    b.Event("OnHide", &TForm::OnHide);
    b.Event("OnClose", &TForm::OnClose);
    b.Event("OnCloseQuery", &TForm::OnCloseQuery);
    b.Event("OnDestroy", &TForm::OnDestroy);
    b.Event("OnActivate", &TForm::OnActivate);
    b.Event("OnDeactivate", &TForm::OnDeactivate);
    b.Event("OnPaint", &TForm::OnPaint);
}

QOR_MESSAGE(WM_HSCROLL, &TScrollingWinControl::WMHScroll);
QOR_MESSAGE(WM_VSCROLL, &TScrollingWinControl::WMVScroll);
QOR_MESSAGE(WM_MOUSEWHEEL, &TScrollingWinControl::WMMouseWheel);
QOR_MESSAGE(CM_RELEASE, &TCustomForm::CMRelease);
QOR_MESSAGE(WM_CLOSE, &TCustomForm::WMClose);

namespace {
std::vector<TCustomForm*>& AllForms()
{
    static std::vector<TCustomForm*> v;
    return v;
}
std::vector<TCustomForm*>& ShownOrder()
{
    static std::vector<TCustomForm*> v;
    return v;
}
} // namespace

Integer FormCount() { return static_cast<Integer>(AllForms().size()); }

TCustomForm* Forms(Integer Index)
{
    if (Index < 0 || Index >= FormCount())
        ListIndexError(Index);
    return AllForms()[static_cast<size_t>(Index)];
}

TCustomForm* ActiveForm()
{
    auto& v = ShownOrder();
    for (auto it = v.rbegin(); it != v.rend(); ++it)
        if ((*it)->Visible())
            return *it;
    return nullptr;
}

// ---- TControlScrollBar -------------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind)
    : FControl(AControl), FKind(AKind)
{
}

TPersistent* TControlScrollBar::GetOwner() const { return FControl; }

void TControlScrollBar::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
        FIncrement = s->FIncrement;
        FMargin = s->FMargin;
        FTracking = s->FTracking;
        FVisible = s->FVisible;
        SetRange(s->FRange);
        SetPosition(s->FPosition);
        return;
    }
    TPersistent::Assign(Source);
}

Integer TControlScrollBar::ContentExtent() const
{
    if (FRange > 0)
        return FRange;
    Integer extent = 0;
    for (Integer i = 0; i < FControl->ControlCount(); ++i) {
        TControl* c = FControl->Controls(i);
        if (!c->Visible() || c->Align() != alNone)
            continue;
        // children are kept at their scrolled positions; add the scroll position back
        const Integer edge = FKind == sbHorizontal ? c->Left() + c->Width() + FPosition
                                                   : c->Top() + c->Height() + FPosition;
        extent = std::max(extent, edge + FMargin);
    }
    return extent;
}

Integer TControlScrollBar::MaxPosition() const
{
    const TRect r = FControl->ClientRect();
    const Integer client = FKind == sbHorizontal ? r.Width() : r.Height();
    return std::max(0, ContentExtent() - client);
}

bool TControlScrollBar::IsScrollBarVisible() const { return FVisible && MaxPosition() > 0; }

void TControlScrollBar::SetPosition(Integer Value)
{
    Value = std::clamp(Value, 0, MaxPosition());
    if (Value == FPosition)
        return;
    const Integer delta = FPosition - Value;
    FPosition = Value;
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
}

void TControlScrollBar::SetRange(Integer Value)
{
    FRange = std::max(0, Value);
    SetPosition(FPosition); // keep within the new range
    FControl->Invalidate();
    TControlInternals::UpdateNative(*FControl);
}

void TControlScrollBar::SetVisible(bool Value)
{
    FVisible = Value;
    FControl->Invalidate();
    TControlInternals::UpdateNative(*FControl);
}

void TControlScrollBar::ScrollMessage(Word Code, Integer Pos)
{
    const TRect r = FControl->ClientRect();
    const Integer page = std::max(1, (FKind == sbHorizontal ? r.Width() : r.Height()) * 9 / 10);
    switch (Code) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - page); break;
    case SB_PAGEDOWN: SetPosition(FPosition + page); break;
    case SB_THUMBPOSITION: SetPosition(Pos); break;
    case SB_THUMBTRACK:
        if (FTracking)
            SetPosition(Pos);
        break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(MaxPosition()); break;
    default: break;
    }
}

// ---- TScrollingWinControl ----------------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this, sbVertical))
{
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY)
{
    if (DeltaX == 0 && DeltaY == 0)
        return;
    DisableAlign();
    for (Integer i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (c->Align() == alNone)
            c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    }
    EnableAlign();
    Invalidate();
    UpdateNative();
}

void TScrollingWinControl::ScrollInView(TControl* AControl)
{
    if (!AControl || !ContainsControl(AControl))
        return;
    const TRect r = ClientRect();
    if (AControl->Left() < 0)
        FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + AControl->Left());
    else if (AControl->Left() + AControl->Width() > r.Width())
        FHorzScrollBar->SetPosition(FHorzScrollBar->Position() + AControl->Left() + AControl->Width() - r.Width());
    if (AControl->Top() < 0)
        FVertScrollBar->SetPosition(FVertScrollBar->Position() + AControl->Top());
    else if (AControl->Top() + AControl->Height() > r.Height())
        FVertScrollBar->SetPosition(FVertScrollBar->Position() + AControl->Top() + AControl->Height() - r.Height());
}

void TScrollingWinControl::AlignControls(TRect& R)
{
    TWinControl::AlignControls(R);
    // a smaller content or a larger window may leave the position past its end
    FHorzScrollBar->SetPosition(FHorzScrollBar->Position());
    FVertScrollBar->SetPosition(FVertScrollBar->Position());
    NativeScrollBarsChanged(this);
}

void TScrollingWinControl::WMHScroll(TMessage& M)
{
    FHorzScrollBar->ScrollMessage(LOWORD(M.WParam), static_cast<SmallInt>(HIWORD(M.WParam)));
}

void TScrollingWinControl::WMVScroll(TMessage& M)
{
    FVertScrollBar->ScrollMessage(LOWORD(M.WParam), static_cast<SmallInt>(HIWORD(M.WParam)));
}

void TScrollingWinControl::WMMouseWheel(TMessage& M)
{
    // Three lines a notch (120), down when the wheel turns towards the user; Shift scrolls sideways.
    const Integer Delta = static_cast<SmallInt>(HIWORD(M.WParam));
    const bool Sideways = (LOWORD(M.WParam) & MK_SHIFT) != 0;
    TControlScrollBar* Bar = Sideways ? FHorzScrollBar.get() : FVertScrollBar.get();
    if (!Bar->IsScrollBarVisible())
        return; // nothing to scroll here: a parent may take it
    const Integer Step = 3 * Bar->Increment() * Delta / 120;
    Bar->SetPosition(Bar->Position() - (Step != 0 ? Step : (Delta > 0 ? 1 : -1)));
    Perform(Sideways ? WM_HSCROLL : WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0));
    M.Result = 1;
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
    FControlStyle += csAcceptsControls;
    SetBounds(0, 0, 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle Value)
{
    FBorderStyle = Value;
    Realign();
    UpdateNative();
}

TPoint TScrollBox::ClientOffset() const { return FBorderStyle == bsSingle ? Point(2, 2) : Point(0, 0); }

void TScrollBox::PaintFrame(TCanvas* ACanvas)
{
    TRect r = Rect(0, 0, Width(), Height());
    if (FBorderStyle == bsSingle)
        DrawSunkenFrame(ACanvas, r);
    bool h = false, v = false;
    ScrollBarsShown(h, v);
    const TRect client = ClientRect();
    if (h)
        DrawScrollBar(ACanvas, Bounds(r.Left, r.Top + client.Height(), client.Width(), ScrollBarSize), true,
                      HorzScrollBar()->Position(), HorzScrollBar()->MaxPosition(), client.Width());
    if (v)
        DrawScrollBar(ACanvas, Bounds(r.Left + client.Width(), r.Top, ScrollBarSize, client.Height()), false,
                      VertScrollBar()->Position(), VertScrollBar()->MaxPosition(), client.Height());
    if (h && v) {
        ACanvas->Brush()->SetColor(clBtnFace);
        ACanvas->FillRect(Bounds(r.Left + client.Width(), r.Top + client.Height(), ScrollBarSize, ScrollBarSize));
    }
}

void TScrollBox::ScrollBarsShown(bool& Horizontal, bool& Vertical) const
{
    const Integer b = FBorderStyle == bsSingle ? 2 : 0;
    const Integer w = Width() - 2 * b, h = Height() - 2 * b;
    TControlScrollBar* hs = HorzScrollBar();
    TControlScrollBar* vs = VertScrollBar();
    // the content's extent does not depend on the client area, so this does not go round
    Horizontal = hs->Visible() && hs->ContentExtent() > w;
    Vertical = vs->Visible() && vs->ContentExtent() > h;
    if (Horizontal && !Vertical)
        Vertical = vs->Visible() && vs->ContentExtent() > h - ScrollBarSize;
    if (Vertical && !Horizontal)
        Horizontal = hs->Visible() && hs->ContentExtent() > w - ScrollBarSize;
}

TRect TScrollBox::ClientRect() const
{
    const Integer b = FBorderStyle == bsSingle ? 2 : 0;
    bool h = false, v = false;
    ScrollBarsShown(h, v);
    return Rect(0, 0, std::max(0, Width() - 2 * b - (v ? ScrollBarSize : 0)),
                std::max(0, Height() - 2 * b - (h ? ScrollBarSize : 0)));
}

// ---- TCustomForm -------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner)
    : TScrollingWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
    FControlStyle += csAcceptsControls;
    SetColor(clBtnFace);
    TControl::SetVisible(false);
    SetBounds(0, 0, 320, 240);
    AllForms().push_back(this);
}

TCustomForm::~TCustomForm()
{
    auto& all = AllForms();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    auto& shown = ShownOrder();
    shown.erase(std::remove(shown.begin(), shown.end(), this), shown.end());
}

void TCustomForm::BeforeDestruction()
{
    if (!ComponentState().Contains(csDestroying))
        OnDestroy(this);
    TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::Loaded()
{
    TScrollingWinControl::Loaded();
    // A scaled form stored at another resolution than the screen's is fitted to the screen.
    const Integer Screen = ScreenPixelsPerInch();
    if (FScaled && FPixelsPerInch > 0 && FPixelsPerInch != Screen) {
        const Integer W = MulDiv(ClientWidth(), Screen, FPixelsPerInch);
        const Integer H = MulDiv(ClientHeight(), Screen, FPixelsPerInch);
        for (Integer I = 0; I < ControlCount(); ++I)
            Controls(I)->ChangeScale(Screen, FPixelsPerInch);
        SetClientWidth(W);
        SetClientHeight(H);
        FPixelsPerInch = Screen;
    }
    DoCreate();
}

void TCustomForm::DoCreate()
{
    if (FCreated)
        return;
    FCreated = true;
    OnCreate(this);
}

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& Action) { OnClose(this, Action); }

void TCustomForm::SetVisible(bool Value)
{
    if (Value == Visible())
        return;
    if (Value) {
        DoShow();
        TControl::SetVisible(true);
        auto& shown = ShownOrder();
        shown.erase(std::remove(shown.begin(), shown.end(), this), shown.end());
        shown.push_back(this);
        Realign();
        if (!FModal && QtCanShowWindows())
            NativeShowForm(this, false);
    } else {
        TControl::SetVisible(false);
        if (HasNativeWidget())
            NativeHideForm(this);
        DoHide();
    }
}

bool TCustomForm::StoredVisible() const
{
    return ComponentState().Contains(csDesigning) ? FDesignVisible : Visible();
}

void TCustomForm::SetStoredVisible(bool Value)
{
    if (ComponentState().Contains(csDesigning))
        FDesignVisible = Value;
    else
        SetVisible(Value);
}

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TCustomForm::Hide() { SetVisible(false); }

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || FModal)
        throw EInvalidOperation("Cannot make a visible window modal");
    FModalResult = mrNone;
    FModal = true;
    TModalResult result = mrNone;
    try {
        DoShow();
        TControl::SetVisible(true);
        ShownOrder().push_back(this);
        Realign();
        TDialogRequest request;
        request.Kind = TDialogKind::dkModalForm;
        request.Caption = Caption();
        request.ClassName = ClassName();
        request.Name = Name();
        request.Form = this;
        result = DialogService().Execute(request, [this] { return NativeRunModal(this); });
        if (result == mrNone)
            result = FModalResult;
        if (result == mrNone)
            result = mrCancel; // a window closed without a choice
        FModalResult = result;
        TCloseAction action = caHide;
        DoClose(action);
        if (action == caFree)
            Release();
    } catch (...) {
        EndModal();
        throw;
    }
    EndModal();
    DoHide();
    return result;
}

void TCustomForm::EndModal()
{
    FModal = false;
    TControl::SetVisible(false);
    if (HasNativeWidget())
        NativeHideForm(this);
    if (FReleaseAfterModal) {
        // a Release that arrived while the modal run was on the stack is carried out now
        FReleaseAfterModal = false;
        PostMessageTo(this, CM_RELEASE);
    }
}

void TCustomForm::SetModalResult(TModalResult Value) { FModalResult = Value; }

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close()
{
    if (FModal) {
        // A modal form may refuse to close as a modeless one may.
        if (CloseQuery())
            FModalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = FFormStyle == fsMDIChild ? caMinimize : caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (GApplication.IsMainForm && GApplication.IsMainForm(this)) {
        Hide();
        GApplication.Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Hide(); Release(); break;
    default: break;
    }
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::Release()
{
    if (FReleasing)
        return;
    FReleasing = true;
    PostMessageTo(this, CM_RELEASE);
    Handle(); // so the queue can deliver it
}

void TCustomForm::CMRelease(TMessage&)
{
    if (FModal) {
        // ShowModal is still running on this form: freeing it now would pull the form from
        // under it, so the release waits until the modal run has ended.
        FReleaseAfterModal = true;
        return;
    }
    Free(this);
}

void TCustomForm::SetFormStyle(TFormStyle Value)
{
    FFormStyle = Value;
    FTopmost = Value == fsStayOnTop;
    UpdateNative();
}

void TCustomForm::SetTopmost(bool Value)
{
    if (FTopmost == Value)
        return;
    FTopmost = Value;
    NativeSetTopmost(this);
}

void TCustomForm::SetWindowState(TWindowState Value)
{
    FWindowState = Value;
    UpdateNative();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value)
{
    FBorderStyle = Value;
    UpdateNative();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value)
{
    FBorderIcons = Value;
    UpdateNative();
}

void TCustomForm::SetActiveControl(TWinControl* Value)
{
    if (Value == FActiveControl)
        return;
    if (Value && Value->GetParentForm() != this)
        throw EInvalidOperation("Invalid control: it is not on this form");
    TWinControl* old = FActiveControl;
    FActiveControl = Value;
    if (old) {
        FreeNotification(old); // harmless when repeated
        old->OnExit(old);
    }
    if (Value) {
        Value->FreeNotification(this);
        Value->OnEnter(Value);
    }
}

void TCustomForm::SetMenu(TMainMenu* Value)
{
    FMenu = Value;
    if (Value)
        Value->FreeNotification(this);
    UpdateNative();
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TScrollingWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FActiveControl)
        FActiveControl = nullptr;
    if (AComponent == FMenu)
        FMenu = nullptr;
}

bool TCustomForm::Active() const { return ActiveForm() == this; }

TPoint TCustomForm::ClientOrigin() const
{
    if (Parent())
        return TScrollingWinControl::ClientOrigin();
    return Point(Left(), Top());
}

bool TCustomForm::PreviewKeyDown(Word& Key, TShiftState Shift)
{
    OnKeyDown(this, Key, Shift);
    return Key == 0;
}

bool TCustomForm::PreviewKeyPress(char& Key)
{
    OnKeyPress(this, Key);
    return Key == 0;
}

bool TCustomForm::PreviewKeyUp(Word& Key, TShiftState Shift)
{
    OnKeyUp(this, Key, Shift);
    return Key == 0;
}

void TCustomForm::PaintControl(TCanvas* ACanvas)
{
    TScrollingWinControl::PaintControl(ACanvas);
    OnPaint(this);
}

namespace {

// The windowed controls of Parent and their children, depth first, in tab order.
void CollectTabOrder(TWinControl* Parent, std::vector<TWinControl*>& Out)
{
    for (TWinControl* c : Parent->TabList()) {
        Out.push_back(c);
        CollectTabOrder(c, Out);
    }
}

// Offers Key as a dialog key (CM_DIALOGKEY) to the visible, enabled controls of Parent, depth
// first, until one takes it (the default or the cancel button). True when one did.
bool OfferDialogKey(TWinControl* Parent, Word Key)
{
    for (Integer i = 0; i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        if (!c->Visible() || !c->Enabled())
            continue;
        if (c->Perform(CM_DIALOGKEY, Key, 0) != 0)
            return true;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            if (OfferDialogKey(w, Key))
                return true;
    }
    return false;
}

} // namespace

void TCustomForm::SelectNext(TWinControl* Current, bool Forward)
{
    std::vector<TWinControl*> order;
    CollectTabOrder(this, order);
    const Integer n = static_cast<Integer>(order.size());
    if (n == 0)
        return;
    auto it = std::find(order.begin(), order.end(), Current);
    Integer start = it == order.end() ? (Forward ? -1 : n) : static_cast<Integer>(it - order.begin());
    for (Integer step = 1; step <= n; ++step) {
        const Integer i = ((start + (Forward ? step : -step)) % n + n) % n;
        TWinControl* c = order[static_cast<size_t>(i)];
        if (c != Current && c->TabStop() && c->CanFocus()) {
            c->SetFocus();
            return;
        }
    }
}

bool TCustomForm::DialogKey(Word Key, TShiftState Shift, TWinControl* From)
{
    switch (Key) {
    case VK_RETURN:
        // A control that takes Return itself (a memo: a new line) keeps it; a focused button is
        // clicked, else the default button.
        if (From && (From->Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS) != 0)
            return false;
        return (From && From->Perform(CM_DIALOGKEY, VK_RETURN, 1) != 0) || OfferDialogKey(this, VK_RETURN);
    case VK_ESCAPE:
        return OfferDialogKey(this, VK_ESCAPE);
    case VK_TAB:
        SelectNext(From == this ? nullptr : From, !Shift.Contains(ssShift));
        return true;
    default:
        return false;
    }
}

TForm::TForm(TComponent* AOwner) : TCustomForm(AOwner) {}

TForm::TForm(TComponent* AOwner, const String& FormFile) : TCustomForm(AOwner)
{
    ReadFormResource(this, FormFile);
    DoCreate();
}

} // namespace qor
