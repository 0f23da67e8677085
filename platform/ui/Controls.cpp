#include "platform/ui/Controls.h"

#include "platform/ui/Menus.h"
#include "platform/ui/internal/FormHooks.h"
#include "platform/ui/internal/NativeBridge.h"
#include "platform/rtl/List.h"


#include <algorithm>
#include <cstdlib>

namespace qor {

namespace {

// Set by the form unit when the library is loaded.
constinit TFormHooks GForms{};

} // namespace

void SetFormHooks(const TFormHooks& Hooks) { GForms = Hooks; }

// ---- Publishing --------------------------------------------------------------------------------

QOR_PUBLISH(TControl)
{
    b.Property("Left", &TControl::Left, &TControl::SetLeft).NoDefault();
    b.Property("Top", &TControl::Top, &TControl::SetTop).NoDefault();
    b.Property("Width", &TControl::Width, &TControl::SetWidth).NoDefault();
    b.Property("Height", &TControl::Height, &TControl::SetHeight).NoDefault();
    b.Property("Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    b.Property("Caption", &TControl::Caption, &TControl::SetCaption).Default(String());
    b.Property("Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::ColorStored).Idents(ColorIdents());
    b.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    b.SubObject("Font", &TControl::Font).Stored(&TControl::FontStored);
    b.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    b.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    b.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    b.Property("Hint", &TControl::Hint, &TControl::SetHint).Default(String());
    b.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Default(false);
    b.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Default(true);
    b.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Default(crDefault);
    b.Property("DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    b.Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Default(crDrag);
    b.Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu);
    b.Event("OnClick", &TControl::OnClick);
    b.Event("OnDblClick", &TControl::OnDblClick);
    b.Event("OnMouseDown", &TControl::OnMouseDown);
    b.Event("OnMouseMove", &TControl::OnMouseMove);
    b.Event("OnMouseUp", &TControl::OnMouseUp);
    b.Event("OnDragOver", &TControl::OnDragOver);
    b.Event("OnDragDrop", &TControl::OnDragDrop);
    b.Event("OnEndDrag", &TControl::OnEndDrag);
    b.Event("OnStartDrag", &TControl::OnStartDrag);
    b.Event("OnResize", &TControl::OnResize);
}

QOR_PUBLISH(TWinControl)
{
    b.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    b.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    b.Event("OnKeyDown", &TWinControl::OnKeyDown);
    b.Event("OnKeyPress", &TWinControl::OnKeyPress);
    b.Event("OnKeyUp", &TWinControl::OnKeyUp);
    b.Event("OnEnter", &TWinControl::OnEnter);
    b.Event("OnExit", &TWinControl::OnExit);
}

QOR_PUBLISH(TControlCanvas) {}
QOR_PUBLISH(TGraphicControl) {}
QOR_PUBLISH(TCustomControl) {}

QOR_MESSAGE(WM_LBUTTONDOWN, &TControl::WMLButtonDown);
QOR_MESSAGE(WM_LBUTTONUP, &TControl::WMLButtonUp);
QOR_MESSAGE(WM_LBUTTONDBLCLK, &TControl::WMLButtonDblClk);
QOR_MESSAGE(WM_RBUTTONDOWN, &TControl::WMRButtonDown);
QOR_MESSAGE(WM_RBUTTONUP, &TControl::WMRButtonUp);
QOR_MESSAGE(WM_MOUSEMOVE, &TControl::WMMouseMove);
QOR_MESSAGE(CM_DRAG, &TControl::CMDrag);
QOR_MESSAGE(CM_PARENTFONTCHANGED, &TControl::CMParentFontChanged);
QOR_MESSAGE(CM_PARENTCOLORCHANGED, &TControl::CMParentColorChanged);
QOR_MESSAGE(CM_PARENTSHOWHINTCHANGED, &TControl::CMParentShowHintChanged);
QOR_MESSAGE(CM_HITTEST, &TControl::CMHitTest);
QOR_MESSAGE(WM_KEYDOWN, &TWinControl::WMKeyDown);
QOR_MESSAGE(WM_KEYUP, &TWinControl::WMKeyUp);
QOR_MESSAGE(WM_CHAR, &TWinControl::WMChar);
QOR_MESSAGE(WM_SIZE, &TWinControl::WMSize);

// ---- Helpers -----------------------------------------------------------------------------------

namespace {

TShiftState gKeyboardShift;

Integer MouseX(LPARAM L) { return static_cast<SmallInt>(LOWORD(static_cast<std::uintptr_t>(L))); }
Integer MouseY(LPARAM L) { return static_cast<SmallInt>(HIWORD(static_cast<std::uintptr_t>(L))); }

struct DragState {
    TControl* Source = nullptr;
    bool Active = false;       // false while waiting for the mouse to pass the threshold
    TPoint StartPos;           // screen position where the drag was asked for
    Integer Threshold = 5;
    TControl* Target = nullptr;
    bool Accepted = false;
    TPoint LastPos;
};
DragState gDrag;
TPoint gMousePos; // where the last mouse message happened, in screen coordinates

// The deepest control at P, in From's client coordinates; P becomes that control's.
TControl* DeepestAt(TControl* From, TPoint& P)
{
    TControl* current = From;
    while (auto* w = dynamic_cast<TWinControl*>(current)) {
        TControl* child = w->ControlAtPos(P, true);
        if (!child)
            break;
        P = P - child->BoundsRect().TopLeft() - child->ClientOffset();
        current = child;
    }
    return current;
}

TControl* FindControlAt(const TPoint& ScreenPos, TPoint& Local)
{
    // with windows on a display, the window system says which window lies under the mouse
    TControl* found = nullptr;
    if (gDrag.Source && NativeControlAt(gDrag.Source, ScreenPos, found, Local))
        return found ? DeepestAt(found, Local) : nullptr;
    // else the most recently shown visible form that holds the point
    TControl* form = GForms.FormAt ? GForms.FormAt(ScreenPos, Local) : nullptr;
    return form ? DeepestAt(form, Local) : nullptr;
}

LRESULT SendDrag(TControl* Target, TDragMessage Kind, const TPoint& Pos)
{
    TDragRec rec{Pos, gDrag.Source, Target};
    return Target->Perform(CM_DRAG, Kind, reinterpret_cast<LPARAM>(&rec));
}

} // namespace

TShiftState KeysToShiftState(WPARAM Keys)
{
    TShiftState s;
    if (Keys & MK_SHIFT)
        s += ssShift;
    if (Keys & MK_CONTROL)
        s += ssCtrl;
    if (Keys & MK_LBUTTON)
        s += ssLeft;
    if (Keys & MK_RBUTTON)
        s += ssRight;
    if (Keys & MK_MBUTTON)
        s += ssMiddle;
    return s;
}

TShiftState KeyboardShiftState() { return gKeyboardShift; }
void SetKeyboardShiftState(TShiftState Value) { gKeyboardShift = Value; }

TControl* DragControl() { return gDrag.Active ? gDrag.Source : nullptr; }

void DragMoveTo(const TPoint& ScreenPos)
{
    if (!gDrag.Source)
        return;
    if (!gDrag.Active) {
        if (std::abs(ScreenPos.X - gDrag.StartPos.X) < gDrag.Threshold &&
            std::abs(ScreenPos.Y - gDrag.StartPos.Y) < gDrag.Threshold)
            return;
        gDrag.Active = true;
        gDrag.Source->OnStartDrag(gDrag.Source);
    }
    TPoint local;
    TControl* target = FindControlAt(ScreenPos, local);
    // the point as the target sees it (its window may stand elsewhere than its form says)
    const TPoint at = target ? target->ClientToScreen(local) : ScreenPos;
    if (target != gDrag.Target) {
        if (gDrag.Target)
            SendDrag(gDrag.Target, dmDragLeave, gDrag.LastPos);
        gDrag.Target = target;
        gDrag.Accepted = target && SendDrag(target, dmDragEnter, at) != 0;
    } else if (target) {
        gDrag.Accepted = SendDrag(target, dmDragMove, at) != 0;
    }
    gDrag.LastPos = at;
    if (gDrag.Source)
        NativeDragFeedback(gDrag.Source, gDrag.Accepted ? gDrag.Source->DragCursor() : crNoDrop);
}

void DragMouseDown(TControl* Source, const TPoint& ScreenPos)
{
    gMousePos = ScreenPos;
    if (Source && Source->DragMode() == dmAutomatic && !Source->ComponentState().Contains(csDesigning))
        Source->BeginDrag(false);
}

void DragFinish(bool Drop)
{
    if (!gDrag.Source)
        return;
    DragState d = gDrag;
    gDrag = DragState();
    if (!d.Active)
        return; // the mouse never moved far enough: it was a click, not a drag
    NativeDragFeedback(d.Source, crDefault);
    TControl* dropTarget = nullptr;
    TPoint local;
    if (d.Target) {
        if (Drop && d.Accepted) {
            gDrag.Source = d.Source; // visible to the target during the drop
            SendDrag(d.Target, dmDragDrop, d.LastPos);
            gDrag = DragState();
            dropTarget = d.Target;
            local = d.Target->ScreenToClient(d.LastPos);
        } else {
            gDrag.Source = d.Source;
            SendDrag(d.Target, dmDragLeave, d.LastPos);
            gDrag = DragState();
        }
    }
    d.Source->DoEndDrag(dropTarget, local.X, local.Y);
}

// ---- TControl ----------------------------------------------------------------------------------

// ---- TControlCanvas ----------------------------------------------------------------------------

TControlCanvas::TControlCanvas(TControl* AControl) : FControl(AControl) {}

TControlCanvas::~TControlCanvas()
{
    SetHandle(HDC());
    if (FScreenDC)
        DeleteDC(FScreenDC);
}

void TControlCanvas::CreateHandle()
{
    if (!FScreenDC)
        FScreenDC = CreateScreenDC();
    SetHandle(FScreenDC);
}

// ---- TControl ----------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl()
{
    if (gDrag.Source == this) {
        if (gDrag.Active)
            NativeDragFeedback(this, crDefault);
        gDrag = DragState();
    } else if (gDrag.Target == this) {
        gDrag.Target = nullptr;
        gDrag.Accepted = false;
    }
    FNative.reset();
    if (FParent)
        FParent->RemoveControl(this);
    FFont->OnChange = nullptr;
}

void TControl::BeforeDestruction()
{
    TComponent::BeforeDestruction();
}

bool TControl::ColorStored() const { return !FParentColor; }
bool TControl::FontStored() const { return !FParentFont; }

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (AParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        for (TWinControl* p = AParent; p; p = p->Parent())
            if (p == self)
                throw EInvalidOperation("A control cannot have one of its children as its parent");
    }
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent) {
        AParent->InsertControl(this);
        if (FParentFont || FParentColor)
            AParent->ParentFontOrColorTo(this);
    }
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* Value)
{
    if (auto* w = dynamic_cast<TWinControl*>(Value))
        SetParent(w);
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    if (AWidth < 0)
        AWidth = 0;
    if (AHeight < 0)
        AHeight = 0;
    const bool moved = ALeft != FLeft || ATop != FTop;
    const bool sized = AWidth != FWidth || AHeight != FHeight;
    if (!moved && !sized)
        return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (moved)
        Perform(WM_MOVE, 0, MAKELPARAM(static_cast<Word>(FLeft), static_cast<Word>(FTop)));
    if (sized) {
        Perform(WM_SIZE, 0, MAKELPARAM(static_cast<Word>(FWidth), static_cast<Word>(FHeight)));
        Resize();
    }
    if (FParent && !FParent->FAligning)
        FParent->Realign();
    UpdateNative();
}

void TControl::Resize() { OnResize(this); }

void TControl::SetClientWidth(Integer Value) { SetWidth(FWidth - ClientWidth() + Value); }
void TControl::SetClientHeight(Integer Value) { SetHeight(FHeight - ClientHeight() + Value); }

TPoint TControl::ClientOrigin() const
{
    const TPoint o = ClientOffset();
    if (!FParent)
        return Point(FLeft + o.X, FTop + o.Y);
    const TPoint p = FParent->ClientOrigin();
    return Point(p.X + FLeft + o.X, p.Y + FTop + o.Y);
}

TPoint TControl::ClientToScreen(const TPoint& P) const { return P + ClientOrigin(); }
TPoint TControl::ScreenToClient(const TPoint& P) const { return P - ClientOrigin(); }

void TControl::SetAlign(TAlign Value)
{
    if (Value == FAlign)
        return;
    FAlign = Value;
    if (FParent)
        FParent->Realign();
}

void TControl::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
    if (FParent)
        FParent->Realign();
    UpdateNative();
}

