#pragma once
// Laying out and drawing rich text: the formatting engine behind the rich-edit control.
//
// FormatRange fills a rectangle given in twips (1440 per inch) with the characters of a range,
// line by line, and answers the first character it did not lay out. Line breaking does not
// depend on the device: character widths are measured on the target context with fonts sized in
// twips, and every position is kept in twips, so a text breaks the same way on a 96 pixels-per-inch
// screen and a 600 pixels-per-inch printer. Only drawing converts twips to the drawing context's
// logical units, with its LOGPIXELSX/LOGPIXELSY; the context's own window/viewport mapping then
// applies as usual.

#include "platform/graphics/Color.h"
#include "platform/graphics/GdiTypes.h"
#include "platform/graphics/Geometry.h"
#include "platform/rtl/Types.h"
#include "platform/ui/RichDocument.h"

#include <memory>
#include <span>

namespace qor {

class TStream;

// One formatting request. Rectangles are in twips.
struct TFormatRange {
    HDC hdc;            // where drawing goes
    HDC hdcTarget;      // where characters are measured; 0: hdc
    TRect rc;           // the area to fill; Bottom is replaced by the bottom actually used
    TRect rcPage;       // the whole page
    Integer cpMin = 0;
    Integer cpMax = -1; // end of the range (exclusive); -1: the end of the text
};

// The character attributes text gets where it does not set its own.
struct TRichDefaultFont {
    String Name = "Arial";
    Integer Size = 200;              // twips
    Byte Styles = 0;                 // TRichStyle bits
    TColor Color = clWindowText;     // clDefault: the drawing context's text colour
    Byte Charset = 1;                // DEFAULT_CHARSET

    friend bool operator==(const TRichDefaultFont&, const TRichDefaultFont&) = default;
};

// The part of Doc that laying out and drawing its characters [Start, End) needs, as a document of
// its own; Start and End are moved onto it (an End of -1 stays -1). Its first paragraph begins at
// Start, laid out as the continuation it is when that is inside a paragraph (no first-line indent,
// no space above). Its last paragraph goes on past End up to the first line or page break after it
// (and one character more), or to its end: no line is laid out past either, so the range's lines
// break and align as they do in Doc, whatever the width. Only when that is more than twice the
// range's length and RichPartLookahead is it cut as far past End as the larger of them: further
// than the range's last line can reach, since the range holds at least one whole line.
inline constexpr Integer RichPartLookahead = 1024;
TRichDocument RichRangePart(const TRichDocument& Doc, Integer& Start, Integer& End);

class TRichTextEngine {
public:
    TRichTextEngine();
    ~TRichTextEngine();
    TRichTextEngine(const TRichTextEngine&) = delete;
    TRichTextEngine& operator=(const TRichTextEngine&) = delete;

    // RTF, or plain text when Data does not start with "{\rtf" (UTF-8 when valid, else Windows-1252).
    void LoadRtf(std::span<const Byte> Data);
    // Plain text, UTF-8; line breaks end paragraphs.
    void LoadText(const String& Text);
    // The whole stream, from its start, read as LoadRtf reads bytes.
    void LoadFromStream(TStream& Stream);
    void Clear();

    const TRichDocument& Document() const;
    // The precise length: UTF-16 units, each paragraph end counting one.
    Integer TextLength() const;
    // The text, paragraph ends as CR.
    WideString Text() const;

    void SetDefaultFont(const TRichDefaultFont& Font);
    // Size in points.
    void SetDefaultFont(const String& Name, Integer Size, Byte Styles, TColor Color);
    const TRichDefaultFont& DefaultFont() const;

    // Lays out the characters [cpMin, cpMax) into Range->rc from its top, whole lines while they
    // fit; a page break ends the call. Draws them on Range->hdc when Render. Writes the bottom of
    // the last line laid out into Range->rc.Bottom, which never exceeds the bottom given, and
    // answers the first character not laid out (cpMax when all fit). When not even the first line
    // fits, nothing is laid out or drawn: the answer is cpMin and the bottom written back is rc.Top
    // (the given bottom when that is above the top); callers move on to a fresh page and try again.
    // A null Range only drops cached measurements.
    Integer FormatRange(TFormatRange* Range, bool Render);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

} // namespace qor
