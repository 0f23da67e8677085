#pragma once
// TBrush: colour and style of fills, or a pattern bitmap, with the shared brush object (HBRUSH).

#include "platform/graphics/GraphicsObject.h"

namespace qor {

class TBitmap;

// Ordinals are those page files store.
enum TBrushStyle : Byte { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
QOR_ENUM_NAMES(TBrushStyle, "bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
               "bsCross", "bsDiagCross");

class TBrush : public TGraphicsObject {
    QOR_CLASS(TBrush, TGraphicsObject)
public:
    TBrush();
    ~TBrush() override;

    void Assign(TPersistent* Source) override;

    HBRUSH Handle();
    // Takes colour and style from a brush object; the brush uses that handle without owning it.
    void SetHandle(HBRUSH Value);
    LOGBRUSH LogBrush() const;
    bool HandleAllocated() const { return bool(FHandle); }

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A pattern (its top-left 8 x 8 pixels) that replaces colour and style while set. Not owned:
    // the caller keeps the bitmap alive while the brush uses it.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* Value);

protected:
    void Changed() override;

private:
    void ReleaseHandle();

    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
    HBRUSH FHandle;
    bool FOwnsHandle = false;
};

} // namespace qor