bool TControl::Showing() const
{
    if (!FVisible)
        return false;
    return FParent ? FParent->Showing() : GForms.AsForm && GForms.AsForm(this);
}

void TControl::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED);
    UpdateNative();
}

void TControl::SetText(const String& Value)
{
    if (Value == GetText())
        return;
    FText = Value;
    TextChanged();
}

void TControl::TextChanged()
{
    Perform(CM_TEXTCHANGED);
    UpdateNative();
}

void TControl::SetFont(TFont* Value)
{
    if (Value)
        FFont->Assign(Value);
}

void TControl::FontChanged()
{
    if (FUpdatingFont)
        return;
    FParentFont = false;
    Perform(CM_FONTCHANGED);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            c->Perform(CM_PARENTFONTCHANGED);
    UpdateNative();
}

void TControl::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    if (Value && FParent)
        FParent->ParentFontOrColorTo(this);
}

void TControl::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            c->Perform(CM_PARENTCOLORCHANGED);
    UpdateNative();
}

void TControl::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    if (Value && FParent)
        FParent->ParentFontOrColorTo(this);
}

void TControl::ParentFontOrColorTo(TControl* Child)
{
    if (Child->FParentFont) {
        Child->FUpdatingFont = true;
        try {
            Child->FFont->Assign(FFont.get());
        } catch (...) {
            Child->FUpdatingFont = false;
            throw;
        }
        Child->FUpdatingFont = false;
        Child->Perform(CM_FONTCHANGED);
        if (auto* w = dynamic_cast<TWinControl*>(Child))
            for (TControl* c : w->FControls)
                c->Perform(CM_PARENTFONTCHANGED);
    }
    if (Child->FParentColor && Child->FColor != FColor) {
        Child->FColor = FColor;
        Child->Perform(CM_COLORCHANGED);
        if (auto* w = dynamic_cast<TWinControl*>(Child))
            for (TControl* c : w->FControls)
                c->Perform(CM_PARENTCOLORCHANGED);
    }
    Child->UpdateNative();
}

