#pragma once
// Controls: the visual component classes. A control keeps its state as a plain object (bounds,
// alignment, visibility, caption, colours, events); a windowed control gets a window handle on
// demand and a native widget only when its form is shown or rendered.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Set.h"
#include "platform/ui/MessageQueue.h"

#include <memory>
#include <vector>

namespace qor {

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TControlInternals;
struct TNativeWidget;

enum TAlign : Byte { alNone, alTop, alBottom, alLeft, alRight, alClient };
QOR_ENUM_NAMES(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient");

enum TMouseButton : Byte { mbLeft, mbRight, mbMiddle };
QOR_ENUM_NAMES(TMouseButton, "mbLeft", "mbRight", "mbMiddle");

enum TShiftStateItem : Byte { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
QOR_ENUM_NAMES(TShiftStateItem, "ssShift", "ssAlt", "ssCtrl", "ssLeft", "ssRight", "ssMiddle", "ssDouble");
using TShiftState = TSet<TShiftStateItem>;

enum TControlStyleItem : Byte {
    csAcceptsControls,
    csCaptureMouse,
    csDesignInteractive,
    csClickEvents,
    csFramed,
    csSetCaption,
    csOpaque,
    csDoubleClicks,
    csFixedWidth,
    csFixedHeight,
    csNoDesignVisible,
    csReplicatable,
    csNoStdEvents,
    csDisplayDragImage,
    csReflector,
    csActionClient,
    csMenuEvents
};
QOR_ENUM_NAMES(TControlStyleItem, "csAcceptsControls", "csCaptureMouse", "csDesignInteractive", "csClickEvents",
               "csFramed", "csSetCaption", "csOpaque", "csDoubleClicks", "csFixedWidth", "csFixedHeight",
               "csNoDesignVisible", "csReplicatable", "csNoStdEvents", "csDisplayDragImage", "csReflector",
               "csActionClient", "csMenuEvents");
using TControlStyle = TSet<TControlStyleItem>;

enum TDragMode : Byte { dmManual, dmAutomatic };
QOR_ENUM_NAMES(TDragMode, "dmManual", "dmAutomatic");
enum TDragState : Byte { dsDragEnter, dsDragLeave, dsDragMove };

using TCursor = SmallInt;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

using TMouseEvent = TEvent<TObject* /*Sender*/, TMouseButton, TShiftState, Integer /*X*/, Integer /*Y*/>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, Integer, Integer>;
using TKeyEvent = TEvent<TObject*, Word& /*Key*/, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char& /*Key*/>;
// Accept starts false; the handler sets it to take the drop.
using TDragOverEvent = TEvent<TObject* /*Sender*/, TObject* /*Source*/, Integer, Integer, TDragState, bool& /*Accept*/>;
using TDragDropEvent = TEvent<TObject* /*Sender*/, TObject* /*Source*/, Integer, Integer>;
using TEndDragEvent = TEvent<TObject* /*Sender*/, TObject* /*Target*/, Integer, Integer>;
using TStartDragEvent = TEvent<TObject* /*Sender*/>;

// What CM_DRAG's LParam points to.
struct TDragRec {
    TPoint Pos;          // screen coordinates
    TObject* Source;     // the control being dragged
    TControl* Target;    // the control under the mouse
};

// The shift state of mouse-message key flags (MK_*).
TShiftState KeysToShiftState(WPARAM Keys);
// The modifier keys held down now, as the native layer last reported them (tests may set them).
TShiftState KeyboardShiftState();
void SetKeyboardShiftState(TShiftState Value);

// The canvas of a control. While the control paints it draws on the painting context; at other
// times it measures on a screen context of its own (text widths, heights).
class TControlCanvas : public TCanvas {
    QOR_CLASS(TControlCanvas, TCanvas)
public:
    explicit TControlCanvas(TControl* AControl = nullptr);
    ~TControlCanvas() override;
    TControl* Control() const { return FControl; }
    void SetControl(TControl* Value) { FControl = Value; }

protected:
    void CreateHandle() override;

private:
    TControl* FControl;
    HDC FScreenDC;
};

class TControl : public TComponent, public TMessageTarget {
    QOR_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    void BeforeDestruction() override;

    // ---- Placement -------------------------------------------------------------------------
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    bool HasParent() const override { return true; }

    Integer Left() const { return FLeft; }
    Integer Top() const { return FTop; }
    Integer Width() const { return FWidth; }
    Integer Height() const { return FHeight; }
    void SetLeft(Integer Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(Integer Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(Integer Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(Integer Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    // Moves and sizes the control; a change sends WM_MOVE / WM_SIZE and re-aligns the parent.
    virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
    // Scales position and size by M / D (a form made at D pixels per inch shown at M); a
    // windowed control scales its children too. Fonts keep their size in points, which already
    // follows the screen's resolution.
    virtual void ChangeScale(Integer M, Integer D);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Width(), R.Height()); }
    // The area inside the control's frame, in its own coordinates.
    virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
    // Where the client area starts inside the control (the frame's left and top width).
    virtual TPoint ClientOffset() const { return TPoint(); }
    Integer ClientWidth() const { return ClientRect().Width(); }
    Integer ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(Integer Value);
    void SetClientHeight(Integer Value);
    // Where the client area's top-left corner is on the screen.
    virtual TPoint ClientOrigin() const;
    TPoint ClientToScreen(const TPoint& P) const;
    TPoint ScreenToClient(const TPoint& P) const;

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to the form visible too.
    bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);

    // ---- Text and looks --------------------------------------------------------------------
    const String& Caption() const { return FText; }
    void SetCaption(const String& Value) { SetText(Value); }
    const String& Text() const { return GetText(); }
    void SetText(const String& Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    const String& Hint() const { return FHint; }
    void SetHint(const String& Value) { FHint = Value; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value) { FControlStyle = Value; }
    bool ColorStored() const;
    bool FontStored() const;
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);

    // ---- Painting --------------------------------------------------------------------------
    // Marks the control for repainting; a native widget repaints at the next event processing.
    virtual void Invalidate();
    // Marks part R of the client area for repainting. Without Erase the background is not laid
    // again: the control paints over what it showed, and pixels it leaves alone keep their colours.
    void InvalidateRect(const TRect& R, bool Erase);
    // Repaints now when there is a native widget.
    virtual void Repaint();
    void Refresh() { Repaint(); }
    void Update();
    // Draws the control on DC with its top-left corner at (X, Y) of DC's current coordinates, and
    // with Children, its visible children on top (windowed controls). The context is left as it was.
    void PaintTo(HDC DC, Integer X, Integer Y, bool Children = true);
    // Brings the control to the front / sends it to the back of its parent's controls.
    void BringToFront();
    void SendToBack();

    // ---- Input -----------------------------------------------------------------------------
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    virtual void MouseMove(TShiftState Shift, Integer X, Integer Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

    // ---- Drag and drop ---------------------------------------------------------------------
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode Value) { FDragMode = Value; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor Value) { FDragCursor = Value; }
    // Starts dragging this control. Immediately false waits until the mouse has moved a few
    // pixels (automatic drag mode starts this way on a left-button press).
    void BeginDrag(bool Immediate, Integer Threshold = -1);
    bool Dragging() const;
    // Ends the drag under way; Drop true drops on the current target (when it accepts).
    void EndDrag(bool Drop);
    // The control answers a dragged Source over it at client point (X, Y). The default asks
    // OnDragOver, with Accept starting false.
    virtual void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    virtual void DragDrop(TObject* Source, Integer X, Integer Y);
    virtual void DoEndDrag(TObject* Target, Integer X, Integer Y);

    // ---- Messages --------------------------------------------------------------------------
    void WndProc(TMessage& Message) override;
    // Message handlers of the class library; derived handlers call them as their inherited part.
    void WMLButtonDown(TMessage& M);
    void WMLButtonUp(TMessage& M);
    void WMLButtonDblClk(TMessage& M);
    void WMRButtonDown(TMessage& M);
    void WMRButtonUp(TMessage& M);
    void WMMouseMove(TMessage& M);
    void CMDrag(TMessage& M);
    void CMParentFontChanged(TMessage& M);
    void CMParentColorChanged(TMessage& M);
    void CMParentShowHintChanged(TMessage& M);
    void CMHitTest(TMessage& M);

    // The form the control is on (nullptr when none).
    TCustomForm* GetParentForm() const;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TStartDragEvent OnStartDrag;
    TNotifyEvent OnResize;

protected:
    // The canvas painting uses: the control's own (custom-painted controls), or nullptr for a
    // temporary one.
    virtual TCanvas* PaintCanvas() { return nullptr; }
    // Draws the control's face on ACanvas (origin at the control's top-left corner, clipped to
    // it; font and brush already the control's). Standard controls draw their usual look.
    virtual void PaintControl(TCanvas* ACanvas);
    // Draws the frame around the client area (in the control's own coordinates, unclipped).
    virtual void PaintFrame(TCanvas*) {}
    virtual const String& GetText() const { return FText; }
    // Called after the text has changed (the default sends CM_TEXTCHANGED).
    virtual void TextChanged();
    virtual void Resize();
    void FontChanged();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The native widget, when there is one, mirrors the control's state again.
    void UpdateNative();
    bool HasNativeWidget() const { return FNative != nullptr; }

    Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    String FText;

private:
    friend class TWinControl;
    friend class TControlInternals; // the native widget's way in (internal/NativeBridge.h)
    struct TNativeDeleter {
        void operator()(TNativeWidget* W) const;
    };
    using TNativePtr = std::unique_ptr<TNativeWidget, TNativeDeleter>;
    void ParentFontOrColorTo(TControl* Child);

    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    bool FUpdatingFont = false;
    TColor FColor = clWindow;
    bool FParentColor = false;
    String FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TCursor FCursor = crDefault;
    TPopupMenu* FPopupMenu = nullptr;
    TDragMode FDragMode = dmManual;
    TCursor FDragCursor = crDrag;
    bool FMouseDown = false;
    TNativePtr FNative;
};

class TWinControl : public TControl {
    QOR_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    // The window handle, made on first use.
    HWND Handle();
    bool HandleAllocated() const { return TMessageTarget::HandleAllocated(); }
    // Lets the handle go (messages posted to it are dropped); the next Handle() makes a new one.
    void DestroyHandle();

    void ChangeScale(Integer M, Integer D) override;

    Integer ControlCount() const { return static_cast<Integer>(FControls.size()); }
    TControl* Controls(Integer Index) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    bool ContainsControl(const TControl* AControl) const;
    // The visible, enabled child at client point P (the topmost one), or nullptr.
    TControl* ControlAtPos(const TPoint& P, bool AllowDisabled = false) const;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

    // Lays the aligned children out again inside the client area.
    void Realign();
    void DisableAlign();
    void EnableAlign();
    // The area that aligned children share (the client rectangle; panels inset their bevels).
    virtual TRect AlignRect() const { return ClientRect(); }

    Integer TabOrder() const;
    void SetTabOrder(Integer Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    // The children in tab order.
    std::vector<TWinControl*> TabList() const;
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();

    // Key handling: the form sees keys first when its KeyPreview is on. Answer true when handled.
    virtual bool DoKeyDown(Word& Key, TShiftState Shift);
    virtual bool DoKeyPress(char& Key);
    virtual bool DoKeyUp(Word& Key, TShiftState Shift);
    void WMKeyDown(TMessage& M);
    void WMKeyUp(TMessage& M);
    void WMChar(TMessage& M);
    void WMSize(TMessage& M);

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    // Fills the control with its colour.
    void PaintControl(TCanvas* ACanvas) override;
    virtual void AlignControls(TRect& R);
    void SetChildOrder(TComponent* Child, Integer Order) override;
    void HandleCreated() override;

private:
    friend class TControl;
    std::vector<TControl*> FControls;
    Integer FAlignLevel = 0;
    bool FRealignPending = false;
    bool FAligning = false;
    bool FTabStop = false;
};

// A control without a window of its own that paints on its parent: labels, paint boxes, speed
// buttons.
class TGraphicControl : public TControl {
    QOR_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    // The control's canvas: the painting context while Paint runs, a measuring context otherwise.
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    TCanvas* PaintCanvas() override { return FCanvas.get(); }
    void PaintControl(TCanvas*) override { Paint(); }

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// A windowed control that paints itself through a canvas.
class TCustomControl : public TWinControl {
    QOR_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas.get(); }

protected:
    virtual void Paint() {}
    TCanvas* PaintCanvas() override { return FCanvas.get(); }
    void PaintControl(TCanvas*) override { Paint(); }

private:
    std::unique_ptr<TControlCanvas> FCanvas;
};

// The object being dragged and where it is (one drag at a time).
TControl* DragControl();

// For the native layer: finds the control under the mouse and drives a drag: moves (sending
// CM_DRAG enter/leave/move to targets) and the drop. The target may lie in any window of the
// application; while a drag runs the source keeps the mouse and the cursor tells whether the
// control under it accepts.
void DragMoveTo(const TPoint& ScreenPos);
void DragFinish(bool Drop);
// For the native layer: the left button went down at ScreenPos on Source, whose widget takes the
// mouse itself (a standard list box): a source that drags automatically waits for the mouse to
// move away from there.
void DragMouseDown(TControl* Source, const TPoint& ScreenPos);

} // namespace qor
