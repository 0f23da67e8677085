#pragma once
// The label kinds that are not text: a check mark for a Boolean variable, a line, a shape, a
// picture (from the label itself or from a blob or picture variable), a vertical divider over the
// band's printed height, a bar code of a variable's value, and a label the application draws.
// Only the check label writes itself into RTF output; the others end their RTF row at once.

#include "runtime/engine/KivCtrl.h"

#include <functional>
#include <memory>

namespace qor {

class TGraphic;
class TKivVar;
class TMemoryStream;
class TPicture;
class TQorBitmap;

enum TKivCheckStyle : Byte { csCross, csCheck };
QOR_ENUM_NAMES(TKivCheckStyle, "csCross", "csCheck");
enum TKivLineType : Byte { ltHorizontal, ltVertical, ltDiagonalLeft, ltDiagonalRight };
QOR_ENUM_NAMES(TKivLineType, "ltHorizontal", "ltVertical", "ltDiagonalLeft", "ltDiagonalRight");
enum TKivShapeType : Byte { sstCircle, sstEllipse, sstRectangle, sstRoundRect, sstRoundSquare, sstSquare };
QOR_ENUM_NAMES(TKivShapeType, "sstCircle", "sstEllipse", "sstRectangle", "sstRoundRect", "sstRoundSquare", "sstSquare");
enum TKivDirection : Byte { bdVertical, bdHorizontal };
QOR_ENUM_NAMES(TKivDirection, "bdVertical", "bdHorizontal");
enum TKivBarCodeType : Byte { bct3of9, bct2of5 };
QOR_ENUM_NAMES(TKivBarCodeType, "bct3of9", "bct2of5");

// The label kinds that show a variable: the reference, let go when the variable goes, and its name
// (or "Fill in variable.") as the display text.
class TKivVarRefLabel : public TKivLabel {
    QOR_CLASS(TKivVarRefLabel, TKivLabel)
public:
    explicit TKivVarRefLabel(TComponent* AOwner) : TKivLabel(AOwner) {}

    TKivVar* Variable() const { return FVariable; }
    void SetVariable(TKivVar* Value);
    String GetDisplayText() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The variable initialised (when it is not yet) and active, or null.
    TKivVar* ActiveVariable() const;

private:
    TKivVar* FVariable = nullptr;
};

// Labels with no text of their own: nothing for RTF output, the row ends at once.
void KivEndRtfRow(TKivLabel* Label);

class TKivCheckLabel : public TKivVarRefLabel {
    QOR_CLASS(TKivCheckLabel, TKivVarRefLabel)
public:
    explicit TKivCheckLabel(TComponent* AOwner);

    TKivCheckStyle CheckStyle() const { return FCheckStyle; }
    void SetCheckStyle(TKivCheckStyle Value);

    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintTab(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow) override;
    // "Y" or "N" after the label's own tab stop.
    void PrintRtf(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow) override;

private:
    // The mark shows: the variable's value; True without a variable (and in the designer until
    // the variable has a value).
    bool Checked();

    TKivCheckStyle FCheckStyle = csCross;
};

class TKivLine : public TKivLabel {
    QOR_CLASS(TKivLine, TKivLabel)
public:
    explicit TKivLine(TComponent* AOwner) : TKivLabel(AOwner) {}

    TKivLineType LineType() const { return FLineType; }
    void SetLineType(TKivLineType Value);

    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { KivEndRtfRow(this); }

private:
    TKivLineType FLineType = ltHorizontal;
};

class TKivShape : public TKivLabel {
    QOR_CLASS(TKivShape, TKivLabel)
public:
    explicit TKivShape(TComponent* AOwner) : TKivLabel(AOwner) {}

    TKivShapeType ShapeType() const { return FShapeType; }
    void SetShapeType(TKivShapeType Value);

    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { KivEndRtfRow(this); }

private:
    TKivShapeType FShapeType = sstRectangle;
};

class TKivImageLabel : public TKivVarRefLabel {
    QOR_CLASS(TKivImageLabel, TKivVarRefLabel)
public:
    explicit TKivImageLabel(TComponent* AOwner);
    ~TKivImageLabel() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    bool KeepAspect() const { return FKeepAspect; }
    void SetAspect(bool Value);
    bool KeepBorderAspect() const { return FKeepBorderAspect; }
    void SetBorderAspect(bool Value);