void TControl::CMParentFontChanged(TMessage&)
{
    if (FParentFont && FParent)
        FParent->ParentFontOrColorTo(this);
}

void TControl::CMParentColorChanged(TMessage&)
{
    if (FParentColor && FParent)
        FParent->ParentFontOrColorTo(this);
}

void TControl::SetShowHint(bool Value)
{
    FShowHint = Value;
    FParentShowHint = false;
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            c->Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value)
{
    FParentShowHint = Value;
    if (Value && FParent)
        FShowHint = FParent->ShowHint();
}

void TControl::CMParentShowHintChanged(TMessage&)
{
    if (FParentShowHint && FParent) {
        FShowHint = FParent->ShowHint();
        if (auto* w = dynamic_cast<TWinControl*>(this))
            for (TControl* c : w->FControls)
                c->Perform(CM_PARENTSHOWHINTCHANGED);
    }
}

void TControl::CMHitTest(TMessage& M) { M.Result = 1; }

void TControl::SetCursor(TCursor Value)
{
    if (Value == FCursor)
        return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED);
    UpdateNative();
}

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    FPopupMenu = Value;
    if (Value)
        FreeNotification(static_cast<TComponent*>(Value));
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == static_cast<TComponent*>(FPopupMenu))
        FPopupMenu = nullptr;
}

