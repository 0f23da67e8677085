#pragma once
// Buttons with pictures: bitmap buttons (a push button with a glyph and stock kinds) and speed
// buttons (tool-bar buttons that can stay down, alone or in groups).

#include "platform/graphics/Bitmap.h"
#include "platform/ui/StdCtrls.h"

namespace qor {

enum TButtonLayout : Byte { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
QOR_ENUM_NAMES(TButtonLayout, "blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom");

enum TBitBtnKind : Byte { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
QOR_ENUM_NAMES(TBitBtnKind, "bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
               "bkRetry", "bkIgnore", "bkAll");

// Draws glyph number Index (of NumGlyphs side by side in Glyph) at (X, Y); pixels of the glyph's
// bottom-left colour are left out.
void DrawGlyph(TCanvas* Canvas, TBitmap* Glyph, Integer NumGlyphs, Integer Index, Integer X, Integer Y);

// Where glyph and caption go inside Client: the glyph's top-left corner and the caption's box.
void LayoutGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, Integer NumGlyphs,
                           const String& Caption, TButtonLayout Layout, Integer Margin, Integer Spacing,
                           TPoint& GlyphPos, TRect& TextRect);

class TBitBtn : public TButton {
    QOR_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    Integer NumGlyphs() const { return FNumGlyphs; }
    // 1 to 4 pictures side by side: up, disabled, down, stays down.
    void SetNumGlyphs(Integer Value);
    // A stock kind sets the caption, the modal result and Default / Cancel as the kind implies
    // (bkOK: "OK", mrOk, Default; bkCancel: "Cancel", mrCancel, Cancel; ...).
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value);
    Integer Spacing() const { return FSpacing; }
    void SetSpacing(Integer Value);
    // A bkClose button closes its form; the others as TButton.
    void Click() override;

protected:
    void PaintControl(TCanvas* ACanvas) override;

private:
    std::unique_ptr<TBitmap> FGlyph;
    Integer FNumGlyphs = 1;
    TBitBtnKind FKind = bkCustom;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
};

class TSpeedButton : public TGraphicControl {
    QOR_CLASS(TSpeedButton, TGraphicControl)
public:
    explicit TSpeedButton(TComponent* AOwner);
    ~TSpeedButton() override;

    // Buttons of one parent with the same GroupIndex (not 0) form a group: at most one is down.
    Integer GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    // Only grouped buttons stay down. Putting one down puts the others of its group up; a button
    // of a group without AllowAllUp cannot be put up directly (only by another going down).
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    // Applies to the whole group.
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);
    Integer NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(Integer Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    Integer Margin() const { return FMargin; }
    void SetMargin(Integer Value);
    Integer Spacing() const { return FSpacing; }
    void SetSpacing(Integer Value);
    // A grouped button goes down (or, with AllowAllUp, toggles), then OnClick.
    void Click() override;
    // The mouse button is held on it (drawn pressed).
    bool Pressed() const { return FPressed; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    template <class F>
    void ForGroup(F&& Fn);
    std::unique_ptr<TBitmap> FGlyph;
    Integer FNumGlyphs = 1;
    Integer FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    bool FFlat = false;
    bool FPressed = false;
    TButtonLayout FLayout = blGlyphLeft;
    Integer FMargin = -1;
    Integer FSpacing = 4;
};

} // namespace qor
