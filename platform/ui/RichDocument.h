#pragma once
// The rich-text document: paragraphs of formatted runs, held as UTF-16.
//
// Character positions count UTF-16 units. Every paragraph that was ended (by a paragraph mark in
// the source, a new line in plain text) counts one more position for its end mark; the document's
// last paragraph has no end mark. So "Hello\par World" is 11 characters and "Hello\par" is 6.
// Inside a paragraph, U+0009 is a tab, U+000B a line break and U+000C a page break.

#include "platform/graphics/Color.h"
#include "platform/rtl/Types.h"

#include <vector>

namespace qor {

enum class TRichAlignment : Byte { Left, Right, Center, Justify };

// Character style bits.
enum TRichStyle : Byte { rsBold = 1, rsItalic = 2, rsUnderline = 4, rsStrikeOut = 8 };

inline constexpr Integer RichMaxFontSize = 32760;   // twips (1638 points)
inline constexpr Integer RichMaxTabs = 32;
inline constexpr Integer RichMaxMeasure = 31680;    // twips (22 inches), bound of indents and spacing

inline constexpr char16_t RichTab = 0x0009;
inline constexpr char16_t RichLineBreak = 0x000B;
inline constexpr char16_t RichPageBreak = 0x000C;
inline constexpr char16_t RichParagraphEnd = 0x000D;   // how a paragraph end reads in Text()

// What a run says about its characters. Attributes left unset come from the default font of
// whoever lays the text out: an empty FontName, a Size of 0, a style bit absent from StylesSet,
// Color = clDefault.
struct TRichCharFormat {
    String FontName;
    Integer Charset = -1;        // the font's character set; -1 unset
    Integer Size = 0;            // twips; 0 unset
    Byte Styles = 0;             // TRichStyle bits that are on
    Byte StylesSet = 0;          // TRichStyle bits the text decides
    TColor Color = clDefault;    // text colour
    TColor BackColor = clNone;   // highlight behind the text; clNone: none

    void SetStyle(TRichStyle Style, bool On);
    // The style's value when set, else Default.
    bool Style(TRichStyle Style, bool Default) const;

    friend bool operator==(const TRichCharFormat&, const TRichCharFormat&) = default;
};

// Lengths in twips.
struct TRichParaFormat {
    TRichAlignment Alignment = TRichAlignment::Left;
    Integer LeftIndent = 0;
    Integer RightIndent = 0;
    Integer FirstIndent = 0;       // first line, relative to LeftIndent (negative: hanging)
    Integer SpaceBefore = 0;
    Integer SpaceAfter = 0;
    // 0: single (the line's own height). Not LineSpacingMultiple: > 0 at least that many twips,
    // < 0 exactly -LineSpacing twips. LineSpacingMultiple: LineSpacing / 240 single lines.
    Integer LineSpacing = 0;
    bool LineSpacingMultiple = false;
    std::vector<Integer> Tabs;     // ascending stop positions from the left edge, at most RichMaxTabs

    // Adds a stop keeping Tabs ascending and unique; ignored beyond RichMaxTabs stops.
    void AddTab(Integer Position);

    friend bool operator==(const TRichParaFormat&, const TRichParaFormat&) = default;
};

struct TRichRun {
    WideString Text;
    TRichCharFormat Format;
};

struct TRichParagraph {
    TRichParaFormat Format;
    std::vector<TRichRun> Runs;
    TRichCharFormat EndFormat;   // format of the end mark; sizes an empty paragraph
    bool HasEnd = false;         // ended by a mark that counts as one character

    // Characters of the runs, without the end mark.
    Integer TextLength() const;
    // TextLength plus the end mark when there is one.
    Integer Length() const { return TextLength() + (HasEnd ? 1 : 0); }
};

class TRichDocument {
public:
    TRichDocument();

    void Clear();

    // Appends characters to the open (last) paragraph; joins the last run when the format is equal.
    void AddText(std::u16string_view Text, const TRichCharFormat& Format);
    void AddChar(char16_t Ch, const TRichCharFormat& Format) { AddText(std::u16string_view(&Ch, 1), Format); }
    // Ends the open paragraph with Format as its paragraph format and opens a new one.
    void EndParagraph(const TRichParaFormat& Format, const TRichCharFormat& EndFormat);
    // Sets the formats of the open paragraph (the last one, which has no end mark).
    void SetLastParagraphFormat(const TRichParaFormat& Format, const TRichCharFormat& EndFormat);

    Integer ParagraphCount() const { return static_cast<Integer>(FParagraphs.size()); }
    const TRichParagraph& Paragraph(Integer Index) const { return FParagraphs.at(static_cast<std::size_t>(Index)); }
    // Position of the paragraph's first character.
    Integer ParagraphStart(Integer Index) const;
    // Index of the paragraph holding position Pos (clamped to the document).
    Integer ParagraphAt(Integer Pos) const;

    // The precise length: UTF-16 units, each paragraph end mark counting one.
    Integer TextLength() const;
    // The text with RichParagraphEnd for each end mark; characters [Start, Start + Count) when given.
    WideString Text() const;
    WideString TextRange(Integer Start, Integer Count) const;

    // Default distance between tab stops, twips.
    Integer DefaultTab() const { return FDefaultTab; }
    void SetDefaultTab(Integer Value);

    // Replaces unpaired surrogates with U+FFFD (keeps every length) and refreshes positions.
    // Readers call it once when done.
    void Finish();

private:
    void Reindex() const;

    std::vector<TRichParagraph> FParagraphs;
    Integer FDefaultTab = 720;
    mutable std::vector<Integer> FStarts;   // paragraph start positions, rebuilt on demand
    mutable bool FIndexValid = false;
};

} // namespace qor