void TControl::Invalidate() { NativeInvalidate(this); }
void TControl::ChangeScale(Integer M, Integer D)
{
    if (M == D || D <= 0)
        return;
    const Integer L = MulDiv(FLeft, M, D), T = MulDiv(FTop, M, D);
    SetBounds(L, T, MulDiv(FLeft + FWidth, M, D) - L, MulDiv(FTop + FHeight, M, D) - T);
}

void TWinControl::ChangeScale(Integer M, Integer D)
{
    if (M == D || D <= 0)
        return;
    TControl::ChangeScale(M, D);
    const std::vector<TControl*> Children = FControls;
    for (TControl* C : Children)
        C->ChangeScale(M, D);
}

void TControl::InvalidateRect(const TRect& R, bool Erase) { NativeInvalidateRect(this, R, Erase); }
void TControl::Repaint() { NativeRepaint(this); }
void TControl::Update() { NativeRepaint(this); }

void TControl::PaintControl(TCanvas*) {}

void TControl::PaintTo(HDC DC, Integer X, Integer Y, bool Children)
{
    struct Restore {
        HDC DC;
        Integer Level;
        ~Restore() { RestoreDC(DC, Level); }
    } restore{DC, SaveDC(DC)};
    OffsetViewportOrgEx(DC, X, Y);
    IntersectClipRect(DC, 0, 0, FWidth, FHeight);

    std::unique_ptr<TCanvas> temporary;
    TCanvas* canvas = PaintCanvas();
    if (!canvas) {
        temporary = std::make_unique<TCanvas>();
        canvas = temporary.get();
    }
    struct Detach {
        TCanvas* Canvas;
        ~Detach() { Canvas->SetHandle(HDC()); }
    } detach{canvas};
    auto prepare = [&] {
        canvas->SetHandle(DC);
        canvas->Refresh();
        canvas->Font()->Assign(FFont.get());
        canvas->Brush()->SetBitmap(nullptr);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(FColor);
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetColor(clBlack);
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetMode(pmCopy);
    };
    prepare();
    PaintFrame(canvas);
    const TPoint offset = ClientOffset();
    const TRect client = ClientRect();
    OffsetViewportOrgEx(DC, offset.X, offset.Y);
    IntersectClipRect(DC, 0, 0, client.Width(), client.Height());
    prepare();
    PaintControl(canvas);
    canvas->SetHandle(HDC());

    if (!Children)
        return;
    if (auto* w = dynamic_cast<TWinControl*>(this))
        for (TControl* c : w->FControls)
            if (c->Visible() || c->ComponentState().Contains(csDesigning))
                c->PaintTo(DC, c->Left(), c->Top(), true);
}

