#include "platform/ui/Render.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"
#include "platform/ui/ControlPaint.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/internal/NativeBridge.h"

#include <algorithm>

namespace qor {

namespace {

TMainMenu* MenuOf(TControl* Control)
{
    auto* form = dynamic_cast<TCustomForm*>(Control);
    if (!form || !form->Menu())
        return nullptr;
    TMenuItem* items = form->Menu()->Items();
    for (Integer i = 0; i < items->Count(); ++i)
        if (items->Items(i)->Visible())
            return form->Menu();
    return nullptr;
}

} // namespace

Integer MenuBarHeight(TControl* Control)
{
    if (!MenuOf(Control))
        return 0;
    // the menu font's line and a margin of three pixels above and below
    TCanvas canvas;
    HDC dc = CreateScreenDC();
    canvas.SetHandle(dc);
    canvas.Font()->Assign(Control->Font());
    const Integer h = canvas.TextHeight("Wg") + 6;
    canvas.SetHandle(HDC());
    DeleteDC(dc);
    return h;
}

void PaintMenuBar(TCanvas* Canvas, TMainMenu* Menu, const TRect& Rect)
{
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clBtnFace);
    Canvas->FillRect(Rect);
    Canvas->Brush()->SetColor(clBtnShadow);
    Canvas->FillRect(qor::Rect(Rect.Left, Rect.Bottom - 1, Rect.Right, Rect.Bottom));
    if (!Menu)
        return;
    const TColor textColor = Canvas->Font()->Color();
    Integer x = Rect.Left + 2;
    TMenuItem* items = Menu->Items();
    for (Integer i = 0; i < items->Count(); ++i) {
        TMenuItem* item = items->Items(i);
        if (!item->Visible())
            continue;
        const String text = StripAccelerator(item->Caption());
        const Integer w = Canvas->TextWidth(text) + 14;
        Canvas->Font()->SetColor(item->Enabled() ? textColor : clGrayText);
        DrawCaption(Canvas, qor::Rect(x, Rect.Top, x + w, Rect.Bottom - 1), text, DT_CENTER | DT_VCENTER, true);
        x += w;
        if (x >= Rect.Right)
            break;
    }
    Canvas->Font()->SetColor(textColor);
}

HDC RenderToDC(TControl* Control)
{
    if (!Control)
        throw EInvalidOperation("Nothing to render");
    const Integer menuHeight = MenuBarHeight(Control);
    const Integer width = std::max(1, Control->Width());
    const Integer height = std::max(1, Control->Height() + menuHeight);
    HDC dc = CreateRasterDC(width, height);
    if (!dc)
        throw EInvalidOperation("Cannot make a picture of " + Control->ClassName());
    try {
        if (menuHeight > 0) {
            TCanvas canvas;
            canvas.SetHandle(dc);
            canvas.Font()->Assign(Control->Font());
            PaintMenuBar(&canvas, MenuOf(Control), Rect(0, 0, width, menuHeight));
            canvas.SetHandle(HDC());
        }
        Control->PaintTo(dc, 0, menuHeight, true);
    } catch (...) {
        DeleteDC(dc);
        throw;
    }
    return dc;
}

void RenderToPng(TControl* Control, const String& FileName)
{
    HDC dc = RenderToDC(Control);
    const bool saved = SaveDCToPng(dc, FileName);
    DeleteDC(dc);
    if (!saved)
        throw EFCreateError("Cannot create file \"" + FileName + "\"");
}

bool GrabWindowToPng(TCustomForm* Form, const String& FileName) { return Form && NativeGrabToPng(Form, FileName); }

} // namespace qor
