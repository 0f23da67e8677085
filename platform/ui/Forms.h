#pragma once
// Scrolling controls, scroll boxes and forms.

#include "platform/ui/Controls.h"
#include "platform/ui/WindowState.h"

#include <vector>

namespace qor {

class TMainMenu;

// ---- Scroll bars -------------------------------------------------------------------------------

// Thickness of a scroll bar in pixels.
constexpr Integer ScrollBarSize = 16;

enum TScrollBarKind : Byte { sbHorizontal, sbVertical };
QOR_ENUM_NAMES(TScrollBarKind, "sbHorizontal", "sbVertical");

class TScrollingWinControl;

// One scroll bar of a scrolling control. Range is the extent of the scrolled content (0: as far
// as the controls reach); Position is how far the content is scrolled, 0 to Range - client extent.
class TControlScrollBar : public TPersistent {
    QOR_CLASS(TControlScrollBar, TPersistent)
public:
    TControlScrollBar(TScrollingWinControl* AControl, TScrollBarKind AKind);

    TScrollBarKind Kind() const { return FKind; }
    Integer Position() const { return FPosition; }
    // Scrolls the content to Value, kept within 0 .. Range - client extent.
    void SetPosition(Integer Value);
    Integer Range() const { return FRange; }
    void SetRange(Integer Value);
    Integer Increment() const { return FIncrement; }
    void SetIncrement(Integer Value) { FIncrement = Value < 1 ? 1 : Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Tracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value) { FMargin = Value; }
    // True when the bar is visible and the content is larger than the client area.
    bool IsScrollBarVisible() const;
    // The largest position: Range - client extent, not below 0.
    Integer MaxPosition() const;
    // What the content's extent is: Range, or when 0 the far edge of the furthest control.
    Integer ContentExtent() const;
    // Applies an SB_* code (and, for SB_THUMBPOSITION / SB_THUMBTRACK, Pos).
    void ScrollMessage(Word Code, Integer Pos);

    void Assign(TPersistent* Source) override;

protected:
    TPersistent* GetOwner() const override;

private:
    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    Integer FPosition = 0;
    Integer FRange = 0;
    Integer FIncrement = 8;
    Integer FMargin = 0;
    bool FVisible = true;
    bool FTracking = false;
};

class TScrollingWinControl : public TWinControl {
    QOR_CLASS(TScrollingWinControl, TWinControl)
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;

    TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
    TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }
    void SetHorzScrollBar(TControlScrollBar* Value) { FHorzScrollBar->Assign(Value); }
    void SetVertScrollBar(TControlScrollBar* Value) { FVertScrollBar->Assign(Value); }
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value) { FAutoScroll = Value; }
    // Moves every child by (DeltaX, DeltaY).
    void ScrollBy(Integer DeltaX, Integer DeltaY);
    // Scrolls so that AControl is wholly visible.
    void ScrollInView(TControl* AControl);

    void WMHScroll(TMessage& M);
    void WMVScroll(TMessage& M);
    // The mouse wheel scrolls the content (answers 1), when there is more of it than shows.
    void WMMouseWheel(TMessage& M);

protected:
    void AlignControls(TRect& R) override;

private:
    friend class TControlScrollBar;
    std::unique_ptr<TControlScrollBar> FHorzScrollBar;
    std::unique_ptr<TControlScrollBar> FVertScrollBar;
    bool FAutoScroll = true;
};

