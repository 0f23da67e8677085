#pragma once
// The screen: resolution, size and installed fonts.
//
// PixelsPerInch is 96 unless QOR_SCREEN_PPI names another value or SetScreenPixelsPerInch is
// called. The user-interface layer adds forms, the active form and cursors to TScreen (see the
// marked section below).

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Component.h"

#include <memory>

namespace qor {

class TStrings;
class TStringList;

// Pixels per inch of the screen (both directions).
Integer ScreenPixelsPerInch();
void SetScreenPixelsPerInch(Integer Value);
// Size of the (primary) screen in pixels; 1920 x 1080 when there is no display.
TSize ScreenSizeInPixels();

class TScreen : public TComponent {
    QOR_CLASS(TScreen, TComponent)
public:
    explicit TScreen(TComponent* AOwner);
    ~TScreen() override;

    Integer PixelsPerInch() const { return ScreenPixelsPerInch(); }
    Integer Width() const { return ScreenSizeInPixels().cx; }
    Integer Height() const { return ScreenSizeInPixels().cy; }
    // Installed font families, sorted.
    TStrings* Fonts();

    // ---- user interface: forms, cursors (added by the user-interface layer) ----

private:
    std::unique_ptr<TStringList> FFonts;
};

// The process's screen object, created on first use.
TScreen* Screen();

} // namespace qor
