#pragma once
// Between the controls and their native widgets. Private to platform/ui; Qt stays in the .cpp.

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Types.h"
#include "platform/ui/Controls.h"

#include <vector>

namespace qor {

class TCustomForm;
class TMenuItem;
class TPopupMenu;
struct TNativeWidget;

// The native-widget plumbing of a control: which widget it has, and mirroring its state into it.
class TControlInternals {
public:
    using TNativePtr = TControl::TNativePtr;
    // The native widget, while there is one.
    static TNativeWidget* NativeWidget(const TControl& C) { return C.FNative.get(); }
    // Gives the control its widget (an empty pointer frees the one it had).
    static void SetNativeWidget(TControl& C, TNativePtr W) { C.FNative = std::move(W); }
    static void UpdateNative(TControl& C) { C.UpdateNative(); }
};

// The control's state changed: its widget, when it has one, mirrors it again.
void NativeControlChanged(TControl* Control);
// The control's widget, when it has one, repaints later / now.
void NativeInvalidate(TControl* Control);
void NativeInvalidateRect(TControl* Control, const TRect& R, bool Erase);
void NativeRepaint(TControl* Control);
// Gives the widget focus, when there is one.
void NativeSetFocus(TControl* Control);
// Makes (or brings up to date) the native widgets of Form and everything on it.
void NativeBuildForm(TCustomForm* Form);
// Shows / hides the form's top-level window.
void NativeShowForm(TCustomForm* Form, bool Modal);
void NativeHideForm(TCustomForm* Form);
// Puts the form's window above the others or back among them (its Topmost), without activating,
// moving or sizing it.
void NativeSetTopmost(TCustomForm* Form);
// Runs the form's window modally until its ModalResult is set; answers the modal result.
int NativeRunModal(TCustomForm* Form);
// A scroll box's content or size changed: its scroll bars on screen follow.
void NativeScrollBarsChanged(TControl* Control);
// The menu tree under Items changed: the menu bar of each form whose main menu it is, when the
// form has one on screen, is made again.
void NativeMenuChanged(const TMenuItem* Items);
// Frees a widget (and with it the widgets inside it).
void NativeFree(TNativeWidget* Widget);
// Shows the menu at screen point (X, Y) and clicks the item chosen; nothing without a display.
void NativePopupMenu(TPopupMenu* Menu, Integer X, Integer Y);
// The cursor over every window while it is not crDefault (0).
void NativeSetScreenCursor(SmallInt Cursor);
// A drag from Source: the control whose widget lies under ScreenPos (Source's screen
// coordinates), in whichever window of the application it is, and the point in its client
// coordinates (controls whose widgets let the mouse through lie inside it); Target is null over no
// control of ours. False when Source has no window on a display to ask from.
bool NativeControlAt(TControl* Source, const TPoint& ScreenPos, TControl*& Target, TPoint& Local);
// While a drag from Source runs: Source keeps the mouse and the cursor shows Cursor (whether the
// control under it accepts). crDefault ends both.
void NativeDragFeedback(TControl* Source, SmallInt Cursor);

// What a control's widget shows, for tests and diagnostics.
struct TNativeState {
    bool Exists = false;
    bool Visible = false;    // shown on screen (the widget and all its parents)
    bool Enabled = false;
    TRect Bounds;            // in the parent widget's coordinates (top-level: the window's frame-less geometry)
    bool Topmost = false;    // a window that stays above the others
    bool ActiveWindow = false; // the window that has the keyboard
    String Kind;             // "window", "button", "check", "radio", "edit", "memo", "combo", "list", "painted"
    String Text;             // caption, text or window title
    Integer ItemCount = 0;   // list and combo boxes
    Integer ItemIndex = -1;
    bool Checked = false;
    std::vector<String> MenuItems; // a window's menu bar
    bool HorzBar = false;          // scroll boxes: which scroll bars show, and their positions
    bool VertBar = false;
    Integer HorzPos = 0;
    Integer VertPos = 0;
};
TNativeState NativeStateOf(TControl* Control);
// What a person does to a widget: clicks it, types its text (replacing it), picks an item.
void NativeClick(TControl* Control);
void NativeSetText(TControl* Control, const String& Text);
void NativeSelectItem(TControl* Control, Integer Index);
// Drags a scroll box's scroll bar to Position.
void NativeScroll(TControl* Control, bool Horizontal, Integer Position);
// A picture of the form's window as it is on screen; false when the form has no window.
bool NativeGrabToPng(TCustomForm* Form, const String& FileName);
// What the screen shows of the control's widget, read back from the display (not painted afresh):
// the part of it not hidden by its parents or siblings. Part is that part in the control's own
// coordinates. False without a display or when nothing of it shows.
bool NativeGrabScreen(TControl* Control, const String& FileName, TRect& Part);
// A key pressed and let go on the form's window: it goes to the widget that has the focus.
void NativeKey(TCustomForm* Form, Word Key, TShiftState Shift = {});
// The mouse wheel turned over the middle of the control (120 a notch, below 0 towards the user).
void NativeWheel(TControl* Control, Integer Delta);

} // namespace qor

namespace qor {

class TOpenDialog;
class TPrintDialog;
class TPrinterSetupDialog;

// The common dialogs on screen; 1 when confirmed, 0 when cancelled.
Integer NativeRunFileDialog(TOpenDialog* Dialog, bool Save);
Integer NativeRunPrintDialog(TPrintDialog* Dialog);
Integer NativeRunPrinterSetupDialog(TPrinterSetupDialog* Dialog);

} // namespace qor
