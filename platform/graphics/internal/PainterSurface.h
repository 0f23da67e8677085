#pragma once
// Private to the graphics sources: what the raster and PDF surfaces share, drawing through a
// painter. (Qt classes appear only as forward declarations; no Qt header is included here.)

#include "platform/graphics/internal/DeviceContext.h"

#include <vector>

class QBrush;
class QColor;
class QImage;
class QPainter;
class QPainterPath;

namespace qor::gdi {

QColor ToQColor(COLORREF C);

// The selected pen as drawn: its width in device pixels, solid when wider than one pixel.
struct TPenInfo {
    bool Null = true;
    Integer Width = 1; // device pixels
    Cardinal Style = PS_SOLID;
    COLORREF Color = 0;
    bool Cosmetic = true; // one pixel wide
};
TPenInfo PenInfo(const TDc& Dc);

// The classic dash patterns of one-pixel pens, in pixels (on, off, ...).
const std::vector<Integer>& DashPattern(Cardinal Style);

// How many device pixels a screen pixel of hatches and pen dashes takes: the resolution over 96
// on printers (as printer drivers scale them), 1 elsewhere.
Integer DeviceStyleScale(const TDc& Dc);
// The 8 x 8 cell of a hatched or pattern brush in Dc's colours (transparent gaps on a hatch drawn
// in TRANSPARENT mode); the image a brush paints with (the cell, scaled up on printers); and a
// painter brush for any brush (Qt::NoBrush for a null one).
QImage PatternCell(const TDc& Dc, const TBrushObject& B);
QImage PatternImage(const TDc& Dc, const TBrushObject& B);
QBrush MakeBrush(const TDc& Dc, const TBrushObject* B);

// Clips P to the visible area of Dc, and to Extra (device pixels) when given.
// The same clip is not set twice in a row on one painter; a surface that starts a new page calls
// ForgetAppliedClip so the next drawing sets its clip again.
void ApplyClip(const TDc& Dc, QPainter& P, const TRect* Extra = nullptr);
void ForgetAppliedClip();

struct TShape;
// What a shape fills with the brush, and the pixel-centre path its pen draws.
const QPainterPath& ShapeFill(const TShape& S);
const QPainterPath& ShapeOutline(const TShape& S);

class TPainterSurface : public TSurface {
public:
    bool Shape(TDc& Dc, const TShapeCall& Call) override;
    bool Polygons(TDc& Dc, const std::vector<TPoint>& Points, const Integer* Counts, Integer Count) override;
    bool Polyline(TDc& Dc, const std::vector<TPoint>& Points, bool Close) override;
    bool FillRect(TDc& Dc, const TRect& R, const TBrushObject* B) override;
    COLORREF SetPixel(TDc& Dc, TPoint P, COLORREF Color) override;
    // Checks the blit and draws it with DrawBlit.
    bool Blit(TDc& Dc, const TBlit& B) override;
    bool Text(TDc& Dc, const TTextPlacement& At, const TTextRun& Run) override;

protected:
    // The painter over the drawing area (null when there is nothing to draw on).
    virtual QPainter* Painter(TDc& Dc) = 0;
    // Sets how the painter mixes the pen and brush with what is there (Rop2: the mix mode).
    virtual void SetMix(QPainter& P, Integer Rop2);
    // Draws a one-pixel outline through Points pixel by pixel; false leaves it to the painter.
    virtual bool ExactOutline(TDc& Dc, const std::vector<TPoint>& Points, bool Closed, const TPenInfo& Pen);
    // A checked blit with a positive destination size.
    virtual bool DrawBlit(TDc& Dc, const TBlit& B) = 0;
    // Fills Shape with the brush (UseBrush), then outlines it with the pen.
    virtual bool DrawShape(TDc& Dc, const TShape& Shape, bool UseBrush);
    // There is something to draw on (a page opened when needed).
    virtual bool Ready(TDc& Dc) { return Painter(Dc) != nullptr; }
};

} // namespace qor::gdi
