#include "platform/ui/ComCtrls.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TTextAttributes) {}
QOR_PUBLISH(TRichEdit) {}

QOR_MESSAGE(EM_FORMATRANGE, &TRichEdit::EMFormatRange);
QOR_MESSAGE(EM_GETTEXTLENGTHEX, &TRichEdit::EMGetTextLengthEx);

void TTextAttributes::Assign(TPersistent* Source)
{
    auto* font = dynamic_cast<TFont*>(Source);
    if (!font) {
        TPersistent::Assign(Source);
        return;
    }
    Byte styles = 0;
    if (font->Style().Contains(fsBold))
        styles |= rsBold;
    if (font->Style().Contains(fsItalic))
        styles |= rsItalic;
    if (font->Style().Contains(fsUnderline))
        styles |= rsUnderline;
    if (font->Style().Contains(fsStrikeOut))
        styles |= rsStrikeOut;
    FOwner->Engine().SetDefaultFont(font->Name(), font->Size(), styles, font->Color());
}

// ---- lines ----------------------------------------------------------------------------------------

std::vector<String> TRichEditStrings::Paragraphs() const
{
    std::vector<String> result;
    const TRichDocument& doc = FOwner->Engine().Document();
    const Integer count = doc.ParagraphCount();
    for (Integer i = 0; i < count; ++i) {
        const TRichParagraph& p = doc.Paragraph(i);
        // The open last paragraph is a line only when it holds text.
        if (i == count - 1 && !p.HasEnd && p.TextLength() == 0)
            break;
        result.push_back(Utf16ToUtf8(doc.TextRange(doc.ParagraphStart(i), p.TextLength())));
    }
    return result;
}

void TRichEditStrings::SetParagraphs(const std::vector<String>& Lines)
{
    String text;
    for (size_t i = 0; i < Lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += Lines[i];
    }
    FOwner->Engine().LoadText(text);
    FOwner->ContentChanged();
}

Integer TRichEditStrings::Count() const { return static_cast<Integer>(Paragraphs().size()); }

String TRichEditStrings::Get(Integer Index) const
{
    const std::vector<String> lines = Paragraphs();
    if (Index < 0 || Index >= static_cast<Integer>(lines.size()))
        IndexError(Index);
    return lines[static_cast<size_t>(Index)];
}

void TRichEditStrings::Put(Integer Index, const String& S)
{
    std::vector<String> lines = Paragraphs();
    if (Index < 0 || Index >= static_cast<Integer>(lines.size()))
        IndexError(Index);
    lines[static_cast<size_t>(Index)] = S;
    SetParagraphs(lines);
}

void TRichEditStrings::Insert(Integer Index, const String& S)
{
    std::vector<String> lines = Paragraphs();
    if (Index < 0 || Index > static_cast<Integer>(lines.size()))
        IndexError(Index);
    lines.insert(lines.begin() + Index, S);
    SetParagraphs(lines);
}

void TRichEditStrings::Delete(Integer Index)
{
    std::vector<String> lines = Paragraphs();
    if (Index < 0 || Index >= static_cast<Integer>(lines.size()))
        IndexError(Index);
    lines.erase(lines.begin() + Index);
    SetParagraphs(lines);
}

void TRichEditStrings::Clear()
{
    FOwner->Engine().Clear();
    FOwner->ContentChanged();
}

void TRichEditStrings::SetText(const String& Value)
{
    FOwner->Engine().LoadText(Value);
    FOwner->ContentChanged();
}

void TRichEditStrings::LoadFromStream(TStream* Stream)
{
    if (!Stream) {
        Clear();
        return;
    }
    FOwner->Engine().LoadFromStream(*Stream);
    FOwner->ContentChanged();
}

// ---- control --------------------------------------------------------------------------------------

TRichEdit::TRichEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), FEngine(std::make_unique<TRichTextEngine>()),
      FLines(std::make_unique<TRichEditStrings>(this)), FDefAttributes(std::make_unique<TTextAttributes>(this))
{
    SetBounds(0, 0, 185, 89);
}

TRichEdit::~TRichEdit() = default;

void TRichEdit::ContentChanged()
{
    String text = Utf16ToUtf8(FEngine->Text());
    String joined;
    joined.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            joined += "\r\n";
        else
            joined += c;
    }
    FSyncing = true;
    SetText(joined);
    FSyncing = false;
    Invalidate();
}

void TRichEdit::TextChanged()
{
    if (!FSyncing)
        FEngine->LoadText(FText);
    TCustomEdit::TextChanged();
}

void TRichEdit::EMFormatRange(TMessage& M)
{
    M.Result = FEngine->FormatRange(reinterpret_cast<TFormatRange*>(M.LParam), M.WParam != 0);
}

void TRichEdit::EMGetTextLengthEx(TMessage& M)
{
    const auto* info = reinterpret_cast<const GETTEXTLENGTHEX*>(M.WParam);
    Integer length = FEngine->TextLength();
    if (info && (info->flags & GTL_USECRLF)) {
        const TRichDocument& doc = FEngine->Document();
        for (Integer i = 0; i < doc.ParagraphCount(); ++i)
            if (doc.Paragraph(i).HasEnd)
                ++length;
    }
    M.Result = length;
}

void TRichEdit::PaintControl(TCanvas* ACanvas)
{
    const TRect r = ClientRect();
    ACanvas->Brush()->SetColor(Enabled() ? Color() : clBtnFace);
    ACanvas->FillRect(r);
    const HDC dc = ACanvas->Handle();
    const Integer px = std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
    const Integer py = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    const TRect twips(MulDiv(r.Left + 1, 1440, px), MulDiv(r.Top + 1, 1440, py), MulDiv(r.Right - 1, 1440, px),
                      MulDiv(r.Bottom - 1, 1440, py));
    TFormatRange range{dc, dc, twips, twips, 0, -1};
    const Integer saved = SaveDC(dc);
    FEngine->FormatRange(&range, true);
    RestoreDC(dc, saved);
    FEngine->FormatRange(nullptr, false);
}

} // namespace qor
