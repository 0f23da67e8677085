#pragma once
// TCanvas: drawing with a font, a pen and a brush on a device context. The objects are selected
// into the context just before each call that needs them.

#include "platform/graphics/Brush.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Pen.h"

#include <memory>
#include <span>

namespace qor {

class TGraphic;

class TCanvas : public TPersistent {
    QOR_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The device context with the canvas's font, pen and brush made current, ready for drawing
    // calls made on it directly. A canvas without one asks CreateHandle, and raises
    // EInvalidOperation "Canvas does not allow drawing" when there is still none.
    HDC Handle();
    // Attaches a context (0 detaches). The canvas does not own it; it deselects its objects first.
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return bool(FHandle); }

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }

    TPoint PenPos();
    void SetPenPos(const TPoint& Value) { MoveTo(Value.X, Value.Y); }
    // Raster operation of CopyRect (SRCCOPY by default).
    Cardinal CopyMode() const { return FCopyMode; }
    void SetCopyMode(Cardinal Value) { FCopyMode = Value; }

    void MoveTo(Integer X, Integer Y);
    void LineTo(Integer X, Integer Y);
    void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
    void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Chord(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
    void Polygon(std::span<const TPoint> Points);
    void Polyline(std::span<const TPoint> Points);
    // With the brush; no outline.
    void FillRect(const TRect& R);
    // A one-unit frame in the brush.
    void FrameRect(const TRect& R);

    void TextOut(Integer X, Integer Y, const String& Text);
    // Text at (X, Y) clipped to R; R is filled with the brush colour unless the brush is clear.
    void TextRect(const TRect& R, Integer X, Integer Y, const String& Text);
    TSize TextExtent(const String& Text);
    Integer TextWidth(const String& Text) { return TextExtent(Text).cx; }
    Integer TextHeight(const String& Text) { return TextExtent(Text).cy; }

    // Graphics at their natural size or stretched into R (nil and empty graphics draw nothing).
    void Draw(Integer X, Integer Y, TGraphic* Graphic);
    void StretchDraw(const TRect& R, TGraphic* Graphic);
    // Copies Source's SourceRect into Dest with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& SourceRect);

    TColor Pixel(Integer X, Integer Y);
    void SetPixel(Integer X, Integer Y, TColor Color);
    // The visible part of the context in logical units.
    TRect ClipRect();

    void Lock() {}
    void Unlock() {}
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    // Called when Handle is needed and none is set; descendants attach one here.
    virtual void CreateHandle() {}
    virtual void Changing();
    virtual void Changed();

private:
    // The context as it is, made by CreateHandle when there is none.
    HDC RequireHandle();
    void RequireFont();
    void RequirePen();
    void RequireBrush();
    // Changing, then pen and brush made current: what every line and shape starts with.
    void StartShape();
    void DeselectHandles();

    HDC FHandle;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    bool FFontValid = false, FPenValid = false, FBrushValid = false;
    Cardinal FCopyMode = SRCCOPY;
};

} // namespace qor
