#pragma once
// How controls reach the form they lie on. Forms are built on controls, so the control unit
// cannot name them: the form unit hands it these when the library is loaded (Forms.cpp), and
// controls ask through them. Private to platform/ui.

#include "platform/ui/Controls.h"

namespace qor {

struct TFormHooks {
    // Control as a form; null when it is none.
    TCustomForm* (*AsForm)(const TControl* Control) = nullptr;
    // The most recently shown visible form whose client area holds the screen point, with the
    // point in that client area in Local; null when none does.
    TControl* (*FormAt)(const TPoint& ScreenPos, TPoint& Local) = nullptr;
    TWinControl* (*ActiveControl)(const TCustomForm* Form) = nullptr;
    void (*SetActiveControl)(TCustomForm* Form, TWinControl* Control) = nullptr;
    // True when the form's designer took a message of Sender (it then goes no further).
    bool (*IsDesignMsg)(TCustomForm* Form, TControl* Sender, TMessage& Message) = nullptr;
    // With the form's KeyPreview on, the key goes to the form first; true when the form used it.
    bool (*PreviewKeyDown)(TCustomForm* Form, Word& Key, TShiftState Shift) = nullptr;
    bool (*PreviewKeyPress)(TCustomForm* Form, char& Key) = nullptr;
    bool (*PreviewKeyUp)(TCustomForm* Form, Word& Key, TShiftState Shift) = nullptr;
    // TCustomForm::DialogKey.
    bool (*DialogKey)(TCustomForm* Form, Word Key, TShiftState Shift, TWinControl* From) = nullptr;
};

void SetFormHooks(const TFormHooks& Hooks);

} // namespace qor
