#include "runtime/output/QorMemoU.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Gdi.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <algorithm>
#include <cstdlib>

namespace qor {

QOR_PUBLISH(TQorTabStringPos) {}
QOR_PUBLISH(TQorMemo) {}

namespace {

// The hidden form and memo every TQorMemo wraps its text with.
struct THiddenControls {
    TForm* Form;
    TMemo* Memo;

    THiddenControls()
    {
        Form = Create<TForm>(nullptr);
        Form->SetName("QOR_Invisible_Form");
        Form->SetVisible(false);
        Form->SetHeight(1000);
        Form->SetWidth(1000);
        Memo = Create<TMemo>(Form);
        Memo->SetParent(Form);
        Memo->SetBorderStyle(bsNone);
        Memo->SetVisible(false);
    }
    ~THiddenControls()
    {
        Free(Memo);
        Free(Form);
    }
};

THiddenControls& Hidden()
{
    static THiddenControls controls;
    return controls;
}

// Font sized at PixelsPerInch: the point size is converted again at that resolution.
void SizeFontAt(TFont* Target, TFont* Source, Integer PixelsPerInch)
{
    Target->Assign(Source);
    Target->SetPixelsPerInch(PixelsPerInch);
    Target->SetSize(Source->Size());
}

Word CanvasAlignment(TQorMemoAlignment Alignment)
{
    switch (Alignment) {
    case maCenter:
        return TA_CENTER;
    case maRight:
        return TA_RIGHT;
    default:
        return TA_LEFT | TA_TOP;
    }
}

} // namespace

TForm* GForm() { return Hidden().Form; }
TMemo* GMemo() { return Hidden().Memo; }

TQorMemo::TQorMemo()
    : FPixelsPerInch(ScreenPixelsPerInch()), FFont(std::make_unique<TFont>()), FWidth(FPixelsPerInch),
      FMemoStrings(std::make_unique<TStringList>()), FMemoStream(std::make_unique<TMemoryStream>())
{
}

TQorMemo::~TQorMemo() = default;

void TQorMemo::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    FStale = true;
}

void TQorMemo::SetMemoStream(TStream* Value)
{
    FStale = true;
    FMemoStream->Clear();
    if (!Value)
        return;
    Value->SetPosition(0);
    FMemoStream->CopyFrom(Value, Value->Size());
}

void TQorMemo::PrepareHiddenControls()
{
    TForm* form = GForm();
    form->SetPixelsPerInch(FPixelsPerInch);
    SizeFontAt(form->Font(), FFont.get(), FPixelsPerInch);
    SizeFontAt(form->Canvas()->Font(), FFont.get(), FPixelsPerInch);
}

Integer TQorMemo::MeasureText(const String& Text) const { return GForm()->Canvas()->TextWidth(Text); }

void TQorMemo::UpdateMemo()
{
    FMemoStrings->Clear();
    FMemoLines = 0;
    PrepareHiddenControls();

    TEXTMETRIC tm{};
    GetTextMetrics(GForm()->Canvas()->Handle(), tm);
    FLineHeight = MulDiv(std::abs(tm.tmHeight), FWrapHeightPercent, 100);

    TMemo* memo = GMemo();
    SizeFontAt(memo->Font(), FFont.get(), FPixelsPerInch);
    memo->SetWidth(FWidth);
    memo->SetWordWrap(true);
    memo->SetHeight(std::abs(FLineHeight * 20));

    // The text is decoded first (by its byte-order mark), so paragraphs never split a character.
    TStringList paragraphs;
    FMemoStream->SetPosition(0);
    paragraphs.LoadFromStream(FMemoStream.get());
    FindCarriageReturns(paragraphs.ToVector());
    memo->Lines()->Assign(&paragraphs);

    // Only whole empty paragraphs are ever dropped, so the rest wraps as the control wrapped it.
    TStringList* lines = FMemoStrings.get();
    lines->Assign(memo->Lines());
    if (FSuppressBlankLines) {
        Integer i = 0;
        while (i < lines->Count()) {
            if (lines->Get(i).empty())
                DeleteLine(i);
            else
                ++i;
        }
    }
    if (FSuppressWhiteSpace) {
        while (lines->Count() > 0 && lines->Get(0).empty())
            DeleteLine(0);
        while (lines->Count() > 0 && lines->Get(lines->Count() - 1).empty())
            DeleteLine(lines->Count() - 1);
    }
    FMemoLines = lines->Count();
    if (FMemoLines > 0 && !FWrapText)
        FMemoLines = 1;
    FStale = false;
}

