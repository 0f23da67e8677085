#include "platform/graphics/Bitmap.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"

namespace qor {

namespace {

void FreeBitmapCanvas(TCanvas* Canvas)
{
    Canvas->SetHandle(HDC());
    delete Canvas;
}

} // namespace

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::unique_ptr<TCanvas, void (*)(TCanvas*)>(new TCanvas(), &FreeBitmapCanvas);
        FCanvasDC = CreateCompatibleDC(HDC());
        FCanvas->SetHandle(FCanvasDC);
    }
    if (!FHandle && !FImage.Empty())
        Handle();
    if (FHandle)
        SelectObject(FCanvasDC, FHandle);
    FHandleDirty = true;
    return FCanvas.get();
}

} // namespace qor