void TControl::BringToFront()
{
    if (!FParent)
        return;
    auto& v = FParent->FControls;
    v.erase(std::find(v.begin(), v.end(), this));
    v.push_back(this);
    FParent->UpdateNative();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    auto& v = FParent->FControls;
    v.erase(std::find(v.begin(), v.end(), this));
    v.insert(v.begin(), this);
    FParent->UpdateNative();
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) { OnMouseMove(this, Shift, X, Y); }

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::WndProc(TMessage& Message)
{
    if (ComponentState().Contains(csDesigning)) {
        if (TCustomForm* form = GetParentForm(); form && GForms.IsDesignMsg(form, this, Message))
            return;
    }
    TMessageTarget::WndProc(Message);
}

void TControl::WMLButtonDown(TMessage& M)
{
    FMouseDown = true;
    const Integer x = MouseX(M.LParam), y = MouseY(M.LParam);
    DragMouseDown(this, ClientToScreen(Point(x, y)));
    MouseDown(mbLeft, KeysToShiftState(M.WParam) + ssLeft, x, y);
}

void TControl::WMLButtonUp(TMessage& M)
{
    const Integer x = MouseX(M.LParam), y = MouseY(M.LParam);
    if (gDrag.Source == this) {
        const bool wasActive = gDrag.Active;
        DragFinish(true);
        if (wasActive) {
            FMouseDown = false;
            MouseUp(mbLeft, KeysToShiftState(M.WParam), x, y);
            return;
        }
    }
    const bool wasDown = FMouseDown;
    FMouseDown = false;
    if (wasDown && FControlStyle.Contains(csClickEvents) && ClientRect().Contains(Point(x, y)))
        Click();
    MouseUp(mbLeft, KeysToShiftState(M.WParam), x, y);
}

