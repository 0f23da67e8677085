#pragma once
// TPen: colour, width, style and mix mode of lines, with the shared pen object (HPEN) made from it.

#include "platform/graphics/GraphicsObject.h"

namespace qor {

// Ordinals are those page files store.
enum TPenStyle : Byte { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
QOR_ENUM_NAMES(TPenStyle, "psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame");

enum TPenMode : Byte {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
    pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
QOR_ENUM_NAMES(TPenMode, "pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
               "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask",
               "pmXor", "pmNotXor");

// The mix mode (R2_*) of a pen mode.
Integer PenModeToRop2(TPenMode Mode);

class TPen : public TGraphicsObject {
    QOR_CLASS(TPen, TGraphicsObject)
public:
    TPen();
    ~TPen() override;

    void Assign(TPersistent* Source) override;

    HPEN Handle();
    // Takes colour, width and style from a pen object; the pen uses that handle without owning it.
    void SetHandle(HPEN Value);
    LOGPEN LogPen() const;

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);

protected:
    void Changed() override;

private:
    void ReleaseHandle();

    TColor FColor = clBlack;
    Integer FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
    HPEN FHandle;
    bool FOwnsHandle = false;
};

} // namespace qor
