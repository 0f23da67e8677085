#pragma once
// Between the controls and their native widgets (platform internals; Qt stays in the .cpp).

namespace qor {

class TControl;
class TCustomForm;
struct TNativeWidget;

// The control's state changed: its widget, when it has one, mirrors it again.
void NativeControlChanged(TControl* Control);
// The control's widget, when it has one, repaints later / now.
void NativeInvalidate(TControl* Control);
void NativeRepaint(TControl* Control);
// Gives the widget focus, when there is one.
void NativeSetFocus(TControl* Control);
// Makes (or brings up to date) the native widgets of Form and everything on it.
void NativeBuildForm(TCustomForm* Form);
// Shows / hides the form's top-level window.
void NativeShowForm(TCustomForm* Form, bool Modal);
void NativeHideForm(TCustomForm* Form);
// Runs the form's window modally until its ModalResult is set; answers the modal result.
int NativeRunModal(TCustomForm* Form);
// Frees a widget.
void NativeFree(TNativeWidget* Widget);

} // namespace qor