void TControl::WMLButtonDblClk(TMessage& M)
{
    if (FControlStyle.Contains(csDoubleClicks))
        DblClick();
    MouseDown(mbLeft, KeysToShiftState(M.WParam) + ssLeft + ssDouble, MouseX(M.LParam), MouseY(M.LParam));
}

void TControl::WMRButtonDown(TMessage& M)
{
    MouseDown(mbRight, KeysToShiftState(M.WParam) + ssRight, MouseX(M.LParam), MouseY(M.LParam));
}

void TControl::WMRButtonUp(TMessage& M)
{
    const Integer x = MouseX(M.LParam), y = MouseY(M.LParam);
    MouseUp(mbRight, KeysToShiftState(M.WParam), x, y);
    // the pop-up menu of the control, or of the nearest parent that has one
    for (TControl* c = this; c; c = c->FParent)
        if (c->FPopupMenu) {
            if (c->FPopupMenu->AutoPopup() && !ComponentState().Contains(csDesigning)) {
                c->FPopupMenu->SetPopupComponent(this);
                const TPoint p = ClientToScreen(Point(x, y));
                c->FPopupMenu->Popup(p.X, p.Y);
            }
            break;
        }
}

void TControl::WMMouseMove(TMessage& M)
{
    const Integer x = MouseX(M.LParam), y = MouseY(M.LParam);
    gMousePos = ClientToScreen(Point(x, y));
    if (gDrag.Source == this)
        DragMoveTo(gMousePos);
    MouseMove(KeysToShiftState(M.WParam), x, y);
}

void TControl::BeginDrag(bool Immediate, Integer Threshold)
{
    if (gDrag.Source && gDrag.Source != this)
        DragFinish(false);
    gDrag = DragState();
    gDrag.Source = this;
    // the threshold counts from where the mouse was (over this control), not from its corner
    gDrag.StartPos = gMousePos;
    gDrag.LastPos = gMousePos;
    gDrag.Threshold = Threshold < 0 ? 5 : Threshold;
    if (Immediate) {
        gDrag.Active = true;
        OnStartDrag(this);
    }
}

bool TControl::Dragging() const { return gDrag.Source == this && gDrag.Active; }

void TControl::EndDrag(bool Drop)
{
    if (gDrag.Source == this)
        DragFinish(Drop);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
    Accept = false;
    OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) { OnDragDrop(this, Source, X, Y); }

void TControl::DoEndDrag(TObject* Target, Integer X, Integer Y) { OnEndDrag(this, Target, X, Y); }

void TControl::CMDrag(TMessage& M)
{
    auto* rec = reinterpret_cast<TDragRec*>(M.LParam);
    if (!rec)
        return;
    const TPoint p = ScreenToClient(rec->Pos);
    switch (static_cast<TDragMessage>(M.WParam)) {
    case dmDragEnter:
    case dmDragLeave:
    case dmDragMove: {
        bool accept = false;
        const TDragState state = M.WParam == dmDragEnter ? dsDragEnter
                                 : M.WParam == dmDragLeave ? dsDragLeave
                                                           : dsDragMove;
        DragOver(rec->Source, p.X, p.Y, state, accept);
        M.Result = accept ? 1 : 0;
        break;
    }
    case dmDragDrop:
        DragDrop(rec->Source, p.X, p.Y);
        break;
    default:
        break;
    }
}

TCustomForm* TControl::GetParentForm() const
{
    const TControl* c = this;
    while (c->FParent)
        c = c->FParent;
    return GForms.AsForm ? GForms.AsForm(c) : nullptr;
}

void TControl::TNativeDeleter::operator()(TNativeWidget* W) const { NativeFree(W); }

void TControl::UpdateNative()
{
    if (FNative)
        NativeControlChanged(this);
}

