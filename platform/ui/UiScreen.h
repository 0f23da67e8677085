#pragma once
// The screen as the user interface sees it: the graphics layer's metrics and fonts (TScreen)
// plus the forms, the active form and control, and the cursor shown over every window.

#include "platform/graphics/Screen.h"
#include "platform/ui/Controls.h"

namespace qor {

class TCustomForm;

class TUiScreen {
public:
    Integer PixelsPerInch() const { return Screen()->PixelsPerInch(); }
    Integer Width() const { return Screen()->Width(); }
    Integer Height() const { return Screen()->Height(); }
    TStrings* Fonts() const { return Screen()->Fonts(); }

    // The cursor over every window while it is not crDefault (e.g. crHourGlass during a long run).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);

    Integer FormCount() const;
    TCustomForm* Forms(Integer Index) const;
    // The form shown most recently that is still visible, or nullptr.
    TCustomForm* ActiveForm() const;
    // The focused control of the active form, or nullptr.
    TWinControl* ActiveControl() const;

private:
    TCursor FCursor = crDefault;
};

// The process's screen, user-interface side.
TUiScreen* UiScreen();

} // namespace qor
