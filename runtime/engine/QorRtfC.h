#pragma once
// The rich-text label: prints an RTF document held by a report variable (a memo or blob field, or
// any variable that yields a stream). It measures how much of the document fits in the room its
// band has left on the page, draws that much, and goes on with the rest on the next pages.
// It writes nothing into RTF output of the report.

#include "runtime/engine/KivCtrl.h"

#include <memory>

namespace qor {

class TKivVar;
class TQorRtfDraw;

class TKivRichTextLabel : public TKivLabel {
    QOR_CLASS(TKivRichTextLabel, TKivLabel)
public:
    explicit TKivRichTextLabel(TComponent* AOwner);
    ~TKivRichTextLabel() override;

    TKivVar* Variable() const { return FVariable; }
    // Also shows the variable's name as the caption in the designer.
    void SetVariable(TKivVar* Value);
    // Pixels kept free below the text inside the label.
    Integer BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(Integer Value);
    // The label's font is the document's default character format.
    bool SetDefaultFont() const { return FSetDefaultFont; }
    void SetSetDefaultFont(bool Value);
    // The first character still to print.
    Integer Position() const;

    String GetDataNow() override { return GetDisplayText(); }
    // The variable's name, or "Fill in variable.".
    String GetDisplayText() override;
    void Print(TComponent* oPage, Integer Space) override;
    void StartPrint() override;
    Integer PrintHeight(TComponent* oPage, Integer Space, Integer Taking) override;
    Integer SpendHeight(TComponent* oPage, Integer Space) override;
    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;
    void PrintRtf(TWinControl*, TKivRtfFile*, Integer) override { SetEndPrint(true); }
    void PrintTab(TWinControl*, TKivRtfFile*, Integer) override {}
    void DefineProperties(TFiler& Filer) override;

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // A new measurer with the label's font and default-font setting.
    void FreshMeasurer();
    // The measurer holds the variable's document (when it is active) at the band's resolution.
    void LoadDocument();
    // Draws the next piece into Rect and answers the height used.
    Integer PrintMemo(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space);
    // Sets the measuring rectangle (width inside the margins, Height high) and measures again.
    void Measure(Integer Height);

    TKivVar* FVariable = nullptr;
    std::unique_ptr<TQorRtfDraw> FRtfDraw;
    Integer FBottomMargin = 20;
    bool FSetDefaultFont = false;
};

} // namespace qor