// ---- TWinControl -------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    // Going, as through Free: what it owns need not hear of its children leaving one by one.
    Destroying();
    // Child controls go with their parent window, whoever owns them: a control made with no
    // owner and given this parent is freed here (its owner, if any, hears of it as usual).
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        RemoveControl(c);
        try {
            Free(c);
        } catch (...) {
            // a control that refuses to go stays alive, without a parent
        }
    }
}

HWND TWinControl::Handle() { return AllocateHandle(); }

void TWinControl::DestroyHandle() { ReleaseHandle(); }

void TWinControl::HandleCreated() {}

TControl* TWinControl::Controls(Integer Index) const
{
    if (Index < 0 || Index >= ControlCount())
        ListIndexError(Index);
    return FControls[static_cast<size_t>(Index)];
}

void TWinControl::InsertControl(TControl* AControl)
{
    if (!AControl || AControl->FParent == this) // listed here exactly while its parent is this
        return;
    FControls.push_back(AControl);
    AControl->FParent = this;
    Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
    Realign();
    UpdateNative();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    // From the back: children are freed last first.
    const auto Back = std::find(FControls.rbegin(), FControls.rend(), AControl);
    if (Back == FControls.rend())
        return;
    const auto it = std::next(Back).base();
    if (TCustomForm* form = GetParentForm()) {
        if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
            TWinControl* active = GForms.ActiveControl(form);
            for (TWinControl* a = active; a; a = a->Parent())
                if (a == w) {
                    GForms.SetActiveControl(form, nullptr);
                    break;
                }
        }
    }
    FControls.erase(it);
    AControl->FParent = nullptr;
    AControl->FNative.reset(); // its widget lived inside this control's
    if (!ComponentState().Contains(csDestroying)) {
        Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
        Realign();
        UpdateNative();
    }
}

bool TWinControl::ContainsControl(const TControl* AControl) const
{
    return std::find(FControls.begin(), FControls.end(), AControl) != FControls.end();
}

TControl* TWinControl::ControlAtPos(const TPoint& P, bool AllowDisabled) const
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (c->Visible() && (AllowDisabled || c->Enabled()) && c->BoundsRect().Contains(P))
            return c;
    }
    return nullptr;
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    // The root also stores what it owns outside the control tree (dialogs, menus, data sets).
    if (this == Root)
        TComponent::GetChildren(Proc, Root);
    for (TControl* c : FControls)
        if (c->Owner() == Root)
            Proc(c);
}

void TWinControl::SetChildOrder(TComponent* Child, Integer Order)
{
    auto* c = dynamic_cast<TControl*>(Child);
    auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it == FControls.end())
        return;
    FControls.erase(it);
    Order = std::clamp<Integer>(Order, 0, ControlCount());
    FControls.insert(FControls.begin() + Order, c);
}

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0 && FRealignPending)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || ComponentState().Contains(csLoading)) {
        FRealignPending = true;
        return;
    }
    if (FAligning)
        return;
    FRealignPending = false;
    FAligning = true;
    try {
        TRect r = AlignRect();
        AlignControls(r);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AlignControls(TRect& R)
{
    const bool designing = ComponentState().Contains(csDesigning);
    auto take = [&](TAlign A) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == A && (c->Visible() || designing))
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [A](TControl* x, TControl* y) {
            switch (A) {
            case alTop: return x->Top() < y->Top();
            case alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
            case alLeft: return x->Left() < y->Left();
            case alRight: return x->Left() + x->Width() > y->Left() + y->Width();
            default: return false;
            }
        });
        return list;
    };
    for (TControl* c : take(alTop)) {
        c->SetBounds(R.Left, R.Top, R.Width(), c->Height());
        R.Top += c->Height();
    }
    for (TControl* c : take(alBottom)) {
        c->SetBounds(R.Left, R.Bottom - c->Height(), R.Width(), c->Height());
        R.Bottom -= c->Height();
    }
    for (TControl* c : take(alLeft)) {
        c->SetBounds(R.Left, R.Top, c->Width(), std::max(0, R.Height()));
        R.Left += c->Width();
    }
    for (TControl* c : take(alRight)) {
        c->SetBounds(R.Right - c->Width(), R.Top, c->Width(), std::max(0, R.Height()));
        R.Right -= c->Width();
    }
    for (TControl* c : take(alClient))
        c->SetBounds(R.Left, R.Top, std::max(0, R.Width()), std::max(0, R.Height()));
}

