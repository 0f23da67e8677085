#pragma once
// The rich-edit control: formatted text read from RTF, laid out and drawn by the rich-text engine.
//
// The control answers the formatting messages of its kind:
//   EM_FORMATRANGE      WParam: nonzero to draw; LParam: a TFormatRange* (0 only drops cached
//                       measurements); result: the first character not laid out.
//   EM_GETTEXTLENGTHEX  WParam: a GETTEXTLENGTHEX*; result: the length in characters, each
//                       paragraph end counting one (CR LF counting two under GTL_USECRLF).

#include "platform/ui/RichLayout.h"
#include "platform/ui/StdCtrls.h"

#include <memory>

namespace qor {

class TFont;
class TRichEdit;
class TStream;

constexpr UINT EM_FORMATRANGE = WM_USER + 57;
constexpr UINT EM_GETTEXTLENGTHEX = WM_USER + 95;

constexpr DWORD GTL_DEFAULT = 0;
constexpr DWORD GTL_USECRLF = 1;
constexpr DWORD GTL_PRECISE = 2;
constexpr DWORD GTL_CLOSE = 4;
constexpr DWORD GTL_NUMCHARS = 8;
constexpr DWORD GTL_NUMBYTES = 16;

struct GETTEXTLENGTHEX {
    DWORD flags = GTL_DEFAULT;
    UINT codepage = 0;
};

// The character attributes of text that sets none of its own. Assigning a TFont takes its name,
// point size, styles and colour.
class TTextAttributes : public TPersistent {
    QOR_CLASS(TTextAttributes, TPersistent)
public:
    explicit TTextAttributes(TRichEdit* AOwner) : FOwner(AOwner) {}
    void Assign(TPersistent* Source) override;

private:
    TRichEdit* FOwner;
};

// The paragraphs of a rich edit as plain lines. Editing through them keeps the text, not its
// formatting; LoadFromStream reads RTF (or plain text) and keeps the formatting.
class TRichEditStrings : public TStrings {
public:
    explicit TRichEditStrings(TRichEdit* AOwner) : FOwner(AOwner) {}
    Integer Count() const override;
    String Get(Integer Index) const override;
    void Put(Integer Index, const String& S) override;
    void Insert(Integer Index, const String& S) override;
    void Delete(Integer Index) override;
    void Clear() override;
    void SetText(const String& Value) override;
    // The whole stream from its start.
    void LoadFromStream(TStream* Stream);

private:
    std::vector<String> Paragraphs() const;
    void SetParagraphs(const std::vector<String>& Lines);

    TRichEdit* FOwner;
};

class TRichEdit : public TCustomEdit {
    QOR_CLASS(TRichEdit, TCustomEdit)
public:
    explicit TRichEdit(TComponent* AOwner);
    ~TRichEdit() override;

    TRichEditStrings* Lines() const { return FLines.get(); }
    TTextAttributes* DefAttributes() const { return FDefAttributes.get(); }
    TRichTextEngine& Engine() const { return *FEngine; }

    void EMFormatRange(TMessage& M);
    void EMGetTextLengthEx(TMessage& M);

protected:
    // Text set as a whole is plain text.
    void TextChanged() override;
    void PaintControl(TCanvas* ACanvas) override;

private:
    friend class TRichEditStrings;
    // The engine's text changed: Text follows it (paragraphs joined by CR LF).
    void ContentChanged();

    std::unique_ptr<TRichTextEngine> FEngine;
    std::unique_ptr<TRichEditStrings> FLines;
    std::unique_ptr<TTextAttributes> FDefAttributes;
    bool FSyncing = false;
};

} // namespace qor
