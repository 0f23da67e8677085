#pragma once
// Text and variable labels. A text label prints its caption or its lines; a variable label prints the
// current value of a report variable through its format. Short text is one line drawn with the
// label's alignment, rotation and clipping. Wrapped text, and every memo or blob value, is laid out
// by the label's memo: such a label grows with its content and splits its lines over as many pages
// as it needs, and writes its lines, part by part between tabs, into RTF output.

#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivFormat.h"

#include <memory>

namespace qor {

class TKivDBVar;
class TKivVar;
class TQorMemo;
class TStringList;
class TStrings;
class TWriter;

// Line height in percent of the font height, 25 to 300 (the setter does not clamp).
using TKivWrapHeightPercent = Word;

class TKivTVLabel : public TKivLabel {
    QOR_CLASS(TKivTVLabel, TKivLabel)
public:
    explicit TKivTVLabel(TComponent* AOwner);
    ~TKivTVLabel() override;

    TKivVar* Variable() const { return FVariable; }
    void SetVariable(TKivVar* Value);
    // The next memo line to print.
    Integer DataRow() const { return FDataRow; }
    void SetDataRow(Integer Value) { FDataRow = Value; }
    TKivWrapHeightPercent WrapHeightPercent() const { return FWrapHeightPercent; }
    void SetWrapHeightPercent(TKivWrapHeightPercent Value);
    TQorMemo* QorMemo() const { return FQorMemo.get(); }
    bool JustifyMemo() const { return FJustifyMemo; }
    void SetJustifyMemo(bool Value);
    TKivFormat* DataFormat() const { return FDataFormat.get(); }
    // A value equal to the previous record's is not printed at all.
    bool SuppressRepeats() const { return FSuppressRepeats; }
    void SetSuppressRepeats(bool Value);
    TStrings* Lines() const;
    void SetLines(TStrings* Value);
    bool SuppressBlankLines() const { return FSuppressBlankLines; }
    void SetSuppressBlankLines(bool Value);
    // Also skips the empty lines a continued memo would start a page with.
    bool SuppressWhiteSpace() const { return FSuppressWhiteSpace; }
    void SetSuppressWhiteSpace(bool Value);
    // A database variable prints its field's display text.
    bool UseDisplayText() const { return FUseDisplayText; }
    void SetUseDisplayText(bool Value);

    // The label prints through its memo: a memo or blob variable, or wrapped text.
    bool IsMemo() const;
    // Loads the current text into the memo and lays it out.
    virtual void UpdateMemo();
    // Draws the next piece of memo lines into Rect and answers the height used.
    Integer PrintMemo(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space);
    // The height the next piece of memo lines needs.
    Integer SpendMemo(TComponent* oPage, Integer Space);

    String GetDataNow() override;
    String GetDisplayText() override;
    void Print(TComponent* oPage, Integer Space) override;
    void StartPrint() override;
    Integer PrintHeight(TComponent* oPage, Integer Space, Integer Taking) override;
    Integer SpendHeight(TComponent* oPage, Integer Space) override;
    void PrintRtf(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow) override;
    void PrintTab(TWinControl* oPage, TKivRtfFile* Rtf, Integer PrintRow) override;
    void PrintLabel(TQorCanvas* QorCanvas, const TRect& Rect, Integer Space) override;

    void DefineProperties(TFiler& Filer) override;

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The variable as a database variable that prints its display text, or null.
    TKivDBVar* DisplayTextVar() const;
    // Whether the one-line text of the active variable comes from this class's GetDataNow out of
    // the value alone (a text that may be left unmade where nothing is drawn).
    bool ReadsOnlyNowhere() const;
    // The variable, when it has a value the label can print; initialised first when needed.
    TKivVar* ActiveVar();
    // The one-line text of an active variable now: the display text, or the formatted value
    // (empty for a blob or picture, which have no text).
    String VarText();

    // A variable label: a memo or blob variable always prints through the memo.
    bool FShowsVariable = false;

private:
    // Fills the memo's stream with the text to lay out.
    void LoadMemoText();
    // Writes Text into the memo as UTF-16 after the byte-order mark.
    void LoadMemoString(const String& Text);
    // Each tab part of memo line Index: the RTF tab stop for it (PrintTab) or its text (PrintRtf).
    void DefineMemoTabs(TKivRtfFile* Rtf, Integer Index);
    void WriteMemoLine(TKivRtfFile* Rtf, Integer Index);

    TKivVar* FVariable = nullptr;
    Integer FDataRow = 0;
    bool FContinuing = false; // between the pieces of one stretching print
    TKivWrapHeightPercent FWrapHeightPercent = 100;
    std::unique_ptr<TQorMemo> FQorMemo;
    bool FJustifyMemo = false;
    std::unique_ptr<TKivFormat> FDataFormat;
    bool FSuppressRepeats = false;
    std::unique_ptr<TStringList> FLines;
    bool FSuppressBlankLines = false;
    bool FSuppressWhiteSpace = false;
    bool FUseDisplayText = false;
};

// Shows a variable.
class TKivvarlabel : public TKivTVLabel {
    QOR_CLASS(TKivvarlabel, TKivTVLabel)
public:
    explicit TKivvarlabel(TComponent* AOwner) : TKivTVLabel(AOwner) { FShowsVariable = true; }
};

// Shows its caption or its lines.
class TKivTextLabel : public TKivTVLabel {
    QOR_CLASS(TKivTextLabel, TKivTVLabel)
public:
    explicit TKivTextLabel(TComponent* AOwner) : TKivTVLabel(AOwner) {}

    // Its caption; "Fill in caption." while painted in the designer without one.
    String GetDisplayText() override;
    // Written as any component, then its band is told (a copy to the clipboard becomes a
    // variable label there).
    void WriteState(TWriter& Writer) override;
    void DefineProperties(TFiler& Filer) override;
};

} // namespace qor
