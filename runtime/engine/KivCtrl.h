#pragma once
// The label: base of every printable item on a report band. It measures and draws itself through
// the print protocol the band drives, writes itself into RTF output, and paints itself in the
// designer through the same drawing code.

#include "platform/rtl/Events.h"
#include "platform/ui/Controls.h"
#include "runtime/engine/KivPageIntf.h"
#include "runtime/output/QorUtil.h"

#include <memory>
#include <typeinfo>

namespace qor {

class TKivRtfFile;
class TQorCanvas;

enum TKivVerticalAlign : Byte { laTop, laMiddle, laBottom, laCenterVert };
QOR_ENUM_NAMES(TKivVerticalAlign, "laTop", "laMiddle", "laBottom", "laCenterVert");
enum TKivHorizontalAlign : Byte { laLeft, laCenter, laRight };
QOR_ENUM_NAMES(TKivHorizontalAlign, "laLeft", "laCenter", "laRight");
enum TKivBorderType : Byte { btNone, btSingle, btUnderLine, btSmall };
QOR_ENUM_NAMES(TKivBorderType, "btNone", "btSingle", "btUnderLine", "btSmall");
enum TKivClipTypes : Byte { ctDefault, ctClip, ctNoClip };
QOR_ENUM_NAMES(TKivClipTypes, "ctDefault", "ctClip", "ctNoClip");
// Degrees, 0 to 360.
using TKivRotateFont = Word;

class TKivLabel;
// Decides per print whether the label prints; Result starts false.
using TKivLabelPrintWhenEvent = TEvent<TKivLabel*, bool&>;
using TKivLabelPrintEvent = TEvent<TKivLabel*>;

// Draws the border of Rect; with Design, also the outline that shows a label's extent in the
// designer (dotted black, or a silver frame for btSmall).
void KivDrawBorder(TQorCanvas* QorCanvas, const TRect& Rect, TKivBorderType BorderType, bool Design);

// After loading, at run time: a control's own font of another resolution keeps its pixel height
// at PPI, and the control is told its font changed.
void KivFontToPPI(TControl* Control, Integer PPI);

class TKivLabel : public TGraphicControl {
    QOR_CLASS(TKivLabel, TGraphicControl)
public:
    explicit TKivLabel(TComponent* AOwner);
    ~TKivLabel() override;

    // The page: the parent when it is a page, the band's parent when the parent is a band.
    TWinControl* Page() const;
    void SetPage(TWinControl* Value) { FPage = Value; }

    TKivClipTypes ClipType() const { return FClipType; }
    void SetClipType(TKivClipTypes Value);
    TKivVerticalAlign AlignVertical() const { return FVerticalAlign; }
    void SetVerticalAlign(TKivVerticalAlign Value);
    TKivHorizontalAlign AlignHorizontal() const { return FHorizontalAlign; }
    void SetHorizontalAlign(TKivHorizontalAlign Value);
    bool EndPrint() const { return FEndPrint; }
    void SetEndPrint(bool Value) { FEndPrint = Value; }
    bool FirstTime() const { return FFirstTime; }
    void SetFirstTime(bool Value) { FFirstTime = Value; }
    bool WrapText() const { return FWrapText; }
    bool Stretch() const { return FStretch; }
    TKivBorderType BorderType() const { return FBorderType; }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value);
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value);
    TPen* BorderPen() const { return FBorderPen.get(); }
    // The band's pixels per inch (GetPPI); SetPixelsPerInch only stores its argument.
    Integer PixelsPerInch() const { return GetPPI(); }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; }
    Integer Row() const { return FRow; }
    void SetRow(Integer Value) { FRow = Value; }
    bool RtfPrint() const { return FRtfPrint; }
    void SetRtfPrint(bool Value) { FRtfPrint = Value; }
    TKivRotateFont RotateFont() const { return FRotateFont; }
    TQorShadePercent Shade() const { return FShade; }
    Integer BorderMargin() const { return FBorderMargin; }
    void SetBorderMargin(Integer Value);
    bool IsVisible() const { return FIsVisible; }
    void SetIsVisible(bool Value) { FIsVisible = Value; }
    bool AutoSize() const { return FAutoSize; }
    virtual void SetAutoSize(bool Value);
    // True while the opaque control style is absent (a new label is transparent).
    bool Transparent() const;
    void SetTransparent(bool Value);

    // Text clipped to the label's rectangle: ctClip, or the page's setting for ctDefault.
    bool ClipRect() const;
    // The text-alignment flags (TA_*) of the alignment.
    Word AlignFlags() const;
    // Positions inside the band of the text's alignment point.
    Integer XPos() const;
    Integer YPos() const;
    // The label prints now: visible, not finished, and allowed by LabelPrintWhen.
    bool PrintOk();
    // The band's pixels per inch; the screen's without a band.
    Integer GetPPI() const;

    // ---- The print protocol ----------------------------------------------------------------
    // The text to print now; the base prints its display text.
    virtual String GetDataNow();
    // The text to show when there is no data; the base shows its caption.
    virtual String GetDisplayText();
    virtual void SetBorderType(TKivBorderType Value);
    // Turning wrapping on also lets the label stretch (except while it is read from a stream).
    virtual void SetWrapText(bool Value);
    virtual void SetStretch(bool Value);
    // Raises EInvalidOperation outside 0 to 360.
    virtual void SetRotateFont(TKivRotateFont Value);
    // A shade makes the label opaque.
    virtual void SetShade(TQorShadePercent Value);
    virtual void LabelChanged(TObject* Sender);
    // Draws the label once at the band's current position on the page.
    virtual void Print(TComponent* oPage, Integer Space);
    // Prepares for a band print that stretches.
    virtual void StartPrint();
    // Draws the next piece and answers the height the band needs for it (0 when not printing).
    virtual Integer PrintHeight(TComponent* oPage, Integer Space, Integer Taking);
    // The height the next piece would need, without drawing.
    virtual Integer SpendHeight(TComponent* oPage, Integer Space);
    // Writes the label's text into RTF output when PrintRow is its row.
    virtual void PrintRtf(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow);
    // Defines the tab stop the label's text is aligned on when PrintRow is its row.
    virtual void PrintTab(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow);
    // Draws the label into Rect: background, text, border.
    virtual void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space);

    // Only a band is accepted as parent; any other is refused with a silent abort.
    void SetParent(TWinControl* AParent) override;
    // Positions and sizes are held to +-MaxLabelExtent (far past any page), so the layout's sums
    // stay in range whatever a form file says.
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    static constexpr Integer MaxLabelExtent = 1 << 24;
    void Loaded() override;

    // Message handlers.
    void MouseMovement(TMessage& M);
    void CMTextChanged(TMessage& M);
    void CMFontChanged(TMessage& M);

    TKivLabelPrintWhenEvent LabelPrintWhen;
    TKivLabelPrintEvent OnBeforePrint;
    TKivLabelPrintEvent OnAfterPrint;