void TQorMemo::DeleteLine(Integer Index)
{
    FMemoStrings->Delete(Index);
    auto it = std::lower_bound(FCarriageReturnList.begin(), FCarriageReturnList.end(), Index);
    if (it != FCarriageReturnList.end() && *it == Index)
        it = FCarriageReturnList.erase(it);
    for (; it != FCarriageReturnList.end(); ++it)
        --*it;
}

void TQorMemo::FindCarriageReturns(const std::vector<String>& Paragraphs)
{
    FCarriageReturnList.clear();
    if (FMemoAlignment != maJustify)
        return;
    TStrings* lines = GMemo()->Lines();
    Integer before = 0;
    for (const String& paragraph : Paragraphs) {
        lines->SetText(paragraph);
        // An empty paragraph is one empty line.
        const Integer count = std::max<Integer>(1, lines->Count());
        before += count;
        FCarriageReturnList.push_back(before - 1);
    }
}

void TQorMemo::ClearParts() { FParts.clear(); }

void TQorMemo::ParseString(const String& S)
{
    ClearParts();
    const Integer tab = std::max(1, FPixelsPerInch / 2);
    Integer x = 0;
    String current;
    auto addPart = [&] {
        const Integer w = MeasureText(current);
        FParts.push_back(std::make_unique<TQorTabStringPos>(x, current, w));
        return w;
    };
    for (char c : S) {
        if (c == '\t') {
            const Integer w = addPart();
            x = ((x + w) / tab) * tab + tab;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        addPart();
    FTextLen = FParts.empty() ? 0 : FParts.back()->Position + FParts.back()->Width;
}

Integer TQorMemo::LastLine() const
{
    if (FRangeEnd < 0 || FRangeEnd >= FMemoLines)
        return FMemoLines - 1;
    return FRangeEnd;
}

Integer TQorMemo::GetPrintHeight() const
{
    return std::max(0, (LastLine() - FirstLine() + 1) * FLineHeight);
}

void TQorMemo::Print(IQorMemoCanvas* QorCanvas, Integer X, Integer Y)
{
    if (FStale)
        UpdateMemo();
    else
        PrepareHiddenControls(); // the text is measured again as it is drawn
    QorCanvas->SetFont(FFont.get());
    if (FMemoLines <= 0)
        return;
    const Integer first = FirstLine();
    const Integer last = LastLine();
    for (Integer s = first; s <= last; ++s) {
        const Integer top = Y + FLineHeight * (s - first);
        PrintLine(QorCanvas, FMemoStrings->Get(s), Rect(X, top, X + FWidth, top + FLineHeight), s);
    }
}

bool TQorMemo::JustifyLine(Integer Spot) const
{
    if (FMemoAlignment != maJustify)
        return false;
    for (Integer entry : FCarriageReturnList) {
        if (Spot + 1 == FMemoLines)
            return FJustifyLastLine;
        if (Spot == entry)
            return false;
    }
    return true;
}

void TQorMemo::PrintLine(IQorMemoCanvas* QorCanvas, const String& Text, const TRect& Rect, Integer Spot)
{
    const bool justify = JustifyLine(Spot);
    QorCanvas->SetFont(FFont.get());
    QorCanvas->SetTextAlign(CanvasAlignment(FMemoAlignment));
    ParseString(Text);
    for (size_t i = 0; i < FParts.size(); ++i) {
        const TQorTabStringPos& part = *FParts[i];
        const Integer w = part.Width, p = part.Position;
        Integer x, right;
        switch (FMemoAlignment) {
        case maCenter:
            x = w / 2 + p + Rect.Left + (FWidth - FTextLen) / 2;
            right = x + w / 2;
            break;
        case maRight:
            x = w + p + Rect.Left + FWidth - FTextLen;
            right = x;
            break;
        default:
            x = p + Rect.Left;
            right = x + w;
            break;
        }
        TRect partRect = Rect;
        partRect.Right = right;
        if (FTextDriverCompatibility)
            QorCanvas->Textout(x, Rect.Top, part.Text);
        else if (justify && i + 1 == FParts.size())
            QorCanvas->TextJustify(Rect, x, Rect.Top, part.Text, false, Rect);
        else
            QorCanvas->TextJustify(partRect, x, Rect.Top, part.Text, true, Rect);
    }
}

} // namespace qor
