#pragma once
// Multi-line text laid out for printing: wrapped at a width and resolution by the platform's memo
// control, with line height, blank-line and white-space suppression, half-inch tab stops and
// left, centred, right or justified lines.
//
// Wrapping goes through one hidden form holding one hidden memo, shared by every TQorMemo and
// made on first use. Everything here runs on the GUI thread.

#include "platform/graphics/Geometry.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <memory>
#include <vector>

namespace qor {

class TFont;
class TForm;
class TMemo;
class TMemoryStream;
class TStream;
class TStringList;

// The hidden form ("QOR_Invisible_Form", 1000 x 1000) and the borderless memo on it; made on
// first use and freed at exit.
TForm* GForm();
TMemo* GMemo();

enum TQorMemoAlignment : Byte { maLeft, maCenter, maRight, maJustify };

// What the memo draws with: the operations of the page canvas it needs, with the canvas's names.
class IQorMemoCanvas {
public:
    virtual ~IQorMemoCanvas() = default;
    virtual void SetFont(TFont* Font) = 0;
    virtual void SetTextAlign(Word Flags) = 0;
    virtual void Textout(Integer X, Integer Y, const String& Text) = 0;
    virtual void TextJustify(const TRect& Rect, Integer X, Integer Y, const String& Text, bool EndParagraph,
                             const TRect& FullRect) = 0;
};

// One part of a line between tabs: where it starts (pixels from the line's left edge), its text
// and its width.
class TQorTabStringPos : public TObject {
    QOR_CLASS(TQorTabStringPos, TObject)
public:
    TQorTabStringPos(Integer APosition, const String& AText, Integer AWidth)
        : Position(APosition), Text(AText), Width(AWidth)
    {
    }
    Integer Position;
    String Text;
    Integer Width;
};

class TQorMemo : public TObject {
    QOR_CLASS(TQorMemo, TObject)
public:
    TQorMemo();
    ~TQorMemo() override;

    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value) { FPixelsPerInch = Value; FStale = true; }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value) { FWidth = Value; FStale = true; }
    Integer WrapHeightPercent() const { return FWrapHeightPercent; }
    void SetWrapHeightPercent(Integer Value) { FWrapHeightPercent = Value; FStale = true; }
    bool WrapText() const { return FWrapText; }
    void SetWrapText(bool Value) { FWrapText = Value; FStale = true; }
    bool JustifyLastLine() const { return FJustifyLastLine; }
    void SetJustifyLastLine(bool Value) { FJustifyLastLine = Value; }
    TStringList* MemoStrings() const { return FMemoStrings.get(); }
    Integer MemoLines() const { return FMemoLines; }
    TMemoryStream* MemoStream() const { return FMemoStream.get(); }
    // Copies the whole of Value, from its start (the text: UTF-16 with a byte-order mark, or
    // UTF-8); null empties the text.
    void SetMemoStream(TStream* Value);
    TQorMemoAlignment MemoAlignment() const { return FMemoAlignment; }
    void SetMemoAlignment(TQorMemoAlignment Value) { FMemoAlignment = Value; FStale = true; }
    Integer LineHeight() const { return FLineHeight; }
    const std::vector<std::unique_ptr<TQorTabStringPos>>& Parts() const { return FParts; }
    Integer RangeBegin() const { return FRangeBegin; }
    void SetRangeBegin(Integer Value) { FRangeBegin = Value; }
    Integer RangeEnd() const { return FRangeEnd; }
    void SetRangeEnd(Integer Value) { FRangeEnd = Value; }
    bool TextDriverCompatibility() const { return FTextDriverCompatibility; }
    void SetTextDriverCompatibility(bool Value) { FTextDriverCompatibility = Value; FStale = true; }
    bool SuppressBlankLines() const { return FSuppressBlankLines; }
    void SetSuppressBlankLines(bool Value) { FSuppressBlankLines = Value; FStale = true; }
    bool SuppressWhiteSpace() const { return FSuppressWhiteSpace; }
    void SetSuppressWhiteSpace(bool Value) { FSuppressWhiteSpace = Value; FStale = true; }
    // For each paragraph, the index of its last wrapped line (under maJustify only).
    const std::vector<Integer>& CarriageReturns() const { return FCarriageReturnList; }

    // Wraps the text again: LineHeight, the paragraph ends, MemoStrings and MemoLines.
    void UpdateMemo();
    // Nothing was set since the last UpdateMemo: its layout still holds.
    bool UpToDate() const { return !FStale; }
    // Pixels the current range takes, from the last UpdateMemo; never negative.
    Integer PrintHeight() const { return GetPrintHeight(); }
    Integer GetPrintHeight() const;
    // Lays out (when anything was set since the last layout) and draws the current range with its
    // top-left corner at (X, Y).
    void Print(IQorMemoCanvas* QorCanvas, Integer X, Integer Y);
    // Draws wrapped line number Spot in Rect.
    void PrintLine(IQorMemoCanvas* QorCanvas, const String& Text, const TRect& Rect, Integer Spot);
    // Splits a line at its tabs into Parts.
    void ParseString(const String& S);
    // Width of the line last parsed: the last part's start plus its width (0 without parts).
    Integer TextLen() const { return FTextLen; }

protected:
    void FindCarriageReturns(const std::vector<String>& Paragraphs);
    void ClearParts();

private:
    // The index of the last line to print, from the range and MemoLines.
    Integer LastLine() const;
    Integer FirstLine() const { return FRangeBegin < 0 ? 0 : FRangeBegin; }
    // Sets the hidden form, its canvas and the memo to the font at this resolution.
    void PrepareHiddenControls();
    // Drops wrapped line Index from MemoStrings and keeps the paragraph ends in step.
    void DeleteLine(Integer Index);
    bool JustifyLine(Integer Spot) const;
    Integer MeasureText(const String& Text) const;

    Integer FPixelsPerInch;
    std::unique_ptr<TFont> FFont;
    Integer FWidth;
    Integer FWrapHeightPercent = 100;
    bool FStale = true; // set since the last UpdateMemo
    bool FWrapText = true;
    bool FJustifyLastLine = false;
    std::vector<Integer> FCarriageReturnList;
    std::unique_ptr<TStringList> FMemoStrings;
    Integer FMemoLines = 0;
    std::unique_ptr<TMemoryStream> FMemoStream;
    TQorMemoAlignment FMemoAlignment = maLeft;
    Integer FLineHeight = 10;
    std::vector<std::unique_ptr<TQorTabStringPos>> FParts;
    Integer FRangeBegin = -1;
    Integer FRangeEnd = -1;
    Integer FTextLen = 0;
    bool FTextDriverCompatibility = false;
    bool FSuppressBlankLines = false;
    bool FSuppressWhiteSpace = false;
};

} // namespace qor