enum TFormBorderStyle : Byte { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
QOR_ENUM_NAMES(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin");
using TBorderStyle = TFormBorderStyle; // bsNone and bsSingle for controls

class TScrollBox : public TScrollingWinControl {
    QOR_CLASS(TScrollBox, TScrollingWinControl)
public:
    explicit TScrollBox(TComponent* AOwner);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // Inside the frame, less the scroll bars that show.
    TRect ClientRect() const override;
    TPoint ClientOffset() const override;
    // Which scroll bars show: visible ones whose content does not fit (one bar can make the
    // other necessary).
    void ScrollBarsShown(bool& Horizontal, bool& Vertical) const;

protected:
    // The frame and the scroll bars.
    void PaintFrame(TCanvas* ACanvas) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

// ---- Forms -------------------------------------------------------------------------------------

enum TFormStyle : Byte { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
QOR_ENUM_NAMES(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop");
enum TPosition : Byte {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
QOR_ENUM_NAMES(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
               "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter");
enum TBorderIcon : Byte { biSystemMenu, biMinimize, biMaximize, biHelp };
QOR_ENUM_NAMES(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp");
using TBorderIcons = TSet<TBorderIcon>;
enum TCloseAction : Byte { caNone, caHide, caFree, caMinimize };
QOR_ENUM_NAMES(TCloseAction, "caNone", "caHide", "caFree", "caMinimize");

using TModalResult = Integer;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
// CanClose starts true: a handler that says nothing lets the form close.
using TCloseQueryEvent = TEvent<TObject*, bool&>;

// What the designer of a form (the design host) sees of the form's messages.
class TFormDesigner {
public:
    virtual ~TFormDesigner() = default;
    // True when the designer took the message (it then goes no further).
    virtual bool IsDesignMsg(TControl* Sender, TMessage& Message) = 0;
    virtual void Modified() {}
};

class TCustomForm : public TScrollingWinControl {
    QOR_CLASS(TCustomForm, TScrollingWinControl)
public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;
    void BeforeDestruction() override;

    // Makes the form visible (on screen when windows can be shown) and brings it to the front.
    void Show();
    // Hides the form.
    void Hide();
    // Runs the form modally and answers its ModalResult: through the dialog service, which answers
    // from a script, a driver or, with a display, the window itself; headless and unanswered it
    // raises EDialogUnanswered. A visible form cannot be made modal (EInvalidOperation). OnClose
    // runs at the end; an action of caFree releases the form after ShowModal has returned.
    virtual TModalResult ShowModal();
    // Closes the form once OnCloseQuery agrees: a modal form ends with mrCancel; otherwise OnClose with
    // the default action (caHide; caMinimize for MDI children) decides. Closing the main form
    // terminates the application.
    void Close();
    bool CloseQuery();
    // Frees the form once the messages now waiting have been handled (when the form is running
    // modally, once ShowModal has returned). Safe to call from the form's own event handlers.
    void Release();
    void CMRelease(TMessage& M);
    void WMClose(TMessage& M);

    void SetVisible(bool Value) override;
    // The Visible a form file stores. While the form is designed it is kept apart from whether the
    // designer shows the window, so showing it there changes nothing that is written.
    bool StoredVisible() const;
    void SetStoredVisible(bool Value);
    bool Modal() const { return FModal; }

    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value);
    TFormStyle FormStyle() const { return FFormStyle; }
    // fsStayOnTop also puts the window on top (Topmost).
    void SetFormStyle(TFormStyle Value);
    // Whether the window stays above the others. SetTopmost puts it there or back among them
    // without activating, moving or sizing it, and leaves FormStyle as it is.
    bool Topmost() const { return FTopmost; }
    void SetTopmost(bool Value);
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool Value) { FKeyPreview = Value; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    // Moves the focus to Value (OnExit of the old, OnEnter of the new); Value must be on this form.
    void SetActiveControl(TWinControl* Value);
    TMainMenu* Menu() const { return FMenu; }
    void SetMenu(TMainMenu* Value);
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool Value) { FScaled = Value; }
    Integer HelpContext() const { return FHelpContext; }
    void SetHelpContext(Integer Value) { FHelpContext = Value; }
    bool Active() const;
    TFormDesigner* Designer() const { return FDesigner; }
    void SetDesigner(TFormDesigner* Value) { FDesigner = Value; }

    // Where the form's client area starts on the screen (the frame is not modelled).
    TPoint ClientOrigin() const override;

    // The form's keys come here first when KeyPreview is on.
    bool PreviewKeyDown(Word& Key, TShiftState Shift);
    bool PreviewKeyPress(char& Key);
    bool PreviewKeyUp(Word& Key, TShiftState Shift);

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;

    void Loaded() override;

    // The form's canvas: OnPaint draws on it.
    TCanvas* Canvas() const { return FCanvas.get(); }
    // A key the focused control From left alone: Return clicks the focused button or else the
    // default button, Escape the cancel button, Tab (Shift+Tab) moves the focus to the next
    // (previous) control with TabStop. True when the key was used.
    bool DialogKey(Word Key, TShiftState Shift, TWinControl* From);
    // Moves the focus from Current to the next (or previous) focusable control with TabStop, in
    // tab order through the whole form, wrapping around.
    void SelectNext(TWinControl* Current, bool Forward);

protected:
    TCanvas* PaintCanvas() override { return FCanvas.get(); }
    // Fills the form, then OnPaint.
    void PaintControl(TCanvas* ACanvas) override;
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    // Leaves the modal state: hides the form and carries out a release that had to wait.
    void EndModal();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TModalResult FModalResult = mrNone;
    TFormStyle FFormStyle = fsNormal;
    bool FTopmost = false;
    TWindowState FWindowState = wsNormal;
    TPosition FPosition = poDesigned;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    bool FKeyPreview = false;
    TWinControl* FActiveControl = nullptr;
    TMainMenu* FMenu = nullptr;
    Integer FPixelsPerInch = 96;
    bool FScaled = true;
    Integer FHelpContext = 0;
    bool FModal = false;
    bool FDesignVisible = false;
    bool FCreated = false;
    bool FReleasing = false;
    bool FReleaseAfterModal = false;
    TFormDesigner* FDesigner = nullptr;
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TForm : public TCustomForm {
    QOR_CLASS(TForm, TCustomForm)
public:
    explicit TForm(TComponent* AOwner);
    // A form whose controls come from the form file resources/<FormFile> (e.g. "forms/goto.qfm").
    TForm(TComponent* AOwner, const String& FormFile);
};

// The forms that exist, oldest first.
Integer FormCount();
TCustomForm* Forms(Integer Index);
// The form shown most recently that is still visible, or nullptr.
TCustomForm* ActiveForm();

} // namespace qor