// A new size re-aligns the children; derived handlers call this as their inherited part.
void TWinControl::WMSize(TMessage&) { Realign(); }

void TWinControl::PaintControl(TCanvas* ACanvas) { ACanvas->FillRect(ClientRect()); }

Integer TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto list = Parent()->TabList();
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

std::vector<TWinControl*> TWinControl::TabList() const
{
    std::vector<TWinControl*> list;
    for (TControl* c : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c))
            list.push_back(w);
    return list;
}

void TWinControl::SetTabOrder(Integer Value)
{
    if (!Parent() || Value < 0)
        return;
    // the tab order is the order of the windowed children in the parent's control list
    auto& v = Parent()->FControls;
    auto list = Parent()->TabList();
    Value = std::min<Integer>(Value, static_cast<Integer>(list.size()) - 1);
    if (list[static_cast<size_t>(Value)] == this)
        return;
    TControl* anchor = list[static_cast<size_t>(Value)];
    const Integer cur = TabOrder();
    v.erase(std::find(v.begin(), v.end(), this));
    auto at = std::find(v.begin(), v.end(), anchor);
    if (cur < Value)
        ++at;
    v.insert(at, this);
}

void TWinControl::SetTabStop(bool Value)
{
    if (Value == FTabStop)
        return;
    FTabStop = Value;
    Perform(CM_TABSTOPCHANGED);
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return GetParentForm() != nullptr;
}

bool TWinControl::Focused() const
{
    TCustomForm* f = GetParentForm();
    return f && GForms.ActiveControl(f) == this;
}

void TWinControl::SetFocus()
{
    TCustomForm* form = GetParentForm();
    if (form && !Parent())
        return; // this is the form
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    GForms.SetActiveControl(form, this);
    NativeSetFocus(this);
}

// The form previews the keys of its controls (a control with a parent is not the form itself).
bool TWinControl::DoKeyDown(Word& Key, TShiftState Shift)
{
    TCustomForm* form = GetParentForm();
    if (form && Parent() && GForms.PreviewKeyDown(form, Key, Shift))
        return true;
    OnKeyDown(this, Key, Shift);
    return Key == 0;
}

bool TWinControl::DoKeyPress(char& Key)
{
    TCustomForm* form = GetParentForm();
    if (form && Parent() && GForms.PreviewKeyPress(form, Key))
        return true;
    OnKeyPress(this, Key);
    return Key == 0;
}

bool TWinControl::DoKeyUp(Word& Key, TShiftState Shift)
{
    TCustomForm* form = GetParentForm();
    if (form && Parent() && GForms.PreviewKeyUp(form, Key, Shift))
        return true;
    OnKeyUp(this, Key, Shift);
    return Key == 0;
}

void TWinControl::WMKeyDown(TMessage& M)
{
    Word key = static_cast<Word>(M.WParam);
    const TShiftState shift = KeyboardShiftState();
    if (DoKeyDown(key, shift))
        M.Result = 0;
    else if (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB)
        if (TCustomForm* form = GetParentForm(); form && GForms.DialogKey(form, key, shift, this))
            key = 0;
    M.WParam = key;
}

void TWinControl::WMKeyUp(TMessage& M)
{
    Word key = static_cast<Word>(M.WParam);
    DoKeyUp(key, KeyboardShiftState());
    M.WParam = key;
}

void TWinControl::WMChar(TMessage& M)
{
    char key = static_cast<char>(M.WParam);
    DoKeyPress(key);
    M.WParam = static_cast<unsigned char>(key);
}

// ---- TGraphicControl / TCustomControl ----------------------------------------------------------

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
    FControlStyle += csOpaque;
}

TGraphicControl::~TGraphicControl() = default;

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl() = default;

} // namespace qor