protected:
    void Paint() override;
    // True while the label paints itself in the designer.
    bool Painting() const { return FPainting; }
    // The text's anchor for a rectangle starting at X / Y.
    Integer GetXSpot(Integer X) const;
    Integer GetYSpot(Integer Y) const;
    // Lays the background: nothing when transparent, else the shade or the label's colour.
    void InitPrint(TQorCanvas* QorCanvas, const TRect& Rect);
    void PrintBorder(TQorCanvas* QorCanvas, const TRect& Rect);
    // Background, Text as one line at the alignment point (clipped when ClipRect), border.
    void PrintTextLine(TQorCanvas* QorCanvas, const TRect& Rect, const String& Text);
    // Into RTF output: a tab (never underlined), then Text in the label's font.
    void WriteRtfText(TKivRtfFile* Rtf, const String& Text);
    // The first step of a stretching label's StartPrint: false (and the label finished) when it
    // does not print now, or when it is left out of RTF output and the page writes RTF.
    bool StartStretchPrint();
    // OnBeforePrint / OnAfterPrint; a handler's exception is shown and printing goes on.
    void BeforePrint();
    void AfterPrint();
    // Sizes an auto-sized label in the designer to its caption.
    void AdjustBounds();
    // The page oPage as the print protocol needs it; EInvalidOperation when it is none.
    IKivPrintPage* PrintPage(TComponent* oPage);
    IKivBand* Band() const;
    // The legacy "AutoSize" of older form files, read and dropped, never written.
    void DefineLegacyAutoSize(TFiler& Filer);

    TBrush* BrushSet() const { return FBrushSet.get(); }
    TPen* PenSet() const { return FPenSet.get(); }

private:
    // Where the label sits, worked out again only when its parent, the parent's parent or their
    // classes change: labels ask for their band and page on every print.
    struct TPlacement {
        const TWinControl* Parent = nullptr;
        const TWinControl* Grand = nullptr;
        const std::type_info* ParentType = nullptr;
        const std::type_info* GrandType = nullptr;
        IKivBand* Band = nullptr;
        TWinControl* Page = nullptr;
        IKivPrintPage* PrintPage = nullptr;
    };
    const TPlacement& Placement() const;
    mutable TPlacement FPlacement;
    // The last page PrintPage was asked for, and its class.
    TComponent* FPrintPageOf = nullptr;
    const std::type_info* FPrintPageType = nullptr;
    IKivPrintPage* FPrintPage = nullptr;

    TWinControl* FPage = nullptr;
    TKivClipTypes FClipType = ctDefault;
    TKivVerticalAlign FVerticalAlign = laBottom;
    TKivHorizontalAlign FHorizontalAlign = laLeft;
    bool FEndPrint = false;
    bool FFirstTime = false;
    bool FWrapText = false;
    bool FStretch = false;
    TKivBorderType FBorderType = btNone;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TBrush> FBrushSet;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TPen> FPenSet;
    std::unique_ptr<TPen> FBorderPen;
    Integer FPixelsPerInch = 0;
    Integer FRow = 0;
    bool FRtfPrint = true;
    TKivRotateFont FRotateFont = 0;
    TQorShadePercent FShade = spNone;
    bool FPainting = false;
    Integer FBorderMargin = 2;
    bool FIsVisible = true;
    bool FAutoSize = false;
};

} // namespace qor
