#pragma once
// A report written as a Rich Text Format document instead of drawn pages: each band row is a
// paragraph with tab stops, each label's text a run in its font. The body is collected in memory
// while the report runs; the header (font table, paper, margins) is known only at the end, when
// Finish (or the destructor) writes the whole file, which replaces the old one only once it is
// complete.
//
// Text is escaped by the RTF rules: backslashes and braces, characters of the font's code page
// as \'hh, every other character as \uN with "?" (\'3f) for readers without Unicode. The font
// table names each font's character set.

#include "platform/graphics/Font.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Streams.h"

#include <memory>
#include <vector>

namespace qor {

class TKivPageSetup;

// Scoped: taCenter is also a text alignment.
enum class TKivTabAlignment : Byte { taLeft, taCenter, taRight };
QOR_ENUM_NAMES(TKivTabAlignment, "taLeft", "taCenter", "taRight");

enum TKivRtfBorderType : Byte { rbtBox, rbtBottom };
QOR_ENUM_NAMES(TKivRtfBorderType, "rbtBox", "rbtBottom");

class TKivRtfFile;

// One entry of the document's font table.
class TKivRtfFont : public TObject {
    QOR_CLASS(TKivRtfFont, TObject)
public:
    TKivRtfFont();
    ~TKivRtfFont() override;

    // Copies Value and takes name, pitch-and-family and character set from its logical font.
    void SetFont(TFont* Value);
    TFont* Font() const { return FFont.get(); }
    // From another entry, by its font.
    void Assign(const TKivRtfFont& Source);

    // Equal style, size, colour, pitch and name (the name compared exactly).
    bool FontSame(TFont* F) const;
    // The same table entry serves F: equal pitch, name and character set.
    bool DefinitionSame(TFont* F) const;

    // The entry in the font table: "{\fN\fswiss\fcharsetC\fprqP Name;}".
    void WriteHeader(TStream& Stream) const;
    // The selection of the entry in the body: "\fN\fsS" with \b, \i, \ul as styled, and a blank.
    void WriteFont(TKivRtfFile& RtfFile) const;

    Integer Number() const { return FNumber; }
    void SetNumber(Integer Value) { FNumber = Value; }
    Byte PitchAndFamily() const { return FPitchAndFamily; }
    Byte CharSet() const { return FCharSet; }
    const String& Name() const { return FName; }
    // The code page the entry's text is written in.
    Integer CodePage() const;

private:
    Integer FNumber = 0;
    Byte FPitchAndFamily = 0;
    Byte FCharSet = 0;
    String FName;
    std::unique_ptr<TFont> FFont;
};

class TKivRtfFile : public TObject {
    QOR_CLASS(TKivRtfFile, TObject)
public:
    // Nothing is written to FileName until Finish; EFCreateError at once when no file can be
    // created beside it.
    explicit TKivRtfFile(const String& FileName);
    // Finishes the document when Finish was not called; a failure then leaves the old file as it
    // was and is not reported (call Finish to see it).
    ~TKivRtfFile() override;

    // Closes every open group and the document and writes the file. Once only; raises when the
    // file cannot be written, leaving no partial file.
    void Finish();
    bool Finished() const { return FFinished; }

    // A copy of Value's paper and margins.
    void SetPageSetup(TKivPageSetup* Value);
    TKivPageSetup* PageSetup() const { return FPageSetup.get(); }

    // Appends text (UTF-8), escaped, in the current font's code page.
    void Write(const String& Text);
    void TextOut(const String& Text) { Write(Text); }
    // Appends the whole of S, from its start, as RTF as it stands.
    void TextOutStream(TStream& S);
    // Appends RTF control text as it stands.
    void WriteRaw(const String& Rtf);

    // Selects Value's font: a new group with its table entry's selection, unless the current entry
    // already is that font.
    void SetFont(TFont* Value);
    // Appends an entry for F and makes it current.
    void AddFont(TFont* F);
    void SetRtfFont(TKivRtfFont* F) { FRtfFont = F; }
    void PushBrace();
    void PopBrace();

    void ParagraphDefault();
    void NewParagraph();
    void Tab();
    // A tab stop at XPos twips.
    void DefineTab(Integer XPos, TKivTabAlignment Alignment);
    void StartBorder();
    void EndBorder();
    // A frame at X, Y twips from the margins; Height and Width when above 0.
    void StartFrame(Integer X, Integer Y, Integer Height, Integer Width);
    void EndFrame();

    TFont* Font() const { return FFont.get(); }
    TKivRtfFont* RtfFont() const { return FRtfFont; }
    Integer FontCount() const { return static_cast<Integer>(FFontList.size()); }
    TKivRtfFont* Fonts(Integer Index) const { return FFontList.at(static_cast<std::size_t>(Index)).get(); }
    Integer BraceCount() const { return FBraceCount; }
    TMemoryStream& Stream() { return FStream; }
    const String& FileName() const { return FFileName; }
    bool Border() const { return FBorder; }
    void SetBorder(bool Value) { FBorder = Value; }
    TKivRtfBorderType BorderType() const { return FBorderType; }
    void SetBorderType(TKivRtfBorderType Value) { FBorderType = Value; }
    bool PageBreak() const { return FPageBreak; }
    void SetPageBreak(bool Value) { FPageBreak = Value; }

private:
    // The header and the body, in the order of the file.
    void WriteFile(TStream& Out) const;
    void WritePaper(TStream& Out) const;

    String FFileName;
    TMemoryStream FStream;
    std::unique_ptr<TFont> FFont;
    TKivRtfFont* FRtfFont = nullptr;
    std::vector<std::unique_ptr<TKivRtfFont>> FFontList;
    Integer FBraceCount = 0;
    std::unique_ptr<TKivPageSetup> FPageSetup;
    bool FBorder = false;
    TKivRtfBorderType FBorderType = rbtBox;
    bool FPageBreak = false;
    bool FFinished = false;
};

// Text (UTF-8) as RTF in a code page: \, { and } escaped, characters of the code page above 127
// as \'hh, others as \uN\'3f: N the UTF-16 unit as a signed number (two for characters above
// U+FFFF), then "?" for readers without Unicode.
String KivRtfEscape(const String& Text, Integer CodePage);

} // namespace qor
