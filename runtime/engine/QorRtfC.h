#pragma once
// The rich-text label: prints an RTF document held by a report variable (a memo or blob field, or
// any variable that yields a stream). It measures how much of the document fits in the room its
// band has left on the page, draws that much, and goes on with the rest on the next pages.
// It writes nothing into RTF output of the report.

#include "runtime/engine/KivCtrl.h"

#include <memory>

namespace qor {

class TKivVar;
class TMemoryStream;
class TQorRtfDraw;

// The bytes the rich-edit control reads for the value of Var: RTF or plain text. A blob is taken
// as it is; text (a memo, a string, or a blob written from text with a byte-order mark) is
// decoded, and RTF in it keeps whatever lies beyond ASCII as \u escapes, since the control reads
// an RTF document's bytes in its code page.
void KivRichDocument(TKivVar* Var, TMemoryStream& Out);

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
    // Measures the next piece for Room pixels of text and answers the characters that fit. At the
    // top of a page that holds not even the next line, that line is taken alone, laid out in a
    // rectangle of FLineRoom pixels, its own height: it is drawn cut off at the page's end.
    Integer MeasurePiece(Integer Room);
    // The pixels the piece just measured takes below the label's top margin, at most Room - 1.
    Integer PieceHeight(Integer Room) const;
    // The band is at the top of a page of the run, where the label has all the room it can get.
    bool AtFreshPage() const;

    TKivVar* FVariable = nullptr;
    std::unique_ptr<TQorRtfDraw> FRtfDraw;
    // The document the measurer holds, as drawn on the page.
    std::unique_ptr<TMemoryStream> FDocument;
    // The rectangle's height for a line taller than the room it has; 0 for any other piece.
    Integer FLineRoom = 0;
    Integer FBottomMargin = 20;
    bool FSetDefaultFont = false;
};

} // namespace qor