    // Loads what to draw: the variable's picture (after a stored blob prefix) or the label's own.
    void UpdateImage();
    // The loaded image's size (0 x 0 without one).
    Integer ImageWidth() const;
    Integer ImageHeight() const;

    void StartPrint() override;
    Integer SpendHeight(TComponent* oPage, Integer Space) override;
    Integer PrintHeight(TComponent* oPage, Integer Space, Integer Taking) override;
    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { KivEndRtfRow(this); }

private:
    Integer ImageSpend();

    std::unique_ptr<TPicture> FPicture;
    std::unique_ptr<TPicture> FData; // the decoded picture of the variable, or of Picture
    bool FCenter = false;
    bool FKeepAspect = false;
    bool FKeepBorderAspect = false;
    std::unique_ptr<TMemoryStream> FImageStream;
    std::unique_ptr<TQorBitmap> FQorBitmap;
};

class TKivVerticalDivider : public TKivLabel {
    QOR_CLASS(TKivVerticalDivider, TKivLabel)
public:
    explicit TKivVerticalDivider(TComponent* AOwner);

    Integer DividerWidth() const { return FDividerWidth; }
    void SetDividerWidth(Integer Value);
    TColor DividerColor() const { return FDividerColor; }
    void SetDividerColor(TColor Value);

    // Only the left is taken: the divider runs from the band's top over its height.
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    void Print(TComponent* oPage, Integer Space) override;
    Integer SpendHeight(TComponent* oPage, Integer Space) override;
    // Draws over Taking, the height the band takes on this page; asks for no room itself.
    Integer PrintHeight(TComponent* oPage, Integer Space, Integer Taking) override;
    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { KivEndRtfRow(this); }

private:
    Integer FDividerWidth = 1;
    TColor FDividerColor = 0;
};

class TKivBarCodeLabel : public TKivVarRefLabel {
    QOR_CLASS(TKivBarCodeLabel, TKivVarRefLabel)
public:
    explicit TKivBarCodeLabel(TComponent* AOwner);
    ~TKivBarCodeLabel() override;

    TKivDirection Direction() const { return FDirection; }
    void SetDirection(TKivDirection Value);
    Integer NarrowWidth() const { return FNarrowWidth; }
    void SetNarrowWidth(Integer Value);
    Integer WideWidth() const { return FWideWidth; }
    void SetWideWidth(Integer Value);
    TBrush* BarCodeBrush() const { return FBarCodeBrush.get(); }
    void SetBarCodeBrush(TBrush* Value);
    TKivBarCodeType BarCodeType() const { return FBarCodeType; }
    void SetBarCodeType(TKivBarCodeType Value);
    bool WidthInInches_1000() const { return FWidthInInches_1000; }
    void SetWidthInInches_1000(bool Value);

    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { KivEndRtfRow(this); }

private:
    TKivDirection FDirection = bdHorizontal;
    Integer FNarrowWidth = 1;
    Integer FWideWidth = 3;
    std::unique_ptr<TBrush> FBarCodeBrush;
    TKivBarCodeType FBarCodeType = bct3of9;
    bool FWidthInInches_1000 = false;
};

class TKivCustomLabel;
using TKivOnDrawEvent = TEvent<TKivLabel*, TObject*, const TRect&>;

class TKivCustomLabel : public TKivLabel {
    QOR_CLASS(TKivCustomLabel, TKivLabel)
public:
    explicit TKivCustomLabel(TComponent* AOwner) : TKivLabel(AOwner) {}

    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    // Calls OnDraw with the canvas (a TQorCanvas) and the label's rectangle.
    virtual void DrawLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space);
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { KivEndRtfRow(this); }

    TKivOnDrawEvent OnDraw;
};

} // namespace qor
