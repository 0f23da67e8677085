#include "platform/ui/UiScreen.h"

#include "platform/ui/Forms.h"
#include "platform/ui/internal/NativeBridge.h"

namespace qor {

void TUiScreen::SetCursor(TCursor Value)
{
    if (Value == FCursor)
        return;
    FCursor = Value;
    NativeSetScreenCursor(Value);
}

Integer TUiScreen::FormCount() const { return qor::FormCount(); }
TCustomForm* TUiScreen::Forms(Integer Index) const { return qor::Forms(Index); }
TCustomForm* TUiScreen::ActiveForm() const { return qor::ActiveForm(); }

TWinControl* TUiScreen::ActiveControl() const
{
    TCustomForm* f = ActiveForm();
    return f ? f->ActiveControl() : nullptr;
}

TUiScreen* UiScreen()
{
    static TUiScreen screen;
    return &screen;
}

} // namespace qor
