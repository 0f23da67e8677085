#pragma once
// Pictures of forms and controls, drawn through our canvas on a raster context: what a form looks
// like without a display, and the backing image of custom-painted native widgets.

#include "platform/graphics/GdiTypes.h"

namespace qor {

class TControl;
class TCanvas;
class TMainMenu;
class TCustomForm;

// Height of the menu bar drawn above a form's client area: 0 for a control that is not a form or
// a form without a menu (or with no visible item).
Integer MenuBarHeight(TControl* Control);
// Draws the visible top-level items of Menu in a bar filling Rect.
void PaintMenuBar(TCanvas* Canvas, TMainMenu* Menu, const TRect& Rect);
// A new raster context (the caller frees it with DeleteDC) showing Control and its visible
// children; a form's menu bar comes above its client area.
HDC RenderToDC(TControl* Control);
// Writes that picture as a PNG file; raises EFCreateError when the file cannot be written.
void RenderToPng(TControl* Control, const String& FileName);
// The form's window as the window system shows it, written as a PNG file. False when the form
// has no window on a display (nothing shown yet, or no display).
bool GrabWindowToPng(TCustomForm* Form, const String& FileName);

} // namespace qor
