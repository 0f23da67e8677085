#include "platform/graphics/Bitmap.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Gdi.h"

namespace qor {

// The canvas of a bitmap: before it draws, pixels set directly are copied into the bitmap
// object it draws into; after it draws, the bitmap knows to read them back.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* Owner) : FOwner(Owner) {}
    void Detach() { FOwner = nullptr; }

protected:
    void Changing() override
    {
        if (FOwner) {
            if (!FOwner->FHandle && !FOwner->FImage.Empty())
                FOwner->Handle(); // the bitmap was given pixels after the canvas was made
            FOwner->SyncToHandle();
        }
        TCanvas::Changing();
    }
    void Changed() override
    {
        if (FOwner)
            FOwner->FHandleDirty = true;
        TCanvas::Changed();
    }

private:
    TBitmap* FOwner;
};

namespace {

void FreeBitmapCanvas(TCanvas* Canvas)
{
    static_cast<TBitmapCanvas*>(Canvas)->Detach();
    Canvas->SetHandle(HDC());
    delete Canvas;
}

} // namespace

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::unique_ptr<TCanvas, void (*)(TCanvas*)>(new TBitmapCanvas(this), &FreeBitmapCanvas);
        FCanvasDC = CreateCompatibleDC(HDC());
        FCanvas->SetHandle(FCanvasDC);
    }
    if (!FHandle && !FImage.Empty())
        Handle();
    SyncToHandle();
    if (FHandle)
        SelectObject(FCanvasDC, FHandle);
    // The caller may draw through the canvas's handle directly.
    FHandleDirty = true;
    return FCanvas.get();
}

} // namespace qor
